// What every drawing call starts from: the DC, its surface, the pixels it may touch and the
// transform from its logical coordinates to surface pixels.
#pragma once

#include <memory>

#include "gdi/objects.h"
#include "gdi/raster.h"
#include "gdi/xform.h"

namespace zolt::host::gdi {

// The pixels a DC may draw, in surface coordinates: its clip region (moved by the DC's origin)
// within the visible region and the surface.
Region EffectiveClip(const DcObj& dc);

struct DrawCtx {
  std::shared_ptr<DcObj> dc;
  Surface* surf = nullptr;  // nullptr: a DC without a surface (drawing succeeds and changes nothing)
  Region clip;
  Matrix m;

  // False (and ERROR_INVALID_HANDLE) for a handle that is not a DC.
  bool Open(HDC hdc);
  bool Drawable() const { return surf && !clip.Empty(); }
  void ToSurface(double x, double y, double& ox, double& oy) const { m.Apply(x, y, ox, oy); }
  POINT ToPixel(double x, double y) const {
    double ox, oy;
    m.Apply(x, y, ox, oy);
    return POINT{RoundCoord(ox), RoundCoord(oy)};
  }
  // A logical rectangle as surface pixels [left, right) x [top, bottom), corners ordered.
  RECT ToPixelRect(int l, int t, int r, int b) const;
  Paint PenPaint() const;
  Paint BrushPaint() const;
  Paint SolidPaint(COLORREF color) const;
  uint8_t Mix() const { return MixToRop3(dc->st.rop2); }
};

// The pen's colour on the DC (the DC's pen colour for DC_PEN).
COLORREF PenColor(const DcObj& dc);
HGDIOBJ DefaultBitmapHandle();

}  // namespace zolt::host::gdi
