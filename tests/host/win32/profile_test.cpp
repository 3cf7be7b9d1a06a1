// The profile (INI) functions: reads, truncation, writes that keep the file, code pages, and
// two processes writing one file under a named mutex.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "machine_fixture.h"
#include "win32/hostpath.h"
#include "win32/hostsecurity.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

namespace {

constexpr const char16_t* kIni = u"C:\\Windows\\Temp\\test.ini";

class ProfileTest : public zolt::test::MachineTest {
 protected:
  fs::path File() const { return Real(kIni); }
  void Put(std::string_view bytes) const { WriteBytes(File(), bytes); }

  std::u16string Get(const char16_t* app, const char16_t* key, const char16_t* def = u"<none>") const {
    WCHAR buf[512];
    DWORD n = GetPrivateProfileStringW(app, key, def, buf, 512, kIni);
    return std::u16string(buf, n);
  }
  UINT Int(const char16_t* key, INT def = -99) const {
    return GetPrivateProfileIntW(u"S", key, def, kIni);
  }
};

TEST_F(ProfileTest, IntegersFollowThePlatformsNumberRule) {
  Put("[S]\r\n"
      "dec=123\r\nblanks=   42  \r\nneg=-5\r\nplus=+7\r\ntail=12abc\r\nword=abc\r\n"
      "hex=0x1F\r\nhexcut=0x1G\r\noct=0o17\r\nbin=0b101\r\nwrap=4294967297\r\n"
      "quoted=\"33\"\r\nempty=\r\nblank=   \r\nseven=7\r\nzero=0\r\nminus=-\r\n");
  struct Case {
    const char16_t* key;
    UINT expected;
  } cases[] = {
      {u"dec", 123},   {u"blanks", 42},  {u"neg", UINT(-5)},   {u"plus", 7},     {u"tail", 12},
      {u"word", 0},    {u"hex", 31},     {u"hexcut", 1},       {u"oct", 15},     {u"bin", 5},
      {u"wrap", 1},    {u"quoted", 33},  {u"empty", UINT(-99)}, {u"blank", UINT(-99)},
      {u"seven", 7},   {u"zero", 0},     {u"minus", 0},        {u"missing", UINT(-99)},
  };
  for (const auto& c : cases) EXPECT_EQ(Int(c.key), c.expected) << zolt::host::ToUtf8(c.key);
  EXPECT_EQ(GetPrivateProfileIntW(u"S", u"dec", 5, u"C:\\Windows\\Temp\\absent.ini"), 5u);
  EXPECT_EQ(GetPrivateProfileIntW(u"Absent", u"dec", 0x7FFF, kIni), 0x7FFFu);
}

TEST_F(ProfileTest, ValuesAreTrimmedUnquotedAndMatchedWithoutCase) {
  Put("[First]\r\n"
      "  Key One  =  value with blanks  \r\n"
      "dq=\"  quoted  \"\r\n"
      "sq='single'\r\n"
      "mixed=\"open'\r\n"
      "lonely=\"\r\n"
      "inner=a\"b\"\r\n"
      "twice=\"\"x\"\"\r\n"
      "empty=\r\n"
      "dup=first\r\n"
      "dup=second\r\n"
      "no equals sign here\r\n"
      "[ second ]\r\n"
      "k=2\r\n"
      "[FIRST]\r\n"
      "k=shadowed\r\n");
  struct Case {
    const char16_t* app;
    const char16_t* key;
    std::u16string expected;
  } cases[] = {
      {u"first", u"KEY ONE", u"value with blanks"},
      {u"  First ", u" key one ", u"value with blanks"},
      {u"First", u"dq", u"  quoted  "},
      {u"First", u"sq", u"single"},
      {u"First", u"mixed", u"\"open'"},
      {u"First", u"lonely", u"\""},
      {u"First", u"inner", u"a\"b\""},
      {u"First", u"twice", u"\"x\""},
      {u"First", u"empty", u""},  // present but empty: "", not the default
      {u"First", u"dup", u"first"},
      {u"First", u"no equals sign here", u"<none>"},
      {u"Second", u"k", u"2"},
      {u"First", u"k", u"<none>"},  // the first section of a name is the one read
      {u"First", u"absent", u"<none>"},
      {u"Absent", u"k", u"<none>"},
      {u"\tFirst", u"dq", u"<none>"},  // callers' names lose spaces only
      {u"First", u"dq\t", u"<none>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Get(c.app, c.key), c.expected) << zolt::host::ToUtf8(c.app) << "/" << zolt::host::ToUtf8(c.key);
  // The default loses its trailing blanks; NULL is "".
  EXPECT_EQ(Get(u"First", u"absent", u"  dflt  "), u"  dflt");
  EXPECT_EQ(Get(u"First", u"absent", u"dflt\t "), u"dflt\t");
  EXPECT_EQ(Get(u"First", u"absent", nullptr), u"");
}

// A buffer with a guard pattern, to see exactly which characters a call wrote.
std::u16string Call(DWORD size, DWORD* result, const std::function<DWORD(WCHAR*, DWORD)>& fn) {
  std::u16string buf(size + 4, u'#');
  *result = fn(buf.data(), size);
  return buf;
}

TEST_F(ProfileTest, TruncationOfValuesAndListsAsThePlatform) {
  Put("[A]\r\nkey=abcdef\r\nk2=x\r\n[BB]\r\n[CCC]\r\n");
  auto value = [&](WCHAR* b, DWORD n) { return GetPrivateProfileStringW(u"A", u"key", u"", b, n, kIni); };
  auto names = [&](WCHAR* b, DWORD n) { return GetPrivateProfileSectionNamesW(b, n, kIni); };
  auto keys = [&](WCHAR* b, DWORD n) { return GetPrivateProfileStringW(u"A", nullptr, u"", b, n, kIni); };
  auto section = [&](WCHAR* b, DWORD n) { return GetPrivateProfileSectionW(u"A", b, n, kIni); };
  struct Case {
    const char* what;
    std::function<DWORD(WCHAR*, DWORD)> fn;
    DWORD size;
    DWORD result;
    std::u16string written;  // the buffer after the call, up to the guard
  } cases[] = {
      {"value fits", value, 7, 6, std::u16string(u"abcdef\0", 7)},
      {"value cut", value, 4, 3, std::u16string(u"abc\0", 4)},
      {"value size 1", value, 1, 0, std::u16string(u"\0", 1)},
      {"names fit", names, 11, 9, std::u16string(u"A\0BB\0CCC\0\0", 10)},
      {"names of exactly the list's size", names, 10, 8, std::u16string(u"A\0BB\0CCC\0\0", 10)},
      {"names cut", names, 6, 4, std::u16string(u"A\0BB\0\0", 6)},
      {"names cut in a name", names, 5, 3, std::u16string(u"A\0B\0\0", 5)},
      {"names size 2", names, 2, 0, std::u16string(u"\0\0", 2)},
      {"keys fit", keys, 8, 7, std::u16string(u"key\0k2\0\0", 8)},  // exactly the list's size
      {"keys cut", keys, 5, 3, std::u16string(u"key\0\0", 5)},
      {"section fits", section, 17, 16, std::u16string(u"key=abcdef\0k2=x\0\0", 17)},
      {"section cut", section, 8, 6, std::u16string(u"key=ab\0\0", 8)},
  };
  for (const auto& c : cases) {
    DWORD result = 0;
    std::u16string buf = Call(c.size, &result, c.fn);
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(buf.substr(0, c.written.size()), c.written) << c.what;
    EXPECT_EQ(buf.substr(c.size), u"####") << c.what << ": wrote past the buffer";
  }
  // Empty lists are a double NUL.
  DWORD result = 7;
  std::u16string buf = Call(8, &result, [&](WCHAR* b, DWORD n) { return GetPrivateProfileSectionW(u"BB", b, n, kIni); });
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(buf.substr(0, 2), std::u16string(u"\0\0", 2));
  // A missing file lists nothing.
  buf = Call(8, &result, [&](WCHAR* b, DWORD n) { return GetPrivateProfileSectionNamesW(b, n, u"C:\\nothing.ini"); });
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(buf.substr(0, 2), std::u16string(u"\0\0", 2));
}

TEST_F(ProfileTest, LinesWithoutEqualsAreReadWithTheSectionButAreNoKeys) {
  Put("[S]\r\n; a comment\r\nplain line\r\n  key = v  \r\n\r\n[T]\r\n");
  WCHAR buf[128];
  DWORD n = GetPrivateProfileSectionW(u"s", buf, 128, kIni);
  EXPECT_EQ(std::u16string(buf, n), std::u16string(u"; a comment\0plain line\0key=v\0", 29));
  n = GetPrivateProfileStringW(u"S", nullptr, u"", buf, 128, kIni);
  EXPECT_EQ(std::u16string(buf, n), std::u16string(u"key\0", 4));
}

TEST_F(ProfileTest, SemicolonStartsAComment) {
  Put("[S]\r\n;hidden=1\r\n  ;also=2\r\nvisible=;not a comment\r\nmid;dle=3\r\n[T]\r\n");
  EXPECT_EQ(Get(u"S", u";hidden"), u"<none>");
  EXPECT_EQ(Get(u"S", u"visible"), u";not a comment");
  EXPECT_EQ(Get(u"S", u"mid;dle"), u"3");
  WCHAR buf[128];
  DWORD n = GetPrivateProfileStringW(u"S", nullptr, u"", buf, 128, kIni);
  EXPECT_EQ(std::u16string(buf, n), std::u16string(u"visible\0mid;dle\0", 16));
  // A key written with a leading semicolon is a comment: never read back.
  ASSERT_TRUE(WritePrivateProfileStringW(u"T", u";note", u"x", kIni));
  EXPECT_EQ(Get(u"T", u";note"), u"<none>");
  // Deleting a section leaves its comments.
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", nullptr, nullptr, kIni));
  EXPECT_EQ(ReadBytes(File()), ";hidden=1\r\n  ;also=2\r\n[T]\r\n;note=x\r\n");
}

TEST_F(ProfileTest, LastErrorsOfReadsAndWrites) {
  WCHAR buf[8];
  SetLastError(0);
  GetPrivateProfileStringW(u"S", u"k", u"", buf, 8, u"C:\\Windows\\Temp\\absent.ini");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  GetPrivateProfileStringW(u"S", u"k", u"", buf, 8, u"C:\\Windows\\Temp");  // a folder
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  SetLastError(0);
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"a long value", kIni));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));  // created, as the platform reports it
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"still long", kIni));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 8, kIni), 7u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 0, kIni), 0u);
}

TEST_F(ProfileTest, WritesKeepEveryOtherLineByteForByte) {
  Put("; header comment\n"
      "[One]\r\n"
      "a = 1\r\n"
      "odd line\r\n"
      "b=2\r\n"
      "\r\n"
      "[Two]\n"
      "c=3");
  ASSERT_TRUE(WritePrivateProfileStringW(u"one", u"B", u"22", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"One", u"new", u"n", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Two", u"d", u"4", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Three", u"e", u"5", kIni));
  EXPECT_EQ(ReadBytes(File()),
            "; header comment\n"
            "[One]\r\n"
            "a = 1\r\n"
            "odd line\r\n"
            "b=22\r\n"
            "new=n\r\n"
            "\r\n"
            "[Two]\n"
            "c=3\r\n"
            "d=4\r\n"
            "[Three]\r\n"
            "e=5\r\n");
  // Whatever the change, a rewritten file ends its last line.
  Put("[One]\r\na=1\r\n[Two]\nc=3");
  ASSERT_TRUE(WritePrivateProfileStringW(u"One", u"a", u"2", kIni));
  EXPECT_EQ(ReadBytes(File()), "[One]\r\na=2\r\n[Two]\nc=3\r\n");
  Put("[One]\r\na=1\r\n[Two]\nc=3\nd=4");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Two", u"d", nullptr, kIni));
  EXPECT_EQ(ReadBytes(File()), "[One]\r\na=1\r\n[Two]\nc=3\n");
  // Writing the value a key already has leaves the file alone.
  ASSERT_TRUE(WritePrivateProfileStringW(u"One", u"b", u"22", kIni));
  EXPECT_EQ(Get(u"One", u"b"), u"22");
}

TEST_F(ProfileTest, DeletionAndFlush) {
  const std::string original = "[A]\r\nx=1\r\ny=2\r\nx=3\r\n[B]\r\nz=1\r\n[a]\r\nw=1\r\n";
  Put(original);
  ASSERT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, kIni));  // flush
  EXPECT_EQ(ReadBytes(File()), original);
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"X", nullptr, kIni));
  EXPECT_EQ(Get(u"A", u"x"), u"<none>");  // a duplicate does not come back
  EXPECT_EQ(Get(u"A", u"y"), u"2");
  ASSERT_TRUE(WritePrivateProfileStringW(u"a", nullptr, nullptr, kIni));
  EXPECT_EQ(ReadBytes(File()), "[B]\r\nz=1\r\n");
  // Deleting what is not there succeeds and creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringW(u"Q", nullptr, nullptr, u"C:\\Windows\\Temp\\none.ini"));
  EXPECT_FALSE(fs::exists(Real(u"C:\\Windows\\Temp\\none.ini")));
  // A key without a section finds no section to write to.
  for (const char16_t* value : {u"v", static_cast<const char16_t*>(nullptr)}) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"k", value, kIni));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(ReadBytes(File()), "[B]\r\nz=1\r\n");
}

TEST_F(ProfileTest, SectionWriteReplacesTheSectionInOrder) {
  Put("[A]\r\nold1=1\r\nold2=2\r\n\r\n[B]\r\nb=1\r\n");
  ASSERT_TRUE(WritePrivateProfileSectionW(u"a", u"z=26\0m=13\0no equals\0a=1\0", kIni));
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nz=26\r\nm=13\r\nno equals\r\na=1\r\n\r\n[B]\r\nb=1\r\n");
  ASSERT_TRUE(WritePrivateProfileSectionW(u"C", u"c=3\0", kIni));
  EXPECT_EQ(Get(u"C", u"c"), u"3");
  ASSERT_TRUE(WritePrivateProfileSectionW(u"B", u"\0", kIni));  // emptied, still there
  WCHAR buf[64];
  DWORD n = GetPrivateProfileSectionNamesW(buf, 64, kIni);
  EXPECT_EQ(std::u16string(buf, n), std::u16string(u"A\0B\0C\0", 6));
}

TEST_F(ProfileTest, WritesCreateFilesButNotFolders) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", u"C:\\Windows\\Temp\\fresh.ini"));
  EXPECT_EQ(ReadBytes(Real(u"C:\\Windows\\Temp\\fresh.ini")), "[S]\r\nk=v\r\n");
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"v", u"C:\\No\\Such\\x.ini"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  // A bare name is a file of the Windows directory, for reads and writes.
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"bare", u"bare.ini"));
  EXPECT_TRUE(fs::exists(Root() / "drive_c/Windows/bare.ini"));
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 16, u"C:\\WINDOWS\\BARE.INI"), 4u);
  // Nothing else is left in the folder (the temporary file was renamed).
  for (const auto& e : fs::directory_iterator(Root() / "drive_c/Windows/Temp"))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(ProfileTest, ReadOnlyFileIsNotWritten) {
  Put("[S]\r\nk=1\r\n");
  fs::permissions(File(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"2", kIni));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadBytes(File()), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileTest, ReplacedFileKeepsPermissionsAndExtendedAttributes) {
  Put("[S]\r\nk=1\r\n");
  fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  bool attributes = ::setxattr(File().c_str(), "user.zolt.test", "42", 2, 0) == 0;
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"2", kIni));
  EXPECT_EQ(fs::status(File()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  if (attributes) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(File().c_str(), "user.zolt.test", value, sizeof value), 2);
    EXPECT_STREQ(value, "42");
  }
}

// What the platform keeps of a file it rewrites: its attributes, its creation time and its
// security.
TEST_F(ProfileTest, ReplacedFileKeepsAttributesCreationTimeAndSecurity) {
  Put("[S]\r\nk=1\r\n");
  auto creationTime = [] {
    HANDLE h = CreateFileW(kIni, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME t{};
    EXPECT_TRUE(GetFileTime(h, &t, nullptr, nullptr));
    CloseHandle(h);
    return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  const ULONGLONG created = creationTime();  // the file system's own, never set
  ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  alignas(8) BYTE acl[64];
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, GENERIC_READ, everyone));
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, reinterpret_cast<PACL>(acl), FALSE);
  ASSERT_TRUE(SetFileSecurityW(kIni, DACL_SECURITY_INFORMATION, &sd));

  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"2", kIni));
  ASSERT_TRUE(WritePrivateProfileSectionW(u"T", u"a=1\0", kIni));
  EXPECT_EQ(ReadBytes(File()), "[S]\r\nk=2\r\n[T]\r\na=1\r\n");
  EXPECT_EQ(GetFileAttributesW(kIni), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(creationTime(), created);
  auto stored = zolt::host::StoredFileSecurity(kIni);
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(stored->dacl.size(), 1u);
  EXPECT_EQ(stored->dacl[0].sid, "S-1-1-0");
  FreeSid(everyone);
}

// Reads keep the parsed file while it is unchanged, yet see every change another process makes:
// in place or by a new file, of the same size, with the old modification time put back, and a
// file of the name's own spelling that appears beside one matched without case.
TEST_F(ProfileTest, ReadsSeeEveryChangeMadeBehindThem) {
  auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
  auto modified = [&](const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mtim;
  };
  auto putBack = [&](const fs::path& p, const struct timespec& mtime) {
    struct timespec times[2] = {mtime, mtime};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
  };
  Put("[S]\r\nk=1\r\n");
  EXPECT_EQ(Get(u"S", u"k"), u"1");
  Put("[S]\r\nk=2\r\n");  // at once: the same tick of the file system's clock
  EXPECT_EQ(Get(u"S", u"k"), u"2");
  settle();
  EXPECT_EQ(Get(u"S", u"k"), u"2");
  EXPECT_EQ(Get(u"s", u"K"), u"2");  // kept now
  struct timespec before = modified(File());
  {
    std::ofstream out(File(), std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(7);
    out << '3';
  }
  putBack(File(), before);
  EXPECT_EQ(Get(u"S", u"k"), u"3");  // in place, same size and time
  settle();
  EXPECT_EQ(Get(u"S", u"k"), u"3");
  before = modified(File());
  fs::path other = File();
  other += ".new";
  WriteBytes(other, "[S]\r\nk=4\r\n");
  putBack(other, before);
  fs::rename(other, File());
  EXPECT_EQ(Get(u"S", u"k"), u"4");  // a new file in its place
  settle();
  // A name matched without case is resolved again on every read.
  const char16_t* upper = u"C:\\Windows\\Temp\\TEST.INI";
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 16, upper), 1u);
  EXPECT_EQ(buf[0], u'4');
  settle();
  WriteBytes(File().parent_path() / "TEST.INI", "[S]\r\nk=5\r\n");
  EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 16, upper), 1u);
  EXPECT_EQ(buf[0], u'5');
  EXPECT_EQ(Get(u"S", u"k"), u"4");
  // A file that goes away is missed at once: the name then finds the other spelling, then none.
  settle();
  fs::remove(File());
  EXPECT_EQ(Get(u"S", u"k"), u"5");
  fs::remove(File());
  EXPECT_EQ(Get(u"S", u"k"), u"<none>");
}

// Duplicates and names of other scripts: the first section of a name holds the keys read, the
// first key of a name wins, names compare without case in every script.
TEST_F(ProfileTest, LookupsFindTheFirstSectionAndKeyOfAName) {
  Put("[Dup]\r\nk=first\r\nk=second\r\n[dup]\r\nk=third\r\nonly=later\r\n"
      "[\xC4rger]\r\n\xE4=1\r\n\xC4=2\r\n[ae]\r\nx=1\r\n");
  EXPECT_EQ(Get(u"DUP", u"K"), u"first");
  EXPECT_EQ(Get(u"dup", u"only"), u"<none>");
  EXPECT_EQ(Get(u"\u00e4RGER", u"\u00c4"), u"1");
  EXPECT_EQ(Get(u"AE", u"X"), u"1");
  EXPECT_EQ(Get(u"\u00e4", u"x"), u"<none>");
}

TEST_F(ProfileTest, TextIsInTheAnsiCodePage) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"caf\u00e9 \u4e2d\u2603", kIni));
  EXPECT_EQ(ReadBytes(File()), "[S]\r\nk=caf\xe9 ??\r\n");
  EXPECT_EQ(Get(u"S", u"k"), u"caf\u00e9 ??");
  // The ANSI forms speak the same code page.
  char buf[32];
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buf, sizeof buf, "C:\\Windows\\Temp\\test.ini"), 7u);
  EXPECT_STREQ(buf, "caf\xe9 ??");
  ASSERT_TRUE(WritePrivateProfileStringA("S", "n", "-12", "C:\\Windows\\Temp\\test.ini"));
  EXPECT_EQ(GetPrivateProfileIntA("s", "N", 0, "C:\\Windows\\Temp\\test.ini"), UINT(-12));
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buf, 4, "C:\\Windows\\Temp\\test.ini"), 3u);
  EXPECT_STREQ(buf, "caf");
}

class ProfileJapaneseTest : public ProfileTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.ansiCodePage = 932;
    return f;
  }
};

TEST_F(ProfileJapaneseTest, ShiftJisFilesRoundTrip) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"\u65e5\u672c", u"\u30ad\u30fc", u"\u5024]", kIni));
  EXPECT_EQ(ReadBytes(File()), "[\x93\xfa\x96\x7b]\r\n\x83\x4c\x81\x5b=\x92\x6c]\r\n");
  EXPECT_EQ(Get(u"\u65e5\u672c", u"\u30ad\u30fc"), u"\u5024]");
  // A trail byte that looks like "]" or "=" does not end a name: "\x83\x5d" is one character.
  Put("[\x83\x5d]\r\n\x83\x5d=1\r\n");
  EXPECT_EQ(GetPrivateProfileIntW(u"\u30be", u"\u30be", 0, kIni), 1u);
}

TEST_F(ProfileJapaneseTest, AnsiResultsAreNeverCutInsideACharacter) {
  Put("[\x93\xfa\x96\x7b\x8c\xea]\r\nk=\x93\xfa\x96\x7b\x8c\xea\r\n[ab]\r\n");
  const char* file = "C:\\Windows\\Temp\\test.ini";
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(GetPrivateProfileStringA("\x93\xfa\x96\x7b\x8c\xea", "k", "", buf, 6, file), 4u);
  EXPECT_EQ(std::string(buf, 6), std::string("\x93\xfa\x96\x7b\0#", 6));
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, 5, file), 2u);
  EXPECT_EQ(std::string(buf, 5), std::string("\x93\xfa\0\0#", 5));
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, 16, file), 10u);
  EXPECT_EQ(std::string(buf, 11), std::string("\x93\xfa\x96\x7b\x8c\xea\0ab\0\0", 11));
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, 11, file), 9u);  // exactly the list's size
  EXPECT_EQ(std::string(buf, 12), std::string("\x93\xfa\x96\x7b\x8c\xea\0ab\0\0#", 12));
}

// Two processes add to one counter in an INI file and one in the registry, each under the named
// mutex: no update is lost.
TEST_F(ProfileTest, TwoProcessesUnderTheNamedMutexLoseNoUpdate) {
  constexpr int kRounds = 40;
  auto worker = [&](int id) -> int {
    HANDLE m = CreateMutexW(nullptr, FALSE, u"Global\\ZoltProfileTest");
    if (!m) return 10;
    for (int i = 0; i < kRounds; ++i) {
      DWORD w = WaitForSingleObject(m, INFINITE);
      if (w != WAIT_OBJECT_0) return 11;
      UINT n = GetPrivateProfileIntW(u"Count", u"n", 0, kIni);
      std::u16string text = zolt::host::FromUtf8(std::to_string(n + 1));
      std::u16string key = zolt::host::FromUtf8("p" + std::to_string(id) + "_" + std::to_string(i));
      if (!WritePrivateProfileStringW(u"Count", u"n", text.c_str(), kIni)) return 12;
      if (!WritePrivateProfileStringW(u"Keys", key.c_str(), u"1", kIni)) return 13;
      HKEY reg = nullptr;
      if (RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZoltTest", &reg) != ERROR_SUCCESS) return 15;
      DWORD value = 0, size = sizeof value;
      RegQueryValueExW(reg, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      ++value;
      if (RegSetValueExW(reg, u"Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value) != ERROR_SUCCESS)
        return 16;
      RegCloseKey(reg);
      if (!ReleaseMutex(m)) return 14;
    }
    CloseHandle(m);
    return 0;
  };
  pid_t children[2];
  for (int id = 0; id < 2; ++id) {
    children[id] = fork();
    ASSERT_GE(children[id], 0);
    if (children[id] == 0) _exit(worker(id));
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  EXPECT_EQ(GetPrivateProfileIntW(u"Count", u"n", 0, kIni), UINT(2 * kRounds));
  WCHAR keys[4096];
  DWORD n = GetPrivateProfileStringW(u"Keys", nullptr, u"", keys, 4096, kIni);
  EXPECT_EQ(std::count(keys, keys + n, u'\0'), 2 * kRounds);
  HKEY reg = nullptr;
  ASSERT_EQ(RegOpenKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZoltTest", &reg), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value;
  ASSERT_EQ(RegQueryValueExW(reg, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, DWORD(2 * kRounds));
  RegCloseKey(reg);
}

// A reader in another process sees the whole old file or the whole new one, never a part:
// neither a reader of the bytes (as the driver's own INI reader) nor the profile functions.
TEST_F(ProfileTest, ReaderNeverSeesHalfAWrite) {
  constexpr int kKeys = 200, kGenerations = 60;
  auto lineOf = [](int key, int generation) {
    return "key" + std::to_string(key) + "=generation " + std::to_string(generation) + std::string(40, '.');
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (int g = 1; g <= kGenerations; ++g) {
      std::u16string list;  // a double-NUL list of kKeys lines of generation g
      for (int k = 0; k < kKeys; ++k) list += zolt::host::FromUtf8(lineOf(k, g)) + u'\0';
      if (!WritePrivateProfileSectionW(u"Big", list.c_str(), kIni)) _exit(1);
    }
    _exit(0);
  }
  std::vector<WCHAR> buf(64 * 1024);
  int seen = 0;
  for (bool done = false; !done;) {
    int status = 0;
    done = waitpid(child, &status, WNOHANG) == child;
    if (done) {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string bytes = ReadBytes(File());
    if (bytes.empty()) continue;  // not written yet
    ++seen;
    size_t eq = bytes.find('=');
    ASSERT_NE(eq, std::string::npos);
    int generation = std::stoi(bytes.substr(bytes.find("generation ", eq) + 11));
    std::string whole = "[Big]\r\n";
    for (int k = 0; k < kKeys; ++k) whole += lineOf(k, generation) + "\r\n";
    ASSERT_EQ(bytes, whole);
    DWORD n = GetPrivateProfileSectionW(u"Big", buf.data(), static_cast<DWORD>(buf.size()), kIni);
    std::vector<std::u16string> lines;
    for (const WCHAR* p = buf.data(); *p; p += lines.back().size() + 1) lines.emplace_back(p);
    ASSERT_EQ(lines.size(), size_t(kKeys)) << n;
  }
  EXPECT_GT(seen, 0);
}

}  // namespace
