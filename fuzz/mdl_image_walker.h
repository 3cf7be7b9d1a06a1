// The walk of a model image that the model fuzz targets use as their oracle: every link of an
// image that passed the image check is followed the way the queries and the evaluator read it,
// and a link that leaves the image, a text without end or a walk without end aborts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "model_image.h"

namespace mdl_fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "model image walk: %s\n", what);
  std::abort();
}

// Reads every record of an image that passed the check, as the queries and the evaluator would.
class Walker {
 public:
  explicit Walker(const ModelImage* image) : m_(image) {}

  void Run() {
    const ModelImageHeader& h = m_->header;
    for (uint32_t l = h.firstItem; l; l = Need<ModelItem>(l)->next) Item(l);
    for (uint32_t id = 1; id <= 10442; ++id)
      if (const uint32_t* slot = ModelItemSlot(&h, id); slot && *slot) Item(*slot);
    for (uint32_t l = h.firstExclusive; l; l = Need<ExclusiveRule>(l)->next) Exclusive(l);
    WCHAR name[64];
    if (h.uiResDllName && MdlImageCopyWide(m_, h.uiResDllName, name, 64) < 0) Fail("module name");
    for (uint32_t g : h.groups) Group(g, 0);
    Fonts(h.deviceFontCount, h.deviceFonts);
    Fonts(h.cartridgeFontCount, h.cartridgeFonts);
  }

 private:
  void Step() {
    if (++steps_ > 50'000'000) Fail("walk does not end");
  }
  template <class T>
  const T* Need(uint32_t offset) {
    Step();
    const T* r = MdlImageAt<T>(m_, offset);
    if (!r) Fail("link outside the image");
    return r;
  }
  template <class T>
  const T* NeedRef(uint32_t ref) {
    Step();
    const T* r = MdlImageRef<T>(m_, ref);
    if (!r) Fail("reference outside the image");
    return r;
  }
  void Text(uint32_t offset) {
    if (offset && !MdlImageText(m_, offset)) Fail("text not terminated");
  }
  void Cells(uint32_t ref) {
    if (!ref) return;
    uint32_t count = 0;
    const RuleCell* cells = MdlImageCells(m_, ref, &count);
    if (!cells) Fail("cells without end");
    for (uint32_t i = 0; i < count; ++i) sum_ += cells[i].op + cells[i].value;
  }

  void Values(uint16_t kind, uint32_t offset) {
    if (!offset) return;
    switch (kind) {
      case kItemBoolean: {
        const auto* b = Need<ModelBooleanValue>(offset);
        Text(b->trueText);
        Text(b->falseText);
        return;
      }
      case kItemNumeric:
        sum_ += Need<ModelNumericValue>(offset)->maximum;
        return;
      case kItemString:
        sum_ += Need<ModelStringValue>(offset)->maxChars;
        return;
      default:
        break;
    }
    for (uint32_t v = offset; v; v = Need<ModelValue>(v)->next) {
      Text(Need<ModelValue>(v)->text);
      if (kind == kItemPickPage) {
        for (uint32_t g = Need<ModelPageValue>(v)->geometry; g; g = Need<PageGeometry>(g)->next) sum_ += Need<PageGeometry>(g)->width;
      } else if (kind == kItemPickSlot) {
        const auto* s = Need<ModelSlotValue>(v);
        for (int32_t i = 0; i < s->paperCount; ++i) {
          if (!MdlImageSpan(m_, s->papers, (uint64_t(i) + 1) * 2)) Fail("paper array");
          sum_ += MdlImageU16(m_, s->papers, static_cast<uint32_t>(i));
        }
      } else if (kind == kItemFontTbl) {
        const auto* f = Need<ModelFontValue>(v);
        for (int32_t i = 0; i < f->pairCount; ++i) {
          if (!MdlImageSpan(m_, f->trueTypeNames, (uint64_t(i) + 1) * 4) || !MdlImageSpan(m_, f->deviceNames, (uint64_t(i) + 1) * 4))
            Fail("font arrays");
          Text(MdlImageU32(m_, f->trueTypeNames, static_cast<uint32_t>(i)));
          Text(MdlImageU32(m_, f->deviceNames, static_cast<uint32_t>(i)));
        }
      }
    }
  }

  void Item(uint32_t offset) {
    const ModelItem* item = Need<ModelItem>(offset);
    if (item->optionCommand) {
      const auto* command = Need<ModelOptionCommand>(item->optionCommand);
      Text(command->text1);
      Text(command->text2);
    }
    if (item->exclusive) Exclusive(item->exclusive);
    Values(ModelItemKind(item->typeWord), item->values);
  }

  void Transacts(uint32_t ref) {
    for (; ref; ref = NeedRef<TransactRow>(ref)->next) {
      Cells(NeedRef<TransactRow>(ref)->judge);
      for (uint32_t a = NeedRef<TransactRow>(ref)->action; a; a = NeedRef<ActionRow>(a)->next) sum_ += NeedRef<ActionRow>(a)->value;
    }
  }

  void Exclusive(uint32_t offset) {
    const ExclusiveRule* rule = Need<ExclusiveRule>(offset);
    Cells(rule->disabled);
    Cells(rule->restricted);
    Cells(rule->locked);
    for (uint32_t r = rule->itemRules; r; r = NeedRef<ItemRuleRow>(r)->next) {
      const auto* row = NeedRef<ItemRuleRow>(r);
      Cells(row->disabled);
      Cells(row->restricted);
      Cells(row->locked);
    }
    for (uint32_t r = rule->alert; r; r = NeedRef<AlertRow>(r)->next) {
      Cells(NeedRef<AlertRow>(r)->judge);
      for (uint32_t a = NeedRef<AlertRow>(r)->alertAction; a; a = NeedRef<AlertActionRow>(a)->next)
        Transacts(NeedRef<AlertActionRow>(a)->transact);
    }
    Transacts(rule->transact1);
    Transacts(rule->transact2);
  }

  void Group(uint32_t offset, int depth) {
    if (!offset) return;
    if (depth > 64) Fail("groups nest too deep");
    const auto* group = Need<ModelCommandGroup>(offset);
    Cells(group->condition);
    for (uint32_t branch : {group->mainBranch, group->elseBranch})
      for (uint32_t n = branch; n; n = Need<CommandNode>(n)->next) {
        const auto* node = Need<CommandNode>(n);
        if (node->type == kNodeCommandString) {
          const auto* s = Need<ModelStringCommandNode>(n);
          if (s->text && !MdlImageSpan(m_, s->text, s->numberOrLength)) Fail("command text");
        } else if (node->type == kNodeBlock) {
          Group(Need<ModelBlockCommandNode>(n)->group, depth + 1);
        } else if (node->type == kNodeItemCommand) {
          sum_ += Need<ModelItemCommandNode>(n)->variant;
        }
      }
  }

  void Fonts(uint32_t count, uint32_t array) {
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t entry = MdlImageU32(m_, array, i);
      if (!entry) break;
      Text(Need<DeviceFontList>(entry)->name);
    }
  }

  const ModelImage* m_;
  uint64_t steps_ = 0;
  uint64_t sum_ = 0;
};

}  // namespace mdl_fuzz
