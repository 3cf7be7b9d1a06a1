// The capability summary that goes back to the application with a document's settings: which of
// the compact block's choices the printer can offer now, as bit sets in the block's own coding
// (bit n-1 of the tray and paper bytes stands for block value n).
#include <cstring>

#include "compact_settings.h"
#include "core_memory.h"
#include "device_caps.h"
#include "model_image.h"
#include "model_query.h"
#include "command_table.h"
#include "option_access.h"
#include "option_constants.h"

namespace {

constexpr WORD kOptOutputTray = 53;   // zdmOutputTrayID
constexpr WORD kOptOutPaper = 46;     // zdmOutPaperSize
constexpr WORD kOptSortType = 119;    // zdmSortType
constexpr WORD kOptPunchType = 120;   // zdmPunchType
constexpr WORD kOptStapleType = 121;  // zdmStapleType
constexpr WORD kOptZcomMember = 725;  // zdmZcomMember
constexpr WORD kOptZcomCaps = 726;    // zdmZcomCaps

// A value and the bit (0-based over consecutive summary bytes) that stands for it.
struct ValueBit {
  int32_t value;
  int bit;
};

// Sort types from byte 2, punch types from byte 4, staple types from byte 5, output papers from
// byte 13 on.
constexpr ValueBit kSortBits[] = {{1, 0}, {4, 1}, {6, 2}};
constexpr ValueBit kPunchBits[] = {{1, 0}, {2, 1}, {3, 2}};
constexpr ValueBit kStapleBits[] = {{34, 0}, {33, 1}, {18, 2}, {17, 3}, {2, 4},  {1, 5},
                                    {65, 6}, {67, 7}, {66, 8}, {50, 9}, {49, 10}};
constexpr ValueBit kPaperBits[] = {{8, 0},   {9, 1},   {11, 2}, {70, 3},  {12, 4},  {13, 5},
                                   {88, 6},  {1, 7},   {5, 8},  {43, 9},  {6, 10},  {3, 11},
                                   {267, 12}, {268, 13}, {66, 14}, {269, 17}};
// Trays with a bit of their own, from byte 7 on.
constexpr ValueBit kTrayBits[] = {{0, 0},   {2, 1},   {13, 2},  {4, 3},   {15, 4},  {16, 5},  {17, 6},
                                  {18, 7},  {19, 8},  {20, 9},  {21, 10}, {22, 11}, {23, 12}, {14, 15}};
constexpr int kTrayFinisherBBit = 13;  // a second tray code of a finisher row
constexpr int kTrayFinisherABit = 14;  // a first tray code of a finisher row

void SetBit(BYTE* from, int bit) { from[bit / 8] |= static_cast<BYTE>(1u << (bit % 8)); }

template <size_t N>
bool MarkValue(BYTE* from, const ValueBit (&bits)[N], int32_t value) {
  for (const ValueBit& b : bits) {
    if (b.value != value) continue;
    SetBit(from, b.bit);
    return true;
  }
  return false;
}

// Marks the selectable values of a setting. false out of memory.
template <size_t N>
bool MarkSelectable(DriverContext* ctx, WORD setting, BYTE* from, const ValueBit (&bits)[N]) {
  int32_t local[64];
  int32_t count = 0;
  int32_t* values = local;
  int result = MdlGetSelectableValues(ctx, setting, static_cast<int>(std::size(local)), values, &count);
  if (result == 1) {
    values = static_cast<int32_t*>(CtxAllocMem(static_cast<DWORD>(count) * sizeof(int32_t)));
    if (!values) return false;
    result = MdlGetSelectableValues(ctx, setting, count, values, &count);
  }
  if (result == 0)
    for (int32_t i = 0; i < count; ++i) MarkValue(from, bits, values[i]);
  if (values != local) MdlFreeMem(values);
  return result != -1;
}

// Marks the enabled output trays. false out of memory.
bool MarkTrays(DriverContext* ctx, BYTE* from) {
  const int count = OptListSelectableTrays(ctx, nullptr);
  if (count > 0) {
    auto* trays = static_cast<WORD*>(CtxAllocMem(static_cast<DWORD>(count) * sizeof(WORD)));
    if (!trays) return false;
    const int listed = OptListSelectableTrays(ctx, trays);
    for (int i = 0; i < listed && i < count; ++i) {
      if (MarkValue(from, kTrayBits, trays[i])) continue;
      if (OptIsFinisherCode(trays[i], kFinisherSelectorB)) SetBit(from, kTrayFinisherBBit);
      if (OptIsFinisherCode(trays[i], 0)) SetBit(from, kTrayFinisherABit);
    }
    MdlFreeMem(trays);
  }
  SetBit(from, 1);  // tray 2 is always offered
  return true;
}

// Marks the resolutions whose two directions are equal. false out of memory.
bool MarkResolutions(DriverContext* ctx, BYTE* at) {
  const int count = DmCapsResolutions(ctx, nullptr);
  if (count <= 0) return true;
  auto* pairs = static_cast<int32_t*>(CtxAllocMem(static_cast<DWORD>(count) * 2 * sizeof(int32_t)));
  if (!pairs) return false;
  const int listed = DmCapsResolutions(ctx, pairs);
  for (int i = 0; i < listed && i < count; ++i) {
    if (pairs[2 * i] != pairs[2 * i + 1]) continue;
    static constexpr ValueBit kBits[] = {{400, 0}, {600, 1}, {1200, 2}};
    MarkValue(at, kBits, pairs[2 * i]);
  }
  MdlFreeMem(pairs);
  return true;
}

}  // namespace

int OptListSelectableTrays(DriverContext* ctx, WORD* out) {
  if (!ctx || !ctx->modelImage) return -1;
  const ModelImage* image = ctx->modelImage;
  const ModelItem* item = MdlFindActiveItem(kOptOutputTray, ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemPickOne) return -1;
  const int values = MdlCountList(image, item->values);
  const ModelValue* v = MdlImageAt<ModelValue>(image, item->values);
  int listed = 0;
  for (int i = 0; i < values && v; ++i, v = MdlNextItemValue(image, item, v)) {
    const ValueNameEntry* row = OptFindValueSymbol(kOptOutputTray, v->valueId);
    if (!row || row->kind == 0) return -1;
    if (MdlIsDisabled(item, v->valueId, ctx)) continue;
    if (out) out[listed] = static_cast<WORD>(row->second);
    ++listed;
  }
  return listed > 0 ? listed : -1;
}

int DmBuildZcomCaps(DriverContext* ctx, BYTE caps[kCompactCapsSize]) {
  BYTE built[kCompactCapsSize] = {};
  built[1] = OptIsDuplexInstalled(ctx) ? 7 : 0;
  built[3] = 3;
  built[11] = 1;
  built[12] = 63;
  built[17] = 1;
  if (!MarkSelectable(ctx, kOptSortType, &built[2], kSortBits) ||
      !MarkSelectable(ctx, kOptPunchType, &built[4], kPunchBits) ||
      !MarkSelectable(ctx, kOptStapleType, &built[5], kStapleBits) || !MarkTrays(ctx, &built[7]) ||
      !MarkResolutions(ctx, &built[10]) || !MarkSelectable(ctx, kOptOutPaper, &built[13], kPaperBits))
    return 0;
  std::memcpy(caps, built, kCompactCapsSize);
  return 1;
}

int DmWriteZcomCaps(DriverContext* ctx) {
  BYTE caps[kCompactCapsSize];
  if (!DmBuildZcomCaps(ctx, caps)) return 0;
  OptSetValueBytes(ctx, kOptZcomCaps, caps);
  OptSetValueBytes(ctx, kOptZcomMember, nullptr);
  return 1;
}
