// Feature module 6, installable options: what runs without a window.
#include "condition_chain.h"
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
