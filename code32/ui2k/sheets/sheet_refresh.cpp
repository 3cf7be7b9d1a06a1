// The refresh of an open dialog: preset tracking, then every control brought in step with its
// option and with the rules (hidden, greyed, notice marker), then the focus repaired.
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "preset_list.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kOptPresetNo = 37;
constexpr uint16_t kOptPresentUiMode = 735;
constexpr uint16_t kOptCopies = 12;
constexpr uint16_t kOptOrientation = 7;
constexpr int kFirstPresetValue = 119;
constexpr int kUserSettingsPreset = 118;
// Options whose change keeps the selected preset.
constexpr uint16_t kPresetNeutralOptions[] = {948, 36, 10003, 1019};
constexpr uint16_t kPresetNameControl = 2146;
constexpr uint16_t kKindSpin = 23;
constexpr uint16_t kKindPresetList = 50;
constexpr uint16_t kKindOwnerList = 47;

bool Changed(const OptionEntry* row) { return row && (row->stateBits & 0x3); }

void TrackPreset(DriverContext* ctx, DialogDescriptor* dialog) {
  if (dialog->dialogId == 1007) return;
  OptionEntry* presetRow = nullptr;
  const int preset = OptGetValue(ctx, kOptPresetNo, &presetRow) - kFirstPresetValue;
  if (preset < 0 || preset > 15 || OptGetValue(ctx, kOptPresentUiMode, nullptr) != 0) return;
  if (dialog->dialogId == 1011) {
    HWND parent = dialog->window ? GetParent(dialog->window) : nullptr;
    if (!parent || !OptFindDialogByWindow(ctx, parent)) return;
  }
  if (Changed(presetRow) || dialog->dialogId == 1032) return;
  const ControlDescriptor* nameControl = OptFindControl(ctx, nullptr, kPresetNameControl);
  bool other = false;
  for (int i = 0; !other && i < ctx->optionTable->count; ++i) {
    const OptionEntry& row = ctx->optionTable->rows[i];
    if (!Changed(&row) || &row == presetRow || (nameControl && nameControl->option == &row)) continue;
    bool neutral = false;
    for (uint16_t id : kPresetNeutralOptions) neutral |= row.id == id;
    other = !neutral;
  }
  if (!other) return;
  OptSetValue(ctx, kOptPresetNo, kUserSettingsPreset);
  UiRefreshPresetSelectors(ctx);
  CfgLoadPreset(ctx, -1);
}

// 1 when the options a control depends on have changed although its own did not.
bool DependencyChanged(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* c) {
  auto changed = [ctx](uint16_t id) { return Changed(OptFind(ctx, id)); };
  if (const uint16_t* aux = UiGetControlAux(c, kAuxSamplePicture))
    for (int i = 0; i < kSampleOptionCount; ++i)
      if (changed(aux[kSampleFirstOption + i])) return true;
  if (const uint16_t* aux = UiGetControlAux(c, kAuxPreview)) {
    if (changed(60)) return true;
    if (OptGetValue(ctx, 60, nullptr))
      for (int i = 0; i < kPreviewOptionCount; ++i)
        if (changed(aux[1 + i])) return true;
  }
  if (OptGetValue(ctx, 79, nullptr)) {
    for (uint16_t id = 514; id <= 531; ++id)
      if (id != 523 && changed(id)) return true;
  }
  if (dialog->dialogId == 1017 || dialog->dialogId == 1041) {
    for (uint16_t id : {941, 942, 344, 345, 348, 349, 1201, 1202, 1197, 1198, 1199, 1200})
      if (changed(id)) return true;
  }
  if (dialog->dialogId == 4024)
    for (uint16_t id : {606, 607, 608})
      if (changed(id)) return true;
  if (dialog->dialogId == 4031 && changed(10422)) return true;
  if (c->controlId == 2406) return true;
  RECT update{};
  return c->window && GetUpdateRect(c->window, &update, FALSE);
}

void SyncEnableAndMarker(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* c, int grey, int hidden) {
  const bool greyed = grey != 0;
  if ((IsWindowEnabled(c->window) != 0) == greyed) {
    if (!(c->controlId == 2164 && greyed && !hidden)) EnableWindow(c->window, !greyed);
    if (c->kind == kKindSpin) EnableScrollBar(c->window, SB_CTL, greyed ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    if (c->kind == kKindPresetList || c->kind == kKindOwnerList) InvalidateRect(c->window, nullptr, FALSE);
    if (hidden || !(c->informationMessageId || c->lockMessageId)) return;
    if (OptGetValue(ctx, 730, nullptr) >= 1 && OptGetValue(ctx, 730, nullptr) <= 2 &&
        OptGetValue(ctx, 734, nullptr) == 1 && OptGetValue(ctx, 729, nullptr) == 1) {
      c->informationMessageId = c->lockMessageId = c->lockOption = 0;
    } else if ((greyed && (c->informationMessageId || (c->lockFlags & kControlLockMessage))) ||
               OptHasControlNotice(ctx, c)) {
      UiMakeNoticeMarker(ctx, dialog, c);
    } else {
      UiRemoveNoticeMarker(ctx, dialog, c);
    }
  } else if (OptHasControlNotice(ctx, c)) {
    UiMakeNoticeMarker(ctx, dialog, c);
  } else if (!greyed || (!c->informationMessageId && !(c->lockFlags & kControlLockMessage))) {
    UiRemoveNoticeMarker(ctx, dialog, c);
  }
}

}  // namespace

void UiRefreshDialog(DriverContext* ctx, DialogDescriptor* dialog, int force) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!dialog || !state || state->building || state->refreshGuard || !ctx->optionTable) return;
  state->refreshGuard = 1;
  HWND focus = GetFocus();
  TrackPreset(ctx, dialog);

  int counted = 0;
  if (ctx->workArea->optionsChanged) {
    ctx->workArea->optionsChanged = 0;
    for (int i = 0; i < ctx->optionTable->count; ++i)
      if (ctx->optionTable->rows[i].id != kOptCopies && (ctx->optionTable->rows[i].stateBits & 0x3)) counted = 1;
  }
  if (Changed(OptFind(ctx, kOptOrientation))) UiRefreshEditPageLists(ctx);
  if (force)
    for (int i = 0; i < ctx->optionTable->count; ++i)
      ctx->optionTable->rows[i].stateBits = static_cast<uint16_t>((ctx->optionTable->rows[i].stateBits & ~0x3u) | 1u);

  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j) {
    ControlDescriptor* c = &dialog->controls[j];
    if (!c->window && dialog->window) c->window = GetDlgItem(dialog->window, c->controlId);
    if (!c->window) continue;
    if ((force || counted) && c->kind == kKindPresetList && !(c->state & kControlHiddenMask))
      InvalidateRect(c->window, nullptr, FALSE);
    const uint32_t pending = CtxGetPendingFlags(ctx);
    if (c->flags & pending & kPendingRefreshClasses) {
      UiInitControl(ctx, dialog, c);
      CtxClearPendingFlags(ctx, c->flags & pending & kPendingRefreshClasses);
    } else if (UiIsGreyStale(ctx, dialog, c) | UiIsHiddenStale(ctx, c)) {
      if (c->kind >= 42 && c->kind <= 49 && !(c->flags & kControlNoReinit) && !(c->lockFlags & kControlSkipReinit))
        UiInitControl(ctx, dialog, c);
    } else if (!force && !Changed(c->option) && !DependencyChanged(ctx, dialog, c)) {
      continue;
    }
    c->lockFlags &= ~kControlSkipReinit;
    int hidden = c->modelItem ? UiIsValueDisabled(ctx, c->modelItem, c->controlId) : (c->state & kControlHiddenMask);
    if (dialog->dialogId == 1011 && c->controlId == 2 && ctx->workArea->presetRefreshRunning) hidden = 1;
    int grey = hidden ? 1 : UiQueryControlGrey(ctx, dialog, c);
    if ((dialog->dialogId == 4042 || dialog->dialogId == 4043) && j == dialog->controlCount - 1 && c->controlId == 2)
      hidden = grey = 1;
    c->state = static_cast<uint16_t>((hidden & 0x3) | ((grey & 0x3) << kControlGreyShift));
    SyncEnableAndMarker(ctx, dialog, c, grey, hidden);
    if ((IsWindowVisible(c->window) != 0) == (hidden != 0)) ShowWindow(c->window, hidden ? SW_HIDE : SW_SHOW);
    if ((!hidden || (c->flags & kControlDisplayUnit)) && !(c->kind == kKindSpin && grey))
      UiRefreshControl(ctx, dialog, c);
  }

  for (int i = 0; i < ctx->optionTable->count; ++i)
    ctx->optionTable->rows[i].stateBits &= static_cast<uint16_t>(~0x3u);
  if (dialog->window)
    for (HWND child = GetWindow(dialog->window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      auto* owner = reinterpret_cast<ControlDescriptor*>(GetWindowLongPtrW(child, GWLP_USERDATA));
      if (!owner || owner->window == child) continue;
      for (int j = 0; dialog->controls && j < dialog->controlCount; ++j)
        if (&dialog->controls[j] == owner) InvalidateRect(child, nullptr, FALSE);
    }
  if (focus && !IsWindowEnabled(focus) && dialog->window) {
    HWND chosen = focus;
    for (int pass = 0; pass < 2 && chosen && !IsWindowEnabled(chosen); ++pass) {
      HWND next = GetWindow(chosen, GW_HWNDNEXT);
      chosen = next ? next : GetWindow(dialog->window, GW_CHILD);
    }
    if (chosen && chosen != focus) SetFocus(chosen);
  }
  state->refreshGuard = 0;
}
