// Feature modules 9 and 10 without their dialogs: the administrator locks (capturing the
// locked values, pushing the locks into the stored preset and quality files, restoring locked
// options from the administrator's default image, the locked header/footer font) and the small
// handlers of the extension module.
//
// The handlers that the module table registers (FmLimitOnBuiltInFunc, FmLimitOnNotify,
// FmExtOnBuiltInFunc, FmExtOnNotify, FmGetExtComputedItem, FmIsEmptyTextAllowedOption) are
// declared with the table in feature_modules.h.
//
// A lock reaches a stored preset or quality file as a key pair: the option's field name F holds
// the locked value, and F + "Lock" holds the file's own value until the lock is lifted; while a
// lock is on, that key is the only record of the file's own value.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Printer data value of the locked header/footer font name (UTF-16, 520 bytes).
inline constexpr WCHAR kLockHeaderFooterFontValue[] = u"LockHFChoiceFontDataName";
// Suffix of the key that keeps a file's own value while a lock is on.
inline constexpr WCHAR kLockKeySuffix[] = u"Lock";

// Options of the captured lock values (wdmLock001Info .. wdmLock008Info).
enum : uint16_t {
  kOptLockInfoTray = 1236,        // wdmLock001Info := dmDefaultSource
  kOptLockInfoMedia = 1237,       // wdmLock002Info := zdmMediaType
  kOptLockInfoNupKind = 1238,     // wdmLock003Info := zdmNUPPOSTKind
  kOptLockInfoPrintType = 1241,   // wdmLock006Info := zdmPrnMethod
  kOptLockInfoResolution = 1242,  // wdmLock007Info := zdmLockDstResolutionBoth
  kOptLockInfoColor = 1243,       // wdmLock008Info := dmColor
};

// ---- module 9: administrator locks -----------------------------------------------------------

// One pair of the map from the restore codes 10000-11995 to the options they restore.
struct LockRestorePair {
  uint16_t code;
  uint16_t optionId;
};
// The map: 1995 pairs in code order, then a pair with code 0. Code 11922 is not in it.
const LockRestorePair* FmLockRestoreMap();
constexpr int kLockRestorePairs = 1995;

// Built-in function 312: copies the lockable values into wdmLock001Info-wdmLock008Info.
void FmCaptureLockValues(DriverContext* ctx);
// Sets the option of a restore code to its value in the administrator's lock-default image
// (numbers by value, texts and blocks by their bytes). 1 when the code is in the map (also when
// the context has no such image; then nothing changes), 0 otherwise.
int FmRestoreLockedOption(DriverContext* ctx, WORD code);
// While the header/footer is locked: the printer data font name into zdmHFFontName (115), as
// ANSI text cut to the field. 1 when stored; 0 when not locked or the value cannot be read.
int FmLoadLockedHeaderFooterFont(DriverContext* ctx);

// Notify code 59: every guarded option of the tray, media, layout, duplex, print-type, colour and
// header/footer locks, in that order, into every preset file of the printer's list.
void FmApplyLocksToPresets(DriverContext* ctx);
// Notify code 60: the resolution lock into every quality file of the printer's list: through
// zdmDstResolutionBoth, or, when a file lacks that key, through zdmDstResolutionW and H.
void FmApplyResolutionLockToQualities(DriverContext* ctx);

// One numeric option into the first `count` preset files ("PresetList<i>" of the printer
// section of the settings file; inside each file the printer section). Locked: a file without
// the option's key is skipped; the first locking keeps the file's value under the lock key; the
// key then holds the option's current value. Unlocked: the lock key's value goes back into the
// key and the lock key is removed.
void FmApplyLockToPresetFiles(DriverContext* ctx, uint16_t optionId, int locked, int count);
// The same for a text option. Locked: the key holds the option's current text (the first locking
// keeps the file's text, empty when it had none). Unlocked: the lock key is removed, its text put
// back first unless dropText is set.
void FmApplyTextLockToPresetFiles(DriverContext* ctx, uint16_t optionId, int locked, int count, int dropText);
// One numeric option into the first `count` quality files ("QualityList<i>"). For
// zdmDstResolutionBoth every file must hold the key: the first that does not ends the pass with
// 0; the horizontal and vertical resolution keys follow the locked value and keep their own
// values under their lock keys until the lock is lifted. 1 otherwise.
int FmApplyLockToQualityFiles(DriverContext* ctx, uint16_t optionId, int locked, int count);

// ---- module 10: extension dialogs -------------------------------------------------------------

// Built-in function 901: zdmSeparationSheetCycle := dmCopies when dmCopies is above 0.
void FmCopiesToSeparationCycle(DriverContext* ctx);
// Built-in functions 329-331: clamps zdmAjstPosVer (704), zdmAjstPosHor (705) or zdmCutPosAdjst
// (711) into its range for the display unit when the range table has a row for it (it has none,
// so the value stays).
void FmClampAdjustOption(DriverContext* ctx, uint16_t optionId);
// Notify code 34 for a user-quality sub-dialog (kind kDialogUndoOnCancel): puts back the
// remembered colour-matching choices, sends code 36, saves the settings into the selected user
// print macro's quality entry, then sends code 35. 1 when the dialog is of that kind, else 0.
int FmRevertUserQualityDialog(DriverContext* ctx, DialogDescriptor* dialog);
// Notify code 35 for a user-quality sub-dialog: forgets the remembered choices (mark byte 0).
// 1 when the dialog is of that kind, else 0.
int FmCommitUserQualityDialog(DriverContext* ctx, DialogDescriptor* dialog);

// ---- module 9: the lock copies -------------------------------------------------------------

// Built-in functions and notify codes of the administrator's lock copies.
enum : WORD {
  kBfStampLockFirst = 318,       // 318-322: the lock copy of watermark 0-4 (default data locked)
  kBfStampLockLast = 322,
  kBfLockUpdateDevmode = 323,    // FdReloadLockedDefaults
  kBfLockUpdatePrnMethod = 326,  // FdSetLockPrintMethod
};
enum : DWORD {
  kFmNotifyStampLocksSave = 61,   // the device sheet stored locks with the default data locked
  kFmNotifyStampLocksClear = 62,  // ... with the default data free
};

// The printer's stored default device mode with the printer configuration reloaded, zdmBiDirect
// and zdmBidiFunc kept, merged as printer properties. The merge's result.
int FdReloadLockedDefaults(DriverContext* ctx);
// zdmLockPrnMethod := the low byte of zdmPrnMethod, unless that is 2, 5 or 7.
void FdSetLockPrintMethod(DriverContext* ctx);
// Loads the watermark rows of the settings file from section "Stamp<n><lang>Lock", then
// zdmWmID := n. The load's result.
int FdLoadStampLock(DriverContext* ctx, int n);
// Every stored watermark saved into its lock section; the settings are put back afterwards.
void FdSaveStampLocks(DriverContext* ctx);
// Every watermark's lock section removed from the settings file.
void FdClearStampLocks(DriverContext* ctx);
// In the preset files exported with the scenario main file (the index digit five places before
// the end, extension "rsd"), the lock keys of every group locked now are removed from the
// language section.
void FdClearPresetLockKeys(DriverContext* ctx, const WCHAR* mainFile);
// The same for the quality files (the main file's code advanced by one, extension "rsq") and the
// resolution keys, while the resolution is locked.
void FdClearQualityLockKeys(DriverContext* ctx, const WCHAR* mainFile);

// ---- module 10: the window-free answers ------------------------------------------------------

// Notify code 32: the model's default of the row's setting (a value id converted to the stored
// value when the item lists values and the option has value texts) into the event's value.
struct FmResolutionFallback;
void FmModelDefaultValue(DriverContext* ctx, FmResolutionFallback* event);

#if ZOLT_WINDOW_BUILD
// Built-in function 324 in the printer-interface module: the alert of the model item of the
// control of the last command. 1 when an alert was due and shown.
int FdCheckLastCommandAlert(DriverContext* ctx);
// The notify codes of module 10 that work on windows: 14 runs the hidden-function dialog over
// the page, 66 greys the copy-guard and watermark controls of the layout page while their
// switches are set, 67 takes a combo box's change notice. 1 when taken.
int FdExtWindowNotify(DriverContext* ctx, DWORD code, void* param);
#endif

// Module 10's per-context data: the driver version a version dialog keeps while it shows the
// driver directory's dummy version.
struct FmExtUserData {
  BYTE keptDriverVersion[9];  // wdmDriverVersion
  BYTE versionKept;           // 1 while a version is kept
  // The job password's confirmation as typed, from the confirmation dialog's OK until it is
  // compared: the confirmation field's own option holds only four characters.
  WCHAR typedConfirmation[65];
};
