// The escapes of the graphics module: the platform's escapes it answers and its private ones
// (job identification strings, a few settings read back, the string table of the
// printer-interface module, version and file names).
#pragma once

#include <cstdint>

#include "escape_strings.h"
#include "win32/windows.h"

struct PhysicalDevice;

// Platform escapes.
enum : ULONG {
  kEscQueryEscSupport = 8,
  kEscSetCopyCount = 17,
  kEscPassThrough = 19,
  kEscGetTechnology = 20,
  kEscGetDeviceUnits = 42,
};
// Private escapes.
enum : ULONG {
  kEscUserCode = 111,
  kEscOwnerName = 112,
  kEscJobPassword = 113,
  kEscUserId = 114,
  kEscDocumentName = 115,
  kEscTelNo = 116,
  kEscTelLine = 117,
  kEscStoredPassword = 118,
  kEscDefaultSource = 119,
  kEscPrintMethod = 120,
  kEscSettingsIni = 121,
  kEscStringTable = 122,
  kEscAuthUserName = 123,
  kEscAuthNetworkKey = 124,
  kEscAuthPassword = 125,
  kEscApiUse = 126,
  kEscLibraryVersion = 140,
  kEscFilterName = 141,
};

constexpr uint32_t kMaxCopyCount = 999;
inline constexpr char kEscTechnology[] = "ZOLT";
inline constexpr char kEscLibraryVersionText[] = "KELDRA.LIB TYPE-B MASTER 2.74.10";

// 1 when the module answers the escape (19 only in a pass-through job).
int GrEscapeSupported(const PhysicalDevice* pdev, ULONG escape);
// The module's string table: keys 731, 733, 735 with string ids 15000-15002 and a terminating
// row; texts empty until escape 122 fills them.
EscapeStringRow* GrEscapeStringTable();
// The row with that key, or NULL (never the terminating row).
EscapeStringRow* GrFindEscapeString(int32_t key);
// Escape 122: the texts of the input rows (inputBytes bytes) at the positions of the module's
// rows; rows the input does not hold whole stay as they were. 1 when anything was given.
int GrStoreEscapeStrings(const void* input, ULONG inputBytes);
// Empties the texts (module load).
void GrClearEscapeStrings();
