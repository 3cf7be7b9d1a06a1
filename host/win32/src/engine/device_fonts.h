// The fonts a printer's module offers (DrvQueryFont, DrvQueryFontTree, DrvQueryAdvanceWidths,
// DrvQueryFontData, DrvGetGlyphMode): their names for enumeration, and their realisation when
// an application's font names one of them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "gdi/device.h"

namespace zolt::host::engine {

class DeviceFonts {
 public:
  // The module's fonts of the device (count from its DEVINFO).
  DeviceFonts(HDEV hdev, ULONG count, SIZE dpi);
  DeviceFonts(const DeviceFonts&) = delete;
  DeviceFonts& operator=(const DeviceFonts&) = delete;

  // The face (1-based) of a logical font naming one of the module's fonts, 0 when none does.
  ULONG Match(const LOGFONTW& lf);
  // The em height in pixels of a face for a logical font's height in pixels (negative: the
  // character height, positive: the cell height, 0: twelve points).
  double EmPixels(ULONG face, double height);
  // Glyph handles, advances and metrics of text in a face at an em height in pixels.
  bool Layout(ULONG face, double emPixels, std::u16string_view text, bool glyphIndexes, gdi::DeviceFontLayout& out);
  // The font object of a face at an em height (kept for the device's life).
  EngFont* Realize(ULONG face, double emPixels);
  // Enumerates the faces named by the filter; false when the callback stopped.
  bool Enumerate(const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, int* result);

 private:
  struct Face {
    IFIMETRICS* ifi = nullptr;
    std::u16string family, face;
    FD_GLYPHSET* glyphs = nullptr;
    bool glyphsAsked = false;
  };
  Face* FaceOf(ULONG face);
  FD_GLYPHSET* GlyphSet(ULONG face);
  HGLYPH GlyphOf(ULONG face, char16_t c);
  TEXTMETRICW Metrics(const Face& f, double emPixels) const;

  HDEV hdev_;
  SIZE dpi_;
  std::vector<Face> faces_;
  std::map<std::pair<ULONG, long>, std::unique_ptr<EngFont>> realized_;
};

}  // namespace zolt::host::engine
