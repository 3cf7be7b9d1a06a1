// The capability table and its dispatcher, behind ZOLTDrvGetCaps.
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
#include "option_values.h"
#include "prn_data.h"

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
