// The device-state store: the configuration read from the device kept in the printer's data
// when the caller may change them, otherwise in the printer's section of the shared
// device-state file; the flags that say whether device data exist and whether the device's
// default trays were copied into the user's trays; and the decisions made when a sheet opens.
#pragma once

#include "driver_context.h"

// The shared device-state file, in the shared settings folder.
inline constexpr WCHAR kDeviceStateIniName[] = u"QV00C171.ini";

// Printer-data values and state-file keys.
inline constexpr WCHAR kBidiFlagName[] = u"BidiFlag";
inline constexpr WCHAR kBidiFuncName[] = u"BidiFunc";
inline constexpr WCHAR kBidiExFlagName[] = u"BidiExFlag";
inline constexpr WCHAR kBidiFuncDataName[] = u"BidiFuncData";
inline constexpr WCHAR kBidiFuncDataMarkingName[] = u"BidiFuncDataMarking";

// Options of the device functions kept beside the state.
constexpr WORD kOptBidiFuncDataTwoColor = 10434;
constexpr WORD kOptBidiFuncDataMarking = 10435;

// The message a printer-properties page shows after a failed update from the device.
constexpr WORD kBidiQueryFailedString = 7002;

// Notify codes of the sheet-open decision.
enum : DWORD {
  kFmNotifyNoDeviceState = 17,  // BidiNoStateEvent: the modules may query the device
  kFmNotifyStateVeto = 65,      // {u32 answer}: non-zero stops the use of the printer-data state
};
struct BidiNoStateEvent {
  HWND parent;    // the window the query may show its progress over
  DWORD answer;   // the query's result
};

// ---- printer data -------------------------------------------------------------------------------

// 1 when "BidiFlag" can be read (4 bytes) and has bit 0.
int BidiPrinterDataHasState(HANDLE printer, DriverContext* ctx);
// REG_BINARY values of 4, 1 and 4 bytes; 1 when written.
int BidiWriteFlag(HANDLE printer, DWORD value, DriverContext* ctx);
int BidiWriteFunc(HANDLE printer, BYTE value, DriverContext* ctx);
int BidiWriteExFlag(HANDLE printer, DWORD value, DriverContext* ctx);
// 1 when read; *value untouched otherwise.
int BidiReadFlag(HANDLE printer, DWORD* value, DriverContext* ctx);
int BidiReadFunc(HANDLE printer, BYTE* value, DriverContext* ctx);
int BidiReadExFlag(HANDLE printer, DWORD* value, DriverContext* ctx);
// Bit 0 of "BidiExFlag" (0 when unreadable).
int BidiExFlagIsSet(HANDLE printer, DriverContext* ctx);
// 1 when "BidiFlag" can be read and then written back unchanged (the caller may change the
// printer's data), else 0.
int BidiCanWritePrinterData(DriverContext* ctx);

// ---- the device-state file ----------------------------------------------------------------------

// The file's path into out (MAX_PATH characters); 1 when it could be formed.
int BidiStateFilePath(DriverContext* ctx, WCHAR* out);
// 1 when the printer's section has the key (a value of 7 reads as absent).
int BidiStateFileHasFlag(DriverContext* ctx);
int BidiStateFileHasExFlag(DriverContext* ctx);
// 1 when the key reads non-zero (absent = 0).
int BidiStateFileGetFlag(DriverContext* ctx);
int BidiStateFileGetExFlag(DriverContext* ctx);
// Writes "1" or "0"; 1 when written.
int BidiStateFileSetFlag(DriverContext* ctx, int on);
int BidiStateFileSetExFlag(DriverContext* ctx, int on);
// zdmBidiFunc := the integer of "BidiFunc" (default 0); the writer puts the decimal text.
void BidiStateFileLoadFunc(DriverContext* ctx);
int BidiStateFileSetFunc(DriverContext* ctx, BYTE value);
// Loads the device-configuration options from the printer's section, then "BidiFunc".
int BidiLoadStateFile(DriverContext* ctx);
// Saves them, then BidiFlag "1", BidiFunc and BidiExFlag "1".
int BidiSaveStateFile(DriverContext* ctx);
// Removes the printer's whole section; 1.
int BidiDropStateSection(DriverContext* ctx);
// Gives the file (made with "\r\n" when missing) an access list that lets everyone change it.
int BidiCreateStateFile(DriverContext* ctx);

// ---- decisions ----------------------------------------------------------------------------------

// zdmBiDirect := 1 when the device may be asked (BidiIsAllowed), else 0; 1.
int BidiSetDirectMode(DriverContext* ctx);
// When a printing-preferences sheet opens: use the stored device state, or let the modules
// query the device. The result of that query, or 1.
int BidiInitAtSheetOpen(DriverContext* ctx, HWND parent);
int BidiRaiseNoStateEvent(DriverContext* ctx, HWND parent);
int BidiRaiseStateVetoEvent(DriverContext* ctx);
// The device's default trays were copied into the user's trays (once per printer).
void BidiSetTrayDefaultsApplied(DriverContext* ctx);
int BidiAreTrayDefaultsApplied(DriverContext* ctx);
void BidiApplyTrayDefaults(DriverContext* ctx);
// Keeps a device function (option 10434 or 10435) in the state file when it holds the key,
// else in printer data.
void BidiStoreFuncData(DriverContext* ctx, WORD option, int on);
// The warning after a failed update from the device.
void BidiShowQueryFailed(DriverContext* ctx, HWND parent);
