// Printer DCs driven through the test graphics module: the call sequence of a job, surfaces
// with and without hooks, banding, device capabilities, escapes and the job's output file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_printer.h"
#include "testgr.h"
#include "win32/ddi.h"
#include "win32/gdi.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/spooler.h"

namespace zolt::test {
namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kPrinter = kTestPrinter;

class PrinterDcTest : public TestGrTest {
 protected:
  int PrintRect(HDC dc, const wchar_t*, RECT r) {
    DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
    const int job = StartDocW(dc, &di);
    EXPECT_GT(job, 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_TRUE(PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, BLACKNESS));
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    return job;
  }
  // GetJobW of the test printer at a level (empty when it fails).
  std::vector<BYTE> JobRecord(DWORD job, DWORD level) {
    std::u16string name = kPrinter;
    HANDLE h = nullptr;
    if (!OpenPrinterW(name.data(), &h, nullptr)) return {};
    DWORD needed = 0;
    GetJobW(h, job, level, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    if (!needed || !GetJobW(h, job, level, buf.data(), needed, &needed)) buf.clear();
    ClosePrinter(h);
    return buf;
  }
  std::vector<fs::path> OutFiles() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Root() / "out", ec)) files.push_back(e.path().filename());
    return files;
  }

};

TEST_F(PrinterDcTest, JobOnDeviceSurfaceCallsTheModuleInOrderAndWritesThePortFile) {
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr) << GetLastError();
  const int job = PrintRect(dc, L"", RECT{10, 20, 40, 60});
  ASSERT_TRUE(DeleteDC(dc));
  const std::vector<std::string> expected{"EnableDriver", "EnablePDEV", "CompletePDEV", "EnableSurface",
                                          "StartDoc",     "StartPage",  "BitBlt",       "SendPage",
                                          "EndDoc",       "DisableSurface", "DisablePDEV", "DisableDriver"};
  EXPECT_EQ(Calls(), expected);
  // The pattern blit reaches the module's hooked blit as it was drawn.
  EXPECT_EQ(LinesOf("BitBlt"), std::vector<std::string>{
                                   "BitBlt rect=10,20,40,60 src=-1,-1 rop=0000 clip=trivial dark=-1 brush=none mask=0 pdev=1"});
  EXPECT_EQ(LinesOf("StartDoc"), std::vector<std::string>{"StartDoc name=Doc job=" + std::to_string(job) + " pdev=1"});
  const fs::path out = host::JobOutputPath(kPrinter, DWORD(job));
  EXPECT_EQ(out.filename().string(), "Test Printer-" + std::to_string(job) + ".prn");
  EXPECT_EQ(ReadBytes(out), "DOC Doc\nPAGE 1\nEND\n");
  EXPECT_EQ(OutFiles(), std::vector<fs::path>{out.filename()});

  const std::vector<BYTE> buf = JobRecord(DWORD(job), 2);
  ASSERT_FALSE(buf.empty());
  const auto* info = reinterpret_cast<const JOB_INFO_2W*>(buf.data());
  EXPECT_EQ(info->Status, DWORD(JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE));
  EXPECT_EQ(info->TotalPages, 1u);
  EXPECT_EQ(info->Size, 19u);
  EXPECT_EQ(std::u16string(info->pDocument), u"Doc");
}

TEST_F(PrinterDcTest, HooksChooseTheEntryAndTheEngineDrawsWhatIsNotHooked) {
  struct Case {
    int surface;
    FLONG hooks;
    const char* entry;     // the entry that receives the page
    std::string sendPage;  // the module's SendPage line
  } cases[] = {
      {0, HOOK_BITBLT | HOOK_COPYBITS, "BitBlt", "SendPage dark=-1"},
      {0, HOOK_COPYBITS, "CopyBits", "SendPage dark=-1"},
      {2, HOOK_BITBLT, "BitBlt", "SendPage dark=1200"},
      {2, 0, "", "SendPage dark=1200"},  // the engine copies into the module's bitmap itself
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.surface) + "/" + std::to_string(c.hooks));
    TestGrConfig config;
    config.surface = c.surface;
    config.hooks = c.hooks;
    Configure(config);
    HDC dc = MakeDc();
    ASSERT_NE(dc, nullptr);
    PrintRect(dc, L"", RECT{10, 20, 40, 60});
    DeleteDC(dc);
    EXPECT_EQ(LinesOf("BitBlt").size(), std::string(c.entry) == "BitBlt" ? 1u : 0u);
    EXPECT_EQ(LinesOf("CopyBits").size(), std::string(c.entry) == "CopyBits" ? 1u : 0u);
    EXPECT_EQ(LinesOf("SendPage"), std::vector<std::string>{c.sendPage});
  }
}

TEST_F(PrinterDcTest, BandingPlaysThePageOncePerBandUntilTheModuleEndsIt) {
  TestGrConfig config;
  config.surface = 1;
  config.bandHeight = 40;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  PrintRect(dc, L"", RECT{0, 30, 50, 50});  // rows 30-49: ten rows in each of the first two bands
  DeleteDC(dc);
  EXPECT_EQ(LinesOf("NextBand"), (std::vector<std::string>{"NextBand y=0 dark=500", "NextBand y=40 dark=500",
                                                          "NextBand y=80 dark=0"}));
  // The blit once per band it touches, moved by the band's origin and clipped to the band.
  EXPECT_EQ(LinesOf("BitBlt"),
            (std::vector<std::string>{"BitBlt rect=0,30,50,50 src=-1,-1 rop=0000 clip=rect dark=-1 brush=none mask=0 pdev=1",
                                      "BitBlt rect=0,-10,50,10 src=-1,-1 rop=0000 clip=rect dark=-1 brush=none mask=0 pdev=1"}));
  EXPECT_EQ(LinesOf("StartBanding").size(), 1u);
  EXPECT_TRUE(LinesOf("SendPage").empty());  // the module ends a banded page itself
}

TEST_F(PrinterDcTest, DeviceCapsComeFromTheModulesGdiInfo) {
  TestGrConfig config;
  config.surface = 1;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  const std::pair<int, int> caps[] = {
      {TECHNOLOGY, DT_RASPRINTER}, {HORZRES, 200},       {VERTRES, 100},         {LOGPIXELSX, 300},
      {LOGPIXELSY, 300},           {HORZSIZE, 17},       {VERTSIZE, 8},          {PHYSICALWIDTH, 220},
      {PHYSICALHEIGHT, 124},       {PHYSICALOFFSETX, 10}, {PHYSICALOFFSETY, 12}, {BITSPIXEL, 24},
      {PLANES, 1},                 {NUMCOLORS, -1},      {TEXTCAPS, 0x581F},     {ASPECTXY, 424},
  };
  for (auto [index, value] : caps) EXPECT_EQ(GetDeviceCaps(dc, index), value) << "index " << index;
  EXPECT_TRUE(GetDeviceCaps(dc, RASTERCAPS) & RC_BANDING);
  DeleteDC(dc);
}

TEST_F(PrinterDcTest, EscapesReachTheModuleWithTheCallersSizes) {
  Configure(TestGrConfig{});
  std::u16string name = kPrinter;
  HDC ic = CreateICW(nullptr, name.c_str(), nullptr, nullptr);
  ASSERT_NE(ic, nullptr);
  char out[16] = {};
  EXPECT_EQ(ExtEscape(ic, 4242, 5, "hello", sizeof(out), out), 5);
  EXPECT_EQ(std::string(out), "hello");
  EXPECT_EQ(ExtEscape(ic, 4242, 5, "hello", 0, nullptr), 0);
  const WORD asked[] = {4242, NEWFRAME, 77};
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[0]), nullptr), 1);
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[1]), nullptr), 1);
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[2]), nullptr), 0);
  EXPECT_EQ(LinesOf("Escape").front(), "Escape 4242 in=5 out=16 pdev=1");
  EXPECT_EQ(LinesOf("Escape")[1], "Escape 4242 in=5 out=0 pdev=1");
  // An information context has no surface and takes no document.
  EXPECT_TRUE(LinesOf("EnableSurface").empty());
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  EXPECT_EQ(StartDocW(ic, &di), SP_ERROR);
  DeleteDC(ic);
}

TEST_F(PrinterDcTest, FailedOrAbortedJobsLeaveNoOutput) {
  TestGrConfig config;
  config.failStartPage = TRUE;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  const int job = StartDocW(dc, &di);
  ASSERT_GT(job, 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_EQ(AbortDoc(dc), 1);
  EXPECT_EQ(LinesOf("EndDoc"), std::vector<std::string>{"EndDoc flags=1"});
  DeleteDC(dc);
  // A second document, its DC deleted in the middle of a page.
  Configure(TestGrConfig{});
  dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartDocW(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  DeleteDC(dc);
  EXPECT_EQ(LinesOf("EndDoc"), std::vector<std::string>{"EndDoc flags=1"});
  EXPECT_TRUE(OutFiles().empty());

  const std::vector<BYTE> buf = JobRecord(DWORD(job), 1);
  ASSERT_FALSE(buf.empty());
  EXPECT_EQ(reinterpret_cast<const JOB_INFO_1W*>(buf.data())->Status, DWORD(JOB_STATUS_DELETED));
}

TEST_F(PrinterDcTest, UnknownPrinterAndDocumentCallsOutOfOrderFail) {
  EXPECT_EQ(CreateDCW(nullptr, u"No Such Printer", nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(StartPage(dc), SP_ERROR);  // no document
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  const int first = StartDocW(dc, &di);
  ASSERT_GT(first, 0);
  EXPECT_EQ(StartDocW(dc, &di), SP_ERROR);  // one document at a time
  EXPECT_EQ(EndPage(dc), SP_ERROR);         // no page
  EXPECT_GT(EndDoc(dc), 0);
  const int second = StartDocW(dc, &di);
  EXPECT_EQ(second, first + 1);  // job ids of the machine grow
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
}

TEST_F(PrinterDcTest, ResetDcCarriesTheDocumentToANewDevice) {
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(dc, &di), 0);
  DEVMODEW dm{};
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmSpecVersion = DM_SPECVERSION;
  EXPECT_EQ(ResetDCW(dc, &dm), dc);
  EXPECT_EQ(LinesOf("ResetPDEV"), std::vector<std::string>{"ResetPDEV valid=1"});
  EXPECT_EQ(LinesOf("EnablePDEV").back(), "EnablePDEV devmode=220");
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(ResetDCW(dc, &dm), nullptr);  // not inside a page
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
}

}  // namespace
}  // namespace zolt::test

namespace zolt::test {
namespace {

class SpooledPrinterDcTest : public TestGrTest {
 protected:
  void SpoolMetafiles() {
    std::u16string name = kTestPrinter;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, &defaults));
    DWORD needed = 0;
    GetPrinterW(h, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterW(h, 2, buf.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
    std::u16string type = u"NT EMF 1.008";
    info->pDatatype = type.data();
    ASSERT_TRUE(SetPrinterW(h, 2, buf.data(), 0));
    ClosePrinter(h);
  }
};

TEST_F(SpooledPrinterDcTest, ASpooledDocumentIsRecordedAndPlayedThroughTheModuleAtItsEnd) {
  SpoolMetafiles();
  Configure(TestGrConfig{});
  HDC dc = CreateDCW(nullptr, kTestPrinter, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Spooled", nullptr, nullptr, 0};
  const int job = StartDocW(dc, &di);
  ASSERT_GT(job, 0);
  for (int page = 0; page < 2; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_TRUE(PatBlt(dc, 10 + page, 20, 30, 40, BLACKNESS));
    ASSERT_GT(EndPage(dc), 0);
  }
  // Nothing reached the module while the document was recorded.
  EXPECT_TRUE(LinesOf("StartDoc").empty());
  EXPECT_TRUE(LinesOf("BitBlt").empty());
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  // The print processor played the job through a DC of its own, into the same job.
  EXPECT_EQ(LinesOf("StartDoc"), std::vector<std::string>{"StartDoc name=Spooled job=" + std::to_string(job) + " pdev=1"});
  EXPECT_EQ(LinesOf("BitBlt"),
            (std::vector<std::string>{
                "BitBlt rect=10,20,40,60 src=-1,-1 rop=0000 clip=trivial dark=-1 brush=none mask=0 pdev=1",
                "BitBlt rect=11,20,41,60 src=-1,-1 rop=0000 clip=trivial dark=-1 brush=none mask=0 pdev=1"}));
  EXPECT_EQ(ReadBytes(host::JobOutputPath(kTestPrinter, DWORD(job))), "DOC Spooled\nPAGE 1\nPAGE 2\nEND\n");
}

}  // namespace
}  // namespace zolt::test
