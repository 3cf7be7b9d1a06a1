// Installation defaults: taken over once from the installation-defaults file, else derived from
// the user's locale and the help-file language, and recorded in the file.
#include "install_defaults.h"

#include <cstring>

#include "devmode_fields.h"
#include "env_language.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_values.h"
#include "path_files.h"
#include "settings_paths.h"
#include "user_code.h"
#include "win32/locale.h"

namespace {

constexpr uint16_t kOptDspLanguageId = 170;    // zdmDspLanguageID
constexpr uint16_t kOptDspUnit = 171;          // zdmDspUnit
constexpr uint16_t kOptBodyPrint = 700;        // zdmBodyPrint
constexpr uint16_t kOptPfectBindFinSize = 710; // zdmPfectBindFinSize
constexpr uint16_t kOptLogCodeUse = 10002;     // zdmLogCodeUse
constexpr uint16_t kOptLogCode = 10003;        // zdmLogCode

// A key read with this default is absent.
constexpr int kAbsent = 0x7FFF;
// Characters of a user code (the terminator not counted).
constexpr int kUserCodeChars = 8;

// The file and the printer's section; false when either cannot be had.
struct Target {
  WCHAR file[MAX_PATH] = {};
  WCHAR section[kCtxPathChars] = {};
  bool Open(DriverContext* ctx) {
    if (!ctx || !ctx->workArea || !PathGetInstallDefaultsIni(file, ctx)) return false;
    const WCHAR* name = PrnGetName(ctx);
    if (!name || !name[0]) return false;
    lstrcpynW(section, name, kCtxPathChars);
    return true;
  }
  void WriteInt(const WCHAR* key, int value) const { IniWriteIntKey(section, key, value, file); }
};

void SetText(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  if (OptionEntry* row = OptFind(ctx, id)) OptSetStringValue(ctx, row, text);
}

// Paper and unit of a locale region.
void FillFromRegion(InstallDefaults& d, WORD region) {
  d.region = region;
  const bool letter = region != kLocaleRegionOther;
  d.defPaper = letter ? kInstPaperLetter : kInstPaperA4;
  d.defUnit = letter ? kInstUnitInch : kInstUnitMm;
}

}  // namespace

int PathGetInstallDefaultsIni(WCHAR* out, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  return PathInSharedDir(out, MAX_PATH, kUserCodeIniName, ctx) && out[0] ? 1 : 0;
}

WORD CfgLocaleRegion(DriverContext*) {
  WCHAR country[7] = {};
  if (!GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_ICOUNTRY, country, 7)) return kLocaleRegionOther;
  switch (country[0]) {
    case u'1': return kLocaleRegion1;
    case u'2': return kLocaleRegion2;
    case u'5': return kLocaleRegion5;
    default: return kLocaleRegionOther;
  }
}

int CfgApplyLocaleRegion(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  InstallDefaults& d = ctx->workArea->installDefaults;
  FillFromRegion(d, CfgLocaleRegion(ctx));
  return OptSetValue(ctx, kOptLocaleId, d.region);
}

int CfgDeriveInstallDefaults(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 1;
  InstallDefaults& d = ctx->workArea->installDefaults;
  WORD language = EnvGetUserLanguageIndex();
  if (language == kLanguageUnknown) language = EnvGetDriverLanguageIndex(ctx);
  d.dispLang = language;
  FillFromRegion(d, CfgLocaleRegion(ctx));
  return 1;
}

int CfgLoadPendingInstallDefaults(DriverContext* ctx) {
  Target t;
  if (!t.Open(ctx) || !PathIsFilePresent(t.file)) return 0;
  if (IniReadInt(t.section, kInstDoneKey, kAbsent, t.file) != 0) return 0;
  if (IniReadInt(t.section, kInstDispLangKey, kAbsent, t.file) == static_cast<UINT>(kAbsent)) return 0;

  InstallDefaults& d = ctx->workArea->installDefaults;
  d.userCode = static_cast<BYTE>(IniReadInt(t.section, kInstUserCodeKey, 0, t.file));
  d.userCodeFix = static_cast<BYTE>(IniReadInt(t.section, kInstUserCodeFixKey, 0, t.file));
  // A code longer than a user code is not cut to another code: it is not taken.
  WCHAR code[MAX_PATH] = {};
  IniReadString(t.section, kInstUserCodeStringKey, u"", code, MAX_PATH, t.file);
  std::memset(d.userCodeString, 0, sizeof d.userCodeString);
  if (lstrlenW(code) <= kUserCodeChars) {
    lstrcpynW(d.userCodeString, code, kUserCodeChars + 1);
  } else {
    d.userCode = 0;
    d.userCodeFix = 0;
  }
  d.dispLang = static_cast<WORD>(IniReadInt(t.section, kInstDispLangKey, 0, t.file));
  d.defPaper = static_cast<WORD>(IniReadInt(t.section, kInstDefPaperKey, 0, t.file));
  d.defUnit = static_cast<WORD>(IniReadInt(t.section, kInstDefUnitKey, 0, t.file));
  IniWriteString(t.section, kInstDoneKey, u"1", t.file);
  return 1;
}

void CfgApplyInstallDefaults(DriverContext* ctx) {
  Target t;
  if (!t.Open(ctx)) return;
  InstallDefaults& d = ctx->workArea->installDefaults;

  if (CfgLoadPendingInstallDefaults(ctx)) {
    OptSetValue(ctx, kOptLogCodeUse, d.userCode);
    SetText(ctx, kOptLogCode, d.userCodeString);
    CtxSetUserCodeFIX(ctx, d.userCodeFix);
    d.region = CfgLocaleRegion(ctx);
  } else {
    CfgDeriveInstallDefaults(ctx);
    t.WriteInt(kInstDispLangKey, d.dispLang);
    t.WriteInt(kInstDefPaperKey, d.defPaper);
    t.WriteInt(kInstDefUnitKey, d.defUnit);
  }

  // The installed help file's language wins; a Japanese one brings A4 and millimetres.
  const WORD helpLanguage = EnvGetDriverLanguageIndex(ctx);
  if (helpLanguage != d.dispLang) {
    d.dispLang = helpLanguage;
    t.WriteInt(kInstDispLangKey, d.dispLang);
    if (helpLanguage == 0) {
      d.defPaper = kInstPaperA4;
      d.defUnit = kInstUnitMm;
      t.WriteInt(kInstDefPaperKey, d.defPaper);
      t.WriteInt(kInstDefUnitKey, d.defUnit);
    }
  }
  if (ctx->profile && ctx->profile->modelVariant == 0) {
    d.defPaper = kInstPaperA4;
    t.WriteInt(kInstDefPaperKey, d.defPaper);
  }

  OptSetValue(ctx, kOptLanguageId, d.dispLang);
  OptSetValue(ctx, kOptDspLanguageId, d.dispLang);
  OptSetValue(ctx, kOptLocaleId, d.region);
  OptSetValue(ctx, kOptDspUnit, d.defUnit);
  OptSetValue(ctx, kOptPaperSize, d.defPaper);
  OptSetValue(ctx, kOptPfectBindFinSize, d.defPaper);
  OptSetValue(ctx, kOptBodyPrint, d.defPaper);
}

int CfgWriteInstallUserCode(DriverContext* ctx, short type) {
  Target t;
  if (!t.Open(ctx)) return 0;
  IniWriteString(t.section, kInstUserCodeKey, u"0", t.file);
  IniWriteString(t.section, kInstUserCodeFixKey, u"0", t.file);
  if (type == kInstUserCodeCleared) return 1;
  IniWriteString(t.section, kInstUserCodeStringKey, u"", t.file);
  WCHAR code[kUserCodeChars + 1] = {};
  OptionEntry* row = OptFind(ctx, kOptLogCode);
  if (row) OptGetStringValue(ctx, row, code, kUserCodeChars + 1);
  if (!OptGetValue(ctx, kOptLogCodeUse, nullptr) || !code[0]) return 0;
  IniWriteString(t.section, kInstUserCodeKey, u"1", t.file);
  IniWriteString(t.section, kInstUserCodeFixKey, u"1", t.file);
  IniWriteString(t.section, kInstUserCodeStringKey, code, t.file);
  return 1;
}

int CfgRerecordInstallDefaults(DriverContext* ctx) {
  Target t;
  if (!t.Open(ctx)) return 1;
  const int32_t region = OptGetValue(ctx, kOptLocaleId, nullptr);
  const bool letter = region == kLocaleRegion1 || region == kLocaleRegion2 || region == kLocaleRegion5;
  t.WriteInt(kInstDispLangKey, OptGetValue(ctx, kOptLanguageId, nullptr));
  t.WriteInt(kInstDefPaperKey, letter ? kInstPaperLetter : kInstPaperA4);
  t.WriteInt(kInstDefUnitKey, OptGetValue(ctx, kOptDspUnit, nullptr));
  CfgWriteInstallUserCode(ctx, kInstUserCodeFromSettings);
  IniWriteString(t.section, kInstDoneKey, u"0", t.file);
  CfgLoadPendingInstallDefaults(ctx);
  return 1;
}
