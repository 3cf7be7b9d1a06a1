#include "gr_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "machine_fixture.h"

namespace zolt::test {

CapturedOutput& Captured() {
  static CapturedOutput captured;
  return captured;
}

BOOL WINAPI CaptureWrite(HANDLE, const void* bytes, DWORD length, DWORD* written) {
  CapturedOutput& c = Captured();
  c.pieces.push_back(length);
  const int call = static_cast<int>(c.pieces.size());
  if (call == c.failAt) return FALSE;
  c.bytes.append(static_cast<const char*>(bytes), length);
  *written = call == c.shortAt ? length - 1 : length;
  return TRUE;
}

TestPdev::TestPdev() : pdev_(GrAllocPdev()) {
  Captured() = {};
  pdev_->magic = pdev_->magicEnd = kPdevMagic;
  pdev_->output.owner = pdev_;
  // Any non-null module handle: the writer only tests for one.
  pdev_->output.module = reinterpret_cast<HMODULE>(pdev_);
  pdev_->output.write = CaptureWrite;
  pdev_->resolution = 600;
  GrResetRecordBuffer(&pdev_->output);
}

TestPdev::~TestPdev() { GrFreePdev(pdev_); }

std::string Hex(std::string_view bytes) {
  static const char* const kDigits = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

void ExpectGolden(const std::string& name, const std::string& bytes) {
  const std::filesystem::path file = std::filesystem::path(ZOLT_SOURCE_DIR) / "tests" / "gr2k" / "golden" / name;
  if (std::getenv("ZOLT_UPDATE_GOLDEN")) WriteBytes(file, bytes);
  const std::string expected = ReadBytes(file);
  ASSERT_FALSE(expected.empty()) << "no golden file " << file;
  EXPECT_EQ(Hex(bytes), Hex(expected)) << name;
}

}  // namespace zolt::test
