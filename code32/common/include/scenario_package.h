// Scenario packages: a printer's settings, custom sizes, stamps, presets and quality entries
// exported into a dated folder of the shared settings folder for installation on other
// computers, and the driver's default package unpacked into the files it lists.
//
// The package folder is "<shared folder>\zolt\<YYYYMMDDhhmmss><base of the user's file>"; its
// main file is "Q<code>1.rsb", where the code is six base-36 digits of the local time. Default
// presets use the same code with the entry's digit and the extension "rsd"; default qualities
// the code plus one and "rsq". The list file next to the user's file names them all.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kScenarioDataSection[] = u"ScenarioInstallData";
constexpr int kScenarioCodeChars = 6;
// Notify codes broadcast with {main file} when administrator locks are set, after the default
// presets and after the default qualities were written.
constexpr DWORD kFmNotifyScenarioPresetsExported = 63;
constexpr DWORD kFmNotifyScenarioQualitiesExported = 64;
struct FmScenarioExportParam {
  const WCHAR* mainFile;
};

// The six-character code steps by one in place ('0'-'9', 'A'-'Z', carrying or borrowing).
void CfgNextScenarioCode(WCHAR* code);
void CfgPrevScenarioCode(WCHAR* code);
// The code of a local time (seconds of a calendar of 31-day months and 372-day years since
// 1970, its six lowest base-36 digits) into out (7 characters).
void CfgScenarioCodeOfTime(const SYSTEMTIME& time, WCHAR* out);
// The base-36 digit of an entry index (0 for an index above 35: it has none).
WCHAR CfgScenarioDigit(int index);

// Creates the package folder for the user's file and puts the main file's path into out
// (MAX_PATH characters). 1/0.
int CfgCreateScenarioFolder(const WCHAR* userFile, WCHAR* out, DriverContext* ctx);
// Writes the identity keys into "ScenarioInstallData" of the file. 1/0.
int CfgWriteScenarioHeader(const WCHAR* file, DriverContext* ctx);
// Writes the package: identity keys into the user's file, the main file, the default presets
// and qualities and the list file. 1, 0 at the first section that cannot be read or written.
int CfgExportScenario(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx);
int CfgWriteScenarioMain(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx);
int CfgExportPresetDefaults(const WCHAR* mainFile, DriverContext* ctx);
int CfgExportQualityDefaults(const WCHAR* mainFile, DriverContext* ctx);
int CfgWriteScenarioList(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx);
// Removes the package an earlier export of the user's file left (its folder and list file). 1.
int CfgDeleteScenario(const WCHAR* userFile);
// Deletes every file of the folder holding path and the folder; 0 when no file was deleted.
int PathRemoveFolderOf(const WCHAR* path);
// The sections that the driver's default package keeps for each listed preset and quality file
// written into those files. 1.
int CfgInstallScenarioDefaults(DriverContext* ctx);
