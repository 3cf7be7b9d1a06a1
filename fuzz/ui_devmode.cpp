// Device modes from applications and the spooler given to the printer-interface module's
// device-mode entry points: the spooler's conversion request (each mode, destinations of every
// public and private size) and document properties without sheets (each request without the
// prompt). The incoming record lives in a buffer of exactly its declared extent (at least its
// 72-byte header) and the output in a buffer of exactly the size the caller declares, so that a
// read or write past either is caught.
//
// Input: byte 0 chooses the request, byte 1 the destination layout of a conversion, bytes 2-5
// give the incoming record's dmSize and dmDriverExtra (little-endian); the rest fills the record
// from its start.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "byte_order.h"
#include "devmode_record.h"
#include "fuzz_machine.h"
#include "ui_entry.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/windows.h"

namespace {

constexpr char16_t kPrinter[] = u"Fuzz Printer";
HANDLE gPrinter = nullptr;

void ClosePrinterAtExit() {
  if (gPrinter) ClosePrinter(gPrinter);
}

// Destination layouts of a conversion: public size, private size.
constexpr struct {
  WORD publicSize;
  WORD privateSize;
} kLayouts[] = {{220, 1016}, {212, 1016}, {188, 1016}, {220, 0}, {220, 500}, {72, 0}, {220, 2000}, {188, 0}};

// Document-properties requests without the prompt.
constexpr DWORD kDocumentModes[] = {DM_IN_BUFFER | DM_OUT_BUFFER,
                                    DM_OUT_BUFFER,
                                    DM_IN_BUFFER | DM_OUT_BUFFER | DM_OUT_DEFAULT,
                                    DM_IN_BUFFER | DM_OUT_BUFFER | DM_USER_DEFAULT,
                                    DM_IN_BUFFER | DM_OUT_BUFFER | DM_NOPERMISSION,
                                    DM_IN_BUFFER | DM_OUT_DEFAULT};

void ConvertRequest(DWORD mode, WORD layout, DEVMODEW* in) {
  const auto& l = kLayouts[layout % (sizeof kLayouts / sizeof kLayouts[0])];
  DWORD size = DWORD{l.publicSize} + l.privateSize;
  std::vector<BYTE> out(size, 0);
  WriteLe16(out.data() + 68, l.publicSize);
  WriteLe16(out.data() + 70, l.privateSize);
  std::u16string name = kPrinter;
  const DWORD given = size;
  const BOOL ok = UiConvertDevMode(name.data(), in, reinterpret_cast<DEVMODEW*>(out.data()), &size, mode);
  // A conversion never claims more than the caller's buffer holds.
  if (ok && size > given) std::abort();
}

void DocumentRequest(DWORD mode, DEVMODEW* in) {
  std::vector<BYTE> out(kFullDevModeSize, 0);
  std::u16string name = kPrinter;
  const LONG r =
      UiHandleDocumentProperties(nullptr, gPrinter, name.data(), reinterpret_cast<DEVMODEW*>(out.data()), in, mode);
  if (r != IDOK && r != IDCANCEL && r >= 0) std::abort();
  // What comes back is this driver's record, within its buffer.
  if (r == IDOK && (mode & DM_OUT_BUFFER) &&
      DWORD{ReadLe16(out.data() + 68)} + ReadLe16(out.data() + 70) > kFullDevModeSize)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("ui-devmode");
  zolt::host::InstallSystemModules(ZOLT_MODULE_DIR);
  zolt::host::DriverInstall install;
  install.name = u"ZOLT Office 7000 Series";
  install.moduleDir = ZOLT_MODULE_DIR;
  install.modelFile = ZOLT_SAMPLE_MODEL;
  zolt::host::PrinterSetup setup;
  setup.name = kPrinter;
  setup.driver = install.name;
  if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) std::abort();
  UiHandleDllMain(nullptr, DLL_PROCESS_ATTACH);
  std::u16string name = kPrinter;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(name.data(), &gPrinter, &defaults)) std::abort();
  std::atexit(ClosePrinterAtExit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const BYTE request = data[0];
  const WORD publicSize = ReadLe16(data + 2);
  const WORD privateSize = ReadLe16(data + 4);
  const size_t extent = size_t{publicSize} + privateSize;
  std::vector<BYTE> record(extent < 72 ? 72 : extent, 0);
  std::memcpy(record.data(), data + 6, std::min(size - 6, record.size()));
  WriteLe16(record.data() + 68, publicSize);
  WriteLe16(record.data() + 70, privateSize);
  auto* in = reinterpret_cast<DEVMODEW*>(record.data());
  switch (request % 4) {
    case 0:
      ConvertRequest(CDM_CONVERT, data[1], in);
      break;
    case 1:
      ConvertRequest(CDM_CONVERT351, data[1], in);
      break;
    case 2:
      ConvertRequest(CDM_DRIVER_DEFAULT, data[1], in);
      break;
    default:
      DocumentRequest(kDocumentModes[(request / 4) % (sizeof kDocumentModes / sizeof kDocumentModes[0])], in);
      break;
  }
  return 0;
}
