// Text that reaches the host's string, path and find calls from settings and printer data:
// find patterns, environment references, numbers, names to compare and paths to complete,
// printer names, conversions to a code page and command lines of programs.
// The first 16-bit unit chooses the call, the rest is the text.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "win32/hostpath.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace {

struct FuzzMachine {
  std::filesystem::path root;
  FuzzMachine() {
    root = zolt::fuzz::MakeFuzzMachine("host-text");
    auto data = root / "drive_c" / "Data";
    std::filesystem::create_directories(data / "sub.dir");
    for (const char* name : {"a.txt", "B.TXT", "abc", "a.b.c", "x.txtx", ".hidden", "readme.", "tool.exe"})
      std::ofstream(data / name) << name;
    HANDLE printer = zolt::fuzz::MakeFuzzPrinter(root, u"Fuzz Printer");
    if (!printer) std::abort();
    ClosePrinter(printer);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzMachine machine;
  if (size < 2) return 0;
  std::u16string text;
  for (size_t i = 2; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  for (char16_t& c : text)
    if (c == 0) c = u'?';
  const unsigned choice = data[0] | (data[1] << 8);
  switch (choice % 9) {
    case 0: {
      std::u16string path = u"C:\\Data\\" + text;
      WIN32_FIND_DATAW d;
      HANDLE h = FindFirstFileW(path.c_str(), &d);
      if (h != INVALID_HANDLE_VALUE) {
        while (FindNextFileW(h, &d)) {
        }
        FindClose(h);
      }
      break;
    }
    case 1: {
      DWORD need = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
      std::u16string out(need, u'#');
      if (ExpandEnvironmentStringsW(text.c_str(), out.data(), need) != need || out[need - 1] != 0) std::abort();
      WCHAR small[4];
      ExpandEnvironmentStringsW(text.c_str(), small, 4);
      break;
    }
    case 2: {
      WCHAR* end = nullptr;
      wcstoul(text.c_str(), &end, text.empty() ? 0 : text[0] % 37);
      if (end < text.c_str() || end > text.c_str() + text.size()) std::abort();
      wcstol(text.c_str(), &end, 0);
      _wtoi(text.c_str());
      _wtoi64(text.c_str());
      break;
    }
    case 3: {
      std::u16string a = text.substr(0, text.size() / 2), b = text.substr(text.size() / 2);
      if (lstrcmpW(a.c_str(), b.c_str()) != -lstrcmpW(b.c_str(), a.c_str())) std::abort();
      if (lstrcmpiW(a.c_str(), b.c_str()) != -lstrcmpiW(b.c_str(), a.c_str())) std::abort();
      if (lstrcmpiW(a.c_str(), a.c_str()) != 0) std::abort();
      _wcsicmp(a.c_str(), b.c_str());
      break;
    }
    case 4: {
      WCHAR buf[MAX_PATH];
      LPWSTR part = nullptr;
      DWORD n = GetFullPathNameW(text.c_str(), MAX_PATH, buf, &part);
      if (n < MAX_PATH && part && (part < buf || part > buf + n)) std::abort();
      break;
    }
    case 5: {
      // A format from a resource: every argument is a valid string, so that any conversion
      // reads something harmless; at most as many conversions as arguments.
      size_t percents = 0;
      for (char16_t c : text) percents += c == u'%';
      if (percents > 8) break;
      const WCHAR* s = u"arg";
      WCHAR out[1025 + 1];
      out[1025] = 0x7777;
      int n = wsprintfW(out, text.c_str(), s, s, s, s, s, s, s, s);
      if (n < 0 || n > 1024 || out[n] != 0 || out[1025] != 0x7777) std::abort();
      std::string narrow;
      for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : 'x';
      char outA[1025];
      wsprintfA(outA, narrow.c_str(), s, s, s, s, s, s, s, s);
      break;
    }
    case 6: {
      // A printer name as a caller gives it: plain, on a server, with the spooler's suffixes.
      std::u16string name = text;
      HANDLE printer = nullptr;
      if (OpenPrinterW(name.data(), &printer, nullptr)) ClosePrinter(printer);
      PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
      if (OpenPrinterW(name.data(), &printer, &defaults)) ClosePrinter(printer);
      break;
    }
    case 7: {
      // Conversion to a code page: the size asked first is what the conversion then writes, and
      // a smaller buffer is never written past.
      static constexpr UINT kCodePages[] = {CP_ACP, 1252, 932, 936, 949, 950, CP_UTF8, 1251};
      const UINT cp = kCodePages[(choice / 9) % 8];
      const DWORD flags = (choice & 0x8000) && cp != CP_UTF8 ? WC_NO_BEST_FIT_CHARS : 0;
      const int length = (choice & 0x4000) ? -1 : static_cast<int>(text.size());
      BOOL usedDefault = FALSE;
      BOOL* used = cp == CP_UTF8 ? nullptr : &usedDefault;
      const int need = WideCharToMultiByte(cp, flags, text.c_str(), length, nullptr, 0, nullptr, used);
      if (need < 0) std::abort();
      std::string out(static_cast<size_t>(need) + 8, '\x7f');
      if (need > 0 && WideCharToMultiByte(cp, flags, text.c_str(), length, out.data(), need, nullptr, used) != need)
        std::abort();
      for (size_t i = static_cast<size_t>(need); i < out.size(); ++i)
        if (out[i] != '\x7f') std::abort();
      if (need > 1) {
        std::string small(static_cast<size_t>(need) / 2 + 8, '\x7f');
        const int cut = need / 2;
        if (WideCharToMultiByte(cp, flags, text.c_str(), length, small.data(), cut, "?", used) > cut) std::abort();
        for (size_t i = static_cast<size_t>(cut); i < small.size(); ++i)
          if (small[i] != '\x7f') std::abort();
      }
      break;
    }
    case 8: {
      // A command line whose first word names the program; no program is registered on this
      // machine, so nothing runs.
      std::u16string line = text;
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION info{};
      if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        std::abort();
      SetCurrentDirectoryW(u"C:\\Data");
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, u"C:\\Data", &startup, &info);
      break;
    }
  }
  return 0;
}
