// scrread run as a process on the fixture scripts: exit codes, compiler-style lines, the JSON
// contract parsed back, UTF-8 output for GBK input, standard input, and the DOT dump's syntax.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliSupport.h"
#include "support/ScriptFixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// Splits a gcc-format line "FILE:LINE[:COLUMN]: SEVERITY: TEXT" the way problem matchers do.
struct GccLine {
  std::string file, line, column, severity, text;
};
bool SplitGcc(const std::string& l, GccLine& g) {
  auto number = [](const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; };
  for (const char* sev : {"error", "warning", "note"}) {
    size_t at = l.find(std::string(": ") + sev + ": ");
    if (at == std::string::npos) continue;
    std::string where = l.substr(0, at);
    size_t colon = where.rfind(':');
    if (colon == std::string::npos) return false;
    g.line = where.substr(colon + 1);
    g.file = where.substr(0, colon);
    g.column.clear();
    if (size_t c2 = g.file.rfind(':'); c2 != std::string::npos && number(g.file.substr(c2 + 1))) {
      g.column = g.line;
      g.line = g.file.substr(c2 + 1);
      g.file.resize(c2);
    }
    if (!number(g.line)) return false;
    g.severity = sev;
    g.text = l.substr(at + std::strlen(sev) + 4);
    return true;
  }
  return false;
}

Json ParsedOrFail(const std::string& text) {
  Json j;
  std::string error;
  EXPECT_TRUE(ParseJson(text, j, error)) << error << "\n" << text;
  return j;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CliUsage, CommandsOptionsAndExitCodes) {
  RunResult r = RunScrread({});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no input files"), std::string::npos) << r.err;

  r = RunScrread({"--bogus", Fixture("clean.scr")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown option '--bogus'"), std::string::npos) << r.err;

  r = RunScrread({"--dump", "xml", Fixture("clean.scr")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("invalid value 'xml' for --dump"), std::string::npos) << r.err;

  r = RunScrread({Fixture("clean.scr"), "--format"});
  EXPECT_EQ(r.status, 2) << "an option without its value";

  r = RunScrread({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: scrread", 0), 0u) << r.out;

  r = RunScrread({"--version"});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.out.rfind("scrread ", 0), 0u) << r.out;
  EXPECT_EQ(r.out.substr(8).find_first_not_of("0123456789."), r.out.size() - 9) << r.out;
  EXPECT_EQ(r.out.back(), '\n');

}

TEST(CliRead, CleanFileExitsZeroWithSummary) {
  RunResult r = RunScrread({"read", Fixture("clean.scr")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "0 errors, 0 warnings in 1 file\n");
  EXPECT_TRUE(r.out.empty()) << "nothing on stdout without --dump";

  r = RunScrread({"-q", Fixture("clean.scr")});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(CliRead, ErrorsPrintGccLinesAndExitOne) {
  const std::string file = Fixture("error.scr");
  RunResult r = RunScrread({file, "--color=never"});
  EXPECT_EQ(r.status, 1);
  std::vector<std::string> lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 2u) << r.err;
  // What editors' problem matchers and Vim's errorformat expect.
  GccLine g;
  ASSERT_TRUE(SplitGcc(lines[0], g)) << lines[0];
  EXPECT_EQ(g.file, file);
  EXPECT_EQ(g.line, "2");
  EXPECT_EQ(g.column, "3");
  EXPECT_EQ(g.severity, "error");
  EXPECT_EQ(g.text, "找不到父模块'Plant'. [parent-module-not-found]") << "the text from the statement on, and the code";
  EXPECT_EQ(lines[1], "1 error, 0 warnings in 1 file");

  // raw: the message as the library holds it, in UTF-8.
  r = RunScrread({"-q", "--format", "raw", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "错误: (" + file + ") 第2行找不到父模块'Plant'.\n");
}

TEST(CliRead, JsonDiagnosticsOnStderr) {
  const std::string file = Fixture("error.scr");
  RunResult r = RunScrread({"--format", "json", Fixture("clean.scr"), file});
  EXPECT_EQ(r.status, 1);
  Json j = ParsedOrFail(r.err);
  EXPECT_EQ(j["format"].string, "scrread-diagnostics");
  EXPECT_EQ(j["version"].number, 1);
  ASSERT_EQ(j["files"].size(), 2u);
  EXPECT_EQ(j["files"][0]["file"].string, Fixture("clean.scr"));
  EXPECT_EQ(j["files"][0]["messages"].size(), 0u);
  const Json& f = j["files"][1];
  EXPECT_EQ(f["file"].string, file);
  EXPECT_EQ(f["result"].number, 1);
  EXPECT_EQ(f["encoding"].string, "ascii");
  ASSERT_EQ(f["messages"].size(), 1u);
  const Json& msg = f["messages"][0];
  EXPECT_EQ(msg["severity"].string, "error");
  EXPECT_EQ(msg["file"].string, file);
  EXPECT_EQ(msg["line"].number, 2);
  EXPECT_TRUE(msg["line"].integral);
  EXPECT_EQ(msg["text"].string, "错误: (" + file + ") 第2行找不到父模块'Plant'.");
}

TEST(CliRead, MissingFileIsAnIoError) {
  RunResult r = RunScrread({Fixture("clean.scr"), "no-such-file.scr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no-such-file.scr: error: cannot open: No such file or directory\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("in 2 files"), std::string::npos) << r.err;

  // A device that never ends is refused at once, not read for ever.
  r = RunScrread({"-q", "/dev/zero"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("/dev/zero: error: cannot open: not a regular file"), std::string::npos) << r.err;

  r = RunScrread({"--format=json", "no-such-file.scr"});
  EXPECT_EQ(r.status, 2);
  Json j = ParsedOrFail(r.err);
  ASSERT_EQ(j["files"].size(), 1u);
  EXPECT_EQ(j["files"][0]["result"].number, 0);
  EXPECT_TRUE(j["files"][0]["encoding"].IsNull());
  EXPECT_EQ(j["files"][0]["messages"][0]["severity"].string, "error");
}

TEST(CliRead, GbkInputComesOutAsUtf8) {
  const std::string file = Fixture("gbk.scr");
  RunResult r = RunScrread({"-q", "--dump", "tree", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, file + ":4:3: error: 找不到父模块'缺失'. [parent-module-not-found]\n");
  EXPECT_NE(r.out.find("module 泵站 [CSgModule"), std::string::npos) << r.out;

  r = RunScrread({"-q", "--dump", "json", file});
  Json j = ParsedOrFail(r.out);
  EXPECT_EQ(j["files"][0]["encoding"].string, "gbk");
  ASSERT_EQ(j["module"]["modules"].size(), 1u);
  EXPECT_EQ(j["module"]["modules"][0]["name"].string, "泵站");
  EXPECT_EQ(j["files"][0]["messages"][0]["text"].string, "错误: (" + file + ") 第4行找不到父模块'缺失'.");

  // Forcing UTF-8 on GBK bytes must not produce invalid output either.
  r = RunScrread({"-q", "--encoding", "utf-8", "--dump", "json", file});
  j = ParsedOrFail(r.out);
  EXPECT_EQ(j["files"][0]["encoding"].string, "utf-8");
}

TEST(CliRead, LongMessageContinuationIsJoined) {
  // The parent name makes the message longer than one entry of the list; the cut falls
  // somewhere inside the name and must not show in the output.
  std::string name = "甲";
  for (int i = 0; i < 150; ++i) name += "阀";
  RunResult r = RunScrread({"-q", Fixture("long.scr")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Fixture("long.scr") + ":2:3: error: 找不到父模块'" + name + "'. [parent-module-not-found]\n");
}

TEST(CliRead, JsonDumpFollowsTheContract) {
  RunResult r = RunScrread({"--dump=json", "--module", "plant", Fixture("clean.scr"), Fixture("error.scr")});
  EXPECT_EQ(r.status, 1);
  Json j = ParsedOrFail(r.out);
  EXPECT_EQ(j["format"].string, "scrread-dump");
  EXPECT_EQ(j["version"].number, 1);
  ASSERT_EQ(j["files"].size(), 2u);
  EXPECT_EQ(j["files"][0]["result"].number, 1);
  EXPECT_EQ(j["files"][1]["messages"][0]["line"].number, 2);

  // Each file is read into a root of its own, modules in creation order.
  const Json& m = j["files"][0]["module"];
  EXPECT_EQ(m["kind"].string, "CSgModule");
  EXPECT_EQ(m["type"].number, 100);
  EXPECT_EQ(m["name"].string, "plant");
  auto namesOf = [](const Json& module) {
    std::vector<std::string> names;
    for (const Json& c : module["modules"].array) names.push_back(c["name"].string);
    return names;
  };
  EXPECT_EQ(namesOf(m), (std::vector<std::string>{"Pump", "Tank"}));
  EXPECT_EQ(namesOf(j["files"][1]["module"]), (std::vector<std::string>{"After"}));
  const Json& pump = m["modules"][0];
  ASSERT_EQ(pump["modules"].size(), 1u);
  EXPECT_EQ(pump["modules"][0]["name"].string, "Valve");
  EXPECT_EQ(pump["modules"][0]["path"].string, "plant:Pump:Valve");
  EXPECT_EQ(j.keys, (std::vector<std::string>{"format", "version", "files", "scene"}));
  EXPECT_EQ(j["files"][1].keys.back(), "module");
}

TEST(CliRead, StandardInputIsReportedAsStdinAndNothingIsWritten) {
  TempDir tmp;
  const std::string script = ReadAll(Fixture("error.scr"));
  RunResult r = RunScrread({"-", "--dump", "json"}, script, {"TMPDIR=" + tmp.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("<stdin>:2:3: error: 找不到父模块'Plant'. [parent-module-not-found]\n"), std::string::npos) << r.err;
  Json j = ParsedOrFail(r.out);
  EXPECT_EQ(j["files"][0]["file"].string, "<stdin>") << "one name for standard input";
  EXPECT_EQ(j["files"][0]["messages"][0]["file"].string, "<stdin>");
  EXPECT_EQ(j["files"][0]["messages"][0]["text"].string, "错误: (<stdin>) 第2行找不到父模块'Plant'.");
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << "standard input is read from memory";
  EXPECT_EQ(r.out.find(tmp.path()), std::string::npos);
}

TEST(CliRead, DotDumpIsValid) {
  RunResult r = RunScrread({"-q", "--dump", "dot", Fixture("clean.scr"), Fixture("gbk.scr")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(CheckDot(r.out), "") << r.out;
  EXPECT_NE(r.out.find("泵站"), std::string::npos);
  // The same input gives the same graph.
  EXPECT_EQ(RunScrread({"-q", "--dump", "dot", Fixture("clean.scr"), Fixture("gbk.scr")}).out, r.out);
}

TEST(CliRead, ColourFollowsTheOptionAndNoColor) {
  const std::string file = Fixture("error.scr");
  RunResult r = RunScrread({"-q", "--color", "always", file}, "", {"NO_COLOR=1"});
  EXPECT_NE(r.err.find("\033[1m" + file + ":2:3:\033[0m \033[1;31merror:\033[0m "), std::string::npos) << r.err;
  // auto: standard error is a file here, so no colour; NO_COLOR turns it off as well.
  r = RunScrread({"-q", file}, "", {}, {"NO_COLOR"});
  EXPECT_EQ(r.err.find('\033'), std::string::npos);
  r = RunScrread({"-q", "--color=auto", file}, "", {"NO_COLOR=1"});
  EXPECT_EQ(r.err.find('\033'), std::string::npos);
}

TEST(CliRead, TraceWritesTheLinesReadToTheNamedFile) {
  TempDir tmp;
  const std::string trace = tmp.path() + "/lines.txt";
  RunResult r = RunScrread({"-q", "--trace", trace, Fixture("clean.scr")}, "", {"TMPDIR=" + tmp.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string text = ReadAll(trace);
  EXPECT_NE(text.find("module Tank"), std::string::npos) << text;
}

}  // namespace
