// The sample documents printed through a printer DC of the test printer, in vector mode and in
// raster mode: every call succeeds and the pages carry the drawing records of their content.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "gr_job_support.h"
#include "gr_pdev.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

class GrDrawJob : public GrJobTest {
 protected:
  // Plays every sample page on its own page of one job.
  JobResult PrintSamples(const std::string& devmode) {
    const char* names[] = {"mixed-p1.emf", "mixed-p2.emf", "mixed-p3.emf"};
    return Print(3,
                 [&](HDC dc, int page) {
                   const std::string bytes = ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / names[page - 1]);
                   HENHMETAFILE emf = SetEnhMetaFileBits(UINT(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
                   ASSERT_NE(emf, nullptr);
                   RECT frame{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
                   EXPECT_TRUE(PlayEnhMetaFile(dc, emf, &frame)) << names[page - 1];
                   DeleteEnhMetaFile(emf);
                 },
                 devmode);
  }
};

std::map<int, int> Opcodes(const DecodedStream& stream) {
  std::map<int, int> counts;
  for (const auto& page : stream.pages)
    for (const auto& r : page.records) counts[r.opcode] += 1;
  return counts;
}

TEST_F(GrDrawJob, SamplesPrintInVectorMode) {
  const auto job = PrintSamples(DevModeWith({}));
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 3u);
  const auto ops = Opcodes(stream);
  EXPECT_GT(ops.count(48), 0u) << "colours";
  EXPECT_GT(ops.count(49), 0u) << "raster operations";
  EXPECT_GT(ops.count(17) + ops.count(18) + ops.count(32) + ops.count(16), 0u) << "something drawn";
}

TEST_F(GrDrawJob, SamplesPrintInRasterMode) {
  const auto job = PrintSamples(DevModeWith({{kGrOptImagePrint, 1}}));
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 3u);
  const auto ops = Opcodes(stream);
  EXPECT_GT(ops.count(32), 0u) << "band images";
  EXPECT_EQ(ops.count(17) + ops.count(18), 0u) << "no paths in raster mode";
}

}  // namespace
}  // namespace zolt::test
