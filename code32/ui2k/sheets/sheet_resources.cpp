// The resource libraries of the sheets: which library holds a bitmap, bitmaps and icons loaded
// from them, and the per-context record of the pictures.
#include "sheet_resources.h"

#include "env_language.h"
#include "env_system.h"
#include "sheet_pictures_internal.h"

const BitmapRangeEntry kBitmapRangeTable[13] = {
    {8213, 10000, kBitmapNeutralLibrary}, {6001, 6228, kBitmapLanguageLibrary}, {6239, 6400, kBitmapLanguageLibrary},
    {7955, 7972, kBitmapLanguageLibrary}, {7983, 7999, kBitmapLanguageLibrary}, {8101, 8169, kBitmapLanguageLibrary},
    {8184, 8212, kBitmapLanguageLibrary}, {6229, 6238, kBitmapNeutralLibrary},  {6401, 7954, kBitmapNeutralLibrary},
    {7973, 7982, kBitmapNeutralLibrary},  {8000, 8100, kBitmapNeutralLibrary},  {8170, 8183, kBitmapNeutralLibrary},
    {0, 0, 0},
};

namespace {

// The library of the first range that holds id; NULL for no range or a library that does not load.
HMODULE LibraryOfBitmap(DriverContext* ctx, uint16_t id) {
  for (const BitmapRangeEntry* row = kBitmapRangeTable; row->firstId; ++row) {
    if (id < row->firstId || id > row->lastId) continue;
    return row->library == kBitmapNeutralLibrary ? UiLoadCommonResDll(ctx) : EnvLoadResourceDll(ctx);
  }
  return nullptr;
}

}  // namespace

void UiFreePictures(DriverContext* ctx) {
  UiComposition* c = UiCompositionOf(ctx);
  if (!c) return;
  UiDiscardComposition(ctx);
  if (c->handedOverBitmap) DeleteObject(c->handedOverBitmap);
  c->handedOverBitmap = nullptr;
}

void UiSetPageColour(DriverContext* ctx, COLORREF colour) {
  if (UiComposition* c = UiCompositionOf(ctx)) c->background = colour;
}

COLORREF UiGetPageColour(DriverContext* ctx) {
  if (ctx && ctx->workArea) {
    const SheetEngineState& sheet = ctx->workArea->sheet;
    if (sheet.composition.background) return sheet.composition.background;
    if (sheet.buttonFace) return sheet.buttonFace;
  }
  return GetSysColor(COLOR_BTNFACE);
}

void UiSetColourAdjust(DriverContext* ctx, const int32_t* values) {
  if (UiComposition* c = UiCompositionOf(ctx))
    for (int i = 0; i < kColourAdjustCount; ++i) c->colourAdjust[i] = values ? values[i] : 50;
}

void UiHandOverBitmap(DriverContext* ctx, HBITMAP bitmap) {
  UiComposition* c = UiCompositionOf(ctx);
  if (!c) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  if (c->handedOverBitmap && c->handedOverBitmap != bitmap) DeleteObject(c->handedOverBitmap);
  c->handedOverBitmap = bitmap;
}

HMODULE UiLoadCommonResDll(DriverContext* ctx) {
  if (!ctx) return nullptr;
  if (!ctx->neutralResourceLibrary) {
    if (const WCHAR* path = PathGetCommonResDll(ctx)) ctx->neutralResourceLibrary = LoadLibraryW(path);
  }
  return ctx->neutralResourceLibrary;
}

HBITMAP UiLoadBitmap(DriverContext* ctx, uint16_t id) {
  HMODULE library = LibraryOfBitmap(ctx, id);
  return library ? LoadBitmapW(library, MAKEINTRESOURCEW(id)) : nullptr;
}

int UiFindBitmapData(DriverContext* ctx, uint16_t id, UiResourceBytes* out) {
  *out = UiResourceBytes{};
  HMODULE library = LibraryOfBitmap(ctx, id);
  return library ? UiFindResourceBytes(library, MAKEINTRESOURCEW(id), out) : 0;
}

int UiFindResourceBytes(HMODULE library, const WCHAR* name, UiResourceBytes* out) {
  *out = UiResourceBytes{};
  if (!library) return 0;
  HRSRC found = FindResourceW(library, name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (!found) return 0;
  HGLOBAL loaded = LoadResource(library, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return 0;
  out->handle = loaded;
  out->data = static_cast<const BYTE*>(data);
  out->size = SizeofResource(library, found);
  return 1;
}

HGLOBAL UiLoadBitmapResource(DriverContext* ctx, uint16_t id) {
  UiResourceBytes bytes;
  return UiFindBitmapData(ctx, id, &bytes) ? bytes.handle : nullptr;
}

HBITMAP UiLoadBitmapByName(DriverContext* ctx, const WCHAR* name) {
  HMODULE library = name ? UiLoadCommonResDll(ctx) : nullptr;
  return library ? LoadBitmapW(library, name) : nullptr;
}

void UiDrawIcon(DriverContext* ctx, HDC dc, int x, int y, uint16_t iconId) {
  HMODULE library = dc ? EnvLoadResourceDll(ctx) : nullptr;
  if (!library) return;
  if (HICON icon = LoadIconW(library, MAKEINTRESOURCEW(iconId))) DrawIcon(dc, x, y, icon);
}

void UiDrawIconInWindow(DriverContext* ctx, HWND window, uint16_t iconId) {
  if (!window) return;
  HDC dc = GetDC(window);
  if (!dc) return;
  UiDrawIcon(ctx, dc, 0, 0, iconId);
  ReleaseDC(window, dc);
}

int UiGetComctlVersion() {
  HMODULE comctl = LoadLibraryW(u"comctl32.dll");
  if (!comctl) return 0;
  using GetVersionProc = HRESULT(WINAPI*)(DLLVERSIONINFO*);
  auto getVersion = EnvProcAs<GetVersionProc>(GetProcAddress(comctl, "DllGetVersion"));
  int version = 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (getVersion && getVersion(&info) >= 0) version = int(info.dwMajorVersion * 100 + info.dwMinorVersion);
  FreeLibrary(comctl);
  return version;
}
