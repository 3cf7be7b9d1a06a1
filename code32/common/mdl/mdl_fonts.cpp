// Device fonts, font cartridges and TrueType substitutions.
#include <cstring>
#include <string>

#include "mdl_compile.h"
#include "option_table.h"

namespace {

// Brace groups inside the list whose opening brace is just before the position, up to its
// closing brace; quoted texts (with their escapes) are passed over. The position is kept.
uint32_t CountGroups(const TextBuffer* b) {
  uint32_t count = 0;
  uint32_t depth = 1;
  bool quoted = false;
  for (uint32_t p = b->length; p < b->size; ++p) {
    char c = b->text[p];
    if (quoted) {
      if (c == '%')
        ++p;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '{') {
      if (depth == 1) ++count;
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) break;
    }
  }
  return count;
}

// "IDList" and the list's opening brace.
bool OpenIdList(TextBuffer* b) {
  b->length = 0;
  MdlSkipSpace(b);
  static constexpr char kWord[] = "IDList";
  if (b->size - b->length < 6 || std::memcmp(b->text + b->length, kWord, 6) != 0) return false;
  b->length += 6;
  if (b->length < b->size && !MdlIsClass(static_cast<uint8_t>(b->text[b->length]), kCharDelimiter)) return false;
  return MdlSkipTo(b, '{') != 0;
}

// One "{" QUOTED ... "}" group; returns false when it cannot be read.
bool OpenGroup(TextBuffer* b) {
  if (MdlSkipSpace(b) != '{') return false;
  ++b->length;
  return MdlSkipSpace(b) == '"';
}
bool CloseGroup(TextBuffer* b) {
  if (MdlSkipSpace(b) != '}') return false;
  ++b->length;
  return true;
}

int MdlParseFontList(CompileContext* ctx, ModelStatement* st, uint32_t* countSlot, uint32_t* arraySlot) {
  TextBuffer* b = &st->value;
  if (!OpenIdList(b)) return MdlIgnore(ctx, "no IDList");
  uint32_t count = CountGroups(b);
  uint32_t array = count ? MdlAlloc(ctx, count * 4, kTagArray) : 0;
  if (count && !array) return MdlIgnore(ctx, "out of memory");
  uint32_t read = 0;
  while (read < count) {
    if (!OpenGroup(b)) break;
    uint32_t name = MdlScanQuotedText(ctx, b, nullptr, nullptr);
    if (!name) break;
    char c = MdlSkipSpace(b);
    if (!((c >= '0' && c <= '9') || c == '-')) break;
    int32_t id = MdlScanNumber(b, nullptr);
    if (!CloseGroup(b)) break;
    uint32_t entry = MdlAlloc(ctx, sizeof(DeviceFontList), kTagFont);
    if (!entry) break;
    auto* font = MdlAt<DeviceFontList>(ctx, entry);
    font->fontId = id;
    font->name = name;
    MdlAt<uint32_t>(ctx, array)[read++] = entry;
  }
  *countSlot = read;
  *arraySlot = read ? array : 0;
  return 1;
}

}  // namespace

int MdlOnDeviceFonts(int, CompileContext* ctx, ModelStatement* st) {
  return MdlParseFontList(ctx, st, &ctx->header.deviceFontCount, &ctx->header.deviceFonts);
}

int MdlOnFontCartridge(int, CompileContext* ctx, ModelStatement* st) {
  return MdlParseFontList(ctx, st, &ctx->header.cartridgeFontCount, &ctx->header.cartridgeFonts);
}

int MdlOnTtfs(int, CompileContext* ctx, ModelStatement* st) {
  if (!ctx->openName || st->option2.size == 0 || st->value.size == 0)
    return MdlIgnore(ctx, "no block item, font value or value");
  uint32_t itemLink = MdlFindItemVariant(ctx, ctx->openNameIndex, ctx->openVariant);
  if (!itemLink || MdlRecordTag(ctx, itemLink) != kTagItem) return MdlIgnore(ctx, "no block item");
  const ModelItem* item = MdlAt<ModelItem>(ctx, itemLink);
  const ValueNameEntry* v = MdlFindValue(st->option2.text);
  uint32_t valueLink = v ? MdlFindValue(ctx, static_cast<uint16_t>(v->value), item->values) : 0;
  if (!valueLink || MdlRecordKind(ctx, valueLink) != kItemFontTbl) return MdlIgnore(ctx, "not a font value of the item");
  TextBuffer* b = &st->value;
  if (!OpenIdList(b)) return MdlIgnore(ctx, "no IDList");
  uint32_t count = CountGroups(b);
  uint32_t faces = count ? MdlAlloc(ctx, count * 4, kTagArray) : 0;
  uint32_t devices = count ? MdlAlloc(ctx, count * 4, kTagArray) : 0;
  if (count && (!faces || !devices)) return MdlIgnore(ctx, "out of memory");
  uint32_t read = 0;
  while (read < count) {
    if (!OpenGroup(b)) break;
    uint32_t face = MdlScanQuotedText(ctx, b, nullptr, nullptr);
    if (!face || MdlSkipSpace(b) != '"') break;
    uint32_t device = MdlScanQuotedText(ctx, b, nullptr, nullptr);
    if (!device || !CloseGroup(b)) break;
    MdlAt<uint32_t>(ctx, faces)[read] = face;
    MdlAt<uint32_t>(ctx, devices)[read] = device;
    ++read;
  }
  auto* font = MdlAt<ModelFontValue>(ctx, valueLink);
  font->pairCount = static_cast<int32_t>(read);
  font->trueTypeNames = read ? faces : 0;
  font->deviceNames = read ? devices : 0;
  return 1;
}
