// Colour transforms: the module's transforms from the shipped printer profile, colours,
// patterns and images matched through the intent of their kind of object and compared with
// Little CMS used directly, and the cases where the module must leave colours alone.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gr_brush.h"
#include "gr_color_transform.h"
#include "gr_draw_support.h"
#include "gr_drawing_entries.h"

namespace zolt::test {
namespace {

std::vector<uint8_t> ShippedProfile() {
  std::ifstream in(std::string(ZOLT_MODULE_DIR) + "/ZOLTRGB.icm", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Direct(const std::vector<uint8_t>& profile, cmsUInt32Number intent, cmsUInt32Number type,
                   const std::string& in) {
  cmsHPROFILE src = cmsCreate_sRGBProfile();
  cmsHPROFILE dst = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
  cmsHTRANSFORM t = cmsCreateTransform(src, type, dst, type, intent, cmsFLAGS_HIGHRESPRECALC);
  std::string out(in.size(), '\0');
  cmsDoTransform(t, in.data(), out.data(), cmsUInt32Number(in.size() / 3));
  cmsDeleteTransform(t);
  cmsCloseProfile(src);
  cmsCloseProfile(dst);
  return out;
}

// A job matching colours on the host with separate intents: text absolute colorimetric,
// lines relative colorimetric, images perceptual.
class Matching {
 public:
  explicit Matching(uint32_t adjustMode = 1) {
    ColourTransformState& c = t.pdev()->colourTransform;
    c.colorMatching = 1;
    c.icmType = 1;
    c.adjustMode = adjustMode;
    c.intents[0] = LCS_GM_ABS_COLORIMETRIC;
    c.intents[1] = LCS_GM_GRAPHICS;
    c.intents[2] = LCS_GM_IMAGES;
    c.intents[3] = LCS_GM_ABS_COLORIMETRIC;
    profile = ShippedProfile();
  }
  HANDLE Create() {
    LOGCOLORSPACEW lcs{};
    lcs.lcsSignature = LCS_SIGNATURE;
    lcs.lcsSize = sizeof lcs;
    lcs.lcsCSType = LCS_sRGB;
    lcs.lcsIntent = LCS_GM_IMAGES;
    return DrvIcmCreateColorTransform(reinterpret_cast<DHPDEV>(t.pdev()), &lcs, nullptr, 0, profile.data(),
                                      ULONG(profile.size()), nullptr, 0, 0);
  }
  ~Matching() { DrvIcmDeleteColorTransform(reinterpret_cast<DHPDEV>(t.pdev()), nullptr); }
  DrawTarget t;
  std::vector<uint8_t> profile;
};

// The colour record of a state with one colour.
std::string ColourRecord(DrawTarget& t, uint16_t objectKind, uint32_t colour, uint32_t hostMatched = 0) {
  DrawState s{};
  s.backgroundMode = 1;
  s.color1 = GrSwapRedBlue(colour);
  s.objectKind = objectKind;
  s.hostMatched = hostMatched;
  GrInvalidateStateCache(t.pdev());
  EXPECT_EQ(GrEmitColors(t.pdev(), &s), 1);
  const auto r = t.Records();
  return r.size() == 1 ? r[0].bytes : std::string();
}

const std::string kOrange("\xE0\x80\x20", 3);  // R, G, B

TEST(GrColorTransform, TextAndLinesAreMatchedWithTheirOwnIntents) {
  Matching m;
  ASSERT_FALSE(m.profile.empty());
  ASSERT_NE(m.Create(), nullptr);
  const std::string text = ColourRecord(m.t, kObjectText, 0xF0E8E0);
  const std::string line = ColourRecord(m.t, kObjectFill, 0xF0E8E0);
  ASSERT_EQ(text.size(), 8u);
  ASSERT_EQ(line.size(), 8u);
  EXPECT_EQ(text[2] & 0xC0, 0xC0);  // text, matched
  EXPECT_EQ(line[2] & 0xC0, 0x80);
  const std::string paper("\xF0\xE8\xE0", 3);
  EXPECT_EQ(text.substr(4, 3), Direct(m.profile, INTENT_ABSOLUTE_COLORIMETRIC, TYPE_RGB_8, paper));
  EXPECT_EQ(line.substr(4, 3), Direct(m.profile, INTENT_RELATIVE_COLORIMETRIC, TYPE_RGB_8, paper));
  EXPECT_NE(text.substr(4, 3), line.substr(4, 3));
  // A colour the host already matched is left alone.
  const std::string already = ColourRecord(m.t, kObjectFill, 0xE08020, 1);
  EXPECT_EQ(already.substr(4, 3), kOrange);
}

TEST(GrColorTransform, OneIntentForEverythingWithoutSeparateIntents) {
  Matching m(0);
  ASSERT_NE(m.Create(), nullptr);
  const std::string want = Direct(m.profile, INTENT_ABSOLUTE_COLORIMETRIC, TYPE_RGB_8, kOrange);
  EXPECT_EQ(ColourRecord(m.t, kObjectText, 0xE08020).substr(4, 3), want);
  EXPECT_EQ(ColourRecord(m.t, kObjectFill, 0xE08020).substr(4, 3), want);
}

TEST(GrColorTransform, PatternsAndImagesAreMatched) {
  Matching m;
  ASSERT_NE(m.Create(), nullptr);
  // A 24-bit pattern brush: its pattern through the line intent, blue first.
  std::vector<BYTE> memory(sizeof(RealizedBrush) + kColorPatternBytes);
  auto* brush = new (memory.data()) RealizedBrush{kBrushKindPattern, 0, 0, 0, 0xFFFFFF, 24, 32, 0};
  for (uint32_t i = 0; i < kColorPatternBytes; ++i) brush->Pattern()[i] = static_cast<BYTE>(i * 7);
  ASSERT_EQ(GrEmitBrush(m.t.pdev(), brush), 1);
  auto r = m.t.Records();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].bytes[1] & 0x40, 0x40);
  const std::string pattern(reinterpret_cast<char*>(brush->Pattern()), kColorPatternBytes);
  EXPECT_EQ(r[0].bytes.substr(6, kColorPatternBytes), Direct(m.profile, INTENT_RELATIVE_COLORIMETRIC, TYPE_BGR_8, pattern));

  // A 24-bit image through the image intent, and marked.
  EngBitmap src(2, 1, BMF_24BPP);
  std::memcpy(src.Row(0), "\x20\x80\xE0\x00\x00\xFF", 6);
  RECTL dest{0, 0, 2, 1};
  POINTL zero{0, 0};
  ASSERT_TRUE(DrvBitBlt(m.t.so(), src.so(), nullptr, nullptr, nullptr, &dest, &zero, nullptr, nullptr, nullptr, 0xCCCC));
  r = m.t.Records();
  ASSERT_EQ(r.back().opcode, 32);
  EXPECT_EQ(r.back().bytes[3] & 0x08, 0x08);
  EXPECT_EQ(r.back().bytes.substr(56, 6),
            Direct(m.profile, INTENT_PERCEPTUAL, TYPE_BGR_8, std::string("\x20\x80\xE0\x00\x00\xFF", 6)));
}

TEST(GrColorTransform, NothingIsMatchedInThePrinterOrOnAMonochromeJob) {
  {
    Matching m;
    m.t.pdev()->icmInPrinter = 1;
    EXPECT_NE(m.Create(), nullptr) << "the engine still gets its transform";
    EXPECT_EQ(ColourRecord(m.t, kObjectFill, 0xE08020).substr(4, 3), kOrange);
  }
  {
    Matching m;
    m.t.pdev()->colourMode = 1;
    ASSERT_NE(m.Create(), nullptr);
    EXPECT_EQ(ColourRecord(m.t, kObjectFill, 0xE08020).substr(4, 3), kOrange);
  }
}

TEST(GrColorTransform, BadProfilesGiveNoTransformAndDeleteForgetsTheSet) {
  Matching m;
  m.profile.resize(60);
  EXPECT_EQ(m.Create(), nullptr);
  EXPECT_EQ(ColourRecord(m.t, kObjectFill, 0xE08020).substr(4, 3), kOrange);
  m.profile = ShippedProfile();
  ASSERT_NE(m.Create(), nullptr);
  ASSERT_NE(m.Create(), nullptr);  // a second set replaces the first
  HANDLE main = m.t.pdev()->colourTransform.transforms[kIcmMain];
  EXPECT_TRUE(DrvIcmDeleteColorTransform(reinterpret_cast<DHPDEV>(m.t.pdev()), main));
  for (void* h : m.t.pdev()->colourTransform.transforms) EXPECT_EQ(h, nullptr);
  EXPECT_EQ(GrTranslateColors(m.t.pdev(), m.profile.data(), BM_RGBTRIPLETS, 1, 1, nullptr, kIcmObjectLine), 0);
  SetLastError(0);
  EXPECT_FALSE(DrvIcmDeleteColorTransform(nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace zolt::test
