// The device mode a running job keeps across a device reset.
#pragma once

#include "win32/windows.h"

struct DriverContext;

// 1 when both copies have the same full size and agree on dmColor, dmPrintQuality and the
// duplex switch.
int GrDevModesCompatible(DriverContext* ctx, const DEVMODEW* oldDm, const DEVMODEW* newDm);
// When compatible: newDm takes oldDm's content except the fields a new page may change, which
// keep newDm's values. 1 when taken over.
int GrTakeOverDevMode(DriverContext* ctx, const DEVMODEW* oldDm, DEVMODEW* newDm);
// 1 when every field the take-over names is a device-mode option of the context.
int GrTakeOverFieldsKnown(DriverContext* ctx);
