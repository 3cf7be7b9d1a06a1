// Text printed by an application on a printer DC: TrueType text downloaded once per page, and
// the printer's resident fonts sent as characters.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "gr_job_support.h"
#include "win32/gdi.h"

namespace zolt::test {
namespace {

class GrTextJob : public GrJobTest {
 protected:
  host::MachineFacts Facts() const override {
    host::MachineFacts f;
    f.ansiCodePage = 932;
    return f;
  }
};

std::map<int, int> Count(const DecodedPage& page) {
  std::map<int, int> n;
  for (const auto& r : page.records) n[r.opcode] += 1;
  return n;
}

void TwoLines(HDC dc, const char16_t* face, const char16_t* text) {
  HFONT font = CreateFontW(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
  HGDIOBJ old = SelectObject(dc, font);
  const int n = int(std::char_traits<char16_t>::length(text));
  ExtTextOutW(dc, 300, 300, 0, nullptr, text, UINT(n), nullptr);
  ExtTextOutW(dc, 300, 600, 0, nullptr, text, UINT(n), nullptr);
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST_F(GrTextJob, TrueTypeGlyphsAreDownloadedOncePerPage) {
  const auto job = Print(2, [](HDC dc, int) { TwoLines(dc, u"Times New Roman", u"Hello"); });
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 2u);
  for (const DecodedPage& page : stream.pages) {
    auto n = Count(page);
    EXPECT_EQ(n[86], 1);  // the font, once
    EXPECT_EQ(n[83], 4);  // H, e, l, o: once each on every page
    EXPECT_EQ(n[85], 2);  // each line placed
  }
}

TEST_F(GrTextJob, ResidentFontsGoAsCharacters) {
  const auto job = Print(1, [](HDC dc, int) { TwoLines(dc, u"\u660E\u671D", u"日本語ABC"); },
                         DevModeWith({{477, 1}, {167, 1}}));  // device fonts on, text bitmap quality
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 1u);
  auto n = Count(stream.pages[0]);
  EXPECT_EQ(n[80], 1);
  EXPECT_EQ(n[82], 2);
  EXPECT_EQ(n[83] + n[84] + n[85] + n[86], 0);
  for (const auto& r : stream.pages[0].records)
    if (r.opcode == 80) EXPECT_EQ(std::string(r.bytes.c_str() + 24), "\x96\xBE\x92\xA9");
}

}  // namespace
}  // namespace zolt::test
