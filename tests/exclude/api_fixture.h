// A machine with the driver and its printer, whose driver-defaults file gives the settings
// interface a version, and the interface opened on it as a caller opens it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api_devmode.h"
#include "api_frame.h"
#include "api_status.h"
#include "context_services.h"
#include "devmode_fields.h"
#include "win32/hostspooler.h"
#include "driver_context.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "win32/windows.h"

namespace zolt::test {

inline constexpr char kApiPrinter[] = "ZOLT Office 7000";
inline constexpr char16_t kDriverIni[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9D172.ini";

class ApiTest : public DriverMachineTest {
 protected:
  // The printer as its installation leaves it: prepared by the driver, with its settings folder.
  bool InitializesPrinter() const override { return true; }
  void TearDown() override {
    for (DriverContext* ctx : opened_) ZOLTDrvDisable(ctx);
    opened_.clear();
    CtxPurgeCache(1);
    DriverMachineTest::TearDown();
  }

  // Writes "ZOLTAPIVer" of the driver-defaults file (nullptr removes the section).
  void SetIniVersion(const char16_t* version) {
    std::u16string path = kDriverIni;
    ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLTAPI", version ? u"ZOLTAPIVer" : nullptr, version, path.c_str()));
  }

  // Enables the printer and agrees the version; the context is disabled at the end of the test.
  DriverContext* Open(const char* printer = kApiPrinter, int32_t version = 22) {
    DriverContext* ctx = ZOLTDrvEnable(printer);
    EXPECT_NE(ctx, nullptr);
    if (!ctx) return nullptr;
    opened_.push_back(ctx);
    ApiInitRecord init{0, version};
    ZOLTDrvInit(1, &init);
    return ctx;
  }

  void Close(DriverContext* ctx) {
    std::erase(opened_, ctx);
    ZOLTDrvDisable(ctx);
  }

  StatusRecord Get(DriverContext* ctx, uint32_t id) {
    StatusRecord r{};
    EXPECT_EQ(ZOLTDrvGetStatus(ctx, id, &r, 0), 32) << "status " << id << " error " << ZOLTDrvGetLastError(ctx);
    return r;
  }

  // The stored value of a model value named by its symbol ("IDS_MEDIATYPE_THICK").
  int32_t StoredValueOf(DriverContext* ctx, uint16_t option, const char* symbol) {
    const ValueNameEntry* entry = OptFindValueSymbolByName(symbol);
    EXPECT_NE(entry, nullptr) << symbol;
    if (!entry) return 0;
    return OptFromUiValue(ctx, OptFind(ctx, option), entry->value);
  }

  // The blocks a failed change must leave as they were: device mode, per-user block, chapters.
  std::string SettingsBytes(DriverContext* ctx) {
    const BYTE* image = reinterpret_cast<const BYTE*>(ctx->settingsImage);
    std::string bytes(reinterpret_cast<const char*>(image), 1236);
    bytes.append(reinterpret_cast<const char*>(image) + 6500, 4140);
    ContextWorkArea* wa = ctx->workArea;
    if (wa->chapterList)
      bytes.append(reinterpret_cast<const char*>(wa->chapterList), static_cast<size_t>(wa->chapterAllocCount) * 38);
    return bytes;
  }

  std::vector<DriverContext*> opened_;
};

// The test printer opened at interface version 22.
class OpenApiTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    SetIniVersion(u"22");
    ctx_ = Open();
    ASSERT_NE(ctx_, nullptr);
  }
  DriverContext* ctx_ = nullptr;
};

}  // namespace zolt::test
