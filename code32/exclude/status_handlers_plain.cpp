// Handlers of the statuses that carry one plain value (paper source, media type, output tray,
// colour, orientation, copies, output and job actions, colour adjustment and matching, output
// options and preview), of the staple, punch and fold switches and of the colour planes.
#include <cstring>

#include "api_devmode.h"
#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "core_memory.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "option_validation.h"
#include "settings_paths.h"

namespace {

// The main option of a plain status and the public device-mode field it stands for; some need a
// capability of the printer, or colour matching switched on (1) or off (0).
struct PlainStatus {
  uint32_t id;
  uint16_t option;
  DWORD dmField;  // 0 for a private setting
  bool actionWord;
  uint32_t capability = 0;   // 0: none needed
  int colourMatching = -1;   // -1: either
  bool stored = false;       // kept in the settings file: written after a set, read before a get
};

constexpr uint16_t kOptColourMatching = 130;

constexpr PlainStatus kPlainStatuses[] = {
    {2, 13, kDmFieldDefaultSource, false}, {3, 54, 0, false},   {4, 53, 0, false},
    {5, 15, kDmFieldColor, false},         {6, 7, kDmFieldOrientation, false},
    {9, 12, kDmFieldCopies, false},        {22, 183, 0, false}, {23, 184, 0, false},
    {24, 187, 0, false},                   {25, 201, 0, false}, {27, 173, 0, false},
    {29, 215, 0, true},                    {30, 212, 0, true},                    {31, 211, 0, true},  {32, 213, 0, true},
    {33, 217, 0, true},
    {38, 128, 0, false},                   {45, 385, 0, false}, {48, 193, 0, false},
    {49, 174, 0, false},                   {52, 532, 0, false, 80}, {53, 533, 0, false, 81},
    {57, 603, 0, false, 87, -1, true},     {72, 395, 0, false}, {74, 396, 0, false},
    {75, 10358, 0, false},                 {76, 218, 0, true},  {77, 219, 0, true},
    {78, 220, 0, true},                    {81, 71, 0, false},  {84, 552, 0, false},
    {257, 129, 0, false},                  {263, 154, 0, false},
    {265, 130, 0, false, 276},             {266, 131, 0, false, 277, 1},
    {268, 196, 0, false, 280},
};

const PlainStatus* FindPlain(uint32_t id) {
  for (const PlainStatus& p : kPlainStatuses)
    if (p.id == id) return &p;
  return nullptr;
}

// The action bits of the job actions share one 16-bit word: it is stored as a whole under the
// key "zdmAction" of the settings file.
void StoreActionWord(DriverContext* ctx, uint16_t option) {
  OptionEntry* row = OptFind(ctx, option);
  if (!row) return;
  const WCHAR* key = row->key;
  const uint32_t typeWord = row->typeWord;
  row->key = u"zdmAction";
  row->typeWord = MakeTypeWord(TypeBlock(typeWord), kKindUInt16, 2);
  CfgWriteOption(ctx->printer, ctx, row, PathGetSettingsIni(ctx));
  row->key = key;
  row->typeWord = typeWord;
}

int SetPlain(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const PlainStatus* p = FindPlain(id);
  if (!p) return 0;
  if (p->capability && !ApiIsCapabilitySupported(ctx, p->capability)) return 0;
  if (p->colourMatching >= 0 && (OptGetValue(ctx, kOptColourMatching, nullptr) != 0) != (p->colourMatching == 1))
    return 0;
  if (OptCheckValue(p->option, record->value, ctx) != 1) return 0;
  OptSetValue(ctx, p->option, record->value);
  if (p->dmField) reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx))->dmFields |= p->dmField;
  if (p->actionWord) StoreActionWord(ctx, p->option);
  if (p->stored)
    if (OptionEntry* row = OptFind(ctx, p->option)) CfgWriteOption(ctx->printer, ctx, row, PathGetSettingsIni(ctx));
  return 1;
}

int CheckPlain(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const PlainStatus* p = FindPlain(id);
  return p && OptGetValue(ctx, p->option, nullptr) == record->value ? 1 : -1;
}

int32_t GetPlain(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t) {
  const PlainStatus* p = FindPlain(id);
  if (!p) return -1;
  if (p->capability && !ApiIsCapabilitySupported(ctx, p->capability)) return -1;
  if (p->stored && record)
    if (OptionEntry* row = OptFind(ctx, p->option)) IniReadOption(ctx, row, PathGetSettingsIni(ctx), nullptr, nullptr);
  if (record) record->value = OptGetValue(ctx, p->option, nullptr);
  return kStatusRecordSize;
}

// ---- function switches -----------------------------------------------------------------------

struct SwitchedStatus {
  uint32_t id;
  uint16_t subOption;
};

constexpr SwitchedStatus kSwitchedStatuses[] = {{20, kApiOptStapleType}, {21, kApiOptPunchType}, {51, kApiOptFoldType}};

uint16_t SubOptionOf(uint32_t id) {
  for (const SwitchedStatus& s : kSwitchedStatuses)
    if (s.id == id) return s.subOption;
  return 0;
}

int SetSwitched(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  const uint16_t sub = SubOptionOf(id);
  if (!sw || !sub) return 0;
  if (record->functionSwitch == 0) {
    OptSetValue(ctx, sw, 0);
    return 1;
  }
  if (OptCheckValue(sub, record->value, ctx) != 1) return 0;
  if (ApiTrySwitchedValue(ctx, id, sw, sub, record->value) != 1) return 0;
  OptSetValue(ctx, sub, record->value);
  OptSetValue(ctx, sw, record->functionSwitch);
  return 1;
}

int32_t GetSwitched(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t) {
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  const uint16_t sub = SubOptionOf(id);
  if (!sw || !sub) return -1;
  if (record) {
    record->value = OptGetValue(ctx, sub, nullptr);
    record->functionSwitch = OptGetValue(ctx, sw, nullptr);
  }
  return kStatusRecordSize;
}

// ---- colour planes ---------------------------------------------------------------------------

int32_t PlaneValue(const StatusRecord* record, int plane) { return plane == 0 ? record->value : record->fields[plane - 1]; }

int SetPlanes(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  bool any = false;
  for (int plane = 0; plane < 4; ++plane) any = any || PlaneValue(record, plane) != 0;
  if (!any) return 0;
  for (int plane = 0; plane < 4; ++plane)
    if (OptCheckValue(static_cast<uint16_t>(kApiOptPlaneCyan + plane), PlaneValue(record, plane), ctx) != 1) return 0;
  for (int plane = 0; plane < 4; ++plane)
    OptSetValue(ctx, static_cast<uint16_t>(kApiOptPlaneCyan + plane), PlaneValue(record, plane));
  return 1;
}

int CheckPlanes(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  for (int plane = 0; plane < 4; ++plane)
    if (OptGetValue(ctx, static_cast<uint16_t>(kApiOptPlaneCyan + plane), nullptr) != PlaneValue(record, plane))
      return -1;
  return 1;
}

int32_t GetPlanes(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (record) {
    record->value = OptGetValue(ctx, kApiOptPlaneCyan, nullptr);
    for (int plane = 1; plane < 4; ++plane)
      record->fields[plane - 1] = OptGetValue(ctx, static_cast<uint16_t>(kApiOptPlaneCyan + plane), nullptr);
  }
  return kStatusRecordSize;
}

}  // namespace

// The plain family for the handler files of statuses that add a test of their own.
int ApiSetPlainStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode) {
  return SetPlain(ctx, id, record, changes, mode);
}
int ApiCheckPlainStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode) {
  return CheckPlain(ctx, id, record, changes, mode);
}
int32_t ApiGetPlainStatus(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t version) {
  return GetPlain(ctx, id, record, version);
}

// The common post-set check of the function switches.
int ApiCheckSwitched(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t*, int32_t) {
  const uint16_t sw = ApiFindSwitchOption(id, nullptr);
  if (!sw) return -1;
  if (record->functionSwitch == 0) return 1;
  return OptGetValue(ctx, sw, nullptr) != 0 ? 1 : -1;
}

ApiDevModeTrial::ApiDevModeTrial(DriverContext* ctx) : ctx_(ctx), copy_(static_cast<BYTE*>(CtxAllocMem(DmGetSize()))) {
  if (copy_) std::memcpy(copy_, CtxGetDevMode(ctx), DmGetSize());
  else SetApiLastError(ctx, kApiErrGeneral);
}

ApiDevModeTrial::~ApiDevModeTrial() {
  if (copy_) std::memcpy(CtxGetDevMode(ctx_), copy_, DmGetSize());
  MdlFreeMem(copy_);
}

int ApiTrySwitchedValue(DriverContext* ctx, uint32_t id, uint16_t switchOption, uint16_t subOption, int32_t value) {
  if (OptGetValue(ctx, switchOption, nullptr) != 0) return 1;
  ApiDevModeTrial trial(ctx);
  if (!trial.Taken()) return 0;
  BYTE* dm = CtxGetDevMode(ctx);
  OptSetValue(ctx, switchOption, 1);
  OptSetValue(ctx, subOption, value);
  if (id == 15) DmSetDuplexFromOptions(dm, ctx);
  ApiRunOptionRules(ctx, switchOption);
  DmSetDuplexFromOptions(dm, ctx);
  ApiMergeAndKeepCustomSize(ctx, nullptr);
  return OptGetValue(ctx, switchOption, nullptr) != 0 && OptCheckValue(subOption, value, ctx) == 1 ? 1 : 0;
}

const StatusHandlers kPlainStatusHandlers[] = {
    {2, SetPlain, CheckPlain, GetPlain},
    {3, SetPlain, CheckPlain, GetPlain},
    {4, SetPlain, CheckPlain, GetPlain},
    {5, SetPlain, CheckPlain, GetPlain},
    {6, SetPlain, CheckPlain, GetPlain},
    {9, SetPlain, CheckPlain, GetPlain},
    {20, SetSwitched, ApiCheckSwitched, GetSwitched},
    {21, SetSwitched, ApiCheckSwitched, GetSwitched},
    {22, SetPlain, CheckPlain, GetPlain},
    {23, SetPlain, CheckPlain, GetPlain},
    {24, SetPlain, CheckPlain, GetPlain},
    {25, SetPlain, CheckPlain, GetPlain},
    {27, SetPlain, CheckPlain, GetPlain},
    {30, SetPlain, CheckPlain, GetPlain},
    {31, SetPlain, CheckPlain, GetPlain},
    {32, SetPlain, CheckPlain, GetPlain},
    {33, SetPlain, CheckPlain, GetPlain},
    {35, SetPlanes, CheckPlanes, GetPlanes},
    {38, SetPlain, CheckPlain, GetPlain},
    {45, SetPlain, CheckPlain, GetPlain},
    {48, SetPlain, CheckPlain, GetPlain},
    {49, SetPlain, CheckPlain, GetPlain},
    {51, SetSwitched, ApiCheckSwitched, GetSwitched},
    {52, SetPlain, CheckPlain, GetPlain},
    {53, SetPlain, CheckPlain, GetPlain},
    {57, SetPlain, CheckPlain, GetPlain},
    {72, SetPlain, CheckPlain, GetPlain},
    {74, SetPlain, CheckPlain, GetPlain},
    {75, nullptr, nullptr, GetPlain},
    {76, SetPlain, CheckPlain, GetPlain},
    {77, SetPlain, CheckPlain, GetPlain},
    {78, SetPlain, CheckPlain, GetPlain},
    {81, SetPlain, CheckPlain, GetPlain},
    {84, SetPlain, CheckPlain, GetPlain},
    {257, SetPlain, CheckPlain, GetPlain},
    {263, SetPlain, CheckPlain, GetPlain},
    {265, SetPlain, CheckPlain, GetPlain},
    {266, SetPlain, CheckPlain, GetPlain},
    {268, SetPlain, CheckPlain, GetPlain},
    {0, nullptr, nullptr, nullptr},
};
