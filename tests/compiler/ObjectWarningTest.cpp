// Members of objects that were never made, and function headers without a return type.
#include <gtest/gtest.h>

#include "support/ScriptFixture.h"

namespace {

class ObjectWarningTest : public ScriptTest {};

struct Row {
  const char* body;     // script text between "script {" and "}"
  const char* message;  // the first message holds it; null: no message at all
};

// A member of an object variable of the enclosing function (or of the outermost program) that
// no `new` was assigned to before is a warning; objects of the module, objects made with new and
// `this` are not.
TEST_F(ObjectWarningTest, MemberOfALocalObjectNeverMade) {
  const Row rows[] = {
      {"class P {\n int n\n}\nint x\nvoid f() {\n P p\n x = p.n\n}\n", "没有为局部对象'p'分配空间"},
      {"class P {\n int n\n}\nint x\nprogram {\n P p\n p.n = 1\n}\n", "没有为局部对象'p'分配空间"},
      {"class P {\n int n\n}\nint x\nvoid f() {\n P p\n p = new P\n x = p.n\n}\n", nullptr},
      // A parameter belongs to the function as well.
      {"class P {\n int n\n}\nint x\nvoid f(P q) {\n x = q.n\n}\n", "没有为局部对象'q'分配空间"},
      {"class P {\n int n\n}\nP p\nint x\nprogram {\n x = p.n\n}\n", nullptr},
      {"class P {\n int n\n int get() {\n  return this.n\n }\n}\n", nullptr},
      // In a nested block the local still belongs to the function.
      {"class P {\n int n\n}\nint x\nvoid f() {\n P p\n if (x > 0) {\n  x = p.n\n }\n}\n",
       "没有为局部对象'p'分配空间"},
  };
  for (const Row& r : rows) {
    SetUp();
    ReadOutcome o = Read(std::string("script {\n") + r.body + "}\n");
    if (!r.message) {
      EXPECT_TRUE(o.messages.empty()) << r.body << Joined(o);
    } else {
      ASSERT_FALSE(o.messages.empty()) << r.body;
      EXPECT_NE(o.messages[0].find(r.message), std::string::npos) << r.body << Joined(o);
      EXPECT_EQ(o.result, 1) << r.body;  // a warning: the program is compiled all the same
    }
    TearDown();
  }
}

// Without a return type a script-level function "has no return value"; a method, or a function
// inside a program, "defines no return type". Either way the function is not made.
TEST_F(ObjectWarningTest, HeaderWithoutReturnType) {
  const Row rows[] = {
      {"virtual f(int a) {\n}\n", "函数'f'没有返回值"},
      {"class P {\n virtual get() {\n }\n}\n", "函数get没有定义返回值"},
      {"virtual void f(int a) {\n}\n", nullptr},
  };
  for (const Row& r : rows) {
    SetUp();
    ReadOutcome o = Read(std::string("script {\n") + r.body + "}\n");
    if (!r.message) {
      EXPECT_TRUE(o.messages.empty()) << r.body << Joined(o);
    } else {
      ASSERT_FALSE(o.messages.empty()) << r.body;
      EXPECT_NE(o.messages[0].find(r.message), std::string::npos) << r.body << Joined(o);
    }
    TearDown();
  }
}

}  // namespace
