// The previews drawn over the page pictures of the sheets (the layered picture control itself
// is declared with the pictures in sheet_engine.h).
#pragma once

#include "sheet_engine.h"
#include "sheet_resources.h"

// What the layered picture control hands the feature modules.
constexpr DWORD kNotifyPreview = 7;       // a page picture was drawn: the preview may be drawn on it
constexpr DWORD kNotifyLayerColour = 56;  // the colour balance of one layer
constexpr DWORD kNotifyPictureDrawn = 29; // a picture control of id 0 was drawn

// The parameter of a preview request (notify code 7).
struct UiPreviewRequest {
  ControlDescriptor* control;
  int32_t width;
  int32_t height;
  HDC target;
  RECT* pageRect;
  const PictureLayoutEntry* layoutRow;
};
struct UiLayerColourQuery {
  ControlDescriptor* control;
  uint16_t valueId;
  uint16_t answer;  // 0xFFFF unless a module answers
};
struct UiPictureDrawn {
  ControlDescriptor* control;
  RECT* rect;
};

// The same notification under the feature modules' name.
constexpr DWORD kFmNotifyPagePictureDrawn = kNotifyPreview;

// The watermark stamp over the page picture: width x height is the preview's size (50 x 69 over
// a portrait page, 68 x 50 over a landscape one), pageRect the page picture's rectangle in the
// composition; the target DC is not read (the composition's DC is drawn on). The control's
// auxiliary record of tag 8 lists the stamp's options: text, face, style, effect, colour,
// density, angle, size, picture file, picture scale, position, tiling, opaque, page.
void UiDrawWatermarkPreview(DriverContext* ctx, ControlDescriptor* control, int width, int height, HDC target,
                            RECT* pageRect);
// The copy-prevention pattern: the printed sheet (control 2931) and the copy (control 2943).
void UiDrawCopyGuardPreview(DriverContext* ctx, ControlDescriptor* control, int width, int height, HDC target,
                            RECT* pageRect);
