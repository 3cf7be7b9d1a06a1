// Escapes of any number, payload and output size sent to the graphics module's escape entry,
// on a job record whose context holds the sample model and its default settings. The payload
// and the output buffer are exactly as large as the sizes given, so that a read or write past
// either is caught.
//
// Input: byte 0 chooses the escape (one of those the module answers, or byte 1 as a number of
// its own), byte 2 the output size, byte 3 the record's state (bit 0 a pass-through job, bit 1
// a page open, bit 2 no output buffer); the rest is the payload.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "context_services.h"
#include "core_memory.h"
#include "devmode_record.h"
#include "fuzz_machine.h"
#include "gr_drawing_entries.h"
#include "gr_escapes.h"
#include "gr_pdev.h"
#include "mdl_compile.h"
#include "model_query.h"

namespace {

DriverContext* gCtx = nullptr;
ModelImage* gModel = nullptr;
SettingsImage* gDefaults = nullptr;
PhysicalDevice* gPdev = nullptr;

BOOL WINAPI Discard(HANDLE, const void*, DWORD length, DWORD* written) {
  *written = length;
  return TRUE;
}

void Release() {
  if (gPdev) {
    gPdev->context = nullptr;
    GrFreePdev(gPdev);
  }
  if (gCtx) {
    gCtx->modelImage = nullptr;
    CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  }
  MdlFreeMem(gDefaults);
  MdlFreeMem(gModel);
}

constexpr ULONG kEscapes[] = {8, 17, 19, 20, 42, 111, 112, 113, 114, 115, 116, 117, 118, 119,
                              120, 121, 122, 123, 124, 125, 126, 140, 141};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("gr-escape");
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
  gPdev = GrAllocPdev();
  if (!gDefaults || !gPdev) std::abort();
  gPdev->magic = gPdev->magicEnd = kPdevMagic;
  gPdev->context = gCtx;
  gPdev->output.owner = gPdev;
  gPdev->output.module = reinterpret_cast<HMODULE>(gPdev);
  gPdev->output.write = Discard;
  gPdev->filterFileName = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9C123.DLL";
  GrResetRecordBuffer(&gPdev->output);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  std::memcpy(gCtx->settingsImage, gDefaults, kSettingsImageSize);
  const size_t pick = data[0] % (std::size(kEscapes) + 1);
  const ULONG escape = pick < std::size(kEscapes) ? kEscapes[pick] : data[1];
  gPdev->passThrough = data[3] & 1;
  gPdev->flags = (data[3] & 2) ? uint32_t{kPdevPageOpen} : 0u;
  std::vector<uint8_t> payload(data + 4, data + size);
  std::vector<uint8_t> output(data[2]);
  SURFOBJ surface{};
  surface.dhpdev = reinterpret_cast<DHPDEV>(gPdev);
  void* in = payload.empty() ? nullptr : payload.data();
  void* out = (data[3] & 4) || output.empty() ? nullptr : output.data();
  DrvEscape(&surface, escape, static_cast<ULONG>(payload.size()), in, out ? static_cast<ULONG>(output.size()) : 0, out);
  GrFlushRecords(&gPdev->output);
  return 0;
}
