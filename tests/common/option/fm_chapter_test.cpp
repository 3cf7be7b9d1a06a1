// The chapter module without its dialogs: the chapter list in the work area and its keys in
// the settings INI, the tray codes, the hooks it answers on the bus, its undo copy and the
// media-type copies; and the device-font choice of the font-substitution module.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "context_services.h"
#include "device_codes.h"
#include "devmode_fields.h"
#include "fm_dialog_fixture.h"
#include "fm_modules_5_8.h"

namespace {

using zolt::test::FmDialogTest;

class Chapters : public FmDialogTest {
 protected:
  void Limits(int max, int num) {
    Set(kOptChapterMax, max);
    Set(kOptChapterNum, num);
  }
  // Entry index in the language section of a file.
  void WriteEntry(const char16_t* file, int index, int page, int tray, int kind, int print,
                  const std::u16string& range) {
    const std::u16string n = std::u16string(u"") + static_cast<char16_t>(u'1' + index);
    auto put = [&](const char16_t* stem, const std::u16string& value) {
      ASSERT_TRUE(WritePrivateProfileStringW(lang.c_str(), (std::u16string(stem) + n).c_str(), value.c_str(), file));
    };
    put(u"wdmChapterPage", std::u16string(1, static_cast<char16_t>(u'0' + page)));
    put(u"wdmChapterTray", std::u16string(1, static_cast<char16_t>(u'0' + tray)));
    put(u"wdmChapterKind", std::u16string(1, static_cast<char16_t>(u'0' + kind)));
    put(u"wdmChapterPrint", std::u16string(1, static_cast<char16_t>(u'0' + print)));
    put(u"wdmChapterPageRange", range);
  }
  // The printer section, or nothing while it cannot be named.
  std::u16string PrinterSection() {
    const WCHAR* section = CfgPrinterSection(ctx);
    return section ? section : u"";
  }
};

TEST_F(Chapters, KeyNamesNumberEntriesFromOne) {
  struct Case {
    int index, kind;
    const char16_t* key;
  };
  const Case cases[] = {{0, 1, u"wdmChapterPage1"},      {4, 2, u"wdmChapterTray5"},
                        {9, 3, u"wdmChapterKind10"},     {1, 4, u"wdmChapterPrint2"},
                        {1, 99, u"wdmChapterPrint2"},    {0, 5, u"wdmChapterPageRange1"},
                        {1017, 5, u"wdmChapterPageRange1018"}};
  for (const Case& c : cases) {
    WCHAR key[kChapterKeyChars];
    EXPECT_EQ(std::u16string(FmChapterKeyName(ctx, key, c.index, c.kind)), c.key) << c.index << " " << c.kind;
  }
}

TEST_F(Chapters, EntriesExistBelowTheCountOnly) {
  Limits(4, 0);
  EXPECT_EQ(FmGetChapterEntry(ctx, 0), nullptr);
  Set(kOptChapterNum, 2);
  ChapterEntry* first = FmGetChapterEntry(ctx, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FmGetChapterEntry(ctx, 1), first + 1);
  EXPECT_EQ(FmGetChapterEntry(ctx, 2), nullptr);
  EXPECT_EQ(FmGetChapterEntry(ctx, -1), nullptr);
  EXPECT_EQ(first->page, 0);
  EXPECT_EQ(first->pageRange[0], 0);
}

TEST_F(Chapters, TheListGrowsWhenTheLimitsRiseAndKeepsItsEntries) {
  Limits(2, 1);
  FmGetChapterEntry(ctx, 0)->page = 5;
  Limits(40, 30);
  ChapterEntry* last = FmGetChapterEntry(ctx, 29);
  ASSERT_NE(last, nullptr);
  last->page = 9;  // the sanitizer reports a write past a list that did not grow
  EXPECT_EQ(FmGetChapterEntry(ctx, 0)->page, 5);
  EXPECT_GE(ctx->workArea->chapterAllocCount, 41);
}

TEST_F(Chapters, LoadReadsTheCountedEntriesAndEmptiesTheRest) {
  Limits(4, 2);
  WriteEntry(kIni, 0, 3, 1, 2, 1, u"1-3");
  WriteEntry(kIni, 1, 7, 4, 0, 0, u"1234567890123456789");  // longer than an entry holds
  WriteEntry(kIni, 2, 9, 9, 9, 9, u"x");                     // beyond the count
  Set(kOptChapterNum, 4);
  FmGetChapterEntry(ctx, 3)->page = 8;
  Set(kOptChapterNum, 2);

  EXPECT_EQ(FmLoadChapterList(ctx, nullptr, kChapterReadLanguageSection), 2);
  const ChapterEntry* list = ctx->workArea->chapterList;
  EXPECT_EQ(list[0].page, 3);
  EXPECT_EQ(list[0].tray, 1);
  EXPECT_EQ(list[0].kind, 2);
  EXPECT_EQ(list[0].print, 1);
  EXPECT_EQ(std::u16string(list[0].pageRange), u"1-3");
  EXPECT_EQ(list[1].page, 7);
  EXPECT_EQ(std::u16string(list[1].pageRange), u"123456789012345");
  for (int i : {2, 3}) {
    EXPECT_EQ(list[i].page, 0) << i;
    EXPECT_EQ(list[i].pageRange[0], 0) << i;
  }

  // With no entry nothing is read and the list stays as it was.
  Set(kOptChapterNum, 0);
  EXPECT_EQ(FmLoadChapterList(ctx, nullptr, kChapterReadLanguageSection), 0);
  EXPECT_EQ(list[0].page, 3);
}

TEST_F(Chapters, SaveStopsAtTheFirstEntryWithoutAPage) {
  // A tables-only context has no printer to take the name from: the section is named here.
  const std::u16string name = u"ZOLT Office 7000";
  std::copy(name.begin(), name.end(), ctx->workArea->qualifiedPrinterName);
  ASSERT_EQ(PrinterSection(), name);
  Limits(5, 4);
  const int pages[] = {3, 7, 0, 9};
  for (int i = 0; i < 4; ++i) {
    ChapterEntry* e = FmGetChapterEntry(ctx, i);
    e->page = static_cast<int16_t>(pages[i]);
    e->tray = -2;
    e->pageRange[0] = u'a';
  }
  EXPECT_EQ(FmSaveChapterList(ctx, nullptr), 0);
  EXPECT_EQ(Get(kOptChapterNum), 2);
  const std::u16string section = PrinterSection();
  EXPECT_EQ(Read(section, u"wdmChapterPage2"), u"7");
  EXPECT_EQ(Read(section, u"wdmChapterPage3"), u"0");
  EXPECT_EQ(Read(section, u"wdmChapterTray1"), u"-2");
  EXPECT_EQ(Read(section, u"wdmChapterPageRange3"), u"a");
  EXPECT_EQ(Read(section, u"wdmChapterPage4"), u"<none>");
}

TEST_F(Chapters, TrayCodesComeFromTheFirstRowWithTheName) {
  struct Case {
    WORD id;
    DWORD code;
  };
  const Case cases[] = {{2, 0},       {3, 1},   {13624, 1}, {6, 3},     {13626, 3}, {169, 25}, {13113, 25},
                        {618, 27},    {8, 28},  {823, 29},  {866, 4},   {13114, 13}, {13255, 15}, {13263, 19},
                        {13552, 299}, {9999, 0}, {0, 0}};
  for (const Case& c : cases) EXPECT_EQ(FmTrayCodeFromItemId(c.id), c.code) << c.id;
}

TEST_F(Chapters, DefaultTrayQuestionsAndSettings) {
  struct Query {
    DWORD attributes, slot, answer;
  };
  const Query queries[] = {{0x20, 1, 1}, {0x20, 2, 0}, {0x40, 2, 1}, {0x80, 3, 1}, {0x80, 1, 0},
                           {0x40, 0, 1}, {0x1F, 0, 0}, {0xE0, 4, 0}};
  for (const Query& q : queries) {
    FmChapterTrayQuery param{q.attributes, q.slot, 7};
    EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyChapterTrayQuery, &param), 1);
    EXPECT_EQ(param.answer, q.answer) << q.attributes << " " << q.slot;
  }

  // The first slot bit decides; the function bits gain that slot's bit.
  for (WORD id = kOptChapterDefTray1; id <= kOptChapterDefTray1 + 2; ++id) Set(id, 5);
  BYTE bits = 1;
  FmChapterTraySet set{0xC0, 261, &bits};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyChapterTraySet, &set), 1);
  EXPECT_EQ(Get(kOptChapterDefTray1), 5);
  EXPECT_EQ(Get(kOptChapterDefTray1 + 1), 261);
  EXPECT_EQ(Get(kOptChapterDefTray1 + 2), 5);
  EXPECT_EQ(bits, 1 | 8);
  FmChapterTraySet none{0x1F, 3, &bits};
  FmBroadcastNotify(ctx, kFmNotifyChapterTraySet, &none);
  EXPECT_EQ(bits, 1 | 8);

  // A reset gives all three the fallback tray.
  FmBroadcastNotify(ctx, kFmNotifyChapterTraysReset, nullptr);
  for (WORD id = kOptChapterDefTray1; id <= kOptChapterDefTray1 + 2; ++id) EXPECT_EQ(Get(id), BidiTrayCodeToBin(3));
}

TEST_F(Chapters, PassRowsAndTransferRows) {
  for (WORD id : {WORD{1019}, WORD{1026}, WORD{1032}, WORD{1018}, WORD{1033}, WORD{12}}) {
    FmRowPassParam offer{2, OptFind(ctx, id), 0};
    EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyLoadRow, &offer), 1);
    EXPECT_EQ(offer.answer, FmIsChapterOption(id) ? 0u : 1u) << id;
    FmRowTransferParam transfer{OptFind(ctx, id), 0};
    FmBroadcastNotify(ctx, kFmNotifyTransferRow, &transfer);
    EXPECT_EQ(transfer.answer, id == 1033 ? 1u : 0u) << id;
  }
  EXPECT_EQ(FmIsChapterOption(1019) + FmIsChapterOption(1032), 2);
  EXPECT_EQ(FmIsNotDesignTrayOption(1041), 0);
  EXPECT_EQ(FmIsNotDesignTrayOption(1042), 1);
}

TEST_F(Chapters, ASettingsFileTransferLoadsTheListFromTheGivenFile) {
  const char16_t* other = u"C:\\OTHER.ini";
  Limits(3, 1);
  WriteEntry(other, 0, 6, 2, 1, 1, u"4-");
  FmTransferEndParam end{0x8 | 0x1, other};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyTransferEnd, &end), 0);
  EXPECT_EQ(FmGetChapterEntry(ctx, 0)->page, 6);
  EXPECT_EQ(std::u16string(FmGetChapterEntry(ctx, 0)->pageRange), u"4-");
  // Flags that ask for neither leave the list alone.
  FmGetChapterEntry(ctx, 0)->page = 1;
  end.flags = 0x8;
  FmBroadcastNotify(ctx, kFmNotifyTransferEnd, &end);
  EXPECT_EQ(FmGetChapterEntry(ctx, 0)->page, 1);
}

TEST_F(Chapters, TheSetUpRunsOncePerContext) {
  int32_t result = 1;
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyEnsureSetup, &result), 1);
  EXPECT_EQ(ctx->workArea->chapterSetupDone, 1u);
  result = 7;
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyEnsureSetup, &result), 1);
  EXPECT_EQ(result, 1);
}

TEST_F(Chapters, UndoLevelsRestoreTheList) {
  Limits(3, 2);
  FmGetChapterEntry(ctx, 0)->page = 4;
  FmBroadcastNotify(ctx, kFmNotifySnapshotPushed, nullptr);
  FmGetChapterEntry(ctx, 0)->page = 8;
  // The list grows meanwhile; what it gained was empty when the level was pushed.
  Limits(10, 9);
  FmGetChapterEntry(ctx, 8)->page = 2;
  FmBroadcastNotify(ctx, kFmNotifySnapshotPopped, nullptr);
  EXPECT_EQ(FmGetChapterEntry(ctx, 0)->page, 4);
  EXPECT_EQ(FmGetChapterEntry(ctx, 8)->page, 0);
  // A second push reuses or replaces the copy; detach frees it (the sanitizer checks).
  FmBroadcastNotify(ctx, kFmNotifySnapshotPushed, nullptr);
}

TEST_F(Chapters, MediaTypeCopiesReachTheOtherInsertSheets) {
  const WORD types[] = {406, 407, 408, 409, 411};
  const WORD codes[] = {303, 304, 305, 306, 307};
  for (int k = 0; k < 5; ++k) {
    for (WORD id : types) Set(id, 1);
    Set(410, 77);
    Set(types[k], -3);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, codes[k]), 1);
    for (WORD id : types) EXPECT_EQ(static_cast<int16_t>(Get(id)), -3) << codes[k] << " " << id;
    EXPECT_EQ(Get(410), 77);
  }
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 300), 0);
}

TEST_F(Chapters, TheDeviceFontChoiceIsOfferedOutsideApplicationSettings) {
  struct Case {
    BYTE callSrc;
    WORD dialogId, controlId;
    int answer;
    uint16_t state;
    DWORD claimed;
  };
  const Case cases[] = {{0, 1000, kCtlTtfChoiceDeviceFont, 1, 0x4 | 0x3, 1},
                        {1, kDlgUserTtf, kCtlTtfChoiceDeviceFont, 1, 0x4 | 0x3, 1},
                        {1, 1000, kCtlTtfChoiceDeviceFont, 1, 0xC | 0x3, 0},
                        {0, kDlgUserTtf, 2385, 0, 0xC | 0x3, 0}};
  for (const Case& c : cases) {
    CtxSetCallSrc(ctx, c.callSrc);
    ControlDescriptor control{};
    control.controlId = c.controlId;
    control.state = 0xC | 0x3;
    DialogDescriptor dialog{};
    dialog.dialogId = c.dialogId;
    FmControlStateQuery query{&control, &dialog, 0};
    EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyControlState, &query), c.answer) << int{c.callSrc} << " " << c.dialogId;
    EXPECT_EQ(control.state, c.state);
    EXPECT_EQ(query.claimed, c.claimed);
  }
}

}  // namespace
