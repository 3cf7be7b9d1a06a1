// The spooler calls: printer handles, printer records, drivers, printer data and the default
// printer, on the records of spooler_store.cpp.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "record_packer.h"
#include "spooler_store.h"
#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/spooler.h"

namespace zolt::host {

namespace {

struct PrinterHandle {
  PrinterName name;        // as opened
  KeyPath path;            // the printer's record in HKLM
  ACCESS_MASK access = 0;  // granted rights
};

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<PrinterHandle>> handles;
  uintptr_t next = 0x7A000000;
};

HandleTable& Handles() {
  static HandleTable* t = new HandleTable;  // lives until the process ends
  return *t;
}

std::shared_ptr<PrinterHandle> HandleOf(HANDLE h) {
  HandleTable& t = Handles();
  std::lock_guard guard(t.lock);
  auto it = t.handles.find(reinterpret_cast<uintptr_t>(h));
  return it == t.handles.end() ? nullptr : it->second;
}

bool IsAdministrator() { return Machine::Facts().userIsAdmin; }

constexpr ACCESS_MASK kAdminRights = PRINTER_ACCESS_ADMINISTER | DELETE | WRITE_DAC | WRITE_OWNER;

// Maps generic rights and checks the rest against the user: administering a printer is for
// administrators of the machine.
bool GrantPrinterRights(ACCESS_MASK desired, ACCESS_MASK& granted) {
  if (desired == 0) desired = PRINTER_ACCESS_USE;
  ACCESS_MASK wanted = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (desired & GENERIC_READ) wanted |= PRINTER_READ;
  if (desired & GENERIC_WRITE) wanted |= PRINTER_WRITE;
  if (desired & GENERIC_EXECUTE) wanted |= PRINTER_EXECUTE;
  if (desired & GENERIC_ALL) wanted |= PRINTER_ALL_ACCESS;
  if (desired & MAXIMUM_ALLOWED) wanted |= IsAdministrator() ? PRINTER_ALL_ACCESS : PRINTER_READ;
  if ((wanted & kAdminRights) && !IsAdministrator()) return false;
  granted = wanted | PRINTER_ACCESS_USE;
  return true;
}

// Runs fn on the printer's key for reading; a printer deleted since it was opened gives
// ERROR_INVALID_PRINTER_NAME.
LONG ReadPrinterKey(const PrinterHandle& h, const std::function<LONG(const RegistryKey&)>& fn) {
  return ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    const RegistryKey* key = root.Find(h.path);
    return key ? fn(*key) : LONG(ERROR_INVALID_PRINTER_NAME);
  });
}

LONG WritePrinterKey(const PrinterHandle& h, const std::function<LONG(RegistryKey&, bool&)>& fn) {
  return WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    RegistryKey* key = root.Find(h.path);
    return key ? fn(*key, changed) : LONG(ERROR_INVALID_PRINTER_NAME);
  });
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

void FillPrinter(RecordPacker& p, DWORD level, size_t index, const PrinterRecord& r, const std::u16string& server,
                 const std::u16string& printer) {
  if (level == 1) {
    auto* info = p.Record<PRINTER_INFO_1W>(index);
    info->Flags = PRINTER_ENUM_ICON8;
    info->pDescription = p.Text(printer + u"," + r.driver + u"," + r.location);
    info->pName = p.Text(printer);
    info->pComment = p.Text(r.comment);
  } else if (level == 2) {
    auto* info = p.Record<PRINTER_INFO_2W>(index);
    info->pServerName = server.empty() ? nullptr : p.Text(server);
    info->pPrinterName = p.Text(printer);
    info->pShareName = p.Text(r.share);
    info->pPortName = p.Text(r.port);
    info->pDriverName = p.Text(r.driver);
    info->pComment = p.Text(r.comment);
    info->pLocation = p.Text(r.location);
    info->pDevMode = r.devMode.empty() ? nullptr : reinterpret_cast<LPDEVMODEW>(p.Bytes(r.devMode));
    info->pSepFile = p.Text(r.sepFile);
    info->pPrintProcessor = p.Text(r.printProcessor);
    info->pDatatype = p.Text(r.datatype);
    info->pParameters = p.Text(r.parameters);
    info->pSecurityDescriptor = nullptr;
    info->Attributes = r.attributes;
    info->Priority = r.priority;
    info->DefaultPriority = r.defaultPriority;
    info->StartTime = r.startTime;
    info->UntilTime = r.untilTime;
    info->Status = r.status;
  } else {
    auto* info = p.Record<PRINTER_INFO_4W>(index);
    info->pPrinterName = p.Text(printer);
    info->pServerName = server.empty() ? nullptr : p.Text(server);
    info->Attributes = r.attributes;
  }
}

size_t PrinterRecordSize(DWORD level) {
  switch (level) {
    case 1: return sizeof(PRINTER_INFO_1W);
    case 2: return sizeof(PRINTER_INFO_2W);
    case 4: return sizeof(PRINTER_INFO_4W);
    default: return 0;
  }
}

// The byte size of a caller's device mode (dmSize + dmDriverExtra), or 0 when it is unusable.
size_t DevModeSize(const BYTE* dm) {
  if (!dm) return 0;
  WORD size, extra;
  std::memcpy(&size, dm + 68, 2);
  std::memcpy(&extra, dm + 70, 2);
  if (size < 72) return 0;
  return size_t(size) + extra;
}

// The key path below a printer that a printer-data call names; empty names are refused.
LONG SubkeyPath(LPCWSTR keyName, KeyPath& out) {
  std::u16string_view name = WideView(keyName);
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  return SplitKeyPath(name, out);
}

DWORD GetData(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
              LPDWORD pcbNeeded) {
  auto h = HandleOf(hPrinter);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!pcbNeeded || (!pData && nSize)) return ERROR_INVALID_PARAMETER;
  KeyPath sub;
  LONG rc = SubkeyPath(pKeyName, sub);
  if (rc != ERROR_SUCCESS) return rc;
  std::u16string_view name = WideView(pValueName);
  return ReadPrinterKey(*h, [&](const RegistryKey& printer) {
    const RegistryKey* key = printer.Find(sub);
    const RegistryValue* v = key ? key->Value(name) : nullptr;
    if (!v) return LONG(ERROR_FILE_NOT_FOUND);
    if (pType) *pType = v->type;
    *pcbNeeded = static_cast<DWORD>(v->data.size());
    if (nSize < v->data.size()) return LONG(ERROR_MORE_DATA);
    if (!v->data.empty()) std::memcpy(pData, v->data.data(), v->data.size());
    return LONG(ERROR_SUCCESS);
  });
}

// Runs a change on a key below the printer (named by pKeyName) through a handle that may
// administer the printer.
DWORD ChangeKey(HANDLE hPrinter, LPCWSTR pKeyName,
                const std::function<LONG(RegistryKey& printer, const KeyPath& sub, bool& changed)>& fn) {
  auto h = HandleOf(hPrinter);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!(h->access & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
  KeyPath sub;
  LONG rc = SubkeyPath(pKeyName, sub);
  if (rc != ERROR_SUCCESS) return rc;
  return WritePrinterKey(*h, [&](RegistryKey& printer, bool& changed) { return fn(printer, sub, changed); });
}

DWORD SetData(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD type, const BYTE* pData, DWORD cbData) {
  if (!pData && cbData) return ERROR_INVALID_PARAMETER;
  std::u16string_view name = WideView(pValueName);
  if (name.size() > REG_MAX_VALUE_NAME) return ERROR_INVALID_PARAMETER;
  std::string data(reinterpret_cast<const char*>(pData), pData ? cbData : 0);
  return ChangeKey(hPrinter, pKeyName, [&](RegistryKey& printer, const KeyPath& sub, bool& changed) {
    printer.Make(sub).SetValue(name, type, std::move(data));
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

DWORD DeleteData(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName) {
  std::u16string_view name = WideView(pValueName);
  return ChangeKey(hPrinter, pKeyName, [&](RegistryKey& printer, const KeyPath& sub, bool& changed) {
    RegistryKey* key = printer.Find(sub);
    if (!key || !key->RemoveValue(name)) return LONG(ERROR_FILE_NOT_FOUND);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

// The default printer is kept as the platform keeps it, in the user's
// Software\Microsoft\Windows NT\CurrentVersion\Windows "Device" = "name,winspool,Ne00:".
const KeyPath& WindowsKeyPath() {
  static const KeyPath path = {u"Software", u"Microsoft", u"Windows NT", u"CurrentVersion", u"Windows"};
  return path;
}

}  // namespace

bool IsPrinterHandle(HANDLE h) { return HandleOf(h) != nullptr; }

bool PrinterNameOfHandle(HANDLE h, std::u16string& name) {
  auto handle = HandleOf(h);
  if (!handle) return false;
  name = handle->name.name;
  return true;
}

std::u16string DefaultPrinterName() {
  std::u16string device;
  ReadHive(Hive::CurrentUser, [&](const RegistryKey& root) {
    if (const RegistryKey* key = root.Find(WindowsKeyPath())) device = TextValue(*key, u"Device");
    return LONG(ERROR_SUCCESS);
  });
  return device.substr(0, device.find(u','));
}

void WriteDefaultPrinter(RegistryKey& userRoot, std::u16string_view name) {
  RegistryKey& key = userRoot.Make(WindowsKeyPath());
  if (name.empty()) {
    key.RemoveValue(u"Device");
  } else {
    SetText(key, u"Device", std::u16string(name) + u",winspool,Ne00:");
  }
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
  if (!phPrinter) return Fail(ERROR_INVALID_PARAMETER);
  *phPrinter = nullptr;
  auto parsed = ParsePrinterName(WideView(pPrinterName));
  if (!parsed) return Fail(ERROR_INVALID_PRINTER_NAME);
  auto h = std::make_shared<PrinterHandle>();
  h->name = *parsed;
  h->path = parsed->connection ? ConnectionPrinterPath(parsed->server, parsed->name) : LocalPrinterPath(parsed->name);
  if (parsed->connection) {
    // A connection is the user's: it must be listed among theirs; the server is reported as
    // the connection spells it.
    bool listed = false;
    ReadHive(Hive::CurrentUser, [&](const RegistryKey& root) {
      for (const auto& c : UserConnections(root)) {
        if (!NamesEqual(c.server, parsed->server) || !NamesEqual(c.name, parsed->name)) continue;
        h->name.server = c.server;
        listed = true;
      }
      return LONG(ERROR_SUCCESS);
    });
    if (!listed) return Fail(ERROR_INVALID_PRINTER_NAME);
  }
  PrinterRecord record;
  LONG rc = ReadPrinterKey(*h, [&](const RegistryKey& key) {
    record = ReadPrinter(key);
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(rc);
  h->name.name = record.name;  // the printer's own spelling
  if (!GrantPrinterRights(pDefault ? pDefault->DesiredAccess : PRINTER_ACCESS_USE, h->access))
    return Fail(ERROR_ACCESS_DENIED);
  HandleTable& t = Handles();
  std::lock_guard guard(t.lock);
  uintptr_t value = t.next;
  t.next += 8;
  t.handles.emplace(value, std::move(h));
  *phPrinter = reinterpret_cast<HANDLE>(value);
  return TRUE;
}

WIN32_API BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
  HandleTable& t = Handles();
  std::lock_guard guard(t.lock);
  if (t.handles.erase(reinterpret_cast<uintptr_t>(hPrinter)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

WIN32_API BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  auto h = HandleOf(hPrinter);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  size_t fixed = PrinterRecordSize(Level);
  if (!fixed) return Fail(ERROR_INVALID_LEVEL);
  PrinterRecord record;
  LONG rc = ReadPrinterKey(*h, [&](const RegistryKey& key) {
    record = ReadPrinter(key);
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(rc);
  std::u16string server, printer;
  DisplayNames(h->name, server, printer);
  return PackRecords(fixed, pPrinter, cbBuf, pcbNeeded,
                     [&](RecordPacker& p) { FillPrinter(p, Level, 0, record, server, printer); });
}

WIN32_API BOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command) {
  auto h = HandleOf(hPrinter);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  if (!(h->access & PRINTER_ACCESS_ADMINISTER)) return Fail(ERROR_ACCESS_DENIED);
  if (Level == 0) {
    if (Command < PRINTER_CONTROL_PAUSE || Command > PRINTER_CONTROL_SET_STATUS)
      return Fail(ERROR_INVALID_PRINTER_COMMAND);
    LONG rc = WritePrinterKey(*h, [&](RegistryKey& key, bool& changed) {
      DWORD status = NumberValue(key, u"Status");
      if (Command == PRINTER_CONTROL_PAUSE) status |= PRINTER_STATUS_PAUSED;
      if (Command == PRINTER_CONTROL_RESUME) status &= ~DWORD(PRINTER_STATUS_PAUSED);
      if (Command == PRINTER_CONTROL_SET_STATUS) {
        if (!pPrinter) return LONG(ERROR_INVALID_PARAMETER);
        std::memcpy(&status, pPrinter, 4);
      }
      SetNumber(key, u"Status", status);
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
    return rc == ERROR_SUCCESS ? TRUE : Fail(rc);
  }
  if (Level == 7) {
    // The machine has no directory: the last publishing request is kept with the printer.
    if (!pPrinter || Command != 0) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD action = reinterpret_cast<const PRINTER_INFO_7W*>(pPrinter)->dwAction;
    if (action != DSPRINT_PUBLISH && action != DSPRINT_UPDATE && action != DSPRINT_UNPUBLISH &&
        action != DSPRINT_REPUBLISH)
      return Fail(ERROR_INVALID_PARAMETER);
    LONG rc = WritePrinterKey(*h, [&](RegistryKey& key, bool& changed) {
      SetNumber(key, u"DsAction", action);
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
    return rc == ERROR_SUCCESS ? TRUE : Fail(rc);
  }
  if (Level != 2) return Fail(ERROR_INVALID_LEVEL);
  if (!pPrinter || Command != 0) return Fail(ERROR_INVALID_PARAMETER);
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter);
  std::string devMode;
  if (info->pDevMode) {
    size_t size = DevModeSize(reinterpret_cast<const BYTE*>(info->pDevMode));
    if (!size) return Fail(ERROR_INVALID_PARAMETER);
    devMode.assign(reinterpret_cast<const char*>(info->pDevMode), size);
  }
  std::u16string newName = info->pPrinterName ? std::u16string(WideView(info->pPrinterName)) : h->name.name;
  if (!h->name.connection && !h->name.qualified && !ValidPrinterName(newName))
    return Fail(ERROR_INVALID_PRINTER_NAME);
  LONG rc = WriteHive(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
    RegistryKey* key = root.Find(h->path);
    if (!key) return LONG(ERROR_INVALID_PRINTER_NAME);
    PrinterRecord r = ReadPrinter(*key);
    // A local printer opened by its plain name can be renamed; other names stay.
    bool rename = !h->name.connection && !h->name.qualified && !NamesEqual(newName, r.name);
    RegistryKey* parent = root.Find(PrintersPath());
    if (rename && parent->Subkey(newName)) return LONG(ERROR_PRINTER_ALREADY_EXISTS);
    if (!h->name.connection && !h->name.qualified) r.name = newName;
    if (info->pShareName) r.share = WideView(info->pShareName);
    if (info->pPortName) r.port = WideView(info->pPortName);
    if (info->pDriverName) {
      std::u16string driver(WideView(info->pDriverName));
      KeyPath driverPath = DriversPath();
      driverPath.push_back(driver);
      if (!root.Find(driverPath)) return LONG(ERROR_UNKNOWN_PRINTER_DRIVER);
      r.driver = driver;
    }
    if (info->pComment) r.comment = WideView(info->pComment);
    if (info->pLocation) r.location = WideView(info->pLocation);
    if (info->pSepFile) r.sepFile = WideView(info->pSepFile);
    if (info->pPrintProcessor) r.printProcessor = WideView(info->pPrintProcessor);
    if (info->pDatatype) r.datatype = WideView(info->pDatatype);
    if (info->pParameters) r.parameters = WideView(info->pParameters);
    if (info->pDevMode) r.devMode = devMode;
    r.attributes = info->Attributes;
    r.priority = info->Priority;
    r.defaultPriority = info->DefaultPriority;
    r.startTime = info->StartTime;
    r.untilTime = info->UntilTime;
    if (rename) {
      std::unique_ptr<RegistryKey> moved = std::move(parent->subkeys[FoldName(key->name)]);
      parent->RemoveSubkey(moved->name);
      moved->name = newName;
      key = moved.get();
      parent->subkeys[FoldName(newName)] = std::move(moved);
    }
    WritePrinter(*key, r);
    RegistryKey* ds = key->Subkey(u"DsSpooler");
    std::u16string server = ds ? TextValue(*ds, u"serverName") : ComputerName();
    std::u16string shortServer = ds ? TextValue(*ds, u"shortServerName") : ComputerName();
    WriteDsSpooler(*key, r, server, shortServer);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(rc);
  if (!h->name.connection && !h->name.qualified) {
    h->name.name = newName;
    h->path = LocalPrinterPath(newName);
  }
  return TRUE;
}

WIN32_API BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                    LPDWORD pcbNeeded, LPDWORD pcReturned) {
  if (!pcReturned) return Fail(ERROR_INVALID_PARAMETER);
  *pcReturned = 0;
  size_t fixed = PrinterRecordSize(Level);
  if (!fixed) return Fail(ERROR_INVALID_LEVEL);
  std::u16string_view server = WideView(Name);
  if (!server.empty() && !(server.size() > 2 && server.substr(0, 2) == u"\\\\" && NamesEqual(server.substr(2), ComputerName())))
    return Fail(ERROR_INVALID_NAME);
  struct Entry {
    PrinterRecord record;
    std::u16string server, printer;
  };
  std::vector<Entry> entries;
  std::u16string defaultName = (Flags & PRINTER_ENUM_DEFAULT) ? DefaultPrinterName() : std::u16string();
  bool local = Flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME | PRINTER_ENUM_DEFAULT);
  bool connections = Flags & (PRINTER_ENUM_CONNECTIONS | PRINTER_ENUM_DEFAULT);
  std::vector<PrinterName> userConnections;
  if (connections) {
    ReadHive(Hive::CurrentUser, [&](const RegistryKey& root) {
      userConnections = UserConnections(root);
      return LONG(ERROR_SUCCESS);
    });
  }
  LONG rc = ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    if (local) {
      if (const RegistryKey* printers = root.Find(PrintersPath())) {
        for (const auto& [folded, key] : printers->subkeys) {
          Entry e{ReadPrinter(*key), {}, {}};
          PrinterName n;
          n.name = e.record.name;
          if (!server.empty()) {
            n.qualified = true;
            n.server = ComputerName();
          }
          DisplayNames(n, e.server, e.printer);
          if ((Flags & PRINTER_ENUM_DEFAULT) && !NamesEqual(e.printer, defaultName)) continue;
          entries.push_back(std::move(e));
        }
      }
    }
    for (const auto& n : userConnections) {
      const RegistryKey* key = root.Find(ConnectionPrinterPath(n.server, n.name));
      if (!key) continue;
      Entry e{ReadPrinter(*key), {}, {}};
      DisplayNames(n, e.server, e.printer);
      if ((Flags & PRINTER_ENUM_DEFAULT) && !NamesEqual(e.printer, defaultName)) continue;
      entries.push_back(std::move(e));
    }
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(rc);
  BOOL ok = PackRecords(fixed * entries.size(), pPrinterEnum, cbBuf, pcbNeeded, [&](RecordPacker& p) {
    for (size_t i = 0; i < entries.size(); ++i)
      FillPrinter(p, Level, i, entries[i].record, entries[i].server, entries[i].printer);
  });
  if (ok) *pcReturned = static_cast<DWORD>(entries.size());
  return ok;
}

namespace {

bool IsX64Environment(LPWSTR env) { return !env || !*env || NamesEqual(WideView(env), kEnvironmentX64); }

const char16_t* EnvironmentFolder(std::u16string_view env) {
  if (env.empty() || NamesEqual(env, kEnvironmentX64)) return u"x64";
  if (NamesEqual(env, u"Windows NT x86")) return u"W32X86";
  if (NamesEqual(env, u"Windows IA64")) return u"IA64";
  if (NamesEqual(env, u"Windows ARM64")) return u"ARM64";
  if (NamesEqual(env, u"Windows 4.0")) return u"WIN40";
  return nullptr;
}

}  // namespace

WIN32_API BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                        DWORD cbBuf, LPDWORD pcbNeeded) {
  auto h = HandleOf(hPrinter);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  size_t fixed = Level == 1 ? sizeof(DRIVER_INFO_1W)
                 : Level == 2 ? sizeof(DRIVER_INFO_2W)
                 : Level == 3 ? sizeof(DRIVER_INFO_3W)
                              : 0;
  if (!fixed) return Fail(ERROR_INVALID_LEVEL);
  if (!EnvironmentFolder(WideView(pEnvironment))) return Fail(ERROR_INVALID_ENVIRONMENT);
  if (!IsX64Environment(pEnvironment)) return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  DriverRecord d;
  LONG rc = ReadHive(Hive::LocalMachine, [&](const RegistryKey& root) {
    const RegistryKey* printer = root.Find(h->path);
    if (!printer) return LONG(ERROR_INVALID_PRINTER_NAME);
    KeyPath path = DriversPath();
    path.push_back(TextValue(*printer, u"Printer Driver"));
    const RegistryKey* driver = root.Find(path);
    if (!driver) return LONG(ERROR_UNKNOWN_PRINTER_DRIVER);
    d = ReadDriver(*driver);
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return Fail(rc);
  std::u16string dir = DriverDirectory() + u"\\";
  auto full = [&](const std::u16string& file) { return file.empty() ? file : dir + file; };
  std::u16string dependents;
  for (const auto& f : d.dependentFiles) {
    dependents += full(f);
    dependents += u'\0';
  }
  return PackRecords(fixed, pDriverInfo, cbBuf, pcbNeeded, [&](RecordPacker& p) {
    if (Level == 1) {
      p.Record<DRIVER_INFO_1W>(0)->pName = p.Text(d.name);
      return;
    }
    // DRIVER_INFO_2W is the head of DRIVER_INFO_3W.
    auto* info = Level == 2 ? reinterpret_cast<DRIVER_INFO_3W*>(p.Record<DRIVER_INFO_2W>(0))
                            : p.Record<DRIVER_INFO_3W>(0);
    info->cVersion = d.version;
    info->pName = p.Text(d.name);
    info->pEnvironment = p.Text(kEnvironmentX64);
    info->pDriverPath = p.Text(full(d.driverPath));
    info->pDataFile = p.Text(full(d.dataFile));
    info->pConfigFile = p.Text(full(d.configFile));
    if (Level == 3) {
      info->pHelpFile = p.Text(full(d.helpFile));
      info->pDependentFiles = p.Text(dependents);  // each path and its NUL, then the final NUL
      info->pMonitorName = p.Text(d.monitor);
      info->pDefaultDataType = p.Text(d.defaultDataType);
    }
  });
}

WIN32_API BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level,
                                                 LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded) {
  if (Level != 1) return Fail(ERROR_INVALID_LEVEL);
  std::u16string_view server = WideView(pName);
  if (!server.empty() && !(server.size() > 2 && server.substr(0, 2) == u"\\\\" && NamesEqual(server.substr(2), ComputerName())))
    return Fail(ERROR_INVALID_NAME);
  const char16_t* folder = EnvironmentFolder(WideView(pEnvironment));
  if (!folder) return Fail(ERROR_INVALID_ENVIRONMENT);
  if (!pcbNeeded) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string dir = FromUtf8(Machine::Facts().SystemDirectory()) + u"\\spool\\drivers\\" + folder;
  DWORD bytes = static_cast<DWORD>((dir.size() + 1) * sizeof(WCHAR));
  *pcbNeeded = bytes;
  if (!pDriverDirectory || cbBuf < bytes) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(pDriverDirectory, dir.c_str(), bytes);
  return TRUE;
}

WIN32_API DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                       LPDWORD pcbNeeded) {
  return GetData(hPrinter, u"PrinterDriverData", pValueName, pType, pData, nSize, pcbNeeded);
}

WIN32_API DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return SetData(hPrinter, u"PrinterDriverData", pValueName, Type, pData, cbData);
}

WIN32_API DWORD WINAPI DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName) {
  return DeleteData(hPrinter, u"PrinterDriverData", pValueName);
}

WIN32_API DWORD WINAPI GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                         LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  return GetData(hPrinter, pKeyName, pValueName, pType, pData, nSize, pcbNeeded);
}

WIN32_API DWORD WINAPI SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type,
                                         LPBYTE pData, DWORD cbData) {
  return SetData(hPrinter, pKeyName, pValueName, Type, pData, cbData);
}

WIN32_API DWORD WINAPI DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName) {
  return DeleteData(hPrinter, pKeyName, pValueName);
}

WIN32_API DWORD WINAPI DeletePrinterKeyW(HANDLE hPrinter, LPCWSTR pKeyName) {
  return ChangeKey(hPrinter, pKeyName, [&](RegistryKey& printer, const KeyPath& sub, bool& changed) {
    KeyPath parentPath(sub.begin(), sub.end() - 1);
    RegistryKey* parent = printer.Find(parentPath);
    if (!parent || !parent->RemoveSubkey(sub.back())) return LONG(ERROR_FILE_NOT_FOUND);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API DWORD WINAPI EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName,
                                        LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData,
                                        LPDWORD pcbData) {
  auto h = HandleOf(hPrinter);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!pcbValueName || (!pValueName && cbValueName) || (!pData && cbData)) return ERROR_INVALID_PARAMETER;
  return ReadPrinterKey(*h, [&](const RegistryKey& printer) {
    const RegistryKey* key = printer.Subkey(u"PrinterDriverData");
    size_t count = key ? key->values.size() : 0;
    if (cbValueName == 0 && cbData == 0) {
      // The sizing call: the largest name and data of all values.
      if (count == 0) return LONG(ERROR_NO_MORE_ITEMS);
      DWORD maxName = 0, maxData = 0;
      for (const auto& v : key->values) {
        maxName = std::max<DWORD>(maxName, DWORD((v.name.size() + 1) * sizeof(WCHAR)));
        maxData = std::max<DWORD>(maxData, DWORD(v.data.size()));
      }
      *pcbValueName = maxName;
      if (pcbData) *pcbData = maxData;
      return LONG(ERROR_SUCCESS);
    }
    if (dwIndex >= count) return LONG(ERROR_NO_MORE_ITEMS);
    const RegistryValue& v = key->values[dwIndex];
    DWORD nameBytes = DWORD((v.name.size() + 1) * sizeof(WCHAR));
    *pcbValueName = nameBytes;
    if (pcbData) *pcbData = DWORD(v.data.size());
    if (pType) *pType = v.type;
    if (cbValueName < nameBytes || cbData < v.data.size()) return LONG(ERROR_MORE_DATA);
    std::memcpy(pValueName, v.name.c_str(), nameBytes);
    if (!v.data.empty()) std::memcpy(pData, v.data.data(), v.data.size());
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API DWORD WINAPI EnumPrinterKeyW(HANDLE hPrinter, LPCWSTR pKeyName, LPWSTR pSubkey, DWORD cbSubkey,
                                       LPDWORD pcbSubkey) {
  auto h = HandleOf(hPrinter);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!pcbSubkey || (!pSubkey && cbSubkey)) return ERROR_INVALID_PARAMETER;
  KeyPath sub;
  LONG rc = SplitKeyPath(WideView(pKeyName), sub);
  if (rc != ERROR_SUCCESS) return rc;
  return ReadPrinterKey(*h, [&](const RegistryKey& printer) {
    const RegistryKey* key = printer.Find(sub);
    if (!key) return LONG(ERROR_FILE_NOT_FOUND);
    std::u16string list;
    for (const auto& [folded, child] : key->subkeys) {
      list += child->name;
      list += u'\0';
    }
    list += u'\0';
    DWORD bytes = DWORD(list.size() * sizeof(WCHAR));
    *pcbSubkey = bytes;
    if (cbSubkey < bytes) return LONG(ERROR_MORE_DATA);
    std::memcpy(pSubkey, list.data(), bytes);
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API DWORD WINAPI EnumPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPBYTE pEnumValues, DWORD cbEnumValues,
                                          LPDWORD pcbEnumValues, LPDWORD pnEnumValues) {
  auto h = HandleOf(hPrinter);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!pcbEnumValues || !pnEnumValues || (!pEnumValues && cbEnumValues)) return ERROR_INVALID_PARAMETER;
  *pnEnumValues = 0;
  KeyPath sub;
  LONG rc = SubkeyPath(pKeyName, sub);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<RegistryValue> values;
  rc = ReadPrinterKey(*h, [&](const RegistryKey& printer) {
    const RegistryKey* key = printer.Find(sub);
    if (!key) return LONG(ERROR_FILE_NOT_FOUND);
    values = key->values;
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return rc;
  BOOL ok = PackRecords(sizeof(PRINTER_ENUM_VALUESW) * values.size(), pEnumValues, cbEnumValues, pcbEnumValues,
                        [&](RecordPacker& p) {
                          for (size_t i = 0; i < values.size(); ++i) {
                            auto* e = p.Record<PRINTER_ENUM_VALUESW>(i);
                            e->pValueName = p.Text(values[i].name);
                            e->cbValueName = DWORD((values[i].name.size() + 1) * sizeof(WCHAR));
                            e->dwType = values[i].type;
                            e->pData = p.Bytes(values[i].data);
                            e->cbData = DWORD(values[i].data.size());
                          }
                        });
  if (!ok) return ERROR_MORE_DATA;
  *pnEnumValues = DWORD(values.size());
  return ERROR_SUCCESS;
}

WIN32_API BOOL WINAPI GetDefaultPrinterW(LPWSTR pszBuffer, LPDWORD pcchBuffer) {
  if (!pcchBuffer) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string name = DefaultPrinterName();
  if (name.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  DWORD need = DWORD(name.size() + 1);
  if (!pszBuffer || *pcchBuffer < need) {
    *pcchBuffer = need;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(pszBuffer, name.c_str(), need * sizeof(WCHAR));
  *pcchBuffer = need;
  return TRUE;
}

WIN32_API BOOL WINAPI SetDefaultPrinterW(LPCWSTR pszPrinter) {
  std::u16string_view wanted = WideView(pszPrinter);
  if (wanted.empty()) return Fail(ERROR_INVALID_PARAMETER);
  HANDLE h = nullptr;
  std::u16string copy(wanted);
  if (!OpenPrinterW(copy.data(), &h, nullptr)) return Fail(ERROR_INVALID_PRINTER_NAME);
  std::u16string server, printer;
  DisplayNames(HandleOf(h)->name, server, printer);
  ClosePrinter(h);
  LONG rc = WriteHive(Hive::CurrentUser, [&](RegistryKey& root, bool& changed) {
    WriteDefaultPrinter(root, printer);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
  return rc == ERROR_SUCCESS ? TRUE : Fail(rc);
}
