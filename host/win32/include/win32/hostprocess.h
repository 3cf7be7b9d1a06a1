// The programs of the machine, for tests and tools (the host's C++ interface, not a platform
// call): what a program does when CreateProcessW starts it, and the record of every start.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

// One start of a program, as CreateProcessW received it.
struct ProgramLaunch {
  std::u16string program;           // the program's Windows path as found on the machine
  std::u16string commandLine;       // empty when none was given
  std::u16string currentDirectory;  // Windows path
  DWORD creationFlags = 0;
  DWORD startupFlags = 0;           // STARTUPINFOW dwFlags
  WORD showWindow = 0;              // STARTUPINFOW wShowWindow
  DWORD processId = 0;
};

// The body of a program: runs on a thread of its own; its result is the exit code.
using ProgramBody = std::function<DWORD(const ProgramLaunch&)>;

// Registers what the program at this Windows path does (matched case-insensitively after
// mapping, so "C:\WINDOWS\x.exe" and "c:\windows\X.EXE" are one program). The file itself must
// exist on the machine for CreateProcessW to start it. Replaces an earlier registration.
void RegisterProgram(std::u16string_view windowsPath, ProgramBody body);
// Forgets every registered program and launch record.
void ResetPrograms();
// Every start so far, in order.
std::vector<ProgramLaunch> ProgramLaunches();

}  // namespace zolt::host
