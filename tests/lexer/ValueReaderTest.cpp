// Value readers, string utilities, literal tests and statement expansion.
#include <climits>
#include <cstring>
#include <limits>
#include <list>
#include <string>
#include <vector>

#include "LexTestUtil.h"
#include "lexer/ScrLex.h"
#include "reader/ScriptReader.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Variable.h"

using namespace lextest;

using ValueReader = LexTest;

TEST_F(ValueReader, QuotientsProductsAndPlainNumbers) {
  TempScript s("1/4, 2*3, -1.5, abc, 7/2\n");
  float v[5] = {};
  EXPECT_EQ(ScrReadValues(s.f(), v, 5), 1);
  EXPECT_FLOAT_EQ(v[0], 0.25f);
  EXPECT_FLOAT_EQ(v[1], 6.0f);
  EXPECT_FLOAT_EQ(v[2], -1.5f);
  EXPECT_FLOAT_EQ(v[3], 0.0f);
  EXPECT_FLOAT_EQ(v[4], 3.5f);

  ResetLexer();
  TempScript t("7/2, -7/2, 2*3, 5/0, 2147483647*2, -2147483648/-1, 99999999999\n");
  int n[7] = {};
  EXPECT_EQ(ScrReadValues(t.f(), n, 7), 1);
  EXPECT_EQ(n[0], 3);
  EXPECT_EQ(n[1], -3);
  EXPECT_EQ(n[2], 6);
  EXPECT_EQ(n[3], 0);  // integer quotient by zero
  EXPECT_EQ(n[4], INT_MAX);
  EXPECT_EQ(n[5], INT_MAX);
  EXPECT_EQ(n[6], INT_MAX);

  ResetLexer();
  TempScript u("7.9/2, 2.5*4, 9/0\n");
  long l[3] = {};
  EXPECT_EQ(ScrReadValues(u.f(), l, 3), 1);
  EXPECT_EQ(l[0], 3);  // the left side is read as a real and truncated
  EXPECT_EQ(l[1], 8);
  EXPECT_EQ(l[2], 0);

  ResetLexer();
  TempScript d("1/3, 1e3\n");
  double dv[2] = {};
  EXPECT_EQ(ScrReadValues(d.f(), dv, 2), 1);
  EXPECT_DOUBLE_EQ(dv[0], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(dv[1], 1000.0);
}

TEST_F(ValueReader, CountsQuotesAndTheEnd) {
  TempScript s("1, \"text\", 3\n");
  int v[3] = {-1, -1, -1};
  EXPECT_EQ(ScrReadValues(s.f(), v, 0), 1);  // nothing read
  EXPECT_EQ(ScrReadValues(s.f(), v, 3), 1);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], -1);  // a quoted string leaves its slot alone
  EXPECT_EQ(v[2], 3);
  EXPECT_EQ(ScrReadValues(s.f(), v, 1), 0);  // at the end

  // Fewer values than asked for: the block's closing brace is left for the block.
  ResetLexer();
  TempScript shortList("1, 0, 0 }\nafter\n");
  float four[4] = {9, 9, 9, 9};
  EXPECT_EQ(ScrReadValues(shortList.f(), four, 4), 1);
  EXPECT_EQ(std::vector<float>(four, four + 4), (std::vector<float>{1, 0, 0, 9}));
  std::string next;
  EXPECT_EQ(ScrReadString(shortList.f(), next), 1);
  EXPECT_EQ(next, "}");

  ResetLexer();
  TempScript comma("1,\n2\n");
  float f[2] = {9, 9};
  EXPECT_EQ(ScrReadValues(comma.f(), f, 2), 1);
  EXPECT_FLOAT_EQ(f[0], 1);
  EXPECT_FLOAT_EQ(f[1], 0);  // a comma at the line end makes an empty value
}

TEST_F(ValueReader, AllValuesUpToTheBrace) {
  TempScript s("values { 1, 2, 3 }\nnext\n");
  std::string tok;
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  float v[8];
  int count = -1;
  EXPECT_EQ(ScrReadAllValues(s.f(), v, count, 8), 1);
  EXPECT_EQ(count, 3);
  EXPECT_FLOAT_EQ(v[2], 3);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "}");
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "next");

  ResetLexer();
  TempScript m("{ 1, 2, 3 }\n");
  ScrReadKeyword(m.f(), tok);
  int iv[2] = {};
  EXPECT_EQ(ScrReadAllValues(m.f(), iv, count, 2), 1);
  EXPECT_EQ(count, 2);  // the third value is passed over
  ScrReadKeyword(m.f(), tok);
  EXPECT_EQ(tok, "}");
}

TEST_F(ValueReader, AllValuesEmptyTokensQuotesAndNoBrace) {
  const std::string text = "{ 1,\n2 }\n";
  TempScript a(text);
  std::string tok;
  ScrReadKeyword(a.f(), tok);
  float fv[8];
  int count = 0;
  EXPECT_EQ(ScrReadAllValues(a.f(), fv, count, 8), 1);
  EXPECT_EQ(count, 2);

  ResetLexer();
  TempScript b(text);
  ScrReadKeyword(b.f(), tok);
  int iv[8];
  EXPECT_EQ(ScrReadAllValues(b.f(), iv, count, 8), 1);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(iv[0], 1);
  EXPECT_EQ(iv[1], 0);
  EXPECT_EQ(iv[2], 2);

  ResetLexer();
  TempScript q("{ 1, \"x\" }\n");
  ScrReadKeyword(q.f(), tok);
  long start = q.f()->Tell();
  EXPECT_EQ(ScrReadAllValues(q.f(), iv, count, 8), 0);
  EXPECT_EQ(q.f()->Tell(), start);

  ResetLexer();
  TempScript none("{ 1, 2\n");
  ScrReadKeyword(none.f(), tok);
  EXPECT_EQ(ScrReadAllValues(none.f(), iv, count, 8), 1);
  EXPECT_EQ(count, 0);

  // A brace inside a comment does not make the reader run on past the end.
  ResetLexer();
  TempScript hidden("{ 1, 2 ' }\n");
  ScrReadKeyword(hidden.f(), tok);
  EXPECT_EQ(ScrReadAllValues(hidden.f(), fv, count, 8), 1);
  EXPECT_EQ(count, 2);
}

TEST_F(ValueReader, Bools) {
  TempScript s("true\nFALSE\nyes\n");
  int v = 7;
  EXPECT_EQ(ScrReadBool(s.f(), v), 1);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(ScrReadBool(s.f(), v), 1);
  EXPECT_EQ(v, 0);
  v = 7;
  EXPECT_EQ(ScrReadBool(s.f(), v), 0);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(ScrReadBool(s.f(), v), 0);  // at the end
}

TEST_F(ValueReader, AllVariablesMakeTemporariesAndFindNames) {
  CSgModule root("main");
  auto* level = new CSgVariable();
  level->SetName("level");
  root.AddVariable(level);
  CScriptReader reader(&root);

  TempScript s("{ 5, 1.5, 1.500000, \"say \"\"hi\"\"\", level }\nnext\n");
  std::string tok;
  ScrReadKeyword(s.f(), tok);
  std::list<CSgVariable*> vars;
  ASSERT_EQ(ScrReadAllVariables(s.f(), vars), 1);
  ASSERT_EQ(vars.size(), 5u);
  auto it = vars.begin();
  EXPECT_EQ((*it++)->GetInt(), 5);
  EXPECT_FLOAT_EQ((*it++)->GetFloat(), 1.5f);
  EXPECT_DOUBLE_EQ((*it++)->GetDouble(), 1.5);
  EXPECT_STREQ((*it++)->GetString(), "say \"hi\"");
  EXPECT_EQ(*it, level);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "}");

  ResetLexer();
  ScrSetCurrentReader(&reader);
  TempScript missing("{ 1, nowhere }\n");
  ScrReadKeyword(missing.f(), tok);
  long start = missing.f()->Tell();
  std::list<CSgVariable*> none;
  EXPECT_EQ(ScrReadAllVariables(missing.f(), none), 0);
  EXPECT_EQ(missing.f()->Tell(), start);
}

// The one checked narrowing: truncation towards zero, NaN to 0, out-of-range values to the bound.
TEST(ValueNarrowing, SaturatesAndNeverOverflows) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double in;
    int asInt;
    long long asLong;
    unsigned asUnsigned;
  };
  const Case cases[] = {
      {1.9, 1, 1, 1},
      {-1.9, -1, -1, 0},
      {1e40, INT_MAX, LLONG_MAX, UINT_MAX},
      {-1e40, INT_MIN, LLONG_MIN, 0},
      {1.0e300, INT_MAX, LLONG_MAX, UINT_MAX},
      {inf, INT_MAX, LLONG_MAX, UINT_MAX},
      {-inf, INT_MIN, LLONG_MIN, 0},
      {nan, 0, 0, 0},
      {9223372036854775807.0, INT_MAX, LLONG_MAX, UINT_MAX},  // 2^63: just past the largest long long
      {2147483647.9, INT_MAX, 2147483647, 2147483647u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScrNarrow<int>(c.in), c.asInt) << c.in;
    EXPECT_EQ(ScrNarrow<long long>(c.in), c.asLong) << c.in;
    EXPECT_EQ(ScrNarrow<unsigned>(c.in), c.asUnsigned) << c.in;
    EXPECT_EQ(ScrNarrow<int>(static_cast<float>(c.in)), ScrNarrow<int>(static_cast<double>(static_cast<float>(c.in))));
  }
  EXPECT_EQ(ScrNarrow<int>(LLONG_MAX), INT_MAX);
  EXPECT_EQ(ScrNarrow<int>(LLONG_MIN), INT_MIN);
  EXPECT_EQ(ScrNarrow<unsigned char>(-5), 0);
  EXPECT_EQ(ScrNarrow<unsigned char>(300u), 255);
  EXPECT_EQ(ScrNarrow<long long>(ULLONG_MAX), LLONG_MAX);
}

TEST(StringUtilities, TrimShrinkNormalize) {
  std::string s = "\t\n  a b \t\r\n";
  ScrTrimString(s);
  EXPECT_EQ(s, "a b");
  char c[] = "\r x \r";
  ScrTrimString(c);
  EXPECT_STREQ(c, "\r x");  // a leading CR stays
  char all[] = " \t ";
  ScrTrimString(all);
  EXPECT_STREQ(all, "");

  char shrink[] = "a b \"c d\"\te";
  ScrShrinkString(shrink);
  EXPECT_STREQ(shrink, "ab\"c d\"\te");

  char norm[] = "Field \"A B\" X";
  ScrNormalizeString(norm);
  EXPECT_STREQ(norm, "field \"A B\" x");
  // A GBK character whose trail byte is a capital letter is kept whole.
  std::string gbk = "AB\x81" "A" "CD";
  ScrNormalizeString(gbk);
  EXPECT_EQ(gbk, "ab\x81" "A" "cd");

  EXPECT_EQ(ScrWordAlike("else if(x)", "elseif"), 1);
  EXPECT_EQ(ScrWordAlike("\"else if\"", "elseif"), 0);
  EXPECT_EQ(ScrWordAlike("els", "elseif"), 0);
}

TEST(StringUtilities, LiteralTests) {
  EXPECT_EQ(ScrIsReal("1.5"), 1);
  EXPECT_EQ(ScrIsReal("1.500000"), 2);
  EXPECT_EQ(ScrIsReal("1.2.3"), 0);
  EXPECT_EQ(ScrIsReal("15"), 0);
  EXPECT_EQ(ScrIsReal("-0.5"), 1);
  EXPECT_EQ(ScrIsInteger(""), 1);
  EXPECT_EQ(ScrIsInteger("-12"), 1);
  EXPECT_EQ(ScrIsInteger("1.0"), 0);
  EXPECT_EQ(ScrIsInteger("x1"), 0);
  EXPECT_EQ(ScrIsConstant("true"), 1);
  EXPECT_EQ(ScrIsConstant("0XFF"), 1);
  EXPECT_EQ(ScrIsConstant("0xFF"), 0);
  EXPECT_EQ(ScrIsConstant("3.25"), 1);
  EXPECT_EQ(ScrIsConstant("3.2.5"), 0);
  EXPECT_EQ(ScrIsConstant("level"), 0);
  EXPECT_EQ(ScrIsQuotedString("\"a\""), 1);
  EXPECT_EQ(ScrIsQuotedString("\"a\"\"b\""), 1);
  EXPECT_EQ(ScrIsQuotedString("\"a\"b\""), 0);
  EXPECT_EQ(ScrIsQuotedString("\""), 0);
  EXPECT_EQ(ScrIsQuotedString("\"\""), 1);
  const char* s = "name=value";
  EXPECT_EQ(ScrFirstOf(s, "=:"), s + 4);
  EXPECT_EQ(ScrFirstOf(s, "#"), nullptr);
}

TEST(Predicates, ClassesOfPieces) {
  ScrSetCurKeyWord("");
  EXPECT_EQ(ScrIsCallShaped("f(a, b)"), 1);
  EXPECT_EQ(ScrIsCallShaped("obj.run()"), 1);
  EXPECT_EQ(ScrIsCallShaped("if(a)"), 0);
  EXPECT_EQ(ScrIsCallShaped("a+f(x)"), 0);
  EXPECT_EQ(ScrIsCallShaped("m[1](x)"), 0);
  EXPECT_EQ(ScrIsCallShaped("return f(x)"), 0);
  EXPECT_EQ(ScrIsCallShaped("\"f(x)\""), 0);

  EXPECT_EQ(ScrIsStatement("a = 1"), 1);
  EXPECT_EQ(ScrIsStatement("(a == 1)"), 0);
  EXPECT_EQ(ScrIsStatement("return"), 1);
  EXPECT_EQ(ScrIsStatement("break"), 1);
  EXPECT_EQ(ScrIsStatement("i++"), 1);
  EXPECT_EQ(ScrIsStatement("class Pump"), 0);
  EXPECT_EQ(ScrIsStatement("a = {"), 0);
  EXPECT_EQ(ScrIsStatement("int count"), 1);

  EXPECT_EQ(ScrIsDeclaration("int a"), 1);
  EXPECT_EQ(ScrIsDeclaration("float x = 2"), 1);
  EXPECT_EQ(ScrIsDeclaration("interface int a"), 1);
  EXPECT_EQ(ScrIsDeclaration("int 2a"), 0);
  EXPECT_EQ(ScrIsDeclaration("int a b"), 0);
  EXPECT_EQ(ScrIsDeclaration("delete p"), 0);
  EXPECT_EQ(ScrIsDeclaration("return x"), 0);
  EXPECT_EQ(ScrIsDeclaration("int"), 0);

  EXPECT_EQ(ScrIsOperatorExpression("(a > b)"), 1);
  EXPECT_EQ(ScrIsOperatorExpression("(a)"), 0);
  EXPECT_EQ(ScrIsOperatorExpression("a > b"), 0);
  ScrSetCurKeyWord("type");
  EXPECT_EQ(ScrIsOperatorExpression("a > b"), 1);
  ScrSetCurKeyWord("");

  EXPECT_EQ(ScrIsKeywordLike("BUTTON"), 1);
  EXPECT_EQ(ScrIsKeywordLike("case 1:"), 1);
  EXPECT_EQ(ScrIsKeywordLike("default:"), 1);
  EXPECT_EQ(ScrIsKeywordLike("asyn(1)"), 1);
  EXPECT_EQ(ScrIsKeywordLike("hello"), 0);
}

TEST(Expansion, StatementsAreExpanded) {
  ResetLexer();
  EXPECT_EQ(ScrExpandString("i++"), "i=i+1;");
  EXPECT_EQ(ScrExpandString("int a, b"), "int a;int b;");
  EXPECT_EQ(ScrExpandString("a+=1"), "a=a+(1);");
  EXPECT_EQ(ScrExpandString("i++;j--"), "i=i+1;j=j-1;");
  EXPECT_EQ(ScrExpandString("s = \"a\";t = \"b"), "s = \"a\";");
  EXPECT_EQ(ScrExpandString(""), "");

  char* out = nullptr;
  EXPECT_EQ(ScrExpandString("y=x++", out), 1);
  ASSERT_NE(out, nullptr);
  EXPECT_STREQ(out, "y=x;x=x+1;");
  KVOFreeString(out);

  // A long operand doubles in length; an allocated result is never cut.
  std::string big(6000, 'v');
  out = nullptr;
  ScrExpandString((big + "++").c_str(), out);
  EXPECT_EQ(std::strlen(out), big.size() * 2 + 4);  // "v..v=v..v+1;"
  KVOFreeString(out);
  // A caller's buffer of the documented size is filled up to its end.
  std::string src = big + "++";
  std::vector<char> buf(src.size() + SCR_TOKEN_BUFFER + 8, '#');
  char* p = buf.data();
  ScrExpandString(src.c_str(), p);
  EXPECT_EQ(std::strlen(p), src.size() + SCR_TOKEN_MAX);
  EXPECT_EQ(buf[src.size() + SCR_TOKEN_BUFFER], '#');
}

TEST(Expansion, VariableNamesAreQualifiedInsideCalls) {
  ResetLexer();
  CSgModule root("main");
  auto* v = new CSgVariable();
  v->SetName("count$outer_1$inner_3");
  root.AddVariable(v);
  CScriptReader reader(&root);

  std::string text = "var[count]=var[count%2]+var[other]";
  ScrQualifyVariableNames(text, &reader);
  EXPECT_EQ(text, "var[count]=var[count%2]+var[other]");  // no call context

  SCRFUNCTION outer, inner;
  outer.name = "outer";
  outer.instance = 1;
  inner.name = "inner";
  inner.instance = 3;
  ScrPushCallContext(&outer);
  ScrPushCallContext(&inner);
  ScrQualifyVariableNames(text, nullptr);
  EXPECT_EQ(text, "var[count$outer_1$inner_3]=var[count$outer_1$inner_3%2]+var[other]");
  ScrPopCallContext();
  ScrPopCallContext();
}

TEST_F(ValueReader, VeryLongValueLinesReadInLinearTime) {
  const int n = 100000;
  std::string text = "values {";
  for (int i = 0; i < n; ++i) text += " " + std::to_string(i % 1000) + ",";
  text += " }\nnext\n";
  TempScript s(text);
  std::string tok;
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  std::vector<int> v(n + 10);
  int count = 0;
  ASSERT_EQ(ScrReadAllValues(s.f(), v.data(), count, n + 10), 1);
  EXPECT_EQ(count, n);
  EXPECT_EQ(v[999], 999);
  EXPECT_EQ(v[n - 1], (n - 1) % 1000);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "}");
  EXPECT_EQ(ScrGetLineId(), 1);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "next");
  EXPECT_EQ(ScrGetLineId(), 2);

  // Going back into the middle of the long line reads the same tokens again.
  s.f()->Seek(0);
  ScrResetLineId();
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  ScrReadString(s.f(), tok);
  long second = s.f()->Tell();
  ScrReadString(s.f(), tok);
  EXPECT_EQ(tok, "1");
  for (int i = 0; i < 50; ++i) ScrReadString(s.f(), tok);
  s.f()->Seek(second);
  ScrReadString(s.f(), tok);
  EXPECT_EQ(tok, "1");
  EXPECT_EQ(ScrGetLineId(), 1);
}
