// The wrappers around the platform's profile functions: section names made safe for the INI
// syntax, a flush after every write, and writes that keep the file's date.
#include <algorithm>
#include <array>

#include "ini_file.h"

namespace {

// The section name as the profile functions get it: a copy in which '[' and ']' became ','.
// NULL passes through (the platform's meaning of a NULL section stays); a name longer than the
// buffer is refused.
class SectionName {
 public:
  explicit SectionName(const WCHAR* section) {
    if (!section) return;
    const int n = lstrlenW(section);
    if (n > kIniSectionChars) {
      valid_ = false;
      return;
    }
    std::copy_n(section, n, buffer_.begin());
    IniReplaceBrackets(buffer_.data());
    name_ = buffer_.data();
  }
  bool valid() const { return valid_; }
  const WCHAR* get() const { return name_; }

 private:
  std::array<WCHAR, kIniSectionChars + 1> buffer_{};
  const WCHAR* name_ = nullptr;
  bool valid_ = true;
};

}  // namespace

WCHAR* IniReplaceBrackets(WCHAR* text) {
  if (!text) return nullptr;
  for (WCHAR* p = text; *p; ++p) {
    if (*p == u'[' || *p == u']') *p = u',';
  }
  return text;
}

UINT IniReadInt(const WCHAR* section, const WCHAR* key, int defaultValue, const WCHAR* file) {
  SectionName name(section);
  if (!name.valid()) return static_cast<UINT>(defaultValue);
  return GetPrivateProfileIntW(name.get(), key, defaultValue, file);
}

int IniReadString(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* out, int outSize,
                  const WCHAR* file) {
  SectionName name(section);
  if (!name.valid()) {
    if (!out || outSize <= 0) return 0;
    std::fill_n(out, outSize, u'\0');
    if (!defaultValue) return 0;
    const int n = std::min(lstrlenW(defaultValue), outSize - 1);
    std::copy_n(defaultValue, n, out);
    return n;
  }
  return static_cast<int>(
      GetPrivateProfileStringW(name.get(), key, defaultValue, out, outSize > 0 ? static_cast<DWORD>(outSize) : 0, file));
}

BOOL IniWriteString(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file) {
  SectionName name(section);
  if (!name.valid()) return FALSE;
  const BOOL written = WritePrivateProfileStringW(name.get(), key, value, file);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
  return written;
}

BOOL IniWriteIntKey(const WCHAR* section, const WCHAR* key, int value, const WCHAR* file) {
  WCHAR text[16];
  wsprintfW(text, u"%d", value);
  return IniWriteString(section, key, text, file);
}

BOOL IniWriteStringKeepTime(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file,
                            int mode) {
  FILETIME lastWrite{};
  bool timeRead = false;
  HANDLE handle = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    timeRead = GetFileTime(handle, nullptr, nullptr, &lastWrite) != FALSE;
    CloseHandle(handle);
  } else if (mode == 1) {
    return FALSE;
  }
  if (mode == 1 && !timeRead) return FALSE;
  const BOOL written = IniWriteString(section, key, value, file);
  if (timeRead) {
    handle = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      SetFileTime(handle, nullptr, nullptr, &lastWrite);
      CloseHandle(handle);
    }
  }
  return written;
}

std::vector<WCHAR> IniReadWholeSection(const WCHAR* section, const WCHAR* file) {
  constexpr DWORD kFirstChars = 32768;
  constexpr DWORD kMostChars = 16u << 20;
  SectionName name(section);
  if (!section || !file || !name.valid()) return {};
  std::vector<WCHAR> buffer;
  for (DWORD size = kFirstChars; size <= kMostChars; size *= 2) {
    buffer.assign(size, u'\0');
    const DWORD read = GetPrivateProfileSectionW(name.get(), buffer.data(), size, file);
    if (read < size - 2) {
      if (read == 0) return {};
      buffer.resize(read + 2);
      buffer[read] = buffer[read + 1] = u'\0';
      return buffer;
    }
  }
  return {};
}

int IniCopySection(const WCHAR* from, const WCHAR* fromSection, const WCHAR* to, const WCHAR* toSection) {
  const std::vector<WCHAR> lines = IniReadWholeSection(fromSection, from);
  if (lines.empty() || !lines[0]) return 0;
  SectionName target(toSection);
  if (!toSection || !to || !target.valid()) return 0;
  if (!WritePrivateProfileSectionW(target.get(), lines.data(), to)) return 0;
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, to);
  return 1;
}
