// Items and their values: OpenUI blocks, option lines, defaults, numeric and string limits,
// page geometry, tray papers and option commands.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "mdl_compile.h"
#include "option_table.h"

namespace {

ModelItem* Item(const CompileContext* ctx, uint32_t link) {
  return MdlRecordTag(ctx, link) == kTagItem ? MdlAt<ModelItem>(ctx, link) : nullptr;
}

// The item of the open block (name index and variant).
uint32_t BlockItem(const CompileContext* ctx) {
  if (!ctx->openName) return 0;
  return MdlFindItemVariant(ctx, ctx->openNameIndex, ctx->openVariant);
}

// The first item with the block's name index (option lines).
uint32_t BlockFirstItem(const CompileContext* ctx) {
  if (!ctx->openName) return 0;
  return MdlFindItemByName(ctx, ctx->openNameIndex);
}

std::string_view ValueText(const ModelStatement* st) { return {st->value.text, st->value.size}; }

// A name word from the position: a leading "*" is skipped, the word ends at a blank, a line
// end, a delimiter or the end of the text. The text is not changed; the position moves past the
// word.
std::string ReadName(TextBuffer* b) {
  MdlSkipSpace(b);
  uint32_t p = b->length;
  if (p < b->size && b->text[p] == '*') ++p;
  uint32_t start = p;
  while (p < b->size && !MdlIsClass(static_cast<uint8_t>(b->text[p]), kCharDelimiter) && b->text[p] != 0) ++p;
  b->length = p;
  return std::string(b->text + start, p - start);
}

// A word (MdlScanWord) that leaves a double quote after it in place for the next scanner.
char* ScanWordBeforeQuote(TextBuffer* b, char* delimiter) {
  char* word = MdlScanWord(b, delimiter);
  if (word && *delimiter == '"') {
    --b->length;
    b->text[b->length] = '"';
  }
  return word;
}

// The list-value record of a value ID in the item's value list, when it has the given kind.
template <class T>
T* ValueOfKind(CompileContext* ctx, const ModelItem* item, const char* valueName, uint16_t kind) {
  const ValueNameEntry* v = MdlFindValue(valueName);
  if (!v) return nullptr;
  uint32_t link = MdlFindValue(ctx, static_cast<uint16_t>(v->value), item->values);
  if (!link || MdlRecordKind(ctx, link) != kind || MdlRecordSize(ctx, link) < sizeof(T)) return nullptr;
  return MdlAt<T>(ctx, link);
}

// The value named by option 2 of a statement inside the block, when the block's item has it
// with the given kind; *why says what is missing otherwise.
template <class T>
T* BlockValueOfKind(CompileContext* ctx, ModelStatement* st, uint16_t kind, const char** why) {
  ModelItem* item = Item(ctx, BlockItem(ctx));
  if (!item || st->option2.size == 0 || st->value.size == 0) {
    *why = "no block item, option or value";
    return nullptr;
  }
  T* value = ValueOfKind<T>(ctx, item, st->option2.text, kind);
  if (!value) *why = "option not a value of the item";
  return value;
}

// The record of a non-list kind that the item's values link holds, made when it has none.
// NULL when the link holds a record of another shape.
template <class T>
T* ValueRecord(CompileContext* ctx, ModelItem* item, uint16_t tag) {
  if (!item->values) {
    uint32_t link = MdlAlloc(ctx, sizeof(T), tag);
    if (!link) return nullptr;
    item->values = link;
  }
  if (MdlRecordTag(ctx, item->values) != tag || MdlRecordSize(ctx, item->values) < sizeof(T)) return nullptr;
  return MdlAt<T>(ctx, item->values);
}

// Appends a value of the item's kind; a value ID already in the list is dropped. 1 added, 0
// dropped (or no memory), -1 when the item's values have another shape.
int MdlAppendValue(CompileContext* ctx, uint32_t itemLink, uint16_t valueId, uint32_t text) {
  ModelItem* item = Item(ctx, itemLink);
  uint16_t kind = ModelItemKind(item->typeWord);
  uint32_t size = MdlValueRecordSize(item->typeWord);
  uint32_t last = 0;
  for (uint32_t link = item->values; link;) {
    if (MdlRecordTag(ctx, link) != kTagListValue || MdlRecordSize(ctx, link) != size) return -1;
    auto* v = MdlAt<ModelValue>(ctx, link);
    if (v->valueId == valueId) return 0;
    last = link;
    link = v->next;
  }
  uint32_t link = MdlAlloc(ctx, size, kTagListValue, kind);
  if (!link) return 0;
  item = Item(ctx, itemLink);
  auto* v = MdlAt<ModelValue>(ctx, link);
  v->valueId = valueId;
  v->text = text;
  if (last)
    MdlAt<ModelValue>(ctx, last)->next = link;
  else
    item->values = link;
  return 1;
}

// Reads up to count numbers after the opening quote: each next number only while the previous
// one was followed neither by the end of the text nor by the closing quote.
int ReadQuotedNumbers(TextBuffer* b, int32_t* out, int count) {
  int n = 0;
  for (; n < count; ++n) {
    char after = 0;
    out[n] = MdlScanNumber(b, &after);
    if (after == 0 || after == '"') return n + 1;
  }
  return n;
}

}  // namespace

uint32_t MdlFindItemByName(const CompileContext* ctx, uint16_t nameIndex) {
  const uint32_t* page = ctx->firstItemByName[nameIndex >> 8];
  return page ? page[nameIndex & 0xFF] : 0;
}

uint32_t MdlFindItemVariant(const CompileContext* ctx, uint16_t nameIndex, uint16_t variant) {
  uint32_t first = MdlFindItemByName(ctx, nameIndex);
  if (!first) return 0;
  if (Item(ctx, first)->variant == variant) return first;
  for (uint32_t link = first; link;) {
    const ModelItem* item = Item(ctx, link);
    if (item->nameIndex == nameIndex && item->variant == variant) return link;
    link = item->next;
  }
  return 0;
}

uint32_t MdlValueRecordSize(uint16_t typeWord) {
  switch (ModelItemKind(typeWord)) {
    case kItemNumeric:
    case kItemPickPage:
    case kItemFontTbl:
      return 24;
    case kItemString:
      return 8;
    case kItemPickSlot:
      return 20;
    default:
      return 12;
  }
}

uint32_t MdlFindValue(const CompileContext* ctx, uint16_t valueId, uint32_t firstValue) {
  for (uint32_t link = firstValue; link;) {
    if (MdlRecordTag(ctx, link) != kTagListValue) return 0;
    const auto* v = MdlAt<ModelValue>(ctx, link);
    if (v->valueId == valueId) return link;
    link = v->next;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// OpenUI and CloseUI.

namespace {

// The type word of an item from the value of its OpenUI statement. false when an Identity item
// does not name its source symbol.
bool MdlParseItemType(CompileContext* ctx, ModelStatement* st, ModelItem* item) {
  std::string_view v = ValueText(st);
  auto wordEnd = [&](size_t from) {
    size_t p = from;
    while (p < v.size() && v[p] != '|' && v[p] != ' ' && v[p] != '\t' && v[p] != 0) ++p;
    return p;
  };
  auto skipBlanks = [&](size_t p) {
    while (p < v.size() && (v[p] == ' ' || v[p] == '\t')) ++p;
    return p;
  };
  size_t end = wordEnd(0);
  std::string word(v.substr(0, end));
  uint32_t type = MdlLookupName(kMdlItemTypes, word.c_str());
  if (type == kItemIdentity) {
    size_t p = skipBlanks(end);
    if (p >= v.size() || v[p] != '*') return false;
    std::string name(v.substr(p + 1, wordEnd(p + 1) - (p + 1)));
    const NameEntry* source = MdlFindSymbol(name.c_str());
    if (!source) return false;
    item->variant = source->nameIndex;
    if (const ModelItem* from = Item(ctx, MdlFindItemByName(ctx, source->nameIndex))) {
      type |= from->typeWord;
      item->defaultValue = from->defaultValue;
      item->values = from->values;
    }
  } else {
    size_t bar = v.find('|', end);
    if (bar != std::string_view::npos) {
      size_t p = skipBlanks(bar + 1);
      std::string second(v.substr(p, wordEnd(p) - p));
      type |= MdlLookupName(kMdlItemTypes, second.c_str());
    }
  }
  item->typeWord = static_cast<uint16_t>(type);
  return true;
}

void CloseBlock(CompileContext* ctx) {
  std::free(ctx->openName);
  ctx->openName = nullptr;
  ctx->openNameIndex = 0;
  ctx->openVariant = 0;
}

}  // namespace

int MdlOnOpenUi(int, CompileContext* ctx, ModelStatement* st) {
  if (ctx->openName) return 0;
  const char* option1 = st->option1.text;
  if (option1[0] != '*') return 0;
  const NameEntry* entry = MdlFindSymbol(option1 + 1);
  if (!entry) return 0;
  ctx->openName = strdup(option1 + 1);
  if (!ctx->openName) return 0;

  uint32_t*& page = ctx->firstItemByName[entry->nameIndex >> 8];
  if (!page) page = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
  uint32_t link = page ? MdlAlloc(ctx, sizeof(ModelItem), kTagItem) : 0;
  if (!link) {
    CloseBlock(ctx);
    return 0;
  }
  ModelItem* item = MdlAt<ModelItem>(ctx, link);
  const ModelItem* base = st->option2.size ? Item(ctx, MdlFindItemByName(ctx, entry->nameIndex)) : nullptr;
  if (base) {
    *item = *base;
    item->next = 0;
    item->exclusive = 0;
    item->variant = static_cast<uint16_t>(MdlParseInt(st->option2.text, nullptr, nullptr));
  } else {
    item->nameIndex = entry->nameIndex;
    item->settingId = entry->optionId;
    if (!MdlParseItemType(ctx, st, item)) {
      CloseBlock(ctx);
      return 0;
    }
    // The slot names the first plain item of the setting, else its first Identity item.
    if (uint32_t* slot = ModelItemSlot(&ctx->header, item->settingId)) {
      const ModelItem* holder = Item(ctx, *slot);
      if (!holder || (holder->variant != 0 && item->variant == 0)) *slot = link;
    }
  }
  ctx->openNameIndex = item->nameIndex;
  ctx->openVariant = item->variant;

  if (ctx->lastItem)
    Item(ctx, ctx->lastItem)->next = link;
  else
    ctx->header.firstItem = link;
  ctx->lastItem = link;
  uint32_t& first = ctx->firstItemByName[item->nameIndex >> 8][item->nameIndex & 0xFF];
  if (!first) first = link;
  return 1;
}

int MdlOnCloseUi(int, CompileContext* ctx, ModelStatement*) {
  if (ModelItem* item = Item(ctx, BlockItem(ctx)); item && ModelIsPickKind(item->typeWord)) {
    uint16_t position = 0;
    uint16_t count = 0;
    bool found = false;
    for (uint32_t link = item->values; link && MdlRecordTag(ctx, link) == kTagListValue;) {
      const auto* v = MdlAt<ModelValue>(ctx, link);
      if (!found && v->valueId == item->defaultValue) {
        position = count;
        found = true;
      }
      ++count;
      link = v->next;
    }
    if (found)
      item->defaultValue = position;
    else if (!(item->variant != 0 && item->defaultValue < count))
      item->defaultValue = 0;
  }
  CloseBlock(ctx);
  ctx->keywordHint = 0;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Inside the block: Default and option lines.

int MdlOnDefault(CompileContext* ctx, ModelStatement* st) {
  ModelItem* item = Item(ctx, BlockItem(ctx));
  if (!item) return MdlIgnore(ctx, "no item for the block");
  std::string_view v = ValueText(st);
  size_t cut = 0;
  while (cut < v.size() && v[cut] != ' ' && v[cut] != '\t' && v[cut] != 0) ++cut;
  std::string word(v.substr(0, cut));
  uint16_t kind = ModelItemKind(item->typeWord);

  if (ModelIsPickKind(item->typeWord)) {
    const ValueNameEntry* value = MdlFindValue(word.c_str());
    if (!value) return MdlIgnore(ctx, "unknown value name");
    item->defaultValue = static_cast<uint16_t>(value->value);
  } else if (kind == kItemBoolean) {
    auto* rec = ValueRecord<ModelBooleanValue>(ctx, item, kTagBoolean);
    if (!rec) return MdlIgnore(ctx, "item values of another shape");
    rec->defaultValue = word == "True" ? 1 : 0;
  } else if (kind == kItemString) {
    const ValueNameEntry* value = MdlFindValue(word.c_str());
    if (!value) return MdlIgnore(ctx, "unknown value name");
    auto* rec = ValueRecord<ModelStringValue>(ctx, item, kTagString);
    if (!rec) return MdlIgnore(ctx, "item values of another shape");
    rec->defaultValueId = static_cast<uint16_t>(value->value);
  } else {
    return MdlIgnore(ctx, "no default for this kind");
  }
  return 1;
}

namespace {

int IdList(CompileContext* ctx, uint32_t itemLink, TextBuffer* b) {
  b->length = 0;
  if (ReadName(b) != "IDList") return MdlIgnore(ctx, "no IDList");
  if (!MdlSkipTo(b, '{')) return MdlIgnore(ctx, "no brace");
  for (;;) {
    char c = MdlSkipSpace(b);
    if (c == 0 || c == '}') break;
    uint32_t text = 0;
    const ValueNameEntry* value;
    if (c == '{') {
      ++b->length;
      std::string name = ReadName(b);
      value = MdlFindValue(name.c_str());
      if (!value) return MdlIgnore(ctx, "unknown value name");
      if (MdlSkipSpace(b) != '"') return MdlIgnore(ctx, "value group without text");
      char after = 0;
      text = MdlScanQuotedText(ctx, b, &after, nullptr);
      if (MdlSkipSpace(b) != '}') return MdlIgnore(ctx, "value group not closed");
      ++b->length;
    } else {
      std::string name = ReadName(b);
      value = MdlFindValue(name.c_str());
      if (!value) return MdlIgnore(ctx, name.empty() ? "stray byte" : "unknown value name");
    }
    if (MdlAppendValue(ctx, itemLink, static_cast<uint16_t>(value->value), text) < 0)
      return MdlIgnore(ctx, "item values of another shape");
  }
  return 1;
}

}  // namespace

int MdlOnOptionLine(CompileContext* ctx, ModelStatement* st) {
  uint32_t itemLink = BlockFirstItem(ctx);
  ModelItem* item = Item(ctx, itemLink);
  if (!item) return MdlIgnore(ctx, "no item for the block");
  TextBuffer* b = &st->value;
  if (st->option1.size == 0) return IdList(ctx, itemLink, b);

  if (ModelIsListKind(item->typeWord)) {
    const ValueNameEntry* value = MdlFindValue(st->option1.text);
    if (!value) return MdlIgnore(ctx, "unknown value name");
    b->length = 0;
    uint32_t text = b->size ? MdlScanQuotedText(ctx, b, nullptr, nullptr) : 0;
    int added = MdlAppendValue(ctx, itemLink, static_cast<uint16_t>(value->value), text);
    if (added < 0) return MdlIgnore(ctx, "item values of another shape");
    if (added == 0) return MdlIgnore(ctx, "value already in the list");
    return 1;
  }
  if (ModelItemKind(item->typeWord) == kItemBoolean) {
    auto* rec = ValueRecord<ModelBooleanValue>(ctx, item, kTagBoolean);
    if (!rec) return MdlIgnore(ctx, "item values of another shape");
    if (b->size) {
      b->length = 0;
      uint32_t text = MdlScanQuotedText(ctx, b, nullptr, nullptr);
      rec = MdlAt<ModelBooleanValue>(ctx, item->values);
      if (std::strcmp(st->option1.text, "True") == 0)
        rec->trueText = text;
      else
        rec->falseText = text;
    }
    return 1;
  }
  return MdlIgnore(ctx, "option line for an item without values");
}

// ---------------------------------------------------------------------------------------------
// Numeric and string limits.

int MdlOnNumericValue(int, CompileContext* ctx, ModelStatement* st) {
  ModelItem* item = Item(ctx, BlockItem(ctx));
  if (!item || st->value.size == 0) return MdlIgnore(ctx, "no block item or empty value");
  auto* rec = ValueRecord<ModelNumericValue>(ctx, item, kTagNumeric);
  if (!rec) return MdlIgnore(ctx, "item values of another shape");
  std::memset(rec, 0, sizeof *rec);
  TextBuffer* b = &st->value;
  b->length = 0;
  bool quoteTaken = false;
  if (MdlSkipSpace(b) != '"') {
    char delimiter = 0;
    char* word = MdlScanWord(b, &delimiter);
    rec->unitLabel = static_cast<uint16_t>(word ? MdlParseInt(word, nullptr, nullptr) : 0);
    quoteTaken = delimiter == '"';
  }
  if (!quoteTaken && !MdlSkipTo(b, '"')) return 1;
  int32_t n[8] = {};
  ReadQuotedNumbers(b, n, 8);
  rec->maxChars = static_cast<uint16_t>(n[0]);
  rec->defaultValue = n[1];
  rec->minimum = n[2];
  rec->maximum = n[3];
  rec->divisor = static_cast<uint16_t>(n[4]);
  rec->pageSize = static_cast<uint16_t>(n[5]);
  rec->seventh = static_cast<uint16_t>(n[6]);
  rec->eighth = static_cast<uint16_t>(n[7]);
  return 1;
}

int MdlOnStringValue(int, CompileContext* ctx, ModelStatement* st) {
  ModelItem* item = Item(ctx, BlockItem(ctx));
  if (!item || st->value.size == 0) return MdlIgnore(ctx, "no block item or empty value");
  auto* rec = ValueRecord<ModelStringValue>(ctx, item, kTagString);
  if (!rec) return MdlIgnore(ctx, "item values of another shape");
  rec->maxChars = 0;
  rec->charAttr = 0;
  rec->displayAttr = 0;
  TextBuffer* b = &st->value;
  b->length = 0;
  rec->maxChars = static_cast<uint16_t>(MdlScanNumber(b, nullptr));
  char delimiter = 0;
  char* word = MdlScanWord(b, &delimiter);
  rec->charAttr = static_cast<uint16_t>(MdlLookupName(kMdlCharAttrs, word ? word : ""));
  if (delimiter != 0 && MdlSkipTo(b, '|')) {
    char* display = MdlScanWord(b, &delimiter);
    rec->displayAttr = static_cast<uint16_t>(MdlLookupName(kMdlDisplayAttrs, display ? display : ""));
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Paper geometry and tray papers.

int MdlOnPageValue(int, CompileContext* ctx, ModelStatement* st) {
  const char* why = nullptr;
  auto* paper = BlockValueOfKind<ModelPageValue>(ctx, st, kItemPickPage, &why);
  if (!paper) return MdlIgnore(ctx, why);
  TextBuffer* b = &st->value;
  b->length = 0;
  char delimiter = 0;
  char* word = ScanWordBeforeQuote(b, &delimiter);
  if (!word) return MdlIgnore(ctx, "no resolution");
  const ValueNameEntry* v = MdlFindValue(word);
  uint16_t resolution = static_cast<uint16_t>(v ? v->value : static_cast<uint32_t>(MdlParseInt(word, nullptr, nullptr)));
  if (resolution == 0) return MdlIgnore(ctx, "resolution 0");
  word = ScanWordBeforeQuote(b, &delimiter);
  v = word ? MdlFindValue(word) : nullptr;
  if (!v) return MdlIgnore(ctx, "unknown orientation");
  uint16_t orientation = static_cast<uint16_t>(v->value);
  uint16_t conditionName = 0;
  uint16_t conditionValue = 0;
  if (MdlSkipSpace(b) != '"') {
    word = ScanWordBeforeQuote(b, &delimiter);
    const NameEntry* symbol = word ? MdlFindSymbol(word) : nullptr;
    if (!symbol) return MdlIgnore(ctx, "unknown condition symbol");
    conditionName = symbol->nameIndex;
    word = ScanWordBeforeQuote(b, &delimiter);
    v = word ? MdlFindValue(word) : nullptr;
    conditionValue = static_cast<uint16_t>(v ? v->value : (word && std::strcmp(word, "True") == 0 ? 1 : 0));
  }
  if (!MdlSkipTo(b, '"')) return MdlIgnore(ctx, "no quoted geometry");
  int32_t n[6] = {};
  ReadQuotedNumbers(b, n, 6);

  uint32_t link = MdlAlloc(ctx, sizeof(PageGeometry), kTagGeometry);
  if (!link) return MdlIgnore(ctx, "out of memory");
  auto* g = MdlAt<PageGeometry>(ctx, link);
  g->resolution = resolution;
  g->orientation = orientation;
  g->conditionName = conditionName;
  g->conditionValue = conditionValue;
  g->left = n[0];
  g->top = n[1];
  g->width = n[2];
  g->height = n[3];
  g->paperWidth = n[4];
  g->paperLength = n[5];
  if (!paper->geometry) {
    paper->geometry = link;
  } else {
    uint32_t last = paper->geometry;
    while (MdlAt<PageGeometry>(ctx, last)->next) last = MdlAt<PageGeometry>(ctx, last)->next;
    MdlAt<PageGeometry>(ctx, last)->next = link;
  }
  return 1;
}

int MdlOnPageMmValue(int, CompileContext* ctx, ModelStatement* st) {
  const char* why = nullptr;
  auto* paper = BlockValueOfKind<ModelPageValue>(ctx, st, kItemPickPage, &why);
  if (!paper) return MdlIgnore(ctx, why);
  TextBuffer* b = &st->value;
  b->length = 0;
  if (!MdlSkipTo(b, '"')) return MdlIgnore(ctx, "no quoted size");
  char after = 0;
  paper->paperWidth = MdlScanNumber(b, &after);
  if (after != '"' && after != 0) paper->paperLength = MdlScanNumber(b, &after);
  return 1;
}

int MdlOnSlotPaper(int, CompileContext* ctx, ModelStatement* st) {
  const char* why = nullptr;
  auto* tray = BlockValueOfKind<ModelSlotValue>(ctx, st, kItemPickSlot, &why);
  if (!tray) return MdlIgnore(ctx, why);
  TextBuffer* b = &st->value;
  b->length = 0;
  if (!MdlSkipTo(b, '{')) return MdlIgnore(ctx, "no brace");
  std::vector<uint16_t> papers;
  for (;;) {
    char c = MdlSkipSpace(b);
    if (c == 0 || c == '}') break;
    std::string name = ReadName(b);
    const ValueNameEntry* v = name.empty() ? nullptr : MdlFindValue(name.c_str());
    if (!v) return MdlIgnore(ctx, "unknown paper name");
    papers.push_back(static_cast<uint16_t>(v->value));
  }
  uint32_t array = 0;
  if (!papers.empty()) {
    array = MdlAlloc(ctx, static_cast<uint32_t>(papers.size() * 2), kTagArray);
    if (!array) return MdlIgnore(ctx, "out of memory");
    std::memcpy(MdlAt<uint16_t>(ctx, array), papers.data(), papers.size() * 2);
  }
  tray->paperCount = static_cast<int32_t>(papers.size());
  tray->papers = array;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Option commands.

int MdlOnOptionCommand(int, CompileContext* ctx, ModelStatement* st) {
  uint32_t itemLink = BlockItem(ctx);
  if (!Item(ctx, itemLink)) return MdlIgnore(ctx, "no block item");
  TextBuffer* b = &st->value;
  b->length = 0;
  if (!MdlSkipTo(b, '{')) return MdlIgnore(ctx, "no brace");
  char after = 0;
  uint32_t text1 = MdlScanQuotedText(ctx, b, &after, nullptr);
  uint32_t text2 = after ? MdlScanQuotedText(ctx, b, &after, nullptr) : 0;
  uint32_t link = MdlAlloc(ctx, sizeof(ModelOptionCommand), kTagOptionCommand);
  if (!link) return MdlIgnore(ctx, "out of memory");
  auto* cmd = MdlAt<ModelOptionCommand>(ctx, link);
  cmd->text1 = text1;
  cmd->text2 = text2;
  Item(ctx, itemLink)->optionCommand = link;
  return 1;
}
