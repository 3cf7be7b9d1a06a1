// The metafile player: the state of one playback of a metafile onto a DC.
#pragma once

#include <span>
#include <vector>

#include "emf/metafile.h"
#include "gdi/xform.h"

namespace zolt::host::emf {

// The metafile's own page: mapping mode, window and viewport, in reference-device pixels.
struct PageState {
  int mapMode = MM_TEXT;
  POINT winOrg{0, 0}, vpOrg{0, 0};
  SIZE winExt{1, 1}, vpExt{1, 1};
};

struct CoordState {
  PageState page;
  XFORM world{1, 0, 0, 1, 0, 0};
};

class Player {
 public:
  // A playback of `bits` (header checked by the caller or by PlayAll) onto hdc, the picture
  // frame mapped onto `rect` (nullptr: reference pixels onto the DC's logical units unchanged).
  Player(HDC hdc, std::span<const uint8_t> bits, HENHMETAFILE hmf, const RECT* rect);
  // A single record played outside an enumeration, with the caller's handle table.
  Player(HDC hdc, HANDLETABLE* table, UINT count);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool Begin();
  void End();
  // Plays (or hands to proc) every record up to the end record; false at damage or when a
  // record failed to play.
  bool PlayAll(ENHMFENUMPROC proc, LPARAM param);
  // Plays one checked record.
  bool Play(const RecordRef& r);
  // A record whose counts or offsets do not fit: playing stops there.
  bool Damaged() const { return damaged_; }

  HDC Target() const { return hdc_; }
  HANDLETABLE* Table() { return reinterpret_cast<HANDLETABLE*>(table_); }
  static Player* ActiveFor(const HANDLETABLE* table);

 private:
  gdi::Matrix FrameToRect(const RECT* rect) const;
  void ApplyTransform();
  void SetMapModeState(int mode);
  bool SlotOk(DWORD index) const;
  void Store(DWORD index, HGDIOBJ object);
  HRGN RegionOf(const uint8_t* data, DWORD cb);
  void KeepInsideStart();

  bool PlayText(const RecordRef& r, bool wide);
  bool PlayPolyText(const RecordRef& r, bool wide);
  bool PlaySmallText(const RecordRef& r);
  bool PlayTextRun(const uint8_t* rec, DWORD size, const uint8_t* emrtext, bool wide, bool hasRect);
  bool PlayPoly(const RecordRef& r, bool small);
  bool PlayPolyPoly(const RecordRef& r, bool small);
  bool PlayPolyDraw(const RecordRef& r, bool small);
  bool PlayDibBlit(const RecordRef& r);
  bool PlayAlphaBlend(const RecordRef& r);
  bool PlayTransparentBlt(const RecordRef& r);
  bool PlayPlgBlt(const RecordRef& r);
  bool PlayObject(const RecordRef& r);
  bool PlayRegion(const RecordRef& r);

  HDC hdc_;
  std::span<const uint8_t> bits_;
  ENHMETAHEADER header_{};
  std::vector<HGDIOBJ> own_;
  HGDIOBJ* table_ = nullptr;
  size_t count_ = 0;
  bool lone_ = false;
  gdi::Matrix start_, base_;
  bool Damage() {
    damaged_ = true;
    return false;
  }

  HRGN initialClip_ = nullptr;
  bool damaged_ = false;
  int saveLevel_ = 0;
  CoordState st_;
  std::vector<CoordState> saved_;
};

}  // namespace zolt::host::emf
