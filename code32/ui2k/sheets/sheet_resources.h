// Pictures and resources of the sheets: the two resource libraries (language and
// language-neutral), bitmaps and icons taken from them, BMP files, transparent and recoloured
// drawing of pictures over the page, off-screen composition of several pictures, the palette of
// palette displays and the owner-drawn panel buttons.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dialog_table.h"
#include "driver_context.h"
#include "win32/windows.h"

// ---- Tables ----------------------------------------------------------------------------------

// Which library holds a bitmap id: rows searched in order, the first match wins; ended by a row
// whose first id is 0.
struct BitmapRangeEntry {
  uint32_t firstId;
  uint32_t lastId;
  uint32_t library;  // kBitmapLanguageLibrary or kBitmapNeutralLibrary
};
constexpr uint32_t kBitmapLanguageLibrary = 0;
constexpr uint32_t kBitmapNeutralLibrary = 1;
extern const BitmapRangeEntry kBitmapRangeTable[13];

// Where a picture goes: one row per bitmap id in id order, ended by id 0.
struct PictureLayoutEntry {
  uint16_t bitmapId;
  uint16_t underlayId;  // drawn first, 0 for none
  int16_t x;            // offsets added to the picture's position
  int16_t y;
  uint32_t flags;       // ORed into the caller's flags (kPicture...)
  uint16_t width;       // also the clickable area of a value picture
  uint16_t height;
  uint32_t kind;        // kPictureKindPageColour: value replaces the page colour for this draw
  uint32_t value;
};
constexpr uint32_t kPictureKindPageColour = 3;
// The table and the first row of an id (NULL when there is none).
const PictureLayoutEntry* UiGetPictureLayoutTable();
const PictureLayoutEntry* UiFindPictureLayout(uint16_t bitmapId);

// Placement and draw flags of UiDrawPicture and UiDrawBitmap.
enum : DWORD {
  kPictureOverScreen = 0x1,     // over the current screen content, no page background
  kPictureSample = 0x2,         // sample picture: recoloured, fills the composition
  kPictureOpaque = 0x4,         // plain copy, no transparency
  kPictureCentreX = 0x10,
  kPictureRight = 0x20,
  kPictureCentreY = 0x40,
  kPictureBottom = 0x80,
  kPictureCentred = 0x50,
  kPictureOverUnderlay = 0x1000,  // the underlay is ANDed, the picture drawn over the screen
  kPictureRopAnd = 0x2000,        // final operation SRCAND
  kPictureRopMergePaint = 0x4000,  // final operation MERGEPAINT
};

// The colour that marks transparent pixels of pictures of more than 4 bits per pixel.
constexpr COLORREF kPictureKeyColour = 0x3300CC;

// ---- Per-context state ---------------------------------------------------------------------

// The six colour adjustments of sample pictures, 0-100 each, 50 neutral.
enum : int { kAdjustLuminance, kAdjustContrast, kAdjustStrength, kAdjustRed, kAdjustGreen, kAdjustBlue };
constexpr int kColourAdjustCount = 6;

// What the pictures of a context keep between calls besides the composition (which lives in the
// work area's picture slots): colour adjustments, the DC of the control being painted, the page
// colour, the one-shot layered draw and the text id of the push button being drawn.
struct UiPictureState {
  int32_t colourAdjust[kColourAdjustCount];
  HDC paintDC;               // set while a control paints; NULL otherwise
  COLORREF pageColour;
  int32_t pageColourSet;     // 0: the page colour is the system's button face
  int32_t layeredOnce;       // the next UiDrawPicture goes through UiDrawBitmapLayered
  uint16_t buttonTextId;
  POINT compositionOrigin;   // where the off-screen picture goes in the first draw's DC
};
// The context's record, made on first use (adjustments 50, nothing else set). NULL without a
// context or a work area.
UiPictureState* UiGetPictureState(DriverContext* ctx);
// Ends the record of a context (frees a pending composition and a handed-over bitmap).
void UiFreePictureState(DriverContext* ctx);

void UiSetPaintDC(DriverContext* ctx, HDC dc);
void UiSetPageColour(DriverContext* ctx, COLORREF colour);
COLORREF UiGetPageColour(DriverContext* ctx);
// Sets the six adjustments (NULL: back to neutral).
void UiSetColourAdjust(DriverContext* ctx, const int32_t* values);
// The next UiDrawPicture goes through UiDrawBitmapLayered.
void UiSetLayeredDraw(DriverContext* ctx);
// A bitmap made by the caller, drawn (and deleted) by the next UiDrawBitmap with source 0.
void UiHandOverBitmap(DriverContext* ctx, HBITMAP bitmap);
// The off-screen DC while composing after the first draw, else NULL.
HDC UiGetCompositionDC(DriverContext* ctx);

// The text id of the push button being drawn: from the button-text table by control id.
void UiSetButtonTextId(DriverContext* ctx, const ControlDescriptor* control);
void UiClearButtonTextId(DriverContext* ctx);
struct ButtonTextEntry {
  uint16_t controlId;
  uint16_t stringId;  // kButtonNoText: no text
};
constexpr uint16_t kButtonNoText = 0xFFFF;
extern const ButtonTextEntry kButtonTextTable[];

// ---- Libraries, bitmaps, icons, files --------------------------------------------------------

HMODULE UiLoadCommonResDll(DriverContext* ctx);
HBITMAP UiLoadBitmap(DriverContext* ctx, uint16_t id);
HGLOBAL UiLoadBitmapResource(DriverContext* ctx, uint16_t id);
HBITMAP UiLoadBitmapByName(DriverContext* ctx, const WCHAR* name);
void UiDrawIcon(DriverContext* ctx, HDC dc, int x, int y, uint16_t iconId);
void UiDrawIconInWindow(DriverContext* ctx, HWND window, uint16_t iconId);
// A BMP file as a bitmap of the display; width and height 0 on failure.
HBITMAP UiLoadBmpFile(const WCHAR* path, int* width, int* height);
// Reads count bytes from file into the memory block in pieces of at most 16384 bytes. 1 when
// all were read, 0 otherwise (short file, block too small, no block).
int UiReadFileChunks(HFILE file, HGLOBAL memory, DWORD count);

// A packed device-independent bitmap as a resource or a file holds it, checked against its size:
// header, colour table and bits (run-length data walked to its end without leaving the
// buffer). The pointers point into the checked data.
struct UiDibView {
  BITMAPINFOHEADER header;
  int width;
  int height;      // rows, positive
  bool topDown;
  int bitCount;
  DWORD compression;
  DWORD colourCount;  // entries of the colour table (0 above 8 bits per pixel)
  DWORD masks[3];     // of BI_BITFIELDS bitmaps
  const BYTE* bits;
  size_t bitsSize;
  size_t infoSize;    // header, masks and colour table as stored
  RGBQUAD colours[256];
  int firstPixelIndex;  // colour index of the bottom-left pixel (<= 8 bits), -1 when no run sets it
};
// 1 when data (size bytes) is a bitmap the pictures can draw, 0 when it is damaged.
int UiCheckDib(const void* data, size_t size, UiDibView* out);

// ---- Drawing -------------------------------------------------------------------------------

// source: 0 the handed-over bitmap; below 0x10000 a bitmap id; else a UTF-16 text, a file path
// when its second character is ':', else a resource name of the language-neutral library.
using UiBitmapSource = ULONG_PTR;

void UiDrawPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window,
                   const RECT* rect, uint16_t bitmapId, DWORD flags, DWORD state);
void UiDrawBitmap(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC dc, const RECT* rect,
                  int x, int y, UiBitmapSource source, DWORD flags, DWORD state);
void UiDrawBitmapLayered(DriverContext* ctx, HDC dc, const RECT* rect, int x, int y, uint16_t bitmapId, DWORD flags);
void UiBeginComposition(DriverContext* ctx);
void UiEndComposition(DriverContext* ctx, HWND window, const RECT* rect);
COLORREF UiAdjustColour(DriverContext* ctx, COLORREF colour, int grey);
// With the six values given directly (the arithmetic of UiAdjustColour).
COLORREF UiAdjustColourBy(const int32_t* values, COLORREF colour, int grey);
HANDLE UiPaletteEntry(HDC dc, int index, COLORREF colour);
int UiGetComctlVersion();
HDC UiGetPaintDC(DriverContext* ctx, HWND window);
void UiReleasePaintDC(DriverContext* ctx, HWND window, HDC dc);

// ---- Panel buttons -------------------------------------------------------------------------

enum : DWORD {
  kPanelEdge = 2,    // low nibble: two-pixel 3-D edge
  kPanelArrows = 4,  // low nibble: arrow bitmaps in the quarters
};
constexpr uint16_t kArrowBitmapUp = 220;
constexpr uint16_t kArrowBitmapDown = 221;
constexpr uint16_t kArrowBitmapBoth = 222;

int UiDrawPanelButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window, HDC dc,
                      const RECT* rect, DWORD style, int pressed, int focused);
void UiFillFrame(HDC dc, const RECT* rect, COLORREF colour);
