// Records of the ZOLTDrv interface that callers hand in and get back. They keep the exact byte
// layout that outside programs compile against (their own headers declare the same records).
#pragma once

#include <cstddef>
#include <cstdint>

// The error codes kept as the context's last error.
enum ApiErrorCode : int32_t {
  kApiErrNone = 0,
  kApiErrNoFlag = 1,            // no recognised flag in a device-mode request
  kApiErrNotSupported = 2,      // id not supported at this version, row disabled, option not selectable
  kApiErrListNotOffered = 3,    // the list is not offered by this model variant
  kApiErrNoRecord = 5,          // a required record or device mode was not given
  kApiErrVersion = 6,           // the record or value needs a higher interface version
  kApiErrRefused = 7,           // the value was refused
  kApiErrFontMissing = 8,
  kApiErrNoInterfaceStamp = 9,
  kApiErrBadFile = 10,
  kApiErrBadChar = 11,
  kApiErrNoLongerAccepted = 12,
  kApiErrNoLongerAccepted2 = 13,
  kApiErrNeedsAdmin = 14,
  kApiErrConflict = 15,
  kApiErrGeneral = 100,
  kApiErrCommUnreachable = 200,
  kApiErrCommMemory = 201,
  kApiErrCommEnvironment = 202,
  kApiErrUserMacro = 1000,
  kApiErrSettingsVersion = 1001,
  kApiErrTerminalServer = 1002,
};

// The init record of ZOLTDrvInit.
struct ApiInitRecord {
  uint32_t reserved;  // not read
  int32_t version;    // the caller's interface version
};
static_assert(sizeof(ApiInitRecord) == 8);
static_assert(offsetof(ApiInitRecord, version) == 4);

// The caller's record of one status: version, main value, id-specific fields, and for the ids of
// the function-switch table the switch at offset 28. Most records are 32 bytes; larger ones
// begin the same way.
struct StatusRecord {
  uint32_t version;
  int32_t value;
  int32_t fields[5];  // offsets 8-27
  int32_t functionSwitch;
};
static_assert(sizeof(StatusRecord) == 32);
static_assert(offsetof(StatusRecord, value) == 4);
static_assert(offsetof(StatusRecord, fields) == 8);
static_assert(offsetof(StatusRecord, functionSwitch) == 28);

// The size of the status record of the plain ids (and of the status change bitmap's halves).
constexpr int32_t kStatusRecordSize = 32;
constexpr int kBitmapHalfBytes = 32;
constexpr int kBitmapBytes = 64;

// Bit of id n (n >= 1) in a support bitmap or a change bitmap: most significant bit first.
constexpr int ApiBitByte(uint32_t id) { return static_cast<int>((id - 1) >> 3); }
constexpr uint8_t ApiBitMask(uint32_t id) { return static_cast<uint8_t>(0x80u >> ((id - 1) & 7)); }
