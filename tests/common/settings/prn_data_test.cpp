// The driver's printer data and registry values: every driver key round-trips with its exact
// type and size, writers need the administrator's handle and write nothing partially, and the
// registry switches read their values as stored.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "env_system.h"
#include "machine_fixture.h"

namespace {

using std::u16string;
using zolt::test::WriteBytes;

struct StoredValue {
  DWORD result = 0;
  DWORD type = 0;
  std::string bytes;
};

StoredValue ReadValue(HANDLE printer, const char16_t* name) {
  StoredValue v;
  DWORD needed = 0;
  BYTE buffer[2048];
  v.result = GetPrinterDataW(printer, const_cast<LPWSTR>(name), &v.type, buffer, sizeof buffer, &needed);
  if (v.result == ERROR_SUCCESS) v.bytes.assign(reinterpret_cast<char*>(buffer), needed);
  return v;
}

// UTF-16 bytes of a text, with or without its terminator.
std::string Bytes(const u16string& text, bool terminator) {
  std::string out(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  if (terminator) out.append(2, '\0');
  return out;
}

// A context over the test printer with a copy of the driver's profile.
struct PrinterContext {
  explicit PrinterContext(HANDLE printer)
      : area(std::make_unique<ContextWorkArea>()), profile(std::make_unique<DriverProfile>(*CtxGetTemplate()->profile)) {
    ctx.printer = printer;
    ctx.workArea = area.get();
    ctx.profile = profile.get();
  }
  std::unique_ptr<ContextWorkArea> area;
  std::unique_ptr<DriverProfile> profile;
  DriverContext ctx{};
};

class PrnData : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    admin_ = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
  }
  void TearDown() override {
    if (admin_) ClosePrinter(admin_);
    DriverMachineTest::TearDown();
  }

  // The driver directory (with its "\") as the spooler reports it.
  u16string DriverDir() {
    auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(admin_, 3));
    u16string path = di3 ? di3->pDriverPath : u"";
    MdlFreeMem(di3);
    return path.substr(0, path.rfind(u'\\') + 1);
  }

  HANDLE admin_ = nullptr;
};

TEST_F(PrnData, DriverFileNamesAreWrittenWithTheirExactSizes) {
  WriteBytes(Real(DriverDir() + u"QVF9D172.ini"), "[DriversFileName]\r\nDriverEDFileName=QVED0001.DLL\r\n");
  PrinterContext pc(admin_);
  EXPECT_EQ(PrnWriteDriverFileNames(admin_, &pc.ctx), 1);

  const struct {
    const char16_t* name;
    u16string text;
    bool terminator;
  } expected[] = {
      {u"SPLUserModePrinterDriver", u"QVF9C123.DLL", false},
      {u"DriverIniFileName", u"QVF9D170.ini", false},
      {u"DriverGRFileName", u"zoltgr.dll", true},
      {u"DriverEDFileName", u"QVED0001.DLL", true},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(std::string(e.name, e.name + std::char_traits<char16_t>::length(e.name)));
    StoredValue v = ReadValue(admin_, e.name);
    ASSERT_EQ(v.result, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.bytes, Bytes(e.text, e.terminator));
  }
}

TEST_F(PrnData, AProfileWithoutASettingsFileNameWritesOnlyTheModuleName) {
  PrinterContext pc(admin_);
  pc.profile->settingsFileName = nullptr;
  EXPECT_EQ(PrnWriteDriverFileNames(admin_, &pc.ctx), 1);
  EXPECT_EQ(ReadValue(admin_, u"SPLUserModePrinterDriver").result, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ReadValue(admin_, u"DriverIniFileName").result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // No [DriversFileName] in the driver's defaults file: an empty name of two bytes.
  EXPECT_EQ(ReadValue(admin_, u"DriverEDFileName").bytes, std::string(2, '\0'));
}

TEST_F(PrnData, AUserHandleWritesNothing) {
  HANDLE user = OpenTestPrinter(PRINTER_ACCESS_USE);
  PrinterContext pc(user);
  EXPECT_EQ(PrnWriteDriverFileNames(user, &pc.ctx), 0);
  EXPECT_EQ(PrnWriteStoredPrinterName(user, nullptr), 0);
  const BYTE blob[3] = {1, 2, 3};
  EXPECT_EQ(PrnSetBinary(user, blob, sizeof blob, u"Blob", nullptr), 0);
  for (const char16_t* name : {u"SPLUserModePrinterDriver", u"DriverGRFileName", u"ZOLTPrinterName", u"Blob"})
    EXPECT_EQ(ReadValue(admin_, name).result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ClosePrinter(user);
}

TEST_F(PrnData, HelpAndLogFileNamesComeFromTheDriverRecord) {
  PrinterContext pc(admin_);
  // The context's own record is used when it has one.
  WCHAR driverPath[] = u"C:\\drivers\\ZGR7000.DLL";
  WCHAR helpFile[] = u"C:\\drivers\\ZOLT7EN.CHM";
  DRIVER_INFO_3W di3{};
  di3.pDriverPath = driverPath;
  di3.pHelpFile = helpFile;
  pc.area->driverInfo3 = &di3;

  EXPECT_EQ(PrnWriteHelpFileName(&pc.ctx), 1);
  EXPECT_EQ(ReadValue(admin_, u"HelpFileName").bytes, Bytes(u"ZOLT7EN.CHM", true));
  WCHAR help[MAX_PATH] = {};
  EXPECT_EQ(PrnReadHelpFileName(help, sizeof help, &pc.ctx), 1);
  EXPECT_EQ(u16string(help), u"ZOLT7EN.CHM");
  // A short buffer still ends its text.
  WCHAR shortBuffer[4];
  std::memset(shortBuffer, 0xFF, sizeof shortBuffer);
  PrnReadHelpFileNameOf(shortBuffer, sizeof shortBuffer, admin_);
  EXPECT_EQ(shortBuffer[3], u'\0');

  EXPECT_EQ(PrnWriteLogFileName(1, &pc.ctx), 1);
  EXPECT_EQ(ReadValue(admin_, u"LogFileName").bytes, Bytes(u"ZGR7000.log", true));
  EXPECT_EQ(PrnWriteGraphicsFileName(&pc.ctx), 1);
  EXPECT_EQ(ReadValue(admin_, u"DriverGRFileName").bytes, Bytes(u"ZGR7000.DLL", true));

  // A driver path without "\": no graphics file name, no log file name.
  DeletePrinterDataW(admin_, const_cast<LPWSTR>(u"LogFileName"));
  DeletePrinterDataW(admin_, const_cast<LPWSTR>(u"DriverGRFileName"));
  WCHAR bare[] = u"ZGR7000.DLL";
  di3.pDriverPath = bare;
  di3.pHelpFile = nullptr;
  EXPECT_EQ(PrnWriteGraphicsFileName(&pc.ctx), 0);
  EXPECT_EQ(PrnWriteLogFileName(1, &pc.ctx), 0);
  EXPECT_EQ(PrnWriteHelpFileName(&pc.ctx), 0);
  EXPECT_EQ(ReadValue(admin_, u"LogFileName").result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadValue(admin_, u"DriverGRFileName").result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // Without its own record the context asks the spooler.
  pc.area->driverInfo3 = nullptr;
  WCHAR name[MAX_PATH] = {};
  EXPECT_EQ(PrnGetDriverFileName(name, &pc.ctx), 1);
  EXPECT_EQ(u16string(name), u"zoltgr.dll");
}

TEST_F(PrnData, StoredPrinterNameDriverNameAndPermission) {
  EXPECT_EQ(PrnWriteStoredPrinterName(admin_, nullptr), 1);
  EXPECT_EQ(ReadValue(admin_, u"ZOLTPrinterName").bytes, Bytes(kPrinterName, true));
  WCHAR out[kCtxPathChars] = {};
  EXPECT_EQ(PrnReadStoredPrinterNameOf(admin_, out), 1);
  EXPECT_EQ(u16string(out), kPrinterName);
  EXPECT_EQ(PrnReadStoredPrinterNameOf(admin_, nullptr), 0);

  WCHAR other[] = u"Renamed Printer";
  PRINTER_INFO_2W record{};
  record.pPrinterName = other;
  EXPECT_EQ(PrnWriteStoredPrinterName(admin_, &record), 1);
  PrinterContext pc(admin_);
  EXPECT_EQ(PrnReadStoredPrinterName(admin_, nullptr, &pc.ctx), 1);
  EXPECT_EQ(u16string(pc.area->savedPrinterName), u"Renamed Printer");

  // A stored name that fills the whole 522 bytes is still ended inside the buffer.
  const u16string longName(300, u'n');
  SetPrinterDataW(admin_, const_cast<LPWSTR>(u"ZOLTPrinterName"), REG_SZ,
                  reinterpret_cast<LPBYTE>(const_cast<char16_t*>(longName.c_str())), 600);
  std::memset(out, 0xFF, sizeof out);
  PrnReadStoredPrinterNameOf(admin_, out);
  EXPECT_LT(std::char_traits<char16_t>::length(out), static_cast<size_t>(kCtxPathChars));

  EXPECT_EQ(PrnWriteDriverName(admin_, nullptr), 1);
  EXPECT_EQ(ReadValue(admin_, u"DriverName").bytes, Bytes(kDriverName, true));

  const DWORD permission = 0x15;
  EXPECT_EQ(PrnWritePermission(admin_, &permission, sizeof permission), 1);
  StoredValue v = ReadValue(admin_, u"Permission");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v.bytes, std::string("\x15\0\0\0", 4));
}

TEST_F(PrnData, GenericReadersAndWritersRefuseEmptyArguments) {
  const BYTE blob[5] = {9, 8, 7, 6, 5};
  EXPECT_EQ(PrnSetBinary(admin_, blob, sizeof blob, u"Blob", nullptr), 1);
  EXPECT_EQ(ReadValue(admin_, u"Blob").type, static_cast<DWORD>(REG_BINARY));
  BYTE back[5] = {};
  EXPECT_EQ(PrnGetData(admin_, back, sizeof back, u"Blob", nullptr), 1);
  EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
  // A stored value larger than the buffer is not read.
  BYTE small[4] = {};
  EXPECT_EQ(PrnGetData(admin_, small, sizeof small, u"Blob", nullptr), 0);

  EXPECT_EQ(PrnSetBinary(admin_, nullptr, 4, u"X", nullptr), 0);
  EXPECT_EQ(PrnSetBinary(admin_, blob, 0, u"X", nullptr), 0);
  EXPECT_EQ(PrnSetString(admin_, blob, 4, nullptr, nullptr), 0);
  EXPECT_EQ(PrnGetData(admin_, nullptr, 4, u"Blob", nullptr), 0);
  EXPECT_EQ(PrnGetData(admin_, back, 0, u"Blob", nullptr), 0);
  EXPECT_EQ(PrnGetData(admin_, back, 4, nullptr, nullptr), 0);
  EXPECT_EQ(PrnGetData(admin_, back, 4, u"Missing", nullptr), 0);
  EXPECT_EQ(PrnSetData(admin_, blob, 4, REG_DWORD, u"Word", nullptr), 1);
  EXPECT_EQ(ReadValue(admin_, u"Word").type, static_cast<DWORD>(REG_DWORD));
}

// ---- Registry -------------------------------------------------------------------------------

class RegValues : public zolt::test::MachineTest {
 protected:
  static void SetMachineValue(const char16_t* key, const char16_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegWriteMachineValue(key, name, data, size, type, nullptr), 1);
  }
};

TEST_F(RegValues, DriverValuesRoundTrip) {
  const u16string shared = u"C:\\Windows\\_zolt";
  EXPECT_EQ(RegWriteDriverString(u"_ZOLTDirectory", shared.c_str(), static_cast<DWORD>((shared.size() + 1) * 2)), 1);
  WCHAR back[MAX_PATH] = {};
  EXPECT_EQ(RegReadDriverValue(u"_ZOLTDirectory", back, sizeof back), 1);
  EXPECT_EQ(u16string(back), shared);
  DWORD type = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ORVEX\\ZOLTDRV", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, u"_ZOLTDirectory", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  RegCloseKey(key);
  EXPECT_EQ(RegReadDriverValue(u"SpoolDirectory", back, sizeof back), 0);
  EXPECT_EQ(RegReadMachineValue(u"SOFTWARE\\Nowhere", u"X", back, sizeof back, nullptr), 0);
}

TEST_F(RegValues, AddOnToolsAreInstalledWhenTheirNumberIsNotZero) {
  EXPECT_EQ(RegIsAddOnInstalled(kAddOnJobBinding, nullptr), 0);
  EXPECT_EQ(RegIsAddOnInstalled(kAddOnPreview, nullptr), 0);
  const DWORD one = 1;
  const DWORD zero = 0;
  SetMachineValue(u"Software\\Orvex\\Varenquil\\Tesmarin", u"INSTALL_COUNT", REG_DWORD, &one, 4);
  SetMachineValue(u"Software\\Orvex\\Varenquil\\Preview", u"VERSION", REG_DWORD, &zero, 4);
  EXPECT_EQ(RegIsAddOnInstalled(kAddOnJobBinding, nullptr), 1);
  EXPECT_EQ(RegIsAddOnInstalled(kAddOnPreview, nullptr), 0);
  SetMachineValue(u"Software\\Orvex\\Varenquil\\Preview", u"VERSION", REG_BINARY, "\x03\x00\x02\x00", 4);
  EXPECT_EQ(RegIsAddOnInstalled(kAddOnPreview, nullptr), 1);
  EXPECT_EQ(RegIsAddOnInstalled(3, nullptr), 0);
}

TEST_F(RegValues, SaveDeviceSetupReadsItsFirstTwoBytes) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
    int expected;
  } cases[] = {
      {"REG_DWORD 1", REG_DWORD, std::string("\x01\0\0\0", 4), 1},
      {"REG_DWORD 0x10001", REG_DWORD, std::string("\x01\0\x01\0", 4), 1},
      {"REG_DWORD 2", REG_DWORD, std::string("\x02\0\0\0", 4), 0},
      {"REG_DWORD 0", REG_DWORD, std::string(4, '\0'), 0},
      {"REG_SZ \"1\"", REG_SZ, std::string("1\0\0\0", 4), 0},
  };
  EXPECT_EQ(RegIsSaveDeviceSetupOn(nullptr), 0);  // missing
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetMachineValue(kCustomSetupRegKey, u"SaveDeviceSetup", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    EXPECT_EQ(RegIsSaveDeviceSetupOn(nullptr), c.expected);
  }
}

TEST_F(RegValues, PrintLogDefaultsAreMadeOnceAndExistingValuesKept) {
  EXPECT_EQ(RegEnsurePrintLogDefaults(nullptr), 1);
  WCHAR directory[MAX_PATH] = {};
  EXPECT_EQ(RegReadMachineValue(kPrintLogRegKey, u"LogFileDirectory", directory, sizeof directory, nullptr), 1);
  WCHAR windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(u16string(directory), u16string(windows) + u"\\temp\\PrintLog");
  DWORD size = 0;
  EXPECT_EQ(RegReadMachineValue(kPrintLogRegKey, u"MaxLogFileSize", &size, sizeof size, nullptr), 1);
  EXPECT_EQ(size, 64u);

  const u16string mine = u"D:\\logs";
  const DWORD mySize = 1024;
  SetMachineValue(kPrintLogRegKey, u"LogFileDirectory", REG_SZ, mine.c_str(), static_cast<DWORD>((mine.size() + 1) * 2));
  SetMachineValue(kPrintLogRegKey, u"MaxLogFileSize", REG_DWORD, &mySize, 4);
  EXPECT_EQ(RegEnsurePrintLogDefaults(nullptr), 1);
  EXPECT_EQ(RegReadMachineValue(kPrintLogRegKey, u"LogFileDirectory", directory, sizeof directory, nullptr), 1);
  EXPECT_EQ(u16string(directory), mine);
  EXPECT_EQ(RegReadMachineValue(kPrintLogRegKey, u"MaxLogFileSize", &size, sizeof size, nullptr), 1);
  EXPECT_EQ(size, 1024u);

  // An empty directory counts as missing.
  SetMachineValue(kPrintLogRegKey, u"LogFileDirectory", REG_SZ, u"", 2);
  EXPECT_EQ(RegEnsurePrintLogDefaults(nullptr), 1);
  EXPECT_EQ(RegReadMachineValue(kPrintLogRegKey, u"LogFileDirectory", directory, sizeof directory, nullptr), 1);
  EXPECT_EQ(u16string(directory), u16string(windows) + u"\\temp\\PrintLog");
}

}  // namespace
