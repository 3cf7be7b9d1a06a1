// Command texts: FileVersion, the companion module names, CommandString texts and the command
// groups that build a job's command texts.
#include <cstring>

#include "mdl_compile.h"
#include "option_table.h"

namespace {

// Nesting of conditional blocks inside one command group; deeper bodies are not read.
constexpr int kMaxGroupDepth = 32;

struct BodyState {
  CompileContext* ctx;
  TextBuffer* b;
  bool stop;  // a malformed element ended the whole body
};

// A word (MdlScanWord) that leaves a brace or a double quote after it in place.
char* ScanWordKeep(TextBuffer* b, char* delimiter) {
  char* word = MdlScanWord(b, delimiter);
  if (word && (*delimiter == '{' || *delimiter == '}' || *delimiter == '"')) {
    --b->length;
    b->text[b->length] = *delimiter;
  }
  return word;
}

void SkipLine(TextBuffer* b) {
  while (b->length < b->size && !MdlIsClass(static_cast<uint8_t>(b->text[b->length]), kCharLineEnd)) ++b->length;
}

uint32_t NewNode(CompileContext* ctx, uint16_t type, uint32_t size) {
  uint32_t link = MdlAlloc(ctx, size, kTagNode, type);
  if (link) MdlAt<CommandNode>(ctx, link)->type = type;
  return link;
}

uint32_t ParseBody(BodyState& s, uint32_t condition, int depth);

// The condition reference and the braced body of a "Command:" element or an "ElseIf:" branch.
// Returns a block node, or 0 when the element makes none.
uint32_t MdlParseConditionalGroup(BodyState& s, int depth) {
  TextBuffer* b = s.b;
  char delimiter = 0;
  char* word = ScanWordKeep(b, &delimiter);
  uint32_t condition = (word && *word) ? MdlResolveReference(word, kRefJudge) : 0;
  if (MdlSkipSpace(b) != '{') return 0;  // a block without its body: dropped
  ++b->length;
  if (depth >= kMaxGroupDepth) {
    s.stop = true;
    return 0;
  }
  uint32_t group = ParseBody(s, condition, depth + 1);
  if (!group) return 0;
  uint32_t node = NewNode(s.ctx, kNodeBlock, sizeof(ModelBlockCommandNode));
  if (node) MdlAt<ModelBlockCommandNode>(s.ctx, node)->group = group;
  return node;
}

uint32_t ParseTypeElement(BodyState& s) {
  TextBuffer* b = s.b;
  char delimiter = 0;
  char* word = ScanWordKeep(b, &delimiter);
  switch (MdlLookupName(kMdlElementTypes, word ? word : "")) {
    case 1: {  // GroupType *ZPD_NAME [VARIANT]
      char* name = ScanWordKeep(b, &delimiter);
      const NameEntry* symbol = (name && *name) ? MdlFindSymbol(name) : nullptr;
      if (!symbol) {
        SkipLine(b);
        return 0;
      }
      int16_t variant = 0;
      if (delimiter == ' ' || delimiter == '\t') {
        char c = MdlSkipBlanks(b);
        if ((c >= '0' && c <= '9') || c == '-') variant = static_cast<int16_t>(MdlScanNumber(b, nullptr));
      }
      uint32_t node = NewNode(s.ctx, kNodeItemCommand, sizeof(ModelItemCommandNode));
      if (node) {
        auto* n = MdlAt<ModelItemCommandNode>(s.ctx, node);
        n->nameIndex = symbol->nameIndex;
        n->variant = variant;
      }
      return node;
    }
    case 2: {  // StringType NUMBER
      int32_t number = MdlScanNumber(b, nullptr);
      if (number == 0) return 0;
      uint32_t node = NewNode(s.ctx, kNodeCommandString, sizeof(ModelStringCommandNode));
      if (node) MdlAt<ModelStringCommandNode>(s.ctx, node)->numberOrLength = static_cast<uint32_t>(number);
      return node;
    }
    case 4:  // FontType
      return NewNode(s.ctx, kNodeFontList, sizeof(CommandNode));
    default:
      return 0;
  }
}

// Elements up to the branch's closing brace (consumed) or the end of the text.
uint32_t ParseBranch(BodyState& s, int depth) {
  TextBuffer* b = s.b;
  MdlList nodes{};
  while (!s.stop) {
    char c = MdlSkipSpace(b);
    if (c == 0) {
      s.stop = true;
      break;
    }
    if (c == '}') {
      ++b->length;
      break;
    }
    char delimiter = 0;
    char* word = MdlScanWord(b, &delimiter);
    uint32_t kind = (word && delimiter == ':') ? MdlLookupName(kMdlElementKinds, word) : 0;
    uint32_t node = 0;
    if (kind == 1)
      node = MdlParseConditionalGroup(s, depth);
    else if (kind == 2)
      node = ParseTypeElement(s);
    else
      s.stop = true;
    if (node) MdlListAppend(s.ctx, &nodes, node);
  }
  return nodes.head;
}

uint32_t ParseBody(BodyState& s, uint32_t condition, int depth) {
  TextBuffer* b = s.b;
  uint32_t mainBranch = ParseBranch(s, depth);
  uint32_t elseBranch = 0;
  if (condition != 0 && !s.stop) {
    uint32_t save = b->length;
    MdlSkipSpace(b);
    uint32_t start = b->length;
    uint32_t p = start;
    while (p < b->size && MdlIsClass(static_cast<uint8_t>(b->text[p]), kCharKeyword)) ++p;
    size_t len = p - start;
    const char* word = b->text + start;
    if (len == 6 && std::memcmp(word, "ElseIf", 6) == 0 && p < b->size && b->text[p] == ':') {
      b->length = p + 1;
      if (depth >= kMaxGroupDepth) {
        s.stop = true;
      } else {
        elseBranch = MdlParseConditionalGroup(s, depth);
      }
    } else if (len >= 4 && std::memcmp(word, "Else", 4) == 0) {
      b->length = p;
      char c = MdlSkipSpace(b);
      if (c == ':') {
        ++b->length;
        c = MdlSkipSpace(b);
      }
      if (c == '{') {
        ++b->length;
        elseBranch = ParseBranch(s, depth);
      } else {
        b->length = save;
      }
    } else {
      b->length = save;
    }
  }
  if (!mainBranch && !elseBranch) return 0;
  uint32_t link = MdlAlloc(s.ctx, sizeof(ModelCommandGroup), kTagGroup);
  if (!link) return 0;
  auto* g = MdlAt<ModelCommandGroup>(s.ctx, link);
  g->condition = condition;
  g->mainBranch = mainBranch;
  g->elseBranch = elseBranch;
  return link;
}

}  // namespace

uint32_t MdlParseGroupBody(CompileContext* ctx, TextBuffer* value, uint32_t condition, int depth) {
  BodyState s{ctx, value, false};
  return ParseBody(s, condition, depth);
}

int MdlOnCommandGroup(int, CompileContext* ctx, ModelStatement* st) {
  TextBuffer* b = &st->value;
  b->length = 0;
  char delimiter = 0;
  char* word = MdlScanWord(b, &delimiter);
  uint32_t slot = MdlLookupName(kMdlCommandGroups, word ? word : "");
  if (slot == 0) return MdlIgnore(ctx, "unknown command group");
  if (delimiter != '{' && !MdlSkipTo(b, '{')) return MdlIgnore(ctx, "no brace");
  ctx->header.groups[slot - 1] = MdlParseGroupBody(ctx, b, 0, 0);
  return 1;
}

int MdlOnCommandString(int, CompileContext* ctx, ModelStatement* st) {
  int32_t number = MdlParseRuleNumber(st->option1.text);
  TextBuffer* b = &st->value;
  b->length = 0;
  uint32_t length = 0;
  uint32_t text = MdlScanQuotedText(ctx, b, nullptr, &length);
  if (!text) return 0;
  uint32_t link = MdlAlloc(ctx, sizeof(MdlCommandString), kTagCommandString);
  if (!link) return 0;
  auto* cs = MdlAt<MdlCommandString>(ctx, link);
  cs->number = number;
  cs->length = length;
  cs->text = text;
  MdlListAppend(ctx, &ctx->commandStrings, link);
  return 1;
}

int MdlOnFileVersion(int, CompileContext* ctx, ModelStatement* st) {
  std::memset(ctx->header.fileVersion, 0, sizeof ctx->header.fileVersion);
  MdlAnsiToWide(ctx->header.fileVersion, st->value.text, -1, 15);
  return 1;
}

int MdlOnUiResDllName(int, CompileContext* ctx, ModelStatement* st) {
  st->value.length = 0;
  ctx->header.uiResDllName = MdlScanQuotedWide(ctx, &st->value, nullptr);
  return 1;
}

int MdlOnExcDepDllName(int, CompileContext* ctx, ModelStatement* st) {
  st->value.length = 0;
  ctx->header.excDepDllName = MdlScanQuotedWide(ctx, &st->value, nullptr);
  return 1;
}
