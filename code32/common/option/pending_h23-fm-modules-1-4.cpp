// Placeholders of the functions declared in pending_h23-fm-modules-1-4.h.
#include "pending_h23-fm-modules-1-4.h"

// Placeholder until h20-free-size lands.
int CfgIsUserPaperInch(DriverContext*) { return 0; }
// Placeholder until h20-free-size lands.
int CfgFreeSizeSlotCount(DriverContext*) { return 0; }
// Placeholder until h20-free-size lands.
int CfgMirrorFreeSizeSlot(DriverContext*, int) { return 0; }

// Placeholder until h20-free-size lands.
void DmPushSnapshot(DriverContext*) {}
// Placeholder until h20-free-size lands.
void DmPopSnapshot(DriverContext*, int) {}
// Placeholder until h20-free-size lands.
OptionRowStates* OptSaveRowStates(DriverContext*) { return nullptr; }
// Placeholder until h20-free-size lands.
void OptRestoreRowStates(DriverContext*, OptionRowStates*) {}

// Placeholder until the lead's units and paper land: no range is known.
void OptGetControlRange(DriverContext*, ControlDescriptor*, int*, int*) {}
// Placeholder until the lead's units and paper land.
void OptRefreshPaperSettings(DriverContext*, int) {}
