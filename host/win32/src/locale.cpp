// Locales: the user's, the system's and the thread's locale, and locale information.
#include <cstring>
#include <string>

#include "win32/codepage.h"
#include "win32/hosttext.h"
#include "win32/locale.h"
#include "win32/machine.h"

namespace {

struct LocaleRow {
  LCID lcid;
  const char16_t* name;
  const char16_t* abbrev;
  const char16_t* iso639;
  const char16_t* iso3166;
  int country;
  UINT ansiCodePage;
  UINT oemCodePage;
  int measure;    // 0 metric, 1 U.S.
  int paperSize;  // 1 letter, 9 A4
  const char16_t* englishLanguage;
  const char16_t* englishCountry;
  const char16_t* nativeLanguage;
  const char16_t* nativeCountry;
  const char16_t* decimal;
  const char16_t* thousand;
  const char16_t* list;
};

constexpr LocaleRow kLocales[] = {
#include "locale_rows.inc"
};

const LocaleRow* FindLocale(LCID lcid) {
  for (const LocaleRow& row : kLocales)
    if (row.lcid == lcid) return &row;
  return nullptr;
}

// The locale whose ANSI code page is the machine's, for the system locale.
LCID SystemLocale() {
  const auto& facts = zolt::host::Machine::Facts();
  const LocaleRow* user = FindLocale(facts.userLocale);
  if (user && user->ansiCodePage == facts.ansiCodePage) return user->lcid;
  switch (facts.ansiCodePage) {
    case 932: return 0x0411;
    case 936: return 0x0804;
    case 949: return 0x0412;
    case 950: return 0x0404;
    case 1250: return 0x0415;
    case 1251: return 0x0419;
    case 1253: return 0x0408;
    case 1254: return 0x041F;
    default: return 0x0409;
  }
}

thread_local LCID t_threadLocale = 0;  // 0: the user's locale

// Resolves the pseudo locales and drops the sort bits.
LCID ResolveLocale(LCID locale) {
  LCID lcid = LANGIDFROMLCID(locale);
  switch (lcid) {
    case LOCALE_USER_DEFAULT:
    case LOCALE_NEUTRAL:
    case LOCALE_CUSTOM_DEFAULT:
    case LOCALE_CUSTOM_UI_DEFAULT: return GetUserDefaultLCID();
    case LOCALE_SYSTEM_DEFAULT: return GetSystemDefaultLCID();
    case LOCALE_INVARIANT: return 0x0409;  // the invariant locale reads like English
    default: return lcid;
  }
}

std::u16string Number(long value) {
  std::string s = std::to_string(value);
  return std::u16string(s.begin(), s.end());
}

// The text of one field, or false for an unknown field.
bool Field(const LocaleRow& row, LCTYPE type, std::u16string& out) {
  switch (type) {
    case LOCALE_ILANGUAGE: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(row.lcid));
      out.assign(hex, hex + 4);
      return true;
    }
    case LOCALE_SLANGUAGE:
    case LOCALE_SENGLISHDISPLAYNAME:
      out = std::u16string(row.englishLanguage) + u" (" + row.englishCountry + u")";
      return true;
    case LOCALE_SNATIVEDISPLAYNAME:
      out = std::u16string(row.nativeLanguage) + u" (" + row.nativeCountry + u")";
      return true;
    case LOCALE_SABBREVLANGNAME: out = row.abbrev; return true;
    case LOCALE_SNATIVELANGNAME: out = row.nativeLanguage; return true;
    case LOCALE_ICOUNTRY:
    case LOCALE_IDEFAULTCOUNTRY: out = Number(row.country); return true;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY: out = row.englishCountry; return true;
    case LOCALE_SNATIVECTRYNAME: out = row.nativeCountry; return true;
    case LOCALE_IDEFAULTLANGUAGE: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(row.lcid));
      out.assign(hex, hex + 4);
      return true;
    }
    case LOCALE_IDEFAULTCODEPAGE: out = Number(row.oemCodePage); return true;
    case LOCALE_IDEFAULTANSICODEPAGE: out = Number(row.ansiCodePage); return true;
    case LOCALE_SLIST: out = row.list; return true;
    case LOCALE_IMEASURE: out = Number(row.measure); return true;
    case LOCALE_IPAPERSIZE: out = Number(row.paperSize); return true;
    case LOCALE_SDECIMAL: out = row.decimal; return true;
    case LOCALE_STHOUSAND: out = row.thousand; return true;
    case LOCALE_SENGLANGUAGE: out = row.englishLanguage; return true;
    case LOCALE_SISO639LANGNAME: out = row.iso639; return true;
    case LOCALE_SISO3166CTRYNAME: out = row.iso3166; return true;
    case LOCALE_SNAME: out = row.name; return true;
    default: return false;
  }
}

// The fields that LOCALE_RETURN_NUMBER can give as a number.
bool IsNumberField(LCTYPE type) {
  switch (type) {
    case LOCALE_ILANGUAGE:
    case LOCALE_ICOUNTRY:
    case LOCALE_IDEFAULTCOUNTRY:
    case LOCALE_IDEFAULTLANGUAGE:
    case LOCALE_IDEFAULTCODEPAGE:
    case LOCALE_IDEFAULTANSICODEPAGE:
    case LOCALE_IMEASURE:
    case LOCALE_IPAPERSIZE: return true;
    default: return false;
  }
}

// Looks the field up; on failure sets the last error and returns false.
bool LocaleText(LCID Locale, LCTYPE LCType, std::u16string& text, bool& asNumber, DWORD& number) {
  const LocaleRow* row = FindLocale(ResolveLocale(Locale));
  if (!row) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  asNumber = (LCType & LOCALE_RETURN_NUMBER) != 0;
  LCTYPE type = LCType & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER);
  if (!Field(*row, type, text) || (asNumber && !IsNumberField(type))) {
    SetLastError(ERROR_INVALID_FLAGS);
    return false;
  }
  if (asNumber) {
    bool hex = type == LOCALE_ILANGUAGE || type == LOCALE_IDEFAULTLANGUAGE;
    number = static_cast<DWORD>(std::stoul(zolt::host::ToUtf8(text), nullptr, hex ? 16 : 10));
  }
  return true;
}

}  // namespace

WIN32_API LCID WINAPI GetUserDefaultLCID(void) { return zolt::host::Machine::Facts().userLocale; }
WIN32_API LANGID WINAPI GetUserDefaultLangID(void) { return LANGIDFROMLCID(GetUserDefaultLCID()); }
WIN32_API LCID WINAPI GetSystemDefaultLCID(void) { return SystemLocale(); }
WIN32_API LANGID WINAPI GetSystemDefaultLangID(void) { return LANGIDFROMLCID(SystemLocale()); }
WIN32_API LCID WINAPI GetThreadLocale(void) { return t_threadLocale ? t_threadLocale : GetUserDefaultLCID(); }

WIN32_API BOOL WINAPI SetThreadLocale(LCID Locale) {
  LCID lcid = ResolveLocale(Locale);
  if (!FindLocale(LANGIDFROMLCID(lcid))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_threadLocale = lcid;
  return TRUE;
}

WIN32_API BOOL WINAPI IsValidLocale(LCID Locale, DWORD) { return FindLocale(LANGIDFROMLCID(Locale)) ? TRUE : FALSE; }

namespace {

// Writes an answer of `need` units (cchData 0: only the size), as both forms of the call do.
template <class C>
int Answer(const void* data, int need, C* out, int cchData) {
  if (cchData == 0) return need;
  if (cchData < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, data, static_cast<size_t>(need) * sizeof(C));
  return need;
}

}  // namespace

WIN32_API int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string text;
  bool asNumber = false;
  DWORD number = 0;
  if (!LocaleText(Locale, LCType, text, asNumber, number)) return 0;
  if (asNumber) return Answer(&number, sizeof(DWORD) / sizeof(WCHAR), lpLCData, cchData);
  return Answer(text.c_str(), static_cast<int>(text.size()) + 1, lpLCData, cchData);
}

WIN32_API int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string text;
  bool asNumber = false;
  DWORD number = 0;
  if (!LocaleText(Locale, LCType, text, asNumber, number)) return 0;
  if (asNumber) return Answer(&number, sizeof(DWORD), lpLCData, cchData);
  // Text in the locale's own ANSI code page, or the machine's with LOCALE_USE_CP_ACP.
  const LocaleRow* row = FindLocale(ResolveLocale(Locale));
  UINT cp = (LCType & LOCALE_USE_CP_ACP) ? GetACP() : row->ansiCodePage;
  std::string bytes;
  zolt::host::WideToAnsi(cp, text, bytes);
  return Answer(bytes.c_str(), static_cast<int>(bytes.size()) + 1, lpLCData, cchData);
}
