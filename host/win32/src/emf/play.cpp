// Playing a metafile onto a DC: PlayEnhMetaFile, EnumEnhMetaFile and PlayEnhMetaFileRecord.
//
// The player keeps the metafile's own coordinate state (mapping mode, window, viewport, world
// transform) and sets on the target DC the one transform that takes the metafile's logical
// coordinates to the target's device: world, then the metafile's page, then the mapping of the
// picture frame onto the caller's rectangle, then the target's own transform at the start. A
// transform that keeps axes is set as the target's page (so shapes keep the compatible mode's
// rules); one that rotates or shears goes into the target's world transform. The target's state
// is saved before the first record and restored after the last; the objects the metafile made
// are deleted.
#include "emf/play.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include <uemf.h>

#include "gdi/dib.h"
#include "gdi/xform.h"
#include "win32/hostgdi.h"

namespace zolt::host::emf {

namespace {

using gdi::Matrix;

// Players running on this thread (EnumEnhMetaFile callbacks call PlayEnhMetaFileRecord).
thread_local std::vector<Player*> tActive;

Matrix PageMatrix(const PageState& s) {
  Matrix m;
  double sx = 1, sy = 1;
  if (s.mapMode != MM_TEXT && s.winExt.cx && s.winExt.cy) {
    sx = double(s.vpExt.cx) / s.winExt.cx;
    sy = double(s.vpExt.cy) / s.winExt.cy;
    if (s.mapMode == MM_ISOTROPIC) {
      const double k = std::min(std::fabs(sx), std::fabs(sy));
      sx = std::copysign(k, sx);
      sy = std::copysign(k, sy);
    }
  }
  m.m11 = sx;
  m.m22 = sy;
  m.dx = s.vpOrg.x - s.winOrg.x * sx;
  m.dy = s.vpOrg.y - s.winOrg.y * sy;
  return m;
}

// A rational approximation n / d of v with d <= 2^20, for page extents.
void Ratio(double v, LONG& n, LONG& d) {
  d = 1;
  while (d < (1 << 20) && std::fabs(v * d - std::round(v * d)) > 1e-9 * d) d <<= 1;
  const double scaled = std::round(v * d);
  if (!std::isfinite(scaled) || std::fabs(scaled) > 2e9) {
    n = v < 0 ? -2000000000 : 2000000000;
    d = 1;
    return;
  }
  n = LONG(scaled);
  if (n == 0) n = v < 0 ? -1 : 1;
}

bool Finite(const XFORM& x) {
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22) &&
         std::isfinite(x.eDx) && std::isfinite(x.eDy);
}


}  // namespace

// ---------------------------------------------------------------------------------------------

Player::Player(HDC hdc, std::span<const uint8_t> bits, HENHMETAFILE hmf, const RECT* rect) : hdc_(hdc), bits_(bits) {
  header_ = ReadHeader(bits);
  own_.assign(std::max<size_t>(1, header_.nHandles), nullptr);
  own_[0] = static_cast<HGDIOBJ>(hmf);
  table_ = own_.data();
  count_ = own_.size();
  // The target's starting transform and clip.
  auto dc = gdi::FindDc(hdc);
  if (dc) {
    start_ = gdi::LogicalToDevice(dc->st);
    if (dc->st.clip) {
      initialClip_ = CreateRectRgn(0, 0, 0, 0);
      GetClipRgn(hdc, initialClip_);
    }
  }
  base_ = FrameToRect(rect).Then(start_);
}

Player::Player(HDC hdc, HANDLETABLE* table, UINT count) : hdc_(hdc), table_(table->objectHandle), count_(count), lone_(true) {
  header_.szlDevice = SIZEL{1, 1};
  header_.szlMillimeters = SIZEL{1, 1};
  if (auto dc = gdi::FindDc(hdc)) start_ = gdi::LogicalToDevice(dc->st);
  base_ = start_;
}

Player::~Player() {
  if (lone_) return;
  if (saveLevel_) RestoreDC(hdc_, saveLevel_);
  for (size_t i = 1; i < count_; ++i)
    if (table_[i]) DeleteObject(table_[i]);
  if (initialClip_) DeleteObject(initialClip_);
}

Matrix Player::FrameToRect(const RECT* rect) const {
  Matrix m;
  if (!rect) return m;
  const ENHMETAHEADER& h = header_;
  // The frame in reference-device pixels, rounded to whole pixels.
  double fl = 0, ft = 0, fr = 0, fb = 0;
  const bool frameValid = h.rclFrame.right > h.rclFrame.left && h.rclFrame.bottom > h.rclFrame.top;
  const bool boundsValid = h.rclBounds.right >= h.rclBounds.left && h.rclBounds.bottom >= h.rclBounds.top;
  const bool scaleKnown = h.szlDevice.cx > 0 && h.szlDevice.cy > 0 && h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0;
  if (frameValid && scaleKnown) {
    const double kx = double(h.szlDevice.cx) / (h.szlMillimeters.cx * 100.0);
    const double ky = double(h.szlDevice.cy) / (h.szlMillimeters.cy * 100.0);
    fl = std::round(h.rclFrame.left * kx);
    ft = std::round(h.rclFrame.top * ky);
    fr = std::round(h.rclFrame.right * kx);
    fb = std::round(h.rclFrame.bottom * ky);
    // Writers that put the frame in pixels rather than .01 mm: the frame then matches the
    // bounds in pixels and would shrink the picture to a few pixels.
    const LONG bw = h.rclBounds.right - h.rclBounds.left, fw = h.rclFrame.right - h.rclFrame.left;
    const LONG bh = h.rclBounds.bottom - h.rclBounds.top, fh = h.rclFrame.bottom - h.rclFrame.top;
    if (boundsValid && bw > 0 && kx < 0.5 && std::abs(bw - fw) <= 1 && std::abs(bh - fh) <= 1 &&
        h.rclBounds.left == h.rclFrame.left && h.rclBounds.top == h.rclFrame.top) {
      fl = h.rclFrame.left;
      ft = h.rclFrame.top;
      fr = h.rclFrame.right;
      fb = h.rclFrame.bottom;
    }
  } else if (boundsValid) {
    fl = h.rclBounds.left;
    ft = h.rclBounds.top;
    fr = double(h.rclBounds.right) + 1;
    fb = double(h.rclBounds.bottom) + 1;
  }
  if (fr <= fl || fb <= ft) {
    m.dx = rect->left;
    m.dy = rect->top;
    return m;
  }
  m.m11 = (double(rect->right) - rect->left) / (fr - fl);
  m.m22 = (double(rect->bottom) - rect->top) / (fb - ft);
  m.dx = rect->left - fl * m.m11;
  m.dy = rect->top - ft * m.m22;
  return m;
}

bool Player::Begin() {
  saveLevel_ = SaveDC(hdc_);
  if (!saveLevel_) return false;
  // The metafile starts with the default attributes of a DC.
  SelectObject(hdc_, GetStockObject(BLACK_PEN));
  SelectObject(hdc_, GetStockObject(WHITE_BRUSH));
  SelectObject(hdc_, GetStockObject(SYSTEM_FONT));
  SetBkColor(hdc_, RGB(255, 255, 255));
  SetTextColor(hdc_, RGB(0, 0, 0));
  SetBkMode(hdc_, OPAQUE);
  SetROP2(hdc_, R2_COPYPEN);
  SetPolyFillMode(hdc_, ALTERNATE);
  SetStretchBltMode(hdc_, BLACKONWHITE);
  SetTextAlign(hdc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  SetArcDirection(hdc_, AD_COUNTERCLOCKWISE);
  MoveToEx(hdc_, 0, 0, nullptr);
  ApplyTransform();
  tActive.push_back(this);
  return true;
}

void Player::End() {
  auto it = std::find(tActive.begin(), tActive.end(), this);
  if (it != tActive.end()) tActive.erase(it);
}

Player* Player::ActiveFor(const HANDLETABLE* table) {
  for (auto it = tActive.rbegin(); it != tActive.rend(); ++it)
    if ((*it)->Table() == table) return *it;
  return nullptr;
}

void Player::ApplyTransform() {
  const Matrix world = gdi::ToMatrix(st_.world);
  const Matrix total = world.Then(PageMatrix(st_.page)).Then(base_);
  if (total.IsAxisAligned()) {
    ModifyWorldTransform(hdc_, nullptr, MWT_IDENTITY);
    SetGraphicsMode(hdc_, GM_COMPATIBLE);
    SetMapMode(hdc_, MM_ANISOTROPIC);
    LONG nx, dx, ny, dy;
    Ratio(total.m11, nx, dx);
    Ratio(total.m22, ny, dy);
    SetWindowOrgEx(hdc_, 0, 0, nullptr);
    SetWindowExtEx(hdc_, dx, dy, nullptr);
    SetViewportExtEx(hdc_, nx, ny, nullptr);
    const double ox = std::clamp(std::round(total.dx), -2e9, 2e9), oy = std::clamp(std::round(total.dy), -2e9, 2e9);
    SetViewportOrgEx(hdc_, int(ox), int(oy), nullptr);
    return;
  }
  SetGraphicsMode(hdc_, GM_ADVANCED);
  SetMapMode(hdc_, MM_TEXT);
  SetWindowOrgEx(hdc_, 0, 0, nullptr);
  SetViewportOrgEx(hdc_, 0, 0, nullptr);
  const XFORM x = gdi::ToXform(total);
  if (Finite(x)) SetWorldTransform(hdc_, &x);
}

void Player::SetMapModeState(int mode) {
  PageState& p = st_.page;
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
  const int old = p.mapMode;
  p.mapMode = mode;
  const ENHMETAHEADER& h = header_;
  const LONG devX = h.szlDevice.cx > 0 ? h.szlDevice.cx : 1, devY = h.szlDevice.cy > 0 ? h.szlDevice.cy : 1;
  const double mmX = h.szlMillimeters.cx > 0 ? h.szlMillimeters.cx : 1, mmY = h.szlMillimeters.cy > 0 ? h.szlMillimeters.cy : 1;
  double units = 0;  // logical units per millimetre of the fixed modes
  switch (mode) {
    case MM_LOMETRIC: units = 10; break;
    case MM_HIMETRIC: units = 100; break;
    case MM_LOENGLISH: units = 100 / 25.4; break;
    case MM_HIENGLISH: units = 1000 / 25.4; break;
    case MM_TWIPS: units = 1440 / 25.4; break;
    case MM_ISOTROPIC:
      if (old != MM_ANISOTROPIC) {
        // Isotropic starts from the extents of the metric mode one unit to a tenth of a millimetre.
        p.winExt = SIZE{LONG(std::lround(mmX * 10)), LONG(std::lround(mmY * 10))};
        p.vpExt = SIZE{devX, -devY};
      }
      return;
    default: return;
  }
  p.winExt = SIZE{LONG(std::lround(mmX * units)), LONG(std::lround(mmY * units))};
  p.vpExt = SIZE{devX, -devY};
}

bool Player::SlotOk(DWORD index) const { return index > 0 && index < count_; }

void Player::Store(DWORD index, HGDIOBJ object) {
  if (!SlotOk(index)) {
    if (object) DeleteObject(object);
    return;
  }
  if (table_[index]) DeleteObject(table_[index]);
  table_[index] = object;
}

HRGN Player::RegionOf(const uint8_t* data, DWORD cb) {
  // Region data of a record: reference-device pixels, moved onto the target's device.
  if (cb < sizeof(RGNDATAHEADER)) return nullptr;
  const auto rdh = Load<RGNDATAHEADER>(data);
  if (rdh.dwSize != sizeof(RGNDATAHEADER) || rdh.iType != RDH_RECTANGLES ||
      uint64_t(rdh.nCount) * sizeof(RECT) > cb - sizeof(RGNDATAHEADER))
    return nullptr;
  std::vector<uint8_t> copy(data, data + sizeof(RGNDATAHEADER) + size_t(rdh.nCount) * sizeof(RECT));
  const Matrix toDevice = base_;
  const XFORM x = gdi::ToXform(toDevice);
  if (!Finite(x)) return nullptr;
  const bool identity = x.eM11 == 1 && x.eM22 == 1 && x.eM12 == 0 && x.eM21 == 0 && x.eDx == 0 && x.eDy == 0;
  return ExtCreateRegion(identity ? nullptr : &x, DWORD(copy.size()), reinterpret_cast<const RGNDATA*>(copy.data()));
}

void Player::KeepInsideStart() {
  if (initialClip_) ExtSelectClipRgn(hdc_, initialClip_, RGN_AND);
}

// ---------------------------------------------------------------------------------------------

bool Player::PlayAll(ENHMFENUMPROC proc, LPARAM param) {
  if (!HeaderSound(bits_)) return false;
  RecordWalker walker(bits_);
  RecordRef r;
  bool ok = true;
  for (;;) {
    const Walk w = walker.Next(r);
    if (w == Walk::End) break;
    if (w == Walk::Damaged || !RecordSound(r)) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    if (proc) {
      // The callback sees the record as checked (an end record's size as it stands in the data).
      if (!proc(hdc_, Table(), reinterpret_cast<const ENHMETARECORD*>(r.p), int(count_), param)) return false;
    } else if (!Play(r)) {
      ok = false;
    }
    if (damaged_) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
  }
  return ok;
}

}  // namespace zolt::host::emf

using namespace zolt::host;
using namespace zolt::host::emf;

namespace {

BOOL PlayWith(HDC hdc, HENHMETAFILE hmf, ENHMFENUMPROC proc, LPVOID param, const RECT* rect) {
  std::vector<uint8_t> bits;
  {
    GDI_LOCK();
    auto mf = FindMetaFile(hmf);
    if (!mf) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    bits = mf->bits;  // callbacks may delete the metafile
  }
  if (!gdi::FindDc(hdc)) {
    if (!proc) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    // EnumEnhMetaFile without a DC only walks the records.
    Player player(nullptr, bits, hmf, nullptr);
    return player.PlayAll(proc, LPARAM(param)) ? TRUE : FALSE;
  }
  Player player(hdc, bits, hmf, rect);
  if (!player.Begin()) return FALSE;
  const bool ok = player.PlayAll(proc, LPARAM(param));
  player.End();
  return ok ? TRUE : FALSE;
}

}  // namespace

WIN32_API BOOL WINAPI PlayEnhMetaFile(HDC hdc, HENHMETAFILE hmf, const RECT* lprect) {
  return PlayWith(hdc, hmf, nullptr, nullptr, lprect);
}

WIN32_API BOOL WINAPI EnumEnhMetaFile(HDC hdc, HENHMETAFILE hmf, ENHMFENUMPROC proc, LPVOID param, const RECT* lpRect) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return PlayWith(hdc, hmf, proc, param, lpRect);
}

WIN32_API BOOL WINAPI PlayEnhMetaFileRecord(HDC hdc, LPHANDLETABLE pht, const ENHMETARECORD* pmr, UINT cht) {
  if (!pmr || !pht) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RecordRef r;
  r.p = reinterpret_cast<const uint8_t*>(pmr);
  r.type = pmr->iType;
  r.size = pmr->nSize;
  if (r.size < 8 || r.size % 4 != 0 || !RecordSound(r)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  if (Player* p = Player::ActiveFor(pht); p && p->Target() == hdc) return p->Play(r) ? TRUE : FALSE;
  // Outside an enumeration: the record plays with the caller's table and the DC as it stands.
  Player lone(hdc, pht, cht);
  return lone.Play(r) ? TRUE : FALSE;
}
