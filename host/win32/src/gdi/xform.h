// Coordinate spaces of a device context: world transform, page transform (mapping mode,
// window and viewport) and the device origin of the DC inside its surface.
#pragma once

#include "gdi/objects.h"

namespace zolt::host::gdi {

struct Matrix {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
  void Apply(double x, double y, double& ox, double& oy) const {
    ox = x * m11 + y * m21 + dx;
    oy = x * m12 + y * m22 + dy;
  }
  // Applies the linear part only (vectors).
  void ApplyVector(double x, double y, double& ox, double& oy) const {
    ox = x * m11 + y * m21;
    oy = x * m12 + y * m22;
  }
  Matrix Then(const Matrix& next) const;  // this, then next
  bool Invert(Matrix& out) const;
  bool IsAxisAligned() const { return m12 == 0 && m21 == 0; }
  double Determinant() const { return m11 * m22 - m12 * m21; }
};

Matrix ToMatrix(const XFORM& x);
XFORM ToXform(const Matrix& m);
// World (in the advanced mode) then page: logical to device coordinates of the DC.
Matrix LogicalToDevice(const DcState& st);
// Logical coordinates to surface pixels (device coordinates plus the DC's origin).
Matrix LogicalToSurface(const DcObj& dc);
// The fixed extents of the metric and English mapping modes for the DC's resolution.
void ApplyMapMode(DcObj& dc, int mode);
// Rounds a device coordinate to the pixel grid the platform uses (halves towards +infinity).
inline int RoundCoord(double v) {
  const double r = v + 0.5;
  if (r >= 2147483647.0) return 2147483647;
  if (r <= -2147483648.0) return -2147483647 - 1;
  const long long f = (long long)r;
  return int(r < 0 && double(f) != r ? f - 1 : f);
}

}  // namespace zolt::host::gdi
