// The static dialog table (its rows, their symbols and kinds), the per-context copies and the
// binding of control rows to a context's own option rows.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "context_services.h"
#include "ctx_internal.h"
#include "machine_fixture.h"
#include "mdl_compile.h"

namespace {

using zolt::test::MachineTest;

const DialogDescriptor& Row(int i) { return kDialogTable.rows[i]; }

TEST(DialogTable, EveryRowIsNamedByItsSymbol) {
  ASSERT_EQ(kDialogTable.count, 89);
  ASSERT_EQ(CtxGetTemplate()->dialogTable, &kDialogTable);
  std::set<uint16_t> ids;
  std::set<std::string_view> names;
  for (int i = 0; i < kDialogTable.count; ++i) {
    const DialogDescriptor& d = Row(i);
    SCOPED_TRACE(d.name);
    const NameEntry* symbol = OptFindSymbolByName(d.name);
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->nameIndex, d.nameIndex);
    EXPECT_EQ(d.nameIndex, kDialogSymbolBase + i);
    EXPECT_EQ(symbol->optionId, 0);  // a dialog names no option
    EXPECT_EQ(OptFindSymbol(d.nameIndex), symbol);
    EXPECT_TRUE(std::string_view(d.name).starts_with("ZPD_"));
    EXPECT_GE(d.dialogId, 1001);
    EXPECT_LE(d.dialogId, 4046);
    ids.insert(d.dialogId);
    names.insert(d.name);
    // Every dialog owns control rows; the run-time fields start empty.
    EXPECT_NE(d.controls, nullptr);
    EXPECT_GT(d.controlCount, 0);
    EXPECT_EQ(d.reserved, 0);
    EXPECT_EQ(d.window, nullptr);
    EXPECT_EQ(d.modalState, 0u);
  }
  EXPECT_EQ(ids.size(), 89u);
  EXPECT_EQ(names.size(), 89u);
  // The rows around the symbols that are not dialogs' own.
  EXPECT_STREQ(Row(0).name, "ZPD_IDD_PRESET");
  EXPECT_STREQ(Row(63).name, "ZPD_FILEOPEN");
  EXPECT_STREQ(Row(88).name, "ZPD_IDD_DIALOG_ILLEGALCOPY_PROTECT");
}

TEST(DialogTable, KindsAndHelpTopics) {
  std::set<uint16_t> documentPages, printerPages, firstPages, undoOnCancel, fileDialogs;
  for (int i = 0; i < kDialogTable.count; ++i) {
    const DialogDescriptor& d = Row(i);
    if (d.kindFlags & kDialogDocumentPage) documentPages.insert(d.dialogId);
    if (d.kindFlags & kDialogPrinterPage) printerPages.insert(d.dialogId);
    if (d.kindFlags & kDialogFirstPages) firstPages.insert(d.dialogId);
    if (d.kindFlags & kDialogUndoOnCancel) undoOnCancel.insert(d.dialogId);
    if (d.kindFlags & (kDialogFileDialogs | kDialogFileCreation)) {
      fileDialogs.insert(d.dialogId);
      // The file dialogs are neither document nor printer pages, and have one kind bit each.
      EXPECT_EQ(d.kindFlags & (kDialogDocumentPage | kDialogPrinterPage), 0u) << d.name;
      EXPECT_EQ(d.kindFlags & (d.kindFlags - 1), 0u) << d.name;
    }
  }
  EXPECT_EQ(documentPages, (std::set<uint16_t>{1001, 1002, 1003, 1005, 1006, 1010, 4016, 4023}));
  EXPECT_EQ(printerPages, (std::set<uint16_t>{1008, 1011, 4019}));
  EXPECT_EQ(firstPages, (std::set<uint16_t>{1002, 1003, 1005, 4016}));
  for (uint16_t id : firstPages) EXPECT_TRUE(documentPages.count(id)) << id;
  EXPECT_EQ(undoOnCancel, (std::set<uint16_t>{1021, 1029, 1038}));
  EXPECT_EQ(fileDialogs, (std::set<uint16_t>{4001, 4002, 4003, 4007, 4008, 4009, 4015}));

  struct Case {
    const char* name;
    uint16_t dialogId;
    uint32_t kindFlags;
    uint32_t helpId;
  } cases[] = {
      {"ZPD_IDD_BASIC", 1002, 0x11, 22001},       {"ZPD_IDD_DIALOG_INIT", 1010, 0x5, 20301},
      {"ZPD_IDD_ADVANCED", 4019, 0xa, 26101},     {"ZPD_IDD_DIALOG_USER_TTF", 4004, 0x4, 21402},
      {"ZPD_IDD_DIALOG_PAPER_POS", 4018, 0x4, 20302}, {"ZPD_IDD_DIALOG_CREATE_MIDFILES", 4015, 0x8000, 0},
      {"ZPD_RPOREFER", 4008, 0x1000, 0},          {"ZPD_IDD_DIALOG_VERSION3", 4046, 0x4, 0},
  };
  for (const Case& c : cases) {
    const DialogDescriptor* d = OptFindDialogByName(nullptr, c.name);  // the template's table
    ASSERT_NE(d, nullptr) << c.name;
    EXPECT_EQ(d->dialogId, c.dialogId) << c.name;
    EXPECT_EQ(d->kindFlags, c.kindFlags) << c.name;
    EXPECT_EQ(d->helpId, c.helpId) << c.name;
  }
}

TEST(DialogTable, TheModelCompilerResolvesEveryDialogName) {
  for (int i = 0; i < kDialogTable.count; ++i) {
    uint16_t dialogId = 0;
    ASSERT_EQ(MdlFindDialogName(Row(i).name, &dialogId), 1) << Row(i).name;
    EXPECT_EQ(dialogId, Row(i).dialogId);
  }
  uint16_t dialogId = 7;
  EXPECT_EQ(MdlFindDialogName("ZPD_IDD_NOSUCHPAGE", &dialogId), 0);
  EXPECT_EQ(MdlFindDialogName("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", &dialogId), 0);  // a control, not a dialog
}

// Contexts made from the template, each with its own copy of the table.
class DialogContexts : public MachineTest {
 protected:
  DriverContext* Create() {
    DriverContext* ctx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr,
                                            kCtxKindTablesOnly, kCtxModeUi);
    EXPECT_NE(ctx, nullptr);
    return ctx;
  }
  static void Destroy(DriverContext* ctx) {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
};

TEST_F(DialogContexts, TwoContextsOpenTheSamePageWithoutMixingWindows) {
  DriverContext* a = Create();
  DriverContext* b = Create();
  ASSERT_TRUE(a && b);
  ASSERT_NE(a->dialogTable, nullptr);
  ASSERT_NE(a->dialogTable, b->dialogTable);
  ASSERT_EQ(a->dialogTable->count, 89);
  for (int i = 0; i < 89; ++i) {
    const DialogDescriptor& copy = a->dialogTable->rows[i];
    EXPECT_NE(&copy, &Row(i));
    EXPECT_EQ(copy.dialogId, Row(i).dialogId);
    EXPECT_EQ(copy.nameIndex, Row(i).nameIndex);
    EXPECT_EQ(copy.kindFlags, Row(i).kindFlags);
    EXPECT_EQ(copy.name, Row(i).name);
    EXPECT_EQ(copy.helpId, Row(i).helpId);
  }

  DialogDescriptor* pageA = OptFindDialog(a, 1002);
  DialogDescriptor* pageB = OptFindDialog(b, 1002);
  ASSERT_TRUE(pageA && pageB);
  HWND windowA = reinterpret_cast<HWND>(0xA0), windowB = reinterpret_cast<HWND>(0xB0);
  pageA->window = windowA;
  pageA->modalState = 3;
  pageB->window = windowB;
  EXPECT_EQ(OptFindDialogByWindow(a, windowA), pageA);
  EXPECT_EQ(OptFindDialogByWindow(a, windowB), nullptr);
  EXPECT_EQ(OptFindDialogByWindow(b, windowB), pageB);
  EXPECT_EQ(pageB->modalState, 0u);
  EXPECT_EQ(OptFindDialog(nullptr, 1002), nullptr);
  // The static rows stay as they were.
  EXPECT_EQ(OptFindDialogByName(nullptr, "ZPD_IDD_BASIC")->window, nullptr);
  Destroy(a);
  Destroy(b);
}

// A dialog of control rows bound to symbols of several sorts; every static row points at a
// foreign option row, which no context may keep.
OptionEntry gForeignRow{};
ControlDescriptor gControls[] = {
    // ZPD_IDC_PRESET_CHOICE_PAPERSIZE: a control symbol that the name table ties to dmPaperSize (8)
    {406, 2017, 21, 0, 10101, 0, 0, 0, 0, 0, nullptr, &gForeignRow, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
    // ZPD_PrintQuality: the name index of the dmPrintQuality (14) row itself
    {62, 2100, 22, 0, 0, 0, 0, 0, 0, 0, nullptr, &gForeignRow, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
    // ZPD_IDD_DIALOG_LIMITATION_OK: a symbol that names no option
    {620, 1, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, &gForeignRow, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
    // no symbol
    {0, 2101, 1, 0, 0, 0, 0, 0, 0, 0, nullptr, &gForeignRow, nullptr, nullptr, 0, 0, 0, nullptr, 0, 0, 0},
};
const DialogDescriptor gDialogs[] = {
    {1001, 304, 0x1, "ZPD_IDD_PRESET", 20101, gControls, 0, 4, nullptr, 0},
    {1009, 327, 0x4, "ZPD_IDD_TTF", 23201, nullptr, 0, 0, nullptr, 0},
};
const StaticDialogTable gTable = {2, gDialogs};

TEST_F(DialogContexts, ControlRowsAreBoundToTheContextsOwnOptionRows) {
  DriverContext* a = Create();
  DriverContext* b = Create();
  ASSERT_TRUE(a && b);
  for (DriverContext* ctx : {a, b}) {
    OptFreeDialogTable(ctx->dialogTable);
    ctx->dialogTable = OptCopyDialogTable(&gTable);
    ASSERT_NE(ctx->dialogTable, nullptr);
    OptBindDialogOptions(ctx);
  }
  ControlDescriptor* paperA = OptFindControl(a, nullptr, 2017);
  ControlDescriptor* paperB = OptFindControl(b, nullptr, 2017);
  ASSERT_TRUE(paperA && paperB);
  EXPECT_EQ(paperA->option, OptFind(a, 8));
  EXPECT_EQ(paperB->option, OptFind(b, 8));
  EXPECT_NE(paperA->option, paperB->option);
  EXPECT_EQ(OptFindControl(a, nullptr, 2100)->option, OptFind(a, 14));
  EXPECT_EQ(OptFindControl(a, nullptr, 1)->option, nullptr);
  EXPECT_EQ(OptFindControl(a, nullptr, 2101)->option, nullptr);
  // The copy keeps the other fields; the static rows are never written.
  EXPECT_EQ(paperA->helpId, 10101);
  EXPECT_EQ(paperA->kind, 21);
  EXPECT_EQ(gControls[0].option, &gForeignRow);
  Destroy(a);
  Destroy(b);
}

}  // namespace
