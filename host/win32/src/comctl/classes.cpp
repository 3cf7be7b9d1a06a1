// The common controls' classes, registered with the window system's own, and the library's
// initialisation and version calls.
#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {
LRESULT CALLBACK TrackbarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TabProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TreeViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ToolTipProc(HWND, UINT, WPARAM, LPARAM);
}  // namespace zolt::host::comctl

namespace zolt::host::user {

void RegisterCommonControlClasses() {
  using namespace zolt::host::comctl;
  RegisterSystemClass(TRACKBAR_CLASSW, TrackbarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 0);
  RegisterSystemClass(UPDOWN_CLASSW, UpDownProc, CS_HREDRAW | CS_VREDRAW, 0);
  RegisterSystemClass(PROGRESS_CLASSW, ProgressProc, CS_HREDRAW | CS_VREDRAW, 0);
  RegisterSystemClass(WC_TABCONTROLW, TabProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 0);
  RegisterSystemClass(WC_TREEVIEWW, TreeViewProc, CS_DBLCLKS, 0);
  RegisterSystemClass(WC_LISTVIEWW, ListViewProc, CS_DBLCLKS, 0);
  RegisterSystemClass(TOOLTIPS_CLASSW, ToolTipProc, CS_DBLCLKS | CS_SAVEBITS, 0);
}

}  // namespace zolt::host::user

WIN32_API void WINAPI InitCommonControls(void) { zolt::host::user::EnsureSystemClasses(); }

WIN32_API BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
  if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  zolt::host::user::EnsureSystemClasses();
  return TRUE;
}

WIN32_API HRESULT WINAPI DllGetVersion(DLLVERSIONINFO* info) {
  if (!info || info->cbSize < sizeof(DLLVERSIONINFO)) return E_INVALIDARG;
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 0;
  info->dwPlatformID = DLLVER_PLATFORM_NT;
  return S_OK;
}
