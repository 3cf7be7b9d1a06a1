// Compiles arbitrary bytes as a model description. Every name resolves (the option symbol
// tables may still be placeholders), so that the handlers behind the names are reached. The
// machine runs a double-byte ANSI code page, so that lead bytes are met too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "mdl_compile.h"
#include "mdl_fuzz_symbols.h"
#include "option_table.h"
#include "win32/machine.h"

static std::filesystem::path gMachine;

static void RemoveMachine() {
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-mdl-" + std::to_string(getpid()));
  zolt::host::MachineFacts facts;
  facts.ansiCodePage = 932;
  if (zolt::host::Machine::Create(gMachine, facts)) {
    zolt::host::Machine::Use(gMachine);
    std::atexit(RemoveMachine);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mdl_fuzz::ForgetSymbols();
  MdlSetSymbolLookups(&mdl_fuzz::kLookups);
  if (CompileContext* ctx = MdlCompileBytes(data, size)) MdlFreeCompileContext(ctx);
  return 0;
}
