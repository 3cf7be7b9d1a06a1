// The colour-matching module without its dialogs: the profile list in the settings INI and the
// edit options it goes through, list indexes of the choices, the remembered choice, the computed
// items, the notify handler and the profile header check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "feature_modules.h"
#include "fm_dialog_fixture.h"
#include "fm_modules_1_4.h"

namespace {

using zolt::test::FmDialogTest;

// Options the fixture binds to the controls (any long ANSI text options serve).
constexpr uint16_t kNameOption = 1600;
constexpr uint16_t kFileOption = 1601;
constexpr uint16_t kNameSymbol = 1768;  // ZPD_IDC_CMM_EDIT_NAME
constexpr uint16_t kFileSymbol = 1770;  // ZPD_IDC_CMM_EDIT_FILE

class CmmList : public FmDialogTest {
 protected:
  void SetUp() override {
    FmDialogTest::SetUp();
    // The edits find their options by symbol too.
    OptFind(ctx, kNameOption)->nameIndex = kNameSymbol;
    OptFind(ctx, kFileOption)->nameIndex = kFileSymbol;
  }
  // The add/edit dialog with both edits bound (or left unbound, or one missing) and the
  // user-quality choice bound to option 133.
  void Dialogs(bool bound = true, bool withFileEdit = true) {
    AddControl(kDlgCmmAddProfile, kCtlCmmEditName, bound ? kNameOption : 0, kNameSymbol);
    if (withFileEdit) AddControl(kDlgCmmAddProfile, kCtlCmmEditFile, bound ? kFileOption : 0, kFileSymbol);
    AddControl(kDlgUserIcmMode, kCtlIcmModeChoice, kOptColorMatchingMode);
    Install();
  }

  std::u16string Section(int n) { return u"ColorMatching" + std::u16string(1, u'0' + n) + lang; }
  std::u16string Name(int n) { return Read(Section(n), u"zdmColorMatchingMode"); }
  std::u16string File(int n) { return Read(Section(n), u"wdmColorProfilePath"); }
  // count entries "name<n>" / "C:\p<n>.icm".
  void List(int count) {
    Write(lang, u"CmmCount", std::u16string(1, u'0' + count));
    for (int n = 0; n < count; ++n) {
      Write(Section(n), u"zdmColorMatchingMode", u"name" + std::u16string(1, u'0' + n));
      Write(Section(n), u"wdmColorProfilePath", u"C:\\p" + std::u16string(1, u'0' + n) + u".icm");
    }
  }
  void Edits(const std::u16string& name, const std::u16string& file) {
    SetText(kNameOption, name);
    SetText(kFileOption, file);
  }
};

TEST_F(CmmList, CountersDefaultAndAreReadFromTheLanguageSection) {
  EXPECT_EQ(FmGetCmmCount(ctx), 0);
  EXPECT_EQ(FmGetCmmDefault(ctx), 4);
  EXPECT_EQ(FmGetCmmMax(ctx), 16);
  Write(lang, u"CmmDefault", u"2");
  Write(lang, u"CmmMax", u"9");
  ASSERT_EQ(FmSetCmmCount(ctx, 7), 1);
  EXPECT_EQ(Read(lang, u"CmmCount"), u"7");
  EXPECT_EQ(FmGetCmmCount(ctx), 7);
  EXPECT_EQ(FmGetCmmDefault(ctx), 2);
  EXPECT_EQ(FmGetCmmMax(ctx), 9);

  WCHAR section[kCmmSectionChars];
  EXPECT_EQ(std::u16string(FmCmmSectionName(ctx, section, 12)), u"ColorMatching12" + lang);
}

TEST_F(CmmList, LoadTakesEntry0ForAnIndexPastTheListAndEmptiesForANegativeOne) {
  Dialogs();
  List(3);
  struct Case {
    int n;
    const char16_t* name;
    const char16_t* file;
  };
  for (const Case& c : {Case{1, u"name1", u"C:\\p1.icm"}, Case{2, u"name2", u"C:\\p2.icm"},
                        Case{3, u"name0", u"C:\\p0.icm"}, Case{5, u"name0", u"C:\\p0.icm"}, Case{-1, u"", u""}}) {
    Edits(u"old", u"old");
    FmLoadCmmEntry(ctx, c.n);
    EXPECT_EQ(Text(kNameOption), c.name) << c.n;
    EXPECT_EQ(Text(kFileOption), c.file) << c.n;
  }
}

TEST_F(CmmList, TheByNameFormWorksBeforeTheEditsAreBound) {
  Dialogs(/*bound=*/false);
  List(2);
  Edits(u"old", u"old");
  FmLoadCmmEntry(ctx, 1);  // the bound form finds no options
  EXPECT_EQ(Text(kNameOption), u"old");
  FmLoadCmmEntryByName(ctx, 1);
  EXPECT_EQ(Text(kNameOption), u"name1");
  EXPECT_EQ(Text(kFileOption), u"C:\\p1.icm");
}

TEST_F(CmmList, AMissingEditLeavesItsFieldOut) {
  Dialogs(true, /*withFileEdit=*/false);
  List(2);
  Edits(u"old", u"old");
  FmLoadCmmEntry(ctx, 1);
  EXPECT_EQ(Text(kNameOption), u"name1");
  EXPECT_EQ(Text(kFileOption), u"old");
  Edits(u"new", u"new");
  FmStoreCmmEntry(ctx, 0);
  EXPECT_EQ(Name(0), u"new");
  EXPECT_EQ(File(0), u"C:\\p0.icm");
}

TEST_F(CmmList, StoreWritesOnlyEntriesOfTheList) {
  Dialogs();
  List(3);
  Edits(u"mine", u"C:\\mine.icm");
  for (int n : {-1, 3, 5}) FmStoreCmmEntry(ctx, n);
  EXPECT_EQ(Name(3), u"<none>");
  EXPECT_EQ(Name(5), u"<none>");
  FmStoreCmmEntry(ctx, 1);
  EXPECT_EQ(Name(1), u"mine");
  EXPECT_EQ(File(1), u"C:\\mine.icm");
  EXPECT_EQ(Name(0), u"name0");
  EXPECT_EQ(Name(2), u"name2");
}

TEST_F(CmmList, DeleteMovesTheLaterEntriesDownAndKeepsTheLastSection) {
  Dialogs();
  List(4);
  FmDeleteCmmEntry(ctx, 1);
  EXPECT_EQ(FmGetCmmCount(ctx), 3);
  EXPECT_EQ(Name(0), u"name0");
  EXPECT_EQ(Name(1), u"name2");
  EXPECT_EQ(File(1), u"C:\\p2.icm");
  EXPECT_EQ(Name(2), u"name3");
  EXPECT_EQ(File(2), u"C:\\p3.icm");
  EXPECT_EQ(Name(3), u"name3");  // beyond the count, left in the file

  // Indexes outside the list delete nothing.
  for (int n : {-1, 3, 7}) FmDeleteCmmEntry(ctx, n);
  EXPECT_EQ(FmGetCmmCount(ctx), 3);
  EXPECT_EQ(Name(2), u"name3");
}

TEST_F(CmmList, DeleteLosesNoFieldWhenAnEditIsMissing) {
  Dialogs(true, /*withFileEdit=*/false);
  List(3);
  FmDeleteCmmEntry(ctx, 0);
  EXPECT_EQ(FmGetCmmCount(ctx), 2);
  EXPECT_EQ(Name(0), u"name1");
  EXPECT_EQ(File(0), u"C:\\p1.icm");
  EXPECT_EQ(Name(1), u"name2");
  EXPECT_EQ(File(1), u"C:\\p2.icm");
}

TEST_F(CmmList, ValuesFrom200SelectListEntries) {
  Dialogs();
  List(3);
  struct Case {
    int32_t value;
    int index;
  };
  for (const Case& c : {Case{0, -1}, Case{199, -1}, Case{200, 0}, Case{202, 2}, Case{203, -1}, Case{255, -1}}) {
    EXPECT_EQ(FmCmmIndexFromValue(ctx, c.value), c.index) << c.value;
    Set(kOptColorMatchingLine, c.value);
    EXPECT_EQ(FmGetCmmIndexOfOption(ctx, kOptColorMatchingLine), c.index) << c.value;
    Set(kOptColorMatchingMode, c.value);  // bound to the choice control
    EXPECT_EQ(FmGetSelectedCmmIndex(ctx), c.index) << c.value;
  }
  EXPECT_EQ(FmGetCmmIndexOfOption(ctx, 1999), -1);  // no such option
}

TEST_F(CmmList, NoChoiceControlNoSelection) {
  AddDialog(kDlgUserIcmMode);
  Install();
  List(3);
  Set(kOptColorMatchingMode, 201);
  EXPECT_EQ(FmGetIcmModeChoice(ctx), nullptr);
  EXPECT_EQ(FmGetSelectedCmmIndex(ctx), -1);
  EXPECT_EQ(FmGetCmmNameEdit(ctx), nullptr);
}

TEST_F(CmmList, ComputedItems) {
  Dialogs();
  List(6);
  // 1379: the selection is a built-in entry (or none at all).
  struct Case {
    int32_t choice;
    DWORD builtIn;
  };
  for (const Case& c : {Case{5, 1}, Case{200, 1}, Case{203, 1}, Case{204, 0}, Case{205, 0}, Case{206, 1}}) {
    Set(kOptColorMatchingMode, c.choice);
    EXPECT_EQ(FmGetModuleComputedItem(ctx, 1379), c.builtIn) << c.choice;
  }
  // 1380: the list is full.
  Write(lang, u"CmmMax", u"6");
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1380), 1u);
  Write(lang, u"CmmMax", u"7");
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1380), 0u);
  // 1381: the settings module has no header check, so any path passes while the edit exists.
  SetText(kFileOption, u"C:\\missing.icm");
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1381), 1u);
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1382), 0u);
}

TEST_F(CmmList, ComputedItemsWithoutTheControls) {
  AddDialog(kDlgCmmAddProfile);
  Install();
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1379), 1u);  // no selection (-1) is below the default 4
  EXPECT_EQ(FmGetModuleComputedItem(ctx, 1381), 0u);
}

TEST_F(CmmList, TheRememberedChoiceFollowsTheAdjustedObject) {
  struct Case {
    int32_t mode, object;
    int slot;  // -1: nothing remembered
  };
  for (const Case& c : {Case{0, 2, 0}, Case{1, 0, 1}, Case{1, 1, 2}, Case{1, 2, 3}, Case{1, 3, -1}}) {
    std::fill(std::begin(ctx->workArea->cmmMemory), std::end(ctx->workArea->cmmMemory), BYTE{0});
    Set(kOptAdjustMode, c.mode);
    Set(kOptAdjustObject, c.object);
    const uint16_t options[4] = {133, 984, 985, 986};
    for (int i = 0; i < 4; ++i) Set(options[i], 201 + i);
    FmRememberCmmChoice(ctx);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(ctx->workArea->cmmMemory[i], i == c.slot ? 201 + i : 0) << c.mode << "/" << c.object << " " << i;
    EXPECT_EQ(ctx->workArea->cmmMemory[kCmmMarkByte], c.slot < 0 ? 0 : 1 << c.slot) << c.mode << "/" << c.object;
  }
  // Marks add up.
  Set(kOptAdjustMode, 0);
  FmRememberCmmChoice(ctx);
  EXPECT_EQ(ctx->workArea->cmmMemory[kCmmMarkByte], 0x1);
  Set(kOptAdjustMode, 1);
  Set(kOptAdjustObject, 2);
  FmRememberCmmChoice(ctx);
  EXPECT_EQ(ctx->workArea->cmmMemory[kCmmMarkByte], 0x9);
}

// ---- the notify handler -----------------------------------------------------------------------

TEST_F(CmmList, Code15CarriesTheCountersButNotTheUserEntries) {
  const std::u16string oldFile = u"C:\\old.ini", newFile = u"C:\\new.ini";
  auto read = [&](const std::u16string& file, const char16_t* key) {
    WCHAR buf[64] = {};
    GetPrivateProfileStringW(lang.c_str(), key, u"<none>", buf, 64, file.c_str());
    return std::u16string(buf);
  };
  struct Case {
    bool oldHasCounters;
    const char16_t* newCount;  // nullptr: the new file has no "CmmCount"
    int32_t keep;
    const char16_t* count, *builtIn, *max;
  };
  for (const Case& c : {Case{true, nullptr, 0, u"3", u"3", u"12"}, Case{true, u"9", 0, u"3", u"3", u"12"},
                        Case{true, u"9", 1, u"9", u"3", u"12"}, Case{true, nullptr, 1, u"3", u"3", u"12"},
                        Case{false, nullptr, 0, u"0", u"0", u"0"}}) {
    DeleteFileW(oldFile.c_str());
    DeleteFileW(newFile.c_str());
    if (c.oldHasCounters) {
      WritePrivateProfileStringW(lang.c_str(), u"CmmDefault", u"3", oldFile.c_str());
      WritePrivateProfileStringW(lang.c_str(), u"CmmMax", u"12", oldFile.c_str());
    }
    WritePrivateProfileStringW(lang.c_str(), u"CmmCount", u"5", oldFile.c_str());
    WritePrivateProfileStringW((u"ColorMatching4" + lang).c_str(), u"zdmColorMatchingMode", u"user", oldFile.c_str());
    if (c.newCount) WritePrivateProfileStringW(lang.c_str(), u"CmmCount", c.newCount, newFile.c_str());
    FmListImportParam p{oldFile.c_str(), newFile.c_str(), c.keep};
    EXPECT_EQ(FmCmmOnNotify(ctx, 15, &p, nullptr), 1);
    EXPECT_EQ(read(newFile, u"CmmCount"), c.count) << c.keep;
    EXPECT_EQ(read(newFile, u"CmmDefault"), c.builtIn);
    EXPECT_EQ(read(newFile, u"CmmMax"), c.max);
    WCHAR buf[16];
    EXPECT_EQ(GetPrivateProfileStringW((u"ColorMatching4" + lang).c_str(), u"zdmColorMatchingMode", u"", buf, 16,
                                       newFile.c_str()),
              0u);
  }
}

TEST_F(CmmList, Code16NamesTheListEntries) {
  Dialogs();
  List(3);
  WCHAR text[kCtxScratchChars] = u"label";
  EnvDecorationNotice notice{566, text};
  EXPECT_EQ(FmCmmOnNotify(ctx, 16, &notice, nullptr), 1);
  EXPECT_EQ(std::u16string(text), u"name1");
  for (DWORD id : {564u, 581u}) {
    lstrcpyW(text, u"label");
    notice.stringId = id;
    EXPECT_EQ(FmCmmOnNotify(ctx, 16, &notice, nullptr), 0) << id;
    EXPECT_EQ(std::u16string(text), u"label");
  }
}

TEST_F(CmmList, Code16AnswersWithoutTheNameEdit) {
  AddDialog(kDlgCmmAddProfile);
  Install();
  WCHAR text[kCtxScratchChars] = u"label";
  EnvDecorationNotice notice{565, text};
  EXPECT_EQ(FmCmmOnNotify(ctx, 16, &notice, nullptr), 1);
  EXPECT_EQ(std::u16string(text), u"label");
}

TEST_F(CmmList, Code56ShadesTheDensitySample) {
  ControlDescriptor sample{}, other{};
  sample.controlId = 3039;
  other.controlId = 3038;
  struct Case {
    ControlDescriptor* control;
    WORD picture;
    uint16_t option;
    int32_t density;
    DWORD answer;
  };
  for (const Case& c : {Case{&sample, 6990, 608, 0, 25}, Case{&sample, 6982, 606, 1, 13},
                        Case{&sample, 7668, 607, 2, 0}, Case{&sample, 7668, 607, 3, 0xFFFF},
                        Case{&sample, 6991, 608, 0, 0xFFFF}, Case{&other, 6990, 608, 0, 0xFFFF}}) {
    Set(c.option, c.density);
    FmPictureShadeParam p{c.control, c.picture, 0xFFFF};
    EXPECT_EQ(FmCmmOnNotify(ctx, 56, &p, nullptr), 1);
    EXPECT_EQ(p.answer, c.answer) << c.picture << " " << c.density;
  }
}

TEST_F(CmmList, Code58ReversesTheDensityScrollBars) {
  for (WORD id : {WORD{3032}, WORD{3035}, WORD{3038}, WORD{3033}, WORD{3039}}) {
    ControlDescriptor control{};
    control.controlId = id;
    FmControlFlagParam p{&control, 0};
    EXPECT_EQ(FmCmmOnNotify(ctx, 58, &p, nullptr), 1);
    EXPECT_EQ(p.answer, id == 3033 || id == 3039 ? 0u : 1u) << id;
  }
}

TEST_F(CmmList, Code36WithoutAUserMacroKeepsTheChoices) {
  Dialogs();
  List(1);
  Set(kOptColorMatchingText, 205);
  EXPECT_EQ(FmCmmOnNotify(ctx, 36, nullptr, nullptr), 1);
  EXPECT_EQ(Get(kOptColorMatchingText), 205);
}

TEST_F(CmmList, BuiltInFunctionsAddEditDeleteAndLoadEntries) {
  Dialogs();
  List(2);
  Write(lang, u"CmmMax", u"3");
  // 111 adds the edits as a new entry while the list has room.
  Edits(u"added", u"C:\\added.icm");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 111), 1);
  EXPECT_EQ(FmGetCmmCount(ctx), 3);
  EXPECT_EQ(Name(2), u"added");
  EXPECT_EQ(File(2), u"C:\\added.icm");
  Edits(u"more", u"C:\\more.icm");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 111), 1);  // full: a warning, nothing added
  EXPECT_EQ(FmGetCmmCount(ctx), 3);
  EXPECT_EQ(Name(3), u"<none>");

  // 113 stores the edits over the entry the user-quality choice selects.
  Set(kOptColorMatchingMode, 201);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 113), 1);
  EXPECT_EQ(Name(1), u"more");

  // 114-117 load the entry of options 133, 984, 985, 986; 124 that of the adjusted object.
  struct Case {
    WORD code;
    int32_t adjustMode, adjustObject;
    const char16_t* name;
  };
  Set(kOptColorMatchingMode, 200);
  Set(kOptColorMatchingText, 202);
  Set(kOptColorMatchingLine, 201);
  Set(kOptColorMatchingImage, 5);  // a built-in mode: the edits are emptied
  for (const Case& c : {Case{114, 0, 0, u"name0"}, Case{115, 0, 0, u"added"}, Case{116, 0, 0, u"more"},
                        Case{117, 0, 0, u""}, Case{124, 0, 0, u"name0"}, Case{124, 1, 0, u"added"},
                        Case{124, 1, 1, u"more"}, Case{124, 1, 2, u""}}) {
    Set(kOptAdjustMode, c.adjustMode);
    Set(kOptAdjustObject, c.adjustObject);
    Edits(u"x", u"y");
    EXPECT_EQ(FmRunBuiltInFunc(ctx, c.code), 1) << c.code;
    EXPECT_EQ(Text(kNameOption), c.name) << c.code << " " << c.adjustMode << " " << c.adjustObject;
  }

  // 112 deletes the selected entry and remembers the choice of the adjusted object.
  Set(kOptAdjustMode, 0);
  Set(kOptColorMatchingMode, 201);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 112), 1);
  EXPECT_EQ(FmGetCmmCount(ctx), 2);
  EXPECT_EQ(Name(1), u"added");
  EXPECT_EQ(ctx->workArea->cmmMemory[0], 201);
  EXPECT_EQ(ctx->workArea->cmmMemory[kCmmMarkByte] & 1, 1);

  EXPECT_EQ(FmCmmOnBuiltInFunc(ctx, 118, nullptr), 0);
  EXPECT_EQ(FmCmmOnBuiltInFunc(ctx, 110, nullptr), 0);
}

TEST_F(CmmList, OtherCodesPass) {
  for (DWORD code : {1u, 14u, 17u, 35u, 37u, 55u, 57u, 59u})
    EXPECT_EQ(FmCmmOnNotify(ctx, code, nullptr, nullptr), 0) << code;
}

// ---- the profile header -----------------------------------------------------------------------

class ProfileHeader : public zolt::test::MachineTest {
 protected:
  // A profile of 128 bytes with the expected signatures.
  static std::string Good() {
    std::string bytes(128, '\0');
    bytes.replace(4, 4, "QVMS");
    bytes.replace(12, 4, "prtr");
    bytes.replace(16, 4, "RGB ");
    bytes.replace(20, 4, "XYZ ");
    bytes.replace(36, 4, "acsp");
    bytes.replace(48, 4, "ORVX");
    return bytes;
  }
  void Put(const std::u16string& path, const std::string& bytes) { zolt::test::WriteBytes(Real(path), bytes); }
};

TEST_F(ProfileHeader, EverySignatureByteCounts) {
  const std::u16string path = u"C:\\test.icm";
  Put(path, Good());
  EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 1);
  for (size_t at : {4u, 7u, 12u, 15u, 16u, 19u, 36u, 39u, 48u, 51u}) {
    std::string bytes = Good();
    bytes[at] ^= 0x20;
    Put(path, bytes);
    EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 0) << at;
  }
  Put(path, Good().substr(0, 51));  // one byte short of the maker
  EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 0);
  Put(path, Good().substr(0, 52));
  EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 1);
  EXPECT_EQ(FmCheckColorProfileHeader(u"C:\\none.icm"), 0);
  EXPECT_EQ(FmCheckColorProfileHeader(nullptr), 0);
}

// The profile the driver ships passes; the same profile with another class, another data colour
// space, or "RGB " only in its connection-space field does not.
TEST_F(ProfileHeader, TheShippedProfileAndItsWrongVariants) {
  std::ifstream in(std::string(ZOLT_MODULE_DIR) + "/ZOLTRGB.icm", std::ios::binary);
  const std::string shipped((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(shipped.size(), 128u);
  ASSERT_EQ(shipped.substr(16, 4), "RGB ");
  ASSERT_EQ(shipped.substr(20, 4), "XYZ ");
  const std::u16string path = u"C:\\shipped.icm";
  Put(path, shipped);
  EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 1);
  struct Variant {
    size_t at;
    const char* sig;
  };
  for (const Variant& v : {Variant{12, "mntr"}, Variant{12, "scnr"}, Variant{16, "CMYK"}, Variant{16, "GRAY"}}) {
    std::string bytes = shipped;
    bytes.replace(v.at, 4, v.sig);
    Put(path, bytes);
    EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 0) << v.sig;
  }
  std::string pcsOnly = shipped;
  pcsOnly.replace(16, 4, "CMYK");
  pcsOnly.replace(20, 4, "RGB ");
  Put(path, pcsOnly);
  EXPECT_EQ(FmCheckColorProfileHeader(path.c_str()), 0);
}

TEST_F(ProfileHeader, APathTooLongForItsBufferIsNotCutShort) {
  // The first 259 characters name a good profile; the whole path names no file.
  const std::u16string folder = u"C:\\" + std::u16string(120, u'd');
  const std::u16string prefix = folder + u"\\" + std::u16string(259 - folder.size() - 1, u'f');
  ASSERT_EQ(prefix.size(), 259u);
  std::filesystem::create_directories(Real(folder));
  Put(prefix, Good());
  EXPECT_EQ(FmCheckColorProfileHeader(prefix.c_str()), 1);
  EXPECT_EQ(FmCheckColorProfileHeader((prefix + u"g").c_str()), 0);
}

TEST_F(ProfileHeader, TheSettingsModuleHasNoCheck) {
  const std::u16string path = u"C:\\other.icm";
  std::string bytes = Good();
  bytes.replace(48, 4, "XXXX");
  Put(path, bytes);
  EXPECT_EQ(FdCheckColorProfileFile(path.c_str()), 1);
  EXPECT_EQ(FdCheckColorProfileFile(u"C:\\none.icm"), 1);
}

}  // namespace
