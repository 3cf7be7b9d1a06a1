// Functions of neighbouring work that this branch calls before they land: the settings-file
// load and the custom paper-size slots.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Settings files: loads a settings file into the context. 1/0.
int CfgLoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);

// Custom paper-size slots (the cache lives in the work area's freeSizeSlots).
int CfgLoadAllFreeSizes(DriverContext* ctx);
int CfgPaperToSlot(int32_t paperCode, DriverContext* ctx);
int CfgCaptureCustomPaper(DriverContext* ctx, int32_t paperCode, int slot);
int CfgApplyFreeSizeSlot(DriverContext* ctx, int slot);
int CfgApplySrcFreeSizeSlot(DriverContext* ctx, int slot);
