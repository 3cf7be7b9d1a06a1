// Queries of the loaded model: items and their values, rule records, module name and fonts.
// Every link is followed through the image accessors, and every list walk is bounded by the
// number of records the image can hold, so a damaged image gives "not found", never a read
// outside it or an endless walk.
#include <cstring>

#include "core_memory.h"
#include "env_text.h"
#include "mdl_query_internal.h"
#include "option_access.h"

namespace {

constexpr uint16_t kOptPaperFreeSizeWidth = 342;   // zdmPaperFreeSizeWidth
constexpr uint16_t kOptPaperFreeSizeLength = 343;  // zdmPaperFreeSizeLength
constexpr uint16_t kOptInputFreeSizeType = 1051;   // wdmInputFreeSizeType

}  // namespace

uint32_t MdlWalkLimit(const ModelImage* image, uint32_t recordSize) {
  if (!image || recordSize == 0) return 0;
  return image->header.totalSize / recordSize + 1;
}

uint32_t MdlOffsetOf(const ModelImage* image, const void* record) {
  return static_cast<uint32_t>(static_cast<const uint8_t*>(record) - MdlImageBytes(image));
}

// ---- items ------------------------------------------------------------------------------------

namespace {

const ModelItem* FindItemIn(const ModelImage* image, uint16_t settingId) {
  if (!image || settingId == 0) return nullptr;
  if (const uint32_t* slot = ModelItemSlot(&image->header, settingId)) return MdlImageAt<ModelItem>(image, *slot);
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* item = MdlImageAt<ModelItem>(image, image->header.firstItem); item && limit--;
       item = MdlImageAt<ModelItem>(image, item->next))
    if (item->settingId == settingId) return item;
  return nullptr;
}

uint32_t DefaultOf(const ModelImage* image, const ModelItem* item) {
  if (!item) return 0;
  uint16_t type = item->typeWord;
  switch (type & 0xFF) {
    case 1: {  // PickOne, PickPage, PickSlot, FontTbl
      if (ModelItemKind(type) != kItemPickOne && ModelItemKind(type) != kItemPickPage &&
          ModelItemKind(type) != kItemPickSlot && ModelItemKind(type) != kItemFontTbl)
        return 0;
      uint32_t position = item->defaultValue;
      const ModelValue* v = MdlImageAt<ModelValue>(image, item->values);
      for (uint32_t limit = MdlWalkLimit(image, sizeof *v); v && position && limit--; --position)
        v = MdlImageAt<ModelValue>(image, v->next);
      return v ? v->valueId : 0;
    }
    case 4:
      if (const auto* b = MdlImageAt<ModelBooleanValue>(image, item->values)) return static_cast<uint32_t>(b->defaultValue);
      return 0;
    case 8:
      if (const auto* n = MdlImageAt<ModelNumericValue>(image, item->values)) return static_cast<uint32_t>(n->defaultValue);
      return 0;
    case 16:
      if (const auto* s = MdlImageAt<ModelStringValue>(image, item->values)) return s->defaultValueId;
      return 0;
    default:
      return 0;
  }
}

}  // namespace

const ModelItem* MdlFindItem(uint16_t settingId, DriverContext* ctx) {
  return FindItemIn(ctx ? ctx->modelImage : nullptr, settingId);
}

uint16_t MdlGetItemType(uint16_t settingId, DriverContext* ctx) {
  const ModelItem* item = MdlFindItem(settingId, ctx);
  return item ? ModelItemKind(item->typeWord) : 0;
}

uint16_t MdlGetItemTypeRaw(uint16_t settingId, DriverContext* ctx) {
  const ModelItem* item = MdlFindItem(settingId, ctx);
  return item ? item->typeWord : 0;
}

uint32_t MdlGetItemDefault(uint16_t settingId, DriverContext* ctx) {
  return DefaultOf(ctx ? ctx->modelImage : nullptr, MdlFindItem(settingId, ctx));
}

uint32_t MdlGetDefaultFromHeader(uint16_t settingId, const ModelImage* image) {
  return DefaultOf(image, FindItemIn(image, settingId));
}

const void* MdlGetItemValues(uint16_t settingId, DriverContext* ctx, uint16_t* defaultPosition) {
  const ModelItem* item = MdlFindItem(settingId, ctx);
  if (!item) return nullptr;
  if (defaultPosition && ModelIsPickKind(item->typeWord)) *defaultPosition = item->defaultValue;
  return MdlImageSpan(ctx->modelImage, item->values, 1);
}

int MdlGetItemValueCount(uint16_t settingId, DriverContext* ctx) {
  const ModelItem* item = MdlFindItem(settingId, ctx);
  if (!item) return -1;
  if (!ModelIsListKind(item->typeWord)) return 0;
  return MdlCountList(ctx->modelImage, item->values);
}

const ModelValue* MdlNextItemValue(const ModelImage* image, const ModelItem* item, const ModelValue* value) {
  if (!item || !value) return nullptr;
  uint16_t low = item->typeWord & 0xFF;
  if (low != 1 && low != 2) return nullptr;
  return MdlImageAt<ModelValue>(image, value->next);
}

const ModelValue* MdlFindItemValue(const ModelImage* image, const ModelItem* item, uint16_t valueId) {
  if (!item || !ModelIsListKind(item->typeWord)) return nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelValue));
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit--;
       v = MdlImageAt<ModelValue>(image, v->next))
    if (v->valueId == valueId) return v;
  return nullptr;
}

int MdlCountList(const ModelImage* image, uint32_t first) {
  int count = 0;
  uint32_t limit = MdlWalkLimit(image, 4);
  for (const uint8_t* p = MdlImageSpan(image, first, 4); p && limit--; ++count) {
    uint32_t next;
    std::memcpy(&next, p, 4);
    p = MdlImageSpan(image, next, 4);
  }
  return count;
}

namespace {

bool Passes(const ModelItem* item, DriverContext* ctx, uint32_t flags) {
  if ((flags & kMdlSkipDisabled) && MdlIsDisabled(item, 0, ctx)) return false;
  if ((flags & kMdlSkipRestricted) && MdlIsRestricted(item, 0, ctx)) return false;
  return true;
}

}  // namespace

const ModelItem* MdlFindUsableItem(uint16_t settingId, DriverContext* ctx, uint32_t flags) {
  const ModelItem* item = MdlFindItem(settingId, ctx);
  if (!(flags & (kMdlSkipDisabled | kMdlSkipRestricted))) return item;
  if (item && Passes(item, ctx, flags)) return item;
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i && limit--;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (i->settingId == settingId && i->variant == 0 && Passes(i, ctx, flags)) return i;
  return nullptr;
}

const ModelItem* MdlFindActiveItem(uint16_t settingId, DriverContext* ctx) {
  if (settingId != kOptPaperFreeSizeWidth && settingId != kOptPaperFreeSizeLength) return MdlFindItem(settingId, ctx);
  int32_t previous = OptGetValue(ctx, kOptInputFreeSizeType, nullptr);
  OptSetValue(ctx, kOptInputFreeSizeType, 1);
  const ModelItem* item = MdlFindUsableItem(settingId, ctx, kMdlSkipDisabled);
  OptSetValue(ctx, kOptInputFreeSizeType, previous);
  return item;
}

const ModelItem* MdlFindItemForOption(DriverContext* ctx, int rowIndex) {
  if (!ctx || !ctx->optionTable || rowIndex < 0 || rowIndex >= ctx->optionTable->count) return nullptr;
  return MdlFindActiveItem(ctx->optionTable->rows[rowIndex].id, ctx);
}

const ModelItem* MdlFindItemByKey(uint16_t nameIndex, DriverContext* ctx) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i && limit--;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (i->nameIndex == nameIndex) return i;
  return nullptr;
}

const ModelItem* MdlGetItemByKey(uint16_t nameIndex, DriverContext* ctx) { return MdlFindItemByKey(nameIndex, ctx); }
const ModelItem* MdlLookupItem(uint16_t nameIndex, DriverContext* ctx) { return MdlFindItemByKey(nameIndex, ctx); }

int MdlIsItemKeyDisabled(DriverContext* ctx, uint16_t nameIndex) {
  if (nameIndex == 0) return 0;
  const ModelItem* item = MdlFindItemByKey(nameIndex, ctx);
  return item ? MdlIsDisabled(item, 0, ctx) : 0;
}

// ---- rule records -----------------------------------------------------------------------------

const ExclusiveRule* MdlFindRuleByKey(uint16_t nameIndex, DriverContext* ctx) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ExclusiveRule));
  for (const ExclusiveRule* r = MdlImageAt<ExclusiveRule>(image, image->header.firstExclusive); r && limit--;
       r = MdlImageAt<ExclusiveRule>(image, r->next))
    if (r->nameIndex == nameIndex) return r;
  return nullptr;
}

const ExclusiveRule* MdlItemRule(const ModelImage* image, const ModelItem* item) {
  return item ? MdlImageAt<ExclusiveRule>(image, item->exclusive) : nullptr;
}

const ItemRuleRow* MdlFindValueRow(const ModelImage* image, const ExclusiveRule* rule, uint16_t valueId) {
  if (!rule) return nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ItemRuleRow));
  for (const ItemRuleRow* row = MdlImageRef<ItemRuleRow>(image, rule->itemRules); row && limit--;
       row = MdlImageRef<ItemRuleRow>(image, row->next))
    if (row->valueId == valueId) return row;
  return nullptr;
}

// ---- module name and fonts --------------------------------------------------------------------

int MdlGetUiResDllName(DriverContext* ctx, WCHAR* out, int outChars) {
  if (out && outChars > 0) out[0] = 0;
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image || !image->header.uiResDllName) return -1;
  return MdlImageCopyWide(image, image->header.uiResDllName, out, outChars);
}

namespace {

DeviceFontEntry* FontList(DriverContext* ctx, uint32_t count, uint32_t array, int* outCount) {
  if (outCount) *outCount = 0;
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image || count == 0 || count > 0xFFFFFFFFu / sizeof(DeviceFontEntry) ||
      !MdlImageSpan(image, array, uint64_t(count) * 4))
    return nullptr;
  auto* entries = static_cast<DeviceFontEntry*>(CtxAllocMem(count * sizeof(DeviceFontEntry)));
  if (!entries) return nullptr;
  uint32_t n = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const auto* font = MdlImageAt<DeviceFontList>(image, MdlImageU32(image, array, i));
    if (!font) break;  // the list ends at its first missing entry
    entries[n].fontId = font->fontId;
    const char* name = MdlImageText(image, font->name);
    EnvAnsiToWide(entries[n].name, name ? name : "", 32);
    ++n;
  }
  if (n == 0) {
    MdlFreeMem(entries);
    return nullptr;
  }
  if (outCount) *outCount = static_cast<int>(n);
  return entries;
}

}  // namespace

DeviceFontEntry* MdlGetDeviceFonts(DriverContext* ctx, int* count) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) {
    if (count) *count = 0;
    return nullptr;
  }
  return FontList(ctx, image->header.deviceFontCount, image->header.deviceFonts, count);
}

DeviceFontEntry* MdlGetFontCartridges(DriverContext* ctx, int* count) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) {
    if (count) *count = 0;
    return nullptr;
  }
  return FontList(ctx, image->header.cartridgeFontCount, image->header.cartridgeFonts, count);
}

FontSubstEntry* MdlGetFontSubstTable(DriverContext* ctx, int* count) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  const ModelItem* table = nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i && limit--;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (i->typeWord == kItemFontTbl) {
      table = i;
      break;
    }
  if (!table) return nullptr;
  limit = MdlWalkLimit(image, sizeof(ModelFontValue));
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, table->values); v && limit--;
       v = MdlImageAt<ModelValue>(image, v->next)) {
    const auto* font = MdlImageAt<ModelFontValue>(image, MdlOffsetOf(image, v));
    if (!font || font->pairCount <= 0) continue;
    uint32_t pairs = static_cast<uint32_t>(font->pairCount);
    if (pairs > 0xFFFFFFFFu / sizeof(FontSubstEntry)) return nullptr;
    if (!MdlImageSpan(image, font->trueTypeNames, uint64_t(pairs) * 4) ||
        !MdlImageSpan(image, font->deviceNames, uint64_t(pairs) * 4))
      return nullptr;
    auto* entries = static_cast<FontSubstEntry*>(CtxAllocMem(pairs * sizeof(FontSubstEntry)));
    if (!entries) return nullptr;
    for (uint32_t p = 0; p < pairs; ++p) {
      const char* face = MdlImageText(image, MdlImageU32(image, font->trueTypeNames, p));
      const char* device = MdlImageText(image, MdlImageU32(image, font->deviceNames, p));
      EnvAnsiToWide(entries[p].trueTypeName, face ? face : "", 32);
      EnvAnsiToWide(entries[p].deviceName, device ? device : "", 32);
    }
    if (count) *count = static_cast<int>(pairs);
    return entries;
  }
  return nullptr;
}
