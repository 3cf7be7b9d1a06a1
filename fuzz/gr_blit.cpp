// Arbitrary bitmap records through the module's blit entries: a source bitmap of any format,
// size and stride made by the engine over the input's bytes, a translation, a mask, rectangles
// and a raster operation, drawn with DrvBitBlt, DrvStretchBlt, DrvStretchBltROP and DrvCopyBits
// onto a job's device surface. Nothing may be read or written outside a buffer, and every
// record written must be whole.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "block_stream.h"
#include "gr_drawing_entries.h"
#include "gr_output.h"
#include "gr_pdev.h"
#include "win32/ddi.h"

namespace {

std::string g_bytes;

BOOL WINAPI Collect(HANDLE, const void* bytes, DWORD length, DWORD* written) {
  g_bytes.append(static_cast<const char*>(bytes), length);
  *written = length;
  return TRUE;
}

struct Reader {
  const uint8_t* p;
  size_t left;
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  uint8_t Byte() {
    if (!left) return 0;
    --left;
    return *p++;
  }
  LONG Coord() { return static_cast<LONG>(static_cast<int16_t>(U32())); }
};

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  static const ULONG kFormats[] = {BMF_1BPP, BMF_4BPP, BMF_8BPP, BMF_16BPP, BMF_24BPP, BMF_32BPP};
  const ULONG format = kFormats[in.Byte() % 6];
  const LONG width = 1 + in.Byte() % 64, height = 1 + in.Byte() % 64;
  const uint8_t entry = in.Byte();
  const ROP4 rop4 = static_cast<ROP4>(in.U32() & 0xFFFF);
  RECTL dest{in.Coord(), in.Coord(), in.Coord(), in.Coord()};
  RECTL src{in.Coord(), in.Coord(), in.Coord(), in.Coord()};
  POINTL at{in.Coord(), in.Coord()};
  const uint32_t flags = in.U32();
  std::vector<ULONG> table(in.Byte());
  for (ULONG& t : table) t = in.U32();
  XLATEOBJ xlate{1, XO_TABLE | (flags & XO_HOST_ICM), 0, 0, ULONG(table.size()), table.data()};

  // The rest of the input is the bitmap's bits, in memory the engine is told about exactly.
  HBITMAP bitmap = EngCreateBitmap(SIZEL{width, height}, 0, format, (flags & 1) ? BMF_TOPDOWN : 0, nullptr);
  if (!bitmap) return 0;
  SURFOBJ* source = EngLockSurface(reinterpret_cast<HSURF>(bitmap));
  const size_t bits = std::min<size_t>(source->cjBits, in.left);
  if (bits) std::memcpy(source->pvBits, in.p, bits);
  HBITMAP maskBitmap = EngCreateBitmap(SIZEL{width, height}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* mask = maskBitmap ? EngLockSurface(reinterpret_cast<HSURF>(maskBitmap)) : nullptr;

  PhysicalDevice* pdev = GrAllocPdev();
  pdev->magic = pdev->magicEnd = kPdevMagic;
  pdev->output.owner = pdev;
  pdev->output.module = reinterpret_cast<HMODULE>(pdev);
  pdev->output.write = Collect;
  pdev->resolution = 600;
  pdev->drawOptimise = (flags >> 1) & 1;
  pdev->machineTypeColour = (flags >> 2) & 1;
  pdev->colourMode = (flags >> 3) & 1 ? 2 : 1;
  GrResetRecordBuffer(&pdev->output);
  HBITMAP targetBitmap = EngCreateBitmap(SIZEL{256, 256}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* target = EngLockSurface(reinterpret_cast<HSURF>(targetBitmap));
  target->dhpdev = reinterpret_cast<DHPDEV>(pdev);
  SURFOBJ device = *target;
  device.iType = STYPE_DEVICE;

  XLATEOBJ* pxlo = (flags & 0x10) ? &xlate : nullptr;
  SURFOBJ* pmask = (flags & 0x20) ? mask : nullptr;
  POINTL zero{0, 0};
  BRUSHOBJ brush{entry * 0x010101u, nullptr, 0};
  switch (entry % 4) {
    case 0: DrvBitBlt(target, source, pmask, nullptr, pxlo, &dest, &at, &zero, &brush, nullptr, rop4); break;
    case 1: DrvStretchBlt(target, source, pmask, nullptr, pxlo, nullptr, nullptr, &dest, &src, &zero, COLORONCOLOR); break;
    case 2:
      DrvStretchBltROP(target, source, pmask, nullptr, pxlo, nullptr, nullptr, &dest, &src, &zero, HALFTONE, &brush, rop4);
      break;
    default: DrvCopyBits(&device, source, nullptr, pxlo, &dest, &at); break;
  }
  g_bytes.clear();
  GrFlushRecords(&pdev->output);
  // What was written splits into whole records.
  std::string records;
  for (size_t p = 0; p + 8 <= g_bytes.size();) {
    const uint32_t length = zolt::blocks::Le32(g_bytes, p + 4);
    records += g_bytes.substr(p + 8, length);
    p += 8 + length;
  }
  std::vector<zolt::blocks::DecodedRecord> decoded;
  std::string error;
  Require(zolt::blocks::DecodeRecords(records, &decoded, &error));

  GrFreePdev(pdev);
  EngUnlockSurface(target);
  EngDeleteSurface(reinterpret_cast<HSURF>(targetBitmap));
  if (mask) EngUnlockSurface(mask);
  if (maskBitmap) EngDeleteSurface(reinterpret_cast<HSURF>(maskBitmap));
  EngUnlockSurface(source);
  EngDeleteSurface(reinterpret_cast<HSURF>(bitmap));
  return 0;
}
