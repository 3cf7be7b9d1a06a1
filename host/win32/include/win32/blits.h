// The transfers with a source or a fill of their own beside those of gdi.h: TransparentBlt,
// PlgBlt and the flood fills.
#pragma once

#include "win32/gdi.h"

WIN32_API BOOL WINAPI TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                                     int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent);
WIN32_API BOOL WINAPI PlgBlt(HDC hdcDest, const POINT* lpPoint, HDC hdcSrc, int xSrc, int ySrc, int width, int height,
                             HBITMAP hbmMask, int xMask, int yMask);

// Flood fills: FLOODFILLBORDER fills up to the border colour, FLOODFILLSURFACE the area of the
// colour. Only DCs with RC_FLOODFILL (memory DCs) take them.
#define FLOODFILLBORDER 0
#define FLOODFILLSURFACE 1
WIN32_API BOOL WINAPI ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type);
WIN32_API BOOL WINAPI FloodFill(HDC hdc, int x, int y, COLORREF color);
