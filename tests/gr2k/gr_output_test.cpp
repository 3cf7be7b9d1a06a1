// The block stream writer and the page's record buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "block_stream.h"
#include "gr_output.h"
#include "gr_pdev.h"
#include "gr_records.h"
#include "gr_test_support.h"

namespace zolt::test {

using namespace zolt::blocks;
namespace {

TEST(GrOutputBlocks, TypedBlockIsHeaderThenPayloadInPiecesOf4096) {
  TestPdev pdev;
  std::string payload(10000, 'x');
  ASSERT_EQ(GrWriteTypedBlock(pdev.get(), payload.data(), static_cast<uint32_t>(payload.size()), kBlockJobStart), 1);
  ASSERT_EQ(Captured().bytes.size(), 8 + payload.size());
  EXPECT_EQ(Hex(Captured().bytes.substr(0, 8)), "f3 00 00 00 10 27 00 00");
  EXPECT_EQ(Captured().pieces, (std::vector<uint32_t>{8, 4096, 4096, 1808}));
  // Without payload bytes only the header goes out.
  Captured() = {};
  ASSERT_EQ(GrWriteTypedBlock(pdev.get(), nullptr, 5, kBlockDevMode), 1);
  EXPECT_EQ(Hex(Captured().bytes), "f7 00 00 00 05 00 00 00");
}

TEST(GrOutputBlocks, FailedOrShortWriteSetsTheWriteErrorAndStops) {
  struct Case {
    const char* name;
    int failAt, shortAt;
  };
  for (const Case& c : {Case{"refused", 2, 0}, Case{"short", 0, 2}}) {
    SCOPED_TRACE(c.name);
    TestPdev pdev;
    Captured().failAt = c.failAt;
    Captured().shortAt = c.shortAt;
    std::string payload(3 * 4096, 'y');
    EXPECT_EQ(GrWriteBlock(pdev.out(), payload.data(), static_cast<uint32_t>(payload.size())), 0);
    EXPECT_EQ(Captured().pieces.size(), 2u) << "no piece after the failing one";
    EXPECT_NE(pdev->flags & kPdevWriteError, 0u);
  }
}

TEST(GrOutputBlocks, WithoutModuleOrWriteFunctionBlocksAreDropped) {
  TestPdev pdev;
  pdev.out()->write = nullptr;
  EXPECT_EQ(GrWriteTypedBlock(pdev.get(), "abc", 3, kBlockPageStart), 1);
  pdev.out()->write = CaptureWrite;
  pdev.out()->module = nullptr;
  EXPECT_EQ(GrWriteTypedBlock(pdev.get(), "abc", 3, kBlockPageStart), 1);
  EXPECT_TRUE(Captured().pieces.empty());
  EXPECT_EQ(pdev->flags & kPdevWriteError, 0u);
}

TEST(GrRecordBuffer, ARecordEndingExactlyAtTheChunkEndOpensANewChunk) {
  TestPdev pdev;
  OutputContext* out = pdev.out();
  ASSERT_NE(GrAllocRecord(out, kRecordChunkBytes - 4), nullptr);
  EXPECT_EQ(out->tail, &out->firstChunk);
  BYTE* r = GrAllocRecord(out, 4);  // would end exactly at the end
  ASSERT_NE(r, nullptr);
  EXPECT_NE(out->tail, &out->firstChunk);
  EXPECT_EQ(out->tail->end - out->tail->Data(), static_cast<ptrdiff_t>(kRecordChunkBytes));
  EXPECT_EQ(out->total, kRecordChunkBytes);
  EXPECT_EQ(out->records, 2);
}

TEST(GrRecordBuffer, ALargeRecordGetsAChunkOfWholeGrowthSteps) {
  TestPdev pdev;
  OutputContext* out = pdev.out();
  ASSERT_NE(GrAllocRecord(out, 25000), nullptr);
  EXPECT_EQ(out->tail->end - out->tail->Data(), 30720);
  ASSERT_NE(GrAllocRecord(out, 10240), nullptr);
  EXPECT_EQ(out->tail->end - out->tail->Data(), 10240);
}

TEST(GrRecordBuffer, MoreThanOneMebibyteBufferedIsSentBeforeTheNextChunk) {
  for (uint32_t buffered : {1048576u, 1048577u}) {
    SCOPED_TRACE(buffered);
    TestPdev pdev;
    OutputContext* out = pdev.out();
    // Fill: one record the size of the first chunk's remainder leaves it full; the rest in
    // big records (multiples of 4 except the last step).
    uint32_t left = buffered;
    while (left > 0) {
      const uint32_t size = std::min<uint32_t>(left, 40000);
      ASSERT_NE(GrAllocRecord(out, size), nullptr);
      left -= size;
    }
    ASSERT_EQ(out->total, buffered);
    const size_t before = Captured().bytes.size();
    // Force a new chunk.
    ASSERT_NE(GrAllocRecord(out, 40000), nullptr);
    if (buffered > 1048576) {
      EXPECT_GT(Captured().bytes.size(), before + buffered);
      EXPECT_EQ(out->total, 40000u);
      EXPECT_EQ(Captured().bytes[0], static_cast<char>(0xF5));
    } else {
      EXPECT_EQ(Captured().bytes.size(), before);
      EXPECT_EQ(out->total, buffered + 40000);
    }
  }
}

TEST(GrRecordBuffer, FlushSendsOneDataBlockPerChunkIncludingAnEmptyFirstChunk) {
  TestPdev pdev;
  OutputContext* out = pdev.out();
  EXPECT_EQ(GrFlushRecords(out), 1);
  EXPECT_TRUE(Captured().bytes.empty()) << "nothing buffered, nothing sent";
  ASSERT_NE(GrRecRop3(pdev.get(), 0xCC), nullptr);
  ASSERT_NE(GrAllocRecord(out, kRecordChunkBytes), nullptr);  // a chunk of its own
  ASSERT_EQ(GrFlushRecords(out), 1);
  std::string bytes = Captured().bytes;
  ASSERT_EQ(bytes.size(), 8 + 4 + 8 + kRecordChunkBytes);
  EXPECT_EQ(Hex(bytes.substr(0, 12)), "f5 00 00 00 04 00 00 00 31 cc 00 00");
  EXPECT_EQ(Hex(bytes.substr(12, 8)), "f5 00 00 00 00 28 00 00");
  EXPECT_EQ(out->total, 0u);
  EXPECT_EQ(out->tail, &out->firstChunk);
  EXPECT_EQ(out->firstChunk.next, nullptr);

  // After an early flush the first chunk is empty and still gets its (empty) block.
  while (out->total <= kRecordFlushThreshold) ASSERT_NE(GrAllocRecord(out, 40000), nullptr);
  ASSERT_NE(GrAllocRecord(out, 40000), nullptr);  // flushes first, then takes a chunk of its own
  Captured() = {};
  ASSERT_EQ(GrFlushRecords(out), 1);
  EXPECT_EQ(Hex(Captured().bytes.substr(0, 8)), "f5 00 00 00 00 00 00 00");
  EXPECT_EQ(Hex(Captured().bytes.substr(8, 8)), "f5 00 00 00 40 9c 00 00");
}

TEST(GrRecordBuffer, FirstPageOfAPassThroughJobSendsNothing) {
  TestPdev pdev;
  pdev->passThrough = 1;
  pdev->pageCount = 1;
  ASSERT_NE(GrRecPageEnd(pdev.get()), nullptr);
  EXPECT_EQ(GrFlushRecords(pdev.out()), 1);
  EXPECT_TRUE(Captured().bytes.empty());
  EXPECT_EQ(pdev.out()->total, 0u) << "the flush drops them";
  pdev->pageCount = 2;
  ASSERT_NE(GrRecPageEnd(pdev.get()), nullptr);
  EXPECT_EQ(GrFlushRecords(pdev.out()), 1);
  EXPECT_EQ(Hex(Captured().bytes), "f5 00 00 00 04 00 00 00 61 00 00 00");
}

TEST(GrRecordBuffer, AlignRecordEndGivesBackTheUnusedRest) {
  TestPdev pdev;
  OutputContext* out = pdev.out();
  BYTE* r = GrAllocRecord(out, 400);
  ASSERT_NE(r, nullptr);
  GrAlignRecordEnd(out, r + 61);
  EXPECT_EQ(out->tail->writePos, r + 64);
  EXPECT_EQ(out->total, 400u) << "the count stays";
}

TEST(GrRecordBuffer, EarlyFlushFailureRefusesTheRecord) {
  TestPdev pdev;
  Captured().failAt = 1;
  OutputContext* out = pdev.out();
  while (out->total <= kRecordFlushThreshold) ASSERT_NE(GrAllocRecord(out, 40000), nullptr);
  EXPECT_EQ(GrAllocRecord(out, 40000), nullptr);
  EXPECT_NE(pdev->flags & kPdevWriteError, 0u);
}

TEST(GrRecordBuffer, ManyPagesOfRecordsDecodeAsOneSequence) {
  TestPdev pdev;
  OutputContext* out = pdev.out();
  // A page's records spread over an early flush: the decoder sees one sequence.
  ASSERT_EQ(GrWriteTypedBlock(pdev.get(), nullptr, 0, kBlockPageStart), 1);
  ASSERT_EQ(GrWriteTypedBlock(pdev.get(), nullptr, 0, kBlockEmpty), 1);
  ASSERT_NE(GrRecPageStart(pdev.get(), 4960, 7016, 600, 600), nullptr);
  for (int i = 0; i < 40; ++i) {
    std::string text(30000, static_cast<char>('a' + i % 26));
    ASSERT_NE(GrRecTextRunData(pdev.get(), RecRect{0, 0, 10, 10}, 1, 2, 3, text.data(), 30000), nullptr);
  }
  ASSERT_NE(GrRecPageEnd(pdev.get()), nullptr);
  ASSERT_EQ(GrFlushRecords(out), 1);
  ASSERT_EQ(GrWriteTypedBlock(pdev.get(), nullptr, 0, kBlockPageEnd), 1);
  DecodedStream stream;
  std::string error;
  ASSERT_TRUE(DecodeStream(Captured().bytes, &stream, &error)) << error;
  ASSERT_EQ(stream.pages.size(), 1u);
  EXPECT_GT(stream.pages[0].dataBlocks, 2);
  EXPECT_EQ(stream.pages[0].records.size(), 42u);
}

}  // namespace
}  // namespace zolt::test
