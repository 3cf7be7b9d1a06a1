// The installable options dialog (ZPD_IDD_DIALOG_OPTION, 1011): the check list of installable
// options with its combination rules and the tray table with its editors. The rules themselves
// are the core's (OptGetOptionComboRules, fm_options_fonts.h).
#pragma once

#include <cstdint>

#include "fd_services.h"
#include "fm_options_fonts.h"

// Controls of the dialog.
enum : uint16_t {
  kFdCtlOptionList = 2164,     // owner-drawn list box: the installable options
  kFdCtlTrayTable = 2166,      // owner-drawn list view: tray, paper, orientation, media
  kFdCtlTrayPaper = 2168,      // paper of the selected tray
  kFdCtlTrayMedia = 2170,      // media of the selected tray
  kFdCtlTrayPortrait = 2173,   // orientation of the selected tray
  kFdCtlTrayLandscape = 2175,
  kFdCtlTrayLock = 2551,       // lock of the selected tray
  kFdCtlTrayRebuild = 2176,    // rebuilds the tray table
};

// Flags of FdApplyComboGroups.
enum : uint32_t {
  kFdComboRebuildTrays = 0x1,
  kFdComboRepaintList = 0x2,
};

// The rule of a list item (linear search up to the zero row), NULL when it has none. The model
// code is not used: this build has one table.
const OptionComboRule* FdFindComboRule(uint32_t itemId, uint32_t modelCode);
// Keeps one member of every group on after a click; the refresh and repaint flags of the members
// it turned on.
uint32_t FdApplyComboGroups(DriverContext* ctx, const OptionComboRule* clicked);

// The dialog procedure; 1 when the message was taken.
int FdOptionDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                       WPARAM wParam, LPARAM lParam);
