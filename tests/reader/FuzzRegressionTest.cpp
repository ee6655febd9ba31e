// What the fuzzer found (fuzz/regressions/<target>/) and what it starts from (fuzz/seeds/<target>/),
// replayed through the same entry points the fuzz targets drive (fuzz/FuzzEntries.h). A replay
// only has to come back: a hang runs into the ctest timeout, and a crash, leak or undefined
// behaviour is caught by the sanitizer builds. Read-script inputs are replayed with the grammar
// check off and on.
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

#include "FuzzEntries.h"
#include "compiler/ScrRun.h"
#include "lexer/ScrLimits.h"
#include "support/ScriptFixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().filename() != "README.md") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One test walks the folders, so that ctest sees a new input without the test list being found
// again; the name of each input is printed before it runs, so a hang points at its file.
TEST(FuzzRegressions, EveryInputOfEveryTargetReturns) {
  if (std::getenv("SCR_SKIP_FUZZ_REGRESSIONS")) GTEST_SKIP() << "SCR_SKIP_FUZZ_REGRESSIONS is set";
  int replayed = 0;
  for (const scrfuzz::Entry* e = scrfuzz::Entries(); e->name; ++e) {
    for (const char* kind : {"regressions", "seeds"}) {
      for (const fs::path& file : InputsOf(fs::path(SCR_FUZZ_DIR) / kind / e->name)) {
        const std::string bytes = Bytes(file);
        std::printf("[ input    ] %s %s/%s\n", e->name, kind, file.filename().c_str());
        std::fflush(stdout);
        if (e->run == &scrfuzz::ReadScript) {
          for (int checkGrammar : {0, 1}) scrfuzz::ReadScriptText(bytes.data(), bytes.size(), checkGrammar);
        } else {
          e->run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 20) << "the regression and seed folders under " << SCR_FUZZ_DIR << " look empty";
}

class HostileShapes : public ScriptTest {};

// Shapes no author writes but a damaged or generated file may hold: each read ends, with the
// message that names the limit it ran into.
TEST_F(HostileShapes, EndWithAMessage) {
  auto repeat = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  const int deep = 1000;
  struct Case {
    const char* what;
    std::string script;
    const char* message;  // a part of the one message expected ("" when the read must be silent)
  };
  const Case cases[] = {
      {"modules nested past the block limit", "script {\n" + repeat("module m {\n", deep) + repeat("}\n", deep) + "}\n",
       "块的嵌套超过"},
      {"statement blocks nested in a program",
       "script {\n int a;\n program {\n" + repeat("if (a == 0) {\n", deep) + repeat("}\n", deep) + " }\n}\n", "层"},
      {"parentheses nested in an expression",
       "script {\n int a;\n program {\n a = " + repeat("(1+", deep) + "1" + repeat(")", deep) + ";\n }\n}\n", "层"},
      {"a script function that calls itself", "script {\n f(x) { module x { } f(x) }\n f(A)\n}\n", "层"},
      {"a file that includes itself", "script {\n include { main.scr }\n}\n", "重复包含"},
      {"a file that includes itself into a new module each time",
       "script {\n module m { include { main.scr } }\n}\n", "层"},
      {"one 64 KiB word", "script {\n" + std::string(64 * 1024, 'w') + "\n}\n", "w"},
      // Arrays: one too large, in each place an array is declared, and many that add up.
      {"a huge array", "script {\n int m[100000000]\n}\n", "数组'm'太大"},
      {"a huge array in a program", "script {\n program {\n  int m[2147483647][2]\n }\n}\n", "数组'm'太大"},
      {"a huge array in a variable block", "script {\n variable { name { v } type { intarray } size { 100000000 } }\n}\n",
       "数组'v'太大"},
      {"arrays that add up", "script {\n int a[200][200]\n int b[200][200]\n int c[200][200]\n}\n",
       "数组'c'太大"},
      {"an array of too many dimensions", "script {\n int m" + repeat("[1]", SCR_MAX_ARRAY_DIMENSIONS + 1) + "\n}\n",
       "太大"},
  };
  for (const Case& c : cases) {
    SetUp();
    ReadOutcome o = Read(c.script);
    ASSERT_FALSE(o.messages.empty()) << c.what;
    EXPECT_NE(o.messages[0].find(c.message), std::string::npos) << c.what << ":\n" << Joined(o);
  }

  // A recursive function with a large local array stops when the copies saved for its
  // activations would pass the VM's bound, instead of copying the array at every level.
  SetUp();
  ReadOutcome o = Read(
      "script {\n int r = 0;\n int f(int n) {\n  int m[50000];\n  int k;\n  k = 0;\n"
      "  if (n > 0) { k = f(n - 1); }\n  return k + 1;\n }\n program { r = f(150); }\n}\n");
  ASSERT_EQ(o.result, 1) << Joined(o);
  const ScrRunResult run = ScrRunPrograms(reader.get(), 0);
  EXPECT_FALSE(run.ok);
  EXPECT_NE(run.error.find("recursion saves too many local variables"), std::string::npos) << run.error;
}

}  // namespace
