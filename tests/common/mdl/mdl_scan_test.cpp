// The value scanners: words, numbers, quoted texts with escapes and hexadecimal bytes.
#include <gtest/gtest.h>

#include <string>

#include "mdl_compile.h"
#include "mdl_test_support.h"

namespace {

struct Buffer {
  Buffer(std::string_view text) {
    st = MdlNewStatement();
    MdlSetText(&st->value, text);
  }
  ~Buffer() { MdlFreeStatement(st); }
  TextBuffer* operator->() { return &st->value; }
  TextBuffer* get() { return &st->value; }
  ModelStatement* st;
};

TEST(ScanWord, WordsAndDelimiters) {
  Buffer b("  *ZPD_A rest{x}:y|z\n\"q\" last");
  char d = 1;
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "ZPD_A");
  EXPECT_EQ(d, ' ');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "rest");
  EXPECT_EQ(d, '{');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "x");
  EXPECT_EQ(d, '}');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "");
  EXPECT_EQ(d, ':');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "y");
  EXPECT_EQ(d, '|');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "z");
  EXPECT_EQ(d, '\n');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "");
  EXPECT_EQ(d, '"');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "q");
  EXPECT_EQ(d, '"');
  EXPECT_STREQ(MdlScanWord(b.get(), &d), "last");
  EXPECT_EQ(d, 0);
  // At the end: nothing, and the position stays at the end of the text.
  EXPECT_EQ(MdlScanWord(b.get(), &d), nullptr);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(b->length, b->size);
}

TEST(ScanNumber, NumbersAndTheByteAfter) {
  Buffer b(" 12 -7x\n 42\"");
  char after = 1;
  EXPECT_EQ(MdlScanNumber(b.get(), &after), 12);
  EXPECT_EQ(after, ' ');
  EXPECT_EQ(MdlScanNumber(b.get(), &after), -7);
  EXPECT_EQ(after, 'x');
  EXPECT_EQ(MdlScanNumber(b.get(), &after), 0);  // "x" is not consumed
  EXPECT_EQ(after, 'x');
  b->length += 1;
  EXPECT_EQ(MdlScanNumber(b.get(), &after), 42);
  EXPECT_EQ(after, '"');
  b->length += 1;
  EXPECT_EQ(MdlScanNumber(b.get(), &after), 0);
  EXPECT_EQ(after, 0);

  uint32_t used = 0;
  EXPECT_EQ(MdlParseInt("-305abc", nullptr, &used), -305);
  EXPECT_EQ(used, 4u);
  EXPECT_EQ(MdlParseInt("99999999999", nullptr, &used), static_cast<int32_t>(99999999999ull & 0xFFFFFFFF));
}

TEST(SkipTo, FoundAndNotFound) {
  Buffer b("ab{cd");
  EXPECT_EQ(MdlSkipTo(b.get(), '{'), 1);
  EXPECT_EQ(b->length, 3u);
  EXPECT_EQ(MdlSkipTo(b.get(), '}'), 0);
  EXPECT_EQ(b->length, b->size);
}

TEST(ExtractQuoted, EscapesAndHexadecimalRuns) {
  struct Case {
    std::string in;
    std::string out;  // without the terminator
    uint32_t length;
    uint32_t consumed;
    char after;
  } cases[] = {
      {"\"A<41 42>%\"C\"", std::string("AAB\"C"), 6, 13, 0},
      {"x \"text\" y", "text", 5, 8, ' '},
      {"\"<1b45 4>\"", "\x1b\x45", 3, 10, 0},        // a lone digit is passed over
      {"\"<00>z\"}", std::string("\0z", 2), 3, 7, '}'},
      {"\"a\nb\r\"", "ab", 3, 6, 0},                  // line ends are dropped
      {"\"%<%%\"", "<%", 3, 6, 0},
      {"\"\"", "", 0, 2, 0},
      {"no quote", "", 0, 8, 0},
      {"\"open", "open", 5, 5, 0},
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    uint32_t length = 99, consumed = 99;
    char after = 1;
    MdlExtractQuoted(text.data(), text.data() + text.size(), &length, &consumed, &after);
    EXPECT_EQ(length, c.length) << c.in;
    EXPECT_EQ(consumed, c.consumed) << c.in;
    EXPECT_EQ(after, c.after) << c.in;
    if (length) {
      EXPECT_EQ(std::string(text.data(), length - 1), c.out) << c.in;
      EXPECT_EQ(text[length - 1], 0) << c.in;
    }
  }
}

TEST(HexDigitValue, Digits) {
  EXPECT_EQ(MdlHexDigitValue('0'), 0);
  EXPECT_EQ(MdlHexDigitValue('9'), 9);
  EXPECT_EQ(MdlHexDigitValue('a'), 10);
  EXPECT_EQ(MdlHexDigitValue('f'), 15);
  EXPECT_EQ(MdlHexDigitValue('A'), 10);
  EXPECT_EQ(MdlHexDigitValue('F'), 15);
}

TEST(ScanQuoted, CopiesInTheArena) {
  CompileContext* ctx = MdlNewCompileContext();
  Buffer b("\"first\" \"\" \"caf\xE9\"");
  char after = 0;
  uint32_t length = 0;
  uint32_t link = MdlScanQuotedText(ctx, b.get(), &after, &length);
  EXPECT_EQ(zolt::test::TextAt(ctx, link), "first");
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(after, ' ');
  EXPECT_EQ(MdlScanQuotedText(ctx, b.get(), &after, &length), 0u);  // empty text
  uint32_t wide = MdlScanQuotedWide(ctx, b.get(), &after);
  ASSERT_NE(wide, 0u);
  EXPECT_EQ(std::u16string(MdlAt<WCHAR>(ctx, wide)), u"caf\u00e9");
  MdlFreeCompileContext(ctx);
}

TEST(Arena, LinksStayValidAndRecordsKeepTheirShape) {
  CompileContext* ctx = MdlNewCompileContext();
  std::vector<uint32_t> links;
  for (uint32_t i = 0; i < 20000; ++i) {
    uint32_t link = MdlAlloc(ctx, 12 + i % 40, kTagListValue, static_cast<uint16_t>(i));
    ASSERT_NE(link, 0u);
    *MdlAt<uint32_t>(ctx, link) = i;
    links.push_back(link);
  }
  uint32_t big = MdlAlloc(ctx, 1u << 20, kTagText);
  ASSERT_NE(big, 0u);
  MdlAt<char>(ctx, big)[(1u << 20) - 1] = 'x';
  for (uint32_t i = 0; i < links.size(); ++i) {
    ASSERT_EQ(*MdlAt<uint32_t>(ctx, links[i]), i);
    ASSERT_EQ(MdlRecordSize(ctx, links[i]), 12 + i % 40);
    ASSERT_EQ(MdlRecordKind(ctx, links[i]), static_cast<uint16_t>(i));
  }
  EXPECT_EQ(MdlRecordSize(ctx, big), 1u << 20);
  EXPECT_EQ(MdlResolve(ctx, 0), nullptr);
  EXPECT_EQ(MdlResolve(ctx, 0xFFFF0008u), nullptr);
  MdlFreeCompileContext(ctx);
}

}  // namespace
