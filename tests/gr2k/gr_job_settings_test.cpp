// The job's settings at the start of a document and the job information read from the
// job-control module, on a context of the test printer.
#include <gtest/gtest.h>

#include <string>

#include "context_services.h"
#include "devmode_fields.h"
#include "driver_context.h"
#include "gr_job_services.h"
#include "gr_job_settings.h"
#include "machine_fixture.h"
#include "option_access.h"

namespace zolt::test {
namespace {

class JobSettings : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx_ = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeGraphics);
    ASSERT_NE(ctx_, nullptr);
  }
  void TearDown() override {
    if (ctx_) CtxReleaseAs(ctx_, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  // The job-control module's items of the test printer and its behaviour.
  void Items(const std::string& lines) { WriteBytes(Root() / "jobcontrol" / "ZOLT Office 7000.ini", lines); }
  void Module(const std::string& lines) { WriteBytes(Root() / "jobcontrol" / "module.ini", lines); }
  std::string Text(uint16_t option) {
    const BYTE* p = OptGetValuePointer(ctx_, option, nullptr);
    return p ? std::string(reinterpret_cast<const char*>(p)) : std::string("<none>");
  }
  void SetText(uint16_t option, const std::string& text) {
    char field[300] = {};
    std::memcpy(field, text.data(), text.size());
    ASSERT_EQ(OptSetValueBytes(ctx_, option, field), 1);
  }

  HANDLE printer_ = nullptr;
  DriverContext* ctx_ = nullptr;
};

TEST_F(JobSettings, JobInformationComesFromTheJobControlModule) {
  std::u16string wide(64, u'\0');
  DWORD chars = 64;
  ASSERT_TRUE(GetUserNameW(wide.data(), &chars));
  wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
  const std::string me(wide.begin(), wide.end());
  Items("1=text:UC0001\r\n2=text:Owner\r\n4=text:ID42\r\n16=text:BILL-7\r\n"
        "9=text:plain-user\r\n9@" + me + "=text:alice\r\n10=text:pw\r\n11=text:key\r\n");
  // Versions 259 and above: the items as the job's user sees them; the password through the
  // encryption interface (mode 4: each byte XOR 0x5A, then hexadecimal text).
  ASSERT_EQ(GrQueryJobControl(printer_, ctx_, 0, 0x789F), 1);
  EXPECT_EQ(Text(203), "UC0001");
  EXPECT_EQ(Text(204), "Owner");
  EXPECT_EQ(Text(202), "ID42");
  EXPECT_EQ(Text(1251), "BILL-7");
  EXPECT_EQ(Text(1144), "alice");
  EXPECT_EQ(Text(1146), "key");
  EXPECT_EQ(Text(1145), "2A2D");  // 'p' ^ 0x5A = 0x2A, 'w' ^ 0x5A = 0x2D

  // A module that answers only version 257 is used without a user name; without its
  // encryption interface the password is not taken.
  Module("versions=0x101\r\n");
  SetText(1145, "");
  ASSERT_EQ(GrQueryJobControl(printer_, ctx_, 0, 0x789F), 1);
  EXPECT_EQ(Text(1144), "plain-user");
  EXPECT_EQ(Text(1145), "");

  // Sessions refused or no encryption interface: nothing is read, nothing changes.
  SetText(203, "KEEP");
  Module("open=0\r\n");
  EXPECT_EQ(GrQueryJobControl(printer_, ctx_, 0, 0x789F), 0);
  Module("crypt=0\r\n");
  EXPECT_EQ(GrQueryJobControl(printer_, ctx_, 0, 0x789F), 0);
  EXPECT_EQ(Text(203), "KEEP");
}

TEST_F(JobSettings, TypedJobStringsSurviveTheReload) {
  SetText(203, "TYPED");
  SetText(206, "");
  ASSERT_EQ(OptSetValue(ctx_, 234, 7), 1);
  ASSERT_EQ(GrPrepareJobSettings(ctx_, nullptr, 0x20008, printer_, 0), 1);
  EXPECT_EQ(Text(203), "TYPED");
  EXPECT_EQ(OptGetValue(ctx_, 234, nullptr), 7);
  EXPECT_EQ(OptGetValue(ctx_, 563, nullptr), 1);
  EXPECT_EQ(ctx_->workArea->creationMode, 0x20000u);
}

TEST_F(JobSettings, CollateFollowsTheDeviceMode) {
  auto* dm = reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx_));
  ASSERT_NE(dm, nullptr);
  dm->dmFields &= ~0x8000u;
  OptSetValue(ctx_, 61, 1);
  GrApplyJobOptions(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 61, nullptr), 0);
  dm->dmFields |= 0x8000u;
  dm->dmCollate = 1;
  GrApplyJobOptions(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 61, nullptr), 1);
  dm->dmCollate = 0;
  GrApplyJobOptions(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 61, nullptr), 1) << "another value leaves it";
}

TEST_F(JobSettings, FitSaveAndRestore) {
  ASSERT_EQ(OptSetValue(ctx_, 46, 1024), 1);
  ASSERT_EQ(OptSetValue(ctx_, 55, 0), 1);
  ASSERT_EQ(OptSetValue(ctx_, 87, 0), 1);
  GrSaveFit2(ctx_, 1);
  EXPECT_EQ(GrFit2Saved(ctx_), 1);
  OptSetValue(ctx_, 46, 9);
  OptSetValue(ctx_, 55, 1);
  OptSetValue(ctx_, 87, 1);
  GrRestoreFit2(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 46, nullptr), 1024);
  EXPECT_EQ(OptGetValue(ctx_, 55, nullptr), 0);
  EXPECT_EQ(GrFitA4Saved(ctx_), 0);
  GrSetFit2Saved(ctx_, 0);
  OptSetValue(ctx_, 46, 9);
  GrRestoreFit2(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 46, nullptr), 9) << "nothing held, nothing restored";
  // Not a derived output size: neither fit does anything.
  GrApplyFitA4(ctx_);
  GrApplyFit2(ctx_);
  EXPECT_EQ(GrFitA4Saved(ctx_) + GrFit2Saved(ctx_), 0);
}

}  // namespace
}  // namespace zolt::test
