// The automation interface: finding windows, acting as the user through the window system's
// input path, reading what controls show, scripted steps of modal loops, the answers and
// records of message boxes, menus and help calls.
#include <deque>
#include <mutex>

#include "comctl/comctl_internal.h"
#include "user/window.h"
#include "win32/hostui.h"

namespace zolt::host::ui {

namespace {

std::mutex g_lock;
std::deque<std::function<void(HWND)>> g_steps;
std::deque<int> g_boxAnswers;
std::vector<MessageBoxRecord> g_boxes;
std::deque<UINT> g_menuAnswers;
std::vector<MenuRecord> g_menus;
std::vector<HelpCall> g_help;
std::vector<std::u16string> g_unattended;

using namespace zolt::host::user;

LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Usable(HWND hwnd) { return IsWindow(hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

HWND Search(HWND parent, const std::function<bool(HWND)>& match, bool visibleOnly) {
  auto p = GetQuiet(parent);
  if (!p) return nullptr;
  for (HWND h : std::vector<HWND>(p->children)) {
    if (visibleOnly && !IsWindowVisible(h)) continue;
    if (match(h)) return h;
    if (HWND inner = Search(h, match, visibleOnly)) return inner;
  }
  return nullptr;
}

HWND SearchBoth(HWND parent, const std::function<bool(HWND)>& match) {
  if (HWND h = Search(parent, match, true)) return h;
  return Search(parent, match, false);
}

POINT Centre(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return POINT{r.right / 2, r.bottom / 2};
}

void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { PostMessageW(hwnd, msg, wParam, lParam); }

}  // namespace

HWND FindTopLevel(std::u16string_view caption) {
  for (HWND h : TopLevelWindows())
    if (auto w = GetQuiet(h); w && w->text == caption && IsWindowVisible(h)) return h;
  for (HWND h : TopLevelWindows())
    if (auto w = GetQuiet(h); w && w->text == caption) return h;
  return nullptr;
}

HWND FindTopLevelByClass(std::u16string_view className) {
  for (HWND h : TopLevelWindows())
    if (ClassIs(h, className)) return h;
  return nullptr;
}

HWND FindControl(HWND window, int id) {
  return SearchBoth(window, [&](HWND h) {
    auto w = GetQuiet(h);
    return w && int(w->id) == id && w->parent;
  });
}

HWND FindControlByText(HWND window, std::u16string_view text) {
  return SearchBoth(window, [&](HWND h) {
    auto w = GetQuiet(h);
    if (!w) return false;
    if (w->text == text) return true;
    // Mnemonic marks do not count.
    std::u16string plain;
    for (size_t i = 0; i < w->text.size(); ++i)
      if (w->text[i] != u'&' || (i + 1 < w->text.size() && w->text[i + 1] == u'&' && (++i, true))) plain += w->text[i];
    return plain == text;
  });
}

HWND ActiveWindow() {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  for (HWND h : TopLevelWindows())
    if (IsWindowVisible(h)) return h;
  return nullptr;
}

bool ClickAt(HWND hwnd, POINT client, bool right) {
  if (!Usable(hwnd)) return false;
  POINT screen = client;
  ClientToScreen(hwnd, &screen);
  InputCursor(screen);
  LPARAM at = MAKELPARAM(client.x, client.y);
  HWND root = RootOf(hwnd);
  if (GetActiveWindow() != root) SetActiveWindow(root);
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN));
  Post(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  Post(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  if (right) {
    Post(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
  }
  PumpPending();
  return true;
}

bool Click(HWND control) {
  if (!Usable(control)) return false;
  // The click lands on whatever window is under the control's centre (a group box lets it
  // through to the control it frames).
  return ClickAt(control, Centre(control));
}

bool DoubleClick(HWND control) {
  if (!Click(control)) return false;
  POINT c = Centre(control);
  Post(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.x, c.y));
  Post(control, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
  PumpPending();
  return true;
}

bool Focus(HWND control) {
  if (!Usable(control)) return false;
  HWND root = RootOf(control);
  HWND dlg = GetParent(control);
  if (dlg && IsDialogWindow(dlg))
    SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  else
    SetFocus(control);
  (void)root;
  return GetFocus() == control || IsChild(control, GetFocus());
}

bool PressKey(HWND control, UINT vk, bool shift, bool ctrl) {
  HWND target = control ? control : GetFocus();
  if (!target || !IsWindow(target)) return false;
  if (control && GetFocus() != control && !IsChild(control, GetFocus()) && !Focus(control)) return false;
  target = GetFocus() ? GetFocus() : target;
  if (shift) InputKey(VK_SHIFT, true);
  if (ctrl) InputKey(VK_CONTROL, true);
  InputKey(int(vk), true);
  Post(target, WM_KEYDOWN, vk, 1);
  PumpPending();
  InputKey(int(vk), false);
  if (IsWindow(target)) Post(target, WM_KEYUP, vk, LPARAM(0xC0000001u));
  PumpPending();
  if (shift) InputKey(VK_SHIFT, false);
  if (ctrl) InputKey(VK_CONTROL, false);
  return true;
}

bool Type(HWND control, std::u16string_view text) {
  if (!Usable(control)) return false;
  if (GetFocus() != control && !IsChild(control, GetFocus()) && !Focus(control)) return false;
  HWND target = GetFocus();
  for (char16_t c : text) {
    if (!IsWindow(target)) return false;
    Post(target, WM_CHAR, c, 1);
    PumpPending();
  }
  return true;
}

bool SelectItem(HWND control, std::u16string_view text) {
  if (!Usable(control)) return false;
  std::u16string t(text);
  if (ClassIs(control, u"combobox")) {
    int i = int(SendMessageW(control, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(t.c_str())));
    if (i < 0) return false;
    if (GetFocus() != control && !IsChild(control, GetFocus())) Focus(control);
    ComboChoose(control, i);
    PumpPending();
    return true;
  }
  if (ClassIs(control, u"listbox")) {
    int i = int(SendMessageW(control, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(t.c_str())));
    if (i < 0) return false;
    ListBoxChoose(control, i);
    PumpPending();
    return true;
  }
  bool ok = zolt::host::comctl::ChooseItem(control, text);
  PumpPending();
  return ok;
}

std::u16string Text(HWND window) {
  int n = GetWindowTextLengthW(window);
  std::u16string out(size_t(n) + 1, u'\0');
  int got = GetWindowTextW(window, out.data(), n + 1);
  out.resize(size_t(std::max(got, 0)));
  return out;
}

int CheckState(HWND button) {
  if (!ClassIs(button, u"button")) return -1;
  return int(SendMessageW(button, BM_GETCHECK, 0, 0));
}

int SelectedIndex(HWND control) {
  if (ClassIs(control, u"combobox")) return int(SendMessageW(control, CB_GETCURSEL, 0, 0));
  if (ClassIs(control, u"listbox")) return int(SendMessageW(control, LB_GETCURSEL, 0, 0));
  return zolt::host::comctl::SelectedIndex(control);
}

std::vector<std::u16string> Items(HWND control) {
  std::vector<std::u16string> out;
  bool combo = ClassIs(control, u"combobox");
  if (combo || ClassIs(control, u"listbox")) {
    int n = int(SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      int len = int(SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, WPARAM(i), 0));
      std::u16string s(size_t(std::max(len, 0)) + 8, u'\0');
      SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
      s.resize(std::char_traits<char16_t>::length(s.c_str()));
      out.push_back(s);
    }
    return out;
  }
  return zolt::host::comctl::Items(control);
}

std::u16string SelectedText(HWND control) {
  int i = SelectedIndex(control);
  auto items = Items(control);
  return i >= 0 && size_t(i) < items.size() ? items[size_t(i)] : std::u16string();
}

void WhenIdle(std::function<void(HWND)> step) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_steps.push_back(std::move(step));
}

size_t PendingSteps() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_steps.size();
}

void AnswerNextMessageBox(int answer) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_boxAnswers.push_back(answer);
}

std::vector<MessageBoxRecord> MessageBoxes() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_boxes;
}

void AnswerNextMenu(UINT command) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_menuAnswers.push_back(command);
}

std::vector<MenuRecord> Menus() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_menus;
}

std::vector<HelpCall> HelpCalls() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_help;
}

std::vector<std::u16string> UnattendedCloses() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_unattended;
}

HWND AddForeignWindow(std::u16string_view className, std::u16string_view caption) {
  std::u16string cls(className), text(caption);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ForeignProc;
  wc.lpszClassName = cls.c_str();
  wc.style = CS_GLOBALCLASS;
  RegisterClassExW(&wc);  // already registered by an earlier call: fine
  return CreateWindowExW(0, cls.c_str(), text.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                         nullptr);
}

void Reset() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_steps.clear();
  g_boxAnswers.clear();
  g_boxes.clear();
  g_menuAnswers.clear();
  g_menus.clear();
  g_help.clear();
  g_unattended.clear();
}

namespace detail {

bool RunIdleStep(HWND modal) {
  if (modal && GetPropW(modal, u"ZoltMessageBox")) {
    int answer = 0;
    bool have = false;
    {
      std::lock_guard<std::mutex> lock(g_lock);
      if (!g_boxAnswers.empty()) {
        answer = g_boxAnswers.front();
        g_boxAnswers.pop_front();
        have = true;
      }
    }
    if (have) {
      HWND button = GetDlgItem(modal, answer);
      if (button && IsWindowEnabled(button))
        Click(button);
      else
        EndDialog(modal, answer);
      return true;
    }
  }
  std::function<void(HWND)> step;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_steps.empty()) return false;
    step = std::move(g_steps.front());
    g_steps.pop_front();
  }
  step(modal);
  return true;
}

void NoteUnattendedClose(HWND modal) {
  std::lock_guard<std::mutex> lock(g_lock);
  auto w = GetQuiet(modal);
  g_unattended.push_back(w ? w->text : std::u16string());
}

bool NextMessageBoxAnswer(int* answer) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (g_boxAnswers.empty()) return false;
  *answer = g_boxAnswers.front();
  g_boxAnswers.pop_front();
  return true;
}

void RecordMessageBox(const MessageBoxRecord& record) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_boxes.push_back(record);
}

bool NextMenuAnswer(UINT* command) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (g_menuAnswers.empty()) return false;
  *command = g_menuAnswers.front();
  g_menuAnswers.pop_front();
  return true;
}

void RecordMenu(const MenuRecord& record) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_menus.push_back(record);
}

void RecordHelp(const HelpCall& call) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_help.push_back(call);
}

}  // namespace detail

}  // namespace zolt::host::ui
