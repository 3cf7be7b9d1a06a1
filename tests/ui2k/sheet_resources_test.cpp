// The resource libraries of the sheets: which library a bitmap comes from, the strings of both
// languages, the colour adjustments of sample pictures, and bitmaps from outside (resource data
// and BMP files) refused when damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "env_language.h"
#include "sheet_picture_fixture.h"

namespace {

using zolt::test::PictureTest;
using zolt::test::ReadBytes;
using zolt::test::Surface;
using zolt::test::WriteBytes;

std::string Fixture(const char* name) {
  return ReadBytes(std::filesystem::path(ZOLT_SOURCE_DIR) / "tests/ui2k/fixtures/pictures" / name);
}

// The resource form of a BMP file: without its 14-byte file header.
std::string Packed(const std::string& file) { return file.substr(14); }

class Libraries : public PictureTest {};

TEST_F(Libraries, BitmapIdsComeFromTheLibraryOfTheirRange) {
  HMODULE language = EnvLoadResourceDll(ctx);
  HMODULE neutral = UiLoadCommonResDll(ctx);
  ASSERT_NE(language, nullptr);
  ASSERT_NE(neutral, nullptr);
  EXPECT_EQ(UiLoadCommonResDll(ctx), neutral);  // kept in the context
  struct Case {
    uint16_t id;
    HMODULE library;  // nullptr: no range holds the id
  } cases[] = {
      {6001, language}, {6194, language}, {7001, neutral}, {7006, neutral}, {7379, neutral},
      {7701, neutral},  {8213, neutral},  {220, nullptr},  {6000, nullptr},
  };
  for (const Case& c : cases) {
    HGLOBAL data = UiLoadBitmapResource(ctx, c.id);
    if (!c.library) {
      EXPECT_EQ(data, nullptr) << c.id;
      EXPECT_EQ(UiLoadBitmap(ctx, c.id), nullptr) << c.id;
      continue;
    }
    HRSRC found = FindResourceW(c.library, MAKEINTRESOURCEW(c.id), MAKEINTRESOURCEW(2));
    ASSERT_NE(found, nullptr) << c.id;
    EXPECT_EQ(data, LoadResource(c.library, found)) << c.id;
    HBITMAP bitmap = UiLoadBitmap(ctx, c.id);
    ASSERT_NE(bitmap, nullptr) << c.id;
    DeleteObject(bitmap);
  }
  // An id of the neutral range that only the language library holds is not looked for there.
  EXPECT_EQ(UiLoadBitmapResource(ctx, 6229), nullptr);
}

TEST_F(Libraries, ARunLengthPictureLoadsAtItsSize) {
  HBITMAP bitmap = UiLoadBitmap(ctx, 7379);
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 108);
  EXPECT_EQ(bm.bmHeight, 91);
  DeleteObject(bitmap);
  HBITMAP arrow = UiLoadBitmapByName(ctx, MAKEINTRESOURCEW(kArrowBitmapBoth));
  ASSERT_NE(arrow, nullptr);
  DeleteObject(arrow);
  EXPECT_EQ(UiLoadBitmapByName(ctx, u"NOSUCHPICTURE"), nullptr);
}

TEST_F(Libraries, AMissingNeutralLibraryIsLookedForAgainNextTime) {
  const std::u16string installed = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\ZOLTCRXX.DLL";
  const std::string bytes = ReadBytes(Real(installed));
  ASSERT_FALSE(bytes.empty());
  std::filesystem::remove(Real(installed));
  EXPECT_EQ(UiLoadCommonResDll(ctx), nullptr);
  EXPECT_EQ(UiLoadBitmap(ctx, 7001), nullptr);
  WriteBytes(Real(installed), bytes);
  EXPECT_NE(UiLoadCommonResDll(ctx), nullptr);
  HBITMAP bitmap = UiLoadBitmap(ctx, 7001);
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
}

TEST_F(Libraries, ButtonTextsInBothLanguages) {
  struct Case {
    const char16_t* library;
    uint16_t id;
    std::u16string text;
  } cases[] = {
      {u"ZOLT7Rus.DLL", 13187, u"Change..."}, {u"ZOLT7Rus.DLL", 13196, u"Delete All"}, {u"ZOLT7Rus.DLL", 13189, u"<"},
      {u"ZOLT7Rjp.DLL", 13187, u"変更..."},   {u"ZOLT7Rjp.DLL", 13196, u"すべて削除"},   {u"ZOLT7Rjp.DLL", 13190, u">"},
  };
  for (const Case& c : cases) {
    const std::u16string name(c.library);
    const std::u16string path = u"C:\\Users\\" + name;
    WriteBytes(Real(path), ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / std::string(name.begin(), name.end())));
    HMODULE library = LoadLibraryW(path.c_str());
    ASSERT_NE(library, nullptr);
    WCHAR out[64] = {};
    LoadStringW(library, c.id, out, 64);
    EXPECT_EQ(std::u16string(out), c.text) << c.id;
    FreeLibrary(library);
  }
  // The context's own language library, through the label decorations.
  WCHAR out[64] = {};
  EnvLoadString(ctx, 13187, out, 64, 1);
  EXPECT_TRUE(std::u16string(out) == u"Change..." || std::u16string(out) == u"変更...");
}

TEST_F(Libraries, CommonControlsAreVersionSix) { EXPECT_EQ(UiGetComctlVersion(), 600); }

TEST_F(Libraries, TheLayoutTableIsInIdOrderAndEnds) {
  const PictureLayoutEntry* rows = UiGetPictureLayoutTable();
  int count = 0;
  for (; rows[count].bitmapId; ++count) {
    if (count) EXPECT_LT(rows[count - 1].bitmapId, rows[count].bitmapId);
  }
  EXPECT_GT(count, 100);
  const PictureLayoutEntry* finisher = UiFindPictureLayout(6821);
  ASSERT_NE(finisher, nullptr);
  EXPECT_EQ(finisher->x, 130);
  EXPECT_EQ(finisher->y, 71);
  EXPECT_EQ(UiFindPictureLayout(6001)->flags, 0x50u);
  EXPECT_EQ(UiFindPictureLayout(0), nullptr);
  EXPECT_EQ(UiFindPictureLayout(6000), nullptr);
}

// ---- Colour adjustments ---------------------------------------------------------------------

TEST(ColourAdjust, TheSixAdjustments) {
  struct Case {
    int32_t values[6];  // luminance, contrast, strength, red, green, blue
    COLORREF in;
    int grey;
    COLORREF out;
  } cases[] = {
      {{50, 50, 50, 50, 50, 50}, RGB(200, 100, 50), 1, RGB(200, 100, 50)},  // neutral: unchanged, grey or not
      {{50, 100, 50, 50, 50, 50}, RGB(255, 255, 255), 0, RGB(255, 255, 255)},  // contrast 100 clamps
      {{50, 0, 50, 50, 50, 50}, RGB(255, 255, 255), 0, RGB(205, 205, 205)},    // 255 * 156 / 256 + 50
      {{100, 50, 50, 50, 50, 50}, RGB(200, 100, 50), 0, RGB(255, 171, 122)},   // luminance up, Y below 128
      {{50, 50, 50, 60, 40, 50}, RGB(10, 10, 10), 0, RGB(20, 0, 10)},           // channel shifts, clamped at 0
      {{50, 50, 50, 60, 40, 50}, RGB(10, 10, 10), 1, RGB(10, 10, 10)},          // grey ignores the shifts
      {{50, 50, 0, 50, 50, 50}, RGB(200, 100, 50), 0, RGB(155, 114, 94)},       // no colour strength: paler
  };
  for (const Case& c : cases)
    EXPECT_EQ(UiAdjustColourBy(c.values, c.in, c.grey), c.out)
        << c.values[0] << " " << c.values[1] << " " << c.values[2] << " grey " << c.grey;
  // With grey and one value off neutral, the three channels are equal.
  for (int which = 0; which < 6; ++which) {
    int32_t values[6] = {50, 50, 50, 50, 50, 50};
    values[which] = 80;
    const COLORREF out = UiAdjustColourBy(values, RGB(30, 160, 220), 1);
    EXPECT_TRUE(GetRValue(out) == GetGValue(out) && GetGValue(out) == GetBValue(out)) << which;
  }
}

TEST_F(Libraries, TheContextsAdjustmentsApply) {
  EXPECT_EQ(UiAdjustColour(ctx, RGB(255, 255, 255), 0), RGB(255, 255, 255));
  const int32_t lowContrast[6] = {50, 0, 50, 50, 50, 50};
  UiSetColourAdjust(ctx, lowContrast);
  EXPECT_EQ(UiAdjustColour(ctx, RGB(255, 255, 255), 0), RGB(205, 205, 205));
  UiSetColourAdjust(ctx, nullptr);
  EXPECT_EQ(UiAdjustColour(ctx, RGB(255, 255, 255), 0), RGB(255, 255, 255));
}

TEST(PaletteDisplay, ATrueColourDisplayNeedsNoPalette) {
  EXPECT_EQ(UiPaletteEntry(nullptr, 0, 0), nullptr);  // the flag: not a palette display
  Surface surface(4, 4, RGB(0, 0, 0));
  EXPECT_EQ(UiPaletteEntry(surface.dc(), 3, RGB(1, 2, 3)), nullptr);
  EXPECT_EQ(UiPaletteEntry(surface.dc(), -1, 0), nullptr);
}

// ---- Damaged pictures -------------------------------------------------------------------------

void Put16(std::string& s, size_t at, uint16_t v) { std::memcpy(&s[at], &v, 2); }
void Put32(std::string& s, size_t at, uint32_t v) { std::memcpy(&s[at], &v, 4); }

// Run-length data without its last n bytes, the header's image size following.
std::string Cut(const std::string& packed, size_t n) {
  std::string s = packed.substr(0, packed.size() - n);
  uint32_t image = 0;
  std::memcpy(&image, &s[20], 4);
  Put32(s, 20, image - uint32_t(n));
  return s;
}

TEST(DibCheck, DamagedPicturesAreRefused) {
  const std::string key8 = Packed(Fixture("key8.bmp"));
  const std::string key8rle = Packed(Fixture("key8rle.bmp"));
  const std::string blue4rle = Packed(Fixture("blue4rle.bmp"));
  const size_t table8 = 40 + 256 * 4;
  struct Case {
    const char* what;
    std::string data;
    int accepted;
  } cases[] = {
      {"8-bit", key8, 1},
      {"8-bit run-length", key8rle, 1},
      {"4-bit run-length", blue4rle, 1},
      {"empty", "", 0},
      {"header cut", key8.substr(0, 30), 0},
      {"colour table cut", key8.substr(0, 40 + 100), 0},
      {"bits cut", key8.substr(0, key8.size() - 1), 0},
      {"runs cut", Cut(key8rle, 7), 0},
      {"no end of bitmap", Cut(key8rle, 2), 0},
      {"runs cut, size kept", key8rle.substr(0, key8rle.size() - 6), 0},
  };
  for (const Case& c : cases) {
    UiDibView view;
    EXPECT_EQ(UiCheckDib(c.data.data(), c.data.size(), &view), c.accepted) << c.what;
  }
  // Headers that lie: each case changes one field of a good picture.
  struct Field {
    const char* what;
    size_t at;
    int width;  // 2 or 4 bytes
    uint32_t value;
  } fields[] = {
      {"core header size", 0, 4, 12},       {"header larger than the data", 0, 4, 4000},
      {"width 0", 4, 4, 0},                 {"width too large", 4, 4, 100000},
      {"height 0", 8, 4, 0},                {"planes", 12, 2, 2},
      {"bit count 3", 14, 2, 3},            {"unknown compression", 16, 4, 7},
      {"run-length 4 on 8 bits", 16, 4, 2}, {"more colours than the bits allow", 32, 4, 300},
  };
  for (const Field& f : fields) {
    std::string data = key8;
    if (f.width == 2)
      Put16(data, f.at, uint16_t(f.value));
    else
      Put32(data, f.at, f.value);
    UiDibView view;
    EXPECT_EQ(UiCheckDib(data.data(), data.size(), &view), 0) << f.what;
  }
  // Run-length data whose stated size runs past the resource, or rows past the height.
  std::string longer = key8rle;
  Put32(longer, 20, uint32_t(longer.size()));
  UiDibView view;
  EXPECT_EQ(UiCheckDib(longer.data(), longer.size(), &view), 0);
  std::string tall = key8rle.substr(0, table8) + std::string("\0\2\0\20\0\1", 6);  // delta 16 rows up
  Put32(tall, 20, 6);
  EXPECT_EQ(UiCheckDib(tall.data(), tall.size(), &view), 0);
  std::string absolute = key8rle.substr(0, table8) + std::string("\0\10\1\2", 4);  // 8 pixels, 2 given
  Put32(absolute, 20, 4);
  EXPECT_EQ(UiCheckDib(absolute.data(), absolute.size(), &view), 0);
}

TEST(DibCheck, TheTransparentPixelOfFourBitPictures) {
  for (const char* name : {"blue4.bmp", "blue4rle.bmp"}) {
    const std::string data = Packed(Fixture(name));
    UiDibView view;
    ASSERT_EQ(UiCheckDib(data.data(), data.size(), &view), 1) << name;
    ASSERT_GE(view.firstPixelIndex, 0) << name;
    const RGBQUAD q = view.colours[view.firstPixelIndex];
    EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), RGB(0, 0, 255)) << name;
  }
}

// ---- BMP files ---------------------------------------------------------------------------------

class BmpFiles : public PictureTest {
 protected:
  const std::u16string path = u"C:\\Users\\user\\picture.bmp";
};

TEST_F(BmpFiles, AGoodFileLoadsWithItsPixels) {
  WriteBytes(Real(path), Fixture("key8.bmp"));
  int width = -1, height = -1;
  HBITMAP bitmap = UiLoadBmpFile(path.c_str(), &width, &height);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 8);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), kPictureKeyColour);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(220, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST_F(BmpFiles, DamagedFilesAreRefused) {
  const std::string good = Fixture("key8.bmp");
  struct Case {
    const char* what;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"file header only", good.substr(0, 14)},
      {"core header", [&] { std::string s = good; Put32(s, 14, 12); return s; }()},
      {"bit count 3", [&] { std::string s = good; Put16(s, 28, 3); return s; }()},
      {"width 0", [&] { std::string s = good; Put32(s, 18, 0); return s; }()},
      {"height too large", [&] { std::string s = good; Put32(s, 22, 0x7FFFFFFF); return s; }()},
      {"colour table cut", good.substr(0, 14 + 40 + 500)},
      {"bits cut", good.substr(0, good.size() - 1)},
      {"run-length", Fixture("key8rle.bmp")},
  };
  for (const Case& c : cases) {
    WriteBytes(Real(path), c.data);
    int width = -1, height = -1;
    HBITMAP bitmap = UiLoadBmpFile(path.c_str(), &width, &height);
    EXPECT_EQ(bitmap, nullptr) << c.what;
    EXPECT_EQ(width, 0) << c.what;
    EXPECT_EQ(height, 0) << c.what;
    if (bitmap) DeleteObject(bitmap);
    // Drawn as a source, nothing reaches the surface.
    Surface surface(20, 20, RGB(0, 255, 0));
    RECT rect{0, 0, 20, 20};
    UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 0, 0, UiBitmapText(path.c_str()),
                 kPictureOverScreen, 0);
    EXPECT_EQ(surface.CountOther(RGB(0, 255, 0)), 0) << c.what;
  }
  int width = -1, height = -1;
  EXPECT_EQ(UiLoadBmpFile(u"C:\\Users\\user\\missing.bmp", &width, &height), nullptr);
  EXPECT_EQ(width, 0);
}

TEST_F(BmpFiles, ChunkReadsStopAtTheEndOfTheFile) {
  std::string data(40000, '\x5A');
  WriteBytes(Real(path), data);
  HFILE file = _lopen("C:\\Users\\user\\picture.bmp", OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 50000);
  EXPECT_EQ(UiReadFileChunks(file, block, 30000), 1);  // two whole pieces and a part
  EXPECT_EQ(static_cast<BYTE*>(GlobalLock(block))[29999], 0x5A);
  GlobalUnlock(block);
  EXPECT_EQ(UiReadFileChunks(file, block, 20000), 0);  // only 10000 remain
  EXPECT_EQ(UiReadFileChunks(file, nullptr, 10), 0);
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_EQ(UiReadFileChunks(file, small, 4096), 0);  // more than the block holds
  GlobalFree(small);
  GlobalFree(block);
  _lclose(file);
}

}  // namespace
