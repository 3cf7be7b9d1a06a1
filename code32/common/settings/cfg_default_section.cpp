// The administrator's default settings section of the settings file, kept in step with the
// printer-data image "LockDefaultData", and the printer information of settings files.
#include "default_section.h"

#include <cstring>
#include <memory>
#include <string>

#include "context_services.h"
#include "devmode_fields.h"
#include "ini_file.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_validation.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"

namespace {

constexpr uint16_t kOptMachineId = 35;  // zdmMachineID: its key marks the section as present
// The printer configuration carried after the plain save's values.
constexpr uint16_t kOptConfigFirst = 10001;
constexpr uint16_t kOptConfigLast = 10442;
constexpr uint16_t kOptTrayNamesFirst = 1540;
constexpr uint16_t kOptTrayNamesLast = 1630;
// The options revalidated when the printer-data image stands in for the section.
constexpr uint16_t kOptPublicFirst = 35;
constexpr uint16_t kOptPublicLast = 719;

struct FreeMem {
  void operator()(void* p) const { MdlFreeMem(p); }
};

// The font-list references of the printer configuration: written as 0, never read back, as a
// 0 read over a reference would lose the context's font lists.
constexpr uint16_t kOptFontListLast = 10009;

// The printer configuration between the context and the section (the list-file flag leaves
// out 10001-10003).
int TransferConfiguration(const WCHAR* file, DWORD flags, DriverContext* ctx, const WCHAR* section) {
  WCHAR key[kCfgKeyChars] = {};
  const uint16_t from = (flags & kCfgSave) ? kOptConfigFirst : kOptFontListLast + 1;
  const int first = CfgTransferOptionRange(file, flags, ctx, section, key, from, kOptConfigLast);
  const int second = CfgTransferOptionRange(file, flags, ctx, section, key, kOptTrayNamesFirst, kOptTrayNamesLast);
  return first && second ? 1 : 0;
}

void RevalidateRange(DriverContext* ctx, uint16_t first, uint16_t last) {
  for (uint32_t id = first; id <= last; ++id) {
    OptionEntry* row = OptFind(ctx, static_cast<uint16_t>(id));
    if (!row) continue;
    OptValidateOrRepair(static_cast<uint16_t>(id), OptReadValue(ctx, row), ctx);
  }
}

// The whole value of a key, however long; empty when missing.
std::u16string ReadWholeString(const WCHAR* section, const WCHAR* key, const WCHAR* file) {
  std::u16string value(MAX_PATH, u'\0');
  for (;;) {
    const int n = IniReadString(section, key, u"", value.data(), static_cast<int>(value.size()), file);
    if (n < static_cast<int>(value.size()) - 1 || value.size() >= (1u << 20)) {
      value.resize(n > 0 ? static_cast<size_t>(n) : 0);
      return value;
    }
    value.assign(value.size() * 2, u'\0');
  }
}

}  // namespace

int CfgDefaultSectionName(DriverContext* ctx, WCHAR (&out)[kCtxPathChars]) {
  out[0] = u'\0';
  const WCHAR* printer = ctx ? PrnGetName(ctx) : nullptr;
  if (!printer || !printer[0]) return 0;
  std::u16string name(printer);
  name += kDefaultSectionSuffix;
  if (name.size() >= static_cast<size_t>(kCtxPathChars)) return 0;
  lstrcpynW(out, name.c_str(), kCtxPathChars);
  return 1;
}

int CfgLoadDefaultSection(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  WCHAR section[kCtxPathChars], file[kCtxPathChars];
  if (!CfgDefaultSectionName(ctx, section) || !CfgCopyPathText(PathGetSettingsIni(ctx), file)) return 0;
  const WCHAR* machineKey = OptGetFieldName(ctx, kOptMachineId);
  if (!machineKey || !machineKey[0]) return 0;
  WCHAR marker[kCtxPathChars] = {};
  IniReadString(section, machineKey, u"", marker, kCtxPathChars, file);
  if (!marker[0]) return 0;
  CfgWithSection(ctx, section, [&] { return CfgTransferSettingsSection(ctx->printer, file, kCfgLoad, ctx); });
  // A refused section (another driver's header, locked values that differ) brings in nothing,
  // its printer configuration included. A key missing from an accepted one is no refusal.
  if (CtxGetSettingsFileStatus(ctx) == kSettingsFileOk)
    TransferConfiguration(file, kCfgLoad | kCfgListFile, ctx, section);
  return 1;
}

int CfgSaveDefaultSection(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  WCHAR section[kCtxPathChars], file[kCtxPathChars];
  if (!CfgDefaultSectionName(ctx, section) || !CfgCopyPathText(PathGetSettingsIni(ctx), file)) return 0;
  const int saved = CfgWithSection(
      ctx, section, [&] { return CfgTransferSettingsSection(ctx->printer, file, kCfgSave, ctx); });
  const int configuration = TransferConfiguration(file, kCfgSave | kCfgListFile, ctx, section);
  return saved && configuration ? 1 : 0;
}

int CfgRefreshLockDefault(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage || !ctx->workArea->lockDefaultImage) return 0;
  const DWORD size = DmGetImageSize();
  auto* working = reinterpret_cast<BYTE*>(ctx->settingsImage);
  auto* lockDefault = reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage);
  std::unique_ptr<BYTE, FreeMem> kept(static_cast<BYTE*>(CtxAllocMem(size)));
  if (!kept) return 0;
  std::memcpy(kept.get(), working, size);

  if (!CfgLoadDefaultSection(ctx)) {
    // Without a stored image the settings in force are the defaults: an image never read holds
    // no settings at all.
    if (PrnReadLockDefaultData(ctx->printer, ctx)) std::memcpy(working, lockDefault, size);
    RevalidateRange(ctx, kOptPublicFirst, kOptPublicLast);
    RevalidateRange(ctx, kOptConfigFirst, kOptConfigLast);
    RevalidateRange(ctx, kOptTrayNamesFirst, kOptTrayNamesLast);
  }
  std::memcpy(lockDefault, working, size);
  const int written = PrnWriteLockDefaultData(ctx->printer, ctx);
  const int saved = CfgSaveDefaultSection(ctx);

  std::memcpy(working, kept.get(), size);
  return written && saved ? 1 : 0;
}

int CfgCopyPrinterInformation(void*, const WCHAR* destination, const WCHAR* source) {
  if (!destination || !source) return 0;
  const std::u16string text = ReadWholeString(kPrinterInformationSection, kPrinterInformationKey, source);
  return IniWriteString(kPrinterInformationSection, kPrinterInformationKey, text.c_str(), destination) ? 1 : 0;
}
