// Any text as the printer's section of the administrator's installation file and of the
// installation-defaults file: the set-up test, the user code, identities, authentication values,
// folder and spool keys and the pending defaults are read and applied. Nothing may be read or
// written outside the buffers and options, over-long values must never be cut into other values,
// and the keys the driver consumes must be gone afterwards.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "admin_install.h"
#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "install_defaults.h"
#include "option_access.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kPrinterName[] = u"Fuzz Printer";
constexpr uint16_t kLogCode = 10003;

HANDLE g_printer = nullptr;
DriverContext* g_ctx = nullptr;
WCHAR g_adminIni[MAX_PATH] = {};
WCHAR g_defaultsIni[MAX_PATH] = {};

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
  if (g_printer) ClosePrinter(g_printer);
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void PutFile(const WCHAR* windowsPath, const std::string& bytes) {
  HANDLE file = CreateFileW(windowsPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) std::abort();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  // The profile functions keep a cached copy of a file they read: the new input must be seen.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, windowsPath);
}

bool KeyGone(const WCHAR* key) {
  WCHAR value[8] = {};
  GetPrivateProfileStringW(kPrinterName, key, u"<gone>", value, 8, g_adminIni);
  return std::u16string(value) == u"<gone>";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path root = zolt::fuzz::MakeFuzzMachine("admin-install");
  g_printer = zolt::fuzz::MakeFuzzPrinter(root, kPrinterName);
  if (!g_printer) std::abort();
  g_ctx = zolt::fuzz::MakeFuzzContext(g_printer);
  if (!PathGetAdminIniInto(g_adminIni, MAX_PATH) || !PathGetInstallDefaultsIni(g_defaultsIni, g_ctx)) std::abort();
  const std::u16string folder(g_defaultsIni, std::u16string_view(g_defaultsIni).rfind(u'\\'));
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(u"C:\\Spool", nullptr);
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::string text = "[Fuzz Printer]\r\n" + std::string(reinterpret_cast<const char*>(data), size);
  PutFile(g_adminIni, text);
  PutFile(g_defaultsIni, text);

  CfgSectionLacksSetupKeys(g_adminIni, kPrinterName);
  WCHAR scenario[MAX_PATH] = {};
  if (CfgReadBatchDefaultRst(scenario, g_ctx)) {
    Require(scenario[0] && std::char_traits<char16_t>::length(scenario) < MAX_PATH);
    PathCompleteFromDriverDir(scenario, MAX_PATH, g_ctx);
    Require(std::char_traits<char16_t>::length(scenario) < MAX_PATH);
  }
  int32_t touched = 0;
  Require(CfgApplyAdminUserCode(g_adminIni, kPrinterName, &touched, g_ctx) == 1);
  CfgApplyAdminIdentity(g_adminIni, kPrinterName, g_ctx);
  CfgApplyAdminIniDirectoryKeys(g_printer, kPrinterName, nullptr);
  CfgApplySpoolDirectoryKeys(g_adminIni, kPrinterName, g_ctx, kKeepTimeAlways);
  for (const WCHAR* key : {kAdminSetUserCodeKey, kAdminAuthNetworkKeyKey, kAdminSharedDirKey, kAdminSpoolDirKey})
    Require(KeyGone(key));

  // A user code is digits only and at most eight of them.
  WCHAR code[16] = {};
  OptGetStringValue(g_ctx, OptFind(g_ctx, kLogCode), code, 16);
  Require(std::char_traits<char16_t>::length(code) <= 8);

  g_ctx->workArea->installDefaults = {};
  if (CfgLoadPendingInstallDefaults(g_ctx)) {
    const InstallDefaults& d = g_ctx->workArea->installDefaults;
    Require(d.userCodeString[8] == u'\0');
  }
  return 0;
}
