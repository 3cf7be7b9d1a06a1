// Logical palettes and nearest-colour matching.
#include <algorithm>

#include "gdi/draw.h"
#include "emf/recorder.h"

using namespace zolt::host::gdi;

WIN32_API HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palVersion != 0x300 || plpal->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PaletteObj>();
  p->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(InsertObject(p));
}

WIN32_API HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Select(hPal);
  GDI_LOCK();
  auto dc = FindDc(hdc);
  auto pal = FindAs<PaletteObj>(hPal, OBJ_PAL);
  if (!dc || !pal) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HPALETTE old = static_cast<HPALETTE>(dc->st.palette->handle);
  dc->st.palette = pal;
  return old;
}

// True-colour surfaces have no hardware palette: nothing is mapped.
WIN32_API UINT WINAPI RealizePalette(HDC hdc) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_REALIZEPALETTE, {});
  GDI_LOCK();
  return FindDc(hdc) ? 0 : UINT(GDI_ERROR);
}

WIN32_API UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  GDI_LOCK();
  auto pal = FindAs<PaletteObj>(hpal, OBJ_PAL);
  if (!pal) return 0;
  if (!pPalEntries) return UINT(pal->entries.size());
  if (iStart >= pal->entries.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, UINT(pal->entries.size()) - iStart);
  std::copy_n(pal->entries.begin() + iStart, n, pPalEntries);
  return n;
}

WIN32_API UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries) {
  GDI_LOCK();
  auto pal = FindAs<PaletteObj>(hpal, OBJ_PAL);
  if (!pal || pal->stock || !pPalEntries || iStart >= pal->entries.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, UINT(pal->entries.size()) - iStart);
  std::copy_n(pPalEntries, n, pal->entries.begin() + iStart);
  return n;
}

WIN32_API UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
  GDI_LOCK();
  auto pal = FindAs<PaletteObj>(h, OBJ_PAL);
  if (!pal) return CLR_INVALID;
  std::vector<RGBQUAD> q;
  for (const PALETTEENTRY& e : pal->entries) q.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  return NearestIndex(q.data(), q.size(), color & 0x00FFFFFF);
}

WIN32_API COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF c = ResolveColor(*dc, color) & 0x00FFFFFF;
  const Surface* s = dc->Target();
  if (!s || dc->display) return c;  // the display shows every colour
  return s->ColorOf(s->PixelOf(c));
}

WIN32_API UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT, UINT, LPPALETTEENTRY) {
  GDI_LOCK();
  return FindDc(hdc) ? 0 : 0;  // no palette device
}
