// A tables-only driver context given a working settings image (and the saved and lock-default
// images that creation made), each with the block start offsets of the 2000+ layout.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "driver_context.h"
#include "env_language.h"
#include "machine_fixture.h"

namespace zolt::test {

constexpr DWORD kBlockStart[4] = {0, 0, 1236, 6500};

inline void WriteBlockStarts(BYTE* image) {
  for (int block = 1; block <= 3; ++block) {
    const DWORD at = 359 + 2 * block;  // 361, 363, 365
    image[at] = static_cast<BYTE>(kBlockStart[block]);
    image[at + 1] = static_cast<BYTE>(kBlockStart[block] >> 8);
  }
}

class ImageContextTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ctx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                             kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    ASSERT_NE(ctx->workArea->savedImage, nullptr);
    ASSERT_NE(ctx->workArea->lockDefaultImage, nullptr);
    for (BYTE* image : {Working(), Saved(), LockDefault()}) WriteBlockStarts(image);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    MachineTest::TearDown();
  }

  // Installs a built language library under C:\Windows and makes it the context's library.
  void UseLanguageLibrary(const char* file) {
    const std::u16string path = u"C:\\Windows\\" + std::u16string(file, file + std::strlen(file));
    WriteBytes(Real(path), ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / file));
    EnvFreeResourceDlls(ctx);
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr) << file;
  }

  BYTE* Working() const { return reinterpret_cast<BYTE*>(ctx->settingsImage); }
  BYTE* Saved() const { return reinterpret_cast<BYTE*>(ctx->workArea->savedImage); }
  BYTE* LockDefault() const { return reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage); }
  // The bytes of a row's field in an image.
  static BYTE* At(BYTE* image, const OptionEntry* row) {
    return image + kBlockStart[TypeBlock(row->typeWord)] + row->offset;
  }

  DriverContext* ctx = nullptr;
};

}  // namespace zolt::test
