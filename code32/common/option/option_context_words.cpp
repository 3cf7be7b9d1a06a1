// Per-context words of the work area and the derived values that need no option value.
#include "option_context_words.h"

#include "option_units.h"
#include "win32/windows.h"

namespace {

constexpr uint32_t kPendingLowHalf = 0x0000FFFFu;
constexpr uint32_t kPendingUndoShared = 0x10000000u;

ContextWorkArea* Work(DriverContext* ctx) { return ctx ? ctx->workArea : nullptr; }
const ContextWorkArea* Work(const DriverContext* ctx) { return ctx ? ctx->workArea : nullptr; }

bool IsSignedAdjustOption(uint16_t id) { return id == 704 || id == 705 || id == 711; }

}  // namespace

void CtxAddPendingFlags(DriverContext* ctx, uint32_t flags) {
  ContextWorkArea* w = Work(ctx);
  if (!w) return;
  if (flags == 0) {
    w->pendingUpdate = 0;
    return;
  }
  if (flags & kPendingLowHalf) w->pendingUpdate &= ~kPendingLowHalf;
  w->pendingUpdate |= flags;
}

uint32_t CtxGetPendingFlags(const DriverContext* ctx) {
  const ContextWorkArea* w = Work(ctx);
  return w ? w->pendingUpdate : 0;
}

void CtxClearPendingFlags(DriverContext* ctx, uint32_t flags) {
  ContextWorkArea* w = Work(ctx);
  if (!w) return;
  w->pendingUpdate &= ~flags;
  if (flags >= kPendingUndoShared)
    for (DWORD& saved : w->savedPendingWords) saved &= ~flags;
}

void CtxSetSettingsFileStatus(DriverContext* ctx, int32_t status) {
  if (ContextWorkArea* w = Work(ctx)) w->settingsFileStatus = status;
}

int32_t CtxGetSettingsFileStatus(const DriverContext* ctx) {
  const ContextWorkArea* w = Work(ctx);
  return w ? w->settingsFileStatus : 0;
}

void CtxSetSignedEditOption(DriverContext* ctx, const ControlDescriptor* control) {
  ContextWorkArea* w = Work(ctx);
  if (!w || !control || !control->option) return;
  if (IsSignedAdjustOption(control->option->id)) w->signedAdjustOption = control->option->id;
}

void CtxClearSignedEditOption(DriverContext* ctx) {
  if (ContextWorkArea* w = Work(ctx)) w->signedAdjustOption = 0;
}

uint16_t CtxGetSignedEditOption(const DriverContext* ctx) {
  const ContextWorkArea* w = Work(ctx);
  return w ? w->signedAdjustOption : 0;
}

void CtxSetImportFileCount(DriverContext* ctx, uint32_t count) {
  if (ContextWorkArea* w = Work(ctx)) w->importFileCount = count;
}

void CtxClearImportFileCount(DriverContext* ctx) { CtxSetImportFileCount(ctx, 0); }

uint32_t CtxGetImportFileCount(const DriverContext* ctx) {
  const ContextWorkArea* w = Work(ctx);
  return w ? w->importFileCount : 0;
}

uint32_t OptGetCodePageCharset() {
  DWORD codePage = GetACP();
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<DWORD_PTR>(codePage)), &info, TCI_SRCCODEPAGE))
    return 0;
  return OptCharsetToCode(info.ciCharset);
}

int OptGetLockedResolution(const DriverContext*) { return 0; }

int OptIsA4FitActive(const DriverContext*) { return 0; }
