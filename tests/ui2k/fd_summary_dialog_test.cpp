// The settings summary: the texts of the status, preset maintenance and version summaries for
// both sample models (golden text files), which lines the condition tables let through, the
// cut-off of a long text, and the status dialog that shows the summary.
//
// ZOLT_UPDATE_GOLDEN=1 writes the texts into tests/ui2k/golden instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_summary.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;
namespace fs = std::filesystem;

constexpr uint16_t kOptWatermarkOn = 60;  // zdmFuncSelectWaterMark
constexpr uint16_t kOptWatermarkKind = 117;
constexpr uint16_t kOptMarginOn = 67;  // zdmFuncSelectMargin
constexpr uint16_t kOptDateOn = 100, kOptPageOn = 101, kOptStringOn = 102;
constexpr uint16_t kOptUserCode = 203;

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class Summary : public zolt::test::FeatureDialogTest {
 protected:
  ControlDescriptor* Control(uint16_t dialogId, uint16_t controlId) {
    DialogDescriptor* dialog = OptFindDialog(ctx, dialogId);
    return dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
  }
  std::u16string Text(ControlDescriptor* control, int cch = kFdSummaryListChars) {
    std::vector<WCHAR> buffer(size_t(cch), 0);
    FdBuildSummaryText(ctx, nullptr, control, buffer.data(), cch);
    return std::u16string(buffer.data());
  }
  // The indices of the lines of a list that the condition tables let through.
  std::set<int> Shown(ControlDescriptor* control) {
    int count = 0;
    const SummaryLine* lines = FdGetSummaryLines(control, &count);
    FdSummaryCounters counters{};
    std::set<int> shown;
    for (int i = 0; i < count; ++i)
      if (FdIsSummaryLineShown(ctx, &lines[i], &counters, nullptr)) shown.insert(i);
    return shown;
  }
};

constexpr uint16_t kDlgStatus = 1020, kCtlStatus = 2248;
constexpr uint16_t kDlgMaintenance = 1007, kCtlMaintenance = 2148;
constexpr uint16_t kDlgVersion = 4027, kCtlVersion = 3086;

// The three summaries of a model's default settings, and of a text watermark with a header
// showing only the page number, against the golden text of the model.
// A sample model and the language of its library ("us" English, "jp" Japanese).
struct ModelAndLanguage {
  const char* model;
  const char* language;
};

class SummaryOfModel : public Summary, public ::testing::WithParamInterface<ModelAndLanguage> {
 protected:
  fs::path ModelFile() const override { return fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / GetParam().model; }
  std::string LanguageLibrary() const override {
    return std::string(std::string(GetParam().model).rfind("ZOLT2", 0) == 0 ? "ZOLT2R" : "ZOLT7R") +
           GetParam().language + ".DLL";
  }
};

TEST_P(SummaryOfModel, TextsMatchTheGoldenFile) {
  std::string all;
  auto add = [&](const char* title) {
    all += std::string("== ") + title + "\n";
    all += Utf8(Text(Control(kDlgStatus, kCtlStatus))) + "\n-- maintenance\n";
    all += Utf8(Text(Control(kDlgMaintenance, kCtlMaintenance))) + "\n-- version\n";
    all += Utf8(Text(Control(kDlgVersion, kCtlVersion))) + "\n";
  };
  add("defaults");
  OptSetValue(ctx, kOptWatermarkOn, 1);
  OptSetValue(ctx, kOptWatermarkKind, 1);
  OptSetValue(ctx, kOptMarginOn, 1);
  OptSetValue(ctx, kOptPageOn, 1);
  add("text watermark, page number");
  std::string name = GetParam().model;
  name = "summary_" + name.substr(0, name.find('.'));
  if (std::string(GetParam().language) != "us") name += std::string("_") + GetParam().language;
  name += ".txt";
  const fs::path golden = fs::path(ZOLT_SOURCE_DIR) / "tests/ui2k/golden" / name;
  if (const char* update = std::getenv("ZOLT_UPDATE_GOLDEN"); update && *update == '1') {
    zolt::test::WriteBytes(golden, all);
    return;
  }
  EXPECT_EQ(all, zolt::test::ReadBytes(golden)) << golden;
}

INSTANTIATE_TEST_SUITE_P(SampleModels, SummaryOfModel,
                         ::testing::Values(ModelAndLanguage{"ZOLT7000.QCS", "us"}, ModelAndLanguage{"ZOLT2100.QCS", "us"},
                                           ModelAndLanguage{"ZOLT7000.QCS", "jp"}, ModelAndLanguage{"ZOLT2100.QCS", "jp"}),
                         [](const auto& info) {
                           return std::string(info.param.model).substr(0, 8) + "_" + info.param.language;
                         });

// The Japanese library labels the summary lines in Japanese: none of the English labels is left.
class JapaneseSummary : public Summary {
 protected:
  std::string LanguageLibrary() const override { return "ZOLT7Rjp.DLL"; }
};

TEST_F(JapaneseSummary, EveryLabelComesFromTheJapaneseLibrary) {
  OptSetValue(ctx, kOptMarginOn, 1);
  OptSetValue(ctx, kOptPageOn, 1);
  for (const auto& [dialog, control] : {std::pair{kDlgStatus, kCtlStatus}, std::pair{kDlgMaintenance, kCtlMaintenance},
                                         std::pair{kDlgVersion, kCtlVersion}}) {
    SCOPED_TRACE(dialog);
    const std::u16string text = Text(Control(dialog, control));
    ASSERT_FALSE(text.empty());
    for (const char16_t* english : {u"Resolution: ", u"Paper Source: ", u"Print Type: ", u"Header and Footer", u"Position: ",
                                    u"Version Information", u"User Code: "})
      EXPECT_EQ(text.find(english), std::u16string::npos) << Utf8(english);
  }
  EXPECT_EQ(Text(Control(kDlgVersion, kCtlVersion)).rfind(u"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831", 0), 0u)
      << "the version summary starts with its title";
}

// Which watermark and header lines of the maintenance summary are shown (indices of its list:
// 11-23 the text watermark, 24-29 the image, 30-32 the overlay; 37-45 the header and footer).
TEST_F(Summary, WatermarkAndHeaderLinesFollowTheirSettings) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint16_t, int32_t>> settings;
    int first, last;
    std::set<int> shown;
  } cases[] = {
      {"watermark off", {{kOptWatermarkOn, 0}, {kOptWatermarkKind, 1}}, 11, 32, {}},
      {"text watermark", {{kOptWatermarkOn, 1}, {kOptWatermarkKind, 1}}, 11, 32,
       {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
      {"image watermark", {{kOptWatermarkOn, 1}, {kOptWatermarkKind, 2}}, 11, 32, {24, 25, 26, 27, 28, 29}},
      {"overlay", {{kOptWatermarkOn, 1}, {kOptWatermarkKind, 3}}, 11, 32, {30, 31, 32}},
      {"header off", {{kOptMarginOn, 0}, {kOptDateOn, 1}, {kOptPageOn, 1}, {kOptStringOn, 1}}, 34, 45, {}},
      {"page number only", {{kOptMarginOn, 1}, {kOptDateOn, 0}, {kOptPageOn, 1}, {kOptStringOn, 0}}, 34, 45,
       {34, 35, 36, 37, 40, 41, 42, 43}},
      {"date and text", {{kOptMarginOn, 1}, {kOptDateOn, 1}, {kOptPageOn, 0}, {kOptStringOn, 1}}, 34, 45,
       {34, 35, 36, 37, 38, 39, 40, 43, 44, 45}},
  };
  ControlDescriptor* control = Control(kDlgMaintenance, kCtlMaintenance);
  ASSERT_NE(control, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [option, value] : c.settings) OptSetValue(ctx, option, value);
    std::set<int> shown;
    for (int i : Shown(control))
      if (i >= c.first && i <= c.last) shown.insert(i);
    EXPECT_EQ(shown, c.shown);
  }
}

// The version summary ends with the user code; without one, with an empty line.
TEST_F(Summary, EmptyUserCodeLeavesAnEmptyLine) {
  ControlDescriptor* control = Control(kDlgVersion, kCtlVersion);
  ASSERT_NE(control, nullptr);
  OptSetStringValue(ctx, OptFind(ctx, kOptUserCode), u"");
  const std::u16string empty = Text(control);
  EXPECT_EQ(empty.substr(empty.size() - 2), u"\r\n");
  OptSetStringValue(ctx, OptFind(ctx, kOptUserCode), u"4711");
  const std::u16string set = Text(control);
  EXPECT_EQ(set.substr(set.rfind(u"\r\n") + 2), u"User Code: 4711");
}

// A list longer than the buffer stops with the mark while 256 characters are still free; a
// control without a list shows its option's text, cut to its buffer.
TEST_F(Summary, LongListsStopWithTheMarkAndPlainControlsShowTheirText) {
  constexpr int kLines = 600;
  std::vector<uint16_t> aux{kFdSummaryAuxTag, kLines};
  for (int i = 0; i < kLines; ++i) aux.insert(aux.end(), {1001, 0, 13});
  ControlDescriptor list{};
  list.kind = 1;
  list.auxRecord = aux.data();
  const std::u16string text = Text(&list);
  const std::u16string mark = u"\u30FB\u30FB\u30FB\u30FB\u30FBetc";
  ASSERT_GE(text.size(), mark.size());
  EXPECT_EQ(text.substr(text.size() - mark.size()), mark);
  EXPECT_GT(int(text.size()), kFdSummaryListChars - kFdSummaryReserve);
  EXPECT_LT(int(text.size()), kFdSummaryListChars);

  ControlDescriptor plain{};
  plain.kind = 1;
  plain.option = OptFind(ctx, kOptUserCode);
  OptSetStringValue(ctx, plain.option, u"CODE1");
  EXPECT_EQ(Text(&plain, kFdSummaryPlainChars), u"CODE1");
  EXPECT_EQ(Text(&plain, 3), u"CO");
}

// The status dialog shows the summary when it paints, in the control the user sees.
TEST_F(Summary, StatusDialogShowsTheSummary) {
  std::u16string shown;
  ui::WhenIdle([&](HWND modal) {
    shown = ui::Text(ui::FindControl(modal, kCtlStatus));
    ui::Click(ui::FindControl(modal, IDOK));
  });
  UiRunSubDialog(ctx, kDialogModal, kDlgStatus, nullptr);
  ControlDescriptor* control = Control(kDlgStatus, kCtlStatus);
  ASSERT_NE(control, nullptr);
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(shown, Text(control));
}

}  // namespace
