// Folders and paths of every file the driver reads or writes, the printer and driver names that
// serve as INI section names, and the creation and security of the shared settings folder.
//
// Paths are UTF-16 in buffers of MAX_PATH (260) characters unless a size is given; size is in
// characters. A helper whose result does not fit leaves an empty string.
#pragma once

#include "driver_context.h"

// The folder word of the driver's settings folders, and the older per-user folder's middle word.
inline constexpr WCHAR kSettingsFolderWord[] = u"_zolt";
inline constexpr WCHAR kLegacyUserFolderWord[] = u"orvex";
// Printer data of a client connection: the folder its administrator configured.
inline constexpr WCHAR kClientSharedDirValue[] = u"_ZOLTDirectoryClient";
// Registry value (HKLM SOFTWARE\Orvex\ZoltDrv): the shared folder, "\_zolt" included.
inline constexpr WCHAR kSharedDirValue[] = u"_ZOLTDirectory";

// ---- Folders -------------------------------------------------------------------------------
UINT PathGetSystemDir(WCHAR* buf, int size, DriverContext* ctx);
int PathGetSystemWindowsDir(WCHAR* buf, int size);

// The driver directory with its final "\": the folder of DRIVER_INFO_3.pDriverPath, else the
// system directory + "\spool\drivers\w32x86\2\". The context form rebuilds the work-area buffer.
WCHAR* PathGetDriverDir(DriverContext* ctx);
int PathGetDriverDirOf(HANDLE printer, WCHAR* buf, int size);
int PathGetDriverDirOfPath(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath);
int PathGetDriverDirEx(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath, const DRIVER_INFO_3W* di3);

// The shared settings folder: length, 0 on failure.
int PathGetSharedDir(WCHAR* buf, int size, DriverContext* ctx);
int PathGetSharedDirOfPrinter(WCHAR* buf, int size, HANDLE printer);
int PathGetSharedDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2);
// The folder configured for a client connection in printer data valueName: 1 found, 0 or -1 not.
int PrnGetClientSharedDir(HANDLE printer, const WCHAR* valueName, WCHAR* out, int outSize);
int PrnGetClientSharedDirOfInfo(HANDLE printer, const WCHAR* valueName, WCHAR* out, int outSize,
                                const PRINTER_INFO_2W* pi2);

// The settings folder: the shared folder on Windows 2000 and later, the system directory before.
int PathGetSettingsDir(WCHAR* buf, int size, DriverContext* ctx);
int PathGetSettingsDirOf(WCHAR* buf, int size, HANDLE printer);
int PathGetSettingsDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2);

// The per-user settings folder: length, 0 on failure.
int PathGetUserDir(WCHAR* buf, int size, DriverContext* ctx);
int PathGetUserDirOf(WCHAR* buf, int size, HANDLE printer);
int PathGetUserDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2);

// The user's profile folder; when it cannot be had the shared folder stands in (not in the
// strict form). 1/0.
int PathGetProfileDir(WCHAR* buf, int size, HANDLE printer);
int PathGetProfileDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2);
int PathGetProfileDirStrict(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2);
int PathQueryProfileDir(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2, int strict);

// The user's LocalLow folder: 1 when copied.
int PathGetLocalLowDir(WCHAR* buf, int size);

// ---- Files ---------------------------------------------------------------------------------
WCHAR* PathGetSettingsIni(DriverContext* ctx);
// perUser == 1: the per-user folder, else the settings folder. 1/0.
int PathGetSettingsIniOf(WCHAR* out, int size, short perUser, HANDLE printer);
int PathGetSettingsIniOfInfo(WCHAR* out, int size, short perUser, HANDLE printer, const PRINTER_INFO_2W* pi2);
WCHAR* PathGetDriverIni(DriverContext* ctx);
// out: MAX_PATH characters. 1/0.
int PathGetDriverIniOf(HANDLE printer, WCHAR* out);
WCHAR* PathGetInstallListIni(DriverContext* ctx);

// Joins: folder + "\" + name. 1 when dst holds the path; dst becomes empty when the folder
// cannot be had or the path does not fit; NULL dst or name, or size 0, leaves dst unchanged.
int PathInSharedDir(WCHAR* dst, int size, const WCHAR* name, DriverContext* ctx);
int PathInWindowsDir(WCHAR* dst, int size, const WCHAR* name);
int PathInSystemDir(WCHAR* dst, int size, const WCHAR* name);
int PathInUserDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const PRINTER_INFO_2W* pi2);
// The driver's folder (with its "\") + name; dst unchanged when the driver cannot be read.
int PathInDriverDir(WCHAR* dst, int size, const WCHAR* name, HANDLE printer);
int PathInDriverDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const WCHAR* driverPath);
// "..\..\x" from the system directory; dst empty without a "..\" or when it does not resolve.
int PathResolveUpFromSystemDir(WCHAR* dst, int size, const WCHAR* name);
// %SYSTEMDRIVE% and %SYSTEMROOT% at the start of path; non-zero when path is absolute afterwards.
int PathExpandSystemVars(WCHAR* path, int size, DriverContext* ctx);

// ---- Names ---------------------------------------------------------------------------------
WCHAR* PrnGetName(DriverContext* ctx);
int PrnGetNameOf(HANDLE printer, WCHAR* dst, int size);
int PrnNameFromInfo(HANDLE printer, WCHAR* dst, int size, const PRINTER_INFO_2W* pi2);
// On Windows Vista and later "\\server\name" becomes "\\<shortServerName>\<printerName>" from
// the printer's "DsSpooler" data. 1 when the name was changed.
int PrnQualifyServerName(HANDLE printer, WCHAR* name, int size);
WCHAR* PrnGetPlainName(DriverContext* ctx);
// On Windows Vista and later a connection listed as "\\CSR|server\name" becomes
// "\\server\<printerName>" from its "DsSpooler" data; any other name is the plain name.
WCHAR* PrnGetResolvedName(DriverContext* ctx);
WCHAR* PrnResolveCsrName(HANDLE printer, WCHAR* out, int size, const PRINTER_INFO_2W* pi2);
WCHAR* PrnResolveName(HANDLE printer, WCHAR* out, int size, const PRINTER_INFO_2W* pi2);
WCHAR* PrnGetDriverName(DriverContext* ctx);
// out: kCtxShortNameChars characters. 1/0.
int PrnGetDriverNameOf(HANDLE printer, WCHAR* out);
WCHAR* CfgInstallSection(DriverContext* ctx);
int PrnGetSectionNameOf(HANDLE printer, WCHAR* dst, int size);
const WCHAR* CfgBatchInstallDoneKey();
// A default settings file was applied at installation ("BatchInstRst" of the printer's section
// in the settings file of the settings folder is not empty): the device's trays do not replace
// the user's.
int CfgHasBatchInstRst(DriverContext* ctx);

// ---- Creation and security of the shared folder --------------------------------------------
int PathCreateSharedDir(DriverContext* ctx);
int PathCreateSharedDirOf(HANDLE printer);
int PathSecureSharedData(DriverContext* ctx);
int PathSecureSharedDirOf(HANDLE printer);
PSECURITY_DESCRIPTOR EnvCreateEveryoneSd();
void EnvFreeEveryoneSd(PSECURITY_DESCRIPTOR sd);
PSECURITY_DESCRIPTOR EnvCreateAdminOwnerSd();
void EnvFreeAdminOwnerSd(PSECURITY_DESCRIPTOR sd);
// Flags bit 0: the path itself only; else its children too (EnvApplySecurityToChildren).
int EnvApplyEveryoneDacl(const WCHAR* path, DWORD flags);
int EnvApplyAdminOwner(const WCHAR* path, DWORD flags);
// Flags bit 1: subfolders get the descriptor too; bit 2: descend into them.
int EnvApplySecurityToChildren(const WCHAR* folder, PSECURITY_DESCRIPTOR sd, DWORD flags,
                               SECURITY_INFORMATION information);
int PathGetDefaultSharedDir(WCHAR* buf, int size);
int PathRemoveDefaultSharedDir(HANDLE printer);
int PathRemoveTree(const WCHAR* folder);
