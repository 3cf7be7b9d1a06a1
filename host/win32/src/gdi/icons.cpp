// Icons: a monochrome AND mask and a colour image (or a mask of twice the height holding the
// AND and XOR halves), drawn by masking and inverting the destination.
#include <cstring>

#include "gdi/objects.h"

namespace zolt::host::gdi {

namespace {

constexpr DWORD kIconType = 0x1000;  // the window system's object, kept in the same table

struct IconObj : GdiObject {
  IconObj() : GdiObject(kIconType) {}
  BOOL isIcon = TRUE;
  DWORD hotX = 0, hotY = 0;
  HBITMAP mask = nullptr;   // our own copies
  HBITMAP color = nullptr;
  ~IconObj() override {
    if (mask) DeleteObject(mask);
    if (color) DeleteObject(color);
  }
};

// A copy of a bitmap as a new bitmap of the same format.
HBITMAP CopyBitmap(HBITMAP source) {
  BITMAP bm{};
  if (!source || !GetObjectW(source, sizeof(bm), &bm)) return nullptr;
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  HBITMAP copy = bm.bmBitsPixel == 1 ? CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr)
                                     : CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 32, nullptr);
  HGDIOBJ o1 = SelectObject(from, source), o2 = SelectObject(to, copy);
  BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
  SelectObject(from, o1);
  SelectObject(to, o2);
  DeleteDC(from);
  DeleteDC(to);
  DeleteDC(screen);
  return copy;
}

}  // namespace

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

WIN32_API HICON WINAPI CreateIconIndirect(PICONINFO piconinfo) {
  if (!piconinfo || !piconinfo->hbmMask) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  GDI_LOCK();
  auto icon = std::make_shared<IconObj>();
  icon->isIcon = piconinfo->fIcon;
  icon->hotX = piconinfo->xHotspot;
  icon->hotY = piconinfo->yHotspot;
  icon->mask = CopyBitmap(piconinfo->hbmMask);
  icon->color = piconinfo->hbmColor ? CopyBitmap(piconinfo->hbmColor) : nullptr;
  if (!icon->mask || (piconinfo->hbmColor && !icon->color)) return nullptr;
  return reinterpret_cast<HICON>(InsertObject(icon));
}

WIN32_API BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
  GDI_LOCK();
  auto icon = FindAs<IconObj>(hIcon, kIconType);
  if (!icon || !piconinfo) return FALSE;
  piconinfo->fIcon = icon->isIcon;
  piconinfo->xHotspot = icon->hotX;
  piconinfo->yHotspot = icon->hotY;
  // The caller owns (and deletes) the copies it gets.
  piconinfo->hbmMask = CopyBitmap(icon->mask);
  piconinfo->hbmColor = icon->color ? CopyBitmap(icon->color) : nullptr;
  return TRUE;
}

WIN32_API BOOL WINAPI DestroyIcon(HICON hIcon) {
  GDI_LOCK();
  if (!FindAs<IconObj>(hIcon, kIconType)) return FALSE;
  return RemoveObject(hIcon) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT,
                                 HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
  GDI_LOCK();
  auto icon = FindAs<IconObj>(hIcon, kIconType);
  if (!icon || !FindDc(hdc)) return FALSE;
  BITMAP mbm{};
  GetObjectW(icon->mask, sizeof(mbm), &mbm);
  const int w = mbm.bmWidth, h = icon->color ? mbm.bmHeight : mbm.bmHeight / 2;
  if (diFlags & DI_DEFAULTSIZE) {
    if (cxWidth == 0) cxWidth = 32;
    if (cyWidth == 0) cyWidth = 32;
  }
  if (cxWidth == 0) cxWidth = w;
  if (cyWidth == 0) cyWidth = h;
  if (!(diFlags & DI_NORMAL)) diFlags |= DI_NORMAL;
  if (hbrFlickerFreeDraw) {
    RECT r{xLeft, yTop, xLeft + cxWidth, yTop + cyWidth};
    FillRect(hdc, &r, hbrFlickerFreeDraw);
  }
  HDC mem = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(mem, icon->mask);
  // Pure colours: the mask and the image take the DC's black text and white background.
  const COLORREF text = SetTextColor(hdc, RGB(0, 0, 0)), bk = SetBkColor(hdc, RGB(255, 255, 255));
  const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
  const bool both = (diFlags & DI_NORMAL) == DI_NORMAL;
  if (diFlags & DI_MASK) StretchBlt(hdc, xLeft, yTop, cxWidth, cyWidth, mem, 0, 0, w, h, both ? SRCAND : SRCCOPY);
  if (diFlags & DI_IMAGE) {
    if (icon->color) {
      SelectObject(mem, icon->color);
      StretchBlt(hdc, xLeft, yTop, cxWidth, cyWidth, mem, 0, 0, w, h, both ? SRCINVERT : SRCCOPY);
    } else {
      StretchBlt(hdc, xLeft, yTop, cxWidth, cyWidth, mem, 0, h, w, h, both ? SRCINVERT : SRCCOPY);
    }
  }
  SetStretchBltMode(hdc, oldMode);
  SetTextColor(hdc, text);
  SetBkColor(hdc, bk);
  SelectObject(mem, old);
  DeleteDC(mem);
  return TRUE;
}

WIN32_API BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}
