// The printer's list of user quality entries.
//
// A quality entry is a named set of the image-quality settings (the quality-class option rows)
// kept in a settings file of its own. The list lives in the printer section of the settings
// file: "QualityCount" entries, each a key "QualityList<i>" holding the full path of the entry's
// file and a key "QualityList<i>Name" holding its name. The user print macros select one entry,
// whose name travels in option 950 wdmUserSetName.
//
// The printer section is the printer-section buffer of the work area as it stands: callers that
// have put another section there put the printer name back before they call in here.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kQualityCountKey[] = u"QualityCount";
inline constexpr WCHAR kQualityKeyPrefix[] = u"QualityList";
inline constexpr WCHAR kQualityNameSuffix[] = u"Name";
// Key of the entry's name in the language section of its installed default.
inline constexpr WCHAR kQualityDefaultNameKey[] = u"qualityname";

// Characters an entry key needs at most, terminator included ("QualityList" and a number).
constexpr int kQualityKeyChars = 32;
// The entry's name: at most 259 characters.
constexpr int kQualityNameChars = 260;

// Serializer flags: quality-class rows of the printer section, no message on a header mismatch;
// with 0x2000 the language section of an installed default, without a header check.
constexpr DWORD kTransferQuality = 0x10;
constexpr DWORD kTransferQualityDefault = 0x2010;

enum : uint16_t {
  kOptUserSetName = 950,  // wdmUserSetName (ANSI, 33 bytes)
};

// "QualityCount" of the printer section (0 when missing or not a count).
int CfgGetQualityCount(DriverContext* ctx);
// "QualityList<index>" into out (kQualityKeyChars characters); its length. A negative index gives
// an empty key and 0.
int CfgQualityKey(WCHAR* out, int index);

// Each of the following returns the settings-file operation's result (1/0) and 0 when the entry
// names no file; then nothing is loaded or saved.

// Loads the quality rows of the entry's file, then its name.
int CfgLoadQuality(DriverContext* ctx, int index);
int CfgLoadQualityByKey(DriverContext* ctx, const WCHAR* key);
// The entry's "<key>Name" into wdmUserSetName (empty when the key is missing). 1/0.
int CfgLoadQualityName(DriverContext* ctx, const WCHAR* key);
// Saves the quality rows into the entry's file, then "<key>Name" := wdmUserSetName. 1 when both
// were written.
int CfgSaveQuality(DriverContext* ctx, int index);
int CfgSaveQualityByKey(DriverContext* ctx, const WCHAR* key);
// Saves the quality rows into the entry's file; the name stays.
int CfgSaveQualityValues(DriverContext* ctx, int index);

// The entry's installed default: the entry's file name with the extension "rsq" in the folder of
// the installed presets. The path into out (MAX_PATH characters); 1/0 (out empty).
int CfgQualityDefaultPath(DriverContext* ctx, int index, WCHAR* out);
// Loads the installed default's values (language section), then the entry's own name.
int CfgLoadQualityDefault(void* ignored, DriverContext* ctx, int index);
// "qualityname" of the installed default's language section into wdmUserSetName; 0 and the name
// unchanged when the default gives none.
int CfgLoadQualityDefaultName(void* ignored, DriverContext* ctx, int index);

// Rewrites every entry's file in the current format: under an undo snapshot each entry loads its
// installed default, then its own file over it, and is saved again. The settings stay as they
// were. 1 (0 without a context).
int CfgRefreshAllQualities(DriverContext* ctx);
