// Placeholders until the neighbouring branches land (removed at merge).
#pragma once

#include "driver_context.h"
#include "win32/windows.h"

// public fields (h22)
void DmRefreshPaperFromOptions(BYTE* dm, DriverContext* ctx, int kind);
void DmApplyPublicFields(BYTE* working, const BYTE* incoming, DriverContext* ctx);
void DmSetPublicFromOptions(BYTE* dm, DriverContext* ctx, int kind);
int DmSetOutputPaper(int32_t code, WORD option, DriverContext* ctx, BYTE* dm);
void OptApplyAllTransacts(DriverContext* ctx);
// selectable values (h21)
int OptIsCollateAvailable(DriverContext* ctx);
// custom sizes and undo (h20)
int CfgLoadAllFreeSizes(DriverContext* ctx);
int CfgPaperToSlot(int32_t paperCode, DriverContext* ctx);
int CfgCaptureCustomPaper(DriverContext* ctx, int32_t paperCode, int slot);
int CfgApplySrcFreeSizeSlot(DriverContext* ctx, int slot);
void DmPushSnapshot(DriverContext* ctx);
void DmPopSnapshot(DriverContext* ctx, int restore);
// option persistence (h18)
int CfgLoadOptionClass(HANDLE printer, DriverContext* ctx, int block, DWORD mode);
// not built yet by anyone
int DmImportCompactSettings(DriverContext* ctx, DEVMODEW* dm);
WORD OptGetResolutionCap(DriverContext* ctx, int useDstResolution);
int CfgLoadQuality(DriverContext* ctx, int index);
int PrnReadLockedValues(HANDLE printer, DriverContext* ctx);
int JcReadItems(DriverContext* ctx, DWORD mask);
