// A printer's settings changed from another program: the settings utility checks a block of job
// language lines with the printer's rules, sets the statuses they name and keeps the result as
// the printer's default settings; printing preferences opened afterwards show the new values and
// the next job, printed with the printer's own settings, carries them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "block_stream.h"
#include "child_process.h"
#include "tool_machine_test.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

class SettingsToPrint : public ToolMachineTest {
 protected:
  ProgramRun Settings(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"ZOLT Office 7000"};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(ZOLT_SETTINGS_TOOL, all, Root(), Root().string());
  }
  // Printing preferences opened on the printer's own settings, read by a script and cancelled.
  ProgramRun ReadPreferences(const std::string& script) {
    const fs::path file = Root() / "read.txt";
    WriteBytes(file, script + "press Cancel\n");
    return RunProgram(ZOLT_MACHINE_TOOL, {"prefs", Root().string(), "ZOLT Office 7000", "--do", file.string()}, Root());
  }
  // The page-start command text of the first sample page printed with the printer's settings.
  std::string PrintedPageStart() {
    const std::string job = (fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / "mixed-p1.emf").string();
    const ProgramRun r = RunProgram(ZOLT_MACHINE_TOOL, {"print", Root().string(), "ZOLT Office 7000", job}, Root());
    EXPECT_EQ(r.status, 0) << r.err;
    std::smatch m;
    if (!std::regex_search(r.out, m, std::regex("output ([^\\n]+)"))) return "no output: " + r.out;
    blocks::DecodedStream stream;
    std::string error;
    EXPECT_TRUE(blocks::DecodeStream(ReadBytes(m[1].str()), &stream, &error)) << error;
    return stream.pages.empty() ? std::string() : stream.pages[0].startText;
  }
};

TEST_F(SettingsToPrint, AppliedBlockAndStatusesShowInPreferencesAndInTheNextJob) {
  ASSERT_EQ(PrintedPageStart(),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Automatic\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");

  const fs::path block = Root() / "job.pjl";
  WriteBytes(block,
             "@PJL SET APLPAGESIZE = A3 \r\n"
             "@PJL SET APLPAGELAYOUT = LANDSCAPE \r\n"
             "@PJL SET PAPER = SAME \r\n"
             "@PJL SET TRAY = TRAY3 \r\n");
  const ProgramRun apply = Settings({"apply", block.string()});
  ASSERT_EQ(apply.status, 0) << apply.err << apply.out;
  for (const char* line : {"APLPAGESIZE = A3: status 7 (paper size) set\n", "APLPAGELAYOUT = LANDSCAPE: status 6 (orientation) set\n",
                           "TRAY = TRAY3: status 2 (paper source) set\n", "kept as the printer's default settings\n"})
    EXPECT_TRUE(Contains(apply.out, line)) << line << "\n" << apply.out;

  const ProgramRun between = ReadPreferences("page Preset\nread 2009\nread 2004\n");
  ASSERT_EQ(between.status, 0) << between.err;
  EXPECT_TRUE(Contains(between.out, "read 2009: text \"A3\"")) << between.out;
  EXPECT_TRUE(Contains(between.out, "read 2004: text \"Tray 3\"")) << between.out;
  EXPECT_EQ(PrintedPageStart(),
            "@PJL SET PAPER=A3\n@PJL SET ORIENTATION=Landscape\n@PJL SET TRAY=Tray 3\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");

  // A status of its own after the block: transparencies, which the model's rule feeds from the
  // bypass tray.
  const ProgramRun media = Settings({"set", "3", "value=2"});
  ASSERT_EQ(media.status, 0) << media.err;
  EXPECT_TRUE(Contains(media.out, "changed with it:\nstatus 2 (paper source)")) << media.out;
  EXPECT_TRUE(Contains(media.out, "kept as the printer's default settings\n")) << media.out;
  const ProgramRun status = Settings({"status", "3"});
  EXPECT_TRUE(Contains(status.out, "  value    2\n")) << "a later run reads the kept value\n" << status.out;

  const ProgramRun prefs = ReadPreferences("page Preset\nread 2009\nread 2004\nread 2032\n");
  ASSERT_EQ(prefs.status, 0) << prefs.err;
  for (const char* shown : {"read 2009: text \"A3\"", "read 2004: text \"Bypass Tray\"", "read 2032: text \"Transparency\""})
    EXPECT_TRUE(Contains(prefs.out, shown)) << shown << "\n" << prefs.out;
  EXPECT_EQ(PrintedPageStart(),
            "@PJL SET PAPER=A3\n@PJL SET ORIENTATION=Landscape\n@PJL SET TRAY=Bypass tray\n"
            "@PJL SET MEDIATYPE=Transparency\n\x1b&u1200D");
}

// A block the printer's rules refuse changes nothing that was kept.
TEST_F(SettingsToPrint, RefusedBlockKeepsTheSettings) {
  const fs::path block = Root() / "short.pjl";
  WriteBytes(block, "@PJL SET APLPAGESIZE = A3 \r\n");
  const ProgramRun apply = Settings({"apply", block.string()});
  EXPECT_EQ(apply.status, 1);
  EXPECT_TRUE(Contains(apply.err, "does not set every required command")) << apply.err;
  EXPECT_FALSE(Contains(apply.out, "kept as")) << apply.out;
  EXPECT_EQ(PrintedPageStart(),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Automatic\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");
}

}  // namespace
}  // namespace zolt::test
