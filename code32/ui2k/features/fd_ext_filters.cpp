// The character and paste filters of the extension dialogs' text fields.
#include <algorithm>
#include <string>

#include "env_text.h"
#include "fd_ext.h"
#include "option_access.h"
#include "option_units.h"
#include "win32/windows.h"

namespace {

constexpr uint16_t kAnyControl = 0;

struct FieldRow {
  uint16_t dialogId;
  uint16_t controlId;  // kAnyControl: every field of the dialog
  FdFieldFilter filter;
};

using C = FdCharClass;
using P = FdPasteRule;

// Rows of one field come before the rows of every field of its dialog; the first match wins.
constexpr FieldRow kFieldRows[] = {
    {4019, 2988, {C::kPrintable, P::kRefuse}},      // network key
    {4020, 2996, {C::kText2, P::kRefuse}},          // authentication password, confirmation
    {4021, 2999, {C::kPrintable, P::kRefuse}},      // network key, confirmation
    {4022, 3003, {C::kText1, P::kNoDbcsText1}},   // authentication user
    {4022, 3006, {C::kText2, P::kRefuse}},          // authentication password
    {4029, 3110, {C::kAny, P::kRefuse}},            // disk limit
    {4042, 3367, {C::kCode, P::kAlnumHyphen}},     // billing code pop-up
    {4043, 3370, {C::kText1, P::kNoDbcsText1}},   // authentication pop-up: user
    {4043, 3373, {C::kText2, P::kRefuse}},          // ... password
    {1010, 2241, {C::kAny, P::kAlnum}},             // user id
    {1019, 2241, {C::kAny, P::kAlnum}},
    {1019, 2245, {C::kAny, P::kRefuse}},            // the four job passwords
    {1019, 2533, {C::kAny, P::kRefuse}},
    {1019, 3060, {C::kAny, P::kRefuse}},
    {1019, 3108, {C::kAny, P::kRefuse}},
    {1019, 2423, {C::kNoQuote, P::kNoQuote}},     // owner
    {1019, 2243, {C::kNoQuote, P::kNoQuote}},     // file name
    {1019, 2532, {C::kNoQuote, P::kNoQuote}},     // document names
    {1019, 3058, {C::kNoQuote, P::kNoQuote}},
    {1019, 3059, {C::kNoQuote, P::kNoQuote}},
    {1019, 3107, {C::kNoQuote, P::kNoQuote}},
    {1019, 3235, {C::kBilling, P::kNoQuoteNoDbcs}},  // billing code
    {1044, 2776, {C::kAny, P::kGuard}},
    {4011, 2823, {C::kAny, P::kGuard}},
    {4012, 2823, {C::kAny, P::kGuard}},
    {4011, kAnyControl, {C::kAny, P::kGuard}},
    {4012, kAnyControl, {C::kAny, P::kGuard}},
    {4017, kAnyControl, {C::kAny, P::kGuard}},
    {4025, kAnyControl, {C::kAny, P::kGuard}},
    {1007, kAnyControl, {C::kAny, P::kGuard}},
    {1032, kAnyControl, {C::kAny, P::kGuard}},
    {1017, kAnyControl, {C::kAny, P::kGuard}},
    {1021, kAnyControl, {C::kAny, P::kGuard}},
    {1022, kAnyControl, {C::kAny, P::kGuard}},
    {1023, kAnyControl, {C::kAny, P::kGuard}},
    {1037, kAnyControl, {C::kAny, P::kGuard}},
    {1039, kAnyControl, {C::kAny, P::kGuard}},
};

constexpr WCHAR kBackspace = 8;
constexpr WCHAR kQuote = u'"';

bool IsAsciiAlnum(unsigned char b) { return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

bool IsLead(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

// Every byte passes the test; a double-byte character (lead and trail) is one unit.
template <typename Test>
bool EachUnit(std::string_view text, bool dbcsAllowed, Test test) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLead(b)) {
      if (!dbcsAllowed) return false;
      ++i;  // the trail byte belongs to the character
      continue;
    }
    if (!test(b)) return false;
  }
  return true;
}

// The guard of an option's last byte: a text that already fills the option up to its last
// character cannot take the first half of a double-byte character.
bool GuardRefuses(std::string_view clipboard, int fieldBytes, int optionBytes) {
  return optionBytes > 0 && fieldBytes == optionBytes - 2 && !clipboard.empty() &&
         IsLead(static_cast<unsigned char>(clipboard[0]));
}

// The text of the clipboard in the system code page; false when the clipboard holds no text
// or cannot be opened.
bool ReadClipboardText(HWND owner, std::string* out) {
  if (!OpenClipboard(owner)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    const SIZE_T size = GlobalSize(data);
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      const size_t length = std::find(bytes, bytes + size, '\0') - bytes;
      out->assign(bytes, length);
      GlobalUnlock(data);
      ok = true;
    }
  }
  CloseClipboard();
  return ok;
}

}  // namespace

FdFieldFilter FdFindFieldFilter(uint16_t dialogId, uint16_t controlId) {
  for (const FieldRow& row : kFieldRows)
    if (row.dialogId == dialogId && (row.controlId == controlId || row.controlId == kAnyControl)) return row.filter;
  return {C::kAny, P::kNone};
}

int FdIsCharAccepted(FdCharClass typed, WCHAR ch) {
  if (ch == kBackspace) return 1;
  switch (typed) {
    case C::kAny:
      return 1;
    case C::kText1:
      return OptIsTextCharAllowed(ch, 1);
    case C::kText2:
      return OptIsTextCharAllowed(ch, 2);
    case C::kPrintable:
      return ch >= 0x20 && ch <= 0x7E ? 1 : 0;
    case C::kCode:
      return (ch < 0x80 && IsAsciiAlnum(static_cast<unsigned char>(ch))) || ch == u'-' || ch == 0x7F ? 1 : 0;
    case C::kNoQuote:
      return ch != kQuote ? 1 : 0;
    case C::kBilling:
      return ch >= 0x20 && ch <= 0xFF && ch != kQuote ? 1 : 0;
  }
  return 1;
}

int FdIsPasteAccepted(const FdFieldFilter& filter, std::string_view clipboard, int fieldBytes, int optionBytes) {
  if (filter.paste == P::kRefuse) return 0;
  if (GuardRefuses(clipboard, fieldBytes, optionBytes)) return 0;
  // The whole text is read: a character past the rule's count would reach the field as well.
  switch (filter.paste) {
    case P::kNoDbcsText1:
      return EachUnit(clipboard, false, [](unsigned char b) { return OptIsTextCharAllowed(b, 1) != 0; });
    case P::kAlnumHyphen:
      return EachUnit(clipboard, false, [](unsigned char b) { return IsAsciiAlnum(b) || b == '-'; });
    case P::kAlnum:
      return EachUnit(clipboard, false, IsAsciiAlnum);
    case P::kNoQuote:
      return EachUnit(clipboard, true, [](unsigned char b) { return b != '"'; });
    case P::kNoQuoteNoDbcs:
      return EachUnit(clipboard, false, [](unsigned char b) { return b != '"'; });
    case P::kNone:
      // A field with a typed class and no paste rule takes only what could be typed into it.
      if (filter.typed == C::kAny) return 1;
      return EachUnit(clipboard, false, [&](unsigned char b) { return b != kBackspace && FdIsCharAccepted(filter.typed, b); });
    case P::kGuard:
    case P::kRefuse:
      break;
  }
  return 1;
}

int FdFilterTypedChar(DriverContext*, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM ch) {
  if (!dialog || !control) return 0;
  const auto c = static_cast<WCHAR>(ch);
  // The editing keys of the clipboard (select all, copy, paste, cut, undo) reach the edit: a
  // paste is filtered as a paste.
  if (c == 1 || c == 3 || c == 22 || c == 24 || c == 26) return 0;
  const FdFieldFilter filter = FdFindFieldFilter(dialog->dialogId, control->controlId);
  return FdIsCharAccepted(filter.typed, c) ? 0 : 1;
}

int FdFilterPaste(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!dialog || !control) return 0;
  const FdFieldFilter filter = FdFindFieldFilter(dialog->dialogId, control->controlId);
  if (filter.paste == P::kRefuse) return 1;
  const OptionEntry* option = control->option;
  if (filter.paste == P::kNone && filter.typed == C::kAny && !option) return 0;
  std::string clipboard;
  // A clipboard that cannot be read lets the paste through: the edit finds nothing to paste.
  if (!ReadClipboardText(control->window, &clipboard)) return 0;
  int fieldBytes = 0, optionBytes = 0;
  if (option && ctx) {
    optionBytes = static_cast<int>(TypeSize(option->typeWord));
    WCHAR text[1025] = {};
    if (control->window) GetWindowTextW(control->window, text, 1025);
    char ansi[2050];
    fieldBytes = static_cast<int>(EnvWideToAnsiBytes(text, ansi, sizeof ansi));
  }
  return FdIsPasteAccepted(filter, clipboard, fieldBytes, optionBytes) ? 0 : 1;
}
