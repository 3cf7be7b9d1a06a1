// The recording DC of an enhanced metafile: every graphics call made on it becomes the record
// the platform writes for it. The calls of the graphics interface start with a RecordScope;
// on a metafile DC it hands them the recorder, once per call (calls made inside another call
// on the same DC are part of the outer one and not recorded again).
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "gdi/objects.h"
#include "win32/emf.h"

namespace zolt::host::gdi {

struct DcRecorder {
  DcRecorder();
  ~DcRecorder();
  DcRecorder(const DcRecorder&) = delete;
  DcRecorder& operator=(const DcRecorder&) = delete;
  DcObj* dc = nullptr;  // the metafile DC that owns this recorder
  int depth = 0;        // calls of the graphics interface under way on the DC
  std::vector<uint8_t> bytes;
  DWORD records = 0;
  bool drew = false;
  RECT bounds{0, 0, 0, 0};  // inclusive, reference-device pixels
  std::map<HGDIOBJ, DWORD> slots;
  std::vector<bool> used{true};  // slot 0 stands for the metafile itself
  SIZE refPixels{0, 0}, refMillimeters{0, 0};
  bool frameGiven = false;
  RECT frame{};
  std::u16string description;
  std::u16string file;

  // A record of 32-bit words.
  void Words(DWORD type, std::initializer_list<uint32_t> words);
  // A record of raw payload bytes (padded to four).
  void Bytes(DWORD type, const void* payload, size_t n);
  // Adds logical points of the drawing to the bounds (pen width ignored).
  void Touch(const POINT* pts, size_t n, int grow = 0);
  void TouchBox(int l, int t, int r, int b);
  void TouchDevice(const RECT& r);
  RECTL DeviceBoundsOf(const POINT* pts, size_t n) const;
  // The inclusive device bounds of a destination rectangle, added to the bounds.
  RECTL DestBounds(int x, int y, int w, int h);

  // Objects: the slot of an object selected or used, its creation written on first use.
  bool Select(HGDIOBJ object);
  DWORD SlotOf(HGDIOBJ object);  // 0 when the object cannot be recorded
  void Deleted(HGDIOBJ object);

  // Drawing records whose layouts have variable parts.
  void Poly(DWORD type32, DWORD type16, const POINT* pts, DWORD n);
  void PolyPoly(DWORD type32, DWORD type16, const POINT* pts, const DWORD* counts, DWORD polys);
  void PolyDraw(const POINT* pts, const BYTE* types, DWORD n);
  void Text(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT n, const INT* dx);
  void Region(DWORD type, HRGN rgn, DWORD mode, HBRUSH brush, int w, int h);
  void PatternBlit(int x, int y, int w, int h, DWORD rop);
  void DcBlit(DWORD type, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop,
              const BLENDFUNCTION* blend);
  void DibBlit(DWORD type, int x, int y, int w, int h, int sx, int sy, int sw, int sh, UINT startScan, UINT lines,
               const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);
  void Gradient(const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nm, ULONG mode);
  // MaskBlt (EMR_MASKBLT) and PlgBlt (EMR_PLGBLT): the source rectangle and the mask's as DIBs.
  void MaskBlit(int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my, DWORD rop);
  void PlgBlit(const POINT* pts, HDC src, int sx, int sy, int w, int h, HBITMAP mask, int mx, int my);
};

}  // namespace zolt::host::gdi

namespace zolt::host::emf {

class RecordScope {
 public:
  explicit RecordScope(HDC hdc);
  ~RecordScope();
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;
  explicit operator bool() const { return rec_ != nullptr; }
  gdi::DcRecorder* operator->() const { return rec_; }

 private:
  gdi::DcRecorder* rec_ = nullptr;
  std::shared_ptr<gdi::DcObj> dc_;
};

// An object is being deleted: every metafile DC that recorded it writes its deletion.
void ObjectDeleted(HGDIOBJ object);

// Records the drawing of a DC into a new metafile of a reference device (its size in pixels and
// millimetres) and a frame (0.01 mm; nullptr: the bounds of what is drawn).
std::shared_ptr<gdi::DcRecorder> StartRecording(gdi::DcObj& dc, SIZE refPixels, SIZE refMillimeters, const RECT* frame);
// Records the state a DC has when its recording starts (objects, colours, modes, mapping).
void RecordState(gdi::DcRecorder& r, const gdi::DcState& st);
// The metafile of a recording (end record and header written); the recorder is spent.
std::vector<uint8_t> FinishRecording(gdi::DcRecorder& r);

}  // namespace zolt::host::emf
