// The all-capabilities record: every capability of the printer asked once and kept in one record
// that the caller frees through the same export.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "api_frame.h"
#include "api_records.h"
#include "driver_context.h"

namespace {

enum AllCapKind : uint8_t { kAllCapValue, kAllCapList, kAllCapPair16, kAllCapPair32 };

// One field of the record: the capability that fills it, how, the status whose support bit must
// be set, and the lowest interface version at which it is filled.
struct AllCapField {
  uint32_t capability;
  AllCapKind kind;
  uint16_t elementBytes;
  uint32_t statusId;
  int32_t version;
  size_t offset;
};

constexpr AllCapField kAllCapFields[] = {
#include "all_capabilities_rows.inc"
};

bool BitSet(const uint8_t* bitmap, int size, uint32_t id) {
  const int byte = ApiBitByte(id);
  return byte < size && (bitmap[byte] & ApiBitMask(id)) != 0;
}

template <typename T>
T* At(AllCapabilities* record, size_t offset) {
  return reinterpret_cast<T*>(reinterpret_cast<uint8_t*>(record) + offset);
}

// A list field: the count, then the entries. 0 when the record fails.
int FillList(DriverContext* ctx, AllCapabilities* record, const AllCapField& f) {
  const int32_t count = ApiGetCapsCore(ctx, f.capability, nullptr);
  if (count == 0) return 1;
  if (count < 0) {
    // The emulation list is not offered by one model variant, and a list of a setting that the
    // model does not describe has nothing to hold: their pairs stay empty.
    if (f.capability == 45 && ctx->profile && ctx->profile->modelVariant == 1) return 1;
    return ApiIsListOfMissingItem(ctx, f.capability);
  }
  // A buffer one entry larger than asked: lists that end in a marker write it after the count.
  void* entries = std::calloc(static_cast<size_t>(count) + 1, f.elementBytes);
  if (!entries) return 0;
  const int32_t second = ApiGetCapsCore(ctx, f.capability, entries);
  ApiCapList* list = At<ApiCapList>(record, f.offset);
  list->entries = entries;
  if (second < 1) return 0;
  list->count = second < count ? second : count;
  return 1;
}

int FillField(DriverContext* ctx, AllCapabilities* record, const AllCapField& f) {
  switch (f.kind) {
    case kAllCapValue:
      *At<int32_t>(record, f.offset) = ApiGetCapsCore(ctx, f.capability, nullptr);
      return 1;
    case kAllCapPair16: {
      int16_t pair[2] = {};
      ApiGetCapsCore(ctx, f.capability, pair);
      std::memcpy(At<int16_t>(record, f.offset), pair, sizeof(pair));
      return 1;
    }
    case kAllCapPair32: {
      int32_t pair[2] = {};
      ApiGetCapsCore(ctx, f.capability, pair);
      std::memcpy(At<int32_t>(record, f.offset), pair, sizeof(pair));
      return 1;
    }
    case kAllCapList:
      return FillList(ctx, record, f);
  }
  return 0;
}

// The capabilities asked only while another one answers non-zero.
uint32_t GatingCapability(uint32_t id) {
  if (id == 32 || id == 33) return 31;
  if (id >= 35 && id <= 38) return 34;
  if (id >= 113 && id <= 116) return 112;
  if (id >= 129 && id <= 144) return 128;
  if (id == 147 || id == 148) return 146;
  return 0;
}

int32_t FieldValueOf(AllCapabilities* record, uint32_t capability) {
  for (const AllCapField& f : kAllCapFields)
    if (f.capability == capability && f.kind == kAllCapValue) return *At<int32_t>(record, f.offset);
  return 0;
}

int Fill(DriverContext* ctx, AllCapabilities* record) {
  const int32_t size = ApiGetCapsCore(ctx, 0, nullptr);
  if (size < 1) return 0;
  record->statusBitmap = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(size)));
  if (!record->statusBitmap || ApiGetCapsCore(ctx, 0, record->statusBitmap) < 1) return 0;
  const int32_t version = ApiGetVersion();
  for (const AllCapField& f : kAllCapFields) {
    if (version < 6 && f.offset > offsetof(AllCapabilities, cap57)) break;
    if (!BitSet(record->statusBitmap, size, f.statusId) || version < f.version) continue;
    if (const uint32_t gate = GatingCapability(f.capability); gate && FieldValueOf(record, gate) == 0) continue;
    if (!FillField(ctx, record, f)) return 0;
    // The watermark lists must both hold entries while watermarks are offered.
    if ((f.capability == 32 || f.capability == 33) && At<ApiCapList>(record, f.offset)->count < 1) return 0;
  }
  return 1;
}

}  // namespace

int32_t FreeAllCapabilities(AllCapabilities* record) {
  if (!record) return 1;
  for (const AllCapField& f : kAllCapFields)
    if (f.kind == kAllCapList) std::free(At<ApiCapList>(record, f.offset)->entries);
  std::free(record->statusBitmap);
  std::free(record);
  return 1;
}

int32_t GetAllCapabilities(DriverContext* ctx, AllCapabilities** out) {
  if (!out) {
    SetApiLastError(ctx, kApiErrNoRecord);
    return 0;
  }
  *out = nullptr;
  auto* record = static_cast<AllCapabilities*>(std::calloc(1, sizeof(AllCapabilities)));
  if (!record) return 0;
  if (!Fill(ctx, record)) {
    FreeAllCapabilities(record);
    SetApiLastError(ctx, kApiErrGeneral);
    return 0;
  }
  *out = record;
  return 1;
}
