// The watermark dialogs: the watermark list of the edit page with its new, edit and delete
// buttons, the text, picture and overlay stamp dialogs, the header/footer and margin dialog, the
// copy-prevention dialog, the font combos they share, and the previews and grey states the
// module answers through its notify handler.
#include <algorithm>
#include <array>

#include "devmode_defaults.h"
#include "env_language.h"
#include "fd_dialog_controls.h"
#include "fd_services.h"
#include "fd_watermark.h"
#include "fm_modules_5_8.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "sheet_engine.h"
#include "sheet_previews.h"
#include "stamp_list.h"
#include "undo_images.h"

namespace {

enum : uint16_t {
  kDlgEdit = 1003,        // ZPD_IDD_EDIT
  kDlgStampChar = 1022,   // ZPD_IDD_DIALOG_STAMP_CHAR
  kDlgStampImage = 1023,  // ZPD_IDD_DIALOG_STAMP_IMAGE
  kDlgMargin = 1024,      // ZPD_IDD_DIALOG_MARGIN
  kDlgOverlay = 1037,     // ZPD_IDD_DIALOG_OVERLAY
  kDlgCopyGuard = 4017,   // ZPD_IDD_DIALOG_ILLEGALCOPY_PROTECT
};

enum : uint16_t {
  kCtlStampSwitch = 2088,     // ZPD_IDC_EDIT_CHOICE_STAMP
  kCtlStampList = 2089,       // ZPD_IDC_EDIT_CHOICE_STAMP_TYPE
  kCtlStampEdit = 2090,       // ZPD_IDC_EDIT_BUTTON_STAMP
  kCtlNewText = 2091,         // ZPD_IDC_EDIT_BUTTON_CHARSTAMP
  kCtlNewPicture = 2092,      // ZPD_IDC_EDIT_BUTTON_IMAGESTAMP
  kCtlPageDefault = 2093,     // ZPD_IDC_EDIT_BUTTON_DEFAULT
  kCtlStampDelete = 2406,     // ZPD_IDC_EDIT_BUTTON_STAMP_DEL
  kCtlNewOverlay = 2407,      // ZPD_IDC_EDIT_BUTTON_OVERLAY
  kCtlTextName = 2310,        // ZPD_IDC_STAMP_CHAR_EDIT_NAME
  kCtlTextText = 2312,        // ZPD_IDC_STAMP_CHAR_EDIT_CHAR
  kCtlTextFont = 2314,        // ZPD_IDC_STAMP_CHAR_CHOICE_FONT
  kCtlTextDefault = 2330,     // ZPD_IDC_STAMP_CHAR_BUTTON_DEFAULT
  kCtlPictureName = 2339,     // ZPD_IDC_STAMP_IMAGE_EDIT_NAME
  kCtlPictureFile = 2341,     // ZPD_IDC_STAMP_IMAGE_EDIT_FILE
  kCtlPictureDefault = 2347,  // ZPD_IDC_STAMP_IMAGE_BUTTON_DEFAULT
  kCtlOverlayDefault = 2581,  // ZPD_IDC_OVERLAY_BUTTON_DEFAULT
  kCtlOverlayName = 2584,     // ZPD_IDC_OVERLAY_EDIT_NAME
  kCtlOverlayFile = 2586,     // ZPD_IDC_OVERLAY_EDIT_FILE
  kCtlMarginFace = 2352,      // ZPD_IDC_MARGIN_EDIT_FACE_MM
  kCtlMarginBack = 2355,      // ZPD_IDC_MARGIN_EDIT_BACK_MM
  kCtlMarginDefault = 2357,   // ZPD_IDC_MARGIN_BUTTON_DEFAULT
  kCtlMarginX = 2396,         // ZPD_IDC_MARGIN_EDIT_MARGIN
  kCtlMarginUnit = 2505,      // ZPD_IDC_MARGIN_BUTTON_UNIT
  kCtlMarginY = 2605,         // ZPD_IDC_MARGIN_EDIT_MARGIN_TB
  kCtlHeaderFont = 2647,      // ZPD_IDC_HF_CHOICE_FONT
  kCtlTextFormLabel = 2664,   // ZPD_IDC_HF_STATIC_STR_FORM
  kCtlMarginMarker = 3199,    // ZPD_IDC_MARGIN_STATIC_POINT
  kCtlCopyGuardFont = 2948,   // ZPD_IDC_ILLEGALCOPY_PROTECT_CHOICE_FONT
  kCtlCopyGuardDefault = 2973,  // ZPD_IDC_ILLEGALCOPY_PROTECT_BUTTON_DEFAULT
  kCtlHelp = 9,
};

enum : uint16_t {
  kOptWmFont = 956,             // wdmWmFont
  kOptWmFontName = 968,         // wdmWmFontName
  kOptHFFontName = 115,         // zdmHFFontName
  kOptCopyProtectFontName = 527,  // zdmCopyProtectFontName
  kOptValidDefaultStamp = 1305,   // wdmWorkFuncValidDefaultStamp
};

// Strings of the messages.
enum : WORD {
  kStrFixedStamp = 10041,
  kStrDeleteStamp = 10029,
  kStrDeleteStampNoOverlay = 10063,
};

// The list holds at most this many watermarks; the first ones are fixed.
constexpr LRESULT kStampListMax = 32;
constexpr LRESULT kFixedStampLast = 4;

// Pending-update requests for the next dialog.
constexpr uint32_t kPendingTransact = 0x20000000u;
constexpr uint32_t kPendingCaption = 0x02000000u;

// Name texts of the list are at most this long (the name options hold fewer).
constexpr int kNameChars = 260;
// Face names.
constexpr int kFaceChars = 33;

// One kind of watermark: its value of zdmWmKind, its dialog, the new button with the defaults
// button the new dialog transacts, the caption string when an existing one is edited, the
// name edit.
struct StampKind {
  int32_t kind;
  uint16_t dialogId;
  uint16_t newButton;
  uint16_t defaultsButton;
  uint16_t editCaption;
  uint16_t nameControl;
};
constexpr StampKind kStampKinds[] = {
    {1, kDlgStampChar, kCtlNewText, kCtlTextDefault, 5005, kCtlTextName},
    {2, kDlgStampImage, kCtlNewPicture, kCtlPictureDefault, 5006, kCtlPictureName},
    {3, kDlgOverlay, kCtlNewOverlay, kCtlOverlayDefault, 5007, kCtlOverlayName},
};
const StampKind* KindByValue(int32_t kind) {
  for (const StampKind& k : kStampKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}
const StampKind* KindByDialog(uint16_t dialogId) {
  for (const StampKind& k : kStampKinds)
    if (k.dialogId == dialogId) return &k;
  return nullptr;
}
const StampKind* KindByNewButton(uint16_t button) {
  for (const StampKind& k : kStampKinds)
    if (k.newButton == button) return &k;
  return nullptr;
}

// The name and file texts a new stamp starts without.
struct StampText {
  uint16_t dialogId;
  uint16_t controlId;
};
constexpr StampText kStampTexts[] = {{kDlgStampChar, kCtlTextName},     {kDlgStampImage, kCtlPictureName},
                                     {kDlgOverlay, kCtlOverlayName},    {kDlgStampChar, kCtlTextText},
                                     {kDlgStampImage, kCtlPictureFile}, {kDlgOverlay, kCtlOverlayFile}};

// The font combo of a dialog and the face-name option it goes with.
struct FontCombo {
  uint16_t dialogId;
  uint16_t controlId;
  uint16_t faceOption;
};
constexpr FontCombo kFontCombos[] = {
    {kDlgStampChar, kCtlTextFont, kOptWmFontName},
    {kDlgMargin, kCtlHeaderFont, kOptHFFontName},
    {kDlgCopyGuard, kCtlCopyGuardFont, kOptCopyProtectFontName},
};

// The controls of the margin dialog that the start-up layout folds away.
constexpr uint16_t kFoldedMarginControls[] = {3181, 3182, 3183, 3184, 3185, 3186, 3187, 3188, 3189,
                                              3190, 3191, 3192, 3193, 3194, 3195, 3198, 3209};
constexpr uint16_t kMarginButtons[] = {IDOK, IDCANCEL, kCtlHelp, kCtlMarginDefault};

int KindCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                LPARAM lParam) {
  return UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
}

void RenumberItems(HWND combo) {
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) SendMessageW(combo, CB_SETITEMDATA, WPARAM(i), LPARAM(i));
}

// The text of a combo item, empty when it has none or it does not fit.
void ItemText(HWND combo, LRESULT index, WCHAR* out, int chars) {
  out[0] = 0;
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0);
  if (length < 0 || length >= chars) return;
  SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(out));
}

LRESULT FindFace(HWND combo, const WCHAR* face) {
  if (!face || !face[0]) return CB_ERR;
  return SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(face));
}

// The combo's option takes the index, the face-name option the item's text.
void TakeFace(DriverContext* ctx, ControlDescriptor* combo, uint16_t faceOption, LRESULT index) {
  if (index < 0) return;
  if (combo->option) OptWriteValue(ctx, combo->option, static_cast<int32_t>(index));
  WCHAR face[kFaceChars];
  ItemText(combo->window, index, face, kFaceChars);
  OptionEntry* row = OptFind(ctx, faceOption);
  if (row && face[0]) OptSetStringValue(ctx, row, face);
}

int CALLBACK AddTrueTypeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM combo) {
  if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != u'@')
    SendMessageW(reinterpret_cast<HWND>(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
  return 1;
}

// The font-combo rules of a control; -1 when the control is not a font combo.
int FontComboMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg) {
  for (const FontCombo& f : kFontCombos) {
    if (f.dialogId != dialog->dialogId || f.controlId != control->controlId) continue;
    if (msg == WM_INITDIALOG) {
      SendMessageW(control->window, CB_RESETCONTENT, 0, 0);
      FdFillFontCombo(ctx, control, f.faceOption);
      UiRefreshControl(ctx, dialog, control);
      return 1;
    }
    if (msg == WM_COMMAND) {
      FdTakeFontChoice(ctx, control, f.faceOption);
      return 1;
    }
    return 0;
  }
  return -1;
}

// ---- the watermark list ---------------------------------------------------------------------

int FillStampList(DriverContext* ctx, ControlDescriptor* list) {
  HWND combo = list->window;
  if (!combo || SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0) return 1;
  DmPushSnapshot(ctx);
  const int count = CfgGetStampCount(ctx);
  for (int n = 0; n < count; ++n) {
    CfgLoadStamp(ctx, n);
    OptSetValue(ctx, kOptWmId, n);
    WCHAR name[kNameChars] = u"read error";
    if (const StampKind* kind = KindByValue(OptGetValue(ctx, kOptWmKind, nullptr)))
      FdGetDialogText(ctx, kind->dialogId, kind->nameControl, name, kNameChars);
    const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(n));
  }
  DmPopSnapshot(ctx, 1);
  const int32_t current = OptGetValue(ctx, kOptWmId, nullptr);
  const LRESULT items = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < items; ++i)
    if (SendMessageW(combo, CB_GETITEMDATA, WPARAM(i), 0) == current) {
      SendMessageW(combo, CB_SETCURSEL, WPARAM(i), 0);
      break;
    }
  return 1;
}

int DeleteStamp(DriverContext* ctx, DialogDescriptor* dialog) {
  HWND combo = FdDialogControlWindow(ctx, dialog, kCtlStampList);
  ControlDescriptor* list = OptFindControl(ctx, dialog, kCtlStampList);
  if (!combo) return 1;
  const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (i <= kFixedStampLast) {
    FdShowWarning(ctx, dialog->window, kStrFixedStamp);
    return 1;
  }
  const ControlDescriptor* overlay = OptFindControl(ctx, dialog, kCtlNewOverlay);
  const bool overlayHidden = overlay && (overlay->state & kControlHiddenMask) == 1;
  if (FdShowMessageStyled(ctx, dialog->window, overlayHidden ? kStrDeleteStampNoOverlay : kStrDeleteStamp, 0,
                          kFdButtonsOkCancel) != kFdIdOk)
    return 1;
  SendMessageW(combo, CB_DELETESTRING, WPARAM(i), 0);
  CfgDeleteStamp(ctx, static_cast<int>(i));
  RenumberItems(combo);
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  int32_t k = OptGetControlValue(ctx, list);
  if (k < 0 || k >= count) k = 0;
  CfgLoadStamp(ctx, k);
  if (list->option) OptWriteUiValue(ctx, list->option, static_cast<uint32_t>(k));
  SendMessageW(combo, CB_SETCURSEL, WPARAM(k), 0);
  InvalidateRect(combo, nullptr, TRUE);
  DialogDescriptor* page = OptFindDialog(ctx, kDlgEdit);
  ControlDescriptor* on = page ? OptFindControl(ctx, page, kCtlStampSwitch) : nullptr;
  if (on && on->option) {
    OptWriteUiValue(ctx, on->option, 0);
    if (on->window) SendMessageW(on->window, BM_SETCHECK, BST_UNCHECKED, 0);
  } else {
    OptSetValue(ctx, kOptFuncSelectWaterMark, 0);
  }
  return 1;
}

// New text, picture or overlay stamp, or edit of the selected one.
int RunStampDialog(DriverContext* ctx, DialogDescriptor* dialog, uint16_t button) {
  HWND combo = FdDialogControlWindow(ctx, dialog, kCtlStampList);
  if (!combo) return 1;
  LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  bool accepted = false;
  if (const StampKind* kind = KindByNewButton(button)) {
    if (button == kCtlNewText) OptSetValue(ctx, kOptValidDefaultStamp, 0);
    CtxAddPendingFlags(ctx, kPendingTransact | kind->defaultsButton);
    ctx->workArea->subDialogResult = 0;
    UiRunSubDialog(ctx, kDialogModal, kind->dialogId, dialog->window);
    accepted = ctx->workArea->subDialogResult != 0;
    if (accepted) {
      OptSetValue(ctx, kOptWmKind, kind->kind);
      WCHAR name[kNameChars] = {};
      FdGetDialogText(ctx, kind->dialogId, kind->nameControl, name, kNameChars);
      i = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      SendMessageW(combo, CB_SETCURSEL, WPARAM(i), 0);
      ++n;
    }
  } else if (n > 0) {
    OptSetValue(ctx, kOptValidDefaultStamp, 1);
    if (const StampKind* kind = KindByValue(OptGetValue(ctx, kOptWmKind, nullptr))) {
      CtxAddPendingFlags(ctx, kPendingCaption | kind->editCaption);
      ctx->workArea->subDialogResult = 0;
      UiRunSubDialog(ctx, kDialogModal, kind->dialogId, dialog->window);
      accepted = ctx->workArea->subDialogResult != 0 && i >= 0;
      if (accepted) {
        WCHAR name[kNameChars] = {};
        FdGetDialogText(ctx, kind->dialogId, kind->nameControl, name, kNameChars);
        SendMessageW(combo, CB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(name));
        SendMessageW(combo, CB_DELETESTRING, WPARAM(i + 1), 0);
      }
    }
  }
  if (n > 0 && accepted && i >= 0) {
    OptSetValue(ctx, kOptWmId, static_cast<int32_t>(i));
    SendMessageW(combo, CB_SETCURSEL, WPARAM(i), 0);
    CfgSaveStamp(ctx, static_cast<int>(i));
    RenumberItems(combo);
  }
  // The delete button too: the new or edited stamp is selected now, and it may be deleted.
  for (uint16_t id : {kCtlStampEdit, kCtlNewText, kCtlNewPicture, kCtlNewOverlay, kCtlStampDelete}) {
    ControlDescriptor* c = OptFindControl(ctx, dialog, id);
    if (!c || !c->window) continue;
    UiQueryControlGrey(ctx, dialog, c);
    EnableWindow(c->window, (c->state & kControlGreyMask) ? FALSE : TRUE);
    InvalidateRect(c->window, nullptr, TRUE);
  }
  return 1;
}

// Dialog-level start of the edit page and the three stamp dialogs.
int StartStampDialog(DriverContext* ctx, DialogDescriptor* dialog) {
  uint32_t word = CtxGetPendingFlags(ctx);
  if (word & kPendingTransact) {
    CtxClearPendingFlags(ctx, kPendingTransact);
    ControlDescriptor* target = OptFindControl(ctx, nullptr, static_cast<uint16_t>(word & 0xFFFF));
    if (target && target->modelItem) UiRunItemTransact(ctx, dialog, target->modelItem, target->builtInFunc);
    else if (target && target->builtInFunc) UiRunBuiltInFunc(ctx, target->builtInFunc);
    for (const StampText& t : kStampTexts) FdSetDialogText(ctx, t.dialogId, t.controlId, u"");
    if (dialog->window) {
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog->window, WM_GETFONT, 0, 0));
      LOGFONTW logFont{};
      if (font && GetObjectW(font, sizeof logFont, &logFont) > 0)
        if (OptionEntry* row = OptFind(ctx, kOptWmFontName)) OptSetStringValue(ctx, row, logFont.lfFaceName);
    }
  }
  word = CtxGetPendingFlags(ctx);
  if (word & kPendingCaption) {
    CtxClearPendingFlags(ctx, kPendingCaption);
    WCHAR caption[kNameChars] = {};
    if (EnvLoadString(ctx, word & 0xFFFF, caption, kNameChars, 1) > 0 && caption[0] && dialog->window)
      SetWindowTextW(dialog->window, caption);
  }
  if (const StampKind* kind = KindByDialog(dialog->dialogId)) OptSetValue(ctx, kOptWmKind, kind->kind);
  return 0;
}

RECT ChildRect(HWND dialog, int id) {
  RECT r{};
  HWND child = GetDlgItem(dialog, id);
  if (child && GetWindowRect(child, &r)) FdRectScreenToClient(dialog, &r);
  return r;
}

// Folds the edge/corner, creep and crop-mark controls away and pulls the buttons and the dialog's
// bottom up to the point marker.
void LayoutMarginDialog(HWND window) {
  if (!window) return;
  HWND marker = GetDlgItem(window, kCtlMarginMarker);
  HWND ok = GetDlgItem(window, IDOK);
  if (!marker || !ok) return;
  const RECT mark = ChildRect(window, kCtlMarginMarker);
  const RECT okRect = ChildRect(window, IDOK);
  for (uint16_t id : kFoldedMarginControls)
    if (HWND c = GetDlgItem(window, id)) SetWindowPos(c, nullptr, mark.left, mark.top, 1, 1, SWP_NOZORDER);
  for (uint16_t id : kMarginButtons)
    if (HWND c = GetDlgItem(window, id)) {
      const RECT r = ChildRect(window, id);
      SetWindowPos(c, nullptr, r.left, mark.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    }
  if (HWND unit = GetDlgItem(window, kCtlMarginUnit)) {
    const RECT r = ChildRect(window, kCtlMarginUnit);
    const RECT label = ChildRect(window, kCtlTextFormLabel);
    SetWindowPos(unit, nullptr, r.left, label.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  RECT owner = frame;
  if (HWND o = GetWindow(window, GW_OWNER)) GetWindowRect(o, &owner);
  const int height = (frame.bottom - frame.top) - (okRect.top - mark.bottom);
  SetWindowPos(window, nullptr, owner.left, owner.top + (okRect.bottom - okRect.top), frame.right - frame.left,
               std::max(height, 1), SWP_NOZORDER);
}

}  // namespace

// ---- font combos ------------------------------------------------------------------------------

void FdFillFontCombo(DriverContext* ctx, ControlDescriptor* combo, WORD faceOption) {
  if (!ctx || !combo || !combo->window) return;
  HWND desktop = GetDesktopWindow();
  if (HDC dc = GetDC(desktop)) {
    EnumFontFamiliesW(dc, nullptr, AddTrueTypeFamily, reinterpret_cast<LPARAM>(combo->window));
    ReleaseDC(desktop, dc);
  }
  RenumberItems(combo->window);
  WCHAR face[kFaceChars] = {};
  OptionEntry* row = OptFind(ctx, faceOption);
  if (row) OptGetStringValue(ctx, row, face, kFaceChars);
  LRESULT index = FindFace(combo->window, face);
  if (index >= 0) {
    if (combo->option) OptWriteValue(ctx, combo->option, static_cast<int32_t>(index));
    return;
  }
  WCHAR fallback[kFaceChars] = {};
  OptGetDefaultFontName(ctx, fallback);
  index = FindFace(combo->window, fallback);
  TakeFace(ctx, combo, faceOption, index >= 0 ? index : 0);
}

void FdTakeFontChoice(DriverContext* ctx, ControlDescriptor* combo, WORD faceOption) {
  if (!ctx || !combo || !combo->window) return;
  TakeFace(ctx, combo, faceOption, SendMessageW(combo->window, CB_GETCURSEL, 0, 0));
}

void FdResetFontChoice(DriverContext* ctx, DialogDescriptor* dialog, WORD faceOption, WORD comboId) {
  if (!ctx || !dialog) return;
  ControlDescriptor* combo = OptFindControl(ctx, dialog, comboId);
  if (!combo || !combo->window) return;
  uint16_t heldBy = 0;
  if (OptIsDefaultLocked(ctx)) {
    if (dialog->dialogId == kDlgMargin) heldBy = kOptHFFontName;
    else if (dialog->dialogId == kDlgCopyGuard) heldBy = kOptCopyProtectFontName;
  } else if (dialog->dialogId == kDlgMargin && OptIsHeaderFooterLocked(ctx)) {
    heldBy = kOptHFFontName;
  }
  WCHAR face[kFaceChars] = {};
  if (heldBy) {
    if (OptionEntry* row = OptFind(ctx, heldBy)) OptGetStringValue(ctx, row, face, kFaceChars);
  } else {
    OptGetDefaultFontName(ctx, face);
  }
  const LRESULT index = FindFace(combo->window, face);
  TakeFace(ctx, combo, faceOption, index >= 0 ? index : 0);
}

int FdRectScreenToClient(HWND window, RECT* rect) {
  if (!rect) return 1;
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  ScreenToClient(window, &corners[0]);
  ScreenToClient(window, &corners[1]);
  *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return 1;
}

// ---- the procedures -----------------------------------------------------------------------------

int FdWatermarkDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                          WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog) return 0;
  if (!control) return msg == WM_INITDIALOG ? StartStampDialog(ctx, dialog) : 0;
  if (msg == WM_COMMAND && LOWORD(wParam) != control->controlId) return 0;
  if (int font = FontComboMessage(ctx, dialog, control, msg); font >= 0) return font;
  switch (control->controlId) {
    case kCtlTextDefault:
      if (msg != WM_COMMAND) return 0;
      KindCommand(ctx, dialog, control, wParam, lParam);
      FdResetFontChoice(ctx, dialog, kOptWmFontName, kCtlTextFont);
      return 1;
    case kCtlStampSwitch: {
      if (msg != WM_COMMAND || !control->window) return 0;
      const bool checked = SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
      const int32_t value = OptGetControlValue(ctx, control);
      if (!((checked && value == 0) || (!checked && value == 1))) return 0;
      if (checked) {
        ControlDescriptor* list = OptFindControl(ctx, dialog, kCtlStampList);
        const LRESULT sel = list && list->window ? SendMessageW(list->window, CB_GETCURSEL, 0, 0) : CB_ERR;
        if (sel >= 0) {
          const int n = static_cast<int>(SendMessageW(list->window, CB_GETITEMDATA, WPARAM(sel), 0));
          CfgLoadStamp(ctx, n);
          OptSetValue(ctx, kOptWmId, n);
        }
      }
      KindCommand(ctx, dialog, control, wParam, lParam);
      return 1;
    }
    case kCtlStampList:
      if (msg == WM_INITDIALOG) return FillStampList(ctx, control);
      if (msg == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE && control->window) {
        const LRESULT sel = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
        if (sel < 0) return 1;
        const int n = static_cast<int>(SendMessageW(control->window, CB_GETITEMDATA, WPARAM(sel), 0));
        CfgLoadStamp(ctx, n);
        if (control->option) OptWriteUiValue(ctx, control->option, static_cast<uint32_t>(n));
        KindCommand(ctx, dialog, control, wParam, lParam);
        return 1;
      }
      return 0;
    case kCtlPageDefault:
      if (msg != WM_COMMAND) return 0;
      KindCommand(ctx, dialog, control, wParam, lParam);
      CfgLoadStamp(ctx, OptGetValue(ctx, kOptWmId, nullptr));
      return 1;
    case kCtlStampDelete:
      return msg == WM_COMMAND ? DeleteStamp(ctx, dialog) : 0;
    case kCtlNewText:
    case kCtlNewPicture:
    case kCtlNewOverlay:
    case kCtlStampEdit:
      return msg == WM_COMMAND ? RunStampDialog(ctx, dialog, control->controlId) : 0;
    default:
      return 0;
  }
}

int FdMarginDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                       WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog || !control) return 0;
  if (msg == WM_COMMAND && LOWORD(wParam) != control->controlId) return 0;
  if (int font = FontComboMessage(ctx, dialog, control, msg); font >= 0) return font;
  switch (control->controlId) {
    case kCtlMarginFace:
    case kCtlMarginBack:
    case kCtlMarginX:
    case kCtlMarginY:
      if (msg != WM_COMMAND || (HIWORD(wParam) != EN_KILLFOCUS && HIWORD(wParam) != EN_CHANGE)) return 0;
      KindCommand(ctx, dialog, control, wParam, lParam);
      UiRefreshDialog(ctx, dialog, 1);
      return 1;
    case kCtlMarginDefault:
      if (msg != WM_COMMAND) return 0;
      KindCommand(ctx, dialog, control, wParam, lParam);
      FdResetFontChoice(ctx, dialog, kOptHFFontName, kCtlHeaderFont);
      return 1;
    default:
      return 0;
  }
}

int FdCopyGuardDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                          WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog || !control) return 0;
  if (msg == WM_COMMAND && LOWORD(wParam) != control->controlId) return 0;
  if (int font = FontComboMessage(ctx, dialog, control, msg); font >= 0) return font;
  if (control->controlId != kCtlCopyGuardDefault || msg != WM_COMMAND) return 0;
  KindCommand(ctx, dialog, control, wParam, lParam);
  FdResetFontChoice(ctx, dialog, kOptCopyProtectFontName, kCtlCopyGuardFont);
  return 1;
}

// ---- the module's handlers ------------------------------------------------------------------------

int FmWatermarkOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                        WPARAM wParam, LPARAM lParam, void*) {
  if (!ctx || !dialog) return 0;
  switch (dialog->dialogId) {
    case kDlgEdit:
    case kDlgStampChar:
    case kDlgStampImage:
    case kDlgOverlay:
      return FdWatermarkDialogProc(ctx, dialog, control, msg, wParam, lParam);
    case kDlgMargin:
      if (!control) {
        if (msg == WM_INITDIALOG) LayoutMarginDialog(dialog->window);
        return 0;
      }
      return FdMarginDialogProc(ctx, dialog, control, msg, wParam, lParam);
    case kDlgCopyGuard:
      return FdCopyGuardDialogProc(ctx, dialog, control, msg, wParam, lParam);
    default:
      return 0;
  }
}

int FmWatermarkOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  if (!ctx || !param) return 0;
  if (code == kFmNotifyPagePictureDrawn) {
    auto* request = static_cast<UiPreviewRequest*>(param);
    UiDrawWatermarkPreview(ctx, request->control, request->width, request->height, request->target,
                           request->pageRect);
    UiDrawCopyGuardPreview(ctx, request->control, request->width, request->height, request->target,
                           request->pageRect);
    return 1;
  }
  if (code != kFmNotifyControlState) return 0;
  auto* query = static_cast<FmControlStateQuery*>(param);
  ControlDescriptor* control = query->control;
  if (!control) return 0;
  const uint16_t id = control->controlId;
  if (id != kCtlStampDelete && id != kCtlNewText && id != kCtlNewPicture && id != kCtlNewOverlay) return 0;
  HWND combo = FdDialogControlWindow(ctx, query->dialog, kCtlStampList);
  if (!combo) return 1;
  const bool grey = id == kCtlStampDelete ? SendMessageW(combo, CB_GETCURSEL, 0, 0) <= kFixedStampLast
                                          : SendMessageW(combo, CB_GETCOUNT, 0, 0) >= kStampListMax;
  if (grey) {
    control->state = static_cast<uint16_t>((control->state & ~kControlGreyMask) | (1u << kControlGreyShift));
    query->claimed = 1;
  } else if (!control->modelItem) {
    // No rule greys a button without a model item, and the engine keeps a state nobody answers
    // for: one greyed while a fixed stamp was chosen is enabled again here.
    control->state = static_cast<uint16_t>(control->state & ~kControlGreyMask);
  }
  return 1;
}
