// The painting seam of the window system: the surfaces of top-level windows, the device
// contexts windows paint with, dialog fonts and system-colour brushes.
//
// Until the graphics interface draws, windows paint into nothing: a paint DC is null and the
// controls' drawing calls are skipped.
#include <algorithm>

#include "user/window.h"
#include "win32/hostui.h"

namespace zolt::host::user {

HDC AcquirePaintDC(HWND, bool) { return nullptr; }
void ReleasePaintDC(HWND, HDC) {}
void PaintTree(HWND) {}
void ForgetSurface(HWND) {}
BOOL EraseWithBrush(HDC, const RECT&, HBRUSH) { return FALSE; }

void DialogBaseUnitsFor(const std::u16string&, int pointSize, int* baseX, int* baseY) {
  // The cell height of the font at 96 dots per inch with its internal leading, and the average
  // width of its letters in proportion.
  if (pointSize <= 0) pointSize = 8;
  int height = (pointSize * 96 + 36) / 72 + 2;
  *baseY = height;
  *baseX = std::max(1, (height * 6 + 6) / 13);
}

HFONT CreateDialogFont(const std::u16string& face, int pointSize, int, bool, int, int* baseX, int* baseY) {
  DialogBaseUnitsFor(face, pointSize, baseX, baseY);
  return nullptr;
}

void DeleteDialogFont(HFONT) {}

}  // namespace zolt::host::user

WIN32_API HBRUSH WINAPI GetSysColorBrush(int index) {
  return reinterpret_cast<HBRUSH>(INT_PTR(index + 1));
}

namespace zolt::host::user {
namespace draw {
void Fill(HDC, const RECT&, int) {}
void FillRgb(HDC, const RECT&, DWORD) {}
void Frame(HDC, const RECT&, int) {}
void Edge(HDC, const RECT&, bool) {}
void Text(HDC, HFONT, std::u16string_view, RECT, UINT, int) {}
void Check(HDC, const RECT&, int, bool) {}
void Arrow(HDC, const RECT&, int, bool) {}
void Focus(HDC, const RECT&) {}
void Line(HDC, int, int, int, int, int) {}
}  // namespace draw

HFONT FontOf(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return nullptr;
  if (w->font) return w->font;
  for (auto p = GetQuiet(w->parent); p; p = GetQuiet(p->parent))
    if (p->dialog && p->dialog->font) return p->dialog->font;
  return nullptr;
}
}  // namespace zolt::host::user

namespace zolt::host::user {
void DrawStaticImage(HWND, HDC, const RECT&, HANDLE, UINT) {}
}  // namespace zolt::host::user

namespace zolt::host::user {
HANDLE LoadBitmapForWindow(HINSTANCE, LPCWSTR) { return nullptr; }
}  // namespace zolt::host::user

bool zolt::host::ui::SavePng(HWND, const std::string&) { return false; }
