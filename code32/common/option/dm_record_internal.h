// Reading the size fields of a device mode, shared by the files of the device-mode record.
// A device mode's buffer holds dmSize + dmDriverExtra bytes; nothing past that is read.
#pragma once

#include "byte_order.h"
#include "devmode_record.h"

namespace zolt::dm {

inline const BYTE* Bytes(const DEVMODEW* dm) { return reinterpret_cast<const BYTE*>(dm); }
inline BYTE* Bytes(DEVMODEW* dm) { return reinterpret_cast<BYTE*>(dm); }

// The header fields, read as bytes (a record from outside need not be aligned).
inline WORD SpecVersionOf(const DEVMODEW* dm) { return ReadLe16(Bytes(dm) + offsetof(DEVMODEW, dmSpecVersion)); }
inline WORD DriverVersionOf(const DEVMODEW* dm) { return ReadLe16(Bytes(dm) + offsetof(DEVMODEW, dmDriverVersion)); }
inline WORD PublicSizeOf(const DEVMODEW* dm) { return ReadLe16(Bytes(dm) + offsetof(DEVMODEW, dmSize)); }
inline WORD PrivateSizeOf(const DEVMODEW* dm) { return ReadLe16(Bytes(dm) + offsetof(DEVMODEW, dmDriverExtra)); }
inline DWORD ExtentOf(const DEVMODEW* dm) { return DWORD{PublicSizeOf(dm)} + PrivateSizeOf(dm); }
// A public part shorter than the size fields themselves would put the private part over them.
inline bool HoldsItsHeader(const DEVMODEW* dm) { return PublicSizeOf(dm) >= offsetof(DEVMODEW, dmFields); }

inline void SetSpecVersion(DEVMODEW* dm, WORD v) { WriteLe16(Bytes(dm) + offsetof(DEVMODEW, dmSpecVersion), v); }
inline void SetDriverVersion(DEVMODEW* dm, WORD v) { WriteLe16(Bytes(dm) + offsetof(DEVMODEW, dmDriverVersion), v); }
inline void SetPublicSize(DEVMODEW* dm, WORD v) { WriteLe16(Bytes(dm) + offsetof(DEVMODEW, dmSize), v); }
inline void SetPrivateSize(DEVMODEW* dm, WORD v) { WriteLe16(Bytes(dm) + offsetof(DEVMODEW, dmDriverExtra), v); }

// The private part of a record at its dmSize when it holds at least `need` bytes within
// `limit` bytes of the record (and the public part holds its header); else NULL.
inline const BYTE* PrivatePart(const DEVMODEW* dm, DWORD need, DWORD limit) {
  if (!HoldsItsHeader(dm)) return nullptr;
  const DWORD at = PublicSizeOf(dm);
  const DWORD end = ExtentOf(dm) < limit ? ExtentOf(dm) : limit;
  return at + need <= end ? Bytes(dm) + at : nullptr;
}
inline BYTE* PrivatePart(DEVMODEW* dm, DWORD need, DWORD limit) {
  return const_cast<BYTE*>(PrivatePart(static_cast<const DEVMODEW*>(dm), need, limit));
}

// The context's working device mode (block 1 of its settings image), or NULL.
inline DEVMODEW* WorkingDevMode(DriverContext* ctx) {
  return ctx && ctx->settingsImage ? &ctx->settingsImage->devMode.dm : nullptr;
}

// The context's profile, or the template's.
inline const DriverProfile* ProfileOf(const DriverContext* ctx) {
  return ctx && ctx->profile ? ctx->profile : CtxGetTemplate()->profile;
}

}  // namespace zolt::dm
