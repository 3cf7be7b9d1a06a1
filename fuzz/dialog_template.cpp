// Dialog templates as a resource library holds them (either form): every count, string and
// item is read against the resource's size; a template that reads well is built as a dialog
// with its controls and destroyed again.
#include <cstdint>

#include "fuzz_machine.h"
#include "user/window.h"
#include "win32/windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto root = zolt::fuzz::MakeFuzzMachine("dialog-template");
  (void)root;
  zolt::host::user::DialogTemplate tpl;
  if (!zolt::host::user::ParseDialogTemplate(data, size, &tpl)) return 0;
  // Shown windows and huge sizes cost time without finding more: keep the dialog hidden.
  tpl.style &= ~WS_VISIBLE;
  HWND dlg = zolt::host::user::CreateDialogFromTemplate(nullptr, tpl, nullptr, nullptr, 0, false);
  if (dlg) DestroyWindow(dlg);
  return 0;
}
