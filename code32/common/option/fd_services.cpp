// The feature dialogs' services that the core calls: message boxes, the progress window, the
// dialog-side handlers of the feature-module rows and the sheet engine's page hook.
//
// Window-free builds: no message box, no progress window, no dialog; every call answers 0.
// Window build: the progress window is a real modeless dialog; the message boxes are still a
// recording stand-in (below) and the dialog-side handlers answer "not handled".
#include "fd_services.h"

#if ZOLT_WINDOW_BUILD
#include <mutex>

#include "env_language.h"
#include "settings_paths.h"
#endif

#if !ZOLT_WINDOW_BUILD

int FdShowWarning(DriverContext*, HWND, WORD) { return 0; }
int FdAskWarningOkCancel(DriverContext*, HWND, WORD) { return 0; }
int FdShowMessageStyled(DriverContext*, HWND, WORD, WORD, WORD) { return 0; }
int FdShowMessageWithText(DriverContext*, HWND, UINT, const WCHAR*) { return 0; }
HWND FdShowProgressDialog(DriverContext*, HWND, WORD) { return nullptr; }
BOOL FdCloseProgressDialog(HWND, HWND) { return FALSE; }

// No pages exist here.
int UiSetInitialPageLabels(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM) {
  return 0;
}

#else  // ZOLT_WINDOW_BUILD

// ---- STAND-IN until the feature dialogs exist ------------------------------------------------
//
// Each message box is recorded with what it would have shown and answers the test's chosen
// answer. The progress window is real; its calls are recorded too, in the same order.

namespace {

constexpr WORD kMbOkCancel = 0x1;
constexpr WORD kProgressTemplate = 4006;  // ZPD_IDD_DLG_STATUS of the language library
constexpr int kProgressTextItem = 5005;

struct StandIn {
  std::mutex lock;
  std::vector<FdRecordedCall> calls;
  int answer = kFdIdOk;
};

StandIn& State() {
  static StandIn state;
  return state;
}

void Record(FdRecordedCall call) {
  StandIn& s = State();
  std::lock_guard guard(s.lock);
  s.calls.push_back(std::move(call));
}

int RecordBox(FdRecordedCall call) {
  Record(std::move(call));
  StandIn& s = State();
  std::lock_guard guard(s.lock);
  return s.answer;
}

}  // namespace

int FdShowWarning(DriverContext* ctx, HWND owner, WORD stringId) {
  return RecordBox({FdCallKind::kWarning, ctx, owner, stringId, kFdIconWarning, 0, {}, nullptr});
}

int FdAskWarningOkCancel(DriverContext* ctx, HWND owner, WORD stringId) {
  const int answer =
      RecordBox({FdCallKind::kOkCancel, ctx, owner, stringId, kFdIconWarning | kMbOkCancel, 0, {}, nullptr});
  // An OK/Cancel box answers one of its two buttons, or 0 when it could not be shown.
  return answer == kFdIdOk || answer == kFdIdCancel ? answer : 0;
}

int FdShowMessageStyled(DriverContext* ctx, HWND owner, WORD stringId, WORD typeBits, WORD extraFlags) {
  return RecordBox({FdCallKind::kStyled, ctx, owner, stringId, typeBits, extraFlags, {}, nullptr});
}

int FdShowMessageWithText(DriverContext* ctx, HWND owner, UINT stringId, const WCHAR* text) {
  return RecordBox({FdCallKind::kWithText, ctx, owner, stringId, kFdIconWarning, 0, text ? text : u"", nullptr});
}

HWND FdShowProgressDialog(DriverContext* ctx, HWND owner, WORD stringId) {
  // Modeless, without a dialog procedure, owned by the active window; nothing pumps its
  // messages while it is up. A dialog that could not be made takes the text calls as nothing.
  HMODULE library = ctx ? EnvLoadResourceDll(ctx) : nullptr;
  HWND dialog = library ? CreateDialogParamW(library, MAKEINTRESOURCEW(kProgressTemplate), GetActiveWindow(),
                                             nullptr, 0)
                        : nullptr;
  if (ctx && ctx->workArea) {
    WCHAR* text = ctx->workArea->scratchText;
    EnvLoadString(ctx, stringId, text, kCtxScratchChars, 1);
    const WCHAR* printer = PrnGetName(ctx);
    SetWindowTextW(dialog, printer ? printer : u"");
    SetDlgItemTextW(dialog, kProgressTextItem, text);
  }
  Record({FdCallKind::kShowProgress, ctx, owner, stringId, 0, 0, {}, dialog});
  return dialog;
}

BOOL FdCloseProgressDialog(HWND owner, HWND dialog) {
  Record({FdCallKind::kCloseProgress, nullptr, owner, 0, 0, 0, {}, dialog});
  return dialog ? DestroyWindow(dialog) : FALSE;
}

std::vector<FdRecordedCall> FdStandInCalls() {
  StandIn& s = State();
  std::lock_guard guard(s.lock);
  return s.calls;
}

void FdStandInReset() {
  StandIn& s = State();
  std::lock_guard guard(s.lock);
  s.calls.clear();
  s.answer = kFdIdOk;
}

void FdStandInSetAnswer(int answer) {
  StandIn& s = State();
  std::lock_guard guard(s.lock);
  s.answer = answer;
}

// ---- dialog side, until the feature dialogs and the sheet engine exist --------------------------
//
// No dialog of a feature module can be open yet, so every message belongs to a dialog that is
// not the handler's own: "not handled".

int FdPresetOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }
int FdStampOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }
int FdCmmOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }
int FdFreeSizeOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
int FdChapterOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
int FdOptionsOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
int FdTtfOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }
int FdSummaryOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
int FdLimitOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }
int FdExtOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }

// The preset and watermark dialogs' notify handlers have nothing to do while their dialogs
// cannot be shown.
int FdPresetOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
int FdStampOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }

// The pages whose labels this sets cannot be opened yet; it never consumes a message anyway.
int UiSetInitialPageLabels(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM) {
  return 0;
}

#endif  // ZOLT_WINDOW_BUILD
