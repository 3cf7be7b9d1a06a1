// Wide text in the engine's ANSI code page.
#include "gr_device_text.h"

#include "win32/ddi.h"

int GrWideToDeviceText(char* out, const WCHAR* text, int byteLength, int mode) {
  (void)mode;
  if (!out || !text || byteLength <= 0) return 0;
  const int chars = byteLength / 2;
  int written = 0;
  for (int i = 0; i < chars; ++i) {
    const WCHAR c = text[i];
    if (c <= 0x80) {
      out[written++] = static_cast<char>(c);
      continue;
    }
    char bytes[2] = {};
    ULONG n = 0;
    EngUnicodeToMultiByteN(bytes, 2, &n, const_cast<WCHAR*>(&text[i]), sizeof(WCHAR));
    // A character of two bytes takes the room of its two UTF-16 bytes, so out never overflows.
    for (ULONG k = 0; k < n && k < 2; ++k) out[written++] = bytes[k];
  }
  return written;
}
