// The graphics interface of the platform: device contexts, drawing objects, bitmaps, regions,
// paths, fonts and text, and the device-mode record that printers, applications and the
// spooler pass around.
//
// DEVMODEW is a stored and exchanged record: its published layout is fixed (220 bytes in the
// current version, 188 in the oldest wide version, 212 in the one between) and every field keeps
// its offset on this 64-bit build. A driver's private data follows the public part at dmSize,
// dmDriverExtra bytes long. The bitmap, font and region records keep the platform's layouts
// (checked below); records with a pointer (BITMAP, LOGBRUSH, EXTLOGPEN, DIBSECTION, ICONINFO)
// take its 8 bytes on this build.
#pragma once

#include <cstddef>

#include "win32/base.h"
#include "win32/codepage.h"

#ifndef ZOLT_POINTL_DECLARED
#define ZOLT_POINTL_DECLARED
typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL, *PPOINTL;
#endif

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// dmSpecVersion of the current layout.
#define DM_SPECVERSION 0x0401

typedef struct _devicemodeW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {  // printers
      SHORT dmOrientation;
      SHORT dmPaperSize;
      SHORT dmPaperLength;
      SHORT dmPaperWidth;
      SHORT dmScale;
      SHORT dmCopies;
      SHORT dmDefaultSource;
      SHORT dmPrintQuality;
    };
    struct {  // displays
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  SHORT dmColor;
  SHORT dmDuplex;
  SHORT dmYResolution;
  SHORT dmTTOption;
  SHORT dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;  // the 188-byte layout ends here
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;  // the 212-byte layout ends here
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
} DEVMODEW, *PDEVMODEW, *NPDEVMODEW, *LPDEVMODEW;

static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == 66);
static_assert(offsetof(DEVMODEW, dmSize) == 68);
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmPrintQuality) == 90);
static_assert(offsetof(DEVMODEW, dmDisplayFixedOutput) == 88);
static_assert(offsetof(DEVMODEW, dmColor) == 92);
static_assert(offsetof(DEVMODEW, dmCollate) == 100);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmNup) == 180);
static_assert(offsetof(DEVMODEW, dmDisplayFrequency) == 184);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(offsetof(DEVMODEW, dmReserved2) == 208);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212);
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216);

// ---------------------------------------------------------------------------------------------
// Colours, points and sizes.

typedef DWORD COLORREF;
typedef DWORD* LPCOLORREF;
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))
#define PALETTEINDEX(i) ((COLORREF)(0x01000000 | (DWORD)(WORD)(i)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF
#ifndef ERROR_CAN_NOT_COMPLETE
#define ERROR_CAN_NOT_COMPLETE 1003L
#endif
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HANDLE)(LONG_PTR)-1)

#ifndef ZOLT_SIZEL_RECTL_DECLARED
#define ZOLT_SIZEL_RECTL_DECLARED
typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *PSIZE, *LPSIZE, SIZEL, *PSIZEL, *LPSIZEL;
typedef struct _RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECTL, *PRECTL, *LPRECTL;
#endif

typedef struct tagXFORM {
  FLOAT eM11;
  FLOAT eM12;
  FLOAT eM21;
  FLOAT eM22;
  FLOAT eDx;
  FLOAT eDy;
} XFORM, *PXFORM, *LPXFORM;

// ---------------------------------------------------------------------------------------------
// Bitmaps.

#pragma pack(push, 1)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER, *PBITMAPFILEHEADER, *LPBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER, *PBITMAPCOREHEADER, *LPBITMAPCOREHEADER;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagCIEXYZ {
  LONG ciexyzX;
  LONG ciexyzY;
  LONG ciexyzZ;
} CIEXYZ;
typedef struct tagCIEXYZTRIPLE {
  CIEXYZ ciexyzRed;
  CIEXYZ ciexyzGreen;
  CIEXYZ ciexyzBlue;
} CIEXYZTRIPLE;

typedef struct {
  DWORD bV4Size;
  LONG bV4Width;
  LONG bV4Height;
  WORD bV4Planes;
  WORD bV4BitCount;
  DWORD bV4V4Compression;
  DWORD bV4SizeImage;
  LONG bV4XPelsPerMeter;
  LONG bV4YPelsPerMeter;
  DWORD bV4ClrUsed;
  DWORD bV4ClrImportant;
  DWORD bV4RedMask;
  DWORD bV4GreenMask;
  DWORD bV4BlueMask;
  DWORD bV4AlphaMask;
  DWORD bV4CSType;
  CIEXYZTRIPLE bV4Endpoints;
  DWORD bV4GammaRed;
  DWORD bV4GammaGreen;
  DWORD bV4GammaBlue;
} BITMAPV4HEADER, *PBITMAPV4HEADER, *LPBITMAPV4HEADER;

typedef struct {
  DWORD bV5Size;
  LONG bV5Width;
  LONG bV5Height;
  WORD bV5Planes;
  WORD bV5BitCount;
  DWORD bV5Compression;
  DWORD bV5SizeImage;
  LONG bV5XPelsPerMeter;
  LONG bV5YPelsPerMeter;
  DWORD bV5ClrUsed;
  DWORD bV5ClrImportant;
  DWORD bV5RedMask;
  DWORD bV5GreenMask;
  DWORD bV5BlueMask;
  DWORD bV5AlphaMask;
  DWORD bV5CSType;
  CIEXYZTRIPLE bV5Endpoints;
  DWORD bV5GammaRed;
  DWORD bV5GammaGreen;
  DWORD bV5GammaBlue;
  DWORD bV5Intent;
  DWORD bV5ProfileData;
  DWORD bV5ProfileSize;
  DWORD bV5Reserved;
} BITMAPV5HEADER, *PBITMAPV5HEADER, *LPBITMAPV5HEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagRGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
} RGBTRIPLE, *PRGBTRIPLE, *LPRGBTRIPLE;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION, *LPDIBSECTION, *PDIBSECTION;

static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPV4HEADER) == 108);
static_assert(sizeof(BITMAPV5HEADER) == 124);
static_assert(sizeof(RGBQUAD) == 4 && sizeof(RGBTRIPLE) == 3);
static_assert(sizeof(BITMAPINFO) == 44);
static_assert(sizeof(BITMAP) == 32);  // 24 on the 32-bit platform: bmBits is a pointer

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define BI_JPEG 4L
#define BI_PNG 5L

#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define CBM_INIT 0x04L

// ---------------------------------------------------------------------------------------------
// Pens, brushes, palettes.

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

typedef struct tagLOGBRUSH32 {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG lbHatch;
} LOGBRUSH32;

typedef struct tagEXTLOGPEN {
  DWORD elpPenStyle;
  DWORD elpWidth;
  UINT elpBrushStyle;
  COLORREF elpColor;
  ULONG_PTR elpHatch;
  DWORD elpNumEntries;
  DWORD elpStyleEntry[1];
} EXTLOGPEN, *PEXTLOGPEN, *LPEXTLOGPEN;

typedef struct tagPALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY, *PPALETTEENTRY, *LPPALETTEENTRY;

typedef struct tagLOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
} LOGPALETTE, *PLOGPALETTE, *LPLOGPALETTE;

static_assert(sizeof(LOGPEN) == 16 && sizeof(LOGBRUSH32) == 12 && sizeof(PALETTEENTRY) == 4);
static_assert(sizeof(LOGPALETTE) == 8);

#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// Brush styles and hatches.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_INDEXED 4
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define BS_PATTERN8X8 7
#define BS_DIBPATTERN8X8 8
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Object types.
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13
#define OBJ_COLORSPACE 14

// ---------------------------------------------------------------------------------------------
// Modes of the device context.

#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
#define R2_LAST 16

#define SRCCOPY (DWORD)0x00CC0020
#define SRCPAINT (DWORD)0x00EE0086
#define SRCAND (DWORD)0x008800C6
#define SRCINVERT (DWORD)0x00660046
#define SRCERASE (DWORD)0x00440328
#define NOTSRCCOPY (DWORD)0x00330008
#define NOTSRCERASE (DWORD)0x001100A6
#define MERGECOPY (DWORD)0x00C000CA
#define MERGEPAINT (DWORD)0x00BB0226
#define PATCOPY (DWORD)0x00F00021
#define PATPAINT (DWORD)0x00FB0A09
#define PATINVERT (DWORD)0x005A0049
#define DSTINVERT (DWORD)0x00550009
#define BLACKNESS (DWORD)0x00000042
#define WHITENESS (DWORD)0x00FF0062
#define NOMIRRORBITMAP (DWORD)0x80000000
#define CAPTUREBLT (DWORD)0x40000000
#define MAKEROP4(fore, back) (DWORD)((((back) << 8) & 0xFF000000) | (fore))

#define TRANSPARENT 1
#define OPAQUE 2

#define ALTERNATE 1
#define WINDING 2

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

#define GM_COMPATIBLE 1
#define GM_ADVANCED 2

#define MWT_IDENTITY 1
#define MWT_LEFTMULTIPLY 2
#define MWT_RIGHTMULTIPLY 3

#define AD_COUNTERCLOCKWISE 1
#define AD_CLOCKWISE 2

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)

// ExtTextOutW options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_RTLREADING 0x0080
#define ETO_NUMERICSLOCAL 0x0400
#define ETO_NUMERICSLATIN 0x0800
#define ETO_IGNORELANGUAGE 0x1000
#define ETO_PDY 0x2000

// Regions.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RDH_RECTANGLES 1

typedef struct _RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
} RGNDATAHEADER, *PRGNDATAHEADER;

typedef struct _RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
} RGNDATA, *PRGNDATA, *LPRGNDATA;

static_assert(sizeof(RGNDATAHEADER) == 32);

// Paths.
#define PT_CLOSEFIGURE 0x01
#define PT_LINETO 0x02
#define PT_BEZIERTO 0x04
#define PT_MOVETO 0x06

// ---------------------------------------------------------------------------------------------
// Device capabilities.

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define BLTALIGNMENT 119
#define SHADEBLENDCAPS 120
#define COLORMGMTCAPS 121

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2
#define DT_RASCAMERA 3
#define DT_CHARSTREAM 4
#define DT_METAFILE 5
#define DT_DISPFILE 6

#define RC_BITBLT 1
#define RC_BANDING 2
#define RC_SCALING 4
#define RC_BITMAP64 8
#define RC_GDI20_OUTPUT 0x0010
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_BIGFONT 0x0400
#define RC_STRETCHBLT 0x0800
#define RC_FLOODFILL 0x1000
#define RC_STRETCHDIB 0x2000

// ---------------------------------------------------------------------------------------------
// Fonts.

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64

typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *NPLOGFONTW, *LPLOGFONTW;

typedef struct tagTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICW, *PTEXTMETRICW, *NPTEXTMETRICW, *LPTEXTMETRICW;

typedef struct tagNEWTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
} NEWTEXTMETRICW, *PNEWTEXTMETRICW, *LPNEWTEXTMETRICW;

typedef struct tagNEWTEXTMETRICEXW {
  NEWTEXTMETRICW ntmTm;
  FONTSIGNATURE ntmFontSig;
} NEWTEXTMETRICEXW;

typedef struct tagENUMLOGFONTEXW {
  LOGFONTW elfLogFont;
  WCHAR elfFullName[LF_FULLFACESIZE];
  WCHAR elfStyle[LF_FACESIZE];
  WCHAR elfScript[LF_FACESIZE];
} ENUMLOGFONTEXW, *LPENUMLOGFONTEXW;

typedef struct tagENUMLOGFONTW {
  LOGFONTW elfLogFont;
  WCHAR elfFullName[LF_FULLFACESIZE];
  WCHAR elfStyle[LF_FACESIZE];
} ENUMLOGFONTW, *LPENUMLOGFONTW;

typedef struct _ABC {
  int abcA;
  UINT abcB;
  int abcC;
} ABC, *PABC, *LPABC;

typedef struct _FIXED {
  WORD fract;
  SHORT value;
} FIXED;

typedef struct _MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
} MAT2, *LPMAT2;

typedef struct _GLYPHMETRICS {
  UINT gmBlackBoxX;
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;
  SHORT gmCellIncX;
  SHORT gmCellIncY;
} GLYPHMETRICS, *LPGLYPHMETRICS;

typedef struct tagPOINTFX {
  FIXED x;
  FIXED y;
} POINTFX, *LPPOINTFX;

typedef struct tagTTPOLYCURVE {
  WORD wType;
  WORD cpfx;
  POINTFX apfx[1];
} TTPOLYCURVE, *LPTTPOLYCURVE;

typedef struct tagTTPOLYGONHEADER {
  DWORD cb;
  DWORD dwType;
  POINTFX pfxStart;
} TTPOLYGONHEADER, *LPTTPOLYGONHEADER;

typedef struct tagKERNINGPAIR {
  WORD wFirst;
  WORD wSecond;
  int iKernAmount;
} KERNINGPAIR, *LPKERNINGPAIR;

static_assert(sizeof(LOGFONTW) == 92);
static_assert(sizeof(TEXTMETRICW) == 60);
static_assert(sizeof(NEWTEXTMETRICW) == 76);
static_assert(sizeof(NEWTEXTMETRICEXW) == 100);
static_assert(sizeof(ENUMLOGFONTEXW) == 348);
static_assert(sizeof(ABC) == 12 && sizeof(MAT2) == 16 && sizeof(GLYPHMETRICS) == 20);
static_assert(sizeof(TTPOLYGONHEADER) == 16 && sizeof(TTPOLYCURVE) == 12 && sizeof(KERNINGPAIR) == 8);

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

#define MAC_CHARSET 77

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define CLIP_LH_ANGLES (1 << 4)
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define MONO_FONT 8
#define FF_DONTCARE (0 << 4)
#define FF_ROMAN (1 << 4)
#define FF_SWISS (2 << 4)
#define FF_MODERN (3 << 4)
#define FF_SCRIPT (4 << 4)
#define FF_DECORATIVE (5 << 4)

#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_DEVICE 0x08
#define TMPF_TRUETYPE 0x04

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004
#define NTM_REGULAR 0x00000040L
#define NTM_BOLD 0x00000020L
#define NTM_ITALIC 0x00000001L
#define NTM_TT_OPENTYPE 0x00040000L

#define GGO_METRICS 0
#define GGO_BITMAP 1
#define GGO_NATIVE 2
#define GGO_BEZIER 3
#define GGO_GRAY2_BITMAP 4
#define GGO_GRAY4_BITMAP 5
#define GGO_GRAY8_BITMAP 6
#define GGO_GLYPH_INDEX 0x0080
#define GGO_UNHINTED 0x0100
#define TT_POLYGON_TYPE 24
#define TT_PRIM_LINE 1
#define TT_PRIM_QSPLINE 2
#define TT_PRIM_CSPLINE 3

#define GGI_MARK_NONEXISTING_GLYPHS 0x0001
#define GDI_ERROR_GLYPH 0xFFFF

typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM);

// ---------------------------------------------------------------------------------------------
// Text drawn in rectangles (the window system's text call) and rectangle helpers.

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_NOFULLWIDTHCHARBREAK 0x00080000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

typedef struct tagDRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
} DRAWTEXTPARAMS, *LPDRAWTEXTPARAMS;

// Icons.
typedef struct _ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
} ICONINFO, *PICONINFO;
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008

// ---------------------------------------------------------------------------------------------
// Printing: documents and pages on a printer DC, and escapes to its driver.

typedef int(CALLBACK* ABORTPROC)(HDC, int);

typedef struct _DOCINFOW {
  int cbSize;
  LPCWSTR lpszDocName;
  LPCWSTR lpszOutput;
  LPCWSTR lpszDatatype;
  DWORD fwType;
} DOCINFOW, *LPDOCINFOW;

#define DI_APPBANDING 0x00000001
#define DI_ROPS_READ_DESTINATION 0x00000002

// Results of the document calls.
#define SP_NOTREPORTED 0x4000
#define SP_ERROR (-1)
#define SP_APPABORT (-2)
#define SP_USERABORT (-3)
#define SP_OUTOFDISK (-4)
#define SP_OUTOFMEMORY (-5)

// Escapes of Escape and ExtEscape.
#define NEWFRAME 1
#define ABORTDOC 2
#define NEXTBAND 3
#define SETCOLORTABLE 4
#define GETCOLORTABLE 5
#define FLUSHOUTPUT 6
#define DRAFTMODE 7
#define QUERYESCSUPPORT 8
#define SETABORTPROC 9
#define STARTDOC 10
#define ENDDOC 11
#define GETPHYSPAGESIZE 12
#define GETPRINTINGOFFSET 13
#define GETSCALINGFACTOR 14
#define SETCOPYCOUNT 17
#define PASSTHROUGH 19
#define GETTECHNOLOGY 20

// ---------------------------------------------------------------------------------------------
// The calls.

// Device contexts.
WIN32_API HDC WINAPI CreateCompatibleDC(HDC hdc);
WIN32_API HDC WINAPI CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pszPort, const DEVMODEW* pdm);
WIN32_API HDC WINAPI CreateICW(LPCWSTR pszDriver, LPCWSTR pszDevice, LPCWSTR pszPort, const DEVMODEW* pdm);
WIN32_API BOOL WINAPI DeleteDC(HDC hdc);
WIN32_API int WINAPI SaveDC(HDC hdc);
WIN32_API BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC);
WIN32_API int WINAPI GetDeviceCaps(HDC hdc, int index);
WIN32_API BOOL WINAPI GdiFlush(void);

// Printing. StartDocW returns the job id (above 0) or SP_ERROR; the page calls return a
// positive value or SP_ERROR. ExtEscape passes the escape to the printer driver's DrvEscape.
WIN32_API int WINAPI StartDocW(HDC hdc, const DOCINFOW* lpdi);
WIN32_API int WINAPI EndDoc(HDC hdc);
WIN32_API int WINAPI StartPage(HDC hdc);
WIN32_API int WINAPI EndPage(HDC hdc);
WIN32_API int WINAPI AbortDoc(HDC hdc);
WIN32_API int WINAPI SetAbortProc(HDC hdc, ABORTPROC proc);
WIN32_API HDC WINAPI ResetDCW(HDC hdc, const DEVMODEW* lpdm);
WIN32_API int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);
WIN32_API int WINAPI Escape(HDC hdc, int iEscape, int cjIn, LPCSTR pvIn, LPVOID pvOut);

// Objects.
WIN32_API HGDIOBJ WINAPI GetStockObject(int i);
WIN32_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
WIN32_API BOOL WINAPI DeleteObject(HGDIOBJ ho);
WIN32_API int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv);
WIN32_API DWORD WINAPI GetObjectType(HGDIOBJ h);
WIN32_API HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
WIN32_API BOOL WINAPI UnrealizeObject(HGDIOBJ h);
WIN32_API HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color);
WIN32_API HPEN WINAPI CreatePenIndirect(const LOGPEN* plpen);
WIN32_API HPEN WINAPI ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                                   const DWORD* pstyle);
WIN32_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
WIN32_API HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color);
WIN32_API HBRUSH WINAPI CreatePatternBrush(HBITMAP hbm);
WIN32_API HBRUSH WINAPI CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage);
WIN32_API HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush);
WIN32_API COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color);
WIN32_API COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color);
WIN32_API COLORREF WINAPI GetDCBrushColor(HDC hdc);
WIN32_API COLORREF WINAPI GetDCPenColor(HDC hdc);
WIN32_API BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT lppt);

// Palettes and colours.
WIN32_API HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal);
WIN32_API HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
WIN32_API UINT WINAPI RealizePalette(HDC hdc);
WIN32_API UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries);
WIN32_API UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries);
WIN32_API UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color);
WIN32_API COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color);
WIN32_API UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries);

// Attributes.
WIN32_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
WIN32_API COLORREF WINAPI GetBkColor(HDC hdc);
WIN32_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
WIN32_API COLORREF WINAPI GetTextColor(HDC hdc);
WIN32_API int WINAPI SetBkMode(HDC hdc, int mode);
WIN32_API int WINAPI GetBkMode(HDC hdc);
WIN32_API int WINAPI SetROP2(HDC hdc, int rop2);
WIN32_API int WINAPI GetROP2(HDC hdc);
WIN32_API int WINAPI SetPolyFillMode(HDC hdc, int mode);
WIN32_API int WINAPI GetPolyFillMode(HDC hdc);
WIN32_API int WINAPI SetStretchBltMode(HDC hdc, int mode);
WIN32_API int WINAPI GetStretchBltMode(HDC hdc);
WIN32_API UINT WINAPI SetTextAlign(HDC hdc, UINT align);
WIN32_API UINT WINAPI GetTextAlign(HDC hdc);
WIN32_API int WINAPI SetTextCharacterExtra(HDC hdc, int extra);
WIN32_API int WINAPI GetTextCharacterExtra(HDC hdc);
WIN32_API BOOL WINAPI SetTextJustification(HDC hdc, int extra, int count);
WIN32_API int WINAPI SetArcDirection(HDC hdc, int dir);
WIN32_API int WINAPI GetArcDirection(HDC hdc);
WIN32_API BOOL WINAPI SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old);
WIN32_API BOOL WINAPI GetMiterLimit(HDC hdc, FLOAT* plimit);

// Coordinate spaces.
WIN32_API int WINAPI SetMapMode(HDC hdc, int iMode);
WIN32_API int WINAPI GetMapMode(HDC hdc);
WIN32_API BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
WIN32_API BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WIN32_API BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE lpsize);
WIN32_API BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
WIN32_API BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WIN32_API BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE lpsize);
WIN32_API BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI ScaleViewportExtEx(HDC hdc, int xn, int dx, int yn, int yd, LPSIZE lpsz);
WIN32_API BOOL WINAPI ScaleWindowExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE lpsz);
WIN32_API int WINAPI SetGraphicsMode(HDC hdc, int iMode);
WIN32_API int WINAPI GetGraphicsMode(HDC hdc);
WIN32_API BOOL WINAPI SetWorldTransform(HDC hdc, const XFORM* lpxf);
WIN32_API BOOL WINAPI GetWorldTransform(HDC hdc, LPXFORM lpxf);
WIN32_API BOOL WINAPI ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode);
WIN32_API BOOL WINAPI CombineTransform(LPXFORM lpxfOut, const XFORM* lpxf1, const XFORM* lpxf2);
WIN32_API BOOL WINAPI LPtoDP(HDC hdc, LPPOINT lppt, int c);
WIN32_API BOOL WINAPI DPtoLP(HDC hdc, LPPOINT lppt, int c);

// Bitmaps.
WIN32_API HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
WIN32_API HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* pbm);
WIN32_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy);
WIN32_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                          HANDLE hSection, DWORD offset);
WIN32_API HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                        const BITMAPINFO* pbmi, UINT iUsage);
WIN32_API int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                               UINT usage);
WIN32_API int WINAPI SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                               const BITMAPINFO* lpbmi, UINT ColorUse);
WIN32_API int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                                       UINT StartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                                       UINT ColorUse);
WIN32_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                                   int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi,
                                   UINT iUsage, DWORD rop);
WIN32_API LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits);
WIN32_API LONG WINAPI SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits);
WIN32_API UINT WINAPI GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq);
WIN32_API UINT WINAPI SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq);
WIN32_API BOOL WINAPI GetBitmapDimensionEx(HBITMAP hbit, LPSIZE lpsize);
WIN32_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
WIN32_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);
WIN32_API BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color);

// Blits.
WIN32_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
WIN32_API BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
WIN32_API BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                                 int ySrc, int wSrc, int hSrc, DWORD rop);
WIN32_API BOOL WINAPI MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc,
                              int ySrc, HBITMAP hbmMask, int xMask, int yMask, DWORD rop);

// Lines and curves.
WIN32_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
WIN32_API BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt);
WIN32_API BOOL WINAPI LineTo(HDC hdc, int x, int y);
WIN32_API BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt);
WIN32_API BOOL WINAPI PolylineTo(HDC hdc, const POINT* apt, DWORD cpt);
WIN32_API BOOL WINAPI PolyPolyline(HDC hdc, const POINT* apt, const DWORD* asz, DWORD csz);
WIN32_API BOOL WINAPI PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
WIN32_API BOOL WINAPI PolyBezierTo(HDC hdc, const POINT* apt, DWORD cpt);
WIN32_API BOOL WINAPI PolyDraw(HDC hdc, const POINT* apt, const BYTE* aj, int cpt);
WIN32_API BOOL WINAPI Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
WIN32_API BOOL WINAPI ArcTo(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
WIN32_API BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD r, FLOAT StartAngle, FLOAT SweepAngle);

// Filled shapes.
WIN32_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
WIN32_API BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
WIN32_API BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom);
WIN32_API BOOL WINAPI Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
WIN32_API BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
WIN32_API BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt);
WIN32_API BOOL WINAPI PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz);
WIN32_API int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WIN32_API int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WIN32_API BOOL WINAPI InvertRect(HDC hDC, const RECT* lprc);
WIN32_API BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc);

// Paths.
WIN32_API BOOL WINAPI BeginPath(HDC hdc);
WIN32_API BOOL WINAPI EndPath(HDC hdc);
WIN32_API BOOL WINAPI AbortPath(HDC hdc);
WIN32_API BOOL WINAPI CloseFigure(HDC hdc);
WIN32_API BOOL WINAPI StrokePath(HDC hdc);
WIN32_API BOOL WINAPI FillPath(HDC hdc);
WIN32_API BOOL WINAPI StrokeAndFillPath(HDC hdc);
WIN32_API BOOL WINAPI SelectClipPath(HDC hdc, int mode);
WIN32_API BOOL WINAPI FlattenPath(HDC hdc);
WIN32_API BOOL WINAPI WidenPath(HDC hdc);
WIN32_API int WINAPI GetPath(HDC hdc, LPPOINT apt, LPBYTE aj, int cpt);
WIN32_API HRGN WINAPI PathToRegion(HDC hdc);

// Regions and clipping.
WIN32_API HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2);
WIN32_API HRGN WINAPI CreateRectRgnIndirect(const RECT* lprect);
WIN32_API HRGN WINAPI CreateEllipticRgn(int x1, int y1, int x2, int y2);
WIN32_API HRGN WINAPI CreateEllipticRgnIndirect(const RECT* lprect);
WIN32_API HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
WIN32_API HRGN WINAPI CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode);
WIN32_API HRGN WINAPI CreatePolyPolygonRgn(const POINT* pptl, const INT* pc, int cPoly, int iMode);
WIN32_API HRGN WINAPI ExtCreateRegion(const XFORM* lpx, DWORD nCount, const RGNDATA* lpData);
WIN32_API int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
WIN32_API int WINAPI OffsetRgn(HRGN hrgn, int x, int y);
WIN32_API BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
WIN32_API int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc);
WIN32_API BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y);
WIN32_API BOOL WINAPI RectInRegion(HRGN hrgn, const RECT* lprect);
WIN32_API BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2);
WIN32_API DWORD WINAPI GetRegionData(HRGN hrgn, DWORD nCount, LPRGNDATA lpRgnData);
WIN32_API BOOL WINAPI FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr);
WIN32_API BOOL WINAPI FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h);
WIN32_API BOOL WINAPI PaintRgn(HDC hdc, HRGN hrgn);
WIN32_API BOOL WINAPI InvertRgn(HDC hdc, HRGN hrgn);
WIN32_API int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn);
WIN32_API int WINAPI ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode);
WIN32_API int WINAPI GetClipRgn(HDC hdc, HRGN hrgn);
WIN32_API int WINAPI GetClipBox(HDC hdc, LPRECT lprect);
WIN32_API int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
WIN32_API int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
WIN32_API int WINAPI OffsetClipRgn(HDC hdc, int x, int y);
WIN32_API BOOL WINAPI PtVisible(HDC hdc, int x, int y);
WIN32_API BOOL WINAPI RectVisible(HDC hdc, const RECT* lprect);

// Fonts and text.
WIN32_API HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf);
WIN32_API HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                                   DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                                   DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                                   DWORD iPitchAndFamily, LPCWSTR pszFaceName);
WIN32_API BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
WIN32_API BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString,
                                  UINT c, const INT* lpDx);
WIN32_API BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl);
WIN32_API BOOL WINAPI GetTextExtentPointW(HDC hdc, LPCWSTR lpString, int c, LPSIZE lpsz);
WIN32_API BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent,
                                            LPINT lpnFit, LPINT lpnDx, LPSIZE lpSize);
WIN32_API BOOL WINAPI GetTextExtentPointI(HDC hdc, const WORD* pgiIn, int cgi, LPSIZE psize);
WIN32_API BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm);
WIN32_API int WINAPI GetTextFaceW(HDC hdc, int c, LPWSTR lpName);
WIN32_API DWORD WINAPI GetTextCharsetInfo(HDC hdc, LPFONTSIGNATURE lpSig, DWORD dwFlags);
WIN32_API int WINAPI GetTextCharset(HDC hdc);
WIN32_API BOOL WINAPI GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
WIN32_API BOOL WINAPI GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
WIN32_API BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC);
WIN32_API BOOL WINAPI GetCharABCWidthsI(HDC hdc, UINT giFirst, UINT cgi, LPWORD pgi, LPABC pabc);
WIN32_API DWORD WINAPI GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl);
WIN32_API DWORD WINAPI GetGlyphOutlineW(HDC hdc, UINT uChar, UINT fuFormat, LPGLYPHMETRICS lpgm, DWORD cjBuffer,
                                        LPVOID pvBuffer, const MAT2* lpmat2);
WIN32_API DWORD WINAPI GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer);
WIN32_API DWORD WINAPI GetKerningPairsW(HDC hdc, DWORD nPairs, LPKERNINGPAIR lpKernPair);
WIN32_API int WINAPI EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam,
                                         DWORD dwFlags);
WIN32_API int WINAPI EnumFontFamiliesW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam);
WIN32_API int WINAPI EnumFontsW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam);
WIN32_API int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
WIN32_API int WINAPI DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format,
                                 LPDRAWTEXTPARAMS lpdtp);

// Icons.
WIN32_API HICON WINAPI CreateIconIndirect(PICONINFO piconinfo);
WIN32_API BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo);
WIN32_API BOOL WINAPI DestroyIcon(HICON hIcon);
WIN32_API BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
WIN32_API BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                                 UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags);

// Blending and gradients.
typedef USHORT COLOR16;
typedef struct _TRIVERTEX {
  LONG x;
  LONG y;
  COLOR16 Red;
  COLOR16 Green;
  COLOR16 Blue;
  COLOR16 Alpha;
} TRIVERTEX, *PTRIVERTEX;
static_assert(sizeof(TRIVERTEX) == 16);
typedef struct _GRADIENT_RECT {
  ULONG UpperLeft;
  ULONG LowerRight;
} GRADIENT_RECT, *PGRADIENT_RECT;
typedef struct _GRADIENT_TRIANGLE {
  ULONG Vertex1;
  ULONG Vertex2;
  ULONG Vertex3;
} GRADIENT_TRIANGLE, *PGRADIENT_TRIANGLE;
#define GRADIENT_FILL_RECT_H 0x00000000
#define GRADIENT_FILL_RECT_V 0x00000001
#define GRADIENT_FILL_TRIANGLE 0x00000002
typedef struct _BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
} BLENDFUNCTION, *PBLENDFUNCTION;
static_assert(sizeof(BLENDFUNCTION) == 4);
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01
WIN32_API BOOL WINAPI AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                                 int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn);
WIN32_API BOOL WINAPI GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode);

// Rectangles (the window system's helpers).
WIN32_API BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
WIN32_API BOOL WINAPI SetRectEmpty(LPRECT lprc);
WIN32_API BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
WIN32_API BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
WIN32_API BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
WIN32_API BOOL WINAPI IsRectEmpty(const RECT* lprc);
WIN32_API BOOL WINAPI EqualRect(const RECT* lprc1, const RECT* lprc2);
WIN32_API BOOL WINAPI PtInRect(const RECT* lprc, POINT pt);
WIN32_API BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
WIN32_API BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
WIN32_API BOOL WINAPI SubtractRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
WIN32_API int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

// System colours (the window system's scheme, COLOR_x indexes). FillRect, FrameRect and FillRgn
// also take COLOR_x + 1 in place of a brush, as window classes give their background.
WIN32_API DWORD WINAPI GetSysColor(int nIndex);
WIN32_API HBRUSH WINAPI GetSysColorBrush(int nIndex);
