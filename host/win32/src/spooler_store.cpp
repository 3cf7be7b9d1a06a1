// The spooler's records in the registry.
#include "spooler_store.h"

#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/registry.h"

namespace zolt::host {

const char16_t kPrintersKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
const char16_t kDriversKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3";
const char16_t kCsrServersKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Providers\\Client Side Rendering Print Provider\\Servers";
const char16_t kConnectionsKey[] = u"Printers\\Connections";
const char16_t kEnvironmentX64[] = u"Windows x64";

namespace {

KeyPath Split(std::u16string_view path) {
  KeyPath out;
  SplitKeyPath(path, out);
  return out;
}

std::u16string UnitsOf(const std::string& data, size_t units) {
  std::u16string out(units, u'\0');
  for (size_t i = 0; i < units; ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                   (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  return out;
}

}  // namespace

KeyPath PrintersPath() { return Split(kPrintersKey); }
KeyPath DriversPath() { return Split(kDriversKey); }
KeyPath ConnectionsPath() { return Split(kConnectionsKey); }

KeyPath LocalPrinterPath(std::u16string_view name) {
  KeyPath p = PrintersPath();
  p.emplace_back(name);
  return p;
}

KeyPath ConnectionPrinterPath(std::u16string_view server, std::u16string_view name) {
  KeyPath p = Split(kCsrServersKey);
  p.emplace_back(server);
  p.emplace_back(u"Printers");
  p.emplace_back(name);
  return p;
}

std::u16string ConnectionKeyName(std::u16string_view server, std::u16string_view name) {
  return u",," + std::u16string(server) + u"," + std::u16string(name);
}

std::u16string TextValue(const RegistryKey& key, std::u16string_view name) {
  const RegistryValue* v = key.Value(name);
  if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ && v->type != REG_MULTI_SZ)) return {};
  std::u16string text = UnitsOf(v->data, v->data.size() / 2);
  size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

DWORD NumberValue(const RegistryKey& key, std::u16string_view name, DWORD fallback) {
  const RegistryValue* v = key.Value(name);
  if (!v || v->data.size() < 4) return fallback;
  DWORD n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(v->data[i]);
  return n;
}

std::vector<std::u16string> MultiTextValue(const RegistryKey& key, std::u16string_view name) {
  std::vector<std::u16string> out;
  const RegistryValue* v = key.Value(name);
  if (!v) return out;
  std::u16string all = UnitsOf(v->data, v->data.size() / 2);
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find(u'\0', start);
    if (end == std::u16string::npos) end = all.size();
    if (end == start) break;  // the empty string ends the list
    out.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

void SetText(RegistryKey& key, std::u16string_view name, std::u16string_view text) {
  key.SetValue(name, REG_SZ, RegText(text));
}

void SetNumber(RegistryKey& key, std::u16string_view name, DWORD value) {
  key.SetValue(name, REG_DWORD, RegNumber(value));
}

PrinterRecord ReadPrinter(const RegistryKey& key) {
  PrinterRecord r;
  r.name = TextValue(key, u"Name");
  if (r.name.empty()) r.name = key.name;
  r.share = TextValue(key, u"Share Name");
  r.port = TextValue(key, u"Port");
  r.driver = TextValue(key, u"Printer Driver");
  r.comment = TextValue(key, u"Description");
  r.location = TextValue(key, u"Location");
  r.sepFile = TextValue(key, u"Separator File");
  r.printProcessor = TextValue(key, u"Print Processor");
  r.datatype = TextValue(key, u"Datatype");
  r.parameters = TextValue(key, u"Parameters");
  r.attributes = NumberValue(key, u"Attributes");
  r.priority = NumberValue(key, u"Priority", 1);
  r.defaultPriority = NumberValue(key, u"Default Priority");
  r.startTime = NumberValue(key, u"StartTime");
  r.untilTime = NumberValue(key, u"UntilTime");
  r.status = NumberValue(key, u"Status");
  if (const RegistryValue* dm = key.Value(u"Default DevMode")) r.devMode = dm->data;
  return r;
}

void WritePrinter(RegistryKey& key, const PrinterRecord& r) {
  SetText(key, u"Name", r.name);
  SetText(key, u"Share Name", r.share);
  SetText(key, u"Port", r.port);
  SetText(key, u"Printer Driver", r.driver);
  SetText(key, u"Description", r.comment);
  SetText(key, u"Location", r.location);
  SetText(key, u"Separator File", r.sepFile);
  SetText(key, u"Print Processor", r.printProcessor);
  SetText(key, u"Datatype", r.datatype);
  SetText(key, u"Parameters", r.parameters);
  SetNumber(key, u"Attributes", r.attributes);
  SetNumber(key, u"Priority", r.priority);
  SetNumber(key, u"Default Priority", r.defaultPriority);
  SetNumber(key, u"StartTime", r.startTime);
  SetNumber(key, u"UntilTime", r.untilTime);
  SetNumber(key, u"Status", r.status);
  if (r.devMode.empty()) {
    key.RemoveValue(u"Default DevMode");
  } else {
    key.SetValue(u"Default DevMode", REG_BINARY, r.devMode);
  }
  key.MakeSubkey(u"PrinterDriverData");
}

DriverRecord ReadDriver(const RegistryKey& key) {
  DriverRecord d;
  d.name = key.name;
  d.driverPath = TextValue(key, u"Driver");
  d.dataFile = TextValue(key, u"Data File");
  d.configFile = TextValue(key, u"Configuration File");
  d.helpFile = TextValue(key, u"Help File");
  d.monitor = TextValue(key, u"Monitor");
  d.defaultDataType = TextValue(key, u"Datatype");
  d.manufacturer = TextValue(key, u"Manufacturer");
  d.dependentFiles = MultiTextValue(key, u"Dependent Files");
  d.version = NumberValue(key, u"Version", 3);
  return d;
}

void WriteDriver(RegistryKey& key, const DriverRecord& d) {
  SetText(key, u"Configuration File", d.configFile);
  SetText(key, u"Data File", d.dataFile);
  SetText(key, u"Driver", d.driverPath);
  SetText(key, u"Help File", d.helpFile);
  SetText(key, u"Monitor", d.monitor);
  SetText(key, u"Datatype", d.defaultDataType);
  SetText(key, u"Manufacturer", d.manufacturer);
  key.SetValue(u"Dependent Files", REG_MULTI_SZ, RegMultiText(d.dependentFiles));
  SetNumber(key, u"Version", d.version);
}

void WriteDsSpooler(RegistryKey& printerKey, const PrinterRecord& r, std::u16string_view serverName,
                    std::u16string_view shortServerName) {
  RegistryKey& ds = printerKey.MakeSubkey(u"DsSpooler");
  SetText(ds, u"printerName", r.name);
  SetText(ds, u"shortServerName", shortServerName);
  SetText(ds, u"serverName", serverName);
  std::u16string unc = u"\\\\" + std::u16string(serverName) + u"\\" + (r.share.empty() ? r.name : r.share);
  SetText(ds, u"uNCName", unc);
  SetText(ds, u"driverName", r.driver);
  ds.SetValue(u"portName", REG_MULTI_SZ, RegMultiText({r.port}));
  SetText(ds, u"printShareName", r.share);
  SetText(ds, u"description", r.comment);
  SetText(ds, u"location", r.location);
  SetNumber(ds, u"versionNumber", 4);
}

std::optional<PrinterName> ParsePrinterName(std::u16string_view text) {
  PrinterName out;
  if (text.size() >= 2 && text[0] == u'\\' && text[1] == u'\\') {
    std::u16string_view rest = text.substr(2);
    size_t slash = rest.find(u'\\');
    if (slash == std::u16string_view::npos || slash == 0) return std::nullopt;
    std::u16string_view server = rest.substr(0, slash);
    std::u16string_view name = rest.substr(slash + 1);
    if (server.size() > 4 && NamesEqual(server.substr(0, 4), u"CSR|")) {
      if (Machine::Facts().majorVersion < 6) return std::nullopt;  // a Vista form
      out.csr = true;
      server.remove_prefix(4);
    }
    if (!ValidPrinterName(name) || server.find(u'|') != std::u16string_view::npos) return std::nullopt;
    out.server = std::u16string(server);
    out.name = std::u16string(name);
    if (!out.csr && NamesEqual(server, ComputerName())) {
      out.qualified = true;
    } else {
      out.connection = true;
    }
    return out;
  }
  if (!ValidPrinterName(text)) return std::nullopt;
  out.name = std::u16string(text);
  return out;
}

std::vector<PrinterName> UserConnections(const RegistryKey& userRoot) {
  std::vector<PrinterName> out;
  const RegistryKey* list = userRoot.Find(ConnectionsPath());
  if (!list) return out;
  for (const auto& [folded, entry] : list->subkeys) {
    std::u16string_view keyName = entry->name;
    size_t comma = keyName.find(u',', 2);
    if (keyName.substr(0, 2) != u",," || comma == std::u16string_view::npos) continue;
    PrinterName n;
    n.connection = true;
    n.server = std::u16string(keyName.substr(2, comma - 2));
    n.name = std::u16string(keyName.substr(comma + 1));
    n.csr = NumberValue(*entry, u"ClientSideRendering") != 0 && Machine::Facts().majorVersion >= 6;
    out.push_back(std::move(n));
  }
  return out;
}

void DisplayNames(const PrinterName& n, std::u16string& server, std::u16string& printer) {
  if (!n.connection && !n.qualified) {
    server.clear();
    printer = n.name;
    return;
  }
  server = u"\\\\" + n.server;
  printer = (n.csr ? u"\\\\CSR|" : u"\\\\") + n.server + u"\\" + n.name;
}

bool ValidPrinterName(std::u16string_view name) {
  return !name.empty() && name.size() <= 220 && name.find_first_of(u"\\,") == std::u16string_view::npos;
}

std::u16string ComputerName() { return FromUtf8(Machine::Facts().computerName); }

std::u16string DriverDirectory() { return FromUtf8(Machine::Facts().DriverDirectory()); }

}  // namespace zolt::host
