// Feature module 9, administrator limitations: what runs without a window.
#include <array>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "ctx_environment.h"
#include "device_caps.h"
#include "devmode_merge.h"
#include "env_language.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_store.h"
#include "option_values.h"
#include "preset_list.h"
#include "prn_data.h"
#include "quality_list.h"
#include "scenario_package.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "stamp_list.h"
#include "undo_images.h"

namespace {

// Options the locks guard or capture.
enum : uint16_t {
  kOptDefaultSource = 13,      // dmDefaultSource
  kOptDmColor = 15,            // dmColor
  kOptMediaType = 54,          // zdmMediaType
  kOptFuncSelectNup = 56,      // zdmFuncSelectNup
  kOptFuncSelectDuplex = 58,   // zdmFuncSelectDuplex
  kOptFuncSelectMargin = 67,   // zdmFuncSelectMargin
  kOptNupPostKind = 91,        // zdmNUPPOSTKind
  kOptNupType = 92,            // zdmNUPType
  kOptDuplexType = 94,         // zdmDuplexType
  kOptHfSelectDate = 100,      // zdmHFFuncSelectDate
  kOptHfSelectPage = 101,      // zdmHFFuncSelectPage
  kOptHfSelectString = 102,    // zdmHFFuncSelectString
  kOptHfDatePosi = 108,        // zdmHFDatePosi
  kOptHfDateForm = 109,        // zdmHFDateForm
  kOptHfPageForm = 111,        // zdmHFPageForm
  kOptHfStrPosi = 112,         // zdmHFStrPosi
  kOptHfStrForm = 113,         // zdmHFStrForm
  kOptHfString = 114,          // zdmHFString (text)
  kOptHfFontName = 115,        // zdmHFFontName (text)
  kOptHfFontPoint = 116,       // zdmHFFontPoint
  kOptDstResolutionBoth = 152, // zdmDstResolutionBoth
  kOptPrnMethod = 209,         // zdmPrnMethod
  kOptZdmColor = 699,          // zdmColor
  kOptHfFont = 1011,           // wdmHFFont
};

// The build feature that moves the colour lock from dmColor to zdmColor (off in this build).
constexpr DWORD kFeatureColorOption = 19;

uint16_t ColorOption() { return OptHasBuildFeature(kFeatureColorOption) ? kOptZdmColor : kOptDmColor; }

// ---- the restore map ----------------------------------------------------------------------------

struct RestoreRun {
  uint16_t firstCode, lastCode, firstOption;
};
constexpr RestoreRun kRestoreRuns[] = {
    {10000, 10195, 35},   {10196, 10651, 233},  {10652, 10894, 720}, {10895, 10962, 964},
    {10963, 11068, 1042}, {11069, 11169, 1150}, {11170, 11413, 1337}, {11414, 11846, 10001},
    {11847, 11847, 10442}, {11848, 11879, 1305}, {11880, 11911, 1},   {11912, 11915, 31},
    {11916, 11921, 689},  {11923, 11926, 695},  {11927, 11976, 1581}, {11977, 11977, 1251},
    {11978, 11993, 699},  {11994, 11995, 231},
};

constexpr std::array<LockRestorePair, kLockRestorePairs + 1> BuildRestoreMap() {
  std::array<LockRestorePair, kLockRestorePairs + 1> map{};
  size_t n = 0;
  for (const RestoreRun& run : kRestoreRuns)
    for (uint32_t code = run.firstCode; code <= run.lastCode; ++code)
      map[n++] = {static_cast<uint16_t>(code), static_cast<uint16_t>(run.firstOption + (code - run.firstCode))};
  map[n] = {0, 0};
  return map;
}

constexpr size_t CountRunCodes() {
  size_t n = 0;
  for (const RestoreRun& run : kRestoreRuns) n += run.lastCode - run.firstCode + 1u;
  return n;
}
static_assert(CountRunCodes() == kLockRestorePairs);

constexpr std::array<LockRestorePair, kLockRestorePairs + 1> kRestoreMap = BuildRestoreMap();

// ---- key pairs in a stored file -------------------------------------------------------------------

// Long enough for any value the settings files hold (the longest texts are 513 bytes).
constexpr int kValueChars = 1024;
constexpr int kKeyChars = 128;

// A key of one section of one file.
struct FileSection {
  const WCHAR* file;
  const WCHAR* section;

  // The key's text into out; false when the key is missing (out empty).
  bool Read(const WCHAR* key, WCHAR (&out)[kValueChars]) const {
    // A missing key gives the default; two different defaults tell it from a stored value.
    IniReadString(section, key, u"\x01", out, kValueChars, file);
    if (out[0] != u'\x01' || out[1] != u'\0') return true;
    IniReadString(section, key, u"\x02", out, kValueChars, file);
    if (out[0] != u'\x02' || out[1] != u'\0') return true;
    out[0] = u'\0';
    return false;
  }
  bool Has(const WCHAR* key) const {
    WCHAR value[kValueChars];
    return Read(key, value);
  }
  void Write(const WCHAR* key, const WCHAR* value) const { IniWriteString(section, key, value, file); }
  void Delete(const WCHAR* key) const { IniWriteString(section, key, nullptr, file); }
};

// F and F + "Lock" of an option; false when the option has no field name or it is too long.
struct KeyPair {
  WCHAR field[kKeyChars] = {};
  WCHAR lock[kKeyChars] = {};
};
bool MakeKeyPair(const WCHAR* fieldName, KeyPair* keys) {
  if (!fieldName || !fieldName[0]) return false;
  const int length = lstrlenW(fieldName);
  if (length + lstrlenW(kLockKeySuffix) >= kKeyChars) return false;
  lstrcpynW(keys->field, fieldName, kKeyChars);
  lstrcpynW(keys->lock, fieldName, kKeyChars);
  lstrcatW(keys->lock, kLockKeySuffix);
  return true;
}
bool OptionKeys(DriverContext* ctx, uint16_t id, KeyPair* keys) { return MakeKeyPair(OptGetFieldName(ctx, id), keys); }

void DecimalText(int32_t value, WCHAR (&out)[kValueChars]) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  int i = 0;
  for (; text[i]; ++i) out[i] = static_cast<WCHAR>(text[i]);
  out[i] = u'\0';
}

bool SameText(const WCHAR* a, const WCHAR* b) { return lstrcmpW(a, b) == 0; }

// Restores one key from its lock key and removes the lock key; nothing when there is none.
void RestoreFromLockKey(const FileSection& file, const KeyPair& keys) {
  WCHAR own[kValueChars];
  if (!file.Read(keys.lock, own)) return;
  WCHAR stored[kValueChars];
  if (!file.Read(keys.field, stored) || !SameText(stored, own)) file.Write(keys.field, own);
  file.Delete(keys.lock);
}

// One numeric lock into one file. Locked: false when the file has no such key (skipped); the
// first locking keeps the file's value under the lock key. Unlocked: the lock key's value goes
// back. `firstLock` tells whether the lock key was made now, `changed` whether the key was
// rewritten with the locked value, `restored` whether an unlock found a lock key.
struct LockStep {
  bool applied = false, firstLock = false, changed = false, restored = false;
};
LockStep ApplyNumericLock(const FileSection& file, const KeyPair& keys, const WCHAR* current, bool locked) {
  LockStep step;
  WCHAR stored[kValueChars];
  if (locked) {
    if (!file.Read(keys.field, stored)) return step;
    if (!file.Has(keys.lock)) {
      file.Write(keys.lock, stored);
      step.firstLock = true;
    }
    if (!SameText(stored, current)) {
      file.Write(keys.field, current);
      step.changed = true;
    }
    step.applied = true;
    return step;
  }
  WCHAR own[kValueChars];
  if (!file.Read(keys.lock, own)) return step;
  // The lock key is the only record of the file's own value: it goes back whenever the key
  // holds something else, even when the current setting happens to equal the own value.
  if (!file.Read(keys.field, stored) || !SameText(stored, own)) file.Write(keys.field, own);
  file.Delete(keys.lock);
  step.applied = step.restored = true;
  return step;
}

// The file named by "<prefix><index>" of the list's section; false when it names none.
bool EntryFile(const SettingsListFile& list, const WCHAR* prefix, int index, WCHAR (&path)[kCtxPathChars]) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", index);
  WCHAR key[kKeyChars];
  lstrcpynW(key, prefix, kKeyChars - 16);
  int at = lstrlenW(key);
  for (int i = 0; number[i]; ++i) key[at++] = static_cast<WCHAR>(number[i]);
  key[at] = u'\0';
  path[0] = u'\0';
  IniReadString(list.section, key, u"", path, kCtxPathChars, list.file);
  return path[0] != u'\0';
}


// The options each lock guards in the preset files, in the order they are applied.
struct GuardedOption {
  uint16_t id;
  int (*isLocked)(DriverContext*);
  int text;      // 1: a text option
  int dropText;  // text options: keep the locked text when the lock is lifted
};

}  // namespace

// ---- module 9 -------------------------------------------------------------------------------------

const LockRestorePair* FmLockRestoreMap() { return kRestoreMap.data(); }

void FmCaptureLockValues(DriverContext* ctx) {
  if (!ctx) return;
  const struct {
    uint16_t target, source;
  } pairs[] = {
      {kOptLockInfoTray, kOptDefaultSource},          {kOptLockInfoMedia, kOptMediaType},
      {kOptLockInfoNupKind, kOptNupPostKind},         {kOptLockInfoPrintType, kOptPrnMethod},
      {kOptLockInfoResolution, kOptLockDstResolutionBoth}, {kOptLockInfoColor, ColorOption()},
  };
  for (const auto& pair : pairs) OptSetValue(ctx, pair.target, OptGetValue(ctx, pair.source, nullptr));
}

int FmRestoreLockedOption(DriverContext* ctx, WORD code) {
  const LockRestorePair* pair = nullptr;
  for (const LockRestorePair* p = kRestoreMap.data(); p->code; ++p)
    if (p->code == code) {
      pair = p;
      break;
    }
  if (!pair) return 0;
  if (!ctx || !ctx->workArea || !ctx->workArea->lockDefaultImage) return 1;
  OptionEntry* row = OptFind(ctx, pair->optionId);
  if (!row) return 1;
  if (OptIsNumericKind(TypeKind(row->typeWord))) {
    OptWriteValue(ctx, row, OptReadLockDefaultValue(ctx, row));
  } else if (const BYTE* bytes = OptReadLockDefaultValuePointer(ctx, row)) {
    OptWriteValueBytes(ctx, row, bytes);
  }
  return 1;
}

int FmLoadLockedHeaderFooterFont(DriverContext* ctx) {
  if (!ctx || !OptIsHeaderFooterLocked(ctx)) return 0;
  WCHAR name[260] = {};
  if (!PrnGetData(ctx->printer, name, sizeof name, kLockHeaderFooterFontValue, ctx)) return 0;
  name[259] = u'\0';
  OptionEntry* row = OptFind(ctx, kOptHfFontName);
  // The field takes whole ANSI characters up to its 32 bytes.
  return row && OptSetStringValue(ctx, row, name) ? 1 : 0;
}

void FmApplyLockToPresetFiles(DriverContext* ctx, uint16_t optionId, int locked, int count) {
  KeyPair keys;
  if (!ctx || !OptionKeys(ctx, optionId, &keys)) return;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return;
  WCHAR current[kValueChars];
  DecimalText(OptGetValue(ctx, optionId, nullptr), current);
  for (int i = 0; i < count; ++i) {
    WCHAR path[kCtxPathChars];
    if (!EntryFile(list, kPresetKeyPrefix, i, path)) continue;
    ApplyNumericLock(FileSection{path, list.section}, keys, current, locked != 0);
  }
}

void FmApplyTextLockToPresetFiles(DriverContext* ctx, uint16_t optionId, int locked, int count, int dropText) {
  KeyPair keys;
  if (!ctx || !OptionKeys(ctx, optionId, &keys)) return;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return;
  WCHAR current[kValueChars] = {};
  if (OptionEntry* row = OptFind(ctx, optionId)) OptGetStringValue(ctx, row, current, kValueChars);
  for (int i = 0; i < count; ++i) {
    WCHAR path[kCtxPathChars];
    if (!EntryFile(list, kPresetKeyPrefix, i, path)) continue;
    const FileSection file{path, list.section};
    WCHAR text[kValueChars];
    if (locked) {
      if (!file.Has(keys.lock)) {
        file.Read(keys.field, text);  // empty when the file has no such key
        file.Write(keys.lock, text);
      }
      file.Write(keys.field, current);
    } else if (file.Read(keys.lock, text)) {
      if (!dropText) file.Write(keys.field, text);
      file.Delete(keys.lock);
    }
  }
}

int FmApplyLockToQualityFiles(DriverContext* ctx, uint16_t optionId, int locked, int count) {
  KeyPair keys, keysW, keysH;
  if (!ctx || !OptionKeys(ctx, optionId, &keys)) return 1;
  const bool both = optionId == kOptDstResolutionBoth;
  if (both && (!OptionKeys(ctx, kOptDstResolutionW, &keysW) || !OptionKeys(ctx, kOptDstResolutionH, &keysH)))
    return 1;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 1;
  const int32_t value = OptGetValue(ctx, optionId, nullptr);
  WCHAR current[kValueChars];
  DecimalText(value, current);
  for (int i = 0; i < count; ++i) {
    WCHAR key[kQualityKeyChars];
    if (CfgQualityKey(key, i) <= 0) continue;
    WCHAR path[kCtxPathChars] = {};
    IniReadString(list.section, key, u"", path, kCtxPathChars, list.file);
    if (!path[0]) continue;
    const FileSection file{path, list.section};
    if (!both) {
      ApplyNumericLock(file, keys, current, locked != 0);
      continue;
    }
    // Every quality file must carry the combined resolution; one without it sends the lock
    // through the separate horizontal and vertical keys instead.
    if (!file.Has(keys.field)) return 0;
    if (locked) {
      // Before the first locking the file's own horizontal and vertical values are kept too.
      if (!file.Has(keys.lock)) {
        WCHAR own[kValueChars];
        for (const KeyPair* side : {&keysW, &keysH})
          if (file.Read(side->field, own)) file.Write(side->lock, own);
      }
      const LockStep step = ApplyNumericLock(file, keys, current, true);
      if (step.changed) {
        if (const ResolutionEntry* row = OptFindResolutionRow(static_cast<int16_t>(value))) {
          WCHAR dpi[kValueChars];
          DecimalText(row->xDpi, dpi);
          file.Write(keysW.field, dpi);
          DecimalText(row->yDpi, dpi);
          file.Write(keysH.field, dpi);
        }
      }
    } else if (ApplyNumericLock(file, keys, current, false).restored) {
      RestoreFromLockKey(file, keysW);
      RestoreFromLockKey(file, keysH);
    }
  }
  return 1;
}

void FmApplyLocksToPresets(DriverContext* ctx) {
  if (!ctx) return;
  const GuardedOption guarded[] = {
      {kOptDefaultSource, OptIsTrayLocked, 0, 0},        {kOptMediaType, OptIsMediaLocked, 0, 0},
      {kOptFuncSelectNup, OptIsNupKindLocked, 0, 0},     {kOptNupPostKind, OptIsNupKindLocked, 0, 0},
      {kOptNupType, OptIsNupKindLocked, 0, 0},           {kOptFuncSelectDuplex, OptIsDuplexLocked, 0, 0},
      {kOptDuplexType, OptIsDuplexLocked, 0, 0},         {kOptPrnMethod, OptIsPrintTypeLocked, 0, 0},
      {ColorOption(), OptIsColorLocked, 0, 0},           {kOptFuncSelectMargin, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfSelectDate, OptIsHeaderFooterLocked, 0, 0}, {kOptHfDatePosi, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfDateForm, OptIsHeaderFooterLocked, 0, 0},   {kOptHfSelectPage, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfPageForm, OptIsHeaderFooterLocked, 0, 0},   {kOptHfSelectString, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfStrPosi, OptIsHeaderFooterLocked, 0, 0},    {kOptHfStrForm, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfString, OptIsHeaderFooterLocked, 1, 1},     {kOptHfFont, OptIsHeaderFooterLocked, 0, 0},
      {kOptHfFontName, OptIsHeaderFooterLocked, 1, 0},   {kOptHfFontPoint, OptIsHeaderFooterLocked, 0, 0},
  };
  const int count = CfgGetPresetCount(ctx);
  for (const GuardedOption& option : guarded) {
    const int locked = option.isLocked(ctx);
    if (option.text)
      FmApplyTextLockToPresetFiles(ctx, option.id, locked, count, option.dropText);
    else
      FmApplyLockToPresetFiles(ctx, option.id, locked, count);
  }
}

void FmApplyResolutionLockToQualities(DriverContext* ctx) {
  if (!ctx) return;
  const int locked = OptIsResolutionLocked(ctx);
  const int count = CfgGetQualityCount(ctx);
  if (FmApplyLockToQualityFiles(ctx, kOptDstResolutionBoth, locked, count)) return;
  FmApplyLockToQualityFiles(ctx, kOptDstResolutionW, locked, count);
  FmApplyLockToQualityFiles(ctx, kOptDstResolutionH, locked, count);
}

// ---- the lock copies of watermarks, the printer's defaults and exported files ---------------------

namespace {

constexpr uint16_t kOptBiDirect = 733;       // zdmBiDirect
constexpr uint16_t kOptBidiFunc = 745;       // zdmBidiFunc
constexpr uint16_t kOptLockPrnMethod = 691;  // zdmLockPrnMethod
constexpr DWORD kMergeLockedDefaults = 0x0408000C;
constexpr int kPrinterConfigClass = 1;

// "Stamp<n><lang>Lock"; false when the name cannot be made.
bool StampLockSection(DriverContext* ctx, int n, WCHAR (&out)[kStampSectionChars + 8]) {
  WCHAR section[kStampSectionChars];
  if (!CfgStampSection(section, n, nullptr, ctx)) return false;
  lstrcpynW(out, section, kStampSectionChars);
  lstrcatW(out, kLockKeySuffix);
  return true;
}

// Loads or saves the watermark rows of the settings file under the section of stamp n's lock copy.
int TransferStampLock(DriverContext* ctx, int n, bool save) {
  WCHAR section[kStampSectionChars + 8];
  const WCHAR* settings = PathGetSettingsIni(ctx);
  if (!settings || !settings[0] || !StampLockSection(ctx, n, section)) return 0;
  WCHAR path[kCtxPathChars];
  lstrcpynW(path, settings, kCtxPathChars);
  return CfgWithSection(ctx, section, [&] {
    return save ? CfgSaveSettingsFile(ctx->printer, path, kCfgStampRows, ctx)
                : CfgLoadSettingsFile(ctx->printer, path, kCfgStampRows, ctx);
  });
}

// The lock key of an option removed from one section of one file.
void FdDeleteLockKey(DriverContext* ctx, const WCHAR* file, const WCHAR* section, uint16_t optionId) {
  KeyPair keys;
  if (OptionKeys(ctx, optionId, &keys)) IniWriteString(section, keys.lock, nullptr, file);
}

// The exported entry file of index i: the digit five places before the end, the extension given.
// False when the path is too short to carry a digit and an extension.
bool EntryFileOf(const WCHAR* mainFile, int index, const WCHAR* extension, WCHAR (&out)[kCtxPathChars]) {
  const int length = mainFile ? lstrlenW(mainFile) : 0;
  if (length < 5 || length >= kCtxPathChars || mainFile[length - 4] != u'.') return false;
  lstrcpynW(out, mainFile, kCtxPathChars);
  out[length - 5] = CfgScenarioDigit(index);
  lstrcpynW(out + length - 3, extension, 4);
  return true;
}

}  // namespace

int FdReloadLockedDefaults(DriverContext* ctx) {
  if (!ctx) return 0;
  const int32_t biDirect = OptGetValue(ctx, kOptBiDirect, nullptr);
  const int32_t bidiFunc = OptGetValue(ctx, kOptBidiFunc, nullptr);
  CfgTakePrinterDefaultDevmode(ctx);
  OptSetValue(ctx, kOptBiDirect, biDirect);
  OptSetValue(ctx, kOptBidiFunc, bidiFunc);
  CfgLoadOptions(ctx->printer, kPrinterConfigClass, ctx);
  CtxSetPropertyTypePrinter(ctx);
  return DmMergeIncoming(ctx, nullptr, kMergeLockedDefaults);
}

void FdSetLockPrintMethod(DriverContext* ctx) {
  if (!ctx) return;
  const int32_t method = OptGetValue(ctx, kOptPrnMethod, nullptr) & 0xFF;
  if (method == 2 || method == 5 || method == 7) return;
  OptSetValue(ctx, kOptLockPrnMethod, method);
}

int FdLoadStampLock(DriverContext* ctx, int n) {
  if (!ctx || !ctx->workArea) return 0;
  const int result = TransferStampLock(ctx, n, false);
  OptSetUiValue(ctx, kOptWmId, static_cast<uint32_t>(n));
  return result;
}

void FdSaveStampLocks(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  DmPushSnapshot(ctx);
  const int count = CfgGetStampCount(ctx);
  for (int n = 0; n < count; ++n) {
    CfgLoadStamp(ctx, n);
    OptSetUiValue(ctx, kOptWmId, static_cast<uint32_t>(n));
    TransferStampLock(ctx, n, true);
  }
  DmPopSnapshot(ctx, 1);
}

void FdClearStampLocks(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  const WCHAR* settings = PathGetSettingsIni(ctx);
  if (!settings || !settings[0]) return;
  WCHAR path[kCtxPathChars];
  lstrcpynW(path, settings, kCtxPathChars);
  const int count = CfgGetStampCount(ctx);
  for (int n = 0; n < count; ++n) {
    WCHAR section[kStampSectionChars + 8];
    if (StampLockSection(ctx, n, section)) WritePrivateProfileSectionW(section, nullptr, path);
  }
}

void FdClearPresetLockKeys(DriverContext* ctx, const WCHAR* mainFile) {
  if (!ctx || !mainFile) return;
  const WCHAR* code = CfgLanguageSectionName(ctx);
  if (!code || !code[0]) return;
  WCHAR section[kKeyChars];
  lstrcpynW(section, code, kKeyChars);
  struct Group {
    int (*isLocked)(DriverContext*);
    std::initializer_list<uint16_t> options;
  };
  const Group groups[] = {
      {OptIsTrayLocked, {kOptDefaultSource}},
      {OptIsMediaLocked, {kOptMediaType}},
      {OptIsNupKindLocked, {kOptFuncSelectNup, kOptNupPostKind, kOptNupType}},
      {OptIsDuplexLocked, {kOptFuncSelectDuplex, kOptDuplexType}},
      {OptIsPrintTypeLocked, {kOptPrnMethod}},
      {OptIsColorLocked, {ColorOption()}},
      {OptIsHeaderFooterLocked,
       {kOptFuncSelectMargin, kOptHfSelectDate, kOptHfDatePosi, kOptHfDateForm, kOptHfSelectPage, kOptHfPageForm,
        kOptHfSelectString, kOptHfStrPosi, kOptHfStrForm, kOptHfString, kOptHfFont, kOptHfFontName,
        kOptHfFontPoint}},
  };
  const int count = CfgGetPresetCount(ctx);
  for (int i = 0; i < count; ++i) {
    WCHAR file[kCtxPathChars];
    if (!EntryFileOf(mainFile, i, u"rsd", file)) return;
    for (const Group& group : groups)
      if (group.isLocked(ctx))
        for (uint16_t id : group.options) FdDeleteLockKey(ctx, file, section, id);
  }
}

void FdClearQualityLockKeys(DriverContext* ctx, const WCHAR* mainFile) {
  if (!ctx || !mainFile) return;
  const int length = lstrlenW(mainFile);
  if (length < 6 + kScenarioCodeChars || length >= kCtxPathChars) return;
  WCHAR qualityMain[kCtxPathChars];
  lstrcpynW(qualityMain, mainFile, kCtxPathChars);
  CfgNextScenarioCode(qualityMain + length - 5 - kScenarioCodeChars);
  const WCHAR* code = CfgLanguageSectionName(ctx);
  if (!code || !code[0]) return;
  WCHAR section[kKeyChars];
  lstrcpynW(section, code, kKeyChars);
  const bool locked = OptIsResolutionLocked(ctx) != 0;
  const int count = CfgGetQualityCount(ctx);
  for (int i = 0; i < count && locked; ++i) {
    WCHAR file[kCtxPathChars];
    if (!EntryFileOf(qualityMain, i, u"rsq", file)) return;
    for (uint16_t id : {uint16_t(kOptDstResolutionBoth), uint16_t(kOptDstResolutionW), uint16_t(kOptDstResolutionH)})
      FdDeleteLockKey(ctx, file, section, id);
  }
}

// ---- the module's handlers --------------------------------------------------------------------

int FmLimitOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  if (!ctx) return 0;
  if (code == kBfInitLockInfo) {
    FmCaptureLockValues(ctx);
    return 1;
  }
  if (code >= kBfStampLockFirst && code <= kBfStampLockLast) {
    if (!OptIsDefaultLocked(ctx)) return 0;
    FdLoadStampLock(ctx, code - kBfStampLockFirst);
    return 1;
  }
  if (code == kBfLockUpdateDevmode) {
    FdReloadLockedDefaults(ctx);
    return 1;
  }
  if (code == kBfLockUpdatePrnMethod) {
    FdSetLockPrintMethod(ctx);
    return 1;
  }
  if (code == kBfLockHeaderFooterFont) return OptIsHeaderFooterLocked(ctx) ? FmLoadLockedHeaderFooterFont(ctx) : 0;
  if (code >= kBfRestoreLockedFirst && code <= kBfRestoreLockedLast && OptIsDefaultLocked(ctx))
    return FmRestoreLockedOption(ctx, code);
  return 0;
}

int FmLimitOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  if (!ctx) return 0;
  if (code == kFmNotifyLocksApply) {
    FmApplyLocksToPresets(ctx);
    return 1;
  }
  if (code == kFmNotifyResolutionLockApply) {
    FmApplyResolutionLockToQualities(ctx);
    return 1;
  }
  switch (code) {
    case kFmNotifyStampLocksSave:
      FdSaveStampLocks(ctx);
      return 1;
    case kFmNotifyStampLocksClear:
      FdClearStampLocks(ctx);
      return 1;
    case kFmNotifyScenarioPresetsExported:
      FdClearPresetLockKeys(ctx, param ? static_cast<FmScenarioExportParam*>(param)->mainFile : nullptr);
      return 1;
    case kFmNotifyScenarioQualitiesExported:
      FdClearQualityLockKeys(ctx, param ? static_cast<FmScenarioExportParam*>(param)->mainFile : nullptr);
      return 1;
    default:
      return 0;
  }
}
