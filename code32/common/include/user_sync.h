// Per-user and per-client copies of the settings and the installation stamps that decide when
// they are refreshed.
//
// On a terminal server every user keeps a settings file, preset files and quality files in a
// per-user folder; a client connection of a print server keeps a shared settings file that must
// match the driver version installed on the client. The stamps "DrvInstTime",
// "DrvFirstInstTime" (local time, 14 digits), "DrvInstType" and "DrvInstVersion" in the printer
// section of a settings file say when and by which driver a copy was made.
#pragma once

#include "driver_context.h"

// Targets of the installation stamp: 0 the settings file of the settings folder, 1 the per-user
// settings file, 2 the settings folder's with "DrvFirstInstTime".
constexpr short kStampTargetShared = 0;
constexpr short kStampTargetUser = 1;
constexpr short kStampTargetSettingsDir = 2;

// States of CfgCompareInstallStamps.
enum : int {
  kUserCopyCurrent = 0,
  kUserCopyMissing = 1,     // missing, or older than the printer's first installation
  kUserCopyStale = 2,       // the printer was installed again after the copy was made
  kUserCopyAdminStale = 3,  // as 2 while the administrator changed the printer's settings
};

inline constexpr WCHAR kDrvInstTimeKey[] = u"DrvInstTime";
inline constexpr WCHAR kDrvFirstInstTimeKey[] = u"DrvFirstInstTime";
inline constexpr WCHAR kDrvInstTypeKey[] = u"DrvInstType";

// Flag bit 0 of CfgSyncUserSettings: also bring a client connection up to date.
constexpr DWORD kSyncClientConnection = 0x1;

// The synchronisation the entry points run first. 1 when the caller may go on.
int CfgSyncUserSettings(HANDLE printer, DWORD flags, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// The version check of a client connection's folder. 1/0.
int CfgSyncClientFolderVersion(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
int CfgSyncClientSettingsVersion(HANDLE printer, HANDLE printer2, const WCHAR* settingsIni, const WCHAR* section,
                                 PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// Copies the installed defaults of the shared list entries into the per-user folder. Non-zero
// on success.
int CfgCopyListFilesToUserFolder(HANDLE printer, const PRINTER_INFO_2W* pi2);
// Refreshes the per-user copy (type 1, 3, 4 re-initialise; other types compare versions). 1/0.
int CfgRefreshUserCopy(HANDLE printer, short type);
int CfgRefreshUserCopyEx(HANDLE printer, short type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// "DrvDefJobMergePath" and "DrvDefPreviewPath" of the per-user settings file into the per-user
// folder. 1 when both were written.
int CfgRefreshJobMergePaths(HANDLE printer, const PRINTER_INFO_2W* pi2);
// Writes the installation stamp (terminal-server mode only); 1, also when nothing is written;
// 0 when the settings path cannot be formed.
int CfgWriteInstallStamp(HANDLE printer, short type, short target);
int CfgWriteInstallStampEx(HANDLE printer, short type, short target, const WCHAR* driverPath,
                           const PRINTER_INFO_2W* pi2);
// The state of the per-user copy (above) into *state. 1 when produced.
int CfgCompareInstallStamps(HANDLE printer, int* state, const PRINTER_INFO_2W* pi2);
// 0 nothing to do, 2 correction needed, 3 no usable per-user list, 1 failure.
int CfgCheckTsIniCorrection(HANDLE printer, const PRINTER_INFO_2W* pi2);
// 0 corrected, 3 an entry could not be resolved, 1 failure.
int CfgCorrectTsIni(HANDLE printer, const PRINTER_INFO_2W* pi2);
// The administrator's scenario and lists into the per-user copy. 0 done or nothing to do, 1 failure.
int CfgApplyBatchDefaultsToUser(HANDLE printer, PRINTER_INFO_2W* pi2);
int CfgApplyBatchDefaultsToUserEx(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
