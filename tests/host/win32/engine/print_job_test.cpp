// Metafile jobs through the test graphics module: printed directly or spooled and played by the
// print processor, with the same output; damaged metafiles fail without an output file.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_printer.h"
#include "testgr.h"
#include "win32/blits.h"
#include "win32/emf.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/spooler.h"

namespace zolt::test {
namespace {

namespace fs = std::filesystem;

class PrintJobTest : public TestPrinterMachine {
 protected:
  std::string Sample(const char* name) { return ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / name); }
};

TEST_F(PrintJobTest, DirectAndSpooledJobsWriteTheSameOutput) {
  const std::vector<std::string> pages{Sample("mixed-p1.emf"), Sample("mixed-p3.emf")};
  ASSERT_FALSE(pages[0].empty());
  std::string outputs[2];
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "spooled");
    host::PrintResult result;
    std::string error;
    ASSERT_TRUE(host::PrintMetafiles(u"Test Printer", pages, {}, u"mixed", direct, result, &error)) << error;
    EXPECT_EQ(result.status, DWORD(JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE));
    EXPECT_EQ(result.pages, 2u);
    outputs[direct ? 0 : 1] = ReadBytes(result.output);
    EXPECT_EQ(result.bytes, outputs[direct ? 0 : 1].size());
  }
  EXPECT_EQ(outputs[0], "DOC mixed\nPAGE 1\nPAGE 2\nEND\n");
  EXPECT_EQ(outputs[0], outputs[1]);
  // Nothing but the two port files is left in the port folder.
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(Root() / "out")) files += e.path().extension() == ".prn" ? 1 : 100;
  EXPECT_EQ(files, 2u);
}

TEST_F(PrintJobTest, DamagedMetafilesFailWithoutOutput) {
  std::string damaged = Sample("mixed-p1.emf").substr(0, 200);
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "spooled");
    host::PrintResult result;
    std::string error;
    EXPECT_FALSE(host::PrintMetafiles(u"Test Printer", {damaged}, {}, u"bad", direct, result, &error));
    EXPECT_FALSE(error.empty());
  }
  std::error_code ec;
  EXPECT_TRUE(fs::is_empty(Root() / "out", ec));
  host::PrintResult result;
  EXPECT_FALSE(host::PrintMetafiles(u"No Printer", {Sample("mixed-p3.emf")}, {}, u"x", true, result));
}

// A record the printer refuses draws nothing; the rest of the page is printed and the job too.
TEST_F(PrintJobTest, ARefusedRecordDoesNotFailThePage) {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(rec, nullptr);
  Rectangle(rec, 10, 10, 200, 200);
  ExtFloodFill(rec, 50, 50, RGB(0, 0, 0), FLOODFILLBORDER);
  Rectangle(rec, 300, 300, 400, 400);
  HENHMETAFILE mf = CloseEnhMetaFile(rec);
  ASSERT_NE(mf, nullptr);
  std::string page(GetEnhMetaFileBits(mf, 0, nullptr), '\0');
  GetEnhMetaFileBits(mf, UINT(page.size()), reinterpret_cast<BYTE*>(page.data()));
  DeleteEnhMetaFile(mf);
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "spooled");
    host::PrintResult result;
    std::string error;
    ASSERT_TRUE(host::PrintMetafiles(u"Test Printer", {page}, {}, u"fill", direct, result, &error)) << error;
    EXPECT_EQ(result.status, DWORD(JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE));
    EXPECT_EQ(result.pages, 1u);
  }
}

}  // namespace
}  // namespace zolt::test
