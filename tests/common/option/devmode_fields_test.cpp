// The fixed-offset device-mode accessors against the option rows: each accessor writes and
// reads exactly the bytes that its option's row describes. Also the text-field checks and the
// sizes of the settings image.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "devmode_fields.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

using zolt::test::ImageContextTest;

class DevModeFields : public ImageContextTest {
 protected:
  std::vector<BYTE> Snapshot() { return {Working(), Working() + kSettingsImageSize}; }
  // Indexes of the bytes that differ between two snapshots.
  static std::vector<DWORD> Changed(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    std::vector<DWORD> at;
    for (DWORD i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) at.push_back(i);
    return at;
  }
  // The device-mode byte of a one-byte option row.
  DWORD ByteOf(uint16_t option) {
    const OptionEntry* row = OptFind(ctx, option);
    return static_cast<DWORD>(OptGetValueAddress(ctx, row) - Working());
  }
};

struct ByteCase {
  uint16_t option;
  void (*ctxSet)(DriverContext*, BYTE);
  BYTE (*ctxGet)(DriverContext*);
  BYTE* (*dmSet)(BYTE*, BYTE);
  BYTE (*dmGet)(const BYTE*);
};

TEST_F(DevModeFields, ByteAccessorsReadAndWriteTheBytesOfTheirRows) {
  const ByteCase cases[] = {
      {35, nullptr, nullptr, nullptr, DmGetMachineID},
      {728, CtxSetMIInstalled, nullptr, nullptr, nullptr},
      {729, CtxSetCallSrc, CtxGetCallSrc, DmSetCallSrc, DmGetCallSrc},
      {730, CtxSetOSKind, CtxGetOSKind, DmSetOSKind, DmGetOSKind},
      {731, CtxSetBatchInst, nullptr, DmSetBatchInst, DmGetBatchInst},
      {732, CtxSetPrintLog, CtxGetPrintLog, DmSetPrintLog, DmGetPrintLog},
      {733, CtxSetBiDirect, CtxGetBiDirect, DmSetBiDirect, DmGetBiDirect},
      {734, CtxSetNoPermission, CtxGetNoPermission, DmSetNoPermission, DmGetNoPermission},
      {735, CtxSetPresentUIMode, CtxGetPresentUIMode, nullptr, nullptr},
      {736, CtxSetBidiSupport, nullptr, nullptr, nullptr},
      {737, CtxSetServerClientMode, CtxGetServerClientMode, DmSetServerClientMode, DmGetServerClientMode},
      {738, CtxSetUserCodeFIX, nullptr, nullptr, nullptr},
      {739, CtxSetUserCodeGet, CtxGetUserCodeGet, nullptr, nullptr},
      {740, CtxSetTMInstalled, nullptr, nullptr, nullptr},
      {741, CtxSetPropertyType, nullptr, DmSetPropertyType, DmGetPropertyType},
      {742, CtxSetUserCodeDLL, nullptr, nullptr, nullptr},
      {743, CtxSetTSE, CtxGetTSE, DmSetTSE, DmGetTSE},
      {744, CtxSetAdmin, CtxGetAdmin, DmSetAdmin, DmGetAdmin},
      {745, CtxSetBidiFunc, CtxGetBidiFunc, DmSetBidiFunc, DmGetBidiFunc},
      {691, nullptr, nullptr, DmSetLockPrnMethod, DmGetLockPrnMethod},
      {244, nullptr, nullptr, nullptr, DmGetDriverType},
      {91, nullptr, nullptr, nullptr, DmGetNupPostKind},
      {108, nullptr, nullptr, DmSetHFDatePosi, DmGetHFDatePosi},
      {109, nullptr, nullptr, DmSetHFDateForm, DmGetHFDateForm},
      {111, nullptr, nullptr, DmSetHFPageForm, DmGetHFPageForm},
      {112, nullptr, nullptr, DmSetHFStrPosi, DmGetHFStrPosi},
      {113, nullptr, nullptr, DmSetHFStrForm, DmGetHFStrForm},
  };
  for (const ByteCase& c : cases) {
    const OptionEntry* row = OptFind(ctx, c.option);
    ASSERT_NE(row, nullptr) << c.option;
    ASSERT_EQ(TypeKind(row->typeWord), kKindUInt8) << c.option;
    const BYTE value = static_cast<BYTE>(0x80 + c.option % 97);
    const DWORD expectedAt = ByteOf(c.option);

    // Writing through the accessor changes exactly the row's byte.
    for (int form = 0; form < 2; ++form) {
      if ((form == 0 && !c.ctxSet) || (form == 1 && !c.dmSet)) continue;
      OptSetValue(ctx, c.option, 0);
      const auto before = Snapshot();
      if (form == 0)
        c.ctxSet(ctx, value);
      else
        EXPECT_EQ(c.dmSet(Working(), value), Working());
      EXPECT_EQ(Changed(before, Snapshot()), std::vector<DWORD>{expectedAt}) << c.option << " form " << form;
      EXPECT_EQ(OptGetValue(ctx, c.option, nullptr), value) << c.option << " form " << form;
    }
    // Reading through the accessor gives what the row holds.
    OptSetValue(ctx, c.option, value ^ 0x5A);
    if (c.ctxGet) {
      EXPECT_EQ(c.ctxGet(ctx), value ^ 0x5A) << c.option;
    }
    if (c.dmGet) {
      EXPECT_EQ(c.dmGet(Working()), value ^ 0x5A) << c.option;
    }
  }
}

struct BitsCase {
  uint16_t firstOption;  // bit 0 of the field
  int bits;              // options for bits 0 .. bits - 1
  DWORD (*get)(const BYTE*);
  void (*set)(BYTE*, DWORD);
  DWORD pattern;
};

TEST_F(DevModeFields, BitFieldAccessorsHoldTheBitsOfTheirRows) {
  const BitsCase cases[] = {
      {153, 16, [](const BYTE* dm) -> DWORD { return DmGetQualityFuncBits(dm); },
       [](BYTE* dm, DWORD v) { DmSetQualityFuncBits(dm, static_cast<WORD>(v)); }, 0xA5C3},
      {449, 32, DmGetHidden2FuncBits, [](BYTE* dm, DWORD v) { DmSetHidden2FuncBits(dm, v); }, 0x9234A5C1},
      {100, 8, [](const BYTE* dm) -> DWORD { return DmGetHFFuncSelectBits(dm); },
       [](BYTE* dm, DWORD v) { DmSetHFFuncSelectBits(dm, static_cast<BYTE>(v)); }, 0xB6},
      {236, 8, [](const BYTE* dm) -> DWORD { return DmGetMachineTypeBits(dm); }, nullptr, 0x5D},
      {564, 12, DmGetSupportFunc2Bits, nullptr, 0xA53},
  };
  for (const BitsCase& c : cases) {
    // Rows to accessor.
    for (int i = 0; i < c.bits; ++i) OptSetValue(ctx, static_cast<uint16_t>(c.firstOption + i), (c.pattern >> i) & 1);
    EXPECT_EQ(c.get(Working()), c.pattern) << c.firstOption;
    if (!c.set) continue;
    // Accessor to rows.
    const DWORD other = ~c.pattern & (c.bits == 32 ? 0xFFFFFFFFu : (1u << c.bits) - 1);
    c.set(Working(), other);
    for (int i = 0; i < c.bits; ++i)
      EXPECT_EQ(OptGetValue(ctx, static_cast<uint16_t>(c.firstOption + i), nullptr), static_cast<int32_t>((other >> i) & 1))
          << c.firstOption << " bit " << i;
  }
}

TEST_F(DevModeFields, WordFieldsAndSingleSupportBits) {
  DmSetFrontFunc(Working(), 0x81020304);
  EXPECT_EQ(static_cast<DWORD>(OptGetValue(ctx, 350, nullptr)), 0x81020304u);
  OptSetValue(ctx, 350, 0x0A0B0C0D);
  EXPECT_EQ(DmGetFrontFunc(Working()), 0x0A0B0C0Du);

  OptSetValue(ctx, 15, -3);  // dmColor, signed 16-bit
  EXPECT_EQ(DmGetColor(Working()), -3);

  // The whole hidden word is replaced, whatever it held.
  OptSetValue(ctx, 449 + 31, 1);
  DmSetHidden2FuncBits(Working(), 0x1234);
  EXPECT_EQ(DmGetHidden2FuncBits(Working()), 0x1234u);

  // The two support setters change one bit each.
  DmSetJobCompleteSupport(Working(), 0);
  for (int i = 1; i < 12; ++i) OptSetValue(ctx, static_cast<uint16_t>(564 + i), 1);
  DmSetJobCompleteSupport(Working(), 0xFFFFFFFF);
  EXPECT_EQ(DmGetSupportFunc2Bits(Working()), 0xFFFu);
  DmSetJobErrSupport(Working(), 0xFFFFFFFD);
  EXPECT_EQ(DmGetSupportFunc2Bits(Working()), 0xFFDu);
  DmSetJobCompleteSupport(Working(), 0x2);
  EXPECT_EQ(DmGetSupportFunc2Bits(Working()), 0xFFCu);
  EXPECT_EQ(OptGetValue(ctx, 564, nullptr), 0);
  EXPECT_EQ(OptGetValue(ctx, 565, nullptr), 0);
}

TEST_F(DevModeFields, HeaderStringCopiesExactlyItsThirtyThreeBytes) {
  BYTE* dm = Working();
  dm[502] = 'F';  // zdmHFFontName follows directly
  const std::string longText(40, 'h');
  EXPECT_EQ(DmSetHFString(dm, longText.c_str()), dm);
  EXPECT_EQ(std::memcmp(OptGetValuePointer(ctx, 114, nullptr), longText.data(), 33), 0);
  EXPECT_EQ(dm[502], 'F');
  EXPECT_EQ(DmIsHFStringValid(dm), 0) << "the text runs on into the font name";
  dm[502] = 0;
  EXPECT_EQ(DmIsHFStringValid(dm), 1) << "33 characters followed by an empty font name";

  DmSetHFString(dm, "abc");
  const char expected[33] = "abc";
  EXPECT_EQ(std::memcmp(dm + 469, expected, 33), 0);
  char out[33];
  EXPECT_EQ(DmGetHFString(dm, out), out);
  EXPECT_EQ(std::memcmp(out, expected, 33), 0);

  // Through the row: the same 33 bytes.
  OptSetStringValue(ctx, OptFind(ctx, 114), u"from the row");
  DmGetHFString(dm, out);
  EXPECT_EQ(std::string(out), "from the row");
}

struct TextCheckCase {
  int (*check)(const BYTE*);
  DWORD at;
  DWORD fieldSize;
  size_t accepted;  // longest accepted text
};

TEST_F(DevModeFields, TextChecksAcceptTextsUpToTheirLimit) {
  const TextCheckCase cases[] = {
      {DmIsIniFileNameValid, 228, 16, 16},    {DmIsCDCVersionValid, 244, 16, 16},
      {DmIsZPJLVersionValid, 260, 16, 16},    {DmIsTrackIDValid, 1040, 21, 21},
      {DmIsCopyProtectFontValid, 975, 32, 32}, {DmIsHFFontNameValid, 502, 32, 32},
      {DmIsHFStringValid, 469, 33, 33},
  };
  BYTE* dm = Working();
  for (const TextCheckCase& c : cases) {
    std::memset(dm + c.at, 0, 64);
    EXPECT_EQ(c.check(dm), 1) << c.at;
    std::memset(dm + c.at, 'x', c.accepted);
    EXPECT_EQ(c.check(dm), 1) << c.at;
    dm[c.at + c.accepted] = 'y';  // the text runs on past its limit
    EXPECT_EQ(c.check(dm), 0) << c.at;
    std::memset(dm + c.at, 0, 64);
    EXPECT_EQ(c.check(nullptr), 0);
  }
}

TEST_F(DevModeFields, HeaderGettersSizesAndParts) {
  BYTE* dm = Working();
  std::memcpy(dm + 349, "priv", 4);
  const BYTE size[4] = {0xF8, 0x03, 0, 0}, version[4] = {0x4F, 0x01, 0, 0};
  std::memcpy(dm + 353, size, 4);
  std::memcpy(dm + 357, version, 4);
  OptSetValue(ctx, 35, 23);
  EXPECT_EQ(DmGetPrivateIdentity(dm), 0x76697270u);
  EXPECT_EQ(DmGetPrivateSizeField(dm), 1016u);
  EXPECT_EQ(DmGetStoredVersion(dm), 335u);
  EXPECT_EQ(DmGetMachineID(dm), 23);
  EXPECT_EQ(DmGetPrivateIdentity(nullptr), 0u);

  EXPECT_EQ(DmGetPublicSize(), 220u);
  EXPECT_EQ(DmGetPrivateSize(), 1016u);
  EXPECT_EQ(DmGetSize(), 1236u);
  EXPECT_EQ(DmGetPrinterDataBlockSize(), 5264u);
  EXPECT_EQ(DmGetImageSize(), 10640u);
  EXPECT_EQ(DmGetSize() + DmGetPrinterDataBlockSize() + 4140, DmGetImageSize());

  OptSetValue(ctx, 4, 220);  // dmSize
  EXPECT_EQ(CtxGetDevMode(ctx), dm);
  EXPECT_EQ(CtxGetDevModePrivate(ctx), dm + 220);
  EXPECT_EQ(DmGetPrivatePart(dm), dm + 220);
  EXPECT_EQ(DmGetPrivatePartFixed(dm), dm + 220);
  EXPECT_EQ(CtxGetPrinterDataBlock(ctx), dm + 1236);
  OptSetValue(ctx, 4, 212);
  EXPECT_EQ(DmGetPrivatePart(dm), dm + 212);
  EXPECT_EQ(DmGetPrivatePartFixed(dm), dm + 220);

  // Without a settings image the context forms read 0 and write nothing.
  SettingsImage* image = ctx->settingsImage;
  ctx->settingsImage = nullptr;
  CtxSetAdmin(ctx, 1);
  EXPECT_EQ(CtxGetAdmin(ctx), 0);
  EXPECT_EQ(CtxGetDevMode(ctx), nullptr);
  EXPECT_EQ(CtxGetPrinterDataBlock(ctx), nullptr);
  ctx->settingsImage = image;
  EXPECT_EQ(CtxGetAdmin(ctx), 0);
}

}  // namespace
