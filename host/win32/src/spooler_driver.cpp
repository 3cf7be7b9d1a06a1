// The spooler's calls into a printer's interface module (the driver's configuration file in the
// driver directory): the document-properties and device-capability calls of applications, and
// the printer events and driver upgrade that the spooler raises itself.
#include "spooler_driver.h"

#include <vector>

#include "spooler_store.h"
#include "win32/driverui.h"
#include "win32/module.h"
#include "win32/spooler.h"

namespace zolt::host {

namespace {

template <typename Fn>
Fn ProcAs(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

HANDLE OpenForSpooler(const std::u16string& name, ACCESS_MASK access) {
  std::u16string copy = name;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  HANDLE h = nullptr;
  return OpenPrinterW(copy.data(), &h, &defaults) ? h : nullptr;
}

}  // namespace

InterfaceModule::InterfaceModule(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) return;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  if (info->pConfigFile && *info->pConfigFile) module_ = LoadLibraryW(info->pConfigFile);
}

InterfaceModule::~InterfaceModule() {
  if (module_) FreeLibrary(module_);
}

FARPROC InterfaceModule::Find(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

bool RaisePrinterEvent(const std::u16string& printerName, int event) {
  // The spooler runs the event with its own rights on the printer.
  HANDLE printer = OpenForSpooler(printerName, PRINTER_READ);
  if (!printer) return false;
  BOOL result = FALSE;
  {
    InterfaceModule module(printer);
    ClosePrinter(printer);
    if (auto fn = ProcAs<PFN_DrvPrinterEvent>(module.Find("DrvPrinterEvent"))) {
      std::u16string name = printerName;
      result = fn(name.data(), event, 0, 0);
    }
  }
  return result != FALSE;
}

std::string DriverDefaultDevMode(const std::u16string& printerName) {
  HANDLE printer = OpenForSpooler(printerName, PRINTER_READ);
  if (!printer) return {};
  InterfaceModule module(printer);
  ClosePrinter(printer);
  auto fn = ProcAs<PFN_DrvConvertDevMode>(module.Find("DrvConvertDevMode"));
  if (!fn) return {};
  std::u16string name = printerName;
  LONG size = 0;
  fn(name.data(), nullptr, nullptr, &size, CDM_DRIVER_DEFAULT);  // the size of the driver's record
  if (size <= 0 || size > 0x10000) return {};
  std::string devMode(static_cast<size_t>(size), '\0');
  if (!fn(name.data(), nullptr, reinterpret_cast<PDEVMODEW>(devMode.data()), &size, CDM_DRIVER_DEFAULT)) return {};
  devMode.resize(static_cast<size_t>(size));
  return devMode;
}

bool UpgradePrinter(const std::u16string& printerName, const std::u16string& oldDriverDirectory) {
  HANDLE printer = OpenForSpooler(printerName, PRINTER_READ);
  if (!printer) return false;
  InterfaceModule module(printer);
  ClosePrinter(printer);
  auto fn = ProcAs<PFN_DrvUpgradePrinter>(module.Find("DrvUpgradePrinter"));
  if (!fn) return false;
  std::u16string name = printerName, dir = oldDriverDirectory;
  DRIVER_UPGRADE_INFO_1W info{name.data(), dir.data()};
  return fn(1, reinterpret_cast<LPBYTE>(&info)) != FALSE;
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API LONG WINAPI DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                          PDEVMODEW pDevModeInput, DWORD fMode) {
  if (!IsPrinterHandle(hPrinter)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  InterfaceModule module(hPrinter);
  auto fn = ProcAs<PFN_DrvDocumentProperties>(module.Find("DrvDocumentProperties"));
  if (!fn) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return -1;
  }
  return fn(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput, fMode);
}

WIN32_API LONG WINAPI AdvancedDocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                  PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput) {
  if (!IsPrinterHandle(hPrinter)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  InterfaceModule module(hPrinter);
  auto fn = ProcAs<PFN_DrvAdvancedDocumentProperties>(module.Find("DrvAdvancedDocumentProperties"));
  if (!fn) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return 0;
  }
  return fn(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput);
}

WIN32_API BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter) {
  if (!IsPrinterHandle(hPrinter)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  InterfaceModule module(hPrinter);
  auto fn = ProcAs<PFN_PrinterProperties>(module.Find("PrinterProperties"));
  if (!fn) {
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return FALSE;
  }
  return fn(hWnd, hPrinter);
}

WIN32_API int WINAPI DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR, WORD fwCapability, LPWSTR pOutput,
                                         const DEVMODEW* pDevMode) {
  if (!pDevice) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  HANDLE printer = OpenForSpooler(pDevice, PRINTER_READ);
  if (!printer) return -1;
  int result = -1;
  {
    InterfaceModule module(printer);
    if (auto fn = ProcAs<PFN_DrvDeviceCapabilities>(module.Find("DrvDeviceCapabilities"))) {
      std::u16string name = pDevice;
      result = static_cast<int>(
          fn(printer, name.data(), fwCapability, pOutput, const_cast<PDEVMODEW>(pDevMode)));
    } else {
      SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    }
  }
  ClosePrinter(printer);
  return result;
}
