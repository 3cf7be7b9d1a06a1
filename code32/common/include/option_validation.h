// Checking option values against the model description and repairing what fails: the option
// checks and their result codes, the checks of the public device-mode fields, the paper-code
// tests, and the reset table that repairs the options the model does not describe.
#pragma once

#include <cstdint>

#include "driver_context.h"

struct ModelItem;

// Results of the option checks.
enum : int {
  kCheckNotAllowed = 0,
  kCheckAllowed = 1,
  kCheckNoModelName = 2,  // no option row, or its row has no model name
  kCheckNoModelItem = 3,  // no active item, or an item type the driver does not handle
  kCheckDisabled = 4,     // in the list but disabled by a constraint
  kCheckRestricted = 5,   // in the list but restricted: shown, refused when chosen
};

// Merge flags (the work area's merge-flags word) that the repair reads.
constexpr DWORD kMergeKeepDisabled = 0x80000;     // a disabled value stays
constexpr DWORD kMergeClampRange = 0x40000000;    // zdmScaleH/V are clamped instead of reset

// Modes of the reset walk.
enum : uint32_t { kResetModeDefaults = 1, kResetModeValidate = 2 };

// ---- option checks ----------------------------------------------------------------------------

// The central check of a value against the option's model item: kCheckNotAllowed, kCheckAllowed,
// kCheckDisabled or kCheckRestricted. The N-up type check also reconciles the N-up kind.
int OptCheckValueAgainstModel(const OptionEntry* row, uint16_t id, int32_t value, DriverContext* ctx,
                              const ModelItem* item);
// The same on the option's active item, allowed (1) or not (0): disabled is not allowed,
// restricted is.
int OptCheckValueSimple(const OptionEntry* row, uint16_t id, int32_t value, DriverContext* ctx);
// 1 valid or repaired, kCheckNoModelName, kCheckNoModelItem.
int OptValidateOrRepair(uint16_t id, int32_t value, DriverContext* ctx);
// 1 allowed (also restricted), 0, kCheckNoModelName, kCheckNoModelItem.
int OptCheckValue(uint16_t id, int32_t value, DriverContext* ctx);
int OptCheckModelValue(uint16_t id, int32_t value, DriverContext* ctx);
// As OptCheckModelValue; a failed pick value with a value-text list answers whether it has a
// value text; without a list the option is repaired to the model default (answer 1).
int OptCheckValueOrMapped(uint16_t id, int32_t value, DriverContext* ctx);

// The model default of the option's item, written as a UI value. 1 when written.
int OptResetToModelDefault(DriverContext* ctx, OptionEntry* row);
// zdmScaleH/zdmScaleV with a Numeric item: clamped into the item's range; anything else: the
// model default.
void OptResetToDefaultClamped(DriverContext* ctx, OptionEntry* row, uint16_t id, int32_t value);

// ---- public device-mode fields ----------------------------------------------------------------

int DmIsValidSource(int32_t value, DriverContext* ctx);
int DmIsValidOrientation(int32_t value, DriverContext* ctx);
int DmIsValidPaper(int32_t value, DriverContext* ctx);
int DmIsValidPrintQuality(int32_t value, DriverContext* ctx);
int DmIsValidDuplex(int32_t value, DriverContext* ctx);
int DmIsValidColor(int32_t value, DriverContext* ctx);
int DmIsValidTTOption(int32_t value, DriverContext* ctx);
int DmIsValidICMMethod(int32_t value, DriverContext* ctx);
int DmIsValidICMIntent(int32_t value, DriverContext* ctx);
int DmIsValidMediaType(int32_t value, DriverContext* ctx);
int DmIsValidDitherType(int32_t value, DriverContext* ctx);
int DmIsValidFormName(const WCHAR* name, DriverContext* ctx);  // always 1
int DmIsDeviceIndependentQuality(int32_t value);              // -4 to -1

// ---- paper codes and small derived values -----------------------------------------------------

int OptIsSlotPaperCode(int32_t code);    // 384-393, 256, 448
int OptIsCustomPaperCode(int32_t code);  // 384-393, 448, 256
int OptIsSamePaperCode(int32_t code);    // 1024
int DmIsStandardPaper(int32_t code);     // 1-118 or a legal value of dmPaperSize
// The slot 0-9 of dmPaperSize / zdmOutPaperSize when it is 384-393, else -1.
int OptGetSourceSizeSlot(DriverContext* ctx);
int OptGetOutputSizeSlot(DriverContext* ctx);
// zdmWmID while watermark printing is on, else -1.
int32_t OptGetWatermarkId(DriverContext* ctx);
// zdmUserPrintMacro's UI value less 135 while a user macro is used, else -1.
int32_t OptGetUserMacroIndex(DriverContext* ctx);
// The N-up kind of a zdmNUPType value; *out (when given) 2 for value 3, else 1.
int32_t OptNupTypeToKind(uint32_t value, int32_t* out);

// ---- the reset table --------------------------------------------------------------------------

// A handler answers 1 when the value is kept, 0 when it wrote the default.
using ResetHandler = int (*)(uint16_t id, int32_t value, OptionEntry* row, int32_t defaultValue, uint32_t mode,
                             DriverContext* ctx);
struct ResetRule {
  uint32_t optionId;
  ResetHandler handler;  // NULL for none
  int32_t defaultValue;
};
constexpr int kResetRuleCount = 616;
// The 616 rows and an end row of zeros.
const ResetRule* OptGetResetTable();

// Walks options 35 onwards (at most 616 positions, never past 719): each value is validated, and
// an option without a model name is handed to the reset row at its position. Returns the last
// option id visited.
uint32_t DmApplyResetRules(DEVMODEW* devmode, DriverContext* ctx, uint32_t mode);
