// Handlers of the statuses of scaling, cover and mark paper, layout, duplex, watermark choice,
// margin shift, sorting, paper rotation, the merge action and the resolution, with the record
// layouts that each interface version allows.
#include <cstring>
#include <vector>

#include "api_devmode.h"
#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "status_layouts.h"
#include "api_support.h"
#include "core_memory.h"
#include "device_caps.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_units.h"
#include "option_validation.h"
#include "option_values.h"
#include "prn_data.h"

int ApiCheckSwitched(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t);
int ApiSetPlainStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode);
int ApiCheckPlainStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode);
int32_t ApiGetPlainStatus(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t version);

namespace {

enum : uint16_t {
  kOptScaleCentering = 88,
  kOptNupKind = 91,
  kOptNupLine = 93,
  kOptMarginOdd = 98,
  kOptMarginEven = 99,
  kOptMarkPaperInputTray = 123,
  kOptCoverInputTray = 125,
  kOptOutputRotation = 194,
  kOptMergeAction = 215,
};

constexpr uint32_t kCapWatermarks = 32;
constexpr uint32_t kCapDuplexTypes = 104;

bool Allowed(DriverContext* ctx, uint16_t option, int32_t value) { return ApiStatusAllowed(ctx, option, value); }
int32_t Get(DriverContext* ctx, uint16_t option) { return OptGetValue(ctx, option, nullptr); }
void Set(DriverContext* ctx, uint16_t option, int32_t value) { OptSetValue(ctx, option, value); }

int32_t MmToDots(int32_t mm) { return ApiStatusMmToDots(mm); }
int32_t DotsToMm(int32_t dots) { return ApiStatusDotsToMm(dots); }

// The family's switch-off: only the switch goes off.
bool SwitchOff(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint16_t* switchOption) {
  *switchOption = ApiFindSwitchOption(id, nullptr);
  if (!*switchOption || record->functionSwitch != 0) return false;
  Set(ctx, *switchOption, 0);
  if (id == 15) DmSetDuplexFromOptions(CtxGetDevMode(ctx), ctx);
  return true;
}

// The entries of a list capability (32-bit each); empty when there are none or no memory.
std::vector<int32_t> CapabilityList(DriverContext* ctx, uint32_t id, bool* noMemory) {
  *noMemory = false;
  const int32_t count = ApiQueryCapability(ctx, id, nullptr);
  if (count <= 0 || count > 4096) return {};
  auto* buffer = static_cast<int32_t*>(CtxAllocMem(static_cast<DWORD>(count) * 4 + 64));
  if (!buffer) {
    *noMemory = true;
    return {};
  }
  const int32_t got = ApiQueryCapability(ctx, id, buffer);
  std::vector<int32_t> out(buffer, buffer + (got > 0 && got <= count ? got : 0));
  MdlFreeMem(buffer);
  return out;
}

bool Contains(const std::vector<int32_t>& list, int32_t value) {
  for (int32_t v : list)
    if (v == value) return true;
  return false;
}

// ---- 11 scaling ----------------------------------------------------------------------------------

int SetScaling(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  uint16_t sw = 0;
  if (SwitchOff(ctx, id, r, &sw)) return 1;
  if (!sw) return 0;
  const int32_t type = r->value;
  const bool h = type == 1 || type == 3;
  if (!Allowed(ctx, kApiOptScaleType, type)) return 0;
  if (h && !Allowed(ctx, kApiOptScaleH, r->fields[0])) return 0;
  if (type == 3 && !Allowed(ctx, kApiOptScaleV, r->fields[1])) return 0;
  if (version >= 2 && !Allowed(ctx, kOptScaleCentering, r->fields[2])) return 0;
  Set(ctx, kApiOptScaleType, type);
  if (h) {
    Set(ctx, kApiOptScaleH, r->fields[0]);
    if (type == 3) Set(ctx, kApiOptScaleV, r->fields[1]);
    if (version >= 2) Set(ctx, kOptScaleCentering, r->fields[2]);
  }
  Set(ctx, sw, r->functionSwitch);
  if (type == 2) OptRefreshPaperSettings(ctx, 1);
  return 1;
}

int CheckScaling(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t* c, int32_t m) {
  if (ApiCheckSwitched(ctx, id, r, c, m) != 1) return -1;
  if (r->functionSwitch == 0) return 1;
  const int32_t type = r->value;
  if (Get(ctx, kApiOptScaleType) != type) return -1;
  if ((type == 1 || type == 3) && Get(ctx, kApiOptScaleH) != r->fields[0]) return -1;
  if (type == 3 && Get(ctx, kApiOptScaleV) != r->fields[1]) return -1;
  if (ApiStatusSetVersion(id, r) >= 2 && Get(ctx, kOptScaleCentering) != r->fields[2]) return -1;
  return 1;
}

int32_t GetScaling(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  if (!r) return kStatusRecordSize;
  if (Get(ctx, kApiOptScaleType) == 2) OptRefreshPaperSettings(ctx, 1);
  r->value = Get(ctx, kApiOptScaleType);
  r->fields[0] = Get(ctx, kApiOptScaleH);
  r->fields[1] = Get(ctx, kApiOptScaleV);
  r->fields[2] = version >= 2 ? Get(ctx, kOptScaleCentering) : 0;
  r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
  return kStatusRecordSize;
}

// ---- 12 cover, 13 mark paper -----------------------------------------------------------------------

struct SheetStatus {
  uint32_t id;
  uint16_t type;
  uint16_t tray;
};
constexpr SheetStatus kSheetStatuses[] = {{12, kApiOptCoverType, kOptCoverInputTray},
                                          {13, kApiOptMarkPaperType, kOptMarkPaperInputTray}};
const SheetStatus& SheetOf(uint32_t id) { return id == 12 ? kSheetStatuses[0] : kSheetStatuses[1]; }

bool TypeValueAvailable(DriverContext* ctx, uint16_t option, int32_t value) {
  const uint16_t valueId = ApiFindValueByCode(ctx, option, static_cast<uint32_t>(value));
  return valueId && ApiIsOptionAvailable(ctx, option, valueId, 3) == 1;
}

int SetSheet(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const SheetStatus& s = SheetOf(id);
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  if (!sw) return 0;
  if (id == 12) {
    if (!Allowed(ctx, s.type, r->value) || !Allowed(ctx, s.tray, r->fields[0])) return 0;
    // The tray is tried first on a copy of the device mode, as the type's tests read it.
    bool ok = false;
    {
      ApiDevModeTrial trial(ctx);
      if (!trial.Taken()) return 0;
      Set(ctx, s.tray, r->fields[0]);
      ok = !(r->value == 3 && ApiTestItemValue(ctx, s.type, r->value) == 5);
      const int32_t duplexType = Get(ctx, kApiOptDuplexType);
      if (ok && Get(ctx, kApiOptFuncSelectDuplex) != 0 && duplexType >= 17 && duplexType <= 19)
        ok = TypeValueAvailable(ctx, s.type, r->value);
    }
    if (!ok) return 0;
    Set(ctx, s.type, r->value);
    Set(ctx, s.tray, r->fields[0]);
  } else if (r->functionSwitch != 0) {
    if (!Allowed(ctx, s.type, r->value) || !Allowed(ctx, s.tray, r->fields[0])) return 0;
    if (!TypeValueAvailable(ctx, s.type, r->value)) return 0;
    Set(ctx, s.type, r->value);
    Set(ctx, s.tray, r->fields[0]);
  }
  Set(ctx, sw, r->functionSwitch);
  return 1;
}

int CheckSheet(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t* c, int32_t m) {
  if (ApiCheckSwitched(ctx, id, r, c, m) != 1) return -1;
  if (r->functionSwitch == 0) return 1;
  const SheetStatus& s = SheetOf(id);
  return Get(ctx, s.type) == r->value && Get(ctx, s.tray) == r->fields[0] ? 1 : -1;
}

int32_t GetSheet(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t) {
  if (r) {
    const SheetStatus& s = SheetOf(id);
    r->value = Get(ctx, s.type);
    r->fields[0] = Get(ctx, s.tray);
    r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
  }
  return kStatusRecordSize;
}

// ---- 14 layout -------------------------------------------------------------------------------------

// The N-up kind of a layout code: 0 leaves the kind, -1 refuses the code at this version.
int32_t NupKindOf(int32_t code) {
  switch (code) {
    case 1: case 2: case 3: return 1;
    case 33: case 34: case 37: case 38: return 2;
    case 65: case 66: case 69: case 70: return 3;
    case 97: case 98: case 101: case 102: return 4;
    case 129: case 130: return ApiGetVersion() >= 15 ? 11 : -1;
    case 161: case 162: case 163: return ApiGetVersion() >= 15 ? 10 : -1;
    case 32769: case 32770: case 32771: case 32772: return 9;
    default: return 0;
  }
}

int SetLayout(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  if (OptIsNupKindLocked(ctx) && r->value == 0) return 0;
  uint16_t sw = 0;
  if (SwitchOff(ctx, id, r, &sw)) return 1;
  if (!sw || !Allowed(ctx, kApiOptNupType, r->value)) return 0;
  const int32_t kind = NupKindOf(r->value);
  if (kind < 0) return 0;
  const int32_t oldKind = Get(ctx, kOptNupKind);
  if (kind > 0) {
    if (!Allowed(ctx, kOptNupKind, kind)) return 0;
    Set(ctx, kOptNupKind, kind);
  }
  const bool withLine = version >= 2 && r->value < 32769;
  if (ApiTrySwitchedValue(ctx, id, sw, kApiOptNupType, r->value) != 1 || (withLine && !Allowed(ctx, kOptNupLine, r->fields[0]))) {
    Set(ctx, kOptNupKind, oldKind);
    return 0;
  }
  Set(ctx, kApiOptNupType, r->value);
  if (withLine) Set(ctx, kOptNupLine, r->fields[0]);
  Set(ctx, sw, r->functionSwitch);
  return 1;
}

int CheckLayout(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t* c, int32_t m) {
  if (ApiCheckSwitched(ctx, id, r, c, m) != 1) return -1;
  if (r->functionSwitch == 0 || ApiStatusSetVersion(id, r) < 2 || r->value > 0x8000) return 1;
  return Get(ctx, kOptNupLine) == r->fields[0] ? 1 : -1;
}

int32_t GetLayout(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  if (r) {
    r->value = Get(ctx, kApiOptNupType);
    r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
    r->fields[0] = version >= 2 ? Get(ctx, kOptNupLine) : 0;
  }
  return kStatusRecordSize;
}

// ---- 15 duplex ------------------------------------------------------------------------------------

int SetDuplex(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t type = r->value;
  if (OptIsDuplexLocked(ctx)) {
    bool noMemory = false;
    const std::vector<int32_t> types = CapabilityList(ctx, kCapDuplexTypes, &noMemory);
    if (noMemory) SetApiLastError(ctx, kApiErrGeneral);
    if (!Contains(types, type)) return 0;
  }
  uint16_t sw = 0;
  if (SwitchOff(ctx, id, r, &sw)) return 1;
  if (!sw || !Allowed(ctx, kApiOptDuplexType, type)) return 0;
  if (ApiTrySwitchedValue(ctx, id, sw, kApiOptDuplexType, type) != 1) return 0;
  const bool margins = type >= 1 && type <= 3;
  const int32_t odd = MmToDots(r->fields[0]);
  const int32_t even = MmToDots(r->fields[1]);
  if (margins && (!Allowed(ctx, kOptMarginOdd, odd) || !Allowed(ctx, kOptMarginEven, even))) return 0;
  Set(ctx, kApiOptDuplexType, type);
  Set(ctx, sw, r->functionSwitch);
  DmSetDuplexFromOptions(CtxGetDevMode(ctx), ctx);
  if (margins) {
    Set(ctx, kApiOptFuncSelectMargin, 1);
    Set(ctx, kOptMarginOdd, odd);
    Set(ctx, kOptMarginEven, even);
  }
  return 1;
}

int32_t GetDuplex(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t) {
  if (r) {
    const bool margins = Get(ctx, kApiOptFuncSelectMargin) != 0;
    r->value = Get(ctx, kApiOptDuplexType);
    r->fields[0] = margins ? DotsToMm(Get(ctx, kOptMarginOdd)) : 0;
    r->fields[1] = margins ? DotsToMm(Get(ctx, kOptMarginEven)) : 0;
    r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
  }
  return kStatusRecordSize;
}

// ---- 17 watermark choice ----------------------------------------------------------------------------

int SetWatermarkChoice(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  if (!sw) return 0;
  if (r->functionSwitch != 0) {
    if (r->value == kApiStampSlot) {
      if (!ApiHasInterfaceStamp(ctx)) return 0;
    } else {
      bool noMemory = false;
      const std::vector<int32_t> marks = CapabilityList(ctx, kCapWatermarks, &noMemory);
      if (noMemory) {
        SetApiLastError(ctx, kApiErrGeneral);
        return 0;
      }
      if (!Contains(marks, r->value)) return 0;
    }
    Set(ctx, kApiOptWmId, r->value == kApiStampSlot ? kApiStampSlot : r->value - 1);
  }
  Set(ctx, sw, r->functionSwitch);
  return 1;
}

int32_t GetWatermarkChoice(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t) {
  if (r) {
    const int32_t stamp = Get(ctx, kApiOptWmId);
    r->value = stamp == kApiStampSlot ? kApiStampSlot : stamp + 1;
    r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
  }
  return kStatusRecordSize;
}

// ---- 18 margin shift -------------------------------------------------------------------------------

int SetMarginShift(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t x = MmToDots(r->fields[0]);
  const int32_t y = MmToDots(r->fields[1]);
  if (!Allowed(ctx, kApiOptShiftDir, r->value) || !Allowed(ctx, kApiOptShiftMarginX, x) ||
      !Allowed(ctx, kApiOptShiftMarginY, y))
    return 0;
  Set(ctx, kApiOptShiftDir, r->value);
  Set(ctx, kApiOptShiftMarginX, x);
  Set(ctx, kApiOptShiftMarginY, y);
  Set(ctx, kApiOptFuncSelectMargin, 1);
  return 1;
}

int32_t GetMarginShift(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) {
    const bool on = Get(ctx, kApiOptFuncSelectMargin) != 0;
    r->value = Get(ctx, kApiOptShiftDir);
    r->fields[0] = on ? DotsToMm(Get(ctx, kApiOptShiftMarginX)) : 0;
    r->fields[1] = on ? DotsToMm(Get(ctx, kApiOptShiftMarginY)) : 0;
  }
  return kStatusRecordSize;
}

// ---- 19 sorting --------------------------------------------------------------------------------------

bool SeparationSheetSupported(DriverContext* ctx) { return ApiIsCapabilitySupported(ctx, kApiCapSeparationSheet) == 1; }

int SetSorting(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  if (!sw) return 0;
  if (r->functionSwitch != 0) {
    const bool sheets = version >= 2 && SeparationSheetSupported(ctx);
    if (!Allowed(ctx, kApiOptSortType, r->value)) return 0;
    if (sheets && !Allowed(ctx, kApiOptSeparationSheet, r->fields[0])) return 0;
    if (sheets && r->fields[0] == 1 && !Allowed(ctx, kApiOptSeparationSheetCycle, r->fields[1])) return 0;
    Set(ctx, kApiOptSortType, r->value);
    if (sheets) {
      Set(ctx, kApiOptSeparationSheet, r->fields[0]);
      if (r->fields[0] == 1) Set(ctx, kApiOptSeparationSheetCycle, r->fields[1]);
    }
  }
  Set(ctx, sw, r->functionSwitch);
  return 1;
}

int CheckSorting(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t* c, int32_t m) {
  if (ApiCheckSwitched(ctx, id, r, c, m) != 1) return -1;
  if (r->functionSwitch == 0) return 1;
  if (ApiStatusSetVersion(id, r) >= 2 && SeparationSheetSupported(ctx) && Get(ctx, kApiOptSeparationSheet) != r->fields[0]) return -1;
  return 1;
}

int32_t GetSorting(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  if (r) {
    const bool sheets = version >= 2 && SeparationSheetSupported(ctx);
    r->value = Get(ctx, kApiOptSortType);
    r->fields[0] = sheets ? Get(ctx, kApiOptSeparationSheet) : 0;
    r->fields[1] = sheets ? Get(ctx, kApiOptSeparationSheetCycle) : 0;
    r->functionSwitch = Get(ctx, ApiFindSwitchOption(id, nullptr));
  }
  return kStatusRecordSize;
}

// ---- 28 paper rotation ---------------------------------------------------------------------------

constexpr uint16_t kLayoutOptions[] = {kApiOptNupLayout, kApiOptBookLayout};

int SetRotation(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  const int32_t mode = r->fields[0];
  if (version == 1) {
    if (!Allowed(ctx, kOptOutputRotation, r->value)) return 0;
    Set(ctx, kOptOutputRotation, r->value);
    return 1;
  }
  if (!Allowed(ctx, kApiOptRotationMode, mode)) return 0;
  if (mode == 2) {
    if (!Allowed(ctx, kOptOutputRotation, r->value)) return 0;
    Set(ctx, kOptOutputRotation, r->value);
    Set(ctx, kApiOptRotationMode, mode);
    return 1;
  }
  if (version == 2) {
    Set(ctx, kApiOptRotationMode, mode);
    return 1;
  }
  if (mode != 1) return 1;
  for (int i = 0; i < 2; ++i)
    if (ApiIsOptionAvailable(ctx, kLayoutOptions[i], 0, 3) == 1 && !Allowed(ctx, kLayoutOptions[i], r->fields[1 + i])) return 0;
  Set(ctx, kApiOptRotationMode, 1);
  for (int i = 0; i < 2; ++i)
    if (ApiIsOptionAvailable(ctx, kLayoutOptions[i], 0, 3) == 1) Set(ctx, kLayoutOptions[i], r->fields[1 + i]);
  return 1;
}

int CheckRotation(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  const int32_t mode = r->fields[0];
  if (version == 1) return Get(ctx, kOptOutputRotation) == r->value ? 1 : -1;
  if (mode == 2 && Get(ctx, kOptOutputRotation) != r->value) return -1;
  if (version == 2 || mode == 2) return Get(ctx, kApiOptRotationMode) == mode ? 1 : -1;
  if (mode != 1) return 1;
  if (Get(ctx, kApiOptRotationMode) != mode) return -1;
  for (int i = 0; i < 2; ++i)
    if (ApiIsOptionAvailable(ctx, kLayoutOptions[i], 0, 3) == 1 && Get(ctx, kLayoutOptions[i]) != r->fields[1 + i]) return -1;
  return 1;
}

int32_t GetRotation(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  if (r) {
    r->value = Get(ctx, kOptOutputRotation);
    r->fields[0] = version >= 2 ? Get(ctx, kApiOptRotationMode) : 0;
    for (int i = 0; i < 2; ++i)
      r->fields[1 + i] = version >= 3 && ApiIsOptionAvailable(ctx, kLayoutOptions[i], 0, 1) == 1 ? Get(ctx, kLayoutOptions[i]) : 0;
  }
  return kStatusRecordSize;
}

// ---- 29 merge action -------------------------------------------------------------------------------

int SetMergeAction(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t* c, int32_t m) {
  if (!RegIsAddOnInstalled(kAddOnJobBinding, ctx)) return 0;
  return ApiSetPlainStatus(ctx, id, r, c, m);
}

// ---- 34 resolution ---------------------------------------------------------------------------------

int SetResolution(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int kind = CfgGetResolutionListKind(ctx);
  const auto value = static_cast<int16_t>(r->value & 0xFFFF);
  if (kind == 1) {
    if (!Allowed(ctx, kApiOptDstResolutionBoth, value)) return 0;
    Set(ctx, kApiOptDstResolutionBoth, value);
    Set(ctx, kApiOptCtrlWorkPrompt, 1);
    ApiRunOptionRules(ctx, kApiOptDstResolutionBoth);
    Set(ctx, kApiOptCtrlWorkPrompt, 0);
  } else if (kind == 0) {
    const ResolutionEntry* row = OptFindResolutionRow(value);
    if (!row) {
      SetApiLastError(ctx, kApiErrGeneral);
      return 0;
    }
    if (!Allowed(ctx, kApiOptDstResolutionW, row->xDpi)) return 0;
    Set(ctx, kApiOptDstResolutionW, row->xDpi);
  } else {
    SetApiLastError(ctx, kApiErrGeneral);
    return 0;
  }
  DmSetResolutionFromOptions(CtxGetDevMode(ctx), ctx);
  return 1;
}

int32_t GetResolution(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  const int kind = CfgGetResolutionListKind(ctx);
  int32_t value = 0;
  if (kind == 1) {
    value = Get(ctx, kApiOptDstResolutionBoth);
  } else if (kind == 0) {
    const auto dpi = static_cast<int16_t>(Get(ctx, kApiOptDstResolutionW));
    value = OptFindResolutionValue(dpi, dpi);
    if (!value) return -1;
  } else {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  if (r) r->value = value;
  return kStatusRecordSize;
}

}  // namespace

const StatusHandlers kLayoutStatusHandlers[] = {
    {11, SetScaling, CheckScaling, GetScaling},
    {12, SetSheet, CheckSheet, GetSheet},
    {13, SetSheet, CheckSheet, GetSheet},
    {14, SetLayout, CheckLayout, GetLayout},
    {15, SetDuplex, ApiCheckSwitched, GetDuplex},
    {17, SetWatermarkChoice, nullptr, GetWatermarkChoice},
    {18, SetMarginShift, ApiCheckSwitched, GetMarginShift},
    {19, SetSorting, CheckSorting, GetSorting},
    {28, SetRotation, CheckRotation, GetRotation},
    {29, SetMergeAction, ApiCheckPlainStatus, ApiGetPlainStatus},
    {34, SetResolution, nullptr, GetResolution},
    {0, nullptr, nullptr, nullptr},
};
