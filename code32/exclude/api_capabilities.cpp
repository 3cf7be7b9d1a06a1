// The capability table and its dispatcher, behind ZOLTDrvGetCaps.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_support.h"
#include "command_table.h"
#include "context_services.h"
#include "device_caps.h"
#include "env_language.h"
#include "env_mutex.h"
#include "model_query.h"
#include "option_access.h"
#include "option_table.h"
#include "option_units.h"
#include "option_validation.h"
#include "option_values.h"
#include "preset_list.h"
#include "prn_data.h"
#include "quality_list.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "undo_images.h"
#include "api_devmode.h"
#include "win32/profile.h"

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

// ---- shared list and range functions ------------------------------------------------------------

constexpr uint16_t kOptDefaultSource = 13;
constexpr uint16_t kOptCopies = 12;
constexpr uint16_t kOptOutputTrayId = 53;
constexpr uint32_t kMaxListEntries = 4096;

// The values of S that can be chosen now; the output tray list begins with 0 and keeps only the
// non-zero values after it (just the 0 when that leaves fewer than three entries).
int32_t ApiListSelectableValues(DriverContext* ctx, void* data, uint16_t option) {
  int32_t count = 0;
  const int sized = MdlGetSelectableValues(ctx, option, 0, nullptr, &count);
  if (sized < 0 || count < 0) return -1;
  if (count == 0) return 0;
  if (static_cast<uint32_t>(count) > kMaxListEntries) return -1;
  std::vector<int32_t> values(static_cast<size_t>(count));
  if (MdlGetSelectableValues(ctx, option, count, values.data(), &count) != 0) return -1;
  values.resize(static_cast<size_t>(count));
  if (option == kOptOutputTrayId) {
    std::vector<int32_t> trays{0};
    for (int32_t v : values)
      if (v != 0) trays.push_back(v);
    if (trays.size() < 3) trays.resize(1);
    values.swap(trays);
  }
  if (data) std::memcpy(data, values.data(), values.size() * sizeof(int32_t));
  return static_cast<int32_t>(values.size());
}

// The public codes of every value of a pick-one item of S in model order; with enabledOnly the
// disabled values are left out. -1 when the item, a value's name entry or every value is missing.
int32_t ListCodes(DriverContext* ctx, void* data, uint16_t option, bool enabledOnly) {
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  if (!item || (item->typeWord & 0xFF) != 1 || !item->values) return -1;
  std::vector<uint32_t> codes;
  uint32_t offset = item->values;
  for (size_t guard = 0; offset && guard < kMaxListEntries; ++guard) {
    const ModelValue* value = MdlImageAt<ModelValue>(ctx->modelImage, offset);
    if (!value) return -1;
    offset = value->next;
    if (enabledOnly && MdlIsDisabled(item, value->valueId, ctx)) continue;
    const ValueNameEntry* entry = OptFindValueSymbol(option, value->valueId);
    if (!entry || entry->kind == 0) return -1;
    codes.push_back(entry->second);
  }
  if (codes.empty()) return -1;
  if (data) std::memcpy(data, codes.data(), codes.size() * sizeof(uint32_t));
  return static_cast<int32_t>(codes.size());
}

int32_t ApiListEnabledCodes(DriverContext* ctx, void* data, uint16_t option) { return ListCodes(ctx, data, option, true); }

int32_t RangeLength(DriverContext* ctx, uint16_t option, bool maximum) {
  const ModelNumericValue* record = NumericRecord(ctx, option);
  if (!record) return -1;
  const int32_t dots = maximum ? record->maximum : record->minimum;
  return OptSignedDotsToLength(kLengthTenthMm, dots);
}

// The paper-caps WORD list of a setting widened to u32.
int32_t ListPaperCodes(DriverContext* ctx, void* data, uint16_t setting) {
  const int count = DmCapsPapers(ctx, nullptr, setting);
  if (count <= 0) return count;
  std::vector<WORD> words(static_cast<size_t>(count));
  const int got = DmCapsPapers(ctx, words.data(), setting);
  if (got != count) return -1;
  if (data) {
    uint32_t* out = static_cast<uint32_t*>(data);
    for (int i = 0; i < count; ++i) out[i] = words[static_cast<size_t>(i)];
  }
  return count;
}

// Wide names in slots of `step` characters converted into ANSI slots of `slot` bytes.
int WideSlotsToAnsi(const WCHAR* names, int count, int step, char* out, int slot) {
  for (int i = 0; i < count; ++i) {
    char* dst = out + static_cast<size_t>(i) * slot;
    std::memset(dst, 0, static_cast<size_t>(slot));
    const WCHAR* src = names + static_cast<size_t>(i) * step;
    if (!src[0]) continue;
    if (WideCharToMultiByte(CP_ACP, 0, src, -1, dst, slot - 1, nullptr, nullptr) <= 0) return 0;
    dst[slot - 1] = '\0';
  }
  return 1;
}

int32_t ListPaperNames(DriverContext* ctx, void* data, uint16_t setting, int slot) {
  const int count = DmCapsPapers(ctx, nullptr, setting);
  if (count <= 0 || !data) return count;
  std::vector<WCHAR> names(static_cast<size_t>(count) * 64 + 64, 0);
  if (DmCapsPaperNames(ctx, names.data(), 64, setting) != count) return -1;
  return WideSlotsToAnsi(names.data(), count, 64, static_cast<char*>(data), slot) ? count : -1;
}

// Each selectable value of S named at the position of its code in a full code and name list
// (names in slots of `step` characters); a value without a code takes string 204.
int32_t NameSelectableValues(DriverContext* ctx, void* data, uint16_t option, int slot, const std::vector<WORD>& codes,
                             const std::vector<WCHAR>& names, int step) {
  const int32_t count = ApiListSelectableValues(ctx, nullptr, option);
  if (count <= 0 || !data) return count;
  std::vector<int32_t> values(static_cast<size_t>(count));
  ApiListSelectableValues(ctx, values.data(), option);
  char* out = static_cast<char*>(data);
  for (int32_t i = 0; i < count; ++i) {
    const WCHAR* name = nullptr;
    for (size_t k = 0; k < codes.size(); ++k)
      if (codes[k] == values[static_cast<size_t>(i)]) name = names.data() + k * static_cast<size_t>(step);
    WCHAR fallback[1025] = {};
    if (!name) {
      EnvLoadString(ctx, 204, fallback, 1025, 1);
      name = fallback;
    }
    if (!WideSlotsToAnsi(name, 1, 0, out + static_cast<size_t>(i) * slot, slot)) return -1;
  }
  return count;
}

int32_t ListSelectablePaperNames(DriverContext* ctx, void* data, uint16_t option, int slot) {
  const int32_t count = ApiListSelectableValues(ctx, nullptr, option);
  if (count <= 0 || !data) return count;
  const int all = DmCapsPapers(ctx, nullptr, option);
  if (all < 0) return -1;
  std::vector<WORD> codes(static_cast<size_t>(all));
  std::vector<WCHAR> names((static_cast<size_t>(all) + 1) * 64, 0);
  if (all > 0 && (DmCapsPapers(ctx, codes.data(), option) != all ||
                  DmCapsPaperNames(ctx, names.data(), 64, option) != all))
    return -1;
  return NameSelectableValues(ctx, data, option, slot, codes, names, 64);
}

int32_t ListBinNames(DriverContext* ctx, void* data) {
  const int32_t count = ApiListSelectableValues(ctx, nullptr, kOptDefaultSource);
  if (count <= 0 || !data) return count;
  const int all = DmCapsBins(ctx, nullptr, 0);
  if (all < 0) return -1;
  std::vector<WORD> codes(static_cast<size_t>(all));
  std::vector<WCHAR> names((static_cast<size_t>(all) + 1) * 24, 0);
  if (all > 0 && (DmCapsBins(ctx, codes.data(), 0) != all || DmCapsBinNames(ctx, names.data(), 24, 0) != all))
    return -1;
  return NameSelectableValues(ctx, data, kOptDefaultSource, 24, codes, names, 24);
}

int32_t ApiGetMaxCopies(DriverContext* ctx) {
  const ModelNumericValue* record = NumericRecord(ctx, kOptCopies);
  return record ? record->maximum : (ctx->profile ? static_cast<int32_t>(ctx->profile->copiesMax) : 9999);
}

int32_t Pair(void* data, int16_t first, int16_t second) {
  if (data) {
    int16_t* out = static_cast<int16_t*>(data);
    out[0] = first;
    out[1] = second;
  }
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(second)) << 16) | static_cast<uint16_t>(first));
}

// ---- the handlers ---------------------------------------------------------------------------------

int32_t CapOne(DriverContext*, uint32_t, void*) { return 1; }

// The options behind the plain answers: a list of selectable values, the has-item and offered flags,
// the length ranges and the u16 ranges.
struct OptionCap {
  uint32_t id;
  uint16_t option;
};

constexpr OptionCap kSelectableLists[] = {{2, 13},   {4, 54},   {6, 53},   {15, 46},  {39, 119}, {40, 121},
                                          {41, 120}, {107, 15}, {129, 700}, {130, 703}};
constexpr OptionCap kCodeLists[] = {{18, 209}, {47, 173}, {266, 177}, {268, 178}};
constexpr OptionCap kHasItem[] = {{42, 183}, {44, 187}, {46, 202}, {48, 194}, {55, 144}, {60, 128}, {62, 138},
                                  {63, 139}, {64, 140}, {65, 141}, {69, 385}, {70, 163}, {71, 100}, {72, 193},
                                  {73, 174}, {257, 129}, {270, 176}, {273, 154}, {280, 196}};
// flags 1 (offered), 3 (offered fully) or 2 (unrestricted)
struct OfferedCap {
  uint32_t id;
  uint16_t option;
  int flags;
};
constexpr OfferedCap kOffered[] = {
    {31, 60, 1},   {43, 184, 1},  {53, 217, 1},  {78, 1130, 1}, {79, 103, 1},  {84, 79, 1},    {87, 603, 1},
    {88, 388, 1},  {94, 197, 1},  {96, 66, 1},   {97, 70, 1},   {99, 69, 1},   {101, 681, 1},  {108, 539, 1},
    {111, 81, 1},  {112, 693, 1}, {117, 395, 1}, {119, 396, 1}, {120, 10358, 1}, {150, 552, 1}, {52, 213, 3},
    {80, 532, 3},  {81, 533, 3},  {102, 682, 3}, {121, 218, 3}, {122, 219, 3}, {123, 220, 3},  {145, 71, 3},
    {128, 549, 2}, {146, 550, 2}, {149, 78, 2}};
struct RangeCap {
  uint32_t id;
  uint16_t option;
  bool maximum;
};
constexpr RangeCap kLengthRanges[] = {{26, 98, true},   {27, 98, false},  {28, 99, true},   {29, 99, false},
                                      {35, 96, true},   {36, 96, false},  {37, 97, true},   {38, 97, false},
                                      {113, 693, true}, {114, 693, false}, {115, 694, true}, {116, 694, false}};
constexpr RangeCap kWordRanges[] = {{258, 138, true}, {259, 138, false}, {260, 139, true}, {261, 139, false},
                                    {262, 140, true}, {263, 140, false}, {264, 141, true}, {265, 141, false}};

template <typename Row, size_t N>
const Row* FindCap(const Row (&rows)[N], uint32_t id) {
  for (const Row& r : rows)
    if (r.id == id) return &r;
  return nullptr;
}

int32_t CapSelectableList(DriverContext* ctx, uint32_t id, void* data) {
  return ApiListSelectableValues(ctx, data, FindCap(kSelectableLists, id)->option);
}
int32_t CapCodeList(DriverContext* ctx, uint32_t id, void* data) {
  const uint16_t option = FindCap(kCodeLists, id)->option;
  if (id == 18) {
    OptSetValue(ctx, 740, RegIsAddOnInstalled(2, ctx) ? 1 : 0);
    OptSetValue(ctx, 728, RegIsAddOnInstalled(8, ctx) ? 1 : 0);
  }
  const int32_t n = ApiListEnabledCodes(ctx, data, option);
  return n;
}
int32_t CapHasItem(DriverContext* ctx, uint32_t id, void*) { return ApiHasItem(ctx, FindCap(kHasItem, id)->option); }
int32_t CapOffered(DriverContext* ctx, uint32_t id, void*) {
  const OfferedCap* row = FindCap(kOffered, id);
  return ApiIsOptionAvailable(ctx, row->option, 0, row->flags);
}
int32_t CapLengthRange(DriverContext* ctx, uint32_t id, void*) {
  const RangeCap* row = FindCap(kLengthRanges, id);
  return RangeLength(ctx, row->option, row->maximum);
}
int32_t CapWordRange(DriverContext* ctx, uint32_t id, void*) {
  const RangeCap* row = FindCap(kWordRanges, id);
  const ModelNumericValue* record = NumericRecord(ctx, row->option);
  if (!record) return 65535;
  return static_cast<uint16_t>(row->maximum ? record->maximum : record->minimum);
}

int32_t CapBinNames(DriverContext* ctx, uint32_t, void* data) { return ListBinNames(ctx, data); }
int32_t CapMediaNames(DriverContext* ctx, uint32_t id, void* data) {
  return ListSelectablePaperNames(ctx, data, kApiOptMediaType, id == 5 ? 64 : 260);
}
int32_t CapTrayNames(DriverContext* ctx, uint32_t, void* data) {
  return ListSelectablePaperNames(ctx, data, kOptOutputTrayId, 64);
}
int32_t CapOutPaperNames(DriverContext* ctx, uint32_t, void* data) {
  return ListSelectablePaperNames(ctx, data, kApiOptOutPaperSize, 64);
}

// 8: colour when the machine type says so, unless the colour lock holds.
int32_t CapColor(DriverContext* ctx, uint32_t, void*) {
  if (OptGetValue(ctx, 236, nullptr) != 1) return 0;
  if (!(FmIsFeatureEnabled(ctx, 2, 0) && OptIsColorLocked(ctx))) return 1;
  return OptGetValue(ctx, 1243, nullptr) == 2 ? 1 : 0;
}
int32_t CapLandscape(DriverContext* ctx, uint32_t, void*) { return CtxGetLandscapeAngle(ctx) != 0 ? 1 : 0; }
int32_t CapPapers(DriverContext* ctx, uint32_t, void* data) { return ListPaperCodes(ctx, data, kCapsPaperSetting); }
int32_t CapPaperNames(DriverContext* ctx, uint32_t, void* data) { return ListPaperNames(ctx, data, kCapsPaperSetting, 64); }
int32_t CapPaperSizes(DriverContext* ctx, uint32_t, void* data) {
  const int count = DmCapsPapers(ctx, nullptr, kCapsPaperSetting);
  if (count <= 0 || !data) return count;
  std::vector<POINT> sizes(static_cast<size_t>(count));
  if (DmCapsPaperSizes(ctx, sizes.data(), kCapsPaperSetting) != count) return -1;
  int32_t* out = static_cast<int32_t*>(data);
  for (int i = 0; i < count; ++i) {
    out[2 * i] = sizes[static_cast<size_t>(i)].x;
    out[2 * i + 1] = sizes[static_cast<size_t>(i)].y;
  }
  return count;
}
int32_t CapExtent(DriverContext* ctx, uint32_t id, void* data) {
  POINTS extent{};
  DmCapsExtent(ctx, &extent, id == 13 ? kCapsMaxExtent : kCapsMinExtent);
  return Pair(data, extent.x, extent.y);
}
int32_t CapMaxCopies(DriverContext* ctx, uint32_t, void*) { return ApiGetMaxCopies(ctx); }
int32_t CapScaleKinds(DriverContext* ctx, uint32_t, void*) {
  uint32_t codes[256];
  const int32_t n = ListCodes(ctx, nullptr, kApiOptScaleType, false);
  if (n < 0 || n > 256) return -1;
  ListCodes(ctx, codes, kApiOptScaleType, false);
  for (int32_t i = 0; i < n; ++i)
    if (codes[i] >= 1 && codes[i] <= 3) return 1;
  return 0;
}
int32_t CapScaleRange(DriverContext* ctx, uint32_t id, void* data) {
  const ModelNumericValue* h = NumericRecord(ctx, kApiOptScaleH);
  const ModelNumericValue* v = NumericRecord(ctx, kApiOptScaleV);
  if (!h || !v) return -1;
  const bool maximum = id == 20;
  return Pair(data, static_cast<int16_t>(maximum ? h->maximum : h->minimum),
              static_cast<int16_t>(maximum ? v->maximum : v->minimum));
}
int32_t CapCover(DriverContext* ctx, uint32_t, void*) {
  return ApiIsOptionAvailable(ctx, 65, 0, 1) && OptCanCollate(ctx) ? 1 : 0;
}
int32_t CapMark(DriverContext* ctx, uint32_t, void*) {
  if (!ApiIsOptionAvailable(ctx, 64, 0, 1)) return 0;
  int32_t bins[256];
  const int32_t n = ApiListSelectableValues(ctx, nullptr, kOptDefaultSource);
  if (n <= 0 || n > 256) return 0;
  ApiListSelectableValues(ctx, bins, kOptDefaultSource);
  int others = 0;
  for (int32_t i = 0; i < n; ++i) others += bins[i] != 7;
  return others > 1 ? 1 : 0;
}
int32_t CapDuplex(DriverContext* ctx, uint32_t, void*) {
  if (FmIsFeatureEnabled(ctx, 2, 0) && OptIsDuplexLocked(ctx)) return 1;
  return OptIsDuplexInstalled(ctx);
}
int32_t CapEmulation(DriverContext* ctx, uint32_t, void* data) {
  if (ctx->profile && ctx->profile->modelVariant == 1) {
    SetApiLastError(ctx, kApiErrListNotOffered);
    return -1;
  }
  return ApiListEnabledCodes(ctx, data, 201);
}
int32_t CapAddOnTool(DriverContext* ctx, uint32_t, void*) { return RegIsAddOnInstalled(2, ctx) ? 1 : 0; }
int32_t CapHdd(DriverContext* ctx, uint32_t, void*) { return OptGetValue(ctx, 10070, nullptr) != 0 ? 1 : 0; }
int32_t CapResolutions(DriverContext* ctx, uint32_t, void* data) {
  return DmCapsResolutionList(ctx, static_cast<int32_t*>(data), 1);
}
int32_t CapFunctionBit2(DriverContext* ctx, uint32_t, void*) { return (ApiGetApiFunctionBits(ctx) & 4) ? 1 : 0; }
int32_t CapFinishingCodes(DriverContext* ctx, uint32_t id, void* data) {
  if (ApiQueryCapability(ctx, id == 66 ? 40 : 41, nullptr) == 0) return 0;
  const int32_t n = ApiListEnabledCodes(ctx, data, id == 66 ? kApiOptStapleType : kApiOptPunchType);
  return n < 0 ? 0 : n;
}
int32_t CapVersionAbove(DriverContext*, uint32_t id, void*) {
  return ApiGetVersion() > (id == 74 ? 9 : 12) ? 1 : 0;
}
int32_t CapFolding(DriverContext* ctx, uint32_t, void* data) {
  const bool unit = OptGetValue(ctx, 10290, nullptr) != 0;
  if (data) {
    uint32_t* out = static_cast<uint32_t*>(data);
    out[0] = 0;
    if (unit)
      for (uint32_t i = 1; i <= 3; ++i) out[i] = i;
  }
  return unit ? 4 : 1;
}
// 76: the largest separation-sheet cycle, when separation sheets are offered.
int32_t CapSeparationSheet(DriverContext* ctx, uint32_t, void*) {
  if (!ApiIsOptionAvailable(ctx, kApiOptSeparationSheet, 0, 1)) return 0;
  const ModelNumericValue* record = NumericRecord(ctx, kApiOptSeparationSheetCycle);
  if (!record) return -1;
  return static_cast<int16_t>(record->maximum);
}
int32_t CapControls77(DriverContext* ctx, uint32_t, void* data) {
  uint32_t out[2];
  int32_t n = 0;
  if (ApiIsControlUsable(ctx, 1022, 2878, 3)) out[n++] = 1;
  if (ApiIsControlUsable(ctx, 1023, 2879, 3)) out[n++] = 2;
  if (data && n) std::memcpy(data, out, sizeof(uint32_t) * static_cast<size_t>(n));
  return n;
}
int32_t CapMediaOffered(DriverContext* ctx, uint32_t, void*) {
  for (uint16_t option : {406, 407, 408, 409, 411})
    if (ApiIsOptionAvailable(ctx, option, 0, 1)) return 1;
  return 0;
}
int32_t CapChapterMax(DriverContext* ctx, uint32_t, void*) {
  return ApiIsOptionAvailable(ctx, kApiOptFuncSelectChapter, 0, 1) ? OptGetValue(ctx, kApiOptChapterMax, nullptr) : 0;
}
int32_t CapCornerCodes(DriverContext* ctx, uint32_t, void* data) {
  if (ApiQueryCapability(ctx, 108, nullptr) == 0) return 0;
  const int32_t n = ApiListEnabledCodes(ctx, data, 692);
  return n < 0 ? 0 : n;
}
int32_t CapMarginOverlap(DriverContext* ctx, uint32_t, void*) {
  return ApiQueryCapability(ctx, 108, nullptr) && ApiIsOptionAvailable(ctx, 80, 0, 1) ? 1 : 0;
}
int32_t CapFunctionBit200(DriverContext* ctx, uint32_t, void*) {
  return ApiGetVersion() >= 15 && (ApiGetApiFunctionBits(ctx) & 0x200) ? 1 : 0;
}
// 34: the margin shift can be given as a length.
int32_t CapShiftMarginRange(DriverContext* ctx, uint32_t, void*) {
  return (MdlGetItemType(kApiOptShiftMarginY, ctx) & 0xFF) == 8 ? 1 : 0;
}
int32_t CapMachineType(DriverContext* ctx, uint32_t, void*) { return OptGetValue(ctx, 236, nullptr); }
int32_t CapSpecialB(DriverContext* ctx, uint32_t, void*) {
  return ApiGetVersion() > 16 && (ApiGetApiFunctionBits(ctx) & 0x400) ? 1 : 0;
}
int32_t CapSpecialC(DriverContext* ctx, uint32_t, void*) {
  return ApiGetVersion() > 17 && FmIsFeatureEnabled(ctx, 2, 0) && OptIsHeaderFooterLocked(ctx) ? 1 : 0;
}

// ---- watermarks, presets, quality entries and the other listed answers ----------------------------

constexpr uint16_t kOptWmKind = 117;
constexpr uint16_t kOptWmId = 118;
constexpr uint16_t kOptWmImageName = 955;
constexpr uint16_t kOptUserSetName = 950;
constexpr uint32_t kWatermarkKindList[] = {1, 2, 3, 128};
constexpr int kNameSlot = 64;

// An option's text in an ANSI slot of `slot` bytes (cut to slot - 1); 0 when it cannot be converted.
int OptionTextToSlot(DriverContext* ctx, uint16_t option, char* out, int slot) {
  std::memset(out, 0, static_cast<size_t>(slot));
  OptionEntry* row = OptFind(ctx, option);
  if (!row) return 1;
  WCHAR text[1025] = {};
  OptGetStringValue(ctx, row, text, 1024);
  return WideSlotsToAnsi(text, 1, 0, out, slot);
}

int32_t WriteList(void* data, const std::vector<uint32_t>& values) {
  if (data && !values.empty()) std::memcpy(data, values.data(), values.size() * sizeof(uint32_t));
  return static_cast<int32_t>(values.size());
}

// The settings are loaded from stored entries while a list is made and put back afterwards.
class SnapshotGuard {
 public:
  explicit SnapshotGuard(DriverContext* ctx) : ctx_(ctx) { DmPushSnapshot(ctx); }
  ~SnapshotGuard() { DmPopSnapshot(ctx_, 1); }
  SnapshotGuard(const SnapshotGuard&) = delete;
  SnapshotGuard& operator=(const SnapshotGuard&) = delete;

 private:
  DriverContext* ctx_;
};

// zdmAdjustMode held at 0 while the colour lists are made.
class AdjustModeOff {
 public:
  explicit AdjustModeOff(DriverContext* ctx) : ctx_(ctx), was_(OptGetValue(ctx, kApiOptAdjustMode, nullptr) == 1) {
    if (was_) OptSetValue(ctx, kApiOptAdjustMode, 0);
  }
  ~AdjustModeOff() {
    if (was_) OptSetValue(ctx_, kApiOptAdjustMode, 1);
  }
  AdjustModeOff(const AdjustModeOff&) = delete;
  AdjustModeOff& operator=(const AdjustModeOff&) = delete;

 private:
  DriverContext* ctx_;
  bool was_;
};

bool WatermarksOffered(DriverContext* ctx) { return ApiQueryCapability(ctx, 31, nullptr) != 0; }

// 30: the watermark kinds a caller may ask for.
int32_t CapWatermarkKinds(DriverContext* ctx, uint32_t, void* data) {
  if (!WatermarksOffered(ctx)) return 0;
  std::vector<uint32_t> kinds;
  for (uint32_t kind : kWatermarkKindList) {
    if (kind == 3 && !ApiIsControlUsable(ctx, 1003, 2407, 1)) continue;
    if (kind == 128 && !(ApiGetVersion() >= 3 && (ApiGetApiFunctionBits(ctx) & 1))) continue;
    kinds.push_back(kind);
  }
  return WriteList(data, kinds);
}

// 32: the interface's slot (256), then the number + 1 of every stored watermark.
int32_t CapWatermarkIds(DriverContext* ctx, uint32_t, void* data) {
  if (!WatermarksOffered(ctx)) return 0;
  std::vector<uint32_t> ids{256};
  SnapshotGuard snapshot(ctx);
  const int count = CfgGetStampCount(ctx);
  for (int i = 0; i < count && i < static_cast<int>(kMaxListEntries); ++i) {
    CfgLoadStamp(ctx, i);
    ids.push_back(static_cast<uint32_t>(OptGetValue(ctx, kOptWmId, nullptr) + 1));
  }
  return WriteList(data, ids);
}

// 33: an empty first name (the interface's slot), then the text or image name of each watermark.
int32_t CapWatermarkNames(DriverContext* ctx, uint32_t, void* data) {
  if (!WatermarksOffered(ctx)) return 0;
  const int count = std::min(CfgGetStampCount(ctx), static_cast<int>(kMaxListEntries));
  if (!data) return count + 1;
  char* out = static_cast<char*>(data);
  std::memset(out, 0, kNameSlot);
  SnapshotGuard snapshot(ctx);
  int32_t result = count + 1;
  for (int i = 0; i < count; ++i) {
    char* slot = out + static_cast<size_t>(i + 1) * kNameSlot;
    std::memset(slot, 0, kNameSlot);
    CfgLoadStamp(ctx, i);
    const int32_t kind = OptGetValue(ctx, kOptWmKind, nullptr);
    const uint16_t option = kind == 1 || kind == 128 ? kApiOptWmCharName : kind == 2 || kind == 3 ? kOptWmImageName : 0;
    if (option && !OptionTextToSlot(ctx, option, slot, kNameSlot)) result = -1;
  }
  return result;
}

// 56: the mark paper types and a final 0, or just 1 and 0 when the model has no usable item.
int32_t CapMarkPaperTypes(DriverContext* ctx, uint32_t, void* data) {
  if (ApiQueryCapability(ctx, 23, nullptr) == 0) return 0;
  const ModelItem* item = MdlFindActiveItem(kApiOptMarkPaperType, ctx);
  if (item && MdlIsDisabled(item, 0, ctx) != 1) {
    const int32_t n = ApiListEnabledCodes(ctx, nullptr, kApiOptMarkPaperType);
    if (n < 0) return -1;
    if (data) {
      ApiListEnabledCodes(ctx, data, kApiOptMarkPaperType);
      static_cast<uint32_t*>(data)[n] = 0;
    }
    return n + 1;
  }
  return WriteList(data, {1, 0});
}

// The codes of a colour option with zdmAdjustMode held at 0; -1 when they fail.
int32_t HeldColourCodes(DriverContext* ctx, uint16_t option, std::vector<uint32_t>& out) {
  AdjustModeOff hold(ctx);
  const int32_t n = ApiListEnabledCodes(ctx, nullptr, option);
  if (n <= 0) return -1;
  out.resize(static_cast<size_t>(n));
  ApiListEnabledCodes(ctx, out.data(), option);
  return n;
}

// 61: colour modes, with 255 when the driver-defaults file allows it.
int32_t CapColourModes(DriverContext* ctx, uint32_t, void* data) {
  std::vector<uint32_t> codes;
  if (HeldColourCodes(ctx, kApiOptColorMode, codes) < 0) return 0;
  if (ApiGetApiFunctionBits(ctx) & 2) codes.push_back(255);
  return WriteList(data, codes);
}

int32_t CmmEntryCount(DriverContext* ctx) {
  int32_t count = 0;
  ApiChapterService(ctx, 0, &count);
  return std::clamp<int32_t>(count, 0, 1000);
}

// 281: colour-matching modes, then 200, 201, ... one per user entry.
int32_t CapColourMatchingModes(DriverContext* ctx, uint32_t, void* data) {
  std::vector<uint32_t> codes;
  if (HeldColourCodes(ctx, kApiOptColorMatchingMode, codes) < 0) return 0;
  const int32_t entries = CmmEntryCount(ctx);
  for (int32_t i = 0; i < entries; ++i) codes.push_back(200u + static_cast<uint32_t>(i));
  return WriteList(data, codes);
}

// The short name that stands for a value text in the names of the macro lists.
constexpr struct {
  uint16_t valueText;
  uint16_t shortName;
} kShortNameTable[] = {
#include "short_name_rows.inc"
};

uint16_t ShortNameOf(uint32_t valueText) {
  for (const auto& row : kShortNameTable)
    if (row.valueText == valueText) return row.shortName;
  return 0;
}

// The names of the enabled codes of S: mode 1 the value's text, mode 0 its short name.
int32_t ApiListCodeNames(DriverContext* ctx, void* data, uint16_t option, int slot, int mode) {
  const int32_t n = ApiListEnabledCodes(ctx, nullptr, option);
  if (n <= 0) return -1;
  if (!data) return n;
  std::vector<uint32_t> codes(static_cast<size_t>(n));
  ApiListEnabledCodes(ctx, codes.data(), option);
  const OptionEntry* row = OptFind(ctx, option);
  const ValueTextPair* pairs = row ? OptValueListInUse(ctx, row) : nullptr;
  char* out = static_cast<char*>(data);
  int32_t result = n;
  for (int32_t i = 0; i < n; ++i) {
    char* dst = out + static_cast<size_t>(i) * slot;
    std::memset(dst, 0, static_cast<size_t>(slot));
    for (const ValueTextPair* p = pairs; p && p->valueId; ++p) {
      if (static_cast<uint32_t>(p->value) != codes[static_cast<size_t>(i)]) continue;
      const uint32_t stringId = mode == 1 ? p->valueId : ShortNameOf(p->valueId);
      if (!stringId) continue;
      WCHAR text[1025] = {};
      EnvLoadString(ctx, stringId, text, 1025, 1);
      if (!WideSlotsToAnsi(text, 1, 0, dst, slot)) result = -1;
      if (mode == 1) break;
    }
  }
  return result;
}

int32_t CapShortNames(DriverContext* ctx, uint32_t id, void* data) {
  return ApiListCodeNames(ctx, data, id == 267 ? kApiOptPrintMacro : kApiOptBalanceMacro, kNameSlot, 0);
}

// 282: colour-matching mode names, then the names of the user entries.
int32_t CapColourMatchingNames(DriverContext* ctx, uint32_t, void* data) {
  int32_t n;
  {
    AdjustModeOff hold(ctx);
    n = ApiListCodeNames(ctx, data, kApiOptColorMatchingMode, kNameSlot, 1);
  }
  if (n < 0) return n;
  const int32_t entries = CmmEntryCount(ctx);
  if (!data) return n + entries;
  char* out = static_cast<char*>(data);
  for (int32_t i = 0; i < entries; ++i) {
    struct {
      int32_t index;
      WCHAR name[260];
    } request{};
    request.index = i;
    ApiChapterService(ctx, 1, &request);
    request.name[259] = 0;
    if (!WideSlotsToAnsi(request.name, 1, 0, out + static_cast<size_t>(n + i) * kNameSlot, kNameSlot)) return -1;
  }
  return n + entries;
}

// 82: authentication: 1, or 2 when the secure mode can be chosen too.
int32_t CapAuthentication(DriverContext* ctx, uint32_t, void*) {
  if (!ApiIsOptionAvailable(ctx, kOptAuthMode, 0, 1)) return 0;
  const DialogDescriptor* dialog = OptFindDialog(ctx, 4019);
  if (dialog && ApiIsKeyDisabled(ctx, dialog->nameIndex, 0) != 1 && ApiIsOptionAvailable(ctx, kOptAuthSecureMode, 0, 1))
    return 2;
  return 1;
}

// 83, 90, 91: the longest text the model's item takes (the second word of its value record).
int32_t CapTextLength(DriverContext* ctx, uint32_t id, void*) {
  const uint16_t option = id == 83 ? 207 : id == 90 ? 1144 : 1145;
  const ModelItem* item = ApiFindOptionItem(ctx, option);
  if (!item || !item->values) return 0;
  const ModelStringValue* record = MdlImageAt<ModelStringValue>(ctx->modelImage, item->values);
  return record ? record->maxChars : 0;
}

int32_t CapAuthModeValue(DriverContext* ctx, uint32_t, void*) {
  return ApiIsOptionAvailable(ctx, kOptAuthMode, 0, 1) ? OptGetValue(ctx, kOptAuthMode, nullptr) : 0;
}

int32_t CapAuthModes(DriverContext* ctx, uint32_t, void* data) {
  if (!ApiIsOptionAvailable(ctx, kOptAuthMode, 0, 1)) return 0;
  std::vector<uint32_t> modes{0, 1};
  if (ApiQueryCapability(ctx, 82, nullptr) == 2) modes.push_back(2);
  return WriteList(data, modes);
}

// 85: the preset numbers; 86: their names from the printer's section of the settings file.
int32_t CapPresetNumbers(DriverContext* ctx, uint32_t, void* data) {
  std::vector<uint32_t> numbers;
  const int count = std::min(CfgGetPresetCount(ctx), static_cast<int>(kMaxListEntries));
  for (int i = 1; i <= count; ++i) numbers.push_back(static_cast<uint32_t>(i));
  return WriteList(data, numbers);
}

int32_t CapPresetNames(DriverContext* ctx, uint32_t, void* data) {
  const int count = std::min(CfgGetPresetCount(ctx), static_cast<int>(kMaxListEntries));
  if (!data) return count;
  char* out = static_cast<char*>(data);
  for (int i = 0; i < count; ++i) {
    char* slot = out + static_cast<size_t>(i) * kNameSlot;
    std::memset(slot, 0, kNameSlot);
    WCHAR key[kPresetKeyChars] = {};
    CfgPresetKey(key, i, 1);
    WCHAR name[kNameSlot * 2] = {};
    GetPrivateProfileStringW(CfgPrinterSection(ctx), key, u"", name, kNameSlot * 2, PathGetSettingsIni(ctx));
    if (!WideSlotsToAnsi(name, 1, 0, slot, kNameSlot)) {
      // Raw bytes of the text, cut to the slot.
      for (int k = 0; k < kNameSlot - 1 && name[k]; ++k) slot[k] = static_cast<char>(name[k]);
    }
  }
  return count;
}

// 93: the load-share modes the model offers (each status value once).
int32_t CapLoadShareModes(DriverContext*, uint32_t, void* data) {
  constexpr uint32_t kStatusValues[] = {0, 0, 1, 1, 2, 3};
  std::vector<uint32_t> modes;
  for (int row = 0; row < 6; ++row)
    if (ApiIsLoadShareRowMarked(row) && std::find(modes.begin(), modes.end(), kStatusValues[row]) == modes.end())
      modes.push_back(kStatusValues[row]);
  return WriteList(data, modes);
}

bool DuplexOffered(DriverContext* ctx) { return ApiQueryCapability(ctx, 25, nullptr) != 0; }
bool DuplexLocked(DriverContext* ctx) { return FmIsFeatureEnabled(ctx, 2, 0) && OptIsDuplexLocked(ctx); }

// A whole list of S as a vector (empty when S has none or the list fails).
std::vector<uint32_t> ListOf(DriverContext* ctx, uint16_t option, int32_t (*list)(DriverContext*, void*, uint16_t)) {
  std::vector<uint32_t> values;
  const int32_t n = list(ctx, nullptr, option);
  if (n <= 0) return values;
  values.resize(static_cast<size_t>(n));
  list(ctx, values.data(), option);
  return values;
}
std::vector<uint32_t> SelectableOf(DriverContext* ctx, uint16_t option) { return ListOf(ctx, option, ApiListSelectableValues); }
std::vector<uint32_t> CodesOf(DriverContext* ctx, uint16_t option) { return ListOf(ctx, option, ApiListEnabledCodes); }

// 103: duplex types that can be chosen with duplex on; 104: every duplex type.
int32_t CapDuplexTypes(DriverContext* ctx, uint32_t id, void* data) {
  if (!DuplexOffered(ctx)) return 0;
  std::vector<uint32_t> types;
  if (!DuplexLocked(ctx)) types.push_back(0);
  std::vector<uint32_t> more;
  if (id == 103) {
    ApiDevModeTrial trial(ctx);
    if (!trial.Taken()) return -1;
    OptSetValue(ctx, kApiOptFuncSelectDuplex, 1);
    more = SelectableOf(ctx, kApiOptDuplexType);
  } else {
    more = CodesOf(ctx, kApiOptDuplexType);
  }
  types.insert(types.end(), more.begin(), more.end());
  return WriteList(data, types);
}

// 105: layout types that can be chosen, with those of the booklet kind; 106: the layout types of
// every layout kind.
int32_t CapLayoutTypes(DriverContext* ctx, uint32_t id, void* data) {
  ApiDevModeTrial trial(ctx);
  if (!trial.Taken()) return -1;
  std::vector<uint32_t> types;
  if (id == 105) {
    types = SelectableOf(ctx, kApiOptNupType);
    if (OptCheckValue(kApiOptNupPostKind, 9, ctx) == 1) {
      OptSetValue(ctx, kApiOptNupPostKind, 9);
      const std::vector<uint32_t> more = CodesOf(ctx, kApiOptNupType);
      types.insert(types.end(), more.begin(), more.end());
    }
  } else {
    if (!(FmIsFeatureEnabled(ctx, 2, 0) && OptIsNupKindLocked(ctx))) types.push_back(0);
    for (uint32_t kind : CodesOf(ctx, kApiOptNupPostKind)) {
      OptSetValue(ctx, kApiOptNupPostKind, static_cast<int32_t>(kind));
      const std::vector<uint32_t> more = CodesOf(ctx, kApiOptNupType);
      types.insert(types.end(), more.begin(), more.end());
      if (types.size() > kMaxListEntries) return -1;
    }
  }
  return WriteList(data, types);
}

// 124, 125: the largest and smallest paper of the profile in 0.1 mm, inside the custom-size
// ranges of the model.
int32_t CapPaperLimits(DriverContext* ctx, uint32_t id, void* data) {
  const bool maximum = id == 124;
  int32_t width = 0, length = 0;
  if (ctx->profile) {
    width = static_cast<int32_t>(maximum ? ctx->profile->paperMaxWidth : ctx->profile->paperMinWidth);
    length = static_cast<int32_t>(maximum ? ctx->profile->paperMaxLength : ctx->profile->paperMinLength);
  }
  if (const ModelNumericValue* w = NumericRecord(ctx, kOptFreeSizeWidth))
    width = std::clamp(width, std::min(w->minimum, w->maximum), std::max(w->minimum, w->maximum));
  if (const ModelNumericValue* l = NumericRecord(ctx, kOptFreeSizeLength))
    length = std::clamp(length, std::min(l->minimum, l->maximum), std::max(l->minimum, l->maximum));
  if (data) {
    int32_t* out = static_cast<int32_t*>(data);
    out[0] = OptSignedDotsToLength(kLengthTenthMm, width);
    out[1] = OptSignedDotsToLength(kLengthTenthMm, length);
  }
  return 1;
}

// 126: folding with one of the folding units installed.
int32_t CapFoldingUnit(DriverContext* ctx, uint32_t, void*) {
  if (!ApiIsOptionAvailable(ctx, 545, 0, 1)) return 0;
  for (uint16_t option : {10295, 10296, 10297})
    if (OptGetValue(ctx, option, nullptr) != 0) return 1;
  return 0;
}

// A signed length: the magnitude as the answer, 1 in data when it is positive.
int32_t SignedLength(void* data, int32_t length) {
  if (data) *static_cast<uint32_t*>(data) = length > 0 ? 1 : 0;
  return length < 0 ? -length : length;
}

// 131-134, 143, 144, 147, 148: the fixed adjustment lengths; no option of these has a row in
// the core's fixed length table, so each answers a zero length.
int32_t CapFixedLength(DriverContext*, uint32_t, void* data) { return SignedLength(data, 0); }

// 135-142: the cut position ranges in the display unit.
int32_t CapCutRange(DriverContext* ctx, uint32_t id, void* data) {
  const uint16_t option = static_cast<uint16_t>(706 + (id - 135) / 2);
  const bool maximum = (id - 135) % 2 == 0;
  const ModelNumericValue* record = NumericRecord(ctx, option);
  if (!record) return -1;
  return SignedLength(data, OptToDisplayUnits(ctx, 0, maximum ? record->maximum : record->minimum));
}

// 271: 160 (the interface's quality entry), then the user print macro of every quality entry.
int32_t CapQualityMacros(DriverContext* ctx, uint32_t, void* data) {
  std::vector<uint32_t> macros{160};
  if (ApiIsOptionSelectable(ctx, kApiOptUserPrintMacro)) {
    SnapshotGuard snapshot(ctx);
    const int count = std::min(CfgGetQualityCount(ctx), static_cast<int>(kMaxListEntries));
    for (int i = 0; i < count; ++i) {
      CfgLoadQuality(ctx, i);
      macros.push_back(static_cast<uint32_t>(OptGetValue(ctx, kApiOptUserPrintMacro, nullptr)));
    }
  }
  return WriteList(data, macros);
}

// 272: the name of the quality entry behind each entry of 271.
int32_t CapQualityNames(DriverContext* ctx, uint32_t, void* data) {
  const int32_t n = CapQualityMacros(ctx, 271, nullptr);
  if (n <= 0 || !data) return n;
  std::vector<uint32_t> macros(static_cast<size_t>(n));
  CapQualityMacros(ctx, 271, macros.data());
  char* out = static_cast<char*>(data);
  int32_t result = n;
  SnapshotGuard snapshot(ctx);
  for (int32_t i = 0; i < n; ++i) {
    CfgLoadQuality(ctx, static_cast<int>(macros[static_cast<size_t>(i)]) - 32);
    if (!OptionTextToSlot(ctx, kOptUserSetName, out + static_cast<size_t>(i) * kNameSlot, kNameSlot)) result = -1;
  }
  return result;
}

// 274: on which dialog toner saving can be chosen (1: 1006, 2: 1029, 0: none).
int32_t CapTonerSaveDialog(DriverContext* ctx, uint32_t, void*) {
  if (ApiIsItemUsableOnDialog(ctx, kApiOptFuncSelectTonerSave, 1006)) return 1;
  if (ApiIsItemUsableOnDialog(ctx, kApiOptFuncSelectTonerSave, 1029)) return 2;
  return 0;
}

int32_t CapTonerSaveLevels(DriverContext* ctx, uint32_t, void* data) {
  const int32_t where = CapTonerSaveDialog(ctx, 274, nullptr);
  if (where == 0) return 0;
  if (ApiIsItemUsableOnDialog(ctx, kApiOptTonerSave, where == 1 ? 1006 : 1029)) {
    const int32_t n = ApiListEnabledCodes(ctx, data, kApiOptTonerSave);
    return n < 0 ? -1 : n;
  }
  return WriteList(data, {static_cast<uint32_t>(OptGetValue(ctx, kApiOptTonerSave, nullptr))});
}

int32_t CapColourMatching(DriverContext* ctx, uint32_t, void*) {
  const int32_t os = OptGetValue(ctx, kApiOptOSKind, nullptr);
  return os != 0 && os != 1 && ApiHasItem(ctx, kApiOptColorMatching) ? 1 : 0;
}

int32_t CapIcmCodes(DriverContext* ctx, uint32_t id, void* data) {
  if (!CapColourMatching(ctx, 276, nullptr)) return 0;
  const int32_t n = ApiListEnabledCodes(ctx, data, id == 277 ? kApiOptIcmType : kApiOptIcmIntent);
  return n < 0 ? 0 : n;
}

int32_t CapIcmIntentNames(DriverContext* ctx, uint32_t, void* data) {
  if (!CapColourMatching(ctx, 276, nullptr)) return 0;
  return ApiListCodeNames(ctx, data, kApiOptIcmIntent, kNameSlot, 1);
}

struct CapabilityHandlerRow {
  uint32_t id;
  uint16_t availabilityOption;
  CapabilityHandler handler;
};

constexpr CapabilityHandlerRow kCapabilityHandlers[] = {
    {1, 0, CapOne},
    {24, 0, CapOne},
    {3, 0, CapBinNames},
    {5, 0, CapMediaNames},
    {127, 0, CapMediaNames},
    {7, 0, CapTrayNames},
    {8, 236, CapColor},
    {9, 0, CapLandscape},
    {10, 0, CapPapers},
    {11, 0, CapPaperNames},
    {12, 0, CapPaperSizes},
    {13, 0, CapExtent},
    {14, 0, CapExtent},
    {16, 0, CapOutPaperNames},
    {17, 0, CapMaxCopies},
    {19, 0, CapScaleKinds},
    {20, 0, CapScaleRange},
    {21, 0, CapScaleRange},
    {22, 0, CapCover},
    {23, 0, CapMark},
    {25, 0, CapDuplex},
    {kApiCapShiftMarginRange, 0, CapShiftMarginRange},
    {45, 0, CapEmulation},
    {49, 0, CapAddOnTool},
    {50, 0, CapHdd},
    {51, 0, CapHdd},
    {54, 0, CapResolutions},
    {57, 0, CapFunctionBit2},
    {66, 0, CapFinishingCodes},
    {67, 0, CapFinishingCodes},
    {74, 0, CapVersionAbove},
    {95, 0, CapVersionAbove},
    {75, 10290, CapFolding},
    {kApiCapSeparationSheet, 0, CapSeparationSheet},
    {77, 0, CapControls77},
    {98, 0, CapMediaOffered},
    {100, 0, CapChapterMax},
    {109, 0, CapCornerCodes},
    {110, 0, CapMarginOverlap},
    {118, 0, CapFunctionBit200},
    {30, 0, CapWatermarkKinds},
    {32, 0, CapWatermarkIds},
    {33, 0, CapWatermarkNames},
    {56, 0, CapMarkPaperTypes},
    {61, 0, CapColourModes},
    {82, 0, CapAuthentication},
    {83, 0, CapTextLength},
    {90, 0, CapTextLength},
    {91, 0, CapTextLength},
    {85, 0, CapPresetNumbers},
    {86, 0, CapPresetNames},
    {89, 0, CapAuthModeValue},
    {92, 0, CapAuthModes},
    {93, 0, CapLoadShareModes},
    {103, 0, CapDuplexTypes},
    {104, 0, CapDuplexTypes},
    {105, 0, CapLayoutTypes},
    {106, 0, CapLayoutTypes},
    {124, 0, CapPaperLimits},
    {125, 0, CapPaperLimits},
    {126, 0, CapFoldingUnit},
    {131, 0, CapFixedLength},
    {132, 0, CapFixedLength},
    {133, 0, CapFixedLength},
    {134, 0, CapFixedLength},
    {135, 0, CapCutRange},
    {136, 0, CapCutRange},
    {137, 0, CapCutRange},
    {138, 0, CapCutRange},
    {139, 0, CapCutRange},
    {140, 0, CapCutRange},
    {141, 0, CapCutRange},
    {142, 0, CapCutRange},
    {143, 0, CapFixedLength},
    {144, 0, CapFixedLength},
    {147, 0, CapFixedLength},
    {148, 0, CapFixedLength},
    {267, 0, CapShortNames},
    {269, 0, CapShortNames},
    {271, 0, CapQualityMacros},
    {272, 0, CapQualityNames},
    {274, 0, CapTonerSaveDialog},
    {275, 0, CapTonerSaveLevels},
    {276, 0, CapColourMatching},
    {277, 0, CapIcmCodes},
    {278, 0, CapIcmCodes},
    {279, 0, CapIcmIntentNames},
    {281, 0, CapColourMatchingModes},
    {282, 0, CapColourMatchingNames},
    {kCapSpecialMachineType, 0, CapMachineType},
    {kCapSpecialB, 0, CapSpecialB},
    {kCapSpecialC, 0, CapSpecialC},
};

// The availability option of the rows that the dispatcher tests before the handler runs.
constexpr OptionCap kAvailability[] = {{55, 144}, {61, 134}, {64, 140}, {65, 141}, {70, 163}, {72, 193},
                                       {126, 545}, {128, 549}, {145, 71}, {146, 550}, {149, 78}, {262, 140},
                                       {263, 140}, {264, 141}, {265, 141}, {266, 177}, {267, 177}, {268, 178},
                                       {269, 178}};

CapabilityHandler GenericHandler(uint32_t id) {
  if (FindCap(kSelectableLists, id)) return CapSelectableList;
  if (FindCap(kCodeLists, id)) return CapCodeList;
  if (FindCap(kHasItem, id)) return CapHasItem;
  if (FindCap(kOffered, id)) return CapOffered;
  if (FindCap(kLengthRanges, id)) return CapLengthRange;
  if (FindCap(kWordRanges, id)) return CapWordRange;
  return nullptr;
}

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
      if (!r.enabled) return;
      r.handler = GenericHandler(id);
      for (const CapabilityHandlerRow& h : kCapabilityHandlers)
        if (h.id == id) {
          r.availabilityOption = h.availabilityOption;
          r.handler = h.handler;
        }
      if (const OptionCap* a = FindCap(kAvailability, id)) r.availabilityOption = a->option;
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

}  // namespace

int32_t ApiGetCapsCore(DriverContext* ctx, uint32_t id, void* data) {
  if (!ctx) return -1;
  if (id == 0) return ApiGetStatusSupportBitmap(static_cast<uint8_t*>(data));
  if (id == kCapAllCapabilities) return GetAllCapabilities(ctx, static_cast<AllCapabilities**>(data));
  if (id == kCapFreeAllCapabilities) return FreeAllCapabilities(static_cast<AllCapabilities*>(data));
  if (IsIdSupported(kApiKindCapability, id)) return DispatchGetCaps(ctx, id, data);
  return 0;
}

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

int ApiIsListOfMissingItem(DriverContext* ctx, uint32_t id) {
  // The name lists of the value texts, besides the code lists.
  constexpr OptionCap kNamedCodes[] = {{45, 201}, {267, 177}, {269, 178}, {279, 132}, {282, 133}};
  uint16_t option = 0;
  if (const OptionCap* row = FindCap(kCodeLists, id)) option = row->option;
  if (const OptionCap* row = FindCap(kNamedCodes, id)) option = row->option;
  return option && !ApiHasItem(ctx, option) ? 1 : 0;
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
