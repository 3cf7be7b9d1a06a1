// The capability table and its dispatcher, behind ZOLTDrvGetCaps.
#include <array>
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_support.h"
#include "env_mutex.h"
#include "model_query.h"
#include "option_access.h"

namespace {

// Ids whose answer depends on the option being selectable in the model.
bool NeedsAvailability(uint32_t id) {
  switch (id) {
    case 8: case 55: case 61: case 64: case 65: case 70: case 72: case 75: case 126: case 128: case 145:
    case 146: case 149:
      return true;
    default:
      return id >= 262 && id <= 269;
  }
}

bool RefusedInTerminalServer(uint32_t id) { return (id >= 49 && id <= 53) || (id >= 121 && id <= 123); }

const ModelNumericValue* NumericRecord(DriverContext* ctx, uint16_t option) {
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  if (!item || (item->typeWord & 0xFF) != 8 || !item->values) return nullptr;
  return MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
}

// 34: the margin shift can be given as a length.
int32_t CapShiftMarginRange(DriverContext* ctx, uint32_t, void*) {
  return (MdlGetItemType(kApiOptShiftMarginY, ctx) & 0xFF) == 8 ? 1 : 0;
}

// 76: the largest separation-sheet cycle, when separation sheets are offered.
int32_t CapSeparationSheet(DriverContext* ctx, uint32_t, void*) {
  if (!ApiIsOptionAvailable(ctx, kApiOptSeparationSheet, 0, 1)) return 0;
  const ModelNumericValue* record = NumericRecord(ctx, kApiOptSeparationSheetCycle);
  if (!record) return -1;
  return static_cast<int16_t>(record->maximum);
}

// 270: the model describes the user print macros.
int32_t CapUserMacro(DriverContext* ctx, uint32_t, void*) { return ApiHasItem(ctx, kApiOptUseUserMacro); }

struct CapabilityHandlerRow {
  uint32_t id;
  uint16_t availabilityOption;
  CapabilityHandler handler;
};

constexpr CapabilityHandlerRow kCapabilityHandlers[] = {
    {kApiCapShiftMarginRange, 0, CapShiftMarginRange},
    {kApiCapSeparationSheet, 0, CapSeparationSheet},
    {kApiCapUserMacro, 0, CapUserMacro},
};

constexpr size_t kCapabilityRows = 150 + 26 + 3;

const std::array<CapabilityRow, kCapabilityRows>& Rows() {
  static const std::array<CapabilityRow, kCapabilityRows> rows = [] {
    std::array<CapabilityRow, kCapabilityRows> out{};
    size_t i = 0;
    auto add = [&](uint32_t id) {
      CapabilityRow& r = out[i++];
      r.id = id;
      r.enabled = id == 58 || id == 59 || id == 68 ? 0 : 1;
      r.one = 1;
      for (const CapabilityHandlerRow& h : kCapabilityHandlers)
        if (h.id == id) {
          r.availabilityOption = h.availabilityOption;
          r.handler = h.handler;
        }
    };
    for (uint32_t id = 1; id <= 150; ++id) add(id);
    for (uint32_t id = 257; id <= 282; ++id) add(id);
    for (uint32_t id : {kCapSpecialMachineType, kCapSpecialB, kCapSpecialC}) add(id);
    return out;
  }();
  return rows;
}

int32_t DispatchGetCaps(DriverContext* ctx, uint32_t id, void* data) {
  const CapabilityRow* row = CapabilityRowById(id);
  if (!row || !row->enabled || !row->handler) return 0;
  HANDLE printer = nullptr;
  if (!ApiOpenPrinterForCall(ctx, &printer, nullptr)) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  int32_t result = 0;
  if (NeedsAvailability(id) && !ApiIsOptionSelectable(ctx, row->availabilityOption)) {
    result = 0;
  } else if (RefusedInTerminalServer(id) && ApiIsTerminalServerMode(ctx)) {
    result = 0;
  } else {
    const int32_t saved = ApiGetLastErrorRaw(ctx);
    SetApiLastError(ctx, kApiErrGeneral);
    result = row->handler(ctx, id, data);
    if (result != -1) ApiPutLastErrorRaw(ctx, saved);
  }
  ApiClosePrinter(printer);
  return result;
}

int32_t ApiGetCapsCore(DriverContext* ctx, uint32_t id, void* data) {
  if (!ctx) return -1;
  if (id == 0) return ApiGetStatusSupportBitmap(static_cast<uint8_t*>(data));
  if (IsIdSupported(kApiKindCapability, id)) return DispatchGetCaps(ctx, id, data);
  return 0;
}

}  // namespace

const CapabilityRow* CapabilityRowById(uint32_t id) {
  if (id == 0) return nullptr;
  const bool special = id == kCapSpecialMachineType || id == kCapSpecialB || id == kCapSpecialC;
  if (!special && !ApiIsCapabilityIdKnown(id)) return nullptr;
  for (const CapabilityRow& row : Rows())
    if (row.id == id) return &row;
  return nullptr;
}

int32_t ApiQueryCapability(DriverContext* ctx, uint32_t id, void* data) {
  const CapabilityRow* row = CapabilityRowById(id);
  if (!ctx || !row || !row->enabled || !row->handler || !IsIdSupported(kApiKindCapability, id)) return 0;
  return row->handler(ctx, id, data);
}

int ApiIsCapabilitySupported(DriverContext* ctx, uint32_t id) {
  const int32_t answer = ApiQueryCapability(ctx, id, nullptr);
  return answer != -1 && answer != 0 ? 1 : 0;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetCaps(DriverContext* ctx, uint32_t id, void* data) {
  if (!ApiIsLiveContext(ctx)) return -1;
  EnvLockGlobalMutex(nullptr);
  const int32_t result = ApiGetCapsCore(ctx, id, data);
  EnvUnlockGlobalMutex(nullptr);
  return result;
}
