// `scrread check`: the grammar check alone, on files and on standard input.
#include <gtest/gtest.h>

#include "CliSupport.h"
#include "support/ScriptFixture.h"

namespace {

TEST(CliCheck, ExitStatusAndDiagnostics) {
  TempDir dir;
  const std::string good = dir.WriteGbk("good.scr", "script {\n button { name { 阀门，左 } }\n}\n");
  const std::string bad = dir.WriteGbk("bad.scr", "script {\n controller {\n  act { }\n }\n}\n");
  struct Row {
    std::vector<std::string> args;
    std::string stdinBytes;
    int status;
    std::string err;
  };
  const std::vector<Row> rows = {
      {{"check", "-q", good}, "", 0, good + ":2: warning: 英文',' 可能被错写为中文'，'.[name]\n"},
      {{"check", "-q", bad}, "", 1, bad + ":3: error: 关键字 'controller' 不能包含 'act'.\n"},
      {{"check", "-q", "-"}, "script { button { tip2 { } } }\n", 1, "<stdin>:1: error: 'tip2' 不是关键字.\n"},
      {{"check", "-q", dir.path() + "/missing.scr"}, "", 2, ""},
      // `read` runs the same check first unless told not to.
      {{"read", "-q", bad}, "", 1, bad + ":3: error: 关键字 'controller' 不能包含 'act'.\n"},
  };
  for (const Row& row : rows) {
    RunResult r = RunScrread(row.args, row.stdinBytes);
    EXPECT_EQ(r.status, row.status) << row.args[2] << "\n" << r.err;
    if (!row.err.empty()) {
      EXPECT_EQ(r.err, row.err);
    }
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

}  // namespace
