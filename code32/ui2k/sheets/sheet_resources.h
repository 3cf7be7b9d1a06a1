// Pictures and resources of the sheets: the two resource libraries (language and
// language-neutral), bitmaps and icons taken from them, BMP files, transparent and recoloured
// drawing of pictures over the page, off-screen composition of several pictures, the palette of
// palette displays and the owner-drawn panel buttons.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dialog_table.h"
#include "driver_context.h"
#include "sheet_engine.h"
#include "win32/windows.h"

// ---- Tables ----------------------------------------------------------------------------------

// Which library holds a bitmap id (BitmapRangeEntry rows): searched in order, the first match
// wins; ended by a row whose first id is 0.
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

// The six colour adjustments of sample pictures (UiComposition::colourAdjust), 0-100 each, 50
// neutral; all six 0 (a context whose pictures never set them) counts as neutral.
enum : int { kAdjustLuminance, kAdjustContrast, kAdjustStrength, kAdjustRed, kAdjustGreen, kAdjustBlue };
constexpr int kColourAdjustCount = 6;

// The page colour: the composition's background, else the engine's button face, else the
// system's button face.
void UiSetPageColour(DriverContext* ctx, COLORREF colour);
COLORREF UiGetPageColour(DriverContext* ctx);
// Sets the six adjustments (NULL: back to neutral).
void UiSetColourAdjust(DriverContext* ctx, const int32_t* values);
// A bitmap made by the caller, drawn (and deleted) by the next UiDrawBitmap with source 0.
void UiHandOverBitmap(DriverContext* ctx, HBITMAP bitmap);
// The off-screen DC while composing after the first draw, else NULL.
HDC UiGetCompositionDC(DriverContext* ctx);
// Frees what the pictures of a context hold: a pending composition and a handed-over bitmap.
void UiFreePictures(DriverContext* ctx);

// ---- Libraries, bitmaps, icons, files --------------------------------------------------------

// The loaders, icons and drawing functions are declared in sheet_engine.h.
//
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

// The source of UiDrawBitmap (an HBITMAP-sized word): 0 the handed-over bitmap; below 0x10000 a
// bitmap id; else a UTF-16 text, a file path when its second character is ':', else a resource
// name of the language-neutral library.
inline HBITMAP UiBitmapId(uint16_t id) { return reinterpret_cast<HBITMAP>(static_cast<ULONG_PTR>(id)); }
inline HBITMAP UiBitmapText(const WCHAR* text) { return reinterpret_cast<HBITMAP>(const_cast<WCHAR*>(text)); }

// The arithmetic of UiAdjustColour with the six values given.
COLORREF UiAdjustColourBy(const int32_t* values, COLORREF colour, int grey);

// ---- Panel buttons -------------------------------------------------------------------------

enum : DWORD {
  kPanelEdge = 2,    // low nibble: two-pixel 3-D edge
  kPanelArrows = 4,  // low nibble: arrow bitmaps in the quarters
};
constexpr uint16_t kArrowBitmapUp = 220;
constexpr uint16_t kArrowBitmapDown = 221;
constexpr uint16_t kArrowBitmapBoth = 222;

// UiDrawPanelButton and UiFillFrame are declared in sheet_engine.h.
