// The compile driver of model descriptions: compile context and its arena, the keyword table
// and the dispatch of statements to their handlers.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <unordered_map>

#include "dialog_table.h"
#include "driver_context.h"
#include "mdl_compile.h"
#include "option_table.h"

// ---------------------------------------------------------------------------------------------
// Arena. A link is (chunk number << 18) | offset; records larger than a quarter of a chunk get
// a chunk of their own. Each record is preceded by 8 bytes: its size, its tag and its kind.

namespace {

constexpr uint32_t kOffsetBits = 18;
constexpr uint32_t kChunkSize = 1u << kOffsetBits;
constexpr uint32_t kMaxChunks = (1u << (32 - kOffsetBits)) - 1;
constexpr uint32_t kRecordHeader = 8;

struct RecordHeader {
  uint32_t size;
  uint16_t tag;
  uint16_t kind;
};

uint32_t NewChunk(MdlArena& a, uint32_t size) {
  if (a.chunks.size() >= kMaxChunks) return 0;
  auto* chunk = static_cast<uint8_t*>(std::calloc(size, 1));
  if (!chunk) return 0;
  try {
    a.chunks.push_back(chunk);
    a.chunkSizes.push_back(size);
  } catch (const std::bad_alloc&) {
    if (a.chunks.size() > a.chunkSizes.size()) a.chunks.pop_back();
    std::free(chunk);
    return 0;
  }
  return static_cast<uint32_t>(a.chunks.size());
}

RecordHeader* HeaderOf(const CompileContext* ctx, uint32_t link) {
  auto* p = static_cast<uint8_t*>(MdlResolve(ctx, link));
  return p ? reinterpret_cast<RecordHeader*>(p - kRecordHeader) : nullptr;
}

}  // namespace

uint32_t MdlAlloc(CompileContext* ctx, uint32_t size, uint16_t tag, uint16_t kind) {
  MdlArena& a = ctx->arena;
  uint64_t need = (uint64_t(size) + kRecordHeader + 7) & ~uint64_t(7);
  if (need > 0xFFFFFFF0u) return 0;
  uint32_t chunk;
  uint32_t offset;
  if (need > kChunkSize / 4) {
    chunk = NewChunk(a, static_cast<uint32_t>(need));
    if (!chunk) return 0;
    offset = 0;
  } else {
    if (!a.current || a.used + need > a.chunkSizes[a.current - 1]) {
      // Chunks grow from 16 KB to their full size, so that a small description stays small.
      uint32_t size = a.current ? a.chunkSizes[a.current - 1] : kChunkSize / 16;
      if (a.current && size < kChunkSize) size *= 2;
      uint32_t fresh = NewChunk(a, size);
      if (!fresh) return 0;
      a.current = fresh;
      a.used = 0;
    }
    chunk = a.current;
    offset = a.used;
    a.used += static_cast<uint32_t>(need);
  }
  auto* h = reinterpret_cast<RecordHeader*>(a.chunks[chunk - 1] + offset);
  h->size = size;
  h->tag = tag;
  h->kind = kind;
  return (chunk << kOffsetBits) | (offset + kRecordHeader);
}

uint32_t MdlRecordSize(const CompileContext* ctx, uint32_t link) {
  RecordHeader* h = HeaderOf(ctx, link);
  return h ? h->size : 0;
}
uint16_t MdlRecordTag(const CompileContext* ctx, uint32_t link) {
  RecordHeader* h = HeaderOf(ctx, link);
  return h ? h->tag : 0;
}
uint16_t MdlRecordKind(const CompileContext* ctx, uint32_t link) {
  RecordHeader* h = HeaderOf(ctx, link);
  return h ? h->kind : 0;
}

uint32_t MdlCopyText(CompileContext* ctx, const char* text, uint32_t length) {
  if (length == 0xFFFFFFFFu) return 0;
  uint32_t link = MdlAlloc(ctx, length + 1, kTagText);
  if (link) std::memcpy(MdlAt<char>(ctx, link), text, length);
  return link;
}

void MdlListAppend(CompileContext* ctx, MdlList* list, uint32_t link) {
  if (list->tail)
    *MdlAt<uint32_t>(ctx, list->tail) = link;
  else
    list->head = link;
  list->tail = link;
}

// ---------------------------------------------------------------------------------------------
// Context.

CompileContext* MdlNewCompileContext() {
  void* raw = std::calloc(1, sizeof(CompileContext));
  if (!raw) return nullptr;
  return new (raw) CompileContext{};
}

void MdlFreeCompileContext(CompileContext* ctx) {
  if (!ctx) return;
  for (uint8_t* chunk : ctx->arena.chunks) std::free(chunk);
  std::free(ctx->openName);
  for (uint32_t* page : ctx->firstItemByName) std::free(page);
  ctx->~CompileContext();
  std::free(ctx);
}

int MdlIgnore(CompileContext* ctx, const char* reason) {
  ++ctx->stats.ignored;
  if (ctx->observer && ctx->observer->skipped && ctx->statement)
    ctx->observer->skipped(ctx->observer->user, ctx->statement->sourceOffset,
                           ctx->statement->keyword.text, reason);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Symbol lookups.

// The shared tables are constant: symbols resolve through their own hashed lookup. A value name
// whose row carries no value (kValueNameUnfixed) gives the compiler no value ID: the compiler's
// index of values leaves such rows out (first row of a name wins, value table 1 before table 2),
// so that the name counts as unknown unless a later row fixes it. Control names resolve through
// an index of the first control of each name index in the static dialog table.

namespace {

struct SharedValues {
  std::unordered_map<std::string_view, const ValueNameEntry*> values;
  SharedValues() {
    for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
      for (int i = 0; i < t->count; ++i)
        if (t->rows[i].name && t->rows[i].value != kValueNameUnfixed) values.emplace(t->rows[i].name, &t->rows[i]);
  }
};

const NameEntry* SharedSymbol(const char* name) { return OptFindSymbolByName(name); }

const ValueNameEntry* SharedValue(const char* name) {
  if (!name) return nullptr;
  static const SharedValues index;
  auto it = index.values.find(name);
  return it == index.values.end() ? nullptr : it->second;
}

// Messages of the template's table; dialogs and controls of the static dialog table.
int SharedMessage(const char* name, uint16_t* nameIndex) {
  const MessageEntry* m = OptFindMessageByName(nullptr, name);
  if (!m) return 0;
  *nameIndex = m->nameIndex;
  return 1;
}

int SharedDialog(const char* name, uint16_t* dialogId) {
  const DialogDescriptor* d = OptFindDialogByName(nullptr, name);
  if (!d) return 0;
  *dialogId = d->dialogId;
  return 1;
}

// The first control of each name index, dialog by dialog, of one static dialog table.
class ControlIndex {
 public:
  const uint16_t* Find(const StaticDialogTable* t, uint16_t nameIndex) {
    std::lock_guard guard(lock_);
    if (t != table_ || t->rows != rows_ || t->count != count_) {
      byName_.clear();
      for (int i = 0; i < t->count; ++i) {
        const DialogDescriptor& d = t->rows[i];
        for (int j = 0; d.controls && j < d.controlCount; ++j)
          byName_.try_emplace(d.controls[j].nameIndex, d.controls[j].controlId);
      }
      table_ = t;
      rows_ = t->rows;
      count_ = t->count;
    }
    auto it = byName_.find(nameIndex);
    return it == byName_.end() ? nullptr : &it->second;
  }

 private:
  std::mutex lock_;
  const StaticDialogTable* table_ = nullptr;
  const DialogDescriptor* rows_ = nullptr;
  int count_ = 0;
  std::unordered_map<uint16_t, uint16_t> byName_;
};

int SharedControl(const char* name, uint16_t* controlId) {
  const NameEntry* symbol = OptFindSymbolByName(name);
  const StaticDialogTable* t = CtxGetTemplate()->dialogTable;
  if (!symbol || !t || !t->rows) return 0;
  // An object of the module, destroyed when the module is unloaded (a module loaded and freed
  // per job must not leave it behind).
  static ControlIndex index;
  const uint16_t* id = index.Find(t, symbol->nameIndex);
  if (!id) return 0;
  *controlId = *id;
  return 1;
}

const MdlSymbolLookups kSharedLookups = {SharedSymbol, SharedValue, SharedMessage, SharedDialog, SharedControl};
const MdlSymbolLookups* gLookups = &kSharedLookups;

}  // namespace

void MdlSetSymbolLookups(const MdlSymbolLookups* lookups) { gLookups = lookups ? lookups : &kSharedLookups; }
const NameEntry* MdlFindSymbol(const char* name) { return gLookups->findSymbol(name); }
const ValueNameEntry* MdlFindValue(const char* name) { return gLookups->findValue(name); }
int MdlFindMessageName(const char* name, uint16_t* nameIndex) {
  if (!name) return 0;
  return (gLookups->findMessage ? gLookups->findMessage : SharedMessage)(name, nameIndex);
}
int MdlFindDialogName(const char* name, uint16_t* dialogId) {
  if (!name) return 0;
  return (gLookups->findDialog ? gLookups->findDialog : SharedDialog)(name, dialogId);
}
int MdlFindControlName(const char* name, uint16_t* controlId) {
  if (!name) return 0;
  return (gLookups->findControl ? gLookups->findControl : SharedControl)(name, controlId);
}

// ---------------------------------------------------------------------------------------------
// Name tables.

const MdlNameRow kMdlItemTypes[] = {
    {"PickOne", kItemPickOne},   {"PickMany", kItemPickMany}, {"Boolean", kItemBoolean},
    {"Numeric", kItemNumeric},   {"String", kItemString},     {"PickPage", kItemPickPage},
    {"PickSlot", kItemPickSlot}, {"FontTbl", kItemFontTbl},   {"Identity", kItemIdentity},
    {"TypeUnknown", kItemTypeUnknown}, {nullptr, kItemPickOne},
};
const MdlNameRow kMdlCharAttrs[] = {
    {"MultiByte", kStrMultiByte}, {"ASCII", kStrAscii}, {"Numeric", kStrNumeric},
    {"Capital", kStrCapital},     {"Small", kStrSmall}, {nullptr, 1},
};
const MdlNameRow kMdlDisplayAttrs[] = {
    {"Password", kStrPassword}, {"ShowCapital", kStrShowCapital}, {"ShowSmall", kStrShowSmall}, {nullptr, 0},
};
const MdlNameRow kMdlBoolNames[] = {{"True", 1}, {"False", 0}, {nullptr, 0}};
const MdlNameRow kMdlCommandGroups[] = {
    {"JobStart", kGroupSlotJobStart + 1}, {"JobEnd", kGroupSlotJobEnd + 1},
    {"PageStart", kGroupSlotPageStart + 1}, {"PageEnd", kGroupSlotPageEnd + 1},
    {"DocReset", kGroupSlotDocReset + 1}, {nullptr, 0},
};
const MdlNameRow kMdlElementKinds[] = {{"Command", 1}, {"Type", 2}, {nullptr, 0}};
const MdlNameRow kMdlElementTypes[] = {{"GroupType", 1}, {"StringType", 2}, {"FontType", 4}, {nullptr, 0}};

uint32_t MdlLookupName(const MdlNameRow* table, const char* word) {
  const MdlNameRow* row = table;
  for (; row->name; ++row)
    if (word && std::strcmp(row->name, word) == 0) return row->value;
  return row->value;
}

int MdlLookupBool(const char* word) { return static_cast<int>(MdlLookupName(kMdlBoolNames, word)); }

// ---------------------------------------------------------------------------------------------
// Dispatch.

namespace {

struct KeywordRow {
  const char* keyword;
  MdlHandler handler;
};

const KeywordRow kKeywords[] = {
    {"FileVersion", MdlOnFileVersion},   {"OpenUI", MdlOnOpenUi},
    {"CloseUI", MdlOnCloseUi},           {"NumericValue", MdlOnNumericValue},
    {"StringValue", MdlOnStringValue},   {"PageValue", MdlOnPageValue},
    {"PageMMValue", MdlOnPageMmValue},   {"SlotPaper", MdlOnSlotPaper},
    {"OptionCommand", MdlOnOptionCommand}, {"CommandGroup", MdlOnCommandGroup},
    {"DeviceFonts", MdlOnDeviceFonts},   {"FontCartridge", MdlOnFontCartridge},
    {"TTFS", MdlOnTtfs},                 {"CommandString", MdlOnCommandString},
    {"Judge", MdlOnJudge},               {"Item", MdlOnItem},
    {"Action", MdlOnAction},             {"Transact", MdlOnTransact},
    {"AlertAction", MdlOnAlertAction},   {"Alert", MdlOnAlert},
    {"Exclusive", MdlOnExclusive},       {"UIResDLLName", MdlOnUiResDllName},
    {"ExcDepDLLName", MdlOnExcDepDllName},
};
constexpr uint32_t kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];
static_assert(kKeywordCount == 23);

}  // namespace

int MdlDispatchStatement(CompileContext* ctx, ModelStatement* st) {
  const char* keyword = st->keyword.text;
  ctx->statement = st;

  // Inside an OpenUI block: option lines and the default of the open item.
  if (ctx->openName) {
    if (std::strcmp(keyword, ctx->openName) == 0) {
      if (MdlOnOptionLine(ctx, st)) return 0;
    } else if (std::strncmp(keyword, "Default", 7) == 0 && std::strcmp(keyword + 7, ctx->openName) == 0) {
      if (MdlOnDefault(ctx, st)) return 0;
    }
  }

  uint32_t row = kKeywordCount;
  if (ctx->keywordHint > 0 && ctx->keywordHint <= kKeywordCount &&
      std::strcmp(keyword, kKeywords[ctx->keywordHint - 1].keyword) == 0) {
    row = ctx->keywordHint - 1;
  } else {
    for (uint32_t i = 0; i < kKeywordCount; ++i)
      if (std::strcmp(keyword, kKeywords[i].keyword) == 0) {
        row = i;
        break;
      }
  }
  if (row == kKeywordCount) {
    ctx->keywordHint = 0;
    return kReadSyntaxError;
  }
  ctx->keywordHint = row + 1;
  return kKeywords[row].handler(static_cast<int>(row), ctx, st) == 1 ? 0 : kReadSyntaxError;
}

// ---------------------------------------------------------------------------------------------
// Compile driver.

namespace {

CompileContext* CompileFrom(ModelSource* src, ModelStatement* st, CompileContext* ctx,
                            const MdlCompileObserver* observer) {
  ctx->observer = observer;
  MdlClearRuleNames();
  int result;
  do {
    result = MdlReadStatement(st, src);
    if (result == kReadStatement) {
      ++ctx->stats.statements;
      if (MdlDispatchStatement(ctx, st) != 0) {
        ++ctx->stats.failed;
        if (observer && observer->skipped)
          observer->skipped(observer->user, st->sourceOffset, st->keyword.text, "statement failed");
      }
    } else if (result == kReadSyntaxError) {
      ++ctx->stats.syntaxErrors;
      if (observer && observer->skipped)
        observer->skipped(observer->user, static_cast<uint32_t>(src->cursor - src->base), "", "syntax error");
    }
  } while (result == kReadStatement || result == kReadSyntaxError);
  MdlFreeRuleNames();
  ctx->statement = nullptr;
  ctx->observer = nullptr;
  if (result != kReadEnd) {
    MdlFreeCompileContext(ctx);
    return nullptr;
  }
  return ctx;
}

CompileContext* Compile(ModelSource* src, const MdlCompileObserver* observer) {
  ModelStatement* st = MdlNewStatement();
  CompileContext* ctx = st ? MdlNewCompileContext() : nullptr;
  if (!ctx || !src) {
    MdlFreeCompileContext(ctx);
    MdlFreeStatement(st);
    MdlCloseSource(src);
    return nullptr;
  }
  ctx = CompileFrom(src, st, ctx, observer);
  MdlCloseSource(src);
  MdlFreeStatement(st);
  return ctx;
}

}  // namespace

CompileContext* MdlCompileSource(const WCHAR* path, const MdlCompileObserver* observer) {
  return Compile(MdlOpenSource(path), observer);
}

CompileContext* MdlCompileBytes(const void* data, size_t size, const MdlCompileObserver* observer) {
  if (!data || size == 0) return nullptr;
  return Compile(MdlOpenSourceBytes(data, size), observer);
}
