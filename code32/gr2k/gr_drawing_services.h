// What the document flow asks of the drawing code: clipping, the raster operation, the
// attribute caches, the downloaded-glyph table and the image path that sends a bitmap.
#pragma once

#include "gr_pdev.h"
#include "win32/ddi.h"

// Puts the clip of pco in place (NULL: no clipping); 0 or another non-negative value when in
// place, -1 on failure.
int GrApplyClip(PhysicalDevice* pdev, CLIPOBJ* pco);
// Selects a ternary raster operation for what follows; 0 on failure.
int GrSelectRop3(PhysicalDevice* pdev, BYTE rop3);
// Forgets the clip and attributes last written, so that the page's first records restate them.
void GrInvalidateDrawCaches(PhysicalDevice* pdev);
// Empties the downloaded-glyph table; the generation grows by one.
void GrEmptyGlyphTable(PhysicalDevice* pdev);
// Sends psoSrc's rectangle prclSrc as image records at prclDest; 1/0.
int GrEmitImage(PhysicalDevice* pdev, XLATEOBJ* pxlo, SURFOBJ* psoSrc, COLORADJUSTMENT* pca, POINTL* pptlOrigin,
                RECTL* prclDest, RECTL* prclSrc, SURFOBJ* psoMask, POINTL* pptlMask, ROP4 rop4, ULONG extraFlags);
