// QVPNInf.dll: tells the driver which job notifications (bit 0 job completed, bit 1 job
// failed) the user can have for a printer and which of them are switched on.
//
// The answers come from "QVPNInf.ini" beside the module in the system directory, one section
// per printer name (as the driver passes it):
//
//   [ZOLT Office 7000]
//   Capability=3      what the printer supports
//   Value=1           what is switched on
//
// A missing file, section or key fails the call with ERROR_FILE_NOT_FOUND. The value call
// answers for the printer of the last capability call that succeeded (ERROR_INVALID_FUNCTION
// before one). Every call is counted in section [Calls] of the file ("Capability", "Value"),
// so that a test or tool can see which exports the driver used.
#include <cstring>
#include <mutex>
#include <string>

#include "win32/windows.h"

namespace {

constexpr UINT kMissing = 0xFFFFFFFFu;  // no number can be this and fit the bits asked for

std::mutex g_lock;
std::u16string g_printer;  // the printer of the last successful capability call

std::u16string DataFile() {
  WCHAR dir[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::u16string(dir, n) + u"\\QVPNInf.ini";
}

bool FileExists(const std::u16string& file) {
  return !file.empty() && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Count(const std::u16string& file, const WCHAR* key) {
  if (!FileExists(file)) return;
  const UINT n = GetPrivateProfileIntW(u"Calls", key, 0, file.c_str());
  WCHAR text[16];
  wsprintfW(text, u"%u", n + 1);
  WritePrivateProfileStringW(u"Calls", key, text, file.c_str());
}

// The number of key in the printer's section; false when the file, section or key is missing.
bool Answer(const std::u16string& file, const std::u16string& printer, const WCHAR* key, DWORD* out) {
  if (!FileExists(file) || printer.empty()) return false;
  const UINT n = GetPrivateProfileIntW(printer.c_str(), key, static_cast<INT>(kMissing), file.c_str());
  if (n == kMissing) return false;
  *out = n;
  return true;
}

std::u16string WideName(const char* ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (n <= 1) return {};
  std::u16string name(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, name.data(), n);
  name.resize(static_cast<size_t>(n - 1));
  return name;
}

}  // namespace

ZOLT_EXPORT int WINAPI QVGetPrintNotificationCapability(const char* printerName, DWORD* capability) {
  if (!printerName || !capability) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  const std::u16string file = DataFile();
  Count(file, u"Capability");
  const std::u16string printer = WideName(printerName);
  if (!Answer(file, printer, u"Capability", capability)) return ERROR_FILE_NOT_FOUND;
  g_printer = printer;
  return 0;
}

ZOLT_EXPORT int WINAPI QVGetPrintNotificationValue(DWORD* value) {
  if (!value) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  const std::u16string file = DataFile();
  Count(file, u"Value");
  if (g_printer.empty()) return ERROR_INVALID_FUNCTION;
  return Answer(file, g_printer, u"Value", value) ? 0 : ERROR_FILE_NOT_FOUND;
}
