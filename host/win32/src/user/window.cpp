// Windows and window classes: registration, creation and destruction with their messages, the
// window tree, window words, subclassing, properties, text, state, focus, activation, capture,
// geometry and coordinate mapping, search and enumeration.
#include "user/window.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "win32/strings.h"

namespace zolt::host::user {

namespace {

std::recursive_mutex g_lock;
std::unordered_map<UINT_PTR, std::shared_ptr<Window>> g_windows;
std::vector<HWND> g_topLevel;  // Z order, topmost first
std::vector<std::shared_ptr<WindowClass>> g_classes;
UINT_PTR g_nextHandle = 0x10010;
ATOM g_nextAtom = 0xC000;
HWND g_focus = nullptr;
HWND g_active = nullptr;
HWND g_capture = nullptr;

using Lock = std::lock_guard<std::recursive_mutex>;

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

std::shared_ptr<WindowClass> FindClass(LPCWSTR name, HINSTANCE instance) {
  Lock lock(g_lock);
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) {
    ATOM atom = LOWORD(reinterpret_cast<ULONG_PTR>(name));
    for (auto& c : g_classes)
      if (c->atom == atom) return c;
    return nullptr;
  }
  std::u16string_view n(name);
  std::shared_ptr<WindowClass> system;
  for (auto& c : g_classes) {
    if (!EqualNoCase(c->name, n)) continue;
    if (c->system || (c->style & CS_GLOBALCLASS)) {
      system = c;
      continue;
    }
    if (!instance || c->instance == instance) return c;
  }
  return system;
}

bool HasWindowStyleCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

void LinkIntoParent(Window& w) {
  Lock lock(g_lock);
  if (w.parent) {
    if (auto p = GetQuiet(w.parent)) p->children.push_back(w.handle);  // created at the bottom of the Z order
  } else {
    g_topLevel.insert(g_topLevel.begin(), w.handle);
  }
}

void Unlink(Window& w) {
  Lock lock(g_lock);
  auto drop = [&](std::vector<HWND>& list) { list.erase(std::remove(list.begin(), list.end(), w.handle), list.end()); };
  if (w.parent) {
    if (auto p = GetQuiet(w.parent)) drop(p->children);
  } else {
    drop(g_topLevel);
  }
}

std::vector<HWND>* SiblingList(Window& w) {
  if (!w.parent) return &g_topLevel;
  auto p = GetQuiet(w.parent);
  return p ? &p->children : nullptr;
}

LONG_PTR ReadExtra(const std::vector<BYTE>& extra, int offset, size_t width, bool* ok) {
  if (offset < 0 || size_t(offset) + width > extra.size()) {
    *ok = false;
    return 0;
  }
  *ok = true;
  if (width == 2) {
    WORD v;
    std::memcpy(&v, extra.data() + offset, 2);
    return v;
  }
  if (width == 4) {
    LONG v;
    std::memcpy(&v, extra.data() + offset, 4);
    return v;
  }
  LONG_PTR v;
  std::memcpy(&v, extra.data() + offset, sizeof v);
  return v;
}

void SendShowMessages(HWND hwnd, bool show);

}  // namespace

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = Fold(c);
  return out;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::shared_ptr<Window> GetQuiet(HWND hwnd) {
  Lock lock(g_lock);
  auto it = g_windows.find(reinterpret_cast<UINT_PTR>(hwnd));
  return it == g_windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> Get(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

std::vector<HWND> TopLevelWindows() {
  Lock lock(g_lock);
  return g_topLevel;
}

HWND RootOf(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  while (w && w->parent) {
    auto p = GetQuiet(w->parent);
    if (!p) break;
    w = p;
  }
  return w ? w->handle : nullptr;
}

bool IsDialogWindow(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  return w && w->dialog != nullptr;
}

bool ClassIs(HWND hwnd, std::u16string_view name) {
  auto w = GetQuiet(hwnd);
  return w && EqualNoCase(w->cls->name, name);
}

RECT NonClientInsets(DWORD style, DWORD exStyle, bool child) {
  RECT r{};
  int edge = 0;
  if (HasWindowStyleCaption(style) || (style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    edge = 3;
  else if (style & WS_THICKFRAME)
    edge = 4;
  else if (style & WS_BORDER)
    edge = 1;
  if (exStyle & WS_EX_CLIENTEDGE) edge += 2;
  if (exStyle & WS_EX_STATICEDGE) edge += 1;
  r.left = r.right = r.top = r.bottom = edge;
  if (HasWindowStyleCaption(style)) r.top += GetSystemMetrics(SM_CYCAPTION);
  if (style & WS_VSCROLL) r.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) r.bottom += GetSystemMetrics(SM_CYHSCROLL);
  (void)child;
  return r;
}

POINT ClientOrigin(const Window& w) {
  RECT in = NonClientInsets(w.style, w.exStyle, w.parent != nullptr);
  POINT p{w.rect.left + in.left, w.rect.top + in.top};
  if (w.parent) {
    if (auto parent = GetQuiet(w.parent)) {
      POINT o = ClientOrigin(*parent);
      p.x += o.x;
      p.y += o.y;
    }
  }
  return p;
}

RECT ClientRectOf(const Window& w) {
  RECT in = NonClientInsets(w.style, w.exStyle, w.parent != nullptr);
  RECT r{0, 0, (w.rect.right - w.rect.left) - in.left - in.right, (w.rect.bottom - w.rect.top) - in.top - in.bottom};
  if (r.right < 0) r.right = 0;
  if (r.bottom < 0) r.bottom = 0;
  return r;
}

void RegisterSystemClass(const char16_t* name, WNDPROC proc, UINT style, int wndExtra, HBRUSH background) {
  auto c = std::make_shared<WindowClass>();
  c->name = name;
  c->proc = proc;
  c->style = style | CS_GLOBALCLASS;
  c->wndExtra = wndExtra;
  c->background = background;
  c->system = true;
  c->cursor = LoadCursorW(nullptr, IDC_ARROW);
  Lock lock(g_lock);
  c->atom = g_nextAtom++;
  g_classes.push_back(c);
}

HWND ParentOrOwner(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return nullptr;
  return w->parent ? w->parent : w->owner;
}

LRESULT Notify(HWND control, UINT code) {
  auto w = GetQuiet(control);
  if (!w || !w->parent) return 0;
  return SendMessageW(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT NotifyParent(HWND control, NMHDR& header, UINT code) {
  auto w = GetQuiet(control);
  if (!w) return 0;
  header.hwndFrom = control;
  header.idFrom = w->id;
  header.code = code;
  HWND to = w->parent ? w->parent : w->owner;
  if (!to) return 0;
  return SendMessageW(to, WM_NOTIFY, w->id, reinterpret_cast<LPARAM>(&header));
}

namespace {

// Activation of a top-level window, with its messages.
void Activate(HWND hwnd, WORD how) {
  HWND old;
  {
    Lock lock(g_lock);
    old = g_active;
    if (old == hwnd) return;
    g_active = hwnd;
  }
  if (old && GetQuiet(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (!old && hwnd) SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
  if (hwnd) {
    Lock lock(g_lock);
    auto it = std::find(g_topLevel.begin(), g_topLevel.end(), hwnd);
    if (it != g_topLevel.end()) std::rotate(g_topLevel.begin(), it, it + 1);
  }
  if (hwnd) {
    SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
  }
}

void SendShowMessages(HWND hwnd, bool show) {
  SendMessageW(hwnd, WM_SHOWWINDOW, show, 0);
  auto w = GetQuiet(hwnd);
  if (!w) return;
  WINDOWPOS pos{hwnd, nullptr, w->rect.left, w->rect.top, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top,
                UINT(SWP_NOSIZE | SWP_NOMOVE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW))};
  SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (show)
    w->style |= WS_VISIBLE;
  else
    w->style &= ~WS_VISIBLE;
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void DestroyTree(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w || w->destroying) return;
  w->destroying = true;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : std::vector<HWND>(w->children)) DestroyTree(child);
}

void FinalDestroy(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  for (HWND child : std::vector<HWND>(w->children)) FinalDestroy(child);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  RemoveWindowFromQueue(hwnd);
  ForgetSurface(hwnd);
  {
    Lock lock(g_lock);
    if (g_focus == hwnd) g_focus = nullptr;
    if (g_capture == hwnd) g_capture = nullptr;
    if (g_active == hwnd) g_active = nullptr;
  }
  Unlink(*w);
  Lock lock(g_lock);
  g_windows.erase(reinterpret_cast<UINT_PTR>(hwnd));
}

bool IsInside(HWND hwnd, HWND ancestor) {
  for (auto w = GetQuiet(hwnd); w; w = GetQuiet(w->parent))
    if (w->handle == ancestor) return true;
  return false;
}

}  // namespace

HFONT DefaultGuiFont() {
  static HFONT font = nullptr;
  return font;
}

}  // namespace zolt::host::user

using namespace zolt::host::user;
using zolt::host::user::Window;

// ---------------------------------------------------------------------------------------------
// Classes.

WIN32_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName || wc->cbClsExtra < 0 || wc->cbWndExtra < 0 ||
      wc->cbClsExtra > 40 || wc->cbWndExtra > 40 * 1024) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureSystemClasses();
  Lock lock(g_lock);
  if (!IS_INTRESOURCE(wc->lpszClassName)) {
    for (auto& c : g_classes)
      if (!c->system && EqualNoCase(c->name, wc->lpszClassName) && c->instance == wc->hInstance) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
      }
  }
  auto c = std::make_shared<WindowClass>();
  c->name = IS_INTRESOURCE(wc->lpszClassName) ? std::u16string() : std::u16string(wc->lpszClassName);
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->clsExtra = wc->cbClsExtra;
  c->wndExtra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
  c->iconSmall = wc->hIconSm;
  c->extra.assign(size_t(wc->cbClsExtra), 0);
  c->atom = g_nextAtom++;
  g_classes.push_back(c);
  return c->atom;
}

WIN32_API ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,         wc->lpfnWndProc,   wc->cbClsExtra,
                 wc->cbWndExtra,      wc->hInstance,     wc->hIcon,         wc->hCursor,
                 wc->hbrBackground,   wc->lpszMenuName,  wc->lpszClassName, nullptr};
  return RegisterClassExW(&ex);
}

WIN32_API BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE instance) {
  Lock lock(g_lock);
  for (auto it = g_classes.begin(); it != g_classes.end(); ++it) {
    auto& c = **it;
    bool match = IS_INTRESOURCE(name) ? c.atom == LOWORD(reinterpret_cast<ULONG_PTR>(name))
                                      : (name && EqualNoCase(c.name, name));
    if (!match || c.system || c.instance != instance) continue;
    for (auto& [h, w] : g_windows)
      if (w->cls.get() == &c) {
        SetLastError(1412);  // ERROR_CLASS_HAS_WINDOWS
        return FALSE;
      }
    g_classes.erase(it);
    return TRUE;
  }
  SetLastError(1411);  // ERROR_CLASS_DOES_NOT_EXIST
  return FALSE;
}

WIN32_API BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR name, LPWNDCLASSEXW out) {
  EnsureSystemClasses();
  if (!out || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto c = FindClass(name, instance);
  if (!c || (!c->system && !(c->style & CS_GLOBALCLASS) && instance && c->instance != instance) ||
      (!c->system && !instance && c->instance && !(c->style & CS_GLOBALCLASS))) {
    SetLastError(1411);
    return FALSE;
  }
  out->style = c->style & ~UINT(c->system ? CS_GLOBALCLASS : 0);
  out->lpfnWndProc = c->proc;
  out->cbClsExtra = c->clsExtra;
  out->cbWndExtra = c->wndExtra;
  out->hInstance = c->system ? nullptr : c->instance;
  out->hIcon = c->icon;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszMenuName = c->menuName.empty() ? nullptr : c->menuName.c_str();
  out->lpszClassName = name;
  out->hIconSm = c->iconSmall;
  return c->atom;
}

WIN32_API BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR name, LPWNDCLASSW out) {
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  if (!out || !GetClassInfoExW(instance, name, &ex)) return FALSE;
  *out = WNDCLASSW{ex.style,     ex.lpfnWndProc,   ex.cbClsExtra,    ex.cbWndExtra,  ex.hInstance,
                   ex.hIcon,     ex.hCursor,       ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
  return TRUE;
}

WIN32_API int WINAPI GetClassNameW(HWND hwnd, LPWSTR out, int max) {
  auto w = Get(hwnd);
  if (!w || !out || max <= 0) return 0;
  int n = std::min<int>(int(w->cls->name.size()), max - 1);
  std::copy_n(w->cls->name.data(), n, out);
  out[n] = 0;
  return n;
}

WIN32_API ULONG_PTR WINAPI GetClassLongPtrW(HWND hwnd, int index) {
  auto w = Get(hwnd);
  if (!w) return 0;
  switch (index) {
    case GCL_STYLE: return w->cls->style;
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(w->cls->proc);
    case GCL_CBWNDEXTRA: return ULONG_PTR(w->cls->wndExtra);
    case GCL_CBCLSEXTRA: return ULONG_PTR(w->cls->clsExtra);
  }
  bool ok;
  LONG_PTR v = ReadExtra(w->cls->extra, index, sizeof(LONG_PTR), &ok);
  if (!ok) SetLastError(1413);  // ERROR_INVALID_INDEX
  return ULONG_PTR(v);
}

WIN32_API DWORD WINAPI GetClassLongW(HWND hwnd, int index) { return DWORD(GetClassLongPtrW(hwnd, index)); }

// ---------------------------------------------------------------------------------------------
// Creation and destruction.

WIN32_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                      int width, int height, HWND parentHandle, HMENU menu, HINSTANCE instance,
                                      LPVOID param) {
  EnsureSystemClasses();
  auto cls = FindClass(className, instance);
  if (!cls) {
    SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
    return nullptr;
  }
  if (parentHandle == HWND_MESSAGE) parentHandle = nullptr;
  std::shared_ptr<Window> parent;
  if (parentHandle) {
    parent = Get(parentHandle);
    if (!parent) return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  if (child && !parent) {
    SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
    return nullptr;
  }
  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style;
  w->exStyle = exStyle;
  if ((style & WS_CAPTION) == WS_CAPTION || (!child && !(style & WS_POPUP))) w->exStyle |= WS_EX_WINDOWEDGE;
  w->instance = instance;
  w->extra.assign(size_t(cls->wndExtra), 0);
  w->thread = GetCurrentThreadId();
  if (child) {
    w->parent = parentHandle;
    w->id = reinterpret_cast<UINT_PTR>(menu);
  } else {
    w->owner = parentHandle ? RootOf(parentHandle) : nullptr;
    w->id = reinterpret_cast<UINT_PTR>(menu);
    // An overlapped window always has a caption.
    if (!(style & WS_POPUP)) w->style |= WS_CAPTION | WS_CLIPSIBLINGS;
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : 640;
    height = child ? 0 : 480;
  }
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  {
    Lock lock(g_lock);
    w->handle = reinterpret_cast<HWND>(g_nextHandle);
    g_nextHandle += 4;
    g_windows[reinterpret_cast<UINT_PTR>(w->handle)] = w;
  }
  HWND hwnd = w->handle;
  LinkIntoParent(*w);
  bool visible = (style & WS_VISIBLE) != 0;
  w->style &= ~WS_VISIBLE;  // shown after creation

  CREATESTRUCTW cs{param, instance, menu, parentHandle, height, width, y, x, LONG(w->style),
                   windowName, className, w->exStyle};
  if (!child && (w->style & WS_THICKFRAME)) {
    struct {
      POINT reserved, maxSize, maxPosition, minTrack, maxTrack;
    } mmi{{0, 0}, {1024, 768}, {0, 0}, {100, 30}, {1024, 768}};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  }
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(hwnd);
    SetLastError(0);
    return nullptr;
  }
  w->created = true;
  struct {
    RECT rgrc[3];
    WINDOWPOS* lppos;
  } calc{{w->rect, w->rect, w->rect}, nullptr};
  SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc.rgrc[0]));
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!GetQuiet(hwnd)) return nullptr;
  RECT cr = ClientRectOf(*w);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.right, cr.bottom));
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if (child && !(w->exStyle & WS_EX_NOPARENTNOTIFY))
    SendMessageW(parentHandle, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, w->id), reinterpret_cast<LPARAM>(hwnd));
  if (visible && GetQuiet(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return GetQuiet(hwnd) ? hwnd : nullptr;
}

WIN32_API BOOL WINAPI DestroyWindow(HWND hwnd) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;
  // Owned windows go first.
  for (HWND other : TopLevelWindows()) {
    auto o = GetQuiet(other);
    if (o && o->owner == hwnd) DestroyWindow(other);
  }
  if (w->style & WS_VISIBLE) SendShowMessages(hwnd, false);
  HWND focus = GetFocus();
  if (focus && IsInside(focus, hwnd)) {
    {
      Lock lock(g_lock);
      g_focus = nullptr;
    }
    if (GetQuiet(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
  }
  if (GetCapture() && IsInside(GetCapture(), hwnd)) ReleaseCapture();
  if (!w->parent && GetActiveWindow() == hwnd) {
    HWND next = nullptr;
    if (w->owner && GetQuiet(w->owner)) next = w->owner;
    if (!next)
      for (HWND t : TopLevelWindows()) {
        auto o = GetQuiet(t);
        if (t != hwnd && o && (o->style & WS_VISIBLE)) {
          next = t;
          break;
        }
      }
    Activate(next, WA_ACTIVE);
    if (next) {
      auto n = GetQuiet(next);
      if (n && n->dialog && n->dialog->lastFocus && GetQuiet(n->dialog->lastFocus))
        SetFocus(n->dialog->lastFocus);
      else
        SetFocus(next);
    }
  }
  if (w->parent && !(w->exStyle & WS_EX_NOPARENTNOTIFY))
    SendMessageW(w->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, w->id), reinterpret_cast<LPARAM>(hwnd));
  DestroyTree(hwnd);
  FinalDestroy(hwnd);
  return TRUE;
}

WIN32_API BOOL WINAPI IsWindow(HWND hwnd) { return GetQuiet(hwnd) != nullptr; }

WIN32_API BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
  auto w = GetQuiet(hwnd);
  while (w && w->parent) {
    if (w->parent == parent) return TRUE;
    w = GetQuiet(w->parent);
  }
  return FALSE;
}

WIN32_API HWND WINAPI GetParent(HWND hwnd) {
  auto w = Get(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

WIN32_API HWND WINAPI SetParent(HWND child, HWND newParent) {
  auto w = Get(child);
  if (!w) return nullptr;
  if (newParent && !Get(newParent)) return nullptr;
  HWND old = w->parent;
  Unlink(*w);
  w->parent = newParent;
  if (newParent)
    w->style = (w->style & ~WS_POPUP) | WS_CHILD;
  LinkIntoParent(*w);
  return old ? old : GetDesktopWindow();
}

WIN32_API HWND WINAPI GetAncestor(HWND hwnd, UINT flags) {
  auto w = Get(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent ? w->parent : GetDesktopWindow();
    case GA_ROOT: return RootOf(hwnd);
    case GA_ROOTOWNER: {
      HWND r = RootOf(hwnd);
      for (auto o = GetQuiet(r); o && o->owner; o = GetQuiet(o->owner)) r = o->owner;
      return r;
    }
  }
  return nullptr;
}

WIN32_API HWND WINAPI GetDesktopWindow(void) { return reinterpret_cast<HWND>(UINT_PTR(0x10000)); }

WIN32_API HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
  auto w = Get(hwnd);
  if (!w) return nullptr;
  Lock lock(g_lock);
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return w->parent ? nullptr : w->owner;
  if (cmd == GW_ENABLEDPOPUP) return nullptr;
  auto* list = SiblingList(*w);
  if (!list) return nullptr;
  auto it = std::find(list->begin(), list->end(), hwnd);
  if (it == list->end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST: return list->front();
    case GW_HWNDLAST: return list->back();
    case GW_HWNDNEXT: return it + 1 == list->end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list->begin() ? nullptr : *(it - 1);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

WIN32_API HWND WINAPI GetTopWindow(HWND hwnd) {
  if (!hwnd) {
    Lock lock(g_lock);
    return g_topLevel.empty() ? nullptr : g_topLevel.front();
  }
  return GetWindow(hwnd, GW_CHILD);
}

WIN32_API HWND WINAPI FindWindowExW(HWND parent, HWND after, LPCWSTR className, LPCWSTR windowName) {
  std::vector<HWND> list;
  if (!parent || parent == GetDesktopWindow()) {
    list = TopLevelWindows();
  } else {
    auto p = Get(parent);
    if (!p) return nullptr;
    list = p->children;
  }
  bool started = after == nullptr;
  for (HWND h : list) {
    if (!started) {
      started = h == after;
      continue;
    }
    auto w = GetQuiet(h);
    if (!w) continue;
    if (className) {
      if (IS_INTRESOURCE(className) ? w->cls->atom != LOWORD(reinterpret_cast<ULONG_PTR>(className))
                                    : !EqualNoCase(w->cls->name, className))
        continue;
    }
    if (windowName && w->text != std::u16string_view(windowName)) continue;
    return h;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

WIN32_API HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return FindWindowExW(nullptr, nullptr, className, windowName);
}

namespace {
bool EnumChildren(HWND parent, WNDENUMPROC fn, LPARAM lParam) {
  auto p = GetQuiet(parent);
  if (!p) return true;
  for (HWND h : std::vector<HWND>(p->children)) {
    if (!GetQuiet(h)) continue;
    if (!fn(h, lParam)) return false;
    if (!EnumChildren(h, fn, lParam)) return false;
  }
  return true;
}
}  // namespace

WIN32_API BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  if (!parent) return EnumWindows(fn, lParam);
  EnumChildren(parent, fn, lParam);
  return TRUE;
}

WIN32_API BOOL WINAPI EnumWindows(WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  for (HWND h : TopLevelWindows())
    if (GetQuiet(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

WIN32_API BOOL WINAPI EnumThreadWindows(DWORD thread, WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  for (HWND h : TopLevelWindows()) {
    auto w = GetQuiet(h);
    if (w && w->thread == thread && !fn(h, lParam)) return FALSE;
  }
  return TRUE;
}

WIN32_API DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD pid) {
  auto w = Get(hwnd);
  if (!w) return 0;
  if (pid) *pid = GetCurrentProcessId();
  return w->thread;
}

// ---------------------------------------------------------------------------------------------
// Window words and procedures.

WIN32_API LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
  auto w = Get(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_STYLE: return LONG(w->style);
    case GWL_EXSTYLE: return LONG(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    case GWLP_ID: return LONG_PTR(w->id);
  }
  bool ok;
  LONG_PTR v = ReadExtra(w->extra, index, sizeof(LONG_PTR), &ok);
  if (!ok) {
    // A 32-bit read of a word that ends inside the extra bytes.
    v = ReadExtra(w->extra, index, 4, &ok);
    if (!ok) {
      SetLastError(1413);
      return 0;
    }
  }
  return v;
}

WIN32_API LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  auto w = Get(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  switch (index) {
    case GWLP_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      old = reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
      if (!w->parent) w->owner = reinterpret_cast<HWND>(value);
      return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
      STYLESTRUCT ss{field, DWORD(value)};
      SendMessageW(hwnd, WM_STYLECHANGING, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
      old = LONG(field);
      field = ss.styleNew;
      SendMessageW(hwnd, WM_STYLECHANGED, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
      return old;
    }
    case GWLP_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    case GWLP_ID:
      old = LONG_PTR(w->id);
      w->id = UINT_PTR(value);
      return old;
  }
  bool ok;
  size_t width = sizeof(LONG_PTR);
  old = ReadExtra(w->extra, index, width, &ok);
  if (!ok) {
    width = 4;
    old = ReadExtra(w->extra, index, width, &ok);
  }
  if (!ok) {
    SetLastError(1413);
    return 0;
  }
  if (width == 4) {
    LONG v = LONG(value);
    std::memcpy(w->extra.data() + index, &v, 4);
  } else {
    std::memcpy(w->extra.data() + index, &value, sizeof value);
  }
  return old;
}

WIN32_API LONG WINAPI GetWindowLongW(HWND hwnd, int index) { return LONG(GetWindowLongPtrW(hwnd, index)); }

WIN32_API LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
  if (index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT || index == GWLP_USERDATA ||
      index == GWLP_ID || index == GWL_STYLE || index == GWL_EXSTYLE)
    return LONG(SetWindowLongPtrW(hwnd, index, index == GWL_STYLE || index == GWL_EXSTYLE ? LONG_PTR(DWORD(value))
                                                                                          : LONG_PTR(value)));
  auto w = Get(hwnd);
  if (!w) return 0;
  bool ok;
  LONG old = LONG(ReadExtra(w->extra, index, 4, &ok));
  if (!ok) {
    SetLastError(1413);
    return 0;
  }
  std::memcpy(w->extra.data() + index, &value, 4);
  return old;
}

WIN32_API WORD WINAPI GetWindowWord(HWND hwnd, int index) {
  auto w = Get(hwnd);
  if (!w) return 0;
  bool ok;
  WORD v = WORD(ReadExtra(w->extra, index, 2, &ok));
  if (!ok) SetLastError(1413);
  return v;
}

WIN32_API LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Properties.

WIN32_API BOOL WINAPI SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
  auto w = Get(hwnd);
  if (!w || !name) return FALSE;
  std::u16string key = IS_INTRESOURCE(name) ? u"#" + std::u16string(1, char16_t(LOWORD(reinterpret_cast<ULONG_PTR>(name))))
                                            : Lower(name);
  for (auto& [k, v] : w->props)
    if (k == key) {
      v = data;
      return TRUE;
    }
  w->props.emplace_back(key, data);
  return TRUE;
}

WIN32_API HANDLE WINAPI GetPropW(HWND hwnd, LPCWSTR name) {
  auto w = GetQuiet(hwnd);
  if (!w || !name) return nullptr;
  std::u16string key = IS_INTRESOURCE(name) ? u"#" + std::u16string(1, char16_t(LOWORD(reinterpret_cast<ULONG_PTR>(name))))
                                            : Lower(name);
  for (auto& [k, v] : w->props)
    if (k == key) return v;
  return nullptr;
}

WIN32_API HANDLE WINAPI RemovePropW(HWND hwnd, LPCWSTR name) {
  auto w = GetQuiet(hwnd);
  if (!w || !name) return nullptr;
  std::u16string key = IS_INTRESOURCE(name) ? u"#" + std::u16string(1, char16_t(LOWORD(reinterpret_cast<ULONG_PTR>(name))))
                                            : Lower(name);
  for (auto it = w->props.begin(); it != w->props.end(); ++it)
    if (it->first == key) {
      HANDLE v = it->second;
      w->props.erase(it);
      return v;
    }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Text and state.

WIN32_API int WINAPI GetWindowTextW(HWND hwnd, LPWSTR out, int max) {
  if (!Get(hwnd)) return 0;
  if (!out || max <= 0) return 0;
  out[0] = 0;
  return int(SendMessageW(hwnd, WM_GETTEXT, WPARAM(max), reinterpret_cast<LPARAM>(out)));
}

WIN32_API int WINAPI GetWindowTextLengthW(HWND hwnd) {
  if (!Get(hwnd)) return 0;
  return int(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

WIN32_API BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Get(hwnd)) return FALSE;
  return BOOL(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

WIN32_API BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (!enable) {
    HWND focus = GetFocus();
    if (focus && IsInside(focus, hwnd)) SetFocus(nullptr);
    if (GetCapture() && IsInside(GetCapture(), hwnd)) ReleaseCapture();
    w->style |= WS_DISABLED;
  } else {
    w->style &= ~WS_DISABLED;
  }
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
  return wasDisabled;
}

WIN32_API BOOL WINAPI IsWindowEnabled(HWND hwnd) {
  auto w = Get(hwnd);
  return w && !(w->style & WS_DISABLED);
}

WIN32_API BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  BOOL wasVisible = (w->style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE && cmd != SW_MINIMIZE;
  if (show == bool(wasVisible)) {
    if (show && !w->parent && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWNA && cmd != SW_SHOWMINNOACTIVE &&
        GetActiveWindow() != hwnd)
      SetActiveWindow(hwnd);
    return wasVisible;
  }
  SendShowMessages(hwnd, show);
  if (!GetQuiet(hwnd)) return wasVisible;
  if (show) {
    InvalidateRect(hwnd, nullptr, TRUE);
    if (!w->parent && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWNA && cmd != SW_SHOWMINNOACTIVE) SetActiveWindow(hwnd);
  } else {
    HWND focus = GetFocus();
    if (focus && IsInside(focus, hwnd)) {
      if (w->parent)
        SetFocus(w->parent);
      else {
        Lock lock(g_lock);
        g_focus = nullptr;
      }
    }
    if (w->parent) InvalidateRect(w->parent, &w->rect, TRUE);
    if (!w->parent && GetActiveWindow() == hwnd) {
      HWND next = w->owner && GetQuiet(w->owner) ? w->owner : nullptr;
      Activate(next, WA_ACTIVE);
    }
  }
  RECT cr = ClientRectOf(*w);
  if (show) SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.right, cr.bottom));
  return wasVisible;
}

WIN32_API BOOL WINAPI IsWindowVisible(HWND hwnd) {
  for (auto w = GetQuiet(hwnd); w; w = GetQuiet(w->parent)) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
    if (!w->parent) return TRUE;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------------------------
// Focus, activation and capture.

WIN32_API HWND WINAPI SetFocus(HWND hwnd) {
  if (hwnd) {
    auto w = Get(hwnd);
    if (!w) return nullptr;
    // A disabled window or one inside a disabled window takes no focus.
    for (auto a = w; a; a = GetQuiet(a->parent))
      if (a->style & WS_DISABLED) return nullptr;
    HWND root = RootOf(hwnd);
    if (GetActiveWindow() != root) {
      Activate(root, WA_ACTIVE);
      if (GetFocus() == hwnd) return hwnd;
    }
  }
  HWND old;
  {
    Lock lock(g_lock);
    old = g_focus;
    if (old == hwnd) return old;
    g_focus = hwnd;
  }
  if (old && GetQuiet(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && GetFocus() == hwnd && GetQuiet(hwnd))
    SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

WIN32_API HWND WINAPI GetFocus(void) {
  Lock lock(g_lock);
  return g_focus;
}

WIN32_API HWND WINAPI SetActiveWindow(HWND hwnd) {
  HWND old = GetActiveWindow();
  if (hwnd) {
    auto w = Get(hwnd);
    if (!w) return nullptr;
    hwnd = RootOf(hwnd);
  }
  Activate(hwnd, WA_ACTIVE);
  return old;
}

WIN32_API HWND WINAPI GetActiveWindow(void) {
  Lock lock(g_lock);
  return g_active;
}

WIN32_API HWND WINAPI GetForegroundWindow(void) { return GetActiveWindow(); }
WIN32_API BOOL WINAPI SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) != nullptr || GetActiveWindow() == RootOf(hwnd); }

WIN32_API HWND WINAPI SetCapture(HWND hwnd) {
  HWND old;
  {
    Lock lock(g_lock);
    old = g_capture;
    g_capture = hwnd;
  }
  if (old && old != hwnd && GetQuiet(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

WIN32_API HWND WINAPI GetCapture(void) {
  Lock lock(g_lock);
  return g_capture;
}

WIN32_API BOOL WINAPI ReleaseCapture(void) {
  HWND old;
  {
    Lock lock(g_lock);
    old = g_capture;
    g_capture = nullptr;
  }
  if (old && GetQuiet(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Geometry.

WIN32_API BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT out) {
  auto w = Get(hwnd);
  if (!w || !out) return FALSE;
  *out = w->rect;
  if (w->parent) {
    if (auto p = GetQuiet(w->parent)) {
      POINT o = ClientOrigin(*p);
      OffsetRect(out, o.x, o.y);
    }
  }
  return TRUE;
}

WIN32_API BOOL WINAPI GetClientRect(HWND hwnd, LPRECT out) {
  auto w = Get(hwnd);
  if (!w || !out) return FALSE;
  *out = ClientRectOf(*w);
  return TRUE;
}

WIN32_API BOOL WINAPI SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  WINDOWPOS pos{hwnd, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    pos.x = w->rect.left;
    pos.y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    pos.cx = w->rect.right - w->rect.left;
    pos.cy = w->rect.bottom - w->rect.top;
  }
  if (!(flags & SWP_NOSENDCHANGING)) SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  RECT old = w->rect;
  bool moved = pos.x != old.left || pos.y != old.top;
  bool sized = pos.cx != old.right - old.left || pos.cy != old.bottom - old.top;
  if (w->parent && (moved || sized) && !(flags & SWP_NOREDRAW)) InvalidateRect(w->parent, &old, TRUE);
  w->rect = RECT{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
  if (!(flags & SWP_NOZORDER)) {
    Lock lock(g_lock);
    auto* list = SiblingList(*w);
    if (list) {
      list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
      if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        list->insert(list->begin(), hwnd);
      } else if (after == HWND_BOTTOM) {
        list->push_back(hwnd);
      } else {
        auto it = std::find(list->begin(), list->end(), after);
        list->insert(it == list->end() ? list->end() : it + 1, hwnd);
      }
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (sized) {
    RECT cr = ClientRectOf(*w);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.right, cr.bottom));
  }
  if (moved) SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if ((moved || sized) && !(flags & SWP_NOREDRAW)) InvalidateRect(hwnd, nullptr, TRUE);
  if (!(flags & SWP_NOACTIVATE) && !w->parent && (w->style & WS_VISIBLE) && !(flags & SWP_HIDEWINDOW))
    SetActiveWindow(hwnd);
  return TRUE;
}

WIN32_API BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

WIN32_API BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT p) {
  auto w = Get(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ClientOrigin(*w);
  p->x -= o.x;
  p->y -= o.y;
  return TRUE;
}

WIN32_API BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT p) {
  auto w = Get(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ClientOrigin(*w);
  p->x += o.x;
  p->y += o.y;
  return TRUE;
}

WIN32_API int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from && from != GetDesktopWindow()) {
    auto w = Get(from);
    if (!w) return 0;
    a = ClientOrigin(*w);
  }
  if (to && to != GetDesktopWindow()) {
    auto w = Get(to);
    if (!w) return 0;
    b = ClientOrigin(*w);
  }
  LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  const WORD lo = WORD(SHORT(dx)), hi = WORD(SHORT(dy));
  return MAKELONG(lo, hi);
}

namespace {
HWND ChildAt(HWND parent, POINT screen, bool skipHidden) {
  auto p = GetQuiet(parent);
  if (!p) return nullptr;
  for (HWND h : std::vector<HWND>(p->children)) {
    auto c = GetQuiet(h);
    if (!c || (skipHidden && !(c->style & WS_VISIBLE))) continue;
    RECT r;
    GetWindowRect(h, &r);
    if (!PtInRect(&r, screen)) continue;
    // Group boxes let the mouse through to what they frame.
    if (EqualNoCase(c->cls->name, u"button") && (c->style & BS_TYPEMASK) == BS_GROUPBOX) continue;
    HWND deeper = ChildAt(h, screen, skipHidden);
    return deeper ? deeper : h;
  }
  return nullptr;
}
}  // namespace

WIN32_API HWND WINAPI WindowFromPoint(POINT pt) {
  for (HWND top : TopLevelWindows()) {
    auto w = GetQuiet(top);
    if (!w || !(w->style & WS_VISIBLE) || !PtInRect(&w->rect, pt)) continue;
    HWND c = ChildAt(top, pt, true);
    return c ? c : top;
  }
  return nullptr;
}

WIN32_API HWND WINAPI ChildWindowFromPoint(HWND parent, POINT pt) {
  auto p = Get(parent);
  if (!p) return nullptr;
  POINT s = pt;
  ClientToScreen(parent, &s);
  for (HWND h : p->children) {
    RECT r;
    GetWindowRect(h, &r);
    if (PtInRect(&r, s)) return h;
  }
  RECT cr = ClientRectOf(*p);
  return PtInRect(&cr, pt) ? parent : nullptr;
}

WIN32_API BOOL WINAPI AdjustWindowRectEx(LPRECT r, DWORD style, BOOL, DWORD exStyle) {
  if (!r) return FALSE;
  RECT in = NonClientInsets(style, exStyle, (style & WS_CHILD) != 0);
  r->left -= in.left;
  r->top -= in.top;
  r->right += in.right;
  r->bottom += in.bottom;
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Metrics and colours of the virtual display.

WIN32_API int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 22;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 20;
  }
  return 0;
}

WIN32_API DWORD WINAPI GetSysColor(int index) {
  // COLORREF values (0x00BBGGRR) of the plain scheme the host draws with.
  static const DWORD colours[] = {
      0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000,
      0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000,
      0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF};
  if (index < 0 || index >= int(sizeof colours / sizeof colours[0])) return 0;
  return colours[index];
}

WIN32_API BOOL WINAPI MessageBeep(UINT) { return TRUE; }

