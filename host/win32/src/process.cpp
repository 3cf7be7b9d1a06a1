// CreateProcessW over the machine's registered programs, and process handles.
#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "waitable.h"
#include "win32/hostpath.h"
#include "win32/hostprocess.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/process.h"
#include "win32/sync.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

struct Programs {
  std::mutex lock;
  std::vector<std::pair<std::u16string, ProgramBody>> bodies;  // canonical Windows path, body
  std::vector<ProgramLaunch> launches;
  std::atomic<DWORD> nextId{0x2000};
};

Programs& ThePrograms() {
  static Programs* p = new Programs;
  return *p;
}

// The running state of a started program, shared by its process and thread handles.
struct ProcessState {
  DWORD processId = 0;
  DWORD threadId = 0;
  bool done = false;  // under WaitLock
  DWORD exitCode = STILL_ACTIVE;
};

class ProcessObject : public Waitable {
 public:
  ProcessState* State() const { return state_.get(); }
  explicit ProcessObject(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}
  DWORD TryAcquire() override { return state_->done ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }

 private:
  std::shared_ptr<ProcessState> state_;
};

// The primary thread of a started program: signalled with the process.
class ThreadObject : public Waitable {
 public:
  explicit ThreadObject(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}
  DWORD TryAcquire() override { return state_->done ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }

 private:
  std::shared_ptr<ProcessState> state_;
};

std::u16string CanonicalText(std::u16string_view windowsPath) {
  DWORD error = 0;
  auto parsed = ParseWinPath(windowsPath, &error);
  return parsed ? parsed->Text() : std::u16string(windowsPath);
}

bool HasExtension(std::u16string_view name) {
  size_t slash = name.find_last_of(u"\\/");
  size_t dot = name.find_last_of(u'.');
  return dot != std::u16string_view::npos && (slash == std::u16string_view::npos || dot > slash);
}

// The program named by the first word of a command line.
std::optional<fs::path> FindProgramOfCommandLine(std::u16string_view line, DWORD* error) {
  size_t i = 0;
  while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
  std::u16string word;
  if (i < line.size() && line[i] == u'"') {
    size_t end = line.find(u'"', i + 1);
    word = line.substr(i + 1, end == std::u16string_view::npos ? std::u16string_view::npos : end - i - 1);
  } else {
    size_t end = line.find_first_of(u" \t", i);
    word = line.substr(i, end == std::u16string_view::npos ? std::u16string_view::npos : end - i);
  }
  if (word.empty()) {
    *error = ERROR_FILE_NOT_FOUND;
    return std::nullopt;
  }
  if (!HasExtension(word)) word += u".exe";
  bool bare = word.find_first_of(u"\\/:") == std::u16string::npos;
  if (!bare) return MapPath(word, Resolve::Existing, error);
  const MachineFacts& f = Machine::Facts();
  for (const std::u16string& dir : {CurrentDirectory(), FromUtf8(f.SystemDirectory()), FromUtf8(f.WindowsDirectory())}) {
    DWORD e = 0;
    if (auto real = MapPath(dir + u"\\" + word, Resolve::Existing, &e)) return real;
  }
  *error = ERROR_FILE_NOT_FOUND;
  return std::nullopt;
}

}  // namespace

void RegisterProgram(std::u16string_view windowsPath, ProgramBody body) {
  Programs& p = ThePrograms();
  std::u16string key = CanonicalText(windowsPath);
  std::lock_guard guard(p.lock);
  for (auto& [path, existing] : p.bodies) {
    if (NamesEqual(path, key)) {
      existing = std::move(body);
      return;
    }
  }
  p.bodies.emplace_back(std::move(key), std::move(body));
}

void ResetPrograms() {
  Programs& p = ThePrograms();
  std::lock_guard guard(p.lock);
  p.bodies.clear();
  p.launches.clear();
}

std::vector<ProgramLaunch> ProgramLaunches() {
  Programs& p = ThePrograms();
  std::lock_guard guard(p.lock);
  return p.launches;
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                                     LPSECURITY_ATTRIBUTES, BOOL, DWORD dwCreationFlags, LPVOID,
                                     LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                                     LPPROCESS_INFORMATION lpProcessInformation) {
  if (!lpStartupInfo || !lpProcessInformation || (!lpApplicationName && !lpCommandLine)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD error = 0;
  std::optional<fs::path> real = lpApplicationName
                                     ? MapPath(WideView(lpApplicationName), Resolve::Existing, &error)
                                     : FindProgramOfCommandLine(WideView(lpCommandLine), &error);
  std::error_code ec;
  if (real && fs::is_directory(*real, ec)) {
    real.reset();
    error = ERROR_ACCESS_DENIED;
  }
  if (!real) {
    SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::u16string cwd = CurrentDirectory();
  if (lpCurrentDirectory) {
    auto dir = MapPath(WideView(lpCurrentDirectory), Resolve::Existing, &error);
    if (!dir || !fs::is_directory(*dir, ec)) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
    cwd = ToWindowsPath(*dir);
  }

  Programs& programs = ThePrograms();
  ProgramLaunch launch;
  launch.program = ToWindowsPath(*real);
  launch.commandLine = std::u16string(WideView(lpCommandLine));
  launch.currentDirectory = cwd;
  launch.creationFlags = dwCreationFlags;
  launch.startupFlags = lpStartupInfo->dwFlags;
  launch.showWindow = lpStartupInfo->wShowWindow;
  ProgramBody body;
  {
    std::lock_guard guard(programs.lock);
    for (const auto& [path, registered] : programs.bodies)
      if (NamesEqual(path, launch.program)) body = registered;
  }
  if (!body) {
    SetLastError(ERROR_BAD_EXE_FORMAT);  // a file, but no program this machine can run
    return FALSE;
  }
  auto state = std::make_shared<ProcessState>();
  state->processId = programs.nextId.fetch_add(4);
  state->threadId = programs.nextId.fetch_add(4);
  launch.processId = state->processId;
  {
    std::lock_guard guard(programs.lock);
    programs.launches.push_back(launch);
  }
  lpProcessInformation->hProcess = HandleInsert(std::make_shared<ProcessObject>(state));
  lpProcessInformation->hThread = HandleInsert(std::make_shared<ThreadObject>(state));
  lpProcessInformation->dwProcessId = state->processId;
  lpProcessInformation->dwThreadId = state->threadId;
  std::thread([state, body = std::move(body), launch = std::move(launch)] {
    DWORD code;
    try {
      code = body(launch);
    } catch (...) {
      code = 0xE06D7363;  // the exception code of an uncaught C++ exception
    }
    std::lock_guard lock(WaitLock());
    state->exitCode = code;
    state->done = true;
    WaitNotify();
  }).detach();
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

WIN32_API BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  auto process = HandleGetAs<ProcessObject>(hProcess);
  if (!process || !lpExitCode) {
    SetLastError(process ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(WaitLock());
  *lpExitCode = process->State()->exitCode;
  return TRUE;
}

WIN32_API DWORD WINAPI GetProcessId(HANDLE Process) {
  if (Process == GetCurrentProcess()) return GetCurrentProcessId();
  auto process = HandleGetAs<ProcessObject>(Process);
  if (!process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return process->State()->processId;
}
