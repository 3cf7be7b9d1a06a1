// The module's fonts (see device_fonts.h): metrics from its IFIMETRICS, characters to glyph
// handles through its glyph set, advance widths from the module for each realisation.
#include "engine/device_fonts.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/pdev.h"
#include "win32/hostpath.h"

namespace zolt::host::engine {

namespace {

// A string of an IFIMETRICS at an offset, read no further than the record.
std::u16string IfiString(const IFIMETRICS* ifi, PTRDIFF at) {
  std::u16string out;
  if (!ifi || at <= 0 || size_t(at) >= ifi->cjThis) return out;
  const auto* base = reinterpret_cast<const uint8_t*>(ifi);
  for (size_t i = size_t(at); i + 1 < ifi->cjThis && out.size() < LF_FACESIZE; i += 2) {
    char16_t c;
    std::memcpy(&c, base + i, 2);
    if (!c) break;
    out.push_back(c);
  }
  return out;
}

bool SameName(std::u16string_view a, std::u16string_view b) { return !a.empty() && NamesEqual(a, b); }

ULONG NextUniq() {
  static std::atomic<ULONG> uniq{0x40000000};
  return uniq++;
}

}  // namespace

DeviceFonts::DeviceFonts(HDEV hdev, ULONG count, SIZE dpi) : hdev_(hdev), dpi_(dpi) {
  auto query = EntryAs<PFN_DrvQueryFont>(DriverEntry(hdev, INDEX_DrvQueryFont));
  const DHPDEV dhpdev = DeviceDhpdev(hdev);
  if (!query || !dhpdev) return;
  for (ULONG i = 1; i <= std::min<ULONG>(count, 256); ++i) {
    ULONG_PTR id = 0;
    Face f;
    f.ifi = query(dhpdev, 0, i, &id);
    if (f.ifi && f.ifi->cjThis >= sizeof(IFIMETRICS)) {
      f.family = IfiString(f.ifi, f.ifi->dpwszFamilyName);
      f.face = IfiString(f.ifi, f.ifi->dpwszFaceName);
    } else {
      f.ifi = nullptr;  // a face the module cannot describe is never chosen
    }
    faces_.push_back(std::move(f));
  }
}

DeviceFonts::Face* DeviceFonts::FaceOf(ULONG face) {
  if (face == 0 || face > faces_.size() || !faces_[face - 1].ifi) return nullptr;
  return &faces_[face - 1];
}

ULONG DeviceFonts::Match(const LOGFONTW& lf) {
  const std::u16string_view name(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0') -
                                                    lf.lfFaceName);
  for (ULONG i = 1; i <= faces_.size(); ++i) {
    const Face& f = faces_[i - 1];
    if (f.ifi && (SameName(name, f.family) || SameName(name, f.face))) return i;
  }
  return 0;
}

FD_GLYPHSET* DeviceFonts::GlyphSet(ULONG face) {
  Face* f = FaceOf(face);
  if (!f) return nullptr;
  if (!f->glyphsAsked) {
    f->glyphsAsked = true;
    if (auto tree = EntryAs<PFN_DrvQueryFontTree>(DriverEntry(hdev_, INDEX_DrvQueryFontTree))) {
      ULONG_PTR id = 0;
      f->glyphs = static_cast<FD_GLYPHSET*>(tree(DeviceDhpdev(hdev_), 0, face, QFT_GLYPHSET, &id));
    }
  }
  return f->glyphs;
}

HGLYPH DeviceFonts::GlyphOf(ULONG face, char16_t c) {
  const FD_GLYPHSET* gs = GlyphSet(face);
  if (!gs) return HGLYPH(c);
  for (ULONG i = 0; i < gs->cRuns && i < 0x10000; ++i) {
    const WCRUN& run = gs->awcrun[i];
    if (c >= run.wcLow && uint32_t(c) < uint32_t(run.wcLow) + run.cGlyphs)
      return run.phg ? run.phg[c - run.wcLow] : HGLYPH(c);
  }
  // A character the font lacks prints as its default character.
  const Face* f = FaceOf(face);
  const char16_t fallback = f ? f->ifi->wcDefaultChar : u' ';
  return fallback != c ? GlyphOf(face, fallback) : HGLYPH(0);
}

double DeviceFonts::EmPixels(ULONG face, double height) {
  const Face* f = FaceOf(face);
  if (!f) return 0;
  if (height < 0) return -height;
  if (height == 0) return 12.0 * dpi_.cy / 72.0;
  const int cell = f->ifi->fwdWinAscender + f->ifi->fwdWinDescender;
  return cell > 0 ? height * f->ifi->fwdUnitsPerEm / cell : height;
}

EngFont* DeviceFonts::Realize(ULONG face, double emPixels) {
  Face* f = FaceOf(face);
  if (!f || !std::isfinite(emPixels) || emPixels <= 0 || emPixels > 1e5) return nullptr;
  const std::pair<ULONG, long> key{face, std::lround(emPixels * 16)};
  auto it = realized_.find(key);
  if (it != realized_.end()) return it->second.get();
  auto font = std::make_unique<EngFont>();
  font->fo.iUniq = NextUniq();
  font->fo.iFace = face;
  font->fo.flFontType = FO_TYPE_DEVICE;
  font->fo.sizLogResPpi = dpi_;
  font->ifi = f->ifi;
  font->glyphSet = GlyphSet(face);
  const double s = emPixels / std::max<int>(f->ifi->fwdUnitsPerEm, 1);
  font->xform.m = XFORML{FLOATL(s), 0, 0, FLOATL(s), 0, 0};
  font->fo.cxMax = ULONG(std::max(0.0, std::ceil(f->ifi->fwdMaxCharInc * s)));
  if (auto mode = EntryAs<PFN_DrvGetGlyphMode>(DriverEntry(hdev_, INDEX_DrvGetGlyphMode)))
    mode(DeviceDhpdev(hdev_), &font->fo);
  EngFont* raw = font.get();
  realized_.emplace(key, std::move(font));
  return raw;
}

TEXTMETRICW DeviceFonts::Metrics(const Face& f, double em) const {
  const IFIMETRICS& ifi = *f.ifi;
  const double s = em / std::max<int>(ifi.fwdUnitsPerEm, 1);
  auto px = [&](double v) { return LONG(std::lround(v * s)); };
  TEXTMETRICW tm{};
  tm.tmAscent = px(ifi.fwdWinAscender);
  tm.tmDescent = px(ifi.fwdWinDescender);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - LONG(std::lround(em)));
  tm.tmAveCharWidth = px(ifi.fwdAveCharWidth);
  tm.tmMaxCharWidth = px(ifi.fwdMaxCharInc);
  tm.tmWeight = ifi.usWinWeight;
  tm.tmItalic = (ifi.fsSelection & FM_SEL_ITALIC) ? 1 : 0;
  tm.tmFirstChar = ifi.wcFirstChar;
  tm.tmLastChar = ifi.wcLastChar;
  tm.tmDefaultChar = ifi.wcDefaultChar;
  tm.tmBreakChar = ifi.wcBreakChar;
  tm.tmPitchAndFamily = BYTE(ifi.jWinPitchAndFamily | TMPF_DEVICE);
  tm.tmCharSet = ifi.jWinCharSet;
  tm.tmDigitizedAspectX = dpi_.cx;
  tm.tmDigitizedAspectY = dpi_.cy;
  return tm;
}

bool DeviceFonts::Layout(ULONG face, double emPixels, std::u16string_view text, bool glyphIndexes,
                         gdi::DeviceFontLayout& out) {
  Face* f = FaceOf(face);
  EngFont* font = Realize(face, emPixels);
  if (!f || !font) return false;
  out.face = face;
  out.emPixels = emPixels;
  out.tm = Metrics(*f, emPixels);
  std::vector<HGLYPH> hg;
  for (char16_t c : text) hg.push_back(glyphIndexes ? HGLYPH(c) : GlyphOf(face, c));
  std::vector<USHORT> widths(hg.size(), 0);
  bool have = false;
  const DHPDEV dhpdev = DeviceDhpdev(hdev_);
  if (auto aw = EntryAs<PFN_DrvQueryAdvanceWidths>(DriverEntry(hdev_, INDEX_DrvQueryAdvanceWidths)); aw && !hg.empty())
    have = aw(dhpdev, &font->fo, QAW_GETWIDTHS, hg.data(), widths.data(), ULONG(hg.size())) != FALSE;
  auto data = EntryAs<PFN_DrvQueryFontData>(DriverEntry(hdev_, INDEX_DrvQueryFontData));
  for (size_t i = 0; i < hg.size(); ++i) {
    double w;
    if (have) {
      w = widths[i] / 16.0;  // 12.4 pixels
    } else if (GLYPHDATA gd{}; data && data(dhpdev, &font->fo, QFD_GLYPHANDBITMAP, hg[i], &gd, nullptr, 0) != -1) {
      w = gd.fxD / 16.0;
    } else {
      w = f->ifi->fwdAveCharWidth * emPixels / std::max<int>(f->ifi->fwdUnitsPerEm, 1);
    }
    out.glyphs.push_back(UINT(hg[i]));
    out.advance.push_back(int(std::lround(w)));
  }
  return true;
}

bool DeviceFonts::Enumerate(const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, int* result) {
  std::u16string wanted;
  if (filter)
    wanted.assign(filter->lfFaceName, std::find(filter->lfFaceName, filter->lfFaceName + LF_FACESIZE, u'\0'));
  const double em = 12.0 * dpi_.cy / 72.0;
  for (const Face& f : faces_) {
    if (!f.ifi || (f.ifi->flInfo & FM_INFO_DO_NOT_ENUMERATE)) continue;
    if (!wanted.empty() && !SameName(wanted, f.family) && !SameName(wanted, f.face)) continue;
    if (filter && filter->lfCharSet != DEFAULT_CHARSET && filter->lfCharSet != f.ifi->jWinCharSet) continue;
    const TEXTMETRICW tm = Metrics(f, em);
    ENUMLOGFONTEXW elf{};
    elf.elfLogFont.lfHeight = tm.tmHeight;
    elf.elfLogFont.lfWidth = tm.tmAveCharWidth;
    elf.elfLogFont.lfWeight = tm.tmWeight;
    elf.elfLogFont.lfItalic = tm.tmItalic;
    elf.elfLogFont.lfCharSet = tm.tmCharSet;
    elf.elfLogFont.lfOutPrecision = OUT_DEVICE_PRECIS;
    elf.elfLogFont.lfPitchAndFamily = f.ifi->jWinPitchAndFamily;
    std::copy_n(f.family.begin(), std::min<size_t>(f.family.size(), LF_FACESIZE - 1), elf.elfLogFont.lfFaceName);
    std::copy_n(f.face.begin(), std::min<size_t>(f.face.size(), LF_FULLFACESIZE - 1), elf.elfFullName);
    const std::u16string style = IfiString(f.ifi, f.ifi->dpwszStyleName);
    std::copy_n(style.begin(), std::min<size_t>(style.size(), LF_FACESIZE - 1), elf.elfStyle);
    NEWTEXTMETRICEXW ntm{};
    std::memcpy(&ntm.ntmTm, &tm, sizeof(TEXTMETRICW));
    ntm.ntmTm.ntmFlags = (tm.tmItalic ? NTM_ITALIC : 0) | (tm.tmWeight >= FW_BOLD ? NTM_BOLD : 0);
    if (!ntm.ntmTm.ntmFlags) ntm.ntmTm.ntmFlags = NTM_REGULAR;
    ntm.ntmTm.ntmSizeEM = UINT(std::max<int>(f.ifi->fwdUnitsPerEm, 1));
    ntm.ntmTm.ntmCellHeight = UINT(tm.tmHeight);
    ntm.ntmTm.ntmAvgWidth = UINT(tm.tmAveCharWidth);
    *result = proc(&elf.elfLogFont, reinterpret_cast<const TEXTMETRICW*>(&ntm), DEVICE_FONTTYPE, lParam);
    if (!*result) return false;
  }
  return true;
}

}  // namespace zolt::host::engine
