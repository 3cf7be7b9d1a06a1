// The static option table: 2084 rows in ascending id order (ids 1-1642, then 10001-10442).
//
// The rows themselves are data files of their own, one row per line:
//   option_rows_block1.inc   the device mode (block 1): public fields 1-34, private part 35-745
//   option_rows_block23.inc  the user settings (block 3, ids 746-1539 and 1631-1642) and the
//                            printer configuration (block 2, ids 1540-1630 and 10001-10442)
//   option_value_texts.inc   the value-text lists the rows point to (kTexts<id>)
//
// Columns of a row, in the order of OptionDescriptor:
//   id, name index (0 for none), type word TW(block, kind, size), offset inside the block,
//   store class (0 none, 1 printer data, 2 settings INI file), section, key, value texts,
//   special code, state bits (0x04 preset class, 0x10 quality class, 0x40 watermark class),
//   field name.
// A bit row (kind BIT(n)) holds bit n of the little-endian 32-bit word at its offset; its size
// is the size of the word it lives in. The trailing comment of a row with a name index is the
// symbol that the index names.
#include "option_table.h"

namespace {

#define TW(block, kind, size) MakeTypeWord(block, kind, size)
#define BIT(n) (kKindBitFirst + (n))

#include "option_value_texts.inc"

}  // namespace

const OptionDescriptor kOptionRows[] = {
#include "option_rows_block1.inc"
#include "option_rows_block23.inc"
};

#undef TW
#undef BIT

const int16_t kOptionRowCount = static_cast<int16_t>(sizeof kOptionRows / sizeof kOptionRows[0]);
static_assert(sizeof kOptionRows / sizeof kOptionRows[0] == 2084);
