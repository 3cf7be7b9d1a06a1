// Helpers of the tests that fork: a one-byte signal between two processes, and the exit code
// of a child.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace zolt::test
