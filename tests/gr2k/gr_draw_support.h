// A drawing target for the drawing tests: a job record whose device surface is an engine
// bitmap (so that the engine's own fall-backs have pixels to draw on), and the records the
// drawing calls buffered, decoded.
#pragma once

#include <string>
#include <vector>

#include "block_stream.h"
#include "gr_test_support.h"
#include "win32/ddi.h"

namespace zolt::test {

class DrawTarget {
 public:
  explicit DrawTarget(LONG width = 256, LONG height = 256);
  ~DrawTarget();
  DrawTarget(const DrawTarget&) = delete;
  DrawTarget& operator=(const DrawTarget&) = delete;
  PhysicalDevice* pdev() { return pdev_.get(); }
  SURFOBJ* so() { return so_; }
  // The records buffered since the last call (the buffer is emptied).
  std::vector<blocks::DecodedRecord> Records();
  // Their opcodes, in order.
  std::vector<int> Opcodes();

 private:
  TestPdev pdev_;
  HSURF surface_ = nullptr;
  SURFOBJ* so_ = nullptr;
};

// An engine bitmap for sources, locked; freed by the destructor.
class EngBitmap {
 public:
  EngBitmap(LONG width, LONG height, ULONG format, FLONG flags = BMF_TOPDOWN);
  ~EngBitmap();
  EngBitmap(const EngBitmap&) = delete;
  EngBitmap& operator=(const EngBitmap&) = delete;
  SURFOBJ* so() { return so_; }
  BYTE* Row(LONG y) { return static_cast<BYTE*>(so_->pvScan0) + static_cast<ptrdiff_t>(y) * so_->lDelta; }

 private:
  HSURF surface_ = nullptr;
  SURFOBJ* so_ = nullptr;
};

}  // namespace zolt::test
