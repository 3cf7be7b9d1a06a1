// Functions of neighbouring work that the feature modules 1-4 call, declared here until their
// owners' headers are in place.
#pragma once

#include "driver_context.h"

// Custom paper-size slots.
int CfgIsUserPaperInch(DriverContext* ctx);
int CfgFreeSizeSlotCount(DriverContext* ctx);
int CfgMirrorFreeSizeSlot(DriverContext* ctx, int slot);

// Undo snapshots and the saved option-row states.
struct OptionRowStates;
void DmPushSnapshot(DriverContext* ctx);
void DmPopSnapshot(DriverContext* ctx, int restore);
OptionRowStates* OptSaveRowStates(DriverContext* ctx);
void OptRestoreRowStates(DriverContext* ctx, OptionRowStates* copy);

// Units and paper: the displayed range of a numeric length control, and the paper settings
// recomputed after a change.
void OptGetControlRange(DriverContext* ctx, ControlDescriptor* control, int* min, int* max);
void OptRefreshPaperSettings(DriverContext* ctx, int kind);
