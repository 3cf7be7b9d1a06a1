// Languages: the table and its lookups, the resource library names, strings in two languages
// with their decorations, number texts and the bitmap-file check.
#include <gtest/gtest.h>

#include <string>

#include "../option/option_image_context.h"
#include "env_language.h"
#include "env_system.h"
#include "option_access.h"
#include "printer_text.h"
#include "win32/hostspooler.h"

namespace {

using zolt::test::ImageContextTest;
using zolt::test::MachineTest;

std::u16string Str(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(u"<null>"); }

TEST(LanguageTable, LooksUpIndexesCodesFilesAndLocales) {
  const LanguageRow* table = OptGetLanguageTable();
  int rows = 0;
  while (table[rows].index != kLanguageEnd) ++rows;
  EXPECT_EQ(rows, 21);

  struct IndexCase {
    WORD index;
    const char16_t* code;
  } indexes[] = {{0, u"jp"}, {1, u"us"}, {6, u"fr"}, {15, u"ru"}, {16, u"cs"}, {17, u"ct"},
                 {19, u"us"}, {21, u"ca"}, {22, u"us"}, {0xFFFF, u"us"}};
  for (const IndexCase& c : indexes) EXPECT_EQ(Str(EnvLanguageCodeOfIndex(c.index)), c.code) << c.index;

  EXPECT_EQ(EnvFindLanguageIndex(u"FR"), 6);
  EXPECT_EQ(EnvFindLanguageIndex(u"xx"), kLanguageUs);
  EXPECT_EQ(EnvFindLanguageIndex(nullptr), kLanguageUs);
  EXPECT_EQ(Str(EnvFindLanguageCode(u"JP")), u"jp");  // the table's own spelling
  EXPECT_EQ(Str(EnvFindLanguageCode(u"zz")), u"us");

  struct FileCase {
    const char16_t* file;
    WORD index;
  } files[] = {{u"ZOLT7Hfr.chm", 6}, {u"ZOLT7HJP.HLP", 0}, {u"dir.v2\\ZOLTkr.x", 18}, {u"a.chm", 1},
               {u"ZOLT7Hjp", 1}, {u"ZOLT7Hxx.chm", 1}, {nullptr, 1}};
  for (const FileCase& c : files) EXPECT_EQ(EnvLanguageIndexOfFile(c.file), c.index) << Str(c.file).size();
  EXPECT_EQ(Str(EnvLanguageCodeOfFile(u"QVF9Hsw.chm")), u"sw");
  EXPECT_EQ(Str(EnvLanguageCodeOfFile(nullptr)), u"us");

  struct LcidCase {
    LCID lcid;
    WORD index;
  } lcids[] = {{0x0804, 16}, {0x0404, 17}, {0x0004, 16}, {0x0011, 0}, {0x0409, kLanguageUnknown},
               {0x0411, kLanguageUnknown}, {0x0007, 4}, {0x0001, kLanguageUnknown}};
  for (const LcidCase& c : lcids) EXPECT_EQ(EnvLanguageIndexOfLcid(c.lcid), c.index) << std::hex << c.lcid;

  WORD sub = 99;
  EXPECT_EQ(EnvGetLangIds(16, &sub), 0x04);
  EXPECT_EQ(sub, 2);
  EXPECT_EQ(EnvGetLangIds(19, &sub), 0);
  EXPECT_EQ(sub, 0);
  EXPECT_EQ(EnvGetPrimaryLangId(0), 0x11);
  EXPECT_EQ(EnvIsKnownLanguageIndex(19), 0);
  EXPECT_EQ(EnvIsKnownLanguageIndex(15), 1);
}

TEST(LanguageTable, ResourceLibraryNames) {
  WCHAR name[MAX_PATH];
  ASSERT_EQ(EnvLanguageResDllName(u"XYZ9UIJP.DLL", u"fr", name, MAX_PATH), 1);
  EXPECT_EQ(Str(name), u"XYZ9UIfr.DLL");
  ASSERT_EQ(EnvCommonResDllName(u"XYZ9UIJP.DLL", name, MAX_PATH), 1);
  EXPECT_EQ(Str(name), u"XYZ9CIXX.DLL");
  ASSERT_EQ(EnvLanguageResDllName(u"ZOLT7RES.DLL", u"jp", name, MAX_PATH), 1);
  EXPECT_EQ(Str(name), u"ZOLT7Rjp.DLL");
  // Names too short for the rule, missing names and buffers that are too small give nothing.
  EXPECT_EQ(EnvLanguageResDllName(u"A.DLL", u"fr", name, MAX_PATH), 0);
  EXPECT_EQ(name[0], u'\0');
  EXPECT_EQ(EnvCommonResDllName(u"ABC.DLL", name, MAX_PATH), 0);
  EXPECT_EQ(EnvLanguageResDllName(nullptr, u"fr", name, MAX_PATH), 0);
  EXPECT_EQ(EnvLanguageResDllName(u"XYZ9UIJP.DLL", u"fr", name, 12), 0);
}

// A context with a settings image whose language library is loaded from the built stand-ins.
class LanguageStrings : public ImageContextTest {
 protected:
  void UseLibrary(const char* file) { UseLanguageLibrary(file); }
  std::u16string Load(DWORD id, int decorate = 1, int size = 128) {
    WCHAR out[256];
    std::fill(std::begin(out), std::end(out), u'#');
    const int n = EnvLoadString(ctx, id, out, size, decorate);
    EXPECT_EQ(n, static_cast<int>(std::char_traits<char16_t>::length(out)));
    return out;
  }
  void TearDown() override {
    if (ctx) EnvFreeResourceDlls(ctx);
    ImageContextTest::TearDown();
  }
};

TEST_F(LanguageStrings, StringsComeFromTheLibraryOfTheLanguage) {
  struct Case {
    DWORD id;
    const char16_t* english;
    const char16_t* japanese;
  } cases[] = {{2026, u"Portrait", u"\u7E26"}, {41, u"A4", u"A4"}, {48, u"Letter", u"\u30EC\u30BF\u30FC"},
               {13708, u"Custom Media 1", u"\u30E6\u30FC\u30B6\u30FC\u8A2D\u5B9A\u7528\u7D19\u7A2E\u985E1"}};
  UseLibrary("ZOLT7Rus.DLL");
  for (const Case& c : cases) EXPECT_EQ(Load(c.id), c.english) << c.id;
  UseLibrary("ZOLT7Rjp.DLL");
  for (const Case& c : cases) EXPECT_EQ(Load(c.id), c.japanese) << c.id;
  EXPECT_EQ(Load(7), u"");  // no such string
}

TEST_F(LanguageStrings, WithoutALibraryEveryStringIsEmpty) {
  // The language library of a language that is not installed cannot be loaded.
  EXPECT_EQ(LoadLibraryW(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\ZOLT7Rfr.DLL"), nullptr);
  ASSERT_EQ(ctx->resourceLibrary, nullptr);
  EXPECT_EQ(Load(2026), u"");
  EXPECT_EQ(Load(153), u"");
  EXPECT_EQ(EnvFreeResourceDlls(ctx), 1);
}

TEST_F(LanguageStrings, LanguageOptionChoosesCodeAndSection) {
  struct Case {
    int32_t value;
    const char16_t* code;
    int comma;
  } cases[] = {{1, u"us", 0}, {0, u"jp", 0}, {6, u"fr", 1}, {19, u"us", 0}, {21, u"ca", 1}};
  for (const Case& c : cases) {
    OptSetValue(ctx, kOptLanguageId, c.value);
    EXPECT_EQ(Str(EnvGetLanguageCode(ctx)), c.code);
    EXPECT_EQ(Str(CfgLanguageSectionName(ctx)), c.code);
    EXPECT_EQ(CfgLanguageSection(ctx), ctx->workArea->languageCode);
    EXPECT_EQ(EnvIsUsingDecimalComma(ctx), c.comma);
  }
}

TEST_F(LanguageStrings, DecorationsCompleteLabelsWithinTheBuffer) {
  UseLibrary("ZOLT7Rus.DLL");
  OptSetValue(ctx, kOptLanguageId, 1);
  ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, 1540), u"Finisher"), nullptr);
  EXPECT_EQ(Load(29), u"Output Tray 1:Finisher");
  EXPECT_EQ(Load(813), u"Output Tray 1:Finisher");
  EXPECT_EQ(Load(30), u"Output Tray 2:");  // an empty name is still appended
  EXPECT_EQ(Load(29, 0), u"Output Tray 1");  // undecorated
  EXPECT_EQ(Load(29, 1, 12), u"Output Tray");  // cut at the buffer, never past it

  // Unit names follow the display unit (option 171: 0 metric).
  EXPECT_EQ(Load(154), u"mm");
  OptSetValue(ctx, 171, 1);
  EXPECT_EQ(Load(153), u"inch");
  OptSetValue(ctx, 171, 0);

  // The custom paper size with its size appended (A4 in 1/1200 inch).
  OptSetValue(ctx, 342, 9921);
  OptSetValue(ctx, 343, 14031);
  EXPECT_EQ(Load(752), u"Custom Paper Size(210.0 x 297.0mm)");
  OptSetValue(ctx, 171, 1);
  EXPECT_EQ(Load(752), u"Custom Paper Size(8.27 x 11.70inch)");
  OptSetValue(ctx, 171, 0);
  OptSetValue(ctx, kOptLanguageId, 6);
  EXPECT_EQ(Load(752), u"Custom Paper Size(210,0 x 297,0mm)");
  OptSetValue(ctx, kOptLanguageId, 1);

  // A slot: its user name and size.
  FreeSizeSlot& slot = ctx->workArea->freeSizeSlots[2];
  std::strcpy(slot.userName, "Postcard wide");
  slot.width = 7086;    // 150.0 mm
  slot.length = 4724;   // 100.0 mm
  EXPECT_EQ(Load(111), u"Postcard wide(150.0 x 100.0mm)");

  // Texts offered to the feature modules and custom media names stay as loaded when no module
  // rewrites them.
  // Label 565 names the first colour-matching entry, and there is none.
  EXPECT_EQ(Load(565), u"");
  EXPECT_EQ(Load(13708), u"Custom Media 1");
  EXPECT_EQ(Load(13708, 1, 5), u"Cust");

  // A range format outside the custom-size dialogs shows zero limits; other '%' stay as they are.
  EXPECT_EQ(Load(13273), u"Length (0 - 0)");
  OptSetValue(ctx, 171, 1);
  EXPECT_EQ(Load(13276), u"Enter a width from 0.00 to 0.00.");
}

TEST_F(LanguageStrings, CustomSizeRangesComeFromTheCustomSizeModule) {
  UseLibrary("ZOLT7Rus.DLL");
  OptSetValue(ctx, kOptLanguageId, 1);
  OptSetValue(ctx, 171, 0);  // 0.1 mm
  // The custom paper size dialog, bypass tray, portrait: 148.0-432.0 mm long, 70.0-297.0 mm wide.
  ctx->dialogId = 1017;
  OptSetValue(ctx, 941, 4);
  OptSetValue(ctx, 942, 1);
  EXPECT_EQ(Load(13273), u"Length (148 - 432)");
  EXPECT_EQ(Load(13275), u"Width (70 - 297)");
  OptSetValue(ctx, 171, 1);
  EXPECT_EQ(Load(13276), u"Enter a width from 2.76 to 11.69.");
  OptSetValue(ctx, 171, 0);
  // A tray without a range keeps the zero limits.
  OptSetValue(ctx, 941, 1);
  EXPECT_EQ(Load(13273), u"Length (0 - 0)");

  // A slot's size label shows its size clamped into the range of its tray and orientation.
  FreeSizeSlot& slot = ctx->workArea->freeSizeSlots[0];
  std::strcpy(slot.userName, "Tiny");
  slot.tray = 4;
  slot.orientation = 1;
  slot.width = 100;
  slot.length = 99999;
  EXPECT_EQ(Load(109), u"Tiny(70.0 x 432.0mm)");
}

TEST_F(LanguageStrings, FixedPointTexts) {
  struct Case {
    int divisor;
    int value;
    int language;
    const char16_t* text;
  } cases[] = {
      {10000, 123456, 1, u"12.3456"}, {100, 5, 1, u"0.05"},  {100, 5, 6, u"0,05"},     {10, 2100, 1, u"210.0"},
      {1000, 1, 1, u"0.001"},         {1, 42, 1, u"42"},      {100000, 7, 1, u"7"},     {10, -15, 1, u"-1.5"},
      {100, -5, 6, u"-0,05"},         {10, INT32_MIN, 1, u"-214748364.8"},
  };
  for (const Case& c : cases) {
    OptSetValue(ctx, kOptLanguageId, c.language);
    WCHAR out[kEnvNumberChars];
    EXPECT_EQ(Str(EnvFormatFixedPoint(out, c.divisor, c.value, ctx)), c.text) << c.divisor << " " << c.value;
  }
}

TEST(DecimalComma, OnlyPointsAfterTheLastParenthesisChange) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {{u"1.5 mm (2.5 x 3.5)", u"1.5 mm (2,5 x 3,5)"}, {u"1.5", u"1,5"}, {u"", u""}, {u"(a.b)(c.d)", u"(a.b)(c,d)"}};
  for (const Case& c : cases) {
    std::u16string text = c.in;
    EXPECT_EQ(Str(EnvUseDecimalComma(text.data())), c.out);
  }
  EXPECT_EQ(EnvUseDecimalComma(nullptr), nullptr);
}

class BitmapFiles : public MachineTest {};

TEST_F(BitmapFiles, OnlyFilesWithAnInfoHeaderOpen) {
  std::string bmp(54, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;
  bmp[18] = 7;  // width
  zolt::test::WriteBytes(Real(u"C:\\Windows\\pic.bmp"), bmp);
  std::string os2 = bmp;
  os2[14] = 12;
  zolt::test::WriteBytes(Real(u"C:\\Windows\\os2.bmp"), os2);
  zolt::test::WriteBytes(Real(u"C:\\Windows\\short.bmp"), bmp.substr(0, 16));

  HFILE file = HFILE_ERROR;
  ASSERT_EQ(EnvOpenBitmapFile(u"C:\\Windows\\PIC.BMP", &file), 1);
  BYTE width = 0;
  EXPECT_EQ(_lread(file, &width, 1), 1u);  // the file stays open just after the header size
  EXPECT_EQ(width, 7);
  _lclose(file);

  for (const char16_t* path : {u"C:\\Windows\\os2.bmp", u"C:\\Windows\\short.bmp", u"C:\\Windows\\none.bmp"}) {
    file = 5;
    EXPECT_EQ(EnvOpenBitmapFile(path, &file), 0) << Str(path).size();
    EXPECT_EQ(file, HFILE_ERROR);
  }
  // The closed files can be replaced again (nothing holds them).
  EXPECT_TRUE(DeleteFileW(u"C:\\Windows\\os2.bmp"));
}

}  // namespace

namespace {

// A driver installed with a help file of one language and a printer whose data names another.
class HelpFileLanguage : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    EnvResetSystemCaches();
    DriverMachineTest::SetUp();
    zolt::host::DriverInstall install;
    install.name = u"ZOLT Help Driver";
    install.moduleDir = ZOLT_MODULE_DIR;
    install.modelFile = std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel;
    install.helpFile = u"ZOLT7Hfr.chm";
    std::string error;
    ASSERT_TRUE(zolt::host::InstallDriver(install, &error)) << error;
    zolt::host::PrinterSetup printer;
    printer.name = u"Help Printer";
    printer.driver = install.name;
    printer.driverEvents = false;  // no printer data yet
    ASSERT_TRUE(zolt::host::AddPrinter(printer, &error)) << error;
  }
  HANDLE Open(std::u16string name) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(name.data(), &h, &defaults));
    return h;
  }
};

TEST_F(HelpFileLanguage, LanguageOfTheDriverAndOfThePrinter) {
  HANDLE printer = Open(u"Help Printer");
  ASSERT_NE(printer, nullptr);
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  // The driver's help file gives the installation language; the printer has no data yet.
  EXPECT_EQ(EnvGetDriverLanguageIndex(ctx), 6);
  EXPECT_EQ(Str(EnvGetDriverLanguageCode(ctx)), u"fr");
  EXPECT_EQ(EnvGetPrinterLanguageIndex(ctx), kLanguageUs);
  EXPECT_EQ(Str(CfgHelpLanguageCode(ctx)), u"us");

  zolt::test::SetPrinterText(printer, u"HelpFileName", u"ZOLT7Hjp.chm");
  EXPECT_EQ(EnvGetPrinterLanguageIndex(ctx), 0);
  EXPECT_EQ(Str(EnvGetPrinterLanguageCodeOf(printer)), u"jp");
  EXPECT_EQ(Str(CfgHelpLanguageCode(ctx)), u"jp");
  EXPECT_EQ(Str(PathGetHelpFile(ctx)), u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\ZOLT7Hjp.chm");
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  // Creation fills the language buffer from the printer's help file.
  ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Str(ctx->workArea->languageCode), u"jp");
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ClosePrinter(printer);

  // The other driver has no help file: "us".
  HANDLE plain = OpenTestPrinter();
  ctx = CtxCreateWithFlags(plain, plain, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(EnvGetDriverLanguageIndex(ctx), kLanguageUs);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ClosePrinter(plain);
}

}  // namespace

namespace {

class UserLocaleLanguage : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.userLocale = 0x0804;  // Chinese (simplified)
    return facts;
  }
};

TEST_F(UserLocaleLanguage, LanguageOfTheUsersLocale) {
  EXPECT_EQ(EnvGetUserLanguageIndex(), 16);
  EXPECT_EQ(Str(EnvLanguageCodeOfIndex(EnvGetUserLanguageIndex())), u"cs");
}

}  // namespace
