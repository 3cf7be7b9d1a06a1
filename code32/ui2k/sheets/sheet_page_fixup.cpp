// The one-time fix-up of a context's option and control rows before its first page is bound:
// refresh classes and length flags of the options, run-time flags of the controls, the preset
// number's value list, controls that share another control's setting, storage aliases and the
// auxiliary records of the colour-balance sample and the preview picture.
#include <array>
#include <initializer_list>

#include "option_access.h"
#include "sheet_kinds.h"

namespace {

constexpr uint32_t kRefreshClasses = 0x1030000u;
constexpr uint32_t kRefreshAll = 0x100000u;
constexpr uint32_t kLength = 0x80000000u;
constexpr uint32_t kSignedLength = 0xC0000000u;

struct IdRange {
  uint16_t first;
  uint16_t last;
};

void ForIds(std::initializer_list<IdRange> ranges, auto fn) {
  for (const IdRange& r : ranges)
    for (uint32_t id = r.first; id <= r.last; ++id) fn(uint16_t(id));
}

void OrOptionFlags(DriverContext* ctx, std::initializer_list<IdRange> ranges, uint32_t bits) {
  ForIds(ranges, [&](uint16_t id) {
    if (OptionEntry* row = OptFind(ctx, id)) row->flags |= bits;
  });
}

// Every control row of the context with that id (in every dialog).
template <class Fn>
void ForControls(DriverContext* ctx, uint16_t controlId, Fn fn) {
  for (int d = 0; d < ctx->dialogTable->count; ++d) {
    DialogDescriptor* dialog = &ctx->dialogTable->rows[d];
    for (int c = 0; c < dialog->controlCount; ++c)
      if (dialog->controls[c].controlId == controlId) fn(dialog, &dialog->controls[c]);
  }
}

ControlDescriptor* Control(DriverContext* ctx, uint16_t dialogId, uint16_t controlId) {
  DialogDescriptor* dialog = OptFindDialog(ctx, dialogId);
  return dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
}

// The stored preset numbers -1..15 and their value ids 118..134.
constexpr std::array<ValueTextPair, 18> MakePresetNumbers() {
  std::array<ValueTextPair, 18> list{};
  for (int i = 0; i < 17; ++i) list[i] = {i - 1, uint32_t(118 + i)};
  list[17] = {0, 0};
  return list;
}
constexpr std::array<ValueTextPair, 18> kPresetNumbers = MakePresetNumbers();

// The process-wide auxiliary records (each context's fix-up writes the same content).
uint16_t g_samplePicture[9];
uint16_t g_previewPicture[15];

void FixOptionRows(DriverContext* ctx) {
  OptionTable* table = ctx->optionTable;
  for (int i = 0; i < table->count; ++i) table->rows[i].flags = 0;
  OrOptionFlags(ctx,
                {{7, 7},         {8, 8},         {13, 13},       {46, 46},       {54, 56},       {58, 58},
                 {78, 78},       {91, 91},       {94, 94},       {209, 209},     {513, 513},     {10013, 10014},
                 {10018, 10018}, {10020, 10021}, {10023, 10023}, {10047, 10049}, {10056, 10059}, {10062, 10062},
                 {10066, 10070}, {10143, 10206}, {10290, 10290}},
                kRefreshClasses);
  OrOptionFlags(ctx, {{96, 99}, {231, 231}, {693, 694}, {706, 709}}, kLength);
  OrOptionFlags(ctx, {{704, 705}, {711, 711}}, kSignedLength);
  OrOptionFlags(ctx, {{10062, 10062}, {10070, 10070}}, kRefreshAll);
}

void FixControlRows(DriverContext* ctx) {
  auto set = [&](std::initializer_list<uint16_t> ids, uint32_t value) {
    for (uint16_t id : ids) ForControls(ctx, id, [&](DialogDescriptor*, ControlDescriptor* c) { c->flags = value; });
  };
  auto orBits = [&](std::initializer_list<uint16_t> ids, uint32_t bits, auto accept) {
    for (uint16_t id : ids)
      ForControls(ctx, id, [&](DialogDescriptor* d, ControlDescriptor* c) {
        if (accept(d, c)) c->flags |= bits;
      });
  };
  auto any = [](DialogDescriptor*, ControlDescriptor*) { return true; };
  set({2032, 2041}, 0x100000);
  orBits({2038, 2080, 2097, 2115, 2715, 2923, 3115, 3364}, kControlActsAsSaveAsNew, any);
  set({2100}, 0x10000);
  set({2102}, 0x20000);
  orBits({2263, 2266, 2269, 2272, 2274, 2276, 2322, 2325, 2328, 2344, 2419, 2421, 2470, 2602, 2649, 2935, 2953,
          2956, 2965, 3031, 3034, 3037},
         kControlNoArrowStep, any);
  orBits({2341, 2586}, kControlText260, any);
  orBits({2243, 2423, 2532, 2988, 2996, 2999, 3003, 3006, 3058, 3059, 3107, 3235}, 0x800000, any);
  orBits({2667}, 0x800000, [](DialogDescriptor* d, ControlDescriptor*) { return d->dialogId == 1039; });
  set({2895}, 0x1000000);
  if (OptGetValue(ctx, 741, nullptr) == 0) {
    orBits({2361}, kControlHiddenFunction, [](DialogDescriptor* d, ControlDescriptor*) { return d->dialogId == 1025; });
    orBits({3085}, kControlHiddenFunction, [](DialogDescriptor* d, ControlDescriptor*) { return d->dialogId == 4027; });
  }
  orBits({2085, 2087, 2100, 2102, 2895, 2941, 2457}, 0x8000000,
         [](DialogDescriptor*, ControlDescriptor* c) { return c->kind == 47; });
  orBits({2164, 2036, 2078, 2095, 2921, 3112, 2109, 2713, 3362, 2134, 2384}, kControlNoReinit,
         [](DialogDescriptor*, ControlDescriptor* c) { return c->kind >= 42 && c->kind <= 49; });
  if (DialogDescriptor* d = OptFindDialog(ctx, 4031))
    for (int c = 0; c < d->controlCount; ++c)
      if (d->controls[c].lockMessageId) d->controls[c].lockFlags |= kControlLockMessage;
}

void SharePresetNumbers(DriverContext* ctx) {
  if (OptionEntry* row = OptFind(ctx, 37); row && row->labels) row->labels->valueTexts = kPresetNumbers.data();
  if (ControlDescriptor* c = Control(ctx, 1007, 2139); c && c->option && c->option->labels)
    c->option->labels->valueTexts = kPresetNumbers.data();
}

void ShareSymbols(DriverContext* ctx) {
  struct Share {
    uint16_t dialog, control, fromDialog, fromControl;
  };
  static constexpr Share kShares[] = {
      {1003, 2078, 1002, 2036}, {1004, 2095, 1002, 2036}, {4016, 2921, 1002, 2036}, {4030, 3112, 1002, 2036},
      {1005, 2109, 1002, 2036}, {1042, 2713, 1002, 2036}, {4036, 3362, 1002, 2036}, {1001, 2408, 1007, 2145},
      {1032, 2452, 1007, 2145}, {1032, 2453, 1007, 2146}, {1033, 2455, 1021, 2281}, {4004, 2385, 4004, 2289},
      {1009, 2385, 1009, 2380}, {4004, 2384, 4004, 2290}, {1009, 2384, 1009, 2382},
  };
  for (const Share& s : kShares) {
    ControlDescriptor* to = Control(ctx, s.dialog, s.control);
    ControlDescriptor* from = Control(ctx, s.fromDialog, s.fromControl);
    if (!to || !from) continue;
    to->nameIndex = from->nameIndex;
    to->option = from->option;
    to->modelItem = from->modelItem;
  }
}

void SharePresetStorage(DriverContext* ctx) {
  for (uint16_t id : {2145, 2146})
    if (ControlDescriptor* c = Control(ctx, 1007, id); c && c->option)
      c->option->stateBits = uint16_t((c->option->stateBits & ~kStatePresetMask) | (1u << 2));
  ControlDescriptor* name = Control(ctx, 1007, 2145);
  if (!name || !name->option) return;
  static constexpr uint16_t kNameEdits[][2] = {{1002, 2388}, {1003, 2389}, {1004, 2390}, {1005, 2391},
                                               {4016, 2924}, {4030, 3113}, {1042, 2733}, {4036, 3365}};
  for (const auto& pair : kNameEdits)
    if (ControlDescriptor* c = Control(ctx, pair[0], pair[1]); c && c->option) c->option->offset = name->option->offset;
}

void AliasStorage(OptionEntry* from, OptionEntry* to) {
  if (!from || !to || from == to) return;
  to->typeWord = from->typeWord;
  to->offset = from->offset;
}

void AliasOptions(DriverContext* ctx) {
  static constexpr uint16_t kAliases[][2] = {{92, 977},   {94, 978},   {120, 979},  {121, 980},  {513, 1129},
                                             {524, 1142}, {345, 1197}, {345, 1198}, {349, 1199}, {349, 1200},
                                             {942, 1201}, {942, 1202}};
  for (const auto& a : kAliases) AliasStorage(OptFind(ctx, a[0]), OptFind(ctx, a[1]));
  static constexpr uint16_t kControlAliases[][2] = {{2220, 2392}, {2221, 2393}, {2224, 2394}, {2225, 2395}};
  for (const auto& a : kControlAliases) {
    ControlDescriptor* from = Control(ctx, 1017, a[0]);
    ControlDescriptor* to = Control(ctx, 1017, a[1]);
    if (from && to) AliasStorage(from->option, to->option);
  }
}

// The option bound to a control of the sample's dialog, else the option of the symbol.
uint16_t OptionOfControl(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  if (ControlDescriptor* c = dialog ? OptFindControl(ctx, dialog, controlId) : nullptr) {
    if (c->option) return c->option->id;
    if (OptionEntry* row = OptFindBySymbol(ctx, c->nameIndex)) return row->id;
  }
  return 0;
}

void FixSamplePicture(DriverContext* ctx) {
  DialogDescriptor* dialog = OptFindDialog(ctx, 1038);
  ControlDescriptor* sample = dialog ? OptFindControl(ctx, dialog, 2249) : nullptr;
  if (!sample) return;
  static constexpr uint16_t kDefaults[6] = {138, 139, 140, 141, 142, 143};
  uint16_t words[9] = {kAuxSamplePicture};
  if (const uint16_t* aux = UiGetControlAux(sample, kAuxSamplePicture)) std::copy(aux, aux + 9, words);
  for (int i = 0; i < 6; ++i) {
    const uint16_t id = words[3 + i] ? OptionOfControl(ctx, dialog, words[3 + i]) : 0;
    words[3 + i] = id ? id : kDefaults[i];
  }
  std::copy(words, words + 9, g_samplePicture);
  sample->auxRecord = g_samplePicture;
}

void FixPreviewPicture(DriverContext* ctx) {
  ControlDescriptor* preview = Control(ctx, 1002, 2039);
  const uint16_t* aux = preview ? UiGetControlAux(preview, kAuxPreview) : nullptr;
  if (!aux) return;
  uint16_t words[15];
  std::copy(aux, aux + 15, words);
  for (int i = 1; i < 15; ++i) {
    if (!words[i]) continue;
    const OptionEntry* row = OptFindBySymbol(ctx, words[i]);
    words[i] = row ? row->id : 0;
  }
  words[2] = 968;  // wdmWmFontName
  std::copy(words, words + 15, g_previewPicture);
  ForControls(ctx, 2039, [](DialogDescriptor*, ControlDescriptor* c) { c->auxRecord = g_previewPicture; });
  if (ControlDescriptor* c = Control(ctx, 1001, 2001)) c->auxRecord = g_previewPicture;
  if (ControlDescriptor* c = Control(ctx, 1007, 2139)) c->auxRecord = g_previewPicture;
}

}  // namespace

void UiFixUpPageTables(DriverContext* ctx) {
  if (!ctx || !ctx->optionTable || !ctx->dialogTable) return;
  FixOptionRows(ctx);
  FixControlRows(ctx);
  SharePresetNumbers(ctx);
  ShareSymbols(ctx);
  SharePresetStorage(ctx);
  AliasOptions(ctx);
  FixSamplePicture(ctx);
  FixPreviewPicture(ctx);
}
