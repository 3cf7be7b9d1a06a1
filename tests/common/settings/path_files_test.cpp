// File operations: name dissection, existence through share modes, deletion through the
// read-only attribute, copies that keep times and leave the destination writable, the
// write-time compare modes and the copy-when-needed rules of the synchronised files.
#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "env_system.h"
#include "path_files.h"
#include "settings_paths.h"

namespace {

using zolt::test::ReadBytes;
using zolt::test::WriteBytes;
using std::u16string;

// ---- Name dissection (no files) --------------------------------------------------------------

struct NameCase {
  const char16_t* path;
  const char16_t* fileName;   // PathGetFileName
  const char16_t* extension;  // PathGetExtension: text from the returned pointer
  int extensionLength;
  int baseLength;             // PathGetBaseNameLength
  int shortExtension;         // PathHasShortExtension
  const char16_t* replaced;   // PathReplaceExtension with "rsr" (nullptr: refused)
};

const NameCase kNames[] = {
    {u"C:\\dir\\name.rst", u"name.rst", u"rst", 3, 4, 1, u"C:\\dir\\name.rsr"},
    {u"C:\\dir.x\\name", u"name", u"name", 0, 4, 0, u"C:\\dir.x\\rsr"},  // no dot: the whole name goes
    {u"C:\\dir\\a.b.cd", u"a.b.cd", u"cd", 2, 1, 1, u"C:\\dir\\a.b.rsr"},
    {u"C:\\dir\\.abc", u".abc", u"abc", 3, 0, 0, u"C:\\dir\\.rsr"},     // empty base name
    {u"C:\\dir\\name.html", u"name.html", u"html", 4, 4, 0, u"C:\\dir\\name.rsr"},
    {u"name.ini", u"name.ini", u"ini", 3, 4, 1, u"name.rsr"},
    {u"C:\\dir\\", u"", u"C:\\dir\\", 0, 0, 0, u"rsr"},                // empty file name: the path itself
    {u"", u"", u"", 0, 0, 0, nullptr},
};

TEST(PathNames, DissectionOfFileNames) {
  for (const NameCase& c : kNames) {
    SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
    EXPECT_EQ(u16string(PathGetFileName(c.path)), c.fileName);
    int length = -1;
    const WCHAR* extension = PathGetExtension(c.path, &length);
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(u16string(extension), c.extension);
    EXPECT_EQ(length, c.extensionLength);
    int base = -1;
    EXPECT_NE(PathGetBaseNameLength(c.path, &base), nullptr);
    EXPECT_EQ(base, c.baseLength);
    EXPECT_EQ(PathHasShortExtension(c.path), c.shortExtension);
    WCHAR out[MAX_PATH] = u"unchanged";
    EXPECT_EQ(PathReplaceExtension(out, c.path, u"rsr"), c.replaced ? 1 : 0);
    if (c.replaced) {
      EXPECT_EQ(u16string(out), c.replaced);
    }
  }
}

TEST(PathNames, NullArgumentsAndQualityFile) {
  EXPECT_EQ(PathGetFileName(static_cast<const WCHAR*>(nullptr)), nullptr);
  EXPECT_EQ(PathGetExtension(static_cast<const WCHAR*>(nullptr), nullptr), nullptr);
  EXPECT_EQ(PathGetBaseNameLength(nullptr, nullptr), nullptr);
  EXPECT_EQ(PathHasShortExtension(nullptr), 0);
  WCHAR out[MAX_PATH];
  EXPECT_EQ(PathReplaceExtension(nullptr, u"a.b", u"c"), 0);
  EXPECT_EQ(PathReplaceExtension(out, nullptr, u"c"), 0);
  EXPECT_EQ(PathReplaceExtension(out, u"a.b", nullptr), 0);
  EXPECT_EQ(PathQualityFileOf(out, u"C:\\_zolt\\user0001.rst"), 1);
  EXPECT_EQ(u16string(out), u"C:\\_zolt\\user0001.rsq");

  // Writing a NUL at the file name leaves the folder with its "\".
  WCHAR path[] = u"C:\\a\\b\\c.ini";
  *PathGetFileName(path) = u'\0';
  EXPECT_EQ(u16string(path), u"C:\\a\\b\\");
}

TEST(PathNames, ALongerExtensionThatWouldNotFitIsRefused) {
  u16string path = u"C:\\" + u16string(MAX_PATH - 6, u'x') + u".a";  // 259 characters
  ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1));
  WCHAR out[MAX_PATH];
  EXPECT_EQ(PathReplaceExtension(out, path.c_str(), u"b"), 1);
  EXPECT_EQ(u16string(out).size(), static_cast<size_t>(MAX_PATH - 1));
  EXPECT_EQ(PathReplaceExtension(out, path.c_str(), u"ab"), 0);
  EXPECT_EQ(out[0], u'\0');
}

// ---- Files -----------------------------------------------------------------------------------

constexpr ULONGLONG kOlder = 133000000000000000ull;  // 2022-06-17
constexpr ULONGLONG kNewer = kOlder + 10000000ull * 3600;

class PathFiles : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ASSERT_TRUE(CreateDirectoryW(u"C:\\work", nullptr));
  }

  void Write(const u16string& path, std::string_view bytes, ULONGLONG writeTime = kOlder, DWORD attributes = 0) {
    WriteBytes(Real(path), bytes);
    SetWriteTime(path, writeTime);
    if (attributes) {
      ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    }
  }

  std::string Read(const u16string& path) { return ReadBytes(Real(path)); }

  static void SetWriteTime(const u16string& path, ULONGLONG time) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
  }

  static ULONGLONG WriteTime(const u16string& path) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    FILETIME ft{};
    GetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  }

  static DWORD Attributes(const u16string& path) { return GetFileAttributesW(path.c_str()); }
  static bool Exists(const u16string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(PathFiles, PresenceCountsAFileHeldExclusivelyAsAbsent) {
  Write(u"C:\\work\\a.ini", "x");
  EXPECT_EQ(PathIsFilePresent(u"C:\\WORK\\A.INI"), 1);
  EXPECT_EQ(PathIsFilePresent(u"C:\\work\\missing.ini"), 0);
  EXPECT_EQ(PathIsFilePresent(nullptr), 0);
  HANDLE held = CreateFileW(u"C:\\work\\a.ini", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(PathIsFilePresent(u"C:\\work\\a.ini"), 0);
  CloseHandle(held);
  EXPECT_EQ(PathIsFilePresent(u"C:\\work\\a.ini"), 1);
}

TEST_F(PathFiles, DeletionGoesThroughTheReadOnlyAttribute) {
  Write(u"C:\\work\\ro.ini", "x", kOlder, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(PathDeleteFile(u"C:\\work\\ro.ini"), 1);
  EXPECT_FALSE(Exists(u"C:\\work\\ro.ini"));
  EXPECT_EQ(PathDeleteFile(u"C:\\work\\ro.ini"), 0);  // missing
  EXPECT_EQ(PathDeleteFile(nullptr), 0);
}

TEST_F(PathFiles, DeletingMatchesLeavesFoldersAndOtherNamesAlone) {
  Write(u"C:\\work\\a.rsr", "a", kOlder, FILE_ATTRIBUTE_READONLY);
  Write(u"C:\\work\\b.RSR", "b");
  Write(u"C:\\work\\c.ini", "c");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\work\\sub.rsr", nullptr));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\work\\sub.rsr", FILE_ATTRIBUTE_HIDDEN));
  Write(u"C:\\work\\sub.rsr\\d.rsr", "d");

  EXPECT_EQ(PathDeleteMatchingFiles(u"C:\\work\\*.rsr"), 1);
  EXPECT_FALSE(Exists(u"C:\\work\\a.rsr"));
  EXPECT_FALSE(Exists(u"C:\\work\\b.rsr"));
  EXPECT_TRUE(Exists(u"C:\\work\\c.ini"));
  EXPECT_TRUE(Exists(u"C:\\work\\sub.rsr\\d.rsr"));
  EXPECT_EQ(Attributes(u"C:\\work\\sub.rsr"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));

  EXPECT_EQ(PathDeleteMatchingFiles(u"C:\\work\\*.rsr"), 0);  // nothing left to delete
  EXPECT_EQ(PathDeleteMatchingFiles(u"C:\\nowhere\\*.*"), 0);
  EXPECT_EQ(PathDeleteMatchingFiles(u"C:\\work\\*.*"), 1);
  EXPECT_FALSE(Exists(u"C:\\work\\c.ini"));
}

TEST_F(PathFiles, CopyKeepsTheWriteTimeAndLeavesAWritableArchiveFile) {
  Write(u"C:\\work\\src.dll", "module bytes", kOlder, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(PathCopyFile(u"C:\\work\\src.dll", u"C:\\work\\dst.dll", FALSE), 1);
  EXPECT_EQ(Read(u"C:\\work\\dst.dll"), "module bytes");
  EXPECT_EQ(WriteTime(u"C:\\work\\dst.dll"), kOlder);
  EXPECT_EQ(Attributes(u"C:\\work\\dst.dll"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));

  // An existing destination: refused when asked to, replaced otherwise.
  Write(u"C:\\work\\src.dll", "new bytes", kNewer);
  EXPECT_EQ(PathCopyFile(u"C:\\work\\src.dll", u"C:\\work\\dst.dll", TRUE), 0);
  EXPECT_EQ(Read(u"C:\\work\\dst.dll"), "module bytes");
  EXPECT_EQ(PathCopyFile(u"C:\\work\\src.dll", u"C:\\work\\dst.dll", FALSE), 1);
  EXPECT_EQ(Read(u"C:\\work\\dst.dll"), "new bytes");
  EXPECT_EQ(WriteTime(u"C:\\work\\dst.dll"), kNewer);

  // A read-only destination is refused by the platform's copy.
  ASSERT_TRUE(SetFileAttributesW(u"C:\\work\\dst.dll", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(PathCopyFile(u"C:\\work\\src.dll", u"C:\\work\\dst.dll", FALSE), 0);
  EXPECT_EQ(PathCopyFile(u"C:\\work\\missing.dll", u"C:\\work\\x.dll", FALSE), 0);
  EXPECT_EQ(PathCopyFile(nullptr, u"C:\\work\\x.dll", FALSE), 0);
}

TEST_F(PathFiles, ClearReadOnlyKeepsTheOtherAttributes) {
  Write(u"C:\\work\\a.ini", "x", kOlder, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(PathClearReadOnly(u"C:\\work\\a.ini"), 1);
  EXPECT_EQ(Attributes(u"C:\\work\\a.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(PathClearReadOnly(u"C:\\work\\missing.ini"), 1);
}

TEST_F(PathFiles, CompareModesOfTheWriteTimes) {
  Write(u"C:\\work\\old", "o", kOlder);
  Write(u"C:\\work\\old2", "o", kOlder);
  Write(u"C:\\work\\new", "n", kNewer);
  // Times 1 and 2 apart only in the high word, to catch a compare of the low word alone.
  constexpr ULONGLONG kHigh = kOlder >> 32;
  Write(u"C:\\work\\high1", "h", (kHigh << 32) | 0xFFFFFF00u);
  Write(u"C:\\work\\high2", "h", ((kHigh + 1) << 32) | 0x100u);
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int mode;
    int expected;
  } cases[] = {
      {u"C:\\work\\old", u"C:\\work\\old2", 0, 1},   {u"C:\\work\\old", u"C:\\work\\new", 0, 0},
      {u"C:\\work\\old", u"C:\\work\\old2", 1, 1},   {u"C:\\work\\old", u"C:\\work\\new", 1, 1},
      {u"C:\\work\\new", u"C:\\work\\old", 1, 0},    {u"C:\\work\\old", u"C:\\work\\old2", 2, 0},
      {u"C:\\work\\high2", u"C:\\work\\high1", 1, 0}, {u"C:\\work\\high1", u"C:\\work\\high2", 1, 1},
      {u"C:\\work\\old", u"C:\\work\\missing", 0, 0}, {u"C:\\work\\missing", u"C:\\work\\old", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathCompareWriteTimes(c.a, c.b, c.mode), c.expected)
        << std::string(c.a, c.a + 12) << " vs " << std::string(c.b, c.b + 12) << " mode " << c.mode;
  }
  // Attribute-only opens: a file another process holds without sharing is still compared.
  HANDLE held = CreateFileW(u"C:\\work\\old", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(PathCompareWriteTimes(u"C:\\work\\old", u"C:\\work\\old2", 0), 1);
  CloseHandle(held);
}

TEST_F(PathFiles, EnsureDirAcceptsAnExistingFolderButMakesNoParents) {
  EXPECT_EQ(PathEnsureDir(u"C:\\work\\new"), 1);
  EXPECT_EQ(Attributes(u"C:\\work\\new") & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(PathEnsureDir(u"C:\\work\\new"), 1);
  EXPECT_EQ(PathEnsureDir(u"C:\\work\\a\\b"), 0);
  EXPECT_FALSE(Exists(u"C:\\work\\a"));
  EXPECT_EQ(PathEnsureDir(nullptr), 0);
}

TEST_F(PathFiles, ReadFileBytesReportsWhatWasRead) {
  Write(u"C:\\work\\a.ini", "12345");
  HANDLE h = CreateFileW(u"C:\\work\\a.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  EXPECT_EQ(PathReadFileBytes(h, buffer, 5), 5);
  EXPECT_EQ(std::string(buffer), "12345");
  EXPECT_EQ(PathReadFileBytes(h, buffer, 5), 0);  // at the end
  CloseHandle(h);
  EXPECT_EQ(PathReadFileBytes(INVALID_HANDLE_VALUE, buffer, 5), -1);
}

// ---- Copies made when needed -----------------------------------------------------------------

TEST_F(PathFiles, SyncCopiesOnlyWhenNeeded) {
  struct Case {
    const char* name;
    short mode;
    ULONGLONG sourceTime;
    bool destinationPresent;
    ULONGLONG destinationTime;
    int expected;
    bool copied;
  } cases[] = {
      {"mode 1, destination missing", 1, kOlder, false, 0, 1, true},
      {"mode 1, destination present", 1, kNewer, true, kOlder, 1, false},
      {"mode 2, same time", 2, kOlder, true, kOlder, 0, false},
      {"mode 2, source newer", 2, kNewer, true, kOlder, 1, true},
      {"mode 2, source older (times differ)", 2, kOlder, true, kNewer, 1, true},
      {"mode 2, destination missing", 2, kOlder, false, 0, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(u"C:\\work\\src.ini", "source", c.sourceTime);
    DeleteFileW(u"C:\\work\\dst.ini");
    if (c.destinationPresent) Write(u"C:\\work\\dst.ini", "destination", c.destinationTime);
    EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"C:\\work\\src.ini", c.mode), c.expected);
    EXPECT_EQ(Read(u"C:\\work\\dst.ini"), c.copied ? "source" : "destination");
    if (c.copied) {
      EXPECT_EQ(WriteTime(u"C:\\work\\dst.ini"), c.sourceTime);
    }
  }
}

TEST_F(PathFiles, SyncRefusesRelativePathsAndAMissingSource) {
  Write(u"C:\\work\\src.ini", "source");
  EXPECT_EQ(PathSyncFile(u"dst.ini", u"C:\\work\\src.ini", 2), 0);
  EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"src.ini", 2), 0);
  EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"C:\\work\\missing.ini", 2), 0);
  EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"C:\\work\\missing.ini", 1), 0);
  EXPECT_FALSE(Exists(u"C:\\work\\dst.ini"));
  EXPECT_EQ(PathSyncFile(u"C:\\work\\SRC.INI", u"C:\\work\\src.ini", 2), 1);  // the same file
}

TEST_F(PathFiles, AReplacedDestinationLosesItsReadOnlyAttribute) {
  Write(u"C:\\work\\src.ini", "source", kNewer);
  Write(u"C:\\work\\dst.ini", "destination", kOlder, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"C:\\work\\src.ini", 2), 1);
  EXPECT_EQ(Read(u"C:\\work\\dst.ini"), "source");
  EXPECT_EQ(Attributes(u"C:\\work\\dst.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(Exists(u"C:\\work\\dst.ini.~zt"));
}

TEST_F(PathFiles, AFailedReplacementKeepsTheOldDestination) {
  Write(u"C:\\work\\src.ini", "source", kNewer);
  Write(u"C:\\work\\dst.ini", "destination", kOlder, FILE_ATTRIBUTE_READONLY);
  // Something in the way of the copy: a folder where the copy is made.
  ASSERT_TRUE(CreateDirectoryW(u"C:\\work\\dst.ini.~zt", nullptr));
  EXPECT_EQ(PathSyncFile(u"C:\\work\\dst.ini", u"C:\\work\\src.ini", 2), 0);
  EXPECT_EQ(Read(u"C:\\work\\dst.ini"), "destination");
  EXPECT_EQ(Attributes(u"C:\\work\\dst.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(PathFiles, CopyBetweenFoldersComparesByAge) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\from", nullptr));
  Write(u"C:\\from\\list.lst", "new list", kNewer);
  Write(u"C:\\work\\list.lst", "old list", kOlder);
  EXPECT_EQ(PathCopyBetweenFolders(u"list.lst", u"C:\\from\\", u"C:\\work\\", 2), 1);
  EXPECT_EQ(Read(u"C:\\work\\list.lst"), "new list");
  // Not newer any more: nothing to copy.
  EXPECT_EQ(PathCopyBetweenFolders(u"list.lst", u"C:\\from\\", u"C:\\work\\", 2), 0);
  Write(u"C:\\work\\list.lst", "newest list", kNewer + 1);
  EXPECT_EQ(PathCopyBetweenFolders(u"list.lst", u"C:\\from\\", u"C:\\work\\", 2), 0);
  EXPECT_EQ(Read(u"C:\\work\\list.lst"), "newest list");
  EXPECT_EQ(PathCopyBetweenFolders(u"", u"C:\\from\\", u"C:\\work\\", 2), 0);
  EXPECT_EQ(PathCopyBetweenFolders(u"list.lst", u"", u"C:\\work\\", 2), 0);
}

}  // namespace

// ---- Deployment from the driver directory ----------------------------------------------------

namespace {

class PathDeploy : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    EnvResetSystemCaches();
    printer_ = OpenTestPrinter();
    ctx_ = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx_, nullptr);
    auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer_, 3));
    ASSERT_NE(di3, nullptr);
    driverDir_ = di3->pDriverPath;
    driverDir_.resize(driverDir_.rfind(u'\\') + 1);
    MdlFreeMem(di3);
    WCHAR system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    systemDir_ = u16string(system) + u"\\";
  }
  void TearDown() override {
    CtxReleaseAs(ctx_, kCtxReleaseDestroy);
    ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }

  void Put(const u16string& path, std::string_view bytes, ULONGLONG time) {
    WriteBytes(Real(path), bytes);
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }
  std::string Read(const u16string& path) { return ReadBytes(Real(path)); }

  HANDLE printer_ = nullptr;
  DriverContext* ctx_ = nullptr;
  u16string driverDir_;
  u16string systemDir_;
};

TEST_F(PathDeploy, RelativeNamesGoToTheSystemDirectory) {
  Put(driverDir_ + u"QV00C140.dll", "v2", kNewer);
  // Mode 1: only when missing; an existing copy is kept without comparing times.
  EXPECT_EQ(PathCopyToSystemDir(u"QV00C140.dll", nullptr, 1, ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "v2");
  Put(systemDir_ + u"QV00C140.dll", "v1", kOlder);
  EXPECT_EQ(PathDeployFile(u"QV00C140.dll", nullptr, 1, ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "v1");
  // Other modes: replaced when the driver's copy is newer, left alone otherwise.
  EXPECT_EQ(PathDeployFile(u"QV00C140.dll", nullptr, 2, ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "v2");
  EXPECT_EQ(PathCopyToSystemDir(u"QV00C140.dll", nullptr, 2, ctx_), 0);
  // A source name different from the destination's.
  Put(driverDir_ + u"ZOLTX64.INI", "ini", kOlder);
  EXPECT_EQ(PathCopyToSystemDir(u"ZOLT.ini", u"ZOLTX64.INI", 2, ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"ZOLT.ini"), "ini");
  EXPECT_EQ(PathCopyToSystemDir(u"Missing.dll", nullptr, 2, ctx_), 0);
  EXPECT_EQ(PathCopyToSystemDir(u"QV00C140.dll", nullptr, 1, nullptr), 0);
}

TEST_F(PathDeploy, AbsoluteDestinationsComeFromTheDriverDirectory) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Target", nullptr));
  Put(driverDir_ + u"zoltexc.dat", "data", kOlder);
  EXPECT_EQ(PathDeployFile(u"C:\\Target\\zoltexc.dat", nullptr, 2, ctx_), 1);
  EXPECT_EQ(Read(u"C:\\Target\\zoltexc.dat"), "data");
  // Compare mode 0 (same time): nothing to do; with an older destination it is replaced,
  // and with compare mode 1 a newer destination is kept.
  EXPECT_EQ(PathDeployFile(u"C:\\Target\\zoltexc.dat", nullptr, 2, ctx_), 0);
  Put(u"C:\\Target\\zoltexc.dat", "newer local copy", kNewer);
  EXPECT_EQ(PathDeployFileEx(u"C:\\Target\\zoltexc.dat", nullptr, 2, ctx_, kCompareNotNewer), 0);
  EXPECT_EQ(Read(u"C:\\Target\\zoltexc.dat"), "newer local copy");
  EXPECT_EQ(PathDeployFile(u"C:\\Target\\zoltexc.dat", nullptr, 2, ctx_), 1);  // the times differ
  EXPECT_EQ(Read(u"C:\\Target\\zoltexc.dat"), "data");
  EXPECT_EQ(PathDeployFile(u"C:\\Target\\renamed.dat", u"zoltexc.dat", 1, ctx_), 1);
  EXPECT_EQ(Read(u"C:\\Target\\renamed.dat"), "data");
  EXPECT_EQ(PathDeployFile(nullptr, nullptr, 1, ctx_), 0);
}

TEST_F(PathDeploy, InstalledPresetsGoToTheSettingsFolderWithTheirOwnExtension) {
  WCHAR folder[MAX_PATH] = {};
  ASSERT_GT(PathGetSettingsDir(folder, MAX_PATH, ctx_), 0);
  WCHAR out[MAX_PATH] = {};
  EXPECT_EQ(PathInstalledPresetPath(out, u"D:\\scenario\\Office.rst", MAX_PATH, ctx_), 1);
  EXPECT_EQ(u16string(out), u16string(folder) + u"\\Office.rsr");
  // The result must fit the caller's buffer.
  EXPECT_EQ(PathInstalledPresetPath(out, u"D:\\scenario\\Office.rst", lstrlenW(folder) + 8, ctx_), 0);
  EXPECT_EQ(PathInstalledPresetPath(out, u"Office.rst", MAX_PATH, nullptr), 0);
}

class PathDeployTerminalServer : public PathDeploy {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.productType = 3;
    f.suiteMask = 0x10;
    return f;
  }
};

TEST_F(PathDeployTerminalServer, InstalledPresetsGoToTheUsersFolderExceptForAMachineContext) {
  WriteBytes(Root() / "qv00c150.txt", "1");
  EnvResetSystemCaches();
  WCHAR userFolder[MAX_PATH] = {};
  WCHAR settingsFolder[MAX_PATH] = {};
  ASSERT_GT(PathGetUserDir(userFolder, MAX_PATH, ctx_), 0);
  ASSERT_GT(PathGetSettingsDir(settingsFolder, MAX_PATH, ctx_), 0);
  ASSERT_NE(u16string(userFolder), u16string(settingsFolder));
  WCHAR out[MAX_PATH] = {};
  EXPECT_EQ(PathInstalledPresetPath(out, u"D:\\scenario\\Office.rst", MAX_PATH, ctx_), 1);
  EXPECT_EQ(u16string(out), u16string(userFolder) + u"\\Office.rsr");
  ctx_->workArea->creationMode |= kCtxModeInstallation;
  EXPECT_EQ(PathInstalledPresetPath(out, u"D:\\scenario\\Office.rst", MAX_PATH, ctx_), 1);
  EXPECT_EQ(u16string(out), u16string(settingsFolder) + u"\\Office.rsr");
  EnvResetSystemCaches();
}

}  // namespace
