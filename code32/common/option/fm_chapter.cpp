// Feature module 5, covers, separator sheets and chapters: what runs without a window. Its
// user data holds the undo copy of the chapter list.
#include "feature_modules.h"

// The chapter list edits and the media-type copies (300-307) are not built yet: no code is
// handled.
int FmChapterOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

namespace {

constexpr uint16_t kOptChapterFirst = 1019;  // wdmChapterNum
constexpr uint16_t kOptChapterLast = 1032;   // wdmChapterUseTray8

}  // namespace

// Codes 4 and 5 (a row offered to a save or load pass of mode 2): only the chapter options
// pass, every other row is kept out, so that those passes store only the chapter options.
// The other chapter hooks (codes 1-3, 6, 8-13, 18, 23, 24, 26, 27) are not built yet: no
// code is handled, and no undo copy is ever made that code 2 would have to free.
int FmChapterOnNotify(DriverContext*, DWORD code, void* param, void*) {
  if ((code == kFmNotifySaveRow || code == kFmNotifyLoadRow) && param) {
    auto* offer = static_cast<FmRowPassParam*>(param);
    const uint16_t id = offer->row ? offer->row->id : 0;
    if (id < kOptChapterFirst || id > kOptChapterLast) offer->answer = 1;
  }
  return 0;
}
