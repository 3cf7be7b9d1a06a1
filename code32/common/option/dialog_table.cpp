// The binding of a context's control rows to the context's own option rows.
#include <unordered_map>

#include "driver_context.h"

void OptBindDialogOptions(DriverContext* ctx) {
  DialogTable* dialogs = ctx ? ctx->dialogTable : nullptr;
  if (!dialogs || !dialogs->rows) return;
  int controls = 0;
  for (int i = 0; i < dialogs->count; ++i)
    if (dialogs->rows[i].controls) controls += dialogs->rows[i].controlCount;
  if (controls <= 0) return;

  // The answers of OptFindBySymbol, indexed once: the first option row with the name index,
  // else the option that the first NameTable row of that symbol names.
  std::unordered_map<uint16_t, OptionEntry*> bySymbol;
  if (OptionTable* table = ctx->optionTable; table && table->rows)
    for (int i = 0; i < table->count; ++i)
      if (table->rows[i].nameIndex) bySymbol.try_emplace(table->rows[i].nameIndex, &table->rows[i]);
  std::unordered_map<uint16_t, uint16_t> optionOfSymbol;
  const NameTable* names = ctx->nameTable ? ctx->nameTable : CtxGetTemplate()->nameTable;
  for (int i = 0; names && names->rows && i < names->count; ++i)
    optionOfSymbol.try_emplace(names->rows[i].nameIndex, names->rows[i].optionId);

  auto resolve = [&](uint16_t nameIndex) -> OptionEntry* {
    if (nameIndex == 0) return nullptr;
    if (auto it = bySymbol.find(nameIndex); it != bySymbol.end()) return it->second;
    auto it = optionOfSymbol.find(nameIndex);
    return it != optionOfSymbol.end() && it->second ? OptFind(ctx, it->second) : nullptr;
  };
  for (int i = 0; i < dialogs->count; ++i) {
    DialogDescriptor& d = dialogs->rows[i];
    for (int j = 0; d.controls && j < d.controlCount; ++j) d.controls[j].option = resolve(d.controls[j].nameIndex);
  }
}
