// The engine's owner-drawn push buttons and panels: face, 3-D edge or arrow pictures, the
// label of the button-text table and the focus rectangle.
#include <algorithm>

#include "env_language.h"
#include "sheet_pictures_internal.h"
#include "sheet_resources.h"

namespace {

constexpr uint16_t kButtonNoText = 0xFFFF;  // the button-text id of a button without text

// A pen and a brush of one colour selected into a DC for the life of the record.
struct SolidInk {
  HDC dc;
  HBRUSH brush;
  HPEN pen;
  HGDIOBJ oldBrush, oldPen;
  SolidInk(HDC target, COLORREF colour)
      : dc(target), brush(CreateSolidBrush(colour)), pen(CreatePen(PS_SOLID, 1, colour)),
        oldBrush(SelectObject(target, brush)), oldPen(SelectObject(target, pen)) {}
  SolidInk(const SolidInk&) = delete;
  SolidInk& operator=(const SolidInk&) = delete;
  ~SolidInk() {
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
};

void Line(HDC dc, int x0, int y0, int x1, int y1, int colourIndex) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colourIndex));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// One ring of the edge: top-left in one colour, bottom-right in another.
void Ring(HDC dc, const RECT& r, int topLeft, int bottomRight) {
  Line(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
  Line(dc, r.left, r.top, r.right - 1, r.top, topLeft);
  Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
  Line(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, bottomRight);
}

// An arrow picture of the language-neutral library, centred across the quarter and against its
// top or bottom edge, copied opaque.
void DrawArrow(DriverContext* ctx, HDC dc, const RECT& quarter, uint16_t id, bool bottom) {
  UiResourceBytes bytes;
  UiDibView dib;
  if (!UiFindResourceBytes(UiLoadCommonResDll(ctx), MAKEINTRESOURCEW(id), &bytes) ||
      !UiCheckDib(bytes.data, bytes.size, &dib))
    return;
  const int x = (quarter.left + quarter.right - dib.width) / 2;
  const int y = bottom ? quarter.bottom - dib.height : quarter.top;
  UiDrawDib(dc, x, y, dib, dib.colours, SRCCOPY);
}

uint16_t LeftArrow(DWORD style) {
  switch (style & 0x30) {
    case 0x10: return kArrowBitmapUp;
    case 0x20: return kArrowBitmapDown;
    case 0x30: return kArrowBitmapBoth;
  }
  return 0;
}

uint16_t RightArrow(DWORD style) {
  switch (style & 0xC0) {
    case 0x40: return kArrowBitmapBoth;
    case 0x80: return kArrowBitmapDown;
    case 0xC0: return kArrowBitmapUp;
  }
  return 0;
}

// "<" or ">" as a filled triangle of the text's height, centred in the face.
void Triangle(HDC dc, const RECT& face, int size, bool left) {
  const int half = std::max(size / 2, 2);
  const int cx = (face.left + face.right) / 2, cy = (face.top + face.bottom) / 2;
  const int tip = left ? cx - half / 2 : cx + half / 2, base = left ? cx + half / 2 : cx - half / 2;
  POINT points[3] = {{tip, cy}, {base, cy - half}, {base, cy + half}};
  const SolidInk ink(dc, GetSysColor(COLOR_MENUTEXT));
  Polygon(dc, points, 3);
}

}  // namespace

void UiFillFrame(HDC dc, RECT* rect, COLORREF colour) {
  if (!dc || !rect) return;
  const SolidInk ink(dc, colour);
  Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
}

int UiDrawPanelButton(DriverContext* ctx, DialogDescriptor*, ControlDescriptor*, HWND window, HDC dc,
                      RECT* rect, uint32_t style, int pressed, int focused) {
  if (!dc || !rect) return 0;
  RECT face = *rect;
  if (focused) InflateRect(&face, -1, -1);
  HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));
  Rectangle(dc, face.left, face.top, face.right, face.bottom);
  SelectObject(dc, oldBrush);

  switch (style & 0xF) {
    case kPanelEdge: {
      RECT inner = face;
      if (pressed) {
        Ring(dc, inner, COLOR_BTNSHADOW, COLOR_BTNFACE);
        InflateRect(&inner, -1, -1);
        Ring(dc, inner, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT);
      } else {
        Ring(dc, inner, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
        InflateRect(&inner, -1, -1);
        Ring(dc, inner, COLOR_BTNFACE, COLOR_BTNSHADOW);
      }
      break;
    }
    case kPanelArrows: {
      const int midX = (face.left + face.right) / 2, midY = (face.top + face.bottom) / 2;
      if (uint16_t id = LeftArrow(style)) {
        DrawArrow(ctx, dc, RECT{face.left, face.top, midX, midY}, id, false);
        DrawArrow(ctx, dc, RECT{face.left, midY, midX, face.bottom}, id, true);
      }
      if (uint16_t id = RightArrow(style)) {
        DrawArrow(ctx, dc, RECT{midX, face.top, face.right, midY}, id, false);
        DrawArrow(ctx, dc, RECT{midX, midY, face.right, face.bottom}, id, true);
      }
      InflateRect(&face, -4, -2);
      break;
    }
  }

  int labelWidth = 0;
  if (window) {
    WCHAR label[kCtxScratchChars] = {};
    const uint16_t textId = ctx && ctx->workArea ? ctx->workArea->sheet.buttonTextId : 0;
    if (textId == 0)
      lstrcpynW(label, u"...", kCtxScratchChars);
    else if (textId != kButtonNoText)
      EnvLoadString(ctx, textId, label, kCtxScratchChars, 1);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const UINT format = DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER;
    RECT measure = face;
    DrawTextW(dc, label, -1, &measure, format | DT_CALCRECT);
    labelWidth = measure.right - measure.left;
    const int textHeight = measure.bottom - measure.top;
    RECT text = face;
    text.top += (face.bottom - face.top - textHeight) / 2;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (label[0] && !label[1] && (label[0] == u'<' || label[0] == u'>')) {
      Triangle(dc, face, textHeight, label[0] == u'<');
    } else if (label[0]) {
      const COLORREF oldColour = GetTextColor(dc);
      if (!IsWindowEnabled(window)) {
        RECT shadow = text;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, label, -1, &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      }
      DrawTextW(dc, label, -1, &text, format);
      SetTextColor(dc, oldColour);
    }
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
  }
  if (focused) {
    RECT focus = *rect;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
  return labelWidth;
}
