// A caller's device mode of any content and declared sizes, merged into a context of the sample
// model with each kind of merge request: the checks of the incoming record, the public-field
// merge and the rules that follow. The record lives in a buffer of exactly its declared extent
// (at least its 72-byte header), so that a read past it is caught; the working image starts
// from the model defaults for every input.
//
// Input: byte 0 chooses the merge request, bytes 1-4 give the declared dmSize and dmDriverExtra
// (little-endian); the rest fills the record from its start.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_order.h"
#include "context_services.h"
#include "core_memory.h"
#include "devmode_merge.h"
#include "devmode_record.h"
#include "fuzz_machine.h"
#include "mdl_compile.h"
#include "model_query.h"

namespace {

DriverContext* gCtx = nullptr;
ModelImage* gModel = nullptr;
SettingsImage* gDefaults = nullptr;

void Release() {
  if (gCtx) {
    gCtx->modelImage = nullptr;
    CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  }
  MdlFreeMem(gDefaults);
  MdlFreeMem(gModel);
}

// The requests callers make: a document, with the dialog, after a settings file, a compact
// block, a quality macro, with the locks reloaded and the rules run.
constexpr DWORD kRequests[8] = {kMergeDocument,
                                kMergeDocument | kMergeWithUi,
                                kMergeSettingsFileLoad | kMergeDocument,
                                kMergeCompactImported | kMergeDocument,
                                kMergeUserMacroQuality,
                                kMergeRunTransacts | kMergeDocument,
                                kMergeHeaderFooterLock | kMergeJobSupportBits | kMergeDocument,
                                kMergeKeepLockPrnMethod};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("dm-merge");
  std::ifstream in(ZOLT_SAMPLE_MODEL, std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  CompileContext* cc = MdlCompileBytes(source.data(), source.size());
  gModel = cc ? MdlPackImage(cc) : nullptr;
  gCtx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                            kCtxModeUi);
  std::atexit(Release);
  if (!gModel || !gCtx) std::abort();
  gCtx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!gCtx->settingsImage || MdlAllocEvalStack(gCtx) != 0) std::abort();
  gCtx->modelImage = gModel;
  gDefaults = DmBuildDefaults(gCtx, 0);
  if (!gDefaults) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const DWORD request = kRequests[data[0] & 7];
  const WORD publicSize = ReadLe16(data + 1);
  const WORD privateSize = ReadLe16(data + 3);
  const size_t extent = size_t{publicSize} + privateSize;
  std::vector<BYTE> record(extent < 72 ? 72 : extent, 0);
  std::memcpy(record.data(), data + 5, std::min(size - 5, record.size()));
  WriteLe16(record.data() + 68, publicSize);
  WriteLe16(record.data() + 70, privateSize);

  std::memcpy(gCtx->settingsImage, gDefaults, kSettingsImageSize);
  gCtx->workArea->evalDepth = 0;
  DmMergeIncoming(gCtx, reinterpret_cast<const DEVMODEW*>(record.data()), request);
  if (gCtx->workArea->evalDepth != 0) std::abort();
  // The working record keeps its own layout whatever came in.
  const auto* working = reinterpret_cast<const BYTE*>(gCtx->settingsImage);
  if (ReadLe16(working + 68) != kDmPublicSize || ReadLe16(working + 70) != kDmPrivateSize) std::abort();
  return 0;
}
