// Installation of scenario presets and quality files: the names listed in scenario packages and
// installation lists resolved to paths.
#pragma once

#include <functional>
#include <string>

#include "driver_context.h"

// The installed default of a settings file (flags 4 preset, 0x10 quality) into out. 1/0.
int PathInstalledDefaultOf(WCHAR* out, const WCHAR* file, DWORD flags, DriverContext* ctx);

// Modes of PathExpandInstallNameEx: 0 names of installation files (system directory), 1 names of
// scenario lists (driver directory and shared settings folder on Windows 2000 and later).
enum : short {
  kExpandForSystem = 0,
  kExpandForScenario = 1,
};
// Expands a listed name in place (size characters); 1 when the result is non-empty.
int PathExpandInstallNameEx(WCHAR* name, int size, short mode, DriverContext* ctx);
// Scenario lists: mode 1, and the name must have an extension of 1-3 characters.
int PathExpandInstallName(WCHAR* name, int size, DriverContext* ctx);
int PathExpandInstallNameForSystem(WCHAR* name, int size, DriverContext* ctx);

// Flags of the scenario installers.
enum : DWORD {
  kInstallAddToList = 0x01,     // add entries to the printer's list
  kInstallCopyFiles = 0x02,     // copy the listed files and make sure each installed copy exists
  kInstallRewriteCopy = 0x10,   // with 0x01: re-write the installed copy from the listed file
  kInstallDeleteCopy = 0x20,    // delete the installed copy
  kInstallChecked = 0x40,       // presets: only files that pass the disable, condition and watermark checks
  kInstallKeepList = 0x80,      // presets: keep the list; with 0x40 add what the old list lacks
  kInstallWriteMark = 0x100,    // write the done mark; retry a failed copy once
  kInstallKeepCopies = 0x1000,  // with 0x02: leave an existing installed copy unchanged
};

// One entry of the preset list as the refresh keeps it aside.
constexpr int kPresetSnapshotTextChars = 513;
struct PresetSnapshotEntry {
  WCHAR installedDefault[MAX_PATH];
  WCHAR filePath[MAX_PATH];
  WCHAR name[kPresetSnapshotTextChars];
  WCHAR comment[kPresetSnapshotTextChars];
  WORD dropMark;
};

// The path with the extension "rsd" into out (size characters). 1/0 (out empty).
int PathDefaultPresetFile(WCHAR* out, const WCHAR* path, int size);

// The scenario installers (flags above; snapshot: the refresh's PresetSnapshotEntry records of
// the old list, oldCount of them). 1 when done, also for an empty or missing list; 0 when the
// settings file has no absolute path.
int CfgInstallScenarioPresets(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx, int oldCount,
                              void* snapshot);
int CfgInstallScenarioQualities(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx,
                                int oldCount, void* snapshot);
// The printer-configuration section, then both lists; 1 when both were installed.
int CfgInstallScenarioLists(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx);
// The file's default settings, custom sizes and watermarks into the context. 1.
int CfgLoadScenarioDefaults(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
int CfgLoadScenarioFreeSizes(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
int CfgLoadScenarioStamps(const WCHAR* file, const WCHAR* section, DriverContext* ctx);

// Checks of a listed preset file: [disable] <driver name> is 0 or missing; every group of its
// [condition] keys holds; the watermark check of installed presets and defaults. 1/0.
int CfgPresetNotDisabled(const WCHAR* file, DriverContext* ctx);
int CfgEvalFileCondition(const WCHAR* file, DriverContext* ctx);
int CfgCheckPresetWatermark(const WCHAR* file, DriverContext* ctx);
// One condition expression (ANSI): value names of the shared value-name table joined by "|" and
// "&", left to right, "!" directly before a name negating it; holds answers for a known name
// (an unknown name is false, also under "!"). 1/0.
int CfgEvalConditionExpression(const char* text, const std::function<bool(const std::string& name)>& holds);
// The same against the disabled conditions of the item's values.
struct ModelItem;
int CfgEvalConditionText(const char* text, const ModelItem* item, DriverContext* ctx);
// Re-writes an installed copy from its listed source (kind 4 preset, 0x10 quality); the
// settings stay as they were.
void CfgResaveInstalledCopy(const WCHAR* copy, const WCHAR* source, DWORD kind, DriverContext* ctx);
// 1 when an entry of the snapshot names a file whose first 8 characters are the copy's.
int CfgFindListedPreset(const PresetSnapshotEntry* snapshot, int count, const WCHAR* installedCopy);
// Appends a preset entry unless the list holds 16 (then 0); an empty name becomes "NoName".
int CfgAddScenarioPresetEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name, const WCHAR* comment);
// Appends a quality entry (no bound); 1 when its keys and the count were written.
int CfgAppendQualityEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name);

// The preset list checked again against the scenario named by the settings file ("DefaultRst"):
// entries that no longer apply are dropped (asking first when ask is set), the scenario's new
// presets are added. 1/0.
int CfgRefreshScenarioPresets(DriverContext* ctx, int ask);
// 1 when the preset file loads without an alert on the preset control.
int CfgIsPresetFileApplicable(const WCHAR* file, DriverContext* ctx);
// The one-time preset refresh the property sheets run (mode 0 ask, 1 silent, 2 with a message). 1.
int CfgRunPresetRefresh(DriverContext* ctx, BYTE mode);
