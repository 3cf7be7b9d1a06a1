// Compiles arbitrary bytes as a model description, packs the result into an image and walks
// every link of the image: the packed image must always pass the image check, and reading it
// through the accessors must stay inside it. Then a few bytes of the image are damaged (where,
// derived from the input) and the check runs again: an image it accepts must still be safe to walk.
// Every name resolves, so that the handlers and packers behind the names are reached.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mdl_compile.h"
#include "mdl_fuzz_symbols.h"
#include "mdl_image_walker.h"
#include "option_table.h"
#include "win32/machine.h"

using mdl_fuzz::Fail;
using mdl_fuzz::Walker;

static std::filesystem::path gMachine;

static void RemoveMachine() {
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

// A machine of the target's own, so that the reader's code page comes from a fresh machine.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-mdl-pack-" + std::to_string(getpid()));
  if (zolt::host::Machine::Create(gMachine, zolt::host::MachineFacts{})) {
    zolt::host::Machine::Use(gMachine);
    std::atexit(RemoveMachine);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mdl_fuzz::ForgetSymbols();
  MdlSetSymbolLookups(&mdl_fuzz::kLookups);
  CompileContext* ctx = MdlCompileBytes(data, size);
  if (!ctx) return 0;
  uint32_t imageSize = MdlSizeImage(ctx);
  if (imageSize == 0) Fail("no size for a compiled model");
  std::vector<uint8_t> image(imageSize);
  if (!MdlPackInto(image.data(), imageSize, ctx)) Fail("packing failed");
  std::vector<uint8_t> again(imageSize);
  if (!MdlPackInto(again.data(), imageSize, ctx) || again != image) Fail("packing twice differs");
  MdlFreeCompileContext(ctx);
  if (!MdlCheckImage(image.data(), image.size())) Fail("packed image refused by the check");
  Walker(reinterpret_cast<const ModelImage*>(image.data())).Run();

  // Damage a few bytes that the input selects, then check again.
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  // Mostly the records after the header, sometimes its slots.
  for (int i = 0; i < 4; ++i) {
    h = h * 6364136223846793005ull + 1442695040888963407ull;
    bool records = image.size() > kModelHeaderSize && (h >> 62) != 0;
    size_t from = records ? kModelHeaderSize : 0;
    size_t at = from + static_cast<size_t>(h >> 33) % (image.size() - from);
    image[at] ^= static_cast<uint8_t>(h >> 24) | 1;
  }
  if (MdlCheckImage(image.data(), image.size())) Walker(reinterpret_cast<const ModelImage*>(image.data())).Run();
  return 0;
}
