// What the picture files share among themselves: the composition record and the bytes of a
// bitmap resource.
#pragma once

#include <cstddef>

#include "driver_context.h"
#include "sheet_resources.h"
#include "win32/windows.h"

// The composition record of the context's sheet engine state; NULL without a work area.
inline UiComposition* UiCompositionOf(DriverContext* ctx) {
  return ctx && ctx->workArea ? &ctx->workArea->sheet.composition : nullptr;
}

struct UiResourceBytes {
  HGLOBAL handle = nullptr;
  const BYTE* data = nullptr;
  size_t size = 0;
};
// The RT_BITMAP resource of an id from the library its range names; 1/0.
int UiFindBitmapData(DriverContext* ctx, uint16_t id, UiResourceBytes* out);
// The RT_BITMAP resource of a name (or MAKEINTRESOURCE id) in one library; 1/0.
int UiFindResourceBytes(HMODULE library, const WCHAR* name, UiResourceBytes* out);
// Frees the off-screen DC and bitmap of a composition and ends it.
void UiDiscardComposition(DriverContext* ctx);
// Draws a checked bitmap at (x, y) at its size with the given colour table (colourCount
// entries) and raster operation.
void UiDrawDib(HDC dc, int x, int y, const UiDibView& dib, const RGBQUAD* colours, DWORD rop);
