// Deployment of driver files: the installation files listed in the driver defaults and the
// companion libraries other programs load from the system directory.
#pragma once

#include "driver_context.h"

// The driver's fixed file table: rows {kind, file name}, ended by a row with a NULL name. Kind 2
// rows are the companion files the spooler's cache refresh copies into the system directory.
struct DriverFileRow {
  DWORD kind;
  const WCHAR* name;
};
const DriverFileRow* OptGetDriverFileTable();

// Deploys the files listed as "Installfiles%u" in section of the driver defaults file, from the
// driver directory to their expanded paths. 1, also when the list is missing or empty.
int CfgDeployInstallFiles(const WCHAR* driverIni, const WCHAR* section, DriverContext* ctx);
// Copies the companion files from the printer's driver directory into the system directory, under
// the spooler's own rights. Non-zero when the system directory was reached.
int CfgCopyDriverFilesToSystem(HANDLE printer);
