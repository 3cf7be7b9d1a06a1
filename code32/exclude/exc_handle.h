// The Exc exports: the printer's settings-file path, its device mode as an ANSI record, and the
// exclusive handle through which a tool hands the driver a block of "@PJL SET" lines and gets
// back the lines that the printer's constraints change.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "win32/windows.h"

// Settings of a handle: ids 1-745 mirror driver options; 746 and 747 live only in the handle
// (747 holds the BOOKLET choice).
constexpr int32_t kExcSettingCount = 747;
constexpr uint16_t kExcLastOptionSetting = 745;
constexpr uint16_t kExcBookletSetting = 747;

// The handle a tool holds between ExcGetExclusive and ExcFreeExclusive. An in-memory record:
// pointers take their natural size.
struct ExclusiveHandle {
  DriverContext* context;  // created with the settings-command mode; owned by the handle
  HANDLE printer;          // owned by the handle
  int32_t count;           // kExcSettingCount
  BYTE* flags;             // flags[i] = 1 when setting i + 1 has a value
  int32_t* values;         // value of setting i + 1 while its flag is 1
  int32_t baseLength;      // bytes of the base text with its NUL; 0 without one
  char* baseText;
  int32_t changeLength;    // bytes of the change text with its NUL; 0 without one
  char* changeText;
};

// Opens a fresh context for the handle's printer (the one it held is released first), settles
// the device state (queryFlag 1 lets the device be asked) and reads the user code. 0, or -1
// when no context can be made.
int ApiOpenHandleContext(ExclusiveHandle* handle, int queryFlag);
// Clears the settings and both texts; with reopen 1 opens a fresh context without device query
// and answers its result, else 0.
int ApiResetHandle(ExclusiveHandle* handle, int reopen);
// The device state of a new context: direct mode, a quiet device query, or no device. 1.
int ApiSyncDeviceState(DriverContext* ctx, int queryFlag);
// The job-control module's value of an item as UTF-16 text into out (capacity by the item); 1
// when it answered.
int ApiReadJobValue(HANDLE printer, DWORD itemCode, DWORD kind, WCHAR* out);
// The model type that picks the command vocabulary, settled when the context leaves it open.
void ApiSettleModelType(DriverContext* ctx);

// The getters' answer: copies text (length bytes, NUL included) when the buffer holds it.
// 1 when the buffer is shorter (nothing copied), else 0; lengthOut gets the length either way.
int ExcCopyOut(const char* text, int32_t length, int32_t bufferLength, char* buffer, int32_t* lengthOut);


ZOLT_EXPORT int32_t WINAPI ExcGetIniFileName(const char* printerName, int32_t length, char* buffer, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetDriverDevmode(const char* printerName, int32_t flags, int32_t length, void* buffer,
                                               int32_t* lengthOut);
ZOLT_EXPORT ExclusiveHandle* WINAPI ExcGetExclusive(const char* printerName);
ZOLT_EXPORT void WINAPI ExcFreeExclusive(ExclusiveHandle* handle);
ZOLT_EXPORT int32_t WINAPI ExcSetCommandBase(ExclusiveHandle* handle, const char* text, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcUpdateCommand(ExclusiveHandle* handle, const char* line, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetCommandChange(ExclusiveHandle* handle, int32_t length, char* buffer, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetCommandBase(ExclusiveHandle* handle, int32_t length, char* buffer, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetCommandValue(ExclusiveHandle* handle, const char* name, int32_t onlyAllowed,
                                              int32_t length, char* buffer, int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetPrinterOption(ExclusiveHandle* handle, const char* name, int32_t length, char* buffer,
                                               int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetPrinterValue(ExclusiveHandle* handle, const char* name, int32_t length, char* buffer,
                                              int32_t* lengthOut);
ZOLT_EXPORT int32_t WINAPI ExcGetWaterMarkList(ExclusiveHandle* handle, int32_t kind, int32_t length, char* buffer,
                                               int32_t* lengthOut);
