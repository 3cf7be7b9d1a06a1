// Fuzz target of the resource script compiler: any text must compile or fail with a message,
// never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rc_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zolt::rc::Options options;
  zolt::rc::Result result;
  std::string text(reinterpret_cast<const char*>(data), size);
  if (zolt::rc::CompileScript(text, "/nonexistent/fuzz.rc", options, result))
    zolt::rc::GenerateSource(result.resources, "fuzz.rc");
  return 0;
}
