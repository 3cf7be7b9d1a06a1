// The machine: one emulated Windows computer whose whole state lives under a machine root.
//
// This is the host's C++ interface for tests and tools (not a platform call). A process uses
// the machine named by ZOLT_MACHINE_ROOT, or the one chosen with Machine::Use. Facts that
// machine.ini leaves out take the defaults below.
#pragma once

#include <filesystem>
#include <string>

#include "win32/base.h"

namespace zolt::host {

struct MachineFacts {
  DWORD majorVersion = 10;
  DWORD minorVersion = 0;
  DWORD buildNumber = 19045;
  DWORD platformId = 2;  // VER_PLATFORM_WIN32_NT; 1 is the Windows 9x family
  WORD servicePackMajor = 0;
  WORD servicePackMinor = 0;
  BYTE productType = 1;  // VER_NT_WORKSTATION 1, DOMAIN_CONTROLLER 2, SERVER 3
  WORD suiteMask = 0;    // VER_SUITE_TERMINAL 0x10 makes a terminal server
  UINT ansiCodePage = 1252;
  UINT oemCodePage = 437;
  LCID userLocale = 0x0409;
  std::string userName = "user";
  bool userIsAdmin = true;
  std::string computerName = "ZOLTHOST";
  // Empty: derived from the version ("C:\Windows", "C:\WINDOWS" for XP/2003, "C:\WINNT" for 2000).
  std::string windowsDir;
  // Empty: <windows dir>\System32\spoolsv.exe.
  std::string hostImage;
  // Minutes to add to local time to get UTC (the platform's Bias).
  LONG timeZoneBias = 0;

  // Derived paths (Windows form, no trailing backslash).
  std::string WindowsDirectory() const;
  std::string SystemDirectory() const;
  std::string HostImage() const;
  std::string ProfilesDirectory() const;  // C:\Users or C:\Documents and Settings
  std::string UserProfileDirectory() const;
  std::string DriverDirectory() const;  // <system>\spool\drivers\x64\3
  bool IsTerminalServer() const { return (suiteMask & 0x10) != 0; }
};

class Machine {
 public:
  // Makes a machine root with these facts: machine.ini and the folder tree of drive C.
  // An existing root keeps its other contents. Returns false when the root cannot be written.
  static bool Create(const std::filesystem::path& root, const MachineFacts& facts = {});
  // Chooses the machine of this process (and of the processes it starts, through
  // ZOLT_MACHINE_ROOT). Drops every cached fact of the previous one.
  static void Use(const std::filesystem::path& root);
  // The machine in use: Use(), else ZOLT_MACHINE_ROOT, else a machine under the system's
  // temporary folder made on first use.
  static const std::filesystem::path& Root();
  static const MachineFacts& Facts();
  // Re-reads machine.ini (after a tool or another process changed it).
  static void Reload();
  // Writes facts to machine.ini of the machine in use and reloads them.
  static bool SetFacts(const MachineFacts& facts);
  // Grows each time the process changes machine (Use, Reload, SetFacts): areas that cache
  // machine state compare it to drop what they hold.
  static uint64_t Generation();
};

// Reads and writes the facts file itself (machine.ini).
bool LoadMachineFacts(const std::filesystem::path& root, MachineFacts& out);
bool SaveMachineFacts(const std::filesystem::path& root, const MachineFacts& facts);

}  // namespace zolt::host
