// Handlers of the chapter status (the chapter switch and the list of chapter pages) and of
// perfect binding.
#include <cstdio>
#include <cstdlib>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "context_services.h"
#include "devmode_public.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"
#include "preset_list.h"
#include "status_layouts.h"

namespace {

using namespace status_steps;

// ---- chapters -----------------------------------------------------------------------------------

enum : uint16_t {
  kOptChapterPage = 1024,   // the page as decimal text
  kOptChapterKind = 1025,
  kOptChapterTray = 1026,
  kOptChapterPrint = 1027,
};

enum : int32_t { kOpSwitch = 0, kOpAdd = 1, kOpDelete = 2, kOpDeleteAll = 3 };
enum : int32_t { kKindPage = 0, kKindRange = 3 };
constexpr int32_t kLastPage = 30000;
constexpr int32_t kPrintBothSides = 2;
constexpr int kValueDisabled = 4;  // ApiTestItemValue: the value is disabled

int32_t ChapterCount(DriverContext* ctx) { return Get(ctx, kApiOptChapterNum); }

// The number a decimal text holds (0 for none).
int32_t PageOfText(DriverContext* ctx) {
  char text[32];
  ApiOptionText(ctx, kOptChapterPage, text, sizeof text - 1);
  return static_cast<int32_t>(std::strtol(text, nullptr, 10));
}

int SetChapters(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  const int32_t on = r->value;
  if (on != 0 && on != 1) return 0;
  ApiSetChapterChanged(ctx, 0);
  CfgEnsureModuleSetup(ctx);
  const int32_t count = ChapterCount(ctx);
  const int32_t op = At(r, 8);
  if (op == kOpSwitch) {
    Set(ctx, kApiOptFuncSelectChapter, on == 1 && count == 0 ? 0 : on);
    return 1;
  }
  Set(ctx, kApiOptFuncSelectChapter, 1);
  const int32_t entry = At(r, 16);
  const int32_t page = At(r, 20);
  const int32_t kind = At(r, 24);
  const int32_t tray = At(r, 28);
  const int32_t side = At(r, 32);
  const int32_t last = version >= 2 ? At(r, 36) : 0;
  if (op == kOpDelete) {
    if (entry < 1 || entry > count) return 0;
  } else if (op == kOpAdd) {
    if (page < 1 || page > kLastPage) return 0;
    if (kind != kKindPage && kind != 1 && !(kind == kKindRange && ApiGetVersion() >= 15)) return 0;
    if (kind == kKindPage) {
      if (!Allowed(ctx, kOptChapterTray, tray) || side < 0 || side > 2) return 0;
      if (side == kPrintBothSides && Get(ctx, kApiOptFuncSelectDuplex) == 0) return Refuse(ctx, kApiErrConflict);
      Set(ctx, kOptChapterTray, tray);
      if (ApiTestItemValue(ctx, kOptChapterPrint, side) == kValueDisabled) return Refuse(ctx, kApiErrConflict);
    } else if (kind == kKindRange) {
      if (!Allowed(ctx, kOptChapterTray, tray)) return 0;
      if (version >= 2 && (last < 1 || last > kLastPage || last < page)) return 0;
    }
  } else if (op != kOpDeleteAll) {
    return 0;
  }
  Set(ctx, kApiOptFuncSelectChapter, on);
  if (op == kOpAdd) {
    Set(ctx, kOptChapterKind, kind);
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%d", page);
    ApiSetOptionText(ctx, kOptChapterPage, text, static_cast<size_t>(n));
    if (kind == kKindPage || kind == kKindRange) Set(ctx, kOptChapterTray, tray);
    if (kind == kKindPage) Set(ctx, kOptChapterPrint, side);
    int32_t request[4] = {page, 0, last, 1};
    ApiChapterService(ctx, 2, request);
    if (request[3] != 0) return Refuse(ctx, kApiErrConflict);
  } else if (op == kOpDelete) {
    int32_t request[2] = {entry - 1, 1};
    ApiChapterService(ctx, 3, request);
    if (request[1] != 0) return Refuse(ctx, kApiErrGeneral);
    if (count == 1) Set(ctx, kApiOptFuncSelectChapter, 0);
  } else if (op == kOpDeleteAll) {
    int32_t result = 1;
    ApiChapterService(ctx, 4, &result);
    if (result != 0) return Refuse(ctx, kApiErrGeneral);
    Set(ctx, kApiOptFuncSelectChapter, 0);
  }
  return 1;
}

int CheckChapters(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const bool entries = ChapterCount(ctx) > 0;
  const bool on = Get(ctx, kApiOptFuncSelectChapter) != 0;
  switch (At(r, 8)) {
    case kOpSwitch:
      return entries ? (Get(ctx, kApiOptFuncSelectChapter) == r->value ? 1 : -1) : (on ? -1 : 1);
    case kOpAdd: {
      const int32_t kind = At(r, 24);
      if (!entries || Get(ctx, kApiOptFuncSelectChapter) != r->value || Get(ctx, kOptChapterKind) != kind ||
          PageOfText(ctx) != At(r, 20))
        return -1;
      if ((kind == kKindPage || kind == kKindRange) && Get(ctx, kOptChapterTray) != At(r, 28)) return -1;
      if (kind == kKindPage && Get(ctx, kOptChapterPrint) != At(r, 32)) return -1;
      return 1;
    }
    case kOpDelete:
      return entries || !on ? 1 : -1;
    case kOpDeleteAll:
      return !entries && !on ? 1 : -1;
    default:
      return 1;
  }
}

int32_t GetChapters(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  const int32_t size = ApiStatusLayoutSize(id, version);
  if (!r) return size;
  ApiSetChapterChanged(ctx, 0);
  CfgEnsureModuleSetup(ctx);
  const int32_t count = ChapterCount(ctx);
  const int32_t entry = At(r, 16);
  if (entry > count) {
    SetApiLastError(ctx, kApiErrRefused);
    return -1;
  }
  FmBroadcastRecheck(ctx);
  ApiSaveUserSettings(ctx, ctx->printer);
  r->value = Get(ctx, kApiOptFuncSelectChapter);
  ApiRecordPutI32(r, 12, count);
  if (entry > 0) {
    int32_t request[6] = {entry - 1, 0, 0, 0, 0, 0};
    ApiChapterService(ctx, 5, request);
    ApiRecordPutI32(r, 20, request[1]);
    ApiRecordPutI32(r, 24, request[2]);
    ApiRecordPutI32(r, 28, request[3]);
    ApiRecordPutI32(r, 32, request[4]);
    if (version >= 2) ApiRecordPutI32(r, 36, request[5]);
  }
  return size;
}

// ---- perfect binding -----------------------------------------------------------------------------

enum : uint16_t {
  kOptPerfectBind = 549,
  kOptBodyPrint = 700,
  kOptBindPosition = 701,
  kOptBindOption = 702,
  kOptBindTray = 703,
  kOptAdjustVertical = 704,
  kOptAdjustHorizontal = 705,
  kOptCutHead = 706,
  kOptCutTail = 707,
  kOptCutFore = 708,
  kOptCutWidth = 709,
  kOptFinishedSize = 710,
  kOptCutAdjust = 711,
};

constexpr int32_t kPerfectBindBytes = 56;

// The length fields of each binding option (1-4): {record offset, option}, ended by a 0 offset.
struct LengthField {
  size_t offset;
  uint16_t option;
};
constexpr LengthField kOptionLengths[5][4] = {
    {},
    {{44, kOptCutFore}},
    {{48, kOptCutWidth}},
    {{36, kOptCutHead}, {40, kOptCutTail}, {44, kOptCutFore}},
    {{52, kOptCutAdjust}},
};

// A length of the record in the display unit, stored into its option as dots and tested.
bool TakeLength(DriverContext* ctx, uint16_t option, int32_t length) {
  const int32_t dots = OptFromDisplayUnits(ctx, option, length);
  const bool rangeOnly = option == kOptAdjustVertical || option == kOptAdjustHorizontal || option == kOptCutAdjust;
  return rangeOnly ? ApiIsInItemRange(ctx, option, dots) : Allowed(ctx, option, dots);
}

int32_t Display(DriverContext* ctx, uint16_t option) { return OptToDisplayUnits(ctx, option, 0); }

int SetPerfectBinding(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 0) {
    Set(ctx, kOptPerfectBind, 0);
    return 1;
  }
  const int32_t option = At(r, 16);
  if (!Allowed(ctx, kOptBodyPrint, At(r, 8)) || !Allowed(ctx, kOptBindPosition, At(r, 12)) ||
      !Allowed(ctx, kOptBindTray, At(r, 24)))
    return 0;
  if (!TakeLength(ctx, kOptAdjustVertical, At(r, 28)) || !TakeLength(ctx, kOptAdjustHorizontal, At(r, 32))) return 0;
  if (!Allowed(ctx, kOptBindOption, option) || option < 1 || option > 4) return 0;
  for (const LengthField& f : kOptionLengths[option])
    if (f.offset && !TakeLength(ctx, f.option, At(r, f.offset))) return 0;
  if (option == 4 && !Allowed(ctx, kOptFinishedSize, At(r, 20))) return 0;
  Set(ctx, kOptPerfectBind, 1);
  Set(ctx, kOptBodyPrint, At(r, 8));
  Set(ctx, kOptBindPosition, At(r, 12));
  Set(ctx, kOptBindTray, At(r, 24));
  Set(ctx, kOptBindOption, option);
  if (option == 4) Set(ctx, kOptFinishedSize, At(r, 20));
  return 1;
}

int CheckPerfectBinding(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (!ApiFindSwitchOption(id, nullptr)) return -1;
  if (r->value == 0) return 1;
  if (Get(ctx, kOptPerfectBind) == 0) return -1;
  if (Get(ctx, kOptBodyPrint) != At(r, 8) || Get(ctx, kOptBindPosition) != At(r, 12) || Get(ctx, kOptBindTray) != At(r, 24))
    return -1;
  if (Display(ctx, kOptAdjustVertical) != At(r, 28) || Display(ctx, kOptAdjustHorizontal) != At(r, 32)) return -1;
  const int32_t option = At(r, 16);
  if (Get(ctx, kOptBindOption) != option || option < 1 || option > 4) return -1;
  for (const LengthField& f : kOptionLengths[option])
    if (f.offset && Display(ctx, f.option) != At(r, f.offset)) return -1;
  if (option == 4 && Get(ctx, kOptFinishedSize) != At(r, 20)) return -1;
  return 1;
}

int32_t GetPerfectBinding(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kPerfectBindBytes;
  r->value = Get(ctx, kOptPerfectBind);
  ApiRecordPutI32(r, 8, Get(ctx, kOptBodyPrint));
  ApiRecordPutI32(r, 12, Get(ctx, kOptBindPosition));
  ApiRecordPutI32(r, 16, Get(ctx, kOptBindOption));
  ApiRecordPutI32(r, 20, Get(ctx, kOptFinishedSize));
  ApiRecordPutI32(r, 24, Get(ctx, kOptBindTray));
  for (uint16_t option = kOptAdjustVertical; option <= kOptCutWidth; ++option)
    ApiRecordPutI32(r, 28 + 4 * static_cast<size_t>(option - kOptAdjustVertical), Display(ctx, option));
  ApiRecordPutI32(r, 52, Display(ctx, kOptCutAdjust));
  return kPerfectBindBytes;
}

}  // namespace

const StatusHandlers kBindingStatusHandlers[] = {
    {67, SetChapters, CheckChapters, GetChapters},
    {80, SetPerfectBinding, CheckPerfectBinding, GetPerfectBinding},
    {0, nullptr, nullptr, nullptr},
};
