// The record layouts of the statuses that have several: their sizes and the lowest interface
// version of each; and the small steps the handler files share.
#include "status_layouts.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_status.h"
#include "api_support.h"
#include "model_image.h"
#include "option_access.h"
#include "option_table.h"
#include "option_units.h"
#include "option_validation.h"

namespace {

// The lowest interface version of each record layout of the statuses with several.
struct RecordLayout {
  uint32_t id;
  uint32_t version;
  int32_t size;
  int32_t lowestApiVersion;
};
constexpr RecordLayout kRecordLayouts[] = {
    {7, 1, 32, 1},  {7, 2, 32, 14},  {8, 1, 32, 1},  {8, 2, 32, 10}, {8, 3, 32, 12}, {11, 1, 32, 1}, {11, 2, 32, 14},
    {14, 1, 32, 1}, {14, 2, 32, 10}, {19, 1, 32, 1}, {19, 2, 32, 10}, {28, 1, 32, 1}, {28, 2, 32, 12}, {28, 3, 32, 14},
    {10, 1, 392, 1}, {10, 2, 408, 10}, {10, 3, 484, 14}, {16, 1, 372, 1}, {16, 2, 412, 3}, {16, 3, 420, 10},
    {47, 1, 104, 8}, {47, 2, 108, 10}, {67, 1, 36, 13}, {67, 2, 40, 15},
};

}  // namespace

bool ApiStatusLayoutAllowed(uint32_t id, uint32_t version) {
  for (const RecordLayout& l : kRecordLayouts)
    if (l.id == id && l.version == version) return ApiGetVersion() >= l.lowestApiVersion;
  return true;
}

int32_t ApiStatusLayoutSize(uint32_t id, uint32_t version) {
  for (const RecordLayout& l : kRecordLayouts)
    if (l.id == id && l.version == version) return l.size;
  return 0;
}

uint32_t ApiStatusSetVersion(uint32_t id, const StatusRecord* record) {
  const StatusRow* row = StatusRowOfId(id);
  const uint32_t rowVersion = row ? row->recordVersion : 1;
  if (record->version == 0) return 1;
  return record->version > rowVersion ? rowVersion : record->version;
}

uint32_t ApiStatusGetVersion(uint32_t id, uint32_t requested) {
  const StatusRow* row = StatusRowOfId(id);
  const uint32_t rowVersion = row ? row->recordVersion : 1;
  return requested == 0 || requested > rowVersion ? rowVersion : requested;
}

bool ApiStatusGetGate(DriverContext* ctx, uint32_t id, uint32_t version) {
  if (ApiStatusLayoutAllowed(id, version)) return true;
  SetApiLastError(ctx, kApiErrVersion);
  return false;
}


bool ApiStatusAllowed(DriverContext* ctx, uint16_t option, int32_t value) { return OptCheckValue(option, value, ctx) == 1; }

int32_t ApiStatusMmToDots(int32_t mm) {
  return mm <= 0 ? 0 : static_cast<int32_t>(OptLengthToDots(1, static_cast<uint32_t>(mm), 1200));
}

int32_t ApiStatusDotsToMm(int32_t dots) {
  return dots <= 0 ? 0 : static_cast<int32_t>(OptDotsToLength(1, static_cast<uint32_t>(dots), 1200, nullptr));
}

int32_t ApiRecordI32(const StatusRecord* record, size_t offset) {
  int32_t v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(record) + offset, sizeof(v));
  return v;
}

int16_t ApiRecordI16(const StatusRecord* record, size_t offset) {
  int16_t v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(record) + offset, sizeof(v));
  return v;
}

void ApiRecordPutI32(StatusRecord* record, size_t offset, int32_t value) {
  std::memcpy(reinterpret_cast<uint8_t*>(record) + offset, &value, sizeof(value));
}

void ApiRecordPutI16(StatusRecord* record, size_t offset, int16_t value) {
  std::memcpy(reinterpret_cast<uint8_t*>(record) + offset, &value, sizeof(value));
}

size_t ApiOptionText(DriverContext* ctx, uint16_t option, char* out, size_t limit) {
  OptionEntry* row = nullptr;
  const BYTE* value = OptGetValuePointer(ctx, option, &row);
  size_t n = 0;
  if (value && row) {
    const size_t size = std::min<size_t>(TypeSize(row->typeWord), limit);
    while (n < size && value[n]) ++n;
    std::memcpy(out, value, n);
  }
  out[n] = 0;
  return n;
}

int ApiSetOptionText(DriverContext* ctx, uint16_t option, const char* text, size_t n) {
  OptionEntry* row = OptFind(ctx, option);
  if (!row) return 0;
  const size_t size = TypeSize(row->typeWord);
  if (size == 0) return 0;
  std::vector<char> field(size, 0);
  std::memcpy(field.data(), text, std::min(n, size - 1));
  return OptSetValueBytes(ctx, option, field.data());
}

size_t ApiRecordTextLength(const StatusRecord* record, size_t offset, size_t size) {
  const auto* p = reinterpret_cast<const char*>(record) + offset;
  size_t n = 0;
  while (n < size && p[n]) ++n;
  return n;
}

const char* ApiRecordText(const StatusRecord* record, size_t offset) {
  return reinterpret_cast<const char*>(record) + offset;
}

void ApiRecordPutText(StatusRecord* record, size_t offset, size_t size, const char* text, size_t n) {
  auto* p = reinterpret_cast<uint8_t*>(record) + offset;
  std::memset(p, 0, size);
  std::memcpy(p, text, std::min(n, size - 1));
}

int ApiIsInItemRange(DriverContext* ctx, uint16_t option, int32_t value) {
  const ModelItem* item = ApiFindOptionItem(ctx, option);
  if (!item || (item->typeWord & 0xFF) != 8 || !item->values) return 0;
  const auto* range = MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
  return range && value >= range->minimum && value <= range->maximum ? 1 : 0;
}

namespace status_steps {
int32_t Get(DriverContext* ctx, uint16_t option) { return OptGetValue(ctx, option, nullptr); }
void Set(DriverContext* ctx, uint16_t option, int32_t value) { OptSetValue(ctx, option, value); }
bool Allowed(DriverContext* ctx, uint16_t option, int32_t value) { return ApiStatusAllowed(ctx, option, value); }
int32_t At(const StatusRecord* record, size_t offset) { return ApiRecordI32(record, offset); }
int Refuse(DriverContext* ctx, int32_t code) {
  SetApiLastError(ctx, code);
  return 0;
}
}  // namespace status_steps
