#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "machine_fixture.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

namespace fs = std::filesystem;
using namespace zolt::host;
using zolt::test::MachineTest;

namespace {

class PathMapTest : public MachineTest {};

TEST_F(PathMapTest, ParsesTheForms) {
  struct Case {
    std::u16string in;
    std::u16string text;
    bool trailing;
  } cases[] = {
      {u"C:\\Windows\\System32", u"C:\\Windows\\System32", false},
      {u"c:/windows/system32/", u"C:\\windows\\system32", true},
      {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c", false},
      {u"C:\\a\\..\\..\\b", u"C:\\b", false},
      {u"\\\\?\\C:\\x\\y", u"C:\\x\\y", false},
      {u"C:\\name. . ", u"C:\\name", false},
      {u"\\Temp", u"C:\\Temp", false},
      {u"drivers", u"C:\\Windows\\System32\\drivers", false},  // relative to the current folder
  };
  for (const auto& c : cases) {
    DWORD err = 0;
    auto p = ParseWinPath(c.in, &err);
    ASSERT_TRUE(p.has_value()) << ToUtf8(c.in);
    EXPECT_EQ(p->Text(), c.text);
    EXPECT_EQ(p->trailingSeparator, c.trailing);
  }
}

TEST_F(PathMapTest, RefusesNetworkAndBadNames) {
  struct Case {
    std::u16string in;
    DWORD error;
  } cases[] = {
      {u"\\\\server\\share\\f", ERROR_BAD_NETPATH},
      {u"C:\\a|b", ERROR_INVALID_NAME},
      {u"C:\\a*\\b", ERROR_INVALID_NAME},
      {u"1:\\x", ERROR_INVALID_NAME},
      {u"", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    DWORD err = 0;
    EXPECT_FALSE(ParseWinPath(c.in, &err).has_value());
    EXPECT_EQ(err, c.error);
  }
}

TEST_F(PathMapTest, ResolvesEveryComponentCaseInsensitively) {
  fs::path real = Root() / "drive_c" / "Windows" / "System32" / "ZOLT.ini";
  std::ofstream(real) << "x";
  DWORD err = 0;
  auto p = MapPath(u"c:\\WINDOWS\\system32\\zolt.INI", Resolve::Existing, &err);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(*p, real);
  EXPECT_EQ(ToWindowsPath(*p), u"C:\\Windows\\System32\\ZOLT.ini");
}

TEST_F(PathMapTest, MissingParentAndMissingFileHaveTheirOwnErrors) {
  DWORD err = 0;
  EXPECT_FALSE(MapPath(u"C:\\Windows\\nothere.txt", Resolve::Existing, &err));
  EXPECT_EQ(err, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(MapPath(u"C:\\nothere\\file.txt", Resolve::LastMayMiss, &err));
  EXPECT_EQ(err, ERROR_PATH_NOT_FOUND);
  auto p = MapPath(u"C:\\WINDOWS\\NewFile.Txt", Resolve::LastMayMiss, &err);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->filename(), "NewFile.Txt");  // a new name keeps its spelling
  EXPECT_EQ(p->parent_path().filename(), "Windows");
}

// A path found missing is remembered with its deepest existing folder; whatever another process
// then makes in that folder (the file itself, another spelling of it, a missing folder of the
// path) is found on the next look.
TEST_F(PathMapTest, AMissingPathIsFoundOnceAnotherProcessMakesIt) {
  const fs::path folder = Root() / "drive_c" / "Settled";
  fs::create_directories(folder);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the folder stands still
  struct Case {
    const char16_t* asked;
    DWORD error;
    fs::path made;  // what the other process makes
  } cases[] = {
      {u"C:\\Settled\\one.ini", ERROR_FILE_NOT_FOUND, folder / "one.ini"},
      {u"C:\\Settled\\two.ini", ERROR_FILE_NOT_FOUND, folder / "TWO.INI"},
      {u"C:\\Settled\\Sub\\three.ini", ERROR_PATH_NOT_FOUND, folder / "sub" / "Three.ini"},
  };
  for (const Case& c : cases) {
    DWORD err = 0;
    for (int look = 0; look < 2; ++look) {  // the second look is answered from memory
      EXPECT_FALSE(MapPath(c.asked, Resolve::Existing, &err));
      EXPECT_EQ(err, c.error);
    }
    fs::create_directories(c.made.parent_path());
    std::ofstream(c.made) << "x";
    auto p = MapPath(c.asked, Resolve::Existing, &err);
    ASSERT_TRUE(p.has_value()) << c.made;
    EXPECT_EQ(*p, c.made);
  }
}

// The remembered folder itself replaced by another that holds the file (made beside it, then
// renamed into its place): the folder's own times never change, its identity does.
TEST_F(PathMapTest, AMissingPathIsFoundOnceItsFolderIsReplaced) {
  const fs::path folder = Root() / "drive_c" / "Swapped";
  fs::create_directories(folder);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the folder stands still
  DWORD err = 0;
  for (int look = 0; look < 2; ++look) {
    EXPECT_FALSE(MapPath(u"C:\\Swapped\\five.ini", Resolve::Existing, &err));
    EXPECT_EQ(err, ERROR_FILE_NOT_FOUND);
  }
  const fs::path next = Root() / "drive_c" / "Swapped.new";
  fs::create_directories(next);
  std::ofstream(next / "five.ini") << "x";
  fs::rename(folder, Root() / "drive_c" / "Swapped.old");
  fs::rename(next, folder);
  auto p = MapPath(u"C:\\Swapped\\five.ini", Resolve::Existing, &err);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(*p, folder / "five.ini");
}

TEST_F(PathMapTest, ADeepMissingPathAnswersAtOnce) {
  std::u16string deep = u"C:\\Settled";
  for (int i = 0; i < 60; ++i) deep += u"\\missing";
  DWORD err = 0;
  EXPECT_FALSE(MapPath(deep, Resolve::Existing, &err));
  EXPECT_EQ(err, ERROR_PATH_NOT_FOUND);
}

TEST_F(PathMapTest, NamesCompareWithoutCase) {
  EXPECT_TRUE(NamesEqual(u"QVJC32.DLL", u"qvjc32.dll"));
  EXPECT_TRUE(NamesEqual(u"\u00C4rger", u"\u00E4RGER"));
  EXPECT_FALSE(NamesEqual(u"a.txt", u"a.txt2"));
}

}  // namespace
