#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "machine_fixture.h"
#include "win32/file.h"
#include "win32/hostclock.h"
#include "win32/hosttext.h"
#include "win32/time.h"

namespace fs = std::filesystem;
using zolt::host::ToUtf8;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class FileTest : public zolt::test::MachineTest {
 protected:
  void TearDown() override {
    zolt::host::Clock::UseRealTime();
    MachineTest::TearDown();
  }

  fs::path RealC(const std::string& rel) const { return Root() / "drive_c" / rel; }

  static HANDLE Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING,
                     DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  }

  static void Put(const std::u16string& path, const std::string& bytes) {
    HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ToUtf8(path);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
    CloseHandle(h);
  }

  static std::string Get(const std::u16string& path) {
    HANDLE h = Open(path, GENERIC_READ, FILE_SHARE_READ);
    if (h == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    std::string out(GetFileSize(h, nullptr), '\0');
    DWORD n = 0;
    EXPECT_TRUE(ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &n, nullptr));
    CloseHandle(h);
    return out;
  }

  static ULONGLONG WriteTime(const std::u16string& path) {
    HANDLE h = Open(path, 0, kShareAll);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME w{};
    EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, &w));
    CloseHandle(h);
    return (ULONGLONG(w.dwHighDateTime) << 32) | w.dwLowDateTime;
  }
};

TEST_F(FileTest, DispositionsAndTheirLastErrors) {
  struct Case {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;          // last error after the call
    std::string content;  // afterwards
  } cases[] = {
      {CREATE_NEW, false, true, 0, ""},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, false, true, 0, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "error 2"},
      {OPEN_EXISTING, true, true, 0, "old"},
      {OPEN_ALWAYS, false, true, 0, ""},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "error 2"},
      {TRUNCATE_EXISTING, true, true, 0, ""},
  };
  for (const auto& c : cases) {
    DeleteFileW(u"C:\\f.txt");
    if (c.exists) Put(u"C:\\f.txt", "old");
    SetLastError(12345);
    HANDLE h = Open(u"C:\\F.TXT", GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << c.disposition << " " << c.exists;
    EXPECT_EQ(GetLastError(), c.error) << c.disposition << " " << c.exists;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    EXPECT_EQ(Get(u"C:\\f.txt"), c.content) << c.disposition << " " << c.exists;
  }
}

TEST_F(FileTest, PathAndAccessErrors) {
  Put(u"C:\\file.txt", "x");
  struct Case {
    std::u16string path;
    DWORD access;
    DWORD disposition;
    DWORD flags;
    DWORD error;
  } cases[] = {
      {u"C:\\missing\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
      {u"C:\\missing.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_FILE_NOT_FOUND},
      {u"C:\\*.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_INVALID_NAME},
      {u"C:\\a|b.txt", GENERIC_READ, OPEN_ALWAYS, 0, ERROR_INVALID_NAME},
      {u"\\\\server\\share\\f.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_BAD_NETPATH},
      {u"C:\\file.txt\\", GENERIC_READ, OPEN_EXISTING, 0, ERROR_INVALID_NAME},
      {u"C:\\Windows", GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},  // a folder needs backup semantics
      {u"C:\\Windows", GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ACCESS_DENIED},
      {u"C:\\file.txt", GENERIC_READ, TRUNCATE_EXISTING, 0, ERROR_INVALID_PARAMETER},
      {u"C:\\file.txt", GENERIC_READ, 9, 0, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    HANDLE h = Open(c.path, c.access, 0, c.disposition, c.flags);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << ToUtf8(c.path);
    EXPECT_EQ(GetLastError(), c.error) << ToUtf8(c.path);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  // A folder opens with backup semantics, to read and set its times.
  HANDLE dir = Open(u"C:\\Windows", GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_NE(dir, INVALID_HANDLE_VALUE);
  FILETIME t{0x12345678, 0x01D00000}, back{};
  EXPECT_TRUE(SetFileTime(dir, nullptr, nullptr, &t));
  EXPECT_TRUE(GetFileTime(dir, nullptr, nullptr, &back));
  EXPECT_EQ(CompareFileTime(&t, &back), 0);
  DWORD none = 0;
  EXPECT_FALSE(WriteFile(dir, "x", 1, &none, nullptr));
  CloseHandle(dir);

  HANDLE r = Open(u"C:\\file.txt", GENERIC_READ, kShareAll);
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(r, "y", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetEndOfFile(r));
  CloseHandle(r);
  EXPECT_FALSE(ReadFile(reinterpret_cast<HANDLE>(0x4321), &t, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileTest, PathsStopAtMaxPathUnlessPrefixed) {
  const std::u16string dir = u"C:\\" + std::u16string(100, u'd');
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  const std::u16string file = dir + u"\\" + std::u16string(155, u'f');  // 259 characters
  ASSERT_EQ(file.size(), 259u);
  HANDLE h = Open(file, GENERIC_WRITE, 0, CREATE_NEW);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(Open(file + u"g", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(GetFileAttributesW((file + u"g").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  h = Open(u"\\\\?\\" + file + u"g", GENERIC_WRITE, 0, CREATE_NEW);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  const std::u16string sub = dir + u"\\" + std::u16string(144, u's');  // 248 characters
  EXPECT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW((sub + u"t").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(FileTest, ReadWriteSeekAndSize) {
  HANDLE h = Open(u"C:\\Temp.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), 10u);
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_CURRENT), 6u);
  char buf[16] = {};
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "6789");
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u);  // 4 GiB + 4
  EXPECT_EQ(high, 1);  // far beyond the data is fine
  SetFilePointer(h, 4, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 7;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 4u);
  EXPECT_EQ(sizeHigh, 0u);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 4);
  OVERLAPPED at{};
  at.Offset = 1;
  ASSERT_TRUE(ReadFile(h, buf, 2, &n, &at));
  EXPECT_EQ(std::string(buf, n), "12");
  at.Offset = 10;
  EXPECT_FALSE(ReadFile(h, buf, 2, &n, &at));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileTest, ShareModesConflictWithinAProcess) {
  Put(u"C:\\s.txt", "data");
  struct Case {
    DWORD access1, share1, access2, share2;
    bool second;
  } cases[] = {
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, false},  // the first refuses writers
      {GENERIC_READ, 0, GENERIC_READ, kShareAll, false},                 // no sharing at all
      {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},  // the second refuses the writer
      {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {GENERIC_READ, 0, 0, 0, true},               // attribute-only opens never conflict
      {0, 0, GENERIC_READ | GENERIC_WRITE, 0, true},
      {GENERIC_READ, FILE_SHARE_READ, DELETE, kShareAll, false},
      {GENERIC_READ, kShareAll, DELETE, kShareAll, true},
  };
  for (const auto& c : cases) {
    HANDLE a = Open(u"C:\\s.txt", c.access1, c.share1);
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    HANDLE b = Open(u"c:\\S.TXT", c.access2, c.share2);
    EXPECT_EQ(b != INVALID_HANDLE_VALUE, c.second) << std::hex << c.access1 << "/" << c.share1 << " then "
                                                   << c.access2 << "/" << c.share2;
    if (b == INVALID_HANDLE_VALUE)
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    else
      CloseHandle(b);
    CloseHandle(a);
  }
  // Delete, move and copy-over respect the opens too.
  HANDLE held = Open(u"C:\\s.txt", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_FALSE(DeleteFileW(u"C:\\s.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(MoveFileW(u"C:\\s.txt", u"C:\\t.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  Put(u"C:\\other.txt", "o");
  EXPECT_FALSE(CopyFileW(u"C:\\other.txt", u"C:\\s.txt", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
  held = Open(u"C:\\s.txt", GENERIC_READ, kShareAll);
  EXPECT_TRUE(DeleteFileW(u"C:\\s.txt"));  // shared for deletion
  CloseHandle(held);
}

TEST_F(FileTest, ShareModesConflictAcrossProcesses) {
  Put(u"C:\\cross.txt", "data");
  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The child holds the file exclusively until told to let go.
    HANDLE h = Open(u"C:\\cross.txt", GENERIC_READ | GENERIC_WRITE, 0);
    char c = h == INVALID_HANDLE_VALUE ? 'n' : 'y';
    (void)!write(toParent[1], &c, 1);
    (void)!read(toChild[0], &c, 1);
    CloseHandle(h);
    c = 'c';
    (void)!write(toParent[1], &c, 1);
    (void)!read(toChild[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  EXPECT_EQ(Open(u"C:\\CROSS.TXT", GENERIC_READ, kShareAll), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(u"C:\\cross.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  HANDLE attrOnly = Open(u"C:\\cross.txt", 0, 0);  // still fine
  EXPECT_NE(attrOnly, INVALID_HANDLE_VALUE);
  CloseHandle(attrOnly);
  (void)!write(toChild[1], "g", 1);
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  HANDLE h = Open(u"C:\\cross.txt", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);  // the child closed its handle
  (void)!write(toChild[1], "g", 1);
  int status = 0;
  waitpid(pid, &status, 0);
  // The other way round: the parent holds it, a child process is refused.
  pid = fork();
  if (pid == 0) {
    HANDLE w = Open(u"C:\\cross.txt", GENERIC_WRITE, kShareAll);
    _exit(w == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION ? 0 : 1);
  }
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  CloseHandle(h);
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) close(fd);
}

TEST_F(FileTest, ReadOnlyFilesRefuseChanges) {
  Put(u"C:\\ro.txt", "keep");
  Put(u"C:\\src.txt", "new");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\RO.TXT", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  // Each attempt fails with ERROR_ACCESS_DENIED (0 would mean it succeeded).
  auto err = [](bool ok) { return ok ? DWORD{0} : GetLastError(); };
  struct Attempt {
    const char* what;
    DWORD error;
  } attempts[] = {
      {"open for writing", err(Open(u"C:\\ro.txt", GENERIC_WRITE, kShareAll) != INVALID_HANDLE_VALUE)},
      {"open for deleting", err(Open(u"C:\\ro.txt", DELETE, kShareAll) != INVALID_HANDLE_VALUE)},
      {"create always", err(Open(u"C:\\ro.txt", GENERIC_READ, kShareAll, CREATE_ALWAYS) != INVALID_HANDLE_VALUE)},
      {"truncate", err(Open(u"C:\\ro.txt", GENERIC_WRITE, kShareAll, TRUNCATE_EXISTING) != INVALID_HANDLE_VALUE)},
      {"delete", err(DeleteFileW(u"C:\\ro.txt") != FALSE)},
      {"copy onto", err(CopyFileW(u"C:\\src.txt", u"C:\\ro.txt", FALSE) != FALSE)},
      {"move onto", err(MoveFileExW(u"C:\\src.txt", u"C:\\ro.txt", MOVEFILE_REPLACE_EXISTING) != FALSE)},
  };
  for (const auto& a : attempts) EXPECT_EQ(a.error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << a.what;
  EXPECT_EQ(Get(u"C:\\ro.txt"), "keep");  // reading still works
  // The attribute is kept with the file: another process sees it.
  pid_t pid = fork();
  if (pid == 0) _exit(GetFileAttributesW(u"C:\\ro.txt") == FILE_ATTRIBUTE_READONLY ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(u"C:\\ro.txt"));
}

TEST_F(FileTest, AttributesOfNewAndChangedFiles) {
  Put(u"C:\\n.txt", "x");
  EXPECT_EQ(GetFileAttributesW(u"C:\\n.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\n.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(GetFileAttributesW(u"C:\\n.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  // CREATE_ALWAYS may not drop HIDDEN or SYSTEM (the platform's documented refusal).
  EXPECT_EQ(Open(u"C:\\n.txt", GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  HANDLE h = Open(u"C:\\n.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
  DWORD n = 0;
  WriteFile(h, "y", 1, &n, nullptr);  // a change marks the file for backup
  CloseHandle(h);
  EXPECT_EQ(GetFileAttributesW(u"C:\\n.txt"),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesW(u"C:\\Windows"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\Windows\\", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(u"C:\\windows"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(u"C:\\nothere.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(u"C:\\nothere\\x.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(SetFileAttributesW(u"C:\\nothere.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileTest, FileTimesRoundTripAndSurviveCopy) {
  Put(u"C:\\t.txt", "abc");
  // An odd value in 100 ns units reads back exactly.
  const ULONGLONG when = 0x01D5A1B2C3D4E5F7ull;
  FILETIME ft{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
  FILETIME created{static_cast<DWORD>(when - 12345), static_cast<DWORD>((when - 12345) >> 32)};
  HANDLE h = Open(u"C:\\t.txt", GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(h, &created, nullptr, &ft));
  DWORD n = 0;
  WriteFile(h, "more", 4, &n, nullptr);  // a time set through the handle stays as set
  CloseHandle(h);
  EXPECT_EQ(WriteTime(u"C:\\t.txt"), when);
  HANDLE q = Open(u"C:\\t.txt", 0, kShareAll);
  FILETIME c{};
  GetFileTime(q, &c, nullptr, nullptr);
  EXPECT_EQ(CompareFileTime(&c, &created), 0);
  EXPECT_FALSE(SetFileTime(q, nullptr, nullptr, &ft));  // attribute-only handles may not set
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(q);

  ASSERT_TRUE(SetFileAttributesW(u"C:\\t.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(CopyFileW(u"C:\\t.txt", u"C:\\Windows\\Temp\\copy.txt", FALSE));
  EXPECT_EQ(WriteTime(u"C:\\Windows\\Temp\\copy.txt"), when);
  EXPECT_EQ(GetFileAttributesW(u"C:\\Windows\\Temp\\copy.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(Get(u"C:\\Windows\\Temp\\copy.txt"), "more");
  EXPECT_FALSE(CopyFileW(u"C:\\t.txt", u"C:\\Windows\\Temp\\copy.txt", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_FALSE(CopyFileW(u"C:\\t.txt", u"C:\\T.TXT", FALSE));  // onto itself
  EXPECT_FALSE(CopyFileW(u"C:\\none.txt", u"C:\\x.txt", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(CopyFileW(u"C:\\t.txt", u"C:\\nodir\\x.txt", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileTest, FixedClockStampsNewAndWrittenFiles) {
  SYSTEMTIME st{2005, 6, 0, 15, 10, 30, 0, 0};
  ASSERT_TRUE(zolt::host::Clock::Set(st));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  Put(u"C:\\stamp.txt", "x");
  ULONGLONG v = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  EXPECT_EQ(WriteTime(u"C:\\stamp.txt"), v);
  zolt::host::Clock::Advance(60000);
  HANDLE h = Open(u"C:\\stamp.txt", GENERIC_WRITE, 0);
  DWORD n = 0;
  WriteFile(h, "y", 1, &n, nullptr);
  CloseHandle(h);
  EXPECT_EQ(WriteTime(u"C:\\stamp.txt"), v + 60000ull * 10000);
}

TEST_F(FileTest, MoveAndRename) {
  Put(u"C:\\m1.txt", "one");
  Put(u"C:\\m2.txt", "two");
  EXPECT_FALSE(MoveFileW(u"C:\\m1.txt", u"C:\\m2.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(MoveFileExW(u"C:\\m1.txt", u"C:\\M2.TXT", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Get(u"C:\\m2.txt"), "one");
  EXPECT_EQ(Get(u"C:\\m1.txt"), "error 2");
  ASSERT_TRUE(MoveFileW(u"C:\\m2.txt", u"C:\\M2.txt"));  // a change of case only
  EXPECT_TRUE(fs::exists(RealC("M2.txt")));
  EXPECT_FALSE(fs::exists(RealC("m2.txt")));
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Dir", nullptr));
  ASSERT_TRUE(MoveFileW(u"C:\\M2.txt", u"C:\\dir\\moved.txt"));
  EXPECT_EQ(Get(u"C:\\Dir\\Moved.txt"), "one");
  ASSERT_TRUE(MoveFileW(u"C:\\Dir", u"C:\\Dir2"));
  EXPECT_FALSE(MoveFileW(u"C:\\Dir2", u"C:\\Dir2\\inside"));
  EXPECT_FALSE(MoveFileW(u"C:\\none.txt", u"C:\\x.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileExW(u"C:\\Dir2\\moved.txt", u"C:\\y.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileTest, Directories) {
  struct Case {
    const char* what;
    DWORD got;  // the last error of the call, 0 when it succeeded
    DWORD error;
  };
  auto err = [](BOOL r) { return r ? DWORD{0} : GetLastError(); };
  Put(u"C:\\plain.txt", "x");
  Case cases[] = {
      {"create", err(CreateDirectoryW(u"C:\\Shared", nullptr)), 0},
      {"create again", err(CreateDirectoryW(u"C:\\SHARED", nullptr)), ERROR_ALREADY_EXISTS},
      {"create over a file", err(CreateDirectoryW(u"C:\\plain.txt", nullptr)), ERROR_ALREADY_EXISTS},
      {"parents are not made", err(CreateDirectoryW(u"C:\\a\\b\\c", nullptr)), ERROR_PATH_NOT_FOUND},
      {"child", err(CreateDirectoryW(u"C:\\Shared\\child\\", nullptr)), 0},
      {"remove non-empty", err(RemoveDirectoryW(u"C:\\Shared")), ERROR_DIR_NOT_EMPTY},
      {"remove a file", err(RemoveDirectoryW(u"C:\\plain.txt")), ERROR_DIRECTORY},
      {"remove missing", err(RemoveDirectoryW(u"C:\\Nothing")), ERROR_FILE_NOT_FOUND},
      {"delete a folder", err(DeleteFileW(u"C:\\Shared")), ERROR_ACCESS_DENIED},
      {"remove child", err(RemoveDirectoryW(u"C:\\shared\\CHILD\\")), 0},
      {"remove", err(RemoveDirectoryW(u"C:\\Shared")), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.got, c.error) << c.what;
  }
  EXPECT_FALSE(fs::exists(RealC("Shared")));
}

TEST_F(FileTest, ErrorsReportedByEachCall) {
  // Each failing call leaves its own error (calls run one by one, the error read at once).
  struct Case {
    const char* what;
    std::function<BOOL()> call;
    DWORD error;
  } cases[] = {
      {"mapping an empty file", [] {
         HANDLE f = CreateFileW(u"C:\\empty.bin", GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
         HANDLE m = CreateFileMappingW(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
         DWORD e = GetLastError();
         CloseHandle(f);
         SetLastError(e);
         return m != nullptr;
       }, ERROR_FILE_INVALID},
      {"unmapping a stranger", [] { int x = 0; return UnmapViewOfFile(&x); }, ERROR_INVALID_ADDRESS},
      {"find-close of a file handle", [] {
         HANDLE f = CreateFileW(u"C:\\Windows\\explorer.exe", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
         BOOL r = FindClose(f);
         DWORD e = GetLastError();
         CloseHandle(f);
         SetLastError(e);
         return r;
       }, ERROR_INVALID_HANDLE},
      {"delete missing", [] { return DeleteFileW(u"C:\\nothing.txt"); }, ERROR_FILE_NOT_FOUND},
      {"delete in a missing folder", [] { return DeleteFileW(u"C:\\no\\thing.txt"); }, ERROR_PATH_NOT_FOUND},
      {"delete a wildcard", [] { return DeleteFileW(u"C:\\*.txt"); }, ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}

TEST_F(FileTest, MappedViewsOutliveTheirHandles) {
  Put(u"C:\\map.bin", "mapped bytes");
  HANDLE f = Open(u"C:\\map.bin", GENERIC_READ, FILE_SHARE_READ);
  HANDLE m = CreateFileMappingW(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(m, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  CloseHandle(m);
  CloseHandle(f);
  EXPECT_EQ(std::string(view, 12), "mapped bytes");
  EXPECT_TRUE(UnmapViewOfFile(view));
  HANDLE r = Open(u"C:\\map.bin", GENERIC_READ, FILE_SHARE_READ);
  m = CreateFileMappingW(r, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  EXPECT_EQ(m, nullptr);  // a read-only handle gives no writable mapping
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(r);
}

TEST_F(FileTest, SixteenBitCallsReadABitmapHeader) {
  std::string bmp(54, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;  // the info-header size
  bmp[18] = 7;
  zolt::test::WriteBytes(RealC("Windows/Pict\xC3\xA9.bmp"), bmp);
  HFILE h = _lopen("C:\\WINDOWS\\PICT\xC9.BMP", OF_READ);  // ANSI path, code page 1252
  ASSERT_NE(h, HFILE_ERROR);
  EXPECT_EQ(_llseek(h, 14, FILE_BEGIN), 14);
  DWORD size = 0;
  EXPECT_EQ(_lread(h, &size, 4), 4u);
  EXPECT_EQ(size, 40u);
  EXPECT_EQ(_llseek(h, 0, FILE_CURRENT), 18);
  EXPECT_EQ(_lclose(h), 0);
  EXPECT_EQ(_lclose(h), HFILE_ERROR);
  EXPECT_EQ(_lopen("C:\\Windows\\none.bmp", OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HFILE excl = _lopen("C:\\Windows\\Pict\xE9.bmp", OF_READ | OF_SHARE_EXCLUSIVE);
  ASSERT_NE(excl, HFILE_ERROR);
  EXPECT_EQ(_lopen("C:\\Windows\\Pict\xE9.bmp", OF_READ), HFILE_ERROR);
  _lclose(excl);
}

}  // namespace
