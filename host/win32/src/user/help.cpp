// Help and shell calls: recorded for the automation interface, never launched.
#include "user/window.h"
#include "win32/hostui.h"

namespace {
std::u16string Text(LPCWSTR s) { return s && !IS_INTRESOURCE(s) ? std::u16string(s) : std::u16string(); }
}  // namespace

WIN32_API BOOL WINAPI WinHelpW(HWND hwnd, LPCWSTR file, UINT command, ULONG_PTR data) {
  zolt::host::ui::detail::RecordHelp({"WinHelpW", hwnd, Text(file), command, data, {}});
  return TRUE;
}

WIN32_API HWND WINAPI HtmlHelpW(HWND hwnd, LPCWSTR file, UINT command, DWORD_PTR data) {
  std::u16string topic;
  if (command == HH_DISPLAY_TOPIC && data) topic = Text(reinterpret_cast<LPCWSTR>(data));
  zolt::host::ui::detail::RecordHelp({"HtmlHelpW", hwnd, Text(file), command, data, topic});
  return nullptr;
}

WIN32_API HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, INT show) {
  zolt::host::ui::detail::RecordHelp({"ShellExecuteW", hwnd, Text(file), UINT(show), 0, Text(operation)});
  return reinterpret_cast<HINSTANCE>(INT_PTR(42));  // above 32: done
}
