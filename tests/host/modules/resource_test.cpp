#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "testmod.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// Builds expected template bytes by hand, little-endian as the platform stores them.
struct Expect {
  Bytes b;
  Expect& W(uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Expect& D(uint32_t v) { return W(v & 0xFFFF).W(v >> 16); }
  Expect& B(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Expect& S(const std::u16string& s) {
    for (char16_t c : s) W(c);
    return W(0);
  }
  Expect& Align() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
};

class ResourceTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Install("TestModA.dll");
    Install("TestModB.dll");
    module_ = LoadLibraryW(u"TestModA.dll");
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    SetThreadLocale(GetUserDefaultLCID());
    FreeLibrary(module_);
    MachineTest::TearDown();
  }
  void Install(const char* name) {
    fs::copy_file(fs::path(ZOLT_TEST_MODULE_DIR) / name, Root() / "drive_c/Windows/System32" / name,
                  fs::copy_options::overwrite_existing);
  }

  Bytes Read(LPCWSTR type, LPCWSTR name, WORD lang = 0, bool ex = false) {
    HRSRC r = ex ? FindResourceExW(module_, type, name, lang) : FindResourceW(module_, name, type);
    if (!r) return {};
    HGLOBAL g = LoadResource(module_, r);
    auto* p = static_cast<const uint8_t*>(LockResource(g));
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 4, 0u);
    return Bytes(p, p + SizeofResource(module_, r));
  }

  std::u16string String(UINT id) {
    WCHAR buf[64];
    int n = LoadStringW(module_, id, buf, 64);
    return std::u16string(buf, static_cast<size_t>(n));
  }

  static Bytes File(const char* name) {
    std::string s = zolt::test::ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "tests/host/modules/fixtures" / name);
    return Bytes(s.begin(), s.end());
  }

  HMODULE module_ = nullptr;
};

TEST_F(ResourceTest, DialogExTemplateHasThePlatformLayout) {
  Expect e;
  e.W(1).W(0xFFFF).D(77).D(0x00000400).D(0x80C000C0).W(5).W(10).W(20).W(200).W(100);
  e.W(0).W(0).S(u"Test").W(8).W(400).B(0).B(1).S(u"MS Shell Dlg");
  e.Align().D(0).D(0).D(0x50020000).W(7).W(7).W(40).W(8).D(1001).W(0xFFFF).W(0x82).S(u"Name:").W(0);
  e.Align().D(0).D(0).D(0x50810080).W(50).W(5).W(100).W(12).D(1002).W(0xFFFF).W(0x81).W(0).W(0);
  e.Align().D(0).D(0).D(0x50000006).W(150).W(5).W(10).W(12).D(1003).S(u"msctls_updown32").W(0).W(0);
  e.Align().D(0).D(0).D(0x50010001).W(90).W(80).W(50).W(14).D(1).W(0xFFFF).W(0x80).S(u"OK").W(0);
  e.Align().D(0).D(0).D(0x50000000).W(143).W(80).W(50).W(14).D(2).W(0xFFFF).W(0x80).S(u"Cancel").W(0);
  EXPECT_EQ(Read(RT_DIALOG, MAKEINTRESOURCEW(IDD_TEST)), e.b);
}

TEST_F(ResourceTest, DialogTemplateHasThePlatformLayout) {
  Expect e;
  e.D(0x80C80040).D(0).W(2).W(0).W(0).W(100).W(50).W(0).W(0).S(u"Old").W(8).S(u"MS Sans Serif");
  e.Align().D(0x50010003).D(0).W(5).W(5).W(60).W(10).W(2001).W(0xFFFF).W(0x80).S(u"Check").W(0);
  e.Align().D(0x5000000E).D(0).W(70).W(5).W(0).W(0).W(0xFFFF).W(0xFFFF).W(0x82).W(0xFFFF).W(6001).W(0);
  Bytes got = Read(RT_DIALOG, MAKEINTRESOURCEW(IDD_OLD));
  EXPECT_EQ(got, e.b);
  ASSERT_GE(got.size(), sizeof(DLGTEMPLATE));
  DLGTEMPLATE t;
  std::memcpy(&t, got.data(), sizeof t);
  EXPECT_EQ(t.cdit, 2);
  EXPECT_EQ(t.cx, 100);
}

TEST_F(ResourceTest, MenuRawDataCustomTypesAndPictures) {
  Expect menu;
  menu.W(0).W(0).W(0x90).S(u"Context").W(0).W(20003).S(u"&Apply").W(0).W(0).S(u"").W(0x81).W(20002).S(u"&Delete");
  EXPECT_EQ(Read(RT_MENU, MAKEINTRESOURCEW(IDM_CONTEXT)), menu.b);
  EXPECT_EQ(Read(RT_RCDATA, MAKEINTRESOURCEW(IDR_DATA), 0x0409, true),
            (Bytes{1, 0, 2, 0, 0x78, 0x56, 0x34, 0x12, 'a', 'b', 'c', 0}));
  // Named types and names compare without case; "#n" stands for the number n.
  EXPECT_EQ(Read(u"custom", u"mydata"), (Bytes{7, 0}));
  EXPECT_EQ(Read(u"#258", u"#1"), File("glyphs.bin"));
  EXPECT_EQ(Read(MAKEINTRESOURCEW(258), MAKEINTRESOURCEW(1)), File("glyphs.bin"));
  // A bitmap is its file without the file header.
  Bytes bmp = File("pic.bmp");
  EXPECT_EQ(Read(RT_BITMAP, MAKEINTRESOURCEW(IDB_PIC)), Bytes(bmp.begin() + 14, bmp.end()));
  // An icon: the image as RT_ICON 1 and a group naming it.
  Bytes ico = File("app.ico");
  Bytes image(ico.begin() + 22, ico.end());
  EXPECT_EQ(Read(RT_ICON, MAKEINTRESOURCEW(1)), image);
  Expect group;
  group.W(0).W(1).W(1).B(1).B(1).B(0).B(0).W(1).W(32).D(48).W(1);
  EXPECT_EQ(Read(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_APP)), group.b);
  // A cursor: hot spot before the image, doubled height in the group.
  Expect cursor;
  cursor.W(3).W(5);
  cursor.b.insert(cursor.b.end(), image.begin(), image.end());
  EXPECT_EQ(Read(RT_CURSOR, MAKEINTRESOURCEW(1)), cursor.b);
  Expect cursorGroup;
  cursorGroup.W(0).W(2).W(1).W(1).W(2).W(1).W(32).D(52).W(1);
  EXPECT_EQ(Read(RT_GROUP_CURSOR, MAKEINTRESOURCEW(IDC_HAND)), cursorGroup.b);
}

TEST_F(ResourceTest, LanguageSelectionAndFallbacks) {
  const Bytes english{1, 0, 2, 0, 0x78, 0x56, 0x34, 0x12, 'a', 'b', 'c', 0};
  const Bytes japanese{9, 0};
  struct Case {
    WORD lang;
    Bytes expected;
  };
  const Case cases[] = {
      {0x0411, japanese},  // exact
      {0x0409, english},   // exact
      {0x0809, english},   // no en-GB, no English-neutral, no neutral: the first language
      {0x0C04, english},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Read(RT_RCDATA, MAKEINTRESOURCEW(IDR_DATA), c.lang, true), c.expected) << std::hex << c.lang;
  // Primary language with SUBLANG_NEUTRAL, then neutral.
  HRSRC german = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(IDS_GERMAN_NEUTRAL / 16 + 1), 0x0407);
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(SizeofResource(module_, german), 46u);
  EXPECT_NE(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(IDS_NEUTRAL / 16 + 1), 0x0411), nullptr);
  // FindResourceW and LoadStringW take the thread's language first.
  EXPECT_EQ(Read(RT_RCDATA, MAKEINTRESOURCEW(IDR_DATA)), english);
  EXPECT_EQ(String(IDS_HELLO), u"Hello");
  ASSERT_TRUE(SetThreadLocale(0x0411));
  EXPECT_EQ(Read(RT_RCDATA, MAKEINTRESOURCEW(IDR_DATA)), japanese);
  EXPECT_EQ(String(IDS_HELLO), u"こんにちは");
  EXPECT_EQ(String(IDS_ENGLISH_ONLY), u"English only");  // through the user's language
  ASSERT_TRUE(SetThreadLocale(0x0407));
  EXPECT_EQ(String(IDS_GERMAN_NEUTRAL), u"Deutsch");
  EXPECT_EQ(String(IDS_NEUTRAL), u"Neutral");
  EXPECT_EQ(String(IDS_HELLO), u"Hello");
}

TEST_F(ResourceTest, LoadStringLengthTruncationAndTheZeroSizeForm) {
  EXPECT_EQ(String(IDS_FORMAT), u"Value: %s\tdone");  // adjacent strings join
  EXPECT_EQ(String(IDS_QUOTED), u"Say \"hi\", AA\\");  // doubled quotes and escapes
  WCHAR buf[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
  EXPECT_EQ(LoadStringW(module_, IDS_HELLO, buf, 3), 2);
  EXPECT_EQ(std::u16string(buf), u"He");
  EXPECT_EQ(LoadStringW(module_, IDS_HELLO, buf, 1), 0);
  EXPECT_EQ(buf[0], 0);
  // The zero-size form: a read-only pointer to the string, which is not terminated.
  const WCHAR* text = nullptr;
  EXPECT_EQ(LoadStringW(module_, IDS_HELLO, reinterpret_cast<LPWSTR>(&text), 0), 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 5), u"Hello");
  // Missing strings: in a block that exists, and in one that does not.
  for (UINT id : {UINT{IDS_EMPTY_SLOT}, UINT{5000}}) {
    buf[0] = u'x';
    EXPECT_EQ(LoadStringW(module_, id, buf, 8), 0) << id;
    EXPECT_EQ(buf[0], 0);
  }
  char ansi[4];
  EXPECT_EQ(LoadStringA(module_, IDS_HELLO, ansi, sizeof ansi), 3);
  EXPECT_STREQ(ansi, "Hel");
  // The module reads its own strings through the handle its DllMain received.
  using LoadFn = int (*)(UINT, WCHAR*, int);
  auto own = reinterpret_cast<LoadFn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "TestModLoadString")));
  ASSERT_NE(own, nullptr);
  WCHAR mine[16];
  EXPECT_EQ(own(IDS_HELLO, mine, 16), 5);
}

TEST_F(ResourceTest, ErrorsAndEnumeration) {
  SetLastError(0);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(1), RT_HTML), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(9999), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(module_, u"IDD_TEST", RT_DIALOG), nullptr);
  // A module without resources has none, even though the host it links to is loaded.
  HMODULE plain = LoadLibraryW(u"TestModB.dll");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(FindResourceW(plain, MAKEINTRESOURCEW(IDD_TEST), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
  WCHAR buf[4] = {u'x'};
  EXPECT_EQ(LoadStringW(plain, IDS_HELLO, buf, 4), 0);
  // A resource handle of one module is not one of another.
  HRSRC dialog = FindResourceW(module_, MAKEINTRESOURCEW(IDD_TEST), RT_DIALOG);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(LoadResource(plain, dialog), nullptr);
  EXPECT_EQ(SizeofResource(plain, dialog), 0u);
  EXPECT_EQ(SizeofResource(module_, reinterpret_cast<HRSRC>(reinterpret_cast<char*>(dialog) + 1)), 0u);
  FreeLibrary(plain);

  std::vector<uintptr_t> names;
  auto collect = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
    reinterpret_cast<std::vector<uintptr_t>*>(param)->push_back(reinterpret_cast<uintptr_t>(name));
    return TRUE;
  };
  ASSERT_TRUE(EnumResourceNamesW(module_, RT_DIALOG, collect, reinterpret_cast<LONG_PTR>(&names)));
  EXPECT_EQ(names, (std::vector<uintptr_t>{IDD_TEST, IDD_OLD, IDD_FILEOPEN}));
  names.clear();
  ASSERT_TRUE(EnumResourceNamesW(module_, RT_RCDATA, collect, reinterpret_cast<LONG_PTR>(&names)));
  EXPECT_EQ(names, (std::vector<uintptr_t>{IDR_DATA}));  // one name, two languages
  std::vector<std::u16string> named;
  auto collectNames = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
    reinterpret_cast<std::vector<std::u16string>*>(param)->push_back(name);
    return TRUE;
  };
  ASSERT_TRUE(EnumResourceNamesW(module_, u"CUSTOM", collectNames, reinterpret_cast<LONG_PTR>(&named)));
  EXPECT_EQ(named, std::vector<std::u16string>{u"MYDATA"});
  EXPECT_FALSE(EnumResourceNamesW(module_, RT_HTML, collect, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

}  // namespace
