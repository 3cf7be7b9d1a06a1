// The built-in functions of rule actions: the sheet engine's own codes are kept from the feature
// modules, every other code is offered to them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "feature_modules.h"
#include "option_context_words.h"
#include "ui_services.h"

namespace {

std::vector<WORD> g_offered;

int Record(DriverContext*, WORD code, void*) {
  g_offered.push_back(code);
  return 1;
}

TEST(UiServices, BuiltInFunctionsOfTheSheetEngineAreKeptFromTheModules) {
  FeatureModule row{0, nullptr, &Record, nullptr, nullptr};
  FeatureModuleList list{1, &row};
  auto area = std::make_unique<ContextWorkArea>();
  area->moduleList = &list;
  DriverContext ctx{};
  ctx.workArea = area.get();

  struct Case {
    WORD code;
    bool offered;
    uint32_t pending;
  };
  const Case cases[] = {
      {kBuiltInFuncRate, false, 0},          {kBuiltInFuncClearDialog, false, 0x10000000},
      {kBuiltInFuncPaperFreeSize, false, 0}, {kBuiltInFuncPrintFreeSize, false, 0},
      {0, true, 0},                          {111, true, 0},
      {324, true, 0},                        {10002, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    g_offered.clear();
    CtxAddPendingFlags(&ctx, 0);
    UiRunBuiltInFunc(&ctx, c.code);
    EXPECT_EQ(g_offered, c.offered ? std::vector<WORD>{c.code} : std::vector<WORD>{});
    EXPECT_EQ(CtxGetPendingFlags(&ctx), c.pending);
  }
  UiRunBuiltInFunc(nullptr, 111);  // nothing happens
  EXPECT_EQ(UiImpersonatePrinterClient(nullptr), FALSE);
}

}  // namespace
