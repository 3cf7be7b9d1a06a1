// The twelve exports of the printer-interface module. Each forwards its arguments unchanged to
// its body and returns the body's result.
#include "ui_entry.h"

ZOLT_EXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
  return UiHandleDllMain(hinstDLL, fdwReason);
}

ZOLT_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  return UiHandleDocumentPropertySheets(pPSUIInfo, lParam);
}

ZOLT_EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  return UiHandleDevicePropertySheets(pPSUIInfo, lParam);
}

ZOLT_EXPORT BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter) { return UiShowPrinterProperties(hWnd, hPrinter); }

ZOLT_EXPORT LONG WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pdmOutput,
                                              PDEVMODEW pdmInput, DWORD fMode) {
  return UiHandleDocumentProperties(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput, fMode);
}

ZOLT_EXPORT LONG WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                      PDEVMODEW pdmOutput, PDEVMODEW pdmInput) {
  return UiShowAdvancedDocumentProperties(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput);
}

ZOLT_EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                          DWORD fMode) {
  return UiConvertDevMode(pPrinterName, pdmIn, pdmOut, reinterpret_cast<DWORD*>(pcbNeeded), fMode);
}

ZOLT_EXPORT BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo) { return UiQueryPrintEx(pDQPInfo); }

ZOLT_EXPORT BOOL WINAPI DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo) {
  return UiUpgradePrinter(Level, reinterpret_cast<DRIVER_UPGRADE_INFO_1W*>(pDriverUpgradeInfo));
}

ZOLT_EXPORT INT WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                        PVOID pvOut) {
  return UiHandleDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
}

ZOLT_EXPORT BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam) {
  return UiHandlePrinterEvent(pPrinterName, DriverEvent, Flags, lParam);
}

ZOLT_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, LPWSTR pDeviceName, WORD iDevCap, VOID* pvOutput,
                                               PDEVMODEW pDevMode) {
  return UiHandleDeviceCapabilities(hPrinter, pDeviceName, iDevCap, pvOutput, pDevMode);
}
