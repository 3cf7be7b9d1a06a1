// The extension dialogs as a person uses them over printing preferences: what is typed and
// pasted into their fields, what their OK, Cancel and confirmation steps keep, refuse or store
// as printer data, and the character classes of the fields.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fd_ext.h"
#include "fd_watermark.h"
#include "fd_limit_ext_fixture.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "stamp_list.h"

namespace {

using namespace zolt::test;

// Options the dialogs edit.
enum : uint16_t {
  kOptPrnMethod = 209,
  kOptMergeFileName = 205,
  kOptHidden2Func3 = 452,
  kOptHidden2Func4 = 453,
  kOptHidden2Func5 = 454,
  kOptDiskSpace = 683,
  kOptCharSet = 688,
  kOptAuthUserName = 1144,
  kOptAuthPassword = 1145,
  kOptDriverVersion = 1337,
  kOptBillingCode = 1251,
  kOptAuthMode = 10354,
};

class ExtDialogs : public SheetHostTest {
 protected:
  // A DWORD of printer data, nothing when the value is missing.
  std::optional<DWORD> PrinterDword(const char16_t* name) {
    HANDLE printer = OpenTestPrinter();
    std::u16string value = name;
    DWORD type = 0, data = 0, needed = 0;
    const DWORD error = GetPrinterDataW(printer, value.data(), &type, reinterpret_cast<BYTE*>(&data), sizeof data, &needed);
    ClosePrinter(printer);
    if (error != ERROR_SUCCESS) return std::nullopt;
    EXPECT_EQ(type, DWORD(REG_DWORD));
    return data;
  }
  std::vector<std::u16string> MessageTexts() {
    std::vector<std::u16string> texts;
    for (const auto& box : ui::MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  static bool Shows(const std::vector<std::u16string>& texts, const std::u16string& message) {
    for (const auto& t : texts)
      if (!message.empty() && t.find(message) != std::u16string::npos) return true;
    return false;
  }
};

// ---- the character classes -------------------------------------------------------------------

TEST(ExtFilters, TypedCharactersByField) {
  struct Case {
    uint16_t dialog, control;
    char16_t ch;
    bool accepted;
  } cases[] = {
      {4022, 3003, u':', false},  {4022, 3006, u':', true},    // user name refuses the colon
      {4022, 3003, u'"', false},  {4022, 3006, u'"', true},    {4022, 3003, u'a', true},
      {4022, 3003, u'\u00e9', false}, {4022, 3003, u'\b', true}, {4022, 3006, 0x7F, false},
      {4043, 3370, u':', false},  {4043, 3373, u'~', true},    {4043, 3373, 0x1F, false},
      {4042, 3367, u'A', true},   {4042, 3367, u'9', true},    {4042, 3367, u'-', true},
      {4042, 3367, 0x7F, true},   {4042, 3367, u' ', false},   {4042, 3367, u'_', false},
      {4042, 3367, u'\u00c4', false},
      {4019, 2988, u' ', true},   {4019, 2988, u'~', true},    {4019, 2988, u'\u00e9', false},
      {4021, 2999, u'\t', false}, {4020, 2996, u'"', true},
      {1019, 2243, u'"', false},  {1019, 2243, u'?', true},    {1019, 2423, u'\u3042', true},
      {1019, 3235, u'"', false},  {1019, 3235, u'\u00ff', true}, {1019, 3235, u'\u0100', false},
      {1019, 3235, 0x1F, false},  {1019, 3235, u'\b', true},
      {1019, 2245, u'x', true},   {1001, 2029, u'"', true},    // fields without a class of their own
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dialog << "/" << c.control << " U+" << std::hex << int(c.ch));
    EXPECT_EQ(FdIsCharAccepted(FdFindFieldFilter(c.dialog, c.control).typed, c.ch) != 0, c.accepted);
  }
}

TEST(ExtFilters, PastedTextByField) {
  struct Case {
    uint16_t dialog, control;
    std::string text;  // bytes of the system code page
    int fieldBytes, optionBytes;
    bool accepted;
  } cases[] = {
      {4042, 3367, "AB-12", 0, 33, true},        {4042, 3367, "AB 12", 0, 33, false},
      {4042, 3367, "AB_12", 0, 33, false},       {4022, 3003, "user.name", 0, 129, true},
      {4022, 3003, "user:name", 0, 129, false},  {4022, 3006, "secret", 0, 193, false},
      {4043, 3373, "secret", 0, 193, false},     {4019, 2988, "key", 0, 33, false},
      {4020, 2996, "pw", 0, 193, false},         {4021, 2999, "key", 0, 33, false},
      {4029, 3110, "100", 0, 4, false},          {1019, 2245, "1234", 0, 9, false},
      {1019, 2241, "abc123", 0, 9, true},        {1019, 2241, "abc-123", 0, 9, false},
      {1010, 2241, "ab cd", 0, 9, false},        {1019, 2243, "report", 0, 65, true},
      {1019, 2243, "re\"port", 0, 65, false},    {1019, 3235, "code 1", 0, 33, true},
      {1019, 3235, "co\"de", 0, 33, false},      {1007, 2139, "any \"text\"", 0, 37, true},
      {1001, 2029, "12\"", 0, 4, true},          // a field without rules
      {4042, 3367, std::string(5000, 'A') + " ", 0, 33, false},  // far past the field
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dialog << "/" << c.control << " \"" << c.text.substr(0, 20) << "\"");
    const FdFieldFilter filter = FdFindFieldFilter(c.dialog, c.control);
    EXPECT_EQ(FdIsPasteAccepted(filter, c.text, c.fieldBytes, c.optionBytes) != 0, c.accepted);
  }
}

// Double-byte text of code page 932: a lead byte starts a character of two bytes.
class ExtFiltersDbcs : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    return facts;
  }
};

TEST_F(ExtFiltersDbcs, DoubleByteCharactersAndTheLastByteGuard) {
  const std::string hiragana = "\x82\xa0";  // one character; its trail byte is a double quote in
  const std::string quoteTrail = "\x81\x22";  // none, but 0x22 after a lead byte belongs to it
  struct Case {
    uint16_t dialog, control;
    std::string text;
    int fieldBytes, optionBytes;
    bool accepted;
  } cases[] = {
      {1019, 2243, "a" + hiragana, 0, 65, true},      // no DBCS rule for the file name
      {1019, 2243, quoteTrail, 0, 65, true},          // the quote is a trail byte
      {1019, 3235, hiragana, 0, 33, false},           // the billing code takes no DBCS
      {4022, 3003, hiragana, 0, 129, false},          {4042, 3367, hiragana, 0, 33, false},
      {1019, 2243, hiragana, 63, 65, false},          // the field holds size - 2 bytes
      {1019, 2243, hiragana, 62, 65, true},           {1019, 2243, "ab", 63, 65, true},
      {1019, 2423, hiragana, 15, 17, false},          {1007, 2139, hiragana, 35, 37, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dialog << "/" << c.control << " field " << c.fieldBytes);
    EXPECT_EQ(FdIsPasteAccepted(FdFindFieldFilter(c.dialog, c.control), c.text, c.fieldBytes, c.optionBytes) != 0,
              c.accepted);
  }
}

// ---- typed and pasted through the host ---------------------------------------------------------

TEST_F(ExtDialogs, WhatATypedOrPastedTextLeavesInTheField) {
  struct Case {
    const char* name;
    uint16_t dialog, control;
    DialogAction action;
    std::u16string shown;
  } cases[] = {
      {"colon refused in the user name", 4022, 3003, Type(3003, u"a:b\"c"), u"abc"},
      {"colon kept in the password", 4022, 3006, Type(3006, u"a:b"), u"a:b"},
      {"pasted password refused", 4022, 3006, Paste(3006, u"secret"), u""},
      {"pasted user name", 4022, 3003, Paste(3003, u"john.doe"), u"john.doe"},
      {"pasted user name with a colon", 4022, 3003, Paste(3003, u"john:doe"), u""},
      {"billing code letters and hyphen", 4042, 3367, Paste(3367, u"AB-12"), u"AB-12"},
      {"billing code with a blank", 4042, 3367, Paste(3367, u"AB 12"), u""},
      {"billing code typed", 4042, 3367, Type(3367, u"A b-1"), u"Ab-1"},
      {"disk limit paste", 4029, 3110, Paste(3110, u"999"), u"0"},
      {"long paste cut to the field", 4043, 3370, Paste(3370, std::u16string(400, u'x')), std::u16string(128, u'x')},
      {"long paste with a bad character", 4043, 3370, Paste(3370, std::u16string(300, u'x') + u":"), u""},
      {"user id typed past its field", 1019, 2241, Type(2241, u"abcdefghijkl"), u"abcdefgh"},
      {"password typed past its field", 1019, 2245, Type(2245, u"1234567890"), u"12345678"},
      {"billing code typed past its field", 4042, 3367, Type(3367, std::u16string(40, u'A')), std::u16string(32, u'A')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string shown = u"?";
    Preferences([&](DriverContext* ctx, HWND page) {
      RunDialog(ctx, page, c.dialog, {c.action}, [&](HWND modal) { shown = ui::Text(ui::FindControl(modal, c.control)); });
    });
    EXPECT_EQ(shown, c.shown);
  }
}

// ---- the dialogs' OK, Cancel and confirmations --------------------------------------------------

TEST_F(ExtDialogs, DialogsAsATableOfActionsAndTheirEffect) {
  using Data = std::vector<std::pair<std::u16string, std::optional<DWORD>>>;  // printer data afterwards
  struct Case {
    const char* name;
    uint16_t dialog;
    std::function<void(DriverContext*)> before;
    std::vector<DialogAction> actions;
    int result;
    Data data;
  };
  const auto none = [](DriverContext*) {};
  const std::vector<Case> cases = {
      {"disk limit stored", 4029, none, {Type(3110, u"500"), Click(IDOK)}, IDOK, {{u"DiskLimit", 500}}},
      {"unset disk limit keeps the dialog open", 4029, [](DriverContext* ctx) { OptSetValue(ctx, kOptDiskSpace, -1); },
       {Click(IDOK)}, IDCANCEL, {{u"DiskLimit", std::nullopt}}},
      {"disk limit cancelled", 4029, none, {Type(3110, u"500"), Click(IDCANCEL)}, IDCANCEL,
       {{u"DiskLimit", std::nullopt}}},
      {"hidden functions stored", 1065,
       [](DriverContext* ctx) {
         OptSetValue(ctx, kOptHidden2Func3, 1);
         OptSetValue(ctx, kOptHidden2Func4, 0);
         OptSetValue(ctx, kOptHidden2Func5, 0);
       },
       {Click(IDOK)}, IDOK, {{u"QVFSave", 1}, {u"QDFSave", std::nullopt}}},
      {"hidden functions with a disk limit", 1065,
       [](DriverContext* ctx) {
         OptSetValue(ctx, kOptHidden2Func4, 1);
         OptSetValue(ctx, kOptHidden2Func5, 1);
       },
       {Then({Type(3110, u"42"), Click(IDOK)}), Click(IDOK)}, IDOK, {{u"QDFSave", 1}, {u"DiskLimit", 42}}},
      {"hidden functions with a cancelled disk limit", 1065,
       [](DriverContext* ctx) { OptSetValue(ctx, kOptHidden2Func5, 1); }, {Then({Click(IDCANCEL)}), Click(IDOK)},
       IDCANCEL, {{u"DiskLimit", std::nullopt}}},
      {"user code refused at its confirmation", 1027, none, {Then({Click(IDNO)}), Click(IDOK)}, IDCANCEL, {}},
      {"user code confirmed", 1027, none, {Then({Click(IDYES)}), Click(IDOK)}, IDOK, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int result = 0;
    Data seen;
    HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
    for (const char16_t* name : {u"DiskLimit", u"QVFSave", u"QDFSave"}) {
      std::u16string value = name;
      DeletePrinterDataW(admin, value.data());
    }
    ClosePrinter(admin);
    // The disk limit and the hidden functions are the printer's: printer properties.
    Properties([&](DriverContext* ctx, HWND page) {
      c.before(ctx);
      result = RunDialog(ctx, page, c.dialog, c.actions);
      for (const auto& [name, value] : c.data) seen.emplace_back(name, PrinterDword(name.c_str()));
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(seen, c.data);
  }
}

TEST_F(ExtDialogs, JobPasswordMustBeConfirmed) {
  struct Case {
    const char* name;
    std::u16string password;
    std::u16string confirmation;  // empty: the confirmation is cancelled
    int result;
    std::u16string passwordAfter;
    bool mismatchMessage;
  } cases[] = {
      {"confirmed", u"1234", u"1234", IDOK, u"1234", false},
      {"differs", u"1234", u"9999", IDCANCEL, u"", true},
      {"cancelled", u"1234", u"", IDCANCEL, u"", false},
      {"eight digits confirmed", u"12345678", u"12345678", IDOK, u"12345678", false},
      {"eight digits, last one differs", u"12345678", u"12345679", IDCANCEL, u"", true},
      {"longer than the field", u"1234567890", u"12345678", IDOK, u"12345678", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Reset();
    int result = 0;
    std::u16string after = u"?", mismatch;
    bool masked = false;
    Preferences([&](DriverContext* ctx, HWND page) {
      OptSetValue(ctx, kOptPrnMethod, 1);
      mismatch = String(ctx, 10034);
      std::vector<DialogAction> confirm;
      if (!c.confirmation.empty()) confirm = {Type(2527, c.confirmation), Click(IDOK)};
      else confirm = {Click(IDCANCEL)};
      result = RunDialog(ctx, page, 1019, {Type(2245, c.password), Then(confirm), Answer(IDOK), Click(IDOK)},
                         [&](HWND modal) {
                           after = ui::Text(ui::FindControl(modal, 2245));
                           masked = (GetWindowLongW(ui::FindControl(modal, 2245), GWL_STYLE) & ES_PASSWORD) != 0;
                         });
      if (result == IDOK) {
        WCHAR kept[64] = {};
        OptGetControlText(ctx, 2245, kept, 64);
        after = kept;
      }
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(after, c.passwordAfter);
    if (result != IDOK) {
      EXPECT_TRUE(masked) << "the password field shows its text";
    }
    const auto texts = MessageTexts();
    EXPECT_EQ(Shows(texts, mismatch), c.mismatchMessage);
    for (const auto& t : texts) EXPECT_EQ(t.find(c.password.substr(0, 4)), std::u16string::npos) << "a message shows the password";
  }
}

TEST_F(ExtDialogs, StoreToFileRefusesBadAndTakenNames) {
  struct Case {
    const char* name;
    std::u16string file;
    bool exists;
    DWORD message;  // 0: accepted
  } cases[] = {
      {"question mark", u"a?b", false, 10051},
      {"backslash", u"dir\\name", false, 10051},
      {"taken", u"report", true, 10050},
      {"free", u"fresh", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Reset();
    int result = 0;
    std::u16string expected;
    int32_t charset = -1;
    Preferences([&](DriverContext* ctx, HWND page) {
      // The folder of stored jobs, and a job stored there before.
      const std::u16string folder = u"C:\\Jobs";
      IniWriteString(CfgPrinterSection(ctx), u"DrvDefJobMergePath", folder.c_str(), PathGetSettingsIni(ctx));
      CreateDirectoryW(folder.c_str(), nullptr);
      if (c.exists) WriteBytes(Real(folder + u"\\" + c.file + u".qvp"), "job");
      OptSetValue(ctx, kOptPrnMethod, 5);
      OptSetValue(ctx, kOptCharSet, 77);
      if (c.message) expected = String(ctx, c.message);
      result = RunDialog(ctx, page, 1019, {Type(2243, c.file), Answer(IDOK), Click(IDOK)});
      charset = OptGetValue(ctx, kOptCharSet, nullptr);
    });
    const auto boxes = ui::MessageBoxes();
    if (c.message) {
      EXPECT_EQ(result, IDCANCEL);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text.find(expected) != std::u16string::npos, true);
      EXPECT_EQ(boxes[0].caption, kPrinterName);
      EXPECT_EQ(boxes[0].type & MB_ICONMASK, UINT(MB_ICONWARNING));
    } else {
      EXPECT_EQ(result, IDOK);
      EXPECT_TRUE(boxes.empty());
      EXPECT_NE(charset, 77) << "the file name's character set is marked";
    }
  }
}

TEST_F(ExtDialogs, AuthenticationPasswordIsConfirmedAndNeverShown) {
  struct Case {
    const char* name;
    std::u16string confirmation;
    int result;
    bool mismatchMessage;
  } cases[] = {{"confirmed", u"pa:ss", IDOK, false}, {"differs", u"other", IDCANCEL, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Reset();
    int result = 0;
    std::u16string user, password, mismatch;
    Preferences([&](DriverContext* ctx, HWND page) {
      OptSetValue(ctx, kOptAuthMode, 1);
      mismatch = String(ctx, 12013);
      result = RunDialog(ctx, page, 4022,
                         {Type(3003, u"jo:hn"), Type(3006, u"pa:ss"), Then({Type(2996, c.confirmation), Click(IDOK)}),
                          Answer(IDOK), Click(IDOK)});
      user = OptionText(ctx, kOptAuthUserName);
      password = OptionText(ctx, kOptAuthPassword);
    });
    EXPECT_EQ(result, c.result);
    if (result == IDOK) {
      EXPECT_EQ(user, u"john");
      EXPECT_EQ(password, u"pa:ss");
    }
    EXPECT_EQ(Shows(MessageTexts(), mismatch), c.mismatchMessage);
    for (const auto& t : MessageTexts()) EXPECT_EQ(t.find(u"pa:ss"), std::u16string::npos);
  }
}

TEST_F(ExtDialogs, VersionDialogShowsTheDummyVersionAndPutsTheRealOneBack) {
  std::u16string during, before, after;
  Preferences([&](DriverContext* ctx, HWND page) {
    IniWriteString(u"common", u"DummyVersion", u"9.99", PathGetDriverIni(ctx));
    before = OptionText(ctx, kOptDriverVersion);
    RunDialog(ctx, page, 1025, {}, [&](HWND) { during = OptionText(ctx, kOptDriverVersion); });
    after = OptionText(ctx, kOptDriverVersion);
  });
  EXPECT_EQ(during, u"9.99");
  EXPECT_EQ(after, before);
  EXPECT_NE(before, u"9.99");
}

}  // namespace

namespace {

using namespace zolt::test;

// The text of a cell of a list view.
std::u16string Cell(HWND table, int row, int column) {
  WCHAR text[260] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 260;
  SendMessageW(table, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// The machine-information table lists its six rows with their cells; the version dialog's
// summary is built when it paints.
TEST_F(ExtDialogs, MachineInformationTableAndVersionSummary) {
  std::vector<std::u16string> rows;
  std::u16string lastCell, firstCell, summary;
  int columns = 0;
  Preferences([&](DriverContext* ctx, HWND page) {
    RunDialog(ctx, page, 4038, {}, [&](HWND modal) {
      HWND table = ui::FindControl(modal, 3341);
      rows = ui::Items(table);
      while (SendMessageW(table, LVM_GETCOLUMNWIDTH, WPARAM(columns), 0) > 0) ++columns;
      firstCell = Cell(table, 0, 1);
      lastCell = Cell(table, 5, 5);
    });
    RunDialog(ctx, page, 4027, {}, [&](HWND modal) { summary = ui::Text(ui::FindControl(modal, 3086)); });
  });
  EXPECT_EQ(rows, (std::vector<std::u16string>{u"Printer", u"Copier", u"Scanner", u"Fax", u"Document Box", u"Network"}));
  EXPECT_EQ(columns, 6);
  EXPECT_EQ(firstCell, u"-");
  EXPECT_EQ(lastCell, u"None");
  EXPECT_EQ(summary.rfind(u"Version Information\r\nDriver Version: ", 0), 0u) << std::string(summary.begin(), summary.end());
}

// Notify 14 runs the hidden-function dialog over printer properties; 66 greys the copy-guard
// and watermark controls of the layout page while their switches are set; 67 marks the combo
// notice as taken.
TEST_F(ExtDialogs, NotificationsOfTheExtensionModule) {
  bool hiddenOpened = false;
  uint16_t greyCopyGuard = 0, greyOther = 0, clearWatermark = 0;
  DWORD comboFlags = 0;
  Properties(
      [&](DriverContext* ctx, HWND page) {
        OptSetValue(ctx, 729, 1);  // zdmCallSrc: printer properties
        DialogDescriptor* current = OptFindDialog(ctx, uint16_t(ctx->dialogId));
        ui::WhenIdle([&](HWND modal) {
          hiddenOpened = ui::FindControl(modal, 2817) != nullptr;
          ui::Click(ui::FindControl(modal, IDCANCEL));
        });
        FmControlParam hidden{current, nullptr};
        FmBroadcastNotify(ctx, kFmNotifyHiddenFunction, &hidden);

        DialogDescriptor* layout = OptFindDialog(ctx, 1003);
        ASSERT_NE(layout, nullptr);
        OptSetValue(ctx, 543, 1);  // zdmFunc2SelectUICtrlCopyGuard
        OptSetValue(ctx, 544, 0);  // zdmFunc2SelectUICtrlWaterMark
        ControlDescriptor copyGuard{}, other{}, watermark{};
        copyGuard.controlId = 2928;
        other.controlId = 2100;
        watermark.controlId = 2090;
        for (ControlDescriptor* c : {&copyGuard, &other, &watermark}) {
          FmControlParam marks{layout, c};
          FmBroadcastNotify(ctx, kFmNotifyControlMarks, &marks);
        }
        greyCopyGuard = copyGuard.state & kControlGreyMask;
        greyOther = other.state & kControlGreyMask;
        clearWatermark = watermark.state & kControlGreyMask;

        FmComboChangedParam combo{nullptr, layout, 0, 1, 0};
        FmBroadcastNotify(ctx, kFmNotifyComboChanged, &combo);
        comboFlags = combo.flags;
        (void)page;
      },
      false);
  EXPECT_TRUE(hiddenOpened);
  EXPECT_EQ(greyCopyGuard, 1u << kControlGreyShift);
  EXPECT_EQ(greyOther, 0u);
  EXPECT_EQ(clearWatermark, 0u);
  EXPECT_EQ(comboFlags, 1u << 2);
}

// The perfect-binding dialog is the margin dialog's: the extension module passes each of its
// controls' messages to the margin handler and answers as it does, so none of its fields is
// filtered and the control kinds do the rest.
TEST_F(ExtDialogs, PerfectBindingDialogGoesToTheMarginHandler) {
  std::u16string head;
  int compared = 0, result = 0;
  Preferences([&](DriverContext* ctx, HWND page) {
    result = RunDialog(ctx, page, 4035, {Type(2277, u"5 mm\"x\""), Click(IDOK)}, {});
    DialogDescriptor* dialog = OptFindDialog(ctx, 4035);
    ASSERT_NE(dialog, nullptr);
    RunDialog(ctx, page, 4035, {Type(2277, u"5 mm\"x\"")}, [&](HWND modal) {
      head = ui::Text(ui::FindControl(modal, 2277));
      for (int i = 0; i < dialog->controlCount; ++i) {
        ControlDescriptor* c = &dialog->controls[i];
        const struct {
          DWORD message;
          WPARAM wParam;
        } messages[] = {{WM_COMMAND, MAKEWPARAM(c->controlId, EN_CHANGE)},
                        {WM_COMMAND, MAKEWPARAM(c->controlId, BN_CLICKED)},
                        {WM_CHAR, u':'},
                        {WM_PAINT, 0}};
        for (const auto& m : messages) {
          SCOPED_TRACE(c->controlId);
          EXPECT_EQ(FdHandleExtensionDialog(ctx, dialog, c, m.message, m.wParam, 0, nullptr),
                    FdMarginDialogProc(ctx, dialog, c, m.message, m.wParam, 0));
          ++compared;
        }
      }
    });
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(head, u"5 mm\"x\"");  // the job-type fields' filters are not this dialog's
  EXPECT_GT(compared, 100);
}

}  // namespace
