// Placeholders of functions that other branches build; each answers failure or does nothing.
#include "pending_h19-settings-files.h"

// placeholder until h18-option-store lands
int IniReadOption(DriverContext*, OptionEntry*, const WCHAR*, const char*, int32_t*) { return 0; }
// placeholder until h18-option-store lands
int IniWriteOption(HANDLE, DriverContext*, OptionEntry*, const WCHAR*, IniSectionText*, int32_t*) { return 0; }
// placeholder until h18-option-store lands
int PrnWriteOption(HANDLE, DriverContext*, OptionEntry*) { return 0; }
// placeholder until h18-option-store lands
int CfgIsConfigOptionRow(const OptionEntry*) { return 0; }

// placeholder until h17-dm-record lands
int DmCompareVersions(DWORD, DWORD) { return 2; }
// placeholder until h17-dm-record lands
int DmRunConversionSteps(DWORD, DWORD, DriverContext*) { return 0; }

// placeholder until h20-free-size lands
int CfgSaveFreeSize(DriverContext*, int) { return 0; }
// placeholder until h20-free-size lands
int CfgCaptureFreeSizeSlot(DriverContext*, int) { return 0; }
// placeholder until h20-free-size lands
int CfgCaptureSrcFreeSizeSlot(DriverContext*, int) { return 0; }
// placeholder until h20-free-size lands
int CfgApplyFreeSizeSlot(DriverContext*, int) { return 0; }
// placeholder until h20-free-size lands
int CfgLoadSrcFreeSize(DriverContext*, int) { return 0; }
// placeholder until h20-free-size lands
int CfgLoadFreeSize(DriverContext*, int) { return 0; }

// placeholder until h22-dm-public lands
void DmSetPublicFromOptions(DEVMODEW*, DriverContext*, int) {}
// placeholder until h22-dm-public lands
void FmBroadcastRecheck(DriverContext*) {}
