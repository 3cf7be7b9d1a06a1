// The default settings image of a context, the checks of the public device-mode fields against
// the model with the profile's fallbacks, and the merge of a caller's public fields into the
// working device mode.
#pragma once

#include "devmode_public.h"
#include "driver_context.h"
#include "win32/windows.h"

// Module event sent when a print quality has no place among the resolutions: the module may put
// another value into `value`.
constexpr DWORD kFmNotifyResolutionFallback = 32;
struct FmResolutionFallback {
  DEVMODEW* devmode;
  OptionEntry* row;
  int32_t value;
};

// The context's working device mode (block 1 of its settings image), or NULL.
DEVMODEW* DmWorking(DriverContext* ctx);

int DmInitFromModel(DriverContext* ctx);
void DmInitOptionsFromModel(DriverContext* ctx);
void DmInitPrinterConfigFromModel(DriverContext* ctx);
void DmSetDriverVersionString(DriverContext* ctx);
// The printer's stored default device mode over block 1 when it is of this driver, layout and
// settings version. 1 when copied.
int DmTakeStoredDevmode(DriverContext* ctx);
void CtxInitEnvironment(DriverContext* ctx);
void DmInitPublicFields(DEVMODEW* devmode, int kind, DriverContext* ctx);
void DmValidatePublicFields(DriverContext* ctx);
void DmResetPrivateDefaults(DEVMODEW* devmode, DriverContext* ctx);

// The caller's public fields into the working device mode, each checked (nothing for NULLs).
void DmMergePublicFields(DEVMODEW* working, const DEVMODEW* incoming, DriverContext* ctx);
void DmMergePrintQuality(DEVMODEW* working, const DEVMODEW* incoming, DriverContext* ctx);

// The default font face of watermarks and font substitution (kFontFaceChars characters).
constexpr int kFontFaceChars = 32;
void OptGetDefaultFontName(DriverContext* ctx, WCHAR* out);
