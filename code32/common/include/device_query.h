// Reading the device's installed configuration over the maker's port library ("qv4manNT.dll"):
// trays with their paper and media, tray attributes, memory, firmware and page-description
// language versions and capabilities, translated into the context's options and handed to the
// device-state store.
#pragma once

#include <cstddef>

#include "driver_context.h"

// ---- the port library -------------------------------------------------------------------------

inline constexpr WCHAR kPortLibraryName[] = u"qv4manNT.dll";
inline constexpr char kPortLibraryInitExport[] = "OrvexInitializeBidiApiV2W";
inline constexpr char kPortLibraryAddressExport[] = "PMGetWinPrnAddr";

// The slots of the library's function table that the driver calls.
using PortOpenFn = BOOL(WINAPI*)(const WCHAR* printerName, HANDLE* port, DWORD* ready);
using PortCloseFn = BOOL(WINAPI*)(HANDLE port);
using PortStartSessionFn = BOOL(WINAPI*)(HANDLE port, HANDLE* session, DWORD startFlags, DWORD* word);
using PortOpenChannelFn = BOOL(WINAPI*)(HANDLE port, HANDLE* channel, DWORD channelId, DWORD mode);
using PortGetModelNameFn = BOOL(WINAPI*)(HANDLE port, DWORD reserved, WCHAR* buffer, DWORD chars);
// For list data the result of the call with a buffer is the number of 32-bit entries.
using PortGetDataFn = LONG(WINAPI*)(HANDLE session, DWORD dataId, void* buffer, DWORD byteSize, DWORD* needed);
using PortGetChannelDataFn = BOOL(WINAPI*)(HANDLE channel, DWORD channelId, DWORD subId, void* buffer,
                                           DWORD byteSize, DWORD* needed);

// The function table that the library's initialisation export fills (in memory only).
struct PortApiTable {
  PortOpenFn openPort;                   // 0
  PortCloseFn closePort;                 // 1
  PortStartSessionFn startSession;       // 2
  PortOpenChannelFn openChannel;         // 3
  PortGetModelNameFn getModelName;       // 4
  void* reserved5;                       // 5
  PortGetDataFn getData;                 // 6
  PortGetChannelDataFn getChannelData;   // 7
};

// The process-wide block handed to the initialisation export: two words of the library, then
// the table.
struct PortApiBlock {
  DWORD libraryWords[2];
  PortApiTable table;
};
static_assert(offsetof(PortApiBlock, table) == 8);

using PortInitFn = BOOL(WINAPI*)(PortApiBlock* block);
// PMGetWinPrnAddr(ANSI printer name, 0, buffer size, out buffer, 0).
using PortGetAddressFn = BOOL(WINAPI*)(const char* printerName, DWORD reserved1, DWORD size, char* address,
                                       DWORD reserved2);

// Data ids of the get-data slot, and the channel and its sub ids.
enum : DWORD {
  kBidiDataTrays = 1,
  kBidiDataOptions = 2,
  kBidiDataSystemVersion = 8,
  kBidiDataMemory = 11,
  kBidiDataPapers = 20,
  kBidiDataMedia = 21,
  kBidiDataTrayAttributes = 23,
  kBidiDataMarking = 300,
  kBidiChannel = 15,
  kBidiChannelMode = 1,
  kBidiChannelRamType = 0x102,
  kBidiChannelPdlVersion = 2,
  kBidiChannelOther = 0x103,
};

// The last error that a start-session or open-channel call leaves when it was already done.
constexpr DWORD kBidiAlreadyDone = 102;
// Characters of the model-name buffer, terminator included.
constexpr DWORD kBidiModelNameChars = 33;

// Session start flags.
constexpr DWORD kBidiStartReduced = 0x104;
constexpr DWORD kBidiStartFull = 0x2011C | 0x8000000;

// Query flags.
enum : DWORD {
  kBidiQueryWindow = 1,
  kBidiQueryVersions = 2,
  kBidiQueryQuiet = 4,
};

// Notify codes the query sends: 21 {u32 answer} asks whether the per-tray details are wanted
// (non-zero: yes); 22 (no parameter) tells that the full configuration was read.
enum : DWORD {
  kFmNotifyDeviceTraysRead = 21,
  kFmNotifyDeviceConfigRead = 22,
};

// The progress window's text.
constexpr WORD kBidiProgressString = 7001;

// ---- entry points -----------------------------------------------------------------------------

// 1 when the device may be asked: the printer is not reached through a print server, the
// settings INI has a drive path and its [<language>] "bIsBIDISupportForZOLT" reads 1 (default).
int BidiIsAllowed(DriverContext* ctx);
// The same with the key "bIsBIDISupportForZOLTModel": the device's model is checked.
int BidiIsModelCheckOn(DriverContext* ctx);
// The full query with the progress window; 1 when the device's configuration was taken.
int BidiUpdateFromDevice(DriverContext* ctx, HWND parent);
// The full query without a window; 1 when the query succeeded.
int BidiUpdateFromDeviceQuiet(DriverContext* ctx);
// Reads only the system and page-description-language versions, with the progress window.
int BidiReadDeviceVersions(DriverContext* ctx, HWND parent);

// ---- internal steps (for the module's own tests) ------------------------------------------------

int BidiQueryDevice(DriverContext* ctx, HWND parent, DWORD flags);
int BidiProbePort(DriverContext* ctx, DWORD flags);
int BidiRunSession(DWORD flags, DriverContext* ctx);
// The readers: each returns 1 when the query may go on, 0 when it must stop (no memory, or the
// device stopped answering). port and session are the library's handles.
int BidiReadFullConfig(const PortApiTable* table, HANDLE port, HANDLE session, DriverContext* ctx);
int BidiReadVersionsOnly(const PortApiTable* table, HANDLE port, HANDLE session, DriverContext* ctx);
int BidiReadTrays(const PortApiTable* table, HANDLE session, DriverContext* ctx);
int BidiReadInstalledOptions(const PortApiTable* table, HANDLE session, DriverContext* ctx);
int BidiReadMemory(const PortApiTable* table, HANDLE session, DriverContext* ctx);
int BidiReadSystemVersion(const PortApiTable* table, HANDLE session, DriverContext* ctx);
int BidiReadMarkingCapability(const PortApiTable* table, HANDLE session, DriverContext* ctx);
int BidiReadChannelData(const PortApiTable* table, HANDLE port, DriverContext* ctx);
int BidiReadPdlVersion(const PortApiTable* table, HANDLE port, DriverContext* ctx);

// The process-wide block that each session fills again.
PortApiBlock* BidiPortBlock();
