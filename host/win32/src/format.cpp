// The wsprintf family and the runtime's swprintf over 16-bit text.
#include <cstdio>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "win32/format.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

namespace {

using zolt::host::Machine;

// The platform's limit of wsprintf: 1024 characters and the NUL.
constexpr size_t kWsprintfLimit = 1024;

enum class Dialect { Wsprintf, Runtime };

std::u16string WidenAnsi(const char* s, size_t maxChars) {
  std::string bytes;
  for (size_t i = 0; s[i] && i < maxChars; ++i) bytes += s[i];
  std::u16string out;
  if (!zolt::host::AnsiToWide(Machine::Facts().ansiCodePage, bytes, out))
    for (unsigned char b : bytes) out += static_cast<char16_t>(b);
  return out;
}

std::string NarrowWide(const WCHAR* s, size_t maxChars) {
  std::u16string text;
  for (size_t i = 0; s[i] && i < maxChars; ++i) text += s[i];
  std::string out;
  if (!zolt::host::WideToAnsi(Machine::Facts().ansiCodePage, text, out))
    for (char16_t c : text) out += c < 0x100 ? static_cast<char>(c) : '?';
  return out;
}

// Text of one character or string argument in the output's own character type.
template <class C>
struct Out;

template <>
struct Out<char16_t> {
  static std::u16string Own(const char16_t* s, size_t max) {
    std::u16string r;
    for (size_t i = 0; s[i] && i < max; ++i) r += s[i];
    return r;
  }
  static std::u16string Other(const char* s, size_t max) { return WidenAnsi(s, max); }
  static std::u16string OwnChar(unsigned v) { return std::u16string(1, static_cast<char16_t>(v)); }
  static std::u16string OtherChar(unsigned v) {
    char c[2] = {static_cast<char>(v), 0};
    return WidenAnsi(c, 1);
  }
};

template <>
struct Out<char> {
  static std::string Own(const char* s, size_t max) {
    std::string r;
    for (size_t i = 0; s[i] && i < max; ++i) r += s[i];
    return r;
  }
  static std::string Other(const char16_t* s, size_t max) { return NarrowWide(s, max); }
  static std::string OwnChar(unsigned v) { return std::string(1, static_cast<char>(v)); }
  static std::string OtherChar(unsigned v) {
    char16_t c[2] = {static_cast<char16_t>(v), 0};
    return NarrowWide(c, 1);
  }
};

template <class C>
using OtherChar = std::conditional_t<std::is_same_v<C, char16_t>, char, char16_t>;

template <class C>
void Pad(std::basic_string<C>& out, size_t n, C fill) {
  out.append(n, fill);
}

// Formats into out. The argument list is consumed as the conversions ask.
template <class C>
void Format(std::basic_string<C>& out, const C* fmt, va_list args, Dialect dialect) {
  using S = std::basic_string<C>;
  const bool crt = dialect == Dialect::Runtime;
  for (const C* p = fmt; *p; ++p) {
    if (*p != C('%')) {
      out += *p;
      continue;
    }
    ++p;
    if (!*p) break;
    bool left = false, alt = false, zero = false, plus = false, space = false;
    for (;; ++p) {
      if (*p == C('-')) left = true;
      else if (*p == C('#')) alt = true;
      else if (*p == C('0')) zero = true;
      else if (crt && *p == C('+')) plus = true;
      else if (crt && *p == C(' ')) space = true;
      else break;
    }
    int width = 0;
    if (crt && *p == C('*')) {
      width = va_arg(args, int);
      if (width < 0) {
        left = true;
        width = width == INT32_MIN ? INT32_MAX : -width;
      }
      ++p;
    } else {
      for (; *p >= C('0') && *p <= C('9'); ++p)
        if (width < 100000) width = width * 10 + (*p - C('0'));
    }
    int precision = -1;
    if (*p == C('.')) {
      ++p;
      precision = 0;
      if (crt && *p == C('*')) {
        precision = va_arg(args, int);
        ++p;
      } else {
        for (; *p >= C('0') && *p <= C('9'); ++p)
          if (precision < 100000) precision = precision * 10 + (*p - C('0'));
      }
    }
    width = width > 100000 ? 100000 : width;
    precision = precision > 100000 ? 100000 : precision;
    enum { kNone, kShort, kLong, kLongLong } size = kNone;
    if (*p == C('h')) {
      size = kShort;
      ++p;
    } else if (*p == C('l')) {
      size = kLong;
      ++p;
      if (crt && *p == C('l')) {
        size = kLongLong;
        ++p;
      }
    } else if (crt && *p == C('I') && p[1] == C('6') && p[2] == C('4')) {
      size = kLongLong;
      p += 3;
    } else if (crt && *p == C('I') && p[1] == C('3') && p[2] == C('2')) {
      size = kLong;
      p += 3;
    } else if (crt && (*p == C('z') || *p == C('I'))) {
      size = kLongLong;  // size_t is 64-bit here
      ++p;
    }
    if (!*p) break;
    C type = *p;
    S piece;
    bool numeric = false;
    switch (type) {
      case C('c'):
      case C('C'): {
        unsigned v = static_cast<unsigned>(va_arg(args, int));
        // In the W form c is wide and C ANSI, in the A form the reverse; h and l choose
        // ANSI and wide outright.
        bool own = (type == C('c'));
        if (size == kShort) own = std::is_same_v<C, char>;
        if (size == kLong) own = std::is_same_v<C, char16_t>;
        piece = own ? Out<C>::OwnChar(v) : Out<C>::OtherChar(v);
        break;
      }
      case C('s'):
      case C('S'): {
        bool own = (type == C('s'));
        if (size == kShort) own = std::is_same_v<C, char>;
        if (size == kLong) own = std::is_same_v<C, char16_t>;
        size_t max = precision < 0 ? SIZE_MAX : static_cast<size_t>(precision);
        if (own) {
          const C* s = va_arg(args, const C*);
          if (s) {
            piece = Out<C>::Own(s, max);
          } else {
            for (const char* n = "(null)"; *n && piece.size() < max; ++n) piece += C(*n);
          }
        } else {
          const OtherChar<C>* s = va_arg(args, const OtherChar<C>*);
          if (s) {
            piece = Out<C>::Other(s, max);
          } else {
            for (const char* n = "(null)"; *n && piece.size() < max; ++n) piece += C(*n);
          }
        }
        break;
      }
      case C('d'):
      case C('i'):
      case C('u'):
      case C('x'):
      case C('X'):
      case C('o'):
      case C('p'): {
        if (type == C('o') && !crt) {
          piece += type;
          break;
        }
        if (type == C('p') && !crt) {
          piece += type;
          break;
        }
        numeric = true;
        std::string directive = "%";
        if (left) directive += '-';
        if (alt && type != C('p')) directive += '#';
        if (zero && !left) directive += '0';
        if (plus) directive += '+';
        if (space) directive += ' ';
        if (width) directive += std::to_string(width);
        // The platform's wsprintf: a precision of 0 or none means at least one digit, and
        // the "0" flag pads even with a precision given (the C library would drop it).
        int prec = precision;
        if (!crt && prec == 0) prec = 1;
        if (prec >= 0 && !(zero && !crt && !left)) directive += "." + std::to_string(prec);
        char buf[32];
        std::string text;
        if (type == C('p')) {
          std::snprintf(buf, sizeof buf, "%016llX",
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(args, void*))));
          text = buf;
          if (width > static_cast<int>(text.size()))
            text = left ? text + std::string(width - text.size(), ' ') : std::string(width - text.size(), ' ') + text;
        } else {
          char conv = static_cast<char>(type == C('i') ? 'd' : type);
          std::string full = directive + "ll" + conv;
          long long sv = 0;
          unsigned long long uv = 0;
          if (size == kLongLong) {
            sv = va_arg(args, long long);
            uv = static_cast<unsigned long long>(sv);
          } else {
            int v = va_arg(args, int);
            if (size == kShort && crt) v = static_cast<short>(v);
            sv = v;
            uv = static_cast<unsigned>(v);
            if (size == kShort && crt) uv = static_cast<unsigned short>(v);
          }
          std::vector<char> big(static_cast<size_t>(width) + static_cast<size_t>(prec > 0 ? prec : 0) + 64);
          if (conv == 'd')
            std::snprintf(big.data(), big.size(), full.c_str(), sv);
          else
            std::snprintf(big.data(), big.size(), full.c_str(), uv);
          text = big.data();
          // wsprintf pads with zeros up to the precision as well as the width.
          if (!crt && zero && !left && prec > 1) {
            size_t digits = text.size();
            size_t signLen = (!text.empty() && text[0] == '-') ? 1 : 0;
            size_t prefix = (alt && (conv == 'x' || conv == 'X') && uv) ? 2 : 0;
            digits -= signLen + prefix;
            if (digits < static_cast<size_t>(prec))
              text.insert(signLen + prefix, static_cast<size_t>(prec) - digits, '0');
          }
        }
        for (char ch : text) piece += C(static_cast<unsigned char>(ch));
        break;
      }
      case C('e'):
      case C('E'):
      case C('f'):
      case C('g'):
      case C('G'): {
        if (!crt) {
          piece += type;
          break;
        }
        numeric = true;
        std::string directive = "%";
        if (left) directive += '-';
        if (alt) directive += '#';
        if (zero) directive += '0';
        if (plus) directive += '+';
        if (space) directive += ' ';
        if (width) directive += std::to_string(width);
        if (precision >= 0) directive += "." + std::to_string(precision);
        directive += static_cast<char>(type);
        double v = va_arg(args, double);
        int n = std::snprintf(nullptr, 0, directive.c_str(), v);
        std::string text(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
        std::snprintf(text.data(), text.size(), directive.c_str(), v);
        text.pop_back();
        for (char ch : text) piece += C(static_cast<unsigned char>(ch));
        break;
      }
      default:
        // No meaning as a format field: the character itself ("%%" gives "%").
        out += type;
        continue;
    }
    if (!numeric && static_cast<int>(piece.size()) < width) {
      C fill = (zero && !left) ? C('0') : C(' ');
      size_t n = static_cast<size_t>(width) - piece.size();
      if (left) {
        out += piece;
        Pad(out, n, C(' '));
      } else {
        Pad(out, n, fill);
        out += piece;
      }
    } else {
      out += piece;
    }
  }
}

template <class C>
int Wsprintf(C* lpOut, const C* lpFmt, va_list args) {
  if (!lpOut || !lpFmt) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::basic_string<C> text;
  Format(text, lpFmt, args, Dialect::Wsprintf);
  if (text.size() > kWsprintfLimit) text.resize(kWsprintfLimit);
  std::char_traits<C>::copy(lpOut, text.data(), text.size());
  lpOut[text.size()] = 0;
  return static_cast<int>(text.size());
}

}  // namespace

namespace {

template <class C>
int VaWsprintf(C* lpOut, const C* lpFmt, va_list arglist) {
  va_list copy;
  va_copy(copy, arglist);
  int n = Wsprintf<C>(lpOut, lpFmt, copy);
  va_end(copy);
  return n;
}

}  // namespace

WIN32_API int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist) {
  return VaWsprintf(lpOut, lpFmt, arglist);
}

WIN32_API int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
  return VaWsprintf(lpOut, lpFmt, arglist);
}

WIN32_API int WINAPIV wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int n = VaWsprintf(lpOut, lpFmt, args);
  va_end(args);
  return n;
}

WIN32_API int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int n = VaWsprintf(lpOut, lpFmt, args);
  va_end(args);
  return n;
}

int vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
  if (!buffer || !format || count == 0) return -1;
  std::u16string text;
  va_list copy;
  va_copy(copy, args);
  Format(text, format, copy, Dialect::Runtime);
  va_end(copy);
  if (text.size() >= count) {
    std::char_traits<char16_t>::copy(buffer, text.data(), count - 1);
    buffer[count - 1] = 0;
    return -1;
  }
  std::char_traits<char16_t>::copy(buffer, text.data(), text.size());
  buffer[text.size()] = 0;
  return static_cast<int>(text.size());
}

int swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = vswprintf(buffer, count, format, args);
  va_end(args);
  return n;
}
