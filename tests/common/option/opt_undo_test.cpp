// The undo stack of settings images: what a pop with restore gives back, how the three levels
// nest and overflow, what an empty stack does, the font-substitution table an edit replaced,
// the events the modules see, and the saved option-row states.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "context_services.h"
#include "feature_modules.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_image_context.h"
#include "undo_images.h"

namespace {

using zolt::test::ImageContextTest;

// Options of each block that the tests change: dmCopies (block 1), a value of block 2 and one
// of block 3.
constexpr uint16_t kCopies = 12;
constexpr uint16_t kBlock3Value = 939;  // wdmFreeSizeWidth

// One module that records the notify codes 26 and 27, with the working value of dmCopies at
// that moment.
struct Seen {
  DWORD code;
  int32_t copies;
};
std::vector<Seen> g_seen;

int RecordNotify(DriverContext* ctx, DWORD code, void*, void*) {
  if (code == kFmNotifySnapshotPushed || code == kFmNotifySnapshotPopped)
    g_seen.push_back({code, OptGetValue(ctx, kCopies, nullptr)});
  return 0;
}

const FeatureModule* RecordingTable(FeatureModuleList* list) {
  static const FeatureModule rows[1] = {{0, nullptr, FmNoBuiltInFunc, FmNoDialog, RecordNotify}};
  if (list) list->count = 1;
  return rows;
}

class UndoSnapshots : public ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    if (HasFatalFailure()) return;
    FmDetachModules(ctx);
    FmSetTableSource(RecordingTable);
    ASSERT_EQ(FmAttachModules(ctx), 1);
    FmSetTableSource(nullptr);
    g_seen.clear();
  }

  std::vector<BYTE> Image() const { return {Working(), Working() + kSettingsImageSize}; }
  int MarkedRows() const {
    int n = 0;
    for (int16_t i = 0; i < ctx->optionTable->count; ++i) n += (ctx->optionTable->rows[i].stateBits & kStateChangedMask) != 0;
    return n;
  }
  int32_t Copies() { return OptGetValue(ctx, kCopies, nullptr); }
  DWORD FontTableHandle(BYTE* image) {
    DWORD v;
    std::memcpy(&v, At(image, OptFind(ctx, kOptFontTable)), 4);
    return v;
  }
};

TEST_F(UndoSnapshots, RestoreGivesBackImagePendingWordAndClearsTheMarks) {
  OptSetValue(ctx, kCopies, 3);
  OptSetValue(ctx, kBlock3Value, 9921);
  CtxAddPendingFlags(ctx, 0x20000);
  const std::vector<BYTE> before = Image();

  DmPushSnapshot(ctx);
  ASSERT_EQ(Image(), before) << "a push leaves the working image as it is";
  OptSetValue(ctx, kCopies, 7);
  OptSetValue(ctx, kBlock3Value, 1234);
  OptSetValue(ctx, 10010, 1);
  CtxAddPendingFlags(ctx, 0x1000000);
  ASSERT_EQ(ctx->workArea->optionsChanged, 1u);
  ASSERT_GT(MarkedRows(), 0);

  DmPopSnapshot(ctx, 1);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(CtxGetPendingFlags(ctx), 0x20000u);
  EXPECT_EQ(ctx->workArea->optionsChanged, 0u);
  EXPECT_EQ(MarkedRows(), 0) << "no row stays marked, not even those marked before the push";

  // The modules hear of the push, and of the pop once the image is back.
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].code, kFmNotifySnapshotPushed);
  EXPECT_EQ(g_seen[1].code, kFmNotifySnapshotPopped);
  EXPECT_EQ(g_seen[1].copies, 3);
}

TEST_F(UndoSnapshots, CommitKeepsTheChangesAndDropsTheLevel) {
  OptSetValue(ctx, kCopies, 2);
  DmPushSnapshot(ctx);
  OptSetValue(ctx, kCopies, 5);
  CtxAddPendingFlags(ctx, 0x100000);
  DmPopSnapshot(ctx, 0);
  EXPECT_EQ(Copies(), 5);
  EXPECT_EQ(CtxGetPendingFlags(ctx) & 0x100000u, 0x100000u);
  EXPECT_EQ(ctx->workArea->optionsChanged, 1u);
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  // Only the push was announced.
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].code, kFmNotifySnapshotPushed);

  // The dropped level is gone: a further pop has nothing to give back.
  DmPopSnapshot(ctx, 1);
  EXPECT_EQ(Copies(), 5);
  EXPECT_EQ(ctx->workArea->optionsChanged, 1u);
  EXPECT_EQ(g_seen.size(), 1u);
}

TEST_F(UndoSnapshots, LevelsNestThreeDeepAndTheOldestGivesWayToAFourth) {
  // Pushes of the images holding dmCopies 1..pushes, then pops with restore; before each pop
  // the working value is 99, so a pop that restores nothing leaves 99.
  struct Case {
    int pushes;
    std::vector<int32_t> afterPops;
  } cases[] = {
      {1, {1, 99}},
      {2, {2, 1, 99}},
      {3, {3, 2, 1, 1}},     // level 2 keeps its image: a full stack gives back the oldest again
      {4, {4, 3, 2, 2}},     // the first push was discarded
      {5, {5, 4, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pushes);
    ctx->workArea->undoState = 0;  // a fresh stack for each case
    for (int i = 1; i <= c.pushes; ++i) {
      OptSetValue(ctx, kCopies, i);
      CtxAddPendingFlags(ctx, 0);
      CtxAddPendingFlags(ctx, static_cast<uint32_t>(i) << 16);
      DmPushSnapshot(ctx);
    }
    EXPECT_EQ(ctx->workArea->undoState, static_cast<DWORD>(std::min(c.pushes, kUndoLevels)));
    for (int32_t expected : c.afterPops) {
      OptSetValue(ctx, kCopies, 99);
      CtxAddPendingFlags(ctx, 0x7F000000);
      DmPopSnapshot(ctx, 1);
      EXPECT_EQ(Copies(), expected);
      // The pending word travels with its image.
      if (expected != 99) {
        EXPECT_EQ(CtxGetPendingFlags(ctx), static_cast<uint32_t>(expected) << 16);
      }
    }
  }
}

TEST_F(UndoSnapshots, WithoutImagesNothingHappens) {
  DmPushSnapshot(nullptr);
  DmPopSnapshot(nullptr, 1);
  DmPopSnapshot(nullptr, 0);
  // A context without a working image (the tables-only kinds) has nothing to keep.
  SettingsImage* image = ctx->settingsImage;
  ctx->settingsImage = nullptr;
  DmPushSnapshot(ctx);
  DmPopSnapshot(ctx, 1);
  ctx->settingsImage = image;
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  EXPECT_TRUE(g_seen.empty());

  // Nor does a context whose undo images could not be allocated.
  SettingsImage* level = ctx->workArea->undoImages[1];
  ctx->workArea->undoImages[1] = nullptr;
  DmPushSnapshot(ctx);
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  ctx->workArea->undoImages[1] = level;

  // An empty stack: a pop neither restores nor announces, nor clears the marks.
  OptSetValue(ctx, kCopies, 8);
  DmPopSnapshot(ctx, 1);
  EXPECT_EQ(Copies(), 8);
  EXPECT_GT(MarkedRows(), 0);
  EXPECT_TRUE(g_seen.empty());
}

// The font-substitution table: an edit puts a new table in the settings and keeps the handle of
// the one it replaced.
class UndoFontTable : public UndoSnapshots {
 protected:
  void SetUp() override {
    UndoSnapshots::SetUp();
    if (HasFatalFailure()) return;
    previous = CtxAllocMem(128);
    ASSERT_EQ(OptSetBuffer(ctx, kOptFontTable, previous), 1);
    previousHandle = FontTableHandle(Working());
  }
  void TearDown() override {
    // What the context still holds goes with the test.
    for (OptBufferSlot& slot : ctx->workArea->bufferHandles.slots)
      if (slot.handle) MdlFreeMem(OptUnregisterBuffer(ctx, slot.handle));
    UndoSnapshots::TearDown();
  }
  void Edit() {
    edited = CtxAllocMem(256);
    ctx->workArea->undoKeptFontTable = FontTableHandle(Working());
    ASSERT_EQ(OptSetBuffer(ctx, kOptFontTable, edited), 1);
    editedHandle = FontTableHandle(Working());
  }
  void* previous = nullptr;
  void* edited = nullptr;
  DWORD previousHandle = 0;
  DWORD editedHandle = 0;
};

TEST_F(UndoFontTable, CommitReleasesThePreviousTable) {
  DmPushSnapshot(ctx);
  Edit();
  DmPopSnapshot(ctx, 0);
  EXPECT_EQ(ctx->workArea->undoKeptFontTable, 0u);
  EXPECT_EQ(OptResolveBuffer(ctx, previousHandle), nullptr) << "released";
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), edited);
}

TEST_F(UndoFontTable, RestoreReleasesTheEditedTableAndThePreviousComesBack) {
  DmPushSnapshot(ctx);
  Edit();
  DmPopSnapshot(ctx, 1);
  EXPECT_EQ(ctx->workArea->undoKeptFontTable, 0u);
  EXPECT_EQ(OptResolveBuffer(ctx, editedHandle), nullptr) << "released";
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), previous);
}

TEST_F(UndoFontTable, AnEditFromBeforeThePushIsLeftToItsOwnLevel) {
  Edit();
  DmPushSnapshot(ctx);
  DmPopSnapshot(ctx, 1);
  // The image that came back holds the edited table: nothing is released.
  EXPECT_EQ(ctx->workArea->undoKeptFontTable, previousHandle);
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), edited);
  EXPECT_EQ(OptResolveBuffer(ctx, previousHandle), previous);
}

TEST_F(UndoFontTable, AKeptTableTheSettingsStillUseIsNeverReleased) {
  // A kept handle equal to the working table: no edited table exists to free on undo, and a
  // commit must not free the table in force.
  DmPushSnapshot(ctx);
  ctx->workArea->undoKeptFontTable = previousHandle;
  DmPopSnapshot(ctx, 1);
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), previous);
  DmPushSnapshot(ctx);
  ctx->workArea->undoKeptFontTable = previousHandle;
  DmPopSnapshot(ctx, 0);
  EXPECT_EQ(ctx->workArea->undoKeptFontTable, 0u);
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), previous);
}

// ---- option-row states ------------------------------------------------------------------------

TEST_F(UndoSnapshots, RowStatesComeBackAfterATrial) {
  OptionTable* table = ctx->optionTable;
  ASSERT_GT(table->count, 100);
  table->rows[5].stateBits = 0x0004;
  table->rows[5].flags = 0x10000;
  OptionRowStates* saved = OptSaveRowStates(ctx);
  ASSERT_NE(saved, nullptr);
  ASSERT_NE(saved->rows, nullptr);
  EXPECT_EQ(saved->count, table->count);

  table->rows[5].stateBits = 0x0001;
  table->rows[5].flags = 0;
  table->rows[table->count - 1].stateBits = 0x00FF;
  OptRestoreRowStates(ctx, saved);
  EXPECT_EQ(table->rows[5].stateBits, 0x0004);
  EXPECT_EQ(table->rows[5].flags, 0x10000u);
  EXPECT_EQ(table->rows[table->count - 1].stateBits, 0);

  // A copy of fewer rows than the table restores only those; a copy of more never writes past
  // the table.
  saved = OptSaveRowStates(ctx);
  ASSERT_NE(saved, nullptr);
  saved->count = 6;
  table->rows[5].stateBits = 0x0002;
  table->rows[6].stateBits = 0x0002;
  OptRestoreRowStates(ctx, saved);
  EXPECT_EQ(table->rows[5].stateBits, 0x0004);
  EXPECT_EQ(table->rows[6].stateBits, 0x0002);
  saved = OptSaveRowStates(ctx);
  const int16_t rows = table->count;
  table->count = 10;
  OptRestoreRowStates(ctx, saved);
  table->count = rows;

  // No copy, no context: nothing to do, and the copy is still freed.
  OptRestoreRowStates(ctx, nullptr);
  OptRestoreRowStates(nullptr, OptSaveRowStates(ctx));
  EXPECT_EQ(OptSaveRowStates(nullptr), nullptr);
}

}  // namespace
