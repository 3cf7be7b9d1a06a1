// The caches of released contexts: parking, reuse within 500 ms for the same printer and
// mode, the flags that allow or forbid reuse, eviction, purge and the wrap of the tick count.
#include <gtest/gtest.h>

#include <string>

#include "context_services.h"
#include "ctx_internal.h"

namespace {

DWORD gNow = 0;
DWORD FakeTicks() { return gNow; }

HANDLE Printer(uintptr_t n) { return reinterpret_cast<HANDLE>(n); }

constexpr const WCHAR* kP1 = u"\\\\server\\Printer 1";
constexpr const WCHAR* kP2 = u"\\\\server\\Printer 2";

class CtxCache : public ::testing::Test {
 protected:
  void SetUp() override {
    gNow = 1000;
    previous_ = CtxSetTickSource(&FakeTicks);
    EnvInitProcessLocks();
  }
  void TearDown() override {
    CtxPurgeCache(1);
    CtxSetTickSource(previous_);
    EnvFreeProcessLocks();
  }

  // A live context of kind 4 whose cached printer name is the given one (the name the spooler
  // record would have given it).
  static DriverContext* Make(const WCHAR* name, HANDLE printer = Printer(1), WORD flags = 4,
                             DWORD mode = kCtxModeUi, DWORD documentMode = 0) {
    DriverContext* ctx = CtxCreateWithPrinterInfo(printer, printer, nullptr, flags, mode, documentMode, nullptr);
    if (!ctx) return nullptr;
    std::u16string(name).copy(ctx->workArea->qualifiedPrinterName, kCtxPathChars - 1);
    return ctx;
  }

  static DriverContext* Find(const WCHAR* name, HANDLE printer = Printer(1), WORD flags = 0,
                             DWORD mode = kCtxModeUi, DWORD documentMode = 0) {
    return CtxFindCachedByName(printer, printer, flags, mode, documentMode, name);
  }

  CtxTickSource previous_ = nullptr;
};

TEST_F(CtxCache, ReusesAParkedContextWithin500MsForTheSamePrinter) {
  DriverContext* ctx = Make(kP1);
  ASSERT_NE(ctx, nullptr);
  CtxRelease(ctx);
  gNow += 500;
  EXPECT_EQ(Find(kP1), ctx);
  EXPECT_EQ(Find(kP1), nullptr);  // taken out of its slot
  CtxRelease(ctx);
  gNow += 501;
  EXPECT_EQ(Find(kP1), nullptr);  // destroyed by the lookup's purge
}

TEST_F(CtxCache, ReuseNeedsTheSamePrinterModeAndHandle) {
  DriverContext* ctx = Make(kP1, Printer(1));
  ASSERT_NE(ctx, nullptr);
  CtxRelease(ctx);
  EXPECT_EQ(Find(kP2), nullptr);
  EXPECT_EQ(Find(u"\\\\SERVER\\PRINTER 1"), nullptr);  // names compare case-sensitively
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDocumentNoUi), nullptr);
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDeviceCaps), nullptr);
  EXPECT_EQ(Find(kP1, Printer(2)), nullptr);  // another handle
  EXPECT_EQ(Find(u""), nullptr);
  EXPECT_EQ(Find(nullptr), nullptr);
  EXPECT_EQ(Find(kP1), ctx);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(CtxCache, CreationFlagsDecideWhetherAParkedContextMayBeTaken) {
  DriverContext* ctx = Make(kP1);
  ASSERT_NE(ctx, nullptr);
  CtxRelease(ctx);
  for (WORD flags : {0x300, 0x301, 0x200, 0x1000, 0x4}) EXPECT_EQ(Find(kP1, Printer(1), flags), nullptr) << flags;
  EXPECT_EQ(Find(kP1, Printer(1), 0xb00), ctx);
  CtxRelease(ctx);

  // 0x1000 with 0x800: any handle of the same printer; the context takes the new handles.
  DriverContext* reused = CtxFindCachedByName(Printer(7), Printer(8), 0x1800, kCtxModeUi, 0, kP1);
  ASSERT_EQ(reused, ctx);
  EXPECT_EQ(ctx->printer, Printer(7));
  EXPECT_EQ(ctx->printer2, Printer(8));
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(CtxCache, DocumentContextsWithFMode2NeedAParkedFMode2) {
  DriverContext* plain = Make(kP1, Printer(1), 4, kCtxModeDocumentNoUi, 0);
  ASSERT_NE(plain, nullptr);
  CtxRelease(plain);
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDocumentNoUi, 2), nullptr);
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDocumentNoUi, 6), plain);  // only exactly 2 is checked
  CtxRelease(plain);

  DriverContext* outOnly = Make(kP2, Printer(1), 4, kCtxModeDocumentNoUi, 2);
  ASSERT_NE(outOnly, nullptr);
  CtxRelease(outOnly);
  EXPECT_EQ(Find(kP2, Printer(1), 0, kCtxModeDocumentNoUi, 2), outOnly);
  CtxReleaseAs(outOnly, kCtxReleaseDestroy);
}

TEST_F(CtxCache, DeviceCapabilityContextsLiveInTheFirstTable) {
  DriverContext* caps = Make(kP1, Printer(1), 4, kCtxModeDeviceCaps);
  ASSERT_NE(caps, nullptr);
  CtxReleaseAs(caps, kCtxReleaseParkCaps);
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDeviceCaps), caps);

  // Released into the second table, a capability context is never found again.
  CtxRelease(caps);
  EXPECT_EQ(Find(kP1, Printer(1), 0, kCtxModeDeviceCaps), nullptr);

  // Each table has two slots of its own.
  DriverContext* a = Make(kP2, Printer(1), 4, kCtxModeDeviceCaps);
  DriverContext* b = Make(kP2, Printer(2), 4, kCtxModeDeviceCaps);
  CtxReleaseAs(a, kCtxReleaseParkCaps);
  CtxReleaseAs(b, kCtxReleaseParkCaps);
  EXPECT_EQ(Find(kP2, Printer(2), 0, kCtxModeDeviceCaps), b);
  EXPECT_EQ(Find(kP2, Printer(1), 0, kCtxModeDeviceCaps), a);
  CtxReleaseAs(a, kCtxReleaseDestroy);
  CtxReleaseAs(b, kCtxReleaseDestroy);
}

TEST_F(CtxCache, AThirdContextEvictsTheOneParkedEarliest) {
  DriverContext* first = Make(u"A");
  DriverContext* second = Make(u"B");
  DriverContext* third = Make(u"C");
  ASSERT_TRUE(first && second && third);
  gNow = 2000;
  CtxRelease(first);
  gNow = 2100;
  CtxRelease(second);
  gNow = 2200;
  CtxRelease(third);  // first is destroyed
  EXPECT_EQ(Find(u"A"), nullptr);
  EXPECT_EQ(Find(u"B"), second);
  EXPECT_EQ(Find(u"C"), third);

  // Equal parking times: the first slot goes.
  DriverContext* fourth = Make(u"D");
  CtxRelease(second);
  CtxRelease(third);
  CtxRelease(fourth);
  EXPECT_EQ(Find(u"B"), nullptr);
  EXPECT_EQ(Find(u"C"), third);
  EXPECT_EQ(Find(u"D"), fourth);
  CtxReleaseAs(third, kCtxReleaseDestroy);
  CtxReleaseAs(fourth, kCtxReleaseDestroy);
}

TEST_F(CtxCache, TheTickCountWrapNeitherPurgesNorEvictsTheWrongContext) {
  // Parked 16 ms before the wrap, looked up 16 ms after it: 32 ms old, still reusable.
  gNow = 0xFFFFFFF0u;
  DriverContext* ctx = Make(kP1);
  ASSERT_NE(ctx, nullptr);
  CtxRelease(ctx);
  gNow = 0x10;
  EXPECT_EQ(Find(kP1), ctx);

  // Parked just before the wrap, looked up 600 ms later: purged.
  gNow = 0xFFFFFF00u;
  CtxRelease(ctx);
  gNow = 0xFFFFFF00u + 600;
  EXPECT_EQ(Find(kP1), nullptr);

  // Parked across the wrap: the older context has the larger tick count and is evicted.
  DriverContext* older = Make(u"old");
  DriverContext* newer = Make(u"new");
  DriverContext* third = Make(u"third");
  gNow = 0xFFFFFFF0u;
  CtxRelease(older);
  gNow = 0x20;
  CtxRelease(newer);
  gNow = 0x30;
  CtxRelease(third);
  EXPECT_EQ(Find(u"old"), nullptr);
  EXPECT_EQ(Find(u"new"), newer);
  EXPECT_EQ(Find(u"third"), third);
  CtxReleaseAs(newer, kCtxReleaseDestroy);
  CtxReleaseAs(third, kCtxReleaseDestroy);
}

TEST_F(CtxCache, PurgeDestroysOldContextsOrAll) {
  DriverContext* old = Make(u"old");
  DriverContext* fresh = Make(u"fresh");
  DriverContext* caps = Make(u"caps", Printer(1), 4, kCtxModeDeviceCaps);
  gNow = 5000;
  CtxRelease(old);
  CtxReleaseAs(caps, kCtxReleaseParkCaps);
  gNow = 5400;
  CtxRelease(fresh);
  gNow = 5501;
  CtxPurgeCache(0);  // old and caps are 501 ms old
  EXPECT_EQ(Find(u"caps", Printer(1), 0, kCtxModeDeviceCaps), nullptr);
  EXPECT_EQ(Find(u"old"), nullptr);
  EXPECT_EQ(Find(u"fresh"), fresh);
  CtxRelease(fresh);
  CtxPurgeCache(1);
  EXPECT_EQ(Find(u"fresh"), nullptr);
}

TEST_F(CtxCache, AContextHoldingPassThroughValuesIsNeverParked) {
  DriverContext* ctx = Make(kP1);
  ASSERT_NE(ctx, nullptr);
  // Give it a table with the pass-through option and a settings image with its bit 0 set.
  static const OptionDescriptor rows[] = {
      {727, 0, MakeTypeWord(kBlockDevmode, kKindUInt32, 4), 1200, 0, nullptr, nullptr, nullptr, 0, 0, u"zdmTesmarin"},
  };
  const OptionDescriptorTable table = {1, rows};
  OptFreeTable(ctx->optionTable);
  ctx->optionTable = OptCopyTable(&table);
  ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  ASSERT_TRUE(ctx->optionTable && ctx->settingsImage);
  reinterpret_cast<BYTE*>(ctx->settingsImage)[1200] = 0x01;
  CtxRelease(ctx);  // destroyed
  EXPECT_EQ(Find(kP1), nullptr);

  // The same without the bit is parked.
  DriverContext* other = Make(kP2);
  ASSERT_NE(other, nullptr);
  OptFreeTable(other->optionTable);
  other->optionTable = OptCopyTable(&table);
  other->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  reinterpret_cast<BYTE*>(other->settingsImage)[1200] = 0x02;
  CtxRelease(other);
  EXPECT_EQ(Find(kP2), other);
  CtxReleaseAs(other, kCtxReleaseDestroy);
}

TEST_F(CtxCache, CreationWithoutAPrinterRecordBuildsANewContext) {
  // No spooler record can be had for the handle, so there is no name to match: every creation
  // builds a new context, and the parked ones age out.
  DriverContext* a = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 0x804, kCtxModeUi);
  ASSERT_NE(a, nullptr);
  CtxRelease(a);
  DriverContext* b = CtxCreateWithFlags(Printer(1), Printer(1), nullptr, 0x804, kCtxModeUi);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(CtxFindCached(Printer(1), Printer(1), nullptr, 0x804, kCtxModeUi, 0, nullptr), nullptr);
  CtxRelease(b);
  gNow += 501;
  CtxPurgeCache(0);
}

}  // namespace
