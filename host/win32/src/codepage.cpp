// Code pages: the machine's ANSI and OEM code pages, conversions through ICU's Windows
// converters with the platform's substitutions, lead bytes, and the character-set table of GDI.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <cstring>
#include <memory>
#include <unordered_map>

#include "win32/codepage.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

namespace zolt::host {

const char* CodePageConverterName(UINT codePage) {
  switch (codePage) {
    case 437: return "ibm-437_P100-1995";
    case 737: return "ibm-737_P100-1997";
    case 775: return "ibm-775_P100-1996";
    case 850: return "ibm-850_P100-1995";
    case 852: return "ibm-852_P100-1995";
    case 855: return "ibm-855_P100-1995";
    case 857: return "ibm-857_P100-1995";
    case 860: return "ibm-860_P100-1995";
    case 861: return "ibm-861_P100-1995";
    case 862: return "ibm-862_P100-1995";
    case 863: return "ibm-863_P100-1995";
    case 865: return "ibm-865_P100-1995";
    case 866: return "ibm-866_P100-1995";
    case 869: return "ibm-869_P100-1995";
    case 874: return "windows-874-2000";
    case 932: return "windows-31j";
    case 936: return "windows-936-2000";
    case 949: return "windows-949-2000";
    case 950: return "windows-950-2000";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 28597: return "ISO-8859-7";
    case 28605: return "ISO-8859-15";
    case 65000: return "UTF-7";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

UINT ResolveCodePage(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP: return Machine::Facts().ansiCodePage;
    case CP_OEMCP: return Machine::Facts().oemCodePage;
    default: return codePage;
  }
}

bool IsDbcsCodePage(UINT codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

bool IsLeadByte(UINT codePage, unsigned char b) {
  switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

// One converter per code page and thread; ICU shares the tables behind them.
UConverter* Converter(UINT codePage) {
  thread_local std::unordered_map<UINT, std::unique_ptr<UConverter, ConverterCloser>> cache;
  auto it = cache.find(codePage);
  if (it != cache.end()) {
    ucnv_reset(it->second.get());
    return it->second.get();
  }
  const char* name = CodePageConverterName(codePage);
  if (!name) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(name, &status);
  if (U_FAILURE(status)) return nullptr;
  cache.emplace(codePage, std::unique_ptr<UConverter, ConverterCloser>(c));
  return c;
}

// Code page 932 maps four single bytes that windows-31j leaves out: 0x80 to U+0080 and 0xA0,
// 0xFD, 0xFE, 0xFF to the private-use characters U+F8F0..U+F8F3, and back.
char16_t Cp932SingleToWide(unsigned char b) {
  switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0;
  }
}

int Cp932WideToSingle(UChar32 c) {
  switch (c) {
    case 0x0080: return 0x80;
    case 0xF8F0: return 0xA0;
    case 0xF8F1: return 0xFD;
    case 0xF8F2: return 0xFE;
    case 0xF8F3: return 0xFF;
    default: return -1;
  }
}

// The character that stands for undefined input: U+FFFD for UTF-8, the katakana middle dot
// for the double-byte code pages, "?" for the others.
UChar UnicodeDefaultChar(UINT codePage) {
  if (codePage == CP_UTF8 || codePage == CP_UTF7) return 0xFFFD;
  if (IsDbcsCodePage(codePage)) return 0x30FB;
  return u'?';
}

struct ToUContext {
  UINT codePage;
  bool strict;
  bool failed = false;
};

void ToUCallback(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits,
                 int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* ctx = static_cast<ToUContext*>(const_cast<void*>(context));
  if (ctx->codePage == 932 && length == 1) {
    char16_t w = Cp932SingleToWide(static_cast<unsigned char>(codeUnits[0]));
    if (w) {
      *err = U_ZERO_ERROR;
      UChar u = w;
      ucnv_cbToUWriteUChars(args, &u, 1, 0, err);
      return;
    }
  }
  if (ctx->strict) {
    ctx->failed = true;
    return;  // the error stands and stops the conversion
  }
  *err = U_ZERO_ERROR;
  UChar sub = UnicodeDefaultChar(ctx->codePage);
  ucnv_cbToUWriteUChars(args, &sub, 1, 0, err);
}

struct FromUContext {
  UINT codePage;
  bool strict;
  std::string defaultBytes;
  bool usedDefault = false;
  bool failed = false;
};

void FromUCallback(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                   UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* ctx = static_cast<FromUContext*>(const_cast<void*>(context));
  if (ctx->codePage == 932 && reason == UCNV_UNASSIGNED) {
    int b = Cp932WideToSingle(codePoint);
    if (b >= 0) {
      *err = U_ZERO_ERROR;
      char c = static_cast<char>(b);
      ucnv_cbFromUWriteBytes(args, &c, 1, 0, err);
      return;
    }
  }
  if (ctx->strict) {
    ctx->failed = true;
    return;
  }
  *err = U_ZERO_ERROR;
  ctx->usedDefault = true;
  ucnv_cbFromUWriteBytes(args, ctx->defaultBytes.data(), static_cast<int32_t>(ctx->defaultBytes.size()), 0, err);
}

}  // namespace

DecodeStatus Decode(UINT codePage, std::string_view bytes, bool strict, std::u16string& out) {
  out.clear();
  UConverter* c = Converter(codePage);
  if (!c) return DecodeStatus::UnknownCodePage;
  if (bytes.empty()) return DecodeStatus::Ok;
  ToUContext ctx{codePage, strict};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(c, ToUCallback, &ctx, nullptr, nullptr, &status);
  // UTF-7 may give two units for a byte at most in its shifted form; every other code page
  // gives at most one unit per byte.
  std::u16string buf(bytes.size() * 2 + 2, u'\0');
  status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(c, reinterpret_cast<UChar*>(buf.data()), static_cast<int32_t>(buf.size()),
                            bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  ucnv_reset(c);
  if (ctx.failed) return DecodeStatus::Invalid;
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return DecodeStatus::Invalid;
  buf.resize(static_cast<size_t>(n));
  out = std::move(buf);
  return DecodeStatus::Ok;
}

DecodeStatus Encode(UINT codePage, std::u16string_view text, const EncodeOptions& options, std::string& out,
                    bool* usedDefault) {
  out.clear();
  if (usedDefault) *usedDefault = false;
  UConverter* c = Converter(codePage);
  if (!c) return DecodeStatus::UnknownCodePage;
  if (text.empty()) return DecodeStatus::Ok;
  FromUContext ctx{codePage, options.strict, {}};
  if (codePage == CP_UTF8)
    ctx.defaultBytes = "\xEF\xBF\xBD";
  else if (options.defaultChar && options.defaultChar[0]) {
    ctx.defaultBytes = options.defaultChar[0];
    if (IsLeadByte(codePage, static_cast<unsigned char>(options.defaultChar[0])) && options.defaultChar[1])
      ctx.defaultBytes += options.defaultChar[1];
  } else {
    ctx.defaultBytes = "?";
  }
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c, FromUCallback, &ctx, nullptr, nullptr, &status);
  ucnv_setFallback(c, options.bestFit ? true : false);
  std::string buf(text.size() * 4 + 8, '\0');
  status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(c, buf.data(), static_cast<int32_t>(buf.size()),
                              reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                              &status);
  ucnv_reset(c);
  if (ctx.failed) return DecodeStatus::Invalid;
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return DecodeStatus::Invalid;
  buf.resize(static_cast<size_t>(n));
  out = std::move(buf);
  if (usedDefault) *usedDefault = ctx.usedDefault;
  return DecodeStatus::Ok;
}

size_t CharacterBoundary(UINT codePage, std::string_view bytes, size_t limit) {
  if (limit >= bytes.size()) return bytes.size();
  if (codePage == CP_UTF8) {
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    return cut;
  }
  if (!IsDbcsCodePage(codePage)) return limit;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t len = (IsLeadByte(codePage, static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
    if (i + len > limit) break;
    i += len;
  }
  return i;
}

bool AnsiToWide(UINT codePage, std::string_view bytes, std::u16string& out) {
  return Decode(ResolveCodePage(codePage), bytes, false, out) == DecodeStatus::Ok;
}

bool WideToAnsi(UINT codePage, std::u16string_view text, std::string& out, const char* defaultChar,
                bool* usedDefault) {
  EncodeOptions options;
  options.defaultChar = defaultChar;
  return Encode(ResolveCodePage(codePage), text, options, out, usedDefault) == DecodeStatus::Ok;
}

}  // namespace zolt::host

using namespace zolt::host;

namespace {

// The output of the two conversions: the size when cap is 0, else the text when it fits,
// else as much as fits and ERROR_INSUFFICIENT_BUFFER.
template <class S>
int CopyOut(const S& text, typename S::value_type* out, int cap) {
  if (cap == 0) return static_cast<int>(text.size());
  using C = typename S::value_type;
  if (text.size() > static_cast<size_t>(cap)) {
    std::memcpy(out, text.data(), static_cast<size_t>(cap) * sizeof(C));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, text.data(), text.size() * sizeof(C));
  return static_cast<int>(text.size());
}

}  // namespace

WIN32_API UINT WINAPI GetACP(void) { return Machine::Facts().ansiCodePage; }
WIN32_API UINT WINAPI GetOEMCP(void) { return Machine::Facts().oemCodePage; }

WIN32_API BOOL WINAPI IsValidCodePage(UINT CodePage) {
  // The pseudo code pages (CP_ACP, ...) are not code pages of their own.
  if (CodePage == CP_ACP || CodePage == CP_OEMCP || CodePage == CP_MACCP || CodePage == CP_THREAD_ACP) return FALSE;
  return CodePageConverterName(CodePage) != nullptr;
}

WIN32_API BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo) {
  UINT cp = ResolveCodePage(CodePage);
  if (!lpCPInfo || !CodePageConverterName(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(lpCPInfo, 0, sizeof *lpCPInfo);
  lpCPInfo->DefaultChar[0] = '?';
  lpCPInfo->MaxCharSize = cp == CP_UTF8 ? 4 : cp == CP_UTF7 ? 5 : IsDbcsCodePage(cp) ? 2 : 1;
  if (cp == 932) {
    const BYTE ranges[] = {0x81, 0x9F, 0xE0, 0xFC};
    std::memcpy(lpCPInfo->LeadByte, ranges, sizeof ranges);
  } else if (IsDbcsCodePage(cp)) {
    lpCPInfo->LeadByte[0] = 0x81;
    lpCPInfo->LeadByte[1] = 0xFE;
  }
  return TRUE;
}

WIN32_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                         LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (!lpWideCharStr && cchWideChar != 0) ||
      (lpWideCharStr && static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT cp = ResolveCodePage(CodePage);
  if (!CodePageConverterName(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD known = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((dwFlags & ~known) || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE)) ||
      ((cp == CP_UTF8 || cp == CP_UTF7) && (dwFlags & ~DWORD{MB_ERR_INVALID_CHARS}))) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  std::u16string wide;
  if (Decode(cp, std::string_view(lpMultiByteStr, length), (dwFlags & MB_ERR_INVALID_CHARS) != 0, wide) !=
      DecodeStatus::Ok) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return CopyOut(wide, lpWideCharStr, cchWideChar);
}

WIN32_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                         LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                         LPBOOL lpUsedDefaultChar) {
  if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (!lpMultiByteStr && cbMultiByte != 0) ||
      (lpMultiByteStr && static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT cp = ResolveCodePage(CodePage);
  if (!CodePageConverterName(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const bool unicodeTarget = cp == CP_UTF8 || cp == CP_UTF7;
  if (unicodeTarget) {
    // The Unicode targets take no default character and only the strictness flag.
    if (dwFlags & ~DWORD{WC_ERR_INVALID_CHARS}) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
    if (lpDefaultChar || lpUsedDefaultChar) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  } else {
    const DWORD known = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
    if (dwFlags & ~known) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
  }
  size_t length = cchWideChar == -1 ? WideLength(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  EncodeOptions options;
  options.strict = unicodeTarget && (dwFlags & WC_ERR_INVALID_CHARS);
  options.bestFit = !(dwFlags & WC_NO_BEST_FIT_CHARS);
  options.defaultChar = lpDefaultChar;
  std::string bytes;
  bool used = false;
  if (Encode(cp, std::u16string_view(lpWideCharStr, length), options, bytes, &used) != DecodeStatus::Ok) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (lpUsedDefaultChar) *lpUsedDefaultChar = used ? TRUE : FALSE;
  return CopyOut(bytes, lpMultiByteStr, cbMultiByte);
}

WIN32_API BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  UINT cp = ResolveCodePage(CodePage);
  if (!CodePageConverterName(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return IsLeadByte(cp, TestChar) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return IsDBCSLeadByteEx(CP_ACP, TestChar); }

WIN32_API NTSTATUS WINAPI RtlMultiByteToUnicodeN(PWCH UnicodeString, ULONG MaxBytesInUnicodeString,
                                                 PULONG BytesInUnicodeString, const CHAR* MultiByteString,
                                                 ULONG BytesInMultiByteString) {
  std::u16string wide;
  if (MultiByteString && BytesInMultiByteString)
    Decode(GetACP(), std::string_view(MultiByteString, BytesInMultiByteString), false, wide);
  size_t units = UnicodeString ? std::min<size_t>(wide.size(), MaxBytesInUnicodeString / sizeof(WCHAR)) : 0;
  if (units) std::memcpy(UnicodeString, wide.data(), units * sizeof(WCHAR));
  if (BytesInUnicodeString) *BytesInUnicodeString = static_cast<ULONG>(units * sizeof(WCHAR));
  return STATUS_SUCCESS;
}

WIN32_API NTSTATUS WINAPI RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                                 PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                                 ULONG BytesInUnicodeString) {
  UINT cp = GetACP();
  std::string bytes;
  if (UnicodeString && BytesInUnicodeString >= sizeof(WCHAR))
    Encode(cp, std::u16string_view(UnicodeString, BytesInUnicodeString / sizeof(WCHAR)), EncodeOptions{}, bytes,
           nullptr);
  size_t count = MultiByteString ? CharacterBoundary(cp, bytes, MaxBytesInMultiByteString) : 0;
  if (count) std::memcpy(MultiByteString, bytes.data(), count);
  if (BytesInMultiByteString) *BytesInMultiByteString = static_cast<ULONG>(count);
  return STATUS_SUCCESS;
}

namespace {

struct CharsetRow {
  UINT charset;
  UINT codePage;
  int signatureBit;  // bit of FONTSIGNATURE.fsCsb[0]
};

constexpr CharsetRow kCharsets[] = {
    {ANSI_CHARSET, 1252, 0},       {EASTEUROPE_CHARSET, 1250, 1},  {RUSSIAN_CHARSET, 1251, 2},
    {GREEK_CHARSET, 1253, 3},      {TURKISH_CHARSET, 1254, 4},     {HEBREW_CHARSET, 1255, 5},
    {ARABIC_CHARSET, 1256, 6},     {BALTIC_CHARSET, 1257, 7},      {VIETNAMESE_CHARSET, 1258, 8},
    {THAI_CHARSET, 874, 16},       {SHIFTJIS_CHARSET, 932, 17},    {GB2312_CHARSET, 936, 18},
    {HANGEUL_CHARSET, 949, 19},    {CHINESEBIG5_CHARSET, 950, 20}, {JOHAB_CHARSET, 1361, 21},
    {SYMBOL_CHARSET, CP_SYMBOL, 31},
};

}  // namespace

WIN32_API BOOL WINAPI TranslateCharsetInfo(DWORD* lpSrc, LPCHARSETINFO lpCs, DWORD dwFlags) {
  if (!lpCs) return FALSE;
  const CharsetRow* found = nullptr;
  const auto value = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpSrc));
  for (const CharsetRow& row : kCharsets) {
    bool match = false;
    switch (dwFlags) {
      case TCI_SRCCHARSET: match = row.charset == value; break;
      case TCI_SRCCODEPAGE: match = row.codePage == value; break;
      case TCI_SRCFONTSIG: match = lpSrc && (lpSrc[0] & (1u << row.signatureBit)) != 0; break;
      default: return FALSE;
    }
    if (match) {
      found = &row;
      break;
    }
  }
  if (!found) return FALSE;
  std::memset(lpCs, 0, sizeof *lpCs);
  lpCs->ciCharset = found->charset;
  lpCs->ciACP = found->codePage;
  lpCs->fs.fsCsb[0] = 1u << found->signatureBit;
  return TRUE;
}
