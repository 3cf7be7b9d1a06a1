// Loading and saving whole settings files under the global mutex: the section switch to the
// driver-name section of user settings files, and the custom sizes, watermark and quality that
// a user settings file carries with its settings.
#include <cstring>
#include <vector>

#include "devmode_fields.h"
#include "devmode_merge.h"
#include "env_language.h"
#include "env_mutex.h"
#include "feature_modules.h"
#include "install_defaults.h"
#include "job_control.h"
#include "model_query.h"
#include "option_access.h"
#include "option_validation.h"
#include "option_context_words.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "free_size.h"
#include "option_store.h"
#include "preset_list.h"
#include "quality_list.h"
#include "scenario_install.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "stamp_list.h"

namespace {

constexpr uint16_t kOptDmFields = 6;
constexpr uint16_t kOptIcmMethod = 27;
constexpr uint16_t kOptIcmIntent = 28;
constexpr uint16_t kOptUiModeChange = 36;
constexpr uint16_t kOptPresetNo = 37;
constexpr uint16_t kOptWatermarkId = 118;
constexpr uint16_t kOptAdjustMode = 128;
constexpr uint16_t kOptColorMatching = 130;
constexpr uint16_t kOptIcmType = 131;
constexpr uint16_t kOptIcmIntentItem = 132;
constexpr uint16_t kOptOSKind = 730;
constexpr uint16_t kOptSpecialFirst = 1203;  // wdmSpecial1 .. wdmSpecial16
constexpr uint16_t kOptSpecialLast = 1218;
constexpr uint16_t kConfigFirst = 10001;
constexpr uint16_t kConfigLast = 10442;

constexpr DWORD kDmIcmMethod = 0x00800000;
constexpr DWORD kDmIcmIntent = 0x01000000;
constexpr DWORD kDmMediaType = 0x02000000;

constexpr DWORD kMergeAfterLoad = 0x10000008;
constexpr DWORD kJcItemUser = 1;
constexpr DWORD kJcItemsAfterLoad = 30878;

bool IsWholeFile(DWORD flags) { return flags == 0 || flags == kCfgNoMessage; }

// The printer-section buffer of the work area, switched to another name and back.
class SectionSwitch {
 public:
  explicit SectionSwitch(DriverContext* ctx) : buffer_(PrnGetName(ctx)) {
    if (buffer_) lstrcpynW(kept_, buffer_, kCtxPathChars);
  }
  ~SectionSwitch() { Restore(); }
  SectionSwitch(const SectionSwitch&) = delete;
  SectionSwitch& operator=(const SectionSwitch&) = delete;

  void Put(const WCHAR* name) {
    if (!buffer_ || !name) return;
    lstrcpynW(buffer_, name, kCtxPathChars);
    switched_ = true;
  }
  void Restore() {
    if (buffer_ && switched_) lstrcpynW(buffer_, kept_, kCtxPathChars);
  }
  bool switched() const { return switched_; }
  const WCHAR* kept() const { return kept_; }
  WCHAR* buffer() const { return buffer_; }

 private:
  WCHAR* buffer_;
  WCHAR kept_[kCtxPathChars] = {};
  bool switched_ = false;
};

// Runs f with the real printer name in the printer-section buffer.
template <typename F>
void WithPrinterSection(const SectionSwitch& sw, F f) {
  if (!sw.switched() || !sw.buffer()) {
    f();
    return;
  }
  WCHAR current[kCtxPathChars] = {};
  lstrcpynW(current, sw.buffer(), kCtxPathChars);
  lstrcpynW(sw.buffer(), sw.kept(), kCtxPathChars);
  f();
  lstrcpynW(sw.buffer(), current, kCtxPathChars);
}

bool HasKeyInSection(const WCHAR* path, const WCHAR* section, const WCHAR* key) {
  WCHAR value[16] = {};
  IniReadString(section, key, u"\x01", value, 16, path);
  return !(value[0] == u'\x01' && value[1] == u'\0');
}

bool IsSettingsModule(const DriverContext* ctx) {
#if ZOLT_WINDOW_BUILD
  (void)ctx;
  return false;
#else
  return (ctx->workArea->creationMode & (kCtxModeSettingsCommand | kCtxModeSettingsInterface)) != 0;
#endif
}

// The storage of options 1203-1218, kept across a load.
struct KeptSpecials {
  std::vector<std::vector<BYTE>> bytes;
};

KeptSpecials KeepSpecials(DriverContext* ctx) {
  KeptSpecials kept;
  for (uint16_t id = kOptSpecialFirst; id <= kOptSpecialLast; ++id) {
    OptionEntry* row = OptFind(ctx, id);
    BYTE* at = row ? OptGetValueAddress(ctx, row) : nullptr;
    kept.bytes.emplace_back(at ? std::vector<BYTE>(at, at + OptStorageExtent(row->typeWord)) : std::vector<BYTE>{});
  }
  return kept;
}

void RestoreSpecials(DriverContext* ctx, const KeptSpecials& kept) {
  for (uint16_t id = kOptSpecialFirst; id <= kOptSpecialLast; ++id) {
    const std::vector<BYTE>& bytes = kept.bytes[id - kOptSpecialFirst];
    OptionEntry* row = OptFind(ctx, id);
    BYTE* at = row ? OptGetValueAddress(ctx, row) : nullptr;
    if (at && !bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  }
}

// A loaded user settings file brings the custom sizes, watermark and quality it uses into their
// lists, and the loaded values are fitted to this system and this printer.
void AfterWholeFileLoad(DriverContext* ctx, const SectionSwitch& sw, int32_t keptOsKind) {
  if (const int slot = OptGetOutputSizeSlot(ctx); slot >= 0) {
    CfgSaveFreeSize(ctx, slot);
    CfgCaptureFreeSizeSlot(ctx, slot);
  }
  if (const int slot = OptGetSourceSizeSlot(ctx); slot >= 0) {
    CfgCaptureSrcFreeSizeSlot(ctx, slot);
    CfgApplyFreeSizeSlot(ctx, slot);
    CfgSaveFreeSize(ctx, slot);
  }
  if (int stamp = OptGetWatermarkId(ctx); stamp >= 0) {
    const int count = CfgGetStampCount(ctx);
    if (stamp >= count) {
      stamp = count;
      OptSetValue(ctx, kOptWatermarkId, stamp);
    }
    CfgSaveStamp(ctx, stamp);
  }

  // The system class: colour matching of older systems, and the media-type field.
  if (keptOsKind == 0 || keptOsKind == 1) {
    OptSetValue(ctx, kOptIcmMethod, 1);
    OptSetValue(ctx, kOptIcmIntent, 1);
    const DWORD fields = static_cast<DWORD>(OptGetValue(ctx, kOptDmFields, nullptr));
    OptSetValue(ctx, kOptDmFields, static_cast<int32_t>(fields & ~(kDmIcmMethod | kDmIcmIntent)));
    OptSetValue(ctx, kOptColorMatching, 0);
    OptSetUiValue(ctx, kOptIcmType, MdlGetItemDefault(kOptIcmType, ctx));
    OptSetUiValue(ctx, kOptIcmIntentItem, MdlGetItemDefault(kOptIcmIntentItem, ctx));
  }
  DWORD fields = static_cast<DWORD>(OptGetValue(ctx, kOptDmFields, nullptr));
  fields = (keptOsKind == 0 || keptOsKind == 3) ? fields | kDmMediaType : fields & ~kDmMediaType;
  OptSetValue(ctx, kOptDmFields, static_cast<int32_t>(fields));
  OptSetValue(ctx, kOptOSKind, keptOsKind);

  if (const int macro = OptGetUserMacroIndex(ctx); macro >= 0)
    WithPrinterSection(sw, [&] { CfgSaveQuality(ctx, macro); });
  OptSetValue(ctx, kOptPresetNo, 255);
  const bool uiModeChange = OptGetValue(ctx, kOptUiModeChange, nullptr) == 1;
  if (uiModeChange) OptSetValue(ctx, kOptUiModeChange, 0);
  CfgApplyLocaleRegion(ctx);
#if ZOLT_WINDOW_BUILD
  WithPrinterSection(sw, [&] {
    JcOpenSession(ctx);
    JcReadItemsInSession(ctx, kJcItemUser);
    JcWriteItemsInSession(ctx, kJcItemsAfterLoad);
    JcCloseSession(ctx);
  });
#else
  (void)kJcItemUser;
  (void)kJcItemsAfterLoad;
#endif
  const bool adjust = IsSettingsModule(ctx) && OptGetValue(ctx, kOptAdjustMode, nullptr) == 1;
  if (adjust) OptSetValue(ctx, kOptAdjustMode, 0);
  DmMergeIncoming(ctx, nullptr, kMergeAfterLoad);
  if (adjust) OptSetValue(ctx, kOptAdjustMode, 1);
  FmBroadcastRecheck(ctx);
  if (uiModeChange) OptSetValue(ctx, kOptUiModeChange, 1);
}

// Replaces a quality file whose header this driver refuses by its installed default.
void RestoreInstalledQuality(const WCHAR* path, DriverContext* ctx) {
  WCHAR source[MAX_PATH] = {};
  if (PathInstalledDefaultOf(source, path, kCfgQualityRows, ctx) && source[0]) CopyFileW(source, path, FALSE);
}

}  // namespace

int CfgLoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const bool whole = IsWholeFile(flags);
  EnvLockGlobalMutex(ctx);
  SectionSwitch sw(ctx);
  WCHAR driverName[kCtxShortNameChars] = {};
  if (const WCHAR* name = PrnGetDriverName(ctx)) lstrcpynW(driverName, name, kCtxShortNameChars);

  // A plain user settings file keeps its values in the section of the driver's name.
  if ((whole || (flags & kCfgPresetResave)) && path && driverName[0] &&
      HasKeyInSection(path, driverName, kRstVersionKey))
    sw.Put(driverName);

  const int32_t keptOsKind = whole ? OptGetValue(ctx, kOptOSKind, nullptr) : 0;
  const KeptSpecials specials = whole ? KeepSpecials(ctx) : KeptSpecials{};

  int result = CfgTransferSettingsSection(printer, path, flags | kCfgLoad, ctx);
  const int32_t status = CtxGetSettingsFileStatus(ctx);
  if (status != kSettingsFileLockMismatch) {
    const int subset = CfgTransferConfigSubset(path, flags | kCfgLoad, ctx, kConfigFirst, kConfigLast);
    result = result == 1 && subset == 1 ? 1 : 0;
  }
  if (status == kSettingsFileVersion && (flags & kCfgQualityRows)) {
    RestoreInstalledQuality(path, ctx);
    result = 1;
  }
  // The follow-up runs unless the locked values refused the file: the current settings (those
  // loaded, or those kept after a refused or unreadable file) are stored and merged again.
  if (whole && status != kSettingsFileLockMismatch) {
    RestoreSpecials(ctx, specials);
    AfterWholeFileLoad(ctx, sw, keptOsKind);
  }

  CtxSetSettingsFileStatus(ctx, status);
  EnvUnlockGlobalMutex(ctx);
  sw.Restore();
  return result;
}

int CfgSaveSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const bool whole = IsWholeFile(flags);
  SectionSwitch sw(ctx);
  if (flags & kCfgLanguageName) {
    sw.Put(CfgLanguageSection(ctx));
  } else if (whole) {
    sw.Put(PrnGetDriverName(ctx));
  }

  EnvLockGlobalMutex(ctx);
  int result = 0;
  if (flags & ~DWORD{kCfgNoMessage | kCfgPresetRows | kCfgSave}) {
    const int written = CfgTransferSettingsSection(printer, path, flags | kCfgSave, ctx);
    const int subset = CfgTransferConfigSubset(path, flags | kCfgSave, ctx, kConfigFirst, kConfigLast);
    result = written == 1 && subset == 1 ? 1 : 0;
  } else if (ctx->settingsImage) {
    // The definitions the settings refer to travel with them; the image is put back afterwards.
    const DWORD size = DmGetImageSize();
    std::vector<BYTE> kept(size);
    BYTE* image = reinterpret_cast<BYTE*>(ctx->settingsImage);
    std::memcpy(kept.data(), image, size);
    if (const int slot = OptGetSourceSizeSlot(ctx); slot >= 0) CfgLoadSrcFreeSize(ctx, slot);
    if (const int slot = OptGetOutputSizeSlot(ctx); slot >= 0) CfgLoadFreeSize(ctx, slot);
    if (const int stamp = OptGetWatermarkId(ctx); stamp >= 0) CfgLoadStamp(ctx, stamp);
    if (const int macro = OptGetUserMacroIndex(ctx); macro >= 0)
      WithPrinterSection(sw, [&] { CfgLoadQuality(ctx, macro); });
    CfgEnsureModuleSetup(ctx);
    DmSetPublicFromOptions(reinterpret_cast<BYTE*>(image), ctx, 0);
    const int written = CfgTransferSettingsSection(printer, path, flags | kCfgSave, ctx);
    const int subset = CfgTransferConfigSubset(path, flags | kCfgSave, ctx, kConfigFirst, kConfigLast);
    result = written == 1 && subset == 1 ? 1 : 0;
    std::memcpy(image, kept.data(), size);
  }
  EnvUnlockGlobalMutex(ctx);
  sw.Restore();
  return result;
}
