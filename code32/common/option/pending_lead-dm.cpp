// Placeholders until the neighbouring branches land (removed at merge).
#include "pending_lead-dm.h"

void DmRefreshPaperFromOptions(BYTE*, DriverContext*, int) {}
void DmApplyPublicFields(BYTE*, const BYTE*, DriverContext*) {}
void DmSetPublicFromOptions(BYTE*, DriverContext*, int) {}
int DmSetOutputPaper(int32_t, WORD, DriverContext*, BYTE*) { return 0; }
void OptApplyAllTransacts(DriverContext*) {}
int OptIsCollateAvailable(DriverContext*) { return 0; }
int CfgLoadAllFreeSizes(DriverContext*) { return 0; }
int CfgPaperToSlot(int32_t, DriverContext*) { return 0; }
int CfgCaptureCustomPaper(DriverContext*, int32_t, int) { return 0; }
int CfgApplySrcFreeSizeSlot(DriverContext*, int) { return 0; }
void DmPushSnapshot(DriverContext*) {}
void DmPopSnapshot(DriverContext*, int) {}
int CfgLoadOptionClass(HANDLE, DriverContext*, int, DWORD) { return 0; }
int DmImportCompactSettings(DriverContext*, DEVMODEW*) { return 1; }
WORD OptGetResolutionCap(DriverContext*, int) { return 0; }
int CfgLoadQuality(DriverContext*, int) { return 0; }
int PrnReadLockedValues(HANDLE, DriverContext*) { return 0; }
int JcReadItems(DriverContext*, DWORD) { return 0; }
