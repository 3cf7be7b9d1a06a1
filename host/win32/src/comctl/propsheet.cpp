// Property sheets: pages made from their templates when first shown, the frame with its tab
// control and OK, Cancel, Apply and Help buttons, the PSN_ notifications to the pages (with
// the answers they give in their message result) and the PSM_ messages that steer the sheet.
#include <algorithm>
#include <cstring>
#include <memory>

#include "comctl/comctl_internal.h"
#include "user/window.h"

struct _PSP {
  std::vector<BYTE> copy;  // the caller's PROPSHEETPAGEW, dwSize bytes (extra data included)
  PROPSHEETPAGEW* Page() { return reinterpret_cast<PROPSHEETPAGEW*>(copy.data()); }
};

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

constexpr int kTabId = 0x3020;
constexpr size_t kPageV1Size = offsetof(PROPSHEETPAGEW, pfnCallback) + sizeof(LPFNPSPCALLBACKW) + sizeof(UINT*);
constexpr size_t kHeaderV1Size = offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK);

struct SheetPage {
  HPROPSHEETPAGE handle = nullptr;
  bool own = false;  // made by PropertySheetW from a PROPSHEETPAGEW array
  HWND hwnd = nullptr;
  DialogTemplate tpl;
  bool loaded = false;
  bool changed = false;
  std::u16string title;
};

struct Sheet {
  PROPSHEETHEADERW header{};
  std::vector<SheetPage> pages;
  int current = -1;
  HWND hwnd = nullptr;
  HWND tab = nullptr;
  INT_PTR result = 0;
  bool applied = false;
  bool done = false;
  bool modeless = false;
  int restart = 0;  // ID_PSRESTARTWINDOWS / ID_PSREBOOTSYSTEM
};

bool LoadPageTemplate(SheetPage& p) {
  if (p.loaded) return true;
  PROPSHEETPAGEW* page = p.handle->Page();
  if (page->dwFlags & PSP_DLGINDIRECT) {
    if (!page->pResource ||
        !ParseDialogTemplate(reinterpret_cast<const BYTE*>(page->pResource), size_t(1) << 20, &p.tpl))
      return false;
  } else {
    HRSRC res = FindResourceW(page->hInstance, page->pszTemplate, RT_DIALOG);
    if (!res) return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(page->hInstance, res)));
    if (!data || !ParseDialogTemplate(data, SizeofResource(page->hInstance, res), &p.tpl)) return false;
  }
  p.loaded = true;
  if ((page->dwFlags & PSP_USETITLE) && page->pszTitle) {
    if (IS_INTRESOURCE(page->pszTitle)) {
      WCHAR buf[256];
      if (LoadStringW(page->hInstance, LOWORD(reinterpret_cast<ULONG_PTR>(page->pszTitle)), buf, 256)) p.title = buf;
    } else {
      p.title = page->pszTitle;
    }
  } else {
    p.title = p.tpl.title;
  }
  return true;
}

LRESULT NotifyPage(Sheet& s, int index, UINT code, LPARAM lParam) {
  if (index < 0 || size_t(index) >= s.pages.size() || !s.pages[size_t(index)].hwnd) return 0;
  PSHNOTIFY nm{{s.hwnd, 0, code}, lParam};
  return SendMessageW(s.pages[size_t(index)].hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
}

RECT PageArea(Sheet& s) {
  RECT r;
  GetClientRect(s.tab, &r);
  SendMessageW(s.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(s.tab, s.hwnd, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool CreatePage(Sheet& s, int index) {
  SheetPage& p = s.pages[size_t(index)];
  if (p.hwnd) return true;
  if (!LoadPageTemplate(p)) return false;
  PROPSHEETPAGEW* page = p.handle->Page();
  if ((page->dwFlags & PSP_USECALLBACK) && page->pfnCallback && !page->pfnCallback(nullptr, PSPCB_CREATE, page))
    return false;
  DialogTemplate tpl = p.tpl;
  tpl.style = (tpl.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME)) | WS_CHILD | DS_CONTROL;
  tpl.x = tpl.y = 0;
  HWND hwnd = CreateDialogFromTemplate(page->hInstance, tpl, s.hwnd, page->pfnDlgProc, reinterpret_cast<LPARAM>(page), false);
  if (!hwnd) return false;
  p.hwnd = hwnd;
  RECT area = PageArea(s);
  SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
  return true;
}

void SetButtonEnabled(Sheet& s, int id, bool enable) {
  if (HWND b = GetDlgItem(s.hwnd, id)) EnableWindow(b, enable);
}

void RefreshApply(Sheet& s) {
  bool any = std::any_of(s.pages.begin(), s.pages.end(), [](const SheetPage& p) { return p.changed; });
  SetButtonEnabled(s, ID_APPLY_NOW, any);
}

// Shows page index, creating it the first time; false when the current page keeps the focus.
bool Activate(Sheet& s, int index, bool askCurrent) {
  if (index < 0 || size_t(index) >= s.pages.size()) return false;
  if (index == s.current) return true;
  if (askCurrent && s.current >= 0 && NotifyPage(s, s.current, PSN_KILLACTIVE, 0)) return false;
  if (!CreatePage(s, index)) return false;
  LRESULT answer = NotifyPage(s, index, PSN_SETACTIVE, 0);
  if (answer == -1) return false;  // the page declines to be shown
  HWND old = s.current >= 0 ? s.pages[size_t(s.current)].hwnd : nullptr;
  s.current = index;
  SendMessageW(s.tab, TCM_SETCURSEL, WPARAM(index), 0);
  ShowWindow(s.pages[size_t(index)].hwnd, SW_SHOW);
  if (old && old != s.pages[size_t(index)].hwnd) ShowWindow(old, SW_HIDE);
  return true;
}

// OK (close) or Apply: PSN_KILLACTIVE to the current page, PSN_APPLY to every page made.
bool Apply(Sheet& s, bool close) {
  if (s.current >= 0 && NotifyPage(s, s.current, PSN_KILLACTIVE, 0)) return false;
  for (int i = 0; i < int(s.pages.size()); ++i) {
    if (!s.pages[size_t(i)].hwnd) continue;
    LRESULT r = NotifyPage(s, i, PSN_APPLY, close ? TRUE : FALSE);
    if (r == PSNRET_INVALID || r == PSNRET_INVALID_NOCHANGEPAGE) {
      if (r == PSNRET_INVALID_NOCHANGEPAGE || i != s.current) Activate(s, i, false);
      return false;
    }
  }
  for (auto& p : s.pages) p.changed = false;
  s.applied = true;
  RefreshApply(s);
  return true;
}

void Finish(Sheet& s, INT_PTR result) {
  s.result = result;
  s.done = true;
  if (!s.modeless) EndDialog(s.hwnd, result);
}

INT_PTR ResultOfSaving(const Sheet& s) { return s.applied ? (s.restart ? s.restart : 1) : 0; }

int IndexOfPage(Sheet& s, HWND page, HPROPSHEETPAGE handle) {
  for (size_t i = 0; i < s.pages.size(); ++i)
    if ((page && s.pages[i].hwnd == page) || (handle && s.pages[i].handle == handle)) return int(i);
  return -1;
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<Sheet*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  auto answer = [&](LRESULT r) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, r);
    return TRUE;
  };
  switch (msg) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<Sheet*>(lParam);
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      s->hwnd = hwnd;
      s->tab = GetDlgItem(hwnd, kTabId);
      for (size_t i = 0; i < s->pages.size(); ++i) {
        TCITEMW item{TCIF_TEXT, 0, 0, s->pages[i].title.data(), 0, -1, 0};
        SendMessageW(s->tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
      }
      SetButtonEnabled(*s, ID_APPLY_NOW, false);
      UINT start = 0;
      if ((s->header.dwFlags & PSH_USEPSTARTPAGE) && s->header.pStartPage) {
        for (size_t i = 0; i < s->pages.size(); ++i)
          if (s->pages[i].title == s->header.pStartPage) start = UINT(i);
      } else if (!(s->header.dwFlags & PSH_USEPSTARTPAGE)) {
        start = s->header.nStartPage < s->pages.size() ? s->header.nStartPage : 0;
      }
      if (!Activate(*s, int(start), false)) {
        for (int i = 0; i < int(s->pages.size()) && s->current < 0; ++i) Activate(*s, i, false);
      }
      if (s->current >= 0) {
        HWND first = GetNextDlgTabItem(s->pages[size_t(s->current)].hwnd, nullptr, FALSE);
        if (first) SetFocus(first);
      }
      if ((s->header.dwFlags & PSH_USECALLBACK) && s->header.pfnCallback)
        s->header.pfnCallback(hwnd, PSCB_INITIALIZED, 0);
      return FALSE;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lParam);
      if (!s || nm->hwndFrom != s->tab) return FALSE;
      if (nm->code == TCN_SELCHANGING) return answer(s->current >= 0 && NotifyPage(*s, s->current, PSN_KILLACTIVE, 0));
      if (nm->code == TCN_SELCHANGE) {
        int want = int(SendMessageW(s->tab, TCM_GETCURSEL, 0, 0));
        int was = s->current;
        if (!Activate(*s, want, false)) SendMessageW(s->tab, TCM_SETCURSEL, WPARAM(was), 0);
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (!s) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          if (Apply(*s, true)) Finish(*s, ResultOfSaving(*s) ? ResultOfSaving(*s) : 1);
          return TRUE;
        case IDCANCEL:
          if (s->current >= 0 && NotifyPage(*s, s->current, PSN_QUERYCANCEL, 0)) return TRUE;
          for (int i = 0; i < int(s->pages.size()); ++i) NotifyPage(*s, i, PSN_RESET, 0);
          Finish(*s, ResultOfSaving(*s));
          return TRUE;
        case ID_APPLY_NOW:
          Apply(*s, false);
          return TRUE;
        case IDHELP:
          NotifyPage(*s, s->current, PSN_HELP, 0);
          return TRUE;
      }
      return FALSE;
    case PSM_CHANGED:
    case PSM_UNCHANGED: {
      if (!s) return FALSE;
      int i = IndexOfPage(*s, reinterpret_cast<HWND>(wParam), nullptr);
      if (i >= 0) s->pages[size_t(i)].changed = msg == PSM_CHANGED;
      RefreshApply(*s);
      return answer(0);
    }
    case PSM_PRESSBUTTON: {
      static const int ids[] = {0, 0, 0, IDOK, ID_APPLY_NOW, IDCANCEL, IDHELP};
      if (wParam < sizeof ids / sizeof ids[0] && ids[wParam])
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ids[wParam], BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, ids[wParam])));
      return answer(0);
    }
    case PSM_GETCURRENTPAGEHWND:
      return answer(s && s->current >= 0 ? reinterpret_cast<LRESULT>(s->pages[size_t(s->current)].hwnd) : 0);
    case PSM_GETTABCONTROL:
      return answer(reinterpret_cast<LRESULT>(s ? s->tab : nullptr));
    case PSM_SETCURSEL: {
      int i = lParam ? IndexOfPage(*s, nullptr, reinterpret_cast<HPROPSHEETPAGE>(lParam)) : int(wParam);
      return answer(Activate(*s, i, true));
    }
    case PSM_SETCURSELID: {
      for (size_t i = 0; i < s->pages.size(); ++i) {
        PROPSHEETPAGEW* page = s->pages[i].handle->Page();
        if (!(page->dwFlags & PSP_DLGINDIRECT) && IS_INTRESOURCE(page->pszTemplate) &&
            LOWORD(reinterpret_cast<ULONG_PTR>(page->pszTemplate)) == LOWORD(lParam))
          return answer(Activate(*s, int(i), true));
      }
      return answer(FALSE);
    }
    case PSM_QUERYSIBLINGS:
      for (auto& p : s->pages)
        if (p.hwnd)
          if (LRESULT r = SendMessageW(p.hwnd, PSM_QUERYSIBLINGS, wParam, lParam)) return answer(r);
      return answer(0);
    case PSM_RESTARTWINDOWS:
      s->restart = std::max(s->restart, ID_PSRESTARTWINDOWS);
      return answer(0);
    case PSM_REBOOTSYSTEM:
      s->restart = ID_PSREBOOTSYSTEM;
      return answer(0);
    case PSM_CANCELTOCLOSE:
      SetButtonEnabled(*s, IDCANCEL, false);
      SetDlgItemTextW(hwnd, IDOK, u"Close");
      return answer(0);
    case PSM_SETTITLEW: {
      std::u16string title;
      if (lParam && IS_INTRESOURCE(lParam)) {
        WCHAR buf[256];
        if (LoadStringW(s->header.hInstance, LOWORD(lParam), buf, 256)) title = buf;
      } else if (lParam) {
        title = reinterpret_cast<LPCWSTR>(lParam);
      }
      if (wParam & PSH_PROPTITLE) title = title + u" Properties";
      SetWindowTextW(hwnd, title.c_str());
      return answer(0);
    }
    case PSM_APPLY:
      return answer(Apply(*s, false));
    case PSM_ISDIALOGMESSAGE:
      return answer(IsDialogMessageW(hwnd, reinterpret_cast<MSG*>(lParam)));
    case PSM_INDEXTOPAGE:
      return answer(wParam < s->pages.size() ? reinterpret_cast<LRESULT>(s->pages[wParam].handle) : 0);
    case PSM_PAGETOINDEX:
      return answer(IndexOfPage(*s, nullptr, reinterpret_cast<HPROPSHEETPAGE>(lParam)));
    case PSM_HWNDTOINDEX:
      return answer(IndexOfPage(*s, reinterpret_cast<HWND>(wParam), nullptr));
    case PSM_INDEXTOHWND:
      return answer(wParam < s->pages.size() ? reinterpret_cast<LRESULT>(s->pages[wParam].hwnd) : 0);
    case PSM_GETRESULT:
      return answer(s->done ? s->result : -1);
    case PSM_ADDPAGE: {
      auto* h = reinterpret_cast<HPROPSHEETPAGE>(lParam);
      if (!h) return answer(FALSE);
      SheetPage p;
      p.handle = h;
      if (!LoadPageTemplate(p)) return answer(FALSE);
      s->pages.push_back(p);
      TCITEMW item{TCIF_TEXT, 0, 0, s->pages.back().title.data(), 0, -1, 0};
      SendMessageW(s->tab, TCM_INSERTITEMW, s->pages.size() - 1, reinterpret_cast<LPARAM>(&item));
      return answer(TRUE);
    }
    case PSM_REMOVEPAGE: {
      int i = lParam ? IndexOfPage(*s, nullptr, reinterpret_cast<HPROPSHEETPAGE>(lParam)) : int(wParam);
      if (i < 0 || size_t(i) >= s->pages.size()) return answer(FALSE);
      if (i == s->current) {
        int other = i + 1 < int(s->pages.size()) ? i + 1 : i - 1;
        if (other >= 0) Activate(*s, other, false);
      }
      if (s->pages[size_t(i)].hwnd) DestroyWindow(s->pages[size_t(i)].hwnd);
      if (s->pages[size_t(i)].own) DestroyPropertySheetPage(s->pages[size_t(i)].handle);
      s->pages.erase(s->pages.begin() + i);
      SendMessageW(s->tab, TCM_DELETEITEM, WPARAM(i), 0);
      if (s->current > i) --s->current;
      else if (s->current == i) s->current = -1;
      return answer(TRUE);
    }
  }
  return FALSE;
}

// The frame: the largest page's size, the tab control around it, the buttons below.
DialogTemplate FrameTemplate(Sheet& s) {
  int cx = 212, cy = 188;
  for (auto& p : s.pages) {
    cx = std::max<int>(cx, p.tpl.cx);
    cy = std::max<int>(cy, p.tpl.cy);
  }
  DialogTemplate tpl;
  tpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_3DLOOK;
  if (!(s.header.dwFlags & PSH_NOCONTEXTHELP)) tpl.style |= DS_CONTEXTHELP;
  tpl.exStyle = WS_EX_CONTROLPARENT;
  tpl.pointSize = 8;
  tpl.typeface = u"MS Shell Dlg";
  std::u16string caption;
  if (s.header.pszCaption) {
    if (IS_INTRESOURCE(s.header.pszCaption)) {
      WCHAR buf[256];
      if (LoadStringW(s.header.hInstance, LOWORD(reinterpret_cast<ULONG_PTR>(s.header.pszCaption)), buf, 256))
        caption = buf;
    } else {
      caption = s.header.pszCaption;
    }
  }
  if (s.header.dwFlags & PSH_PROPTITLE) caption += u" Properties";
  tpl.title = caption;
  tpl.cx = short(cx + 14);
  tpl.cy = short(cy + 14 + 14 + 7 + 14 + 7);
  DialogItem tab;
  tab.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS;
  tab.x = 4;
  tab.y = 4;
  tab.cx = short(cx + 6);
  tab.cy = short(cy + 14 + 6);
  tab.id = kTabId;
  tab.className = WC_TABCONTROLW;
  tpl.items.push_back(tab);
  struct Button {
    int id;
    const char16_t* text;
  };
  std::vector<Button> buttons = {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
  if (!(s.header.dwFlags & PSH_NOAPPLYNOW)) buttons.push_back({ID_APPLY_NOW, u"&Apply"});
  bool help = (s.header.dwFlags & PSH_HASHELP) != 0;
  for (auto& p : s.pages)
    if (p.handle->Page()->dwFlags & PSP_HASHELP) help = true;
  if (help) buttons.push_back({IDHELP, u"Help"});
  int x = tpl.cx - 4 - int(buttons.size()) * 54 + 4;
  for (size_t i = 0; i < buttons.size(); ++i) {
    DialogItem b;
    b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    b.x = short(x + int(i) * 54);
    b.y = short(tpl.cy - 7 - 14);
    b.cx = 50;
    b.cy = 14;
    b.id = DWORD(buttons[i].id);
    b.className = u"Button";
    b.text = buttons[i].text;
    tpl.items.push_back(b);
  }
  return tpl;
}

}  // namespace

}  // namespace zolt::host::comctl

using namespace zolt::host::comctl;

WIN32_API HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
  if (!page || page->dwSize < kPageV1Size || page->dwSize > 0x10000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* h = new _PSP;
  // At least the whole record, so that every field can be read.
  h->copy.assign(std::max<size_t>(page->dwSize, sizeof(PROPSHEETPAGEW)), 0);
  std::memcpy(h->copy.data(), page, page->dwSize);
  PROPSHEETPAGEW* copy = h->Page();
  if ((copy->dwFlags & PSP_USECALLBACK) && copy->pfnCallback) copy->pfnCallback(nullptr, PSPCB_ADDREF, copy);
  if ((copy->dwFlags & PSP_USEREFPARENT) && copy->pcRefParent) ++*copy->pcRefParent;
  return h;
}

WIN32_API BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE h) {
  if (!h) return FALSE;
  PROPSHEETPAGEW* copy = h->Page();
  if ((copy->dwFlags & PSP_USECALLBACK) && copy->pfnCallback) copy->pfnCallback(nullptr, PSPCB_RELEASE, copy);
  if ((copy->dwFlags & PSP_USEREFPARENT) && copy->pcRefParent) --*copy->pcRefParent;
  delete h;
  return TRUE;
}

WIN32_API INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW header) {
  if (!header || header->dwSize < kHeaderV1Size || header->nPages == 0 ||
      (header->dwFlags & PSH_PROPSHEETPAGE ? !header->ppsp : !header->phpage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  zolt::host::user::EnsureSystemClasses();
  auto sheet = std::make_unique<Sheet>();
  std::memcpy(&sheet->header, header, std::min<size_t>(header->dwSize, sizeof(PROPSHEETHEADERW)));
  sheet->modeless = (header->dwFlags & PSH_MODELESS) != 0;
  const BYTE* next = reinterpret_cast<const BYTE*>(header->ppsp);
  for (UINT i = 0; i < header->nPages; ++i) {
    SheetPage p;
    if (header->dwFlags & PSH_PROPSHEETPAGE) {
      // Each record of the array is as long as its own dwSize says.
      auto* page = reinterpret_cast<LPCPROPSHEETPAGEW>(next);
      p.handle = CreatePropertySheetPageW(page);
      p.own = true;
      if (!p.handle) break;
      next += page->dwSize;
    } else {
      // The sheet owns the pages it is given and destroys them when it ends.
      p.handle = header->phpage[i];
      p.own = true;
    }
    if (!p.handle || !LoadPageTemplate(p)) {
      if (p.own) DestroyPropertySheetPage(p.handle);
      continue;
    }
    sheet->pages.push_back(std::move(p));
  }
  auto release = [&]() {
    for (auto& p : sheet->pages)
      if (p.own) DestroyPropertySheetPage(p.handle);
  };
  if (sheet->pages.empty()) {
    release();
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DialogTemplate tpl = FrameTemplate(*sheet);
  if (sheet->modeless) {
    tpl.style |= WS_VISIBLE;
    HWND hwnd = CreateDialogFromTemplate(header->hInstance, tpl, header->hwndParent, SheetProc,
                                         reinterpret_cast<LPARAM>(sheet.get()), false);
    if (!hwnd) {
      release();
      return -1;
    }
    // The sheet lives as long as its window.
    Sheet* keep = sheet.release();
    SetPropW(hwnd, u"ZoltSheet", keep);
    return reinterpret_cast<INT_PTR>(hwnd);
  }
  INT_PTR result = RunModalDialog(header->hInstance, tpl, header->hwndParent, SheetProc,
                                  reinterpret_cast<LPARAM>(sheet.get()));
  release();
  return result < 0 ? -1 : result;
}
