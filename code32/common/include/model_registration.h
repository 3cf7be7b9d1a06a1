// The model registration in the machine-wide model database and the installation programs of
// the driver-defaults file.
//
// The driver-defaults file ("QVF9D172.ini" in the driver directory) maps the driver name to a
// model name, in [Models] or, for a driver that serves several models, in [Models1],
// [Models2], ... (the list ends at the first section without the driver). Each model is
// registered in "qvdb.ini" of the Windows directory, section [<model>], keys "LoadDll",
// "ResDll" and "Version", from the install list "QVINSTPR.INI" of the driver directory
// ([<model>] "LoadDll32" and "Version32") and the profile's resource-data library name.
//
// Results are 1 for success and 0 for failure unless stated.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kModelDatabaseName[] = u"qvdb.ini";

// The first character of text that is not a space (text itself when it has none; NULL stays
// NULL).
WCHAR* PathSkipBlanks(WCHAR* text);

// [Models] <driver name> of the driver-defaults file into the work area's model buffer
// (32 characters); NULL when it is empty or the context has no work area.
WCHAR* CfgGetModelName(DriverContext* ctx);

// Registers the numbered models when [Models1] names one, else the single model (0 without a
// model name). Nothing is written when the profile names no resource-data library.
int CfgRegisterModel(DriverContext* ctx);
// 0 when [Models1] has no entry for the driver, else 1 (every numbered model registered).
int CfgRegisterNumberedModels(DriverContext* ctx);

// Registers again when the database entry differs (case-insensitively) from what registration
// would write. 0 without any model name.
int CfgCheckModelDbEntry(DriverContext* ctx);
// 0 when [Models1] has no entry for the driver, else 1.
int CfgCheckNumberedModels(DriverContext* ctx);

// The [Models] model's install-list values ("LoadDll32", "Version32") and database values
// ("LoadDll", "ResDll", "Version" of the database at dbPath); a value that cannot be read is
// an empty string. 0 without a model name.
int CfgReadInstallListEntry(WCHAR* loadDll32, int loadDll32Size, WCHAR* version32, int version32Size,
                            DriverContext* ctx);
int CfgReadModelDbEntry(WCHAR* loadDll, int loadDllSize, WCHAR* resDll, int resDllSize, WCHAR* version,
                        int versionSize, const WCHAR* dbPath, DriverContext* ctx);

// Starts the installation programs that [Expand File] of the driver-defaults file lists
// ("SystemDir1".."SystemDir<SystemDirfiles>" with the system directory as current directory,
// then "DriverDir1".."DriverDir<DriverDirfiles>" with the driver directory), each from the
// driver directory, hidden, one after the other. A program that cannot be started is skipped.
// Each program is waited for at most kInstallProgramWait milliseconds: the caller holds the
// machine-wide mutex, and a program that never ends must not stop every other process of the
// machine; a program still running then is left to finish on its own. At most
// kInstallProgramsMax programs of each list are looked at.
inline constexpr DWORD kInstallProgramWait = 5 * 60 * 1000;
inline constexpr int kInstallProgramsMax = 256;
void CfgRunExpandFilePrograms(DriverContext* ctx);
// Replaces the wait for each program (for tests); returns the previous one. 0 restores the
// default.
DWORD CfgSetInstallProgramWait(DWORD milliseconds);
