// Any bytes as an output block stream for the tests' decoder: it must accept or refuse them
// without crashing or reading outside the input, and what it accepts must hold what it promises
// (every block inside the stream, every page framed and beginning and ending with its page
// records, every record a multiple of 4 bytes), so that the tests can trust it as an oracle.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "block_stream.h"

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zolt::blocks::DecodedStream stream;
  std::string error;
  if (!zolt::blocks::DecodeStream(bytes, &stream, &error)) {
    Require(!error.empty());
    return 0;
  }
  uint64_t total = 0;
  for (const auto& block : stream.blocks) {
    Require(block.offset + 8 + block.payload.size() <= size);
    total += 8 + block.payload.size();
  }
  Require(total == size);
  for (const auto& page : stream.pages) {
    Require(!page.records.empty() && page.records.front().opcode == 96 && page.records.back().opcode == 97);
    for (const auto& record : page.records) Require(record.bytes.size() % 4 == 0 && !record.bytes.empty());
  }
  (void)zolt::blocks::SummariseStream(stream);
  return 0;
}
