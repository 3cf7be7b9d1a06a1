// The remembered walk of the reset table (reset_rules.cpp) and what it needs from the option
// writes and the condition evaluator.
//
// A walk reads only the context's settings image, its model image, option table, profile and
// merge flags. When all of them are what a walk that read nothing else found before, the walk
// would take the same turns: its writes are done again in their order instead.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Non-zero while a walk's writes are noted on this thread.
extern thread_local DriverContext* g_resetWalkRecording;
// Conditions' reads of settings that the settings image does not hold, on this thread.
extern thread_local uint32_t g_evalOutsideReads;

// Takes a write of the recorded walk (a block write makes the walk one that is walked again).
void OptNoteResetWalkWrite(DriverContext* ctx, OptionEntry* row, int32_t value, bool bytes);
// Marks that a model image was made (packed, read or checked): a walk remembered before then
// is walked again, even when the new image took a freed image's address.
void MdlNoteNewImage();
// Drops what the context remembers of its last walk (at the context's end).
void OptFreeResetWalk(DriverContext* ctx);
