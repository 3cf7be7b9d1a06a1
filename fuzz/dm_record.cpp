// Device modes from outside: arbitrary bytes and declared sizes through the checks of the
// private part (text fields, identity, settings version), the conversion of an older private
// part in the working image, and every copy between buffers of the public sizes 188, 212, 220
// and any other. Each record lives in a buffer of exactly its dmSize + dmDriverExtra bytes (at
// least its 72-byte header), so that any read or write outside a record is caught.
//
// Input: byte 0 chooses the size classes and the spooler mode, bytes 1-8 give the declared
// dmSize and dmDriverExtra of the source and of the destination (little-endian), bytes 9-10
// the size value of the spooler request; the rest fills the source record from its start
// (its own size fields are then overwritten by the declared ones).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "byte_order.h"
#include "devmode_record.h"
#include "fuzz_machine.h"
#include "option_access.h"

namespace {

DriverContext* gCtx = nullptr;

void ReleaseContext() {
  if (gCtx) CtxReleaseAs(gCtx, kCtxReleaseDestroy);
  gCtx = nullptr;
}

constexpr size_t kHeaderBytes = 9 + 2;
constexpr WORD kPublicSizes[4] = {0, 188, 212, 220};  // 0: as declared

// A record buffer of exactly its declared extent (the header at least).
struct Record {
  std::vector<BYTE> bytes;
  Record(WORD publicSize, WORD privateSize, const uint8_t* fill, size_t fillSize) {
    const size_t extent = size_t{publicSize} + privateSize;
    bytes.assign(extent < 72 ? 72 : extent, 0);
    if (fill) std::memcpy(bytes.data(), fill, fillSize < bytes.size() ? fillSize : bytes.size());
    WriteLe16(bytes.data() + 68, publicSize);
    WriteLe16(bytes.data() + 70, privateSize);
  }
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
};

WORD PickSize(int sizeClass, WORD declared) { return kPublicSizes[sizeClass] ? kPublicSizes[sizeClass] : declared; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("dm-record");
  gCtx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                            kCtxModeUi);
  if (gCtx) gCtx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  std::atexit(ReleaseContext);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!gCtx || !gCtx->settingsImage || size < kHeaderBytes) return 0;
  const uint8_t choice = data[0];
  const WORD sourcePublic = PickSize(choice & 3, ReadLe16(data + 1));
  const WORD sourcePrivate = ReadLe16(data + 3);
  const WORD destPublic = PickSize((choice >> 2) & 3, ReadLe16(data + 5));
  const WORD destPrivate = ReadLe16(data + 7);
  const DWORD spoolerSize = ReadLe16(data + 9);
  static constexpr DWORD kModes[4] = {CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT, 0x10};
  const DWORD mode = kModes[(choice >> 4) & 3];
  const bool hidden3 = (choice & 0x40) != 0;

  Record source(sourcePublic, sourcePrivate, data + kHeaderBytes, size - kHeaderBytes);
  DEVMODEW* src = source.dm();
  volatile int sink = 0;

  // The tests of an incoming device mode, in the merge's order.
  sink = sink + DmCheckPrivateStrings(src);
  sink = sink + DmIsCurrentVersion(src, gCtx) + DmIsSameLayout(src, gCtx) + DmIsCompatibleModel(src, gCtx);
  sink = sink + DmCheckVersion(src) + DmGetSpecVersion(src);

  // The incoming record placed into the working image (as much of it as block 1 holds, the
  // working record's own sizes kept), then converted there.
  BYTE* image = reinterpret_cast<BYTE*>(gCtx->settingsImage);
  std::memset(image, 0, kSettingsImageSize);
  std::memcpy(image, source.bytes.data(), std::min<size_t>(source.bytes.size(), kFullDevModeSize));
  WriteLe16(image + 68, kDmPublicSize);
  WriteLe16(image + 70, kDmPrivateSize);
  DmWriteBlockOffsets(&gCtx->settingsImage->devMode.dm);
  sink = sink + DmConvertToCurrent(src, gCtx);
  DmWriteCommonHeader(gCtx);
  OptSetValue(gCtx, 617, hidden3 ? 1 : 0);

  // Copies between the two records.
  Record dest(destPublic, destPrivate, nullptr, 0);
  sink = sink + DmConvertVersion(src, dest.dm());
  Record dest2(destPublic, destPrivate, nullptr, 0);
  sink = sink + DmCopySameDriver(src, dest2.dm());
  sink = sink + DmCopySameDriver(dest.dm(), src);

  // The spooler's request: the size value is what the destination buffer holds, at most.
  Record spooled(destPublic, destPrivate, nullptr, 0);
  if (spoolerSize >= spooled.bytes.size()) spooled.bytes.resize(spoolerSize);
  DWORD sizeValue = spoolerSize;
  sink = sink + DmConvertForSpooler(nullptr, src, spooled.dm(), &sizeValue, mode);
  sizeValue = spoolerSize;
  sink = sink + DmConvertForSpooler(nullptr, src, nullptr, &sizeValue, mode);

  // Output for a caller whose input record is the source: never more than the working record.
  std::vector<BYTE> output(kFullDevModeSize);
  sink = sink + DmMergeForOutput(&gCtx->settingsImage->devMode.dm, src,
                                 reinterpret_cast<DEVMODEW*>(output.data()), gCtx);
  (void)sink;
  return 0;
}
