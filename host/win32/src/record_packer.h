// Packing of the spooler's records into a caller's buffer: fixed records first, then the
// strings and data they point to. A fill function runs twice, once to measure and once to
// write when the buffer is large enough.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

class RecordPacker {
 public:
  // buffer == nullptr: measuring; records are written into scratch space.
  RecordPacker(BYTE* buffer, size_t fixedSize) : buffer_(buffer), used_(fixedSize) {
    if (!buffer_) scratch_.assign(fixedSize, 0);
  }

  // The fixed record at a byte offset of the fixed area.
  template <class T>
  T* Record(size_t index) {
    BYTE* base = buffer_ ? buffer_ : scratch_.data();
    T* record = reinterpret_cast<T*>(base + index * sizeof(T));
    std::memset(static_cast<void*>(record), 0, sizeof(T));
    return record;
  }

  // A terminated copy of text (a multi-string when it holds NULs and ends with one).
  LPWSTR Text(std::u16string_view text) {
    Align(alignof(WCHAR));
    size_t bytes = (text.size() + 1) * sizeof(WCHAR);
    LPWSTR out = nullptr;
    if (buffer_) {
      out = reinterpret_cast<LPWSTR>(buffer_ + used_);
      std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
      out[text.size()] = u'\0';
    }
    used_ += bytes;
    return out;
  }

  BYTE* Bytes(std::string_view data) {
    Align(8);
    BYTE* out = nullptr;
    if (buffer_) {
      out = buffer_ + used_;
      if (!data.empty()) std::memcpy(out, data.data(), data.size());
    }
    used_ += data.size();
    return out;
  }

  size_t Used() const { return used_; }

 private:
  void Align(size_t a) { used_ = (used_ + a - 1) / a * a; }

  BYTE* buffer_;
  size_t used_;
  std::vector<BYTE> scratch_;
};

// Measures with fill(packer), then writes when cbBuf allows. Sets ERROR_INSUFFICIENT_BUFFER
// and *pcbNeeded when it does not; pcbNeeded is required.
template <class Fill>
BOOL PackRecords(size_t fixedSize, LPBYTE out, DWORD cbBuf, LPDWORD pcbNeeded, Fill fill) {
  if (!pcbNeeded) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RecordPacker measure(nullptr, fixedSize);
  fill(measure);
  if (measure.Used() > 0xFFFFFFFFu) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return FALSE;
  }
  *pcbNeeded = static_cast<DWORD>(measure.Used());
  if (!out || cbBuf < measure.Used()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  RecordPacker write(out, fixedSize);
  fill(write);
  return TRUE;
}

}  // namespace zolt::host
