// The watermark stamp list: its count in the language section of the settings file and one
// section per stamp, moved by the settings-file serializer.
#include "stamp_list.h"

#include <cstring>
#include <string>

#include "context_services.h"
#include "env_language.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_validation.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "undo_images.h"

namespace {

// Cache mode that frees every slot of the preset value cache.
constexpr int kPresetCacheFree = 3;

bool IsStampNumber(int n) { return n >= 0 && n <= kStampNumberLast; }

// A count as read: never negative, never more stamps than there are numbers.
int CountOf(UINT raw) {
  const int count = static_cast<int>(raw);
  return count < 0 ? 0 : (count > kStampNumberLast + 1 ? kStampNumberLast + 1 : count);
}

// A path of the context copied aside, so that a later call cannot rebuild it under us.
bool CopyPath(const WCHAR* path, WCHAR (&out)[kCtxPathChars]) {
  out[0] = u'\0';
  if (!path || !path[0] || lstrlenW(path) >= kCtxPathChars) return false;
  lstrcpynW(out, path, kCtxPathChars);
  return true;
}

// Loads or saves the section of stamp n of file with the stamp rows.
int TransferStamp(DriverContext* ctx, const WCHAR* file, int n, bool save) {
  if (!ctx || !ctx->workArea || !IsStampNumber(n)) return 0;
  WCHAR path[kCtxPathChars];
  WCHAR section[kStampSectionChars];
  if (!CopyPath(file, path) || !CfgStampSection(section, n, nullptr, ctx)) return 0;
  return CfgWithSection(ctx, section, [&] {
    return save ? CfgSaveSettingsFile(ctx->printer, path, kTransferStamp, ctx)
                : CfgLoadSettingsFile(ctx->printer, path, kTransferStamp, ctx);
  });
}

int CountIn(const WCHAR* file, const WCHAR* section) {
  if (!file || !file[0] || !section || !section[0]) return 0;
  return CountOf(IniReadInt(section, kStampCountKey, 0, file));
}

}  // namespace

// ---- counts -----------------------------------------------------------------------------------

int CfgGetStampCount(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR file[kCtxPathChars];
  if (!CopyPath(PathGetSettingsIni(ctx), file)) return 0;
  return CountIn(file, CfgLanguageSection(ctx));
}

int CfgSetStampCount(DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR file[kCtxPathChars];
  const WCHAR* section = nullptr;
  if (!CopyPath(PathGetSettingsIni(ctx), file) || !(section = CfgLanguageSection(ctx)) || !section[0]) return 0;
  const std::string digits = std::to_string(n);
  const std::u16string value(digits.begin(), digits.end());
  return IniWriteString(section, kStampCountKey, value.c_str(), file) ? 1 : 0;
}

int CfgGetDefaultStampCount(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR file[kCtxPathChars];
  if (!CopyPath(PathGetDriverIni(ctx), file)) return 0;
  return CountIn(file, CfgLanguageSection(ctx));
}

int CfgGetStampCountOf(const WCHAR* file, const WCHAR* section, DriverContext*) { return CountIn(file, section); }

int CfgStampSection(WCHAR* out, int n, void*, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  if (!IsStampNumber(n)) return 0;
  const std::string digits = std::to_string(n);
  std::u16string name(kStampSectionPrefix);
  name.append(digits.begin(), digits.end());
  if (const WCHAR* code = CfgLanguageCodeStr(ctx)) name += code;
  if (name.size() >= static_cast<size_t>(kStampSectionChars)) return 0;
  lstrcpynW(out, name.c_str(), kStampSectionChars);
  return static_cast<int>(name.size());
}

// ---- one stamp --------------------------------------------------------------------------------

int CfgLoadStamp(DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea || !IsStampNumber(n)) return 0;
  const int result = TransferStamp(ctx, PathGetSettingsIni(ctx), n, false);
  OptSetUiValue(ctx, kOptWmId, static_cast<uint32_t>(n));
  return result;
}

int CfgSaveStamp(DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea || !IsStampNumber(n)) return 0;
  if (n != kStampOutsideList && n >= CfgGetStampCount(ctx)) CfgSetStampCount(ctx, n + 1);
  OptSetUiValue(ctx, kOptWmId, static_cast<uint32_t>(n));
  const int result = TransferStamp(ctx, PathGetSettingsIni(ctx), n, true);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return result;
}

int CfgLoadDefaultStamp(void*, DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea) return 0;
  return TransferStamp(ctx, PathGetDriverIni(ctx), n, false);
}

int CfgLoadStampFromFile(const WCHAR* file, void*, int n, DriverContext* ctx) { return TransferStamp(ctx, file, n, false); }

int CfgReloadCurrentStamp(void*, DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage) return 0;
  const int32_t id = OptGetWatermarkId(ctx);
  if (id < 0 || !OptIsLegalValue(kOptWmKind, OptGetValue(ctx, kOptWmKind, nullptr))) return 0;
  return CfgLoadStamp(ctx, OptGetUiValue(ctx, kOptWmId, nullptr));
}

// ---- the list ---------------------------------------------------------------------------------

int CfgDeleteStamp(DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea) return 0;
  const int count = CfgGetStampCount(ctx);
  // A number outside the list has nothing to remove: the count must not drop for it.
  if (n < 0 || n >= count) return 0;
  DmPushSnapshot(ctx);
  CfgSetStampCount(ctx, 0);
  for (int b = n + 1; b < count; ++b) {
    CfgLoadStamp(ctx, b);
    CfgSaveStamp(ctx, b - 1);
  }
  DmPopSnapshot(ctx, 1);
  CfgSetStampCount(ctx, count - 1);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return 0;
}

int CfgRefreshAllStamps(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const int count = CfgGetStampCount(ctx);
  DmPushSnapshot(ctx);
  for (int b = 0; b < count; ++b) {
    CfgLoadStamp(ctx, b);
    CfgSaveStamp(ctx, b);
  }
  DmPopSnapshot(ctx, 1);
  return 1;
}
