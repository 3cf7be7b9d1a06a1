// A context over the test printer with bidirectional support switched on, a simulated device
// behind its port (the port library's stand-in reads <root>/devices/<printer>.ini) and the
// driver-defaults file naming the driver's model.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../settings/option_store_fixture.h"
#include "context_services.h"
#include "device_query.h"
#include "device_state.h"
#include "env_language.h"
#include "ini_file.h"

namespace zolt::test {

// The device the tests start from: five trays, one of them (200) unknown to the tables.
inline constexpr char kFullDevice[] =
    "model=ZOLT Office 7000\n"
    "trays=3,4,5,101,200\n"
    "papers=23,22,0,999,23\n"
    "media=1,6,0,4,1\n"
    "attributes=0x5,0x8,0x200,0,0x4\n"
    "options=1,2\n"
    "memory=268435456\n"
    "system=V1.02.03\n"
    "marking=1\n"
    "ramtype=2\n"
    "pdl=PCL6 2.0\n"
    "other=Other info\n";

inline constexpr char16_t kModelName[] = u"ZOLT Office 7000";

class DeviceTest : public StoreContextTest {
 protected:
  void SetUp() override {
    StoreContextTest::SetUp();
    if (HasFatalFailure()) return;
    SetAttributes(PRINTER_ATTRIBUTE_ENABLE_BIDI);
    WriteDriverDefaults("[Models]\r\nZOLT Office 7000 Series= ZOLT Office 7000\r\n");
    // Printer initialisation leaves the flags cleared in printer data.
    Put(u"BidiFlag", std::string(4, '\0'));
  }
  void TearDown() override {
    if (userCtx) Destroy(userCtx);
    if (userPrinter) ClosePrinter(userPrinter);
    StoreContextTest::TearDown();
  }

  void SetAttributes(DWORD attributes) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* pi2 = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    ASSERT_TRUE(GetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(buffer.data()), needed, &needed));
    pi2->Attributes |= attributes;
    ASSERT_TRUE(SetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(pi2), 0));
    ctx->workArea->printerAttributesKnown = 0;
  }

  void WriteDriverDefaults(const std::string& text) { WriteBytes(Real(PathGetDriverIni(ctx)), text); }
  void Device(const std::string& text) { WriteBytes(Root() / "devices" / "ZOLT Office 7000.ini", text); }
  // A switch of the settings INI's language section ("bIsBIDISupportForZOLT", ...).
  void Switch(const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(IniWriteString(CfgCopyLanguageCode(ctx), key, value, PathGetSettingsIni(ctx)));
  }

  // A second context over the printer opened by a user who may not change its data.
  DriverContext* UserContext() {
    if (userCtx) return userCtx;
    userPrinter = OpenTestPrinter(PRINTER_ACCESS_USE);
    if (!userPrinter) return nullptr;
    std::swap(printer, userPrinter);
    userCtx = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
    std::swap(printer, userPrinter);
    return userCtx;
  }

  std::u16string Blob(DriverContext* c, uint16_t id) {
    WCHAR out[80] = {};
    OptGetStringValue(c, OptFind(c, id), out, 80);
    return out;
  }

  std::u16string StateFile() {
    WCHAR path[MAX_PATH];
    return BidiStateFilePath(ctx, path) ? std::u16string(path) : std::u16string();
  }
  std::string StateText() { return ReadBytes(Real(StateFile())); }

  HANDLE userPrinter = nullptr;
  DriverContext* userCtx = nullptr;
};

}  // namespace zolt::test
