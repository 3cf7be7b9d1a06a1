// The resource libraries of the sheets: which library holds a bitmap, bitmaps and icons loaded
// from them, and the per-context record of the pictures.
#include "sheet_resources.h"

#include <atomic>
#include <map>
#include <mutex>

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

// The records of the contexts, keyed by context. The work area's last picture slot holds the
// serial of the record, so that a context made later at the same address (its slots start at
// zero) never inherits the record of an earlier one.
struct StateEntry {
  DWORD_PTR serial = 0;
  UiPictureState state{};
};
std::mutex g_stateLock;
std::map<const DriverContext*, StateEntry>& States() {
  static auto* states = new std::map<const DriverContext*, StateEntry>;  // lives until the process ends
  return *states;
}
std::atomic<DWORD_PTR> g_nextSerial{1};

// The library of the first range that holds id; NULL for no range or a library that does not load.
HMODULE LibraryOfBitmap(DriverContext* ctx, uint16_t id) {
  for (const BitmapRangeEntry* row = kBitmapRangeTable; row->firstId; ++row) {
    if (id < row->firstId || id > row->lastId) continue;
    return row->library == kBitmapNeutralLibrary ? UiLoadCommonResDll(ctx) : EnvLoadResourceDll(ctx);
  }
  return nullptr;
}

}  // namespace

UiPictureState* UiGetPictureState(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  DWORD_PTR& serial = ctx->workArea->pictureState[kPictureSlotSerial];
  std::lock_guard<std::mutex> lock(g_stateLock);
  StateEntry& entry = States()[ctx];
  if (!serial || entry.serial != serial) {
    serial = g_nextSerial++;
    entry.serial = serial;
    entry.state = UiPictureState{};
    for (int32_t& value : entry.state.colourAdjust) value = 50;
  }
  return &entry.state;
}

void UiFreePictureState(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  UiDiscardComposition(ctx);
  DWORD_PTR* slots = ctx->workArea->pictureState;
  if (HBITMAP handed = reinterpret_cast<HBITMAP>(slots[kPictureSlotHandedOver])) DeleteObject(handed);
  slots[kPictureSlotHandedOver] = 0;
  std::lock_guard<std::mutex> lock(g_stateLock);
  States().erase(ctx);
  slots[kPictureSlotSerial] = 0;
}

void UiSetPaintDC(DriverContext* ctx, HDC dc) {
  if (UiPictureState* state = UiGetPictureState(ctx)) state->paintDC = dc;
}

void UiSetPageColour(DriverContext* ctx, COLORREF colour) {
  if (UiPictureState* state = UiGetPictureState(ctx)) {
    state->pageColour = colour;
    state->pageColourSet = 1;
  }
}

COLORREF UiGetPageColour(DriverContext* ctx) {
  const UiPictureState* state = UiGetPictureState(ctx);
  return state && state->pageColourSet ? state->pageColour : GetSysColor(COLOR_BTNFACE);
}

void UiSetColourAdjust(DriverContext* ctx, const int32_t* values) {
  if (UiPictureState* state = UiGetPictureState(ctx))
    for (int i = 0; i < kColourAdjustCount; ++i) state->colourAdjust[i] = values ? values[i] : 50;
}

void UiSetLayeredDraw(DriverContext* ctx) {
  if (UiPictureState* state = UiGetPictureState(ctx)) state->layeredOnce = 1;
}

void UiHandOverBitmap(DriverContext* ctx, HBITMAP bitmap) {
  if (!ctx || !ctx->workArea) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  DWORD_PTR& slot = ctx->workArea->pictureState[kPictureSlotHandedOver];
  if (slot && slot != reinterpret_cast<DWORD_PTR>(bitmap)) DeleteObject(reinterpret_cast<HBITMAP>(slot));
  slot = reinterpret_cast<DWORD_PTR>(bitmap);
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

const ButtonTextEntry kButtonTextTable[] = {
    {2037, kButtonNoText}, {2038, kButtonNoText}, {2079, kButtonNoText}, {2080, kButtonNoText},
    {2096, kButtonNoText}, {2097, kButtonNoText}, {2114, kButtonNoText}, {2115, kButtonNoText},
    {2714, kButtonNoText}, {2715, kButtonNoText}, {2002, kButtonNoText}, {2922, kButtonNoText},
    {2923, kButtonNoText}, {3114, kButtonNoText}, {3115, kButtonNoText}, {3363, kButtonNoText},
    {3364, kButtonNoText}, {2003, 13187},         {2140, 13191},         {2143, 13189},
    {2144, 13190},         {2502, 13192},         {2503, 13193},         {2792, 13194},
    {2802, 13195},         {2803, 13196},         {0, 0},
};

void UiSetButtonTextId(DriverContext* ctx, const ControlDescriptor* control) {
  UiPictureState* state = UiGetPictureState(ctx);
  if (!state) return;
  state->buttonTextId = 0;
  if (!control) return;
  for (const ButtonTextEntry* row = kButtonTextTable; row->controlId; ++row) {
    if (row->controlId == control->controlId) {
      state->buttonTextId = row->stringId;
      return;
    }
  }
}

void UiClearButtonTextId(DriverContext* ctx) {
  if (UiPictureState* state = UiGetPictureState(ctx)) state->buttonTextId = 0;
}
