// Picture files: the check that opens a BMP file for the bitmap loaders.
#include "env_language.h"
#include "env_text.h"

namespace {

constexpr LONG kInfoHeaderSizeOffset = 14;  // after the 14-byte file header
constexpr DWORD kBitmapInfoHeaderSize = 40;

}  // namespace

int EnvOpenBitmapFile(const WCHAR* path, HFILE* out) {
  if (!path || !out) return 0;
  *out = HFILE_ERROR;
  char ansiPath[MAX_PATH] = {};
  EnvWideToAnsi(ansiPath, path, MAX_PATH);
  const HFILE file = _lopen(ansiPath, OF_READ);
  if (file == HFILE_ERROR) return 0;
  BYTE size[4] = {};
  if (_llseek(file, kInfoHeaderSizeOffset, FILE_BEGIN) == kInfoHeaderSizeOffset &&
      _lread(file, size, sizeof size) == sizeof size &&
      (DWORD{size[0]} | DWORD{size[1]} << 8 | DWORD{size[2]} << 16 | DWORD{size[3]} << 24) == kBitmapInfoHeaderSize) {
    *out = file;
    return 1;
  }
  _lclose(file);
  return 0;
}
