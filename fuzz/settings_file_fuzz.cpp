// Any bytes as a settings file loaded through the section serializer: the header check, the
// locked-value check, every kind of load (whole user files, presets, qualities, stamps, custom
// sizes, installed defaults, list-file sections) and a save into the same file must neither
// crash nor read or write outside their buffers, whatever the file's lines, lengths and bytes.
// Each input runs twice: with the option store's row reader and with a plain reader that takes
// every value it finds as text or number, so that the row paths are reached either way.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_files.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr WCHAR kPath[] = u"C:\\fuzz.rst";
fs::path g_file;
DriverContext* g_ctx = nullptr;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
}

int PlainRead(DriverContext* ctx, OptionEntry* row, const WCHAR* path, const char* body, int32_t* cursor) {
  WCHAR value[300] = {};
  if (body)
    IniReadStringMem(row->key, u"", value, 300, body, cursor);
  else
    IniReadString(row->section ? row->section : u"ZOLT Office 7000", row->key, u"", value, 300, path);
  if (!value[0]) return 0;
  const uint32_t kind = TypeKind(row->typeWord);
  if (OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind)) return OptSetStringValue(ctx, row, value) ? 1 : 0;
  long long number = 0;
  for (const WCHAR* p = value; *p >= u'0' && *p <= u'9'; ++p) number = (number * 10 + (*p - u'0')) & 0xFFFFFFFFll;
  return OptWriteValue(ctx, row, static_cast<int32_t>(number));
}

void ResetImage(size_t size) {
  BYTE* image = reinterpret_cast<BYTE*>(g_ctx->settingsImage);
  std::memset(image, 0, kSettingsImageSize);
  for (int block = 1; block <= 3; ++block) {
    static constexpr DWORD kStart[4] = {0, 0, 1236, 6500};
    image[359 + 2 * block] = static_cast<BYTE>(kStart[block]);
    image[360 + 2 * block] = static_cast<BYTE>(kStart[block] >> 8);
  }
  OptSetValue(g_ctx, kOptLanguageId, 1);
  OptSetValue(g_ctx, 730, 2);
  // Half of the inputs meet administrator locks on the settings the lock check compares.
  if (size % 2) {
    for (uint16_t id : {kOptLockTray, kOptLockMedia, kOptLockNupKind, kOptLockColor, kOptLockHeaderFooter})
      OptSetValue(g_ctx, id, 1);
  }
  lstrcpynW(g_ctx->workArea->qualifiedPrinterName, u"ZOLT Office 7000", kCtxPathChars);
  lstrcpynW(g_ctx->workArea->driverName, u"ZOLT Office 7000 Series", kCtxShortNameChars);
}

void LoadEveryWay(size_t size) {
  ResetImage(size);
  CfgReadRstOSKind(kPath, g_ctx);
  CfgCheckLockedValues(g_ctx, kPath, u"ZOLT Office 7000", 0);
  static constexpr DWORD kFlags[] = {
      kCfgLoad,
      kCfgLoad | kCfgNoMessage,
      kCfgLoad | kCfgPresetRows,
      kCfgLoad | kCfgPresetRows | kCfgPresetResave,
      kCfgLoad | kCfgQualityRows,
      kCfgLoad | kCfgStampRows,
      kCfgLoad | kCfgFreeSizeRows,
      kCfgLoad | kCfgSrcFreeSizeRows,
      kCfgLoad | kCfgQualityRows | kCfgInstalledDefault,
      kCfgLoad | kCfgListFile,
      kCfgLoad | kCfgDeviceStateRows,
      kCfgLoad | kCfgUserRows,
  };
  for (DWORD flags : kFlags) CfgTransferSettingsSection(nullptr, kPath, flags, g_ctx);
  CfgTransferPrnSection(kPath, kCfgListFile | kCfgLoad, g_ctx);
  CfgLoadSettingsFile(nullptr, kPath, 0, g_ctx);
  CfgLoadSettingsFile(nullptr, kPath, kCfgQualityRows, g_ctx);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_file = zolt::fuzz::MakeFuzzMachine("settings-file") / "drive_c" / "fuzz.rst";
  g_ctx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                             kCtxModeUi);
  if (!g_ctx) std::abort();
  g_ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!g_ctx->settingsImage) std::abort();
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    fs::create_directories(g_file.parent_path());
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, kPath);
  LoadEveryWay(size);
  CfgSetRowIo(PlainRead, nullptr);
  LoadEveryWay(size);
  CfgSetRowIo(nullptr, nullptr);
  // A save replaces one section of the file and keeps the rest as it came.
  CfgTransferSettingsSection(nullptr, kPath, kCfgSave | kCfgQualityRows, g_ctx);
  return 0;
}
