// Settings versions of a device mode: the comparison with the driver's version and the stepwise
// conversion of an older private part by the rules of the model description.
#include <cstring>

#include "dm_record_internal.h"
#include "model_query.h"
#include "option_access.h"

using namespace zolt::dm;

namespace {

constexpr DWORD kSettingsVersionAt = offsetof(ZoltDMHeader, settingsVersion);  // private offset 137
constexpr DWORD kSettingsVersionEnd = kSettingsVersionAt + sizeof(ZoltDMHeader::settingsVersion);

// The work-block option that tells the conversion rule which version step it runs.
constexpr uint16_t kOptConvertVersion = 1052;  // wdmConvertVersion
constexpr char kConversionRuleName[] = "ZPD_ConvertDevmode";

uint16_t ConversionRuleKey(const DriverContext* ctx) {
  const NameTable* names = ctx->nameTable ? ctx->nameTable : CtxGetTemplate()->nameTable;
  if (!names || !names->rows) return 0;
  for (int i = 0; i < names->count; ++i)
    if (names->rows[i].name && std::strcmp(names->rows[i].name, kConversionRuleName) == 0)
      return names->rows[i].nameIndex;
  return 0;
}

}  // namespace

int DmCompareVersions(DWORD stored, DWORD current) {
  const DWORD storedMajor = stored / 100, storedMinor = stored % 100;
  const DWORD currentMajor = current / 100, currentMinor = current % 100;
  if (storedMajor < 3 && currentMajor < 3) return kDmVersionUnusable;
  if (storedMajor == currentMajor) return storedMinor < currentMinor ? kDmVersionConvert : kDmVersionUsable;
  if (storedMajor > currentMajor) return kDmVersionUsable;
  return kDmVersionUnusable;
}

int DmCheckVersion(const DEVMODEW* dm) {
  if (!dm) return -1;
  const BYTE* priv = PrivatePart(dm, kSettingsVersionEnd, ~DWORD{0});
  if (!priv) return kDmVersionUnusable;
  return DmCompareVersions(ReadLe32(priv + kSettingsVersionAt), CtxGetTemplate()->profile->settingsVersion);
}

int DmConvertToCurrent(const DEVMODEW* dm, DriverContext* ctx) {
  DEVMODEW* working = WorkingDevMode(ctx);
  if (!working || DmCheckVersion(dm) != kDmVersionConvert) return 0;
  // The caller has put dm into the working image, whose header is read and stamped at its own
  // dmSize; a working header outside block 1 is left alone.
  BYTE* priv = PrivatePart(working, kSettingsVersionEnd, kFullDevModeSize);
  if (!priv) return 0;
  const DWORD from = ReadLe32(PrivatePart(dm, kSettingsVersionEnd, ~DWORD{0}) + kSettingsVersionAt);
  const DWORD to = ProfileOf(ctx)->settingsVersion;
  const int result = DmRunConversionSteps(from, to, ctx);
  WriteLe32(priv + kSettingsVersionAt, to);
  return result;
}

int DmRunConversionSteps(DWORD from, DWORD to, DriverContext* ctx) {
  if (!ctx) return 0;
  const uint16_t key = ConversionRuleKey(ctx);
  if (key == 0) return 0;
  for (DWORD v = from + 1; v > from && v <= to; ++v) {
    OptSetValue(ctx, kOptConvertVersion, static_cast<int32_t>(v));
    MdlRunItemTransactByKey(key, ctx);
    if (static_cast<DWORD>(OptGetValue(ctx, kOptConvertVersion, nullptr)) >= to) break;
  }
  return 1;
}
