// Handlers of the paper size and output paper size statuses, with the user-defined sizes in the
// caller's display unit.
#include <cstring>

#include "api_devmode.h"
#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "model_query.h"
#include "option_access.h"
#include "option_validation.h"
#include "option_values.h"
#include "status_layouts.h"

namespace {

enum : uint16_t {
  kOptFreeShortOver = 85,   // zdmFuncSelectFreeShortOver
  kOptFreeWidth = 342,      // zdmPaperFreeSizeWidth
  kOptFreeLength = 343,
  kOptFreeOrient = 345,     // zdmPaperFreeSizeOrient
  kOptPrintFreeWidth = 346, // zdmPrintFreeSizeWidth
  kOptPrintFreeLength = 347,
  kOptPrintFreeOrient = 349,
  kOptSlotWidth = 939,      // wdmFreeSizeWidth
  kOptSlotLength = 940,
  kOptSlotOrient = 942,     // wdmFreeSizeOrient
  kOptSrcSlotOrient = 947,  // wdmSrcFreeSizeOrient
};

constexpr int32_t kUserSize = 256;
constexpr int32_t kUserOutputSize = 448;
constexpr int32_t kSameAsSource = 1024;
constexpr int32_t kLongestDeviceModeLength = 32760;
constexpr uint16_t kPaperAlertMessage = 10205;

bool Allowed(DriverContext* ctx, uint16_t option, int32_t value) { return OptCheckValue(option, value, ctx) == 1; }
int32_t Get(DriverContext* ctx, uint16_t option) { return OptGetValue(ctx, option, nullptr); }
void Set(DriverContext* ctx, uint16_t option, int32_t value) { OptSetValue(ctx, option, value); }
DEVMODEW* Working(DriverContext* ctx) { return reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx)); }
bool IsSlotCode(int32_t code) { return code >= 384 && code <= 393; }

// The limits of a user-defined size: below interface version 16 the capabilities 13 (largest)
// and 14 (smallest) as 16-bit {width, length}; from 16 on 124 and 125 as 32-bit pairs.
bool SizeLimits(DriverContext* ctx, int32_t* maxW, int32_t* maxL, int32_t* minW, int32_t* minL) {
  const bool wide = ApiGetVersion() >= 16;
  int32_t pairs[2][2] = {};
  for (int i = 0; i < 2; ++i) {
    uint8_t buffer[64] = {};
    if (ApiQueryCapability(ctx, wide ? 124u + static_cast<uint32_t>(i) : 13u + static_cast<uint32_t>(i), buffer) <= 0)
      return false;
    if (wide) {
      std::memcpy(pairs[i], buffer, 8);
    } else {
      int16_t half[2];
      std::memcpy(half, buffer, 4);
      pairs[i][0] = half[0];
      pairs[i][1] = half[1];
    }
  }
  *maxW = pairs[0][0];
  *maxL = pairs[0][1];
  *minW = pairs[1][0];
  *minL = pairs[1][1];
  return true;
}

// The record's width and length of a user-defined size, the longer side as the length.
void UserSize(const StatusRecord* r, int32_t* width, int32_t* length) {
  *width = r->fields[0];
  *length = r->fields[1];
  if (*length < *width) std::swap(*width, *length);
}

// ---- 7 paper size ------------------------------------------------------------------------------

int SetPaper(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version) || !Allowed(ctx, kApiOptPaperSize, r->value)) return 0;
  if (OptHasAnyLock(ctx) && ApiAlertRaisesMessage(ctx, kApiOptPaperSize, kPaperAlertMessage, r->value, 1)) return 0;
  const bool user = r->value == kUserSize;
  int32_t width = 0;
  int32_t length = 0;
  UserSize(r, &width, &length);
  if (user) {
    if (!ApiIsCustomSizeInRange(ctx, width, length)) return 0;
    if (version >= 2 && !Allowed(ctx, kOptFreeOrient, r->fields[2])) return 0;
  }
  Set(ctx, kApiOptPaperSize, r->value);
  DEVMODEW* dm = Working(ctx);
  const DWORD lengths = kDmFieldPaperLength | kDmFieldPaperWidth;
  if (user) {
    const int32_t widthDots = OptFromDisplayUnits(ctx, kOptFreeWidth, width);
    const int32_t lengthDots = OptFromDisplayUnits(ctx, kOptFreeLength, length);
    if (width > kLongestDeviceModeLength || length > kLongestDeviceModeLength) {
      Set(ctx, kOptFreeShortOver, 1);
      dm->dmPaperWidth = 0;
      dm->dmPaperLength = 0;
      dm->dmFields = (dm->dmFields & ~lengths) | kDmFieldPaperSize;
    } else {
      Set(ctx, kOptFreeShortOver, 0);
      dm->dmPaperWidth = static_cast<SHORT>(width & 0xFFFF);
      dm->dmPaperLength = static_cast<SHORT>(length & 0xFFFF);
      dm->dmFields = (dm->dmFields & ~static_cast<DWORD>(kDmFieldPaperSize)) | lengths;
    }
    Set(ctx, kOptFreeWidth, widthDots);
    Set(ctx, kOptFreeLength, lengthDots);
    ApiRefreshPaperFields(ctx);
    if (version >= 2) Set(ctx, kOptFreeOrient, r->fields[2]);
  } else {
    dm->dmFields = (dm->dmFields & ~lengths) | kDmFieldPaperSize;
  }
  OptRefreshPaperSettings(ctx, 1);
  return 1;
}

int CheckPaper(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (Get(ctx, kApiOptPaperSize) != r->value) return -1;
  if (r->value != kUserSize) return 1;
  int32_t width = 0;
  int32_t length = 0;
  UserSize(r, &width, &length);
  if (Get(ctx, kOptFreeShortOver) == 0) {
    const DEVMODEW* dm = Working(ctx);
    if (dm->dmPaperWidth != width || dm->dmPaperLength != length) return -1;
    if (Get(ctx, kOptFreeWidth) != OptFromDisplayUnits(ctx, kOptFreeWidth, width) ||
        Get(ctx, kOptFreeLength) != OptFromDisplayUnits(ctx, kOptFreeLength, length))
      return -1;
  }
  if (ApiStatusSetVersion(id, r) >= 2 && Get(ctx, kOptFreeOrient) != r->fields[2]) return -1;
  return 1;
}

int32_t GetPaper(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  if (!r) return kStatusRecordSize;
  const int32_t code = Get(ctx, kApiOptPaperSize);
  const DEVMODEW* dm = Working(ctx);
  r->value = code;
  r->fields[0] = dm->dmPaperWidth;
  r->fields[1] = dm->dmPaperLength;
  r->fields[2] = 0;
  if (Get(ctx, kOptFreeShortOver) != 0) {
    if (code == kUserSize) {
      r->fields[0] = OptToDisplayUnits(ctx, kOptFreeWidth, Get(ctx, kOptFreeWidth));
      r->fields[1] = OptToDisplayUnits(ctx, kOptFreeLength, Get(ctx, kOptFreeLength));
    } else if (IsSlotCode(code)) {
      r->fields[0] = OptToDisplayUnits(ctx, kOptSlotWidth, Get(ctx, kOptSlotWidth));
      r->fields[1] = OptToDisplayUnits(ctx, kOptSlotLength, Get(ctx, kOptSlotLength));
    }
  }
  if (version >= 2) {
    if (code == kUserSize) r->fields[2] = Get(ctx, kOptFreeOrient);
    else if (IsSlotCode(code)) r->fields[2] = Get(ctx, kOptSrcSlotOrient);
  }
  return kStatusRecordSize;
}

// ---- 8 output paper size -------------------------------------------------------------------------

int SetOutputPaper(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version) || !Allowed(ctx, kApiOptOutPaperSize, r->value)) return 0;
  if (r->value != kSameAsSource && ApiTestItemValue(ctx, kApiOptOutPaperSize, r->value) != 1) return 0;
  const bool user = r->value == kUserOutputSize;
  const int32_t widthDots = OptFromDisplayUnits(ctx, kOptPrintFreeWidth, r->fields[0]);
  const int32_t lengthDots = OptFromDisplayUnits(ctx, kOptPrintFreeLength, r->fields[1]);
  if (user) {
    if (version < 2) return 0;
    if (ApiTestItemValue(ctx, kOptPrintFreeWidth, widthDots) != 1 || ApiTestItemValue(ctx, kOptPrintFreeLength, lengthDots) != 1)
      return 0;
    if (version >= 3 && !Allowed(ctx, kOptPrintFreeOrient, r->fields[2])) return 0;
  }
  Set(ctx, kApiOptOutPaperSize, r->value);
  if (user) {
    Set(ctx, kOptPrintFreeWidth, widthDots);
    Set(ctx, kOptPrintFreeLength, lengthDots);
    ApiRefreshPaperFields(ctx);
    if (version >= 3) Set(ctx, kOptPrintFreeOrient, r->fields[2]);
  }
  OptRefreshPaperSettings(ctx, 1);
  return 1;
}

int CheckOutputPaper(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (Get(ctx, kApiOptOutPaperSize) != r->value) return -1;
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (r->value != kUserOutputSize || version < 2) return 1;
  if (OptToDisplayUnits(ctx, kOptPrintFreeWidth, Get(ctx, kOptPrintFreeWidth)) != r->fields[0] ||
      OptToDisplayUnits(ctx, kOptPrintFreeLength, Get(ctx, kOptPrintFreeLength)) != r->fields[1])
    return -1;
  if (version >= 3 && Get(ctx, kOptPrintFreeOrient) != r->fields[2]) return -1;
  return 1;
}

int32_t GetOutputPaper(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  const int32_t code = Get(ctx, kApiOptOutPaperSize);
  if (code == kUserOutputSize && version < 2) {
    SetApiLastError(ctx, kApiErrVersion);
    return -1;
  }
  if (!r) return kStatusRecordSize;
  r->value = code;
  r->fields[0] = r->fields[1] = r->fields[2] = 0;
  if (version == 1) return kStatusRecordSize;
  const int32_t source = Get(ctx, kApiOptPaperSize);
  if (code == kSameAsSource) {
    const DEVMODEW* dm = Working(ctx);
    r->fields[0] = dm->dmPaperWidth;
    r->fields[1] = dm->dmPaperLength;
    if (Get(ctx, kOptFreeShortOver) != 0 && (source == kUserSize || IsSlotCode(source))) {
      const bool slot = IsSlotCode(source);
      r->fields[0] = OptToDisplayUnits(ctx, slot ? kOptSlotWidth : kOptFreeWidth, Get(ctx, slot ? kOptSlotWidth : kOptFreeWidth));
      r->fields[1] = OptToDisplayUnits(ctx, slot ? kOptSlotLength : kOptFreeLength, Get(ctx, slot ? kOptSlotLength : kOptFreeLength));
    }
  } else if (code == kUserOutputSize || (OptIsSlotPaperCode(code) && code != kUserSize)) {
    const bool slot = code != kUserOutputSize;
    const uint16_t w = slot ? kOptSlotWidth : kOptPrintFreeWidth;
    const uint16_t l = slot ? kOptSlotLength : kOptPrintFreeLength;
    r->fields[0] = OptToDisplayUnits(ctx, w, Get(ctx, w));
    r->fields[1] = OptToDisplayUnits(ctx, l, Get(ctx, l));
    if (version >= 3) r->fields[2] = Get(ctx, slot ? kOptSlotOrient : kOptPrintFreeOrient);
  } else {
    SIZE size{};
    if (MdlGetPaperExtent(ctx, &size, kApiOptOutPaperSize)) {
      r->fields[0] = size.cx;
      r->fields[1] = size.cy;
    }
  }
  return kStatusRecordSize;
}

}  // namespace

int ApiIsCustomSizeInRange(DriverContext* ctx, int32_t width, int32_t length) {
  if (width == 0 || length == 0) return 0;
  int32_t maxW = 0, maxL = 0, minW = 0, minL = 0;
  if (!SizeLimits(ctx, &maxW, &maxL, &minW, &minL)) return 0;
  return minW <= width && width <= maxW && minL <= length && length <= maxL ? 1 : 0;
}

const StatusHandlers kPaperStatusHandlers[] = {
    {7, SetPaper, CheckPaper, GetPaper},
    {8, SetOutputPaper, CheckOutputPaper, GetOutputPaper},
    {0, nullptr, nullptr, nullptr},
};
