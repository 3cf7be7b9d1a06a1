// Regions of device space: sets of pixels kept as bands of rows, each band a sorted list of
// disjoint x-intervals [x0, x1). Bands are sorted, disjoint, never empty, and neighbouring bands
// with the same intervals are merged, so that two equal sets have equal representations.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "win32/gdi.h"

namespace zolt::host::gdi {

struct Interval {
  int x0, x1;
  bool operator==(const Interval&) const = default;
};

struct Band {
  int y0, y1;
  std::vector<Interval> xs;
};

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r) { SetRect(r); }

  void SetEmpty() { bands_.clear(); }
  void SetRect(const RECT& r);
  bool Empty() const { return bands_.empty(); }
  const std::vector<Band>& Bands() const { return bands_; }
  RECT Box() const;
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int dx, int dy);
  bool operator==(const Region& other) const;
  // The rectangles of the region, band by band, left to right.
  std::vector<RECT> Rects() const;

  enum Op { And = RGN_AND, Or = RGN_OR, Xor = RGN_XOR, Diff = RGN_DIFF };
  static Region Combine(const Region& a, const Region& b, int op);
  // A region from rows of spans (each row's spans sorted or not, may overlap).
  static Region FromRows(int y0, const std::vector<std::vector<Interval>>& rows);
  static Region FromRects(const std::vector<RECT>& rects);

  // Calls fn(x0, x1) for each part of [x0, x1) on row y that lies in the region.
  template <class Fn>
  void ClipSpan(int y, int x0, int x1, Fn&& fn) const {
    const Band* band = FindBand(y);
    if (!band) return;
    for (const Interval& iv : band->xs) {
      if (iv.x1 <= x0) continue;
      if (iv.x0 >= x1) break;
      fn(iv.x0 > x0 ? iv.x0 : x0, iv.x1 < x1 ? iv.x1 : x1);
    }
  }
  const Band* FindBand(int y) const;

 private:
  void Append(int y0, int y1, std::vector<Interval>&& xs);
  std::vector<Band> bands_;
};

}  // namespace zolt::host::gdi
