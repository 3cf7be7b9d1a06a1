// The administrator's installation file "ZOLT.ini" of the system directory: per printer (section
// named by the server-qualified printer name) the one-time set-up that an administrator or an
// installation tool prepared: the scenario file to install ("DefaultRst"), the job-log user
// code, user and owner identities, authentication values, and the folders for shared settings
// and spooled files. The driver applies the keys and deletes them as it goes; "BatchInstallDone",
// "DrvInstSet" and "DefaultRstName" are the driver's own marks. The folder keys are honoured in
// the printer's section of the driver-defaults file too (processed first).
//
// A key read with the default "*" and found "*" counts as not given; present with an empty value
// it is given (and means "clear" where that applies).
#pragma once

#include "context_services.h"

inline constexpr WCHAR kAdminIniName[] = u"ZOLT.ini";

// Keys of a printer section.
inline constexpr WCHAR kAdminDefaultRstKey[] = u"DefaultRst";
inline constexpr WCHAR kAdminSetUserCodeKey[] = u"SetUserCode";
inline constexpr WCHAR kAdminSetUserIdKey[] = u"SetUserID";
inline constexpr WCHAR kAdminSetOwnerIdKey[] = u"SetOwnerID";
inline constexpr WCHAR kAdminAuthModeKey[] = u"SetAuthenticationMode";
inline constexpr WCHAR kAdminAuthSecureModeKey[] = u"SetAuthenticationSecureMode";
inline constexpr WCHAR kAdminAuthNetworkKeyKey[] = u"SetAuthenticationNetworkKey";
inline constexpr WCHAR kAdminAuthUserNameKey[] = u"SetAuthenticationUserName";
inline constexpr WCHAR kAdminSharedDirKey[] = u"ZOLTDirectory";
inline constexpr WCHAR kAdminClientDirKey[] = u"ZOLTDirectoryClient";
inline constexpr WCHAR kAdminSpoolDirKey[] = u"SpoolDirectory";
inline constexpr WCHAR kAdminSpoolDirAllKey[] = u"SpoolDirectoryAll";
inline constexpr WCHAR kAdminBatchInstallDoneKey[] = u"BatchInstallDone";
inline constexpr WCHAR kAdminDrvInstSetKey[] = u"DrvInstSet";
inline constexpr WCHAR kAdminDefaultRstNameKey[] = u"DefaultRstName";
inline constexpr WCHAR kAdminNotGiven[] = u"*";

// The printer-data value and registry value the spool folder goes to.
inline constexpr WCHAR kSpoolDirectoryValue[] = u"SpoolDirectory";

// Bits of the work area's installIdentityFlags.
enum : BYTE {
  kIdentityAuthMode = 0x01,
  kIdentitySecureMode = 0x02,
  kIdentityNetworkKey = 0x04,
  kIdentityNetworkKeyEmpty = 0x08,
  kIdentityUserName = 0x10,
  kIdentityUserNameEmpty = 0x20,
};

// Keep-time modes of the folder-key passes (IniWriteStringKeepTime).
enum : int {
  kKeepTimeAlways = 0,    // the installation file
  kKeepTimeIfKnown = 1,   // the driver-defaults file
};

// ---- paths and tests -----------------------------------------------------------------------------

// The path into buf (at least MAX_PATH characters; nothing when size is smaller). 1/0.
int PathGetAdminIniInto(WCHAR* buf, int size);
// 1 when the section has no set-up key; 0 when it has one or section is NULL.
int CfgSectionLacksSetupKeys(const WCHAR* file, const WCHAR* section);
int CfgBatchIniHasSettings(const WCHAR* printerName);
int CfgDriverIniHasSettings(const WCHAR* printerName, HANDLE printer);
int CfgBatchIniHasSection(HANDLE printer);
int CfgAdminIniHasSetup(DriverContext* ctx);

// "DefaultRst" (non-empty) into out (MAX_PATH characters); 1 when found.
int CfgReadBatchDefaultRst(WCHAR* out, DriverContext* ctx);
int CfgReadSettingsDefaultRst(WCHAR* out, DriverContext* ctx);
int CfgReadDriverDefaultRst(WCHAR* out, DriverContext* ctx);
// A path without a drive is taken from the driver directory. Returns path.
WCHAR* PathCompleteFromDriverDir(WCHAR* path, int size, DriverContext* ctx);
int PathIsUsableSettingsFile(const WCHAR* path);
int PathIsScenarioFile(const WCHAR* path);

// ---- passes --------------------------------------------------------------------------------------

int CfgApplyAdminIni(DriverContext* ctx);
int CfgApplyAdminUserCode(const WCHAR* file, const WCHAR* section, int32_t* touched, DriverContext* ctx);
int CfgApplyAdminIdentity(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
int CfgApplyAdminScenario(DWORD flags, DriverContext* ctx, int perUserRefresh);
int CfgApplyDriverScenario(DWORD flags, int type, DriverContext* ctx);

// Folder keys: "ZOLTDirectory" into the registry, "ZOLTDirectoryClient" into printer data (local
// printers only); each key deleted from file afterwards. Takes the global mutex.
int CfgApplyDirectoryKeys(HANDLE printer, const WCHAR* section, const WCHAR* file, const PRINTER_INFO_2W* pi2,
                          int keepTimeMode);
int CfgApplyDriverIniDirectoryKeys(HANDLE printer, const WCHAR* section, DriverContext* ctx);
int CfgApplyAdminIniDirectoryKeys(HANDLE printer, const WCHAR* section, const PRINTER_INFO_2W* pi2);
int CfgApplySpoolDirectoryKeys(const WCHAR* file, const WCHAR* section, DriverContext* ctx, int keepTimeMode);

// ---- marks ---------------------------------------------------------------------------------------

int CfgWriteBatchInstallDone(const WCHAR* file, const WCHAR* section, int value);
// (CfgWriteDrvInstSet and CfgIsDrvInstSet are declared with the context's services.)
int CfgMarkBatchInstallDone(const WCHAR* settingsFile, const WCHAR* section, int value, int withPrinterData,
                            DriverContext* ctx);
// Printer data "BatchInstallDone": REG_BINARY, 4 bytes.
int PrnWriteBatchInstallDone(HANDLE printer, DWORD value, DriverContext* ctx);
int PrnReadBatchInstallDone(HANDLE printer, DWORD* value, DriverContext* ctx);
