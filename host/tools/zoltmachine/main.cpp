// zoltmachine: makes and shows emulated Windows machines for the driver, installs the driver
// into them, adds printers, prints, shows what their driver answers and drives a module's dialogs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "block_stream.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/module.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
using namespace zolt::host;

extern const char kPrefsHelp[];  // the prefs and props commands' lines of the help
// Printing preferences of a printer driven by a script given as text; the device mode the sheet
// gave back in devmode (prefs.cpp).
int RunPrefsText(const std::string& printerName, const std::string& script, const std::string& pngDir,
                 std::vector<BYTE>& devmode);

namespace {

const char kDefaultDriver[] = "ZOLT Office 7000 Series";
const char kDefaultPrinter[] = "ZOLT Office 7000";

const char kUsage[] =
    "usage: zoltmachine <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  create ROOT [--version MAJOR.MINOR] [--sp N] [--terminal-server] [--codepage CP]\n"
    "              [--user NAME] [--no-admin]\n"
    "                 make a machine root with these facts (defaults: Windows 10, code page\n"
    "                 1252, user \"user\" who is an administrator)\n"
    "  show ROOT      print the machine's facts and folders\n"
    "  remove ROOT    delete a machine root\n"
    "  install-driver ROOT [--modules DIR] [--model FILE] [--name DRIVER] [--help-file NAME]\n"
    "                 copy the modules of DIR (default: the build's module folder) and the\n"
    "                 model description FILE (default: the sample ZOLT7000.QCS) into the\n"
    "                 driver directory and register the driver (default name\n"
    "                 \"ZOLT Office 7000 Series\")\n"
    "  add-printer ROOT NAME [--driver D] [--port P] [--share S] [--comment C] [--location L]\n"
    "              [--server SERVER [--short-name N] [--csr]]\n"
    "                 add a local printer of an installed driver, or with --server the user's\n"
    "                 connection to printer NAME of machine SERVER (--csr: shown as\n"
    "                 \"\\\\CSR|SERVER\\NAME\" on Windows Vista and later)\n"
    "  delete-printer ROOT NAME\n"
    "                 delete a local printer, or a connection named \"\\\\SERVER\\NAME\"\n"
    "  list-printers ROOT\n"
    "                 list the printers with their driver, port and printer data\n"
    "  print ROOT PRINTER FILE.emf [FILE.emf ...] [--devmode FILE] [--direct]\n"
    "                 print enhanced metafiles (one page each) on PRINTER through its driver:\n"
    "                 spooled as a metafile job that the print processor plays, or with\n"
    "                 --direct drawn straight through the graphics module; --devmode gives\n"
    "                 the job's device mode (bytes of a file); says where the output went\n"
    "  ui ROOT MODULE DIALOG-ID [STEP...]\n"
    "                 show dialog DIALOG-ID of the resource module MODULE (a Windows path of the\n"
    "                 machine) and act on it, step by step:\n"
    "                   find=ID | find=caption:TEXT | find=class:NAME   the window of the next steps\n"
    "                   click   select=TEXT   type=TEXT   key=NAME|NUMBER (RETURN, ESCAPE, TAB, ...)\n"
    "                   read (its text, check state and selected item)   answer=N (the next message\n"
    "                   box's answer)   png=FILE (the window as a picture)\n"
    ;
const char kUsageTail[] =
    "  caps ROOT PRINTER\n"
    "                 show the printer's device capabilities as its driver answers them\n"
    "  devmode ROOT PRINTER FILE\n"
    "                 write the printer's default device mode (as DocumentProperties gives it)\n"
    "                 to FILE\n"
    "  demo [--png DIR]\n"
    "                 make a machine in a temporary folder, install the driver from the build,\n"
    "                 add a printer, print the sample job through the driver and show what the\n"
    "                 printer received, change the paper and tray in printing preferences (its\n"
    "                 pages saved as pictures in DIR, default ./zolt-demo-pages), print again,\n"
    "                 show what changed in the output, and remove the machine\n"
    "  --help         this text\n"
    "\n"
    "Exit status: 0 done, 1 the command failed, 2 wrong arguments.\n";

void PrintUsage(FILE* to) {
  std::fputs(kUsage, to);
  std::fputs(kPrefsHelp, to);
  std::fputs(kUsageTail, to);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zoltmachine: %s\n", message.c_str());
  return 1;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "zoltmachine: %s\n(see zoltmachine --help)\n", message.c_str());
  return 2;
}

void Show(const fs::path& root) {
  Machine::Use(root);
  const MachineFacts& f = Machine::Facts();
  std::printf("machine root     %s\n", root.c_str());
  std::printf("Windows          %u.%u build %u, service pack %u, product type %u%s\n", f.majorVersion,
              f.minorVersion, f.buildNumber, f.servicePackMajor, unsigned(f.productType),
              f.IsTerminalServer() ? ", terminal server" : "");
  std::printf("code page        %u, user locale 0x%04X\n", f.ansiCodePage, unsigned(f.userLocale));
  std::printf("user             %s%s\n", f.userName.c_str(), f.userIsAdmin ? " (administrator)" : "");
  std::printf("Windows folder   %s\n", f.WindowsDirectory().c_str());
  std::printf("system folder    %s\n", f.SystemDirectory().c_str());
  std::printf("driver folder    %s\n", f.DriverDirectory().c_str());
  std::printf("user profile     %s\n", f.UserProfileDirectory().c_str());
  std::printf("host process     %s\n", f.HostImage().c_str());
}

// Every machine has the system modules the driver loads by name (UserEnv, shell32, ole32).
void InstallSystemModulesOf(const fs::path& root) {
  Machine::Use(root);
  if (!zolt::host::InstallSystemModules(ZOLT_MODULE_DIR))
    std::fprintf(stderr, "zoltmachine: warning: the system modules were not found in %s\n", ZOLT_MODULE_DIR);
}

bool IsMachineRoot(const fs::path& root) { return fs::exists(root / "machine.ini"); }

// Options of a command: "--name value" pairs and flags after the positional arguments.
class Options {
 public:
  Options(const std::vector<std::string>& args, size_t first) {
    for (size_t i = first; i < args.size(); ++i) items_.push_back(args[i]);
  }
  // The value of --name (empty when absent); a missing value or an unknown option is an error.
  bool Parse(const std::vector<std::string>& valued, const std::vector<std::string>& flags, std::string& error) {
    for (size_t i = 0; i < items_.size(); ++i) {
      const std::string& a = items_[i];
      if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        set_.emplace_back(a, "1");
      } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
        if (i + 1 >= items_.size()) {
          error = a + " needs a value";
          return false;
        }
        set_.emplace_back(a, items_[++i]);
      } else {
        error = "unknown option " + a;
        return false;
      }
    }
    return true;
  }
  std::string Get(const std::string& name, const std::string& fallback = {}) const {
    for (const auto& [k, v] : set_)
      if (k == name) return v;
    return fallback;
  }
  bool Has(const std::string& name) const {
    for (const auto& [k, v] : set_)
      if (k == name) return true;
    return false;
  }

 private:
  std::vector<std::string> items_;
  std::vector<std::pair<std::string, std::string>> set_;
};

// Uses an existing machine root; false (with a message) when it is none.
bool ReadWhole(const fs::path& file, std::string& out) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string JobStatusText(DWORD status) {
  std::string text;
  const std::pair<DWORD, const char*> names[] = {
      {JOB_STATUS_PRINTED, "printed"}, {JOB_STATUS_COMPLETE, "complete"}, {JOB_STATUS_ERROR, "error"},
      {JOB_STATUS_DELETED, "deleted"}, {JOB_STATUS_PRINTING, "printing"}, {JOB_STATUS_SPOOLING, "spooling"}};
  for (auto [bit, name] : names)
    if (status & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  return text.empty() ? "none" : text;
}

bool UseMachine(const std::string& root);

int Print(const std::vector<std::string>& args) {
  if (args.size() < 4) return Usage("print needs a machine root, a printer and at least one metafile");
  std::vector<std::string> files;
  std::string devmodeFile;
  bool direct = false;
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--direct") {
      direct = true;
    } else if (args[i] == "--devmode") {
      if (++i >= args.size()) return Usage("--devmode needs a file");
      devmodeFile = args[i];
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage("unknown option " + args[i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) return Usage("print needs at least one metafile");
  std::vector<std::string> pages;
  for (const std::string& f : files) {
    std::string bytes;
    if (!ReadWhole(f, bytes)) return Fail("cannot read " + f);
    pages.push_back(std::move(bytes));
  }
  std::string devmode;
  if (!devmodeFile.empty()) {
    if (!ReadWhole(devmodeFile, devmode)) return Fail("cannot read " + devmodeFile);
    if (devmode.size() < 72 || devmode.size() > 0x10000) return Fail(devmodeFile + " is not a device mode");
  }
  if (!UseMachine(args[1])) return 1;
  const std::u16string printer = FromUtf8(args[2]);
  HANDLE h = nullptr;
  std::u16string name = printer;
  if (!OpenPrinterW(name.data(), &h, nullptr)) return Fail("no printer \"" + args[2] + "\" on this machine");
  ClosePrinter(h);
  zolt::host::PrintResult result;
  std::string error;
  const bool ok = zolt::host::PrintMetafiles(printer, pages, devmode, FromUtf8(fs::path(files[0]).filename().string()),
                                             direct, result, &error);
  if (result.jobId) std::printf("job %u: %s\n", result.jobId, JobStatusText(result.status).c_str());
  if (!ok) return Fail("the job failed: " + error);
  std::error_code ec;
  const auto size = fs::file_size(result.output, ec);
  std::printf("output %s\n%u page%s, %llu bytes%s\n", result.output.c_str(), result.pages,
              result.pages == 1 ? "" : "s", static_cast<unsigned long long>(ec ? 0 : size),
              direct ? " (printed directly)" : " (spooled as a metafile)");
  return 0;
}

bool UseMachine(const std::string& root) {
  if (!IsMachineRoot(root)) {
    Fail(root + " is not a machine root (make one with: zoltmachine create " + root + ")");
    return false;
  }
  Machine::Use(fs::absolute(root));
  return true;
}

bool Install(const fs::path& root, const std::string& modules, const std::string& model, const std::string& name,
             const std::string& helpFile, std::string& error) {
  DriverInstall install;
  install.name = FromUtf8(name);
  install.moduleDir = modules;
  install.helpFile = FromUtf8(helpFile);
  (void)root;
  install.modelFile = model.empty() ? fs::path(ZOLT_SAMPLE_MODEL) : fs::path(model);
  return InstallDriver(install, &error);
}

std::string Printable(DWORD type, const BYTE* data, DWORD size) {
  std::string out;
  char buf[32];
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && size % 2 == 0) {
    std::u16string text(reinterpret_cast<const char16_t*>(data), size / 2);
    bool terminated = !text.empty() && text.back() == u'\0';
    if (terminated) text.pop_back();
    out.push_back('"');
    out.append(ToUtf8(text));
    out.push_back('"');
    if (!terminated) out.append(" (no terminator)");
    return out;
  }
  if (type == REG_DWORD && size == 4) {
    DWORD v;
    std::memcpy(&v, data, 4);
    std::snprintf(buf, sizeof buf, "0x%08X (%u)", v, v);
    return buf;
  }
  DWORD shown = size < 32 ? size : 32;
  for (DWORD i = 0; i < shown; ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02x" : "%02x", data[i]);
    out += buf;
  }
  if (shown < size) out += " ...";
  std::snprintf(buf, sizeof buf, " (%u bytes)", size);
  return out + buf;
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "other";
  }
}

int ListPrintersOfMachine() {
  std::vector<std::u16string> names = ListPrinters();
  if (names.empty()) {
    std::printf("no printers\n");
    return 0;
  }
  int failures = 0;
  for (auto& name : names) {
    HANDLE h = nullptr;
    if (!OpenPrinterW(name.data(), &h, nullptr)) {
      std::fprintf(stderr, "zoltmachine: cannot open %s (error %u)\n", ToUtf8(name).c_str(), GetLastError());
      ++failures;
      continue;
    }
    DWORD needed = 0;
    GetPrinterW(h, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    if (needed && GetPrinterW(h, 2, buf.data(), needed, &needed)) {
      auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
      std::printf("printer  %s\n", ToUtf8(WideView(info->pPrinterName)).c_str());
      std::printf("  driver      %s\n", ToUtf8(WideView(info->pDriverName)).c_str());
      std::printf("  port        %s\n", ToUtf8(WideView(info->pPortName)).c_str());
      if (info->pServerName) std::printf("  server      %s\n", ToUtf8(WideView(info->pServerName)).c_str());
      if (*info->pShareName) std::printf("  share       %s\n", ToUtf8(WideView(info->pShareName)).c_str());
      std::printf("  attributes  0x%08X\n", info->Attributes);
      std::printf("  device mode %s\n", info->pDevMode ? "stored" : "none");
    }
    DWORD maxName = 0, maxData = 0, type = 0;
    DWORD rc = EnumPrinterDataW(h, 0, nullptr, 0, &maxName, &type, nullptr, 0, &maxData);
    if (rc == ERROR_NO_MORE_ITEMS) {
      std::printf("  printer data: none\n");
    } else if (rc == ERROR_SUCCESS) {
      std::printf("  printer data:\n");
      std::vector<WCHAR> valueName(maxName / 2 + 1);
      std::vector<BYTE> data(maxData + 1);
      for (DWORD i = 0;; ++i) {
        DWORD cbName = 0, cbData = 0;
        rc = EnumPrinterDataW(h, i, valueName.data(), DWORD(valueName.size() * 2), &cbName, &type, data.data(),
                              DWORD(data.size()), &cbData);
        if (rc != ERROR_SUCCESS) break;
        std::printf("    %-28s %-12s %s\n", ToUtf8(WideView(valueName.data())).c_str(), TypeName(type),
                    Printable(type, data.data(), cbData).c_str());
      }
    }
    ClosePrinter(h);
  }
  return failures ? 1 : 0;
}

// ---- device capabilities -----------------------------------------------------------------

struct CapabilityQuery {
  WORD code;
  const char* name;
  enum Kind { kNumber, kWords, kPoints, kNames, kPairs, kDwords } kind;
  int chars;  // characters of one name
};

constexpr CapabilityQuery kCapabilities[] = {
    {DC_FIELDS, "DC_FIELDS", CapabilityQuery::kNumber, 0},
    {DC_PAPERS, "DC_PAPERS", CapabilityQuery::kWords, 0},
    {DC_PAPERNAMES, "DC_PAPERNAMES", CapabilityQuery::kNames, 64},
    {DC_PAPERSIZE, "DC_PAPERSIZE", CapabilityQuery::kPoints, 0},
    {DC_MINEXTENT, "DC_MINEXTENT", CapabilityQuery::kNumber, 0},
    {DC_MAXEXTENT, "DC_MAXEXTENT", CapabilityQuery::kNumber, 0},
    {DC_BINS, "DC_BINS", CapabilityQuery::kWords, 0},
    {DC_BINNAMES, "DC_BINNAMES", CapabilityQuery::kNames, 24},
    {DC_DUPLEX, "DC_DUPLEX", CapabilityQuery::kNumber, 0},
    {DC_SIZE, "DC_SIZE", CapabilityQuery::kNumber, 0},
    {DC_EXTRA, "DC_EXTRA", CapabilityQuery::kNumber, 0},
    {DC_VERSION, "DC_VERSION", CapabilityQuery::kNumber, 0},
    {DC_DRIVER, "DC_DRIVER", CapabilityQuery::kNumber, 0},
    {DC_ENUMRESOLUTIONS, "DC_ENUMRESOLUTIONS", CapabilityQuery::kPairs, 0},
    {DC_FILEDEPENDENCIES, "DC_FILEDEPENDENCIES", CapabilityQuery::kNumber, 0},
    {DC_TRUETYPE, "DC_TRUETYPE", CapabilityQuery::kNumber, 0},
    {DC_ORIENTATION, "DC_ORIENTATION", CapabilityQuery::kNumber, 0},
    {DC_COPIES, "DC_COPIES", CapabilityQuery::kNumber, 0},
    {DC_BINADJUST, "DC_BINADJUST", CapabilityQuery::kNumber, 0},
    {DC_EMF_COMPLIANT, "DC_EMF_COMPLIANT", CapabilityQuery::kNumber, 0},
    {DC_DATATYPE_PRODUCED, "DC_DATATYPE_PRODUCED", CapabilityQuery::kNumber, 0},
    {DC_COLLATE, "DC_COLLATE", CapabilityQuery::kNumber, 0},
    {DC_MANUFACTURER, "DC_MANUFACTURER", CapabilityQuery::kNumber, 0},
    {DC_MODEL, "DC_MODEL", CapabilityQuery::kNumber, 0},
    {DC_PERSONALITY, "DC_PERSONALITY", CapabilityQuery::kNames, 32},
    {DC_PRINTRATE, "DC_PRINTRATE", CapabilityQuery::kNumber, 0},
    {DC_PRINTRATEUNIT, "DC_PRINTRATEUNIT", CapabilityQuery::kNumber, 0},
    {DC_PRINTERMEM, "DC_PRINTERMEM", CapabilityQuery::kNumber, 0},
    {DC_MEDIAREADY, "DC_MEDIAREADY", CapabilityQuery::kNames, 64},
    {DC_STAPLE, "DC_STAPLE", CapabilityQuery::kNumber, 0},
    {DC_PRINTRATEPPM, "DC_PRINTRATEPPM", CapabilityQuery::kNumber, 0},
    {DC_COLORDEVICE, "DC_COLORDEVICE", CapabilityQuery::kNumber, 0},
    {DC_NUP, "DC_NUP", CapabilityQuery::kDwords, 0},
};

// One capability: the count or answer, then the entries of a list.
std::string CapabilityText(const std::u16string& printer, const CapabilityQuery& q) {
  const int n = DeviceCapabilitiesW(printer.c_str(), nullptr, q.code, nullptr, nullptr);
  char buf[64];
  if (q.kind == CapabilityQuery::kNumber || n <= 0) {
    if (q.code == DC_MINEXTENT || q.code == DC_MAXEXTENT) {
      std::snprintf(buf, sizeof buf, "%d x %d (0.1 mm)", n & 0xFFFF, (n >> 16) & 0xFFFF);
      return buf;
    }
    std::snprintf(buf, sizeof buf, n == -1 ? "-1 (no answer)" : "%d", n);
    if (q.code == DC_FIELDS || q.code == DC_VERSION || q.code == DC_DRIVER) std::snprintf(buf, sizeof buf, "0x%X", n);
    return buf;
  }
  // Room for the entries, rounded up to whole 8-byte units.
  const size_t unit = q.kind == CapabilityQuery::kWords     ? 2
                      : q.kind == CapabilityQuery::kNames   ? size_t(q.chars) * 2
                      : q.kind == CapabilityQuery::kDwords ? 4
                                                            : 8;
  std::vector<uint64_t> storage((unit * size_t(n) + 7) / 8 + 1);
  auto* out = reinterpret_cast<LPWSTR>(storage.data());
  const int got = DeviceCapabilitiesW(printer.c_str(), nullptr, q.code, out, nullptr);
  std::string text = std::to_string(got) + ":";
  const auto* bytes = reinterpret_cast<const BYTE*>(storage.data());
  for (int i = 0; i < got && i < n; ++i) {
    text += i ? ", " : " ";
    switch (q.kind) {
      case CapabilityQuery::kWords: {
        WORD w;
        std::memcpy(&w, bytes + 2 * i, 2);
        text += std::to_string(w);
        break;
      }
      case CapabilityQuery::kDwords: {
        DWORD d;
        std::memcpy(&d, bytes + 4 * i, 4);
        text += std::to_string(d);
        break;
      }
      case CapabilityQuery::kPoints:
      case CapabilityQuery::kPairs: {
        LONG a, b;
        std::memcpy(&a, bytes + 8 * i, 4);
        std::memcpy(&b, bytes + 8 * i + 4, 4);
        text += std::to_string(a) + "x" + std::to_string(b);
        break;
      }
      default: {
        const auto* name = reinterpret_cast<const char16_t*>(bytes + unit * i);
        std::u16string s(name, std::char_traits<char16_t>::length(name) < size_t(q.chars)
                                   ? std::char_traits<char16_t>::length(name)
                                   : size_t(q.chars));
        text += "\"" + ToUtf8(s) + "\"";
        break;
      }
    }
  }
  return text;
}

int ShowCapabilities(const std::string& printerName) {
  std::u16string printer = FromUtf8(printerName);
  HANDLE h = nullptr;
  if (!OpenPrinterW(printer.data(), &h, nullptr)) return Fail("no printer \"" + printerName + "\"");
  ClosePrinter(h);
  std::printf("device capabilities of %s\n", printerName.c_str());
  for (const auto& q : kCapabilities) std::printf("  %-22s %s\n", q.name, CapabilityText(printer, q).c_str());
  return 0;
}

int WriteDefaultDevMode(const std::string& printerName, const std::string& file) {
  std::u16string printer = FromUtf8(printerName);
  HANDLE h = nullptr;
  if (!OpenPrinterW(printer.data(), &h, nullptr)) return Fail("no printer \"" + printerName + "\"");
  const LONG size = DocumentPropertiesW(nullptr, h, printer.data(), nullptr, nullptr, 0);
  std::vector<BYTE> dm(size > 0 ? size_t(size) : 0);
  const LONG r = size > 0 ? DocumentPropertiesW(nullptr, h, printer.data(), reinterpret_cast<PDEVMODEW>(dm.data()),
                                                nullptr, DM_OUT_BUFFER)
                          : -1;
  ClosePrinter(h);
  if (r != IDOK) return Fail("the driver gave no device mode (result " + std::to_string(r) + ")");
  const auto* header = reinterpret_cast<const DEVMODEW*>(dm.data());
  const size_t extent = size_t{header->dmSize} + header->dmDriverExtra;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(dm.data()), std::streamsize(extent < dm.size() ? extent : dm.size()));
  if (!out) return Fail("cannot write " + file);
  std::printf("wrote the default device mode of %s (%u + %u bytes) to %s\n", printerName.c_str(),
              unsigned(header->dmSize), unsigned(header->dmDriverExtra), file.c_str());
  return 0;
}

int Create(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage("create needs a machine root");
  MachineFacts facts;
  Options o(args, 2);
  std::string error;
  if (!o.Parse({"--version", "--sp", "--codepage", "--user"}, {"--terminal-server", "--no-admin"}, error))
    return Usage(error);
  if (o.Has("--version")) {
    unsigned major = 0, minor = 0;
    if (std::sscanf(o.Get("--version").c_str(), "%u.%u", &major, &minor) != 2) return Usage("--version needs MAJOR.MINOR");
    facts.majorVersion = major;
    facts.minorVersion = minor;
  }
  if (o.Has("--sp")) facts.servicePackMajor = static_cast<WORD>(std::atoi(o.Get("--sp").c_str()));
  if (o.Has("--terminal-server")) facts.suiteMask |= 0x10;
  if (o.Has("--codepage")) {
    facts.ansiCodePage = static_cast<UINT>(std::atoi(o.Get("--codepage").c_str()));
    if (!CodePageConverterName(facts.ansiCodePage)) return Usage("unknown code page " + o.Get("--codepage"));
  }
  if (o.Has("--user")) {
    if (o.Get("--user").empty()) return Usage("--user needs a name");
    facts.userName = o.Get("--user");
  }
  if (o.Has("--no-admin")) facts.userIsAdmin = false;
  if (!Machine::Create(args[1], facts)) return Fail("cannot create a machine at " + args[1]);
  InstallSystemModulesOf(fs::absolute(args[1]));
  Show(fs::absolute(args[1]));
  return 0;
}

// Prints the sample job (samples/jobs, one metafile per page) on the demo printer with a device
// mode (empty: the printer's) and shows what the printer's port received: pages, blocks by
// type, bytes. The decoded output in *stream.
int PrintSampleJob(const std::string& devmode, zolt::blocks::DecodedStream* stream) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(ZOLT_SAMPLE_JOBS, ec))
    if (e.path().extension() == ".emf") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) return Fail(std::string("no sample job in ") + ZOLT_SAMPLE_JOBS);
  std::vector<std::string> pages;
  for (const auto& f : files) {
    std::string bytes;
    if (!ReadWhole(f.string(), bytes)) return Fail("cannot read " + f.string());
    pages.push_back(std::move(bytes));
  }
  zolt::host::PrintResult result;
  std::string error;
  std::printf("\nprinting %s (%zu pages) on %s%s\n", files[0].filename().string().c_str(), pages.size(),
              kDefaultPrinter, devmode.empty() ? "" : " with the device mode of printing preferences");
  if (!zolt::host::PrintMetafiles(FromUtf8(kDefaultPrinter), pages, devmode, FromUtf8(files[0].filename().string()),
                                  false, result, &error))
    return Fail("the job failed: " + error);
  std::string output;
  if (!ReadWhole(result.output.string(), output)) return Fail("no output of job " + std::to_string(result.jobId));
  if (!zolt::blocks::DecodeStream(output, stream, &error)) return Fail("the output is not a block stream: " + error);
  std::printf("job %u: %s\n  %s\n", result.jobId, result.output.filename().string().c_str(),
              zolt::blocks::SummariseStream(*stream).c_str());
  return 0;
}

// The command texts of a job: the job-start blocks before its first page, then the first page's
// start text, as lines (control bytes shown as <XX>).
std::vector<std::string> CommandLines(const zolt::blocks::DecodedStream& stream) {
  std::string text;
  for (const auto& b : stream.blocks) {
    if (b.type == 0xF4) break;
    if (b.type == 0xF3 || b.type == 0xF7) text += b.payload;
  }
  if (!stream.pages.empty()) text += "\n" + stream.pages[0].startText;
  std::vector<std::string> lines;
  std::string line;
  for (unsigned char c : text) {
    if (c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else if (c == '\r') {
      continue;
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      line += hex;
    } else {
      line.push_back(char(c));
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// What the second job's command texts say differently from the first's.
void ShowOutputChanges(const zolt::blocks::DecodedStream& before, const zolt::blocks::DecodedStream& after) {
  const std::vector<std::string> was = CommandLines(before), now = CommandLines(after);
  std::printf("\nwhat changed in the printer's output (job and first-page command texts):\n");
  int changes = 0;
  for (const auto& l : was)
    if (std::find(now.begin(), now.end(), l) == now.end()) std::printf("  - %s\n", l.c_str()), ++changes;
  for (const auto& l : now)
    if (std::find(was.begin(), was.end(), l) == was.end()) std::printf("  + %s\n", l.c_str()), ++changes;
  if (before.bytes != after.bytes)
    std::printf("  output %llu -> %llu bytes\n", static_cast<unsigned long long>(before.bytes),
                static_cast<unsigned long long>(after.bytes)), ++changes;
  if (!changes) std::printf("  nothing\n");
}

// The demo's user: larger paper, from the third tray.
const char kDemoScript[] =
    "page Preset\n"
    "select 2009 A3\n"
    "select 2004 \"Tray 3\"\n"
    "press OK\n";

int Demo(const std::string& pngDir) {
  std::string pattern = (fs::temp_directory_path() / "zolt-demo-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return Fail("cannot make a temporary folder");
  fs::path root = pattern;
  struct Cleanup {
    fs::path root;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(root, ec);
    }
  } cleanup{root};
  if (!Machine::Create(root, MachineFacts{})) return Fail("cannot create a machine");
  InstallSystemModulesOf(root);
  Show(root);
  std::string error;
  if (!Install(root, ZOLT_MODULE_DIR, "", kDefaultDriver, "", error)) return Fail("cannot install the driver: " + error);
  PrinterSetup printer;
  printer.name = FromUtf8(kDefaultPrinter);
  printer.driver = FromUtf8(kDefaultDriver);
  if (!AddPrinter(printer, &error)) return Fail("cannot add the printer: " + error);
  std::printf("\n");
  int rc = ListPrintersOfMachine();
  zolt::blocks::DecodedStream first, second;
  if (rc == 0) rc = PrintSampleJob("", &first);
  std::vector<BYTE> devmode;
  if (rc == 0) {
    std::printf("\nprinting preferences of %s, as a person uses them:\n%s", kDefaultPrinter, kDemoScript);
    const fs::path pictures = fs::absolute(pngDir);
    rc = RunPrefsText(kDefaultPrinter, kDemoScript, pictures.string(), devmode);
    if (rc == 0) std::printf("the pages of printing preferences are pictures in %s\n", pictures.c_str());
  }
  if (rc == 0) {
    const auto* header = reinterpret_cast<const DEVMODEW*>(devmode.data());
    const size_t extent = std::min(devmode.size(), size_t{header->dmSize} + header->dmDriverExtra);
    rc = PrintSampleJob(std::string(reinterpret_cast<const char*>(devmode.data()), extent), &second);
  }
  if (rc == 0) ShowOutputChanges(first, second);
  std::printf("\nfiles of the machine:\n");
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    files.push_back(fs::relative(e.path(), root).string() + (e.is_directory() ? "/" : ""));
  std::sort(files.begin(), files.end());
  for (const auto& f : files) std::printf("  %s\n", f.c_str());
  return rc;
}

}  // namespace

int RunUiScript(const std::string& modulePath, const std::string& dialogId, const std::vector<std::string>& steps);
int RunPrefs(const std::string& printerName, const std::string& scriptPath, const std::string& pngDir,
             const std::string& saveFile);
int RunProps(const std::string& printerName, const std::string& scriptPath, const std::string& pngDir);

// In the sanitizer builds the graphics interface's known fontconfig allocations are suppressed
// leaks; their count is not reported on stderr, which callers of the tool read.
extern "C" const char* __asan_default_options() { return "print_suppressions=0"; }

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string& cmd = args[0];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    PrintUsage(stdout);
    return 0;
  }
  if (cmd == "create") return Create(args);
  if (cmd == "show") {
    if (args.size() != 2) return Usage("show needs a machine root");
    if (!IsMachineRoot(args[1])) return Fail(args[1] + " is not a machine root");
    Show(fs::absolute(args[1]));
    return 0;
  }
  if (cmd == "remove") {
    if (args.size() != 2) return Usage("remove needs a machine root");
    if (!IsMachineRoot(args[1])) return Fail(args[1] + " is not a machine root");
    std::error_code ec;
    fs::remove_all(args[1], ec);
    if (ec) return Fail("cannot remove " + args[1] + ": " + ec.message());
    return 0;
  }
  if (cmd == "install-driver") {
    if (args.size() < 2) return Usage("install-driver needs a machine root");
    Options o(args, 2);
    std::string error;
    if (!o.Parse({"--modules", "--model", "--name", "--help-file"}, {}, error)) return Usage(error);
    if (!UseMachine(args[1])) return 1;
    std::string name = o.Get("--name", kDefaultDriver);
    if (!Install(fs::absolute(args[1]), o.Get("--modules", ZOLT_MODULE_DIR), o.Get("--model"), name,
                 o.Get("--help-file"), error))
      return Fail("cannot install the driver: " + error);
    std::printf("installed driver \"%s\" into %s\n", name.c_str(), Machine::Facts().DriverDirectory().c_str());
    return 0;
  }
  if (cmd == "add-printer") {
    if (args.size() < 3) return Usage("add-printer needs a machine root and a printer name");
    Options o(args, 3);
    std::string error;
    if (!o.Parse({"--driver", "--port", "--share", "--comment", "--location", "--server", "--short-name"}, {"--csr"},
                 error))
      return Usage(error);
    if ((o.Has("--csr") || o.Has("--short-name")) && !o.Has("--server"))
      return Usage("--csr and --short-name go with --server");
    if (!UseMachine(args[1])) return 1;
    PrinterSetup printer;
    printer.name = FromUtf8(args[2]);
    printer.driver = FromUtf8(o.Get("--driver", kDefaultDriver));
    printer.port = FromUtf8(o.Get("--port", "LPT1:"));
    printer.shareName = FromUtf8(o.Get("--share"));
    printer.comment = FromUtf8(o.Get("--comment"));
    printer.location = FromUtf8(o.Get("--location"));
    bool ok;
    if (o.Has("--server")) {
      ConnectionSetup connection{FromUtf8(o.Get("--server")), FromUtf8(o.Get("--short-name")), o.Has("--csr")};
      ok = AddClientConnection(connection, printer, &error);
    } else {
      ok = AddPrinter(printer, &error);
    }
    if (!ok) return Fail("cannot add the printer: " + error);
    std::printf("added printer \"%s\"\n", args[2].c_str());
    return 0;
  }
  if (cmd == "delete-printer") {
    if (args.size() != 3) return Usage("delete-printer needs a machine root and a printer name");
    if (!UseMachine(args[1])) return 1;
    std::string error;
    if (!DeletePrinter(FromUtf8(args[2]), &error)) return Fail("cannot delete the printer: " + error);
    return 0;
  }
  if (cmd == "list-printers") {
    if (args.size() != 2) return Usage("list-printers needs a machine root");
    if (!UseMachine(args[1])) return 1;
    return ListPrintersOfMachine();
  }
  if (cmd == "print") return Print(args);
  if (cmd == "ui") {
    if (args.size() < 4) return Usage("ui needs a machine root, a module and a dialog id");
    if (!UseMachine(args[1])) return 1;
    return RunUiScript(args[2], args[3], std::vector<std::string>(args.begin() + 4, args.end()));
  }
  if (cmd == "prefs") {
    if (args.size() < 3) return Usage("prefs needs a machine root and a printer name");
    Options o(args, 3);
    std::string error;
    if (!o.Parse({"--do", "--png", "--save"}, {}, error)) return Usage(error);
    if (!UseMachine(args[1])) return 1;
    return RunPrefs(args[2], o.Get("--do"), o.Get("--png"), o.Get("--save"));
  }
  if (cmd == "props") {
    if (args.size() < 3) return Usage("props needs a machine root and a printer name");
    Options o(args, 3);
    std::string error;
    if (!o.Parse({"--do", "--png"}, {}, error)) return Usage(error);
    if (!UseMachine(args[1])) return 1;
    return RunProps(args[2], o.Get("--do"), o.Get("--png"));
  }
  if (cmd == "caps") {
    if (args.size() != 3) return Usage("caps needs a machine root and a printer name");
    if (!UseMachine(args[1])) return 1;
    return ShowCapabilities(args[2]);
  }
  if (cmd == "devmode") {
    if (args.size() != 4) return Usage("devmode needs a machine root, a printer name and a file");
    if (!UseMachine(args[1])) return 1;
    return WriteDefaultDevMode(args[2], args[3]);
  }
  if (cmd == "demo") {
    Options o(args, 1);
    std::string error;
    if (!o.Parse({"--png"}, {}, error)) return Usage(error);
    return Demo(o.Get("--png", "zolt-demo-pages"));
  }
  std::fprintf(stderr, "zoltmachine: unknown command %s\n\n", cmd.c_str());
  PrintUsage(stderr);
  return 2;
}
