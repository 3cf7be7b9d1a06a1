// Creation and destruction of driver contexts: what a context of each kind holds, its own
// copies of the tables and the profile, and the kinds that cannot be built yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "context_services.h"
#include "ctx_internal.h"

namespace {

HANDLE Printer(uintptr_t n) { return reinterpret_cast<HANDLE>(n); }

class CtxCreation : public ::testing::Test {
 protected:
  void TearDown() override {
    CtxSetInstallationFlag(0);
    CtxPurgeCache(1);
  }
};

TEST_F(CtxCreation, TablesOnlyContextHoldsItsOwnCopiesAndNoImages) {
  DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(2), nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  const ContextTemplate* tmpl = CtxGetTemplate();

  EXPECT_EQ(ctx->printer, Printer(1));
  EXPECT_EQ(ctx->printer2, Printer(2));
  EXPECT_EQ(ctx->dialogId, 0u);
  EXPECT_EQ(ctx->settingsImage, nullptr);
  EXPECT_EQ(ctx->modelImage, nullptr);
  EXPECT_EQ(ctx->nameTable, tmpl->nameTable);  // shared, never copied
  EXPECT_EQ(ctx->valueNames1, tmpl->valueNames1);
  EXPECT_EQ(ctx->valueNames2, tmpl->valueNames2);
  EXPECT_EQ(ctx->messageTable, tmpl->messageTable);

  ASSERT_NE(ctx->optionTable, nullptr);
  ASSERT_EQ(ctx->optionTable->count, tmpl->optionTable->count);
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    const OptionEntry& row = ctx->optionTable->rows[i];
    const OptionDescriptor& source = tmpl->optionTable->rows[i];
    ASSERT_EQ(row.id, source.id);
    EXPECT_EQ(row.flags, 0u);
    ASSERT_NE(row.labels, nullptr);
    EXPECT_EQ(row.labels->fieldName, source.fieldName);
    EXPECT_EQ(OptFind(ctx, source.id), &row);
  }

  ASSERT_NE(ctx->profile, nullptr);
  EXPECT_NE(ctx->profile, tmpl->profile);
  EXPECT_EQ(std::memcmp(ctx->profile, tmpl->profile, sizeof(DriverProfile)), 0);

  const ContextWorkArea* wa = ctx->workArea;
  ASSERT_NE(wa, nullptr);
  for (SettingsImage* image : wa->undoImages) EXPECT_NE(image, nullptr);
  EXPECT_NE(wa->savedImage, nullptr);
  EXPECT_NE(wa->lockDefaultImage, nullptr);  // feature 2 is on
  EXPECT_EQ(wa->contextKind, kCtxKindTablesOnly);
  EXPECT_EQ(wa->creationMode, kCtxModeUi);
  EXPECT_EQ(wa->takeMutex, 1u);
  EXPECT_EQ(wa->adminCheck, 1u);
  EXPECT_EQ(wa->modelCapability, 0u);
  EXPECT_EQ(wa->evalStack, nullptr);
  EXPECT_EQ(wa->printerInfo2, nullptr);
  EXPECT_EQ(wa->driverInfo2, nullptr);
  EXPECT_EQ(wa->driverInfo3, nullptr);
  EXPECT_EQ(wa->qualifiedPrinterName[0], u'\0');
  EXPECT_EQ(wa->settingsIniPath[0], u'\0');
  EXPECT_EQ(wa->remoteState, 0u);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(CtxCreation, TheWorkAreaIsZeroExceptWhatCreationSets) {
  DriverContext* ctx = CtxCreateForDocument(Printer(1), Printer(1), nullptr, kCtxModeDocumentNoUi, 0, nullptr, nullptr,
                                            nullptr);
  EXPECT_EQ(ctx, nullptr);  // kind 0 needs the model
  ctx = CtxCreateWithPrinterInfo(Printer(1), Printer(1), nullptr, 0x305, kCtxModeDocumentNoUi, 2, nullptr);
  ASSERT_NE(ctx, nullptr);
  ContextWorkArea rest = *ctx->workArea;
  EXPECT_EQ(rest.contextKind, 5);
  EXPECT_EQ(rest.creationMode, kCtxModeDocumentNoUi);
  EXPECT_EQ(rest.documentMode, 2u);
  for (SettingsImage*& image : rest.undoImages) image = nullptr;
  rest.savedImage = rest.lockDefaultImage = nullptr;
  EXPECT_NE(rest.moduleList, nullptr);  // the feature modules are attached
  rest.moduleList = nullptr;
  rest.contextKind = 0;
  rest.creationMode = rest.documentMode = 0;
  // The language code of the installed help file ("us" without one).
  EXPECT_EQ(std::u16string(rest.languageCode), u"us");
  std::fill(std::begin(rest.languageCode), std::end(rest.languageCode), u'\0');
  const ContextWorkArea zero{};
  EXPECT_EQ(std::memcmp(&rest, &zero, sizeof rest), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(CtxCreation, FlagsAndModeReachTheWorkArea) {
  struct Case {
    WORD flags;
    DWORD mode;
    bool installing;
    DWORD takeMutex, adminCheck, storedMode;
  };
  const Case cases[] = {
      {0x104, kCtxModeUi, false, 0, 1, kCtxModeUi},
      {0x204, kCtxModeUi, false, 1, 0, kCtxModeUi},
      {0x1b04, kCtxModeUi, false, 0, 0, kCtxModeUi},
      {0x4, kCtxModeGraphics, false, 1, 1, kCtxModeGraphicsStored},
      {0x9, kCtxModeDeviceCaps, true, 1, 1, kCtxModeDeviceCaps | kCtxModeInstallation},
      // The installation bit comes first, so the graphics mode is no longer exactly 0x10000.
      {0x4, kCtxModeGraphics, true, 1, 1, kCtxModeGraphics | kCtxModeInstallation},
  };
  for (const Case& c : cases) {
    CtxSetInstallationFlag(c.installing ? 1 : 0);
    DriverContext* ctx = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, c.flags, c.mode);
    ASSERT_NE(ctx, nullptr) << std::hex << c.flags;
    EXPECT_EQ(ctx->workArea->takeMutex, c.takeMutex) << std::hex << c.flags;
    EXPECT_EQ(ctx->workArea->adminCheck, c.adminCheck) << std::hex << c.flags;
    EXPECT_EQ(ctx->workArea->creationMode, c.storedMode) << std::hex << c.flags;
    EXPECT_EQ(ctx->workArea->contextKind, c.flags & 0xff);
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
}

TEST_F(CtxCreation, ContextsNeverShareTheirTables) {
  DriverContext* a = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 4, kCtxModeUi);
  DriverContext* b = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 4, kCtxModeUi);
  ASSERT_TRUE(a && b);
  ASSERT_GT(a->optionTable->count, 0);
  EXPECT_NE(a->optionTable->rows, b->optionTable->rows);
  EXPECT_NE(a->optionTable->rows[0].labels, b->optionTable->rows[0].labels);
  EXPECT_NE(a->profile, b->profile);
  EXPECT_NE(a->workArea, b->workArea);

  OptionEntry* rowA = OptFind(a, 1);
  ASSERT_NE(rowA, nullptr);
  rowA->flags = 0x80010000u;
  rowA->stateBits |= 1;
  rowA->labels->fieldName = u"changed";
  a->profile->settingsVersion = 1;
  a->workArea->optionsChanged = 1;

  const OptionEntry* rowB = OptFind(b, 1);
  EXPECT_EQ(rowB->flags, 0u);
  EXPECT_EQ(rowB->stateBits & 1, 0);
  EXPECT_EQ(rowB->labels->fieldName, CtxGetTemplate()->optionTable->rows[0].fieldName);
  EXPECT_EQ(b->profile->settingsVersion, 335u);
  EXPECT_EQ(CtxGetTemplate()->profile->settingsVersion, 335u);
  EXPECT_EQ(b->workArea->optionsChanged, 0u);
  EXPECT_EQ(CtxGetTemplate()->workArea->optionsChanged, 0u);

  // A new context starts again from the template.
  DriverContext* c = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 4, kCtxModeUi);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(OptFind(c, 1)->flags, 0u);
  for (DriverContext* ctx : {a, b, c}) CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(CtxCreation, KindsThatNeedAModelCannotBeCreatedYet) {
  for (WORD flags : {0x0, 0x1, 0x2, 0x3, 0x400, 0x300, 0x301}) {
    EXPECT_EQ(CtxCreateWithFlags(Printer(1), Printer(1), nullptr, flags, kCtxModeUi), nullptr) << flags;
  }
  EXPECT_EQ(CtxCreateForPrinter(Printer(1), Printer(1), nullptr, kCtxModeGraphics), nullptr);
  EXPECT_EQ(CtxCreate(Printer(1), Printer(1), nullptr, kCtxModeUi, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CtxCreateForDocument(Printer(1), Printer(1), nullptr, kCtxModeDocumentNoUi, 2, nullptr, nullptr, nullptr),
            nullptr);
}

TEST_F(CtxCreation, ReleaseOfEveryKindFreesOrParks) {
  // Each release kind on a live context: parked ones are freed by the final purge; the
  // sanitizer reports anything left behind.
  for (int kind : {0, 1, 4, 5, 7}) {
    DriverContext* ctx = CtxCreateWithFlagsAndInfo(Printer(3), Printer(3), nullptr, 4, kCtxModeUi, nullptr, nullptr,
                                                   nullptr);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(CtxReleaseAs(ctx, static_cast<WORD>(kind)), 1);
  }
  EXPECT_EQ(CtxRelease(nullptr), 0);
}

TEST(DriverProfile, HoldsTheFamilyValues) {
  const DriverProfile* p = CtxGetTemplate()->profile;
  EXPECT_EQ(p->specVersion, 0x401);
  EXPECT_EQ(p->driverVersion, 0x400);
  EXPECT_EQ(std::u16string_view(p->settingsFileName), u"QVF9D170.ini");
  EXPECT_EQ(p->defaultFields, 0x7f03u);
  EXPECT_EQ(p->maxCopies, 9999);
  EXPECT_EQ(p->landscapeAngle, 90u);
  EXPECT_EQ(p->defaultPaperSize, 9);
  EXPECT_EQ(p->defaultSource, 7);
  EXPECT_EQ(p->defaultTTOption, 3);
  EXPECT_EQ(p->defaultCollate, 0);
  EXPECT_EQ(std::u16string_view(p->defaultFormName), u"A4");
  EXPECT_EQ(p->scaleMax, 1000u);
  EXPECT_EQ(std::memcmp(p->devModeIdentity, "priv", 4), 0);
  EXPECT_EQ(p->settingsVersion, 335u);
  EXPECT_EQ(p->modelCode, 23);
  EXPECT_EQ(p->resetBytes[3], 9);
  EXPECT_EQ(std::u16string_view(p->defaultDriverName), u"JP");
  EXPECT_EQ(std::u16string_view(p->driverIniName), u"QVF9D172.ini");
  EXPECT_EQ(std::u16string_view(p->driverVersionString), u"7.70");
  EXPECT_EQ(p->storedSettingsVersion, 335u);
  EXPECT_EQ(p->paperMinWidth, 3306u);
  EXPECT_EQ(p->paperMaxLength, 20408u);
  EXPECT_EQ(p->featureWordLegacy, 0u);
  EXPECT_EQ(p->featureWord, 1u);
  EXPECT_EQ(CtxGetLandscapeAngle(nullptr), 90);
}

TEST(DriverProfile, ModelListLookupIsExactAndCaseSensitive) {
  ASSERT_EQ(CtxGetSupportedModelCount(nullptr), 4);
  const SupportedModel* first = CtxGetSupportedModel(nullptr, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CtxGetSupportedModel(nullptr, 4), nullptr);
  EXPECT_EQ(CtxGetSupportedModel(nullptr, -1), nullptr);
  for (int i = 0; i < 4; ++i) {
    const SupportedModel* m = CtxGetSupportedModel(nullptr, i);
    EXPECT_EQ(CtxFindModelEntry(nullptr, m->modelName), m);
    EXPECT_EQ(m->capability, 0u);
  }
  std::u16string lower(first->modelName);
  for (char16_t& ch : lower) ch = (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch + 32) : ch;
  EXPECT_EQ(CtxFindModelEntry(nullptr, lower.c_str()), nullptr);
  std::u16string longer = std::u16string(first->modelName) + u"X";
  EXPECT_EQ(CtxFindModelEntry(nullptr, longer.c_str()), nullptr);
  EXPECT_EQ(CtxFindModelEntry(nullptr, u""), nullptr);
  EXPECT_EQ(CtxFindModelEntry(nullptr, nullptr), nullptr);

  DriverContext ctx{};
  ContextWorkArea wa{};
  ctx.workArea = &wa;
  EXPECT_EQ(CtxHasModelCapability(&ctx, 0xFFFFFFFF), 0);
  wa.modelCapability = 2;
  EXPECT_EQ(CtxHasModelCapability(&ctx, 1), 0);
  EXPECT_EQ(CtxHasModelCapability(&ctx, 3), 1);
}

}  // namespace
