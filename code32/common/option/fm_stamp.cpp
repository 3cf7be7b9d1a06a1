// Feature module 2, watermarks: what runs without a window.
#include "feature_modules.h"
#include "option_access.h"
#include "stamp_list.h"

namespace {
constexpr WORD kOptFuncSelectWatermark = 60;  // zdmFuncSelectWaterMark
constexpr WORD kOptWatermarkId = 118;         // zdmWmID
}  // namespace

// Built-in function 327 keeps the watermark being printed: while watermark printing is on and
// the chosen stamp is one of the list, the current watermark settings are saved as that stamp.
// The code is answered whether or not anything was saved.
int FmStampOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  if (code != kBfStampWriteFile) return 0;
  if (ctx && OptGetUiValue(ctx, kOptFuncSelectWatermark, nullptr) != 0) {
    const int32_t stamp = OptGetUiValue(ctx, kOptWatermarkId, nullptr);
    if (stamp < CfgGetStampCount(ctx)) CfgSaveStamp(ctx, stamp);
  }
  return 1;
}
