// A machine for a benchmark program: made in a new temporary folder, used by the process, and
// removed when the object goes.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "win32/machine.h"

namespace zolt::bench {

class TempMachine {
 public:
  explicit TempMachine(const char* tag) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string("zolt-bench-") + tag + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) std::abort();
    root_ = pattern;
    if (!zolt::host::Machine::Create(root_)) std::abort();
    zolt::host::Machine::Use(root_);
  }
  ~TempMachine() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

}  // namespace zolt::bench
