// The device's answers as the driver reads them: any text as the simulated device's file (the
// port library's stand-in answers from it), then a full read and a versions-only read of the
// device configuration into a context. The readers must stay inside the buffers, the options'
// fields and the tray slots, whatever counts, codes, sizes and texts the device reports.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "device_query.h"
#include "devmode_fields.h"
#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "option_access.h"
#include "sim_device.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kPrinterName[] = u"Fuzz Printer";

HANDLE g_printer = nullptr;
DriverContext* g_ctx = nullptr;
fs::path g_deviceFile;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
  if (g_printer) ClosePrinter(g_printer);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path root = zolt::fuzz::MakeFuzzMachine("device-answers");
  g_printer = zolt::fuzz::MakeFuzzPrinter(root, kPrinterName);
  if (!g_printer) std::abort();
  g_ctx = CtxCreateWithFlags(g_printer, g_printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  if (!g_ctx) std::abort();
  g_ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!g_ctx->settingsImage) std::abort();
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->settingsImage));
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->workArea->savedImage));
  g_deviceFile = root / "devices" / zolt::sim::SimDeviceFileName(kPrinterName);
  fs::create_directories(g_deviceFile.parent_path());
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!g_ctx) return 0;
  std::ofstream(g_deviceFile, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  PortApiBlock block{};
  zolt::sim::FillSimPortBlock(reinterpret_cast<zolt::sim::SimPortBlock*>(&block));
  const PortApiTable* table = &block.table;
  for (int pass = 0; pass < 2; ++pass) {
    HANDLE port = nullptr;
    DWORD ready = 0;
    if (!table->openPort(kPrinterName, &port, &ready)) return 0;
    WCHAR model[kBidiModelNameChars] = {};
    table->getModelName(port, 0, model, kBidiModelNameChars);
    HANDLE session = nullptr;
    DWORD word = 0;
    if (table->startSession(port, &session, pass ? kBidiStartReduced : kBidiStartFull, &word)) {
      if (pass == 0) BidiReadFullConfig(table, port, session, g_ctx);
      else BidiReadVersionsOnly(table, port, session, g_ctx);
    }
    table->closePort(port);
  }
  // What the readers set stays within the values they may give.
  const int32_t memoryType = OptGetValue(g_ctx, 10013, nullptr);
  if (memoryType != 0 && memoryType != 1) std::abort();
  for (uint16_t id = 10111; id <= 10174; ++id) {
    const int32_t bit = OptGetValue(g_ctx, id, nullptr);
    if (bit != 0 && bit != 1) std::abort();
  }
  return 0;
}
