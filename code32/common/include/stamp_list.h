// The printer's list of watermarks (stamps).
//
// Stamps are numbered 0 .. "StampCount" - 1; "StampCount" is kept in the language section of the
// settings file. Each stamp is a section "Stamp<n><lang>" (for example "Stamp0us") holding
// "RstVersion" and the watermark-class options by field name. Number 256 is a slot outside the
// list: saving it never changes the count. The current watermark of the settings is the stamp
// numbered by option 118 zdmWmID while option 60 zdmFuncSelectWaterMark is on. The driver-
// defaults file holds the default stamps in sections of the same layout.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kStampCountKey[] = u"StampCount";
inline constexpr WCHAR kStampSectionPrefix[] = u"Stamp";

// Characters a stamp section name needs at most, terminator included.
constexpr int kStampSectionChars = 32;
// The slot outside the list.
constexpr int kStampOutsideList = 256;
// Stamp numbers are 16-bit (zdmWmID).
constexpr int kStampNumberLast = 0xFFFF;

// Serializer flags of a stamp section: watermark-class rows, header "RstVersion" only.
constexpr DWORD kTransferStamp = 0x20;

enum : uint16_t {
  kOptFuncSelectWaterMark = 60,  // zdmFuncSelectWaterMark
  kOptWmKind = 117,              // zdmWmKind
  kOptWmId = 118,                // zdmWmID
};

// ---- counts ---------------------------------------------------------------------------------

// "StampCount" of the language section of the settings file (0 when missing).
int CfgGetStampCount(DriverContext* ctx);
// "StampCount" := n (decimal). 1 when written.
int CfgSetStampCount(DriverContext* ctx, int n);
// "StampCount" of the language section of the driver-defaults file (0 when missing).
int CfgGetDefaultStampCount(DriverContext* ctx);
// "StampCount" of the given section of the given file (0 when missing).
int CfgGetStampCountOf(const WCHAR* file, const WCHAR* section, DriverContext* ctx);

// "Stamp<n><lang>" with the context's language code into out (kStampSectionChars characters);
// its length, 0 (out empty) for a number outside 0-65535.
int CfgStampSection(WCHAR* out, int n, void* ignored, DriverContext* ctx);

// ---- one stamp ------------------------------------------------------------------------------
// Each returns the settings-file operation's result (1/0), 0 for a number outside 0-65535. The
// stamp's section stands in the printer-section buffer only for the call.

// Loads the stamp's section of the settings file, then zdmWmID := n.
int CfgLoadStamp(DriverContext* ctx, int n);
// Raises "StampCount" to n + 1 when n is at or beyond it (not for 256), zdmWmID := n, saves the
// watermark options into the stamp's section and frees the preset value cache.
int CfgSaveStamp(DriverContext* ctx, int n);
// Loads the stamp's section of the driver-defaults file.
int CfgLoadDefaultStamp(void* ignored, DriverContext* ctx, int n);
// Loads the stamp's section of the given file.
int CfgLoadStampFromFile(const WCHAR* file, void* ignored, int n, DriverContext* ctx);
// When watermark printing is on and zdmWmKind holds a legal value, reloads stamp zdmWmID; the
// load result, else 0.
int CfgReloadCurrentStamp(void* ignored, DriverContext* ctx);

// ---- the list -------------------------------------------------------------------------------

// Removes stamp n from the list: every later stamp moves one place down and the count drops by
// one; the section of the former last stamp stays in the file beyond the count. The settings
// stay as they were. A number outside the list changes nothing. Always 0.
int CfgDeleteStamp(DriverContext* ctx, int n);
// Loads and saves every stamp of the list again under an undo snapshot; the settings stay as
// they were. 1 (0 without a context).
int CfgRefreshAllStamps(DriverContext* ctx);
