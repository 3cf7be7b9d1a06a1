#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/hostpath.h"
#include "win32/hostregistry.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

using namespace zolt::host;

namespace {

std::u16string S(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(u"<null>"); }

// The two-call pattern of the record calls: the size query must fail with
// ERROR_INSUFFICIENT_BUFFER and report the size; a buffer one byte short fails the same way.
template <class Call>
std::vector<BYTE> TwoCalls(Call call) {
  DWORD needed = 0;
  SetLastError(0);
  EXPECT_FALSE(call(nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GT(needed, 0u);
  std::vector<BYTE> buf(needed + 64, 0);
  DWORD again = 0;
  EXPECT_FALSE(call(buf.data(), needed - 1, &again));
  EXPECT_EQ(again, needed);
  EXPECT_TRUE(call(buf.data(), needed, &again)) << GetLastError();
  buf.resize(needed);
  return buf;
}

std::string Devmode(WORD driverExtra, char fill) {
  std::string dm(220 + driverExtra, fill);
  std::memcpy(dm.data(), u"ZOLT Office 7000", 34);
  WORD size = 220;
  std::memcpy(dm.data() + 68, &size, 2);
  std::memcpy(dm.data() + 70, &driverExtra, 2);
  return dm;
}

class SpoolerTest : public zolt::test::DriverMachineTest {};

TEST_F(SpoolerTest, PrinterRecordLevels) {
  HANDLE h = OpenTestPrinter();
  ASSERT_NE(h, nullptr);
  auto buf = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(h, 2, b, n, need); });
  auto* p2 = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
  EXPECT_EQ(p2->pServerName, nullptr);
  EXPECT_EQ(S(p2->pPrinterName), kPrinterName);
  EXPECT_EQ(S(p2->pDriverName), kDriverName);
  EXPECT_EQ(S(p2->pPortName), u"LPT1:");
  EXPECT_EQ(S(p2->pShareName), u"");
  EXPECT_EQ(S(p2->pPrintProcessor), u"winprint");
  EXPECT_EQ(p2->pDevMode, nullptr);
  EXPECT_EQ(p2->Attributes, DWORD(PRINTER_ATTRIBUTE_LOCAL));
  // Every string lies inside the reported size.
  for (LPWSTR s : {p2->pPrinterName, p2->pShareName, p2->pPortName, p2->pDriverName, p2->pComment, p2->pLocation,
                   p2->pSepFile, p2->pPrintProcessor, p2->pDatatype, p2->pParameters}) {
    auto* at = reinterpret_cast<BYTE*>(s);
    EXPECT_TRUE(at >= buf.data() + sizeof(PRINTER_INFO_2W) && at + (WideLength(s) + 1) * 2 <= buf.data() + buf.size());
  }
  auto b4 = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(h, 4, b, n, need); });
  EXPECT_EQ(S(reinterpret_cast<PRINTER_INFO_4W*>(b4.data())->pPrinterName), kPrinterName);
  auto b1 = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(h, 1, b, n, need); });
  EXPECT_EQ(S(reinterpret_cast<PRINTER_INFO_1W*>(b1.data())->pDescription),
            std::u16string(kPrinterName) + u"," + kDriverName + u",");
  DWORD need = 0;
  EXPECT_FALSE(GetPrinterW(h, 3, nullptr, 0, &need));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_FALSE(ClosePrinter(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(SpoolerTest, DriverInfoNamesFullPathsOfInstalledFiles) {
  HANDLE h = OpenTestPrinter();
  std::u16string dir = FromUtf8(Machine::Facts().DriverDirectory()) + u"\\";
  EXPECT_EQ(dir, u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\");
  auto b2 = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterDriverW(h, nullptr, 2, b, n, need); });
  auto* d2 = reinterpret_cast<DRIVER_INFO_2W*>(b2.data());
  EXPECT_EQ(d2->cVersion, 3u);
  EXPECT_EQ(S(d2->pName), kDriverName);
  EXPECT_EQ(S(d2->pEnvironment), u"Windows x64");
  EXPECT_EQ(S(d2->pDataFile), dir + u"ZOLT7000.QCS");
  auto b3 = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterDriverW(h, nullptr, 3, b, n, need); });
  auto* d3 = reinterpret_cast<DRIVER_INFO_3W*>(b3.data());
  EXPECT_EQ(S(d3->pDriverPath), dir + u"zoltgr.dll");
  EXPECT_EQ(S(d3->pConfigFile), dir + u"zoltui.dll");
  EXPECT_EQ(S(d3->pDataFile), dir + u"ZOLT7000.QCS");
  EXPECT_EQ(S(d3->pDefaultDataType), u"RAW");
  std::vector<std::u16string> dependents;
  for (const WCHAR* p = d3->pDependentFiles; *p; p += WideLength(p) + 1) dependents.emplace_back(p);
  EXPECT_NE(std::find(dependents.begin(), dependents.end(), dir + u"zoltexc.dll"), dependents.end());
  EXPECT_EQ(std::find(dependents.begin(), dependents.end(), dir + u"zoltgr.dll"), dependents.end());
  for (const std::u16string& file : {S(d3->pDriverPath), S(d3->pConfigFile), S(d3->pDataFile), dependents.front()}) {
    DWORD error = 0;
    EXPECT_TRUE(MapPath(file, Resolve::Existing, &error)) << ToUtf8(file);
  }
  DWORD need = 0;
  std::u16string x86 = u"Windows NT x86", bogus = u"Bogus";
  EXPECT_FALSE(GetPrinterDriverW(h, x86.data(), 2, nullptr, 0, &need));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  EXPECT_FALSE(GetPrinterDriverW(h, bogus.data(), 2, nullptr, 0, &need));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ENVIRONMENT));
  auto dd = TwoCalls([&](BYTE* b, DWORD n, DWORD* need2) {
    return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, b, n, need2);
  });
  EXPECT_EQ(S(reinterpret_cast<WCHAR*>(dd.data())), u"C:\\Windows\\System32\\spool\\drivers\\x64");
  ClosePrinter(h);
}

struct DataCase {
  const char* what;
  const char16_t* name;
  DWORD type;
  std::string data;
};

TEST_F(SpoolerTest, PrinterDataKeepTypesAndBytes) {
  const std::vector<DataCase> cases = {
      {"text without terminator", u"SPLUserModePrinterDriver", REG_SZ, RegText(u"zoltgr", false)},
      {"text with terminator", u"DriverGRFileName", REG_SZ, RegText(u"zoltgr.dll")},
      {"number", u"AdminChange", REG_DWORD, RegNumber(1)},
      {"one byte", u"BidiFunc", REG_BINARY, std::string("\x01", 1)},
      {"two bytes", u"DeviceFontNum", REG_BINARY, std::string("\x03\x00", 2)},
      {"settings image", u"LockDefaultData", REG_BINARY, std::string(10640, '\x5A')},
      {"multi text", u"Trays", REG_MULTI_SZ, RegMultiText({u"Tray1", u"Tray2"})},
      {"qword", u"Big", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"empty", u"Nothing", REG_NONE, std::string()},
  };
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  for (const auto& c : cases) {
    std::u16string name = c.name;
    EXPECT_EQ(SetPrinterDataW(admin, name.data(), c.type, reinterpret_cast<BYTE*>(const_cast<char*>(c.data.data())),
                              DWORD(c.data.size())),
              DWORD(ERROR_SUCCESS))
        << c.what;
  }
  Machine::Reload();  // from the hive file
  HANDLE user = OpenTestPrinter(PRINTER_ACCESS_USE);
  for (const auto& c : cases) {
    std::u16string name = c.name;
    DWORD type = 0, needed = 0;
    std::vector<BYTE> buf(c.data.size() + 8, 0xEE);
    ASSERT_EQ(GetPrinterDataW(user, name.data(), &type, buf.data(), DWORD(buf.size()), &needed), DWORD(ERROR_SUCCESS))
        << c.what;
    EXPECT_EQ(needed, c.data.size()) << c.what;
    EXPECT_EQ(type, c.type) << c.what;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.data()), needed), c.data) << c.what;
    EXPECT_EQ(buf[needed], 0xEE) << c.what;
    // The same through the Ex call on the key, and in the registry where the platform keeps it.
    std::vector<BYTE> ex(c.data.size() + 1);
    ASSERT_EQ(GetPrinterDataExW(user, u"PrinterDriverData", c.name, &type, ex.data(), DWORD(ex.size()), &needed),
              DWORD(ERROR_SUCCESS));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ex.data()), needed), c.data);
  }
  HKEY key = nullptr;
  std::u16string path = std::u16string(kPrintersKey) + u"\\" + kPrinterName + u"\\PrinterDriverData";
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"splusermodeprinterdriver", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 12u);
  RegCloseKey(key);

  // Fixed-size reads: a larger stored value fails and reports its size, a smaller one succeeds
  // with fewer bytes, a missing one is ERROR_FILE_NOT_FOUND.
  std::u16string image = u"LockDefaultData", flag = u"AdminChange", missing = u"BidiFlag";
  DWORD value = 0, needed = 0, type = 0;
  EXPECT_EQ(GetPrinterDataW(user, image.data(), &type, reinterpret_cast<BYTE*>(&value), 4, &needed),
            DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(needed, 10640u);
  BYTE wide[8] = {};
  EXPECT_EQ(GetPrinterDataW(user, flag.data(), &type, wide, 8, &needed), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(needed, 4u);
  EXPECT_EQ(GetPrinterDataW(user, missing.data(), &type, wide, 8, &needed), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(DeletePrinterDataW(admin, image.data()), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(DeletePrinterDataW(admin, image.data()), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetPrinterDataW(user, image.data(), &type, wide, 8, &needed), DWORD(ERROR_FILE_NOT_FOUND));
  ClosePrinter(user);
  ClosePrinter(admin);
}

TEST_F(SpoolerTest, PrinterDataSetByAnotherProcessIsSeenThroughAnOpenHandle) {
  HANDLE user = OpenTestPrinter(PRINTER_ACCESS_USE);
  std::u16string name = u"PresetRefresh";
  DWORD value = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataW(user, name.data(), nullptr, reinterpret_cast<BYTE*>(&value), 4, &needed),
            DWORD(ERROR_FILE_NOT_FOUND));
  pid_t pid = ::fork();
  if (pid == 0) {
    std::u16string printer = kPrinterName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    DWORD one = 1;
    bool ok = OpenPrinterW(printer.data(), &h, &defaults) &&
              SetPrinterDataW(h, name.data(), REG_DWORD, reinterpret_cast<BYTE*>(&one), 4) == ERROR_SUCCESS &&
              ClosePrinter(h);
    ::_exit(ok ? 0 : 1);
  }
  int status = -1;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(GetPrinterDataW(user, name.data(), nullptr, reinterpret_cast<BYTE*>(&value), 4, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(value, 1u);
  ClosePrinter(user);
}

TEST_F(SpoolerTest, UseHandlesReadButDoNotChange) {
  HANDLE user = OpenTestPrinter(PRINTER_ACCESS_USE);
  HANDLE admin = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
  std::u16string bidi = u"BidiFlag";
  DWORD one = 1;
  ASSERT_EQ(SetPrinterDataW(admin, bidi.data(), REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), DWORD(ERROR_SUCCESS));
  // The probe of the driver: read the value and write it back unchanged.
  DWORD value = 0, needed = 0, type = 0;
  ASSERT_EQ(GetPrinterDataW(user, bidi.data(), &type, reinterpret_cast<BYTE*>(&value), 4, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(SetPrinterDataW(user, bidi.data(), type, reinterpret_cast<BYTE*>(&value), 4), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(DeletePrinterDataW(user, bidi.data()), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(SetPrinterDataExW(user, u"DsSpooler", u"x", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(DeletePrinterKeyW(user, u"PrinterDriverData"), DWORD(ERROR_ACCESS_DENIED));
  std::vector<BYTE> info(4096);
  ASSERT_TRUE(GetPrinterW(user, 2, info.data(), DWORD(info.size()), &needed));
  EXPECT_FALSE(SetPrinterW(user, 2, info.data(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  ClosePrinter(user);
  ClosePrinter(admin);

  HANDLE h = nullptr;
  std::u16string unknown = u"No Such Printer";
  EXPECT_FALSE(OpenPrinterW(unknown.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(h, nullptr);
  std::u16string bad = u"\\\\server";
  EXPECT_FALSE(OpenPrinterW(bad.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
}

class NonAdminSpoolerTest : public zolt::test::DriverMachineTest {
 protected:
  MachineFacts Facts() const override {
    MachineFacts f;
    f.userIsAdmin = false;
    return f;
  }
};

TEST_F(NonAdminSpoolerTest, AdministeringNeedsAnAdministrator) {
  std::u16string name = kPrinterName;
  struct Case {
    ACCESS_MASK access;
    bool opens;
  } cases[] = {
      {PRINTER_ACCESS_USE, true},   {0, true},          {PRINTER_READ, true},          {MAXIMUM_ALLOWED, true},
      {PRINTER_ALL_ACCESS, false},  {PRINTER_ACCESS_ADMINISTER, false}, {GENERIC_ALL, false}, {WRITE_DAC, false},
  };
  for (const auto& c : cases) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, c.access};
    HANDLE h = nullptr;
    SetLastError(0);
    EXPECT_EQ(bool(OpenPrinterW(name.data(), &h, &defaults)), c.opens) << std::hex << c.access;
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }
    if (h) {
      std::u16string v = u"x";
      EXPECT_EQ(SetPrinterDataW(h, v.data(), REG_BINARY, reinterpret_cast<BYTE*>(&h), 1), DWORD(ERROR_ACCESS_DENIED));
      ClosePrinter(h);
    }
  }
}

TEST_F(SpoolerTest, EnumeratingPrinterData) {
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  WCHAR name[64];
  BYTE data[64];
  DWORD cbName = 0, cbData = 0, type = 0;
  EXPECT_EQ(EnumPrinterDataW(admin, 0, nullptr, 0, &cbName, &type, nullptr, 0, &cbData), DWORD(ERROR_NO_MORE_ITEMS));
  std::u16string a = u"Permission", b = u"ZOLTPrinterName";
  std::string text = RegText(u"Office");
  DWORD perm = 7;
  SetPrinterDataW(admin, a.data(), REG_DWORD, reinterpret_cast<BYTE*>(&perm), 4);
  SetPrinterDataW(admin, b.data(), REG_SZ, reinterpret_cast<BYTE*>(text.data()), DWORD(text.size()));
  ASSERT_EQ(EnumPrinterDataW(admin, 0, nullptr, 0, &cbName, &type, nullptr, 0, &cbData), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(cbName, DWORD((b.size() + 1) * 2));
  EXPECT_EQ(cbData, DWORD(text.size()));
  std::vector<std::u16string> names;
  for (DWORD i = 0;; ++i) {
    DWORD rc = EnumPrinterDataW(admin, i, name, sizeof name, &cbName, &type, data, sizeof data, &cbData);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, DWORD(ERROR_SUCCESS));
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{a, b}));
  EXPECT_EQ(EnumPrinterDataW(admin, 1, name, 4, &cbName, &type, data, sizeof data, &cbData), DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(cbName, DWORD((b.size() + 1) * 2));
  ClosePrinter(admin);
}

TEST_F(SpoolerTest, KeyedPrinterData) {
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  WCHAR text[300];
  DWORD type = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataExW(admin, u"DsSpooler", u"printerName", &type, reinterpret_cast<BYTE*>(text), 260, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(text), kPrinterName);
  ASSERT_EQ(GetPrinterDataExW(admin, u"dsspooler", u"SHORTSERVERNAME", &type, reinterpret_cast<BYTE*>(text), 260,
                              &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(text), u"ZOLTHOST");
  BYTE one = 1;
  ASSERT_EQ(SetPrinterDataExW(admin, u"Zolt\\Options", u"Lock", REG_BINARY, &one, 1), DWORD(ERROR_SUCCESS));
  auto keys = [&](const char16_t* under) {
    DWORD bytes = 0;
    EXPECT_EQ(EnumPrinterKeyW(admin, under, nullptr, 0, &bytes), DWORD(ERROR_MORE_DATA));
    std::vector<WCHAR> list(bytes / 2);
    EXPECT_EQ(EnumPrinterKeyW(admin, under, list.data(), bytes, &bytes), DWORD(ERROR_SUCCESS));
    std::vector<std::u16string> out;
    for (const WCHAR* p = list.data(); *p; p += WideLength(p) + 1) out.emplace_back(p);
    return out;
  };
  EXPECT_EQ(keys(u""), (std::vector<std::u16string>{u"DsSpooler", u"PrinterDriverData", u"Zolt"}));
  EXPECT_EQ(keys(u"Zolt"), (std::vector<std::u16string>{u"Options"}));
  DWORD bytes = 0, count = 0;
  EXPECT_EQ(EnumPrinterDataExW(admin, u"Zolt\\Options", nullptr, 0, &bytes, &count), DWORD(ERROR_MORE_DATA));
  std::vector<BYTE> values(bytes);
  ASSERT_EQ(EnumPrinterDataExW(admin, u"Zolt\\Options", values.data(), bytes, &bytes, &count), DWORD(ERROR_SUCCESS));
  ASSERT_EQ(count, 1u);
  auto* v = reinterpret_cast<PRINTER_ENUM_VALUESW*>(values.data());
  EXPECT_EQ(S(v->pValueName), u"Lock");
  EXPECT_EQ(v->cbData, 1u);
  EXPECT_EQ(v->pData[0], 1);
  struct Case {
    const char* what;
    DWORD got, want;
  } cases[] = {
      {"empty key name", GetPrinterDataExW(admin, u"", u"Lock", &type, &one, 1, &needed), ERROR_INVALID_PARAMETER},
      {"missing key", GetPrinterDataExW(admin, u"Nope", u"Lock", &type, &one, 1, &needed), ERROR_FILE_NOT_FOUND},
      {"delete value", DeletePrinterDataExW(admin, u"Zolt\\Options", u"lock"), ERROR_SUCCESS},
      {"deleted value", GetPrinterDataExW(admin, u"Zolt\\Options", u"Lock", &type, &one, 1, &needed),
       ERROR_FILE_NOT_FOUND},
      {"delete key tree", DeletePrinterKeyW(admin, u"Zolt"), ERROR_SUCCESS},
      {"deleted key", EnumPrinterKeyW(admin, u"Zolt", nullptr, 0, &needed), ERROR_FILE_NOT_FOUND},
      {"bad handle", GetPrinterDataExW(nullptr, u"A", u"B", &type, &one, 1, &needed), ERROR_INVALID_HANDLE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  ClosePrinter(admin);
}

TEST_F(SpoolerTest, SetPrinterKeepsTheDefaultDeviceModeAsBytes) {
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  auto buf = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(admin, 2, b, n, need); });
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
  std::string dm = Devmode(1016, '\x3C');  // 1236 bytes
  std::u16string comment = u"Second floor";
  info->pDevMode = reinterpret_cast<LPDEVMODEW>(dm.data());
  info->pComment = comment.data();
  info->Attributes |= PRINTER_ATTRIBUTE_ENABLE_BIDI;
  ASSERT_TRUE(SetPrinterW(admin, 2, buf.data(), 0)) << GetLastError();
  Machine::Reload();
  auto back = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(admin, 2, b, n, need); });
  auto* info2 = reinterpret_cast<PRINTER_INFO_2W*>(back.data());
  ASSERT_NE(info2->pDevMode, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info2->pDevMode), 1236), dm);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(info2->pDevMode) % 4, 0u);
  EXPECT_EQ(S(info2->pComment), comment);
  EXPECT_TRUE(info2->Attributes & PRINTER_ATTRIBUTE_ENABLE_BIDI);
  HKEY key = nullptr;
  std::u16string path = std::u16string(kPrintersKey) + u"\\" + kPrinterName;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Default DevMode", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(size, 1236u);
  RegCloseKey(key);
  // A device mode whose header is not one is refused.
  std::string junk(80, '\0');  // dmSize 0
  info->pDevMode = reinterpret_cast<LPDEVMODEW>(junk.data());
  EXPECT_FALSE(SetPrinterW(admin, 2, buf.data(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ClosePrinter(admin);
}

TEST_F(SpoolerTest, RenamingKeepsThePrinterData) {
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  std::u16string value = u"BatchInstallDone";
  DWORD one = 1;
  ASSERT_EQ(SetPrinterDataW(admin, value.data(), REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), DWORD(ERROR_SUCCESS));
  auto buf = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(admin, 2, b, n, need); });
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
  std::u16string renamed = u"Front Desk", other = u"Front,Desk";
  info->pPrinterName = other.data();
  EXPECT_FALSE(SetPrinterW(admin, 2, buf.data(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  info->pPrinterName = renamed.data();
  ASSERT_TRUE(SetPrinterW(admin, 2, buf.data(), 0)) << GetLastError();
  EXPECT_EQ(ListPrinters(), (std::vector<std::u16string>{renamed}));
  DWORD value2 = 0, needed = 0;
  EXPECT_EQ(GetPrinterDataW(admin, value.data(), nullptr, reinterpret_cast<BYTE*>(&value2), 4, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(value2, 1u);
  WCHAR text[64];
  ASSERT_EQ(GetPrinterDataExW(admin, u"DsSpooler", u"printerName", nullptr, reinterpret_cast<BYTE*>(text), 128,
                              &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(S(text), renamed);
  std::u16string old = kPrinterName;
  HANDLE h = nullptr;
  EXPECT_FALSE(OpenPrinterW(old.data(), &h, nullptr));
  ASSERT_TRUE(OpenPrinterW(renamed.data(), &h, nullptr));
  ClosePrinter(h);
  // Pausing and resuming through the commands of level 0.
  ASSERT_TRUE(SetPrinterW(admin, 0, nullptr, PRINTER_CONTROL_PAUSE));
  auto paused = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(admin, 2, b, n, need); });
  EXPECT_EQ(reinterpret_cast<PRINTER_INFO_2W*>(paused.data())->Status, DWORD(PRINTER_STATUS_PAUSED));
  ASSERT_TRUE(SetPrinterW(admin, 0, nullptr, PRINTER_CONTROL_RESUME));
  EXPECT_FALSE(SetPrinterW(admin, 0, nullptr, 99));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_COMMAND));
  ClosePrinter(admin);
}

TEST_F(SpoolerTest, ClientConnections) {
  PrinterSetup remote;
  remote.name = u"P1";
  remote.driver = kDriverName;
  std::string error;
  ASSERT_TRUE(AddClientConnection({u"printsrv01", u"PS1", false}, remote, &error)) << error;
  remote.name = u"P2";
  ASSERT_TRUE(AddClientConnection({u"printsrv02", u"", true}, remote, &error)) << error;
  EXPECT_FALSE(AddClientConnection({u"ZOLTHOST", u"", false}, remote, &error));
  EXPECT_FALSE(AddClientConnection({u"printsrv02", u"", true}, remote, &error));  // exists

  struct Case {
    const char16_t* open;
    const char16_t* server;
    const char16_t* printer;
  } cases[] = {
      {u"\\\\printsrv01\\P1", u"\\\\printsrv01", u"\\\\printsrv01\\P1"},
      {u"\\\\PRINTSRV01\\p1", u"\\\\printsrv01", u"\\\\printsrv01\\P1"},
      {u"\\\\CSR|printsrv02\\P2", u"\\\\printsrv02", u"\\\\CSR|printsrv02\\P2"},
      {u"\\\\printsrv02\\P2", u"\\\\printsrv02", u"\\\\printsrv02\\P2"},
      {u"\\\\zolthost\\ZOLT Office 7000", u"\\\\ZOLTHOST", u"\\\\ZOLTHOST\\ZOLT Office 7000"},
  };
  for (const auto& c : cases) {
    std::u16string name = c.open;
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr)) << ToUtf8(name) << " " << GetLastError();
    auto buf = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetPrinterW(h, 2, b, n, need); });
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
    EXPECT_EQ(S(info->pServerName), c.server);
    EXPECT_EQ(S(info->pPrinterName), c.printer);
    ClosePrinter(h);
  }
  std::u16string p1 = u"\\\\printsrv01\\P1";
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(p1.data(), &h, nullptr));
  WCHAR text[130];
  DWORD type = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataExW(h, u"DsSpooler", u"shortServerName", &type, reinterpret_cast<BYTE*>(text), 260, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(text), u"PS1");
  ClosePrinter(h);

  DWORD needed4 = 0, count = 0;
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed4, &count));
  std::vector<BYTE> buf(needed4);
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 4, buf.data(), needed4, &needed4, &count));
  ASSERT_EQ(count, 2u);
  auto* p4 = reinterpret_cast<PRINTER_INFO_4W*>(buf.data());
  EXPECT_EQ(S(p4[0].pPrinterName), u"\\\\printsrv01\\P1");
  EXPECT_EQ(S(p4[1].pPrinterName), u"\\\\CSR|printsrv02\\P2");
  EXPECT_TRUE(p4[1].Attributes & PRINTER_ATTRIBUTE_NETWORK);

  ASSERT_TRUE(DeletePrinter(u"\\\\printsrv01\\P1", &error)) << error;
  EXPECT_FALSE(OpenPrinterW(p1.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
}

class XpSpoolerTest : public zolt::test::DriverMachineTest {
 protected:
  MachineFacts Facts() const override {
    MachineFacts f;
    f.majorVersion = 5;
    f.minorVersion = 1;
    return f;
  }
};

TEST_F(XpSpoolerTest, TheCsrFormIsAVistaName) {
  PrinterSetup remote;
  remote.name = u"P2";
  remote.driver = kDriverName;
  ASSERT_TRUE(AddClientConnection({u"printsrv02", u"", true}, remote));
  std::u16string csr = u"\\\\CSR|printsrv02\\P2", plain = u"\\\\printsrv02\\P2";
  HANDLE h = nullptr;
  EXPECT_FALSE(OpenPrinterW(csr.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  ASSERT_TRUE(OpenPrinterW(plain.data(), &h, nullptr));
  ClosePrinter(h);
  EXPECT_EQ(FromUtf8(Machine::Facts().DriverDirectory()), u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
}

TEST_F(SpoolerTest, LocalPrintersDefaultPrinterAndDeletion) {
  PrinterSetup second;
  second.name = u"Annex";
  second.driver = kDriverName;
  second.shareName = u"annex";
  std::string error;
  ASSERT_TRUE(AddPrinter(second, &error)) << error;
  EXPECT_FALSE(AddPrinter(second, &error));  // exists
  second.name = u"Bad\\Name";
  EXPECT_FALSE(AddPrinter(second, &error));
  second.name = u"Other";
  second.driver = u"No Such Driver";
  EXPECT_FALSE(AddPrinter(second, &error));

  DWORD needed = 0, count = 0;
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buf(needed);
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buf.data(), needed, &needed, &count));
  ASSERT_EQ(count, 2u);
  auto* p2 = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
  EXPECT_EQ(S(p2[0].pPrinterName), u"Annex");
  EXPECT_TRUE(p2[0].Attributes & PRINTER_ATTRIBUTE_SHARED);
  EXPECT_EQ(S(p2[1].pPrinterName), kPrinterName);
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 4, nullptr, 0, &needed, &count));
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 4, buf.data(), needed, &needed, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(S(reinterpret_cast<PRINTER_INFO_4W*>(buf.data())->pPrinterName), kPrinterName);

  // The first printer became the default.
  DWORD cch = 0;
  EXPECT_FALSE(GetDefaultPrinterW(nullptr, &cch));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cch, DWORD(std::u16string(kPrinterName).size() + 1));
  std::vector<WCHAR> def(cch);
  ASSERT_TRUE(GetDefaultPrinterW(def.data(), &cch));
  EXPECT_EQ(S(def.data()), kPrinterName);
  ASSERT_TRUE(SetDefaultPrinterW(u"annex"));
  cch = DWORD(def.size());
  ASSERT_TRUE(GetDefaultPrinterW(def.data(), &cch));
  EXPECT_EQ(S(def.data()), u"Annex");
  EXPECT_FALSE(SetDefaultPrinterW(u"Nope"));

  HANDLE h = OpenTestPrinter();
  ASSERT_TRUE(DeletePrinter(kPrinterName, &error)) << error;
  EXPECT_FALSE(GetPrinterW(h, 2, buf.data(), DWORD(buf.size()), &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  ClosePrinter(h);
  EXPECT_EQ(ListPrinters(), (std::vector<std::u16string>{u"Annex"}));
  ASSERT_TRUE(DeletePrinter(u"Annex", &error));
  cch = DWORD(def.size());
  EXPECT_FALSE(GetDefaultPrinterW(def.data(), &cch));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(SpoolerTest, BuiltInForms) {
  HANDLE h = OpenTestPrinter();
  DWORD needed = 0, count = 0;
  EXPECT_FALSE(EnumFormsW(h, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buf(needed);
  ASSERT_TRUE(EnumFormsW(h, 1, buf.data(), needed, &needed, &count));
  ASSERT_GE(count, 47u);
  auto* forms = reinterpret_cast<FORM_INFO_1W*>(buf.data());
  struct Case {
    DWORD paper;  // the paper number: form paper - 1
    const char16_t* name;
    LONG cx, cy;
  } cases[] = {{1, u"Letter", 215900, 279400},   {5, u"Legal", 215900, 355600},    {7, u"Executive", 184150, 266700},
               {8, u"A3", 297000, 420000},       {9, u"A4", 210000, 297000},      {11, u"A5", 148000, 210000},
               {12, u"B4 (JIS)", 257000, 364000}, {13, u"B5 (JIS)", 182000, 257000}, {3, u"Tabloid", 279400, 431800},
               {20, u"Envelope #10", 104775, 241300}, {27, u"Envelope DL", 110000, 220000}};
  for (const auto& c : cases) {
    const FORM_INFO_1W& f = forms[c.paper - 1];
    EXPECT_EQ(S(f.pName), c.name);
    EXPECT_EQ(f.Size.cx, c.cx) << ToUtf8(c.name);
    EXPECT_EQ(f.Size.cy, c.cy) << ToUtf8(c.name);
    EXPECT_EQ(f.ImageableArea.right, c.cx);
    EXPECT_EQ(f.ImageableArea.bottom, c.cy);
    EXPECT_EQ(f.Flags, DWORD(FORM_BUILTIN));
  }
  std::u16string a4 = u"a4", none = u"A0";
  auto one = TwoCalls([&](BYTE* b, DWORD n, DWORD* need) { return GetFormW(h, a4.data(), 1, b, n, need); });
  EXPECT_EQ(reinterpret_cast<FORM_INFO_1W*>(one.data())->Size.cy, 297000);
  EXPECT_FALSE(GetFormW(h, none.data(), 1, buf.data(), DWORD(buf.size()), &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FORM_NAME));
  EXPECT_FALSE(EnumFormsW(h, 2, buf.data(), DWORD(buf.size()), &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  ClosePrinter(h);
}

}  // namespace

// PrinterProperties hands the printer to its interface module's PrinterProperties (whose sheet
// closes unattended here); a handle that is no printer's fails without loading anything.
TEST_F(SpoolerTest, PrinterPropertiesGoesToTheInterfaceModule) {
  SetLastError(0);
  EXPECT_FALSE(PrinterProperties(nullptr, reinterpret_cast<HANDLE>(0x1234)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  HANDLE printer = OpenTestPrinter(PRINTER_ALL_ACCESS);
  ASSERT_NE(printer, nullptr);
  SetLastError(0);
  PrinterProperties(nullptr, printer);
  EXPECT_NE(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  ClosePrinter(printer);
}
