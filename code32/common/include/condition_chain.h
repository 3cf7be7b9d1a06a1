// Option condition chains: short lists of "option equals value" tests joined by AND and OR,
// which constant tables (the command table's values, the paper-path picture regions) attach to
// their rows. Evaluated by the installable-options module against a context's settings.
#pragma once

#include <cstdint>

#include "driver_context.h"

// How a test joins the test after it.
enum : DWORD {
  kChainOr = 0,        // OR with the next test
  kChainEndGroup = 1,  // the last test of a group; groups are ANDed
  kChainAnd = 2,       // AND with the next test
};

// One test of a chain. In-memory constant data: the link is a pointer.
struct ConditionTest {
  const ConditionTest* next;  // NULL ends the chain
  DWORD connector;            // kChainOr, kChainEndGroup or kChainAnd
  WORD optionId;
  DWORD value;  // holds when the option's stored value (32 bits) equals it
};

// 1 when the chain holds for the context's current values, else 0. A group is a sum of
// AND-products and every group must hold; an empty chain (NULL) holds.
int OptTestConditionChain(DriverContext* ctx, const ConditionTest* chain);
