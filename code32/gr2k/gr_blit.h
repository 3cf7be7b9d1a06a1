// Blits and images: bit-block transfers on the device surface as fills and image records, with
// sources converted, reduced, flipped or masked where the device cannot take them as they are.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/ddi.h"

// Flag-word bits of the image writer set by the blits.
enum : uint32_t {
  kImageRopNotCopy = 0x80,    // a DrvBitBlt whose ROP4 is not 0xCCCC
  kImageHostIcm = 0x800,      // the translation carries XO_HOST_ICM
  kImageReduced = 0x20000,    // the source was reduced by a factor above 1
};

struct ImageExtents {
  LONG cx, cy;
};
// 1..5: how far a source of s may be reduced for a destination of d (absolute extents).
int GrReductionFactor(ImageExtents s, ImageExtents d);
// Stretches the source into a new locked bitmap of `format`; the factor used, 0 on failure.
int GrStretchToTemp(PhysicalDevice* pdev, XLATEOBJ* pxlo, SURFOBJ* psoSrc, RECTL* prclSrc, RECTL* prclDest,
                    COLORADJUSTMENT* pca, POINTL* pptlOrigin, SURFOBJ* psoMask, POINTL* pptlMask, ROP4 rop4,
                    ULONG format, HSURF* bitmap, SURFOBJ** surface);
// The pixel code of the image record for an engine format; 4 (after conversion) for others.
uint32_t GrImageCodeOfFormat(ULONG format, bool* convert);
