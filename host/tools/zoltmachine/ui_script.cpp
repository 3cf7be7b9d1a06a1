// zoltmachine ui: shows a dialog of a module's resources on the machine's headless window system
// and acts on it as a person would, step by step, through the host's automation interface.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win32/hostui.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace ui = zolt::host::ui;

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

struct Key {
  const char* name;
  UINT vk;
};
constexpr Key kKeys[] = {{"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB},   {"SPACE", VK_SPACE},
                         {"UP", VK_UP},         {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT},
                         {"HOME", VK_HOME},     {"END", VK_END},       {"F1", VK_F1}};

HWND FindByClass(HWND parent, const std::u16string& cls) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    WCHAR name[64];
    GetClassNameW(h, name, 64);
    if (lstrcmpiW(name, cls.c_str()) == 0) return h;
    if (HWND inner = FindByClass(h, cls)) return inner;
  }
  return nullptr;
}

// A window by control id, "caption:TEXT" (a top-level window, else a control showing the text)
// or "class:NAME".
HWND Find(HWND dialog, const std::string& what) {
  if (what.rfind("caption:", 0) == 0) {
    std::u16string text = zolt::host::FromUtf8(what.substr(8));
    if (HWND top = ui::FindTopLevel(text)) return top;
    return ui::FindControlByText(dialog, text);
  }
  if (what.rfind("class:", 0) == 0) {
    std::u16string cls = zolt::host::FromUtf8(what.substr(6));
    if (HWND top = ui::FindTopLevelByClass(cls)) return top;
    return FindByClass(dialog, cls);
  }
  char* end = nullptr;
  long id = std::strtol(what.c_str(), &end, 0);
  if (what.empty() || *end) return nullptr;
  return ui::FindControl(dialog, int(id));
}

int StepFailed(const std::string& step, const char* why) {
  std::fprintf(stderr, "zoltmachine: step %s: %s\n", step.c_str(), why);
  return 1;
}

}  // namespace

int RunUiScript(const std::string& modulePath, const std::string& dialogId, const std::vector<std::string>& steps) {
  HMODULE module = LoadLibraryW(zolt::host::FromUtf8(modulePath).c_str());
  if (!module) {
    std::fprintf(stderr, "zoltmachine: cannot load %s\n", modulePath.c_str());
    return 1;
  }
  char* end = nullptr;
  long id = std::strtol(dialogId.c_str(), &end, 0);
  if (dialogId.empty() || *end || id <= 0 || id > 0xFFFF) {
    FreeLibrary(module);
    std::fprintf(stderr, "zoltmachine: %s is no dialog id\n", dialogId.c_str());
    return 2;
  }
  HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0);
  if (!dialog) {
    FreeLibrary(module);
    std::fprintf(stderr, "zoltmachine: no dialog %ld in %s\n", id, modulePath.c_str());
    return 1;
  }
  ShowWindow(dialog, SW_SHOW);
  HWND target = dialog;
  int rc = 0;
  for (const std::string& step : steps) {
    const size_t eq = step.find('=');
    const std::string verb = step.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : step.substr(eq + 1);
    const std::u16string text = zolt::host::FromUtf8(value);
    bool ok = true;
    if (verb == "find") {
      HWND found = Find(dialog, value);
      if (!found) {
        rc = StepFailed(step, "no such window");
        break;
      }
      target = found;
    } else if (verb == "click") {
      ok = ui::Click(target);
    } else if (verb == "select") {
      ok = ui::SelectItem(target, text);
    } else if (verb == "type") {
      ok = ui::Type(target, text);
    } else if (verb == "key") {
      UINT vk = 0;
      for (const Key& k : kKeys)
        if (value == k.name) vk = k.vk;
      if (!vk) vk = UINT(std::strtoul(value.c_str(), nullptr, 0));
      ok = vk != 0 && vk < 256 && ui::PressKey(target, vk);
    } else if (verb == "answer") {
      ui::AnswerNextMessageBox(std::atoi(value.c_str()));
    } else if (verb == "read") {
      std::printf("text \"%s\" check %d selected \"%s\"\n", zolt::host::ToUtf8(ui::Text(target)).c_str(),
                  ui::CheckState(target), zolt::host::ToUtf8(ui::SelectedText(target)).c_str());
    } else if (verb == "png") {
      ok = !value.empty() && ui::SavePng(target, value);
      if (ok) std::printf("saved %s\n", value.c_str());
    } else {
      rc = StepFailed(step, "unknown step");
      break;
    }
    if (!ok) {
      rc = StepFailed(step, "the window refused it (missing, hidden, disabled or no such item)");
      break;
    }
  }
  for (const auto& box : ui::MessageBoxes())
    std::printf("message box \"%s\" answered %d\n", zolt::host::ToUtf8(box.text).c_str(), box.answer);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  FreeLibrary(module);
  return rc;
}
