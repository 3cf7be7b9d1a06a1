// The cached option getters of the finishing rules and the installed-finisher family tests.
#include <array>
#include <initializer_list>

#include "finishing_rules.h"
#include "option_access.h"

namespace {

// Marks of the getters whose option depends on the model code.
enum : uint16_t {
  kByModelMarks = 0xFF00,
  kByModelTray5Paper = kByModelMarks,
  kByModelTray5Feed,
  kByModelTray5Lock,
  kByModelFamilyNa,
  kByModelFamilyEu,
  kByModelFamilyNe,
  kByModelFamilyFourth,
};

// Option of each getter; a value from kByModelMarks on marks a model-dependent choice.
constexpr std::array<uint16_t, kFinishingGetterCount> kGetterOptions = {
    7, 13, 125, 123,                                                      // source, trays
    63, 121, 62, 120, 56, 92, 58, 94,                                     // finishing selections
    10175, 10176, 10177, 10178, kByModelTray5Paper, 10180, 10181, 10200, 10202, 10203, 10204,
    10143, 10144, 10145, 10146, kByModelTray5Feed, 10148, 10149, 10168, 10170, 10171, 10172,
    10239, 10240, 10241, 10242, kByModelTray5Lock, 10244, 10245, 10264, 10266, 10267,
    10021, 10022, 10018,                                                  // installed sources
    10049, 10059, 10060, 10061,                                           // single finishers
    10058, 10074, 10075, 10076, 10077,                                    // Fin2000
    10050, 10078, 10079, 10080, 10081,                                    // Fin3000
    10082, 10086, 10087, 10088, 10089,                                    // FinMF/FIN1
    kByModelFamilyNa, kByModelFamilyEu, kByModelFamilyNe, kByModelFamilyFourth,
    10083, 10090, 10091, 10092, 10093,                                    // Fin50/FIN2
    10084, 10094, 10095, 10096, 10097,                                    // Fin100/FIN3
    10102, 10098, 10099, 10100, 10101, 10103,                             // Dom
    10102, 10098, 10099, 10100, 10101,                                    // Fin1Dom/FIN4
    10104,                                                                // Fin3Dom
    10105, 10098, 10099, 10100, 10101,                                    // Fin4Dom/FIN4
};

BYTE ModelCode(const DriverContext* ctx) { return ctx && ctx->profile ? ctx->profile->modelCode : 0; }

uint16_t ModelDependentOption(const DriverContext* ctx, uint16_t mark) {
  const BYTE model = ModelCode(ctx);
  const bool ownTray5 = model == 144 || model == 150;
  switch (mark) {
    case kByModelTray5Paper: return ownTray5 ? 10179 : 10200;
    case kByModelTray5Feed: return ownTray5 ? 10147 : 10168;
    case kByModelTray5Lock: return ownTray5 ? 10243 : 10264;
    default: break;
  }
  static constexpr uint16_t kFin4[4] = {10098, 10099, 10100, 10101};
  static constexpr uint16_t kModel162[4] = {10078, 10079, 10100, 10080};
  static constexpr uint16_t kFin2[4] = {10090, 10091, 10092, 10093};
  const uint16_t* set = (model == 158 || model == 186 || model == 165) ? kFin4 : model == 162 ? kModel162 : kFin2;
  return set[mark - kByModelFamilyNa];
}

int AnyInstalled(DriverContext* ctx, std::initializer_list<int> members) {
  for (int getter : members)
    if (OptGetFinishingOption(ctx, getter) != 0) return 1;
  return 0;
}

}  // namespace

int32_t OptGetValueCached(DriverContext* ctx, uint16_t id, OptionEntry** slot) {
  if (!ctx || !slot) return 0;
  if (*slot) return OptReadValue(ctx, *slot);
  OptionEntry* row = nullptr;
  const int32_t value = OptGetValue(ctx, id, &row);
  if (row) *slot = row;
  return value;
}

uint16_t OptFinishingGetterOption(const DriverContext* ctx, int getter) {
  if (getter < 0 || getter >= kFinishingGetterCount) return 0;
  const uint16_t option = kGetterOptions[getter];
  return option >= kByModelMarks ? ModelDependentOption(ctx, option) : option;
}

int32_t OptGetFinishingOption(DriverContext* ctx, int getter) {
  if (!ctx || !ctx->workArea || getter < 0 || getter >= kFinishingGetterCount) return 0;
  const int32_t value = OptGetValueCached(ctx, OptFinishingGetterOption(ctx, getter), &ctx->workArea->finishingRows[getter]);
  return getter == kGetFuncNup ? static_cast<uint16_t>(value) : value;
}

int OptIsFin2000Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin2000, kGetFin2000Na, kGetFin2000Eu, kGetFin2000Ne, kGetFin2000NoPunch});
}
int OptIsFin3000Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin3000, kGetFin3000Na2, kGetFin3000Eu2, kGetFin3000Na3, kGetFin3000NoPunch});
}
int OptIsFin2000Or3000Installed(DriverContext* ctx) { return OptIsFin2000Installed(ctx) || OptIsFin3000Installed(ctx); }
int OptIsFinMfFin1Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFinMf, kGetFin1Na, kGetFin1Eu, kGetFin1Ne, kGetFin1NoPunch});
}
int OptIsFin2Fin4ByModelInstalled(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetByModelNa, kGetByModelEu, kGetByModelNe, kGetByModelFourth});
}
int OptIsFin50Fin2Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin50, kGetFin2Na, kGetFin2Eu, kGetFin2Ne, kGetFin2NoPunch});
}
int OptIsFin100Fin3Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin100, kGetFin3Na, kGetFin3Eu, kGetFin3Ne, kGetFin3NoPunch});
}
int OptIsDomFinisherInstalled(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetDomFin1Dom, kGetDomFin4Na2, kGetDomFin4Eu, kGetDomFin4Ne, kGetDomFin4NoPunch,
                            kGetDomFin2Dom});
}
int OptIsFin1DomFin4Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin1Dom, kGetFin1DomFin4Na2, kGetFin1DomFin4Eu, kGetFin1DomFin4Ne,
                            kGetFin1DomFin4NoPunch});
}
int OptIsFin3DomInstalled(DriverContext* ctx) { return AnyInstalled(ctx, {kGetFin3Dom}); }
int OptIsFin4DomFin4Installed(DriverContext* ctx) {
  return AnyInstalled(ctx, {kGetFin4Dom, kGetFin4DomFin4Na2, kGetFin4DomFin4Eu, kGetFin4DomFin4Ne,
                            kGetFin4DomFin4NoPunch});
}
