#include "compiler/ScrExprSplit.h"

#include <cstring>

#include "lexer/ScrValues.h"

namespace {

// The index of the ')' that closes the '(' at `open`, or npos. Quotes hide parentheses.
size_t MatchingParen(const std::string& s, size_t open) {
  int depth = 0;
  bool quoted = false;
  for (size_t i = open; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    else if (c == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

// A literal number: digits with at most one point, no sign (a sign is the unary operator).
bool IsNumber(const std::string& s) {
  if (s.empty()) return false;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    return s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
  bool digit = false;
  int points = 0;
  for (char c : s) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c == '.') ++points;
    else return false;
  }
  return digit && points <= 1;
}

}  // namespace

void ScrStripParens(std::string& text) {
  // Each pass removes one pair; the text shrinks, so this ends.
  while (text.size() >= 2 && text[0] == '(' && MatchingParen(text, 0) == text.size() - 1) {
    text = text.substr(1, text.size() - 2);
    ScrTrimString(text);
  }
}

ScrSplitResult ScrSplitExpression(const std::string& text, ScrSplit& out) {
  out = ScrSplit();
  if (text.empty() || IsNumber(text)) return ScrSplitResult::Leaf;

  char choice = SCR_OP_NONE;
  size_t pos = 0;
  int width = 1;
  auto choose = [&](char k, size_t p, int w) {
    choice = k;
    pos = p;
    width = w;
  };
  // A leading sign, or '!', is a unary operator on an empty (zero) left side.
  if (text[0] == '-' || text[0] == '+' || text[0] == '!') choose(text[0], 0, 1);

  int paren = 0, bracket = 0;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (c == '(') {
      ++paren;
      continue;
    }
    if (c == ')') {
      if (paren > 0) --paren;
      continue;
    }
    if (paren > 0) continue;
    if (c == ']') {
      if (bracket > 0) --bracket;
      continue;
    }
    if (bracket > 0) {
      if (c == '[') ++bracket;
      continue;
    }
    if (i == 0) {  // the first character is never a binary operator
      if (c == '[') ++bracket;
      continue;
    }
    const char prev = text[i - 1];
    const bool logical = choice == SCR_OP_OR || choice == SCR_OP_AND;
    switch (c) {
      case '|':
        if (prev == '|') choose(SCR_OP_OR, i - 1, 2);
        break;
      case '&':
        if (prev == '&' && choice != SCR_OP_OR) choose(SCR_OP_AND, i - 1, 2);
        break;
      case '=':
        if (logical) break;
        if (prev == '>') choose(SCR_OP_GE, i - 1, 2);
        else if (prev == '<') choose(SCR_OP_LE, i - 1, 2);
        else if (prev == '=') choose(SCR_OP_EQ, i - 1, 2);
        else if (prev == '!') choose(SCR_OP_NE, i - 1, 2);
        else choose(SCR_OP_ASSIGN, i, 1);
        break;
      case '>':
      case '<':
        if (!logical) choose(c, i, 1);
        break;
      case '+':
      case '-':
      case '*':
      case '/':
      case '%':
      case '!':
      case '.':
      case '[': {
        bool take = choice == SCR_OP_NONE || choice == SCR_OP_MEMBER || choice == SCR_OP_INDEX;
        if (!take && (c == '+' || c == '-'))
          take = choice == SCR_OP_MUL || choice == SCR_OP_DIV || choice == SCR_OP_MOD || choice == SCR_OP_SUB ||
                 (choice == SCR_OP_ADD && c == '+');
        if (!take && (c == '*' || c == '/')) take = choice == SCR_OP_DIV || (choice == SCR_OP_MUL && c == '*');
        if (take) choose(c, i, 1);
        if (c == '[') ++bracket;
        break;
      }
      default:
        break;
    }
  }
  if (choice == SCR_OP_NONE) return ScrSplitResult::Leaf;

  out.kind = choice;
  out.pos = pos;
  out.width = width;
  out.left = text.substr(0, pos);
  out.right = text.substr(pos + width);
  ScrTrimString(out.left);
  ScrTrimString(out.right);
  ScrStripParens(out.left);
  ScrStripParens(out.right);
  if (out.left.empty()) out.left.assign(1, '0');
  if (choice == SCR_OP_INDEX) {
    if (out.right.empty() || out.right.back() != ']') return ScrSplitResult::BadIndex;
    out.right.pop_back();
    ScrTrimString(out.right);
  }
  return ScrSplitResult::Split;
}
