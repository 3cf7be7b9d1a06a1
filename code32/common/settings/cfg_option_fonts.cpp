// The font lists kept in printer data: the model's device fonts and cartridge fonts, and the
// TrueType-to-device font substitution table with its default copy.
#include <cstring>
#include <string>

#include "option_access.h"
#include "option_store.h"
#include "prn_data.h"

namespace {

constexpr WCHAR kTrueTypeRowPrefix[] = u"TTFontTable";
constexpr WCHAR kDeviceRowPrefix[] = u"DevFontTable";
constexpr WCHAR kTrueTypeDefRowPrefix[] = u"TTFontDefTable";
constexpr WCHAR kDeviceDefRowPrefix[] = u"DevFontDefTable";

constexpr DWORD kHalfRowBytes = sizeof(FontSubstEntry) / 2;  // one name of 32 characters
constexpr int kNameChars = 32;
constexpr DWORD kNoMemory = ERROR_NOT_ENOUGH_MEMORY;

static_assert(sizeof(FontSubstEntry::trueTypeName) == kHalfRowBytes);
static_assert(sizeof(FontSubstEntry::deviceName) == kHalfRowBytes);

// A device or cartridge font list: its options, its printer-data names and the model's list.
struct FontList {
  uint16_t countOption;
  uint16_t blockOption;
  const WCHAR* countName;
  const WCHAR* recordsName;
  DeviceFontEntry* (*fromModel)(DriverContext* ctx, int* count);
};
constexpr FontList kDeviceFonts = {kOptDeviceFontCount, kOptDeviceFont, kDeviceFontNumValue, kDeviceFontValue,
                                   &MdlGetDeviceFonts};
constexpr FontList kOptionFonts = {kOptOptionFontCount, kOptOptionFont, kOptionFontNumValue, kOptionFontValue,
                                   &MdlGetFontCartridges};

std::u16string RowName(const WCHAR* prefix, int row) {
  const std::string number = std::to_string(row);
  return prefix + std::u16string(number.begin(), number.end());
}

// A 16-bit little-endian count; false when it cannot be read. The counts are signed 16-bit
// options, so a stored count above 32767 reads as negative (no rows).
bool ReadCount(HANDLE printer, const WCHAR* name, int* count) {
  BYTE bytes[2] = {};
  if (!PrnGetData(printer, bytes, sizeof bytes, name, nullptr)) return false;
  *count = static_cast<int16_t>(bytes[0] | bytes[1] << 8);
  return true;
}

int WriteCount(HANDLE printer, const WCHAR* name, int count) {
  const BYTE bytes[2] = {BYTE(count), BYTE(count >> 8)};
  return PrnSetBinary(printer, bytes, sizeof bytes, name, nullptr);
}

// The status of one read of printer data into out (zero-filled first).
DWORD ReadHalf(HANDLE printer, const std::u16string& name, WCHAR* out) {
  std::memset(out, 0, kHalfRowBytes);
  DWORD type = 0;
  DWORD needed = 0;
  return GetPrinterDataW(printer, const_cast<LPWSTR>(name.c_str()), &type, reinterpret_cast<LPBYTE>(out),
                         kHalfRowBytes, &needed);
}

bool IsFullContext(const DriverContext* ctx) {
  return ctx->workArea && ctx->workArea->contextKind == kCtxKindFull;
}

// Whether a list equals the saved image's copy (count and records).
bool EqualsSavedList(DriverContext* ctx, uint16_t countOption, uint16_t blockOption, const void* list, int count,
                     DWORD entryBytes) {
  if (OptGetSavedValue(ctx, countOption, nullptr) != count) return false;
  if (count <= 0) return true;
  const void* saved = OptGetSavedBuffer(ctx, blockOption);
  return saved && std::memcmp(saved, list, static_cast<size_t>(count) * entryBytes) == 0;
}

// Frees the block a list option refers to and sets the option and its count to 0.
void ReleaseList(DriverContext* ctx, uint16_t countOption, uint16_t blockOption) {
  const auto handle = static_cast<DWORD>(OptGetValue(ctx, blockOption, nullptr));
  MdlFreeMem(OptUnregisterBuffer(ctx, handle));
  OptSetValue(ctx, blockOption, 0);
  OptSetValue(ctx, countOption, 0);
}

// Hands a block to the context as a list; the block is freed when it cannot be held.
bool AdoptList(DriverContext* ctx, uint16_t countOption, uint16_t blockOption, void* block, int count) {
  if (!OptSetBuffer(ctx, blockOption, block)) {
    MdlFreeMem(block);
    return false;
  }
  OptSetValue(ctx, countOption, count);
  return true;
}

int WriteFontList(HANDLE printer, DriverContext* ctx, const FontList& list, DWORD flags) {
  if (!ctx) return 0;
  DeviceFontEntry* model = nullptr;
  const DeviceFontEntry* fonts = nullptr;
  int count = 0;
  if (flags & kFontListFromModel) {
    model = list.fromModel(ctx, &count);
    fonts = model;
  } else {
    fonts = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, list.blockOption));
    count = OptGetValue(ctx, list.countOption, nullptr);
  }
  int result = 0;
  if (fonts && count > 0) {
    if (IsFullContext(ctx) && (flags & kFontListChangedOnly) &&
        EqualsSavedList(ctx, list.countOption, list.blockOption, fonts, count, sizeof(DeviceFontEntry))) {
      result = 1;
    } else {
      result = WriteCount(printer, list.countName, count) &&
                       PrnSetBinary(printer, fonts, static_cast<DWORD>(count) * sizeof(DeviceFontEntry),
                                    list.recordsName, ctx)
                   ? 1
                   : 0;
    }
  }
  MdlFreeMem(model);
  return result;
}

int LoadFontList(HANDLE printer, DriverContext* ctx, const FontList& list) {
  if (!ctx) return 0;
  ReleaseList(ctx, list.countOption, list.blockOption);
  int count = 0;
  if (!ReadCount(printer, list.countName, &count)) {
    // Repaired from the model description, then read again.
    if (!WriteFontList(printer, ctx, list, kFontListFromModel)) return 1;
    if (!ReadCount(printer, list.countName, &count)) count = 0;
  }
  if (count > 0) {
    const DWORD bytes = static_cast<DWORD>(count) * sizeof(DeviceFontEntry);
    auto* block = static_cast<DeviceFontEntry*>(CtxAllocMem(bytes));
    if (block && PrnGetData(printer, block, bytes, list.recordsName, ctx)) {
      // Names keep their terminator whatever was stored.
      for (int i = 0; i < count; ++i) block[i].name[kNameChars - 1] = u'\0';
      AdoptList(ctx, list.countOption, list.blockOption, block, count);
    } else {
      MdlFreeMem(block);
    }
  }
  return OptGetValue(ctx, list.countOption, nullptr) != 0 ? 1 : 0;
}

// Loads a substitution table of count rows (its count already read) into options 10004/10005.
int LoadSubstRows(HANDLE printer, DriverContext* ctx, int count, DWORD flags) {
  if (count <= 0) return 1;
  auto* block = static_cast<FontSubstEntry*>(CtxAllocMem(static_cast<DWORD>(count) * sizeof(FontSubstEntry)));
  if (block && PrnReadFontTableRows(printer, block, count, flags) == 0) {
    AdoptList(ctx, kOptFontTableCount, kOptFontTable, block, count);
  } else {
    MdlFreeMem(block);
  }
  return OptGetValue(ctx, kOptFontTableCount, nullptr) != 0 ? 1 : 0;
}

}  // namespace

// ---- device and cartridge fonts ------------------------------------------------------------------

int PrnWriteDeviceFonts(HANDLE printer, DriverContext* ctx, DWORD flags) {
  return WriteFontList(printer, ctx, kDeviceFonts, flags);
}

int PrnWriteOptionFonts(HANDLE printer, DriverContext* ctx, DWORD flags) {
  return WriteFontList(printer, ctx, kOptionFonts, flags);
}

int PrnLoadDeviceFonts(HANDLE printer, DriverContext* ctx) { return LoadFontList(printer, ctx, kDeviceFonts); }

int PrnLoadOptionFonts(HANDLE printer, DriverContext* ctx) { return LoadFontList(printer, ctx, kOptionFonts); }

// ---- the substitution table ------------------------------------------------------------------

int PrnWriteFontTableRows(HANDLE printer, const FontSubstEntry* rows, int count, DWORD flags) {
  if (count < 0 || (!rows && count > 0)) return 0;
  const bool defaults = (flags & kFontTableDefault) != 0;
  const WCHAR* trueTypePrefix = defaults ? kTrueTypeDefRowPrefix : kTrueTypeRowPrefix;
  const WCHAR* devicePrefix = defaults ? kDeviceDefRowPrefix : kDeviceRowPrefix;
  if (!defaults) PrnDeleteFontTableRows(printer);
  for (int i = 1; i <= count; ++i) {
    const FontSubstEntry& row = rows[i - 1];
    if (!PrnSetBinary(printer, row.trueTypeName, kHalfRowBytes, RowName(trueTypePrefix, i).c_str(), nullptr) ||
        !PrnSetBinary(printer, row.deviceName, kHalfRowBytes, RowName(devicePrefix, i).c_str(), nullptr))
      return 0;
  }
  return WriteCount(printer, defaults ? kDefFontTableNumValue : kLastFontTableNumValue, count);
}

DWORD PrnReadFontTableRows(HANDLE printer, FontSubstEntry* dest, int count, DWORD flags) {
  if (!dest) return kNoMemory;
  const bool defaults = (flags & kFontTableDefault) != 0;
  const WCHAR* trueTypePrefix = defaults ? kTrueTypeDefRowPrefix : kTrueTypeRowPrefix;
  const WCHAR* devicePrefix = defaults ? kDeviceDefRowPrefix : kDeviceRowPrefix;
  DWORD lastError = 0;
  for (int i = 1; i <= count; ++i) {
    FontSubstEntry& row = dest[i - 1];
    const DWORD first = ReadHalf(printer, RowName(trueTypePrefix, i), row.trueTypeName);
    const DWORD second = ReadHalf(printer, RowName(devicePrefix, i), row.deviceName);
    if (first != ERROR_SUCCESS || second != ERROR_SUCCESS) {
      std::memset(&row, 0, sizeof row);
      lastError = second != ERROR_SUCCESS ? second : first;
      continue;
    }
    row.trueTypeName[kNameChars - 1] = u'\0';
    row.deviceName[kNameChars - 1] = u'\0';
  }
  return lastError;
}

int PrnDeleteFontTableRows(HANDLE printer) {
  int count = 0;
  if (!ReadCount(printer, kLastFontTableNumValue, &count)) return 1;
  for (int i = 1; i <= count; ++i) {
    DeletePrinterDataW(printer, const_cast<LPWSTR>(RowName(kTrueTypeRowPrefix, i).c_str()));
    DeletePrinterDataW(printer, const_cast<LPWSTR>(RowName(kDeviceRowPrefix, i).c_str()));
  }
  return 1;
}

int PrnWriteFontSubstTable(HANDLE printer, DriverContext* ctx, DWORD flags) {
  if (!ctx) return 0;
  FontSubstEntry* model = nullptr;
  const FontSubstEntry* rows = nullptr;
  int count = 0;
  if (flags & kFontListFromModel) {
    model = MdlGetFontSubstTable(ctx, &count);
    if (!model || count <= 0) {
      MdlFreeMem(model);
      return 1;
    }
    rows = model;
  } else {
    rows = static_cast<const FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable));
    count = OptGetValue(ctx, kOptFontTableCount, nullptr);
    // An emptied table is written as such: a count of 0 and no rows.
    if (count < 0) count = 0;
    if (!rows && count > 0) return 0;
  }
  int result = 1;
  if (flags & kFontTableDefault) {
    result = PrnWriteFontTableRows(printer, rows, count, kFontTableDefault);
  } else if (!(IsFullContext(ctx) && (flags & kFontListChangedOnly) &&
               EqualsSavedList(ctx, kOptFontTableCount, kOptFontTable, rows, count, sizeof(FontSubstEntry)))) {
    const int counted = WriteCount(printer, kFontTableNumValue, count);
    result = PrnWriteFontTableRows(printer, rows, count, flags) && counted ? 1 : 0;
  }
  MdlFreeMem(model);
  return result;
}

int PrnLoadFontSubstTable(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  ReleaseList(ctx, kOptFontTableCount, kOptFontTable);
  int count = 0;
  if (!ReadCount(printer, kFontTableNumValue, &count)) {
    PrnWriteFontSubstTable(printer, ctx, kFontListFromModel);
    if (!ReadCount(printer, kFontTableNumValue, &count)) count = 0;
  }
  return LoadSubstRows(printer, ctx, count, kFontListChangedOnly);
}

int CfgLoadDefaultFontTable(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  ReleaseList(ctx, kOptFontTableCount, kOptFontTable);
  int count = 0;
  if (!ReadCount(printer, kDefFontTableNumValue, &count)) count = 0;
  return LoadSubstRows(printer, ctx, count, kFontTableDefault);
}

int PrnEnsureDefaultFontTable(HANDLE printer, DriverContext* ctx) {
  int count = 0;
  if (ReadCount(printer, kDefFontTableNumValue, &count)) return 1;
  return PrnWriteFontSubstTable(printer, ctx, kFontListFromModel | kFontTableDefault);
}

// ---- all lists -----------------------------------------------------------------------------------

int CfgLoadFontLists(HANDLE printer, DriverContext* ctx) {
  const int device = PrnLoadDeviceFonts(printer, ctx);
  const int cartridge = PrnLoadOptionFonts(printer, ctx);
  const int table = PrnLoadFontSubstTable(printer, ctx);
  return device == 1 && cartridge == 1 && table == 1 ? 1 : 0;
}

int PrnSaveFontLists(HANDLE printer, DriverContext* ctx) {
  PrnWriteDeviceFonts(printer, ctx, kFontListChangedOnly);
  PrnWriteOptionFonts(printer, ctx, kFontListChangedOnly);
  PrnWriteFontSubstTable(printer, ctx, kFontListChangedOnly);
  return 1;
}

int PrnSaveModelFontLists(HANDLE printer, DriverContext* ctx) {
  PrnWriteDeviceFonts(printer, ctx, kFontListFromModel);
  PrnWriteOptionFonts(printer, ctx, kFontListFromModel);
  PrnWriteFontSubstTable(printer, ctx, kFontListFromModel);
  return 1;
}

int CfgFreeFontBuffers(DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage) return 1;
  ReleaseList(ctx, kOptDeviceFontCount, kOptDeviceFont);
  ReleaseList(ctx, kOptOptionFontCount, kOptOptionFont);
  ReleaseList(ctx, kOptFontTableCount, kOptFontTable);
  return 1;
}
