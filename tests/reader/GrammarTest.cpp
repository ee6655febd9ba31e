// The grammar pre-pass: scripts in, verdict and host-visible messages out.
#include <string>
#include <vector>

#include "lexer/ScrLimits.h"
#include "support/ScriptFixture.h"

namespace {

class GrammarTest : public ScriptTest {
 protected:
  // Checks `utf8` (written as GBK) and returns the messages without the "(file) " part, so that
  // rows read as "错误: 第3行...".
  ReadOutcome Check(const std::string& utf8) {
    const std::string path = dir.WriteGbk("main.scr", utf8);
    ReadOutcome o = Collect(reader->CheckGrammar(path.c_str()));
    for (std::string& m : o.messages) {
      const std::string part = "(" + path + ") ";
      if (size_t at = m.find(part); at != std::string::npos) m.erase(at, part.size());
    }
    return o;
  }
};

std::string Nested(const char* word, int depth) {
  std::string s = "script {\n";
  for (int i = 0; i < depth; ++i) s += std::string(word) + " {\n";
  for (int i = 0; i < depth; ++i) s += "}\n";
  return s + "}\n";
}

TEST_F(GrammarTest, VerdictsAndMessages) {
  struct Row {
    std::string script;
    int result;
    std::vector<std::string> messages;
  };
  const std::vector<Row> rows = {
      {"", 1, {}},
      {"script { }\n", 1, {}},
      {"' before the script\nversion 1\nscript\n{\n}\n' after it\n", 1, {}},
      // The allowed lists are matched as text, with `act` kept out of a controller.
      {"script {\n animation {\n  controller {\n   act { type { 1 } }\n  }\n }\n}\n", 0,
       {"错误: 第4行关键字 'controller' 不能包含 'act'."}},
      {"script { animation { controller { action { act { type { 1 } } } } } }\n", 1, {}},
      {"script { button { hover { bitmap { a.bmp } } tip { bitmap { b.bmp } } } }\n", 1, {}},
      {"script {\n button {\n  tip2 { bitmap { b.bmp } }\n }\n}\n", 0, {"错误: 第3行'tip2' 不是关键字."}},
      {"script { button { mask { 1 } } }\n", 1, {}},
      // Conditions.
      {"script { program { if { a = 1 } } }\n", 0, {"错误: 第1行条件语句没有设置条件. [if]"}},
      {"script { program {\n if (a > 1) { a = 2 }\n else if (a < 0) { f(a) }\n while (a < 3) { a++ }\n} }\n", 1, {}},
      {"script { examine { name { e1 } } }\n", 1, {}},
      // Case bodies, asyn and completed hold statements like any code block.
      {"script { program {\n switch (a) {\n  case 2:\n  {\n   a = 20\n  }\n  break\n  default:\n  {\n   a = 0\n  }\n }\n"
       " asyn {\n  a = 1\n }\n completed {\n  a = 2\n }\n} }\n", 1, {}},
      // enable takes TRUE or FALSE in any case, also on the line after its brace.
      {"script { button {\n enable { yes }\n} }\n", 0, {"错误: 第2行关键字'enable'中只能写'TRUE'或'FALSE'.[enable]"}},
      {"script { button { enable { true } } button { enable {\n FALSE\n } } }\n", 1, {}},
      // Full-width punctuation: warned in values (the check still passes), never in content.
      {"script { button { name { 阀门，左 } } }\n", 1, {"警告: 第1行英文',' 可能被错写为中文'，'.[name]"}},
      {"script { edit { content { 阀门，左；右 } } }\n", 1, {}},
      {"script { button { name { 停机 } } }\n", 1, {}},
      {"script { button {\n name { 开；关－1 }\n} }\n", 1,
       {"警告: 第2行英文'-' 可能被错写为中文'－'.[name]", "警告: 第2行英文';' 可能被错写为中文'；'.[name]"}},
      // Braces. A fault inside nested blocks is what the host sees first.
      {"script {\n button {\n  reaction {\n   bogus { 1 }\n  }\n }\n}\n", 0, {"错误: 第4行'bogus' 不是关键字."}},
      {"script {\n button\n  name { a }\n}\n", 0, {"错误: 第2行关键字 'button' 遗漏'{'."}},
      {"script {\n button {\n  name { a\n", 0, {"错误: 第3行'name' 遗漏'}'."}},
      {"script {\n button {\n", 0, {"错误: 第2行未知错误."}},
      {"script {\n button { }\n}\n}\n", 0, {"错误: 第4行脚本已经结束，可能多了'}'  [}]."}},
      {"script {\n version\n 1.0\n}\n", 0, {"错误: 第3行解析关键词 1.0 出现错误. [version]"}},
      // Calls: with or without a block, arguments over several lines, a ')' that never comes.
      {"script {\n f(a, b)\n g(1) { module m { } }\n h(1,\n 2)\n}\n", 1, {}},
      {"script {\n f(a,\n {\n}\n", 0, {"错误: 第3行函数'f(a,' 遗漏')'."}},
      {"script {\n f(a,\n b\n", 0, {"错误: 第3行函数'f(a,' 遗漏')'."}},
      // Nesting: deep enough for any scene, bounded well before the stack is.
      {Nested("animation", 100), 1, {}},
      {Nested("animation", SCR_MAX_BLOCK_DEPTH + 1), 0,
       {"错误: 第" + std::to_string(SCR_MAX_BLOCK_DEPTH + 2) + "行块的嵌套超过" + std::to_string(SCR_MAX_BLOCK_DEPTH) +
        "层. [animation]"}},
      {Nested("animation", 50000), 0,
       {"错误: 第" + std::to_string(SCR_MAX_BLOCK_DEPTH + 2) + "行块的嵌套超过" + std::to_string(SCR_MAX_BLOCK_DEPTH) +
        "层. [animation]"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script.substr(0, 200));
    reader = std::make_unique<CScriptReader>(root.get());
    ReadOutcome o = Check(row.script);
    EXPECT_EQ(o.result, row.result) << Joined(o);
    EXPECT_EQ(o.messages, row.messages);
  }
}

// ReadXScript runs the check first when asked and reads nothing when it fails; the text is opened
// once for both passes, and a check that passed leaves the reader to start from the top.
TEST_F(GrammarTest, ReadXScriptGivesUpWhenTheCheckFails) {
  const std::string good = dir.WriteGbk("good.scr", "script {\n module Good { }\n}\n");
  const std::string bad = dir.WriteGbk("bad.scr", "script {\n module Bad { }\n button { tip2 { } }\n}\n");
  EXPECT_EQ(reader->ReadXScript(bad.c_str(), 0, 1), 0);
  EXPECT_EQ(root->FindChild("Bad"), nullptr);
  EXPECT_EQ(reader->MessageCount(), 1);
  reader = std::make_unique<CScriptReader>(root.get());
  EXPECT_EQ(reader->ReadXScript(good.c_str(), 0, 1), 1);
  EXPECT_NE(root->FindChild("Good"), nullptr);
  EXPECT_EQ(reader->MessageCount(), 0);
  EXPECT_EQ(reader->ReadXScriptText("<stdin>", "script { button { tip2 { } } }\n", 0, 1), 0);

  // An included file is checked on the text that was read for it, and its fault names that file;
  // a clean include is then read from its top, and a failed one stops the includer.
  dir.WriteGbk("inc_bad.scr", "script {\n button { tip2 { } }\n}\n");
  dir.WriteGbk("inc_good.scr", "script {\n module Inner { }\n}\n");
  reader = std::make_unique<CScriptReader>(root.get());
  reader->SetWorkDirectory(dir.path().c_str());
  EXPECT_EQ(reader->ReadXScriptText("<stdin>", "script {\n include { inc_good.scr }\n include { inc_bad.scr }\n}\n", 0, 1), 0);
  EXPECT_NE(root->FindChild("Inner"), nullptr);
  ASSERT_EQ(reader->MessageCount(), 1);
  EXPECT_NE(reader->Messages().Back().file.find("inc_bad.scr"), std::string::npos);
  EXPECT_EQ(reader->Messages().Back().line, 2);

  reader = std::make_unique<CScriptReader>(root.get());
  EXPECT_EQ(reader->CheckGrammar((dir.path() + "/missing.scr").c_str()), 0);
  ASSERT_EQ(reader->MessageCount(), 1);
  EXPECT_NE(Utf8(reader->Messages().Back().text).find("fail to find file"), std::string::npos);
}

}  // namespace
