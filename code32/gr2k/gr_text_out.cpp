// Text output: DrvTextOut, the font records and the character and outline forms of text, and
// the page's table of the glyphs the device holds.
#include "gr_text_out.h"

#include <cstring>

#include "gr_drawing_services.h"

// ---- the glyph table ------------------------------------------------------------------------

namespace {

GlyphCacheEntry*& Bucket(PhysicalDevice* pdev, uint32_t bucket) {
  return reinterpret_cast<GlyphCacheEntry*&>(pdev->glyphTable[bucket]);
}

}  // namespace

uint32_t GrGlyphKey(uint32_t fontId, uint16_t generation, uint16_t character) {
  return (fontId + generation + character) & (kGlyphBuckets - 1);
}

int GrGlyphCacheFind(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                     BYTE orientation) {
  if (bucket >= kGlyphBuckets) return 0;
  for (const GlyphCacheEntry* e = Bucket(pdev, bucket); e; e = e->next)
    if (e->fontId == fontId && e->generation == generation && e->character == character &&
        e->orientation == orientation)
      return 1;
  return 0;
}

int GrGlyphCacheAdd(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                    BYTE orientation) {
  if (bucket >= kGlyphBuckets) return 0;
  auto* entry = static_cast<GlyphCacheEntry*>(GrHeapAlloc(pdev->heap, sizeof(GlyphCacheEntry)));
  if (!entry) return 0;
  *entry = GlyphCacheEntry{nullptr, fontId, generation, character, orientation};
  GlyphCacheEntry** link = &Bucket(pdev, bucket);
  while (*link) link = &(*link)->next;
  *link = entry;
  return 1;
}

void GrGlyphCacheClear(PhysicalDevice* pdev) {
  for (uint32_t b = 0; b < kGlyphBuckets; ++b) {
    for (GlyphCacheEntry* e = Bucket(pdev, b); e;) {
      GlyphCacheEntry* next = e->next;
      GrHeapFree(pdev->heap, e);
      e = next;
    }
    Bucket(pdev, b) = nullptr;
  }
  pdev->glyphGeneration = static_cast<uint16_t>(pdev->glyphGeneration + 1);
}

void GrEmptyGlyphTable(PhysicalDevice* pdev) { GrGlyphCacheClear(pdev); }
