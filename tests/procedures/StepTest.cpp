// Steps and sequences: a script in, the module's steps, controls and sequences out.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sg/Control.h"
#include "sg/Procedure.h"
#include "sg/Trigger.h"
#include "support/ScriptFixture.h"

namespace {

class StepTest : public ScriptTest {
 public:
  CSgModule* Root() { return root.get(); }
  CSgStep* Step(const char* name = "s") { return dynamic_cast<CSgStep*>(root->steps().Find(name)); }
  COpCtrlPoint* Ctrl(const char* name) { return dynamic_cast<COpCtrlPoint*>(root->FindCtrlpt(name)); }
  CSequence* Sequence(const char* name = "q") { return dynamic_cast<CSequence*>(root->sequences().Find(name)); }
  bool Has(const ReadOutcome& o, const std::string& part) {
    for (const std::string& m : o.messages)
      if (m.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(StepTest, Steps) {
  struct Row {
    std::string body;  // inside script { }
    int result;
    std::function<void(StepTest&, const ReadOutcome&)> check;
  };
  const std::vector<Row> rows = {
      {"step { name { s } id { 3 } mark { 2.5 } field { /a } field { /b } }", 1,
       [](StepTest& t, const ReadOutcome& o) {
         CSgStep* s = t.Step();
         ASSERT_NE(s, nullptr);
         EXPECT_EQ(s->Id(), 3);
         EXPECT_FLOAT_EQ(s->Mark(), 2.5f);
         ASSERT_EQ(s->CtrlPoints().size(), 1u) << "both fields make one control";
         COpCtrlPoint* c = t.Ctrl("s_ctrlpt");
         ASSERT_EQ(c, s->CtrlPoints()[0]);
         EXPECT_EQ(c->Keys().size(), 2u);
         EXPECT_EQ(c->IsEnabled(), 0);
         EXPECT_EQ(o.messages.size(), 2u) << "a warning for each node not found";
       }},
      {"step { name { s } reaction { type { lbuttondown } } ctrlpt { name { a } } ctrlpt { name { b } }\n"
       "  reaction { type { keydown } } }",
       1,
       [](StepTest& t, const ReadOutcome&) {
         COpCtrlPoint* a = t.Ctrl("a");
         COpCtrlPoint* b = t.Ctrl("b");
         ASSERT_TRUE(a && b);
         ASSERT_EQ(a->ReactionCount(), 1) << "the reaction before any control goes nowhere";
         EXPECT_EQ(a->Reaction(0), b->Reaction(0)) << "one reaction held by both";
         EXPECT_EQ(t.Step()->CtrlPoints().size(), 2u);
       }},
      {"step { name { s } ctrlpt { name { a } enable { TRUE } } knob { name { k } } }", 1,
       [](StepTest& t, const ReadOutcome&) {
         EXPECT_EQ(t.Ctrl("a")->IsEnabled(), 0) << "disabled when the step closes";
         EXPECT_EQ(t.Ctrl("k")->IsEnabled(), 0);
       }},
      {"step { name { s } trigger { name { t } } }", 1,
       [](StepTest& t, const ReadOutcome&) {
         auto* trig = dynamic_cast<CSgTrigger*>(t.Root()->reactions().Find("t"));
         ASSERT_NE(trig, nullptr) << "filed with the module";
         ASSERT_EQ(t.Step()->Triggers().size(), 1u);
         EXPECT_EQ(trig->IsEnabled(), 0);
       }},
      // conditions is passed over whole: its braces do not end the step.
      {"step { name { s } conditions { type { x > 1 } } id { 4 } }", 1,
       [](StepTest& t, const ReadOutcome& o) {
         EXPECT_TRUE(o.messages.empty()) << Joined(o);
         EXPECT_EQ(t.Step()->Id(), 4);
       }},
      // A failed control drops the step; controls read before stay filed.
      {"step { name { s } ctrlpt { name { a } } ctrlpt { name { b } group { NOPE } } }", 0,
       [](StepTest& t, const ReadOutcome&) {
         EXPECT_EQ(t.Step(), nullptr);
         EXPECT_NE(t.Ctrl("a"), nullptr);
         EXPECT_EQ(t.Ctrl("b"), nullptr);
       }},
      // A second step of the same name is kept beside the first; finds give the first.
      {"step { name { s } id { 1 } } step { name { s } id { 2 } }", 1,
       [](StepTest& t, const ReadOutcome&) {
         ASSERT_EQ(t.Root()->steps().Count(), 2);
         EXPECT_EQ(t.Step()->Id(), 1);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.body);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.body + "\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    r.check(*this, o);
  }
}

TEST_F(StepTest, Sequences) {
  struct Row {
    std::string body;
    int result;
    std::function<void(StepTest&, const ReadOutcome&)> check;
  };
  const std::vector<Row> rows = {
      {"sequence { name { q } type { parallel } property { cycle }\n"
       "  sequence { name { c1 } ctrlpt { name { a } } } sequence { name { c2 } ctrlpt { name { b } } } }",
       1,
       [](StepTest& t, const ReadOutcome&) {
         CSequence* q = t.Sequence();
         ASSERT_NE(q, nullptr);
         EXPECT_EQ(q->OrderType(), CSequence::ORDER_PARALLEL);
         EXPECT_EQ(q->Cycle(), 1);
         ASSERT_EQ(q->ChildCount(), 2);
         EXPECT_STREQ(q->Child(0)->Name(), "c1");
         EXPECT_STREQ(q->Child(1)->CtrlptName(), "b");
         EXPECT_EQ(t.Root()->ctrlPoints().Count(), 0) << "a sequence's control is not filed";
       }},
      {"sequence { name { q } type { sideways } }\nctrlpt { name { later } }", 0,
       [](StepTest& t, const ReadOutcome& o) {
         ASSERT_NE(t.Sequence(), nullptr) << "added although it failed";
         EXPECT_TRUE(t.Has(o, "无效字符串 'sideways'")) << Joined(o);
         EXPECT_EQ(t.Ctrl("later"), nullptr) << "the script stops";
       }},
      {"sequence { name { q } property { cycle, bounce } type { serial } }", 1,
       [](StepTest& t, const ReadOutcome& o) {
         EXPECT_TRUE(t.Has(o, "无效字符串 'bounce'")) << Joined(o);
         EXPECT_EQ(t.Sequence()->Cycle(), 1);
       }},
      // Built after the whole script: names resolve to controls declared later; the order is
      // depth first, missing names listed apart.
      {"sequence { name { q } ctrlpt { name { a } } sequence { ctrlpt { name { b } } sequence { ctrlpt { name { x } } } }\n"
       "  sequence { ctrlpt { name { c } } } }\n"
       "ctrlpt { name { c } } ctrlpt { name { b } } ctrlpt { name { a } }",
       1,
       [](StepTest& t, const ReadOutcome&) {
         CSequence* q = t.Sequence();
         ASSERT_TRUE(q->IsBuilt());
         std::vector<std::string> order;
         for (CKvoObject* o : q->PlayOrder()) order.push_back(o->Name());
         EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c"}));
         EXPECT_EQ(q->Unresolved(), (std::vector<std::string>{"x"}));
         EXPECT_EQ(q->Child(0)->CtrlPoint(), t.Ctrl("b"));
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.body);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.body + "\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    r.check(*this, o);
  }
}

}  // namespace
