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
#include "reader/ScrKeywordTable.h"

using namespace scrlex;

namespace {

constexpr size_t npos = std::string::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// The operand written after an increment operator that ends at `from`.
std::string OperandAfter(const std::string& tok, size_t from) {
  size_t e = from;
  while (e < tok.size() && !InSet(tok[e], kForwardStops)) ++e;
  return tok.substr(from, e - from);
}

// "N=N+1" or "N=N-1".
std::string IncrementPiece(const std::string& n, char sign) { return n + "=" + n + sign + "1"; }

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
  std::string name = TrimBlanks(t.substr(0, p));
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
  std::string type = TrimBlanks(u.substr(0, sp));
  if (type.empty() || IsDigit(type[0]) || type == "delete" || HasAnyOf(type, "=+-/%()[]'")) return 0;
  std::string name = TrimBlanks(u.substr(sp + 1));
  size_t eq = name.find('=');
  if (eq != npos) name = TrimBlanks(std::string_view(name).substr(0, eq));
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
// When an increment follows its operand and the rest of the token is still a statement, the rest
// is rewritten first and the increment comes after it. That is done here with a list of pieces
// waiting to follow the rest (`after`), so a token with many increments needs no recursion.
void ScrRewriteStatement(const std::string& token, std::vector<std::string>& pieces) {
  std::vector<std::string> after;  // pushed outermost first; emitted last-pushed first
  std::string tok = token;
  for (;;) {
    if (tok.empty()) break;
    if (tok[0] == '(') {
      pieces.push_back(tok);
      break;
    }

    // Compound assignment: L op= R  ->  L=L op(R), L and R verbatim.
    static const char* const kCompound[] = {"+=", "-=", "*=", "/="};
    for (const char* op : kCompound) {
      size_t p = FindOperator(tok, op);
      if (p == npos) continue;
      std::string l = tok.substr(0, p), r = tok.substr(p + 2);
      tok = l + "=" + l + op[0] + "(" + r + ")";
      break;
    }

    // Increments and decrements.
    bool dropped = false, restart = false;
    for (;;) {
      char sign = '+';
      size_t p = FindOperator(tok, "++");
      if (p == npos) {
        sign = '-';
        p = FindOperator(tok, "--");
      }
      if (p == npos) break;
      if (p == 0) {
        // ++N: the increment alone, then whatever statement is left.
        std::string n = OperandAfter(tok, 2);
        if (n.empty()) {
          dropped = true;
          break;
        }
        pieces.push_back(IncrementPiece(n, sign));
        tok.erase(0, 2);
        if (!ScrIsStatement(tok.c_str())) {
          dropped = true;
          break;
        }
        continue;
      }
      if (!InSet(tok[p - 1], kBackwardStops)) {
        // N++: the rest of the statement first, then the increment.
        size_t b = p;
        while (b > 0 && !InSet(tok[b - 1], kBackwardStops)) --b;
        std::string piece = IncrementPiece(tok.substr(b, p - b), sign);
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
      // op++N (an operator before the increment): the increment first, then the rest.
      std::string n = OperandAfter(tok, p + 2);
      if (n.empty()) {
        dropped = true;
        break;
      }
      pieces.push_back(IncrementPiece(n, sign));
      tok.erase(p, 2);
      if (!ScrIsStatement(tok.c_str()) && tok.find('[') == npos) {
        dropped = true;
        break;
      }
    }
    if (restart) continue;
    if (dropped) break;

    // Declaration list: "int a, b = 2, c" -> "int a", "int b = 2", "int c".
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
