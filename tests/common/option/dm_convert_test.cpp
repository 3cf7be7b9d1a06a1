// Device modes copied between buffers of different sizes, the spooler's conversion request,
// and the conversion of an older private part by the model's rule.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "context_services.h"
#include "core_memory.h"
#include "devmode_record.h"
#include "dm_record_fixture.h"
#include "mdl_compile.h"
#include "model_image.h"
#include "option_access.h"
#include "option_image_context.h"
#include "../mdl/mdl_eval_fixture.h"

namespace {

using zolt::test::DevModeBuffer;
using zolt::test::ImageContextTest;
using zolt::test::ModelContextTest;
using zolt::test::OwnDevMode;

constexpr size_t kSlack = 64;

// The guard bytes after a buffer's record are untouched.
void ExpectGuardKept(const DevModeBuffer& b) {
  const size_t end = b.bytes.size() - kSlack;
  for (size_t i = end; i < b.bytes.size(); ++i) ASSERT_EQ(b.bytes[i], 0xEE) << "byte " << i << " past the record";
}

TEST(DmSpecVersion, ByPublicSize) {
  struct Case {
    WORD size, ownVersion, expected;
  } cases[] = {{188, 0x111, 0x320}, {212, 0x111, 0x400}, {220, 0x111, 0x401}, {300, 0x123, 0x123}, {156, 0, 0}};
  for (const Case& c : cases) {
    DevModeBuffer b(c.size, 0);
    b.SetHeader(c.ownVersion, 0, c.size, 0);
    EXPECT_EQ(DmGetSpecVersion(b.dm()), c.expected) << c.size;
  }
  EXPECT_EQ(DmGetSpecVersion(nullptr), 0);
}

TEST(DmConvertVersion, CurrentRecordIntoTheOldestLayout) {
  DevModeBuffer source = OwnDevMode();
  DevModeBuffer dest(188, 1016, 0, kSlack);
  dest.SetHeader(0x555, 0x350, 188, 1016);
  EXPECT_EQ(DmConvertVersion(source.dm(), dest.dm()), 188 + 1016);
  EXPECT_EQ(dest.SpecVersion(), 0x320);
  EXPECT_EQ(dest.DriverVersion(), 0x350);
  EXPECT_EQ(dest.PublicSize(), 188);
  EXPECT_EQ(dest.PrivateSize(), 1016);
  EXPECT_EQ(std::memcmp(dest.at(72), source.at(72), 188 - 72), 0);
  EXPECT_EQ(std::memcmp(dest.at(0), source.at(0), 64), 0);
  // The private part at 188, with its block offsets at 188 + 141 (the source's are the same
  // values): byte for byte the source's private part.
  EXPECT_EQ(std::memcmp(dest.at(188), source.at(220), 1016), 0);
  ExpectGuardKept(dest);
}

TEST(DmConvertVersion, PrivatePartClippedAndBlockOffsetsOnlyForAWholeOne) {
  DevModeBuffer source = OwnDevMode();
  WriteLe16(source.at(363), 0x7777);  // a private part whose block offsets are not ours
  DevModeBuffer dest(220, 500, 0, kSlack);
  EXPECT_EQ(DmConvertVersion(source.dm(), dest.dm()), 220 + 500);
  EXPECT_EQ(dest.PrivateSize(), 500);
  EXPECT_EQ(ReadLe16(dest.at(363)), 0x7777);  // copied, not rewritten
  EXPECT_EQ(std::memcmp(dest.at(220), source.at(220), 500), 0);
  ExpectGuardKept(dest);

  DevModeBuffer whole(220, 1016, 0, kSlack);
  EXPECT_EQ(DmConvertVersion(source.dm(), whole.dm()), 1236);
  EXPECT_EQ(ReadLe16(whole.at(363)), 1236);
  ExpectGuardKept(whole);

  // A larger destination private part takes only what the source has.
  DevModeBuffer larger(220, 2000, 0, kSlack);
  EXPECT_EQ(DmConvertVersion(source.dm(), larger.dm()), 1236);
  EXPECT_EQ(larger.PrivateSize(), 2000);
  ExpectGuardKept(larger);
}

TEST(DmConvertVersion, RefusedSources) {
  DevModeBuffer dest(220, 1016, 0x5A);
  const std::vector<BYTE> before = dest.bytes;
  DevModeBuffer v400(212, 1016, 1);  // known, but not taken
  EXPECT_EQ(DmConvertVersion(v400.dm(), dest.dm()), -1);
  DevModeBuffer odd(300, 0, 1);
  odd.SetHeader(0x401, 0, 300, 0);
  EXPECT_EQ(DmConvertVersion(odd.dm(), dest.dm()), -1);
  DevModeBuffer noVersion(300, 0, 1);
  noVersion.SetHeader(0, 0, 300, 0);
  EXPECT_EQ(DmConvertVersion(noVersion.dm(), dest.dm()), -1);
  EXPECT_EQ(DmConvertVersion(dest.dm(), noVersion.dm()), -1);
  // A public part shorter than the header: its private part would lie over its size fields.
  DevModeBuffer stub(40, 1016, 1);
  stub.SetHeader(0x320, 0, 40, 1016);
  EXPECT_EQ(DmConvertVersion(stub.dm(), dest.dm()), -1);
  EXPECT_EQ(DmCopySameDriver(stub.dm(), dest.dm()), -1);
  EXPECT_EQ(DmConvertVersion(dest.dm(), stub.dm()), -1);
  EXPECT_EQ(DmCopySameDriver(dest.dm(), stub.dm()), -1);
  EXPECT_EQ(DmConvertVersion(nullptr, dest.dm()), -1);
  EXPECT_EQ(DmConvertVersion(dest.dm(), nullptr), -1);
  EXPECT_EQ(dest.bytes, before);
  // A record of another size that says it is of the oldest version is taken.
  DevModeBuffer odd320(200, 0, 3);
  odd320.SetHeader(0x320, 0, 200, 0);
  EXPECT_EQ(DmConvertVersion(odd320.dm(), dest.dm()), 200);
  EXPECT_EQ(dest.SpecVersion(), 0x401);
}

TEST(DmCopySameDriver, AnyPublicSizeButOnlyAWholePrivatePartOfTheSameDriverVersion) {
  DevModeBuffer source = OwnDevMode();
  source.SetHeader(0x400, kDmDriverVersion, 212, 1016);
  DevModeBuffer dest(220, 1016, 0, kSlack);
  EXPECT_EQ(DmCopySameDriver(source.dm(), dest.dm()), 212 + 1016);
  EXPECT_EQ(dest.PublicSize(), 220);
  EXPECT_EQ(std::memcmp(dest.at(220), source.at(212), 141), 0);
  EXPECT_EQ(ReadLe16(dest.at(220 + 143)), 1236);
  ExpectGuardKept(dest);

  // Another driver version: the public part is copied, the private part refused.
  DevModeBuffer other = OwnDevMode();
  other.SetHeader(kDmSpecVersion, 0x300, 220, 1016);
  WriteLe16(other.at(92), 2);  // dmColor
  DevModeBuffer dest2(220, 1016, 0);
  EXPECT_EQ(DmCopySameDriver(other.dm(), dest2.dm()), -1);
  EXPECT_EQ(ReadLe16(dest2.at(92)), 2);
  EXPECT_EQ(dest2.bytes[220], 0);
  // A shorter private part is refused too.
  DevModeBuffer shortPrivate(220, 600, 1);
  EXPECT_EQ(DmCopySameDriver(shortPrivate.dm(), dest2.dm()), -1);

  // The oldest layout goes through the version conversion, which takes any private size.
  DevModeBuffer old(188, 600, 4);
  old.SetHeader(0x320, 0x300, 188, 600);
  EXPECT_EQ(DmCopySameDriver(old.dm(), dest2.dm()), 188 + 600);
  EXPECT_EQ(DmCopySameDriver(nullptr, dest2.dm()), -1);
  EXPECT_EQ(DmCopySameDriver(old.dm(), nullptr), -1);
}

// ---- output for a caller

class DmMergeOutput : public ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    DevModeBuffer own = OwnDevMode();
    std::memcpy(Working(), own.bytes.data(), kFullDevModeSize);
    ASSERT_EQ(OptSetValue(ctx, 617, 0), 1);  // zdmHidden3Func0
  }
  DEVMODEW* WorkingDm() { return &ctx->settingsImage->devMode.dm; }
};

TEST_F(DmMergeOutput, SizedLikeTheCallersRecord) {
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), nullptr, nullptr, ctx), -1);

  // No input record: the whole working device mode.
  DevModeBuffer out(0, 0, 0, kFullDevModeSize + kSlack);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), nullptr, out.dm(), ctx), 1);
  EXPECT_EQ(std::memcmp(out.at(0), Working(), kFullDevModeSize), 0);

  // A caller's record of the oldest layout without private part.
  DevModeBuffer in(188, 0, 0);
  in.SetHeader(0x320, 0x123, 188, 0);
  DevModeBuffer small(0, 0, 0, 188 + 1016 + kSlack);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), in.dm(), small.dm(), ctx), 1);
  EXPECT_EQ(small.PublicSize(), 188);
  EXPECT_EQ(small.SpecVersion(), 0x320);
  EXPECT_EQ(small.PrivateSize(), 0);
  EXPECT_EQ(small.DriverVersion(), 0x123);
  EXPECT_EQ(std::memcmp(small.at(72), Working() + 72, 188 - 72), 0);
  EXPECT_EQ(small.bytes[188], 0xEE);

  // The same with zdmHidden3Func0 set: the whole private part follows, with its block offsets
  // in its own header.
  ASSERT_EQ(OptSetValue(ctx, 617, 1), 1);
  DevModeBuffer withPrivate(0, 0, 0, 188 + 1016 + kSlack);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), in.dm(), withPrivate.dm(), ctx), 1);
  EXPECT_EQ(withPrivate.PublicSize(), 188);
  EXPECT_EQ(withPrivate.PrivateSize(), 1016);
  EXPECT_EQ(withPrivate.DriverVersion(), kDmDriverVersion);
  EXPECT_EQ(std::memcmp(withPrivate.at(188), Working() + 220, 1016), 0);
  for (size_t i = 188 + 1016; i < withPrivate.bytes.size(); ++i) ASSERT_EQ(withPrivate.bytes[i], 0xEE) << i;

  // A caller's record larger than ours: ours decides.
  DevModeBuffer big(220, 3000, 0);
  big.SetHeader(kDmSpecVersion, 0x999, 220, 3000);
  DevModeBuffer full(0, 0, 0, kFullDevModeSize + kSlack);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), big.dm(), full.dm(), ctx), 1);
  EXPECT_EQ(full.PrivateSize(), 1016);
  EXPECT_EQ(full.DriverVersion(), kDmDriverVersion);
  EXPECT_EQ(std::memcmp(full.at(0), Working(), kFullDevModeSize), 0);
  EXPECT_EQ(full.bytes[kFullDevModeSize], 0xEE);

  // A caller's record whose public part is shorter than its header: nothing is copied.
  DevModeBuffer stub(9, 0, 0, 64);
  stub.SetHeader(0x320, 0, 9, 0);
  DevModeBuffer out3(0, 0, 0, kFullDevModeSize);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), stub.dm(), out3.dm(), ctx), 0);
  EXPECT_EQ(out3.bytes[9 + 141], 0xEE);

  // An input record of a size whose version is unknown and says none: nothing can be copied.
  DevModeBuffer unknown(100, 0, 0);
  unknown.SetHeader(0, 0, 100, 0);
  DevModeBuffer out2(0, 0, 0, 300);
  EXPECT_EQ(DmMergeForOutput(WorkingDm(), unknown.dm(), out2.dm(), ctx), 0);
}

// ---- the spooler's request

TEST(DmConvertForSpooler, ModesSizesAndErrors) {
  DevModeBuffer source = OwnDevMode();
  struct Case {
    const char* what;
    DWORD mode;
    DWORD sizeIn;
    bool destination;
    int result;
    DWORD sizeOut;
    DWORD error;  // 0: not checked
  } cases[] = {
      {"convert", CDM_CONVERT, 1236, true, 1, 1236, 0},
      {"convert into a short buffer", CDM_CONVERT, 1235, true, 0, 1235, ERROR_INVALID_PARAMETER},
      {"convert without destination", CDM_CONVERT, 5000, false, 0, 5000, ERROR_INVALID_PARAMETER},
      {"convert351 short by one", CDM_CONVERT351, 1203, true, 0, 1204, ERROR_INSUFFICIENT_BUFFER},
      {"convert351 without destination", CDM_CONVERT351, 5000, false, 0, 1204, ERROR_INSUFFICIENT_BUFFER},
      {"convert351", CDM_CONVERT351, 1204, true, 1, 1204, 0},
      {"default short", CDM_DRIVER_DEFAULT, 1235, true, 0, 1236, ERROR_INSUFFICIENT_BUFFER},
      {"default", CDM_DRIVER_DEFAULT, 1236, true, 2, 1236, 0},
      {"other mode", 8, 7, true, 2, 7, 0},
  };
  for (const Case& c : cases) {
    DevModeBuffer dest(220, 1016, 0);
    const std::vector<BYTE> before = dest.bytes;
    DWORD size = c.sizeIn;
    SetLastError(0);
    EXPECT_EQ(DmConvertForSpooler(u"printer", source.dm(), c.destination ? dest.dm() : nullptr, &size, c.mode),
              c.result)
        << c.what;
    EXPECT_EQ(size, c.sizeOut) << c.what;
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    if (c.result == 2 || c.error == ERROR_INSUFFICIENT_BUFFER) {
      EXPECT_EQ(dest.bytes, before) << c.what;
    }
    if (c.mode == CDM_CONVERT351 && c.result == 1) {
      EXPECT_EQ(dest.SpecVersion(), 0x320);
      EXPECT_EQ(dest.PublicSize(), 188);
      EXPECT_EQ(dest.DriverVersion(), 0x350);
      EXPECT_EQ(dest.PrivateSize(), 1016);
      EXPECT_EQ(std::memcmp(dest.at(188), source.at(220), 1016), 0);
    }
  }
  SetLastError(0);
  EXPECT_EQ(DmConvertForSpooler(nullptr, source.dm(), nullptr, nullptr, CDM_CONVERT), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // A source that cannot be converted.
  DevModeBuffer v400(212, 0, 0);
  DevModeBuffer dest(220, 1016, 0);
  DWORD size = 1236;
  EXPECT_EQ(DmConvertForSpooler(nullptr, v400.dm(), dest.dm(), &size, CDM_CONVERT), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---- conversion steps run by the model

// Symbols of the conversion model: the version the step runs, and five marks that show which
// steps ran (the bits zdmHidden2Func0-4).
const NameEntry* ConversionSymbol(const char* name) {
  static const std::map<std::string, NameEntry> kOwn = {
      {"TEST_ConvertVersion", {1052, 0, "TEST_ConvertVersion"}}, {"TEST_Ran331", {449, 0, "TEST_Ran331"}},
      {"TEST_Ran332", {450, 0, "TEST_Ran332"}},                  {"TEST_Ran333", {451, 0, "TEST_Ran333"}},
      {"TEST_Ran334", {452, 0, "TEST_Ran334"}},                  {"TEST_Ran335", {453, 0, "TEST_Ran335"}},
  };
  auto it = kOwn.find(name);
  return it != kOwn.end() ? &it->second : OptFindSymbolByName(name);
}

// Each step marks itself; the step for `jumpAt` sets the version to `jumpTo`.
std::string ConversionModel(int jumpAt, int jumpTo) {
  std::string s = "*FileVersion: 7.70\n";
  std::string rows;
  for (int v = 331; v <= 335; ++v) {
    const std::string n = std::to_string(v);
    s += "*Judge " + std::to_string(v - 330) + "=At" + n + ": TEST_ConvertVersion == " + n + "\n";
    s += "*Action " + std::to_string(v - 330) + "=Mark" + n + ": { {TEST_Ran" + n + " 1} }\n";
    rows += " {At" + n + " Mark" + n + "}";
  }
  s += "*Judge 9=AtJump: TEST_ConvertVersion == " + std::to_string(jumpAt) + "\n";
  s += "*Action 9=Jump: { {TEST_ConvertVersion " + std::to_string(jumpTo) + "} }\n";
  s += "*Transact 1=Steps: {" + rows + " {AtJump Jump} }\n";
  s += "*Exclusive: { {ZPD_ConvertDevmode NULL NULL NULL NULL Steps NULL NULL} }\n";
  return s;
}

class DmConversionSteps : public ModelContextTest {
 protected:
  void Attach(int jumpAt, int jumpTo) {
    static const MdlSymbolLookups lookups = {&ConversionSymbol, nullptr, nullptr, nullptr, nullptr};
    const std::string source = ConversionModel(jumpAt, jumpTo);
    MdlSetSymbolLookups(&lookups);
    CompileContext* cc = MdlCompileBytes(source.data(), source.size());
    MdlSetSymbolLookups(nullptr);
    ASSERT_NE(cc, nullptr);
    ModelContextTest::Attach(MdlPackImage(cc));
  }
  // The steps that ran, as "331 332 ...".
  std::string Ran() {
    std::string ran;
    for (uint16_t id = 449; id <= 453; ++id)
      if (OptGetValue(ctx, id, nullptr)) ran += (ran.empty() ? "" : " ") + std::to_string(331 + id - 449);
    return ran;
  }
  void ClearMarks() {
    for (uint16_t id = 449; id <= 453; ++id) ASSERT_EQ(OptSetValue(ctx, id, 0), 1);
  }
};

TEST_F(DmConversionSteps, OneStepPerVersionUntilTheRuleReachesTheTarget) {
  Attach(0, 0);
  EXPECT_EQ(DmRunConversionSteps(330, 335, ctx), 1);
  EXPECT_EQ(Ran(), "331 332 333 334 335");
  EXPECT_EQ(OptGetValue(ctx, 1052, nullptr), 335);

  ClearMarks();
  EXPECT_EQ(DmRunConversionSteps(333, 335, ctx), 1);
  EXPECT_EQ(Ran(), "334 335");
  ClearMarks();
  EXPECT_EQ(DmRunConversionSteps(335, 335, ctx), 1);
  EXPECT_EQ(Ran(), "");
  EXPECT_EQ(DmRunConversionSteps(0xFFFFFFFFu, 335, ctx), 1);
  EXPECT_EQ(Ran(), "");

  // The step for 332 jumps to the target: the loop ends there.
  Attach(332, 335);
  ClearMarks();
  EXPECT_EQ(DmRunConversionSteps(330, 335, ctx), 1);
  EXPECT_EQ(Ran(), "331 332");
  // A jump that stays below the target does not end it.
  Attach(332, 334);
  ClearMarks();
  EXPECT_EQ(DmRunConversionSteps(330, 335, ctx), 1);
  EXPECT_EQ(Ran(), "331 332 333 334 335");
}

TEST_F(DmConversionSteps, WithoutRuleOrKey) {
  // No model: every step is a no-op, the version still walks to the target.
  EXPECT_EQ(DmRunConversionSteps(330, 335, ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, 1052, nullptr), 335);
  // A name table without the rule's name, and one that gives it key 0.
  const NameEntry rows[] = {{0, 5, "ZPD_Other"}, {0, 0, "ZPD_ConvertDevmode"}};
  const NameTable without = {1, rows}, keyZero = {2, rows};
  for (const NameTable* table : {&without, &keyZero}) {
    ctx->nameTable = table;
    ASSERT_EQ(OptSetValue(ctx, 1052, 0), 1);
    EXPECT_EQ(DmRunConversionSteps(330, 335, ctx), 0);
    EXPECT_EQ(OptGetValue(ctx, 1052, nullptr), 0);
  }
  ctx->nameTable = CtxGetTemplate()->nameTable;
  EXPECT_EQ(DmRunConversionSteps(330, 335, nullptr), 0);
}

TEST_F(DmConversionSteps, ConvertToCurrentStampsTheVersion) {
  Attach(0, 0);
  DevModeBuffer incoming = OwnDevMode();
  struct Case {
    DWORD stored;
    int result;
    const char* ran;
    DWORD versionAfter;
  } cases[] = {
      {332, 1, "333 334 335", 335},  // converted
      {335, 0, "", 335},             // current: nothing to do
      {340, 0, "", 340},             // newer minor: used as it is
      {250, 0, "", 250},             // not usable
  };
  for (const Case& c : cases) {
    WriteLe32(incoming.at(357), c.stored);
    std::memcpy(Working(), incoming.bytes.data(), kFullDevModeSize);
    ClearMarks();
    EXPECT_EQ(DmConvertToCurrent(incoming.dm(), ctx), c.result) << c.stored;
    EXPECT_EQ(Ran(), c.ran) << c.stored;
    EXPECT_EQ(ReadLe32(Working() + 357), c.versionAfter) << c.stored;
  }
  // Without the rule's key the steps fail, but the version is stamped all the same.
  const NameTable empty = {0, nullptr};
  ctx->nameTable = &empty;
  WriteLe32(incoming.at(357), 331);
  std::memcpy(Working(), incoming.bytes.data(), kFullDevModeSize);
  EXPECT_EQ(DmConvertToCurrent(incoming.dm(), ctx), 0);
  EXPECT_EQ(ReadLe32(Working() + 357), 335u);
  ctx->nameTable = CtxGetTemplate()->nameTable;
  EXPECT_EQ(DmConvertToCurrent(nullptr, ctx), 0);
  EXPECT_EQ(DmConvertToCurrent(incoming.dm(), nullptr), 0);
}

}  // namespace
