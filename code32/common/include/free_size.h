// Custom paper-size slots.
//
// The user keeps ten named custom paper sizes, each a section "FreeSize<n><lang>" of the
// printer's settings file, cached per context in the work area as a FreeSizeSlot record and
// chosen like any paper through its own paper code (384-393). Two more records cache the
// document's own custom sizes (paper codes 256 and 448). The slot being edited is exchanged
// through options 938-942 (wdmFreeSizeName .. wdmFreeSizeOrient), the custom size chosen as
// the source paper through their twins 943-947, and every slot mirrors its four numbers into
// options of its own (1152 + 4k .. 1155 + 4k for slot k).
//
// Widths and lengths are in 1/1200 inch; trays and orientations are stored values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver_context.h"

// FreeSizeSlot (driver_context.h) is stored as it stands: three 64-byte ANSI texts, two 32-bit
// lengths, two 16-bit values.
static_assert(offsetof(FreeSizeSlot, displayName) == 0);
static_assert(offsetof(FreeSizeSlot, displayNameWithSize) == 64);
static_assert(offsetof(FreeSizeSlot, userName) == 128);
static_assert(offsetof(FreeSizeSlot, width) == 192);
static_assert(offsetof(FreeSizeSlot, length) == 196);
static_assert(offsetof(FreeSizeSlot, tray) == 200);
static_assert(offsetof(FreeSizeSlot, orientation) == 202);

// Slots and their paper codes.
constexpr int kFreeSizeUserSlots = 10;  // slots 0-9, paper codes 384-393
constexpr int kFreeSizePaperSlot = 10;  // the document's custom size, paper code 256
constexpr int kFreeSizePrintSlot = 11;  // the output custom size, paper code 448
enum : WORD {
  kPaperUserSize = 256,     // DMPAPER_USER: a custom size entered by hand
  kPaperPrintFreeSize = 448,
};
struct FreeSizePaperRow {
  WORD slot;
  WORD paperCode;
};
// The 12 rows {slot, paper code} in slot order.
const FreeSizePaperRow* CfgFreeSizePaperMap();

// Options of the slot being edited, of its source twin, and of the document's custom sizes.
enum : uint16_t {
  kOptFreeSizeName = 938,         // wdmFreeSizeName (ANSI, up to 32 characters)
  kOptFreeSizeTray = 941,         // wdmFreeSizeTray
  kOptFreeSizeOrient = 942,       // wdmFreeSizeOrient
  kOptSrcFreeSizeName = 943,      // wdmSrcFreeSizeName .. wdmSrcFreeSizeOrient (947)
  kOptPaperFreeSizeFirst = 342,   // zdmPaperFreeSizeWidth, Length, Tray, Orient (342-345)
  kOptPrintFreeSizeFirst = 346,   // zdmPrintFreeSizeWidth, Length, Tray, Orient (346-349)
  kOptSlotFreeSizeFirst = 1152,   // wdmFreeSize1Width .. wdmFreeSize10Orient (1152-1191)
};
// The four options (width, length, tray, orientation) of slot 0-9; NULL for other slots.
const uint16_t* CfgFreeSizeSlotOptions(int slot);

// Resource strings: the default names of slots 0-9, and the names of the two custom sizes.
enum : DWORD {
  kStringFreeSizeSlot0 = 109,
  kStringPaperFreeSize = 752,
  kStringPrintFreeSize = 753,
};

// Pending-update bit: the slots of this context have been loaded.
constexpr uint32_t kPendingFreeSizesLoaded = 0x4000000;

// Defaults of a slot whose key is missing from the driver-defaults file: A4 portrait.
constexpr int32_t kFreeSizeDefaultWidth = 9921;
constexpr int32_t kFreeSizeDefaultLength = 14031;
constexpr int16_t kFreeSizeDefaultTray = 4;
constexpr int16_t kFreeSizeDefaultOrient = 1;

// "FreeSizeCount" of the language sections, and the only count the driver-defaults file may give.
inline constexpr WCHAR kFreeSizeCountKey[] = u"FreeSizeCount";

// ---- counts and paper codes -----------------------------------------------------------------

int CfgFreeSizeSlotCount(DriverContext* ctx);  // 10
int CfgFreeSizeMapCount(DriverContext* ctx);   // 12
int CfgIsFreeSizePaper(int32_t paperCode);     // 1 for 384-393
// The paper code of the slot among the first count rows of the map (count is taken as at most
// 12); 0 when the slot is above count or not among them.
int CfgSlotToPaper(HANDLE unused, int slot, int count, DriverContext* ctx);
// The slot of a paper code over the 12 rows; 0 when not found (the same answer as slot 0).
int CfgPaperToSlot(int32_t paperCode, DriverContext* ctx);

// "FreeSize<slot><lang>" with the context's language code, into out (outChars characters,
// terminator included). 1 when it fits; else out is empty (when it has room) and 0.
int CfgFreeSizeSection(WCHAR* out, int slot, int outChars, DriverContext* ctx);

// ---- the slot sections of the settings file -------------------------------------------------
// Each returns the settings-file operation's result (1/0); 0 for a slot outside 0-9.

// Clears options 938-942 and loads them from the slot's section (custom-size rows, the section
// name in the printer-section buffer for the call), then mirrors them into the slot's options.
int CfgLoadFreeSize(DriverContext* ctx, int slot);
// Clears options 943-947 and loads them from the slot's section (keys of 938-942, no header).
int CfgLoadSrcFreeSize(DriverContext* ctx, int slot);
// Saves options 938-942 into the slot's section, then mirrors them into the slot's options.
int CfgSaveFreeSize(DriverContext* ctx, int slot);
// Clears options 938-940 and loads the slot's section of the driver-defaults file.
int CfgLoadFreeSizeDefault(DriverContext* ctx, int slot);

// ---- cache and options ----------------------------------------------------------------------

// When section names the section of a slot 0-9 (case-insensitive): that slot's own options :=
// options 939-942. 1 when mirrored.
int CfgMirrorFreeSizeSection(DriverContext* ctx, const WCHAR* section);
// The slot's own options := the cached width, length, tray and orientation (slots 0-9).
int CfgMirrorFreeSizeSlot(DriverContext* ctx, int slot);
// Cache to options 938-942 (943-947): user name, width and length as UI values, tray and
// orientation (slots 0-11).
int CfgApplyFreeSizeSlot(DriverContext* ctx, int slot);
int CfgApplySrcFreeSizeSlot(DriverContext* ctx, int slot);
// Options 938-942 (943-947) to the cache: width and length from the UI values, tray and
// orientation, the user name (at most 63 bytes); both display names := the slot's resource
// name formatted with its name and size (slots 0-9).
int CfgCaptureFreeSizeSlot(DriverContext* ctx, int slot);
int CfgCaptureSrcFreeSizeSlot(DriverContext* ctx, int slot);
// A document custom size to the cache record slot (0-11): paper code 256 from options 342-345
// with name string 752, 448 from 346-349 with string 753 (formatted, at most 31 characters).
// Other codes change nothing (0).
int CfgCaptureCustomPaper(DriverContext* ctx, int32_t paperCode, int slot);

// ---- all slots ------------------------------------------------------------------------------

// Once per context (pending-update bit 0x4000000): under an undo snapshot every slot is loaded
// and captured, the options are restored, then every slot is mirrored into its own options.
int CfgLoadAllFreeSizes(DriverContext* ctx);
// Under an undo snapshot, every slot: cache to options, then saved.
int CfgSaveAllFreeSizes(DriverContext* ctx);
// Under an undo snapshot, every slot: loaded, then saved again.
int CfgRefreshAllFreeSizes(DriverContext* ctx);
// The cache of slots 0-9 from the driver-defaults file: names from strings 109-118, numbers from
// the slots' sections with the A4 portrait defaults.
int CfgLoadFreeSizeDefaults(DriverContext* ctx);

// ---- counts in the files --------------------------------------------------------------------

// "FreeSizeCount" of the language section of the driver-defaults file when it is 10, else 0.
int CfgGetDefaultFreeSizeCount(DriverContext* ctx);
// "FreeSizeCount" := n in the language section of the settings file. 1 when written.
int CfgSetFreeSizeCount(HANDLE unused, DriverContext* ctx, int n);

// ---- the document's custom size -------------------------------------------------------------

// 1 when dmPaperSize is 256 and lengths are shown in inches (metric for the second).
int CfgIsUserPaperInch(DriverContext* ctx);
int CfgIsUserPaperMetric(DriverContext* ctx);
