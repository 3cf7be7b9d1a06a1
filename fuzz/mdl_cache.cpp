// The compiled cache-file loader on arbitrary bytes: the input is put in a model's cache file
// (dated after its source) and read back with the loader. A file the loader accepts must be the
// input byte for byte, and every link in it must be safe to follow.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core_memory.h"
#include "mdl_image_walker.h"
#include "model_load.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace {

constexpr const WCHAR* kSource = u"C:\\fuzz\\MODEL.QCS";
std::filesystem::path gMachine;
std::filesystem::path gCacheFile;

void RemoveMachine() {
  std::error_code ec;
  std::filesystem::remove_all(gMachine, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gMachine = std::filesystem::temp_directory_path() / ("zolt-fuzz-mdl-cache-" + std::to_string(getpid()));
  if (!zolt::host::Machine::Create(gMachine, zolt::host::MachineFacts{})) std::abort();
  zolt::host::Machine::Use(gMachine);
  std::atexit(RemoveMachine);
  const std::filesystem::path folder = gMachine / "drive_c" / "fuzz";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "MODEL.QCS", std::ios::binary) << "*FileVersion: 7.70\n";
  gCacheFile = folder / "MODEL.BCS";
  // The source is old, so the cache file written for each input is never refused for its age.
  HANDLE source = CreateFileW(kSource, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (source == INVALID_HANDLE_VALUE) std::abort();
  FILETIME old{0, 0x01000000};
  SetFileTime(source, nullptr, nullptr, &old);
  CloseHandle(source);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(gCacheFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ModelImage* image = MdlReadCacheFile(kSource);
  if (!image) return 0;
  if (image->header.totalSize != size || std::memcmp(image, data, size) != 0)
    mdl_fuzz::Fail("the loaded image is not the cache file");
  WCHAR version[16];
  if (!MdlImageFileVersion(image, version)) mdl_fuzz::Fail("FileVersion without terminator accepted");
  mdl_fuzz::Walker(image).Run();
  MdlFreeMem(image);
  return 0;
}
