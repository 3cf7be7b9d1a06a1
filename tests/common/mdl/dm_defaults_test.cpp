// The default settings image built from the sample model and the profile, and the merge of a
// caller's device mode into it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core_memory.h"
#include "devmode_defaults.h"
#include "devmode_merge.h"
#include "devmode_record.h"
#include "mdl_eval_fixture.h"

namespace {

using zolt::test::SampleModelTest;

class DmDefaults : public SampleModelTest {
 protected:
  void SetUp() override {
    SampleModelTest::SetUp();
    if (HasFatalFailure()) return;
    built_ = DmBuildDefaults(ctx, 0);
    ASSERT_NE(built_, nullptr);
  }
  void TearDown() override {
    MdlFreeMem(built_);
    SampleModelTest::TearDown();
  }
  // Makes the built image the context's working image (the fixture's own one is kept aside).
  DEVMODEW* UseBuilt() {
    std::memcpy(ctx->settingsImage, built_, kSettingsImageSize);
    return DmWorking(ctx);
  }
  SettingsImage* built_ = nullptr;
};

TEST_F(DmDefaults, BuiltImageHasTheHeaderThePublicDefaultsAndTheResetDefaults) {
  const auto* bytes = reinterpret_cast<const BYTE*>(built_);
  EXPECT_EQ(std::memcmp(bytes + 220, "ZOLT", 4), 0);
  EXPECT_EQ(std::memcmp(bytes + 349, "priv", 4), 0);
  EXPECT_EQ(bytes[363] | bytes[364] << 8, 1236);
  EXPECT_EQ(bytes[365] | bytes[366] << 8, 6500);
  EXPECT_EQ(std::memcmp(bytes + 276, "ZCOMMON", 8), 0);

  DEVMODEW* dm = UseBuilt();
  EXPECT_EQ(dm->dmSpecVersion, 0x401);
  EXPECT_EQ(dm->dmSize, 220);
  EXPECT_EQ(dm->dmDriverExtra, 1016);
  EXPECT_EQ(dm->dmOrientation, 1);
  EXPECT_EQ(dm->dmPaperSize, 9);  // the model's A4
  EXPECT_EQ(dm->dmCopies, 1);
  EXPECT_EQ(dm->dmPrintQuality, 600);
  EXPECT_EQ(dm->dmYResolution, 600);
  EXPECT_EQ(dm->dmTTOption, 3);
  EXPECT_EQ(std::u16string(dm->dmFormName), u"A4");
  const DWORD mustBeSet = kDmFieldOrientation | kDmFieldPaperSize | kDmFieldCopies | kDmFieldDefaultSource |
                          kDmFieldPrintQuality | kDmFieldDuplex | kDmFieldYResolution | kDmFieldTTOption;
  EXPECT_EQ(dm->dmFields & mustBeSet, mustBeSet);
  EXPECT_EQ(dm->dmFields & (kDmFieldPaperLength | kDmFieldPaperWidth | kDmFieldFormName), 0u);

  EXPECT_EQ(OptGetValue(ctx, 35, nullptr), 23);   // the model code
  EXPECT_EQ(OptGetValue(ctx, 401, nullptr), 5);   // a reset default
  EXPECT_EQ(OptGetValue(ctx, 729, nullptr), 1);   // called for the default settings
  EXPECT_EQ(OptGetValue(ctx, 731, nullptr), 1);   // batch install
  const char* version = reinterpret_cast<const char*>(OptGetValuePointer(ctx, 1337, nullptr));
  ASSERT_NE(version, nullptr);
  EXPECT_STREQ(version, "7.70");
  // The context's own image was left as it was while the defaults were built.
  EXPECT_NE(built_, ctx->settingsImage);
}

TEST_F(DmDefaults, MergeNeedsADocumentOrQualityFlag) {
  DEVMODEW* dm = UseBuilt();
  std::vector<BYTE> before(reinterpret_cast<BYTE*>(dm), reinterpret_cast<BYTE*>(dm) + kFullDevModeSize);
  DEVMODEW incoming = *dm;
  incoming.dmCopies = 7;
  EXPECT_EQ(DmMergeIncoming(ctx, &incoming, 0x10000), 1);
  EXPECT_EQ(std::memcmp(before.data(), dm, kFullDevModeSize), 0);
}

TEST_F(DmDefaults, MergeTakesCheckedPublicFieldsAndKeepsTheEnvironment) {
  DEVMODEW* dm = UseBuilt();
  // A caller's full device mode of another model: its private part is not used.
  std::vector<BYTE> caller(reinterpret_cast<BYTE*>(dm), reinterpret_cast<BYTE*>(dm) + kFullDevModeSize);
  auto* in = reinterpret_cast<DEVMODEW*>(caller.data());
  in->dmFields = kDmFieldCopies | kDmFieldScale | kDmFieldPrintQuality | kDmFieldYResolution | kDmFieldFormName;
  in->dmCopies = 5;
  in->dmScale = 0;
  in->dmPrintQuality = -3;
  in->dmYResolution = 1200;
  caller[368] = 99;            // zdmMachineID of another model
  caller[1219] = 0;            // zdmCallSrc of the caller
  dm->dmFormName[0] = 0;       // the working form name is empty
  ASSERT_EQ(DmMergeIncoming(ctx, in, 0x8), 1);

  EXPECT_EQ(dm->dmCopies, 5);
  EXPECT_EQ(dm->dmScale, 100);                      // 0 is outside the range
  EXPECT_EQ(dm->dmFields & kDmFieldScale, 0u);      // and the scale bit is cleared
  EXPECT_EQ(dm->dmPrintQuality, 600);               // -3 takes the model default
  EXPECT_EQ(dm->dmYResolution, dm->dmPrintQuality); // always
  EXPECT_EQ(dm->dmFormName[0], 0);
  EXPECT_EQ(dm->dmFields & kDmFieldFormName, 0u);
  EXPECT_EQ(reinterpret_cast<BYTE*>(dm)[368], 23);  // our own private part stayed
  EXPECT_EQ(OptGetValue(ctx, 729, nullptr), 1);     // the environment survives
  EXPECT_EQ(ctx->workArea->mergeFlags, 0x8u);
}

}  // namespace

namespace {

// The printer's default device mode is judged by the layout its size gives, whatever its own
// version field says.
TEST_F(DmDefaults, PrinterDefaultIsJudgedByItsSize) {
  std::vector<BYTE> stored(kFullDevModeSize);
  std::memcpy(stored.data(), built_, kFullDevModeSize);
  auto* dm = reinterpret_cast<DEVMODEW*>(stored.data());
  dm->dmOrientation = 2;
  PRINTER_INFO_2W info{};
  info.pDevMode = dm;
  ctx->workArea->printerInfo2 = &info;
  struct Case {
    WORD specVersion, size, extra;
    int copied;
  };
  for (const Case& c : {Case{0x401, 220, 1016, 1}, Case{0x0500, 220, 1016, 1}, Case{0, 220, 1016, 1},
                        Case{0x401, 156, 1016, 0}, Case{0x401, 220, 1000, 0}}) {
    UseBuilt()->dmOrientation = 1;
    dm->dmSpecVersion = c.specVersion;
    dm->dmSize = c.size;
    dm->dmDriverExtra = c.extra;
    EXPECT_EQ(DmCopyPrinterDefault(ctx), c.copied) << std::hex << c.specVersion << " " << std::dec << c.size;
    EXPECT_EQ(DmWorking(ctx)->dmOrientation, c.copied ? 2 : 1);
  }
  ctx->workArea->printerInfo2 = nullptr;
}

}  // namespace

namespace {

// A caller's record shorter than the current public part: the fields it does not reach are not
// taken (and never read), those it holds are.
TEST_F(DmDefaults, AShortRecordGivesOnlyTheFieldsItHolds) {
  DEVMODEW* dm = UseBuilt();
  const DWORD mediaBefore = dm->dmMediaType;
  std::vector<BYTE> caller(188, 0);  // in a buffer of exactly its size
  std::memcpy(caller.data(), dm, 188);
  auto* in = reinterpret_cast<DEVMODEW*>(caller.data());
  in->dmSize = 188;
  in->dmDriverExtra = 0;
  in->dmFields = kDmFieldCopies | kDmFieldMediaType | kDmFieldICMMethod;
  in->dmCopies = 4;
  ASSERT_EQ(DmMergeIncoming(ctx, in, 0x8), 1);
  EXPECT_EQ(dm->dmCopies, 4);
  EXPECT_EQ(dm->dmMediaType, mediaBefore);
}

}  // namespace
