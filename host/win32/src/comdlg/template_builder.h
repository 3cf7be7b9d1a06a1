// The dialog templates of the common dialogs, built in memory in the platform's first form.
#pragma once

#include <string>
#include <vector>

#include "win32/user.h"

namespace zolt::host::comdlg {

class TemplateBuilder {
 public:
  // A dialog in the dialog font, at (0, 0) of its owner, cx by cy dialog units.
  TemplateBuilder(DWORD style, short cx, short cy, std::u16string_view caption) {
    Dword(style | DS_SETFONT);
    Dword(0);
    count_ = words_.size();
    words_.push_back(0);
    for (short v : {short(0), short(0), cx, cy}) words_.push_back(WORD(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the dialog class
    Text(caption);
    words_.push_back(8);
    Text(u"MS Shell Dlg");
  }
  // A control of a predefined class (0x80 button, 0x81 edit, 0x82 static, 0x83 list box,
  // 0x85 combo box) or of a class given by name.
  void Item(WORD classOrdinal, std::u16string_view className, DWORD style, short x, short y, short cx, short cy,
            WORD id, std::u16string_view text) {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
    Dword(style | WS_CHILD);
    Dword(0);
    for (short v : {x, y, cx, cy}) words_.push_back(WORD(v));
    words_.push_back(id);
    if (classOrdinal) {
      words_.push_back(0xFFFF);
      words_.push_back(classOrdinal);
    } else {
      Text(className);
    }
    Text(text);
    words_.push_back(0);  // no creation data
    ++words_[count_];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD v) {
    words_.push_back(WORD(v & 0xFFFF));
    words_.push_back(WORD(v >> 16));
  }
  void Text(std::u16string_view s) {
    words_.insert(words_.end(), s.begin(), s.end());
    words_.push_back(0);
  }
  std::vector<WORD> words_;
  size_t count_ = 0;
};

// File-system helpers shared by the file dialogs and the folder chooser.
struct DirEntry {
  std::u16string name;
  bool folder = false;
};
// The entries of a folder (no "." and ".."), sorted without case, folders and files apart.
std::vector<DirEntry> ListFolder(const std::u16string& folder);
bool IsFolder(const std::u16string& path);
// The full Windows path of `name` relative to `folder` (an absolute name stands alone).
std::u16string Combine(const std::u16string& folder, const std::u16string& name);
// The components of a full path: the drive root ("C:\") first, then each folder's name.
std::vector<std::u16string> Components(const std::u16string& path);

}  // namespace zolt::host::comdlg
