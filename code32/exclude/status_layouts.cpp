// The record layouts of the statuses that have several: their sizes and the lowest interface
// version of each.
#include "status_layouts.h"

#include "api_frame.h"
#include "api_status.h"

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
};

}  // namespace

bool ApiStatusLayoutAllowed(uint32_t id, uint32_t version) {
  for (const RecordLayout& l : kRecordLayouts)
    if (l.id == id && l.version == version) return ApiGetVersion() >= l.lowestApiVersion;
  return true;
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

