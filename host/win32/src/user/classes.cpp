// The classes of the window system: the standard controls and the dialog class "#32770",
// registered once per process, found by GetClassInfoExW with any instance.
#include <mutex>

#include "user/window.h"

namespace zolt::host::user {

namespace {
LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcW(hwnd, msg, wParam, lParam);
}
}  // namespace

void EnsureSystemClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClass(u"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, 0);
    RegisterSystemClass(u"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, 0);
    RegisterSystemClass(u"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, 0);
    RegisterSystemClass(u"ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, 0);
    RegisterSystemClass(u"ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, 0);
    RegisterSystemClass(u"ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, 0);
    RegisterSystemClass(u"#32770", DialogClassProc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA);
    RegisterCommonControlClasses();
  });
}

}  // namespace zolt::host::user
