// Single fields of a device mode at fixed offsets, without the option table, and the sizes of
// the settings image.
//
// Offsets count from the start of the device mode (the 220-byte public part followed by the
// 1016-byte private part). The Dm forms take a device mode of that full size (1236 bytes) and
// setters return it; the Ctx forms work on the context's working device mode and do nothing
// (or read 0) for a context without a settings image. Byte fields are unsigned.
#pragma once

#include <cstdint>

#include "driver_context.h"

// ---- sizes and parts --------------------------------------------------------------------------

DWORD DmGetPublicSize();            // 220
DWORD DmGetPrivateSize();           // 1016
DWORD DmGetSize();                  // 1236, the device mode (block 1)
DWORD DmGetPrinterDataBlockSize();  // 5264, block 2
DWORD DmGetImageSize();             // 10640, the whole settings image

// The working image (its device mode first); the private part after dmSize; block 2.
BYTE* CtxGetDevMode(DriverContext* ctx);
BYTE* CtxGetDevModePrivate(DriverContext* ctx);
BYTE* CtxGetPrinterDataBlock(DriverContext* ctx);
// A device mode's private part: after its dmSize, or at the fixed offset 220.
BYTE* DmGetPrivatePart(BYTE* dm);
BYTE* DmGetPrivatePartFixed(BYTE* dm);

// ---- the private header -----------------------------------------------------------------------

DWORD DmGetPrivateIdentity(const BYTE* dm);   // 349
DWORD DmGetPrivateSizeField(const BYTE* dm);  // 353
DWORD DmGetStoredVersion(const BYTE* dm);     // 357
BYTE DmGetMachineID(const BYTE* dm);          // 368, zdmMachineID (35)

// ---- environment bytes (options 728-745, device-mode bytes 1218-1235) ---------------------------

void CtxSetMIInstalled(DriverContext* ctx, BYTE value);
void CtxSetCallSrc(DriverContext* ctx, BYTE value);
BYTE CtxGetCallSrc(DriverContext* ctx);
BYTE* DmSetCallSrc(BYTE* dm, BYTE value);
BYTE DmGetCallSrc(const BYTE* dm);
void CtxSetOSKind(DriverContext* ctx, BYTE value);
BYTE CtxGetOSKind(DriverContext* ctx);
BYTE* DmSetOSKind(BYTE* dm, BYTE value);
BYTE DmGetOSKind(const BYTE* dm);
void CtxSetBatchInst(DriverContext* ctx, BYTE value);
BYTE* DmSetBatchInst(BYTE* dm, BYTE value);
BYTE DmGetBatchInst(const BYTE* dm);
void CtxSetPrintLog(DriverContext* ctx, BYTE value);
BYTE CtxGetPrintLog(DriverContext* ctx);
BYTE* DmSetPrintLog(BYTE* dm, BYTE value);
BYTE DmGetPrintLog(const BYTE* dm);
void CtxSetBiDirect(DriverContext* ctx, BYTE value);
BYTE CtxGetBiDirect(DriverContext* ctx);
BYTE* DmSetBiDirect(BYTE* dm, BYTE value);
BYTE DmGetBiDirect(const BYTE* dm);
void CtxSetNoPermission(DriverContext* ctx, BYTE value);
BYTE CtxGetNoPermission(DriverContext* ctx);
BYTE* DmSetNoPermission(BYTE* dm, BYTE value);
BYTE DmGetNoPermission(const BYTE* dm);
void CtxSetPresentUIMode(DriverContext* ctx, BYTE value);
BYTE CtxGetPresentUIMode(DriverContext* ctx);
void CtxSetBidiSupport(DriverContext* ctx, BYTE value);
void CtxSetServerClientMode(DriverContext* ctx, BYTE value);
BYTE CtxGetServerClientMode(DriverContext* ctx);
BYTE* DmSetServerClientMode(BYTE* dm, BYTE value);
BYTE DmGetServerClientMode(const BYTE* dm);
void CtxSetUserCodeFIX(DriverContext* ctx, BYTE value);
void CtxSetUserCodeGet(DriverContext* ctx, BYTE value);
BYTE CtxGetUserCodeGet(DriverContext* ctx);
void CtxSetTMInstalled(DriverContext* ctx, BYTE value);
void CtxSetPropertyType(DriverContext* ctx, BYTE value);
BYTE* DmSetPropertyType(BYTE* dm, BYTE value);
BYTE DmGetPropertyType(const BYTE* dm);
void CtxSetUserCodeDLL(DriverContext* ctx, BYTE value);
void CtxSetTSE(DriverContext* ctx, BYTE value);
BYTE CtxGetTSE(DriverContext* ctx);
BYTE* DmSetTSE(BYTE* dm, BYTE value);
BYTE DmGetTSE(const BYTE* dm);
void CtxSetAdmin(DriverContext* ctx, BYTE value);
BYTE CtxGetAdmin(DriverContext* ctx);
BYTE* DmSetAdmin(BYTE* dm, BYTE value);
BYTE DmGetAdmin(const BYTE* dm);
void CtxSetBidiFunc(DriverContext* ctx, BYTE value);
BYTE CtxGetBidiFunc(DriverContext* ctx);
BYTE* DmSetBidiFunc(BYTE* dm, BYTE value);
BYTE DmGetBidiFunc(const BYTE* dm);

// ---- option fields ----------------------------------------------------------------------------

BYTE* DmSetFrontFunc(BYTE* dm, DWORD value);  // zdmFrontFunc (350), u32 at 852
DWORD DmGetFrontFunc(const BYTE* dm);
// The zdmQualityFunc bits (153-168): the u16 at 576.
BYTE* DmSetQualityFuncBits(BYTE* dm, WORD bits);
WORD DmGetQualityFuncBits(const BYTE* dm);
// zdmHidden2Func0-31 (449-480): the u32 at 896.
BYTE* DmSetHidden2FuncBits(BYTE* dm, DWORD bits);
DWORD DmGetHidden2FuncBits(const BYTE* dm);
// The zdmSupportFunc2 bits (564-575): the u32 at 1020. The setters change one bit each: bit 0
// (job completion) from bit 0 of the argument, bit 1 (job errors) from bit 1.
BYTE* DmSetJobCompleteSupport(BYTE* dm, DWORD bits);
BYTE* DmSetJobErrSupport(BYTE* dm, DWORD bits);
DWORD DmGetSupportFunc2Bits(const BYTE* dm);
BYTE* DmSetLockPrnMethod(BYTE* dm, BYTE value);  // zdmLockPrnMethod (691), 1178
BYTE DmGetLockPrnMethod(const BYTE* dm);
BYTE DmGetMachineTypeBits(const BYTE* dm);  // zdmMachineType bits (236-243), 810
BYTE DmGetDriverType(const BYTE* dm);       // zdmDriverType (244), 811
BYTE DmGetNupPostKind(const BYTE* dm);      // zdmNUPPOSTKind (91), 446
int16_t DmGetColor(const BYTE* dm);         // dmColor (15), 92
// Header and footer: the select bits (100-107) at 462, positions and forms at 463-468.
BYTE* DmSetHFFuncSelectBits(BYTE* dm, BYTE bits);
BYTE DmGetHFFuncSelectBits(const BYTE* dm);
BYTE* DmSetHFDatePosi(BYTE* dm, BYTE value);
BYTE DmGetHFDatePosi(const BYTE* dm);
BYTE* DmSetHFDateForm(BYTE* dm, BYTE value);
BYTE DmGetHFDateForm(const BYTE* dm);
BYTE* DmSetHFPageForm(BYTE* dm, BYTE value);
BYTE DmGetHFPageForm(const BYTE* dm);
BYTE* DmSetHFStrPosi(BYTE* dm, BYTE value);
BYTE DmGetHFStrPosi(const BYTE* dm);
BYTE* DmSetHFStrForm(BYTE* dm, BYTE value);
BYTE DmGetHFStrForm(const BYTE* dm);
// zdmHFString (114), 33 bytes at 469: the setter copies exactly 33 bytes, filling with NUL
// after a shorter text (a text of 33 characters or more is not terminated); the getter copies
// the 33 bytes into out (at least 33 bytes). NULL text or out: nothing is copied.
BYTE* DmSetHFString(BYTE* dm, const char* text);
char* DmGetHFString(const BYTE* dm, char* out);
constexpr DWORD kHFStringSize = 33;

// ---- text-field checks ------------------------------------------------------------------------

// 1 when the text at the field is short enough; a text that runs on past its field counts the
// bytes after it (up to the check's buffer of 31 or 63 bytes). 0 for a NULL device mode.
int DmIsIniFileNameValid(const BYTE* dm);       // zdmIniFileName (228): below 17
int DmIsCDCVersionValid(const BYTE* dm);        // zdmiCDCVerStr (244): below 17
int DmIsZPJLVersionValid(const BYTE* dm);       // zdmiZPJLVerStr (260): below 17
int DmIsTrackIDValid(const BYTE* dm);           // zdmTrackID (1040): below 22
int DmIsCopyProtectFontValid(const BYTE* dm);   // zdmCopyProtectFontName (975): below 33
int DmIsHFFontNameValid(const BYTE* dm);        // zdmHFFontName (502): below 33
int DmIsHFStringValid(const BYTE* dm);          // zdmHFString (469): below 34
