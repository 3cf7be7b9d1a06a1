// Flood fills: the 4-connected area around a point, bounded by a colour (FLOODFILLBORDER) or made
// of a colour (FLOODFILLSURFACE), painted with the DC's brush and mix within its clip. They read
// the surface, so only DCs with the raster capability RC_FLOODFILL take them: a printer DC's
// surface belongs to its module and the call fails there.
#include <vector>

#include "gdi/device.h"
#include "win32/blits.h"
#include "gdi/draw.h"
#include "emf/recorder.h"

using namespace zolt::host::gdi;

WIN32_API BOOL WINAPI ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) {
    journal->Words(EMR_EXTFLOODFILL, {DWORD(x), DWORD(y), color, DWORD(type)});
    const POINT p{x, y};
    journal->Touch(&p, 1);
  }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (type != FLOODFILLBORDER && type != FLOODFILLSURFACE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (DeviceOf(d)) return FALSE;
  if (!d.surf) return TRUE;
  const POINT start = d.ToPixel(x, y);
  if (!d.clip.Contains(start.x, start.y)) return FALSE;
  Surface& s = *d.surf;
  const DWORD key = PixelOfColor(*d.dc, s, color);
  auto inside = [&](int px, int py) {
    const bool same = s.Get(px, py) == key;
    return type == FLOODFILLSURFACE ? same : !same;
  };
  if (!inside(start.x, start.y)) return FALSE;
  // The area first (the fill may change the colours it is bounded by), then painted by rows.
  const RECT box = d.clip.Box();
  const int w = int(box.right - box.left), h = int(box.bottom - box.top);
  std::vector<uint8_t> seen(size_t(w) * size_t(h), 0);
  auto mark = [&](int px, int py) -> uint8_t& { return seen[size_t(py - box.top) * size_t(w) + size_t(px - box.left)]; };
  std::vector<POINT> todo{start};
  mark(start.x, start.y) = 1;
  while (!todo.empty()) {
    const POINT p = todo.back();
    todo.pop_back();
    const POINT next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
    for (const POINT& n : next) {
      if (n.x < box.left || n.x >= box.right || n.y < box.top || n.y >= box.bottom || mark(n.x, n.y)) continue;
      if (!d.clip.Contains(n.x, n.y) || !inside(n.x, n.y)) continue;
      mark(n.x, n.y) = 1;
      todo.push_back(n);
    }
  }
  const Paint paint = d.BrushPaint();
  const uint8_t rop = d.Mix();
  for (int py = 0; py < h; ++py) {
    int px = 0;
    while (px < w) {
      while (px < w && !seen[size_t(py) * size_t(w) + size_t(px)]) ++px;
      const int from = px;
      while (px < w && seen[size_t(py) * size_t(w) + size_t(px)]) ++px;
      if (px > from) RasterSpan(s, int(box.top) + py, int(box.left) + from, int(box.left) + px, paint, nullptr, rop);
    }
  }
  return TRUE;
}

WIN32_API BOOL WINAPI FloodFill(HDC hdc, int x, int y, COLORREF color) {
  return ExtFloodFill(hdc, x, y, color, FLOODFILLBORDER);
}
