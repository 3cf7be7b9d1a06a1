// A small writer of metafile bytes for the tests: a header, records of 32-bit words or raw
// bytes, and the end record, with the header's size and count fields filled in on Finish.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "win32/emf.h"

namespace zolt::test {

class EmfBuilder {
 public:
  // A 108-byte header; the reference device is devW x devH pixels over mmW x mmH millimetres.
  explicit EmfBuilder(RECTL frame = {0, 0, 2117, 2117}, LONG devW = 1000, LONG devH = 1000, LONG mmW = 264,
                      LONG mmH = 264, WORD handles = 8) {
    ENHMETAHEADER h{};
    h.iType = EMR_HEADER;
    h.nSize = sizeof(h);
    h.rclBounds = RECTL{0, 0, 79, 79};
    h.rclFrame = frame;
    h.dSignature = ENHMETA_SIGNATURE;
    h.nVersion = 0x10000;
    h.nHandles = handles;
    h.szlDevice = SIZEL{devW, devH};
    h.szlMillimeters = SIZEL{mmW, mmH};
    h.szlMicrometers = SIZEL{mmW * 1000, mmH * 1000};
    Raw(&h, sizeof(h));
    ++records_;
  }
  EmfBuilder& Words(DWORD type, std::initializer_list<uint32_t> words) {
    std::vector<uint32_t> w{type, DWORD(8 + 4 * words.size())};
    w.insert(w.end(), words);
    Raw(w.data(), w.size() * 4);
    ++records_;
    return *this;
  }
  // A record of type with payload bytes (padded to four).
  EmfBuilder& Bytes(DWORD type, const void* payload, size_t n) {
    const size_t padded = (n + 3) / 4 * 4;
    uint32_t head[2] = {type, DWORD(8 + padded)};
    Raw(head, 8);
    Raw(payload, n);
    bytes_.resize(bytes_.size() + (padded - n));
    ++records_;
    return *this;
  }
  std::vector<uint8_t> Finish() {
    Words(EMR_EOF, {0, 16, 20});
    std::vector<uint8_t> out = bytes_;
    const DWORD n = DWORD(out.size());
    std::memcpy(out.data() + offsetof(ENHMETAHEADER, nBytes), &n, 4);
    std::memcpy(out.data() + offsetof(ENHMETAHEADER, nRecords), &records_, 4);
    return out;
  }
  size_t Size() const { return bytes_.size(); }

 private:
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  std::vector<uint8_t> bytes_;
  DWORD records_ = 0;
};

inline float AsFloat(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
inline uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

}  // namespace zolt::test
