// The driver's values in the printer's data and in the machine's registry: generic readers and
// writers, the driver keys written at installation and upgrade, the stored printer name, the
// print-log defaults and the small registry switches.
#include <utility>

#include "env_system.h"
#include "settings_paths.h"

namespace {

constexpr WCHAR kUserModeDriverValue[] = u"SPLUserModePrinterDriver";
constexpr WCHAR kDriverIniValue[] = u"DriverIniFileName";
constexpr WCHAR kGraphicsFileValue[] = u"DriverGRFileName";
constexpr WCHAR kEdFileValue[] = u"DriverEDFileName";
constexpr WCHAR kHelpFileValue[] = u"HelpFileName";
constexpr WCHAR kLogFileValue[] = u"LogFileName";
constexpr WCHAR kDriverNameValue[] = u"DriverName";
constexpr WCHAR kPermissionValue[] = u"Permission";
constexpr WCHAR kLogDirectoryValue[] = u"LogFileDirectory";
constexpr WCHAR kMaxLogSizeValue[] = u"MaxLogFileSize";
constexpr WCHAR kSaveDeviceSetupValue[] = u"SaveDeviceSetup";
constexpr DWORD kDefaultMaxLogSize = 64;
constexpr DWORD kStoredNameBytes = 522;
constexpr int kEdFileNameChars = 26;  // 25 characters and the terminator

// Size of a REG_SZ value with its terminator.
DWORD TextBytes(const WCHAR* text) { return (static_cast<DWORD>(lstrlenW(text)) + 1) * sizeof(WCHAR); }

// The part after the last "\" of path into out (MAX_PATH characters); 0 when there is none.
int CopyFileNamePart(WCHAR* out, const WCHAR* path) {
  if (!out || !path) return 0;
  const WCHAR* slash = nullptr;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\') slash = p;
  if (!slash) return 0;
  lstrcpynW(out, slash + 1, MAX_PATH);
  return 1;
}

// The file-name part of a path of DRIVER_INFO_3 (chosen by pick), from the context's own record
// or a fresh one.
template <typename Pick>
int DriverFileName(WCHAR* out, DriverContext* ctx, Pick pick) {
  if (!out || !ctx) return 0;
  if (ctx->workArea && ctx->workArea->driverInfo3) return CopyFileNamePart(out, pick(*ctx->workArea->driverInfo3));
  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(ctx->printer, 3));
  const int found = di3 ? CopyFileNamePart(out, pick(*di3)) : 0;
  MdlFreeMem(di3);
  return found;
}

// A text value read into a buffer of byteSize bytes, terminated inside it whatever was stored.
int ReadTextValue(HANDLE printer, WCHAR* buffer, DWORD byteSize, const WCHAR* valueName) {
  if (!buffer || byteSize < 2 * sizeof(WCHAR)) return 0;
  const DWORD chars = byteSize / sizeof(WCHAR);
  for (DWORD i = 0; i < chars; ++i) buffer[i] = u'\0';
  return PrnGetData(printer, buffer, (chars - 1) * sizeof(WCHAR), valueName, nullptr);
}

// Writes one text field of a printer record (the given one, or a fresh one).
int WritePrinterField(HANDLE printer, const PRINTER_INFO_2W* pi2, const WCHAR* valueName,
                      LPWSTR PRINTER_INFO_2W::*field) {
  void* fetched = nullptr;
  if (!pi2) {
    fetched = PrnGetPrinterInfo(printer, 2);
    pi2 = static_cast<const PRINTER_INFO_2W*>(fetched);
  }
  int written = 0;
  if (pi2 && pi2->*field) written = PrnSetString(printer, pi2->*field, TextBytes(pi2->*field), valueName, nullptr);
  MdlFreeMem(fetched);
  return written;
}

}  // namespace

// ---- Generic printer data ------------------------------------------------------------------

int PrnGetData(HANDLE printer, void* buffer, DWORD byteSize, const WCHAR* valueName, DriverContext*) {
  if (!buffer || byteSize == 0 || !valueName) return 0;
  DWORD type = 0;
  DWORD needed = 0;
  return GetPrinterDataW(printer, const_cast<LPWSTR>(valueName), &type, static_cast<LPBYTE>(buffer), byteSize,
                         &needed) == ERROR_SUCCESS
             ? 1
             : 0;
}

int PrnSetData(HANDLE printer, const void* data, DWORD byteSize, DWORD type, const WCHAR* valueName,
               DriverContext*) {
  if (!data || byteSize == 0 || !valueName) return 0;
  return SetPrinterDataW(printer, const_cast<LPWSTR>(valueName), type,
                         static_cast<LPBYTE>(const_cast<void*>(data)), byteSize) == ERROR_SUCCESS
             ? 1
             : 0;
}

int PrnSetBinary(HANDLE printer, const void* data, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx) {
  return PrnSetData(printer, data, byteSize, REG_BINARY, valueName, ctx);
}

int PrnSetString(HANDLE printer, const void* data, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx) {
  return PrnSetData(printer, data, byteSize, REG_SZ, valueName, ctx);
}

// ---- Driver keys ---------------------------------------------------------------------------

int PrnWriteDriverFileNames(HANDLE printer, DriverContext* ctx) {
  if (!ctx || !ctx->profile) return 0;
  int ok = 1;
  // These two are written without their terminator, as readers of the value expect.
  for (auto [name, value] : {std::pair{ctx->profile->userModeModuleName, kUserModeDriverValue},
                             std::pair{ctx->profile->settingsFileName, kDriverIniValue}}) {
    if (!name || !name[0]) continue;
    if (!PrnSetString(printer, name, static_cast<DWORD>(lstrlenW(name)) * sizeof(WCHAR), value, ctx)) ok = 0;
  }
  PrnWriteGraphicsFileName(ctx);
  PrnWriteEdFileName(ctx);
  return ok;
}

int PrnGetDriverFileName(WCHAR* out, DriverContext* ctx) {
  return DriverFileName(out, ctx, [](const DRIVER_INFO_3W& di3) { return di3.pDriverPath; });
}

int PrnGetHelpFileNameOfDriver(WCHAR* out, DriverContext* ctx) {
  return DriverFileName(out, ctx, [](const DRIVER_INFO_3W& di3) { return di3.pHelpFile; });
}

int PrnWriteGraphicsFileName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR* name = ctx->workArea->scratchText;
  name[0] = u'\0';
  if (!PrnGetDriverFileName(name, ctx)) return 0;
  return PrnSetString(ctx->printer, name, TextBytes(name), kGraphicsFileValue, ctx);
}

int PrnWriteEdFileName(DriverContext* ctx) {
  if (!ctx) return 0;
  WCHAR name[kEdFileNameChars] = {};
  const WCHAR* driverIni = PathGetDriverIni(ctx);
  if (driverIni && driverIni[0])
    GetPrivateProfileStringW(u"DriversFileName", kEdFileValue, u"", name, kEdFileNameChars, driverIni);
  return PrnSetString(ctx->printer, name, TextBytes(name), kEdFileValue, ctx);
}

int PrnWriteHelpFileName(DriverContext* ctx) {
  if (!ctx) return 0;
  WCHAR name[MAX_PATH] = {};
  if (!PrnGetHelpFileNameOfDriver(name, ctx)) return 0;
  return PrnSetString(ctx->printer, name, TextBytes(name), kHelpFileValue, ctx);
}

int PrnWriteLogFileName(int writeName, DriverContext* ctx) {
  if (!ctx) return 0;
  const int ensured = RegEnsurePrintLogDefaults(ctx);
  if (!writeName) return ensured;
  WCHAR name[MAX_PATH] = {};
  WCHAR logName[MAX_PATH] = {};
  if (!PrnGetDriverFileName(name, ctx) || !name[0] || !PathReplaceExtension(logName, name, u"log")) return 0;
  return PrnSetString(ctx->printer, logName, TextBytes(logName), kLogFileValue, ctx);
}

int PrnReadHelpFileNameOf(WCHAR* buffer, DWORD byteSize, HANDLE printer) {
  return ReadTextValue(printer, buffer, byteSize, kHelpFileValue);
}

int PrnReadHelpFileName(WCHAR* buffer, DWORD byteSize, DriverContext* ctx) {
  if (!ctx) return 0;
  return PrnReadHelpFileNameOf(buffer, byteSize, ctx->printer);
}

int PrnWriteStoredPrinterName(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  return WritePrinterField(printer, pi2, kStoredPrinterNameValue, &PRINTER_INFO_2W::pPrinterName);
}

int PrnReadStoredPrinterNameOf(HANDLE printer, WCHAR* out) {
  if (!out) return 0;
  // 522 bytes of a 261-character buffer: the name is terminated even when it fills it.
  return ReadTextValue(printer, out, kStoredNameBytes, kStoredPrinterNameValue);
}

int PrnReadStoredPrinterName(HANDLE printer, WCHAR* out, DriverContext* ctx) {
  if (!out) {
    // The other name of the printer goes where names of other sections are kept.
    if (!ctx || !ctx->workArea) return 0;
    out = ctx->workArea->savedPrinterName;
  }
  return PrnReadStoredPrinterNameOf(printer, out);
}

int PrnWriteDriverName(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  return WritePrinterField(printer, pi2, kDriverNameValue, &PRINTER_INFO_2W::pDriverName);
}

int PrnWritePermission(HANDLE printer, const void* data, DWORD byteSize) {
  return PrnSetData(printer, data, byteSize, REG_DWORD, kPermissionValue, nullptr);
}

// ---- Registry ------------------------------------------------------------------------------

int RegQueryMachineValue(const WCHAR* subKey, const WCHAR* valueName, void* buffer, DWORD byteSize) {
  if (!subKey || !buffer) return 0;
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, subKey, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0;
  DWORD size = byteSize;
  const LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, static_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}

int RegReadMachineValue(const WCHAR* subKey, const WCHAR* valueName, void* buffer, DWORD byteSize, DriverContext*) {
  return RegQueryMachineValue(subKey, valueName, buffer, byteSize);
}

int RegWriteMachineValue(const WCHAR* subKey, const WCHAR* valueName, const void* data, DWORD byteSize, DWORD type,
                         DriverContext*) {
  if (!subKey || !data) return 0;
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_LOCAL_MACHINE, subKey, &key) != ERROR_SUCCESS) return 0;
  const LSTATUS status = RegSetValueExW(key, valueName, 0, type, static_cast<const BYTE*>(data), byteSize);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}

int RegReadDriverValue(const WCHAR* valueName, void* buffer, DWORD byteSize) {
  return RegQueryMachineValue(kDriverRegKey, valueName, buffer, byteSize);
}

int RegWriteDriverString(const WCHAR* valueName, const WCHAR* text, DWORD byteSize) {
  return RegWriteMachineValue(kDriverRegKey, valueName, text, byteSize, REG_SZ, nullptr);
}

int RegIsAddOnInstalled(int kind, DriverContext* ctx) {
  const WCHAR* key = nullptr;
  const WCHAR* value = nullptr;
  switch (kind) {
    case kAddOnJobBinding:
      key = u"Software\\Orvex\\Varenquil\\Tesmarin";
      value = u"INSTALL_COUNT";
      break;
    case kAddOnPreview:
      key = u"Software\\Orvex\\Varenquil\\Preview";
      value = u"VERSION";
      break;
    default:
      return 0;
  }
  DWORD installed = 0;
  return RegReadMachineValue(key, value, &installed, sizeof(installed), ctx) && installed != 0 ? 1 : 0;
}

int RegEnsurePrintLogDefaults(DriverContext* ctx) {
  WCHAR directory[MAX_PATH + 1] = {};
  const bool haveDirectory =
      RegReadMachineValue(kPrintLogRegKey, kLogDirectoryValue, directory, MAX_PATH * sizeof(WCHAR), ctx) &&
      directory[0];
  if (!haveDirectory) {
    WCHAR windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    constexpr WCHAR kRest[] = u"\\temp\\PrintLog";
    if (length > 0 && length + lstrlenW(kRest) < MAX_PATH) {
      lstrcpynW(directory, windows, MAX_PATH);
      lstrcatW(directory, kRest);
      RegWriteMachineValue(kPrintLogRegKey, kLogDirectoryValue, directory, TextBytes(directory), REG_SZ, ctx);
    }
  }
  DWORD maxSize = 0;
  if (!RegReadMachineValue(kPrintLogRegKey, kMaxLogSizeValue, &maxSize, sizeof(maxSize), ctx))
    RegWriteMachineValue(kPrintLogRegKey, kMaxLogSizeValue, &kDefaultMaxLogSize, sizeof(kDefaultMaxLogSize), REG_DWORD,
                         ctx);
  return 1;
}

int RegIsSaveDeviceSetupOn(DriverContext* ctx) {
  BYTE value[520] = {};
  if (!RegReadMachineValue(kCustomSetupRegKey, kSaveDeviceSetupValue, value, sizeof(value), ctx)) return 0;
  // The first two bytes as a little-endian number: REG_DWORD 1 (and 0x10001) is on, the text
  // "1" is not.
  const unsigned word = value[0] | (static_cast<unsigned>(value[1]) << 8);
  return word == 1 ? 1 : 0;
}
