// Reading a packed model image: texts and cells behind its links, and the check of every link of
// an image before it is used. The image keeps its 32-bit offsets (it is not relocated in
// place), so the check walks every link that relocation would convert and makes sure that each
// one names a whole record inside the image, that texts end inside it and that lists end.
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "mdl_compile.h"
#include "reset_walk.h"

const char* MdlImageText(const ModelImage* image, uint32_t offset) {
  const uint8_t* p = MdlImageSpan(image, offset, 1);
  if (!p) return nullptr;
  size_t left = image->header.totalSize - offset;
  return std::memchr(p, 0, left) ? reinterpret_cast<const char*>(p) : nullptr;
}

int MdlImageCopyWide(const ModelImage* image, uint32_t offset, WCHAR* out, int outChars) {
  if (out && outChars > 0) out[0] = 0;
  const uint8_t* p = MdlImageSpan(image, offset, 2);
  if (!p) return -1;
  uint32_t capacity = (image->header.totalSize - offset) / 2;
  uint32_t length = 0;
  for (;; ++length) {
    if (length >= capacity) return -1;  // not terminated inside the image
    WCHAR c;
    std::memcpy(&c, p + length * 2, 2);
    if (c == 0) break;
  }
  if (out && outChars > 0) {
    uint32_t copy = length < static_cast<uint32_t>(outChars) - 1 ? length : static_cast<uint32_t>(outChars) - 1;
    std::memcpy(out, p, copy * 2);
    out[copy] = 0;
  }
  return static_cast<int>(length);
}

const RuleCell* MdlImageCells(const ModelImage* image, uint32_t ref, uint32_t* count) {
  if (count) *count = 0;
  const RuleCell* first = MdlImageRef<RuleCell>(image, ref);
  if (!first) return nullptr;
  uint32_t available = (image->header.totalSize - MdlTaggedOffset(ref)) / sizeof(RuleCell);
  for (uint32_t i = 0; i < available; ++i)
    if (first[i].op == kCellOperator && first[i].value == kOpEnd) {
      if (count) *count = i + 1;
      return first;
    }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Check.

namespace {

// Nesting of command groups accepted in an image.
constexpr int kMaxGroupNesting = 64;

// What a record was checked as (high bits of the keys of the set of checked records).
enum What : uint64_t {
  kCells = 1,
  kItem,
  kExclusive,
  kItemRow,
  kActionRow,
  kTransactRow,
  kAlertActionRow,
  kAlertRow,
  kGeometry,
  kValue,  // + kind << 8
};

class Checker {
 public:
  explicit Checker(const ModelImage* image) : image_(image) {}

  bool Run() {
    const ModelImageHeader& h = image_->header;
    if (!ItemList(h.firstItem)) return false;
    // The direct item slots (slots 10-2081) lie one after the other.
    constexpr uint32_t kFirstSlotByte = offsetof(ModelImageHeader, itemsLow);
    constexpr uint32_t kSlotCount = (offsetof(ModelImageHeader, uiResDllName) - kFirstSlotByte) / 4;
    for (uint32_t i = 0; i < kSlotCount; ++i) {
      uint32_t slot;
      std::memcpy(&slot, MdlImageBytes(image_) + kFirstSlotByte + i * 4, 4);
      if (slot && !Item(slot)) return false;
    }
    if (h.firstExclusive && !ExclusiveList(h.firstExclusive)) return false;
    if (h.uiResDllName && MdlImageCopyWide(image_, h.uiResDllName, nullptr, 0) < 0) return false;
    if (h.excDepDllName && MdlImageCopyWide(image_, h.excDepDllName, nullptr, 0) < 0) return false;
    for (uint32_t group : h.groups)
      if (group && !Group(group, 0)) return false;
    return FontList(h.deviceFontCount, h.deviceFonts) && FontList(h.cartridgeFontCount, h.cartridgeFonts);
  }

 private:
  bool Fits(uint32_t offset, uint64_t size) const { return MdlImageSpan(image_, offset, size) != nullptr; }
  bool Text(uint32_t offset) const { return offset == 0 || MdlImageText(image_, offset) != nullptr; }
  // Records checked, one bit per byte offset for each kind of record (the bitmaps are made when
  // a kind is first marked).
  static uint32_t Index(uint64_t what) {
    if (what < kValue) return static_cast<uint32_t>(what);
    switch (what >> 8) {
      case kItemPickOne: return kValue + 0;
      case kItemPickMany: return kValue + 1;
      case kItemPickPage: return kValue + 2;
      case kItemPickSlot: return kValue + 3;
      default: return kValue + 4;  // FontTbl; the other kinds have no lists
    }
  }
  bool Done(uint64_t what, uint32_t offset) const {
    const std::vector<uint64_t>& bits = done_[Index(what)];
    return !bits.empty() && offset < image_->header.totalSize && (bits[offset >> 6] >> (offset & 63) & 1) != 0;
  }
  void Mark(uint64_t what, uint32_t offset) {
    std::vector<uint64_t>& bits = done_[Index(what)];
    if (bits.empty()) bits.resize((uint64_t(image_->header.totalSize) >> 6) + 1);
    bits[offset >> 6] |= uint64_t(1) << (offset & 63);
  }
  // Most records a walk of records of this size can pass before it must have come back to one
  // it passed already.
  uint64_t MaxSteps(uint64_t recordSize) const { return image_->header.totalSize / recordSize + 1; }

  // A list whose records begin with their next link (plain or tagged): each record checked once;
  // a list that comes back to one of its own records is refused.
  template <class T, class Each>
  bool List(uint64_t what, uint32_t first, bool tagged, Each each) {
    const size_t from = pending_.size();
    uint64_t steps = 0;
    for (uint32_t link = first; link;) {
      uint32_t offset = link;
      if (tagged) {
        if (!MdlIsTaggedRef(link) || (MdlTaggedOffset(link) & 3)) return false;
        offset = MdlTaggedOffset(link);
      }
      if (Done(what, offset)) break;
      if (++steps > MaxSteps(sizeof(T))) return false;  // a loop
      const T* record = MdlImageAt<T>(image_, offset);
      if (!record) return false;
      pending_.push_back(offset);
      if (!each(*record)) return false;
      link = record->next;
    }
    // Nested lists mark their own records and leave theirs off the end.
    for (size_t i = from; i < pending_.size(); ++i) Mark(what, pending_[i]);
    pending_.resize(from);
    return true;
  }

  // ---- rules

  bool Cells(uint32_t ref) {
    if (ref == 0) return true;
    if (!MdlIsTaggedRef(ref) || (MdlTaggedOffset(ref) & 3)) return false;
    uint32_t offset = MdlTaggedOffset(ref);
    const uint32_t start = offset;
    for (;; offset += sizeof(RuleCell)) {
      if (Done(kCells, offset)) break;
      const RuleCell* cell = MdlImageAt<RuleCell>(image_, offset);
      if (!cell) return false;
      if (cell->op == kCellOperator && cell->value == kOpEnd) {
        offset += sizeof(RuleCell);
        break;
      }
    }
    for (uint32_t o = start; o < offset; o += sizeof(RuleCell)) Mark(kCells, o);
    return true;
  }

  bool Actions(uint32_t ref) {
    return List<ActionRow>(kActionRow, ref, true, [](const ActionRow&) { return true; });
  }
  bool Transacts(uint32_t ref) {
    return List<TransactRow>(kTransactRow, ref, true,
                             [&](const TransactRow& r) { return Cells(r.judge) && Actions(r.action); });
  }
  bool AlertActions(uint32_t ref) {
    return List<AlertActionRow>(kAlertActionRow, ref, true, [&](const AlertActionRow& r) { return Transacts(r.transact); });
  }
  bool Alerts(uint32_t ref) {
    return List<AlertRow>(kAlertRow, ref, true,
                          [&](const AlertRow& r) { return Cells(r.judge) && AlertActions(r.alertAction); });
  }
  bool ItemRows(uint32_t ref) {
    return List<ItemRuleRow>(kItemRow, ref, true, [&](const ItemRuleRow& r) {
      return Cells(r.disabled) && Cells(r.restricted) && Cells(r.locked);
    });
  }

  bool Exclusive(uint32_t offset) {
    if (Done(kExclusive, offset)) return true;
    const ExclusiveRule* rule = (offset & 3) ? nullptr : MdlImageAt<ExclusiveRule>(image_, offset);
    if (!rule) return false;
    if (!Cells(rule->disabled) || !Cells(rule->restricted) || !Cells(rule->locked) || !ItemRows(rule->itemRules) ||
        !Alerts(rule->alert) || !Transacts(rule->transact1) || !Transacts(rule->transact2))
      return false;
    Mark(kExclusive, offset);
    return true;
  }

  // The Exclusive rules lie one after the other, 36 bytes apart.
  bool ExclusiveList(uint32_t first) {
    for (uint32_t offset = first; offset;) {
      if (!Exclusive(offset)) return false;
      uint32_t next = MdlImageAt<ExclusiveRule>(image_, offset)->next;
      if (next && next != offset + sizeof(ExclusiveRule)) return false;
      offset = next;
    }
    return true;
  }

  // ---- items

  bool Values(uint16_t kind, uint32_t offset) {
    if (offset == 0) return true;
    uint64_t what = kValue + (uint64_t(kind) << 8);
    switch (kind) {
      case kItemPickOne:
      case kItemPickMany:
        return List<ModelValue>(what, offset, false, [&](const ModelValue& v) { return Text(v.text); });
      case kItemPickPage:
        return List<ModelValue>(what, offset, false, [&](const ModelValue& head) {
          const auto* v = reinterpret_cast<const ModelPageValue*>(&head);
          return Fits(PlaceOf(head), sizeof *v) && Text(head.text) &&
                 List<PageGeometry>(kGeometry, v->geometry, false, [](const PageGeometry&) { return true; });
        });
      case kItemPickSlot:
        return List<ModelValue>(what, offset, false, [&](const ModelValue& head) {
          const auto* v = reinterpret_cast<const ModelSlotValue*>(&head);
          if (!Fits(PlaceOf(head), sizeof *v) || !Text(head.text) || v->paperCount < 0) return false;
          return v->paperCount == 0 || Fits(v->papers, uint64_t(v->paperCount) * 2);
        });
      case kItemFontTbl:
        return List<ModelValue>(what, offset, false, [&](const ModelValue& head) {
          const auto* v = reinterpret_cast<const ModelFontValue*>(&head);
          if (!Fits(PlaceOf(head), sizeof *v) || !Text(head.text) || v->pairCount < 0) return false;
          if (v->pairCount == 0) return true;
          uint64_t bytes = uint64_t(v->pairCount) * 4;
          if (!Fits(v->trueTypeNames, bytes) || !Fits(v->deviceNames, bytes)) return false;
          for (int32_t i = 0; i < v->pairCount; ++i)
            if (!Text(MdlImageU32(image_, v->trueTypeNames, i)) || !Text(MdlImageU32(image_, v->deviceNames, i))) return false;
          return true;
        });
      case kItemBoolean: {
        const auto* v = MdlImageAt<ModelBooleanValue>(image_, offset);
        return v && Text(v->trueText) && Text(v->falseText);
      }
      case kItemNumeric:
        return Fits(offset, sizeof(ModelNumericValue));
      case kItemString:
        return Fits(offset, sizeof(ModelStringValue));
      default:
        return false;  // no layout for values of this kind
    }
  }

  uint32_t PlaceOf(const ModelValue& v) const {
    return static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(&v) - MdlImageBytes(image_));
  }

  bool Item(uint32_t offset) {
    if (Done(kItem, offset)) return true;
    const ModelItem* item = MdlImageAt<ModelItem>(image_, offset);
    if (!item) return false;
    if (item->optionCommand) {
      const auto* command = MdlImageAt<ModelOptionCommand>(image_, item->optionCommand);
      if (!command || !Text(command->text1) || !Text(command->text2)) return false;
    }
    if (item->exclusive && !Exclusive(item->exclusive)) return false;
    if (!Values(ModelItemKind(item->typeWord), item->values)) return false;
    Mark(kItem, offset);
    return true;
  }

  bool ItemList(uint32_t first) {
    uint64_t steps = 0;
    for (uint32_t offset = first; offset;) {
      if (++steps > MaxSteps(sizeof(ModelItem)) || !Item(offset)) return false;
      offset = MdlImageAt<ModelItem>(image_, offset)->next;
    }
    return true;
  }

  // ---- commands and fonts

  // *height receives the deepest nesting of the groups below the branch.
  bool Branch(uint32_t first, int depth, int* height) {
    uint64_t steps = 0;
    for (uint32_t offset = first; offset;) {
      if (++steps > MaxSteps(sizeof(CommandNode))) return false;
      const auto* node = MdlImageAt<CommandNode>(image_, offset);
      if (!node) return false;
      switch (node->type) {
        case kNodeItemCommand:
          if (!Fits(offset, sizeof(ModelItemCommandNode))) return false;
          break;
        case kNodeCommandString: {
          const auto* n = MdlImageAt<ModelStringCommandNode>(image_, offset);
          if (!n || (n->text && !Fits(n->text, n->numberOrLength))) return false;
          break;
        }
        case kNodeBlock: {
          const auto* n = MdlImageAt<ModelBlockCommandNode>(image_, offset);
          uint32_t nested = n ? n->group : 0;
          if (!n || (nested && !Group(nested, depth + 1))) return false;
          if (nested) *height = std::max(*height, 1 + groupHeight_[nested]);
          break;
        }
        case kNodeFontList:
          break;
        default:
          return false;
      }
      offset = node->next;
    }
    return true;
  }

  // A group and the groups nested in it; a group reached again is accepted when its own nesting
  // still fits below the depth it is reached at.
  bool Group(uint32_t offset, int depth) {
    if (depth > kMaxGroupNesting) return false;
    if (auto known = groupHeight_.find(offset); known != groupHeight_.end()) return depth + known->second <= kMaxGroupNesting;
    const auto* group = MdlImageAt<ModelCommandGroup>(image_, offset);
    int height = 0;
    if (!group || !Cells(group->condition) || !Branch(group->mainBranch, depth, &height) ||
        !Branch(group->elseBranch, depth, &height))
      return false;
    groupHeight_.emplace(offset, height);
    return true;
  }

  bool FontList(uint32_t count, uint32_t array) {
    if (count == 0) return true;
    if (!Fits(array, uint64_t(count) * 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t entry = MdlImageU32(image_, array, i);
      if (entry == 0) break;
      const auto* font = MdlImageAt<DeviceFontList>(image_, entry);
      if (!font || !Text(font->name)) return false;
    }
    return true;
  }

  const ModelImage* image_;
  std::vector<uint64_t> done_[kValue + 5];
  std::vector<uint32_t> pending_;  // records of the lists being walked, marked when a list ends
  std::unordered_map<uint32_t, int> groupHeight_;  // groups checked, with the nesting below them
};

}  // namespace

int MdlCheckImage(const void* block, size_t size) {
  MdlNoteNewImage();
  if (!block || size < kModelHeaderSize || size > 0xFFFFFFFFu) return 0;
  const auto* image = static_cast<const ModelImage*>(block);
  if (image->header.totalSize != size) return 0;
  try {
    return Checker(image).Run() ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
