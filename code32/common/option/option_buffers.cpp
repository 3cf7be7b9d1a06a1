// Heap blocks referred to by options of the settings images: a per-context table maps the
// 32-bit handles held in the images to the blocks.
#include <cstring>

#include "option_access.h"
#include "core_memory.h"

namespace {

OptBufferHandles* Handles(DriverContext* ctx) { return ctx && ctx->workArea ? &ctx->workArea->bufferHandles : nullptr; }

const OptBufferHandles* Handles(const DriverContext* ctx) {
  return ctx && ctx->workArea ? &ctx->workArea->bufferHandles : nullptr;
}

OptBufferSlot* FindHandle(OptBufferHandles* table, DWORD handle) {
  if (!table || handle == 0) return nullptr;
  for (OptBufferSlot& slot : table->slots)
    if (slot.handle == handle) return &slot;
  return nullptr;
}

bool IsBufferRow(const OptionEntry* row) { return row && TypeKind(row->typeWord) == kKindUInt32; }

// The row of a static option by id (for images that belong to no context).
const OptionDescriptor* StaticRow(uint16_t id) {
  for (int16_t i = 0; i < kOptionRowCount; ++i)
    if (kOptionRows[i].id == id) return &kOptionRows[i];
  return nullptr;
}

}  // namespace

DWORD OptRegisterBuffer(DriverContext* ctx, void* block) {
  OptBufferHandles* table = Handles(ctx);
  if (!table || !block) return 0;
  OptBufferSlot* free = nullptr;
  for (OptBufferSlot& slot : table->slots) {
    if (slot.handle != 0 && slot.pointer == block) return slot.handle;
    if (slot.handle == 0 && !free) free = &slot;
  }
  if (!free) return 0;
  // Next handle that is neither 0 nor still in use (only matters after the counter wraps).
  DWORD handle = table->lastHandle;
  do {
    ++handle;
  } while (handle == 0 || FindHandle(table, handle));
  table->lastHandle = handle;
  free->handle = handle;
  free->pointer = block;
  return handle;
}

void* OptResolveBuffer(const DriverContext* ctx, DWORD handle) {
  const OptBufferHandles* table = Handles(ctx);
  if (!table || handle == 0) return nullptr;
  for (const OptBufferSlot& slot : table->slots)
    if (slot.handle == handle) return slot.pointer;
  return nullptr;
}

void* OptUnregisterBuffer(DriverContext* ctx, DWORD handle) {
  OptBufferSlot* slot = FindHandle(Handles(ctx), handle);
  if (!slot) return nullptr;
  void* block = slot->pointer;
  *slot = OptBufferSlot{};
  return block;
}

void* OptGetBuffer(DriverContext* ctx, uint16_t id) {
  OptionEntry* row = nullptr;
  const int32_t handle = OptGetValue(ctx, id, &row);
  return IsBufferRow(row) ? OptResolveBuffer(ctx, static_cast<DWORD>(handle)) : nullptr;
}

void* OptGetSavedBuffer(DriverContext* ctx, uint16_t id) {
  OptionEntry* row = nullptr;
  const int32_t handle = OptGetSavedValue(ctx, id, &row);
  return IsBufferRow(row) ? OptResolveBuffer(ctx, static_cast<DWORD>(handle)) : nullptr;
}

namespace {

int SetBuffer(DriverContext* ctx, uint16_t id, void* block, bool saved) {
  OptionEntry* row = ctx ? OptFind(ctx, id) : nullptr;
  if (!IsBufferRow(row)) return 0;
  if (!(saved ? OptGetSavedValueAddress(ctx, row) : OptGetValueAddress(ctx, row))) return 0;
  DWORD handle = 0;
  if (block && (handle = OptRegisterBuffer(ctx, block)) == 0) return 0;
  const auto value = static_cast<int32_t>(handle);
  return saved ? OptWriteSavedValue(ctx, row, value) : OptWriteValue(ctx, row, value);
}

}  // namespace

int OptSetBuffer(DriverContext* ctx, uint16_t id, void* block) { return SetBuffer(ctx, id, block, false); }

int OptSetSavedBuffer(DriverContext* ctx, uint16_t id, void* block) { return SetBuffer(ctx, id, block, true); }

void DmClearProcessLocalFields(BYTE* image) {
  if (!image) return;
  for (uint16_t id = kOptFontTableCount; id <= kOptOptionFont; ++id) {
    const OptionDescriptor* row = StaticRow(id);
    if (!row) continue;
    if (BYTE* storage = OptImageAddress(image, row->typeWord, row->offset))
      std::memset(storage, 0, OptStorageExtent(row->typeWord));
  }
}

// ---- the saved image's own copies of the font tables ------------------------------------------

namespace {

struct FontTablePair {
  uint16_t countOption;
  uint16_t bufferOption;
  DWORD entrySize;
};

// Device fonts and option fonts (68-byte entries), font substitution (128-byte entries).
constexpr FontTablePair kFontTables[] = {
    {kOptDeviceFontCount, kOptDeviceFont, 68},
    {kOptOptionFontCount, kOptOptionFont, 68},
    {kOptFontTableCount, kOptFontTable, 128},
};

}  // namespace

int DmSyncSavedImage(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->workArea->savedImage || !ctx->settingsImage) return 0;
  // Copies a previous sync made would be lost under the new image.
  DmFreeSavedFontTables(ctx);
  std::memcpy(ctx->workArea->savedImage, ctx->settingsImage, kSettingsImageSize);
  for (const FontTablePair& t : kFontTables) {
    const int32_t count = OptGetValue(ctx, t.countOption, nullptr);
    const void* source = OptGetBuffer(ctx, t.bufferOption);
    void* copy = nullptr;
    if (count > 0 && source) {
      const DWORD bytes = static_cast<DWORD>(count) * t.entrySize;
      copy = CtxAllocMem(bytes);
      if (copy) std::memcpy(copy, source, bytes);
    }
    if (copy && !OptSetSavedBuffer(ctx, t.bufferOption, copy)) {
      MdlFreeMem(copy);
      copy = nullptr;
    }
    if (!copy) OptSetSavedBuffer(ctx, t.bufferOption, nullptr);
    OptSetSavedValue(ctx, t.countOption, copy ? count : 0);
  }
  return 1;
}

int DmFreeSavedFontTables(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->workArea->savedImage) return 0;
  for (const FontTablePair& t : kFontTables) {
    const auto handle = static_cast<DWORD>(OptGetSavedValue(ctx, t.bufferOption, nullptr));
    // A handle that the working image also holds is the working table, not a copy.
    if (handle != 0 && handle != static_cast<DWORD>(OptGetValue(ctx, t.bufferOption, nullptr)))
      MdlFreeMem(OptUnregisterBuffer(ctx, handle));
    OptSetSavedValue(ctx, t.bufferOption, 0);
  }
  return 1;
}
