// Any bytes as a profile file: read every section, key and integer through the profile
// functions (wide and ANSI), with small and large buffers, and write one key back.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "win32/hosttext.h"
#include "fuzz_machine.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

fs::path g_file;
constexpr const char16_t* kIni = u"C:\\fuzz.ini";

// The strings of a double-NUL list of n characters.
std::vector<std::u16string> Split(const WCHAR* buf, DWORD n) {
  std::vector<std::u16string> out;
  for (DWORD i = 0; i < n;) {
    std::u16string s(buf + i);
    if (s.empty()) break;
    i += static_cast<DWORD>(s.size()) + 1;
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_file = zolt::fuzz::MakeFuzzMachine("profile") / "drive_c" / "fuzz.ini";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static WCHAR big[65536];
  WCHAR small[7];
  DWORD n = GetPrivateProfileSectionNamesW(big, 65536, kIni);
  if (n >= 65536) std::abort();
  GetPrivateProfileSectionNamesW(small, 7, kIni);
  std::vector<std::u16string> sections = Split(big, n);
  if (sections.size() > 8) sections.resize(8);
  for (const auto& section : sections) {
    DWORD k = GetPrivateProfileStringW(section.c_str(), nullptr, u"", big, 65536, kIni);
    std::vector<std::u16string> keys = Split(big, k);
    if (keys.size() > 16) keys.resize(16);
    GetPrivateProfileSectionW(section.c_str(), big, 65536, kIni);
    GetPrivateProfileSectionW(section.c_str(), small, 7, kIni);
    for (const auto& key : keys) {
      DWORD v = GetPrivateProfileStringW(section.c_str(), key.c_str(), u"dflt", big, 65536, kIni);
      if (v >= 65536 || big[v] != 0) std::abort();
      GetPrivateProfileStringW(section.c_str(), key.c_str(), u"dflt", small, 7, kIni);
      GetPrivateProfileIntW(section.c_str(), key.c_str(), 7, kIni);
      std::string a, b;
      zolt::host::WideToAnsi(zolt::host::Machine::Facts().ansiCodePage, section, a);
      zolt::host::WideToAnsi(zolt::host::Machine::Facts().ansiCodePage, key, b);
      char abuf[16];
      GetPrivateProfileStringA(a.c_str(), b.c_str(), "", abuf, sizeof abuf, "C:\\fuzz.ini");
      GetPrivateProfileIntA(a.c_str(), b.c_str(), 0, "C:\\fuzz.ini");
    }
  }
  // A write keeps the file readable and the value it wrote.
  if (!sections.empty()) {
    WritePrivateProfileStringW(sections[0].c_str(), u"FuzzKey", u"v", kIni);
    DWORD v = GetPrivateProfileStringW(sections[0].c_str(), u"FuzzKey", u"", big, 65536, kIni);
    if (std::u16string(big, v) != u"v") std::abort();
  }
  return 0;
}
