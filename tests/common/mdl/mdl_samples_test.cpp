// The sample model descriptions compile completely.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <fstream>
#include <iterator>
#include <string>

#include "mdl_test_support.h"

namespace {

using zolt::test::CompileText;
using zolt::test::ContextPtr;
using zolt::test::SkipLog;

std::string Sample(const char* name) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/models/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "line N: keyword: reason" for each entry of the log.
std::string Describe(const std::string& source, const SkipLog& log) {
  std::string out;
  for (const std::string& e : log.entries) {
    size_t offset = std::stoul(e);
    size_t line = 1 + static_cast<size_t>(std::count(source.begin(), source.begin() + std::min(offset, source.size()), '\n'));
    out += "line " + std::to_string(line) + e.substr(e.find(' ')) + "\n";
  }
  return out;
}

uint32_t CountItems(const CompileContext* ctx) {
  uint32_t n = 0;
  for (uint32_t link = ctx->header.firstItem; link; link = MdlAt<ModelItem>(ctx, link)->next) ++n;
  return n;
}

uint32_t CountCommandStrings(const CompileContext* ctx) {
  uint32_t n = 0;
  for (uint32_t link = ctx->commandStrings.head; link; link = MdlAt<MdlCommandString>(ctx, link)->next) ++n;
  return n;
}

struct SampleExpect {
  const char* file;
  uint32_t items;
  uint32_t commandStrings;
  uint32_t deviceFonts;
  uint32_t cartridgeFonts;
  bool dllCompanion;
  bool docReset;
  // Rule statements: Judge, Item, Action, Transact, AlertAction, Alert; Exclusive rows.
  uint32_t rules[6];
  uint32_t exclusives;
};
const SampleExpect kSamples[] = {
    {"ZOLT7000.QCS", 33, 10, 7, 2, true, true, {18, 4, 13, 11, 2, 3}, 13},
    {"ZOLT2100.QCS", 14, 4, 2, 0, false, false, {2, 1, 2, 2, 1, 1}, 2},
};

uint32_t CountList(const CompileContext* ctx, uint32_t head) {
  uint32_t n = 0;
  for (uint32_t link = head; link; link = *MdlAt<uint32_t>(ctx, link)) ++n;
  return n;
}

void CheckCompleteModel(const CompileContext* ctx, const SampleExpect& s) {
  EXPECT_EQ(std::u16string(ctx->header.fileVersion), u"7.70");
  EXPECT_EQ(CountItems(ctx), s.items);
  EXPECT_EQ(CountCommandStrings(ctx), s.commandStrings);
  EXPECT_EQ(ctx->header.deviceFontCount, s.deviceFonts);
  EXPECT_EQ(ctx->header.cartridgeFontCount, s.cartridgeFonts);
  EXPECT_NE(ctx->header.uiResDllName, 0u);
  EXPECT_EQ(ctx->header.excDepDllName != 0, s.dllCompanion);
  EXPECT_NE(ctx->header.groups[kGroupSlotJobStart], 0u);
  EXPECT_NE(ctx->header.groups[kGroupSlotJobEnd], 0u);
  EXPECT_NE(ctx->header.groups[kGroupSlotPageStart], 0u);
  EXPECT_NE(ctx->header.groups[kGroupSlotPageEnd], 0u);
  EXPECT_EQ(ctx->header.groups[kGroupSlotDocReset] != 0, s.docReset);
  const MdlList* lists[] = {&ctx->judges, &ctx->itemRules, &ctx->actions, &ctx->transacts, &ctx->alertActions, &ctx->alerts};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(CountList(ctx, lists[k]->head), s.rules[k]) << s.file << " rule kind " << k;
  EXPECT_EQ(CountList(ctx, ctx->exclusives.head), s.exclusives) << s.file;
  // Every paper of the paper item has its size and a printable area at each resolution.
  for (uint32_t link = ctx->header.firstItem; link; link = MdlAt<ModelItem>(ctx, link)->next) {
    const ModelItem* item = MdlAt<ModelItem>(ctx, link);
    if (ModelItemKind(item->typeWord) != kItemPickPage || item->variant) continue;
    for (uint32_t v = item->values; v; v = MdlAt<ModelValue>(ctx, v)->next) {
      const auto* paper = MdlAt<ModelPageValue>(ctx, v);
      EXPECT_GT(paper->paperWidth, 0);
      EXPECT_GT(paper->paperLength, paper->paperWidth);
      EXPECT_NE(paper->geometry, 0u);
    }
  }
}

// The descriptions are complete in form: with every name resolving, no statement is skipped or
// ignored.
TEST(MdlSamples, CompileWithoutSkippingAStatement) {
  zolt::test::TestSymbols::Install(/*permissive=*/true);
  for (const SampleExpect& s : kSamples) {
    std::string source = Sample(s.file);
    ASSERT_FALSE(source.empty()) << s.file;
    SkipLog log;
    ContextPtr ctx = CompileText(source, &log);
    ASSERT_TRUE(ctx) << s.file;
    EXPECT_TRUE(log.entries.empty()) << s.file << "\n" << Describe(source, log);
    EXPECT_EQ(ctx->stats.syntaxErrors, 0u) << s.file;
    EXPECT_EQ(ctx->stats.failed, 0u) << s.file;
    EXPECT_EQ(ctx->stats.ignored, 0u) << s.file;
    CheckCompleteModel(ctx.get(), s);
  }
  zolt::test::TestSymbols::Remove();
}

// The option model's own tables: the symbols are complete once "ZPD_zdmCallSrc" resolves; the
// value names give value IDs once their rows carry values.
bool SharedSymbolsComplete() { return OptFindSymbolByName("ZPD_zdmCallSrc") != nullptr; }
bool ValueNameFixed(const std::string& name) {
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i)
      if (t->rows[i].value != kValueNameUnfixed && name == t->rows[i].name) return true;
  return false;
}

// The value names that the source uses and that no row of the tables gives a value yet.
std::set<std::string> UnfixedValueNames(const std::string& source) {
  std::set<std::string> out;
  size_t i = 0;
  while (i < source.size()) {
    if (!std::isupper(static_cast<unsigned char>(source[i])) || (i && (std::isalnum(static_cast<unsigned char>(source[i - 1])) || source[i - 1] == '_'))) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < source.size() && (std::isalnum(static_cast<unsigned char>(source[end])) || source[end] == '_')) ++end;
    std::string word = source.substr(i, end - i);
    if (OptFindValueSymbolByName(word.c_str()) && !ValueNameFixed(word)) out.insert(word);
    i = end;
  }
  return out;
}

// With the option model's own symbol tables: every name of both samples resolves.
TEST(MdlSamples, CompileWithTheSharedSymbolTables) {
  for (const SampleExpect& s : kSamples) {
    std::string source = Sample(s.file);
    SkipLog log;
    ContextPtr ctx = CompileText(source, &log);
    ASSERT_TRUE(ctx) << s.file;
    EXPECT_EQ(ctx->stats.syntaxErrors, 0u) << s.file;
    EXPECT_EQ(std::u16string(ctx->header.fileVersion), u"7.70");
    EXPECT_EQ(CountCommandStrings(ctx.get()), s.commandStrings);
    EXPECT_EQ(ctx->header.deviceFontCount, s.deviceFonts);
    // Every symbol and every value name resolves: nothing is skipped, every item is made, in
    // the slot of its setting.
    ASSERT_TRUE(SharedSymbolsComplete());
    EXPECT_EQ(UnfixedValueNames(source), std::set<std::string>{}) << s.file;
    EXPECT_TRUE(log.entries.empty()) << s.file << "\n" << Describe(source, log);
    EXPECT_EQ(ctx->stats.failed, 0u) << s.file;
    EXPECT_EQ(ctx->stats.ignored, 0u) << s.file;
    EXPECT_EQ(CountItems(ctx.get()), s.items) << s.file;
    for (uint16_t setting : {8, 13, 15}) {
      const ModelItem* item = MdlAt<ModelItem>(ctx.get(), *ModelItemSlot(&ctx->header, setting));
      ASSERT_NE(item, nullptr) << s.file << " setting " << setting;
      EXPECT_EQ(item->settingId, setting);
    }
    CheckCompleteModel(ctx.get(), s);
  }
}

}  // namespace

namespace {

// The compiler's index over the shared tables answers as the option model's own lookups.
TEST(MdlSharedLookups, AgreeWithTheOptionModel) {
  for (int i = 0; i < kNameTable.count; ++i)
    EXPECT_EQ(MdlFindSymbol(kNameTable.rows[i].name), OptFindSymbolByName(kNameTable.rows[i].name)) << i;
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) {
      // A name answers with its first row that carries a value; names without one are unknown.
      const ValueNameEntry* want = nullptr;
      for (const ValueNameTable* u : {&kValueNameTable1, &kValueNameTable2})
        for (int j = 0; j < u->count && !want; ++j)
          if (std::strcmp(u->rows[j].name, t->rows[i].name) == 0 && u->rows[j].value != kValueNameUnfixed)
            want = &u->rows[j];
      ASSERT_EQ(MdlFindValue(t->rows[i].name), want) << t->rows[i].name;
    }
  EXPECT_NE(MdlFindSymbol("IDOKBUTTON"), nullptr);
  EXPECT_EQ(MdlFindSymbol("ZPD_NoSuchSymbol"), nullptr);
  EXPECT_EQ(MdlFindValue("NO_SUCH_VALUE"), nullptr);
}

}  // namespace
