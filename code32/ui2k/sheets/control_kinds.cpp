// The table of the 34 control kinds and its two lookups; the engine treats an empty slot as
// "nothing to do".
#include "sheet_engine.h"
#include "sheet_kinds.h"

namespace {

constexpr WNDPROC kDefault = UiControlWndProc;

}  // namespace

// {kind, 0, step, init, refresh, command, message, window procedure}
const ControlKindEntry kControlKindTable[kControlKindCount] = {
    {1, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},  // value label
    {2, 0, UiStepToNextValue, nullptr, UiRepaintControl, nullptr, nullptr, kDefault},  // picture
    {3, 0, UiStepToNextValue, nullptr, UiDrawValueIcon, nullptr, nullptr, kDefault},  // icon
    {4, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},  // value label
    {5, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {6, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {21, 0, nullptr, UiInitPushButton, UiRefreshValueLabel, UiPushButtonCommand, UiDrawPushButton,
     UiPushButtonWndProc},  // owner-drawn push button
    {22, 0, UiToggleCheck, nullptr, UiRefreshCheck, UiCheckCommand, nullptr, kDefault},  // check box
    {23, 0, nullptr, UiInitSpin, UiRefreshSpin, nullptr, UiSpinMessage, kDefault},  // spin
    {24, 0, nullptr, UiInitTwoLineButton, UiRefreshValueLabel, UiPushButtonCommand, UiDrawPushButton,
     UiPushButtonWndProc},  // two-line push button
    {41, 0, UiSelectRadio, nullptr, UiRefreshRadio, UiRadioCommand, nullptr, kDefault},  // radio button
    {42, 0, nullptr, UiFillListFromItem, UiSelectListByValue, UiListCommand, nullptr, kDefault},  // list box
    {43, 0, nullptr, UiFillComboFromItem, UiSelectComboByValue, UiComboCommand, nullptr, kDefault},  // combo box
    {44, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {45, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {46, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {47, 0, nullptr, UiFillOwnerListFromItem, nullptr, UiListCommand, UiDrawListItem, kDefault},  // owner-drawn list
    {48, 0, nullptr, UiFillComboFromItem, UiRefreshChangedCombo, UiComboCommand, UiDrawComboItem,
     kDefault},  // owner-drawn combo box with pictures
    {49, 0, nullptr, UiFillOwnerListFromItem, nullptr, UiListCommand, UiCheckListMessage, kDefault},  // check list
    {50, 0, nullptr, UiFillPresetList, nullptr, UiPresetListCommand, UiDrawPresetItem, kDefault},  // preset list
    {61, 0, nullptr, UiInitTextEdit, UiRefreshTextEdit, UiTextEditCommand, nullptr, kDefault},  // text edit
    {62, 0, nullptr, UiInitTextEdit, UiRefreshTextEdit, UiTextEditCommand, nullptr, kDefault},
    {63, 0, nullptr, UiInitNumberEdit, UiRefreshNumberEdit, UiNumberEditCommand, UiNumberEditMessage,
     kDefault},  // numeric edit
    {64, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {65, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {81, 0, nullptr, UiInitSpin, UiRefreshSpin, nullptr, UiSpinMessage, kDefault},  // spin
    {82, 0, nullptr, UiInitSlider, UiRefreshSlider, nullptr, UiSliderMessage, kDefault},  // slider
    {83, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {84, 0, nullptr, UiInitSlider, UiRefreshThemedSlider, nullptr, UiSliderMessage, kDefault},  // drawn slider
    {85, 0, nullptr, UiInitTrackbar, UiRefreshTrackbar, nullptr, UiTrackbarMessage, kDefault},  // track bar
    {101, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {102, 0, nullptr, nullptr, UiRefreshValueLabel, nullptr, nullptr, kDefault},
    {104, 0, nullptr, UiInitTabs, nullptr, nullptr, UiTabsMessage, kDefault},  // tab control
    {105, 0, nullptr, UiFillSettingsTree, nullptr, nullptr, UiIgnoreMessage, kDefault},  // settings tree
};

const ControlKindEntry* UiFindControlKind(uint16_t kind) {
  for (const ControlKindEntry& entry : kControlKindTable)
    if (entry.kind == kind) return &entry;
  return nullptr;
}

const uint16_t* UiGetControlAux(const ControlDescriptor* control, uint16_t tag) {
  if (!control || !control->auxRecord || control->auxRecord[0] != tag) return nullptr;
  return control->auxRecord;
}

SheetEngineState* UiSheetState(DriverContext* ctx) {
  return ctx && ctx->workArea ? &ctx->workArea->sheet : nullptr;
}
