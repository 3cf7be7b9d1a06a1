// The default window procedure of the page controls: every message is first offered to the
// feature modules, then the engine gives the controls what their classes lack: pictures that
// step their item (or a linked control) when clicked, a hand cursor over clickable pictures,
// auto-repeat of spin buttons, arrow-key stepping and character filtering of numeric and text
// edits, the hover help and the painting of pictures. Beside it the notice marker of a greyed or
// locked control, which shows the control's message when clicked.
#include <algorithm>
#include <string>

#include "win32/codepage.h"
#include "condition_chain.h"
#include "env_language.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "settings_paths.h"
#include "sheet_engine.h"

namespace {

constexpr UINT_PTR kSpinTimer = 2;
constexpr UINT kSpinTickMs = 100;
constexpr int kSpinDelayTicks = 3;
constexpr int kTipBelowControl = 4;
constexpr int kNoticeMarkerSize = 20;
constexpr uint16_t kNoticeMarkerBitmap = 7006;
constexpr int kText260 = 260;
constexpr DWORD kNotifyNumericStep = 55;

struct NumericStepNotice {
  ControlDescriptor* control;
  int32_t value;
};

DriverContext* ContextOf(HWND dialog) {
  return dialog ? reinterpret_cast<DriverContext*>(GetWindowLongPtrW(dialog, DWLP_USER)) : nullptr;
}

LRESULT CallClass(const ControlDescriptor* control, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (control && control->savedWindowProc) return CallWindowProcW(control->savedWindowProc, window, msg, wParam, lParam);
  return DefWindowProcW(window, msg, wParam, lParam);
}

bool IsShown(const ControlDescriptor* c) { return (c->state & kControlHiddenMask) == 0; }
bool IsGreyed(const ControlDescriptor* c) { return (c->state & kControlGreyMask) != 0; }
bool HasAutoRepeat(const ControlDescriptor* c) { return c->kind == 21 && UiGetControlAux(c, kAuxSpinRepeat); }

int CallMessageSlot(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                    LPARAM lParam) {
  const ControlKindEntry* kind = UiFindControlKind(control->kind);
  return kind && kind->message ? kind->message(ctx, dialog, control, msg, wParam, lParam) : 0;
}

bool HandShows(const SheetEngineState* state) {
  HCURSOR now = GetCursor();
  return state && now && (now == state->handCursor || now == state->pressedHandCursor);
}

void ShowCursorOf(SheetEngineState* state, HCURSOR cursor) {
  if (!state || !cursor) return;
  HCURSOR previous = SetCursor(cursor);
  if (!state->savedCursor && previous != state->handCursor && previous != state->pressedHandCursor)
    state->savedCursor = previous;
}

void RestoreCursor(SheetEngineState* state) {
  if (!state || !state->savedCursor) return;
  SetCursor(state->savedCursor);
  state->savedCursor = nullptr;
}

POINT PointOf(LPARAM lParam) { return POINT{int(int16_t(LOWORD(lParam))), int(int16_t(HIWORD(lParam)))}; }

bool ClientContains(HWND window, POINT p) {
  RECT r{};
  GetClientRect(window, &r);
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The row of a radio group (by name index) that follows its selected button, shown and enabled,
// wrapping to the first such row; NULL when the group has none.
ControlDescriptor* NextRadioTarget(DriverContext* ctx, uint16_t groupIndex) {
  DialogTable* table = ctx->dialogTable;
  if (!table) return nullptr;
  for (int d = 0; d < table->count; ++d) {
    DialogDescriptor* dialog = &table->rows[d];
    int selected = -1;
    for (int i = 0; i < dialog->controlCount; ++i) {
      ControlDescriptor* c = &dialog->controls[i];
      if (c->nameIndex == groupIndex && c->option && OptGetControlValue(ctx, c) == int32_t(c->controlId)) {
        selected = i;
        break;
      }
    }
    if (selected < 0) continue;
    const int n = dialog->controlCount;
    for (int step = 1; step < n; ++step) {
      ControlDescriptor* c = &dialog->controls[(selected + step) % n];
      if (c->nameIndex == groupIndex && IsShown(c) && !IsGreyed(c)) return c;
    }
    return nullptr;
  }
  return nullptr;
}

// The control a click on a picture acts on: its linked control, the next button of the linked
// radio group, or the picture itself; NULL when that target is hidden or greyed.
ControlDescriptor* ClickTarget(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* picture) {
  if (!picture->linkedControl) return picture;
  ControlDescriptor* target = OptFindControl(ctx, nullptr, picture->linkedControl);
  if (!target) target = NextRadioTarget(ctx, picture->linkedControl);
  (void)dialog;
  if (!target || !IsShown(target) || IsGreyed(target)) return nullptr;
  return target;
}

// A click released on a picture (or while the hand shows): the target's step slot runs.
bool ClickPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam) {
  ControlDescriptor* target = ClickTarget(ctx, dialog, control);
  if (!target) return false;
  DialogDescriptor* targetDialog = dialog;
  if (target->window && GetParent(target->window) != dialog->window)
    if (DialogDescriptor* other = OptFindDialogByWindow(ctx, GetParent(target->window))) targetDialog = other;
  const ControlKindEntry* kind = UiFindControlKind(target->kind);
  if (!kind || !kind->step || !kind->step(ctx, targetDialog, target, msg, wParam, lParam)) return true;
  if (target->window) SetFocus(target->window);
  InvalidateRect(dialog->window, nullptr, FALSE);
  UiRefreshDialog(ctx, dialog, 0);
  return true;
}

// Up and Down on a numeric edit: one step (or one display unit of a length) within the item's
// limits; nothing at a limit already reached.
void StepNumericEdit(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, bool up) {
  const ModelItem* item = control->modelItem;
  if (!item || !ctx->modelImage || ModelItemKind(item->typeWord) != kItemNumeric || !control->option) return;
  const auto* limits = MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
  if (!limits) return;
  int32_t low = limits->minimum;
  int32_t high = limits->maximum;
  int32_t step = 1;
  if (control->flags & kControlDisplayUnit) {
    step = std::max<int32_t>(1, OptFromDisplayUnits(ctx, 0, 1));
    LONG max = 0, min = 0;
    if (FmGetFreeSizeControlRange(ctx, control, &max, &min)) {
      low = min;
      high = max;
    }
  }
  const int32_t v = OptGetControlValue(ctx, control);
  int32_t next;
  if (up) {
    if (v >= high) return;
    next = v > high - step ? high : v + step;
  } else {
    if (v <= low) return;
    next = v < low + step ? low : v - step;
  }
  NumericStepNotice notice{control, next};
  FmBroadcastNotify(ctx, kNotifyNumericStep, &notice);
  OptWriteUiValue(ctx, control->option, uint32_t(next));
  PostMessageW(control->window, WM_PAINT, 0, 0);
  PostMessageW(dialog->window, WM_PAINT, 0, 0);
}

// The ANSI length of the edit's text with the selection replaced by `insert` characters.
int AnsiLengthWith(HWND edit, const std::u16string& insert) {
  const int length = GetWindowTextLengthW(edit);
  std::u16string text(size_t(length) + 1, u'\0');
  GetWindowTextW(edit, text.data(), length + 1);
  text.resize(size_t(length));
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, DWORD(text.size()));
  end = std::clamp<DWORD>(end, start, DWORD(text.size()));
  text.replace(start, end - start, insert);
  if (text.empty()) return 0;
  return WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
}

const ModelStringValue* StringRecord(DriverContext* ctx, const ControlDescriptor* control) {
  const ModelItem* item = control->modelItem;
  if (!item || !ctx->modelImage || ModelItemKind(item->typeWord) != kItemString) return nullptr;
  return MdlImageAt<ModelStringValue>(ctx->modelImage, item->values);
}

// Characters of a text edit: alphanumeric only when its item asks for it; none that would make
// the ANSI text longer than the option's field (or 260 bytes with flag 0x00400000).
bool AcceptTextChar(DriverContext* ctx, ControlDescriptor* control, WCHAR ch) {
  const ModelStringValue* record = StringRecord(ctx, control);
  if (!record || !control->option || ch == u'\b') return true;
  if (record->charAttr & kStrAscii) {
    const bool alnum = (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
    if (!alnum) return false;
  }
  const int bytes = AnsiLengthWith(control->window, std::u16string(1, ch));
  const int field = int(OptStorageExtent(control->option->typeWord));
  if (bytes > field - 1) return false;
  if ((control->flags & kControlText260) && bytes > kText260) return false;
  return true;
}

// A paste into an empty selection of a full text edit is dropped.
bool AcceptPaste(DriverContext* ctx, ControlDescriptor* control) {
  if (!StringRecord(ctx, control) || !control->option) return true;
  DWORD start = 0, end = 0;
  SendMessageW(control->window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start != end) return true;
  const int bytes = AnsiLengthWith(control->window, u"");
  if (control->flags & kControlText260) {
    if (bytes >= kText260) return false;
    if (bytes == kText260 - 1 && OpenClipboard(control->window)) {
      bool lead = false;
      if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const auto* text = static_cast<const char*>(GlobalLock(data));
        lead = text && IsDBCSLeadByte(BYTE(text[0]));
        GlobalUnlock(data);
      }
      CloseClipboard();
      if (lead) return false;
    }
    return true;
  }
  return bytes < int(OptStorageExtent(control->option->typeWord)) - 1;
}

// The auto-repeat of a spin button: its click action at once, then after three ticks every
// 100 ms while the pointer stays on it, until the end message arrives.
void RunSpinRepeat(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM start) {
  const ControlKindEntry* kind = UiFindControlKind(control->kind);
  auto click = [&]() {
    if (kind && kind->command)
      kind->command(ctx, dialog, control, MAKEWPARAM(control->controlId, BN_CLICKED), LPARAM(control->window));
    UiRefreshDialog(ctx, dialog, 0);
  };
  click();
  SetTimer(control->window, kSpinTimer, kSpinTickMs, nullptr);
  bool over = true;
  int delay = kSpinDelayTicks;
  for (;;) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!WaitMessage()) break;
      continue;
    }
    if (m.message == kSpinRepeatMessage && m.hwnd == control->window) break;
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    if (m.message == WM_MOUSEMOVE && start != WM_KEYDOWN) {
      POINT p = PointOf(m.lParam);
      if (m.hwnd != control->window) MapWindowPoints(m.hwnd, control->window, &p, 1);
      over = ClientContains(control->window, p);
    }
    if (m.message == WM_TIMER && m.hwnd == control->window && m.wParam == kSpinTimer) {
      if (delay > 0) --delay;
      else if (over) click();
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  KillTimer(control->window, kSpinTimer);
}

// Hover: a hand over a clickable picture, and the tip below the control.
void HoverControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, POINT screen) {
  SheetEngineState* state = UiSheetState(ctx);
  bool hot = false;
  if (IsShown(control) && !IsGreyed(control)) {
    if (control->kind == 47 || control->kind == 50) {
      hot = control->controlId != 2164 || control->kind != 47;
    } else if ((control->kind == 2 || control->kind == 3) && control->linkedControl) {
      hot = ClickTarget(ctx, dialog, control) != nullptr;
    } else if (control->kind == 3) {
      hot = true;
    }
  }
  if (hot) {
    if (!HandShows(state)) ShowCursorOf(state, state ? state->handCursor : nullptr);
  } else {
    RestoreCursor(state);
  }
  RECT r{};
  GetWindowRect(control->window, &r);
  POINT anchor{r.left, r.bottom + kTipBelowControl};
  (void)screen;
  ScreenToClient(dialog->window, &anchor);
  UiShowHoverTip(ctx, control, dialog->window, anchor.x, anchor.y);
}

LRESULT HandleMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window, UINT msg,
                      WPARAM wParam, LPARAM lParam) {
  SheetEngineState* state = UiSheetState(ctx);
  switch (msg) {
    case WM_KILLFOCUS:
      if (control->kind == 63) CallMessageSlot(ctx, dialog, control, msg, wParam, lParam);
      else if (control->kind == 84) InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_PAINT:
      if (control->kind == 2) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT mine{};
        GetWindowRect(window, &mine);
        for (HWND sibling = GetWindow(window, GW_HWNDPREV); sibling; sibling = GetWindow(sibling, GW_HWNDPREV)) {
          RECT other{};
          GetWindowRect(sibling, &other);
          const bool contains = other.left <= mine.left && other.top <= mine.top && other.right >= mine.right &&
                                other.bottom >= mine.bottom;
          if (contains || !IsWindowVisible(sibling)) continue;
          MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&other), 2);
          ExcludeClipRect(dc, other.left, other.top, other.right, other.bottom);
        }
        if (state) state->composition.paintDc = dc;
        RECT client{};
        GetClientRect(window, &client);
        UiDrawLayeredPicture(ctx, dialog, control, dc, &client);
        if (state) state->composition.paintDc = nullptr;
        EndPaint(window, &ps);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (control->kind == 50 || control->kind == 47 ||
          (control->kind == 2 && (control->controlId == 2039 || control->controlId == 0))) {
        RECT client{};
        GetClientRect(window, &client);
        HBRUSH brush = IsGreyed(control)    ? reinterpret_cast<HBRUSH>(ctx->workArea->gdiObjects[0])
                       : control->kind == 47 ? reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))
                                             : reinterpret_cast<HBRUSH>(ctx->workArea->gdiObjects[1]);
        if (brush) FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
      }
      break;
    case WM_SETCURSOR:
      if (HandShows(state)) return 1;
      break;
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) && state && GetCursor() == state->handCursor) SetCursor(state->pressedHandCursor);
      break;
    case WM_LBUTTONDOWN:
      if (state && GetCursor() == state->handCursor) SetCursor(state->pressedHandCursor);
      [[fallthrough]];
    case WM_LBUTTONDBLCLK:
      if (HasAutoRepeat(control)) PostMessageW(window, kSpinRepeatMessage, msg, 0);
      break;
    case WM_RBUTTONDOWN:
      if (wParam & MK_LBUTTON) PostMessageW(window, WM_LBUTTONUP, 0, lParam);
      break;
    case WM_LBUTTONUP: {
      if (HasAutoRepeat(control)) PostMessageW(window, kSpinRepeatMessage, 0, 0);
      const bool hand = HandShows(state);
      if (state && GetCursor() == state->pressedHandCursor) SetCursor(state->handCursor);
      if (control->kind == 49) {
        CallMessageSlot(ctx, dialog, control, msg, wParam, lParam);
        break;
      }
      if (control->kind == 84 && (!IsShown(control) || IsGreyed(control))) return 0;
      if ((control->kind == 2 || control->kind == 3 || hand) && ClientContains(window, PointOf(lParam))) {
        // The paper-path picture's areas choose a tray in the source combo; it has none here.
        if (control->kind == 2 && (control->controlId == 2067 || control->controlId == 0)) return 0;
        if (ClickPicture(ctx, dialog, control, msg, wParam, lParam)) return 0;
      }
      break;
    }
    case kSpinRepeatMessage:
      if (wParam && HasAutoRepeat(control)) {
        RunSpinRepeat(ctx, dialog, control, wParam);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && HasAutoRepeat(control)) return HandleMessage(ctx, dialog, control, window, WM_LBUTTONDOWN, 0, 0);
      if ((wParam == VK_UP || wParam == VK_DOWN) && control->kind == 63 && !(control->flags & kControlNoArrowStep)) {
        StepNumericEdit(ctx, dialog, control, wParam == VK_UP);
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wParam == VK_SPACE && HasAutoRepeat(control)) return HandleMessage(ctx, dialog, control, window, WM_LBUTTONUP, 0, 0);
      break;
    case WM_CHAR:
      if (control->kind == 49 && CallMessageSlot(ctx, dialog, control, msg, wParam, lParam)) return 0;
      if (control->kind == 63) {
        CtxSetSignedEditOption(ctx, control);
        const int ok = UiIsNumericEditChar(ctx, wParam);
        if (!ok) return 0;
      } else if (control->kind == 61 && !AcceptTextChar(ctx, control, WCHAR(wParam))) {
        return 0;
      }
      break;
    case WM_PASTE:
      if (control->kind == 61 && !AcceptPaste(ctx, control)) return 0;
      break;
    case WM_NCHITTEST: {
      POINT screen = PointOf(lParam);
      if (IsShown(control)) HoverControl(ctx, dialog, control, screen);
      if (control->kind >= 1 && control->kind <= 4) return HTCLIENT;
      break;
    }
    default:
      break;
  }
  return CallClass(control, window, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK UiControlWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ControlDescriptor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!control) return 0;
  HWND parent = GetParent(window);
  DriverContext* ctx = ContextOf(parent);
  DialogDescriptor* dialog = ctx ? OptFindDialogByWindow(ctx, parent) : nullptr;
  if (!ctx || !dialog) return CallClass(control, window, msg, wParam, lParam);
  if (FmDispatchDialogMessage(ctx, dialog, control, msg, wParam, lParam) == 1) return 0;
  return HandleMessage(ctx, dialog, control, window, msg, wParam, lParam);
}

int UiIsNumericEditChar(DriverContext* ctx, WPARAM character) {
  const WCHAR ch = WCHAR(character);
  if ((ch >= u'0' && ch <= u'9') || ch == u'\b') return 1;
  const bool comma = OptUsesDecimalComma(ctx) != 0;
  if (CtxGetSignedEditOption(ctx) && ch == u'-') return 1;
  return ch == (comma ? u',' : u'.') ? 1 : 0;
}

const HitAreaEntry* UiHitTestAreas(DriverContext* ctx, RECT* out, POINT* point, const HitAreaEntry* rows) {
  if (!ctx || !point || !rows) return nullptr;
  for (const HitAreaEntry* row = rows; row->valueId != 0; ++row) {
    if (row->conditionOption && OptGetUiValue(ctx, row->conditionOption, nullptr) != 1) continue;
    if (row->option && OptGetUiValue(ctx, uint16_t(row->option), nullptr) != int32_t(row->requiredValue)) continue;
    RECT r = row->area;
    for (const HitAreaOffset* o = row->offsets; o && o->option; ++o)
      if (OptGetUiValue(ctx, o->option, nullptr) == 1) OffsetRect(&r, o->dx, o->dy);
    const int left = point->x < 0 ? std::min(r.left, r.right) : r.left;
    const int right = point->x < 0 ? std::max(r.left, r.right) : r.right;
    if (point->x >= left && point->x < right && point->y >= r.top && point->y < r.bottom) {
      if (out) *out = r;
      return row;
    }
  }
  return nullptr;
}

const HitAreaEntryEx* UiHitTestAreasEx(DriverContext* ctx, RECT* out, POINT* point, const HitAreaEntryEx* rows) {
  if (!ctx || !point || !rows) return nullptr;
  for (const HitAreaEntryEx* row = rows; row->base.valueId != 0; ++row) {
    if (row->conditionChain && !OptTestConditionChain(ctx, static_cast<const ConditionTest*>(row->conditionChain)))
      continue;
    const HitAreaEntry single[2] = {row->base, HitAreaEntry{}};
    if (UiHitTestAreas(ctx, out, point, single)) return row;
  }
  return nullptr;
}

// ---- the notice marker ----------------------------------------------------------------------

namespace {

WNDPROC g_staticClassProc = nullptr;  // the "STATIC" class procedure, taken at the first marker

LRESULT CallStatic(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_staticClassProc ? CallWindowProcW(g_staticClassProc, window, msg, wParam, lParam)
                           : DefWindowProcW(window, msg, wParam, lParam);
}

// The marker beside a control: a child window carrying the control's row that is not its window.
HWND FindMarker(HWND dialog, const ControlDescriptor* control) {
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (h != control->window && reinterpret_cast<const ControlDescriptor*>(GetWindowLongPtrW(h, GWLP_USERDATA)) ==
                                    control &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC)) == UiNoticeMarkerWndProc)
      return h;
  return nullptr;
}

void ShowNotice(DriverContext* ctx, ControlDescriptor* control, HWND marker) {
  const bool locked = (control->lockFlags & kControlLockMessage) || OptHasControlNotice(ctx, control);
  const uint16_t id = locked && control->lockMessageId ? control->lockMessageId : control->informationMessageId;
  std::u16string text(1025, u'\0');
  if (!id || EnvLoadString(ctx, id, text.data(), 1025, 1) <= 0) text[0] = 0;
  const WCHAR* caption = PrnGetName(ctx);
  MessageBoxW(control->window ? control->window : marker, text.c_str(), caption ? caption : u"", MB_ICONINFORMATION);
}

}  // namespace

LRESULT CALLBACK UiNoticeMarkerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ControlDescriptor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  HWND dialog = GetParent(window);
  DriverContext* ctx = ContextOf(dialog);
  if (!control || !ctx) return CallStatic(window, msg, wParam, lParam);
  SheetEngineState* state = UiSheetState(ctx);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client{};
      GetClientRect(window, &client);
      UiDrawPicture(ctx, OptFindDialogByWindow(ctx, dialog), control, window, &client, kNoticeMarkerBitmap, 1, 0);
      if (GetFocus() == window) DrawFocusRect(dc, &client);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      RECT r{};
      GetWindowRect(window, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      InvalidateRect(dialog, &r, TRUE);
      break;
    }
    case WM_NCHITTEST: {
      POINT p = PointOf(lParam);
      RECT r{};
      GetWindowRect(window, &r);
      if (PtInRect(&r, p)) {
        ShowCursorOf(state, state ? state->handCursor : nullptr);
        SetCapture(window);
        return HTCLIENT;
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (!ClientContains(window, PointOf(lParam)) && GetCapture() == window) {
        ReleaseCapture();
        RestoreCursor(state);
      }
      return 0;
    case WM_LBUTTONDOWN:
      if (state && GetCursor() == state->handCursor) SetCursor(state->pressedHandCursor);
      return 0;
    case WM_KEYUP:
      if (wParam != VK_SPACE) break;
      [[fallthrough]];
    case WM_LBUTTONUP:
      if (state && GetCursor() == state->pressedHandCursor) SetCursor(state->handCursor);
      ShowNotice(ctx, control, window);
      return 0;
    case WM_NCPAINT:
      return 0;
    default:
      break;
  }
  return CallStatic(window, msg, wParam, lParam);
}

void UiMakeNoticeMarker(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !dialog || !dialog->window || !control || !control->window) return;
  if (FindMarker(dialog->window, control)) return;
  RECT r{};
  GetWindowRect(control->window, &r);
  MapWindowPoints(nullptr, dialog->window, reinterpret_cast<POINT*>(&r), 2);
  int x = std::max(0, int(r.left) - kNoticeMarkerSize);
  int y = r.bottom - r.top <= kNoticeMarkerSize ? r.bottom - kNoticeMarkerSize : r.top;
  y = std::max(0, y);
  HWND marker = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | SS_BITMAP, x, y,
                                kNoticeMarkerSize, kNoticeMarkerSize, dialog->window, nullptr,
                                EnvLoadResourceDll(ctx), nullptr);
  if (!marker) return;
  const auto classProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(marker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UiNoticeMarkerWndProc)));
  if (!g_staticClassProc) g_staticClassProc = classProc;
  SetWindowLongPtrW(marker, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  SetWindowPos(marker, control->window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void UiRemoveNoticeMarker(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !dialog || !dialog->window || !control) return;
  if (HWND marker = FindMarker(dialog->window, control)) DestroyWindow(marker);
}
