// The machine root, its facts file and its folder tree.
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include "win32/hosttext.h"
#include "win32/machine.h"

namespace fs = std::filesystem;

namespace zolt::host {

std::string MachineFacts::WindowsDirectory() const {
  if (!windowsDir.empty()) return windowsDir;
  if (platformId == 1) return "C:\\WINDOWS";
  if (majorVersion >= 6) return "C:\\Windows";
  if (majorVersion == 5 && minorVersion == 0) return "C:\\WINNT";
  return "C:\\WINDOWS";
}

std::string MachineFacts::SystemDirectory() const {
  if (platformId == 1) return WindowsDirectory() + "\\SYSTEM";
  return WindowsDirectory() + (majorVersion >= 6 ? "\\System32" : "\\system32");
}

std::string MachineFacts::HostImage() const {
  return hostImage.empty() ? SystemDirectory() + "\\spoolsv.exe" : hostImage;
}

std::string MachineFacts::ProfilesDirectory() const {
  return majorVersion >= 6 ? "C:\\Users" : "C:\\Documents and Settings";
}

std::string MachineFacts::UserProfileDirectory() const { return ProfilesDirectory() + "\\" + userName; }

std::string MachineFacts::DriverDirectory() const { return SystemDirectory() + "\\spool\\drivers\\x64\\3"; }

namespace {

struct State {
  std::recursive_mutex lock;
  fs::path root;
  bool haveRoot = false;
  MachineFacts facts;
  // Read without the lock by Facts and Generation, which every profile read and registry read
  // asks; written under it.
  std::atomic<bool> haveFacts{false};
  std::atomic<uint64_t> generation{1};
};

State& TheState() {
  static State* s = new State;
  return *s;
}

std::string Trim(std::string s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  size_t e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

long long ParseNumber(const std::string& v, long long fallback) {
  if (v.empty()) return fallback;
  char* end = nullptr;
  long long n = std::strtoll(v.c_str(), &end, 0);
  return (end && *end == '\0') ? n : fallback;
}

// Real folder of a Windows path on drive C, made from its components as spelled.
fs::path RealOfDriveC(const fs::path& root, const std::string& winPath) {
  fs::path p = root / "drive_c";
  std::string rest = winPath.size() > 3 ? winPath.substr(3) : std::string();
  std::stringstream ss(rest);
  std::string part;
  while (std::getline(ss, part, '\\'))
    if (!part.empty()) p /= part;
  return p;
}

}  // namespace

bool LoadMachineFacts(const fs::path& root, MachineFacts& out) {
  out = MachineFacts{};
  std::ifstream in(root / "machine.ini", std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '[') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    for (auto& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (key == "majorversion") out.majorVersion = static_cast<DWORD>(ParseNumber(value, out.majorVersion));
    else if (key == "minorversion") out.minorVersion = static_cast<DWORD>(ParseNumber(value, out.minorVersion));
    else if (key == "buildnumber") out.buildNumber = static_cast<DWORD>(ParseNumber(value, out.buildNumber));
    else if (key == "platformid") out.platformId = static_cast<DWORD>(ParseNumber(value, out.platformId));
    else if (key == "servicepackmajor") out.servicePackMajor = static_cast<WORD>(ParseNumber(value, out.servicePackMajor));
    else if (key == "servicepackminor") out.servicePackMinor = static_cast<WORD>(ParseNumber(value, out.servicePackMinor));
    else if (key == "producttype") out.productType = static_cast<BYTE>(ParseNumber(value, out.productType));
    else if (key == "suitemask") out.suiteMask = static_cast<WORD>(ParseNumber(value, out.suiteMask));
    else if (key == "ansicodepage") out.ansiCodePage = static_cast<UINT>(ParseNumber(value, out.ansiCodePage));
    else if (key == "oemcodepage") out.oemCodePage = static_cast<UINT>(ParseNumber(value, out.oemCodePage));
    else if (key == "userlocale") out.userLocale = static_cast<LCID>(ParseNumber(value, out.userLocale));
    else if (key == "username" && !value.empty()) out.userName = value;
    else if (key == "userisadmin") out.userIsAdmin = ParseNumber(value, out.userIsAdmin) != 0;
    else if (key == "computername" && !value.empty()) out.computerName = value;
    else if (key == "windowsdirectory") out.windowsDir = value;
    else if (key == "hostimage") out.hostImage = value;
    else if (key == "timezonebias") out.timeZoneBias = static_cast<LONG>(ParseNumber(value, out.timeZoneBias));
  }
  return true;
}

bool SaveMachineFacts(const fs::path& root, const MachineFacts& f) {
  std::ostringstream o;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(f.userLocale));
  o << "[Machine]\r\n"
    << "MajorVersion=" << f.majorVersion << "\r\n"
    << "MinorVersion=" << f.minorVersion << "\r\n"
    << "BuildNumber=" << f.buildNumber << "\r\n"
    << "PlatformId=" << f.platformId << "\r\n"
    << "ServicePackMajor=" << f.servicePackMajor << "\r\n"
    << "ServicePackMinor=" << f.servicePackMinor << "\r\n"
    << "ProductType=" << unsigned(f.productType) << "\r\n"
    << "SuiteMask=" << f.suiteMask << "\r\n"
    << "AnsiCodePage=" << f.ansiCodePage << "\r\n"
    << "OemCodePage=" << f.oemCodePage << "\r\n"
    << "UserLocale=" << hex << "\r\n"
    << "UserName=" << f.userName << "\r\n"
    << "UserIsAdmin=" << (f.userIsAdmin ? 1 : 0) << "\r\n"
    << "ComputerName=" << f.computerName << "\r\n"
    << "WindowsDirectory=" << f.windowsDir << "\r\n"
    << "HostImage=" << f.hostImage << "\r\n"
    << "TimeZoneBias=" << f.timeZoneBias << "\r\n";
  std::error_code ec;
  fs::create_directories(root, ec);
  fs::path tmp = root / ("machine.ini.tmp" + std::to_string(getpid()));
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << o.str();
    if (!out.flush()) return false;
  }
  fs::rename(tmp, root / "machine.ini", ec);
  return !ec;
}

bool Machine::Create(const fs::path& root, const MachineFacts& facts) {
  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) return false;
  if (!SaveMachineFacts(root, facts)) return false;
  for (const char* sub : {"registry", "locks", "out"}) fs::create_directories(root / sub, ec);
  const std::string dirs[] = {
      facts.WindowsDirectory() + "\\Temp",
      facts.SystemDirectory() + "\\spool\\drivers\\x64\\3",
      facts.SystemDirectory() + "\\spool\\PRINTERS",
      facts.majorVersion >= 6 ? facts.UserProfileDirectory() + "\\AppData\\LocalLow"
                              : facts.UserProfileDirectory() + "\\Local Settings\\Application Data",
      facts.majorVersion >= 6 ? facts.UserProfileDirectory() + "\\Documents"
                              : facts.UserProfileDirectory() + "\\My Documents",
      "C:\\Program Files",
  };
  for (const auto& d : dirs) {
    fs::create_directories(RealOfDriveC(root, d), ec);
    if (ec) return false;
  }
  // The host process image exists, so that module-name questions find a real file.
  fs::path image = RealOfDriveC(root, facts.HostImage());
  if (!fs::exists(image)) std::ofstream(image, std::ios::binary).put('\0');
  fs::path explorer = RealOfDriveC(root, facts.WindowsDirectory() + "\\explorer.exe");
  if (!fs::exists(explorer)) std::ofstream(explorer, std::ios::binary).put('\0');
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (s.haveRoot && s.root == root) {
    s.haveFacts = false;
    ++s.generation;
  }
  return true;
}

void Machine::Use(const fs::path& root) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  s.root = root;
  s.haveRoot = true;
  s.haveFacts = false;
  ++s.generation;
  ::setenv("ZOLT_MACHINE_ROOT", root.c_str(), 1);
}

const fs::path& Machine::Root() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.haveRoot) {
    const char* env = std::getenv("ZOLT_MACHINE_ROOT");
    if (env && *env) {
      s.root = env;
    } else {
      s.root = fs::temp_directory_path() / ("zolt-machine-" + std::to_string(getuid()));
      ::setenv("ZOLT_MACHINE_ROOT", s.root.c_str(), 1);
    }
    s.haveRoot = true;
    if (!fs::exists(s.root / "machine.ini")) {
      MachineFacts defaults;
      Create(s.root, defaults);
    }
  }
  return s.root;
}

const MachineFacts& Machine::Facts() {
  State& s = TheState();
  if (s.haveFacts.load(std::memory_order_acquire)) return s.facts;
  std::lock_guard guard(s.lock);
  if (!s.haveFacts) {
    const fs::path& root = Root();
    LoadMachineFacts(root, s.facts);
    s.haveFacts = true;
    // A missing drive C tree is created on first use.
    if (!fs::exists(root / "drive_c")) Create(root, s.facts);
  }
  return s.facts;
}

void Machine::Reload() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  s.haveFacts = false;
  ++s.generation;
}

bool Machine::SetFacts(const MachineFacts& facts) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!SaveMachineFacts(Root(), facts)) return false;
  s.haveFacts = false;
  ++s.generation;
  return true;
}

uint64_t Machine::Generation() { return TheState().generation.load(std::memory_order_acquire); }

}  // namespace zolt::host
