// Sub-dialogs of the sheets: a modal dialog, a nested sheet or a common file dialog opened from a
// page, each under its own undo snapshot of the settings (OK keeps, Cancel rolls back); the
// follow-up of the settings-file dialogs (export, load, delete); context help and the text
// measure of the control kinds.
#include <algorithm>
#include <memory>
#include <vector>

#include "env_language.h"
#include "env_system.h"
#include "fd_file_dialogs.h"
#include "fd_system_error.h"
#include "option_context_words.h"
#include "feature_modules.h"
#include "model_query.h"
#include "option_access.h"
#include "scenario_package.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "sheet_engine_state.h"
#include "undo_images.h"

namespace {

constexpr uint16_t kOptBillingCode = 1251;  // wdmBillingCode
constexpr uint16_t kBillingCodeControl = 3238;
constexpr uint16_t kSettingsFileDialog = 4009;
constexpr uint16_t kUserSettingsCaption = 5001;
constexpr DWORD kSaveIntoPackage = 0x10000;

// The file-dialog block: the record and its four buffers, in one zero-filled allocation.
struct FileDialogBlock {
  OPENFILENAMEW ofn;
  WCHAR file[kFdBufferChars];
  WCHAR folder[kFdBufferChars];
  WCHAR title[kFdBufferChars];
  WCHAR filter[kFdBufferChars];
};

bool IsFileKind(uint32_t kind) {
  return (kind & (kDialogFileDialogs | kDialogFileCreation)) != 0;
}

// After a page loaded a settings file, the lists and selectors that show its settings.
void RefreshAfterLoad(DriverContext* ctx) {
  UiRefreshWatermarkCombo(ctx);
  UiRefreshEditPageLists(ctx);
  UiRefreshSourceCombos(ctx);
  UiRefreshPresetSelectors(ctx);
  UiRefreshOutputTrayCombos(ctx);
  UiRefreshPaperSizeCombos(ctx);
  DialogDescriptor* page = OptFindDialog(ctx, 1002);
  if (page && page->window) {
    WCHAR text[260] = {};
    OptionEntry* row = nullptr;
    OptGetValuePointer(ctx, kOptBillingCode, &row);
    if (row) OptGetStringValue(ctx, row, text, 260);
    SetDlgItemTextW(page->window, kBillingCodeControl, text);
  }
}

void FollowUp(DriverContext* ctx, DialogDescriptor* row, uint16_t code, const WCHAR* path, HWND parent) {
  HANDLE printer = ctx->printer;
  switch (code) {
    case 5001: {
      WCHAR mainFile[MAX_PATH] = {};
      const int folder = CfgCreateScenarioFolder(path, mainFile, ctx);
      const bool packaged = folder && CfgSaveSettingsFile(printer, mainFile, kSaveIntoPackage, ctx) &&
                            CfgExportScenario(path, mainFile, ctx);
      if (!packaged && folder) PathRemoveFolderOf(mainFile);
      const int saved = CfgSaveSettingsFile(printer, path, 0, ctx);
      UiClearOptionChanges(ctx);
      if (saved) {
        CfgWriteRsdSection(printer, path, 0, ctx);
        UiClearOptionChanges(ctx);
      } else if (row->dialogId == kSettingsFileDialog) {
        FdShowSystemError(ctx, static_cast<DWORD>(CtxGetSettingsFileStatus(ctx)), parent);
      }
      break;
    }
    case 5002:
      if (CfgLoadSettingsFile(printer, path, 0, ctx)) RefreshAfterLoad(ctx);
      break;
    case 5003:
      if (DeleteFileW(path)) CfgDeleteScenario(path);
      break;
    default:
      break;
  }
}

INT_PTR RunFileDialog(DriverContext* ctx, DialogDescriptor* row, HWND parent) {
  auto block = std::make_unique<FileDialogBlock>();
  *block = FileDialogBlock{};
  OPENFILENAMEW& ofn = block->ofn;
  ofn.lStructSize = sizeof(OPENFILENAMEW);
  ofn.hwndOwner = parent;
  ofn.hInstance = ctx->resourceLibrary;
  ofn.lpstrFile = block->file;
  ofn.nMaxFile = kFdBufferChars;
  ofn.lpstrInitialDir = block->folder;
  ofn.lpstrTitle = block->title;
  ofn.lpstrFilter = block->filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrDefExt = FdGetFileFilter(row) + 2;
  ofn.lCustData = reinterpret_cast<LPARAM>(ctx);
  ofn.lpfnHook = UiFileDialogHookProc;
  ofn.lpTemplateName = MAKEINTRESOURCEW(row->dialogId);
  FdPrepareFileDialog(ctx, row, &ofn);
  SheetEngineState* state = UiSheetState(ctx);
  state->followUpCode = 0;
  const BOOL ok = FdRunBasicFileDialog(ctx, row, &ofn, block->file);
  if (ok) FollowUp(ctx, row, state->followUpCode, block->file, parent);
  return ok;
}

INT_PTR RunNestedSheet(DriverContext* ctx, DialogDescriptor* row, uint32_t mask, uint16_t dialogId, HWND parent) {
  const uint32_t bit = (mask & 0xF0) ? (mask & 0xF0) : kDialogUndoOnCancel;
  std::vector<PROPSHEETPAGEW> pages;
  UINT start = 0;
  DialogTable* table = ctx->dialogTable;
  for (int i = 0; table && i < table->count; ++i) {
    DialogDescriptor& page = table->rows[i];
    if (!(page.kindFlags & bit)) continue;
    if (bit == kDialogUndoOnCancel && page.nameIndex && MdlIsItemKeyDisabled(ctx, page.nameIndex)) continue;
    page.window = nullptr;
    if (page.dialogId == dialogId) start = static_cast<UINT>(pages.size());
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_HASHELP;
    psp.hInstance = ctx->resourceLibrary;
    psp.pszTemplate = MAKEINTRESOURCEW(page.dialogId);
    psp.pfnDlgProc = UiPageDialogProc;
    psp.lParam = reinterpret_cast<LPARAM>(ctx);
    pages.push_back(psp);
  }
  WCHAR caption[260] = {};
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
  if (EnvIsVistaOrLater()) header.dwFlags |= PSH_NOCONTEXTHELP;
  header.hwndParent = parent;
  header.hInstance = ctx->resourceLibrary;
  if (bit == kDialogUndoOnCancel)
    header.pszCaption = MAKEINTRESOURCEW(kUserSettingsCaption);
  else
    header.pszCaption = PrnGetName(ctx) ? PrnGetName(ctx) : caption;
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = start;
  header.ppsp = pages.data();
  (void)row;
  return PropertySheetW(&header);
}

}  // namespace

int UiRunSubDialog(DriverContext* ctx, uint32_t kindMask, uint16_t dialogId, HWND parent) {
  if (!ctx || !EnvLoadResourceDll(ctx)) return -1;
  const DWORD savedId = ctx->dialogId;
  ctx->dialogId = dialogId;
  DmPushSnapshot(ctx);
  DialogDescriptor* row = OptFindDialog(ctx, dialogId);
  if (!row) {
    DmPopSnapshot(ctx, 1);
    ctx->dialogId = savedId;
    return 0;
  }
  INT_PTR result;
  if (IsFileKind(row->kindFlags)) {
    result = RunFileDialog(ctx, row, parent);
  } else if ((kindMask & 0xF0) || (row->kindFlags & kDialogUndoOnCancel)) {
    result = RunNestedSheet(ctx, row, kindMask, dialogId, parent);
  } else {
    row->modalState = 1;
    result = DialogBoxParamW(ctx->resourceLibrary, MAKEINTRESOURCEW(dialogId), parent, UiCommonDialogProc,
                             reinterpret_cast<LPARAM>(ctx));
    row->modalState = 0;
    SheetEngineState* state = UiSheetState(ctx);
    if (state && state->firstPageId == dialogId) state->firstPageId = 0;
  }
  DialogDescriptor* shown = OptFindDialog(ctx, static_cast<uint16_t>(ctx->dialogId));
  ctx->dialogId = savedId;
  FmDialogParam notice{};
  notice.dialog = shown;
  if (!ctx->workArea->subDialogResult) {
    DmPopSnapshot(ctx, 1);
    FmBroadcastNotify(ctx, kFmNotifySubDialogCancelled, &notice);
    return static_cast<int>(result);
  }
  DmPopSnapshot(ctx, 0);
  FmBroadcastNotify(ctx, kFmNotifySubDialogOk, &notice);
  if (parent) {
    if (UiIsSettingsDialog(shown ? shown->dialogId : dialogId)) {
      HWND sheet = GetParent(parent);
      if (sheet) SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(parent), 0);
    }
    DialogDescriptor* caller = OptFindDialog(ctx, static_cast<uint16_t>(savedId));
    if (caller) UiRefreshDialog(ctx, caller, 1);
  }
  return static_cast<int>(result);
}

void UiShowContextHelp(HWND dialog, HWND target, UINT msg) {
  if (!dialog || !target) return;
  auto* ctx = reinterpret_cast<DriverContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!ctx) return;
  DialogDescriptor* row = OptFindDialogByWindow(ctx, dialog);
  ControlDescriptor* control = row ? OptFindControlByWindow(ctx, row, target) : nullptr;
  if (!control || (control->state & kControlHiddenMask)) return;
  const WCHAR* helpFile = PathGetHelpFile(ctx);
  if (CfgUseHtmlHelp(ctx)) {
    if (!control->helpId) return;
    HWND owner = row->modalState ? dialog : GetParent(dialog);
    HtmlHelpW(owner ? owner : dialog, helpFile, HH_DISPLAY_TOPIC,
              reinterpret_cast<DWORD_PTR>(FdLookupHelpTopic(control->helpId)));
    return;
  }
  DWORD pairs[4] = {control->controlId, control->helpId, 0, 0};
  if (msg == WM_HELP) {
    WinHelpW(target, helpFile, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(pairs));
  } else {
    HWND window = control->kind == 4 ? dialog : target;
    WinHelpW(window, helpFile, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(pairs));
  }
}

void UiMeasureText(HDC dc, const WCHAR* text, SIZE* out) {
  if (!out) return;
  if (text) {
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::char_traits<WCHAR>::length(text)), out);
    return;
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  out->cx = tm.tmAveCharWidth;
  out->cy = tm.tmHeight;
}
