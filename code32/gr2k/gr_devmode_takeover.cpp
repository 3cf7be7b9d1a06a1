// The device mode a running job keeps across a device reset: when the job asks to be taken
// over, the new record's copy of the engine's device mode takes the old one's content, except
// the fields that the new page may change (paper, orientation, copies, colour and quality
// settings), which keep the new values.
#include "gr_devmode_takeover.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "devmode_fields.h"
#include "driver_context.h"
#include "option_table.h"

namespace {

enum class Keep { Field, Bit };

struct KeptField {
  const char16_t* name;
  Keep keep;
};

// Kept whatever the old paper; the "byte of" and "word of" fields are kept whole by naming a
// field of that storage.
constexpr KeptField kAlwaysKept[] = {
    {u"zdmExtPrintArea", Keep::Field},      {u"dmOrientation", Keep::Field},
    {u"dmPaperSize", Keep::Field},          {u"dmCopies", Keep::Field},
    {u"zdmScaleH", Keep::Field},            {u"zdmScaleV", Keep::Field},
    {u"zdmImagePrint", Keep::Field},        {u"zdmColorProcess", Keep::Field},
    {u"zdmExtOutputEMFSpool", Keep::Bit},   {u"zdmColorMatching", Keep::Field},
    {u"zdmColorMatchingMode", Keep::Field}, {u"zdmICMType", Keep::Field},
    {u"zdmICMIntent", Keep::Field},         {u"zdmAdjustMode", Keep::Field},
    {u"zdmAdjustObject", Keep::Field},      {u"zdmColorMode", Keep::Field},
    {u"zdmCharBlack", Keep::Field},         {u"zdmAutoCorrectPhoto", Keep::Field},
    {u"zdmDitherType", Keep::Field},        {u"zdmBrightness", Keep::Field},
    {u"zdmContrast", Keep::Field},          {u"zdmSaturation", Keep::Field},
    {u"zdmColorBalanceR", Keep::Field},     {u"zdmColorBalanceG", Keep::Field},
    {u"zdmColorBalanceB", Keep::Field},     {u"zdmPlaneUseCMYKCyan", Keep::Field},
    {u"zdmDstResolutionBoth", Keep::Field}, {u"zdmQualityFunc168Line", Keep::Field},
    {u"zdmUseUserMacro", Keep::Field},      {u"zdmPrintMacro", Keep::Field},
    {u"zdmBalanceMacro", Keep::Field},      {u"zdmUserPrintMacro", Keep::Field},
    {u"zdmTTFont", Keep::Field},            {u"zdmResBorder", Keep::Field},
    {u"zdmSmoothing", Keep::Field},         {u"zdmExtOutputprinterSide", Keep::Bit},
    {u"zdmCosmeticLine", Keep::Field},      {u"zdmFuncSelectTonerSave", Keep::Bit},
    {u"zdmTonerSave", Keep::Field},         {u"zdmTonerSaveDensityType", Keep::Field},
    {u"zdmTonerSaveDensityText", Keep::Field}, {u"zdmTonerSaveDensityLine", Keep::Field},
    {u"zdmTonerSaveDensityImage", Keep::Field},
};

// Kept too when the old device mode's output paper is 1024.
constexpr KeptField kKeptWithPaper1024[] = {
    {u"zdmOutPaperSize", Keep::Field}, {u"dmDefaultSource", Keep::Field}, {u"dmMediaType", Keep::Field},
    {u"zdmMediaType", Keep::Field},    {u"zdmOutputTrayID", Keep::Field},
};

const OptionEntry* FindField(DriverContext* ctx, std::u16string_view name) {
  const OptionTable* table = ctx ? ctx->optionTable : nullptr;
  if (!table) return nullptr;
  for (int i = 0; i < table->count; ++i) {
    const OptionEntry& row = table->rows[i];
    if (TypeBlock(row.typeWord) == kBlockDevmode && row.labels && row.labels->fieldName && row.labels->fieldName == name)
      return &row;
  }
  return nullptr;
}

// Where a row's value lives in a device mode and how much of it; false when it does not fit.
bool Storage(const OptionEntry* row, uint32_t dmBytes, uint32_t* offset, uint32_t* size, uint32_t* bitMask) {
  const uint32_t kind = TypeKind(row->typeWord);
  *offset = row->offset;
  *size = TypeSize(row->typeWord);
  *bitMask = 0;
  if (kind >= kKindBitFirst && kind <= kKindBitLast) *bitMask = 1u << (kind - kKindBitFirst);
  return *size > 0 && *size <= 4096 && *offset + *size <= dmBytes;
}

uint32_t ReadLe(const BYTE* p, uint32_t size) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < size && i < 4; ++i) v |= uint32_t{p[i]} << (8 * i);
  return v;
}

void WriteLe(BYTE* p, uint32_t size, uint32_t v) {
  for (uint32_t i = 0; i < size && i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// The value of a field (a bit's 0/1, or the storage's low 32 bits).
bool FieldValue(DriverContext* ctx, const BYTE* dm, uint32_t dmBytes, const char16_t* name, uint32_t* value) {
  const OptionEntry* row = FindField(ctx, name);
  uint32_t offset = 0, size = 0, mask = 0;
  if (!row || !Storage(row, dmBytes, &offset, &size, &mask)) return false;
  const uint32_t word = ReadLe(dm + offset, size);
  *value = mask ? (word & mask) != 0 : word;
  return true;
}

}  // namespace

int GrDevModesCompatible(DriverContext* ctx, const DEVMODEW* oldDm, const DEVMODEW* newDm) {
  if (!oldDm || !newDm) return 0;
  const uint32_t size = uint32_t{oldDm->dmSize} + oldDm->dmDriverExtra;
  if (size != uint32_t{newDm->dmSize} + newDm->dmDriverExtra || size < DmGetSize()) return 0;
  const auto* a = reinterpret_cast<const BYTE*>(oldDm);
  const auto* b = reinterpret_cast<const BYTE*>(newDm);
  for (const char16_t* name : {u"dmColor", u"dmPrintQuality", u"zdmFuncSelectDuplex"}) {
    uint32_t x = 0, y = 0;
    if (!FieldValue(ctx, a, size, name, &x) || !FieldValue(ctx, b, size, name, &y) || x != y) return 0;
  }
  return 1;
}

int GrTakeOverDevMode(DriverContext* ctx, const DEVMODEW* oldDm, DEVMODEW* newDm) {
  if (!GrDevModesCompatible(ctx, oldDm, newDm)) return 0;
  const uint32_t size = uint32_t{newDm->dmSize} + newDm->dmDriverExtra;
  const auto* oldBytes = reinterpret_cast<const BYTE*>(oldDm);
  auto* newBytes = reinterpret_cast<BYTE*>(newDm);
  std::vector<const KeptField*> kept;
  for (const KeptField& f : kAlwaysKept) kept.push_back(&f);
  uint32_t outPaper = 0;
  if (FieldValue(ctx, oldBytes, size, u"zdmOutPaperSize", &outPaper) && outPaper == 1024)
    for (const KeptField& f : kKeptWithPaper1024) kept.push_back(&f);

  const std::vector<BYTE> fresh(newBytes, newBytes + size);
  std::memcpy(newBytes, oldBytes, size);
  for (const KeptField* f : kept) {
    const OptionEntry* row = FindField(ctx, f->name);
    uint32_t offset = 0, length = 0, mask = 0;
    if (!row || !Storage(row, size, &offset, &length, &mask)) continue;
    if (f->keep == Keep::Bit && mask) {
      const uint32_t word = (ReadLe(newBytes + offset, length) & ~mask) | (ReadLe(fresh.data() + offset, length) & mask);
      WriteLe(newBytes + offset, length, word);
    } else {
      std::memcpy(newBytes + offset, fresh.data() + offset, length);
    }
  }
  return 1;
}

int GrTakeOverFieldsKnown(DriverContext* ctx) {
  for (const KeptField& f : kAlwaysKept)
    if (!FindField(ctx, f.name)) return 0;
  for (const KeptField& f : kKeptWithPaper1024)
    if (!FindField(ctx, f.name)) return 0;
  return FindField(ctx, u"dmColor") && FindField(ctx, u"dmPrintQuality") && FindField(ctx, u"zdmFuncSelectDuplex");
}
