// Any bytes as the lists kept in settings files: the per-printer settings file with its preset,
// quality, stamp and custom-size lists, the colour-matching entries and the chapter list, and the
// same bytes as a preset and a quality file that list entries may name ("fuzz.rsp", "fuzz.rsq"
// beside the settings file), with the locked values of both checked. Refreshing every list,
// loading each entry and reading the chapter and colour-matching entries must neither crash nor
// read or write outside their buffers, whatever counts, names, numbers and texts the lines hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fm_modules_1_4.h"
#include "fm_modules_5_8.h"
#include "free_size.h"
#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "option_access.h"
#include "option_values.h"
#include "preset_list.h"
#include "quality_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEntriesTried = 6;  // entries loaded per list: enough to reach past every count check

DriverContext* g_ctx = nullptr;
std::u16string g_settings, g_preset, g_quality;
fs::path g_settingsReal, g_presetReal, g_qualityReal;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
}

void ResetImage() {
  std::memset(g_ctx->settingsImage, 0, kSettingsImageSize);
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->settingsImage));
  OptSetValue(g_ctx, kOptLanguageId, 1);
}

void Write(const fs::path& file, const uint8_t* data, size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The folders of a Windows path, made one level at a time.
void MakeFolders(const std::u16string& file) {
  for (size_t at = file.find(u'\\', 3); at != std::u16string::npos; at = file.find(u'\\', at + 1))
    CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
}

fs::path RealPath(const std::u16string& path) {
  return zolt::fuzz::FuzzMachineRoot() / "drive_c" / zolt::host::ToUtf8(std::u16string_view(path).substr(3));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("settings-lists");
  g_ctx = zolt::fuzz::MakeFuzzContext(reinterpret_cast<HANDLE>(1));
  std::atexit(Cleanup);
  ResetImage();
  lstrcpynW(g_ctx->workArea->qualifiedPrinterName, u"Office Printer", kCtxPathChars);
  const WCHAR* settings = PathGetSettingsIni(g_ctx);
  if (!settings || !settings[0] || settings[1] != u':') std::abort();
  g_settings = settings;
  MakeFolders(g_settings);
  const std::u16string folder = g_settings.substr(0, g_settings.rfind(u'\\') + 1);
  g_preset = folder + u"fuzz.rsp";
  g_quality = folder + u"fuzz.rsq";
  g_settingsReal = RealPath(g_settings);
  g_presetReal = RealPath(g_preset);
  g_qualityReal = RealPath(g_quality);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const fs::path* file : {&g_settingsReal, &g_presetReal, &g_qualityReal}) Write(*file, data, size);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, g_settings.c_str());
  ResetImage();

  CfgRefreshAllPresets(g_ctx);
  CfgRefreshAllQualities(g_ctx);
  CfgRefreshAllStamps(g_ctx);
  CfgRefreshAllFreeSizes(g_ctx);
  CfgLoadAllFreeSizes(g_ctx);
  for (int i = 0; i < kEntriesTried; ++i) {
    if (i < CfgGetPresetCount(g_ctx)) {
      CfgIsPresetEntryWritable(g_ctx, i);
      CfgLoadPreset(g_ctx, i);
    }
    if (i < CfgGetQualityCount(g_ctx)) {
      CfgLoadQuality(g_ctx, i);
      CfgLoadQualityDefaultName(nullptr, g_ctx, i);
    }
    if (i < CfgGetStampCount(g_ctx)) CfgLoadStamp(g_ctx, i);
    FmLoadCmmEntry(g_ctx, i);
  }
  FmLoadCmmEntry(g_ctx, -1);
  FmGetCmmCount(g_ctx);
  FmGetCmmDefault(g_ctx);
  FmLoadChapterList(g_ctx, g_settings.c_str(), 0);
  for (int i = 0; i < kEntriesTried; ++i) FmGetChapterEntry(g_ctx, i);

  // Locks carried by preset and quality files, against this printer's section and another's.
  for (const std::u16string* file : {&g_preset, &g_quality}) {
    CfgCheckLockedValues(g_ctx, file->c_str(), u"Office Printer", 0);
    CfgCheckLockedValues(g_ctx, file->c_str(), u"ZOLT Office 7000", 0);
  }
  return 0;
}
