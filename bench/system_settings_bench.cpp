// Speed of two things a person waits for: printing preferences opened through the spooler
// (DocumentPropertiesW with the prompt flag) until the sheet stands idle with its first page
// painted, and one status change made by the settings tool, a program of its own, from its start
// to its exit.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "win32/hostspooler.h"
#include "win32/hostui.h"
#include "win32/module.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;
constexpr char16_t kPrinter[] = u"Bench 7000";

class Machine {
 public:
  Machine() : machine_("system-settings") {
    zolt::host::InstallSystemModules(ZOLT_MODULE_DIR);
    zolt::host::DriverInstall install;
    install.name = u"ZOLT Office 7000 Series";
    install.moduleDir = ZOLT_MODULE_DIR;
    install.modelFile = std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS";
    zolt::host::PrinterSetup setup;
    setup.name = kPrinter;
    setup.driver = install.name;
    if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) std::abort();
  }
  const std::filesystem::path& root() const { return machine_.root(); }

 private:
  zolt::bench::TempMachine machine_;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

void BM_PrefsToFirstPaintedPage(benchmark::State& state) {
  TheMachine();
  std::u16string name = kPrinter;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name.data(), &printer, nullptr)) std::abort();
  const LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
  std::vector<BYTE> in(static_cast<size_t>(size)), out(static_cast<size_t>(size));
  if (DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(in.data()), nullptr,
                          DM_OUT_BUFFER) != IDOK)
    std::abort();
  for (auto _ : state) {
    using Clock = std::chrono::steady_clock;
    ui::Reset();
    const auto start = Clock::now();
    Clock::time_point shown{};
    // The first idle step comes once the sheet is up and its first page has been painted.
    ui::WhenIdle([&shown](HWND modal) {
      shown = Clock::now();
      if (HWND cancel = GetDlgItem(modal, IDCANCEL)) ui::Click(cancel);
    });
    const LONG r = DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(out.data()),
                                       reinterpret_cast<PDEVMODEW>(in.data()),
                                       DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
    if (r != IDCANCEL || shown == Clock::time_point{}) {
      state.SkipWithError("printing preferences did not open");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
  }
  ui::Reset();
  ClosePrinter(printer);
}
BENCHMARK(BM_PrefsToFirstPaintedPage)->UseManualTime()->Unit(benchmark::kMillisecond);

// zoltsettings "Bench 7000" set 6 value=N: the orientation turned back and forth.
void BM_SettingsToolChange(benchmark::State& state) {
  const std::string root = TheMachine().root().string();
  int value = 1;
  for (auto _ : state) {
    value = value == 1 ? 2 : 1;
    const std::string field = "value=" + std::to_string(value);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("ZOLT_MACHINE_ROOT", root.c_str(), 1);
      if (FILE* quiet = std::freopen("/dev/null", "w", stdout)) (void)quiet;
      ::execl(ZOLT_SETTINGS_TOOL, ZOLT_SETTINGS_TOOL, "Bench 7000", "set", "6", field.c_str(), nullptr);
      ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the settings tool failed");
      break;
    }
  }
}
BENCHMARK(BM_SettingsToolChange)->Unit(benchmark::kMillisecond);

}  // namespace
