// The process's FreeType library (rasterizer, stroker and font files); used under the GDI lock.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace zolt::host::gdi {

FT_Library FontLibrary();

}  // namespace zolt::host::gdi
