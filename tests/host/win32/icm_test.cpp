// Colour management: profiles from memory and from the colour folder, transforms from logical
// colour spaces and profile chains, checked against Little CMS used directly; damaged and
// wrong-class profiles; the driver's shipped profile in the colour folder after installing.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/file.h"
#include "win32/hostpath.h"
#include "win32/icm.h"

namespace zolt::test {
namespace {

std::vector<uint8_t> Bytes(cmsHPROFILE p) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(p, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  cmsSaveProfileToMem(p, bytes.data(), &size);
  cmsCloseProfile(p);
  return bytes;
}

// An output RGB profile unlike sRGB, so that matching changes colours.
std::vector<uint8_t> PrinterProfile() {
  const cmsCIExyYTRIPLE primaries = {{0.62, 0.33, 1}, {0.30, 0.58, 1}, {0.16, 0.08, 1}};
  const cmsCIExyY white = {0.3457, 0.3585, 1};
  cmsToneCurve* g = cmsBuildGamma(nullptr, 1.8);
  cmsToneCurve* curves[3] = {g, g, g};
  cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(g);
  cmsSetDeviceClass(p, cmsSigOutputClass);
  return Bytes(p);
}

HPROFILE OpenMemory(std::vector<uint8_t>& bytes) {
  PROFILE profile{PROFILE_MEMBUFFER, bytes.data(), DWORD(bytes.size())};
  return OpenColorProfileW(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

LOGCOLORSPACEW SrgbSpace(LCSGAMUTMATCH intent) {
  LOGCOLORSPACEW lcs{};
  lcs.lcsSignature = LCS_SIGNATURE;
  lcs.lcsVersion = 0x400;
  lcs.lcsSize = sizeof lcs;
  lcs.lcsCSType = LCS_sRGB;
  lcs.lcsIntent = intent;
  return lcs;
}

// What Little CMS itself makes of pixels from sRGB to the profile.
std::vector<uint8_t> Direct(const std::vector<uint8_t>& profile, cmsUInt32Number intent, cmsUInt32Number type,
                            const std::vector<uint8_t>& in, size_t count) {
  cmsHPROFILE src = cmsCreate_sRGBProfile();
  cmsHPROFILE dst = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
  cmsHTRANSFORM t = cmsCreateTransform(src, type, dst, type, intent, cmsFLAGS_HIGHRESPRECALC);
  std::vector<uint8_t> out(in.size());
  cmsDoTransform(t, in.data(), out.data(), cmsUInt32Number(count));
  cmsDeleteTransform(t);
  cmsCloseProfile(src);
  cmsCloseProfile(dst);
  return out;
}

class Icm : public MachineTest {};

TEST_F(Icm, BitmapsAreTranslatedAsLittleCmsTranslatesThem) {
  std::vector<uint8_t> bytes = PrinterProfile();
  HPROFILE profile = OpenMemory(bytes);
  ASSERT_NE(profile, nullptr);
  struct Case {
    LCSGAMUTMATCH gamut;
    cmsUInt32Number intent;
  };
  const std::vector<uint8_t> pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 200, 120, 40, 0, 0, 0, 255, 255, 255};
  for (const Case& c : {Case{LCS_GM_IMAGES, INTENT_PERCEPTUAL}, Case{LCS_GM_GRAPHICS, INTENT_RELATIVE_COLORIMETRIC},
                        Case{LCS_GM_BUSINESS, INTENT_SATURATION},
                        Case{LCS_GM_ABS_COLORIMETRIC, INTENT_ABSOLUTE_COLORIMETRIC}}) {
    SCOPED_TRACE(c.gamut);
    LOGCOLORSPACEW lcs = SrgbSpace(c.gamut);
    HTRANSFORM t = CreateColorTransformW(&lcs, profile, nullptr, BEST_MODE);
    ASSERT_NE(t, nullptr);
    // Two rows of three pixels, padded to 12 bytes: blue first in memory (RGB triplets).
    std::vector<uint8_t> in(24, 0xEE), out(24, 0xEE);
    std::copy(pixels.begin(), pixels.begin() + 9, in.begin());
    std::copy(pixels.begin() + 9, pixels.end(), in.begin() + 12);
    ASSERT_TRUE(TranslateBitmapBits(t, in.data(), BM_RGBTRIPLETS, 3, 2, 0, out.data(), BM_RGBTRIPLETS, 0, nullptr, 0));
    const auto want = Direct(bytes, c.intent, TYPE_BGR_8, pixels, 6);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 9), std::vector<uint8_t>(want.begin(), want.begin() + 9));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 12, out.begin() + 21), std::vector<uint8_t>(want.begin() + 9, want.end()));
    // Red-first triplets and 16-bit colours through the same transform.
    std::vector<uint8_t> rgbIn(pixels.begin(), pixels.begin() + 3), rgbOut(3);
    ASSERT_TRUE(TranslateBitmapBits(t, rgbIn.data(), BM_BGRTRIPLETS, 1, 1, 0, rgbOut.data(), BM_BGRTRIPLETS, 0, nullptr, 0));
    EXPECT_EQ(rgbOut, Direct(bytes, c.intent, TYPE_RGB_8, rgbIn, 1));
    EXPECT_TRUE(DeleteColorTransform(t));
  }
  // The profile may be closed while a transform made from it lives on.
  LOGCOLORSPACEW lcs = SrgbSpace(LCS_GM_IMAGES);
  HTRANSFORM t = CreateColorTransformW(&lcs, profile, nullptr, NORMAL_MODE);
  ASSERT_TRUE(CloseColorProfile(profile));
  COLOR in{}, out{};
  in.rgb = {0xFFFF, 0x8000, 0};
  ASSERT_TRUE(TranslateColors(t, &in, 1, COLOR_RGB, &out, COLOR_RGB));
  EXPECT_NE(out.rgb.red, 0);
  EXPECT_FALSE(TranslateColors(t, &in, 1, COLOR_CMYK, &out, COLOR_RGB));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_COLORSPACE_MISMATCH));
  EXPECT_TRUE(DeleteColorTransform(t));
  EXPECT_FALSE(DeleteColorTransform(t));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseColorProfile(profile));
}

TEST_F(Icm, ProfileChainsAndProgress) {
  std::vector<uint8_t> srgb = Bytes(cmsCreate_sRGBProfile()), printer = PrinterProfile();
  HPROFILE chain[2] = {OpenMemory(srgb), OpenMemory(printer)};
  DWORD intent = INTENT_RELATIVE_COLORIMETRIC;
  HTRANSFORM t = CreateMultiProfileTransform(chain, 2, &intent, 1, BEST_MODE, INDEX_DONT_CARE);
  ASSERT_NE(t, nullptr);
  std::vector<uint8_t> in = {10, 20, 30, 0}, out(4);
  ASSERT_TRUE(TranslateBitmapBits(t, in.data(), BM_RGBTRIPLETS, 1, 1, 0, out.data(), BM_RGBTRIPLETS, 0, nullptr, 0));
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 3),
            Direct(printer, INTENT_RELATIVE_COLORIMETRIC, TYPE_BGR_8, {10, 20, 30}, 1));
  // A progress callback that says stop.
  auto stop = [](ULONG, ULONG, LPARAM) -> BOOL { return FALSE; };
  EXPECT_FALSE(TranslateBitmapBits(t, in.data(), BM_RGBTRIPLETS, 1, 1, 0, out.data(), BM_RGBTRIPLETS, 0, stop, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANCELLED));
  // Formats the host does not take, strides shorter than a row.
  EXPECT_FALSE(TranslateBitmapBits(t, in.data(), BM_565RGB, 1, 1, 0, out.data(), BM_RGBTRIPLETS, 0, nullptr, 0));
  EXPECT_FALSE(TranslateBitmapBits(t, in.data(), BM_RGBTRIPLETS, 4, 1, 8, out.data(), BM_RGBTRIPLETS, 0, nullptr, 0));
  DeleteColorTransform(t);
  CloseColorProfile(chain[0]);
  CloseColorProfile(chain[1]);
}

TEST_F(Icm, DamagedAndWrongProfilesAreRefused) {
  std::vector<uint8_t> bytes = PrinterProfile();
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 100);
  SetLastError(0);
  EXPECT_EQ(OpenMemory(cut), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PROFILE));
  std::vector<uint8_t> garbage(bytes.size(), 0x41);
  EXPECT_EQ(OpenMemory(garbage), nullptr);
  // Every tag offset pointing past the end.
  std::vector<uint8_t> broken = bytes;
  const size_t tags = (size_t(broken[128]) << 24) | (size_t(broken[129]) << 16) | (size_t(broken[130]) << 8) | broken[131];
  for (size_t i = 0, at = 132; i < tags && at + 12 <= broken.size(); ++i, at += 12) broken[at + 4] = 0x7F;
  HPROFILE h = OpenMemory(broken);
  if (h) {
    LOGCOLORSPACEW lcs = SrgbSpace(LCS_GM_IMAGES);
    EXPECT_EQ(CreateColorTransformW(&lcs, h, nullptr, BEST_MODE), nullptr);
    CloseColorProfile(h);
  }
  // An abstract profile cannot end a chain.
  std::vector<uint8_t> abstract = Bytes(cmsCreateLab4Profile(nullptr));
  abstract[12] = 'a', abstract[13] = 'b', abstract[14] = 's', abstract[15] = 't';
  HPROFILE a = OpenMemory(abstract);
  ASSERT_NE(a, nullptr);
  LOGCOLORSPACEW lcs = SrgbSpace(LCS_GM_IMAGES);
  EXPECT_EQ(CreateColorTransformW(&lcs, a, nullptr, BEST_MODE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PROFILE));
  CloseColorProfile(a);
  // A colour space without its signature, and one of an unknown type.
  std::vector<uint8_t> printer = PrinterProfile();
  HPROFILE p = OpenMemory(printer);
  lcs.lcsSignature = 0;
  EXPECT_EQ(CreateColorTransformW(&lcs, p, nullptr, BEST_MODE), nullptr);
  lcs = SrgbSpace(LCS_GM_IMAGES);
  lcs.lcsCSType = 0x12345678;
  EXPECT_EQ(CreateColorTransformW(&lcs, p, nullptr, BEST_MODE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_COLORSPACE));
  CloseColorProfile(p);
  PROFILE none{PROFILE_FILENAME, const_cast<char16_t*>(u"missing.icm"), 0};
  EXPECT_EQ(OpenColorProfileW(&none, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING), nullptr);
}

TEST_F(Icm, ProfilesByNameComeFromTheColourFolder) {
  WCHAR folder[MAX_PATH];
  DWORD size = 4;
  EXPECT_FALSE(GetColorDirectoryW(nullptr, folder, &size));
  EXPECT_EQ(size, DWORD(sizeof(u"C:\\Windows\\System32\\spool\\drivers\\color")));
  size = sizeof folder;
  ASSERT_TRUE(GetColorDirectoryW(nullptr, folder, &size));
  EXPECT_EQ(std::u16string(folder), u"C:\\Windows\\System32\\spool\\drivers\\color");
  std::vector<uint8_t> bytes = PrinterProfile();
  std::filesystem::create_directories(Root() / "drive_c" / "Windows" / "System32" / "spool" / "drivers" / "color");
  const auto file = Real(std::u16string(folder) + u"\\mine.icm");
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  PROFILE byName{PROFILE_FILENAME, const_cast<char16_t*>(u"MINE.ICM"), 0};
  HPROFILE h = OpenColorProfileW(&byName, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, nullptr);
  CloseColorProfile(h);
}

class ShippedProfile : public DriverMachineTest {};

TEST_F(ShippedProfile, IsInstalledIntoTheColourFolderWithTheMakersSignatures) {
  const auto file = Real(u"C:\\Windows\\System32\\spool\\drivers\\color\\ZOLTRGB.icm");
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 128u);
  EXPECT_EQ(bytes.substr(4, 4), "QVMS");
  EXPECT_EQ(bytes.substr(12, 4), "prtr");
  EXPECT_EQ(bytes.substr(16, 4), "RGB ");
  EXPECT_EQ(bytes.substr(36, 4), "acsp");
  EXPECT_EQ(bytes.substr(48, 4), "ORVX");
  PROFILE byName{PROFILE_FILENAME, const_cast<char16_t*>(u"ZOLTRGB.icm"), 0};
  HPROFILE h = OpenColorProfileW(&byName, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, nullptr);
  LOGCOLORSPACEW lcs = SrgbSpace(LCS_GM_GRAPHICS);
  HTRANSFORM t = CreateColorTransformW(&lcs, h, nullptr, BEST_MODE);
  EXPECT_NE(t, nullptr);
  DeleteColorTransform(t);
  CloseColorProfile(h);
}

}  // namespace
}  // namespace zolt::test
