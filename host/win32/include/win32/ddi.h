// The device-driver interface between the platform's graphics engine and a printer graphics
// module: the entry table a module hands to the engine (DrvEnableDriver), the records it fills
// for the engine (GDIINFO, DEVINFO), the engine objects it receives with every drawing call
// (SURFOBJ, CLIPOBJ, PATHOBJ, BRUSHOBJ, XLATEOBJ, XFORMOBJ, FONTOBJ, STROBJ), the font records
// of device fonts (IFIMETRICS, FD_GLYPHSET, GLYPHDATA, FD_DEVICEMETRICS), and the engine's
// services (Eng*) and object helpers (*OBJ_*).
//
// The engine dispatches by function index (INDEX_Drv*), not by the row of the table. Records
// keep the field order of the platform; on this 64-bit build pointer and PTRDIFF fields take 8
// bytes, so GDIINFO, DEVINFO and IFIMETRICS are longer than their 32-bit forms (checked below).
// A module copies min(caller's size, sizeof) of its GDIINFO and DEVINFO.
#pragma once

#include <cstddef>

#include "win32/base.h"
#include "win32/gdi.h"

// ---------------------------------------------------------------------------------------------
// Basic types of the interface.

typedef ULONG FLONG;
typedef LONG FIX;  // 28.4 fixed point
typedef SHORT FWORD;
typedef USHORT FSHORT;
typedef ULONG HGLYPH;
typedef ULONG MIX;
typedef ULONG ROP4;
typedef FLOAT FLOATL;
typedef LONG LDECI4;
typedef LONG_PTR PTRDIFF;
typedef PTRDIFF* PPTRDIFF;
typedef LONG_PTR(WINAPI* PFN)();

DECLARE_HANDLE(HSURF);
DECLARE_HANDLE(DHSURF);
DECLARE_HANDLE(DHPDEV);
DECLARE_HANDLE(HDEV);
DECLARE_HANDLE(HDRVOBJ);
typedef HBITMAP HBM;

#ifndef ERROR_BAD_DRIVER_LEVEL
#define ERROR_BAD_DRIVER_LEVEL 119L
#endif

#define HGLYPH_INVALID ((HGLYPH)-1)
#define DDI_ERROR 0xFFFFFFFF

// Engine and module versions (DrvEnableDriver).
#define DDI_DRIVER_VERSION_NT4 0x00020000
#define DDI_DRIVER_VERSION_SP3 0x00020003
#define DDI_DRIVER_VERSION_NT5 0x00030000
#define DDI_DRIVER_VERSION_NT5_01 0x00030100
#define DDI_DRIVER_VERSION_NT5_01_SP1 0x00030101
#define GDI_DRIVER_VERSION 0x4000
#define ENGINE_VERSION DDI_DRIVER_VERSION_NT5_01

// DrvQueryDriverInfo modes.
#define DRVQUERY_USERMODE 0x00000001

typedef struct _POINTE {
  FLOATL x;
  FLOATL y;
} POINTE, *PPOINTE;

typedef struct _POINTFIX {
  FIX x;
  FIX y;
} POINTFIX, *PPOINTFIX;

typedef struct _RECTFX {
  FIX xLeft;
  FIX yTop;
  FIX xRight;
  FIX yBottom;
} RECTFX, *PRECTFX;

typedef struct _POINTQF {
  LARGE_INTEGER x;
  LARGE_INTEGER y;
} POINTQF, *PPOINTQF;

typedef struct _XFORML {
  FLOATL eM11;
  FLOATL eM12;
  FLOATL eM21;
  FLOATL eM22;
  FLOATL eDx;
  FLOATL eDy;
} XFORML, *PXFORML;

typedef union _FLOAT_LONG {
  FLOATL e;
  LONG l;
} FLOAT_LONG, *PFLOAT_LONG;

typedef struct _FD_XFORM {
  FLOATL eXX;
  FLOATL eXY;
  FLOATL eYX;
  FLOATL eYY;
} FD_XFORM, *PFD_XFORM;

// Halftone colour adjustment of the stretching calls (also the graphics interface's record).
#ifndef ZOLT_COLORADJUSTMENT_DECLARED
#define ZOLT_COLORADJUSTMENT_DECLARED
typedef struct tagCOLORADJUSTMENT {
  WORD caSize;
  WORD caFlags;
  WORD caIlluminantIndex;
  WORD caRedGamma;
  WORD caGreenGamma;
  WORD caBlueGamma;
  WORD caReferenceBlack;
  WORD caReferenceWhite;
  SHORT caContrast;
  SHORT caBrightness;
  SHORT caColorfulness;
  SHORT caRedGreenTint;
} COLORADJUSTMENT, *PCOLORADJUSTMENT, *LPCOLORADJUSTMENT;
#endif
#define CA_NEGATIVE 0x0001
#define CA_LOG_FILTER 0x0002
#define ILLUMINANT_DEVICE_DEFAULT 0
#define REFERENCE_WHITE_MAX 10000
#define REFERENCE_BLACK_MIN 0
#define RGB_GAMMA_MIN 02500
#define RGB_GAMMA_MAX 65000

#ifndef ZOLT_PANOSE_DECLARED
#define ZOLT_PANOSE_DECLARED
typedef struct tagPANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
} PANOSE, *LPPANOSE;
#endif

// The colour space the engine hands to DrvIcmCreateColorTransform (declared by the colour
// management area).
struct tagLOGCOLORSPACEW;
typedef struct tagLOGCOLORSPACEW LOGCOLORSPACEW, *LPLOGCOLORSPACEW;

// The blending of DrvAlphaBlend.
typedef struct _BLENDOBJ {
  BLENDFUNCTION BlendFunction;
} BLENDOBJ, *PBLENDOBJ;

// ---------------------------------------------------------------------------------------------
// The entry table.

typedef struct _DRVFN {
  ULONG iFunc;
  PFN pfn;
} DRVFN, *PDRVFN;

typedef struct tagDRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;
  DRVFN* pdrvfn;
} DRVENABLEDATA, *PDRVENABLEDATA;

// Function indexes of the entry table.
#define INDEX_DrvEnablePDEV 0L
#define INDEX_DrvCompletePDEV 1L
#define INDEX_DrvDisablePDEV 2L
#define INDEX_DrvEnableSurface 3L
#define INDEX_DrvDisableSurface 4L
#define INDEX_DrvAssertMode 5L
#define INDEX_DrvOffset 6L
#define INDEX_DrvResetPDEV 7L
#define INDEX_DrvDisableDriver 8L
#define INDEX_DrvCreateDeviceBitmap 10L
#define INDEX_DrvDeleteDeviceBitmap 11L
#define INDEX_DrvRealizeBrush 12L
#define INDEX_DrvDitherColor 13L
#define INDEX_DrvStrokePath 14L
#define INDEX_DrvFillPath 15L
#define INDEX_DrvStrokeAndFillPath 16L
#define INDEX_DrvPaint 17L
#define INDEX_DrvBitBlt 18L
#define INDEX_DrvCopyBits 19L
#define INDEX_DrvStretchBlt 20L
#define INDEX_DrvSetPalette 22L
#define INDEX_DrvTextOut 23L
#define INDEX_DrvEscape 24L
#define INDEX_DrvDrawEscape 25L
#define INDEX_DrvQueryFont 26L
#define INDEX_DrvQueryFontTree 27L
#define INDEX_DrvQueryFontData 28L
#define INDEX_DrvSetPointerShape 29L
#define INDEX_DrvMovePointer 30L
#define INDEX_DrvLineTo 31L
#define INDEX_DrvSendPage 32L
#define INDEX_DrvStartPage 33L
#define INDEX_DrvEndDoc 34L
#define INDEX_DrvStartDoc 35L
#define INDEX_DrvGetGlyphMode 37L
#define INDEX_DrvSynchronize 38L
#define INDEX_DrvSaveScreenBits 40L
#define INDEX_DrvGetModes 41L
#define INDEX_DrvFree 42L
#define INDEX_DrvDestroyFont 43L
#define INDEX_DrvQueryFontCaps 44L
#define INDEX_DrvLoadFontFile 45L
#define INDEX_DrvUnloadFontFile 46L
#define INDEX_DrvFontManagement 47L
#define INDEX_DrvQueryTrueTypeTable 48L
#define INDEX_DrvQueryTrueTypeOutline 49L
#define INDEX_DrvGetTrueTypeFile 50L
#define INDEX_DrvQueryFontFile 51L
#define INDEX_DrvMovePanning 52L
#define INDEX_DrvQueryAdvanceWidths 53L
#define INDEX_DrvSetPixelFormat 54L
#define INDEX_DrvDescribePixelFormat 55L
#define INDEX_DrvSwapBuffers 56L
#define INDEX_DrvStartBanding 57L
#define INDEX_DrvNextBand 58L
#define INDEX_DrvGetDirectDrawInfo 59L
#define INDEX_DrvEnableDirectDraw 60L
#define INDEX_DrvDisableDirectDraw 61L
#define INDEX_DrvQuerySpoolType 62L
#define INDEX_DrvIcmCreateColorTransform 64L
#define INDEX_DrvIcmDeleteColorTransform 65L
#define INDEX_DrvIcmCheckBitmapBits 66L
#define INDEX_DrvIcmSetDeviceGammaRamp 67L
#define INDEX_DrvGradientFill 68L
#define INDEX_DrvStretchBltROP 69L
#define INDEX_DrvPlgBlt 70L
#define INDEX_DrvAlphaBlend 71L
#define INDEX_DrvSynthesizeFont 72L
#define INDEX_DrvGetSynthesizedFontFiles 73L
#define INDEX_DrvTransparentBlt 74L
#define INDEX_DrvQueryPerBandInfo 75L
#define INDEX_DrvQueryDeviceSupport 76L
#define INDEX_DrvDeriveSurface 85L
#define INDEX_DrvQueryGlyphAttrs 86L
#define INDEX_DrvNotify 87L
#define INDEX_DrvSynchronizeSurface 88L
#define INDEX_DrvResetDevice 89L
#define INDEX_LAST 90L

// ---------------------------------------------------------------------------------------------
// Records the module fills for the engine.

typedef struct _CIECHROMA {
  LDECI4 x;
  LDECI4 y;
  LDECI4 Y;
} CIECHROMA;

typedef struct _COLORINFO {
  CIECHROMA Red;
  CIECHROMA Green;
  CIECHROMA Blue;
  CIECHROMA Cyan;
  CIECHROMA Magenta;
  CIECHROMA Yellow;
  CIECHROMA AlignmentWhite;
  LDECI4 RedGamma;
  LDECI4 GreenGamma;
  LDECI4 BlueGamma;
  LDECI4 MagentaInCyanDye;
  LDECI4 YellowInCyanDye;
  LDECI4 CyanInMagentaDye;
  LDECI4 YellowInMagentaDye;
  LDECI4 CyanInYellowDye;
  LDECI4 MagentaInYellowDye;
} COLORINFO, *PCOLORINFO;

typedef struct _GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;  // millimetres, or negative micrometres
  ULONG ulVertSize;
  ULONG ulHorzRes;
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;
  ULONG cyHTPat;
  LPBYTE pHTPatA;
  LPBYTE pHTPatB;
  LPBYTE pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
} GDIINFO, *PGDIINFO;

typedef struct _DEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
} DEVINFO, *PDEVINFO;

static_assert(sizeof(COLORINFO) == 120);
static_assert(offsetof(GDIINFO, ptlPhysOffset) == 88 && offsetof(GDIINFO, ulNumPalReg) == 104);
static_assert(offsetof(GDIINFO, ciDevice) == 108 && offsetof(GDIINFO, ulHTPatternSize) == 236);
static_assert(offsetof(GDIINFO, cyHTPat) == 276 && offsetof(GDIINFO, pHTPatA) == 280);
static_assert(sizeof(GDIINFO) == 320);  // 304 on the 32-bit platform
static_assert(offsetof(DEVINFO, cFonts) == 280 && offsetof(DEVINFO, cxDither) == 288);
static_assert(offsetof(DEVINFO, hpalDefault) == 296 && sizeof(DEVINFO) == 312);  // 300 on 32-bit

#define GDI_DRIVER_INFO_VERSION 0x500  // ulVersion of a module of this interface

// ulPrimaryOrder.
#define PRIMARY_ORDER_ABC 0
#define PRIMARY_ORDER_ACB 1
#define PRIMARY_ORDER_BAC 2
#define PRIMARY_ORDER_BCA 3
#define PRIMARY_ORDER_CBA 4
#define PRIMARY_ORDER_CAB 5

// ulHTPatternSize.
#define HT_PATSIZE_2x2 0
#define HT_PATSIZE_2x2_M 1
#define HT_PATSIZE_4x4 2
#define HT_PATSIZE_4x4_M 3
#define HT_PATSIZE_6x6 4
#define HT_PATSIZE_6x6_M 5
#define HT_PATSIZE_8x8 6
#define HT_PATSIZE_8x8_M 7
#define HT_PATSIZE_10x10 8
#define HT_PATSIZE_10x10_M 9
#define HT_PATSIZE_12x12 10
#define HT_PATSIZE_12x12_M 11
#define HT_PATSIZE_14x14 12
#define HT_PATSIZE_14x14_M 13
#define HT_PATSIZE_16x16 14
#define HT_PATSIZE_16x16_M 15
#define HT_PATSIZE_MAX_INDEX HT_PATSIZE_16x16_M
#define HT_PATSIZE_DEFAULT HT_PATSIZE_4x4_M

// ulHTOutputFormat.
#define HT_FORMAT_1BPP 0
#define HT_FORMAT_4BPP 2
#define HT_FORMAT_4BPP_IRGB 3
#define HT_FORMAT_8BPP 4
#define HT_FORMAT_16BPP 5
#define HT_FORMAT_24BPP 6
#define HT_FORMAT_32BPP 7

// flHTFlags.
#define HT_FLAG_SQUARE_DEVICE_PEL 0x00000001
#define HT_FLAG_HAS_BLACK_DYE 0x00000002
#define HT_FLAG_ADDITIVE_PRIMS 0x00000004
#define HT_FLAG_USE_8BPP_BITMASK 0x00000008
#define HT_FLAG_OUTPUT_CMY 0x00000100

// flTextCaps (the same bits as GetDeviceCaps(TEXTCAPS)).
#define TC_OP_CHARACTER 0x00000001
#define TC_OP_STROKE 0x00000002
#define TC_CP_STROKE 0x00000004
#define TC_CR_90 0x00000008
#define TC_CR_ANY 0x00000010
#define TC_SF_X_YINDEP 0x00000020
#define TC_SA_DOUBLE 0x00000040
#define TC_SA_INTEGER 0x00000080
#define TC_SA_CONTIN 0x00000100
#define TC_EA_DOUBLE 0x00000200
#define TC_IA_ABLE 0x00000400
#define TC_UA_ABLE 0x00000800
#define TC_SO_ABLE 0x00001000
#define TC_RA_ABLE 0x00002000
#define TC_VA_ABLE 0x00004000
#define TC_RESERVED 0x00008000
#define TC_SCROLLBLT 0x00010000

// flGraphicsCaps of DEVINFO.
#define GCAPS_BEZIERS 0x00000001
#define GCAPS_GEOMETRICWIDE 0x00000002
#define GCAPS_ALTERNATEFILL 0x00000004
#define GCAPS_WINDINGFILL 0x00000008
#define GCAPS_HALFTONE 0x00000010
#define GCAPS_COLOR_DITHER 0x00000020
#define GCAPS_HORIZSTRIKE 0x00000040
#define GCAPS_VERTSTRIKE 0x00000080
#define GCAPS_OPAQUERECT 0x00000100
#define GCAPS_VECTORFONT 0x00000200
#define GCAPS_MONO_DITHER 0x00000400
#define GCAPS_ASYNCCHANGE 0x00000800
#define GCAPS_ASYNCMOVE 0x00001000
#define GCAPS_DONTJOURNAL 0x00002000
#define GCAPS_DIRECTDRAW 0x00004000
#define GCAPS_ARBRUSHOPAQUE 0x00008000
#define GCAPS_PANNING 0x00010000
#define GCAPS_HIGHRESTEXT 0x00040000
#define GCAPS_PALMANAGED 0x00080000
#define GCAPS_DITHERONREALIZE 0x00200000
#define GCAPS_NO64BITMEMACCESS 0x00400000
#define GCAPS_FORCEDITHER 0x00800000
#define GCAPS_GRAY16 0x01000000
#define GCAPS_ICM 0x02000000
#define GCAPS_CMYKCOLOR 0x04000000
#define GCAPS_LAYERED 0x08000000
#define GCAPS_ARBRUSHTEXT 0x10000000
#define GCAPS_SCREENPRECISION 0x20000000
#define GCAPS_FONT_RASTERIZER 0x40000000
#define GCAPS_NUP 0x80000000

// ---------------------------------------------------------------------------------------------
// Surfaces.

typedef struct _SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;
  LONG lDelta;
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
} SURFOBJ, *PSURFOBJ;

static_assert(offsetof(SURFOBJ, sizlBitmap) == 32 && offsetof(SURFOBJ, pvBits) == 48);
static_assert(offsetof(SURFOBJ, lDelta) == 64 && offsetof(SURFOBJ, fjBitmap) == 78 && sizeof(SURFOBJ) == 80);

// iBitmapFormat.
#define BMF_1BPP 1L
#define BMF_4BPP 2L
#define BMF_8BPP 3L
#define BMF_16BPP 4L
#define BMF_24BPP 5L
#define BMF_32BPP 6L
#define BMF_4RLE 7L
#define BMF_8RLE 8L
#define BMF_JPEG 9L
#define BMF_PNG 10L

// fjBitmap and the flags of EngCreateBitmap.
#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002
#define BMF_DONTCACHE 0x0004
#define BMF_USERMEM 0x0008
#define BMF_KMSECTION 0x0010
#define BMF_NOTSYSMEM 0x0020
#define BMF_WINDOW_BLT 0x0040
#define BMF_UMPDMEM 0x0080

// iType.
#define STYPE_BITMAP 0L
#define STYPE_DEVICE 1L
#define STYPE_DEVBITMAP 3L

// Hooks of EngAssociateSurface: the drawing entries the engine calls on the module's surface.
#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008
#define HOOK_PAINT 0x00000010
#define HOOK_STROKEPATH 0x00000020
#define HOOK_FILLPATH 0x00000040
#define HOOK_STROKEANDFILLPATH 0x00000080
#define HOOK_LINETO 0x00000100
#define HOOK_COPYBITS 0x00000400
#define HOOK_MOVEPANNING 0x00000800
#define HOOK_SYNCHRONIZE 0x00001000
#define HOOK_STRETCHBLTROP 0x00002000
#define HOOK_SYNCHRONIZEACCESS 0x00004000
#define HOOK_TRANSPARENTBLT 0x00008000
#define HOOK_ALPHABLEND 0x00010000
#define HOOK_GRADIENTFILL 0x00020000
#define HOOK_FLAGS 0x0003B5FF

// ---------------------------------------------------------------------------------------------
// Clipping.

typedef struct _CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
} CLIPOBJ, *PCLIPOBJ;

static_assert(sizeof(CLIPOBJ) == 24);

typedef struct _ENUMRECTS {
  ULONG c;
  RECTL arcl[1];
} ENUMRECTS, *PENUMRECTS;

// iDComplexity.
#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3
// iFComplexity.
#define FC_RECT 1
#define FC_RECT4 2
#define FC_COMPLEX 3
// iMode.
#define TC_RECTANGLES 4
#define TC_PATHOBJ 2
// fjOptions.
#define OC_BANK_CLIP 1
// CLIPOBJ_cEnumStart.
#define CT_RECTANGLES 0L
#define CD_RIGHTDOWN 0x00000000
#define CD_LEFTDOWN 0x00000001
#define CD_LEFTWARDS 0x00000001
#define CD_RIGHTUP 0x00000002
#define CD_UPWARDS 0x00000002
#define CD_LEFTUP 0x00000003
#define CD_ANY 0x00000004

// ---------------------------------------------------------------------------------------------
// Paths and lines.

typedef struct _PATHOBJ {
  FLONG fl;
  ULONG cCurves;
} PATHOBJ, *PPATHOBJ;

typedef struct _PATHDATA {
  FLONG flags;
  ULONG count;
  POINTFIX* pptfx;
} PATHDATA, *PPATHDATA;

// PATHOBJ.fl.
#define PO_BEZIERS 0x00000001
#define PO_ELLIPSE 0x00000002
#define PO_ALL_INTEGERS 0x00000004
#define PO_ENUM_AS_INTEGERS 0x00000008
// PATHDATA.flags.
#define PD_BEGINSUBPATH 0x00000001
#define PD_ENDSUBPATH 0x00000002
#define PD_RESETSTYLE 0x00000004
#define PD_CLOSEFIGURE 0x00000008
#define PD_BEZIERS 0x00000010
#define PD_ALL (PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_RESETSTYLE | PD_CLOSEFIGURE | PD_BEZIERS)

typedef struct _LINEATTRS {
  FLONG fl;
  ULONG iJoin;
  ULONG iEndCap;
  FLOAT_LONG elWidth;
  FLOATL eMiterLimit;
  ULONG cstyle;
  PFLOAT_LONG pstyle;
  FLOAT_LONG elStyleState;
} LINEATTRS, *PLINEATTRS;

static_assert(offsetof(LINEATTRS, pstyle) == 24 && sizeof(LINEATTRS) == 40);

#define LA_GEOMETRIC 0x00000001
#define LA_ALTERNATE 0x00000002
#define LA_STARTGAP 0x00000004
#define LA_STYLED 0x00000008
#define JOIN_ROUND 0L
#define JOIN_BEVEL 1L
#define JOIN_MITER 2L
#define ENDCAP_ROUND 0L
#define ENDCAP_SQUARE 1L
#define ENDCAP_BUTT 2L

// Fill modes of DrvFillPath.
#define FP_ALTERNATEMODE 1L
#define FP_WINDINGMODE 2L

// Transforms.
typedef struct _XFORMOBJ {
  ULONG ulReserved;
} XFORMOBJ, *PXFORMOBJ;

#define GX_IDENTITY 0L
#define GX_OFFSET 1L
#define GX_SCALE 2L
#define GX_GENERAL 3L
#define XF_LTOL 0L
#define XF_INV_LTOL 1L
#define XF_LTOFX 2L
#define XF_INV_FXTOL 3L

// ---------------------------------------------------------------------------------------------
// Brushes, colours and palettes.

typedef struct _BRUSHOBJ {
  ULONG iSolidColor;  // 0xFFFFFFFF: a pattern or hatch that the module realises
  PVOID pvRbrush;
  FLONG flColorType;
} BRUSHOBJ, *PBRUSHOBJ;

static_assert(offsetof(BRUSHOBJ, pvRbrush) == 8 && sizeof(BRUSHOBJ) == 24);

#define BR_DEVICE_ICM 0x01
#define BR_HOST_ICM 0x02
#define BR_CMYKCOLOR 0x04
#define BR_ORIGCOLOR 0x08

// Hatch styles handed to DrvRealizeBrush: HS_HORIZONTAL .. HS_DIAGCROSS, below HS_DDI_MAX.
#define HS_DDI_MAX 6

// DrvDitherColor.
#define DM_DEFAULT 0x00000001
#define DM_MONOCHROME 0x00000002
#define DCR_SOLID 0
#define DCR_DRIVER 1
#define DCR_HALFTONE 2

typedef struct _XLATEOBJ {
  ULONG iUniq;
  FLONG flXlate;
  USHORT iSrcType;
  USHORT iDstType;
  ULONG cEntries;
  ULONG* pulXlate;
} XLATEOBJ, *PXLATEOBJ;

static_assert(offsetof(XLATEOBJ, pulXlate) == 16 && sizeof(XLATEOBJ) == 24);

#define XO_TRIVIAL 0x00000001
#define XO_TABLE 0x00000002
#define XO_TO_MONO 0x00000004
#define XO_FROM_CMYK 0x00000008
#define XO_DEVICE_ICM 0x00000010
#define XO_HOST_ICM 0x00000020
#define XO_SRCPALETTE 1
#define XO_DESTPALETTE 2
#define XO_DESTDCPALETTE 3
#define XO_SRCBITFIELDS 4
#define XO_DESTBITFIELDS 5

typedef struct _PALOBJ {
  ULONG ulReserved;
} PALOBJ, *PPALOBJ;

#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008
#define PAL_CMYK 0x00000010

// ---------------------------------------------------------------------------------------------
// Fonts and text.

typedef struct _GLYPHBITS {
  POINTL ptlOrigin;
  SIZEL sizlBitmap;
  BYTE aj[1];  // rows of (cx + 7) / 8 bytes, most significant bit leftmost
} GLYPHBITS, *PGLYPHBITS;

typedef union _GLYPHDEF {
  GLYPHBITS* pgb;
  PATHOBJ* ppo;
} GLYPHDEF, *PGLYPHDEF;

typedef struct _GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;
  POINTL ptl;
} GLYPHPOS, *PGLYPHPOS;

typedef struct _GLYPHDATA {
  GLYPHDEF gdf;
  HGLYPH hg;
  FIX fxD;
  FIX fxA;
  FIX fxAB;
  FIX fxInkTop;
  FIX fxInkBottom;
  RECTL rclInk;
  POINTQF ptqD;
} GLYPHDATA, *PGLYPHDATA;

static_assert(sizeof(GLYPHPOS) == 24 && offsetof(GLYPHDATA, ptqD) == 48 && sizeof(GLYPHDATA) == 64);

typedef struct _FONTOBJ {
  ULONG iUniq;
  ULONG iFace;  // a device font's face (1-based), 0 for an engine font
  ULONG cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;
  ULONG_PTR iFile;
  SIZE sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;
  PVOID pvProducer;
} FONTOBJ, *PFONTOBJ;

static_assert(offsetof(FONTOBJ, sizLogResPpi) == 32 && sizeof(FONTOBJ) == 64);

typedef struct _FONTINFO {
  ULONG cjThis;
  FLONG flCaps;
  ULONG cGlyphsSupported;
  ULONG cjMaxGlyph1;
  ULONG cjMaxGlyph4;
  ULONG cjMaxGlyph8;
  ULONG cjMaxGlyph32;
} FONTINFO, *PFONTINFO;

// flFontType.
#define FO_TYPE_RASTER 0x00000001
#define FO_TYPE_DEVICE 0x00000002
#define FO_TYPE_TRUETYPE 0x00000004
#define FO_TYPE_OPENTYPE 0x00000008
#define FO_SIM_BOLD 0x00002000
#define FO_SIM_ITALIC 0x00004000
#define FO_EM_HEIGHT 0x00008000
#define FO_GRAY16 0x00010000
#define FO_NOGRAY16 0x00020000
#define FO_NOHINTS 0x00040000
#define FO_NO_CHOICE 0x00080000
#define FO_VERT_FACE 0x00800000
#define FO_DBCS_FONT 0x01000000

// FONTOBJ_cGetGlyphs and DrvGetGlyphMode.
#define FO_HGLYPHS 0L
#define FO_GLYPHBITS 1L
#define FO_PATHOBJ 2L

// FONTINFO.flCaps.
#define FO_DEVICE_FONT 1L
#define FO_OUTLINE_CAPABLE 2L

typedef struct _STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;  // null: the positions are enumerated with STROBJ_bEnum
  LPWSTR pwszOrg;
} STROBJ, *PSTROBJ;

static_assert(offsetof(STROBJ, pgp) == 32 && sizeof(STROBJ) == 48);

#define SO_FLAG_DEFAULT_PLACEMENT 0x00000001
#define SO_HORIZONTAL 0x00000002
#define SO_VERTICAL 0x00000004
#define SO_REVERSED 0x00000008
#define SO_ZERO_BEARINGS 0x00000010
#define SO_CHAR_INC_EQUAL_BM_BASE 0x00000020
#define SO_MAXEXT_EQUAL_BM_SIDE 0x00000040
#define SO_DO_NOT_SUBSTITUTE_DEVICE_FONT 0x00000080
#define SO_GLYPHINDEX_TEXTOUT 0x00000100
#define SO_ESC_NOT_ORIENT 0x00000200
#define SO_DXDY 0x00000400
#define SO_CHARACTER_EXTRA 0x00000800
#define SO_BREAK_EXTRA 0x00001000

// Font simulations of IFIMETRICS.
typedef struct _FONTDIFF {
  BYTE jReserved1;
  BYTE jReserved2;
  BYTE jReserved3;
  BYTE bWeight;
  USHORT usWinWeight;
  FSHORT fsSelection;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  POINTL ptlCaret;
} FONTDIFF, *PFONTDIFF;

typedef struct _FONTSIM {
  PTRDIFF dpBold;  // offsets from the FONTSIM to its FONTDIFF records, 0 when absent
  PTRDIFF dpItalic;
  PTRDIFF dpBoldItalic;
} FONTSIM, *PFONTSIM;

static_assert(sizeof(FONTDIFF) == 20 && sizeof(FONTSIM) == 24);

typedef struct _IFIMETRICS {
  ULONG cjThis;  // the record with its strings and simulations
  ULONG cjIfiExtra;
  PTRDIFF dpwszFamilyName;  // offsets from the start of the record
  PTRDIFF dpwszStyleName;
  PTRDIFF dpwszFaceName;
  PTRDIFF dpwszUniqueName;
  PTRDIFF dpFontSim;
  LONG lEmbedId;
  LONG lItalicAngle;
  LONG lCharBias;
  PTRDIFF dpCharSets;
  BYTE jWinCharSet;
  BYTE jWinPitchAndFamily;
  USHORT usWinWeight;
  ULONG flInfo;
  USHORT fsSelection;
  USHORT fsType;
  FWORD fwdUnitsPerEm;
  FWORD fwdLowestPPEm;
  FWORD fwdWinAscender;
  FWORD fwdWinDescender;
  FWORD fwdMacAscender;
  FWORD fwdMacDescender;
  FWORD fwdMacLineGap;
  FWORD fwdTypoAscender;
  FWORD fwdTypoDescender;
  FWORD fwdTypoLineGap;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  FWORD fwdCapHeight;
  FWORD fwdXHeight;
  FWORD fwdSubscriptXSize;
  FWORD fwdSubscriptYSize;
  FWORD fwdSubscriptXOffset;
  FWORD fwdSubscriptYOffset;
  FWORD fwdSuperscriptXSize;
  FWORD fwdSuperscriptYSize;
  FWORD fwdSuperscriptXOffset;
  FWORD fwdSuperscriptYOffset;
  FWORD fwdUnderscoreSize;
  FWORD fwdUnderscorePosition;
  FWORD fwdStrikeoutSize;
  FWORD fwdStrikeoutPosition;
  BYTE chFirstChar;
  BYTE chLastChar;
  BYTE chDefaultChar;
  BYTE chBreakChar;
  WCHAR wcFirstChar;
  WCHAR wcLastChar;
  WCHAR wcDefaultChar;
  WCHAR wcBreakChar;
  POINTL ptlBaseline;
  POINTL ptlAspect;
  POINTL ptlCaret;
  RECTL rclFontBox;
  BYTE achVendId[4];
  ULONG cKerningPairs;
  ULONG ulPanoseCulture;
  PANOSE panose;
  PVOID Align;  // the 64-bit form ends on a pointer boundary
} IFIMETRICS, *PIFIMETRICS;

static_assert(offsetof(IFIMETRICS, dpwszFamilyName) == 8 && offsetof(IFIMETRICS, dpFontSim) == 40);
static_assert(offsetof(IFIMETRICS, dpCharSets) == 64 && offsetof(IFIMETRICS, jWinCharSet) == 72);
static_assert(offsetof(IFIMETRICS, flInfo) == 76 && offsetof(IFIMETRICS, fwdUnitsPerEm) == 84);
static_assert(offsetof(IFIMETRICS, chFirstChar) == 136 && offsetof(IFIMETRICS, ptlBaseline) == 148);
static_assert(offsetof(IFIMETRICS, rclFontBox) == 172 && offsetof(IFIMETRICS, panose) == 200);
static_assert(sizeof(IFIMETRICS) == 224);

// IFIMETRICS.flInfo.
#define FM_INFO_TECH_TRUETYPE 0x00000001
#define FM_INFO_TECH_BITMAP 0x00000002
#define FM_INFO_TECH_STROKE 0x00000004
#define FM_INFO_TECH_OUTLINE_NOT_TRUETYPE 0x00000008
#define FM_INFO_ARB_XFORMS 0x00000010
#define FM_INFO_1BPP 0x00000020
#define FM_INFO_4BPP 0x00000040
#define FM_INFO_8BPP 0x00000080
#define FM_INFO_16BPP 0x00000100
#define FM_INFO_24BPP 0x00000200
#define FM_INFO_32BPP 0x00000400
#define FM_INFO_INTEGER_WIDTH 0x00000800
#define FM_INFO_CONSTANT_WIDTH 0x00001000
#define FM_INFO_NOT_CONTIGUOUS 0x00002000
#define FM_INFO_TECH_MM 0x00004000
#define FM_INFO_RETURNS_OUTLINES 0x00008000
#define FM_INFO_RETURNS_STROKES 0x00010000
#define FM_INFO_RETURNS_BITMAPS 0x00020000
#define FM_INFO_DSIG 0x00040000
#define FM_INFO_RIGHT_HANDED 0x00080000
#define FM_INFO_INTEGRAL_SCALING 0x00100000
#define FM_INFO_90DEGREE_ROTATIONS 0x00200000
#define FM_INFO_OPTICALLY_FIXED_PITCH 0x00400000
#define FM_INFO_DO_NOT_ENUMERATE 0x00800000
#define FM_INFO_ISOTROPIC_SCALING_ONLY 0x01000000
#define FM_INFO_ANISOTROPIC_SCALING_ONLY 0x02000000
#define FM_INFO_TECH_CFF 0x04000000
#define FM_INFO_FAMILY_EQUIV 0x08000000
#define FM_INFO_DBCS_FIXED_PITCH 0x10000000
#define FM_INFO_NONNEGATIVE_AC 0x20000000
#define FM_INFO_IGNORE_TC_RA_ABLE 0x40000000
#define FM_INFO_TECH_TYPE1 0x80000000

// IFIMETRICS.fsSelection.
#define FM_SEL_ITALIC 0x0001
#define FM_SEL_UNDERSCORE 0x0002
#define FM_SEL_NEGATIVE 0x0004
#define FM_SEL_OUTLINED 0x0008
#define FM_SEL_STRIKEOUT 0x0010
#define FM_SEL_BOLD 0x0020
#define FM_SEL_REGULAR 0x0040

// IFIMETRICS.fsType (embedding).
#define FM_TYPE_LICENSED 0x0002
#define FM_NO_EMBEDDING FM_TYPE_LICENSED
#define FM_READONLY_EMBED 0x0004
#define FM_EDITABLE_EMBED 0x0008

typedef struct _WCRUN {
  WCHAR wcLow;
  USHORT cGlyphs;
  HGLYPH* phg;  // null: the glyph handles are the characters themselves
} WCRUN, *PWCRUN;

typedef struct _FD_GLYPHSET {
  ULONG cjThis;
  FLONG flAccel;
  ULONG cGlyphsSupported;
  ULONG cRuns;
  WCRUN awcrun[1];
} FD_GLYPHSET, *PFD_GLYPHSET;

static_assert(sizeof(WCRUN) == 16 && offsetof(FD_GLYPHSET, awcrun) == 16);

#define GS_UNICODE_HANDLES 0x00000001
#define GS_8BIT_HANDLES 0x00000002
#define GS_16BIT_HANDLES 0x00000004

typedef struct _FD_KERNINGPAIR {
  WCHAR wcFirst;
  WCHAR wcSecond;
  FWORD fwdKern;
} FD_KERNINGPAIR, *PFD_KERNINGPAIR;

typedef struct _FD_DEVICEMETRICS {
  FLONG flRealizedType;
  POINTE pteBase;
  POINTE pteSide;
  LONG lD;
  FIX fxMaxAscender;
  FIX fxMaxDescender;
  POINTL ptlUnderline1;
  POINTL ptlStrikeOut;
  POINTL ptlULThickness;
  POINTL ptlSOThickness;
  ULONG cxMax;
  ULONG cyMax;
  ULONG cjGlyphMax;
  FD_XFORM fdxQuantized;
  LONG lNonLinearExtLeading;
  LONG lNonLinearIntLeading;
  LONG lNonLinearMaxCharWidth;
  LONG lNonLinearAvgCharWidth;
  LONG lMinA;
  LONG lMinC;
  LONG lMinD;
  LONG alReserved[1];
} FD_DEVICEMETRICS, *PFD_DEVICEMETRICS;

static_assert(sizeof(FD_KERNINGPAIR) == 6 && sizeof(FD_DEVICEMETRICS) == 124);

// DrvQueryFontTree modes.
#define QFT_LIGATURES 1L
#define QFT_KERNPAIRS 2L
#define QFT_GLYPHSET 3L
// DrvQueryFontData modes.
#define QFD_GLYPHANDBITMAP 1L
#define QFD_GLYPHANDOUTLINE 2L
#define QFD_MAXEXTENTS 3L
#define QFD_TT_GLYPHANDBITMAP 4L
#define QFD_TT_GRAY1_BITMAP 5L
// DrvQueryAdvanceWidths modes.
#define QAW_GETWIDTHS 0
#define QAW_GETEASYWIDTHS 1
// DrvQueryFontCaps.
#define QC_OUTLINES 0x00000001
#define QC_1BIT 0x00000002
#define QC_4BIT 0x00000004

// ---------------------------------------------------------------------------------------------
// Documents, escapes and engine services.

// DrvEndDoc flags.
#define ED_ABORTDOC 0x00000001

typedef struct _ENG_TIME_FIELDS {
  USHORT usYear;
  USHORT usMonth;
  USHORT usDay;
  USHORT usHour;
  USHORT usMinute;
  USHORT usSecond;
  USHORT usMilliseconds;
  USHORT usWeekday;  // 0 = Sunday
} ENG_TIME_FIELDS, *PENG_TIME_FIELDS;

// EngAllocMem flags.
#define FL_ZERO_MEMORY 0x00000001
#define FL_NONPAGED_MEMORY 0x00000002

// ---------------------------------------------------------------------------------------------
// The entry points a module exports and the signatures of its table entries.

typedef BOOL(WINAPI* PFN_DrvEnableDriver)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
typedef VOID(WINAPI* PFN_DrvDisableDriver)(VOID);
typedef BOOL(WINAPI* PFN_DrvQueryDriverInfo)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);

typedef DHPDEV(WINAPI* PFN_DrvEnablePDEV)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                          ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                          LPWSTR pwszDeviceName, HANDLE hDriver);
typedef VOID(WINAPI* PFN_DrvCompletePDEV)(DHPDEV dhpdev, HDEV hdev);
typedef VOID(WINAPI* PFN_DrvDisablePDEV)(DHPDEV dhpdev);
typedef BOOL(WINAPI* PFN_DrvResetPDEV)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
typedef HSURF(WINAPI* PFN_DrvEnableSurface)(DHPDEV dhpdev);
typedef VOID(WINAPI* PFN_DrvDisableSurface)(DHPDEV dhpdev);
typedef BOOL(WINAPI* PFN_DrvStartDoc)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
typedef BOOL(WINAPI* PFN_DrvEndDoc)(SURFOBJ* pso, FLONG fl);
typedef BOOL(WINAPI* PFN_DrvStartPage)(SURFOBJ* pso);
typedef BOOL(WINAPI* PFN_DrvSendPage)(SURFOBJ* pso);
typedef BOOL(WINAPI* PFN_DrvStartBanding)(SURFOBJ* pso, POINTL* pptl);
typedef BOOL(WINAPI* PFN_DrvNextBand)(SURFOBJ* pso, POINTL* pptl);
typedef BOOL(WINAPI* PFN_DrvBitBlt)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                    XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                                    BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
typedef BOOL(WINAPI* PFN_DrvCopyBits)(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                      RECTL* prclDest, POINTL* pptlSrc);
typedef BOOL(WINAPI* PFN_DrvStretchBlt)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                        XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                        RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
typedef BOOL(WINAPI* PFN_DrvStretchBltROP)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                                           RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                                           BRUSHOBJ* pbo, DWORD rop4);
typedef BOOL(WINAPI* PFN_DrvPlgBlt)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMsk, CLIPOBJ* pco,
                                    XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlBrushOrg, POINTFIX* pptfx,
                                    RECTL* prcl, POINTL* pptl, ULONG iMode);
typedef BOOL(WINAPI* PFN_DrvAlphaBlend)(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                        RECTL* prclDest, RECTL* prclSrc, BLENDOBJ* pBlendObj);
typedef BOOL(WINAPI* PFN_DrvGradientFill)(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex,
                                          ULONG nVertex, PVOID pMesh, ULONG nMesh, RECTL* prclExtents,
                                          POINTL* pptlDitherOrg, ULONG ulMode);
typedef BOOL(WINAPI* PFN_DrvTransparentBlt)(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                            RECTL* prclDst, RECTL* prclSrc, ULONG iTransColor, ULONG ulReserved);
typedef BOOL(WINAPI* PFN_DrvQueryDeviceSupport)(SURFOBJ* pso, XLATEOBJ* pxlo, XFORMOBJ* pxo, ULONG iType,
                                                ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
typedef BOOL(WINAPI* PFN_DrvTextOut)(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                     RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                     MIX mix);
typedef BOOL(WINAPI* PFN_DrvStrokePath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                        POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
typedef BOOL(WINAPI* PFN_DrvFillPath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                                      POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
typedef BOOL(WINAPI* PFN_DrvStrokeAndFillPath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                               BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                               POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
typedef BOOL(WINAPI* PFN_DrvRealizeBrush)(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                          XLATEOBJ* pxlo, ULONG iHatch);
typedef ULONG(WINAPI* PFN_DrvDitherColor)(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
typedef ULONG(WINAPI* PFN_DrvEscape)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
typedef ULONG(WINAPI* PFN_DrvGetGlyphMode)(DHPDEV dhpdev, FONTOBJ* pfo);
typedef PIFIMETRICS(WINAPI* PFN_DrvQueryFont)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
typedef PVOID(WINAPI* PFN_DrvQueryFontTree)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode,
                                            ULONG_PTR* pid);
typedef LONG(WINAPI* PFN_DrvQueryFontData)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd,
                                           PVOID pv, ULONG cjSize);
typedef BOOL(WINAPI* PFN_DrvQueryAdvanceWidths)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg,
                                                PVOID pvWidths, ULONG cGlyphs);
typedef HANDLE(WINAPI* PFN_DrvIcmCreateColorTransform)(DHPDEV dhpdev, LOGCOLORSPACEW* pLogColorSpace,
                                                       PVOID pvSourceProfile, ULONG cjSourceProfile,
                                                       PVOID pvDestProfile, ULONG cjDestProfile,
                                                       PVOID pvTargetProfile, ULONG cjTargetProfile,
                                                       DWORD dwReserved);
typedef BOOL(WINAPI* PFN_DrvIcmDeleteColorTransform)(DHPDEV dhpdev, HANDLE hcmXform);

// ---------------------------------------------------------------------------------------------
// Engine services.

// Surfaces and bitmaps. EngCreateBitmap with pvBits NULL allocates the bits (zeroed unless
// BMF_NOZEROINIT); lWidth is the row stride in bytes.
WIN32_API HBITMAP WINAPI EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
WIN32_API HSURF WINAPI EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
WIN32_API HBITMAP WINAPI EngCreateDeviceBitmap(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
WIN32_API BOOL WINAPI EngDeleteSurface(HSURF hsurf);
WIN32_API SURFOBJ* WINAPI EngLockSurface(HSURF hsurf);
WIN32_API VOID WINAPI EngUnlockSurface(SURFOBJ* pso);
WIN32_API BOOL WINAPI EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
WIN32_API BOOL WINAPI EngMarkBandingSurface(HSURF hsurf);
WIN32_API BOOL WINAPI EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);

// Palettes. PAL_INDEXED takes cColors entries from pulColors (0x00RRGGBB); PAL_BGR and
// PAL_RGB take none; PAL_BITFIELDS the three masks.
WIN32_API HPALETTE WINAPI EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                           FLONG flGreen, FLONG flBlue);
WIN32_API BOOL WINAPI EngDeletePalette(HPALETTE hpal);

// The engine's own drawing, on bitmaps and (by way of a bitmap handed to the module's hooked
// blit entries) on device surfaces.
WIN32_API BOOL WINAPI EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                                POINTL* pptlBrush, ROP4 rop4);
WIN32_API BOOL WINAPI EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                  RECTL* prclDest, POINTL* pptlSrc);
WIN32_API BOOL WINAPI EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                    XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                    RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
WIN32_API BOOL WINAPI EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                       XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                       RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
WIN32_API BOOL WINAPI EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                    POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
WIN32_API BOOL WINAPI EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                  MIX mix, FLONG flOptions);
WIN32_API BOOL WINAPI EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                           BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                           POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
WIN32_API BOOL WINAPI EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                 RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                 MIX mix);

// Paths and clip objects made by the engine for a module.
WIN32_API PATHOBJ* WINAPI EngCreatePath(VOID);
WIN32_API VOID WINAPI EngDeletePath(PATHOBJ* ppo);
WIN32_API CLIPOBJ* WINAPI EngCreateClip(VOID);
WIN32_API VOID WINAPI EngDeleteClip(CLIPOBJ* pco);

// Resources of a module (custom types included): a pointer to the bytes and their size, or
// NULL when absent.
WIN32_API PVOID WINAPI EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize);

// Code pages and text.
WIN32_API VOID WINAPI EngGetCurrentCodePage(USHORT* OemCodePage, USHORT* AnsiCodePage);
WIN32_API VOID WINAPI EngUnicodeToMultiByteN(LPSTR MultiByteString, ULONG MaxBytesInMultiByteString,
                                             PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                             ULONG BytesInUnicodeString);
WIN32_API VOID WINAPI EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                             PULONG BytesInUnicodeString, CHAR* MultiByteString,
                                             ULONG BytesInMultiByteString);
WIN32_API INT WINAPI EngMultiByteToWideChar(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                            LPSTR MultiByteString, INT BytesInMultiByteString);
WIN32_API INT WINAPI EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                            LPSTR MultiByteString, INT BytesInMultiByteString);
WIN32_API FD_GLYPHSET* WINAPI EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars);

// Time, memory, errors and arithmetic.
WIN32_API VOID WINAPI EngQueryLocalTime(PENG_TIME_FIELDS ptf);
WIN32_API PVOID WINAPI EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag);
WIN32_API VOID WINAPI EngFreeMem(PVOID Mem);
WIN32_API PVOID WINAPI EngAllocUserMem(SIZE_T cj, ULONG tag);
WIN32_API VOID WINAPI EngFreeUserMem(PVOID pv);
WIN32_API VOID WINAPI EngSetLastError(ULONG iError);
WIN32_API ULONG WINAPI EngGetLastError(VOID);
WIN32_API INT WINAPI EngMulDiv(INT a, INT b, INT c);

// The printer of the PDEV (hDriver of DrvEnablePDEV): data, driver record and output.
WIN32_API BOOL WINAPI EngGetPrinter(HANDLE hPrinter, DWORD dwLevel, LPBYTE pPrinter, DWORD cbBuf,
                                    LPDWORD pcbNeeded);
WIN32_API BOOL WINAPI EngGetPrinterDriver(HANDLE hPrinter, LPWSTR pEnvironment, DWORD dwLevel, BYTE* lpbDrvInfo,
                                          DWORD cbBuf, DWORD* pcbNeeded);
WIN32_API DWORD WINAPI EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                                         DWORD nSize, LPDWORD pcbNeeded);
WIN32_API DWORD WINAPI EngSetPrinterData(HANDLE hPrinter, LPWSTR pType, DWORD dwType, LPBYTE lpbPrinterData,
                                         DWORD cjPrinterData);
WIN32_API BOOL WINAPI EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
WIN32_API LPWSTR WINAPI EngGetPrinterDataFileName(HDEV hdev);
WIN32_API LPWSTR WINAPI EngGetDriverName(HDEV hdev);

// ---------------------------------------------------------------------------------------------
// Object helpers.

// Clip objects: rectangles of the region in the asked direction; CLIPOBJ_bEnum fills an
// ENUMRECTS of cj bytes and returns TRUE while more rectangles follow.
WIN32_API ULONG WINAPI CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
WIN32_API BOOL WINAPI CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
WIN32_API PATHOBJ* WINAPI CLIPOBJ_ppoGetPath(CLIPOBJ* pco);

// Paths: subpath runs in 28.4 device coordinates.
WIN32_API VOID WINAPI PATHOBJ_vEnumStart(PATHOBJ* ppo);
WIN32_API BOOL WINAPI PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
WIN32_API VOID WINAPI PATHOBJ_vGetBounds(PATHOBJ* ppo, PRECTFX prectfx);
WIN32_API BOOL WINAPI PATHOBJ_bMoveTo(PATHOBJ* ppo, POINTFIX ptfx);
WIN32_API BOOL WINAPI PATHOBJ_bPolyLineTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx);
WIN32_API BOOL WINAPI PATHOBJ_bPolyBezierTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx);
WIN32_API BOOL WINAPI PATHOBJ_bCloseFigure(PATHOBJ* ppo);

// Brushes: the module's realisation of a pattern or hatch brush.
WIN32_API PVOID WINAPI BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
WIN32_API PVOID WINAPI BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
WIN32_API ULONG WINAPI BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo);
WIN32_API HANDLE WINAPI BRUSHOBJ_hGetColorTransform(BRUSHOBJ* pbo);

// Colour translation.
WIN32_API ULONG WINAPI XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor);
WIN32_API ULONG* WINAPI XLATEOBJ_piVector(XLATEOBJ* pxlo);
WIN32_API ULONG WINAPI XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal);
WIN32_API HANDLE WINAPI XLATEOBJ_hGetColorTransform(XLATEOBJ* pxlo);
WIN32_API ULONG WINAPI PALOBJ_cGetColors(PALOBJ* ppalo, ULONG iStart, ULONG cColors, ULONG* pulColors);

// Transforms: the matrix (GX_* kind returned) and its application to POINTL (XF_LTOL) or to
// 28.4 results (XF_LTOFX).
WIN32_API ULONG WINAPI XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
WIN32_API BOOL WINAPI XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

// Fonts: metrics, transform and glyphs (bitmaps or outlines) of the realised font.
WIN32_API IFIMETRICS* WINAPI FONTOBJ_pifi(FONTOBJ* pfo);
WIN32_API XFORMOBJ* WINAPI FONTOBJ_pxoGetXform(FONTOBJ* pfo);
WIN32_API ULONG WINAPI FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph);
WIN32_API ULONG WINAPI FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg);
WIN32_API VOID WINAPI FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi);
WIN32_API FD_GLYPHSET* WINAPI FONTOBJ_pfdg(FONTOBJ* pfo);

// Strings: glyph positions in batches when pgp is null.
WIN32_API VOID WINAPI STROBJ_vEnumStart(STROBJ* pstro);
WIN32_API BOOL WINAPI STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
WIN32_API BOOL WINAPI STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
WIN32_API DWORD WINAPI STROBJ_dwGetCodePage(STROBJ* pstro);
