// The message table and its lookups; the dialog and control lookups over a context's own copy
// of a dialog table.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string_view>

#include "ctx_internal.h"

namespace {

TEST(MessageTable, HoldsTheThirtySixAlertMessages) {
  ASSERT_EQ(OptGetMessageCount(nullptr), 36);
  std::set<uint16_t> nameIndexes;
  for (int i = 0; i < 36; ++i) {
    const MessageEntry* m = OptGetMessageEntry(nullptr, i);
    ASSERT_NE(m, nullptr);
    nameIndexes.insert(m->nameIndex);
    const std::string_view name = m->name;
    EXPECT_TRUE(name.starts_with("ZPD_") && name.ends_with("Message")) << name;
    EXPECT_EQ(m->captionStringId, 0);
    EXPECT_EQ(m->style, 0);
    EXPECT_EQ(m->reserved, 0u);
    EXPECT_EQ(m->nameIndex, 268 + i);  // in name-index order, one symbol each
  }
  EXPECT_EQ(nameIndexes.size(), 36u);
  EXPECT_EQ(OptGetMessageEntry(nullptr, -1), nullptr);
  EXPECT_EQ(OptGetMessageEntry(nullptr, 36), nullptr);
}

TEST(MessageTable, FindsByNameIndexAndName) {
  struct Case {
    uint16_t nameIndex;
    uint16_t stringId;
    const char* name;
  };
  const Case cases[] = {
      {268, 235, "ZPD_ScaleIllegalMessage"},
      {275, 12059, "ZPD_DuplexOnMessage"},
      {296, 10062, "ZPD_OverlaySaveBuffNuffMessage"},
      {302, 13781, "ZPD_DuplexOnSkipFeedOffMessage"},
      {303, 14185, "ZPD_PrintSizeIllegal2Message"},
  };
  for (const Case& c : cases) {
    const MessageEntry* byIndex = OptFindMessage(nullptr, c.nameIndex);
    ASSERT_NE(byIndex, nullptr) << c.name;
    EXPECT_EQ(byIndex->stringId, c.stringId);
    EXPECT_STREQ(byIndex->name, c.name);
    EXPECT_EQ(OptFindMessageByName(nullptr, c.name), byIndex);
  }
  EXPECT_EQ(OptFindMessage(nullptr, 267), nullptr);
  EXPECT_EQ(OptFindMessage(nullptr, 304), nullptr);
  EXPECT_EQ(OptFindMessageByName(nullptr, "ZPD_scaleillegalmessage"), nullptr);  // case-sensitive
  EXPECT_EQ(OptFindMessageByName(nullptr, nullptr), nullptr);

  // A context reads its own message table.
  const MessageEntry own[] = {{268, 1, 0, 0, "ZPD_Own", 0}};
  const MessageTable ownTable = {1, own};
  DriverContext ctx{};
  ctx.messageTable = &ownTable;
  EXPECT_EQ(OptFindMessage(&ctx, 268), &own[0]);
  EXPECT_EQ(OptFindMessageByName(&ctx, "ZPD_ScaleIllegalMessage"), nullptr);
  EXPECT_EQ(OptGetMessageCount(&ctx), 1);
}

// Two pages that both carry control 2001; the second page also has a control bound to the
// symbol of "IDOKBUTTON" (name index 1 in the name table).
ControlDescriptor gBasicControls[] = {
    {500, 2001, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
    {501, 2002, 2, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
};
ControlDescriptor gEditControls[] = {
    {502, 2001, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
    {1, 2003, 4, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
};
const DialogDescriptor gDialogs[] = {
    {1002, 305, 0x11, "ZPD_IDD_BASIC", 22001, gBasicControls, 0, 2, nullptr, 0},
    {1003, 306, 0x11, "ZPD_IDD_EDIT", 22301, gEditControls, 0, 2, nullptr, 0},
    {1009, 307, 0x4, "ZPD_IDD_TTF", 23201, nullptr, 0, 0, nullptr, 0},
};
const StaticDialogTable gTable = {3, gDialogs};

class DialogLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.dialogTable = OptCopyDialogTable(&gTable);
    ASSERT_NE(ctx_.dialogTable, nullptr);
  }
  void TearDown() override { OptFreeDialogTable(ctx_.dialogTable); }
  DriverContext ctx_{};
};

TEST_F(DialogLookup, TheCopyIsDeepAndOwnsItsControlRows) {
  DialogDescriptor* basic = OptFindDialog(&ctx_, 1002);
  ASSERT_NE(basic, nullptr);
  EXPECT_NE(basic, &gDialogs[0]);
  EXPECT_NE(basic->controls, gBasicControls);
  basic->controls[0].state = 7;
  basic->window = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(gBasicControls[0].state, 0);
  EXPECT_EQ(gDialogs[0].window, nullptr);
  EXPECT_EQ(OptFindDialog(&ctx_, 1009)->controls, nullptr);
}

TEST_F(DialogLookup, FindsDialogsByIdWindowAndName) {
  DialogDescriptor* edit = OptFindDialog(&ctx_, 1003);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(OptFindDialog(&ctx_, 1004), nullptr);
  HWND window = reinterpret_cast<HWND>(0x99);
  edit->window = window;
  EXPECT_EQ(OptFindDialogByWindow(&ctx_, window), edit);
  EXPECT_EQ(OptFindDialogByWindow(&ctx_, nullptr), nullptr);  // closed dialogs have no window
  EXPECT_EQ(OptFindDialogByName(&ctx_, "ZPD_IDD_EDIT"), edit);
  EXPECT_EQ(OptFindDialogByName(&ctx_, "ZPD_IDD_edit"), nullptr);
  EXPECT_EQ(OptFindDialog(nullptr, 1003), nullptr);
}

TEST_F(DialogLookup, FindsControlsInOneDialogOrInTableOrder) {
  DialogDescriptor* basic = OptFindDialog(&ctx_, 1002);
  DialogDescriptor* edit = OptFindDialog(&ctx_, 1003);
  // Without a dialog the first page in table order wins.
  EXPECT_EQ(OptFindControl(&ctx_, nullptr, 2001), &basic->controls[0]);
  EXPECT_EQ(OptFindControl(&ctx_, edit, 2001), &edit->controls[0]);
  EXPECT_EQ(OptFindControl(&ctx_, basic, 2003), nullptr);
  EXPECT_EQ(OptFindControl(&ctx_, nullptr, 2003), &edit->controls[1]);

  EXPECT_EQ(OptFindControlBySymbol(&ctx_, nullptr, 502), &edit->controls[0]);
  EXPECT_EQ(OptFindControlByName(&ctx_, nullptr, "IDOKBUTTON"), &edit->controls[1]);
  EXPECT_EQ(OptFindControlByName(&ctx_, basic, "IDOKBUTTON"), nullptr);
  EXPECT_EQ(OptFindControlByName(&ctx_, nullptr, "NO_SUCH_SYMBOL"), nullptr);

  HWND window = reinterpret_cast<HWND>(0x42);
  edit->controls[0].window = window;
  EXPECT_EQ(OptFindControlByWindow(&ctx_, nullptr, window), &edit->controls[0]);
  EXPECT_EQ(OptFindControlByWindow(&ctx_, basic, window), nullptr);

  EXPECT_EQ(OptGetControl(basic, 1), &basic->controls[1]);
  EXPECT_EQ(OptGetControl(basic, 2), nullptr);
  EXPECT_EQ(OptGetControl(basic, -1), nullptr);
  EXPECT_EQ(OptGetControl(nullptr, 0), nullptr);
}

}  // namespace

namespace {

TEST(SymbolLookup, FindsTheButtonSymbolsByIndexAndName) {
  const char* buttons[] = {"IDOKBUTTON",     "IDCANCELBUTTON", "IDABORTBUTTON", "IDRETRYBUTTON", "IDIGNOREBUTTON",
                           "IDYESBUTTON",    "IDNOBUTTON",     "IDCLOSEBUTTON", "IDHELPBUTTON"};
  for (uint16_t i = 1; i <= 9; ++i) {
    const NameEntry* byIndex = OptFindSymbol(i);
    ASSERT_NE(byIndex, nullptr) << i;
    EXPECT_STREQ(byIndex->name, buttons[i - 1]);
    EXPECT_EQ(byIndex->optionId, 0);
    EXPECT_EQ(OptFindSymbolByName(buttons[i - 1]), byIndex);
  }
  EXPECT_EQ(OptFindSymbol(0), nullptr);
  EXPECT_EQ(OptFindSymbolByName("idokbutton"), nullptr);
  EXPECT_EQ(OptFindSymbolByName(nullptr), nullptr);
  EXPECT_EQ(OptFindValueSymbolByName(nullptr), nullptr);
  EXPECT_EQ(OptFindValueSymbol(0, 0xFFFF), nullptr);
}

}  // namespace
