// Printer DCs driven through the test graphics module: the call sequence of a job, surfaces
// with and without hooks, banding, device capabilities, escapes and the job's output file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "testgr.h"
#include "win32/ddi.h"
#include "win32/gdi.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/spooler.h"

namespace zolt::test {
namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kPrinter = u"Test Printer";

class PrinterDcTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    host::DriverInstall install;
    install.name = u"Test Driver";
    install.moduleDir = ZOLT_ENGINE_TEST_MODULE_DIR;
    install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS";
    install.driverPath = u"TestGr.dll";
    install.configFile = u"TestGr.dll";
    std::string error;
    ASSERT_TRUE(host::InstallDriver(install, &error)) << error;
    host::PrinterSetup printer;
    printer.name = kPrinter;
    printer.driver = install.name;
    ASSERT_TRUE(host::AddPrinter(printer, &error)) << error;
    // The module stays loaded for the test, so that its configuration and log persist.
    std::u16string name = kPrinter;
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
    DWORD needed = 0;
    GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed));
    ClosePrinter(h);
    module_ = LoadLibraryW(reinterpret_cast<DRIVER_INFO_2W*>(buf.data())->pDriverPath);
    ASSERT_NE(module_, nullptr);
    configure_ = reinterpret_cast<PFN_TestGrConfigure>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "TestGrConfigure")));
    log_ = reinterpret_cast<PFN_TestGrLog>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "TestGrLog")));
    ASSERT_TRUE(configure_ && log_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    MachineTest::TearDown();
  }

  void Configure(const TestGrConfig& c) { configure_(&c); }
  std::vector<std::string> Log() {
    std::string text(log_(nullptr, 0) + 1, '\0');
    log_(text.data(), text.size());
    text.resize(text.size() - 1);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The first word of each line: the entries called, in order.
  std::vector<std::string> Calls() {
    std::vector<std::string> out;
    for (const std::string& l : Log()) out.push_back(l.substr(0, l.find(' ')));
    return out;
  }
  std::vector<std::string> LinesOf(const std::string& entry) {
    std::vector<std::string> out;
    for (const std::string& l : Log())
      if (l.rfind(entry + " ", 0) == 0 || l == entry) out.push_back(l);
    return out;
  }
  HDC MakeDc() {
    std::u16string name = kPrinter;
    return CreateDCW(nullptr, name.c_str(), nullptr, nullptr);
  }
  int PrintRect(HDC dc, const wchar_t*, RECT r) {
    DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
    const int job = StartDocW(dc, &di);
    EXPECT_GT(job, 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_TRUE(PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, BLACKNESS));
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    return job;
  }
  // GetJobW of the test printer at a level (empty when it fails).
  std::vector<BYTE> JobRecord(DWORD job, DWORD level) {
    std::u16string name = kPrinter;
    HANDLE h = nullptr;
    if (!OpenPrinterW(name.data(), &h, nullptr)) return {};
    DWORD needed = 0;
    GetJobW(h, job, level, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    if (!needed || !GetJobW(h, job, level, buf.data(), needed, &needed)) buf.clear();
    ClosePrinter(h);
    return buf;
  }
  std::vector<fs::path> OutFiles() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Root() / "out", ec)) files.push_back(e.path().filename());
    return files;
  }

  HMODULE module_ = nullptr;
  PFN_TestGrConfigure configure_ = nullptr;
  PFN_TestGrLog log_ = nullptr;
};

TEST_F(PrinterDcTest, JobOnDeviceSurfaceCallsTheModuleInOrderAndWritesThePortFile) {
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr) << GetLastError();
  const int job = PrintRect(dc, L"", RECT{10, 20, 40, 60});
  ASSERT_TRUE(DeleteDC(dc));
  const std::vector<std::string> expected{"EnableDriver", "EnablePDEV", "CompletePDEV", "EnableSurface",
                                          "StartDoc",     "StartPage",  "BitBlt",       "SendPage",
                                          "EndDoc",       "DisableSurface", "DisablePDEV", "DisableDriver"};
  EXPECT_EQ(Calls(), expected);
  // Only the drawn strip reaches the module, through its hooked blit, with the page's pixels.
  EXPECT_EQ(LinesOf("BitBlt"),
            std::vector<std::string>{"BitBlt rect=10,20,40,60 src=10,20 rop=CCCC clip=none dark=1200 pdev=1"});
  EXPECT_EQ(LinesOf("StartDoc"), std::vector<std::string>{"StartDoc name=Doc job=" + std::to_string(job) + " pdev=1"});
  const fs::path out = host::JobOutputPath(kPrinter, DWORD(job));
  EXPECT_EQ(out.filename().string(), "Test Printer-" + std::to_string(job) + ".prn");
  EXPECT_EQ(ReadBytes(out), "DOC Doc\nPAGE 1\nEND\n");
  EXPECT_EQ(OutFiles(), std::vector<fs::path>{out.filename()});

  const std::vector<BYTE> buf = JobRecord(DWORD(job), 2);
  ASSERT_FALSE(buf.empty());
  const auto* info = reinterpret_cast<const JOB_INFO_2W*>(buf.data());
  EXPECT_EQ(info->Status, DWORD(JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE));
  EXPECT_EQ(info->TotalPages, 1u);
  EXPECT_EQ(info->Size, 19u);
  EXPECT_EQ(std::u16string(info->pDocument), u"Doc");
}

TEST_F(PrinterDcTest, HooksChooseTheEntryAndTheEngineDrawsWhatIsNotHooked) {
  struct Case {
    int surface;
    FLONG hooks;
    const char* entry;     // the entry that receives the page
    std::string sendPage;  // the module's SendPage line
  } cases[] = {
      {0, HOOK_BITBLT | HOOK_COPYBITS, "BitBlt", "SendPage dark=-1"},
      {0, HOOK_COPYBITS, "CopyBits", "SendPage dark=-1"},
      {2, HOOK_BITBLT, "BitBlt", "SendPage dark=1200"},
      {2, 0, "", "SendPage dark=1200"},  // the engine copies into the module's bitmap itself
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.surface) + "/" + std::to_string(c.hooks));
    TestGrConfig config;
    config.surface = c.surface;
    config.hooks = c.hooks;
    Configure(config);
    HDC dc = MakeDc();
    ASSERT_NE(dc, nullptr);
    PrintRect(dc, L"", RECT{10, 20, 40, 60});
    DeleteDC(dc);
    EXPECT_EQ(LinesOf("BitBlt").size(), std::string(c.entry) == "BitBlt" ? 1u : 0u);
    EXPECT_EQ(LinesOf("CopyBits").size(), std::string(c.entry) == "CopyBits" ? 1u : 0u);
    EXPECT_EQ(LinesOf("SendPage"), std::vector<std::string>{c.sendPage});
  }
}

TEST_F(PrinterDcTest, BandingPlaysThePageOncePerBandUntilTheModuleEndsIt) {
  TestGrConfig config;
  config.surface = 1;
  config.bandHeight = 40;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  PrintRect(dc, L"", RECT{0, 30, 50, 50});  // rows 30-49: ten rows in each of the first two bands
  DeleteDC(dc);
  EXPECT_EQ(LinesOf("NextBand"), (std::vector<std::string>{"NextBand y=0 dark=500", "NextBand y=40 dark=500",
                                                          "NextBand y=80 dark=0"}));
  EXPECT_EQ(LinesOf("BitBlt"),
            (std::vector<std::string>{"BitBlt rect=0,0,200,40 src=0,0 rop=CCCC clip=none dark=500 pdev=1",
                                      "BitBlt rect=0,0,200,40 src=0,40 rop=CCCC clip=none dark=500 pdev=1",
                                      "BitBlt rect=0,0,200,20 src=0,80 rop=CCCC clip=none dark=0 pdev=1"}));
  EXPECT_EQ(LinesOf("StartBanding").size(), 1u);
  EXPECT_TRUE(LinesOf("SendPage").empty());  // the module ends a banded page itself
}

TEST_F(PrinterDcTest, DeviceCapsComeFromTheModulesGdiInfo) {
  TestGrConfig config;
  config.surface = 1;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  const std::pair<int, int> caps[] = {
      {TECHNOLOGY, DT_RASPRINTER}, {HORZRES, 200},       {VERTRES, 100},         {LOGPIXELSX, 300},
      {LOGPIXELSY, 300},           {HORZSIZE, 17},       {VERTSIZE, 8},          {PHYSICALWIDTH, 220},
      {PHYSICALHEIGHT, 124},       {PHYSICALOFFSETX, 10}, {PHYSICALOFFSETY, 12}, {BITSPIXEL, 24},
      {PLANES, 1},                 {NUMCOLORS, -1},      {TEXTCAPS, 0x581F},     {ASPECTXY, 424},
  };
  for (auto [index, value] : caps) EXPECT_EQ(GetDeviceCaps(dc, index), value) << "index " << index;
  EXPECT_TRUE(GetDeviceCaps(dc, RASTERCAPS) & RC_BANDING);
  DeleteDC(dc);
}

TEST_F(PrinterDcTest, EscapesReachTheModuleWithTheCallersSizes) {
  Configure(TestGrConfig{});
  std::u16string name = kPrinter;
  HDC ic = CreateICW(nullptr, name.c_str(), nullptr, nullptr);
  ASSERT_NE(ic, nullptr);
  char out[16] = {};
  EXPECT_EQ(ExtEscape(ic, 4242, 5, "hello", sizeof(out), out), 5);
  EXPECT_EQ(std::string(out), "hello");
  EXPECT_EQ(ExtEscape(ic, 4242, 5, "hello", 0, nullptr), 0);
  const WORD asked[] = {4242, NEWFRAME, 77};
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[0]), nullptr), 1);
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[1]), nullptr), 1);
  EXPECT_EQ(Escape(ic, QUERYESCSUPPORT, sizeof(WORD), reinterpret_cast<LPCSTR>(&asked[2]), nullptr), 0);
  EXPECT_EQ(LinesOf("Escape").front(), "Escape 4242 in=5 out=16 pdev=1");
  EXPECT_EQ(LinesOf("Escape")[1], "Escape 4242 in=5 out=0 pdev=1");
  // An information context has no surface and takes no document.
  EXPECT_TRUE(LinesOf("EnableSurface").empty());
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  EXPECT_EQ(StartDocW(ic, &di), SP_ERROR);
  DeleteDC(ic);
}

TEST_F(PrinterDcTest, FailedOrAbortedJobsLeaveNoOutput) {
  TestGrConfig config;
  config.failStartPage = TRUE;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  const int job = StartDocW(dc, &di);
  ASSERT_GT(job, 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_EQ(AbortDoc(dc), 1);
  EXPECT_EQ(LinesOf("EndDoc"), std::vector<std::string>{"EndDoc flags=1"});
  DeleteDC(dc);
  // A second document, its DC deleted in the middle of a page.
  Configure(TestGrConfig{});
  dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartDocW(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  DeleteDC(dc);
  EXPECT_EQ(LinesOf("EndDoc"), std::vector<std::string>{"EndDoc flags=1"});
  EXPECT_TRUE(OutFiles().empty());

  const std::vector<BYTE> buf = JobRecord(DWORD(job), 1);
  ASSERT_FALSE(buf.empty());
  EXPECT_EQ(reinterpret_cast<const JOB_INFO_1W*>(buf.data())->Status, DWORD(JOB_STATUS_DELETED));
}

TEST_F(PrinterDcTest, UnknownPrinterAndDocumentCallsOutOfOrderFail) {
  EXPECT_EQ(CreateDCW(nullptr, u"No Such Printer", nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(StartPage(dc), SP_ERROR);  // no document
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  const int first = StartDocW(dc, &di);
  ASSERT_GT(first, 0);
  EXPECT_EQ(StartDocW(dc, &di), SP_ERROR);  // one document at a time
  EXPECT_EQ(EndPage(dc), SP_ERROR);         // no page
  EXPECT_GT(EndDoc(dc), 0);
  const int second = StartDocW(dc, &di);
  EXPECT_EQ(second, first + 1);  // job ids of the machine grow
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
}

TEST_F(PrinterDcTest, ResetDcCarriesTheDocumentToANewDevice) {
  Configure(TestGrConfig{});
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(dc, &di), 0);
  DEVMODEW dm{};
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmSpecVersion = DM_SPECVERSION;
  EXPECT_EQ(ResetDCW(dc, &dm), dc);
  EXPECT_EQ(LinesOf("ResetPDEV"), std::vector<std::string>{"ResetPDEV valid=1"});
  EXPECT_EQ(LinesOf("EnablePDEV").back(), "EnablePDEV devmode=220");
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(ResetDCW(dc, &dm), nullptr);  // not inside a page
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
}

}  // namespace
}  // namespace zolt::test
