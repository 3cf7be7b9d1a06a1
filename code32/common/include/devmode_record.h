// The device mode of this driver and the settings image around it.
//
// The settings image is one flat record of three blocks back to back: block 1 is the device
// mode (the platform's 220-byte DEVMODEW followed by the 1016-byte private part ZoltDM), block 2
// the printer configuration, block 3 the per-user settings. It is stored byte for byte in printer
// data, so every offset here is fixed; multi-byte fields are little-endian and are read and
// written byte by byte (the header's 32-bit fields are not aligned).
//
// Offsets of the private header are absolute (from the start of the device mode) in the records
// below. The header writer and the identity tests address the header there; the version reader,
// the converter and the common-header writer address it from the record's own dmSize, which for
// a 220-byte public part is the same place.
//
// Device modes that arrive from outside are read only within their own dmSize + dmDriverExtra
// bytes: a record too short to hold what a test reads fails the test, and a record whose dmSize
// does not cover its own header fields (72 bytes) has no usable private part.
#pragma once

#include <cstddef>

#include "driver_context.h"

// ---- sizes ------------------------------------------------------------------------------------

constexpr DWORD kDmPublicSize = 220;     // dmSize of the current wide layout
constexpr DWORD kDmPrivateSize = 1016;   // dmDriverExtra, sizeof(ZoltDM)
constexpr DWORD kPrinterConfigSize = 5264;  // block 2
constexpr DWORD kUserSettingsSize = 4140;   // block 3
constexpr DWORD kDmPublicSize320 = 188;  // the oldest wide layout (dmSpecVersion 0x320)
constexpr DWORD kDmPublicSize400 = 212;  // the layout of dmSpecVersion 0x400

// What the driver writes into the public header of the device modes it builds.
constexpr WORD kDmSpecVersion = 0x401;
constexpr WORD kDmDriverVersion = 0x400;

// The private header's fixed contents.
constexpr char kDmSignature[] = "ZOLT";
constexpr char kDmCommonMark[] = "ZCOMMON";
constexpr BYTE kDmCommonVersion = 5;

// ---- records ----------------------------------------------------------------------------------

// The private header (private offsets 0-148).
struct ZoltDMHeader {
  char signature[4];         // "ZOLT", no terminator
  BYTE tesmarin[4];          // zdmTesmarin (727), u32
  char iniFileName[16];      // zdmIniFileName (720)
  char cdcVersion[16];       // zdmiCDCVerStr (721)
  char zpjlVersion[16];      // zdmiZPJLVerStr (722)
  char commonMark[8];        // zdmZcomMark (723), "ZCOMMON"
  BYTE commonVersion;        // zdmZcomVersion (724)
  BYTE commonMember[32];     // zdmZcomMember (725), the compact settings block
  BYTE commonCaps[32];       // zdmZcomCaps (726)
  BYTE identity[4];          // the profile's identity word, "priv"
  BYTE privateSize[4];       // u32, 1016
  BYTE settingsVersion[4];   // u32, 335
  BYTE blockOffset[3][2];    // u16 each: blocks 1, 2 and 3 of the settings image
  BYTE unused;
  BYTE machineID;            // zdmMachineID (35), the model code
};

// The private part: the header, then the device options at the offsets of their rows.
struct ZoltDM {
  ZoltDMHeader header;
  BYTE options[kDmPrivateSize - sizeof(ZoltDMHeader)];
};

// Block 1.
struct DriverDevMode {
  DEVMODEW dm;
  ZoltDM zdm;
};

struct SettingsImage {
  DriverDevMode devMode;
  BYTE printerConfig[kPrinterConfigSize];
  BYTE userSettings[kUserSettingsSize];
};

static_assert(sizeof(DEVMODEW) == kDmPublicSize);
static_assert(sizeof(ZoltDMHeader) == 149);
static_assert(sizeof(ZoltDM) == kDmPrivateSize);
static_assert(sizeof(DriverDevMode) == kFullDevModeSize);
static_assert(offsetof(DriverDevMode, zdm) == kDmPublicSize);
static_assert(offsetof(SettingsImage, printerConfig) == 1236);
static_assert(offsetof(SettingsImage, userSettings) == 6500);
static_assert(sizeof(SettingsImage) == kSettingsImageSize);

// Absolute offsets of the header fields.
constexpr DWORD DmHeaderAt(size_t privateOffset) { return static_cast<DWORD>(kDmPublicSize + privateOffset); }
enum : DWORD {
  kDmAtSignature = DmHeaderAt(offsetof(ZoltDMHeader, signature)),
  kDmAtTesmarin = DmHeaderAt(offsetof(ZoltDMHeader, tesmarin)),
  kDmAtIniFileName = DmHeaderAt(offsetof(ZoltDMHeader, iniFileName)),
  kDmAtCDCVersion = DmHeaderAt(offsetof(ZoltDMHeader, cdcVersion)),
  kDmAtZPJLVersion = DmHeaderAt(offsetof(ZoltDMHeader, zpjlVersion)),
  kDmAtCommonMark = DmHeaderAt(offsetof(ZoltDMHeader, commonMark)),
  kDmAtCommonVersion = DmHeaderAt(offsetof(ZoltDMHeader, commonVersion)),
  kDmAtCommonMember = DmHeaderAt(offsetof(ZoltDMHeader, commonMember)),
  kDmAtCommonCaps = DmHeaderAt(offsetof(ZoltDMHeader, commonCaps)),
  kDmAtIdentity = DmHeaderAt(offsetof(ZoltDMHeader, identity)),
  kDmAtPrivateSize = DmHeaderAt(offsetof(ZoltDMHeader, privateSize)),
  kDmAtSettingsVersion = DmHeaderAt(offsetof(ZoltDMHeader, settingsVersion)),
  kDmAtBlockOffsets = DmHeaderAt(offsetof(ZoltDMHeader, blockOffset)),
  kDmAtMachineID = DmHeaderAt(offsetof(ZoltDMHeader, machineID)),
  // Device options that the tests of this record read.
  kDmAtHFString = 469,          // zdmHFString (114), char[33]
  kDmAtHFFontName = 502,        // zdmHFFontName (115), char[32]
  kDmAtDriverType = 811,        // zdmDriverType (244)
  kDmAtCopyProtectFont = 975,   // zdmCopyProtectFontName (527), char[32]
  kDmAtTrackID = 1040,          // zdmTrackID (600), char[21]
  kDmAtEnvironmentFlags = 1218, // options 728-745, one byte each
};
static_assert(kDmAtSignature == 220 && kDmAtTesmarin == 224 && kDmAtIniFileName == 228);
static_assert(kDmAtCDCVersion == 244 && kDmAtZPJLVersion == 260 && kDmAtCommonMark == 276);
static_assert(kDmAtCommonVersion == 284 && kDmAtCommonMember == 285 && kDmAtCommonCaps == 317);
static_assert(kDmAtIdentity == 349 && kDmAtPrivateSize == 353 && kDmAtSettingsVersion == 357);
static_assert(kDmAtBlockOffsets == 361 && kDmAtMachineID == 368);
static_assert(kDmAtEnvironmentFlags + 18 == kFullDevModeSize);

// ---- the private header -----------------------------------------------------------------------

// Writes signature, zdmTesmarin 0, the context profile's identity word, the private size, the
// profile's settings version and the three block offsets at their absolute offsets, into a
// device mode of the full size. 0 for a NULL device mode, else 1.
int DmWritePrivateHeader(DEVMODEW* dm, DriverContext* ctx);
// Writes the three block offsets (0, 1236, 6500) into the private header at dmSize. 0 when the
// device mode is NULL or its private part is too short to hold them, else 1.
int DmWriteBlockOffsets(DEVMODEW* dm);
// On the context's device mode, at dmSize: the settings file name and the two version strings
// of the profile (ANSI, 16 zero-filled bytes each), "ZCOMMON", version 5, and zeroes over the
// compact block and its capability summary. Nothing when the private header would not lie
// inside block 1.
void DmWriteCommonHeader(DriverContext* ctx);

// ---- tests of a device mode from outside -------------------------------------------------------

// 1 when every fixed text field of the private part holds a text no longer than its field
// (zdmIniFileName, zdmiCDCVerStr, zdmiZPJLVerStr 16; zdmTrackID 21; zdmCopyProtectFontName and
// zdmHFFontName 32; zdmHFString 33). A text may run into the bytes after its field, which then
// count; a field outside the record fails. 0 for NULL.
int DmCheckPrivateStrings(const DEVMODEW* dm);
// Identity against the template's driver profile. Current version: identity word, private
// size, settings version, model code and driver type; same layout: all but the settings
// version; compatible model: identity word, model code and driver type. The context is not
// used. 0 for NULL.
int DmIsCurrentVersion(const DEVMODEW* dm, DriverContext* ignored);
int DmIsSameLayout(const DEVMODEW* dm, DriverContext* ignored);
int DmIsCompatibleModel(const DEVMODEW* dm, DriverContext* ignored);

// ---- versions ---------------------------------------------------------------------------------

// A settings version is major * 100 + minor.
enum : int {
  kDmVersionUsable = 0,
  kDmVersionConvert = 1,
  kDmVersionUnusable = 2,
};
int DmCompareVersions(DWORD stored, DWORD current);
// The comparison of the settings version at private offset 137 (from dmSize) with the
// template profile's; -1 for NULL, kDmVersionUnusable when the record is too short to hold it.
int DmCheckVersion(const DEVMODEW* dm);
// When DmCheckVersion(dm) asks for conversion: runs the conversion steps from dm's version to
// the profile's on the context's working device mode (where the caller has put dm), then
// stamps the profile's version into it; returns the steps' result. Otherwise 0, nothing changed.
int DmConvertToCurrent(const DEVMODEW* dm, DriverContext* ctx);
// Runs the model's conversion rule (the item keyed by "ZPD_ConvertDevmode") once per version
// from + 1 ... to, with wdmConvertVersion (1052) set to the version; stops early once the rule
// leaves wdmConvertVersion at to or above. 0 when the name table has no key for the rule.
int DmRunConversionSteps(DWORD from, DWORD to, DriverContext* ctx);

// ---- copy and conversion between buffers -------------------------------------------------------

// The dmSpecVersion that a record's dmSize stands for: 188 -> 0x320, 212 -> 0x400, 220 -> 0x401, any
// other size its own dmSpecVersion. 0 for NULL.
WORD DmGetSpecVersion(const DEVMODEW* dm);
// Copies the public part (the smaller dmSize of the two) and the private part (the smaller
// dmDriverExtra) from source to destination; the destination keeps its own dmSize,
// dmDriverExtra and dmDriverVersion, and gets the dmSpecVersion of its dmSize. A whole private
// part gets its block offsets written. Only a source of the current public size or of
// dmSpecVersion 0x320 is taken; a record whose dmSize is shorter than its own header (72
// bytes) is refused on either side. Bytes copied, or -1.
int DmConvertVersion(const DEVMODEW* source, DEVMODEW* destination);
// The same between two device modes of this driver, for any public size of the source; the
// private part only from a source with the full private size and the destination's driver
// version (-1 otherwise, after the public part was copied).
int DmCopySameDriver(const DEVMODEW* source, DEVMODEW* destination);
// Fills a caller's output buffer from the working device mode, sized like the caller's input
// record where that is smaller. 1 copied, 0 failed, -1 no output.
int DmMergeForOutput(const DEVMODEW* working, const DEVMODEW* callerIn, DEVMODEW* output, DriverContext* ctx);
// The spooler's conversion request (CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT): 1
// converted, 2 the caller builds the default device mode (or the mode is not handled), 0 failed
// with the last error set (*size then holds the size needed where the buffer was short).
int DmConvertForSpooler(const WCHAR* printerName, const DEVMODEW* source, DEVMODEW* destination, DWORD* size,
                        DWORD mode);
