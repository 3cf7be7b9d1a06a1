// Packing a compile context into one model image: the header, then the rule section, the item
// section and the text and command section. Every link becomes a byte offset from the start of
// the image (tagged, offset * 16 + 1, inside the rule section), so the image can be stored as
// it is. One walk serves both to measure and to write, so the sizes always count exactly what is
// written.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "core_memory.h"
#include "mdl_compile.h"
#include "reset_walk.h"

namespace {

// Nesting of command groups that the packer follows (the compiler makes at most 32 levels).
constexpr int kMaxGroupNesting = 64;

class Packer {
 public:
  // block NULL: measure only.
  Packer(const CompileContext* ctx, uint8_t* block, uint32_t capacity) : ctx_(ctx), block_(block), capacity_(capacity) {}

  void Run() {
    std::memcpy(header_.fileVersion, ctx_->header.fileVersion, sizeof header_.fileVersion);
    MdlPackRules();
    rulesEnd_ = pos_;
    MdlPackItems();
    itemsEnd_ = pos_;
    MdlPackStrings();
    header_.totalSize = static_cast<uint32_t>(pos_ > 0xFFFFFFFFu ? 0xFFFFFFFFu : pos_);
    if (block_ && capacity_ >= kModelHeaderSize) std::memcpy(block_, &header_, sizeof header_);
  }

  uint64_t End() const { return pos_; }
  uint64_t RulesBytes() const { return rulesEnd_ - kModelHeaderSize; }
  uint64_t ItemsBytes() const { return itemsEnd_ - rulesEnd_; }
  uint64_t StringsBytes() const { return pos_ - itemsEnd_; }

 private:
  // ---- writing

  uint32_t Put(const void* data, uint32_t size) {
    uint32_t at = static_cast<uint32_t>(pos_);
    if (block_ && size && pos_ + size <= capacity_) std::memcpy(block_ + pos_, data, size);
    pos_ += size;
    return at;
  }
  template <class T>
  uint32_t PutRecord(const T& record) {
    return Put(&record, sizeof record);
  }
  void PutZeros(uint32_t size) { pos_ += size; }  // the block is zeroed

  // An ANSI text with its terminator; 0 for none.
  uint32_t PutText(uint32_t link) {
    const char* text = MdlAt<char>(ctx_, link);
    if (!text || MdlRecordTag(ctx_, link) != kTagText) return 0;
    uint32_t length = static_cast<uint32_t>(strnlen(text, MdlRecordSize(ctx_, link)));
    uint32_t at = Put(text, length);
    PutZeros(1);
    return at;
  }

  // A UTF-16 text with its terminator; 0 for none.
  uint32_t PutWide(uint32_t link) {
    const auto* text = MdlAt<WCHAR>(ctx_, link);
    if (!text || MdlRecordTag(ctx_, link) != kTagText) return 0;
    uint32_t capacity = MdlRecordSize(ctx_, link) / 2;
    uint32_t chars = 0;
    while (chars < capacity && text[chars]) ++chars;
    uint32_t at = Put(text, chars * 2);
    PutZeros(2);
    return at;
  }

  // A record of the context when its link names one of the given tag and at least size bytes.
  template <class T>
  const T* Record(uint32_t link, uint16_t tag) const {
    if (!link || MdlRecordTag(ctx_, link) != tag || MdlRecordSize(ctx_, link) < sizeof(T)) return nullptr;
    return MdlAt<T>(ctx_, link);
  }

  // ---- references of the rule section

  using NumberMap = std::unordered_map<uint16_t, uint32_t>;  // low 16 bits of a number -> tagged offset

  static void Remember(NumberMap& map, uint32_t number, uint32_t tagged) {
    if (number & 0xFFFF) map.emplace(static_cast<uint16_t>(number), tagged);  // the first record wins
  }
  static uint32_t Resolve(const NumberMap& map, uint32_t ref) {
    if ((ref & 0xFFFF) == 0) return 0;
    auto it = map.find(static_cast<uint16_t>(ref));
    return it == map.end() ? 0 : it->second;
  }

  // ---- rule section

  template <class Row, class Fix>
  void PackRowStatements(const MdlList& list, NumberMap& numbers, Fix fix) {
    for (uint32_t s = list.head; s;) {
      const auto* statement = Record<MdlRuleStatement>(s, kTagRuleStatement);
      if (!statement) break;
      uint32_t first = 0;
      for (uint32_t r = statement->firstRow; r;) {
        const Row* source = Record<Row>(r, kTagRuleRow);
        if (!source) break;
        Row row = *source;
        fix(row);
        const Row* following = Record<Row>(source->next, kTagRuleRow);
        row.next = following ? MdlMakeTaggedRef(static_cast<uint32_t>(pos_ + sizeof(Row))) : 0;
        uint32_t at = PutRecord(row);
        if (!first) first = MdlMakeTaggedRef(at);
        r = following ? source->next : 0;
      }
      Remember(numbers, statement->number, first);
      s = statement->next;
    }
  }

  void MdlPackRules() {
    uint64_t start = pos_;
    for (uint32_t j = ctx_->judges.head; j;) {
      const auto* judge = Record<MdlJudgeRecord>(j, kTagJudge);
      if (!judge) break;
      const RuleCell* cells = Record<RuleCell>(judge->cells, kTagCells);
      if (cells && judge->size <= MdlRecordSize(ctx_, judge->cells))
        Remember(judges_, judge->number, MdlMakeTaggedRef(Put(cells, judge->size)));
      j = judge->next;
    }
    PackRowStatements<ItemRuleRow>(ctx_->itemRules, items_, [&](ItemRuleRow& r) {
      r.disabled = Resolve(judges_, r.disabled);
      r.restricted = Resolve(judges_, r.restricted);
      r.locked = Resolve(judges_, r.locked);
    });
    PackRowStatements<ActionRow>(ctx_->actions, actions_, [](ActionRow&) {});
    PackRowStatements<TransactRow>(ctx_->transacts, transacts_, [&](TransactRow& r) {
      r.judge = Resolve(judges_, r.judge);
      r.action = Resolve(actions_, r.action);
    });
    PackRowStatements<AlertActionRow>(ctx_->alertActions, alertActions_,
                                      [&](AlertActionRow& r) { r.transact = Resolve(transacts_, r.transact); });
    PackRowStatements<AlertRow>(ctx_->alerts, alerts_, [&](AlertRow& r) {
      r.judge = Resolve(judges_, r.judge);
      r.alertAction = Resolve(alertActions_, r.alertAction);
    });
    // Without any Judge or row there is no rule section at all.
    if (pos_ == start) return;
    rulesPacked_ = true;
    const ExclusiveRule* first = Record<ExclusiveRule>(ctx_->exclusives.head, kTagExclusive);
    header_.firstExclusive = first ? static_cast<uint32_t>(pos_) : 0;
    for (const ExclusiveRule* source = first; source;) {
      ExclusiveRule rule = *source;
      rule.disabled = Resolve(judges_, rule.disabled);
      rule.restricted = Resolve(judges_, rule.restricted);
      rule.locked = Resolve(judges_, rule.locked);
      rule.itemRules = Resolve(items_, rule.itemRules);
      rule.alert = Resolve(alerts_, rule.alert);
      rule.transact1 = Resolve(transacts_, rule.transact1);
      rule.transact2 = Resolve(transacts_, rule.transact2);
      const ExclusiveRule* following = Record<ExclusiveRule>(source->next, kTagExclusive);
      rule.next = following ? static_cast<uint32_t>(pos_ + sizeof rule) : 0;
      uint32_t at = PutRecord(rule);
      exclusiveByName_.emplace(uint16_t{rule.nameIndex}, at);
      source = following;
    }
  }

  // ---- item section

  // The records of a list of the context, in list order.
  template <class T, class Next>
  std::vector<uint32_t> ListOf(uint32_t head, uint16_t tag, Next next) const {
    std::vector<uint32_t> links;
    for (uint32_t l = head; l;) {
      const T* r = Record<T>(l, tag);
      if (!r) break;
      links.push_back(l);
      l = next(*r);
    }
    return links;
  }

  uint32_t PackGeometry(uint32_t head) {
    auto links = ListOf<PageGeometry>(head, kTagGeometry, [](const PageGeometry& g) { return g.next; });
    uint32_t next = 0;
    for (size_t i = links.size(); i-- > 0;) {
      PageGeometry g = *MdlAt<PageGeometry>(ctx_, links[i]);
      g.next = next;
      next = PutRecord(g);
    }
    return next;
  }

  // An array of count elements of width bytes; count is bounded by the array's record.
  uint32_t PutArray(uint32_t link, int32_t* count, uint32_t width) {
    if (*count <= 0 || !link || MdlRecordTag(ctx_, link) != kTagArray) {
      *count = 0;
      return 0;
    }
    uint32_t fits = MdlRecordSize(ctx_, link) / width;
    if (static_cast<uint32_t>(*count) > fits) *count = static_cast<int32_t>(fits);
    return *count ? Put(MdlAt<uint8_t>(ctx_, link), static_cast<uint32_t>(*count) * width) : 0;
  }

  // TrueType and device names of a font value: the names pair by pair, then both link arrays.
  void PackFontPairs(ModelFontValue& v) {
    int32_t count = v.pairCount;
    const auto* faces = Record<uint32_t>(v.trueTypeNames, kTagArray);
    const auto* devices = Record<uint32_t>(v.deviceNames, kTagArray);
    if (count <= 0 || !faces || !devices) {
      v.pairCount = 0;
      v.trueTypeNames = v.deviceNames = 0;
      return;
    }
    uint32_t fits = std::min(MdlRecordSize(ctx_, v.trueTypeNames), MdlRecordSize(ctx_, v.deviceNames)) / 4;
    uint32_t n = std::min(static_cast<uint32_t>(count), fits);
    std::vector<uint32_t> faceOffsets(n), deviceOffsets(n);
    for (uint32_t i = 0; i < n; ++i) {
      faceOffsets[i] = PutText(faces[i]);
      deviceOffsets[i] = PutText(devices[i]);
    }
    v.pairCount = static_cast<int32_t>(n);
    v.trueTypeNames = Put(faceOffsets.data(), n * 4);
    v.deviceNames = Put(deviceOffsets.data(), n * 4);
  }

  // The values of a list kind, written from the last to the first.
  uint32_t PackList(uint32_t head, uint16_t kind) {
    uint32_t size = MdlValueRecordSize(kind);
    std::vector<uint32_t> links;
    for (uint32_t l = head; l;) {
      if (MdlRecordTag(ctx_, l) != kTagListValue || MdlRecordKind(ctx_, l) != kind || MdlRecordSize(ctx_, l) != size) break;
      links.push_back(l);
      l = MdlAt<ModelValue>(ctx_, l)->next;
    }
    uint32_t next = 0;
    for (size_t i = links.size(); i-- > 0;) {
      const uint8_t* source = MdlAt<uint8_t>(ctx_, links[i]);
      switch (kind) {
        case kItemPickPage: {
          ModelPageValue v;
          std::memcpy(&v, source, sizeof v);
          v.geometry = PackGeometry(v.geometry);
          v.head.text = PutText(v.head.text);
          v.head.next = next;
          next = PutRecord(v);
          break;
        }
        case kItemPickSlot: {
          ModelSlotValue v;
          std::memcpy(&v, source, sizeof v);
          v.papers = PutArray(v.papers, &v.paperCount, 2);
          v.head.text = PutText(v.head.text);
          v.head.next = next;
          next = PutRecord(v);
          break;
        }
        case kItemFontTbl: {
          ModelFontValue v;
          std::memcpy(&v, source, sizeof v);
          PackFontPairs(v);
          v.head.text = PutText(v.head.text);
          v.head.next = next;
          next = PutRecord(v);
          break;
        }
        default: {
          ModelValue v;
          std::memcpy(&v, source, sizeof v);
          v.text = PutText(v.text);
          v.next = next;
          next = PutRecord(v);
          break;
        }
      }
    }
    return next;
  }

  // The values of a plain item by its kind; 0 for kinds without values or values of another shape.
  uint32_t PackValues(const ModelItem& item) {
    uint16_t kind = ModelItemKind(item.typeWord);
    switch (kind) {
      case kItemPickOne:
      case kItemPickMany:
      case kItemPickPage:
      case kItemPickSlot:
      case kItemFontTbl:
        return PackList(item.values, kind);
      case kItemBoolean:
        if (const auto* source = Record<ModelBooleanValue>(item.values, kTagBoolean)) {
          ModelBooleanValue v = *source;
          v.trueText = PutText(v.trueText);
          v.falseText = PutText(v.falseText);
          return PutRecord(v);
        }
        return 0;
      case kItemNumeric:
        if (const auto* source = Record<ModelNumericValue>(item.values, kTagNumeric)) return PutRecord(*source);
        return 0;
      case kItemString:
        if (const auto* source = Record<ModelStringValue>(item.values, kTagString)) return PutRecord(*source);
        return 0;
      default:
        return 0;
    }
  }

  uint32_t PackOptionCommand(uint32_t link) {
    const auto* source = Record<ModelOptionCommand>(link, kTagOptionCommand);
    if (!source) return 0;
    ModelOptionCommand command = *source;
    command.text1 = PutText(command.text1);
    command.text2 = PutText(command.text2);
    return PutRecord(command);
  }

  void MdlPackItems() {
    // Variant and Identity items first, in the reverse of their source order, then the plain
    // items in source order.
    std::vector<uint32_t> source = ListOf<ModelItem>(ctx_->header.firstItem, kTagItem, [](const ModelItem& i) { return i.next; });
    std::vector<uint32_t> order;
    order.reserve(source.size());
    // Key -> the values packed for it and their kind. A variant or Identity item takes them only
    // when they have its own kind, so that its values are always read in their own shape.
    struct Shared {
      uint32_t offset;
      uint16_t kind;
    };
    std::unordered_map<uint16_t, Shared> sharing;
    auto keyOf = [](const ModelItem& item) { return (item.typeWord & kItemIdentity) ? item.variant : item.nameIndex; };
    for (size_t i = source.size(); i-- > 0;) {
      const ModelItem* item = MdlAt<ModelItem>(ctx_, source[i]);
      if (item->variant == 0) continue;
      order.push_back(source[i]);
      sharing.emplace(keyOf(*item), Shared{0, 0});
    }
    for (uint32_t link : source)
      if (MdlAt<ModelItem>(ctx_, link)->variant == 0) order.push_back(link);

    // Packed from the last to the first, so each next link names an item already written.
    uint32_t next = 0;
    for (size_t i = order.size(); i-- > 0;) {
      ModelItem item = *MdlAt<ModelItem>(ctx_, order[i]);
      bool plain = item.variant == 0;
      if (!plain) {
        const Shared& shared = sharing[keyOf(item)];
        if (item.values) item.values = shared.kind == ModelItemKind(item.typeWord) ? shared.offset : 0;
      } else {
        item.values = PackValues(item);
        if (item.values) {
          auto it = sharing.find(uint16_t{item.nameIndex});
          if (it != sharing.end()) it->second = Shared{item.values, ModelItemKind(item.typeWord)};
        }
      }
      item.optionCommand = item.optionCommand ? PackOptionCommand(item.optionCommand) : 0;
      auto rule = exclusiveByName_.find(uint16_t{item.nameIndex});
      item.exclusive = rulesPacked_ && rule != exclusiveByName_.end() ? rule->second : 0;
      item.next = next;
      uint32_t at = PutRecord(item);
      // The slot names the first plain item of the setting in source order, else its first
      // variant or Identity item in source order.
      if (uint32_t* slot = ModelItemSlot(&header_, item.settingId); slot && (plain || *slot == 0)) *slot = at;
      next = at;
    }
    header_.firstItem = next;
  }

  // ---- text and command section

  struct CommandText {
    uint32_t offset;
    uint32_t length;
  };

  uint32_t PackBranch(uint32_t head, int depth) {
    std::vector<uint32_t> links = ListOf<CommandNode>(head, kTagNode, [](const CommandNode& n) { return n.next; });
    uint32_t next = 0;
    for (size_t i = links.size(); i-- > 0;) {
      uint32_t link = links[i];
      uint32_t size = MdlRecordSize(ctx_, link);
      switch (MdlAt<CommandNode>(ctx_, link)->type) {
        case kNodeItemCommand: {
          if (size < sizeof(ModelItemCommandNode)) continue;
          ModelItemCommandNode n = *MdlAt<ModelItemCommandNode>(ctx_, link);
          n.next = next;
          next = PutRecord(n);
          break;
        }
        case kNodeCommandString: {
          if (size < sizeof(ModelStringCommandNode)) continue;
          ModelStringCommandNode n = *MdlAt<ModelStringCommandNode>(ctx_, link);
          auto it = commandTexts_.find(uint32_t{n.numberOrLength});
          n.numberOrLength = it == commandTexts_.end() ? 0 : it->second.length;
          n.text = it == commandTexts_.end() ? 0 : it->second.offset;
          n.next = next;
          next = PutRecord(n);
          break;
        }
        case kNodeBlock: {
          if (size < sizeof(ModelBlockCommandNode)) continue;
          ModelBlockCommandNode n = *MdlAt<ModelBlockCommandNode>(ctx_, link);
          n.group = PackGroup(n.group, depth + 1);  // the nested group just before its node
          n.next = next;
          next = PutRecord(n);
          break;
        }
        case kNodeFontList: {
          CommandNode n = *MdlAt<CommandNode>(ctx_, link);
          n.next = next;
          next = PutRecord(n);
          break;
        }
        default:
          break;
      }
    }
    return next;
  }

  uint32_t PackGroup(uint32_t link, int depth) {
    const auto* source = Record<ModelCommandGroup>(link, kTagGroup);
    if (!source || depth > kMaxGroupNesting) return 0;
    ModelCommandGroup group = *source;
    group.mainBranch = PackBranch(group.mainBranch, depth);
    group.elseBranch = PackBranch(group.elseBranch, depth);
    group.condition = Resolve(judges_, group.condition);
    return PutRecord(group);
  }

  void PackFonts(uint32_t* countSlot, uint32_t* arraySlot, uint32_t count, uint32_t array) {
    *countSlot = count;
    *arraySlot = 0;
    const auto* entries = Record<uint32_t>(array, kTagArray);
    if (!entries || count == 0) return;
    uint32_t n = std::min(count, MdlRecordSize(ctx_, array) / 4);
    std::vector<uint32_t> offsets(n);
    for (uint32_t i = 0; i < n; ++i) {
      const auto* source = Record<DeviceFontList>(entries[i], kTagFont);
      if (!source) continue;
      DeviceFontList font = *source;
      font.name = PutText(font.name);
      offsets[i] = PutRecord(font);
    }
    *countSlot = n;
    *arraySlot = Put(offsets.data(), n * 4);
  }

  void MdlPackStrings() {
    for (uint32_t c = ctx_->commandStrings.head; c;) {
      const auto* cs = Record<MdlCommandString>(c, kTagCommandString);
      if (!cs) break;
      const char* text = MdlAt<char>(ctx_, cs->text);
      if (text && MdlRecordTag(ctx_, cs->text) == kTagText) {
        uint32_t length = std::min(cs->length, MdlRecordSize(ctx_, cs->text));
        uint32_t at = Put(text, length);
        commandTexts_.emplace(static_cast<uint32_t>(cs->number), CommandText{at, length});
      }
      c = cs->next;
    }
    header_.uiResDllName = PutWide(ctx_->header.uiResDllName);
    header_.excDepDllName = PutWide(ctx_->header.excDepDllName);
    for (uint32_t g = 0; g < kGroupSlotCount; ++g) header_.groups[g] = PackGroup(ctx_->header.groups[g], 0);
    PackFonts(&header_.deviceFontCount, &header_.deviceFonts, ctx_->header.deviceFontCount, ctx_->header.deviceFonts);
    PackFonts(&header_.cartridgeFontCount, &header_.cartridgeFonts, ctx_->header.cartridgeFontCount,
              ctx_->header.cartridgeFonts);
  }

  const CompileContext* ctx_;
  uint8_t* block_;
  uint64_t capacity_;
  uint64_t pos_ = kModelHeaderSize;
  uint64_t rulesEnd_ = kModelHeaderSize;
  uint64_t itemsEnd_ = kModelHeaderSize;
  ModelImageHeader header_{};
  bool rulesPacked_ = false;
  NumberMap judges_, items_, actions_, transacts_, alertActions_, alerts_;
  std::unordered_map<uint16_t, uint32_t> exclusiveByName_;  // the first rule of each name index
  std::unordered_map<uint32_t, CommandText> commandTexts_;  // the first text of each number
};

// Runs a packer; false when out of memory.
bool Measure(Packer* packer) {
  try {
    packer->Run();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

uint32_t SectionSize(const CompileContext* ctx, uint64_t (Packer::*section)() const) {
  if (!ctx) return 0;
  Packer packer(ctx, nullptr, 0);
  if (!Measure(&packer) || packer.End() > kMdlMaxTaggedOffset) return 0;
  return static_cast<uint32_t>((packer.*section)());
}

}  // namespace

uint32_t MdlSizeRules(const CompileContext* ctx) { return SectionSize(ctx, &Packer::RulesBytes); }
uint32_t MdlSizeItems(const CompileContext* ctx) { return SectionSize(ctx, &Packer::ItemsBytes); }
uint32_t MdlSizeStrings(const CompileContext* ctx) { return SectionSize(ctx, &Packer::StringsBytes); }

uint32_t MdlSizeImage(const CompileContext* ctx) {
  if (!ctx) return 0;
  Packer packer(ctx, nullptr, 0);
  if (!Measure(&packer) || packer.End() > kMdlMaxTaggedOffset) return 0;
  return static_cast<uint32_t>(packer.End());
}

int MdlPackInto(uint8_t* block, uint32_t size, const CompileContext* ctx) {
  if (!block || !ctx || size < kModelHeaderSize) return 0;
  std::memset(block, 0, size);
  Packer packer(ctx, block, size);
  if (!Measure(&packer)) return 0;
  return packer.End() == size ? 1 : 0;
}

ModelImage* MdlPackImage(CompileContext* ctx) {
  if (!ctx) return nullptr;
  uint32_t size = MdlSizeImage(ctx);
  auto* block = size ? static_cast<uint8_t*>(CtxAllocMem(size)) : nullptr;
  if (block && !MdlPackInto(block, size, ctx)) {
    MdlFreeMem(block);
    block = nullptr;
  }
  MdlFreeCompileContext(ctx);
  if (block) MdlNoteNewImage();
  return reinterpret_cast<ModelImage*>(block);
}

ModelImage* MdlCompileImage(const WCHAR* path) { return MdlPackImage(MdlCompileSource(path)); }
