// The capability and status support bitmaps: which ids this model family offers at the
// printer's interface version, decided once per enable.
#include <array>
#include <cstring>

#include "api_frame.h"
#include "api_status.h"
#include "context_services.h"

namespace {

struct IdRange {
  uint16_t first;
  uint16_t last;
};

// Ids of the model family; the ids tied to a build feature follow apart.
constexpr IdRange kCapabilityMaskRanges[] = {{1, 57}, {60, 67}, {69, 79}, {83, 150}, {257, 272}, {274, 282}};
constexpr IdRange kStatusMaskRanges[] = {{1, 36}, {38, 43}, {45, 51}, {55, 84}, {257, 262}, {264, 269}};

struct FeatureIds {
  uint16_t feature;  // FmIsFeatureEnabled number
  uint16_t ids[2];   // 0 for none
};
constexpr FeatureIds kCapabilityFeatureIds[] = {{1, {80, 81}}, {0, {82, 0}}};
constexpr FeatureIds kStatusFeatureIds[] = {{1, {52, 53}}, {0, {54, 0}}};

constexpr uint32_t kCapabilityWalkLast = 282;
constexpr uint32_t kStatusWalkLast = 269;

void SetBit(uint8_t* bitmap, uint32_t id) { bitmap[ApiBitByte(id)] |= ApiBitMask(id); }
int TestBit(const uint8_t* bitmap, uint32_t id) { return (bitmap[ApiBitByte(id)] & ApiBitMask(id)) != 0; }

template <size_t N, size_t M>
void FillMask(uint8_t* mask, const IdRange (&ranges)[N], const FeatureIds (&features)[M]) {
  std::memset(mask, 0, kBitmapBytes);
  for (const IdRange& r : ranges)
    for (uint32_t id = r.first; id <= r.last; ++id) SetBit(mask, id);
  for (const FeatureIds& f : features) {
    if (!FmIsFeatureEnabled(nullptr, f.feature, 0)) continue;
    for (uint16_t id : f.ids)
      if (id) SetBit(mask, id);
  }
}

}  // namespace

const uint8_t* ApiBuildModelMask(int kind) {
  static std::array<uint8_t, kBitmapBytes> capabilities;
  static std::array<uint8_t, kBitmapBytes> statuses;
  if (kind == kApiKindCapability) {
    FillMask(capabilities.data(), kCapabilityMaskRanges, kCapabilityFeatureIds);
    return capabilities.data();
  }
  FillMask(statuses.data(), kStatusMaskRanges, kStatusFeatureIds);
  return statuses.data();
}

void BuildSupportBitmaps() {
  ApiProcessState* state = ApiGetProcessState();
  std::memset(state->capabilityBitmap, 0, kBitmapBytes);
  std::memset(state->statusBitmap, 0, kBitmapBytes);
  const uint8_t* mask = ApiBuildModelMask(kApiKindCapability);
  for (uint32_t id = 1; id <= kCapabilityWalkLast; ++id) {
    const CapabilityRow* row = CapabilityRowById(id);
    if (row && row->enabled && TestBit(mask, id)) SetBit(state->capabilityBitmap, id);
  }
  mask = ApiBuildModelMask(kApiKindStatus);
  for (uint32_t id = 1; id <= kStatusWalkLast; ++id) {
    const StatusRow* row = StatusRowById(id);
    if (row && row->enabled && TestBit(mask, id)) SetBit(state->statusBitmap, id);
  }
}

int IsIdSupported(int kind, uint32_t id) {
  if (kind == kApiKindCapability &&
      (id == kCapSpecialMachineType || id == kCapSpecialB || id == kCapSpecialC))
    return 1;
  if (id < 1 || id > 8 * kBitmapBytes) return 0;
  const ApiProcessState* state = ApiGetProcessState();
  return TestBit(kind == kApiKindStatus ? state->statusBitmap : state->capabilityBitmap, id);
}

int32_t ApiGetStatusSupportBitmap(uint8_t* buffer) {
  const int32_t size = ApiBitmapSize();
  if (!buffer) return size;
  std::memset(buffer, 0, static_cast<size_t>(size));
  const uint32_t low = ApiStatusIdLimit(0);
  const uint32_t high = ApiStatusIdLimit(1);
  for (uint32_t id = 1; id <= high; id = id == low ? 257 : id + 1) {
    if (ApiBitByte(id) >= size) break;
    if (IsIdSupported(kApiKindStatus, id)) SetBit(buffer, id);
  }
  return size;
}
