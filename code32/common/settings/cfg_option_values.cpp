// One option row to and from its store: printer data under the row's key, or an INI file (or
// an in-memory section) under the row's key in the row's section or the printer's section.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "feature_modules.h"
#include "option_access.h"
#include "option_store.h"
#include "prn_data.h"
#include "remote_config.h"
#include "settings_paths.h"

namespace {

constexpr uint16_t kOptLogging = 10275;      // zdmLogging: the one REG_DWORD value
constexpr DWORD kScratchBytes = 1044;        // values up to this size are read without allocating
constexpr int kNumberChars = 15;             // characters of a stored number that are read
constexpr DWORD kRemoteTypeDword = 4;
constexpr DWORD kRemoteTypeBinary = 3;

// A row whose key or type word is replaced for the length of a call and put back afterwards.
class RowOverride {
 public:
  RowOverride(OptionEntry* row, const WCHAR* key) : row_(row), key_(row->key), typeWord_(row->typeWord) {
    row->key = key;
  }
  ~RowOverride() {
    row_->key = key_;
    row_->typeWord = typeWord_;
  }
  RowOverride(const RowOverride&) = delete;
  RowOverride& operator=(const RowOverride&) = delete;

 private:
  OptionEntry* row_;
  const WCHAR* key_;
  uint32_t typeWord_;
};

bool IsStoredTextKind(uint32_t kind) { return OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind); }

// Bytes of a number in printer data: the width of kinds 1-6, 4 for every other kind.
DWORD NumberWidth(uint32_t typeWord) {
  const uint32_t kind = TypeKind(typeWord);
  return kind >= kKindInt8 && kind <= kKindUInt32 ? OptStorageExtent(typeWord) : 4;
}

uint32_t LittleEndian32(const BYTE* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Reads exactly size bytes of a value into out (zero-filled first, so that a shorter value is
// padded); false when the value is missing, larger than size or cannot be read.
bool ReadPrinterValue(HANDLE printer, const OptionEntry* row, BYTE* out, DWORD size, DWORD flags, void* remote) {
  std::memset(out, 0, size);
  if (flags & kReadThroughServer) {
    DWORD type = 0;
    DWORD got = 0;
    const DWORD valueType = row->id == kOptLogging ? kRemoteTypeDword : kRemoteTypeBinary;
    return RcfgCopyServerPrinterData(printer, row->key, &type, out, size, &got, valueType, remote) == 1 &&
           got <= size;
  }
  return PrnGetData(printer, out, size, row->key, nullptr) == 1;
}

// A path that begins with a drive letter and a colon.
bool HasDrive(const WCHAR* path) {
  if (!path) return false;
  const WCHAR c = path[0];
  return ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) && path[1] == u':';
}

// The leading decimal number of a text (blanks, an optional sign, at least one digit; the
// rest is not looked at). The text is at most kNumberChars long, so the number fits.
bool ParseDecimal(const WCHAR* text, int64_t* value) {
  const WCHAR* p = text;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  if (*p < u'0' || *p > u'9') return false;
  int64_t n = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) n = n * 10 + (*p - u'0');
  *value = negative ? -n : n;
  return true;
}

// The number as the row's storage takes it: kinds 1, 2, 4, 5 cut to their width and sign,
// kinds 3 and 6 the 32-bit word, bit rows and other kinds by the row's size.
int32_t NarrowToKind(int64_t n, uint32_t typeWord) {
  switch (TypeKind(typeWord)) {
    case kKindInt8:
      return static_cast<int8_t>(n);
    case kKindInt16:
      return static_cast<int16_t>(n);
    case kKindUInt8:
      return static_cast<uint8_t>(n);
    case kKindUInt16:
      return static_cast<uint16_t>(n);
    case kKindInt32:
    case kKindUInt32:
      return static_cast<int32_t>(static_cast<uint32_t>(n));
    default:
      break;
  }
  switch (TypeSize(typeWord)) {
    case 1:
      return static_cast<uint8_t>(n);
    case 2:
      return static_cast<uint16_t>(n);
    default:
      return static_cast<int32_t>(static_cast<uint32_t>(n));
  }
}

// The decimal text of a number row: kind 3 signed, kinds 4-6 unsigned, kinds 1, 2 and bit rows
// signed.
std::u16string FormatNumber(int32_t value, uint32_t kind) {
  std::string text;
  switch (kind) {
    case kKindUInt8:
    case kKindUInt16:
    case kKindUInt32:
      text = std::to_string(static_cast<uint32_t>(value));
      break;
    default:
      text = std::to_string(value);
      break;
  }
  return std::u16string(text.begin(), text.end());
}

// Reads the key of the row into out (outChars characters) from the in-memory section or the
// file; the characters copied.
int ReadIniText(const OptionEntry* row, const WCHAR* sectionName, const WCHAR* defaultValue, WCHAR* out,
                int outChars, const WCHAR* iniPath, const char* section, int32_t* cursor) {
  if (section) {
    int32_t start = 0;
    const WORD size = static_cast<WORD>(outChars > 0xFFFF ? 0xFFFF : outChars);
    return IniReadStringMem(row->key, defaultValue, out, size, section, cursor ? cursor : &start);
  }
  return IniReadString(sectionName, row->key, defaultValue, out, outChars, iniPath);
}

// What both INI operations check first. kIniSkip: nothing to do, reported as success (no key,
// or a path without a drive letter); kIniFail: no context or no section to use; kIniGo: the
// section name (the row's, else the printer's) is in *sectionName.
enum IniCheck { kIniSkip, kIniFail, kIniGo };
IniCheck CheckIniRow(DriverContext* ctx, const OptionEntry* row, const WCHAR* iniPath, bool inMemory,
                     const WCHAR** sectionName) {
  if (!HasDrive(iniPath) || !row->key) return kIniSkip;
  if (!ctx) return kIniFail;
  *sectionName = row->section ? row->section : PrnGetName(ctx);
  return inMemory || *sectionName ? kIniGo : kIniFail;
}

}  // namespace

// ---- printer data -------------------------------------------------------------------------------

int PrnWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row) {
  if (!row) return 0;
  if (!row->key) return 1;
  BYTE* storage = OptGetValueAddress(ctx, row);
  if (!storage) return 0;
  const uint32_t kind = TypeKind(row->typeWord);
  if (kind >= kKindAnsi && kind <= kKindBinary2) return PrnSetBinary(printer, storage, TypeSize(row->typeWord), row->key, ctx);
  const auto value = static_cast<uint32_t>(OptReadValue(ctx, row));
  const BYTE bytes[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
  const DWORD type = row->id == kOptLogging ? REG_DWORD : REG_BINARY;
  return PrnSetData(printer, bytes, NumberWidth(row->typeWord), type, row->key, ctx);
}

int PrnReadOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, DWORD flags, void* remote) {
  if (!row) return 0;
  if (!row->key) return 1;
  if (!ctx) return 0;
  if (OptIsBitKind(TypeKind(row->typeWord))) {
    BYTE bytes[4];
    if (!ReadPrinterValue(printer, row, bytes, sizeof bytes, flags, remote)) return 0;
    return OptWriteValue(ctx, row, LittleEndian32(bytes) != 0 ? 1 : 0);
  }
  const DWORD size = TypeSize(row->typeWord);
  BYTE* storage = OptGetValueAddress(ctx, row);
  if (size == 0 || !storage) return 0;
  std::array<BYTE, kScratchBytes> scratch;
  BYTE* buffer = scratch.data();
  void* block = nullptr;
  if (size > kScratchBytes) {
    block = CtxAllocMem(size);
    if (!block) return 0;
    buffer = static_cast<BYTE*>(block);
  }
  const bool read = ReadPrinterValue(printer, row, buffer, size, flags, remote);
  // Copied raw: the value keeps its bytes and the row is not marked changed.
  if (read) std::memcpy(storage, buffer, size);
  MdlFreeMem(block);
  return read ? 1 : 0;
}

int PrnReadOptionByFieldName(HANDLE printer, DriverContext* ctx, OptionEntry* row) {
  const WCHAR* field = row && row->labels ? row->labels->fieldName : nullptr;
  if (!field) return 0;
  RowOverride keyed(row, field);
  return PrnReadOption(printer, ctx, row, 0, nullptr);
}

int PrnWriteOptionByFieldName(HANDLE printer, DriverContext* ctx, OptionEntry* row) {
  const WCHAR* field = row && row->labels ? row->labels->fieldName : nullptr;
  if (!field) return 0;
  RowOverride keyed(row, field);
  return PrnWriteOption(printer, ctx, row);
}

// ---- INI files ----------------------------------------------------------------------------------

int IniReadOption(DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath, const char* section, int32_t* cursor) {
  const WCHAR* sectionName = nullptr;
  if (!row) return 0;
  if (const IniCheck check = CheckIniRow(ctx, row, iniPath, section != nullptr, &sectionName); check != kIniGo)
    return check == kIniSkip ? 1 : 0;
  const uint32_t kind = TypeKind(row->typeWord);

  if (IsStoredTextKind(kind)) {
    const int size = static_cast<int>(TypeSize(row->typeWord));
    // An option whose empty text counts is read with a default of size + 9 '*' characters: a
    // key that is present (even empty) gives something else.
    const bool emptyAllowed = FmIsEmptyTextAllowedOption(row->id) != 0;
    const std::u16string missing = emptyAllowed ? std::u16string(static_cast<size_t>(size) + 9, u'*') : u"";
    std::vector<WCHAR> text(static_cast<size_t>(size) + 10, u'\0');
    ReadIniText(row, sectionName, missing.c_str(), text.data(), static_cast<int>(text.size()), iniPath, section,
                cursor);
    if (emptyAllowed ? missing == text.data() : text[0] == u'\0') return 0;
    return OptSetStringValue(ctx, row, text.data()) ? 1 : 0;
  }
  if (!OptIsNumericKind(kind)) return 0;

  WCHAR text[kNumberChars + 1] = {};
  ReadIniText(row, sectionName, u"", text, kNumberChars + 1, iniPath, section, cursor);
  int64_t number = 0;
  if (!text[0] || !ParseDecimal(text, &number)) return 0;
  return OptWriteValue(ctx, row, NarrowToKind(number, row->typeWord));
}

int IniWriteOption(HANDLE, DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath, IniSectionText* section,
                   int32_t* cursor) {
  const WCHAR* sectionName = nullptr;
  if (!row) return 0;
  if (const IniCheck check = CheckIniRow(ctx, row, iniPath, section != nullptr, &sectionName); check != kIniGo)
    return check == kIniSkip ? 1 : 0;
  const uint32_t kind = TypeKind(row->typeWord);

  std::u16string value;
  if (IsStoredTextKind(kind)) {
    std::vector<WCHAR> text(TypeSize(row->typeWord) + 1, u'\0');
    if (!OptGetStringValue(ctx, row, text.data(), text.size())) return 0;
    value = text.data();
    // A value is one line: a line break would start another key of the section.
    value = value.substr(0, value.find_first_of(u"\r\n"));
  } else if (OptIsNumericKind(kind)) {
    if (!OptGetValueAddress(ctx, row)) return 0;
    value = FormatNumber(OptReadValue(ctx, row), kind);
  } else {
    return 0;
  }
  if (section) return IniAppendKeyMem(cursor, row->key, value.c_str(), section);
  return IniWriteString(sectionName, row->key, value.c_str(), iniPath) ? 1 : 0;
}

// ---- composites -----------------------------------------------------------------------------------

int CfgLoadCompositeValue(HANDLE printer, DriverContext* ctx, OptionEntry* row, int store, uint32_t kind,
                          const WCHAR* name, uint16_t firstId, uint16_t lastId) {
  if (!row || !ctx || !name) return 0;
  // Without storage a failed read would write the empty value back over the stored one.
  if (!OptGetValueAddress(ctx, row)) return 0;
  const bool fromIni = store == 1 || store == 3;
  const WCHAR* iniPath = fromIni ? PathGetSettingsIni(ctx) : nullptr;
  const uint32_t compositeType = (row->typeWord & ~(0x3Fu << 24)) | ((kind & 0x3F) << 24);
  int read = 0;
  {
    RowOverride composite(row, name);
    row->typeWord = compositeType;
    read = fromIni ? IniReadOption(ctx, row, iniPath, nullptr, nullptr) : PrnReadOption(printer, ctx, row, 0, nullptr);
  }
  if (read) return read;
  // Rebuilt from the members, each from the same store, and written back.
  for (uint32_t id = firstId; id <= lastId; ++id) {
    OptionEntry* member = OptFind(ctx, static_cast<uint16_t>(id));
    if (!member) continue;
    if (fromIni)
      IniReadOption(ctx, member, iniPath, nullptr, nullptr);
    else
      PrnReadOption(printer, ctx, member, 0, nullptr);
  }
  RowOverride composite(row, name);
  row->typeWord = compositeType;
  CfgWriteOption(printer, ctx, row, nullptr);
  return 0;
}

int CfgSaveCompositeValue(HANDLE printer, DriverContext* ctx, OptionEntry* row, WORD, uint32_t kind,
                          const WCHAR* name) {
  if (!row || !name) return 0;
  RowOverride composite(row, name);
  row->typeWord = (row->typeWord & ~(0x3Fu << 24)) | ((kind & 0x3F) << 24);
  return CfgWriteOption(printer, ctx, row, nullptr);
}

int CfgWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath) {
  if (!row) return 0;
  if (TypeBlock(row->typeWord) == kBlockPrinterConfig && row->storeClass == kStorePrinterData)
    return PrnWriteOption(printer, ctx, row);
  if (row->storeClass == kStoreSettingsIni)
    return IniWriteOption(printer, ctx, row, iniPath ? iniPath : PathGetSettingsIni(ctx), nullptr, nullptr);
  return 1;
}
