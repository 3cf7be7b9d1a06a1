// Reading and writing stored values through the option rows: every kind and size, the three
// images, the marks of a write, the typed value and pointer accessors, and unknown ids.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "option_access.h"
#include "option_image_context.h"

namespace {

using zolt::test::ImageContextTest;
using zolt::test::kBlockStart;

class OptionAccess : public ImageContextTest {
 protected:
  // The first row of the context's table with this kind (and size, when given).
  OptionEntry* FirstRow(uint32_t kind, uint32_t size = 0) {
    for (int i = 0; i < ctx->optionTable->count; ++i) {
      OptionEntry& row = ctx->optionTable->rows[i];
      if (TypeKind(row.typeWord) == kind && (size == 0 || TypeSize(row.typeWord) == size)) return &row;
    }
    return nullptr;
  }
};

TEST_F(OptionAccess, EveryRowIsAddressedAtItsBlockStartPlusOffset) {
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    const OptionEntry& row = ctx->optionTable->rows[i];
    const uint32_t block = TypeBlock(row.typeWord);
    ASSERT_GE(block, 1u);
    EXPECT_EQ(OptGetValueAddress(ctx, &row), Working() + kBlockStart[block] + row.offset) << row.id;
    EXPECT_EQ(OptGetSavedValueAddress(ctx, &row), Saved() + kBlockStart[block] + row.offset) << row.id;
    EXPECT_EQ(OptGetLockDefaultValueAddress(ctx, &row), LockDefault() + kBlockStart[block] + row.offset) << row.id;
  }
}

TEST_F(OptionAccess, BlockStartsAreReadFromTheImageAndMustKeepTheFieldInside) {
  OptionEntry* row = OptFind(ctx, 10004);  // block 2, offset 12
  ASSERT_NE(row, nullptr);
  Working()[363] = 0x10;  // block 2 now starts at 0x1010
  Working()[364] = 0x10;
  EXPECT_EQ(OptGetValueAddress(ctx, row), Working() + 0x1010 + 12);
  Working()[363] = 0xFF;  // 0xFFFF + 12 lies outside the image
  Working()[364] = 0xFF;
  EXPECT_EQ(OptGetValueAddress(ctx, row), nullptr);
  EXPECT_EQ(OptGetValue(ctx, 10004, nullptr), 0);
  EXPECT_EQ(OptSetValue(ctx, 10004, 3), 0);

  // A row that would end exactly at the image end is fine; one byte further is not.
  OptionEntry copy = *row;
  copy.typeWord = MakeTypeWord(3, kKindUInt32, 4);
  copy.offset = 4136;  // 6500 + 4136 + 4 = 10640
  EXPECT_EQ(OptGetValueAddress(ctx, &copy), Working() + 10636);
  copy.offset = 4137;
  EXPECT_EQ(OptGetValueAddress(ctx, &copy), nullptr);
  copy.typeWord = MakeTypeWord(0, kKindUInt32, 4);  // block 0 has no storage
  copy.offset = 0;
  EXPECT_EQ(OptGetValueAddress(ctx, &copy), nullptr);
}

struct KindCase {
  uint32_t kind;
  uint32_t size;         // 0: any
  int32_t written;       // the value given to OptSetValue
  std::vector<BYTE> stored;  // the bytes it leaves at the field
  int32_t read;          // what OptGetValue then answers
};

TEST_F(OptionAccess, NumericKindsStoreLittleEndianAndReadBackByKind) {
  const KindCase cases[] = {
      {kKindInt8, 1, -1, {0xFF}, -1},
      {kKindInt8, 1, 0x17F, {0x7F}, 127},
      {kKindInt8, 1, -128, {0x80}, -128},
      {kKindUInt8, 1, 0xFF, {0xFF}, 255},
      {kKindUInt8, 1, -1, {0xFF}, 255},
      {kKindUInt8, 1, 256, {0x00}, 0},
      {kKindInt16, 2, -1, {0xFF, 0xFF}, -1},
      {kKindInt16, 2, 0x12345, {0x45, 0x23}, 0x2345},
      {kKindInt16, 2, 0x8000, {0x00, 0x80}, -32768},
      {kKindUInt16, 2, 0xFFFF, {0xFF, 0xFF}, 65535},
      {kKindUInt16, 2, 0x1ABCD, {0xCD, 0xAB}, 0xABCD},
      {kKindInt32, 4, -2, {0xFE, 0xFF, 0xFF, 0xFF}, -2},
      {kKindUInt32, 4, 0x12345678, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {kKindUInt32, 4, -1, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
  };
  for (const KindCase& c : cases) {
    OptionEntry* row = FirstRow(c.kind, c.size);
    ASSERT_NE(row, nullptr) << "kind " << c.kind;
    BYTE* field = At(Working(), row);
    std::memset(field, 0xAA, c.stored.size());
    const BYTE after = field[c.stored.size()];
    ASSERT_EQ(OptSetValue(ctx, row->id, c.written), 1) << "kind " << c.kind;
    EXPECT_EQ(std::vector<BYTE>(field, field + c.stored.size()), c.stored) << "kind " << c.kind << " value " << c.written;
    EXPECT_EQ(field[c.stored.size()], after) << "kind " << c.kind << ": the next byte is not the field's";
    EXPECT_EQ(OptGetValue(ctx, row->id, nullptr), c.read) << "kind " << c.kind << " value " << c.written;
    EXPECT_EQ(OptReadValue(ctx, row), c.read);
    EXPECT_EQ(OptGetValuePointer(ctx, row->id, nullptr), nullptr) << "a number has no pointer";
  }
}

TEST_F(OptionAccess, BitKindsChangeOnlyTheirBit) {
  // Bits 0-31 of the 32-bit word: bit n lives in byte n / 8, bit n % 8.
  for (uint32_t bit : {0u, 5u, 7u, 8u, 13u, 16u, 23u, 24u, 31u}) {
    OptionEntry* row = FirstRow(kKindBitFirst + bit, 4);
    ASSERT_NE(row, nullptr) << bit;
    BYTE* word = At(Working(), row);
    const BYTE mask = static_cast<BYTE>(1u << (bit % 8));

    std::memset(word, 0x00, 4);
    ASSERT_EQ(OptSetValue(ctx, row->id, 1), 1);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(word[i], i == bit / 8 ? mask : 0) << "bit " << bit << " byte " << i;
    EXPECT_EQ(OptGetValue(ctx, row->id, nullptr), 1);

    std::memset(word, 0xFF, 4);
    ASSERT_EQ(OptSetValue(ctx, row->id, 0), 1);
    for (uint32_t i = 0; i < 4; ++i)
      EXPECT_EQ(word[i], i == bit / 8 ? static_cast<BYTE>(~mask) : 0xFF) << "bit " << bit << " byte " << i;
    EXPECT_EQ(OptGetValue(ctx, row->id, nullptr), 0);

    // Any non-zero value sets the bit.
    ASSERT_EQ(OptSetValue(ctx, row->id, 0x100), 1);
    EXPECT_EQ(OptGetValue(ctx, row->id, nullptr), 1);
    EXPECT_EQ(word[bit / 8], 0xFF);
  }
  // Bits of a one-byte field (zdmHFFuncSelect bits, 100-107 at 462).
  OptionEntry* b3 = OptFind(ctx, 103);
  ASSERT_NE(b3, nullptr);
  Working()[462] = 0x41;
  EXPECT_EQ(OptGetValue(ctx, 103, nullptr), 0);
  EXPECT_EQ(OptGetValue(ctx, 100, nullptr), 1);
  OptSetValue(ctx, 103, 1);
  EXPECT_EQ(Working()[462], 0x49);
  EXPECT_EQ(Working()[463], 0);
}

TEST_F(OptionAccess, TextAndBlockRowsAreReachedThroughTheirStorage) {
  OptionEntry* text = OptFind(ctx, 202);  // zdmUserID: ANSI, 9 bytes at 597
  ASSERT_NE(text, nullptr);
  BYTE* field = Working() + 597;
  std::memcpy(field, "ABCDEFGHIJ", 10);  // one byte into the next field

  EXPECT_EQ(OptGetValuePointer(ctx, 202, nullptr), field);
  EXPECT_EQ(OptReadValuePointer(ctx, text), field);
  EXPECT_EQ(OptGetValue(ctx, 202, nullptr), 0) << "a text has no number";

  // A number other than 0 cannot be written into a text; 0 clears it.
  EXPECT_EQ(OptSetValue(ctx, 202, 0x1234), 0);
  EXPECT_EQ(field[0], 'A');
  EXPECT_EQ(text->stateBits & kStateChangedMask, 0);
  EXPECT_EQ(OptSetValue(ctx, 202, 0), 1);
  EXPECT_EQ(std::memcmp(field, "\0\0\0\0\0\0\0\0\0J", 10), 0);

  // A block copy takes exactly the field's size.
  const char source[] = "123456789XYZ";
  EXPECT_EQ(OptSetValueBytes(ctx, 202, source), 1);
  EXPECT_EQ(std::memcmp(field, "123456789J", 10), 0);
  EXPECT_EQ(OptSetValueBytes(ctx, 202, nullptr), 1);
  EXPECT_EQ(std::memcmp(field, "\0\0\0\0\0\0\0\0\0J", 10), 0);

  // A number row refuses a block.
  EXPECT_EQ(OptSetValueBytes(ctx, 7, source), 0);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 0);
}

TEST_F(OptionAccess, AWriteMarksTheRowTheContextAndThePendingWord) {
  OptionEntry* row = OptFind(ctx, 8);  // dmPaperSize
  ASSERT_NE(row, nullptr);
  row->stateBits = 0x00C4;  // class bits stay
  row->flags = 0x80000000u | 0x00010000u | 0x01000000u;
  ctx->workArea->pendingUpdate = 0x00020000u | 0x1234;
  ASSERT_EQ(ctx->workArea->optionsChanged, 0u);

  EXPECT_EQ(OptSetValue(ctx, 8, 9), 1);
  EXPECT_EQ(row->stateBits, 0x00C5);
  EXPECT_EQ(ctx->workArea->optionsChanged, 1u);
  // Only the change classes reach the pending word, which keeps its other bits and its id.
  EXPECT_EQ(ctx->workArea->pendingUpdate, 0x01030000u | 0x1234);

  // A row without change classes leaves the pending word alone.
  ctx->workArea->pendingUpdate = 0x5;
  EXPECT_EQ(OptSetValue(ctx, 9, 100), 1);
  EXPECT_EQ(ctx->workArea->pendingUpdate, 0x5u);
}

TEST_F(OptionAccess, FixedRatioScaleKeepsBothDirectionsEqual) {
  OptSetValue(ctx, 87, 1);  // zdmScaleType: fixed ratio
  OptSetValue(ctx, 90, 100);
  EXPECT_EQ(OptSetValue(ctx, 89, 150), 1);
  EXPECT_EQ(OptGetValue(ctx, 89, nullptr), 150);
  EXPECT_EQ(OptGetValue(ctx, 90, nullptr), 150);
  EXPECT_EQ(OptFind(ctx, 90)->stateBits & kStateChangedMask, 1);

  OptSetValue(ctx, 87, 2);
  EXPECT_EQ(OptSetValue(ctx, 89, 120), 1);
  EXPECT_EQ(OptGetValue(ctx, 89, nullptr), 120);
  EXPECT_EQ(OptGetValue(ctx, 90, nullptr), 150);

  // Writing the vertical scale never touches the horizontal one.
  OptSetValue(ctx, 87, 1);
  OptSetValue(ctx, 90, 80);
  EXPECT_EQ(OptGetValue(ctx, 89, nullptr), 120);
}

TEST_F(OptionAccess, SavedAndLockDefaultImagesAreReadAndWrittenApart) {
  OptionEntry* row = nullptr;
  OptSetValue(ctx, 12, 5);  // dmCopies
  row = OptFind(ctx, 12);
  row->stateBits = 0;
  ctx->workArea->optionsChanged = 0;

  EXPECT_EQ(OptSetSavedValue(ctx, 12, 7), 1);
  EXPECT_EQ(OptGetSavedValue(ctx, 12, nullptr), 7);
  EXPECT_EQ(OptGetValue(ctx, 12, nullptr), 5);
  EXPECT_EQ(row->stateBits, 0) << "the saved image carries no marks";
  EXPECT_EQ(ctx->workArea->optionsChanged, 0u);

  OptionEntry* text = OptFind(ctx, 202);
  EXPECT_EQ(OptSetSavedValueBytes(ctx, 202, "savedtext"), 1);
  EXPECT_EQ(std::memcmp(OptGetSavedValuePointer(ctx, 202, nullptr), "savedtext", 9), 0);
  EXPECT_EQ(OptReadSavedValuePointer(ctx, text), At(Saved(), text));
  EXPECT_EQ(At(Working(), text)[0], 0);

  At(LockDefault(), row)[0] = 3;
  EXPECT_EQ(OptGetLockDefaultValue(ctx, 12, nullptr), 3);
  EXPECT_EQ(OptReadLockDefaultValue(ctx, row), 3);
  EXPECT_EQ(OptGetLockDefaultValuePointer(ctx, 202, nullptr), At(LockDefault(), text));
}

TEST_F(OptionAccess, UnknownIdsNullRowsAndMissingImagesReadZeroAndWriteNothing) {
  OptionEntry* row = reinterpret_cast<OptionEntry*>(1);
  for (uint16_t id : {uint16_t{0}, uint16_t{1700}, uint16_t{10443}, uint16_t{20000}}) {
    EXPECT_EQ(OptGetValue(ctx, id, &row), 0) << id;
    EXPECT_EQ(row, nullptr) << id;
    EXPECT_EQ(OptSetValue(ctx, id, 1), 0) << id;
    EXPECT_EQ(OptGetValuePointer(ctx, id, nullptr), nullptr) << id;
    EXPECT_EQ(OptSetSavedValue(ctx, id, 1), 0) << id;
  }
  EXPECT_EQ(OptReadValue(ctx, nullptr), 0);
  EXPECT_EQ(OptWriteValue(ctx, nullptr, 1), 0);
  EXPECT_EQ(OptGetValue(nullptr, 8, nullptr), 0);
  EXPECT_EQ(OptSetValue(nullptr, 8, 1), 0);

  // Found ids are handed out through rowOut.
  EXPECT_EQ(OptGetValue(ctx, 10001, &row), 0);
  EXPECT_EQ(row, OptFind(ctx, 10001));

  // A context without a settings image (kinds 4 and above) has nothing to read or write.
  SettingsImage* image = ctx->settingsImage;
  ctx->settingsImage = nullptr;
  EXPECT_EQ(OptSetValue(ctx, 8, 9), 0);
  EXPECT_EQ(OptGetValue(ctx, 8, nullptr), 0);
  EXPECT_EQ(OptGetValuePointer(ctx, 202, nullptr), nullptr);
  EXPECT_EQ(ctx->workArea->optionsChanged, 0u);
  ctx->settingsImage = image;
}

TEST_F(OptionAccess, PrintQualityAndDisplayUnit) {
  OptSetValue(ctx, 14, 600);
  EXPECT_EQ(OptGetPrintQuality(ctx), 600);
  EXPECT_EQ(OptGetPrintQuality(nullptr), 0);
  EXPECT_EQ(OptIsMetric(ctx), 1);
  OptSetValue(ctx, 171, 1);
  EXPECT_EQ(OptIsMetric(ctx), 0);
}

}  // namespace
