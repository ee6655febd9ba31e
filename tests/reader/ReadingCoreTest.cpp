// The reading core on inputs that once hung it, misplaced its messages, lost its headers or let a
// small file make it work without end: each reads to its end or to its message.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "lexer/ScrLimits.h"
#include "reader/ScrScript.h"
#include "sg/Module.h"
#include "support/ScriptFixture.h"

namespace {

class ReadingCoreTest : public ScriptTest {
 protected:
  std::string Where(const char* file = "main.scr") { return "(" + dir.path() + "/" + file + ") "; }
};

// A word reported and skipped, then a line the statement rewriting cuts into pieces: the look-ahead
// of the skip used to leave the pieces behind and the same one came back for ever.
TEST_F(ReadingCoreTest, SkippedWordsBeforeRewrittenLinesEnd) {
  struct Case {
    const char* script;
    int line;           // of the first message
    const char* first;  // its text after the file and line
  };
  const Case cases[] = {
      {"script {\n  wrench\n  int a, b;\n}\n", 2, "无效关键字 'wrench', 忽略. [wrench]"},
      {"script {\n  look\n  y=x++\n}\n", 2, "无效关键字 'look', 忽略. [look]"},
      {"script {\n  foo(a)\n  y=x++\n}\n", 3, "无效关键字 'y=x', 忽略. [y=x]"},
      {"script {\n  background { button { a }\n  y=x++ }\n}\n", 2, "无效关键字 'button', 忽略. [button]"},
      {"scriPt\nm++[", 0, nullptr},
      {"script\np #--", 0, nullptr},
  };
  for (const Case& c : cases) {
    SetUp();
    ReadOutcome o = Read(c.script);
    if (!c.first) continue;  // reaching the end is the test
    ASSERT_FALSE(o.entries.empty()) << c.script;
    EXPECT_EQ(o.entries[0].line, c.line) << c.script;
    EXPECT_EQ(o.messages[0], "错误: " + Where() + "第" + std::to_string(c.line) + "行" + c.first) << c.script;
  }
}

// Headers that also read as statements, or that go on over a line, are read from their own text.
TEST_F(ReadingCoreTest, ScriptFunctionHeadersOfEveryShape) {
  struct Case {
    const char* calls;  // calls of mk(a, b) { module a { } module b { } }
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"mk(x[1], Two)", "x[1]", "Two"},
      {"mk(\"x=y\", Two)", "\"x=y\"", "Two"},
      {"mk(One,\n     Two)", "One", "Two"},
      {"mk(One, Two) module After { }", "One", "After"},
  };
  for (const Case& c : cases) {
    SetUp();
    ReadOutcome o = Read(std::string("script {\n  mk(a,\n     b) { module a { } module b { } }\n  ") + c.calls + "\n}\n");
    EXPECT_EQ(o.result, 1) << c.calls << "\n" << Joined(o);
    EXPECT_TRUE(o.messages.empty()) << c.calls << "\n" << Joined(o);
    SCRFUNCTION* fn = reader->FindFunction("mk");
    ASSERT_NE(fn, nullptr) << c.calls;
    EXPECT_EQ(fn->params, (std::vector<std::string>{"a", "b"}));
    EXPECT_NE(root->FindModule(c.first), nullptr) << c.calls;
    EXPECT_NE(root->FindModule(c.second), nullptr) << c.calls;
    EXPECT_EQ(root->FindModule("a"), nullptr) << "the definition's body is not read as top-level words";
  }
}

// A message from a body names the line where the body is written, in the file where it is written,
// however many look-aheads came before and wherever the call stands.
TEST_F(ReadingCoreTest, MessagesFromBodiesNameTheLineWritten) {
  ReadOutcome o = Read(
      "script {\n"
      "  f(n) {\n"
      "    module n { }\n"
      "    button { }\n"
      "  }\n"
      "\n"
      "  f(A)\n"
      "}\n");
  ASSERT_EQ(o.entries.size(), 1u) << Joined(o);
  EXPECT_EQ(o.entries[0].line, 4);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第4行无效关键字 'button', 忽略. [button]");
  EXPECT_EQ(o.entries[0].calledFrom.size(), 1u);

  SetUp();
  dir.WriteGbk("lib.scr", "script {\n  g(n)\n  {\n    module n { }\n\n    button { }\n  }\n}\n");
  o = Read("script {\n  include { lib.scr }\n  g(B)\n}\n");
  ASSERT_EQ(o.entries.size(), 1u) << Joined(o);
  EXPECT_EQ(o.entries[0].line, 6);
  EXPECT_NE(o.messages[0].find("lib.scr) 第6行无效关键字 'button'"), std::string::npos) << Joined(o);
  EXPECT_NE(root->FindModule("B"), nullptr);
  // The entry also says where the body was called from, innermost call first.
  ASSERT_EQ(o.entries[0].calledFrom.size(), 1u);
  EXPECT_EQ(o.entries[0].calledFrom[0].function, "g");
  EXPECT_EQ(o.entries[0].calledFrom[0].line, 3);
  EXPECT_EQ(o.entries[0].calledFrom[0].file, dir.path() + "/main.scr");

  SetUp();
  o = Read("script {\n  in(n) { button { }\n  }\n  out(m) {\n    in(m)\n  }\n\n  out(C)\n}\n");
  ASSERT_EQ(o.entries.size(), 1u) << Joined(o);
  EXPECT_EQ(o.entries[0].line, 2);
  ASSERT_EQ(o.entries[0].calledFrom.size(), 2u);
  EXPECT_EQ(o.entries[0].calledFrom[0].function, "in");
  EXPECT_EQ(o.entries[0].calledFrom[0].line, 5);
  EXPECT_EQ(o.entries[0].calledFrom[1].function, "out");
  EXPECT_EQ(o.entries[0].calledFrom[1].line, 8);
}

// Numbers beyond every integer type, NaN and infinities narrow without undefined behaviour.
TEST_F(ReadingCoreTest, OutOfRangeNumbersSaturate) {
  struct Case {
    const char* version;
    int expected;
  };
  const Case cases[] = {{"1e40", INT_MAX}, {"-1e40", INT_MIN}, {"nan", 0}, {"0/0", 0}, {"/", 0}, {"1.5", 150}};
  for (const Case& c : cases) {
    SetUp();
    ReadOutcome o = Read(std::string("script {\n version { ") + c.version + " }\n define { N 1.0e300 }\n}\n");
    EXPECT_EQ(o.result, 1) << c.version << Joined(o);
    int v = -1;
    reader->Script()->GetVersion(v);
    EXPECT_EQ(v, c.expected) << c.version;
    DWORD value = 0;
    BYTE flag = 0;
    ASSERT_EQ(reader->FindMacro("N", value, flag), 1);
    EXPECT_EQ(flag, 2);
  }
}

// Reopening ever longer qualified paths deepens the module tree at block depth 1: the tree is
// bounded like block nesting, with the same message.
TEST_F(ReadingCoreTest, ModuleTreeDepthIsBounded) {
  std::string script = "script {\n  module a { }\n";
  std::string path = "a";
  for (int i = 0; i < SCR_MAX_BLOCK_DEPTH + 5; ++i) {
    script += "  module " + path + " { module a { } }\n";
    path += ":a";
  }
  ReadOutcome o = Read(script + "}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
  EXPECT_NE(o.messages[0].find("块的嵌套超过" + std::to_string(SCR_MAX_BLOCK_DEPTH) + "层"), std::string::npos);
  int depth = 0;
  for (CSgModule* m = root->FindModule("a"); m && m->ChildCount() > 0; m = m->Child(0)) ++depth;
  EXPECT_EQ(depth + 1, SCR_MAX_BLOCK_DEPTH);
}

// Functions that call each other twice over, one file included many times, a body without braces
// read again at every level: each stops at the read's allowance of text, or its depth bound.
TEST_F(ReadingCoreTest, AmplificationEndsWithAMessage) {
  std::string exp = "script {\n  f0(x) { module x { } }\n";
  for (int i = 1; i <= 16; ++i)
    exp += "  f" + std::to_string(i) + "(x) { f" + std::to_string(i - 1) + "(x) f" + std::to_string(i - 1) + "(x) }\n";
  ReadOutcome o = Read(exp + "  f16(A)\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
  EXPECT_NE(o.messages[0].find("包含和函数展开读入的文字超过"), std::string::npos) << Joined(o);

  // 64 KiB included into distinct modules: 64 times is within the allowance, 65 is one past.
  std::string big = "script {\n";
  while (big.size() < 64 * 1024 - 3) big += " ' a line of comment to fill the file out\n";
  big.resize(64 * 1024 - 3);
  big += "\n}\n";
  const int fits = static_cast<int>(SCR_EXPANDED_TEXT_MIN / (64 * 1024));
  for (int times : {fits, fits + 1}) {
    SetUp();
    dir.WriteGbk("big.scr", big);
    std::string script = "script {\n";
    for (int i = 0; i < times; ++i) script += "  module M" + std::to_string(i) + " { include { big.scr } }\n";
    o = Read(script + "}\n");
    EXPECT_EQ(o.result, times == fits ? 1 : 0) << times << Joined(o);
    EXPECT_EQ(o.messages.size(), times == fits ? 0u : 1u) << times << Joined(o);
  }

  SetUp();
  o = Read("script {\n  g(a)\n  module a { }\n  g(B)\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
}

// Only regular files are read: a device that never ends, or a directory, is refused at once.
TEST_F(ReadingCoreTest, IncludesOfDevicesAndDirectoriesAreRefused) {
  for (ScrEncoding enc : {ScrEncoding::Auto, ScrEncoding::Gbk}) {
    SetUp();
    reader->SetEncoding(enc);
    ReadOutcome o = Read("script {\n  include { /dev/zero }\n  include { /tmp }\n  module After { }\n}\n");
    EXPECT_EQ(o.result, 1) << Joined(o);
    ASSERT_EQ(o.messages.size(), 1u) << Joined(o);  // messages after the first error are dropped
    EXPECT_EQ(o.messages[0], "错误: /dev/zero 不是普通文件, 不能读入.");
    EXPECT_NE(root->FindModule("After"), nullptr);
  }
  ReadOutcome o = ReadFile("/dev/zero");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
}

// A script held in memory reads like a file of the same bytes.
TEST_F(ReadingCoreTest, ScriptFromMemoryReadsLikeAFile) {
  EXPECT_EQ(reader->ReadXScriptText("<stdin>", "script {\n  module Mem { }\n  module X:Y { }\n}\n", 0, 0), 1);
  EXPECT_NE(root->FindModule("Mem"), nullptr);
  ASSERT_EQ(reader->Messages().Count(), 1);
  EXPECT_EQ(reader->Messages().Entries()[0].line, 3);
  EXPECT_EQ(reader->Messages().Entries()[0].file, "<stdin>");
}

}  // namespace
