// The instruction chains that blocks compile into, looked at without running them.
#include <gtest/gtest.h>

#include "compiler/ScrStrings.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "sg/Program.h"
#include "support/ScriptFixture.h"

namespace {

class ShapeTest : public ScriptTest {
 protected:
  CSgProgram* Compile(const char* text) {
    CSgProgram* p = ScrReadProgramFromString(text, root.get(), reader.get());
    programs.emplace_back(p);
    return p;
  }
  int Length(CSgInstruction* i) {
    int n = 0;
    for (; i && n < 1000; i = i->Next()) ++n;
    return n;
  }
  std::vector<std::unique_ptr<CSgProgram>> programs;
};

TEST_F(ShapeTest, BlocksBranchesAndBodies) {
  CSgProgram* empty = Compile("");
  EXPECT_EQ(Length(empty->Instruction()), 2);  // the head and the final instruction

  CSgProgram* chain = Compile("int a\nif (a > 1) { a = 1 } elseif (a > 0) { a = 2 } else { a = 3 }");
  CSgInstruction* i = chain->Instruction()->Next();  // the declaration has no instruction
  ASSERT_NE(i, nullptr);
  ASSERT_NE(i->Conditions(), nullptr);
  CSgInstruction* ei = i->Unsatisfied();
  ASSERT_NE(ei, nullptr);
  EXPECT_NE(ei->Conditions(), nullptr);
  ASSERT_NE(ei->Unsatisfied(), nullptr);
  EXPECT_NE(ei->Unsatisfied()->SubProgram(), nullptr);  // the else body

  // A body whose local clashes with the owner's stays a program of its own; others merge.
  CSgProgram* own = Compile("int a\nif (a > 1) { int a\n a = 2 }");
  EXPECT_EQ(own->UserPrograms().Count(), 1);
  CSgProgram* merged = Compile("int a\nif (a > 1) { int b\n b = 2 }");
  EXPECT_EQ(merged->UserPrograms().Count(), 0);
  EXPECT_NE(merged->FindVariableLocal("b"), nullptr);

  CSgProgram* loop = Compile("for (int i = 0; i < 3; i = i + 1) { }");
  EXPECT_NE(loop->FindVariableLocal("i"), nullptr);

  CSgProgram* asyn = Compile("asyn(a, b) { }");
  ASSERT_EQ(asyn->UserPrograms().Count(), 1);
  CSgProgram* body = asyn->UserPrograms().At(0);
  EXPECT_NE(body->FindVariableLocal("a"), nullptr);
  EXPECT_NE(body->FindVariableLocal("b"), nullptr);
  EXPECT_TRUE(body->m_asynchronous);

  // A size that is a bare name is read as a number (0); an expression is computed.
  CSgProgram* sizes = Compile("int a[n]\nint b[2*3]");
  EXPECT_EQ(sizes->FindVariableLocal("a")->GetSize(), 0);
  EXPECT_EQ(sizes->FindVariableLocal("b")->GetSize(), 6);

  CSgProgram* completed = Compile("completed { }");
  EXPECT_NE(completed->FindUserProgram("completed"), nullptr);
  EXPECT_EQ(reader->MessageCount(), 0) << Joined(Collect(1));
}

struct MessageRow {
  const char* text;
  const char* message;
};

TEST_F(ShapeTest, StatementFaults) {
  const MessageRow rows[] = {
      {"int a\nswitch (a) {\ncase : { }\n}", "case缺少值"},
      {"int a\nswitch (a) {\nbreak\n}", "缺少case"},
      {"for (Foo f = 0; 1 > 0; 1) { }", "for语句中不支持类型'Foo'的声明"},
      {"int a\nint a", "变量'a'重复定义"},
      {"Nope n", "找不到预定义的类或模块 'Nope'"},
      {"int a\nelse { }", "if-else匹配错误"},
      {"void f(int) { }", "不能是关键字"},
      {"f(int a) { }", "没有定义返回值"},
      {"int a\nx = [1]", "找不到变量"},
      {"int a\na = b[1]", "找不到数组变量 'b'"},
      {"int a\nint c\na = c[1]", "不是数组"},
      {"int a\na = ", "赋值运算"},
      {"int a\na = new Nothing", "找不到预定义的类或模块 'Nothing'"},
  };
  for (const MessageRow& r : rows) {
    SetUp();
    Compile(r.text);
    ReadOutcome o = Collect(1);
    ASSERT_FALSE(o.messages.empty()) << r.text;
    EXPECT_NE(o.messages[0].find(r.message), std::string::npos) << r.text << "\n" << Joined(o);
    programs.clear();
    TearDown();
  }
}

}  // namespace
