// The font mapper: logical fonts to installed fonts (through fontconfig, with a table of the
// face names applications use), realised with FreeType at the size of the DC.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gdi/objects.h"

namespace zolt::host::gdi {

struct MappedFont {
  std::string family;     // installed family
  std::string file;
  int index = 0;
  bool bold = false, italic = false;  // of the installed face
  BYTE pitchAndFamily = 0;
  BYTE charSet = ANSI_CHARSET;
  std::u16string faceName;  // what GetTextFaceW reports: the requested face when it mapped
};

// Maps a logical font; false when no installed font can stand for it.
bool MapFont(const LOGFONTW& lf, MappedFont& out);

class FontInstance;

struct Glyph {
  int advance = 0;          // pixels along the baseline
  long advX = 0, advY = 0;  // the advance as a vector in 26.6 pixels (y down), for rotated text
  int left = 0, top = 0;    // bitmap origin from the pen position (top: above the baseline)
  int width = 0, height = 0;
  int pitch = 0;
  std::vector<uint8_t> bits;  // 1 bit per pixel rows, bit 7 leftmost
  ABC abc{};
};

// A logical font at the pixel size of one DC.
class FontInstance {
 public:
  ~FontInstance();
  static std::shared_ptr<FontInstance> Create(const LOGFONTW& lf, double ppemY, double heightScale);

  const TEXTMETRICW& Metrics() const { return tm_; }
  const MappedFont& Mapped() const { return mapped_; }
  FT_Face Face() const { return face_; }
  double Ppem() const { return ppem_; }
  // Glyph index of a character (0 when the font has none).
  FT_UInt GlyphIndex(char32_t c) const;
  // The hinted glyph (cached).
  const Glyph* GetGlyph(FT_UInt index);
  // The font that stands in for characters this one lacks (a Japanese font), or nullptr.
  FontInstance* Fallback();
  double Escapement() const { return escapement_; }  // radians, counter-clockwise
  int underlinePosition = 0, underlineThickness = 1;  // pixels below the baseline, thickness
  int strikeoutPosition = 0, strikeoutThickness = 1;  // pixels above the baseline

 private:
  FT_Face face_ = nullptr;
  MappedFont mapped_;
  double ppem_ = 0;
  TEXTMETRICW tm_{};
  bool emboldened_ = false;
  double escapement_ = 0;
  LOGFONTW lf_{};
  double heightPixels_ = 0;
  bool fallbackTried_ = false;
  std::shared_ptr<FontInstance> fallback_;
  std::unordered_map<FT_UInt, Glyph> glyphs_;
};

// The DC's font realised for its transform; the scale turns device pixels back to logical units
// (logical = device / scale).
std::shared_ptr<FontInstance> RealizeFont(const DcObj& dc, double* scaleX = nullptr, double* scaleY = nullptr);

}  // namespace zolt::host::gdi
