// Playing metafiles: the picture frame mapped onto the caller's rectangle, damaged metafiles
// refused after what precedes the damage has played, and the slips of real writers tolerated.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../gdi/gdi_test_support.h"
#include "emf_builder.h"
#include "win32/emf.h"

namespace zolt::test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
const RECT kPicture{0, 0, 80, 80};  // the builder's frame is 80 x 80 reference pixels

// A red brush in slot 1, selected, and a rectangle over [10, 20) x [10, 20).
EmfBuilder& RedSquare(EmfBuilder& b) {
  return b.Words(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, kRed, 0})
      .Words(EMR_SELECTOBJECT, {1})
      .Words(EMR_SELECTOBJECT, {ENHMETA_STOCK_OBJECT | NULL_PEN})
      .Words(EMR_RECTANGLE, {10, 10, 21, 21});
}

BOOL Play(const std::vector<uint8_t>& bits, DibCanvas& canvas, const RECT* rect = &kPicture) {
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  if (!mf) return FALSE;
  const BOOL ok = PlayEnhMetaFile(canvas.dc, mf, rect);
  DeleteEnhMetaFile(mf);
  return ok;
}

TEST(EmfPlay, DrawsShapesAndScalesTheFrameOntoTheRectangle) {
  EmfBuilder b;
  RedSquare(b);
  const auto bits = b.Finish();
  DibCanvas same(100, 100, 24);
  ASSERT_TRUE(Play(bits, same));
  EXPECT_EQ(same.At(10, 10), kRed);
  EXPECT_EQ(same.At(19, 19), kRed);
  EXPECT_EQ(same.At(20, 20), RGB(255, 255, 255));
  EXPECT_EQ(same.At(9, 15), RGB(255, 255, 255));
  // Twice the size and moved: the square follows.
  DibCanvas big(200, 200, 24);
  const RECT twice{40, 40, 200, 200};
  ASSERT_TRUE(Play(bits, big, &twice));
  EXPECT_EQ(big.At(60, 60), kRed);
  EXPECT_EQ(big.At(80, 80), kRed);  // the shape's right and bottom edge give up one device pixel
  EXPECT_EQ(big.At(59, 59), RGB(255, 255, 255));
  EXPECT_EQ(big.At(81, 81), RGB(255, 255, 255));
}

TEST(EmfPlay, RestoresTheTargetAndDeletesItsObjects) {
  EmfBuilder b;
  RedSquare(b).Words(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Words(EMR_SETBKCOLOR, {kBlue});
  const auto bits = b.Finish();
  DibCanvas canvas(100, 100, 24);
  HGDIOBJ brush = GetCurrentObject(canvas.dc, OBJ_BRUSH);
  ASSERT_TRUE(Play(bits, canvas));
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetMapMode(canvas.dc), MM_TEXT);
  EXPECT_EQ(GetGraphicsMode(canvas.dc), GM_COMPATIBLE);
  EXPECT_EQ(GetBkColor(canvas.dc), RGB(255, 255, 255));
}

TEST(EmfPlay, HeaderChecksRefuseWhatIsNoMetafile) {
  EmfBuilder b;
  auto bits = b.Finish();
  EXPECT_NE(SetEnhMetaFileBits(UINT(bits.size()), bits.data()), nullptr);
  auto wrong = bits;
  wrong[offsetof(ENHMETAHEADER, dSignature)] ^= 1;
  EXPECT_EQ(SetEnhMetaFileBits(UINT(wrong.size()), wrong.data()), nullptr);
  EXPECT_EQ(SetEnhMetaFileBits(60, bits.data()), nullptr);
  wrong = bits;
  wrong[0] = EMR_EOF;
  EXPECT_EQ(SetEnhMetaFileBits(UINT(wrong.size()), wrong.data()), nullptr);
  wrong = bits;
  const DWORD huge = 0x7FFFFFF0;
  std::memcpy(wrong.data() + 4, &huge, 4);  // header larger than the data
  EXPECT_EQ(SetEnhMetaFileBits(UINT(wrong.size()), wrong.data()), nullptr);
}

// A 1 x 1 32-bit bitmap (header and one pixel) as words.
void PutPixelDib(std::vector<uint32_t>& w) {
  const uint32_t dib[11] = {40, 1, 1, 1u | (32u << 16), BI_RGB, 4, 0, 0, 0, 0, 0x00FF0000};
  w.insert(w.end(), dib, dib + 11);
}

// A parallelogram blit of that bitmap (at 140) whose mask header is at offMask, its bits of
// cbBitsMask bytes at the source's own bits.
std::vector<uint32_t> PlgWithMask(uint32_t offMask, uint32_t cbBitsMask = 4) {
  std::vector<uint32_t> w(33, 0);
  w[6] = 10, w[9] = 10;  // aptlDst: (0,0), (10,0), (0,10)
  w[12] = w[13] = 1;     // cSrc
  w[14] = w[17] = FloatBits(1);
  w[22] = 140, w[23] = 40, w[24] = 180, w[25] = 4;
  w[29] = offMask, w[30] = 40, w[31] = 180, w[32] = cbBitsMask;
  PutPixelDib(w);
  return w;
}

std::vector<uint32_t> MaskBltWithMask(uint32_t offMask) {
  std::vector<uint32_t> w(30, 0);
  w[6] = w[7] = 1;  // cDest
  w[8] = MAKEROP4(SRCCOPY, 0x00AA0029);
  w[11] = w[14] = FloatBits(1);
  w[19] = 128, w[20] = 40, w[21] = 168, w[22] = 4;
  w[26] = offMask, w[27] = 40, w[28] = 168, w[29] = 4;
  PutPixelDib(w);
  return w;
}

// A damaged record after the red square: the square is drawn, the play fails, and nothing
// past the damage (a blue square) is drawn.
struct DamageCase {
  const char* name;
  std::function<void(EmfBuilder&)> damage;
  bool truncate = false;  // cut the data inside the damaged record
};

TEST(EmfPlay, DamagedMetafilesPlayWhatPrecedesTheDamageAndFail) {
  auto blue = [](EmfBuilder& b) {
    b.Words(EMR_CREATEBRUSHINDIRECT, {2, BS_SOLID, kBlue, 0}).Words(EMR_SELECTOBJECT, {2}).Words(EMR_RECTANGLE, {40, 40, 60, 60});
  };
  auto text = [](uint32_t offString, uint32_t n, uint32_t offDx) {
    return [=](EmfBuilder& b) {
      b.Words(EMR_EXTTEXTOUTW, {0, 0, 0, 0, GM_COMPATIBLE, FloatBits(1), FloatBits(1), 5, 5, n, offString, 0, 0, 0, 0, 0,
                                offDx, 0x00410041});
    };
  };
  const std::vector<DamageCase> cases = {
      {"record larger than the data", [](EmfBuilder& b) { b.Words(EMR_RECTANGLE, {1, 1, 2, 2}); }, true},
      {"size not a multiple of four", [](EmfBuilder& b) {
         uint8_t raw[20] = {EMR_RECTANGLE, 0, 0, 0, 18, 0, 0, 0};
         b.Bytes(EMR_RECTANGLE, raw + 8, 12);
         (void)raw;
       }},
      {"size below the record's fixed part", [](EmfBuilder& b) { b.Words(EMR_RECTANGLE, {1, 1}); }},
      {"point count past the record", [](EmfBuilder& b) { b.Words(EMR_POLYLINE, {0, 0, 0, 0, 1000, 1, 1}); }},
      {"point count that overflows", [](EmfBuilder& b) { b.Words(EMR_POLYLINE16, {0, 0, 0, 0, 0x40000001, 1}); }},
      {"poly counts that do not add up",
       [](EmfBuilder& b) { b.Words(EMR_POLYPOLYLINE, {0, 0, 0, 0, 2, 2, 0xFFFFFFFF, 3, 0, 0, 1, 1}); }},
      {"string offset outside the record", text(400, 2, 0)},
      {"string longer than the record", text(72, 0x7FFFFFFF, 0)},
      {"spacing offset outside the record", text(72, 2, 0xFFFFFFF0)},
      {"bitmap offset outside the record",
       [](EmfBuilder& b) {
         std::vector<uint32_t> w(18, 0);
         w[10] = 0xFFFFFF00;  // offBmiSrc
         w[11] = 40;          // cbBmiSrc
         b.Bytes(EMR_STRETCHDIBITS, w.data(), w.size() * 4);
       }},
      {"region count that overflows",
       [](EmfBuilder& b) { b.Words(EMR_EXTSELECTCLIPRGN, {48, RGN_COPY, 32, RDH_RECTANGLES, 0x10000001, 16, 0, 0, 0, 0, 0, 0, 1, 1}); }},
      {"comment longer than the record", [](EmfBuilder& b) { b.Words(EMR_GDICOMMENT, {4000, 0}); }},
      {"gradient vertices past the record", [](EmfBuilder& b) { b.Words(EMR_GRADIENTFILL, {0, 0, 0, 0, 0x10000000, 1, 0, 0}); }},
      {"transparent blit bitmap outside the record",
       [](EmfBuilder& b) {
         std::vector<uint32_t> w(25, 0);
         w[19] = 0xFFFFFF00;  // offBmiSrc
         w[20] = 40;
         b.Bytes(EMR_TRANSPARENTBLT, w.data(), w.size() * 4);
       }},
      {"parallelogram mask outside the record", [](EmfBuilder& b) { b.Bytes(EMR_PLGBLT, PlgWithMask(0xFFFFFF00).data(), 44 * 4); }},
      {"parallelogram mask bits past the record", [](EmfBuilder& b) { b.Bytes(EMR_PLGBLT, PlgWithMask(140, 0x7FFFFFF0).data(), 44 * 4); }},
      {"mask blit mask outside the record", [](EmfBuilder& b) { b.Bytes(EMR_MASKBLT, MaskBltWithMask(0xFFFFFF00).data(), 41 * 4); }},
      {"flood fill shorter than its fields", [](EmfBuilder& b) { b.Words(EMR_EXTFLOODFILL, {1, 1}); }},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    EmfBuilder b;
    RedSquare(b);
    const size_t damageAt = b.Size();
    c.damage(b);
    blue(b);
    auto bits = b.Finish();
    if (c.truncate) bits.resize(damageAt + 12);
    DibCanvas canvas(100, 100, 24);
    EXPECT_FALSE(Play(bits, canvas));
    EXPECT_EQ(canvas.At(15, 15), kRed);
    EXPECT_EQ(canvas.Count(kBlue), 0);
  }
}

TEST(EmfPlay, DataEndingWithoutAnEndRecordFailsAfterPlaying) {
  EmfBuilder b;
  RedSquare(b);
  auto bits = b.Finish();
  bits.resize(bits.size() - 20);
  DibCanvas canvas(100, 100, 24);
  EXPECT_FALSE(Play(bits, canvas));
  EXPECT_EQ(canvas.At(15, 15), kRed);
}

TEST(EmfPlay, ToleratesTheSlipsOfRealWriters) {
  struct Slip {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> edit;
    std::function<void(EmfBuilder&)> records;
  };
  const std::vector<Slip> slips = {
      {"record count one short",
       [](std::vector<uint8_t>& bits) { bits[offsetof(ENHMETAHEADER, nRecords)] -= 1; }, nullptr},
      {"end record sized as the whole file",
       [](std::vector<uint8_t>& bits) {
         const DWORD n = DWORD(bits.size());
         std::memcpy(bits.data() + bits.size() - 16, &n, 4);
       },
       nullptr},
      {"object deleted before it was made", nullptr,
       [](EmfBuilder& b) { b.Words(EMR_DELETEOBJECT, {5}).Words(EMR_DELETEOBJECT, {7}); }},
      {"EMF+ records in comments", nullptr,
       [](EmfBuilder& b) {
         b.Words(EMR_GDICOMMENT, {16, GDICOMMENT_EMFPLUS, 0x00004001, 12, 0});
         b.Words(EMR_GDICOMMENT, {4, GDICOMMENT_IDENTIFIER});
       }},
  };
  for (const Slip& s : slips) {
    SCOPED_TRACE(s.name);
    EmfBuilder b;
    if (s.records) s.records(b);
    RedSquare(b);
    auto bits = b.Finish();
    if (s.edit) s.edit(bits);
    DibCanvas canvas(100, 100, 24);
    EXPECT_TRUE(Play(bits, canvas));
    EXPECT_EQ(canvas.At(15, 15), kRed);
  }
}

TEST(EmfPlay, OpaqueTextWithAnEmptyRectangleFillsNothing) {
  EmfBuilder b;
  // "AA" at (5, 5), opaque, rectangle empty; background blue.
  b.Words(EMR_SETBKCOLOR, {kBlue})
      .Words(EMR_EXTTEXTOUTW, {0, 0, 0, 0, GM_COMPATIBLE, FloatBits(1), FloatBits(1), 5, 5, 2, 76, ETO_OPAQUE, 0, 0,
                               0, 0, 0, 0x00410041});
  DibCanvas canvas(100, 100, 24);
  EXPECT_TRUE(Play(b.Finish(), canvas));
  EXPECT_EQ(canvas.Count(RGB(255, 255, 255)) + canvas.Count(RGB(0, 0, 0)) + canvas.Count(kBlue), 100 * 100);
  EXPECT_GT(canvas.Count(RGB(0, 0, 0)), 0);  // the text itself is drawn
}

TEST(EmfPlay, FrameWrittenInPixelsIsTakenAsPixels) {
  // The frame holds the bounds in pixels rather than .01 mm.
  EmfBuilder b(RECTL{0, 0, 79, 79});
  RedSquare(b);
  auto bits = b.Finish();
  const RECTL bounds{0, 0, 79, 79};
  std::memcpy(bits.data() + offsetof(ENHMETAHEADER, rclBounds), &bounds, sizeof(bounds));
  DibCanvas canvas(100, 100, 24);
  ASSERT_TRUE(Play(bits, canvas));
  EXPECT_EQ(canvas.At(12, 12), kRed);
  EXPECT_EQ(canvas.At(25, 25), RGB(255, 255, 255));
}

TEST(EmfPlay, EnumerationHandsEachRecordAndPlaysThroughTheCallback) {
  EmfBuilder b;
  RedSquare(b);
  auto bits = b.Finish();
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  ASSERT_NE(mf, nullptr);
  DibCanvas canvas(100, 100, 24);
  struct Seen {
    std::vector<DWORD> types;
    int handles = 0;
  } seen;
  auto proc = [](HDC hdc, HANDLETABLE* table, const ENHMETARECORD* rec, int n, LPARAM data) -> int {
    auto* s = reinterpret_cast<Seen*>(data);
    s->types.push_back(rec->iType);
    s->handles = n;
    // Everything but the rectangle plays.
    if (rec->iType == EMR_RECTANGLE) return 1;
    return PlayEnhMetaFileRecord(hdc, table, rec, UINT(n));
  };
  EXPECT_TRUE(EnumEnhMetaFile(canvas.dc, mf, proc, &seen, &kPicture));
  EXPECT_EQ(seen.types, (std::vector<DWORD>{EMR_HEADER, EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_SELECTOBJECT,
                                            EMR_RECTANGLE, EMR_EOF}));
  EXPECT_EQ(seen.handles, 8);
  EXPECT_EQ(canvas.Count(kRed), 0);
  // A callback that returns zero stops the enumeration.
  seen.types.clear();
  auto stop = [](HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM data) -> int {
    reinterpret_cast<Seen*>(data)->types.push_back(rec->iType);
    return rec->iType != EMR_CREATEBRUSHINDIRECT;
  };
  EXPECT_FALSE(EnumEnhMetaFile(canvas.dc, mf, stop, &seen, &kPicture));
  EXPECT_EQ(seen.types.size(), 2u);
  DeleteEnhMetaFile(mf);
}

TEST(EmfPlay, BitsHeaderAndDescriptionRoundTrip) {
  EmfBuilder b;
  RedSquare(b);
  const auto bits = b.Finish();
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  ASSERT_NE(mf, nullptr);
  EXPECT_EQ(GetEnhMetaFileBits(mf, 0, nullptr), bits.size());
  std::vector<uint8_t> out(bits.size());
  EXPECT_EQ(GetEnhMetaFileBits(mf, UINT(out.size() - 1), out.data()), 0u);
  EXPECT_EQ(GetEnhMetaFileBits(mf, UINT(out.size()), out.data()), bits.size());
  EXPECT_EQ(out, bits);
  ENHMETAHEADER h{};
  EXPECT_EQ(GetEnhMetaFileHeader(mf, 0, nullptr), sizeof(ENHMETAHEADER));
  EXPECT_EQ(GetEnhMetaFileHeader(mf, sizeof(h), &h), sizeof(ENHMETAHEADER));
  EXPECT_EQ(h.nBytes, bits.size());
  EXPECT_EQ(h.nRecords, 6u);
  HENHMETAFILE copy = CopyEnhMetaFileW(mf, nullptr);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(GetEnhMetaFileBits(copy, 0, nullptr), bits.size());
  EXPECT_TRUE(DeleteEnhMetaFile(mf));
  EXPECT_FALSE(DeleteEnhMetaFile(mf));
  EXPECT_EQ(GetEnhMetaFileBits(mf, 0, nullptr), 0u);
  EXPECT_TRUE(DeleteEnhMetaFile(copy));
}

}  // namespace
}  // namespace zolt::test
