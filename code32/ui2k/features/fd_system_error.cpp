// The message box of a system error code.
#include "fd_system_error.h"

#include "settings_paths.h"

int FdShowSystemError(DriverContext* ctx, DWORD code, HWND owner) {
  WCHAR* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;
  if (FormatMessageW(flags, nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<LPWSTR>(&text), 0, nullptr) &&
      text) {
    const WCHAR* printer = ctx ? PrnGetName(ctx) : nullptr;
    MessageBoxW(owner, text, printer ? printer : u"", kFdIconWarning);
  }
  if (text) LocalFree(text);
  return 1;
}
