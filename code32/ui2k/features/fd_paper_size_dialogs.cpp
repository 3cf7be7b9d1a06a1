// The custom paper size dialogs: the register of ten custom sizes (1017) with its owner-drawn
// slot list, the custom-size input of the document (1041) and the change of the display unit
// (1013), which keeps the exact inch values of the document's custom size.
#include <algorithm>
#include <climits>
#include <span>

#include "env_language.h"
#include "fd_paper_size.h"
#include "fd_services.h"
#include "fm_modules_1_4.h"
#include "free_size.h"
#include "model_query.h"
#include "option_access.h"
#include "option_units.h"
#include "option_values.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kDlgUnit = 1013;  // ZPD_IDD_DIALOG_UNIT
constexpr uint16_t kOptDspUnit = 171;    // zdmDspUnit
constexpr uint16_t kOptOldDspUnit = 1151;  // wdmDspUnit
constexpr uint16_t kFirstSlotString = 109;
constexpr int kTextChars = 1025;
constexpr WPARAM kValueChangedCommand = 0x10000;

enum : uint16_t {
  kCtlSlotTray = 2217,
  kCtlSlotDefaults = 2227,  // ZPD_IDC_FREESIZE_BUTTON_DEFAULT
  kCtlSlotList = 2364,      // ZPD_IDC_FREESIZE_CHOICE_ENTRY
  kCtlInputTray = 2697,
  kCtlInputLandscape = 2701,
  kCtlInputPortrait = 2702,
  kCtlInputDefaults = 2704,
};
constexpr uint16_t kSlotEdits[] = {2220, 2224, 2365, 2392, 2394, 2398, 2400, 2590, 2592};
constexpr uint16_t kSlotSpins[] = {2221, 2225, 2393, 2395, 2399, 2401, 2591, 2593};
constexpr uint16_t kInputEdits[] = {2594, 2596, 2682, 2683, 2684, 2689, 2690, 2691};
constexpr uint16_t kInputSpins[] = {2595, 2597, 2685, 2686, 2687, 2692, 2693, 2694};

bool Has(std::span<const uint16_t> ids, const ControlDescriptor* control) {
  return std::ranges::find(ids, control->controlId) != ids.end();
}

int32_t Value(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

bool IsEditChange(WPARAM wParam) { return HIWORD(wParam) == EN_KILLFOCUS || HIWORD(wParam) == EN_CHANGE; }

bool OwnCommand(const ControlDescriptor* control, DWORD msg, WPARAM wParam) {
  return msg == WM_COMMAND && LOWORD(wParam) == control->controlId;
}

bool OwnScroll(const ControlDescriptor* control, DWORD msg, LPARAM lParam) {
  return msg == WM_VSCROLL && control->window && reinterpret_cast<HWND>(lParam) == control->window;
}

int SlotCount(DriverContext* ctx) { return std::clamp(CfgFreeSizeSlotCount(ctx), 0, kFreeSizeSlotCount); }

int32_t& CurrentSlot(DriverContext* ctx) { return ctx->workArea->freeSizeCurrentSlot; }

bool ValidSlot(DriverContext* ctx, int slot) { return slot >= 0 && slot < SlotCount(ctx); }

ControlDescriptor* SlotList(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* list = OptFindControl(ctx, dialog, kCtlSlotList);
  return list && list->window ? list : nullptr;
}

void Repaint(ControlDescriptor* list) {
  if (list && list->window) InvalidateRect(list->window, nullptr, TRUE);
}

// After an edit or a spin changed a value: the slot shown keeps it.
void CaptureShownSlot(DriverContext* ctx, DialogDescriptor* dialog) {
  const int slot = CurrentSlot(ctx);
  ControlDescriptor* list = SlotList(ctx, dialog);
  if (list) SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(slot), 0);
  if (ValidSlot(ctx, slot)) CfgCaptureFreeSizeSlot(ctx, slot);
  Repaint(list);
}

// A length or width that left its edit outside the range of the tray and orientation is brought
// back to the nearest end, and the edit shows it.
void KeepInsideRange(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  LONG max = 0, min = 0;
  if (!control->option || !FdGetFreeSizeRangeOf(ctx, dialog, control, &max, &min)) return;
  const int32_t value = OptReadValue(ctx, control->option);
  const int32_t kept = std::clamp<int32_t>(value, min, std::max(min, max));
  if (kept == value) return;
  OptWriteUiValue(ctx, control->option, static_cast<uint32_t>(kept));
  UiRefreshControl(ctx, dialog, control);
}

// The slot list of the register: filled once with the ten names; the first slot shown.
int InitSlotList(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list) {
  if (!list->window) return 1;
  const int slots = SlotCount(ctx);
  if (SendMessageW(list->window, LB_GETCOUNT, 0, 0) == slots) return 1;
  SendMessageW(list->window, LB_RESETCONTENT, 0, 0);
  WCHAR text[kTextChars];
  for (int i = 0; i < slots; ++i) {
    if (EnvLoadString(ctx, static_cast<DWORD>(kFirstSlotString + i), text, kTextChars, 1) <= 0) text[0] = 0;
    const LRESULT at = SendMessageW(list->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0) SendMessageW(list->window, LB_SETITEMDATA, static_cast<WPARAM>(at), kFirstSlotString + i);
  }
  CurrentSlot(ctx) = 0;
  SendMessageW(list->window, LB_SETCURSEL, 0, 0);
  CfgApplyFreeSizeSlot(ctx, 0);
  UiDispatchControlCommand(ctx, dialog, list, kValueChangedCommand, reinterpret_cast<LPARAM>(list->window));
  return 1;
}

int DrawSlotItem(DriverContext* ctx, ControlDescriptor* list, const DRAWITEMSTRUCT* item) {
  if (!item || !item->hDC || !(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return 0;
  HDC dc = item->hDC;
  const RECT& row = item->rcItem;
  if (item->itemData != 0) {
    const bool greyed = (list->state & kControlGreyMask) != 0;
    const bool shown = static_cast<int64_t>(item->itemData) == CurrentSlot(ctx) + kFirstSlotString;
    const int back = greyed ? COLOR_BTNFACE : shown ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    const int fore = greyed ? COLOR_GRAYTEXT : shown ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(back));
    SetTextColor(dc, GetSysColor(fore));
    WCHAR text[kTextChars];
    if (EnvLoadString(ctx, static_cast<DWORD>(item->itemData), text, kTextChars, 1) <= 0) text[0] = 0;
    const int length = static_cast<int>(std::char_traits<WCHAR>::length(text));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    ExtTextOutW(dc, row.left, row.top + ((row.bottom - row.top) - extent.cy) / 2, ETO_CLIPPED | ETO_OPAQUE, &row,
                text, static_cast<UINT>(length), nullptr);
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    SetBkColor(dc, oldBack);
  }
  if ((item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS)) DrawFocusRect(dc, &row);
  return 1;
}

int SlotListProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, DWORD msg, WPARAM wParam,
                 LPARAM lParam) {
  if (msg == WM_INITDIALOG) return InitSlotList(ctx, dialog, list);
  if (msg == WM_DRAWITEM) return DrawSlotItem(ctx, list, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  if (!OwnCommand(list, msg, wParam) || !list->window) return 0;
  switch (HIWORD(wParam)) {
    case LBN_SELCHANGE: {
      UiDispatchControlCommand(ctx, dialog, list, wParam, lParam);
      if (ValidSlot(ctx, CurrentSlot(ctx))) CfgCaptureFreeSizeSlot(ctx, CurrentSlot(ctx));
      const LRESULT selected = SendMessageW(list->window, LB_GETCURSEL, 0, 0);
      if (selected != LB_ERR && ValidSlot(ctx, static_cast<int>(selected))) {
        CurrentSlot(ctx) = static_cast<int32_t>(selected);
        CfgApplyFreeSizeSlot(ctx, CurrentSlot(ctx));
        UiDispatchControlCommand(ctx, dialog, list, wParam, lParam);
        Repaint(list);
        UiRefreshDialog(ctx, dialog, 0);
      }
      return 1;
    }
    case LBN_SETFOCUS:
      if (CurrentSlot(ctx) >= 0) {
        SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(CurrentSlot(ctx)), 0);
        if (dialog->window) {
          SendMessageW(dialog->window, WM_LBUTTONDOWN, 0, 0);
          SendMessageW(dialog->window, WM_LBUTTONUP, 0, 0);
        }
      }
      return 1;
    case LBN_KILLFOCUS:
      return 1;
    default:
      return 0;
  }
}

// Every slot back to the driver's defaults, each captured through the button's own command.
int RestoreDefaultSlots(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* button, WPARAM wParam,
                        LPARAM lParam) {
  CfgLoadFreeSizeDefaults(ctx);
  for (int slot = 0; slot < SlotCount(ctx); ++slot) {
    CfgApplyFreeSizeSlot(ctx, slot);
    UiDispatchControlCommand(ctx, dialog, button, wParam, lParam);
    CurrentSlot(ctx) = slot;
    CfgCaptureFreeSizeSlot(ctx, slot);
  }
  ControlDescriptor* list = SlotList(ctx, dialog);
  if (list) SendMessageW(list->window, LB_SETCURSEL, 0, 0);
  CurrentSlot(ctx) = 0;
  CfgApplyFreeSizeSlot(ctx, 0);
  Repaint(list);
  UiRefreshDialog(ctx, dialog, 0);
  return 1;
}

// The options of the length, width and name controls, which the name table leaves to the dialog:
// the slot being edited in the register, the document's paper or print size in the input.
struct ControlOption {
  uint16_t controlId;
  uint16_t option;       // in the register; in the input the paper-size option
  uint16_t printOption;  // in the input, while it edits the print size
};
constexpr ControlOption kSlotControlOptions[] = {
    {2220, kOptFreeSizeLength, 0}, {2221, kOptFreeSizeLength, 0}, {2392, kOptFreeSizeLength, 0},
    {2393, kOptFreeSizeLength, 0}, {2400, kOptFreeSizeLength, 0}, {2401, kOptFreeSizeLength, 0},
    {2590, kOptFreeSizeLength, 0}, {2591, kOptFreeSizeLength, 0}, {2224, kOptFreeSizeWidth, 0},
    {2225, kOptFreeSizeWidth, 0},  {2394, kOptFreeSizeWidth, 0},  {2395, kOptFreeSizeWidth, 0},
    {2398, kOptFreeSizeWidth, 0},  {2399, kOptFreeSizeWidth, 0},  {2592, kOptFreeSizeWidth, 0},
    {2593, kOptFreeSizeWidth, 0},  {2365, kOptFreeSizeName, 0}};
constexpr ControlOption kInputControlOptions[] = {
    {2682, kOptPaperFreeSizeLength, 347}, {2683, kOptPaperFreeSizeLength, 347}, {2684, kOptPaperFreeSizeLength, 347},
    {2685, kOptPaperFreeSizeLength, 347}, {2686, kOptPaperFreeSizeLength, 347}, {2687, kOptPaperFreeSizeLength, 347},
    {2594, kOptPaperFreeSizeLength, 347}, {2595, kOptPaperFreeSizeLength, 347}, {2689, kOptPaperFreeSizeWidth, 346},
    {2690, kOptPaperFreeSizeWidth, 346},  {2691, kOptPaperFreeSizeWidth, 346},  {2692, kOptPaperFreeSizeWidth, 346},
    {2693, kOptPaperFreeSizeWidth, 346},  {2694, kOptPaperFreeSizeWidth, 346},  {2596, kOptPaperFreeSizeWidth, 346},
    {2597, kOptPaperFreeSizeWidth, 346}};

// A control without an option gets the one of its row when it is set up.
void BindUnboundControl(DriverContext* ctx, ControlDescriptor* control, std::span<const ControlOption> rows,
                        bool printSize) {
  if (control->option) return;
  for (const ControlOption& row : rows)
    if (row.controlId == control->controlId) control->option = OptFind(ctx, printSize ? row.printOption : row.option);
}

int FreeSizeDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                       WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  if (msg == WM_INITDIALOG) BindUnboundControl(ctx, control, kSlotControlOptions, false);
  if (control->controlId == kCtlSlotList) return SlotListProc(ctx, dialog, control, msg, wParam, lParam);
  if (control->controlId == kCtlSlotTray && OwnCommand(control, msg, wParam)) {
    // The combo stores its tray first, so that the slot keeps the tray chosen.
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
    ControlDescriptor* list = SlotList(ctx, dialog);
    const LRESULT selected = list ? SendMessageW(list->window, LB_GETCURSEL, 0, 0) : LB_ERR;
    const int slot = selected == LB_ERR ? CurrentSlot(ctx) : static_cast<int>(selected);
    if (ValidSlot(ctx, slot)) CfgCaptureFreeSizeSlot(ctx, slot);
    return 1;
  }
  if (control->controlId == kCtlSlotDefaults && OwnCommand(control, msg, wParam))
    return RestoreDefaultSlots(ctx, dialog, control, wParam, lParam);
  if (Has(kSlotEdits, control) && OwnCommand(control, msg, wParam) && IsEditChange(wParam)) {
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
    if (HIWORD(wParam) == EN_KILLFOCUS) KeepInsideRange(ctx, dialog, control);
    CaptureShownSlot(ctx, dialog);
    return 1;
  }
  if (Has(kSlotSpins, control) && OwnScroll(control, msg, lParam)) {
    UiDispatchControlMessage(ctx, dialog, control, msg, wParam, lParam);
    CaptureShownSlot(ctx, dialog);
    return 1;
  }
  return 0;
}

int FreeSizeInputProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                      WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  if (msg == WM_INITDIALOG)
    BindUnboundControl(ctx, control, kInputControlOptions, Value(ctx, kOptInputFreeSizeType) != 1);
  if (Has(kInputEdits, control) && OwnCommand(control, msg, wParam) && IsEditChange(wParam)) {
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
    if (HIWORD(wParam) == EN_KILLFOCUS) KeepInsideRange(ctx, dialog, control);
    return 1;
  }
  if (Has(kInputSpins, control) && OwnScroll(control, msg, lParam)) {
    UiDispatchControlMessage(ctx, dialog, control, msg, wParam, lParam);
    return 1;
  }
  switch (control->controlId) {
    case kCtlInputTray:
    case kCtlInputLandscape:
    case kCtlInputPortrait:
    case kCtlInputDefaults:
      if (!OwnCommand(control, msg, wParam) || !FmIsFreeSizeInchEntry(ctx)) return 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      FmSyncFreeSizeInputValues(ctx);
      return 1;
    default:
      return 0;
  }
}

// The inch value of the document's custom length or width after a change to the inch display.
int32_t InchValueOf(DriverContext* ctx, DialogDescriptor* input, int32_t stored, int isLength) {
  if (FdIsFreeSizeDefault(ctx, stored, isLength)) return OptToDisplayUnits(ctx, 0, stored);
  const uint32_t tenthMm = OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(std::max(stored, 0)), 1200, nullptr);
  int32_t inch = static_cast<int32_t>(OptTenthMmToHundredthInch(tenthMm));
  if (ControlDescriptor* edit = FmFindFreeSizeEdit(ctx, input, isLength)) {
    int32_t min = INT32_MIN, max = INT32_MAX;
    FdGetFreeSizeDisplayRange(ctx, input, edit, &min, &max);
    inch = std::clamp(inch, min, std::max(min, max));
  }
  return inch;
}

// The document's custom length or width again from its exact inch value after a change to the
// metric display; a default value stays.
int32_t LengthFromInch(DriverContext* ctx, DialogDescriptor* input, int32_t stored, int32_t inch, int isLength) {
  if (FdIsFreeSizeDefault(ctx, stored, isLength)) return stored;
  const auto tenthMm = static_cast<int32_t>(OptHundredthInchToTenthMm(static_cast<uint32_t>(std::max(inch, 0))));
  int32_t dots = OptFromDisplayUnits(ctx, 0, tenthMm);
  if (ControlDescriptor* edit = FmFindFreeSizeEdit(ctx, input, isLength)) {
    int32_t min = INT32_MIN, max = INT32_MAX;
    FdGetFreeSizeDisplayRange(ctx, input, edit, &min, &max);
    const int32_t low = min == INT32_MIN ? INT32_MIN : OptFromDisplayUnits(ctx, 0, min);
    const int32_t high = max == INT32_MAX ? INT32_MAX : OptFromDisplayUnits(ctx, 0, max);
    dots = std::clamp(dots, low, std::max(low, high));
  }
  return dots;
}

// OK of the unit dialog: the document's custom size keeps its exact inch values across the change.
void ChangeDisplayUnit(DriverContext* ctx) {
  const int32_t unit = Value(ctx, kOptDspUnit);
  if (Value(ctx, kOptOldDspUnit) == unit) return;
  OptSetValue(ctx, kOptOldDspUnit, unit);
  if (Value(ctx, kOptInputFreeSizeType) != 1) return;
  DialogDescriptor* input = OptFindDialog(ctx, kDlgFreeSizeInput);
  struct Pair {
    uint16_t length, inch;
    int isLength;
  };
  constexpr Pair kPairs[] = {{kOptPaperFreeSizeLength, kOptPaperInchLength, 1},
                             {kOptPaperFreeSizeWidth, kOptPaperInchWidth, 0}};
  if (CfgIsUserPaperInch(ctx)) {
    for (const Pair& p : kPairs) OptSetValue(ctx, p.inch, InchValueOf(ctx, input, Value(ctx, p.length), p.isLength));
  } else if (CfgIsUserPaperMetric(ctx)) {
    for (const Pair& p : kPairs)
      OptSetValue(ctx, p.length, LengthFromInch(ctx, input, Value(ctx, p.length), Value(ctx, p.inch), p.isLength));
  }
}

const ModelNumericValue* NumericRangeOf(DriverContext* ctx, const ControlDescriptor* control) {
  const ModelItem* item = control->modelItem;
  if (!item && control->option) item = MdlFindActiveItem(control->option->id, ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return nullptr;
  return MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
}

}  // namespace

// ---- ranges and defaults ------------------------------------------------------------------------

int FdGetFreeSizeRangeOf(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, LONG* max,
                         LONG* min) {
  if (!ctx || !dialog || !control || !max || !min) return 0;
  return FmGetFreeSizeRangeIn(ctx, dialog->dialogId, control, max, min);
}

void FdGetFreeSizeDisplayRange(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, int32_t* min,
                               int32_t* max) {
  if (!ctx || !control || !min || !max) return;
  LONG high = 0, low = 0;
  if (FdGetFreeSizeRangeOf(ctx, dialog, control, &high, &low)) {
    *max = OptToDisplayUnits(ctx, 0, high);
    *min = OptToDisplayUnits(ctx, 0, low);
    return;
  }
  const ModelNumericValue* model = NumericRangeOf(ctx, control);
  if (!model) return;
  int32_t shownMax = OptToDisplayUnits(ctx, 0, model->maximum);
  int32_t shownMin = OptToDisplayUnits(ctx, 0, model->minimum);
  if (OptFromDisplayUnits(ctx, 0, shownMax) > model->maximum) --shownMax;
  if (OptFromDisplayUnits(ctx, 0, shownMin) < model->minimum) ++shownMin;
  *max = shownMax;
  *min = shownMin;
}

int FdIsFreeSizeDefault(DriverContext* ctx, int32_t value, int isLength) {
  if (!ctx) return 0;
  const ControlDescriptor* edit = FmFindFreeSizeEdit(ctx, OptFindDialog(ctx, kDlgFreeSizeInput), isLength);
  const ModelNumericValue* model = edit ? NumericRangeOf(ctx, edit) : nullptr;
  return model && model->defaultValue == value ? 1 : 0;
}

// ---- the module's dialog side -------------------------------------------------------------------

int FmFreeSizeOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                       WPARAM wParam, LPARAM lParam, void*) {
  if (!ctx || !ctx->workArea || !dialog) return 0;
  switch (dialog->dialogId) {
    case kDlgFreeSize:
      return FreeSizeDialogProc(ctx, dialog, control, msg, wParam, lParam);
    case kDlgFreeSizeInput:
      return FreeSizeInputProc(ctx, dialog, control, msg, wParam, lParam);
    case kDlgUnit:
      if (!control && msg == WM_COMMAND && LOWORD(wParam) == IDOK) ChangeDisplayUnit(ctx);
      return 0;
    default:
      return 0;
  }
}
