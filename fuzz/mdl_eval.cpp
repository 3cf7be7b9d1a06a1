// The condition evaluator, the rule operations and the model queries on arbitrary images that
// pass the image check. The input is either an image itself (when it passes the check) or a
// model description that is compiled, packed and then damaged in a few bytes that the input
// selects; the rest of the input fills the settings the conditions read. Every rule of every
// item runs against those settings: the evaluator's stack must never pass its end and must be
// back at its depth after every operation, and nothing may read outside the image.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "context_services.h"
#include "core_memory.h"
#include "mdl_compile.h"
#include "mdl_fuzz_symbols.h"
#include "undo_images.h"
#include "model_query.h"
#include "win32/machine.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "mdl_eval: %s\n", what);
  std::abort();
}

DriverContext* gCtx = nullptr;
// The option rows as the context began; each input starts from them, so that nothing an
// earlier input changed reaches it.
OptionRowStates* gFirstRowStates = nullptr;
std::filesystem::path gMachine;

void CheckDepth() {
  if (gCtx->workArea->evalDepth != 0) Fail("evaluator stack not back at its depth");
}

void Cleanup() {
  if (gCtx) {
    OptRestoreRowStates(gCtx, gFirstRowStates);
    gFirstRowStates = nullptr;
    gCtx->modelImage = nullptr;
    CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  }
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

// The settings the conditions read: the block layout of the settings image, the rest from the
// input.
void FillSettings(const uint8_t* data, size_t size) {
  OptRestoreRowStates(gCtx, gFirstRowStates);
  gFirstRowStates = OptSaveRowStates(gCtx);
  gCtx->workArea->pendingUpdate = 0;
  BYTE* image = reinterpret_cast<BYTE*>(gCtx->settingsImage);
  std::memset(image, 0, kSettingsImageSize);
  for (size_t i = 0; i < size && i < kSettingsImageSize; ++i) image[i] = data[i];
  const DWORD starts[4] = {0, 0, 1236, 6500};
  for (int block = 1; block <= 3; ++block) {
    image[359 + 2 * block] = static_cast<BYTE>(starts[block]);
    image[360 + 2 * block] = static_cast<BYTE>(starts[block] >> 8);
  }
}

void RunRules(const ModelImage* image) {
  DriverContext* ctx = gCtx;
  uint32_t limit = image->header.totalSize / sizeof(ModelItem) + 1;
  for (const ModelItem* item = MdlImageAt<ModelItem>(image, image->header.firstItem); item && limit--;
       item = MdlImageAt<ModelItem>(image, item->next)) {
    MdlIsDisabled(item, 0, ctx);
    MdlIsRestricted(item, 0, ctx);
    MdlIsLocked(item, 0, ctx);
    CheckDepth();
    int values = 0;
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, ModelIsListKind(item->typeWord) ? item->values : 0);
         v && values++ < 512; v = MdlNextItemValue(image, item, v)) {
      MdlIsDisabled(item, v->valueId, ctx);
      MdlIsRestricted(item, v->valueId, ctx);
      MdlIsLocked(item, v->valueId, ctx);
      CheckDepth();
    }
    uint32_t alerts = MdlItemAlerts(item, ctx);
    MdlGetAlertMessage(item, ctx);
    if (const AlertRow* alert = MdlFindActiveAlert(alerts, ctx)) MdlRunAlertAction(alert, item->nameIndex, ctx);
    MdlRunAlertActions(alerts, item->nameIndex, ctx);
    MdlRunItemTransact(item, ctx);
    if (const ExclusiveRule* rule = MdlItemRule(image, item)) MdlRunTransact(rule->transact2, ctx);
    CheckDepth();
    MdlGetItemDefault(item->settingId, ctx);
    MdlGetItemValueCount(item->settingId, ctx);
    MdlFindUsableItem(item->settingId, ctx, kMdlSkipDisabled | kMdlSkipRestricted);
    MdlIsItemKeyDisabled(ctx, item->nameIndex);
    CheckDepth();
  }
}

void RunQueries(const ModelImage* image) {
  DriverContext* ctx = gCtx;
  int count = 0;
  MdlFreeMem(MdlGetDeviceFonts(ctx, &count));
  MdlFreeMem(MdlGetFontCartridges(ctx, &count));
  MdlFreeMem(MdlGetFontSubstTable(ctx, &count));
  WCHAR name[40];
  MdlGetUiResDllName(ctx, name, 40);
  const ModelItem* paper = MdlFindItem(8, ctx);
  int values = 0;
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, paper && ModelIsListKind(paper->typeWord) ? paper->values : 0);
       v && values++ < 512; v = MdlNextItemValue(image, paper, v)) {
    RECT r;
    SIZE s;
    MdlGetPageGeometry(ctx, &r, &s, v->valueId);
  }
  SIZE s;
  MdlGetPaperExtent(ctx, &s, 0);
  MdlGetDocPaperExtent(ctx, &s);
  MdlGetOutputPaperExtent(ctx, &s);
  MdlFindPaperBySize(ctx, 2100, 2970, 1);
  CheckDepth();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-mdl-eval-" + std::to_string(getpid()));
  if (zolt::host::Machine::Create(gMachine, zolt::host::MachineFacts{})) zolt::host::Machine::Use(gMachine);
  gCtx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                            kCtxModeUi);
  if (!gCtx) Fail("no context");
  gCtx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!gCtx->settingsImage || MdlAllocEvalStack(gCtx) != 0) Fail("no settings image");
  gFirstRowStates = OptSaveRowStates(gCtx);
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mdl_fuzz::ForgetSymbols();
  if (!gCtx) LLVMFuzzerInitialize(nullptr, nullptr);
  std::vector<uint8_t> image;
  if (size >= kModelHeaderSize && MdlCheckImage(data, size)) {
    image.assign(data, data + size);
  } else {
    MdlSetSymbolLookups(&mdl_fuzz::kLookups);
    CompileContext* cc = MdlCompileBytes(data, size);
    MdlSetSymbolLookups(nullptr);
    if (!cc) return 0;
    uint32_t imageSize = MdlSizeImage(cc);
    image.resize(imageSize);
    int packed = imageSize && MdlPackInto(image.data(), imageSize, cc);
    MdlFreeCompileContext(cc);
    if (!packed) return 0;
    // Damage a few bytes after the header, where the input says.
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    if (image.size() > kModelHeaderSize && (h & 3) == 0) {
      for (int i = 0; i < 4; ++i) {
        h = h * 6364136223846793005ull + 1442695040888963407ull;
        image[kModelHeaderSize + (h >> 33) % (image.size() - kModelHeaderSize)] = static_cast<uint8_t>(h >> 20);
      }
    }
    if (!MdlCheckImage(image.data(), image.size())) return 0;
  }
  // The image lives in memory of the system's allocator, 8-byte aligned like a loaded image.
  auto* block = static_cast<ModelImage*>(CtxAllocMem(static_cast<DWORD>(image.size())));
  if (!block) return 0;
  std::memcpy(block, image.data(), image.size());
  FillSettings(data, size);
  gCtx->workArea->evalDepth = 0;
  gCtx->modelImage = block;
  RunRules(block);
  RunQueries(block);
  gCtx->modelImage = nullptr;
  MdlFreeMem(block);
  return 0;
}
