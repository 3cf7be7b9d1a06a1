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
  std::u16string text = RegUnits(v->data);
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
  std::u16string all = RegUnits(v->data);
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

namespace {

// The values of a printer's key and of a driver's key, by record field.
template <class Record>
struct TextField {
  const char16_t* value;
  std::u16string Record::*member;
};
template <class Record>
struct NumberField {
  const char16_t* value;
  DWORD Record::*member;
  DWORD fallback;
};

const TextField<PrinterRecord> kPrinterTexts[] = {
    {u"Name", &PrinterRecord::name},
    {u"Share Name", &PrinterRecord::share},
    {u"Port", &PrinterRecord::port},
    {u"Printer Driver", &PrinterRecord::driver},
    {u"Description", &PrinterRecord::comment},
    {u"Location", &PrinterRecord::location},
    {u"Separator File", &PrinterRecord::sepFile},
    {u"Print Processor", &PrinterRecord::printProcessor},
    {u"Datatype", &PrinterRecord::datatype},
    {u"Parameters", &PrinterRecord::parameters},
};
const NumberField<PrinterRecord> kPrinterNumbers[] = {
    {u"Attributes", &PrinterRecord::attributes, 0},
    {u"Priority", &PrinterRecord::priority, 1},
    {u"Default Priority", &PrinterRecord::defaultPriority, 0},
    {u"StartTime", &PrinterRecord::startTime, 0},
    {u"UntilTime", &PrinterRecord::untilTime, 0},
    {u"Status", &PrinterRecord::status, 0},
};
const TextField<DriverRecord> kDriverTexts[] = {
    {u"Configuration File", &DriverRecord::configFile},
    {u"Data File", &DriverRecord::dataFile},
    {u"Driver", &DriverRecord::driverPath},
    {u"Help File", &DriverRecord::helpFile},
    {u"Monitor", &DriverRecord::monitor},
    {u"Datatype", &DriverRecord::defaultDataType},
    {u"Manufacturer", &DriverRecord::manufacturer},
};
const NumberField<DriverRecord> kDriverNumbers[] = {{u"Version", &DriverRecord::version, 3}};

template <class Record, size_t T, size_t N>
void ReadFields(const RegistryKey& key, Record& r, const TextField<Record> (&texts)[T],
                const NumberField<Record> (&numbers)[N]) {
  for (const auto& f : texts) r.*f.member = TextValue(key, f.value);
  for (const auto& f : numbers) r.*f.member = NumberValue(key, f.value, f.fallback);
}

template <class Record, size_t T, size_t N>
void WriteFields(RegistryKey& key, const Record& r, const TextField<Record> (&texts)[T],
                 const NumberField<Record> (&numbers)[N]) {
  for (const auto& f : texts) SetText(key, f.value, r.*f.member);
  for (const auto& f : numbers) SetNumber(key, f.value, r.*f.member);
}

}  // namespace

PrinterRecord ReadPrinter(const RegistryKey& key) {
  PrinterRecord r;
  ReadFields(key, r, kPrinterTexts, kPrinterNumbers);
  if (r.name.empty()) r.name = key.name;
  if (const RegistryValue* dm = key.Value(u"Default DevMode")) r.devMode = dm->data;
  return r;
}

void WritePrinter(RegistryKey& key, const PrinterRecord& r) {
  WriteFields(key, r, kPrinterTexts, kPrinterNumbers);
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
  ReadFields(key, d, kDriverTexts, kDriverNumbers);
  d.dependentFiles = MultiTextValue(key, u"Dependent Files");
  return d;
}

void WriteDriver(RegistryKey& key, const DriverRecord& d) {
  WriteFields(key, d, kDriverTexts, kDriverNumbers);
  key.SetValue(u"Dependent Files", REG_MULTI_SZ, RegMultiText(d.dependentFiles));
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
      out.server = ComputerName();
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
