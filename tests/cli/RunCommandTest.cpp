// scrread run: programs run once, the variables printed (or dumped) after the run, run-time
// errors reported like diagnostics.
#include <gtest/gtest.h>

#include "CliSupport.h"

namespace {

struct RunRow {
  std::vector<std::string> args;
  int status;
  const char* out;  // a fragment of standard output ("" for none expected)
  const char* err;  // a fragment of standard error ("" for none expected)
};

TEST(CliRun, ProgramsRunAndVariablesPrint) {
  const RunRow rows[] = {
      {{"run", "--no-check", Fixture("run.scr")}, 0, "total = 14\nsquares = {0, 1, 4, 9}\n", ""},
      {{"run", "--no-check", "--dump", "json", Fixture("run.scr")}, 0, "\"total\"", ""},
      {{"run", "--no-check", "--max-steps", "1000", Fixture("run-forever.scr")}, 1, "n = ",
       "run-forever.scr: error: run-time error"},
      {{"run", "--max-steps", "many", Fixture("run.scr")}, 2, "", "--max-steps"},
      // The bundled example: names and texts come out in UTF-8, and only plain variables print.
      {{"run", std::string(SCR_EXAMPLES_DIR) + "/pump.scr"}, 0, "running = 1\nflow = {12.5, 25}\n流量上限 = 40\n", ""},
  };
  for (const RunRow& r : rows) {
    RunResult res = RunScrread(r.args);
    EXPECT_EQ(res.status, r.status) << r.args.back() << "\n" << res.err;
    EXPECT_NE(res.out.find(r.out), std::string::npos) << res.out;
    EXPECT_NE(res.err.find(r.err), std::string::npos) << res.err;
  }
}

}  // namespace
