// Setters of the environment flags in a context's working device mode (options 728-742): what
// called the driver, on which system, and which add-on tools and services are in use.
#pragma once

#include "driver_context.h"

void CtxSetCallSrcApp(DriverContext* ctx);       // document settings of an application
void CtxSetCallSrcDefaults(DriverContext* ctx);  // default settings being edited
void CtxSetOSKindLegacy(DriverContext* ctx);     // older than Windows 2000
void CtxSetOSKindWin2000(DriverContext* ctx);    // Windows 2000 or later
void CtxSetBatchInstOff(DriverContext* ctx);
void CtxSetBatchInstOn(DriverContext* ctx);
void CtxSetPrintLogOff(DriverContext* ctx);
void CtxSetPrintLogOn(DriverContext* ctx);
void CtxSetBiDirectOff(DriverContext* ctx);
void CtxSetBiDirectOn(DriverContext* ctx);
DriverContext* CtxSetNoPermissionOff(DriverContext* ctx);
DriverContext* CtxSetNoPermissionOn(DriverContext* ctx);
void CtxSetPresentUIModeOff(DriverContext* ctx);
void CtxSetPresentUIModeOn(DriverContext* ctx);
void CtxSetBidiSupportOff(DriverContext* ctx);
void CtxSetBidiSupportOn(DriverContext* ctx);
DriverContext* CtxSetServerClientModeOff(DriverContext* ctx);
DriverContext* CtxSetServerClientModeOn(DriverContext* ctx);
void CtxSetUserCodeFIXOff(DriverContext* ctx);
void CtxSetUserCodeFIXOn(DriverContext* ctx);
void CtxSetUserCodeGetOff(DriverContext* ctx);
void CtxSetUserCodeGetOn(void* ignored, DriverContext* ctx);
void CtxSetTMInstalledOff(DriverContext* ctx);
void CtxSetTMInstalledOn(DriverContext* ctx);
void CtxSetMIInstalledOff(DriverContext* ctx);
void CtxSetMIInstalledOn(DriverContext* ctx);
void CtxSetPropertyTypeDocument(DriverContext* ctx);
void CtxSetPropertyTypePrinter(DriverContext* ctx);
void CtxSetUserCodeDLLOff(DriverContext* ctx);
void CtxSetUserCodeDLLOn(DriverContext* ctx);
