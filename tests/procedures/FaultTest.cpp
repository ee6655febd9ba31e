// Faults, manipulations and their examination trees.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sg/Control.h"
#include "sg/Procedure.h"
#include "support/ScriptFixture.h"

namespace {

class FaultTest : public ScriptTest {
 public:
  CSgModule* Root() { return root.get(); }
  CSgFault* Fault(const char* name = "f") { return dynamic_cast<CSgFault*>(root->faults().Find(name)); }
  static std::vector<std::string> ChildNames(const CSgExamine* n) {
    std::vector<std::string> names;
    for (const CSgExamine* c = n->FirstChild(); c; c = c->Next()) names.push_back(c->Name());
    return names;
  }
  static std::string Numbers(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += std::to_string(i) + ", ";
    return s;
  }
};

TEST_F(FaultTest, Blocks) {
  struct Row {
    std::string body;
    int result;
    std::function<void(FaultTest&, const ReadOutcome&)> check;
  };
  const std::vector<Row> rows = {
      {"fault { name { f } id { 7 } rect { 1, 2, 3, 4, 5 } property { record } }", 1,
       [](FaultTest& t, const ReadOutcome& o) {
         CSgFault* f = t.Fault();
         ASSERT_NE(f, nullptr) << Joined(o);
         EXPECT_EQ(f->Id(), 7);
         EXPECT_EQ(f->ProcessType(), 1);
         EXPECT_EQ(f->Record(), 1);
         EXPECT_FLOAT_EQ(f->Rect()[3], 4.0f);
         EXPECT_NE(t.Root()->FindAnimation("f"), nullptr) << "an empty animation of the name";
       }},
      {"manipulation { name { f } }", 1, [](FaultTest& t, const ReadOutcome&) { EXPECT_EQ(t.Fault()->ProcessType(), 0); }},
      {"int p = 1\nfault { name { f }\n  branch (p < 2) { name { b } leaf { name { l1 } } examine { name { e } } leaf { name { l2 } } }\n"
       "  leaf { name { z } } procedure { name { pr } } }",
       1,
       [](FaultTest& t, const ReadOutcome& o) {
         ASSERT_NE(t.Fault(), nullptr) << Joined(o);
         const CSgExamine* root = t.Fault()->Root();
         EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"b", "z", "pr"}));
         const CSgExamine* b = root->FirstChild();
         EXPECT_NE(b->Conditions(), nullptr) << "the parenthesised condition";
         EXPECT_EQ(ChildNames(b), (std::vector<std::string>{"l1", "e", "l2"}));
         EXPECT_EQ(b->LastChild()->Parent(), b);
         EXPECT_EQ(b->FirstChild()->Conditions(), nullptr);
         EXPECT_TRUE(b->FirstChild()->IsLeaf());
       }},
      // A leaf reads no condition: its first token is the block's.
      {"int p = 1\nfault { name { f } leaf (p < 2) { name { l } } }", 0,
       [](FaultTest& t, const ReadOutcome& o) {
         EXPECT_EQ(t.Fault(), nullptr);
         ASSERT_FALSE(o.messages.empty());
         EXPECT_NE(o.messages[0].find("不是关键字"), std::string::npos) << Joined(o);
       }},
      {"fault { name { f } leaf { name { l } steps { 1, 2, 3 } mark { 4 } steps { 9 } } }", 1,
       [](FaultTest& t, const ReadOutcome&) {
         const CSgExamine* l = t.Fault()->Root()->FirstChild();
         EXPECT_EQ(l->Steps(), (std::vector<int>{9}));
         EXPECT_FLOAT_EQ(l->Mark(), 4.0f);
       }},
      // A refused property keeps the fault out, but its block is read to the end.
      {"fault { name { f } property { record, loud } id { 3 } examine { name { e } } }\nctrlpt { name { after } }", 0,
       [](FaultTest& t, const ReadOutcome& o) {
         EXPECT_EQ(t.Fault(), nullptr);
         ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
         EXPECT_NE(o.messages[0].find("无效字符串 'loud'"), std::string::npos);
       }},
      {"fault { name { f } independent { " + Numbers(1, 130) + "} }", 1,
       [](FaultTest& t, const ReadOutcome&) {
         const std::vector<int>& ids = t.Fault()->Independent();
         ASSERT_EQ(ids.size(), 128u);
         EXPECT_EQ(ids.back(), 128);
       }},
      {"fault { name { f } independent { " + Numbers(1, 128) + "} }", 1,
       [](FaultTest& t, const ReadOutcome&) { EXPECT_EQ(t.Fault()->Independent().size(), 128u); }},
      {"fault { name { f } phenomenon { name { leak } } error { name { burst } } examine { animation { name { look } } } }", 1,
       [](FaultTest& t, const ReadOutcome&) {
         EXPECT_EQ(t.Fault()->Phenomenon(), t.Root()->FindAnimation("leak"));
         EXPECT_EQ(t.Fault()->Error(), t.Root()->FindAnimation("burst"));
         EXPECT_EQ(t.Fault()->Root()->FirstChild()->Animation(), t.Root()->FindAnimation("look"));
       }},
      // The exercise gathers the controls of the steps it names, each once; unknown ids apart.
      {"step { name { s1 } id { 1 } field { /a } ctrlpt { name { shared } } }\n"
       "step { name { s2 } id { 2 } ctrlpt { name { shared } } ctrlpt { name { own } } }\n"
       "fault { name { f } examine { steps { 2 } leaf { steps { 5, 1 } } } independent { 1 } }",
       1,
       [](FaultTest& t, const ReadOutcome&) {
         CSgFault* f = t.Fault();
         std::vector<std::string> steps, ctrls;
         for (CSgStep* s : f->BuiltSteps()) steps.push_back(s->Name());
         for (COpCtrlPoint* c : f->BuiltCtrlPoints()) ctrls.push_back(c->Name());
         EXPECT_EQ(steps, (std::vector<std::string>{"s2", "s1"}));
         EXPECT_EQ(ctrls, (std::vector<std::string>{"shared", "own", "s1_ctrlpt"}));
         EXPECT_EQ(f->MissingStepIds(), (std::vector<int>{5}));
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
