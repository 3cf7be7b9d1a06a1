// Feature module 6, installable options: what runs without a window. The condition chains and
// the combination rules of the installable options.
#include "condition_chain.h"
#include "fm_options_fonts.h"
#include "option_access.h"

namespace {

bool Holds(DriverContext* ctx, const ConditionTest* test) {
  return static_cast<DWORD>(OptGetValue(ctx, test->optionId, nullptr)) == test->value;
}

}  // namespace

// Walks the chain once. A test that holds settles its AND-product: unless it is ANDed with the
// next test, its group holds and the walk goes on after the group's end. A test that fails
// sinks its AND-product: the walk skips to the product's last test, and the group fails unless
// an OR follows there.
int OptTestConditionChain(DriverContext* ctx, const ConditionTest* chain) {
  int result = 1;
  const ConditionTest* node = chain;
  while (node) {
    if (Holds(ctx, node)) {
      if (node->connector == kChainAnd) {
        node = node->next;
        continue;
      }
      while (node && node->connector != kChainEndGroup) node = node->next;
      if (!node) return 1;
      result = 1;
      node = node->next;
      continue;
    }
    while (node->connector == kChainAnd && node->next) node = node->next;
    if (!node->next || node->connector == kChainEndGroup || node->connector == kChainAnd) return 0;
    result = 0;  // an OR follows: the next product may still hold
    node = node->next;
  }
  return result;
}

// ---- the combination rules of the installable options -------------------------------------------

namespace {

enum : uint32_t {
  kOptMemorySize = 10012,     // zdmPrinterMemory
  kOptMemoryType = 10013,     // zdmMemoryType
  kOptSourceUnit = 10023,     // zdmSourceOptionType1Step
  kOptUpperBin = 10056,       // zdmOutputOptionTypeUpperBin
  kOptMailbox2 = 10057,       // zdmOutputOptionTypeMailbox2
  kOptOutputType14 = 10060,   // zdmOutputOptionType14
  kOptSourceUnitCount = 10110,  // zdm1StepOptionNum
};

constexpr OptionValuePair kUnitOff[] = {{kOptSourceUnitCount, 0}, {0, 0}};
constexpr OptionValuePair kUpperBinOn[] = {{kOptMailbox2, 0}, {0, 0}};
constexpr OptionValuePair kMailboxOn[] = {{kOptUpperBin, 0}, {kOptOutputType14, 0}, {0, 0}};
constexpr OptionValuePair kMemory603Off[] = {{kOptMemoryType, 1}, {kOptMemorySize, 603}, {0, 0}};

constexpr OptionComboRule kComboRules[] = {
    {143, kOptSourceUnit, 1, kOptSourceUnitCount, 1, nullptr, nullptr, nullptr, kUnitOff, 1, 1},
    {144, kOptSourceUnit, 1, kOptSourceUnitCount, 2, nullptr, nullptr, nullptr, kUnitOff, 1, 1},
    {147, kOptUpperBin, 1, 0, 0, nullptr, nullptr, kUpperBinOn, nullptr, 0, 1},
    {148, kOptMailbox2, 1, 0, 0, nullptr, nullptr, kMailboxOn, nullptr, 0, 1},
    {164, kOptMemoryType, 0, kOptMemorySize, 32, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {165, kOptMemoryType, 1, kOptMemorySize, 32, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {166, kOptMemoryType, 0, kOptMemorySize, 96, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {167, kOptMemoryType, 1, kOptMemorySize, 96, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {352, kOptMemoryType, 196, kOptMemorySize, 606, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {358, kOptMemoryType, 196, kOptMemorySize, 610, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {346, kOptMemorySize, 603, 0, 0, nullptr, nullptr, nullptr, kMemory603Off, 0, 1},
    {0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0},
};

}  // namespace

const OptionComboRule* OptGetOptionComboRules() { return kComboRules; }

int OptIsComboRuleOn(DriverContext* ctx, const OptionComboRule* rule) {
  if (!ctx || !rule || !rule->option) return 0;
  if (OptGetUiValue(ctx, uint16_t(rule->option), nullptr) != int32_t(rule->value)) return 0;
  return !rule->option2 || OptGetUiValue(ctx, uint16_t(rule->option2), nullptr) == int32_t(rule->value2);
}
