// The frame of the ZOLTDrv interface: the process-wide interface state, the per-context
// extension record, the version limits and row lookups, the last-error store and the per-call
// opening of the printer. Shared by every file of the interface.
#pragma once

#include <cstdint>

#include "api_records.h"
#include "driver_context.h"
#include "win32/windows.h"

// Highest interface version this module implements.
constexpr int32_t kApiModuleVersion = 22;

// The process-wide interface state (no lock: see the concurrency notes of the frame).
struct ApiProcessState {
  int32_t moduleVersion;             // 22
  uint8_t capabilityBitmap[kBitmapBytes];
  uint8_t statusBitmap[kBitmapBytes];
  int32_t currentVersion;            // governs every id lookup, layout and version gate
  int32_t printerVersion;            // read from the printer's driver-defaults file
};

ApiProcessState* ApiGetProcessState();

// Per context, hung on the work area by ZOLTDrvEnable.
struct ApiExtension {
  int32_t* statusStates;      // (high status limit) x 8 pairs {disabled, restricted}
  BYTE* backupImage;          // a whole settings image
  int32_t lastError;
  int32_t chapterIndex;       // the chapter entry that the chapter-delete step takes
  int32_t statusStatePairs;   // pairs the state array holds (its allocation)
};

ApiExtension* ApiGetExtension(DriverContext* ctx);

// ---- versions and rows ------------------------------------------------------------------------

int32_t ApiGetVersion();
// The limits at the current version: which 0 (highest id below 256) or 1 (highest from 257).
uint32_t ApiStatusIdLimit(int which);
// Which 2 answers the number of special capability rows (3).
uint32_t ApiCapabilityIdLimit(int which);
// Limits at a given version (a version above 22 uses row 22; below 0 row 0).
uint32_t ApiStatusIdLimitAt(int32_t version, int which);
uint32_t ApiCapabilityIdLimitAt(int32_t version, int which);
int ApiIsStatusIdKnown(uint32_t id);
int ApiIsCapabilityIdKnown(uint32_t id);

// ---- last error -------------------------------------------------------------------------------

int SetApiLastError(DriverContext* ctx, int32_t code);  // 1 stored; only above version 8
int32_t ApiGetLastErrorRaw(DriverContext* ctx);         // the stored code, 0 without an extension
void ApiPutLastErrorRaw(DriverContext* ctx, int32_t code);  // without the version test
int32_t MapCommError(DWORD systemError);
void ApiStoreCommError(DriverContext* ctx);

// ---- the printer of one call -----------------------------------------------------------------

int ApiOpenPrinterForCall(DriverContext* ctx, HANDLE* out, PRINTER_DEFAULTSW* defaults);
void ApiClosePrinter(HANDLE printer);

// The driver-defaults file of a printer without a context ("" when it cannot be built).
int ApiGetDriverIniPath(HANDLE printer, WCHAR* out);

// The integer "ZOLTAPIFunc1" of the printer's driver-defaults file (0 without one): bits that
// switch on optional answers of the capability queries.
int32_t ApiGetApiFunctionBits(DriverContext* ctx);

// ---- support bitmaps -------------------------------------------------------------------------

enum : int { kApiKindCapability = 0, kApiKindStatus = 1 };
constexpr uint32_t kCapSpecialMachineType = 0x30000;
constexpr uint32_t kCapSpecialB = 0x40000;
constexpr uint32_t kCapSpecialC = 0x50000;

void BuildSupportBitmaps();
int IsIdSupported(int kind, uint32_t id);
int32_t ApiGetStatusSupportBitmap(uint8_t* buffer);
const uint8_t* ApiBuildModelMask(int kind);
// Size of a change or support bitmap at the current version: 32 below version 6, else 64.
int ApiBitmapSize();

// ---- capabilities -----------------------------------------------------------------------------

using CapabilityHandler = int32_t (*)(DriverContext* ctx, uint32_t id, void* data);

struct CapabilityRow {
  uint32_t id;
  uint32_t enabled;
  uint32_t one;
  uint16_t availabilityOption;
  CapabilityHandler handler;
};

const CapabilityRow* CapabilityRowById(uint32_t id);
// The body of ZOLTDrvGetCaps without the machine-wide mutex (the whole record's sub-queries).
int32_t ApiGetCapsCore(DriverContext* ctx, uint32_t id, void* data);
// The whole record: 1 with *out set to a new record, 0 (last error 100; 5 without out).
int32_t GetAllCapabilities(DriverContext* ctx, AllCapabilities** out);
// Frees a whole record and every list it holds; 1, also for null.
int32_t FreeAllCapabilities(AllCapabilities* record);
// 1 when the capability lists the codes of a setting that the model does not describe (its
// answer is then -1, but nothing is wrong with the printer).
int ApiIsListOfMissingItem(DriverContext* ctx, uint32_t id);
// A capability as the status machinery asks it: the handler's answer without the printer and
// last-error steps of the export; 0 for an unknown or disabled id.
int32_t ApiQueryCapability(DriverContext* ctx, uint32_t id, void* data);
// A capability counts as supported when it answers neither -1 nor 0.
int ApiIsCapabilitySupported(DriverContext* ctx, uint32_t id);

// ---- the enable steps shared with the device-mode calls --------------------------------------

void ApiResetShiftMargins(DriverContext* ctx);
void ApiSetOSKind(DriverContext* ctx);
// The work area's chapter-change flag.
void ApiSetChapterChanged(DriverContext* ctx, DWORD value);

// 1 when the handle is a context that ZOLTDrvEnable handed out and ZOLTDrvDisable has not taken
// back; every export tests the handle it is given before using it.
int ApiIsLiveContext(const DriverContext* ctx);

// The exports of the frame (also called inside the module).
ZOLT_EXPORT int32_t WINAPI ZOLTDrvCheckAPIVer(const char* name);
ZOLT_EXPORT DriverContext* WINAPI ZOLTDrvEnable(const char* name);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvInit(int32_t flag, const ApiInitRecord* record);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetLastError(DriverContext* ctx);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvDisable(DriverContext* ctx);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetCaps(DriverContext* ctx, uint32_t id, void* data);
