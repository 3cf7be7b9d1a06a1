// Feature module 10, extension dialogs: what runs without a window.
#include "feature_modules.h"
#include "option_access.h"

namespace {

constexpr uint16_t kOptCopies = 12;                 // dmCopies
constexpr uint16_t kOptSeparationSheetCycle = 413;  // zdmSeparationSheetCycle
constexpr WORD kItemCopiesBelowCycle = 1491;        // wdmJudgeHookUcf90
constexpr uint16_t kOptCopyProtectChar = 526;       // zdmCopyProtectChar
constexpr uint16_t kOptAuthenticationUserName = 1144;  // wdmAuthenticationUserName

}  // namespace

// Copies to the separation cycle (901) and the adjustment clamps (329-331) are not built yet:
// no code is handled.
int FmExtOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

// Reverting and committing the user-quality dialogs (34, 35) is not built yet: no code is
// handled.
int FmExtOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }

// Item 1491: fewer copies than the separation-sheet cycle (both signed 16-bit). Other items 0.
DWORD FmGetExtComputedItem(DriverContext* ctx, WORD item) {
  if (item != kItemCopiesBelowCycle) return 0;
  const auto copies = static_cast<int16_t>(OptGetValue(ctx, kOptCopies, nullptr));
  const auto cycle = static_cast<int16_t>(OptGetValue(ctx, kOptSeparationSheetCycle, nullptr));
  return copies < cycle ? 1 : 0;
}

int FmIsEmptyTextAllowedOption(uint16_t id) {
  return id == kOptCopyProtectChar || id == kOptAuthenticationUserName ? 1 : 0;
}
