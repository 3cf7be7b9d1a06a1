// Operations of the other subsystems that building and destroying a driver context calls:
// model loading, the settings image, stored option values, feature modules, the job-control
// start-up check, the spooler records, names and languages, and the process locks. Each is
// defined in the file of the subsystem that owns it.
#pragma once

#include "driver_context.h"

// Model description: loads (or takes from the process-wide image cache) the context's model
// image; NULL when it cannot be had. The evaluator stack is 256 entries of the work area.
ModelImage* MdlLoad(DriverContext* ctx);
int MdlAllocEvalStack(DriverContext* ctx);  // 0, or -1 when memory runs out
void MdlFreeEvalStack(DriverContext* ctx);

// Device-mode defaults: a new settings image built from the defaults (caller frees), or NULL.
SettingsImage* DmBuildDefaults(DriverContext* ctx, WORD kind);

// Feature modules.
int FmIsFeatureEnabled(const DriverContext* ctx, WORD feature, DWORD reserved);
int FmAttachModules(DriverContext* ctx);
int FmDetachModules(DriverContext* ctx);

// Option values kept in printer data and settings files.
int CfgLoadPrinterSettings(DriverContext* ctx);
int CfgFreeFontBuffers(DriverContext* ctx);
int PrnReadOptionByFieldName(HANDLE printer, DriverContext* ctx, OptionEntry* row);

// The administrator's installation file and the printer's settings section.
const WCHAR* PathGetAdminIni(DriverContext* ctx);
WCHAR* CfgPrinterSection(DriverContext* ctx);
// The per-context cache of loaded preset values, one slot per preset entry key: mode 0 forgets
// the slots, 1 restores the key's slot, 2 stores into it, 3 frees every slot.
int CfgPresetValueCache(DriverContext* ctx, const WCHAR* key, int mode);
int CfgIsDrvInstSet(const WCHAR* file, const WCHAR* section);
int CfgWriteDrvInstSet(const WCHAR* file, const WCHAR* section, int value);

// The job-control module's items.
int JcLoadItemsFromPrinterData(DriverContext* ctx, DWORD mask);
DWORD JcWriteItems(DriverContext* ctx, DWORD mask);

// Printer and system environment. PrnGetPrinterInfo answers a zero-filled block holding the
// record of the level (the caller frees it with MdlFreeMem), or NULL.
void* PrnGetPrinterInfo(HANDLE printer, DWORD level);
void PrnCachePrinterInfo(const PRINTER_INFO_2W* pi2, DriverContext* ctx);
int EnvIsVistaOrLater();

// Names and paths of the printer.
int PrnQualifyServerName(HANDLE printer, WCHAR* name, int size);
WCHAR* PrnGetDriverName(DriverContext* ctx);

// Languages and resource libraries.
WCHAR* CfgHelpLanguageCode(DriverContext* ctx);
int EnvFreeResourceDlls(DriverContext* ctx);

// Process locks: critical section 1 guards context-cache table 1, section 2 table 2.
void EnvInitProcessLocks();
void EnvFreeProcessLocks();
void EnvEnterLock(int lock);
void EnvLeaveLock(int lock);

// What every module does at load and unload: set up the core's process locks; free the parked
// contexts, the loaded model images and the locks.
void CtxProcessAttach();
void CtxProcessDetach();

// The millisecond tick count that dates parked contexts, and a way to replace its source (for
// tests); returns the previous source. NULL restores the system's.
using CtxTickSource = DWORD (*)();
DWORD CtxGetTickCount();
CtxTickSource CtxSetTickSource(CtxTickSource source);

// Releases a GDI object the sheet engine left in the work area.
BOOL CtxDeleteGdiObject(HGDIOBJ object);
