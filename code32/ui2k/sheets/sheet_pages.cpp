// Pages of the sheets: adding them to the common property-sheet host, binding the control rows
// of a context once, and the end of a page's construction (fitting its children into the client
// area and the first refresh).
#include <algorithm>
#include <string>

#include "env_language.h"
#include "feature_modules.h"
#include "fm_modules_5_8.h"
#include "free_size.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "stamp_list.h"
#include "quality_list.h"
#include "undo_images.h"
#include "win32/comctl.h"

namespace {

constexpr uint16_t kOptUiStart = 1012;           // wdmUIStart
constexpr uint16_t kOptPresetNo = 37;            // zdmPresetNo
constexpr uint16_t kOptWaterMarkOn = 60;         // zdmFuncSelectWaterMark
constexpr uint16_t kOptUseUserMacro = 176;       // zdmUseUserMacro
constexpr uint16_t kOptUserPrintMacro = 179;     // zdmUserPrintMacro
constexpr int kFirstPresetValue = 119;
constexpr uint16_t kHandCursor = 8000;
constexpr uint16_t kPressedHandCursor = 8001;
constexpr uint16_t kKindSpin = 23;

// Sizes of the owner-drawn items: the preset icon lists and the owner-drawn combo boxes.
constexpr UiMeasureEntry kMeasureTable[] = {
    {2001, 72, 60},  // preset icon list of the first page
    {2139, 72, 60},  // preset icon list of the maintenance dialog
};

// The preset's "Name" or "Comment" key of the printer's section of the settings file into the
// option (the option keeps as much of it as its field holds).
void ReadPresetText(DriverContext* ctx, int index, const WCHAR* part, uint16_t option) {
  WCHAR key[64] = {};
  CfgPresetKey(key, index, 0);
  const size_t stem = std::char_traits<char16_t>::length(key);
  for (size_t i = 0; part[i] && stem + i + 1 < std::size(key); ++i) key[stem + i] = part[i];
  WCHAR* text = ctx->workArea->scratchText;
  IniReadString(CfgPrinterSection(ctx), key, u"", text, kCtxScratchChars, PathGetSettingsIni(ctx));
  if (OptionEntry* row = OptFind(ctx, option)) OptSetStringValue(ctx, row, text);
}

}  // namespace

int UiAddPropertyPages(DriverContext* ctx, uint32_t kindMask) {
  if (!ctx || !ctx->workArea || !ctx->dialogTable) return 0;
  ContextWorkArea* wa = ctx->workArea;
  auto callback = reinterpret_cast<PFNCOMPROPSHEET>(wa->propSheetCallback);
  if (!callback || !wa->propSheetHandle) return 0;
  wa->subDialogResult = 0;
  HMODULE library = EnvLoadResourceDll(ctx);
  int added = 0;
  for (int i = 0; i < ctx->dialogTable->count; ++i) {
    DialogDescriptor& dialog = ctx->dialogTable->rows[i];
    if (!(dialog.kindFlags & kindMask) || MdlIsItemKeyDisabled(ctx, dialog.nameIndex)) continue;
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(PROPSHEETPAGEW);
    page.dwFlags = PSP_HASHELP;
    page.hInstance = library;
    page.pszTemplate = MAKEINTRESOURCEW(dialog.dialogId);
    page.pfnDlgProc = UiPageDialogProc;
    page.lParam = reinterpret_cast<LPARAM>(ctx);
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page);
    if (!handle) continue;
    if (callback(wa->propSheetHandle, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(handle), 0)) ++added;
  }
  return added;
}

void UiBuildPageControls(DriverContext* ctx, DialogDescriptor* dialog) {
  if (!ctx || !ctx->workArea || !ctx->dialogTable || ctx->dialogTable->count <= 0) return;
  SheetEngineState* state = UiSheetState(ctx);
  if (OptGetValue(ctx, kOptUiStart, nullptr) == 0) {
    OptionEntry* row = nullptr;
    OptGetValue(ctx, kOptUiStart, &row);
    OptSetValue(ctx, kOptUiStart, 1);
    if (row) row->stateBits &= static_cast<uint16_t>(~0x3u);
  }
  if (!ctx->workArea->chapterList) {
    FmGetChapterEntry(ctx, 0);
    CfgEnsureModuleSetup(ctx);
  }
  DialogDescriptor* first = dialog ? dialog : &ctx->dialogTable->rows[0];
  for (int j = 0; first->controls && j < first->controlCount; ++j)
    if (first->controls[j].modelItem) return;

  UiFixUpPageTables(ctx);
  for (int i = 0; i < ctx->dialogTable->count; ++i) {
    DialogDescriptor& d = ctx->dialogTable->rows[i];
    for (int j = 0; d.controls && j < d.controlCount; ++j) {
      ControlDescriptor& c = d.controls[j];
      c.option = OptFindBySymbol(ctx, c.nameIndex);
      c.modelItem = ctx->modelImage ? MdlLookupItem(c.nameIndex, ctx) : nullptr;
      if (ctx->modelImage && c.kind == kKindSpin && c.linkedControl)
        if (ControlDescriptor* linked = OptFindControl(ctx, &d, c.linkedControl))
          c.modelItem = MdlLookupItem(linked->nameIndex, ctx);
      if (c.windowId == 0) c.windowId = c.controlId;
    }
  }
  // The pending word starts empty, except the sheet's extra buttons: the page that installed them
  // binds the rows right after.
  const uint32_t buttons =
      CtxGetPendingFlags(ctx) & (kPendingSaveAsNewButton | kPendingOverwriteButton | kPendingExtraButtons);
  CtxAddPendingFlags(ctx, 0);
  if (buttons) CtxAddPendingFlags(ctx, buttons);
  CfgLoadAllFreeSizes(ctx);

  HMODULE library = EnvLoadResourceDll(ctx);
  state->handCursor = library ? LoadCursorW(library, MAKEINTRESOURCEW(kHandCursor)) : nullptr;
  state->pressedHandCursor = library ? LoadCursorW(library, MAKEINTRESOURCEW(kPressedHandCursor)) : nullptr;
  state->savedCursor = nullptr;
  state->buttonFace = GetSysColor(COLOR_BTNFACE);
  for (HGDIOBJ& object : ctx->workArea->gdiObjects)
    if (object) DeleteObject(object), object = nullptr;
  ctx->workArea->gdiObjects[0] = CreateSolidBrush(state->buttonFace);
  ctx->workArea->gdiObjects[1] = CreateSolidBrush(RGB(255, 255, 255));

  const int preset = OptGetValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue;
  if (preset >= 0 && preset <= 15) {
    ReadPresetText(ctx, preset, u"Name", kOptPresetName);
    ReadPresetText(ctx, preset, u"Comment", kOptPresetComment);
  }
  const int32_t wmId = OptGetValue(ctx, kOptWmId, nullptr);
  if (OptGetValue(ctx, kOptWaterMarkOn, nullptr) && wmId >= 0 && wmId < CfgGetStampCount(ctx)) {
    const int32_t kind = OptGetValue(ctx, kOptWmKind, nullptr);
    if (kind >= 1 && kind <= 3) {
      CfgLoadStamp(ctx, wmId);
      OptSetValue(ctx, kOptWmId, wmId);
    }
  } else {
    OptSetValue(ctx, kOptWaterMarkOn, 0);
    OptSetValue(ctx, kOptWmId, 0);
  }
  if (OptGetValue(ctx, kOptUseUserMacro, nullptr) == 1)
    CfgLoadQuality(ctx, OptGetValue(ctx, kOptUserPrintMacro, nullptr) - 32);
  UiClearOptionChanges(ctx);
  DmPushSnapshot(ctx);
}

void UiFinishPageLayout(DriverContext* ctx, HWND dialog) {
  if (!dialog) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const int w = client.right - 3, h = client.bottom - 3;
  int r = w, b = h;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    r = std::max(r, static_cast<int>(rc.right));
    b = std::max(b, static_cast<int>(rc.bottom));
  }
  DialogDescriptor* row = ctx ? OptFindDialogByWindow(ctx, dialog) : nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (r != w || b != h) {
      RECT rc{};
      GetWindowRect(child, &rc);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
      const int left = MulDiv(rc.left, w, r), right = MulDiv(rc.right, w, r);
      const int top = MulDiv(rc.top, h, b), bottom = MulDiv(rc.bottom, h, b);
      MoveWindow(child, left, top, right - left, bottom - top, FALSE);
    }
    bool isRow = false;
    for (int j = 0; row && row->controls && j < row->controlCount; ++j)
      if (row->controls[j].window == child) isRow = true;
    if (!isRow) ShowWindow(child, SW_SHOW);
  }
  EnableWindow(dialog, TRUE);
  if (SheetEngineState* state = UiSheetState(ctx)) state->building = 0;
  UiClearOptionChanges(ctx);
  UiRefreshDialog(ctx, row, 1);
}

const UiMeasureEntry* UiFindMeasureEntry(uint16_t controlId) {
  for (const UiMeasureEntry& entry : kMeasureTable)
    if (entry.controlId == controlId) return &entry;
  return nullptr;
}

int UiAnyOptionChanged(DriverContext* ctx) {
  OptionTable* table = ctx ? ctx->optionTable : nullptr;
  for (int i = 0; table && table->rows && i < table->count; ++i)
    if (table->rows[i].stateBits & 0x3) return 1;
  return 0;
}

void UiClearOptionChanges(DriverContext* ctx) {
  if (!ctx) return;
  if (ctx->workArea) ctx->workArea->optionsChanged = 0;
  OptionTable* table = ctx->optionTable;
  for (int i = 0; table && table->rows && i < table->count; ++i)
    table->rows[i].stateBits &= static_cast<uint16_t>(~0x3u);
}
