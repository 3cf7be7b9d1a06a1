// The layout table of the pictures (rows in sheet_picture_layout_rows.inc, drawn with the
// pictures by host/modules/commonres/make_pictures.py).
#include "sheet_resources.h"

namespace {

constexpr PictureLayoutEntry kPictureLayoutTable[] = {
#include "sheet_picture_layout_rows.inc"
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

}  // namespace

const PictureLayoutEntry* UiGetPictureLayoutTable() { return kPictureLayoutTable; }

const PictureLayoutEntry* UiFindPictureLayout(uint16_t bitmapId) {
  if (!bitmapId) return nullptr;
  for (const PictureLayoutEntry* row = kPictureLayoutTable; row->bitmapId; ++row)
    if (row->bitmapId == bitmapId) return row;
  return nullptr;
}
