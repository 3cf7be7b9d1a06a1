// Feature module 7, TrueType font substitution: what runs without a window. The state of the
// device-font choice, the default face of watermarks and font substitution, the substitution
// table of the settings and the device fonts it names.
#include <string_view>

#include "core_memory.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "fm_modules_5_8.h"
#include "fm_options_fonts.h"
#include "option_access.h"
#include "option_store.h"

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

// ---- the substitution table and the device fonts ------------------------------------------------

namespace {

// Copies at most kFdFontNameChars - 1 characters of a fixed-size name and terminates it.
WCHAR* CopyName(WCHAR* out, const WCHAR* name) {
  int i = 0;
  for (; name && i < kFdFontNameChars - 1 && name[i]; ++i) out[i] = name[i];
  out[i] = 0;
  return out;
}

int ListCount(DriverContext* ctx, uint16_t countOption) {
  const int32_t count = OptGetValue(ctx, countOption, nullptr);
  return count > 0 ? count : 0;
}

}  // namespace

int FdGetDeviceFontCount(DriverContext* ctx) {
  if (!ctx) return 0;
  const int resident = OptGetBuffer(ctx, kOptDeviceFont) ? ListCount(ctx, kOptDeviceFontCount) : 0;
  const int option = OptGetBuffer(ctx, kOptOptionFont) ? ListCount(ctx, kOptOptionFontCount) : 0;
  return resident + option;
}

WCHAR* FdGetDeviceFontName(DriverContext* ctx, int index, WCHAR* out) {
  if (!out) return out;
  out[0] = 0;
  if (!ctx || index < 0) return out;
  const auto* resident = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptDeviceFont));
  const int residentCount = resident ? ListCount(ctx, kOptDeviceFontCount) : 0;
  if (index < residentCount) return CopyName(out, resident[index].name);
  const auto* option = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptOptionFont));
  const int optionCount = option ? ListCount(ctx, kOptOptionFontCount) : 0;
  if (index - residentCount < optionCount) return CopyName(out, option[index - residentCount].name);
  return out;
}

WCHAR* FdFindSubstitute(DriverContext* ctx, const WCHAR* face, WCHAR* out) {
  if (!out) return out;
  out[0] = 0;
  if (!ctx) return out;
  const auto* table = static_cast<const FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable));
  const int count = table ? ListCount(ctx, kOptFontTableCount) : 0;
  WCHAR rowFace[kFdFontNameChars];
  for (int i = 0; face && i < count; ++i) {
    CopyName(rowFace, table[i].trueTypeName);
    if (std::u16string_view(rowFace) == std::u16string_view(face)) return CopyName(out, table[i].deviceName);
  }
  return FdGetDeviceFontName(ctx, 0, out);
}

int FdSetFontTable(DriverContext* ctx, int count, FontSubstEntry* rows) {
  if (!ctx || !ctx->workArea) {
    MdlFreeMem(rows);
    return 0;
  }
  ContextWorkArea* wa = ctx->workArea;
  const auto current = static_cast<DWORD>(OptGetValue(ctx, kOptFontTable, nullptr));
  if (wa->undoState > 0 && wa->undoKeptFontTable == 0 && current) {
    // The undo snapshot still refers to this table: it is parked, not freed.
    wa->undoKeptFontTable = current;
    OptSetValue(ctx, kOptFontTable, 0);
  } else if (current && current != wa->undoKeptFontTable) {
    // A previous edit of this level, or a table no snapshot refers to.
    MdlFreeMem(OptUnregisterBuffer(ctx, current));
    OptSetValue(ctx, kOptFontTable, 0);
  } else if (current) {
    OptSetValue(ctx, kOptFontTable, 0);
  }
  if (!rows) {
    OptSetValue(ctx, kOptFontTableCount, 0);
    PrnEnsureDefaultFontTable(ctx->printer, ctx);  // a printer without one gets the model's
    return CfgLoadDefaultFontTable(ctx->printer, ctx);
  }
  if (!OptSetBuffer(ctx, kOptFontTable, rows)) {
    MdlFreeMem(rows);
    OptSetValue(ctx, kOptFontTableCount, 0);
    return 0;
  }
  OptSetValue(ctx, kOptFontTableCount, count > 0 ? count : 0);
  return 1;
}
