// Page utilities: the groups of combo and list controls filled again after a change elsewhere,
// the one-time fix-up of a context's option and control rows, the owner painting of the tray
// labels and the tests on dialog kinds.
#include <algorithm>
#include <array>
#include <initializer_list>

#include "core_memory.h"
#include "env_language.h"
#include "option_access.h"
#include "option_validation.h"
#include "preset_list.h"
#include "sheet_kinds.h"

using namespace sheet_kinds;

namespace {

// ---- refreshers -------------------------------------------------------------------------------

constexpr DialogControlPair kSourceCombos[] = {{1001, 2007}, {1002, 2007}, {0, 0}};
constexpr DialogControlPair kPaperSizeCombos[] = {{1001, 2017}, {1001, 2023}, {1002, 2017}, {1002, 2053}, {0, 0}};
constexpr DialogControlPair kOutputTrayCombos[] = {{1001, 2011}, {1002, 2066}, {0, 0}};
constexpr DialogControlPair kEditPageLists[] = {{1003, 2085}, {1003, 2087}, {0, 0}};
constexpr DialogControlPair kPresetSelectors[] = {
    {1007, 2139}, {1001, 2001}, {1002, 2036}, {1002, 2388}, {1003, 2078}, {1003, 2389}, {1004, 2095},
    {1004, 2390}, {4016, 2921}, {4016, 2924}, {4030, 3112}, {4030, 3113}, {1005, 2109}, {1005, 2391},
    {1042, 2713}, {1042, 2733}, {4036, 3362}, {4036, 3365}, {0, 0}};
constexpr uint32_t kFirstPresetValue = 119;

// The control of a pair when its dialog is open and has the row.
ControlDescriptor* OpenControl(DriverContext* ctx, const DialogControlPair& pair, DialogDescriptor** dialog) {
  DialogDescriptor* d = OptFindDialog(ctx, pair.dialogId);
  if (!d || !d->window) return nullptr;
  *dialog = d;
  return OptFindControl(ctx, d, pair.controlId);
}

// ---- tray labels --------------------------------------------------------------------------------

struct TrayLabelEntry {
  uint16_t controlId;  // 0 ends the table
  uint16_t tray;
};
constexpr TrayLabelEntry kTrayLabelTable[] = {
    {2410, 0},  {2412, 1},  {2413, 2},  {2411, 28}, {2458, 0},  {2459, 1},  {2460, 2},  {2461, 28}, {2462, 0},
    {2463, 1},  {2464, 2},  {2465, 28}, {2518, 0},  {2519, 1},  {2520, 2},  {2521, 28}, {2538, 3},  {2539, 25},
    {2540, 27}, {2541, 3},  {2542, 25}, {2543, 27}, {2544, 3},  {2545, 25}, {2546, 27}, {2547, 3},  {2548, 25},
    {2549, 27}, {2566, 25}, {2567, 25}, {2568, 25}, {2569, 25}, {2770, 4},  {2768, 4},  {2717, 4},  {2809, 29},
    {2718, 4},  {2810, 29}, {2772, 0},  {2782, 1},  {2783, 2},  {2786, 3},  {2787, 25}, {2784, 25}, {2788, 27},
    {2785, 28}, {2720, 4},  {2812, 29}, {2754, 0},  {2760, 1},  {2761, 2},  {2764, 3},  {2765, 25}, {2762, 25},
    {2766, 27}, {2763, 28}, {2719, 4},  {2811, 29}, {0, 0}};
static_assert(std::size(kTrayLabelTable) == 59);

constexpr uint16_t kTrayPaperOption = 10175;   // paper of tray n: 10175 + n
constexpr uint16_t kTrayMediaOption = 10207;   // media of tray n
constexpr uint16_t kTrayOrientOption = 10143;  // zdmTrayOrient0 onwards
constexpr uint16_t kMachineTypeFeed = 237;     // zdmMachineTypeFeed
constexpr uint16_t kTrayLabelSuffix = 854;
constexpr uint16_t kPaperListControl = 2168, kMediaListControl = 2170;
constexpr uint16_t kFeedIconShort = 6193, kFeedIconLong = 6194;
constexpr int kLastTrayWithIcon = 28;

// The first control row with that id in any dialog of the context.
ControlDescriptor* FindAnyControl(DriverContext* ctx, uint16_t controlId) {
  if (!ctx->dialogTable) return nullptr;
  for (int d = 0; d < ctx->dialogTable->count; ++d)
    if (ControlDescriptor* c = OptFindControl(ctx, &ctx->dialogTable->rows[d], controlId)) return c;
  return nullptr;
}

// The value text of an option through the value list of a control's option.
void ValueTextThrough(DriverContext* ctx, const ControlDescriptor* list, uint16_t option, WCHAR* out) {
  out[0] = 0;
  if (!list || !list->option || !list->option->labels) return;
  const int32_t stored = OptGetValue(ctx, option, nullptr);
  const int32_t valueId = OptListToUi(list->option->labels->valueTexts, stored);
  if (valueId > 0 && valueId < 0x10000) LoadText(ctx, uint16_t(valueId), out);
}

size_t Length(const WCHAR* text) { return std::char_traits<WCHAR>::length(text); }

}  // namespace

// ---- refreshers ---------------------------------------------------------------------------------

void UiRefreshControlList(DriverContext* ctx, const DialogControlPair* list) {
  if (!ctx || !list) return;
  for (; list->dialogId; ++list) {
    DialogDescriptor* dialog = nullptr;
    if (ControlDescriptor* control = OpenControl(ctx, *list, &dialog)) UiInitControl(ctx, dialog, control);
  }
}

void UiRefreshSourceCombos(DriverContext* ctx) { UiRefreshControlList(ctx, kSourceCombos); }
void UiRefreshPaperSizeCombos(DriverContext* ctx) { UiRefreshControlList(ctx, kPaperSizeCombos); }
void UiRefreshOutputTrayCombos(DriverContext* ctx) { UiRefreshControlList(ctx, kOutputTrayCombos); }
void UiRefreshEditPageLists(DriverContext* ctx) { UiRefreshControlList(ctx, kEditPageLists); }

void UiRefreshPresetSelectors(DriverContext* ctx) {
  if (!ctx) return;
  for (int i = 0; kPresetSelectors[i].dialogId; ++i) {
    DialogDescriptor* dialog = nullptr;
    ControlDescriptor* control = OpenControl(ctx, kPresetSelectors[i], &dialog);
    if (!control) continue;
    if (i < 2 && control->option) {
      const int64_t index = int64_t(OptGetControlValue(ctx, control)) - kFirstPresetValue;
      if (index >= CfgGetPresetCount(ctx)) OptSetControlValue(ctx, control, kFirstPresetValue);
    }
    UiInitControl(ctx, dialog, control);
  }
}

void UiRefreshWatermarkCombo(DriverContext* ctx) {
  if (!ctx || OptGetWatermarkId(ctx) == -1) return;
  DialogControlPair pair{1003, 2089};
  DialogDescriptor* dialog = nullptr;
  if (ControlDescriptor* control = OpenControl(ctx, pair, &dialog)) {
    if (control->window) SendMessageW(control->window, CB_RESETCONTENT, 0, 0);
    UiInitControl(ctx, dialog, control);
  }
}

// ---- dialog kinds ------------------------------------------------------------------------------

int UiIsFileDialogKind(const DialogDescriptor* dialog) {
  constexpr uint32_t kFileKinds = 0x100 | 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x8000;
  return dialog && (dialog->kindFlags & kFileKinds) ? 1 : 0;
}
int UiIsModalDialogKind(const DialogDescriptor* dialog) { return UiIsFileDialogKind(dialog) ? 0 : 1; }

// ---- tray labels -------------------------------------------------------------------------------

int UiPaintTrayLabel(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, int tray,
                     int mode) {
  if (!ctx || !control || !control->window) return 0;
  if (msg == WM_ERASEBKGND) {
    PostMessageW(control->window, WM_PAINT, 0, 0);
    return 1;
  }
  if (msg != WM_PAINT) return 0;
  PAINTSTRUCT paint{};
  BeginPaint(control->window, &paint);
  HDC dc = UiGetPaintDC(ctx, control->window);
  if (!dc) {
    EndPaint(control->window, &paint);
    return 1;
  }
  const int saved = SaveDC(dc);
  SetTextColor(dc, GetSysColor(IsGreyed(control) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  if (dialog && dialog->window) {
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog->window, WM_GETFONT, 0, 0))) SelectObject(dc, font);
  }
  RECT client{};
  GetClientRect(control->window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));

  WCHAR text[kTextChars * 2];
  if (dialog && dialog->dialogId == 1010) {
    GetWindowTextW(control->window, text, kTextChars);
  } else {
    LoadText(ctx, uint16_t(OptGetControlValue(ctx, control)), text);
    if (mode != 2) {
      WCHAR suffix[kTextChars];
      LoadText(ctx, kTrayLabelSuffix, suffix);
      const size_t n = Length(text);
      std::char_traits<WCHAR>::copy(text + n, suffix, Length(suffix) + 1);
    }
  }
  SIZE extent{};
  UiMeasureText(dc, text, &extent);
  RECT label = client;
  DrawTextW(dc, text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  if (mode != 2 && tray >= 0 && tray < 32 && FindAnyControl(ctx, kPaperListControl)) {
    const int height = client.bottom - client.top;
    const bool icon = tray <= kLastTrayWithIcon;
    WCHAR paper[kTextChars], media[kTextChars];
    ValueTextThrough(ctx, FindAnyControl(ctx, kPaperListControl), uint16_t(kTrayPaperOption + tray), paper);
    media[0] = 0;
    SIZE slash{}, mediaExtent{};
    if (mode == 0) {
      ValueTextThrough(ctx, FindAnyControl(ctx, kMediaListControl), uint16_t(kTrayMediaOption + tray), media);
      UiMeasureText(dc, u"/", &slash);
      UiMeasureText(dc, media, &mediaExtent);
    }
    const int reserved = (icon ? height : 0) + (mode == 0 ? slash.cx + mediaExtent.cx : 0);
    RECT paperArea{client.left + extent.cx, client.top, std::max(client.left + extent.cx, client.right - reserved),
                   client.bottom};
    DrawTextW(dc, paper, -1, &paperArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SIZE paperExtent{};
    UiMeasureText(dc, paper, &paperExtent);
    int x = std::min<int>(paperArea.left + paperExtent.cx, paperArea.right);
    if (icon) {
      const bool turned = OptGetValue(ctx, uint16_t(kTrayOrientOption + tray), nullptr) != 0;
      const bool feedOne = OptGetValue(ctx, kMachineTypeFeed, nullptr) == 1;
      UiDrawIcon(ctx, dc, x, client.top, turned == feedOne ? kFeedIconLong : kFeedIconShort);
      x += height;
    }
    if (mode == 0) {
      RECT rest{x, client.top, client.right, client.bottom};
      WCHAR tail[kTextChars + 2] = u"/";
      std::char_traits<WCHAR>::copy(tail + 1, media, Length(media) + 1);
      DrawTextW(dc, tail, -1, &rest, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
  RestoreDC(dc, saved);
  UiReleasePaintDC(ctx, control->window, dc);
  EndPaint(control->window, &paint);
  return 1;
}

int UiPaintTrayLabelFull(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, int tray) {
  return UiPaintTrayLabel(ctx, dialog, control, msg, tray, 0);
}
int UiPaintTrayLabelNoMedia(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                            int tray) {
  return UiPaintTrayLabel(ctx, dialog, control, msg, tray, 1);
}
int UiPaintTrayLabelTextOnly(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                             int tray) {
  return UiPaintTrayLabel(ctx, dialog, control, msg, tray, 2);
}

int UiHandleTrayLabelPaint(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg) {
  if (!ctx || !dialog) return 0;
  if (!control) {
    if (msg != WM_ERASEBKGND) return 0;
    for (const TrayLabelEntry* e = kTrayLabelTable; e->controlId; ++e) {
      ControlDescriptor* c = OptFindControl(ctx, dialog, e->controlId);
      if (c && IsShown(c)) return UiPaintTrayLabelFull(ctx, dialog, c, WM_PAINT, e->tray);
    }
    return 0;
  }
  if (!IsShown(control)) return 0;
  for (const TrayLabelEntry* e = kTrayLabelTable; e->controlId; ++e)
    if (e->controlId == control->controlId) return UiPaintTrayLabelFull(ctx, dialog, control, msg, e->tray);
  return 0;
}

// ---- the page hook ------------------------------------------------------------------------------

namespace {

constexpr uint16_t kOverlayButton = 2407, kWatermarkSwitch = 2088, kWatermarkLabel = 563;
constexpr uint16_t kFeedFirstLabel = 2173, kFeedSecondLabel = 2175;
constexpr uint16_t kFeedLongEdge = 13724, kFeedShortEdge = 13725;
constexpr int kLabelChars = 1025;

// Sets the resource string of the id as the text of a dialog item; nothing when either is missing.
void SetItemLabel(DriverContext* ctx, HWND item, uint16_t stringId) {
  if (!item) return;
  auto* text = static_cast<WCHAR*>(CtxAllocMem(kLabelChars * sizeof(WCHAR)));
  if (!text) return;
  EnvLoadString(ctx, stringId, text, kLabelChars, 1);
  SetWindowTextW(item, text);
  MdlFreeMem(text);
}

}  // namespace

int UiSetInitialPageLabels(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                           WPARAM, LPARAM) {
  if (!ctx || !dialog || control || message != WM_INITDIALOG || !dialog->window) return 0;
  switch (dialog->dialogId) {
    case 1003:
      // The watermark switch names overlays too while the model offers the overlay button.
      if (ControlDescriptor* overlay = OptFindControl(ctx, dialog, kOverlayButton);
          overlay && UiIsValueDisabled(ctx, overlay->modelItem, kOverlayButton) == 0)
        SetItemLabel(ctx, GetDlgItem(dialog->window, kWatermarkSwitch), kWatermarkLabel);
      break;
    case 1011: {
      // The two feed-direction labels follow the machine's feed type.
      const bool longEdge = OptGetValue(ctx, kMachineTypeFeed, nullptr) != 0;
      SetItemLabel(ctx, GetDlgItem(dialog->window, kFeedFirstLabel), longEdge ? kFeedLongEdge : kFeedShortEdge);
      SetItemLabel(ctx, GetDlgItem(dialog->window, kFeedSecondLabel), longEdge ? kFeedShortEdge : kFeedLongEdge);
      break;
    }
    default:
      break;
  }
  return 0;
}
