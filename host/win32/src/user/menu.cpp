// Menus: popup menus built by calls or loaded from menu templates, their items and states,
// and TrackPopupMenu, whose choice the automation interface gives.
#include <memory>
#include <mutex>
#include <unordered_map>

#include "user/window.h"
#include "win32/hostui.h"

namespace zolt::host::user {

namespace {

struct MenuItem {
  UINT flags = 0;
  UINT_PTR id = 0;
  std::u16string text;
  HMENU popup = nullptr;
};

struct Menu {
  bool popup = false;
  std::vector<MenuItem> items;
};

std::mutex g_menuLock;
std::unordered_map<UINT_PTR, std::shared_ptr<Menu>> g_menus;
UINT_PTR g_nextMenu = 0x30010;

HMENU NewMenu(bool popup) {
  auto m = std::make_shared<Menu>();
  m->popup = popup;
  std::lock_guard<std::mutex> lock(g_menuLock);
  HMENU h = reinterpret_cast<HMENU>(g_nextMenu);
  g_nextMenu += 4;
  g_menus[reinterpret_cast<UINT_PTR>(h)] = m;
  return h;
}

std::shared_ptr<Menu> Find(HMENU h) {
  std::lock_guard<std::mutex> lock(g_menuLock);
  auto it = g_menus.find(reinterpret_cast<UINT_PTR>(h));
  if (it == g_menus.end()) {
    SetLastError(1401);  // ERROR_INVALID_MENU_HANDLE
    return nullptr;
  }
  return it->second;
}

// The item at a position or with a command id (searched through popups).
MenuItem* Locate(HMENU h, UINT which, UINT flags, int depth = 0) {
  auto m = Find(h);
  if (!m || depth > 16) return nullptr;
  if (flags & MF_BYPOSITION) return which < m->items.size() ? &m->items[which] : nullptr;
  for (auto& item : m->items) {
    if (!(item.flags & MF_POPUP) && item.id == which) return &item;
    if (item.popup)
      if (MenuItem* inner = Locate(item.popup, which, flags, depth + 1)) return inner;
  }
  return nullptr;
}

bool ParseMenu(const BYTE* data, size_t size, size_t* pos, HMENU into, int depth) {
  if (depth > 16) return false;
  auto m = Find(into);
  for (;;) {
    if (*pos + 2 > size) return false;
    WORD flags = WORD(data[*pos] | (data[*pos + 1] << 8));
    *pos += 2;
    WORD id = 0;
    if (!(flags & MF_POPUP)) {
      if (*pos + 2 > size) return false;
      id = WORD(data[*pos] | (data[*pos + 1] << 8));
      *pos += 2;
    }
    std::u16string text;
    for (;;) {
      if (*pos + 2 > size) return false;
      WORD c = WORD(data[*pos] | (data[*pos + 1] << 8));
      *pos += 2;
      if (!c) break;
      text.push_back(char16_t(c));
    }
    MenuItem item;
    item.flags = flags & ~UINT(MF_END);
    item.id = id;
    item.text = text;
    if (flags & MF_POPUP) {
      item.popup = NewMenu(true);
      if (!ParseMenu(data, size, pos, item.popup, depth + 1)) return false;
    } else if (text.empty() && id == 0) {
      item.flags |= MF_SEPARATOR;
    }
    m->items.push_back(item);
    if (flags & MF_END) return true;
  }
}

}  // namespace

}  // namespace zolt::host::user

using namespace zolt::host::user;

WIN32_API HMENU WINAPI CreateMenu(void) { return NewMenu(false); }
WIN32_API HMENU WINAPI CreatePopupMenu(void) { return NewMenu(true); }

WIN32_API BOOL WINAPI DestroyMenu(HMENU h) {
  auto m = Find(h);
  if (!m) return FALSE;
  for (auto& item : m->items)
    if (item.popup) DestroyMenu(item.popup);
  std::lock_guard<std::mutex> lock(g_menuLock);
  g_menus.erase(reinterpret_cast<UINT_PTR>(h));
  return TRUE;
}

WIN32_API BOOL WINAPI InsertMenuW(HMENU h, UINT position, UINT flags, UINT_PTR id, LPCWSTR text) {
  auto m = Find(h);
  if (!m) return FALSE;
  MenuItem item;
  item.flags = flags & ~UINT(MF_BYPOSITION);
  if (flags & MF_POPUP) {
    item.popup = reinterpret_cast<HMENU>(id);
    if (!Find(item.popup)) return FALSE;
  } else {
    item.id = id;
  }
  if (!(flags & (MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP)) && text) item.text = text;
  size_t at = m->items.size();
  if (position != UINT(-1)) {
    if (flags & MF_BYPOSITION) {
      at = std::min<size_t>(position, m->items.size());
    } else {
      for (size_t i = 0; i < m->items.size(); ++i)
        if (m->items[i].id == position) at = i;
    }
  }
  m->items.insert(m->items.begin() + long(at), item);
  return TRUE;
}

WIN32_API BOOL WINAPI AppendMenuW(HMENU h, UINT flags, UINT_PTR id, LPCWSTR text) {
  return InsertMenuW(h, UINT(-1), flags | MF_BYPOSITION, id, text);
}

WIN32_API BOOL WINAPI RemoveMenu(HMENU h, UINT which, UINT flags) {
  auto m = Find(h);
  if (!m) return FALSE;
  for (size_t i = 0; i < m->items.size(); ++i) {
    bool match = (flags & MF_BYPOSITION) ? i == which : (!m->items[i].popup && m->items[i].id == which);
    if (match) {
      m->items.erase(m->items.begin() + long(i));
      return TRUE;
    }
  }
  return FALSE;
}

WIN32_API BOOL WINAPI DeleteMenu(HMENU h, UINT which, UINT flags) {
  if (MenuItem* item = Locate(h, which, flags))
    if (item->popup) DestroyMenu(item->popup);
  return RemoveMenu(h, which, flags);
}

WIN32_API HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  HRSRC res = FindResourceW(instance, name, RT_MENU);
  if (!res) return nullptr;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, res)));
  size_t size = SizeofResource(instance, res);
  if (!data || size < 4) return nullptr;
  WORD version = WORD(data[0] | (data[1] << 8));
  WORD header = WORD(data[2] | (data[3] << 8));
  if (version != 0 || size_t(4) + header > size) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  HMENU menu = NewMenu(false);
  size_t pos = 4 + header;
  if (!ParseMenu(data, size, &pos, menu, 0)) {
    DestroyMenu(menu);
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return menu;
}

WIN32_API HMENU WINAPI GetSubMenu(HMENU h, int pos) {
  auto m = Find(h);
  if (!m || pos < 0 || size_t(pos) >= m->items.size()) return nullptr;
  return m->items[size_t(pos)].popup;
}

WIN32_API int WINAPI GetMenuItemCount(HMENU h) {
  auto m = Find(h);
  return m ? int(m->items.size()) : -1;
}

WIN32_API UINT WINAPI GetMenuItemID(HMENU h, int pos) {
  auto m = Find(h);
  if (!m || pos < 0 || size_t(pos) >= m->items.size() || m->items[size_t(pos)].popup) return UINT(-1);
  return UINT(m->items[size_t(pos)].id);
}

WIN32_API UINT WINAPI GetMenuState(HMENU h, UINT which, UINT flags) {
  MenuItem* item = Locate(h, which, flags);
  if (!item) return UINT(-1);
  UINT state = item->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP | MF_DEFAULT);
  if (item->popup) state |= UINT(GetMenuItemCount(item->popup)) << 8;
  return state;
}

WIN32_API int WINAPI GetMenuStringW(HMENU h, UINT which, LPWSTR out, int max, UINT flags) {
  MenuItem* item = Locate(h, which, flags);
  if (!item) return 0;
  if (!out || max <= 0) return int(item->text.size());
  int n = std::min<int>(int(item->text.size()), max - 1);
  std::copy_n(item->text.data(), n, out);
  out[n] = 0;
  return n;
}

WIN32_API BOOL WINAPI EnableMenuItem(HMENU h, UINT which, UINT enable) {
  MenuItem* item = Locate(h, which, enable & MF_BYPOSITION);
  if (!item) return -1;
  UINT old = item->flags & (MF_GRAYED | MF_DISABLED);
  item->flags = (item->flags & ~UINT(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return BOOL(old);
}

WIN32_API DWORD WINAPI CheckMenuItem(HMENU h, UINT which, UINT check) {
  MenuItem* item = Locate(h, which, check & MF_BYPOSITION);
  if (!item) return DWORD(-1);
  DWORD old = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~UINT(MF_CHECKED)) | (check & MF_CHECKED);
  return old;
}

WIN32_API BOOL WINAPI TrackPopupMenu(HMENU h, UINT flags, int, int, int, HWND owner, const RECT*) {
  auto m = Find(h);
  if (!m || !IsWindow(owner)) {
    if (m) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  zolt::host::ui::MenuRecord record{owner, {}, 0};
  for (auto& item : m->items) record.items.push_back((item.flags & MF_SEPARATOR) ? std::u16string() : item.text);
  UINT command = 0;
  zolt::host::ui::detail::NextMenuAnswer(&command);
  // Only an enabled command of this menu (or of its popups) can be chosen.
  if (command) {
    MenuItem* item = Locate(h, command, MF_BYCOMMAND);
    if (!item || (item->flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR))) command = 0;
  }
  record.chosen = command;
  zolt::host::ui::detail::RecordMenu(record);
  if (!(flags & TPM_NONOTIFY)) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(h), 0);
  if (flags & TPM_RETURNCMD) return BOOL(command);
  if (command) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return TRUE;
}

WIN32_API BOOL WINAPI TrackPopupMenuEx(HMENU h, UINT flags, int x, int y, HWND owner, LPVOID) {
  return TrackPopupMenu(h, flags, x, y, 0, owner, nullptr);
}
