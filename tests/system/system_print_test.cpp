// The sample document printed as its users print it: an application draws it on a printer DC of
// a printer of the driver with the printer's defaults, in vector mode and in raster mode (the
// engine draws the page in bands), and the same document spooled as metafiles that the print
// processor plays. What the port receives is decoded block by block and page by page, and each
// page carries the records of its content.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "block_stream.h"
#include "machine_fixture.h"
#include "print_application.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

using blocks::DecodedPage;
using blocks::DecodedStream;
using blocks::Le16;
using blocks::Le32;

class SystemPrint : public DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }

  static std::vector<std::string> Document() {
    return app::ReadDocument(fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs");
  }

  // The printer's default device mode with the raster mode or the metafile spooling on, as a
  // program that keeps its own device mode hands it to the printer DC.
  std::string DevMode(bool raster, bool metafiles) {
    std::string dm = app::PrinterDevMode(kPrinterName);
    EXPECT_GT(dm.size(), app::kDmOutputWord + 2);
    app::SetRasterMode(dm, raster);
    app::SetMetafileSpool(dm, metafiles);
    return dm;
  }

  // The port file of a job.
  std::string Output(int jobId) const {
    const fs::path file = host::JobOutputPath(kPrinterName, DWORD(jobId));
    EXPECT_TRUE(fs::exists(file)) << file;
    return ReadBytes(file);
  }

  static DecodedStream Decode(const std::string& bytes) {
    DecodedStream stream;
    std::string error;
    EXPECT_TRUE(blocks::DecodeStream(bytes, &stream, &error)) << error;
    return stream;
  }

  // The printer's data type, as an administrator sets it in the printer's properties.
  void SetDataType(const char16_t* type) {
    HANDLE h = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(h, nullptr);
    std::u16string datatype = type;
    EXPECT_TRUE(app::ChangePrinter(h, [&](PRINTER_INFO_2W& info) {
      info.pDatatype = datatype.data();
      info.pDevMode = nullptr;
    }));
    ClosePrinter(h);
  }

  // The data type the spooler recorded for a job.
  std::u16string JobDataType(int jobId) {
    HANDLE h = OpenTestPrinter();
    DWORD needed = 0;
    GetJobW(h, DWORD(jobId), 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed ? needed : 1);
    std::u16string type;
    if (needed && GetJobW(h, DWORD(jobId), 2, buf.data(), needed, &needed)) {
      const auto* info = reinterpret_cast<const JOB_INFO_2W*>(buf.data());
      if (info->pDatatype) type = info->pDatatype;
    }
    ClosePrinter(h);
    return type;
  }
};

// What a page's records hold, told from the records alone.
struct PageContent {
  std::map<int, int> opcodes;
  std::set<uint32_t> characters;       // of downloaded glyphs and glyph bitmaps
  int photographs = 0;                 // images of the photograph's 240 x 160 pixels
  int rasterImages = 0;                // images marked as drawn in raster mode
  std::set<int32_t> imageTops;         // the top of each image
  int clips = 0;                       // clip, clip-span and clip-path records
  int paths = 0;                       // paths drawn (clip paths not counted)
};

constexpr uint8_t kClipPathMode = 5;  // a path record's drawing mode when it sets the clip

PageContent Read(const DecodedPage& page) {
  PageContent c;
  for (const auto& r : page.records) {
    c.opcodes[r.opcode] += 1;
    const std::string& b = r.bytes;
    if ((r.opcode == 83 || r.opcode == 87) && b.size() >= 64) c.characters.insert(Le16(b, 60));
    if (r.opcode == 84 && b.size() >= 28) c.characters.insert(Le16(b, 24));
    if (r.opcode == 32) {
      if (Le32(b, 32) == 240 && Le32(b, 36) == 160) ++c.photographs;
      if (static_cast<uint8_t>(b[3]) & 0x4) ++c.rasterImages;
      c.imageTops.insert(int32_t(Le32(b, 12)));
    }
    const bool path = r.opcode == 17 || r.opcode == 18;
    if (r.opcode == 16 || r.opcode == 19 || (path && (static_cast<uint8_t>(b[2]) & 0x7) == kClipPathMode)) ++c.clips;
    else if (path) ++c.paths;
  }
  return c;
}

bool HasLatin(const PageContent& c) {
  return std::any_of(c.characters.begin(), c.characters.end(), [](uint32_t ch) { return ch >= u'A' && ch <= u'z'; });
}
bool HasJapanese(const PageContent& c) {
  return std::any_of(c.characters.begin(), c.characters.end(), [](uint32_t ch) { return ch >= 0x3000 && ch <= 0x9FFF; });
}
// "op x count ..., characters n, clips n, paths n": what a failure shows of a page.
std::string Summary(const PageContent& c) {
  std::string s;
  for (const auto& [op, n] : c.opcodes) s += std::to_string(op) + "x" + std::to_string(n) + " ";
  return s + "characters " + std::to_string(c.characters.size()) + ", clips " + std::to_string(c.clips) + ", paths " +
         std::to_string(c.paths) + ", band tops " + std::to_string(c.imageTops.size());
}

int Count(const PageContent& c, int opcode) { return c.opcodes.count(opcode) ? c.opcodes.at(opcode) : 0; }
int Paths(const PageContent& c) { return c.paths; }

// The sample document's pages in vector mode: page 1 text of both scripts and shapes, page 2
// the photograph and pictures, page 3 paths under clipping.
void ExpectVectorPages(const DecodedStream& stream) {
  ASSERT_EQ(stream.pages.size(), 3u);
  const PageContent p1 = Read(stream.pages[0]), p2 = Read(stream.pages[1]), p3 = Read(stream.pages[2]);
  SCOPED_TRACE("page 1: " + Summary(p1) + "\npage 2: " + Summary(p2) + "\npage 3: " + Summary(p3));
  EXPECT_TRUE(HasLatin(p1)) << "Latin text on page 1";
  EXPECT_TRUE(HasJapanese(p1)) << "Japanese text on page 1";
  EXPECT_GT(Count(p1, 86), 0) << "fonts defined on page 1";
  EXPECT_GT(Paths(p1), 10) << "shapes on page 1";
  EXPECT_GT(p1.clips, 0) << "the clipped text's rectangle";
  EXPECT_GT(p2.photographs, 0) << "the photograph on page 2";
  EXPECT_GT(Count(p2, 32), 4) << "the pictures of page 2";
  EXPECT_GT(Count(p2, 64), 0) << "the pattern brushes of page 2";
  EXPECT_GT(Paths(p3), 10) << "paths on page 3";
  EXPECT_GT(p3.clips, 2) << "rectangle, region and path clipping on page 3";
  for (const auto& page : stream.pages) {
    const PageContent c = Read(page);
    EXPECT_EQ(c.rasterImages, 0) << "no image in vector mode is marked raster";
  }
}

TEST_F(SystemPrint, DocumentPrintsInVectorModeWithThePrintersDefaults) {
  const auto pages = Document();
  ASSERT_EQ(pages.size(), 3u);
  const app::AppJob job = app::PrintDocument(kPrinterName, pages);
  ASSERT_TRUE(job.failure.empty()) << job.failure;
  EXPECT_EQ(JobDataType(job.jobId), u"RAW") << "drawn straight through the graphics module";
  const DecodedStream stream = Decode(Output(job.jobId));
  ExpectVectorPages(stream);
  // The job is framed once: a job start before the first page, every page a start and an end.
  EXPECT_EQ(stream.blocks.front().type, 0xF3);
  EXPECT_EQ(stream.blockCounts.at(0xF4), 3);
  EXPECT_EQ(stream.blockCounts.at(0xF1), 3);
}

// The document's pages of text, shapes and clipping (its page of pictures reaches the printer
// as images in either mode and is left out: every band costs a playing of the whole page).
TEST_F(SystemPrint, DocumentPrintsInRasterModeBandByBand) {
  const auto document = Document();
  ASSERT_EQ(document.size(), 3u);
  const std::vector<std::string> pages = {document[0], document[2]};
  const std::string devmode = DevMode(true, false);
  const app::AppJob job = app::PrintDocument(kPrinterName, pages, devmode);
  ASSERT_TRUE(job.failure.empty()) << job.failure;
  const DecodedStream stream = Decode(Output(job.jobId));
  ASSERT_EQ(stream.pages.size(), 2u);
  for (size_t i = 0; i < stream.pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    const PageContent c = Read(stream.pages[i]);
    SCOPED_TRACE(Summary(c));
    EXPECT_EQ(Count(c, 17) + Count(c, 18), 0) << "the engine draws shapes and clips into the bands";
    EXPECT_GT(c.rasterImages, 0) << "bands sent as images";
    EXPECT_GT(c.imageTops.size(), 1u) << "more than one band down the page";
  }
}

// The same document spooled as metafiles by a program that writes the metafile job to the
// spooler: the print processor plays the pages through the graphics module, and the port
// receives the pages the program drew.
TEST_F(SystemPrint, DocumentSpooledAsMetafilesPrintsThePages) {
  const auto pages = Document();
  host::PrintResult result;
  std::string error;
  ASSERT_TRUE(host::PrintMetafiles(kPrinterName, pages, DevMode(false, true), u"Spooled document", false, result,
                                   &error))
      << error;
  EXPECT_EQ(result.pages, 3u);
  EXPECT_TRUE(result.status & JOB_STATUS_PRINTED) << result.status;
  ExpectVectorPages(Decode(ReadBytes(result.output)));
}

// The application's own printer DC records the pages when the printer takes metafile jobs (its
// pattern brushes among them); the print processor plays them and the job keeps its data type.
TEST_F(SystemPrint, DocumentRecordedByThePrinterDcPrintsThePages) {
  const auto pages = Document();
  SetDataType(u"NT EMF 1.008");
  const app::AppJob job = app::PrintDocument(kPrinterName, pages, DevMode(false, true));
  ASSERT_TRUE(job.failure.empty()) << job.failure;
  EXPECT_EQ(JobDataType(job.jobId), u"NT EMF 1.008");
  ExpectVectorPages(Decode(Output(job.jobId)));
}

}  // namespace
}  // namespace zolt::test
