// The printer's preset list and the preset files its entries name.
//
// A preset is a named set of the preset-class settings kept in a settings file of its own. The
// list lives in the printer section of the settings file: "Count" entries, each a key
// "PresetList<i>" holding the full path of the entry's file, "PresetList<i>Name" its display
// name and "PresetList<i>Comment" its comment. Operations by index accept the entries 0-15;
// appending does not check a bound. New user presets are named "user0000.rst" .. "user9999.rst";
// installed presets end in "rsr", and the installed default of an entry is the entry file's
// base name with the extension "rsd" in the shared settings folder. A preset file the user may
// not overwrite holds "Readonly" = 1 in its printer section.
//
// The values last loaded for each entry key 0-15 are kept in a per-context cache: loading the
// same entry again restores them without reading the file. Every change of the list or of a
// preset file frees the cache.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kPresetCountKey[] = u"Count";
inline constexpr WCHAR kPresetKeyPrefix[] = u"PresetList";
inline constexpr WCHAR kPresetNameSuffix[] = u"Name";
inline constexpr WCHAR kPresetCommentSuffix[] = u"Comment";
inline constexpr WCHAR kPresetReadonlyKey[] = u"Readonly";
inline constexpr WCHAR kPresetDefaultExtension[] = u"rsd";

// Entries reached by index, and the slots of the value cache.
constexpr int kPresetEntries = 16;
// Characters of an entry key with its "Name" or "Comment" part, terminator included.
constexpr int kPresetKeyChars = 40;
// The path a new user preset is given into (characters, terminator included).
constexpr int kPresetNewPathChars = 1025;
// A display name or comment as read from the list (characters, terminator included).
constexpr int kPresetTextChars = 1024;
// User preset numbers: "user%04d.rst" with 0 .. kPresetUserLast.
constexpr int kPresetUserLast = 9999;

// Serializer flags: preset-class rows without a message; the same with a message.
constexpr DWORD kTransferPresetQuiet = 0x8004;
constexpr DWORD kTransferPreset = 0x4;

enum : uint16_t {
  kOptPresetName = 948,      // wdmPresetName (ANSI, 37 bytes)
  kOptPresetComment = 949,   // wdmPresetComment (ANSI, 513 bytes)
  kOptChapterMax = 1017,     // wdmChapterMax
  kOptChapterTrayMax = 1018, // wdmChapterTrayMax
};

// Parts of an entry key.
enum : int {
  kPresetKeyPath = 0,
  kPresetKeyName = 1,
  kPresetKeyComment = 2,
};

// Modes of the value cache.
enum : int {
  kPresetCacheForget = 0,   // drop every slot without freeing (a new context owns none)
  kPresetCacheRestore = 1,  // the key's slot into the settings image; 1 when restored
  kPresetCacheStore = 2,    // the current values into the key's slot; 1 when stored
  kPresetCacheFree = 3,     // free every slot
};

// Notify code by which the feature modules set up their stored data on demand.
constexpr DWORD kFmNotifyModuleSetup = 12;

// ---- the list ---------------------------------------------------------------------------------

// Appends an entry (file path, display name, comment) after the last one and frees the cache. 0.
int FmAddPresetListEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name, const WCHAR* comment);
// "Count" := 0 (the entry keys stay) and frees the cache. 0.
int FmClearPresetList(DriverContext* ctx);
// "Count" of the printer section (0 when missing or not a count).
int CfgGetPresetCount(DriverContext* ctx);
// "PresetList<index>" with "Name" (part 1) or "Comment" (part 2) into out (kPresetKeyChars
// characters); its length. A negative index or an unknown part gives an empty key and 0.
int CfgPresetKey(WCHAR* out, int index, int part);
// The entry index 0-15 an entry key names (path part only), or -1.
int CfgPresetKeyIndex(const WCHAR* key);

// 1 unless the file's printer section holds "Readonly" = 1 (a missing file is writable).
int CfgIsPresetWritable(DriverContext* ctx, const WCHAR* file);
// 0 for an index outside 0-15, else CfgIsPresetWritable on the entry's file.
int CfgIsPresetEntryWritable(DriverContext* ctx, int index);

// ---- preset files -----------------------------------------------------------------------------

// The path of a new user preset into out (kPresetNewPathChars characters): the first
// "user%04d.rst" in the per-user folder (terminal-server mode, not a machine context) or the
// settings folder whose file carries no non-zero "RstMachine"; number 9999 when all are taken.
// Its length, 0 (out empty) when the folder cannot be had.
int CfgNewUserPresetPath(DriverContext* ctx, WCHAR* out);
// Before a save: an entry without a file, or with an installed file (a path of 3 or more
// characters ending in 'r' or 'R'), is given a new user path. 1 when the entry names a user
// file afterwards.
int CfgEnsureUserPresetFile(DriverContext* ctx, int index);

// The per-context cache of loaded preset values (modes above). A key that is not an entry key
// of 0-15 gives 0; modes 0 and 3 ignore the key and give 1.
int CfgPresetValueCache(DriverContext* ctx, const WCHAR* key, int mode);

// Loads the entry named by the key with its name and comment. A refused file is dropped from the
// entry and the first entry is loaded instead. 1 when values were loaded or restored.
int CfgLoadPresetByKey(DriverContext* ctx, const WCHAR* key);
// Index 0-15: CfgLoadPresetByKey; any other index empties wdmPresetName and wdmPresetComment
// and gives 0.
int CfgLoadPreset(DriverContext* ctx, int index);
// Loads the entry's installed default (language section), then the entry's name and comment.
// 1 when values were loaded or restored.
int CfgLoadPresetDefault(DriverContext* ctx, int index);
// The installed default of the entry into out (MAX_PATH characters); 1/0 (out empty).
int CfgPresetDefaultPath(DriverContext* ctx, int index, WCHAR* out);

// Saves the current settings into the entry's file, then the entry's name and comment from the
// options; frees the cache. 1 when the file was written.
int CfgSavePresetByKey(DriverContext* ctx, const WCHAR* key);
// CfgSavePresetByKey with the entry key of the index. 0.
int CfgSavePreset(DriverContext* ctx, int index);
// Saves the current settings into the entry's file without name and comment; frees the cache.
// 1 when the file was written.
int CfgSavePresetValues(DriverContext* ctx, int index);

// Rewrites every entry's file in the current format under an undo snapshot; read-only files stay
// read-only and the settings stay as they were. 1 (0 without a context).
int CfgRefreshAllPresets(DriverContext* ctx);
// After an upgrade or a client synchronisation: the printer configuration (not for a client
// connection), the driver-default keys, then every preset, quality, stamp and custom size. 1.
int CfgRefreshAllLists(HANDLE printer, DriverContext* ctx);

// ---- other settings of the printer section ----------------------------------------------------

// The printer section: the server-qualified printer name in the work area's buffer.
WCHAR* CfgPrinterSection(DriverContext* ctx);

// wdmChapterMax and wdmChapterTrayMax := the integers under their field names in the printer
// section (0 when missing). 1 when both options exist.
int CfgLoadChapterLimits(DriverContext* ctx);
// Set-up of the feature modules on demand (notify code 12 with an answer preset to 1); the
// modules' answer.
int CfgEnsureModuleSetup(DriverContext* ctx);
