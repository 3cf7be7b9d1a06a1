// Dialog templates in the platform's two forms (the standard one and the extended one that
// starts with version 1 and signature 0xFFFF), read with every count, string and item checked
// against the template's size.
#include <cstring>

#include "user/window.h"

namespace zolt::host::user {

namespace {

class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Word(WORD* v) {
    if (pos_ + 2 > size_) return Fail("template ends inside a word");
    std::memcpy(v, data_ + pos_, 2);
    pos_ += 2;
    return true;
  }
  bool Dword(DWORD* v) {
    if (pos_ + 4 > size_) return Fail("template ends inside a double word");
    std::memcpy(v, data_ + pos_, 4);
    pos_ += 4;
    return true;
  }
  bool Short(short* v) {
    WORD w;
    if (!Word(&w)) return false;
    *v = short(w);
    return true;
  }
  bool Byte(BYTE* v) {
    if (pos_ + 1 > size_) return Fail("template ends inside a byte");
    *v = data_[pos_++];
    return true;
  }
  // A NUL-terminated UTF-16 string.
  bool String(std::u16string* out) {
    out->clear();
    for (;;) {
      WORD c;
      if (!Word(&c)) return Fail("string runs past the template");
      if (!c) return true;
      if (out->size() > 0x10000) return Fail("string too long");
      out->push_back(char16_t(c));
    }
  }
  // A string or an ordinal (0xFFFF followed by the number); 0 alone is an empty string.
  bool StringOrOrdinal(std::u16string* text, WORD* ordinal, bool* isOrdinal) {
    WORD first;
    if (!Word(&first)) return false;
    *isOrdinal = false;
    *ordinal = 0;
    text->clear();
    if (first == 0) return true;
    if (first == 0xFFFF) {
      *isOrdinal = true;
      return Word(ordinal);
    }
    text->push_back(char16_t(first));
    std::u16string rest;
    if (!String(&rest)) return false;
    *text += rest;
    return true;
  }
  bool Bytes(size_t n, std::vector<BYTE>* out) {
    if (n > size_ - pos_) return Fail("creation data runs past the template");
    out->assign(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return true;
  }
  bool AlignDword() {
    size_t aligned = (pos_ + 3) & ~size_t(3);
    if (aligned > size_) return Fail("template ends before an item");
    pos_ = aligned;
    return true;
  }
  size_t Pos() const { return pos_; }
  bool Fail(const char* why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  const std::string& Error() const { return error_; }

 private:
  const BYTE* data_;
  size_t size_;
  size_t pos_ = 0;
  std::string error_;
};

const char16_t* PredefinedClassName(WORD ordinal) {
  switch (ordinal) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
  }
  return nullptr;
}

bool ParseItem(Reader& r, bool extended, DialogItem* item) {
  if (!r.AlignDword()) return false;
  if (extended) {
    if (!r.Dword(&item->helpId) || !r.Dword(&item->exStyle) || !r.Dword(&item->style)) return false;
  } else {
    if (!r.Dword(&item->style) || !r.Dword(&item->exStyle)) return false;
  }
  if (!r.Short(&item->x) || !r.Short(&item->y) || !r.Short(&item->cx) || !r.Short(&item->cy)) return false;
  if (extended) {
    if (!r.Dword(&item->id)) return false;
  } else {
    WORD id;
    if (!r.Word(&id)) return false;
    item->id = id;
  }
  WORD ordinal;
  bool isOrdinal;
  if (!r.StringOrOrdinal(&item->className, &ordinal, &isOrdinal)) return false;
  if (isOrdinal) {
    const char16_t* name = PredefinedClassName(ordinal);
    if (!name) return r.Fail("unknown predefined control class");
    item->className = name;
  } else if (item->className.empty()) {
    return r.Fail("control without a class");
  }
  if (!r.StringOrOrdinal(&item->text, &item->textOrdinal, &item->textIsOrdinal)) return false;
  WORD extra;
  if (!r.Word(&extra)) return false;
  return r.Bytes(extra, &item->creationData);
}

}  // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate* out, std::string* error) {
  *out = DialogTemplate{};
  Reader r(data, size);
  auto fail = [&]() {
    if (error) *error = r.Error().empty() ? "malformed template" : r.Error();
    return false;
  };
  if (!data) {
    r.Fail("no template");
    return fail();
  }
  WORD version = 0, signature = 0;
  if (size >= 4) {
    std::memcpy(&version, data, 2);
    std::memcpy(&signature, data + 2, 2);
  }
  out->extended = version == 1 && signature == 0xFFFF;
  WORD count;
  if (out->extended) {
    WORD skip;
    if (!r.Word(&skip) || !r.Word(&skip) || !r.Dword(&out->helpId) || !r.Dword(&out->exStyle) ||
        !r.Dword(&out->style))
      return fail();
  } else {
    if (!r.Dword(&out->style) || !r.Dword(&out->exStyle)) return fail();
  }
  if (!r.Word(&count) || !r.Short(&out->x) || !r.Short(&out->y) || !r.Short(&out->cx) || !r.Short(&out->cy))
    return fail();
  bool isOrdinal;
  if (!r.StringOrOrdinal(&out->menu, &out->menuOrdinal, &isOrdinal)) return fail();
  if (!r.StringOrOrdinal(&out->className, &out->classOrdinal, &isOrdinal)) return fail();
  if (!r.String(&out->title)) return fail();
  if (out->style & DS_SETFONT) {
    if (!r.Word(&out->pointSize)) return fail();
    if (out->extended) {
      if (!r.Word(&out->weight) || !r.Byte(&out->italic) || !r.Byte(&out->charset)) return fail();
    }
    if (!r.String(&out->typeface)) return fail();
  }
  // Each item takes at least 24 bytes: a count the template cannot hold is refused at once.
  if (size_t(count) * 24 > size - r.Pos() + 3) {
    r.Fail("more items than the template holds");
    return fail();
  }
  out->items.resize(count);
  for (auto& item : out->items)
    if (!ParseItem(r, out->extended, &item)) return fail();
  return true;
}

}  // namespace zolt::host::user
