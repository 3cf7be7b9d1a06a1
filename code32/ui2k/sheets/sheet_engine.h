// The sheet engine of the printer-interface module: the property pages and modal dialogs that
// are built from the dialog and control tables (dialog_table.h), the table of control kinds, the
// common dialog procedure, the control kinds' handlers and the state the engine keeps per
// context.
//
// Who defines what:
//   control_kinds.cpp, sheet_pages.cpp, sheet_dialog_proc.cpp, sheet_refresh.cpp,
//   sheet_control_dispatch.cpp, sheet_control_state.cpp   tables, pages, procedure, rule state
//   sheet_combo*.cpp, sheet_control_wndproc.cpp ...         the combo kinds, subclassing, hover help
//   sheet_apply.cpp                                         apply and save of the sheets
//   sheet_resources.cpp, sheet_pictures.cpp ...             resource libraries and pictures
// The document-sheet entry (UiHandleDocumentPropertySheets, UiMergeDocumentProperties) and the
// output device mode (UiWriteOutputDevMode, UiPrinterHasDefaultDevMode) are declared with the
// other entry points in ui_entry.h.
#pragma once

#include <cstdint>

#include "dialog_table.h"
#include "driver_context.h"
#include "free_size.h"  // kPendingFreeSizesLoaded, the custom sizes loaded
#include "model_image.h"
#include "option_constants.h"  // ValueRemapRule
#include "ui_services.h"
#include "ui_entry.h"
#include "win32/windows.h"

// ---- the table of control kinds -----------------------------------------------------------------

// The slots of a control kind; any may be empty. The engine calls them exactly so:
//   step     a click on a picture or clickable area changed the value: non-zero when it did
//   init     at every dialog start and when a refresh class or rule change asks for it
//   refresh  for every shown control (and hidden ones with kControlDisplayUnit) at each refresh
//   command  the control's own WM_COMMAND (wParam 0x10000: the synthetic value-changed command)
//   message  every other dialog message offered to the controls: non-zero when handled
using UiStepSlot = int (*)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                           WPARAM wParam, LPARAM lParam);
using UiInitSlot = int (*)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
using UiRefreshSlot = void (*)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
using UiCommandSlot = int (*)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control,
                              WPARAM wParam, LPARAM lParam);
using UiMessageSlot = int (*)(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                              WPARAM wParam, LPARAM lParam);

struct ControlKindEntry {
  uint16_t kind;
  uint16_t reserved;
  UiStepSlot step;
  UiInitSlot init;
  UiRefreshSlot refresh;
  UiCommandSlot command;
  UiMessageSlot message;
  WNDPROC windowProc;  // installed at the first init; GWL_USERDATA then holds the row
};

constexpr int kControlKindCount = 34;
extern const ControlKindEntry kControlKindTable[kControlKindCount];

// The kind row with that code (linear search), NULL for a code the table lacks.
const ControlKindEntry* UiFindControlKind(uint16_t kind);
// The control's auxiliary record when its first word is the tag, else NULL.
const uint16_t* UiGetControlAux(const ControlDescriptor* control, uint16_t tag);

// Tags of the auxiliary records.
enum : uint16_t {
  kAuxSamplePicture = 1,  // [3..8] the six colour-balance options of a sample picture
  kAuxSliderBitmaps = 3,
  kAuxComboExtras = 4,    // [2..3] refuse-restricted switch, [4..5] picture of restricted items
  kAuxSpinRepeat = 5,
  kAuxTabPages = 6,
  kAuxPreview = 8,        // [1..14] the options of the watermark preview
  kAuxTwoLineButton = 9,
};
// Where the options lie in the records of tags 1 and 8.
constexpr int kSampleFirstOption = 3, kSampleOptionCount = 6;
constexpr int kPreviewOptionCount = 14;

// ---- the state of the engine in a context ---------------------------------------------------------
//
// Fields the core keeps for the engine elsewhere: the current dialog id (DriverContext::dialogId),
// the pending-update word (ContextWorkArea::pendingUpdate, through CtxAddPendingFlags ...), the
// sub-dialog result flag (ContextWorkArea::subDialogResult), the options-changed flag
// (ContextWorkArea::optionsChanged), the sheet kind word (ContextWorkArea::sheetState: 1 document
// sheet, 2 device sheet), the mode word (ContextWorkArea::documentMode), the host callback and
// handle (propSheetCallback, propSheetHandle), the caller's device modes (callerDevModeIn/Out), the
// saved default image (lockDefaultImage), the preset-refresh flag (presetRefreshRunning), the COM
// flag (comInitialized), the scratch text (scratchText) and the two brushes made at binding
// (gdiObjects[0] the button-face brush, gdiObjects[1] the white brush, deleted with the context).
// Everything else is the SheetEngineState of the work area (sheet_engine_state.h).

// The engine's state of a context (inside its work area); NULL without context or work area.
SheetEngineState* UiSheetState(DriverContext* ctx);

// ---- private messages, commands and pending bits ----------------------------------------------------

enum : UINT {
  kRuleAlertMessage = 0x8001,
  kSpinRepeatMessage = 0x8002,
  kPressOkCommand = 0x8003,
  kPageLayoutMessage = 0x8006,
  kPresetRefocusMessage = 0x8007,
};
enum : WORD {
  kCommandSaveAsNew = 11111,
  kCommandOverwrite = 22222,
  kCommandWhatsThis = 20004,
};
enum : uint32_t {
  kPendingSaveAsNewButton = 0x80000000u,
  kPendingOverwriteButton = 0x40000000u,
  kPendingExtraButtons = 0x00800000u,
  kPendingSaveAsNewRunning = 0x10000000u,
  kPendingRefreshClasses = 0x011F0000u,
};
// Run-time control flags (the constant table sets only kControlDisplayUnit).
enum : uint32_t {
  kControlDisplayUnit = 0x80000000u,
  kControlHiddenFunction = 0x20000000u,
  kControlNoReinit = 0x04000000u,
  kControlActsAsSaveAsNew = 0x02000000u,
  kControlText260 = 0x00400000u,
  kControlNoArrowStep = 0x00200000u,
};
// State word of a control row: bits 0-1 hidden, bits 2-3 greyed.
constexpr uint16_t kControlHiddenMask = 0x3;
constexpr uint16_t kControlGreyMask = 0xC;
constexpr int kControlGreyShift = 2;
// Lock flags of a control row.
enum : uint32_t {
  kControlLockMessage = 0x1,
  kControlSkipReinit = 0x2,
};

// The grey query of notify code 3.
struct UiGreyQuery {
  ControlDescriptor* control;
  DialogDescriptor* dialog;
  int32_t handled;     // a module sets it when it decides
  int32_t greyState;   // in: the control's grey bits
  const ModelItem* item;
};

// ---- pages and the common dialog procedure -------------------------------------------------------

// Adds a page for every dialog of the kind mask whose item the model does not disable; the
// number of pages the host accepted.
int UiAddPropertyPages(DriverContext* ctx, uint32_t kindMask);
INT_PTR CALLBACK UiPageDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UiCommonDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Binds the control rows of all dialogs of the context (once) and prepares the sheet-wide state.
void UiBuildPageControls(DriverContext* ctx, DialogDescriptor* dialog);
// Brings the controls of an open dialog in step with the options and rules; force treats every
// option as changed.
void UiRefreshDialog(DriverContext* ctx, DialogDescriptor* dialog, int force);
// Handler of the page-layout message: fits the children into the client area and shows the page.
void UiFinishPageLayout(DriverContext* ctx, HWND dialog);

// ---- control dispatch ------------------------------------------------------------------------

int UiInitControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiDispatchControlCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                             LPARAM lParam);
int UiOfferControlCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                          LPARAM lParam);
int UiDispatchControlMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                             WPARAM wParam, LPARAM lParam);
int UiOfferControlMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                          WPARAM wParam, LPARAM lParam);
void UiSelectComboByItemData(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId, LPARAM itemData);

// A row of the owner-draw size table.
struct UiMeasureEntry {
  uint16_t controlId;
  int16_t width;   // > 0 replaces itemWidth
  int16_t height;  // > 0 replaces itemHeight
};
const UiMeasureEntry* UiFindMeasureEntry(uint16_t controlId);
int UiAnyOptionChanged(DriverContext* ctx);
void UiClearOptionChanges(DriverContext* ctx);

// ---- control state through the rules -------------------------------------------------------------

// The value id of a value record of the item (types 1, 2: the record's id; 16: its first word);
// *valueRows (when given) gets the item's per-value rule rows when the id is non-zero and the
// item has some, else NULL.
uint16_t UiGetItemValueId(DriverContext* ctx, const ModelItem* item, const void* value, const ItemRuleRow** valueRows);
int UiIsValueDisabled(DriverContext* ctx, const ModelItem* item, uint16_t valueId);
int UiQueryControlGrey(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiCellsReadChangedOption(DriverContext* ctx, const RuleCell* cells);
int UiIsGreyStale(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiIsHiddenStale(DriverContext* ctx, ControlDescriptor* control);
void UiRestoreClassWndProcs(DriverContext* ctx, HWND parent);

// ---- combo boxes and lookups ---------------------------------------------------------------------

int UiFillComboFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiSelectComboByValue(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshChangedCombo(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiComboCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                   LPARAM lParam);
int UiDrawComboItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                    LPARAM lParam);
void UiRepaintControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);

struct ItemPictureEntry {
  uint16_t controlId;
  uint16_t valueId;  // 0 ends the table
  uint16_t pictureId;
  uint16_t greyPictureId;
  uint16_t secondPictureId;
};
struct ButtonTextEntry {
  uint16_t controlId;  // 0 ends the table
  uint16_t stringId;   // 0xFFFF: the button shows no text
};
uint16_t UiGetItemPicture(const ControlDescriptor* control, uint16_t valueId);
uint16_t UiGetItemSecondPicture(const ControlDescriptor* control, uint16_t valueId);
void UiSetButtonTextId(DriverContext* ctx, const ControlDescriptor* control);
void UiClearButtonTextId(DriverContext* ctx);
// The last shown control row of the dialog whose window contains the screen point, else NULL.
ControlDescriptor* UiFindControlAtPoint(DialogDescriptor* dialog, int x, int y);
void UiPageInitHook(DriverContext* ctx);

// ---- subclassing, hover help and rule messages ----------------------------------------------------

LRESULT CALLBACK UiControlWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
int UiIsNumericEditChar(DriverContext* ctx, WPARAM character);

// A clickable area of the paper-path picture; a table ends with value id 0.
struct HitAreaOffset {
  uint16_t option;  // 0 ends the rows
  int32_t dx;
  int32_t dy;
};
struct HitAreaEntry {
  uint32_t reserved;
  RECT area;               // relative to the picture's anchor edge
  uint16_t conditionOption;  // counts only while its UI value is 1 (0: always)
  uint16_t valueId;          // combo item data to select
  uint32_t option;           // counts only while its UI value equals requiredValue (0: always)
  uint32_t requiredValue;
  const HitAreaOffset* offsets;
};
struct HitAreaEntryEx {
  HitAreaEntry base;
  const void* conditionChain;
};
const HitAreaEntry* UiHitTestAreas(DriverContext* ctx, RECT* out, POINT* point, const HitAreaEntry* rows);
const HitAreaEntryEx* UiHitTestAreasEx(DriverContext* ctx, RECT* out, POINT* point, const HitAreaEntryEx* rows);

void UiShowHoverTip(DriverContext* ctx, ControlDescriptor* control, HWND dialog, int x, int y);
void UiUpdateHoverTip(DriverContext* ctx, ControlDescriptor* control, HWND dialog, int x, int y, int item);
void UiPaintHoverTip(DriverContext* ctx);
// Removes the tip: kills a pending timer, destroys the window and repaints under a visible one.
void UiRemoveHoverTip(DriverContext* ctx);
// WM_TIMER of the tip's timer on the dialog: shows the pending tip when the pointer is still there.
void UiHoverTipTimer(DriverContext* ctx, HWND dialog);

LRESULT CALLBACK UiNoticeMarkerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// The notice marker beside a greyed or locked control: made once, removed when no longer due.
void UiMakeNoticeMarker(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRemoveNoticeMarker(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);

int UiShowRuleMessage(DriverContext* ctx, const AlertRow* alert, HWND owner);
int UiSetControlValue(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, uint32_t uiValue);
// 1 when the change was refused and undone, else 0.
int UiApplyControlChange(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, uint32_t uiValue,
                         int set);
int UiCheckItemAlert(DriverContext* ctx, DialogDescriptor* dialog, const ModelItem* item);
// UiRunBuiltInFunc(ctx, code) is the core's (ui_services.h).
int UiRunItemTransact(DriverContext* ctx, DialogDescriptor* dialog, const ModelItem* item, uint16_t code);
int UiStepToNextValue(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                      WPARAM wParam, LPARAM lParam);

// ---- sub-dialogs, file-dialog hook and context help -----------------------------------------------

// UiRunSubDialog(ctx, kind mask, dialog id, parent) is declared with the core's services
// (ui_services.h), which the core calls too.
UINT_PTR CALLBACK UiFileDialogHookProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
void UiClearRuleDialogGuard(DriverContext* ctx, UINT msg, WPARAM wParam, LPARAM lParam, int force);
void UiShowContextHelp(HWND dialog, HWND target, UINT msg);
WORD UiGetCommandCode(WPARAM wParam, LPARAM lParam);
int UiSameValue(int ignored, int a, int b);
void UiMeasureText(HDC dc, const WCHAR* text, SIZE* out);
// 0 for the status (1020) and version (1025) dialogs, 1 for every dialog that changes settings.
int UiIsSettingsDialog(uint16_t dialogId);

// ---- page utilities -------------------------------------------------------------------------------

void UiFixUpPageTables(DriverContext* ctx);
void UiRefreshPresetSelectors(DriverContext* ctx);
void UiRefreshEditPageLists(DriverContext* ctx);
void UiRefreshSourceCombos(DriverContext* ctx);
void UiRefreshOutputTrayCombos(DriverContext* ctx);
void UiRefreshPaperSizeCombos(DriverContext* ctx);
void UiRefreshWatermarkCombo(DriverContext* ctx);

// ---- apply and save of the sheets ---------------------------------------------------------------

int UiApplySheet(DriverContext* ctx);
int UiApplySheetSettings(DriverContext* ctx);
int CfgCommitDocumentSettings(DriverContext* ctx);
int CfgCommitPrinterSettings(DriverContext* ctx);
int UiSaveDocumentSheet(DriverContext* ctx, int saveMode);
int UiSaveDeviceSheet(DriverContext* ctx, int saveMode);
int UiWriteOutputAndSave(DriverContext* ctx);
// The device sheet's apply, before the administrator's locks are written: sets or clears
// zdmLockInfoLockSmallPaperTray by the tray remap rules (the sheet passes OptGetValueRemapRules).
void UiMarkLockedSmallTray(DriverContext* ctx, const ValueRemapRule* rules);

// ---- resource libraries, strings and pictures -----------------------------------------------------

struct BitmapRangeEntry {
  uint32_t firstId;  // 0 ends the table
  uint32_t lastId;
  uint32_t library;  // 0 language library, 1 language-neutral library
};
HMODULE UiLoadCommonResDll(DriverContext* ctx);
HBITMAP UiLoadBitmap(DriverContext* ctx, uint16_t id);
HGLOBAL UiLoadBitmapResource(DriverContext* ctx, uint16_t id);
HBITMAP UiLoadBitmapByName(DriverContext* ctx, const WCHAR* name);
HBITMAP UiLoadBmpFile(const WCHAR* path, int* width, int* height);
void UiDrawPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window, RECT* rect,
                   uint16_t bitmapId, uint32_t flags, uint32_t state);
void UiDrawBitmap(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC dc, RECT* rect, int x,
                  int y, HBITMAP source, uint32_t flags, uint32_t state);
void UiDrawBitmapLayered(DriverContext* ctx, HDC dc, RECT* rect, int x, int y, uint16_t bitmapId, uint32_t flags);
void UiDrawLayeredPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC target,
                          RECT* rect);
void UiDrawIcon(DriverContext* ctx, HDC dc, int x, int y, uint16_t iconId);
void UiDrawIconInWindow(DriverContext* ctx, HWND window, uint16_t iconId);
int UiDrawPanelButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window, HDC dc,
                      RECT* rect, uint32_t style, int pressed, int focused);
void UiFillFrame(HDC dc, RECT* rect, COLORREF colour);
COLORREF UiAdjustColour(DriverContext* ctx, COLORREF colour, int grey);
void UiBeginComposition(DriverContext* ctx);
void UiEndComposition(DriverContext* ctx, HWND window, RECT* rect);
HDC UiGetPaintDC(DriverContext* ctx, HWND window);
void UiReleasePaintDC(DriverContext* ctx, HWND window, HDC dc);
int UiGetComctlVersion();
// A colour entered in the logical palette of the DC (NULL: the engine's palette).
HPALETTE UiPaletteEntry(HDC dc, int index, COLORREF colour);
