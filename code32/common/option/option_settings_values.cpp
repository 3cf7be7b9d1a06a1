// Small values of a context's settings: authentication fields and character sets, the number
// format of the UI language, the custom functions and the resolution options.
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"

namespace {

// A text option holds a text when its first character is not 0.
bool HasText(DriverContext* ctx, uint16_t id) {
  const BYTE* text = OptGetValuePointer(ctx, id, nullptr);
  return text && text[0] != 0;
}

}  // namespace

uint32_t OptGetAuthFieldFlags(DriverContext* ctx, uint32_t flags) {
  if (OptGetValue(ctx, kOptAuthMode, nullptr) == 0) return 0;
  uint32_t bits = 0;
  if ((flags & kAuthFieldUserName) && HasText(ctx, kOptAuthUserName)) bits |= kAuthFieldUserName;
  if ((flags & kAuthFieldPassword) && HasText(ctx, kOptAuthPassword)) bits |= kAuthFieldPassword;
  if ((flags & kAuthFieldNetworkKey) && OptGetValue(ctx, kOptAuthSecureMode, nullptr) != 0 &&
      HasText(ctx, kOptAuthNetworkKey))
    bits |= kAuthFieldNetworkKey;
  return bits;
}

int OptSetCodePageCharset(DriverContext* ctx, uint16_t id) {
  return OptSetValue(ctx, id, static_cast<int32_t>(OptGetCodePageCharset()));
}

void OptSetAuthCharsets(DriverContext* ctx, uint32_t flags) {
  if (flags & kAuthFieldUserName) OptSetCodePageCharset(ctx, kOptAuthUserNameCharSet);
  if (flags & kAuthFieldPassword) OptSetCodePageCharset(ctx, kOptAuthPasswordCharSet);
}

int OptUsesDecimalComma(DriverContext* ctx) {
  const int32_t language = OptGetValue(ctx, kOptLanguageId, nullptr);
  return (language >= 2 && language <= 15) || language == 21 ? 1 : 0;
}

int32_t OptGetCustomFunc(DriverContext* ctx, uint16_t id) {
  if (id < kOptCustomFuncFirst || id > kOptCustomFuncLast) return 0;
  return OptGetValue(ctx, id, nullptr);
}

int32_t OptGetDstResolutionW(DriverContext* ctx) { return OptGetValue(ctx, kOptDstResolutionW, nullptr); }
int32_t OptGetDstResolutionH(DriverContext* ctx) { return OptGetValue(ctx, kOptDstResolutionH, nullptr); }
int OptSetDstResolutionW(DriverContext* ctx, int32_t dpi) { return OptSetValue(ctx, kOptDstResolutionW, dpi); }
int OptSetDstResolutionH(DriverContext* ctx, int32_t dpi) { return OptSetValue(ctx, kOptDstResolutionH, dpi); }
int OptSetPrintQuality(DriverContext* ctx, int32_t value) { return OptSetValue(ctx, kOptDmPrintQuality, value); }
int OptSetYResolution(DriverContext* ctx, int32_t value) { return OptSetValue(ctx, kOptDmYResolution, value); }
