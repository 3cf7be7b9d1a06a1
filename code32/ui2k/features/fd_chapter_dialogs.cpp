// Covers, slip sheets, marks and chapters: the cover dialogs' tray combos and labels, the
// chapter dialog and the summary page with their owner-drawn chapter lists, and the window
// notifications of the module (the delete button's grey state, the chapter dialog closed).
#include <algorithm>
#include <string>

#include "devmode_fields.h"
#include "devmode_public.h"
#include "env_language.h"
#include "fd_chapter.h"
#include "fd_services.h"
#include "model_query.h"
#include "option_access.h"
#include "option_units.h"
#include "sheet_engine.h"
#include "sheet_kinds.h"

namespace {

constexpr uint16_t kOptDefaultSource = 13;     // dmDefaultSource
constexpr int32_t kSourceAutomatic = 7;
constexpr uint16_t kOptChapterSeparator1 = 10285;  // zdmTrayChapterSep1-3
constexpr uint16_t kStringShared = 921;
constexpr int kTextChars = 1025;
constexpr uint8_t kKindChapter = 0;
constexpr uint8_t kKindRange = 3;

// The default-tray combos of the cover dialogs.
struct DefaultMarkCombo {
  uint16_t controlId;
  uint16_t defaultOption;
  BYTE deviceBit;
  uint16_t markString;
};
constexpr DefaultMarkCombo kMarkCombos[] = {
    {2440, 10276, 1, 916}, {2752, 10276, 1, 916}, {2443, 10277, 2, 911}, {2846, 10288, 64, 919}};

enum class LabelMode { kFull, kNoMedia, kTextOnly };
struct TrayLabel {
  uint16_t controlId;
  LabelMode mode;
};
constexpr TrayLabel kCoverLabels[] = {{2458, LabelMode::kFull},    {2462, LabelMode::kFull},
                                      {2518, LabelMode::kFull},    {2754, LabelMode::kFull},
                                      {2847, LabelMode::kFull},    {2459, LabelMode::kNoMedia},
                                      {2519, LabelMode::kNoMedia}, {2760, LabelMode::kNoMedia},
                                      {2848, LabelMode::kNoMedia}, {2463, LabelMode::kTextOnly}};
constexpr TrayLabel kChapterLabels[] = {{2772, LabelMode::kFull},
                                        {2782, LabelMode::kNoMedia},
                                        {2462, LabelMode::kFull},
                                        {2463, LabelMode::kTextOnly}};

int Value(DriverContext* ctx, uint16_t id) { return static_cast<int>(OptGetValue(ctx, id, nullptr)); }

bool OwnCommand(const ControlDescriptor* control, DWORD msg, WPARAM wParam) {
  return msg == WM_COMMAND && LOWORD(wParam) == control->controlId;
}

std::u16string Text(DriverContext* ctx, DWORD id) {
  WCHAR text[kTextChars] = {};
  if (id == 0 || EnvLoadString(ctx, id, text, kTextChars, 1) <= 0) text[0] = 0;
  return text;
}

// A tray label painted with the tray code of its own value.
template <size_t N>
int PaintLabel(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
               const TrayLabel (&labels)[N]) {
  if (msg != WM_PAINT && msg != WM_ERASEBKGND) return 0;
  for (const TrayLabel& label : labels) {
    if (label.controlId != control->controlId) continue;
    const int tray = static_cast<int>(FmTrayCodeFromItemId(static_cast<WORD>(OptGetControlValue(ctx, control))));
    switch (label.mode) {
      case LabelMode::kFull: return UiPaintTrayLabelFull(ctx, dialog, control, msg, tray);
      case LabelMode::kNoMedia: return UiPaintTrayLabelNoMedia(ctx, dialog, control, msg, tray);
      case LabelMode::kTextOnly: return UiPaintTrayLabelTextOnly(ctx, dialog, control, msg, tray);
    }
  }
  return 0;
}

// The value ids of a control's model item, in item order, up to the first 0.
template <typename Fn>
void ForEachValue(DriverContext* ctx, const ModelItem* item, Fn fn) {
  const ModelImage* image = ctx->modelImage;
  if (!item || !image) return;
  int limit = MdlCountList(image, item->values);
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
       v = MdlNextItemValue(image, item, v)) {
    const uint16_t valueId = UiGetItemValueId(ctx, item, v, nullptr);
    if (valueId == 0) break;
    fn(valueId);
  }
}

void AddComboItem(HWND combo, const std::u16string& text, uint16_t valueId) {
  const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(valueId));
}

std::u16string Marked(DriverContext* ctx, std::u16string text, uint16_t markString) {
  return text + u"   " + Text(ctx, markString);
}

// The chapter tray combo: every tray the model allows, the device's default chapter trays and the
// separator trays marked.
int FillChapterTrayCombo(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control->window) return 1;
  SendMessageW(control->window, CB_RESETCONTENT, 0, 0);
  OptionEntry* option = control->option ? control->option : OptFind(ctx, kOptChapterTray);
  if (!option) return 1;
  const int n = Value(ctx, kOptChapterTrayMax);
  const BYTE device = CtxGetBidiFunc(ctx);
  struct Slot {
    int32_t defaultTray;
    BYTE bit;
    uint32_t separators;
    uint16_t mark;
  } slots[3];
  for (int i = 0; i < 3; ++i) {
    slots[i].defaultTray = n > i ? Value(ctx, static_cast<uint16_t>(kOptChapterDefTray1 + i)) : INT32_MIN;
    slots[i].bit = static_cast<BYTE>(4 << i);
    slots[i].separators = static_cast<uint32_t>(OptGetUiValue(ctx, static_cast<uint16_t>(kOptChapterSeparator1 + i), nullptr));
    slots[i].mark = static_cast<uint16_t>(912 + i);
  }
  ForEachValue(ctx, control->modelItem, [&](uint16_t v) {
    if (MdlIsDisabled(control->modelItem, v, ctx)) return;
    const int32_t stored = OptFromUiValue(ctx, option, v);
    const DWORD code = FmTrayCodeFromItemId(v);
    std::u16string text = Text(ctx, v);
    for (const Slot& slot : slots) {
      const bool isDefault = stored == slot.defaultTray && (device & slot.bit);
      const bool isSeparator = code < 32 && ((slot.separators >> code) & 1u);
      if (isDefault || isSeparator) {
        text = Marked(ctx, text, OptUseSharedChapterTrayMark() ? kStringShared : slot.mark);
        break;
      }
    }
    AddComboItem(control->window, text, v);
  });
  if (control->option) UiSelectComboByValue(ctx, dialog, control);
  return 1;
}

// The empty item rows of an owner-drawn chapter list: the rows are drawn from the chapter list.
int FillChapterList(DriverContext* ctx, ControlDescriptor* control) {
  if (!control->window) return 1;
  SendMessageW(control->window, LB_RESETCONTENT, 0, 0);
  FmBroadcastRecheck(ctx);
  const int rows = std::clamp(Value(ctx, kOptChapterMax), 0, kPageListMaxValues);
  for (int i = 0; i < rows; ++i) SendMessageW(control->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"ABCDEFG"));
  SendMessageW(control->window, LB_SETCURSEL, 0, 0);
  InvalidateRect(control->window, nullptr, TRUE);
  FdKeepChapterCount(ctx, FdGetChapterCount(ctx));
  return 1;
}

// Switching chapters on while an entry uses the document's paper source.
void WarnChapterOnDocumentTray(DriverContext* ctx, ControlDescriptor* control) {
  if (!control->window || SendMessageW(control->window, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  if (control->option && OptGetControlValue(ctx, control) != 0) return;
  const int count = FdGetChapterCount(ctx);
  const int32_t source = Value(ctx, kOptDefaultSource);
  if (count <= 0 || source == kSourceAutomatic) return;
  for (int i = 0; i < count; ++i) {
    const ChapterEntry* e = FmGetChapterEntry(ctx, i);
    if (e && e->tray == source) {
      FdShowWarning(ctx, GetParent(control->window), kMsgChapterOnDocumentTray);
      return;
    }
  }
}

int CoverDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg) {
  if (!control) return 0;
  for (const DefaultMarkCombo& combo : kMarkCombos)
    if (combo.controlId == control->controlId)
      return msg == WM_INITDIALOG ? FdFillTrayComboWithDefaultMark(ctx, dialog, control, combo.defaultOption,
                                                                   combo.deviceBit, combo.markString)
                                  : 0;
  return PaintLabel(ctx, dialog, control, msg, kCoverLabels);
}

// The options of the chapter dialog's entry controls, which the name table leaves to the dialog.
struct ControlOption {
  uint16_t controlId;
  uint16_t option;
};
constexpr ControlOption kChapterControlOptions[] = {
    {kCtlChapterPage, 1024}, {kCtlChapterKind, kOptChapterKind}, {kCtlChapterTray, kOptChapterTray},
    {kCtlChapterPrint, kOptChapterPrint}};

int ChapterDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                      WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  if (msg == WM_INITDIALOG && !control->option && dialog->dialogId == kDlgChapter)
    for (const ControlOption& row : kChapterControlOptions)
      if (row.controlId == control->controlId) control->option = OptFind(ctx, row.option);
  switch (control->controlId) {
    case kCtlChapterPage:
      if (msg == WM_INITDIALOG && dialog->dialogId == kDlgChapter && control->window) {
        SendMessageW(control->window, EM_LIMITTEXT, kPageListMaxValues, 0);
        SetWindowTextW(control->window, u"");
        if (control->option) OptSetStringValue(ctx, control->option, u"");
      }
      return 0;
    case kCtlChapterList:
    case kCtlCoverMarkList:
      if (msg == WM_DRAWITEM) {
        FdDrawChapterItem(ctx, dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
      }
      if (msg == WM_INITDIALOG) return FillChapterList(ctx, control);
      if (OwnCommand(control, msg, wParam) && HIWORD(wParam) == LBN_SELCHANGE) UiRefreshDialog(ctx, dialog, 1);
      return 0;
    case kCtlChapterTray:
      return msg == WM_INITDIALOG ? FillChapterTrayCombo(ctx, dialog, control) : 0;
    case kCtlCoverMarkChapter:
      if (OwnCommand(control, msg, wParam)) WarnChapterOnDocumentTray(ctx, control);
      return 0;
    default:
      return PaintLabel(ctx, dialog, control, msg, kChapterLabels);
  }
}

void DrawColumn(HDC dc, const RECT& row, int left, int right, const std::u16string& text) {
  RECT cell{left, row.top, std::max(left, right), row.bottom};
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const int y = row.top + ((row.bottom - row.top) - extent.cy) / 2;
  ExtTextOutW(dc, left, y, ETO_CLIPPED | ETO_OPAQUE, &cell, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

std::u16string Decimal(int value) {
  std::u16string digits;
  unsigned v = static_cast<unsigned>(std::max(value, 0));
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
    v /= 10;
  } while (v);
  return digits;
}

}  // namespace

// ---- the module's dialog side -------------------------------------------------------------------

int FdFillTrayComboWithDefaultMark(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control,
                                   uint16_t defaultOption, BYTE deviceBit, uint16_t markString) {
  if (!ctx || !control || !control->option) return 1;
  if (control->window) SendMessageW(control->window, CB_RESETCONTENT, 0, 0);
  const ModelItem* item = control->modelItem;
  if (!item || !control->window) return 1;
  const int32_t defaultTray = Value(ctx, defaultOption);
  const bool reported = (CtxGetBidiFunc(ctx) & deviceBit) != 0;
  ForEachValue(ctx, item, [&](uint16_t v) {
    if (MdlIsDisabled(item, v, ctx)) return;
    const int32_t stored = OptFromUiValue(ctx, control->option, v);
    const std::u16string text = Text(ctx, v);
    AddComboItem(control->window, reported && stored == defaultTray ? Marked(ctx, text, markString) : text, v);
  });
  UiSelectComboByValue(ctx, dialog, control);
  return 1;
}

int FdDrawChapterItem(DriverContext* ctx, DialogDescriptor* dialog, const DRAWITEMSTRUCT* item) {
  if (!ctx || !dialog || !item || !item->hDC) return 0;
  const bool readOnly = dialog->dialogId == kDlgCoverMark;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  HDC dc = item->hDC;
  const RECT& row = item->rcItem;
  if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    const int back = readOnly ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    const int fore = readOnly ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(back));
    SetTextColor(dc, GetSysColor(fore));
    FillRect(dc, &row, GetSysColorBrush(back));

    const int w = row.left + row.right;
    const int columns[] = {0, w * 24 / 320, w * 50 / 320, w * 142 / 320, w * 246 / 320, row.right};
    for (int c = 1; c < 5; ++c) {
      MoveToEx(dc, columns[c] - 1, row.top, nullptr);
      LineTo(dc, columns[c] - 1, row.bottom);
    }
    const int index = static_cast<int>(item->itemID);
    const ChapterEntry* entry = FmGetChapterEntry(ctx, index);
    ChapterEntry empty{};
    if (!entry) entry = &empty;
    std::u16string texts[5];
    texts[0] = Decimal(index + 1);
    if (entry->page != 0) {
      if (entry->kind == kKindRange) {
        WCHAR range[kChapterRangeChars + 1] = {};
        std::copy_n(entry->pageRange, kChapterRangeChars, range);
        texts[1] = range;
      } else {
        texts[1] = Decimal(entry->page);
      }
      constexpr uint16_t kKindStrings[] = {906, 907, 908, 13770};
      if (entry->kind < 4) texts[2] = Text(ctx, kKindStrings[entry->kind]);
      if (entry->kind == kKindChapter || entry->kind == kKindRange) {
        ControlDescriptor* trays = OptFindControl(ctx, nullptr, kCtlChapterTray);
        const OptionEntry* option = trays && trays->option ? trays->option : OptFind(ctx, kOptChapterTray);
        if (option) texts[3] = Text(ctx, static_cast<DWORD>(OptToUiValue(ctx, option, entry->tray)));
        constexpr uint16_t kPrintStrings[] = {915, 909, 910};
        if (entry->print < 3) texts[4] = Text(ctx, kPrintStrings[entry->print]);
      }
    }
    for (int c = 0; c < 5; ++c) DrawColumn(dc, row, columns[c], c < 4 ? columns[c + 1] - 1 : row.right, texts[c]);
    MoveToEx(dc, row.left, row.bottom - 1, nullptr);
    LineTo(dc, row.right, row.bottom - 1);
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    SetBkColor(dc, oldBack);
  }
  if ((item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS)) DrawFocusRect(dc, &row);
  return 0;
}

int FmChapterOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                      WPARAM wParam, LPARAM lParam, void*) {
  if (!ctx || !dialog) return 0;
  switch (dialog->dialogId) {
    case kDlgCover:
    case kDlgMark:
    case kDlgBackCover:
    case kDlgReverseCover:
      return CoverDialogProc(ctx, dialog, control, msg);
    case kDlgCoverMark:
    case kDlgChapter:
      return ChapterDialogProc(ctx, dialog, control, msg, wParam, lParam);
    default:
      return 0;
  }
}

// The delete button is greyed while the chapter list has no selection or the selected row is
// empty.
int FdChapterGreyQuery(DriverContext* ctx, void* param) {
  auto* query = static_cast<UiGreyQuery*>(param);
  if (!ctx || !query || !query->control || query->control->controlId != kCtlChapterDelete) return 0;
  DialogDescriptor* dialog = OptFindDialog(ctx, kDlgChapter);
  ControlDescriptor* list = dialog ? OptFindControl(ctx, dialog, kCtlChapterList) : nullptr;
  const LRESULT selected = list && list->window ? SendMessageW(list->window, LB_GETCURSEL, 0, 0) : LB_ERR;
  const ChapterEntry* entry = selected == LB_ERR ? nullptr : FmGetChapterEntry(ctx, static_cast<int>(selected));
  // Greyed here, or left to the rules; without a rule the button is usable again.
  const bool greyed = !entry || entry->page == 0;
  query->control->state = static_cast<uint16_t>((query->control->state & ~kControlGreyMask) |
                                                (greyed ? 1u << kControlGreyShift : 0u));
  if (greyed) query->handled = 1;
  return 1;
}

// The chapter dialog closed: OK settles the trays the list uses; Cancel brings back the count
// from before the last delete.
void FdChapterDialogClosed(DriverContext* ctx, void* param) {
  struct Closed {
    DialogDescriptor* dialog;
    ControlDescriptor* control;
    DWORD id;
  };
  const auto* closed = static_cast<const Closed*>(param);
  if (!ctx || !closed || !closed->dialog || closed->dialog->dialogId != kDlgChapter) return;
  const int kept = FdTakeKeptChapterCount(ctx, FdGetChapterCount(ctx));
  if (closed->id == IDOK) FdUpdateChapterTrayUse(ctx);
  if (closed->id == IDCANCEL) OptSetValue(ctx, kOptChapterNum, kept);
}
