// The lstr* calls and the runtime's 16-bit string helpers.
#include <unicode/uchar.h>

#include <climits>
#include <string>

#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/strings.h"

namespace {

using zolt::host::WideView;

// Word-sort classes of ASCII: 0 ignored at first (apostrophe, hyphen), 1 punctuation,
// 2 digits, 3 letters. Characters beyond ASCII come after the letters.
const char kPunctuationOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

struct Weight {
  uint32_t primary;  // 0: ignored at the first level
  uint32_t caseRank;  // 0 lower or no case, 1 upper
};

Weight WeightOf(char16_t c) {
  if (c == u'\'' || c == u'-' || c < 0x20 || c == 0x7F) return {0, 0};
  if (c < 0x80) {
    if (c >= u'0' && c <= u'9') return {0x100u + (c - u'0'), 0};
    if (c >= u'a' && c <= u'z') return {0x200u + (c - u'a'), 0};
    if (c >= u'A' && c <= u'Z') return {0x200u + (c - u'A'), 1};
    for (size_t i = 0; kPunctuationOrder[i]; ++i)
      if (kPunctuationOrder[i] == c) return {0x10u + static_cast<uint32_t>(i), 0};
    return {0x80, 0};
  }
  UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
  return {0x10000u + static_cast<uint32_t>(folded), u_isupper(c) ? 1u : 0u};
}

int Sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int WordCompare(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  // First level: the primary weights of the characters that count.
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && WeightOf(a[i]).primary == 0) ++i;
    while (j < b.size() && WeightOf(b[j]).primary == 0) ++j;
    if (i == a.size() || j == b.size()) {
      if (i != a.size()) return 1;
      if (j != b.size()) return -1;
      break;
    }
    uint32_t x = WeightOf(a[i]).primary, y = WeightOf(b[j]).primary;
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  // Second level: case, lower before upper.
  if (!ignoreCase) {
    i = j = 0;
    for (;;) {
      while (i < a.size() && WeightOf(a[i]).primary == 0) ++i;
      while (j < b.size() && WeightOf(b[j]).primary == 0) ++j;
      if (i == a.size() || j == b.size()) break;
      uint32_t x = WeightOf(a[i]).caseRank, y = WeightOf(b[j]).caseRank;
      if (x != y) return x < y ? -1 : 1;
      ++i;
      ++j;
    }
  }
  // Last: the ignored characters; fewer of them first, then their order.
  std::u16string ia, ib;
  for (char16_t c : a)
    if (WeightOf(c).primary == 0) ia += c;
  for (char16_t c : b)
    if (WeightOf(c).primary == 0) ib += c;
  if (ia.size() != ib.size()) return ia.size() < ib.size() ? -1 : 1;
  return Sign(ia.compare(ib));
}

int NullCompare(const void* a, const void* b) {
  if (!a && !b) return 0;
  return a ? 1 : -1;
}

std::u16string AnsiText(const char* s) {
  std::u16string out;
  if (!zolt::host::AnsiToWide(zolt::host::Machine::Facts().ansiCodePage, s, out))
    for (const char* p = s; *p; ++p) out += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return out;
}

char16_t FoldLower(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  UChar32 l = u_tolower(c);
  return l <= 0xFFFF ? static_cast<char16_t>(l) : c;
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

// strtoull over 16-bit text: the magnitude (saturated at ULLONG_MAX), the sign, and where the
// digits ended.
struct Parsed {
  unsigned long long value = 0;
  bool negative = false;
  bool overflow = false;
  const WCHAR* end = nullptr;
};

Parsed ParseNumber(const WCHAR* str, int base) {
  Parsed r;
  r.end = str;
  if (!str || base < 0 || base == 1 || base > 36) return r;
  const WCHAR* p = str;
  while (IsBlank(*p)) ++p;
  if (*p == u'+' || *p == u'-') {
    r.negative = *p == u'-';
    ++p;
  }
  if ((base == 0 || base == 16) && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && DigitValue(p[2]) < 16) {
    p += 2;
    base = 16;
  } else if (base == 0) {
    base = p[0] == u'0' ? 8 : 10;
  }
  const WCHAR* digits = p;
  while (DigitValue(*p) < base) {
    unsigned long long next;
    if (__builtin_mul_overflow(r.value, static_cast<unsigned long long>(base), &next) ||
        __builtin_add_overflow(next, static_cast<unsigned long long>(DigitValue(*p)), &next)) {
      r.overflow = true;
      next = ULLONG_MAX;
    }
    r.value = next;
    ++p;
  }
  if (p != digits) r.end = p;
  return r;
}

long long SaturatedSigned(const Parsed& p, long long lo, long long hi) {
  if (p.negative) {
    if (p.overflow || p.value > static_cast<unsigned long long>(-(lo + 1)) + 1) return lo;
    return -static_cast<long long>(p.value);
  }
  if (p.overflow || p.value > static_cast<unsigned long long>(hi)) return hi;
  return static_cast<long long>(p.value);
}

}  // namespace

WIN32_API int WINAPI lstrlenW(LPCWSTR lpString) { return static_cast<int>(zolt::host::WideLength(lpString)); }
WIN32_API int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::char_traits<char>::length(lpString)) : 0; }

WIN32_API LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  size_t n = zolt::host::WideLength(lpString2);
  std::char_traits<char16_t>::move(lpString1, lpString2, n + 1);
  return lpString1;
}

WIN32_API LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  std::char_traits<char>::move(lpString1, lpString2, std::char_traits<char>::length(lpString2) + 1);
  return lpString1;
}

namespace {

template <class C>
C* CopyAtMost(C* dst, const C* src, int maxLength) {
  if (!dst || !src) return nullptr;
  if (maxLength <= 0) return dst;
  int i = 0;
  for (; i + 1 < maxLength && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

}  // namespace

WIN32_API LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
  return CopyAtMost(lpString1, lpString2, iMaxLength);
}

WIN32_API LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  return CopyAtMost(lpString1, lpString2, iMaxLength);
}

WIN32_API LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  lstrcpyW(lpString1 + zolt::host::WideLength(lpString1), lpString2);
  return lpString1;
}

WIN32_API LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  lstrcpyA(lpString1 + std::char_traits<char>::length(lpString1), lpString2);
  return lpString1;
}

WIN32_API int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return NullCompare(lpString1, lpString2);
  return WordCompare(WideView(lpString1), WideView(lpString2), false);
}

WIN32_API int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
  if (!lpString1 || !lpString2) return NullCompare(lpString1, lpString2);
  return WordCompare(WideView(lpString1), WideView(lpString2), true);
}

WIN32_API int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return NullCompare(lpString1, lpString2);
  return WordCompare(AnsiText(lpString1), AnsiText(lpString2), false);
}

WIN32_API int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return NullCompare(lpString1, lpString2);
  return WordCompare(AnsiText(lpString1), AnsiText(lpString2), true);
}

WIN32_API int _wtoi(const WCHAR* str) {
  return static_cast<int>(SaturatedSigned(ParseNumber(str, 10), INT_MIN, INT_MAX));
}

WIN32_API LONG _wtol(const WCHAR* str) {
  return static_cast<LONG>(SaturatedSigned(ParseNumber(str, 10), INT32_MIN, INT32_MAX));
}

WIN32_API LONGLONG _wtoi64(const WCHAR* str) {
  return SaturatedSigned(ParseNumber(str, 10), LLONG_MIN, LLONG_MAX);
}

WIN32_API int _wcsicmp(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    char16_t x = FoldLower(*a), y = FoldLower(*b);
    if (x != y || !x) return x < y ? -1 : (x > y ? 1 : 0);
  }
}

WIN32_API int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    char16_t x = FoldLower(a[i]), y = FoldLower(b[i]);
    if (x != y || !x) return x < y ? -1 : (x > y ? 1 : 0);
  }
  return 0;
}

ULONG wcstoul(const WCHAR* str, WCHAR** end, int base) {
  Parsed p = ParseNumber(str, base);
  if (end) *end = const_cast<WCHAR*>(p.end);
  if (p.overflow || p.value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  ULONG v = static_cast<ULONG>(p.value);
  return p.negative ? static_cast<ULONG>(0u - v) : v;
}

LONG wcstol(const WCHAR* str, WCHAR** end, int base) {
  Parsed p = ParseNumber(str, base);
  if (end) *end = const_cast<WCHAR*>(p.end);
  return static_cast<LONG>(SaturatedSigned(p, INT32_MIN, INT32_MAX));
}

size_t wcslen(const WCHAR* s) { return zolt::host::WideLength(s); }

size_t wcsnlen(const WCHAR* s, size_t max) {
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

int wcscmp(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b)
    if (*a != *b || !*a) return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (a[i] != b[i] || !a[i]) return a[i] < b[i] ? -1 : (a[i] > b[i] ? 1 : 0);
  return 0;
}

WCHAR* wcscpy(WCHAR* dst, const WCHAR* src) {
  WCHAR* d = dst;
  while ((*d++ = *src++) != 0) {
  }
  return dst;
}

WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t count) {
  size_t i = 0;
  for (; i < count && src[i]; ++i) dst[i] = src[i];
  for (; i < count; ++i) dst[i] = 0;
  return dst;
}

WCHAR* wcscat(WCHAR* dst, const WCHAR* src) {
  wcscpy(dst + wcslen(dst), src);
  return dst;
}

const WCHAR* wcschr(const WCHAR* s, WCHAR c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}
WCHAR* wcschr(WCHAR* s, WCHAR c) { return const_cast<WCHAR*>(wcschr(static_cast<const WCHAR*>(s), c)); }

const WCHAR* wcsrchr(const WCHAR* s, WCHAR c) {
  const WCHAR* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return found;
  }
}
WCHAR* wcsrchr(WCHAR* s, WCHAR c) { return const_cast<WCHAR*>(wcsrchr(static_cast<const WCHAR*>(s), c)); }

const WCHAR* wcsstr(const WCHAR* s, const WCHAR* find) {
  std::u16string_view hay = WideView(s), needle = WideView(find);
  size_t at = hay.find(needle);
  return at == std::u16string_view::npos ? nullptr : s + at;
}
WCHAR* wcsstr(WCHAR* s, const WCHAR* find) {
  return const_cast<WCHAR*>(wcsstr(static_cast<const WCHAR*>(s), find));
}
