// The feature-module bus: the rows, attach and detach with a context's life, the order of the
// three broadcasts and where they stop, the computed items, the build switches, and what the
// window-free build answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "context_services.h"
#include "fd_services.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

HANDLE Printer(uintptr_t n) { return reinterpret_cast<HANDLE>(n); }

// ---- recording modules ------------------------------------------------------------------------

enum class Slot { kBuiltIn, kDialog, kNotify };

struct Event {
  int row;  // 1-based
  Slot slot;
  DWORD code;  // built-in code, message or notify code
  void* param;
  void* userData;
  bool listAttached;  // the context's module list was in place when the handler ran
  bool optionTableGone;

  bool operator==(const Event&) const = default;
};

struct Recorder {
  std::vector<Event> events;
  int answeringRow = 0;  // this row answers every call...
  DWORD answerCode = 0;  // ...of this code (0: any code)
  int answer = 1;

  void Reset() { *this = Recorder{}; }
  std::vector<int> Rows(Slot slot, DWORD code) const {
    std::vector<int> rows;
    for (const Event& e : events)
      if (e.slot == slot && e.code == code) rows.push_back(e.row);
    return rows;
  }
  int Answer(int row, DWORD code) const {
    return row == answeringRow && (answerCode == 0 || answerCode == code) ? answer : 0;
  }
};

Recorder g_rec;

Event Make(int row, Slot slot, DriverContext* ctx, DWORD code, void* param, void* userData) {
  const bool attached = ctx && ctx->workArea && ctx->workArea->moduleList;
  // A handler that looks an option up while the context is being destroyed must get nothing
  // rather than a freed row.
  const bool gone = ctx && OptFind(ctx, 1) == nullptr;
  return {row, slot, code, param, userData, attached, gone};
}

template <int Row>
int RecBuiltIn(DriverContext* ctx, WORD code, void* userData) {
  g_rec.events.push_back(Make(Row, Slot::kBuiltIn, ctx, code, nullptr, userData));
  return g_rec.Answer(Row, code);
}
template <int Row>
int RecDialog(DriverContext* ctx, DialogDescriptor*, ControlDescriptor*, DWORD message, WPARAM, LPARAM,
              void* userData) {
  g_rec.events.push_back(Make(Row, Slot::kDialog, ctx, message, nullptr, userData));
  return g_rec.Answer(Row, message);
}
template <int Row>
int RecNotify(DriverContext* ctx, DWORD code, void* param, void* userData) {
  g_rec.events.push_back(Make(Row, Slot::kNotify, ctx, code, param, userData));
  return g_rec.Answer(Row, code);
}

template <int Row>
constexpr FeatureModule Rec(DWORD userDataSize = 0) {
  return {userDataSize, nullptr, RecBuiltIn<Row>, RecDialog<Row>, RecNotify<Row>};
}

// Ten recording modules; row 5 has user data like the chapter module.
FeatureModule g_recordingRows[kFmModuleCount] = {Rec<1>(), Rec<2>(),  Rec<3>(),  Rec<4>(),  Rec<5>(8),
                                                 Rec<6>(), Rec<7>(),  Rec<8>(),  Rec<9>(),  Rec<10>()};
const FeatureModule* RecordingTable(FeatureModuleList* list) {
  if (list) list->count = kFmModuleCount;
  return g_recordingRows;
}

// Rows with empty slots: row 2 has no built-in handler, row 3 no dialog handler, rows 1 and 4
// no notify handler.
FeatureModule g_gappedRows[4] = {
    {0, nullptr, RecBuiltIn<1>, RecDialog<1>, nullptr},
    {0, nullptr, nullptr, RecDialog<2>, RecNotify<2>},
    {0, nullptr, RecBuiltIn<3>, nullptr, RecNotify<3>},
    {0, nullptr, RecBuiltIn<4>, RecDialog<4>, nullptr},
};
const FeatureModule* GappedTable(FeatureModuleList* list) {
  if (list) list->count = 4;
  return g_gappedRows;
}

const FeatureModule* EmptyTable(FeatureModuleList* list) {
  if (list) list->count = 0;
  return g_recordingRows;
}

std::vector<DWORD> g_pageHookMessages;
int g_pageHookAnswer = 0;
int RecordingPageHook(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD message, WPARAM, LPARAM) {
  g_pageHookMessages.push_back(message);
  return g_pageHookAnswer;
}

// Notify codes 1-67 are sent, except 19, 20, 31, 37 and 50.
bool IsSentNotifyCode(DWORD code) {
  return code >= 1 && code <= kFmNotifyLast && code != 19 && code != 20 && code != 31 && code != 37 && code != 50;
}

const std::vector<int> kAllRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

class FmBus : public ::testing::Test {
 protected:
  void SetUp() override {
    g_rec.Reset();
    g_pageHookMessages.clear();
    g_pageHookAnswer = 0;
  }
  void TearDown() override {
    FmSetTableSource(nullptr);
    FmSetPageHook(nullptr);
    CtxPurgeCache(1);
  }
  // A tables-only context whose modules come from the given table.
  DriverContext* Create(FmTableSource source) {
    FmSetTableSource(source);
    DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
    FmSetTableSource(nullptr);
    return ctx;
  }
};

// ---- the rows ---------------------------------------------------------------------------------

TEST_F(FmBus, TheTableHoldsTheTenModulesInTheirOrder) {
  FeatureModuleList header{-1, nullptr};
  const FeatureModule* rows = FeatureModuleTable(&header);
  ASSERT_EQ(header.count, 10);
  EXPECT_EQ(header.rows, nullptr);  // only the count is set
  EXPECT_EQ(FeatureModuleTable(nullptr), rows);

  struct Expect {
    FmBuiltInFuncHandler builtIn;
    FmNotifyHandler notify;
  };
  // The window-free build: rows 1 and 2 notify only on the dialog side.
  const Expect expect[kFmModuleCount] = {
      {FmNoBuiltInFunc, FmNoNotify},          {FmStampOnBuiltInFunc, FmNoNotify},
      {FmCmmOnBuiltInFunc, FmCmmOnNotify},    {FmFreeSizeOnBuiltInFunc, FmFreeSizeOnNotify},
      {FmChapterOnBuiltInFunc, FmChapterOnNotify}, {FmNoBuiltInFunc, FmNoNotify},
      {FmNoBuiltInFunc, FmTtfOnNotify},       {FmNoBuiltInFunc, FmNoNotify},
      {FmLimitOnBuiltInFunc, FmLimitOnNotify}, {FmExtOnBuiltInFunc, FmExtOnNotify},
  };
  for (int i = 0; i < kFmModuleCount; ++i) {
    SCOPED_TRACE(i + 1);
    const size_t own = i + 1 == kFmChapters ? sizeof(void*) : (i + 1 == kFmExtensions ? sizeof(FmExtUserData) : 0u);
    EXPECT_EQ(rows[i].userDataSize, own);
    EXPECT_EQ(rows[i].userData, nullptr);
    EXPECT_EQ(rows[i].onBuiltInFunc, expect[i].builtIn);
    EXPECT_EQ(rows[i].onNotify, expect[i].notify);
    EXPECT_EQ(rows[i].onDialog, FmNoDialog);
  }
}

// ---- attach and detach ------------------------------------------------------------------------

TEST_F(FmBus, AContextGetsItsOwnCopyOfTheRowsAndUserData) {
  DriverContext* a = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  DriverContext* b = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_TRUE(a && b);
  const FeatureModule* table = FeatureModuleTable(nullptr);
  for (DriverContext* ctx : {a, b}) {
    const FeatureModuleList* list = ctx->workArea->moduleList;
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, kFmModuleCount);
    ASSERT_NE(list->rows, table);
    for (int i = 0; i < kFmModuleCount; ++i) {
      const FeatureModule& row = list->rows[i];
      EXPECT_EQ(row.onBuiltInFunc, table[i].onBuiltInFunc);
      EXPECT_EQ(row.onDialog, table[i].onDialog);
      EXPECT_EQ(row.onNotify, table[i].onNotify);
      if (row.userDataSize == 0) {
        EXPECT_EQ(row.userData, nullptr);
      } else {
        ASSERT_NE(row.userData, nullptr);
        const std::vector<BYTE> zero(row.userDataSize);
        EXPECT_EQ(std::memcmp(row.userData, zero.data(), zero.size()), 0);
      }
    }
  }
  EXPECT_NE(a->workArea->moduleList->rows[4].userData, b->workArea->moduleList->rows[4].userData);
  EXPECT_EQ(table[4].userData, nullptr);  // the table itself is never given user data
  for (DriverContext* ctx : {a, b}) CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(FmBus, ModulesHearCode1AtCreationAndCode2AtDestruction) {
  DriverContext* ctx = Create(RecordingTable);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, kFmNotifyAttached), kAllRows);
  for (const Event& e : g_rec.events) {
    EXPECT_TRUE(e.listAttached);
    EXPECT_EQ(e.param, nullptr);
    EXPECT_EQ(e.userData, ctx->workArea->moduleList->rows[e.row - 1].userData);
  }
  void* chapterUserData = ctx->workArea->moduleList->rows[4].userData;
  EXPECT_NE(chapterUserData, nullptr);

  // Parking keeps the modules; only the destruction detaches them.
  g_rec.Reset();
  CtxRelease(ctx);
  EXPECT_TRUE(g_rec.events.empty());
  CtxPurgeCache(1);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, kFmNotifyDetaching), kAllRows);
  ASSERT_EQ(g_rec.events.size(), 10u);
  for (const Event& e : g_rec.events) {
    EXPECT_TRUE(e.listAttached);
    EXPECT_EQ(e.param, nullptr);
    // The tables freed before the detach are no longer reachable through the context.
    EXPECT_TRUE(e.optionTableGone);
  }
  EXPECT_EQ(g_rec.events[4].userData, chapterUserData);
}

TEST_F(FmBus, AFailedCreationAttachesAndDetachesTheModules) {
  // Kind 0 needs a model, which cannot be loaded yet: the modules are attached before the
  // model load and detached again when the context is given up.
  FmSetTableSource(RecordingTable);
  EXPECT_EQ(CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 0, kCtxModeUi), nullptr);
  FmSetTableSource(nullptr);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, kFmNotifyAttached), kAllRows);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, kFmNotifyDetaching), kAllRows);
  ASSERT_EQ(g_rec.events.size(), 20u);
  EXPECT_EQ(g_rec.events[9].code, kFmNotifyAttached);
  EXPECT_EQ(g_rec.events[10].code, kFmNotifyDetaching);
}

TEST_F(FmBus, DetachFreesTheChapterListAndThePresetValueCache) {
  DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  ContextWorkArea* wa = ctx->workArea;
  EXPECT_EQ(wa->chapterList, nullptr);
  for (void* slot : wa->presetValueCache) EXPECT_EQ(slot, nullptr);
  // Blocks the chapter module and the preset list would have made; the sanitizer reports them
  // if the detach leaves them behind.
  wa->chapterList = static_cast<ChapterEntry*>(CtxAllocMem(64));
  wa->chapterAllocCount = 1;
  wa->presetValueCache[0] = CtxAllocMem(16);
  wa->presetValueCache[15] = CtxAllocMem(16);
  ASSERT_EQ(FmDetachModules(ctx), 1);
  EXPECT_EQ(wa->moduleList, nullptr);
  EXPECT_EQ(wa->chapterList, nullptr);
  EXPECT_EQ(wa->chapterAllocCount, 0);
  for (void* slot : wa->presetValueCache) EXPECT_EQ(slot, nullptr);
  // A second detach finds nothing to free; the destruction's own detach neither.
  EXPECT_EQ(FmDetachModules(ctx), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(FmBus, AttachNeedsRowsAndHappensOnce) {
  // A table without rows gives no module list and no notify; the context works without it.
  DriverContext* ctx = Create(EmptyTable);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(ctx->workArea->moduleList, nullptr);
  EXPECT_TRUE(g_rec.events.empty());
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 111), 0);
  EXPECT_EQ(FmBroadcastNotify(ctx, 36, nullptr), 0);
  EXPECT_EQ(FmDispatchDialogMessage(ctx, nullptr, nullptr, 0x110, 0, 0), 0);
  EXPECT_EQ(FmDetachModules(ctx), 0);

  // Attaching later works; attaching again is refused and keeps the first list.
  FmSetTableSource(RecordingTable);
  ASSERT_EQ(FmAttachModules(ctx), 1);
  FeatureModuleList* first = ctx->workArea->moduleList;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FmAttachModules(ctx), 0);
  FmSetTableSource(nullptr);
  EXPECT_EQ(ctx->workArea->moduleList, first);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, kFmNotifyAttached), kAllRows);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  EXPECT_EQ(FmAttachModules(nullptr), 0);
  EXPECT_EQ(FmDetachModules(nullptr), 0);
}

// ---- the broadcasts ---------------------------------------------------------------------------

TEST_F(FmBus, BroadcastsGoInTableOrderAndStopAtTheFirstAnswer) {
  DriverContext* ctx = Create(RecordingTable);
  ASSERT_NE(ctx, nullptr);
  struct Case {
    int answeringRow;
    int answer;
    std::vector<int> reached;
  };
  const Case cases[] = {
      {0, 1, kAllRows},       // nobody answers: every module sees it
      {1, 1, {1}},            // the first module answers: nobody else sees it
      {4, 1, {1, 2, 3, 4}},   //
      {10, -1, kAllRows},     // any non-zero answer stops, a negative one too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answeringRow);
    g_rec.Reset();
    g_rec.answeringRow = c.answeringRow;
    g_rec.answer = c.answer;
    EXPECT_EQ(FmRunBuiltInFunc(ctx, 312), c.answeringRow ? 1 : 0);
    EXPECT_EQ(g_rec.Rows(Slot::kBuiltIn, 312), c.reached);

    int record[2] = {0, 0};
    EXPECT_EQ(FmBroadcastNotify(ctx, 36, record), c.answeringRow ? 1 : 0);
    EXPECT_EQ(g_rec.Rows(Slot::kNotify, 36), c.reached);
    for (const Event& e : g_rec.events) {
      if (e.slot == Slot::kNotify) {
        EXPECT_EQ(e.param, record);
      }
    }

    // The dialog broadcast returns the answer itself.
    EXPECT_EQ(FmDispatchDialogMessage(ctx, nullptr, nullptr, 0x111, 1, 2), c.answeringRow ? c.answer : 0);
    EXPECT_EQ(g_rec.Rows(Slot::kDialog, 0x111), c.reached);
    EXPECT_EQ(g_rec.events.size(), 3 * c.reached.size());
  }

  // A module that answers only its own code lets the others through to everyone.
  g_rec.Reset();
  g_rec.answeringRow = 9;
  g_rec.answerCode = 59;
  EXPECT_EQ(FmBroadcastNotify(ctx, 60, nullptr), 0);
  EXPECT_EQ(FmBroadcastNotify(ctx, 59, nullptr), 1);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, 60), kAllRows);
  EXPECT_EQ(g_rec.Rows(Slot::kNotify, 59), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(FmBus, EverySentNotifyCodeReachesTheModulesThatTakeNotifies) {
  DriverContext* ctx = Create(GappedTable);
  ASSERT_NE(ctx, nullptr);
  g_rec.Reset();
  int sent = 0;
  for (DWORD code = 1; code <= kFmNotifyLast; ++code) {
    if (!IsSentNotifyCode(code)) continue;
    ++sent;
    DWORD answer = 0;
    EXPECT_EQ(FmBroadcastNotify(ctx, code, &answer), 0) << code;
    EXPECT_EQ(g_rec.Rows(Slot::kNotify, code), (std::vector<int>{2, 3})) << code;
  }
  EXPECT_EQ(sent, 62);

  // The empty slots are passed over by the other two broadcasts as well.
  g_rec.Reset();
  FmRunBuiltInFunc(ctx, 200);
  FmDispatchDialogMessage(ctx, nullptr, nullptr, 0x110, 0, 0);
  EXPECT_EQ(g_rec.Rows(Slot::kBuiltIn, 200), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(g_rec.Rows(Slot::kDialog, 0x110), (std::vector<int>{1, 2, 4}));
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(FmBus, ThePageHookIsAskedFirstAndItsAnswerEndsTheDialogBroadcast) {
  DriverContext* ctx = Create(RecordingTable);
  ASSERT_NE(ctx, nullptr);
  FmSetPageHook(RecordingPageHook);
  g_rec.Reset();

  g_pageHookAnswer = 0;
  EXPECT_EQ(FmDispatchDialogMessage(ctx, nullptr, nullptr, 0x110, 0, 0), 0);
  EXPECT_EQ(g_pageHookMessages, (std::vector<DWORD>{0x110}));
  EXPECT_EQ(g_rec.Rows(Slot::kDialog, 0x110), kAllRows);

  g_rec.Reset();
  g_pageHookAnswer = 42;
  EXPECT_EQ(FmDispatchDialogMessage(ctx, nullptr, nullptr, 0x110, 0, 0), 42);
  EXPECT_TRUE(g_rec.events.empty());

  // Without a context the hook is still asked, and nothing else.
  g_pageHookAnswer = 0;
  g_pageHookMessages.clear();
  EXPECT_EQ(FmDispatchDialogMessage(nullptr, nullptr, nullptr, 0x111, 0, 0), 0);
  EXPECT_EQ(g_pageHookMessages, (std::vector<DWORD>{0x111}));
  EXPECT_TRUE(g_rec.events.empty());
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(FmBus, NoContextNoBroadcast) {
  EXPECT_EQ(FmRunBuiltInFunc(nullptr, 111), 0);
  EXPECT_EQ(FmBroadcastNotify(nullptr, 36, nullptr), 0);
  EXPECT_EQ(FmDispatchDialogMessage(nullptr, nullptr, nullptr, 0x110, 0, 0), 0);
  EXPECT_EQ(FmGetModuleComputedItem(nullptr, 1491), 0u);
}

// ---- the window-free build ------------------------------------------------------------------

TEST_F(FmBus, TheWindowFreeModulesLetEveryCallPass) {
  DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  // No module handles these codes, 309 by design; the restore codes only while the defaults are
  // locked; nothing a caller preset is touched.
  for (WORD code : {WORD{5}, WORD{100}, WORD{110}, WORD{118}, WORD{206}, WORD{300}, WORD{309},
                    WORD{10000}, WORD{11922}, WORD{11995}})
    EXPECT_EQ(FmRunBuiltInFunc(ctx, code), 0) << code;
  // The colour-matching list (111-117, 124) and the custom sizes (200-205) answer theirs.
  for (WORD code : {WORD{111}, WORD{117}, WORD{124}, WORD{200}, WORD{205}})
    EXPECT_EQ(FmRunBuiltInFunc(ctx, code), 1) << code;
  // The colour-matching, custom-size, chapter, font-substitution, limitation and extension modules
  // answer codes of their own (their tests show what they do with them); the codes whose records
  // they read are sent with valid records below.
  const std::vector<DWORD> answered = {3,  4,  5,  6,  8,  9,  12, 15, 16, 17, 21, 24, 30, 32, 36, 38, 39,
                                       40, 41, 42, 43, 44, 45, 46, 47, 51, 54, 55, 56, 58, 59, 60, 61, 62, 63, 64};
  for (DWORD code = 1; code <= kFmNotifyLast; ++code) {
    if (std::ranges::find(answered, code) != answered.end()) continue;
    if (code == kFmNotifySubDialogCancelled || code == kFmNotifySubDialogOk) {
      // The sub-dialog codes carry a dialog; only the user-quality dialogs are answered.
      DialogDescriptor page{};
      FmDialogParam param{&page};
      EXPECT_EQ(FmBroadcastNotify(ctx, code, &param), 0) << code;
      continue;
    }
    DWORD record[4] = {7, 7, 7, 7};
    EXPECT_EQ(FmBroadcastNotify(ctx, code, record), 0) << code;
    for (DWORD word : record) EXPECT_EQ(word, 7u) << code;
  }
  // The extension module asks the device query for the per-tray details, lists only the
  // resolutions the rules allow and takes the regional paper of the fit type (2 for fit type 0).
  DWORD wanted = 0;
  EXPECT_EQ(FmBroadcastNotify(ctx, 21, &wanted), 1);
  EXPECT_EQ(wanted, 1u);
  DWORD listAll = 7, regional = 7;
  EXPECT_EQ(FmBroadcastNotify(ctx, 30, &listAll), 1);
  EXPECT_EQ(listAll, 0u);
  EXPECT_EQ(FmBroadcastNotify(ctx, 54, &regional), 1);
  EXPECT_EQ(regional, 2u);
  // The chapter module keeps every row but the chapter options out of the mode-2 passes and
  // the design trays out of settings files; it alone answers the chapter tray questions.
  for (DWORD code : {kFmNotifySaveRow, kFmNotifyLoadRow}) {
    FmRowPassParam chapter{2, OptFind(ctx, 1019), 0}, other{2, OptFind(ctx, 1), 0};
    EXPECT_EQ(FmBroadcastNotify(ctx, code, &chapter), 1);
    EXPECT_EQ(FmBroadcastNotify(ctx, code, &other), 1);
    EXPECT_EQ(chapter.answer, 0u);
    EXPECT_EQ(other.answer, 1u);
  }
  FmRowTransferParam design{OptFind(ctx, 1033), 0};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyTransferRow, &design), 0);
  EXPECT_EQ(design.answer, 1u);
  DWORD query[3] = {0x40, 2, 0};
  EXPECT_EQ(FmBroadcastNotify(ctx, 8, query), 1);
  EXPECT_EQ(query[2], 1u);
  FmTransferEndParam end{0, nullptr};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyTransferEnd, &end), 0);
  // The font-substitution module claims only its device-font choice.
  ControlDescriptor control{};
  control.controlId = 2000;
  DialogDescriptor ttfDialog{};
  void* state[3] = {&control, &ttfDialog, nullptr};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyControlState, state), 0);
  EXPECT_EQ(control.state, 0u);

  // Dialog messages reach only handlers that answer 0.
  DialogDescriptor dialog{};
  dialog.dialogId = 1003;
  for (DWORD message : {0x110u, 0x111u, 0x4Eu, 0x2u})
    EXPECT_EQ(FmDispatchDialogMessage(ctx, &dialog, nullptr, message, 1, 2), 0) << message;
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST(FdServices, TheWindowFreeBuildShowsNothingAndAnswersZero) {
  DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(FdShowWarning(ctx, nullptr, 7002), 0);
  // Neither OK nor Cancel: a caller that stops on Cancel goes on.
  EXPECT_EQ(FdAskWarningOkCancel(ctx, nullptr, 10017), 0);
  EXPECT_EQ(FdShowMessageStyled(ctx, nullptr, 7004, kFdIconInformation, 0), 0);
  EXPECT_EQ(FdShowMessageWithText(ctx, nullptr, 10023, u"C:\\x.ini"), 0);
  EXPECT_EQ(FdShowProgressDialog(ctx, nullptr, 7001), nullptr);
  EXPECT_EQ(FdCloseProgressDialog(nullptr, nullptr), FALSE);
  EXPECT_EQ(UiSetInitialPageLabels(ctx, nullptr, nullptr, 0x110, 0, 0), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

// ---- computed items and build switches ----------------------------------------------------------

class FmImage : public zolt::test::ImageContextTest {};

TEST_F(FmImage, Item1491ComparesCopiesWithTheSeparationCycleSigned) {
  struct Case {
    int32_t copies, cycle;
    DWORD item;
  };
  const Case cases[] = {{3, 5, 1}, {5, 5, 0}, {5, 3, 0}, {-1, 1, 1}, {1, -1, 0}, {0, 0, 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(OptSetValue(ctx, 12, c.copies), 1);
    ASSERT_EQ(OptSetValue(ctx, 413, c.cycle), 1);
    EXPECT_EQ(FmGetModuleComputedItem(ctx, 1491), c.item) << c.copies << " " << c.cycle;
    EXPECT_EQ(FmGetExtComputedItem(ctx, 1491), c.item);
  }
  // Only the ranges of the two modules are asked; the rest of 1347-1506 is 0.
  ASSERT_EQ(OptSetValue(ctx, 12, 3), 1);
  ASSERT_EQ(OptSetValue(ctx, 413, 5), 1);
  for (WORD item : {WORD{1347}, WORD{1378}, WORD{1395}, WORD{1490}, WORD{1492}, WORD{1506}, WORD{1507}})
    EXPECT_EQ(FmGetModuleComputedItem(ctx, item), 0u) << item;
}

TEST_F(FmImage, DeviceFunctionsAreTheSupportBits) {
  for (WORD n = 0; n < 32; ++n) EXPECT_EQ(OptHasPrnInfoFunc(ctx, n), 0) << n;
  ASSERT_EQ(OptSetValue(ctx, 1272, 1), 1);
  ASSERT_EQ(OptSetValue(ctx, 1303, 1), 1);
  ASSERT_EQ(OptSetValue(ctx, 1304, 5), 1);  // the option after the support bits
  for (WORD n = 0; n < 32; ++n) EXPECT_EQ(OptHasPrnInfoFunc(ctx, n), n == 0 || n == 31 ? 1 : 0) << n;
  EXPECT_EQ(OptHasPrnInfoFunc(ctx, 32), 0);
  EXPECT_EQ(OptHasPrnInfoFunc(ctx, 0xFFFF), 0);
}

TEST(FmSwitches, FeatureGatesOfThisBuild) {
  for (int f = 0; f <= 40; ++f) EXPECT_EQ(FmIsFeatureEnabled(nullptr, static_cast<WORD>(f), 0), f <= 5 ? 1 : 0) << f;
  EXPECT_EQ(FmIsFeatureEnabled(nullptr, 0xFFFF, 0), 0);
  for (DWORD n = 0; n < 70; ++n) EXPECT_EQ(OptHasBuildFeature(n), n == 11 || n == 23 ? 1 : 0) << n;
  EXPECT_EQ(OptHasBuildFeature(0xFFFFFFFFu), 0);
  // Without a settings image no device function is reported.
  DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(OptHasPrnInfoFunc(ctx, 0), 0);
  EXPECT_EQ(OptHasPrnInfoFunc(nullptr, 0), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

}  // namespace
