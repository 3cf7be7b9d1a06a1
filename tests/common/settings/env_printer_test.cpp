// The spooler's records as the driver fetches and caches them: the two-call pattern, client
// connections, the bidirectional attribute, unreadable records, the rename test and the
// administrator's change mark.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "env_system.h"
#include "machine_fixture.h"
#include "win32/hostspooler.h"

namespace {

using std::u16string;

// A context holding only a work area and a printer handle.
struct BareContext {
  explicit BareContext(HANDLE printer) : area(std::make_unique<ContextWorkArea>()) {
    ctx.printer = printer;
    ctx.workArea = area.get();
  }
  std::unique_ptr<ContextWorkArea> area;
  DriverContext ctx{};
};

class EnvPrinter : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    std::string error;
    zolt::host::PrinterSetup bidi;
    bidi.name = u"Bidi Printer";
    bidi.driver = kDriverName;
    bidi.attributes = PRINTER_ATTRIBUTE_ENABLE_BIDI;
    ASSERT_TRUE(zolt::host::AddPrinter(bidi, &error)) << error;
    zolt::host::ConnectionSetup server;
    server.server = u"PRINTSRV";
    zolt::host::PrinterSetup shared;
    shared.name = u"Shared";
    shared.driver = kDriverName;
    ASSERT_TRUE(zolt::host::AddClientConnection(server, shared, &error)) << error;
  }

  HANDLE Open(u16string name, ACCESS_MASK access = PRINTER_ACCESS_USE) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(name.data(), &h, &defaults)) << GetLastError();
    return h;
  }

  void SetStoredName(HANDLE admin, const u16string& name) {
    ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(kStoredPrinterNameValue), REG_SZ,
                              reinterpret_cast<LPBYTE>(const_cast<char16_t*>(name.c_str())),
                              static_cast<DWORD>((name.size() + 1) * 2)),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
};

TEST_F(EnvPrinter, RecordsComeThroughTheTwoCallPattern) {
  HANDLE printer = OpenTestPrinter();
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  ASSERT_NE(pi2, nullptr);
  EXPECT_EQ(u16string(pi2->pPrinterName), kPrinterName);
  EXPECT_EQ(u16string(pi2->pDriverName), kDriverName);
  EXPECT_EQ(pi2->pServerName, nullptr);
  MdlFreeMem(pi2);

  auto* jc = static_cast<PRINTER_INFO_2W*>(JcGetPrinterInfo(printer, 2));
  ASSERT_NE(jc, nullptr);
  EXPECT_EQ(u16string(jc->pPrinterName), kPrinterName);
  MdlFreeMem(jc);

  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  ASSERT_NE(di3, nullptr);
  const u16string driverPath = di3->pDriverPath;
  EXPECT_EQ(driverPath.substr(driverPath.rfind(u'\\') + 1), u"zoltgr.dll");
  MdlFreeMem(di3);

  EXPECT_EQ(PrnGetPrinterInfo(printer, 7), nullptr);  // a level the spooler does not have
  EXPECT_EQ(PrnGetPrinterInfo(nullptr, 2), nullptr);
  EXPECT_EQ(PrnGetDriverInfo(nullptr, 3), nullptr);
  ClosePrinter(printer);
  EXPECT_EQ(PrnGetPrinterInfo(printer, 2), nullptr);  // a closed handle
}

TEST_F(EnvPrinter, CachingFillsOnlyWhatIsNotKnownYet) {
  HANDLE printer = OpenTestPrinter();
  BareContext bare(printer);
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  ASSERT_NE(pi2, nullptr);
  PrnCachePrinterInfo(pi2, &bare.ctx);
  EXPECT_EQ(bare.area->remoteState, 2u);
  EXPECT_EQ(u16string(bare.area->givenPrinterName), kPrinterName);
  EXPECT_EQ(u16string(bare.area->qualifiedPrinterName), kPrinterName);
  EXPECT_EQ(u16string(bare.area->driverName), u16string(kDriverName).substr(0, kCtxShortNameChars - 1));
  EXPECT_EQ(bare.area->printerAttributesKnown, 1u);

  WCHAR other[] = u"Other";
  WCHAR server[] = u"\\\\X";
  PRINTER_INFO_2W second = *pi2;
  second.pPrinterName = other;
  second.pServerName = server;
  second.Attributes = PRINTER_ATTRIBUTE_ENABLE_BIDI;
  PrnCachePrinterInfo(&second, &bare.ctx);
  EXPECT_EQ(bare.area->remoteState, 2u);
  EXPECT_EQ(u16string(bare.area->givenPrinterName), kPrinterName);
  EXPECT_EQ(PrnIsBidiEnabled(&bare.ctx), 0);
  PrnCachePrinterInfo(nullptr, &bare.ctx);
  PrnCachePrinterInfo(pi2, nullptr);
  MdlFreeMem(pi2);
  ClosePrinter(printer);
}

TEST_F(EnvPrinter, RemoteAndBidiAnswersPerPrinter) {
  struct Case {
    const char16_t* name;
    int remote;
    int bidi;
  } cases[] = {
      {kPrinterName, 0, 0},
      {u"Bidi Printer", 0, 1},
      {u"\\\\PRINTSRV\\Shared", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
    HANDLE printer = Open(c.name);
    BareContext bare(printer);
    EXPECT_EQ(PrnIsRemotePrinter(&bare.ctx), c.remote);
    EXPECT_EQ(bare.area->remoteState, c.remote ? 1u : 2u);
    EXPECT_EQ(PrnIsBidiEnabled(&bare.ctx), c.bidi);
    EXPECT_EQ(PrnTestAttributes(PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_LOCAL, &bare.ctx) &
                  PRINTER_ATTRIBUTE_ENABLE_BIDI,
              c.bidi ? static_cast<DWORD>(PRINTER_ATTRIBUTE_ENABLE_BIDI) : 0u);
    EXPECT_EQ(PrnIsRemotePrinterHandle(printer), c.remote);
    EXPECT_EQ(PrnIsLocalPrinterHandle(printer), 1 - c.remote);
    auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
    EXPECT_EQ(PrnInfoIsRemote(pi2), c.remote);
    EXPECT_EQ(PrnInfoIsLocal(pi2), 1 - c.remote);
    MdlFreeMem(pi2);
    ClosePrinter(printer);
  }
  EXPECT_EQ(PrnInfoIsRemote(nullptr), 0);
  EXPECT_EQ(PrnInfoIsLocal(nullptr), 1);
}

TEST_F(EnvPrinter, AnUnreadableRecordCountsAsALocalPrinterWithoutBidi) {
  HANDLE printer = Open(u"Bidi Printer");
  ClosePrinter(printer);  // the handle is no longer valid
  BareContext bare(printer);
  EXPECT_EQ(PrnIsRemotePrinter(&bare.ctx), 0);
  EXPECT_EQ(bare.area->remoteState, 2u);
  EXPECT_EQ(PrnIsBidiEnabled(&bare.ctx), 0);
  EXPECT_EQ(PrnIsLocalPrinterHandle(printer), 1);
}

TEST_F(EnvPrinter, RenameTestComparesTheStoredName) {
  HANDLE admin = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(admin, 2));
  ASSERT_NE(pi2, nullptr);
  EXPECT_EQ(PrnWasRenamed(admin, pi2), 1);  // nothing stored yet
  SetStoredName(admin, u"zolt OFFICE 7000");
  EXPECT_EQ(PrnWasRenamed(admin, pi2), 0);  // the same name in other case
  SetStoredName(admin, u"Old Name");
  EXPECT_EQ(PrnWasRenamed(admin, pi2), 1);

  // A client's own record and a printer marked with a client name are never renamed here.
  const WCHAR client[] = u"WORKSTATION7";
  ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(u"ClientName"), REG_SZ,
                            reinterpret_cast<LPBYTE>(const_cast<WCHAR*>(client)), sizeof client),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(PrnWasRenamed(admin, pi2), 0);
  const WCHAR empty[] = u"";
  SetPrinterDataW(admin, const_cast<LPWSTR>(u"ClientName"), REG_SZ, reinterpret_cast<LPBYTE>(const_cast<WCHAR*>(empty)),
                  sizeof empty);
  EXPECT_EQ(PrnWasRenamed(admin, pi2), 1);
  WCHAR server[] = u"\\\\PRINTSRV";
  PRINTER_INFO_2W connection = *pi2;
  connection.pServerName = server;
  EXPECT_EQ(PrnWasRenamed(admin, &connection), 0);
  EXPECT_EQ(PrnWasRenamed(admin, nullptr), 0);
  MdlFreeMem(pi2);
  ClosePrinter(admin);
}

TEST_F(EnvPrinter, AdminChangeMark) {
  HANDLE admin = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
  DWORD value = 77;
  EXPECT_EQ(PrnReadAdminChange(admin, &value), 0);  // missing
  for (DWORD stored : {0u, 3u}) {
    ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(u"AdminChange"), REG_DWORD, reinterpret_cast<LPBYTE>(&stored),
                              sizeof stored),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(PrnReadAdminChange(admin, &value), stored ? 1 : 0);
    EXPECT_EQ(value, stored);
  }
  EXPECT_EQ(PrnReadAdminChange(admin, nullptr), 0);
  ClosePrinter(admin);
}

}  // namespace
