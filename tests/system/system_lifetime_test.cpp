// A printer's life on a machine, as an administrator and a user live it through the spooler:
// the driver is installed for both sample models, a printer of each is added, the user connects
// to a printer of a print server, a printer is renamed, the driver is upgraded, and everything
// is deleted again. After each step the files and registry keys the driver wrote are where its
// rules put them, and after the deletions only what those rules keep is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "print_application.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

constexpr char16_t kDriver7000[] = u"ZOLT Office 7000 Series";
constexpr char16_t kDriver2100[] = u"ZOLT Office 2100 Series";
constexpr char16_t kPrinter7000[] = u"ZOLT Office 7000";
constexpr char16_t kPrinter2100[] = u"ZOLT Office 2100";
constexpr char16_t kRenamed2100[] = u"ZOLT Mono on the 2nd floor";
constexpr char16_t kServer[] = u"PRINTSRV";
constexpr char16_t kSharedPrinter[] = u"ZOLT Office 7000 Shared";
constexpr char16_t kConnection[] = u"\\\\PRINTSRV\\ZOLT Office 7000 Shared";
constexpr char16_t kPrintersKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

// What the machine holds: every file below the root (its size and a digest of its bytes) and
// every registry value of both hives (its type and data), by path.
struct MachineState {
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> registry;
};

std::string Digest(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  std::ostringstream s;
  s << bytes.size() << ":" << std::hex << h;
  return s.str();
}

void ReadKey(HKEY key, const std::string& path, std::map<std::string, std::string>& out) {
  for (DWORD i = 0;; ++i) {
    WCHAR name[16384];
    DWORD chars = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &chars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::string data(size, '\0');
    chars = 16384;
    RegEnumValueW(key, i, name, &chars, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    out[path + "\\" + host::ToUtf8(std::u16string_view(name, chars))] = std::to_string(type) + "/" + Digest(data);
  }
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD chars = 256;
    if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    const std::u16string subName(name, chars);
    if (RegOpenKeyExW(key, subName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    const std::string subPath = path + "\\" + host::ToUtf8(subName);
    out[subPath + "\\"] = "key";
    ReadKey(sub, subPath, out);
    RegCloseKey(sub);
  }
}

class SystemLifetime : public MachineTest {
 protected:
  void Install(const char16_t* driver, const char* model) {
    host::DriverInstall install;
    install.name = driver;
    install.moduleDir = ZOLT_MODULE_DIR;
    install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / model;
    std::string error;
    ASSERT_TRUE(host::InstallDriver(install, &error)) << error;
  }
  void Add(const char16_t* printer, const char16_t* driver) {
    host::PrinterSetup setup;
    setup.name = printer;
    setup.driver = driver;
    std::string error;
    ASSERT_TRUE(host::AddPrinter(setup, &error)) << error;
  }

  MachineState State() const {
    MachineState s;
    for (const auto& e : fs::recursive_directory_iterator(Root())) {
      if (!e.is_regular_file()) continue;
      const std::string rel = fs::relative(e.path(), Root()).string();
      // The hives are read through the registry; locks and port files are the host's own.
      if (rel.rfind("registry/", 0) == 0 || rel.rfind("locks/", 0) == 0 || rel.rfind("out/", 0) == 0) continue;
      s.files[rel] = Digest(ReadBytes(e.path()));
    }
    ReadKey(HKEY_LOCAL_MACHINE, "HKLM", s.registry);
    ReadKey(HKEY_CURRENT_USER, "HKCU", s.registry);
    return s;
  }

  // A printer-data value of a printer (empty when absent), read as a user does.
  std::u16string PrinterText(const std::u16string& printer, const char16_t* value) {
    std::u16string name = printer;
    HANDLE h = nullptr;
    if (!OpenPrinterW(name.data(), &h, nullptr)) return u"<no printer>";
    std::vector<BYTE> data(4096);
    DWORD type = 0, needed = 0;
    std::u16string text;
    if (GetPrinterDataW(h, const_cast<LPWSTR>(value), &type, data.data(), DWORD(data.size()), &needed) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
      text = reinterpret_cast<const char16_t*>(data.data());
    ClosePrinter(h);
    return text;
  }

  // The lines of the job-control module's file of a printer.
  std::map<std::string, std::string> JobItems(const std::u16string& printer) const {
    std::string file = host::ToUtf8(printer);
    for (char& c : file)
      if (c == '\\' || c == '/' || c == ':') c = '_';
    std::map<std::string, std::string> items;
    std::ifstream in(Root() / "jobcontrol" / (file + ".ini"));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t eq = line.find('=');
      if (eq != std::string::npos) items[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return items;
  }

  // An INI value of a Windows path of the machine, read as the driver reads it.
  std::u16string IniText(const std::u16string& file, const std::u16string& section, const char16_t* key) {
    WCHAR buf[1024] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"\x1", buf, 1024, file.c_str());
    return buf;
  }
  std::vector<std::u16string> IniSections(const std::u16string& file) {
    std::vector<WCHAR> buf(1 << 16);
    const DWORD n = GetPrivateProfileSectionNamesW(buf.data(), DWORD(buf.size()), file.c_str());
    std::vector<std::u16string> names;
    for (DWORD at = 0; at < n && buf[at];) {
      names.emplace_back(buf.data() + at);
      at += DWORD(names.back().size()) + 1;
    }
    return names;
  }

  // Files and values present in after and not in before, and those changed.
  static std::vector<std::string> Added(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after) {
    std::vector<std::string> out;
    for (const auto& [k, v] : after)
      if (!before.count(k)) out.push_back(k);
    return out;
  }
};

std::string Lines(const std::vector<std::string>& items) {
  std::string s;
  for (const auto& i : items) s += "  " + i + "\n";
  return s;
}

bool Contains(const std::vector<std::u16string>& list, const std::u16string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// The value names of a printer's driver data in a state.
std::vector<std::string> DriverData(const MachineState& s, const std::u16string& printer) {
  const std::string prefix = "HKLM\\" + host::ToUtf8(kPrintersKey) + "\\" + host::ToUtf8(printer) + "\\PrinterDriverData\\";
  std::vector<std::string> names;
  for (const auto& [k, v] : s.registry)
    if (k.rfind(prefix, 0) == 0) names.push_back(k.substr(prefix.size()));
  return names;
}

constexpr char16_t kSharedSettings[] = u"C:\\_zolt\\QVF9D170.ini";
constexpr char16_t kUserSettings[] = u"C:\\Users\\user\\_zolt\\QVF9D170.ini";

TEST_F(SystemLifetime, InstallAddConnectRenameUpgradeDelete) {
  // The driver for both models: the same modules, each driver with its model description.
  Install(kDriver7000, "ZOLT7000.QCS");
  Install(kDriver2100, "ZOLT2100.QCS");
  const MachineState installed = State();

  // Two local printers: each is prepared by the driver under its own name, with a section of
  // the shared settings file, its job-control registration and the compiled model beside the
  // model description; nothing goes into the user's folder.
  Add(kPrinter7000, kDriver7000);
  Add(kPrinter2100, kDriver2100);
  const MachineState added = State();
  for (const auto& [printer, driver] : {std::pair{kPrinter7000, kDriver7000}, std::pair{kPrinter2100, kDriver2100}}) {
    SCOPED_TRACE(host::ToUtf8(printer));
    EXPECT_EQ(PrinterText(printer, u"ZOLTPrinterName"), printer);
    EXPECT_EQ(PrinterText(printer, u"DriverName"), driver);
    EXPECT_TRUE(Contains(IniSections(kSharedSettings), printer));
    auto items = JobItems(printer);
    EXPECT_EQ(items["registered"], "1");
    EXPECT_TRUE(items.count("256")) << "the driver's identification item";
  }
  EXPECT_TRUE(added.files.count("drive_c/Windows/System32/spool/drivers/x64/3/ZOLT7000.BCS"));
  EXPECT_TRUE(added.files.count("drive_c/Windows/System32/spool/drivers/x64/3/ZOLT2100.BCS"));
  EXPECT_FALSE(fs::exists(Real(kUserSettings))) << "local printers keep no per-user copy";

  // The user's connection to a shared printer of a print server: a per-user copy of its
  // settings and its own job-control registration.
  host::PrinterSetup shared;
  shared.name = kSharedPrinter;
  shared.driver = kDriver7000;
  std::string error;
  ASSERT_TRUE(host::AddClientConnection({kServer, {}, false}, shared, &error)) << error;
  EXPECT_TRUE(Contains(IniSections(kUserSettings), kConnection));
  EXPECT_EQ(JobItems(kConnection)["registered"], "1");

  // A rename, then an application's next look at the printer's device mode.
  {
    std::u16string name = kPrinter2100;
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, &all));
    std::u16string renamed = kRenamed2100;
    ASSERT_TRUE(app::ChangePrinter(h, [&](PRINTER_INFO_2W& info) { info.pPrinterName = renamed.data(); }))
        << GetLastError();
    const LONG size = DocumentPropertiesW(nullptr, h, renamed.data(), nullptr, nullptr, 0);
    ASSERT_GT(size, 0);
    std::vector<BYTE> dm(static_cast<size_t>(size));
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, renamed.data(), reinterpret_cast<DEVMODEW*>(dm.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    ClosePrinter(h);
  }
  // The driver finds the printer under its new name: its stored name follows and the
  // settings are set up under the new name.
  const MachineState renamed = State();
  EXPECT_EQ(PrinterText(kRenamed2100, u"DriverName"), kDriver2100);
  EXPECT_EQ(PrinterText(kRenamed2100, u"ZOLTPrinterName"), kRenamed2100);
  EXPECT_TRUE(Contains(IniSections(kSharedSettings), kRenamed2100));

  // Upgrading the driver keeps every printer's driver data.
  Install(kDriver7000, "ZOLT7000.QCS");
  const MachineState upgraded = State();
  for (const std::u16string& printer : {std::u16string(kPrinter7000), std::u16string(kRenamed2100)}) {
    SCOPED_TRACE(host::ToUtf8(printer));
    const auto before = DriverData(renamed, printer), after = DriverData(upgraded, printer);
    EXPECT_FALSE(before.empty());
    for (const auto& value : before) EXPECT_TRUE(std::find(after.begin(), after.end(), value) != after.end()) << value;
  }
  EXPECT_EQ(PrinterText(kPrinter7000, u"ZOLTPrinterName"), kPrinter7000);

  // Deleting: the spooler removes the printers' keys and the connection; the driver removes
  // a deleted printer's identification items from job control and marks the connection's
  // settings as no longer installed. The settings files, the compiled models and the
  // deployed files stay, as the driver's rules keep them for the next installation.
  ASSERT_TRUE(host::DeletePrinter(kConnection, &error)) << error;
  ASSERT_TRUE(host::DeletePrinter(kPrinter7000, &error)) << error;
  ASSERT_TRUE(host::DeletePrinter(kRenamed2100, &error)) << error;
  const MachineState deleted = State();
  const auto printers = JobItems(kPrinter7000);
  for (const char* item : {"256", "257", "258"}) EXPECT_FALSE(printers.count(item)) << item;
  EXPECT_EQ(IniText(kSharedSettings, kConnection, u"DrvInstVersion"), u"");
  EXPECT_EQ(IniText(kSharedSettings, kConnection, u"BatchInstallDone"), u"0");

  std::vector<std::string> leftFiles, leftKeys;
  for (const auto& name : Added(installed.files, deleted.files))
    if (name.rfind("security/", 0) != 0 && name.rfind("jobcontrol/", 0) != 0) leftFiles.push_back(name);
  // The settings stay, with the user quality files of the driver's default scenario (their
  // installed defaults and the user's copies) in the shared and the per-user folders.
  std::vector<std::string> kept;
  for (char n = '0'; n <= '7'; ++n) kept.push_back(std::string("drive_c/Users/user/_zolt/Q000001") + n + ".rsq");
  for (const char* file : {"drive_c/Users/user/_zolt/QVF9D170.ini",
                           "drive_c/Windows/System32/spool/drivers/x64/3/ZOLT2100.BCS",
                           "drive_c/Windows/System32/spool/drivers/x64/3/ZOLT7000.BCS",
                           "drive_c/Windows/System32/zoltexc.DLL"})
    kept.push_back(file);
  for (char n = '0'; n <= '7'; ++n)
    for (const char* extension : {".rsq", ".rsr"}) kept.push_back(std::string("drive_c/_zolt/Q000001") + n + extension);
  kept.push_back("drive_c/_zolt/QV00C170.ini");
  kept.push_back("drive_c/_zolt/QVF9D170.ini");
  EXPECT_EQ(leftFiles, kept) << Lines(leftFiles);
  for (const auto& key : Added(installed.registry, deleted.registry))
    if (key.find("\\Printers\\") != std::string::npos && key.back() != '\\') leftKeys.push_back(key);
    else if (key.find("\\Printers\\Connections\\") != std::string::npos && key != "HKCU\\Printers\\Connections\\")
      leftKeys.push_back(key);
  EXPECT_TRUE(leftKeys.empty()) << Lines(leftKeys);
  for (const auto& key : Added(installed.registry, deleted.registry))
    EXPECT_EQ(key.find("ZOLT Office"), std::string::npos) << key;
}

}  // namespace
}  // namespace zolt::test
