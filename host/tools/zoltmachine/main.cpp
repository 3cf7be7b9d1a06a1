// zoltmachine: makes and shows emulated Windows machines for the driver.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "win32/machine.h"

namespace fs = std::filesystem;
using zolt::host::Machine;
using zolt::host::MachineFacts;

namespace {

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
    "  demo           make a machine in a temporary folder, show it and remove it\n"
    "  --help         this text\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "zoltmachine: %s\n", message.c_str());
  return 1;
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

bool IsMachineRoot(const fs::path& root) { return fs::exists(root / "machine.ini"); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& cmd = args[0];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (cmd == "create") {
    if (args.size() < 2) return Fail("create needs a machine root");
    MachineFacts facts;
    for (size_t i = 2; i < args.size(); ++i) {
      const std::string& a = args[i];
      auto next = [&](const char* what) -> const char* {
        if (i + 1 >= args.size()) return nullptr;
        (void)what;
        return args[++i].c_str();
      };
      if (a == "--version") {
        const char* v = next("version");
        unsigned major = 0, minor = 0;
        if (!v || std::sscanf(v, "%u.%u", &major, &minor) != 2) return Fail("--version needs MAJOR.MINOR");
        facts.majorVersion = major;
        facts.minorVersion = minor;
      } else if (a == "--sp") {
        const char* v = next("sp");
        if (!v) return Fail("--sp needs a number");
        facts.servicePackMajor = static_cast<WORD>(std::atoi(v));
      } else if (a == "--terminal-server") {
        facts.suiteMask |= 0x10;
      } else if (a == "--codepage") {
        const char* v = next("codepage");
        if (!v) return Fail("--codepage needs a number");
        facts.ansiCodePage = static_cast<UINT>(std::atoi(v));
      } else if (a == "--user") {
        const char* v = next("user");
        if (!v || !*v) return Fail("--user needs a name");
        facts.userName = v;
      } else if (a == "--no-admin") {
        facts.userIsAdmin = false;
      } else {
        return Fail("unknown option " + a);
      }
    }
    if (!Machine::Create(args[1], facts)) return Fail("cannot create a machine at " + args[1]);
    Show(args[1]);
    return 0;
  }
  if (cmd == "show") {
    if (args.size() != 2) return Fail("show needs a machine root");
    if (!IsMachineRoot(args[1])) return Fail(args[1] + " is not a machine root");
    Show(args[1]);
    return 0;
  }
  if (cmd == "remove") {
    if (args.size() != 2) return Fail("remove needs a machine root");
    if (!IsMachineRoot(args[1])) return Fail(args[1] + " is not a machine root");
    std::error_code ec;
    fs::remove_all(args[1], ec);
    if (ec) return Fail("cannot remove " + args[1] + ": " + ec.message());
    return 0;
  }
  if (cmd == "demo") {
    std::string pattern = (fs::temp_directory_path() / "zolt-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return Fail("cannot make a temporary folder");
    fs::path root = pattern;
    if (!Machine::Create(root, MachineFacts{})) return Fail("cannot create a machine");
    Show(root);
    std::printf("\nfiles of the machine:\n");
    for (const auto& e : fs::recursive_directory_iterator(root))
      std::printf("  %s%s\n", fs::relative(e.path(), root).c_str(), e.is_directory() ? "/" : "");
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
  }
  std::fprintf(stderr, "zoltmachine: unknown command %s\n\n%s", cmd.c_str(), kUsage);
  return 2;
}
