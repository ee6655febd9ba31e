// The splitting rule of the expression language, as a function of text alone.
//
// There is no tokenizer: an expression is split at the operator that binds loosest, its two
// sides are split again, and so on down to names and literals. Which operator binds loosest is
// decided in one left-to-right pass by a small set of "may replace" rules, not by a precedence
// table, and the rules have quirks that scripts rely on:
//
//   ||  binds loosest (the rightmost one), then && (the rightmost one);
//   =  ==  !=  <  >  <=  >=  form one level at which the rightmost one splits, so that
//       `x = a > b` is `(x = a) > b`: write `x = (a > b)`;
//   after `-` a later + or - splits (a - b - c is (a - b) - c), after `+` only a later `+`
//       (a + b - c is a + (b - c)); after `/` a later * or /, after `*` only a later `*`
//       (a * b / c is a * (b / c), a / b * c is (a / b) * c); + and - replace * / %;
//   .  and  [  bind tightest; a leading sign (or `!`) is a unary operator on "0".
#pragma once

#include <string>

#include "lexer/ScrApi.h"

// Operator kinds: the operator character, or a letter for the two-character ones.
enum ScrOpKind : char {
  SCR_OP_NONE = 0,
  SCR_OP_ADD = '+',
  SCR_OP_SUB = '-',
  SCR_OP_MUL = '*',
  SCR_OP_DIV = '/',
  SCR_OP_MOD = '%',
  SCR_OP_NOT = '!',
  SCR_OP_MEMBER = '.',
  SCR_OP_INDEX = '[',
  SCR_OP_ASSIGN = '=',
  SCR_OP_GT = '>',
  SCR_OP_LT = '<',
  SCR_OP_AND = '&',   // &&
  SCR_OP_OR = '|',    // ||
  SCR_OP_EQ = 'e',    // ==
  SCR_OP_GE = 'g',    // >=
  SCR_OP_LE = 'l',    // <=
  SCR_OP_NE = 'n',    // !=
};

enum class ScrSplitResult {
  Leaf,        // no operator: a name, a literal, a call, `new X`, `null`, `this`
  Split,       // kind, left and right are set
  BadIndex,    // `[` chosen but the right side does not end in `]`
};

struct ScrSplit {
  char kind = SCR_OP_NONE;
  size_t pos = 0;   // where the operator stands in the text
  int width = 0;    // 1 or 2
  std::string left, right;  // trimmed, outer parentheses removed; an empty left is "0"
};

// Splits `text` (trimmed, no enclosing parentheses) at its loosest operator. Text that is a
// number is a leaf (its '.' is no member operator).
SCR_API ScrSplitResult ScrSplitExpression(const std::string& text, ScrSplit& out);

// Removes enclosing parentheses while the first '(' is matched by the last character:
// "((a))" -> "a"; "(a) + (b)" stays.
SCR_API void ScrStripParens(std::string& text);
