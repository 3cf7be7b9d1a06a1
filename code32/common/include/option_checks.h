// Option validation and the small getters of the reset rules.
#pragma once

#include "driver_context.h"

// The custom-size slot (0-9) of dmPaperSize / zdmOutPaperSize, else -1.
int OptGetSourceSizeSlot(DriverContext* ctx);
int OptGetOutputSizeSlot(DriverContext* ctx);
// zdmWmID while watermark printing is on, else -1.
int OptGetWatermarkId(DriverContext* ctx);
// The selected user print macro's quality entry, else -1.
int OptGetUserMacroIndex(DriverContext* ctx);
