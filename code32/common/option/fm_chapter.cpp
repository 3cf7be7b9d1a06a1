// Feature module 5, covers, separator sheets and chapters: what runs without a window. Its
// user data holds the undo copy of the chapter list.
#include "feature_modules.h"

// The chapter list edits and the media-type copies (300-307) are not built yet: no code is
// handled.
int FmChapterOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

// The chapter hooks (codes 1-6, 8-13, 18, 23, 24, 26, 27) are not built yet: no code is
// handled, and no undo copy is ever made that code 2 would have to free.
int FmChapterOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
