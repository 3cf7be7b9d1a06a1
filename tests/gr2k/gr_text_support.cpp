#include "gr_text_support.h"

#include <cmath>

#include "engine/fonts.h"
#include "gdi/font.h"
#include "gr_device_fonts.h"
#include "gr_text_out.h"

namespace zolt::test {

std::unique_ptr<EngFont> TrueTypeFont(const std::u16string& face, int pixels, ULONG uniq, LONG tenths) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfEscapement = lf.lfOrientation = tenths;
  lf.lfCharSet = DEFAULT_CHARSET;
  for (size_t i = 0; i < face.size() && i < 31; ++i) lf.lfFaceName[i] = face[i];
  auto instance = host::gdi::FontInstance::Create(lf, pixels, 0);
  if (!instance) return nullptr;
  return host::engine::MakeEngineFont(instance, uniq);
}

std::unique_ptr<EngFont> DeviceFont(PhysicalDevice* pdev, ULONG face, double pixels, ULONG uniq) {
  auto f = std::make_unique<EngFont>();
  f->fo.iUniq = uniq;
  f->fo.iFace = face;
  f->fo.flFontType = FO_TYPE_DEVICE;
  f->ifi = DrvQueryFont(reinterpret_cast<DHPDEV>(pdev), 0, face, nullptr);
  f->glyphSet = static_cast<FD_GLYPHSET*>(DrvQueryFontTree(reinterpret_cast<DHPDEV>(pdev), 0, face, QFT_GLYPHSET, nullptr));
  const FLOATL s = FLOATL(pixels / 1000);
  f->xform.m = XFORML{s, 0, 0, s, 0, 0};
  return f;
}

namespace {

HGLYPH DeviceCode(const FD_GLYPHSET* set, WCHAR c) {
  for (ULONG r = 0; set && r < set->cRuns; ++r) {
    const WCRUN& run = set->awcrun[r];
    if (c >= run.wcLow && c < run.wcLow + run.cGlyphs) return run.phg[c - run.wcLow];
  }
  return 0;
}

}  // namespace

std::unique_ptr<EngString> LayOut(EngFont& font, const std::u16string& text, POINTL start, FLONG accel,
                                  LONG fixedAdvance) {
  auto s = std::make_unique<EngString>();
  s->text = text;
  LONG along = 0, ascent = 10, descent = 3;
  if (font.instance) {
    ascent = font.instance->Metrics().tmAscent;
    descent = font.instance->Metrics().tmDescent;
  }
  const bool vertical = accel & SO_VERTICAL;
  for (char16_t c : text) {
    HGLYPH hg;
    LONG advance = fixedAdvance;
    if (font.instance) {
      hg = font.instance->GlyphIndex(c);
      if (!advance) {
        const auto* g = font.instance->GetGlyph(hg);
        advance = g ? g->advance : 0;
      }
    } else {
      hg = DeviceCode(font.glyphSet, c);
    }
    const POINTL at = vertical ? POINTL{start.x, start.y + along} : POINTL{start.x + along, start.y};
    s->glyphs.push_back(GLYPHPOS{hg, nullptr, at});
    along += advance;
  }
  s->so.cGlyphs = ULONG(text.size());
  s->so.flAccel = accel;
  s->so.ulCharInc = (accel & SO_FLAG_DEFAULT_PLACEMENT) ? ULONG(fixedAdvance) : 0;
  s->so.rclBkGround = vertical ? RECTL{start.x - ascent, start.y, start.x + descent, start.y + along}
                               : RECTL{start.x, start.y - ascent, start.x + along, start.y + descent};
  s->so.pwszOrg = s->text.data();
  return s;
}

BOOL DrawText(DrawTarget& target, EngString& s, EngFont& f, const TextCall& call) {
  BRUSHOBJ fore = call.fore, opaque = call.opaque;
  return DrvTextOut(target.so(), &s.so, &f.fo, nullptr, call.extra, call.opaqueRect, &fore,
                    call.opaqueRect ? &opaque : nullptr, nullptr, call.mix);
}

std::vector<blocks::DecodedRecord> OfOpcode(const std::vector<blocks::DecodedRecord>& records, int opcode) {
  std::vector<blocks::DecodedRecord> out;
  for (const auto& r : records)
    if (r.opcode == opcode) out.push_back(r);
  return out;
}

}  // namespace zolt::test
