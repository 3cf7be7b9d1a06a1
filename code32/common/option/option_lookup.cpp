// The context's own option and dialog tables: their copies, and the lookups by id, symbol,
// name and window; the message lookups.
#include <cstring>

#include "ctx_internal.h"

// ---- Copies -------------------------------------------------------------------------------

OptionTable* OptCopyTable(const OptionDescriptorTable* source) {
  if (!source || source->count <= 0 || !source->rows) return nullptr;
  const DWORD count = static_cast<DWORD>(source->count);
  auto* table = static_cast<OptionTable*>(CtxAllocMem(sizeof(OptionTable)));
  auto* rows = static_cast<OptionEntry*>(CtxAllocMem(count * sizeof(OptionEntry)));
  // One block holds the side records of all rows.
  auto* labels = static_cast<OptionLabels*>(CtxAllocMem(count * sizeof(OptionLabels)));
  if (!table || !rows || !labels) {
    MdlFreeMem(labels);
    MdlFreeMem(rows);
    MdlFreeMem(table);
    return nullptr;
  }
  table->count = source->count;
  table->rows = rows;
  table->labelBlock = labels;
  for (DWORD i = 0; i < count; ++i) {
    const OptionDescriptor& s = source->rows[i];
    OptionEntry& r = rows[i];
    labels[i].valueTexts = s.valueTexts;
    labels[i].fieldName = s.fieldName;
    r.id = s.id;
    r.nameIndex = s.nameIndex;
    r.typeWord = s.typeWord;
    r.offset = s.offset;
    r.storeClass = s.storeClass;
    r.section = s.section;
    r.key = s.key;
    r.specialCode = s.specialCode;
    r.stateBits = s.stateBits;
    r.labels = &labels[i];
    r.flags = 0;
  }
  return table;
}

void OptFreeTable(OptionTable* table) {
  if (!table) return;
  MdlFreeMem(table->labelBlock);
  MdlFreeMem(table->rows);
  MdlFreeMem(table);
}

DialogTable* OptCopyDialogTable(const StaticDialogTable* source) {
  if (!source || source->count <= 0 || !source->rows) return nullptr;
  const DWORD count = static_cast<DWORD>(source->count);
  auto* table = static_cast<DialogTable*>(CtxAllocMem(sizeof(DialogTable)));
  auto* rows = static_cast<DialogDescriptor*>(CtxAllocMem(count * sizeof(DialogDescriptor)));
  if (!table || !rows) {
    MdlFreeMem(rows);
    MdlFreeMem(table);
    return nullptr;
  }
  table->count = source->count;
  table->rows = rows;
  for (DWORD i = 0; i < count; ++i) {
    rows[i] = source->rows[i];
    rows[i].controls = nullptr;
    const int16_t controls = source->rows[i].controlCount;
    if (controls <= 0 || !source->rows[i].controls) {
      rows[i].controlCount = 0;
      continue;
    }
    auto* copy = static_cast<ControlDescriptor*>(CtxAllocMem(static_cast<DWORD>(controls) * sizeof(ControlDescriptor)));
    if (!copy) {
      // A dialog must never point at the shared static rows: give up the whole copy.
      OptFreeDialogTable(table);
      return nullptr;
    }
    std::memcpy(copy, source->rows[i].controls, static_cast<size_t>(controls) * sizeof(ControlDescriptor));
    rows[i].controls = copy;
  }
  return table;
}

void OptFreeDialogTable(DialogTable* table) {
  if (!table) return;
  if (table->rows)
    for (int i = 0; i < table->count; ++i) MdlFreeMem(table->rows[i].controls);
  MdlFreeMem(table->rows);
  MdlFreeMem(table);
}

// ---- Option lookup ------------------------------------------------------------------------

namespace {

constexpr uint32_t kPrinterConfigBase = 10000;

// Index (from 1) of the first row whose id is not its predecessor's + 1; 0 when there is none.
uint16_t FindFirstGap(const OptionTable& table) {
  for (int i = 1; i < table.count; ++i)
    if (table.rows[i].id != static_cast<uint16_t>(table.rows[i - 1].id + 1)) return static_cast<uint16_t>(i);
  return 0;
}

OptionEntry* SearchById(OptionTable& table, uint16_t id) {
  OptionEntry* rows = table.rows;
  const int last = table.count - 1;
  if (rows[0].id == id) return &rows[0];
  if (rows[last].id == id) return &rows[last];
  // Ascending ids: binary search; a table out of order is still searched row by row.
  int lo = 0, hi = last;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (rows[mid].id == id) return &rows[mid];
    if (rows[mid].id < id)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  for (int i = last; i >= 0; --i)
    if (rows[i].id == id) return &rows[i];
  return nullptr;
}

}  // namespace

OptionEntry* OptFind(DriverContext* ctx, uint16_t id) {
  if (!ctx || !ctx->optionTable || !ctx->optionTable->rows || ctx->optionTable->count <= 0 || id == 0)
    return nullptr;
  OptionTable& table = *ctx->optionTable;
  // Ids are consecutive from 1 up to the first gap; the printer-configuration ids from 10001
  // follow it, so both ranges are found by index. The key is kept in 32 bits: an id that
  // would wrap past 16 bits is never rebased onto an unrelated row.
  uint32_t key = id;
  if (id > kPrinterConfigBase) {
    if (table.firstGap == 0) table.firstGap = FindFirstGap(table);
    key = id + uint32_t{table.firstGap} - kPrinterConfigBase;
  }
  if (key >= 1 && key <= static_cast<uint32_t>(table.count) && table.rows[key - 1].id == id)
    return &table.rows[key - 1];
  return SearchById(table, id);
}

OptionEntry* OptFindBySymbol(DriverContext* ctx, uint16_t nameIndex) {
  // Symbol 0 names nothing (it is the "no symbol" mark of most rows), nor does the mark of a
  // model name the tables do not give.
  if (!ctx || nameIndex == 0 || nameIndex == kNameIndexUnfixed) return nullptr;
  if (OptionTable* table = ctx->optionTable; table && table->rows) {
    // Four rows a step: most symbols asked for are not in the table, so the whole table is read.
    OptionEntry* rows = table->rows;
    const int count = table->count;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
      const bool any = (rows[i].nameIndex == nameIndex) | (rows[i + 1].nameIndex == nameIndex) |
                       (rows[i + 2].nameIndex == nameIndex) | (rows[i + 3].nameIndex == nameIndex);
      if (!any) continue;
      for (int j = i;; ++j)
        if (rows[j].nameIndex == nameIndex) return &rows[j];
    }
    for (; i < count; ++i)
      if (rows[i].nameIndex == nameIndex) return &rows[i];
  }
  // Then the context's (shared) name table.
  const NameTable* names = ctx->nameTable ? ctx->nameTable : CtxGetTemplate()->nameTable;
  if (names && names->rows == kNameTable.rows && names->count == kNameTable.count) {
    // The shared table is constant: its first row of the symbol through the index.
    const NameEntry* symbol = OptFindSymbol(nameIndex);
    return symbol && symbol->optionId ? OptFind(ctx, symbol->optionId) : nullptr;
  }
  for (int i = 0; names && names->rows && i < names->count; ++i)
    if (names->rows[i].nameIndex == nameIndex)
      return names->rows[i].optionId ? OptFind(ctx, names->rows[i].optionId) : nullptr;
  return nullptr;
}

const WCHAR* OptGetFieldName(DriverContext* ctx, uint16_t id) {
  const OptionEntry* row = OptFind(ctx, id);
  return row && row->labels ? row->labels->fieldName : nullptr;
}

// ---- Messages -----------------------------------------------------------------------------

namespace {
const MessageTable* MessagesOf(const DriverContext* ctx) {
  return ctx && ctx->messageTable ? ctx->messageTable : CtxGetTemplate()->messageTable;
}
}  // namespace

const MessageEntry* OptFindMessage(const DriverContext* ctx, uint16_t nameIndex) {
  const MessageTable* t = MessagesOf(ctx);
  for (int i = 0; t && i < t->count; ++i)
    if (t->rows[i].nameIndex == nameIndex) return &t->rows[i];
  return nullptr;
}

const MessageEntry* OptFindMessageByName(const DriverContext* ctx, const char* name) {
  const MessageTable* t = MessagesOf(ctx);
  if (!name) return nullptr;
  for (int i = 0; t && i < t->count; ++i)
    if (t->rows[i].name && std::strcmp(t->rows[i].name, name) == 0) return &t->rows[i];
  return nullptr;
}

int OptGetMessageCount(const DriverContext* ctx) {
  const MessageTable* t = MessagesOf(ctx);
  return t ? t->count : 0;
}

const MessageEntry* OptGetMessageEntry(const DriverContext* ctx, int index) {
  const MessageTable* t = MessagesOf(ctx);
  if (!t || index < 0 || index >= t->count) return nullptr;
  return &t->rows[index];
}

// ---- Dialogs and controls -----------------------------------------------------------------

namespace {

template <typename Match>
DialogDescriptor* FindDialogIf(DriverContext* ctx, Match match) {
  DialogTable* t = ctx ? ctx->dialogTable : nullptr;
  if (!t || !t->rows) return nullptr;
  for (int i = 0; i < t->count; ++i)
    if (match(t->rows[i])) return &t->rows[i];
  return nullptr;
}

// In the given dialog, or with none in every dialog of the table in order.
template <typename Match>
ControlDescriptor* FindControlIf(DriverContext* ctx, DialogDescriptor* dialog, Match match) {
  auto scan = [&](DialogDescriptor& d) -> ControlDescriptor* {
    if (!d.controls) return nullptr;
    for (int i = 0; i < d.controlCount; ++i)
      if (match(d.controls[i])) return &d.controls[i];
    return nullptr;
  };
  if (dialog) return scan(*dialog);
  DialogTable* t = ctx ? ctx->dialogTable : nullptr;
  if (!t || !t->rows) return nullptr;
  for (int i = 0; i < t->count; ++i)
    if (ControlDescriptor* c = scan(t->rows[i])) return c;
  return nullptr;
}

}  // namespace

DialogDescriptor* OptFindDialog(DriverContext* ctx, uint16_t dialogId) {
  return FindDialogIf(ctx, [&](const DialogDescriptor& d) { return d.dialogId == dialogId; });
}

DialogDescriptor* OptFindDialogByWindow(DriverContext* ctx, HWND window) {
  if (!window) return nullptr;
  return FindDialogIf(ctx, [&](const DialogDescriptor& d) { return d.window == window; });
}

const DialogDescriptor* OptFindDialogByName(const DriverContext* ctx, const char* name) {
  if (!name) return nullptr;
  if (ctx) {
    const DialogTable* t = ctx->dialogTable;
    for (int i = 0; t && t->rows && i < t->count; ++i)
      if (t->rows[i].name && std::strcmp(t->rows[i].name, name) == 0) return &t->rows[i];
    return nullptr;
  }
  const StaticDialogTable* t = CtxGetTemplate()->dialogTable;
  for (int i = 0; t && t->rows && i < t->count; ++i)
    if (t->rows[i].name && std::strcmp(t->rows[i].name, name) == 0) return &t->rows[i];
  return nullptr;
}

ControlDescriptor* OptGetControl(DialogDescriptor* dialog, int index) {
  if (!dialog || !dialog->controls || index < 0 || index >= dialog->controlCount) return nullptr;
  return &dialog->controls[index];
}

ControlDescriptor* OptFindControl(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  return FindControlIf(ctx, dialog, [&](const ControlDescriptor& c) { return c.controlId == controlId; });
}

ControlDescriptor* OptFindControlByWindow(DriverContext* ctx, DialogDescriptor* dialog, HWND window) {
  if (!window) return nullptr;
  return FindControlIf(ctx, dialog, [&](const ControlDescriptor& c) { return c.window == window; });
}

ControlDescriptor* OptFindControlBySymbol(DriverContext* ctx, DialogDescriptor* dialog, uint16_t nameIndex) {
  return FindControlIf(ctx, dialog, [&](const ControlDescriptor& c) { return c.nameIndex == nameIndex; });
}

ControlDescriptor* OptFindControlByName(DriverContext* ctx, DialogDescriptor* dialog, const char* name) {
  const NameEntry* symbol = OptFindSymbolByName(name);
  return symbol ? OptFindControlBySymbol(ctx, dialog, symbol->nameIndex) : nullptr;
}
