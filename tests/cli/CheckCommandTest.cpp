// `scrread check`: the grammar check alone, on files and on standard input.
#include <gtest/gtest.h>

#include "CliSupport.h"
#include "support/ScriptFixture.h"

namespace {

TEST(CliCheck, ExitStatusAndDiagnostics) {
  TempDir dir;
  const std::string good = dir.WriteGbk("good.scr", "script {\n button { name { 阀门，左 } }\n}\n");
  const std::string bad = dir.WriteGbk("bad.scr", "script {\n controller {\n  act { }\n }\n}\n");
  const std::string deep = dir.WriteGbk("deep.scr", "script {\n animation {\n  controller {\n   act { }\n  }\n }\n}\n");
  struct Row {
    std::vector<std::string> args;
    std::string stdinBytes;
    int status;
    std::string err;
  };
  const std::vector<Row> rows = {
      {{"check", "-q", good}, "", 0, good + ":2:18: warning: 英文',' 可能被错写为中文'，'.[name] [grammar-fullwidth-comma]\n"},
      {{"check", "-q", bad}, "", 1, bad + ":3:3: error: 关键字 'controller' 不能包含 'act'. [grammar-cannot-contain]\n"},
      {{"check", "-q", "-"}, "script { button { tip2 { } } }\n", 1, "<stdin>:1:19: error: 'tip2' 不是关键字. [grammar-not-keyword]\n"},
      {{"check", "-q", dir.path() + "/missing.scr"}, "", 2, ""},
      // A fault two blocks deep: the fault itself, then each enclosing block that stays open. The
      // host sees only the first (one error per read); --all shows the cascade.
      {{"check", "-q", deep}, "", 1, deep + ":4:4: error: 关键字 'controller' 不能包含 'act'. [grammar-cannot-contain]\n"},
      {{"check", "-q", "--all", deep}, "", 1,
       deep + ":4:4: error: 关键字 'controller' 不能包含 'act'. [grammar-cannot-contain]\n" +
           deep + ":4:4: error: 关键字 'animation' 遗漏 '}'. [missing-close-brace]\n" +
           deep + ":4:4: error: 关键字 'script' 遗漏 '}'. [missing-close-brace]\n"},
      // `read` runs the same check first unless told not to.
      {{"read", "-q", bad}, "", 1, bad + ":3:3: error: 关键字 'controller' 不能包含 'act'. [grammar-cannot-contain]\n"},
  };
  for (const Row& row : rows) {
    RunResult r = RunScrread(row.args, row.stdinBytes);
    EXPECT_EQ(r.status, row.status) << row.args.back() << "\n" << r.err;
    if (!row.err.empty()) {
      EXPECT_EQ(r.err, row.err);
    }
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

}  // namespace
