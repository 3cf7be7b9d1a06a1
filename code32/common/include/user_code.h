// The user code (an accounting code the device checks before it prints): given by the print
// server's administrator in the printer's data ("ServerUse", "UserCodeUse", "UserCode"), or per
// printer in the installation-defaults file "QV00C170.ini" of the shared settings folder
// ([<printer>] "UserCode", "UserCodeString", "UserCodeFIX"; ["ORVEX UserCode"] "MRUUserCode",
// the machine's most recently used code).
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kUserCodeIniName[] = u"QV00C170.ini";
inline constexpr WCHAR kUserCodeMachineSection[] = u"ORVEX UserCode";

// Bytes of the printer-data user code: 8 characters and the terminator.
constexpr DWORD kUserCodeBytes = 9;

// The user code for the job-control module: from the printer's data when "ServerUse" is set
// (zdmLogCodeUse and zdmLogCode), else from the installation-defaults file. 1 when a source was
// read, 0 for a printer reached through a print server.
int UcodeLoadForJobControl(DriverContext* ctx);
// zdmLogCodeUse, zdmLogCode, zdmDllLogCode and zdmUserCodeFIX from the installation-defaults
// file; a printer the file does not know yet is written into it with no code in use (the file
// is created when missing). 1, 0 when the file's path cannot be had.
int UcodeLoadFromInstallDefaults(DriverContext* ctx);

// The user-code file and provider steps of this model family do nothing (their build switch is
// off); they exist so that their callers need no switch of their own.
int UcodeSyncIniAtInit(DriverContext* ctx);  // 1
int UcodeLoadFromIni(DriverContext* ctx);    // 1
void UcodeQueryProvider(DriverContext* ctx);
void UcodeSaveToIni(DriverContext* ctx);
