// The preset maintenance dialog: the list of presets with its names and comments, moving,
// deleting, loading preset files into the list, and the printer-configuration refresh.
#include <string>
#include <vector>

#include "device_query.h"
#include "env_text.h"
#include "fd_file_dialogs.h"
#include "fd_presets.h"
#include "fd_services.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_store.h"
#include "option_table.h"
#include "preset_list.h"
#include "scenario_install.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "undo_images.h"

namespace {

using Text = std::u16string;

constexpr int kFirstPresetValue = 119;
constexpr int kListLimit = 16;
constexpr int kNameChars = 260;       // names are compared in buffers of this many characters
constexpr int kValueChars = 1025;     // values of the settings file are read in buffers of this size
constexpr int kNameBytes = 37;        // wdmPresetName, ANSI
constexpr int kCommentBytes = 513;    // wdmPresetComment, ANSI

enum : uint16_t {
  kDialogMaintenance = 1007,
  kList = 2139,
  kButtonDelete = 2140,
  kButtonRefresh = 2141,
  kButtonLoad = 2142,
  kButtonMoveBack = 2143,
  kButtonMoveNext = 2144,
  kEditName = 2145,
  kEditComment = 2146,
  kStatus = 2148,
  kOpenDialog = 4001,
};
constexpr WORD kWarnDuplicateName = 10052;
constexpr WORD kWarnEmptyName = 10031;
constexpr WORD kAskDelete = 10028;

// The {option row, UI value} pairs kept by the refresh command.
struct SavedValue {
  int32_t row;
  int32_t value;
};

const WCHAR* Ini(DriverContext* ctx) { return PathGetSettingsIni(ctx); }
const WCHAR* Section(DriverContext* ctx) { return PrnGetName(ctx); }

int ReadValue(DriverContext* ctx, const WCHAR* key, WCHAR* out, int chars) {
  out[0] = 0;
  if (!Section(ctx)) return 0;
  return IniReadString(Section(ctx), key, u"", out, chars, Ini(ctx));
}

void WriteValue(DriverContext* ctx, const WCHAR* key, const WCHAR* value) {
  if (Section(ctx)) IniWriteString(Section(ctx), key, value, Ini(ctx));
}

// The key stem of list item index: the item's text, else the entry key.
Text Stem(HWND list, int index) {
  WCHAR key[kPresetKeyChars] = {};
  if (list) {
    const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n > 0 && n < kPresetKeyChars) {
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(key));
      if (CfgPresetKeyIndex(key) == index) return key;
    }
  }
  CfgPresetKey(key, index, kPresetKeyPath);
  return key;
}

// A text bounded as the ANSI option that holds it: whole characters within bytes - 1.
Text Bounded(const WCHAR* text, int bytes) {
  std::vector<char> ansi(static_cast<size_t>(bytes), 0);
  EnvWideToAnsi(ansi.data(), text, bytes);
  std::vector<WCHAR> wide(static_cast<size_t>(bytes) + 1, 0);
  EnvAnsiToWide(wide.data(), ansi.data(), bytes);
  return wide.data();
}

void FreeSavedValues(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  delete[] static_cast<SavedValue*>(state->savedConfigValues);
  state->savedConfigValues = nullptr;
}

}  // namespace

// ---- the list's keys ------------------------------------------------------------------------------

int FdFindPresetByName(DriverContext* ctx, const WCHAR* name, int preferred) {
  if (!ctx || !name) return -1;
  int found = -1;
  for (int i = 0, n = CfgGetPresetCount(ctx); i < n; ++i) {
    WCHAR key[kPresetKeyChars];
    WCHAR value[kNameChars];
    if (CfgPresetKey(key, i, kPresetKeyName) <= 0) continue;
    ReadValue(ctx, key, value, kNameChars);
    if (Text(value) != name) continue;
    if (preferred == -1 || i == preferred) return i;
    if (found < 0) found = i;
  }
  return found;
}

int FdCheckDuplicatePresetName(DriverContext* ctx, HWND dialog, int) {
  if (!ctx) return -1;
  const int n = CfgGetPresetCount(ctx);
  std::vector<Text> names(static_cast<size_t>(n > 0 ? n : 0));
  for (int i = 0; i < n; ++i) {
    WCHAR key[kPresetKeyChars];
    WCHAR value[kNameChars];
    CfgPresetKey(key, i, kPresetKeyName);
    ReadValue(ctx, key, value, kNameChars);
    names[static_cast<size_t>(i)] = value;
  }
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (names[static_cast<size_t>(i)] == names[static_cast<size_t>(j)]) {
        if (dialog) PostMessageW(dialog, kPresetDuplicateMessage, static_cast<WPARAM>(j), 0);
        return j;
      }
  return -1;
}

int FdReadPresetListText(DriverContext* ctx, HWND list, int index, int part, WCHAR* out) {
  if (!out) return 0;
  out[0] = 0;
  if (!ctx || index < 0) return 0;
  const Text key = Stem(list, index) + (part == kPresetKeyComment ? kPresetCommentSuffix : kPresetNameSuffix);
  return ReadValue(ctx, key.c_str(), out, kValueChars - 1);
}

namespace {

void FdSwapIniValues(DriverContext* ctx, const Text& a, const Text& b) {
  WCHAR first[kValueChars], second[kValueChars];
  ReadValue(ctx, a.c_str(), first, kValueChars - 1);
  ReadValue(ctx, b.c_str(), second, kValueChars - 1);
  WriteValue(ctx, a.c_str(), second);
  WriteValue(ctx, b.c_str(), first);
}

void FdSwapPresetEntries(DriverContext* ctx, HWND list, int i, int j) {
  const Text a = Stem(list, i), b = Stem(list, j);
  FdSwapIniValues(ctx, a, b);
  FdSwapIniValues(ctx, a + kPresetNameSuffix, b + kPresetNameSuffix);
  FdSwapIniValues(ctx, a + kPresetCommentSuffix, b + kPresetCommentSuffix);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
}

void FdSetPresetEntryText(DriverContext* ctx, HWND list, int index, const WCHAR* name, const WCHAR* comment) {
  const Text stem = Stem(list, index);
  WriteValue(ctx, (stem + kPresetNameSuffix).c_str(), name);
  WriteValue(ctx, (stem + kPresetCommentSuffix).c_str(), comment);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
}

// Empties the last entry (its file stays on disk) and shortens the list by one.
void FdRemoveLastPresetEntry(DriverContext* ctx, HWND list, int index) {
  const Text stem = Stem(list, index);
  WriteValue(ctx, stem.c_str(), u"");
  FdSetPresetEntryText(ctx, list, index, u"", u"");
  const int count = CfgGetPresetCount(ctx);
  if (count > 0 && Section(ctx)) IniWriteIntKey(Section(ctx), kPresetCountKey, count - 1, Ini(ctx));
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
}

// 1 (refused) when wdmPresetName is empty: warning, the focus back to the name, the list back
// on the entry.
int FdRefuseEmptyPresetName(DriverContext* ctx, DialogDescriptor* dialog, int selection) {
  WCHAR name[kNameChars] = {};
  OptGetStringValue(ctx, OptFind(ctx, kOptPresetName), name, kNameChars);
  if (name[0]) return 0;
  FdShowWarning(ctx, dialog->window, kWarnEmptyName);
  if (HWND edit = GetDlgItem(dialog->window, kEditName)) SetFocus(edit);
  if (HWND list = GetDlgItem(dialog->window, kList)) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  return 1;
}

// Loads entry index and makes it the list's choice.
void SelectEntry(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, int index) {
  if (list->window) SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  CfgLoadPreset(ctx, index);
  OptSetControlValue(ctx, list, static_cast<uint32_t>(index + kFirstPresetValue));
  UiApplyControlChange(ctx, dialog, list, 0, 0);
}

// The selected entry's name and comment into the edits' options.
void ShowEntryText(DriverContext* ctx, HWND list, int index) {
  WCHAR text[kValueChars];
  FdReadPresetListText(ctx, list, index, kPresetKeyName, text);
  OptSetControlText(ctx, kEditName, text);
  FdReadPresetListText(ctx, list, index, kPresetKeyComment, text);
  OptSetControlText(ctx, kEditComment, text);
}

int Selection(DriverContext* ctx, ControlDescriptor* list) {
  return OptGetControlValue(ctx, list) - kFirstPresetValue;
}

int Move(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, bool back) {
  const int e = Selection(ctx, list);
  const int count = CfgGetPresetCount(ctx);
  int target = e;
  if (back && e > 0) target = e - 1;
  if (!back && e < count - 1) target = e + 1;
  if (target == e || e < 1 || target < 1) return 1;
  FdSwapPresetEntries(ctx, list->window, e, target);
  UiRefreshPresetSelectors(ctx);
  if (list->window) SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(target), 0);
  OptSetControlValue(ctx, list, static_cast<uint32_t>(target + kFirstPresetValue));
  ShowEntryText(ctx, list->window, target);
  UiRefreshDialog(ctx, dialog, 0);
  return 1;
}

// The delete button's confirmation: the model item's alert, or the delete question when the
// model gives the button no item.
bool ConfirmDelete(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* button) {
  if (button && button->modelItem) return UiCheckItemAlert(ctx, dialog, button->modelItem) == 1;
  return FdAskWarningOkCancel(ctx, dialog->window, kAskDelete) == kFdIdOk;
}

int Delete(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, ControlDescriptor* button) {
  const int s = Selection(ctx, list);
  const int count = CfgGetPresetCount(ctx);
  if (s <= 0) return 0;
  if (s >= count || !ConfirmDelete(ctx, dialog, button)) return 1;
  for (int i = s; i + 1 < count; ++i) FdSwapPresetEntries(ctx, list->window, i, i + 1);
  FdRemoveLastPresetEntry(ctx, list->window, count - 1);
  UiRefreshPresetSelectors(ctx);
  const int selection = s == count - 1 ? count - 2 : s;
  SelectEntry(ctx, dialog, list, selection);
  ShowEntryText(ctx, list->window, selection);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

int Load(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, ControlDescriptor* button, WPARAM wParam,
         LPARAM lParam) {
  if (list->window && SendMessageW(list->window, LB_GETCOUNT, 0, 0) >= kListLimit) return 1;
  ctx->workArea->subDialogResult = 0;
  // The button's own command opens the open dialog; a model that gives the button no item
  // leaves that to us.
  if (button->modelItem)
    UiDispatchControlCommand(ctx, dialog, button, wParam, lParam);
  else
    UiRunSubDialog(ctx, 0, kOpenDialog, dialog->window);
  if (!ctx->workArea->subDialogResult) return 1;
  const WCHAR* chosen = FdGetChosenFilePath(ctx);
  const WORD offset = FdGetChosenFileNameOffset();
  if (!chosen || !chosen[0]) return 1;
  const Text text = chosen;
  const size_t nameAt = offset <= text.size() ? offset : 0;
  if (text.find(u' ', nameAt) != Text::npos || (nameAt > 0 && text[nameAt - 1] == u' ')) {
    FdImportPresetFileList(ctx, chosen);
  } else if (!FdAddPresetFile(ctx, chosen)) {
    return 1;
  }
  const int count = CfgGetPresetCount(ctx);
  CfgLoadPreset(ctx, count - 1);
  OptSetControlValue(ctx, list, static_cast<uint32_t>(count + kFirstPresetValue - 1));
  UiApplyControlChange(ctx, dialog, list, 0, 0);
  UiRefreshPresetSelectors(ctx);
  OptSetControlValue(ctx, list, static_cast<uint32_t>(count + kFirstPresetValue - 1));
  if (list->window) SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

int Refresh(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* list, ControlDescriptor* button) {
  BidiUpdateFromDevice(ctx, dialog->window);
  if (button && button->window) {
    RECT r{};
    GetWindowRect(button->window, &r);
    UiShowHoverTip(ctx, button, dialog->window, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  FreeSavedValues(ctx);
  const OptionTable* table = ctx->optionTable;
  std::vector<SavedValue> pairs;
  for (int16_t i = 0; table && i < table->count; ++i)
    if (CfgIsConfigOptionRow(&table->rows[i]))
      pairs.push_back({i, OptReadUiValue(ctx, &table->rows[i])});
  auto* saved = new SavedValue[pairs.size() + 1];
  for (size_t k = 0; k < pairs.size(); ++k) saved[k] = pairs[k];
  saved[pairs.size()] = {0, 0};
  UiSheetState(ctx)->savedConfigValues = saved;
  CfgRefreshScenarioPresets(ctx, 1);
  int b = FdCheckDuplicatePresetName(ctx, nullptr, -1);
  if (b < 0) b = 0;
  UiRefreshPresetSelectors(ctx);
  if (HWND edit = GetDlgItem(dialog->window, kEditName)) {
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
  SelectEntry(ctx, dialog, list, b);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

// A model that gives the list no item: every entry of the list, each item its key stem.
int FillListOfEntries(DriverContext* ctx, ControlDescriptor* list) {
  if (!list->window || !list->option) return 0;
  SendMessageW(list->window, LB_RESETCONTENT, 0, 0);
  for (int i = 0, n = CfgGetPresetCount(ctx); i < n && i < kListLimit; ++i) {
    WCHAR key[kPresetKeyChars];
    CfgPresetKey(key, i, kPresetKeyPath);
    const LRESULT at = SendMessageW(list->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key));
    if (at >= 0) SendMessageW(list->window, LB_SETITEMDATA, static_cast<WPARAM>(at), i + kFirstPresetValue);
  }
  const int selected = Selection(ctx, list);
  if (selected >= 0) SendMessageW(list->window, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return 1;
}

}  // namespace

int FdAddPresetFile(DriverContext* ctx, const WCHAR* path) {
  if (!ctx || !path || !path[0] || !FdFileExists(path) || !Section(ctx)) return 0;
  WCHAR name[kValueChars] = {}, comment[kValueChars] = {};
  IniReadString(Section(ctx), u"wdmPresetName", u"", name, kValueChars - 1, path);
  IniReadString(Section(ctx), u"wdmPresetComment", u"", comment, kValueChars - 1, path);
  Text shown = Bounded(name, kNameBytes);
  if (shown.empty()) {
    Text file = path;
    const size_t slash = file.rfind(u'\\');
    if (slash != Text::npos) file.erase(0, slash + 1);
    const size_t dot = file.rfind(u'.');
    if (dot != Text::npos) file.erase(dot);
    shown = Bounded(file.c_str(), kNameBytes);
  }
  FmAddPresetListEntry(ctx, path, shown.c_str(), Bounded(comment, kCommentBytes).c_str());
  return 1;
}

void FdImportPresetFileList(DriverContext* ctx, const WCHAR* chosen) {
  if (!chosen) return;
  const Text text = chosen;
  const size_t first = text.find(u' ');
  if (first == Text::npos) return;
  Text folder = text.substr(0, first);
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  size_t at = first + 1;
  while (at <= text.size()) {
    size_t end = text.find(u' ', at);
    if (end == Text::npos) end = text.size();
    const Text name = text.substr(at, end - at);
    at = end + 1;
    if (!name.empty() && CfgGetPresetCount(ctx) < kListLimit) FdAddPresetFile(ctx, (folder + name).c_str());
  }
}

int FdPresetMaintenanceProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                            WPARAM wParam, LPARAM lParam) {
  ControlDescriptor* list = OptFindControl(ctx, dialog, kList);
  if (!control) {
    if (msg == WM_INITDIALOG) {
      FreeSavedValues(ctx);
      return 0;
    }
    if (msg == kPresetDuplicateMessage && list) {
      const int j = static_cast<int>(wParam);
      FdShowWarning(ctx, dialog->window, kWarnDuplicateName);
      if (HWND edit = GetDlgItem(dialog->window, kEditName)) SetFocus(edit);
      SelectEntry(ctx, dialog, list, j);
      UiRefreshDialog(ctx, dialog, 1);
      return 1;
    }
    return 0;
  }
  if (control->controlId == kStatus) return 0;
  if (msg == WM_INITDIALOG && control == list && !control->modelItem) return FillListOfEntries(ctx, control);
  if (msg != WM_COMMAND || LOWORD(wParam) != control->controlId || !list) return 0;
  switch (control->controlId) {
    case kButtonMoveBack:
    case kButtonMoveNext:
      return Move(ctx, dialog, list, control->controlId == kButtonMoveBack);
    case kButtonDelete:
      return Delete(ctx, dialog, list, control);
    case kButtonLoad:
      return Load(ctx, dialog, list, control, wParam, lParam);
    case kButtonRefresh:
      return Refresh(ctx, dialog, list, control);
    case kEditName:
    case kEditComment: {
      const WORD code = HIWORD(wParam);
      if (code == EN_CHANGE) return UiDispatchControlCommand(ctx, dialog, control, wParam, lParam), 1;
      if (code != EN_KILLFOCUS) return 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      const int s = Selection(ctx, list);
      if (s > 0 && s < CfgGetPresetCount(ctx) && !FdRefuseEmptyPresetName(ctx, dialog, s)) {
        CfgEnsureUserPresetFile(ctx, s);
        CfgSavePreset(ctx, s);
        UiRefreshPresetSelectors(ctx);
        OptSetControlValue(ctx, list, static_cast<uint32_t>(s + kFirstPresetValue));
      }
      return 1;
    }
    default:
      return 0;
  }
}

int FdKeepMaintenanceOnDuplicate(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* list = OptFindControl(ctx, dialog, kList);
  const int i = list ? FdCheckDuplicatePresetName(ctx, dialog->window, -1) : -1;
  if (i < 0) return 0;
  if (HWND edit = GetDlgItem(dialog->window, kEditName)) {
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
  SelectEntry(ctx, dialog, list, i);
  UiRefreshDialog(ctx, dialog, 1);
  ctx->workArea->subDialogResult = 0;
  return 1;
}

// The pairs the refresh command kept go back into their rows when the maintenance dialog has
// returned to a page; 1 when there were any.
int FdRestoreSavedConfigValues(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  auto* saved = state ? static_cast<SavedValue*>(state->savedConfigValues) : nullptr;
  if (!saved) return 0;
  const OptionTable* table = ctx->optionTable;
  const bool any = saved[0].row != 0 || saved[0].value != 0;
  for (SavedValue* p = saved; p->row != 0 || p->value != 0; ++p)
    if (table && p->row >= 0 && p->row < table->count)
      OptWriteUiValue(ctx, &table->rows[p->row], static_cast<uint32_t>(p->value));
  FreeSavedValues(ctx);
  if (any) {
    UiRefreshSourceCombos(ctx);
    UiRefreshOutputTrayCombos(ctx);
    UiRefreshPaperSizeCombos(ctx);
  }
  return any ? 1 : 0;
}
