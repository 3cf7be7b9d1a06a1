// Paths: the bracket that records figures, and the calls that stroke, fill, clip with,
// flatten, widen and return them.
#include <algorithm>
#include <cmath>

#include "gdi/pen.h"
#include "emf/recorder.h"

namespace zolt::host::gdi {

Region RegionOfShape(const Shape& shape, bool winding);

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

// The recorded path (device coordinates) as figures, moved by `dx`, `dy`.
Shape ShapeOfPath(const std::vector<PathPoint>& path, double dx, double dy) {
  Shape s;
  for (size_t i = 0; i < path.size(); ++i) {
    const PathPoint& p = path[i];
    const BYTE kind = p.type & ~PT_CLOSEFIGURE;
    if (kind == PT_MOVETO || s.empty()) s.push_back(Figure{});
    Figure& f = s.back();
    f.Add(p.x + dx, p.y + dy, false);
    if (kind == PT_BEZIERTO) f.cubic.back() = 1;
    if (p.type & PT_CLOSEFIGURE) f.closed = true;
  }
  // In each run of Bézier points the third of every three is on the curve.
  for (Figure& f : s) {
    int run = 0;
    for (size_t i = 0; i < f.pts.size(); ++i) {
      if (f.cubic[i]) {
        ++run;
        if (run % 3 == 0) f.cubic[i] = 0;
      } else {
        run = 0;
      }
    }
  }
  return s;
}

std::vector<PathPoint> PathOfShape(const Shape& s) {
  std::vector<PathPoint> out;
  for (const Figure& f : s) {
    if (f.pts.empty()) continue;
    for (size_t i = 0; i < f.pts.size(); ++i) {
      BYTE type = i == 0 ? PT_MOVETO : PT_LINETO;
      if (i > 0 && (f.cubic[i] || (i >= 2 && f.cubic[i - 1]))) type = PT_BEZIERTO;
      out.push_back({f.pts[i].x, f.pts[i].y, type});
    }
    if (f.closed) out.back().type |= PT_CLOSEFIGURE;
  }
  return out;
}

// Runs fn on a DC whose path is closed (EndPath done); the path is used up when `consume`.
template <class Fn>
BOOL WithClosedPath(HDC hdc, bool consume, Fn&& fn) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (d.dc->st.pathState != PathState::Closed) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  const BOOL ok = fn(d);
  if (consume) {
    d.dc->st.path.clear();
    d.dc->st.pathState = PathState::None;
  }
  return ok;
}

}  // namespace

WIN32_API BOOL WINAPI BeginPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_BEGINPATH, {});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  dc->st.path.clear();
  dc->st.pathState = PathState::Open;
  return TRUE;
}

WIN32_API BOOL WINAPI EndPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_ENDPATH, {});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || dc->st.pathState != PathState::Open) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  dc->st.pathState = PathState::Closed;
  return TRUE;
}

WIN32_API BOOL WINAPI AbortPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_ABORTPATH, {});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  dc->st.path.clear();
  dc->st.pathState = PathState::None;
  return TRUE;
}

WIN32_API BOOL WINAPI CloseFigure(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_CLOSEFIGURE, {});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || dc->st.pathState != PathState::Open || dc->st.path.empty()) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  dc->st.path.back().type |= PT_CLOSEFIGURE;
  return TRUE;
}

WIN32_API BOOL WINAPI StrokePath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_STROKEPATH, {0, 0, 0xFFFFFFFF, 0xFFFFFFFF});
  return WithClosedPath(hdc, true, [](DrawCtx& d) {
    return StrokeFigures(d, ShapeOfPath(d.dc->st.path, d.dc->origin.x, d.dc->origin.y)) ? TRUE : FALSE;
  });
}

WIN32_API BOOL WINAPI FillPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_FILLPATH, {0, 0, 0xFFFFFFFF, 0xFFFFFFFF});
  return WithClosedPath(hdc, true, [](DrawCtx& d) {
    return FillFigures(d, ShapeOfPath(d.dc->st.path, d.dc->origin.x, d.dc->origin.y),
                       d.dc->st.polyFillMode == WINDING)
               ? TRUE
               : FALSE;
  });
}

WIN32_API BOOL WINAPI StrokeAndFillPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_STROKEANDFILLPATH, {0, 0, 0xFFFFFFFF, 0xFFFFFFFF});
  return WithClosedPath(hdc, true, [](DrawCtx& d) {
    Shape s = ShapeOfPath(d.dc->st.path, d.dc->origin.x, d.dc->origin.y);
    for (Figure& f : s) f.closed = true;
    bool ok = FillFigures(d, s, d.dc->st.polyFillMode == WINDING);
    ok = StrokeFigures(d, s) && ok;
    return ok ? TRUE : FALSE;
  });
}

WIN32_API BOOL WINAPI SelectClipPath(HDC hdc, int mode) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_SELECTCLIPPATH, {DWORD(mode)});
  if (mode < RGN_AND || mode > RGN_COPY) return FALSE;
  return WithClosedPath(hdc, true, [&](DrawCtx& d) {
    const Region r = RegionOfShape(ShapeOfPath(d.dc->st.path, 0, 0), d.dc->st.polyFillMode == WINDING);
    auto obj = std::make_shared<RegionObj>();
    obj->rgn = r;
    HRGN h = static_cast<HRGN>(InsertObject(obj));
    const int result = ExtSelectClipRgn(hdc, h, mode);
    DeleteObject(h);
    return result != ERROR ? TRUE : FALSE;
  });
}

WIN32_API HRGN WINAPI PathToRegion(HDC hdc) {
  HRGN out = nullptr;
  WithClosedPath(hdc, true, [&](DrawCtx& d) {
    auto obj = std::make_shared<RegionObj>();
    obj->rgn = RegionOfShape(ShapeOfPath(d.dc->st.path, 0, 0), d.dc->st.polyFillMode == WINDING);
    out = static_cast<HRGN>(InsertObject(obj));
    return TRUE;
  });
  return out;
}

WIN32_API BOOL WINAPI FlattenPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_FLATTENPATH, {});
  return WithClosedPath(hdc, false, [](DrawCtx& d) {
    d.dc->st.path = PathOfShape(FlattenShape(ShapeOfPath(d.dc->st.path, 0, 0), 0.25));
    return TRUE;
  });
}

WIN32_API BOOL WINAPI WidenPath(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_WIDENPATH, {});
  return WithClosedPath(hdc, false, [](DrawCtx& d) {
    const PenGeometry g = PenOf(d);
    if (g.null) return FALSE;
    StrokeStyle style = g.stroke;
    if (g.cosmetic) style.width = 1;
    Shape wide;
    if (!WidenShape(ShapeOfPath(d.dc->st.path, 0, 0), style, wide)) return FALSE;
    d.dc->st.path = PathOfShape(wide);
    return TRUE;
  });
}

WIN32_API int WINAPI GetPath(HDC hdc, LPPOINT apt, LPBYTE aj, int cpt) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || dc->st.pathState != PathState::Closed) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return -1;
  }
  const auto& path = dc->st.path;
  if (cpt == 0) return int(path.size());
  if (cpt < int(path.size()) || !apt || !aj) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Matrix inv;
  if (!LogicalToDevice(dc->st).Invert(inv)) return -1;
  for (size_t i = 0; i < path.size(); ++i) {
    double x, y;
    inv.Apply(path[i].x, path[i].y, x, y);
    apt[i] = {RoundCoord(x), RoundCoord(y)};
    aj[i] = path[i].type;
  }
  return int(path.size());
}
