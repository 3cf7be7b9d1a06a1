// Strings and fonts as the engine hands them to DrvTextOut, for the text tests: TrueType fonts
// of the font mapper, the module's device fonts, and strings laid out glyph by glyph.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gr_draw_support.h"
#include "win32/ddi.h"

namespace zolt::test {

using host::engine::EngFont;
using host::engine::EngString;

// A TrueType font of the mapper at `pixels` per em, turned by `tenths` of a degree.
std::unique_ptr<EngFont> TrueTypeFont(const std::u16string& face, int pixels, ULONG uniq, LONG tenths = 0);
// A device font (face 1-4 of the record's table) at `pixels` per em.
std::unique_ptr<EngFont> DeviceFont(PhysicalDevice* pdev, ULONG face, double pixels, ULONG uniq);

// A string whose glyphs stand on one baseline from `start`: TrueType glyph indices advanced by
// their widths, or (device fonts) the characters' device codes at a fixed advance.
std::unique_ptr<EngString> LayOut(EngFont& font, const std::u16string& text, POINTL start, FLONG accel = SO_HORIZONTAL,
                                  LONG fixedAdvance = 0);

// The record's text records of a call, as the buffered records.
struct TextCall {
  BRUSHOBJ fore{0x000000, nullptr, 0};
  BRUSHOBJ opaque{0xFFFFFF, nullptr, 0};
  RECTL* opaqueRect = nullptr;
  RECTL* extra = nullptr;
  MIX mix = 0x0D0D;  // R2_COPYPEN on both
};
BOOL DrawText(DrawTarget& target, EngString& s, EngFont& f, const TextCall& call = {});

// The records of one opcode among decoded records.
std::vector<blocks::DecodedRecord> OfOpcode(const std::vector<blocks::DecodedRecord>& records, int opcode);

}  // namespace zolt::test
