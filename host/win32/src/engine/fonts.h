// Engine fonts handed to a module: realising one from the font mapper and its glyph bitmaps.
#pragma once

#include <memory>

#include "engine/engine.h"

namespace zolt::host::engine {

// Glyph positions handed out per STROBJ_bEnum call.
constexpr size_t kGlyphBatch = 100;

// An engine font (FONTOBJ) of a font instance of the mapper; uniq identifies the realisation.
std::unique_ptr<EngFont> MakeEngineFont(std::shared_ptr<gdi::FontInstance> instance, ULONG uniq);
// The GLYPHBITS of a glyph (cached in the font), or nullptr.
const GLYPHBITS* GlyphBitsOf(EngFont& font, HGLYPH hg);

}  // namespace zolt::host::engine
