// Stored option values from outside: any text as the values of an INI section, decoded into
// rows of every kind; and any bytes as the printer-data values of a printer (row values, lock
// composites, font-list counts, font records and substitution-table halves), loaded into a
// context. Nothing may be read or written outside the settings image or the buffers, and the
// lists taken must hold what their counts say.
//
// Input: the section text up to the first NUL byte; after it, records {name index, 16-bit
// little-endian length, bytes} that become printer-data values (REG_BINARY) before the loads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "option_access.h"
#include "option_store.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kPrinterName[] = u"Fuzz Printer";

const char16_t* const kValueNames[] = {
    u"DeviceFontNum", u"DeviceFont", u"OptionFontNum", u"OptionFont", u"FontTableNum", u"LastFontTableNum",
    u"DefFontTableNum", u"TTFontTable1", u"DevFontTable1", u"TTFontTable2", u"DevFontTable2", u"TTFontDefTable1",
    u"DevFontDefTable1", u"Tray1", u"RAM", u"Duplex", u"Tray1Paper", u"Logging", u"CoverTray", u"zdmLockInfo",
    u"zdmLock000InfoBit", u"zdmLock001InfoBit", u"Other", u"DllUserCode", u"UserCodeUse",
};
constexpr size_t kTableCountNames[] = {4, 5, 6};  // rows of these counts are read one by one
constexpr int kMostTableRows = 64;

// Rows of every kind read from the section: numbers of each width and sign, flags, ANSI and
// UTF-16 texts, and the two texts whose empty value counts.
constexpr uint16_t kIniRows[] = {209, 1194, 350, 37, 38, 10289, 100, 211, 1195, 976, 20, 526, 1144};

HANDLE g_printer = nullptr;
DriverContext* g_ctx = nullptr;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
  if (g_printer) ClosePrinter(g_printer);
}

// A list option must refer to a block that holds its count of entries.
void CheckList(uint16_t countOption, uint16_t blockOption, size_t entryBytes) {
  const int32_t count = OptGetValue(g_ctx, countOption, nullptr);
  const auto* block = static_cast<const volatile BYTE*>(OptGetBuffer(g_ctx, blockOption));
  if ((count > 0) != (block != nullptr)) std::abort();
  if (block) {
    BYTE sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(count) * entryBytes; ++i) sum ^= block[i];
    (void)sum;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path root = zolt::fuzz::MakeFuzzMachine("option-store");
  g_printer = zolt::fuzz::MakeFuzzPrinter(root, kPrinterName);
  if (!g_printer) std::abort();
  g_ctx = zolt::fuzz::MakeFuzzContext(g_printer);
  for (uint16_t id : kIniRows) {
    OptionEntry* row = OptFind(g_ctx, id);
    if (row && !row->key) row->key = row->labels->fieldName;
  }
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!g_ctx) return 0;
  const auto* end = size ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
  const std::string section = size ? std::string(reinterpret_cast<const char*>(data), end ? static_cast<size_t>(end - data) : size) : std::string();

  // The section's values, read in a running cursor as the settings-file reader does.
  int32_t cursor = 0;
  for (uint16_t id : kIniRows)
    if (OptionEntry* row = OptFind(g_ctx, id)) IniReadOption(g_ctx, row, u"C:\\fuzz.ini", section.c_str(), &cursor);

  // The printer-data values.
  for (const char16_t* name : kValueNames) DeletePrinterDataW(g_printer, const_cast<LPWSTR>(name));
  size_t at = end ? static_cast<size_t>(end - data) + 1 : size;
  while (at + 3 <= size) {
    const size_t index = data[at] % std::size(kValueNames);
    size_t length = data[at + 1] | size_t(data[at + 2]) << 8;
    at += 3;
    length = std::min(length, size - at);
    std::string bytes(reinterpret_cast<const char*>(data + at), length);
    at += length;
    for (size_t countName : kTableCountNames) {
      if (index != countName || bytes.size() != 2) continue;
      const auto count = static_cast<int16_t>(uint8_t(bytes[0]) | uint8_t(bytes[1]) << 8);
      if (count > kMostTableRows) bytes = std::string{static_cast<char>(count % kMostTableRows), '\0'};
    }
    SetPrinterDataW(g_printer, const_cast<LPWSTR>(kValueNames[index]), REG_BINARY,
                    reinterpret_cast<LPBYTE>(bytes.data()), static_cast<DWORD>(bytes.size()));
  }
  CfgLoadOptionClass(g_printer, g_ctx, kBlockPrinterConfig, 0);
  CfgLoadFontLists(g_printer, g_ctx);
  CheckList(kOptDeviceFontCount, kOptDeviceFont, sizeof(DeviceFontEntry));
  CheckList(kOptOptionFontCount, kOptOptionFont, sizeof(DeviceFontEntry));
  CheckList(kOptFontTableCount, kOptFontTable, sizeof(FontSubstEntry));
  CfgLoadDefaultFontTable(g_printer, g_ctx);
  CheckList(kOptFontTableCount, kOptFontTable, sizeof(FontSubstEntry));
  CfgFreeFontBuffers(g_ctx);
  return 0;
}
