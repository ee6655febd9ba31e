// Bodies, wrenches and nuts: what each block leaves in its runtime object, what a word of
// another kind's block does, and that every block is filed, also one that ends badly.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Gfx.h"
#include "sg/Mechanism.h"
#include "support/ScriptFixture.h"

namespace {

using Floats = std::vector<float>;

class MechanismTest : public ScriptTest {
 public:
  CSgBody* Body(int i = 0) { return dynamic_cast<CSgBody*>(root->userObjects().At(i)); }
  CSgWrench* Wrench(int i = 0) { return dynamic_cast<CSgWrench*>(root->wrenches().At(i)); }
  CSgNut* Nut(int i = 0) { return dynamic_cast<CSgNut*>(root->nuts().At(i)); }
  CSgModule* Root() { return root.get(); }
  static Floats Three(const float* v) { return Floats(v, v + 3); }

  struct Row {
    std::string text;                   // the script's body; `float a` and node /scene/m exist
    int result;
    std::vector<std::string> messages;  // a piece of each message, in order
    std::function<void(MechanismTest&)> check;
  };
  void Run(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      SCOPED_TRACE(r.text);
      TearDown();
      SetUp();
      SgOpenField("/scene/m");
      SgCloseField();
      reader->SetKeepSuppressed(1);  // the errors after the first too
      ReadOutcome o = Read("script {\nfloat a\n" + r.text + "\nint end\n}\n");
      for (const ScrMessageEntry& e : reader->Suppressed().Entries())
        if (Utf8(e.text).find("读入停止") == std::string::npos) o.messages.push_back(Utf8(e.text));
      EXPECT_EQ(o.result, r.result) << Joined(o);
      ASSERT_EQ(o.messages.size(), r.messages.size()) << Joined(o);
      for (size_t i = 0; i < r.messages.size(); ++i)
        EXPECT_NE(o.messages[i].find(r.messages[i]), std::string::npos) << o.messages[i];
      if (r.check) r.check(*this);
    }
  }
};

TEST_F(MechanismTest, Blocks) {
  Run({
      {"body { name { b } field { /scene/m } truss { /scene/m, /scene/new } initial { 1, 2, 3, 4 } }", 1,
       {"没有找到节点'/scene/new'"},
       [](MechanismTest& t) {
         CSgBody* b = t.Body();
         ASSERT_NE(b, nullptr);
         EXPECT_STREQ(b->Name(), "b");
         EXPECT_EQ(b->Field().key, SgFieldExists("/scene/m"));
         ASSERT_EQ(b->Truss().size(), 2u);
         EXPECT_EQ(b->Truss()[1].path, "/scene/new");
         EXPECT_EQ(b->Truss()[1].key, SgFieldExists("/scene/new"));  // opened for the runtime
         EXPECT_NE(b->Truss()[1].key, SG_NO_KEY);
         EXPECT_EQ(b->Initial(), Floats({1, 2, 3, 4}));
         EXPECT_NE(t.Root()->FindVariableLocal("end"), nullptr);
       }},
      {"wrench { name { w } axis { 1 0 0 } point { 1, 2, 3 } field { /scene/m } modeltype { ring } "
       "maxdistance { 0.5 } subforward { 1/4 } subleft { -2 } }",
       1, {},
       [](MechanismTest& t) {
         CSgWrench* w = t.Wrench();
         ASSERT_NE(w, nullptr);
         EXPECT_EQ(Three(w->Axis()), Floats({1, 0, 0}));
         EXPECT_EQ(Three(w->Point()), Floats({1, 2, 3}));
         EXPECT_EQ(w->ModelType(), "ring");
         EXPECT_FLOAT_EQ(w->MaxDistance(), 0.5f);
         EXPECT_FLOAT_EQ(w->SubForward(), 0.25f);
         EXPECT_FLOAT_EQ(w->SubLeft(), -2);
         EXPECT_EQ(w->Field().path, "/scene/m");
       }},
      {"nut { name { n } axis { 0, 1, 0 } force { 3, 4 } modeltype { hex } anglevar { a } dial { 0, 90 } }", 1, {},
       [](MechanismTest& t) {
         CSgNut* n = t.Nut();
         ASSERT_NE(n, nullptr);
         EXPECT_EQ(n->AngleVariable(), t.Root()->FindVariableLocal("a"));
         EXPECT_EQ(n->Force(), Floats({3, 4}));
         EXPECT_EQ(n->Dial(), Floats({0, 90}));
         EXPECT_EQ(Three(n->Axis()), Floats({0, 1, 0}));
       }},
      // a missing variable is reported and the nut keeps none
      {"nut { name { n } anglevar { nosuch } }", 1, {"没有找到变量nosuch"},
       [](MechanismTest& t) { EXPECT_EQ(t.Nut()->AngleVariable(), nullptr); }},
      // a word of another kind's block is refused and passed over with its block; reading goes on
      {"body { name { b } point { 1, 2, 3 } initial { 5 } }\nnut { maxdistance { 2 } dial { 9 } }", 1,
       {"无效关键字 'point'", "无效关键字 'maxdistance'"},
       [](MechanismTest& t) {
         EXPECT_EQ(t.Body()->Initial(), Floats({5}));
         EXPECT_EQ(t.Nut()->Dial(), Floats({9}));
         EXPECT_NE(t.Root()->FindVariableLocal("end"), nullptr);
       }},
      // an axis or point of other than three numbers is refused; the default stays
      {"wrench { axis { 1, 2 } point { 1, 2, 3, 4 } }", 1, {"无效字符串 '1 2'", "无效字符串 '1 2 3 4'"},
       [](MechanismTest& t) {
         EXPECT_EQ(Three(t.Wrench()->Axis()), Floats({0, 0, 1}));
         EXPECT_EQ(Three(t.Wrench()->Point()), Floats({0, 0, 0}));
       }},
      // a word that is no number refuses its list; one distance takes one number
      {"body { initial { 1, x } }\nwrench { maxdistance { 1 2 } subleft { 3 } }", 1,
       {"无效字符串 'x'", "无效字符串 '1 2'"},
       [](MechanismTest& t) {
         EXPECT_TRUE(t.Body()->Initial().empty());
         EXPECT_FLOAT_EQ(t.Wrench()->MaxDistance(), 0);
         EXPECT_FLOAT_EQ(t.Wrench()->SubLeft(), 3);
       }},
      // a block that ends badly still files its object, with what was read; the script stops
      {"wrench { name { w } modeltype { ring } 12 }", 0, {"'12' 不是关键字"},
       [](MechanismTest& t) {
         ASSERT_NE(t.Wrench(), nullptr);
         EXPECT_EQ(t.Wrench()->ModelType(), "ring");
         EXPECT_EQ(t.Root()->FindVariableLocal("end"), nullptr);
       }},
      // each block makes its own object, also under a name already used
      {"nut { name { n } }\nnut { name { n } }\nbody { }", 1, {},
       [](MechanismTest& t) {
         EXPECT_EQ(t.Root()->nuts().Count(), 2);
         EXPECT_EQ(t.Root()->userObjects().Count(), 1);
       }},
  });
}

// Number lists keep what fits and pass over the rest up to the closing brace.
TEST_F(MechanismTest, LongListsAreBounded) {
  std::string numbers;
  for (int i = 0; i < 300; ++i) numbers += std::to_string(i) + " ";
  ReadOutcome o = Read("script {\nbody { initial { " + numbers + "} name { b } }\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  ASSERT_NE(Body(), nullptr);
  EXPECT_EQ(Body()->Initial().size(), 256u);
  EXPECT_STREQ(Body()->Name(), "b");
}

}  // namespace
