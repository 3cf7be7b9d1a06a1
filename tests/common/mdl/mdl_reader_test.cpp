// The statement reader: what each small source reads as, statement by statement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_fixture.h"
#include "mdl_compile.h"
#include "win32/hosttext.h"

namespace {

// Every read of a source until the end, as "result|keyword|option1|option2|value".
std::vector<std::string> ReadAll(std::string_view source) {
  std::vector<std::string> reads;
  ModelSource* src = MdlOpenSourceBytes(source.data(), source.size());
  ModelStatement* st = MdlNewStatement();
  for (int guard = 0; guard < 100; ++guard) {
    int result = MdlReadStatement(st, src);
    if (result == kReadStatement)
      reads.push_back("0|" + std::string(st->keyword.text) + "|" + st->option1.text + "|" + st->option2.text + "|" +
                      std::string(st->value.text, st->value.size));
    else
      reads.push_back(std::to_string(result));
    if (result == kReadEnd || result == kReadNoMemory) break;
  }
  MdlFreeStatement(st);
  MdlCloseSource(src);
  return reads;
}

struct ReaderCase {
  const char* name;
  std::string source;
  std::vector<std::string> reads;
};

class ReaderTable : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTable, ReadsStatements) {
  const ReaderCase& c = GetParam();
  EXPECT_EQ(ReadAll(c.source), c.reads) << c.name;
}

const ReaderCase kReaderCases[] = {
    {"plain", "*Key: value\n", {"0|Key|||value", "1"}},
    {"options", "*OpenUI *ZPD_A 3: PickOne\n", {"0|OpenUI|*ZPD_A|3|PickOne", "1"}},
    {"blanks around the colon", "*Key  opt\t :  v w \n", {"0|Key|opt||v w ", "1"}},
    {"comments and other lines",
     "*% comment *Key: no\n# hash\n% percent\n plain\n\n\r\n*Key: v\n",
     {"0|Key|||v", "1"}},
    {"keyword alone at the line end", "*Key\n*B: x\n", {"0|Key|||", "0|B|||x", "1"}},
    {"keyword then a blank then the line end", "*Key \n*B: x\n", {"3", "0|B|||x", "1"}},
    {"star then line end", "*\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"star then blank", "* Key: v\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"three options", "*Key a b c: v\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"option starting with a slash", "*Key /a: v\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"empty value", "*Key:\n*B:   \n", {"0|Key|||", "0|B|||", "1"}},
    {"CR LF line ends", "*A: x\r\n*B: y\r\n", {"0|A|||x", "0|B|||y", "1"}},
    {"quoted value over lines", "*K: \"a\nb\" c\n", {"0|K|||\"a\nb\" c", "1"}},
    {"parenthesised value over lines", "*K: (a\n(b)\n)\n", {"0|K|||(a\n(b)\n)", "1"}},
    {"braced value over lines", "*K: {a\n{b}\n}\n*B: x\n", {"0|K|||{a\n{b}\n}", "0|B|||x", "1"}},
    {"brace inside parentheses", "*K: ({a})\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"bare parenthesis inside quotes", "*K: \"a(b\" x\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"escaped parentheses inside quotes", "*K: \"a%(b%)%\"%{\"\n", {"0|K|||\"a%(b%)%\"%{\"", "1"}},
    {"line end after an escape", "*K: \"a%\nb\"\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"closing parenthesis without opening", "*K: a)\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"closing brace without opening", "*K: a}\n*B: x\n", {"3", "0|B|||x", "1"}},
    {"reading resumes at a star after the error", "*K: a)*B: x\n", {"3", "0|B|||x", "1"}},
    {"rest of the line skipped after the error", "*K: a) *B: x\n*C: y\n", {"3", "0|C|||y", "1"}},
    {"last line without a line end", "*A: x\n*B: y", {"0|A|||x", "1"}},
    {"end inside quotes", "*A: \"x\n*B: y\n", {"1"}},
    {"end inside the keyword", "*Key", {"1"}},
    {"end inside the options", "*Key opt", {"1"}},
    {"end after the colon", "*Key:", {"1"}},
    {"empty source", "", {"1"}},
    {"bytes above 127 in a value", "*K: \"\xE9t\xE9\"\n", {"0|K|||\"\xE9t\xE9\"", "1"}},
    {"single-byte code page: 0x81 does not hide a quote", "*K: \x81\" x\n*B: y\n", {"1"}},
};

INSTANTIATE_TEST_SUITE_P(Sources, ReaderTable, ::testing::ValuesIn(kReaderCases),
                         [](const auto& info) {
                           std::string n;
                           for (char ch : std::string(info.param.name)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return n;
                         });

// On a double-byte system code page the byte after a lead byte is not examined: a quote there
// does not open a quoted text.
class ReaderDoubleByte : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.ansiCodePage = 932;
    return f;
  }
};

TEST_F(ReaderDoubleByte, TrailByteIsNotExamined) {
  EXPECT_EQ(ReadAll("*K: \x81\" x\n*B: y\n"), (std::vector<std::string>{"0|K|||\x81\" x", "0|B|||y", "1"}));
  // A trail byte that looks like a line end stays in the value.
  EXPECT_EQ(ReadAll("*K: a\x82\nb\n"), (std::vector<std::string>{"0|K|||a\x82\nb", "1"}));
}

TEST(LeadBytes, DoubleByteCodePages) {
  uint8_t t[256];
  MdlLeadByteTable(932, t);
  EXPECT_TRUE(t[0x81] && t[0x9F] && t[0xE0] && t[0xFC]);
  EXPECT_FALSE(t[0x80] || t[0xA0] || t[0xDF] || t[0xFD] || t['"']);
  for (UINT cp : {936u, 949u, 950u}) {
    MdlLeadByteTable(cp, t);
    EXPECT_TRUE(t[0x81] && t[0xFE]) << cp;
    EXPECT_FALSE(t[0x80] || t[0xFF]) << cp;
  }
  MdlLeadByteTable(1252, t);
  for (int b = 0; b < 256; ++b) EXPECT_FALSE(t[b]);
}

TEST(CharClasses, Table) {
  EXPECT_EQ(kMdlCharClass['0'], kCharDigit | kCharPrintable | kCharOption | kCharKeyword);
  EXPECT_EQ(kMdlCharClass['A'], kCharHexLetter | kCharPrintable | kCharOption | kCharKeyword);
  EXPECT_EQ(kMdlCharClass['g'], kCharPrintable | kCharOption | kCharKeyword);
  EXPECT_EQ(kMdlCharClass['\n'], kCharLineEnd | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass['\t'], kCharBlank | kCharPrintable | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass[' '], kCharBlank | kCharPrintable | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass[':'], kCharDelimiter);
  EXPECT_EQ(kMdlCharClass['/'], kCharPrintable | kCharKeyword | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass['*'], kCharPrintable | kCharOption | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass['{'], kCharPrintable | kCharOption | kCharDelimiter);
  EXPECT_EQ(kMdlCharClass['_'], kCharPrintable | kCharOption | kCharKeyword);
  EXPECT_EQ(kMdlCharClass['~'], kCharPrintable | kCharOption);
  EXPECT_EQ(kMdlCharClass[0x7F], 0);
  EXPECT_EQ(kMdlCharClass[0xE9], 0);
  EXPECT_EQ(kMdlCharClass[0], 0);
  EXPECT_TRUE(MdlIsHexDigit('f') && MdlIsHexDigit('9') && !MdlIsHexDigit('g'));
}

// Files on the machine: the compile driver and the FileVersion search.
class SourceFiles : public zolt::test::MachineTest {
 protected:
  std::u16string Put(const std::string& name, std::string_view bytes) {
    std::u16string path = u"C:\\Windows\\System32\\" + zolt::host::FromUtf8(name);
    zolt::test::WriteBytes(Real(u"C:\\Windows\\System32") / name, bytes);
    return path;
  }
};

TEST_F(SourceFiles, FileVersion) {
  WCHAR out[15];
  struct Case {
    const char* source;
    std::u16string expect;
  } cases[] = {
      {"*% model\n*Bad (\n*FileVersion: 7.70\n*FileVersion: 8.00\n", u"7.70"},
      {"*FileVersion: \"7.70\"  \n", u"\"7.70\"  "},
      {"*FileVersion: 12345678901234567890\n", u"12345678901234"},
      {"*OpenUI *X: PickOne\n", u"unchanged"},
      {"*FileVersion: 7.70", u"unchanged"},
  };
  for (const Case& c : cases) {
    std::u16string path = Put("V.QCS", c.source);
    std::u16string init = u"unchanged";
    std::copy(init.begin(), init.end(), out);
    out[init.size()] = 0;
    EXPECT_EQ(MdlReadFileVersion(reinterpret_cast<const WCHAR*>(path.c_str()), out), 1);
    EXPECT_EQ(std::u16string(out), c.expect) << c.source;
  }
  std::u16string missing = u"C:\\Windows\\System32\\NONE.QCS";
  EXPECT_EQ(MdlReadFileVersion(missing.c_str(), out), 1);
}

TEST_F(SourceFiles, CompileNeedsAReadableNonEmptyFile) {
  std::u16string empty = Put("EMPTY.QCS", "");
  EXPECT_EQ(MdlCompileSource(empty.c_str()), nullptr);
  std::u16string missing = u"C:\\Windows\\System32\\NONE.QCS";
  EXPECT_EQ(MdlCompileSource(missing.c_str()), nullptr);
  std::u16string model = Put("M.QCS", "*FileVersion: 1.0\n*Unknown: x\n*Bad (\n");
  CompileContext* ctx = MdlCompileSource(u"c:\\windows\\system32\\m.qcs");
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(std::u16string(ctx->header.fileVersion), u"1.0");
  EXPECT_EQ(ctx->stats.statements, 2u);
  EXPECT_EQ(ctx->stats.failed, 1u);
  EXPECT_EQ(ctx->stats.syntaxErrors, 1u);
  MdlFreeCompileContext(ctx);
}

TEST(SourceExtension, QcsAndQcd) {
  struct Case {
    std::u16string path;
    bool compiled;
    int result;
    std::u16string after;
  } cases[] = {
      {u"C:\\D\\ZOLT7000.QCS", false, 1, u"C:\\D\\ZOLT7000.QCS"},
      {u"C:\\D\\zolt7000.qcs", false, 1, u"C:\\D\\zolt7000.qcs"},
      {u"C:\\D\\ZOLT7000.QCD", false, 0, u"C:\\D\\ZOLT7000.QCD"},
      {u"C:\\D\\ZOLT7000.qcd", true, 1, u"C:\\D\\ZOLT7000.QCS"},
      {u"C:\\D\\ZOLT7000.QCS", true, 0, u"C:\\D\\ZOLT7000.QCS"},
      {u"C:\\D.X\\ZOLT7000", false, 0, u"C:\\D.X\\ZOLT7000"},
      {u"C:\\D\\ZOLT7000.QCSX", false, 0, u"C:\\D\\ZOLT7000.QCSX"},
  };
  for (Case& c : cases) {
    std::u16string p = c.path;
    EXPECT_EQ(MdlCheckSourceExtension(p.data(), c.compiled), c.result);
    EXPECT_EQ(p, c.after);
  }
}

}  // namespace
