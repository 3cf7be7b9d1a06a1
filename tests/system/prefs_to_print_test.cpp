// Printing preferences and printing as a person meets them: the machine tool opens the sheet,
// acts on its pages from a script and keeps the device mode it gives back; the next job printed
// with it carries the settings in its command texts and drawing records. Settings changes and
// jobs of several processes at once lose nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "block_stream.h"
#include "child_process.h"
#include "tool_machine_test.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

using blocks::DecodedStream;

class PrefsToPrint : public ToolMachineTest {
 protected:
  // zoltmachine prefs with a script; the device mode it gave back is written to save.
  ProgramRun Prefs(const std::string& script, const fs::path& save) {
    const fs::path file = Root() / "script.txt";
    WriteBytes(file, script);
    return Machine({"prefs", "ZOLT Office 7000", "--do", file.string(), "--save", save.string()});
  }
  std::string DefaultDevMode(const char* name) {
    const fs::path file = Root() / name;
    const ProgramRun r = Machine({"devmode", "ZOLT Office 7000", file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadBytes(file);
  }
  // The first sample page printed (with a device mode file, or the printer's own), decoded.
  DecodedStream Print(const fs::path& devmode = {}, std::string* bytes = nullptr) {
    std::vector<std::string> args = {"print", "ZOLT Office 7000",
                                     (fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / "mixed-p1.emf").string()};
    if (!devmode.empty()) args.insert(args.end(), {"--devmode", devmode.string()});
    const ProgramRun r = Machine(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::smatch m;
    DecodedStream stream;
    if (!std::regex_search(r.out, m, std::regex("output ([^\\n]+)"))) {
      ADD_FAILURE() << r.out;
      return stream;
    }
    std::string error;
    const std::string output = ReadBytes(m[1].str());
    if (bytes) *bytes = output;
    EXPECT_TRUE(blocks::DecodeStream(output, &stream, &error)) << error;
    return stream;
  }
  // The default device mode another program reads through the settings module.
  std::string SettingsDevMode(const char* name) {
    const fs::path file = Root() / name;
    const ProgramRun r = RunProgram(ZOLT_SETTINGS_TOOL, {"ZOLT Office 7000", "devmode", file.string()}, Root(),
                                    Root().string());
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadBytes(file);
  }
  // Every stored file of the machine: its drive (settings files, the shared folder) and the
  // registry hives with the printer's data.
  std::map<std::string, std::string> StoredFiles() {
    std::map<std::string, std::string> files;
    for (const char* folder : {"drive_c", "registry"})
      for (const auto& e : fs::recursive_directory_iterator(Root() / folder))
        if (e.is_regular_file() && e.path().extension() != ".lock")
          files[fs::relative(e.path(), Root()).string()] = ReadBytes(e.path());
    return files;
  }
  static std::string PageStart(const DecodedStream& s) { return s.pages.empty() ? "" : s.pages[0].startText; }
  // The page-start drawing record of the first page.
  static std::string PageRecord(const DecodedStream& s) {
    if (s.pages.empty()) return {};
    for (const auto& r : s.pages[0].records)
      if (r.opcode == 96) return r.bytes;
    return {};
  }
};

TEST_F(PrefsToPrint, OkGivesTheChangedSettingsAndTheNextJobCarriesThem) {
  const std::string before = DefaultDevMode("before.dm");
  const DecodedStream plain = Print();
  ASSERT_EQ(PageStart(plain),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Automatic\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");

  const fs::path saved = Root() / "ok.dm";
  const ProgramRun ok = Prefs("page Preset\nselect 2009 A3\nselect 2004 \"Tray 3\"\ncheck 2027\npress OK\n", saved);
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_TRUE(Contains(ok.out, "result: OK\n")) << ok.out;
  for (const char* change : {"dmOrientation    1 -> 2", "dmPaperSize      9 -> 8", "dmDefaultSource  7 -> 2"})
    EXPECT_TRUE(Contains(ok.out, change)) << change << "\n" << ok.out;
  const std::string dm = ReadBytes(saved);
  ASSERT_EQ(dm.size(), before.size());
  EXPECT_EQ(blocks::Le16(dm, 78), 8) << "dmPaperSize";
  EXPECT_EQ(blocks::Le16(dm, 76), 2) << "dmOrientation";

  const DecodedStream changed = Print(saved);
  EXPECT_EQ(PageStart(changed),
            "@PJL SET PAPER=A3\n@PJL SET ORIENTATION=Landscape\n@PJL SET TRAY=Tray 3\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");
  // The page's drawing record describes the other paper.
  EXPECT_NE(PageRecord(changed), PageRecord(plain));
  ASSERT_EQ(PageRecord(changed).size(), 16u);
}

TEST_F(PrefsToPrint, CancelLosesNothing) {
  const std::string before = DefaultDevMode("before.dm");
  const fs::path saved = Root() / "cancel.dm";
  const ProgramRun r = Prefs("page Preset\nselect 2009 A5\nselect 2004 \"Tray 1\"\npress Cancel\n", saved);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "result: Cancel (the device mode is unchanged)")) << r.out;
  EXPECT_EQ(ReadBytes(saved), before) << "the caller's device mode comes back as it went in";
  EXPECT_EQ(DefaultDevMode("after.dm"), before) << "the printer's settings are as they were";
  EXPECT_EQ(PageStart(Print()),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Automatic\n"
            "@PJL SET MEDIATYPE=Plain paper\n\x1b&u1200D");
}

// Transparencies are fed from the bypass tray: the rule moves the tray on the page as the person
// watches, and the job goes out with it.
TEST_F(PrefsToPrint, ARuleOfTheModelShowsInThePreferencesAndInTheJob) {
  const fs::path saved = Root() / "rule.dm";
  const ProgramRun r =
      Prefs("page Preset\nselect 2004 \"Tray 1\"\nread 2004\nselect 2032 Transparency\nread 2004\npress OK\n", saved);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "read 2004: text \"Tray 1\" check -1 selected \"Tray 1\" enabled\n"
                              "read 2004: text \"Bypass Tray\" check -1 selected \"Bypass Tray\" enabled\n"))
      << r.out;
  EXPECT_TRUE(Contains(r.out, "dmDefaultSource  7 -> 8")) << r.out;
  EXPECT_EQ(PageStart(Print(saved)),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Portrait\n@PJL SET TRAY=Bypass tray\n"
            "@PJL SET MEDIATYPE=Transparency\n\x1b&u1200D");
}

// Settings a person changes in printing preferences reach the next job: its PJL header and its
// command texts carry them, and a setting the model's rules refuse is refused in both (the
// duplex switch is hidden and turned off on transparencies, which are fed from the bypass tray).
TEST_F(PrefsToPrint, ChangedSettingsAndRefusedOnesShowInTheNextJob) {
  const DecodedStream plain = Print();
  struct Case {
    const char* name;
    const char* script;
    std::vector<std::string> shown;   // lines the preferences print (reads, changed fields)
    std::vector<std::string> header;  // lines of the job's PJL header
    std::vector<std::string> absent;  // lines the header must not carry
    int duplex;                       // dmDuplex of the device mode given back
    int copies;                       // dmCopies
  };
  const Case cases[] = {
      {"duplex", "page Edit\ncheck 2129\nread 2129\npress OK\n",
       {"read 2129: text \"2-Sided Printing\" check 1 selected \"\" enabled", "dmDuplex         1 -> 3"},
       {"@PJL SET DUPLEX=2-sided\n@PJL SET BINDING=Open to left\n"},
       {"DUPLEX=1-sided"},
       3, 1},
      {"duplex refused on transparencies",
       "page Edit\ncheck 2129\npage Preset\nselect 2032 Transparency\npage Edit\nread 2129\npress OK\n",
       {"read 2129: text \"2-Sided Printing\"", "hidden\n", "dmDefaultSource  7 -> 8"},
       {"@PJL SET DUPLEX=1-sided\n", "@PJL SET TRAY=Bypass tray\n@PJL SET MEDIATYPE=Transparency\n"},
       {"DUPLEX=2-sided", "BINDING="},
       1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path saved = Root() / "case.dm";
    const ProgramRun r = Prefs(c.script, saved);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& line : c.shown) EXPECT_TRUE(Contains(r.out, line)) << line << "\n" << r.out;
    const std::string dm = ReadBytes(saved);
    ASSERT_GT(dm.size(), 100u);
    EXPECT_EQ(blocks::Le16(dm, 94), c.duplex) << "dmDuplex";
    EXPECT_EQ(blocks::Le16(dm, 86), c.copies) << "dmCopies";
    std::string job;
    const DecodedStream stream = Print(saved, &job);
    for (const std::string& line : c.header) EXPECT_TRUE(Contains(job, line)) << line;
    for (const std::string& line : c.absent) EXPECT_FALSE(Contains(job, line)) << line;
    EXPECT_EQ(stream.pages.size(), plain.pages.size());
  }
}

// Two programs print three jobs each while a third changes the printer's settings through the
// settings module: every job completes whole, each in a port file of its own, and every change
// is taken, the last one kept.
TEST_F(PrefsToPrint, JobsAndSettingsChangesOfSeveralProcessesLoseNothing) {
  const std::string job = (fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / "mixed-p1.emf").string();
  const std::string print = std::string("'") + ZOLT_MACHINE_TOOL + "' print '" + Root().string() +
                            "' 'ZOLT Office 7000' '" + job + "' >/dev/null || echo failed";
  const std::string set = std::string("'") + ZOLT_SETTINGS_TOOL + "' 'ZOLT Office 7000' set 6 value=";
  const std::string script = "(for i in 1 2 3; do " + print + "; done) & (for i in 1 2 3; do " + print +
                             "; done) & (for i in 1 2 1 2 1 2; do " + set + "$i >/dev/null || echo failed; done) & wait";
  const ProgramRun r = RunProgram("/bin/sh", {"-c", script}, Root(), Root().string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "") << "a job or a settings change failed";
  std::vector<fs::path> outputs;
  for (const auto& e : fs::directory_iterator(Root() / "out")) outputs.push_back(e.path());
  ASSERT_EQ(outputs.size(), 6u);
  for (const auto& file : outputs) {
    DecodedStream stream;
    std::string error;
    EXPECT_TRUE(blocks::DecodeStream(ReadBytes(file), &stream, &error)) << file << ": " << error;
    EXPECT_EQ(stream.pages.size(), 1u) << file;
  }
  // The last change is the one kept: the printer's settings read back as orientation 2.
  const ProgramRun status = RunProgram(ZOLT_SETTINGS_TOOL, {"ZOLT Office 7000", "status", "6"}, Root(), Root().string());
  ASSERT_EQ(status.status, 0) << status.err;
  EXPECT_TRUE(Contains(status.out, "  value    2\n")) << status.out;
}

// OK through DocumentPropertiesW stores the user settings that the settings file keeps (the
// print type, "PrnMethod" of the printer's section): another program opening the printer later
// reads them. The paper and orientation travel only in the device mode given back. The print
// type is free once black and white is chosen (the model greys it for short colour runs).
TEST_F(PrefsToPrint, OkStoresTheUserSettingsThatALaterOpenReads) {
  const std::string before = SettingsDevMode("before.dm");
  const fs::path saved = Root() / "ok.dm";
  const ProgramRun ok = Prefs("page Preset\nselect 2028 Mono\nselect 2022 \"Sample Print\"\npress OK\n", saved);
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_TRUE(Contains(ok.out, "result: OK\n")) << ok.out;
  bool stored = false;
  for (const auto& [path, bytes] : StoredFiles())
    if (fs::path(path).extension() == ".ini" && Contains(bytes, "[ZOLT Office 7000]") && Contains(bytes, "PrnMethod=2"))
      stored = true;
  EXPECT_TRUE(stored) << "the print type in the settings file";
  const std::string after = SettingsDevMode("after.dm");
  ASSERT_EQ(after.size(), before.size());
  EXPECT_NE(after, before) << "a later open reads the stored print type";
}

// Cancel after changes on several pages: the device mode comes back as it went in and no stored
// file of the machine (settings files, printer data) changes by a byte.
TEST_F(PrefsToPrint, CancelLeavesEveryStoredFileAsItWas) {
  DefaultDevMode("before.dm");
  const std::map<std::string, std::string> files = StoredFiles();
  const fs::path saved = Root() / "cancel.dm";
  const ProgramRun r = Prefs("page Preset\nselect 2028 Mono\nselect 2022 \"Sample Print\"\nselect 2009 A5\ncheck 2027\npress Cancel\n", saved);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "result: Cancel")) << r.out;
  const std::map<std::string, std::string> now = StoredFiles();
  for (const auto& [path, bytes] : files) {
    auto it = now.find(path);
    ASSERT_NE(it, now.end()) << path;
    EXPECT_TRUE(it->second == bytes) << path << " changed";
  }
  EXPECT_EQ(now.size(), files.size());
}

}  // namespace
}  // namespace zolt::test
