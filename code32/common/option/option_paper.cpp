// Paper codes derived from several options: the regional standard paper, the effective output
// paper and the custom-size slots.
#include "option_units.h"

int16_t OptRegionalPaperFor(int letterRegion, uint32_t answer) {
  if (letterRegion) return answer == 1 ? kPaperLetter : kPaperTabloid;
  return answer == 1 ? kPaperA4 : kPaperA3;
}

int16_t OptResolveOutputPaper(int16_t outPaper, int16_t inputPaper, int16_t regionalPaper) {
  if (outPaper == kOutPaperSameAsInput) return inputPaper;
  if (outPaper >= kOutPaperRegionalFirst && outPaper <= kOutPaperRegionalLast) return regionalPaper;
  return outPaper;
}

int OptFreeSizeSlotOfPaper(int32_t paperCode) {
  if (paperCode < kPaperFreeSizeFirst || paperCode > kPaperFreeSizeLast) return -1;
  return paperCode - kPaperFreeSizeFirst;
}
