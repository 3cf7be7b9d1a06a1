// Host operations of the spooler for tests and tools: installing a printer driver, adding and
// deleting printers and client connections. They act as the spooler service itself (no user
// rights are checked) on the machine in use, and report failures in *error.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

// Where the spooler keeps things in HKEY_LOCAL_MACHINE (paths below the hive's root).
extern const char16_t kPrintersKey[];      // SYSTEM\CurrentControlSet\Control\Print\Printers
extern const char16_t kDriversKey[];       // ...\Print\Environments\Windows x64\Drivers\Version-3
extern const char16_t kCsrServersKey[];    // ...\Print\Providers\Client Side Rendering Print Provider\Servers
extern const char16_t kConnectionsKey[];   // HKCU: Printers\Connections
extern const char16_t kEnvironmentX64[];   // "Windows x64"

struct DriverInstall {
  std::u16string name;                       // the driver's name
  std::filesystem::path moduleDir;           // every file in it is copied (Windows file names)
  std::filesystem::path modelFile;           // the model description, copied under its own name
  std::u16string driverPath = u"zoltgr.dll"; // the graphics module
  std::u16string configFile = u"zoltui.dll"; // the printer-interface module
  std::u16string helpFile;                   // a file name in the driver directory, or empty
  // Dependent files besides every other copied file (names in the driver directory).
  std::vector<std::u16string> dependentFiles;
  std::u16string monitorName;
  std::u16string defaultDataType = u"RAW";
  std::u16string manufacturer;
};

// Copies the files into the driver directory (<system>\spool\drivers\x64\3; each file is
// written beside and renamed over an existing one) and registers the driver. Fails when the
// module folder has no driver path or configuration file, or the model file is missing.
bool InstallDriver(const DriverInstall& install, std::string* error = nullptr);

struct PrinterSetup {
  std::u16string name;
  std::u16string driver;
  std::u16string port = u"LPT1:";
  std::u16string shareName;   // shared when not empty
  std::u16string comment;
  std::u16string location;
  DWORD attributes = 0;       // PRINTER_ATTRIBUTE_ bits besides LOCAL/NETWORK/SHARED
  std::string devMode;        // the stored default device mode (bytes), or empty
};

// Adds a local printer of an installed driver. The first printer becomes the user's default.
bool AddPrinter(const PrinterSetup& printer, std::string* error = nullptr);

struct ConnectionSetup {
  std::u16string server;           // the print server's name, without "\\"
  std::u16string shortServerName;  // DsSpooler "shortServerName"; empty: the server's name
  bool clientSideRendering = false;  // listed and reported as "\\CSR|server\name"
};

// Adds the current user's connection to printer.name of another machine, with the printer's
// record as the client keeps it.
bool AddClientConnection(const ConnectionSetup& connection, const PrinterSetup& printer,
                         std::string* error = nullptr);

// Deletes a local printer ("name") or the user's connection ("\\server\name") with its data.
bool DeletePrinter(std::u16string_view name, std::string* error = nullptr);

// Names of the local printers and of the user's connections ("\\server\name" forms).
std::vector<std::u16string> ListPrinters();

// Where the printer's port puts a completed job: <root>/out/<printer>-<job id>.prn.
std::filesystem::path JobOutputPath(std::u16string_view printer, DWORD jobId);

}  // namespace zolt::host
