// A decoder of the run-length coded glyph bitmaps of the glyph records (compression type 2),
// written apart from the graphics module so that tests can decode what it sent.
//
// Each unit: a header byte (bit 7 repeat unit; bits 3-6 zero bytes before the unit's data, 15
// meaning 15 plus extension bytes; bits 0-2 the count field, 7 meaning 7 plus extension bytes),
// the extension bytes (zero count first; each a run of 0xFF bytes ended by a byte below 0xFF,
// all added up), then the data: a repeat unit's byte (count field + 2 times), a literal unit's
// bytes (count field + 1 of them). What the units leave of the known size is zeros.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zolt::blocks {

// Decodes into a bitmap of `size` bytes; false (with the reason) when the coding is broken or
// holds more than `size` bytes.
inline bool DecodeGlyphRuns(std::string_view coded, size_t size, std::string* out, std::string* error) {
  out->clear();
  size_t at = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = why + " at byte " + std::to_string(at);
    return false;
  };
  auto extension = [&](size_t* value) {
    for (;;) {
      if (at >= coded.size()) return false;
      const uint8_t b = static_cast<uint8_t>(coded[at++]);
      *value += b;
      if (b != 0xFF) return true;
    }
  };
  while (at < coded.size()) {
    const uint8_t header = static_cast<uint8_t>(coded[at++]);
    size_t zeros = (header >> 3) & 15, count = header & 7;
    if (zeros == 15 && !extension(&zeros)) return fail("a zero count runs past the end");
    if (count == 7 && !extension(&count)) return fail("a count runs past the end");
    if (zeros > size - out->size()) return fail("zeros past the bitmap");
    out->append(zeros, '\0');
    if (header & 0x80) {
      if (at >= coded.size()) return fail("a repeat unit without its byte");
      if (count + 2 > size - out->size()) return fail("a repeat past the bitmap");
      out->append(count + 2, coded[at++]);
    } else {
      if (count + 1 > coded.size() - at) return fail("a literal runs past the end");
      if (count + 1 > size - out->size()) return fail("a literal past the bitmap");
      out->append(coded.substr(at, count + 1));
      at += count + 1;
    }
  }
  out->append(size - out->size(), '\0');
  return true;
}

}  // namespace zolt::blocks
