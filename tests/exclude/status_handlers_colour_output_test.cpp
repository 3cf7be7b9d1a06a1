// Handlers of the colour, job, authentication and output statuses against the sample printer:
// each group read, set with a value that holds, refused with its error code, and the record
// versions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "api_fixture.h"
#include "api_options.h"
#include "api_support.h"
#include "option_validation.h"
#include "settings_files.h"
#include "status_layouts.h"

namespace {

using OutputStatusTest = zolt::test::OpenApiTest;

bool Supported(DriverContext* ctx, uint32_t id) {
  uint8_t bitmap[64] = {};
  ZOLTDrvGetCaps(ctx, 0, bitmap);
  return (bitmap[(id - 1) >> 3] & (0x80 >> ((id - 1) & 7))) != 0;
}

// The test model with colour adjustment per object, margins and marks, index rotation, the
// manual-tray orientation and the cut of the fore edge.
class OutputModelTest : public zolt::test::OpenApiTest {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "tests" / "exclude" / "data" / "ZOLTOUT.QCS";
  }
};

// Reading a status and setting the same record back changes nothing and succeeds, for every id
// of the group whose set handler takes back what its get handler gives.
TEST_F(OutputModelTest, EachStatusTakesBackWhatItReports) {
  const uint32_t ids[] = {38, 39, 40, 41, 42, 43, 45, 46, 48, 49, 51, 58, 61, 64, 65, 66, 68, 69,
                          71, 72, 74, 76, 77, 78, 79, 81, 82, 83, 84, 257, 262, 264};
  for (uint32_t id : ids) {
    if (!Supported(ctx_, id)) continue;
    std::vector<uint8_t> buffer(1024, 0);
    auto* record = reinterpret_cast<StatusRecord*>(buffer.data());
    const int32_t size = ZOLTDrvGetStatus(ctx_, id, record, 0);
    if (size == -1) {
      // Only a status that needs a capability the printer lacks, or a main option that the model
      // does not describe, may refuse to be read.
      EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrGeneral) << "status " << id;
      continue;
    }
    EXPECT_GE(size, 32) << "status " << id;
    const int32_t set = ZOLTDrvSetStatus(ctx_, id, record, nullptr, 0);
    if (set == 0) {
      std::vector<uint8_t> again(1024, 0);
      ASSERT_EQ(ZOLTDrvGetStatus(ctx_, id, reinterpret_cast<StatusRecord*>(again.data()), 0), size);
      EXPECT_EQ(std::memcmp(again.data(), buffer.data(), static_cast<size_t>(size)), 0) << "status " << id;
    } else {
      // A refusal is one of the codes of the frame: not selectable, refused, or a user macro.
      const int32_t error = ZOLTDrvGetLastError(ctx_);
      EXPECT_TRUE(error == kApiErrNotSupported || error == kApiErrRefused || error == kApiErrUserMacro ||
                  error == kApiErrConflict)
          << "status " << id << " error " << error;
    }
  }
}

TEST_F(OutputModelTest, ValuesThatHoldAndValuesRefused) {
  struct Case {
    uint32_t id;
    int32_t value;
    int32_t field8;
    int32_t result;
    int32_t error;            // the last error after a refusal
    uint16_t option;          // 0: nothing to look at
    int32_t optionValue;
  } cases[] = {
      {38, 1, 0, 0, 0, 128, 1},                  // adjustment per object
      {38, 5, 0, -1, kApiErrRefused, 0, 0},       // no such adjustment
      {45, 1, 0, 0, 0, 385, 1},
      {45, 2, 0, -1, kApiErrRefused, 0, 0},       // a switch is 0 or 1
      {58, 1, 1, 0, 0, 405, 1},                   // manual tray in landscape
      {58, 0, 7, 0, 0, 388, 0},                   // off: the orientation is not looked at
      {58, 1, 7, -1, kApiErrRefused, 0, 0},       // no such orientation
      {62, 1, 0, -1, kApiErrConflict, 0, 0},      // index rotation needs the index media type
      {62, 5, 0, -1, kApiErrRefused, 0, 0},
      {69, 1, 0, 0, 0, kApiOptFuncSelectMargin, 1},  // the overlap switches the margins on
      {70, 1, 1, 0, 0, 82, 1},                    // crop marks on the first page too
      {72, 1, 0, 0, 0, 395, 1},
      {82, 1, 240, -1, kApiErrNotSupported, 0, 0},  // the cut is not on any dialog of this model
      {257, 2, 0, 0, 0, kApiOptAdjustObject, 2},
      {257, 3, 0, -1, kApiErrRefused, 0, 0},
  };
  for (const Case& c : cases) {
    StatusRecord r = Get(ctx_, c.id);
    r.value = c.value;
    r.fields[0] = c.field8;
    const std::string before = SettingsBytes(ctx_);
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, c.id, &r, nullptr, 0), c.result) << "status " << c.id << " value " << c.value;
    if (c.result != 0) {
      EXPECT_EQ(ZOLTDrvGetLastError(ctx_), c.error) << "status " << c.id << " value " << c.value;
      EXPECT_EQ(SettingsBytes(ctx_), before) << "status " << c.id << " value " << c.value;
      continue;
    }
    if (c.option) {
      EXPECT_EQ(OptGetValue(ctx_, c.option, nullptr), c.optionValue) << "status " << c.id;
    }
    const StatusRecord after = Get(ctx_, c.id);
    EXPECT_EQ(after.value, c.value) << "status " << c.id;
  }
}

// A per-object colour value goes to the object's copy while the adjustment is per object, and
// the get still reports the page value and all three copies.
TEST_F(OutputModelTest, ColourValuesFollowTheAdjustedObject) {
  auto valueAt = [](const StatusRecord& r, size_t offset) {
    int16_t v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&r) + offset, 2);
    return v;
  };
  auto setValue = [](StatusRecord& r, int16_t v) { std::memcpy(reinterpret_cast<uint8_t*>(&r) + 8, &v, 2); };
  StatusRecord r = Get(ctx_, 40);
  EXPECT_EQ(valueAt(r, 8), 50);  // the model's default brightness
  setValue(r, 70);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 40, &r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 138, nullptr), 70);
  setValue(r, 200);  // beyond the model's range
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 40, &r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  // Per object, line art: the line copy (wdmBrightnessLine) takes the value.
  OptSetValue(ctx_, kApiOptAdjustMode, 1);
  OptSetValue(ctx_, kApiOptAdjustObject, 1);
  setValue(r, 30);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 40, &r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 994, nullptr), 30);
  EXPECT_EQ(OptGetValue(ctx_, 138, nullptr), 70);
  const StatusRecord after = Get(ctx_, 40);
  EXPECT_EQ(valueAt(after, 8), 70);   // the page
  EXPECT_EQ(valueAt(after, 12), 30);  // line art
  // Colour mode 255 is refused while text is the adjusted object.
  OptSetValue(ctx_, kApiOptAdjustObject, 0);
  StatusRecord mode{};
  mode.version = 1;
  setValue(mode, 255);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 39, &mode, nullptr, 0), -1);
}

// The print method with its job data: the record of each version, passwords by their rules,
// methods the driver never takes, and the texts handed to the job-control module.
TEST_F(OutputModelTest, PrintMethodAndJobData) {
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 10, nullptr, 1), 392);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 10, nullptr, 2), 408);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 10, nullptr, 3), 484);
  std::vector<uint8_t> buffer(484, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 10, r, 0), 484);
  int32_t flags = 0;
  std::memcpy(&flags, buffer.data() + 8, 4);
  EXPECT_EQ(flags, 0x7FF9);
  auto record = [&](int32_t method, int32_t given, const char* user, const char* password) {
    std::fill(buffer.begin(), buffer.end(), 0);
    r->version = 3;
    r->value = method;
    std::memcpy(buffer.data() + 8, &given, 4);
    std::memcpy(buffer.data() + 12, user, std::strlen(user) + 1);
    std::memcpy(buffer.data() + 21, password, std::strlen(password) + 1);
  };
  for (int32_t method : {4, 6}) {
    record(method, 0, "", "");
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 10, r, nullptr, 0), -1) << method;
  }
  ASSERT_EQ(OptCheckValue(kApiOptPrnMethod, 1, ctx_), 1);
  struct Case {
    const char* user;
    const char* password;
    int32_t result;
  } cases[] = {
      {"ab12", "12a4", -1},   // a letter in the password
      {"ab12", "123", -1},    // too short
      {"a b", "1234", -1},    // a blank in the user id
      {"", "1234", -1},       // locked print needs a user id
      {"ab12", "1234", 0},
  };
  for (const Case& c : cases) {
    record(1, 0x3, c.user, c.password);
    const std::string before = SettingsBytes(ctx_);
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 10, r, nullptr, 0), c.result) << c.user << " " << c.password;
    if (c.result != 0) {
      EXPECT_EQ(SettingsBytes(ctx_), before);
      continue;
    }
    EXPECT_EQ(OptGetValue(ctx_, kApiOptPrnMethod, nullptr), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(OptGetValuePointer(ctx_, 207, nullptr)), c.password);
    EXPECT_STREQ(reinterpret_cast<const char*>(OptGetValuePointer(ctx_, 202, nullptr)), c.user);
  }
}

// Record versions: a newer record is applied as far as the driver knows it, or not at all with
// mode 2; a newer layout cannot be read.
TEST_F(OutputModelTest, RecordVersions) {
  StatusRecord r = Get(ctx_, 38);
  r.value = 1;
  r.version = 3;
  const std::string before = SettingsBytes(ctx_);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 38, &r, nullptr, 2), 1);
  EXPECT_EQ(SettingsBytes(ctx_), before);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 38, &r, nullptr, 0), 1);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptAdjustMode, nullptr), 1);
  StatusRecord newer{};
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 38, &newer, 2), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrVersion);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 38, nullptr, 1), 32);
}

// The refusals with codes of their own.
TEST_F(OutputStatusTest, RefusalsWithTheirOwnCodes) {
  struct Case {
    uint32_t id;
    int32_t value;
    int32_t field8;
    int32_t error;
    const char* why;
  } cases[] = {
      {62, 1, 0, kApiErrConflict, "index rotation needs the index media type"},
      {62, 5, 0, kApiErrRefused, "no such index rotation"},
      {64, 3, 0, kApiErrConflict, "a back cover of type 3 needs duplex"},
      {64, 9, 0, kApiErrRefused, "no such back cover"},
      {65, 7, 0, kApiErrRefused, "no such reverse cover"},
      {61, 99, 0, kApiErrRefused, "no such load-share mode"},
      {73, 1, 0, kApiErrRefused, "page separation needs the driver-defaults bit"},
  };
  OptSetValue(ctx_, kApiOptMediaType, 1);
  OptSetValue(ctx_, kApiOptFuncSelectDuplex, 0);
  for (const Case& c : cases) {
    if (!Supported(ctx_, c.id)) continue;
    StatusRecord r{};
    r.version = 1;
    r.value = c.value;
    r.fields[0] = c.field8;
    const std::string before = SettingsBytes(ctx_);
    const int32_t result = ZOLTDrvSetStatus(ctx_, c.id, &r, nullptr, 0);
    EXPECT_EQ(result, -1) << c.why;
    const int32_t error = ZOLTDrvGetLastError(ctx_);
    // A status whose main option the model's rules hold is refused before its handler runs.
    if (error != kApiErrNotSupported) {
      EXPECT_EQ(error, c.error) << c.why;
    }
    EXPECT_EQ(SettingsBytes(ctx_), before) << c.why;
  }
  // Page separation cannot be read either without the bit.
  if (Supported(ctx_, 73)) {
    EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 73, nullptr, 0), -1);
  }
}

// The driver's information, and the selectors that later interface versions no longer take.
TEST_F(OutputStatusTest, InformationSelectors) {
  std::vector<uint8_t> buffer(300, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  r->value = 0;
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), 300);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + 8), "7.70");
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + 40), "7.424");
  // The keyword list: its length first, then the list itself into a buffer of that length.
  std::fill(buffer.begin(), buffer.end(), 0);
  r->value = 248;
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), 300);
  int32_t length = 0;
  std::memcpy(&length, buffer.data() + 28, 4);
  if (length > 0) {
    std::vector<char> keywords(static_cast<size_t>(length), '\x7F');
    char* address = keywords.data();
    const int32_t one = 1;
    std::memcpy(buffer.data() + 24, &one, 4);
    std::memcpy(buffer.data() + 32, &address, sizeof address);
    ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), 300) << ZOLTDrvGetLastError(ctx_);
    EXPECT_EQ(keywords[static_cast<size_t>(length) - 1], 0);
    EXPECT_EQ(keywords[static_cast<size_t>(length) - 2], 0);
    // A buffer said to be shorter than the list is refused rather than overrun.
    const int32_t shorter = length - 1;
    std::memcpy(buffer.data() + 28, &shorter, 4);
    EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), -1);
    EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  }
  // No buffer given for the list: refused with 7.
  std::fill(buffer.begin(), buffer.end(), 0);
  r->value = 248;
  const int32_t one = 1;
  std::memcpy(buffer.data() + 24, &one, 4);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  // 247 is no longer read from version 12 on, 248-253 no longer set.
  std::fill(buffer.begin(), buffer.end(), 0);
  r->value = 247;
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 50, r, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrNoLongerAccepted2);
  r->version = 1;
  r->value = 250;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 50, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrNoLongerAccepted);
  // An unknown selector is taken without change.
  r->value = 7;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 50, r, nullptr, 0), 0);
}

// A tray that the printer does not list has no information.
TEST_F(OutputStatusTest, TrayInformationOfListedTraysOnly) {
  std::vector<uint8_t> buffer(56, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  r->value = 0x7FFF;
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 63, r, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  const int32_t trays = ZOLTDrvGetCaps(ctx_, 2, nullptr);
  if (trays > 0) {
    std::vector<uint32_t> codes(static_cast<size_t>(trays));
    ZOLTDrvGetCaps(ctx_, 2, codes.data());
    r->value = static_cast<int32_t>(codes[0]);
    EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 63, r, 0), 56);
  }
  // It cannot be set.
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 63, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrGeneral);
}

// Header and footer: flags beyond the three parts are cut in the caller's record, and no part
// on writes no font. Chapters stay off without entries. Copy protection off needs nothing else.
TEST_F(OutputStatusTest, HeaderFooterChaptersAndCopyProtection) {
  std::vector<uint8_t> buffer(108, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 47, r, 0), 108) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(r->version, 2u);
  char before[40] = {};
  std::memcpy(before, OptGetValuePointer(ctx_, 115, nullptr), 32);
  r->value = 8;
  std::memcpy(buffer.data() + 8, "No Such Face", 13);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 47, r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(r->value, 0);
  for (uint16_t option : {100, 101, 102}) EXPECT_EQ(OptGetValue(ctx_, option, nullptr), 0) << option;
  EXPECT_EQ(std::memcmp(OptGetValuePointer(ctx_, 115, nullptr), before, 32), 0);
  // With the date on, a face that is not installed is refused with 8.
  r->value = 1;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 47, r, nullptr, 0), -1);
  const int32_t error = ZOLTDrvGetLastError(ctx_);
  EXPECT_TRUE(error == kApiErrFontMissing || error == kApiErrRefused) << error;
  // The 104-byte layout of version 1; a layout above the row's is refused.
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 47, nullptr, 1), 104);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 47, nullptr, 3), -1);

  std::vector<uint8_t> chapters(40, 0);
  auto* c = reinterpret_cast<StatusRecord*>(chapters.data());
  c->version = 2;
  c->value = 1;  // on, operation 0, no entries
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 67, c, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptFuncSelectChapter, nullptr), 0);
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 67, c, 0), 40);
  EXPECT_EQ(c->value, 0);
  // Entry 1 of an empty list cannot be read, nor deleted.
  std::memset(chapters.data(), 0, chapters.size());
  const int32_t one = 1, deleteOne = 2;
  std::memcpy(chapters.data() + 16, &one, 4);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 67, c, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  c->version = 2;
  c->value = 1;
  std::memcpy(chapters.data() + 8, &deleteOne, 4);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 67, c, nullptr, 0), -1);

  std::vector<uint8_t> protect(172, 0);
  auto* p = reinterpret_cast<StatusRecord*>(protect.data());
  p->version = 1;
  OptSetValue(ctx_, 79, 1);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 55, p, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 79, nullptr), 0);
  p->value = 4;  // no such mode
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 55, p, nullptr, 0), -1);
}

// A settings file: loaded into the printer's settings by the set, read without changing them by
// the get; relative, missing and foreign files are refused with their codes.
TEST_F(OutputStatusTest, SettingsFilesLoadedAndRead) {
  std::vector<uint8_t> buffer(824, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  auto setPath = [&](const char* path) {
    std::fill(buffer.begin(), buffer.end(), 0);
    r->version = 1;
    std::memcpy(buffer.data() + 4, path, std::strlen(path) + 1);
  };
  setPath("settings.rsd");
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 1, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrBadFile);
  setPath("C:\\missing.rsd");
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 1, r, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrBadFile);
  // A file that is no settings file of this driver.
  ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLT Office 7000", u"wdmPresetName", u"Other", u"C:\\foreign.rsd"));
  setPath("C:\\foreign.rsd");
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 1, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrSettingsVersion);
  // The printer's own settings saved, changed, then loaded back by the set.
  const int32_t media = OptGetValue(ctx_, 54, nullptr);
  ASSERT_TRUE(CfgSaveSettingsFile(ctx_->printer, u"C:\\own.rsd", 0, ctx_));
  ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLT Office 7000", u"wdmPresetComment", u"first\\nsecond", u"C:\\own.rsd"));
  StatusRecord thick = Get(ctx_, 3);
  thick.value = StoredValueOf(ctx_, 54, "IDS_MEDIATYPE_THICK");
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &thick, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  ASSERT_NE(OptGetValue(ctx_, 54, nullptr), media);
  setPath("C:\\own.rsd");
  const std::string before = SettingsBytes(ctx_);
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 1, r, 0), 824) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(SettingsBytes(ctx_), before);  // reading the file leaves the settings
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + 301), "first\r\nsecond");
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 1, r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 54, nullptr), media);
}

// The interface's watermark, kept in its own stamp slot of the settings file: read as written,
// refused without change for a face that is not installed (8), a text kind without text and an
// image file that is not there (10).
TEST_F(OutputStatusTest, InterfaceWatermark) {
  std::vector<uint8_t> buffer(420, 0);
  auto* r = reinterpret_cast<StatusRecord*>(buffer.data());
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 16, nullptr, 0), 420);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 16, nullptr, 1), 372);
  // Opening the interface made the slot: a copy of stamp 0.
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 16, r, 0), 420) << ZOLTDrvGetLastError(ctx_);
  const std::string before = SettingsBytes(ctx_);

  auto textRecord = [&](const char* text, const char* face) {
    std::fill(buffer.begin(), buffer.end(), 0);
    r->version = 0;
    r->value = 1;  // text
    ApiRecordPutI32(r, 8, 0);     // position: centre
    ApiRecordPutI32(r, 36, 72);   // size in points
    ApiRecordPutI32(r, 40, 0);    // angle
    ApiRecordPutI32(r, 32, 50);   // density
    std::memcpy(buffer.data() + 44, text, std::strlen(text) + 1);
    std::memcpy(buffer.data() + 77, face, std::strlen(face) + 1);
  };
  textRecord("DRAFT", "No Such Face");
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 16, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrFontMissing);
  EXPECT_EQ(SettingsBytes(ctx_), before);
  textRecord("", "Arial");
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 16, r, nullptr, 0), -1);
  EXPECT_EQ(SettingsBytes(ctx_), before);

  // An image watermark (the text kinds need a face the desktop lists).
  zolt::test::WriteBytes(Real(u"C:\\logo.bmp"), "BM");
  std::fill(buffer.begin(), buffer.end(), 0);
  r->value = 2;
  ApiRecordPutI32(r, 36, 150);  // scale in percent
  std::memcpy(buffer.data() + 109, "C:\\logo.bmp", 12);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 16, r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  std::vector<uint8_t> got(420, 0xCD);
  auto* g = reinterpret_cast<StatusRecord*>(got.data());
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 16, g, 0), 420) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(g->value, 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(got.data() + 109), "C:\\logo.bmp");
  int32_t scale = 0;
  std::memcpy(&scale, got.data() + 36, 4);
  EXPECT_EQ(scale, 150);
  // A file that is not there is refused with 10.
  std::memcpy(buffer.data() + 109, "C:\\gone.bmp", 12);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 16, r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrBadFile);

  // A second interface context of the same printer reads the same slot.
  Close(ctx_);
  ctx_ = Open();
  ASSERT_NE(ctx_, nullptr);
  std::vector<uint8_t> again(420, 0);
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 16, reinterpret_cast<StatusRecord*>(again.data()), 0), 420);
  EXPECT_STREQ(reinterpret_cast<const char*>(again.data() + 109), "C:\\logo.bmp");
}

}  // namespace
