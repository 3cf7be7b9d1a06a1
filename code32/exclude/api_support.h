// Window-free services of the ZOLTDrv interface: option and rule tests, checks of the texts
// callers hand in, job values through the job-control module, settings-file services, margins,
// and the chapter and colour-matching requests.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "model_image.h"

// ---- options and rules ------------------------------------------------------------------------

const ModelItem* ApiFindOptionItem(DriverContext* ctx, uint16_t option);
int ApiHasItem(DriverContext* ctx, uint16_t option);
int ApiIsOptionSelectable(DriverContext* ctx, uint16_t option);
// flags 1: the value (0: the item) must not be disabled; 2: not restricted.
int ApiIsOptionAvailable(DriverContext* ctx, uint16_t option, uint16_t valueId, int flags);
int ApiIsItemUsableOnDialog(DriverContext* ctx, uint16_t option, uint16_t dialogId);
int ApiIsControlUsable(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, int flags);
uint16_t ApiFindValueByCode(DriverContext* ctx, uint16_t option, uint32_t code);
const ExclusiveRule* ApiFindItemRule(DriverContext* ctx, uint16_t option);
int ApiIsValueDisabled(DriverContext* ctx, uint16_t option, uint16_t valueId);  // 1, 0, -1 no rule
int ApiIsRuleValueDisabled(DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId);
int ApiIsKeyDisabled(DriverContext* ctx, uint16_t key, uint16_t valueId);
int ApiIsKeyRestricted(DriverContext* ctx, uint16_t key, uint16_t valueId);
int ApiAlertRaisesMessage(DriverContext* ctx, uint16_t option, uint16_t stringId, int32_t trial, int trialFlag);
int ApiTestItemValue(DriverContext* ctx, uint16_t option, int32_t value);
// Runs the first Transact list of every model item of the option.
void ApiRunOptionRules(DriverContext* ctx, uint16_t option);
// Runs the alert action for key 1 of every model item of the option.
void ApiRunOptionAlerts(DriverContext* ctx, uint16_t option);

// ---- texts from callers ----------------------------------------------------------------------

int ApiIsValidNameChars(const char* text, int allowBackslash);
int ApiIsValidPathChars(const char* path);
int ApiIsValidRpoFileName(const char* path);
const char* ApiFileNamePart(const char* path);
const char* ApiFileExtension(const char* path, int* length);
int ApiIsValidKind(int n);
int ApiTextHasChar(const char* text, char c);
int ApiIsAbsolutePath(const WCHAR* path);
int ApiIsUsableFile(int kind, const char* path);
// 1 when a TrueType family of that face name is installed (vertical faces passed over).
int ApiIsFontInstalled(const char* faceName);

// ---- job-control module ----------------------------------------------------------------------

int ApiLoadJobValues(DriverContext* ctx, DWORD flags);
int ApiStoreJobValue(DriverContext* ctx, DWORD flag);

// ---- settings services -----------------------------------------------------------------------

int ApiSaveUserSettings(DriverContext* ctx, HANDLE printer);
// Loads the preset file of a preset-list key (entry 0's when the key names none), window-free:
// its watermark settled, the preset cache stored and the modules asked to re-check. 1 when
// the file was taken.
int ApiLoadPresetByKey(DriverContext* ctx, const WCHAR* key);
// Index 0-15 of the preset list; any other index loads nothing (0).
int ApiLoadPresetEntry(DriverContext* ctx, int index);
int ApiHasInterfaceStamp(DriverContext* ctx);
void ApiResetMargins(DriverContext* ctx);
int ApiResetMarginsIfOff(DriverContext* ctx);
int ApiMarginFollows(DriverContext* ctx, uint32_t statusId);
void ApiSetUserPaperFromRecord(DriverContext* ctx, const void* record);
int ApiIsTerminalServerMode(DriverContext* ctx);
int ApiIsTerminalUserWithoutAdmin(DriverContext* ctx);
int ApiIsUserMacroPrint(DriverContext* ctx);
int ApiGetAdjustedVariant(DriverContext* ctx, uint16_t option);
int ApiIsLoadShareRowMarked(int row);

// ---- chapter and colour-matching requests ----------------------------------------------------

int ApiChapterService(DriverContext* ctx, int request, void* record);
int ApiChapterListsDiffer(DriverContext* ctx, const ChapterEntry* a, const ChapterEntry* b);

// Bytes of one chapter row as the interface copies it.
constexpr DWORD kChapterEntryBytes = 38;
