// Region arithmetic: a sweep over the rows where either operand changes, combining the
// intervals of both in each band.
#include "gdi/region.h"

#include <algorithm>
#include <climits>

namespace zolt::host::gdi {

namespace {

std::vector<Interval> CombineIntervals(const std::vector<Interval>* a, const std::vector<Interval>* b, int op) {
  static const std::vector<Interval> kNone;
  const std::vector<Interval>& A = a ? *a : kNone;
  const std::vector<Interval>& B = b ? *b : kNone;
  // Boundary sweep: every x where membership in A or B changes.
  std::vector<int> xs;
  xs.reserve(2 * (A.size() + B.size()));
  for (const Interval& i : A) {
    xs.push_back(i.x0);
    xs.push_back(i.x1);
  }
  for (const Interval& i : B) {
    xs.push_back(i.x0);
    xs.push_back(i.x1);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::vector<Interval> out;
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < xs.size(); ++k) {
    const int x = xs[k];
    while (ia < A.size() && A[ia].x1 <= x) ++ia;
    while (ib < B.size() && B[ib].x1 <= x) ++ib;
    const bool inA = ia < A.size() && A[ia].x0 <= x;
    const bool inB = ib < B.size() && B[ib].x0 <= x;
    bool in = false;
    switch (op) {
      case RGN_AND: in = inA && inB; break;
      case RGN_OR: in = inA || inB; break;
      case RGN_XOR: in = inA != inB; break;
      case RGN_DIFF: in = inA && !inB; break;
    }
    if (!in) continue;
    if (!out.empty() && out.back().x1 == x)
      out.back().x1 = xs[k + 1];
    else
      out.push_back({x, xs[k + 1]});
  }
  return out;
}

}  // namespace

void Region::SetRect(const RECT& r) {
  bands_.clear();
  const int l = std::min(r.left, r.right), rr = std::max(r.left, r.right);
  const int t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
  if (l < rr && t < b) bands_.push_back({t, b, {{l, rr}}});
}

RECT Region::Box() const {
  if (bands_.empty()) return RECT{0, 0, 0, 0};
  RECT box{INT_MAX, bands_.front().y0, INT_MIN, bands_.back().y1};
  for (const Band& b : bands_) {
    box.left = std::min(box.left, b.xs.front().x0);
    box.right = std::max(box.right, b.xs.back().x1);
  }
  return box;
}

int Region::Complexity() const {
  if (bands_.empty()) return NULLREGION;
  if (bands_.size() == 1 && bands_[0].xs.size() == 1) return SIMPLEREGION;
  return COMPLEXREGION;
}

const Band* Region::FindBand(int y) const {
  auto it = std::upper_bound(bands_.begin(), bands_.end(), y, [](int v, const Band& b) { return v < b.y1; });
  if (it == bands_.end() || it->y0 > y) return nullptr;
  return &*it;
}

bool Region::Contains(int x, int y) const {
  const Band* b = FindBand(y);
  if (!b) return false;
  for (const Interval& i : b->xs)
    if (x >= i.x0 && x < i.x1) return true;
  return false;
}

bool Region::Intersects(const RECT& r) const {
  const int l = std::min(r.left, r.right), rr = std::max(r.left, r.right);
  const int t = std::min(r.top, r.bottom), bt = std::max(r.top, r.bottom);
  for (const Band& b : bands_) {
    if (b.y1 <= t) continue;
    if (b.y0 >= bt) break;
    for (const Interval& i : b.xs)
      if (i.x1 > l && i.x0 < rr) return true;
  }
  return false;
}

void Region::Offset(int dx, int dy) {
  for (Band& b : bands_) {
    b.y0 += dy;
    b.y1 += dy;
    for (Interval& i : b.xs) {
      i.x0 += dx;
      i.x1 += dx;
    }
  }
}

bool Region::operator==(const Region& other) const {
  if (bands_.size() != other.bands_.size()) return false;
  for (size_t i = 0; i < bands_.size(); ++i) {
    const Band &a = bands_[i], &b = other.bands_[i];
    if (a.y0 != b.y0 || a.y1 != b.y1 || a.xs != b.xs) return false;
  }
  return true;
}

std::vector<RECT> Region::Rects() const {
  std::vector<RECT> out;
  for (const Band& b : bands_)
    for (const Interval& i : b.xs) out.push_back(RECT{i.x0, b.y0, i.x1, b.y1});
  return out;
}

void Region::Append(int y0, int y1, std::vector<Interval>&& xs) {
  if (y0 >= y1 || xs.empty()) return;
  if (!bands_.empty() && bands_.back().y1 == y0 && bands_.back().xs == xs) {
    bands_.back().y1 = y1;
    return;
  }
  bands_.push_back({y0, y1, std::move(xs)});
}

Region Region::Combine(const Region& a, const Region& b, int op) {
  Region out;
  std::vector<int> ys;
  for (const Band& band : a.bands_) {
    ys.push_back(band.y0);
    ys.push_back(band.y1);
  }
  for (const Band& band : b.bands_) {
    ys.push_back(band.y0);
    ys.push_back(band.y1);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const int y = ys[k];
    while (ia < a.bands_.size() && a.bands_[ia].y1 <= y) ++ia;
    while (ib < b.bands_.size() && b.bands_[ib].y1 <= y) ++ib;
    const std::vector<Interval>* xa = ia < a.bands_.size() && a.bands_[ia].y0 <= y ? &a.bands_[ia].xs : nullptr;
    const std::vector<Interval>* xb = ib < b.bands_.size() && b.bands_[ib].y0 <= y ? &b.bands_[ib].xs : nullptr;
    if (!xa && !xb) continue;
    out.Append(y, ys[k + 1], CombineIntervals(xa, xb, op));
  }
  return out;
}

Region Region::FromRows(int y0, const std::vector<std::vector<Interval>>& rows) {
  Region out;
  for (size_t r = 0; r < rows.size(); ++r) {
    std::vector<Interval> xs = rows[r];
    std::sort(xs.begin(), xs.end(), [](const Interval& p, const Interval& q) { return p.x0 < q.x0; });
    std::vector<Interval> merged;
    for (const Interval& i : xs) {
      if (i.x0 >= i.x1) continue;
      if (!merged.empty() && i.x0 <= merged.back().x1)
        merged.back().x1 = std::max(merged.back().x1, i.x1);
      else
        merged.push_back(i);
    }
    out.Append(y0 + int(r), y0 + int(r) + 1, std::move(merged));
  }
  return out;
}

Region Region::FromRects(const std::vector<RECT>& rects) {
  Region out;
  for (const RECT& r : rects) out = Combine(out, Region(r), RGN_OR);
  return out;
}

}  // namespace zolt::host::gdi
