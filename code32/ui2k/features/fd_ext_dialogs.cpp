// The extension dialogs: what the control tables cannot say of the job-type, authentication,
// network-key, disk-limit, hidden-function, user-code and version dialogs, the initial-settings
// dialog's device buttons, and the character filters of their text fields.
#include <algorithm>
#include <iterator>
#include <string>

#include "context_services.h"
#include "device_query.h"
#include "device_state.h"
#include "env_language.h"
#include "fd_ext.h"
#include "fd_services.h"
#include "fd_summary.h"
#include "fd_watermark.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "job_control.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_table.h"
#include "option_values.h"
#include "preset_list.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "sheet_kinds.h"

namespace {

// Confirmation marks in the context's pending-update word.
constexpr uint32_t kMarkNetworkKeyEdited = 0x400000;
constexpr uint32_t kMarkJobPasswordEdited = 0x8000000;

// Dialogs.
enum : uint16_t {
  kPresetPage = 1001,
  kBasicPage = 1002,
  kLayoutPage = 1003,
  kFinishPage = 1004,
  kInitDialog = 1010,
  kPrintPostDialog = 1015,
  kPrintTypeDialog = 1019,
  kVersionDialog = 1025,
  kUserCodeInput = 1027,
  kUserCodeConfirmation = 1028,
  kHiddenFuncDialog = 1065,
  kPasswordInput = 4005,
  kAdvancedPage = 4019,
  kAuthPasswordInput = 4020,
  kNetworkKeyInput = 4021,
  kAuthenticationDialog = 4022,
  kVersion2Dialog = 4027,
  kDiskLimitDialog = 4029,
  kPerfectBindDialog = 4035,
  kMachineInfoDialog = 4038,
  kBillingCodePopup = 4042,
  kAuthenticationPopup = 4043,
};

// Fields.
enum : uint16_t {
  kPasswordPrint = 2245,
  kPasswordStored = 2533,
  kPasswordSave = 3060,
  kPasswordPrintAndSave = 3108,
  kUserIdField = 2241,
  kFileNameField = 2243,
  kOwnerField = 2423,
  kDocumentHoldField = 2532,
  kDocumentField = 3058,
  kDocumentSaveField = 3059,
  kDocumentPrintAndSaveField = 3107,
  kPasswordConfirmField = 2527,
  kNetworkKeyField = 2988,
  kAuthUserField = 3003,
  kAuthPasswordField = 3006,
  kDiskLimitField = 3110,
  kBillingPopupField = 3367,
  kPopupUserField = 3370,
  kVersionSummary = 3086,
  kMachineInfoTable = 3341,
};

// Options.
enum : uint16_t {
  kOptFuncSelectStaple = 62,
  kOptFuncSelectPunch = 63,
  kOptPrnMethod = 209,
  kOptHidden2Func3 = 452,
  kOptHidden2Func4 = 453,
  kOptHidden2Func5 = 454,
  kOptPaperFitType = 613,
  kOptDiskSpace = 683,
  kOptCharSet = 688,
  kOptBiDirect = 733,
  kOptPrintPostTrayNo = 1053,
  kOptAuthUserName = 1144,
  kOptAuthPassword = 1145,
  kOptNetworkKey = 1146,
  kOptChkAuthPassword = 1147,
  kOptChkNetworkKey = 1150,
  kOptDriverVersion = 1337,
  kOptAuthMode = 10354,
  kOptAuthSecureMode = 10355,
  kOptFunc2CopyGuard = 543,  // zdmFunc2SelectUICtrlCopyGuard
  kOptFunc2WaterMark = 544,  // zdmFunc2SelectUICtrlWaterMark
  kOptCallSrc = 729,         // zdmCallSrc
};

// Messages.
enum : WORD {
  kMsgPasswordDiffers = 10034,
  kMsgFileExists = 10050,
  kMsgFileNameInvalid = 10051,
  kMsgPrintAreaChanged = 10056,
  kMsgAuthPasswordDiffers = 12013,
  kMsgNetworkKeyDiffers = 12014,
};

constexpr WORD kFeatureJobControl = 0;  // the authentication fields reach the job-control module
constexpr WORD kFeatureLimitations = 2;
constexpr DWORD kJcUserCodeItem = 1;
constexpr DWORD kJcUserNameItem = 0x800;
constexpr DWORD kJcPasswordItem = 0x1000;
constexpr DWORD kJcUserNameCode = 9;
constexpr int kTextChars = 1025;
constexpr int kDummyVersionChars = 9;  // eight characters and the terminator

// ---- fields ---------------------------------------------------------------------------------

// The field's text: its option's when it has one, else what the window shows.
std::u16string FieldText(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  WCHAR text[kTextChars] = {};
  ControlDescriptor* control = OptFindControl(ctx, dialog, controlId);
  if (control && control->option) {
    OptGetStringValue(ctx, control->option, text, kTextChars);
  } else if (dialog && dialog->window) {
    GetDlgItemTextW(dialog->window, controlId, text, kTextChars);
  }
  return text;
}

void EmptyField(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  ControlDescriptor* control = OptFindControl(ctx, dialog, controlId);
  if (control && control->option) OptSetStringValue(ctx, control->option, u"");
  if (dialog && dialog->window) SetDlgItemTextW(dialog->window, controlId, u"");
}

void FocusField(DialogDescriptor* dialog, uint16_t controlId) {
  if (dialog && dialog->window)
    if (HWND field = GetDlgItem(dialog->window, controlId)) SetFocus(field);
}

std::u16string OptionText(DriverContext* ctx, uint16_t id) {
  WCHAR text[kTextChars] = {};
  if (OptionEntry* row = OptFind(ctx, id)) OptGetStringValue(ctx, row, text, kTextChars);
  return text;
}

void SetOptionText(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  if (OptionEntry* row = OptFind(ctx, id)) OptSetStringValue(ctx, row, text);
}

bool IsOn(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr) != 0; }

// 1 when the rule of the dialog's OK control refuses.
bool OkRuleRefuses(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* ok = OptFindControl(ctx, dialog, IDOK);
  return ok && UiApplyControlChange(ctx, dialog, ok, 0, 0) != 0;
}

int RunModal(DriverContext* ctx, DialogDescriptor* dialog, uint16_t dialogId) {
  return UiRunSubDialog(ctx, kDialogModal, dialogId, dialog ? dialog->window : nullptr);
}

// ---- the job-type dialog ----------------------------------------------------------------------

uint16_t PasswordFieldOf(int32_t method) {
  switch (method) {
    case 1:
      return kPasswordPrint;
    case 3:
    case 11:
      return kPasswordStored;
    case 9:
      return kPasswordSave;
    default:
      return kPasswordPrintAndSave;
  }
}

int32_t JobType(DriverContext* ctx) { return OptGetValue(ctx, kOptPrnMethod, nullptr) & 0xFF; }

bool IsPasswordField(uint16_t id) {
  return id == kPasswordPrint || id == kPasswordStored || id == kPasswordSave || id == kPasswordPrintAndSave;
}

FmExtUserData* StateOf(void* userData) { return static_cast<FmExtUserData*>(userData); }

void ForgetConfirmation(FmExtUserData* state) {
  if (state) std::fill(std::begin(state->typedConfirmation), std::end(state->typedConfirmation), WCHAR(0));
}

// The confirmation field takes as many characters as the option of the job type's password
// field holds. Its own option is shorter, so the field is not filled from it nor written into
// it: what is typed is kept at OK for the comparison.
int OnConfirmationField(DriverContext* ctx, ControlDescriptor* control, DWORD message, WPARAM wParam) {
  if (message == WM_COMMAND)
    return LOWORD(wParam) == control->controlId && (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_UPDATE);
  if (message != WM_PAINT || !control->window) return 0;
  DialogDescriptor* printType = OptFindDialog(ctx, kPrintTypeDialog);
  const ControlDescriptor* field = printType ? OptFindControl(ctx, printType, PasswordFieldOf(JobType(ctx))) : nullptr;
  const int kept = int(std::size(FmExtUserData{}.typedConfirmation)) - 1;
  const int chars = field && field->option ? std::min(int(TypeSize(field->option->typeWord)) - 1, kept) : 0;
  if (chars > 0) SendMessageW(control->window, EM_LIMITTEXT, WPARAM(chars), 0);
  return 1;
}

void KeepConfirmation(DialogDescriptor* dialog, FmExtUserData* state) {
  ForgetConfirmation(state);
  if (state && dialog->window)
    GetDlgItemTextW(dialog->window, kPasswordConfirmField, state->typedConfirmation,
                    int(std::size(state->typedConfirmation)));
}

// The password the user typed must be typed again in the confirmation dialog. False when the
// OK is refused; the password is then empty and has the focus.
bool ConfirmJobPassword(DriverContext* ctx, DialogDescriptor* dialog, FmExtUserData* state) {
  const uint16_t field = PasswordFieldOf(JobType(ctx));
  const std::u16string password = FieldText(ctx, dialog, field);
  if (password.empty()) return true;
  DialogDescriptor* confirmation = OptFindDialog(ctx, kPasswordInput);
  EmptyField(ctx, confirmation, kPasswordConfirmField);
  ForgetConfirmation(state);
  int refusal = 0;
  if (RunModal(ctx, dialog, kPasswordInput) != IDOK) {
    refusal = -1;
  } else if ((state ? std::u16string(state->typedConfirmation)
                    : FieldText(ctx, confirmation, kPasswordConfirmField)) != password) {
    refusal = kMsgPasswordDiffers;
  }
  ForgetConfirmation(state);
  EmptyField(ctx, confirmation, kPasswordConfirmField);
  if (!refusal) return true;
  if (refusal > 0) FdShowWarning(ctx, dialog->window, static_cast<WORD>(refusal));
  EmptyField(ctx, dialog, field);
  FocusField(dialog, field);
  return false;
}

// "<OS>" at the start of a folder stands for the Windows folder, "<OSDRIVE>" for its drive.
std::u16string ExpandFolder(const WCHAR* folder) {
  std::u16string text = folder ? folder : u"";
  WCHAR windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::u16string drive = std::u16string(windows).substr(0, 2);
  if (text.rfind(u"<OSDRIVE>", 0) == 0) return drive + text.substr(9);
  if (text.rfind(u"<OS>", 0) == 0) return windows + text.substr(4);
  return text;
}

bool IsValidFileName(const std::u16string& name) {
  return name.find_first_of(u"\\/:;,*?\"<>|") == std::u16string::npos;
}

// Store to file: the name must be a plain file name and its file must not exist yet. False
// (after the message, with the name focused) otherwise.
bool CheckStoreFile(DriverContext* ctx, DialogDescriptor* dialog) {
  const WCHAR* settings = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  // A key left empty (as the installation writes it) means the default as well.
  WCHAR folder[kTextChars] = {}, extension[kTextChars] = {};
  IniReadString(section, u"DrvDefJobMergePath", u"", folder, kTextChars, settings);
  IniReadString(section, u"DrvDefJobMergeFileExt", u"", extension, kTextChars, settings);
  if (!folder[0]) lstrcpynW(folder, u"<OS>\\Temp\\Qvp", kTextChars);
  if (!extension[0]) lstrcpynW(extension, u"qvp", kTextChars);
  const std::u16string name = FieldText(ctx, dialog, kFileNameField);
  WORD message = 0;
  if (!IsValidFileName(name)) {
    message = kMsgFileNameInvalid;
  } else {
    const std::u16string path = ExpandFolder(folder) + u"\\" + name + u"." + extension;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) message = kMsgFileExists;
  }
  if (!message) return true;
  FdShowWarning(ctx, dialog->window, message);
  FocusField(dialog, kFileNameField);
  return false;
}

// The texts of the job type mark the character set they were typed in.
void MarkCharsets(DriverContext* ctx, DialogDescriptor* dialog) {
  static constexpr struct {
    int32_t jobType;
    uint16_t fields[2];
  } kTexts[] = {
      {3, {kOwnerField, kDocumentHoldField}}, {11, {kOwnerField, kDocumentHoldField}}, {5, {kFileNameField, 0}},
      {8, {kDocumentField, 0}},               {9, {kDocumentSaveField, 0}},            {10, {kDocumentPrintAndSaveField, 0}},
  };
  const int32_t type = JobType(ctx);
  for (const auto& row : kTexts) {
    if (row.jobType != type) continue;
    for (uint16_t id : row.fields)
      if (id && !FieldText(ctx, dialog, id).empty()) OptSetCodePageCharset(ctx, kOptCharSet);
  }
}

int OnPrintTypeOk(DriverContext* ctx, DialogDescriptor* dialog, FmExtUserData* state) {
  if (CtxGetPendingFlags(ctx) & kMarkJobPasswordEdited) {
    const bool confirmed = OkRuleRefuses(ctx, dialog) || ConfirmJobPassword(ctx, dialog, state);
    CtxClearPendingFlags(ctx, kMarkJobPasswordEdited);
    if (!confirmed) return 1;
  }
  if (JobType(ctx) == 5 && !CheckStoreFile(ctx, dialog)) return 1;
  MarkCharsets(ctx, dialog);
  return 0;
}

int OnPrintTypeField(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                     LPARAM lParam) {
  const WORD code = HIWORD(wParam);
  if (!IsPasswordField(control->controlId) || (code != EN_CHANGE && code != EN_UPDATE)) return 0;
  const std::u16string before = FieldText(ctx, dialog, control->controlId);
  UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  const bool changed = FieldText(ctx, dialog, control->controlId) != before;
  HWND field = control->window;
  if (changed && field && IsWindowEnabled(field) && IsWindowVisible(field))
    CtxAddPendingFlags(ctx, kMarkJobPasswordEdited);
  return 1;
}

// ---- authentication and network key -----------------------------------------------------------

int OnAuthenticationOk(DriverContext* ctx, DialogDescriptor* dialog) {
  if (OkRuleRefuses(ctx, dialog)) return 1;
  if (IsOn(ctx, kOptAuthMode) && !OptionText(ctx, kOptAuthPassword).empty()) {
    SetOptionText(ctx, kOptChkAuthPassword, u"");
    const bool confirmed = RunModal(ctx, dialog, kAuthPasswordInput) == IDOK;
    const bool same = confirmed && OptionText(ctx, kOptChkAuthPassword) == OptionText(ctx, kOptAuthPassword);
    SetOptionText(ctx, kOptChkAuthPassword, u"");
    if (!same) {
      if (confirmed) FdShowWarning(ctx, dialog->window, kMsgAuthPasswordDiffers);
      EmptyField(ctx, dialog, kAuthPasswordField);
      SetOptionText(ctx, kOptAuthPassword, u"");
      FocusField(dialog, kAuthPasswordField);
      return 1;
    }
  }
  JcOpenSession(ctx);
  const uint32_t fields = OptGetAuthFieldFlags(ctx, kAuthFieldUserName | kAuthFieldPassword);
  if (fields & kAuthFieldUserName) {
    JcWriteItemsInSession(ctx, kJcUserNameItem);
    OptSetAuthCharsets(ctx, kAuthFieldUserName);
  } else {
    JcDeleteItem(ctx, kJcUserNameCode);
    SetOptionText(ctx, kOptAuthUserName, u"");
  }
  if (fields & kAuthFieldPassword) {
    JcWriteItemsInSession(ctx, kJcPasswordItem);
    OptSetAuthCharsets(ctx, kAuthFieldPassword);
  } else {
    SetOptionText(ctx, kOptAuthPassword, u"");
    JcWriteItemsInSession(ctx, kJcPasswordItem);
  }
  JcCloseSession(ctx);
  return 0;
}

bool IsCurrentPage(DialogDescriptor* dialog) {
  HWND sheet = dialog && dialog->window ? GetParent(dialog->window) : nullptr;
  return sheet &&
         reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) == dialog->window;
}

void AnswerApply(DialogDescriptor* dialog, LONG_PTR result) {
  if (dialog && dialog->window) SetWindowLongPtrW(dialog->window, DWLP_MSGRESULT, result);
}

// Apply of the advanced page with an edited network key: it must be typed again. 1 when the
// apply is refused (answered), 0 when the page's own apply goes on.
int OnAdvancedApply(DriverContext* ctx, DialogDescriptor* dialog) {
  if (!(CtxGetPendingFlags(ctx) & kMarkNetworkKeyEdited)) return 0;
  ControlDescriptor* field = OptFindControl(ctx, dialog, kNetworkKeyField);
  if (field && UiApplyControlChange(ctx, dialog, field, 0, 0)) {
    UiRefreshDialog(ctx, dialog, 1);
    AnswerApply(dialog, PSNRET_INVALID_NOCHANGEPAGE);
    return 1;
  }
  int refused = 0;
  if (IsOn(ctx, kOptAuthMode) && IsOn(ctx, kOptAuthSecureMode) && !OptionText(ctx, kOptNetworkKey).empty()) {
    SetOptionText(ctx, kOptChkNetworkKey, u"");
    const bool confirmed = RunModal(ctx, dialog, kNetworkKeyInput) == IDOK;
    const bool same = confirmed && OptionText(ctx, kOptChkNetworkKey) == OptionText(ctx, kOptNetworkKey);
    SetOptionText(ctx, kOptChkNetworkKey, u"");
    if (!same) {
      if (confirmed) FdShowWarning(ctx, dialog->window, kMsgNetworkKeyDiffers);
      SetOptionText(ctx, kOptNetworkKey, u"");
      EmptyField(ctx, dialog, kNetworkKeyField);
      if (IsCurrentPage(dialog)) FocusField(dialog, kNetworkKeyField);
      AnswerApply(dialog, PSNRET_INVALID_NOCHANGEPAGE);
      refused = 1;
    }
  }
  CtxClearPendingFlags(ctx, kMarkNetworkKeyEdited);
  return refused;
}

int OnAdvancedControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                      LPARAM lParam) {
  const WORD code = HIWORD(wParam);
  if (control->controlId == kNetworkKeyField) {
    if (code == EN_SETFOCUS) CtxAddPendingFlags(ctx, kMarkNetworkKeyEdited);
    if (code != EN_CHANGE && code != EN_UPDATE) return 0;
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
    return 1;
  }
  // A check box passes its click on only when its state and its option disagree.
  if (!control->option || !control->window || code != BN_CLICKED) return 0;
  const bool checked = SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (checked == (OptGetControlValue(ctx, control) != 0)) return 0;
  UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  return 1;
}

// ---- disk limit, hidden functions, user code --------------------------------------------------

int OnDiskLimitOk(DriverContext* ctx, DialogDescriptor* dialog) {
  const int32_t limit = OptGetValue(ctx, kOptDiskSpace, nullptr);
  if (limit == -1) {
    FocusField(dialog, kDiskLimitField);
    return 1;
  }
  const DWORD value = static_cast<DWORD>(limit);
  PrnSetData(ctx->printer, &value, sizeof value, REG_DWORD, u"DiskLimit", ctx);
  return 0;
}

void StoreOrDelete(DriverContext* ctx, const WCHAR* name, uint16_t option) {
  const DWORD value = static_cast<DWORD>(OptGetValue(ctx, option, nullptr));
  if (value) {
    PrnSetData(ctx->printer, &value, sizeof value, REG_DWORD, name, ctx);
  } else {
    std::u16string valueName = name;
    DeletePrinterDataW(ctx->printer, valueName.data());
  }
}

int OnHiddenFuncOk(DriverContext* ctx, DialogDescriptor* dialog) {
  StoreOrDelete(ctx, u"QVFSave", kOptHidden2Func3);
  StoreOrDelete(ctx, u"QDFSave", kOptHidden2Func4);
  if (IsOn(ctx, kOptHidden2Func5) && RunModal(ctx, dialog, kDiskLimitDialog) != IDOK) {
    UiRefreshDialog(ctx, dialog, 1);
    return 1;
  }
  return 0;
}

// ---- version dialogs -----------------------------------------------------------------------------

void ShowDummyVersion(DriverContext* ctx, FmExtUserData* state) {
  WCHAR dummy[kDummyVersionChars] = {};
  const WCHAR* ini = PathGetDriverIni(ctx);
  if (!state || !ini) return;
  IniReadString(u"common", u"DummyVersion", u"", dummy, kDummyVersionChars, ini);
  if (!dummy[0]) return;
  OptionEntry* row = OptFind(ctx, kOptDriverVersion);
  if (!row) return;
  if (const BYTE* bytes = OptGetValueAddress(ctx, row)) {
    std::copy(bytes, bytes + sizeof state->keptDriverVersion, state->keptDriverVersion);
    state->versionKept = 1;
  }
  OptSetStringValue(ctx, row, dummy);
}

void PutBackVersion(DriverContext* ctx, FmExtUserData* state) {
  if (!state || !state->versionKept) return;
  if (OptionEntry* row = OptFind(ctx, kOptDriverVersion)) OptWriteValueBytes(ctx, row, state->keptDriverVersion);
  state->versionKept = 0;
}

// ---- the initial-settings dialog and the output-tray dialog -----------------------------------------

int OnInitDialogControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                        WPARAM wParam, LPARAM lParam) {
  HWND window = dialog->window;
  if (message == WM_COMMAND && control->controlId == LOWORD(wParam)) {
    const WORD code = HIWORD(wParam);
    switch (control->controlId) {
      case 2160:  // update from the device
        if (code != BN_CLICKED) return 0;
        if (!BidiUpdateFromDevice(ctx, window)) {
          OptSetValue(ctx, kOptBiDirect, 1);
          BidiShowQueryFailed(ctx, window);
        }
        return 1;
      case 2112:  // the device's versions
        if (code != BN_CLICKED) return 0;
        BidiReadDeviceVersions(ctx, window);
        JcReadItems(ctx, kJcUserCodeItem);
        return 1;
      case 2570:  // the user code to the device
        if (code != BN_CLICKED) return 0;
        JcOpenSession(ctx);
        JcSendLanguage(ctx);
        JcCloseSession(ctx);
        return 1;
      case 2152: {  // print area
        if (code != CBN_SELCHANGE || !control->window) return 0;
        const LRESULT at = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
        const LRESULT data = at >= 0 ? SendMessageW(control->window, CB_GETITEMDATA, WPARAM(at), 0) : -1;
        if (data != OptGetControlValue(ctx, control)) FdShowWarning(ctx, window, kMsgPrintAreaChanged);
        return 0;
      }
      case 2159:
        for (uint16_t id : {2410, 2411, 2412, 2413, 2538, 2566, 2770, 2539, 2540})
          if (ControlDescriptor* label = OptFindControl(ctx, dialog, id))
            UiHandleTrayLabelPaint(ctx, dialog, label, WM_PAINT);
        return 0;
      default:
        break;
    }
  }
  if (control->controlId == 2877) {
    if (message != WM_PAINT || !control->window || !IsWindowVisible(control->window)) return 0;
    const DWORD id = OptGetValue(ctx, kOptPaperFitType, nullptr) == 1 ? 13923 : (OptIsLetterRegion(ctx) ? 10101 : 10100);
    WCHAR text[kTextChars] = {};
    if (EnvLoadString(ctx, id, text, kTextChars, 1) > 0) SetWindowTextW(control->window, text);
    return 1;
  }
  (void)lParam;
  return UiHandleTrayLabelPaint(ctx, dialog, control, message);
}

int OnPrintPostControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                       LPARAM lParam) {
  const uint16_t id = control->controlId;
  if (id < 2193 || id > 2209 || (id - 2193) % 2 != 0) return 0;
  switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
      OptSetValue(ctx, kOptPrintPostTrayNo, (id - 2193) / 2 + 1);
      UiRefreshDialog(ctx, dialog, 0);
      return 1;
    case EN_KILLFOCUS:
      OptSetValue(ctx, kOptPrintPostTrayNo, 0);
      UiRefreshDialog(ctx, dialog, 0);
      return 1;
    case EN_CHANGE:
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      UiRefreshOutputTrayCombos(ctx);
      return 1;
    default:
      return 0;
  }
}

// ---- the refocus after a rule message --------------------------------------------------------------

int Refocus(DriverContext* ctx, DialogDescriptor* dialog, WPARAM nameIndex) {
  const MessageEntry* message = OptFindMessage(ctx, static_cast<uint16_t>(nameIndex));
  const uint16_t stringId = message ? message->stringId : 0;
  switch (dialog->dialogId) {
    case kAuthenticationPopup:
      if (stringId == 12015) FocusField(dialog, kPopupUserField);
      return 1;
    case kBillingCodePopup:
      if (stringId == 14041) FocusField(dialog, kBillingPopupField);
      return 1;
    case kPrintTypeDialog:
      if (stringId == 10003 || stringId == 10004 || stringId == 12025 || stringId == 12026 || stringId == 12031) {
        FocusField(dialog, kUserIdField);
      } else {
        const uint16_t field = PasswordFieldOf(JobType(ctx));
        EmptyField(ctx, dialog, field);
        FocusField(dialog, field);
      }
      return 1;
    case kAuthenticationDialog:
      if (!FmIsFeatureEnabled(ctx, kFeatureJobControl, 0)) return 0;
      if (stringId == 12015) FocusField(dialog, kAuthUserField);
      if (stringId == 12016) FocusField(dialog, kAuthPasswordField);
      return 1;
    default:
      return 0;
  }
}

// ---- the machine-information table (4038) -------------------------------------------------------

constexpr int kMachineInfoColumns = 6;
constexpr WORD kMachineInfoTitles[kMachineInfoColumns] = {14114, 14115, 14118, 14117, 14119, 14116};
constexpr int kMachineInfoWidths[kMachineInfoColumns] = {24, 36, 91, 90, 70, 38};  // parts of 350
constexpr int kMachineInfoWidthParts = 350;
constexpr WORD kMachineInfoRows[][kMachineInfoColumns] = {
    {14013, 14120, 14120, 14120, 14120, 14120}, {14014, 14120, 14121, 14121, 14120, 14120},
    {14015, 14120, 14122, 14122, 14120, 14120}, {14016, 14173, 14120, 14120, 14120, 14120},
    {14017, 14173, 14122, 14122, 14120, 14120}, {14018, 14173, 14123, 14123, 14123, 14173},
};
constexpr int kMachineInfoText = 260;

std::u16string LoadText(DriverContext* ctx, WORD id) {
  WCHAR text[kMachineInfoText] = {};
  EnvLoadString(ctx, id, text, kMachineInfoText, 1);
  return text;
}

// The columns and rows, once, while the table is empty and no refresh runs.
void BuildMachineInfoTable(DriverContext* ctx, ControlDescriptor* control) {
  HWND table = control->window;
  if (!table || SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) != 0) return;
  if (SheetEngineState* state = UiSheetState(ctx); state && state->refreshGuard) return;
  RECT client{};
  GetClientRect(table, &client);
  const int width = client.right - client.left;
  if (SendMessageW(table, LVM_GETCOLUMNWIDTH, 0, 0) == 0)
    for (int i = 0; i < kMachineInfoColumns; ++i) {
      std::u16string title = LoadText(ctx, kMachineInfoTitles[i]);
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      column.cx = width * kMachineInfoWidths[i] / kMachineInfoWidthParts;
      column.pszText = title.data();
      column.iSubItem = i;
      SendMessageW(table, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
  int index = 0;
  for (const auto& row : kMachineInfoRows) {
    std::u16string text = LoadText(ctx, row[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = text.data();
    item.lParam = index;
    SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < kMachineInfoColumns; ++column) {
      std::u16string cell = LoadText(ctx, row[column]);
      LVITEMW sub{};
      sub.iSubItem = column;
      sub.pszText = cell.data();
      SendMessageW(table, LVM_SETITEMTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(&sub));
    }
    ++index;
  }
}

// A row: the row text and the five cells, on the window colour, clipped and centred vertically.
void DrawMachineInfoRow(DriverContext* ctx, ControlDescriptor* control, const DRAWITEMSTRUCT* draw) {
  const int row = int(draw->itemID);
  if (row < 0 || row >= int(std::size(kMachineInfoRows))) return;
  HDC dc = draw->hDC;
  const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  const COLORREF oldFore = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT cell = draw->rcItem;
  for (int column = 0; column < kMachineInfoColumns; ++column) {
    const int width = int(SendMessageW(control->window, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
    cell.right = column == kMachineInfoColumns - 1 ? draw->rcItem.right : cell.left + width;
    const std::u16string text = LoadText(ctx, kMachineInfoRows[row][column]);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    const int y = cell.top + (cell.bottom - cell.top - extent.cy) / 2;
    ExtTextOutW(dc, cell.left + 2, y, ETO_CLIPPED | ETO_OPAQUE, &cell, text.c_str(), UINT(text.size()), nullptr);
    cell.left = cell.right;
  }
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldFore);
}

int OnMachineInfoControl(DriverContext* ctx, ControlDescriptor* control, DWORD message, LPARAM lParam) {
  if (control->controlId != kMachineInfoTable) return 0;
  if (message == WM_INITDIALOG) {
    BuildMachineInfoTable(ctx, control);
    return 1;  // a list view: the list kind's own filling does not apply
  }
  if (message == WM_DRAWITEM) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->hwndItem != control->window) return 0;
    DrawMachineInfoRow(ctx, control, draw);
    return 1;
  }
  return 0;
}

// Dialog-level messages (no control).
int OnDialogMessage(DriverContext* ctx, DialogDescriptor* dialog, DWORD message, WPARAM wParam, LPARAM lParam,
                    FmExtUserData* state) {
  const uint16_t id = dialog->dialogId;
  if (message == WM_INITDIALOG) {
    if (id == kVersionDialog || id == kVersion2Dialog) ShowDummyVersion(ctx, state);
    return 0;
  }
  if (message == WM_NOTIFY && id == kAdvancedPage && FmIsFeatureEnabled(ctx, kFeatureJobControl, 0)) {
    UiRemoveHoverTip(ctx);
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return 0;
    if (header->code == static_cast<UINT>(PSN_RESET)) CtxClearPendingFlags(ctx, kMarkNetworkKeyEdited);
    if (header->code == static_cast<UINT>(PSN_APPLY)) return OnAdvancedApply(ctx, dialog);
    return 0;
  }
  if (message != WM_COMMAND) return 0;
  const WORD command = LOWORD(wParam);
  if (command == IDCANCEL) {
    if (id == kPrintTypeDialog) CtxClearPendingFlags(ctx, kMarkJobPasswordEdited);
    if (id == kPasswordInput) ForgetConfirmation(state);
    if (id == kVersionDialog || id == kVersion2Dialog) PutBackVersion(ctx, state);
    return 0;
  }
  if (command != IDOK) return 0;
  switch (id) {
    case kPrintTypeDialog:
      return OnPrintTypeOk(ctx, dialog, state);
    case kPasswordInput:
      KeepConfirmation(dialog, state);
      return 0;
    case kAuthenticationDialog:
      return FmIsFeatureEnabled(ctx, kFeatureJobControl, 0) ? OnAuthenticationOk(ctx, dialog) : 0;
    case kDiskLimitDialog:
      return OnDiskLimitOk(ctx, dialog);
    case kHiddenFuncDialog:
      return OnHiddenFuncOk(ctx, dialog);
    case kUserCodeInput:
      return RunModal(ctx, dialog, kUserCodeConfirmation) == IDNO ? 1 : 0;
    case kVersionDialog:
    case kVersion2Dialog:
      PutBackVersion(ctx, state);
      return 0;
    default:
      return 0;
  }
}

int OnControlMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                     WPARAM wParam, LPARAM lParam) {
  const uint16_t id = dialog->dialogId;
  if (id == kPerfectBindDialog) return FdMarginDialogProc(ctx, dialog, control, message, wParam, lParam);
  if (id == kPasswordInput && control->controlId == kPasswordConfirmField)
    return OnConfirmationField(ctx, control, message, wParam);
  if (id == kMachineInfoDialog) return OnMachineInfoControl(ctx, control, message, lParam);
  if (id == kVersion2Dialog && control->controlId == kVersionSummary && message == WM_PAINT) {
    FdUpdateSummaryText(ctx, dialog, control);
    return 0;  // the paint goes on
  }
  if (message == WM_CHAR) return FdFilterTypedChar(ctx, dialog, control, wParam);
  if (message == WM_PASTE) return FdFilterPaste(ctx, dialog, control);
  if (id == kInitDialog) return OnInitDialogControl(ctx, dialog, control, message, wParam, lParam);
  if (message != WM_COMMAND || control->controlId != LOWORD(wParam)) return 0;
  switch (id) {
    case kPresetPage:
    case kBasicPage: {
      const uint16_t c = control->controlId;
      if (HIWORD(wParam) != CBN_SELCHANGE || (c != 2007 && c != 2017 && c != 2023 && c != 2053 && c != 2070))
        return 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      if (dialog->window) SendMessageW(GetParent(dialog->window), PSM_CHANGED, WPARAM(dialog->window), 0);
      UiRefreshDialog(ctx, dialog, 1);
      return 1;
    }
    case kFinishPage:
      if (control->controlId != 2107 || !FmIsFeatureEnabled(ctx, kFeatureLimitations, 0)) return 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      if (OptIsDefaultLocked(ctx)) {
        const struct {
          uint16_t control, option;
        } rules[] = {{2100, kOptFuncSelectStaple}, {2102, kOptFuncSelectPunch}};
        for (const auto& rule : rules)
          if (IsOn(ctx, rule.option))
            if (ControlDescriptor* c = OptFindControl(ctx, dialog, rule.control); c && c->modelItem)
              MdlRunItemTransact(c->modelItem, ctx);
      }
      return 1;
    case kPrintPostDialog:
      return OnPrintPostControl(ctx, dialog, control, wParam, lParam);
    case kPrintTypeDialog:
      return OnPrintTypeField(ctx, dialog, control, wParam, lParam);
    case kAdvancedPage:
      return FmIsFeatureEnabled(ctx, kFeatureJobControl, 0) ? OnAdvancedControl(ctx, dialog, control, wParam, lParam)
                                                             : 0;
    default:
      return 0;
  }
}

}  // namespace

int FdHandleExtensionDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                            WPARAM wParam, LPARAM lParam, void* userData) {
  if (!ctx || !dialog) return 0;
  if (message == kPresetRefocusMessage) return Refocus(ctx, dialog, wParam);
  if (!control) return OnDialogMessage(ctx, dialog, message, wParam, lParam, StateOf(userData));
  return OnControlMessage(ctx, dialog, control, message, wParam, lParam);
}

int FdCheckLastCommandAlert(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  DialogDescriptor* dialog = ctx ? OptFindDialog(ctx, static_cast<uint16_t>(ctx->dialogId)) : nullptr;
  ControlDescriptor* control = state && dialog ? OptFindControl(ctx, dialog, state->lastCommandId) : nullptr;
  return control && control->modelItem ? UiCheckItemAlert(ctx, dialog, control->modelItem) : 0;
}

int FmExtOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                  WPARAM wParam, LPARAM lParam, void* userData) {
  return FdHandleExtensionDialog(ctx, dialog, control, message, wParam, lParam, userData);
}

int FdExtWindowNotify(DriverContext* ctx, DWORD code, void* param) {
  if (!ctx || !param) return 0;
  if (code == kFmNotifyComboChanged) {
    static_cast<FmComboChangedParam*>(param)->flags |= 1u << 2;
    return 1;
  }
  const auto* notice = static_cast<const FmControlParam*>(param);
  DialogDescriptor* dialog = notice->dialog;
  ControlDescriptor* control = notice->control;
  if (code == kFmNotifyHiddenFunction) {
    if (OptGetValue(ctx, kOptCallSrc, nullptr) != 1 || !dialog) return 0;
    UiRunSubDialog(ctx, kDialogModal, kHiddenFuncDialog, dialog->window);
    if (ctx->workArea && ctx->workArea->optionsChanged && dialog->window)
      SendMessageW(GetParent(dialog->window), PSM_CHANGED, WPARAM(dialog->window), 0);
    return 1;
  }
  if (code != kFmNotifyControlMarks || !dialog || !control || dialog->dialogId != kLayoutPage) return 0;
  const uint16_t c = control->controlId;
  const bool copyGuard = c == 2928 || c == 2929 || c == 2974;
  const bool watermark = (c >= 2088 && c <= 2092) || c == 2406 || c == 2407;
  if ((copyGuard && IsOn(ctx, kOptFunc2CopyGuard)) || (watermark && IsOn(ctx, kOptFunc2WaterMark))) {
    control->state = static_cast<uint16_t>((control->state & ~kControlGreyMask) | (1u << kControlGreyShift));
    return 1;
  }
  return 0;
}
