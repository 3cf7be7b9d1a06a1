// What the two stand-in output modules share: their behaviour file and call log under
// <root>/outputmodules/ of the machine, and the job they write to.
//
//   <root>/outputmodules/<name>.ini    [Behaviour] (all optional)
//       FailWriteAt=N     the N-th write call (from 1) fails and writes nothing
//       ShortWriteAt=N    the N-th write call reports one byte fewer than it was given
//       OpenResult=0      Open answers FALSE (interface module)
//       EndPageResult=0   EndPage answers FALSE (interface module)
//   <root>/outputmodules/<name>.log    one line per call, appended: the call's name and its
//                                      arguments of interest ("Write 4096", "StartDoc 7")
//
// Each write hands its bytes to the job through WritePrinter on the printer handle of the
// document, so that the stream lands in the printer's port file.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "win32/machine.h"
#include "win32/windows.h"

namespace zolt::outstub {

// One open document.
struct OutputDocument {
  HANDLE printer = nullptr;
  DWORD jobId = 0;
};

inline std::filesystem::path Folder() { return zolt::host::Machine::Root() / "outputmodules"; }

inline std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

inline void Log(const char* module, const std::string& line) {
  std::lock_guard guard(Lock());
  std::error_code ec;
  std::filesystem::create_directories(Folder(), ec);
  std::ofstream(Folder() / (std::string(module) + ".log"), std::ios::app) << line << '\n';
}

// A number of the behaviour file, or fallback.
inline long Behaviour(const char* module, const char* key, long fallback) {
  std::ifstream in(Folder() / (std::string(module) + ".ini"));
  std::string line;
  const std::string prefix = std::string(key) + "=";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 0);
  }
  return fallback;
}

// The write of both modules: counts the call, applies the behaviour file and hands the bytes
// to the job.
inline BOOL WriteToJob(const char* module, long* calls, OutputDocument* doc, const void* bytes, DWORD length,
                       DWORD* written) {
  if (written) *written = 0;
  const long n = ++*calls;
  Log(module, "Write " + std::to_string(length));
  if (!doc || !bytes || !written) return FALSE;
  if (Behaviour(module, "FailWriteAt", 0) == n) return FALSE;
  DWORD done = 0;
  if (!WritePrinter(doc->printer, const_cast<void*>(bytes), length, &done)) return FALSE;
  *written = Behaviour(module, "ShortWriteAt", 0) == n && done > 0 ? done - 1 : done;
  return TRUE;
}

}  // namespace zolt::outstub
