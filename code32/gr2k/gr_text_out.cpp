// Text output: DrvTextOut, the font records and the character and outline forms of text, and
// the page's table of the glyphs the device holds.
#include "gr_text_out.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gr_brush.h"
#include "gr_device_fonts.h"
#include "gr_device_text.h"
#include "gr_drawing_services.h"
#include "gr_glyph_download.h"
#include "gr_path.h"
#include "gr_records.h"

// ---- the glyph table ------------------------------------------------------------------------

namespace {

GlyphCacheEntry*& Bucket(PhysicalDevice* pdev, uint32_t bucket) {
  return reinterpret_cast<GlyphCacheEntry*&>(pdev->glyphTable[bucket]);
}

}  // namespace

uint32_t GrGlyphKey(uint32_t fontId, uint16_t generation, uint16_t character) {
  return (fontId + generation + character) & (kGlyphBuckets - 1);
}

int GrGlyphCacheFind(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                     BYTE orientation) {
  if (bucket >= kGlyphBuckets) return 0;
  for (const GlyphCacheEntry* e = Bucket(pdev, bucket); e; e = e->next)
    if (e->fontId == fontId && e->generation == generation && e->character == character &&
        e->orientation == orientation)
      return 1;
  return 0;
}

int GrGlyphCacheAdd(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                    BYTE orientation) {
  if (bucket >= kGlyphBuckets) return 0;
  auto* entry = static_cast<GlyphCacheEntry*>(GrHeapAlloc(pdev->heap, sizeof(GlyphCacheEntry)));
  if (!entry) return 0;
  *entry = GlyphCacheEntry{nullptr, fontId, generation, character, orientation};
  GlyphCacheEntry** link = &Bucket(pdev, bucket);
  while (*link) link = &(*link)->next;
  *link = entry;
  return 1;
}

void GrGlyphCacheClear(PhysicalDevice* pdev) {
  for (uint32_t b = 0; b < kGlyphBuckets; ++b) {
    for (GlyphCacheEntry* e = Bucket(pdev, b); e;) {
      GlyphCacheEntry* next = e->next;
      GrHeapFree(pdev->heap, e);
      e = next;
    }
    Bucket(pdev, b) = nullptr;
  }
  pdev->glyphGeneration = static_cast<uint16_t>(pdev->glyphGeneration + 1);
}

void GrEmptyGlyphTable(PhysicalDevice* pdev) { GrGlyphCacheClear(pdev); }

// ---- angles and metrics ---------------------------------------------------------------------

namespace {

constexpr double kPi = 3.14159265358979323846;

// round(tan(t / 10 degrees) * 32767) for t = 0..449.
const LONG* TanTable() {
  static const auto table = [] {
    static LONG t[450];
    for (int i = 0; i < 450; ++i) t[i] = static_cast<LONG>(std::lround(std::tan(i / 10.0 * kPi / 180) * 32767));
    return t;
  }();
  return table;
}

// round(sin(k degrees) * 16384) for k = 0..90, with 5871 at 21 degrees.
const LONG* SinTable() {
  static const auto table = [] {
    static LONG t[91];
    for (int k = 0; k <= 90; ++k) t[k] = static_cast<LONG>(std::lround(std::sin(k * kPi / 180) * 16384));
    t[21] = 5871;
    return t;
  }();
  return table;
}

LONG SinQuadrant(LONG n, LONG extra) {
  if (n < 0) n = 0;
  LONG q = 0;
  while (n > 89) n -= 90, ++q;
  q += extra;
  const LONG v = SinTable()[(q & 1) ? 90 - n : n];
  return (q & 2) ? -v : v;
}

}  // namespace

LONG GrScaleFloat(FLOATL f, LONG v) {
  const float r = static_cast<float>(v) * f;
  if (!(r == r)) return 0;
  if (r >= 2147483520.0f) return 0x7FFFFFFF;
  if (r <= -2147483648.0f) return -0x7FFFFFFF - 1;
  return static_cast<LONG>(r);
}

int GrTanSearch(int lo, int hi, LONG v) {
  const LONG* t = TanTable();
  while (hi - lo >= 2) {
    const int q3 = (lo + 3 * hi) / 4, m = (lo + hi) / 2, q1 = (3 * lo + hi) / 4;
    if (t[q3] < v) {
      lo = q3;
    } else if (t[m] < v) {
      lo = m, hi = q3;
    } else if (t[q1] < v) {
      lo = q1, hi = m;
    } else {
      hi = q1;
    }
  }
  return lo;
}

LONG GrAngle(int16_t x, int16_t y) {
  if (y == 0) return x < 0 ? 180 : 0;
  if (x == 0) return y < 0 ? -90 : 90;
  LONG base, g, h;
  if (x > 0 && y > 0) {
    base = 0, g = x, h = y;
  } else if (x < 0 && y > 0) {
    base = 90, g = y, h = -x;
  } else if (x > 0) {
    base = -90, g = -y, h = x;
  } else {
    base = -180, g = -x, h = -y;
  }
  if (g == h) return base + 45;
  const LONG k = std::min(0x7FFF / g, 0x7FFF / h);
  g *= k, h *= k;
  const LONG smaller = std::min(g, h), larger = std::max(g, h);
  const int t = GrTanSearch(0, 450, MulDiv(smaller, 0x7FFF, larger));
  return g >= h ? base + (t + 5) / 10 : base + (900 - t + 5) / 10;
}

LONG GrSin(LONG degrees) { return SinQuadrant(degrees, 0); }
LONG GrCos(LONG degrees) { return SinQuadrant(degrees, 1); }

uint16_t GrEscapement(const XFORML& m) {
  const LONG angle = GrAngle(static_cast<int16_t>(GrScaleFloat(m.eM11, 5000)),
                             static_cast<int16_t>(GrScaleFloat(m.eM12, 5000)));
  return static_cast<uint16_t>(angle > 0 ? 360 - angle : -angle);
}

POINTL GrCellTop(LONG x, LONG y, LONG ascent, LONG escapement) {
  return POINTL{x - static_cast<LONG>((int64_t{ascent} * GrSin(escapement)) >> 14),
                y - static_cast<LONG>((int64_t{ascent} * GrCos(escapement)) >> 14)};
}

bool GrMirrored(const XFORML& m) {
  const LONG a = GrScaleFloat(m.eM11, 5000), d = GrScaleFloat(m.eM22, 5000);
  return (a > 0 && d < 0) || (a < 0 && d > 0);
}

// ---- glyphs of a string ---------------------------------------------------------------------

bool GrFixedPitch(const STROBJ* pstro) {
  return (pstro->flAccel & SO_FLAG_DEFAULT_PLACEMENT) && pstro->ulCharInc != 0;
}

GlyphWalk::GlyphWalk(STROBJ* pstro) : pstro_(pstro) {}

bool GlyphWalk::Next() {
  if (started_) {
    ++index_;
    ++at_;
  }
  started_ = true;
  if (index_ >= pstro_->cGlyphs) return false;
  int emptyBatches = 0;
  while (at_ >= count_) {
    if (pstro_->pgp) {
      if (loaded_) return false;
      batch_ = pstro_->pgp;
      count_ = pstro_->cGlyphs;
      loaded_ = true;
    } else {
      if (!loaded_) {
        STROBJ_vEnumStart(pstro_);
        loaded_ = true;
      } else if (!more_) {
        return false;
      }
      ULONG c = 0;
      GLYPHPOS* gp = nullptr;
      more_ = STROBJ_bEnum(pstro_, &c, &gp) != FALSE;
      batch_ = gp;
      count_ = gp ? c : 0;
      // An engine that keeps answering empty batches ends the string.
      if (count_ == 0 && (!more_ || ++emptyBatches > 16)) return false;
    }
    at_ = 0;
  }
  if (!haveFirst_) {
    first_ = batch_[at_].ptl;
    haveFirst_ = true;
  }
  return true;
}

WCHAR GlyphWalk::Character() const {
  return pstro_->pwszOrg ? pstro_->pwszOrg[index_] : static_cast<WCHAR>(Glyph().hg);
}

POINTL GlyphWalk::Position() const {
  if (!GrFixedPitch(pstro_)) return Glyph().ptl;
  const LONG step = static_cast<LONG>(int64_t{pstro_->ulCharInc} * index_);
  const LONG signedStep = (pstro_->flAccel & SO_REVERSED) ? -step : step;
  if (pstro_->flAccel & SO_HORIZONTAL) return POINTL{first_.x + signedStep, first_.y};
  return POINTL{first_.x, first_.y + signedStep};
}

// ---- font records ---------------------------------------------------------------------------

namespace {

constexpr size_t kNameBytes = sizeof(TextFontInfo::faceName);
constexpr size_t kNameChars = kNameBytes / 2 - 1;  // characters kept of a name, with room to end it

const WCHAR* IfiName(const IFIMETRICS* ifi, PTRDIFF at) {
  return at > 0 ? reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(ifi) + at) : u"";
}

size_t NameLength(const WCHAR* name) {
  size_t n = 0;
  while (n < kNameChars && name[n]) ++n;
  return n;
}

// A name in the device code page, zero-terminated.
void DeviceName(BYTE out[kNameBytes], const WCHAR* name) {
  std::memset(out, 0, kNameBytes);
  const size_t n = NameLength(name);
  GrWideToDeviceText(reinterpret_cast<char*>(out), name, static_cast<int>(2 * n), 128);
}

// A name as UTF-16, zero-terminated.
void WideName(BYTE out[kNameBytes], const WCHAR* name) {
  std::memset(out, 0, kNameBytes);
  std::memcpy(out, name, 2 * NameLength(name));
}

const char* Text(const BYTE* name) { return reinterpret_cast<const char*>(name); }
bool NameIs(const BYTE* name, const char* text) { return std::strcmp(Text(name), text) == 0; }
bool NameStarts(const BYTE* name, const char* text) { return std::strncmp(Text(name), text, std::strlen(text)) == 0; }
bool NameHas(const BYTE* name, const char* text) { return std::strstr(Text(name), text) != nullptr; }
bool AllDigits(const BYTE* name) {
  if (!name[0]) return false;
  for (const BYTE* p = name; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

// "_" and the font identity in lower-case hexadecimal after a device-code-page name.
void AppendIdentity(BYTE name[kNameBytes], uint32_t id) {
  char suffix[16];
  const int n = std::snprintf(suffix, sizeof suffix, "_%x", id);
  size_t at = std::strlen(Text(name));
  if (at + size_t(n) >= kNameBytes) at = kNameBytes - 1 - size_t(n);
  std::memcpy(name + at, suffix, size_t(n) + 1);
}

// Shift-JIS texts the type rules look for.
const char kFullWidthDFG[] = "\x82\x63\x82\x65\x82\x66";  // ＤＦＧ
const char kGaiji[] = "\x8A\x4F\x8E\x9A";                 // 外字
const char* const kDeviceFaces[] = {
    "\x40\xBA\xDE\xBC\xAF\xB8",  // @ｺﾞｼｯｸ
    "\x40\x96\xBE\x92\xA9",      // @明朝
    "\xBA\xDE\xBC\xAF\xB8",      // ｺﾞｼｯｸ
    "\x96\xBE\x92\xA9",          // 明朝
};

// The em of the font in pixels along one of its axes (f1, f2 a row of the transform).
LONG EmLength(FLOATL f1, FLOATL f2, LONG units) {
  const LONG a = GrScaleFloat(f1, 10 * units), b = GrScaleFloat(f2, 10 * units);
  return GrHypot((a + 5) / 10, (b + 5) / 10);
}

}  // namespace

void GrFillTextFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const IFIMETRICS* ifi, const XFORML& m,
                    TextEm em, TextFontInfo* info) {
  info->italic = (pfo->flFontType & FO_SIM_ITALIC) ? 1 : 0;
  info->bold = info->boldAgain = (pfo->flFontType & FO_SIM_BOLD) ? 1 : 0;
  info->vertical = (pstro->flAccel & SO_VERTICAL) ? 1 : 0;
  info->weight = ifi->usWinWeight;
  info->escapement = GrEscapement(m);
  info->emWidth = em.width;
  info->emHeight = em.height;
  info->aveWidth = static_cast<uint16_t>(EmLength(m.eM11, m.eM12, ifi->fwdAveCharWidth));
  info->charset = ifi->jWinCharSet;
  info->pitchAndFamily = ifi->jWinPitchAndFamily;
  info->defaultChar = ifi->wcDefaultChar;
  info->fontId = pfo->iUniq;
  info->generation = pdev->glyphGeneration;
  info->orientation = (pstro->flAccel & SO_GLYPHINDEX_TEXTOUT) ? kOrientationIndices : kOrientationChars;
}

void GrTextFontNames(TextFontInfo* info, const IFIMETRICS* ifi, bool wide) {
  const WCHAR* family = IfiName(ifi, ifi->dpwszFamilyName);
  const WCHAR* face = IfiName(ifi, ifi->dpwszFaceName);
  if (wide) {
    WideName(info->familyName, family);
    WideName(info->faceName, face);
  } else {
    DeviceName(info->familyName, family);
    DeviceName(info->faceName, face);
  }
}

namespace {

RecFontFields FieldsOf(const TextFontInfo& info, uint16_t flags) {
  return RecFontFields{info.charset,  info.pitchAndFamily, flags,           info.weight,     info.escapement,
                       info.emWidth,  info.emHeight,       info.intLeading, info.defaultChar};
}

// The face name as the byte records carry it: padded with a zero byte to an even length and
// ended by a 16-bit zero.
void ByteRecordName(const TextFontInfo& info, BYTE out[kNameBytes + 4]) {
  std::memset(out, 0, kNameBytes + 4);
  std::memcpy(out, info.faceName, std::strlen(Text(info.faceName)));
}

// Writes the record unless the page's font cache holds the font; a failed write forgets the
// cache so that the next string tries again.
template <class Write>
int ByRule(PhysicalDevice* pdev, const TextFontInfo& info, Write write) {
  if (GrFontCacheHolds(pdev, info.fontId, info.orientation)) return 1;
  if (write()) return 1;
  GrFontCacheForget(pdev);
  return 0;
}

}  // namespace

bool GrFontCacheHolds(PhysicalDevice* pdev, uint32_t fontId, BYTE orientation) {
  auto& font = GrStateCache(pdev)->font;
  if (font.valid && font.identity == fontId && font.orientation == orientation) return true;
  font.valid = 1;
  font.identity = fontId;
  font.orientation = orientation;
  return false;
}

void GrFontCacheForget(PhysicalDevice* pdev) { GrStateCache(pdev)->font.valid = 0; }

uint16_t GrFontFlags(const TextFontInfo& info, int form) {
  uint16_t f = 0;
  if (info.italic) f |= 0x1;
  if (info.bold) f |= 0x2 | 0x20;
  if (info.vertical) f |= 0x80;
  const bool indices = info.orientation == kOrientationIndices;
  switch (form) {
    case kFormOutline:
      f |= indices ? 0x10 : 0x8;
      f |= 0x200 | 0x2000;
      break;
    case kFormPrinter:
      f |= info.type == kTextTypeOutline ? 0x200 : 0x8;
      if (indices) f |= 0x10;
      if (info.type != kTextTypePrinter) f |= 0x2000;
      break;
    default:
      f |= indices ? 0x10 : 0x8;
      if (info.flags == 3) f |= 0x200;
      if (info.eudc) f |= 0x2000;
      f |= 0x4000 | 0x40;
      break;
  }
  return f;
}

int GrWriteFontSelect(PhysicalDevice* pdev, const TextFontInfo& info, uint16_t flags) {
  BYTE name[kNameBytes + 4];
  ByteRecordName(info, name);
  return GrRecFontSelect(pdev, FieldsOf(info, flags), name) ? 1 : 0;
}

int GrWriteFontDefinition(PhysicalDevice* pdev, const TextFontInfo& info, uint16_t flags, bool wideName) {
  BYTE name[kNameBytes + 4];
  if (wideName) {
    std::memset(name, 0, sizeof name);
    std::memcpy(name, info.faceName, kNameBytes);
  } else {
    ByteRecordName(info, name);
  }
  return GrRecFontDefinition(pdev, FieldsOf(info, flags), name) ? 1 : 0;
}

// ---- the outline form -----------------------------------------------------------------------

int GrEmitOutlineGlyphs(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo) {
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    HGLYPH hg = walk.Glyph().hg;
    GLYPHDATA* gd = nullptr;
    if (FONTOBJ_cGetGlyphs(pfo, FO_PATHOBJ, 1, &hg, reinterpret_cast<PVOID*>(&gd)) != 1 || !gd || !gd->gdf.ppo)
      return 0;
    PATHOBJ* ppo = gd->gdf.ppo;
    RECTFX b{};
    PATHOBJ_vGetBounds(ppo, &b);
    const POINTL at = walk.Position();
    const RecRect cell{at.x + (b.xLeft >> 4), at.y + (b.yTop >> 4), at.x + (b.xRight >> 4), at.y + (b.yBottom >> 4)};
    const uint32_t capacity = GrOutlineBufferSize(ppo);
    BYTE* buffer = capacity ? static_cast<BYTE*>(GrHeapAlloc(pdev->heap, capacity)) : nullptr;
    if (!buffer) return 0;
    int closed = 0;
    const uint32_t length = GrBuildOutlinePath(pdev, ppo, &closed, buffer, capacity, -b.xLeft, -b.yTop);
    // A glyph without path data is skipped; a run that cannot be written is dropped.
    if (length) GrRecTextRunData(pdev, cell, static_cast<uint32_t>(cell.left), static_cast<uint32_t>(cell.top),
                                 walk.Character(), buffer, length);
    GrHeapFree(pdev->heap, buffer);
  }
  return 1;
}

int GrTextOutlineMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                      TextFontInfo* info, LONG) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
  GrFillTextFont(pdev, pstro, pfo, ifi, m, em, info);
  GrTextFontNames(info, ifi, false);
  if (NameIs(info->familyName, "EUDC") || NameIs(info->faceName, "EUDC")) {
    AppendIdentity(info->familyName, info->fontId);
    AppendIdentity(info->faceName, info->fontId);
    GrFontCacheForget(pdev);
  }
  if (!ByRule(pdev, *info, [&] { return GrWriteFontSelect(pdev, *info, GrFontFlags(*info, kFormOutline)); }))
    return 0;
  return GrEmitOutlineGlyphs(pdev, pstro, pfo);
}

// ---- the printer-font and device-font forms -------------------------------------------------

int GrDefinePrinterFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                        TextFontInfo* info) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
  const bool vista = pdev->osVersion.dwMajorVersion >= 6;
  BYTE type = (ifi->fsType & (vista ? FM_READONLY_EMBED : FM_READONLY_EMBED | FM_EDITABLE_EMBED))
                  ? kTextTypeOutline
                  : kTextTypePrinter;
  GrFillTextFont(pdev, pstro, pfo, ifi, m, em, info);
  if (GrMirrored(m)) type = kTextTypeOutline;
  GrTextFontNames(info, ifi, false);
  bool eudcName = false;
  auto nameRules = [&](const BYTE* name, bool familyOnly) {
    if (NameIs(name, "EUDC")) {
      eudcName = true;
      if (pdev->eudcSwitch) {
        type = kTextTypeOutline;
      } else if (type == kTextTypeOutline) {
        type = kTextTypePrinter;
      }
    }
    if (NameStarts(name, kFullWidthDFG)) type = kTextTypeOutline;
    if (pdev->eudcSwitch && NameHas(name, kGaiji)) type = kTextTypeOutline;
    if (!familyOnly) return;
    if (NameHas(name, ".tmp") || NameHas(name, ".TMP")) type = kTextTypeOutline;
    if (vista && type != kTextTypeOutline && (NameHas(name, "___") || AllDigits(name))) type = kTextTypeOutline;
  };
  nameRules(info->familyName, true);
  nameRules(info->faceName, false);
  if (pstro->flAccel & SO_GLYPHINDEX_TEXTOUT) type = kTextTypeOutline;
  bool eudc = false;
  if (pdev->eudcSwitch) {
    eudc = eudcName;
    for (ULONG i = 0; pstro->pwszOrg && i < pstro->cGlyphs && !eudc; ++i)
      if (pstro->pwszOrg[i] >= 0xE000 && pstro->pwszOrg[i] <= 0xF8FF) eudc = true;
    if (eudc) type = kTextTypeOutline;
  }
  info->type = type;
  const bool extended = eudc && type == kTextTypeOutline;
  if (extended) {
    AppendIdentity(info->familyName, info->fontId);
    AppendIdentity(info->faceName, info->fontId);
    GrFontCacheForget(pdev);
  }
  const int ok = ByRule(pdev, *info, [&] { return GrWriteFontSelect(pdev, *info, GrFontFlags(*info, kFormPrinter)); });
  // The string after an extended one states its font again.
  if (extended) GrFontCacheForget(pdev);
  return ok;
}

int GrDefineDeviceFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                       TextFontInfo* info) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
  GrFillTextFont(pdev, pstro, pfo, ifi, m, em, info);
  GrTextFontNames(info, ifi, false);
  info->type = kTextTypeBitmap;
  for (const char* face : kDeviceFaces)
    if (NameIs(info->familyName, face) || NameIs(info->faceName, face)) info->type = kTextTypePrinter;
  const uint16_t flags = GrFontFlags(*info, kFormPrinter);
  return ByRule(pdev, *info, [&] {
    return info->type == kTextTypePrinter ? GrWriteFontSelect(pdev, *info, flags)
                                          : GrWriteFontDefinition(pdev, *info, flags, false);
  });
}

namespace {

// Records 82 carry at most this many glyphs; longer strings go in several.
constexpr ULONG kRunGlyphs = 0x4000;

struct CharList {
  PhysicalDevice* pdev;
  POINTL* points = nullptr;
  uint16_t* chars = nullptr;
  ULONG count = 0;
  ~CharList() {
    if (points) GrHeapFree(pdev->heap, points);
    if (chars) GrHeapFree(pdev->heap, chars);
  }
  // Every glyph's position and character; false (ERROR_NOT_ENOUGH_MEMORY) without memory.
  bool Take(STROBJ* pstro) {
    const size_t n = pstro->cGlyphs ? pstro->cGlyphs : 1;
    points = static_cast<POINTL*>(GrHeapAlloc(pdev->heap, n * sizeof(POINTL)));
    chars = static_cast<uint16_t*>(GrHeapAlloc(pdev->heap, n * sizeof(uint16_t)));
    if (!points || !chars) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    GlyphWalk walk(pstro);
    while (walk.Next()) {
      points[count] = walk.Position();
      chars[count] = walk.Character();
      ++count;
    }
    return true;
  }
};

}  // namespace

int GrEmitCharCells(PhysicalDevice* pdev, STROBJ* pstro, const TextFontInfo& info, TextEm em, LONG ascent) {
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    const POINTL at = walk.Position();
    const POINTL top = GrCellTop(at.x, at.y, ascent, info.escapement);
    const RecRect cell{top.x, top.y, top.x + em.width, top.y + em.height};
    GrRecTextRun(pdev, cell, static_cast<uint32_t>(top.x), static_cast<uint32_t>(top.y), walk.Character());
  }
  return 1;
}

int GrEmitCharRun(PhysicalDevice* pdev, STROBJ* pstro, const TextFontInfo& info, TextEm em, LONG ascent) {
  const RECTL& bk = pstro->rclBkGround;
  const RecRect bounds{bk.left, bk.top, bk.right, bk.bottom};
  const bool vertical = (pstro->flAccel & SO_VERTICAL) != 0;
  if (GrFixedPitch(pstro)) {
    CharList list{pdev};
    if (!list.Take(pstro)) return 0;
    LONG advance = static_cast<LONG>(pstro->ulCharInc);
    if (pstro->flAccel & SO_REVERSED) advance = -advance;
    const int16_t step = static_cast<int16_t>(advance);
    for (ULONG first = 0; first < list.count; first += kRunGlyphs) {
      const ULONG n = std::min(kRunGlyphs, list.count - first);
      const LONG shift = static_cast<LONG>(int64_t{advance} * first);
      const LONG x = bk.left + ((pstro->flAccel & SO_HORIZONTAL) ? shift : 0);
      const LONG y = bk.top + ((pstro->flAccel & SO_HORIZONTAL) ? 0 : shift);
      GrRecGlyphRun(pdev, bounds, static_cast<uint32_t>(x), static_cast<uint32_t>(y), &step, 1, list.chars + first, n);
    }
    return 1;
  }
  if (info.escapement != 0 || !(pstro->flAccel & (SO_HORIZONTAL | SO_VERTICAL)))
    return GrEmitCharCells(pdev, pstro, info, em, ascent);
  CharList list{pdev};
  if (!list.Take(pstro)) return 0;
  if (list.count == 0) return 1;
  auto* advances = static_cast<int16_t*>(GrHeapAlloc(pdev->heap, list.count * sizeof(int16_t)));
  if (!advances) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  for (ULONG i = 0; i < list.count; ++i) {
    LONG advance = 0;
    if (i + 1 < list.count) {
      const POINTL& a = list.points[i];
      const POINTL& b = list.points[i + 1];
      const bool offAxis = vertical ? a.x != b.x : a.y != b.y;
      const int64_t d = vertical ? int64_t{b.y} - a.y : int64_t{b.x} - a.x;
      if (offAxis || d >= 65536 || d <= -65536) {
        GrHeapFree(pdev->heap, advances);
        return GrEmitCharCells(pdev, pstro, info, em, ascent);
      }
      advance = static_cast<LONG>(d);
    }
    advances[i] = static_cast<int16_t>(advance);
  }
  for (ULONG first = 0; first < list.count; first += kRunGlyphs) {
    const ULONG n = std::min(kRunGlyphs, list.count - first);
    const POINTL& start = list.points[first];
    GrRecGlyphRun(pdev, bounds, static_cast<uint32_t>(start.x), static_cast<uint32_t>(start.y - ascent),
                  advances + first, n, list.chars + first, n);
  }
  GrHeapFree(pdev->heap, advances);
  return 1;
}

int GrDeviceTextMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                     TextFontInfo* info, LONG ascent) {
  if (pdev->printMethod == 5 || pdev->apiUse || pdev->sendDevmode || !pdev->textBitmapQuality) {
    if (!GrDefinePrinterFont(pdev, pstro, pfo, m, em, info)) return 0;
    return info->type == kTextTypeOutline ? GrEmitOutlineGlyphs(pdev, pstro, pfo)
                                          : GrEmitCharRun(pdev, pstro, *info, em, ascent);
  }
  if (!GrDefineDeviceFont(pdev, pstro, pfo, m, em, info)) return 0;
  if (info->type == kTextTypePrinter) return GrEmitCharRun(pdev, pstro, *info, em, ascent);
  return GrBitmapTextMode(pdev, pstro, pfo, m, em, info, ascent);
}

// ---- DrvTextOut -----------------------------------------------------------------------------

namespace {

// The brush, colours, background mode and raster operation of the opaque rectangle or of the
// glyphs; 0 when a record cannot be written (or, required, when there is no brush).
int TextState(PhysicalDevice* pdev, SURFOBJ* pso, BRUSHOBJ* pbo, BRUSHOBJ* pboFore, POINTL* pptlOrg, MIX mix,
              bool required) {
  DrawState state{};
  GrStateFromMix(pdev, mix, &state, 0);
  RealizedBrush* brush = GrGetBrush(pdev, pso, pbo, pptlOrg);
  if (!brush && required) return 0;
  if (brush && !GrEmitBrush(pdev, brush)) return 0;
  if (pbo && pbo->iSolidColor != 0xFFFFFFFF) {
    state.backgroundMode = 1;
    state.color1 = pbo->iSolidColor;
    state.color2 = 0xFFFFFF;
  } else {
    state.backgroundMode = 2;
    state.color1 = brush ? brush->color1 : 0xFFFFFF;
    state.color2 = brush ? brush->color2 : 0xFFFFFF;
  }
  state.color3 = 0;
  state.objectKind = kObjectText;
  state.hostMatched = pboFore && (pboFore->flColorType & BR_HOST_ICM) ? 1 : 0;
  GrSwapStateColors(&state);
  return GrEmitColors(pdev, &state) && GrEmitBackgroundMode(pdev, static_cast<BYTE>(state.backgroundMode)) &&
         GrEmitRop(pdev, GrTextMixToRop3(state.foregroundMix));
}

bool EmptyRect(const RECTL& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

BOOL WINAPI DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                       BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  const IFIMETRICS* ifi = pstro && pfo ? FONTOBJ_pifi(pfo) : nullptr;
  if (!ifi) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pdev->drawingOff) return TRUE;
  if (pdev->flags & kPdevWriteError) return FALSE;
  if (pdev->rasterMode) {
    POINTL origin{0, 0};
    return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg ? pptlOrg : &origin,
                      mix);
  }
  if (GrApplyClip(pdev, pco) < 0) return FALSE;
  if (pboOpaque && prclOpaque && !EmptyRect(*prclOpaque)) {
    if (!TextState(pdev, pso, pboOpaque, pboFore, pptlOrg, mix, false)) return FALSE;
    const RecRect r{prclOpaque->left, prclOpaque->top, prclOpaque->right, prclOpaque->bottom};
    if (!GrRecClip(pdev, 1, r, RecRect{})) return FALSE;
  }
  if (!TextState(pdev, pso, pboFore, pboFore, pptlOrg, mix, true)) return FALSE;

  XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
  XFORML m{};
  if (!pxo || XFORMOBJ_iGetXform(pxo, &m) == DDI_ERROR) return FALSE;
  const LONG units = ifi->fwdUnitsPerEm;
  TextEm em{static_cast<uint16_t>(EmLength(m.eM11, m.eM12, units)), static_cast<uint16_t>(EmLength(m.eM21, m.eM22, units))};
  const LONG ascent = EmLength(m.eM21, m.eM22, ifi->fwdWinAscender);
  const LONG descent = EmLength(m.eM21, m.eM22, ifi->fwdWinDescender);
  TextFontInfo info{};
  info.intLeading = static_cast<uint16_t>(std::max<LONG>(0, ascent + descent - em.height));

  int ok;
  if (pdev->textMode == 1) {
    ok = GrDeviceTextMode(pdev, pstro, pfo, m, em, &info, ascent);
  } else if (pdev->printMethod == 5 || pdev->printMethod == 7 || pdev->apiUse) {
    ok = GrTextOutlineMode(pdev, pstro, pfo, m, em, &info, ascent);
  } else {
    ok = GrTextDownloadMode(pdev, pstro, pfo, m, em, &info, ascent);
  }
  if (!ok) return FALSE;

  for (RECTL* r = prclExtra; r && !EmptyRect(*r); ++r)
    if (!GrRecClip(pdev, 1, RecRect{r->left, r->top, r->right, r->bottom}, RecRect{})) return FALSE;
  return TRUE;
}
