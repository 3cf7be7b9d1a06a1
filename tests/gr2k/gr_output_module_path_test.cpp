// The rules by which the printer driver's directory is added to the process's PATH, and the
// list of module names handed to an interface module.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core_memory.h"
#include "gr_output_module.h"
#include "gr_test_support.h"
#include "machine_fixture.h"
#include "plugin_registry.h"

namespace zolt::test {
namespace {

TEST(GrPathListHas, Table) {
  struct Case {
    const char16_t* path;
    const char16_t* dir;
    int add;
  };
  const char16_t* dir = u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3";
  const Case cases[] = {
      {u"", dir, 1},
      {u"C:\\Windows;C:\\Tools", dir, 1},
      {u"C:\\Windows;c:\\windows\\system32\\SPOOL\\drivers\\X64\\3", dir, 0},   // other letter case
      {u"C:\\Windows\\\\System32\\spool\\drivers//x64\\3;C:\\Tools", dir, 0},   // doubled separators
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\", dir, 0},             // trailing separator
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3/", dir, 0},
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\\\", dir, 0},           // one run, ignored at the end
      {u"D:\\old\\C:\\Windows\\System32\\spool\\drivers\\x64\\3", dir, 1},      // only ends with it
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\31", dir, 1},              // a longer name
      {u"C:\\Windows\\System32\\spool\\drivers\\x64", dir, 1},                  // a parent
      {u";;C:\\Windows\\System32\\spool\\drivers\\x64\\3;;", dir, 0},           // empty elements around
      {u"C:\\a", u"C:\\a\\", 0},                                                // the directory's own separator
      {u"C:\\a", u"\\\\server\\share\\drivers", 0},                             // network path: never
      {u"", u"\\\\server\\share", 0},
      {u"C:\\a", u"C:\\x\\\\y", 0},                                             // any doubled '\'
      {u"C:\\a", u"", 0},                                                       // empty: never
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    EXPECT_EQ(GrPathListHas(cases[i].path, cases[i].dir), cases[i].add);
  }
}

class GrExtendPathTest : public MachineTest {};

std::u16string PathValue() {
  WCHAR buffer[0x8000] = {};
  const DWORD n = GetEnvironmentVariableW(u"PATH", buffer, 0x8000);
  return std::u16string(buffer, n < 0x8000 ? n : 0);
}

TEST_F(GrExtendPathTest, AppendsOnceAndLeavesAFullPathAlone) {
  TestPdev pdev;
  const std::u16string saved = PathValue();
  SetEnvironmentVariableW(u"PATH", u"C:\\Windows");
  ASSERT_EQ(GrExtendPath(pdev.get(), u"C:\\drivers\\x64\\3"), 1);
  EXPECT_EQ(PathValue(), u"C:\\Windows;C:\\drivers\\x64\\3");
  ASSERT_EQ(GrExtendPath(pdev.get(), u"c:\\DRIVERS\\x64\\3\\"), 1);
  EXPECT_EQ(PathValue(), u"C:\\Windows;C:\\drivers\\x64\\3") << "already there";

  // An absent PATH reads as empty.
  SetEnvironmentVariableW(u"PATH", nullptr);
  ASSERT_EQ(GrExtendPath(pdev.get(), u"C:\\d"), 1);
  EXPECT_EQ(PathValue(), u";C:\\d");

  // Value with terminator + directory + 1 above 0x7FFF characters: unchanged, still 1.
  const std::u16string big(0x7FFF - 5, u'p');
  SetEnvironmentVariableW(u"PATH", big.c_str());
  ASSERT_EQ(GrExtendPath(pdev.get(), u"C:\\dir"), 1);
  EXPECT_EQ(PathValue(), big);
  SetEnvironmentVariableW(u"PATH", saved.empty() ? nullptr : saved.c_str());
}

TEST(GrModuleNames, PluginPathsThenTheFilterThenANullEntry) {
  PluginEntry a{}, b{}, c{};
  char pa[] = "C:\\plug\\a.dll", pc[] = "C:\\plug\\c.dll";
  a.installPath = pa;
  c.installPath = pc;  // b has no path
  PluginEntry* entries[3] = {&a, &b, &c};
  PluginList list{3, entries};
  PluginIdList* names = GrBuildModuleNameList(&list, "C:\\drv\\QVF9C123.DLL");
  ASSERT_NE(names, nullptr);
  ASSERT_EQ(names->count, 4u);
  EXPECT_STREQ(names->names[0], "C:\\plug\\a.dll");
  EXPECT_STREQ(names->names[1], "C:\\plug\\c.dll");
  EXPECT_STREQ(names->names[2], "C:\\drv\\QVF9C123.DLL");
  EXPECT_EQ(names->names[3], nullptr);
  EXPECT_EQ(PlgFreeIdList(names), 1);
  EXPECT_EQ(PlgFreeIdList(nullptr), 1);
}

}  // namespace
}  // namespace zolt::test
