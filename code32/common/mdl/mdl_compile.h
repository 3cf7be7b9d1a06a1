// The model description reader and compiler: source, statements, value scanners, the compile
// context and the statement handlers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model_image.h"
#include "win32/windows.h"

// ---------------------------------------------------------------------------------------------
// Character classes of the source bytes.

enum : uint8_t {
  kCharDigit = 0x80,
  kCharHexLetter = 0x40,
  kCharLineEnd = 0x20,
  kCharBlank = 0x10,
  kCharPrintable = 0x08,  // printable except ":"
  kCharOption = 0x04,
  kCharKeyword = 0x02,
  kCharDelimiter = 0x01,
};
extern const uint8_t kMdlCharClass[256];

inline bool MdlIsClass(uint8_t byte, uint8_t cls) { return (kMdlCharClass[byte] & cls) != 0; }
inline bool MdlIsHexDigit(uint8_t byte) { return kMdlCharClass[byte] >= 0x40; }

// ---------------------------------------------------------------------------------------------
// Growable text and statements.

struct TextBuffer {
  uint32_t capacity;
  uint32_t length;  // bytes appended; the read position while a handler scans the text
  char* text;       // capacity + 1 bytes, NUL-terminated
  uint32_t size;    // bytes of text as read: the end for the scanners
};

// Reader results.
enum : int {
  kReadStatement = 0,
  kReadEnd = 1,
  kReadSyntaxError = 3,
  kReadNoMemory = 4,
};

struct ModelStatement {
  TextBuffer keyword;
  TextBuffer option1;
  TextBuffer option2;
  TextBuffer value;
  uint32_t sourceOffset;  // offset of the statement's "*" in the source
};

ModelStatement* MdlNewStatement();
void MdlFreeStatement(ModelStatement* statement);
// Appends one byte; 0 when the buffer cannot grow.
int MdlAppendByte(TextBuffer* buffer, char byte);
// Replaces the text (tests and tools); 0 when out of memory.
int MdlSetText(TextBuffer* buffer, std::string_view text);

// ---------------------------------------------------------------------------------------------
// Source.

struct ModelSource {
  const uint8_t* base;    // the view (mapped file or the caller's bytes)
  const uint8_t* cursor;
  uint32_t left;          // bytes left after the cursor
  size_t mappedSize;      // 0 when the bytes are the caller's
  uint8_t leadBytes[256]; // 1 for a lead byte of a double-byte character of the ANSI code page
  uint8_t special[256];   // bytes the value reader must look at: lead bytes, quotes, brackets, "%", line ends
};

// Maps a whole file read-only (a Windows path on the machine). 1/0; an empty file fails.
int MdlMapFile(const WCHAR* path, const uint8_t** base, const uint8_t** cursor, DWORD* size);
void MdlUnmapFile(const void* base, size_t size);

ModelSource* MdlOpenSource(const WCHAR* path);
// A source over bytes that the caller keeps alive until MdlCloseSource.
ModelSource* MdlOpenSourceBytes(const void* data, size_t size);
void MdlCloseSource(ModelSource* source);
// 0 and the byte, or 1 at the end of the source.
int MdlReadSourceByte(ModelSource* source, uint8_t* byte);
int MdlReadStatement(ModelStatement* statement, ModelSource* source);

// The text after the last "." must be QCS (or QCD, replaced in place by QCS, for a model family
// compiled for this system generation). 1 when the path names a model source.
int MdlCheckSourceExtension(WCHAR* path, bool compiledExtension);

// Always 1; out (15 characters) stays as the caller set it when there is no FileVersion.
int MdlReadFileVersion(const WCHAR* path, WCHAR out[15]);

// ---------------------------------------------------------------------------------------------
// Text of the system ANSI code page.

// The ANSI code page of the machine.
UINT MdlAnsiCodePage();
// Lead-byte table of a double-byte code page (932, 936, 949, 950); all 0 for the others.
void MdlLeadByteTable(UINT codePage, uint8_t table[256]);
// ANSI text (with its terminator, or length bytes when length >= 0) to UTF-16 into out of
// outChars characters; out[outChars - 1] is always a terminator. Returns out.
WCHAR* MdlAnsiToWide(WCHAR* out, const char* text, int inLength, int outChars);

// ---------------------------------------------------------------------------------------------
// Value scanners: each starts at buffer->length (the position) and leaves the position after
// what it consumed; buffer->size is the end of the text.

// Next word; NULL at the end. *delimiter receives the byte that ended the word (0 at the end).
char* MdlScanWord(TextBuffer* buffer, char* delimiter);
// Next number; *after receives the byte after it (not consumed), 0 at the end.
int32_t MdlScanNumber(TextBuffer* buffer, char* after);
// Optional "-" and decimal digits of text (bounded by end when not NULL).
int32_t MdlParseInt(const char* text, const char* end, uint32_t* used);
int MdlSkipTo(TextBuffer* buffer, char byte);
// Extracts the quoted text that starts at text (up to end) in place. *length counts the
// terminator (0 when nothing was copied); *consumed is the bytes taken, closing quote included;
// *after the byte after the closing quote (0 at the end).
void MdlExtractQuoted(char* text, char* end, uint32_t* length, uint32_t* consumed, char* after);
// Quoted text from the position: a new ANSI copy in the compile arena (link), 0 for an empty
// text or no memory. *length counts the terminator.
struct CompileContext;
uint32_t MdlScanQuotedText(CompileContext* ctx, TextBuffer* buffer, char* after, uint32_t* length);
uint32_t MdlScanQuotedWide(CompileContext* ctx, TextBuffer* buffer, char* after);
int MdlHexDigitValue(uint8_t byte);
// Skips blanks and line ends from the position; returns the byte there (0 at the end).
char MdlSkipSpace(TextBuffer* buffer);
// Skips blanks only (not line ends).
char MdlSkipBlanks(TextBuffer* buffer);

// ---------------------------------------------------------------------------------------------
// Compile arena: zeroed records addressed by 32-bit links (0 = none). Records never move.

enum MdlRecordTag : uint16_t {
  kTagNone = 0,
  kTagItem,
  kTagOptionCommand,
  kTagListValue,     // + item kind in the record's kind field
  kTagBoolean,
  kTagNumeric,
  kTagString,
  kTagGeometry,
  kTagText,
  kTagArray,
  kTagGroup,
  kTagNode,
  kTagFont,
  kTagCommandString,
  kTagRule,
  kTagJudge,          // MdlJudgeRecord
  kTagCells,          // the RuleCells of a Judge
  kTagRuleStatement,  // MdlRuleStatement; kind: MdlRuleKind
  kTagRuleRow,        // a row of a rule statement; kind: MdlRuleKind
  kTagExclusive,      // ExclusiveRule
};

struct MdlArena {
  std::vector<uint8_t*> chunks;
  std::vector<uint32_t> chunkSizes;
  uint32_t current = 0;  // chunk index + 1 of the chunk being filled, 0 none
  uint32_t used = 0;     // bytes used in it
};

// ---------------------------------------------------------------------------------------------
// Compile context.

// Statement counts of one compile (for tools and tests; nothing is reported to the user).
struct MdlCompileStats {
  uint32_t statements;    // statements read and dispatched
  uint32_t failed;        // dispatched statements that failed (not in the table, handler 0)
  uint32_t ignored;       // statements a handler accepted without effect
  uint32_t syntaxErrors;  // reads that ended in a syntax error
};

// Optional observer of skipped statements: offset of the statement in the source, its keyword
// and why it was skipped.
struct MdlCompileObserver {
  void* user;
  void (*skipped)(void* user, uint32_t offset, const char* keyword, const char* reason);
};

// Compile-time records of the context that do not reach the image as they are.
struct MdlCommandString {
  uint32_t next;
  int32_t number;
  uint32_t length;  // including the terminator
  uint32_t text;
};
struct MdlJudgeRecord {
  uint32_t next;
  uint32_t number;
  uint32_t size;   // bytes of the cells, end cell included
  uint32_t cells;
};
struct MdlRuleStatement {
  uint32_t next;
  uint32_t number;
  uint32_t firstRow;
};

// A singly linked list with its tail, by links.
struct MdlList {
  uint32_t head;
  uint32_t tail;
};

struct CompileContext {
  ModelImageHeader header;  // slots hold arena links while compiling
  char* openName;           // item name of the open OpenUI block (without "*"), NULL outside
  uint16_t openNameIndex;
  uint16_t openVariant;
  uint32_t keywordHint;
  MdlList commandStrings;
  MdlList judges;
  MdlList itemRules;
  MdlList actions;
  MdlList transacts;
  MdlList alertActions;
  MdlList alerts;
  MdlList exclusives;
  // Not part of the format: lookups and bookkeeping.
  uint32_t lastItem;
  uint32_t* firstItemByName[256];  // pages of 256 links: the first item of each name index
  MdlArena arena;
  MdlCompileStats stats;
  const MdlCompileObserver* observer;
  const ModelStatement* statement;  // the statement being dispatched
  uint32_t judgeCellBytes;          // cells of all Judges so far (bounded, see mdl_rules.cpp)
};

CompileContext* MdlNewCompileContext();
void MdlFreeCompileContext(CompileContext* ctx);

uint32_t MdlAlloc(CompileContext* ctx, uint32_t size, uint16_t tag, uint16_t kind = 0);
// The record of a link (NULL for 0 or a link that names no record).
inline void* MdlResolve(const CompileContext* ctx, uint32_t link) {
  constexpr uint32_t kOffsetBits = 18;
  if (!link || !ctx) return nullptr;
  uint32_t chunk = link >> kOffsetBits;
  uint32_t offset = link & ((1u << kOffsetBits) - 1);
  if (chunk == 0 || chunk > ctx->arena.chunks.size() || offset >= ctx->arena.chunkSizes[chunk - 1]) return nullptr;
  return ctx->arena.chunks[chunk - 1] + offset;
}
template <class T>
inline T* MdlAt(const CompileContext* ctx, uint32_t link) {
  return static_cast<T*>(MdlResolve(ctx, link));
}
uint32_t MdlRecordSize(const CompileContext* ctx, uint32_t link);
uint16_t MdlRecordTag(const CompileContext* ctx, uint32_t link);
uint16_t MdlRecordKind(const CompileContext* ctx, uint32_t link);
// A copy of bytes (plus a terminator) in the arena.
uint32_t MdlCopyText(CompileContext* ctx, const char* text, uint32_t length);
// Appends a record to a list whose records begin with their next link.
void MdlListAppend(CompileContext* ctx, MdlList* list, uint32_t link);

// Notes a statement that a handler accepted without effect; returns 1.
int MdlIgnore(CompileContext* ctx, const char* reason);

int MdlDispatchStatement(CompileContext* ctx, ModelStatement* statement);
CompileContext* MdlCompileSource(const WCHAR* path, const MdlCompileObserver* observer = nullptr);
CompileContext* MdlCompileBytes(const void* data, size_t size, const MdlCompileObserver* observer = nullptr);

// ---------------------------------------------------------------------------------------------
// Name tables and lookups.

struct MdlNameRow {
  const char* name;
  uint32_t value;
};
// Value of the row whose name equals word (case-sensitive), else the terminator row's value.
uint32_t MdlLookupName(const MdlNameRow* table, const char* word);
extern const MdlNameRow kMdlItemTypes[];
extern const MdlNameRow kMdlCharAttrs[];
extern const MdlNameRow kMdlDisplayAttrs[];
extern const MdlNameRow kMdlBoolNames[];
extern const MdlNameRow kMdlCommandGroups[];  // value: header group slot + 1
extern const MdlNameRow kMdlElementKinds[];
extern const MdlNameRow kMdlElementTypes[];
int MdlLookupBool(const char* word);

// The symbol lookups used by the compiler. They go to the shared tables of the option model;
// tests may put tables of their own in their place.
struct NameEntry;
struct ValueNameEntry;
struct MdlSymbolLookups {
  const NameEntry* (*findSymbol)(const char* name);
  const ValueNameEntry* (*findValue)(const char* name);
  // Names of the rule statements: alert messages (name index), dialogs (dialog ID) and controls
  // (control ID); 1 and the number when the name is known. NULL members use the shared tables.
  int (*findMessage)(const char* name, uint16_t* nameIndex);
  int (*findDialog)(const char* name, uint16_t* dialogId);
  int (*findControl)(const char* name, uint16_t* controlId);
};
void MdlSetSymbolLookups(const MdlSymbolLookups* lookups);  // NULL: the shared tables
const NameEntry* MdlFindSymbol(const char* name);
const ValueNameEntry* MdlFindValue(const char* name);
int MdlFindMessageName(const char* name, uint16_t* nameIndex);
int MdlFindDialogName(const char* name, uint16_t* dialogId);
int MdlFindControlName(const char* name, uint16_t* controlId);

// ---------------------------------------------------------------------------------------------
// References and rule names (shared with the rule compiler).

enum : uint32_t {
  kRefJudge = 0x10000,
  kRefItem = 0x20000,
  kRefAction = 0x30000,
  kRefTransact = 0x40000,
  kRefAlert = 0x50000,
  kRefAlertAction = 0x60000,
  kRefName = 0x70000,
};
enum MdlRuleKind : int {
  kRuleJudge = 0,
  kRuleItem,
  kRuleAction,
  kRuleTransact,
  kRuleAlertAction,
  kRuleAlert,
  kRuleKindCount,
};
// Tag and number of a reference word.
void MdlParseReference(const char* word, uint32_t* tag, int32_t* number);
// A reference field of the expected kind: tag | number (16 bits), the number of a named
// record, or 0.
uint32_t MdlResolveReference(const char* word, uint32_t expectedTag);
// Decimal digits of text in order up to a blank, "=" or the end; negative with a "-".
int32_t MdlParseRuleNumber(const char* text);
const char* MdlNameAfterEquals(const char* text);
void MdlClearRuleNames();
void MdlFreeRuleNames();
int MdlAddRuleName(const char* name, int32_t number, int kind);
int32_t MdlFindRuleName(const char* name, int kind);
// The first Judge record of a number in the compile under way (0: none), as MdlOnJudge adds them.
int MdlAddJudgeLink(int32_t number, uint32_t link);
uint32_t MdlFindJudgeLink(int32_t number);

// ---------------------------------------------------------------------------------------------
// Conditions and rules.

// Rule tokens.
enum : int {
  kRuleTokenOther = 0,     // any other single byte, the end of the text included
  kRuleTokenName = 1,      // a run of keyword characters
  kRuleTokenNumber = 2,    // a run of digits only
  kRuleTokenOperator = 3,  // a run of "=", "!", "&", "|", ">", "<"
  kRuleTokenBracket = 4,   // "(", ")", "{" or "}"
  kRuleTokenTooLong = -1,  // a token that does not fit the token buffer: refused
};
constexpr uint32_t kMdlRuleTokenSize = 128;  // bytes of a token with its terminator

// Operator codes of the cells.
enum : uint16_t {
  kOpEqual = 1,
  kOpNotEqual = 2,
  kOpAnd = 3,
  kOpOr = 4,
  kOpNot = 5,
  kOpGreater = 6,
  kOpLess = 7,
  kOpGreaterEqual = 8,
  kOpLessEqual = 9,
  kOpEnd = 10,
};
enum : uint16_t {
  kCellSetting = 1,
  kCellConstant = 2,
  kCellOperator = 3,
};

// Next token from the value's position (blanks and line ends skipped); the token's bytes go to
// token (terminated). At the end of the text: kind 0, an empty token, the position unchanged.
int MdlScanRuleToken(TextBuffer* value, char token[kMdlRuleTokenSize]);
uint16_t MdlLookupOperator(const char* token);
// Compiles the expression at the value's position into cells in postfix order, the end cell
// included. 0 when a name does not resolve, a token is too long, brackets do not match or the
// expression is out of bounds (nesting, number of cells).
int MdlCompileExpression(CompileContext* ctx, TextBuffer* value, std::vector<RuleCell>* cells);
// 1 when the cells up to the first end cell form one complete expression.
int MdlCheckExpression(const RuleCell* cells, size_t count);
// Bytes of the cells up to and including the first end cell; 0 without one.
uint32_t MdlExpressionSize(const RuleCell* cells, size_t count);
// The first Judge record (link) compiled under the number of a Judge name, or 0.
uint32_t MdlFindJudgeByName(const CompileContext* ctx, const char* name);
uint16_t MdlLookupIcon(const char* word);     // 0xFFFF when not in the table
uint16_t MdlLookupButtons(const char* word);
uint16_t MdlLookupTiming(const char* word);
// 1 when every byte is a decimal digit, resp. an ASCII letter or digit (1 for the empty text).
int MdlIsAllDigits(const char* text);
int MdlIsAlphanumeric(const char* text);

// ---------------------------------------------------------------------------------------------
// Packing into one image (model_image.h). The sizes count exactly what the packers write.

uint32_t MdlSizeRules(const CompileContext* ctx);
uint32_t MdlSizeItems(const CompileContext* ctx);
uint32_t MdlSizeStrings(const CompileContext* ctx);
// Total bytes of the packed image (header included), or 0 when the model is too large for the
// image's 32-bit links (rule section offsets must stay below 2^28).
uint32_t MdlSizeImage(const CompileContext* ctx);
// Packs the context into block of MdlSizeImage bytes; the context is not changed. 0 when the
// size does not match or memory runs out.
int MdlPackInto(uint8_t* block, uint32_t size, const CompileContext* ctx);
// Allocates the image (CtxAllocMem, freed with MdlFreeMem), packs the context into it and frees
// the context. NULL, with the context freed, when the block cannot be had.
ModelImage* MdlPackImage(CompileContext* ctx);
// Compiles a source file and packs it: the image, or NULL when the source cannot be read or
// memory runs out.
ModelImage* MdlCompileImage(const WCHAR* path);

// ---------------------------------------------------------------------------------------------
// Items.

uint32_t MdlFindItemByName(const CompileContext* ctx, uint16_t nameIndex);
uint32_t MdlFindItemVariant(const CompileContext* ctx, uint16_t nameIndex, uint16_t variant);
uint32_t MdlValueRecordSize(uint16_t typeWord);
uint32_t MdlFindValue(const CompileContext* ctx, uint16_t valueId, uint32_t firstValue);

// Statement handlers: (row, context, statement) -> 1 success, 0 failure.
using MdlHandler = int (*)(int row, CompileContext* ctx, ModelStatement* st);
int MdlOnFileVersion(int, CompileContext*, ModelStatement*);
int MdlOnOpenUi(int, CompileContext*, ModelStatement*);
int MdlOnCloseUi(int, CompileContext*, ModelStatement*);
int MdlOnNumericValue(int, CompileContext*, ModelStatement*);
int MdlOnStringValue(int, CompileContext*, ModelStatement*);
int MdlOnPageValue(int, CompileContext*, ModelStatement*);
int MdlOnPageMmValue(int, CompileContext*, ModelStatement*);
int MdlOnSlotPaper(int, CompileContext*, ModelStatement*);
int MdlOnOptionCommand(int, CompileContext*, ModelStatement*);
int MdlOnCommandGroup(int, CompileContext*, ModelStatement*);
int MdlOnDeviceFonts(int, CompileContext*, ModelStatement*);
int MdlOnFontCartridge(int, CompileContext*, ModelStatement*);
int MdlOnTtfs(int, CompileContext*, ModelStatement*);
int MdlOnCommandString(int, CompileContext*, ModelStatement*);
int MdlOnJudge(int, CompileContext*, ModelStatement*);
int MdlOnItem(int, CompileContext*, ModelStatement*);
int MdlOnAction(int, CompileContext*, ModelStatement*);
int MdlOnTransact(int, CompileContext*, ModelStatement*);
int MdlOnAlertAction(int, CompileContext*, ModelStatement*);
int MdlOnAlert(int, CompileContext*, ModelStatement*);
int MdlOnExclusive(int, CompileContext*, ModelStatement*);
int MdlOnUiResDllName(int, CompileContext*, ModelStatement*);
int MdlOnExcDepDllName(int, CompileContext*, ModelStatement*);
// Inside an OpenUI block.
int MdlOnDefault(CompileContext* ctx, ModelStatement* st);
int MdlOnOptionLine(CompileContext* ctx, ModelStatement* st);

// Command group bodies.
uint32_t MdlParseGroupBody(CompileContext* ctx, TextBuffer* value, uint32_t condition, int depth);
