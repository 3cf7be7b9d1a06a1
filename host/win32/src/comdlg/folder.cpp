// The folder chooser (SHBrowseForFolderW): a tree of the machine's drives and folders, filled as
// the user opens them, the caller's callback with BFFM_INITIALIZED and BFFM_SELCHANGED and its
// messages back (selection, OK button, status text), the edit box and its validation.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "comdlg/template_builder.h"
#include "user/window.h"
#include "win32/comctl.h"
#include "win32/commdlg.h"
#include "win32/windows.h"

namespace zolt::host::comdlg {

namespace {

const char16_t kStateProp[] = u"ZoltFolderChooser";

struct Node {
  std::u16string path;
  HTREEITEM item = nullptr;
  bool filled = false;
};

struct FolderChooser {
  BROWSEINFOW* bi = nullptr;
  std::vector<Node> nodes;
  std::u16string chosen;
  bool initialized = false;  // BFFM_INITIALIZED was sent: selections are reported from then on
};

FolderChooser* StateOf(HWND dlg) { return static_cast<FolderChooser*>(GetPropW(dlg, kStateProp)); }

PIDLIST_ABSOLUTE MakeIdList(const std::u16string& path) {
  // One item holding the path (with its terminator), then the empty item that ends the list.
  const size_t bytes = (path.size() + 1) * sizeof(char16_t);
  if (bytes + 2 > 0xFFFF) return nullptr;
  auto* p = static_cast<BYTE*>(CoTaskMemAlloc(2 + bytes + 2));
  if (!p) return nullptr;
  const USHORT cb = USHORT(2 + bytes);
  std::memcpy(p, &cb, 2);
  std::memcpy(p + 2, path.c_str(), bytes);
  std::memset(p + 2 + bytes, 0, 2);
  return reinterpret_cast<PIDLIST_ABSOLUTE>(p);
}

std::u16string PathOf(PCIDLIST_ABSOLUTE pidl) {
  if (!pidl) return {};
  USHORT cb;
  std::memcpy(&cb, pidl, 2);
  if (cb < 4 || cb % 2) return {};
  std::u16string path((cb - 2) / 2, 0);
  std::memcpy(path.data(), reinterpret_cast<const BYTE*>(pidl) + 2, cb - 2);
  path.resize(std::char_traits<char16_t>::length(path.c_str()));
  return path;
}

std::u16string DisplayName(const std::u16string& path) {
  if (path.size() <= 3) return path;
  return path.substr(path.find_last_of(u'\\') + 1);
}

int Callback(FolderChooser& st, HWND dlg, UINT msg, LPARAM lParam) {
  return st.bi->lpfn ? st.bi->lpfn(dlg, msg, lParam, st.bi->lParam) : 0;
}

HTREEITEM AddNode(FolderChooser& st, HWND tree, HTREEITEM parent, const std::u16string& path) {
  std::u16string text = DisplayName(path);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = text.data();
  ins.item.lParam = LPARAM(st.nodes.size());
  st.nodes.push_back({path, nullptr, false});
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  st.nodes.back().item = item;
  return item;
}

size_t NodeOf(HWND tree, HTREEITEM item) {
  TVITEMW it{};
  it.mask = TVIF_PARAM;
  it.hItem = item;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
  return size_t(it.lParam);
}

// Adds the subfolders of a node once.
void Fill(FolderChooser& st, HWND tree, size_t index) {
  if (index >= st.nodes.size() || st.nodes[index].filled) return;
  st.nodes[index].filled = true;
  const std::u16string path = st.nodes[index].path;
  const HTREEITEM item = st.nodes[index].item;
  for (const DirEntry& e : ListFolder(path))
    if (e.folder) AddNode(st, tree, item, Combine(path, e.name));
}

// Selects a folder, opening the tree down to it; false when it is not below the tree's roots.
bool Select(FolderChooser& st, HWND dlg, const std::u16string& path) {
  HWND tree = GetDlgItem(dlg, IDC_BROWSE_TREE);
  const std::u16string want = zolt::host::user::Lower(Combine(u"", path));
  for (size_t i = 0; i < st.nodes.size(); ++i) {
    const std::u16string have = zolt::host::user::Lower(st.nodes[i].path);
    if (have == want) {
      SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(st.nodes[i].item));
      return true;
    }
    const std::u16string prefix = have.size() <= 3 ? have : have + u"\\";
    if (want.compare(0, prefix.size(), prefix) == 0) {
      Fill(st, tree, i);
      SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(st.nodes[i].item));
    }
  }
  return false;
}

void Init(FolderChooser& st, HWND dlg) {
  BROWSEINFOW& bi = *st.bi;
  SetDlgItemTextW(dlg, IDC_BROWSE_TITLE, bi.lpszTitle ? bi.lpszTitle : u"");
  if (!(bi.ulFlags & BIF_STATUSTEXT)) ShowWindow(GetDlgItem(dlg, IDC_BROWSE_STATUS), SW_HIDE);
  if (!(bi.ulFlags & BIF_EDITBOX)) ShowWindow(GetDlgItem(dlg, IDC_BROWSE_EDIT), SW_HIDE);
  HWND tree = GetDlgItem(dlg, IDC_BROWSE_TREE);
  const std::u16string root = PathOf(bi.pidlRoot);
  if (!root.empty() && IsFolder(root)) {
    AddNode(st, tree, TVI_ROOT, Combine(u"", root));
  } else {
    for (char16_t d = u'A'; d <= u'Z'; ++d) {
      const char16_t drive[] = {d, u':', u'\\', 0};
      if (IsFolder(drive)) AddNode(st, tree, TVI_ROOT, drive);
    }
  }
  for (size_t i = 0, n = st.nodes.size(); i < n; ++i) Fill(st, tree, i);
  if (!st.nodes.empty()) SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(st.nodes[0].item));
}

void Accept(FolderChooser& st, HWND dlg) {
  BROWSEINFOW& bi = *st.bi;
  HWND tree = GetDlgItem(dlg, IDC_BROWSE_TREE);
  HTREEITEM sel = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  std::u16string path = sel ? st.nodes[NodeOf(tree, sel)].path : std::u16string();
  if (bi.ulFlags & BIF_EDITBOX) {
    WCHAR text[MAX_PATH * 2];
    GetDlgItemTextW(dlg, IDC_BROWSE_EDIT, text, int(std::size(text)));
    if (*text) {
      std::u16string typed = Combine(path, text);
      if (!IsFolder(typed)) {
        if ((bi.ulFlags & BIF_VALIDATE) && Callback(st, dlg, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(text)))
          return;  // the callback keeps the chooser open
        if (bi.ulFlags & BIF_VALIDATE) {
          EndDialog(dlg, IDCANCEL);
          return;
        }
      }
      path = typed;
    }
  }
  if (path.empty()) return;
  st.chosen = path;
  EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK ChooserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* st = reinterpret_cast<FolderChooser*>(lParam);
    SetPropW(dlg, kStateProp, st);
    Init(*st, dlg);
    Callback(*st, dlg, BFFM_INITIALIZED, 0);
    st->initialized = true;
    // The selection the chooser opens with (the callback may have moved it).
    HWND tree = GetDlgItem(dlg, IDC_BROWSE_TREE);
    if (auto sel = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0))) {
      PIDLIST_ABSOLUTE pidl = MakeIdList(st->nodes[NodeOf(tree, sel)].path);
      Callback(*st, dlg, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl));
      CoTaskMemFree(pidl);
    }
    return TRUE;
  }
  FolderChooser* st = StateOf(dlg);
  if (!st) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) Accept(*st, dlg);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dlg, IDCANCEL);
      return TRUE;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(lParam);
      if (nm->hdr.idFrom != IDC_BROWSE_TREE) return FALSE;
      HWND tree = nm->hdr.hwndFrom;
      if (nm->hdr.code == TVN_SELCHANGEDW && nm->itemNew.hItem) {
        size_t index = NodeOf(tree, nm->itemNew.hItem);
        if (index >= st->nodes.size()) return FALSE;
        Fill(*st, tree, index);
        if (!st->initialized) return FALSE;
        PIDLIST_ABSOLUTE pidl = MakeIdList(st->nodes[index].path);
        Callback(*st, dlg, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl));
        CoTaskMemFree(pidl);
      } else if (nm->hdr.code == TVN_ITEMEXPANDINGW && nm->itemNew.hItem) {
        Fill(*st, tree, NodeOf(tree, nm->itemNew.hItem));
      }
      return FALSE;
    }
    case BFFM_SETSELECTIONW: {
      std::u16string path = wParam ? std::u16string(reinterpret_cast<LPCWSTR>(lParam))
                                   : PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
      if (!path.empty()) Select(*st, dlg, path);
      return TRUE;
    }
    case BFFM_ENABLEOK:
      EnableWindow(GetDlgItem(dlg, IDOK), lParam != 0);
      return TRUE;
    case BFFM_SETSTATUSTEXTW:
      SetDlgItemTextW(dlg, IDC_BROWSE_STATUS, reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case WM_NCDESTROY:
      RemovePropW(dlg, kStateProp);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

}  // namespace zolt::host::comdlg

namespace zolt::host {

PIDLIST_ABSOLUTE BrowseForFolder(LPBROWSEINFOW bi) {
  using namespace comdlg;
  if (!bi) return nullptr;
  TemplateBuilder t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, 200, 190, u"Browse for Folder");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 8, 6, 184, 18, IDC_BROWSE_TITLE, u"");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 8, 26, 184, 9, IDC_BROWSE_STATUS, u"");
  t.Item(0, WC_TREEVIEWW, WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 8,
         38, 184, 108, IDC_BROWSE_TREE, u"");
  t.Item(0x81, u"", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 150, 184, 12, IDC_BROWSE_EDIT, u"");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 88, 170, 50, 14, IDOK, u"OK");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 142, 170, 50, 14, IDCANCEL, u"Cancel");
  FolderChooser st;
  st.bi = bi;
  INT_PTR r = DialogBoxIndirectParamW(nullptr, t.Get(), bi->hwndOwner, ChooserProc, reinterpret_cast<LPARAM>(&st));
  if (r != IDOK || st.chosen.empty()) return nullptr;
  if (bi->pszDisplayName) {
    std::u16string name = DisplayName(st.chosen).substr(0, MAX_PATH - 1);
    std::copy(name.begin(), name.end(), bi->pszDisplayName);
    bi->pszDisplayName[name.size()] = 0;
  }
  return MakeIdList(st.chosen);
}

BOOL PathFromIdList(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
  if (!path) return FALSE;
  std::u16string p = comdlg::PathOf(pidl);
  if (p.empty() || p.size() >= MAX_PATH) {
    path[0] = 0;
    return FALSE;
  }
  std::copy(p.begin(), p.end(), path);
  path[p.size()] = 0;
  return TRUE;
}

}  // namespace zolt::host
