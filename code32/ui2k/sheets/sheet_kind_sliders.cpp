// Spins (vertical scroll bars), sliders (horizontal scroll bars, plain or drawn by the engine) and
// the track bar.
#include <algorithm>

#include "option_values.h"
#include "sheet_kinds.h"

using namespace sheet_kinds;

namespace {

constexpr int32_t kSpinDefaultMin = -100, kSpinDefaultMax = 100;
constexpr int32_t kSliderDefaultMin = 0, kSliderDefaultMax = 200;

struct Range {
  int32_t minimum;
  int32_t maximum;
};

Range ScrollRange(HWND window) {
  INT lo = 0, hi = 0;
  SendMessageW(window, SBM_GETRANGE, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  return {lo, std::max(lo, hi)};
}

// The spin's limits in the unit it shows.
Range SpinRange(DriverContext* ctx, ControlDescriptor* control) {
  Range r{kSpinDefaultMin, kSpinDefaultMax};
  if (IsDisplayUnit(control)) {
    int32_t lo = 0, hi = 0;
    if (OptGetControlRange(ctx, control, &lo, &hi)) r = {lo, hi};
  } else if (const ModelNumericValue* rec = NumericRecord(ctx, control)) {
    r = {rec->minimum, rec->maximum};
  }
  UiRangeNotice notice{control, r.minimum, r.maximum, 0};
  FmBroadcastNotify(ctx, kNotifySpinRange, &notice);
  if (notice.answered) r = {notice.minimum, notice.maximum};
  if (r.maximum < r.minimum) std::swap(r.minimum, r.maximum);
  return r;
}

int32_t SpinPosition(DriverContext* ctx, ControlDescriptor* control) {
  const int32_t value = OptGetControlValue(ctx, control);
  return IsDisplayUnit(control) ? OptToDisplayUnits(ctx, 0, value) : value;
}

bool IsReversed(DriverContext* ctx, ControlDescriptor* control) {
  UiEditValueNotice notice{control, 0, 0};
  FmBroadcastNotify(ctx, kNotifySliderReversed, &notice);
  return notice.answered && notice.value;
}

bool FromThisControl(const ControlDescriptor* control, LPARAM lParam) {
  return control->window && reinterpret_cast<HWND>(lParam) == control->window;
}

void EnableForGrey(ControlDescriptor* control) { EnableWindow(control->window, IsGreyed(control) ? FALSE : TRUE); }

}  // namespace

int UiScrollArrowWidth() { return GetSystemMetrics(SM_CXHSCROLL); }

// ---- spins ----------------------------------------------------------------------------------------

int UiInitSpin(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control || !control->window) return 0;
  const Range r = SpinRange(ctx, control);
  SendMessageW(control->window, SBM_SETRANGE, WPARAM(r.minimum), LPARAM(r.maximum));
  UiRefreshControl(ctx, dialog, control);
  return 1;
}

void UiRefreshSpin(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  if (IsDisplayUnit(control)) {
    const Range want = SpinRange(ctx, control);
    const Range have = ScrollRange(control->window);
    if (want.minimum != have.minimum || want.maximum != have.maximum)
      SendMessageW(control->window, SBM_SETRANGE, WPARAM(want.minimum), LPARAM(want.maximum));
  }
  SendMessageW(control->window, SBM_SETPOS, WPARAM(SpinPosition(ctx, control)), TRUE);
  EnableForGrey(control);
}

int UiSpinMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam) {
  if (msg != WM_VSCROLL || !ctx || !control || !control->option || !FromThisControl(control, lParam)) return 0;
  if (IsGreyed(control)) return 0;
  const auto* steps = UiGetAuxRecord<AuxSliderSteps>(control, kAuxSliderBitmaps);
  const int32_t page = steps && steps->channelBitmap ? steps->pageStep : 0;
  const Range r = ScrollRange(control->window);
  int64_t position = SendMessageW(control->window, SBM_GETPOS, 0, 0);
  switch (LOWORD(wParam)) {
    case SB_LINEUP: position += 1; break;
    case SB_LINEDOWN: position -= 1; break;
    case SB_PAGEUP: position += page; break;
    case SB_PAGEDOWN: position -= page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = int16_t(HIWORD(wParam)); break;
    default: break;
  }
  int32_t value = int32_t(std::clamp<int64_t>(position, r.minimum, r.maximum));
  SendMessageW(control->window, SBM_SETPOS, WPARAM(value), TRUE);
  if (IsDisplayUnit(control)) {
    UiEditValueNotice notice{control, value, 0};
    FmBroadcastNotify(ctx, kNotifySpinValue, &notice);
    if (notice.answered) value = notice.value;
    value = OptFromDisplayUnits(ctx, 0, value);
  }
  OptWriteUiValue(ctx, control->option, uint32_t(value));
  if (dialog && control->linkedControl)
    if (ControlDescriptor* linked = OptFindControl(ctx, dialog, control->linkedControl); linked && linked->window)
      SendMessageW(linked->window, WM_PAINT, 0, 0);
  NotifySheetChanged(dialog);
  return 1;
}

void UiStepLinkedValues(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const auto* aux = UiGetAuxRecord<AuxLinkedSteps>(control, kAuxSpinRepeat);
  if (!ctx || !dialog || !aux || !aux->rows) return;
  for (int i = 0; i < aux->count; ++i) {
    ControlDescriptor* target = OptFindControl(ctx, dialog, aux->rows[i].controlId);
    const ModelNumericValue* rec = NumericRecord(ctx, target);
    if (!target || !target->option || !rec) continue;
    const int64_t next = int64_t(OptGetControlValue(ctx, target)) + aux->rows[i].step;
    OptSetControlValue(ctx, target, uint32_t(std::clamp<int64_t>(next, rec->minimum, std::max(rec->minimum, rec->maximum))));
  }
}

// ---- sliders --------------------------------------------------------------------------------------

int UiInitSlider(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->window) return 0;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE;
  info.nMin = kSliderDefaultMin;
  info.nMax = kSliderDefaultMax;
  if (const ModelNumericValue* rec = NumericRecord(ctx, control)) {
    info.nMin = rec->minimum;
    info.nMax = std::max(rec->minimum, rec->maximum);
  }
  SendMessageW(control->window, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
  SendMessageW(control->window, SBM_ENABLE_ARROWS, ESB_ENABLE_BOTH, 0);
  if (control->kind == 84) {
    if (HMODULE theme = LoadLibraryW(u"UxTheme.DLL")) {
      using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
      if (auto set = reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(GetProcAddress(theme, "SetWindowTheme")))) set(control->window, u" ", u" ");
      FreeLibrary(theme);
    }
  }
  return 1;
}

void UiRefreshSlider(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  SendMessageW(control->window, SBM_SETPOS, WPARAM(OptGetControlValue(ctx, control)), TRUE);
  EnableForGrey(control);
}

void UiRefreshThemedSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  const bool reversed = IsReversed(ctx, control);
  const Range r = ScrollRange(control->window);
  int32_t position = OptGetControlValue(ctx, control);
  if (reversed) position = std::clamp<int32_t>(r.maximum - position, r.minimum, r.maximum);
  SendMessageW(control->window, SBM_SETPOS, WPARAM(position), TRUE);
  EnableForGrey(control);
  UiDrawSlider(ctx, dialog, control, reversed);
}

int UiSliderMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                    LPARAM lParam) {
  if (!ctx || !control || !control->window) return 0;
  const auto* steps = UiGetAuxRecord<AuxSliderSteps>(control, kAuxSliderBitmaps);
  if (msg == WM_CTLCOLORSCROLLBAR) {
    if (control->kind != 84 || !steps || !steps->channelBitmap || !FromThisControl(control, lParam)) return 0;
    if (dialog && dialog->window)
      SetWindowLongPtrW(dialog->window, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)));
    return 1;
  }
  if (msg == WM_LBUTTONDOWN && control->kind == 84) {
    // Called by the window procedure with its press-indicator handle in place of the dialog.
    HWND* indicator = reinterpret_cast<HWND*>(dialog);
    if (!indicator) return 0;
    RECT client{};
    GetClientRect(control->window, &client);
    const int w = UiScrollArrowWidth();
    const int x = GET_X_LPARAM(lParam);
    const bool left = x < client.left + w, right = x >= client.right - w;
    if (!left && !right) {
      *indicator = nullptr;
      return 0;
    }
    POINT origin{left ? client.left : client.right - w, client.top};
    ClientToScreen(control->window, &origin);
    DialogDescriptor* current = OptFindDialog(ctx, uint16_t(ctx->dialogId));
    HWND popup = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, origin.x, origin.y, w, client.bottom - client.top,
                                 current ? current->window : nullptr, nullptr, nullptr, nullptr);
    *indicator = popup;
    if (!popup) return 0;
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    if (HDC dc = GetDC(popup)) {
      RECT face{0, 0, w, client.bottom - client.top};
      UiDrawPanelButton(ctx, nullptr, control, popup, dc, &face, 2, 1, 0);
      const bool plus = right != IsReversed(ctx, control);
      const int cx = w / 2, cy = (face.bottom) / 2, arm = std::max(2, w / 4);
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_MENUTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, cx - arm, cy, nullptr);
      LineTo(dc, cx + arm + 1, cy);
      if (plus) {
        MoveToEx(dc, cx, cy - arm, nullptr);
        LineTo(dc, cx, cy + arm + 1);
      }
      SelectObject(dc, old);
      DeleteObject(pen);
      ReleaseDC(popup, dc);
    }
    return 1;
  }
  if (msg != WM_HSCROLL || !control->option || !FromThisControl(control, lParam) || IsGreyed(control)) return 0;
  int32_t step = 1, page = 10;
  if (steps && steps->channelBitmap) step = steps->smallStep, page = steps->pageStep;
  const Range r = ScrollRange(control->window);
  int64_t position = SendMessageW(control->window, SBM_GETPOS, 0, 0);
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: position -= step; break;
    case SB_LINERIGHT: position += step; break;
    case SB_PAGELEFT: position -= page; break;
    case SB_PAGERIGHT: position += page; break;
    case SB_LEFT: position -= 1; break;
    case SB_RIGHT: position += 1; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = int16_t(HIWORD(wParam)); break;
    default: break;
  }
  int32_t value = int32_t(std::clamp<int64_t>(position, r.minimum, r.maximum));
  if (IsReversed(ctx, control)) value = std::clamp<int32_t>(r.maximum - value, r.minimum, r.maximum);
  UiSetControlValue(ctx, dialog, control, uint32_t(value));
  UiRefreshDialog(ctx, dialog, 0);
  return 1;
}

void UiDrawSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, int reversed) {
  if (!ctx || !control || !control->window) return;
  const Range r = ScrollRange(control->window);
  if (r.maximum == r.minimum) return;
  RECT client{};
  GetClientRect(control->window, &client);
  const int w = UiScrollArrowWidth();
  const int width = client.right - client.left;
  if (width < 3 * w) return;
  HDC dc = GetDC(control->window);
  if (!dc) return;
  RECT channel{client.left + w, client.top, client.right - w, client.bottom};
  const auto* steps = UiGetAuxRecord<AuxSliderSteps>(control, kAuxSliderBitmaps);
  HBITMAP picture = steps && steps->channelBitmap ? UiLoadBitmap(ctx, steps->channelBitmap) : nullptr;
  if (picture) {
    UiDrawBitmap(ctx, dialog, control, dc, &channel, 0, 0, picture, 0, 0);
    DeleteObject(picture);
  } else {
    HBRUSH fill = GetSysColorBrush(COLOR_SCROLLBAR);
    FillRect(dc, &channel, fill);
  }
  const int32_t position = int32_t(SendMessageW(control->window, SBM_GETPOS, 0, 0));
  const int thumbX = client.left + w + int((int64_t(width) - 3 * w) * (position - r.minimum) / (r.maximum - r.minimum));
  const bool focused = GetFocus() == control->window;
  RECT leftEnd{client.left, client.top, client.left + w, client.bottom};
  RECT rightEnd{client.right - w, client.top, client.right, client.bottom};
  RECT thumb{thumbX, client.top, thumbX + w, client.bottom};
  UiDrawPanelButton(ctx, dialog, control, control->window, dc, &leftEnd, 2, 0, 0);
  UiDrawPanelButton(ctx, dialog, control, control->window, dc, &rightEnd, 2, 0, 0);
  UiDrawPanelButton(ctx, dialog, control, control->window, dc, &thumb, 2, focused, focused);
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_MENUTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  const int cy = (client.top + client.bottom) / 2, arm = std::max(2, w / 4);
  const RECT& minus = reversed ? rightEnd : leftEnd;
  const RECT& plus = reversed ? leftEnd : rightEnd;
  const int mx = (minus.left + minus.right) / 2, px = (plus.left + plus.right) / 2;
  MoveToEx(dc, mx - arm, cy, nullptr);
  LineTo(dc, mx + arm + 1, cy);
  MoveToEx(dc, px - arm, cy, nullptr);
  LineTo(dc, px + arm + 1, cy);
  MoveToEx(dc, px, cy - arm, nullptr);
  LineTo(dc, px, cy + arm + 1);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(control->window, dc);
}

void UiDrawSliderNormal(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  UiDrawSlider(ctx, dialog, control, 0);
}
void UiDrawSliderReversed(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  UiDrawSlider(ctx, dialog, control, 1);
}

// ---- track bar ----------------------------------------------------------------------------------

int UiInitTrackbar(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->window) return 0;
  Range r{kSliderDefaultMin, kSliderDefaultMax};
  if (const ModelNumericValue* rec = NumericRecord(ctx, control)) r = {rec->minimum, std::max(rec->minimum, rec->maximum)};
  SendMessageW(control->window, TBM_SETRANGE, FALSE, MAKELONG(r.minimum, r.maximum));
  if (control->option) SendMessageW(control->window, TBM_SETPOS, TRUE, OptGetControlValue(ctx, control));
  return 1;
}

void UiRefreshTrackbar(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  SendMessageW(control->window, TBM_SETPOS, TRUE, OptGetControlValue(ctx, control));
}

int UiTrackbarMessage(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control, UINT msg, WPARAM,
                      LPARAM lParam) {
  if (msg != WM_HSCROLL || !ctx || !control || !control->option || !FromThisControl(control, lParam)) return 0;
  OptWriteUiValue(ctx, control->option, uint32_t(SendMessageW(control->window, TBM_GETPOS, 0, 0)));
  return 1;
}
