// Helpers of the model description tests: a small symbol table of the tests' own, compiling a
// source held in a string, and reading the compiled records.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver_context.h"
#include "mdl_compile.h"
#include "option_table.h"

namespace zolt::test {

// Symbols of the tests: option symbols with their option ID and name index, value names with
// their value. In permissive mode every "ZPD_" name and every upper-case value name resolves
// (each new name gets the next number), so that a description can be checked for form alone.
class TestSymbols {
 public:
  static void Install(bool permissive = false) {
    Instance().permissive_ = permissive;
    static const MdlSymbolLookups lookups = {&FindName, &FindValue, &FindMessage, &FindDialog, &FindControl};
    MdlSetSymbolLookups(&lookups);
  }
  static void Remove() { MdlSetSymbolLookups(nullptr); }

 private:
  static TestSymbols& Instance() {
    static TestSymbols symbols;
    return symbols;
  }
  TestSymbols() {
    AddName(8, 406, "ZPD_Paper");
    AddName(13, 399, "ZPD_Tray");
    AddName(54, 397, "ZPD_Media");
    AddName(58, 500, "ZPD_Duplex");
    AddName(12, 501, "ZPD_Copies");
    AddName(203, 502, "ZPD_UserCode");
    AddName(10012, 503, "ZPD_Memory");
    AddName(1500, 504, "ZPD_Mid");
    AddName(2000, 505, "ZPD_NoSlot");
    AddName(180, 506, "ZPD_Fonts");
    AddName(8, 507, "ZPD_Paper2");
    AddName(0, 508, "ZPD_Cond");
    AddValue("PAPER_A4", 10001);
    AddValue("PAPER_A3", 10002);
    AddValue("PAPER_LETTER", 10003);
    AddValue("TRAY_1", 20001);
    AddValue("TRAY_2", 20002);
    AddValue("RES_600", 600);
    AddValue("PORTRAIT", 1);
    AddValue("LANDSCAPE", 2);
    AddValue("FONT_TABLE", 30001);
    AddValue("FONT_BITMAP", 30002);
    AddValue("USER_DEFAULT", 40001);
    AddValue("MEDIA_PLAIN", 7);
    AddValue("ON_VALUE", 5);
  }
  // Names of the rule statements: one alert message, two dialogs and two controls.
  static int FindMessage(const char* name, uint16_t* nameIndex) {
    if (Fixed(name, "ZPD_TestMessage", 275, nameIndex)) return 1;
    const MessageEntry* m = Instance().permissive_ ? OptFindMessageByName(nullptr, name) : nullptr;
    if (m) *nameIndex = m->nameIndex;
    return m != nullptr;
  }
  static int FindDialog(const char* name, uint16_t* dialogId) {
    return Fixed(name, "ZPD_IDD_BASIC", 1002, dialogId) || Fixed(name, "ZPD_IDD_EDIT", 1003, dialogId);
  }
  static int FindControl(const char* name, uint16_t* controlId) {
    return Fixed(name, "ZPD_IDC_DUPLEX", 2101, controlId) || Fixed(name, "ZPD_IDC_COPIES", 2102, controlId);
  }
  static int Fixed(const char* name, const char* known, uint16_t number, uint16_t* out) {
    if (std::string_view(name) != known) return 0;
    *out = number;
    return 1;
  }
  void AddName(uint16_t option, uint16_t index, const char* name) {
    names_[name] = NameEntry{option, index, Keep(name)};
  }
  void AddValue(const char* name, uint32_t value) {
    values_[name] = ValueNameEntry{0, 0, value, 1, Keep(name), 0};
  }
  const char* Keep(std::string_view name) { return strings_.emplace_back(name).c_str(); }

  static const NameEntry* FindName(const char* name) {
    TestSymbols& s = Instance();
    auto it = s.names_.find(name);
    if (it != s.names_.end()) return &it->second;
    if (!s.permissive_ || std::string_view(name).substr(0, 4) != "ZPD_") return nullptr;
    uint16_t next = static_cast<uint16_t>(1000 + s.names_.size());
    s.AddName(static_cast<uint16_t>(next - 900), next, name);
    return &s.names_[name];
  }
  static const ValueNameEntry* FindValue(const char* name) {
    TestSymbols& s = Instance();
    auto it = s.values_.find(name);
    if (it != s.values_.end()) return &it->second;
    std::string_view n(name);
    bool upper = !n.empty() && n.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string_view::npos;
    if (!s.permissive_ || !upper || n.find('_') == std::string_view::npos) return nullptr;
    s.AddValue(name, static_cast<uint32_t>(50000 + s.values_.size()));
    return &s.values_[name];
  }

  bool permissive_ = false;
  std::deque<std::string> strings_;
  std::map<std::string, NameEntry, std::less<>> names_;
  std::map<std::string, ValueNameEntry, std::less<>> values_;
};

struct ContextDeleter {
  void operator()(CompileContext* ctx) const { MdlFreeCompileContext(ctx); }
};
using ContextPtr = std::unique_ptr<CompileContext, ContextDeleter>;

// Statements that the compiler skipped or ignored, as "offset keyword: reason".
struct SkipLog {
  std::vector<std::string> entries;
  MdlCompileObserver observer{this, &SkipLog::Note};
  static void Note(void* user, uint32_t offset, const char* keyword, const char* reason) {
    static_cast<SkipLog*>(user)->entries.push_back(std::to_string(offset) + " " + keyword + ": " + reason);
  }
};

inline ContextPtr CompileText(std::string_view source, SkipLog* log = nullptr) {
  return ContextPtr(MdlCompileBytes(source.data(), source.size(), log ? &log->observer : nullptr));
}

inline std::string TextAt(const CompileContext* ctx, uint32_t link) {
  const char* text = MdlAt<char>(ctx, link);
  return text ? std::string(text) : std::string("<none>");
}

inline ModelItem* ItemAt(const CompileContext* ctx, uint16_t nameIndex, uint16_t variant = 0) {
  return MdlAt<ModelItem>(ctx, MdlFindItemVariant(ctx, nameIndex, variant));
}

// The value IDs of an item's list values, in list order.
inline std::vector<uint16_t> ValueIds(const CompileContext* ctx, const ModelItem* item) {
  std::vector<uint16_t> ids;
  for (uint32_t link = item ? item->values : 0; link;) {
    const auto* v = MdlAt<ModelValue>(ctx, link);
    ids.push_back(v->valueId);
    link = v->next;
  }
  return ids;
}

template <class T>
T* ValueAt(const CompileContext* ctx, const ModelItem* item, uint16_t valueId) {
  return MdlAt<T>(ctx, MdlFindValue(ctx, valueId, item->values));
}

// Fixture that puts the tests' symbols in place of the shared tables.
class MdlSymbolsTest : public ::testing::Test {
 protected:
  void SetUp() override { TestSymbols::Install(); }
  void TearDown() override { TestSymbols::Remove(); }
};

}  // namespace zolt::test
