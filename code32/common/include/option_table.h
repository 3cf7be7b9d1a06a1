// The option descriptor table and the shared symbol tables.
//
// Every setting is an option with a 16-bit id. The static table (one row per option, ascending
// ids) says where the option's value lives in the settings image, how it is stored and
// persisted, which value texts belong to it and under which names it is known. Each driver
// context works on its own runtime copy (OptionEntry rows).
#pragma once

#include <cstdint>

#include "win32/windows.h"

// Blocks of the settings image (bits 30-31 of the type word).
enum : uint32_t {
  kBlockDevmode = 1,        // block 1: the device mode
  kBlockPrinterConfig = 2,  // block 2: the printer configuration
  kBlockUserSettings = 3,   // block 3: the per-user settings
};

// Kinds (bits 24-29 of the type word).
enum : uint32_t {
  kKindInt8 = 1,
  kKindInt16 = 2,
  kKindInt32 = 3,
  kKindUInt8 = 4,
  kKindUInt16 = 5,
  kKindUInt32 = 6,  // also used for buffers referenced from the image
  kKindAnsi = 7,
  kKindWide = 8,
  kKindBinary = 9,
  kKindAnsi2 = 10,
  kKindWide2 = 11,
  kKindBinary2 = 12,
  kKindRegText = 13,
  kKindRegAnsi = 14,
  kKindRegText2 = 15,
  kKindBitFirst = 16,  // kinds 16-47: bit (kind - 16) of the 32-bit word at the offset
  kKindBitLast = 47,
};

// Store classes.
enum : uint16_t {
  kStoreNone = 0,
  kStorePrinterData = 1,
  kStoreSettingsIni = 2,
};

constexpr uint32_t MakeTypeWord(uint32_t block, uint32_t kind, uint32_t size) {
  return (block << 30) | ((kind & 0x3F) << 24) | (size & 0xFFFF);
}
constexpr uint32_t TypeBlock(uint32_t typeWord) { return typeWord >> 30; }
constexpr uint32_t TypeKind(uint32_t typeWord) { return (typeWord >> 24) & 0x3F; }
constexpr uint32_t TypeSize(uint32_t typeWord) { return typeWord & 0xFFFF; }

// Stored value -> value id. A list ends with a pair whose value id is 0; value id 0xFFFF marks
// a legal value without a text of its own.
struct ValueTextPair {
  int32_t value;
  uint32_t valueId;
};

constexpr uint32_t kValueIdNoText = 0xFFFF;

// The symbol table: the 1898 shared symbols (name indexes 1-1898), then our own symbols for the
// options that the model can describe but that no shared symbol names, numbered from 1899.
constexpr int kSharedSymbolCount = 1898;
constexpr int kOwnSymbolCount = 455;

// Name index that no symbol carries: symbols are numbered from 1 to the table's end, so no lookup
// by symbol meets this value. No option row carries it any more.
constexpr uint16_t kNameIndexUnfixed = 0xFFFF;

// A static row of the option table.
struct OptionDescriptor {
  uint16_t id;
  uint16_t nameIndex;  // symbol number in the NameTable, 0 for none
  uint32_t typeWord;
  uint16_t offset;  // byte offset inside the block
  uint16_t storeClass;
  const WCHAR* section;  // INI section for store class 2; NULL for the printer's own section
  const WCHAR* key;      // printer-data value name or INI key; NULL: the field name is used
  const ValueTextPair* valueTexts;
  uint16_t specialCode;
  uint16_t stateBits;  // bits 0-1 changed, 2-3 preset class, 4-5 quality class, 6-7 watermark class
  const WCHAR* fieldName;
};

// State bits of a row.
enum : uint16_t {
  kStateChangedMask = 0x0003,
  kStatePresetMask = 0x000C,
  kStateQualityMask = 0x0030,
  kStateWatermarkMask = 0x00C0,
};

struct OptionLabels {
  const ValueTextPair* valueTexts;
  const WCHAR* fieldName;
};

// A runtime row in a context's own table.
struct OptionEntry {
  uint16_t id;
  uint16_t nameIndex;
  uint32_t typeWord;
  uint16_t offset;
  uint16_t storeClass;
  const WCHAR* section;
  const WCHAR* key;
  uint16_t specialCode;
  uint16_t stateBits;
  OptionLabels* labels;
  uint32_t flags;  // 0 at creation; change classes and display bits set by the sheet engine
};

// Runtime flags of a row.
enum : uint32_t {
  kOptFlagChangeClassMask = 0x011F0000,
  kOptFlagDecimalLength = 0x80000000u,  // shown as a decimal length in the display unit
  kOptFlagNegativeLength = 0x40000000u, // with bit 31: negative lengths allowed
};

struct OptionTable {
  int16_t count;
  OptionEntry* rows;
  // Index (from 1) of the first row whose id does not follow its predecessor's: ids above
  // 10000 are rebased onto the rows after it. Found on first use; 0 while unknown or absent.
  uint16_t firstGap;
  OptionLabels* labelBlock;  // the one block that holds every row's side record
};

// The static table as a header {count, rows}.
struct OptionDescriptorTable {
  int16_t count;
  const OptionDescriptor* rows;
};

// Symbol names ("ZPD_..."): option symbols, dialogs, controls, messages and buttons.
struct NameEntry {
  uint16_t optionId;  // 0 for a symbol that names no option
  uint16_t nameIndex;
  const char* name;
};

struct NameTable {
  int16_t count;
  const NameEntry* rows;
};

// Value names: the symbols of option values and of resource ids.
struct ValueNameEntry {
  uint16_t optionId;   // 0 for a resource symbol that belongs to no option
  uint16_t nameIndex;  // of the option, or of the group the symbol belongs to
  uint32_t value;      // value id (options with value texts), stored value, or resource id
  uint32_t kind;       // 1 option value, 0 resource symbol
  const char* name;
  uint32_t second;  // the stored value for values with value ids; else a sequence number or 0
};

struct ValueNameTable {
  int16_t count;
  const ValueNameEntry* rows;
};

// Value that no value-name row carries (every row has its number); the lookups by value pass over
// it, so a row marked with it would resolve by name only.
// No row's value can take it: values are value ids (16 bits), small stored values and the
// negative resolution codes -1 to -4, which occupy the top of the 32-bit range.
constexpr uint32_t kValueNameUnfixed = 0x80000000u;

struct MessageEntry {
  uint16_t nameIndex;
  uint16_t stringId;
  uint16_t captionStringId;
  uint16_t style;
  const char* name;
  uint32_t reserved;
};

struct MessageTable {
  int16_t count;
  const MessageEntry* rows;
};

// A help topic: "<family>_rtf/IDH_<page>.htm", a path inside the help file.
struct HelpTopicEntry {
  uint32_t helpId;
  const WCHAR* topic;
};

// The 682 shared topics, three pages of our own for the dialogs whose help id the shared topics
// leave without a page (1034 remote printing, 1035 address list, 1008 user code), and the
// controls' own help ids that the shared topics do not list, each anchored at its control on the
// page it is on (scripts/dialogs/gen_help_topics.py).
constexpr int kHelpTopicCount = 1197;

// The static tables (data files of their own in code32/common/option/).
extern const OptionDescriptor kOptionRows[];  // ascending ids
extern const int16_t kOptionRowCount;
extern const NameTable kNameTable;
extern const ValueNameTable kValueNameTable1;
extern const ValueNameTable kValueNameTable2;
extern const MessageTable kMessageTable;
extern const HelpTopicEntry kHelpTopics[kHelpTopicCount + 1];  // by help id, then a zero row

// The help-topic table: kHelpTopicCount rows sorted by help id, ended by a row of help id 0.
const HelpTopicEntry* OptGetHelpTopicTable();

// Symbol lookups over the static name tables: linear scans in table order, first match;
// names compare case-sensitively byte by byte.
const NameEntry* OptFindSymbol(uint16_t nameIndex);
const NameEntry* OptFindSymbolByName(const char* name);
// Option id and value (16 bits) in table 1, then table 2.
const ValueNameEntry* OptFindValueSymbol(uint16_t optionId, uint16_t value);
const ValueNameEntry* OptFindValueSymbolByName(const char* name);
