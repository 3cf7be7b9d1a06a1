// Applying the compact settings block of an incoming device mode: the three whole-settings
// actions, and the byte choices decoded into the packed options, followed by the model's
// Transacts of the options that were set.
#include "compact_settings.h"

#include <cstring>
#include <iterator>

#include "core_memory.h"
#include "device_query.h"
#include "devmode_defaults.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_store.h"

namespace {

// The options the block sets.
namespace id {
constexpr WORD kOrientation = 7;        // dmOrientation
constexpr WORD kCollate = 19;           // dmCollate
constexpr WORD kResolutionW = 38;       // zdmDstResolutionW
constexpr WORD kOutPaperSize = 46;      // zdmOutPaperSize
constexpr WORD kOutputTray = 53;        // zdmOutputTrayID
constexpr WORD kSelectScale = 55;       // zdmFuncSelectScale
constexpr WORD kSelectNup = 56;         // zdmFuncSelectNup
constexpr WORD kSelectDuplex = 58;      // zdmFuncSelectDuplex
constexpr WORD kSelectSort = 61;        // zdmFuncSelectSort
constexpr WORD kSelectPunch = 62;       // zdmFuncSelectPunch
constexpr WORD kSelectStaple = 63;      // zdmFuncSelectStaple
constexpr WORD kScaleType = 87;         // zdmScaleType
constexpr WORD kScaleH = 89;            // zdmScaleH
constexpr WORD kNupKind = 91;           // zdmNUPPOSTKind
constexpr WORD kNupType = 92;           // zdmNUPType
constexpr WORD kDuplexType = 94;        // zdmDuplexType
constexpr WORD kSortType = 119;         // zdmSortType
constexpr WORD kPunchType = 120;        // zdmPunchType
constexpr WORD kStapleType = 121;       // zdmStapleType
constexpr WORD kExtPrintArea = 173;     // zdmExtPrintArea
constexpr WORD kTesmarin = 727;         // zdmTesmarin
}  // namespace id

constexpr WORD kListEnd = 0xFFFF;

// In mask order; nineteen options.
constexpr WORD kPackedOptions[] = {
    id::kTesmarin,    id::kResolutionW, id::kOutPaperSize, id::kOutputTray, id::kSelectScale,
    id::kSelectNup,   id::kSelectDuplex, id::kSelectSort,  id::kSelectPunch, id::kSelectStaple,
    id::kScaleType,   id::kScaleH,      id::kNupKind,      id::kNupType,     id::kDuplexType,
    id::kSortType,    id::kPunchType,   id::kStapleType,   id::kExtPrintArea, kListEnd,
};
static_assert(std::size(kPackedOptions) == 20);

// The value an unlisted byte writes: no list holds it, so the later checks repair it.
constexpr int32_t kUnlisted = -1;

// The table value of a byte (index = byte - first), or kUnlisted past its end.
template <size_t N>
int32_t Lookup(const int32_t (&table)[N], int byte, int first) {
  const int index = byte - first;
  return index >= 0 && static_cast<size_t>(index) < N ? table[index] : kUnlisted;
}

// Bytes 2-13 into the packed options; the mask of those set.
class BlockDecoder {
 public:
  explicit BlockDecoder(DriverContext* ctx) : ctx_(ctx) {}

  DWORD Apply(const CompactSettings& block) {
    Set(id::kTesmarin, 0);
    OnOffType(block.duplex, id::kSelectDuplex, id::kDuplexType, {1, 2, 3});
    OnOffType(block.sort, id::kSelectSort, id::kSortType, {1, 4, 6});
    // The public collation follows the sort switch, whatever the byte said.
    OptSetValue(ctx_, id::kCollate, OptGetValue(ctx_, id::kSelectSort, nullptr) != 0 ? 1 : 0);
    OnOffType(block.punch, id::kSelectPunch, id::kPunchType, {1, 2, 3});
    Staple(block.staple);
    OutputTray(block.outputTray);
    if (block.resolution != 0) {
      static constexpr int32_t kResolutions[] = {400, 600, 1200};
      Set(id::kResolutionW, Lookup(kResolutions, block.resolution, 1));
    }
    if (block.printArea != 0) {
      static constexpr int32_t kAreas[] = {0, 1};
      Set(id::kExtPrintArea, Lookup(kAreas, block.printArea, 1));
    }
    Zoom(static_cast<WORD>(block.zoom[0] | block.zoom[1] << 8));
    Nup(block.nup);
    if (block.outputPaper != 0) {
      static constexpr int32_t kPapers[] = {8,  9, 11, 70, 12,  13,  88, 1,         5,         43,
                                            6,  3, 267, 268, 66, kUnlisted, kUnlisted, 269};
      Set(id::kOutPaperSize, Lookup(kPapers, block.outputPaper, 1));
    }
    return mask_;
  }

 private:
  void Set(WORD option, int32_t value) { mask_ |= DmSetPackedOption(ctx_, option, value); }

  // 0 no change, 1 off, 2-4 on with the type of the byte; another byte leaves the switch and
  // writes an unlisted type.
  void OnOffType(BYTE byte, WORD onOff, WORD type, const int32_t (&types)[3]) {
    if (byte == 0) return;
    if (byte == 1) {
      Set(onOff, 0);
      return;
    }
    const int32_t value = Lookup(types, byte, 2);
    if (value != kUnlisted) Set(onOff, 1);
    Set(type, value);
  }

  void Staple(BYTE byte) {
    if (byte == 0) return;
    if (byte == 1) {
      Set(id::kSelectStaple, 0);
      return;
    }
    static constexpr int32_t kTypes[] = {34, 33, 50, 49, 50, 49, 65, 67, 66, 50, 49};
    Set(id::kSelectStaple, 1);
    Set(id::kStapleType, Lookup(kTypes, byte, 2));
  }

  void OutputTray(BYTE byte) {
    if (byte == 0) return;
    const FinisherCodeEntry* finisher = OptFindInstalledFinisher(ctx_);
    // A finisher without that tray has no code: the choice is not available.
    auto code = [](uint16_t c) { return c == kFinisherCodeNone ? kUnlisted : static_cast<int32_t>(c); };
    const int32_t trays[] = {0,  2,  13, 4,  15, 16, 17, 18, 19, 20, 21, 22, 23,
                             finisher ? code(finisher->codeB) : 0, finisher ? code(finisher->codeA) : 0, 14, 1};
    Set(id::kOutputTray, Lookup(trays, byte, 1));
  }

  void Zoom(WORD zoom) {
    if (zoom == 0) return;
    static constexpr int32_t kFixed[] = {67, 70, 75, 80, 88, 100, 115};
    const int32_t fixed = Lookup(kFixed, zoom, 16385);
    Set(id::kSelectScale, 1);
    Set(id::kScaleType, 1);
    Set(id::kScaleH, fixed != kUnlisted ? fixed : zoom);
  }

  void Nup(BYTE byte) {
    if (byte == 0) return;
    if (byte == 1) {
      Set(id::kSelectNup, 0);
      return;
    }
    const bool landscape = OptGetValue(ctx_, id::kOrientation, nullptr) == kDmOrientLandscape;
    static constexpr int32_t kKinds[] = {1, 1, 2, 2, 2, 2};
    const int32_t types[] = {landscape ? 3 : 1, 2, 33, 34, 37, 38};
    Set(id::kSelectNup, 1);
    Set(id::kNupKind, Lookup(kKinds, byte, 2));
    Set(id::kNupType, Lookup(types, byte, 2));
  }

  DriverContext* ctx_;
  DWORD mask_ = 0;
};

void CopyWorkingTo(DriverContext* ctx, DEVMODEW* dm) {
  std::memcpy(dm, DmWorking(ctx), kFullDevModeSize);
}

// The context's device mode from the device's configuration; 0 when the query failed.
int TakeFromDevice(DriverContext* ctx, DEVMODEW* dm) {
  if (!BidiUpdateFromDeviceQuiet(ctx)) return 0;
  CopyWorkingTo(ctx, dm);
  return 1;
}

}  // namespace

const WORD* DmPackedOptions() { return kPackedOptions; }

DWORD DmSetPackedOption(DriverContext* ctx, WORD option, int32_t value) {
  for (int bit = 0; kPackedOptions[bit] != kListEnd; ++bit) {
    if (kPackedOptions[bit] != option) continue;
    OptSetValue(ctx, option, value);
    return DWORD{1} << bit;
  }
  return 0;
}

void DmRunPackedTransacts(DriverContext* ctx, DWORD mask) {
  for (int bit = 0; kPackedOptions[bit] != kListEnd; ++bit) {
    if (!(mask & (DWORD{1} << bit))) continue;
    if (const ModelItem* item = MdlFindActiveItem(kPackedOptions[bit], ctx)) MdlRunItemTransact(item, ctx);
  }
}

int DmImportCompactSettings(DriverContext* ctx, DEVMODEW* dm) {
  if (!ctx || !dm) return 1;
  CompactSettings block;
  std::memcpy(&block, reinterpret_cast<const BYTE*>(dm) + kDmAtCompactSettings, sizeof block);
  if (block.valid != kCompactValid) return 1;
  DEVMODEW* working = DmWorking(ctx);
  if (!working || !ctx->workArea) return 0;
  ctx->workArea->mergeFlags |= kMergeCompactImported;

  switch (block.action) {
    case kCompactActionDefaults:
      DmInitFromModel(ctx);
      CopyWorkingTo(ctx, dm);
      return 1;
    case kCompactActionQueryDevice:
      return TakeFromDevice(ctx, dm);
    case kCompactActionDefaultsAndDevice:
      DmInitFromModel(ctx);
      CfgLoadOptionClass(ctx->printer, ctx, 2, 0);
      CopyWorkingTo(ctx, dm);
      return TakeFromDevice(ctx, dm);
    default:
      break;
  }

  // The choices are made on the incoming device mode in the context's place, so that the
  // model's rules see it; the context's own device mode comes back afterwards.
  auto* saved = static_cast<BYTE*>(CtxAllocMem(kFullDevModeSize));
  if (!saved) return 0;
  std::memcpy(saved, working, kFullDevModeSize);
  std::memcpy(working, dm, kFullDevModeSize);

  const DWORD mask = BlockDecoder(ctx).Apply(block);
  DmRunPackedTransacts(ctx, mask);
  auto* workingBytes = reinterpret_cast<BYTE*>(working);
  DmSetResolutionFromOptions(workingBytes, ctx);
  DmSetDuplexFromOptions(workingBytes, ctx);

  std::memcpy(dm, working, kFullDevModeSize);
  std::memcpy(working, saved, kFullDevModeSize);
  MdlFreeMem(saved);
  return 1;
}
