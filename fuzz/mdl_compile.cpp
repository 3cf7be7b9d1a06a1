// Compiles arbitrary bytes as a model description. Every name resolves (the option symbol
// tables may still be placeholders), so that the handlers behind the names are reached. The
// machine runs a double-byte ANSI code page, so that lead bytes are met too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <string>

#include "mdl_compile.h"
#include "option_table.h"
#include "win32/machine.h"

namespace {

std::map<std::string, NameEntry, std::less<>> gNames;
std::map<std::string, ValueNameEntry, std::less<>> gValues;
std::deque<std::string> gStrings;

const NameEntry* FindName(const char* name) {
  if (const NameEntry* e = OptFindSymbolByName(name)) return e;
  if (std::strncmp(name, "ZPD_", 4) != 0) return nullptr;
  auto it = gNames.find(name);
  if (it == gNames.end()) {
    if (gNames.size() > 4096) return nullptr;
    uint16_t n = static_cast<uint16_t>(gNames.size() + 1);
    const char* kept = gStrings.emplace_back(name).c_str();
    // Spread the option IDs over the three direct slot ranges and beyond.
    static const uint16_t kBases[] = {1, 720, 10001, 2000};
    it = gNames.emplace(kept, NameEntry{static_cast<uint16_t>(kBases[n % 4] + n % 400), n, kept}).first;
  }
  return &it->second;
}

const ValueNameEntry* FindValue(const char* name) {
  if (const ValueNameEntry* e = OptFindValueSymbolByName(name)) return e;
  if (!name[0] || !std::strchr(name, '_')) return nullptr;
  auto it = gValues.find(name);
  if (it == gValues.end()) {
    if (gValues.size() > 4096) return nullptr;
    const char* kept = gStrings.emplace_back(name).c_str();
    it = gValues.emplace(kept, ValueNameEntry{0, 0, static_cast<uint32_t>(gValues.size() + 1), 1, kept, 0}).first;
  }
  return &it->second;
}

const MdlSymbolLookups kLookups = {FindName, FindValue, nullptr, nullptr, nullptr};

}  // namespace

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
  MdlSetSymbolLookups(&kLookups);
  if (CompileContext* ctx = MdlCompileBytes(data, size)) MdlFreeCompileContext(ctx);
  return 0;
}
