// Handlers of the output and finishing statuses: the authentication mode as read, the manual-tray
// orientation, load sharing, index rotation, back and reverse covers, the cover media type, edge
// and corner marks, margin overlap, crop marks, creep margins, page separation, folding, the cut
// of the fore edge and the fold with stamp.
#include "api_devmode.h"
#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "model_query.h"
#include "option_access.h"
#include "option_validation.h"
#include "option_values.h"
#include "status_layouts.h"

namespace {

using namespace status_steps;

enum : uint16_t {
  kOptCoverMediaType = 406,       // 406-409 and 411 take the same cover media type
  kOptMPInputMediaType = 408,
  kOptReverseCoverMediaType = 411,
  kOptBackCoverType = 126,
  kOptBackCoverTray = 127,
  kOptReverseCoverType = 412,
  kOptReverseCoverTray = 410,
  kOptIndexRotation = 197,
  kOptShiftPrint = 195,
  kOptManualTraySwitch = 388,
  kOptManualTrayOrientation = 405,
  kOptCornerPosition = 692,
  kOptMarginOverlap = 80,
  kOptCrops = 81,
  kOptCropsFirst = 82,
  kOptCreepInside = 693,
  kOptCreepOutside = 694,
  kOptPageSeparation = 541,
  kOptFolding = 545,
  kOptFoldingPunch = 546,         // 546-548: punch, corner and stamp of a folding
  kOptFoldingType = 695,
  kOptCutForeEdge = 550,
  kOptCutForeEdgePosition = 231,
  kOptFoldStamp = 232,
  kOptPingFold = 551,
};

constexpr int32_t kIndexMediaType = 272;      // the media type that index rotation needs
constexpr int32_t kFoldingOff = 255;
constexpr uint32_t kFunctionBitPageSeparation = 0x200;

// ---- authentication mode (read only) ------------------------------------------------------------

int32_t AuthenticationMode(DriverContext* ctx) {
  if (Get(ctx, kOptAuthMode) == 0) return 0;
  return Get(ctx, kOptAuthSecureMode) != 0 ? 2 : 1;
}

int32_t GetAuthenticationMode(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (!ApiIsCapabilitySupported(ctx, 82)) return -1;
  if (record) record->value = AuthenticationMode(ctx);
  return kStatusRecordSize;
}

// ---- manual-tray orientation ----------------------------------------------------------------------

int SetManualTray(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) {
    Set(ctx, kOptManualTraySwitch, 0);
    return 1;
  }
  if (!Allowed(ctx, kOptManualTraySwitch, r->value) || !Allowed(ctx, kOptManualTrayOrientation, At(r, 8))) return 0;
  Set(ctx, kOptManualTraySwitch, r->value);
  Set(ctx, kOptManualTrayOrientation, At(r, 8));
  return 1;
}

int CheckManualTray(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (Get(ctx, kOptManualTraySwitch) != r->value) return -1;
  if (r->value == 0) return 1;
  return Get(ctx, kOptManualTrayOrientation) == At(r, 8) ? 1 : -1;
}

int32_t GetManualTray(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    r->value = Get(ctx, kOptManualTraySwitch);
    ApiRecordPutI32(r, 8, Get(ctx, kOptManualTrayOrientation));
  }
  return kStatusRecordSize;
}

// ---- load sharing -------------------------------------------------------------------------------------

// {status value, zdmLoadShare value} of each row of the load-share table.
constexpr struct {
  int32_t status;
  int32_t loadShare;
} kLoadShareRows[] = {{0, 0}, {0, 16}, {1, 1}, {1, 17}, {2, 2}, {3, 18}};

// The zdmLoadShare value of the first available row of a status value; -1 when none.
int32_t LoadShareOf(int32_t status) {
  for (int row = 0; row < 6; ++row)
    if (kLoadShareRows[row].status == status && ApiIsLoadShareRowMarked(row)) return kLoadShareRows[row].loadShare;
  return -1;
}

int SetLoadShare(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t value = LoadShareOf(r->value);
  if (value < 0) return 0;
  Set(ctx, kApiOptLoadShare, value);
  ApiRefreshPaperFields(ctx);
  return 1;
}

int CheckLoadShare(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t value = LoadShareOf(r->value);
  return value >= 0 && Get(ctx, kApiOptLoadShare) == value ? 1 : -1;
}

int32_t GetLoadShare(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kStatusRecordSize;
  const int32_t current = Get(ctx, kApiOptLoadShare);
  r->value = 0;
  for (int row = 0; row < 6; ++row)
    if (ApiIsLoadShareRowMarked(row) && kLoadShareRows[row].loadShare == current) {
      r->value = kLoadShareRows[row].status;
      break;
    }
  return kStatusRecordSize;
}

// ---- index rotation ------------------------------------------------------------------------------------

int SetIndexRotation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value < 0 || r->value > 2) return 0;
  if (Get(ctx, kApiOptMediaType) != kIndexMediaType) return Refuse(ctx, kApiErrConflict);
  Set(ctx, kOptIndexRotation, r->value >= 1 ? 1 : 0);
  Set(ctx, kOptShiftPrint, r->value == 2 ? 1 : 0);
  return 1;
}

int32_t IndexRotation(DriverContext* ctx) {
  if (Get(ctx, kOptIndexRotation) == 0) return 0;
  return Get(ctx, kOptShiftPrint) != 0 ? 2 : 1;
}

int CheckIndexRotation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return IndexRotation(ctx) == r->value ? 1 : -1;
}

int32_t GetIndexRotation(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) r->value = IndexRotation(ctx);
  return kStatusRecordSize;
}

// ---- back cover and reverse cover ----------------------------------------------------------------

struct CoverStatus {
  uint32_t id;
  uint16_t switchOption;
  uint16_t typeOption;
  uint16_t trayOption;
  int32_t types[4];  // the type option's value for +4 = 1, 2, 3 (index 0 unused)
  int32_t highest;   // the highest +4
};

constexpr CoverStatus kCovers[] = {
    {64, kApiOptFuncSelectBack, kOptBackCoverType, kOptBackCoverTray, {0, 0, 2, 3}, 3},
    {65, kApiOptFuncSelectReverseCover, kOptReverseCoverType, kOptReverseCoverTray, {0, 1, 2, 0}, 2},
};

const CoverStatus* FindCover(uint32_t id) { return id == 64 ? &kCovers[0] : id == 65 ? &kCovers[1] : nullptr; }

bool OutsideAvailable(DriverContext* ctx) { return ApiIsOptionAvailable(ctx, kApiOptReverseCoverOutside, 0, 3) != 0; }

int SetCover(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const CoverStatus* c = FindCover(id);
  if (!c) return 0;
  if (r->value == 0) {
    Set(ctx, c->switchOption, 0);
    return 1;
  }
  if (r->value < 1 || r->value > c->highest) return 0;
  if (id == 64 && r->value == 3 && Get(ctx, kApiOptFuncSelectDuplex) == 0) return Refuse(ctx, kApiErrConflict);
  const int32_t tray = At(r, 8);
  if (!Allowed(ctx, c->trayOption, tray)) return 0;
  const int32_t type = c->types[r->value];
  const bool outside = OutsideAvailable(ctx);
  {
    // The type and the outside flag are tried with the cover switched on, on a copy.
    ApiDevModeTrial trial(ctx);
    if (!trial.Taken()) return 0;
    Set(ctx, c->switchOption, 1);
    Set(ctx, c->trayOption, tray);
    if (id == 64 && type == 3 && ApiTestItemValue(ctx, c->typeOption, type) == 5) return Refuse(ctx, kApiErrConflict);
    Set(ctx, c->typeOption, type);
    if (outside && !Allowed(ctx, kApiOptReverseCoverOutside, At(r, 12))) return 0;
  }
  Set(ctx, c->switchOption, 1);
  Set(ctx, c->typeOption, type);
  Set(ctx, c->trayOption, tray);
  if (outside) Set(ctx, kApiOptReverseCoverOutside, At(r, 12));
  return 1;
}

int CheckCover(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const CoverStatus* c = FindCover(id);
  if (!c) return -1;
  if (r->value == 0) return Get(ctx, c->switchOption) == 0 ? 1 : -1;
  if (r->value >= 1 && r->value <= c->highest && Get(ctx, c->typeOption) != c->types[r->value]) return -1;
  if (Get(ctx, c->trayOption) != At(r, 8)) return -1;
  if (OutsideAvailable(ctx) && Get(ctx, kApiOptReverseCoverOutside) != At(r, 12)) return -1;
  return 1;
}

int32_t GetCover(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t) {
  const CoverStatus* c = FindCover(id);
  if (!c) return -1;
  if (!r) return kStatusRecordSize;
  if (Get(ctx, c->switchOption) == 0) {
    r->value = 0;
  } else {
    const int32_t type = Get(ctx, c->typeOption);
    for (int32_t v = 1; v <= c->highest; ++v)
      if (c->types[v] == type) r->value = v;
  }
  ApiRecordPutI32(r, 8, Get(ctx, c->trayOption));
  ApiRecordPutI32(r, 12, Get(ctx, kApiOptReverseCoverOutside));
  return kStatusRecordSize;
}

// ---- cover media type -----------------------------------------------------------------------------

int SetCoverMedia(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (!Allowed(ctx, kOptCoverMediaType, r->value)) return 0;
  for (uint16_t option = kOptCoverMediaType; option <= kOptCoverMediaType + 3; ++option) Set(ctx, option, r->value);
  Set(ctx, kOptReverseCoverMediaType, r->value);
  return 1;
}

int32_t GetCoverMedia(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) r->value = Get(ctx, kOptMPInputMediaType);
  return kStatusRecordSize;
}

// ---- marks and margins that need the margin switch ---------------------------------------------------

// The margin switch's model item exists and is not restricted.
bool MarginGate(DriverContext* ctx) {
  const ModelItem* item = ApiFindOptionItem(ctx, kApiOptFuncSelectMargin);
  return item && MdlIsRestricted(item, 0, ctx) != 1;
}

int SetEdgeCorner(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (!MarginGate(ctx)) return 0;
  if (r->functionSwitch == 0) {
    Set(ctx, kApiOptMarginC, 0);
    return 1;
  }
  if (!Allowed(ctx, kOptCornerPosition, r->value)) return 0;
  Set(ctx, kApiOptFuncSelectMargin, 1);
  Set(ctx, kApiOptMarginC, r->functionSwitch);
  Set(ctx, kOptCornerPosition, r->value);
  return 1;
}

int CheckEdgeCorner(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->functionSwitch == 0) return 1;
  return Get(ctx, kApiOptMarginC) != 0 && Get(ctx, kOptCornerPosition) == r->value ? 1 : -1;
}

int32_t GetEdgeCorner(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    r->value = Get(ctx, kOptCornerPosition);
    r->functionSwitch = Get(ctx, kApiOptMarginC);
  }
  return kStatusRecordSize;
}

int SetMarginOverlap(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (!MarginGate(ctx) || !Allowed(ctx, kOptMarginOverlap, r->value)) return 0;
  Set(ctx, kApiOptFuncSelectMargin, 1);
  Set(ctx, kOptMarginOverlap, r->value);
  return 1;
}

int CheckMarginOverlap(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return Get(ctx, kOptMarginOverlap) == r->value ? 1 : -1;
}

int32_t GetMarginOverlap(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) r->value = Get(ctx, kOptMarginOverlap);
  return kStatusRecordSize;
}

int SetCrops(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (!MarginGate(ctx) || !Allowed(ctx, kOptCrops, r->value)) return 0;
  if (r->value == 1 && !Allowed(ctx, kOptCropsFirst, At(r, 8))) return 0;
  Set(ctx, kOptCrops, r->value);
  if (r->value == 1) Set(ctx, kOptCropsFirst, At(r, 8));
  Set(ctx, kApiOptFuncSelectMargin, 1);
  return 1;
}

int CheckCrops(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (Get(ctx, kOptCrops) != r->value) return -1;
  return r->value != 1 || Get(ctx, kOptCropsFirst) == At(r, 8) ? 1 : -1;
}

int32_t GetCrops(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    r->value = Get(ctx, kOptCrops);
    ApiRecordPutI32(r, 8, Get(ctx, kOptCropsFirst));
  }
  return kStatusRecordSize;
}

int SetCreep(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t inside = ApiStatusMmToDots(r->value);
  const int32_t outside = ApiStatusMmToDots(At(r, 8));
  if (!MarginGate(ctx) || !Allowed(ctx, kOptCreepInside, inside) || !Allowed(ctx, kOptCreepOutside, outside)) return 0;
  Set(ctx, kOptCreepInside, inside);
  Set(ctx, kOptCreepOutside, outside);
  Set(ctx, kApiOptFuncSelectMargin, 1);
  return 1;
}

int CheckCreep(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return ApiStatusDotsToMm(Get(ctx, kOptCreepInside)) == r->value && ApiStatusDotsToMm(Get(ctx, kOptCreepOutside)) == At(r, 8)
             ? 1
             : -1;
}

int32_t GetCreep(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kStatusRecordSize;
  const bool on = Get(ctx, kApiOptFuncSelectMargin) != 0;
  r->value = on ? ApiStatusDotsToMm(Get(ctx, kOptCreepInside)) : 0;
  ApiRecordPutI32(r, 8, on ? ApiStatusDotsToMm(Get(ctx, kOptCreepOutside)) : 0);
  return kStatusRecordSize;
}

// ---- page separation ---------------------------------------------------------------------------------

int SetPageSeparation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (!(ApiGetApiFunctionBits(ctx) & kFunctionBitPageSeparation)) return 0;
  if (r->value != 0 && r->value != 1) return 0;
  Set(ctx, kOptPageSeparation, r->value);
  return 1;
}

int CheckPageSeparation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return Get(ctx, kOptPageSeparation) == r->value ? 1 : -1;
}

int32_t GetPageSeparation(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!(ApiGetApiFunctionBits(ctx) & kFunctionBitPageSeparation)) return -1;
  if (r) r->value = Get(ctx, kOptPageSeparation);
  return kStatusRecordSize;
}

// ---- folding -------------------------------------------------------------------------------------------

// The sub-type option of folding types 5, 6 and 7 (long fan, custom, program); 0 for the others.
uint16_t FoldingSubOption(int32_t type) { return type >= 5 && type <= 7 ? static_cast<uint16_t>(696 + (type - 5)) : 0; }

int SetFolding(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == kFoldingOff) {
    Set(ctx, kOptFolding, 0);
    return 1;
  }
  const int32_t flags = At(r, 12);
  if (!Allowed(ctx, kOptFolding, 1)) return 0;
  for (int bit = 0; bit < 3; ++bit)
    if (!Allowed(ctx, static_cast<uint16_t>(kOptFoldingPunch + bit), (flags >> bit) & 1)) return 0;
  if (!Allowed(ctx, kOptFoldingType, r->value)) return 0;
  const uint16_t sub = FoldingSubOption(r->value);
  if (sub && !Allowed(ctx, sub, At(r, 8))) return 0;
  Set(ctx, kOptFolding, 1);
  for (int bit = 0; bit < 3; ++bit) Set(ctx, static_cast<uint16_t>(kOptFoldingPunch + bit), (flags >> bit) & 1);
  Set(ctx, kOptFoldingType, r->value);
  if (sub) Set(ctx, sub, At(r, 8));
  return 1;
}

int CheckFolding(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (!ApiFindSwitchOption(id, nullptr)) return -1;
  if (r->value == kFoldingOff) return 1;
  return Get(ctx, kOptFolding) != 0 ? 1 : -1;
}

int32_t GetFolding(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kStatusRecordSize;
  const bool on = Get(ctx, kOptFolding) != 0;
  const int32_t type = Get(ctx, kOptFoldingType);
  r->value = on ? type : kFoldingOff;
  const uint16_t sub = FoldingSubOption(type);
  ApiRecordPutI32(r, 8, sub ? Get(ctx, sub) : 0);
  int32_t flags = 0;
  for (int bit = 0; bit < 3; ++bit) flags |= (Get(ctx, static_cast<uint16_t>(kOptFoldingPunch + bit)) != 0 ? 1 : 0) << bit;
  ApiRecordPutI32(r, 12, flags);
  return kStatusRecordSize;
}

// ---- cut of the fore edge -------------------------------------------------------------------------------

int SetCutForeEdge(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) {
    Set(ctx, kOptCutForeEdge, 0);
    return 1;
  }
  const int32_t dots = ApiStatusMmToDots(At(r, 8));
  if (!Allowed(ctx, kOptCutForeEdgePosition, dots)) return 0;
  Set(ctx, kOptCutForeEdge, 1);
  Set(ctx, kOptCutForeEdgePosition, dots);
  return 1;
}

int CheckCutForeEdge(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) return 1;
  return Get(ctx, kOptCutForeEdge) != 0 && ApiStatusDotsToMm(Get(ctx, kOptCutForeEdgePosition)) == At(r, 8) ? 1 : -1;
}

int32_t GetCutForeEdge(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    r->value = Get(ctx, kOptCutForeEdge);
    ApiRecordPutI32(r, 8, ApiStatusDotsToMm(Get(ctx, kOptCutForeEdgePosition)));
  }
  return kStatusRecordSize;
}

// ---- fold with stamp ---------------------------------------------------------------------------------------

int SetFoldStamp(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) {
    Set(ctx, kApiOptFuncSelectFold, 0);
    return 1;
  }
  if (!Allowed(ctx, kOptFoldStamp, At(r, 8))) return 0;
  const int32_t stamp = Get(ctx, kOptFoldStamp);
  Set(ctx, kOptFoldStamp, At(r, 8));  // the fold type is tested with the stamp in force
  if (!Allowed(ctx, kApiOptFoldType, At(r, 12))) {
    Set(ctx, kOptFoldStamp, stamp);
    return 0;
  }
  if (!Allowed(ctx, kOptPingFold, At(r, 16))) return 0;
  Set(ctx, kApiOptFuncSelectFold, 1);
  Set(ctx, kApiOptFoldType, At(r, 12));
  Set(ctx, kOptPingFold, At(r, 16));
  return 1;
}

int CheckFoldStamp(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) return 1;
  return Get(ctx, kApiOptFuncSelectFold) != 0 && Get(ctx, kOptFoldStamp) == At(r, 8) &&
                 Get(ctx, kApiOptFoldType) == At(r, 12) && Get(ctx, kOptPingFold) == At(r, 16)
             ? 1
             : -1;
}

int32_t GetFoldStamp(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    r->value = Get(ctx, kApiOptFuncSelectFold);
    ApiRecordPutI32(r, 8, Get(ctx, kOptFoldStamp));
    ApiRecordPutI32(r, 12, Get(ctx, kApiOptFoldType));
    ApiRecordPutI32(r, 16, Get(ctx, kOptPingFold));
  }
  return kStatusRecordSize;
}

}  // namespace

const StatusHandlers kOutputStatusHandlers[] = {
    {54, nullptr, nullptr, GetAuthenticationMode},
    {58, SetManualTray, CheckManualTray, GetManualTray},
    {61, SetLoadShare, CheckLoadShare, GetLoadShare},
    {62, SetIndexRotation, CheckIndexRotation, GetIndexRotation},
    {64, SetCover, CheckCover, GetCover},
    {65, SetCover, CheckCover, GetCover},
    {66, SetCoverMedia, nullptr, GetCoverMedia},
    {68, SetEdgeCorner, CheckEdgeCorner, GetEdgeCorner},
    {69, SetMarginOverlap, CheckMarginOverlap, GetMarginOverlap},
    {70, SetCrops, CheckCrops, GetCrops},
    {71, SetCreep, CheckCreep, GetCreep},
    {73, SetPageSeparation, CheckPageSeparation, GetPageSeparation},
    {79, SetFolding, CheckFolding, GetFolding},
    {82, SetCutForeEdge, CheckCutForeEdge, GetCutForeEdge},
    {83, SetFoldStamp, CheckFoldStamp, GetFoldStamp},
    {0, nullptr, nullptr, nullptr},
};
