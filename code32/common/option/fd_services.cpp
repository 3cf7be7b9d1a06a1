// The feature dialogs' services that the core calls: message boxes, the progress window, the
// dialog-side handlers of the feature-module rows and the sheet engine's page hook.
//
// Window-free builds: no message box, no progress window, no dialog; every call answers 0.
// Window build: the message boxes are the platform's, composed here; the progress window is a
// modeless dialog of the language library. The dialog-side handlers and the page hook belong to
// the printer-interface module.
#include "fd_services.h"

#if ZOLT_WINDOW_BUILD
#include "core_memory.h"
#include "env_language.h"
#include "settings_paths.h"
#endif

#if !ZOLT_WINDOW_BUILD

int FdComposeMessageBox(DriverContext*, const MessageRequest*, HWND) { return 0; }
int FdShowMessage(DriverContext*, HWND, WORD, WORD) { return 0; }
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

// ---- Message boxes ---------------------------------------------------------------------------

namespace {

constexpr int kTextChars = 1024;    // the resource string of a message, as loaded
constexpr int kCaptionChars = 261;  // a caption string
constexpr DWORD kBaseBytes = 2048;
constexpr DWORD kBytesPerNumber = 32;
constexpr int kMaxNumbers = 8;
constexpr WCHAR kEmptyLine[] = u"\r\n\r\n";
// The three empty lines of the framing (after the prefix, around the suffix) have their room
// too, so the longest message with both still fits its buffer.
constexpr DWORD kFramingBytes = 3 * 4 * sizeof(WCHAR);

DWORD TextBytes(const WCHAR* text) { return text ? 2 * DWORD(lstrlenW(text)) + 2 : 0; }

// Appends text to a buffer of capacity characters that holds *used of them and a NUL.
void Append(WCHAR* buffer, size_t capacity, size_t* used, const WCHAR* text) {
  for (; *text && *used + 1 < capacity; ++text) buffer[(*used)++] = *text;
  buffer[*used] = u'\0';
}

constexpr WORD kProgressTemplate = 4006;  // ZPD_IDD_DLG_STATUS of the language library
constexpr int kProgressTextItem = 5005;

}  // namespace

int FdComposeMessageBox(DriverContext* ctx, const MessageRequest* request, HWND owner) {
  if (!ctx || !request) return 0;
  const WORD mode = request->argumentMode;
  if (mode == kFdArgumentNone && request->argument) return 0;
  if (mode == kFdArgumentNumbers && request->numberCount == 0) return 0;
  // A text argument of NULL is an empty text; numbers need their array.
  const WCHAR* textArgument = mode == kFdArgumentText && request->argument
                                  ? static_cast<const WCHAR*>(request->argument)
                                  : u"";
  const auto* numbers = static_cast<const WORD*>(request->argument);
  if (mode == kFdArgumentNumbers && !numbers) return 0;

  DWORD bytes = kBaseBytes + kFramingBytes + TextBytes(request->prefix) + TextBytes(request->suffix);
  if (mode == kFdArgumentText) bytes += TextBytes(textArgument);
  if (mode == kFdArgumentNumbers) bytes += kBytesPerNumber * request->numberCount;
  auto* message = static_cast<WCHAR*>(CtxAllocMem(bytes));
  auto* formatted = static_cast<WCHAR*>(CtxAllocMem(bytes));
  auto* resource = static_cast<WCHAR*>(CtxAllocMem(bytes));
  int result = 0;
  if (message && formatted && resource) {
    const size_t capacity = bytes / sizeof(WCHAR);
    WCHAR caption[kCaptionChars] = {};
    if (request->captionId) {
      EnvLoadString(ctx, request->captionId, caption, kCaptionChars, 1);
    } else if (const WCHAR* printer = PrnGetName(ctx)) {
      lstrcpynW(caption, printer, kCaptionChars);
    }

    size_t used = 0;
    if (request->prefix) {
      Append(message, capacity, &used, request->prefix);
      Append(message, capacity, &used, kEmptyLine);
    }
    EnvLoadString(ctx, request->textId, resource, kTextChars, 1);
    if (mode == kFdArgumentNone) {
      Append(message, capacity, &used, resource);
    } else {
      // The formats are the library's own; conversions beyond the arguments given read empty
      // texts or zeros rather than whatever lies beyond.
      if (mode == kFdArgumentText) {
        wsprintfW(formatted, resource, textArgument, u"", u"", u"", u"", u"", u"", u"");
      } else {
        unsigned n[kMaxNumbers] = {};
        const int count = request->numberCount > kMaxNumbers ? 1 : request->numberCount;
        for (int i = 0; i < count; ++i) n[i] = numbers[i];
        wsprintfW(formatted, resource, n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]);
      }
      Append(message, capacity, &used, formatted);
    }
    if (request->suffix) {
      Append(message, capacity, &used, kEmptyLine);
      Append(message, capacity, &used, request->suffix);
      Append(message, capacity, &used, kEmptyLine);
    }
    result = MessageBoxW(owner, message, caption, UINT(request->boxFlags) | request->boxType);
  }
  MdlFreeMem(message);
  MdlFreeMem(formatted);
  MdlFreeMem(resource);
  return result;
}

int FdShowMessage(DriverContext* ctx, HWND owner, WORD stringId, WORD boxFlags) {
  return FdShowMessageStyled(ctx, owner, stringId, kFdIconWarning, boxFlags);
}

int FdShowWarning(DriverContext* ctx, HWND owner, WORD stringId) {
  return FdShowMessage(ctx, owner, stringId, kFdButtonsOk);
}

int FdAskWarningOkCancel(DriverContext* ctx, HWND owner, WORD stringId) {
  return FdShowMessage(ctx, owner, stringId, kFdButtonsOkCancel);
}

int FdShowMessageStyled(DriverContext* ctx, HWND owner, WORD stringId, WORD typeBits, WORD extraFlags) {
  MessageRequest request{};
  request.textId = stringId;
  request.boxType = typeBits;
  request.boxFlags = extraFlags;
  return FdComposeMessageBox(ctx, &request, owner ? owner : GetActiveWindow());
}

int FdShowMessageWithText(DriverContext* ctx, HWND owner, UINT stringId, const WCHAR* text) {
  MessageRequest request{};
  request.textId = WORD(stringId);
  request.boxType = kFdIconWarning;
  request.boxFlags = kFdButtonsOk;
  request.argumentMode = kFdArgumentText;
  request.argument = text ? text : u"";
  return FdComposeMessageBox(ctx, &request, owner ? owner : GetActiveWindow());
}

// ---- Progress window -------------------------------------------------------------------------

HWND FdShowProgressDialog(DriverContext* ctx, HWND, WORD stringId) {
  // Modeless, without a dialog procedure, owned by the active window. The window is not
  // tested: when it could not be made, the text calls do nothing.
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
  return dialog;
}

BOOL FdCloseProgressDialog(HWND, HWND dialog) { return dialog ? DestroyWindow(dialog) : FALSE; }

#endif  // ZOLT_WINDOW_BUILD
