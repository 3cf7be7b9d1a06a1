// Settings files: the serializer that moves option values between a context and one section of
// an INI settings file (user settings files, presets, qualities, installed defaults, scenario
// packages, stamp and custom-size sections, the list file), and the load and save of whole
// settings files around it.
//
// A section that holds option values starts with the header keys "RstVersion", "RstMachine",
// "RstLanguage" and "RstOSKind" (decimal), followed by one "fieldName=value" line per option.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "ini_file.h"

// ---- flags of a transfer ----------------------------------------------------------------------
enum : DWORD {
  kCfgLoad = 0x1,
  kCfgSave = 0x2,
  kCfgPresetRows = 0x4,         // preset-class rows (loads; saves with 0x20000 or 0x2000)
  kCfgListFile = 0x8,           // list-file rows; loads use the language section, no header
  kCfgQualityRows = 0x10,       // quality-class rows; no message on a header mismatch
  kCfgStampRows = 0x20,         // watermark-class rows; header "RstVersion" only
  kCfgFreeSizeRows = 0x80,      // options 938-942; header "RstVersion" only
  kCfgDeviceStateRows = 0x100,  // the whole table, printer-configuration rows only
  kCfgSrcFreeSizeRows = 0x200,  // options 943-947 under the keys of 938-942; no header
  kCfgRsdSection = 0x800,       // section "ZOLTRsdSection", preset-class rows
  kCfgUserRows = 0x1000,        // rows of block 3 only
  kCfgInstalledDefault = 0x2000,  // loads: language section, no header check
  kCfgNoMessage = 0x8000,       // no message box on a header mismatch
  kCfgLanguageName = 0x10000,   // saves: the language code is the section name
  kCfgPresetResave = 0x20000,   // re-save of a preset file
};

// Header keys and the sections of the list file "QV00C172.txt".
inline constexpr WCHAR kRstVersionKey[] = u"RstVersion";
inline constexpr WCHAR kRstMachineKey[] = u"RstMachine";
inline constexpr WCHAR kRstLanguageKey[] = u"RstLanguage";
inline constexpr WCHAR kRstOSKindKey[] = u"RstOSKind";
inline constexpr WCHAR kListFileName[] = u"QV00C172.txt";
inline constexpr WCHAR kPrnSectionName[] = u"ZOLTPrnSection";
inline constexpr WCHAR kRsdSectionName[] = u"ZOLTRsdSection";

// Messages shown (printer-interface module only) for a refused file and for locked values that
// differ; their one argument is the file path.
constexpr UINT kMsgSettingsFileRefused = 10023;
constexpr UINT kMsgSettingsFileLocked = 12041;

// ---- whole settings files (under the global mutex) --------------------------------------------

// Flags 0 and 0x8000 load a whole user settings file with the definitions it refers to. 1/0; the
// load status (CtxGetSettingsFileStatus) tells why nothing was loaded.
int CfgLoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);
int CfgSaveSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);

// ---- the serializer ---------------------------------------------------------------------------

// One section of one file; the flags must hold kCfgLoad or kCfgSave. 1/0.
int CfgTransferSettingsSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);

// The header keys of the context: into the file's section (text NULL), or appended to the
// section text at *cursor. onlyVersion writes "RstVersion" alone. 1/0.
int CfgWriteRstHeader(const WCHAR* path, IniSectionText* text, DriverContext* ctx, const WCHAR* section,
                      int32_t* cursor, int onlyVersion);
// Checks (loads) or writes (saves, flags with kCfgSave) the header of a section as the flags
// require. body is the loaded section (NULL: read through the profile functions); sameMajor
// accepts every version of the driver's hundred, else only the driver's own version.
// 1 when the header passes or was written, 0 when the file is refused.
int CfgCheckRstHeader(const WCHAR* path, const WCHAR* section, DWORD flags, int mayShowMessage, DriverContext* ctx,
                      const char* body, IniSectionText* text, int32_t* cursor, int sameMajor);
// "RstOSKind" of the printer section; 0xFFFF when missing or the file cannot be read.
int CfgReadRstOSKind(const WCHAR* path, DriverContext* ctx);
// 1 when every locked setting of the section equals the current value; else message 12041 and 0.
int CfgCheckLockedValues(DriverContext* ctx, const WCHAR* path, const WCHAR* section, DWORD flags);
// Turns CR, LF, CR LF and LF CR line ends into single NULs in place; the new length.
int CfgLinesToMultiString(WCHAR* text, int length);

// Options first..last by field name in the section: read, or written one key at a time with
// kCfgSave; kCfgListFile leaves out 10001-10003. keyBuffer (kCfgKeyChars characters, or NULL)
// receives each key. 1, 0 when a write failed.
constexpr int kCfgKeyChars = 64;
int CfgTransferOptionRange(const WCHAR* path, DWORD flags, DriverContext* ctx, const WCHAR* section,
                           WCHAR* keyBuffer, uint16_t firstId, uint16_t lastId);
// The authentication and lock options of the printer configuration (first..last = 10001-10442).
int CfgTransferConfigSubset(const WCHAR* path, DWORD flags, DriverContext* ctx, uint16_t firstId,
                            uint16_t lastId);
// Options 10001-10442 and 1540-1630 between the context and the file.
int CfgTransferPrnSection(const WCHAR* path, DWORD flags, DriverContext* ctx);
// Writes them; with kCfgListFile into "ZOLTPrnSection" of the list file (path ignored).
int CfgWritePrnSection(const WCHAR* path, DWORD flags, DriverContext* ctx);
// Saves "ZOLTRsdSection" of the list file (path ignored).
int CfgWriteRsdSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);
// The header and the printer configuration into the driver's default scenario file.
int CfgWriteConfigToDefaultScenario(DriverContext* ctx);

// ---- the row reader and writer ----------------------------------------------------------------
// The serializer reads and writes single rows through these (by default the INI row reader and
// writer of the option store). A test may put its own in; NULL restores the defaults. Returns
// the previous pair through the out arguments when given.
using CfgRowReader = int (*)(DriverContext* ctx, OptionEntry* row, const WCHAR* path, const char* body,
                             int32_t* cursor);
using CfgRowWriter = int (*)(HANDLE printer, DriverContext* ctx, OptionEntry* row, const WCHAR* path,
                             IniSectionText* text, int32_t* cursor);
void CfgSetRowIo(CfgRowReader reader, CfgRowWriter writer, CfgRowReader* oldReader = nullptr,
                 CfgRowWriter* oldWriter = nullptr);
