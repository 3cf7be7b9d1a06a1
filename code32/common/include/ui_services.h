// Operations of the printer-interface module's entry points and sheet engine that the core
// calls: the built-in functions that rule actions name, and the pair that lets the spooler's own
// rights run a copy into the system folder.
#pragma once

#include "driver_context.h"

// Built-in function codes (values of option 1050 wdmBuiltInFunc) that the sheet engine runs
// itself; every other code goes to the feature modules.
enum : WORD {
  kBuiltInFuncRate = 1,           // paper dimensions and zoom
  kBuiltInFuncClearDialog = 2,    // pending-update class 0x10000000
  kBuiltInFuncPaperFreeSize = 3,  // the custom-size slot of dmPaperSize
  kBuiltInFuncPrintFreeSize = 4,  // the custom-size slot of zdmOutPaperSize
};

// Runs the built-in function of a rule action. A NULL context does nothing; nothing is reported.
void UiRunBuiltInFunc(DriverContext* ctx, WORD code);

// The spooler's RevertToPrinterSelf: the client's token (0 when it fails), to be given back to
// UiImpersonatePrinterClient.
HANDLE UiRevertToPrinterSelf();
// Puts the client's token back on the thread; 0 without a call for a 0 token.
BOOL UiImpersonatePrinterClient(HANDLE token);

// Runs a dialog of the dialog table from a page, another dialog or the core: the file dialog of
// a file kind, a nested sheet for a page-group mask (0x10, or a row of kind 0x20), else a modal
// dialog (mask 4), bracketed by an undo snapshot that a cancel restores. Answers -1 without the
// language resource library, 0 for an id the table lacks, else the dialog's result (IDOK,
// IDCANCEL ...). The window-free modules show no dialog and answer 0.
int UiRunSubDialog(DriverContext* ctx, uint32_t kindMask, uint16_t dialogId, HWND parent);
