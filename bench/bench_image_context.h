// A tables-only context with a working image laid out in its three blocks, for benchmarks.
#pragma once

#include "core_memory.h"
#include "driver_context.h"

namespace zolt::bench {

class ImageContext {
 public:
  ImageContext() {
    HANDLE printer = reinterpret_cast<HANDLE>(1);
    ctx_ = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    if (!ctx_) return;
    ctx_->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    auto* image = reinterpret_cast<BYTE*>(ctx_->settingsImage);
    if (!image) return;
    const DWORD starts[3] = {0, 1236, 6500};
    for (int i = 0; i < 3; ++i) {
      image[361 + 2 * i] = static_cast<BYTE>(starts[i]);
      image[362 + 2 * i] = static_cast<BYTE>(starts[i] >> 8);
    }
  }
  ~ImageContext() {
    if (ctx_) CtxReleaseAs(ctx_, kCtxReleaseDestroy);
  }
  ImageContext(const ImageContext&) = delete;
  ImageContext& operator=(const ImageContext&) = delete;
  DriverContext* get() const { return ctx_ && ctx_->settingsImage ? ctx_ : nullptr; }

 private:
  DriverContext* ctx_ = nullptr;
};

}  // namespace zolt::bench
