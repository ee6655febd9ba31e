// Inputs the fuzzer found that once hung or broke the reader (fuzz/regressions/), read again with
// the grammar check off and on. A read only has to come back: a hang runs into the ctest timeout,
// and a crash, leak or undefined behaviour is caught by the sanitizer build.
//
// Set SCR_SKIP_FUZZ_REGRESSIONS to skip them (while a fix for a new finding is still open).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lexer/ScrPath.h"
#include "sg/Gfx.h"
#include "support/ScriptFixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> RegressionInputs() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(SCR_FUZZ_REGRESSIONS_DIR, ec))
    if (e.is_regular_file() && e.path().filename() != "README.md") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// One test walks the folder, so that ctest sees a new input without the test list being found
// again; the name of each input is printed before it is read, so a hang points at its file.
TEST(FuzzRegressions, EveryInputReadReturns) {
  const std::vector<std::string> inputs = RegressionInputs();
  ASSERT_FALSE(inputs.empty()) << "no inputs in " << SCR_FUZZ_REGRESSIONS_DIR;
  if (std::getenv("SCR_SKIP_FUZZ_REGRESSIONS")) GTEST_SKIP() << "SCR_SKIP_FUZZ_REGRESSIONS is set";

  for (const std::string& name : inputs) {
    std::ifstream in(fs::path(SCR_FUZZ_REGRESSIONS_DIR) / name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // The fuzz target's setup: a private work directory, models off, a fresh scene and include
    // list.
    for (int checkGrammar : {0, 1}) {
      std::printf("[ input    ] %s, grammar check %s\n", name.c_str(), checkGrammar ? "on" : "off");
      std::fflush(stdout);
      TempDir dir;
      const std::string path = dir.WriteBytes("input.scr", bytes);
      SgResetScene();
      ScrDeleteIncludeFilenames();
      {
        CSgModule root("main");
        CScriptReader reader(&root);
        reader.SetWorkDirectory(dir.path().c_str());
        reader.ReadXScript(path.c_str(), /*bLoadModel=*/0, checkGrammar);
      }
      ScrDeleteIncludeFilenames();
    }
  }
}

}  // namespace
