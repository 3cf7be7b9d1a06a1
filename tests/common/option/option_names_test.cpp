// The shared symbol tables: symbol names, value names and help topics.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "dialog_table.h"
#include "option_table.h"

namespace {

std::string Narrow(const WCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out.push_back(*s < 0x80 ? static_cast<char>(*s) : '?');
  return out;
}

TEST(NameTable, EveryNameIndexOnceAndEveryNameUnique) {
  ASSERT_EQ(kNameTable.count, kSharedSymbolCount + kOwnSymbolCount);
  std::set<uint16_t> indexes;
  std::set<std::string_view> names;
  for (int i = 0; i < kNameTable.count; ++i) {
    const NameEntry& e = kNameTable.rows[i];
    ASSERT_NE(e.name, nullptr) << i;
    EXPECT_TRUE(indexes.insert(e.nameIndex).second) << "index " << e.nameIndex << " twice";
    EXPECT_TRUE(names.insert(e.name).second) << e.name << " twice";
  }
  EXPECT_EQ(*indexes.begin(), 1);
  EXPECT_EQ(*indexes.rbegin(), kSharedSymbolCount + kOwnSymbolCount);
  EXPECT_EQ(indexes.size(), static_cast<size_t>(kSharedSymbolCount + kOwnSymbolCount));
}

TEST(NameTable, ButtonRowsCloseTheTable) {
  const char* const buttons[] = {"IDOKBUTTON",     "IDCANCELBUTTON", "IDABORTBUTTON",
                                 "IDRETRYBUTTON",  "IDIGNOREBUTTON", "IDYESBUTTON",
                                 "IDNOBUTTON",     "IDCLOSEBUTTON",  "IDHELPBUTTON"};
  for (int i = 0; i < 9; ++i) {
    const NameEntry& e = kNameTable.rows[kSharedSymbolCount - 9 + i];
    EXPECT_STREQ(e.name, buttons[i]);
    EXPECT_EQ(e.nameIndex, i + 1);
    EXPECT_EQ(e.optionId, 0);
  }
  // Every other symbol carries the prefix.
  for (int i = 0; i < kNameTable.count; ++i)
    if (i < kSharedSymbolCount - 9 || i >= kSharedSymbolCount) {
      EXPECT_EQ(std::strncmp(kNameTable.rows[i].name, "ZPD_", 4), 0) << kNameTable.rows[i].name;
    }
}

// Our own symbols follow the shared table: "ZPD_" + the field name of an option that the model
// can describe, numbered on from 1899 in option order, each carried by its option's row.
TEST(NameTable, OwnSymbolsNameTheirOptionsByFieldName) {
  uint16_t previousOption = 0;
  for (int i = kSharedSymbolCount; i < kNameTable.count; ++i) {
    const NameEntry& e = kNameTable.rows[i];
    EXPECT_EQ(e.nameIndex, i + 1) << e.name;
    EXPECT_GT(e.optionId, previousOption) << e.name;
    previousOption = e.optionId;
    const OptionDescriptor* row = nullptr;
    for (int r = 0; r < kOptionRowCount && !row; ++r)
      if (kOptionRows[r].id == e.optionId) row = &kOptionRows[r];
    ASSERT_NE(row, nullptr) << e.name;
    EXPECT_EQ(row->nameIndex, e.nameIndex) << e.name;
    ASSERT_NE(row->fieldName, nullptr) << e.name;
    EXPECT_EQ("ZPD_" + Narrow(row->fieldName), e.name);
  }
  // The numbered run of hidden functions: 10-31 follow their field names, so 00-09 name 351-360.
  EXPECT_EQ(OptFindSymbolByName("ZPD_HiddenFunc00")->optionId, 351);
  EXPECT_EQ(OptFindSymbolByName("ZPD_HiddenFunc09")->optionId, 360);
  EXPECT_EQ(OptFindSymbolByName("ZPD_HiddenFunc10")->optionId, 361);
  const NameEntry* scale = OptFindSymbolByName("ZPD_zdmFuncSelectScale");
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->optionId, 55);
  EXPECT_EQ(scale->nameIndex, 1907);
}

TEST(NameTable, DialogSymbolsHoldTheDialogRange) {
  // The dialogs are numbered 304-392 in dialog-table order; everything else flows around them.
  const std::pair<const char*, uint16_t> dialogs[] = {
      {"ZPD_IDD_PRESET", 304}, {"ZPD_IDD_BASIC", 305}, {"ZPD_IDD_EDIT", 306},
      {"ZPD_IDD_OTHERS", 323}, {"ZPD_FILEOPEN", 367},  {"ZPD_IDD_DIALOG_ILLEGALCOPY_PROTECT", 392},
  };
  for (auto [name, index] : dialogs) {
    const NameEntry* e = OptFindSymbolByName(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(e->nameIndex, index) << name;
    EXPECT_EQ(e->optionId, 0) << name;
  }
  int dialogCount = 0;
  for (int i = 0; i < kNameTable.count; ++i)
    if (kNameTable.rows[i].nameIndex >= 304 && kNameTable.rows[i].nameIndex <= 392) ++dialogCount;
  EXPECT_EQ(dialogCount, 89);
  // The first control after the first dialog comes after the dialog range.
  EXPECT_EQ(OptFindSymbolByName("ZPD_IDC_PRESET_ICONLIST")->nameIndex, 393);
}

TEST(NameTable, SymbolsResolveByNameAndByIndex) {
  struct Case {
    const char* name;
    uint16_t index;
    uint16_t option;
  };
  const Case cases[] = {
      {"ZPD_zdmTesmarin", 10, 727},        // first row
      {"ZPD_zdmCallSrc", 12, 729},         //
      {"ZPD_zdmBidiFunc", 28, 745},        // last of the environment bytes
      {"ZPD_ConvertDevmode", 29, 0},       // item key without option
      {"ZPD_ConditionOption", 30, 0},      //
      {"ZPD_Tray1PaperSize", 49, 10175},   //
      {"ZPD_MultiSlipMediaType", 85, 10235},
      {"ZPD_BuiltInFunc", 130, 1050},      //
      {"ZPD_PrintPaperOrient", 101, 842},  // computed item named only by its symbol
      {"ZPD_ScaleIllegalMessage", 268, 0},  // messages 268-303
      {"ZPD_PrintSizeIllegal2Message", 303, 0},
      {"ZPD_IDC_PRESET_CHOICE_PAPERSIZE", 406, 8},  // a control bound to its option
      {"ZPD_RADIOLIST_1", 412, 7},
      {"ZPD_IDC_ILLEGALCOPY_PROTECT_BUTTON_DEFAULT", 1898, 0},  // last numbered symbol
  };
  for (const Case& c : cases) {
    const NameEntry* byName = OptFindSymbolByName(c.name);
    ASSERT_NE(byName, nullptr) << c.name;
    EXPECT_EQ(byName->nameIndex, c.index) << c.name;
    EXPECT_EQ(byName->optionId, c.option) << c.name;
    EXPECT_EQ(OptFindSymbol(c.index), byName) << c.name;
  }
  EXPECT_EQ(OptFindSymbol(0), nullptr);
  EXPECT_EQ(OptFindSymbol(kSharedSymbolCount + kOwnSymbolCount + 1), nullptr);
  EXPECT_EQ(OptFindSymbolByName("zpd_zdmCallSrc"), nullptr);  // case-sensitive
  EXPECT_EQ(OptFindSymbolByName("ZPD_zdmCallSr"), nullptr);
  EXPECT_EQ(OptFindSymbolByName(nullptr), nullptr);
}

TEST(NameTable, OptionIdsAgreeWithTheValueNameGroups) {
  // A value-name group that belongs to an option names the option's (or its control's) symbol.
  int withOption = 0;
  for (int i = 0; i < kSharedSymbolCount; ++i) withOption += kNameTable.rows[i].optionId != 0;
  EXPECT_GT(withOption, 0);
  EXPECT_LE(withOption, 539);
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) {
      const ValueNameEntry& v = t->rows[i];
      const NameEntry* owner = OptFindSymbol(v.nameIndex);
      ASSERT_NE(owner, nullptr) << v.name;
      if (v.optionId != 0) {
        EXPECT_EQ(owner->optionId, v.optionId) << v.name << " in " << owner->name;
      }
    }
}

TEST(NameTable, OptionRowsAndSymbolsNameEachOther) {
  // An option row that carries a name index is named by that symbol, and the symbol says so.
  for (int i = 0; i < kOptionRowCount; ++i) {
    const OptionDescriptor& row = kOptionRows[i];
    if (row.nameIndex == 0 || row.nameIndex == kNameIndexUnfixed) continue;
    const NameEntry* e = OptFindSymbol(row.nameIndex);
    ASSERT_NE(e, nullptr) << row.id;
    EXPECT_EQ(e->optionId, row.id) << e->name;
  }
  struct Case {
    const char* name;
    uint16_t option;
  };
  for (Case c : {Case{"ZPD_DeviceName", 1}, Case{"ZPD_SrcXOffset", 44}, Case{"ZPD_HiddenFunc16", 367},
                 Case{"ZPD_DriverID", 686}, Case{"ZPD_WmColorB", 973}})
    EXPECT_EQ(OptFindSymbolByName(c.name)->optionId, c.option) << c.name;
}

TEST(ValueNameTable, CountsKindsAndGroups) {
  ASSERT_EQ(kValueNameTable1.count, 2992);
  ASSERT_EQ(kValueNameTable2.count, 680);  // with the 11 own names of the installable-option items
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) {
      const ValueNameEntry& v = t->rows[i];
      ASSERT_NE(v.name, nullptr);
      EXPECT_EQ(v.kind, v.optionId != 0 ? 1u : 0u) << v.name;
    }
  // The built-in function codes: 70 named codes, then 1996 option codes from 10000.
  int builtIn = 0;
  for (int i = 0; i < kValueNameTable1.count; ++i) builtIn += kValueNameTable1.rows[i].optionId == 1050;
  EXPECT_EQ(builtIn, 70 + 1996);
}

TEST(ValueNameTable, LookupsByNameAndByValue) {
  struct Case {
    const char* name;
    uint16_t option;
    uint16_t nameIndex;
    uint32_t value;
  };
  const Case cases[] = {
      {"BUILT_IN_FUNC_RATE", 1050, 130, 1},
      {"BUILT_IN_FUNC_PRINT_FREESIZEX", 1050, 130, 4},
      {"BUILT_IN_FUNC_RESET", 1050, 130, 100},
      {"BUILT_IN_FUNC_CMM_GET_DATA", 1050, 130, 124},
      {"BUILT_IN_FUNC_FREE_REGIST", 1050, 130, 205},
      {"BUILT_IN_FUNC_VERSION", 1050, 130, 250},
      {"BUILT_IN_FUNC_STAMPID_4", 1050, 130, 317},
      {"BUILT_IN_FUNC_CORRECT_CUTPOSADJUST", 1050, 130, 331},
      {"BUILT_IN_FUNC_COPYCOPIESTOSEPSHEETCYCLECOPIES", 1050, 130, 901},
      {"BF_zdmMachineID", 1050, 130, 10000},
      {"BF_zdmPresetNo", 1050, 130, 10002},
  };
  for (const Case& c : cases) {
    const ValueNameEntry* v = OptFindValueSymbolByName(c.name);
    ASSERT_NE(v, nullptr) << c.name;
    EXPECT_EQ(v->optionId, c.option) << c.name;
    EXPECT_EQ(v->nameIndex, c.nameIndex) << c.name;
    EXPECT_EQ(v->value, c.value) << c.name;
    EXPECT_EQ(v->kind, 1u) << c.name;
    EXPECT_EQ(OptFindValueSymbol(c.option, static_cast<uint16_t>(c.value)), v) << c.name;
  }
  // The last option code is 11995.
  const ValueNameEntry* last = OptFindValueSymbol(1050, 11995);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(std::strncmp(last->name, "BF_", 3), 0);
  EXPECT_EQ(OptFindValueSymbol(1050, 11996), nullptr);
  EXPECT_EQ(OptFindValueSymbol(1050, 5), nullptr);
  EXPECT_EQ(OptFindValueSymbolByName("built_in_func_reset"), nullptr);
  EXPECT_EQ(OptFindValueSymbolByName(nullptr), nullptr);
}

TEST(ValueNameTable, ResourceSymbolsAndOptionValuesResolveByName) {
  struct Case {
    const char* name;
    uint16_t option;
    uint16_t nameIndex;
  };
  const Case cases[] = {
      {"ZDMCALLSRC_APPL", 729, 12},          {"ZDMTESMARIN_MI4PASS", 727, 10},
      {"Opt_Step1", 0, 30},                  {"IDS_PAPERSIZE_A3", 10175, 49},  // first group wins
      {"IDB_E_PORT", 0, 413},                {"DMORIENT_PORTRAIT", 947, 146},
      {"IDC_PRESET_RADIO_PORTRAIT", 7, 412}, {"IDC_ROTATION_RADIO_EMULATION", 604, 1841},
  };
  for (const Case& c : cases) {
    const ValueNameEntry* v = OptFindValueSymbolByName(c.name);
    ASSERT_NE(v, nullptr) << c.name;
    EXPECT_EQ(v->optionId, c.option) << c.name;
    EXPECT_EQ(v->nameIndex, c.nameIndex) << c.name;
  }
}

TEST(ValueNameTable, TableOneIsSearchedBeforeTableTwo) {
  // "IDS_PRESET_KEY4" is in both tables: the preset list of table 1 answers.
  const ValueNameEntry* v = OptFindValueSymbolByName("IDS_PRESET_KEY4");
  ASSERT_NE(v, nullptr);
  EXPECT_GE(v, kValueNameTable1.rows);
  EXPECT_LT(v, kValueNameTable1.rows + kValueNameTable1.count);
  EXPECT_EQ(v->optionId, 37);
  bool inTable2 = false;
  for (int i = 0; i < kValueNameTable2.count; ++i)
    inTable2 |= std::strcmp(kValueNameTable2.rows[i].name, "IDS_PRESET_KEY4") == 0;
  EXPECT_TRUE(inTable2);
  // A name only table 2 knows is found there.
  int onlyInTable2 = -1;
  for (int i = 0; i < kValueNameTable2.count && onlyInTable2 < 0; ++i) {
    bool inTable1 = false;
    for (int j = 0; j < kValueNameTable1.count && !inTable1; ++j)
      inTable1 = std::strcmp(kValueNameTable1.rows[j].name, kValueNameTable2.rows[i].name) == 0;
    if (!inTable1) onlyInTable2 = i;
  }
  ASSERT_GE(onlyInTable2, 0);
  EXPECT_EQ(OptFindValueSymbolByName(kValueNameTable2.rows[onlyInTable2].name), &kValueNameTable2.rows[onlyInTable2]);
}

TEST(ValueNameTable, EveryRowCarriesItsNumber) {
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) EXPECT_NE(t->rows[i].value, kValueNameUnfixed) << t->rows[i].name;
  // The pass-through word has no texts: its names number its stored values in table order.
  const ValueNameEntry* v = OptFindValueSymbolByName("ZDMTESMARIN_OFF");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->value, 0u);
  EXPECT_STREQ(OptFindValueSymbol(727, 11)->name, "ZDMTESMARIN_MI4PASS");
  EXPECT_EQ(OptFindValueSymbol(727, 12), nullptr);
}

TEST(ValueNameTable, EveryValueFindsTheFirstRowOfItsOptionAndValue) {
  // By value, the answer is the first row in table order (table 1, then table 2) of that option
  // whose value has those low 16 bits; a value the tables repeat answers its first row.
  std::map<std::pair<uint16_t, uint16_t>, const ValueNameEntry*> first;
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i)
      if (t->rows[i].value != kValueNameUnfixed)
        first.try_emplace({t->rows[i].optionId, static_cast<uint16_t>(t->rows[i].value)}, &t->rows[i]);
  ASSERT_FALSE(first.empty());
  for (const auto& [key, row] : first) ASSERT_EQ(OptFindValueSymbol(key.first, key.second), row) << row->name;
}

TEST(HelpTopics, WellFormedSortedAndCountedByFamily) {
  const HelpTopicEntry* t = OptGetHelpTopicTable();
  ASSERT_NE(t, nullptr);
  std::map<std::string, int> families;
  int n = 0, anchored = 0;
  uint32_t previous = 0;
  for (; t[n].helpId != 0; ++n) {
    ASSERT_LT(n, kHelpTopicCount) << "table does not end";
    std::string topic = Narrow(t[n].topic);
    EXPECT_GE(t[n].helpId, previous) << topic;
    previous = t[n].helpId;
    size_t slash = topic.find('/');
    ASSERT_NE(slash, std::string::npos) << topic;
    std::string family = topic.substr(0, slash);
    std::string page = topic.substr(slash + 1);
    const size_t anchor = page.find('#');
    if (anchor != std::string::npos) {
      EXPECT_GT(page.size(), anchor + 1) << topic;
      page.resize(anchor);
      ++anchored;
    } else {
      ++families[family];
    }
    EXPECT_TRUE(family.size() > 4 && family.ends_with("_rtf")) << topic;
    EXPECT_TRUE(page.starts_with("IDH_") && page.ends_with(".htm") && page.size() > 8) << topic;
  }
  EXPECT_EQ(n, kHelpTopicCount);
  // Beside the help project's 685 rows, the controls' own ids anchored on their pages.
  EXPECT_EQ(anchored, kHelpTopicCount - 685);
  EXPECT_EQ(t[n].topic, nullptr);
  const std::map<std::string, int> expected = {
      {"zolt_rtf", 500},    {"zoltVelm_rtf", 47},    {"zoltEfx2_rtf", 39}, {"zoltdorn_rtf", 32},
      {"zoltColor_rtf", 28}, {"zoltTolvane_rtf", 20}, {"zoltKOI_rtf", 12},  {"zoltContext_rtf", 7},
  };
  EXPECT_EQ(families, expected);
}

// The topic of a help id in the help-topic table, "" when it has none.
std::string TopicOf(uint32_t id) {
  const HelpTopicEntry* t = OptGetHelpTopicTable();
  for (int i = 0; t[i].helpId; ++i)
    if (t[i].helpId == id) return Narrow(t[i].topic);
  return {};
}

TEST(HelpTopics, SpotChecks) {
  const HelpTopicEntry* t = OptGetHelpTopicTable();
  EXPECT_EQ(Narrow(t[0].topic), "zoltContext_rtf/IDH_KEY_COM_OK.htm");
  EXPECT_EQ(t[0].helpId, 101u);
  EXPECT_EQ(TopicOf(11401), "zolt_rtf/IDH_TAB_PRINTQUALITY.htm");
  EXPECT_EQ(TopicOf(10119), "zolt_rtf/IDH_TAB_PRESET.htm");  // end of a range
  EXPECT_EQ(TopicOf(10120), "");                              // just past it
  EXPECT_EQ(TopicOf(13409), "zoltColor_rtf/IDH_DLG_PRINTQUALITY_MATCH_qcm.htm");
  EXPECT_EQ(TopicOf(14120), "zoltTolvane_rtf/IDH_TAB_MASTER.htm");
  EXPECT_EQ(Narrow(t[kHelpTopicCount - 1].topic), "zolt_rtf/IDH_DLG_MARKING_REFRESH.htm");
  EXPECT_EQ(t[kHelpTopicCount - 1].helpId, 28005u);
}

// Every help id that a dialog names opens a page: 1008, 1034 and 1035 have pages of our own.
TEST(HelpTopics, EveryDialogHelpIdHasATopic) {
  for (int i = 0; i < kDialogTable.count; ++i) {
    const DialogDescriptor& d = kDialogTable.rows[i];
    if (d.helpId) {
      EXPECT_NE(TopicOf(d.helpId), "") << d.name << " help id " << d.helpId;
    }
  }
  EXPECT_EQ(TopicOf(23001), "zolt_rtf/IDH_DLG_PRESET_TOOLS_REMOTE.htm");
  EXPECT_EQ(TopicOf(23101), "zolt_rtf/IDH_DLG_PRESET_TOOLS_ADDRESS.htm");
  EXPECT_EQ(TopicOf(23301), "zolt_rtf/IDH_TAB_USERCODE.htm");
}

}  // namespace
