// The undo stack of whole settings images, and the saved state of the option rows.
#include "undo_images.h"

#include <algorithm>
#include <cstring>

#include "core_memory.h"
#include "feature_modules.h"
#include "option_access.h"

namespace {

ContextWorkArea* StackOf(DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage || !ctx->workArea) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  for (SettingsImage* image : wa->undoImages)
    if (!image) return nullptr;
  return wa;
}

BYTE* Bytes(SettingsImage* image) { return reinterpret_cast<BYTE*>(image); }

void CopyLevel(ContextWorkArea* wa, int to, int from) {
  std::memcpy(wa->undoImages[to], wa->undoImages[from], kSettingsImageSize);
  wa->savedPendingWords[to] = wa->savedPendingWords[from];
}

// The font-substitution table handle held by an image; 0 when the row or its storage is missing.
DWORD FontTableOf(DriverContext* ctx, SettingsImage* image) {
  const OptionEntry* row = OptFind(ctx, kOptFontTable);
  if (!row) return 0;
  const BYTE* storage = OptImageAddress(Bytes(image), row->typeWord, row->offset);
  return storage ? static_cast<DWORD>(OptDecodeValue(storage, row->typeWord)) : 0;
}

// Forgets a table handle and frees its block.
void FreeTable(DriverContext* ctx, DWORD handle) {
  if (handle) MdlFreeMem(OptUnregisterBuffer(ctx, handle));
}

}  // namespace

void DmPushSnapshot(DriverContext* ctx) {
  ContextWorkArea* wa = StackOf(ctx);
  if (!wa) return;
  CopyLevel(wa, 2, 1);
  CopyLevel(wa, 1, 0);
  std::memcpy(wa->undoImages[0], ctx->settingsImage, kSettingsImageSize);
  wa->savedPendingWords[0] = wa->pendingUpdate;
  wa->undoState = std::min<DWORD>(wa->undoState + 1, kUndoLevels);
  FmBroadcastNotify(ctx, kFmNotifySnapshotPushed, nullptr);
}

void DmPopSnapshot(DriverContext* ctx, int restore) {
  ContextWorkArea* wa = StackOf(ctx);
  if (!wa || wa->undoState == 0 || wa->undoState > kUndoLevels) return;

  if (restore) {
    // The edited table goes when the image that comes back still refers to the table it
    // replaced. A working image that refers to the kept table itself has no edited table.
    const DWORD kept = wa->undoKeptFontTable;
    if (kept && FontTableOf(ctx, wa->undoImages[0]) == kept) {
      const DWORD edited = FontTableOf(ctx, ctx->settingsImage);
      if (edited != kept) FreeTable(ctx, edited);
      wa->undoKeptFontTable = 0;
    }
    std::memcpy(ctx->settingsImage, wa->undoImages[0], kSettingsImageSize);
    wa->pendingUpdate = wa->savedPendingWords[0];
    wa->optionsChanged = 0;
    if (OptionTable* table = ctx->optionTable; table && table->rows)
      for (int16_t i = 0; i < table->count; ++i) table->rows[i].stateBits &= ~kStateChangedMask;
    FmBroadcastNotify(ctx, kFmNotifySnapshotPopped, nullptr);
  } else if (wa->undoKeptFontTable) {
    // The edit stands: the table it replaced is no longer needed, unless the working image
    // still refers to it.
    if (FontTableOf(ctx, ctx->settingsImage) != wa->undoKeptFontTable) FreeTable(ctx, wa->undoKeptFontTable);
    wa->undoKeptFontTable = 0;
  }

  CopyLevel(wa, 0, 1);
  CopyLevel(wa, 1, 2);
  // Level 2 keeps its image, so a full stack stays full.
  if (wa->undoState < kUndoLevels) --wa->undoState;
}

OptionRowStates* OptSaveRowStates(DriverContext* ctx) {
  if (!ctx) return nullptr;
  auto* states = static_cast<OptionRowStates*>(CtxAllocMem(sizeof(OptionRowStates)));
  if (!states) return nullptr;
  const OptionTable* table = ctx->optionTable;
  if (!table || !table->rows || table->count <= 0) return states;
  const DWORD bytes = static_cast<DWORD>(table->count) * sizeof(OptionEntry);
  states->rows = static_cast<OptionEntry*>(CtxAllocMem(bytes));
  if (!states->rows) return states;
  std::memcpy(states->rows, table->rows, bytes);
  states->count = table->count;
  return states;
}

void OptRestoreRowStates(DriverContext* ctx, OptionRowStates* states) {
  if (!states) return;
  OptionTable* table = ctx ? ctx->optionTable : nullptr;
  if (table && table->rows && states->rows) {
    const int16_t rows = std::min(table->count, states->count);
    if (rows > 0) std::memcpy(table->rows, states->rows, static_cast<size_t>(rows) * sizeof(OptionEntry));
  }
  MdlFreeMem(states->rows);
  MdlFreeMem(states);
}
