// The compiled model image: the records of a compiled model description and their exact byte
// layout. The same layout serves three places:
//   - the compile context, where every link is a 32-bit handle of the compile arena
//     (mdl_compile.h, MdlAt);
//   - the packed image and the compiled cache file, where every link is a byte offset from the
//     start of the image (links inside the rule section are tagged: offset * 16 + 1);
//   - the loaded image, where links are resolved on access (offsets stay 32-bit).
// All integers are little-endian; bytes that no field uses are 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "win32/windows.h"

#pragma pack(push, 1)

// ---------------------------------------------------------------------------------------------
// Header: 2094 32-bit slots.

constexpr uint32_t kModelHeaderSize = 8376;
constexpr uint32_t kModelHeaderSlots = kModelHeaderSize / 4;

// Command groups, in the order of their header slots.
enum ModelCommandGroupSlot : uint32_t {
  kGroupSlotJobStart = 0,
  kGroupSlotJobEnd = 1,
  kGroupSlotDocReset = 2,
  kGroupSlotPageStart = 3,
  kGroupSlotPageEnd = 4,
  kGroupSlotCount = 5,
};

struct ModelImageHeader {
  WCHAR fileVersion[16];      // slots 0-7: at most 14 characters, terminator, zero fill
  uint32_t totalSize;         // slot 8
  uint32_t firstItem;         // slot 9
  uint32_t itemsLow[719];     // slots 10-728: setting IDs 1-719
  uint32_t itemsHigh[442];    // slots 729-1170: setting IDs 10001-10442
  uint32_t itemsMid[911];     // slots 1171-2081: setting IDs 720-1630
  uint32_t uiResDllName;      // slot 2082 (UTF-16)
  uint32_t excDepDllName;     // slot 2083 (UTF-16)
  uint32_t groups[kGroupSlotCount];  // slots 2084-2088: JobStart, JobEnd, DocReset, PageStart, PageEnd
  uint32_t deviceFontCount;   // slot 2089
  uint32_t deviceFonts;       // slot 2090: array of deviceFontCount links to DeviceFontList
  uint32_t cartridgeFontCount;  // slot 2091
  uint32_t cartridgeFonts;    // slot 2092
  uint32_t firstExclusive;    // slot 2093 (plain offset)
};
static_assert(sizeof(ModelImageHeader) == kModelHeaderSize);
static_assert(offsetof(ModelImageHeader, totalSize) == 32);
static_assert(offsetof(ModelImageHeader, itemsLow) == 40);
static_assert(offsetof(ModelImageHeader, itemsHigh) == 2916);
static_assert(offsetof(ModelImageHeader, itemsMid) == 4684);
static_assert(offsetof(ModelImageHeader, uiResDllName) == 8328);
static_assert(offsetof(ModelImageHeader, groups) == 8336);
static_assert(offsetof(ModelImageHeader, deviceFontCount) == 8356);
static_assert(offsetof(ModelImageHeader, firstExclusive) == 8372);

// The direct item slot of a setting ID, or NULL when the ID has none (0, 1631-10000, > 10442).
inline uint32_t* ModelItemSlot(ModelImageHeader* header, uint32_t settingId) {
  if (settingId >= 1 && settingId <= 719) return &header->itemsLow[settingId - 1];
  if (settingId >= 720 && settingId <= 1630) return &header->itemsMid[settingId - 720];
  if (settingId >= 10001 && settingId <= 10442) return &header->itemsHigh[settingId - 10001];
  return nullptr;
}
inline const uint32_t* ModelItemSlot(const ModelImageHeader* header, uint32_t settingId) {
  return ModelItemSlot(const_cast<ModelImageHeader*>(header), settingId);
}

// ---------------------------------------------------------------------------------------------
// Items and values.

// Item type words. The kind is the type word without the two flag bits.
enum : uint16_t {
  kItemPickOne = 0x0001,
  kItemPickMany = 0x0002,
  kItemBoolean = 0x0004,
  kItemNumeric = 0x0008,
  kItemString = 0x0010,
  kItemPickPage = 0x0101,
  kItemPickSlot = 0x0201,
  kItemFontTbl = 0x0401,
  kItemIdentity = 0x1000,
  kItemTypeUnknown = 0x2000,
  kItemKindMask = 0xCFFF,
};
constexpr uint16_t ModelItemKind(uint16_t typeWord) { return typeWord & kItemKindMask; }
constexpr bool ModelIsPickKind(uint16_t typeWord) { return (ModelItemKind(typeWord) & 1) != 0; }
constexpr bool ModelIsListKind(uint16_t typeWord) { return (ModelItemKind(typeWord) & 3) != 0; }

struct ModelItem {
  uint32_t next;
  uint16_t nameIndex;     // name index of the item's ZPD symbol
  uint16_t variant;       // variant number; for an Identity item the name index of its source
  uint16_t settingId;     // option ID of the symbol
  uint16_t typeWord;
  uint16_t defaultValue;  // value ID while the block is open; position in the list after CloseUI
  uint16_t reserved;
  uint32_t optionCommand; // ModelOptionCommand
  uint32_t exclusive;     // ExclusiveRule (filled at packing)
  uint32_t values;        // first value record (kind by type word)
};
static_assert(sizeof(ModelItem) == 28);

struct ModelOptionCommand {
  uint32_t text1;  // ANSI
  uint32_t text2;
};
static_assert(sizeof(ModelOptionCommand) == 8);

// PickOne and PickMany values (and the common front of every list value).
struct ModelValue {
  uint32_t next;
  uint16_t valueId;
  uint16_t reserved;
  uint32_t text;  // display text (ANSI) or 0
};
static_assert(sizeof(ModelValue) == 12);

struct ModelPageValue {
  ModelValue head;
  int32_t paperWidth;   // 0.1 mm (PageMMValue)
  int32_t paperLength;
  uint32_t geometry;    // first PageGeometry
};
static_assert(sizeof(ModelPageValue) == 24);

struct ModelSlotValue {
  ModelValue head;
  int32_t paperCount;
  uint32_t papers;  // array of paperCount u16 paper value IDs
};
static_assert(sizeof(ModelSlotValue) == 20);

struct ModelFontValue {
  ModelValue head;
  int32_t pairCount;
  uint32_t trueTypeNames;  // array of pairCount links to TrueType face names
  uint32_t deviceNames;    // array of pairCount links to device font names
};
static_assert(sizeof(ModelFontValue) == 24);

struct ModelBooleanValue {
  int32_t defaultValue;  // 1 True, 0 False
  uint32_t trueText;
  uint32_t falseText;
};
static_assert(sizeof(ModelBooleanValue) == 12);

struct ModelNumericValue {
  uint16_t unitLabel;      // string ID shown after the value, 0 none
  uint16_t maxChars;       // first quoted number
  uint16_t divisor;        // fifth
  uint16_t pageSize;       // sixth
  uint16_t seventh;
  uint16_t eighth;
  int32_t defaultValue;    // second
  int32_t minimum;         // third
  int32_t maximum;         // fourth
};
static_assert(sizeof(ModelNumericValue) == 24);

struct ModelStringValue {
  uint16_t defaultValueId;
  uint16_t maxChars;
  uint16_t charAttr;
  uint16_t displayAttr;
};
static_assert(sizeof(ModelStringValue) == 8);

// Character attributes and display attributes of String items.
enum : uint16_t {
  kStrMultiByte = 1,
  kStrAscii = 2,
  kStrNumeric = 4,
  kStrCapital = 8,
  kStrSmall = 16,
  kStrPassword = 0x100,
  kStrShowCapital = 0x200,
  kStrShowSmall = 0x400,
};

struct PageGeometry {
  uint32_t next;
  uint16_t resolution;        // UI value of zdmDstResolutionW
  uint16_t orientation;       // UI value of dmOrientation
  uint16_t conditionName;     // name index of a condition setting, 0 none
  uint16_t conditionValue;
  int32_t left, top, width, height;    // printable area, 1/1200 inch
  int32_t paperWidth, paperLength;
};
static_assert(sizeof(PageGeometry) == 36);

// ---------------------------------------------------------------------------------------------
// Command groups.

struct ModelCommandGroup {
  uint32_t condition;   // Judge reference (0 = unconditional)
  uint32_t mainBranch;  // first CommandNode
  uint32_t elseBranch;
};
static_assert(sizeof(ModelCommandGroup) == 12);

enum : uint16_t {
  kNodeItemCommand = 1,
  kNodeCommandString = 2,
  kNodeBlock = 3,
  kNodeFontList = 4,
};

// Every node begins with its next link and its type.
struct CommandNode {
  uint32_t next;
  uint16_t type;
  uint16_t word6;  // type 1: the item's name index; 0 for the others
};
static_assert(sizeof(CommandNode) == 8);

struct ModelItemCommandNode {
  uint32_t next;
  uint16_t type;       // 1
  uint16_t nameIndex;
  int16_t variant;
  uint16_t zero;
};
static_assert(sizeof(ModelItemCommandNode) == 12);

struct ModelStringCommandNode {
  uint32_t next;
  uint16_t type;            // 2
  uint16_t zero;
  uint32_t numberOrLength;  // CommandString number while compiling; text length in the image
  uint32_t text;            // image only
};
static_assert(sizeof(ModelStringCommandNode) == 16);

struct ModelBlockCommandNode {
  uint32_t next;
  uint16_t type;   // 3
  uint16_t zero;
  uint32_t group;  // ModelCommandGroup
};
static_assert(sizeof(ModelBlockCommandNode) == 12);

struct DeviceFontList {
  int32_t fontId;
  uint32_t name;  // ANSI
};
static_assert(sizeof(DeviceFontList) == 8);

// ---------------------------------------------------------------------------------------------
// Conditions and rules.

// A reference from a rule row to a Judge, Action, Transact, AlertAction, row list or item rule:
// while compiling a tagged number or the number of a named record, in the image a tagged
// offset inside the rule section.
using RuleRef = uint32_t;

struct RuleCell {
  uint16_t op;     // 1 push setting, 2 push constant, 3 operator
  uint16_t value;
};
static_assert(sizeof(RuleCell) == 4);

struct ItemRuleRow {
  uint32_t next;
  uint32_t valueId;
  RuleRef disabled;     // Judge references
  RuleRef restricted;
  RuleRef locked;
};
static_assert(sizeof(ItemRuleRow) == 20);

struct ActionRow {
  uint32_t next;
  uint16_t target;
  uint16_t targetKind;  // 0 setting, 1 dialog page
  uint32_t value;
};
static_assert(sizeof(ActionRow) == 12);

struct TransactRow {
  uint32_t next;
  RuleRef judge;
  RuleRef action;
};
static_assert(sizeof(TransactRow) == 12);

struct AlertRow {
  uint32_t next;
  RuleRef judge;
  uint16_t messageId;
  uint16_t icon;
  uint16_t buttons;
  uint16_t timing;
  RuleRef alertAction;
};
static_assert(sizeof(AlertRow) == 20);

struct AlertActionRow {
  uint32_t next;
  uint16_t nameIndex;
  uint16_t reserved;
  RuleRef transact;
  uint16_t dialogId;
  uint16_t controlId;
};
static_assert(sizeof(AlertActionRow) == 16);

struct ExclusiveRule {
  uint32_t next;
  uint16_t nameIndex;
  uint16_t reserved;
  RuleRef disabled;
  RuleRef restricted;
  RuleRef itemRules;
  RuleRef alert;
  RuleRef transact1;
  RuleRef transact2;
  RuleRef locked;
};
static_assert(sizeof(ExclusiveRule) == 36);

// ---------------------------------------------------------------------------------------------
// The image: the header followed by the rule, item and text sections, header.totalSize bytes in
// one block. Links stay 32-bit offsets from the start of the block and are resolved on access.

struct ModelImage {
  ModelImageHeader header;
};
static_assert(sizeof(ModelImage) == kModelHeaderSize);

#pragma pack(pop)

// Tagged references of the rule section: offset * 16 + 1.
constexpr uint32_t MdlMakeTaggedRef(uint32_t offset) { return offset * 16 + 1; }
constexpr bool MdlIsTaggedRef(uint32_t ref) { return (ref & 0xF) == 1; }
constexpr uint32_t MdlTaggedOffset(uint32_t ref) { return ref >> 4; }
// Rule-section offsets must fit a tagged reference.
constexpr uint32_t kMdlMaxTaggedOffset = (1u << 28) - 1;

inline const uint8_t* MdlImageBytes(const ModelImage* image) { return reinterpret_cast<const uint8_t*>(image); }

// The bytes [offset, offset + size) when they lie inside the image after its header, else NULL
// (also for offset 0).
inline const uint8_t* MdlImageSpan(const ModelImage* image, uint32_t offset, uint64_t size) {
  if (!image || offset < kModelHeaderSize) return nullptr;
  if (uint64_t(offset) + size > image->header.totalSize) return nullptr;
  return MdlImageBytes(image) + offset;
}

// The record of type T at a plain offset, or NULL for 0 or a record that does not lie inside
// the image. The records are byte-packed, so they may be read at any offset.
template <class T>
const T* MdlImageAt(const ModelImage* image, uint32_t offset) {
  static_assert(alignof(T) == 1, "image records are byte-packed");
  return reinterpret_cast<const T*>(MdlImageSpan(image, offset, sizeof(T)));
}

// The record of a tagged reference of the rule section, or NULL for 0 or a malformed reference.
template <class T>
const T* MdlImageRef(const ModelImage* image, uint32_t ref) {
  if (!MdlIsTaggedRef(ref) || (MdlTaggedOffset(ref) & 3) != 0) return nullptr;
  return MdlImageAt<T>(image, MdlTaggedOffset(ref));
}

// Element index of an array of 16- or 32-bit numbers at offset (read byte by byte: arrays in the
// item and text sections need not be aligned). 0 outside the image.
inline uint32_t MdlImageU32(const ModelImage* image, uint32_t offset, uint32_t index) {
  const uint8_t* p = MdlImageSpan(image, offset, (uint64_t(index) + 1) * 4);
  if (!p) return 0;
  uint32_t v;
  std::memcpy(&v, p + uint64_t(index) * 4, 4);
  return v;
}
inline uint16_t MdlImageU16(const ModelImage* image, uint32_t offset, uint32_t index) {
  const uint8_t* p = MdlImageSpan(image, offset, (uint64_t(index) + 1) * 2);
  if (!p) return 0;
  uint16_t v;
  std::memcpy(&v, p + uint64_t(index) * 2, 2);
  return v;
}

// An ANSI text at offset, or NULL when there is none or it is not terminated inside the image.
const char* MdlImageText(const ModelImage* image, uint32_t offset);
// A UTF-16 text at offset (it need not be aligned), copied into out of outChars characters
// (always terminated). Returns the number of characters of the text, or -1 when there is none or
// it is not terminated inside the image.
int MdlImageCopyWide(const ModelImage* image, uint32_t offset, WCHAR* out, int outChars);
// Cells of a Judge: the first cell of a tagged reference when the cells up to their end cell
// lie inside the image; *count receives the cells up to and including the end cell.
const RuleCell* MdlImageCells(const ModelImage* image, uint32_t ref, uint32_t* count);

// Walks every link of a packed image (size bytes) the way relocation would, checking that each
// offset and tagged reference points at a whole record inside the image, that every text is
// terminated, that list walks end and that the Exclusive rules lie 36 bytes apart. 1 when the
// image is sound; an image that fails must not be used.
int MdlCheckImage(const void* block, size_t size);
