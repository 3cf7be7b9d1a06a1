// The printer-interface module's entry points as the platform reaches them: the spooler's
// document-properties and capability calls, the conversion request, the driver upgrade, the job
// check, the document events with their string table and the printer events of the host's
// spooler operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_services.h"
#include "devmode_record.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "settings_paths.h"
#include "ui_entry.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

using zolt::test::DriverMachineTest;

template <typename Fn>
Fn ProcAs(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

constexpr char16_t kDriverDir[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";

// A machine whose printer was prepared by its driver when it was added, with the installed
// interface module loaded as the spooler loads it.
class EntryPointTest : public DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    module_ = LoadLibraryW((std::u16string(kDriverDir) + u"zoltui.dll").c_str());
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    CtxPurgeCache(1);
    DriverMachineTest::TearDown();
  }
  FARPROC Export(const char* name) { return GetProcAddress(module_, name); }

  std::vector<BYTE> DefaultDevMode() {
    HANDLE h = OpenTestPrinter();
    std::u16string name = kPrinterName;
    std::vector<BYTE> dm(1236);
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(dm.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    ClosePrinter(h);
    return dm;
  }

  HMODULE module_ = nullptr;
};

WORD Le16(const std::vector<BYTE>& b, size_t at) { return WORD(b[at] | b[at + 1] << 8); }
DWORD Le32(const std::vector<BYTE>& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | DWORD(b[at + 3]) << 24; }
void Put16(std::vector<BYTE>& b, size_t at, WORD v) {
  b[at] = BYTE(v);
  b[at + 1] = BYTE(v >> 8);
}
void Put32(std::vector<BYTE>& b, size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) b[at + i] = BYTE(v >> (8 * i));
}
bool IsOurs(const std::vector<BYTE>& dm) {
  return Le16(dm, 68) == 220 && Le16(dm, 70) == 1016 && std::memcmp(dm.data() + 220, "ZOLT", 4) == 0;
}

TEST_F(EntryPointTest, TwelveExportsAndTheLoadBracket) {
  for (const char* name : {"DllMain", "DrvDocumentPropertySheets", "DrvDevicePropertySheets", "PrinterProperties",
                           "DrvDocumentProperties", "DrvAdvancedDocumentProperties", "DrvConvertDevMode",
                           "DevQueryPrintEx", "DrvUpgradePrinter", "DrvDocumentEvent", "DrvPrinterEvent",
                           "DrvDeviceCapabilities"})
    EXPECT_NE(Export(name), nullptr) << name;
  auto dllMain = ProcAs<BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID)>(Export("DllMain"));
  EXPECT_EQ(dllMain(reinterpret_cast<HINSTANCE>(module_), DLL_THREAD_ATTACH, nullptr), TRUE);
  EXPECT_EQ(dllMain(reinterpret_cast<HINSTANCE>(module_), DLL_THREAD_DETACH, nullptr), TRUE);
}

TEST_F(EntryPointTest, WithoutThePropertySheetHostNothingIsCalled) {
  ASSERT_TRUE(std::filesystem::remove(Real(u"C:\\Windows\\System32\\compstui.dll")));
  static int calls = 0;
  calls = 0;
  PFNPROPSHEETUI callback = [](PPROPSHEETUI_INFO, LPARAM) -> LONG { return ++calls; };
  LONG result = 7;
  EXPECT_EQ(UiRunCommonPropertySheet(nullptr, callback, 0, &result), -1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(result, 7);
}

TEST_F(EntryPointTest, DocumentPropertiesWithoutSheets) {
  HANDLE h = OpenTestPrinter();
  std::u16string name = kPrinterName;
  std::vector<BYTE> out(1236, 0xEE);
  // Size queries touch nothing.
  EXPECT_EQ(DocumentPropertiesW(nullptr, h, name.data(), nullptr, nullptr, 0), 1236);
  EXPECT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(out.data()), nullptr, 0), 1236);
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_EQ(AdvancedDocumentPropertiesW(nullptr, h, name.data(), nullptr, nullptr), 1236);

  ASSERT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(out.data()), nullptr,
                                DM_OUT_BUFFER),
            IDOK);
  EXPECT_TRUE(IsOurs(out));

  // The caller's landscape comes back, from this driver's record and from another driver's.
  std::vector<BYTE> in = out;
  Put16(in, 76, 2);
  std::vector<BYTE> other(220 + 64, 0x5A);
  std::memcpy(other.data(), in.data(), 220);
  Put16(other, 70, 64);
  for (auto* caller : {&in, &other}) {
    std::vector<BYTE> result(1236, 0);
    ASSERT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(result.data()),
                                  reinterpret_cast<PDEVMODEW>(caller->data()), DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK);
    EXPECT_EQ(Le16(result, 76), 2);
    EXPECT_EQ(std::memcmp(result.data() + Le16(result, 68), "ZOLT", 4), 0);
  }

  // Damaged records: sizes that do not hold the header, lie about the private part or come from
  // an unknown layout give this driver's record or a refusal, never bytes past the buffers.
  for (auto [publicSize, privateSize] : {std::pair<WORD, WORD>{10, 0}, {72, 0}, {220, 3}, {300, 1016}, {188, 5000}}) {
    std::vector<BYTE> bad(size_t{publicSize} + privateSize < 72 ? 72 : size_t{publicSize} + privateSize, 0xA5);
    Put16(bad, 68, publicSize);
    Put16(bad, 70, privateSize);
    std::vector<BYTE> result(1236, 0);
    const LONG r = DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(result.data()),
                                       reinterpret_cast<PDEVMODEW>(bad.data()), DM_IN_BUFFER | DM_OUT_BUFFER);
    if (r == IDOK) {
      EXPECT_LE(size_t{Le16(result, 68)} + Le16(result, 70), 1236u) << publicSize << "+" << privateSize;
    } else {
      EXPECT_LT(r, 0) << publicSize << "+" << privateSize;
    }
  }
  ClosePrinter(h);
}

TEST_F(EntryPointTest, ConversionBetweenSizesAndVersions) {
  auto convert = ProcAs<PFN_DrvConvertDevMode>(Export("DrvConvertDevMode"));
  std::u16string name = kPrinterName;
  const std::vector<BYTE> source = DefaultDevMode();
  ASSERT_TRUE(IsOurs(source));

  struct Case {
    DWORD mode;
    WORD publicSize, privateSize;  // the destination's own header
    LONG bufferSize;
    BOOL ok;
    LONG sizeAfter;
    DWORD error;
    WORD specAfter;
  } cases[] = {
      {CDM_CONVERT, 220, 1016, 1236, TRUE, 1236, 0, 0x401},
      {CDM_CONVERT, 212, 1016, 1228, TRUE, 1228, 0, 0x400},
      {CDM_CONVERT, 188, 1016, 1204, TRUE, 1204, 0, 0x320},
      {CDM_CONVERT, 220, 0, 220, TRUE, 220, 0, 0x401},
      {CDM_CONVERT, 220, 1016, 1000, FALSE, 1000, ERROR_INVALID_PARAMETER, 0},
      {CDM_CONVERT351, 0, 0, 1204, TRUE, 1204, 0, 0x320},
      {CDM_CONVERT351, 0, 0, 600, FALSE, 1204, ERROR_INSUFFICIENT_BUFFER, 0},
      {CDM_DRIVER_DEFAULT, 0, 0, 1235, FALSE, 1236, ERROR_INSUFFICIENT_BUFFER, 0},
      {CDM_DRIVER_DEFAULT, 0, 0, 1236, TRUE, 1236, 0, 0x401},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.publicSize << "+" << c.privateSize << " in "
                                    << c.bufferSize);
    std::vector<BYTE> out(static_cast<size_t>(c.bufferSize), 0);
    if (c.publicSize) {
      Put16(out, 68, c.publicSize);
      Put16(out, 70, c.privateSize);
    }
    LONG size = c.bufferSize;
    SetLastError(0);
    std::vector<BYTE> in = source;
    EXPECT_EQ(convert(name.data(), reinterpret_cast<PDEVMODEW>(in.data()), reinterpret_cast<PDEVMODEW>(out.data()),
                      &size, c.mode),
              c.ok);
    EXPECT_EQ(size, c.sizeAfter);
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), c.error);
    } else {
      EXPECT_EQ(Le16(out, 64), c.specAfter);
    }
  }

  // Private versions: an older minor version is converted, an older major one rebuilt; both
  // come back with the driver's settings version.
  for (DWORD version : {335u, 334u, 200u}) {
    std::vector<BYTE> in = source;
    Put32(in, 357, version);
    std::vector<BYTE> out(1236, 0);
    Put16(out, 68, 220);
    Put16(out, 70, 1016);
    LONG size = 1236;
    EXPECT_TRUE(convert(name.data(), reinterpret_cast<PDEVMODEW>(in.data()), reinterpret_cast<PDEVMODEW>(out.data()),
                        &size, CDM_CONVERT))
        << version;
    EXPECT_EQ(Le32(out, 357), 335u) << version;
  }
}

TEST_F(EntryPointTest, ConversionOfAPrinterWithoutStoredSettingsCreatesNothing) {
  HANDLE h = OpenTestPrinter();
  WCHAR path[MAX_PATH + 1] = {};
  ASSERT_TRUE(PathGetSettingsIniOfInfo(path, MAX_PATH, 0, h, nullptr));
  ClosePrinter(h);
  const auto file = Real(path);
  ASSERT_TRUE(std::filesystem::exists(file));
  std::filesystem::remove(file);
  std::vector<BYTE> in = DefaultDevMode(), out(1236, 0);
  Put16(out, 68, 220);
  Put16(out, 70, 1016);
  LONG size = 1236;
  std::u16string name = kPrinterName;
  auto convert = ProcAs<PFN_DrvConvertDevMode>(Export("DrvConvertDevMode"));
  EXPECT_TRUE(convert(name.data(), reinterpret_cast<PDEVMODEW>(in.data()), reinterpret_cast<PDEVMODEW>(out.data()),
                      &size, CDM_CONVERT));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(EntryPointTest, UpgradeRewritesTheDriverNamesAndRefusesBadRequests) {
  auto upgrade = ProcAs<PFN_DrvUpgradePrinter>(Export("DrvUpgradePrinter"));
  std::u16string name = kPrinterName, dir = kDriverDir, missing = u"No Such Printer";
  DRIVER_UPGRADE_INFO_1W good{name.data(), dir.data()}, bad{missing.data(), dir.data()};
  for (auto [level, info] : {std::pair<DWORD, DRIVER_UPGRADE_INFO_1W*>{2, &good}, {1, nullptr}, {1, &bad}}) {
    SetLastError(0);
    EXPECT_FALSE(upgrade(level, reinterpret_cast<LPBYTE>(info)));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  HANDLE h = OpenTestPrinter(PRINTER_ALL_ACCESS);
  std::u16string value = u"SPLUserModePrinterDriver";
  ASSERT_EQ(DeletePrinterDataW(h, value.data()), DWORD(ERROR_SUCCESS));
  // Installing the driver again upgrades its printer.
  zolt::host::DriverInstall install;
  install.name = kDriverName;
  install.moduleDir = ZOLT_MODULE_DIR;
  install.modelFile = std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel;
  ASSERT_TRUE(zolt::host::InstallDriver(install));
  DWORD type = 0, needed = 0;
  BYTE data[256];
  EXPECT_EQ(GetPrinterDataW(h, value.data(), &type, data, sizeof data, &needed), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_TRUE(upgrade(1, reinterpret_cast<LPBYTE>(&good)));
  ClosePrinter(h);
}

TEST_F(EntryPointTest, JobCheckTakesTheNearbyFormAndRefusesNothingItCanMerge) {
  auto query = ProcAs<PFN_DevQueryPrintEx>(Export("DevQueryPrintEx"));
  EXPECT_FALSE(query(nullptr));
  HANDLE h = OpenTestPrinter();
  DEVQUERYPRINT_INFO info{sizeof(DEVQUERYPRINT_INFO), 1, h, nullptr, nullptr, 0, 0};
  EXPECT_TRUE(query(&info));

  // 209.9 x 297.1 mm is A4 within 1 mm: the job gets A4's exact size, number and name.
  std::vector<BYTE> job = DefaultDevMode();
  Put32(job, 72, (Le32(job, 72) | 0x4 | 0x8) & ~DWORD(0x10002));
  Put16(job, 80, 2971);
  Put16(job, 82, 2099);
  info.pDevMode = reinterpret_cast<DEVMODEW*>(job.data());
  EXPECT_TRUE(query(&info));
  EXPECT_EQ(Le16(job, 78), 9);
  EXPECT_EQ(Le16(job, 82), 2100);
  EXPECT_EQ(Le16(job, 80), 2970);
  EXPECT_TRUE(Le32(job, 72) & 0x10000);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(job.data() + 102)), u"A4");

  // Another driver's record is accepted when it merges.
  std::vector<BYTE> other(220 + 40, 0x33);
  std::memcpy(other.data(), job.data(), 220);
  Put16(other, 70, 40);
  info.pDevMode = reinterpret_cast<DEVMODEW*>(other.data());
  EXPECT_TRUE(query(&info));
  ClosePrinter(h);
}

TEST_F(EntryPointTest, DocumentEventsAnswerByCode) {
  auto event = ProcAs<PFN_DrvDocumentEvent>(Export("DrvDocumentEvent"));
  HANDLE h = OpenTestPrinter();
  const std::pair<int, int> cases[] = {{1, 1},  {2, 1},  {3, 0},  {4, 0},  {5, 1},  {6, 1},  {7, 0},       {8, 0},
                                       {9, 0},  {10, 0}, {11, 0}, {12, 0}, {13, 1}, {14, 0}, {0x10005, 1}, {0x1000D, 1}};
  for (auto [code, result] : cases) EXPECT_EQ(event(h, nullptr, code, 0, nullptr, 0, nullptr), result) << code;
  ClosePrinter(h);
}

TEST_F(EntryPointTest, EscapeStringTableFromTheStringLibrary) {
  HANDLE h = OpenTestPrinter(PRINTER_ALL_ACCESS);
  auto setHelp = [&](const std::u16string& file) {
    std::u16string value = u"HelpFileName";
    ASSERT_EQ(SetPrinterDataW(h, value.data(), REG_SZ, (LPBYTE)file.c_str(), DWORD((file.size() + 1) * 2)),
              DWORD(ERROR_SUCCESS));
  };
  EscapeStringRow table[kEscapeStringRows];
  setHelp(u"ZOLT7Hus.chm");
  ASSERT_EQ(UiBuildEscapeStrings(h, table), 2104u);
  const std::u16string texts[] = {u"Confidential", u"Copy", u"Draft", u""};
  const int16_t keys[] = {731, 733, 735, 0};
  const uint16_t ids[] = {15000, 15001, 15002, 0};
  for (int i = 0; i < kEscapeStringRows; ++i) {
    EXPECT_EQ(table[i].key, keys[i]);
    EXPECT_EQ(table[i].stringId, ids[i]);
    EXPECT_EQ(std::u16string(table[i].text), texts[i]);
  }
  // The bytes the graphics module receives: key, string id, then the text at offset 4.
  const auto* bytes = reinterpret_cast<const BYTE*>(table);
  const BYTE row1[] = {0xDD, 0x02, 0x99, 0x3A, 'C', 0, 'o', 0, 'p', 0, 'y', 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes + 526, row1, sizeof row1), 0);

  setHelp(u"ZOLT7Hjp.chm");
  UiBuildEscapeStrings(h, table);
  EXPECT_EQ(std::u16string(table[2].text), u"下書き");

  // No library: a name without extension ("<dir>\dll") or no help file at all.
  setHelp(u"ZOLT7Hus");
  EXPECT_EQ(UiBuildEscapeStrings(h, table), 2104u);
  EXPECT_EQ(table[0].text[0], 0);
  std::u16string value = u"HelpFileName";
  DeletePrinterDataW(h, value.data());
  EXPECT_EQ(UiBuildEscapeStrings(h, table), 2104u);
  EXPECT_EQ(table[1].text[0], 0);
  ClosePrinter(h);
}

TEST_F(EntryPointTest, PrinterEventsThroughTheSpooler) {
  // Adding the printer initialised it and stored the driver's default device mode.
  HANDLE h = OpenTestPrinter();
  WCHAR path[MAX_PATH + 1] = {};
  ASSERT_TRUE(PathGetSettingsIniOfInfo(path, MAX_PATH, 0, h, nullptr));
  EXPECT_TRUE(std::filesystem::exists(Real(path)));
  DWORD needed = 0;
  GetPrinterW(h, 2, nullptr, 0, &needed);
  std::vector<BYTE> buf(needed);
  ASSERT_TRUE(GetPrinterW(h, 2, buf.data(), needed, &needed));
  const auto* pi2 = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  ASSERT_NE(pi2->pDevMode, nullptr);
  EXPECT_EQ(pi2->pDevMode->dmDriverExtra, 1016);
  ClosePrinter(h);

  auto printerEvent = ProcAs<PFN_DrvPrinterEvent>(Export("DrvPrinterEvent"));
  std::u16string missing = u"No Such Printer";
  const std::pair<int, BOOL> unopened[] = {{PRINTER_EVENT_ADD_CONNECTION, FALSE}, {PRINTER_EVENT_DELETE_CONNECTION, TRUE},
                                           {PRINTER_EVENT_INITIALIZE, FALSE},     {PRINTER_EVENT_DELETE, TRUE},
                                           {PRINTER_EVENT_CACHE_REFRESH, FALSE},  {6, TRUE}};
  for (auto [code, result] : unopened) EXPECT_EQ(printerEvent(missing.data(), code, 0, 0), result) << code;

  // A second printer: initialised by its event unless a batch installation is marked done.
  zolt::host::PrinterSetup second;
  second.name = u"Second";
  second.driver = kDriverName;
  ASSERT_TRUE(zolt::host::AddPrinter(second));
  std::u16string secondName = second.name;
  PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h2 = nullptr;
  ASSERT_TRUE(OpenPrinterW(secondName.data(), &h2, &admin));
  WCHAR secondPath[MAX_PATH + 1] = {};
  ASSERT_TRUE(PathGetSettingsIniOfInfo(secondPath, MAX_PATH, 0, h2, nullptr));
  std::u16string done = u"BatchInstallDone";
  DWORD one = 1;
  ASSERT_EQ(SetPrinterDataW(h2, done.data(), REG_BINARY, reinterpret_cast<LPBYTE>(&one), 4), DWORD(ERROR_SUCCESS));
  const std::string before = zolt::test::ReadBytes(Real(secondPath));
  EXPECT_TRUE(printerEvent(secondName.data(), PRINTER_EVENT_INITIALIZE, 0, 0));
  EXPECT_EQ(zolt::test::ReadBytes(Real(secondPath)), before);
  ClosePrinter(h2);

  // A connection is prepared by its event; deleting printers and connections runs theirs.
  zolt::host::PrinterSetup remote;
  remote.name = u"Shared";
  remote.driver = kDriverName;
  ASSERT_TRUE(zolt::host::AddClientConnection({u"printsrv01", u"", false}, remote));
  EXPECT_EQ(DeviceCapabilitiesW(u"\\\\printsrv01\\Shared", nullptr, DC_SIZE, nullptr, nullptr), 220);
  EXPECT_TRUE(zolt::host::DeletePrinter(u"\\\\printsrv01\\Shared"));
  EXPECT_TRUE(zolt::host::DeletePrinter(u"Second"));
}

TEST_F(EntryPointTest, FixedCapabilitiesNeedNoPrinter) {
  auto caps = ProcAs<PFN_DrvDeviceCapabilities>(Export("DrvDeviceCapabilities"));
  HANDLE invalid = reinterpret_cast<HANDLE>(0x1234);
  const std::pair<WORD, DWORD> cases[] = {{DC_SIZE, 220},      {DC_EXTRA, 1016},  {DC_VERSION, 0x401},
                                          {DC_DRIVER, 0x400},  {DC_ORIENTATION, 90}, {DC_COPIES, 9999},
                                          {DC_PRINTRATEUNIT, 1}, {DC_FILEDEPENDENCIES, 0},
                                          {0, DWORD(-1)},      {DC_MANUFACTURER, DWORD(-1)},
                                          {DC_MEDIATYPENAMES, DWORD(-1)}, {DC_MEDIATYPES, DWORD(-1)}};
  for (auto [code, answer] : cases) EXPECT_EQ(caps(invalid, nullptr, code, nullptr, nullptr), answer) << code;
  EXPECT_NE(caps(invalid, nullptr, DC_MINEXTENT, nullptr, nullptr), DWORD(-1));
  EXPECT_EQ(caps(invalid, nullptr, DC_PERSONALITY, nullptr, nullptr), 1u);
  WCHAR personality[32];
  EXPECT_EQ(caps(invalid, nullptr, DC_PERSONALITY, personality, nullptr), 1u);
  EXPECT_EQ(std::u16string(personality), u"ZOLT");
  // Context answers need the printer.
  EXPECT_EQ(caps(invalid, nullptr, DC_PAPERS, nullptr, nullptr), DWORD(-1));
}

// The lists of both sample models through the spooler's DeviceCapabilitiesW.
class CapabilityListTest : public EntryPointTest, public testing::WithParamInterface<const char*> {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / GetParam();
  }
  int Caps(WORD code, void* out = nullptr, const void* dm = nullptr) {
    return DeviceCapabilitiesW(kPrinterName, nullptr, code, static_cast<LPWSTR>(out),
                               static_cast<const DEVMODEW*>(dm));
  }
};

TEST_P(CapabilityListTest, ListsAgreeWithEachOther) {
  const int papers = Caps(DC_PAPERS);
  ASSERT_GT(papers, 0);
  EXPECT_EQ(Caps(DC_PAPERNAMES), papers);
  EXPECT_EQ(Caps(DC_PAPERSIZE), papers);
  std::vector<WORD> codes(papers);
  std::vector<WCHAR> names(64 * size_t(papers));
  std::vector<POINT> sizes(papers);
  ASSERT_EQ(Caps(DC_PAPERS, codes.data()), papers);
  ASSERT_EQ(Caps(DC_PAPERNAMES, names.data()), papers);
  ASSERT_EQ(Caps(DC_PAPERSIZE, sizes.data()), papers);
  for (int i = 0; i < papers; ++i) {
    EXPECT_NE(names[64 * size_t(i)], 0) << i;
    if (codes[i] == 9) {  // A4
      EXPECT_EQ(sizes[i].x, 2100);
      EXPECT_EQ(sizes[i].y, 2970);
    }
  }
  const int binNames = Caps(DC_BINNAMES);
  EXPECT_GT(binNames, 0);
  const int resolutions = Caps(DC_ENUMRESOLUTIONS);
  ASSERT_GT(resolutions, 0);
  std::vector<LONG> pairs(2 * size_t(resolutions));
  ASSERT_EQ(Caps(DC_ENUMRESOLUTIONS, pairs.data()), resolutions);
  EXPECT_GE(pairs[0], 300);

  // DC_TRUETYPE answers without merging: a malformed device mode does not matter.
  std::vector<BYTE> malformed(72, 0xFF);
  Put16(malformed, 68, 72);
  Put16(malformed, 70, 0);
  const int tt = Caps(DC_TRUETYPE, nullptr, malformed.data());
  EXPECT_TRUE(tt == 1 || tt == 5) << tt;
  EXPECT_EQ(Caps(DC_NUP), 5);
  std::vector<DWORD> nup(5);
  EXPECT_EQ(Caps(DC_NUP, nup.data()), 5);
  EXPECT_EQ(nup, (std::vector<DWORD>{1, 2, 4, 9, 16}));
  EXPECT_NE(Caps(DC_COLORDEVICE), -1);
  EXPECT_NE(Caps(DC_DUPLEX), -1);
}

INSTANTIATE_TEST_SUITE_P(SampleModels, CapabilityListTest, testing::Values("ZOLT7000.QCS", "ZOLT2100.QCS"));

TEST_F(EntryPointTest, MediaReadyListsAPaperOfTwoTraysOnce) {
  HANDLE h = OpenTestPrinter();
  DriverContext* ctx = CtxCreateForPrinter(h, h, nullptr, kCtxModeDeviceCaps);
  ASSERT_NE(ctx, nullptr);
  for (int n = 0; n < 32; ++n) OptSetValue(ctx, uint16_t(10111 + n), 0);
  OptSetValue(ctx, 10111, 1);
  OptSetValue(ctx, 10112, 1);
  OptSetValue(ctx, 10175, 9);
  OptSetValue(ctx, 10176, 9);
  EXPECT_EQ(UiCapMediaReady(ctx, nullptr), 1u);
  OptSetValue(ctx, 10176, 8);
  EXPECT_EQ(UiCapMediaReady(ctx, nullptr), 2u);
  std::vector<WCHAR> names(128, 0xFFFF);
  EXPECT_EQ(UiCapMediaReady(ctx, names.data()), 2u);
  EXPECT_EQ(names[63], 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ClosePrinter(h);
}

TEST(UiFormatErrorText, Conversions) {
  WCHAR out[64];
  int needed = 0;
  EXPECT_EQ(UiFormatErrorText(nullptr, out, 64, &needed, u"%d %u %x %X %c %s 100%%", LONG(-5), DWORD(7), DWORD(255),
                              DWORD(255), int(u'Z'), u"ab"),
            20);
  EXPECT_EQ(std::u16string(out), u"-5 7 ff FF Z ab 100%");
  EXPECT_EQ(needed, 21);
  EXPECT_EQ(UiFormatErrorText(nullptr, out, 4, &needed, u"%s", u"abcdef"), 3);
  EXPECT_EQ(std::u16string(out), u"abc");
  EXPECT_EQ(needed, 7);
}

}  // namespace
