// Colour transforms: the host's colour management builds the transforms of a job from the
// engine's colour space and the printer's profile, one per rendering intent when the settings
// ask for separate intents for images, text and lines; the record writers pass colours,
// brush patterns, palettes and 24-bit pixels through them and mark what was matched.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/icm.h"

// Slots of ColourTransformState::transforms.
enum : int {
  kIcmProfile = 0,
  kIcmMain = 1,
  kIcmImage = 2,
  kIcmText = 3,
  kIcmLine = 4,
  kIcmSingle = 5,
};

// Object types of GrTranslateColors.
enum : int { kIcmObjectImage = 1, kIcmObjectText = 2, kIcmObjectLine = 3 };

// Whether the module matches colours itself: a colour job, matching on and done by the host.
int GrHostMatching(const PhysicalDevice* pdev);
// ... and for images, which also need a colour mode.
int GrHostMatchingImages(const PhysicalDevice* pdev);
// The transform an object type uses; NULL when there is none.
HTRANSFORM GrTransformOf(const PhysicalDevice* pdev, int objectType);
// Translates width x height pixels (rows padded to 4 bytes) into output, or in place when
// output is NULL; non-zero on success, 0 without a transform or memory.
int GrTranslateColors(PhysicalDevice* pdev, void* bits, BMFORMAT format, DWORD width, DWORD height, void* output,
                      int objectType);
BOOL WINAPI GrIcmProgress(ULONG ulMax, ULONG ulCurrent, LPARAM data);
