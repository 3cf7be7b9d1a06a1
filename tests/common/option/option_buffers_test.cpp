// Heap blocks referred to by kind-6 options: the image holds a per-context handle, never an
// address, and numbers the context never gave out resolve to nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "option_access.h"
#include "option_image_context.h"

namespace {

using zolt::test::ImageContextTest;

class OptionBuffers : public ImageContextTest {
 protected:
  // Reads the 32-bit field of an option in an image.
  DWORD Field(BYTE* image, uint16_t id) {
    DWORD v;
    std::memcpy(&v, At(image, OptFind(ctx, id)), 4);
    return v;
  }
  int blocks[kOptBufferSlots + 2] = {};
};

TEST_F(OptionBuffers, TheImageHoldsAHandleThatResolvesOnlyInItsContext) {
  ASSERT_EQ(OptSetBuffer(ctx, kOptDeviceFont, &blocks[0]), 1);
  const DWORD handle = Field(Working(), kOptDeviceFont);
  EXPECT_NE(handle, 0u);
  EXPECT_LT(handle, 0x10000u) << "a small number, not an address";
  EXPECT_EQ(OptGetBuffer(ctx, kOptDeviceFont), &blocks[0]);
  EXPECT_EQ(OptFind(ctx, kOptDeviceFont)->stateBits & kStateChangedMask, 1);

  // Another context does not know the handle.
  DriverContext* other = CtxCreateWithFlags(reinterpret_cast<HANDLE>(2), reinterpret_cast<HANDLE>(2), nullptr,
                                            kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(OptResolveBuffer(other, handle), nullptr);
  CtxReleaseAs(other, kCtxReleaseDestroy);

  // A number that came with an image from elsewhere resolves to nothing.
  const DWORD foreign = 0x0804B0C0;
  std::memcpy(At(Working(), OptFind(ctx, kOptFontTable)), &foreign, 4);
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), nullptr);

  // Only kind-6 rows refer to blocks.
  EXPECT_EQ(OptSetBuffer(ctx, kOptDeviceFontCount, &blocks[1]), 0);
  EXPECT_EQ(OptGetBuffer(ctx, kOptDeviceFontCount), nullptr);
  EXPECT_EQ(OptSetBuffer(ctx, 5000, &blocks[1]), 0);

  // NULL makes the option refer to nothing.
  EXPECT_EQ(OptSetBuffer(ctx, kOptDeviceFont, nullptr), 1);
  EXPECT_EQ(Field(Working(), kOptDeviceFont), 0u);
  EXPECT_EQ(OptGetBuffer(ctx, kOptDeviceFont), nullptr);
  EXPECT_EQ(OptResolveBuffer(ctx, handle), &blocks[0]) << "the block is still registered until unregistered";
}

TEST_F(OptionBuffers, SavedImageCopiesGetTheirOwnHandlesWithoutMarks) {
  OptSetBuffer(ctx, kOptOptionFont, &blocks[0]);
  OptFind(ctx, kOptOptionFont)->stateBits = 0;
  ASSERT_EQ(OptSetSavedBuffer(ctx, kOptOptionFont, &blocks[1]), 1);
  EXPECT_NE(Field(Saved(), kOptOptionFont), Field(Working(), kOptOptionFont));
  EXPECT_EQ(OptGetSavedBuffer(ctx, kOptOptionFont), &blocks[1]);
  EXPECT_EQ(OptGetBuffer(ctx, kOptOptionFont), &blocks[0]);
  EXPECT_EQ(OptFind(ctx, kOptOptionFont)->stateBits & kStateChangedMask, 0);

  // The same block registered twice keeps one handle.
  EXPECT_EQ(OptRegisterBuffer(ctx, &blocks[0]), Field(Working(), kOptOptionFont));
  OptSetSavedBuffer(ctx, kOptOptionFont, nullptr);  // these blocks are not the context's to free
}

TEST_F(OptionBuffers, HandlesAreNeverReusedAndTheTableHasABound) {
  std::vector<DWORD> given;
  for (int i = 0; i < kOptBufferSlots; ++i) {
    const DWORD h = OptRegisterBuffer(ctx, &blocks[i]);
    ASSERT_NE(h, 0u) << i;
    given.push_back(h);
  }
  EXPECT_EQ(OptRegisterBuffer(ctx, &blocks[kOptBufferSlots]), 0u) << "the table is full";
  const DWORD before = Field(Working(), kOptFontTable);
  EXPECT_EQ(OptSetBuffer(ctx, kOptFontTable, &blocks[kOptBufferSlots]), 0);
  EXPECT_EQ(Field(Working(), kOptFontTable), before) << "a failed set leaves the field";

  EXPECT_EQ(OptUnregisterBuffer(ctx, given[3]), &blocks[3]);
  EXPECT_EQ(OptResolveBuffer(ctx, given[3]), nullptr);
  EXPECT_EQ(OptUnregisterBuffer(ctx, given[3]), nullptr);
  const DWORD fresh = OptRegisterBuffer(ctx, &blocks[kOptBufferSlots]);
  ASSERT_NE(fresh, 0u);
  for (DWORD h : given) EXPECT_NE(fresh, h);
  EXPECT_EQ(OptRegisterBuffer(ctx, nullptr), 0u);
  EXPECT_EQ(OptResolveBuffer(ctx, 0), nullptr);
  EXPECT_EQ(OptRegisterBuffer(nullptr, &blocks[0]), 0u);
}

TEST_F(OptionBuffers, AnImageLeavingTheProcessLosesOnlyItsFontTableFields) {
  BYTE* image = Working();
  for (DWORD i = 367; i < kSettingsImageSize; ++i) image[i] = static_cast<BYTE>(i * 7 + 1);
  std::vector<BYTE> before(image, image + kSettingsImageSize);

  DmClearProcessLocalFields(image);
  // Block 2 starts at 1236; the 16-bit counts lie at its bytes 12, 20 and 28, the references
  // at 16, 24 and 32.
  auto inField = [](DWORD i, DWORD at, DWORD size) { return i >= 1236 + at && i < 1236 + at + size; };
  for (DWORD i = 0; i < kSettingsImageSize; ++i) {
    const bool fontField = inField(i, 12, 2) || inField(i, 16, 4) || inField(i, 20, 2) || inField(i, 24, 4) ||
                           inField(i, 28, 2) || inField(i, 32, 4);
    if (fontField)
      EXPECT_EQ(image[i], 0) << i;
    else
      ASSERT_EQ(image[i], before[i]) << i;
  }
  for (uint16_t id = kOptFontTableCount; id <= kOptOptionFont; ++id) EXPECT_EQ(OptGetValue(ctx, id, nullptr), 0);
  DmClearProcessLocalFields(nullptr);
}

}  // namespace

namespace {

using zolt::test::ImageContextTest;

class SavedFontTables : public ImageContextTest {
 protected:
  // A working font table of count entries of entrySize bytes, filled with a pattern.
  void* MakeTable(uint16_t countOption, uint16_t bufferOption, int count, DWORD entrySize, BYTE fill) {
    void* block = CtxAllocMem(static_cast<DWORD>(count) * entrySize);
    std::memset(block, fill, static_cast<size_t>(count) * entrySize);
    EXPECT_EQ(OptSetBuffer(ctx, bufferOption, block), 1);
    OptSetValue(ctx, countOption, count);
    return block;
  }
  void FreeWorkingTables() {
    for (uint16_t id : {kOptFontTable, kOptDeviceFont, kOptOptionFont}) {
      MdlFreeMem(OptUnregisterBuffer(ctx, static_cast<DWORD>(OptGetValue(ctx, id, nullptr))));
      OptSetBuffer(ctx, id, nullptr);
    }
  }
};

TEST_F(SavedFontTables, SyncGivesTheSavedImageItsOwnCopies) {
  void* devices = MakeTable(kOptDeviceFontCount, kOptDeviceFont, 3, 68, 0xD1);
  void* subst = MakeTable(kOptFontTableCount, kOptFontTable, 2, 128, 0x5B);
  OptSetValue(ctx, 12, 4);  // an ordinary value comes along
  ASSERT_EQ(DmSyncSavedImage(ctx), 1);

  EXPECT_EQ(OptGetSavedValue(ctx, 12, nullptr), 4);
  for (auto [countId, bufferId, block, bytes] :
       {std::tuple{kOptDeviceFontCount, kOptDeviceFont, devices, 3 * 68}, std::tuple{kOptFontTableCount, kOptFontTable, subst, 2 * 128}}) {
    void* copy = OptGetSavedBuffer(ctx, bufferId);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, block);
    EXPECT_EQ(std::memcmp(copy, block, static_cast<size_t>(bytes)), 0);
    EXPECT_EQ(OptGetSavedValue(ctx, countId, nullptr), OptGetValue(ctx, countId, nullptr));
    EXPECT_NE(OptGetSavedValue(ctx, bufferId, nullptr), OptGetValue(ctx, bufferId, nullptr));
  }
  // No table in the working image: none in the saved one.
  EXPECT_EQ(OptGetSavedBuffer(ctx, kOptOptionFont), nullptr);
  EXPECT_EQ(OptGetSavedValue(ctx, kOptOptionFontCount, nullptr), 0);

  // A second sync replaces the copies without leaking the first ones (the sanitizer checks).
  ASSERT_EQ(DmSyncSavedImage(ctx), 1);
  EXPECT_NE(OptGetSavedBuffer(ctx, kOptDeviceFont), nullptr);
  EXPECT_EQ(DmFreeSavedFontTables(ctx), 1);
  EXPECT_EQ(OptGetSavedBuffer(ctx, kOptDeviceFont), nullptr);
  EXPECT_EQ(OptGetSavedValue(ctx, kOptDeviceFont, nullptr), 0);
  EXPECT_EQ(OptGetBuffer(ctx, kOptDeviceFont), devices) << "the working tables stay";
  FreeWorkingTables();
}

TEST_F(SavedFontTables, ACountWithoutATableAndAHandleSharedWithTheWorkingImage) {
  OptSetValue(ctx, kOptOptionFontCount, 5);  // no buffer behind the count
  ASSERT_EQ(DmSyncSavedImage(ctx), 1);
  EXPECT_EQ(OptGetSavedValue(ctx, kOptOptionFontCount, nullptr), 0);

  // A saved image that holds the working handle (copied by someone else) never frees the
  // working table.
  void* devices = MakeTable(kOptDeviceFontCount, kOptDeviceFont, 1, 68, 0x11);
  std::memcpy(Saved(), Working(), kSettingsImageSize);
  EXPECT_EQ(DmFreeSavedFontTables(ctx), 1);
  EXPECT_EQ(OptGetBuffer(ctx, kOptDeviceFont), devices);
  FreeWorkingTables();

  EXPECT_EQ(DmSyncSavedImage(nullptr), 0);
  EXPECT_EQ(DmFreeSavedFontTables(nullptr), 0);
}

}  // namespace
