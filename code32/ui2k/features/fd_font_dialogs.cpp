// The TrueType font substitution dialogs: the list of the system's TrueType families with the
// device font that replaces each, and the list of device fonts to choose from.
#include "fd_font.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core_memory.h"
#include "option_access.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kDlgTtf = 1009;

size_t Length(const WCHAR* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n]) ++n;
  return n;
}

bool IsVerticalFace(const WCHAR* face) { return face && face[0] == u'@'; }

// The text of a list line into out (kFdFontLineChars characters); an empty text for a line that
// does not fit, so nothing is read or written past the buffer.
bool ListLine(HWND list, LRESULT index, WCHAR* out) {
  out[0] = 0;
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (length == LB_ERR || length < 0 || length >= kFdFontLineChars) return false;
  return SendMessageW(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(out)) != LB_ERR;
}

// The face of a line: its first 32 characters without trailing blanks (at most 31 kept).
void FaceOfLine(const WCHAR* line, WCHAR* out) {
  size_t n = Length(line, kFdFontLineFaceChars);
  while (n > 0 && line[n - 1] == u' ') --n;
  n = std::min<size_t>(n, kFdFontNameChars - 1);
  std::copy_n(line, n, out);
  out[n] = 0;
}

// The device font of a line: from character 34, at most 31 characters.
void DeviceOfLine(const WCHAR* line, WCHAR* out) {
  out[0] = 0;
  if (Length(line, kFdFontLineDeviceAt) < kFdFontLineDeviceAt) return;
  const size_t n = Length(line + kFdFontLineDeviceAt, kFdFontNameChars - 1);
  std::copy_n(line + kFdFontLineDeviceAt, n, out);
  out[n] = 0;
}

bool IsShownAndEnabled(const ControlDescriptor* control) {
  return control && control->window && IsWindowEnabled(control->window) && IsWindowVisible(control->window) &&
         !(control->state & kControlHiddenMask);
}

// Colours of an item: greyed while the list is disabled or hidden, highlighted when selected.
void ItemColours(const ControlDescriptor* control, const DRAWITEMSTRUCT* draw, COLORREF* back, COLORREF* fore) {
  if (!IsShownAndEnabled(control)) {
    *back = GetSysColor(COLOR_BTNFACE);
    *fore = GetSysColor(COLOR_GRAYTEXT);
  } else if (draw->itemState & ODS_SELECTED) {
    *back = GetSysColor(COLOR_HIGHLIGHT);
    *fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else {
    *back = GetSysColor(COLOR_WINDOW);
    *fore = GetSysColor(COLOR_WINDOWTEXT);
  }
}

// Text clipped and opaque in the rectangle, centred vertically.
void DrawCellText(HDC dc, RECT cell, const WCHAR* text, size_t length) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, int(length), &extent);
  const int y = cell.top + ((cell.bottom - cell.top) - extent.cy) / 2;
  ExtTextOutW(dc, cell.left + 2, y, ETO_CLIPPED | ETO_OPAQUE, &cell, text, UINT(length), nullptr);
}

void DrawFocusIfDue(const DRAWITEMSTRUCT* draw) {
  if (draw->itemAction == ODA_FOCUS || (draw->itemState & ODS_FOCUS)) {
    RECT r = draw->rcItem;
    DrawFocusRect(draw->hDC, &r);
  }
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void DrawPairItem(const ControlDescriptor* control, const DRAWITEMSTRUCT* draw) {
  if (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    WCHAR line[kFdFontLineChars];
    if (int(draw->itemID) >= 0) ListLine(draw->hwndItem, draw->itemID, line);
    else line[0] = 0;
    COLORREF back, fore;
    ItemColours(control, draw, &back, &fore);
    HDC dc = draw->hDC;
    const COLORREF oldBack = SetBkColor(dc, back);
    const COLORREF oldFore = SetTextColor(dc, fore);
    const RECT item = draw->rcItem;
    const int middle = item.left + (item.right - item.left) / 2;
    RECT left = item, right = item;
    left.right = middle - 1;
    right.left = middle;
    WCHAR face[kFdFontNameChars], device[kFdFontNameChars];
    FaceOfLine(line, face);
    DeviceOfLine(line, device);
    DrawCellText(dc, left, face, Length(face, kFdFontNameChars));
    DrawCellText(dc, right, device, Length(device, kFdFontNameChars));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Line(dc, middle - 1, item.top, middle - 1, item.bottom);
    Line(dc, item.left, item.bottom - 1, item.right, item.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldFore);
  }
  DrawFocusIfDue(draw);
}

void DrawDeviceItem(const ControlDescriptor* control, const DRAWITEMSTRUCT* draw) {
  if (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    WCHAR line[kFdFontLineChars];
    if (int(draw->itemID) >= 0) ListLine(draw->hwndItem, draw->itemID, line);
    else line[0] = 0;
    COLORREF back, fore;
    ItemColours(control, draw, &back, &fore);
    const COLORREF oldBack = SetBkColor(draw->hDC, back);
    const COLORREF oldFore = SetTextColor(draw->hDC, fore);
    DrawCellText(draw->hDC, draw->rcItem, line, Length(line, kFdFontNameChars));
    SetBkColor(draw->hDC, oldBack);
    SetTextColor(draw->hDC, oldFore);
  }
  DrawFocusIfDue(draw);
}

// The selected family into both static texts, and its device font selected in the device list.
void ShowSelectedFamily(DriverContext* ctx, DialogDescriptor* dialog, HWND pairs) {
  WCHAR line[kFdFontLineChars] = {};
  const LRESULT selected = SendMessageW(pairs, LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR) ListLine(pairs, selected, line);
  WCHAR face[kFdFontNameChars], device[kFdFontNameChars];
  FaceOfLine(line, face);
  DeviceOfLine(line, device);
  for (uint16_t id : {kFdCtlFontSelected, kFdCtlFontSelected2})
    if (HWND label = GetDlgItem(dialog->window, id)) SetWindowTextW(label, face);
  ControlDescriptor* devices = OptFindControl(ctx, dialog, kFdCtlDeviceFonts);
  if (!devices || !devices->window || selected == LB_ERR) return;
  const LRESULT found = SendMessageW(devices->window, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(device));
  if (found == LB_ERR) return;
  SendMessageW(devices->window, LB_SETCURSEL, WPARAM(found), 0);
  if (!IsShownAndEnabled(devices)) SendMessageW(devices->window, LB_SETTOPINDEX, WPARAM(found), 0);
}

void FillPairs(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  HWND list = control->window;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  if (!dc) desktop = nullptr, dc = GetDC(nullptr);
  if (dc) {
    WCHAR text[kFdFontLineChars] = {};
    FdFontEnumParam param{ctx, list, text};
    EnumFontFamiliesW(dc, nullptr, FdFontEnumProc, reinterpret_cast<LPARAM>(&param));
    ReleaseDC(desktop, dc);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  ShowSelectedFamily(ctx, dialog, list);
  if (ControlDescriptor* devices = OptFindControl(ctx, dialog, kFdCtlDeviceFonts); devices && devices->window) {
    SendMessageW(devices->window, LB_SETTOPINDEX, 0, 0);
    SendMessageW(devices->window, LB_SETCURSEL, WPARAM(-1), 0);
  }
  InvalidateRect(list, nullptr, TRUE);
}

void FillDeviceFonts(DriverContext* ctx, ControlDescriptor* control) {
  HWND list = control->window;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const int count = FdGetDeviceFontCount(ctx);
  WCHAR name[kFdFontNameChars];
  for (int i = 0; i < count; ++i) {
    FdGetDeviceFontName(ctx, i, name);
    if (!IsVerticalFace(name)) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// A device font chosen: the selected family's line takes it, and the table is stored.
void ChooseDeviceFont(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* devices) {
  ControlDescriptor* pairs = OptFindControl(ctx, dialog, kFdCtlFontPairs);
  if (!pairs || !pairs->window || !devices->window) return;
  const LRESULT family = SendMessageW(pairs->window, LB_GETCURSEL, 0, 0);
  const LRESULT chosen = SendMessageW(devices->window, LB_GETCURSEL, 0, 0);
  if (family == LB_ERR || chosen == LB_ERR) return;
  WCHAR line[kFdFontLineChars], device[kFdFontLineChars];
  if (!ListLine(pairs->window, family, line) || !ListLine(devices->window, chosen, device)) return;
  WCHAR face[kFdFontNameChars];
  FaceOfLine(line, face);
  device[kFdFontNameChars - 1] = 0;
  FdBuildFontLine(face, device, line);
  SendMessageW(pairs->window, LB_INSERTSTRING, WPARAM(family), reinterpret_cast<LPARAM>(line));
  SendMessageW(pairs->window, LB_DELETESTRING, WPARAM(family + 1), 0);
  SendMessageW(pairs->window, LB_SETCURSEL, WPARAM(family), 0);
  FdSaveFontTable(ctx, pairs->window);
  if (dialog->window) SendMessageW(GetParent(dialog->window), PSM_CHANGED, reinterpret_cast<WPARAM>(dialog->window), 0);
}

// What each of the two lists does on its init, its items' drawing and a selection change.
struct FontListBehaviour {
  void (*fill)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
  void (*draw)(const ControlDescriptor* control, const DRAWITEMSTRUCT* draw);
  void (*selected)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
};

constexpr FontListBehaviour kPairsList{
    FillPairs, DrawPairItem,
    [](DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
      ShowSelectedFamily(ctx, dialog, control->window);
    }};
constexpr FontListBehaviour kDeviceList{
    [](DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) { FillDeviceFonts(ctx, control); },
    DrawDeviceItem, ChooseDeviceFont};

int ListMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                WPARAM wParam, LPARAM lParam, const FontListBehaviour& list) {
  switch (message) {
    case WM_INITDIALOG:
      list.fill(ctx, dialog, control);
      return 1;
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (!draw || draw->hwndItem != control->window) return 0;
      list.draw(control, draw);
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) != control->controlId) return 0;
      if (HIWORD(wParam) == LBN_SELCHANGE) list.selected(ctx, dialog, control);
      return 1;
    default:
      return 0;
  }
}

int DefaultButtonMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                         WPARAM wParam) {
  if (message != WM_COMMAND || LOWORD(wParam) != control->controlId) return 0;
  FdSetFontTable(ctx, 0, nullptr);
  if (ControlDescriptor* pairs = OptFindControl(ctx, dialog, kFdCtlFontPairs)) UiInitControl(ctx, dialog, pairs);
  if (dialog->window) SendMessageW(GetParent(dialog->window), PSM_CHANGED, reinterpret_cast<WPARAM>(dialog->window), 0);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

}  // namespace

void FdBuildFontLine(const WCHAR* face, const WCHAR* device, WCHAR* out) {
  std::u16string line(face ? std::u16string_view(face, Length(face, kFdFontNameChars - 1)) : std::u16string_view());
  while (line.size() <= 30) line.push_back(u' ');
  line += u" > ";
  if (device) line.append(device, Length(device, kFdFontNameChars - 1));
  const size_t n = std::min<size_t>(line.size(), kFdFontLineChars - 1);
  std::copy_n(line.data(), n, out);
  out[n] = 0;
}

int CALLBACK FdFontEnumProc(const LOGFONTW* font, const TEXTMETRICW*, DWORD fontType, LPARAM param) {
  auto* p = reinterpret_cast<FdFontEnumParam*>(param);
  if (!font || !p || !p->control || !p->text) return 1;
  if (!(fontType & TRUETYPE_FONTTYPE) || IsVerticalFace(font->lfFaceName)) return 1;
  WCHAR face[kFdFontNameChars];
  const size_t n = Length(font->lfFaceName, kFdFontNameChars - 1);
  std::copy_n(font->lfFaceName, n, face);
  face[n] = 0;
  if (GetDlgCtrlID(p->control) == kFdCtlFontPairs) {
    WCHAR device[kFdFontNameChars];
    FdBuildFontLine(face, FdFindSubstitute(p->ctx, face, device), p->text);
    SendMessageW(p->control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p->text));
  } else {
    const LRESULT index = SendMessageW(p->control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
    if (index >= 0) SendMessageW(p->control, CB_SETITEMDATA, WPARAM(index), index);
  }
  return 1;
}

void FdSaveFontTable(DriverContext* ctx, HWND list) {
  if (!ctx || !list) return;
  WCHAR standard[kFdFontNameChars];
  FdGetDeviceFontName(ctx, 0, standard);
  const LRESULT lines = SendMessageW(list, LB_GETCOUNT, 0, 0);
  WCHAR line[kFdFontLineChars], device[kFdFontNameChars];
  int count = 0;
  for (LRESULT i = 0; i < lines; ++i) {
    if (!ListLine(list, i, line)) continue;
    DeviceOfLine(line, device);
    if (std::u16string_view(device) != std::u16string_view(standard)) ++count;
  }
  // An empty table is a block too, so that it is not mistaken for a failed allocation.
  auto* rows = static_cast<FontSubstEntry*>(CtxAllocMem(DWORD(std::max(count, 1)) * sizeof(FontSubstEntry)));
  if (!rows) {
    FdSetFontTable(ctx, 0, nullptr);
    return;
  }
  int row = 0;
  for (LRESULT i = 0; i < lines && row < count; ++i) {
    if (!ListLine(list, i, line)) continue;
    DeviceOfLine(line, device);
    if (std::u16string_view(device) == std::u16string_view(standard)) continue;
    FaceOfLine(line, rows[row].trueTypeName);
    std::copy_n(device, kFdFontNameChars, rows[row].deviceName);
    ++row;
  }
  FdSetFontTable(ctx, row, rows);
}

int FdFontDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                     WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog || !control) return 0;
  switch (control->controlId) {
    case kFdCtlFontPairs:
      return control->window ? ListMessage(ctx, dialog, control, message, wParam, lParam, kPairsList) : 0;
    case kFdCtlDeviceFonts:
      return control->window ? ListMessage(ctx, dialog, control, message, wParam, lParam, kDeviceList) : 0;
    case kFdCtlFontDefault:
      return DefaultButtonMessage(ctx, dialog, control, message, wParam);
    default:
      return 0;
  }
}

int FmTtfOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                  WPARAM wParam, LPARAM lParam, void*) {
  if (!dialog || (dialog->dialogId != kDlgTtf && dialog->dialogId != kDlgUserTtf)) return 0;
  return FdFontDialogProc(ctx, dialog, control, message, wParam, lParam);
}
