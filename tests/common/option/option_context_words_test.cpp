// Context words of the work area and the derived values that need a context.
#include <gtest/gtest.h>

#include <memory>

#include "machine_fixture.h"
#include "option_context_words.h"

namespace {

// A context with a zeroed work area; the words need nothing else.
class ContextWords : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = std::make_unique<ContextWorkArea>();
    ctx_.workArea = work_.get();
  }
  DriverContext ctx_{};
  std::unique_ptr<ContextWorkArea> work_;
};

TEST_F(ContextWords, PendingFlagsKeepRequestsAndReplaceTheId) {
  struct Step {
    uint32_t add, expected;
  };
  const Step steps[] = {
      {0x00010000, 0x00010000},  // a request bit
      {0x00000123, 0x00010123},  // an id joins it
      {0x00200456, 0x00210456},  // a new id replaces the old one, requests add up
      {0x01000000, 0x01210456},  // a request alone keeps the id
      {0, 0},                    // 0 clears everything
  };
  for (const Step& s : steps) {
    CtxAddPendingFlags(&ctx_, s.add);
    EXPECT_EQ(CtxGetPendingFlags(&ctx_), s.expected) << std::hex << s.add;
  }
}

TEST_F(ContextWords, ClearingHighRequestsReachesTheUndoLevels) {
  for (DWORD& saved : work_->savedPendingWords) saved = 0x30010000;
  CtxAddPendingFlags(&ctx_, 0x30010000);

  CtxClearPendingFlags(&ctx_, 0x00010000);  // below 0x10000000: the working word only
  EXPECT_EQ(CtxGetPendingFlags(&ctx_), 0x30000000u);
  for (DWORD saved : work_->savedPendingWords) EXPECT_EQ(saved, 0x30010000u);

  CtxClearPendingFlags(&ctx_, 0x10000000);
  EXPECT_EQ(CtxGetPendingFlags(&ctx_), 0x20000000u);
  for (DWORD saved : work_->savedPendingWords) EXPECT_EQ(saved, 0x20010000u);
}

TEST_F(ContextWords, StatusSignedEditAndImportCount) {
  CtxSetSettingsFileStatus(&ctx_, kSettingsFileLockMismatch);
  EXPECT_EQ(CtxGetSettingsFileStatus(&ctx_), 3);

  OptionEntry rows[3] = {};
  rows[0].id = 705;
  rows[1].id = 706;
  ControlDescriptor adjust{}, other{}, unbound{};
  adjust.option = &rows[0];
  other.option = &rows[1];
  CtxSetSignedEditOption(&ctx_, &adjust);
  EXPECT_EQ(CtxGetSignedEditOption(&ctx_), 705);
  CtxSetSignedEditOption(&ctx_, &other);  // not a signed adjustment: unchanged
  CtxSetSignedEditOption(&ctx_, &unbound);
  CtxSetSignedEditOption(&ctx_, nullptr);
  EXPECT_EQ(CtxGetSignedEditOption(&ctx_), 705);
  for (uint16_t id : {704, 711}) {
    rows[2].id = id;
    adjust.option = &rows[2];
    CtxSetSignedEditOption(&ctx_, &adjust);
    EXPECT_EQ(CtxGetSignedEditOption(&ctx_), id);
  }
  CtxClearSignedEditOption(&ctx_);
  EXPECT_EQ(CtxGetSignedEditOption(&ctx_), 0);

  CtxSetImportFileCount(&ctx_, 4);
  EXPECT_EQ(CtxGetImportFileCount(&ctx_), 4u);
  CtxClearImportFileCount(&ctx_);
  EXPECT_EQ(CtxGetImportFileCount(&ctx_), 0u);
}

TEST(ContextWordsWithoutContext, AnswerZeroAndChangeNothing) {
  CtxAddPendingFlags(nullptr, 1);
  CtxClearPendingFlags(nullptr, 1);
  CtxSetSettingsFileStatus(nullptr, 2);
  CtxSetImportFileCount(nullptr, 2);
  CtxClearSignedEditOption(nullptr);
  EXPECT_EQ(CtxGetPendingFlags(nullptr), 0u);
  EXPECT_EQ(CtxGetSettingsFileStatus(nullptr), 0);
  EXPECT_EQ(CtxGetImportFileCount(nullptr), 0u);
  EXPECT_EQ(CtxGetSignedEditOption(nullptr), 0);
  DriverContext noWork{};
  CtxAddPendingFlags(&noWork, 1);
  EXPECT_EQ(CtxGetPendingFlags(&noWork), 0u);
  EXPECT_EQ(OptGetLockedResolution(nullptr), 0);
  EXPECT_EQ(OptIsA4FitActive(nullptr), 0);
}

TEST(CodePageCharset, FollowsTheSystemAnsiCodePage) {
  struct Case {
    UINT codePage;
    uint32_t code;
  };
  const Case cases[] = {
      {932, 1},  {1252, 2}, {1250, 3},  {1253, 4},  {1251, 5},  {1254, 6},  {1257, 7},  {936, 8},
      {950, 9},  {1255, 10}, {1256, 11}, {874, 12}, {1361, 13}, {949, 13},
      {1258, 0},  // Vietnamese has a character set but no code of the driver
      {437, 0},   // no character set for an OEM code page
  };
  for (const Case& c : cases) {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = c.codePage;
    zolt::test::ScopedMachine machine(facts);
    EXPECT_EQ(OptGetCodePageCharset(), c.code) << c.codePage;
  }
}

}  // namespace
