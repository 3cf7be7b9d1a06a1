// The language table and the rules that derive a language from a code, a file name, a locale
// or option 169; the language section name; the resource libraries and the help file.
#include <string>
#include <string_view>

#include "env_language.h"
#include "model_query.h"
#include "env_system.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_paths.h"

namespace {

using std::u16string;
using std::u16string_view;

// clang-format off
constexpr LanguageRow kLanguages[] = {
    {0, 0x11, 0, u"jp"},  {1, 0x09, 0, u"us"},  {2, 0x05, 0, u"cz"},  {3, 0x06, 0, u"dn"},
    {4, 0x07, 0, u"gm"},  {5, 0x0A, 0, u"sp"},  {6, 0x0C, 0, u"fr"},  {7, 0x10, 0, u"it"},
    {8, 0x0E, 0, u"hn"},  {9, 0x13, 0, u"dt"},  {10, 0x14, 0, u"nw"}, {11, 0x15, 0, u"pl"},
    {12, 0x16, 0, u"pr"}, {13, 0x0B, 0, u"fn"}, {14, 0x1D, 0, u"sw"}, {16, 0x04, 2, u"cs"},
    {17, 0x04, 1, u"ct"}, {18, 0x12, 0, u"kr"}, {15, 0x19, 0, u"ru"}, {20, 0x1F, 0, u"tr"},
    {21, 0x03, 0, u"ca"},
    {kLanguageEnd, 0, 0, u""},
};
// clang-format on
static_assert(std::size(kLanguages) == 22);

constexpr WCHAR kHelpFileNameChars = 130;  // "HelpFileName" is read as 260 bytes

const LanguageRow* RowOfIndex(WORD index) {
  for (const LanguageRow* row = kLanguages; row->index != kLanguageEnd; ++row) {
    if (row->index == index) return row;
  }
  return nullptr;
}

const LanguageRow* RowOfCode(const WCHAR* code) {
  if (!code) return nullptr;
  for (const LanguageRow* row = kLanguages; row->index != kLanguageEnd; ++row) {
    if (_wcsicmp(row->code, code) == 0) return row;
  }
  return nullptr;
}

const LanguageRow& UsRow() { return *RowOfIndex(kLanguageUs); }

// The two characters before the extension of a file name (the last '.'), or empty.
u16string LanguageLettersOfFile(const WCHAR* fileName) {
  if (!fileName) return {};
  const u16string_view name(fileName, lstrlenW(fileName));
  const size_t dot = name.rfind(u'.');
  if (dot == u16string_view::npos || dot < 2) return {};
  return u16string(name.substr(dot - 2, 2));
}

WORD OptionLanguage(DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage) return kLanguageUs;
  return static_cast<WORD>(OptGetValue(ctx, kOptLanguageId, nullptr));
}

u16string_view View(const WCHAR* text) { return text ? u16string_view(text, lstrlenW(text)) : u16string_view(); }

}  // namespace

const LanguageRow* OptGetLanguageTable() { return kLanguages; }

const WCHAR* EnvLanguageCodeOfIndex(WORD index) {
  const LanguageRow* row = RowOfIndex(index);
  return row ? row->code : UsRow().code;
}

WORD EnvFindLanguageIndex(const WCHAR* code) {
  const LanguageRow* row = RowOfCode(code);
  return row ? row->index : kLanguageUs;
}

const WCHAR* EnvFindLanguageCode(const WCHAR* code) {
  const LanguageRow* row = RowOfCode(code);
  return row ? row->code : UsRow().code;
}

WORD EnvLanguageIndexOfFile(const WCHAR* fileName) {
  const u16string letters = LanguageLettersOfFile(fileName);
  return EnvFindLanguageIndex(letters.empty() ? nullptr : letters.c_str());
}

const WCHAR* EnvLanguageCodeOfFile(const WCHAR* fileName) {
  const u16string letters = LanguageLettersOfFile(fileName);
  return EnvFindLanguageCode(letters.empty() ? nullptr : letters.c_str());
}

WORD EnvLanguageIndexOfLangId(WORD primary, WORD sub) {
  for (const LanguageRow* row = kLanguages; row->index != kLanguageEnd; ++row) {
    if (row->primary != primary) continue;
    if (sub == 0 || (row->sub != 0 && row->sub == sub)) return row->index;
  }
  return kLanguageUnknown;
}

WORD EnvLanguageIndexOfLcid(LCID lcid) {
  return EnvLanguageIndexOfLangId(static_cast<WORD>(lcid & 0x3FF), static_cast<WORD>((lcid & 0xFFFF) >> 10));
}

WORD EnvGetUserLanguageIndex() { return EnvLanguageIndexOfLcid(GetUserDefaultLCID()); }

BYTE EnvGetLangIds(WORD index, WORD* sub) {
  const LanguageRow* row = RowOfIndex(index);
  if (sub) *sub = row ? row->sub : 0;
  return row ? static_cast<BYTE>(row->primary) : 0;
}

BYTE EnvGetPrimaryLangId(WORD index) { return EnvGetLangIds(index, nullptr); }

int EnvIsKnownLanguageIndex(WORD index) { return RowOfIndex(index) ? 1 : 0; }

// ---- The language of a context -------------------------------------------------------------

const WCHAR* EnvGetLanguageCode(DriverContext* ctx) { return EnvLanguageCodeOfIndex(OptionLanguage(ctx)); }

const WCHAR* CfgLanguageCodeStr(DriverContext* ctx) { return EnvGetLanguageCode(ctx); }

WCHAR* CfgCopyLanguageCode(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  lstrcpynW(ctx->workArea->languageCode, EnvGetLanguageCode(ctx), kCtxShortNameChars);
  return ctx->workArea->languageCode;
}

WCHAR* CfgLanguageSection(DriverContext* ctx) { return CfgCopyLanguageCode(ctx); }
WCHAR* CfgLanguageSectionName(DriverContext* ctx) { return CfgCopyLanguageCode(ctx); }

int EnvIsUsingDecimalComma(DriverContext* ctx) { return ctx && ctx->settingsImage ? OptUsesDecimalComma(ctx) : 0; }

WORD EnvGetDriverLanguageIndex(DriverContext* ctx) {
  WCHAR name[MAX_PATH] = {};
  return PrnGetHelpFileNameOfDriver(name, ctx) ? EnvLanguageIndexOfFile(name) : kLanguageUs;
}

const WCHAR* EnvGetDriverLanguageCode(DriverContext* ctx) {
  WCHAR name[MAX_PATH] = {};
  return PrnGetHelpFileNameOfDriver(name, ctx) ? EnvLanguageCodeOfFile(name) : UsRow().code;
}

const WCHAR* EnvGetPrinterLanguageCodeOf(HANDLE printer) {
  WCHAR name[kHelpFileNameChars + 1] = {};
  return PrnReadHelpFileNameOf(name, sizeof name, printer) ? EnvLanguageCodeOfFile(name) : UsRow().code;
}

const WCHAR* EnvGetPrinterLanguageCode(DriverContext* ctx) {
  return ctx ? EnvGetPrinterLanguageCodeOf(ctx->printer) : UsRow().code;
}

WORD EnvGetPrinterLanguageIndex(DriverContext* ctx) {
  WCHAR name[kHelpFileNameChars + 1] = {};
  return ctx && PrnReadHelpFileNameOf(name, sizeof name, ctx->printer) ? EnvLanguageIndexOfFile(name) : kLanguageUs;
}

WCHAR* CfgHelpLanguageCode(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  const WCHAR* code = ctx->workArea->contextKind == 1 ? EnvGetDriverLanguageCode(ctx) : EnvGetPrinterLanguageCode(ctx);
  lstrcpynW(ctx->workArea->languageCode, code, kCtxShortNameChars);
  return ctx->workArea->languageCode;
}

// ---- Resource libraries and help -----------------------------------------------------------

namespace {

// Position of the '.' that begins the extension, when at least `before` characters precede it.
size_t DotOf(u16string_view name, size_t before) {
  const size_t dot = name.rfind(u'.');
  return dot != u16string_view::npos && dot >= before ? dot : u16string_view::npos;
}

bool PutName(const u16string& name, WCHAR* out, int size) {
  if (!out || size <= 0 || name.size() >= static_cast<size_t>(size)) {
    if (out && size > 0) out[0] = u'\0';
    return false;
  }
  lstrcpynW(out, name.c_str(), size);
  return true;
}

// The driver directory + a library name built from the model's UI resource library name,
// written into the work-area driver-directory buffer.
WCHAR* DriverDirPath(DriverContext* ctx, bool common) {
  if (!ctx || !ctx->workArea) return nullptr;
  WCHAR name[MAX_PATH] = {};
  WCHAR uiName[MAX_PATH] = {};
  if (MdlGetUiResDllName(ctx, uiName, MAX_PATH) <= 0) return nullptr;
  const int built = common ? EnvCommonResDllName(uiName, name, MAX_PATH)
                           : EnvLanguageResDllName(uiName, EnvGetLanguageCode(ctx), name, MAX_PATH);
  WCHAR* dir = PathGetDriverDir(ctx);
  if (!built || !dir[0] || lstrlenW(dir) + lstrlenW(name) >= kCtxPathChars) return nullptr;
  lstrcatW(dir, name);
  return dir;
}

}  // namespace

int EnvLanguageResDllName(const WCHAR* uiName, const WCHAR* code, WCHAR* out, int size) {
  const u16string_view name = View(uiName);
  const size_t dot = DotOf(name, 2);
  if (dot == u16string_view::npos || !code || lstrlenW(code) != 2) {
    if (out && size > 0) out[0] = u'\0';
    return 0;
  }
  u16string result(name);
  result[dot - 2] = code[0];
  result[dot - 1] = code[1];
  return PutName(result, out, size) ? 1 : 0;
}

int EnvCommonResDllName(const WCHAR* uiName, WCHAR* out, int size) {
  const u16string_view name = View(uiName);
  const size_t dot = DotOf(name, 4);
  if (dot == u16string_view::npos) {
    if (out && size > 0) out[0] = u'\0';
    return 0;
  }
  u16string result(name);
  result[dot - 4] = u'C';
  result[dot - 2] = u'X';
  result[dot - 1] = u'X';
  return PutName(result, out, size) ? 1 : 0;
}

WCHAR* PathGetLanguageResDll(DriverContext* ctx) { return DriverDirPath(ctx, false); }

WCHAR* PathGetCommonResDll(DriverContext* ctx) { return DriverDirPath(ctx, true); }

HMODULE EnvLoadResourceDll(DriverContext* ctx) {
  if (!ctx) return nullptr;
  if (!ctx->resourceLibrary) {
    if (const WCHAR* path = PathGetLanguageResDll(ctx)) ctx->resourceLibrary = LoadLibraryW(path);
  }
  return ctx->resourceLibrary;
}

int EnvFreeResourceDlls(DriverContext* ctx) {
  if (!ctx) return 0;
  EnvFreeModule(ctx->resourceLibrary);
  EnvFreeModule(ctx->neutralResourceLibrary);
  ctx->resourceLibrary = nullptr;
  ctx->neutralResourceLibrary = nullptr;
  return 1;
}

void EnvFreeModule(HMODULE module) {
  if (module) FreeLibrary(module);
}

WCHAR* PathGetHelpFile(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  WCHAR name[kHelpFileNameChars + 1] = {};
  if (PrnReadHelpFileName(name, sizeof name, ctx) && name[0]) {
    WCHAR* dir = PathGetDriverDir(ctx);
    if (!dir[0] || lstrlenW(dir) + lstrlenW(name) >= kCtxPathChars) return nullptr;
    lstrcatW(dir, name);
    return dir;
  }
  WCHAR* path = PathGetLanguageResDll(ctx);
  const int n = path ? lstrlenW(path) : 0;
  if (n < 3) return nullptr;
  lstrcpyW(path + n - 3, CfgUseHtmlHelp(ctx) ? u"chm" : u"hlp");
  return path;
}

int EnvIsJapaneseUi(DriverContext* ctx) {
  const WCHAR* path = PathGetLanguageResDll(ctx);
  const int n = path ? lstrlenW(path) : 0;
  // The language letters stand before a three-letter extension.
  if (n < 6 || path[n - 4] != u'.') return 0;
  return _wcsnicmp(path + n - 6, u"jp", 2) == 0 ? 1 : 0;
}
