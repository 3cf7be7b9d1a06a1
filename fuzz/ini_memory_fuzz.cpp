// Any bytes as a settings file read through the in-memory reader: every section header and key
// line of the file is looked up, keys in file order and in reverse order (so the cursor wraps),
// with small and large buffers; each value found is appended to a section text and read back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ini_file.h"
#include "fuzz_machine.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

fs::path g_file;

std::u16string Wide(const std::string& bytes) {
  if (bytes.empty()) return {};
  std::u16string out(bytes.size() + 1, u'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                                    static_cast<int>(out.size()));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

// The names between '[' and ']' at line starts, and the texts before '=' of the other lines.
void Names(const char* image, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  for (const char* line = image; *line;) {
    const char* end = line;
    while (*end && *end != '\n') ++end;
    const std::string text(line, end);
    if (!text.empty() && text[0] == '[') {
      const size_t close = text.find(']');
      if (close != std::string::npos) sections.push_back(text.substr(1, close - 1));
    } else if (const size_t eq = text.find('='); eq != std::string::npos && eq > 0) {
      keys.push_back(text.substr(0, eq));
    }
    line = *end ? end + 1 : end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_file = zolt::fuzz::MakeFuzzMachine("ini-memory") / "drive_c" / "fuzz.ini";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  char* image = IniLoadFile(u"C:\\fuzz.ini", 0);
  if (!image) std::abort();  // a readable absolute path always loads
  std::vector<std::string> sections;
  std::vector<std::string> keys;
  Names(image, sections, keys);
  sections.push_back("");
  if (keys.size() > 64) keys.resize(64);
  if (sections.size() > 16) sections.resize(16);

  IniSectionText text;
  if (!IniSectionTextInit(&text, 64)) std::abort();
  int32_t appendCursor = 0;
  for (const std::string& section : sections) {
    const char* body = IniFindSection(Wide(section).c_str(), image);
    if (!body) continue;
    const size_t bodyLength = std::strlen(body);
    for (int pass = 0; pass < 2; ++pass) {
      int32_t cursor = 0;
      for (size_t i = 0; i < keys.size(); ++i) {
        const std::u16string key = Wide(keys[pass ? keys.size() - 1 - i : i]);
        WCHAR small[4];
        WCHAR large[512];
        const WORD n = IniReadStringMem(key.c_str(), u"d", pass ? small : large, pass ? 4 : 512, body, &cursor);
        if (n >= (pass ? 4 : 512) || cursor < 0 || static_cast<size_t>(cursor) > bodyLength) std::abort();
        IniReadIntMem(key.c_str(), -1, body, &cursor);
        if (!pass && !IniAppendKeyMem(&appendCursor, key.c_str(), large, &text)) std::abort();
      }
    }
  }
  if (appendCursor != static_cast<int32_t>(std::strlen(text.data))) std::abort();
  IniSectionTextFree(&text);
  IniFreeFile(image);
  return 0;
}
