// A tables-only driver context with a settings image and the sample model packed in memory, for
// the tests of the model queries and the condition evaluator.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "../option/option_image_context.h"
#include "context_services.h"
#include "core_memory.h"
#include "mdl_compile.h"
#include "model_query.h"
#include "option_access.h"

namespace zolt::test {

// The bytes of a sample model description.
inline std::string SampleSource(const char* name) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/models/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Symbols of the sample models: the shared tables, except that the sample's settings which the
// shared tables do not tie to an option yet are tied to options of the same nature (a bit, a
// count, a text), and value names the shared tables lack or leave without a number get numbers of their own.
class SampleSymbols {
 public:
  static const MdlSymbolLookups* Lookups() {
    static const MdlSymbolLookups lookups = {&FindName, &FindValue, nullptr, &FindDialog, nullptr};
    return &lookups;
  }

 private:
  static SampleSymbols& Instance() {
    static SampleSymbols s;
    return s;
  }
  SampleSymbols() {
    options_ = {
        {"ZPD_IDC_EDIT_CHOICE_DUPLEX", 58},        // zdmFuncSelectDuplex (bit)
        {"ZPD_IDC_BASIC_EDIT_SCALE_V", 90},        // zdmScaleV
        {"ZPD_IDC_FINISH_CHOICE_STAPLE", 63},      // zdmFuncSelectStaple (bit)
        {"ZPD_IDC_FINISH_CHOICE_PUNCH", 62},       // zdmFuncSelectPunch (bit)
        {"ZPD_IDC_FINISH_CHOICE_SORT", 61},        // zdmFuncSelectSort (bit)
        {"ZPD_IDC_BASIC_EDIT_COPIES", 12},         // dmCopies
        {"ZPD_MultiLock", 10386},                  // zdmLockInfoLockInfo (bit)
        {"ZPD_IDC_PRINTTYPE_EDIT_PASSWORD", 1145}, // wdmAuthenticationPassword (ANSI text)
        {"ZPD_IDC_USERCODE_EDIT_USERCODE", 1144},  // wdmAuthenticationUserName (ANSI text)
    };
  }
  static const NameEntry* FindName(const char* name) {
    SampleSymbols& s = Instance();
    const NameEntry* shared = OptFindSymbolByName(name);
    auto it = s.options_.find(name);
    if (!shared || it == s.options_.end()) return shared;
    auto [entry, added] = s.names_.try_emplace(name, NameEntry{it->second, shared->nameIndex, shared->name});
    return &entry->second;
  }
  // The two dialog pages the sample's rules name.
  static int FindDialog(const char* name, uint16_t* dialogId) {
    std::string_view n(name);
    if (n != "ZPD_IDD_BASIC" && n != "ZPD_IDD_EDIT") return 0;
    *dialogId = n == "ZPD_IDD_BASIC" ? 1002 : 1003;
    return 1;
  }
  static const ValueNameEntry* FindValue(const char* name) {
    const ValueNameEntry* shared = OptFindValueSymbolByName(name);
    if (shared && shared->value != 0 && shared->value != kValueNameUnfixed) return shared;
    if (!shared && std::strncmp(name, "IDS_", 4) != 0) return nullptr;
    SampleSymbols& s = Instance();
    auto it = s.values_.find(name);
    if (it == s.values_.end()) {
      const char* kept = s.strings_.emplace_back(name).c_str();
      it = s.values_.emplace(kept, ValueNameEntry{0, 0, static_cast<uint32_t>(60000 + s.values_.size()), 1, kept, 0}).first;
    }
    return &it->second;
  }

  std::map<std::string, uint16_t, std::less<>> options_;
  std::map<std::string, NameEntry, std::less<>> names_;
  std::map<std::string, ValueNameEntry, std::less<>> values_;
  std::deque<std::string> strings_;
};

// Compiles and packs a source with the samples' symbols; the image (MdlFreeMem) or NULL.
inline ModelImage* PackSource(const std::string& source) {
  MdlSetSymbolLookups(SampleSymbols::Lookups());
  CompileContext* cc = MdlCompileBytes(source.data(), source.size());
  MdlSetSymbolLookups(nullptr);
  return cc ? MdlPackImage(cc) : nullptr;
}

// A context given a model image (owned by the test) and an evaluator stack.
class ModelContextTest : public ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    ASSERT_EQ(MdlAllocEvalStack(ctx), 0);
  }
  void TearDown() override {
    if (ctx) ctx->modelImage = nullptr;
    MdlFreeMem(image_);
    ImageContextTest::TearDown();
  }
  // Attaches an image (taking it over); it must pass the image check.
  void Attach(ModelImage* image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(MdlCheckImage(image, image->header.totalSize), 1);
    MdlFreeMem(image_);
    image_ = image;
    ctx->modelImage = image;
  }
  void AttachSource(const std::string& source) { Attach(PackSource(source)); }

  static const NameEntry* Symbol(const char* symbol) {
    MdlSetSymbolLookups(SampleSymbols::Lookups());
    const NameEntry* e = MdlFindSymbol(symbol);
    MdlSetSymbolLookups(nullptr);
    return e;
  }
  static uint16_t Id(const char* symbol) {
    const NameEntry* e = Symbol(symbol);
    EXPECT_NE(e, nullptr) << symbol;
    return e ? e->optionId : 0;
  }
  static uint16_t Key(const char* symbol) {
    const NameEntry* e = Symbol(symbol);
    EXPECT_NE(e, nullptr) << symbol;
    return e ? e->nameIndex : 0;
  }
  static uint16_t Value(const char* name) {
    MdlSetSymbolLookups(SampleSymbols::Lookups());
    const ValueNameEntry* e = MdlFindValue(name);
    MdlSetSymbolLookups(nullptr);
    EXPECT_NE(e, nullptr) << name;
    return e ? static_cast<uint16_t>(e->value) : 0;
  }
  // Sets a setting by its symbol to a UI value (value ID or number) and checks that it holds.
  void Set(const char* symbol, uint32_t valueId) {
    uint16_t id = Id(symbol);
    ASSERT_EQ(OptSetUiValue(ctx, id, valueId), 1) << symbol;
    ASSERT_EQ(static_cast<uint32_t>(OptGetUiValue(ctx, id, nullptr)), valueId) << symbol;
  }
  uint32_t Get(const char* symbol) { return static_cast<uint32_t>(OptGetUiValue(ctx, Id(symbol), nullptr)); }
  const ModelItem* Item(const char* symbol) { return MdlFindItem(Id(symbol), ctx); }

  ModelImage* image_ = nullptr;
};

// The same with the 7000 sample attached.
class SampleModelTest : public ModelContextTest {
 protected:
  void SetUp() override {
    ModelContextTest::SetUp();
    if (HasFatalFailure()) return;
    AttachSource(SampleSource("ZOLT7000.QCS"));
  }
};

}  // namespace zolt::test
