// CLineCounter: the line of a stream position.
#include "LexTestUtil.h"
#include "lexer/ScrLex.h"

using namespace lextest;

TEST(LineCounter, PositionsAfterTerminatorsReportTheLineTheyEnd) {
  TempScript s("a\nb");
  CLineCounter lc;
  lc.Index(s.f());
  EXPECT_EQ(lc.Source(), &s.f()->Source());
  EXPECT_EQ(lc.LineOfPosition(0), 1);
  EXPECT_EQ(lc.LineOfPosition(2), 1);  // after "a\n"
  EXPECT_EQ(lc.LineOfPosition(3), 2);  // after "b"
  EXPECT_EQ(lc.LineOfPosition(-5), 1);
}

TEST(LineCounter, CrLfAndLoneCrEndLines) {
  TempScript crlf("a\r\nbb\r\nc");
  CLineCounter lc;
  lc.Index(crlf.f());
  EXPECT_EQ(lc.LineOfPosition(3), 1);  // after "a\r\n"
  EXPECT_EQ(lc.LineOfPosition(4), 2);  // after "b"
  EXPECT_EQ(lc.LineOfPosition(7), 2);  // after "bb\r\n"
  EXPECT_EQ(lc.LineOfPosition(8), 3);

  TempScript cr("a\rb\rc");
  lc.Index(cr.f());
  EXPECT_EQ(lc.LineOfPosition(2), 1);
  EXPECT_EQ(lc.LineOfPosition(3), 2);
  EXPECT_EQ(lc.LineOfPosition(5), 3);

  TempScript empties("a\n\n\nb\n");
  lc.Index(empties.f());
  EXPECT_EQ(lc.LineOfPosition(3), 2);
  EXPECT_EQ(lc.LineOfPosition(4), 3);
  EXPECT_EQ(lc.LineOfPosition(5), 4);
  EXPECT_EQ(lc.LineOfPosition(6), 4);  // the end, after the last terminator
}

TEST(LineCounter, StreamLookupAgreesWithTheTokenReader) {
  ResetLexer();
  TempScript s("script {\n  name { x }\n}\n");
  CLineCounter lc;
  s.f()->Seek(3);
  lc.Index(s.f());
  EXPECT_EQ(s.f()->Tell(), 3);  // indexing keeps the read position
  s.f()->Seek(0);
  std::string tok;
  for (int i = 0; i < 7; ++i) {
    ScrReadKeyword(s.f(), tok);
    EXPECT_EQ(lc.LineOf(s.f()), ScrGetLineId()) << "after " << tok;
  }
  EXPECT_EQ(tok, "}");
  EXPECT_EQ(lc.LineOf(s.f()), 3);
  ResetLexer();
}

TEST(LineCounter, OtherStreamsAreUnknown) {
  TempScript a("x\n"), b("y\n");
  CLineCounter lc;
  EXPECT_EQ(lc.LineOf(a.f()), -1);
  lc.Index(a.f());
  EXPECT_EQ(lc.LineOf(a.f()), 1);
  EXPECT_EQ(lc.LineOf(b.f()), -1);
  EXPECT_EQ(lc.LineOf(nullptr), -1);
  lc.Reset();
  EXPECT_EQ(lc.Source(), nullptr);
  EXPECT_EQ(lc.LineOf(a.f()), -1);
}

TEST(LineCounter, LargeFileIndexesEveryLine) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "line\n";
  TempScript s(text);
  CLineCounter lc;
  lc.Index(s.f());
  EXPECT_EQ(lc.LineOfPosition(0), 1);
  EXPECT_EQ(lc.LineOfPosition(5 * 70000 + 1), 70001);
  EXPECT_EQ(lc.LineOfPosition(static_cast<long>(text.size())), 100000);
}
