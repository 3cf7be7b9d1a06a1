// The rule index of a model image: the first per-value row of each (rule, value ID), so that the
// disabled, restricted and locked tests of a value find its row without walking the rule's rows.
// The index is built by the same bounded walk as MdlFindValueRow, so it answers exactly what the
// walk answers; a rule it does not cover is walked as before. Images never change once loaded,
// so an index stays valid as long as its image.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "mdl_query_internal.h"

// Each covered rule has a slot of the hash table keyed by its offset; its rows follow in one run
// of the row table, either by value ID from the rule's lowest one (a dense run, 0 for a value
// without row) or as (value ID, row) pairs sorted by value ID.
struct MdlRuleIndex {
  struct RuleSlot {
    uint32_t ruleOffset;  // 0: empty slot
    uint32_t flags;       // kMdlRow* of the rule's rows, kDense
    uint32_t first;       // first entry of the rule's run in rows
    uint16_t base;        // dense: value ID of the run's first entry
    uint16_t count;       // entries of the run
  };
  const ModelImage* image = nullptr;
  uint32_t mask = 0;
  uint32_t shift = 32;
  std::vector<RuleSlot> rules;
  std::vector<uint32_t> rows;  // dense: row offsets; sorted: value ID, row offset pairs
};

namespace {

constexpr uint32_t kDense = 0x80000000u;

// The top bits of the product: they depend on every bit of the offset.
uint32_t Home(const MdlRuleIndex& index, uint32_t ruleOffset) {
  return static_cast<uint32_t>((ruleOffset * 0x9E3779B1u) >> index.shift) & index.mask;
}

const MdlRuleIndex::RuleSlot* FindRule(const MdlRuleIndex& index, uint32_t ruleOffset) {
  for (uint32_t i = Home(index, ruleOffset);; i = (i + 1) & index.mask) {
    const MdlRuleIndex::RuleSlot& slot = index.rules[i];
    if (slot.ruleOffset == ruleOffset) return &slot;
    if (slot.ruleOffset == 0) return nullptr;
  }
}

MdlRuleIndex::RuleSlot* NewRule(MdlRuleIndex& index, uint32_t ruleOffset) {
  for (uint32_t i = Home(index, ruleOffset);; i = (i + 1) & index.mask) {
    MdlRuleIndex::RuleSlot& slot = index.rules[i];
    if (slot.ruleOffset == ruleOffset) return nullptr;  // linked twice: indexed already
    if (slot.ruleOffset == 0) {
      slot.ruleOffset = ruleOffset;
      return &slot;
    }
  }
}

uint32_t JudgeFlags(const ItemRuleRow* row) {
  uint32_t flags = 0;
  if (row->disabled) flags |= kMdlRowDisabled;
  if (row->restricted) flags |= kMdlRowRestricted;
  if (row->locked) flags |= kMdlRowLocked;
  return flags;
}

// Every rule an item or the rule list links (offset 0 is the header, never a rule).
std::vector<const ExclusiveRule*> LinkedRules(const ModelImage* image) {
  std::vector<const ExclusiveRule*> rules;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i && limit--;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (const ExclusiveRule* rule = MdlItemRule(image, i)) rules.push_back(rule);
  limit = MdlWalkLimit(image, sizeof(ExclusiveRule));
  for (const ExclusiveRule* r = MdlImageAt<ExclusiveRule>(image, image->header.firstExclusive); r && limit--;
       r = MdlImageAt<ExclusiveRule>(image, r->next))
    rules.push_back(r);
  return rules;
}

struct ValueRow {
  uint16_t valueId;
  uint32_t rowOffset;
};

// The first row of each 16-bit value ID of a rule, in the order the walk of MdlFindValueRow meets
// them, with the judge kinds those rows have.
std::vector<ValueRow> FirstRows(const ModelImage* image, const ExclusiveRule* rule, uint32_t* flags) {
  std::vector<ValueRow> rows;
  *flags = 0;
  uint32_t limit = MdlWalkLimit(image, sizeof(ItemRuleRow));
  for (const ItemRuleRow* row = MdlImageRef<ItemRuleRow>(image, rule->itemRules); row && limit--;
       row = MdlImageRef<ItemRuleRow>(image, row->next)) {
    if (row->valueId > 0xFFFF) continue;  // no 16-bit value ID finds it
    rows.push_back({static_cast<uint16_t>(row->valueId), MdlOffsetOf(image, row)});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const ValueRow& a, const ValueRow& b) { return a.valueId < b.valueId; });
  rows.erase(std::unique(rows.begin(), rows.end(), [](const ValueRow& a, const ValueRow& b) { return a.valueId == b.valueId; }),
             rows.end());
  for (const ValueRow& r : rows) *flags |= JudgeFlags(MdlImageAt<ItemRuleRow>(image, r.rowOffset));
  return rows;
}

}  // namespace

MdlRuleIndex* MdlBuildRuleIndex(const ModelImage* image) {
  if (!image) return nullptr;
  auto* index = new (std::nothrow) MdlRuleIndex;
  if (!index) return nullptr;
  try {
    index->image = image;
    const std::vector<const ExclusiveRule*> rules = LinkedRules(image);
    uint32_t size = 16, shift = 28;
    while (size < rules.size() * 2) {
      size <<= 1;
      --shift;
    }
    index->rules.assign(size, MdlRuleIndex::RuleSlot{});
    index->mask = size - 1;
    index->shift = shift;
    for (const ExclusiveRule* rule : rules) {
      MdlRuleIndex::RuleSlot* slot = NewRule(*index, MdlOffsetOf(image, rule));
      if (!slot) continue;
      uint32_t flags = 0;
      const std::vector<ValueRow> rows = FirstRows(image, rule, &flags);
      const size_t first = index->rows.size();
      if (rows.size() > 0xFFFF || first > 0xFFFFFFFFu / 4) throw std::bad_alloc();  // a damaged image: walk
      slot->first = static_cast<uint32_t>(first);
      const uint32_t span = rows.empty() ? 0 : uint32_t{rows.back().valueId} - rows.front().valueId + 1;
      if (span <= 64 || span <= 4 * rows.size()) {
        slot->flags = flags | kDense;
        slot->base = rows.empty() ? 0 : rows.front().valueId;
        slot->count = static_cast<uint16_t>(span);
        index->rows.resize(first + span, 0);
        for (const ValueRow& r : rows) index->rows[first + (r.valueId - slot->base)] = r.rowOffset;
      } else {
        slot->flags = flags;
        slot->count = static_cast<uint16_t>(rows.size());
        for (const ValueRow& r : rows) {
          index->rows.push_back(r.valueId);
          index->rows.push_back(r.rowOffset);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    delete index;
    return nullptr;
  }
  return index;
}

void MdlFreeRuleIndex(MdlRuleIndex* index) { delete index; }

int MdlRuleIndexFind(const MdlRuleIndex* index, const ModelImage* image, const ExclusiveRule* rule,
                     uint16_t valueId, uint32_t judgeMask, const ItemRuleRow** row) {
  *row = nullptr;
  if (!index || !rule || index->image != image) return 0;
  const MdlRuleIndex::RuleSlot* slot = FindRule(*index, MdlOffsetOf(image, rule));
  if (!slot) return 0;
  if (judgeMask != kMdlRowAnyJudge && (slot->flags & judgeMask) == 0) return 1;  // no row has such a judge
  uint32_t offset = 0;
  if (slot->flags & kDense) {
    const uint32_t at = uint32_t{valueId} - slot->base;  // wraps below the base
    if (at < slot->count) offset = index->rows[slot->first + at];
  } else {
    const uint32_t* pairs = index->rows.data() + slot->first;
    uint32_t lo = 0, hi = slot->count;
    while (lo < hi) {
      const uint32_t mid = (lo + hi) / 2;
      if (pairs[2 * mid] < valueId)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo < slot->count && pairs[2 * lo] == valueId) offset = pairs[2 * lo + 1];
  }
  if (offset) *row = MdlImageAt<ItemRuleRow>(image, offset);
  return 1;
}

int MdlRuleIndexJudge(const DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId, uint32_t judgeMask,
                      uint32_t* judge) {
  // MdlContextRuleIndex, MdlRuleIndexFind and the judge of the row in one step: the disabled,
  // restricted and locked tests of every value shown come this way.
  *judge = 0;
  const MdlRuleIndex* index = ctx && ctx->workArea ? ctx->workArea->ruleIndex : nullptr;
  if (!index || !rule || index->image != ctx->modelImage) return 0;
  const ModelImage* image = index->image;
  const auto ruleOffset = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(rule) - MdlImageBytes(image));
  const MdlRuleIndex::RuleSlot* slot = FindRule(*index, ruleOffset);
  if (!slot) return 0;
  if ((slot->flags & judgeMask) == 0) return 1;  // no row of the rule has such a judge
  uint32_t offset = 0;
  if (slot->flags & kDense) {
    const uint32_t at = uint32_t{valueId} - slot->base;  // wraps below the base
    if (at < slot->count) offset = index->rows[slot->first + at];
  } else {
    const ItemRuleRow* row = nullptr;
    MdlRuleIndexFind(index, image, rule, valueId, judgeMask, &row);
    offset = row ? MdlOffsetOf(image, row) : 0;
  }
  if (!offset) return 1;
  const ItemRuleRow* row = MdlImageAt<ItemRuleRow>(image, offset);
  if (!row) return 1;
  *judge = judgeMask == kMdlRowDisabled ? row->disabled : judgeMask == kMdlRowRestricted ? row->restricted : row->locked;
  return 1;
}

const MdlRuleIndex* MdlContextRuleIndex(const DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->workArea->ruleIndex) return nullptr;
  return ctx->workArea->ruleIndex->image == ctx->modelImage ? ctx->workArea->ruleIndex : nullptr;
}

const ItemRuleRow* MdlFindContextValueRow(DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  const ItemRuleRow* row = nullptr;
  if (MdlRuleIndexFind(MdlContextRuleIndex(ctx), image, rule, valueId, kMdlRowAnyJudge, &row)) return row;
  return MdlFindValueRow(image, rule, valueId);
}
