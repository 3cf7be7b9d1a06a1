#include "gr_job_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "devmode_fields.h"
#include "driver_context.h"
#include "option_access.h"
#include "win32/hosttext.h"

namespace fs = std::filesystem;

namespace zolt::test {

void GrJobTest::SetUp() { DriverMachineTest::SetUp(); }

std::string GrJobTest::DevModeWith(std::initializer_list<std::pair<uint16_t, int32_t>> options) {
  HANDLE printer = OpenTestPrinter();
  DriverContext* ctx = CtxCreateForPrinter(printer, printer, nullptr, kCtxModeGraphics);
  EXPECT_NE(ctx, nullptr);
  std::string bytes;
  if (ctx) {
    for (const auto& [id, value] : options) EXPECT_TRUE(OptSetValue(ctx, id, value)) << "option " << id;
    const BYTE* dm = CtxGetDevMode(ctx);
    bytes.assign(reinterpret_cast<const char*>(dm), DmGetSize());
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
  ClosePrinter(printer);
  return bytes;
}

GrJobTest::JobResult GrJobTest::Print(int pages, const std::function<void(HDC, int)>& draw, const std::string& devmode,
                                      const std::function<void(HDC&, int)>& betweenPages) {
  JobResult result;
  const auto* dm = devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data());
  HDC dc = CreateDCW(nullptr, kPrinterName, nullptr, dm);
  EXPECT_NE(dc, nullptr) << "CreateDCW failed with " << GetLastError();
  if (!dc) return result;
  const auto before = PortFiles();
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = u"Test document";
  result.startDoc = StartDocW(dc, &doc) > 0;
  for (int page = 1; result.startDoc && page <= pages; ++page) {
    if (page > 1 && betweenPages) betweenPages(dc, page);
    const bool started = StartPage(dc) > 0;
    if (started && draw) draw(dc, page);
    const bool ended = started && EndPage(dc) > 0;
    result.pagesOk = result.pagesOk && started && ended;
  }
  if (result.startDoc) result.endDoc = EndDoc(dc) > 0;
  DeleteDC(dc);
  auto after = PortFiles();
  for (const auto& file : after)
    if (std::find(before.begin(), before.end(), file) == before.end()) result.output = ReadBytes(file);
  return result;
}

std::vector<fs::path> GrJobTest::PortFiles() const {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(Root() / "out", ec))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

void GrJobTest::RegisterInterfaceModule(const std::string& installPath, int forceRaw) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\ORVEX\\ZoltPlugins\\iZOLTFilter\\OutputTest", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string name = u"Output test", path = host::FromUtf8(installPath);
  RegSetValueExW(key, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                 static_cast<DWORD>((name.size() + 1) * sizeof(WCHAR)));
  RegSetValueExW(key, u"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(WCHAR)));
  const DWORD raw = static_cast<DWORD>(forceRaw);
  RegSetValueExW(key, u"ForceRAW", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&raw), sizeof raw);
  RegCloseKey(key);
}

void GrJobTest::SetModuleBehaviour(const std::string& module, const std::string& lines) {
  WriteBytes(Root() / "outputmodules" / (module + ".ini"), "[Behaviour]\n" + lines);
}

std::vector<std::string> GrJobTest::ModuleCalls(const std::string& module) const {
  std::vector<std::string> calls;
  std::ifstream in(Root() / "outputmodules" / (module + ".log"));
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

DecodedStream GrJobTest::Decode(const std::string& output) {
  DecodedStream stream;
  std::string error;
  EXPECT_TRUE(DecodeStream(output, &stream, &error)) << error;
  return stream;
}

std::u16string GrJobTest::DriverDirectory() const { return u"C:\\Windows\\System32\\spool\\drivers\\x64\\3"; }

}  // namespace zolt::test
