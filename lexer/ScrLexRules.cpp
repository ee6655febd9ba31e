// The token classes of the script language and the statement rewriting of the token reader.
//
// The same classes serve the token reader, the grammar check and the compiler: a call
// `f(a, b)`, a statement (assignment, return, break, increment, indexing, declaration), a
// declaration `type name [= value]`, an operator expression `(a > b)`, and "keyword-like", which
// is any of these, a block head or a word of the keyword table.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexState.h"
#include "lexer/ScrLexText.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrKeywordTable.h"
#include "reader/ScriptReader.h"

using namespace scrlex;

namespace {

constexpr size_t npos = std::string::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// `s` without the blanks around it, as a view: the classes below run on every token and must not
// allocate.
std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool HasAnyOf(std::string_view s, const char* set) {
  for (char c : s)
    if (InSet(c, set)) return true;
  return false;
}

// The first occurrence of `op` outside double quotes: text inside a string literal holds no
// operators.
size_t FindOperator(std::string_view s, std::string_view op) {
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

// Characters that end the operand of ++/-- when looking forward ...
constexpr const char* kForwardStops = "+-*/|()%[]";
// ... and when looking back.
constexpr const char* kBackwardStops = "+-*/|()%=[]";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Classes.

// call: name '(' ... where the name is no statement word and holds no operator.
int ScrIsCallShaped(const char* s) {
  if (!s) return 0;
  std::string_view t(s);
  if (t.empty() || t[0] == '(') return 0;
  size_t p = FindUnquoted(t, '(');
  if (p == npos) return 0;
  if (t.substr(0, p).find('[') != npos) return 0;
  if (StartsWith(t, "return ")) return 0;
  std::string_view name = TrimView(t.substr(0, p));
  if (name.empty()) return 0;
  static const char* const kNotCalls[] = {"if", "elseif", "while", "for", "switch", "asyn"};
  for (const char* w : kNotCalls)
    if (name == w) return 0;
  return HasAnyOf(name, "+-*/=%<>") ? 0 : 1;
}

// statement: assignment | return | break | delete | ++ | -- | indexing | declaration.
int ScrIsStatement(const char* s) {
  if (!s) return 0;
  std::string_view t(s);
  if (FindUnquoted(t, '{') != npos || FindUnquoted(t, '}') != npos) return 0;
  if (t.find('=') != npos && t[0] != '(' && t[0] != '/') return 1;
  if (StartsWith(t, "class ") || StartsWith(t, "segment ")) return 0;
  if (StartsWith(t, "return ") || t == "return") return 1;
  if (StartsWith(t, "break") || StartsWith(t, "delete ")) return 1;
  if (Contains(t, "++") || Contains(t, "--") || Contains(t, "[")) return 1;
  return ScrIsDeclaration(s);
}

// declaration: [... "interface "] type name [= value].
int ScrIsDeclaration(const char* s) {
  if (!s) return 0;
  std::string_view t(s);
  if (Contains(t, "return ")) return 0;
  size_t i = t.find("interface ");
  std::string_view u = (i == npos) ? t : t.substr(i + std::strlen("interface "));
  size_t sp = u.find(' ');
  if (sp == npos) return 0;
  std::string_view type = TrimView(u.substr(0, sp));
  if (type.empty() || IsDigit(type[0]) || type == "delete" || HasAnyOf(type, "=+-/%()[]'")) return 0;
  std::string_view name = TrimView(u.substr(sp + 1));
  size_t eq = name.find('=');
  if (eq != npos) name = TrimView(name.substr(0, eq));
  if (name.empty() || IsDigit(name[0]) || HasAnyOf(name, " =+-/%()'")) return 0;
  return 1;
}

// operator expression: '(' ... ')' holding an operator, or any operator text under `type`.
int ScrIsOperatorExpression(const char* s) {
  if (!s) return 0;
  std::string_view t(s);
  if (t.find('{') != npos) return 0;
  if (!HasAnyOf(t, "=+-*/%<>&")) return 0;
  if (t.size() >= 2 && t.front() == '(' && t.back() == ')') return 1;
  return std::strcmp(ScrGetCurKeyWord(), "type") == 0 ? 1 : 0;
}

int ScrIsKeywordLike(const char* s) {
  if (!s) return 0;
  if (ScrIsCallShaped(s) || ScrIsStatement(s)) return 1;
  std::string_view t(s);
  static const char* const kHeads[] = {"class", "segment", "case ", "default ", "default:", "asyn("};
  for (const char* h : kHeads)
    if (StartsWith(t, h)) return 1;
  return ScrIsKeyword(s);
}

// ---------------------------------------------------------------------------------------------
// Statement rewriting.
//
//   a += 2       ->  a =a +( 2)
//   i++ / ++i    ->  i=i+1
//   y=x++        ->  y=x ; x=x+1
//   x=++i        ->  i=i+1 ; x=i
//   int a, b     ->  int a ; int b
//
// The rules, in order: a compound assignment `L op= R` becomes `L=L op(R)`, once, on the token as
// written (on its own output it finds an "op=" again whenever L ends in a sign, and each pass
// doubles the text); then every "++", and after them every "--", outside quotes is taken out,
// first occurrence first; then a declaration list is split.
//
// The increments are taken out in one sweep over the text per operator, with the text kept as a
// gap buffer: everything before the cursor is known to hold no operator being looked for, so
// after an operator is removed the sweep goes on from where it stands.
// The facts the statement test asks for are kept up to date as operators go, so no step scans
// the whole text again. Each character is looked at a bounded number of times; the output is
// bounded by SCR_MAX_REWRITE_OUTPUT (operands written before their increment can add up, as in
// `a++a++a++...`, where every piece repeats all the text before it).

namespace {

// Characters without which no rule applies: compound assignments and increments need a sign, a
// declaration list a comma.
constexpr const char* kRewriteTriggers = "+-*/,";

class StatementRewriter {
 public:
  StatementRewriter(std::vector<std::string>& pieces)
      : m_pieces(pieces), m_budget(static_cast<size_t>(SCR_MAX_REWRITE_OUTPUT)) {}

  // Rewrites `token` (not empty, not beginning with '(') onto the pieces. False when the output
  // would pass the bound: the pieces made so far are then still in the list.
  bool Run(const std::string& token);

 private:
  enum class Step { Go, Dropped, Full };

  void Compound(const std::string& token);
  Step Increments();
  Step Sweep(bool minusToo);
  Step Increment(char sign);
  bool Declarations();

  // --- the gap buffer: m_tok[0, m_w) is the text before the cursor, m_tok[m_r, end) the rest ---
  size_t Length() const { return m_w + (m_tok.size() - m_r); }
  char At(size_t i) const { return i < m_w ? m_tok[i] : m_tok[m_r + (i - m_w)]; }
  void Forward() {
    char c = m_tok[m_r++];
    m_tok[m_w++] = c;
    if (c == '"') m_quoted = !m_quoted;
  }
  void Back() {
    if (m_w == 0) return;
    char c = m_tok[--m_w];
    m_tok[--m_r] = c;
    if (c == '"') m_quoted = !m_quoted;
  }
  void CountPair(char a, char b, long d) {
    if (a != b) return;
    if (a == '+') m_plusPairs += d;
    else if (a == '-') m_minusPairs += d;
  }
  // Removes the two characters at the cursor, keeping the "++"/"--" counts.
  void EraseAtCursor() {
    char a = m_w > 0 ? m_tok[m_w - 1] : '\0';
    char x = m_tok[m_r], y = m_tok[m_r + 1];
    char b = m_r + 2 < m_tok.size() ? m_tok[m_r + 2] : '\0';
    CountPair(a, x, -1);
    CountPair(x, y, -1);
    CountPair(y, b, -1);
    CountPair(a, b, +1);
    m_r += 2;
  }
  std::string Text() const {
    std::string t;
    t.reserve(Length());
    t.append(m_tok, 0, m_w);
    t.append(m_tok, m_r, std::string::npos);
    return t;
  }
  bool IsStatementNow() const;

  // Output, charged against the bound.
  bool Charge(size_t n) {
    if (n > m_budget) return false;
    m_budget -= n;
    return true;
  }
  // "N=N+1" or "N=N-1" with N = m_tok[from, from + n).
  std::string Piece(size_t from, size_t n, char sign) const {
    std::string p;
    p.reserve(2 * n + 3);
    p.append(m_tok, from, n).append(1, '=').append(m_tok, from, n).append(1, sign).append(1, '1');
    return p;
  }

  std::vector<std::string>& m_pieces;
  std::vector<std::string> m_after;  // pieces that follow the rest, pushed outermost first
  size_t m_budget;
  std::string m_tok;
  size_t m_w = 0, m_r = 0;
  bool m_quoted = false;  // the text before the cursor leaves a string literal open
  // Removing "++" or "--" changes none of these three.
  bool m_brace = false, m_eq = false, m_bracket = false;
  long m_plusPairs = 0, m_minusPairs = 0;  // "++" / "--" anywhere, quoted or not, overlapping
};

// Compound assignment: L op= R  ->  L=L op(R), L and R verbatim.
void StatementRewriter::Compound(const std::string& token) {
  static const char* const kCompound[] = {"+=", "-=", "*=", "/="};
  for (const char* op : kCompound) {
    if (token.find(op[0]) == npos) continue;
    size_t p = FindOperator(token, op);
    if (p == npos) continue;
    m_tok.reserve(2 * token.size() + 2);
    m_tok.assign(token, 0, p).append(1, '=').append(token, 0, p).append(1, op[0]).append(1, '(');
    m_tok.append(token, p + 2, npos).append(1, ')');
    return;
  }
  m_tok = token;
}

// ScrIsStatement of the current text, from the kept facts; only a text with no "++" or "--" left
// in it may need the declaration test, and after that no increment is left to take out.
bool StatementRewriter::IsStatementNow() const {
  if (m_brace) return false;
  size_t len = Length();
  char first = len > 0 ? At(0) : '\0';
  if (m_eq && first != '(' && first != '/') return true;
  char head[8];
  size_t hn = 0;
  while (hn < sizeof head && hn < len) {
    head[hn] = At(hn);
    ++hn;
  }
  std::string_view h(head, hn);
  if (StartsWith(h, "class ") || StartsWith(h, "segment ")) return false;
  if (StartsWith(h, "return ") || (len == 6 && h == "return")) return true;
  if (StartsWith(h, "break") || StartsWith(h, "delete ")) return true;
  if (m_plusPairs > 0 || m_minusPairs > 0 || m_bracket) return true;
  return ScrIsDeclaration(Text().c_str()) != 0;
}

// One increment or decrement at the cursor.
StatementRewriter::Step StatementRewriter::Increment(char sign) {
  const size_t n = m_tok.size();
  if (m_w > 0 && !InSet(m_tok[m_w - 1], kBackwardStops)) {
    // N++: the rest of the statement first, then the increment.
    size_t b = m_w;
    while (b > 0 && !InSet(m_tok[b - 1], kBackwardStops)) --b;
    if (!Charge(2 * (m_w - b) + 3)) return Step::Full;
    std::string piece = Piece(b, m_w - b, sign);
    EraseAtCursor();
    if (!IsStatementNow()) {
      m_pieces.push_back(std::move(piece));
      return Step::Dropped;
    }
    m_after.push_back(std::move(piece));
    Back();
    return Step::Go;
  }
  // ++N at the start, or op++N: the increment first, then the rest.
  size_t from = m_r + 2, e = from;
  while (e < n && !InSet(m_tok[e], kForwardStops)) ++e;
  if (e == from) return Step::Dropped;
  if (!Charge(2 * (e - from) + 3)) return Step::Full;
  m_pieces.push_back(Piece(from, e - from, sign));
  bool atStart = m_w == 0;
  EraseAtCursor();
  if (atStart) return IsStatementNow() ? Step::Go : Step::Dropped;
  if (!IsStatementNow() && !m_bracket) return Step::Dropped;
  Back();
  return Step::Go;
}

// One pass over the text taking out "++" (and "--" when `minusToo`), first occurrence first. An
// operator is only taken out with an operand on one side of it, so the two characters it leaves
// side by side never make a new one; the cursor still steps back over the first of them.
StatementRewriter::Step StatementRewriter::Sweep(bool minusToo) {
  m_w = m_r = 0;
  m_quoted = false;
  while (m_r < m_tok.size()) {
    char c = m_tok[m_r];
    if (!m_quoted && (c == '+' || (minusToo && c == '-')) && m_r + 1 < m_tok.size() &&
        m_tok[m_r + 1] == c) {
      Step s = Increment(c);
      if (s != Step::Go) return s;
      continue;
    }
    Forward();
  }
  m_tok.resize(m_w);  // close the gap: the text is whole again
  m_r = m_w;
  return Step::Go;
}

StatementRewriter::Step StatementRewriter::Increments() {
  bool quoted = false;
  for (size_t i = 0; i < m_tok.size(); ++i) {
    char c = m_tok[i];
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == '{' || c == '}')) m_brace = true;
    if (c == '=') m_eq = true;
    if (c == '[') m_bracket = true;
    if (i + 1 < m_tok.size()) CountPair(c, m_tok[i + 1], +1);
  }
  if (m_plusPairs == 0 && m_minusPairs == 0) return Step::Go;
  if (m_plusPairs > 0) {
    Step s = Sweep(false);
    if (s != Step::Go) return s;
  }
  if (m_minusPairs == 0) return Step::Go;
  return Sweep(true);
}

// Declaration list: "int a, b = 2, c" -> "int a", "int b = 2", "int c". False when the output
// would pass the bound; the text is queued by the caller when it is no declaration list.
bool StatementRewriter::Declarations() {
  size_t comma = FindTopLevel(m_tok, ',');
  if (comma == npos) return Charge(m_tok.size()) ? (m_pieces.push_back(m_tok), true) : false;
  std::string_view all(m_tok);
  std::string_view first = all.substr(0, comma);
  if (!ScrIsDeclaration(std::string(first).c_str()))
    return Charge(m_tok.size()) ? (m_pieces.push_back(m_tok), true) : false;
  std::string_view type = first.substr(0, first.find(' '));
  if (!Charge(first.size())) return false;
  m_pieces.emplace_back(first);
  std::string_view rest = all.substr(comma + 1);
  while (true) {
    size_t c = FindTopLevel(rest, ',');
    std::string item = TrimBlanks(rest.substr(0, c));
    if (!item.empty()) {
      bool typed = item.find(' ') != npos;
      if (!Charge(item.size() + (typed ? 0 : type.size() + 1))) return false;
      if (typed) {
        m_pieces.push_back(std::move(item));
      } else {
        std::string piece;
        piece.reserve(type.size() + 1 + item.size());
        piece.append(type).append(1, ' ').append(item);
        m_pieces.push_back(std::move(piece));
      }
    }
    if (c == npos) break;
    rest = rest.substr(c + 1);
  }
  return true;
}

bool StatementRewriter::Run(const std::string& token) {
  Compound(token);
  Step s = Increments();
  if (s == Step::Full) return false;
  if (s == Step::Go && !Declarations()) return false;
  // The increments written after their operands, innermost first.
  for (auto it = m_after.rbegin(); it != m_after.rend(); ++it) m_pieces.push_back(std::move(*it));
  return true;
}

}  // namespace

// Rewrites one token into statement pieces. A token past the output bound is queued as written,
// with a warning.
void ScrRewriteStatement(const std::string& token, std::vector<std::string>& pieces) {
  if (token.empty()) return;
  // Most tokens are a name, a value or a call: nothing to rewrite.
  if (token[0] == '(' || token.find_first_of(kRewriteTriggers) == npos) {
    pieces.push_back(token);
    return;
  }
  const size_t start = pieces.size();
  StatementRewriter rewriter(pieces);
  if (rewriter.Run(token)) return;
  pieces.resize(start);
  pieces.push_back(token);
  if (CScriptReader* r = ScrGetCurrentReader())
    r->Report(ScrTextId::warn_rewrite_too_long, nullptr, {SCR_MAX_REWRITE_OUTPUT, ScrGetCurKeyWord()});
}
