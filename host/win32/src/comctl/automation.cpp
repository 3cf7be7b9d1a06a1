// The common controls' part of the automation interface: choosing and reading the items of
// tabs, list views and tree views.
#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

bool TabUserSelect(HWND hwnd, int index);
int TabSelectedIndex(HWND hwnd);
std::vector<std::u16string> TabItems(HWND hwnd);
bool ListViewUserSelect(HWND hwnd, int index);
int ListViewSelectedIndex(HWND hwnd);
std::vector<std::u16string> ListViewItems(HWND hwnd);
bool TreeUserSelect(HWND hwnd, std::u16string_view text);
int TreeSelectedIndex(HWND hwnd);
std::vector<std::u16string> TreeItems(HWND hwnd);

using zolt::host::user::ClassIs;

bool ChooseItem(HWND control, std::u16string_view text) {
  if (ClassIs(control, WC_TABCONTROLW)) {
    auto items = TabItems(control);
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == text) return TabUserSelect(control, int(i));
    return false;
  }
  if (ClassIs(control, WC_LISTVIEWW)) {
    auto items = ListViewItems(control);
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == text) {
        SetFocus(control);
        return ListViewUserSelect(control, int(i));
      }
    return false;
  }
  if (ClassIs(control, WC_TREEVIEWW)) {
    SetFocus(control);
    return TreeUserSelect(control, text);
  }
  return false;
}

int SelectedIndex(HWND control) {
  if (ClassIs(control, WC_TABCONTROLW)) return TabSelectedIndex(control);
  if (ClassIs(control, WC_LISTVIEWW)) return ListViewSelectedIndex(control);
  if (ClassIs(control, WC_TREEVIEWW)) return TreeSelectedIndex(control);
  return -1;
}

std::vector<std::u16string> Items(HWND control) {
  if (ClassIs(control, WC_TABCONTROLW)) return TabItems(control);
  if (ClassIs(control, WC_LISTVIEWW)) return ListViewItems(control);
  if (ClassIs(control, WC_TREEVIEWW)) return TreeItems(control);
  return {};
}

}  // namespace zolt::host::comctl
