// The environment-flag setters write exactly their byte of the working device mode.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ctx_environment.h"

namespace {

TEST(CtxEnvironment, EachSetterWritesItsOwnByte) {
  struct Case {
    const char* name;
    std::function<void(DriverContext*)> set;
    DWORD offset;
    BYTE value;
  };
  const std::vector<Case> cases = {
      {"MIInstalledOn", CtxSetMIInstalledOn, 1218, 1},         {"MIInstalledOff", CtxSetMIInstalledOff, 1218, 0},
      {"CallSrcDefaults", CtxSetCallSrcDefaults, 1219, 1},     {"CallSrcApp", CtxSetCallSrcApp, 1219, 0},
      {"OSKindLegacy", CtxSetOSKindLegacy, 1220, 1},           {"OSKindWin2000", CtxSetOSKindWin2000, 1220, 2},
      {"BatchInstOn", CtxSetBatchInstOn, 1221, 1},             {"BatchInstOff", CtxSetBatchInstOff, 1221, 0},
      {"PrintLogOn", CtxSetPrintLogOn, 1222, 1},               {"PrintLogOff", CtxSetPrintLogOff, 1222, 0},
      {"BiDirectOn", CtxSetBiDirectOn, 1223, 1},               {"BiDirectOff", CtxSetBiDirectOff, 1223, 0},
      {"NoPermissionOn", CtxSetNoPermissionOn, 1224, 1},       {"NoPermissionOff", CtxSetNoPermissionOff, 1224, 0},
      {"PresentUIModeOn", CtxSetPresentUIModeOn, 1225, 1},     {"PresentUIModeOff", CtxSetPresentUIModeOff, 1225, 0},
      {"BidiSupportOn", CtxSetBidiSupportOn, 1226, 1},         {"BidiSupportOff", CtxSetBidiSupportOff, 1226, 0},
      {"ServerClientOn", CtxSetServerClientModeOn, 1227, 1},   {"ServerClientOff", CtxSetServerClientModeOff, 1227, 0},
      {"UserCodeFIXOn", CtxSetUserCodeFIXOn, 1228, 1},         {"UserCodeFIXOff", CtxSetUserCodeFIXOff, 1228, 0},
      {"UserCodeGetOn", [](DriverContext* c) { CtxSetUserCodeGetOn(nullptr, c); }, 1229, 1},
      {"UserCodeGetOff", CtxSetUserCodeGetOff, 1229, 0},
      {"TMInstalledOn", CtxSetTMInstalledOn, 1230, 1},         {"TMInstalledOff", CtxSetTMInstalledOff, 1230, 0},
      {"PropertyPrinter", CtxSetPropertyTypePrinter, 1231, 1}, {"PropertyDocument", CtxSetPropertyTypeDocument, 1231, 0},
      {"UserCodeDLLOn", CtxSetUserCodeDLLOn, 1232, 1},         {"UserCodeDLLOff", CtxSetUserCodeDLLOff, 1232, 0},
  };
  std::vector<BYTE> image(kSettingsImageSize, 0xEE);
  DriverContext ctx{};
  ctx.settingsImage = reinterpret_cast<SettingsImage*>(image.data());
  for (const Case& c : cases) {
    std::vector<BYTE> before = image;
    c.set(&ctx);
    EXPECT_EQ(image[c.offset], c.value) << c.name;
    before[c.offset] = c.value;
    EXPECT_EQ(image, before) << c.name << " wrote another byte";
  }
  // Without a settings image there is nothing to write.
  DriverContext bare{};
  for (const Case& c : cases) c.set(&bare);
  EXPECT_EQ(CtxSetNoPermissionOn(&bare), &bare);
}

}  // namespace
