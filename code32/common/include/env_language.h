// The user-interface language of the driver (option 169), its resource libraries and help
// file, string loading with the label decorations, number texts and the bitmap-file check.
#pragma once

#include "driver_context.h"
#include "option_values.h"  // kOptLanguageId

// ---- Language table ------------------------------------------------------------------------
struct LanguageRow {
  WORD index;     // value of option 169
  WORD primary;   // primary language identifier
  WORD sub;       // sub-language identifier, 0 = any
  WCHAR code[3];  // two-letter code
};

constexpr WORD kLanguageEnd = 0xFFFF;     // index of the end row
constexpr WORD kLanguageUs = 1;           // the fallback of every lookup
constexpr WORD kLanguageUnknown = 0xFFFF; // the locale lookup's "no language"

// The fixed table: 21 rows, then a row whose index is kLanguageEnd.
const LanguageRow* OptGetLanguageTable();

const WCHAR* EnvLanguageCodeOfIndex(WORD index);  // "us" when no row has that index
WORD EnvFindLanguageIndex(const WCHAR* code);     // 1 for NULL or unknown; case-insensitive
const WCHAR* EnvFindLanguageCode(const WCHAR* code);
// The two characters before the file's extension.
WORD EnvLanguageIndexOfFile(const WCHAR* fileName);
const WCHAR* EnvLanguageCodeOfFile(const WCHAR* fileName);
WORD EnvLanguageIndexOfLangId(WORD primary, WORD sub);  // kLanguageUnknown when none matches
WORD EnvLanguageIndexOfLcid(LCID lcid);
WORD EnvGetUserLanguageIndex();
BYTE EnvGetLangIds(WORD index, WORD* sub);  // primary id (0 for an unknown index)
BYTE EnvGetPrimaryLangId(WORD index);
int EnvIsKnownLanguageIndex(WORD index);

// ---- The language of a context -------------------------------------------------------------
const WCHAR* EnvGetLanguageCode(DriverContext* ctx);  // of option 169
const WCHAR* CfgLanguageCodeStr(DriverContext* ctx);
WCHAR* CfgCopyLanguageCode(DriverContext* ctx);  // into the work area: the section name [<lang>]
WCHAR* CfgLanguageSection(DriverContext* ctx);
WCHAR* CfgLanguageSectionName(DriverContext* ctx);
WCHAR* CfgHelpLanguageCode(DriverContext* ctx);  // from the installed help file
WORD EnvGetDriverLanguageIndex(DriverContext* ctx);
const WCHAR* EnvGetDriverLanguageCode(DriverContext* ctx);
WORD EnvGetPrinterLanguageIndex(DriverContext* ctx);
const WCHAR* EnvGetPrinterLanguageCode(DriverContext* ctx);
const WCHAR* EnvGetPrinterLanguageCodeOf(HANDLE printer);
int EnvIsUsingDecimalComma(DriverContext* ctx);  // 0 without a settings image

// ---- Resource libraries and help -----------------------------------------------------------
// The library names of a UI resource library name: the two characters before the '.' become the
// language code; for the language-neutral library they become "XX" and the character two places
// before them 'C'. 1 when out (size characters) holds the name.
int EnvLanguageResDllName(const WCHAR* uiName, const WCHAR* code, WCHAR* out, int size);
int EnvCommonResDllName(const WCHAR* uiName, WCHAR* out, int size);
// Full paths in the driver directory (built in the work-area driver-directory buffer).
WCHAR* PathGetLanguageResDll(DriverContext* ctx);
WCHAR* PathGetCommonResDll(DriverContext* ctx);
HMODULE EnvLoadResourceDll(DriverContext* ctx);
int EnvFreeResourceDlls(DriverContext* ctx);
WCHAR* PathGetHelpFile(DriverContext* ctx);
int EnvIsJapaneseUi(DriverContext* ctx);
void EnvFreeModule(HMODULE module);

// ---- Strings and numbers -------------------------------------------------------------------
// Loads string id of the language library into out (outSize characters); with decorate set the
// label decorations run, never past outSize. Returns the characters in out; 0 and an empty out
// without a library.
int EnvLoadString(DriverContext* ctx, DWORD stringId, WCHAR* out, int outSize, int decorate);
// What the feature modules get with notify code 16 for the labels they may rewrite: the string
// id and the text in a buffer of kCtxScratchChars characters.
struct EnvDecorationNotice {
  DWORD stringId;
  WCHAR* text;
};
constexpr DWORD kFmNotifyDecorateLabel = 16;
// The label decorations of the string ids that have one; text (size characters) in and out.
void EnvDecorateString(DriverContext* ctx, DWORD stringId, WCHAR* text, int size);
// value / divisor as a fixed-point text with as many decimals as divisor has zeros (1-4), in the
// context language's decimal mark. out must hold kEnvNumberChars characters.
constexpr int kEnvNumberChars = 24;
WCHAR* EnvFormatFixedPoint(WCHAR* out, int divisor, int value, DriverContext* ctx);
// Points after the last '(' become commas.
WCHAR* EnvUseDecimalComma(WCHAR* text);

// ---- Pictures ------------------------------------------------------------------------------
// Opens a BMP file with a BITMAPINFOHEADER for reading; on success the file stays open at the
// just after the info-header size (offset 18). 1/0.
int EnvOpenBitmapFile(const WCHAR* path, HFILE* out);
