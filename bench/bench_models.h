// Model descriptions for benchmarks, generated from the sample.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zolt::bench {

// The sample's own description (its text in sample) grown to a size: the sample once, then `copies` more
// copies of its rules (Judges, value rules, Actions, Transacts, AlertActions, Alerts), each copy
// with its own numbers and names ("Stapled" becomes "StapledR3" in copy 3), so every rule refers
// to the others by name as the sample's do.
inline std::string GenerateNamedRules(const std::string& sample, int copies) {
  static constexpr std::string_view kKinds[] = {"Judge", "Item", "Action", "Transact", "AlertAction", "Alert"};
  std::vector<std::string> statements;  // the rule statements, each with its continuation lines
  std::unordered_map<std::string, int> names;  // rule name -> its kind
  int stride[std::size(kKinds)] = {};
  for (size_t at = 0; at < sample.size();) {
    size_t end = sample.find('\n', at);
    for (end = end == std::string::npos ? sample.size() : end + 1; end < sample.size() && (sample[end] == ' ' || sample[end] == '\t');) {
      size_t next = sample.find('\n', end);
      end = next == std::string::npos ? sample.size() : next + 1;
    }
    std::string_view st(sample.data() + at, end - at);
    at = end;
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      std::string head(1, '*');
      head.append(kKinds[k]).push_back(' ');
      if (st.substr(0, head.size()) != head) continue;
      int number = std::atoi(std::string(st.substr(head.size())).c_str());
      stride[k] = std::max(stride[k], number);
      size_t eq = st.find('='), colon = st.find(':');
      names.emplace(std::string(st.substr(eq + 1, colon - eq - 1)), static_cast<int>(k));
      statements.emplace_back(st);
    }
  }
  auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  std::string s = sample;
  for (int copy = 1; copy <= copies; ++copy) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "R%d", copy);
    for (const std::string& st : statements) {
      std::string out;
      for (size_t i = 0; i < st.size();) {
        if (!isWord(st[i])) {
          out += st[i++];
          continue;
        }
        size_t j = i;
        while (j < st.size() && isWord(st[j])) ++j;
        std::string word = st.substr(i, j - i);
        if (names.count(word)) {
          word += tag;
        } else if (word.size() > 5 && word.compare(0, 5, "Judge") == 0 && std::isdigit(static_cast<unsigned char>(word[5]))) {
          char judge[24];
          std::snprintf(judge, sizeof judge, "Judge%d", std::atoi(word.c_str() + 5) + copy * stride[0]);
          word = judge;
        } else if (i > 0 && st[i - 1] == ' ' && j < st.size() && st[j] == '=' && std::isdigit(static_cast<unsigned char>(word[0]))) {
          // the statement's own number
          for (size_t k = 0; k < std::size(kKinds); ++k)
            if (st.compare(1, kKinds[k].size(), kKinds[k]) == 0 && st[kKinds[k].size() + 1] == ' ')
              word = std::to_string(std::atoi(word.c_str()) + copy * stride[k]);
        }
        out += word;
        i = j;
      }
      s += out;
    }
  }
  return s;
}

}  // namespace zolt::bench
