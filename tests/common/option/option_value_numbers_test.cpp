// The numbers of the value-name tables: the value (value id, stored value or resource id) and
// the second number (the stored value behind a value id) that each named value carries.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>

#include "machine_fixture.h"
#include "option_table.h"
#include "win32/windows.h"

namespace {

const OptionDescriptor* Row(uint16_t id) {
  for (int i = 0; i < kOptionRowCount; ++i)
    if (kOptionRows[i].id == id) return &kOptionRows[i];
  return nullptr;
}

// Options whose value names cover only some of their texted values: their groups have more
// names than texts (or names that the texts do not fit), and the names left over carry numbers
// of our own.
constexpr uint16_t kPartlyNamedOptions[] = {95, 110, 177, 178, 951};

bool PartlyNamed(uint16_t option) {
  for (uint16_t o : kPartlyNamedOptions)
    if (o == option) return true;
  return false;
}

bool HasFixedName(uint16_t option) {
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i)
      if (t->rows[i].optionId == option && t->rows[i].value != kValueNameUnfixed) return true;
  return false;
}

struct Case {
  uint16_t option;
  uint32_t value;  // as the lookup sees it
  const char* name;
  uint32_t second;
};

TEST(ValueNumbers, SpotChecksAcrossTheRules) {
  const Case cases[] = {
      // paper codes behind the paper texts
      {8, 40, "IDS_PAPERSIZE_A3", 8},
      {8, 47, "IDS_PAPERSIZE_B6", 88},
      {8, 50, "IDS_PAPERSIZE_HLT", 6},
      {8, 751, "IDS_FREESIZE_INPUT", 256},
      {46, 751, "IDS_FREESIZE_INPUT", 448},
      {46, 52, "IDS_PRINTSIZE_SAME", 1024},
      {46, 118, "IDS_FREESIZE10", 393},
      {10175, 204, "IDS_UNKNOWN", 0},
      {10203, 44, "IDS_PAPERSIZE_POSTCARD", 43},
      // orientation and colour codes
      {7, 2027, "IDC_PRESET_RADIO_LANDSCAPE", 2},
      {345, 2702, "IDC_FREE_RADIO_PORTRAIT", 1},
      {405, 2982, "IDC_PAPER_POS_RADIO_PORTRAIT", 0},
      {15, 38, "IDS_COLOR", 2},
      {15, 39, "IDS_MONO", 1},
      // tray names: value id fixed, stored value from the option's own list
      {13, 1, "IDS_SOURCE_AUTO", 7},
      {13, 5, "IDS_SOURCE_TRAY3", 2},
      {13, 13114, "IDS_OPTION_PFTRAY", 4},
      {125, 8, "IDS_SOURCE_MULTI", 4},
      {941, 3, "IDS_SOURCE_TRAY2", 3},
      // output bins, N-up kinds, scaling, binding
      {53, 13116, "IDS_OPTION_LDTRAY", 129},
      {53, 30, "IDS_OUTPUT_PRINTPOST2", 16},
      {977, 223, "IDS_EDIT_POSTER4", 32770},
      {977, 13101, "IDS_REPEAT_16", 113},
      {91, 203, "IDS_NUP_POSTER", 9},
      {91, 67, "IDS_NUP_16IN1", 4},
      {87, 61, "IDS_SCALE_PAPER", 2},
      {87, 62, "IDS_SCALE_ZOOM", 1},
      {978, 226, "IDS_EDIT_DUPLEX_LEFT", 3},
      {95, 551, "IDS_MARGIN_TOP", 1},
      {36, 2514, "IDC_INIT_RADIO_SHOWTYPE_PRESET", 1},
      {171, 2183, "IDC_UNIT_RADIO_INCH", 1},
      // stated numbers
      {37, 119, "IDS_PRESET_KEY1", 0},
      {179, 142, "IDS_QUALITY_KEY8", 39},
      {10012, 602, "IDS_OPTION_RAM32", 32},
      {38, 87, "IDS_RESOLUTION_1200", 1200},
      {446, 86, "IDS_RESOLUTION_600", 3},
      {448, 13108, "IDS_SPEED_5_FAST", 4},
      {10209, 1201, "IDS_STATUS_SPACE", 1},
      // options without texts: the stored value itself
      {14, 600, "DMRESO_600DPI", 0},
      {17, 0xFFFF, "DMRES_DRAFT", 0},
      {39, 2400, "ZDMRESO_2400DPI", 0},
      {947, 2, "DMORIENT_LANDSCAPE", 0},
      {729, 1, "ZDMCALLSRC_PROPERTY", 0},
      {730, 3, "ZDMOSKIND_98", 0},
      {744, 1, "ZDMADMIN_ON", 0},
      {169, 17, "ZDMLANG_TRADCHINESE", 0},
      {169, 21, "ZDMLANG_CATALAN", 0},
      {117, 2, "ZDMWATER_IMG", 0},
      {117, 128, "ZDMWATER_TRUSTYG", 0},
      {959, 1, "ZDMWUNIT_PAGE", 0},
      // colour table and colour-matching rule
      {970, 197, "IDS_STAMP_COLOR_MAGENTA", 5},
      // watermark drawing: position codes (tiles with 64), font styles and effects
      {962, 157, "IDS_STAMP_POS_CENTER", 0},
      {962, 160, "IDS_STAMP_POS_TR", 4},
      {962, 249, "IDS_STAMP_POS_TR_TILE", 68},
      {974, 186, "IDS_STAMP_FONTSTYLE_ITALIC", 2},
      {961, 190, "IDS_STAMP_EFFECT_CIRCLE", 2},
      {129, 2637, "IDC_USER_QUALITY_RADIO_PHOTO", 2},
      {128, 2633, "IDC_USER_QUALITY_RADIO_ALL", 0},
  };
  for (const Case& c : cases) {
    const ValueNameEntry* v = OptFindValueSymbol(c.option, static_cast<uint16_t>(c.value));
    ASSERT_NE(v, nullptr) << c.option << "/" << c.value;
    EXPECT_STREQ(v->name, c.name) << c.option << "/" << c.value;
    EXPECT_EQ(v->kind, 1u) << c.name;
    EXPECT_EQ(v->second, c.second) << c.name;
  }
  // A negative resolution code is kept in all 32 bits.
  const ValueNameEntry* draft = OptFindValueSymbol(14, 0xFFFF);
  ASSERT_NE(draft, nullptr);
  EXPECT_EQ(draft->value, 0xFFFFFFFFu);
  EXPECT_EQ(OptFindValueSymbol(14, 0xFFFC)->value, static_cast<uint32_t>(-4));  // DMRES_HIGH
}

// Names that no other evidence numbered: the lists give the open names of a group the open
// texted pairs in list order; a name takes its value id from the other lists; what is left has
// numbers of our own (the name's resource id, or a new id of its kind from 60000 up).
TEST(ValueNumbers, ListOrderStringIdsAndOwnNumbers) {
  const Case cases[] = {
      {180, 2284, "IDC_USER_TTF_RADIO_BEST", 1},      // list order: 1 -> 2284, 2 -> 2285, 3 -> 2286
      {180, 2285, "IDC_USER_TTF_RADIO_BITMAP", 2},
      {180, 2286, "IDC_USER_TTF_RADIO_TABLE", 3},
      {209, 53, "IDS_PRINTTYPE_NORMAL", 0},
      {209, 13360, "IDS_PRINTTYPE_SECURITY", 3},
      {209, 432, "IDS_PRINTTYPE_OVERLAY", 7},
      {54, 17, "IDS_MEDIATYPE_THICK", 265},           // the pairs the media codes leave open
      {53, 339, "IDS_OUTPUT_STANDARD", 2},
      {91, 13130, "IDS_NUP_REPEAT", 20},
      {137, 406, "IDS_DITHERING_AUTO", 513},
      {182, 92, "IDS_DITHERING_AUTO", 1},             // another option, another list
      {108, 701, "IDS_HF_POS_TR", 1},
      {110, 706, "IDS_HF_POS_BC", 6},                 // string id from the lists of 108 and 112
      {977, 207, "IDS_EDIT_NUP_2HLR", 1},
  };
  for (const Case& c : cases) {
    const ValueNameEntry* v = OptFindValueSymbol(c.option, static_cast<uint16_t>(c.value));
    ASSERT_NE(v, nullptr) << c.option << "/" << c.value;
    EXPECT_STREQ(v->name, c.name) << c.option << "/" << c.value;
    EXPECT_EQ(v->second, c.second) << c.name;
  }
  // Resource symbols carry the string id the option lists agree on.
  const ValueNameEntry* a3 = nullptr;
  for (int i = 0; i < kValueNameTable1.count && !a3; ++i)
    if (kValueNameTable1.rows[i].optionId == 0 && std::strcmp(kValueNameTable1.rows[i].name, "IDS_PAPERSIZE_A3") == 0)
      a3 = &kValueNameTable1.rows[i];
  ASSERT_NE(a3, nullptr);
  EXPECT_EQ(a3->value, 40u);
  // The bypass tray has no text in the source-tray list: it keeps its string id 8 there.
  EXPECT_STREQ(OptFindValueSymbol(13, 8)->name, "IDS_SOURCE_MULTI");
  // Names of our own: one id per name wherever it occurs, in the range of its kind.
  const ValueNameEntry* port = OptFindValueSymbolByName("IDB_E_PORT");
  ASSERT_NE(port, nullptr);
  EXPECT_GE(port->value, 63000u);
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) {
      const ValueNameEntry& e = t->rows[i];
      if (e.optionId == 0 && std::strcmp(e.name, "IDB_E_PORT") == 0) {
        EXPECT_EQ(e.value, port->value);
      }
      if (e.optionId == 0 && std::strncmp(e.name, "IDS_", 4) == 0) {
        EXPECT_LT(e.value, 0xFFFFu) << e.name;
      }
    }
  // The built-in function codes are unchanged.
  const ValueNameEntry* reset = OptFindValueSymbolByName("BUILT_IN_FUNC_RESET");
  ASSERT_NE(reset, nullptr);
  EXPECT_EQ(reset->value, 100u);
}

// For every option with value texts whose names carry numbers, each texted value is named, and
// the name's second number is the stored value of its pair.
TEST(ValueNumbers, EveryTextedValueOfANamedOptionResolves) {
  int checked = 0;
  for (int r = 0; r < kOptionRowCount; ++r) {
    const OptionDescriptor& row = kOptionRows[r];
    if (!row.valueTexts || !HasFixedName(row.id)) continue;
    SCOPED_TRACE(testing::Message() << "option " << row.id);
    ++checked;
    // Options 92 and 94 carry a landscape list after the first; neither is named.
    for (const ValueTextPair* p = row.valueTexts; p->valueId != 0; ++p) {
      if (p->valueId == kValueIdNoText) continue;
      const ValueNameEntry* v = OptFindValueSymbol(row.id, static_cast<uint16_t>(p->valueId));
      if (!v) {
        EXPECT_TRUE(PartlyNamed(row.id)) << "value " << p->value << " -> " << p->valueId << " has no name";
        continue;
      }
      EXPECT_EQ(v->value, p->valueId);
      EXPECT_EQ(static_cast<int32_t>(v->second), p->value) << v->name;
    }
  }
  EXPECT_GE(checked, 40);
  // The options that are named only in part really have unnamed texted values.
  for (uint16_t option : kPartlyNamedOptions) {
    const OptionDescriptor* row = Row(option);
    ASSERT_NE(row, nullptr);
    bool unnamed = false;
    for (const ValueTextPair* p = row->valueTexts; p->valueId != 0; ++p)
      if (p->valueId != kValueIdNoText && !OptFindValueSymbol(option, static_cast<uint16_t>(p->valueId)))
        unnamed = true;
    EXPECT_TRUE(unnamed) << option;
  }
}

// Within one group (consecutive rows of one option and name index) no two names share a number,
// and a filled row of an option with texts carries one of that option's value ids.
TEST(ValueNumbers, NoTwoNamesOfAGroupShareANumber) {
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2}) {
    int start = 0;
    while (start < t->count) {
      int end = start;
      while (end < t->count && t->rows[end].optionId == t->rows[start].optionId &&
             t->rows[end].nameIndex == t->rows[start].nameIndex)
        ++end;
      std::set<uint32_t> seen;
      for (int i = start; i < end; ++i) {
        const ValueNameEntry& e = t->rows[i];
        if (e.value == kValueNameUnfixed) continue;
        EXPECT_TRUE(seen.insert(e.value).second) << e.optionId << "/" << e.nameIndex << " " << e.name;
        const OptionDescriptor* row = e.optionId ? Row(e.optionId) : nullptr;
        if (row && row->valueTexts && e.optionId != 1050) {
          // A value id of the list carries the stored value of its pair; a number of our own
          // lies outside the list and has no stored value.
          bool found = false, listed = false;
          for (const ValueTextPair* p = row->valueTexts; p->valueId != 0; ++p) {
            listed |= p->valueId == e.value;
            found |= p->valueId == e.value && p->value == static_cast<int32_t>(e.second);
          }
          EXPECT_TRUE(found || (!listed && e.second == 0)) << e.name << " of option " << e.optionId;
        }
      }
      start = end;
    }
  }
}

// Every value name that is a string id (a value id of an option with texts, or a resource
// symbol "IDS_...") has its string in the English language library.
class ValueNameStrings : public zolt::test::MachineTest {};

TEST_F(ValueNameStrings, TheEnglishLibraryCarriesEveryStringId) {
  const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
  zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
  HMODULE lib = LoadLibraryW(reinterpret_cast<LPCWSTR>(path.c_str()));
  ASSERT_NE(lib, nullptr);
  int checked = 0;
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i) {
      const ValueNameEntry& e = t->rows[i];
      if (std::strncmp(e.name, "IDS_", 4) != 0 || e.optionId == 1050) continue;
      const OptionDescriptor* row = e.optionId ? Row(e.optionId) : nullptr;
      if (e.optionId && (!row || !row->valueTexts)) continue;  // a stored value, not a string id
      WCHAR text[128] = {};
      EXPECT_GT(LoadStringW(lib, e.value, text, 128), 0) << e.name << " " << e.value;
      ++checked;
    }
  EXPECT_GT(checked, 300);
  // The tray values: automatic selection and trays 1-3.
  WCHAR text[64] = {};
  for (auto [id, want] : {std::pair<UINT, std::u16string>{1, u"Auto Select"}, {2, u"Tray 1"}, {3, u"Tray 2"}, {5, u"Tray 3"}}) {
    ASSERT_GT(LoadStringW(lib, id, text, 64), 0) << id;
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), want);
  }
  FreeLibrary(lib);
}

}  // namespace
