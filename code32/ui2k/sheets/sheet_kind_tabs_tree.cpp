// The tab control, whose tabs show and hide groups of controls of one page, and the settings tree,
// which lists every dialog's controls with their current values.
#include <cstdio>

#include "option_table.h"
#include "sheet_kinds.h"

using namespace sheet_kinds;

int UiInitTabs(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const auto* aux = UiGetAuxRecord<AuxTabPages>(control, kAuxTabPages);
  if (!ctx || !control || !control->window || !aux || !aux->rows) return 0;
  WCHAR* text = ctx->workArea->scratchText;
  for (int i = 0; i < aux->count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = LoadText(ctx, aux->rows[i].stringId, text);
    item.lParam = reinterpret_cast<LPARAM>(ctx);
    SendMessageW(control->window, TCM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
  }
  UiShowTabPage(dialog, control, 0);
  return 1;
}

void UiShowTabPage(DialogDescriptor* dialog, ControlDescriptor* tabs, int index) {
  const auto* aux = UiGetAuxRecord<AuxTabPages>(tabs, kAuxTabPages);
  if (!dialog || !dialog->window || !aux || !aux->rows) return;
  auto show = [&](const TabPageRow& row, int how) {
    if (!row.controls) return;
    for (int c = 0; c < row.controlCount; ++c)
      if (HWND window = GetDlgItem(dialog->window, row.controls[c])) ShowWindow(window, how);
  };
  for (int i = 0; i < aux->count; ++i)
    if (i != index) show(aux->rows[i], SW_HIDE);
  if (index >= 0 && index < aux->count) show(aux->rows[index], SW_SHOW);
}

int UiTabsMessage(DriverContext*, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                  LPARAM lParam) {
  if (msg != WM_NOTIFY || !control || !control->window) return 0;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || header->hwndFrom != control->window || header->code != UINT(TCN_SELCHANGE)) return 0;
  UiShowTabPage(dialog, control, int(SendMessageW(control->window, TCM_GETCURSEL, 0, 0)));
  return 0;
}

int UiFillSettingsTree(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->window || !ctx->dialogTable) return 0;
  SendMessageW(control->window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  WCHAR text[kTextChars];
  auto insert = [&](HTREEITEM parent) {
    TVINSERTSTRUCTW node{};
    node.hParent = parent;
    node.hInsertAfter = TVI_LAST;
    node.item.mask = TVIF_TEXT | TVIF_PARAM;
    node.item.pszText = text;
    node.item.lParam = reinterpret_cast<LPARAM>(ctx);
    return reinterpret_cast<HTREEITEM>(SendMessageW(control->window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&node)));
  };
  // ANSI symbol names are plain ASCII; anything else is shown as '?'.
  auto copyName = [&](const char* name, int at) {
    for (; name && *name && at < kTextChars - 1; ++name) text[at++] = uint8_t(*name) < 0x80 ? WCHAR(*name) : u'?';
    text[at] = 0;
    return at;
  };
  for (int d = 0; d < ctx->dialogTable->count; ++d) {
    DialogDescriptor* dialog = &ctx->dialogTable->rows[d];
    copyName(dialog->name, 0);
    HTREEITEM root = insert(TVI_ROOT);
    for (int c = 0; c < dialog->controlCount; ++c) {
      ControlDescriptor* row = &dialog->controls[c];
      const NameEntry* symbol = OptFindSymbol(row->nameIndex);
      if (!symbol || !symbol->name) {
        copyName("none", 0);
      } else {
        int at = copyName(symbol->name, 0);
        char number[16];
        std::snprintf(number, sizeof number, "%d", row->option ? int(OptGetControlValue(ctx, row)) : 0);
        if (at < kTextChars - 1) text[at++] = u'\xFF1A';
        copyName(number, at);
      }
      insert(root);
    }
  }
  return 1;
}

int UiIgnoreMessage(DriverContext*, DialogDescriptor*, ControlDescriptor*, UINT, WPARAM, LPARAM) { return 0; }
