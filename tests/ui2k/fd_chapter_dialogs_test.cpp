// The chapter dialog as a person uses it: page lists typed into the page edit and added, refused
// with their message when they are malformed or overlap what is listed, entries deleted one by
// one or all at once, and Cancel bringing back the list from before the dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "context_services.h"
#include "env_language.h"
#include "fd_chapter.h"
#include "feature_modules.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kOptChapterMax = 1017;
constexpr uint16_t kOptChapterTrayMax = 1018;
constexpr uint16_t kOptChapterTrayNum = 1023;
constexpr uint16_t kOptFuncSelectCover = 65;
constexpr uint16_t kOptCoverType = 124;
constexpr int16_t kTrayA = 2, kTrayB = 3, kTrayC = 4;

// ---- the grammar ------------------------------------------------------------------------------

struct Parsed {
  int warning;
  std::vector<int32_t> values;
  std::vector<std::u16string> ranges;
};

Parsed Parse(const char16_t* text, int rangeMode, int limit = 512) {
  auto list = std::make_unique<PageListValues>();
  Parsed out{FdParsePageList(text, rangeMode, limit, list.get()), {}, {}};
  FdSortPageList(list.get(), rangeMode);
  for (int i = 0; i < list->count; ++i) {
    out.values.push_back(list->values[i]);
    if (rangeMode) out.ranges.emplace_back(list->ranges[i]);
  }
  EXPECT_EQ(list->values[list->count], 0);
  return out;
}

TEST(PageListGrammar, GoodListsGiveSortedPagesOrRanges) {
  struct Case {
    const char16_t* text;
    int rangeMode;
    std::vector<int32_t> values;
    std::vector<std::u16string> ranges;
  } cases[] = {
      {u"3,1-2,2", 0, {1, 2, 3}, {}},
      {u"3,1-2,2", 1, {1, 2, 3}, {u"1-2", u"2", u"3"}},
      {u"5-3", 0, {3, 4, 5}, {}},
      {u"5-3", 1, {3}, {u"3-5"}},
      {u"1,2,", 0, {1, 2}, {}},
      {u"30000,1", 0, {1, 30000}, {}},
      {u"7-7", 1, {7}, {u"7"}},
      {u"29999-30000", 1, {29999}, {u"29999-30000"}},
      {u"", 0, {}, {}},
      {u"10,9,8,7,6,5,4,3,2,1", 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    const Parsed p = Parse(c.text, c.rangeMode);
    EXPECT_EQ(p.warning, 0);
    EXPECT_EQ(p.values, c.values);
    if (c.rangeMode) {
      EXPECT_EQ(p.ranges, c.ranges);
    }
  }
}

TEST(PageListGrammar, BadListsAreRefusedWithTheirMessage) {
  struct Case {
    const char16_t* text;
    int rangeMode;
    int limit;
    int warning;
  } cases[] = {
      {u"1a", 0, 512, kMsgBadPageCharacter},     {u"1 2", 1, 512, kMsgBadPageCharacter},
      {u"1;2", 0, 512, kMsgBadPageCharacter},    {u"\uFF11", 0, 512, kMsgBadPageCharacter},
      {u"3-", 0, 512, kMsgBadPageList},          {u"-3", 0, 512, kMsgBadPageList},
      {u"3--4", 0, 512, kMsgBadPageList},        {u"1-2-3", 1, 512, kMsgBadPageList},
      {u",1-2", 0, 512, kMsgBadPageList},        {u"0", 0, 512, kMsgBadPageList},
      {u"30001", 0, 512, kMsgBadPageList},       {u"0-5", 1, 512, kMsgBadPageList},
      {u"5-30001", 0, 512, kMsgBadPageList},     {u"1,,2", 0, 512, kMsgBadPageList},
      {u",", 0, 512, kMsgBadPageList},           {u"99999999999999999999", 0, 512, kMsgBadPageList},
      {u"1-11", 0, 10, kMsgTooManyChapters},     {u"1-513", 0, 600, kMsgTooManyChapters},
      {u"1-3,5-7,9-11", 1, 2, kMsgTooManyChapters},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    const Parsed p = Parse(c.text, c.rangeMode, c.limit);
    EXPECT_EQ(p.warning, c.warning);
    EXPECT_TRUE(p.values.empty());
  }
}

// ---- the list and the dialog ------------------------------------------------------------------

struct Row {
  int page;
  int tray;
  int kind;
  int print;
  std::u16string range;
  bool operator==(const Row&) const = default;
};

class ChapterDialog : public zolt::test::FeatureDialogTest {
 protected:
  void SetUp() override {
    FeatureDialogTest::SetUp();
    OptSetValue(ctx, kOptChapterMax, 10);
    OptSetValue(ctx, kOptChapterTrayMax, 3);
    OptSetValue(ctx, kOptChapterNum, 0);
  }

  void Choose(int kind, int tray, int print) {
    OptSetValue(ctx, kOptChapterKind, kind);
    OptSetValue(ctx, kOptChapterTray, tray);
    OptSetValue(ctx, kOptChapterPrint, print);
  }
  // The list merged without a dialog; the refusal's string id or 0.
  int Add(const char16_t* text) {
    const int rangeMode = OptGetValue(ctx, kOptChapterKind, nullptr) == 3;
    auto list = std::make_unique<PageListValues>();
    if (const int warning = FdParsePageList(text, rangeMode, 10, list.get())) return warning;
    FdSortPageList(list.get(), rangeMode);
    return FdMergeChapterPages(ctx, list.get(), rangeMode);
  }
  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int i = 0; i < FdGetChapterCount(ctx); ++i) {
      const ChapterEntry* e = FmGetChapterEntry(ctx, i);
      if (!e) break;
      WCHAR range[kChapterRangeChars + 1] = {};
      std::copy_n(e->pageRange, kChapterRangeChars, range);
      rows.push_back({e->page, e->tray, e->kind, e->print, range});
    }
    return rows;
  }
  std::u16string String(DWORD id) {
    std::u16string s(1025, u'\0');
    EnvLoadString(ctx, id, s.data(), 1025, 1);
    return std::u16string(s.c_str());
  }
  // Types the list into the page edit of the open dialog and presses Add (the model's rule of the
  // button runs built-in function 300).
  void TypeAndAdd(HWND modal, const char16_t* text) {
    HWND edit = ui::FindControl(modal, kCtlChapterPage);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfChapterAdd), 1);
  }
  int Selected(HWND modal) { return ui::SelectedIndex(ui::FindControl(modal, kCtlChapterList)); }
  void Select(HWND modal, int index) {
    SendMessageW(ui::FindControl(modal, kCtlChapterList), LB_SETCURSEL, WPARAM(index), 0);
  }
};

// Chapters with their trays and prints, ranges on another tray, pages without a tray: the list
// keeps page order, replaces a page given again, and records the trays it uses by kind.
TEST_F(ChapterDialog, EntriesKeepPageOrderAndTheTraysTheyUse) {
  Choose(0, kTrayA, 1);
  EXPECT_EQ(Add(u"9,1"), 0);
  Choose(3, kTrayC, 2);
  EXPECT_EQ(Add(u"3-5"), 0);
  Choose(0, kTrayB, 1);
  EXPECT_EQ(Add(u"7"), 0);
  Choose(1, kTrayB, 2);
  EXPECT_EQ(Add(u"8"), 0);
  Choose(0, kTrayB, 1);
  EXPECT_EQ(Add(u"9"), 0);  // replaces the chapter on tray A
  EXPECT_EQ(Rows(), (std::vector<Row>{{1, kTrayA, 0, 1, u""},
                                      {3, kTrayC, 3, 2, u"3-5"},
                                      {7, kTrayB, 0, 1, u""},
                                      {8, 0, 1, 0, u""},
                                      {9, kTrayB, 0, 1, u""}}));
  EXPECT_EQ(OptGetValue(ctx, kOptChapterUseTray1, nullptr), kTrayA);
  EXPECT_EQ(OptGetValue(ctx, kOptChapterUseTray2, nullptr), kTrayB);
  EXPECT_EQ(OptGetValue(ctx, kOptChapterTrayNum, nullptr), 2);
  EXPECT_EQ(OptGetValue(ctx, kOptDesignUseTray1, nullptr), kTrayC);
  EXPECT_EQ(OptGetValue(ctx, kOptDesignTrayNum, nullptr), 1);
}

// Every refusal leaves the list and the tray options exactly as they were.
TEST_F(ChapterDialog, RefusedMergesChangeNothing) {
  Choose(3, kTrayA, 1);
  ASSERT_EQ(Add(u"5-10"), 0);
  Choose(0, kTrayA, 1);
  ASSERT_EQ(Add(u"2,20"), 0);
  const std::vector<Row> before = Rows();
  struct Case {
    const char* name;
    int kind, tray, print;
    const char16_t* text;
    int warning;
  } cases[] = {
      {"page inside a range", 0, kTrayA, 1, u"7", kMsgRangeOverlap},
      {"range ending inside a range", 3, kTrayA, 1, u"1-6", kMsgRangeOverlap},
      {"range starting inside a range", 3, kTrayA, 1, u"10-12", kMsgRangeOverlap},
      {"range around a range", 3, kTrayA, 1, u"4-12", kMsgRangeOverlap},
      {"range around a page", 3, kTrayA, 1, u"15-25", kMsgRangeOverlap},
      {"more entries than the list holds", 0, kTrayA, 1, u"11,12,13,14,15,16,17,18", kMsgTooManyChapters},
      {"a fourth tray", 0, 9, 1, u"30", 0},
      {"print on both sides on a one-sided tray", 0, kTrayA, 2, u"30", kMsgPrintClash},
  };
  OptSetValue(ctx, kOptChapterTrayMax, 1);
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    if (c.warning == 0) c.warning = kMsgTooManyTrays;
    Choose(c.kind, c.tray, c.print);
    EXPECT_EQ(Add(c.text), c.warning);
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(OptGetValue(ctx, kOptChapterTrayNum, nullptr), 1);
    EXPECT_EQ(OptGetValue(ctx, kOptDesignTrayNum, nullptr), 1);
  }
  OptSetValue(ctx, kOptChapterTrayMax, 3);
  OptSetValue(ctx, kOptFuncSelectCover, 1);
  OptSetValue(ctx, kOptCoverType, 2);
  Choose(3, kTrayA, 1);
  EXPECT_EQ(Add(u"1"), kMsgRangeOnCover);
  OptSetValue(ctx, kOptCoverType, 1);
  EXPECT_EQ(Add(u"1"), 0);
}

// In the dialog: a good list is added, a bad one is refused with its message and the focus goes
// back to the page edit; OK keeps the list.
TEST_F(ChapterDialog, TypedListsAreAddedOrRefusedWithTheirMessage) {
  Choose(0, kTrayA, 1);
  std::vector<std::u16string> shown;
  ui::WhenIdle([&](HWND modal) {
    EXPECT_EQ(ui::Items(ui::FindControl(modal, kCtlChapterList)).size(), 10u);
    EXPECT_EQ(ui::Text(ui::FindControl(modal, kCtlChapterPage)), u"");
    TypeAndAdd(modal, u"3,1-2,2");
    EXPECT_EQ(Selected(modal), 2);
    for (const char16_t* bad : {u"4;5", u"4-", u"30001", u"1-20"}) {
      ui::AnswerNextMessageBox(IDOK);
      TypeAndAdd(modal, bad);
    }
    EXPECT_EQ(GetFocus(), ui::FindControl(modal, kCtlChapterPage));
    for (const ui::MessageBoxRecord& box : ui::MessageBoxes()) shown.push_back(box.text);
    ui::Click(ui::FindControl(modal, IDOK));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgChapter, nullptr), IDOK);
  EXPECT_EQ(Rows(), (std::vector<Row>{{1, kTrayA, 0, 1, u""}, {2, kTrayA, 0, 1, u""}, {3, kTrayA, 0, 1, u""}}));
  ASSERT_EQ(shown.size(), 4u);
  const uint16_t expected[] = {kMsgBadPageCharacter, kMsgBadPageList, kMsgBadPageList, kMsgTooManyChapters};
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_NE(shown[i].find(String(expected[i])), std::u16string::npos) << i;
  EXPECT_EQ(OptGetValue(ctx, kOptChapterUseTray1, nullptr), kTrayA);
}

// Deleting the last of three entries selects the second; deleting the first keeps index 0; the
// question answered Cancel deletes nothing; delete all empties the list. Cancel of the dialog
// brings everything back.
TEST_F(ChapterDialog, DeletesFollowTheSelectionAndCancelUndoesThem) {
  Choose(0, kTrayA, 1);
  ASSERT_EQ(Add(u"1,2,3"), 0);
  const std::vector<Row> before = Rows();
  ui::WhenIdle([&](HWND modal) {
    Select(modal, 2);
    ui::AnswerNextMessageBox(IDOK);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfChapterDelete), 1);
    EXPECT_EQ(FdGetChapterCount(ctx), 2);
    EXPECT_EQ(Selected(modal), 1);
    Select(modal, 0);
    ui::AnswerNextMessageBox(IDCANCEL);
    FmRunBuiltInFunc(ctx, kBfChapterDelete);
    EXPECT_EQ(FdGetChapterCount(ctx), 2);
    ui::AnswerNextMessageBox(IDOK);
    FmRunBuiltInFunc(ctx, kBfChapterDelete);
    EXPECT_EQ(Rows(), (std::vector<Row>{{2, kTrayA, 0, 1, u""}}));
    EXPECT_EQ(Selected(modal), 0);
    TypeAndAdd(modal, u"7");
    ui::AnswerNextMessageBox(IDOK);
    FmRunBuiltInFunc(ctx, kBfChapterDeleteAll);
    EXPECT_TRUE(Rows().empty());
    ui::Click(ui::FindControl(modal, IDCANCEL));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgChapter, nullptr), IDCANCEL);
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(OptGetValue(ctx, kOptChapterTrayNum, nullptr), 1);
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_NE(boxes[0].text.find(String(kMsgDeleteChapter)), std::u16string::npos);
  EXPECT_EQ(boxes[0].type & 0xF0u, 0u);  // the questions carry no icon
  EXPECT_NE(boxes[3].text.find(String(kMsgDeleteAllChapters)), std::u16string::npos);
}

// The delete button is greyed while the selected row of the list is empty.
TEST_F(ChapterDialog, DeleteIsGreyedOnAnEmptyRow) {
  Choose(0, kTrayA, 1);
  ASSERT_EQ(Add(u"4"), 0);
  ui::WhenIdle([&](HWND modal) {
    DialogDescriptor* dialog = OptFindDialog(ctx, kDlgChapter);
    ControlDescriptor* button = OptFindControl(ctx, dialog, kCtlChapterDelete);
    ASSERT_NE(button, nullptr);
    Select(modal, 0);
    EXPECT_EQ(UiQueryControlGrey(ctx, dialog, button), 0);
    Select(modal, 5);
    EXPECT_EQ(UiQueryControlGrey(ctx, dialog, button), 1);
    Select(modal, 0);
    EXPECT_EQ(UiQueryControlGrey(ctx, dialog, button), 0);
    ui::Click(ui::FindControl(modal, IDOK));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgChapter, nullptr), IDOK);
}

// The dialog's buttons as a person presses them: the list typed into the page edit is added by
// Add, the selected entry goes by Delete and the rest by Delete All, each question answered;
// a bad list is refused with its message.
TEST_F(ChapterDialog, TheButtonsAddAndDeleteAsTyped) {
  Choose(0, kTrayA, 1);
  struct Step {
    const char* name;
    std::function<void(HWND)> action;
    std::vector<int> pages;
  };
  const std::vector<Step> steps = {
      {"add a list",
       [](HWND modal) {
         ui::Type(ui::FindControl(modal, kCtlChapterPage), u"5,1-2");
         ui::Click(ui::FindControl(modal, kCtlChapterAdd));
       },
       {1, 2, 5}},
      {"add a refused list",
       [](HWND modal) {
         SetWindowTextW(ui::FindControl(modal, kCtlChapterPage), u"");
         ui::Type(ui::FindControl(modal, kCtlChapterPage), u"7-");
         ui::AnswerNextMessageBox(IDOK);
         ui::Click(ui::FindControl(modal, kCtlChapterAdd));
       },
       {1, 2, 5}},
      {"delete the selected entry",
       [this](HWND modal) {
         Select(modal, 1);
         ui::AnswerNextMessageBox(IDOK);
         ui::Click(ui::FindControl(modal, kCtlChapterDelete));
       },
       {1, 5}},
      {"delete all, cancelled",
       [](HWND modal) {
         ui::AnswerNextMessageBox(IDCANCEL);
         ui::Click(ui::FindControl(modal, kCtlChapterDeleteAll));
       },
       {1, 5}},
      {"delete all",
       [](HWND modal) {
         ui::AnswerNextMessageBox(IDOK);
         ui::Click(ui::FindControl(modal, kCtlChapterDeleteAll));
       },
       {}},
  };
  ui::WhenIdle([&](HWND modal) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.name);
      step.action(modal);
      std::vector<int> pages;
      for (const Row& row : Rows()) pages.push_back(row.page);
      EXPECT_EQ(pages, step.pages);
    }
    ui::Click(ui::FindControl(modal, IDOK));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgChapter, nullptr), IDOK);
  ASSERT_EQ(ui::MessageBoxes().size(), 4u);
  EXPECT_NE(ui::MessageBoxes()[0].text.find(String(kMsgBadPageList)), std::u16string::npos);
}

}  // namespace
