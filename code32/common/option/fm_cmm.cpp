// Feature module 3, colour matching: what runs without a window. The user's profile list in
// the settings INI, the edit options it is exchanged through, the remembered and re-checked
// choices, the computed items 1379-1381, the profile header check and the notify handler.
#include <algorithm>
#include <string>

#include "env_language.h"
#include "env_text.h"
#include "fd_services.h"
#include "fm_modules_1_4.h"
#include "ini_file.h"
#include "option_validation.h"
#include "option_access.h"
#include "free_size.h"
#include "undo_images.h"
#include "option_values.h"
#include "quality_list.h"
#include "settings_paths.h"

namespace {

constexpr WCHAR kKeyCount[] = u"CmmCount";
constexpr WCHAR kKeyDefault[] = u"CmmDefault";
constexpr WCHAR kKeyMax[] = u"CmmMax";

// The two fields of an entry: the edit control that shows it and its key in the entry section.
struct EntryField {
  WORD controlId;
  const WCHAR* key;
};
constexpr EntryField kEntryFields[] = {
    {kCtlCmmEditName, u"zdmColorMatchingMode"},
    {kCtlCmmEditFile, u"wdmColorProfilePath"},
};

// The four colour-matching choices, in the order of the remembered bytes and their mark bits.
constexpr WORD kChoiceOptions[4] = {kOptColorMatchingMode, kOptColorMatchingText, kOptColorMatchingLine,
                                    kOptColorMatchingImage};

// Label strings 565-580 name the list entries 0-15.
constexpr DWORD kEntryLabelFirst = 565, kEntryLabelLast = 580;

// Computed items.
constexpr WORD kItemBuiltInSelected = 1379;
constexpr WORD kItemListFull = 1380;
constexpr WORD kItemProfileValid = 1381;
constexpr DWORD kProfileTextBytes = 1042;

// The toner-save density sample picture and its scroll bars.
constexpr WORD kCtlDensitySample = 3039;
constexpr WORD kDensityScrollBars[] = {3032, 3035, 3038};
struct DensityPicture {
  WORD pictureId;
  WORD option;
};
constexpr DensityPicture kDensityPictures[] = {
    {6990, 608},  // zdmTonerSaveDensityImage
    {6982, 606},  // zdmTonerSaveDensityText
    {7668, 607},  // zdmTonerSaveDensityLine
};
constexpr DWORD kDensityShades[] = {25, 13, 0};  // by UI value 0, 1, 2

// The warning shown when the list is full.
constexpr WORD kStringCmmListFull = 10079;

// Notify codes of this module.
constexpr DWORD kNotifyListImport = 15;
constexpr DWORD kNotifyPictureShade = 56;
constexpr DWORD kNotifyReversedScrollBar = 58;

// The settings INI and its language section; NULL when the file cannot be named.
const WCHAR* SettingsFile(DriverContext* ctx) {
  const WCHAR* file = ctx ? PathGetSettingsIni(ctx) : nullptr;
  return file && file[0] ? file : nullptr;
}
const WCHAR* LanguageSection(DriverContext* ctx) {
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  return code ? code : u"";
}

int ReadCounter(DriverContext* ctx, const WCHAR* key, int defaultValue) {
  const WCHAR* file = SettingsFile(ctx);
  if (!file) return defaultValue;
  return static_cast<int>(IniReadInt(LanguageSection(ctx), key, defaultValue, file));
}

ControlDescriptor* DialogControl(DriverContext* ctx, WORD dialogId, WORD controlId) {
  // Without the dialog nothing is searched: a lookup with no dialog would search them all.
  DialogDescriptor* dialog = ctx ? OptFindDialog(ctx, dialogId) : nullptr;
  return dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
}

// How an edit's option is found: the option bound to the control, or the option named by the
// control's symbol (before the controls are bound).
enum class Binding { kBound, kBySymbol };

OptionEntry* FieldOption(DriverContext* ctx, const EntryField& field, Binding binding) {
  ControlDescriptor* control = DialogControl(ctx, kDlgCmmAddProfile, field.controlId);
  if (!control) return nullptr;
  return binding == Binding::kBound ? control->option : OptFindBySymbol(ctx, control->nameIndex);
}

// A field of entry n from the settings INI (empty when missing).
void ReadEntryField(DriverContext* ctx, int n, const WCHAR* key, WCHAR (&text)[kCmmTextChars]) {
  text[0] = u'\0';
  const WCHAR* file = SettingsFile(ctx);
  if (!file) return;
  WCHAR section[kCmmSectionChars];
  IniReadString(FmCmmSectionName(ctx, section, n), key, u"", text, kCmmTextChars, file);
}

void WriteEntryField(DriverContext* ctx, int n, const WCHAR* key, const WCHAR* text) {
  const WCHAR* file = SettingsFile(ctx);
  if (!file) return;
  WCHAR section[kCmmSectionChars];
  IniWriteString(FmCmmSectionName(ctx, section, n), key, text, file);
}

void LoadEntry(DriverContext* ctx, int n, Binding binding) {
  if (!ctx) return;
  if (n >= FmGetCmmCount(ctx)) n = 0;
  for (const EntryField& field : kEntryFields) {
    OptionEntry* row = FieldOption(ctx, field, binding);
    if (!row) continue;
    WCHAR text[kCmmTextChars] = {};
    if (n >= 0) ReadEntryField(ctx, n, field.key, text);
    OptSetStringValue(ctx, row, text);
  }
}

void WriteDecimal(const WCHAR* section, const WCHAR* key, int value, const WCHAR* file) {
  const std::string digits = std::to_string(value);
  const std::u16string text(digits.begin(), digits.end());
  IniWriteString(section, key, text.c_str(), file);
}

// 1 when the section of the file has the key, whatever its value.
bool HasKey(const WCHAR* section, const WCHAR* key, const WCHAR* file) {
  // A missing key gives the default back; two different defaults tell it from a present value.
  WCHAR a[4], b[4];
  IniReadString(section, key, u"\x01", a, 4, file);
  IniReadString(section, key, u"\x02", b, 4, file);
  return !(a[0] == u'\x01' && a[1] == u'\0' && b[0] == u'\x02' && b[1] == u'\0');
}

// Code 15: the counters of the list go from the old settings file to the new one; the
// user's own entries do not.
int OnListImport(DriverContext* ctx, const FmListImportParam* p) {
  const WCHAR* section = LanguageSection(ctx);
  if (!p || !p->oldFile || !p->newFile || !section[0]) return 0;
  const int max = static_cast<int>(IniReadInt(section, kKeyMax, 0, p->oldFile));
  const int builtIn = static_cast<int>(IniReadInt(section, kKeyDefault, 0, p->oldFile));
  WriteDecimal(section, kKeyMax, max, p->newFile);
  WriteDecimal(section, kKeyDefault, builtIn, p->newFile);
  if (!(p->keep && HasKey(section, kKeyCount, p->newFile))) WriteDecimal(section, kKeyCount, builtIn, p->newFile);
  return 1;
}

// Code 16: the label of a list entry is its name.
int OnEntryLabel(DriverContext* ctx, EnvDecorationNotice* p) {
  if (!p || p->stringId < kEntryLabelFirst || p->stringId > kEntryLabelLast) return 0;
  FmLoadCmmEntry(ctx, static_cast<int>(p->stringId - kEntryLabelFirst));
  ControlDescriptor* name = FmGetCmmNameEdit(ctx);
  if (name && name->option && p->text) OptGetStringValue(ctx, name->option, p->text, kCtxScratchChars);
  return 1;
}

// Code 56: the toner-save density sample is drawn lighter for lower densities.
void OnPictureShade(DriverContext* ctx, FmPictureShadeParam* p) {
  if (!p || !p->control || p->control->controlId != kCtlDensitySample) return;
  for (const DensityPicture& picture : kDensityPictures) {
    if (picture.pictureId != p->pictureId) continue;
    const int32_t density = OptGetUiValue(ctx, picture.option, nullptr);
    if (density >= 0 && density < static_cast<int32_t>(std::size(kDensityShades))) p->answer = kDensityShades[density];
    return;
  }
}

// Code 58: the density scroll bars run the other way.
void OnReversedScrollBar(FmControlFlagParam* p) {
  if (!p || !p->control) return;
  if (std::ranges::find(kDensityScrollBars, p->control->controlId) != std::end(kDensityScrollBars)) p->answer = 1;
}

}  // namespace

// ---- the list ---------------------------------------------------------------------------------

int FmGetCmmCount(DriverContext* ctx) { return ReadCounter(ctx, kKeyCount, kCmmDefaultCount); }
int FmGetCmmDefault(DriverContext* ctx) { return ReadCounter(ctx, kKeyDefault, kCmmDefaultBuiltIn); }
int FmGetCmmMax(DriverContext* ctx) { return ReadCounter(ctx, kKeyMax, kCmmDefaultMax); }

int FmSetCmmCount(DriverContext* ctx, int count) {
  const WCHAR* file = SettingsFile(ctx);
  if (!file) return 0;
  WriteDecimal(LanguageSection(ctx), kKeyCount, count, file);
  return 1;
}

WCHAR* FmCmmSectionName(DriverContext* ctx, WCHAR* out, int n) {
  if (!out) return nullptr;
  const std::string number = std::to_string(n);
  std::u16string name = u"ColorMatching";
  name.append(number.begin(), number.end());
  name += ctx ? LanguageSection(ctx) : u"";
  const size_t length = std::min(name.size(), static_cast<size_t>(kCmmSectionChars - 1));
  std::copy_n(name.data(), length, out);
  out[length] = u'\0';
  return out;
}

ControlDescriptor* FmGetCmmNameEdit(DriverContext* ctx) {
  return DialogControl(ctx, kDlgCmmAddProfile, kCtlCmmEditName);
}
ControlDescriptor* FmGetCmmFileEdit(DriverContext* ctx) {
  return DialogControl(ctx, kDlgCmmAddProfile, kCtlCmmEditFile);
}
ControlDescriptor* FmGetIcmModeChoice(DriverContext* ctx) {
  return DialogControl(ctx, kDlgUserIcmMode, kCtlIcmModeChoice);
}

void FmLoadCmmEntry(DriverContext* ctx, int n) { LoadEntry(ctx, n, Binding::kBound); }
void FmLoadCmmEntryByName(DriverContext* ctx, int n) { LoadEntry(ctx, n, Binding::kBySymbol); }

void FmStoreCmmEntry(DriverContext* ctx, int n) {
  if (!ctx || n < 0 || n >= FmGetCmmCount(ctx)) return;
  for (const EntryField& field : kEntryFields) {
    OptionEntry* row = FieldOption(ctx, field, Binding::kBound);
    if (!row) continue;
    WCHAR text[kCmmTextChars] = {};
    OptGetStringValue(ctx, row, text, kCmmTextChars);
    WriteEntryField(ctx, n, field.key, text);
  }
}

void FmDeleteCmmEntry(DriverContext* ctx, int n) {
  if (!ctx) return;
  const int count = FmGetCmmCount(ctx);
  if (n < 0 || n >= count) return;
  for (int k = n + 1; k < count; ++k) {
    // Each entry moves one place down through the edit options...
    FmLoadCmmEntry(ctx, k);
    FmStoreCmmEntry(ctx, k - 1);
    // ...and a field without its edit is moved in the file itself, so that no entry keeps a
    // field of the one deleted.
    for (const EntryField& field : kEntryFields) {
      if (FieldOption(ctx, field, Binding::kBound)) continue;
      WCHAR text[kCmmTextChars];
      ReadEntryField(ctx, k, field.key, text);
      WriteEntryField(ctx, k - 1, field.key, text);
    }
  }
  FmSetCmmCount(ctx, count - 1);
}

int FmCmmIndexFromValue(DriverContext* ctx, int32_t value) {
  const int64_t index = int64_t{value} - kCmmFirstListValue;
  return index >= 0 && index < FmGetCmmCount(ctx) ? static_cast<int>(index) : -1;
}

int FmGetCmmIndexOfOption(DriverContext* ctx, WORD optionId) {
  OptionEntry* row = nullptr;
  const int32_t value = OptGetValue(ctx, optionId, &row);
  return row ? FmCmmIndexFromValue(ctx, value) : -1;
}

int FmGetSelectedCmmIndex(DriverContext* ctx) {
  ControlDescriptor* choice = FmGetIcmModeChoice(ctx);
  if (!choice || !choice->option) return -1;
  return FmCmmIndexFromValue(ctx, OptReadValue(ctx, choice->option));
}

// ---- remembered and re-checked choices ----------------------------------------------------------

void FmRememberCmmChoice(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  int slot = 0;
  if (OptGetValue(ctx, kOptAdjustMode, nullptr) != 0) {
    const int32_t object = OptGetValue(ctx, kOptAdjustObject, nullptr);
    if (object < 0 || object > 2) return;
    slot = 1 + object;
  }
  BYTE* memory = ctx->workArea->cmmMemory;
  memory[slot] = static_cast<BYTE>(OptGetValue(ctx, kChoiceOptions[slot], nullptr));
  memory[kCmmMarkByte] |= static_cast<BYTE>(1u << slot);
}

void FmRecheckCmmChoices(DriverContext* ctx) {
  if (!ctx) return;
  const int macro = OptGetUserMacroIndex(ctx);
  if (macro == -1) return;
  int32_t current[4], installed[4];
  for (int i = 0; i < 4; ++i) current[i] = OptGetValue(ctx, kChoiceOptions[i], nullptr);
  // The installed default of the macro's quality entry is loaded under a snapshot, which puts
  // the working settings back afterwards.
  DmPushSnapshot(ctx);
  OptionRowStates* states = OptSaveRowStates(ctx);
  CfgLoadQualityDefault(nullptr, ctx, macro);
  for (int i = 0; i < 4; ++i) installed[i] = OptGetValue(ctx, kChoiceOptions[i], nullptr);
  DmPopSnapshot(ctx, 1);
  OptRestoreRowStates(ctx, states);
  const int count = FmGetCmmCount(ctx);
  for (int i = 0; i < 4; ++i)
    if (current[i] >= kCmmFirstListValue && current[i] - kCmmFirstListValue >= count)
      OptSetValue(ctx, kChoiceOptions[i], installed[i] & 0xFF);
}

// ---- computed items ---------------------------------------------------------------------------

DWORD FmGetCmmComputedItem(DriverContext* ctx, WORD item) {
  switch (item) {
    case kItemBuiltInSelected:
      return FmGetSelectedCmmIndex(ctx) < FmGetCmmDefault(ctx) ? 1 : 0;
    case kItemListFull:
      return FmGetCmmCount(ctx) >= FmGetCmmMax(ctx) ? 1 : 0;
    case kItemProfileValid: {
      ControlDescriptor* file = FmGetCmmFileEdit(ctx);
      if (!file) return 0;
      auto* path = static_cast<WCHAR*>(CtxAllocMem(kProfileTextBytes));
      if (!path) return 0;
      OptGetStringValue(ctx, file->option, path, kProfileTextBytes / sizeof(WCHAR));
      const DWORD valid = FdCheckColorProfileFile(path) ? 1 : 0;
      MdlFreeMem(path);
      return valid;
    }
    default:
      return 0;
  }
}

// ---- the profile header -------------------------------------------------------------------------

int FmCheckColorProfileHeader(const WCHAR* path) {
  if (!path) return 0;
  // The path in the system code page must fit its 260-byte buffer whole: a cut path would name
  // another file.
  const std::u16string_view wide(path);
  std::string ansi(wide.size() * 4 + 1, '\0');
  const size_t bytes = EnvWideToAnsiBytes(wide, ansi.data(), ansi.size() - 1);
  if (bytes >= MAX_PATH) return 0;
  ansi.resize(bytes);

  struct Signature {
    LONG offset;
    char bytes[5];
  };
  static constexpr Signature kSignatures[] = {
      {4, "QVMS"},   // preferred colour-management module
      {12, "prtr"},  // profile class: output device
      {16, "RGB "},  // colour space of the data (offset 20 holds the connection space, XYZ or Lab)
      {36, "acsp"},  // profile file signature
      {48, "ORVX"},  // device manufacturer
  };
  const HFILE file = _lopen(ansi.c_str(), OF_READ);
  if (file == HFILE_ERROR) return 0;
  int valid = 1;
  for (const Signature& signature : kSignatures) {
    for (LONG i = 0; i < 4 && valid; ++i) {
      char byte = 0;
      valid = _llseek(file, signature.offset + i, FILE_BEGIN) == signature.offset + i && _lread(file, &byte, 1) == 1 &&
              byte == signature.bytes[i];
    }
    if (!valid) break;
  }
  _lclose(file);
  return valid;
}

int FdCheckColorProfileFile(const WCHAR* path) {
#if ZOLT_WINDOW_BUILD
  return FmCheckColorProfileHeader(path);
#else
  (void)path;
  return 1;
#endif
}

// ---- the module's handlers ----------------------------------------------------------------------

// The built-in functions 111-124, 308, 310, 311 and 325 belong to the module's dialog side and
// to the settings module's own handler; here no code is handled.
int FmCmmOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  if (!ctx) return 0;
  switch (code) {
    case kBfCmmAdd: {
      const int count = FmGetCmmCount(ctx);
      if (count < FmGetCmmMax(ctx)) {
        FmSetCmmCount(ctx, count + 1);
        FmStoreCmmEntry(ctx, count);
      } else {
        FdShowWarning(ctx, nullptr, kStringCmmListFull);
      }
      return 1;
    }
    case kBfCmmDelete:
      FmDeleteCmmEntry(ctx, FmGetSelectedCmmIndex(ctx));
      FmRememberCmmChoice(ctx);
      FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
      return 1;
    case kBfCmmEdit:
      FmStoreCmmEntry(ctx, FmGetSelectedCmmIndex(ctx));
      return 1;
    case kBfCmmGetAll:
    case kBfCmmGetText:
    case kBfCmmGetLine:
    case kBfCmmGetImage:
      FmLoadCmmEntryByName(ctx, FmGetCmmIndexOfOption(ctx, kChoiceOptions[code - kBfCmmGetAll]));
      return 1;
    case kBfCmmGetData: {
      // The entry of the object being adjusted: the whole page, or text, line art or images.
      int slot = 0;
      if (OptGetValue(ctx, kOptAdjustMode, nullptr) != 0) {
        const int32_t object = OptGetValue(ctx, kOptAdjustObject, nullptr);
        if (object < 0 || object > 2) return 1;
        slot = 1 + object;
      }
      FmLoadCmmEntryByName(ctx, FmGetCmmIndexOfOption(ctx, kChoiceOptions[slot]));
      return 1;
    }
    default:
      return 0;
  }
}

int FmCmmOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  switch (code) {
    case kNotifyListImport:
      return OnListImport(ctx, static_cast<const FmListImportParam*>(param));
    case kFmNotifyDecorateLabel:
      return OnEntryLabel(ctx, static_cast<EnvDecorationNotice*>(param));
    case kFmNotifyChoicesChanged:
      FmRecheckCmmChoices(ctx);
      return 1;
    case kNotifyPictureShade:
      OnPictureShade(ctx, static_cast<FmPictureShadeParam*>(param));
      return 1;
    case kNotifyReversedScrollBar:
      OnReversedScrollBar(static_cast<FmControlFlagParam*>(param));
      return 1;
    default:
      return 0;
  }
}
