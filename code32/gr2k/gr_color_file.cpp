// The colour-matching data file that a job names for the printer: chosen by the model family,
// the colour-matching settings and the kind of object a command serves.
#include <cstdio>
#include <cstring>

#include "driver_context.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "gr_command_text.h"
#include "option_access.h"
#include "option_table.h"
#include "settings_paths.h"

namespace {

enum : uint16_t {
  kOptMediaType = 54,             // zdmMediaType
  kOptAdjustMode = 128,           // zdmAdjustMode
  kOptColorMatchingMode = 133,    // zdmColorMatchingMode
  kOptMachineTypeColor = 236,     // zdmMachineTypeColor
  kOptColorMatchingText = 984,    // wdmColorMatchingText, ...Line, ...Image
};

struct Family {
  int modelCode;
  const char* code;
};
constexpr Family kFamilies[] = {
    {130, "80"}, {131, "81"}, {137, "82"}, {139, "83"}, {141, "84"}, {143, "85"}, {147, "86"}, {149, "87"},
    {152, "88"}, {156, "8C"}, {160, "8E"}, {162, "8D"}, {164, "8F"}, {170, "8B"}, {172, "90"}, {179, "98"},
};
constexpr int kModelPlainFile = 181;
constexpr char kPlainFileName[] = "QV94C050.dat";

const char* FamilyOf(int modelCode) {
  for (const Family& f : kFamilies)
    if (f.modelCode == modelCode) return f.code;
  return "99";
}

bool In(int value, std::initializer_list<int> set) {
  for (int v : set)
    if (v == value) return true;
  return false;
}

int32_t Opt(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

// 0 text, 1 line art, 2 image.
int ObjectClass(int objectKind) { return objectKind == 0 ? 0 : (objectKind == 1 || objectKind == 2) ? 1 : 2; }

int32_t ObjectOption(DriverContext* ctx, int objectKind) {
  return Opt(ctx, static_cast<uint16_t>(kOptColorMatchingText + ObjectClass(objectKind)));
}

// The driver directory in ANSI followed by name (NULL: the directory alone).
int DriverDirFile(DriverContext* ctx, const char* name, char* out, int outBytes) {
  GrWideToAnsiText(out, PathGetDriverDir(ctx), outBytes);
  if (name) {
    const size_t used = std::strlen(out);
    std::snprintf(out + used, static_cast<size_t>(outBytes) - used, "%s", name);
  }
  return 1;
}

int FamilyFile(DriverContext* ctx, int modelCode, char suffix, char* out, int outBytes) {
  char name[32];
  std::snprintf(name, sizeof name, "QV%sC15%c.qcm", FamilyOf(modelCode), suffix);
  return DriverDirFile(ctx, name, out, outBytes);
}

int ByMode(DriverContext* ctx, int modelCode, int objectKind, char* out, int outBytes) {
  int32_t m = Opt(ctx, kOptColorMatchingMode);
  const bool plain = Opt(ctx, kOptMediaType) != 2;
  const bool adjust = Opt(ctx, kOptAdjustMode) == 1;
  const bool image = ObjectClass(objectKind) == 2;
  if (modelCode == 130 || modelCode == 131) {
    const bool standard = m == 1;
    return FamilyFile(ctx, modelCode, plain ? (standard ? '1' : '2') : (standard ? '3' : '4'), out, outBytes);
  }
  if (In(modelCode, {137, 139, 141})) {
    if (adjust) m = ObjectOption(ctx, objectKind);
    else if (image && m != 0 && m != 1) m = 2;
    if (m == 0 || m == 131) return 0;
    const bool first = In(m, {1, 128, 130});
    return FamilyFile(ctx, modelCode, first ? (plain ? '1' : '3') : (plain ? '2' : '4'), out, outBytes);
  }
  if (In(modelCode, {143, 147, 149, 152, 156, 160, 162, 164, 170, 172, 179})) {
    if (adjust) m = ObjectOption(ctx, objectKind);
    else if (image && m != 0 && m != 1) m = 2;
    if (m == 0 || m == 131) return 0;
    if (In(m, {1, 128, 130})) return FamilyFile(ctx, modelCode, '1', out, outBytes);
    return DriverDirFile(ctx, nullptr, out, outBytes);
  }
  if (adjust) m = ObjectOption(ctx, objectKind);
  if (m == 0 || m == 131) return 0;
  if (image || !In(m, {1, 128, 130})) return FamilyFile(ctx, modelCode, plain ? '2' : '4', out, outBytes);
  return FamilyFile(ctx, modelCode, plain ? '1' : '3', out, outBytes);
}

int ByObject(DriverContext* ctx, int modelCode, int objectKind, char* out, int outBytes) {
  const int cls = ObjectClass(objectKind);
  int32_t f = 0;
  bool fromObjectOption = false;
  if (Opt(ctx, kOptAdjustMode) == 1) {
    f = ObjectOption(ctx, objectKind);
    fromObjectOption = true;
  } else {
    const int32_t m = Opt(ctx, kOptColorMatchingMode);
    if (m < 128 || m > 131) f = m;
    else if (cls == 2 || m == 129) f = 2;
    else if (cls == 1 && (m == 128 || m == 130)) f = 1;
    else if (cls == 0 && (m == 128 || m == 130)) f = 6;
    else f = 0;
  }
  if (f == 0) return 0;
  if (f >= kCmmFirstListValue && f <= kCmmFirstListValue + 15) {
    // A profile of the user's list: the feature module selects the entry, whose file is used.
    FmRunBuiltInFunc(ctx, static_cast<WORD>(fromObjectOption ? 115 + cls : 114));
    ControlDescriptor* file = FmGetCmmFileEdit(ctx);
    WCHAR path[261] = {};
    if (!file || !file->option || !OptGetStringValue(ctx, file->option, path, 261)) return 0;
    GrWideToAnsiText(out, path, outBytes);
    return 1;
  }
  char suffix = '1';
  if (In(modelCode, {143, 147, 149, 152, 156, 164})) {
    suffix = f == 2 ? '2' : f == 6 ? '3' : f == 32 ? 'H' : '1';
  } else if (In(modelCode, {160, 162, 170, 172, 179})) {
    suffix = f == 2 ? '2' : f == 6 ? '3' : (f == 32 || f == 36) ? 'H' : f == 37 ? 'B' : '1';
  } else if (modelCode == kModelPlainFile) {
    return DriverDirFile(ctx, kPlainFileName, out, outBytes);
  } else {
    suffix = f == 2 ? '2' : f == 6 ? '3' : '1';
  }
  return FamilyFile(ctx, modelCode, suffix, out, outBytes);
}

int AppendChoice(DriverContext* ctx, uint16_t kind, const ModelItem* entry, CommandTextState* state, char* buffer) {
  char path[600] = {};
  const int objectKind = entry ? static_cast<int16_t>(entry->variant) : 0;
  if (GrColourFilePath(ctx, kind, objectKind, path, sizeof path)) GrEmitAffixed(ctx, entry, path, state, buffer);
  return 1;
}

}  // namespace

int GrColourFilePath(DriverContext* ctx, uint16_t kind, int objectKind, char* out, int outBytes) {
  if (!ctx || !out || outBytes <= 0) return 0;
  out[0] = 0;
  if (Opt(ctx, kOptMachineTypeColor) == 0) return 0;
  const int modelCode = ctx->profile ? ctx->profile->modelCode : 0;
  if (kind == kCmdKindColourByMode) return ByMode(ctx, modelCode, objectKind, out, outBytes);
  if (kind == kCmdKindColourByObject) return ByObject(ctx, modelCode, objectKind, out, outBytes);
  return 0;
}

int GrColourFileByMode(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer) {
  return AppendChoice(ctx, kCmdKindColourByMode, entry, state, buffer);
}

int GrColourFileByObject(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer) {
  return AppendChoice(ctx, kCmdKindColourByObject, entry, state, buffer);
}
