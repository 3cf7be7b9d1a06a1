// Handlers of the colour statuses: the per-object colour values (colour mode, brightness,
// contrast, saturation, colour balance, colour revision, ICM intent, colour-matching mode), the
// user print macro and toner saving.
#include <algorithm>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "option_access.h"
#include "quality_list.h"
#include "status_layouts.h"

namespace {

using namespace status_steps;

enum : uint16_t {
  kOptColorBalanceR = 141,
  kOptColorBalanceG = 142,
  kOptColorBalanceB = 143,
  kOptColourRevision = 163,
};

// Offsets of the per-object records: the value to set, and the four values of a get.
constexpr size_t kValueAt = 8;
constexpr size_t kTextAt = 10;
constexpr size_t kLineAt = 12;
constexpr size_t kImageAt = 14;

// The colour option behind each per-object status, the capability it needs and the colour
// matching it needs (1 on, 0 off, -1 either).
struct ObjectStatus {
  uint32_t id;
  uint16_t option;
  uint32_t capability;
  int colourMatching;
};

constexpr ObjectStatus kObjectStatuses[] = {
    {39, kApiOptColorMode, 0, -1},         {40, 138, 0, -1},  {41, 139, 0, -1}, {42, 140, 0, -1},
    {46, kOptColourRevision, 0, -1},       {267, kApiOptIcmIntent, 278, 1},
    {269, kApiOptColorMatchingMode, 281, 0},
};

const ObjectStatus* FindObject(uint32_t id) {
  for (const ObjectStatus& s : kObjectStatuses)
    if (s.id == id) return &s;
  return nullptr;
}

bool ColourMatchingAsNeeded(DriverContext* ctx, int needed) {
  return needed < 0 || (Get(ctx, kApiOptColorMatching) != 0) == (needed == 1);
}

// The list of capability 61 holds 255.
bool ColourModesHold255(DriverContext* ctx) {
  const int32_t n = ApiQueryCapability(ctx, 61, nullptr);
  if (n <= 0) return false;
  std::vector<uint32_t> modes(static_cast<size_t>(n) + 1);
  ApiQueryCapability(ctx, 61, modes.data());
  return std::find(modes.begin(), modes.begin() + n, 255u) != modes.begin() + n;
}

int SetObjectValue(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const ObjectStatus* s = FindObject(id);
  if (!s) return 0;
  if (s->capability && !ApiIsCapabilitySupported(ctx, s->capability)) return 0;
  if (!ColourMatchingAsNeeded(ctx, s->colourMatching)) return 0;
  const int32_t value = ApiRecordI16(record, kValueAt);
  if (!ApiStatusAllowed(ctx, s->option, value)) return 0;
  if (id == 39 && value == 255) {
    if (!ColourModesHold255(ctx)) return 0;
    if (Get(ctx, kApiOptAdjustMode) == 1 && Get(ctx, kApiOptAdjustObject) != 2) return 0;
  }
  if (id == 269) {
    int32_t entries = 0;
    ApiChapterService(ctx, 0, &entries);
    if (value >= 200 + entries) return 0;
  }
  OptSetValue(ctx, static_cast<uint16_t>(ApiGetAdjustedVariant(ctx, s->option)), value);
  return 1;
}

int CheckObjectValue(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const ObjectStatus* s = FindObject(id);
  if (!s) return -1;
  const uint16_t target = static_cast<uint16_t>(ApiGetAdjustedVariant(ctx, s->option));
  return static_cast<int16_t>(Get(ctx, target)) == ApiRecordI16(record, kValueAt) ? 1 : -1;
}

// The whole-page value and its text, line and image copies.
void PutObjectValues(DriverContext* ctx, StatusRecord* record, uint16_t option, size_t at) {
  ApiRecordPutI16(record, at, static_cast<int16_t>(Get(ctx, option)));
  for (int object = 0; object < 3; ++object)
    ApiRecordPutI16(record, at + 2 + 2 * static_cast<size_t>(object),
                    static_cast<int16_t>(Get(ctx, ApiGetObjectVariant(ctx, option, object))));
}

int32_t GetObjectValue(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t) {
  const ObjectStatus* s = FindObject(id);
  if (!s) return -1;
  if (s->capability && !ApiIsCapabilitySupported(ctx, s->capability)) return -1;
  if (record) PutObjectValues(ctx, record, s->option, kValueAt);
  static_assert(kTextAt == kValueAt + 2 && kLineAt == kValueAt + 4 && kImageAt == kValueAt + 6);
  return kStatusRecordSize;
}

// ---- colour balance ----------------------------------------------------------------------------

constexpr uint16_t kBalance[] = {kOptColorBalanceR, kOptColorBalanceG, kOptColorBalanceB};

int SetBalance(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  for (size_t i = 0; i < 3; ++i)
    if (!ApiStatusAllowed(ctx, kBalance[i], ApiRecordI16(record, kValueAt + 2 * i))) return 0;
  for (size_t i = 0; i < 3; ++i)
    OptSetValue(ctx, static_cast<uint16_t>(ApiGetAdjustedVariant(ctx, kBalance[i])), ApiRecordI16(record, kValueAt + 2 * i));
  return 1;
}

int CheckBalance(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  for (size_t i = 0; i < 3; ++i) {
    const uint16_t target = static_cast<uint16_t>(ApiGetAdjustedVariant(ctx, kBalance[i]));
    if (static_cast<int16_t>(Get(ctx, target)) != ApiRecordI16(record, kValueAt + 2 * i)) return -1;
  }
  return 1;
}

// R, G, B for the page, then for text, line art and images: twelve 16-bit values from +8.
int32_t GetBalance(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (!record) return kStatusRecordSize;
  for (int object = -1; object < 3; ++object)
    for (size_t i = 0; i < 3; ++i) {
      const uint16_t option = object < 0 ? kBalance[i] : ApiGetObjectVariant(ctx, kBalance[i], object);
      ApiRecordPutI16(record, kValueAt + 6 * static_cast<size_t>(object + 1) + 2 * i, static_cast<int16_t>(Get(ctx, option)));
    }
  return kStatusRecordSize;
}

// ---- user print macro ----------------------------------------------------------------------------

constexpr size_t kPrintMacroAt = 4;
constexpr size_t kBalanceMacroAt = 8;
constexpr size_t kUserMacroAt = 12;
constexpr int32_t kInterfaceQuality = 160;  // the user print macro of the interface's quality entry
constexpr int32_t kFirstQualityMacro = 32;   // user print macro of quality entry 0

bool PrintMacros(DriverContext* ctx) { return ApiIsCapabilitySupported(ctx, 266) != 0; }
bool BalanceMacros(DriverContext* ctx) { return ApiIsCapabilitySupported(ctx, 268) != 0; }

int SetUserMacro(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  if (!ApiFindSwitchOption(id, nullptr)) return 0;
  if (record->functionSwitch != 0) {
    const int32_t macro = ApiRecordI32(record, kUserMacroAt);
    if (!ApiStatusAllowed(ctx, kApiOptUserPrintMacro, macro)) return 0;
    if (macro == kInterfaceQuality) {
      CfgSaveQuality(ctx, kApiQualitySlot);
    } else {
      if (!ApiIsOptionSelectable(ctx, kApiOptUserPrintMacro)) return 0;
      CfgLoadQuality(ctx, macro - kFirstQualityMacro);
    }
    OptSetValue(ctx, kApiOptUseUserMacro, record->functionSwitch);
    OptSetValue(ctx, kApiOptUserPrintMacro, macro);
    if (BalanceMacros(ctx) && !PrintMacros(ctx)) OptSetValue(ctx, kApiOptBalanceMacro, kFirstQualityMacro);
    return 1;
  }
  const bool print = PrintMacros(ctx);
  const bool balance = BalanceMacros(ctx);
  const int32_t printMacro = ApiRecordI32(record, kPrintMacroAt);
  const int32_t balanceMacro = ApiRecordI32(record, kBalanceMacroAt);
  if (print && !ApiStatusAllowed(ctx, kApiOptPrintMacro, printMacro)) return 0;
  if (balance && !ApiStatusAllowed(ctx, kApiOptBalanceMacro, balanceMacro)) return 0;
  OptSetValue(ctx, kApiOptUseUserMacro, 0);
  if (print) OptSetValue(ctx, kApiOptPrintMacro, printMacro);
  if (balance) {
    OptSetValue(ctx, kApiOptUiStart, 1);
    OptSetValue(ctx, kApiOptUserPrintMacro, kFirstQualityMacro);
    ApiRunOptionRules(ctx, kApiOptMediaType);
    OptSetValue(ctx, kApiOptUiStart, 0);
    OptSetValue(ctx, kApiOptBalanceMacro, balanceMacro);
    if (balanceMacro == kFirstQualityMacro)
      CfgLoadQuality(ctx, Get(ctx, kApiOptUserPrintMacro) - kFirstQualityMacro);
  }
  return 1;
}

int CheckUserMacro(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  if (record->functionSwitch != 0) {
    if (Get(ctx, kApiOptUserPrintMacro) != ApiRecordI32(record, kUserMacroAt)) return -1;
  } else {
    if (PrintMacros(ctx) && Get(ctx, kApiOptPrintMacro) != ApiRecordI32(record, kPrintMacroAt)) return -1;
    if (BalanceMacros(ctx)) {
      if (Get(ctx, kApiOptBalanceMacro) != ApiRecordI32(record, kBalanceMacroAt)) return -1;
      if (ApiRecordI32(record, kBalanceMacroAt) == kFirstQualityMacro) return 1;
    }
  }
  return Get(ctx, kApiOptUseUserMacro) == record->functionSwitch ? 1 : -1;
}

int32_t GetUserMacro(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (!record) return kStatusRecordSize;
  ApiRecordPutI32(record, kPrintMacroAt, Get(ctx, kApiOptPrintMacro));
  ApiRecordPutI32(record, kBalanceMacroAt, Get(ctx, kApiOptBalanceMacro));
  ApiRecordPutI32(record, kUserMacroAt, Get(ctx, kApiOptUserPrintMacro));
  record->functionSwitch = Get(ctx, kApiOptUseUserMacro);
  if (BalanceMacros(ctx) && !PrintMacros(ctx) && Get(ctx, kApiOptUserPrintMacro) != kInterfaceQuality)
    record->functionSwitch = 0;
  return kStatusRecordSize;
}

// ---- toner saving --------------------------------------------------------------------------------

int SetTonerSave(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  const int32_t where = ApiQueryCapability(ctx, 274, nullptr);
  if (where == 0 || where == -1) return 0;
  if (where == 2 && !ApiIsUserMacroPrint(ctx)) {
    SetApiLastError(ctx, kApiErrUserMacro);
    return 0;
  }
  if (record->functionSwitch != 0) {
    if (ApiQueryCapability(ctx, 275, nullptr) == 1) {
      if (record->value != Get(ctx, kApiOptTonerSave)) return 0;
    } else {
      if (!ApiStatusAllowed(ctx, kApiOptTonerSave, record->value)) return 0;
      OptSetValue(ctx, kApiOptTonerSave, record->value);
    }
  }
  OptSetValue(ctx, kApiOptFuncSelectTonerSave, record->functionSwitch);
  return 1;
}

int CheckTonerSave(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  if (!ApiFindSwitchOption(id, nullptr)) return -1;
  if (record->functionSwitch == 0) return 1;
  return Get(ctx, kApiOptFuncSelectTonerSave) == record->functionSwitch && Get(ctx, kApiOptTonerSave) == record->value ? 1
                                                                                                                        : -1;
}

int32_t GetTonerSave(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (record) {
    record->functionSwitch = Get(ctx, kApiOptFuncSelectTonerSave);
    record->value = Get(ctx, kApiOptTonerSave);
  }
  return kStatusRecordSize;
}

}  // namespace

const StatusHandlers kColourStatusHandlers[] = {
    {39, SetObjectValue, CheckObjectValue, GetObjectValue},
    {40, SetObjectValue, CheckObjectValue, GetObjectValue},
    {41, SetObjectValue, CheckObjectValue, GetObjectValue},
    {42, SetObjectValue, CheckObjectValue, GetObjectValue},
    {43, SetBalance, CheckBalance, GetBalance},
    {46, SetObjectValue, CheckObjectValue, GetObjectValue},
    {262, SetUserMacro, CheckUserMacro, GetUserMacro},
    {264, SetTonerSave, CheckTonerSave, GetTonerSave},
    {267, SetObjectValue, CheckObjectValue, GetObjectValue},
    {269, SetObjectValue, CheckObjectValue, GetObjectValue},
    {0, nullptr, nullptr, nullptr},
};
