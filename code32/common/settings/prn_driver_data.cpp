// The driver's values in the printer's data and in the machine's registry that the folder and
// language code read: the help file's name and the shared-folder value.
#include "env_system.h"

namespace {

constexpr WCHAR kDriverKey[] = u"SOFTWARE\\Orvex\\ZoltDrv";
constexpr WCHAR kHelpFileNameValue[] = u"HelpFileName";

// The part after the last "\" of path into out (260 characters); 0 when there is none.
int CopyFileNamePart(WCHAR* out, const WCHAR* path) {
  if (!out || !path) return 0;
  const WCHAR* slash = nullptr;
  for (const WCHAR* p = path; *p; ++p) {
    if (*p == u'\\') slash = p;
  }
  if (!slash) return 0;
  lstrcpynW(out, slash + 1, MAX_PATH);
  return 1;
}

}  // namespace

int PrnGetData(HANDLE printer, void* buffer, DWORD byteSize, const WCHAR* valueName, DriverContext*) {
  if (!buffer || byteSize == 0 || !valueName) return 0;
  DWORD type = 0;
  DWORD needed = 0;
  return GetPrinterDataW(printer, const_cast<LPWSTR>(valueName), &type, static_cast<LPBYTE>(buffer), byteSize,
                         &needed) == ERROR_SUCCESS
             ? 1
             : 0;
}

int PrnGetHelpFileNameOfDriver(WCHAR* out, DriverContext* ctx) {
  if (!out || !ctx) return 0;
  if (ctx->workArea && ctx->workArea->driverInfo3) return CopyFileNamePart(out, ctx->workArea->driverInfo3->pHelpFile);
  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(ctx->printer, 3));
  const int found = di3 ? CopyFileNamePart(out, di3->pHelpFile) : 0;
  MdlFreeMem(di3);
  return found;
}

int PrnReadHelpFileNameOf(WCHAR* buffer, DWORD byteSize, HANDLE printer) {
  if (!buffer || byteSize < sizeof(WCHAR)) return 0;
  // The value may come without its terminator: read one character short and end the text.
  const DWORD chars = byteSize / sizeof(WCHAR);
  for (DWORD i = 0; i < chars; ++i) buffer[i] = u'\0';
  if (chars < 2) return 0;
  return PrnGetData(printer, buffer, (chars - 1) * sizeof(WCHAR), kHelpFileNameValue, nullptr);
}

int PrnReadHelpFileName(WCHAR* buffer, DWORD byteSize, DriverContext* ctx) {
  if (!ctx) return 0;
  return PrnReadHelpFileNameOf(buffer, byteSize, ctx->printer);
}

int RegReadDriverValue(const WCHAR* valueName, void* buffer, DWORD byteSize) {
  if (!buffer || !valueName) return 0;
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, kDriverKey, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0;
  DWORD size = byteSize;
  const LONG status = RegQueryValueExW(key, valueName, nullptr, &type, static_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}
