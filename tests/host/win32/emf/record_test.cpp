// The recording DC: what is drawn on it and played back gives the pixels of drawing directly,
// and the metafile it makes has the platform's header, description and handle table.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../gdi/gdi_test_support.h"
#include "machine_fixture.h"
#include "win32/blits.h"
#include "win32/emf.h"

namespace zolt::test {
namespace {

constexpr int kW = 200, kH = 150;

// The frame of a kW x kH picture on the reference DC, in .01 mm.
RECT FrameOf(HDC ref) {
  const int mmX = GetDeviceCaps(ref, HORZSIZE), mmY = GetDeviceCaps(ref, VERTSIZE);
  const int pxX = GetDeviceCaps(ref, HORZRES), pxY = GetDeviceCaps(ref, VERTRES);
  return RECT{0, 0, MulDiv(kW, mmX * 100, pxX), MulDiv(kH, mmY * 100, pxY)};
}

HENHMETAFILE Record(HDC ref, const std::function<void(HDC)>& scene, const WCHAR* description = nullptr) {
  const RECT frame = FrameOf(ref);
  HDC mdc = CreateEnhMetaFileW(ref, nullptr, &frame, description);
  EXPECT_NE(mdc, nullptr);
  scene(mdc);
  return CloseEnhMetaFile(mdc);
}

// Draws the scene directly and through a metafile; the two canvases must match pixel for pixel.
void ExpectSamePixels(const char* name, const std::function<void(HDC)>& scene) {
  SCOPED_TRACE(name);
  DibCanvas direct(kW, kH, 24), played(kW, kH, 24);
  scene(direct.dc);
  HENHMETAFILE mf = Record(direct.dc, scene);
  ASSERT_NE(mf, nullptr);
  const RECT picture{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(played.dc, mf, &picture));
  int differ = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (direct.At(x, y) != played.At(x, y)) {
        if (!differ++) {
          firstX = x;
          firstY = y;
        }
      }
  EXPECT_EQ(differ, 0) << "first at " << firstX << "," << firstY;
  EXPECT_LT(direct.Count(RGB(255, 255, 255)), kW * kH);  // the scene drew something
  DeleteEnhMetaFile(mf);
}

TEST(EmfRecord, ShapesPensAndBrushesPlayAsDrawn) {
  ExpectSamePixels("shapes", [](HDC dc) {
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 160));
    HBRUSH red = CreateSolidBrush(RGB(200, 40, 40));
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, red);
    Rectangle(dc, 5, 5, 60, 40);
    RoundRect(dc, 70, 5, 130, 40, 15, 15);
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 120, 0));
    SelectObject(dc, hatch);
    DeleteObject(red);  // still selected: deleted when replaced
    Ellipse(dc, 140, 5, 195, 45);
    Chord(dc, 5, 50, 60, 100, 60, 50, 5, 100);
    Pie(dc, 70, 50, 130, 100, 130, 75, 100, 50);
    Arc(dc, 140, 50, 195, 100, 195, 75, 140, 75);
    LOGBRUSH lb{BS_SOLID, RGB(120, 0, 120), 0};
    const DWORD dashes[2] = {8, 4};
    HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 2, &lb, 2, dashes);
    SelectObject(dc, ext);
    DeleteObject(pen);
    MoveToEx(dc, 5, 110, nullptr);
    LineTo(dc, 195, 110);
    const POINT zig[5] = {{5, 140}, {40, 115}, {75, 140}, {110, 115}, {145, 140}};
    Polyline(dc, zig, 5);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    const POINT bez[4] = {{150, 145}, {160, 100}, {190, 150}, {195, 115}};
    PolyBezier(dc, bez, 4);
    for (int i = 0; i < 20; ++i) SetPixelV(dc, 5 + 9 * i, 104, RGB(10 * i, 0, 255 - 10 * i));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(hatch);
    DeleteObject(ext);
  });
}

// A pattern brush of a monochrome bitmap is recorded as a monochrome brush whose colour table
// holds palette indexes; played back it draws in the DC's text and background colours.
TEST(EmfRecord, MonochromePatternBrushPlaysInTheDcsColours) {
  ExpectSamePixels("monochrome pattern", [](HDC dc) {
    const WORD rows[8] = {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH pattern = CreatePatternBrush(bits);
    SetTextColor(dc, RGB(0, 0, 200));
    SetBkColor(dc, RGB(250, 220, 0));
    HGDIOBJ old = SelectObject(dc, pattern);
    Rectangle(dc, 10, 10, 150, 120);
    SelectObject(dc, old);
    DeleteObject(pattern);
    DeleteObject(bits);
  });
}

TEST(EmfRecord, PolygonsPathsAndClippingPlayAsDrawn) {
  ExpectSamePixels("paths", [](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(250, 200, 60));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const POINT tri[3] = {{10, 60}, {40, 5}, {70, 60}};
    Polygon(dc, tri, 3);
    const POINT rings[8] = {{80, 5}, {140, 5}, {140, 60}, {80, 60}, {95, 20}, {125, 20}, {125, 45}, {95, 45}};
    const INT counts[2] = {4, 4};
    SetPolyFillMode(dc, ALTERNATE);
    PolyPolygon(dc, rings, counts, 2);
    BeginPath(dc);
    MoveToEx(dc, 150, 10, nullptr);
    const POINT curve[3] = {{170, -10}, {190, 40}, {195, 10}};
    PolyBezierTo(dc, curve, 3);
    LineTo(dc, 195, 60);
    LineTo(dc, 150, 60);
    CloseFigure(dc);
    EndPath(dc);
    StrokeAndFillPath(dc);
    SaveDC(dc);
    IntersectClipRect(dc, 10, 70, 90, 140);
    ExcludeClipRect(dc, 30, 90, 50, 110);
    Ellipse(dc, 0, 65, 100, 145);
    RestoreDC(dc, -1);
    SaveDC(dc);
    HRGN rgn = CreateRectRgn(110, 70, 190, 100);
    HRGN second = CreateRectRgn(130, 100, 170, 145);
    CombineRgn(rgn, rgn, second, RGN_OR);
    SelectClipRgn(dc, rgn);
    HBRUSH blue = CreateSolidBrush(RGB(40, 40, 220));
    FillRect(dc, std::data({RECT{100, 60, 200, 150}}), blue);
    RestoreDC(dc, 1);
    FrameRgn(dc, second, blue, 2, 2);
    DeleteObject(rgn);
    DeleteObject(second);
    DeleteObject(blue);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  });
}

TEST(EmfRecord, TextBitmapsFillsAndTransformsPlayAsDrawn) {
  ExpectSamePixels("text and pictures", [](HDC dc) {
    LOGFONTW lf{};
    lf.lfHeight = -16;
    std::u16string face = u"Arial";
    std::memcpy(lf.lfFaceName, face.c_str(), (face.size() + 1) * 2);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 128));
    const std::u16string text = u"Metafile text";
    TextOutW(dc, 5, 5, text.c_str(), int(text.size()));
    std::vector<INT> dx(text.size(), 11);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 150));
    const RECT box{5, 25, 195, 45};
    ExtTextOutW(dc, 8, 27, ETO_OPAQUE | ETO_CLIPPED, &box, text.c_str(), UINT(text.size()), dx.data());
    // A bitmap from another DC, copied and stretched.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> px(16 * 16);
    for (int i = 0; i < 256; ++i) px[size_t(i)] = ((i % 16) * 16) << 16 | ((i / 16) * 16) << 8 | 0x40;
    StretchDIBits(dc, 5, 55, 32, 32, 0, 0, 16, 16, px.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    HDC src = CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, px.data(), px.size() * 4);
    HGDIOBJ oldBm = SelectObject(src, bm);
    BitBlt(dc, 45, 55, 16, 16, src, 0, 0, SRCCOPY);
    StretchBlt(dc, 65, 55, 40, 30, src, 4, 4, 8, 8, NOTSRCCOPY);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(dc, 20, 70, 48, 24, src, 0, 0, 16, 16, half);
    SelectObject(src, oldBm);
    DeleteObject(bm);
    DeleteDC(src);
    TRIVERTEX v[2] = {{110, 55, 0xFF00, 0, 0, 0}, {195, 85, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT gr{0, 1};
    GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H);
    // A rotated rectangle.
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM rot{0.8f, 0.6f, -0.6f, 0.8f, 100, 95};
    SetWorldTransform(dc, &rot);
    HBRUSH green = CreateSolidBrush(RGB(0, 150, 0));
    HGDIOBJ oldBrush = SelectObject(dc, green);
    Rectangle(dc, 0, 0, 60, 30);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetGraphicsMode(dc, GM_COMPATIBLE);
    SelectObject(dc, oldBrush);
    DeleteObject(green);
    SelectObject(dc, oldFont);
    DeleteObject(font);
  });
}

TEST(EmfRecord, HeaderDescriptionAndHandles) {
  DibCanvas ref(10, 10, 24);
  HENHMETAFILE mf = Record(
      ref.dc,
      [](HDC dc) {
        HBRUSH a = CreateSolidBrush(RGB(1, 2, 3));
        HPEN b = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
        SelectObject(dc, a);
        SelectObject(dc, b);
        Rectangle(dc, 10, 20, 110, 70);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(a);
        HBRUSH c = CreateSolidBrush(RGB(7, 8, 9));
        SelectObject(dc, c);  // takes the slot a left
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(b);
        DeleteObject(c);
      },
      u"zolt test\0picture\0");
  ASSERT_NE(mf, nullptr);
  ENHMETAHEADER h{};
  ASSERT_EQ(GetEnhMetaFileHeader(mf, sizeof(h), &h), sizeof(h));
  EXPECT_EQ(h.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.nHandles, 3);  // the metafile itself and two slots
  EXPECT_EQ(h.rclBounds.left, 9);
  EXPECT_EQ(h.rclBounds.top, 19);
  EXPECT_EQ(h.rclBounds.right, 111);
  EXPECT_EQ(h.rclBounds.bottom, 71);
  EXPECT_EQ(h.szlDevice.cx, GetDeviceCaps(ref.dc, HORZRES));
  EXPECT_EQ(h.szlMillimeters.cx, GetDeviceCaps(ref.dc, HORZSIZE));
  EXPECT_EQ(h.nBytes, GetEnhMetaFileBits(mf, 0, nullptr));
  WCHAR desc[40] = {};
  EXPECT_EQ(GetEnhMetaFileDescriptionW(mf, 40, desc), 19u);
  EXPECT_EQ(std::u16string(desc, 18), std::u16string(u"zolt test\0picture\0", 18));
  // The records in order, the deletions where they were made.
  std::vector<DWORD> types;
  auto collect = [](HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM p) -> int {
    reinterpret_cast<std::vector<DWORD>*>(p)->push_back(r->iType);
    return 1;
  };
  EXPECT_TRUE(EnumEnhMetaFile(nullptr, mf, collect, &types, nullptr));
  EXPECT_EQ(types, (std::vector<DWORD>{EMR_HEADER, EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_CREATEPEN,
                                       EMR_SELECTOBJECT, EMR_RECTANGLE, EMR_SELECTOBJECT, EMR_DELETEOBJECT,
                                       EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_SELECTOBJECT, EMR_DELETEOBJECT,
                                       EMR_DELETEOBJECT, EMR_EOF}));
  EXPECT_EQ(h.nRecords, types.size());
  DeleteEnhMetaFile(mf);
}

TEST(EmfRecord, TransparentParallelogramMaskedAndFloodFilledTransfersPlayAsDrawn) {
  ExpectSamePixels("transfers", [](HDC dc) {
    HDC src = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = -8;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBm = SelectObject(src, bm);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) SetPixel(src, x, y, (x + y) % 3 ? RGB(30 * x, 20 * y, 200) : RGB(255, 0, 255));
    HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMask = SelectObject(mdc, mask);
    PatBlt(mdc, 0, 0, 8, 8, BLACKNESS);
    PatBlt(mdc, 2, 0, 4, 8, WHITENESS);
    SelectObject(mdc, oldMask);
    DeleteDC(mdc);
    TransparentBlt(dc, 5, 5, 24, 16, src, 0, 0, 8, 8, RGB(255, 0, 255));
    const POINT plg[3] = {{60, 10}, {90, 20}, {50, 40}};
    PlgBlt(dc, plg, src, 0, 0, 8, 8, mask, 0, 0);
    MaskBlt(dc, 100, 10, 8, 8, src, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 120, 60, 180, 120);
    HBRUSH fill = CreateSolidBrush(RGB(0, 120, 60));
    SelectObject(dc, fill);
    ExtFloodFill(dc, 150, 90, RGB(0, 0, 0), FLOODFILLBORDER);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(fill);
    DeleteObject(pen);
    SelectObject(src, oldBm);
    DeleteObject(bm);
    DeleteObject(mask);
    DeleteDC(src);
  });
}

TEST(EmfRecord, TransfersWriteTheirOwnRecords) {
  DibCanvas ref(10, 10, 24);
  HENHMETAFILE mf = Record(ref.dc, [&](HDC dc) {
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
    const POINT plg[3] = {{0, 0}, {4, 0}, {0, 4}};
    TransparentBlt(dc, 0, 0, 4, 4, ref.dc, 0, 0, 4, 4, RGB(255, 255, 255));
    PlgBlt(dc, plg, ref.dc, 0, 0, 4, 4, mask, 0, 0);
    MaskBlt(dc, 0, 0, 4, 4, ref.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    FloodFill(dc, 1, 1, RGB(0, 0, 0));
    DeleteObject(mask);
  });
  ASSERT_NE(mf, nullptr);
  std::vector<BYTE> bits(GetEnhMetaFileBits(mf, 0, nullptr));
  GetEnhMetaFileBits(mf, UINT(bits.size()), bits.data());
  std::vector<DWORD> types;
  for (size_t at = 0; at + 8 <= bits.size();) {
    DWORD type, size;
    std::memcpy(&type, bits.data() + at, 4);
    std::memcpy(&size, bits.data() + at + 4, 4);
    if (type != EMR_HEADER && type != EMR_EOF) types.push_back(type);
    if (size < 8) break;
    at += size;
  }
  EXPECT_EQ(types, (std::vector<DWORD>{EMR_TRANSPARENTBLT, EMR_PLGBLT, EMR_MASKBLT, EMR_EXTFLOODFILL}));
  DeleteEnhMetaFile(mf);
}

class EmfRecordFile : public MachineTest {};

TEST_F(EmfRecordFile, MetafileDcRefusesBitmapsAndWritesItsFile) {
  HDC mdc = CreateEnhMetaFileW(nullptr, u"C:\\picture.emf", nullptr, nullptr);
  ASSERT_NE(mdc, nullptr);
  EXPECT_EQ(GetObjectType(mdc), DWORD(OBJ_ENHMETADC));
  HBITMAP bm = CreateBitmap(4, 4, 1, 1, nullptr);
  EXPECT_EQ(SelectObject(mdc, bm), nullptr);
  DeleteObject(bm);
  Ellipse(mdc, 0, 0, 50, 30);
  HENHMETAFILE mf = CloseEnhMetaFile(mdc);
  ASSERT_NE(mf, nullptr);
  EXPECT_EQ(GetObjectType(mdc), 0u);  // the DC is gone
  HENHMETAFILE again = GetEnhMetaFileW(u"C:\\picture.emf");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetEnhMetaFileBits(again, 0, nullptr), GetEnhMetaFileBits(mf, 0, nullptr));
  EXPECT_TRUE(std::filesystem::exists(Real(u"C:\\picture.emf")));
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(again, sizeof(h), &h);
  EXPECT_GT(h.rclFrame.right, h.rclFrame.left);  // the frame taken from the bounds
  DeleteEnhMetaFile(mf);
  DeleteEnhMetaFile(again);
  EXPECT_EQ(GetEnhMetaFileW(u"C:\\missing.emf"), nullptr);
}

}  // namespace
}  // namespace zolt::test
