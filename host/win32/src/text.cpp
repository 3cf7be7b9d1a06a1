// UTF-16/UTF-8 and Windows code-page conversions of the host.
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

#include "win32/hosttext.h"

namespace zolt::host {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    uint32_t c;
    size_t n;
    if (b < 0x80) {
      c = b;
      n = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      n = 4;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (i + n > text.size()) {
      out += u'\uFFFD';
      break;
    }
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (t & 0x3F);
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += n;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

const char* CodePageConverterName(UINT codePage) {
  switch (codePage) {
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
    case 437: return "ibm-437_P100-1995";
    case 850: return "ibm-850_P100-1995";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(UINT codePage) {
  const char* name = CodePageConverterName(codePage);
  if (!name) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  return c;
}

// The bytes that code page 1252 leaves undefined; the platform maps each to the C1 control of
// the same value and back.
bool Is1252Undefined(unsigned char b) {
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

}  // namespace

bool AnsiToWide(UINT codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  if (codePage == 1252) {
    // Byte at a time, so that the undefined bytes keep their platform mapping.
    Converter c = Open(1252);
    if (!c) return false;
    for (unsigned char b : bytes) {
      if (Is1252Undefined(b)) {
        out += static_cast<char16_t>(b);
        continue;
      }
      UChar u[2];
      UErrorCode status = U_ZERO_ERROR;
      char in = static_cast<char>(b);
      int32_t n = ucnv_toUChars(c.get(), u, 2, &in, 1, &status);
      out += (U_SUCCESS(status) && n == 1) ? static_cast<char16_t>(u[0]) : char16_t(b);
    }
    return true;
  }
  Converter c = Open(codePage);
  if (!c) return false;
  if (bytes.empty()) return true;
  std::u16string buf(bytes.size() * 2 + 2, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(c.get(), reinterpret_cast<UChar*>(buf.data()),
                            static_cast<int32_t>(buf.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return false;
  buf.resize(static_cast<size_t>(n));
  out = std::move(buf);
  return true;
}

bool WideToAnsi(UINT codePage, std::u16string_view text, std::string& out, const char* defaultChar,
                bool* usedDefault) {
  out.clear();
  if (usedDefault) *usedDefault = false;
  Converter c = Open(codePage);
  if (!c) return false;
  const char* dflt = (defaultChar && *defaultChar) ? defaultChar : "?";
  // Character by character (surrogate pairs together), so that an unmappable character is
  // replaced by the default character exactly where it stood.
  for (size_t i = 0; i < text.size(); ++i) {
    size_t len = 1;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      len = 2;
    if (codePage == 1252 && len == 1 && text[i] < 0x100 && Is1252Undefined(static_cast<unsigned char>(text[i]))) {
      out += static_cast<char>(text[i]);
      continue;
    }
    char buf[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(c.get());
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    status = U_ZERO_ERROR;
    int32_t n = ucnv_fromUChars(c.get(), buf, sizeof buf, reinterpret_cast<const UChar*>(text.data() + i),
                                static_cast<int32_t>(len), &status);
    if (U_FAILURE(status) || n <= 0) {
      out += dflt;
      if (usedDefault) *usedDefault = true;
    } else {
      out.append(buf, static_cast<size_t>(n));
    }
    i += len - 1;
  }
  return true;
}

size_t WideLength(const WCHAR* s) {
  if (!s) return 0;
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

std::u16string_view WideView(const WCHAR* s) { return s ? std::u16string_view(s, WideLength(s)) : std::u16string_view(); }

}  // namespace zolt::host
