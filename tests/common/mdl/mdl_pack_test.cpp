// Packing a compiled model into one image: the layout of the header and the three sections, the
// links between records, byte-exact output, and the check of damaged images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core_memory.h"
#include "mdl_test_support.h"

namespace {

using zolt::test::CompileText;
using zolt::test::ContextPtr;
using zolt::test::SkipLog;

struct ImageDeleter {
  void operator()(ModelImage* image) const { MdlFreeMem(image); }
};
using ImagePtr = std::unique_ptr<ModelImage, ImageDeleter>;

std::vector<uint8_t> Pack(const CompileContext* ctx) {
  uint32_t size = MdlSizeImage(ctx);
  std::vector<uint8_t> bytes(size);
  EXPECT_EQ(MdlPackInto(bytes.data(), size, ctx), 1);
  return bytes;
}

// A field of a byte-packed image record as a value (the macros of the tests take references,
// which must not bind to fields that are not aligned).
template <class T>
T Val(T v) {
  return v;
}

const ModelImage* Image(const std::vector<uint8_t>& bytes) { return reinterpret_cast<const ModelImage*>(bytes.data()); }

std::string Hex(uint32_t v) {
  char s[16];
  snprintf(s, sizeof s, "%x", v);
  return s;
}

std::string Quoted(const char* text, size_t length) {
  std::string out = "\"";
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char esc[8];
      snprintf(esc, sizeof esc, "\\x%02x", c);
      out += esc;
    }
  }
  return out + "\"";
}

std::string CellsText(const RuleCell* cells, size_t count) {
  std::string out = "(";
  for (size_t i = 0; i < count; ++i) out += (i ? " " : "") + std::to_string(cells[i].op) + ":" + std::to_string(cells[i].value);
  return out + ")";
}

// ---------------------------------------------------------------------------------------------
// The whole model as text, read once from the compile context (references resolved by number as
// the format says) and once from the packed image (links followed through the accessors).
// Packing must keep every fact.

// The compile context as a source of records. Row handles are arena links.
class ContextSource {
 public:
  explicit ContextSource(const CompileContext* ctx) : c_(ctx) {}
  const ModelImageHeader& Header() const { return c_->header; }
  template <class T>
  const T* At(uint32_t link) const {
    return MdlAt<T>(c_, link);
  }
  std::string Text(uint32_t link) const { return link ? Quoted(At<char>(link), strlen(At<char>(link))) : "-"; }
  std::string Wide(uint32_t link) const {
    std::string out;
    for (const WCHAR* w = At<WCHAR>(link); w && *w; ++w) out += static_cast<char>(*w);
    return link ? out : "-";
  }
  uint32_t U16(uint32_t array, int32_t i) const { return At<uint16_t>(array)[i]; }
  uint32_t U32(uint32_t array, int32_t i) const { return At<uint32_t>(array)[i]; }

  // Variant and Identity items first in the reverse of their source order, then the plain ones.
  std::vector<const ModelItem*> Items() const {
    std::vector<const ModelItem*> order;
    for (auto it = Source().rbegin(); it != Source().rend(); ++it)
      if ((*it)->variant) order.push_back(*it);
    for (const ModelItem* i : Source())
      if (!i->variant) order.push_back(i);
    return order;
  }
  // A variant or Identity item shows the values of the first plain item of its key whose values
  // have the same kind.
  uint32_t ValuesOf(const ModelItem& i) const {
    if (!i.variant || !i.values) return i.values;
    uint16_t key = (i.typeWord & kItemIdentity) ? i.variant : i.nameIndex;
    for (const ModelItem* p : Source())
      if (!p->variant && p->nameIndex == key && p->values && ModelItemKind(p->typeWord) == ModelItemKind(i.typeWord))
        return p->values;
    return 0;
  }
  std::string RuleOf(const ModelItem& i) const {
    if (!HasRules()) return "-";
    for (const ExclusiveRule* e : Exclusives())
      if (e->nameIndex == i.nameIndex) return std::to_string(i.nameIndex);
    return "-";
  }
  std::vector<const ExclusiveRule*> Exclusives() const {
    std::vector<const ExclusiveRule*> out;
    if (HasRules())
      for (uint32_t l = c_->exclusives.head; l; l = At<ExclusiveRule>(l)->next) out.push_back(At<ExclusiveRule>(l));
    return out;
  }
  // The 16 low bits of a reference name the first record of the kind with that number.
  std::string Judge(uint32_t ref) const {
    if (!(ref & 0xFFFF)) return "-";
    for (uint32_t l = c_->judges.head; l; l = At<MdlJudgeRecord>(l)->next) {
      const auto* j = At<MdlJudgeRecord>(l);
      if ((j->number & 0xFFFF) == (ref & 0xFFFF)) return CellsText(At<RuleCell>(j->cells), j->size / 4);
    }
    return "-";
  }
  uint32_t FirstRow(int kind, uint32_t ref) const {
    const MdlList* lists[] = {&c_->judges, &c_->itemRules, &c_->actions, &c_->transacts, &c_->alertActions, &c_->alerts};
    if (!(ref & 0xFFFF)) return 0;
    for (uint32_t l = lists[kind]->head; l; l = At<MdlRuleStatement>(l)->next)
      if ((At<MdlRuleStatement>(l)->number & 0xFFFF) == (ref & 0xFFFF)) return At<MdlRuleStatement>(l)->firstRow;
    return 0;
  }
  template <class Row>
  const Row* RowAt(uint32_t handle) const {
    return At<Row>(handle);
  }
  std::string CommandText(const ModelStringCommandNode& node) const {
    for (uint32_t l = c_->commandStrings.head; l; l = At<MdlCommandString>(l)->next)
      if (static_cast<uint32_t>(At<MdlCommandString>(l)->number) == node.numberOrLength)
        return Quoted(At<char>(At<MdlCommandString>(l)->text), At<MdlCommandString>(l)->length);
    return "-";
  }

 private:
  bool HasRules() const {
    return c_->judges.head || c_->itemRules.head || c_->actions.head || c_->transacts.head || c_->alertActions.head ||
           c_->alerts.head;
  }
  const std::vector<const ModelItem*>& Source() const {
    if (source_.empty())
      for (uint32_t l = c_->header.firstItem; l; l = At<ModelItem>(l)->next) source_.push_back(At<ModelItem>(l));
    return source_;
  }

  const CompileContext* c_;
  mutable std::vector<const ModelItem*> source_;
};

// The packed image as a source of records. Row handles are tagged references.
class ImageSource {
 public:
  explicit ImageSource(const ModelImage* image) : m_(image) {}
  const ModelImageHeader& Header() const { return m_->header; }
  template <class T>
  const T* At(uint32_t offset) const {
    const T* r = MdlImageAt<T>(m_, offset);
    EXPECT_TRUE(r) << offset;
    return r;
  }
  std::string Text(uint32_t offset) const {
    if (!offset) return "-";
    const char* t = MdlImageText(m_, offset);
    return t ? Quoted(t, strlen(t)) : "<bad>";
  }
  std::string Wide(uint32_t offset) const {
    WCHAR buffer[64];
    if (MdlImageCopyWide(m_, offset, buffer, 64) < 0) return "-";
    std::string out;
    for (const WCHAR* w = buffer; *w; ++w) out += static_cast<char>(*w);
    return out;
  }
  uint32_t U16(uint32_t array, int32_t i) const { return MdlImageU16(m_, array, static_cast<uint32_t>(i)); }
  uint32_t U32(uint32_t array, int32_t i) const { return MdlImageU32(m_, array, static_cast<uint32_t>(i)); }

  std::vector<const ModelItem*> Items() const {
    std::vector<const ModelItem*> out;
    for (uint32_t l = m_->header.firstItem; l; l = At<ModelItem>(l)->next) out.push_back(At<ModelItem>(l));
    return out;
  }
  uint32_t ValuesOf(const ModelItem& i) const { return i.values; }
  std::string RuleOf(const ModelItem& i) const {
    return i.exclusive ? std::to_string(At<ExclusiveRule>(i.exclusive)->nameIndex) : "-";
  }
  std::vector<const ExclusiveRule*> Exclusives() const {
    std::vector<const ExclusiveRule*> out;
    for (uint32_t l = m_->header.firstExclusive; l; l = At<ExclusiveRule>(l)->next) out.push_back(At<ExclusiveRule>(l));
    return out;
  }
  std::string Judge(uint32_t ref) const {
    if (!ref) return "-";
    uint32_t count = 0;
    const RuleCell* cells = MdlImageCells(m_, ref, &count);
    EXPECT_TRUE(cells) << Hex(ref);
    return cells ? CellsText(cells, count) : "<bad>";
  }
  uint32_t FirstRow(int, uint32_t ref) const { return ref; }
  template <class Row>
  const Row* RowAt(uint32_t ref) const {
    const Row* r = MdlImageRef<Row>(m_, ref);
    EXPECT_TRUE(r) << Hex(ref);
    return r;
  }
  std::string CommandText(const ModelStringCommandNode& node) const {
    const uint8_t* text = MdlImageSpan(m_, node.text, node.numberOrLength);
    return text && node.text ? Quoted(reinterpret_cast<const char*>(text), node.numberOrLength) : "-";
  }

 private:
  const ModelImage* m_;
};

template <class Source>
class Describer {
 public:
  explicit Describer(const Source& source) : s_(source) {}

  std::string Describe() const {
    const ModelImageHeader& h = s_.Header();
    std::string version;
    for (const WCHAR* w = h.fileVersion; *w; ++w) version += static_cast<char>(*w);
    std::string out = "version " + version + " ui " + s_.Wide(h.uiResDllName) + " exc " + s_.Wide(h.excDepDllName) + "\n";
    for (const ModelItem* i : s_.Items()) out += Item(*i);
    for (const ExclusiveRule* e : s_.Exclusives()) out += Exclusive(*e);
    for (uint32_t g = 0; g < kGroupSlotCount; ++g) out += "group" + std::to_string(g) + " " + Group(h.groups[g]) + "\n";
    return out + Fonts(h.deviceFontCount, h.deviceFonts) + Fonts(h.cartridgeFontCount, h.cartridgeFonts);
  }

 private:
  template <class T>
  const T* At(uint32_t link) const {
    return s_.template At<T>(link);
  }

  static std::string Geometry(const PageGeometry& r) {
    return " [" + std::to_string(r.resolution) + " " + std::to_string(r.orientation) + " " + std::to_string(r.conditionName) +
           "=" + std::to_string(r.conditionValue) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.width) + "," + std::to_string(r.height) + "," + std::to_string(r.paperWidth) + "," +
           std::to_string(r.paperLength) + "]";
  }

  std::string Values(uint16_t kind, uint32_t link) const {
    if (!link) return "none";
    switch (kind) {
      case kItemBoolean: {
        const auto* b = At<ModelBooleanValue>(link);
        return std::to_string(b->defaultValue) + " " + s_.Text(b->trueText) + " " + s_.Text(b->falseText);
      }
      case kItemNumeric: {
        const auto* n = At<ModelNumericValue>(link);
        return std::to_string(n->unitLabel) + " " + std::to_string(n->maxChars) + " " + std::to_string(n->defaultValue) + " " +
               std::to_string(n->minimum) + " " + std::to_string(n->maximum) + " " + std::to_string(n->divisor) + " " +
               std::to_string(n->pageSize) + " " + std::to_string(n->seventh) + " " + std::to_string(n->eighth);
      }
      case kItemString: {
        const auto* v = At<ModelStringValue>(link);
        return std::to_string(v->defaultValueId) + " " + std::to_string(v->maxChars) + " " + Hex(v->charAttr) + " " +
               Hex(v->displayAttr);
      }
      default:
        break;
    }
    std::string out;
    for (uint32_t v = link; v; v = At<ModelValue>(v)->next) {
      const auto* head = At<ModelValue>(v);
      out += "\n    " + std::to_string(head->valueId) + " " + s_.Text(head->text);
      if (kind == kItemPickPage) {
        const auto* p = At<ModelPageValue>(v);
        out += " " + std::to_string(p->paperWidth) + "x" + std::to_string(p->paperLength);
        for (uint32_t g = p->geometry; g; g = At<PageGeometry>(g)->next) out += Geometry(*At<PageGeometry>(g));
      } else if (kind == kItemPickSlot) {
        const auto* slot = At<ModelSlotValue>(v);
        out += " papers";
        for (int32_t i = 0; i < slot->paperCount; ++i) out += " " + std::to_string(s_.U16(slot->papers, i));
      } else if (kind == kItemFontTbl) {
        const auto* f = At<ModelFontValue>(v);
        for (int32_t i = 0; i < f->pairCount; ++i)
          out += " " + s_.Text(s_.U32(f->trueTypeNames, i)) + "=" + s_.Text(s_.U32(f->deviceNames, i));
      }
    }
    return out;
  }

  std::string Item(const ModelItem& i) const {
    std::string out = "item " + std::to_string(i.nameIndex) + "/" + std::to_string(i.variant) + " id " +
                      std::to_string(i.settingId) + " type " + Hex(i.typeWord) + " default " + std::to_string(i.defaultValue);
    if (i.optionCommand) {
      const auto* cmd = At<ModelOptionCommand>(i.optionCommand);
      out += " command " + s_.Text(cmd->text1) + " " + s_.Text(cmd->text2);
    }
    return out + " rule " + s_.RuleOf(i) + " values " + Values(ModelItemKind(i.typeWord), s_.ValuesOf(i)) + "\n";
  }

  template <class Row, class Each>
  std::string Rows(int kind, uint32_t ref, Each each) const {
    std::string out = "[";
    for (uint32_t r = s_.FirstRow(kind, ref); r; r = s_.template RowAt<Row>(r)->next) out += " " + each(*s_.template RowAt<Row>(r));
    return out + " ]";
  }
  std::string Actions(uint32_t ref) const {
    return Rows<ActionRow>(kRuleAction, ref, [](const ActionRow& a) {
      return std::to_string(a.target) + "/" + std::to_string(a.targetKind) + "=" + std::to_string(a.value);
    });
  }
  std::string Transacts(uint32_t ref) const {
    return Rows<TransactRow>(kRuleTransact, ref,
                             [&](const TransactRow& t) { return "if " + s_.Judge(t.judge) + " do " + Actions(t.action); });
  }
  std::string AlertActions(uint32_t ref) const {
    return Rows<AlertActionRow>(kRuleAlertAction, ref, [&](const AlertActionRow& a) {
      return std::to_string(a.nameIndex) + " " + Transacts(a.transact) + " " + std::to_string(a.dialogId) + "/" +
             std::to_string(a.controlId);
    });
  }
  std::string Alerts(uint32_t ref) const {
    return Rows<AlertRow>(kRuleAlert, ref, [&](const AlertRow& a) {
      return "if " + s_.Judge(a.judge) + " " + std::to_string(a.messageId) + " " + Hex(a.icon) + " " + Hex(a.buttons) + " " +
             Hex(a.timing) + " " + AlertActions(a.alertAction);
    });
  }
  std::string ItemRows(uint32_t ref) const {
    return Rows<ItemRuleRow>(kRuleItem, ref, [&](const ItemRuleRow& r) {
      return std::to_string(r.valueId) + " " + s_.Judge(r.disabled) + " " + s_.Judge(r.restricted) + " " + s_.Judge(r.locked);
    });
  }
  std::string Exclusive(const ExclusiveRule& e) const {
    return "rule " + std::to_string(e.nameIndex) + " disabled " + s_.Judge(e.disabled) + " restricted " +
           s_.Judge(e.restricted) + " locked " + s_.Judge(e.locked) + " values " + ItemRows(e.itemRules) + " alert " +
           Alerts(e.alert) + " first " + Transacts(e.transact1) + " second " + Transacts(e.transact2) + "\n";
  }

  std::string Branch(uint32_t node) const {
    std::string out;
    for (; node; node = At<CommandNode>(node)->next) {
      const auto* n = At<CommandNode>(node);
      if (n->type == kNodeItemCommand)
        out += " I" + std::to_string(n->word6) + "/" + std::to_string(At<ModelItemCommandNode>(node)->variant);
      else if (n->type == kNodeCommandString)
        out += " S" + s_.CommandText(*At<ModelStringCommandNode>(node));
      else if (n->type == kNodeBlock)
        out += " " + Group(At<ModelBlockCommandNode>(node)->group);
      else
        out += " F";
    }
    return out;
  }
  std::string Group(uint32_t link) const {
    if (!link) return "-";
    const auto* g = At<ModelCommandGroup>(link);
    return "{if " + s_.Judge(g->condition) + Branch(g->mainBranch) + " else" + Branch(g->elseBranch) + "}";
  }
  std::string Fonts(uint32_t count, uint32_t array) const {
    std::string out = "fonts";
    for (uint32_t i = 0; i < count; ++i) {
      const auto* f = At<DeviceFontList>(s_.U32(array, static_cast<int32_t>(i)));
      out += " " + std::to_string(f->fontId) + "=" + s_.Text(f->name);
    }
    return out + "\n";
  }

  const Source& s_;
};

std::string DescribeContext(const CompileContext* ctx) {
  ContextSource source(ctx);
  return Describer<ContextSource>(source).Describe();
}
std::string DescribeImage(const ModelImage* image) {
  ImageSource source(image);
  return Describer<ImageSource>(source).Describe();
}

// ---------------------------------------------------------------------------------------------
// Layout checks that hold for every packed image.

// Every tagged reference of the rule section lies in [8376, rulesEnd); plain offsets of items
// and texts after it.
void CheckLayout(const CompileContext* ctx, const std::vector<uint8_t>& bytes) {
  const ModelImage* image = Image(bytes);
  const ModelImageHeader& h = image->header;
  ASSERT_EQ(h.totalSize, bytes.size());
  uint32_t rules = MdlSizeRules(ctx), items = MdlSizeItems(ctx), strings = MdlSizeStrings(ctx);
  EXPECT_EQ(kModelHeaderSize + rules + items + strings, bytes.size());
  uint32_t rulesEnd = kModelHeaderSize + rules;
  uint32_t itemsEnd = rulesEnd + items;
  EXPECT_EQ(MdlCheckImage(bytes.data(), bytes.size()), 1);
  EXPECT_EQ(std::memcmp(h.fileVersion, ctx->header.fileVersion, sizeof h.fileVersion), 0);

  // Items: in the item section, 28 bytes each, each direct slot naming the first plain item of its
  // setting in source order, else its first variant or Identity item.
  std::map<uint16_t, uint16_t> expectSlot;  // setting -> name index/variant packed as (ni << 16 | v)
  std::map<uint16_t, std::pair<uint16_t, uint16_t>> firstPlain, firstOther;
  for (uint32_t l = ctx->header.firstItem; l; l = MdlAt<ModelItem>(ctx, l)->next) {
    const ModelItem* i = MdlAt<ModelItem>(ctx, l);
    auto& m = i->variant ? firstOther : firstPlain;
    m.emplace(i->settingId, std::make_pair(i->nameIndex, i->variant));
  }
  std::set<uint32_t> itemOffsets;
  for (uint32_t l = h.firstItem; l; l = MdlImageAt<ModelItem>(image, l)->next) {
    EXPECT_GE(l, rulesEnd);
    EXPECT_LE(l + sizeof(ModelItem), itemsEnd);
    itemOffsets.insert(l);
    const ModelItem* i = MdlImageAt<ModelItem>(image, l);
    if (i->next) {
      EXPECT_LT(Val(i->next), l) << "items are written from the last to the first";
    }
    if (i->exclusive) {
      EXPECT_GE(Val(i->exclusive), kModelHeaderSize);
      EXPECT_LT(Val(i->exclusive), rulesEnd);
    }
  }
  for (uint32_t id = 1; id <= 10442; ++id) {
    const uint32_t* slot = ModelItemSlot(&h, id);
    if (!slot) continue;
    auto plain = firstPlain.find(static_cast<uint16_t>(id));
    auto other = firstOther.find(static_cast<uint16_t>(id));
    if (plain == firstPlain.end() && other == firstOther.end()) {
      EXPECT_EQ(*slot, 0u) << id;
      continue;
    }
    ASSERT_TRUE(itemOffsets.count(*slot)) << id;
    const ModelItem* i = MdlImageAt<ModelItem>(image, *slot);
    auto want = plain != firstPlain.end() ? plain->second : other->second;
    EXPECT_EQ(Val(i->settingId), id);
    EXPECT_EQ(std::make_pair(Val(i->nameIndex), Val(i->variant)), want) << id;
  }

  // Rules: the Exclusive rules 36 bytes apart at the end of the rule section; every reference of
  // the rule section tagged.
  if (h.firstExclusive) {
    uint32_t count = 0;
    for (uint32_t l = ctx->exclusives.head; l; l = MdlAt<ExclusiveRule>(ctx, l)->next) ++count;
    EXPECT_EQ(h.firstExclusive + count * sizeof(ExclusiveRule), rulesEnd);
    for (uint32_t l = h.firstExclusive; l; l = MdlImageAt<ExclusiveRule>(image, l)->next) {
      const ExclusiveRule* e = MdlImageAt<ExclusiveRule>(image, l);
      for (uint32_t ref : {e->disabled, e->restricted, e->itemRules, e->alert, e->transact1, e->transact2, e->locked})
        if (ref) {
          EXPECT_TRUE(MdlIsTaggedRef(ref)) << Hex(ref);
          EXPECT_LT(MdlTaggedOffset(ref), h.firstExclusive);
        }
    }
  }
  // Texts and commands after the items.
  for (uint32_t slot : {h.uiResDllName, h.excDepDllName, h.groups[0], h.groups[1], h.groups[2], h.groups[3],
                        h.groups[4], h.deviceFonts, h.cartridgeFonts})
    if (slot) {
      EXPECT_GE(slot, itemsEnd);
    }
}

std::string Sample(const char* name) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/models/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class MdlPack : public zolt::test::MdlSymbolsTest {};

TEST(MdlPackSamples, EveryFactOfTheSampleModelsReachesTheImage) {
  zolt::test::TestSymbols::Install(/*permissive=*/true);
  for (const char* file : {"ZOLT7000.QCS", "ZOLT2100.QCS"}) {
    ContextPtr ctx = CompileText(Sample(file));
    ASSERT_TRUE(ctx) << file;
    std::vector<uint8_t> bytes = Pack(ctx.get());
    CheckLayout(ctx.get(), bytes);
    std::string fromContext = DescribeContext(ctx.get());
    std::string fromImage = DescribeImage(Image(bytes));
    EXPECT_EQ(fromImage, fromContext) << file;
    // The samples use rules of every kind.
    EXPECT_NE(fromImage.find("rule "), std::string::npos) << file;
    // Packing again, and compiling and packing again, give the same bytes.
    EXPECT_EQ(Pack(ctx.get()), bytes) << file;
    ContextPtr again = CompileText(Sample(file));
    EXPECT_EQ(Pack(again.get()), bytes) << file;
  }
  zolt::test::TestSymbols::Remove();
}

// ---------------------------------------------------------------------------------------------
// Golden bytes of a small model (tests/common/mdl/data/small_model.hex): 16 bytes a line with
// their offset; a run of zero lines is shown as "*". ZOLT_WRITE_GOLDEN=1 writes the file anew.

const char kSmallModel[] =
    "*FileVersion: 1.0\n"
    "*UIResDLLName: \"RES.DLL\"\n"
    "*OpenUI *ZPD_Paper: PickOne\n"
    "*DefaultZPD_Paper: PAPER_A3\n"
    "*ZPD_Paper PAPER_A4: \"A4\"\n"
    "*ZPD_Paper PAPER_A3: \"A3\"\n"
    "*OptionCommand: { \"P=\" \"<0A>\" }\n"
    "*CloseUI: *ZPD_Paper\n"
    "*OpenUI *ZPD_Duplex: Boolean\n"
    "*DefaultZPD_Duplex: True\n"
    "*ZPD_Duplex True: \"On\"\n"
    "*CloseUI: *ZPD_Duplex\n"
    "*Judge 1=IsA4: ZPD_Paper == PAPER_A4\n"
    "*Action 1=Simplex: { {ZPD_Duplex 0} }\n"
    "*Transact 1=Fix: { {IsA4 Simplex} }\n"
    "*Exclusive: { {ZPD_Duplex IsA4 NULL NULL NULL Fix NULL NULL} }\n"
    "*CommandString 1: \"<1B>E\"\n"
    "*CommandGroup: JobStart { Type: StringType 1 Command: IsA4 { Type: GroupType *ZPD_Paper } }\n"
    "*DeviceFonts: IDList { {\"Courier\" 1} }\n";

std::string HexDump(const std::vector<uint8_t>& bytes) {
  std::string out;
  bool inZeros = false;
  for (size_t line = 0; line < bytes.size(); line += 16) {
    size_t n = std::min<size_t>(16, bytes.size() - line);
    bool zero = std::all_of(bytes.begin() + line, bytes.begin() + line + n, [](uint8_t b) { return b == 0; });
    if (zero && line + 16 < bytes.size()) {
      if (!inZeros) out += "*\n";
      inZeros = true;
      continue;
    }
    inZeros = false;
    char text[80];
    int k = snprintf(text, sizeof text, "%06zx:", line);
    for (size_t i = 0; i < n; ++i) k += snprintf(text + k, sizeof text - k, " %02x", bytes[line + i]);
    out += std::string(text) + "\n";
  }
  return out;
}

TEST_F(MdlPack, GoldenBytesOfASmallModel) {
  SkipLog log;
  ContextPtr ctx = CompileText(kSmallModel, &log);
  ASSERT_TRUE(ctx);
  ASSERT_TRUE(log.entries.empty()) << log.entries[0];
  std::vector<uint8_t> bytes = Pack(ctx.get());
  CheckLayout(ctx.get(), bytes);
  std::string path = std::string(ZOLT_SOURCE_DIR) + "/tests/common/mdl/data/small_model.hex";
  if (const char* write = std::getenv("ZOLT_WRITE_GOLDEN"); write && *write == '1') {
    std::ofstream(path, std::ios::binary) << HexDump(bytes);
    GTEST_SKIP() << "written " << path;
  }
  std::ifstream in(path, std::ios::binary);
  std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(HexDump(bytes), golden);
}

// ---------------------------------------------------------------------------------------------
// Edge cases of the layout.

TEST_F(MdlPack, EmptyAndRuleFreeDescriptions) {
  // No items, no rules: the header alone.
  ContextPtr ctx = CompileText("*FileVersion: 2\n");
  std::vector<uint8_t> bytes = Pack(ctx.get());
  ASSERT_EQ(bytes.size(), kModelHeaderSize);
  EXPECT_EQ(Image(bytes)->header.firstItem, 0u);
  EXPECT_EQ(Image(bytes)->header.firstExclusive, 0u);
  EXPECT_EQ(MdlCheckImage(bytes.data(), bytes.size()), 1);
  // Exclusive rules alone make no rule section: no records, no slot, no item links.
  ctx = CompileText(
      "*OpenUI *ZPD_Duplex: Boolean\n*CloseUI: *ZPD_Duplex\n"
      "*Exclusive: { {ZPD_Duplex Judge1 NULL NULL NULL NULL NULL NULL} }\n");
  bytes = Pack(ctx.get());
  EXPECT_EQ(MdlSizeRules(ctx.get()), 0u);
  EXPECT_EQ(Image(bytes)->header.firstExclusive, 0u);
  EXPECT_EQ(Val(MdlImageAt<ModelItem>(Image(bytes), Image(bytes)->header.firstItem)->exclusive), 0u);
  // With a Judge the rule section exists, and an unresolved reference packs as 0.
  ctx = CompileText(
      "*OpenUI *ZPD_Duplex: Boolean\n*CloseUI: *ZPD_Duplex\n"
      "*Judge 1: ZPD_Duplex == 1\n"
      "*Exclusive: { {ZPD_Duplex Judge1 Judge2 Item1 NULL NULL NULL NULL} }\n");
  bytes = Pack(ctx.get());
  const ModelImage* image = Image(bytes);
  EXPECT_EQ(MdlSizeRules(ctx.get()), 4 * 4 + 36u);
  ASSERT_EQ(image->header.firstExclusive, kModelHeaderSize + 16);
  const ExclusiveRule* rule = MdlImageAt<ExclusiveRule>(image, image->header.firstExclusive);
  EXPECT_EQ(rule->disabled, MdlMakeTaggedRef(kModelHeaderSize));
  EXPECT_EQ(rule->restricted, 0u);
  EXPECT_EQ(rule->itemRules, 0u);
  EXPECT_EQ(Val(MdlImageAt<ModelItem>(image, image->header.firstItem)->exclusive), image->header.firstExclusive);
}

TEST_F(MdlPack, VariantAndIdentityItemsShareTheirSourceValues) {
  ContextPtr ctx = CompileText(
      // An Identity item whose setting has no plain item takes the setting's slot.
      "*OpenUI *ZPD_Paper2: Identity *ZPD_Tray\n*CloseUI: *ZPD_Paper2\n"
      "*OpenUI *ZPD_Tray: PickOne\n*ZPD_Tray: IDList { TRAY_1 TRAY_2 }\n*CloseUI: *ZPD_Tray\n"
      "*OpenUI *ZPD_Media: PickOne\n*ZPD_Media: IDList { MEDIA_PLAIN }\n*CloseUI: *ZPD_Media\n"
      "*OpenUI *ZPD_Media 2: PickOne\n*CloseUI: *ZPD_Media\n"
      "*OpenUI *ZPD_Cond: Identity *ZPD_Media\n*CloseUI: *ZPD_Cond\n");
  ASSERT_TRUE(ctx);
  std::vector<uint8_t> bytes = Pack(ctx.get());
  CheckLayout(ctx.get(), bytes);
  const ModelImage* image = Image(bytes);
  // List order: Cond (Identity), Media/2, Paper2 (Identity), then Tray and Media.
  std::vector<std::string> order;
  std::map<std::string, const ModelItem*> byName;
  for (uint32_t l = image->header.firstItem; l; l = MdlImageAt<ModelItem>(image, l)->next) {
    const ModelItem* i = MdlImageAt<ModelItem>(image, l);
    std::string name = std::to_string(i->nameIndex) + "/" + std::to_string(i->variant);
    order.push_back(name);
    byName[name] = i;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"508/397", "397/2", "507/399", "399/0", "397/0"}));
  EXPECT_EQ(Val(byName["397/2"]->values), Val(byName["397/0"]->values));
  EXPECT_EQ(Val(byName["508/397"]->values), Val(byName["397/0"]->values));
  // ZPD_Paper2 was compiled before ZPD_Tray had values: it has none.
  EXPECT_EQ(Val(byName["507/399"]->values), 0u);
  EXPECT_EQ(MdlImageAt<ModelItem>(image, *ModelItemSlot(&image->header, 8)), byName["507/399"]);
  EXPECT_EQ(DescribeContext(ctx.get()), DescribeImage(image));
}

TEST_F(MdlPack, RowsNamedFromSeveralPlacesArePackedOnce) {
  ContextPtr ctx = CompileText(
      "*Judge 1=IsA4: ZPD_Paper == PAPER_A4\n"
      "*Judge 1=Again: ZPD_Paper == PAPER_A3\n"   // a second record of number 1: not reached
      "*Action 1: { {ZPD_Duplex 0} {ZPD_Tray TRAY_1} }\n"
      "*Transact 5=Fix: { {IsA4 Action1} {NULL Action1} }\n"
      "*Exclusive: { {ZPD_Paper NULL NULL NULL NULL Fix Fix NULL} {ZPD_Tray NULL NULL NULL NULL Transact5 NULL IsA4} }\n");
  ASSERT_TRUE(ctx);
  std::vector<uint8_t> bytes = Pack(ctx.get());
  CheckLayout(ctx.get(), bytes);
  const ModelImage* image = Image(bytes);
  const auto* first = MdlImageAt<ExclusiveRule>(image, image->header.firstExclusive);
  const auto* second = MdlImageAt<ExclusiveRule>(image, first->next);
  EXPECT_EQ(first->next, image->header.firstExclusive + 36);
  EXPECT_EQ(second->next, 0u);
  EXPECT_NE(first->transact1, 0u);
  EXPECT_EQ(first->transact2, first->transact1);
  EXPECT_EQ(second->transact1, first->transact1);
  EXPECT_EQ(second->locked, MdlMakeTaggedRef(kModelHeaderSize));
  // Sections in order: both Judges' cells, the Action rows, the Transact rows, the rules.
  uint32_t actions = kModelHeaderSize + 2 * 16;
  const auto* t1 = MdlImageRef<TransactRow>(image, first->transact1);
  EXPECT_EQ(first->transact1, MdlMakeTaggedRef(actions + 2 * 12));
  EXPECT_EQ(t1->action, MdlMakeTaggedRef(actions));
  EXPECT_EQ(t1->next, MdlMakeTaggedRef(actions + 3 * 12));
  EXPECT_EQ(MdlImageRef<ActionRow>(image, t1->action)->next, MdlMakeTaggedRef(actions + 12));
  EXPECT_EQ(image->header.firstExclusive, actions + 4 * 12);
}

// ---------------------------------------------------------------------------------------------
// The check refuses damaged images.

TEST_F(MdlPack, CheckRefusesDamagedImages) {
  ContextPtr ctx = CompileText(kSmallModel);
  std::vector<uint8_t> good = Pack(ctx.get());
  ASSERT_EQ(MdlCheckImage(good.data(), good.size()), 1);
  const ModelImageHeader& h = Image(good)->header;
  auto put = [](std::vector<uint8_t>& b, uint32_t offset, uint32_t value) { std::memcpy(b.data() + offset, &value, 4); };
  uint32_t item = h.firstItem;
  uint32_t rule = h.firstExclusive;
  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
  } damages[] = {
      {"size slot", [&](auto& b) { put(b, 32, static_cast<uint32_t>(b.size()) + 1); }},
      {"first item past the end", [&](auto& b) { put(b, 36, static_cast<uint32_t>(b.size()) - 10); }},
      {"first item in the header", [&](auto& b) { put(b, 36, 100); }},
      {"item list loops", [&](auto& b) { put(b, item, item); }},
      {"direct slot past the end", [&](auto& b) { put(b, 40 + 4 * 7, 0xFFFFFF00u); }},
      {"exclusive not 36 bytes on", [&](auto& b) { put(b, rule, rule + 40); }},
      {"judge reference untagged", [&](auto& b) { put(b, rule + 8, kModelHeaderSize * 16); }},
      {"judge reference past the end", [&](auto& b) { put(b, rule + 8, MdlMakeTaggedRef(static_cast<uint32_t>(b.size()))); }},
      {"cells without an end cell", [&](auto& b) { put(b, kModelHeaderSize + 12, 0x00010002); }},
      {"module name not terminated", [&](auto& b) {
         put(b, 8328, static_cast<uint32_t>(b.size()) - 2);
         b[b.size() - 2] = 'x';
       }},
      {"command node of no type", [&](auto& b) {
         const auto* group = MdlImageAt<ModelCommandGroup>(Image(good), h.groups[0]);
         b[group->mainBranch + 4] = 9;
       }},
      {"font count beyond its array", [&](auto& b) { put(b, 8356, 1000); }},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> bad = good;
    d.apply(bad);
    EXPECT_EQ(MdlCheckImage(bad.data(), bad.size()), 0) << d.what;
  }
  EXPECT_EQ(MdlCheckImage(good.data(), kModelHeaderSize - 1), 0);
  EXPECT_EQ(MdlCheckImage(nullptr, 0), 0);
}

// The accessors stay inside the image whatever offset they are given.
TEST_F(MdlPack, AccessorsStayInsideTheImage) {
  std::vector<uint8_t> bytes(kModelHeaderSize + 40, 0);
  auto* image = reinterpret_cast<ModelImage*>(bytes.data());
  image->header.totalSize = static_cast<uint32_t>(bytes.size());
  const uint32_t end = image->header.totalSize;
  std::memcpy(bytes.data() + kModelHeaderSize, "ab\0c", 4);           // "ab", then "c" to the end
  std::memcpy(bytes.data() + kModelHeaderSize + 8, u"Wide", 10);       // UTF-16 with terminator
  bytes[kModelHeaderSize + 37] = 'x';                                   // a last wide char, unterminated
  bytes[kModelHeaderSize + 38] = 'y';
  bytes[kModelHeaderSize + 39] = 'z';
  EXPECT_EQ(MdlImageAt<ModelItem>(image, 0), nullptr);
  EXPECT_EQ(MdlImageAt<ModelItem>(image, 100), nullptr);               // inside the header
  EXPECT_NE(MdlImageAt<ExclusiveRule>(image, kModelHeaderSize), nullptr);
  EXPECT_EQ(MdlImageAt<ModelItem>(image, end - 27), nullptr);          // one byte too long
  EXPECT_NE(MdlImageAt<ModelItem>(image, end - 28), nullptr);
  EXPECT_EQ(MdlImageAt<ModelItem>(image, 0xFFFFFFF0u), nullptr);
  EXPECT_NE(MdlImageRef<TransactRow>(image, MdlMakeTaggedRef(kModelHeaderSize)), nullptr);
  EXPECT_EQ(MdlImageRef<TransactRow>(image, kModelHeaderSize * 16), nullptr);             // untagged
  EXPECT_EQ(MdlImageRef<TransactRow>(image, MdlMakeTaggedRef(kModelHeaderSize + 2)), nullptr);  // not aligned
  EXPECT_EQ(MdlImageRef<TransactRow>(image, MdlMakeTaggedRef(end - 8)), nullptr);
  EXPECT_STREQ(MdlImageText(image, kModelHeaderSize), "ab");
  EXPECT_EQ(MdlImageText(image, end - 1), nullptr);                    // "z" runs to the end
  EXPECT_EQ(MdlImageText(image, end), nullptr);
  WCHAR out[3];
  EXPECT_EQ(MdlImageCopyWide(image, kModelHeaderSize + 8, out, 3), 4);
  EXPECT_EQ(std::u16string(out), u"Wi");                                // cut, always terminated
  EXPECT_EQ(MdlImageCopyWide(image, end - 2, out, 3), -1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(MdlImageU32(image, end - 4, 0), 0x7a797800u);
  EXPECT_EQ(MdlImageU32(image, end - 4, 1), 0u);
  EXPECT_EQ(MdlImageU16(image, end - 2, 1), 0u);
  // Cells end at their end cell, which must lie inside the image.
  RuleCell cells[2] = {{1, 8}, {3, 10}};
  std::memcpy(bytes.data() + kModelHeaderSize, cells, sizeof cells);
  uint32_t count = 0;
  EXPECT_NE(MdlImageCells(image, MdlMakeTaggedRef(kModelHeaderSize), &count), nullptr);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(MdlImageCells(image, MdlMakeTaggedRef(kModelHeaderSize + 8), &count), nullptr);
  EXPECT_EQ(count, 0u);
}

TEST_F(MdlPack, ImagesFromFilesAndTheAllocator) {
  ImagePtr image(MdlPackImage(CompileText(kSmallModel).release()));
  ASSERT_TRUE(image);
  EXPECT_EQ(MdlCheckImage(image.get(), image->header.totalSize), 1);
  EXPECT_EQ(MdlPackImage(nullptr), nullptr);
}

}  // namespace
