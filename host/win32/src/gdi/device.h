// The drawing of a printer DC: instead of painting a surface, the graphics interface hands each
// call to the driver engine (src/engine/device_drawing.cpp) in device pixels, and the engine
// calls the printer's graphics module (or draws itself) as the platform's engine does.
//
// Calls that have no engine entry of their own are drawn by the raster on the DC's scratch
// page, which stays white between calls; the engine hands what they drew to the module before
// the next call it handles itself, and at the end of the page.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gdi/draw.h"
#include "gdi/effects.h"
#include "gdi/outline.h"

namespace zolt::host::gdi {

class FontInstance;

// A block transfer in surface pixels: the destination corners (mirrored when x1 < x0 or
// y1 < y0), the source rectangle of the source surface (negative extents mirror), the codes
// of the foreground (bits 16-23) and, with a mask, background (bits 24-31) operations.
struct DeviceBlit {
  double dx0 = 0, dy0 = 0, dx1 = 0, dy1 = 0;
  const Surface* src = nullptr;
  const std::vector<uint8_t>* written = nullptr;  // run-length images: the pixels the runs set
  COLORREF srcBkColor = RGB(255, 255, 255);
  int sx = 0, sy = 0, sw = 0, sh = 0;
  DWORD rop = 0;
  const Surface* mask = nullptr;
  int mx = 0, my = 0;
  int stretchMode = COLORONCOLOR;
  const BrushObj* brush = nullptr;  // the pattern (nullptr: the DC's brush)
  const Region* clip = nullptr;     // the pixels drawn (nullptr: the DC's clip)
};

// A run of glyphs of one font: positions on the baseline in surface pixels.
struct DeviceGlyphRun {
  std::shared_ptr<FontInstance> font;
  std::vector<UINT> glyphs;
  std::vector<POINT> at;
};

struct DeviceText {
  std::vector<DeviceGlyphRun> runs;
  std::u16string text;
  bool haveOpaque = false;
  RECT opaque{};               // the opaque rectangle (or the character cells), surface pixels
  std::vector<RECT> extra;     // underlines and strike-outs
  RECT background{};           // the text's box
  bool horizontal = true;
  bool defaultPlacement = true;
  LOGFONTW logFont{};
  int ppemY = 0;               // the font's height in pixels
  double escapement = 0;       // radians
  ULONG deviceFace = 0;        // a font of the module (runs hold its glyph handles), or 0
  double emPixels = 0;         // the device font's em height in pixels
};

// Text laid out in a font the module offers: its glyph handles, advances in pixels and the
// font's metrics in pixels.
struct DeviceFontLayout {
  ULONG face = 0;
  double emPixels = 0;
  TEXTMETRICW tm{};
  std::vector<UINT> glyphs;
  std::vector<int> advance;
};

class DeviceDrawing {
 public:
  virtual ~DeviceDrawing() = default;
  // Figures in surface pixels with the DC's brush, pen, or both (the fill first).
  virtual bool Fill(DrawCtx& d, const Shape& shape, bool winding) = 0;
  virtual bool Stroke(DrawCtx& d, const Shape& shape) = 0;
  virtual bool StrokeAndFill(DrawCtx& d, const Shape& shape, bool winding) = 0;
  // A block transfer with the DC's brush as pattern.
  virtual bool Blit(DrawCtx& d, const DeviceBlit& blit) = 0;
  // AlphaBlend, GradientFill, TransparentBlt or PlgBlt within the DC's clip.
  virtual bool Effect(DrawCtx& d, const DeviceEffect& effect) = 0;
  // Text with the DC's text and background colours.
  virtual bool Text(DrawCtx& d, const DeviceText& text) = 0;
  // Text in the DC's font when that is a font of the module (false: it is not).
  virtual bool LayoutDeviceFont(const DcObj& dc, std::u16string_view text, bool glyphIndexes, double scaleY,
                                DeviceFontLayout& out) = 0;
  // The module's fonts named by the filter (all of them without a face name) for an
  // enumeration; false when the callback stopped it (its result in *result).
  virtual bool EnumDeviceFonts(const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, int* result) = 0;
};

// The device of a DC's drawing, or nullptr for a DC that paints its surface.
inline DeviceDrawing* DeviceOf(const DrawCtx& d) { return d.dc ? d.dc->device.get() : nullptr; }

}  // namespace zolt::host::gdi
