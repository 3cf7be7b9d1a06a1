// The plug-ins of a category from the machine's registry and from the plug-in list file, for
// an administrator and a plain user, and with values that do not fit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_fixture.h"
#include "plugin_registry.h"

namespace {

using zolt::test::WriteBytes;

constexpr char kDir[] = "C:\\drv";

// A plug-in as the lookup gave it; "(null)" stands for a missing text.
struct Plugin {
  std::string id, name, path;
  int32_t forceRaw = 0, perPrinter = 0;
  bool operator==(const Plugin&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Plugin& p) {
  return out << "{" << p.id << ", " << p.name << ", " << p.path << ", " << p.forceRaw << ", " << p.perPrinter << "}";
}

std::string TextOf(const char* text) { return text ? text : "(null)"; }

class PluginRegistry : public zolt::test::MachineTest {
 protected:
  void TearDown() override {
    for (HKEY key : keys_) RegCloseKey(key);
    MachineTest::TearDown();
  }

  // The key of a registered plug-in (created), kept open for values.
  HKEY Key(const std::u16string& category, const std::u16string& id) {
    const std::u16string path = u"Software\\ORVEX\\ZoltPlugins\\" + category + u"\\" + id;
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    keys_.push_back(key);
    return key;
  }
  static void Text(HKEY key, const WCHAR* name, const std::u16string& value, bool terminated = true) {
    const DWORD bytes = static_cast<DWORD>((value.size() + (terminated ? 1 : 0)) * sizeof(WCHAR));
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes), ERROR_SUCCESS);
  }
  static void Number(HKEY key, const WCHAR* name, DWORD value, DWORD type = REG_DWORD) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(&value), sizeof value), ERROR_SUCCESS);
  }
  void ListFile(const std::string& text) {
    CreateDirectoryW(u"C:\\drv", nullptr);
    WriteBytes(Real(u"C:\\drv\\ZOLTPLUG.ini"), text);
  }

  static std::vector<Plugin> Lookup(const char* category, const char* dir = kDir) {
    std::vector<Plugin> plugins;
    PluginList* list = PlgEnumCategory(category, dir);
    if (!list) return plugins;
    for (uint32_t i = 0; i < list->count; ++i) {
      const PluginEntry* e = list->entries[i];
      plugins.push_back({TextOf(e->identifier), TextOf(e->name), TextOf(e->installPath), e->forceRaw, e->perPrinter});
    }
    EXPECT_EQ(PlgFreeList(list), 1);
    return plugins;
  }

  // Two registered filters, one of them listed again in the file with other letter case.
  void BothSources() {
    HKEY a = Key(u"iZOLTFilter", u"RegA");
    Text(a, u"Name", u"Reg A");
    Text(a, u"InstallPath", u"C:\\Plugins\\rega.dll");
    Number(a, u"ForceRAW", 1);
    HKEY shared = Key(u"iZOLTFilter", u"Shared");
    Text(shared, u"Name", u"From the registry");
    Number(shared, u"PerPrinter", 1);
    ListFile("[iZOLTFilter]\r\nCount=3\r\nPluginID0=SHARED\r\nPluginID1=FileB\r\nPluginID2=FileC\r\n"
             "[SHARED]\r\nName=From the file\r\nInstallPath=shared.dll\r\n"
             "[FileB]\r\nName=File B\r\nInstallPath=sub\\b.dll\r\nForceRAW=1\r\nPerPrinter=2\r\n"
             "[FileC]\r\nName=File C\r\n");
  }
  const std::vector<Plugin> both_ = {
      {"RegA", "Reg A", "C:\\Plugins\\rega.dll", 1, 0},
      {"Shared", "From the registry", "(null)", 0, 1},
      {"FileB", "File B", "C:\\drv\\sub\\b.dll", 1, 2},
      {"FileC", "File C", "C:\\drv\\", 0, 0},
  };

  std::vector<HKEY> keys_;
};

TEST_F(PluginRegistry, BothSourcesTheRegistryFirstAndOnceForAnIdentifierInBoth) {
  BothSources();
  EXPECT_EQ(Lookup(kPluginCategoryOutputFilter), both_);
  // Without a driver directory only the registry answers.
  EXPECT_EQ(Lookup(kPluginCategoryOutputFilter, nullptr), (std::vector<Plugin>{both_[0], both_[1]}));
}

TEST_F(PluginRegistry, APlainUserSeesTheSamePlugins) {
  BothSources();
  for (HKEY key : keys_) RegCloseKey(key);
  keys_.clear();
  zolt::host::MachineFacts facts = zolt::host::Machine::Facts();
  facts.userIsAdmin = false;
  ASSERT_TRUE(zolt::host::Machine::SetFacts(facts));
  // The machine's keys refuse this user all access; reading is allowed.
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\ORVEX\\ZoltPlugins\\iZOLTFilter", 0, KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(Lookup(kPluginCategoryOutputFilter), both_);
}

TEST_F(PluginRegistry, ACategoryWithNothingGivesNoList) {
  BothSources();
  ListFile("[Empty]\r\nCount=0\r\n[Negative]\r\nCount=-4\r\nPluginID0=X\r\n[Blank]\r\nCount=1\r\nPluginID0=\r\n");
  for (const char* category : {"Other", "Empty", "Negative", "Blank", ""}) EXPECT_TRUE(Lookup(category).empty()) << category;
  EXPECT_EQ(PlgEnumCategory(nullptr, kDir), nullptr);
  EXPECT_EQ(PlgFreeList(nullptr), 1);
  // A registered identifier whose key has gone is skipped, and not taken from the file either.
  Key(u"Gone", u"G");
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\ORVEX\\ZoltPlugins\\Gone\\G"), ERROR_SUCCESS);
  EXPECT_TRUE(Lookup("Gone").empty());
}

TEST_F(PluginRegistry, RegistryValuesThatDoNotFitOrHaveTheWrongTypeAreNotTaken) {
  HKEY k = Key(u"Cat", u"Fits");
  Text(k, u"Name", std::u16string(250, u'n'));           // 251 bytes with its terminator
  Text(k, u"InstallPath", std::u16string(251, u'p'));    // 252 bytes: too long
  Number(k, u"ForceRAW", 5, REG_BINARY);                 // four bytes of another type still count
  Text(k, u"PerPrinter", u"1");                          // a text is no number
  HKEY w = Key(u"Cat", u"WrongTypes");
  Number(w, u"Name", 7);
  Text(w, u"InstallPath", u"C:\\x.dll", false);          // stored without its terminator
  Key(u"Cat", std::u16string(251, u'L'));                // a name longer than an identifier
  const std::vector<Plugin> got = Lookup("Cat");
  EXPECT_EQ(got, (std::vector<Plugin>{{"Fits", std::string(250, 'n'), "(null)", 5, 0},
                                      {"WrongTypes", "(null)", "C:\\x.dll", 0, 0}}));
}

TEST_F(PluginRegistry, ListFileValuesThatDoNotFitAreNotTaken) {
  const std::string longId(251, 'i');
  ListFile("[Cat]\r\nCount=4\r\nPluginID0=" + longId + "\r\nPluginID1=" + std::string(250, 'j') +
           "\r\nPluginID2=Long\r\nPluginID3=NoSection\r\n[" + std::string(250, 'j') + "]\r\nName=J\r\n" +
           "[Long]\r\nName=" + std::string(251, 'n') + "\r\nInstallPath=" + std::string(251, 'p') +
           "\r\nForceRAW=abc\r\n");
  EXPECT_EQ(Lookup("Cat"), (std::vector<Plugin>{{std::string(250, 'j'), "J", "C:\\drv\\", 0, 0},
                                                {"Long", "(null)", "(null)", 0, 0},
                                                {"NoSection", "", "C:\\drv\\", 0, 0}}));
  // A count beyond reason reads no further than the bound.
  ListFile("[Cat]\r\nCount=2000000000\r\nPluginID0=A\r\nPluginID7=B\r\n");
  EXPECT_EQ(Lookup("Cat"), (std::vector<Plugin>{{"A", "", "C:\\drv\\", 0, 0}, {"B", "", "C:\\drv\\", 0, 0}}));
}

}  // namespace
