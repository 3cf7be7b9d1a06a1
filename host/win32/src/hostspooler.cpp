// Host operations of the spooler: installing drivers, adding and deleting printers.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "spooler_driver.h"
#include "spooler_store.h"
#include "win32/driverui.h"
#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/icm.h"
#include "win32/machine.h"
#include "win32/spooler.h"

namespace fs = std::filesystem;

namespace zolt::host {

namespace {

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

// Copies a file into a folder under the given name, replacing an existing file of that name
// in any case (the new file is written beside it and renamed over it, so that a process that
// has the old one loaded keeps it).
bool CopyInto(const fs::path& source, const std::u16string& folderWin, const std::u16string& name, std::string* error) {
  DWORD code = 0;
  auto target = MapPath(folderWin + u"\\" + name, Resolve::LastMayMiss, &code);
  if (!target) return Fail(error, "cannot place " + ToUtf8(name) + " in " + ToUtf8(folderWin));
  fs::path tmp = *target;
  tmp += ".tmp" + std::to_string(::getpid());
  std::error_code ec;
  fs::copy_file(source, tmp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(tmp, *target, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return Fail(error, "cannot copy " + source.string() + ": " + ec.message());
  }
  return true;
}

bool ContainsName(const std::vector<std::u16string>& names, std::u16string_view name) {
  return std::any_of(names.begin(), names.end(), [&](const std::u16string& n) { return NamesEqual(n, name); });
}

bool DriverExists(std::u16string_view driver) {
  bool found = false;
  ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    KeyPath path = DriversPath();
    path.emplace_back(driver);
    found = !driver.empty() && root.Find(path) != nullptr;
    return LONG(ERROR_SUCCESS);
  });
  return found;
}

PrinterRecord RecordOf(const PrinterSetup& p, DWORD placeBits) {
  PrinterRecord r;
  r.name = p.name;
  r.share = p.shareName;
  r.port = p.port;
  r.driver = p.driver;
  r.comment = p.comment;
  r.location = p.location;
  r.attributes = p.attributes | placeBits | (p.shareName.empty() ? 0 : PRINTER_ATTRIBUTE_SHARED);
  r.devMode = p.devMode;
  return r;
}

void MakeDefaultIfNone(const std::u16string& name) {
  if (!DefaultPrinterName().empty()) return;
  WriteHive(Hive::CurrentUser, [&](RegistryKey& root, bool& changed) {
    WriteDefaultPrinter(root, name);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

// Stores the driver's default device mode as the printer's default (local printers).
void StoreDefaultDevMode(const std::u16string& name, const std::string& devMode) {
  WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    RegistryKey* key = root.Find(LocalPrinterPath(name));
    if (!key) return LONG(ERROR_INVALID_PRINTER_NAME);
    PrinterRecord r = ReadPrinter(*key);
    r.devMode = devMode;
    WritePrinter(*key, r);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

// The local printers of a driver.
std::vector<std::u16string> PrintersOfDriver(std::u16string_view driver) {
  std::vector<std::u16string> names;
  ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    if (const RegistryKey* printers = root.Find(PrintersPath()))
      for (const auto& [folded, key] : printers->subkeys)
        if (NamesEqual(ReadPrinter(*key).driver, driver)) names.push_back(key->name);
    return LONG(ERROR_SUCCESS);
  });
  return names;
}

bool ValidServerName(std::u16string_view server) {
  return !server.empty() && server.find_first_of(u"\\|,/") == std::u16string_view::npos &&
         !NamesEqual(server, ComputerName());
}

// The colour profiles among a driver's files go into the machine's colour folder too, where
// colour management finds them by name.
bool InstallColourProfiles(const std::vector<std::pair<fs::path, std::u16string>>& files, std::string* error) {
  WCHAR folder[MAX_PATH];
  DWORD size = sizeof folder;
  if (!GetColorDirectoryW(nullptr, folder, &size)) return Fail(error, "the machine has no colour folder");
  const std::u16string colour(folder);
  for (const auto& [source, name] : files) {
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) continue;
    const std::u16string ext = name.substr(dot);
    if (!NamesEqual(ext, u".icm") && !NamesEqual(ext, u".icc")) continue;
    DWORD code = 0;
    auto real = MapPath(colour, Resolve::LastMayMiss, &code);
    std::error_code ec;
    if (!real || (fs::create_directories(*real, ec), ec)) return Fail(error, "cannot make the colour folder");
    if (!CopyInto(source, colour, name, error)) return false;
  }
  return true;
}

}  // namespace

bool InstallDriver(const DriverInstall& install, std::string* error) {
  if (install.name.empty() || install.name.find(u'\\') != std::u16string::npos)
    return Fail(error, "a driver needs a name without \"\\\"");
  std::error_code ec;
  if (!fs::is_directory(install.moduleDir, ec)) return Fail(error, "no module folder " + install.moduleDir.string());
  if (!fs::is_regular_file(install.modelFile, ec)) return Fail(error, "no model file " + install.modelFile.string());
  std::vector<std::pair<fs::path, std::u16string>> files;
  for (const auto& entry : fs::directory_iterator(install.moduleDir, ec))
    if (entry.is_regular_file()) files.emplace_back(entry.path(), FromUtf8(entry.path().filename().string()));
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  std::vector<std::u16string> names;
  for (const auto& f : files) names.push_back(f.second);
  if (!ContainsName(names, install.driverPath))
    return Fail(error, ToUtf8(install.driverPath) + " is not in " + install.moduleDir.string());
  if (!ContainsName(names, install.configFile))
    return Fail(error, ToUtf8(install.configFile) + " is not in " + install.moduleDir.string());

  const bool upgrade = DriverExists(install.name);
  std::u16string dir = DriverDirectory();
  DWORD code = 0;
  auto realDir = MapPath(dir, Resolve::LastMayMiss, &code);
  if (!realDir) return Fail(error, "the machine has no driver directory");
  fs::create_directories(*realDir, ec);
  for (const auto& [source, name] : files)
    if (!CopyInto(source, dir, name, error)) return false;
  if (!InstallColourProfiles(files, error)) return false;
  std::u16string dataFile = FromUtf8(install.modelFile.filename().string());
  if (!CopyInto(install.modelFile, dir, dataFile, error)) return false;

  DriverRecord d;
  d.name = install.name;
  d.driverPath = install.driverPath;
  d.configFile = install.configFile;
  d.dataFile = dataFile;
  d.helpFile = install.helpFile;
  d.monitor = install.monitorName;
  d.defaultDataType = install.defaultDataType;
  d.manufacturer = install.manufacturer;
  for (const auto& name : names) {
    if (NamesEqual(name, d.driverPath) || NamesEqual(name, d.configFile) || NamesEqual(name, d.dataFile) ||
        NamesEqual(name, d.helpFile))
      continue;
    d.dependentFiles.push_back(name);
  }
  for (const auto& extra : install.dependentFiles)
    if (!ContainsName(d.dependentFiles, extra)) d.dependentFiles.push_back(extra);
  LONG rc = WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    KeyPath path = DriversPath();
    path.push_back(d.name);
    WriteDriver(root.Make(path), d);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(error, "cannot register the driver (error " + std::to_string(rc) + ")");
  // The printers of a replaced driver hear of the upgrade from their interface module.
  if (upgrade)
    for (const auto& printer : PrintersOfDriver(install.name)) UpgradePrinter(printer, dir);
  return true;
}

bool AddPrinter(const PrinterSetup& printer, std::string* error) {
  if (!ValidPrinterName(printer.name)) return Fail(error, "not a printer name: \"" + ToUtf8(printer.name) + "\"");
  if (!DriverExists(printer.driver)) return Fail(error, "no driver \"" + ToUtf8(printer.driver) + "\" is installed");
  PrinterRecord r = RecordOf(printer, PRINTER_ATTRIBUTE_LOCAL);
  std::u16string computer = ComputerName();
  LONG rc = WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    bool created = false;
    RegistryKey& key = root.Make(LocalPrinterPath(r.name), &created);
    if (!created) return LONG(ERROR_PRINTER_ALREADY_EXISTS);
    WritePrinter(key, r);
    WriteDsSpooler(key, r, computer, computer);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
  if (rc == ERROR_PRINTER_ALREADY_EXISTS) return Fail(error, "a printer \"" + ToUtf8(printer.name) + "\" exists");
  if (rc != ERROR_SUCCESS) return Fail(error, "cannot add the printer (error " + std::to_string(rc) + ")");
  MakeDefaultIfNone(r.name);
  if (!printer.driverEvents) return true;
  // The driver prepares the new printer's settings and gives its default device mode.
  RaisePrinterEvent(r.name, PRINTER_EVENT_INITIALIZE);
  if (r.devMode.empty()) {
    std::string devMode = DriverDefaultDevMode(r.name);
    if (!devMode.empty()) StoreDefaultDevMode(r.name, devMode);
  }
  return true;
}

bool AddClientConnection(const ConnectionSetup& connection, const PrinterSetup& printer, std::string* error) {
  if (!ValidServerName(connection.server))
    return Fail(error, "not the name of another machine: \"" + ToUtf8(connection.server) + "\"");
  if (!ValidPrinterName(printer.name)) return Fail(error, "not a printer name: \"" + ToUtf8(printer.name) + "\"");
  if (!DriverExists(printer.driver)) return Fail(error, "no driver \"" + ToUtf8(printer.driver) + "\" is installed");
  PrinterRecord r = RecordOf(printer, PRINTER_ATTRIBUTE_NETWORK);
  std::u16string shortServer = connection.shortServerName.empty() ? connection.server : connection.shortServerName;
  LONG rc = WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    RegistryKey& key = root.Make(ConnectionPrinterPath(connection.server, r.name));
    WritePrinter(key, r);
    WriteDsSpooler(key, r, connection.server, shortServer);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
  if (rc == ERROR_SUCCESS) {
    rc = WriteHive(Hive::CurrentUser, [&](RegistryKey& root, bool& changed) {
      KeyPath path = ConnectionsPath();
      path.push_back(ConnectionKeyName(connection.server, r.name));
      bool created = false;
      RegistryKey& entry = root.Make(path, &created);
      if (!created) return LONG(ERROR_PRINTER_ALREADY_EXISTS);
      SetText(entry, u"Server", u"\\\\" + connection.server);
      SetText(entry, u"Provider", u"win32spl.dll");
      SetNumber(entry, u"ClientSideRendering", connection.clientSideRendering ? 1 : 0);
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
  }
  if (rc == ERROR_PRINTER_ALREADY_EXISTS) return Fail(error, "that connection exists");
  if (rc != ERROR_SUCCESS) return Fail(error, "cannot add the connection (error " + std::to_string(rc) + ")");
  bool csr = connection.clientSideRendering && Machine::Facts().majorVersion >= 6;
  const std::u16string shown = (csr ? u"\\\\CSR|" : u"\\\\") + connection.server + u"\\" + r.name;
  MakeDefaultIfNone(shown);
  if (printer.driverEvents) RaisePrinterEvent(shown, PRINTER_EVENT_ADD_CONNECTION);
  return true;
}

bool DeletePrinter(std::u16string_view name, std::string* error) {
  auto parsed = ParsePrinterName(name);
  if (!parsed) return Fail(error, "not a printer name: \"" + ToUtf8(name) + "\"");
  // The driver cleans up while the printer still exists.
  RaisePrinterEvent(std::u16string(name), parsed->connection ? PRINTER_EVENT_DELETE_CONNECTION : PRINTER_EVENT_DELETE);
  LONG rc = ERROR_SUCCESS;
  if (parsed->connection) {
    rc = WriteHive(Hive::CurrentUser, [&](RegistryKey& root, bool& changed) {
      RegistryKey* list = root.Find(ConnectionsPath());
      if (!list || !list->RemoveSubkey(ConnectionKeyName(parsed->server, parsed->name)))
        return LONG(ERROR_INVALID_PRINTER_NAME);
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
  }
  if (rc == ERROR_SUCCESS) {
    rc = WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
      KeyPath path = parsed->connection ? ConnectionPrinterPath(parsed->server, parsed->name)
                                        : LocalPrinterPath(parsed->name);
      KeyPath parentPath(path.begin(), path.end() - 1);
      RegistryKey* parent = root.Find(parentPath);
      if (!parent || !parent->RemoveSubkey(path.back()))
        return LONG(parsed->connection ? ERROR_SUCCESS : ERROR_INVALID_PRINTER_NAME);
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
  }
  if (rc != ERROR_SUCCESS) return Fail(error, "no printer \"" + ToUtf8(name) + "\"");
  std::u16string current = DefaultPrinterName();
  bool wasDefault = parsed->connection
                        ? (NamesEqual(current, u"\\\\" + parsed->server + u"\\" + parsed->name) ||
                           NamesEqual(current, u"\\\\CSR|" + parsed->server + u"\\" + parsed->name))
                        : NamesEqual(current, parsed->name);
  if (wasDefault) {
    WriteHive(Hive::CurrentUser, [&](RegistryKey& root, bool& changed) {
      WriteDefaultPrinter(root, u"");
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
  }
  return true;
}

std::vector<std::u16string> ListPrinters() {
  std::vector<std::u16string> out;
  ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    if (const RegistryKey* printers = root.Find(PrintersPath()))
      for (const auto& [folded, key] : printers->subkeys) out.push_back(key->name);
    return LONG(ERROR_SUCCESS);
  });
  ReadHive(Hive::CurrentUser, [&](const RegistryKey& root) {
    for (const auto& n : UserConnections(root)) {
      std::u16string server, printer;
      DisplayNames(n, server, printer);
      out.push_back(printer);
    }
    return LONG(ERROR_SUCCESS);
  });
  return out;
}

}  // namespace zolt::host
