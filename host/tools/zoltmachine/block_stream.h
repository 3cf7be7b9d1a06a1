// A decoder of the graphics module's output block stream, written apart from the module so that
// tests can check what it produced and zoltmachine can summarise a job's output: every block's header and length, the framing of the job and
// its pages, and the drawing records carried by the data blocks of each page.
//
// Grammar checked (blocks by type):
//   stream   := (jobstart* page)* jobstart*           jobstart := 0xF3 | 0xF7
//   page     := 0xF4 0xF0 0xF5* 0xF1                  0xF0 always has length 0
// Job-start blocks come only between pages (after a device reset they come again). The payloads
// of a page's data blocks form one record sequence that begins with the page-start record (96)
// and ends with the page-end record (97); a record may span data blocks but not pages.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zolt::blocks {

struct DecodedBlock {
  uint8_t type = 0;
  uint32_t offset = 0;  // of the header in the stream
  std::string payload;
};

struct DecodedRecord {
  uint8_t opcode = 0;
  std::string bytes;  // the whole record
};

struct DecodedPage {
  std::string startText;  // payload of the page-start block
  std::string endText;    // payload of the page-end block
  int dataBlocks = 0;
  std::vector<DecodedRecord> records;
};

struct DecodedStream {
  std::vector<DecodedBlock> blocks;
  std::vector<DecodedPage> pages;
  std::map<uint8_t, int> blockCounts;
  uint64_t bytes = 0;
};

// Little-endian fields.
inline uint32_t Le32(std::string_view s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}
inline uint16_t Le16(std::string_view s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

// The size of the record at the start of rest, or 0 when it cannot be told (unknown opcode,
// too short to hold its size field).
inline uint32_t RecordSize(std::string_view rest) {
  if (rest.size() < 4) return 0;
  const uint8_t op = static_cast<uint8_t>(rest[0]);
  switch (op) {
    case 49: case 50: case 52: case 53: case 55: case 97: return 4;
    case 51: case 54: return 8;
    case 96: return 16;
    case 48: return static_cast<uint8_t>(rest[1]);
    case 112: return static_cast<uint8_t>(rest[2]);
    case 80: case 86: return rest.size() >= 16 ? Le16(rest, 14) : 0;
    // The brush record carries a u16 data length at offset 4, its pattern right after it.
    case 64: return rest.size() >= 6 ? (Le16(rest, 4) + 9u) & ~3u : 0;
    case 16: case 17: case 18: case 19: case 32: case 81: case 82: case 83: case 84: case 85: case 87:
      return Le32(rest, 4);
    default: return 0;
  }
}

// The smallest size a record of the opcode can have.
inline uint32_t RecordMinimum(uint8_t op) {
  switch (op) {
    case 16: return 24;
    case 17: case 18: return 28;
    case 19: return 24;
    case 32: return 56;
    case 48: return 8;
    case 64: return 8;
    case 80: return 24;
    case 81: case 82: case 85: return 36;
    case 83: case 87: return 64;
    case 84: return 28;
    case 86: return 32;
    case 112: return 4;
    default: return 4;
  }
}

inline bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

// Splits a page's record bytes into records; false with the reason when they do not.
inline bool DecodeRecords(std::string_view data, std::vector<DecodedRecord>* out, std::string* error) {
  size_t at = 0;
  while (at < data.size()) {
    const std::string_view rest = data.substr(at);
    const uint32_t size = RecordSize(rest);
    const uint8_t op = static_cast<uint8_t>(rest[0]);
    if (size == 0) return Fail(error, "record at " + std::to_string(at) + ": unknown opcode or size " + std::to_string(op));
    if (size % 4 || size < RecordMinimum(op))
      return Fail(error, "record " + std::to_string(op) + " at " + std::to_string(at) + " has size " + std::to_string(size));
    if (size > rest.size())
      return Fail(error, "record " + std::to_string(op) + " at " + std::to_string(at) + " runs past the page");
    out->push_back({op, std::string(rest.substr(0, size))});
    at += size;
  }
  return true;
}

inline bool DecodeStream(std::string_view bytes, DecodedStream* out, std::string* error) {
  *out = {};
  out->bytes = bytes.size();
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) return Fail(error, "a partial block header at " + std::to_string(at));
    const uint8_t type = static_cast<uint8_t>(bytes[at]);
    if (bytes[at + 1] || bytes[at + 2] || bytes[at + 3]) return Fail(error, "reserved header bytes at " + std::to_string(at));
    const uint32_t length = Le32(bytes, at + 4);
    if (length > bytes.size() - at - 8) return Fail(error, "block at " + std::to_string(at) + " runs past the stream");
    switch (type) {
      case 0xF0: case 0xF1: case 0xF3: case 0xF4: case 0xF5: case 0xF7: break;
      default: return Fail(error, "unknown block type " + std::to_string(type) + " at " + std::to_string(at));
    }
    out->blocks.push_back({type, static_cast<uint32_t>(at), std::string(bytes.substr(at + 8, length))});
    out->blockCounts[type] += 1;
    at += 8 + size_t{length};
  }

  // Framing.
  enum class State { Between, AfterStart, InPage };
  State state = State::Between;
  std::string pageData;
  DecodedPage page;
  for (const DecodedBlock& b : out->blocks) {
    const std::string where = " (block at " + std::to_string(b.offset) + ")";
    switch (b.type) {
      case 0xF3: case 0xF7:
        if (state != State::Between) return Fail(error, "job-start block inside a page" + where);
        break;
      case 0xF4:
        if (state != State::Between) return Fail(error, "page start inside a page" + where);
        page = {};
        page.startText = b.payload;
        pageData.clear();
        state = State::AfterStart;
        break;
      case 0xF0:
        if (state != State::AfterStart) return Fail(error, "empty block not right after a page start" + where);
        if (!b.payload.empty()) return Fail(error, "empty block with a payload" + where);
        state = State::InPage;
        break;
      case 0xF5:
        if (state != State::InPage) return Fail(error, "data block outside a page" + where);
        page.dataBlocks += 1;
        pageData += b.payload;
        break;
      case 0xF1: {
        if (state != State::InPage) return Fail(error, "page end without a page" + where);
        page.endText = b.payload;
        if (!DecodeRecords(pageData, &page.records, error)) return false;
        if (page.records.empty() || page.records.front().opcode != 96)
          return Fail(error, "page " + std::to_string(out->pages.size() + 1) + " does not begin with a page-start record");
        if (page.records.back().opcode != 97)
          return Fail(error, "page " + std::to_string(out->pages.size() + 1) + " does not end with a page-end record");
        out->pages.push_back(std::move(page));
        state = State::Between;
        break;
      }
    }
  }
  if (state != State::Between) return Fail(error, "the stream ends inside a page");
  return true;
}

// "pages 3, blocks F3 x1 F4 x3 ..., bytes 1234": what a person reads about a job's output.
inline std::string SummariseStream(const DecodedStream& s) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string text = "pages " + std::to_string(s.pages.size()) + ", blocks";
  for (const auto& [type, count] : s.blockCounts)
    text += std::string(" ") + kHex[type >> 4] + kHex[type & 15] + " x" + std::to_string(count);
  return text + ", bytes " + std::to_string(s.bytes);
}

}  // namespace zolt::blocks
