// Undo snapshots of the settings image, and the saved state of the option rows.
//
// Before a batch of changes (loading a preset, a quality entry, a stamp or the custom sizes,
// running a sub-dialog, trying a value) the caller pushes a snapshot of the whole working
// settings image; afterwards it pops it, restoring it (undo) or dropping it (commit). The work
// area holds three levels, 0 the newest; a fourth nested push discards the oldest. Each level
// keeps, beside its image, the pending-update word (the change classes collected since it was
// last cleared) as it was at the push.
//
// The work area's undo state word counts the levels that hold a pushed image (0-3). A pop moves
// the levels up and leaves level 2 as it was, so once three images have been pushed every level
// holds one and further pops give back the oldest again. A pop while no level holds an image
// changes nothing: there is nothing to restore and nothing to drop.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Levels of the undo stack.
constexpr int kUndoLevels = 3;

// The notify codes sent to the feature modules after a push and after a pop.
// (kFmNotifySnapshotPushed = 26 and kFmNotifySnapshotPopped = 27, feature_modules.h.)

// Level 2 := level 1, level 1 := level 0 (images and pending words); level 0 := the working
// image and the current pending-update word; then notify code 26. Nothing happens for a context
// without a working image or undo images.
void DmPushSnapshot(DriverContext* ctx);

// restore non-zero (undo): the working image, the pending-update word and the options-changed
// word return to level 0's state, no option row stays marked changed, notify code 27 follows.
// restore 0 (commit): the working image stays. Either way level 0 := level 1, level 1 :=
// level 2.
//
// The font-substitution table: while an edit has replaced the table of the settings, the work
// area keeps the handle of the table it replaced (undoKeptFontTable). An undo whose level 0 still
// refers to that table frees the edited one and the kept one comes back with the image; a
// commit frees the kept table and the edited one stays.
void DmPopSnapshot(DriverContext* ctx, int restore);

// A copy of every row of a context's option table, taken around a trial evaluation so that the
// rows' state (changed marks, classes, runtime flags) can be put back. Both parts come from the
// global heap (CtxAllocMem).
struct OptionRowStates {
  int16_t count;      // rows copied
  OptionEntry* rows;  // NULL when the row block could not be allocated
};

// NULL for a NULL context or when the header cannot be allocated. A context without an option
// table gives a copy of no rows.
OptionRowStates* OptSaveRowStates(DriverContext* ctx);
// Copies the saved rows back over the context's rows (as many as both hold) when the copy has
// rows, then frees the copy. A NULL copy is ignored; a NULL context only frees the copy.
void OptRestoreRowStates(DriverContext* ctx, OptionRowStates* states);
