// The section serializer: option values between a context and one section of a settings file,
// with the header that identifies model, language and version, the row choice of the flags, the
// check of locked values, and the printer-configuration sections of the list file.
//
// A save builds the whole section as ANSI text and replaces the section with one write. The
// text starts at 32,768 bytes and grows as rows are appended, so a section is never cut and
// never written past its buffer; only when memory runs out does the save fail (result 0, the
// file unchanged).
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "env_language.h"
#include "env_text.h"
#include "fd_services.h"
#include "feature_modules.h"
#include "device_state.h"
#include "lock_data.h"
#include "scenario_install.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "free_size.h"
#include "option_store.h"
#include "settings_files.h"
#include "settings_paths.h"

namespace {

// ---- option ids -------------------------------------------------------------------------------
constexpr uint16_t kOptPresetNo = 37;
constexpr uint16_t kOptOSKind = 730;
constexpr uint16_t kOptFreeSizeFirst = 938;
constexpr uint16_t kOptSrcFreeSizeFirst = 943;
constexpr uint16_t kOptStampExtraFirst = 1054;  // wdmWmLinePitch .. wdmWmSecretPattern
constexpr uint16_t kOptStampExtraLast = 1064;
constexpr uint16_t kOptConfigFirst = 10001;
constexpr uint16_t kOptConfigLast = 10442;
constexpr uint16_t kOptTrayNamesFirst = 1540;
constexpr uint16_t kOptTrayNamesLast = 1630;
constexpr uint16_t kOptLockResolutionValue = 10442;

constexpr int kLastPlainRow = 1335;     // rows 0-1335 unless the whole table is asked for
constexpr int kPrivateRowsFirst = 719;  // rows 719-936 (options 720-937) never travel
constexpr int kPrivateRowsLast = 936;
constexpr int kSizeRows = 5;            // custom-size sections: five options
constexpr int kNumberChars = 16;        // a decimal number read from a header key
constexpr int kLockedTextChars = 261;   // a locked value read from the file

constexpr WCHAR kMissing[] = u"\x01";  // default of a read that tells "no such key"

bool IsBetween(uint32_t id, uint32_t first, uint32_t last) { return id >= first && id <= last; }

// ---- the row reader and writer ----------------------------------------------------------------
CfgRowReader g_rowReader = IniReadOption;
CfgRowWriter g_rowWriter = IniWriteOption;

// ---- small helpers ----------------------------------------------------------------------------

bool HasDrive(const WCHAR* path) {
  if (!path) return false;
  const WCHAR c = path[0];
  return ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) && path[1] == u':';
}

// A copy of a section name as the files hold it ('[' and ']' become ','); empty when it does
// not fit.
class SectionCopy {
 public:
  explicit SectionCopy(const WCHAR* section) {
    if (!section) return;
    const int n = lstrlenW(section);
    if (n > kIniSectionChars) return;
    std::copy_n(section, n, name_.begin());
    IniReplaceBrackets(name_.data());
  }
  const WCHAR* get() const { return name_.data(); }
  bool empty() const { return name_[0] == u'\0'; }

 private:
  std::array<WCHAR, kIniSectionChars + 1> name_{};
};

// Reads a key of the loaded section body (cursor kept) or, without one, through the profile
// functions. false when the key is missing.
bool ReadKey(const WCHAR* path, const WCHAR* section, const char* body, int32_t* cursor, const WCHAR* key, WCHAR* out,
             int outSize) {
  if (body) {
    IniReadStringMem(key, kMissing, out, static_cast<WORD>(std::min(outSize, 0xFFFF)), body, cursor);
  } else {
    IniReadString(section, key, kMissing, out, outSize, path);
  }
  return !(out[0] == kMissing[0] && out[1] == u'\0');
}

// Decimal text to a number: optional blanks and sign, then digits; false without a digit.
bool ParseNumber(const WCHAR* text, int64_t* out) {
  const WCHAR* p = text;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
  if (*p < u'0' || *p > u'9') return false;
  int64_t value = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) value = std::min<int64_t>(value * 10 + (*p - u'0'), 0xFFFFFFFFll);
  *out = negative ? -value : value;
  return true;
}

void DecimalText(WCHAR* out, int64_t value) { wsprintfW(out, u"%ld", static_cast<long>(value)); }

// Keeps the storage bytes of some options and puts them back: values that a transfer writes in
// another form for its duration leave no mark of a change.
class StorageKeeper {
 public:
  explicit StorageKeeper(DriverContext* ctx) : ctx_(ctx) {}
  ~StorageKeeper() {
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) std::memcpy(it->at, it->bytes.data(), it->bytes.size());
  }
  StorageKeeper(const StorageKeeper&) = delete;
  StorageKeeper& operator=(const StorageKeeper&) = delete;

  // Keeps the option's storage; its row, or NULL when it has none.
  OptionEntry* Keep(uint16_t id) {
    OptionEntry* row = OptFind(ctx_, id);
    BYTE* at = row ? OptGetValueAddress(ctx_, row) : nullptr;
    if (!at) return nullptr;
    const DWORD extent = OptStorageExtent(row->typeWord);
    kept_.push_back({at, std::vector<BYTE>(at, at + extent)});
    return row;
  }

 private:
  struct Kept {
    BYTE* at;
    std::vector<BYTE> bytes;
  };
  DriverContext* ctx_;
  std::vector<Kept> kept_;
};

// Writes a numeric value into an option's storage without the marks of a change.
void PokeValue(DriverContext* ctx, OptionEntry* row, int32_t value) {
  if (BYTE* at = row ? OptGetValueAddress(ctx, row) : nullptr) OptEncodeValue(at, row->typeWord, value);
}

// Puts a section and key into a row for one read or write and restores them afterwards.
class RowAddress {
 public:
  RowAddress(OptionEntry* row, const WCHAR* section, const WCHAR* key)
      : row_(row), section_(row->section), key_(row->key) {
    row->section = section;
    row->key = key;
  }
  ~RowAddress() {
    row_->section = section_;
    row_->key = key_;
  }
  RowAddress(const RowAddress&) = delete;
  RowAddress& operator=(const RowAddress&) = delete;

 private:
  OptionEntry* row_;
  const WCHAR* section_;
  const WCHAR* key_;
};

const WCHAR* FieldName(const OptionEntry* row) { return row && row->labels ? row->labels->fieldName : nullptr; }

bool IsPlainLoad(DWORD flags) { return flags == kCfgLoad; }
bool IsPlainSave(DWORD flags) { return flags == kCfgSave; }

// The section a transfer addresses when it names none of its own.
const WCHAR* TransferSection(DriverContext* ctx, DWORD flags) {
  const bool save = (flags & kCfgSave) != 0;
  if (!save && (flags & (kCfgInstalledDefault | kCfgListFile))) return CfgLanguageSection(ctx);
  if (save && (flags & kCfgInstalledDefault)) return PrnGetName(ctx);
  if (flags & kCfgRsdSection) return kRsdSectionName;
  return PrnGetName(ctx);
}

// The header rule of the flags: version only (stamps, custom sizes, and list-file or source
// custom-size transfers of their own).
bool HeaderVersionOnly(DWORD flags) {
  const DWORD kind = flags & ~DWORD{kCfgLoad | kCfgSave};
  return (flags & (kCfgStampRows | kCfgFreeSizeRows)) || kind == kCfgListFile || kind == kCfgSrcFreeSizeRows;
}
bool HeaderWritesNothing(DWORD flags) {
  const DWORD kind = flags & ~DWORD{kCfgLoad | kCfgSave};
  return kind == kCfgListFile || kind == kCfgSrcFreeSizeRows;
}

// ---- row choice -------------------------------------------------------------------------------

bool PassesClassFilters(const OptionEntry* row, DWORD flags, bool save) {
  const uint16_t id = row->id;
  if ((flags & kCfgPresetRows) && (!save || (flags & (kCfgPresetResave | kCfgInstalledDefault))) &&
      !(row->stateBits & kStatePresetMask))
    return false;
  if ((flags & kCfgQualityRows) && !(row->stateBits & kStateQualityMask)) return false;
  if ((flags & kCfgStampRows) && !(row->stateBits & kStateWatermarkMask)) return false;
  if (save && !(flags & kCfgStampRows) && IsBetween(id, kOptStampExtraFirst, kOptStampExtraLast)) return false;
  if ((flags & kCfgListFile) && IsBetween(id, 1, 5)) return false;
  return true;
}

bool PlainLoadKeeps(uint16_t id) {
  if (id == 564 || id == 565) return false;
  return IsBetween(id, 6, 206) || IsBetween(id, 209, 609) || IsBetween(id, 613, 683) || IsBetween(id, 686, 719) ||
         IsBetween(id, 938, 1147) || IsBetween(id, 1150, 1336);
}

bool PlainSaveSkips(uint16_t id) {
  return id == 207 || id == 208 || IsBetween(id, 610, 612) || IsBetween(id, 683, 685) || id == 1148 || id == 1149;
}

// The filters after the module's answer.
bool PassesLateFilters(const OptionEntry* row, DWORD flags) {
  const uint16_t id = row->id;
  if ((flags & kCfgUserRows) && TypeBlock(row->typeWord) != kBlockUserSettings) return false;
  if ((flags & kCfgDeviceStateRows) && !CfgIsConfigOptionRow(row)) return false;
  if (IsPlainLoad(flags) && !PlainLoadKeeps(id)) return false;
  if ((flags & kCfgRsdSection) && !(row->stateBits & kStatePresetMask)) return false;
  if (id == 1145 || id == 1146 || id == 1147 || id == 1150) return false;
  if ((flags & kCfgListFile) && (id == 532 || id == 533 || id == 564 || id == 565)) return false;
  if (IsBetween(id, 1235, 1250)) return false;
  if (IsPlainSave(flags) && PlainSaveSkips(id)) return false;
  return true;
}

// In the settings and graphics modules a stamp transfer carries the tile and pattern options of
// the watermark too: they become watermark-class rows of the context.
void MarkStampExtraRows(DriverContext* ctx) {
#if !ZOLT_WINDOW_BUILD
  for (uint16_t id = kOptStampExtraFirst; id <= kOptStampExtraLast; ++id) {
    if (OptionEntry* row = OptFind(ctx, id))
      row->stateBits = static_cast<uint16_t>((row->stateBits & ~kStateWatermarkMask) | 0x40);
  }
#else
  (void)ctx;
#endif
}

// ---- the header -------------------------------------------------------------------------------

int HeaderValue(DriverContext* ctx, int which) {
  switch (which) {
    case 0: return static_cast<int>(ctx->profile ? ctx->profile->settingsVersion : 0);
    case 1: return ctx->profile ? ctx->profile->modelCode : 0;
    case 2: return OptGetValue(ctx, kOptLanguageId, nullptr);
    default: return OptGetValue(ctx, kOptOSKind, nullptr);
  }
}

constexpr const WCHAR* kHeaderKeys[4] = {kRstVersionKey, kRstMachineKey, kRstLanguageKey, kRstOSKindKey};

// The file's header version, once accepted: runs the conversion steps up to the driver's version.
void ConvertFromStoredVersion(DriverContext* ctx, int64_t stored) {
  const DWORD current = ctx->profile ? ctx->profile->settingsVersion : 0;
  if (stored > 299 && current >= 300 && DmCompareVersions(static_cast<DWORD>(stored), current) == 1)
    DmRunConversionSteps(static_cast<DWORD>(stored), current, ctx);
}

// ---- the rows of a transfer -------------------------------------------------------------------

struct Transfer {
  HANDLE printer;
  const WCHAR* path;
  DWORD flags;
  DriverContext* ctx;
  const WCHAR* section;
  bool save;
  const char* body;      // load: the section in the loaded file, or NULL
  IniSectionText* text;  // save: the section being built
  int32_t cursor;
};

// One row; false when it was not transferred as asked (a missing value or a failed write).
bool TransferRow(Transfer& t, OptionEntry* row, const WCHAR* key) {
  RowAddress address(row, t.section, key);
  if (t.save) return g_rowWriter(t.printer, t.ctx, row, t.path, t.text, &t.cursor) != 0;
  if (!g_rowReader(t.ctx, row, t.path, t.body, &t.cursor)) return false;
  row->stateBits = static_cast<uint16_t>((row->stateBits & ~kStateChangedMask) | 1);
  t.ctx->workArea->optionsChanged = 1;
  return true;
}

bool TransferRows(Transfer& t) {
  OptionTable* table = t.ctx->optionTable;
  if (!table || !table->rows || table->count <= 0) return true;
  const DWORD flags = t.flags;
  const int count = table->count;
  const int last = (flags & kCfgDeviceStateRows) ? count - 1 : std::min(kLastPlainRow, count - 1);
  const bool sizeRows = (flags & (kCfgSrcFreeSizeRows | kCfgFreeSizeRows)) != 0;
  if (flags & kCfgStampRows) MarkStampExtraRows(t.ctx);
  bool ok = true;
  for (int i = 0; i <= last; ++i) {
    if (IsBetween(i, kPrivateRowsFirst, kPrivateRowsLast)) continue;
    OptionEntry* row = &table->rows[i];
    if (!PassesClassFilters(row, flags, t.save)) continue;
    const WCHAR* key = nullptr;
    if (sizeRows) {
      if (i >= kSizeRows) break;
      const uint16_t first = (flags & kCfgSrcFreeSizeRows) ? kOptSrcFreeSizeFirst : kOptFreeSizeFirst;
      row = OptFind(t.ctx, static_cast<uint16_t>(first + i));
      if (!row) continue;
      // A source custom size lies under the keys of the custom size (943 under 938's, ...).
      key = FieldName(OptFind(t.ctx, static_cast<uint16_t>(kOptFreeSizeFirst + i)));
    } else {
      key = FieldName(row);
    }
    FmRowTransferParam offer{row, 0};
    FmBroadcastNotify(t.ctx, kFmNotifyTransferRow, &offer);
    if (offer.answer == 1) continue;
    if (!PassesLateFilters(row, flags)) continue;
    if (!key || !key[0]) continue;
    if (!TransferRow(t, row, key)) ok = false;
  }
  if (IsPlainLoad(flags)) OptSetValue(t.ctx, kOptPresetNo, 255);
  return ok;
}

// Replaces the section with the built text: one write of the whole section.
bool WriteSection(const Transfer& t) {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, t.path);  // the file's cached copy goes
  const size_t bytes = static_cast<size_t>(std::max<int32_t>(t.cursor, 0));
  std::vector<WCHAR> wide(std::max<size_t>(bytes + 2, kIniSectionTextInitial), u'\0');
  const size_t n = EnvAnsiBytesToWide(std::string_view(t.text->data, bytes), wide.data(), bytes);
  const int length = CfgLinesToMultiString(wide.data(), static_cast<int>(n));
  wide[length] = u'\0';
  wide[length + 1] = u'\0';
  return WritePrivateProfileSectionW(t.section, wide.data(), t.path) != FALSE;
}

void SendTransferEnd(DriverContext* ctx, DWORD flags, const WCHAR* path) {
  FmTransferEndParam end{flags, path};
  FmBroadcastNotify(ctx, kFmNotifyTransferEnd, &end);
}

// ---- the locked values ------------------------------------------------------------------------

enum class LockRule { kNumber, kLayoutKind, kRangeResolution, kText, kHeaderText };

struct LockedSetting {
  uint16_t id;
  int (*locked)(DriverContext*);
  LockRule rule;
};

constexpr LockedSetting kLockedSettings[] = {
    {13, OptIsTrayLocked, LockRule::kNumber},          {54, OptIsMediaLocked, LockRule::kNumber},
    {56, OptIsNupKindLocked, LockRule::kNumber},       {91, OptIsNupKindLocked, LockRule::kLayoutKind},
    {209, OptIsPrintTypeLocked, LockRule::kNumber},    {58, OptIsDuplexLocked, LockRule::kNumber},
    {15, OptIsColorLocked, LockRule::kNumber},         {152, OptIsResolutionLocked, LockRule::kRangeResolution},
    {38, OptIsResolutionLocked, LockRule::kNumber},    {39, OptIsResolutionLocked, LockRule::kNumber},
    {67, OptIsHeaderFooterLocked, LockRule::kNumber},  {100, OptIsHeaderFooterLocked, LockRule::kNumber},
    {108, OptIsHeaderFooterLocked, LockRule::kNumber}, {109, OptIsHeaderFooterLocked, LockRule::kNumber},
    {101, OptIsHeaderFooterLocked, LockRule::kNumber}, {111, OptIsHeaderFooterLocked, LockRule::kNumber},
    {102, OptIsHeaderFooterLocked, LockRule::kNumber}, {112, OptIsHeaderFooterLocked, LockRule::kNumber},
    {113, OptIsHeaderFooterLocked, LockRule::kNumber}, {114, OptIsHeaderFooterLocked, LockRule::kHeaderText},
    {115, OptIsHeaderFooterLocked, LockRule::kText},   {116, OptIsHeaderFooterLocked, LockRule::kNumber},
    {699, OptIsColorLocked, LockRule::kNumber},
};

constexpr uint16_t kStrDefaultHeaderText = 744;

bool LockedSettingPasses(DriverContext* ctx, const LockedSetting& s, const WCHAR* path, const WCHAR* section) {
  OptionEntry* row = OptFind(ctx, s.id);
  const WCHAR* key = FieldName(row);
  if (!row || !key) return false;
  WCHAR value[kLockedTextChars] = {};
  const bool present = ReadKey(path, section, nullptr, nullptr, key, value, kLockedTextChars);
  if (s.rule == LockRule::kText || s.rule == LockRule::kHeaderText) {
    WCHAR current[kLockedTextChars] = {};
    OptGetStringValue(ctx, row, current, kLockedTextChars);
    if (present) return lstrcmpW(value, current) == 0;
    if (s.rule != LockRule::kHeaderText) return false;
    if (!current[0]) return true;
    WCHAR standard[kLockedTextChars] = {};
    EnvLoadString(ctx, kStrDefaultHeaderText, standard, kLockedTextChars, 1);
    return lstrcmpW(standard, current) == 0;
  }
  int64_t number = 0;
  if (!present || !ParseNumber(value, &number)) return false;
  if (s.rule == LockRule::kLayoutKind && OptIsNupKindAllLocked(ctx) && IsBetween(static_cast<uint32_t>(number), 1, 4))
    return true;
  return static_cast<int32_t>(number) == OptReadValue(ctx, row);
}

}  // namespace

void CfgSetRowIo(CfgRowReader reader, CfgRowWriter writer, CfgRowReader* oldReader, CfgRowWriter* oldWriter) {
  if (oldReader) *oldReader = g_rowReader;
  if (oldWriter) *oldWriter = g_rowWriter;
  g_rowReader = reader ? reader : IniReadOption;
  g_rowWriter = writer ? writer : IniWriteOption;
}

int CfgLinesToMultiString(WCHAR* text, int length) {
  if (!text || length <= 0) return 0;
  const std::vector<WCHAR> copy(text, text + length);
  int out = 0;
  for (int i = 0; i < length; ++i) {
    const WCHAR c = copy[i];
    if (c == u'\r' || c == u'\n') {
      const WCHAR pair = c == u'\r' ? u'\n' : u'\r';
      if (i + 1 < length && copy[i + 1] == pair) ++i;
      text[out++] = u'\0';
    } else {
      text[out++] = c;
    }
  }
  return out;
}

int CfgWriteRstHeader(const WCHAR* path, IniSectionText* text, DriverContext* ctx, const WCHAR* section,
                      int32_t* cursor, int onlyVersion) {
  if (!ctx) return 0;
  const int keys = onlyVersion ? 1 : 4;
  for (int i = 0; i < keys; ++i) {
    WCHAR number[kNumberChars] = {};
    DecimalText(number, HeaderValue(ctx, i));
    const int written = text ? IniAppendKeyMem(cursor, kHeaderKeys[i], number, text)
                             : IniWriteString(section, kHeaderKeys[i], number, path);
    if (!written) return 0;
  }
  return 1;
}

int CfgCheckRstHeader(const WCHAR* path, const WCHAR* section, DWORD flags, int mayShowMessage, DriverContext* ctx,
                      const char* body, IniSectionText* text, int32_t* cursor, int sameMajor) {
  if (!ctx) return 0;
  const bool versionOnly = HeaderVersionOnly(flags);
  if (flags & kCfgSave) {
    if (HeaderWritesNothing(flags)) return 1;
    return CfgWriteRstHeader(path, text, ctx, section, cursor, versionOnly ? 1 : 0);
  }
  WCHAR value[kNumberChars] = {};
  int64_t stored = 0;
  if (versionOnly) {
    if (ReadKey(path, section, body, cursor, kRstVersionKey, value, kNumberChars) && ParseNumber(value, &stored))
      ConvertFromStoredVersion(ctx, stored);
    return 1;
  }
  if (flags & kCfgInstalledDefault) return 1;

  int64_t header[3] = {};
  bool complete = true;
  for (int i = 0; i < 3 && complete; ++i)
    complete =
        ReadKey(path, section, body, cursor, kHeaderKeys[i], value, kNumberChars) && ParseNumber(value, &header[i]);
  const int64_t current = HeaderValue(ctx, 0);
  const bool sameVersion = sameMajor ? header[0] >= 0 && header[0] / 100 == current / 100 : header[0] == current;
  if (!complete || !sameVersion || header[1] != HeaderValue(ctx, 1) || header[2] != HeaderValue(ctx, 2)) {
    if (mayShowMessage) FdShowMessageWithText(ctx, nullptr, kMsgSettingsFileRefused, path);
    return 0;
  }
  ConvertFromStoredVersion(ctx, header[0]);
  return 1;
}

int CfgReadRstOSKind(const WCHAR* path, DriverContext* ctx) {
  constexpr int kNone = 0xFFFF;
  if (!ctx || !HasDrive(path)) return kNone;
  char* image = IniLoadFile(path, 0);
  if (!image) return kNone;
  const SectionCopy section(PrnGetName(ctx));
  int32_t cursor = 0;
  WCHAR value[kNumberChars] = {};
  int64_t kind = 0;
  const char* body = IniFindSection(section.get(), image);
  const bool found = body && ReadKey(path, section.get(), body, &cursor, kRstOSKindKey, value, kNumberChars) &&
                     ParseNumber(value, &kind);
  IniFreeFile(image);
  return found ? static_cast<int>(kind) : kNone;
}

int CfgCheckLockedValues(DriverContext* ctx, const WCHAR* path, const WCHAR* section, DWORD) {
  if (!ctx) return 0;
  for (const LockedSetting& s : kLockedSettings) {
    if (!s.locked(ctx)) continue;
    bool passes = true;
    if (s.rule == LockRule::kRangeResolution) {
      const int kind = CfgGetResolutionListKind(ctx);
      passes = kind == 1 ? LockedSettingPasses(ctx, s, path, section) : kind != -1;
    } else {
      passes = LockedSettingPasses(ctx, s, path, section);
    }
    if (!passes) {
      FdShowMessageWithText(ctx, nullptr, kMsgSettingsFileLocked, path);
      return 0;
    }
  }
  return 1;
}

int CfgTransferSettingsSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  const bool save = (flags & kCfgSave) != 0;
  if (!HasDrive(path) || (!save && !(flags & kCfgLoad))) return 0;
  const SectionCopy section(TransferSection(ctx, flags));

  Transfer t{printer, path, flags, ctx, section.get(), save, nullptr, nullptr, 0};
  char* image = nullptr;
  IniSectionText text{};
  if (save) {
    if (!IniSectionTextInit(&text)) return 0;
    t.text = &text;
  } else {
    image = IniLoadFile(path, 0);
    if (!image) {
      CtxSetSettingsFileStatus(ctx, kSettingsFileUnreadable);
      SendTransferEnd(ctx, flags, path);
      return 0;
    }
    t.body = IniFindSection(section.get(), image);
  }

  int result = 1;
  const int mayShowMessage = (flags & (kCfgQualityRows | kCfgNoMessage)) ? 0 : 1;
  if (!CfgCheckRstHeader(path, section.get(), flags, mayShowMessage, ctx, t.body, t.text, &t.cursor, 1)) {
    if (save) {
      result = 0;  // the header could not be put into the section text
    } else {
      CtxSetSettingsFileStatus(ctx, kSettingsFileVersion);
    }
  } else if (IsPlainLoad(flags) && OptHasAnyLock(ctx) && !CfgCheckLockedValues(ctx, path, section.get(), flags)) {
    CtxSetSettingsFileStatus(ctx, kSettingsFileLockMismatch);
    result = 0;
  } else {
    const bool rowsOk = TransferRows(t);
    if (save) {
      if (IsPlainSave(flags)) CfgWritePrnSection(nullptr, kCfgListFile, ctx);
      // The section is written with the rows that could be written; a failed row still makes
      // the result 0.
      const bool written = WriteSection(t);
      result = rowsOk && written ? 1 : 0;
    } else if (!rowsOk) {
      result = 0;
    }
  }

  IniFreeFile(image);
  IniSectionTextFree(&text);
  SendTransferEnd(ctx, flags, path);
  return result;
}

int CfgTransferOptionRange(const WCHAR* path, DWORD flags, DriverContext* ctx, const WCHAR* section,
                           WCHAR* keyBuffer, uint16_t firstId, uint16_t lastId) {
  if (!ctx || !path) return 0;
  const bool write = (flags & kCfgSave) != 0;
  StorageKeeper keeper(ctx);
  if (write) {
    // Font lists live in this process only, and the lock switch is stored as "any lock set".
    for (uint16_t id = kOptFontTableCount; id <= kOptOptionFont; ++id) PokeValue(ctx, keeper.Keep(id), 0);
    const int anyLock = OptHasAnyLock(ctx);
    PokeValue(ctx, keeper.Keep(kOptLockEnabled), anyLock ? 1 : 0);
  }
  int result = 1;
  for (uint32_t id = firstId; id <= lastId; ++id) {
    if ((flags & kCfgListFile) && IsBetween(id, kOptConfigFirst, kOptConfigFirst + 2)) continue;
    // The font lists are this process's own buffers: a stored number never replaces them.
    if (!write && IsBetween(id, kOptFontTableCount, kOptOptionFont)) continue;
    OptionEntry* row = OptFind(ctx, static_cast<uint16_t>(id));
    const WCHAR* name = FieldName(row);
    if (!name || !name[0]) continue;
    const WCHAR* key = name;
    if (keyBuffer) key = lstrcpynW(keyBuffer, name, kCfgKeyChars);
    RowAddress address(row, section, key);
    if (write) {
      if (!g_rowWriter(ctx->printer, ctx, row, path, nullptr, nullptr)) result = 0;
    } else {
      g_rowReader(ctx, row, path, nullptr, nullptr);
    }
  }
  return result;
}

int CfgTransferConfigSubset(const WCHAR* path, DWORD flags, DriverContext* ctx, uint16_t firstId, uint16_t lastId) {
  if (!ctx || !ctx->workArea || !HasDrive(path)) return 0;
  const bool plainLoad = IsPlainLoad(flags), plainSave = IsPlainSave(flags);
  const bool listFile = (flags & kCfgListFile) != 0;
  if (!plainLoad && !plainSave && !listFile) return 1;
  const bool save = (flags & kCfgSave) != 0;
  if (plainLoad && !BidiCanWritePrinterData(ctx)) return 1;

  std::vector<uint16_t> ids = {kOptAuthMode, kOptAuthSecureMode};
  if (plainSave || listFile) {
    ids.push_back(kOptLockEnabled);
    for (uint16_t id = kOptLockDefault; id <= kOptLockBitLast; ++id) ids.push_back(id);
    ids.push_back(kOptLockResolutionValue);
  }
  const SectionCopy section(TransferSection(ctx, flags));
  StorageKeeper keeper(ctx);
  if (plainSave) PokeValue(ctx, keeper.Keep(kOptLockEnabled), OptHasAnyLock(ctx) ? 1 : 0);
  int result = 1;
  for (uint16_t id : ids) {
    if (id < firstId || id > lastId) continue;
    OptionEntry* row = OptFind(ctx, id);
    const WCHAR* key = FieldName(row);
    if (!key || !key[0]) continue;
    bool taken = false;
    {
      RowAddress address(row, section.get(), key);
      if (save) {
        if (!g_rowWriter(ctx->printer, ctx, row, path, nullptr, nullptr)) result = 0;
      } else {
        taken = g_rowReader(ctx, row, path, nullptr, nullptr) != 0;
      }
    }
    // A plain load also keeps what it read in the printer's data, under the row's own name.
    if (taken && plainLoad) PrnWriteOption(ctx->printer, ctx, row);
  }
  return result;
}

int CfgTransferPrnSection(const WCHAR* path, DWORD flags, DriverContext* ctx) {
  if (!ctx) return 0;
  const bool languageSection = (flags & kCfgListFile) && !(flags & kCfgSave);
  const SectionCopy section(languageSection ? CfgLanguageSection(ctx) : kPrnSectionName);
  WCHAR key[kCfgKeyChars] = {};
  const int first = CfgTransferOptionRange(path, flags, ctx, section.get(), key, kOptConfigFirst, kOptConfigLast);
  const int second =
      CfgTransferOptionRange(path, flags, ctx, section.get(), key, kOptTrayNamesFirst, kOptTrayNamesLast);
  return first && second ? 1 : 0;
}

int CfgWritePrnSection(const WCHAR* path, DWORD flags, DriverContext* ctx) {
  if (!ctx) return 0;
  WCHAR listPath[MAX_PATH] = {};
  if (flags & kCfgListFile) {
    PathInSharedDir(listPath, MAX_PATH, kListFileName, ctx);
    path = listPath;
  }
  if (!HasDrive(path)) return 0;
  return CfgTransferPrnSection(path, flags | kCfgSave, ctx);
}

namespace {
int WriteRsdSection(HANDLE printer, DWORD flags, DriverContext* ctx) {
  WCHAR listPath[MAX_PATH] = {};
  PathInSharedDir(listPath, MAX_PATH, kListFileName, ctx);
  return CfgTransferSettingsSection(printer, listPath, flags | kCfgRsdSection | kCfgSave, ctx);
}
}  // namespace

int CfgWriteRsdSection(HANDLE printer, const WCHAR*, DWORD flags, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  if (flags & ~DWORD{kCfgNoMessage | kCfgSave}) return WriteRsdSection(printer, flags, ctx);
  WCHAR* buffer = PrnGetName(ctx);
  WCHAR kept[kCtxPathChars] = {};
  lstrcpynW(kept, buffer, kCtxPathChars);
  lstrcpynW(buffer, PrnGetDriverName(ctx), kCtxPathChars);
  const int result = WriteRsdSection(printer, flags, ctx);
  lstrcpynW(buffer, kept, kCtxPathChars);
  return result;
}

int CfgWriteConfigToDefaultScenario(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const WCHAR* driverIni = PathGetDriverIni(ctx);
  const SectionCopy section(CfgLanguageSection(ctx));
  WCHAR file[MAX_PATH] = {};
  IniReadString(section.get(), u"DefaultRst", u"", file, MAX_PATH, driverIni);
  if (!file[0]) return 1;
  if (!HasDrive(file) && !PathExpandInstallName(file, MAX_PATH, ctx)) return 1;
  if (!CfgWriteRstHeader(file, nullptr, ctx, section.get(), nullptr, 0)) return 1;
  WCHAR key[kCfgKeyChars] = {};
  constexpr DWORD kFlags = kCfgSave | kCfgListFile;
  CfgTransferOptionRange(file, kFlags, ctx, section.get(), key, kOptConfigFirst, kOptConfigLast);
  CfgTransferOptionRange(file, kFlags, ctx, section.get(), key, kOptTrayNamesFirst, kOptTrayNamesLast);
  return 1;
}
