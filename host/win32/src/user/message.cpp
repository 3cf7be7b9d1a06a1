// Messages: sending and posting, the queue of each thread, timers on the host's clock, the
// generation of WM_PAINT from invalid areas, painting calls, keyboard translation, the default
// window procedure and the modal loops.
#include <algorithm>
#include <deque>
#include <mutex>

#include "user/window.h"
#include "win32/hostclock.h"
#include "win32/hostui.h"
#include "win32/time.h"

namespace zolt::host::user {

namespace {

struct Queue {
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  int sendDepth = 0;
  MSG last{};
};

thread_local Queue t_queue;
std::mutex g_timerLock;
std::vector<Timer> g_timers;
UINT_PTR g_nextTimerId = 0x7F00;
POINT g_cursor{0, 0};
BYTE g_keys[256];

DWORD Now() { return GetTickCount(); }

// The first visible window of this thread, depth first, whose update area is not empty.
HWND FindInvalid(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  if (!IsRectEmpty(&w->invalid) && w->thread == GetCurrentThreadId()) return hwnd;
  for (HWND child : std::vector<HWND>(w->children))
    if (HWND h = FindInvalid(child)) return h;
  return nullptr;
}

HWND AnyInvalid(HWND filter) {
  if (filter) return FindInvalid(filter);
  for (HWND top : TopLevelWindows())
    if (HWND h = FindInvalid(top)) return h;
  return nullptr;
}

bool Matches(const MSG& m, HWND hwnd, UINT min, UINT max) {
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
  if (hwnd == reinterpret_cast<HWND>(-1) && m.hwnd) return false;
  if (min == 0 && max == 0) return true;
  return m.message >= min && m.message <= max;
}

bool DueTimer(HWND filter, UINT min, UINT max, MSG* out, bool remove) {
  if (!(min == 0 && max == 0) && !(WM_TIMER >= min && WM_TIMER <= max)) return false;
  ULONGLONG now = zolt::host::Clock::Ticks();
  std::lock_guard<std::mutex> lock(g_timerLock);
  for (auto& t : g_timers) {
    if (t.thread != GetCurrentThreadId() || t.due > now) continue;
    if (filter && t.hwnd != filter && !IsChild(filter, t.hwnd)) continue;
    *out = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), Now(), g_cursor};
    if (remove) t.due = now + std::max<UINT>(t.elapse, 10);
    return true;
  }
  return false;
}

bool TakeMessage(MSG* out, HWND hwnd, UINT min, UINT max, UINT remove) {
  auto& q = t_queue;
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!Matches(*it, hwnd, min, max)) continue;
    *out = *it;
    if (remove & PM_REMOVE) q.posted.erase(it);
    return true;
  }
  if (q.quit && (min == 0 && max == 0)) {
    *out = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, Now(), g_cursor};
    if (remove & PM_REMOVE) q.quit = false;
    return true;
  }
  if ((min == 0 && max == 0) || (WM_PAINT >= min && WM_PAINT <= max)) {
    if (HWND h = AnyInvalid(hwnd == reinterpret_cast<HWND>(-1) ? nullptr : hwnd)) {
      *out = MSG{h, WM_PAINT, 0, 0, Now(), g_cursor};
      return true;
    }
  }
  return DueTimer(hwnd == reinterpret_cast<HWND>(-1) ? nullptr : hwnd, min, max, out, remove & PM_REMOVE);
}

}  // namespace

void PostInternal(const MSG& msg) { t_queue.posted.push_back(msg); }

bool HasPendingWork() {
  MSG m;
  return TakeMessage(&m, nullptr, 0, 0, PM_NOREMOVE);
}

bool NextTimerDue(ULONGLONG* due) {
  std::lock_guard<std::mutex> lock(g_timerLock);
  bool any = false;
  for (auto& t : g_timers) {
    if (t.thread != GetCurrentThreadId()) continue;
    if (!any || t.due < *due) *due = t.due;
    any = true;
  }
  return any;
}

void RemoveWindowFromQueue(HWND hwnd) {
  auto& q = t_queue;
  q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                 q.posted.end());
  std::lock_guard<std::mutex> lock(g_timerLock);
  g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 g_timers.end());
}

void RouteMessage(MSG& msg) {
  HWND root = msg.hwnd ? RootOf(msg.hwnd) : nullptr;
  if (root && IsDialogWindow(root) && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void PumpPending() {
  MSG msg;
  int guard = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    RouteMessage(msg);
    if (++guard > 100000) return;  // a window that keeps posting to itself
  }
}

void RunModalLoop(HWND modal, const std::function<bool()>& done) {
  int idleWithoutProgress = 0;
  while (!done()) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        return;
      }
      idleWithoutProgress = 0;
      RouteMessage(msg);
      continue;
    }
    if (!IsWindow(modal)) return;
    // The owner of a modal loop hears that it is idle, as the platform's dialogs tell it.
    if (auto w = GetQuiet(modal); w && w->owner && !(w->style & DS_NOIDLEMSG))
      SendMessageW(w->owner, WM_ENTERIDLE, 0 /* MSGF_DIALOGBOX */, reinterpret_cast<LPARAM>(modal));
    if (done()) return;
    if (zolt::host::ui::detail::RunIdleStep(modal)) {
      idleWithoutProgress = 0;
      continue;
    }
    ULONGLONG due;
    if (NextTimerDue(&due) && !zolt::host::Clock::IsTimeFixed()) {
      ULONGLONG now = zolt::host::Clock::Ticks();
      if (due > now) Sleep(DWORD(std::min<ULONGLONG>(due - now, 50)));
      if (++idleWithoutProgress < 200) continue;
    }
    // Nothing scripted and nothing to wait for: the user closes the window with Escape.
    zolt::host::ui::detail::NoteUnattendedClose(modal);
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(modal, IDCANCEL)));
    if (!done() && IsWindow(modal)) {
      SendMessageW(modal, WM_CLOSE, 0, 0);
      if (!done() && IsWindow(modal)) {
        if (IsDialogWindow(modal)) {
          EndDialog(modal, IDCANCEL);
        } else {
          return;
        }
      }
    }
  }
}

void InputKey(int vk, bool down) { g_keys[vk & 0xFF] = down ? 0x80 : 0; }
void InputCursor(POINT p) { g_cursor = p; }

}  // namespace zolt::host::user

using namespace zolt::host::user;

// ---------------------------------------------------------------------------------------------
// Sending and posting.

WIN32_API LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    for (HWND top : TopLevelWindows()) SendMessageW(top, msg, wParam, lParam);
    return 0;
  }
  auto w = Get(hwnd);
  if (!w) return 0;
  WNDPROC proc = w->proc;
  if (!proc) return 0;
  auto& q = zolt::host::user::t_queue;
  ++q.sendDepth;
  LRESULT r = proc(hwnd, msg, wParam, lParam);
  --q.sendDepth;
  return r;
}

WIN32_API LRESULT WINAPI SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT,
                                             DWORD_PTR* result) {
  if (!IsWindow(hwnd) && hwnd != HWND_BROADCAST) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LRESULT r = SendMessageW(hwnd, msg, wParam, lParam);
  if (result) *result = DWORD_PTR(r);
  return 1;
}

WIN32_API BOOL WINAPI SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd) && hwnd != HWND_BROADCAST) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SendMessageW(hwnd, msg, wParam, lParam);
  return TRUE;
}

WIN32_API BOOL WINAPI PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    for (HWND top : TopLevelWindows()) PostMessageW(top, msg, wParam, lParam);
    return TRUE;
  }
  if (hwnd && !Get(hwnd)) return FALSE;
  PostInternal(MSG{hwnd, msg, wParam, lParam, GetTickCount(), zolt::host::user::g_cursor});
  return TRUE;
}

WIN32_API BOOL WINAPI PostThreadMessageW(DWORD thread, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (thread != GetCurrentThreadId()) {
    SetLastError(1444);  // ERROR_INVALID_THREAD_ID
    return FALSE;
  }
  PostInternal(MSG{nullptr, msg, wParam, lParam, GetTickCount(), zolt::host::user::g_cursor});
  return TRUE;
}

WIN32_API void WINAPI PostQuitMessage(int code) {
  zolt::host::user::t_queue.quit = true;
  zolt::host::user::t_queue.quitCode = code;
}

WIN32_API BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT remove) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!zolt::host::user::TakeMessage(msg, hwnd, min, max, remove)) return FALSE;
  zolt::host::user::t_queue.last = *msg;
  return TRUE;
}

WIN32_API BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  for (int idle = 0;; ++idle) {
    if (PeekMessageW(msg, hwnd, min, max, PM_REMOVE)) return msg->message != WM_QUIT;
    if (zolt::host::ui::detail::RunIdleStep(GetActiveWindow())) continue;
    ULONGLONG due;
    if (NextTimerDue(&due) && !zolt::host::Clock::IsTimeFixed() && idle < 2000) {
      ULONGLONG now = zolt::host::Clock::Ticks();
      if (due > now) Sleep(DWORD(std::min<ULONGLONG>(due - now, 50)));
      continue;
    }
    // Nothing will ever arrive on a headless machine: the loop ends as if WM_QUIT came.
    *msg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), zolt::host::user::g_cursor};
    return FALSE;
  }
}

WIN32_API BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  UINT vk = UINT(msg->wParam);
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  WCHAR ch = 0;
  if (vk >= 'A' && vk <= 'Z')
    ch = control ? WCHAR(vk - 'A' + 1) : WCHAR(shift ? vk : vk + 32);
  else if (vk >= '0' && vk <= '9' && !shift)
    ch = WCHAR(vk);
  else if (vk == VK_SPACE)
    ch = u' ';
  else if (vk == VK_RETURN)
    ch = u'\r';
  else if (vk == VK_BACK)
    ch = 8;
  else if (vk == VK_ESCAPE)
    ch = 27;
  else if (vk == VK_TAB)
    ch = u'\t';
  else if (vk >= 0x60 && vk <= 0x69)
    ch = WCHAR(u'0' + (vk - 0x60));
  if (!ch) return FALSE;
  PostInternal(MSG{msg->hwnd, UINT(msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR), ch, msg->lParam, msg->time,
                   msg->pt});
  return TRUE;
}

WIN32_API LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  auto w = Get(msg->hwnd);
  if (!w) return 0;
  LRESULT r = SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    // A procedure that leaves its window invalid would be sent WM_PAINT forever.
    if (auto again = GetQuiet(msg->hwnd)) again->invalid = RECT{};
  }
  return r;
}

WIN32_API BOOL WINAPI WaitMessage(void) { return TRUE; }
WIN32_API BOOL WINAPI InSendMessage(void) { return FALSE; }
WIN32_API DWORD WINAPI GetMessagePos(void) {
  auto& m = zolt::host::user::t_queue.last;
  const WORD x = WORD(SHORT(m.pt.x)), y = WORD(SHORT(m.pt.y));
  return DWORD(MAKELONG(x, y));
}
WIN32_API LONG WINAPI GetMessageTime(void) { return LONG(zolt::host::user::t_queue.last.time); }
WIN32_API DWORD WINAPI GetQueueStatus(UINT) { return HasPendingWork() ? 0x00FF00FF : 0; }

// ---------------------------------------------------------------------------------------------
// Timers.

WIN32_API UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !Get(hwnd)) return 0;
  elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);
  ULONGLONG due = zolt::host::Clock::Ticks() + elapse;
  std::lock_guard<std::mutex> lock(zolt::host::user::g_timerLock);
  auto& timers = zolt::host::user::g_timers;
  if (hwnd) {
    for (auto& t : timers)
      if (t.hwnd == hwnd && t.id == id) {
        t.elapse = elapse;
        t.proc = proc;
        t.due = due;
        return id;
      }
  } else {
    id = zolt::host::user::g_nextTimerId++;
  }
  timers.push_back(Timer{hwnd, id, elapse, proc, due, GetCurrentThreadId()});
  return hwnd ? (id ? id : 1) : id;
}

WIN32_API BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard<std::mutex> lock(zolt::host::user::g_timerLock);
  auto& timers = zolt::host::user::g_timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) {
    SetLastError(1402);  // ERROR_INVALID_TIMER_ID... the platform's code for an unknown timer
    return FALSE;
  }
  timers.erase(it);
  // A WM_TIMER already posted for it is dropped too.
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Painting.

WIN32_API BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND top : TopLevelWindows()) InvalidateRect(top, nullptr, erase);
    return TRUE;
  }
  auto w = Get(hwnd);
  if (!w) return FALSE;
  RECT client = ClientRectOf(*w);
  RECT r = client;
  if (rect) IntersectRect(&r, rect, &client);
  if (!IsRectEmpty(&r)) {
    UnionRect(&w->invalid, &w->invalid, &r);
    if (erase) w->erase = true;
  }
  // Children of a window without WS_CLIPCHILDREN are painted again with it.
  for (HWND child : std::vector<HWND>(w->children)) {
    auto c = GetQuiet(child);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    RECT cr = c->rect, hit;
    if (IntersectRect(&hit, &cr, &r)) {
      OffsetRect(&hit, -cr.left, -cr.top);
      InvalidateRect(child, nullptr, erase);
    }
  }
  return TRUE;
}

WIN32_API BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  if (!rect) {
    w->invalid = RECT{};
    w->erase = false;
    return TRUE;
  }
  // The update area is kept as one rectangle: a validated band across it shrinks it.
  RECT& u = w->invalid;
  if (rect->left <= u.left && rect->right >= u.right) {
    if (rect->top <= u.top && rect->bottom > u.top) u.top = std::min(rect->bottom, u.bottom);
    if (rect->bottom >= u.bottom && rect->top < u.bottom) u.bottom = std::max(rect->top, u.top);
  } else if (rect->top <= u.top && rect->bottom >= u.bottom) {
    if (rect->left <= u.left && rect->right > u.left) u.left = std::min(rect->right, u.right);
    if (rect->right >= u.right && rect->left < u.right) u.right = std::max(rect->left, u.left);
  }
  if (IsRectEmpty(&u)) u = RECT{};
  return TRUE;
}

WIN32_API BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT out, BOOL erase) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  if (out) *out = w->invalid;
  if (erase && w->erase && !IsRectEmpty(&w->invalid)) {
    HDC dc = GetDC(hwnd);
    w->erase = !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
  }
  return !IsRectEmpty(&w->invalid);
}

WIN32_API BOOL WINAPI RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) != 0);
  if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
  return TRUE;
}

WIN32_API BOOL WINAPI UpdateWindow(HWND hwnd) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  if (!IsRectEmpty(&w->invalid) && IsWindowVisible(hwnd)) {
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    if (auto again = GetQuiet(hwnd)) again->invalid = RECT{};
  }
  for (HWND child : std::vector<HWND>(w->children)) UpdateWindow(child);
  return TRUE;
}

WIN32_API HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  auto w = Get(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  ps->rcPaint = w->invalid;
  bool erase = w->erase;
  w->invalid = RECT{};
  w->erase = false;
  HDC dc = AcquirePaintDC(hwnd, false);
  ps->hdc = dc;
  ps->fErase = TRUE;
  if (erase && !IsRectEmpty(&ps->rcPaint)) ps->fErase = !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  return dc ? dc : reinterpret_cast<HDC>(0);
}

WIN32_API BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  if (ps->hdc) ReleasePaintDC(hwnd, ps->hdc);
  return TRUE;
}

// The desktop window's DC is the screen's, as a NULL window's is.
WIN32_API HDC WINAPI GetDC(HWND hwnd) {
  if (hwnd == GetDesktopWindow()) hwnd = nullptr;
  if (hwnd && !Get(hwnd)) return nullptr;
  return AcquirePaintDC(hwnd, false);
}

WIN32_API HDC WINAPI GetWindowDC(HWND hwnd) {
  if (hwnd == GetDesktopWindow()) hwnd = nullptr;
  if (hwnd && !Get(hwnd)) return nullptr;
  return AcquirePaintDC(hwnd, true);
}

WIN32_API int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
  if (!dc) return 0;
  ReleasePaintDC(hwnd, dc);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Input state.

WIN32_API BOOL WINAPI GetCursorPos(LPPOINT p) {
  if (!p) return FALSE;
  *p = zolt::host::user::g_cursor;
  return TRUE;
}

WIN32_API BOOL WINAPI SetCursorPos(int x, int y) {
  zolt::host::user::g_cursor = POINT{x, y};
  return TRUE;
}

WIN32_API SHORT WINAPI GetKeyState(int vk) { return SHORT((zolt::host::user::g_keys[vk & 0xFF] & 0x80) ? 0x8000 : 0); }
WIN32_API SHORT WINAPI GetAsyncKeyState(int vk) { return GetKeyState(vk); }

// ---------------------------------------------------------------------------------------------
// The default window procedure.

WIN32_API LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  if (IsCtlColorMessage(msg)) return reinterpret_cast<LRESULT>(DefaultControlColors(reinterpret_cast<HDC>(wParam), msg));
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? std::u16string(reinterpret_cast<LPCWSTR>(lParam)) : std::u16string();
      if (!w->parent) InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0 || !lParam) return 0;
      auto* out = reinterpret_cast<LPWSTR>(lParam);
      size_t n = std::min<size_t>(w->text.size(), size_t(wParam) - 1);
      std::copy_n(w->text.data(), n, out);
      out[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH bg = w->cls->background;
      if (!bg || !wParam) return 0;
      RECT r = ClientRectOf(*w);
      return EraseWithBrush(reinterpret_cast<HDC>(wParam), r, bg);
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETREDRAW:
      w->redraw = wParam != 0;
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SETCURSOR:
      if (w->parent && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (LOWORD(lParam) == HTCLIENT && w->cls->cursor) {
        SetCursor(w->cls->cursor);
        return TRUE;
      }
      return FALSE;
    case WM_MOUSEACTIVATE:
      if (w->parent) {
        LRESULT r = SendMessageW(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return 1;  // MA_ACTIVATE
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CONTEXTMENU:
      if (w->parent) SendMessageW(w->parent, WM_CONTEXTMENU, wParam, lParam);
      return 0;
    case WM_HELP:
      if (w->parent) return SendMessageW(w->parent, WM_HELP, wParam, lParam);
      return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_F1 && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        HELPINFO hi{sizeof(HELPINFO), HELPINFO_WINDOW, int(w->id), hwnd, 0, {0, 0}};
        GetCursorPos(&hi.MousePos);
        SendMessageW(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
      }
      return 0;
    case WM_GETFONT:
      return 0;
    case WM_NOTIFYFORMAT:
      return 2;  // NFR_UNICODE
    case WM_QUERYUISTATE:
      return 0;
  }
  return 0;
}

// Registered messages: one number from 0xC000 up per name, names compared without case.
WIN32_API UINT WINAPI RegisterWindowMessageW(LPCWSTR lpString) {
  if (!lpString || !*lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  static std::mutex lock;
  static std::vector<std::u16string> names;
  std::lock_guard<std::mutex> guard(lock);
  const std::u16string key = zolt::host::user::Lower(lpString);
  auto it = std::find(names.begin(), names.end(), key);
  if (it == names.end()) {
    if (names.size() >= 0x3FFF) return 0;
    names.push_back(key);
    it = names.end() - 1;
  }
  return UINT(0xC000 + (it - names.begin()));
}
