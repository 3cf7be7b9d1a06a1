// zoltemfsamples OUTDIR: writes the job samples, a three-page job of mixed content
// (mixed-p1.emf ... mixed-p3.emf), each page an A4 picture at 150 dots per inch. Every record
// kind the player knows appears on some page: text with spacing arrays (wide and ANSI, Latin and
// Japanese), shapes and pens, brushes of every kind, paths, 16- and 32-bit poly records,
// bitmaps (a photograph-like image; transparent, masked and parallelogram copies), blends and
// gradients, clipping of every kind, world
// transforms, saved states and comments (an EMF+ one among them). The output is the same bytes
// on every run.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <uemf.h>

namespace {

constexpr int kWidth = 1240, kHeight = 1754;  // A4 at 150 dpi
constexpr int kPhotoW = 240, kPhotoH = 160;

class Page {
 public:
  Page(const std::string& file, const char16_t* description) {
    if (emf_start(file.c_str(), 1 << 20, 1 << 18, &et_) || emf_htable_create(64, 32, &eht_)) std::exit(2);
    std::vector<uint16_t> desc;
    for (const char16_t* c = description; *c; ++c) desc.push_back(uint16_t(*c));
    desc.push_back(0);
    desc.push_back(0);
    Add(U_EMRHEADER_set(rectl_set(point32_set(0, 0), point32_set(kWidth - 1, kHeight - 1)),
                        rectl_set(point32_set(0, 0), point32_set(21000, 29700)), nullptr, U_CBSTR(desc.size()),
                        desc.data(), sizel_set(kWidth, kHeight), sizel_set(210, 297), 0));
  }
  void Add(char* rec) {
    if (!rec) std::exit(3);
    // Every record is a whole number of 32-bit words (the library leaves some unpadded).
    uint32_t size;
    std::memcpy(&size, rec + 4, 4);
    if (size % 4) {
      const uint32_t padded = (size + 3) & ~3u;
      char* copy = static_cast<char*>(std::calloc(1, padded));
      std::memcpy(copy, rec, size);
      std::memcpy(copy + 4, &padded, 4);
      std::free(rec);
      rec = copy;
    }
    if (emf_append(reinterpret_cast<U_ENHMETARECORD*>(rec), et_, 1)) std::exit(3);
  }
  uint32_t Insert() {
    uint32_t ih = 0;
    if (emf_htable_insert(&ih, eht_)) std::exit(4);
    return ih;
  }
  EMFHANDLES* Handles() { return eht_; }
  void Finish() {
    Add(U_EMREOF_set(0, nullptr, et_));
    if (emf_finish(et_, eht_)) std::exit(5);
    emf_free(&et_);
    emf_htable_free(&eht_);
  }

 private:
  EMFTRACK* et_ = nullptr;
  EMFHANDLES* eht_ = nullptr;
};

U_RECTL Box(int l, int t, int r, int b) { return rectl_set(point32_set(l, t), point32_set(r, b)); }
U_POINTL Pt(int x, int y) { return point32_set(x, y); }
const U_RECTL kNoBounds = Box(0, 0, -1, -1);

uint32_t SolidBrush(Page& p, U_COLORREF c) {
  uint32_t ih = 0;
  p.Add(createbrushindirect_set(&ih, p.Handles(), logbrush_set(U_BS_SOLID, c, 0)));
  p.Add(selectobject_set(ih, p.Handles()));
  return ih;
}
uint32_t Pen(Page& p, uint32_t style, int width, U_COLORREF c) {
  uint32_t ih = 0;
  U_POINT w{width, 0};
  p.Add(createpen_set(&ih, p.Handles(), logpen_set(style, w, c)));
  p.Add(selectobject_set(ih, p.Handles()));
  return ih;
}
void Delete(Page& p, uint32_t ih) { p.Add(deleteobject_set(&ih, p.Handles())); }

uint32_t Font(Page& p, const char16_t* face, int height, uint8_t charset, int weight = 400, int escapement = 0) {
  uint16_t name[32] = {};
  for (int i = 0; face[i] && i < 31; ++i) name[i] = uint16_t(face[i]);
  U_LOGFONT lf = logfont_set(-height, 0, escapement, escapement, weight, 0, 0, 0, charset, U_OUT_DEFAULT_PRECIS,
                             U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, name);
  uint32_t ih = 0;
  p.Add(extcreatefontindirectw_set(&ih, p.Handles(), reinterpret_cast<const char*>(&lf), nullptr));
  p.Add(selectobject_set(ih, p.Handles()));
  return ih;
}

// Wide text with a spacing array of `advance` per character.
void TextW(Page& p, int x, int y, const char16_t* s, int advance, uint32_t options = 0, U_RECTL rc = Box(0, 0, 0, 0)) {
  std::vector<uint16_t> t;
  for (const char16_t* c = s; *c; ++c) t.push_back(uint16_t(*c));
  std::vector<uint32_t> dx(t.size(), uint32_t(advance));
  char* text = emrtext_set(Pt(x, y), U_NUM_STR(t.size()), 2, t.data(), options, rc, dx.data());
  p.Add(U_EMREXTTEXTOUTW_set(kNoBounds, U_GM_COMPATIBLE, 1.0f, 1.0f, reinterpret_cast<PU_EMRTEXT>(text)));
  std::free(text);
}
void TextA(Page& p, int x, int y, const char* s, int advance) {
  std::vector<uint32_t> dx(std::strlen(s), uint32_t(advance));
  char* text = emrtext_set(Pt(x, y), U_NUM_STR(std::strlen(s)), 1, const_cast<char*>(s), 0, Box(0, 0, 0, 0), dx.data());
  p.Add(U_EMREXTTEXTOUTA_set(kNoBounds, U_GM_COMPATIBLE, 1.0f, 1.0f, reinterpret_cast<PU_EMRTEXT>(text)));
  std::free(text);
}

// EMR_POLYDRAW written here: the library's writer drops the last type byte.
char* PolyDraw(uint32_t n, const U_POINTL* pts, const uint8_t* types) {
  const uint32_t size = (28 + 9 * n + 3) & ~3u;
  char* rec = static_cast<char*>(std::calloc(1, size));
  const uint32_t head[7] = {U_EMR_POLYDRAW, size, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, n};
  std::memcpy(rec, head, sizeof(head));
  std::memcpy(rec + 28, pts, 8 * n);
  std::memcpy(rec + 28 + 8 * n, types, n);
  return rec;
}

// A photograph-like picture: sky, hills, a sun and grain, bottom-up 24-bit rows.
std::vector<char> Photo(PU_BITMAPINFO* bmi) {
  const int stride = (kPhotoW * 3 + 3) & ~3;
  std::vector<char> px(size_t(stride) * kPhotoH);
  uint32_t seed = 12345;
  for (int y = 0; y < kPhotoH; ++y) {
    for (int x = 0; x < kPhotoW; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int grain = int((seed >> 16) % 17) - 8;
      const double hill = 100 + 25 * std::sin(x / 23.0) + 12 * std::sin(x / 7.0);
      int r, g, b;
      if (y < hill) {
        r = 110 + y / 2;
        g = 160 + y / 3;
        b = 235 - y / 4;
      } else {
        r = 40 + (y - int(hill)) / 2;
        g = 120 - (y - int(hill)) / 3;
        b = 50;
      }
      const double ds = std::hypot(x - 180.0, y - 40.0);
      if (ds < 18) {
        r = 255;
        g = 220;
        b = 90;
      }
      const int row = kPhotoH - 1 - y;
      char* at = px.data() + size_t(row) * stride + size_t(x) * 3;
      auto clamp = [](int v) { return char(v < 0 ? 0 : v > 255 ? 255 : v); };
      at[0] = clamp(b + grain);
      at[1] = clamp(g + grain);
      at[2] = clamp(r + grain);
    }
  }
  *bmi = bitmapinfo_set(bitmapinfoheader_set(kPhotoW, kPhotoH, 1, 24, U_BI_RGB, uint32_t(px.size()), 5906, 5906, 0, 0),
                        nullptr);
  return px;
}

void PageOne(const std::string& dir) {
  Page p(dir + "/mixed-p1.emf", u"zoltemfsamples\0Mixed job, page 1: text and shapes\0");
  p.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
  p.Add(U_EMRSETTEXTCOLOR_set(colorref3_set(0, 0, 0)));
  uint32_t f1 = Font(p, u"Arial", 48, U_ANSI_CHARSET, 700);
  TextW(p, 100, 80, u"Quarterly report", 28);
  Delete(p, f1);
  uint32_t f2 = Font(p, u"Times New Roman", 28, U_ANSI_CHARSET);
  TextW(p, 100, 160, u"Spaced wide text with an advance array", 16);
  TextA(p, 100, 210, "ANSI text, caf\xE9 cr\xE8me, with spacing", 15);
  p.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
  p.Add(U_EMRSETBKMODE_set(U_OPAQUE));
  p.Add(U_EMRSETBKCOLOR_set(colorref3_set(255, 255, 160)));
  TextW(p, 100, 290, u"Opaque and clipped", 15, U_ETO_OPAQUE | U_ETO_CLIPPED, Box(95, 255, 420, 300));
  p.Add(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
  p.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
  Delete(p, f2);
  uint32_t f3 = Font(p, u"MS Mincho", 36, U_SHIFTJIS_CHARSET);
  TextW(p, 100, 340, u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3001\u5370\u5237\u30C6\u30B9\u30C8", 36);
  TextW(p, 100, 400, u"\u5E73\u6210\u30FB\u4EE4\u548C\u3000\u6F22\u5B57\u3068\u304B\u306A", 40);
  Delete(p, f3);
  uint32_t f4 = Font(p, u"Arial", 30, U_ANSI_CHARSET, 400, 450);
  TextW(p, 900, 420, u"Rotated 45", 17);
  Delete(p, f4);

  // Shapes with pens and brushes.
  uint32_t pen = Pen(p, U_PS_SOLID, 4, colorref3_set(0, 0, 128));
  uint32_t b1 = SolidBrush(p, colorref3_set(220, 60, 60));
  p.Add(U_EMRRECTANGLE_set(Box(100, 500, 300, 650)));
  uint32_t b2 = SolidBrush(p, colorref3_set(60, 160, 60));
  p.Add(U_EMRROUNDRECT_set(Box(350, 500, 550, 650), sizel_set(40, 40)));
  uint32_t hb = 0;
  p.Add(createbrushindirect_set(&hb, p.Handles(), logbrush_set(U_BS_HATCHED, colorref3_set(0, 0, 200), U_HS_DIAGCROSS)));
  p.Add(selectobject_set(hb, p.Handles()));
  p.Add(U_EMRELLIPSE_set(Box(600, 500, 850, 650)));
  Delete(p, b1);
  p.Add(U_EMRCHORD_set(Box(100, 700, 300, 900), Pt(300, 700), Pt(100, 900)));
  p.Add(U_EMRPIE_set(Box(350, 700, 550, 900), Pt(550, 800), Pt(450, 700)));
  p.Add(U_EMRARC_set(Box(600, 700, 800, 900), Pt(800, 800), Pt(600, 800)));
  p.Add(U_EMRSETARCDIRECTION_set(U_AD_CLOCKWISE));
  p.Add(U_EMRARC_set(Box(850, 700, 1050, 900), Pt(1050, 800), Pt(850, 800)));
  p.Add(U_EMRSETARCDIRECTION_set(U_AD_COUNTERCLOCKWISE));
  p.Add(U_EMRMOVETOEX_set(Pt(100, 950)));
  p.Add(U_EMRLINETO_set(Pt(1100, 950)));
  p.Add(U_EMRANGLEARC_set(Pt(1000, 1100), 80, 0.0f, 270.0f));
  // A geometric dashed pen with round caps, and a cosmetic dotted one.
  uint32_t dashes[4] = {30, 10, 5, 10};
  PU_EXTLOGPEN elp = extlogpen_set(U_PS_GEOMETRIC | U_PS_USERSTYLE | U_PS_ENDCAP_ROUND | U_PS_JOIN_ROUND, 6, U_BS_SOLID,
                                   colorref3_set(128, 0, 128), 0, 4, dashes);
  uint32_t xp = 0;
  p.Add(extcreatepen_set(&xp, p.Handles(), nullptr, 0, nullptr, elp));
  std::free(elp);
  p.Add(selectobject_set(xp, p.Handles()));
  U_POINTL zig[6] = {Pt(100, 1050), Pt(200, 1150), Pt(300, 1050), Pt(400, 1150), Pt(500, 1050), Pt(600, 1150)};
  p.Add(U_EMRPOLYLINE_set(kNoBounds, 6, zig));
  uint32_t dot = Pen(p, U_PS_DOT, 1, colorref3_set(0, 0, 0));
  p.Add(U_EMRSETROP2_set(U_R2_COPYPEN));
  p.Add(U_EMRRECTANGLE_set(Box(90, 1200, 1150, 1300)));
  for (int i = 0; i < 40; ++i) p.Add(U_EMRSETPIXELV_set(Pt(100 + 25 * i, 1250), colorref3_set(uint8_t(6 * i), 0, 200)));
  p.Add(selectobject_set(U_NULL_BRUSH, p.Handles()));
  p.Add(selectobject_set(U_BLACK_PEN, p.Handles()));
  Delete(p, pen);
  Delete(p, b2);
  Delete(p, hb);
  Delete(p, xp);
  Delete(p, dot);
  p.Finish();
}

void PageTwo(const std::string& dir) {
  Page p(dir + "/mixed-p2.emf", u"zoltemfsamples\0Mixed job, page 2: pictures and fills\0");
  PU_BITMAPINFO bmi = nullptr;
  std::vector<char> photo = Photo(&bmi);
  const U_XFORM identity = xform_set(1, 0, 0, 1, 0, 0);
  p.Add(U_EMRSETSTRETCHBLTMODE_set(U_COLORONCOLOR));
  p.Add(U_EMRSTRETCHDIBITS_set(kNoBounds, Pt(100, 100), Pt(720, 480), Pt(0, 0), Pt(kPhotoW, kPhotoH), U_DIB_RGB_COLORS,
                               U_SRCCOPY, bmi, uint32_t(photo.size()), photo.data()));
  p.Add(U_EMRBITBLT_set(kNoBounds, Pt(850, 100), Pt(kPhotoW, kPhotoH), Pt(0, 0), identity, colorref3_set(255, 255, 255),
                        U_DIB_RGB_COLORS, U_SRCCOPY, bmi, uint32_t(photo.size()), photo.data()));
  p.Add(U_EMRSTRETCHBLT_set(kNoBounds, Pt(850, 300), Pt(120, 80), Pt(0, 0), Pt(kPhotoW, kPhotoH), identity,
                            colorref3_set(255, 255, 255), U_DIB_RGB_COLORS, U_NOTSRCCOPY, bmi, uint32_t(photo.size()),
                            photo.data()));
  p.Add(U_EMRSETDIBITSTODEVICE_set(kNoBounds, Pt(1000, 300), Pt(0, 0), Pt(kPhotoW / 2, kPhotoH / 2), U_DIB_RGB_COLORS, 0,
                                   kPhotoH, bmi, uint32_t(photo.size()), photo.data()));
  std::free(bmi);
  // A half-transparent 32-bit square with premultiplied alpha over the photograph.
  std::vector<char> argb(64 * 64 * 4);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int a = 64 + 3 * x / 2;
      char* at = argb.data() + (size_t(y) * 64 + size_t(x)) * 4;
      at[0] = char(0);
      at[1] = char(0);
      at[2] = char(a);  // red, premultiplied
      at[3] = char(a);
    }
  PU_BITMAPINFO abmi = bitmapinfo_set(bitmapinfoheader_set(64, 64, 1, 32, U_BI_RGB, uint32_t(argb.size()), 0, 0, 0, 0), nullptr);
  U_BLEND blend{0, 0, 200, U_AC_SRC_ALPHA};  // source over
  p.Add(U_EMRALPHABLEND_set(kNoBounds, Pt(300, 250), Pt(256, 256), Pt(0, 0), Pt(64, 64), identity, colorref3_set(255, 255, 255), U_DIB_RGB_COLORS, blend,
                            abmi, uint32_t(argb.size()), argb.data()));
  std::free(abmi);
  // Gradients: a horizontal band, a vertical band and two triangles.
  U_TRIVERTEX tv[4] = {{100, 650, 0xFF00, 0, 0, 0}, {600, 750, 0, 0, 0xFF00, 0}, {650, 650, 0, 0xFF00, 0, 0},
                       {1100, 750, 0xFF00, 0xFF00, 0, 0}};
  U_GRADIENT4 rects[2] = {{0, 1}, {2, 3}};
  p.Add(U_EMRGRADIENTFILL_set(kNoBounds, 2, 1, U_GRADIENT_FILL_RECT_H, tv, reinterpret_cast<uint32_t*>(&rects[0])));
  p.Add(U_EMRGRADIENTFILL_set(kNoBounds, 2, 1, U_GRADIENT_FILL_RECT_V, tv + 2, reinterpret_cast<uint32_t*>(&rects[0])));
  U_TRIVERTEX tri[4] = {{100, 800, 0xFF00, 0, 0, 0}, {600, 800, 0, 0xFF00, 0, 0}, {350, 1050, 0, 0, 0xFF00, 0},
                        {850, 1050, 0xFF00, 0xFF00, 0xFF00, 0}};
  U_GRADIENT3 tris[2] = {{0, 1, 2}, {1, 3, 2}};
  p.Add(U_EMRGRADIENTFILL_set(kNoBounds, 4, 2, U_GRADIENT_FILL_TRIANGLE, tri, reinterpret_cast<uint32_t*>(tris)));
  // A DIB pattern brush (8 x 8 checks of two colours) and a monochrome brush in the text colours.
  std::vector<char> checks(8 * 4 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      char* at = checks.data() + (size_t(y) * 8 + size_t(x)) * 4;
      const bool dark = ((x / 4) + (y / 4)) % 2 == 0;
      at[0] = char(dark ? 160 : 240);
      at[1] = char(dark ? 80 : 220);
      at[2] = char(dark ? 20 : 200);
      at[3] = 0;
    }
  PU_BITMAPINFO cbmi = bitmapinfo_set(bitmapinfoheader_set(8, 8, 1, 32, U_BI_RGB, uint32_t(checks.size()), 0, 0, 0, 0), nullptr);
  uint32_t pat = 0;
  p.Add(createdibpatternbrushpt_set(&pat, p.Handles(), U_DIB_RGB_COLORS, cbmi, uint32_t(checks.size()), checks.data()));
  std::free(cbmi);
  p.Add(selectobject_set(pat, p.Handles()));
  p.Add(selectobject_set(U_NULL_PEN, p.Handles()));
  p.Add(U_EMRRECTANGLE_set(Box(100, 1100, 500, 1300)));
  char mono[8 * 4];
  for (int y = 0; y < 8; ++y) {
    mono[y * 4] = char(y % 2 ? 0xAA : 0x55);
    mono[y * 4 + 1] = mono[y * 4 + 2] = mono[y * 4 + 3] = 0;
  }
  U_RGBQUAD two[2] = {rgbquad_set(0, 0, 0, 0), rgbquad_set(255, 255, 255, 0)};
  PU_BITMAPINFO mbmi = bitmapinfo_set(bitmapinfoheader_set(8, 8, 1, 1, U_BI_RGB, sizeof(mono), 0, 0, 2, 0), two);
  uint32_t mb = 0;
  p.Add(createmonobrush_set(&mb, p.Handles(), U_DIB_PAL_COLORS, mbmi, sizeof(mono), mono));
  std::free(mbmi);
  p.Add(U_EMRSETTEXTCOLOR_set(colorref3_set(0, 90, 0)));
  p.Add(U_EMRSETBKCOLOR_set(colorref3_set(230, 255, 230)));
  p.Add(selectobject_set(mb, p.Handles()));
  p.Add(U_EMRRECTANGLE_set(Box(550, 1100, 950, 1300)));
  p.Add(selectobject_set(U_WHITE_BRUSH, p.Handles()));
  Delete(p, pat);
  Delete(p, mb);
  // A blue cross on magenta drawn with magenta transparent, the photograph turned onto a
  // parallelogram through an elliptical mask, and the photograph copied through the same mask.
  std::vector<char> cross(16 * 16 * 3);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      char* at = cross.data() + (size_t(y) * 16 + size_t(x)) * 3;
      const bool bar = (x >= 6 && x < 10) || (y >= 6 && y < 10);
      at[0] = char(255);
      at[1] = char(0);
      at[2] = char(bar ? 0 : 255);
    }
  PU_BITMAPINFO xbmi = bitmapinfo_set(bitmapinfoheader_set(16, 16, 1, 24, U_BI_RGB, uint32_t(cross.size()), 0, 0, 0, 0), nullptr);
  p.Add(U_EMRTRANSPARENTBLT_set(kNoBounds, Pt(100, 1350), Pt(160, 160), Pt(0, 0), Pt(16, 16), identity,
                                colorref3_set(255, 255, 255), U_DIB_RGB_COLORS, 0x00FF00FFu, xbmi,
                                uint32_t(cross.size()), cross.data()));
  std::free(xbmi);
  const int maskStride = ((kPhotoW + 31) / 32) * 4;
  std::vector<char> ellipse(size_t(maskStride) * kPhotoH);
  for (int y = 0; y < kPhotoH; ++y)
    for (int x = 0; x < kPhotoW; ++x) {
      const double dx = (x - kPhotoW / 2.0) / (kPhotoW / 2.0), dy = (y - kPhotoH / 2.0) / (kPhotoH / 2.0);
      if (dx * dx + dy * dy <= 1) ellipse[size_t(y) * maskStride + size_t(x / 8)] |= char(0x80 >> (x % 8));
    }
  PU_BITMAPINFO ebmi = bitmapinfo_set(bitmapinfoheader_set(kPhotoW, kPhotoH, 1, 1, U_BI_RGB, uint32_t(ellipse.size()), 0, 0, 2, 0), two);
  PU_BITMAPINFO pbmi = nullptr;
  std::vector<char> photo2 = Photo(&pbmi);
  U_POINTL corners[3] = {Pt(400, 1400), Pt(620, 1340), Pt(440, 1550)};
  p.Add(U_EMRPLGBLT_set(kNoBounds, corners, Pt(0, 0), Pt(kPhotoW, kPhotoH), identity, colorref3_set(255, 255, 255),
                        U_DIB_RGB_COLORS, Pt(0, 0), U_DIB_RGB_COLORS, pbmi, uint32_t(photo2.size()), photo2.data(), ebmi,
                        uint32_t(ellipse.size()), ellipse.data()));
  p.Add(U_EMRMASKBLT_set(kNoBounds, Pt(750, 1350), Pt(kPhotoW, kPhotoH), Pt(0, 0), identity, colorref3_set(255, 255, 255),
                         U_DIB_RGB_COLORS, Pt(0, 0), U_DIB_RGB_COLORS, 0xAACC0020u, pbmi, uint32_t(photo2.size()),
                         photo2.data(), ebmi, uint32_t(ellipse.size()), ellipse.data()));
  std::free(pbmi);
  std::free(ebmi);
  // A palette, selected and realized.
  U_LOGPALETTE lp{};
  lp.palVersion = 0x300;
  lp.palNumEntries = 1;  // the library's record holds one entry
  lp.palPalEntry[0] = logpltntry_set(0, 200, 100, 50);
  uint32_t pal = 0;
  p.Add(createpalette_set(&pal, p.Handles(), lp));
  p.Add(U_EMRSELECTPALETTE_set(pal));
  p.Add(U_EMRREALIZEPALETTE_set());
  p.Add(U_EMRSELECTPALETTE_set(U_DEFAULT_PALETTE));
  Delete(p, pal);
  p.Finish();
}

void PageThree(const std::string& dir) {
  Page p(dir + "/mixed-p3.emf", u"zoltemfsamples\0Mixed job, page 3: paths, clipping and transforms\0");
  p.Add(textcomment_set("zoltemfsamples: page 3"));
  // An EMF+ record inside a comment, with the usual GDI drawing beside it.
  uint32_t plus[5] = {U_EMR_COMMENT_EMFPLUSRECORD, 0x00004001, 0x00000001, 28, 16};
  p.Add(U_EMRCOMMENT_set(sizeof(plus), reinterpret_cast<const char*>(plus)));
  uint32_t pen = Pen(p, U_PS_SOLID, 3, colorref3_set(0, 0, 0));
  uint32_t br = SolidBrush(p, colorref3_set(250, 200, 60));
  // A path of lines and curves, filled and stroked.
  p.Add(U_EMRBEGINPATH_set());
  p.Add(U_EMRMOVETOEX_set(Pt(100, 100)));
  U_POINTL curve[3] = {Pt(200, 0), Pt(300, 200), Pt(400, 100)};
  p.Add(U_EMRPOLYBEZIERTO_set(kNoBounds, 3, curve));
  U_POINTL back[2] = {Pt(400, 300), Pt(100, 300)};
  p.Add(U_EMRPOLYLINETO_set(kNoBounds, 2, back));
  p.Add(U_EMRCLOSEFIGURE_set());
  p.Add(U_EMRENDPATH_set());
  p.Add(U_EMRSTROKEANDFILLPATH_set(kNoBounds));
  // 16-bit poly records.
  U_POINT16 tri16[3] = {{500, 300}, {600, 100}, {700, 300}};
  p.Add(U_EMRPOLYGON16_set(kNoBounds, 3, tri16));
  U_POINT16 line16[4] = {{750, 100}, {800, 300}, {850, 100}, {900, 300}};
  p.Add(U_EMRPOLYLINE16_set(kNoBounds, 4, line16));
  U_POINT16 bez16[4] = {{950, 300}, {1000, 50}, {1100, 350}, {1150, 100}};
  p.Add(U_EMRPOLYBEZIER16_set(kNoBounds, 4, bez16));
  uint32_t counts[2] = {4, 4};
  U_POINT16 rings[8] = {{100, 400}, {400, 400}, {400, 600}, {100, 600}, {150, 450}, {350, 450}, {350, 550}, {150, 550}};
  p.Add(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
  p.Add(U_EMRPOLYPOLYGON16_set(kNoBounds, 2, counts, 8, rings));
  U_POINTL stars[8] = {Pt(500, 400), Pt(700, 600), Pt(500, 600), Pt(700, 400), Pt(750, 400), Pt(950, 600), Pt(750, 600),
                       Pt(950, 400)};
  p.Add(U_EMRPOLYPOLYLINE_set(kNoBounds, 2, counts, 8, stars));
  U_POINTL drawPts[4] = {Pt(1000, 400), Pt(1150, 450), Pt(1000, 550), Pt(1150, 600)};
  uint8_t drawTypes[4] = {U_PT_MOVETO, U_PT_BEZIERTO, U_PT_BEZIERTO, U_PT_BEZIERTO};
  p.Add(PolyDraw(4, drawPts, drawTypes));
  // Clipping: a rectangle, then a region, then a path, each inside a saved state.
  p.Add(U_EMRSAVEDC_set());
  p.Add(U_EMRINTERSECTCLIPRECT_set(Box(100, 700, 400, 800)));
  p.Add(U_EMREXCLUDECLIPRECT_set(Box(200, 720, 250, 780)));
  p.Add(U_EMRELLIPSE_set(Box(50, 650, 450, 850)));
  p.Add(U_EMRRESTOREDC_set(-1));
  p.Add(U_EMRSAVEDC_set());
  U_RECTL parts[2] = {Box(500, 700, 700, 760), Box(550, 760, 650, 850)};
  PU_RGNDATA rgn = rgndata_set(rgndataheader_set(2, Box(500, 700, 700, 850)), parts);
  p.Add(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, rgn));
  p.Add(U_EMRRECTANGLE_set(Box(480, 680, 720, 870)));
  p.Add(U_EMRRESTOREDC_set(-1));
  p.Add(U_EMRFILLRGN_set(Box(500, 700, 700, 850), br, rgn));
  std::free(rgn);
  p.Add(U_EMRSAVEDC_set());
  p.Add(U_EMRBEGINPATH_set());
  p.Add(U_EMRELLIPSE_set(Box(800, 680, 1100, 880)));
  p.Add(U_EMRENDPATH_set());
  p.Add(U_EMRSELECTCLIPPATH_set(U_RGN_COPY));
  for (int i = 0; i < 12; ++i) {
    p.Add(U_EMRMOVETOEX_set(Pt(780, 680 + 18 * i)));
    p.Add(U_EMRLINETO_set(Pt(1120, 700 + 18 * i)));
  }
  p.Add(U_EMRRESTOREDC_set(-1));
  // World transforms: set, modified by multiplication, and reset.
  p.Add(U_EMRSAVEDC_set());
  const float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
  p.Add(U_EMRSETWORLDTRANSFORM_set(xform_set(c, s, -s, c, 300, 1000)));
  p.Add(U_EMRRECTANGLE_set(Box(0, 0, 200, 100)));
  p.Add(U_EMRMODIFYWORLDTRANSFORM_set(xform_set(0.5f, 0, 0, 0.5f, 0, 0), U_MWT_LEFTMULTIPLY));
  p.Add(U_EMRELLIPSE_set(Box(0, 0, 200, 100)));
  p.Add(U_EMRMODIFYWORLDTRANSFORM_set(xform_set(1, 0, 0, 1, 0, 0), U_MWT_IDENTITY));
  p.Add(U_EMRRESTOREDC_set(-1));
  // A metric mapping mode: a tenth-millimetre grid box.
  p.Add(U_EMRSAVEDC_set());
  p.Add(U_EMRSETMAPMODE_set(U_MM_LOMETRIC));
  p.Add(U_EMRSETVIEWPORTORGEX_set(Pt(700, 1000)));
  p.Add(U_EMRRECTANGLE_set(Box(0, 0, 500, -300)));
  p.Add(U_EMRRESTOREDC_set(-1));
  p.Add(U_EMRSAVEDC_set());
  p.Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  p.Add(U_EMRSETWINDOWEXTEX_set(sizel_set(100, 100)));
  p.Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(300, 150)));
  p.Add(U_EMRSETVIEWPORTORGEX_set(Pt(100, 1300)));
  p.Add(U_EMRSCALEVIEWPORTEXTEX_set(1, 1, 2, 1));
  p.Add(U_EMRROUNDRECT_set(Box(0, 0, 100, 100), sizel_set(20, 20)));
  p.Add(U_EMRRESTOREDC_set(-1));
  p.Add(selectobject_set(U_BLACK_PEN, p.Handles()));
  p.Add(selectobject_set(U_WHITE_BRUSH, p.Handles()));
  Delete(p, pen);
  Delete(p, br);
  p.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr, "usage: zoltemfsamples OUTDIR\nWrites the job samples mixed-p1.emf .. mixed-p3.emf.\n");
    return argc == 2 ? 0 : 1;
  }
  const std::string dir = argv[1];
  PageOne(dir);
  PageTwo(dir);
  PageThree(dir);
  return 0;
}
