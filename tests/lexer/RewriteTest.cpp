// Statement rewriting of the token reader: the rules, the plain tokens that skip them, the bound
// on the output, and a comparison with the earlier rewriting on random short tokens.
#include <random>
#include <string>
#include <vector>

#include "LexTestUtil.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLexText.h"
#include "lexer/ScrLimits.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"

using namespace lextest;
using namespace scrlex;

namespace {

using Pieces = std::vector<std::string>;

Pieces Rewrite(const std::string& token) {
  Pieces out;
  ScrRewriteStatement(token, out);
  return out;
}

size_t TotalSize(const Pieces& p) {
  size_t n = 0;
  for (const std::string& s : p) n += s.size();
  return n;
}

// The earlier rewriting, kept to compare against. It restarted from the compound assignment after
// every increment written after its operand; with `compoundOnRestart` false it applies the
// compound assignment once, as the reader does now. `reapplied` tells whether a restart found a
// compound assignment again (in its own output: the copies of L double each time).
constexpr size_t npos = std::string::npos;

size_t OldFindOperator(std::string_view s, std::string_view op) {
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && s.compare(i, op.size(), op) == 0) return i;
  }
  return npos;
}

std::string OldOperandAfter(const std::string& tok, size_t from) {
  size_t e = from;
  while (e < tok.size() && !InSet(tok[e], "+-*/|()%[]")) ++e;
  return tok.substr(from, e - from);
}

std::string OldPiece(const std::string& n, char sign) { return n + "=" + n + sign + "1"; }

void OldRewrite(const std::string& token, Pieces& pieces, bool compoundOnRestart, bool& reapplied) {
  const char* kBack = "+-*/|()%=[]";
  reapplied = false;
  Pieces after;
  std::string tok = token;
  bool restarted = false;
  for (;;) {
    if (tok.empty()) break;
    if (tok[0] == '(') {
      pieces.push_back(tok);
      break;
    }
    static const char* const kCompound[] = {"+=", "-=", "*=", "/="};
    for (const char* op : kCompound) {
      size_t p = OldFindOperator(tok, op);
      if (p == npos) continue;
      if (restarted) {
        reapplied = true;
        if (!compoundOnRestart) break;
      }
      std::string l = tok.substr(0, p), r = tok.substr(p + 2);
      tok = l + "=" + l + op[0] + "(" + r + ")";
      break;
    }
    bool dropped = false, restart = false;
    for (;;) {
      char sign = '+';
      size_t p = OldFindOperator(tok, "++");
      if (p == npos) {
        sign = '-';
        p = OldFindOperator(tok, "--");
      }
      if (p == npos) break;
      if (p == 0) {
        std::string n = OldOperandAfter(tok, 2);
        if (n.empty()) {
          dropped = true;
          break;
        }
        pieces.push_back(OldPiece(n, sign));
        tok.erase(0, 2);
        if (!ScrIsStatement(tok.c_str())) {
          dropped = true;
          break;
        }
        continue;
      }
      if (!InSet(tok[p - 1], kBack)) {
        size_t b = p;
        while (b > 0 && !InSet(tok[b - 1], kBack)) --b;
        std::string piece = OldPiece(tok.substr(b, p - b), sign);
        tok.erase(p, 2);
        if (!ScrIsStatement(tok.c_str())) {
          pieces.push_back(piece);
          dropped = true;
          break;
        }
        after.push_back(piece);
        restart = true;
        break;
      }
      std::string n = OldOperandAfter(tok, p + 2);
      if (n.empty()) {
        dropped = true;
        break;
      }
      pieces.push_back(OldPiece(n, sign));
      tok.erase(p, 2);
      if (!ScrIsStatement(tok.c_str()) && tok.find('[') == npos) {
        dropped = true;
        break;
      }
    }
    if (restart) {
      restarted = true;
      continue;
    }
    if (dropped) break;
    size_t comma = FindTopLevel(tok, ',');
    if (comma != npos) {
      std::string first = tok.substr(0, comma);
      if (ScrIsDeclaration(first.c_str())) {
        std::string type = first.substr(0, first.find(' '));
        pieces.push_back(first);
        std::string_view rest = std::string_view(tok).substr(comma + 1);
        while (true) {
          size_t c = FindTopLevel(rest, ',');
          std::string item = TrimBlanks(rest.substr(0, c));
          if (!item.empty()) pieces.push_back(item.find(' ') != npos ? item : type + " " + item);
          if (c == npos) break;
          rest = rest.substr(c + 1);
        }
        break;
      }
    }
    pieces.push_back(tok);
    break;
  }
  for (auto it = after.rbegin(); it != after.rend(); ++it) pieces.push_back(std::move(*it));
}

// The line that took the earlier rewriting 54 s, and longer lines of the same kind.
const std::string kRunaway = "a==r ------o------======r";

std::string RunawayOfLength(size_t n) {
  std::string s = "a==r ";
  const std::string unit = "------o------======r ";
  while (s.size() < n) s += unit;
  s.resize(n);
  return s;
}

using Rewriting = LexTest;

}  // namespace

TEST_F(Rewriting, Rules) {
  struct Case {
    const char* token;
    Pieces want;
  } cases[] = {
      {"", {}},
      {"i++", {"i=i+1"}},
      {"++i", {"i=i+1"}},
      {"i--", {"i=i-1"}},
      {"y=x++", {"y=x", "x=x+1"}},
      {"x=++i", {"i=i+1", "x=i"}},
      {"a += 2", {"a =a +( 2)"}},
      {"a/=b", {"a=a/(b)"}},
      {"a*=b-=c", {"a*=b=a*=b-(c)"}},  // "-=" is looked for before "*=", ...
      {"a-=b*=c", {"a=a-(b*=c)"}},      // ... and only once
      {"int a, b", {"int a", "int b"}},
      {"float x = 1, y, int z", {"float x = 1", "float y", "int z"}},
      {"f(a, b)", {"f(a, b)"}},  // no declaration before the comma
      {"z=a++ +b++", {"z=a +b", "b=b+1", "a=a+1"}},
      {"s = \"a++\"", {"s = \"a++\""}},
      {"s = \"x+=1\"", {"s = \"x+=1\""}},
      {"(a++)", {"(a++)"}},
      {"++", {}},                 // no operand: dropped
      {"++(a)", {}},              // the operand ends at '('
      {"a++", {"a=a+1"}},         // the rest "a" is no statement
      {"x[i++]+=1", {"x[i]=x[i]+(1)", "i=i+1", "i=i+1"}},  // L is copied with its increment
      {"x=y+++z", {"x=y+z", "y=y+1"}},
      {"a+--+b", {}},  // "--" after an operator with no operand after it: dropped
      {"x=a+--+b++", {"b=b+1"}},  // dropped at "--": the increments already made stay
      {"x=--i", {"i=i-1", "x=i"}},
      {"x=i++ --j", {"x=i j", "i =i -1", "i=i+1"}},  // the operand goes back to the '='
      {"return a++", {"return a", "return a=return a+1"}},
      {"x=\"a\"++", {"x=\"a\"", "\"a\"=\"a\"+1"}},
      {"x=a[i--]", {"x=a[i]", "i=i-1"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rewrite(c.token), c.want) << c.token;
    Pieces before;
    bool reapplied = false;
    OldRewrite(c.token, before, true, reapplied);
    EXPECT_EQ(before, c.want) << c.token;
  }
}

TEST_F(Rewriting, TokensWithoutOperatorsPassUnchanged) {
  const char* plain[] = {"x", "f(a)", "x=1", "if(a<b)", "\"say hi\"", "a[3]=b", "(a+b, c)", "{", "int a"};
  for (const char* t : plain) EXPECT_EQ(Rewrite(t), Pieces{t}) << t;
  // Pieces already queued stay in front.
  Pieces out{"before"};
  ScrRewriteStatement("x=1", out);
  ScrRewriteStatement("i++", out);
  EXPECT_EQ(out, (Pieces{"before", "x=1", "i=i+1"}));
}

// Every line here once ran away: the compound assignment re-applied to its own output doubled
// the text at each "--".
TEST_F(Rewriting, RunawayLinesFinishWithBoundedOutput) {
  Pieces once;
  bool reapplied = false;
  OldRewrite(kRunaway, once, false, reapplied);
  EXPECT_TRUE(reapplied);
  EXPECT_EQ(Rewrite(kRunaway), once);
  EXPECT_EQ(once.front(), "a==r o-=a==r o(=====r)");
  EXPECT_EQ(once.size(), 12u);
  for (size_t n : {size_t{89}, size_t{122}, size_t{4096}}) {
    std::string line = RunawayOfLength(n);
    Pieces out = Rewrite(line);
    EXPECT_FALSE(out.empty()) << n;
    EXPECT_LE(TotalSize(out), static_cast<size_t>(SCR_MAX_REWRITE_OUTPUT)) << n;
    EXPECT_LE(TotalSize(out), 8 * n) << n;
  }
}

// Output past the bound: the token is queued as written and a warning names the bound.
TEST_F(Rewriting, OutputPastTheBoundKeepsTheToken) {
  CSgModule root("main");
  CScriptReader reader(&root);
  ScrSetCurrentReader(&reader);

  std::string chain = "x=";  // every piece repeats all the operands before it
  while (chain.size() < 4000) chain += "a++";
  std::string longType(2000, 't');  // the type word is repeated for every item
  longType += " a";
  for (int i = 0; i < 500; ++i) longType += ",b";
  for (const std::string& t : {chain, longType}) {
    Pieces out{"before"};
    ScrRewriteStatement(t, out);
    EXPECT_EQ(out, (Pieces{"before", t}));
  }
  ASSERT_EQ(reader.MessageCount(), 2);
  EXPECT_EQ(ScrTextSeverity(ScrTextId::warn_rewrite_too_long), ScrSeverity::Warning);

  // Just under it, the rewriting goes through.
  std::string shortChain = "x=";
  while (shortChain.size() < 600) shortChain += "a++";
  EXPECT_GT(Rewrite(shortChain).size(), 100u);
  EXPECT_EQ(reader.MessageCount(), 2);
}

// Random short tokens give what the earlier rewriting gave, except where it re-applied the
// compound assignment to its own output; there the compound assignment now applies once.
TEST_F(Rewriting, AgreesWithTheEarlierRewriting) {
  const char* kAlphabet[] = {"a", "b", "x", "=", "+", "-", "*", "/", "(", ")",
                             "[", "]", ",", ";", "\"", " ", "int ", "++", "--"};
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kAlphabet)) - 1);
  std::uniform_int_distribution<int> length(1, 24);
  int differing = 0;
  for (int round = 0; round < 100000; ++round) {
    std::string t;
    int n = length(rng);
    while (t.size() < static_cast<size_t>(n)) t += kAlphabet[pick(rng)];
    if (t.size() > 24) t.resize(24);
    Pieces now = Rewrite(t), once, before;
    bool reapplied = false;
    OldRewrite(t, once, false, reapplied);
    ASSERT_EQ(now, once) << t;
    OldRewrite(t, before, true, reapplied);
    if (!reapplied) {
      ASSERT_EQ(now, before) << t;
    }
    differing += now != before;
  }
  // The re-applied cases are few (1378 of these), all with a sign before "op=" or a second "op=".
  EXPECT_LT(differing, 2000);

  // Where the outputs part: "b--=" leaves "b-" as L, so "L=L-(R)" holds "b-=" again.
  struct Case {
    const char* token;
    Pieces now, before;
  } cases[] = {
      {"b--=b--", {"b-=b(b)", "b=b-1", "b=b-1"}, {"b=b-(b(b))", "b=b-1", "b=b-1"}},
      {";++=+x--", {";+=;(+x)", "x=x-1", ";=;+1"}, {";=;+(;(+x))", "x=x-1", ";=;+1"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rewrite(c.token), c.now) << c.token;
    Pieces before;
    bool reapplied = false;
    OldRewrite(c.token, before, true, reapplied);
    EXPECT_TRUE(reapplied) << c.token;
    EXPECT_EQ(before, c.before) << c.token;
  }
}
