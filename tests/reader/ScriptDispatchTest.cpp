// Reading whole scripts: the entry point, the top-level keywords, modules, macros, includes and
// script functions, and the depth bounds.
#include <gtest/gtest.h>

#include "lexer/ScrLimits.h"
#include "reader/ScrScript.h"
#include "sg/Gfx.h"
#include "sg/Notify.h"
#include "sg/View.h"
#include "support/ScriptFixture.h"

namespace {

class DispatchTest : public ScriptTest {
 protected:
  std::string Where(const char* file = "main.scr") { return "(" + dir.path() + "/" + file + ") "; }
};

TEST_F(DispatchTest, FileWithoutScriptBlockReadsCleanly) {
  ReadOutcome o = Read("' nothing here\nfoo bar\n");
  EXPECT_EQ(o.result, 1);
  EXPECT_TRUE(o.messages.empty()) << Joined(o);
  EXPECT_EQ(root->SequenceBuilt(), 1);
}

TEST_F(DispatchTest, MissingFileIsReported) {
  ReadOutcome o = ReadFile(dir.path() + "/absent.scr");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "fail to find file " + dir.path() + "/absent.scr");
}

TEST_F(DispatchTest, VersionAndDefine) {
  ReadOutcome o = Read("script {\n version { 1.25 }\n define { N 3.9 }\n define\n M\n 7\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  int v = 0;
  reader->Script()->GetVersion(v);
  EXPECT_EQ(v, 125);
  DWORD value = 0;
  BYTE flag = 0;
  ASSERT_EQ(reader->FindMacro("N", value, flag), 1);
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(flag, 2);
  ASSERT_EQ(reader->FindMacro("M", value, flag), 1);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(flag, 1);
}

TEST_F(DispatchTest, ModuleBlocksNestAndReopen) {
  ReadOutcome o = Read(
      "script {\n"
      "  module Pump { define { A 1 } }\n"
      "  Module Pump { module Valve { } }\n"
      "  module Pump:Seal { }\n"
      "}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_TRUE(o.messages.empty()) << Joined(o);
  ASSERT_EQ(root->ChildCount(), 1);
  CSgModule* pump = root->FindModule("Pump");
  ASSERT_NE(pump, nullptr);
  EXPECT_EQ(pump->ChildCount(), 2);
  EXPECT_NE(root->FindModule("Pump:Valve"), nullptr);
  EXPECT_NE(root->FindModule("Pump:Seal"), nullptr);
}

TEST_F(DispatchTest, MissingParentModuleSkipsOnlyThatBlock) {
  ReadOutcome o = Read("script {\n module Plant:Pump { define { A 1 } }\n module After { }\n}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第2行找不到父模块'Plant'.");
  EXPECT_NE(root->FindModule("After"), nullptr);
  DWORD v;
  BYTE fl;
  EXPECT_EQ(reader->FindMacro("A", v, fl), 0);
}

TEST_F(DispatchTest, KeywordWithoutReaderIsReportedAndSkipped) {
  ReadOutcome o = Read(
      "script {\n"
      "  look {\n    name { B1 }\n    reaction { type { lclick } }\n  }\n"
      "  define { AFTER 1 }\n"
      "}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第2行无效关键字 'look', 忽略. [look]");
  DWORD v;
  BYTE fl;
  EXPECT_EQ(reader->FindMacro("AFTER", v, fl), 1) << "reading goes on after the skipped block";
  EXPECT_EQ(o.entries[0].line, 2);
  EXPECT_EQ(o.entries[0].severity, ScrSeverity::Error);
}

TEST_F(DispatchTest, WordThatMatchesNoRowIsReportedNotSwallowed) {
  ReadOutcome o = Read("script {\n  reaction { type { lclick } }\n  define { LATER 2 }\n}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_NE(o.messages[0].find("无效关键字 'reaction'"), std::string::npos);
  DWORD v;
  BYTE fl;
  EXPECT_EQ(reader->FindMacro("LATER", v, fl), 1);
}

TEST_F(DispatchTest, TokenThatIsNoKeywordStopsTheScript) {
  ReadOutcome o = Read("script {\n  define { A 1 }\n  buton { }\n  define { B 2 }\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第3行'buton' 不是关键字. [buton]");
  EXPECT_EQ(root->SequenceBuilt(), 1) << "sequences are built even after a stop";
}

TEST_F(DispatchTest, SecondScriptBlockReplacesTheFirst) {
  ReadOutcome o = Read("script {\n version { 1 }\n module A { } }\nscript {\n version { 2 }\n module B { } }\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  int v = 0;
  reader->Script()->GetVersion(v);
  EXPECT_EQ(v, 200);
  EXPECT_NE(root->FindModule("A"), nullptr);
  EXPECT_NE(root->FindModule("B"), nullptr);
}

TEST_F(DispatchTest, BackgroundAndZRect) {
  ReadOutcome o = Read(
      "script {\n"
      "  background { color { 1, 0, 0, 0, 0, 1 } }\n"
      "  background { color { 1, 0, 0 } }\n"
      "  zrect { position { 10, 20 } size { 30, 40 } transparency { 0.5 } }\n"
      "}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第3行背景颜色参数必须有6个.");
  SgBackground bg;
  SgGetBackground(&bg);
  EXPECT_FLOAT_EQ(bg.color1[0], 1);
  EXPECT_FLOAT_EQ(bg.color2[2], 1);
  SGKEY key = SgFieldExists("/scene/zrects");
  ASSERT_NE(key, -1);
  EXPECT_EQ(SgFieldChildCount(key), 1);
  ASSERT_EQ(root->SgView()->ScriptFieldCount(), 1);
  EXPECT_EQ(root->SgView()->ScriptField(0), key);
}

TEST_F(DispatchTest, MessageLinesFollowTheTokens) {
  ReadOutcome o = Read("script {\r\n\r\n  module Plant:X { }\r\n}\r\n");
  ASSERT_EQ(o.entries.size(), 1u);
  EXPECT_EQ(o.entries[0].line, 3);
}

// ---------------------------------------------------------------------------------------------
// Script functions

TEST_F(DispatchTest, ScriptFunctionDefinedThenExpandedTwice) {
  ReadOutcome o = Read(
      "script {\n"
      "  pump(nm, depth)\n"
      "  {\n"
      "    module nm { }\n"
      "  }\n"
      "  pump(Left, 1)\n"
      "  pump(Right, 2)\n"
      "}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_TRUE(o.messages.empty()) << Joined(o);
  SCRFUNCTION* fn = reader->FindFunction("pump");
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn->params, (std::vector<std::string>{"nm", "depth"}));
  EXPECT_EQ(fn->instance, 2) << "each expansion has its own instance number";
  EXPECT_NE(root->FindModule("Left"), nullptr);
  EXPECT_NE(root->FindModule("Right"), nullptr);
  EXPECT_EQ(root->FindModule("nm"), nullptr);
}

TEST_F(DispatchTest, NestedExpansionsSubstituteTheOuterArguments) {
  ReadOutcome o = Read(
      "script {\n"
      "  inner(n) { module n { } }\n"
      "  outer(m) { inner(m) }\n"
      "  outer(Deep)\n"
      "}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_NE(root->FindModule("Deep"), nullptr) << Joined(o);
}

TEST_F(DispatchTest, WrongArgumentCountStopsTheScript) {
  ReadOutcome o = Read("script {\n  f(a) { }\n  f(1, 2)\n  define { X 1 }\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第3行函数'f'变量个数应该为1个.");
}

TEST_F(DispatchTest, KeywordParameterIsRejected) {
  ReadOutcome o = Read("script {\n  f(name, int) { module Body { } }\n  module After { }\n}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第2行函数'f'参数'name'不能是关键字.");
  EXPECT_EQ(reader->FindFunction("f"), nullptr);
  EXPECT_EQ(root->FindModule("Body"), nullptr) << "the dropped definition's body is not read";
  EXPECT_NE(root->FindModule("After"), nullptr);
}

TEST_F(DispatchTest, CallOfUnknownFunctionInsideABodyIsReported) {
  ReadOutcome o = Read("script {\n  f() { g(1) }\n  f()\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_NE(o.messages[0].find("函数'g'没有定义."), std::string::npos) << Joined(o);
}

TEST_F(DispatchTest, RecursiveFunctionStopsAtTheExpansionBound) {
  ReadOutcome o = Read("script {\n  r(x) { r(x) }\n  r(1)\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_NE(o.messages[0].find("嵌套超过"), std::string::npos) << Joined(o);
}

// ---------------------------------------------------------------------------------------------
// Includes

TEST_F(DispatchTest, IncludeOncePerModule) {
  dir.WriteGbk("part.scr", "script {\n  define { FROM_PART 1 }\n  module Inc { }\n}\n");
  ReadOutcome o = Read(
      "script {\n"
      "  include { part.scr }\n"
      "  include\n    part.scr\n"
      "  module Other { include { part.scr } }\n"
      "}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第4行文件'part.scr'在同一个模块中被重复包含.");
  EXPECT_NE(root->FindModule("Inc"), nullptr);
  EXPECT_NE(root->FindModule("Other:Inc"), nullptr) << "another module reads it again";
}

TEST_F(DispatchTest, IncludedFunctionsAreKnownAfterwards) {
  dir.WriteGbk("lib.scr", "script {\n  mk(n) { module n { } }\n}\n");
  ReadOutcome o = Read("script {\n  include { lib.scr }\n  mk(Made)\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_NE(root->FindModule("Made"), nullptr) << Joined(o);
}

TEST_F(DispatchTest, IncludeFallsBackToTheIncludingFilesDirectory) {
  dir.WriteGbk("sub/part.scr", "script { module FromSub { } }\n");
  std::string main = dir.WriteGbk("sub/main.scr", "script {\n  include { part.scr }\n}\n");
  reader->SetWorkDirectory((dir.path() + "/elsewhere").c_str());
  ReadOutcome o = ReadFile(main);
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_NE(root->FindModule("FromSub"), nullptr) << Joined(o);
}

TEST_F(DispatchTest, MissingIncludeIsReported) {
  ReadOutcome o = Read("script {\n  include { nowhere.scr }\n}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_NE(o.messages[0].find("第2行找不到包含文件 "), std::string::npos) << Joined(o);
}

TEST_F(DispatchTest, MessagesOfAnIncludedFileNameThatFile) {
  dir.WriteGbk("bad.scr", "script {\n\n  module Plant:X { }\n}\n");
  ReadOutcome o = Read("script {\n  include { bad.scr }\n}\n");
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where("bad.scr") + "第3行找不到父模块'Plant'.");
  EXPECT_EQ(o.entries[0].line, 3);
}

// ---------------------------------------------------------------------------------------------
// Depth bounds: the deepest nesting allowed reads, one more is reported cleanly.

std::string NestedModules(int depth) {
  std::string s = "script {\n";
  for (int i = 0; i < depth; ++i) s += "module m" + std::to_string(i) + " {\n";
  for (int i = 0; i < depth; ++i) s += "}\n";
  return s + "}\n";
}

TEST_F(DispatchTest, BlockNestingBound) {
  ReadOutcome ok = Read(NestedModules(SCR_MAX_BLOCK_DEPTH));
  EXPECT_EQ(ok.result, 1) << Joined(ok);
  EXPECT_TRUE(ok.messages.empty()) << Joined(ok);

  SetUp();
  ReadOutcome deep = Read(NestedModules(SCR_MAX_BLOCK_DEPTH + 1));
  EXPECT_EQ(deep.result, 0);
  ASSERT_EQ(deep.messages.size(), 1u);
  EXPECT_NE(deep.messages[0].find("块的嵌套超过" + std::to_string(SCR_MAX_BLOCK_DEPTH) + "层"),
            std::string::npos)
      << Joined(deep);
}

TEST_F(DispatchTest, FileThatIncludesItselfStops) {
  // Every level opens a module m below the last one, so the include-once rule never fires: only
  // the depth bounds end the recursion, with a message and no crash.
  ReadOutcome o = Read("script {\n  module m { include { main.scr } }\n}\n");
  EXPECT_EQ(o.result, 0);
  ASSERT_FALSE(o.messages.empty());
  EXPECT_NE(o.messages[0].find("嵌套超过"), std::string::npos) << Joined(o);
}

// main.scr includes inc1.scr, which includes inc2.scr, ... down to inc<n>.scr.
void WriteIncludeChain(const TempDir& dir, int n) {
  for (int i = 1; i < n; ++i)
    dir.WriteGbk("inc" + std::to_string(i) + ".scr",
                 "script { include { inc" + std::to_string(i + 1) + ".scr } }\n");
  dir.WriteGbk("inc" + std::to_string(n) + ".scr", "script { module Bottom { } }\n");
}

TEST_F(DispatchTest, IncludeNestingBound) {
  WriteIncludeChain(dir, SCR_MAX_INCLUDE_DEPTH);
  ReadOutcome o = Read("script { include { inc1.scr } }\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_NE(root->FindModule("Bottom"), nullptr);

  SetUp();
  WriteIncludeChain(dir, SCR_MAX_INCLUDE_DEPTH + 1);
  ReadOutcome deep = Read("script { include { inc1.scr } }\n");
  EXPECT_EQ(deep.result, 0);
  ASSERT_EQ(deep.messages.size(), 1u);
  EXPECT_NE(deep.messages[0].find("的包含嵌套超过" + std::to_string(SCR_MAX_INCLUDE_DEPTH) + "层"),
            std::string::npos)
      << Joined(deep);
  EXPECT_EQ(root->FindModule("Bottom"), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Encodings: the same script as UTF-8 and as GBK gives the same objects and messages.

TEST_F(DispatchTest, Utf8AndGbkScriptsReadAlike) {
  const std::string text =
      "script {\n  ' 注释：泵站\n  module 泵站 { }\n  module 厂:阀 { }\n  define { 数量 3 }\n}\n";
  std::string gbkPath = dir.WriteGbk("g.scr", text);
  std::string utfPath = dir.WriteBytes("u.scr", text);
  ReadOutcome g = ReadFile(gbkPath);
  EXPECT_EQ(reader->LastEncoding(), ScrDetectedEncoding::Gbk);
  SetUp();
  ReadOutcome u = ReadFile(utfPath);
  EXPECT_EQ(reader->LastEncoding(), ScrDetectedEncoding::Utf8);
  EXPECT_EQ(g.result, u.result);
  ASSERT_EQ(g.messages.size(), 1u);
  ASSERT_EQ(u.messages.size(), 1u);
  EXPECT_EQ(g.messages[0].substr(g.messages[0].find(") ")), u.messages[0].substr(u.messages[0].find(") ")));
  EXPECT_EQ(u.messages[0], "错误: (" + utfPath + ") 第4行找不到父模块'厂'.");
  EXPECT_NE(root->FindModule(Gbk("泵站").c_str()), nullptr) << "module names are GBK in both cases";
  DWORD v;
  BYTE fl;
  EXPECT_EQ(reader->FindMacro(Gbk("数量").c_str(), v, fl), 1);
}

}  // namespace
