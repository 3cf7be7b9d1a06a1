// Colour transforms of the host's colour management: made from the printer profile the
// engine hands over, one per rendering intent when the settings separate images, text and
// lines, and used by the record writers to match colours before they are written.
#include "gr_color_transform.h"

#include <cstring>

#include "gr_drawing_entries.h"

namespace {

ColourTransformState& Set(PhysicalDevice* pdev) { return pdev->colourTransform; }

HANDLE& Slot(PhysicalDevice* pdev, int slot) { return Set(pdev).transforms[slot]; }

bool PerIntent(const PhysicalDevice* pdev) {
  return pdev->colourTransform.icmType == 1 && pdev->icmInPrinter == 0;
}

// Deletes the transforms and closes the profile of the record's set, and forgets them.
void ReleaseSet(PhysicalDevice* pdev, HANDLE given) {
  if (given) DeleteColorTransform(given);
  for (int slot : {kIcmMain, kIcmImage, kIcmText, kIcmLine, kIcmSingle}) {
    HANDLE& h = Slot(pdev, slot);
    if (h && h != given) DeleteColorTransform(h);
    h = nullptr;
  }
  if (HANDLE& profile = Slot(pdev, kIcmProfile)) {
    CloseColorProfile(profile);
    profile = nullptr;
  }
}

}  // namespace

int GrHostMatching(const PhysicalDevice* pdev) {
  const ColourTransformState& c = pdev->colourTransform;
  return pdev->printMethod != 5 && pdev->printMethod != 7 && !pdev->printMethodSeven && pdev->colourMode == 2 &&
                 c.colorMatching == 1 && c.icmType == 1 && pdev->icmInPrinter == 0
             ? 1
             : 0;
}

int GrHostMatchingImages(const PhysicalDevice* pdev) {
  if (!GrHostMatching(pdev)) return 0;
  const ColourTransformState& c = pdev->colourTransform;
  return (c.adjustMode == 1 ? c.colorModeImage : c.colorMode) != 255 ? 1 : 0;
}

HTRANSFORM GrTransformOf(const PhysicalDevice* pdev, int objectType) {
  const ColourTransformState& c = pdev->colourTransform;
  if (c.adjustMode != 1) return c.transforms[kIcmSingle];
  switch (objectType) {
    case kIcmObjectImage: return c.transforms[kIcmImage];
    case kIcmObjectText: return c.transforms[kIcmText];
    case kIcmObjectLine: return c.transforms[kIcmLine];
    default: return c.transforms[kIcmMain];
  }
}

BOOL WINAPI GrIcmProgress(ULONG, ULONG, LPARAM) { return TRUE; }

int GrTranslateColors(PhysicalDevice* pdev, void* bits, BMFORMAT format, DWORD width, DWORD height, void* output,
                      int objectType) {
  HTRANSFORM transform = GrTransformOf(pdev, objectType);
  if (!transform || !bits) return 0;
  void* out = output;
  const uint64_t bytes = ((uint64_t{width} * 3 + 3) & ~uint64_t{3}) * height;
  if (!output) {
    if (bytes > 0x7FFFFFFF) return 0;
    out = GrHeapAlloc(pdev->heap, bytes ? bytes : 1);
    if (!out) return 0;
  }
  const BOOL ok =
      TranslateBitmapBits(transform, bits, format, width, height, 0, out, format, 0, GrIcmProgress, 0);
  if (!output) {
    if (ok) std::memcpy(bits, out, bytes);
    GrHeapFree(pdev->heap, out);
  }
  return ok ? 1 : 0;
}

HANDLE WINAPI DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW* pLogColorSpace, PVOID, ULONG,
                                         PVOID pvDestProfile, ULONG cjDestProfile, PVOID, ULONG, DWORD) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return nullptr;
  // A set made before is given back first rather than lost.
  ReleaseSet(pdev, nullptr);
  PROFILE profile{PROFILE_MEMBUFFER, pvDestProfile, cjDestProfile};
  HPROFILE opened = pvDestProfile ? OpenColorProfileW(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING) : nullptr;
  Slot(pdev, kIcmProfile) = opened;
  if (!opened || !pLogColorSpace) return nullptr;
  Slot(pdev, kIcmMain) = CreateColorTransformW(pLogColorSpace, opened, nullptr, BEST_MODE);
  if (PerIntent(pdev)) {
    LOGCOLORSPACEW copy = *pLogColorSpace;
    const ColourTransformState& c = Set(pdev);
    auto make = [&](int slot, uint32_t intent) {
      copy.lcsIntent = static_cast<LCSGAMUTMATCH>(intent);
      Slot(pdev, slot) = CreateColorTransformW(&copy, opened, nullptr, BEST_MODE);
    };
    if (c.adjustMode == 1) {
      make(kIcmImage, c.intents[2]);
      make(kIcmText, c.intents[0]);
      make(kIcmLine, c.intents[1]);
    } else {
      make(kIcmSingle, c.intents[3]);
    }
  }
  return Slot(pdev, kIcmMain);
}

BOOL WINAPI DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE hcmXform) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return FALSE;
  // The transforms and the profile are deleted once and forgotten, so that a reset record or
  // a second delete never reaches them again.
  ReleaseSet(pdev, hcmXform);
  return TRUE;
}
