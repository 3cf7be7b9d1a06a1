// The resource script compiler: preprocessing (#include, #define, conditionals), statements
// and the platform's binary layouts of each resource type.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "rc_compiler.h"
#include "win32/hosttext.h"

namespace fs = std::filesystem;

namespace zolt::rc {

bool ResName::operator<(const ResName& o) const {
  // Named entries before numbered ones, as the platform orders its resource tree.
  if (isId != o.isId) return !isId;
  return isId ? id < o.id : name < o.name;
}

namespace {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
  Tok kind = Tok::End;
  std::string text;      // identifier text, or the punctuation character
  uint32_t value = 0;    // number
  bool isLong = false;   // number written with an L suffix
  std::u16string str;    // string literal
  bool wide = false;     // L"..."
  std::string file;      // where the token stands
  int line = 0;
};

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::u16string UpperWide(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool ReadWhole(const fs::path& p, std::string& out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Script text as UTF-8: a UTF-16 file (with its byte-order mark) is converted, a UTF-8 mark
// dropped.
std::string NormaliseText(const std::string& raw) {
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF && static_cast<unsigned char>(raw[1]) == 0xFE) {
    std::u16string w;
    for (size_t i = 2; i + 1 < raw.size(); i += 2)
      w += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8));
    return host::ToUtf8(w);
  }
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
  return raw;
}

// ---------------------------------------------------------------------------------------------
// Lexing and preprocessing.

struct SourceFile {
  fs::path path;
  std::string text;
  size_t pos = 0;
  int line = 1;
  bool header = false;     // only the preprocessor lines of a header count
  bool lineStart = true;
  size_t condDepth = 0;    // conditional depth when the file was entered
};

struct Cond {
  bool parentActive;
  bool active;
  bool taken;
};

class Lexer {
 public:
  Lexer(const Options& options, Result& result) : options_(options), result_(result) {
    for (const auto& [name, value] : options.defines) defines_[name] = value;
  }

  void PushFile(const fs::path& path, std::string text) {
    auto f = std::make_unique<SourceFile>();
    f->path = path;
    f->text = NormaliseText(text);
    std::string ext = Upper(path.extension().string());
    f->header = ext == ".H" || ext == ".HH" || ext == ".HPP" || ext == ".HXX" || ext == ".C" || ext == ".CPP";
    f->condDepth = conds_.size();
    files_.push_back(std::move(f));
  }

  // An error at the token last taken (what the statement was reading).
  [[noreturn]] void Fail(const std::string& message) const {
    if (tokenLine_ == 0) FailHere(message);
    std::ostringstream o;
    o << tokenFile_ << ":" << tokenLine_ << ": " << message;
    throw Error(o.str());
  }

  // An error where the reading stands (inside a token or a directive).
  [[noreturn]] void FailHere(const std::string& message) const {
    std::ostringstream o;
    if (!files_.empty())
      o << files_.back()->path.string() << ":" << files_.back()->line << ": ";
    else if (!lastFile_.empty())
      o << lastFile_ << ":" << lastLine_ << ": ";
    o << message;
    throw Error(o.str());
  }

  const Token& Peek() {
    if (ahead_.empty()) ahead_.push_back(Produce());
    return ahead_.front();
  }

  Token Next() {
    Peek();
    Token t = std::move(ahead_.front());
    ahead_.pop_front();
    if (t.line) {
      tokenFile_ = t.file;
      tokenLine_ = t.line;
    }
    return t;
  }

  bool AcceptPunct(char c) {
    if (Peek().kind == Tok::Punct && Peek().text[0] == c) {
      Next();
      return true;
    }
    return false;
  }

  bool PeekKeyword(const char* word) { return Peek().kind == Tok::Ident && Upper(Peek().text) == word; }

  bool AcceptKeyword(const char* word) {
    if (PeekKeyword(word)) {
      Next();
      return true;
    }
    return false;
  }

  const fs::path& CurrentFile() const {
    static const fs::path none;
    return files_.empty() ? none : files_.back()->path;
  }

  // A file named in the script: beside the current file, then in the include folders.
  std::optional<fs::path> FindFile(const std::string& name, bool quoted) const {
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    fs::path rel(slashed);
    // Only regular files: a device or a pipe would never end.
    std::error_code ec;
    if (rel.is_absolute()) return fs::is_regular_file(rel, ec) ? std::optional<fs::path>(rel) : std::nullopt;
    if (quoted && !CurrentFile().empty()) {
      fs::path cand = CurrentFile().parent_path() / rel;
      if (fs::is_regular_file(cand, ec)) return cand;
    }
    for (const auto& dir : options_.includeDirs) {
      fs::path cand = dir / rel;
      if (fs::is_regular_file(cand, ec)) return cand;
    }
    return std::nullopt;
  }

  UINT codePage = 1252;

 private:
  Token Produce() {
    for (;;) {
      if (!expansion_.empty()) {
        Token t = std::move(expansion_.front());
        expansion_.pop_front();
        return t;
      }
      if (files_.empty()) return Token{};
      SourceFile& f = *files_.back();
      if (!SkipSpace(f)) {
        if (conds_.size() != f.condDepth) FailHere("#if without #endif");
        lastFile_ = f.path.string();
        lastLine_ = f.line;
        files_.pop_back();
        continue;
      }
      if (f.lineStart && f.text[f.pos] == '#') {
        Directive(f);
        continue;
      }
      f.lineStart = false;
      if (f.header || !Active()) {
        SkipLine(f);
        continue;
      }
      Token t = Raw(f);
      t.file = f.path.string();
      t.line = f.line;
      if (t.kind == Tok::Ident) {
        auto it = defines_.find(t.text);
        if (it != defines_.end() && expanding_.size() < 32 &&
            std::find(expanding_.begin(), expanding_.end(), t.text) == expanding_.end()) {
          Expand(t.text, it->second);
          for (Token& x : expansion_) {
            x.file = t.file;
            x.line = t.line;
          }
          continue;
        }
      }
      return t;
    }
  }

  // Re-lexes the value of a define in place of its name.
  void Expand(const std::string& name, const std::string& value) {
    SourceFile tmp;
    tmp.text = value;
    tmp.lineStart = false;
    std::vector<Token> tokens;
    while (SkipSpace(tmp)) tokens.push_back(Raw(tmp));
    expanding_.push_back(name);
    std::deque<Token> out;
    for (Token& t : tokens) {
      auto it = t.kind == Tok::Ident ? defines_.find(t.text) : defines_.end();
      if (it != defines_.end() && std::find(expanding_.begin(), expanding_.end(), t.text) == expanding_.end() &&
          expanding_.size() < 32) {
        Expand(t.text, it->second);
        while (!expansion_.empty()) {
          out.push_back(std::move(expansion_.front()));
          expansion_.pop_front();
        }
      } else {
        out.push_back(std::move(t));
      }
      if (out.size() > 100000) FailHere("the expansion of " + name + " is too long");
    }
    expanding_.pop_back();
    for (auto it = out.rbegin(); it != out.rend(); ++it) expansion_.push_front(std::move(*it));
  }

  bool Active() const { return conds_.empty() || conds_.back().active; }

  // Skips blanks and comments; false at the end of the file.
  bool SkipSpace(SourceFile& f) {
    while (f.pos < f.text.size()) {
      char c = f.text[f.pos];
      if (c == '\n') {
        ++f.line;
        ++f.pos;
        f.lineStart = true;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++f.pos;
      } else if (c == '/' && f.pos + 1 < f.text.size() && f.text[f.pos + 1] == '/') {
        while (f.pos < f.text.size() && f.text[f.pos] != '\n') ++f.pos;
      } else if (c == '/' && f.pos + 1 < f.text.size() && f.text[f.pos + 1] == '*') {
        size_t end = f.text.find("*/", f.pos + 2);
        if (end == std::string::npos) FailHere("unterminated comment");
        f.line += static_cast<int>(std::count(f.text.begin() + static_cast<long>(f.pos),
                                              f.text.begin() + static_cast<long>(end), '\n'));
        f.pos = end + 2;
      } else {
        return true;
      }
    }
    return false;
  }

  void SkipLine(SourceFile& f) {
    while (f.pos < f.text.size() && f.text[f.pos] != '\n') {
      if (f.text[f.pos] == '"' && !f.header) {
        // A string may hold "//" or "/*" in a skipped line; nothing else matters here.
      }
      ++f.pos;
    }
  }

  // The rest of a directive line, with continuation lines joined and comments dropped.
  std::string DirectiveLine(SourceFile& f) {
    std::string line;
    while (f.pos < f.text.size() && f.text[f.pos] != '\n') {
      char c = f.text[f.pos];
      if (c == '\\' && f.pos + 1 < f.text.size() &&
          (f.text[f.pos + 1] == '\n' || (f.text[f.pos + 1] == '\r' && f.pos + 2 < f.text.size() && f.text[f.pos + 2] == '\n'))) {
        f.pos += f.text[f.pos + 1] == '\r' ? 3 : 2;
        ++f.line;
        line += ' ';
        continue;
      }
      if (c == '/' && f.pos + 1 < f.text.size() && f.text[f.pos + 1] == '/') {
        while (f.pos < f.text.size() && f.text[f.pos] != '\n') ++f.pos;
        break;
      }
      if (c == '/' && f.pos + 1 < f.text.size() && f.text[f.pos + 1] == '*') {
        size_t end = f.text.find("*/", f.pos + 2);
        if (end == std::string::npos) FailHere("unterminated comment");
        f.line += static_cast<int>(std::count(f.text.begin() + static_cast<long>(f.pos),
                                              f.text.begin() + static_cast<long>(end), '\n'));
        f.pos = end + 2;
        line += ' ';
        continue;
      }
      if (c != '\r') line += c;
      ++f.pos;
    }
    return line;
  }

  static std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
  }

  void Directive(SourceFile& f) {
    ++f.pos;  // '#'
    std::string line = DirectiveLine(f);
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos) return;
    size_t j = i;
    while (j < line.size() && IsIdentChar(line[j])) ++j;
    std::string word = line.substr(i, j - i);
    std::string rest = Trim(line.substr(j));
    if (word == "ifdef" || word == "ifndef") {
      bool defined = defines_.count(Trim(rest)) != 0;
      bool cond = word == "ifdef" ? defined : !defined;
      conds_.push_back({Active(), Active() && cond, cond});
      return;
    }
    if (word == "if") {
      bool cond = Active() && EvalCondition(rest) != 0;
      conds_.push_back({Active(), cond, cond});
      return;
    }
    if (word == "elif") {
      if (conds_.size() <= f.condDepth) FailHere("#elif without #if");
      Cond& c = conds_.back();
      bool cond = !c.taken && c.parentActive && EvalCondition(rest) != 0;
      c.active = cond;
      c.taken = c.taken || cond;
      return;
    }
    if (word == "else") {
      if (conds_.size() <= f.condDepth) FailHere("#else without #if");
      Cond& c = conds_.back();
      c.active = c.parentActive && !c.taken;
      c.taken = true;
      return;
    }
    if (word == "endif") {
      if (conds_.size() <= f.condDepth) FailHere("#endif without #if");
      conds_.pop_back();
      return;
    }
    if (!Active()) return;
    if (word == "define") {
      size_t k = 0;
      while (k < rest.size() && IsIdentChar(rest[k])) ++k;
      std::string name = rest.substr(0, k);
      if (name.empty()) FailHere("#define without a name");
      if (k < rest.size() && rest[k] == '(') return;  // function-like macros have no use here
      defines_[name] = Trim(rest.substr(k));
    } else if (word == "undef") {
      defines_.erase(Trim(rest));
    } else if (word == "include") {
      std::string name;
      bool quoted = false;
      if (!rest.empty() && rest[0] == '"') {
        size_t end = rest.find('"', 1);
        if (end == std::string::npos) FailHere("bad #include");
        name = rest.substr(1, end - 1);
        quoted = true;
      } else if (!rest.empty() && rest[0] == '<') {
        size_t end = rest.find('>', 1);
        if (end == std::string::npos) FailHere("bad #include");
        name = rest.substr(1, end - 1);
      } else {
        FailHere("bad #include");
      }
      auto found = FindFile(name, quoted);
      if (!found) {
        // The platform's own headers are not needed: their names are built in.
        if (!quoted) return;
        FailHere("cannot find include file \"" + name + "\"");
      }
      std::string text;
      if (!ReadWhole(*found, text)) FailHere("cannot read \"" + found->string() + "\"");
      if (files_.size() > 64) FailHere("#include nested too deeply");
      result_.inputs.insert(fs::absolute(*found));
      PushFile(*found, std::move(text));
    } else if (word == "pragma") {
      // "#pragma code_page(N)": the code page of narrow strings in raw data.
      size_t open = rest.find('(');
      if (rest.compare(0, 9, "code_page") == 0 && open != std::string::npos) {
        std::string arg = Trim(rest.substr(open + 1, rest.find(')') - open - 1));
        if (Upper(arg) == "DEFAULT")
          codePage = 1252;
        else
          codePage = static_cast<UINT>(std::strtoul(arg.c_str(), nullptr, 10));
        if (!host::CodePageConverterName(codePage)) FailHere("unknown code page " + arg);
      }
    } else if (word == "error") {
      FailHere("#error " + rest);
    }
    // #line and anything else: nothing to do.
  }

  // Conditions of #if and #elif: numbers, defined(NAME), names of defines, ! ~ * / + - < >
  // <= >= == != & | && || and parentheses.
  long long EvalCondition(const std::string& text) {
    size_t pos = 0;
    long long v = CondOr(text, pos, 0);
    return v;
  }

  void CondSpace(const std::string& s, size_t& p) {
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
  }

  long long CondPrimary(const std::string& s, size_t& p, int depth) {
    if (depth > 64) FailHere("#if nested too deeply");
    CondSpace(s, p);
    if (p >= s.size()) FailHere("bad #if expression");
    char c = s[p];
    if (c == '(') {
      ++p;
      long long v = CondOr(s, p, depth + 1);
      CondSpace(s, p);
      if (p >= s.size() || s[p] != ')') FailHere("bad #if expression");
      ++p;
      return v;
    }
    if (c == '!') return ++p, !CondPrimary(s, p, depth + 1);
    if (c == '~') return ++p, ~CondPrimary(s, p, depth + 1);
    if (c == '-') return ++p, Wrap(0, CondPrimary(s, p, depth + 1), '-');
    if (std::isdigit(static_cast<unsigned char>(c))) {
      char* end = nullptr;
      long long v = std::strtoll(s.c_str() + p, &end, 0);
      p = static_cast<size_t>(end - s.c_str());
      while (p < s.size() && std::strchr("uUlL", s[p])) ++p;
      return v;
    }
    if (IsIdentStart(c)) {
      size_t b = p;
      while (p < s.size() && IsIdentChar(s[p])) ++p;
      std::string name = s.substr(b, p - b);
      if (name == "defined") {
        CondSpace(s, p);
        bool paren = p < s.size() && s[p] == '(';
        if (paren) ++p;
        CondSpace(s, p);
        size_t nb = p;
        while (p < s.size() && IsIdentChar(s[p])) ++p;
        std::string what = s.substr(nb, p - nb);
        CondSpace(s, p);
        if (paren) {
          if (p >= s.size() || s[p] != ')') FailHere("bad defined()");
          ++p;
        }
        return defines_.count(what) ? 1 : 0;
      }
      auto it = defines_.find(name);
      if (it == defines_.end() || it->second.empty()) return 0;
      size_t q = 0;
      return CondOr(it->second, q, depth + 1);
    }
    FailHere("bad #if expression");
  }

  long long CondBinary(const std::string& s, size_t& p, int level, int depth) {
    static const std::vector<std::vector<std::string>> ops = {
        {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/", "%"}};
    if (level == static_cast<int>(ops.size())) return CondPrimary(s, p, depth);
    long long v = CondBinary(s, p, level + 1, depth);
    for (;;) {
      CondSpace(s, p);
      std::string op;
      for (const auto& o : ops[static_cast<size_t>(level)]) {
        if (s.compare(p, o.size(), o) == 0) {
          // "|" must not take the first half of "||", nor "&" of "&&".
          if ((o == "|" || o == "&") && p + 1 < s.size() && s[p + 1] == o[0]) continue;
          op = o;
          break;
        }
      }
      if (op.empty()) return v;
      p += op.size();
      long long r = CondBinary(s, p, level + 1, depth);
      if (op == "||") v = v || r;
      else if (op == "&&") v = v && r;
      else if (op == "|") v |= r;
      else if (op == "^") v ^= r;
      else if (op == "&") v &= r;
      else if (op == "==") v = v == r;
      else if (op == "!=") v = v != r;
      else if (op == "<=") v = v <= r;
      else if (op == ">=") v = v >= r;
      else if (op == "<") v = v < r;
      else if (op == ">") v = v > r;
      else if (op == "+" || op == "-" || op == "*") v = Wrap(v, r, op[0]);
      else if (op == "/" || op == "%") {
        if (r == 0) FailHere("division by zero in #if");
        if (r == -1)
          v = op == "/" ? Wrap(0, v, '-') : 0;  // the one quotient that overflows
        else
          v = op == "/" ? v / r : v % r;
      }
    }
  }

  long long CondOr(const std::string& s, size_t& p, int depth) { return CondBinary(s, p, 0, depth); }

  // Arithmetic of #if wraps around as the machine's does instead of overflowing.
  static long long Wrap(long long a, long long b, char op) {
    const auto x = static_cast<unsigned long long>(a), y = static_cast<unsigned long long>(b);
    const unsigned long long r = op == '+' ? x + y : op == '-' ? x - y : x * y;
    return static_cast<long long>(r);
  }

  // One token from the text of f (f is at a non-blank character).
  Token Raw(SourceFile& f) {
    const std::string& s = f.text;
    Token t;
    char c = s[f.pos];
    if ((c == 'L' || c == 'l') && f.pos + 1 < s.size() && s[f.pos + 1] == '"') {
      ++f.pos;
      t.kind = Tok::String;
      t.wide = true;
      t.str = StringLiteral(f, true);
      return t;
    }
    if (c == '"') {
      t.kind = Tok::String;
      t.str = StringLiteral(f, false);
      return t;
    }
    if (IsIdentStart(c)) {
      size_t b = f.pos;
      while (f.pos < s.size() && IsIdentChar(s[f.pos])) ++f.pos;
      t.kind = Tok::Ident;
      t.text = s.substr(b, f.pos - b);
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t b = f.pos;
      uint64_t v = 0;
      if (c == '0' && f.pos + 1 < s.size() && (s[f.pos + 1] == 'x' || s[f.pos + 1] == 'X')) {
        f.pos += 2;
        size_t digits = f.pos;
        while (f.pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[f.pos]))) {
          v = v * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(s[f.pos]))
                                                 ? s[f.pos] - '0'
                                                 : (std::toupper(static_cast<unsigned char>(s[f.pos])) - 'A' + 10));
          v &= 0xFFFFFFFFull;
          ++f.pos;
        }
        if (digits == f.pos) FailHere("bad number");
      } else {
        while (f.pos < s.size() && std::isdigit(static_cast<unsigned char>(s[f.pos]))) {
          v = (v * 10 + static_cast<uint64_t>(s[f.pos] - '0')) & 0xFFFFFFFFull;
          ++f.pos;
        }
      }
      while (f.pos < s.size() && std::strchr("lLuU", s[f.pos])) {
        if (s[f.pos] == 'l' || s[f.pos] == 'L') t.isLong = true;
        ++f.pos;
      }
      if (f.pos < s.size() && IsIdentChar(s[f.pos])) FailHere("bad number \"" + s.substr(b, f.pos - b + 1) + "\"");
      t.kind = Tok::Number;
      t.value = static_cast<uint32_t>(v);
      return t;
    }
    if (c == '\'') {
      // A character constant: its code.
      if (f.pos + 2 < s.size() && s[f.pos + 2] == '\'') {
        t.kind = Tok::Number;
        t.value = static_cast<unsigned char>(s[f.pos + 1]);
        f.pos += 3;
        return t;
      }
      FailHere("bad character constant");
    }
    if (std::strchr(",|&+-*/()~{}!<>=", c)) {
      ++f.pos;
      t.kind = Tok::Punct;
      t.text = std::string(1, c);
      return t;
    }
    FailHere(std::string("unexpected character '") + c + "'");
  }

  // A string literal: "" stands for ", backslash escapes as C has them. The text between the
  // quotes is UTF-8.
  std::u16string StringLiteral(SourceFile& f, bool wide) {
    const std::string& s = f.text;
    ++f.pos;  // opening quote
    std::string utf8;
    std::u16string out;
    auto flush = [&]() {
      if (!utf8.empty()) {
        out += host::FromUtf8(utf8);
        utf8.clear();
      }
    };
    for (;;) {
      if (f.pos >= s.size() || s[f.pos] == '\n') FailHere("unterminated string");
      char c = s[f.pos];
      if (c == '"') {
        if (f.pos + 1 < s.size() && s[f.pos + 1] == '"') {
          utf8 += '"';
          f.pos += 2;
          continue;
        }
        ++f.pos;
        break;
      }
      if (c != '\\') {
        utf8 += c;
        ++f.pos;
        continue;
      }
      if (f.pos + 1 >= s.size()) FailHere("unterminated string");
      char e = s[f.pos + 1];
      f.pos += 2;
      flush();
      switch (e) {
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'a': out += u'\a'; break;
        case 'b': out += u'\b'; break;
        case 'f': out += u'\f'; break;
        case 'v': out += u'\v'; break;
        case '\\': out += u'\\'; break;
        case '"': out += u'"'; break;
        case '\'': out += u'\''; break;
        case 'x':
        case 'X': {
          uint32_t v = 0;
          int n = 0;
          while (n < (wide ? 4 : 2) && f.pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[f.pos]))) {
            char h = s[f.pos++];
            v = v * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : std::toupper(h) - 'A' + 10);
            ++n;
          }
          if (!n) FailHere("bad \\x escape");
          out += static_cast<char16_t>(v);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            uint32_t v = static_cast<uint32_t>(e - '0');
            int n = 1;
            while (n < 3 && f.pos < s.size() && s[f.pos] >= '0' && s[f.pos] <= '7') {
              v = v * 8 + static_cast<uint32_t>(s[f.pos++] - '0');
              ++n;
            }
            out += static_cast<char16_t>(v);
          } else {
            // An unknown escape keeps its backslash, as the platform's compiler keeps it.
            out += u'\\';
            out += static_cast<char16_t>(static_cast<unsigned char>(e));
          }
      }
    }
    flush();
    return out;
  }

  const Options& options_;
  Result& result_;
  std::vector<std::unique_ptr<SourceFile>> files_;
  std::vector<Cond> conds_;
  std::map<std::string, std::string> defines_;
  std::deque<Token> ahead_;
  std::deque<Token> expansion_;
  std::vector<std::string> expanding_;
  std::string lastFile_;
  int lastLine_ = 0;
  std::string tokenFile_;
  int tokenLine_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Binary output.

struct Bytes {
  std::vector<uint8_t> b;
  void U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void WideZ(const std::u16string& s) {
    for (char16_t c : s) U16(c);
    U16(0);
  }
  void Align4() {
    while (b.size() % 4) U8(0);
  }
};

// A field that is either absent, an ordinal or a string (menu, class, title of a template).
struct SzOrOrd {
  enum Kind { None, Ordinal, Text } kind = None;
  uint16_t ordinal = 0;
  std::u16string text;
  void Write(Bytes& out) const {
    if (kind == None) {
      out.U16(0);
    } else if (kind == Ordinal) {
      out.U16(0xFFFF);
      out.U16(ordinal);
    } else {
      out.WideZ(text);
    }
  }
};

constexpr uint32_t WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
                   WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000,
                   WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000, DS_SETFONT = 0x40;

struct ControlKind {
  const char* keyword;
  uint16_t classOrdinal;
  uint32_t defaults;
  bool hasText;
};

constexpr ControlKind kControls[] = {
    {"LTEXT", 0x82, 0x0000 | WS_GROUP, true},        {"RTEXT", 0x82, 0x0002 | WS_GROUP, true},
    {"CTEXT", 0x82, 0x0001 | WS_GROUP, true},        {"PUSHBUTTON", 0x80, 0x0000 | WS_TABSTOP, true},
    {"DEFPUSHBUTTON", 0x80, 0x0001 | WS_TABSTOP, true}, {"CHECKBOX", 0x80, 0x0002 | WS_TABSTOP, true},
    {"AUTOCHECKBOX", 0x80, 0x0003 | WS_TABSTOP, true}, {"RADIOBUTTON", 0x80, 0x0004 | WS_TABSTOP, true},
    {"AUTORADIOBUTTON", 0x80, 0x0009 | WS_TABSTOP, true}, {"STATE3", 0x80, 0x0005 | WS_TABSTOP, true},
    {"AUTO3STATE", 0x80, 0x0006 | WS_TABSTOP, true},  {"GROUPBOX", 0x80, 0x0007, true},
    {"PUSHBOX", 0x80, 0x000A | WS_TABSTOP, true},     {"EDITTEXT", 0x81, 0x0000 | WS_BORDER | WS_TABSTOP, false},
    {"COMBOBOX", 0x85, 0x0001 | WS_TABSTOP, false},   {"LISTBOX", 0x83, 0x0001 | WS_BORDER, false},
    {"SCROLLBAR", 0x84, 0x0000, false},               {"ICON", 0x82, 0x0003, true},
};

// The classes a template names by ordinal.
std::optional<uint16_t> PredefinedClass(const std::string& name) {
  const std::string u = Upper(name);
  if (u == "BUTTON") return 0x80;
  if (u == "EDIT") return 0x81;
  if (u == "STATIC") return 0x82;
  if (u == "LISTBOX") return 0x83;
  if (u == "SCROLLBAR") return 0x84;
  if (u == "COMBOBOX") return 0x85;
  return std::nullopt;
}

struct Control {
  uint32_t helpId = 0, exStyle = 0, style = 0;
  int32_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  SzOrOrd cls, text;
  std::vector<uint8_t> extra;
};

// ---------------------------------------------------------------------------------------------
// Statements.

class Compiler {
 public:
  Compiler(Lexer& lex, Result& result) : lex_(lex), result_(result) {}

  void Run() {
    while (lex_.Peek().kind != Tok::End) Statement();
    EmitStrings();
    std::stable_sort(out_.begin(), out_.end(), [](const Resource& a, const Resource& b) {
      if (!(a.type == b.type)) return a.type < b.type;
      if (!(a.name == b.name)) return a.name < b.name;
      return a.language < b.language;
    });
    for (size_t i = 1; i < out_.size(); ++i)
      if (out_[i].type == out_[i - 1].type && out_[i].name == out_[i - 1].name && out_[i].language == out_[i - 1].language)
        throw Error("duplicate resource " + Describe(out_[i]));
    result_.resources = std::move(out_);
  }

 private:
  static std::string Describe(const Resource& r) {
    std::ostringstream o;
    o << "(type " << (r.type.isId ? std::to_string(r.type.id) : host::ToUtf8(r.type.name)) << ", name "
      << (r.name.isId ? std::to_string(r.name.id) : host::ToUtf8(r.name.name)) << ", language 0x" << std::hex
      << r.language << ")";
    return o.str();
  }

  // Expressions: numbers, names, parentheses, unary - ~ and NOT, * / + - & |. NOT x inside an
  // or-list clears the bits of x from what came before (and from base).
  uint32_t Expr(uint32_t base = 0) {
    uint32_t v = base;
    bool first = true;
    for (;;) {
      bool clear = lex_.AcceptKeyword("NOT");
      uint32_t x = And();
      if (clear)
        v &= ~x;
      else
        v = first && base == 0 ? x : (v | x);
      first = false;
      if (!lex_.AcceptPunct('|')) return v;
    }
  }

  uint32_t And() {
    uint32_t v = Additive();
    while (lex_.Peek().kind == Tok::Punct && lex_.Peek().text == "&") {
      lex_.Next();
      v &= Additive();
    }
    return v;
  }

  uint32_t Additive() {
    uint32_t v = Multiplicative();
    for (;;) {
      if (lex_.AcceptPunct('+'))
        v += Multiplicative();
      else if (lex_.AcceptPunct('-'))
        v -= Multiplicative();
      else
        return v;
    }
  }

  uint32_t Multiplicative() {
    uint32_t v = Unary();
    for (;;) {
      if (lex_.AcceptPunct('*')) {
        v *= Unary();
      } else if (lex_.Peek().kind == Tok::Punct && lex_.Peek().text == "/") {
        lex_.Next();
        uint32_t d = Unary();
        if (!d) lex_.Fail("division by zero");
        v /= d;
      } else {
        return v;
      }
    }
  }

  uint32_t Unary() {
    if (++depth_ > 200) lex_.Fail("expression nested too deeply");
    uint32_t v;
    if (lex_.AcceptPunct('-'))
      v = 0u - Unary();
    else if (lex_.AcceptPunct('~'))
      v = ~Unary();
    else if (lex_.AcceptPunct('+'))
      v = Unary();
    else if (lex_.AcceptPunct('(')) {
      v = Expr();
      if (!lex_.AcceptPunct(')')) lex_.Fail("expected ')'");
    } else {
      Token t = lex_.Next();
      if (t.kind == Tok::Number) {
        sawLong_ = sawLong_ || t.isLong;
        v = t.value;
      } else if (t.kind == Tok::Ident) {
        if (!BuiltinSymbol(t.text, v)) lex_.Fail("undefined name \"" + t.text + "\"");
      } else {
        lex_.Fail("expected a number");
      }
    }
    --depth_;
    return v;
  }

  void Comma() { lex_.AcceptPunct(','); }

  std::u16string String() {
    if (lex_.Peek().kind != Tok::String) lex_.Fail("expected a string");
    std::u16string s;
    while (lex_.Peek().kind == Tok::String) s += lex_.Next().str;  // adjacent strings join
    return s;
  }

  ResName Name() {
    ResName n;
    if (lex_.Peek().kind == Tok::Punct) {  // an expression such as (BASE + 1)
      uint32_t v = Expr();
      if (v > 0xFFFF) lex_.Fail("resource number out of range");
      n.id = static_cast<uint16_t>(v);
      return n;
    }
    Token t = lex_.Next();
    if (t.kind == Tok::Number) {
      if (t.value > 0xFFFF) lex_.Fail("resource number out of range");
      n.id = static_cast<uint16_t>(t.value);
    } else if (t.kind == Tok::Ident) {
      n.isId = false;
      n.name = host::FromUtf8(Upper(t.text));
    } else if (t.kind == Tok::String) {
      n.isId = false;
      n.name = UpperWide(t.str);
    } else {
      lex_.Fail("expected a resource name");
    }
    if (!n.isId && n.name.empty()) lex_.Fail("empty resource name");
    return n;
  }

  bool IsBegin() { return lex_.PeekKeyword("BEGIN") || (lex_.Peek().kind == Tok::Punct && lex_.Peek().text == "{"); }
  bool IsEnd() { return lex_.PeekKeyword("END") || (lex_.Peek().kind == Tok::Punct && lex_.Peek().text == "}"); }
  void Begin() {
    if (!IsBegin()) lex_.Fail("expected BEGIN");
    lex_.Next();
  }
  void End() {
    if (!IsEnd()) lex_.Fail("expected END");
    lex_.Next();
  }

  void MemoryOptions() {
    static const char* kOptions[] = {"PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE",
                                     "PURE",    "IMPURE",     "SHARED", "NONSHARED"};
    for (bool again = true; again;) {
      again = false;
      for (const char* o : kOptions)
        if (lex_.AcceptKeyword(o)) again = true;
    }
  }

  uint16_t Language() {
    uint32_t primary = Expr();
    Comma();
    uint32_t sub = Expr();
    return static_cast<uint16_t>((sub << 10) | (primary & 0x3FF));
  }

  // LANGUAGE, CHARACTERISTICS and VERSION before a resource's body.
  void CommonOptions(uint16_t& lang) {
    for (;;) {
      if (lex_.AcceptKeyword("LANGUAGE"))
        lang = Language();
      else if (lex_.AcceptKeyword("CHARACTERISTICS") || lex_.AcceptKeyword("VERSION"))
        Expr();
      else
        return;
    }
  }

  void Add(ResName type, ResName name, uint16_t lang, std::vector<uint8_t> data) {
    out_.push_back(Resource{std::move(type), std::move(name), lang, std::move(data)});
  }

  static ResName Id(uint16_t id) {
    ResName n;
    n.id = id;
    return n;
  }

  std::vector<uint8_t> ReadDataFile() {
    if (lex_.Peek().kind != Tok::String) lex_.Fail("expected a file name in quotes");
    std::string name = host::ToUtf8(lex_.Next().str);
    auto found = lex_.FindFile(name, true);
    if (!found) lex_.Fail("cannot find file \"" + name + "\"");
    std::string bytes;
    if (!ReadWhole(*found, bytes)) lex_.Fail("cannot read \"" + found->string() + "\"");
    result_.inputs.insert(fs::absolute(*found));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }

  void Statement() {
    if (lex_.AcceptKeyword("LANGUAGE")) {
      language_ = Language();
      return;
    }
    if (lex_.AcceptKeyword("STRINGTABLE")) {
      StringTable();
      return;
    }
    ResName name = Name();
    Token type = lex_.Next();
    if (type.kind == Tok::Ident) {
      const std::string kw = Upper(type.text);
      if (kw == "DIALOG" || kw == "DIALOGEX") return Dialog(name, kw == "DIALOGEX");
      if (kw == "MENU") return Menu(name);
      if (kw == "RCDATA") return Raw(Id(10), name);
      if (kw == "HTML") return Raw(Id(23), name);
      if (kw == "MANIFEST") return Raw(Id(24), name);
      if (kw == "MESSAGETABLE") return Raw(Id(11), name);
      if (kw == "BITMAP") return Bitmap(name);
      if (kw == "ICON") return IconGroup(name, false);
      if (kw == "CURSOR") return IconGroup(name, true);
      static const char* kUnsupported[] = {"MENUEX", "ACCELERATORS", "VERSIONINFO", "DLGINIT", "TOOLBAR", "FONT",
                                           "TEXTINCLUDE", "DLGINCLUDE", "PLUGPLAY", "VXD", "ANICURSOR", "ANIICON"};
      for (const char* u : kUnsupported)
        if (kw == u) lex_.Fail(std::string(u) + " resources are not supported");
      ResName custom;
      custom.isId = false;
      custom.name = host::FromUtf8(kw);
      return Raw(custom, name);
    }
    if (type.kind == Tok::Number) {
      if (type.value == 0 || type.value > 0xFFFF) lex_.Fail("resource type out of range");
      return Raw(Id(static_cast<uint16_t>(type.value)), name);
    }
    if (type.kind == Tok::String) {
      ResName custom;
      custom.isId = false;
      custom.name = UpperWide(type.str);
      if (custom.name.empty()) lex_.Fail("empty resource type");
      return Raw(custom, name);
    }
    lex_.Fail("expected a resource type");
  }

  void StringTable() {
    uint16_t lang = language_;
    MemoryOptions();
    CommonOptions(lang);
    Begin();
    while (!IsEnd()) {
      if (lex_.Peek().kind == Tok::End) lex_.Fail("expected END");
      uint32_t id = Expr();
      if (id > 0xFFFF) lex_.Fail("string id out of range");
      Comma();
      std::u16string text = String();
      if (text.size() > 0xFFFF) lex_.Fail("string too long");
      auto& slot = strings_[{lang, static_cast<uint16_t>(id >> 4)}];
      if (slot[id & 15]) lex_.Fail("duplicate string id " + std::to_string(id));
      slot[id & 15] = text;
    }
    End();
  }

  // String tables go in blocks of 16: block n holds the ids 16(n-1) .. 16n-1 as counted
  // strings, an absent one counted 0.
  void EmitStrings() {
    for (const auto& [key, slots] : strings_) {
      Bytes b;
      for (const auto& s : slots) {
        b.U16(s ? static_cast<uint32_t>(s->size()) : 0);
        if (s)
          for (char16_t c : *s) b.U16(c);
      }
      Add(Id(6), Id(static_cast<uint16_t>(key.second + 1)), key.first, std::move(b.b));
    }
  }

  void Raw(const ResName& type, const ResName& name) {
    uint16_t lang = language_;
    MemoryOptions();
    CommonOptions(lang);
    if (!IsBegin()) {
      Add(type, name, lang, ReadDataFile());
      return;
    }
    Begin();
    Bytes b;
    while (!IsEnd()) {
      if (lex_.Peek().kind == Tok::End) lex_.Fail("expected END");
      if (lex_.Peek().kind == Tok::String) {
        Token t = lex_.Next();
        if (t.wide) {
          for (char16_t c : t.str) b.U16(c);
        } else {
          std::string bytes;
          host::EncodeOptions eo;
          if (host::Encode(lex_.codePage, t.str, eo, bytes, nullptr) != host::DecodeStatus::Ok)
            lex_.Fail("string not in the code page");
          for (char c : bytes) b.U8(static_cast<unsigned char>(c));
        }
      } else {
        sawLong_ = false;
        uint32_t v = Expr();
        if (sawLong_)
          b.U32(v);
        else
          b.U16(v);
      }
      Comma();
    }
    End();
    Add(type, name, lang, std::move(b.b));
  }

  void Bitmap(const ResName& name) {
    uint16_t lang = language_;
    MemoryOptions();
    CommonOptions(lang);
    std::vector<uint8_t> file = ReadDataFile();
    // The resource is the file without its 14-byte file header.
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M') lex_.Fail("not a bitmap file");
    Add(Id(2), name, lang, std::vector<uint8_t>(file.begin() + 14, file.end()));
  }

  static uint32_t Le16(const std::vector<uint8_t>& d, size_t at) { return d[at] | (uint32_t(d[at + 1]) << 8); }
  static uint32_t Le32(const std::vector<uint8_t>& d, size_t at) { return Le16(d, at) | (Le16(d, at + 2) << 16); }

  // An icon or cursor file becomes one resource per image (RT_ICON, RT_CURSOR) and a group
  // directory (RT_GROUP_ICON, RT_GROUP_CURSOR) naming them by number.
  void IconGroup(const ResName& name, bool cursor) {
    uint16_t lang = language_;
    MemoryOptions();
    CommonOptions(lang);
    std::vector<uint8_t> file = ReadDataFile();
    if (file.size() < 6 || Le16(file, 0) != 0 || Le16(file, 2) != (cursor ? 2u : 1u))
      lex_.Fail(cursor ? "not a cursor file" : "not an icon file");
    uint32_t count = Le16(file, 4);
    if (count == 0 || file.size() < 6 + 16 * size_t(count)) lex_.Fail("truncated image directory");
    Bytes group;
    group.U16(0);
    group.U16(cursor ? 2 : 1);
    group.U16(count);
    for (uint32_t i = 0; i < count; ++i) {
      size_t e = 6 + 16 * size_t(i);
      uint32_t size = Le32(file, e + 8), offset = Le32(file, e + 12);
      if (offset > file.size() || size > file.size() - offset) lex_.Fail("image outside the file");
      std::vector<uint8_t> image(file.begin() + offset, file.begin() + offset + size);
      uint32_t planes = Le16(file, e + 4), bitCount = Le16(file, e + 6);
      if (image.size() >= 16 && Le32(image, 0) == 40) {  // a BITMAPINFOHEADER image
        planes = Le16(image, 12);
        bitCount = Le16(image, 14);
      }
      uint16_t id = cursor ? ++nextCursor_ : ++nextIcon_;
      if (cursor) {
        Bytes data;
        data.U16(Le16(file, e + 4));  // hot spot
        data.U16(Le16(file, e + 6));
        data.b.insert(data.b.end(), image.begin(), image.end());
        Add(Id(1), Id(id), lang, std::move(data.b));
        uint32_t w = file[e] ? file[e] : 256, h = file[e + 1] ? file[e + 1] : 256;
        group.U16(w);
        group.U16(h * 2);
        group.U16(planes ? planes : 1);
        group.U16(bitCount);
        group.U32(size + 4);
        group.U16(id);
      } else {
        Add(Id(3), Id(id), lang, std::move(image));
        group.U8(file[e]);
        group.U8(file[e + 1]);
        group.U8(file[e + 2]);
        group.U8(0);
        group.U16(planes);
        group.U16(bitCount);
        group.U32(size);
        group.U16(id);
      }
    }
    Add(Id(cursor ? 12 : 14), name, lang, std::move(group.b));
  }

  SzOrOrd TextOrOrdinal() {
    SzOrOrd f;
    if (lex_.Peek().kind == Tok::String) {
      f.kind = SzOrOrd::Text;
      f.text = String();
    } else if (lex_.Peek().kind == Tok::Ident && !IsBuiltin(lex_.Peek().text)) {
      f.kind = SzOrOrd::Text;
      f.text = host::FromUtf8(lex_.Next().text);
    } else {
      uint32_t v = Expr();
      f.kind = SzOrOrd::Ordinal;
      f.ordinal = static_cast<uint16_t>(v);
    }
    return f;
  }

  static bool IsBuiltin(const std::string& name) {
    uint32_t v;
    return BuiltinSymbol(name, v);
  }

  void Dialog(const ResName& name, bool ex) {
    uint16_t lang = language_;
    MemoryOptions();
    int32_t x = static_cast<int32_t>(Expr());
    Comma();
    int32_t y = static_cast<int32_t>(Expr());
    Comma();
    int32_t cx = static_cast<int32_t>(Expr());
    Comma();
    int32_t cy = static_cast<int32_t>(Expr());
    uint32_t helpId = 0;
    if (ex && lex_.AcceptPunct(',')) helpId = Expr();
    uint32_t style = 0, exStyle = 0;
    bool haveStyle = false, haveCaption = false, haveFont = false;
    std::u16string caption, face;
    uint32_t pointSize = 0, weight = 0, italic = 0, charset = 1;
    SzOrOrd menu, cls;
    for (;;) {
      if (lex_.AcceptKeyword("STYLE")) {
        style = Expr();
        haveStyle = true;
      } else if (lex_.AcceptKeyword("EXSTYLE")) {
        exStyle = Expr();
      } else if (lex_.AcceptKeyword("CAPTION")) {
        caption = String();
        haveCaption = true;
      } else if (lex_.AcceptKeyword("CLASS")) {
        cls = TextOrOrdinal();
      } else if (lex_.AcceptKeyword("MENU")) {
        ResName m = Name();
        menu.kind = m.isId ? SzOrOrd::Ordinal : SzOrOrd::Text;
        menu.ordinal = m.id;
        menu.text = m.name;
      } else if (lex_.AcceptKeyword("FONT")) {
        pointSize = Expr();
        Comma();
        face = String();
        haveFont = true;
        if (lex_.AcceptPunct(',')) {
          weight = Expr();
          if (lex_.AcceptPunct(',')) {
            italic = Expr();
            if (lex_.AcceptPunct(',')) charset = Expr();
          }
        }
      } else if (lex_.AcceptKeyword("LANGUAGE")) {
        lang = Language();
      } else if (lex_.AcceptKeyword("CHARACTERISTICS") || lex_.AcceptKeyword("VERSION")) {
        Expr();
      } else {
        break;
      }
    }
    if (!haveStyle) style = WS_POPUP | WS_BORDER | WS_SYSMENU;
    if (haveCaption) style |= WS_CAPTION;
    if (haveFont) style |= DS_SETFONT;

    std::vector<Control> controls;
    Begin();
    while (!IsEnd()) {
      if (lex_.Peek().kind == Tok::End) lex_.Fail("expected END");
      controls.push_back(ControlStatement(ex));
    }
    End();
    if (controls.size() > 0xFFFF) lex_.Fail("too many controls");

    Bytes b;
    if (ex) {
      b.U16(1);
      b.U16(0xFFFF);
      b.U32(helpId);
      b.U32(exStyle);
      b.U32(style);
    } else {
      b.U32(style);
      b.U32(exStyle);
    }
    b.U16(static_cast<uint32_t>(controls.size()));
    b.U16(static_cast<uint32_t>(x));
    b.U16(static_cast<uint32_t>(y));
    b.U16(static_cast<uint32_t>(cx));
    b.U16(static_cast<uint32_t>(cy));
    menu.Write(b);
    cls.Write(b);
    b.WideZ(caption);
    if (style & DS_SETFONT) {
      b.U16(pointSize);
      if (ex) {
        b.U16(weight);
        b.U8(italic);
        b.U8(charset);
      }
      b.WideZ(face);
    }
    for (const Control& c : controls) {
      b.Align4();
      if (ex) {
        b.U32(c.helpId);
        b.U32(c.exStyle);
        b.U32(c.style);
      } else {
        b.U32(c.style);
        b.U32(c.exStyle);
      }
      b.U16(static_cast<uint32_t>(c.x));
      b.U16(static_cast<uint32_t>(c.y));
      b.U16(static_cast<uint32_t>(c.cx));
      b.U16(static_cast<uint32_t>(c.cy));
      if (ex)
        b.U32(c.id);
      else
        b.U16(c.id);
      c.cls.Write(b);
      c.text.Write(b);
      b.U16(static_cast<uint32_t>(c.extra.size()));
      b.b.insert(b.b.end(), c.extra.begin(), c.extra.end());
    }
    Add(Id(5), name, lang, std::move(b.b));
  }

  void Rect(Control& c, bool sizeOptional = false) {
    c.x = static_cast<int32_t>(Expr());
    Comma();
    c.y = static_cast<int32_t>(Expr());
    if (sizeOptional && !lex_.AcceptPunct(',')) return;
    if (!sizeOptional) Comma();
    c.cx = static_cast<int32_t>(Expr());
    Comma();
    c.cy = static_cast<int32_t>(Expr());
  }

  Control ControlStatement(bool ex) {
    Token kw = lex_.Next();
    if (kw.kind != Tok::Ident) lex_.Fail("expected a control statement");
    const std::string word = Upper(kw.text);
    Control c;
    if (word == "CONTROL") {
      c.text = TextOrOrdinal();
      Comma();
      c.id = Expr();
      Comma();
      if (lex_.Peek().kind == Tok::String) {
        std::u16string name = String();
        auto ordinal = PredefinedClass(host::ToUtf8(name));
        c.cls.kind = ordinal ? SzOrOrd::Ordinal : SzOrOrd::Text;
        c.cls.ordinal = ordinal.value_or(0);
        c.cls.text = name;
      } else if (lex_.Peek().kind == Tok::Ident) {
        std::string name = lex_.Next().text;
        auto ordinal = PredefinedClass(name);
        c.cls.kind = ordinal ? SzOrOrd::Ordinal : SzOrOrd::Text;
        c.cls.ordinal = ordinal.value_or(0);
        c.cls.text = host::FromUtf8(name);
      } else {
        c.cls.kind = SzOrOrd::Ordinal;
        c.cls.ordinal = static_cast<uint16_t>(Expr());
      }
      Comma();
      c.style = Expr(WS_CHILD | WS_VISIBLE);
      Comma();
      Rect(c);
    } else {
      const ControlKind* kind = nullptr;
      for (const ControlKind& k : kControls)
        if (word == k.keyword) kind = &k;
      if (!kind) lex_.Fail("unknown control statement \"" + kw.text + "\"");
      c.cls.kind = SzOrOrd::Ordinal;
      c.cls.ordinal = kind->classOrdinal;
      if (kind->hasText) {
        c.text = TextOrOrdinal();
        Comma();
      }
      c.id = Expr();
      Comma();
      const bool icon = word == "ICON";
      Rect(c, icon);
      c.style = WS_CHILD | WS_VISIBLE | kind->defaults;
      if (lex_.AcceptPunct(',')) c.style = Expr(c.style);
      if (c.text.kind == SzOrOrd::None && kind->hasText) c.text.kind = SzOrOrd::Text;
    }
    if (lex_.AcceptPunct(',')) {
      c.exStyle = Expr();
      if (ex && lex_.AcceptPunct(',')) c.helpId = Expr();
    }
    if (ex && IsBegin()) {
      // Creation data of the control.
      Begin();
      Bytes data;
      while (!IsEnd()) {
        if (lex_.Peek().kind == Tok::End) lex_.Fail("expected END");
        sawLong_ = false;
        uint32_t v = Expr();
        if (sawLong_)
          data.U32(v);
        else
          data.U16(v);
        Comma();
      }
      End();
      c.extra = std::move(data.b);
    }
    if (!ex && c.id > 0xFFFF && c.id != 0xFFFFFFFF) lex_.Fail("control id out of range for DIALOG");
    return c;
  }

  // MENU: a header of two zero words, then items: flags (MF_POPUP for a popup, MF_END on the
  // last item of a level), the command id for a plain item, the text.
  void Menu(const ResName& name) {
    uint16_t lang = language_;
    MemoryOptions();
    CommonOptions(lang);
    Bytes b;
    b.U16(0);
    b.U16(0);
    MenuItems(b, 0);
    Add(Id(4), name, lang, std::move(b.b));
  }

  void MenuItems(Bytes& b, int depth) {
    if (depth > 16) lex_.Fail("menus nested too deeply");
    Begin();
    struct Item {
      uint32_t flags = 0;
      bool popup = false;
      uint32_t id = 0;
      std::u16string text;
      Bytes children;
    };
    std::vector<Item> items;
    while (!IsEnd()) {
      if (lex_.Peek().kind == Tok::End) lex_.Fail("expected END");
      Item item;
      if (lex_.AcceptKeyword("MENUITEM")) {
        if (!lex_.AcceptKeyword("SEPARATOR")) {
          item.text = String();
          Comma();
          item.id = Expr();
          item.flags = MenuOptions();
        }
      } else if (lex_.AcceptKeyword("POPUP")) {
        item.popup = true;
        item.text = String();
        item.flags = MenuOptions() | 0x10;
        MenuItems(item.children, depth + 1);
      } else {
        lex_.Fail("expected MENUITEM or POPUP");
      }
      items.push_back(std::move(item));
    }
    End();
    for (size_t i = 0; i < items.size(); ++i) {
      const Item& item = items[i];
      b.U16(item.flags | (i + 1 == items.size() ? 0x80 : 0));
      if (!item.popup) b.U16(item.id);
      b.WideZ(item.text);
      b.b.insert(b.b.end(), item.children.b.begin(), item.children.b.end());
    }
  }

  uint32_t MenuOptions() {
    uint32_t flags = 0;
    for (;;) {
      lex_.AcceptPunct(',');
      if (lex_.AcceptKeyword("CHECKED")) flags |= 0x0008;
      else if (lex_.AcceptKeyword("GRAYED")) flags |= 0x0001;
      else if (lex_.AcceptKeyword("INACTIVE")) flags |= 0x0002;
      else if (lex_.AcceptKeyword("HELP")) flags |= 0x4000;
      else if (lex_.AcceptKeyword("MENUBARBREAK")) flags |= 0x0020;
      else if (lex_.AcceptKeyword("MENUBREAK")) flags |= 0x0040;
      else return flags;
    }
  }

  Lexer& lex_;
  Result& result_;
  std::vector<Resource> out_;
  std::map<std::pair<uint16_t, uint16_t>, std::array<std::optional<std::u16string>, 16>> strings_;
  uint16_t language_ = 0x0409;  // LANG_ENGLISH, SUBLANG_ENGLISH_US until a LANGUAGE statement
  uint16_t nextIcon_ = 0, nextCursor_ = 0;
  bool sawLong_ = false;
  int depth_ = 0;
};

}  // namespace

bool CompileScript(const std::string& text, const fs::path& path, const Options& options, Result& result) {
  result.resources.clear();
  result.error.clear();
  try {
    Lexer lex(options, result);
    lex.PushFile(path, text);
    Compiler compiler(lex, result);
    compiler.Run();
    return true;
  } catch (const Error& e) {
    result.error = e.what();
    result.resources.clear();
    return false;
  }
}

bool CompileFile(const fs::path& path, const Options& options, Result& result) {
  std::string text;
  if (!ReadWhole(path, text)) {
    result.error = path.string() + ": cannot read the file";
    return false;
  }
  result.inputs.insert(fs::absolute(path));
  return CompileScript(text, path, options, result);
}

std::string GenerateSource(const std::vector<Resource>& resources, const std::string& scriptName) {
  std::ostringstream o;
  o << "// The resource directory compiled by zoltrc from " << scriptName << ". Do not edit.\n"
    << "#include \"win32/resource.h\"\n\nnamespace {\n\n";
  auto wide = [&o](const std::u16string& s) {
    o << "{";
    for (char16_t c : s) o << "0x" << std::hex << unsigned(c) << std::dec << ", ";
    o << "0}";
  };
  for (size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    o << "alignas(8) const BYTE d" << i << "[" << std::max<size_t>(r.data.size(), 1) << "] = {";
    for (size_t k = 0; k < r.data.size(); ++k) {
      if (k % 24 == 0) o << "\n    ";
      o << unsigned(r.data[k]) << ",";
    }
    if (r.data.empty()) o << "0";
    o << "};\n";
    if (!r.type.isId) {
      o << "const WCHAR t" << i << "[] = ";
      wide(r.type.name);
      o << ";\n";
    }
    if (!r.name.isId) {
      o << "const WCHAR n" << i << "[] = ";
      wide(r.name.name);
      o << ";\n";
    }
  }
  if (!resources.empty()) {
    o << "\nconst ZOLT_RESOURCE_ENTRY kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource& r = resources[i];
      o << "    {" << (r.type.isId ? std::string("nullptr") : "t" + std::to_string(i)) << ", " << r.type.id << ", "
        << (r.name.isId ? std::string("nullptr") : "n" + std::to_string(i)) << ", " << r.name.id << ", 0x"
        << std::hex << r.language << std::dec << ", " << r.data.size() << ", d" << i << "},\n";
    }
    o << "};\n";
  }
  o << "\n}  // namespace\n\n"
    << "extern \"C\" __attribute__((visibility(\"default\"))) const ZOLT_RESOURCE_DIRECTORY zolt_resource_directory = {\n"
    << "    ZOLT_RESOURCE_MAGIC, ZOLT_RESOURCE_VERSION, " << resources.size() << ", "
    << (resources.empty() ? "nullptr" : "kEntries") << "};\n";
  return o.str();
}

}  // namespace zolt::rc
