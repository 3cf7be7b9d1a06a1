// Placeholders of neighbouring work; each answers failure or nothing.
#include "pending_h22-dm-public.h"

// Placeholder until h19-settings-files lands: nothing is loaded.
int CfgLoadSettingsFile(HANDLE, const WCHAR*, DWORD, DriverContext*) { return 0; }

// Placeholders until h20-free-size lands: the slot cache stays as it is, every code is slot 0.
int CfgLoadAllFreeSizes(DriverContext*) { return 0; }
int CfgPaperToSlot(int32_t, DriverContext*) { return 0; }
int CfgCaptureCustomPaper(DriverContext*, int32_t, int) { return 0; }
int CfgApplyFreeSizeSlot(DriverContext*, int) { return 0; }
int CfgApplySrcFreeSizeSlot(DriverContext*, int) { return 0; }
