// World and page transforms, mapping modes and the calls that set them.
#include "gdi/xform.h"

#include <cmath>
#include <cstdlib>

#include "win32/base.h"
#include "emf/recorder.h"

namespace zolt::host::gdi {

Matrix Matrix::Then(const Matrix& n) const {
  Matrix r;
  r.m11 = m11 * n.m11 + m12 * n.m21;
  r.m12 = m11 * n.m12 + m12 * n.m22;
  r.m21 = m21 * n.m11 + m22 * n.m21;
  r.m22 = m21 * n.m12 + m22 * n.m22;
  r.dx = dx * n.m11 + dy * n.m21 + n.dx;
  r.dy = dx * n.m12 + dy * n.m22 + n.dy;
  return r;
}

bool Matrix::Invert(Matrix& out) const {
  const double det = Determinant();
  if (det == 0 || !std::isfinite(det)) return false;
  out.m11 = m22 / det;
  out.m12 = -m12 / det;
  out.m21 = -m21 / det;
  out.m22 = m11 / det;
  out.dx = -(dx * out.m11 + dy * out.m21);
  out.dy = -(dx * out.m12 + dy * out.m22);
  return true;
}

Matrix ToMatrix(const XFORM& x) { return Matrix{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }
XFORM ToXform(const Matrix& m) {
  return XFORM{FLOAT(m.m11), FLOAT(m.m12), FLOAT(m.m21), FLOAT(m.m22), FLOAT(m.dx), FLOAT(m.dy)};
}

Matrix LogicalToDevice(const DcState& st) {
  Matrix page;
  const double sx = double(st.viewportExt.cx) / double(st.windowExt.cx ? st.windowExt.cx : 1);
  const double sy = double(st.viewportExt.cy) / double(st.windowExt.cy ? st.windowExt.cy : 1);
  page.m11 = sx;
  page.m22 = sy;
  page.dx = st.viewportOrg.x - st.windowOrg.x * sx;
  page.dy = st.viewportOrg.y - st.windowOrg.y * sy;
  if (st.graphicsMode == GM_ADVANCED) return ToMatrix(st.world).Then(page);
  return page;
}

Matrix LogicalToSurface(const DcObj& dc) {
  Matrix m = LogicalToDevice(dc.st);
  m.dx += dc.origin.x;
  m.dy += dc.origin.y;
  return m;
}

namespace {

// Keeps the viewport's scale the same in both directions (MM_ISOTROPIC).
void FixIsotropic(DcState& st) {
  if (st.mapMode != MM_ISOTROPIC || st.windowExt.cx == 0 || st.windowExt.cy == 0) return;
  const double xs = std::fabs(double(st.viewportExt.cx) / st.windowExt.cx);
  const double ys = std::fabs(double(st.viewportExt.cy) / st.windowExt.cy);
  if (xs > ys) {
    const long long v = llround(double(st.windowExt.cx) * ys);
    st.viewportExt.cx = LONG((st.viewportExt.cx < 0) != (st.windowExt.cx < 0) ? -std::llabs(v) : std::llabs(v));
  } else if (ys > xs) {
    const long long v = llround(double(st.windowExt.cy) * xs);
    st.viewportExt.cy = LONG((st.viewportExt.cy < 0) != (st.windowExt.cy < 0) ? -std::llabs(v) : std::llabs(v));
  }
}

}  // namespace

void ApplyMapMode(DcObj& dc, int mode) {
  DcState& st = dc.st;
  st.mapMode = mode;
  int unitsPerInch = 0;
  switch (mode) {
    case MM_TEXT:
      st.windowExt = {1, 1};
      st.viewportExt = {1, 1};
      return;
    case MM_LOMETRIC: unitsPerInch = 254; break;
    case MM_HIMETRIC: unitsPerInch = 2540; break;
    case MM_LOENGLISH: unitsPerInch = 100; break;
    case MM_HIENGLISH: unitsPerInch = 1000; break;
    case MM_TWIPS: unitsPerInch = 1440; break;
    case MM_ISOTROPIC:
      // Starts from the metric scale, as the platform does, until the caller sets extents.
      st.windowExt = {254 * 10, 254 * 10};
      st.viewportExt = {dc.logPixelsX * 10, -dc.logPixelsY * 10};
      FixIsotropic(st);
      return;
    case MM_ANISOTROPIC: return;  // keeps the current extents
  }
  st.windowExt = {unitsPerInch, unitsPerInch};
  st.viewportExt = {dc.logPixelsX, -dc.logPixelsY};
}

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

template <class Fn>
BOOL WithDc(HDC hdc, Fn&& fn) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return fn(*dc);
}

bool FixedExtents(int mode) { return mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC; }

}  // namespace

WIN32_API int WINAPI SetMapMode(HDC hdc, int iMode) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SETMAPMODE, {DWORD(iMode)});
  if (iMode < MM_TEXT || iMode > MM_ANISOTROPIC) return 0;
  int old = 0;
  if (!WithDc(hdc, [&](DcObj& dc) {
        old = dc.st.mapMode;
        if (old != iMode || FixedExtents(iMode)) ApplyMapMode(dc, iMode);
        return TRUE;
      }))
    return 0;
  return old;
}

WIN32_API int WINAPI GetMapMode(HDC hdc) {
  int mode = 0;
  WithDc(hdc, [&](DcObj& dc) {
    mode = dc.st.mapMode;
    return TRUE;
  });
  return mode;
}

WIN32_API BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SETWINDOWORGEX, {DWORD(x), DWORD(y)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.windowOrg;
    dc.st.windowOrg = {x, y};
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint) {
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppoint) *lppoint = dc.st.windowOrg;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SETVIEWPORTORGEX, {DWORD(x), DWORD(y)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.viewportOrg;
    dc.st.viewportOrg = {x, y};
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppoint) *lppoint = dc.st.viewportOrg;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { POINT o{0, 0}; GetWindowOrgEx(hdc, &o); journal->Words(EMR_SETWINDOWORGEX, {DWORD(o.x + x), DWORD(o.y + y)}); }
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.windowOrg;
    dc.st.windowOrg.x += x;
    dc.st.windowOrg.y += y;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { POINT o{0, 0}; GetViewportOrgEx(hdc, &o); journal->Words(EMR_SETVIEWPORTORGEX, {DWORD(o.x + x), DWORD(o.y + y)}); }
  return WithDc(hdc, [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.viewportOrg;
    dc.st.viewportOrg.x += x;
    dc.st.viewportOrg.y += y;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SETWINDOWEXTEX, {DWORD(x), DWORD(y)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsz) *lpsz = dc.st.windowExt;
    if (FixedExtents(dc.st.mapMode)) return TRUE;  // ignored in the fixed modes
    if (x == 0 || y == 0) return FALSE;
    dc.st.windowExt = {x, y};
    FixIsotropic(dc.st);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE lpsize) {
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsize) *lpsize = dc.st.windowExt;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SETVIEWPORTEXTEX, {DWORD(x), DWORD(y)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsz) *lpsz = dc.st.viewportExt;
    if (FixedExtents(dc.st.mapMode)) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    dc.st.viewportExt = {x, y};
    FixIsotropic(dc.st);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE lpsize) {
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsize) *lpsize = dc.st.viewportExt;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI ScaleViewportExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE lpsz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SCALEVIEWPORTEXTEX, {DWORD(xn), DWORD(xd), DWORD(yn), DWORD(yd)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsz) *lpsz = dc.st.viewportExt;
    if (FixedExtents(dc.st.mapMode)) return TRUE;
    if (xd == 0 || yd == 0) return FALSE;
    const LONG cx = LONG(int64_t(dc.st.viewportExt.cx) * xn / xd);
    const LONG cy = LONG(int64_t(dc.st.viewportExt.cy) * yn / yd);
    if (cx == 0 || cy == 0) return FALSE;
    dc.st.viewportExt = {cx, cy};
    FixIsotropic(dc.st);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI ScaleWindowExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE lpsz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SCALEWINDOWEXTEX, {DWORD(xn), DWORD(xd), DWORD(yn), DWORD(yd)});
  return WithDc(hdc, [&](DcObj& dc) {
    if (lpsz) *lpsz = dc.st.windowExt;
    if (FixedExtents(dc.st.mapMode)) return TRUE;
    if (xd == 0 || yd == 0) return FALSE;
    const LONG cx = LONG(int64_t(dc.st.windowExt.cx) * xn / xd);
    const LONG cy = LONG(int64_t(dc.st.windowExt.cy) * yn / yd);
    if (cx == 0 || cy == 0) return FALSE;
    dc.st.windowExt = {cx, cy};
    FixIsotropic(dc.st);
    return TRUE;
  });
}

WIN32_API int WINAPI SetGraphicsMode(HDC hdc, int iMode) {
  if (iMode != GM_COMPATIBLE && iMode != GM_ADVANCED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = 0;
  WithDc(hdc, [&](DcObj& dc) {
    // Back to the compatible mode only with the identity world transform.
    if (iMode == GM_COMPATIBLE) {
      const XFORM& w = dc.st.world;
      if (w.eM11 != 1 || w.eM12 != 0 || w.eM21 != 0 || w.eM22 != 1 || w.eDx != 0 || w.eDy != 0) return FALSE;
    }
    old = dc.st.graphicsMode;
    dc.st.graphicsMode = iMode;
    return TRUE;
  });
  return old;
}

WIN32_API int WINAPI GetGraphicsMode(HDC hdc) {
  int mode = 0;
  WithDc(hdc, [&](DcObj& dc) {
    mode = dc.st.graphicsMode;
    return TRUE;
  });
  return mode;
}

namespace {
bool Invertible(const XFORM& x) {
  const double det = double(x.eM11) * x.eM22 - double(x.eM12) * x.eM21;
  return det != 0 && std::isfinite(det) && std::isfinite(x.eDx) && std::isfinite(x.eDy);
}
}  // namespace

WIN32_API BOOL WINAPI SetWorldTransform(HDC hdc, const XFORM* lpxf) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) if (lpxf) journal->Bytes(EMR_SETWORLDTRANSFORM, lpxf, sizeof(XFORM));
  if (!lpxf || !Invertible(*lpxf)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WithDc(hdc, [&](DcObj& dc) {
    if (dc.st.graphicsMode != GM_ADVANCED) return FALSE;
    dc.st.world = *lpxf;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetWorldTransform(HDC hdc, LPXFORM lpxf) {
  if (!lpxf) return FALSE;
  return WithDc(hdc, [&](DcObj& dc) {
    *lpxf = dc.st.world;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { struct { XFORM x; DWORD mode; } m{lpxf ? *lpxf : XFORM{1, 0, 0, 1, 0, 0}, mode}; journal->Bytes(EMR_MODIFYWORLDTRANSFORM, &m, sizeof(m)); }
  return WithDc(hdc, [&](DcObj& dc) {
    if (dc.st.graphicsMode != GM_ADVANCED) return FALSE;
    if (mode == MWT_IDENTITY) {
      dc.st.world = XFORM{1, 0, 0, 1, 0, 0};
      return TRUE;
    }
    if (!lpxf || (mode != MWT_LEFTMULTIPLY && mode != MWT_RIGHTMULTIPLY)) return FALSE;
    const Matrix cur = ToMatrix(dc.st.world), x = ToMatrix(*lpxf);
    const XFORM next = ToXform(mode == MWT_LEFTMULTIPLY ? x.Then(cur) : cur.Then(x));
    if (!Invertible(next)) return FALSE;
    dc.st.world = next;
    return TRUE;
  });
}

WIN32_API BOOL WINAPI CombineTransform(LPXFORM lpxfOut, const XFORM* lpxf1, const XFORM* lpxf2) {
  if (!lpxfOut || !lpxf1 || !lpxf2) return FALSE;
  *lpxfOut = ToXform(ToMatrix(*lpxf1).Then(ToMatrix(*lpxf2)));
  return TRUE;
}

WIN32_API BOOL WINAPI LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  if (c < 0 || (c > 0 && !lppt)) return FALSE;
  return WithDc(hdc, [&](DcObj& dc) {
    const Matrix m = LogicalToDevice(dc.st);
    for (int i = 0; i < c; ++i) {
      double x, y;
      m.Apply(lppt[i].x, lppt[i].y, x, y);
      lppt[i] = {RoundCoord(x), RoundCoord(y)};
    }
    return TRUE;
  });
}

WIN32_API BOOL WINAPI DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  if (c < 0 || (c > 0 && !lppt)) return FALSE;
  return WithDc(hdc, [&](DcObj& dc) {
    Matrix inv;
    if (!LogicalToDevice(dc.st).Invert(inv)) return FALSE;
    for (int i = 0; i < c; ++i) {
      double x, y;
      inv.Apply(lppt[i].x, lppt[i].y, x, y);
      lppt[i] = {RoundCoord(x), RoundCoord(y)};
    }
    return TRUE;
  });
}
