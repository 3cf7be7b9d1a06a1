// Rectangle helpers of the window system and MulDiv.
#include <algorithm>
#include <cstdint>

#include "win32/gdi.h"

WIN32_API BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

WIN32_API BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

WIN32_API BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

WIN32_API BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left -= dx;
  lprc->right += dx;
  lprc->top -= dy;
  lprc->bottom += dy;
  return TRUE;
}

WIN32_API BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left += dx;
  lprc->right += dx;
  lprc->top += dy;
  lprc->bottom += dy;
  return TRUE;
}

WIN32_API BOOL WINAPI IsRectEmpty(const RECT* lprc) {
  return !lprc || lprc->right <= lprc->left || lprc->bottom <= lprc->top ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  if (!lprc) return FALSE;
  return pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (IsRectEmpty(a) || IsRectEmpty(b) || a->left >= b->right || b->left >= a->right || a->top >= b->bottom ||
      b->top >= a->bottom) {
    SetRectEmpty(dst);
    return FALSE;
  }
  *dst = RECT{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
              std::min(a->bottom, b->bottom)};
  return TRUE;
}

WIN32_API BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    SetRectEmpty(dst);
    return FALSE;
  }
  if (ea) {
    *dst = *b;
    return TRUE;
  }
  if (eb) {
    *dst = *a;
    return TRUE;
  }
  *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}

WIN32_API BOOL WINAPI SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r = *a, i;
  if (IsRectEmpty(a)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  // Only a cut that leaves a rectangle changes it: b covers a whole side of a.
  if (IntersectRect(&i, a, b)) {
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  *dst = r;
  if (IsRectEmpty(dst)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  return TRUE;
}

WIN32_API int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t p = int64_t(nNumber) * nNumerator;
  int64_t d = nDenominator;
  if (d < 0) {
    p = -p;
    d = -d;
  }
  // Rounded half away from zero.
  const int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return int(q);
}
