// The reset table: fixed repairs of the options that the model does not describe, with their
// built-in defaults, and the walk that applies them.
#include "option_access.h"
#include "option_constants.h"
#include "option_units.h"
#include "option_validation.h"
#include "env_language.h"

namespace {

bool Between(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// Keeps the value in mode 2 when `keep` holds; otherwise writes the default.
int KeepOrWrite(bool keep, OptionEntry* row, int32_t defaultValue, uint32_t mode, DriverContext* ctx) {
  if (mode == kResetModeValidate && keep) return 1;
  OptWriteValue(ctx, row, defaultValue);
  return 0;
}

int ResetAlways(uint16_t, int32_t, OptionEntry* row, int32_t d, uint32_t, DriverContext* ctx) {
  OptWriteValue(ctx, row, d);
  return 0;
}

int ResetZoltVersion(uint16_t, int32_t, OptionEntry* row, int32_t, uint32_t, DriverContext* ctx) {
  OptWriteValue(ctx, row, ctx->profile ? static_cast<int32_t>(ctx->profile->reserved5[0]) : 0);
  return 0;
}

int ResetMachineId(uint16_t, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t code = ctx->profile ? ctx->profile->modelCode : 0;
  return KeepOrWrite(v == code, row, code, mode, ctx);
}

// The option's first legal value stands for its default (the table gives none for these rows).
int ResetLegal(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const LegalValueList* list = OptGetLegalValues(id);
  const int32_t d = list && list->count > 0 ? list->values[0] : 0;
  return KeepOrWrite(OptIsLegalValue(id, v) != 0, row, d, mode, ctx);
}

int ResetPresetNo(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 0, 127) || (v & 0xFF) == 255, row, d, mode, ctx);
}

int ResetResolution(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t quality = OptGetValue(ctx, 14, nullptr);
  const int32_t fallback = ctx->profile ? ctx->profile->resetResolutionW : 600;
  const int32_t d = DmIsValidPrintQuality(quality, ctx) ? quality : fallback;
  return KeepOrWrite(OptIsLegalValue(id, v) != 0, row, d, mode, ctx);
}

int ResetOutPaper(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 118) || OptIsLegalValue(8, v) || v == 1024, row, d, mode, ctx);
}

int ResetKeepInMode2(uint16_t, int32_t, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(true, row, d, mode, ctx);
}

int ResetScale(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 20, 400), row, d, mode, ctx);
}

// 0 to 50 mm in dots at the output resolution, compared unsigned.
int ResetMargin(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  const auto dpi = static_cast<uint32_t>(OptGetValue(ctx, 38, nullptr));
  const uint32_t limit = OptTenthMmToDotsU(500, dpi);
  return KeepOrWrite(static_cast<uint32_t>(v) <= limit, row, d, mode, ctx);
}

int ResetFontPoint(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 6, 100), row, d, mode, ctx);
}

int ResetWatermarkId(uint16_t, int32_t, OptionEntry*, int32_t, uint32_t, DriverContext*) { return 0; }

int ResetPaperSource(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 15) || OptIsLegalValue(13, v), row, d, mode, ctx);
}

int ResetSigned50(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, -50, 50), row, d, mode, ctx);
}

// zdmLanguageID and zdmDspLanguageID default to the profile's reset bytes 1 and 2.
int ResetLanguage(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t d = ctx->profile ? ctx->profile->resetBytes[id == 169 ? 1 : 2] : 0;
  return KeepOrWrite(Between(v, 0, 0xFFFF) && EnvIsKnownLanguageIndex(static_cast<WORD>(v)), row, d, mode, ctx);
}

int ResetNeverWrites(uint16_t, int32_t, OptionEntry*, int32_t, uint32_t, DriverContext*) { return 1; }

int ResetGamma(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 9), row, d, mode, ctx);
}

int ResetCycle(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 99), row, d, mode, ctx);
}

const ResetRule kResetTable[kResetRuleCount + 1] = {
#include "reset_rows.inc"
    {0, nullptr, 0},
};

constexpr uint16_t kFirstResetOption = 35;
constexpr uint16_t kLastResetOption = 719;

}  // namespace

const ResetRule* OptGetResetTable() { return kResetTable; }

uint32_t DmApplyResetRules(DEVMODEW*, DriverContext* ctx, uint32_t mode) {
  if (!ctx || !ctx->optionTable || !ctx->optionTable->rows) return 0;
  uint32_t last = 0;
  // Rows are taken by position: row k serves option 35 + k.
  for (int position = 0; position < kResetRuleCount; ++position) {
    const auto id = static_cast<uint16_t>(kFirstResetOption + position);
    if (id > kLastResetOption || id > ctx->optionTable->count) break;
    last = id;
    OptionEntry* row = &ctx->optionTable->rows[id - 1];
    const int32_t value = OptReadValue(ctx, row);
    if (OptValidateOrRepair(id, value, ctx) != kCheckNoModelName) continue;
    const ResetRule& rule = kResetTable[position];
    if (rule.handler) rule.handler(id, value, row, rule.defaultValue, mode, ctx);
  }
  return last;
}
