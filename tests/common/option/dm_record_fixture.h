// Device modes built byte by byte for the tests of the device-mode record and its copies.
#pragma once

#include <cstring>
#include <vector>

#include "byte_order.h"
#include "devmode_record.h"

namespace zolt::test {

// A record buffer: dmSize + dmDriverExtra bytes (plus `slack` guard bytes of 0xEE after them).
struct DevModeBuffer {
  std::vector<BYTE> bytes;

  DevModeBuffer(WORD publicSize, WORD privateSize, BYTE fill = 0, size_t slack = 0)
      : bytes(size_t{publicSize} + privateSize + slack, fill) {
    std::memset(bytes.data() + publicSize + privateSize, 0xEE, slack);
    SetHeader(publicSize == kDmPublicSize ? kDmSpecVersion : 0x777, kDmDriverVersion, publicSize, privateSize);
  }
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
  BYTE* at(size_t offset) { return bytes.data() + offset; }
  void SetHeader(WORD specVersion, WORD driverVersion, WORD publicSize, WORD privateSize) {
    WriteLe16(at(64), specVersion);
    WriteLe16(at(66), driverVersion);
    WriteLe16(at(68), publicSize);
    WriteLe16(at(70), privateSize);
  }
  WORD SpecVersion() const { return ReadLe16(bytes.data() + 64); }
  WORD DriverVersion() const { return ReadLe16(bytes.data() + 66); }
  WORD PublicSize() const { return ReadLe16(bytes.data() + 68); }
  WORD PrivateSize() const { return ReadLe16(bytes.data() + 70); }
};

// A current device mode of this driver: the private header written, model code 23, driver type
// 0, and every other byte a pattern of its offset, so that copies show where each byte went.
inline DevModeBuffer OwnDevMode(size_t slack = 0) {
  DevModeBuffer b(kDmPublicSize, kDmPrivateSize, 0, slack);
  for (DWORD i = 72; i < kFullDevModeSize; ++i) b.bytes[i] = static_cast<BYTE>(i * 7 + 1);
  for (DWORD i = kDmAtSignature; i < kDmAtMachineID; ++i) b.bytes[i] = 0;
  std::memset(b.at(kDmAtHFString), 0, 33 + 32);
  std::memset(b.at(kDmAtCopyProtectFont), 0, 32);
  std::memset(b.at(kDmAtTrackID), 0, 21);
  DmWritePrivateHeader(b.dm(), nullptr);
  b.bytes[kDmAtMachineID] = 23;
  b.bytes[kDmAtDriverType] = 0;
  return b;
}

}  // namespace zolt::test
