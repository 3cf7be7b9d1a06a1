// The command-text generator. Every group is expanded twice by the block writer: once without
// a buffer to count its bytes, once into a buffer of exactly that size, so every step appends
// the same bytes in both passes.
#include "gr_command_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_context.h"
#include "env_language.h"
#include "env_text.h"
#include "fm_modules_5_8.h"
#include "gr_escapes.h"
#include "gr_job_services.h"
#include "model_query.h"
#include "option_access.h"
#include "option_table.h"
#include "option_values.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "win32/ddi.h"

namespace {

constexpr int kPathBytes = 261;       // a path in ANSI with its terminator
constexpr int kFontNameBytes = 33;    // a face name in ANSI (32 bytes) with its terminator
constexpr int kMaxNodes = 100000;     // a node list longer than this is a damaged image
constexpr int kMaxDepth = 64;         // conditionals inside conditionals

enum : uint16_t {
  kOptShiftDir = 95,          // zdmShiftDir
  kOptFuncSelectDuplex = 58,  // zdmFuncSelectDuplex
};

const char* ImageText(DriverContext* ctx, uint32_t offset) {
  return offset ? MdlImageText(ctx->modelImage, offset) : nullptr;
}

const ModelOptionCommand* CommandOf(DriverContext* ctx, const ModelItem* entry) {
  return entry ? MdlImageAt<ModelOptionCommand>(ctx->modelImage, entry->optionCommand) : nullptr;
}

// The Numeric record of an entry: the multiplier is its seventh number, the divisor its fifth
// (0 counts as 1 for both).
bool NumericScale(DriverContext* ctx, const ModelItem* entry, int64_t* multiplier, int64_t* divisor) {
  if (!entry || ModelItemKind(entry->typeWord) != kItemNumeric) return false;
  const auto* n = MdlImageAt<ModelNumericValue>(ctx->modelImage, entry->values);
  if (!n) return false;
  *multiplier = n->seventh ? n->seventh : 1;
  *divisor = n->divisor ? n->divisor : 1;
  return true;
}

void AppendNumber(CommandTextState* state, char* buffer, int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  GrAppendText(state, buffer, text);
}

int AppendAffixedNumber(DriverContext* ctx, const ModelItem* entry, int64_t value, CommandTextState* state,
                        char* buffer) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  return GrEmitAffixed(ctx, entry, text, state, buffer);
}

// Kinds 2, 9 and 10: a length in 1/1200 inch scaled to device dots.
void AppendScaledMargin(DriverContext* ctx, const ModelItem* entry, int32_t value, bool negate,
                        CommandTextState* state, char* buffer) {
  int64_t multiplier = 1, divisor = 1;
  if (!NumericScale(ctx, entry, &multiplier, &divisor)) return;
  const int64_t resolution = OptGetValue(ctx, kOptDstResolutionW, nullptr);
  int64_t dots = int64_t{value} * multiplier * resolution / (divisor * 1200);
  if (negate) dots = -dots;
  AppendAffixedNumber(ctx, entry, dots, state, buffer);
}

// A quoted text between the entry's texts.
void AppendQuotedAffixed(DriverContext* ctx, const ModelItem* entry, const char* text, CommandTextState* state,
                         char* buffer) {
  const ModelOptionCommand* command = CommandOf(ctx, entry);
  if (command) GrAppendText(state, buffer, ImageText(ctx, command->text1) ? ImageText(ctx, command->text1) : "");
  GrAppendText(state, buffer, "\"");
  GrAppendSafeText(state, buffer, text, -1, true);
  GrAppendText(state, buffer, "\"");
  if (command) GrAppendText(state, buffer, ImageText(ctx, command->text2) ? ImageText(ctx, command->text2) : "");
}

// A text from outside between the entry's texts, with its unsafe bytes replaced.
void AppendSafeAffixed(DriverContext* ctx, const ModelItem* entry, const char* text, CommandTextState* state,
                       char* buffer) {
  const ModelOptionCommand* command = CommandOf(ctx, entry);
  const char* before = command ? ImageText(ctx, command->text1) : nullptr;
  const char* after = command ? ImageText(ctx, command->text2) : nullptr;
  if (before) GrAppendText(state, buffer, before);
  GrAppendSafeText(state, buffer, text, -1, false);
  if (after) GrAppendText(state, buffer, after);
}

void WidePathAffixed(DriverContext* ctx, const ModelItem* entry, const WCHAR* path, CommandTextState* state,
                     char* buffer) {
  char text[kPathBytes] = {};
  if (path) GrWideToAnsiText(text, path, kPathBytes);
  AppendSafeAffixed(ctx, entry, text, state, buffer);
}

void AppendTime(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer) {
  ENG_TIME_FIELDS now{};
  EngQueryLocalTime(&now);
  char date[32], time[32];
  std::snprintf(date, sizeof date, "\"%04d/%02d/%02d\"", now.usYear, now.usMonth, now.usDay);
  std::snprintf(time, sizeof time, "\"%02d:%02d:%02d\"", now.usHour, now.usMinute, now.usSecond);
  GrWritePjlSet("DATE", date, state, buffer);
  GrEmitAffixed(ctx, entry, time, state, buffer);
}

void AppendDeviceName(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer) {
  char text[kPathBytes] = {};
  GrWideToAnsiText(text, PrnGetDriverName(ctx), kPathBytes);
  if (text[0]) {
    GrAppendText(state, buffer, "@PJL SET ZOLTDRIVERNAME = \"");
    GrAppendSafeText(state, buffer, text, -1, true);
    GrAppendText(state, buffer, "\" \r\n");
  }
  std::memset(text, 0, sizeof text);
  GrWideToAnsiText(text, PrnGetName(ctx), kPathBytes);
  if (text[0]) AppendQuotedAffixed(ctx, entry, text, state, buffer);
}

void AppendHelpFile(DriverContext* ctx, const ModelItem* entry, bool asModule, CommandTextState* state,
                    char* buffer) {
  WCHAR name[kPathBytes] = {};
  PrnReadHelpFileName(name, sizeof name, ctx);
  name[kPathBytes - 1] = 0;
  if (asModule) {
    const size_t n = std::char_traits<char16_t>::length(name);
    if (n > 3) {
      name[n - 3] = u'D';
      name[n - 2] = u'L';
      name[n - 1] = u'L';
    }
  }
  WidePathAffixed(ctx, entry, name, state, buffer);
}

void AppendStripped(DriverContext* ctx, const ModelItem* entry, OptionEntry* row, CommandTextState* state,
                    char* buffer) {
  WCHAR wide[kPathBytes] = {};
  if (!OptGetStringValue(ctx, row, wide, kPathBytes)) return;
  char text[kPathBytes * 2] = {};
  GrWideToAnsiText(text, wide, sizeof text);
  char* end = std::remove_if(text, text + std::strlen(text), [](char c) { return c == '-' || c == '(' || c == ')'; });
  *end = 0;
  AppendSafeAffixed(ctx, entry, text, state, buffer);
}

// Kind 11: the chapter lines.
void AppendChapters(DriverContext* ctx, const ModelItem* entry, int32_t value, CommandTextState* state,
                    char* buffer) {
  if (const auto* b = MdlImageAt<ModelBooleanValue>(ctx->modelImage, entry->values);
      b && ModelItemKind(entry->typeWord) == kItemBoolean) {
    const char* text = ImageText(ctx, value ? b->trueText : b->falseText);
    if (text) GrEmitAffixed(ctx, entry, text, state, buffer);
  }
  if (!value) return;
  const int count = OptGetValue(ctx, kOptChapterNum, nullptr);
  const int trayMax = OptGetValue(ctx, kOptChapterTrayMax, nullptr);
  if (count <= 0 || trayMax <= 0) return;
  struct Tray {
    int16_t tray;
    uint8_t print;
  };
  std::vector<Tray> trays;
  std::vector<const ChapterEntry*> entries;
  for (int i = 0; i < count; ++i) {
    const ChapterEntry* e = FmGetChapterEntry(ctx, i);
    if (!e) break;
    entries.push_back(e);
    if (e->kind != 0 && e->kind != 3) continue;
    auto it = std::find_if(trays.begin(), trays.end(), [&](const Tray& t) { return t.tray == e->tray; });
    if (it == trays.end()) {
      if (static_cast<int>(trays.size()) < trayMax) trays.push_back({e->tray, e->print});
    } else if (e->print) {
      it->print = e->print;
    }
  }
  const bool duplex = OptGetValue(ctx, kOptFuncSelectDuplex, nullptr) != 0;
  char name[64];
  for (size_t i = 0; i < trays.size(); ++i) {
    const char* trayText = GrValueCommandText(ctx, kOptChapterTray, trays[i].tray);
    GrNumberedName(name, "CHAPTERPRINTTRAY", static_cast<int>(i + 1));
    GrWritePjlSet(name, trayText ? trayText : "", state, buffer);
    GrNumberedName(name, "CHAPTERPRINTDUPLEX", static_cast<int>(i + 1));
    GrWritePjlSet(name, duplex && trays[i].print == 1 ? "ON" : "OFF", state, buffer);
  }
  auto trayNumber = [&](int16_t tray) {
    for (size_t i = 0; i < trays.size(); ++i)
      if (trays[i].tray == tray) return static_cast<int>(i + 1);
    return 0;
  };
  char number[32], trayName[64];
  for (size_t n = 0; n < entries.size(); ++n) {
    const ChapterEntry* e = entries[n];
    const int index = static_cast<int>(n + 1);
    GrNumberedName(trayName, "CHAPTERPRINTTRAY", trayNumber(e->tray));
    if (e->kind != 3) {
      GrNumberedName(name, "CHAPTERPAGENUMBER", index);
      std::snprintf(number, sizeof number, "%d", e->page);
      GrWritePjlSet(name, number, state, buffer);
    } else {
      // "first-last", or a single number for both.
      char range[kChapterRangeChars + 1] = {};
      for (int k = 0; k < kChapterRangeChars && e->pageRange[k]; ++k)
        range[k] = e->pageRange[k] < 0x80 ? static_cast<char>(e->pageRange[k]) : '?';
      char* dash = std::strchr(range, '-');
      std::string first = dash ? std::string(range, dash) : std::string(range);
      std::string last = dash ? std::string(dash + 1) : first;
      GrNumberedName(name, "CHAPTERPAGESTART", index);
      GrWritePjlSet(name, first.c_str(), state, buffer);
      GrNumberedName(name, "CHAPTERPAGEEND", index);
      GrWritePjlSet(name, last.c_str(), state, buffer);
      GrNumberedName(name, "CHAPTERPAGETRAY", index);
      GrWritePjlSet(name, trayName, state, buffer);
    }
    GrNumberedName(name, "CHAPTERPAGE", index);
    if (e->kind == 0) {
      GrWritePjlSet(name, e->print == 1 || e->print == 2 ? "COPY" : "BLANK", state, buffer);
      GrNumberedName(name, "CHAPTERPAGETRAY", index);
      GrWritePjlSet(name, trayName, state, buffer);
    } else if (e->kind != 3) {
      GrWritePjlSet(name, "BREAK", state, buffer);
    }
  }
}

// Kind 13: the escape string of the value.
void AppendEscapeString(DriverContext* ctx, const ModelItem* entry, int32_t value, CommandTextState* state,
                        char* buffer) {
  if (!ModelIsListKind(entry->typeWord)) return;
  const ModelValue* v = MdlFindItemValue(ctx->modelImage, entry, static_cast<uint16_t>(value));
  const char* own = v ? ImageText(ctx, v->text) : nullptr;
  if (!own || !*own) return;
  char text[kPathBytes * 2] = {};
  if (EscapeStringRow* row = GrFindEscapeString(v->valueId)) {
    // The driver's own strings win; the text the printer-interface module sent stays when they
    // have none.
    WCHAR loaded[261] = {};
    if (EnvLoadString(ctx, row->stringId, loaded, 261, 0) > 0) std::memcpy(row->text, loaded, sizeof loaded);
    WCHAR copy[261];
    std::memcpy(copy, row->text, sizeof copy);
    copy[260] = 0;
    GrWideToAnsiText(text, copy, sizeof text);
    AppendSafeAffixed(ctx, entry, text, state, buffer);
    return;
  }
  GrEmitAffixed(ctx, entry, own, state, buffer);
}

// The handler of a special kind; true when the command counts as handled.
bool RunSpecialKind(DriverContext* ctx, OptionEntry* row, const ModelItem* entry, int32_t value,
                    CommandTextState* state, char* buffer) {
  switch (row->specialCode) {
    case kCmdKindTime:
      AppendTime(ctx, entry, state, buffer);
      return true;
    case kCmdKindMargin:
      AppendScaledMargin(ctx, entry, value, false, state, buffer);
      return true;
    case kCmdKindDeviceName:
      AppendDeviceName(ctx, entry, state, buffer);
      return true;
    case kCmdKindIniFile: {
      char text[kPathBytes] = {};
      GrWideToAnsiText(text, PathGetSettingsIni(ctx), kPathBytes);
      AppendSafeAffixed(ctx, entry, text, state, buffer);
      return true;
    }
    case kCmdKindHelpFile:
      AppendHelpFile(ctx, entry, false, state, buffer);
      return true;
    case kCmdKindDriverFile:
      AppendHelpFile(ctx, entry, true, state, buffer);
      return true;
    case kCmdKindStripped:
      AppendStripped(ctx, entry, row, state, buffer);
      return true;
    case kCmdKindShiftX: {
      const int32_t dir = OptGetValue(ctx, kOptShiftDir, nullptr);
      AppendScaledMargin(ctx, entry, value, dir == 2 || dir == 4, state, buffer);
      return true;
    }
    case kCmdKindShiftY: {
      const int32_t dir = OptGetValue(ctx, kOptShiftDir, nullptr);
      AppendScaledMargin(ctx, entry, value, dir == 3 || dir == 4, state, buffer);
      return true;
    }
    case kCmdKindChapters:
      AppendChapters(ctx, entry, value, state, buffer);
      return true;
    case kCmdKindDriverDir:
      WidePathAffixed(ctx, entry, PathGetDriverDir(ctx), state, buffer);
      return true;
    case kCmdKindEscapeString:
      AppendEscapeString(ctx, entry, value, state, buffer);
      return true;
    case kCmdKindColourByMode:
      return GrColourFileByMode(ctx, entry, state, buffer) != 0;
    case kCmdKindColourByObject:
      return GrColourFileByObject(ctx, entry, state, buffer) != 0;
    default:
      return false;
  }
}

}  // namespace

// ---- helpers ------------------------------------------------------------------------------

void GrAppendText(CommandTextState* state, char* buffer, const char* text, int32_t n) {
  if (!text) return;
  const int32_t length = n < 0 ? static_cast<int32_t>(std::strlen(text)) : n;
  if (buffer && length > 0) std::memcpy(buffer + state->position, text, static_cast<size_t>(length));
  state->position += length;
}

void GrAppendSafeText(CommandTextState* state, char* buffer, const char* text, int32_t n, bool quoted) {
  if (!text) return;
  const int32_t length = n < 0 ? static_cast<int32_t>(std::strlen(text)) : n;
  if (buffer) {
    char* out = buffer + state->position;
    for (int32_t i = 0; i < length; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      out[i] = (c < 0x20 || c == 0x7F) ? ' ' : (quoted && c == '"') ? '\'' : static_cast<char>(c);
    }
  }
  state->position += length;
}

void GrWideToAnsiText(char* out, const WCHAR* text, int maxBytes) {
  if (!out || maxBytes <= 0) return;
  out[0] = 0;
  if (text) EnvWideToAnsi(out, text, maxBytes);
}

const ModelItem* GrFindOptionCommand(uint16_t nameIndex, int16_t valueKey, DriverContext* ctx) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  int guard = 0;
  for (uint32_t at = image->header.firstItem; at && guard < kMaxNodes; ++guard) {
    const auto* item = MdlImageAt<ModelItem>(image, at);
    if (!item) break;
    if (item->nameIndex == nameIndex &&
        (static_cast<int16_t>(item->variant) == valueKey || (item->typeWord & kItemIdentity)))
      return item;
    at = item->next;
  }
  return nullptr;
}

int GrEmitAffixed(DriverContext* ctx, const ModelItem* entry, const char* text, CommandTextState* state,
                  char* buffer) {
  const ModelOptionCommand* command = CommandOf(ctx, entry);
  if (command) GrAppendText(state, buffer, ImageText(ctx, command->text1));
  GrAppendText(state, buffer, text);
  if (command) GrAppendText(state, buffer, ImageText(ctx, command->text2));
  return 0;
}

int GrWritePjlSet(const char* name, const char* value, CommandTextState* state, char* buffer) {
  GrAppendText(state, buffer, "@PJL SET ");
  GrAppendText(state, buffer, name);
  GrAppendText(state, buffer, " = ");
  GrAppendText(state, buffer, value);
  GrAppendText(state, buffer, " \r\n");
  return 0;
}

void GrNumberedName(char* out, const char* name, int n) { std::snprintf(out, 64, "%s%d", name, n); }

const char* GrValueCommandText(DriverContext* ctx, uint16_t optionId, int32_t stored) {
  OptionEntry* row = OptFind(ctx, optionId);
  const ModelItem* item = row ? MdlFindActiveItem(optionId, ctx) : nullptr;
  if (!item) return nullptr;
  const ModelImage* image = ctx->modelImage;
  const uint16_t kind = ModelItemKind(item->typeWord);
  if (kind == kItemPickOne) {
    for (const auto* v = MdlImageAt<ModelValue>(image, item->values); v; v = MdlNextItemValue(image, item, v))
      if (OptFromUiValue(ctx, row, v->valueId) == stored) return ImageText(ctx, v->text);
    return nullptr;
  }
  if (kind == kItemBoolean) {
    const auto* b = MdlImageAt<ModelBooleanValue>(image, item->values);
    return b ? ImageText(ctx, stored ? b->trueText : b->falseText) : nullptr;
  }
  return nullptr;
}

int GrOptionIn(DriverContext* ctx, uint16_t optionId, int count, const int32_t* values) {
  const int32_t value = OptGetValue(ctx, optionId, nullptr);
  return std::find(values, values + count, value) != values + count ? 1 : 0;
}

// ---- expansion ----------------------------------------------------------------------------

namespace {
thread_local int t_depth = 0;
}

int GrExpandConditional(DriverContext* ctx, const ModelCommandGroup* group, CommandTextState* state, char* buffer) {
  if (!group) return 0;
  const bool holds = group->condition == 0 || MdlEvalJudge(group->condition, ctx) != 0;
  const uint32_t list = holds ? group->mainBranch : group->elseBranch;
  if (!list) return 0;
  if (t_depth >= kMaxDepth) return -1;
  ++t_depth;
  const int result = GrExpandNodeList(state, ctx, list, buffer);
  --t_depth;
  return result;
}

int GrExpandNodeList(CommandTextState* state, DriverContext* ctx, uint32_t firstNode, char* buffer) {
  const ModelImage* image = ctx->modelImage;
  int result = 0;
  int guard = 0;
  for (uint32_t at = firstNode; at; at = MdlImageAt<CommandNode>(image, at)->next) {
    const auto* node = MdlImageAt<CommandNode>(image, at);
    if (!node || ++guard > kMaxNodes) return -1;
    switch (node->type) {
      case kNodeItemCommand: {
        const auto* item = MdlImageAt<ModelItemCommandNode>(image, at);
        result = item ? GrExpandItemCommand(state, ctx, item, buffer) : -1;
        break;
      }
      case kNodeCommandString: {
        const auto* text = MdlImageAt<ModelStringCommandNode>(image, at);
        if (!text) return -1;
        result = 0;
        if (text->numberOrLength > 1) {
          const uint8_t* bytes = MdlImageSpan(image, text->text, text->numberOrLength);
          if (!bytes) return -1;
          // The length counts the terminator.
          GrAppendText(state, buffer, reinterpret_cast<const char*>(bytes),
                       static_cast<int32_t>(text->numberOrLength - 1));
        }
        break;
      }
      case kNodeBlock: {
        const auto* block = MdlImageAt<ModelBlockCommandNode>(image, at);
        if (!block) return -1;
        result = GrExpandConditional(ctx, MdlImageAt<ModelCommandGroup>(image, block->group), state, buffer);
        break;
      }
      case kNodeFontList:
        result = GrWriteDeviceFontIds(state, ctx, buffer);
        break;
      default:
        return -1;
    }
    if (result == -1) return -1;
  }
  return result;
}

int GrExpandItemCommand(CommandTextState* state, DriverContext* ctx, const ModelItemCommandNode* node, char* buffer) {
  const ModelItem* entry = GrFindOptionCommand(node->nameIndex, node->variant, ctx);
  if (!entry) return -1;
  // The option of the symbol; else the one the model tied the item to when it was compiled.
  OptionEntry* row = OptFindBySymbol(ctx, node->nameIndex);
  if (!row && entry->settingId) row = OptFind(ctx, entry->settingId);
  // An item the model ties to no setting (a control of the dialogs only) has no value to send.
  if (!row) return entry->settingId == 0 ? 0 : -1;
  const int32_t value = OptReadUiValue(ctx, row);
  if (row->specialCode && RunSpecialKind(ctx, row, entry, value, state, buffer)) return 0;
  if (entry->typeWord & kItemTypeUnknown) return 0;
  const ModelImage* image = ctx->modelImage;
  switch (ModelItemKind(entry->typeWord & ~kItemIdentity)) {
    case kItemPickOne:
    case kItemPickPage:
    case kItemPickSlot:
    case kItemFontTbl: {
      const ModelValue* v = MdlFindItemValue(image, entry, static_cast<uint16_t>(value));
      const char* text = v ? ImageText(ctx, v->text) : nullptr;
      if (text) GrEmitAffixed(ctx, entry, text, state, buffer);
      break;
    }
    case kItemBoolean: {
      const auto* b = MdlImageAt<ModelBooleanValue>(image, entry->values);
      const char* text = b ? ImageText(ctx, value ? b->trueText : b->falseText) : nullptr;
      if (text) GrEmitAffixed(ctx, entry, text, state, buffer);
      break;
    }
    case kItemNumeric: {
      int64_t multiplier = 1, divisor = 1;
      if (NumericScale(ctx, entry, &multiplier, &divisor))
        AppendAffixedNumber(ctx, entry, int64_t{value} * multiplier / divisor, state, buffer);
      break;
    }
    case kItemString: {
      WCHAR wide[kPathBytes] = {};
      if (!OptGetStringValue(ctx, row, wide, kPathBytes) || !wide[0]) break;
      char text[kPathBytes * 2] = {};
      GrWideToAnsiText(text, wide, sizeof text);
      if (text[0]) AppendSafeAffixed(ctx, entry, text, state, buffer);
      break;
    }
    default:
      break;
  }
  if ((entry->typeWord & ~kItemIdentity) == kItemFontTbl) GrWriteSubFontTable(state, ctx, entry, value, buffer);
  return 0;
}

// Ends a "/"-separated list: the last character written becomes the closing quote.
static void CloseList(CommandTextState* state, char* buffer) {
  state->position -= 1;
  GrAppendText(state, buffer, "\" \r\n");
}

int GrWriteDeviceFontIds(CommandTextState* state, DriverContext* ctx, char* buffer) {
  OptionEntry* countRow = OptFind(ctx, kOptDeviceFontCount);
  if (!countRow || !OptFind(ctx, kOptDeviceFont)) return 0;
  const int32_t count = OptReadValue(ctx, countRow);
  const auto* fonts = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptDeviceFont));
  if (count <= 0 || !fonts) return 0;
  GrAppendText(state, buffer, "@PJL SET DEVFONTID = \"");
  for (int32_t i = 0; i < count; ++i) {
    const uint16_t id = static_cast<uint16_t>(fonts[i].fontId & 0xFFFF);
    if (id == 0xFFFF) continue;
    AppendNumber(state, buffer, id);
    GrAppendText(state, buffer, "+");
    WCHAR name[32];
    std::memcpy(name, fonts[i].name, sizeof name);
    name[31] = 0;
    char text[kFontNameBytes] = {};
    GrWideToAnsiText(text, name, kFontNameBytes);
    GrAppendSafeText(state, buffer, text, -1, true);
    GrAppendText(state, buffer, "/");
  }
  CloseList(state, buffer);
  return 0;
}

int GrWriteSubFontTable(CommandTextState* state, DriverContext* ctx, const ModelItem* entry, int32_t value,
                        char* buffer) {
  const ModelValue* v = MdlFindItemValue(ctx->modelImage, entry, static_cast<uint16_t>(value));
  if (!v || !ImageText(ctx, v->text)) return 0;
  const int32_t count = OptGetValue(ctx, kOptFontTableCount, nullptr);
  const auto* table = static_cast<const FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable));
  if (count <= 0 || !table) return 0;
  GrAppendText(state, buffer, "@PJL SET SUBFONTTABLE = \"");
  for (int32_t i = 0; i < count; ++i) {
    WCHAR face[32];
    char text[kFontNameBytes] = {};
    std::memcpy(face, table[i].trueTypeName, sizeof face);
    face[31] = 0;
    GrWideToAnsiText(text, face, kFontNameBytes);
    GrAppendSafeText(state, buffer, text, -1, true);
    GrAppendText(state, buffer, "+");
    std::memcpy(face, table[i].deviceName, sizeof face);
    face[31] = 0;
    std::memset(text, 0, sizeof text);
    GrWideToAnsiText(text, face, kFontNameBytes);
    GrAppendSafeText(state, buffer, text, -1, true);
    GrAppendText(state, buffer, "/");
  }
  CloseList(state, buffer);
  return 0;
}

int GrExpandCommandGroup(DriverContext* ctx, uint32_t group, char* buffer, int32_t* length) {
  *length = 0;
  if (!ctx || !ctx->modelImage || group >= kGroupSlotCount) return 0;
  const auto* root = MdlImageAt<ModelCommandGroup>(ctx->modelImage, ctx->modelImage->header.groups[group]);
  if (!root) return 0;
  CommandTextState state{0};
  const int result = GrExpandConditional(ctx, root, &state, buffer);
  *length = state.position;
  if (result == -1) return -1;
  if (!buffer && result == 0 && state.position > 0) return 1;
  return result;
}
