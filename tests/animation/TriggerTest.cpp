// Triggers in their four modes, variable bindings and ticks.
#include <gtest/gtest.h>

#include <functional>

#include "animation/ScrTrigger.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Program.h"
#include "sg/Trigger.h"
#include "support/ScriptFixture.h"

namespace {

class TriggerTest : public ScriptTest {
 public:
  CSgModule* Root() { return root.get(); }
  std::string Where() { return "(" + dir.path() + "/main.scr) 第4行"; }
  CSgTrigger* Trigger() { return dynamic_cast<CSgTrigger*>(root->reactions().Find("t")); }
};

TEST_F(TriggerTest, Blocks) {
  struct Row {
    std::string trigger;  // a whole block on line 4
    int result;
    std::vector<std::string> messages;  // '@' stands for "(file) 第4行"
    std::function<void(TriggerTest&)> check;
  };
  const std::vector<Row> rows = {
      {"timer { name { t } interval { 500 } }", 1, {},
       [](TriggerTest& t) {
         auto* timer = dynamic_cast<CSgTimerTrigger*>(t.Trigger());
         ASSERT_NE(timer, nullptr);
         EXPECT_EQ(timer->Interval(0), 500);
         EXPECT_EQ(timer->Interval(1), 0);
       }},
      {"timer { name { t } interval { 0X10 20 } enable { FALSE } }", 1, {},
       [](TriggerTest& t) {
         auto* timer = dynamic_cast<CSgTimerTrigger*>(t.Trigger());
         EXPECT_EQ(timer->Interval(0), 16);
         EXPECT_EQ(timer->Interval(1), 20);
         EXPECT_EQ(timer->IsEnabled(), 0);
       }},
      {"trigger { name { t } check_coord { name { p } } }", 0, {"错误: @测点变量没有定义. [check_coord]"}, nullptr},
      {"trigger { name { t } property { once, listen, local } id { 7 } coord { 1 } }", 1, {},
       [](TriggerTest& t) {
         EXPECT_EQ(t.Trigger()->Options(), CSgTrigger::OPT_ONCE | CSgTrigger::OPT_LISTEN | CSgTrigger::OPT_LOCAL);
         EXPECT_STREQ(t.Trigger()->IdsString(), "7");
       }},
      {"anim_trigger { name { t } property { wait } conditions { type { opened } } }", 1, {},
       [](TriggerTest& t) {
         auto* at = dynamic_cast<CSgAnimTrigger*>(t.Trigger());
         ASSERT_NE(at, nullptr);
         EXPECT_EQ(at->Wait(), 1);
         ASSERT_NE(at->PrevAnimation(), nullptr) << "made when not read yet";
         EXPECT_EQ(at->PrevAnimation(), t.Root()->FindAnimation("opened"));
         EXPECT_NE(at->Conditions(), nullptr);
       }},
      {"trigger { name { t } conditions { type { listPushBack(x, y) } } }", 1, {},
       [](TriggerTest& t) {
         auto* bind = dynamic_cast<CTEventActionEx*>(t.Trigger()->GetAction(CSgTrigger::TYPE_BINDING));
         ASSERT_NE(bind, nullptr);
         ASSERT_EQ(bind->ActionCount(), 1);
         EXPECT_EQ(bind->Actions()[0].Type(), ACT_RUNPROGRAM);
         EXPECT_EQ(t.Root()->userPrograms().Count(), 1);
       }},
      {"trigger { name { t } action { act { type { exit } } } quick { \"hideprogress\" } }", 1, {},
       [](TriggerTest& t) {
         auto* fire = dynamic_cast<CTEventActionEx*>(t.Trigger()->GetAction(CSgTrigger::TYPE_FIRE));
         ASSERT_NE(fire, nullptr);
         EXPECT_EQ(fire->ActionCount(), 1);
         ASSERT_EQ(t.Trigger()->Animations().size(), 1u) << "the quick command's animation";
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.trigger);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\nint x\nint y\n" + r.trigger + "\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    std::vector<std::string> expected;
    for (std::string m : r.messages) expected.push_back(m.replace(m.find('@'), 1, Where()));
    EXPECT_EQ(o.messages, expected);
    ASSERT_NE(Trigger(), nullptr);
    if (r.check) r.check(*this);
  }
}

TEST(TriggerBinding, ProgramText) {
  EXPECT_EQ(ScrTriggerBindingProgram("t", "listPushBack(a,b)"),
            "bindTriggerToVariable(\"t\",a); bindTriggerToVariable(\"t\",b); ");
  EXPECT_EQ(ScrTriggerBindingProgram("t", "n>0&&lockVariableInt( n )"), "bindTriggerToVariable(\"t\",n); ");
  EXPECT_EQ(ScrTriggerBindingProgram("t", "n>0"), "");
}

TEST_F(TriggerTest, Ticks) {
  ReadOutcome o = Read("script {\ntick { action { act { type { exit } } } }\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  ASSERT_EQ(root->tickActions().Count(), 1) << "no animation: the module's tick";
  ReadOutcome bad = Read("script {\ntick { coord { 1 } }\n}\n");
  EXPECT_EQ(bad.messages,
            (std::vector<std::string>{"错误: (" + dir.path() + "/main.scr) 第2行无效关键字 'coord', 忽略. [coord]"}));
  ReadOutcome anim = Read("script {\ntick { animation { name { spin } } action { act { type { exit } } } }\n}\n");
  EXPECT_EQ(anim.result, 1) << Joined(anim);
  auto* spin = dynamic_cast<CAnimation*>(root->FindAnimation("spin"));
  ASSERT_NE(spin, nullptr);
  EXPECT_NE(spin->TickAction(), nullptr);
  EXPECT_EQ(root->tickActions().Count(), 2);
  EXPECT_TRUE(reader->AnimationStack().empty());
}

}  // namespace
