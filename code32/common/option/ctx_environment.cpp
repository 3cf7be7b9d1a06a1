// The environment flags of the working device mode: one byte each at the end of the private
// part (device-mode bytes 1218-1235), which the model rules read like any option. Each setter
// writes a fixed value; a context without a settings image has no device mode to mark.
#include "ctx_environment.h"

namespace {

// Device-mode offsets of the environment bytes.
enum : DWORD {
  kMIInstalled = 1218,
  kCallSrc = 1219,
  kOSKind = 1220,
  kBatchInst = 1221,
  kPrintLog = 1222,
  kBiDirect = 1223,
  kNoPermission = 1224,
  kPresentUIMode = 1225,
  kBidiSupport = 1226,
  kServerClientMode = 1227,
  kUserCodeFIX = 1228,
  kUserCodeGet = 1229,
  kTMInstalled = 1230,
  kPropertyType = 1231,
  kUserCodeDLL = 1232,
};
static_assert(kUserCodeDLL < kFullDevModeSize);

void SetEnvByte(DriverContext* ctx, DWORD offset, BYTE value) {
  // The device mode is the start of the settings image.
  if (ctx && ctx->settingsImage) reinterpret_cast<BYTE*>(ctx->settingsImage)[offset] = value;
}

}  // namespace

void CtxSetCallSrcApp(DriverContext* ctx) { SetEnvByte(ctx, kCallSrc, 0); }
void CtxSetCallSrcDefaults(DriverContext* ctx) { SetEnvByte(ctx, kCallSrc, 1); }
void CtxSetOSKindLegacy(DriverContext* ctx) { SetEnvByte(ctx, kOSKind, 1); }
void CtxSetOSKindWin2000(DriverContext* ctx) { SetEnvByte(ctx, kOSKind, 2); }
void CtxSetBatchInstOff(DriverContext* ctx) { SetEnvByte(ctx, kBatchInst, 0); }
void CtxSetBatchInstOn(DriverContext* ctx) { SetEnvByte(ctx, kBatchInst, 1); }
void CtxSetPrintLogOff(DriverContext* ctx) { SetEnvByte(ctx, kPrintLog, 0); }
void CtxSetPrintLogOn(DriverContext* ctx) { SetEnvByte(ctx, kPrintLog, 1); }
void CtxSetBiDirectOff(DriverContext* ctx) { SetEnvByte(ctx, kBiDirect, 0); }
void CtxSetBiDirectOn(DriverContext* ctx) { SetEnvByte(ctx, kBiDirect, 1); }
DriverContext* CtxSetNoPermissionOff(DriverContext* ctx) {
  SetEnvByte(ctx, kNoPermission, 0);
  return ctx;
}
DriverContext* CtxSetNoPermissionOn(DriverContext* ctx) {
  SetEnvByte(ctx, kNoPermission, 1);
  return ctx;
}
void CtxSetPresentUIModeOff(DriverContext* ctx) { SetEnvByte(ctx, kPresentUIMode, 0); }
void CtxSetPresentUIModeOn(DriverContext* ctx) { SetEnvByte(ctx, kPresentUIMode, 1); }
void CtxSetBidiSupportOff(DriverContext* ctx) { SetEnvByte(ctx, kBidiSupport, 0); }
void CtxSetBidiSupportOn(DriverContext* ctx) { SetEnvByte(ctx, kBidiSupport, 1); }
DriverContext* CtxSetServerClientModeOff(DriverContext* ctx) {
  SetEnvByte(ctx, kServerClientMode, 0);
  return ctx;
}
DriverContext* CtxSetServerClientModeOn(DriverContext* ctx) {
  SetEnvByte(ctx, kServerClientMode, 1);
  return ctx;
}
void CtxSetUserCodeFIXOff(DriverContext* ctx) { SetEnvByte(ctx, kUserCodeFIX, 0); }
void CtxSetUserCodeFIXOn(DriverContext* ctx) { SetEnvByte(ctx, kUserCodeFIX, 1); }
void CtxSetUserCodeGetOff(DriverContext* ctx) { SetEnvByte(ctx, kUserCodeGet, 0); }
void CtxSetUserCodeGetOn(void*, DriverContext* ctx) { SetEnvByte(ctx, kUserCodeGet, 1); }
void CtxSetTMInstalledOff(DriverContext* ctx) { SetEnvByte(ctx, kTMInstalled, 0); }
void CtxSetTMInstalledOn(DriverContext* ctx) { SetEnvByte(ctx, kTMInstalled, 1); }
void CtxSetMIInstalledOff(DriverContext* ctx) { SetEnvByte(ctx, kMIInstalled, 0); }
void CtxSetMIInstalledOn(DriverContext* ctx) { SetEnvByte(ctx, kMIInstalled, 1); }
void CtxSetPropertyTypeDocument(DriverContext* ctx) { SetEnvByte(ctx, kPropertyType, 0); }
void CtxSetPropertyTypePrinter(DriverContext* ctx) { SetEnvByte(ctx, kPropertyType, 1); }
void CtxSetUserCodeDLLOff(DriverContext* ctx) { SetEnvByte(ctx, kUserCodeDLL, 0); }
void CtxSetUserCodeDLLOn(DriverContext* ctx) { SetEnvByte(ctx, kUserCodeDLL, 1); }
