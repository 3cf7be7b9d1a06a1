// Pictures drawn over the page: placement by the layout table, transparent drawing through
// masks made from the colour table, the page background (themed tab pane, page colour or what
// is on screen), recoloured sample pictures and the off-screen composition of several pictures.
#include <algorithm>
#include <cstring>

#include "env_system.h"
#include "option_access.h"
#include "sheet_pictures_internal.h"
#include "sheet_resources.h"

namespace {

constexpr uint16_t kOptMachineTypeColor = 236;  // zdmMachineTypeColor: 0 for a monochrome printer
constexpr int kTabPane = 9;                      // the tab control's pane part

// A memory DC with a bitmap of its own, compatible with another DC.
struct MemorySurface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  bool Make(HDC like, int width, int height) {
    dc = CreateCompatibleDC(like);
    bitmap = CreateCompatibleBitmap(like, width, height);
    if (!dc || !bitmap) return false;
    previous = SelectObject(dc, bitmap);
    return previous != nullptr;
  }
  MemorySurface() = default;
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface() {
    if (dc) {
      if (previous) SelectObject(dc, previous);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }
};

// What a draw shows: a checked bitmap of a library, or a bitmap (file or handed over).
struct Picture {
  UiDibView dib{};
  bool isDib = false;
  HBITMAP handle = nullptr;
  bool owned = false;
  int width = 0;
  int height = 0;
  Picture() = default;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture() {
    if (owned && handle) DeleteObject(handle);
  }
  bool FromResource(const UiResourceBytes& bytes) {
    if (!bytes.data || !UiCheckDib(bytes.data, bytes.size, &dib)) return false;
    isDib = true;
    width = dib.width;
    height = dib.height;
    return true;
  }
  bool FromHandle(HBITMAP bitmap, bool own) {
    handle = bitmap;
    owned = own;
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return false;
    width = bm.bmWidth;
    height = bm.bmHeight;
    return width > 0 && height > 0;
  }
  bool Paletted() const { return isDib && dib.bitCount <= 8 && dib.colourCount; }
};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool SameColour(const RGBQUAD& q, COLORREF c) {
  return q.rgbRed == GetRValue(c) && q.rgbGreen == GetGValue(c) && q.rgbBlue == GetBValue(c);
}

RGBQUAD Quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// The transparent colour of a picture: the bottom-left pixel's for 4-bit pictures.
COLORREF KeyColour(const UiDibView& dib) {
  if (dib.bitCount == 4) {
    if (dib.firstPixelIndex < 0) return RGB(0, 0, 0);
    const RGBQUAD& q = dib.colours[dib.firstPixelIndex];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return kPictureKeyColour;
}

// A colour table where the key colour becomes `key` and every other colour `other`.
void MaskTable(const UiDibView& dib, COLORREF keyOut, COLORREF otherOut, RGBQUAD* out) {
  const COLORREF key = KeyColour(dib);
  for (DWORD i = 0; i < dib.colourCount; ++i) out[i] = Quad(SameColour(dib.colours[i], key) ? keyOut : otherOut);
}

void DrawPicture(HDC dc, int x, int y, const Picture& picture, const RGBQUAD* colours, DWORD rop) {
  if (picture.isDib) {
    UiDrawDib(dc, x, y, picture.dib, colours ? colours : picture.dib.colours, rop);
    return;
  }
  HDC from = CreateCompatibleDC(dc);
  if (!from) return;
  HGDIOBJ old = SelectObject(from, picture.handle);
  if (old) {
    BitBlt(dc, x, y, picture.width, picture.height, from, 0, 0, rop);
    SelectObject(from, old);
  }
  DeleteDC(from);
}

// Every colour of the table through the colour adjustments, entered in the logical palette.
void RecolourTable(DriverContext* ctx, const UiDibView& dib, int grey, HDC dc, RGBQUAD* out) {
  for (DWORD i = 0; i < dib.colourCount; ++i) {
    const RGBQUAD& q = dib.colours[i];
    const COLORREF adjusted = UiAdjustColour(ctx, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), grey);
    out[i] = Quad(adjusted);
    UiPaletteEntry(dc, int(i), adjusted);
  }
}

DWORD FinalRop(DWORD flags) {
  if (flags & kPictureOpaque) return SRCCOPY;
  if (flags & kPictureRopAnd) return SRCAND;
  if (flags & kPictureRopMergePaint) return MERGEPAINT;
  return SRCPAINT;
}

void Align(DWORD flags, int width, int height, int& x, int& y) {
  if (flags & kPictureRight)
    x -= width;
  else if (flags & kPictureCentreX)
    x -= width / 2;
  if (flags & kPictureBottom)
    y -= height;
  else if (flags & kPictureCentreY)
    y -= height / 2;
}

int MonochromePrinter(DriverContext* ctx) { return OptGetValue(ctx, kOptMachineTypeColor, nullptr) == 0 ? 1 : 0; }

// While composing, the off-screen DC (made at the first draw with the screen content of the
// rectangle) and the rectangle moved to the origin; otherwise the DC itself.
HDC DrawTarget(DriverContext* ctx, HDC dc, RECT& r) {
  UiComposition& c = *UiCompositionOf(ctx);
  if (!c.composing) return dc;
  if (!c.offscreenDc) {
    if (Width(r) <= 0 || Height(r) <= 0) return nullptr;
    HDC off = CreateCompatibleDC(dc);
    HBITMAP bitmap = off ? CreateCompatibleBitmap(dc, Width(r), Height(r)) : nullptr;
    HGDIOBJ previous = bitmap ? SelectObject(off, bitmap) : nullptr;
    if (!previous) {
      if (bitmap) DeleteObject(bitmap);
      if (off) DeleteDC(off);
      return nullptr;
    }
    BitBlt(off, 0, 0, Width(r), Height(r), dc, r.left, r.top, SRCCOPY);
    c.offscreenDc = off;
    c.previousBitmap = static_cast<HBITMAP>(previous);
  }
  OffsetRect(&r, -r.left, -r.top);
  return c.offscreenDc;
}

// The themed tab pane of the page under the rectangle r of the target, when the page shows one.
bool PaintThemePane(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC into,
                    const RECT& r, DWORD state) {
  if (state != 0 || !dialog || !dialog->window || dialog->modalState) return false;
  if (GetSysColor(COLOR_BTNFACE) != UiGetPageColour(ctx)) return false;
  HMODULE uxTheme = LoadLibraryW(u"UxTheme.DLL");
  if (!uxTheme) return false;
  using OpenProc = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using CloseProc = HRESULT(WINAPI*)(HANDLE);
  using DrawProc = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
  using ActiveProc = BOOL(WINAPI*)();
  auto open = EnvProcAs<OpenProc>(GetProcAddress(uxTheme, "OpenThemeData"));
  auto close = EnvProcAs<CloseProc>(GetProcAddress(uxTheme, "CloseThemeData"));
  auto draw = EnvProcAs<DrawProc>(GetProcAddress(uxTheme, "DrawThemeBackground"));
  auto active = EnvProcAs<ActiveProc>(GetProcAddress(uxTheme, "IsThemeActive"));
  bool painted = false;
  if (open && close && draw && active) {
    HANDLE theme = open(dialog->window, u"Tab");
    if (theme) {
      if (active() == 1 && UiGetComctlVersion() >= 600) {
        HWND controlWindow = control && control->window ? control->window : dialog->window;
        RECT pane{}, clip{};
        GetClientRect(dialog->window, &pane);
        MapWindowPoints(dialog->window, controlWindow, reinterpret_cast<POINT*>(&pane), 2);
        GetClientRect(controlWindow, &clip);
        // A composition starts at the control's origin.
        const int dx = -r.left, dy = -r.top;
        OffsetRect(&pane, dx, dy);
        OffsetRect(&clip, dx, dy);
        painted = draw(theme, into, kTabPane, 0, &pane, &clip) >= 0;
      }
      close(theme);
    }
  }
  FreeLibrary(uxTheme);
  return painted;
}

// ANDs the inverted mask of the picture at (x, y) into a surface of the rectangle's size: the
// picture's own pixels become black, the key pixels and everything around keep their colour.
void AndInvertedMask(HDC like, HDC into, const RECT& r, int x, int y, const UiDibView& dib) {
  MemorySurface inverted;
  if (!inverted.Make(like, Width(r), Height(r))) return;
  PatBlt(inverted.dc, 0, 0, Width(r), Height(r), WHITENESS);
  RGBQUAD table[256];
  MaskTable(dib, RGB(255, 255, 255), RGB(0, 0, 0), table);
  UiDrawDib(inverted.dc, x, y, dib, table, SRCCOPY);
  BitBlt(into, 0, 0, Width(r), Height(r), inverted.dc, 0, 0, SRCAND);
}

// The picture with its key pixels black, at (x, y) on black.
bool MaskedPicture(HDC like, MemorySurface& work, const RECT& r, int x, int y, const UiDibView& dib,
                   const RGBQUAD* colours) {
  if (!work.Make(like, Width(r), Height(r))) return false;
  PatBlt(work.dc, 0, 0, Width(r), Height(r), BLACKNESS);
  RGBQUAD mask[256];
  MaskTable(dib, RGB(0, 0, 0), RGB(255, 255, 255), mask);
  UiDrawDib(work.dc, x, y, dib, mask, SRCCOPY);
  UiDrawDib(work.dc, x, y, dib, colours, SRCAND);
  return true;
}

// A sample picture: recoloured, drawn at the bitmap's size at the target's origin; the
// composition remembers its size so that its end stretches it over the control.
void DrawSample(DriverContext* ctx, HDC target, const RECT& r, int x, int y, const Picture& picture, int grey) {
  UiComposition& c = *UiCompositionOf(ctx);
  if (!picture.isDib) {
    HDC from = CreateCompatibleDC(target);
    if (!from) return;
    HGDIOBJ old = SelectObject(from, picture.handle);
    if (old) {
      StretchBlt(target, r.left, r.top, Width(r), Height(r), from, 0, 0, picture.width, picture.height, SRCCOPY);
      SelectObject(from, old);
    }
    DeleteDC(from);
    return;
  }
  RGBQUAD table[256];
  const RGBQUAD* colours = picture.dib.colours;
  if (picture.Paletted()) {
    RecolourTable(ctx, picture.dib, grey, target, table);
    colours = table;
  }
  MemorySurface sample;
  if (!sample.Make(target, picture.width, picture.height)) return;
  HPALETTE previousPalette = UiPaletteEntry(target, -1, 0);
  UiDrawDib(sample.dc, x, y, picture.dib, colours, SRCCOPY);
  BitBlt(target, r.left, r.top, picture.width, picture.height, sample.dc, 0, 0, SRCCOPY);
  if (previousPalette) SelectPalette(target, previousPalette, FALSE);
  c.composedSample = 1;
  c.sampleWidth = picture.width;
  c.sampleHeight = picture.height;
}

// The picture of a source; false when there is none or it is damaged.
bool LoadSource(DriverContext* ctx, HBITMAP source, Picture& picture) {
  const auto word = reinterpret_cast<ULONG_PTR>(source);
  if (!word) {
    UiComposition& c = *UiCompositionOf(ctx);
    HBITMAP handed = c.handedOverBitmap;
    c.handedOverBitmap = nullptr;
    return handed && picture.FromHandle(handed, true);
  }
  if (word < 0x10000) {
    UiResourceBytes bytes;
    return UiFindBitmapData(ctx, uint16_t(word), &bytes) && picture.FromResource(bytes);
  }
  const auto* text = reinterpret_cast<const WCHAR*>(source);
  if (text[0] && text[1] == u':') {
    int width = 0, height = 0;
    return picture.FromHandle(UiLoadBmpFile(text, &width, &height), true);
  }
  UiResourceBytes bytes;
  return UiFindResourceBytes(UiLoadCommonResDll(ctx), text, &bytes) && picture.FromResource(bytes);
}

}  // namespace

void UiDrawDib(HDC dc, int x, int y, const UiDibView& dib, const RGBQUAD* colours, DWORD rop) {
  alignas(8) BYTE info[sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)];
  std::memcpy(info, &dib.header, sizeof dib.header);
  if (dib.compression == BI_BITFIELDS)
    std::memcpy(info + sizeof dib.header, dib.masks, sizeof dib.masks);
  else if (dib.colourCount)
    std::memcpy(info + sizeof dib.header, colours, dib.colourCount * sizeof(RGBQUAD));
  StretchDIBits(dc, x, y, dib.width, dib.height, 0, 0, dib.width, dib.height, dib.bits,
                reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS, rop);
}

void UiDrawBitmap(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC dc, RECT* rect, int x,
                  int y, HBITMAP source, uint32_t flags, uint32_t state) {
  if (!ctx || !ctx->workArea || !dc || !rect) return;
  const UiComposition& c = *UiCompositionOf(ctx);
  const int grey = MonochromePrinter(ctx);
  RECT r = *rect;
  HDC target = DrawTarget(ctx, dc, r);
  if (!target) return;
  Picture picture;
  if (!LoadSource(ctx, source, picture)) return;
  if (!source) {
    x = Width(r) / 2;
    y = Height(r) / 2;
    flags |= kPictureCentred;
  }

  if (flags & kPictureSample) {
    Align(flags, picture.width, picture.height, x, y);
    DrawSample(ctx, target, r, x, y, picture, grey);
    return;
  }
  if (c.composedSample) {
    r.right = r.left + c.sampleWidth;
    r.bottom = r.top + c.sampleHeight;
  }
  Align(flags, picture.width, picture.height, x, y);
  if (Width(r) <= 0 || Height(r) <= 0) return;

  const bool masked = picture.Paletted() &&
                      !(flags & (kPictureOpaque | kPictureOverUnderlay | kPictureRopAnd | kPictureRopMergePaint));
  if (!masked) {
    MemorySurface work;
    if (!work.Make(target, Width(r), Height(r))) return;
    BitBlt(work.dc, 0, 0, Width(r), Height(r), target, r.left, r.top, SRCCOPY);
    DrawPicture(work.dc, x, y, picture, nullptr, FinalRop(flags));
    BitBlt(target, r.left, r.top, Width(r), Height(r), work.dc, 0, 0, SRCCOPY);
    return;
  }

  const UiDibView& dib = picture.dib;
  MemorySurface work, background;
  if (!MaskedPicture(target, work, r, x, y, dib, dib.colours)) return;
  if (!background.Make(target, Width(r), Height(r))) return;
  if (flags & kPictureOverScreen) {
    BitBlt(background.dc, 0, 0, Width(r), Height(r), target, r.left, r.top, SRCCOPY);
    AndInvertedMask(target, background.dc, r, x, y, dib);
  } else if (PaintThemePane(ctx, dialog, control, background.dc, r, state)) {
    AndInvertedMask(target, background.dc, r, x, y, dib);
  } else {
    const COLORREF page = UiGetPageColour(ctx);
    HBRUSH brush = CreateSolidBrush(page);
    RECT all{0, 0, Width(r), Height(r)};
    FillRect(background.dc, &all, brush);
    DeleteObject(brush);
    RGBQUAD table[256];
    MaskTable(dib, page, RGB(0, 0, 0), table);
    UiDrawDib(background.dc, x, y, dib, table, SRCCOPY);
  }
  BitBlt(background.dc, 0, 0, Width(r), Height(r), work.dc, 0, 0, SRCPAINT);
  BitBlt(target, r.left, r.top, Width(r), Height(r), background.dc, 0, 0, SRCCOPY);
}

void UiDrawBitmapLayered(DriverContext* ctx, HDC dc, RECT* rect, int x, int y, uint16_t bitmapId, uint32_t flags) {
  if (!ctx || !ctx->workArea || !dc || !rect) return;
  Picture picture;
  UiResourceBytes bytes;
  if (!UiFindBitmapData(ctx, bitmapId, &bytes) || !picture.FromResource(bytes)) return;
  if (!flags || !picture.Paletted()) {
    UiDrawBitmap(ctx, nullptr, nullptr, dc, rect, x, y, UiBitmapId(bitmapId), flags, 0);
    return;
  }
  RECT r = *rect;
  HDC target = DrawTarget(ctx, dc, r);
  if (!target || Width(r) <= 0 || Height(r) <= 0) return;
  Align(flags, picture.width, picture.height, x, y);
  UiComposition& c = *UiCompositionOf(ctx);
  c.composedSample = 1;
  c.sampleWidth = picture.width;
  c.sampleHeight = picture.height;
  const UiDibView& dib = picture.dib;
  RGBQUAD table[256];
  const RGBQUAD* colours = dib.colours;
  if (flags & kPictureSample) {
    RecolourTable(ctx, dib, MonochromePrinter(ctx), target, table);
    colours = table;
  }
  MemorySurface work, background;
  if (!MaskedPicture(target, work, r, x, y, dib, colours)) return;
  if (!background.Make(target, Width(r), Height(r))) return;
  BitBlt(background.dc, 0, 0, Width(r), Height(r), target, r.left, r.top, SRCCOPY);
  AndInvertedMask(target, background.dc, r, x, y, dib);
  BitBlt(background.dc, 0, 0, Width(r), Height(r), work.dc, 0, 0, SRCPAINT);
  BitBlt(target, r.left, r.top, Width(r), Height(r), background.dc, 0, 0, SRCCOPY);
}

void UiDrawPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HWND window, RECT* rect,
                   uint16_t bitmapId, uint32_t flags, uint32_t state) {
  UiComposition* pictures = UiCompositionOf(ctx);
  if (!pictures) return;
  if (!window && control) window = control->window;
  RECT r{};
  if (rect) {
    r = *rect;
    flags |= kPictureCentred;
  } else if (!window || !GetClientRect(window, &r)) {
    return;
  }
  int x = 0, y = 0;
  const PictureLayoutEntry* row = UiFindPictureLayout(bitmapId);
  if (row) {
    x += row->x;
    y += row->y;
    flags |= row->flags;
  }
  if (flags & kPictureSample) {
    UiResourceBytes bytes;
    UiDibView dib;
    if (!UiFindBitmapData(ctx, bitmapId, &bytes) || !UiCheckDib(bytes.data, bytes.size, &dib)) return;
    r = RECT{0, 0, dib.width, dib.height};
  }
  if (flags & kPictureRight)
    x += Width(r);
  else if (flags & kPictureCentreX)
    x += Width(r) / 2;
  if (flags & kPictureCentreY)
    y += Height(r) / 2;
  else if (flags & kPictureBottom)
    y += Height(r);

  HDC dc = UiGetPaintDC(ctx, window);
  if (!dc) return;
  const COLORREF savedColour = pictures->background;
  if (row && row->kind == kPictureKindPageColour) pictures->background = row->value;
  if (row && row->underlayId) {
    const bool overUnderlay = flags & kPictureOverUnderlay;
    UiDrawBitmap(ctx, dialog, control, dc, &r, x, y, UiBitmapId(row->underlayId),
                 flags | (overUnderlay ? kPictureRopAnd : kPictureRopMergePaint), state);
    flags |= overUnderlay ? kPictureOverScreen : (kPictureRopAnd | kPictureOverScreen);
  }
  if (pictures->layeredOnce) {
    pictures->layeredOnce = 0;
    UiDrawBitmapLayered(ctx, dc, &r, x, y, bitmapId, flags);
  } else {
    UiDrawBitmap(ctx, dialog, control, dc, &r, x, y, UiBitmapId(bitmapId), flags, state);
  }
  UiReleasePaintDC(ctx, window, dc);
  pictures->background = savedColour;
}

void UiBeginComposition(DriverContext* ctx) {
  if (!UiCompositionOf(ctx)) return;
  UiDiscardComposition(ctx);
  UiCompositionOf(ctx)->composing = 1;
}

void UiDiscardComposition(DriverContext* ctx) {
  UiComposition* c = UiCompositionOf(ctx);
  if (!c) return;
  if (c->offscreenDc) {
    HGDIOBJ bitmap = SelectObject(c->offscreenDc, c->previousBitmap);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(c->offscreenDc);
  }
  c->composing = 0;
  c->offscreenDc = nullptr;
  c->previousBitmap = nullptr;
  c->composedSample = 0;
  c->sampleWidth = 0;
  c->sampleHeight = 0;
}

void UiEndComposition(DriverContext* ctx, HWND window, RECT* rect) {
  UiComposition* c = UiCompositionOf(ctx);
  if (!c || !c->composing) return;
  c->composing = 0;
  HDC off = c->offscreenDc;
  RECT r{};
  const bool haveRect = rect ? (r = *rect, true) : (window && GetClientRect(window, &r));
  HDC dc = off && haveRect ? UiGetPaintDC(ctx, window) : nullptr;
  if (dc) {
    if (c->composedSample)
      StretchBlt(dc, r.left, r.top, Width(r), Height(r), off, 0, 0, c->sampleWidth, c->sampleHeight, SRCCOPY);
    else
      BitBlt(dc, r.left, r.top, Width(r), Height(r), off, 0, 0, SRCCOPY);
    UiReleasePaintDC(ctx, window, dc);
  }
  UiDiscardComposition(ctx);
}

HDC UiGetCompositionDC(DriverContext* ctx) {
  const UiComposition* c = UiCompositionOf(ctx);
  return c && c->composing ? c->offscreenDc : nullptr;
}

HDC UiGetPaintDC(DriverContext* ctx, HWND window) {
  if (const UiComposition* c = UiCompositionOf(ctx); c && c->paintDc) return c->paintDc;
  if (!window) return nullptr;
  HDC dc = GetDC(window);
  RECT client{};
  if (dc && GetClientRect(window, &client)) IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  return dc;
}

void UiReleasePaintDC(DriverContext* ctx, HWND window, HDC dc) {
  if (!dc) return;
  const UiComposition* c = UiCompositionOf(ctx);
  if (c && c->paintDc == dc) return;
  ReleaseDC(window, dc);
}
