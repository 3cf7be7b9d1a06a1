// The device-capability lists answered from a loaded model: papers, paper names and sizes, bins
// and bin names, resolutions and extents, with the two-call protocol; the resolution table
// lookups and the single answers.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../mdl/mdl_eval_fixture.h"
#include "device_caps.h"
#include "free_size.h"
#include "option_context_words.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "feature_modules.h"

namespace {

using zolt::test::ModelContextTest;

// Symbols of the tests' own models: the shared tables; the duplex choice tied to a bit option
// (zdmFuncSelectDuplex, 58), as the shared tables do not tie it yet; and a resolution item of
// zdmDstResolutionBoth (152), which the shared names do not name, with values that are the
// resolution table's own values.
const NameEntry kDuplexSymbol = {58, 524, "ZPD_IDC_EDIT_CHOICE_DUPLEX"};
const NameEntry kBothSymbol = {152, 2000, "ZPD_TestResolutionBoth"};
const NameEntry* FindName(const char* name) {
  for (const NameEntry* own : {&kDuplexSymbol, &kBothSymbol})
    if (std::strcmp(name, own->name) == 0) return own;
  return OptFindSymbolByName(name);
}
const ValueNameEntry* FindValue(const char* name) {
  static const std::map<std::string, ValueNameEntry> own = {
      {"RES_300", {152, 2000, 1, 1, "RES_300", 1}},     {"RES_600", {152, 2000, 3, 1, "RES_600", 3}},
      {"RES_600B", {152, 2000, 17, 1, "RES_600B", 17}}, {"RES_1200", {152, 2000, 4, 1, "RES_1200", 4}},
      {"RES_NOROW", {152, 2000, 99, 1, "RES_NOROW", 99}},
  };
  if (auto it = own.find(name); it != own.end()) return &it->second;
  const ValueNameEntry* shared = OptFindValueSymbolByName(name);
  return shared && shared->value != kValueNameUnfixed ? shared : nullptr;
}
int NoName(const char*, uint16_t*) { return 0; }
const MdlSymbolLookups kLookups = {&FindName, &FindValue, &NoName, &NoName, &NoName};

// A small model: five papers (A5 and the trays 3 excluded while duplex is on), five trays.
constexpr char kPapersAndTrays[] = R"(*FileVersion: 1.00
*OpenUI *ZPD_IDC_PRESET_CHOICE_PAPERSIZE: PickPage
*DefaultZPD_IDC_PRESET_CHOICE_PAPERSIZE: IDS_PAPERSIZE_A4
*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_A4: "A4"
*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_A5: "A5"
*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_FREESIZE1: "Custom 1"
*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_LETTER: "Letter"
*PageMMValue ANY IDS_PAPERSIZE_A4: "2100 2970"
*PageMMValue ANY IDS_PAPERSIZE_A5: "1480 2100"
*PageMMValue ANY IDS_PAPERSIZE_LETTER: "2159 2794"
*CloseUI: *ZPD_IDC_PRESET_CHOICE_PAPERSIZE
*OpenUI *ZPD_IDC_PRESET_CHOICE_SOURCETRAY: PickSlot
*DefaultZPD_IDC_PRESET_CHOICE_SOURCETRAY: IDS_SOURCE_AUTO
*ZPD_IDC_PRESET_CHOICE_SOURCETRAY IDS_SOURCE_AUTO: "Automatic"
*ZPD_IDC_PRESET_CHOICE_SOURCETRAY IDS_SOURCE_TRAY1: "Tray 1"
*ZPD_IDC_PRESET_CHOICE_SOURCETRAY IDS_SOURCE_TRAY2: "Tray 2"
*ZPD_IDC_PRESET_CHOICE_SOURCETRAY IDS_SOURCE_TRAY3: "Tray 3"
*ZPD_IDC_PRESET_CHOICE_SOURCETRAY IDS_OPTION_PFTRAY: "Tray 4"
*CloseUI: *ZPD_IDC_PRESET_CHOICE_SOURCETRAY
*OpenUI *ZPD_IDC_EDIT_CHOICE_DUPLEX: Boolean
*DefaultZPD_IDC_EDIT_CHOICE_DUPLEX: False
*CloseUI: *ZPD_IDC_EDIT_CHOICE_DUPLEX
*Judge 1=DuplexOn: ZPD_IDC_EDIT_CHOICE_DUPLEX == 1
*Item 1=TrayValues: { {IDS_SOURCE_TRAY3 DuplexOn NULL NULL} }
*Item 2=PaperValues: { {IDS_PAPERSIZE_A5 DuplexOn NULL NULL} }
*Exclusive: { {ZPD_IDC_PRESET_CHOICE_SOURCETRAY NULL NULL TrayValues NULL NULL NULL NULL}
  {ZPD_IDC_PRESET_CHOICE_PAPERSIZE NULL NULL PaperValues NULL NULL NULL NULL} }
)";

// The resolution given as a number (zdmDstResolutionW) and the choices of zdmDstResolutionBoth.
std::string NumericResolution(const char* both) {
  return std::string("*FileVersion: 1.00\n"
                     "*OpenUI *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION: Numeric\n"
                     "*NumericValue: \"4 600 150 2400 1 1\"\n"
                     "*CloseUI: *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION\n") +
         both;
}

constexpr uint16_t kOptDuplex = 58;  // the option the tests' symbols give the duplex choice

class DeviceCaps : public ModelContextTest {
 protected:
  void AttachOwn(const std::string& source) {
    MdlSetSymbolLookups(&kLookups);
    CompileContext* cc = MdlCompileBytes(source.data(), source.size());
    MdlSetSymbolLookups(nullptr);
    ASSERT_NE(cc, nullptr);
    Attach(MdlPackImage(cc));
  }
  void AttachSample() { AttachSource(zolt::test::SampleSource("ZOLT7000.QCS")); }
  void UseEnglishStrings() {
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    EnvFreeResourceDlls(ctx);
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  void SetDuplex(int on) { ASSERT_EQ(OptSetValue(ctx, kOptDuplex, on), 1); }

  std::vector<WORD> Papers(WORD setting = kCapsPaperSetting) {
    const int n = DmCapsPapers(ctx, nullptr, setting);
    if (n < 0) return {};
    std::vector<WORD> out(n + 1, 0xEEEE);
    EXPECT_EQ(DmCapsPapers(ctx, out.data(), setting), n);
    EXPECT_EQ(out[n], 0xEEEE);  // nothing past the count
    out.resize(n);
    return out;
  }
  std::vector<WORD> Bins() {
    const int n = DmCapsBins(ctx, nullptr, 0);
    if (n < 0) return {};
    std::vector<WORD> out(n + 1, 0xEEEE);
    EXPECT_EQ(DmCapsBins(ctx, out.data(), 0), n);
    EXPECT_EQ(out[n], 0xEEEE);
    out.resize(n);
    return out;
  }
  // Names of fixed-width slots; each slot is checked to be zero-filled after its text.
  std::vector<std::u16string> Names(int (*fill)(DriverContext*, WCHAR*, int, WORD), int step, WORD setting) {
    const int n = fill(ctx, nullptr, step, setting);
    if (n < 0) return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(n + 1) * step, u'#');
    EXPECT_EQ(fill(ctx, buffer.data(), step, setting), n);
    std::vector<std::u16string> names;
    for (int i = 0; i < n; ++i) {
      const WCHAR* slot = &buffer[static_cast<size_t>(i) * step];
      std::u16string name(slot, std::char_traits<char16_t>::length(slot));
      EXPECT_LT(name.size(), static_cast<size_t>(step));
      for (size_t k = name.size(); k < static_cast<size_t>(step); ++k) EXPECT_EQ(slot[k], u'\0') << i << ' ' << k;
      names.push_back(name);
    }
    EXPECT_EQ(buffer[static_cast<size_t>(n) * step], u'#');
    return names;
  }
  std::vector<std::u16string> PaperNames(int step = kCapsPaperNameChars, WORD setting = kCapsPaperSetting) {
    return Names(&DmCapsPaperNames, step, setting);
  }
  static int BinNamesOf(DriverContext* c, WCHAR* out, int step, WORD) { return DmCapsBinNames(c, out, step, 0); }
  std::vector<std::u16string> BinNames(int step = kCapsBinNameChars) { return Names(&BinNamesOf, step, 0); }
  std::vector<std::pair<LONG, LONG>> Sizes(WORD setting = kCapsPaperSetting) {
    const int n = DmCapsPaperSizes(ctx, nullptr, setting);
    if (n < 0) return {};
    std::vector<POINT> out(n);
    EXPECT_EQ(DmCapsPaperSizes(ctx, out.data(), setting), n);
    std::vector<std::pair<LONG, LONG>> sizes;
    for (const POINT& p : out) sizes.emplace_back(p.x, p.y);
    return sizes;
  }
  std::vector<std::pair<int32_t, int32_t>> Resolutions() {
    const int n = DmCapsResolutions(ctx, nullptr);
    std::vector<int32_t> out(2 * n + 1, -7);
    EXPECT_EQ(DmCapsResolutions(ctx, out.data()), n);
    EXPECT_EQ(out[2 * n], -7);
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int i = 0; i < n; ++i) pairs.emplace_back(out[2 * i], out[2 * i + 1]);
    return pairs;
  }
  std::vector<int32_t> ResolutionValues() {
    const int n = DmCapsResolutionList(ctx, nullptr, 1);
    std::vector<int32_t> out(n);
    EXPECT_EQ(DmCapsResolutionList(ctx, out.data(), 1), n);
    return out;
  }
};

using SizeList = std::vector<std::pair<LONG, LONG>>;
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(DeviceCaps, SampleModelPapersNamesAndSizes) {
  AttachSample();
  UseEnglishStrings();
  EXPECT_EQ(Papers(), (std::vector<WORD>{8, 9, 11, 12, 13, 1, 5, 3}));
  EXPECT_EQ(PaperNames(), (std::vector<std::u16string>{u"A3", u"A4", u"A5", u"B4 (JIS)", u"B5 (JIS)", u"Letter",
                                                       u"Legal", u"Tabloid"}));
  // A narrow slot cuts the name and keeps its terminator.
  EXPECT_EQ(PaperNames(4)[3], u"B4 ");
  EXPECT_EQ(Sizes(), (SizeList{{2970, 4200}, {2100, 2970}, {1480, 2100}, {2570, 3640}, {1820, 2570}, {2159, 2794},
                            {2159, 3556}, {2794, 4318}}));
  EXPECT_EQ(Resolutions(), (Pairs{{600, 600}, {1200, 1200}}));
  EXPECT_EQ(ResolutionValues(), (std::vector<int32_t>{3, 4}));

  // Another list setting (the print size, zdmOutPaperSize) lists every value with its own
  // stored codes; sizes come from the paper list, none for "same as paper".
  EXPECT_EQ(Papers(46), (std::vector<WORD>{1024, 8, 9, 11, 1, 5}));
  EXPECT_EQ(Sizes(46), (SizeList{{0, 0}, {2970, 4200}, {2100, 2970}, {1480, 2100}, {2159, 2794}, {2159, 3556}}));
}

TEST_F(DeviceCaps, SampleModelBypassTrayHasNoStoredCode) {
  // The bypass tray has no text in the dmDefaultSource list: its name carries its string id
  // there, which names no stored code, so the sample's bin list is not usable.
  AttachSample();
  EXPECT_EQ(DmCapsBins(ctx, nullptr, 0), -1);
  WORD out[8] = {};
  EXPECT_EQ(DmCapsBins(ctx, out, 0), -1);
  // The names need no stored code.
  EXPECT_EQ(BinNames().size(), 6u);
}

TEST_F(DeviceCaps, ExcludedPapersAndBinsFollowTheSettings) {
  AttachOwn(kPapersAndTrays);
  UseEnglishStrings();
  SetDuplex(0);
  EXPECT_EQ(Papers(), (std::vector<WORD>{9, 11, 384, 1}));
  EXPECT_EQ(Bins(), (std::vector<WORD>{7, 1, 3, 2, 4}));
  EXPECT_EQ(BinNames().size(), 5u);

  SetDuplex(1);  // A5 and tray 3 are excluded now
  EXPECT_EQ(Papers(), (std::vector<WORD>{9, 384, 1}));
  EXPECT_EQ(PaperNames().size(), 3u);
  EXPECT_EQ(Sizes().size(), 3u);
  EXPECT_EQ(Bins(), (std::vector<WORD>{7, 1, 3, 4}));
  EXPECT_EQ(BinNames().size(), 4u);

  // A module that answers notify 33 lists every bin; papers do not ask it.
  FeatureModule row{0, nullptr, nullptr, nullptr,
                    [](DriverContext*, DWORD code, void* param, void*) -> int {
                      if (code != kFmNotifyListAllBins) return 0;
                      *static_cast<DWORD*>(param) = 1;
                      return 1;
                    }};
  FeatureModuleList modules{1, &row};
  FeatureModuleList* attached = ctx->workArea->moduleList;
  ctx->workArea->moduleList = &modules;
  EXPECT_EQ(Bins(), (std::vector<WORD>{7, 1, 3, 2, 4}));
  EXPECT_EQ(BinNames().size(), 5u);
  EXPECT_EQ(Papers().size(), 3u);
  ctx->workArea->moduleList = attached;
}

TEST_F(DeviceCaps, CustomSizeSlotsNameAndSizeTheirPapers) {
  AttachOwn(kPapersAndTrays);
  UseEnglishStrings();
  CtxAddPendingFlags(ctx, kPendingFreeSizesLoaded);  // the slots below stand as loaded
  FreeSizeSlot& slot = ctx->workArea->freeSizeSlots[0];  // paper 384
  std::strcpy(slot.displayName, "Envelope C6");
  std::strcpy(slot.userName, "not shown");
  slot.width = 3306;   // 1/1200 inch: 699.7 mm/10, rounded up
  slot.length = 6992;  // 1479.97
  EXPECT_EQ(PaperNames(), (std::vector<std::u16string>{u"A4", u"A5", u"Envelope C6", u"Letter"}));
  EXPECT_EQ(Sizes(), (SizeList{{2100, 2970}, {1480, 2100}, {700, 1480}, {2159, 2794}}));

  // A name that fills the whole 64-byte field is cut to the slot, never read past the field.
  std::memset(slot.displayName, 'x', sizeof slot.displayName);
  EXPECT_EQ(PaperNames()[2], std::u16string(63, u'x'));
  EXPECT_EQ(PaperNames(8)[2], u"xxxxxxx");
  slot.width = -5;
  EXPECT_EQ(Sizes()[2], (std::pair<LONG, LONG>{0, 1480}));
}

TEST_F(DeviceCaps, ListsWithoutAUsableItemAnswerMinusOne) {
  // No model at all, a model without the items, and a setting that is not a list.
  EXPECT_EQ(DmCapsPapers(ctx, nullptr, kCapsPaperSetting), -1);
  EXPECT_EQ(DmCapsBins(ctx, nullptr, 0), -1);
  EXPECT_EQ(DmCapsPapers(nullptr, nullptr, kCapsPaperSetting), -1);
  AttachOwn(NumericResolution(""));
  EXPECT_EQ(DmCapsPapers(ctx, nullptr, kCapsPaperSetting), -1);
  EXPECT_EQ(DmCapsPaperNames(ctx, nullptr, kCapsPaperNameChars, kCapsPaperSetting), -1);
  EXPECT_EQ(DmCapsPaperSizes(ctx, nullptr, kCapsPaperSetting), -1);
  EXPECT_EQ(DmCapsBinNames(ctx, nullptr, kCapsBinNameChars, 0), -1);
  AttachOwn(kPapersAndTrays);
  EXPECT_EQ(DmCapsPapers(ctx, nullptr, 38), -1);
  // The source tray is a PickSlot, not a plain list: another setting takes PickOne items only.
  EXPECT_EQ(DmCapsPapers(ctx, nullptr, 13), -1);
  // A buffer with a step of no characters cannot take a name.
  WCHAR names[64];
  EXPECT_EQ(DmCapsPaperNames(ctx, names, 0, kCapsPaperSetting), -1);
  EXPECT_EQ(DmCapsBinNames(ctx, names, -1, 0), -1);
}

TEST_F(DeviceCaps, ResolutionsFromTheNumericItemAndTheTableChoices) {
  const Pairs fallback = {{600, 600}};
  struct Case {
    const char* both;
    int32_t current;
    Pairs pairs;
    std::vector<int32_t> values;
  } cases[] = {
      // A list of table values: only square rows, a repeated x or y left out.
      {"*OpenUI *ZPD_TestResolutionBoth: PickOne\n*DefaultZPD_TestResolutionBoth: RES_600\n"
       "*ZPD_TestResolutionBoth RES_300: \"300\"\n*ZPD_TestResolutionBoth RES_600: \"600\"\n"
       "*ZPD_TestResolutionBoth RES_600B: \"600 B\"\n*ZPD_TestResolutionBoth RES_1200: \"1200\"\n"
       "*CloseUI: *ZPD_TestResolutionBoth\n",
       600, {{300, 300}, {600, 600}, {1200, 1200}}, {1, 3, 4}},
      // A value without a table row spoils the list.
      {"*OpenUI *ZPD_TestResolutionBoth: PickOne\n*DefaultZPD_TestResolutionBoth: RES_600\n"
       "*ZPD_TestResolutionBoth RES_600: \"600\"\n*ZPD_TestResolutionBoth RES_NOROW: \"?\"\n"
       "*CloseUI: *ZPD_TestResolutionBoth\n",
       600, fallback, {3}},
      // A numeric item of both gives the current resolution.
      {"*OpenUI *ZPD_TestResolutionBoth: Numeric\n*NumericValue: \"3 3 1 40 1 1\"\n"
       "*CloseUI: *ZPD_TestResolutionBoth\n",
       1200, {{1200, 1200}}, {4}},
      // No current resolution: the profile's default.
      {"*OpenUI *ZPD_TestResolutionBoth: Numeric\n*NumericValue: \"3 3 1 40 1 1\"\n"
       "*CloseUI: *ZPD_TestResolutionBoth\n",
       0, fallback, {3}},
      // No item of both.
      {"", 600, fallback, {3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.both);
    AttachOwn(NumericResolution(c.both));
    ASSERT_EQ(OptSetValue(ctx, 38, c.current), 1);
    EXPECT_EQ(Resolutions(), c.pairs);
    EXPECT_EQ(ResolutionValues(), c.values);
  }
  // A model without a resolution item answers the profile's resolution too.
  AttachOwn(kPapersAndTrays);
  EXPECT_EQ(Resolutions(), fallback);
}

TEST_F(DeviceCaps, ExtentsAreTheProfileLimitsInTenthsOfAMillimetre) {
  for (int32_t unit : {0, 1}) {  // metric and inch display
    ASSERT_EQ(OptSetValue(ctx, 171, unit), 1);
    POINTS extent = {-1, -1};
    EXPECT_EQ(DmCapsExtent(ctx, &extent, kCapsMinExtent), (1480u << 16) | 700u);
    EXPECT_EQ(extent.x, 700);
    EXPECT_EQ(extent.y, 1480);
    EXPECT_EQ(DmCapsExtent(ctx, &extent, kCapsMaxExtent), (4320u << 16) | 2970u);
    EXPECT_EQ(extent.x, 2970);
    EXPECT_EQ(extent.y, 4320);
    EXPECT_EQ(DmCapsExtent(ctx, nullptr, kCapsMaxExtent), (4320u << 16) | 2970u);
  }
  POINTS untouched = {5, 6};
  EXPECT_EQ(DmCapsExtent(ctx, &untouched, 3), 0u);
  EXPECT_EQ(untouched.x, 5);
  EXPECT_EQ(CtxGetLandscapeAngle(ctx), 90);
}

TEST_F(DeviceCaps, DuplexAndColourAnswers) {
  EXPECT_EQ(OptIsDuplexInstalled(ctx), 0);
  ASSERT_EQ(OptSetValue(ctx, 10014, 1), 1);
  EXPECT_EQ(OptIsDuplexInstalled(ctx), 1);

  BYTE dm[kFullDevModeSize] = {};
  auto setColour = [&](BYTE machineType, int16_t dmColor) {
    dm[810] = machineType;
    std::memcpy(dm + 92, &dmColor, 2);
  };
  struct Case {
    BYTE machineType;
    int16_t dmColor;
    BYTE lockBits;
    int colour;
  } cases[] = {
      {0x01, 2, 0, 1}, {0x01, 1, 0, 1},  // colour machine; monochrome alone does not hide it
      {0x01, 1, 1, 0},                   // the colour lock forces monochrome
      {0x01, 2, 1, 1}, {0x01, 1, 2, 1},  // locked to colour, or another lock bit
      {0xFE, 2, 0, 0}, {0x00, 1, 1, 0},  // a monochrome machine
  };
  for (const Case& c : cases) {
    setColour(c.machineType, c.dmColor);
    ASSERT_EQ(DmGetMachineTypeBits(dm), c.machineType);
    ASSERT_EQ(DmGetColor(dm), c.dmColor);
    EXPECT_EQ(DmIsColorDevice(c.lockBits, dm), c.colour) << int(c.machineType) << ' ' << c.dmColor << ' ' << int(c.lockBits);
  }
  EXPECT_EQ(DmIsColorDevice(0, nullptr), 0);

  EXPECT_EQ(OptTestByteBit(0x80, 7), 1);
  EXPECT_EQ(OptTestByteBit(0x100, 0), 0);  // only the low byte counts
  EXPECT_EQ(OptTestByteBit(0xFF, 8), 0);
  EXPECT_EQ(OptTestByteBit(0xFF, -1), 0);
}

TEST(ResolutionTable, LookupsByValueAndDpi) {
  const ResolutionEntry* row = OptFindResolutionRow(37);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->xDpi, 1200);
  EXPECT_EQ(OptFindResolutionRow(0), nullptr);
  EXPECT_EQ(OptFindResolutionRow(24), nullptr);
  EXPECT_EQ(OptFindResolutionRow(-1), nullptr);

  EXPECT_EQ(OptFindResolutionValue(600, 600), 3);
  EXPECT_EQ(OptFindResolutionValue(150, 150), 33);
  EXPECT_EQ(OptFindResolutionValue(600, 300), 0);
  EXPECT_EQ(OptFindResolutionValue(0, 600), 0);
  EXPECT_EQ(OptFindResolutionByX(300), 1);
  EXPECT_EQ(OptFindResolutionByX(2400), 5);
  EXPECT_EQ(OptFindResolutionByX(0), 0);
  EXPECT_EQ(OptFindResolutionByX(500), 0);

  // Walking the 600-dpi rows one after the other, in table order.
  std::vector<int> chain;
  for (int v = OptFindResolutionByX(600); v != 0; v = OptFindNextResolutionByX(600, static_cast<int16_t>(v)))
    chain.push_back(v);
  EXPECT_EQ(chain, (std::vector<int>{3, 17, 18, 19, 36, 20, 21, 22, 23}));
  EXPECT_EQ(OptFindNextResolutionByX(1200, 4), 37);
  EXPECT_EQ(OptFindNextResolutionByX(1200, 37), 0);
  EXPECT_EQ(OptFindNextResolutionByX(600, 99), 0);  // no row for the current value
}

}  // namespace
