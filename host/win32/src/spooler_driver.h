// The spooler's side of a printer's interface module: loading it for a call and the events and
// requests that the spooler raises itself.
#pragma once

#include <string>

#include "win32/base.h"

namespace zolt::host {

// The interface module of a printer's driver, loaded for the lifetime of the object.
class InterfaceModule {
 public:
  explicit InterfaceModule(HANDLE printer);
  ~InterfaceModule();
  InterfaceModule(const InterfaceModule&) = delete;
  InterfaceModule& operator=(const InterfaceModule&) = delete;
  // An export of the module; nullptr when the module or the export is missing.
  FARPROC Find(const char* name) const;

 private:
  HMODULE module_ = nullptr;
};

// DrvPrinterEvent of the printer's module; false when the module answers FALSE or cannot be had.
bool RaisePrinterEvent(const std::u16string& printerName, int event);
// The driver's default device mode (DrvConvertDevMode with CDM_DRIVER_DEFAULT); empty when the
// module gives none.
std::string DriverDefaultDevMode(const std::u16string& printerName);
// DrvUpgradePrinter level 1 after the printer's driver was replaced.
bool UpgradePrinter(const std::u16string& printerName, const std::u16string& oldDriverDirectory);

}  // namespace zolt::host
