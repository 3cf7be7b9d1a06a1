// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include <cstring>

#include "sheet_engine.h"

// pages, the common dialog procedure and control state
int UiAddPropertyPages(DriverContext*, uint32_t) { return 0; }
INT_PTR CALLBACK UiPageDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK UiCommonDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void UiRefreshDialog(DriverContext*, DialogDescriptor*, int) {}
void UiClearOptionChanges(DriverContext*) {}
void UiRestoreClassWndProcs(DriverContext*, HWND) {}
uint16_t UiGetItemValueId(DriverContext*, const ModelItem* item, const void* value, const ItemRuleRow** valueRows) {
  if (valueRows) *valueRows = nullptr;
  if (!item || !value) return 0;
  const int type = item->typeWord & 0xFF;
  if (type != 1 && type != 2 && type != 16) return 0;
  uint16_t id = 0;
  std::memcpy(&id, static_cast<const BYTE*>(value) + (type == 16 ? 0 : offsetof(ModelValue, valueId)), sizeof id);
  return id;
}

// page utilities
void UiFixUpPageTables(DriverContext*) {}
void UiRefreshPresetSelectors(DriverContext*) {}
void UiRefreshEditPageLists(DriverContext*) {}
void UiRefreshSourceCombos(DriverContext*) {}
void UiRefreshOutputTrayCombos(DriverContext*) {}
void UiRefreshPaperSizeCombos(DriverContext*) {}
void UiRefreshWatermarkCombo(DriverContext*) {}
