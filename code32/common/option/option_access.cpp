// Reading and writing stored option values by kind, in the working, saved and lock-default
// settings images of a context.
#include "option_access.h"
#include "option_context_words.h"

#include <cstring>

#include "byte_order.h"
#include "reset_walk.h"

namespace {

constexpr uint16_t kOptPrintQualityIndex = 13;  // dmPrintQuality (14), by row index
constexpr uint16_t kOptScaleType = 87;
constexpr uint16_t kOptScaleH = 89;
constexpr uint16_t kOptScaleV = 90;
constexpr int32_t kScaleTypeFixedRatio = 1;

BYTE* AsBytes(SettingsImage* image) { return reinterpret_cast<BYTE*>(image); }

BYTE* WorkingImage(DriverContext* ctx) { return ctx ? AsBytes(ctx->settingsImage) : nullptr; }

BYTE* SavedImage(DriverContext* ctx) {
  return ctx && ctx->workArea ? AsBytes(ctx->workArea->savedImage) : nullptr;
}

BYTE* LockDefaultImage(DriverContext* ctx) {
  return ctx && ctx->workArea ? AsBytes(ctx->workArea->lockDefaultImage) : nullptr;
}

BYTE* RowAddress(BYTE* image, const OptionEntry* row) {
  return row ? OptImageAddress(image, row->typeWord, row->offset) : nullptr;
}

int32_t ReadNumeric(BYTE* storage, const OptionEntry* row) {
  return storage ? OptDecodeValue(storage, row->typeWord) : 0;
}

BYTE* StoragePointer(BYTE* storage, const OptionEntry* row) {
  return storage && !OptIsNumericKind(TypeKind(row->typeWord)) ? storage : nullptr;
}

// The marks of a write to the working image.
void MarkWritten(DriverContext* ctx, OptionEntry* row, int32_t value) {
  row->stateBits = static_cast<uint16_t>((row->stateBits & ~kStateChangedMask) | 1);
  if (ctx->workArea) ctx->workArea->optionsChanged = 1;
  if (row->id == kOptScaleH && OptGetValue(ctx, kOptScaleType, nullptr) == kScaleTypeFixedRatio)
    OptSetValue(ctx, kOptScaleV, value);
  if (const DWORD classes = row->flags & kOptFlagChangeClassMask) CtxAddPendingFlags(ctx, classes);
}

}  // namespace

// ---- storage ------------------------------------------------------------------------------------

bool OptIsBitKind(uint32_t kind) { return kind >= kKindBitFirst && kind <= kKindBitLast; }

bool OptIsNumericKind(uint32_t kind) { return (kind >= kKindInt8 && kind <= kKindUInt32) || OptIsBitKind(kind); }

bool OptIsAnsiTextKind(uint32_t kind) { return kind == kKindAnsi || kind == kKindAnsi2; }

bool OptIsWideTextKind(uint32_t kind) { return kind == kKindWide || kind == kKindWide2; }

DWORD OptStorageExtent(uint32_t typeWord) {
  const uint32_t kind = TypeKind(typeWord);
  switch (kind) {
    case kKindInt8:
    case kKindUInt8:
      return 1;
    case kKindInt16:
    case kKindUInt16:
      return 2;
    case kKindInt32:
    case kKindUInt32:
      return 4;
    default:
      if (OptIsBitKind(kind)) return (kind - kKindBitFirst) / 8 + 1;
      return TypeSize(typeWord);
  }
}

BYTE* OptImageAddress(BYTE* image, uint32_t typeWord, uint16_t offset) {
  const uint32_t block = TypeBlock(typeWord);
  if (!image || block == 0) return nullptr;
  const DWORD start = ReadLe16(image + kImageBlockStartAt[block]);
  if (DWORD{start} + offset + OptStorageExtent(typeWord) > kSettingsImageSize) return nullptr;
  return image + start + offset;
}

int32_t OptDecodeValue(const BYTE* storage, uint32_t typeWord) {
  if (!storage) return 0;
  const uint32_t kind = TypeKind(typeWord);
  switch (kind) {
    case kKindInt8:
      return static_cast<int8_t>(storage[0]);
    case kKindUInt8:
      return storage[0];
    case kKindInt16:
      return static_cast<int16_t>(ReadLe16(storage));
    case kKindUInt16:
      return ReadLe16(storage);
    case kKindInt32:
    case kKindUInt32:
      return static_cast<int32_t>(ReadLe32(storage));
    default:
      if (OptIsBitKind(kind)) {
        const uint32_t bit = kind - kKindBitFirst;
        return (storage[bit / 8] >> (bit % 8)) & 1;
      }
      return 0;
  }
}

int OptEncodeValue(BYTE* storage, uint32_t typeWord, int32_t value) {
  if (!storage) return 0;
  const uint32_t kind = TypeKind(typeWord);
  switch (kind) {
    case kKindInt8:
    case kKindUInt8:
      storage[0] = static_cast<BYTE>(value);
      return 1;
    case kKindInt16:
    case kKindUInt16:
      WriteLe16(storage, static_cast<uint16_t>(value));
      return 1;
    case kKindInt32:
    case kKindUInt32:
      WriteLe32(storage, static_cast<uint32_t>(value));
      return 1;
    default:
      if (OptIsBitKind(kind)) {
        const uint32_t bit = kind - kKindBitFirst;
        const BYTE mask = static_cast<BYTE>(1u << (bit % 8));
        if (value)
          storage[bit / 8] |= mask;
        else
          storage[bit / 8] &= static_cast<BYTE>(~mask);
        return 1;
      }
      // A text or block: only "no text" can be given as a number.
      return value == 0 ? OptEncodeBytes(storage, typeWord, nullptr) : 0;
  }
}

int OptEncodeBytes(BYTE* storage, uint32_t typeWord, const void* source) {
  if (!storage || OptIsNumericKind(TypeKind(typeWord))) return 0;
  const size_t size = TypeSize(typeWord);
  if (source)
    std::memmove(storage, source, size);
  else
    std::memset(storage, 0, size);
  return 1;
}

// ---- addressing ---------------------------------------------------------------------------------

BYTE* OptGetValueAddress(DriverContext* ctx, const OptionEntry* row) { return RowAddress(WorkingImage(ctx), row); }

BYTE* OptGetSavedValueAddress(DriverContext* ctx, const OptionEntry* row) { return RowAddress(SavedImage(ctx), row); }

BYTE* OptGetLockDefaultValueAddress(DriverContext* ctx, const OptionEntry* row) {
  return RowAddress(LockDefaultImage(ctx), row);
}

// ---- reading ------------------------------------------------------------------------------------

int32_t OptReadValue(DriverContext* ctx, const OptionEntry* row) {
  return ReadNumeric(OptGetValueAddress(ctx, row), row);
}

int32_t OptReadSavedValue(DriverContext* ctx, const OptionEntry* row) {
  return ReadNumeric(OptGetSavedValueAddress(ctx, row), row);
}

int32_t OptReadLockDefaultValue(DriverContext* ctx, const OptionEntry* row) {
  return ReadNumeric(OptGetLockDefaultValueAddress(ctx, row), row);
}

BYTE* OptReadValuePointer(DriverContext* ctx, const OptionEntry* row) {
  return StoragePointer(OptGetValueAddress(ctx, row), row);
}

BYTE* OptReadSavedValuePointer(DriverContext* ctx, const OptionEntry* row) {
  return StoragePointer(OptGetSavedValueAddress(ctx, row), row);
}

BYTE* OptReadLockDefaultValuePointer(DriverContext* ctx, const OptionEntry* row) {
  return StoragePointer(OptGetLockDefaultValueAddress(ctx, row), row);
}

namespace {

OptionEntry* FindRow(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  OptionEntry* row = ctx ? OptFind(ctx, id) : nullptr;
  if (rowOut) *rowOut = row;
  return row;
}

}  // namespace

int32_t OptGetValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadValue(ctx, FindRow(ctx, id, rowOut));
}

int32_t OptGetSavedValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadSavedValue(ctx, FindRow(ctx, id, rowOut));
}

int32_t OptGetLockDefaultValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadLockDefaultValue(ctx, FindRow(ctx, id, rowOut));
}

BYTE* OptGetValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadValuePointer(ctx, FindRow(ctx, id, rowOut));
}

BYTE* OptGetSavedValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadSavedValuePointer(ctx, FindRow(ctx, id, rowOut));
}

BYTE* OptGetLockDefaultValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  return OptReadLockDefaultValuePointer(ctx, FindRow(ctx, id, rowOut));
}

int32_t OptGetPrintQuality(DriverContext* ctx) {
  if (!ctx || !ctx->optionTable || !ctx->optionTable->rows || ctx->optionTable->count <= kOptPrintQualityIndex)
    return 0;
  return OptReadValue(ctx, &ctx->optionTable->rows[kOptPrintQualityIndex]);
}

// ---- writing ------------------------------------------------------------------------------------

int OptWriteValue(DriverContext* ctx, OptionEntry* row, int32_t value) {
  if (!OptEncodeValue(OptGetValueAddress(ctx, row), row ? row->typeWord : 0, value)) return 0;
  if (g_resetWalkRecording == ctx) {
    // Noted once: the writes the marks make follow from it when it is done again.
    OptNoteResetWalkWrite(ctx, row, value, false);
    g_resetWalkRecording = nullptr;
    MarkWritten(ctx, row, value);
    g_resetWalkRecording = ctx;
    return 1;
  }
  MarkWritten(ctx, row, value);
  return 1;
}

int OptWriteValueBytes(DriverContext* ctx, OptionEntry* row, const void* source) {
  if (!OptEncodeBytes(OptGetValueAddress(ctx, row), row ? row->typeWord : 0, source)) return 0;
  if (g_resetWalkRecording == ctx) OptNoteResetWalkWrite(ctx, row, 0, true);
  MarkWritten(ctx, row, 0);
  return 1;
}

int OptSetValue(DriverContext* ctx, uint16_t id, int32_t value) {
  return OptWriteValue(ctx, FindRow(ctx, id, nullptr), value);
}

int OptSetValueBytes(DriverContext* ctx, uint16_t id, const void* source) {
  return OptWriteValueBytes(ctx, FindRow(ctx, id, nullptr), source);
}

int OptWriteSavedValue(DriverContext* ctx, const OptionEntry* row, int32_t value) {
  return OptEncodeValue(OptGetSavedValueAddress(ctx, row), row ? row->typeWord : 0, value);
}

int OptWriteSavedValueBytes(DriverContext* ctx, const OptionEntry* row, const void* source) {
  return OptEncodeBytes(OptGetSavedValueAddress(ctx, row), row ? row->typeWord : 0, source);
}

int OptSetSavedValue(DriverContext* ctx, uint16_t id, int32_t value) {
  return OptWriteSavedValue(ctx, FindRow(ctx, id, nullptr), value);
}

int OptSetSavedValueBytes(DriverContext* ctx, uint16_t id, const void* source) {
  return OptWriteSavedValueBytes(ctx, FindRow(ctx, id, nullptr), source);
}

int OptIsMetric(DriverContext* ctx) {
  constexpr uint16_t kOptDspUnit = 171;
  return OptGetValue(ctx, kOptDspUnit, nullptr) == 0 ? 1 : 0;
}
