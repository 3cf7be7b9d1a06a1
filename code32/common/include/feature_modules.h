// The feature modules and the event bus that reaches them.
//
// Ten feature modules extend the core without being called by name. Each is one row of a
// constant table with three handlers; every context gets its own copy of the rows and the
// modules' per-context user data, and three broadcasts offer work to the modules in table
// order until one of them answers: built-in function codes, dialog messages and notify codes.
//
// The dialog handlers belong to the printer-interface module's feature dialogs; the settings
// and graphics modules (the window-free builds) put a handler there that returns 0.
#pragma once

#include <cstdint>

#include "driver_context.h"

// ---- the rows -------------------------------------------------------------------------------

// A handler returns non-zero when it handled the call; the broadcast stops there.
using FmBuiltInFuncFn = int(DriverContext* ctx, WORD code, void* userData);
using FmDialogFn = int(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                       WPARAM wParam, LPARAM lParam, void* userData);
using FmNotifyFn = int(DriverContext* ctx, DWORD code, void* param, void* userData);
using FmBuiltInFuncHandler = FmBuiltInFuncFn*;
using FmDialogHandler = FmDialogFn*;
using FmNotifyHandler = FmNotifyFn*;

// A row of the module table; the per-context copy has the same fields. In-memory only.
struct FeatureModule {
  DWORD userDataSize;  // bytes of per-context user data; 0 for none
  void* userData;      // NULL in the table; the context's zeroed block in the copy
  FmBuiltInFuncHandler onBuiltInFunc;
  FmDialogHandler onDialog;
  FmNotifyHandler onNotify;
};

// A context's module list, kept in the work area.
struct FeatureModuleList {
  int32_t count;
  FeatureModule* rows;
};

// The modules, numbered 1-10 in table order.
enum : int {
  kFmPresets = 1,
  kFmWatermarks = 2,
  kFmColorMatching = 3,
  kFmFreeSizes = 4,
  kFmChapters = 5,  // covers, separator sheets and chapters
  kFmInstallableOptions = 6,
  kFmFontSubstitution = 7,
  kFmSettingsSummary = 8,
  kFmLimitations = 9,  // administrator locks
  kFmExtensions = 10,  // extension dialogs
  kFmModuleCount = 10,
};

// The static rows; sets their count into *list when list is given (its rows stay untouched).
const FeatureModule* FeatureModuleTable(FeatureModuleList* list);

// ---- attach, detach and the broadcasts --------------------------------------------------------

// FmAttachModules and FmDetachModules (declared with the context's services): attach gives the
// context its module list and user data and sends notify code 1; detach sends code 2 and frees
// them. Both also reset the chapter list and the preset value cache of the work area.

// Offers a built-in function code to the modules; 1 when a module handled it, else 0.
int FmRunBuiltInFunc(DriverContext* ctx, WORD code);
// Offers a dialog message: first to the sheet engine's page hook, then to the modules. The
// first non-zero answer is the result; 0 when nobody answered.
int FmDispatchDialogMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                            WPARAM wParam, LPARAM lParam);
// Sends a notify code; 1 when a module stopped the broadcast, else 0. Answers travel in param.
int FmBroadcastNotify(DriverContext* ctx, DWORD code, void* param);

// The computed items 1347-1506 of the condition evaluator: 1379-1394 from the colour-matching
// module, 1491-1506 from the extension module, every other item 0.
DWORD FmGetModuleComputedItem(DriverContext* ctx, WORD item);

// ---- build switches ---------------------------------------------------------------------------

// FmIsFeatureEnabled (declared with the context's services): 1 for features 0-5 (0 the
// job-control values, 1 print notification, 2 administrator lock data, 3 authentication
// plug-in, 4 UI-control plug-ins, 5 custom media data), else 0.

// Bit n of the build's two feature words; only features 11 and 23 are on.
int OptHasBuildFeature(DWORD n);
// 1 when the device reports function n (option 1272 + n, wdmPrnInfoFuncSupport<n>, is set);
// 0 for n above 31 and for a context without a settings image.
int OptHasPrnInfoFunc(DriverContext* ctx, WORD n);

// ---- codes ------------------------------------------------------------------------------------

// Built-in function codes (values of wdmBuiltInFunc) that the core names.
enum : WORD {
  kBfRate = 1,
  kBfClearDialog = 2,
  kBfPaperFreeSize = 3,
  kBfPrintFreeSize = 4,
  kBfCmmAdd = 111,
  kBfCmmDelete = 112,
  kBfCmmEdit = 113,
  kBfCmmGetAll = 114,    // 114-117: the entry chosen by options 133, 984, 985, 986
  kBfCmmGetText = 115,
  kBfCmmGetLine = 116,
  kBfCmmGetImage = 117,
  kBfCmmGetData = 124,   // the entry of the object being adjusted
  kBfFreePaper = 200,       // input controls of the custom-size input bound to the paper size
  kBfFreePrint = 201,       // ... to the print size
  kBfFreeLength = 202,      // the longer side made the length
  kBfFreeSetPaper = 203,    // dmDefaultSource := the tray of dmPaperSize's custom size
  kBfFreeSetPrint = 204,    // ... of zdmOutPaperSize's custom size
  kBfFreeRegister = 205,    // the options captured into the shown slot
  kBfStampWriteFile = 327,
  kBfEmfMode = 309,  // no module handles it
  kBfInitLockInfo = 312,
  kBfLockHeaderFooterFont = 328,
  kBfCopiesToSeparationCycle = 901,
  kBfRestoreLockedFirst = 10000,  // "BF_" + field name: restore a locked option
  kBfRestoreLockedLast = 11995,
};

// Notify codes 1-67; 19, 20, 31, 37 and 50 are never sent.
enum : DWORD {
  kFmNotifyAttached = 1,
  kFmNotifyDetaching = 2,
  kFmNotifyControlState = 3,
  kFmNotifySaveRow = 4,
  kFmNotifyLoadRow = 5,
  kFmNotifyTransferRow = 6,
  kFmNotifyRecheck = 11,
  kFmNotifyHiddenFunction = 14,
  kFmNotifyEnsureSetup = 12,
  kFmNotifyLoadPassEnd = 18,
  kFmNotifySavePassEnd = 23,
  kFmNotifyTransferEnd = 24,
  kFmNotifySnapshotPushed = 26,
  kFmNotifySnapshotPopped = 27,
  kFmNotifySubDialogCancelled = 34,
  kFmNotifySubDialogOk = 35,
  kFmNotifyChoicesChanged = 36,
  kFmNotifyLocksApply = 59,
  kFmNotifyResolutionLockApply = 60,
  kFmNotifyControlMarks = 66,
  kFmNotifyComboChanged = 67,
  kFmNotifyLast = 67,
};

// Parameter records of the notify codes whose senders and receivers are both in the core.
// Answers are preset by the sender and read after the broadcast.
struct FmRowPassParam {  // codes 4 and 5: a row offered to a save or load pass
  DWORD mode;
  OptionEntry* row;
  DWORD answer;  // 1 = leave the row out
};
struct FmRowTransferParam {  // code 6: a row offered to a settings-file section transfer
  OptionEntry* row;
  DWORD answer;  // 1 = leave the row out
};
struct FmPassEndParam {  // codes 18 and 23: end of a load or save pass
  int32_t block;         // -1 = all blocks
  DWORD mode;
};
struct FmTransferEndParam {  // code 24: a settings-file section transfer finished
  DWORD flags;
  const WCHAR* file;
};
struct FmDialogParam {  // codes 34 and 35: a sub-dialog was cancelled or closed with OK
  DialogDescriptor* dialog;
};
struct FmControlParam {  // codes 14 and 66: a control of a dialog
  DialogDescriptor* dialog;
  ControlDescriptor* control;
};
struct FmComboChangedParam {  // code 67: the value of a combo box changed
  ControlDescriptor* control;
  DialogDescriptor* dialog;
  int32_t oldValue;
  int32_t newValue;
  DWORD flags;  // bit 2: the notice was taken
};

// ---- handlers of the rows ---------------------------------------------------------------------

// The empty handlers of the slots that a module leaves unused.
FmBuiltInFuncFn FmNoBuiltInFunc;
FmNotifyFn FmNoNotify;
FmDialogFn FmNoDialog;

// Each module's own handlers (one file per module).
FmBuiltInFuncFn FmStampOnBuiltInFunc, FmCmmOnBuiltInFunc, FmFreeSizeOnBuiltInFunc, FmChapterOnBuiltInFunc,
    FmLimitOnBuiltInFunc, FmExtOnBuiltInFunc;
FmNotifyFn FmCmmOnNotify, FmFreeSizeOnNotify, FmChapterOnNotify, FmTtfOnNotify, FmLimitOnNotify, FmExtOnNotify;

// The modules' computed items.
DWORD FmGetCmmComputedItem(DriverContext* ctx, WORD item);
DWORD FmGetExtComputedItem(DriverContext* ctx, WORD item);

// 1 for the text options whose stored empty text is taken as a value (zdmCopyProtectChar 526,
// wdmAuthenticationUserName 1144), else 0.
int FmIsEmptyTextAllowedOption(uint16_t id);

// ---- replaceable sources (for tests) ----------------------------------------------------------

// Where attach takes the rows from, and the page hook the dialog dispatcher asks first. Each
// setter returns the previous source; NULL restores the built-in one (FeatureModuleTable and
// UiSetInitialPageLabels).
using FmTableSource = const FeatureModule* (*)(FeatureModuleList* list);
using FmPageHookFn = int(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                         WPARAM wParam, LPARAM lParam);
using FmPageHook = FmPageHookFn*;
FmTableSource FmSetTableSource(FmTableSource source);
FmPageHook FmSetPageHook(FmPageHook hook);
