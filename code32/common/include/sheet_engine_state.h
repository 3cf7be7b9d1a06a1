// The state the printer-interface module's sheet engine keeps in a context's work area: the
// open dialog's construction and refresh flags, the extra sheet buttons, the hand cursors, the
// hover tip, the rule-dialog guard and the composition of layered pictures. Zero at creation; only
// the sheet engine writes it.
#pragma once

#include <cstdint>

#include "win32/windows.h"

struct ModelItem;
struct SettingsImage;

// The hover tip: one per context.
struct UiHoverTip {
  HWND window;        // NULL for none
  uint16_t controlId;
  int32_t identity;   // the hovered combo item, else the anchor coordinate
  UINT_PTR timer;     // 0 when no tip is pending
  HWND anchor;        // the control window the tip belongs to
};

// The composition of layered pictures (resource and picture painters).
struct UiComposition {
  int32_t composing;
  HDC offscreenDc;
  HBITMAP previousBitmap;
  int32_t composedSample;
  int32_t sampleWidth;
  int32_t sampleHeight;
  HBITMAP handedOverBitmap;  // made by the preview painter, drawn when a source is 0
  int32_t layeredOnce;       // one-shot colour-balance draw set by the preview painter
  HDC targetDc;              // the caller's target device context of the composition
  int32_t colourAdjust[6];   // luminance, contrast, strength, red, green, blue; 50 neutral
  COLORREF background;       // the page colour of the composition
  HDC paintDc;               // the current paint DC of a control's WM_PAINT
};

struct SheetEngineState {
  uint16_t firstPageId;       // the first page that received WM_INITDIALOG
  uint16_t lastCommandId;     // low word of the last WM_COMMAND
  int32_t building;           // 1 from WM_INITDIALOG until the page layout is finished
  int32_t refreshGuard;       // 1 while UiRefreshDialog runs
  int32_t applying;           // 1 while PSN_APPLY runs
  int32_t applied;            // 1 after the Apply path ran (until the sheet is destroyed)
  int32_t mayChange;          // device sheet: 1 when the user may change the printer's settings
  int32_t lockWriteRequest;   // set by the administrator limitation dialog
  uint16_t followUpCode;      // of the file-dialog hook: 5001 export, 5002 load, 5003 delete
  uint16_t buttonTextId;      // text id of the push button being drawn or initialised
  HCURSOR handCursor;         // cursor 8000
  HCURSOR pressedHandCursor;  // cursor 8001
  HCURSOR savedCursor;        // the cursor replaced while a hand shows
  COLORREF buttonFace;        // the button-face colour (its brush: the work area's gdiObjects[0])
  HMENU whatsThisMenu;        // popup of the document sheet (HTML help only)
  HWND whatsThisWindow;       // the control window the menu was opened for
  SettingsImage* backupImage; // copy of the settings taken when the device's trays were applied
  UiHoverTip tip;
  int32_t ruleGuardActive;    // while set, the guarded item's Transact is not run again
  const ModelItem* ruleGuardItem;
  UiComposition composition;
  HMODULE commonResLibrary;   // loaded on first use
  void* savedConfigValues;    // the maintenance dialog's saved {row, value} pairs, else NULL
  WCHAR chosenFilePath[1025]; // the last accepted file dialog's path (folder and names for several)
};
