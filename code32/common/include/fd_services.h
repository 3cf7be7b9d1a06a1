// What the core uses of the feature dialogs: their message boxes and progress window, and the
// dialog-side handlers that the printer-interface module puts into the feature-module rows;
// and the sheet engine's page hook that the dialog-message broadcast asks first.
//
// The settings and graphics modules (ZOLT_WINDOW_BUILD=0) show no message boxes and no
// progress window: every call answers 0 (the progress window NULL) without doing anything, so
// the operation that would show a message ends the same way without it. A caller that stops
// on Cancel goes on, since 0 is neither OK nor Cancel.
#pragma once

#include "driver_context.h"
#include "feature_modules.h"

// Message-box results.
constexpr int kFdIdOk = 1;
constexpr int kFdIdCancel = 2;

// Message-box type bits the services use: icons, and the buttons.
constexpr WORD kFdIconWarning = 0x30;
constexpr WORD kFdIconInformation = 0x40;
constexpr WORD kFdButtonsOk = 0x0;
constexpr WORD kFdButtonsOkCancel = 0x1;

// How a message's resource string takes its argument.
constexpr WORD kFdArgumentNone = 0;
constexpr WORD kFdArgumentText = 1;     // the string is a format with one text argument
constexpr WORD kFdArgumentNumbers = 2;  // the string is a format with unsigned numbers

// One message box, built zero-filled on the caller's stack.
struct MessageRequest {
  WORD textId;           // string id of the message text in the language library
  WORD captionId;        // string id of the caption; 0 = the printer's name
  WORD boxType;          // icon bits
  WORD boxFlags;         // button bits
  const WCHAR* prefix;   // shown above the message, or NULL
  WORD argumentMode;     // kFdArgumentNone, kFdArgumentText or kFdArgumentNumbers
  WORD numberCount;      // kFdArgumentNumbers: how many numbers (1-8; above 8 only the first)
  const void* argument;  // kFdArgumentText: a text; kFdArgumentNumbers: an array of WORD
  const WCHAR* suffix;   // shown below the message, or NULL
};

// The composer of every message box: the caption and the text (prefix, the formatted resource
// string, suffix, each framed by an empty line) into MessageBoxW. Answers the box's result, or
// 0 when nothing was shown (a NULL request, an argument with mode kFdArgumentNone, numbers with
// a count of 0, no memory).
int FdComposeMessageBox(DriverContext* ctx, const MessageRequest* request, HWND owner);

// All the following take the context for its resource library and printer name (the caption);
// a NULL owner is replaced by the active window. Each answers the box's result (kFdIdOk,
// kFdIdCancel ...) or 0 when nothing was shown.
// Warning icon, the given buttons, the resource string of the id as text.
int FdShowMessage(DriverContext* ctx, HWND owner, WORD stringId, WORD boxFlags);
// Warning icon, OK button.
int FdShowWarning(DriverContext* ctx, HWND owner, WORD stringId);
// Warning icon, OK and Cancel: the caller tests for kFdIdOk.
int FdAskWarningOkCancel(DriverContext* ctx, HWND owner, WORD stringId);
// The resource string of the id with the caller's icon and button bits.
int FdShowMessageStyled(DriverContext* ctx, HWND owner, WORD stringId, WORD typeBits, WORD extraFlags);
// Warning icon, OK; the resource string of the id is a format whose one string argument is text
// (NULL stands for an empty text).
int FdShowMessageWithText(DriverContext* ctx, HWND owner, UINT stringId, const WCHAR* text);
// The modeless progress window (template 4006 of the language library, owned by the active
// window; owner is not used) with the printer's name as caption and the resource string of the
// id as its text; NULL when it could not be made. Nothing pumps its messages while it is up.
HWND FdShowProgressDialog(DriverContext* ctx, HWND owner, WORD stringId);
// Destroys the progress window (owner is not used); FALSE when there was none.
BOOL FdCloseProgressDialog(HWND owner, HWND dialog);

// The sheet engine's built-in first member of the dialog-message chain (the printer-interface
// module's page utilities in the window build): sets the initial
// labels of pages 1003, 1004 and 1011 when they are initialised; never consumes a message
// (always 0).
FmPageHookFn UiSetInitialPageLabels;

#if ZOLT_WINDOW_BUILD
// Dialog-side handlers of the ten rows, and the notify handlers that rows 1 and 2 have only on
// the dialog side: the feature dialogs of the printer-interface module (code32/ui2k/features/),
// which the window build of the core links with. Each accepts messages of dialogs that are not
// its own and answers 0 for them.
FmDialogFn FmPresetOnDialog, FmWatermarkOnDialog, FmColorOnDialog, FmFreeSizeOnDialog, FmChapterOnDialog,
    FmOptionsOnDialog, FmTtfOnDialog, FmSummaryOnDialog, FmLimitOnDialog, FmExtOnDialog;
FmNotifyFn FmPresetOnNotify, FmWatermarkOnNotify;
// Row 3's built-in functions with its dialog side: the adjustment bindings, the list operations
// that refresh the dialogs, the user quality settings; the others go to FmCmmOnBuiltInFunc.
FmBuiltInFuncFn FmColorOnBuiltInFunc;

// Row 5's window side, which its window-free handlers pass on: the chapter dialog's built-in
// functions 300-302 (1), the grey state of its delete button (notify code 3: 1 for that button,
// else 0) and the chapter dialog closed (notify code 25).
int FdChapterListFunc(DriverContext* ctx, WORD code);
int FdChapterGreyQuery(DriverContext* ctx, void* param);
void FdChapterDialogClosed(DriverContext* ctx, void* param);

#endif
