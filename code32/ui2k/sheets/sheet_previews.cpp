// The layered pictures of the pages (the printer and the printed sheet, one bitmap per value of
// the control's item) and the two previews drawn over a page picture: the watermark stamp and
// the copy-prevention pattern, as printed and as a copy shows it.
#include <algorithm>
#include <array>
#include <string>

#include "feature_modules.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "sheet_previews.h"
#include "sheet_engine.h"
#include "sheet_engine_state.h"
#include "sheet_resources.h"

namespace {

#include "sheet_preview_rotation_rows.inc"

constexpr uint16_t kOptResolution = 38;      // zdmDstResolutionW
constexpr uint16_t kOptPaperLengthDot = 47;  // zdmDstPaperLengthDot
constexpr uint16_t kOptPaperWidthDot = 48;   // zdmDstPaperWidthDot
constexpr uint16_t kOptWatermarkOn = 60;     // zdmFuncSelectWaterMark
constexpr uint16_t kOptCopyProtectOn = 79;   // zdmFuncSelectCopyProtect
constexpr uint16_t kOptStampKind = 117;      // zdmWmKind
enum : uint16_t {
  kOptCgColour = 514,
  kOptCgDensity = 515,
  kOptCgCopyGuard = 517,
  kOptCgOutline = 519,
  kOptCgRepeat = 521,
  kOptCgReverse = 522,
  kOptCgPosition = 525,
  kOptCgText = 526,
  kOptCgFace = 527,
  kOptCgStyle = 528,
  kOptCgSize = 529,
  kOptCgAngle = 530,
  kOptCgLinePitch = 531,
};
constexpr uint16_t kPrintedPreview = 2931;  // ZPD_IDC_ILLEGALCOPY_PROTECT_STATIC_PRINDED_PREVIEW
constexpr uint16_t kCopiedPreview = 2943;   // ZPD_IDC_ILLEGALCOPY_PROTECT_STATIC_COPIED_PREVIEW
constexpr uint32_t kDrawColourAdjusted = 0x4;
constexpr uint32_t kDrawOverlay = 0x1;
constexpr DWORD kRopAndBrush = 0x00A000C9;  // DPa
constexpr DWORD kRopOrBrush = 0x00FA0089;   // DPo


constexpr std::array<uint16_t, 22> kPortraitPages = {6001, 6004, 6005, 6008, 6009, 6011, 6013, 6016,
                                                     6017, 6019, 6021, 6023, 6025, 6027, 6029, 6031,
                                                     6033, 6037, 6040, 6043, 6046, 7379};
constexpr std::array<uint16_t, 26> kLandscapePages = {6002, 6003, 6006, 6007, 6010, 6012, 6014, 6015, 6018,
                                                      6020, 6022, 6024, 6026, 6028, 6030, 6032, 6034, 6035,
                                                      6036, 6038, 6039, 6041, 6042, 6044, 6045, 7380};

template <size_t N>
bool Listed(const std::array<uint16_t, N>& list, uint16_t id) {
  return std::find(list.begin(), list.end(), id) != list.end();
}

int32_t Value(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

std::u16string StringValue(DriverContext* ctx, uint16_t id) {
  OptionEntry* row = nullptr;
  OptGetValuePointer(ctx, id, &row);
  WCHAR text[260] = {};
  if (row) OptGetStringValue(ctx, row, text, 260);
  return text;
}

// The grey level of the density, the colour code putting channels to full.
COLORREF StampColour(int grey, int code) {
  int r = grey, g = grey, b = grey;
  switch (code) {
    case 1: r = 255; break;
    case 2: g = 255; break;
    case 3: b = 255; break;
    case 4: g = b = 255; break;
    case 5: r = b = 255; break;
    case 6: r = g = 255; break;
    default: break;
  }
  return RGB(r, g, b);
}

POINT Turn(POINT p, int h, POINT about) {
  const int x = p.x - about.x, y = p.y - about.y;
  return POINT{(kPreviewCosine[h] * x - kPreviewSine[h] * y) / 100 + about.x,
               (kPreviewSine[h] * x + kPreviewCosine[h] * y) / 100 + about.y};
}

// Shifts the points so that the smallest x and y become 0; the largest x and y are the extent.
SIZE Normalise(POINT* points, int count) {
  LONG minX = points[0].x, minY = points[0].y;
  for (int i = 1; i < count; ++i) minX = std::min(minX, points[i].x), minY = std::min(minY, points[i].y);
  SIZE extent{0, 0};
  for (int i = 0; i < count; ++i) {
    points[i].x -= minX;
    points[i].y -= minY;
    extent.cx = std::max(extent.cx, points[i].x);
    extent.cy = std::max(extent.cy, points[i].y);
  }
  return extent;
}

// The text box: the extent, widened to the ABC widths (with the overhangs of the first and the
// last character) when they are larger.
SIZE TextBox(HDC dc, const std::u16string& text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  if (text.empty()) return size;
  LONG sum = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    ABC abc{};
    if (!GetCharABCWidthsW(dc, text[i], text[i], &abc)) return size;
    sum += abc.abcA + static_cast<LONG>(abc.abcB) + abc.abcC;
    if (i == 0 && abc.abcA < 0) sum -= abc.abcA;
    if (i + 1 == text.size() && abc.abcC < 0) sum -= abc.abcC;
  }
  size.cx = std::max(size.cx, sum);
  return size;
}

// Where a box of the extent goes in the bitmap by a position code.
POINT Place(int code, SIZE extent, int w, int h) {
  switch (code) {
    case 0: return {(w - extent.cx) / 2, (h - extent.cy) / 2};
    case 2: return {(w - extent.cx) / 2, 0};
    case 4: return {w - extent.cx, 0};
    case 8: return {0, h - extent.cy};
    case 16: return {(w - extent.cx) / 2, h - extent.cy};
    case 32: return {w - extent.cx, h - extent.cy};
    default: return {0, 0};
  }
}

// The base font of the previews: the dialog's font (the control's parent), else the GUI font.
LOGFONTW BaseFont(ControlDescriptor* control) {
  LOGFONTW lf{};
  HWND parent = control && control->window ? GetParent(control->window) : nullptr;
  HFONT font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  GetObjectW(font, sizeof lf, &lf);
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = 0;
  return lf;
}

HFONT MakeStampFont(LOGFONTW lf, const std::u16string& face, int points, int angle, int style, int shortSide,
                    int resolution) {
  const int scale = resolution > 0 ? shortSide / resolution : 0;
  int height = scale > 0 ? MulDiv(points, 50, 72) / scale : 0;
  if (height <= 2 && angle != 0)
    height = 3;
  else if (height <= 1)
    height = 2;
  lf.lfHeight = height;
  lf.lfWidth = 0;
  lf.lfEscapement = lf.lfOrientation = angle * 10;
  lf.lfWeight = (style == 1 || style == 3) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style == 2 || style == 3) ? TRUE : FALSE;
  const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.begin(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return CreateFontIndirectW(&lf);
}

// A memory bitmap of the preview's reduced size, compatible with the composition.
struct MemoryBitmap {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  bool Make(HDC like, int w, int h) {
    dc = CreateCompatibleDC(like);
    bitmap = dc ? CreateCompatibleBitmap(like ? like : dc, w, h) : nullptr;
    if (!bitmap) return false;
    previous = SelectObject(dc, bitmap);
    return true;
  }
  ~MemoryBitmap() {
    if (dc && previous) SelectObject(dc, previous);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
};

// The text is drawn black on a second white bitmap when the first cannot show its colour.
struct TextLayer {
  MemoryBitmap second;
  HDC dc = nullptr;  // where the text goes
  COLORREF textColour = 0;
  bool separate = false;
  bool Prepare(HDC composition, HDC first, int w, int h, COLORREF colour) {
    separate = GetNearestColor(first, colour) != colour;
    textColour = separate ? RGB(0, 0, 0) : colour;
    dc = first;
    if (!separate) return true;
    if (!second.Make(composition, w, h)) return false;
    PatBlt(second.dc, 0, 0, w, h, WHITENESS);
    dc = second.dc;
    return true;
  }
  // Combines the black text with the first bitmap in the real colour.
  void Combine(HDC first, int w, int h, COLORREF colour, bool opaque) {
    if (!separate) return;
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ old = SelectObject(second.dc, brush);
    if (opaque) {
      BitBlt(first, 0, 0, w, h, second.dc, 0, 0, SRCAND);
      BitBlt(second.dc, 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
      BitBlt(second.dc, 0, 0, w, h, nullptr, 0, 0, kRopAndBrush);
      BitBlt(first, 0, 0, w, h, second.dc, 0, 0, SRCPAINT);
    } else {
      BitBlt(second.dc, 0, 0, w, h, nullptr, 0, 0, kRopOrBrush);
      BitBlt(first, 0, 0, w, h, second.dc, 0, 0, SRCAND);
    }
    SelectObject(second.dc, old);
    DeleteObject(brush);
  }
};

// The drawing tools of a stamp text: font, colour, transparent background, a pen for frames.
struct TextTools {
  HDC dc;
  HFONT font;
  HPEN pen;
  HGDIOBJ oldFont, oldPen, oldBrush;
  TextTools(HDC d, HFONT f, COLORREF colour) : dc(d), font(f) {
    pen = CreatePen(PS_SOLID, 1, colour);
    oldFont = SelectObject(dc, font);
    oldPen = SelectObject(dc, pen);
    oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
  }
  ~TextTools() {
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
  }
};

// The preview rectangle: the reduced size centred on the page picture, then moved.
RECT PreviewRect(const RECT& page, int w, int h, int dx, int dy) {
  const int left = page.left + (page.right - page.left - w) / 2 + dx;
  const int top = page.top + (page.bottom - page.top - h) / 2 + dy;
  return RECT{left, top, left + w, top + h};
}

// The options of the watermark preview, in the order of the control's record.
struct WatermarkOptions {
  uint16_t text, face, style, effect, colour, density, angle, size, picture, scale, position, tiling, opaque, page;
};

bool ReadWatermarkOptions(const ControlDescriptor* control, WatermarkOptions* out) {
  const uint16_t* aux = UiGetControlAux(control, kAuxPreview);
  if (!aux) return false;
  uint16_t* fields = &out->text;
  for (int i = 0; i < kPreviewOptionCount; ++i) fields[i] = aux[1 + i];
  return true;
}

void DrawStampText(DriverContext* ctx, ControlDescriptor* control, const WatermarkOptions& o, HDC composition,
                   HDC first, int w, int h, int shortSide, int resolution, bool opaque) {
  const int density = Value(ctx, o.density);
  const COLORREF colour = StampColour(MulDiv(255, 100 - density, 100), Value(ctx, o.colour));
  TextLayer layer;
  if (!layer.Prepare(composition, first, w, h, colour)) return;
  const std::u16string text = StringValue(ctx, o.text);
  const int angle = ((Value(ctx, o.angle) % 360) + 360) % 360;
  const int effect = Value(ctx, o.effect);
  HFONT font = MakeStampFont(BaseFont(control), StringValue(ctx, o.face), Value(ctx, o.size), angle,
                             Value(ctx, o.style), shortSide, resolution);
  if (!font) return;
  {
    TextTools tools(layer.dc, font, layer.textColour);
    HDC dc = layer.dc;
    SIZE box = TextBox(dc, text);
    if (box.cx > 0 && box.cy > 0) {
      box.cx += 2;
      box.cy += 10;
      const int turn = (360 - angle) % 360;
      POINT p[5];
      SIZE extent;
      if (effect == 2) {
        const int e = std::max(box.cx, box.cy) + 12;
        const int j = e / 2 - box.cx / 2, k = e / 2 - box.cy / 2;
        p[0] = {j, k}, p[1] = {j, k + box.cy}, p[2] = {j + box.cx, k + box.cy}, p[3] = {j + box.cx, k};
        p[4] = {j + 1, k + 5};
        for (POINT& q : p) q = Turn(q, turn, POINT{e / 2, e / 2});
        extent = {e, e};
      } else {
        p[0] = {0, 0}, p[1] = {0, box.cy}, p[2] = {box.cx, box.cy}, p[3] = {box.cx, 0}, p[4] = {1, 5};
        for (int i = 1; i < 5; ++i) p[i] = Turn(p[i], turn, POINT{0, 0});
        extent = Normalise(p, 5);
      }
      if (effect == 3) BeginPath(dc);
      auto drawAt = [&](int x, int y) {
        TextOutW(dc, x + p[4].x, y + p[4].y, text.c_str(), static_cast<int>(text.size()));
        if (effect == 1) {
          POINT frame[5] = {p[0], p[1], p[2], p[3], p[0]};
          for (POINT& q : frame) q.x += x, q.y += y;
          Polyline(dc, frame, 5);
        } else if (effect == 2) {
          const int mid = y + extent.cy / 2;
          Arc(dc, x, y, x + extent.cx, y + extent.cy, x + extent.cx, mid, x + extent.cx, mid);
        }
      };
      if (Value(ctx, o.tiling)) {
        for (int y = 0; y < h; y += extent.cy + 1)
          for (int x = 0; x < w; x += extent.cx + 1) drawAt(x, y);
      } else {
        const POINT at = Place(Value(ctx, o.position), extent, w, h);
        drawAt(at.x, at.y);
      }
      if (effect == 3) {
        EndPath(dc);
        StrokePath(dc);
      }
    }
  }
  DeleteObject(font);
  layer.Combine(first, w, h, colour, opaque);
}

void DrawStampPicture(DriverContext* ctx, const WatermarkOptions& o, HDC composition, HDC first, int w, int h,
                      int shortSide, int resolution) {
  const std::u16string path = StringValue(ctx, o.picture);
  int bw = 0, bh = 0;
  HBITMAP picture = path.empty() ? nullptr : UiLoadBmpFile(path.c_str(), &bw, &bh);
  if (!picture) return;
  const int t = Value(ctx, o.scale);
  auto scaled = [&](int v) {
    if (shortSide <= 0) return 1;
    const int s = v * t / 100 * resolution / 100 * 50 / shortSide;
    return std::max(s, v > 0 ? 1 : 0);
  };
  const int pw = scaled(bw), ph = scaled(bh);
  HDC source = CreateCompatibleDC(composition);
  HGDIOBJ old = source ? SelectObject(source, picture) : nullptr;
  if (source) {
    SetStretchBltMode(first, COLORONCOLOR);
    if (Value(ctx, o.tiling)) {
      MemoryBitmap tile;
      if (tile.Make(composition, pw, ph)) {
        SetStretchBltMode(tile.dc, COLORONCOLOR);
        StretchBlt(tile.dc, 0, 0, pw, ph, source, 0, 0, bw, bh, SRCCOPY);
        for (int y = 0; y < h; y += ph)
          for (int x = 0; x < w; x += pw) BitBlt(first, x, y, pw, ph, tile.dc, 0, 0, SRCCOPY);
      }
    } else {
      const POINT at = Place(Value(ctx, o.position), SIZE{pw, ph}, w, h);
      StretchBlt(first, at.x, at.y, pw, ph, source, 0, 0, bw, bh, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
  }
  DeleteObject(picture);
}

// The DC the previews draw on: the composition's off-screen DC, else the caller's target.
HDC PreviewTarget(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return nullptr;
  if (state->composition.composing && state->composition.offscreenDc) return state->composition.offscreenDc;
  return state->composition.targetDc;
}

// The text line of the copy guard: its font, turned corners and extent.
struct GuardLine {
  HFONT font = nullptr;
  POINT origin{0, 0};
  SIZE extent{0, 0};
  void Measure(HDC dc, const std::u16string& text, int angle) {
    HGDIOBJ old = SelectObject(dc, font);
    const SIZE box = TextBox(dc, text);
    SelectObject(dc, old);
    if (box.cx <= 0 || box.cy <= 0) return;
    const int turn = (360 - ((angle % 360) + 360) % 360) % 360;
    POINT p[5] = {{0, 0}, {0, box.cy}, {box.cx, box.cy}, {box.cx, 0}, {0, 0}};
    for (POINT& q : p) q = Turn(q, turn, POINT{0, 0});
    extent = Normalise(p, 5);
    origin = p[4];
  }
  ~GuardLine() {
    if (font) DeleteObject(font);
  }
};

}  // namespace

void UiDrawLayeredPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC target,
                          RECT* rect) {
  if (!ctx || !control || !control->modelItem || !ctx->modelImage) return;
  const ModelItem* item = control->modelItem;
  const ModelImage* image = ctx->modelImage;
  const ModelValue* first = MdlImageAt<ModelValue>(image, item->values);
  if (!first) return;
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return;
  UiComposition& c = state->composition;
  const bool single = (item->typeWord & 0xFF) == 1;
  const uint16_t current = control->option ? static_cast<uint16_t>(Value(ctx, control->option->id)) : 0;
  uint32_t flags = 0;
  if (const uint16_t* aux = UiGetControlAux(control, kAuxSamplePicture)) {
    for (int i = 0; i < kSampleOptionCount; ++i) c.colourAdjust[i] = 50 + Value(ctx, aux[kSampleFirstOption + i]);
    flags |= kDrawColourAdjusted;
  }
  const COLORREF savedBackground = c.background;
  const HDC savedTarget = c.targetDc;
  const HDC savedPaint = c.paintDc;
  if (target) {
    c.targetDc = target;
    c.paintDc = target;
  } else if (UiGetControlAux(control, kAuxPreview))
    c.background = RGB(255, 255, 255);
  UiBeginComposition(ctx);
  bool previewAsked = false;
  for (const ModelValue* v = first; v && v->valueId; v = MdlNextItemValue(image, item, v)) {
    const uint16_t id = v->valueId;
    if (single && id != current) continue;
    UiLayerColourQuery query{control, id, 0xFFFF};
    FmBroadcastNotify(ctx, kNotifyLayerColour, &query);
    if (query.answer != 0xFFFF) {
      c.colourAdjust[0] = query.answer + 50;
      for (int i = 1; i < 6; ++i) c.colourAdjust[i] = 50;
      flags |= kDrawColourAdjusted;
      c.layeredOnce = 1;
    }
    if (!MdlIsDisabled(item, id, ctx)) UiDrawPicture(ctx, dialog, control, control->window, rect, id, flags, 0);
    if (!previewAsked && (Listed(kPortraitPages, id) || Listed(kLandscapePages, id))) {
      previewAsked = true;
      const bool portrait = Listed(kPortraitPages, id);
      RECT page{};
      if (rect)
        page = RECT{0, 0, rect->right - rect->left, rect->bottom - rect->top};
      else if (control->window)
        GetClientRect(control->window, &page);
      UiPreviewRequest request{control, portrait ? 50 : 68, portrait ? 69 : 50, target, &page,
                               UiFindPictureLayout(id)};
      FmBroadcastNotify(ctx, kNotifyPreview, &request);
    }
    if (single) break;
    flags = (flags & kDrawColourAdjusted) | kDrawOverlay;
  }
  if (control->controlId == 0) {
    RECT r{};
    if (rect) r = *rect;
    else if (control->window) GetClientRect(control->window, &r);
    UiPictureDrawn drawn{control, &r};
    FmBroadcastNotify(ctx, kNotifyPictureDrawn, &drawn);
  }
  UiEndComposition(ctx, control->window, rect);
  for (int& p : c.colourAdjust) p = 50;
  c.background = savedBackground;
  c.targetDc = savedTarget;
  c.paintDc = savedPaint;
}

void UiDrawWatermarkPreview(DriverContext* ctx, ControlDescriptor* control, int width, int height, HDC,
                            RECT* pageRect) {
  WatermarkOptions o{};
  if (!ctx || !control || !pageRect || !ReadWatermarkOptions(control, &o) || !Value(ctx, kOptWatermarkOn)) return;
  const int shortSide = std::min(Value(ctx, kOptPaperWidthDot), Value(ctx, kOptPaperLengthDot));
  const int resolution = Value(ctx, kOptResolution);
  HDC page = PreviewTarget(ctx);
  if (!page) return;
  const int w = width - 2, h = height - 2;
  if (w <= 0 || h <= 0) return;
  MemoryBitmap first;
  if (!first.Make(page, w, h)) return;
  const RECT at = PreviewRect(*pageRect, w, h, -1, w < h ? -2 : -3);
  const bool opaque = Value(ctx, o.opaque) != 0;
  if (opaque)
    BitBlt(first.dc, 0, 0, w, h, page, at.left, at.top, SRCCOPY);
  else
    PatBlt(first.dc, 0, 0, w, h, WHITENESS);
  const int kind = Value(ctx, kOptStampKind);
  if (kind == 1)
    DrawStampText(ctx, control, o, page, first.dc, w, h, shortSide, resolution, opaque);
  else if (kind == 2 && o.picture)
    DrawStampPicture(ctx, o, page, first.dc, w, h, shortSide, resolution);
  BitBlt(page, at.left, at.top, w, h, first.dc, 0, 0, opaque ? SRCCOPY : SRCAND);
}

void UiDrawCopyGuardPreview(DriverContext* ctx, ControlDescriptor* control, int width, int height, HDC,
                            RECT* pageRect) {
  if (!ctx || !control || !pageRect) return;
  const uint16_t id = control->controlId;
  if ((id != kPrintedPreview && id != kCopiedPreview) || !Value(ctx, kOptCopyProtectOn)) return;
  const int shortSide = std::min(Value(ctx, kOptPaperWidthDot), Value(ctx, kOptPaperLengthDot));
  const int resolution = Value(ctx, kOptResolution);
  HDC page = PreviewTarget(ctx);
  if (!page) return;
  const int w = width - 2, h = height - 2;
  if (w <= 0 || h <= 0) return;
  MemoryBitmap first;
  if (!first.Make(page, w, h)) return;
  const RECT at = PreviewRect(*pageRect, w, h, -2, w < h ? -2 : -1);
  BitBlt(first.dc, 0, 0, w, h, page, at.left, at.top, SRCCOPY);
  const bool guard = Value(ctx, kOptCgCopyGuard) != 0;
  const int density = (id == kCopiedPreview && guard) ? static_cast<int>(MdlGetItemDefault(kOptCgDensity, ctx))
                                                      : Value(ctx, kOptCgDensity);
  const COLORREF colour = StampColour(MulDiv(255, 5 - density, 5), Value(ctx, kOptCgColour));
  TextLayer layer;
  if (!layer.Prepare(page, first.dc, w, h, colour)) return;
  auto fillPattern = [&] {
    HBRUSH brush = CreateSolidBrush(layer.textColour);
    RECT all{0, 0, w, h};
    FillRect(layer.dc, &all, brush);
    DeleteObject(brush);
  };
  if (id == kPrintedPreview) fillPattern();
  if (id == kCopiedPreview) {
    if (guard) fillPattern();
    const std::u16string text = StringValue(ctx, kOptCgText);
    const int angle = Value(ctx, kOptCgAngle);
    const int style = Value(ctx, kOptCgStyle);
    const LOGFONTW base = BaseFont(control);
    GuardLine normal, turned;
    normal.font = MakeStampFont(base, StringValue(ctx, kOptCgFace), Value(ctx, kOptCgSize), angle, style, shortSide,
                                resolution);
    const bool reverse = Value(ctx, kOptCgReverse) != 0;
    const bool outline = Value(ctx, kOptCgOutline) != 0;
    if (normal.font) {
      normal.Measure(layer.dc, text, angle);
      if (reverse) {
        LOGFONTW lf{};
        GetObjectW(normal.font, sizeof lf, &lf);
        lf.lfEscapement += lf.lfEscapement >= 1800 ? -1800 : 1800;
        lf.lfOrientation = lf.lfEscapement;
        turned.font = CreateFontIndirectW(&lf);
        if (turned.font) turned.Measure(layer.dc, text, lf.lfEscapement / 10);
      }
      TextTools tools(layer.dc, normal.font, layer.textColour);
      HDC dc = layer.dc;
      if (outline) BeginPath(dc);
      auto draw = [&](const GuardLine& line, int x, int y) {
        SelectObject(dc, line.font);
        TextOutW(dc, x + line.origin.x, y + line.origin.y, text.c_str(), static_cast<int>(text.size()));
      };
      const int gap = Value(ctx, kOptCgLinePitch) / 70;
      if (normal.extent.cx > 0 && normal.extent.cy > 0) {
        if (Value(ctx, kOptCgRepeat)) {
          int row = 1;
          for (int y = 0; y < h; ++row) {
            const bool even = reverse && turned.font && turned.extent.cx > 0 && row % 2 == 0;
            const GuardLine& line = even ? turned : normal;
            if (even) {
              for (int x = w - line.extent.cx; x + line.extent.cx > 0; x -= line.extent.cx + 1) draw(line, x, y);
            } else {
              for (int x = 0; x < w; x += line.extent.cx + 1) draw(line, x, y);
            }
            y += line.extent.cy + gap;
          }
        } else {
          const POINT p = Place(Value(ctx, kOptCgPosition), normal.extent, w, h);
          draw(normal, p.x, p.y);
        }
      }
      if (outline) {
        EndPath(dc);
        StrokePath(dc);
      }
    }
  }
  layer.Combine(first.dc, w, h, colour, true);
  BitBlt(page, at.left, at.top, w, h, first.dc, 0, 0, SRCCOPY);
}
