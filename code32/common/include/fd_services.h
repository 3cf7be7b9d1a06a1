// What the core uses of the feature dialogs: their message boxes and progress window, and the
// dialog-side handlers that the printer-interface module puts into the feature-module rows;
// and the sheet engine's page hook that the dialog-message broadcast asks first.
//
// The settings and graphics modules (ZOLT_WINDOW_BUILD=0) show no message boxes and no
// progress window: every call answers 0 (the progress window NULL) without doing anything, so
// the operation that would show a message ends the same way without it. A caller that stops
// on Cancel goes on, since 0 is neither OK nor Cancel.
#pragma once

#include <string>
#include <vector>

#include "driver_context.h"
#include "feature_modules.h"

// Message-box results.
constexpr int kFdIdOk = 1;
constexpr int kFdIdCancel = 2;

// Message-box type bits the services use.
constexpr WORD kFdIconWarning = 0x30;
constexpr WORD kFdIconInformation = 0x40;

// All take the context for its resource library and printer name (the caption); a NULL owner
// is replaced by the active window.
// Warning icon, OK button, the resource string of the id as text.
int FdShowWarning(DriverContext* ctx, HWND owner, WORD stringId);
// As FdShowWarning with OK and Cancel: kFdIdOk or kFdIdCancel.
int FdAskWarningOkCancel(DriverContext* ctx, HWND owner, WORD stringId);
// The resource string of the id with the given type bits.
int FdShowMessageStyled(DriverContext* ctx, HWND owner, WORD stringId, WORD typeBits, WORD extraFlags);
// Warning icon; the resource string of the id is a format whose one string argument is text.
int FdShowMessageWithText(DriverContext* ctx, HWND owner, UINT stringId, const WCHAR* text);
// The modeless progress window showing the resource string of the id; NULL when none.
HWND FdShowProgressDialog(DriverContext* ctx, HWND owner, WORD stringId);
BOOL FdCloseProgressDialog(HWND owner, HWND dialog);

// The sheet engine's built-in first member of the dialog-message chain: sets the initial
// labels of pages 1003, 1004 and 1011 when they are initialised; never consumes a message
// (always 0).
FmPageHookFn UiSetInitialPageLabels;

#if ZOLT_WINDOW_BUILD
// Dialog-side handlers of the ten rows, and the notify handlers that rows 1 and 2 have only on
// the dialog side. Each accepts messages of dialogs that are not its own and answers 0 for them.
FmDialogFn FdPresetOnDialog, FdStampOnDialog, FdCmmOnDialog, FdFreeSizeOnDialog, FdChapterOnDialog,
    FdOptionsOnDialog, FdTtfOnDialog, FdSummaryOnDialog, FdLimitOnDialog, FdExtOnDialog;
FmNotifyFn FdPresetOnNotify, FdStampOnNotify;

// STAND-IN until the feature dialogs exist: the message boxes of the window build record each
// call instead of showing anything, and answer what a test sets. The progress window is real;
// its calls are recorded too, so that tests see the order of boxes and progress.
enum class FdCallKind { kWarning, kOkCancel, kStyled, kWithText, kShowProgress, kCloseProgress };
struct FdRecordedCall {
  FdCallKind kind;
  const DriverContext* ctx;
  HWND owner;
  UINT stringId;
  WORD typeBits;    // message-box type bits (kStyled, and the fixed icon of the others)
  WORD extraFlags;  // kStyled only
  std::u16string text;  // kWithText only: the argument
  HWND dialog;          // the progress window shown or closed
};
// The calls since the last reset, oldest first.
std::vector<FdRecordedCall> FdStandInCalls();
// Forgets the calls and answers kFdIdOk again.
void FdStandInReset();
// The answer of the next message boxes (kFdIdOk until set; 0 stands for a box that could not
// be shown).
void FdStandInSetAnswer(int answer);
#endif
