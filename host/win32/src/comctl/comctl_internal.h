// What the window system's automation and the common controls share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win32/comctl.h"

namespace zolt::host::comctl {

// A user's choice of an item by its text (tab, list view, tree view); false when the control
// is none of these or has no such item.
bool ChooseItem(HWND control, std::u16string_view text);
// The selected item (tab, list view; -1 for none or other controls) and the items' texts.
int SelectedIndex(HWND control);
std::vector<std::u16string> Items(HWND control);

}  // namespace zolt::host::comctl
