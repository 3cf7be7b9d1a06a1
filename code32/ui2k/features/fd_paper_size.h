// The custom paper size dialogs: the ranges of their length and width controls and the defaults
// of the custom-size input.
#pragma once

#include <cstdint>

#include "driver_context.h"

// The allowed range (1/1200 inch) of a length or width control of dialog 1017 or 1041 for the
// dialog's tray and orientation; 1 when the range table gives one, else 0.
int FdGetFreeSizeRangeOf(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, LONG* max,
                         LONG* min);
// The range of a length or width control in display units: the range table's, else the control's
// Numeric model item moved inward to whole display units. Without either the outputs stay as
// they were.
void FdGetFreeSizeDisplayRange(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, int32_t* min,
                               int32_t* max);
// 1 when value is the default of the model item of the first usable length (isLength) or width
// edit of the custom-size input.
int FdIsFreeSizeDefault(DriverContext* ctx, int32_t value, int isLength);
