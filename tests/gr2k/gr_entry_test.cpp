// The module's exports and entry table, the record's checks, and the device information built
// from a record's settings.
#include <gtest/gtest.h>

#include <cstring>

#include "gr_docflow.h"
#include "gr_entry.h"
#include "gr_pdev.h"
#include "gr_test_support.h"
#include "win32/hostclock.h"

namespace zolt::test {
namespace {

TEST(GrEntry, QueryDriverInfoAnswersUserModeOnly) {
  DWORD needed = 0, value = 0;
  BYTE small[3] = {};
  SetLastError(0);
  EXPECT_FALSE(DrvQueryDriverInfo(DRVQUERY_USERMODE, small, 3, &needed));
  EXPECT_EQ(needed, 4u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(DrvQueryDriverInfo(DRVQUERY_USERMODE, &value, 4, &needed));
  EXPECT_EQ(value, 1u);
  EXPECT_FALSE(DrvQueryDriverInfo(2, &value, 4, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(GrEntry, EnableDriverChecksTheEngineAndHandsTheTable) {
  DRVENABLEDATA data{};
  EXPECT_FALSE(DrvEnableDriver(0x1FFFF, sizeof data, &data));
  EXPECT_EQ(GetLastError(), 119u);  // ERROR_BAD_DRIVER_LEVEL
  EXPECT_FALSE(DrvEnableDriver(0x20000, 11, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // A 12-byte record takes what fits: the version, the count and the low half of the pointer.
  DRVENABLEDATA partial{};
  ASSERT_TRUE(DrvEnableDriver(0x20000, 12, &partial));
  EXPECT_EQ(partial.iDriverVersion, 0x30000u);
  EXPECT_EQ(partial.c, 35u);
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  ASSERT_EQ(data.c, 35u);
  const ULONG indexes[35] = {0,  2,  1,  7,  3,  4,  35, 34, 33, 32, 57, 58, 18, 20, 69, 19, 23, 14,
                             15, 16, 12, 13, 24, 37, 26, 28, 27, 53, 64, 65, 70, 71, 68, 74, 76};
  for (ULONG i = 0; i < 35; ++i) {
    EXPECT_EQ(data.pdrvfn[i].iFunc, indexes[i]) << "row " << i;
    EXPECT_NE(data.pdrvfn[i].pfn, nullptr);
  }
  EXPECT_EQ(data.pdrvfn[33].pfn, data.pdrvfn[34].pfn) << "one routine for both rows";
  EXPECT_EQ(data.pdrvfn[6].pfn, reinterpret_cast<PFN>(reinterpret_cast<void*>(DrvStartDoc)));
}

TEST(GrEntry, EveryEntryRefusesARecordWithoutBothMagicValues) {
  TestPdev pdev;
  SURFOBJ surface{};
  surface.dhpdev = reinterpret_cast<DHPDEV>(pdev.get());
  pdev->magicEnd = 0x19651014;
  POINTL origin{};
  SetLastError(0);
  EXPECT_FALSE(DrvStartDoc(&surface, nullptr, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(DrvStartPage(&surface));
  EXPECT_FALSE(DrvSendPage(&surface));
  EXPECT_FALSE(DrvEndDoc(&surface, 0));
  EXPECT_FALSE(DrvStartBanding(&surface, &origin));
  EXPECT_FALSE(DrvNextBand(&surface, &origin));
  EXPECT_EQ(DrvEnableSurface(reinterpret_cast<DHPDEV>(pdev.get())), nullptr);
  EXPECT_FALSE(DrvResetPDEV(reinterpret_cast<DHPDEV>(pdev.get()), reinterpret_cast<DHPDEV>(pdev.get())));
  surface.dhpdev = nullptr;
  EXPECT_FALSE(DrvStartPage(&surface));
  pdev->magicEnd = kPdevMagic;
  EXPECT_EQ(GrIsValidPdev(pdev.get()), 1);
}

TEST(GrDeviceInfo, HalftonePatternSizeByResolution) {
  const struct {
    ULONG x, y;
    int flag;
    ULONG size;
  } cases[] = {{600, 600, 0, 7},  {1200, 1200, 0, 11}, {150, 150, 0, 3},  {180, 600, 0, 5},  {2400, 2400, 0, 15},
               {1800, 2400, 0, 13}, {900, 900, 0, 9},  {400, 400, 1, 5},  {399, 1200, 0, 5}};
  for (const auto& c : cases) EXPECT_EQ(GrHalftonePatternSize(c.x, c.y, c.flag), c.size) << c.x << "x" << c.y;
}

TEST(GrDeviceInfo, ScanlineBytes) {
  EXPECT_EQ(GrScanlineBytes(BMF_1BPP, 4960), 620u);
  EXPECT_EQ(GrScanlineBytes(BMF_1BPP, 1), 4u);
  EXPECT_EQ(GrScanlineBytes(BMF_4BPP, 3), 4u);
  EXPECT_EQ(GrScanlineBytes(BMF_8BPP, 5), 8u);
  EXPECT_EQ(GrScanlineBytes(BMF_16BPP, 3), 8u);
  EXPECT_EQ(GrScanlineBytes(BMF_24BPP, 3), 12u);
  EXPECT_EQ(GrScanlineBytes(BMF_32BPP, 3), 12u);
  EXPECT_EQ(GrScanlineBytes(BMF_32BPP, 1), 4u);
  EXPECT_EQ(GrScanlineBytes(99, 33), 8u) << "unknown formats count as one bit";
  // The band of a 4960-dot page: (307200 / 620 / 32 + 1) * 32 lines.
  EXPECT_EQ((307200 / GrScanlineBytes(BMF_1BPP, 4960) / 32 + 1) * 32, 512u);
}

TEST(GrDeviceInfo, CodePagesAndRasterOperations) {
  UINT pair[2] = {};
  ASSERT_EQ(GrCodePageCharset(932, pair, 0), 1);
  EXPECT_EQ(pair[0], 128u);
  ASSERT_EQ(GrCodePageCharset(238, pair, 1), 1);
  EXPECT_EQ(pair[1], 1250u);
  EXPECT_EQ(GrCodePageCharset(437, pair, 0), 0);
  EXPECT_EQ(GrRop3Of(0xCC0020), 0xCC);
  EXPECT_EQ(GrRop3Of(0x00AACC00), 0xAA);
}

TEST(GrDeviceInfo, GdiInfoOfAVectorColourJob) {
  TestPdev pdev;
  pdev->resolution = 600;
  pdev->printWidthDots = 4760, pdev->printLengthDots = 6816;
  pdev->printWidth = 4760 * 254 / 600, pdev->printLength = 6816 * 254 / 600;
  pdev->physWidthDots = 4960, pdev->physLengthDots = 7016;
  pdev->offsetXDots = 100, pdev->offsetYDots = 100;
  pdev->colourProcess = 2;
  pdev->colourMode = 2;
  GDIINFO info{};
  GrFillGdiInfo(pdev.get(), sizeof info, &info);
  EXPECT_EQ(info.ulVersion, 0x500u);
  EXPECT_EQ(info.ulTechnology, 2u);
  EXPECT_EQ(static_cast<LONG>(info.ulHorzSize), -(2015 * 100));
  EXPECT_EQ(info.ulHorzRes, 4760u);
  EXPECT_EQ(info.cBitsPixel, 24u);
  EXPECT_EQ(info.cPlanes, 1u);
  EXPECT_EQ(info.ulNumColors, 0xFFFFFFu);
  EXPECT_EQ(info.flTextCaps, 0x581Fu);
  EXPECT_EQ(info.ulAspectXY, 848u);
  EXPECT_EQ(info.denStyleStep, 24);
  EXPECT_EQ(info.ptlPhysOffset.x, 100);
  EXPECT_EQ(info.szlPhysSize.cy, 7016);
  EXPECT_EQ(info.ciDevice.Red.x, 6380);
  EXPECT_EQ(info.ciDevice.MagentaInYellowDye, 10000);
  EXPECT_EQ(info.ulPrimaryOrder, 4u);
  EXPECT_EQ(info.ulHTPatternSize, 7u);
  EXPECT_EQ(info.ulHTOutputFormat, 6u);
  EXPECT_EQ(info.flHTFlags, 2u);
  EXPECT_EQ(pdev->pageHeightPx, 6816);

  // Millimetres when the print area asks for them; only what the caller's size holds is written.
  pdev->printArea = 2;
  GDIINFO part{};
  std::memset(&part, 0xEE, sizeof part);
  GrFillGdiInfo(pdev.get(), 12, &part);
  EXPECT_EQ(part.ulHorzSize, 201u);
  EXPECT_EQ(part.ulVertSize, 0xEEEEEEEEu);
}

TEST(GrDeviceInfo, GdiInfoColoursByModeAndProcess) {
  struct Case {
    uint32_t raster;
    int16_t process;
    uint32_t colour;
    int16_t monoSurface;
    ULONG bits, planes, colours, registers, htFormat;
  };
  const Case cases[] = {
      {1, 1, 1, 0, 1, 1, 2, 2, 0},              {1, 1, 2, 0, 24, 1, 0xFFFFFF, 0xFFFFFF, 6},
      {1, 0, 2, 0, 8, 3, 0xFFFFFF, 0xFFFFFF, 6}, {0, 1, 2, 0, 1, 1, 8, 20, 6},
      {0, 1, 1, 0, 1, 1, 2, 2, 6},              {0, 1, 1, 1, 1, 1, 2, 2, 0},
      {0, 2, 2, 0, 24, 1, 0xFFFFFF, 0xFFFFFF, 6}, {0, 3, 2, 0, 8, 3, 0xFFFFFF, 0xFFFFFF, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "raster " << c.raster << " process " << c.process << " colour " << c.colour);
    TestPdev pdev;
    pdev->rasterMode = c.raster;
    pdev->colourProcess = c.process;
    pdev->colourMode = c.colour;
    pdev->monoDeviceSurface = c.monoSurface;
    GDIINFO info{};
    GrFillGdiInfo(pdev.get(), sizeof info, &info);
    EXPECT_EQ(info.cBitsPixel, c.bits);
    EXPECT_EQ(info.cPlanes, c.planes);
    EXPECT_EQ(info.ulNumColors, c.colours);
    EXPECT_EQ(info.ulNumPalReg, c.registers);
    EXPECT_EQ(info.ulHTOutputFormat, c.htFormat);
  }
}

TEST(GrDocFlow, ZeroPadAndTime) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  EXPECT_EQ(GrZeroPad(field, 42, 3), 1);
  EXPECT_EQ(std::string(field, 3), "042");
  EXPECT_EQ(GrZeroPad(field, 1234, 3), 0);
  EXPECT_EQ(std::string(field, 3), "000");
  std::memset(field, 'x', sizeof field);
  char wide[20];
  std::memset(wide, 'x', sizeof wide);
  EXPECT_EQ(GrZeroPad(wide, 1, 16), 0);
  EXPECT_EQ(wide[0], 'x');
  char time[13];
  EXPECT_EQ(GrFormatTime(time, 12, 1), 0);
  EXPECT_EQ(GrFormatTime(time, 8, 0), 0);
  ASSERT_EQ(GrFormatTime(time, 13, 1), 1);
  EXPECT_EQ(std::strlen(time), 12u);
  EXPECT_EQ(time[2], ':');
  EXPECT_EQ(time[8], '.');
}

// The time comes from the engine's clock, so a fixed host clock gives the same text every run.
TEST(GrDocFlow, TimeFollowsTheHostClock) {
  SYSTEMTIME t{};
  t.wYear = 2026, t.wMonth = 12, t.wDay = 31, t.wHour = 23, t.wMinute = 5, t.wSecond = 7, t.wMilliseconds = 42;
  ASSERT_TRUE(host::Clock::SetLocal(t));
  char withMs[13], plain[9];
  const int okMs = GrFormatTime(withMs, sizeof withMs, 1);
  const int ok = GrFormatTime(plain, sizeof plain, 0);
  host::Clock::Advance(1000);
  char later[9];
  const int okLater = GrFormatTime(later, sizeof later, 0);
  host::Clock::UseRealTime();
  ASSERT_TRUE(okMs && ok && okLater);
  EXPECT_STREQ(withMs, "23:05:07.042");
  EXPECT_STREQ(plain, "23:05:07");
  EXPECT_STREQ(later, "23:05:08");
}

}  // namespace
}  // namespace zolt::test
