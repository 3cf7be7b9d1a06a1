#include "fd_dialog_controls.h"

#include "option_access.h"

namespace {
constexpr uint16_t kOptionChangedBits = 0x3;
}

ControlDescriptor* FdDialogControl(DriverContext* ctx, uint16_t dialogId, uint16_t controlId) {
  DialogDescriptor* dialog = ctx ? OptFindDialog(ctx, dialogId) : nullptr;
  return dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
}

HWND FdDialogControlWindow(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  ControlDescriptor* c = ctx && dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
  return c ? c->window : nullptr;
}

int FdGetDialogText(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, WCHAR* out, int chars) {
  if (!out || chars <= 0) return 0;
  out[0] = 0;
  ControlDescriptor* c = FdDialogControl(ctx, dialogId, controlId);
  if (!c || !c->option || !OptGetStringValue(ctx, c->option, out, static_cast<size_t>(chars))) return 0;
  return lstrlenW(out);
}

int FdSetDialogText(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, const WCHAR* text) {
  ControlDescriptor* c = FdDialogControl(ctx, dialogId, controlId);
  return c && c->option && OptSetStringValue(ctx, c->option, text ? text : u"") ? 1 : 0;
}

DialogDescriptor* FdCurrentDialog(DriverContext* ctx) {
  return ctx ? OptFindDialog(ctx, static_cast<uint16_t>(ctx->dialogId)) : nullptr;
}

void FdMarkOptionChanged(OptionEntry* row) {
  if (row) row->stateBits = static_cast<uint16_t>((row->stateBits & ~kOptionChangedBits) | 1);
}
