// The device mode's private header: its exact bytes as the writers leave them, the checks of
// its text fields, the identity tests and the version comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "devmode_fields.h"
#include "devmode_record.h"
#include "dm_record_fixture.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

using zolt::test::DevModeBuffer;
using zolt::test::ImageContextTest;
using zolt::test::OwnDevMode;

class DmRecord : public ImageContextTest {
 protected:
  DEVMODEW* WorkingDm() { return &ctx->settingsImage->devMode.dm; }
  void SetWorkingSizes(WORD publicSize, WORD privateSize) {
    WriteLe16(Working() + 68, publicSize);
    WriteLe16(Working() + 70, privateSize);
  }
};

TEST_F(DmRecord, HeaderWritersLeaveExactlyTheseBytes) {
  std::memset(Working(), 0xAA, kSettingsImageSize);
  SetWorkingSizes(220, 1016);
  ASSERT_EQ(DmWritePrivateHeader(WorkingDm(), ctx), 1);
  DmWriteCommonHeader(ctx);

  using namespace std::string_literals;
  const std::string expected =                           // device-mode offset
      "ZOLT"s                                            // 220 signature
      + "\0\0\0\0"s                                      // 224 zdmTesmarin
      + "QVF9D170.ini\0\0\0\0"s                          // 228 zdmIniFileName
      + "01.00\0\0\0\0\0\0\0\0\0\0\0"s                   // 244 zdmiCDCVerStr
      + "01.00\0\0\0\0\0\0\0\0\0\0\0"s                   // 260 zdmiZPJLVerStr
      + "ZCOMMON\0"s                                     // 276 zdmZcomMark
      + "\x05"s                                          // 284 zdmZcomVersion
      + std::string(64, '\0')                            // 285 zdmZcomMember, 317 zdmZcomCaps
      + "priv"s                                          // 349 identity
      + "\xF8\x03\0\0"s                                  // 353 private size 1016
      + "\x4F\x01\0\0"s                                  // 357 settings version 335
      + "\0\0"s + "\xD4\x04"s + "\x64\x19"s              // 361 block offsets 0, 1236, 6500
      + "\xAA\xAA"s;                                     // 367, 368 (zdmMachineID) not written
  ASSERT_EQ(expected.size(), 149u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Working()) + 220, 149), expected);
  // Nothing else changed.
  for (DWORD i = 0; i < kSettingsImageSize; ++i) {
    if (i >= 220 && i < 369) continue;
    if (i >= 68 && i < 72) continue;
    ASSERT_EQ(Working()[i], 0xAA) << i;
  }

  // The option rows and the fixed-offset accessors read the same fields.
  WCHAR text[40];
  ASSERT_NE(OptGetStringValue(ctx, OptFind(ctx, 720), text, 40), nullptr);
  EXPECT_EQ(std::u16string(text), u"QVF9D170.ini");
  ASSERT_NE(OptGetStringValue(ctx, OptFind(ctx, 723), text, 40), nullptr);
  EXPECT_EQ(std::u16string(text), u"ZCOMMON");
  EXPECT_EQ(OptGetValue(ctx, 724, nullptr), 5);
  EXPECT_EQ(OptGetValue(ctx, 727, nullptr), 0);
  EXPECT_EQ(DmGetPrivateIdentity(Working()), 0x76697270u);
  EXPECT_EQ(DmGetPrivateSizeField(Working()), 1016u);
  EXPECT_EQ(DmGetStoredVersion(Working()), 335u);
  EXPECT_EQ(CtxGetPrinterDataBlock(ctx), Working() + 1236);
  EXPECT_EQ(DmWritePrivateHeader(nullptr, ctx), 0);
}

TEST_F(DmRecord, CommonHeaderAndBlockOffsetsFollowDmSize) {
  // A 212-byte public part: the header starts at 212.
  std::memset(Working(), 0, kSettingsImageSize);
  SetWorkingSizes(212, 1016);
  DmWriteCommonHeader(ctx);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Working()) + 212 + 8), "QVF9D170.ini");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Working()) + 212 + 56), "ZCOMMON");
  EXPECT_EQ(Working()[212 + 64], 5);

  // A private part that would not fit in block 1, or a working image without private part:
  // nothing is written.
  for (WORD publicSize : {WORD{1200}, WORD{60000}}) {
    std::memset(Working(), 0, kSettingsImageSize);
    SetWorkingSizes(publicSize, 1016);
    DmWriteCommonHeader(ctx);
    std::vector<BYTE> zero(kSettingsImageSize - 72, 0);
    EXPECT_EQ(std::memcmp(Working() + 72, zero.data(), zero.size()), 0) << publicSize;
  }
  SetWorkingSizes(220, 0);
  DmWriteCommonHeader(ctx);
  EXPECT_EQ(Working()[228], 0);

  // Block offsets of a 188-byte record go into its own private header, not over its options.
  DevModeBuffer b(188, 1016, 0x11);
  ASSERT_EQ(DmWriteBlockOffsets(b.dm()), 1);
  EXPECT_EQ(ReadLe16(b.at(188 + 141)), 0);
  EXPECT_EQ(ReadLe16(b.at(188 + 143)), 1236);
  EXPECT_EQ(ReadLe16(b.at(188 + 145)), 6500);
  EXPECT_EQ(b.bytes[361], 0x11);
  DevModeBuffer tooShort(220, 146);
  EXPECT_EQ(DmWriteBlockOffsets(tooShort.dm()), 0);
  EXPECT_EQ(DmWriteBlockOffsets(nullptr), 0);
  DmWriteCommonHeader(nullptr);
}

// ---- text fields

struct TextCase {
  const char* what;
  DWORD at;
  std::string text;  // written from `at`, may run past the field
  int expected;
};

TEST(DmPrivateStrings, EveryFieldHoldsAtMostItsWidth) {
  const TextCase cases[] = {
      {"ini name of 16", 228, std::string(16, 'a'), 1},
      {"ini name running into the next field", 228, std::string(17, 'a'), 0},
      {"CDC version of 16", 244, std::string(16, 'b'), 1},
      {"ZPJL version of 17", 260, std::string(17, 'c'), 0},
      {"track id of 21", 1040, std::string(21, 'd'), 1},
      {"track id of 21 followed by a byte", 1040, std::string(22, 'd'), 0},
      {"copy-protect font of 32", 975, std::string(32, 'e'), 1},
      {"copy-protect font of 33", 975, std::string(33, 'e'), 0},
      {"header-footer font of 33", 502, std::string(33, 'f'), 0},
      {"header-footer text of 33, font empty", 469, std::string(33, 'g'), 1},
      {"header-footer text of 33, font not empty", 469, std::string(33, 'g') + "Arial", 0},
  };
  for (const TextCase& c : cases) {
    DevModeBuffer b = OwnDevMode();
    std::memset(b.at(c.at), 0, 64);  // the field and every byte its check may read
    ASSERT_EQ(DmCheckPrivateStrings(b.dm()), 1);
    std::memcpy(b.at(c.at), c.text.data(), c.text.size());
    EXPECT_EQ(DmCheckPrivateStrings(b.dm()), c.expected) << c.what;
  }
  EXPECT_EQ(DmCheckPrivateStrings(nullptr), 0);
}

TEST(DmPrivateStrings, NothingPastTheRecordIsRead) {
  // A record that ends inside the text fields fails; one that ends right after the track id
  // passes although the check would read up to 31 bytes (the guard bytes are not text ends).
  DevModeBuffer shortRecord(220, 700, 0);
  EXPECT_EQ(DmCheckPrivateStrings(shortRecord.dm()), 0);
  DevModeBuffer endsAtTrackId(220, 1061 - 220, 0, 16);
  std::memset(endsAtTrackId.at(1040), 'x', 21);
  EXPECT_EQ(DmCheckPrivateStrings(endsAtTrackId.dm()), 1);
}

// ---- identity

TEST(DmIdentity, EachTestReadsItsOwnFields) {
  struct Case {
    const char* what;
    DWORD at;
    std::vector<BYTE> bytes;
    int current, sameLayout, compatible;
  } cases[] = {
      {"own device mode", 0, {}, 1, 1, 1},
      {"older settings version", 357, {0x4E, 0x01, 0, 0}, 0, 1, 1},
      {"private size 1024", 353, {0x00, 0x04, 0, 0}, 0, 0, 1},
      {"other identity", 349, {'p', 'r', 'i', 'x'}, 0, 0, 0},
      {"other model", 368, {22}, 0, 0, 0},
      {"driver type 1 with variant 0", 811, {1}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    DevModeBuffer b = OwnDevMode();
    std::copy(c.bytes.begin(), c.bytes.end(), b.at(c.at));
    EXPECT_EQ(DmIsCurrentVersion(b.dm(), nullptr), c.current) << c.what;
    EXPECT_EQ(DmIsSameLayout(b.dm(), nullptr), c.sameLayout) << c.what;
    EXPECT_EQ(DmIsCompatibleModel(b.dm(), nullptr), c.compatible) << c.what;
  }
  // A record too short to hold the driver type byte fails all three, whatever its bytes say.
  DevModeBuffer b = OwnDevMode();
  b.SetHeader(kDmSpecVersion, kDmDriverVersion, 220, 811 - 220);
  EXPECT_EQ(DmIsCurrentVersion(b.dm(), nullptr), 0);
  EXPECT_EQ(DmIsCompatibleModel(b.dm(), nullptr), 0);
  EXPECT_EQ(DmIsCurrentVersion(nullptr, nullptr), 0);
  EXPECT_EQ(DmIsSameLayout(nullptr, nullptr), 0);
  EXPECT_EQ(DmIsCompatibleModel(nullptr, nullptr), 0);
}

// ---- versions

TEST(DmVersions, ComparisonByMajorAndMinor) {
  struct Case {
    DWORD stored, current;
    int expected;
  } cases[] = {
      {334, 335, 1}, {300, 335, 1}, {335, 335, 0}, {336, 335, 0}, {399, 335, 0}, {435, 335, 0},
      {299, 335, 2}, {250, 335, 2}, {0, 335, 2},   {250, 250, 2}, {240, 250, 2}, {335, 435, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(DmCompareVersions(c.stored, c.current), c.expected) << c.stored;
}

TEST(DmVersions, CheckReadsTheVersionAfterDmSize) {
  DevModeBuffer b = OwnDevMode();
  EXPECT_EQ(DmCheckVersion(b.dm()), 0);
  WriteLe32(b.at(357), 334);
  EXPECT_EQ(DmCheckVersion(b.dm()), 1);
  // A 212-byte public part: the version is at 212 + 137.
  DevModeBuffer older(212, 1016);
  WriteLe32(older.at(212 + 137), 331);
  EXPECT_EQ(DmCheckVersion(older.dm()), 1);
  WriteLe32(older.at(212 + 137), 250);
  EXPECT_EQ(DmCheckVersion(older.dm()), 2);
  // No room for the version: not usable.
  DevModeBuffer tiny(220, 140);
  EXPECT_EQ(DmCheckVersion(tiny.dm()), 2);
  DevModeBuffer noHeader(40, 1016);
  WriteLe32(noHeader.at(40 + 137), 334);
  EXPECT_EQ(DmCheckVersion(noHeader.dm()), 2);
  EXPECT_EQ(DmCheckVersion(nullptr), -1);
}

}  // namespace
