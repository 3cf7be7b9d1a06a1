// The print-notification options read from the maker's module (our stand-in "QVPNInf.dll" in
// the system directory, answering from "QVPNInf.ini" beside it), for each answer it can give.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "../settings/option_store_fixture.h"
#include "print_notification.h"

namespace {

namespace fs = std::filesystem;
using zolt::test::WriteBytes;

class PrintNotification : public zolt::test::StoreContextTest {
 protected:
  void SetUp() override {
    StoreContextTest::SetUp();
    if (HasFatalFailure()) return;
    WCHAR dir[MAX_PATH] = {};
    GetSystemDirectoryW(dir, MAX_PATH);
    system_ = dir;
  }
  std::u16string InSystem(const std::u16string& name) const { return system_ + u"\\" + name; }
  void InstallModule(const char* built = "QVPNInf.dll") {
    std::error_code ec;
    fs::copy_file(fs::path(ZOLT_MODULE_DIR) / built, Real(InSystem(u"QVPNInf.dll")),
                  fs::copy_options::overwrite_existing, ec);
    ASSERT_FALSE(ec) << ec.message();
  }
  void Answers(const std::string& text) { WriteBytes(Real(InSystem(u"QVPNInf.ini")), text); }
  UINT Calls(const WCHAR* key) {
    return GetPrivateProfileIntW(u"Calls", key, 0, InSystem(u"QVPNInf.ini").c_str());
  }
  // The four options as {564, 565, 532, 533}.
  std::array<int32_t, 4> Options() { return {Get(564), Get(565), Get(532), Get(533)}; }
  // Known values in all four, so that what the read leaves alone shows.
  void Preset() {
    Set(564, 1);
    Set(565, 1);
    Set(532, 1);
    Set(533, 0);
  }

  std::u16string system_;
};

TEST_F(PrintNotification, EachAnswerOfTheModuleSetsTheOptions) {
  struct Case {
    const char* what;
    bool module;
    std::string answers;
    DWORD mode;
    std::array<int32_t, 4> want;  // 564, 565, 532, 533
  };
  const std::string section = "[ZOLT Office 7000]\r\n";
  const Case cases[] = {
      {"no module", false, section + "Capability=3\r\nValue=3\r\n", 0, {0, 0, 1, 0}},
      {"module without its file", true, "", 0, {0, 0, 1, 0}},
      {"another printer only", true, "[Other]\r\nCapability=3\r\nValue=3\r\n", 0, {0, 0, 1, 0}},
      {"capability, value call failing", true, section + "Capability=3\r\n", 0, {1, 1, 1, 0}},
      {"both answers", true, section + "Capability=1\r\nValue=2\r\n", 0, {1, 0, 0, 1}},
      {"higher bits mean nothing here", true, section + "Capability=6\r\nValue=4\r\n", 0, {0, 1, 0, 0}},
      {"capability only", true, section + "Capability=2\r\nValue=2\r\n", kNotifyReadCapabilityOnly, {0, 1, 1, 0}},
      {"capability only, failing", true, section, kNotifyReadCapabilityOnly, {0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    DeleteFileW(InSystem(u"QVPNInf.dll").c_str());
    DeleteFileW(InSystem(u"QVPNInf.ini").c_str());
    if (c.module) InstallModule();
    if (!c.answers.empty()) Answers(c.answers);
    Preset();
    BidiReadPrintNotification(ctx, c.mode);
    EXPECT_EQ(Options(), c.want) << c.what;
  }
}

TEST_F(PrintNotification, CapabilityOnlyNeverAsksForTheValue) {
  InstallModule();
  Answers("[ZOLT Office 7000]\r\nCapability=3\r\nValue=3\r\n");
  BidiReadPrintNotification(ctx, kNotifyReadCapabilityOnly);
  EXPECT_EQ(Calls(u"Capability"), 1u);
  EXPECT_EQ(Calls(u"Value"), 0u);
  BidiReadPrintNotification(ctx, kNotifyReadAll);
  EXPECT_EQ(Calls(u"Capability"), 2u);
  EXPECT_EQ(Calls(u"Value"), 1u);
  // The module is loaded for the call only.
  EXPECT_EQ(GetModuleHandleW(InSystem(u"QVPNInf.dll").c_str()), nullptr);
}

TEST_F(PrintNotification, AModuleWithoutTheExportsCountsAsMissing) {
  InstallModule("UserEnv.dll");
  Answers("[ZOLT Office 7000]\r\nCapability=3\r\nValue=3\r\n");
  Preset();
  BidiReadPrintNotification(ctx, kNotifyReadAll);
  EXPECT_EQ(Options(), (std::array<int32_t, 4>{0, 0, 1, 0}));
}

TEST_F(PrintNotification, TheOptionsLandInTheDeviceModeFunctionWords) {
  InstallModule();
  Answers("[ZOLT Office 7000]\r\nCapability=3\r\nValue=1\r\n");
  Preset();
  Set(532, 0);
  BidiReadPrintNotification(ctx, kNotifyReadAll);
  const BYTE* image = reinterpret_cast<const BYTE*>(ctx->settingsImage);
  EXPECT_EQ(image[1020] & 0x3, 0x3);  // zdmSupportFunc2 bits 0 and 1
  EXPECT_EQ(image[1016] & 0x3, 0x1);  // zdmFunc2 bits 0 and 1
}

}  // namespace
