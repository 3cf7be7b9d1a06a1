// Helpers of the tests that fork: a one-byte signal between two processes, and the exit code
// of a child.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "machine_fixture.h"

namespace zolt::test {

// A pipe to tell a child or the parent that a step is done.
struct Signal {
  int fds[2] = {-1, -1};
  Signal() { EXPECT_EQ(pipe(fds), 0); }
  ~Signal() {
    close(fds[0]);
    close(fds[1]);
  }
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  void Send() { EXPECT_EQ(write(fds[1], "x", 1), 1); }
  bool Receive() {
    char c;
    return read(fds[0], &c, 1) == 1;
  }
};

// The child's exit code, 128 + the signal that ended it, or -1 when it cannot be waited for.
inline int WaitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// What a program run printed and how it ended.
struct ProgramRun {
  int status = -1;
  std::string out, err;
};

// Runs a program with arguments, its output kept in files of the folder `scratch`. With a
// machine root the child's ZOLT_MACHINE_ROOT names it; with an empty one the variable is unset.
inline ProgramRun RunProgram(const char* program, const std::vector<std::string>& args,
                             const std::filesystem::path& scratch, const std::string& machineRoot = {}) {
  const std::filesystem::path out = scratch / "program.out", err = scratch / "program.err";
  pid_t pid = ::fork();
  if (pid == 0) {
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    ::dup2(e, 2);
    if (!machineRoot.empty()) ::setenv("ZOLT_MACHINE_ROOT", machineRoot.c_str(), 1);
    else ::unsetenv("ZOLT_MACHINE_ROOT");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program, argv.data());
    ::_exit(127);
  }
  ProgramRun r;
  r.status = WaitChild(pid);
  r.out = ReadBytes(out);
  r.err = ReadBytes(err);
  return r;
}

}  // namespace zolt::test
