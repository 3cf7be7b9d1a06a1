// The window build's side of the feature-module bus: the dialog slots of the rows, and the
// recording stand-in of the message boxes, and the progress window without a library.
#include <gtest/gtest.h>

#include "context_services.h"
#include "fd_services.h"
#include "feature_modules.h"

namespace {

HANDLE Printer(uintptr_t n) { return reinterpret_cast<HANDLE>(n); }
HWND Window(uintptr_t n) { return reinterpret_cast<HWND>(n); }

class WindowBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    FdStandInReset();
    ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    FdStandInReset();
  }
  DriverContext* ctx = nullptr;
};

TEST_F(WindowBuild, TheRowsCarryTheDialogSideHandlers) {
  const FeatureModule* rows = FeatureModuleTable(nullptr);
  const FmDialogHandler dialogs[kFmModuleCount] = {
      FdPresetOnDialog, FdStampOnDialog, FdCmmOnDialog,   FdFreeSizeOnDialog, FdChapterOnDialog,
      FdOptionsOnDialog, FdTtfOnDialog,  FdSummaryOnDialog, FdLimitOnDialog,  FdExtOnDialog,
  };
  for (int i = 0; i < kFmModuleCount; ++i) EXPECT_EQ(rows[i].onDialog, dialogs[i]) << i + 1;
  EXPECT_EQ(rows[0].onNotify, FdPresetOnNotify);
  EXPECT_EQ(rows[1].onNotify, FdStampOnNotify);
  EXPECT_EQ(rows[2].onNotify, FmCmmOnNotify);

  // No feature dialog can be open yet: every message is another dialog's, so nobody answers.
  DialogDescriptor dialog{};
  dialog.dialogId = 1011;
  for (DWORD message : {0x110u, 0x111u, 0x4Eu})
    EXPECT_EQ(FmDispatchDialogMessage(ctx, &dialog, nullptr, message, 0, 0), 0) << message;
  EXPECT_TRUE(FdStandInCalls().empty());
}

TEST_F(WindowBuild, MessageBoxesAreRecordedWithWhatTheyWouldShow) {
  EXPECT_EQ(FdShowWarning(ctx, nullptr, 7002), kFdIdOk);
  EXPECT_EQ(FdShowMessageStyled(ctx, Window(9), 7004, kFdIconInformation, 0), kFdIdOk);
  EXPECT_EQ(FdShowMessageWithText(ctx, nullptr, 10023, u"C:\\Users\\user\\a.ini"), kFdIdOk);
  EXPECT_EQ(FdShowMessageWithText(ctx, nullptr, 12041, nullptr), kFdIdOk);

  const std::vector<FdRecordedCall> calls = FdStandInCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, FdCallKind::kWarning);
  EXPECT_EQ(calls[0].stringId, 7002u);
  EXPECT_EQ(calls[0].typeBits, kFdIconWarning);
  EXPECT_EQ(calls[0].ctx, ctx);
  EXPECT_EQ(calls[1].kind, FdCallKind::kStyled);
  EXPECT_EQ(calls[1].stringId, 7004u);
  EXPECT_EQ(calls[1].typeBits, kFdIconInformation);
  EXPECT_EQ(calls[1].owner, Window(9));
  EXPECT_EQ(calls[2].kind, FdCallKind::kWithText);
  EXPECT_EQ(calls[2].stringId, 10023u);
  EXPECT_EQ(calls[2].text, u"C:\\Users\\user\\a.ini");
  EXPECT_EQ(calls[3].text, u"");
}

TEST_F(WindowBuild, TheOkCancelBoxAnswersOneOfItsButtons) {
  struct Case {
    int set, answered;
  };
  for (const Case& c : {Case{kFdIdOk, kFdIdOk}, Case{kFdIdCancel, kFdIdCancel}, Case{0, 0}, Case{7, 0}}) {
    FdStandInSetAnswer(c.set);
    EXPECT_EQ(FdAskWarningOkCancel(ctx, nullptr, 10017), c.answered) << c.set;
  }
  const std::vector<FdRecordedCall> calls = FdStandInCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, FdCallKind::kOkCancel);
  EXPECT_EQ(calls[0].stringId, 10017u);
  EXPECT_EQ(calls[0].typeBits, kFdIconWarning | 0x1);
  // A reset answers OK again.
  FdStandInReset();
  EXPECT_EQ(FdAskWarningOkCancel(ctx, nullptr, 10017), kFdIdOk);
}

TEST_F(WindowBuild, NoProgressWindowWithoutALanguageLibrary) {
  // A context of the tables alone has no resource library: no window, and closing none fails.
  EXPECT_EQ(FdShowProgressDialog(ctx, nullptr, 7001), nullptr);
  EXPECT_EQ(FdCloseProgressDialog(nullptr, nullptr), FALSE);
  EXPECT_EQ(FdCloseProgressDialog(nullptr, Window(5)), FALSE);  // no window at all
  const std::vector<FdRecordedCall> calls = FdStandInCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, FdCallKind::kShowProgress);
  EXPECT_EQ(calls[0].stringId, 7001u);
  EXPECT_EQ(calls[0].dialog, nullptr);
  EXPECT_EQ(calls[1].kind, FdCallKind::kCloseProgress);
}

}  // namespace
