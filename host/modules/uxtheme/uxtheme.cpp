// UxTheme.dll: the visual styles of the machine, as far as the driver's pictures use them. The
// styles are active from Windows XP (5.1) on; the only theme class drawn is the tab control's,
// whose pane is a light face inside a grey border.
#include <cwctype>
#include <string>

#include "win32/windows.h"

namespace {

constexpr int kTabPane = 9;
constexpr COLORREF kPaneFace = RGB(252, 252, 252);
constexpr COLORREF kPaneBorder = RGB(137, 140, 149);

// One theme handle per open class; the handle is the address of its class marker.
int g_tabTheme;

bool StylesActive() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return false;
  return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

bool SameText(LPCWSTR a, const char16_t* b) {
  if (!a) return false;
  for (; *a && *b; ++a, ++b)
    if (std::towlower(wint_t(*a)) != std::towlower(wint_t(*b))) return false;
  return *a == *b;
}

}  // namespace

ZOLT_EXPORT BOOL WINAPI IsThemeActive(void) { return StylesActive() ? TRUE : FALSE; }

ZOLT_EXPORT HANDLE WINAPI OpenThemeData(HWND window, LPCWSTR classList) {
  if (!window || !StylesActive() || !SameText(classList, u"Tab")) return nullptr;
  return &g_tabTheme;
}

ZOLT_EXPORT HRESULT WINAPI CloseThemeData(HANDLE theme) { return theme == &g_tabTheme ? S_OK : E_INVALIDARG; }

ZOLT_EXPORT HRESULT WINAPI DrawThemeBackground(HANDLE theme, HDC dc, int part, int, const RECT* rect,
                                               const RECT* clip) {
  if (theme != &g_tabTheme || !dc || !rect) return E_INVALIDARG;
  if (part != kTabPane) return E_NOTIMPL;
  const int saved = SaveDC(dc);
  if (clip) IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
  HBRUSH face = CreateSolidBrush(kPaneFace);
  HPEN border = CreatePen(PS_SOLID, 1, kPaneBorder);
  HGDIOBJ oldBrush = SelectObject(dc, face), oldPen = SelectObject(dc, border);
  Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(face);
  DeleteObject(border);
  RestoreDC(dc, saved);
  return S_OK;
}
