// The spooler's records in the registry, shared by the platform calls and the host operations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32/hostregistry.h"

namespace zolt::host {

using KeyPath = std::vector<std::u16string>;

KeyPath PrintersPath();                 // HKLM ...\Print\Printers
KeyPath DriversPath();                  // HKLM ...\Environments\Windows x64\Drivers\Version-3
KeyPath ConnectionsPath();              // HKCU Printers\Connections
KeyPath LocalPrinterPath(std::u16string_view name);
KeyPath ConnectionPrinterPath(std::u16string_view server, std::u16string_view name);
// The key name of a connection under HKCU\Printers\Connections: ",,server,name".
std::u16string ConnectionKeyName(std::u16string_view server, std::u16string_view name);

struct PrinterRecord {
  std::u16string name, share, port, driver, comment, location, sepFile;
  std::u16string printProcessor = u"winprint", datatype = u"RAW", parameters;
  DWORD attributes = 0, priority = 1, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0;
  std::string devMode;  // empty: none stored
};

struct DriverRecord {
  std::u16string name, driverPath, dataFile, configFile, helpFile, monitor, defaultDataType, manufacturer;
  std::vector<std::u16string> dependentFiles;
  DWORD version = 3;
};

// Text of a string value up to its first NUL (empty when missing or not a string).
std::u16string TextValue(const RegistryKey& key, std::u16string_view name);
DWORD NumberValue(const RegistryKey& key, std::u16string_view name, DWORD fallback = 0);
std::vector<std::u16string> MultiTextValue(const RegistryKey& key, std::u16string_view name);
void SetText(RegistryKey& key, std::u16string_view name, std::u16string_view text);
void SetNumber(RegistryKey& key, std::u16string_view name, DWORD value);

PrinterRecord ReadPrinter(const RegistryKey& key);
void WritePrinter(RegistryKey& key, const PrinterRecord& record);
DriverRecord ReadDriver(const RegistryKey& key);
void WriteDriver(RegistryKey& key, const DriverRecord& record);

// The DsSpooler values of a printer as the spooler publishes them.
void WriteDsSpooler(RegistryKey& printerKey, const PrinterRecord& record, std::u16string_view serverName,
                    std::u16string_view shortServerName);

// A printer name as OpenPrinterW takes it.
struct PrinterName {
  bool connection = false;   // a printer of another machine
  bool csr = false;          // given in the "\\CSR|server\name" form
  bool qualified = false;    // a local printer given as "\\<this computer>\name"
  std::u16string server;     // without "\\"
  std::u16string name;
};
std::optional<PrinterName> ParsePrinterName(std::u16string_view text);
// The user's connections listed in their hive (HKCU\Printers\Connections\,,server,name).
std::vector<PrinterName> UserConnections(const RegistryKey& userRoot);
// pServerName (empty for a local printer named plainly) and pPrinterName of a name.
void DisplayNames(const PrinterName& n, std::u16string& server, std::u16string& printer);

// A name a printer may carry: not empty, no "\" or ",", at most 220 characters.
bool ValidPrinterName(std::u16string_view name);

std::u16string ComputerName();

// Printer handles and the user's default printer (spooler.cpp).
bool IsPrinterHandle(HANDLE h);
// The printer's own name behind a handle; false for an unknown handle.
bool PrinterNameOfHandle(HANDLE h, std::u16string& name);
std::u16string DefaultPrinterName();
// Sets (or, with an empty name, clears) the default printer in the user's hive root.
void WriteDefaultPrinter(RegistryKey& userRoot, std::u16string_view name);
// The Windows path of the driver directory (<system>\spool\drivers\x64\3).
std::u16string DriverDirectory();

}  // namespace zolt::host
