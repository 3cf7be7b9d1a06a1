// The contract between the spooler and a printer's interface module (the driver's configuration
// file): the records passed to its entry points, the codes of the printer events (the document
// events are the graphics engine's, in spooler.h), the device-capability queries and the
// document-properties modes.
#pragma once

#include "win32/base.h"
#include "win32/gdi.h"
#include "win32/spooler.h"

// fMode of DocumentPropertiesW and DrvDocumentProperties.
#define DM_UPDATE 1
#define DM_COPY 2
#define DM_PROMPT 4
#define DM_MODIFY 8
#define DM_IN_BUFFER DM_MODIFY
#define DM_IN_PROMPT DM_PROMPT
#define DM_OUT_BUFFER DM_COPY
#define DM_OUT_DEFAULT DM_UPDATE
#define DM_ADVANCED 0x10
#define DM_NOPERMISSION 0x20
#define DM_USER_DEFAULT 0x40

// dmDefaultSource values the driver tests.
#define DMBIN_MANUAL 4
#define DMBIN_ENVMANUAL 6
#define DMBIN_FORMSOURCE 15

// DeviceCapabilitiesW queries.
#define DC_FIELDS 1
#define DC_PAPERS 2
#define DC_PAPERSIZE 3
#define DC_MINEXTENT 4
#define DC_MAXEXTENT 5
#define DC_BINS 6
#define DC_DUPLEX 7
#define DC_SIZE 8
#define DC_EXTRA 9
#define DC_VERSION 10
#define DC_DRIVER 11
#define DC_BINNAMES 12
#define DC_ENUMRESOLUTIONS 13
#define DC_FILEDEPENDENCIES 14
#define DC_TRUETYPE 15
#define DC_PAPERNAMES 16
#define DC_ORIENTATION 17
#define DC_COPIES 18
#define DC_BINADJUST 19
#define DC_EMF_COMPLIANT 20
#define DC_DATATYPE_PRODUCED 21
#define DC_COLLATE 22
#define DC_MANUFACTURER 23
#define DC_MODEL 24
#define DC_PERSONALITY 25
#define DC_PRINTRATE 26
#define DC_PRINTRATEUNIT 27
#define DC_PRINTERMEM 28
#define DC_MEDIAREADY 29
#define DC_STAPLE 30
#define DC_PRINTRATEPPM 31
#define DC_COLORDEVICE 32
#define DC_NUP 33
#define DC_MEDIATYPENAMES 34
#define DC_MEDIATYPES 35

// Answers of DC_TRUETYPE and DC_PRINTRATEUNIT.
#define DCTT_BITMAP 0x1
#define DCTT_DOWNLOAD 0x2
#define DCTT_SUBDEV 0x4
#define DCTT_DOWNLOAD_OUTLINE 0x8
#define PRINTRATEUNIT_PPM 1
#define PRINTRATEUNIT_CPS 2
#define PRINTRATEUNIT_LPM 3
#define PRINTRATEUNIT_IPM 4

// Printer events, raised by the spooler.
#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5
#define PRINTER_EVENT_CACHE_DELETE 6
#define PRINTER_EVENT_ATTRIBUTES_CHANGED 7
#define PRINTER_EVENT_CONFIGURATION_UPDATE 8
#define PRINTER_EVENT_FLAG_NO_UI 0x00000001

// The request of the document-properties calls when the host runs the driver's sheet function.
typedef struct _DOCUMENTPROPERTYHEADER {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  PDEVMODEW pdmIn;
  PDEVMODEW pdmOut;
  DWORD cbOut;
  DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

// The request of the printer-properties sheet function.
#define DPS_NOPERMISSION 0x0001
typedef struct _DEVICEPROPERTYHEADER {
  WORD cbSize;
  WORD Flags;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

// DevQueryPrintEx: whether a queued job can print as set up.
typedef struct _DEVQUERYPRINT_INFO {
  WORD cbSize;
  WORD Level;
  HANDLE hPrinter;
  DEVMODEW* pDevMode;
  LPWSTR pszErrorStr;
  DWORD cchErrorStr;  // characters
  DWORD cchNeeded;    // characters
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// DrvUpgradePrinter level 1.
typedef struct _DRIVER_UPGRADE_INFO_1W {
  LPWSTR pPrinterName;
  LPWSTR pOldDriverDirectory;
} DRIVER_UPGRADE_INFO_1W, *PDRIVER_UPGRADE_INFO_1W;

// The entry points of an interface module, as the spooler and the engine look them up.
typedef LONG(WINAPI* PFN_DrvDocumentProperties)(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                 PDEVMODEW pdmOutput, PDEVMODEW pdmInput, DWORD fMode);
typedef LONG(WINAPI* PFN_DrvAdvancedDocumentProperties)(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                         PDEVMODEW pdmOutput, PDEVMODEW pdmInput);
typedef BOOL(WINAPI* PFN_DrvConvertDevMode)(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                                             PLONG pcbNeeded, DWORD fMode);
typedef DWORD(WINAPI* PFN_DrvDeviceCapabilities)(HANDLE hPrinter, LPWSTR pDeviceName, WORD iDevCap,
                                                  VOID* pvOutput, PDEVMODEW pDevMode);
typedef BOOL(WINAPI* PFN_PrinterProperties)(HWND hWnd, HANDLE hPrinter);
typedef BOOL(WINAPI* PFN_DrvPrinterEvent)(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam);
typedef BOOL(WINAPI* PFN_DrvUpgradePrinter)(DWORD Level, LPBYTE pDriverUpgradeInfo);
typedef BOOL(WINAPI* PFN_DevQueryPrintEx)(PDEVQUERYPRINT_INFO pDQPInfo);

// The spooler's document-properties calls: they load the printer's interface module from the
// driver directory and call its DrvDocumentProperties / DrvAdvancedDocumentProperties with the
// caller's arguments. fMode 0 (or no output buffer) asks for the size of the device mode.
WIN32_API LONG WINAPI DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                          PDEVMODEW pDevModeInput, DWORD fMode);
WIN32_API LONG WINAPI AdvancedDocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                  PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput);
// The printer's property sheet: the printer's interface module shows it (its PrinterProperties).
WIN32_API BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter);
// The capabilities of printer pDevice (pPort is not used): the interface module's
// DrvDeviceCapabilities on a handle opened for the call. -1 when the printer or its module cannot
// be had.
WIN32_API int WINAPI DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR pPort, WORD fwCapability, LPWSTR pOutput,
                                         const DEVMODEW* pDevMode);
