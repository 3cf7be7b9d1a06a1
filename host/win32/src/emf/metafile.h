// The enhanced-metafile object and the checked walk over its records.
//
// Nothing of a metafile is trusted: every record's size is checked against the bytes that are
// left, and every count and offset inside a record against the record's size before anything
// reads it. A walk stops at the first damaged record; what precedes it still plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "gdi/objects.h"
#include "win32/emf.h"

namespace zolt::host::emf {

struct EnhMetaFileObj : gdi::GdiObject {
  EnhMetaFileObj() : GdiObject(OBJ_ENHMETAFILE) {}
  std::vector<uint8_t> bits;  // the whole metafile, header first
};

std::shared_ptr<EnhMetaFileObj> FindMetaFile(HENHMETAFILE hmf);
// A new metafile object over `bits` (its header already checked).
HENHMETAFILE NewMetaFile(std::vector<uint8_t> bits);

// The header's sanity: type, size, signature; the smallest header form is 88 bytes.
constexpr DWORD kHeaderMinSize = 88;
bool HeaderSound(std::span<const uint8_t> bits);
// The header as ENHMETAHEADER, fields missing from an older short form zeroed.
ENHMETAHEADER ReadHeader(std::span<const uint8_t> bits);

// A record as found in the metafile.
struct RecordRef {
  const uint8_t* p = nullptr;
  DWORD type = 0;
  DWORD size = 0;  // checked: 8 <= size <= the bytes left, a multiple of 4
};

enum class Walk { Record, End, Damaged };

// Steps through the records of a metafile. The end record ends the walk whatever its size field
// says (writers are known to put the file's size there); data that ends without an end record is
// damage.
class RecordWalker {
 public:
  explicit RecordWalker(std::span<const uint8_t> bits) : bits_(bits) {}
  Walk Next(RecordRef& out);

 private:
  std::span<const uint8_t> bits_;
  size_t off_ = 0;
  bool ended_ = false;
};

// Checks the counts and offsets of a record of known type against its size (the record's own
// rules, with libuemf's record checks behind them). Records of unknown type pass: they are
// skipped by the player.
bool RecordSound(const RecordRef& r);

// Bytes [off, off + count * unit) lie inside a record of `size` bytes past its fixed part.
inline bool Inside(DWORD size, uint64_t fixed, uint64_t off, uint64_t count, uint64_t unit) {
  if (off < fixed && count) return false;
  return off <= size && count * unit <= uint64_t(size) - off;
}

template <class T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

}  // namespace zolt::host::emf
