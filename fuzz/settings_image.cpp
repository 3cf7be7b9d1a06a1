// Reads a settings image that came from outside (printer data, another process, an
// application's device mode) through every option row and every fixed-offset accessor: block
// starts, texts without terminators and handles that the context never gave out must neither
// read nor write outside the image. The machine runs a double-byte ANSI code page, so that
// lead bytes at the end of text fields are met too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "devmode_fields.h"
#include "option_access.h"
#include "win32/machine.h"

namespace {

std::filesystem::path gMachine;
DriverContext* gCtx = nullptr;

void Cleanup() {
  if (gCtx) CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-image-" + std::to_string(getpid()));
  zolt::host::MachineFacts facts;
  facts.ansiCodePage = 932;
  if (zolt::host::Machine::Create(gMachine, facts)) zolt::host::Machine::Use(gMachine);
  gCtx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                            kCtxModeUi);
  if (gCtx) gCtx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!gCtx || !gCtx->settingsImage) return 0;
  // The input is the image (repeated to fill it), so that short inputs still set block starts.
  BYTE* image = reinterpret_cast<BYTE*>(gCtx->settingsImage);
  std::memset(image, 0, kSettingsImageSize);
  for (size_t i = 0; size > 0 && i < kSettingsImageSize; ++i) image[i] = data[i % size];
  std::memcpy(gCtx->workArea->savedImage, image, kSettingsImageSize);

  WCHAR text[600];
  uint32_t sink = 0;
  for (int i = 0; i < gCtx->optionTable->count; ++i) {
    OptionEntry* row = &gCtx->optionTable->rows[i];
    sink += static_cast<uint32_t>(OptReadValue(gCtx, row));
    sink += static_cast<uint32_t>(OptReadUiValue(gCtx, row));
    if (OptReadValuePointer(gCtx, row)) {
      OptGetStringValue(gCtx, row, text, std::size(text));
      sink += text[0];
    }
  }
  for (uint16_t id : {kOptFontTable, kOptDeviceFont, kOptOptionFont}) {
    sink += OptGetBuffer(gCtx, id) != nullptr;
    sink += OptGetSavedBuffer(gCtx, id) != nullptr;
  }
  DmClearProcessLocalFields(image);

  const BYTE* dm = image;
  sink += DmIsIniFileNameValid(dm) + DmIsCDCVersionValid(dm) + DmIsZPJLVersionValid(dm) + DmIsTrackIDValid(dm) +
          DmIsCopyProtectFontValid(dm) + DmIsHFFontNameValid(dm) + DmIsHFStringValid(dm);
  sink += DmGetPrivateIdentity(dm) + DmGetStoredVersion(dm) + DmGetSupportFunc2Bits(dm) + DmGetHidden2FuncBits(dm);
  char hf[kHFStringSize];
  DmGetHFString(dm, hf);
  sink += static_cast<uint8_t>(hf[0]);

  // Writes through every row stay inside the image too.
  for (int i = 0; i < gCtx->optionTable->count; i += 7) {
    OptionEntry* row = &gCtx->optionTable->rows[i];
    if (OptReadValuePointer(gCtx, row))
      OptSetStringValue(gCtx, row, u"\u3042\u3044\u3046\u3048\u304a\u304b\u304d\u304f\u3051\u3053");
    else
      OptWriteValue(gCtx, row, static_cast<int32_t>(sink));
  }
  gCtx->workArea->pendingUpdate = 0;
  return sink == 0xFFFFFFFFu ? 1 : 0;
}
