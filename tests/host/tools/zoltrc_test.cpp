#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "machine_fixture.h"
#include "rc_compiler.h"
#include "win32/hosttext.h"

namespace fs = std::filesystem;
using zolt::rc::Resource;

namespace {

zolt::rc::Result Compile(const std::string& script, zolt::rc::Options options = {}) {
  zolt::rc::Result result;
  zolt::rc::CompileScript(script, "/nonexistent/test.rc", options, result);
  return result;
}

const Resource* FindRes(const zolt::rc::Result& r, uint16_t type, uint16_t name) {
  for (const auto& res : r.resources)
    if (res.type.isId && res.type.id == type && res.name.isId && res.name.id == name) return &res;
  return nullptr;
}

// Errors name the file and line and say what is wrong.
TEST(ZoltrcTest, ErrorsCarryTheLine) {
  struct Case {
    std::string script;
    std::string expected;
  };
  const Case cases[] = {
      {"1 DIALOGEX 0, 0, 10, 10\nSTYLE WS_POPUP | WS_BOGUS\nBEGIN\nEND\n", "test.rc:2: undefined name \"WS_BOGUS\""},
      {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", "test.rc:4: duplicate string id 1"},
      {"STRINGTABLE BEGIN\n 1 \"open\n END\n", "test.rc:2: unterminated string"},
      {"#include \"missing.h\"\n", "test.rc:1: cannot find include file \"missing.h\""},
      {"#ifdef X\n", "#if without #endif"},
      {"#error stop here\n", "test.rc:1: #error stop here"},
      {"1 RCDATA \"no-such-file.bin\"\n", "test.rc:1: cannot find file \"no-such-file.bin\""},
      {"1 RCDATA BEGIN 1 END\n1 RCDATA BEGIN 2 END\n", "duplicate resource (type 10, name 1, language 0x409)"},
      {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  WIDGET \"a\", 1, 0, 0, 5, 5\nEND\n", "test.rc:3: unknown control statement \"WIDGET\""},
      {"1 VERSIONINFO\n", "VERSIONINFO resources are not supported"},
      {"1 RCDATA BEGIN 1/0 END\n", "division by zero"},
      {"1 BITMAP \"/nonexistent\"", "cannot find file"},
  };
  for (const Case& c : cases) {
    zolt::rc::Result r = Compile(c.script);
    EXPECT_NE(r.error.find(c.expected), std::string::npos) << c.script << "\n=> " << r.error;
    EXPECT_TRUE(r.resources.empty());
  }
}

TEST(ZoltrcTest, PreprocessorDefinesAndConditionals) {
  zolt::rc::Options options;
  options.defines["FROM_COMMAND_LINE"] = "7";
  zolt::rc::Result r = Compile(
      "#define BASE 100\n"
      "#define NEXT (BASE + 1) // a comment\n"
      "#define LONG_ONE \\\n  0x10L\n"
      "#if defined(BASE) && BASE >= 100\n"
      "NEXT RCDATA BEGIN FROM_COMMAND_LINE, LONG_ONE END\n"
      "#elif 1\n"
      "1 RCDATA BEGIN 0 END\n"
      "#else\n"
      "2 RCDATA BEGIN 0 END\n"
      "#endif\n"
      "#ifndef BASE\n"
      "3 RCDATA BEGIN 0 END\n"
      "#endif\n"
      "#undef BASE\n"
      "#ifdef BASE\n"
      "4 RCDATA BEGIN 0 END\n"
      "#endif\n"
      "#include <windows.h>\n",
      options);
  ASSERT_TRUE(r.error.empty()) << r.error;
  ASSERT_EQ(r.resources.size(), 1u);
  const Resource* res = FindRes(r, 10, 101);
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->data, (std::vector<uint8_t>{7, 0, 0x10, 0, 0, 0}));
}

TEST(ZoltrcTest, NamesLanguagesAndOrder) {
  zolt::rc::Result r = Compile(
      "LANGUAGE LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN\n"
      "zeta RCDATA BEGIN 1 END\n"
      "\"Alpha\" 300 BEGIN 2 END\n"
      "7 Glyphs { 3 }\n"
      "LANGUAGE 9, 1\n"
      "zeta RCDATA BEGIN 4 END\n"
      "2 RCDATA LANGUAGE LANG_GERMAN, SUBLANG_GERMAN BEGIN 5 END\n");
  ASSERT_TRUE(r.error.empty()) << r.error;
  // Named types and names first (upper case, sorted), then numbered ones; then languages.
  ASSERT_EQ(r.resources.size(), 5u);
  EXPECT_EQ(r.resources[0].type.name, u"GLYPHS");
  EXPECT_EQ(r.resources[0].name.id, 7);
  EXPECT_EQ(r.resources[1].type.id, 10);
  EXPECT_EQ(r.resources[1].name.name, u"ZETA");
  EXPECT_EQ(r.resources[1].language, 0x0409);
  EXPECT_EQ(r.resources[2].name.name, u"ZETA");
  EXPECT_EQ(r.resources[2].language, 0x0411);
  EXPECT_EQ(r.resources[3].type.id, 10);
  EXPECT_EQ(r.resources[3].name.id, 2);
  EXPECT_EQ(r.resources[3].language, 0x0407);
  EXPECT_EQ(r.resources[4].type.id, 300);
  EXPECT_EQ(r.resources[4].name.name, u"ALPHA");
}

TEST(ZoltrcTest, StringBlocksAndRawStrings) {
  zolt::rc::Result r = Compile(
      "#pragma code_page(1252)\n"
      "STRINGTABLE BEGIN 17 \"ab\" 31 L\"\\x263A\" END\n"
      "1 RCDATA BEGIN \"\xC3\xA9\", L\"\xC3\xA9\" END\n");
  ASSERT_TRUE(r.error.empty()) << r.error;
  const Resource* block = FindRes(r, 6, 2);
  ASSERT_NE(block, nullptr);
  // 16 counted strings: id 16 empty, 17 "ab", 18-30 empty, 31 one character.
  std::vector<uint8_t> expected = {0, 0, 2, 0, 'a', 0, 'b', 0};
  for (int i = 18; i < 31; ++i) expected.insert(expected.end(), {0, 0});
  expected.insert(expected.end(), {1, 0, 0x3A, 0x26});
  EXPECT_EQ(block->data, expected);
  // Narrow strings in raw data are bytes of the code page, wide ones UTF-16.
  EXPECT_EQ(FindRes(r, 10, 1)->data, (std::vector<uint8_t>{0xE9, 0xE9, 0}));
}

TEST(ZoltrcTest, GeneratedSourceExportsTheDirectory) {
  zolt::rc::Result r = Compile("1 RCDATA BEGIN 1 END\n");
  std::string source = zolt::rc::GenerateSource(r.resources, "x.rc");
  EXPECT_NE(source.find("zolt_resource_directory"), std::string::npos);
  EXPECT_NE(source.find("visibility(\"default\")"), std::string::npos);
  EXPECT_NE(source.find("ZOLT_RESOURCE_MAGIC, ZOLT_RESOURCE_VERSION, 1, kEntries"), std::string::npos);
  std::string empty = zolt::rc::GenerateSource({}, "y.rc");
  EXPECT_NE(empty.find("0, nullptr"), std::string::npos);
}

int RunZoltrc(const std::string& args, std::string* err = nullptr) {
  std::string errFile = (fs::temp_directory_path() / ("zoltrc-err-" + std::to_string(::getpid()))).string();
  int status = std::system((std::string(ZOLTRC_PATH) + " " + args + " 2>" + errFile + " >/dev/null").c_str());
  if (err) *err = zolt::test::ReadBytes(errFile);
  fs::remove(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ZoltrcTest, CommandLine) {
  zolt::test::ScopedMachine scratch;
  fs::path dir = scratch.Root();
  zolt::test::WriteBytes(dir / "ok.rc", "#include \"ids.h\"\nID RCDATA \"data.bin\"\n");
  zolt::test::WriteBytes(dir / "ids.h", "#define ID 5\nint ignored_in_a_header;\n");
  zolt::test::WriteBytes(dir / "data.bin", "xyz");
  zolt::test::WriteBytes(dir / "bad.rc", "1 RCDATA BEGIN 1 + END\n");
  EXPECT_EQ(RunZoltrc("--help"), 0);
  EXPECT_EQ(RunZoltrc(""), 2);
  EXPECT_EQ(RunZoltrc("--bogus x.rc"), 2);
  std::string err;
  ASSERT_EQ(RunZoltrc("-o " + (dir / "ok.cpp").string() + " --depfile " + (dir / "ok.d").string() + " " +
                    (dir / "ok.rc").string(),
                &err),
            0)
      << err;
  std::string dep = zolt::test::ReadBytes(dir / "ok.d");
  EXPECT_NE(dep.find("ids.h"), std::string::npos);
  EXPECT_NE(dep.find("data.bin"), std::string::npos);
  EXPECT_NE(zolt::test::ReadBytes(dir / "ok.cpp").find("120,121,122"), std::string::npos);
  EXPECT_EQ(RunZoltrc("-o " + (dir / "bad.cpp").string() + " " + (dir / "bad.rc").string(), &err), 1);
  EXPECT_NE(err.find("bad.rc:1: undefined name \"END\""), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(dir / "bad.cpp"));
}

}  // namespace
