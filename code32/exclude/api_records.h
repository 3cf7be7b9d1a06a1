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

// ---- the all-capabilities record ------------------------------------------------------------------

// A list inside the all-capabilities record: the count and the entries the module allocated.
struct ApiCapList {
  int32_t count;
  uint32_t reserved;  // 0; keeps the entries pointer on its natural boundary
  void* entries;
};
static_assert(sizeof(ApiCapList) == 16);
static_assert(offsetof(ApiCapList, entries) == 8);

// Every capability in one record that the module allocates and the caller hands back with
// kCapFreeAllCapabilities. The fields follow the order of the interface's 32-bit record (912
// bytes, pointers of 4); here each pointer takes 8 bytes on its natural boundary, so a list is 16
// bytes and the record 1408. Each field is named after its capability; a field stays 0 when the
// printer does not offer its status or the agreed interface version is too low.
struct AllCapabilities {
  uint8_t* statusBitmap;  // a copy of the status support bitmap (32 or 64 bytes)
  int32_t cap1;
  ApiCapList cap2;
  ApiCapList cap3;
  ApiCapList cap4;
  ApiCapList cap5;
  ApiCapList cap6;
  ApiCapList cap7;
  int32_t cap8;
  int32_t cap9;
  ApiCapList cap10;
  ApiCapList cap11;
  ApiCapList cap12;
  int16_t cap13[2];
  int16_t cap14[2];
  ApiCapList cap15;
  ApiCapList cap16;
  int32_t cap17;
  ApiCapList cap18;
  int32_t cap19;
  int16_t cap20[2];
  int16_t cap21[2];
  int32_t cap22;
  int32_t cap23;
  int32_t cap24;
  int32_t cap25;
  int32_t cap26;
  int32_t cap27;
  int32_t cap28;
  int32_t cap29;
  ApiCapList cap30;
  int32_t cap31;
  ApiCapList cap32;
  ApiCapList cap33;
  int32_t cap34;
  int32_t cap35;
  int32_t cap36;
  int32_t cap37;
  int32_t cap38;
  ApiCapList cap39;
  ApiCapList cap40;
  ApiCapList cap41;
  int32_t cap42;
  int32_t cap43;
  int32_t cap44;
  ApiCapList cap45;
  int32_t cap46;
  ApiCapList cap47;
  int32_t cap48;
  int32_t cap49;
  int32_t cap50;
  int32_t cap51;
  int32_t cap52;
  int32_t cap53;
  ApiCapList cap54;
  int32_t cap55;
  ApiCapList cap56;
  int32_t cap57;
  ApiCapList cap66;
  ApiCapList cap67;
  int32_t cap60;
  int32_t cap257;
  ApiCapList cap61;
  int32_t cap62;
  int32_t cap258;
  int32_t cap259;
  int32_t cap63;
  int32_t cap260;
  int32_t cap261;
  int32_t cap64;
  int32_t cap262;
  int32_t cap263;
  int32_t cap65;
  int32_t cap264;
  int32_t cap265;
  ApiCapList cap266;
  ApiCapList cap267;
  ApiCapList cap268;
  ApiCapList cap269;
  int32_t cap270;
  ApiCapList cap271;
  ApiCapList cap272;
  int32_t cap69;
  int32_t cap273;
  int32_t cap274;
  ApiCapList cap275;
  int32_t cap70;
  int32_t cap71;
  int32_t cap72;
  int32_t cap73;
  int32_t cap74;
  ApiCapList cap75;
  int32_t cap76;
  ApiCapList cap77;
  int32_t cap78;
  int32_t cap79;
  int32_t cap80;
  int32_t cap81;
  int32_t cap82;
  int32_t cap83;
  int32_t cap276;
  ApiCapList cap277;
  ApiCapList cap278;
  ApiCapList cap279;
  int32_t cap280;
  ApiCapList cap281;
  ApiCapList cap282;
  ApiCapList cap85;
  ApiCapList cap86;
  int32_t cap84;
  int32_t cap87;
  int32_t cap88;
  int32_t cap89;
  int32_t cap90;
  int32_t cap91;
  ApiCapList cap92;
  ApiCapList cap93;
  int32_t cap94;
  int32_t cap95;
  int32_t cap96;
  int32_t cap97;
  int32_t cap98;
  int32_t cap99;
  int32_t cap100;
  int32_t cap101;
  int32_t cap102;
  ApiCapList cap103;
  ApiCapList cap104;
  ApiCapList cap105;
  ApiCapList cap106;
  ApiCapList cap107;
  int32_t cap108;
  ApiCapList cap109;
  int32_t cap110;
  int32_t cap111;
  int32_t cap112;
  int32_t cap113;
  int32_t cap114;
  int32_t cap115;
  int32_t cap116;
  int32_t cap117;
  int32_t cap118;
  int32_t cap119;
  int32_t cap120;
  int32_t cap121;
  int32_t cap122;
  int32_t cap123;
  int32_t cap124[2];
  int32_t cap125[2];
  int32_t cap126;
  ApiCapList cap127;
  int32_t cap128;
  ApiCapList cap129;
  ApiCapList cap130;
  int32_t cap131;
  int32_t cap132;
  int32_t cap133;
  int32_t cap134;
  int32_t cap135;
  int32_t cap136;
  int32_t cap137;
  int32_t cap138;
  int32_t cap139;
  int32_t cap140;
  int32_t cap141;
  int32_t cap142;
  int32_t cap143;
  int32_t cap144;
  int32_t cap145;
  int32_t cap146;
  int32_t cap147;
  int32_t cap148;
  int32_t cap149;
  int32_t cap150;
};
static_assert(sizeof(AllCapabilities) == 1408);
static_assert(offsetof(AllCapabilities, cap1) == 8);
static_assert(offsetof(AllCapabilities, cap2) == 16);
static_assert(offsetof(AllCapabilities, cap13) == 168);
static_assert(offsetof(AllCapabilities, cap57) == 528);
static_assert(offsetof(AllCapabilities, cap124) == 1248);
static_assert(offsetof(AllCapabilities, cap150) == 1404);

// The capability ids of the whole record: get (data is the address of the caller's pointer,
// which receives the record) and free (data is the record).
constexpr uint32_t kCapAllCapabilities = 0x80000001u;
constexpr uint32_t kCapFreeAllCapabilities = 0x80000002u;
