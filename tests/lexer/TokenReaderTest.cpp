// The token reader: how script text is cut into tokens and statement pieces.
#include <random>
#include <string>

#include "LexTestUtil.h"
#include "lexer/ScrLex.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"
#include "sg/Module.h"

using namespace lextest;

using TokenReader = LexTest;

TEST_F(TokenReader, BracesSplitButBlanksDoNot) {
  EXPECT_EQ(Keywords("animation{\n}\n"), (Tokens{"animation", "{", "}"}));
  EXPECT_EQ(Keywords("file { model.sgv }"), (Tokens{"file", "{", "model.sgv", "}"}));
  EXPECT_EQ(Keywords("name { My Button }"), (Tokens{"name", "{", "My Button", "}"}));
  EXPECT_EQ(Keywords("values { 1, 2, 3 }"), (Tokens{"values", "{", "1", "2", "3", "}"}));
  EXPECT_EQ(Keywords("values { 1 2 3 }"), (Tokens{"values", "{", "1 2 3", "}"}));
}

TEST_F(TokenReader, CommasInsideBracketsQuotesAndCallsStay) {
  EXPECT_EQ(Keywords("f(a, b) x"), (Tokens{"f(a, b)", "x"}));
  EXPECT_EQ(Keywords("g(h(1, 2), 3)\n"), (Tokens{"g(h(1, 2), 3)"}));
  EXPECT_EQ(Keywords("values { m[1,2], 3 }"), (Tokens{"values", "{", "m[1,2]", "3", "}"}));
  // Under `name` the quotes go and the comma stays.
  EXPECT_EQ(Keywords("name { \"Door, left\" }"), (Tokens{"name", "{", "Door, left", "}"}));
  // A quoted name that happens to look like a declaration list is not split either.
  EXPECT_EQ(Keywords("name { \"My Door, left\" }"), (Tokens{"name", "{", "My Door, left", "}"}));
  // Other keywords keep the quotes.
  EXPECT_EQ(Keywords("string { \"a, b\" }"), (Tokens{"string", "{", "\"a, b\"", "}"}));
}

TEST_F(TokenReader, SemicolonsAndComments) {
  EXPECT_EQ(Keywords("a = 1; b = 2"), (Tokens{"a = 1", "b = 2"}));
  EXPECT_EQ(Keywords("x ' comment"), (Tokens{"x"}));
  EXPECT_EQ(Keywords("s = \"it's\" ' note\n"), (Tokens{"s = \"it's\""}));
  EXPECT_EQ(Keywords("f(a) ' call, then comment\nnext"), (Tokens{"f(a)", "next"}));
  // A ';' inside quotes or parentheses does not cut.
  EXPECT_EQ(Keywords("s = \"a;b\"\nt"), (Tokens{"s = \"a;b\"", "t"}));
  EXPECT_EQ(Keywords("for(i=0;i<3;i=i+1)"), (Tokens{"for", "(i=0;i<3;i=i+1)"}));
}

TEST_F(TokenReader, StatementRewriting) {
  EXPECT_EQ(Keywords("i++"), (Tokens{"i=i+1"}));
  EXPECT_EQ(Keywords("++i"), (Tokens{"i=i+1"}));
  EXPECT_EQ(Keywords("i--"), (Tokens{"i=i-1"}));
  EXPECT_EQ(Keywords("y=x++"), (Tokens{"y=x", "x=x+1"}));
  EXPECT_EQ(Keywords("x=++i"), (Tokens{"i=i+1", "x=i"}));
  EXPECT_EQ(Keywords("a += 2"), (Tokens{"a =a +( 2)"}));
  EXPECT_EQ(Keywords("a/=b"), (Tokens{"a=a/(b)"}));
  // A declaration list is one token when a ';' ends it; without one the comma cuts first.
  EXPECT_EQ(Keywords("int a, b;"), (Tokens{"int a", "int b"}));
  EXPECT_EQ(Keywords("float x = 1, y, int z;\n"), (Tokens{"float x = 1", "float y", "int z"}));
  EXPECT_EQ(Keywords("int a, b\n"), (Tokens{"int a", "b"}));
  // Two increments after their operands: the rest first, then the increments, innermost first.
  EXPECT_EQ(Keywords("z=a++ +b++"), (Tokens{"z=a +b", "b=b+1", "a=a+1"}));
  // Operators inside a string literal are no operators.
  EXPECT_EQ(Keywords("s = \"a++\""), (Tokens{"s = \"a++\""}));
  EXPECT_EQ(Keywords("s = \"x+=1\""), (Tokens{"s = \"x+=1\""}));
}

TEST_F(TokenReader, ConditionsAndHeads) {
  EXPECT_EQ(Keywords("if (a > b)"), (Tokens{"if", "(a > b)"}));
  EXPECT_EQ(Keywords("while(i<3){"), (Tokens{"while", "(i<3)", "{"}));
  EXPECT_EQ(Keywords("else if (x)"), (Tokens{"elseif", "(x)"}));
  // A '(' in a field path never makes a call.
  EXPECT_EQ(Keywords("field { a(1)\\b }"), (Tokens{"field", "{", "a(1)\\b", "}"}));
}

TEST_F(TokenReader, OneDoubleQuoteEndsTheBlock) {
  TempScript s("say \"hello\nnext");
  std::string tok;
  EXPECT_EQ(ScrReadString(s.f(), tok), 0);
  EXPECT_EQ(tok, "say \"hello");
  EXPECT_EQ(ScrReadString(s.f(), tok), 1);
  EXPECT_EQ(tok, "next");
}

TEST_F(TokenReader, EndOfInputAndPendingPieces) {
  // The last line has no terminator: its second piece still comes out.
  TempScript s("int a, b;");
  std::string tok;
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 1);
  EXPECT_EQ(tok, "int a");
  EXPECT_FALSE(ScrInputEnded(s.f()));
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 1);
  EXPECT_EQ(tok, "int b");
  EXPECT_TRUE(ScrInputEnded(s.f()));
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "");
  EXPECT_EQ(ScrReadString(s.f(), tok), 0);
}

TEST_F(TokenReader, KeywordsAreNormalisedAndRemembered) {
  TempScript s("SCRIPT {\nhello\nname { x }\nmodule Pump\n");
  std::string tok;
  EXPECT_NE(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "script");
  EXPECT_STREQ(ScrGetCurKeyWord(), "script");
  EXPECT_NE(ScrReadKeyword(s.f(), tok), 0);  // '{' is in the table
  EXPECT_STREQ(ScrGetCurKeyWord(), "script");  // braces are never the current keyword
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "hello");
  EXPECT_NE(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "name");
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  EXPECT_NE(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "modulePump");
  EXPECT_STREQ(ScrGetCurKeyWord(), "module Pump");
}

TEST_F(TokenReader, ClassNamesOfTheCurrentModuleReadAsKeywords) {
  CSgModule root("main");
  root.AddUserClass(new CKvoObject(0, "Valve"));
  CScriptReader reader(&root);
  TempScript s("Valve\nPump\n");
  std::string tok;
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 1);
  EXPECT_EQ(tok, "Valve");
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(tok, "Pump");
}

TEST_F(TokenReader, LineIdFollowsPhysicalLines) {
  TempScript s("animation{\n}\r\nx\ry\n\nz");
  std::string tok;
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(ScrGetLineId(), 1);
  ScrReadKeyword(s.f(), tok);  // '{' still on line 1
  EXPECT_EQ(ScrGetLineId(), 1);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "}");
  EXPECT_EQ(ScrGetLineId(), 2);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "x");
  EXPECT_EQ(ScrGetLineId(), 3);  // CR LF is one terminator
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "y");
  EXPECT_EQ(ScrGetLineId(), 4);  // a lone CR ends a line
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, "z");
  EXPECT_EQ(ScrGetLineId(), 6);
  // Reading at the end does not move the line id on.
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 0);
  EXPECT_EQ(ScrGetLineId(), 6);
  ScrResetLineId();
  EXPECT_EQ(ScrGetLineId(), 1);
  EXPECT_STREQ(ScrGetCurKeyWord(), "");
}

TEST_F(TokenReader, StreamCanBeRewoundToReadAgain) {
  TempScript s("a, b, c\n");
  std::string tok;
  ScrReadString(s.f(), tok);
  long mark = s.f()->Tell();
  ScrReadString(s.f(), tok);
  EXPECT_EQ(tok, "b");
  s.f()->Seek(mark);
  ScrReadString(s.f(), tok);
  EXPECT_EQ(tok, "b");
  ScrReadString(s.f(), tok);
  EXPECT_EQ(tok, "c");
}

TEST_F(TokenReader, LongLinesAreReadWhole) {
  std::string big(10000, 'q');
  TempScript s("name { " + big + " }\nnext\n");
  std::string tok;
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  ScrReadKeyword(s.f(), tok);
  EXPECT_EQ(tok, big);
  EXPECT_EQ(ScrReadKeyword(s.f(), tok), 1);
  EXPECT_EQ(tok, "}");

  // The char* form truncates to the documented size and never writes past the buffer.
  ResetLexer();
  TempScript t(big + "\n" + big + "\n");
  std::vector<char> buf(SCR_TOKEN_BUFFER + 16, '#');
  EXPECT_EQ(ScrReadString(t.f(), buf.data()), 1);
  EXPECT_EQ(std::string(buf.data()).size(), static_cast<size_t>(SCR_TOKEN_MAX));
  EXPECT_EQ(buf[SCR_TOKEN_BUFFER], '#');
  EXPECT_EQ(ScrReadKeyword(t.f(), buf.data()), 0);
  EXPECT_EQ(std::string(buf.data()).size(), static_cast<size_t>(SCR_TOKEN_MAX));
  EXPECT_EQ(std::string(ScrGetCurKeyWord()).size(), static_cast<size_t>(SCR_TOKEN_MAX));
}

TEST_F(TokenReader, CurrentKeywordBufferIsBounded) {
  std::string big(SCR_TOKEN_MAX + 100, 'k');
  ScrSetCurKeyWord(big.c_str());
  EXPECT_EQ(std::string(ScrGetCurKeyWord()).size(), static_cast<size_t>(SCR_TOKEN_MAX));
  ScrSetCurKeyWord(nullptr);
  EXPECT_STREQ(ScrGetCurKeyWord(), "");
}

// ---------------------------------------------------------------------------------------------
// Script-function expansion.

TEST_F(TokenReader, CallArgumentsReplaceParameters) {
  SCRFUNCTION fn;
  fn.name = "pump";
  fn.params = {"x", "n", "m"};
  fn.args = {"10", "count", "Sub"};
  fn.instance = 2;
  ScrPushCallContext(&fn);
  EXPECT_EQ(Strings("x\n"), (Tokens{"10"}));
  EXPECT_EQ(Strings("y = x + 1\n"), (Tokens{"y=10+1"}));
  EXPECT_EQ(Strings("f(x, n)"), (Tokens{"f(10,count)"}));
  EXPECT_EQ(Strings("var[n]\n"), (Tokens{"var[count]"}));
  EXPECT_EQ(Strings("v = var[n%2]\n"), (Tokens{"v = var[count%2]"}));
  EXPECT_EQ(Strings("module m\n"), (Tokens{"module Sub"}));
  // Table keywords stay as they are.
  EXPECT_EQ(Strings("field\n"), (Tokens{"field"}));
  // Inside a string literal operands are replaced but blanks are kept.
  EXPECT_EQ(Strings("say(\"x, y and z\")"), (Tokens{"say(\"10, y and z\")"}));
  // A parameter without an argument is left as written.
  fn.args.pop_back();
  EXPECT_EQ(Strings("m\n"), (Tokens{"m"}));
  ScrPopCallContext();
  EXPECT_EQ(Strings("x\n"), (Tokens{"x"}));
}

TEST_F(TokenReader, InstanceSuffixNamesEveryNestedCall) {
  std::string suffix = "unchanged";
  ScrGetInstanceSuffix(suffix);
  EXPECT_EQ(suffix, "");
  SCRFUNCTION outer, inner;
  outer.name = "outer";
  outer.instance = 1;
  inner.name = "inner";
  inner.instance = 3;
  ScrPushCallContext(&outer);
  ScrPushCallContext(&inner);
  EXPECT_EQ(ScrCallContextDepth(), 2);
  EXPECT_EQ(ScrTopCallContext(), &inner);
  ScrGetInstanceSuffix(suffix);
  EXPECT_EQ(suffix, "$outer_1$inner_3");
  char buf[SCR_NAME_MAX + 1];
  ScrGetInstanceSuffix(buf);
  EXPECT_STREQ(buf, "$outer_1$inner_3");
  ScrPopCallContext();
  ScrPopCallContext();
  ScrPopCallContext();  // popping an empty stack is harmless
  EXPECT_EQ(ScrTopCallContext(), nullptr);

  // The char* form is bounded.
  SCRFUNCTION longName;
  longName.name = std::string(2000, 'f');
  ScrPushCallContext(&longName);
  std::vector<char> small(SCR_NAME_MAX + 8, '#');
  ScrGetInstanceSuffix(small.data());
  EXPECT_EQ(std::string(small.data()).size(), static_cast<size_t>(SCR_NAME_MAX));
  EXPECT_EQ(small[SCR_NAME_MAX + 1], '#');
  ScrPopCallContext();
}

TEST_F(TokenReader, ReaderLifecycleEmptiesTheState) {
  {
    CSgModule root("main");
    CScriptReader reader(&root);
    EXPECT_EQ(ScrGetCurrentReader(), &reader);
    TempScript s("int a, b;\n");
    std::string tok;
    ScrReadKeyword(s.f(), tok);  // leaves "int b" pending
    ScrSetCurKeyWord("kept");
  }
  // The last reader is gone: nothing pending, no keyword, no reader.
  EXPECT_EQ(ScrGetCurrentReader(), nullptr);
  EXPECT_STREQ(ScrGetCurKeyWord(), "");
  EXPECT_TRUE(ScrLex().pending.empty());
}

namespace {
std::string FileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[256];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}
}  // namespace

TEST_F(TokenReader, FreshLinesGoToTheLineTraceUnlessSwitchedOff) {
  TempScript target("");
  SgSetTraceTarget(target.path().c_str(), 0);
  {
    CSgModule root("main");
    CScriptReader reader(&root);
    ScrLexResetBuffers();
    Keywords("first, a\n\nsecond\n");
    std::string traced = FileText(target.path());
    // Each line once, however many tokens it holds; empty lines not at all.
    EXPECT_EQ(traced, "first, a\nsecond\n");

    root.Environment()->SetOptions(SG_OPT_NO_LINE_TRACE);
    ScrLexResetBuffers();
    Keywords("third\nfourth\n");
    EXPECT_EQ(FileText(target.path()), traced);
  }
  SgSetTraceTarget(nullptr, 0);
}
