// Jobs printed through a printer DC of the test printer: what the graphics module hands to its
// output module, checked as it arrives in the printer's port file.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>

#include "block_stream.h"
#include "gr_job_support.h"
#include "gr_pdev.h"
#include "gr_test_support.h"
#include "win32/hostclock.h"

namespace fs = std::filesystem;

namespace zolt::test {

using namespace zolt::blocks;
namespace {

// A large output's golden form: its size and 64-bit FNV-1a digest.
void ExpectGoldenDigest(const std::string& name, const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  char text[64];
  std::snprintf(text, sizeof text, "%zu %016llx\n", bytes.size(), static_cast<unsigned long long>(hash));
  ExpectGolden(name, text);
}

void FixTime() {
  SYSTEMTIME t{};
  t.wYear = 2026, t.wMonth = 12, t.wDay = 11, t.wHour = 9, t.wMinute = 5, t.wSecond = 7, t.wMilliseconds = 42;
  ASSERT_TRUE(host::Clock::SetLocal(t));
}

void Line(HDC dc, int) {
  MoveToEx(dc, 100, 100, nullptr);
  LineTo(dc, 1000, 100);
}

class GrJob : public GrJobTest {
 protected:
  void SetUp() override {
    GrJobTest::SetUp();
    FixTime();
  }
  void TearDown() override {
    host::Clock::UseRealTime();
    GrJobTest::TearDown();
  }
};

TEST_F(GrJob, OnePageWithOneLine) {
  const auto job = Print(1, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 1u);
  const DecodedPage& page = stream.pages[0];
  EXPECT_EQ(Hex(page.records.front().bytes.substr(0, 4)), "60 00 00 00");
  EXPECT_EQ(page.records[1].opcode, 112);
  EXPECT_EQ(page.records[1].bytes.substr(4, 24), "StartPage : 09:05:07.042");
  EXPECT_EQ(page.records[page.records.size() - 2].bytes.substr(4, 23), "SendPage : 09:05:07.042");
  EXPECT_EQ(stream.blocks.front().type, 0xF3);
  ExpectGolden("one_line.bin", job.output);
}

TEST_F(GrJob, FirstPageSendsTheCommandTextsAndThePjlHeader) {
  const auto job = Print(2, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_GE(stream.blocks.size(), 3u);
  ASSERT_EQ(stream.blocks[0].type, 0xF3);
  EXPECT_EQ(stream.blocks[0].payload.rfind("\x1b%-12345X@PJL\n@PJL JOB NAME=\"ZOLT\"\n", 0), 0u);
  // The PJL header, byte for byte: the job name is the document's.
  ASSERT_EQ(stream.blocks[1].type, 0xF3);
  EXPECT_EQ(stream.blocks[1].payload,
            "@PJL SET ICMPROCESSOR = PREPROCESSOR \r\n"
            "@PJL SET CHARCOMPRESSIONENABLE = OFF \r\n"
            "@PJL SET ENHANCEBOLDENABLE = OFF \r\n"
            "@PJL SET CHARPROCESSSPEC = SPEC3 \r\n"
            "@PJL SET JOBNAME = \"Test document\" \r\n");
  ASSERT_EQ(stream.pages.size(), 2u);
  for (const DecodedPage& page : stream.pages) {
    EXPECT_EQ(page.startText,
              "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Automatic\n"
              "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");
    EXPECT_EQ(page.endText, "\x0c");
  }
  EXPECT_EQ(stream.blockCounts.at(0xF3), 2) << "the header comes with the first page only";
}

// A job printed with a device mode of changed settings carries them in its command texts, and
// the job start names the model's device fonts that the printer's installation stored.
TEST_F(GrJob, ChangedSettingsReachTheCommandTexts) {
  // dmPaperSize A3 (8), dmColor monochrome (1), dmDefaultSource tray 3 (2).
  const std::string dm = DevModeWith({{8, 8}, {15, 1}, {13, 2}});
  const auto job = Print(1, Line, dm);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_GE(stream.blocks.size(), 2u);
  ASSERT_EQ(stream.blocks[0].type, 0xF3);
  EXPECT_EQ(stream.blocks[0].payload,
            "\x1b%-12345X@PJL\n@PJL JOB NAME=\"ZOLT\"\n@PJL SET COPIES=1\n@PJL SET QTY=Uncollated\n"
            "@PJL SET DUPLEX=1-sided\n@PJL SET OUTBIN=Printer default\n"
            "@PJL SET RENDERMODE=Black and white\n@PJL SET ECONOMODE=OFF\n"
            "@PJL SET RESOLUTION=600 x 600 dpi\n@PJL ENTER LANGUAGE=ZPDL\n\x1b"
            "E@PJL SET DEVFONTID = \"1+Courier/2+Helvetica/3+Helvetica-Bold/4+Times/5+Times-Bold/6+Symbol/"
            "7+Line Printer\" \r\n");
  ASSERT_EQ(stream.pages.size(), 1u);
  EXPECT_EQ(stream.pages[0].startText,
            "@PJL SET PAPER=A3\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Tray 3\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");
}

TEST_F(GrJob, SeveralPagesAreFramedOneByOneAndTheJobStartComesOnce) {
  const auto job = Print(3, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 3u);
  EXPECT_EQ(stream.blockCounts.at(0xF4), 3);
  EXPECT_EQ(stream.blockCounts.at(0xF1), 3);
  // The job-start blocks come before the first page only.
  size_t firstPage = 0;
  while (stream.blocks[firstPage].type != 0xF4) ++firstPage;
  for (size_t i = firstPage; i < stream.blocks.size(); ++i) EXPECT_NE(stream.blocks[i].type, 0xF3);
  ExpectGolden("three_pages.bin", job.output);
}

TEST_F(GrJob, BandedRasterPageArrivesAsImageRecordsBandByBand) {
  // A monochrome raster job: one-bit bands.
  const std::string dm = DevModeWith({{kGrOptImagePrint, 1}, {kGrOptColorProcess, 1}, {kGrOptColor, 1}});
  const auto job = Print(1, Line, dm);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 1u);
  int images = 0;
  int32_t nextTop = 0;
  for (const auto& r : stream.pages[0].records) {
    if (r.opcode != 32) continue;
    ++images;
    EXPECT_EQ(static_cast<int32_t>(Le32(r.bytes, 12)), nextTop) << "bands follow each other";
    nextTop = static_cast<int32_t>(Le32(r.bytes, 20));
    EXPECT_EQ(static_cast<uint8_t>(r.bytes[3]) & 0x4, 0x4) << "raster mode";
  }
  EXPECT_GT(images, 1);
  ExpectGoldenDigest("banded_page.digest", job.output);
}

TEST_F(GrJob, ResetInTheMiddleSendsTheJobStartAgain) {
  const std::string dm = DevModeWith({});
  const auto job = Print(2, Line, {}, [&](HDC& dc, int) {
    EXPECT_NE(ResetDCW(dc, reinterpret_cast<const DEVMODEW*>(dm.data())), nullptr);
  });
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 2u);
  // A job-start block between the two pages.
  bool seenPage = false, startAfterPage = false;
  for (const auto& b : stream.blocks) {
    if (b.type == 0xF1) seenPage = true;
    if (seenPage && b.type == 0xF3) startAfterPage = true;
  }
  EXPECT_TRUE(startAfterPage);
  ExpectGolden("reset.bin", job.output);
}

TEST_F(GrJob, SpoolFilterIsCalledInOrder) {
  const auto job = Print(2, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  std::vector<std::string> calls;
  for (const auto& c : ModuleCalls("filter"))
    if (c.rfind("Write", 0) != 0) calls.push_back(c);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().rfind("StartDocEx ", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end()),
            (std::vector<std::string>{"StartPage", "EndPage", "StartPage", "EndPage", "EndDoc", "Close"}));
}

TEST_F(GrJob, InterfaceModuleTakesTheStreamAndIsCalledInOrder) {
  // The stand-in was installed with the driver's files.
  const std::string path = "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\iZOLTOut.dll";
  RegisterInterfaceModule(path);
  const auto job = Print(1, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  Decode(job.output);
  std::vector<std::string> calls;
  for (const auto& c : ModuleCalls("interface"))
    if (c.rfind("Write", 0) != 0) calls.push_back(c);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "GetInterface 256");
  EXPECT_EQ(calls[1].rfind("Open " + path + " C:\\", 0), 0u) << calls[1];
  EXPECT_NE(calls[1].find("QVF9C123.DLL"), std::string::npos);
  EXPECT_EQ(calls[2].rfind("StartDoc ", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 3, calls.end()),
            (std::vector<std::string>{"StartPage", "EndPage", "EndDoc", "Close", "Dispose"}));
  EXPECT_TRUE(ModuleCalls("filter").empty());
}

TEST_F(GrJob, PluginThatFailsToLoadFallsBackToTheSpoolFilter) {
  RegisterInterfaceModule("C:\\Program Files\\Output\\missing.dll");
  const auto job = Print(1, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  Decode(job.output);
  EXPECT_FALSE(ModuleCalls("filter").empty());
}

TEST_F(GrJob, InterfaceModuleThatRefusesOpenFailsTheDocument) {
  RegisterInterfaceModule("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\iZOLTOut.dll");
  SetModuleBehaviour("interface", "OpenResult=0\n");
  const auto job = Print(1, Line);
  EXPECT_FALSE(job.startDoc);
}

TEST_F(GrJob, PluginWithoutItsInterfaceExportFailsTheDocument) {
  // The spool filter is a module, but not an interface module.
  RegisterInterfaceModule("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9C123.DLL");
  const auto job = Print(1, Line);
  EXPECT_FALSE(job.startDoc);
}

TEST_F(GrJob, FilterWithoutOptionalExportsStillDeliversTheStream) {
  const fs::path filter = Real(DriverDirectory() + u"\\QVF9C123.DLL");
  fs::copy_file(fs::path(ZOLT_TEST_MODULE_DIR) / "QVF9C123_MINIMAL.DLL", filter, fs::copy_options::overwrite_existing);
  const auto job = Print(2, Line);
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  EXPECT_EQ(Decode(job.output).pages.size(), 2u);
  std::vector<std::string> calls;
  for (const auto& c : ModuleCalls("filter"))
    if (c.rfind("Write", 0) != 0) calls.push_back(c);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].rfind("StartDoc ", 0), 0u);
}

TEST_F(GrJob, WriteErrorMidPageFailsThatPageAndTheNextButTheDocumentEnds) {
  SetModuleBehaviour("filter", "FailWriteAt=8\n");
  const auto job = Print(3, Line);
  EXPECT_TRUE(job.startDoc);
  EXPECT_FALSE(job.pagesOk);
  EXPECT_TRUE(job.endDoc);
  const auto calls = ModuleCalls("filter");
  EXPECT_EQ(calls.back(), "Close");
  int writes = 0;
  for (const auto& c : calls) writes += c.rfind("Write", 0) == 0;
  EXPECT_EQ(writes, 8) << "nothing is written after the failure";
}

}  // namespace
}  // namespace zolt::test
