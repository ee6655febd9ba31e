// The token reader against the plain reader of ReferenceTokenReader.h: random scripts and a random
// mix of ScrReadString / ScrReadKeyword calls; every call must give the same token, return value,
// line id and stream position. A second run puts look-aheads (save, read, restore) in between,
// which must change nothing. A table of small scripts below covers line ends, trailing tabs,
// GBK trail bytes and the keyword-dependent rules directly; cases the random runs find go there.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "LexTestUtil.h"
#include "ReferenceTokenReader.h"
#include "lexer/ScrLex.h"

using namespace lextest;

namespace {

struct Step {
  char kind = 'S';  // 'S' ScrReadString, 'K' ScrReadKeyword
  int ret = 0;
  std::string tok;
  int line = 0;
  long pos = 0;
  bool operator==(const Step&) const = default;
};

std::string Escape(std::string_view s, size_t limit = 600) {
  std::string out;
  for (size_t i = 0; i < s.size() && out.size() < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
    else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  if (out.size() >= limit) out += "...";
  return out;
}

std::string Show(const Step& s) {
  return std::string(1, s.kind) + " ret=" + std::to_string(s.ret) + " line=" + std::to_string(s.line) +
         " pos=" + std::to_string(s.pos) + " tok=\"" + Escape(s.tok, 300) + "\"";
}

// The call kinds of one run: the same seed gives the same sequence to both readers.
class CallMix {
 public:
  explicit CallMix(uint32_t seed, std::string fixed = {}) : m_rng(seed), m_fixed(std::move(fixed)) {}
  char Next() {
    if (!m_fixed.empty()) return m_fixed[m_i++ % m_fixed.size()];
    return m_rng() % 2 ? 'K' : 'S';
  }

 private:
  std::mt19937 m_rng;
  std::string m_fixed;
  size_t m_i = 0;
};

size_t StepGuard(const std::string& text) { return 4 * text.size() + 1000; }

// Every cut moves the stream on, and a token gives only a few pieces: a reader that stays put
// for this many calls is stuck.
constexpr int kStuckCalls = 64;
bool Stuck(std::vector<Step>& steps) {
  size_t n = steps.size();
  return n > kStuckCalls && steps[n - 1].pos == steps[n - 1 - kStuckCalls].pos;
}

std::vector<Step> RunReference(const std::string& text, CallMix calls) {
  ResetLexer();
  ReferenceTokenReader r(text);
  std::vector<Step> out;
  for (size_t i = 0; i < StepGuard(text) && !r.InputEnded(); ++i) {
    Step s;
    s.kind = calls.Next();
    s.ret = s.kind == 'K' ? r.ReadKeyword(s.tok) : r.ReadString(s.tok);
    s.line = r.LineId();
    s.pos = static_cast<long>(r.Pos());
    out.push_back(std::move(s));
    if (Stuck(out)) break;
  }
  ResetLexer();
  return out;
}

// lookSeed 0: no look-aheads.
std::vector<Step> RunProduction(const std::string& text, CallMix calls, uint32_t lookSeed = 0) {
  ResetLexer();
  auto f = CScrStream::FromText(text, "gen.scr");
  std::mt19937 look(lookSeed);
  std::vector<Step> out;
  std::string tmp;
  for (size_t i = 0; i < StepGuard(text) && !ScrInputEnded(f.get()); ++i) {
    if (lookSeed && look() % 4 == 0) {
      ScrLexMark mark = ScrSaveLexState(f.get());
      for (int n = 1 + static_cast<int>(look() % 3); n > 0 && !ScrInputEnded(f.get()); --n)
        if (look() % 2) ScrReadKeyword(f.get(), tmp);
        else ScrReadString(f.get(), tmp);
      ScrRestoreLexState(f.get(), mark);
    }
    Step s;
    s.kind = calls.Next();
    s.ret = s.kind == 'K' ? ScrReadKeyword(f.get(), s.tok) : ScrReadString(f.get(), s.tok);
    s.line = ScrGetLineId();
    s.pos = f->Tell();
    out.push_back(std::move(s));
    if (Stuck(out)) break;
  }
  ResetLexer();
  return out;
}

// Empty when both runs agree; otherwise the first difference, with the script around it.
std::string Compare(const std::string& text, const std::vector<Step>& ref, const std::vector<Step>& prod) {
  size_t i = 0;
  while (i < ref.size() && i < prod.size() && ref[i] == prod[i]) ++i;
  if (i == ref.size() && i == prod.size()) return {};
  std::string msg = "first difference at step " + std::to_string(i) + " of " + std::to_string(ref.size()) +
                    " (reference) / " + std::to_string(prod.size()) + " (production)\n";
  msg += "  reference:  " + (i < ref.size() ? Show(ref[i]) : std::string("<input ended>")) + "\n";
  msg += "  production: " + (i < prod.size() ? Show(prod[i]) : std::string("<input ended>")) + "\n";
  size_t from = i > 0 ? static_cast<size_t>(ref[i - 1].pos) : 0;
  if (text.size() <= 2000) {
    msg += "  script: \"" + Escape(text, 8000) + "\"\n";
  } else {
    size_t ls = text.find_last_of("\r\n", from > 0 ? from - 1 : 0);
    ls = (ls == std::string::npos || from == 0) ? 0 : ls + 1;
    msg += "  script of " + std::to_string(text.size()) + " bytes; from byte " + std::to_string(ls) + ": \"" +
           Escape(std::string_view(text).substr(ls), 1500) + "\"\n";
  }
  msg += "  step started at byte " + std::to_string(from);
  return msg;
}

// ---------------------------------------------------------------------------------------------
// Random scripts.

const char* const kPieces[] = {
    // keywords and block heads
    "script", "module A", "Module  B", "name", "field", "content", "type", "values", "define", "if", "else if",
    "elseif", "while", "for", "switch", "class C", "segment", "case 1:", "default:", "string", "bitmap",
    "animation", "leaf ", "Examine ",
    // braces, separators, comments
    "{", "}", "{ ", " }", ",", ";", " , ", ",,", "' note", "'", "' a { b } \"c", "x'y",
    // strings, balanced or not
    "\"txt\"", "\"a, b\"", "\"a;b\"", "\"{x}\"", "\"it's\"", "\"", "\"open", "\"(\"", "\"\"", "\"a\" \"b\"",
    // parentheses and brackets
    "(a>b)", "(a + b", "a)", ")", "(", "((1))", "[1]", "x[", "]", "m[1,2]", "(x)", "(a, b)",
    // calls and heads
    "f(a, b)", "f(x[1])", "obj.m(x)", "g(h(1, 2), 3)", "f()", "f(a) x", "f((a), (b)) y", "if (a == b)", "if(x)",
    "while(i<3)", "for (i=0;i<3;i++)", "else if (x > 1)", "else  if(y)", "switch (k)", "examine(e)", "leaf (z)",
    "f(a;b)", "f(\"a)\")", "h(a,(b,(c)))",
    // statements and operators
    "a = 1", "a == b", "a += 2", "b -= c", "c *= 3", "d /= e", "i++", "--j", "++k", "y=x++", "x=++i", "a*b",
    "a/b", "a<b", "a>b", "a&b", "a-b", "x = f(1)", "v[2] = 3", "int a, b", "int a = 1, b", "float x, y = 2",
    "interface int k", "return x", "return", "break", "delete p", "z=a++ +b++", "=", "++", "+", "-",
    // values
    "7", "-3.5", "0x1F", "42", "My Button", "model.sgv", "A", "b c",
    // GBK characters, some with a trail byte that looks like punctuation
    "\xB1\xC3", "\xD6\xD0", "\x81\x7B", "\x81\x7D", "\x81\x5C", "\x81\x5B", "\x81\x60", "\xB0\xA1\x81\x7B",
    // blanks
    " ", "\t", "  ",
};

const char* const kSeparators[] = {"", " ", " ", "\t", ", ", ",", "; ", "  "};

const char* const kRepeated[] = {" 7,", "a;", "\"x\",", "f(x) ", "1, ", "\xB1\xC3,", "b = 1;", " m[1,2],", "\"q;\" "};

class ScriptGen {
 public:
  explicit ScriptGen(uint32_t seed) : m_rng(seed) {}

  std::string Script(bool longLines, bool veryLong) {
    std::string s;
    int lines = 1 + Pick(30);
    int longAt = Pick(lines);
    for (int i = 0; i < lines; ++i) {
      if (longLines && i == longAt) s += LongLine(5000 + Pick(1000), false);
      else if (veryLong && i == longAt) s += LongLine(40000 + Pick(30000), true);
      else if (Pick(10) != 0) s += Line();
      if (i + 1 < lines || Pick(2)) s += LineEnd();
    }
    return s;
  }

 private:
  int Pick(size_t n) { return static_cast<int>(m_rng() % n); }
  template <size_t N>
  const char* From(const char* const (&a)[N]) {
    return a[Pick(N)];
  }

  std::string Line() {
    std::string s;
    if (Pick(4) == 0) s += Pick(2) ? "  " : "\t";
    for (int n = Pick(8); n > 0; --n) {
      s += From(kPieces);
      s += From(kSeparators);
    }
    if (Pick(5) == 0) s += Pick(2) ? "\t\t" : "\t";
    return s;
  }

  // Mostly one piece over and over; `big` lines repeat long strings and words instead, so that
  // the plain reader's time (rest of the line per token) stays small.
  std::string LongLine(size_t length, bool big) {
    std::string piece = From(kRepeated);
    if (big) {
      std::string body(1000 + Pick(2000), Pick(2) ? 'x' : ' ');
      piece = Pick(2) ? "\"" + body + "\", " : "w" + body + "\xB1\xC3,";
    }
    std::string s;
    while (s.size() < length) {
      if (Pick(300) == 0) s += From(kPieces);
      else s += piece;
    }
    if (Pick(3) == 0) s += "\t";
    return s;
  }

  std::string LineEnd() {
    int k = Pick(20);
    return k < 12 ? "\n" : k < 17 ? "\r\n" : "\r";
  }

  std::mt19937 m_rng;
};

class DifferentialTest : public LexTest {};

TEST_F(DifferentialTest, RandomScriptsReadAlike) {
  size_t steps = 0;
  for (uint32_t seed = 1; seed <= 800; ++seed) {
    std::string text = ScriptGen(seed).Script(seed % 100 == 0, seed % 400 == 250);
    auto ref = RunReference(text, CallMix(seed * 7919u));
    auto prod = RunProduction(text, CallMix(seed * 7919u));
    steps += ref.size();
    std::string diff = Compare(text, ref, prod);
    ASSERT_TRUE(diff.empty()) << "seed " << seed << ": " << diff;
  }
  RecordProperty("steps", std::to_string(steps));
  EXPECT_GT(steps, 20000u);
}

TEST_F(DifferentialTest, LookAheadsChangeNothing) {
  size_t steps = 0;
  for (uint32_t seed = 1001; seed <= 1400; ++seed) {
    std::string text = ScriptGen(seed).Script(seed % 100 == 50, seed == 1234);
    auto ref = RunReference(text, CallMix(seed));
    auto prod = RunProduction(text, CallMix(seed), seed);
    steps += ref.size();
    std::string diff = Compare(text, ref, prod);
    ASSERT_TRUE(diff.empty()) << "seed " << seed << ": " << diff;
  }
  RecordProperty("steps", std::to_string(steps));
}

// Small scripts (edges of the line handling and of the rules); calls cycle through `calls`.
struct Case {
  const char* text;
  const char* calls;
};

const Case kCases[] = {
    {"a\r\nb\rc\n\nd", "S"},
    {"values { 1, 2 }\t\t\r\nname \"x\"\t", "K"},
    {"x = \x81\x7B 1, 2\n\x81\x5C, f(a)", "SK"},
    {"type (a) x + f(b)\nf(a) + 1", "K"},
    {"content f(\"a\", b)\n", "K"},
    {"else  if(y) {\n}", "KS"},
};

TEST_F(DifferentialTest, FoundCasesReadAlike) {
  for (const Case& c : kCases) {
    auto ref = RunReference(c.text, CallMix(0, c.calls));
    auto prod = RunProduction(c.text, CallMix(0, c.calls));
    std::string diff = Compare(c.text, ref, prod);
    EXPECT_TRUE(diff.empty()) << diff;
  }
}

}  // namespace
