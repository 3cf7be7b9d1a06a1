// The TrueType font substitution dialogs (ZPD_IDD_TTF 1009 and ZPD_IDD_DIALOG_USER_TTF 4004),
// and the font-family enumeration that the watermark dialogs use to fill their font combo boxes.
// The table itself and the device fonts are the core's (fm_options_fonts.h).
#pragma once

#include "fd_services.h"
#include "fm_modules_5_8.h"
#include "fm_options_fonts.h"
#include "win32/windows.h"

// Controls of both dialogs.
enum : uint16_t {
  kFdCtlFontPairs = 2385,     // owner-drawn list: TrueType families with their substitutes
  kFdCtlDeviceFonts = 2384,   // owner-drawn list: device fonts
  kFdCtlFontDefault = 2386,   // back to the default table
  kFdCtlFontSelected = 2383,  // shows the selected family
  kFdCtlFontSelected2 = 2291,
};

// A line of the substitution list: the face padded with blanks to 31 characters, " > ", the
// device font. The device font starts at character 34; the face is read back from the first 32.
constexpr int kFdFontLineDeviceAt = 34;
constexpr int kFdFontLineFaceChars = 32;
constexpr int kFdFontLineChars = 96;  // a line and its terminator

// What FdFontEnumProc is given as its LPARAM.
struct FdFontEnumParam {
  DriverContext* ctx;
  HWND control;  // the substitution list (kFdCtlFontPairs) or a font combo box
  WCHAR* text;   // kFdFontLineChars characters of scratch
};

// The EnumFontFamiliesW callback: TrueType families other than vertical faces ("@") become a
// line of the substitution list, or an item of a font combo box whose data is its index.
// Always 1 (go on).
int CALLBACK FdFontEnumProc(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM param);

// Builds the substitution line of a face into out (kFdFontLineChars characters).
void FdBuildFontLine(const WCHAR* face, const WCHAR* device, WCHAR* out);

// Stores the lines of the list whose device font is not the default substitute as the table.
void FdSaveFontTable(DriverContext* ctx, HWND list);

// The dialog procedure of both dialogs; 1 when the message was taken.
int FdFontDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                     WPARAM wParam, LPARAM lParam);
