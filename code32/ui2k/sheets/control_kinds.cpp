// The table of the 34 control kinds and its two lookups. The kinds of the labels, buttons, lists,
// edits, sliders, tabs and tree keep empty slots until their handlers exist; the engine treats an
// empty slot as "nothing to do".
#include "sheet_engine.h"

namespace {

constexpr WNDPROC kDefault = UiControlWndProc;

}  // namespace

// {kind, 0, step, init, refresh, command, message, window procedure}
const ControlKindEntry kControlKindTable[kControlKindCount] = {
    {1, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // label
    {2, 0, UiStepToNextValue, nullptr, UiRepaintControl, nullptr, nullptr, kDefault},  // picture
    {3, 0, UiStepToNextValue, nullptr, nullptr, nullptr, nullptr, kDefault},           // picture choice
    {4, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // group frame
    {5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {6, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {21, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},  // push button (own procedure)
    {22, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // check box
    {23, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // spin
    {24, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},   // panel button (own procedure)
    {41, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // radio button
    {42, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // list box
    {43, 0, nullptr, UiFillComboFromItem, UiSelectComboByValue, UiComboCommand, nullptr, kDefault},  // combo box
    {44, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {45, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {46, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {47, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // owner-drawn list
    {48, 0, nullptr, UiFillComboFromItem, UiRefreshChangedCombo, UiComboCommand, UiDrawComboItem,
     kDefault},  // owner-drawn combo box with pictures
    {49, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // check list
    {50, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // preset icon list
    {61, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // text edit
    {62, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {63, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // numeric edit
    {64, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {65, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {81, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {82, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {83, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {84, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // slider
    {85, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {101, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {102, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},
    {104, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // tab
    {105, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kDefault},  // tree
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
