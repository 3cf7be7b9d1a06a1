// Installation defaults: the display language, default paper, display unit and job-log user code
// a printer starts with. An installation tool may leave them in the installation-defaults file
// "QV00C170.ini" of the shared settings folder ([<printer>] "ZoltInstDone" = "0" marks them
// pending); they are taken over once, and afterwards the driver records its own choices there.
// Without such entries the choices follow the user's locale and the driver's help-file language.
#pragma once

#include "driver_context.h"

// Keys of the printer's section.
inline constexpr WCHAR kInstDoneKey[] = u"ZoltInstDone";
inline constexpr WCHAR kInstDispLangKey[] = u"DispLang";
inline constexpr WCHAR kInstDefPaperKey[] = u"DefPaper";
inline constexpr WCHAR kInstDefUnitKey[] = u"DefUnit";
inline constexpr WCHAR kInstUserCodeKey[] = u"UserCode";
inline constexpr WCHAR kInstUserCodeFixKey[] = u"UserCodeFIX";
inline constexpr WCHAR kInstUserCodeStringKey[] = u"UserCodeString";

// Locale regions: the country codes beginning with 1, 2 or 5 print on Letter in inches.
enum : WORD {
  kLocaleRegionOther = 0,
  kLocaleRegion1 = 1,
  kLocaleRegion2 = 2,
  kLocaleRegion5 = 5,
};

// Types of CfgWriteInstallUserCode.
enum : short {
  kInstUserCodeFromSettings = 0,  // the context's user code, when one is in force
  kInstUserCodeCleared = 2,       // the installation file cleared the code
};

// Paper codes and display units the defaults use.
constexpr WORD kInstPaperLetter = 1;
constexpr WORD kInstPaperA4 = 9;
constexpr WORD kInstUnitMm = 0;
constexpr WORD kInstUnitInch = 1;

// Path of the installation-defaults file into out (MAX_PATH characters); 0 (out empty) when the
// shared folder cannot be had.
int PathGetInstallDefaultsIni(WCHAR* out, DriverContext* ctx);

void CfgApplyInstallDefaults(DriverContext* ctx);
// 1 when pending entries were loaded into the work area's InstallDefaults ("ZoltInstDone" is
// then "1"), else 0.
int CfgLoadPendingInstallDefaults(DriverContext* ctx);
// InstallDefaults from the user's locale and the help-file language. 1.
int CfgDeriveInstallDefaults(DriverContext* ctx);
// The region of the user's default locale: 1, 2, 5 or 0.
WORD CfgLocaleRegion(DriverContext* ctx);
// Region, unit and paper of the locale into the installation defaults, then zdmLocaleID.
int CfgApplyLocaleRegion(DriverContext* ctx);
// The settings in force recorded as pending entries, then taken over again (after a rename). 1.
int CfgRerecordInstallDefaults(DriverContext* ctx);
// The user-code entries of the printer's section; 1, 0 (type 0) when no code is in force.
int CfgWriteInstallUserCode(DriverContext* ctx, short type);
