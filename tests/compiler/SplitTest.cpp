// The splitting rule of expressions, on text alone: where each expression splits and what its
// two sides are.
#include <gtest/gtest.h>

#include "compiler/ScrExprSplit.h"

namespace {

struct SplitRow {
  const char* text;
  char kind;  // 0: a leaf
  const char* left;
  const char* right;
};

TEST(ExpressionSplit, OperatorAndSides) {
  const SplitRow rows[] = {
      // additive and multiplicative operators, with their replacing rules
      {"a - b - c", '-', "a - b", "c"},
      {"a + b - c", '+', "a", "b - c"},
      {"a + b + c", '+', "a + b", "c"},
      {"a - b + c", '+', "a - b", "c"},
      {"a * b / c", '*', "a", "b / c"},
      {"a / b * c", '*', "a / b", "c"},
      {"a / b / c", '/', "a / b", "c"},
      {"a % b * c", '%', "a", "b * c"},
      {"a * b + c", '+', "a * b", "c"},
      {"a + b * c", '+', "a", "b * c"},
      // unary forms work on "0"
      {"-x", '-', "0", "x"},
      {"-a - b", '-', "-a", "b"},
      {"!x", '!', "0", "x"},
      {"!(a > b)", '!', "0", "a > b"},
      // comparisons and assignment form one level: the rightmost splits
      {"x = a > b", '>', "x = a", "b"},
      {"x = a == b", 'e', "x = a", "b"},
      {"x = (a > b)", '=', "x", "a > b"},
      {"a >= b", 'g', "a", "b"},
      {"a <= b", 'l', "a", "b"},
      {"a != b", 'n', "a", "b"},
      {"a = b + 1", '=', "a", "b + 1"},
      {"a > -1", '>', "a", "-1"},
      // logical operators bind loosest; || over &&
      {"a && b || c", '|', "a && b", "c"},
      {"a || b && c", '|', "a", "b && c"},
      {"a && b && c", '&', "a && b", "c"},
      {"a == 1 && b < 2", '&', "a == 1", "b < 2"},
      {"a | b", 0, "", ""},
      // members and indexes bind tightest and nest to the left
      {"a.b", '.', "a", "b"},
      {"a[i]", '[', "a", "i"},
      {"a[i][j]", '[', "a[i]", "j"},
      {"a[i + 1] * 2", '*', "a[i + 1]", "2"},
      {"p.v[2]", '[', "p.v", "2"},
      {"p[1].v", '.', "p[1]", "v"},
      {"o.f(a + b)", '.', "o", "f(a + b)"},
      // parentheses, quotes and literals
      {"(a) + (b)", '+', "a", "b"},
      {"(a + b) * c", '*', "a + b", "c"},
      {"f(a, b - 1)", 0, "", ""},
      {"\"a+b\" + c", '+', "\"a+b\"", "c"},
      {"1.5", 0, "", ""},
      {"0X10", 0, "", ""},
      {"0X10 + 1", '+', "0X10", "1"},
      {"2.5 * a", '*', "2.5", "a"},
      {"new Pump", 0, "", ""},
  };
  for (const SplitRow& r : rows) {
    ScrSplit s;
    ScrSplitResult res = ScrSplitExpression(r.text, s);
    if (!r.kind) {
      EXPECT_EQ(res, ScrSplitResult::Leaf) << r.text;
      continue;
    }
    ASSERT_EQ(res, ScrSplitResult::Split) << r.text;
    EXPECT_EQ(s.kind, r.kind) << r.text;
    EXPECT_EQ(s.left, r.left) << r.text;
    EXPECT_EQ(s.right, r.right) << r.text;
  }
}

TEST(ExpressionSplit, MalformedTextNeverCrashes) {
  ScrSplit s;
  EXPECT_EQ(ScrSplitExpression("a[1", s), ScrSplitResult::BadIndex);
  EXPECT_EQ(ScrSplitExpression("a[1]b", s), ScrSplitResult::BadIndex);
  const char* junk[] = {"", ")", "((", "\"", "a +", "+", "]]a[[", "&&", "=", "a..b", "[", "(((((a"};
  for (const char* j : junk) ScrSplitExpression(j, s);  // any result, no fault
  std::string t = "((a))";
  ScrStripParens(t);
  EXPECT_EQ(t, "a");
}

}  // namespace
