// The maker's print-notification module: whether it can tell the user about completed and
// failed jobs of the printer, and whether those notifications are switched on. The answers are
// kept in four options of the device mode.
#pragma once

#include "driver_context.h"

// The module in the system directory and its exports.
inline constexpr WCHAR kPrintNotificationModule[] = u"QVPNInf.dll";
inline constexpr char kPrintNotificationCapabilityExport[] = "QVGetPrintNotificationCapability";
inline constexpr char kPrintNotificationValueExport[] = "QVGetPrintNotificationValue";

// The exports: 0 = success. The capability call takes the printer's name as ANSI text.
using QVGetPrintNotificationCapabilityFn = int(WINAPI*)(const char* printerName, DWORD* capability);
using QVGetPrintNotificationValueFn = int(WINAPI*)(DWORD* value);

// Bits of the capability and value words.
enum : DWORD {
  kNotifyJobComplete = 0x1,
  kNotifyJobError = 0x2,
};

// Modes of BidiReadPrintNotification.
enum : DWORD {
  kNotifyReadAll = 0,             // the capability and the value
  kNotifyReadCapabilityOnly = 1,  // the value options stay as they are
};

// Capability bits into zdmSupportFunc2SelectJobComplete (564) and zdmSupportFunc2SelectJobErr
// (565); both 0 when the module, an export or the capability answer is missing. Unless mode
// bit 0 is set, the value bits go into zdmFunc2SelectJobComplete (532) and
// zdmFunc2SelectJobErr (533) when the value call succeeds; otherwise those stay. The module is
// loaded for the call only.
void BidiReadPrintNotification(DriverContext* ctx, DWORD mode);
