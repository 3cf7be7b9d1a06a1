// The user code read from the printer's data or from the installation-defaults file.
#include <gtest/gtest.h>

#include <string>

#include "../settings/option_store_fixture.h"
#include "user_code.h"

namespace {

using zolt::test::Bytes;
using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

constexpr uint16_t kLogCodeUse = 10002, kLogCode = 10003, kDllLogCode = 10273, kUserCodeFix = 738;

class UserCode : public zolt::test::StoreContextTest {
 protected:
  std::u16string File() {
    WCHAR path[MAX_PATH] = {};
    EXPECT_EQ(PathInSharedDir(path, MAX_PATH, u"QV00C170.ini", ctx), 1);
    return path;
  }
  std::string FileText() { return ReadBytes(Real(File())); }
  void PutFile(const std::string& text) { WriteBytes(Real(File()), text); }
  // Known values everywhere, so that what a read leaves alone shows.
  void Preset() {
    Set(kLogCodeUse, 7);
    SetText(kLogCode, u"OLD");
    SetText(kDllLogCode, u"OLDDLL");
    Set(kUserCodeFix, 9);
  }
};

TEST_F(UserCode, ServerGivenCodeComesFromPrinterDataAndLeavesTheFileAlone) {
  Put(u"ServerUse", Bytes({1}));
  Put(u"UserCodeUse", Bytes({1}));
  Put(u"UserCode", std::string("1234", 5));
  Preset();
  EXPECT_EQ(UcodeLoadForJobControl(ctx), 1);
  EXPECT_EQ(Get(kLogCodeUse), 1);
  EXPECT_EQ(Text(kLogCode), u"1234");
  EXPECT_EQ(Text(kDllLogCode), u"OLDDLL");
  EXPECT_EQ(Get(kUserCodeFix), 9);
  EXPECT_EQ(GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);

  // Nine bytes without a terminator give the first eight; an unreadable use flag reads 0, a
  // wider server flag its low byte.
  Put(u"ServerUse", Bytes({2, 0, 0, 0}));
  Drop(u"UserCodeUse");
  Put(u"UserCode", "ABCDEFGHI");
  EXPECT_EQ(UcodeLoadForJobControl(ctx), 1);
  EXPECT_EQ(Get(kLogCodeUse), 0);
  EXPECT_EQ(Text(kLogCode), u"ABCDEFGH");
  // A code longer than its nine bytes cannot be read: the code is empty.
  Put(u"UserCode", "ABCDEFGHIJKL");
  EXPECT_EQ(UcodeLoadForJobControl(ctx), 1);
  EXPECT_EQ(Text(kLogCode), u"");
}

TEST_F(UserCode, PrinterOfAPrintServerHasNoSource) {
  Put(u"ServerUse", Bytes({1}));
  ctx->workArea->remoteState = 1;  // reached through a print server
  Preset();
  EXPECT_EQ(UcodeLoadForJobControl(ctx), 0);
  EXPECT_EQ(Text(kLogCode), u"OLD");
  EXPECT_EQ(GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UserCode, MissingFileIsCreatedWithNoCodeInUse) {
  Put(u"ServerUse", Bytes({0}));
  Preset();
  EXPECT_EQ(UcodeLoadForJobControl(ctx), 1);
  EXPECT_EQ(FileText(),
            "[ZOLT Office 7000]\r\nUserCode=0\r\nUserCodeString=\r\n[ORVEX UserCode]\r\nMRUUserCode=\r\n");
  EXPECT_EQ(Get(kLogCodeUse), 0);
  EXPECT_EQ(Text(kLogCode), u"");
  EXPECT_EQ(Text(kDllLogCode), u"");
  EXPECT_EQ(Get(kUserCodeFix), 0);
}

TEST_F(UserCode, InstallationDefaultsFileCases) {
  struct Case {
    const char* what;
    std::string file;
    int32_t use;
    std::u16string code;
    int32_t fix;
    std::string fileAfter;  // empty: unchanged
  };
  const Case cases[] = {
      {"code in use",
       "[ZOLT Office 7000]\r\nUserCode=1\r\nUserCodeString=ACCT42\r\nUserCodeFIX=1\r\n[ORVEX UserCode]\r\n"
       "MRUUserCode=LAST\r\n",
       1, u"ACCT42", 1, ""},
      {"\"0\" still counts as given: its own text, not the machine's last",
       "[ZOLT Office 7000]\r\nUserCode=0\r\nUserCodeString=MINE\r\n[ORVEX UserCode]\r\nMRUUserCode=LAST\r\n", 0,
       u"MINE", 0, ""},
      {"printer not in the file takes the machine's last code",
       "[ORVEX UserCode]\r\nMRUUserCode=LAST\r\n", 0, u"LAST", 0,
       "[ORVEX UserCode]\r\nMRUUserCode=LAST\r\n[ZOLT Office 7000]\r\nUserCode=0\r\nUserCodeString=LAST\r\n"},
      {"neither", "[Other]\r\nUserCode=1\r\n", 0, u"", 0,
       "[Other]\r\nUserCode=1\r\n[ZOLT Office 7000]\r\nUserCode=0\r\nUserCodeString=\r\n"},
      {"a long code is bounded by its field",
       "[ZOLT Office 7000]\r\nUserCode=1\r\nUserCodeString=" + std::string(400, '7') + "\r\nUserCodeFIX=x\r\n", 1,
       std::u16string(8, u'7'), 0, ""},
  };
  for (const Case& c : cases) {
    PutFile(c.file);
    Preset();
    EXPECT_EQ(UcodeLoadFromInstallDefaults(ctx), 1) << c.what;
    EXPECT_EQ(Get(kLogCodeUse), c.use) << c.what;
    EXPECT_EQ(Text(kLogCode), c.code) << c.what;
    EXPECT_EQ(Text(kDllLogCode), c.code) << c.what;
    EXPECT_EQ(Get(kUserCodeFix), c.fix) << c.what;
    EXPECT_EQ(FileText(), c.fileAfter.empty() ? c.file : c.fileAfter) << c.what;
  }
}

TEST_F(UserCode, EntryPointsOfTheSwitchedOffFamilyDoNothing) {
  PutFile("[ZOLT Office 7000]\r\nUserCode=1\r\nUserCodeString=ACCT42\r\n");
  Preset();
  EXPECT_EQ(UcodeSyncIniAtInit(ctx), 1);
  EXPECT_EQ(UcodeLoadFromIni(ctx), 1);
  UcodeQueryProvider(ctx);
  UcodeSaveToIni(ctx);
  EXPECT_EQ(Text(kLogCode), u"OLD");
  EXPECT_EQ(FileText(), "[ZOLT Office 7000]\r\nUserCode=1\r\nUserCodeString=ACCT42\r\n");
}

}  // namespace
