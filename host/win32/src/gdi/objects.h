// The drawing objects of the graphics interface and their handle table.
//
// Every object (pen, brush, font, bitmap, palette, region, device context) is reached through a
// handle of the table. Objects are shared: a device context holds the objects selected into it,
// so that an object deleted while selected stays alive until it is deselected, as the platform
// defers that deletion.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gdi/region.h"
#include "gdi/surface.h"
#include "win32/gdi.h"

namespace zolt::host::gdi {

// One lock for the whole graphics interface: every call takes it.
std::recursive_mutex& GdiLock();
#define GDI_LOCK() std::lock_guard<std::recursive_mutex> gdiGuard(::zolt::host::gdi::GdiLock())

struct GdiObject {
  explicit GdiObject(DWORD t) : type(t) {}
  virtual ~GdiObject() = default;
  DWORD type;             // OBJ_*
  bool stock = false;     // stock objects are never deleted
  HGDIOBJ handle = nullptr;
};

struct PenObj : GdiObject {
  PenObj() : GdiObject(OBJ_PEN) {}
  DWORD style = PS_SOLID;         // the whole style word (type, cap, join, dash style)
  DWORD width = 0;                // logical units; 0 = one pixel
  COLORREF color = 0;
  bool extended = false;          // made by ExtCreatePen (OBJ_EXTPEN)
  UINT brushStyle = BS_SOLID;     // geometric pens: the brush of the stroke
  ULONG_PTR hatch = 0;
  std::vector<DWORD> userStyle;   // PS_USERSTYLE dash lengths
  bool dcPen = false;             // the stock DC_PEN: the DC's pen colour

  DWORD DashStyle() const { return style & PS_STYLE_MASK; }
  bool Geometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC; }
};

struct BitmapObj;

struct BrushObj : GdiObject {
  BrushObj() : GdiObject(OBJ_BRUSH) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  ULONG_PTR hatch = 0;
  // Pattern brushes: a copy of the pattern's pixels and format.
  std::shared_ptr<Surface> pattern;
  std::vector<uint8_t> patternBits;
  HBITMAP patternBitmap = nullptr;  // BS_PATTERN: the bitmap the caller gave
  std::vector<uint8_t> packedDib;   // BS_DIBPATTERNPT: the caller's packed DIB
  UINT dibUsage = DIB_RGB_COLORS;
  bool dcBrush = false;             // the stock DC_BRUSH: the DC's brush colour
};

struct FontObj : GdiObject {
  FontObj() : GdiObject(OBJ_FONT) {}
  LOGFONTW lf{};
};

struct PaletteObj : GdiObject {
  PaletteObj() : GdiObject(OBJ_PAL) {}
  std::vector<PALETTEENTRY> entries;
};

struct RegionObj : GdiObject {
  RegionObj() : GdiObject(OBJ_REGION) {}
  Region rgn;
};

struct BitmapObj : GdiObject {
  BitmapObj() : GdiObject(OBJ_BITMAP) {}
  Surface surface;
  std::unique_ptr<uint8_t[]> storage;  // the bits (device bitmaps and DIB sections alike)
  size_t storageSize = 0;
  bool dib = false;                    // a DIB section
  bool bottomUp = false;               // DIB section rows stored bottom row first
  BITMAPINFOHEADER bih{};              // DIB sections: the header they were made from
  HANDLE section = nullptr;
  DWORD sectionOffset = 0;
  SIZE dimension{0, 0};                // SetBitmapDimensionEx
  HDC selectedInto = nullptr;
  // Allocates zeroed bits of rowBytes * height; false when the size does not fit.
  bool Allocate(int width, int height, int bpp, size_t rowBytes, bool bottomUpRows);
};

// A path of the DC in device coordinates (28.4 fixed point is not needed: doubles keep the
// transformed points exactly enough for every later use).
struct PathPoint {
  double x, y;
  BYTE type;  // PT_MOVETO, PT_LINETO, PT_BEZIERTO, | PT_CLOSEFIGURE
};

enum class PathState { None, Open, Closed };

// The recorder of a metafile DC (src/emf).
struct DcRecorder;
// The driver engine's drawing of a printer DC (gdi/device.h).
class DeviceDrawing;

struct DcState {
  std::shared_ptr<PenObj> pen;
  std::shared_ptr<BrushObj> brush;
  std::shared_ptr<FontObj> font;
  std::shared_ptr<PaletteObj> palette;
  std::shared_ptr<BitmapObj> bitmap;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = RGB(0, 0, 0);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int polyFillMode = ALTERNATE;
  int stretchMode = BLACKONWHITE;
  UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  int charExtra = 0;
  int breakExtra = 0, breakCount = 0;
  int arcDirection = AD_COUNTERCLOCKWISE;
  FLOAT miterLimit = 10.0f;
  int mapMode = MM_TEXT;
  POINT windowOrg{0, 0}, viewportOrg{0, 0};
  SIZE windowExt{1, 1}, viewportExt{1, 1};
  int graphicsMode = GM_COMPATIBLE;
  XFORM world{1, 0, 0, 1, 0, 0};
  POINT brushOrg{0, 0};
  POINT current{0, 0};           // current position, logical
  std::optional<Region> clip;    // the application's clip region, device coordinates
  PathState pathState = PathState::None;
  std::vector<PathPoint> path;
};

struct DcObj : GdiObject {
  DcObj() : GdiObject(OBJ_MEMDC) {}
  DcState st;
  std::vector<DcState> saved;
  bool display = false;             // the display's DC: no surface of its own
  POINT origin{0, 0};               // device origin inside the surface (window DCs)
  std::optional<Region> visible;    // the part of the surface the DC may draw (window DCs)
  int logPixelsX = 96, logPixelsY = 96;
  std::shared_ptr<DcRecorder> recorder;  // a metafile DC: what is drawn is recorded
  std::shared_ptr<DeviceDrawing> device; // a printer DC: what is drawn goes to the driver engine

  Surface* Target() const { return st.bitmap ? &st.bitmap->surface : nullptr; }
};

// The handle table.
HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> FindObject(HGDIOBJ handle);
bool RemoveObject(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> FindAs(HGDIOBJ handle, DWORD type) {
  auto o = FindObject(handle);
  if (!o || o->type != type) return nullptr;
  return std::static_pointer_cast<T>(o);
}
std::shared_ptr<DcObj> FindDc(HDC hdc);
std::shared_ptr<GdiObject> StockObject(int index);

// Pattern of the brush realised for a surface (solid colour, hatch, pattern image).
struct Paint;
Paint RealizeBrush(const DcObj& dc, const BrushObj& brush, const Surface& target);
// Pixel value of a colour on the DC's surface, with palette indexes resolved through the DC's palette.
COLORREF ResolveColor(const DcObj& dc, COLORREF color);
DWORD PixelOfColor(const DcObj& dc, const Surface& target, COLORREF color);

}  // namespace zolt::host::gdi
