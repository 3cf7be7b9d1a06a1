// Clipboard text as a person pastes it into the text fields of the extension dialogs: the
// first byte picks the field, the next two the bytes the field holds and its option's size, the
// rest is the clipboard's text; every filter reads it against its length.
#include <cstdint>
#include <string_view>

#include "fd_ext.h"
#include "fuzz_machine.h"

namespace {

constexpr struct {
  uint16_t dialog, control;
} kFields[] = {{4022, 3003}, {4022, 3006}, {4042, 3367}, {4043, 3370}, {1019, 2241}, {1019, 2243},
               {1019, 2423}, {1019, 3235}, {1019, 2532}, {4019, 2988}, {1044, 2776}, {1001, 2029}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto root = zolt::fuzz::MakeFuzzMachine("paste-filter");
  (void)root;
  if (size < 3) return 0;
  const auto& field = kFields[data[0] % (sizeof kFields / sizeof kFields[0])];
  const FdFieldFilter filter = FdFindFieldFilter(field.dialog, field.control);
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
  FdIsPasteAccepted(filter, text, data[1], data[2]);
  for (char c : text) FdIsCharAccepted(filter.typed, static_cast<unsigned char>(c));
  return 0;
}
