// References between rule records ("Judge3", "NULL", a rule's name) and the process-wide lists
// of rule names of one compile.
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mdl_compile.h"

namespace {

struct PrefixRow {
  const char* prefix;
  size_t length;
  uint32_t tag;
};

// AlertAction comes before Alert so that the longer prefix wins.
const PrefixRow kPrefixes[] = {
    {"Judge", 5, kRefJudge},       {"Item", 4, kRefItem},   {"Action", 6, kRefAction},
    {"Transact", 8, kRefTransact}, {"AlertAction", 11, kRefAlertAction},
    {"Alert", 5, kRefAlert},       {"NULL", 4, 0},
};

// The rule names of the compile under way (the first definition of a name holds), and the first
// Judge record of each number; a compile runs under the global mutex, so they are not locked
// here.
std::unordered_map<std::string, int32_t> gRuleNames[kRuleKindCount];
std::unordered_map<int32_t, uint32_t> gJudgeLinks;

int32_t DigitsOf(const char* text, const char* stopAt) {
  uint32_t value = 0;
  bool negative = false;
  for (const char* p = text; *p; ++p) {
    if (stopAt && std::strchr(stopAt, *p)) break;
    if (*p >= '0' && *p <= '9')
      value = value * 10u + static_cast<uint32_t>(*p - '0');
    else if (*p == '-')
      negative = true;
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace

void MdlParseReference(const char* word, uint32_t* tag, int32_t* number) {
  *tag = kRefName;
  *number = 0;
  if (!word) return;
  for (const PrefixRow& row : kPrefixes) {
    if (std::strncmp(word, row.prefix, row.length) == 0) {
      *tag = row.tag;
      *number = row.tag ? DigitsOf(word, nullptr) : 0;
      return;
    }
  }
}

int32_t MdlParseRuleNumber(const char* text) { return text ? DigitsOf(text, " \t=") : 0; }

const char* MdlNameAfterEquals(const char* text) {
  const char* eq = text ? std::strchr(text, '=') : nullptr;
  return eq ? eq + 1 : nullptr;
}

uint32_t MdlResolveReference(const char* word, uint32_t expectedTag) {
  uint32_t tag = 0;
  int32_t number = 0;
  MdlParseReference(word, &tag, &number);
  if (tag == expectedTag && tag != 0) return tag | (static_cast<uint32_t>(number) & 0xFFFF);
  if (tag == kRefName) {
    int kind = -1;
    switch (expectedTag) {
      case kRefJudge: kind = kRuleJudge; break;
      case kRefItem: kind = kRuleItem; break;
      case kRefAction: kind = kRuleAction; break;
      case kRefTransact: kind = kRuleTransact; break;
      case kRefAlertAction: kind = kRuleAlertAction; break;
      case kRefAlert: kind = kRuleAlert; break;
      default: break;
    }
    if (kind >= 0) return static_cast<uint32_t>(MdlFindRuleName(word, kind));
  }
  return 0;
}

void MdlClearRuleNames() {
  for (auto& names : gRuleNames) names.clear();
  gJudgeLinks.clear();
}

void MdlFreeRuleNames() {
  for (auto& names : gRuleNames) std::unordered_map<std::string, int32_t>().swap(names);
  std::unordered_map<int32_t, uint32_t>().swap(gJudgeLinks);
}

int MdlAddRuleName(const char* name, int32_t number, int kind) {
  if (!name || kind < 0 || kind >= kRuleKindCount) return 0;
  try {
    gRuleNames[kind].try_emplace(name, number);
  } catch (...) {
    return 0;
  }
  return 1;
}

int32_t MdlFindRuleName(const char* name, int kind) {
  if (!name || kind < 0 || kind >= kRuleKindCount) return 0;
  auto it = gRuleNames[kind].find(name);
  return it == gRuleNames[kind].end() ? 0 : it->second;
}

int MdlAddJudgeLink(int32_t number, uint32_t link) {
  try {
    gJudgeLinks.try_emplace(number, link);
  } catch (...) {
    return 0;
  }
  return 1;
}

uint32_t MdlFindJudgeLink(int32_t number) {
  auto it = gJudgeLinks.find(number);
  return it == gJudgeLinks.end() ? 0 : it->second;
}
