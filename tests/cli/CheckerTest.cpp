// scrread as a checker, run as a process: where includes are found, what the first-error rule
// holds back (--all), columns, notes on the way to a message, the excerpt under it, directories,
// characters GBK lacks, and the exit codes of output that cannot be written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <set>
#include <sstream>

#include "CliSupport.h"
#include "Sarif.h"
#include "reader/ScrText.h"
#include "support/ScriptFixture.h"

namespace {

// Runs scrread in `dir` (the tests' own working directory is put back after).
RunResult RunIn(const std::string& dir, const std::vector<std::string>& args, const std::string& in = "") {
  char* cwd = getcwd(nullptr, 0);
  EXPECT_EQ(chdir(dir.c_str()), 0);
  RunResult r = RunScrread(args, in);
  EXPECT_EQ(chdir(cwd), 0);
  std::free(cwd);
  return r;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A project: main.scr includes sub/a.scr (from the work directory), which includes b.scr (next
// to it), whose line 2 names a parent module that does not exist; inc.scr includes b.scr alone.
struct Project {
  TempDir dir;
  Project() {
    dir.WriteBytes("main.scr", "script {\n  include { sub/a.scr }\n}\n");
    dir.WriteBytes("sub/a.scr", "script {\n include { b.scr }\n}\n");
    dir.WriteGbk("sub/b.scr", "script {\n  module 阀门:X { }\n}\n");
  }
};

TEST(CliChecker, IncludesAreFoundFromTheWorkDirectoryAndStandardInput) {
  Project p;
  const std::string expected = "sub/b.scr:2:3: error: 找不到父模块'阀门'. [parent-module-not-found]\n";
  struct Row {
    std::vector<std::string> args;
    std::string in;
    std::string noteOnIncluder;  // the last note: the include in the file given
  } rows[] = {
      // A relative work directory is taken from where scrread runs, not from the binary's place.
      {{"--workdir", ".", "main.scr"}, "", "main.scr:2:13: note: in file included from here\n"},
      {{"--workdir=wd/..", "main.scr"}, "", "main.scr:2:13: note: in file included from here\n"},
      // Standard input finds includes where the user stands.
      {{"-"}, "script {\n  include { sub/a.scr }\n}\n", "<stdin>:2:13: note: in file included from here\n"},
  };
  std::string wd = p.dir.WriteBytes("wd/.keep", "");
  for (const Row& row : rows) {
    RunResult r = RunIn(p.dir.path(), row.args, row.in);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(Has(r.err, expected)) << r.err;
    // Two levels of includes, innermost first.
    EXPECT_TRUE(Has(r.err, "sub/a.scr:2:12: note: in file included from here\n" + row.noteOnIncluder)) << r.err;
  }
  RunResult r = RunIn(p.dir.path(), {"--workdir", "missing", "main.scr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "scrread: error: work directory 'missing' is not a directory\n");
}

TEST(CliChecker, EveryProblemInOneRunWithAll) {
  TempDir dir;
  const std::string f = dir.WriteGbk("three.scr",
                                     "script {\n  module A:B { }\n  module C:D { }\n  module 泵站 { 1 2 }\n"
                                     "  module Late { }\n}\n");
  RunResult r = RunScrread({f, "--format=gcc"});
  EXPECT_EQ(r.status, 1);
  // The host's rule: one error; where reading stopped is always said.
  EXPECT_EQ(r.err, f + ":2:3: error: 找不到父模块'A'. [parent-module-not-found]\n" + f + ":4: note: 读入停止, 其后2行没有读入. [reading-stopped]\n" +
                       "1 error, 0 warnings in 1 file; after the first error 2 more errors, 0 warnings "
                       "(--all shows them)\n");
  r = RunScrread({"-aq", "--format=gcc", f});
  EXPECT_EQ(r.err, f + ":2:3: error: 找不到父模块'A'. [parent-module-not-found]\n" + f + ":3:3: error: 找不到父模块'C'. [parent-module-not-found]\n" + f +
                       ":4:15: error: '1 2' 不是关键字. [1 2] [not-a-keyword]\n" + f + ":4: note: 读入停止, 其后2行没有读入. [reading-stopped]\n");

  r = RunScrread({"--all", "--format=json", f});
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.err, j, error)) << error;
  const Json& m = j["files"][0]["messages"];
  ASSERT_EQ(m.size(), 4u);
  EXPECT_FALSE(m[0].Has("suppressed"));
  for (size_t i = 1; i < 4; ++i) EXPECT_TRUE(m[i]["suppressed"].boolean) << i;
  EXPECT_EQ(m[2]["column"].number, 15);
  EXPECT_TRUE(m[3]["column"].IsNull());
}

TEST(CliChecker, ColumnsCountCharactersOfTheFileAsWritten) {
  TempDir dir;
  // The token after Chinese text, in a GBK and a UTF-8 file: the same column.
  const std::string script = "script {\n  module 泵站 { 阀门 x }\n}\n";
  const std::string gbk = dir.WriteGbk("gbk.scr", script), utf8 = dir.WriteBytes("utf8.scr", script);
  for (const std::string& f : {gbk, utf8}) {
    RunResult r = RunScrread({"-q", "--format=pretty", "--color=never", f});
    EXPECT_EQ(r.err, f + ":2:15: error: 无效关键字 '阀门 x', 忽略. [阀门 x] [invalid-keyword]\n" +
                         " 2 |   module 泵站 { 阀门 x }\n"
                         "   |                 ^\n");
  }
  // Messages made with a line alone (the grammar check, the coordinates) take the column of the
  // last token read when it stands on that line.
  const struct {
    const char* script;
    const char* first;  // the first message, after "FILE:"
  } rows[] = {
      {"script {\n  module 泵站 { define { N 3； } }\n}\n",
       "2:24: warning: 英文';' 可能被错写为中文'；'.[define] [grammar-fullwidth-semicolon]\n"},
      {"script {\n  module 泵站 { 阀门 1 { } }\n}\n", "2:15: error: '阀门 1' 不是关键字. [grammar-not-keyword]\n"},
      {"script {\n  module 泵站 { module 阀门 }\n}\n",
       "2:15: error: 关键字 'module阀门' 遗漏'{'. [grammar-missing-open-brace]\n"},
      {"script {\n  module 泵站 { screw { name { S } values { 1, 2 } } }\n}\n",
       "2:46: warning: values参数大于1个，后面的忽略. [values] [screw-values-extra]\n"},
      // A token at the start of its line (not taken for the end of the line before).
      {"script {\n  module 泵站 { }\n}\n}\n", "4:1: error: 脚本已经结束，可能多了'}'  [}]. [grammar-script-ended]\n"},
      {"script {\n  module 泵站 {\n1 2\n  }\n}\n", "3:1: error: '1 2' 不是关键字. [1 2] [not-a-keyword]\n"},
      // The last token stands on another line: no column rather than a wrong one.
      {"script {\n  module 泵站 {\n    module 阀门 { }\n\n", "4: error: 未知错误. [grammar-unknown]\n"},
  };
  for (const auto& row : rows) {
    for (bool asGbk : {true, false}) {
      const std::string f = asGbk ? dir.WriteGbk("row.scr", row.script) : dir.WriteBytes("row.scr", row.script);
      RunResult r = RunScrread({"-q", "--format=gcc", f});
      EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), f + ":" + row.first) << (asGbk ? "GBK" : "UTF-8") << "\n" << r.err;
    }
  }
}

TEST(CliChecker, ExpansionNotesNameEachCallWithItsArguments) {
  TempDir dir;
  const std::string f = dir.WriteBytes(
      "fn.scr", "script {\n  inner(p) {\n    module Q:p { }\n  }\n  outer(x) {\n    inner(x)\n  }\n  outer(泵)\n}\n");
  RunResult r = RunScrread({"-q", "--format=json", f});
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.err, j, error)) << error;
  const Json& d = j["files"][0]["messages"][0];
  EXPECT_EQ(d["line"].number, 3);
  ASSERT_EQ(d["notes"].size(), 2u);
  struct Note {
    int line, column;
    const char* text;
  } expected[] = {{6, 5, "in expansion of script function 'inner(泵)'"},
                  {8, 3, "in expansion of script function 'outer(泵)'"}};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(d["notes"][i]["file"].string, f);
    EXPECT_EQ(d["notes"][i]["line"].number, expected[i].line);
    EXPECT_EQ(d["notes"][i]["column"].number, expected[i].column);
    EXPECT_EQ(d["notes"][i]["text"].string, expected[i].text);
  }
}

TEST(CliChecker, EncodingProblemsAreSaidWhereTheyStand) {
  TempDir dir;
  // Two modules that differ only in a character GBK lacks would merge: each is named.
  // One at the start of a line is on that line, in column 1.
  const std::string emoji = dir.WriteBytes("emoji.scr", "script {\n  module 泵😀 { }\n  module 泵🙂 { }\n}\n😀\n");
  RunResult r = RunScrread({"-q", "--format=gcc", emoji});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, emoji + ":2:11: warning: 字符U+1F600不能用GBK表示, 已替换为'?'. [char-not-in-gbk]\n" + emoji +
                       ":3:11: warning: 字符U+1F642不能用GBK表示, 已替换为'?'. [char-not-in-gbk]\n" + emoji +
                       ":5:1: warning: 字符U+1F600不能用GBK表示, 已替换为'?'. [char-not-in-gbk]\n");
  // Forced UTF-8 on GBK bytes: an error at the first bad byte, nothing read.
  const std::string gbk = dir.WriteGbk("gbk.scr", "script {\n  module 泵 { }\n}\n");
  r = RunScrread({"-q", "--format=gcc", "--encoding", "utf-8", "--dump=tree", gbk});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, gbk + ":2:10: error: 字节0xB1不是有效的UTF-8, 文件没有读入. [invalid-utf8]\n");
  EXPECT_FALSE(Has(r.out, "module 泵")) << r.out;
}

TEST(CliChecker, DirectoriesAreCheckedFileByFileWithTheirOwnIncludes) {
  Project p;
  // main.scr and inc.scr both include sub/a.scr: each file given has its own include list.
  p.dir.WriteBytes("inc.scr", "script {\n  include { sub/a.scr }\n}\n");
  RunResult r = RunIn(p.dir.path(), {"--format=gcc", "--workdir=.", "."});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Has(r.err, "重复包含")) << r.err;
  // Sorted: ./inc.scr, ./main.scr, ./sub/a.scr, ./sub/b.scr.
  EXPECT_TRUE(Has(r.err, "4 errors, 0 warnings in 4 files\n")) << r.err;
  EXPECT_LT(r.err.find("./inc.scr:2:13: note"), r.err.find("./main.scr:2:13: note")) << r.err;
}

TEST(CliChecker, OutputThatCannotBeWrittenIsAnIoError) {
  TempDir dir;
  struct Row {
    std::vector<std::string> args;
    std::string expectedErr;
  } rows[] = {
      {{"--trace", dir.path() + "/no/such/dir/t.txt", Fixture("clean.scr")},
       "scrread: error: cannot write the trace file '" + dir.path() + "/no/such/dir/t.txt': No such file or directory\n"},
      {{"-qX", Fixture("clean.scr")}, "scrread: error: unknown option '-X' in '-qX'\n"},
  };
  for (const Row& row : rows) {
    RunResult r = RunScrread(row.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find("Try")), row.expectedErr);
  }
  // JSON diagnostics to a full disk.
  std::string cmd = std::string(SCRREAD_EXE) + " --format json " + Fixture("error.scr") + " 2>/dev/full";
  int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  // A UTF-8 script's trace is UTF-8.
  const std::string trace = dir.path() + "/t.txt";
  const std::string f = dir.WriteBytes("u.scr", "script {\n  module 泵站 { }\n}\n");
  RunResult r = RunScrread({"--trace", trace, "--dump", "tree", f});
  std::ifstream in(trace);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(Has(text.str(), "module 泵站 { }")) << text.str();
  EXPECT_EQ(r.status, 0);
}

}  // namespace

namespace {

TEST(CliChecker, ProjectSettingsWerrorAndIgnore) {
  TempDir dir;
  dir.WriteBytes("scrread.toml", "workdir = \"assets\"\nentry = [\"main.scr\"]\n");
  dir.WriteBytes("main.scr", "script {\n  include { lib.scr }\n  module A:B { }\n  module C:D { }\n}\n");
  dir.WriteBytes("assets/lib.scr", "script {\n  module 泵😀 { }\n}\n");
  dir.WriteBytes("other.scr", "script {\n  module E:F { }\n}\n");  // no entry: not read alone
  const std::string sub = dir.path() + "/sub/deeper";
  dir.WriteBytes("sub/deeper/.keep", "");
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string summary;
  } rows[] = {
      // Found from a subdirectory: the include is found under the file's workdir.
      {{"../.."}, 1, "1 error, 1 warning in 1 file; after the first error 1 more error, 0 warnings"},
      // Ignoring the first error lets the next one be the first.
      {{"--ignore=parent-module-not-found", "../.."}, 0, "0 errors, 1 warning in 1 file\n"},
      {{"--ignore", "char-not-in-gbk,parent-module-not-found", "--werror", "../.."}, 0, "0 errors, 0 warnings"},
      {{"--ignore=parent-module-not-found", "--werror", "../.."}, 1, "0 errors, 1 warning"},
      {{"--entry", "other.scr", "../.."}, 1, "1 error, 0 warnings in 1 file\n"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"--format=gcc"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    RunResult r = RunIn(sub, args);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_TRUE(Has(r.err, row.summary)) << r.err;
  }
  RunResult r = RunIn(sub, {"--format=gcc", "--ignore=char-not-in-gbk", "../../main.scr"});
  EXPECT_TRUE(Has(r.err, "main.scr:3:3: error: 找不到父模块'A'. [parent-module-not-found]\n")) << r.err;
  dir.WriteBytes("scrread.toml", "encoding = 3\n");
  r = RunIn(sub, {"../../main.scr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "scrread: error: " + dir.path() + "/scrread.toml: 'encoding' must be auto, gbk or utf-8\n");
}

}  // namespace

namespace {

TEST(CliChecker, SarifNamesRulesPlacesAndNotes) {
  Project p;
  RunResult r = RunIn(p.dir.path(), {"--format=sarif", "--workdir=.", "main.scr"});
  EXPECT_EQ(r.status, 1);
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.err, j, error)) << error;
  const Json& run = j["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["rules"][0]["id"].string, "parent-module-not-found");
  const Json& result = run["results"][0];
  EXPECT_EQ(result["ruleId"].string, "parent-module-not-found");
  EXPECT_EQ(result["level"].string, "error");
  EXPECT_EQ(result["locations"][0]["physicalLocation"]["region"]["startColumn"].number, 3);
  ASSERT_EQ(result["relatedLocations"].size(), 2u);
  EXPECT_EQ(result["relatedLocations"][1]["physicalLocation"]["artifactLocation"]["uri"].string, "main.scr");
  EXPECT_EQ(UriReference("a b/泵%.scr"), "a%20b/%E6%B3%B5%25.scr");
}

}  // namespace

namespace {

// An example of the catalogue as the file it stands for: each "<<N x TEXT>>" is N copies of TEXT.
std::string ExpandExample(std::string s) {
  for (size_t at = 0; (at = s.find("<<", at)) != std::string::npos;) {
    const size_t x = s.find(" x ", at), end = s.find(">>", at);
    EXPECT_TRUE(x != std::string::npos && end != std::string::npos && x < end) << s;
    if (x == std::string::npos || end == std::string::npos || x > end) break;
    const int n = std::atoi(s.c_str() + at + 2);
    std::string copies;
    for (int i = 0; i < n; ++i) copies += s.substr(x + 3, end - x - 3);
    s.replace(at, end + 2 - at, copies);
    at += copies.size();
  }
  return s;
}

// Every message entry has a rule code, the codes are distinct, --explain knows each one, and
// every example script, run through scrread, produces its code (and its fix does not). A first
// line "' scrread ARGS" gives the example's command line; without it, "example.scr".
TEST(CliCodes, EveryMessageHasACodeAndEveryExampleProducesIt) {
  std::vector<std::string> missing;
  std::set<std::string> codes;
  TempDir dir;
  dir.WriteBytes("parts.scr", "script {\n}\n");  // what the examples include
  dir.WriteBytes("pump.sgv", "");                 // and the model they load
  for (int i = 0; i < SCR_TEXT_COUNT; ++i) {
    const ScrTextId id = static_cast<ScrTextId>(i);
    const std::string name = ScrTextName(id);
    const ScrTextCodeInfo info = ScrTextCode(id);
    if (name.rfind("word_", 0) == 0) continue;
    if (!*info.code) {
      missing.push_back(name);
      continue;
    }
    EXPECT_TRUE(codes.insert(info.code).second) << "code used twice: " << info.code;
    EXPECT_TRUE(*info.explanation) << name;
    RunResult r = RunScrread({"--explain", info.code});
    EXPECT_EQ(r.status, 0) << info.code;
    EXPECT_EQ(r.out.rfind(info.code, 0), 0u) << r.out;
    if (!*info.example) continue;
    auto codesOf = [&](const std::string& script) {
      dir.WriteBytes("example.scr", ExpandExample(script));
      std::vector<std::string> args{"--all", "--format=json", "--workdir=."};
      std::istringstream line(script.substr(0, script.find('\n')));
      std::string word;
      if (script.rfind("' scrread ", 0) == 0) {
        line >> word >> word;  // "'", "scrread"
        while (line >> word) args.push_back(word);
      } else {
        args.push_back("example.scr");
      }
      return RunIn(dir.path(), args).err;
    };
    const std::string quoted = "\"code\": \"" + std::string(info.code) + "\"";
    EXPECT_TRUE(Has(codesOf(info.example), quoted)) << info.code << " from:\n" << info.example;
    EXPECT_FALSE(Has(codesOf(info.fix), quoted)) << info.code << " from the fix:\n" << info.fix;
  }
  EXPECT_TRUE(missing.empty()) << "entries without a code: " << ::testing::PrintToString(missing);
  RunResult r = RunScrread({"--list-codes"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(static_cast<size_t>(std::count(r.out.begin(), r.out.end(), '\n')), codes.size());
  EXPECT_EQ(RunScrread({"--explain", "no-such-code"}).status, 2);
}

}  // namespace

namespace {

TEST(CliDump, FunctionsBackgroundAndRectangles) {
  TempDir dir;
  const std::string f = dir.WriteBytes(
      "d.scr",
      "script {\n  inner(p) {\n    module Q { }\n  }\n  inner(1)\n  inner(2)\n  background {\n"
      "    color { 1, 2, 3, 4, 5, 0.5 }\n  }\n  zrect {\n    position { 1, 2 }\n    size { 3, 4 }\n  }\n}\n");
  RunResult r = RunScrread({"-q", "--dump", "tree", f});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "function inner(p) at " + f + ":2, 2 expansions\n"
                         "background colors 1 2 3 / 4 5 0.5\n"
                         "zrect /scene/zrects/zrect1 position 1 2 size 3 4\n")) << r.out;
  r = RunScrread({"-q", "--dump", "json", f});
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error;
  const Json& fn = j["files"][0]["functions"][0];
  EXPECT_EQ(fn["name"].string, "inner");
  EXPECT_EQ(fn["expansions"].number, 2);
  EXPECT_EQ(j["scene"]["background"]["colors"][1][2].number, 0.5);
  EXPECT_EQ(j["scene"]["zrects"][0]["size"][1].number, 4);
}

// Macros: the first definition of a name is the one shown, with where it stands, also when it
// stands in an included file; a later definition of the name changes nothing.
TEST(CliDump, MacrosWithWhereTheyAreDefined) {
  TempDir dir;
  dir.WriteBytes("inc.scr", "script {\n  define { K 2.75 }\n  define { N 9 }\n}\n");
  const std::string f = dir.WriteBytes(
      "m.scr", "script {\n  define { N -3 }\n  include { inc.scr }\n  define\n  { L 4 }\n}\n");
  const std::string inc = dir.path() + "/inc.scr";
  RunResult r = RunIn(dir.path(), {"-q", "--dump", "tree", f});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "macro N = -3 (" + f + ":2)\nmacro K = 2 (real) (" + inc + ":2)\nmacro L = 4 (" + f + ":5)\n"))
      << r.out;
  r = RunIn(dir.path(), {"-q", "--dump", "json", f});
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error;
  const Json& macros = j["files"][0]["macros"];
  ASSERT_EQ(macros.size(), 3u) << r.out;
  EXPECT_EQ(macros[1]["name"].string, "K");
  EXPECT_EQ(macros[1]["value"].number, 2);
  EXPECT_EQ(macros[1]["type"].string, "real");
  EXPECT_EQ(macros[1]["file"].string, inc);
  EXPECT_EQ(macros[1]["line"].number, 2);
  r = RunIn(dir.path(), {"-q", "--dump", "dot", f});
  EXPECT_EQ(CheckDot(r.out), "");
  EXPECT_TRUE(Has(r.out, "shape=note")) << r.out;
  EXPECT_TRUE(Has(r.out, "\\nL = 4 (" + f + ":5)")) << r.out;
}

// Files given together are each read into a root of their own: the same module name and the
// same include in both are no clash, and each dump shows each file's own objects.
TEST(CliDump, EachFileHasItsOwnRootModule) {
  TempDir dir;
  dir.WriteBytes("part.scr", "script {\n  module Valve { }\n}\n");
  for (const char* name : {"a.scr", "b.scr"})
    dir.WriteBytes(name, "script {\n  module Pump { }\n  include { part.scr }\n}\n");
  RunResult r = RunIn(dir.path(), {"--workdir", ".", "--dump", "json", "a.scr", "b.scr"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "0 errors, 0 warnings in 2 files")) << r.err;
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error;
  EXPECT_FALSE(j.Has("module")) << "with several files each carries its own";
  ASSERT_EQ(j["files"].size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const Json& m = j["files"][i]["module"];
    EXPECT_EQ(m["name"].string, "main");
    ASSERT_EQ(m["modules"].size(), 2u) << "file " << i << ":\n" << r.out;
    EXPECT_EQ(m["modules"][0]["name"].string, "Pump");
    EXPECT_EQ(m["modules"][1]["name"].string, "Valve");
  }
  // One file: the document keeps its top-level module, and no file repeats it.
  r = RunIn(dir.path(), {"-q", "--workdir", ".", "--dump", "json", "a.scr"});
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error;
  EXPECT_EQ(j["module"]["modules"].size(), 2u);
  EXPECT_FALSE(j["files"][0].Has("module"));
  r = RunIn(dir.path(), {"-q", "--workdir", ".", "--dump", "tree", "a.scr", "b.scr"});
  const std::string tree = "  module main [CSgModule module] path=\"main\"";
  EXPECT_TRUE(Has(r.out, "file a.scr\n" + tree)) << r.out;
  EXPECT_TRUE(Has(r.out, "file b.scr\n" + tree)) << r.out;
  r = RunIn(dir.path(), {"-q", "--workdir", ".", "--dump", "dot", "a.scr", "b.scr"});
  EXPECT_EQ(CheckDot(r.out), "");
  EXPECT_TRUE(Has(r.out, "subgraph cluster1 {\n  label=\"b.scr\";")) << r.out;
}

}  // namespace
