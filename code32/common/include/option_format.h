// The display text of an option's current value.
#pragma once

#include "driver_context.h"

// The text of the current value of the option named by a symbol (name index), by the kind of
// the model item with that key: list texts from the language library, on/off texts, numbers
// and lengths in the display unit with the item's unit label, texts. Writes at most cch
// characters with the terminator; returns the length written, 0 when nothing could be shown.
int OptFormatValue(DriverContext* ctx, uint16_t nameIndex, WCHAR* buf, int cch);
