// The painting seam of the window system: the surfaces of top-level windows, the device
// contexts windows paint with, frames and captions, dialog fonts, system-colour brushes and the
// plain drawing of the controls.
//
// Every top-level window owns a 32-bit DIB section as large as its window rectangle. A window's
// DC draws into the surface of its top-level window: its origin is the window's client area
// (or its window rectangle for GetWindowDC) and it may touch only what the window shows of
// itself, its rectangle clipped by the client areas of its ancestors.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>

#include "user/window.h"
#include "win32/hostgdi.h"
#include "win32/hostui.h"
#include "win32/resource.h"

namespace zolt::host::user {

namespace {

struct SurfaceRecord {
  HBITMAP bitmap = nullptr;
  int width = 0, height = 0;
};

std::mutex g_surfaceLock;
std::map<HWND, SurfaceRecord> g_surfaces;

RECT ScreenRectOf(HWND hwnd, bool wholeWindow) {
  RECT r{};
  if (wholeWindow) {
    GetWindowRect(hwnd, &r);
  } else {
    GetClientRect(hwnd, &r);
    POINT o{0, 0};
    ClientToScreen(hwnd, &o);
    OffsetRect(&r, o.x, o.y);
  }
  return r;
}

// The surface of a top-level window, made or remade at the size of its window rectangle.
HBITMAP SurfaceOf(HWND root) {
  RECT wr;
  if (!GetWindowRect(root, &wr)) return nullptr;
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  std::lock_guard<std::mutex> lock(g_surfaceLock);
  SurfaceRecord& s = g_surfaces[root];
  if (s.bitmap && s.width == width && s.height == height) return s.bitmap;
  if (s.bitmap) DeleteObject(s.bitmap);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  s.bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  s.width = s.bitmap ? width : 0;
  s.height = s.bitmap ? height : 0;
  return s.bitmap;
}

// What a window shows of itself on the surface of its top-level window (surface coordinates):
// its rectangle within the client areas of its ancestors; nothing while it or an ancestor below
// the top level is hidden.
RECT VisibleRect(HWND hwnd, HWND root, bool wholeWindow) {
  RECT r = ScreenRectOf(hwnd, wholeWindow);
  for (HWND h = hwnd; h && h != root; h = GetParent(h)) {
    auto w = GetQuiet(h);
    if (!w || !(w->style & WS_VISIBLE)) return RECT{};
    if (!w->parent) break;
    RECT pc = ScreenRectOf(w->parent, false);
    if (!IntersectRect(&r, &r, &pc)) return RECT{};
  }
  RECT rootRect;
  GetWindowRect(root, &rootRect);
  OffsetRect(&r, -rootRect.left, -rootRect.top);
  return r;
}

// A DC that draws nothing: the display's (for windows without a surface and for GetDC(NULL)).
HDC DisplayDC() { return CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr); }

}  // namespace

HDC AcquirePaintDC(HWND hwnd, bool wholeWindow) {
  if (!hwnd) return DisplayDC();
  HWND root = RootOf(hwnd);
  HBITMAP surface = root ? SurfaceOf(root) : nullptr;
  if (!surface) return DisplayDC();
  HDC dc = CreateSurfaceDC(surface);
  if (!dc) return nullptr;
  RECT rootRect;
  GetWindowRect(root, &rootRect);
  const RECT area = ScreenRectOf(hwnd, wholeWindow);
  const POINT origin{area.left - rootRect.left, area.top - rootRect.top};
  const RECT shown = VisibleRect(hwnd, root, wholeWindow);
  HRGN visible = CreateRectRgn(shown.left, shown.top, std::max(shown.left, shown.right),
                               std::max(shown.top, shown.bottom));
  SetDcPlacement(dc, origin, visible);
  DeleteObject(visible);
  return dc;
}

void ReleasePaintDC(HWND, HDC hdc) {
  if (hdc) DeleteDC(hdc);
}

void ForgetSurface(HWND hwnd) {
  HBITMAP bitmap = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_surfaceLock);
    auto it = g_surfaces.find(hwnd);
    if (it == g_surfaces.end()) return;
    bitmap = it->second.bitmap;
    g_surfaces.erase(it);
  }
  if (bitmap) DeleteObject(bitmap);
}

HBITMAP SurfaceBitmap(HWND root) {
  std::lock_guard<std::mutex> lock(g_surfaceLock);
  auto it = g_surfaces.find(root);
  return it == g_surfaces.end() ? nullptr : it->second.bitmap;
}

BOOL EraseWithBrush(HDC hdc, const RECT& rect, HBRUSH brush) {
  if (!hdc || !brush) return FALSE;
  return FillRect(hdc, &rect, brush) ? TRUE : FALSE;
}

HBRUSH DefaultControlColors(HDC hdc, UINT msg) {
  const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  if (hdc) {
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  return GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
}

HBRUSH ControlColors(HWND control, HDC hdc, UINT msg) {
  auto w = GetQuiet(control);
  HBRUSH brush = nullptr;
  if (w && w->parent && hdc)
    brush = reinterpret_cast<HBRUSH>(
        SendMessageW(w->parent, msg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control)));
  return brush ? brush : DefaultControlColors(hdc, msg);
}

bool CommonControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT ctlColor, ControlPainter paint,
                          LRESULT* result) {
  auto w = GetQuiet(hwnd);
  if (!w) return false;
  *result = 0;
  switch (msg) {
    case WM_SETFONT:
      w->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return true;
    case WM_GETFONT:
      *result = reinterpret_cast<LRESULT>(w->font);
      return true;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return true;
    case WM_ERASEBKGND:
      *result = TRUE;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        const int saved = SaveDC(dc);
        HBRUSH background = ctlColor ? ControlColors(hwnd, dc, ctlColor) : nullptr;
        paint(hwnd, dc, background);
        RestoreDC(dc, saved);
      }
      EndPaint(hwnd, &ps);
      return true;
    }
  }
  return false;
}

// The frame of a window: its border and edges, and the caption bar of a top-level window.
void PaintFrame(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  const RECT in = NonClientInsets(w->style, w->exStyle, w->parent != nullptr);
  if (in.left == 0 && in.top == 0 && in.right == 0 && in.bottom == 0) return;
  HDC dc = AcquirePaintDC(hwnd, true);
  if (!dc) return;
  RECT r{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  const bool caption = (w->style & WS_CAPTION) == WS_CAPTION;
  if (caption || (w->style & (WS_DLGFRAME | WS_THICKFRAME)) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
    draw::Fill(dc, r, COLOR_BTNFACE);
    draw::Frame(dc, r, COLOR_WINDOWFRAME);
  } else if (w->style & WS_BORDER) {
    draw::Frame(dc, r, COLOR_WINDOWFRAME);
  }
  RECT inner = r;
  if (caption || (w->style & (WS_DLGFRAME | WS_THICKFRAME)) || (w->exStyle & WS_EX_DLGMODALFRAME))
    InflateRect(&inner, -((w->style & WS_THICKFRAME) ? 4 : 3), -((w->style & WS_THICKFRAME) ? 4 : 3));
  else if (w->style & WS_BORDER)
    InflateRect(&inner, -1, -1);
  if (caption) {
    const int height = GetSystemMetrics(SM_CYCAPTION);
    RECT bar{inner.left, inner.top, inner.right, inner.top + height};
    draw::Fill(dc, bar, COLOR_ACTIVECAPTION);
    RECT text = bar;
    text.left += 6;
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_BOLD;
    const char16_t face[] = u"MS Shell Dlg";
    for (size_t i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    HFONT font = CreateFontIndirectW(&lf);
    draw::Text(dc, font, w->text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS,
               COLOR_CAPTIONTEXT);
    DeleteObject(font);
    if (w->exStyle & WS_EX_CONTEXTHELP) {
      RECT help{bar.right - height, bar.top + 2, bar.right - 4, bar.bottom - 2};
      draw::Fill(dc, help, COLOR_BTNFACE);
      draw::Edge(dc, help, false);
      draw::Text(dc, nullptr, u"?", help, DT_CENTER | DT_VCENTER | DT_SINGLELINE, COLOR_BTNTEXT);
    }
    inner.top = bar.bottom;
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    draw::Edge(dc, inner, true);
    InflateRect(&inner, -2, -2);
  }
  if (w->exStyle & WS_EX_STATICEDGE) draw::Frame(dc, inner, COLOR_BTNSHADOW);
  ReleasePaintDC(hwnd, dc);
}

namespace {

void PaintOne(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  PaintFrame(hwnd);
  if (!IsRectEmpty(&w->invalid)) {
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    if (auto again = GetQuiet(hwnd)) again->invalid = RECT{};
  }
  // Children from the bottom of the Z order up, so that a window higher up covers what lies
  // under it (a property sheet's page over its tab control).
  if (auto again = GetQuiet(hwnd)) {
    const std::vector<HWND> children(again->children);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if (IsWindow(*it) && (GetWindowLongW(*it, GWL_STYLE) & WS_VISIBLE)) PaintOne(*it);
  }
}

}  // namespace

void PaintTree(HWND hwnd) {
  if (!GetQuiet(hwnd)) return;
  InvalidateRect(hwnd, nullptr, TRUE);
  PaintOne(hwnd);
}

void DialogBaseUnitsFor(const std::u16string&, int pointSize, int* baseX, int* baseY) {
  // The cell height of the font at 96 dots per inch with its internal leading, and the average
  // width of its letters in proportion. Kept as a formula of the point size so that layouts do
  // not move with the fonts a machine has.
  if (pointSize <= 0) pointSize = 8;
  int height = (pointSize * 96 + 36) / 72 + 2;
  *baseY = height;
  *baseX = std::max(1, (height * 6 + 6) / 13);
}

HFONT CreateDialogFont(const std::u16string& face, int pointSize, int weight, bool italic, int charset, int* baseX,
                       int* baseY) {
  DialogBaseUnitsFor(face, pointSize, baseX, baseY);
  if (pointSize <= 0) pointSize = 8;
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(pointSize, 96, 72);
  lf.lfWeight = weight ? weight : FW_NORMAL;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfCharSet = BYTE(charset);
  const std::u16string name = face.empty() ? std::u16string(u"MS Shell Dlg") : face;
  for (size_t i = 0; i < name.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = name[i];
  return CreateFontIndirectW(&lf);
}

void DeleteDialogFont(HFONT font) {
  if (font) DeleteObject(font);
}

}  // namespace zolt::host::user

WIN32_API HBRUSH WINAPI GetSysColorBrush(int index) {
  static std::array<HBRUSH, zolt::host::kSystemColorCount> brushes{};
  static std::mutex lock;
  if (index < 0 || index >= int(brushes.size())) return nullptr;
  std::lock_guard<std::mutex> guard(lock);
  HBRUSH& b = brushes[size_t(index)];
  if (!b) b = zolt::host::CreateSystemBrush(GetSysColor(index));
  return b;
}

namespace zolt::host::user {
namespace draw {

void Fill(HDC dc, const RECT& r, int sysColor) {
  if (dc) FillRect(dc, &r, GetSysColorBrush(sysColor));
}

void FillRgb(HDC dc, const RECT& r, DWORD colorref) {
  if (!dc) return;
  HBRUSH b = CreateSolidBrush(colorref);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Frame(HDC dc, const RECT& r, int sysColor) {
  if (dc) FrameRect(dc, &r, GetSysColorBrush(sysColor));
}

void Edge(HDC dc, const RECT& r, bool sunken) {
  if (!dc || r.right - r.left < 2 || r.bottom - r.top < 2) return;
  // Two rings: light above and left of a raised edge, dark below and right; the reverse sunken.
  const int outerLight = sunken ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
  const int outerDark = sunken ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
  const int innerLight = sunken ? COLOR_3DDKSHADOW : COLOR_3DLIGHT;
  const int innerDark = sunken ? COLOR_3DLIGHT : COLOR_BTNSHADOW;
  auto ring = [&](RECT e, int light, int dark) {
    Fill(dc, RECT{e.left, e.top, e.right - 1, e.top + 1}, light);
    Fill(dc, RECT{e.left, e.top, e.left + 1, e.bottom - 1}, light);
    Fill(dc, RECT{e.left, e.bottom - 1, e.right, e.bottom}, dark);
    Fill(dc, RECT{e.right - 1, e.top, e.right, e.bottom}, dark);
  };
  ring(r, outerLight, outerDark);
  RECT in = r;
  InflateRect(&in, -1, -1);
  if (in.right - in.left >= 2 && in.bottom - in.top >= 2) ring(in, innerLight, innerDark);
}

void Text(HDC dc, HFONT font, std::u16string_view text, RECT r, UINT dtFlags, int sysColor) {
  if (!dc || text.empty()) return;
  const int saved = SaveDC(dc);
  SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  if (sysColor >= 0) SetTextColor(dc, GetSysColor(sysColor));
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), int(text.size()), &r, dtFlags);
  RestoreDC(dc, saved);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, int sysColor) {
  if (!dc) return;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(sysColor));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Check(HDC dc, const RECT& box, int state, bool radio) {
  if (!dc) return;
  const bool pushed = (state & BST_PUSHED) != 0;
  const int mark = state & 3;
  const int face = pushed ? COLOR_BTNFACE : COLOR_WINDOW;
  if (radio) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(face));
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    if (mark == BST_CHECKED) {
      SelectObject(dc, GetSysColorBrush(COLOR_WINDOWTEXT));
      SelectObject(dc, GetStockObject(NULL_PEN));
      Ellipse(dc, box.left + 4, box.top + 4, box.right - 3, box.bottom - 3);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    return;
  }
  Fill(dc, box, mark == BST_INDETERMINATE ? COLOR_BTNFACE : face);
  Frame(dc, box, COLOR_BTNSHADOW);
  if (mark == BST_UNCHECKED) return;
  // The tick: three pixels thick, from the left middle down and up to the right.
  const int colour = mark == BST_INDETERMINATE ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT;
  const int x = box.left + 3, y = box.top + 5;
  for (int k = 0; k < 3; ++k) {
    Line(dc, x, y + k, x + 2, y + 2 + k, colour);
    Line(dc, x + 2, y + 2 + k, x + 7, y - 3 + k, colour);
  }
}

void Arrow(HDC dc, const RECT& r, int direction, bool enabled) {
  if (!dc) return;
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
  POINT p[3];
  switch (direction) {
    case 0: p[0] = {cx - s, cy + s / 2}; p[1] = {cx + s, cy + s / 2}; p[2] = {cx, cy - s / 2 - 1}; break;
    case 1: p[0] = {cx - s, cy - s / 2}; p[1] = {cx + s, cy - s / 2}; p[2] = {cx, cy + s / 2 + 1}; break;
    case 2: p[0] = {cx + s / 2, cy - s}; p[1] = {cx + s / 2, cy + s}; p[2] = {cx - s / 2 - 1, cy}; break;
    default: p[0] = {cx - s / 2, cy - s}; p[1] = {cx - s / 2, cy + s}; p[2] = {cx + s / 2 + 1, cy}; break;
  }
  const int colour = enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(colour));
  Polygon(dc, p, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void Focus(HDC dc, const RECT& r) {
  if (dc) DrawFocusRect(dc, &r);
}

void Background(HDC dc, const RECT& r, HBRUSH brush, int sysColor) {
  if (!dc) return;
  if (brush)
    FillRect(dc, &r, brush);
  else
    Fill(dc, r, sysColor);
}

}  // namespace draw

HFONT FontOf(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return nullptr;
  if (w->font) return w->font;
  for (auto p = GetQuiet(w->parent); p; p = GetQuiet(p->parent))
    if (p->dialog && p->dialog->font) return p->dialog->font;
  return nullptr;
}

void DrawStaticImage(HWND hwnd, HDC dc, const RECT& r, HANDLE image, UINT type) {
  if (!dc || !image) return;
  auto w = GetQuiet(hwnd);
  const bool centre = w && (w->style & SS_CENTERIMAGE);
  if (type == IMAGE_ICON) {
    const int x = centre ? (r.left + r.right - 32) / 2 : r.left, y = centre ? (r.top + r.bottom - 32) / 2 : r.top;
    DrawIconEx(dc, x, y, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    return;
  }
  BITMAP bm{};
  if (!GetObjectW(image, sizeof bm, &bm)) return;
  const int x = centre ? (r.left + r.right - bm.bmWidth) / 2 : r.left;
  const int y = centre ? (r.top + r.bottom - bm.bmHeight) / 2 : r.top;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, image);
  if (old) {
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
  }
  DeleteDC(mem);
}

HANDLE LoadBitmapForWindow(HINSTANCE instance, LPCWSTR name) {
  HRSRC res = FindResourceW(instance, name, RT_BITMAP);
  if (!res) return nullptr;
  HGLOBAL loaded = LoadResource(instance, res);
  const auto* data = static_cast<const BYTE*>(LockResource(loaded));
  const size_t size = SizeofResource(instance, res);
  if (!data || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER bih;
  std::memcpy(&bih, data, sizeof bih);
  if (bih.biSize < sizeof(BITMAPINFOHEADER) || bih.biSize > size || bih.biWidth <= 0 || bih.biWidth > 16384 ||
      bih.biHeight == 0 || bih.biHeight < -16384 || bih.biHeight > 16384)
    return nullptr;
  // The header, the masks of a bit-field bitmap and the colour table come before the bits.
  size_t colours = bih.biClrUsed ? bih.biClrUsed : (bih.biBitCount <= 8 ? size_t(1) << bih.biBitCount : 0);
  if (colours > 256) return nullptr;
  size_t infoSize = bih.biSize + colours * sizeof(RGBQUAD);
  if (bih.biCompression == BI_BITFIELDS && bih.biSize == sizeof(BITMAPINFOHEADER)) infoSize += 3 * sizeof(DWORD);
  if (infoSize > size) return nullptr;
  const int width = bih.biWidth, height = bih.biHeight < 0 ? -bih.biHeight : bih.biHeight;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (!bitmap) return nullptr;
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bitmap);
  const int lines = SetDIBitsToDeviceChecked(mem, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                                             data + infoSize, size - infoSize,
                                             reinterpret_cast<const BITMAPINFO*>(data), infoSize, DIB_RGB_COLORS);
  SelectObject(mem, old);
  DeleteDC(mem);
  if (lines <= 0) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace zolt::host::user

bool zolt::host::ui::SavePng(HWND window, const std::string& path) {
  using namespace zolt::host::user;
  if (!GetQuiet(window)) return false;
  HWND root = RootOf(window);
  PaintTree(root);
  HBITMAP surface = SurfaceBitmap(root);
  if (!surface) return false;
  if (window == root) return SaveBitmapPng(surface, path);
  // A child window: its window rectangle cut out of its top-level window's surface.
  RECT rootRect, wr;
  GetWindowRect(root, &rootRect);
  GetWindowRect(window, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return false;
  HDC source = CreateSurfaceDC(surface);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP piece = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ old = SelectObject(mem, piece);
  BitBlt(mem, 0, 0, width, height, source, wr.left - rootRect.left, wr.top - rootRect.top, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteDC(source);
  const bool ok = SaveBitmapPng(piece, path);
  DeleteObject(piece);
  return ok;
}
