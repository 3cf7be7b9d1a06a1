// Enhanced metafiles: recording a DC's drawing into a metafile, playing it back onto any DC,
// enumerating its records, and the metafile's bytes in and out.
//
// A metafile is a sequence of records, each {DWORD iType, DWORD nSize, payload}, nSize a multiple
// of four; the first is the header (EMR_HEADER), the last EMR_EOF. The header keeps the
// platform's layout: 88 bytes in its first form, 100 with the pixel-format fields, 108 with the
// micrometre size; this host writes the 108-byte form.
#pragma once

#include "win32/base.h"
#include "win32/gdi.h"

DECLARE_HANDLE(HENHMETAFILE);

typedef struct tagENHMETARECORD {
  DWORD iType;
  DWORD nSize;
  DWORD dParm[1];
} ENHMETARECORD, *PENHMETARECORD, *LPENHMETARECORD;

typedef struct tagENHMETAHEADER {
  DWORD iType;           // EMR_HEADER
  DWORD nSize;           // the header record's size, description included
  RECTL rclBounds;       // inclusive bounds of the drawing, reference-device pixels
  RECTL rclFrame;        // inclusive picture frame, .01 millimetres
  DWORD dSignature;      // ENHMETA_SIGNATURE
  DWORD nVersion;        // 0x10000
  DWORD nBytes;          // size of the whole metafile
  DWORD nRecords;        // records, header and EOF included
  WORD nHandles;         // handle-table entries, entry 0 included
  WORD sReserved;
  DWORD nDescription;    // characters of the description, both NULs included; 0 = none
  DWORD offDescription;  // from the start of the header
  DWORD nPalEntries;     // palette entries in the EOF record
  SIZEL szlDevice;       // reference device, pixels
  SIZEL szlMillimeters;  // reference device, millimetres
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZEL szlMicrometers;  // reference device, micrometres
} ENHMETAHEADER, *PENHMETAHEADER, *LPENHMETAHEADER;
static_assert(sizeof(ENHMETAHEADER) == 108);
static_assert(offsetof(ENHMETAHEADER, nBytes) == 48);
static_assert(offsetof(ENHMETAHEADER, szlDevice) == 72);

typedef struct tagHANDLETABLE {
  HGDIOBJ objectHandle[1];
} HANDLETABLE, *PHANDLETABLE, *LPHANDLETABLE;

#define ENHMETA_SIGNATURE 0x464D4520u  // " EMF"
#define ENHMETA_STOCK_OBJECT 0x80000000u

// Record types.
#define EMR_HEADER 1
#define EMR_POLYBEZIER 2
#define EMR_POLYGON 3
#define EMR_POLYLINE 4
#define EMR_POLYBEZIERTO 5
#define EMR_POLYLINETO 6
#define EMR_POLYPOLYLINE 7
#define EMR_POLYPOLYGON 8
#define EMR_SETWINDOWEXTEX 9
#define EMR_SETWINDOWORGEX 10
#define EMR_SETVIEWPORTEXTEX 11
#define EMR_SETVIEWPORTORGEX 12
#define EMR_SETBRUSHORGEX 13
#define EMR_EOF 14
#define EMR_SETPIXELV 15
#define EMR_SETMAPPERFLAGS 16
#define EMR_SETMAPMODE 17
#define EMR_SETBKMODE 18
#define EMR_SETPOLYFILLMODE 19
#define EMR_SETROP2 20
#define EMR_SETSTRETCHBLTMODE 21
#define EMR_SETTEXTALIGN 22
#define EMR_SETCOLORADJUSTMENT 23
#define EMR_SETTEXTCOLOR 24
#define EMR_SETBKCOLOR 25
#define EMR_OFFSETCLIPRGN 26
#define EMR_MOVETOEX 27
#define EMR_SETMETARGN 28
#define EMR_EXCLUDECLIPRECT 29
#define EMR_INTERSECTCLIPRECT 30
#define EMR_SCALEVIEWPORTEXTEX 31
#define EMR_SCALEWINDOWEXTEX 32
#define EMR_SAVEDC 33
#define EMR_RESTOREDC 34
#define EMR_SETWORLDTRANSFORM 35
#define EMR_MODIFYWORLDTRANSFORM 36
#define EMR_SELECTOBJECT 37
#define EMR_CREATEPEN 38
#define EMR_CREATEBRUSHINDIRECT 39
#define EMR_DELETEOBJECT 40
#define EMR_ANGLEARC 41
#define EMR_ELLIPSE 42
#define EMR_RECTANGLE 43
#define EMR_ROUNDRECT 44
#define EMR_ARC 45
#define EMR_CHORD 46
#define EMR_PIE 47
#define EMR_SELECTPALETTE 48
#define EMR_CREATEPALETTE 49
#define EMR_SETPALETTEENTRIES 50
#define EMR_RESIZEPALETTE 51
#define EMR_REALIZEPALETTE 52
#define EMR_EXTFLOODFILL 53
#define EMR_LINETO 54
#define EMR_ARCTO 55
#define EMR_POLYDRAW 56
#define EMR_SETARCDIRECTION 57
#define EMR_SETMITERLIMIT 58
#define EMR_BEGINPATH 59
#define EMR_ENDPATH 60
#define EMR_CLOSEFIGURE 61
#define EMR_FILLPATH 62
#define EMR_STROKEANDFILLPATH 63
#define EMR_STROKEPATH 64
#define EMR_FLATTENPATH 65
#define EMR_WIDENPATH 66
#define EMR_SELECTCLIPPATH 67
#define EMR_ABORTPATH 68
#define EMR_GDICOMMENT 70
#define EMR_FILLRGN 71
#define EMR_FRAMERGN 72
#define EMR_INVERTRGN 73
#define EMR_PAINTRGN 74
#define EMR_EXTSELECTCLIPRGN 75
#define EMR_BITBLT 76
#define EMR_STRETCHBLT 77
#define EMR_MASKBLT 78
#define EMR_PLGBLT 79
#define EMR_SETDIBITSTODEVICE 80
#define EMR_STRETCHDIBITS 81
#define EMR_EXTCREATEFONTINDIRECTW 82
#define EMR_EXTTEXTOUTA 83
#define EMR_EXTTEXTOUTW 84
#define EMR_POLYBEZIER16 85
#define EMR_POLYGON16 86
#define EMR_POLYLINE16 87
#define EMR_POLYBEZIERTO16 88
#define EMR_POLYLINETO16 89
#define EMR_POLYPOLYLINE16 90
#define EMR_POLYPOLYGON16 91
#define EMR_POLYDRAW16 92
#define EMR_CREATEMONOBRUSH 93
#define EMR_CREATEDIBPATTERNBRUSHPT 94
#define EMR_EXTCREATEPEN 95
#define EMR_POLYTEXTOUTA 96
#define EMR_POLYTEXTOUTW 97
#define EMR_SETICMMODE 98
#define EMR_CREATECOLORSPACE 99
#define EMR_SETCOLORSPACE 100
#define EMR_DELETECOLORSPACE 101
#define EMR_GLSRECORD 102
#define EMR_GLSBOUNDEDRECORD 103
#define EMR_PIXELFORMAT 104
#define EMR_SMALLTEXTOUT 108
#define EMR_COLORCORRECTPALETTE 111
#define EMR_SETICMPROFILEA 112
#define EMR_SETICMPROFILEW 113
#define EMR_ALPHABLEND 114
#define EMR_SETLAYOUT 115
#define EMR_TRANSPARENTBLT 116
#define EMR_GRADIENTFILL 118
#define EMR_SETLINKEDUFIS 119
#define EMR_SETTEXTJUSTIFICATION 120
#define EMR_COLORMATCHTOTARGETW 121
#define EMR_CREATECOLORSPACEW 122
#define EMR_MIN 1
#define EMR_MAX 122

// Public comment identifiers (EMR_GDICOMMENT).
#define GDICOMMENT_IDENTIFIER 0x43494447u  // "GDIC"
#define GDICOMMENT_EMFPLUS 0x2B464D45u     // "EMF+"

typedef int(CALLBACK* ENHMFENUMPROC)(HDC hdc, HANDLETABLE* lpht, const ENHMETARECORD* lpmr, int nHandles,
                                     LPARAM data);

// Recording. hdcRef is the reference device (NULL: the display); lprc the picture frame in
// .01 mm (NULL: the bounds of the drawing); lpFilename the file to write on close (NULL: memory);
// lpDescription "application\0picture\0\0".
WIN32_API HDC WINAPI CreateEnhMetaFileW(HDC hdcRef, LPCWSTR lpFilename, const RECT* lprc, LPCWSTR lpDescription);
WIN32_API HENHMETAFILE WINAPI CloseEnhMetaFile(HDC hdc);
WIN32_API BOOL WINAPI GdiComment(HDC hdc, UINT nSize, const BYTE* lpData);

// Playing.
WIN32_API BOOL WINAPI PlayEnhMetaFile(HDC hdc, HENHMETAFILE hmf, const RECT* lprect);
WIN32_API BOOL WINAPI EnumEnhMetaFile(HDC hdc, HENHMETAFILE hmf, ENHMFENUMPROC proc, LPVOID param, const RECT* lpRect);
WIN32_API BOOL WINAPI PlayEnhMetaFileRecord(HDC hdc, LPHANDLETABLE pht, const ENHMETARECORD* pmr, UINT cht);

// The metafile object.
WIN32_API HENHMETAFILE WINAPI GetEnhMetaFileW(LPCWSTR lpName);
WIN32_API HENHMETAFILE WINAPI SetEnhMetaFileBits(UINT nSize, const BYTE* pb);
WIN32_API UINT WINAPI GetEnhMetaFileBits(HENHMETAFILE hEMF, UINT nSize, LPBYTE lpData);
WIN32_API HENHMETAFILE WINAPI CopyEnhMetaFileW(HENHMETAFILE hEnh, LPCWSTR lpFileName);
WIN32_API BOOL WINAPI DeleteEnhMetaFile(HENHMETAFILE hmf);
WIN32_API UINT WINAPI GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT nSize, LPENHMETAHEADER lpEnhMetaHeader);
WIN32_API UINT WINAPI GetEnhMetaFileDescriptionW(HENHMETAFILE hemf, UINT cchBuffer, LPWSTR lpDescription);
