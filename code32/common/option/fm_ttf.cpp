// Feature module 7, TrueType font substitution: what runs without a window. The state of the
// device-font choice and the default face of watermarks and font substitution.
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "fm_modules_5_8.h"

// The device-font choice is offered when the settings are not an application's document
// settings, and always in the user font dialog. Answers 1 for that control whatever its state.
int FmTtfOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  if (code != kFmNotifyControlState || !param) return 0;
  auto* query = static_cast<FmControlStateQuery*>(param);
  ControlDescriptor* control = query->control;
  if (!control || control->controlId != kCtlTtfChoiceDeviceFont) return 0;
  if (CtxGetCallSrc(ctx) == 0 || (query->dialog && query->dialog->dialogId == kDlgUserTtf)) {
    control->state = static_cast<uint16_t>((control->state & ~0xCu) | (1u << 2));
    query->claimed = 1;
  }
  return 1;
}

void OptGetDefaultFontName(DriverContext* ctx, WCHAR* out) {
  if (!out) return;
  // The Japanese UI's proportional gothic face, in full-width letters and katakana.
  static constexpr WCHAR kJapaneseFace[] = {0xFF2D, 0xFF33, 0x0020, 0xFF30, 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0};
  static constexpr WCHAR kFace[] = u"Arial";
  const WCHAR* face = EnvIsJapaneseUi(ctx) ? kJapaneseFace : kFace;
  size_t i = 0;
  for (; face[i] && i + 1 < kFontFaceChars; ++i) out[i] = face[i];
  out[i] = 0;
}
