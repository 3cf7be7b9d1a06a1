// Text layout shared by the text calls: glyphs of a string in the DC's font and their advances.
#pragma once

#include <cmath>
#include <memory>
#include <string_view>
#include <vector>

#include "gdi/draw.h"
#include "gdi/font.h"

namespace zolt::host::gdi {

struct LaidGlyph {
  FontInstance* font;
  FT_UInt index;
  int unit;  // index of the string's UTF-16 unit it stands for
};

struct TextLayout {
  std::shared_ptr<FontInstance> font;
  double scaleX = 1, scaleY = 1;  // device pixels per logical unit
  std::vector<LaidGlyph> glyphs;
  std::vector<int> advance;       // device pixels per glyph, with the DC's extra spacing
  int width = 0;                  // device pixels
  // A font of the printer's module: its face, em height and metrics (glyphs hold its handles).
  ULONG deviceFace = 0;
  double deviceEm = 0;
  TEXTMETRICW deviceTm{};

  const TEXTMETRICW& Tm() const { return deviceFace ? deviceTm : font->Metrics(); }
  double Escapement() const { return deviceFace ? 0.0 : font->Escapement(); }
};

// Lays out text (characters, or glyph indexes with `glyphIndexes`) in the DC's font.
bool LayoutText(const DcObj& dc, std::u16string_view text, bool glyphIndexes, TextLayout& out);
// Device pixels to logical units of the DC along x or y.
inline LONG ToLogical(double pixels, double scale) { return LONG(std::lround(pixels / scale)); }

}  // namespace zolt::host::gdi
