#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/hostregistry.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

using namespace zolt::host;

namespace {

std::string Bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }

// Opens (creating) a key of HKCU or HKLM with all rights; fails the test otherwise.
HKEY MakeKey(HKEY root, const char16_t* path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  return key;
}

std::string QueryBytes(HKEY key, const char16_t* name, DWORD* type = nullptr) {
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, name, nullptr, type, nullptr, &size), ERROR_SUCCESS);
  std::string data(size, '\0');
  EXPECT_EQ(RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size), ERROR_SUCCESS);
  data.resize(size);
  return data;
}

class RegistryTest : public zolt::test::MachineTest {};

struct TypedCase {
  const char* what;
  DWORD type;
  std::string data;
};

TEST_F(RegistryTest, EveryTypeReadsBackByteExactAfterTheHiveIsReadAgain) {
  const std::vector<TypedCase> cases = {
      {"sz with terminator", REG_SZ, RegText(u"C:\\Windows\\Temp")},
      {"sz without terminator", REG_SZ, RegText(u"SPLUserMode", false)},
      {"sz of odd size", REG_SZ, std::string("A\0B", 3)},
      {"empty sz", REG_SZ, std::string()},
      {"expand sz", REG_EXPAND_SZ, RegText(u"%SYSTEMROOT%\\x \"quoted\"")},
      {"multi sz", REG_MULTI_SZ, RegMultiText({u"a", u"b\u00e9", u"\U0001F600"})},
      {"lone surrogate and controls", REG_SZ, RegText(std::u16string(u"\xD800x\x01\x7F\r\n\t"))},
      {"dword", REG_DWORD, RegNumber(0x10001)},
      {"dword of 2 bytes", REG_DWORD, std::string("\x01\x00", 2)},
      {"qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x88", 8)},
      {"binary", REG_BINARY, std::string("\x00\xff\x10\n\"\\", 6)},
      {"empty binary", REG_BINARY, std::string()},
      {"none", REG_NONE, std::string("\x00", 1)},
      {"unknown type", 0x1234, std::string("xyz")},
      {"big endian dword", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x00\x40", 4)},
  };
  HKEY key = MakeKey(HKEY_CURRENT_USER, u"Software\\Orvex\\Types");
  for (size_t i = 0; i < cases.size(); ++i) {
    std::u16string name = u"v" + FromUtf8(std::to_string(i));
    ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, cases[i].type, reinterpret_cast<const BYTE*>(cases[i].data.data()),
                             DWORD(cases[i].data.size())),
              ERROR_SUCCESS)
        << cases[i].what;
  }
  // Another machine generation drops every memory copy: the values come from the file.
  Machine::Reload();
  for (size_t i = 0; i < cases.size(); ++i) {
    std::u16string name = u"v" + FromUtf8(std::to_string(i));
    DWORD type = 0;
    EXPECT_EQ(QueryBytes(key, name.c_str(), &type), cases[i].data) << cases[i].what;
    EXPECT_EQ(type, cases[i].type) << cases[i].what;
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, HiveTextIsReadableAndItsReaderRejectsDamage) {
  HKEY key = MakeKey(HKEY_LOCAL_MACHINE, u"Software\\Orvex\\PrintLog");
  std::string dir = RegText(u"C:\\Windows\\temp\\PrintLog");
  DWORD size = 64;
  RegSetValueExW(key, u"LogFileDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.data()), DWORD(dir.size()));
  RegSetValueExW(key, u"MaxLogFileSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), 4);
  RegSetValueExW(key, nullptr, 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\xff"), 2);
  RegCloseKey(key);
  std::string text = zolt::test::ReadBytes(HiveFile(Hive::LocalMachine));
  EXPECT_NE(text.find("[Software\\Orvex\\PrintLog]\n"
                      "\"LogFileDirectory\"=REG_SZ \"C:\\\\Windows\\\\temp\\\\PrintLog\\0\"\n"
                      "\"MaxLogFileSize\"=REG_DWORD 0x00000040\n"
                      "@=REG_BINARY hex:01,ff\n"),
            std::string::npos)
      << text;

  const char* damaged[] = {
      "[Software\nx",                        // unterminated key line
      "[A]\n\"v\"=REG_SZ \"open",            // unterminated text
      "[A]\n\"v\"=REG_DWORD 0x123",          // short number
      "[A]\n\"v\"=REG_BINARY hex:1,02",      // one-digit byte
      "[A]\n\"v\"=REG_FOO hex:",             // unknown type name
      "[A]\n\"v\"=REG_SZ \"\\q\"",           // unknown escape
      "[A]\n\"v\"=REG_SZ \"\xff\"",          // not UTF-8
      "[A]\n\"v\"=REG_SZ \"a\"\n\"V\"=REG_SZ \"b\"",  // one value twice
      "[A\\\\B]",                            // empty key name
      "[A]\nplain line",
  };
  for (const char* text2 : damaged) {
    RegistryKey root;
    std::string why;
    EXPECT_FALSE(ParseHive(text2, root, &why)) << text2;
    EXPECT_FALSE(why.empty());
  }

  // A damaged hive is reported and never overwritten.
  zolt::test::WriteBytes(HiveFile(Hive::LocalMachine), damaged[1]);
  HKEY h = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"A", 0, KEY_READ, &h), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"B", &h), ERROR_BADDB);
  EXPECT_EQ(zolt::test::ReadBytes(HiveFile(Hive::LocalMachine)), damaged[1]);
}

TEST_F(RegistryTest, AHiveEditedByHandIsReadAtTheNextCall) {
  HKEY key = MakeKey(HKEY_LOCAL_MACHINE, u"Software\\Orvex\\ZoltDrvCustomSetup");
  RegSetValueExW(key, u"SaveDeviceSetup", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x01\0\0\0"), 4);
  zolt::test::WriteBytes(HiveFile(Hive::LocalMachine),
                         "[Software\\Orvex\\ZoltDrvCustomSetup]\r\n"
                         "\"SaveDeviceSetup\"=REG_SZ \"1\\0\"\r\n");
  DWORD type = 0;
  EXPECT_EQ(QueryBytes(key, u"SaveDeviceSetup", &type), RegText(u"1"));
  EXPECT_EQ(type, DWORD(REG_SZ));
  RegCloseKey(key);
  // HKEY_CLASSES_ROOT is the machine's Software\Classes.
  key = MakeKey(HKEY_CLASSES_ROOT, u".qcs");
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\.QCS", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// The hive files follow the machine in use and its user: another machine, or the same machine
// with another user, reads its own values; coming back reads the first ones again.
TEST_F(RegistryTest, EachMachineAndEachUserReadTheirOwnHive) {
  auto set = [](HKEY root, DWORD value) {
    HKEY key = MakeKey(root, u"Software\\Orvex\\Hives");
    EXPECT_EQ(RegSetValueExW(key, u"Which", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    RegCloseKey(key);
  };
  auto get = [](HKEY root) -> DWORD {
    DWORD value = 0, size = sizeof value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, u"Software\\Orvex\\Hives", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExW(key, u"Which", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
      value = 0;
    RegCloseKey(key);
    return value;
  };
  set(HKEY_LOCAL_MACHINE, 1);
  set(HKEY_CURRENT_USER, 2);
  const MachineFacts first = Machine::Facts();
  MachineFacts other = first;
  other.userName = "second";
  ASSERT_TRUE(Machine::SetFacts(other));
  EXPECT_EQ(HiveFile(Hive::CurrentUser).filename(), "user.second.hive");
  EXPECT_EQ(get(HKEY_LOCAL_MACHINE), 1u);
  EXPECT_EQ(get(HKEY_CURRENT_USER), 0u);
  set(HKEY_CURRENT_USER, 3);
  {
    zolt::test::ScopedMachine second;
    EXPECT_EQ(HiveFile(Hive::LocalMachine), second.Root() / "registry" / "machine.hive");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE), 0u);
    EXPECT_EQ(get(HKEY_CURRENT_USER), 0u);
  }
  Machine::Use(Root());
  ASSERT_TRUE(Machine::SetFacts(first));
  EXPECT_EQ(HiveFile(Hive::LocalMachine), Root() / "registry" / "machine.hive");
  EXPECT_EQ(get(HKEY_LOCAL_MACHINE), 1u);
  EXPECT_EQ(get(HKEY_CURRENT_USER), 2u);
}

TEST_F(RegistryTest, SizeQueriesAndShortBuffers) {
  HKEY key = MakeKey(HKEY_CURRENT_USER, u"Software\\S");
  std::string text = RegText(u"abcdef");  // 14 bytes
  ASSERT_EQ(RegSetValueExW(key, u"T", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), 14), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"t", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(type, DWORD(REG_SZ));
  BYTE buf[32];
  std::memset(buf, 0xAA, sizeof buf);
  size = 13;
  EXPECT_EQ(RegQueryValueExW(key, u"T", nullptr, &type, buf, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(buf[0], 0xAA);  // nothing written on failure
  size = 14;
  EXPECT_EQ(RegQueryValueExW(key, u"T", nullptr, nullptr, buf, &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(buf, 14), text);
  EXPECT_EQ(buf[14], 0xAA);  // nothing beyond the data
  EXPECT_EQ(RegQueryValueExW(key, u"T", nullptr, nullptr, buf, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExW(key, u"T", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  // The default value: NULL and "" name it alike, and a key has none until one is set.
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegSetValueExW(key, u"", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x07\0\0\0"), 4), ERROR_SUCCESS);
  EXPECT_EQ(QueryBytes(key, nullptr), std::string("\x07\0\0\0", 4));
  RegCloseKey(key);
}

TEST_F(RegistryTest, ErrorCodes) {
  HKEY key = MakeKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\JOBCODE\\JCDriverPDL");
  RegCloseKey(key);
  HKEY out = reinterpret_cast<HKEY>(1);
  struct Case {
    const char* what;
    LONG got;
    LONG want;
  } cases[] = {
      {"missing key", RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nope", 0, KEY_READ, &out), ERROR_FILE_NOT_FOUND},
      {"missing middle", RegOpenKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\X\\JCDriverPDL", &out), ERROR_FILE_NOT_FOUND},
      {"leading backslash", RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE", 0, KEY_READ, &out), ERROR_BAD_PATHNAME},
      {"empty component", RegCreateKeyW(HKEY_CURRENT_USER, u"A\\\\B", &out), ERROR_BAD_PATHNAME},
      {"key with subkeys", RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex"), ERROR_ACCESS_DENIED},
      {"missing key deleted", RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nope"), ERROR_FILE_NOT_FOUND},
      {"bad handle", RegOpenKeyExW(reinterpret_cast<HKEY>(0x4444), u"A", 0, KEY_READ, &out), ERROR_INVALID_HANDLE},
      {"close bad handle", RegCloseKey(reinterpret_cast<HKEY>(0x4444)), ERROR_INVALID_HANDLE},
      {"no result pointer", RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER},
      {"missing value", RegDeleteValueW(HKEY_LOCAL_MACHINE, u"nope"), ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  EXPECT_EQ(out, nullptr);  // a failed open leaves no handle

  // A handle whose key was deleted meanwhile.
  HKEY doomed = MakeKey(HKEY_CURRENT_USER, u"Software\\Doomed");
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"software\\doomed"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(doomed, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, PredefinedKeysOpenAlsoWithoutSignExtension) {
  HKEY made = MakeKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\Wide");
  ASSERT_EQ(RegSetValueExW(made, u"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x07\0\0\0"), 4), ERROR_SUCCESS);
  RegCloseKey(made);
  RegCloseKey(MakeKey(HKEY_CURRENT_USER, u"Software\\Orvex"));
  struct Case {
    ULONG_PTR root;
    const char16_t* path;
  } cases[] = {{0x80000002u, u"SOFTWARE\\Orvex\\Wide"}, {0x80000001u, u"Software\\Orvex"}};
  for (const Case& c : cases) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(c.root), c.path, 0, KEY_READ, &key), ERROR_SUCCESS) << std::hex << c.root;
    if (key) RegCloseKey(key);
  }
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(reinterpret_cast<HKEY>(ULONG_PTR{0x80000002u}), u"v", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);  // the root itself has no value "v"
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(ULONG_PTR{0x80000002u}), u"SOFTWARE\\Orvex\\Wide", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  HKEY a = MakeKey(HKEY_LOCAL_MACHINE, u"Software\\Orvex\\ZoltDrv");
  DWORD disposition = 0;
  HKEY b = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ORVEX\\zoltdrv", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &b,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegSetValueExW(a, u"SpoolDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>("x\0"), 2);
  RegSetValueExW(b, u"SPOOLDIRECTORY", 0, REG_SZ, reinterpret_cast<const BYTE*>("y\0"), 2);
  WCHAR name[64];
  DWORD cch = 64, size = 0;
  ASSERT_EQ(RegEnumValueW(a, 0, name, &cch, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, cch), u"SpoolDirectory");
  EXPECT_EQ(QueryBytes(a, u"spooldirectory"), std::string("y\0", 2));
  cch = 64;
  ASSERT_EQ(RegEnumKeyExW(HKEY_LOCAL_MACHINE, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, cch), u"Software");
  RegCloseKey(a);
  RegCloseKey(b);
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &b, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  RegCloseKey(b);
}

TEST_F(RegistryTest, EnumerationOrderEndAndRestartAfterDeletes) {
  HKEY key = MakeKey(HKEY_CURRENT_USER, u"SOFTWARE\\ORVEX\\JOBCODE\\JCUserID");
  for (const char16_t* sub : {u"zeta", u"Alpha", u"beta"}) RegCloseKey(MakeKey(key, sub));
  for (const char16_t* v : {u"\\\\CSR|srv\\P1", u"Office", u"\\\\CSR|srv\\P2", u"Desk"})
    RegSetValueExW(key, v, 0, REG_SZ, reinterpret_cast<const BYTE*>("1\0"), 2);
  WCHAR name[32];
  DWORD cch;
  std::vector<std::u16string> keys;
  for (DWORD i = 0;; ++i) {
    cch = 32;
    LONG rc = RegEnumKeyExW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    keys.emplace_back(name, cch);
  }
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta", u"zeta"}));
  cch = 3;  // "beta" does not fit
  EXPECT_EQ(RegEnumKeyExW(key, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

  // The purge pattern: enumerate from 0, delete a match and start again at 0.
  DWORD index = 0;
  while (true) {
    cch = 32;
    LONG rc = RegEnumValueW(key, index, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    if (std::u16string(name, cch).rfind(u"\\\\CSR|", 0) == 0) {
      ASSERT_EQ(RegDeleteValueW(key, name), ERROR_SUCCESS);
      index = 0;
    } else {
      ++index;
    }
  }
  EXPECT_EQ(index, 2u);
  DWORD values = 0, maxName = 0, maxData = 0, subkeys = 0, maxSub = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSub, nullptr, &values, &maxName, &maxData,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 3u);
  EXPECT_EQ(maxSub, 5u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 6u);
  EXPECT_EQ(maxData, 2u);
  cch = 32;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, cch), u"Office");
  cch = 6;  // "Office" needs 7 with its terminator
  EXPECT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  RegCloseKey(key);
}

TEST_F(RegistryTest, AnsiQueryConvertsStringsToTheCodePage) {
  HKEY key = MakeKey(HKEY_LOCAL_MACHINE, u"Software\\ORVEX\\ZoltPlugins\\Cat\\Id");
  std::string path = RegText(u"C:\\Caf\u00e9\\\u20ac");
  RegSetValueExW(key, u"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()), DWORD(path.size()));
  std::string multi = RegMultiText({u"a", u"\u00e9"});
  RegSetValueExW(key, u"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()), DWORD(multi.size()));
  RegSetValueExW(key, u"ForceRAW", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x01\0\0\0"), 4);
  char buf[64];
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "installpath", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExA(key, "InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(buf, size), std::string("C:\\Caf\xe9\\\x80\0", 10));
  size = 9;
  EXPECT_EQ(RegQueryValueExA(key, "InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 10u);
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExA(key, "List", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(buf, size), std::string("a\0\xe9\0\0", 5));
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExA(key, "ForceRAW", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(buf, size), std::string("\x01\0\0\0", 4));
  RegCloseKey(key);
}

TEST_F(RegistryTest, ReadHandlesCannotWrite) {
  HKEY key = MakeKey(HKEY_CURRENT_USER, u"Software\\R");
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\R", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, u"v", 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(key, u"v"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyW(key, u"Sub", &sub), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\R", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegSetValueExW(key, u"v", 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
}

class NonAdminRegistryTest : public zolt::test::MachineTest {
 protected:
  MachineFacts Facts() const override {
    MachineFacts f;
    f.userIsAdmin = false;
    f.userName = "guest";
    return f;
  }
};

TEST_F(NonAdminRegistryTest, MachineKeysAreReadOnlyForUsers) {
  // The installer (the host itself) put a key there.
  ASSERT_EQ(WriteHive(Hive::LocalMachine,
                      [](RegistryKey& root, bool& changed) {
                        root.Make({u"SOFTWARE", u"ORVEX", u"ZoltPlugins", u"Cat", u"Id"})
                            .SetValue(u"PerPrinter", REG_DWORD, RegNumber(1));
                        changed = true;
                        return LONG(ERROR_SUCCESS);
                      }),
            ERROR_SUCCESS);
  const char16_t* path = u"SOFTWARE\\ORVEX\\ZoltPlugins\\Cat\\Id";
  struct Case {
    REGSAM sam;
    LONG want;
  } cases[] = {
      {KEY_READ, ERROR_SUCCESS},         {KEY_QUERY_VALUE, ERROR_SUCCESS}, {MAXIMUM_ALLOWED, ERROR_SUCCESS},
      {GENERIC_READ, ERROR_SUCCESS},     {KEY_WRITE, ERROR_ACCESS_DENIED}, {KEY_SET_VALUE, ERROR_ACCESS_DENIED},
      {KEY_ALL_ACCESS, ERROR_ACCESS_DENIED}, {GENERIC_WRITE, ERROR_ACCESS_DENIED}, {DELETE, ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, c.sam, &key), c.want) << std::hex << c.sam;
    if (key) RegCloseKey(key);
  }
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  // The old create call opens an existing key for reading; values cannot be set through it.
  ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryBytes(key, u"PerPrinter"), RegNumber(1));
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\0\0\0\0"), 4), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\New", &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, path), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExW(HKEY_LOCAL_MACHINE, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\0\0\0\0"), 4),
            ERROR_ACCESS_DENIED);
  // The user's own hive is theirs, and it is a file of its own.
  key = MakeKey(HKEY_CURRENT_USER, u"SOFTWARE\\ORVEX\\JOBCODE\\JCUserName");
  EXPECT_EQ(RegSetValueExW(key, u"P1", 0, REG_SZ, reinterpret_cast<const BYTE*>("a\0"), 2), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(HiveFile(Hive::CurrentUser).filename(), "user.guest.hive");
  EXPECT_TRUE(std::filesystem::exists(HiveFile(Hive::CurrentUser)));
}

}  // namespace
