// Printer DCs as the graphics interface sees them: made, measured and deleted by the driver
// engine (src/engine/printer_dc.cpp), drawn like any DC on the page surface the engine gives
// them.
#pragma once

#include <memory>

#include "gdi/objects.h"

namespace zolt::host::gdi {

// A new DC object of a type with the default objects selected (for the engine's printer DCs).
std::shared_ptr<DcObj> NewDeviceContext(DWORD type);

// A printer DC (or information context) of the printer named by device (or driver); nullptr
// with the last error set when the printer or its graphics module cannot be had.
HDC CreatePrinterDc(LPCWSTR driver, LPCWSTR device, const DEVMODEW* pdm, bool infoOnly);
// Ends the printer side of a DC before DeleteDC removes it; false when hdc is no printer DC.
bool DeletePrinterDc(HDC hdc);
// GetDeviceCaps of a printer DC from its module's GDIINFO; false when hdc is no printer DC.
bool PrinterDeviceCaps(HDC hdc, int index, int& value);

}  // namespace zolt::host::gdi
