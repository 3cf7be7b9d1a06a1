// The items of a list box, shared by the list box and the list of a combo box: texts (or the
// item data of owner-drawn lists without strings), item data, selection and search.
#pragma once

#include <string>
#include <vector>

#include "user/window.h"

namespace zolt::host::user {

struct ListItem {
  std::u16string text;
  ULONG_PTR data = 0;
  bool selected = false;
  UINT height = 0;
};

class ListModel {
 public:
  bool hasStrings = true;  // false for owner-drawn lists without LBS_HASSTRINGS / CBS_HASSTRINGS
  bool sorted = false;
  std::vector<ListItem> items;
  int current = -1;  // the selection of a single-selection list (caret of a multiple one)
  int top = 0;

  int Count() const { return int(items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }

  // Adds an item (in order when sorted); returns its index.
  int Add(LPARAM value) {
    ListItem item = Make(value);
    int at = Count();
    if (sorted && hasStrings) {
      at = 0;
      while (at < Count() && Compare(items[size_t(at)].text, item.text) <= 0) ++at;
    }
    items.insert(items.begin() + at, std::move(item));
    if (current >= at) ++current;
    return at;
  }
  int Insert(int index, LPARAM value) {
    if (index == -1) index = Count();
    if (index < 0 || index > Count()) return -1;
    items.insert(items.begin() + index, Make(value));
    if (current >= index) ++current;
    return index;
  }
  int Delete(int index) {
    if (!Valid(index)) return -1;
    items.erase(items.begin() + index);
    if (current == index)
      current = -1;
    else if (current > index)
      --current;
    if (top >= Count()) top = std::max(0, Count() - 1);
    return Count();
  }
  void Reset() {
    items.clear();
    current = -1;
    top = 0;
  }
  // Prefix (exact: whole text) search without case, starting after `after` and wrapping.
  int Find(int after, LPARAM value, bool exact) const {
    if (hasStrings && !value) return -1;
    std::u16string_view text = hasStrings ? std::u16string_view(reinterpret_cast<LPCWSTR>(value)) : std::u16string_view();
    int n = Count();
    if (n == 0) return -1;
    int start = (after < -1 || after >= n) ? -1 : after;
    for (int step = 1; step <= n; ++step) {
      int i = (start + step) % n;
      const auto& item = items[size_t(i)];
      if (!hasStrings) {
        if (LPARAM(item.data) == value) return i;
        continue;
      }
      if (exact ? EqualNoCase(item.text, text)
                : (item.text.size() >= text.size() && EqualNoCase(std::u16string_view(item.text).substr(0, text.size()), text)))
        return i;
    }
    return -1;
  }
  // The text of an item for LB_GETTEXT / CB_GETLBTEXT (the data bytes when there are no strings).
  LRESULT CopyText(int index, LPARAM out) const {
    if (!Valid(index)) return -1;
    const auto& item = items[size_t(index)];
    if (!hasStrings) {
      if (out) *reinterpret_cast<ULONG_PTR*>(out) = item.data;
      return sizeof(ULONG_PTR);
    }
    if (out) {
      auto* p = reinterpret_cast<WCHAR*>(out);
      std::copy(item.text.begin(), item.text.end(), p);
      p[item.text.size()] = 0;
    }
    return LRESULT(item.text.size());
  }
  LRESULT TextLength(int index) const {
    if (!Valid(index)) return -1;
    return hasStrings ? LRESULT(items[size_t(index)].text.size()) : LRESULT(sizeof(ULONG_PTR));
  }
  // The item data of an item (LB_/CB_GETITEMDATA), and setting it (TRUE); -1 (LB_ERR, CB_ERR)
  // for an index outside the list.
  LRESULT ItemData(int index) const { return Valid(index) ? LRESULT(items[size_t(index)].data) : -1; }
  LRESULT SetItemData(int index, LPARAM data) {
    if (!Valid(index)) return -1;
    items[size_t(index)].data = ULONG_PTR(data);
    return TRUE;
  }

 private:
  ListItem Make(LPARAM value) const {
    ListItem item;
    if (hasStrings) {
      if (value) item.text = reinterpret_cast<LPCWSTR>(value);
    } else {
      item.data = ULONG_PTR(value);
    }
    return item;
  }
  static int Compare(const std::u16string& a, const std::u16string& b) {
    std::u16string la = Lower(a), lb = Lower(b);
    return la < lb ? -1 : (la == lb ? 0 : 1);
  }
};

// WM_DELETEITEM to the parent for each item of an owner-drawn list that is being destroyed.
inline void NotifyDeletedItems(HWND list, HWND parent, UINT_PTR id, UINT controlType, const ListModel& model) {
  if (!parent || !IsWindow(parent)) return;
  for (int i = 0; i < model.Count(); ++i) {
    DELETEITEMSTRUCT dis{controlType, UINT(id), UINT(i), list, model.items[size_t(i)].data};
    SendMessageW(parent, WM_DELETEITEM, id, reinterpret_cast<LPARAM>(&dis));
  }
}

}  // namespace zolt::host::user
