// The control kinds of labels, buttons, lists, edits, sliders, tabs and the settings tree: the
// handlers the kind table names, and the few helpers they share.
#pragma once

#include <cstdint>

#include "aux_records.h"
#include "feature_modules.h"
#include "model_image.h"
#include "option_access.h"
#include "sheet_engine.h"

// ---- labels, pictures, buttons -------------------------------------------------------------------

void UiRefreshValueLabel(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiDrawValueIcon(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiInitPushButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiInitTwoLineButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiPushButtonCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                        LPARAM lParam);
int UiDrawPushButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                     WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UiPushButtonWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
int UiToggleCheck(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam);
void UiRefreshCheck(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiCheckCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                   LPARAM lParam);
int UiSelectRadio(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam);
void UiRefreshRadio(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiRadioCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                   LPARAM lParam);

// ---- list boxes ----------------------------------------------------------------------------------

int UiFillListFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiFillOwnerListFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiSelectListByValue(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiListCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                  LPARAM lParam);
int UiDrawListItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                   LPARAM lParam);
int UiCheckListMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                       WPARAM wParam, LPARAM lParam);
int UiFillPresetList(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiPresetListCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                        LPARAM lParam);
int UiDrawPresetItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                     WPARAM wParam, LPARAM lParam);

// ---- edits ---------------------------------------------------------------------------------------

int UiInitTextEdit(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshTextEdit(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiTextEditCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                      LPARAM lParam);
// The number in a typed text, scaled to the decimals of the divisor (10: one, 100: two).
int UiParseNumber(const WCHAR* text, int divisor, DriverContext* ctx);
int UiInitNumberEdit(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshNumberEdit(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiNumberEditCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                        LPARAM lParam);
int UiNumberEditMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                        WPARAM wParam, LPARAM lParam);

// ---- spins, sliders, track bar -------------------------------------------------------------------

int UiInitSpin(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshSpin(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiSpinMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam);
void UiStepLinkedValues(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiInitSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshThemedSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiSliderMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                    LPARAM lParam);
int UiScrollArrowWidth();
void UiDrawSlider(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, int reversed);
void UiDrawSliderNormal(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiDrawSliderReversed(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiInitTrackbar(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiRefreshTrackbar(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiTrackbarMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                      WPARAM wParam, LPARAM lParam);

// ---- tabs and tree -------------------------------------------------------------------------------

int UiInitTabs(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
void UiShowTabPage(DialogDescriptor* dialog, ControlDescriptor* tabs, int index);
int UiTabsMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                  LPARAM lParam);
int UiFillSettingsTree(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);
int UiIgnoreMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam,
                    LPARAM lParam);

// ---- page utilities beyond the refreshers ----------------------------------------------------------

struct DialogControlPair {
  uint16_t dialogId;  // 0 ends a list
  uint16_t controlId;
};
void UiRefreshControlList(DriverContext* ctx, const DialogControlPair* list);
int UiPaintTrayLabel(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                     int trayIndex, int mode);
int UiPaintTrayLabelFull(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                         int trayIndex);
int UiPaintTrayLabelNoMedia(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                            int trayIndex);
int UiPaintTrayLabelTextOnly(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                             int trayIndex);
int UiHandleTrayLabelPaint(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg);
int UiIsFileDialogKind(const DialogDescriptor* dialog);
int UiIsModalDialogKind(const DialogDescriptor* dialog);

// ---- helpers shared by the kinds ------------------------------------------------------------------

namespace sheet_kinds {

constexpr int kTextChars = 1025;  // the scratch text and the strings loaded into it

inline bool IsGreyed(const ControlDescriptor* control) { return (control->state & kControlGreyMask) != 0; }
inline bool IsShown(const ControlDescriptor* control) { return (control->state & kControlHiddenMask) == 0; }
inline bool IsDisplayUnit(const ControlDescriptor* control) { return (control->flags & kControlDisplayUnit) != 0; }

// Calls fn(valueId) for each enabled value of the control's item in list order (a value with
// its own rule list that is disabled is left out); stops at value id 0 or when fn returns false.
template <class Fn>
void ForEachEnabledValue(DriverContext* ctx, const ControlDescriptor* control, Fn fn);

// The Numeric value record of the control's item, NULL when the item is not Numeric.
const ModelNumericValue* NumericRecord(DriverContext* ctx, const ControlDescriptor* control);
// The String value record of the control's item, NULL when the item is not a String.
const ModelStringValue* StringRecord(DriverContext* ctx, const ControlDescriptor* control);
// The string of id into out (kTextChars characters, decorated); empty when missing.
WCHAR* LoadText(DriverContext* ctx, uint16_t id, WCHAR* out);
// The option kind of the control's row ((type word >> 24) & 0x3F), 0 without option.
uint32_t OptionKind(const ControlDescriptor* control);
// PSM_CHANGED to the dialog's parent (the sheet).
void NotifySheetChanged(DialogDescriptor* dialog);
// The information box of a restricted choice (owner, the control's information message).
void ShowInformation(DriverContext* ctx, ControlDescriptor* control);
// The u32 at word index `at` of an auxiliary record, 0 without record.
inline uint32_t AuxWord32(const uint16_t* aux, int at) {
  return aux ? uint32_t(aux[at]) | uint32_t(aux[at + 1]) << 16 : 0;
}

}  // namespace sheet_kinds

// Auxiliary records of these kinds, as laid out in the control rows' data (the record's address is
// the control row's auxRecord; its first word is the tag).
struct AuxSliderSteps {  // tag 3
  uint16_t tag;
  uint16_t smallStep;
  uint16_t pageStep;
  uint16_t channelBitmap;  // 0: no channel picture
};
// Tag 5, the linked steps of an auto-repeat button: AuxLinkedSteps of dialog_table.h.
struct TabPageRow {
  uint16_t stringId;
  uint16_t controlCount;
  const uint16_t* controls;
};
struct AuxTabPages {  // tag 6
  uint16_t tag;
  uint16_t count;
  const TabPageRow* rows;
};
struct AuxTwoLineButton {  // tag 9
  uint16_t tag;
  uint16_t firstString;
  uint16_t secondString;
  uint16_t reserved;
  uint32_t underline;
};
// What the kinds hand the feature modules with their notify codes. A module that answers sets
// `answered` and the answer.
enum : DWORD {
  kNotifyEditCurrent = 38,    // the value a numeric edit compares with at refresh
  kNotifyEditTyped = 39,      // a typed value about to be stored
  kNotifyEditLeave = 40,      // the value a numeric edit compares with when it loses the focus
  kNotifyEditStored = 41,     // a value stored when the edit lost the focus
  kNotifySpinValue = 43,      // a spin position in display units, converted by a module
  kNotifySpinRange = 46,      // the limits of a spin
  kNotifyInchCompare = 51,    // compare an inch value in display units
  kNotifySliderReversed = 58, // whether a slider's scale runs from right to left
};
struct UiEditValueNotice {
  ControlDescriptor* control;
  int32_t value;
  int32_t answered;
};
struct UiRangeNotice {
  ControlDescriptor* control;
  int32_t minimum;
  int32_t maximum;
  int32_t answered;
};

template <class T>
const T* UiGetAuxRecord(const ControlDescriptor* control, uint16_t tag) {
  return reinterpret_cast<const T*>(UiGetControlAux(control, tag));
}

// ---- template definitions ---------------------------------------------------------------------------

#include <cstring>

#include "model_query.h"

template <class Fn>
void sheet_kinds::ForEachEnabledValue(DriverContext* ctx, const ControlDescriptor* control, Fn fn) {
  const ModelItem* item = control ? control->modelItem : nullptr;
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!item || !image || !ModelIsListKind(item->typeWord)) return;
  int limit = MdlCountList(image, item->values);
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
       v = MdlNextItemValue(image, item, v)) {
    const ItemRuleRow* rows = nullptr;
    const uint16_t valueId = UiGetItemValueId(ctx, item, v, &rows);
    if (valueId == 0) return;
    if (rows && MdlIsDisabled(item, valueId, ctx)) continue;
    if (!fn(valueId)) return;
  }
}

