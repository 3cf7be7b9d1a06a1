// Reading and writing fields of a device-mode record at byte offsets, for the tests.
#pragma once

#include <cstring>

#include "driver_context.h"

namespace zolt::test {

inline int16_t DmShort(const BYTE* dm, DWORD offset) {
  int16_t v;
  std::memcpy(&v, dm + offset, sizeof v);
  return v;
}
inline void DmSetShort(BYTE* dm, DWORD offset, int16_t v) { std::memcpy(dm + offset, &v, sizeof v); }
inline DWORD DmDword(const BYTE* dm, DWORD offset) {
  DWORD v;
  std::memcpy(&v, dm + offset, sizeof v);
  return v;
}
inline void DmSetDword(BYTE* dm, DWORD offset, DWORD v) { std::memcpy(dm + offset, &v, sizeof v); }

}  // namespace zolt::test
