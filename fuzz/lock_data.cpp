// Lock data and the user-information file from outside: any bytes as the printer-data values of
// the locks, the administrator's default image and the custom media, and any text as the
// driver-defaults file and the user-information file it names. The readers must stay inside
// their buffers and the options' fields, the custom-media count must stay within its slots, and
// what was read must survive a write and a second read unchanged.
//
// Input: two bytes of lock bits (options 10418-10425, 10426-10433), one byte for the custom
// media maximum (option 1581), then records {name index, 16-bit little-endian length, bytes}.
// Names past the printer-data values stand for the two files.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_values.h"
#include "settings_paths.h"
#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kPrinterName[] = u"Fuzz Printer";

const char16_t* const kValueNames[] = {
    u"LockTrayData", u"LockMediaData", u"LockPrnMethodData", u"LockColorData", u"LockNUPPOSTKindData",
    u"LockNUPTypeData", u"LockDuplexTypeData", u"LockHFChoiceDateData", u"LockHFChoiceDatePosData",
    u"LockHFChoiceDateFormData", u"LockHFChoicePageData", u"LockHFChoicePageFormData", u"LockHFChoiceStrData",
    u"LockHFChoiceStrPosData", u"LockHFChoiceStrFormData", u"LockHFChoiceStrStringData", u"LockHFChoiceFontData",
    u"LockHFChoiceFontDataName", u"LockHFChoiceSizeData", u"LockDefaultData", u"CustomMediaData",
    u"CustomMediaDataNum", u"AuthenticationMode", u"UserCustomizePopup", u"zdmLock000InfoBit", u"zdmLock001InfoBit",
};
constexpr size_t kDriverDefaultsRecord = std::size(kValueNames);
constexpr size_t kUserInfoRecord = kDriverDefaultsRecord + 1;
constexpr char16_t kUserInfoPath[] = u"C:\\Windows\\fuzzusers.ini";

HANDLE g_printer = nullptr;
DriverContext* g_ctx = nullptr;
fs::path g_driverDefaults;
fs::path g_userInfo;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
  if (g_printer) ClosePrinter(g_printer);
}

// The stored bytes of the custom-media options: the count and every slot's three options.
std::vector<std::string> CustomMediaFields() {
  std::vector<std::string> fields;
  auto add = [&](uint16_t id) {
    OptionEntry* row = OptFind(g_ctx, id);
    const BYTE* at = row ? OptGetValueAddress(g_ctx, row) : nullptr;
    fields.emplace_back(at ? std::string(reinterpret_cast<const char*>(at), OptStorageExtent(row->typeWord)) : "");
  };
  add(kOptCustomMediaDataNum);
  for (const CustomMediaSlot* slot = OptGetCustomMediaTable(); slot->slot != 0; ++slot)
    for (uint16_t id : {slot->quotOption, slot->nameOption, slot->charSetOption}) add(id);
  return fields;
}

void CheckCustomMediaCount() {
  const int32_t count = OptGetValue(g_ctx, kOptCustomMediaDataNum, nullptr);
  const int32_t max = OptGetValue(g_ctx, kOptCustomMediaMaxNum, nullptr);
  if (count < 0 || count > std::clamp(max, 0, kCustomMediaMaxSlots)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path root = zolt::fuzz::MakeFuzzMachine("lock-data");
  g_printer = zolt::fuzz::MakeFuzzPrinter(root, kPrinterName);
  if (!g_printer) std::abort();
  g_ctx = CtxCreateWithFlags(g_printer, g_printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  if (!g_ctx || !g_ctx->workArea->lockDefaultImage) std::abort();
  g_ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!g_ctx->settingsImage) std::abort();
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->settingsImage));
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->workArea->savedImage));
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->workArea->lockDefaultImage));
  const WCHAR* defaults = PathGetDriverIni(g_ctx);
  if (!defaults || !defaults[0]) std::abort();
  const auto driverDefaults = zolt::host::MapPath(defaults, zolt::host::Resolve::LastMayMiss, nullptr);
  const auto userInfo = zolt::host::MapPath(kUserInfoPath, zolt::host::Resolve::LastMayMiss, nullptr);
  if (!driverDefaults || !userInfo) std::abort();
  g_driverDefaults = *driverDefaults;
  g_userInfo = *userInfo;
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!g_ctx || size < 3) return 0;
  for (int bit = 0; bit < 8; ++bit) {
    OptSetValue(g_ctx, static_cast<uint16_t>(kOptLockDefault + bit), (data[0] >> bit) & 1);
    OptSetValue(g_ctx, static_cast<uint16_t>(kOptLockColor + bit), (data[1] >> bit) & 1);
  }
  OptSetValue(g_ctx, kOptCustomMediaMaxNum, data[2]);

  for (const char16_t* name : kValueNames) DeletePrinterDataW(g_printer, const_cast<LPWSTR>(name));
  std::error_code ec;
  fs::remove(g_driverDefaults, ec);
  fs::remove(g_userInfo, ec);
  size_t at = 3;
  while (at + 3 <= size) {
    const size_t index = data[at] % (kUserInfoRecord + 1);
    size_t length = data[at + 1] | size_t(data[at + 2]) << 8;
    at += 3;
    length = std::min(length, size - at);
    std::string bytes(reinterpret_cast<const char*>(data + at), length);
    at += length;
    if (index >= kDriverDefaultsRecord) {
      std::ofstream(index == kDriverDefaultsRecord ? g_driverDefaults : g_userInfo, std::ios::binary) << bytes;
      continue;
    }
    const DWORD type = index == 15 || index == 17 ? REG_SZ : REG_BINARY;
    SetPrinterDataW(g_printer, const_cast<LPWSTR>(kValueNames[index]), type, reinterpret_cast<LPBYTE>(bytes.data()),
                    static_cast<DWORD>(bytes.size()));
  }

  PrnReadLockDefaultData(g_printer, g_ctx);
  PrnReadLockedValues(g_printer, g_ctx);
  CfgLoadCustomMedia(g_printer, g_ctx);
  CheckCustomMediaCount();
  CfgLoadUserInfoFunctions(g_ctx);
  CfgLoadPrnInfoFunctions(g_ctx);
  BYTE lockByte = 0;
  PrnReadLockInfoByte(g_printer, &lockByte, kOptLockDefault);
  uint32_t word = 0;
  PrnReadAuthenticationMode(g_printer, &word);
  PrnReadUserCustomizePopup(g_printer, &word);

  // What was read is written and read again: the custom media must come back unchanged.
  const std::vector<std::string> before = CustomMediaFields();
  if (CfgSaveCustomMedia(g_printer, g_ctx)) {
    CfgLoadCustomMedia(g_printer, g_ctx);
    CheckCustomMediaCount();
    if (CustomMediaFields() != before) std::abort();
  }
  return 0;
}
