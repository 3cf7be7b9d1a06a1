// A job record for the output tests: a PhysicalDevice with its heap and an output module whose
// write function collects the stream in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gr_output.h"
#include "gr_pdev.h"

namespace zolt::test {

// What the in-memory output module received.
struct CapturedOutput {
  std::string bytes;
  std::vector<uint32_t> pieces;  // length of every write call
  int failAt = 0;                // the write call (from 1) that fails
  int shortAt = 0;               // the write call (from 1) that reports a byte fewer
};

CapturedOutput& Captured();

BOOL WINAPI CaptureWrite(HANDLE handle, const void* bytes, DWORD length, DWORD* written);

// A valid record with the capture module bound; freed by the destructor.
class TestPdev {
 public:
  TestPdev();
  ~TestPdev();
  TestPdev(const TestPdev&) = delete;
  TestPdev& operator=(const TestPdev&) = delete;
  PhysicalDevice* operator->() { return pdev_; }
  PhysicalDevice* get() { return pdev_; }
  OutputContext* out() { return &pdev_->output; }

 private:
  PhysicalDevice* pdev_;
};

// "30 00 00 00 ..." of bytes; for readable failures.
std::string Hex(std::string_view bytes);

// Golden files in tests/gr2k/golden; ZOLT_UPDATE_GOLDEN=1 writes them from the current output.
void ExpectGolden(const std::string& name, const std::string& bytes);

}  // namespace zolt::test
