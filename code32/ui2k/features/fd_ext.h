// The extension dialogs of feature module 10: the filters on what a person types or pastes into
// the text fields of the job-type, authentication, network-key, billing-code and other dialogs,
// and the dialogs' own behaviour on OK, Apply and their buttons.
#pragma once

#include <cstdint>
#include <string_view>

#include "dialog_table.h"
#include "driver_context.h"

// What a field accepts of a typed character.
enum class FdCharClass : uint8_t {
  kAny,        // no filter
  kText1,      // 0x20-0x7E without the double quote and the colon
  kText2,      // 0x20-0x7E
  kPrintable,  // 0x20-0x7E
  kCode,       // digits, letters, '-' and DEL
  kNoQuote,    // everything but the double quote
  kBilling,    // 0x20-0xFF without the double quote
};

// How a field takes a paste.
enum class FdPasteRule : uint8_t {
  kNone,            // no rule of its own (the typed class and the guard still apply)
  kGuard,           // only the guard of the option's last byte
  kRefuse,          // never
  kNoDbcsText1,     // no double-byte character, each byte of text kind 1
  kAlnumHyphen,     // letters, digits and '-', no double-byte character
  kAlnum,           // letters and digits, no double-byte character
  kNoQuote,         // no double quote outside double-byte pairs
  kNoQuoteNoDbcs,   // no double quote and no double-byte character
};

struct FdFieldFilter {
  FdCharClass typed;
  FdPasteRule paste;
};

// The filter of a field of a dialog; kAny/kNone for a field without one.
FdFieldFilter FdFindFieldFilter(uint16_t dialogId, uint16_t controlId);
// 1 when the character may be typed into a field of the class (backspace always may).
int FdIsCharAccepted(FdCharClass typed, WCHAR ch);
// 1 when the clipboard text (ANSI bytes, the system code page) may be pasted into a field that
// holds fieldBytes bytes of an option of optionBytes bytes (0: the field has no option).
int FdIsPasteAccepted(const FdFieldFilter& filter, std::string_view clipboard, int fieldBytes, int optionBytes);

// The filters as the engine offers WM_CHAR and WM_PASTE: 1 when the character or paste is
// dropped.
int FdFilterTypedChar(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM ch);
int FdFilterPaste(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);

// Feature module 10's dialog handler (userData: the module's FmExtUserData of the context): 1
// when the message is consumed.
int FdHandleExtensionDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                            WPARAM wParam, LPARAM lParam, void* userData);
