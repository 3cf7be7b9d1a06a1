// Feature modules 6 and 7 without their dialogs, beside fm_modules_5_8.h: the combination rules
// of the installable options, and the font-substitution table of the settings with the device
// fonts it names.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "model_query.h"

// ---- module 6: the combination rules of the installable options -------------------------------

// An option and a value (value ids as the model lists them); lists end with option 0.
struct OptionValuePair {
  uint32_t option;
  uint32_t value;
};

// How one item of the installable-options list is on, and what turning it on or off does.
struct OptionComboRule {
  uint32_t itemId;  // the list item's value id (a resource string id); 0 ends the table
  uint32_t option;
  uint32_t value;
  uint32_t option2;  // 0: none
  uint32_t value2;
  const OptionValuePair* lockCondition;  // while it holds the item cannot change; NULL: none
  const uint32_t* groupList;             // item ids ending with 0, one of which stays on; NULL: none
  const OptionValuePair* onList;         // applied when the item is turned on
  const OptionValuePair* offList;        // applied when the item is turned off
  uint32_t refresh;                      // rebuild the tray table after a change
  uint32_t repaint;                      // repaint the option list after a change
};

// The rule table of this build, ending with a zero row.
const OptionComboRule* OptGetOptionComboRules();
// 1 when the rule's option (and its second option, when it has one) have the rule's values.
int OptIsComboRuleOn(DriverContext* ctx, const OptionComboRule* rule);

// ---- module 7: the font-substitution table ------------------------------------------------------

// The font-substitution table of the settings (zdmFontTableNum 10004, zdmFontTable 10005) and
// the device fonts it may name: the resident fonts (10006/10007) followed by the option fonts
// (10008/10009). Names are copied into buffers of kFdFontNameChars characters, always
// terminated, so that a record without a terminator is never read past its 32 characters.
constexpr int kFdFontNameChars = 32;

// Resident and option fonts together.
int FdGetDeviceFontCount(DriverContext* ctx);
// The name of device font index (resident fonts first, then the option fonts); an empty name
// for an index beyond both lists. Returns out.
WCHAR* FdGetDeviceFontName(DriverContext* ctx, int index, WCHAR* out);
// The device font of the first table row whose TrueType face equals face (exact and
// case-sensitive), else the first device font, the default substitute. Returns out.
WCHAR* FdFindSubstitute(DriverContext* ctx, const WCHAR* face, WCHAR* out);
// Replaces the table by count rows (the block is handed over to the settings image, which owns
// it from then on), or with NULL rows by the printer's default table. The first change within an
// undo level parks the table it replaces for the undo snapshot, which restores or frees it.
// 1 when the table was replaced, 0 without a context or when the block could not be held (the
// block is freed then).
int FdSetFontTable(DriverContext* ctx, int count, FontSubstEntry* rows);
