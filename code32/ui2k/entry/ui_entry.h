// The printer-interface module's entry points: the bodies behind its twelve exports, the
// bracket of spooler calls around every printer-level entry, the device-mode entry points, the
// document and printer events and the device capabilities.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "escape_strings.h"
#include "ui_services.h"  // the impersonation pair of the printer events
#include "win32/windows.h"

// ---- module start-up and the entry bracket ----------------------------------------------------

// DllMain's body: reason 1 starts the core's process locks, reason 0 frees the parked contexts,
// the compiled models and the locks. 1 for every reason.
BOOL UiHandleDllMain(HINSTANCE module, DWORD reason);
// The module handle kept at process attach (the instance handle of the sheet header).
HINSTANCE UiGetModuleHandle();

// The common property-sheet host: CommonPropertySheetUIW of compstui.dll, loaded for the call
// and freed afterwards. -1 when the library or its export is missing.
LONG UiRunCommonPropertySheet(HWND owner, PFNPROPSHEETUI callback, LPARAM lParam, LONG* result);

// COM for the What's-this menu: the context's COM flag records a successful CoInitialize.
HRESULT UiComInitialize(DriverContext* ctx);
void UiComUninitialize(DriverContext* ctx);


// The spooler calls every printer-level entry point makes around its work: the directory-name
// and client-side-rendering flags, the printer and driver records (each may be NULL) and the
// user-settings synchronisation; on destruction the leftovers of client-side rendering are
// purged and the records freed, on every return path.
class UiEntryBracket {
 public:
  // Steps before the work: the two flags and the three records (fetched only when asked).
  explicit UiEntryBracket(HANDLE printer, bool fetchRecords = true);
  ~UiEntryBracket();
  UiEntryBracket(const UiEntryBracket&) = delete;
  UiEntryBracket& operator=(const UiEntryBracket&) = delete;

  // CfgSyncUserSettings with the bracket's records (flags 1, or 0 for device capabilities).
  int Sync(DWORD flags);
  int syncResult() const { return syncResult_; }
  PRINTER_INFO_2W* pi2() const { return pi2_; }
  DRIVER_INFO_2W* di2() const { return di2_; }
  DRIVER_INFO_3W* di3() const { return di3_; }
  void SetCsrConnection(int on) { csr_ = on; }

 private:
  HANDLE printer_;
  int lacksDsName_ = 0;
  int csr_ = 0;
  int syncResult_ = 0;
  PRINTER_INFO_2W* pi2_ = nullptr;
  DRIVER_INFO_2W* di2_ = nullptr;
  DRIVER_INFO_3W* di3_ = nullptr;
};

// ---- document properties without sheets ------------------------------------------------------

LONG UiHandleDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG UiMergeDocumentProperties(DOCUMENTPROPERTYHEADER* header, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                               DRIVER_INFO_3W* di3, int nameChanged);
// The device mode handed back to the caller after the merge or the sheet (mode word DM_UPDATE /
// DM_COPY). 1.
int UiWriteOutputDevMode(DriverContext* ctx);

// The environment settings that the model's rules test, for a document sheet (sheet 1: the
// property type "document") or the merge without sheets (sheet 0: the server-client mode). The
// add-on and user-code answers are remembered, because a merge may bring the caller's values.
struct UiEnvironmentAnswers {
  int tm = 0;
  int mi = 0;
  int userCode = 0;
};
UiEnvironmentAnswers UiSetDocumentEnvironment(DriverContext* ctx, DWORD mode, int sheet);
void UiWriteEnvironmentAnswers(DriverContext* ctx, const UiEnvironmentAnswers& answers);

// Printing preferences through the common property-sheet host: INIT makes the context (kept in
// info->UserData) and adds the document pages; DESTROY writes the result back and releases it.
// 1, or -1 when the sheet cannot be opened.
LONG UiInitDocumentSheet(PROPSHEETUI_INFO* info, DOCUMENTPROPERTYHEADER* header, PRINTER_INFO_2W* pi2,
                         DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3, int nameChanged);
LONG UiDestroyDocumentSheet(PROPSHEETUI_INFO* info);
// The device-mode identity check: a working device mode of another size or an older layout is
// rebuilt from the model and the stored settings, or converted.
void UiCheckContextDevMode(DriverContext* ctx);
// 1 when the printer's PRINTER_INFO_2 has a default device mode.
int UiPrinterHasDefaultDevMode(HANDLE printer);

// Printer properties: the device sheets are the sheet engine's; the body asks the host for them.
LONG UiHandleDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
BOOL UiShowPrinterProperties(HWND owner, HANDLE printer);

// ---- device-mode entry points ----------------------------------------------------------------

LONG UiHandleDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in,
                                DWORD mode);
LONG UiShowAdvancedDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in);
LONG UiRunDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in, DWORD mode,
                             PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
BOOL UiConvertDevMode(LPWSTR printerName, DEVMODEW* in, DEVMODEW* out, DWORD* size, DWORD mode);
BOOL UiUpgradePrinter(DWORD level, DRIVER_UPGRADE_INFO_1W* info);
int UiIsRemotePrinterName(const WCHAR* printerName);
int UiUpgradeDriverNames(HANDLE printer, DriverContext* ctx);

// ---- the job check of DevQueryPrintEx ---------------------------------------------------------

// A spooler form with its name, as the job check records it.
struct UiJobForm {
  FORM_INFO_1W form;
  WCHAR name[33];
};
enum : int { kUiFormFound = 0, kUiFormCustom = 1, kUiFormMissing = 2 };

BOOL UiQueryPrintEx(DEVQUERYPRINT_INFO* info);
int UiCheckJobForm(DEVQUERYPRINT_INFO* info, BYTE* devMode, DriverContext* ctx);
int UiMatchJobForm(HANDLE printer, DEVMODEW* dm, UiJobForm* record);
// The printer's forms (level 1) in a block freed with MdlFreeMem; NULL and *count 0 when none.
FORM_INFO_1W* UiEnumForms(HANDLE printer, DWORD* count);
int UiFormFitsModelPaper(const UiJobForm* record, int ignored, int flag, DriverContext* ctx);
const void* UiFindFormPaper(const WCHAR* formName, DriverContext* ctx);
int UiDevQueryCheckJob(DEVQUERYPRINT_INFO* info, BYTE* devMode, DriverContext* ctx);
// Formats "%!" (a string id of module), %c, %d, %u, %x, %X and %s into out (outSize characters);
// *needed gets the full length plus one. The written length.
int UiFormatErrorText(HMODULE module, WCHAR* out, int outSize, int* needed, const WCHAR* format, ...);

// ---- document events and the string escape (rows: escape_strings.h) -----------------------------

int UiHandleDocumentEvent(HANDLE printer, HDC dc, int event, ULONG inSize, PVOID in, ULONG outSize, PVOID out);
// Fills the table's texts from the string library of the printer; the bytes of the escape's
// input ((rows with a key + 1) x 526).
DWORD UiBuildEscapeStrings(HANDLE printer, EscapeStringRow (&table)[kEscapeStringRows]);
void UiSendEscapeStrings(HANDLE printer, HDC dc);
void UiLoadEscapeString(HANDLE printer, HMODULE* slot, WORD stringId, WCHAR* text, int count);
HMODULE UiLoadStringLibrary(HANDLE printer, HMODULE* slot);

// ---- printer events ------------------------------------------------------------------------

BOOL UiHandlePrinterEvent(LPWSTR printerName, int event, DWORD flags, LPARAM lParam);
BOOL UiPrinterAddConnection(LPWSTR printerName);
BOOL UiPrinterDeleteConnection(LPWSTR printerName);
BOOL UiPrinterInitialize(LPWSTR printerName);
BOOL UiPrinterDelete(LPWSTR printerName);
BOOL UiPrinterCacheRefresh(LPWSTR printerName);

// ---- device capabilities ---------------------------------------------------------------------

DWORD UiHandleDeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, void* output, DEVMODEW* dm);
DWORD UiContextCapability(HANDLE printer, WORD capability, void* output, DEVMODEW* dm);
DWORD UiCapColorDevice(HANDLE printer);
// Copies DmGetSize bytes of the printer's default device mode into a zero-filled buffer; 0 when
// the printer has none.
int UiReadPrinterDefaultDevMode(HANDLE printer, BYTE* out);
DWORD UiCapDuplex(HANDLE printer);
DWORD UiCapTrueType(DriverContext* ctx);
DWORD UiCapCollate(DriverContext* ctx);
DWORD UiCapPersonality(WCHAR* out);
DWORD UiCapMediaReady(DriverContext* ctx, WCHAR* out);
DWORD UiCapStaple(DriverContext* ctx);
DWORD UiCapNup(HANDLE printer, BYTE lockByte, DWORD* out);
DWORD UiCapFileDependencies();
DWORD UiCapPrintRate(HANDLE printer);
DWORD UiReadPrintRate(HANDLE printer);
