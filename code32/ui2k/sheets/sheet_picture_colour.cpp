// Colours of sample pictures: the six adjustments (luminance, contrast, colour strength, red,
// green, blue) and the logical palette of palette displays.
#include <algorithm>
#include <mutex>

#include "sheet_pictures_internal.h"
#include "sheet_resources.h"

namespace {

// The curve of luminance and colour strength: k > 0 lifts, k < 0 lowers, 0 keeps.
int Curve(int value, int k) { return value > 128 ? ((128 - k) * value + 255 * k) / 128 : (128 + k) * value / 128; }

int Clamp(int value) { return std::clamp(value, 0, 255); }

struct DisplayPalette {
  std::mutex lock;
  bool tested = false;
  bool paletteDisplay = false;
  PALETTEENTRY entries[256] = {};
  HPALETTE palette = nullptr;
};

DisplayPalette& ThePalette() {
  static auto* palette = new DisplayPalette;  // lives until the process ends
  return *palette;
}

}  // namespace

COLORREF UiAdjustColourBy(const int32_t* v, COLORREF colour, int grey) {
  if (!v || std::all_of(v, v + kColourAdjustCount, [](int32_t value) { return value == 50; })) return colour;
  int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  int y = (30 * r + 59 * g + 11 * b) / 100;
  const int lum = v[kAdjustLuminance], con = v[kAdjustContrast], str = v[kAdjustStrength];
  if (lum != 50 || str != 50) {
    int dr = r - y, db = b - y;
    if (lum != 50) y = Curve(y, 3 * (lum - 50) / 2);
    if (str != 50) {
      const int k = 3 * (str - 50) / 2;
      dr = Curve(dr, k);
      db = Curve(db, k);
    }
    r = std::max(y + dr, 0);
    g = std::max(y - 30 * dr / 59 - 11 * db / 59, 0);
    b = std::max(y + db, 0);
  }
  if (grey) {
    r = g = b = y;
  } else {
    r += v[kAdjustRed] - 50;
    g += v[kAdjustGreen] - 50;
    b += v[kAdjustBlue] - 50;
  }
  if (con != 50) {
    r = (2 * con + 156) * r / 256 + 50 - con;
    g = (2 * con + 156) * g / 256 + 50 - con;
    b = (2 * con + 156) * b / 256 + 50 - con;
  }
  return RGB(Clamp(r), Clamp(g), Clamp(b));
}

COLORREF UiAdjustColour(DriverContext* ctx, COLORREF colour, int grey) {
  const UiComposition* c = UiCompositionOf(ctx);
  if (!c || std::all_of(c->colourAdjust, c->colourAdjust + kColourAdjustCount, [](int32_t v) { return v == 0; }))
    return colour;
  return UiAdjustColourBy(c->colourAdjust, colour, grey);
}

HPALETTE UiPaletteEntry(HDC dc, int index, COLORREF colour) {
  DisplayPalette& p = ThePalette();
  std::lock_guard<std::mutex> lock(p.lock);
  if (!p.tested) {
    p.tested = true;
    if (HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr)) {
      p.paletteDisplay = GetNearestColor(display, 0xFF3333) != 0xFF3333;
      DeleteDC(display);
    }
  }
  if (!dc) return reinterpret_cast<HPALETTE>(static_cast<ULONG_PTR>(p.paletteDisplay ? 1 : 0));
  if (!p.paletteDisplay) return nullptr;
  if (index >= 0) {
    if (index < 256) p.entries[index] = PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), 0};
    return nullptr;
  }
  if (!p.palette) {
    struct {
      WORD version;
      WORD count;
      PALETTEENTRY entries[256];
    } logical{0x300, 256, {}};
    std::copy(p.entries, p.entries + 256, logical.entries);
    p.palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical));
  } else {
    SetPaletteEntries(p.palette, 0, 256, p.entries);
  }
  if (!p.palette) return nullptr;
  HPALETTE previous = SelectPalette(dc, p.palette, FALSE);
  RealizePalette(dc);
  return previous;
}
