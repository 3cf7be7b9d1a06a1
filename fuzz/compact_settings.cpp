// Imports a compact settings block that came inside an application's device mode into a context
// with a small model (an output-tray item with a rule, a duplex switch), then writes the
// capability summary. The first 32 input bytes are the block; further bytes overlay the private
// options of the incoming device mode. No choice may read or write outside the device modes,
// and the context's own device mode must come back unchanged unless the block asked for the
// model defaults or the device's configuration.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "compact_settings.h"
#include "context_services.h"
#include "core_memory.h"
#include "devmode_defaults.h"
#include "mdl_compile.h"
#include "model_query.h"
#include "option_access.h"
#include "win32/machine.h"

namespace {

constexpr char kModel[] = R"(*FileVersion: 1.00
*OpenUI *ZPD_IDC_PRESET_CHOICE_OUTPUT: PickOne
*DefaultZPD_IDC_PRESET_CHOICE_OUTPUT: IDS_OUTPUT_DEFAULT
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OUTPUT_DEFAULT: "Default"
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OUTPUT_PRINTPOST1: "Post 1"
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OPTION_UDTRAY: "Upper"
*CloseUI: *ZPD_IDC_PRESET_CHOICE_OUTPUT
*OpenUI *ZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE: PickOne
*DefaultZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE: IDS_DUPLEX_LONG
*ZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE IDS_DUPLEX_LONG: "Long"
*ZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE IDS_DUPLEX_SHORT: "Short"
*CloseUI: *ZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE
*Judge 1=ShortEdge: ZPD_IDC_EDIT_CHOICE_DUPLEX_TYPE == IDS_DUPLEX_SHORT
*Item 1=TrayValues: { {IDS_OUTPUT_PRINTPOST1 ShortEdge NULL NULL} }
*Exclusive: { {ZPD_IDC_PRESET_CHOICE_OUTPUT NULL NULL TrayValues NULL NULL NULL NULL} }
)";

std::filesystem::path gMachine;
DriverContext* gCtx = nullptr;
std::vector<BYTE> gFresh;

void Cleanup() {
  if (gCtx) {
    MdlFreeMem(gCtx->modelImage);
    gCtx->modelImage = nullptr;
    CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  }
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

void WriteBlockStarts(BYTE* image) {
  constexpr DWORD kStarts[4] = {0, 0, 1236, 6500};
  for (int block = 1; block <= 3; ++block) {
    image[359 + 2 * block] = static_cast<BYTE>(kStarts[block]);
    image[360 + 2 * block] = static_cast<BYTE>(kStarts[block] >> 8);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-compact-" + std::to_string(getpid()));
  if (zolt::host::Machine::Create(gMachine, zolt::host::MachineFacts{})) zolt::host::Machine::Use(gMachine);
  gCtx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                            kCtxModeUi);
  if (!gCtx) std::abort();
  gCtx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!gCtx->settingsImage || MdlAllocEvalStack(gCtx) != 0) std::abort();
  CompileContext* cc = MdlCompileBytes(kModel, sizeof kModel - 1);
  if (cc) gCtx->modelImage = MdlPackImage(cc);
  BYTE* image = reinterpret_cast<BYTE*>(gCtx->settingsImage);
  WriteBlockStarts(image);
  gFresh.assign(image, image + kSettingsImageSize);
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!gCtx) LLVMFuzzerInitialize(nullptr, nullptr);
  BYTE* image = reinterpret_cast<BYTE*>(gCtx->settingsImage);
  std::memcpy(image, gFresh.data(), kSettingsImageSize);
  gCtx->workArea->mergeFlags = 0;
  gCtx->workArea->evalDepth = 0;

  // The incoming device mode: the context's own, the block, then the overlay after the header.
  std::vector<BYTE> incoming(image, image + kFullDevModeSize);
  std::memcpy(incoming.data() + kDmAtCompactSettings, data, size < sizeof(CompactSettings) ? size : sizeof(CompactSettings));
  constexpr size_t kOptionsAt = kDmPublicSize + sizeof(ZoltDMHeader);
  for (size_t i = sizeof(CompactSettings); i < size && kOptionsAt + i - sizeof(CompactSettings) < kFullDevModeSize; ++i)
    incoming[kOptionsAt + i - sizeof(CompactSettings)] = data[i];

  CompactSettings block;
  std::memcpy(&block, incoming.data() + kDmAtCompactSettings, sizeof block);
  const std::vector<BYTE> ownBefore(image, image + kFullDevModeSize);
  DmImportCompactSettings(gCtx, reinterpret_cast<DEVMODEW*>(incoming.data()));
  const bool wholeSettings = block.valid == kCompactValid &&
                             (block.action == kCompactActionDefaults || block.action == kCompactActionQueryDevice ||
                              block.action == kCompactActionDefaultsAndDevice);
  if (!wholeSettings && std::memcmp(image, ownBefore.data(), kFullDevModeSize) != 0) std::abort();

  DmWriteZcomCaps(gCtx);
  const BYTE* member = image + kDmAtCompactSettings;
  for (size_t i = 0; i < sizeof(CompactSettings); ++i)
    if (member[i] != 0) std::abort();
  if ((image[kDmAtCompactCaps + 7] & 0x02) == 0 || image[kDmAtCompactCaps + 12] != 63) std::abort();
  return 0;
}
