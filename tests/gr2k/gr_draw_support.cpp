#include "gr_draw_support.h"

#include <gtest/gtest.h>

#include "gr_output.h"

namespace zolt::test {

DrawTarget::DrawTarget(LONG width, LONG height) {
  HBITMAP bitmap = EngCreateBitmap(SIZEL{width, height}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
  surface_ = reinterpret_cast<HSURF>(bitmap);
  so_ = EngLockSurface(surface_);
  so_->dhpdev = reinterpret_cast<DHPDEV>(pdev_.get());
  pdev_->drawOptimise = 1;
  pdev_->colourMode = 2;
  pdev_->machineTypeColour = 1;
}

DrawTarget::~DrawTarget() {
  if (so_) EngUnlockSurface(so_);
  if (surface_) EngDeleteSurface(surface_);
}

std::vector<blocks::DecodedRecord> DrawTarget::Records() {
  Captured() = {};
  EXPECT_EQ(GrFlushRecords(pdev_.out()), 1);
  std::vector<blocks::DecodedRecord> records;
  const std::string& bytes = Captured().bytes;
  std::string data;
  // Each data block: an 8-byte header and its payload.
  for (size_t at = 0; at + 8 <= bytes.size();) {
    const uint32_t length = blocks::Le32(bytes, at + 4);
    data += bytes.substr(at + 8, length);
    at += 8 + length;
  }
  std::string error;
  EXPECT_TRUE(blocks::DecodeRecords(data, &records, &error)) << error;
  return records;
}

std::vector<int> DrawTarget::Opcodes() {
  std::vector<int> ops;
  for (const auto& r : Records()) ops.push_back(r.opcode);
  return ops;
}

EngBitmap::EngBitmap(LONG width, LONG height, ULONG format, FLONG flags) {
  surface_ = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{width, height}, 0, format, flags, nullptr));
  so_ = surface_ ? EngLockSurface(surface_) : nullptr;
}

EngBitmap::~EngBitmap() {
  if (so_) EngUnlockSurface(so_);
  if (surface_) EngDeleteSurface(surface_);
}

}  // namespace zolt::test
