// The document events of a printed job: an application prints through a printer DC of a printer
// whose graphics module is the engine's recording module and whose interface module is zoltui,
// and the recording module receives the localised string table through its escape before the
// document starts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "escape_strings.h"
#include "machine_fixture.h"
#include "testgr.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

constexpr char16_t kRecordedPrinter[] = u"Recorded 7000";
constexpr char16_t kDriverDir[] = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";

template <typename Fn>
Fn ProcAs(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

class DocumentEventsJob : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    // A second driver of the same files whose graphics module records what it receives.
    const fs::path modules = Root() / "recording-driver";
    fs::create_directories(modules);
    fs::copy_file(fs::path(ZOLT_ENGINE_TEST_MODULE_DIR) / "TestGr.dll", modules / "TestGr.dll");
    fs::copy_file(fs::path(ZOLT_MODULE_DIR) / "zoltui.dll", modules / "zoltui.dll");
    host::DriverInstall install;
    install.name = u"ZOLT Office 7000 Recording";
    install.moduleDir = modules;
    install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel;
    install.driverPath = u"TestGr.dll";
    std::string error;
    ASSERT_TRUE(host::InstallDriver(install, &error)) << error;
    host::PrinterSetup printer;
    printer.name = kRecordedPrinter;
    printer.driver = install.name;
    printer.driverEvents = true;
    ASSERT_TRUE(host::AddPrinter(printer, &error)) << error;

    module_ = LoadLibraryW((std::u16string(kDriverDir) + u"TestGr.dll").c_str());
    ASSERT_NE(module_, nullptr);
    configure_ = ProcAs<PFN_TestGrConfigure>(GetProcAddress(module_, "TestGrConfigure"));
    log_ = ProcAs<PFN_TestGrLog>(GetProcAddress(module_, "TestGrLog"));
    escapeInput_ = ProcAs<PFN_TestGrEscapeInput>(GetProcAddress(module_, "TestGrEscapeInput"));
    ASSERT_TRUE(configure_ && log_ && escapeInput_);
    const TestGrConfig config{};
    configure_(&config);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    DriverMachineTest::TearDown();
  }

  void SetHelpFile(const std::u16string& file) {
    std::u16string name = kRecordedPrinter;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, &defaults));
    std::u16string value = u"HelpFileName";
    EXPECT_EQ(SetPrinterDataW(h, value.data(), REG_SZ, (LPBYTE)file.c_str(), DWORD((file.size() + 1) * 2)),
              DWORD(ERROR_SUCCESS));
    ClosePrinter(h);
  }

  // Prints one empty page as an application does; true when every call succeeded.
  bool PrintOnePage() {
    HDC dc = CreateDCW(nullptr, kRecordedPrinter, nullptr, nullptr);
    EXPECT_NE(dc, nullptr) << GetLastError();
    if (!dc) return false;
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = u"Events";
    bool ok = StartDocW(dc, &doc) > 0;
    ok = ok && StartPage(dc) > 0 && EndPage(dc) > 0 && EndDoc(dc) > 0;
    DeleteDC(dc);
    return ok;
  }

  std::vector<std::string> Calls() {
    std::string text(log_(nullptr, 0) + 1, '\0');
    log_(text.data(), text.size());
    std::vector<std::string> calls;
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string line = text.substr(at, end - at);
      calls.push_back(line.substr(0, line.find(' ', line.rfind("Escape", 0) == 0 ? 7 : 0)));
    }
    return calls;
  }

  std::string EscapeInput(ULONG escape) {
    const size_t size = escapeInput_(escape, nullptr, 0);
    if (size == SIZE_MAX) return "(not called)";
    std::string bytes(size, '\0');
    escapeInput_(escape, bytes.data(), bytes.size());
    return bytes;
  }

  HMODULE module_ = nullptr;
  PFN_TestGrConfigure configure_ = nullptr;
  PFN_TestGrLog log_ = nullptr;
  PFN_TestGrEscapeInput escapeInput_ = nullptr;
};

// The table arrives once, between the DC's creation and the module's document start, with the
// texts of the printer's string library in rows of key, string id and text.
TEST_F(DocumentEventsJob, TheStringTableReachesTheGraphicsModuleBeforeTheDocument) {
  SetHelpFile(u"ZOLT7Hus.chm");
  ASSERT_TRUE(PrintOnePage());
  const std::string table = EscapeInput(kEscapeStrings);
  ASSERT_EQ(table.size(), 4u * sizeof(EscapeStringRow));
  const std::u16string texts[] = {u"Confidential", u"Copy", u"Draft", u""};
  const int16_t keys[] = {731, 733, 735, 0};
  const uint16_t ids[] = {15000, 15001, 15002, 0};
  for (int i = 0; i < kEscapeStringRows; ++i) {
    EscapeStringRow row{};
    std::memcpy(&row, table.data() + i * sizeof row, sizeof row);
    EXPECT_EQ(row.key, keys[i]) << i;
    EXPECT_EQ(row.stringId, ids[i]) << i;
    EXPECT_EQ(std::u16string(row.text), texts[i]) << i;
  }

  const std::vector<std::string> calls = Calls();
  std::vector<std::string> order;
  for (const std::string& c : calls)
    if (c == "Escape 122" || c == "StartDoc" || c == "StartPage" || c == "EndDoc") order.push_back(c);
  EXPECT_EQ(order, (std::vector<std::string>{"Escape 122", "StartDoc", "StartPage", "EndDoc"}));
}

// Without a string library the table still arrives, its rows keyed and their texts empty.
TEST_F(DocumentEventsJob, WithoutAStringLibraryTheRowsCarryNoText) {
  SetHelpFile(u"ZOLT7Hxx.chm");
  ASSERT_TRUE(PrintOnePage());
  const std::string table = EscapeInput(kEscapeStrings);
  ASSERT_EQ(table.size(), 4u * sizeof(EscapeStringRow));
  for (int i = 0; i < 3; ++i) {
    EscapeStringRow row{};
    std::memcpy(&row, table.data() + i * sizeof row, sizeof row);
    EXPECT_EQ(row.key, 731 + 2 * i);
    EXPECT_EQ(row.text[0], 0) << i;
  }
}

}  // namespace
}  // namespace zolt::test
