// Reading the loaded model of a context: items and their values, rule records, paper sizes and
// printable areas, device fonts and TrueType substitutions; and the condition evaluator that
// applies the model's rules to the context's settings.
//
// The model image of a context (ctx->modelImage) keeps its 32-bit offsets; every record is
// reached through the bounds-checked accessors of model_image.h, so a record that does not lie
// inside the image is treated as absent. Record pointers returned here point into the image and
// stay valid as long as the image.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "model_image.h"

#pragma pack(push, 1)
// A device font as handed out and stored in printer data: ID and UTF-16 name (31 characters
// and the terminator).
struct DeviceFontEntry {
  int32_t fontId;
  WCHAR name[32];
};
static_assert(sizeof(DeviceFontEntry) == 68);

// A TrueType face and the device font that replaces it.
struct FontSubstEntry {
  WCHAR trueTypeName[32];
  WCHAR deviceName[32];
};
static_assert(sizeof(FontSubstEntry) == 128);
#pragma pack(pop)

// ---- items ------------------------------------------------------------------------------------

// The item of a setting: its direct slot, or for IDs without one the first item of the list
// with that setting ID. NULL for 0, without image or item.
const ModelItem* MdlFindItem(uint16_t settingId, DriverContext* ctx);
// The type word without the flag bits, resp. whole; 0 without item.
uint16_t MdlGetItemType(uint16_t settingId, DriverContext* ctx);
uint16_t MdlGetItemTypeRaw(uint16_t settingId, DriverContext* ctx);
// The default of an item by kind: pick kinds the value ID at the default position (0 when the
// list is shorter), Boolean and Numeric the record's default, String its default value ID.
uint32_t MdlGetItemDefault(uint16_t settingId, DriverContext* ctx);
// The same looked up in an image directly.
uint32_t MdlGetDefaultFromHeader(uint16_t settingId, const ModelImage* image);
// The first value record of an item (its layout follows the item's kind), or NULL. For pick
// kinds the default position goes to *defaultPosition when given; without item nothing is
// stored.
const void* MdlGetItemValues(uint16_t settingId, DriverContext* ctx, uint16_t* defaultPosition);
// Values of a list kind; 0 for Boolean, Numeric and String; -1 without item.
int MdlGetItemValueCount(uint16_t settingId, DriverContext* ctx);
// The value after `value` of a list kind, else NULL.
const ModelValue* MdlNextItemValue(const ModelImage* image, const ModelItem* item, const ModelValue* value);
// The list value with that value ID, or NULL.
const ModelValue* MdlFindItemValue(const ModelImage* image, const ModelItem* item, uint16_t valueId);
// Records of a list linked by plain offsets (the first field of each record), 0 for offset 0.
int MdlCountList(const ModelImage* image, uint32_t first);

// Flags of MdlFindUsableItem.
enum : uint32_t {
  kMdlSkipDisabled = 0x1,
  kMdlSkipRestricted = 0x2,
};
// The item of a setting that is not disabled (flag 1) and not restricted (flag 2): the item of
// MdlFindItem when it passes, else the first plain item of the list with that setting ID that
// passes; NULL when none.
const ModelItem* MdlFindUsableItem(uint16_t settingId, DriverContext* ctx, uint32_t flags);
// The item in use for a setting: the custom-size width and length (342, 343) are looked up as
// usable items while the custom-size type (1051) is 1; every other setting by MdlFindItem.
const ModelItem* MdlFindActiveItem(uint16_t settingId, DriverContext* ctx);
// MdlFindActiveItem for the option of a row (index from 0) of the context's option table.
const ModelItem* MdlFindItemForOption(DriverContext* ctx, int rowIndex);
// The first item of the list order whose name index is the key; NULL for none.
const ModelItem* MdlFindItemByKey(uint16_t nameIndex, DriverContext* ctx);
const ModelItem* MdlGetItemByKey(uint16_t nameIndex, DriverContext* ctx);
const ModelItem* MdlLookupItem(uint16_t nameIndex, DriverContext* ctx);
// 1 when the item with that key is disabled as a whole; 0 for key 0 or no item.
int MdlIsItemKeyDisabled(DriverContext* ctx, uint16_t nameIndex);

// ---- rule records -----------------------------------------------------------------------------

// The first Exclusive rule with that name index, or NULL.
const ExclusiveRule* MdlFindRuleByKey(uint16_t nameIndex, DriverContext* ctx);
// The rule of an item (its Exclusive link), or NULL.
const ExclusiveRule* MdlItemRule(const ModelImage* image, const ModelItem* item);
// The first per-value row of a rule with that value ID, or NULL.
const ItemRuleRow* MdlFindValueRow(const ModelImage* image, const ExclusiveRule* rule, uint16_t valueId);
// The same through the context's rule index when it has one for its image.
const ItemRuleRow* MdlFindContextValueRow(DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId);

// ---- the rule index of an image ---------------------------------------------------------------

// Which judge of a per-value row a caller reads.
enum : uint32_t {
  kMdlRowDisabled = 0x1,
  kMdlRowRestricted = 0x2,
  kMdlRowLocked = 0x4,
  kMdlRowAnyJudge = 0x7,
};
// The first per-value row of every (rule, value ID) of an image, for the rules its items and its
// rule list link, found by the same bounded walk as MdlFindValueRow. Built once per image (the
// image cache keeps it) and read without locks. NULL when memory runs out.
MdlRuleIndex* MdlBuildRuleIndex(const ModelImage* image);
void MdlFreeRuleIndex(MdlRuleIndex* index);
// The row of MdlFindValueRow as the index gives it: 1 when the index covers the rule (*row then
// holds the row or NULL), 0 when it does not (the caller walks the rows). With a mask other than
// kMdlRowAnyJudge, *row may be NULL for a rule none of whose rows has a judge of that kind.
int MdlRuleIndexFind(const MdlRuleIndex* index, const ModelImage* image, const ExclusiveRule* rule,
                     uint16_t valueId, uint32_t judgeMask, const ItemRuleRow** row);
// The index a context reads: its work area's, when it belongs to the context's image.
const MdlRuleIndex* MdlContextRuleIndex(const DriverContext* ctx);
// The judge (kMdlRowDisabled, kMdlRowRestricted or kMdlRowLocked) of the first per-value row of
// the rule with that value ID, through the context's index: 1 when the index covers the rule
// (*judge then holds the judge, 0 for no row or no judge), 0 when it does not.
int MdlRuleIndexJudge(const DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId, uint32_t judgeMask,
                      uint32_t* judge);

// ---- other model data -------------------------------------------------------------------------

// The UI resource module name copied into out (outChars, always terminated). The length of
// the name, or -1 when the model has none (out then holds the empty text).
int MdlGetUiResDllName(DriverContext* ctx, WCHAR* out, int outChars);
// Newly allocated arrays (freed with MdlFreeMem). Device fonts and font cartridges: NULL with
// *count = 0 when the list is empty or memory is short. Substitutions: the pairs of the first
// value with pairs of the first FontTbl item; NULL with *count untouched when there is none.
DeviceFontEntry* MdlGetDeviceFonts(DriverContext* ctx, int* count);
DeviceFontEntry* MdlGetFontCartridges(DriverContext* ctx, int* count);
FontSubstEntry* MdlGetFontSubstTable(DriverContext* ctx, int* count);

// ---- paper ------------------------------------------------------------------------------------

// Printable rectangle and paper size (1/1200 inch) of a paper value at the current resolution
// (38) and orientation (7). 1/0.
int MdlGetPageGeometry(DriverContext* ctx, RECT* printable, SIZE* paper, uint16_t paperValueId);
// Width and length (0.1 mm) of the paper held by a setting (0: the paper setting 8), swapped in
// landscape. 1/0.
int MdlGetPaperExtent(DriverContext* ctx, SIZE* out, uint16_t settingId);
// The document paper: custom codes (256, 384-393, 448) from the custom size, else as above.
int MdlGetDocPaperExtent(DriverContext* ctx, SIZE* out);
// The output paper of zdmOutPaperSize (46).
int MdlGetOutputPaperExtent(DriverContext* ctx, SIZE* out);
// The custom size chosen for the body print (700), resp. the perfect-binding finish (710): 1 and
// the size when the setting holds a custom code, else 0.
int MdlGetBodyPrintExtent(DriverContext* ctx, SIZE* out);
int MdlGetBindFinishExtent(DriverContext* ctx, SIZE* out);
// Cut position 1-7 (settings 704-709, 711) in 0.1 mm, rounded so that the way back does not
// fall short.
int32_t MdlGetCutPositionMm(DriverContext* ctx, int which);
// A 1/1200-inch setting in 0.1 mm, rounded up.
int32_t MdlSettingToMm(DriverContext* ctx, uint16_t settingId);
// The first paper code of the model whose size matches (either way round; tolerant: each side
// asked may exceed the paper's by up to 1.7 mm), allowed as output paper; 0 when none.
uint16_t MdlFindPaperBySize(DriverContext* ctx, int32_t width, int32_t length, int tolerant);
// 1 for the custom paper codes 256, 384-393 and 448.
int MdlIsCustomPaperCode(int32_t code);

// ---- conditions and rules ---------------------------------------------------------------------

// Result of a compiled condition of count cells (it ends at its end cell or after count cells);
// NULL cells give 0. The evaluation leaves the stack as it found it.
uint32_t MdlEvalCondition(const RuleCell* cells, uint32_t count, DriverContext* ctx);
// Result of the condition a Judge reference of the context's image names; 0 for none.
uint32_t MdlEvalJudge(uint32_t judgeRef, DriverContext* ctx);

int MdlEvalDisabledRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx);
int MdlEvalRestrictedRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx);
int MdlEvalLockedRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx);
// The item (value ID 0) or one of its values is disabled, restricted, locked. 1/0.
int MdlIsDisabled(const ModelItem* item, uint16_t valueId, DriverContext* ctx);
int MdlIsRestricted(const ModelItem* item, uint16_t valueId, DriverContext* ctx);
int MdlIsLocked(const ModelItem* item, uint16_t valueId, DriverContext* ctx);

// The message ID of the first alert row of the item's rule whose condition holds; 0 for none.
uint16_t MdlGetAlertMessage(const ModelItem* item, DriverContext* ctx);
// The same on a list of alert rows (a tagged reference to the first).
uint16_t MdlFindAlertMessage(uint32_t firstAlert, DriverContext* ctx);
// The first alert row whose condition holds, or NULL.
const AlertRow* MdlFindActiveAlert(uint32_t firstAlert, DriverContext* ctx);
// The first alert list of an item's rule (a tagged reference), 0 for none.
uint32_t MdlItemAlerts(const ModelItem* item, DriverContext* ctx);

// Runs a list of transact rows (a tagged reference to the first): the actions of every row
// whose condition holds set their settings; an action on a dialog page stops the run and gives
// its dialog ID. 0 when the run ended.
uint16_t MdlRunTransact(uint32_t firstTransact, DriverContext* ctx);
// The first transact list of an item's rule, resp. of the rule with that key.
uint16_t MdlRunItemTransact(const ModelItem* item, DriverContext* ctx);
uint16_t MdlRunItemTransactByKey(uint16_t nameIndex, DriverContext* ctx);
// Among the alert-action rows of an alert, the first for the item key: runs its transact list,
// then puts the focus on its control when the context has the row's dialog with a window. The
// transact's dialog ID, 0 when there is no such row.
uint16_t MdlRunAlertAction(const AlertRow* alert, uint16_t nameIndex, DriverContext* ctx);
// The settings module's form: from the given alert row on, for every row whose condition holds,
// its alert-action row for the item runs its transact list; the first dialog ID ends the walk.
uint16_t MdlRunAlertActions(uint32_t firstAlert, uint16_t nameIndex, DriverContext* ctx);

// The computed settings 1507-1538 (only 1507 is defined). 0/1.
uint32_t MdlGetDerivedValue(DriverContext* ctx, uint16_t settingId);
