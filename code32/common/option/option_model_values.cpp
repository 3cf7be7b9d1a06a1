// Values that a context takes from its model and from the driver's files: the finishing extents
// shown in 0.1 mm, the driver id of the driver-defaults file and the lock marker of a control.
#include "context_services.h"
#include "dialog_table.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_paths.h"

namespace {

// Work options that show the finishing extents in 0.1 mm.
enum : uint16_t {
  kOptBodyPrintLengthMm = 1252,  // wdmDstBodyPrintLengthMM
  kOptBodyPrintWidthMm = 1253,   // wdmDstBodyPrintWidthMM
  kOptBindFinishLengthMm = 1254,
  kOptBindFinishWidthMm = 1255,
  kOptCutPositionMmFirst = 1256,  // wdmAjstPosVerMM .. wdmCutPosAdjstMM (1262)
  kOptDriverId = 686,             // zdmDriverID
};

constexpr int kCutPositions = 7;

void SetExtent(DriverContext* ctx, int (*query)(DriverContext*, SIZE*), uint16_t lengthId, uint16_t widthId) {
  SIZE size{};
  if (!query(ctx, &size)) return;
  OptSetValue(ctx, lengthId, size.cy);
  OptSetValue(ctx, widthId, size.cx);
}

bool HasDriveLetter(const WCHAR* path) {
  return path && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
         path[1] == u':';
}

}  // namespace

void OptRefreshFinishingExtents(DriverContext* ctx) {
  if (!ctx) return;
  SetExtent(ctx, MdlGetBodyPrintExtent, kOptBodyPrintLengthMm, kOptBodyPrintWidthMm);
  SetExtent(ctx, MdlGetBindFinishExtent, kOptBindFinishLengthMm, kOptBindFinishWidthMm);
  for (int which = 1; which <= kCutPositions; ++which)
    OptSetValue(ctx, static_cast<uint16_t>(kOptCutPositionMmFirst + which - 1), MdlGetCutPositionMm(ctx, which));
}

void OptLoadDriverId(DriverContext* ctx) {
  if (!ctx) return;
  int32_t id = 0;
  const WCHAR* file = PathGetDriverIni(ctx);
  const WCHAR* driver = PrnGetDriverName(ctx);
  if (HasDriveLetter(file) && driver && driver[0])
    id = static_cast<int32_t>(IniReadInt(driver, u"DriverID", 0, file));
  OptSetValue(ctx, kOptDriverId, id);
}

int OptHasControlNotice(DriverContext* ctx, const ControlDescriptor* control) {
  if (!ctx || !control || control->lockMessageId == 0) return 0;
  if (!FmIsFeatureEnabled(ctx, 2, 0)) return 0;
  const ModelItem* item = control->modelItem;
  if (const ExclusiveRule* rule = item ? MdlItemRule(ctx->modelImage, item) : nullptr) {
    const ItemRuleRow* row = MdlFindContextValueRow(ctx, rule, control->controlId);
    return MdlIsLocked(item, row && row->locked ? control->controlId : 0, ctx);
  }
  if (control->lockOption == 0) return 0;
  return OptGetValue(ctx, control->lockOption, nullptr) != 0 ? 1 : 0;
}
