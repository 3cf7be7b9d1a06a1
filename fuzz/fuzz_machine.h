// A machine for a fuzz target: made once in a new temporary folder, used by the process, and
// removed when the process ends. ZOLT_FUZZ_CODEPAGE chooses its ANSI code page.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

#include "win32/machine.h"

namespace zolt::fuzz {

inline std::filesystem::path& FuzzMachineRoot() {
  static std::filesystem::path root;
  return root;
}

inline void RemoveFuzzMachine() {
  std::error_code ec;
  std::filesystem::remove_all(FuzzMachineRoot(), ec);
}

inline std::filesystem::path MakeFuzzMachine(const char* tag) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string("zolt-fuzz-") + tag + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) std::abort();
  zolt::host::MachineFacts facts;
  if (const char* cp = std::getenv("ZOLT_FUZZ_CODEPAGE")) facts.ansiCodePage = static_cast<UINT>(std::atoi(cp));
  if (!zolt::host::Machine::Create(pattern, facts)) std::abort();
  zolt::host::Machine::Use(pattern);
  FuzzMachineRoot() = pattern;
  std::atexit(RemoveFuzzMachine);
  return pattern;
}

}  // namespace zolt::fuzz
