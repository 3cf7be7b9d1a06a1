// Option condition chains of the installable-options module: groups of AND-products joined by
// OR, all groups ANDed, evaluated against the context's stored values.
#include <gtest/gtest.h>

#include <vector>

#include "condition_chain.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

// Options with room for any 32-bit value: wdmLock001Info..wdmLock004Info (1236-1239).
constexpr WORD kA = 1236, kB = 1237, kC = 1238, kD = 1239;

class ConditionChain : public zolt::test::ImageContextTest {
 protected:
  // Builds a chain of tests "option == 1" with the given connectors.
  const ConditionTest* Chain(const std::vector<std::pair<WORD, DWORD>>& tests) {
    nodes_.assign(tests.size(), ConditionTest{});
    for (size_t i = 0; i < tests.size(); ++i)
      nodes_[i] = {i + 1 < tests.size() ? &nodes_[i + 1] : nullptr, tests[i].second, tests[i].first, 1};
    return nodes_.empty() ? nullptr : nodes_.data();
  }
  void Hold(std::initializer_list<WORD> ids) {
    for (WORD id : {kA, kB, kC, kD}) ASSERT_EQ(OptSetValue(ctx, id, 0), 1);
    for (WORD id : ids) ASSERT_EQ(OptSetValue(ctx, id, 1), 1);
  }
  std::vector<ConditionTest> nodes_;
};

TEST_F(ConditionChain, GroupsOfAndProductsJoinedByOr) {
  const DWORD And = kChainAnd, Or = kChainOr, End = kChainEndGroup;
  struct Case {
    const char* what;
    std::vector<std::pair<WORD, DWORD>> chain;
    std::initializer_list<WORD> holding;
    int expected;
  };
  const Case cases[] = {
      {"empty chain", {}, {}, 1},
      {"single test holds", {{kA, End}}, {kA}, 1},
      {"single test fails", {{kA, End}}, {}, 0},
      {"A and B, both", {{kA, And}, {kB, End}}, {kA, kB}, 1},
      {"A and B, only A", {{kA, And}, {kB, End}}, {kA}, 0},
      {"A and B, only B", {{kA, And}, {kB, End}}, {kB}, 0},
      {"A or B, only B", {{kA, Or}, {kB, End}}, {kB}, 1},
      {"A or B, neither", {{kA, Or}, {kB, End}}, {}, 0},
      {"(A and B) or C, only C", {{kA, And}, {kB, Or}, {kC, End}}, {kC}, 1},
      {"(A and B) or C, A and B", {{kA, And}, {kB, Or}, {kC, End}}, {kA, kB}, 1},
      {"(A and B) or C, only A", {{kA, And}, {kB, Or}, {kC, End}}, {kA}, 0},
      {"A or (B and C), B and C", {{kA, Or}, {kB, And}, {kC, End}}, {kB, kC}, 1},
      {"A or (B and C), only B", {{kA, Or}, {kB, And}, {kC, End}}, {kB}, 0},
      {"groups (A or B) and (C), B and C", {{kA, Or}, {kB, End}, {kC, End}}, {kB, kC}, 1},
      {"groups (A or B) and (C), only A", {{kA, Or}, {kB, End}, {kC, End}}, {kA}, 0},
      {"groups (A) and (C or D), A and D", {{kA, End}, {kC, Or}, {kD, End}}, {kA, kD}, 1},
      {"groups (A) and (C or D), only D", {{kA, End}, {kC, Or}, {kD, End}}, {kD}, 0},
      {"last group without an end, holds", {{kA, End}, {kB, Or}, {kC, Or}}, {kA, kC}, 1},
      {"last group without an end, fails", {{kA, End}, {kB, Or}, {kC, Or}}, {kA}, 0},
      {"chain ending in an open AND", {{kA, And}}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Hold(c.holding);
    EXPECT_EQ(OptTestConditionChain(ctx, Chain(c.chain)), c.expected);
  }
}

TEST_F(ConditionChain, ComparesTheWholeStoredValue) {
  const ConditionTest wide = {nullptr, kChainEndGroup, kA, 0x10001};
  ASSERT_EQ(OptSetValue(ctx, kA, 0x10001), 1);
  EXPECT_EQ(OptTestConditionChain(ctx, &wide), 1);
  ASSERT_EQ(OptSetValue(ctx, kA, 1), 1);
  EXPECT_EQ(OptTestConditionChain(ctx, &wide), 0);
  const ConditionTest negative = {nullptr, kChainEndGroup, kA, 0xFFFFFFFF};
  ASSERT_EQ(OptSetValue(ctx, kA, -1), 1);
  EXPECT_EQ(OptTestConditionChain(ctx, &negative), 1);
}

}  // namespace
