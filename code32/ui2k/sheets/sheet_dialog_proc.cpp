// The window procedure of every page and modal dialog of the sheet engine, and the page
// procedure that adds the extra sheet buttons before handing over to it.
#include <cstring>
#include <string>

#include "context_services.h"
#include "default_section.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "env_system.h"
#include "fd_file_dialogs.h"
#include "fd_presets.h"
#include "lock_data.h"
#include "feature_modules.h"
#include "free_size.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_values.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "undo_images.h"
#include "win32/comctl.h"

namespace {

constexpr uint16_t kOptPresetNo = 37;
constexpr uint16_t kOptBiDirect = 733;
constexpr uint16_t kOptPresentUiMode = 735;
constexpr uint16_t kOptUiStart = 1012;
constexpr uint16_t kOptDefaultSource = 13;        // dmDefaultSource
constexpr uint16_t kOptLockSmallPaperTray = 10417;  // zdmLockInfoLockSmallPaperTray
constexpr uint16_t kOptLock000InfoBit = 10418;      // zdmLock000InfoBit, the printer's lock byte
constexpr uint16_t kOptLockedTray = 1236;           // wdmLock001Info, the locked source's stored value
constexpr uint16_t kOptBillingCode = 1251;
constexpr int kFirstPresetValue = 119;
constexpr uint16_t kNotifyDialogClosed = 25;
constexpr uint16_t kNotifyDocumentApplied = 28;
constexpr uint16_t kBuiltInLockUpdatePrnMethod = 326;
constexpr uint16_t kStringSaveAsNew = 372;
constexpr uint16_t kStringOverwrite = 373;
constexpr uint16_t kWarnEmptyPresetName = 10031;
constexpr uint16_t kWarnNotWritable = 10024;
constexpr uint16_t kAskReplacePreset = 10032;
constexpr uint16_t kWarnBadFile = 10043;
constexpr UINT_PTR kHoverTipTimer = 1;

DriverContext* ContextOf(HWND dialog) {
  return reinterpret_cast<DriverContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int Warn(DriverContext* ctx, HWND owner, uint16_t stringId, UINT type = MB_OK) {
  WCHAR text[kCtxScratchChars] = {};
  EnvLoadString(ctx, stringId, text, kCtxScratchChars, 1);
  return MessageBoxW(owner, text, PrnGetName(ctx), type | MB_ICONWARNING);
}

// The dialog's help topic: HTML help or WinHelp.
void ShowDialogHelp(DriverContext* ctx, DialogDescriptor* dialog, HWND window) {
  if (!dialog || !dialog->helpId) return;
  if (CfgUseHtmlHelp(ctx)) {
    HWND owner = dialog->modalState == 1 ? window : GetParent(window);
    HtmlHelpW(owner, PathGetHelpFile(ctx), HH_DISPLAY_TOPIC,
              reinterpret_cast<DWORD_PTR>(FdLookupHelpTopic(dialog->helpId)));
  } else {
    WinHelpW(window, PathGetHelpFile(ctx), HELP_CONTEXT, dialog->helpId);
  }
}

// The page item's Alert rules and Transact on a row that carries only that item; 1 when the
// change was refused or the result flag was cleared meanwhile.
int CheckPageItem(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor pageRow{};
  pageRow.modelItem = MdlLookupItem(dialog->nameIndex, ctx);
  const DWORD saved = ctx->workArea->subDialogResult;
  ctx->workArea->subDialogResult = 1;
  const int refused = pageRow.modelItem ? UiApplyControlChange(ctx, dialog, &pageRow, 0, 0) : 0;
  const DWORD now = ctx->workArea->subDialogResult;
  ctx->workArea->subDialogResult = saved;
  return refused || now == 0;
}

INT_PTR SavePreset(DriverContext* ctx, DialogDescriptor* dialog, HWND window, WORD id, WORD effective) {
  if (effective == kCommandSaveAsNew) CtxAddPendingFlags(ctx, kPendingSaveAsNewRunning);
  if (CheckPageItem(ctx, dialog)) {
    CtxClearPendingFlags(ctx, kPendingSaveAsNewRunning);
    UiRefreshDialog(ctx, dialog, 0);
    return 0;
  }
  if (effective == kCommandOverwrite) {
    WCHAR name[kCtxScratchChars] = {};
    OptGetControlText(ctx, 2145, name, kCtxScratchChars);
    const int selected = OptGetValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue;
    int stop = 0;
    if (!name[0]) {
      stop = Warn(ctx, window, kWarnEmptyPresetName);
    } else if (const int k = FdFindPresetByName(ctx, name, selected); k == 0 || (k > 0 && !CfgIsPresetEntryWritable(ctx, k))) {
      stop = Warn(ctx, window, kWarnNotWritable);
    } else if (k >= 0 && k != selected) {
      if (Warn(ctx, window, kAskReplacePreset, MB_YESNO) == IDNO) stop = 1;
      else OptSetValue(ctx, kOptPresetNo, k + kFirstPresetValue);
    }
    if (stop) {
      FmDispatchDialogMessage(ctx, dialog, nullptr, kPresetRefocusMessage, 0, 0);
      return 0;
    }
  } else if (UiRunSubDialog(ctx, kDialogModal, 1032, window) == IDCANCEL) {
    return 0;
  }
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (OptGetValue(ctx, kOptPresetNo, nullptr) <= 118) {
    WCHAR path[kCtxPathChars] = {}, presetName[64] = {}, comment[kCtxScratchChars] = {};
    CfgNewUserPresetPath(ctx, path);
    OptGetStringValue(ctx, OptFind(ctx, kOptPresetName), presetName, 64);
    OptGetStringValue(ctx, OptFind(ctx, kOptPresetComment), comment, kCtxScratchChars);
    FmAddPresetListEntry(ctx, path, presetName, comment);
    OptSetValue(ctx, kOptPresetNo, CfgGetPresetCount(ctx) + 118);
  } else {
    CfgEnsureUserPresetFile(ctx, OptGetValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue);
  }
  const int i = OptGetValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue;
  if (i >= 1 && i <= 15) CfgSavePreset(ctx, i);
  UiRefreshPresetSelectors(ctx);
  OptSetValue(ctx, kOptPresetNo, kFirstPresetValue + i);
  if (id == kCommandSaveAsNew || id == kCommandOverwrite) {
    CtxClearPendingFlags(ctx, kPendingExtraButtons);
    PostMessageW(window, WM_COMMAND, kPressOkCommand, 0);
  }
  SetCursor(old);
  UiRefreshDialog(ctx, dialog, 0);
  return 0;
}

INT_PTR CloseDialog(DriverContext* ctx, DialogDescriptor* dialog, HWND window, WORD id, ControlDescriptor* control) {
  if (dialog->dialogId == 1007 && id == IDCLOSE) {
    HWND close = GetDlgItem(window, IDCLOSE);
    if (close) SetFocus(close);
    if (close && GetFocus() != close) return 1;
    if (FdKeepMaintenanceOnDuplicate(ctx, dialog)) return 0;
  }
  if (dialog->dialogId == 1011 && OptGetValue(ctx, kOptBiDirect, nullptr) == 1)
    control = OptFindControl(ctx, dialog, IDOK);
  if (id == IDOK) {
    if (HWND ok = GetDlgItem(window, IDOK)) SetFocus(ok);
    MSG pending{};
    if (PeekMessageW(&pending, window, kRuleAlertMessage, kRuleAlertMessage, PM_NOREMOVE)) return 0;
  }
  if (control && UiApplyControlChange(ctx, dialog, control, 0, 0)) {
    UiRefreshDialog(ctx, dialog, 0);
    return 0;
  }
  ContextWorkArea* wa = ctx->workArea;
  wa->subDialogResult = (id == IDCANCEL || id == IDNO) ? 0 : 1;
  const ModelItem* item = control ? control->modelItem : nullptr;
  const uint16_t bif = control ? control->builtInFunc : 0;
  switch (dialog->dialogId) {
    case 1041:
      if (id == IDOK) UiRunItemTransact(ctx, dialog, item, bif);
      break;
    case 1017:
      if (id == IDOK) {
        UiRunItemTransact(ctx, dialog, item, bif);
        CfgSaveAllFreeSizes(ctx);
        UiRunBuiltInFunc(ctx, 1);
        UiRefreshPaperSizeCombos(ctx);
      } else {
        CtxClearPendingFlags(ctx, kPendingFreeSizesLoaded);
        CfgLoadAllFreeSizes(ctx);
      }
      break;
    case 1011:
      if (id == IDOK || OptGetValue(ctx, kOptBiDirect, nullptr) == 1) {
        wa->subDialogResult = 1;
        UiRefreshSourceCombos(ctx);
        UiRefreshOutputTrayCombos(ctx);
      }
      break;
    case 1023:
    case 1037:
      if (id == IDOK) {
        WCHAR path[kCtxScratchChars] = {};
        GetDlgItemTextW(window, dialog->dialogId == 1023 ? 2341 : 2586, path, kCtxScratchChars);
        HFILE file = HFILE_ERROR;
        const bool good = dialog->dialogId == 1023 ? EnvOpenBitmapFile(path, &file) != 0
                                                   : GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
        if (file != HFILE_ERROR) _lclose(file);
        if (!good) {
          Warn(ctx, window, kWarnBadFile);
          wa->subDialogResult = 0;
          return 0;
        }
      }
      break;
    case 1019:
      if (id == IDOK) {
        WCHAR code[kCtxScratchChars] = {};
        OptGetStringValue(ctx, OptFind(ctx, kOptBillingCode), code, kCtxScratchChars);
        for (auto [page, control] : {std::pair<uint16_t, uint16_t>{1001, 3240}, {1002, 3238}})
          if (ControlDescriptor* c = OptFindControl(ctx, OptFindDialog(ctx, page), control); c && c->window)
            SetWindowTextW(c->window, code);
      }
      break;
    default: {
      struct {
        DialogDescriptor* dialog;
        ControlDescriptor* control;
        DWORD id;
      } closed{dialog, control, id};
      FmBroadcastNotify(ctx, kNotifyDialogClosed, &closed);
    }
  }
  dialog->window = nullptr;
  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j) dialog->controls[j].window = nullptr;
  if (!(dialog->kindFlags & (kDialogFileDialogs | kDialogFileCreation))) EndDialog(window, id);
  return 1;
}

INT_PTR OnCommand(DriverContext* ctx, DialogDescriptor* dialog, HWND window, WPARAM wParam, LPARAM lParam) {
  UiRemoveHoverTip(ctx);
  const WORD id = LOWORD(wParam);
  ControlDescriptor* control = OptFindControl(ctx, dialog, id);
  const WORD effective = control && (control->flags & kControlActsAsSaveAsNew) ? static_cast<WORD>(kCommandSaveAsNew) : id;
  switch (effective) {
    case kCommandSaveAsNew:
    case kCommandOverwrite:
      return SavePreset(ctx, dialog, window, id, effective);
    case kCommandWhatsThis:
      UiShowContextHelp(window, UiSheetState(ctx)->whatsThisWindow, WM_CONTEXTMENU);
      return 0;
    case kPressOkCommand:
      PostMessageW(GetParent(window), PSM_PRESSBUTTON, PSBTN_OK, 0);
      return 0;
    case IDHELP:
      ShowDialogHelp(ctx, dialog, window);
      return 0;
    case IDOK:
    case IDCANCEL:
    case IDYES:
    case IDNO:
    case IDCLOSE:
      return CloseDialog(ctx, dialog, window, id, control);
    default:
      break;
  }
  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j) {
    ControlDescriptor* c = &dialog->controls[j];
    if (!c->window || !UiOfferControlCommand(ctx, dialog, c, wParam, lParam)) continue;
    const int preset = OptGetValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue;
    if (dialog->dialogId == 1001 && c->controlId != 2408 && preset >= 0 && preset <= 15) {
      constexpr uint16_t kKept[] = {13, 54, 53, 15, 699};
      int32_t kept[5];
      for (int k = 0; k < 5; ++k) kept[k] = OptGetValue(ctx, kKept[k], nullptr);
      CfgLoadPreset(ctx, preset);
      for (int k = 0; k < 5; ++k) OptSetValue(ctx, kKept[k], kept[k]);
      if (ControlDescriptor* list = OptFindControl(ctx, dialog, 2001))
        UiRunItemTransact(ctx, dialog, list->modelItem, list->builtInFunc);
    }
    if (UiAnyOptionChanged(ctx)) SendMessageW(GetParent(window), PSM_CHANGED, reinterpret_cast<WPARAM>(window), 0);
    UiRefreshDialog(ctx, dialog, 0);
    return 1;
  }
  return 0;
}

void ApplySheetWide(DriverContext* ctx, DialogDescriptor* dialog, HWND window) {
  SheetEngineState* state = UiSheetState(ctx);
  const bool writeLocks =
      (dialog->kindFlags & kDialogPrinterPage) && !OptIsLockEnabled(ctx) && state->lockWriteRequest;
  if (dialog->kindFlags & kDialogDocumentPage) FmRunBuiltInFunc(ctx, kBuiltInLockUpdatePrnMethod);
  else if (writeLocks) UiMarkLockedSmallTray(ctx, OptGetValueRemapRules());
  if (EnvIsWin2000OrLater()) {
    SendMessageW(GetParent(window), PSM_UNCHANGED, reinterpret_cast<WPARAM>(window), 0);
    OptSetValue(ctx, kOptUiStart, 0);
    UiApplySheet(ctx);
    OptSetValue(ctx, kOptUiStart, 1);
  } else {
    OptSetValue(ctx, kOptUiStart, 0);
  }
  UiClearOptionChanges(ctx);
  UiRefreshDialog(ctx, dialog, 1);
  if (dialog->kindFlags & kDialogDocumentPage) FmBroadcastNotify(ctx, kNotifyDocumentApplied, dialog);
  if (writeLocks) {
    FmBroadcastNotify(ctx, 60, dialog);
    FmBroadcastNotify(ctx, 59, dialog);
    if (OptIsDefaultLocked(ctx)) {
      // The locked defaults are the settings as applied now.
      if (ctx->settingsImage && ctx->workArea->lockDefaultImage)
        std::memcpy(ctx->workArea->lockDefaultImage, ctx->settingsImage, DmGetImageSize());
      PrnWriteLockDefaultData(ctx->printer, ctx);
      CfgSaveDefaultSection(ctx);
      FmBroadcastNotify(ctx, 61, dialog);
    } else {
      FmBroadcastNotify(ctx, 62, dialog);
    }
    if (!PrnIsRemotePrinter(ctx)) PrnWriteLockedValues(ctx->printer, ctx);
    state->lockWriteRequest = 0;
  }
}

INT_PTR OnNotify(DriverContext* ctx, DialogDescriptor* dialog, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  UiRemoveHoverTip(ctx);
  SheetEngineState* state = UiSheetState(ctx);
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  switch (header ? header->code : 0) {
    case PSN_SETACTIVE:
      ctx->dialogId = dialog->dialogId;
      UiRefreshDialog(ctx, dialog, 1);
      break;
    case PSN_HELP:
      ShowDialogHelp(ctx, dialog, window);
      break;
    case PSN_RESET:
      ctx->workArea->subDialogResult = 0;
      break;
    case PSN_APPLY: {
      state->applying = 1;
      if (CtxGetPendingFlags(ctx) & kPendingExtraButtons) {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
        const WORD button = static_cast<WORD>(GetDlgItem(GetParent(window), kCommandOverwrite) ? 22222 : 11111);
        PostMessageW(window, WM_COMMAND, button, 0);
        state->applying = 0;
        return 1;
      }
      // Apply commits: the flag stays 1 unless the page's own check clears it, so that the sheet's
      // close after OK saves what was applied.
      ctx->workArea->subDialogResult = 1;
      if (CheckPageItem(ctx, dialog) || ctx->workArea->subDialogResult == 0) {
        HWND current = reinterpret_cast<HWND>(SendMessageW(GetParent(window), PSM_GETCURRENTPAGEHWND, 0, 0));
        UiRefreshDialog(ctx, OptFindDialogByWindow(ctx, current), 1);
        SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
        state->applying = 0;
        return 1;
      }
      SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_NOERROR);
      const bool sheetKind = (dialog->kindFlags & (kDialogDocumentPage | kDialogPrinterPage)) ||
                             ((dialog->kindFlags & kDialogFirstPages) && OptGetValue(ctx, kOptPresentUiMode, nullptr) != 1);
      if (dialog->dialogId == state->firstPageId && sheetKind) ApplySheetWide(ctx, dialog, window);
      state->applying = 0;
      break;
    }
    default:
      break;
  }
  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j)
    if (dialog->controls[j].window && UiOfferControlMessage(ctx, dialog, &dialog->controls[j], msg, wParam, lParam))
      return 1;
  return 0;
}

INT_PTR OnMouse(DriverContext* ctx, DialogDescriptor* dialog, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LBUTTONDBLCLK) return 0;
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(window, &at);
  ControlDescriptor* control = nullptr;
  if (HWND capture = GetCapture()) control = OptFindControlByWindow(ctx, dialog, capture);
  if (!control) control = UiFindControlAtPoint(dialog, at.x, at.y);
  if (msg == WM_RBUTTONDBLCLK) {
    if (control && (wParam & MK_CONTROL) && (wParam & MK_SHIFT) && (control->flags & kControlHiddenFunction)) {
      FmControlParam hidden{dialog, control};
      FmBroadcastNotify(ctx, kFmNotifyHiddenFunction, &hidden);
    }
    return 0;
  }
  SheetEngineState* state = UiSheetState(ctx);
  if (control && (UiOfferControlMessage(ctx, dialog, control, msg, wParam, lParam) ||
                  (state->tip.window && state->tip.controlId == control->controlId)))
    return 0;
  if (msg == WM_MOUSEMOVE) UiRemoveHoverTip(ctx);
  return 0;
}

INT_PTR OnInitDialog(DriverContext* ctx, DialogDescriptor* dialog, HWND window) {
  SheetEngineState* state = UiSheetState(ctx);
  state->building = 1;
  EnableWindow(window, FALSE);
  if (EnvIsVistaOrLater())
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_CONTEXTHELP);
  if (GetWindowTextLengthW(window) == 0) SetWindowTextW(window, PrnGetName(ctx));
  UiBuildPageControls(ctx, nullptr);
  UiRestoreClassWndProcs(ctx, window);
  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j) {
    ControlDescriptor* c = &dialog->controls[j];
    c->window = GetDlgItem(window, c->controlId);
    c->savedWindowProc = nullptr;
    UiInitControl(ctx, dialog, c);
  }
  PostMessageW(window, kPageLayoutMessage, 0, 0);
  UiPageInitHook(ctx);
  return 1;
}

// The extra buttons of a page whose preset module asked for them.
void AddExtraButtons(DriverContext* ctx, HWND page) {
  const uint32_t pending = CtxGetPendingFlags(ctx);
  HWND sheet = GetParent(page);
  HWND ok = sheet ? GetDlgItem(sheet, IDOK) : nullptr;
  if (!(pending & (kPendingSaveAsNewButton | kPendingOverwriteButton)) || !ok) return;
  RECT okRect{}, cancelRect{};
  GetWindowRect(ok, &okRect);
  const int width = okRect.right - okRect.left, height = okRect.bottom - okRect.top;
  const int newLeft = okRect.right - width * 4 / 3;
  POINT okAt{newLeft, okRect.top};
  ScreenToClient(sheet, &okAt);
  MoveWindow(ok, okAt.x, okAt.y, okRect.right - newLeft, height, TRUE);
  HWND cancel = GetDlgItem(sheet, IDCANCEL);
  if (cancel) GetWindowRect(cancel, &cancelRect);
  WCHAR text[kCtxScratchChars] = {};
  if ((pending & kPendingSaveAsNewButton) && (pending & kPendingOverwriteButton)) {
    POINT at{2 * newLeft - cancelRect.left, cancelRect.top};
    ScreenToClient(sheet, &at);
    EnvLoadString(ctx, kStringSaveAsNew, text, kCtxScratchChars, 1);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(ok, GWL_STYLE)) & ~static_cast<DWORD>(BS_DEFPUSHBUTTON);
    HWND button = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(ok, GWL_EXSTYLE)), u"BUTTON", text, style, at.x,
                                  at.y, okRect.right - newLeft, height, sheet,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCommandSaveAsNew)), nullptr, nullptr);
    if (button) {
      SetWindowLongPtrW(button, GWLP_WNDPROC, GetWindowLongPtrW(ok, GWLP_WNDPROC));
      SetWindowLongPtrW(button, GWLP_USERDATA, GetWindowLongPtrW(ok, GWLP_USERDATA));
      SendMessageW(button, WM_SETFONT, SendMessageW(ok, WM_GETFONT, 0, 0), FALSE);
    }
    CtxClearPendingFlags(ctx, kPendingSaveAsNewButton);
  }
  if (CtxGetPendingFlags(ctx) & kPendingSaveAsNewButton) {
    EnvLoadString(ctx, kStringSaveAsNew, text, kCtxScratchChars, 1);
    SetWindowTextW(ok, text);
    SetWindowLongPtrW(ok, GWLP_ID, kCommandSaveAsNew);
    CtxClearPendingFlags(ctx, kPendingSaveAsNewButton);
  } else if (CtxGetPendingFlags(ctx) & kPendingOverwriteButton) {
    EnvLoadString(ctx, kStringOverwrite, text, kCtxScratchChars, 1);
    SetWindowTextW(ok, text);
    SetWindowLongPtrW(ok, GWLP_ID, kCommandOverwrite);
    CtxClearPendingFlags(ctx, kPendingOverwriteButton);
  }
  CtxAddPendingFlags(ctx, kPendingExtraButtons);
  UiRestoreClassWndProcs(ctx, sheet);
}

}  // namespace

// Before the administrator's locks are written: whether the locked tray is one of the small
// trays that the tray remap rules stand in for (zdmLockInfoLockSmallPaperTray). Tray locking off
// clears the mark; on, it is set when the printer's lock byte does not already keep the trays
// apart (bit 1) and a rule of rules in force maps the locked source.
void UiMarkLockedSmallTray(DriverContext* ctx, const ValueRemapRule* rules) {
  if (!OptIsTrayLocked(ctx)) {
    OptSetValue(ctx, kOptLockSmallPaperTray, 0);
    return;
  }
  BYTE lockByte = 0;
  PrnReadLockInfoByte(ctx->printer, &lockByte, kOptLock000InfoBit);
  if (lockByte & 0x02) return;
  OptionEntry* source = OptFind(ctx, kOptDefaultSource);
  if (!source) return;
  const int32_t locked = OptToUiValue(ctx, source, OptGetValue(ctx, kOptLockedTray, nullptr));
  for (const ValueRemapRule* rule = rules; rule && rule->fromValueId; ++rule) {
    if (rule->fromValueId != locked || !OptGetValue(ctx, rule->conditionOption, nullptr)) continue;
    OptSetValue(ctx, kOptLockSmallPaperTray, 1);
    return;
  }
}

INT_PTR CALLBACK UiPageDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    auto* ctx = page ? reinterpret_cast<DriverContext*>(page->lParam) : nullptr;
    if (!ctx) return 0;
    ctx->dialogId = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(page->pszTemplate));
    AddExtraButtons(ctx, window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      ShowWindow(child, SW_HIDE);
    lParam = reinterpret_cast<LPARAM>(ctx);
  }
  return UiCommonDialogProc(window, msg, wParam, lParam);
}

INT_PTR CALLBACK UiCommonDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  DriverContext* ctx = msg == WM_INITDIALOG ? reinterpret_cast<DriverContext*>(lParam) : ContextOf(window);
  if (msg == WM_MEASUREITEM) {
    if (FmDispatchDialogMessage(ctx, nullptr, nullptr, msg, wParam, lParam) == 1) return 1;
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (const UiMeasureEntry* size = item ? UiFindMeasureEntry(static_cast<uint16_t>(item->CtlID)) : nullptr) {
      if (size->width > 0) item->itemWidth = static_cast<UINT>(size->width);
      if (size->height > 0) item->itemHeight = static_cast<UINT>(size->height);
      return 1;
    }
  }
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return 0;
  DialogDescriptor* dialog = nullptr;
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog = OptFindDialog(ctx, static_cast<uint16_t>(ctx->dialogId));
    if (!dialog) return 0;
    dialog->window = window;
    if (state->firstPageId == 0) state->firstPageId = dialog->dialogId;
    UiBuildPageControls(ctx, nullptr);
  } else {
    dialog = OptFindDialogByWindow(ctx, window);
    if (!dialog) return 0;
  }
  if (msg == WM_COMMAND) state->lastCommandId = LOWORD(wParam);
  UiClearRuleDialogGuard(ctx, msg, wParam, lParam, 0);
  if (FmDispatchDialogMessage(ctx, dialog, nullptr, msg, wParam, lParam) == 1) {
    UiRefreshDialog(ctx, dialog, 0);
    return msg == WM_PAINT ? 0 : 1;
  }
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(ctx, dialog, window);
    case WM_COMMAND:
      return OnCommand(ctx, dialog, window, wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(ctx, dialog, window, msg, wParam, lParam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      return OnMouse(ctx, dialog, window, msg, wParam, lParam);
    case WM_PAINT:
      if (UiAnyOptionChanged(ctx)) {
        UiRefreshDialog(ctx, dialog, 0);
      } else {
        PAINTSTRUCT paint{};
        BeginPaint(window, &paint);
        if (!IsRectEmpty(&paint.rcPaint)) UiRefreshDialog(ctx, dialog, 0);
        EndPaint(window, &paint);
      }
      return 0;
    case WM_ERASEBKGND:
      UiRemoveHoverTip(ctx);
      UiRefreshDialog(ctx, dialog, 0);
      return 0;
    case WM_NCPAINT:
      return 0;
    case WM_HELP:
      UiRemoveHoverTip(ctx);
      if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        UiShowContextHelp(window, static_cast<HWND>(info->hItemHandle), WM_HELP);
      return 1;
    case WM_CONTEXTMENU: {
      UiRemoveHoverTip(ctx);
      HWND target = reinterpret_cast<HWND>(wParam);
      ControlDescriptor* control = OptFindControlByWindow(ctx, dialog, target);
      if (target == window) {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        control = UiFindControlAtPoint(dialog, at.x, at.y);
        if (control && (control->flags & kControlHiddenFunction)) control = nullptr;
      }
      if (!CfgUseHtmlHelp(ctx)) {
        if (target != window) UiShowContextHelp(window, target, WM_CONTEXTMENU);
      } else if (control && control->helpId && !(control->state & kControlHiddenMask) && state->whatsThisMenu) {
        state->whatsThisWindow = control->window;
        TrackPopupMenu(state->whatsThisMenu, TPM_RIGHTBUTTON, static_cast<short>(LOWORD(lParam)),
                       static_cast<short>(HIWORD(lParam)), 0, window, nullptr);
      }
      return 1;
    }
    case WM_TIMER:
      if (wParam == kHoverTipTimer) UiHoverTipTimer(ctx, window);
      return 0;
    case kRuleAlertMessage:
      UiShowRuleMessage(ctx, reinterpret_cast<const AlertRow*>(lParam), window);
      if (HWND control = GetDlgItem(window, LOWORD(wParam))) SetFocus(control);
      return 0;
    case kPageLayoutMessage:
      UiFinishPageLayout(ctx, window);
      return 0;
    default:
      break;
  }
  for (int j = 0; dialog->controls && j < dialog->controlCount; ++j) {
    ControlDescriptor* c = &dialog->controls[j];
    if (!c->window && msg != WM_MEASUREITEM) continue;
    if ((msg == WM_MEASUREITEM || msg == WM_DRAWITEM) && c->controlId != LOWORD(wParam)) continue;
    if (!UiOfferControlMessage(ctx, dialog, c, msg, wParam, lParam)) continue;
    if (msg == WM_CTLCOLORSCROLLBAR || msg == WM_CTLCOLORLISTBOX) return GetWindowLongPtrW(window, DWLP_MSGRESULT);
    return 1;
  }
  return 0;
}
