// The maker's job-control module ("QVJC32.DLL"): it keeps, per printer, the values that
// identify a user's jobs to the device (user code, owner, passwords, document name, fax number
// and line, authentication data, billing code) and the driver's family name, version and
// language. The binding lives in the context's work area; every exchange goes through the
// dispatcher.
#pragma once

#include <cstdint>

#include "driver_context.h"

inline constexpr WCHAR kJobControlModuleName[] = u"QVJC32.DLL";
inline constexpr char kJcGetInterfaceExport[] = "JCGetInterface";
inline constexpr char kJcDisposeInterfaceExport[] = "JCDisposeInterface";

// Item kinds of an exchange.
enum : DWORD {
  kJcKindText = 1,   // UTF-16 text
  kJcKindValue = 4,  // a 32-bit value
};

// The result for an item code outside the table (also an answered size query).
constexpr DWORD kJcUnknownItem = 0x20000001;

// The language record of the set-language slot.
struct JcLanguageRecord {
  DWORD size;  // 8
  WORD primary;
  WORD sub;
};
static_assert(sizeof(JcLanguageRecord) == 8);

// The table of functions that "JCGetInterface" returns (in memory only).
struct JobControlInterface {
  DWORD(WINAPI* initPrinter)(const WCHAR* printerName);                          // 0
  DWORD(WINAPI* printerOperation)(const WCHAR* printerName);                     // 1
  DWORD(WINAPI* openSession)(const WCHAR* printerName, HANDLE* session);         // 2: 0 = opened
  DWORD(WINAPI* closeSession)(HANDLE session);                                   // 3
  DWORD(WINAPI* queryItem)(HANDLE session, DWORD code, DWORD* itemFlags);        // 4: bit 0 = held
  DWORD(WINAPI* getItem)(HANDLE session, DWORD code, DWORD kind, void* buffer, DWORD byteSize,
                         DWORD* needed);                                         // 5
  DWORD(WINAPI* setItem)(HANDLE session, DWORD code, DWORD kind, const void* data, DWORD byteSize);  // 6
  DWORD(WINAPI* deleteItem)(HANDLE session, DWORD code);                         // 7
  DWORD(WINAPI* setLanguage)(HANDLE session, DWORD item, const JcLanguageRecord* language);  // 8
  void* reserved9;
  void* reserved10;
  DWORD(WINAPI* accessMode)(HANDLE session, DWORD a, DWORD b);                   // 11
  DWORD(WINAPI* readItemFlags)(HANDLE session, DWORD code, DWORD kind, DWORD size, DWORD* value, DWORD valueSize,
                               DWORD* needed);                                   // 12
};

using JcGetInterfaceFn = DWORD(WINAPI*)(WORD version, JobControlInterface** table);
using JcDisposeInterfaceFn = DWORD(WINAPI*)(JobControlInterface* table);

// The interface versions asked for, best first.
constexpr WORD kJcVersions[] = {0x105, 0x104, 0x103, 0x102, 0x101};

// One item: its code, its bit in the item masks, the setting it fills and the setting's text
// capacity in characters (the exchange buffer has twice as many bytes).
struct JcItemRow {
  DWORD code;
  DWORD mask;
  WORD option;  // 0 for the write-only items
  WORD capacity;
};
// The 15 rows in processing order; count into *count.
const JcItemRow* JcItemTable(int* count);
const JcItemRow* JcFindItem(DWORD code);

// Dispatcher commands.
enum : DWORD {
  kJcCmdInitPrinter = 0x30001,
  kJcCmdOpenSession = 0x10004,
  kJcCmdCloseSession = 0x20008,
  kJcCmdReadInSession = 256,
  kJcCmdWriteInSession = 512,
  kJcCmdClearInSession = 1024,
  kJcCmdReadItems = 0x30040,
  kJcCmdWriteItems = 0x30080,
};

// The notify code sent with the driver version text before it is written: {text, 16}.
constexpr DWORD kFmNotifyJcDriverVersion = 57;
struct JcDriverVersionNotice {
  WCHAR* text;
  DWORD length;
};

// 0 = success, else the error of the step that failed (a system error code or the module's).
DWORD JcDispatch(DriverContext* ctx, DWORD command, DWORD mask);

DWORD JcInitPrinter(DriverContext* ctx);
void JcOpenSession(DriverContext* ctx);
void JcCloseSession(DriverContext* ctx);
void JcReadItemsInSession(DriverContext* ctx, DWORD mask);
void JcWriteItemsInSession(DriverContext* ctx, DWORD mask);
void JcClearItemsInSession(DriverContext* ctx, DWORD mask);
// One-shot: bind, open, read or write the masked items, close, unbind.
DWORD JcReadItems(DriverContext* ctx, DWORD mask);
DWORD JcWriteItems(DriverContext* ctx, DWORD mask);

// On the open session; 0 when none is open.
DWORD JcDeleteItem(DriverContext* ctx, DWORD code);
DWORD JcSendLanguage(DriverContext* ctx);

// The masked items with codes 1-11 from or to the printer's data, under the settings' field
// names. 0.
int JcLoadItemsFromPrinterData(DriverContext* ctx, DWORD mask);
int JcSaveItemsToPrinterData(DriverContext* ctx, DWORD mask);
// Resets the masked items' settings without the module.
void JcClearItems(DriverContext* ctx, DWORD mask);
// Text settings := empty, zdmTelLine := 0; kJcUnknownItem for a code without a setting.
DWORD JcClearItemSetting(DriverContext* ctx, DWORD code);

// The steps themselves.
DWORD JcBindModule(DriverContext* ctx);
DWORD JcUnbindModule(DriverContext* ctx);
DWORD JcOpenSessionInModule(DriverContext* ctx);
DWORD JcCloseSessionInModule(DriverContext* ctx);
DWORD JcReadItem(DriverContext* ctx, DWORD code);
DWORD JcWriteItem(DriverContext* ctx, DWORD code, DWORD mode);
// 1 when a session could be opened (and was closed again); the binding is released.
int JcCanOpenSession(DriverContext* ctx);
