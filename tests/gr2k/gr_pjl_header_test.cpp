// The PJL header of the first page: its lines, the job name's cut and replacements, the
// notification request and the packing into job-start blocks.
#include <gtest/gtest.h>

#include <string>

#include "../common/mdl/mdl_eval_fixture.h"
#include "gr_job_services.h"
#include "gr_pjl_header.h"
#include "gr_test_support.h"
#include "option_access.h"

namespace zolt::test {
namespace {

constexpr char kNotifyModel[] = R"(*FileVersion: 1.00
*OpenUI *ZPD_zdmFunc2SelectJobComplete: Boolean
*DefaultZPD_zdmFunc2SelectJobComplete: False
*CloseUI: *ZPD_zdmFunc2SelectJobComplete
*OpenUI *ZPD_zdmFunc2SelectJobErr: Boolean
*DefaultZPD_zdmFunc2SelectJobErr: False
*CloseUI: *ZPD_zdmFunc2SelectJobErr
)";

// A machine whose ANSI code page has double-byte characters.
class PjlHeader : public ModelContextTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    return facts;
  }
  void SetUp() override {
    ModelContextTest::SetUp();
    AttachSource(SampleSource("ZOLT2100.QCS"));
    pdev_->context = ctx;
  }
  void TearDown() override {
    pdev_->context = nullptr;
    ModelContextTest::TearDown();
  }
  void Name(const std::string& name) {
    pdev_->jobName = static_cast<char*>(GrHeapAlloc(pdev_->heap, name.size() + 1));
    std::memcpy(pdev_->jobName, name.c_str(), name.size() + 1);
    pdev_->jobNameLength = static_cast<int16_t>(name.size());
  }
  // The payloads of the blocks written, after checking that each is a job-start block.
  std::vector<std::string> Blocks() {
    std::vector<std::string> blocks;
    const std::string& s = Captured().bytes;
    for (size_t at = 0; at + 8 <= s.size();) {
      EXPECT_EQ(static_cast<uint8_t>(s[at]), 0xF3);
      uint32_t length = 0;
      std::memcpy(&length, s.data() + at + 4, 4);
      blocks.push_back(s.substr(at + 8, length));
      at += 8 + length;
    }
    return blocks;
  }
  TestPdev pdev_;
};

constexpr char kFixedLines[] =
    "@PJL SET ICMPROCESSOR = PREPROCESSOR \r\n"
    "@PJL SET CHARCOMPRESSIONENABLE = OFF \r\n"
    "@PJL SET ENHANCEBOLDENABLE = OFF \r\n"
    "@PJL SET CHARPROCESSSPEC = SPEC1 \r\n";

TEST_F(PjlHeader, FirstPageHeaderIsOneJobStartBlock) {
  Name("Report \"Q3\".doc");
  ASSERT_EQ(GrWritePjlHeader(pdev_.get()), 1);
  const std::string golden = std::string(kFixedLines) + "@PJL SET JOBNAME = \"Report 'Q3'.doc\" \r\n";
  ASSERT_EQ(Blocks(), std::vector<std::string>{golden});
  // The block as it stands in the stream: type, three zero bytes, length, the lines.
  ASSERT_EQ(golden.size(), 187u);
  EXPECT_EQ(Hex(Captured().bytes.substr(0, 8)), "f3 00 00 00 bb 00 00 00");
}

TEST_F(PjlHeader, TableOfSettings) {
  struct Case {
    uint32_t icm, compress, bold, charProcess;
    const char* lines;
  };
  const Case cases[] = {
      {1, 1, 0, 2,
       "@PJL SET ICMPROCESSOR = POSTPROCESSOR \r\n@PJL SET CHARCOMPRESSIONENABLE = ON \r\n"
       "@PJL SET ENHANCEBOLDENABLE = OFF \r\n@PJL SET CHARPROCESSSPEC = SPEC2 \r\n"},
      {7, 0, 5, 3,
       "@PJL SET ICMPROCESSOR = PREPROCESSOR \r\n@PJL SET CHARCOMPRESSIONENABLE = OFF \r\n"
       "@PJL SET ENHANCEBOLDENABLE = ON \r\n@PJL SET CHARPROCESSSPEC = SPEC3 \r\n"},
      {0, 0, 0, 9, kFixedLines},
  };
  for (const Case& c : cases) {
    Captured() = {};
    pdev_->icmInPrinter = c.icm, pdev_->compressChars = c.compress, pdev_->enhanceBold = c.bold;
    pdev_->charProcessSpec = c.charProcess;
    ASSERT_EQ(GrWritePjlHeader(pdev_.get()), 1);
    EXPECT_EQ(Blocks(), std::vector<std::string>{c.lines});
  }
}

TEST_F(PjlHeader, JobNamesAreCutAndMadeSafe) {
  struct Case {
    std::string name;
    std::string sent;
  };
  const std::string a300(300, 'a');
  std::string leadAt232 = std::string(231, 'b') + "\x82\xa0";
  const Case cases[] = {
      {a300, std::string(232, 'a')},
      {leadAt232, std::string(231, 'b')},                         // the lead byte in the last position is dropped
      {"\x82\x22x", "\x82\x22x"},                                 // a trail byte that looks like a quote stays
      {"a\r\n@PJL ENTER LANGUAGE=X", "a  @PJL ENTER LANGUAGE=X"},  // no new line, no new command
      {"\x1b%-12345X", " %-12345X"},                              // no exit sequence
      {std::string("n\0m", 3), "n m"},
  };
  for (const Case& c : cases) {
    char out[240];
    const int n = GrJobNameForPjl(c.name.data(), static_cast<int>(c.name.size()), out);
    EXPECT_EQ(Hex(std::string(out, static_cast<size_t>(n))), Hex(c.sent)) << Hex(c.name.substr(0, 16));
  }
  // The whole line of a hostile name stays one line.
  Name("x\"\r\n@PJL SET COPIES = 99");
  ASSERT_EQ(GrWritePjlHeader(pdev_.get()), 1);
  const std::string block = Blocks().at(0);
  EXPECT_NE(block.find("@PJL SET JOBNAME = \"x'  @PJL SET COPIES = 99\" \r\n"), std::string::npos) << block;
  EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 5);
}

TEST_F(PjlHeader, NotificationRequestWhenTheModelOffersIt) {
  EXPECT_EQ(GrItemUsable(ctx, 532, 0), 0);
  AttachSource(kNotifyModel);
  ASSERT_EQ(GrItemUsable(ctx, 532, 0), 1);
  struct Case {
    int complete, error, supportComplete, supportError;
    const char* value;
  };
  const Case cases[] = {
      {1, 0, 1, 1, "0x01"}, {1, 1, 1, 1, "0x03"}, {1, 1, 0, 1, "0x02"}, {0, 0, 1, 1, "0x00"},
  };
  for (const Case& c : cases) {
    Captured() = {};
    OptSetValue(ctx, 532, c.complete), OptSetValue(ctx, 533, c.error);
    OptSetValue(ctx, 564, c.supportComplete), OptSetValue(ctx, 565, c.supportError);
    ASSERT_EQ(GrWritePjlHeader(pdev_.get()), 1);
    EXPECT_EQ(Blocks().at(0), std::string(kFixedLines) + "@PJL COMMENT NOTIFICATION = \"" + c.value + "\" \r\n");
  }
}

TEST_F(PjlHeader, LinesThatDoNotFitTheBufferGoOutFirst) {
  PjlLineBuffer lines{};
  char bytes[64] = {};
  lines.bytes = bytes;
  lines.capacity = 60;
  ASSERT_EQ(GrFormatPjlLine(pdev_.get(), "A", nullptr, 12345, 0, &lines, 0xF3), 1);
  EXPECT_EQ(std::string(bytes, lines.used), "@PJL SET A = 12345 \r\n");
  ASSERT_EQ(GrFormatPjlLine(pdev_.get(), "LONGER_NAME", "v", 0, kPjlLineText | kPjlLineQuoted, &lines, 0xF3), 1);
  ASSERT_EQ(GrFormatPjlLine(pdev_.get(), "B", nullptr, 1, kPjlLineSwitch, &lines, 0xF3), 1);
  ASSERT_EQ(GrFlushPjlLines(pdev_.get(), &lines, 0xF3), 1);
  EXPECT_EQ(Blocks(), (std::vector<std::string>{"@PJL SET A = 12345 \r\n@PJL SET LONGER_NAME = \"v\" \r\n",
                                                "@PJL SET B = ON \r\n"}));
  // Without a buffer every line is a block.
  Captured() = {};
  ASSERT_EQ(GrFormatPjlLine(pdev_.get(), "C", nullptr, 0, kPjlLineSwitch, nullptr, 0xF3), 1);
  EXPECT_EQ(Blocks(), std::vector<std::string>{"@PJL SET C = OFF \r\n"});
}

}  // namespace
}  // namespace zolt::test
