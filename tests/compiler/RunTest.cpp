// Compiled code run by the VM: each row is a script whose program blocks run once, and the value
// a variable of the root module holds afterwards.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <list>

#include "compiler/ScrRun.h"
#include "compiler/ScrStrings.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "sg/Program.h"
#include "sg/Platform.h"
#include "sg/Variable.h"
#include "support/ScriptFixture.h"

namespace {

class RunTest : public ScriptTest {
 protected:
  // Reads the script and runs its program blocks; the messages of both, joined.
  std::string ReadAndRun(const std::string& body) {
    ReadOutcome o = Read("script {\n" + body + "\n}\n");
    std::string out = Joined(o);
    ScrRunResult r = ScrRunPrograms(reader.get(), 1000000);
    if (!r.ok) out += "\nrun: " + r.error;
    return out;
  }
  std::string Value(const char* name) {
    CSgVariable* v = root->FindVariable(name);
    return v ? v->GetString() : "<missing>";
  }
};

struct RunRow {
  const char* script;
  const char* variable;
  const char* expected;  // GetString of the variable after the run
};

TEST_F(RunTest, ProgramsComputeWhatTheLanguageSays) {
  const RunRow rows[] = {
      // arithmetic and the splitting order
      {"int x\nprogram { x = 10 - 4 - 3 }", "x", "3"},
      {"int x\nprogram { x = 10 - 4 + 3 }", "x", "9"},
      {"int x\nprogram { x = 2 * 3 / 4 }", "x", "0"},  // a * (b / c)
      {"int x\nprogram { x = 3 / 4 * 8 }", "x", "0"},  // (a / b) * c
      {"int x\nprogram { x = 12 / 4 * 3 }", "x", "9"},
      {"int x\nprogram { x = 7 / 2 }", "x", "3"},
      {"float x\nprogram { x = 7.0 / 2 }", "x", "3.5"},
      {"int x\nprogram { x = -5 + 2 }", "x", "-3"},
      {"int x\nprogram { x = (1 + 2) * 3\n}", "x", "9"},
      {"int x\nprogram { x = 17 % 5 + 1 }", "x", "3"},
      {"int x = 4\nprogram { x++ }", "x", "5"},
      {"int x = 4\nprogram { x += 3 }", "x", "7"},
      {"string s\nprogram { s = \"ab\" + \"cd\" }", "s", "abcd"},
      // comparisons: `x = a > b` assigns first, `x = (a > b)` compares first
      {"int x\nint a = 5\nint b = 3\nprogram { x = (a > b) }", "x", "1"},
      {"int x\nint a = 5\nint b = 3\nprogram { x = (a <= b) }", "x", "0"},
      {"int x = 1\nprogram { x = !x }", "x", "0"},
      // short circuit: the call on the right is skipped
      {"int n\nint bump() { n = n + 1\n return 1 }\nint x\n"
       "program { x = (0 && bump())\n x = (1 || bump()) }", "n", "0"},
      {"int n\nint bump() { n = n + 1\n return 1 }\nint x\nprogram { x = (1 && bump()) }", "n", "1"},
      // branches and loops
      {"int x\nprogram { if (1 > 2) { x = 1 } elseif (2 > 1) { x = 2 } else { x = 3 } }", "x", "2"},
      {"int x\nprogram { if (1 > 2) { x = 1 } else { x = 3 } }", "x", "3"},
      {"int x\nprogram { while (x < 100) { x = x + 7\n if (x > 20) { break } } }", "x", "21"},
      {"int x\nprogram { for (int i = 0; i < 5; i = i + 1) { x = x + i } }", "x", "10"},
      {"int x\nprogram { for (int i = 0; i < 3; i++) { for (int j = 0; j < 4; j++) { x = x + 1 } } }", "x", "12"},
      {"int x\nprogram { switch (2) {\n case 1: { x = 10 }\n break\n case 2: { x = 20 }\n break\n"
       " default: { x = 30 }\n } }",
       "x", "20"},
      {"int x\nprogram { switch (9) {\n case 1: { x = 10 }\n break\n default: { x = 30 }\n } }", "x", "30"},
      {"int x\nprogram { switch (1) {\n case 1: { x = x + 1 }\n case 2: { x = x + 10 }\n } }", "x", "1"},
      // functions: recursion with a return value
      {"int fact(int n) { if (n < 2) { return 1 }\n return n * fact(n - 1) }\nint x\nprogram { x = fact(6) }", "x",
       "720"},
      {"int add(int a, int b) { return a + b }\nint x\nprogram { x = add(2, add(3, 4)) }", "x", "9"},
      // arrays: initialisers, two dimensions, sizes computed at compile time
      {"int x\nprogram { int a[3] = { 4, 5, 6 }\n x = a[0] + a[2] }", "x", "10"},
      {"int x\nprogram { int m[2][3]\n m[1][2] = 7\n x = m[1][2] * 2 }", "x", "14"},
      {"int n = 4\nint x\nprogram { int a[n+0]\n a[3] = 9\n x = a[3]\n}", "x", "9"},
      {"int v[3] = { 1, 2, 3 }\nint x\nprogram { v[1] = v[0] + v[2]\n x = v[1] }", "x", "4"},
      // more operators and types
      {"int x\nprogram { x = ((1 > 0 && 2 > 3) || 4 > 3)\n}", "x", "1"},
      {"int x\nprogram { x = 5 != 5 || 2 <= 1\n}", "x", "0"},
      {"double d\nprogram { d = 1.5 * 3\n}", "d", "4.5"},
      {"float f\nprogram { f = 1 / 4.0\n}", "f", "0.25"},
      {"int x\nstring s = \"abc\"\nprogram { x = (s == \"abc\")\n}", "x", "1"},
      {"int x\nprogram { x = -(2 + 3) * 2\n}", "x", "-10"},
      {"int x\nprogram { x = 0X10 + 1\n}", "x", "17"},
      {"int x = 3\nprogram { x -= 5\n x *= 2\n}", "x", "-4"},
      // loops inside loops, break leaving only the inner one, else-if chains in a loop
      {"int x\nprogram { for (int i = 0; i < 4; i++) {\n while (1 > 0) {\n x = x + 1\n break\n }\n }\n}", "x",
       "4"},
      {"int x\nint y\nprogram { for (int i = 0; i < 6; i++) {\n if (i % 3 == 0) { x = x + 1 }\n"
       " elseif (i % 3 == 1) { y = y + 1 }\n else { x = x + 10 }\n }\n}", "x", "22"},
      {"int x\nprogram { for (int i = 0; i < 2; i++) { x = x + 1 }\n for (int i = 0; i < 3; i++) { x = x + 1 }\n}",
       "x", "5"},
      // functions: parameters by value, by reference, several returns, calls in conditions
      {"void inc(int& v) { v = v + 1 }\nint x = 1\nprogram { inc(x)\n inc(x)\n}", "x", "3"},
      {"void set(int v) { v = 7 }\nint x = 1\nprogram { set(x)\n}", "x", "1"},
      {"int sign(int v) { if (v < 0) { return -1 }\n if (v > 0) { return 1 }\n return 0 }\n"
       "int x\nprogram { x = sign(-4) * 100 + sign(0) * 10 + sign(9)\n}", "x", "-99"},
      {"int fib(int n) { if (n < 2) { return n }\n return fib(n - 1) + fib(n - 2)\n}\n"
       "int x\nprogram { if (fib(10) == 55) { x = 1 }\n}", "x", "1"},
      {"float half(float v) { return v / 2 }\nfloat x\nprogram { x = half(5)\n}", "x", "2.5"},
      // arrays of strings and nested array initialisers
      {"string x\nprogram { string w[2] = { \"ab\", \"cd\" }\n x = w[1] + w[0]\n}", "x", "cdab"},
      {"int x\nprogram { int m[2][2] = { 1, 2, 3, 4 }\n x = m[1][0] * 10 + m[0][1]\n}", "x", "32"},
      {"int g[2][3]\nint x\nprogram { g[1][2] = 5\n x = g[1][2]\n}", "x", "5"},
      // an array assigned a part of itself, or into a part of itself (found by the fuzzer: the copy
      // freed its source while reading it)
      {"int x\nprogram { int m[2][2] = { 1, 2, 3, 4 }\n m = m[1]\n x = m[0] * 10 + m[1]\n}", "x", "34"},
      {"int x\nprogram { int m[2][2] = { 1, 2, 3, 4 }\n m[0] = m\n x = m[1][1] * 10 + m[1][0]\n}", "x", "43"},
      // classes: a member, a method and a constructor
      {"class Counter { int count\n int step\n void Counter() { step = 5 }\n"
       " int bump(int k) { count = count + k * step\n return count } }\n"
       "int x\nprogram { Counter c\n c = new Counter\n c.bump(1)\n x = c.bump(1 + 1) }",
       "x", "15"},
      {"class Base { int v\n int get() { return v } }\nclass Derived : Base { int w }\n"
       "int x\nprogram { Derived d\n d = new Derived\n d.v = 4\n d.w = 5\n x = d.get() + d.w\n}", "x", "9"},
      {"class P { int v }\nint x\nprogram { P a\n P b\n a = new P\n b = new P\n a.v = 1\n b.v = 2\n"
       " x = a.v * 10 + b.v\n}", "x", "12"},
  };
  for (const RunRow& r : rows) {
    SetUp();
    std::string out = ReadAndRun(r.script);
    EXPECT_EQ(Value(r.variable), r.expected) << r.script << "\n" << out;
    TearDown();
  }
}

struct FailRow {
  const char* script;
  const char* message;  // a fragment of the first message (UTF-8)
  int line;             // its line in main.scr (the script block starts on line 1)
};

TEST_F(RunTest, FaultsAreReportedWithTheirLines) {
  const FailRow rows[] = {
      {"int x\nprogram {\n if (x = 1) { }\n}", "'=' 应写为'=='", 3},
      {"int x\nprogram {\n if (x ！= 1) { }\n}", "被错写为中文'！'", 3},
      {"int x\nprogram {\n if (x ＝= 1) { }\n}", "被错写为中文'＝'", 3},
      {"program {\n y = 1\n}", "找不到变量 'y'", 2},
      {"int x\nprogram {\n x = 1\n else { }\n}", "if-else匹配错误", 4},
      {"int x\nprogram {\n return 1\n}", "没有函数体", 3},
      {"int x\nint a\nint b\nprogram {\n x = a == b\n}", "可能无意义", -1},
      {"int x\nint a\nint b\nprogram {\n x = a > b\n}", "可能无意义", -1},
      {"int x\nprogram {\n switch (x) { break }\n}", "缺少case", 3},
      {"program {\n for (return 1; 1 > 0; 1) { }\n}", "for语句不能返回", 2},
      {"int x\nprogram {\n x = nosuch(1)\n}", "找不到函数'nosuch'", 3},
      {"class A { }\nclass B : Q { }", "父类'Q'没有定义", 2},
      {"int f(int a) { return a }\nint f(int a) { return a }", "重定义", 2},
  };
  for (const FailRow& r : rows) {
    SetUp();
    ReadOutcome o = Read("script {\n" + std::string(r.script) + "\n}\n");
    ASSERT_FALSE(o.messages.empty()) << r.script;
    EXPECT_NE(o.messages[0].find(r.message), std::string::npos) << r.script << "\n" << Joined(o);
    if (r.line > 0) {
      EXPECT_EQ(o.entries[0].line, r.line + 1) << r.script << "\n" << Joined(o);
    }
    TearDown();
  }
}

TEST_F(RunTest, DeepExpressionsAreBounded) {
  std::string deep(300, '(');
  deep += "1" + std::string(300, ')');
  std::string out = ReadAndRun("int x\nprogram { x = " + deep + " }");
  // Enclosing parentheses are removed without recursion: only operators nest.
  std::string chain = "1";
  for (int i = 0; i < 400; ++i) chain = "(" + chain + " + 1) * 1";
  out = ReadAndRun("int y\nprogram { y = " + chain + " }");
  EXPECT_NE(out.find("表达式嵌套超过"), std::string::npos) << out;
}

// Counts the entries of a directory.
int Entries(const std::string& dir) {
  int n = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST_F(RunTest, StringsCompileFromMemory) {
  // Compiling from memory must leave nothing in the temporary folder. The count is taken in
  // a private folder: the shared one changes under tests that run at the same time.
  const std::string tmp = SgCreateTempDirectory();
  ASSERT_FALSE(tmp.empty());
  const char* oldTmp = std::getenv("TMPDIR");
  const std::string saved = oldTmp ? oldTmp : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  CSgVariable* x = new CSgVariable();
  x->SetName("x");
  x->SetVarType(0x2, 0);
  root->AddVariable(x);
  for (int i = 0; i < 2; ++i) {
    CSgProgram* p = ScrReadProgramFromString("x = x + 20 / 4", root.get(), nullptr);
    ASSERT_NE(p, nullptr);
    ScrRunProgram(p, root.get(), 1000);
    delete p;
  }
  const int left = Entries(tmp);  // "." and ".." only
  if (oldTmp) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  rmdir(tmp.c_str());
  EXPECT_EQ(left, 2);
  EXPECT_EQ(x->GetInt(), 10);
  // A text that does not compile still gives a program, an empty one.
  CSgProgram* bad = ScrReadProgramFromString("x = = ", root.get(), nullptr);
  ASSERT_NE(bad, nullptr);
  delete bad;
  CSgConditions* c = ScrReadConditionsFromString("x > 5", root.get(), nullptr);
  EXPECT_NE(c, nullptr);
  delete c;
  EXPECT_EQ(ScrReadConditionsFromString("", root.get(), nullptr), nullptr);
}

}  // namespace

namespace {

TEST_F(RunTest, FunctionsClassesAndMacrosFromStrings) {
  CSgVariable* a = new CSgVariable();
  a->SetName("a");
  a->SetVarType(0x2, 0);
  a->SetInt(9);
  root->AddVariable(a);
  CSgVariable* b = new CSgVariable();
  b->SetName("b");
  b->SetVarType(0x2, 0);
  b->SetInt(2);
  root->AddVariable(b);

  ASSERT_NE(ScrReadFunctionFromString("int twice(int v) { return v * 2 }", nullptr, root.get(), nullptr), nullptr);
  ASSERT_NE(ScrReadClassFromString("class Box { int w\n int area() { return w * w } }", nullptr, root.get(), nullptr),
            nullptr);
  CSgProgram* p = ScrReadProgramFromString("Box k\nk = new Box\nk.w = 3\na = twice(k.area())", root.get(), nullptr);
  ScrRunResult r = ScrRunProgram(p, root.get(), 10000);
  delete p;
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(a->GetInt(), 18);

  // Conditions forced true or false by changing their variables.
  ScrMakeConditionsTrueOrFalse("a < 5", root->SgView(), 1);
  EXPECT_EQ(a->GetInt(), 4);
  a->SetInt(2);
  ScrMakeConditionsTrueOrFalse("a == b", root->SgView(), 0);
  EXPECT_EQ(a->GetInt(), 1);
  std::list<CKvoObject*> animations;
  EXPECT_EQ(ScrExecuteMacros("x", root.get(), animations), 0);  // no macros read for this view
}

}  // namespace

namespace {

struct AsynRow {
  const char* script;
  const char* x;       // the value of x after the run
  const char* posted;  // the posted commands, "id,param;" each
};

TEST_F(RunTest, AsynBlocksPostTheirCompletion) {
  const AsynRow rows[] = {
      {"int x\nprogram { asyn { x = 5 } }", "5", "7,0;"},
      {"int x\nprogram { asyn(a, b) { x = 6 }\n x = x + 1 }", "7", "7,0;"},
      {"int x\nprogram { postCommand(3, 4)\n asyn { x = 1 } }", "1", "3,4;7,0;"},
      // a script's own system program keeps its functions and gains the built-ins
      {"int x\nclass system { int dbl(int v) { return v * 2 } }\nprogram { asyn { x = dbl(4) } }", "8", "7,0;"},
  };
  for (const AsynRow& r : rows) {
    SetUp();
    CSgMsg::m_maxID = 7;
    std::string out = ReadAndRun(r.script);
    EXPECT_EQ(Value("x"), r.x) << r.script << "\n" << out;
    std::string posted;
    for (const auto& c : root->PostedCommands()) posted += std::to_string(c.id) + "," + std::to_string(c.param) + ";";
    EXPECT_EQ(posted, r.posted) << r.script << "\n" << out;
    TearDown();
  }
  CSgMsg::m_maxID = 0;
}

// One step of recompiling: the text handed over, whether the source file the previous step
// wrote is removed first (else it wins over the text), and the value the program compiled at
// the start computes afterwards.
struct RecompileRow {
  const char* text;
  bool removeSource;
  int expected;
};

class RecompileTest : public RunTest {
 protected:
  std::string SourcePath(const char* name) {
    std::string path = root->PathName();
    for (char& ch : path)
      if (ch == ':') ch = '/';
    return SgHostDirectory() + "/" + path + "/" + name + ".script";
  }
  CSgVariable* NewInt(const char* name) {
    auto* v = new CSgVariable();
    v->SetName(name);
    v->SetVarType(0x2, 0);
    root->AddVariable(v);
    return v;
  }
  // Runs each step and checks the program `use` compiled before the first step.
  template <class ReadFn>
  void Steps(const char* name, ReadFn read, CSgProgram* (*compileUse)(CSgModule*), const std::vector<RecompileRow>& rows,
             CSgVariable* a) {
    std::remove(SourcePath(name).c_str());
    CSgProgram* first = read(rows[0].text);
    ASSERT_NE(first, nullptr);
    std::unique_ptr<CSgProgram> use(compileUse(root.get()));
    for (const RecompileRow& r : rows) {
      if (r.removeSource) std::remove(SourcePath(name).c_str());
      EXPECT_EQ(read(r.text), first) << r.text;  // the same object every time
      ScrRunResult run = ScrRunProgram(use.get(), root.get(), 100000);
      EXPECT_TRUE(run.ok) << r.text << "\n" << run.error;
      EXPECT_EQ(a->GetInt(), r.expected) << r.text;
    }
    std::remove(SourcePath(name).c_str());
  }
};

TEST_F(RecompileTest, FunctionsKeepTheirIdentity) {
  CSgVariable* a = NewInt("a");
  auto read = [&](const char* text) { return ScrReadFunctionFromString(text, "rcf", root.get(), nullptr); };
  Steps("rcf", read, [](CSgModule* m) { return ScrReadProgramFromString("a = rcf(10)", m, nullptr); },
        {
            {"int rcf(int v) { return v + 1 }", false, 11},
            // a recursive body calls the kept function, not the one read and deleted
            {"int rcf(int n) { if (n < 1) { return 0 }\n return 2 + rcf(n - 1) }", true, 20},
            {"int rcf(int n) { return 0 }", false, 20},  // the source file wins over the text
        },
        a);
}

TEST_F(RecompileTest, ClassesKeepTheirIdentityAndInstances) {
  CSgVariable* a = NewInt("a");
  auto read = [&](const char* text) { return ScrReadClassFromString(text, "RcBox", root.get(), nullptr); };
  ASSERT_NE(read("class RcBox { int w\n int area() { return w * w } }"), nullptr);
  // An instance made before the class is read again.
  ScrReadScriptFromString("RcBox k", root.get(), nullptr);
  std::unique_ptr<CSgProgram> make(ScrReadProgramFromString("k = new RcBox\nk.w = 3", root.get(), nullptr));
  ASSERT_TRUE(ScrRunProgram(make.get(), root.get(), 1000).ok);
  Steps("RcBox", read, [](CSgModule* m) { return ScrReadProgramFromString("a = k.area()", m, nullptr); },
        {
            {"class RcBox { int w\n int area() { return w * w } }", false, 9},
            {"class RcBox { int w\n int area() { return w * w * 10 } }", true, 90},
            {"class RcBox { int w\n int area() { return 1 } }", false, 90},
            {"class RcBox { int w\n int twice() { return w * 2 }\n int area() { return 100 + twice() } }", true,
             106},
        },
        a);
}

}  // namespace
