// Copies of device modes between buffers of different sizes: the public part and the private
// part each clipped to the smaller of the two records, the destination keeping the size and
// version fields of its own buffer. Backs the spooler's conversion request, the merge of an
// incoming device mode and the copy into a caller's output buffer.
#include <cstring>

#include "dm_record_internal.h"
#include "option_access.h"

using namespace zolt::dm;

namespace {

constexpr WORD kSpecVersion320 = 0x320;
constexpr WORD kSpecVersion400 = 0x400;
constexpr WORD kDriverVersion351 = 0x350;  // what a CDM_CONVERT351 destination carries
constexpr uint16_t kOptHidden3Func0 = 617;  // zdmHidden3Func0: a caller's record without private part gets it

// The destination's own header fields, kept across the copy of the source's public part.
struct KeptHeader {
  WORD specVersion;
  WORD driverVersion;
  WORD publicSize;
  WORD privateSize;
};

// Copies the public part (the smaller dmSize) and puts back the destination's header fields.
// Returns the bytes copied.
DWORD CopyPublic(const DEVMODEW* source, DEVMODEW* destination, WORD destinationSpec) {
  const KeptHeader kept = {destinationSpec, DriverVersionOf(destination), PublicSizeOf(destination),
                           PrivateSizeOf(destination)};
  const DWORD count = kept.publicSize < PublicSizeOf(source) ? kept.publicSize : PublicSizeOf(source);
  std::memmove(destination, source, count);
  SetSpecVersion(destination, kept.specVersion);
  SetDriverVersion(destination, kept.driverVersion);
  SetPublicSize(destination, kept.publicSize);
  SetPrivateSize(destination, kept.privateSize);
  return count;
}

// Copies the private part (the smaller dmDriverExtra) from the source's dmSize to the
// destination's; a whole private part of the current size gets its block offsets. Returns the
// bytes copied.
DWORD CopyPrivate(const DEVMODEW* source, DEVMODEW* destination) {
  const DWORD count =
      PrivateSizeOf(destination) < PrivateSizeOf(source) ? PrivateSizeOf(destination) : PrivateSizeOf(source);
  std::memmove(Bytes(destination) + PublicSizeOf(destination), Bytes(source) + PublicSizeOf(source), count);
  if (count == kDmPrivateSize) DmWriteBlockOffsets(destination);
  return count;
}

// A destination for a record of `need` bytes: without one, or with a smaller size value, the
// size value becomes what is needed and the buffer is reported short.
bool HasRoomFor(const DEVMODEW* destination, DWORD* size, DWORD need) {
  if (destination && *size >= need) return true;
  *size = need;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return false;
}

}  // namespace

WORD DmGetSpecVersion(const DEVMODEW* dm) {
  if (!dm) return 0;
  switch (PublicSizeOf(dm)) {
    case kDmPublicSize320: return kSpecVersion320;
    case kDmPublicSize400: return kSpecVersion400;
    case kDmPublicSize: return kDmSpecVersion;
    default: return SpecVersionOf(dm);
  }
}

int DmConvertVersion(const DEVMODEW* source, DEVMODEW* destination) {
  if (!source || !destination || !HoldsItsHeader(source) || !HoldsItsHeader(destination)) return -1;
  const WORD destinationSpec = DmGetSpecVersion(destination);
  const WORD sourceSpec = DmGetSpecVersion(source);
  if (destinationSpec == 0 || sourceSpec == 0) return -1;
  if (PublicSizeOf(source) != kDmPublicSize && sourceSpec != kSpecVersion320) return -1;
  const DWORD publicCount = CopyPublic(source, destination, destinationSpec);
  return static_cast<int>(publicCount + CopyPrivate(source, destination));
}

int DmCopySameDriver(const DEVMODEW* source, DEVMODEW* destination) {
  if (!source || !destination || !HoldsItsHeader(source) || !HoldsItsHeader(destination)) return -1;
  if (DmGetSpecVersion(source) == kSpecVersion320) return DmConvertVersion(source, destination);
  const DWORD publicCount = CopyPublic(source, destination, DmGetSpecVersion(destination));
  if (PrivateSizeOf(source) != kDmPrivateSize || DriverVersionOf(source) != DriverVersionOf(destination)) return -1;
  return static_cast<int>(publicCount + CopyPrivate(source, destination));
}

int DmMergeForOutput(const DEVMODEW* working, const DEVMODEW* callerIn, DEVMODEW* output, DriverContext* ctx) {
  if (!output) return -1;
  if (!working) return 0;
  if (!callerIn) {
    std::memmove(output, working, ExtentOf(working));
    return 1;
  }
  // The output's public part as large as the smaller of the two records.
  if (PublicSizeOf(callerIn) < PublicSizeOf(working)) {
    SetSpecVersion(output, SpecVersionOf(callerIn));
    SetPublicSize(output, PublicSizeOf(callerIn));
  } else {
    SetSpecVersion(output, SpecVersionOf(working));
    SetPublicSize(output, PublicSizeOf(working));
  }
  // The private part likewise, except that a caller's record without private part gets the
  // whole one while zdmHidden3Func0 is set.
  const bool callerSmaller = PrivateSizeOf(callerIn) < PrivateSizeOf(working);
  const bool keepWhole = PrivateSizeOf(callerIn) == 0 && OptGetValue(ctx, kOptHidden3Func0, nullptr) != 0;
  const DEVMODEW* privateFrom = callerSmaller && !keepWhole ? callerIn : working;
  SetDriverVersion(output, DriverVersionOf(privateFrom));
  SetPrivateSize(output, PrivateSizeOf(privateFrom));
  return DmConvertVersion(working, output) > 0 ? 1 : 0;
}

int DmConvertForSpooler(const WCHAR*, const DEVMODEW* source, DEVMODEW* destination, DWORD* size, DWORD mode) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  switch (mode) {
    case CDM_CONVERT:
      if (destination && *size >= ExtentOf(destination) && DmConvertVersion(source, destination) > 0) {
        *size = ExtentOf(destination);
        return 1;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    case CDM_CONVERT351: {
      const DWORD need = kDmPublicSize320 + kDmPrivateSize;
      if (!HasRoomFor(destination, size, need)) return 0;
      SetSpecVersion(destination, kSpecVersion320);
      SetPublicSize(destination, kDmPublicSize320);
      SetDriverVersion(destination, kDriverVersion351);
      SetPrivateSize(destination, kDmPrivateSize);
      if (DmConvertVersion(source, destination) > 0) {
        *size = need;
        return 1;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    case CDM_DRIVER_DEFAULT: {
      const DWORD need = kDmPublicSize + kDmPrivateSize;
      if (!HasRoomFor(destination, size, need)) return 0;
      *size = need;
      return 2;
    }
    default:
      return 2;
  }
}
