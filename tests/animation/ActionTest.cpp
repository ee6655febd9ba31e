// Action-type words, actions and acts (read inside a trigger), and quick commands.
#include <gtest/gtest.h>

#include <functional>

#include "animation/ScrActionTypes.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Trigger.h"
#include "support/ScriptFixture.h"

namespace {

TEST(ActionWords, Lookup) {
  struct Row {
    const char* word;
    int found;
    int type;       // -1: accepted without a type
    int fixedBool;  // -1 none
    const char* fixedString;
    int special;
  };
  const std::vector<Row> rows = {
      {"exit", 1, 1, -1, "", 0},
      {"MaximizeWindow", 1, 3, -1, "", 0},
      {"SHOWFIELD", 1, 101, 1, "", 0},
      {"unhilightfield", 1, 110, 0, "", 0},  // holds "light", but the node table comes first
      {"hideallannotations", 1, 102, 0, "", SG_AW_SCENE_ROOT},
      {"pauseactiveanimations", 1, 205, -1, "active", 0},
      {"setallanimationsspeed", 1, 210, -1, "all", 0},
      {"startanimations", 1, -1, -1, "", 0},  // the group's substring, none of its words
      {"setviewportzoom", 1, -1, -1, "", 0},
      {"setblackwhite", 1, 404, 1, "", 0},
      {"setvariables", 1, -1, -1, "", 0},
      {"enablemapping", 1, 2401, 0, "", 0},
      {"disablemapping", 1, 2401, 1, "", 0},
      {"mousedrag", 1, 3100, -1, "", SG_AW_LONG_513},
      {"mousefly", 1, -1, -1, "", 0},
      {"lightning", 1, -1, -1, "", 0},
      {"pausemovie", 1, 1703, -1, "", 0},
      {"setprogress", 1, 20101, -1, "", 0},
      {"switchtopage", 1, 2202, -1, "", 0},
      {"disablecut_plane", 1, 2600, 0, "", 0},
      {"callfunction", 1, 0, -1, "", SG_AW_CALL},
      {"flyaway", 0, 0, -1, "", 0},
      {"", 0, 0, -1, "", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.word);
    const SgActionWord* row = nullptr;
    ASSERT_EQ(ScrLookupActionType(r.word, &row), r.found);
    if (!r.found) continue;
    if (r.type < 0) {
      EXPECT_EQ(row, nullptr);
      continue;
    }
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->type, r.type);
    EXPECT_EQ(row->fixedBool, r.fixedBool);
    EXPECT_STREQ(row->fixedString, r.fixedString);
    EXPECT_EQ(row->special, r.special);
  }
  // The dumps: program types keep their names, others take their number's first word.
  EXPECT_STREQ(SgActionTypeName(500), "assign");
  EXPECT_STREQ(SgActionTypeName(2900), "run program");
  EXPECT_STREQ(SgActionTypeName(100), "hidefield");
  EXPECT_STREQ(SgActionTypeName(2), "minimize");
  EXPECT_EQ(SgActionTypeName(0), nullptr);
}

class ActionTest : public ScriptTest {
 public:
  CSgModule* Root() { return root.get(); }
  std::string Where(int line) { return "(" + dir.path() + "/main.scr) 第" + std::to_string(line) + "行"; }
  CSgTrigger* Trigger() { return dynamic_cast<CSgTrigger*>(root->reactions().Find("t")); }
  CTEventActionEx* Action() {
    return Trigger() ? dynamic_cast<CTEventActionEx*>(Trigger()->GetAction(CSgTrigger::TYPE_FIRE)) : nullptr;
  }
  const ActPrm& Last() { return Action()->Actions().back(); }
  SGKEY a = SG_NO_KEY, b = SG_NO_KEY;
  void MakeNodes() {
    a = SgOpenField("/scene/a");
    SgCloseField();
    b = SgOpenField("/scene/b");
    SgCloseField();
  }
};

TEST_F(ActionTest, Acts) {
  struct Row {
    std::string action;                 // inside "trigger { name { t } action { ... } }" on line 5
    int result;
    std::vector<std::string> messages;  // '@' stands for "(file) 第5行"
    std::function<void(ActionTest&)> check;
  };
  const std::vector<Row> rows = {
      {"act { type { SHOWFIELD } field { /scene/a } field { /scene/b } }", 1, {},
       [](ActionTest& t) {
         ASSERT_EQ(t.Action()->ActionCount(), 1);
         const ActPrm& r = t.Last();
         EXPECT_EQ(r.Type(), 101);
         EXPECT_EQ(r.KeyArray(), (std::vector<SGKEY>{t.a, t.b}));
         EXPECT_EQ(r.Bool(), 1);
         EXPECT_TRUE(r.Flags() & ACTF_HAS_BOOL);
         EXPECT_EQ(t.Action()->Necessary(), 1);
       }},
      {"act { type { flyaway } field { /scene/a } }", 0, {"错误: @无效字符串 'flyaway', 忽略. [type]"},
       [](ActionTest& t) { EXPECT_EQ(t.Action()->ActionCount(), 0); }},
      {"act { type { startanimations } }", 1, {}, [](ActionTest& t) { EXPECT_EQ(t.Action()->ActionCount(), 0); }},
      {"act { type { hidefield } field { /scene/a } }", 1, {},
       [](ActionTest& t) {
         EXPECT_EQ(t.Last().Type(), 100);
         EXPECT_EQ(t.Last().Key(), t.a);
         EXPECT_EQ(t.Last().Bool(), 0);
         EXPECT_EQ(t.Action()->Necessary(), 1);
       }},
      {"mode { once } act { type { exit } }", 1, {},
       [](ActionTest& t) { EXPECT_EQ(t.Action()->ActionCount(), 1) << "mode and its block are passed over"; }},
      {"act { type { exit } coord { 1 } } text", 1, {"错误: @无效关键字 'coord', 忽略. [coord]"},
       [](ActionTest& t) {
         ASSERT_EQ(t.Action()->ActionCount(), 1) << "an unknown word of action is passed over silently";
         EXPECT_EQ(t.Action()->Necessary(), 0);
       }},
      {"act { type { showfield } field { /scene/annotations/x } }", 1,
       {"警告: @没有找到节点'/scene/annotations/x'，是否在执行期间创建该节点. [field]"},
       [](ActionTest& t) { EXPECT_EQ(t.Last().Type(), 102); }},
      {"act { type { showfield } field { */scene/later } }", 1,
       {"警告: @没有找到节点'/scene/later'，是否在执行期间创建该节点. [field]"},
       [](ActionTest& t) {
         EXPECT_STREQ(t.Last().Pathname(), "/scene/later");
         EXPECT_FALSE(t.Last().Flags() & ACTF_HAS_KEY);
       }},
      {"act { type { showfield } fields { /scene/? } }", 1, {},
       [](ActionTest& t) { EXPECT_EQ(t.Last().KeyArray().size(), 2u); }},
      {"act { type { showfield } fields { /scene/zz* } field { /scene/a } }", 0,
       {"错误: @找不到field '/scene/zz*'. [fields]"}, [](ActionTest& t) {
         EXPECT_EQ(t.Last().Key(), SG_NO_KEY) << "the rest of the act is passed over";
       }},
      {"act { type { showfield } field { x } }", 1, {},
       [](ActionTest& t) {
         const auto& recs = t.Action()->Actions();
         ASSERT_EQ(recs.size(), 2u);
         EXPECT_EQ(recs[0].Type(), ACT_INDEX);
         EXPECT_EQ(recs[0].Variable(1), t.Root()->FindVariable("x"));
         EXPECT_EQ(recs[1].Variable(0), recs[0].Variable(0)) << "the record reads the computed copy";
       }},
      {"act { type { hideallannotations } }", 1, {},
       [](ActionTest& t) { EXPECT_EQ(t.Last().Key(), SgFieldExists("/scene")); }},
      {"act { type { mousedrag } long { 7 } int { 0X10 } float { 2.5 } }", 1, {},
       [](ActionTest& t) {
         EXPECT_EQ(t.Last().Long(), 7);
         EXPECT_EQ(t.Last().Int(), 16);
         EXPECT_FLOAT_EQ(t.Last().Float(), 2.5f);
         EXPECT_TRUE(t.Last().Flags() & ACTF_HAS_LONG);
       }},
      {"act { type { mousedrag } }", 1, {}, [](ActionTest& t) { EXPECT_EQ(t.Last().Long(), 513); }},
      {"act { type { setprogress } int { nosuch } }", 0, {"错误: @'nosuch' 宏未定义. [int]"}, nullptr},
      {"act { type { setvariable } string { x } string2 { nosuch } }", 0, {"错误: @没有找到变量nosuch. [string2]"},
       [](ActionTest& t) { EXPECT_STREQ(t.Last().String(), "x"); }},
      {"act { type { setvariable } variables { x, 3 } }", 1, {},
       [](ActionTest& t) {
         const auto& recs = t.Action()->Actions();
         ASSERT_EQ(recs.size(), 2u);
         EXPECT_EQ(recs[0].Type(), ACT_ASSIGN) << "the literal goes into a temporary first";
         EXPECT_EQ(recs[1].Variables(), (std::vector<CSgVariable*>{t.Root()->FindVariable("x"), recs[0].Variable(0)}));
       }},
      {"act { type { setvariable } variables { 1, 2.5 } }", 1, {},
       [](ActionTest& t) { EXPECT_EQ(t.Last().VariableCount(), 2); }},
      {"act { type { setvariable } variables { x, y } }", 0, {"错误: @变量y没有定义. [variables]"}, nullptr},
      {"act { type { startanimation } animation { name { later } } }", 1,
       {"警告: @动画later没有定义，是否在其他地方定义. [animation]"},
       [](ActionTest& t) {
         EXPECT_STREQ(t.Last().String(), "later");
         EXPECT_NE(t.Root()->FindAnimation("later"), nullptr);
       }},
      {"act { type { setstring } ctrlpt { name { nosuch } } }", 0,
       {"错误: @控制点nosuch没有被预先定义. [ctrlpt]"}, nullptr},
      {"act { type { setstring } button { name { c } } }", 0, {"错误: @控制点'c'不能当作按钮. [button]"}, nullptr},
      {"act { type { setstring } ctrlpt { name { c } } }", 1, {},
       [](ActionTest& t) { EXPECT_EQ(t.Last().Key(), t.a); }},
      {"act { type { loadimage } image { name { nosuch } } }", 0, {"错误: @图像没有被预先定义. [image]"}, nullptr},
      {"act { type { callfunction } string { twice } int { 3 } }", 1, {},
       [](ActionTest& t) {
         EXPECT_EQ(t.Last().Type(), ACT_CALL);
         EXPECT_NE(t.Last().Dword(), 0u);
       }},
      {"program { x = 2; }", 1, {},
       [](ActionTest& t) {
         EXPECT_EQ(t.Last().Type(), ACT_RUNPROGRAM);
         EXPECT_EQ(t.Last().Dword(), (std::uintptr_t)t.Root()->userPrograms().At(t.Root()->userPrograms().Count() - 1));
       }},
      {"property { unnecessary } interval { 250 } act { type { setfog } }", 1, {},
       [](ActionTest& t) {
         EXPECT_EQ(t.Action()->Interval(), 250u);
         EXPECT_EQ(t.Action()->Necessary(), 0);
       }},
      {"property { necessary }", 1, {}, [](ActionTest& t) { EXPECT_EQ(t.Action()->Necessary(), 1); }},
      {"name { e } interval { x }", 1, {},
       [](ActionTest& t) {
         ASSERT_EQ(t.Root()->variableLinks().Count(), 1);
         auto* link = dynamic_cast<CVariableLink*>(t.Root()->variableLinks().At(0));
         EXPECT_EQ(link->Kind(), 0x1000002);
         EXPECT_EQ(link->Variable(), t.Root()->FindVariable("x"));
         EXPECT_EQ(link->Target(), t.Action());
         // 0, then the animation's name (none here) and the event's, each with its length.
         EXPECT_EQ(link->RefData(), std::string("\0\0\0\0\1\0\0\0\0\2\0\0\0e\0", 15));
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.action);
    TearDown();
    SetUp();
    MakeNodes();
    ReadOutcome o = Read(
        "script {\nint x\nint twice(int n) { return n * 2; }\nctrlpt { name { c } field { /scene/a } }\n"
        "trigger { name { t } action { " +
        r.action + " } }\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    std::vector<std::string> expected;
    for (std::string m : r.messages) expected.push_back(m.replace(m.find('@'), 1, Where(5)));
    EXPECT_EQ(o.messages, expected);
    ASSERT_NE(Action(), nullptr);
    if (r.check) r.check(*this);
  }
}

class QuickTest : public ActionTest {
 public:
  CAnimation* Anim() {
    for (int i = root->animations().Count(); i-- > 0;)
      if (auto* a = dynamic_cast<CAnimation*>(root->animations().At(i))) return a;
    return nullptr;
  }
  CTEventActionEx* StepAction(int i) {
    return dynamic_cast<CTEventActionEx*>(Anim()->Controller(i)->Event(0));
  }
};

TEST_F(QuickTest, Commands) {
  struct Row {
    std::string quick;
    int result;
    std::vector<std::string> messages;
    // controllers' lives, then each action's first record type (0: no action) and bool (-1 none)
    std::vector<std::pair<float, float>> lives;
    int type;
    int fixedBool;
    int necessary;
  };
  const std::vector<Row> rows = {
      {"showfield: /scene/a", 1, {}, {{20, 100}}, 101, 1, 0},
      {"showfields:/scene/?", 1, {}, {{20, 200}}, 101, 1, 0},
      {"unloadimage:/scene/a", 1, {}, {{20, 200}}, 104, -1, 0},
      {"loadimage:/scene/a", 1, {}, {{20, 200}}, 103, -1, 0},
      {"hideprogress", 1, {}, {{0, 200}}, 20100, 0, 1},
      {"setprogress: 100", 1, {}, {{0, 200}}, 20101, -1, 0},
      {"setprogress: 50", 1, {}, {{0, 100}}, 20101, -1, 0},
      {"setcamera: iso", 1, {}, {{20, 100}}, 300, -1, 0},
      {"setcamera: top", 1, {}, {}, 0, -1, 0},
      {"hilightfield: /scene/a", 1, {}, {{0, 500}, {500, 1000}, {1000, 1500}, {1500, 2000}}, 110, 1, 0},
      {"showfield: /scene/none", 0, {"错误: @找不到field '/scene/none'. [quick]"}, {}, 0, -1, 0},
      {"showfield:", 0, {"错误: @无效字符串 'showfield:', 忽略. [quick]"}, {}, 0, -1, 0},
      {"jump", 0, {"错误: @无效字符串 'jump', 忽略. [quick]"}, {}, 0, -1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.quick);
    TearDown();
    SetUp();
    MakeNodes();
    ReadOutcome o = Read("script {\n\n\nquick { \"" + r.quick + "\" }\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    std::vector<std::string> expected;
    for (std::string m : r.messages) expected.push_back(m.replace(m.find('@'), 1, Where(4)));
    EXPECT_EQ(o.messages, expected);
    if (r.lives.empty()) {
      EXPECT_EQ(Anim(), nullptr);
      continue;
    }
    ASSERT_NE(Anim(), nullptr);
    ASSERT_EQ(Anim()->ControllerCount(), (int)r.lives.size());
    for (int i = 0; i < (int)r.lives.size(); ++i) {
      EXPECT_EQ(Anim()->Controller(i)->LifeStart(), r.lives[(size_t)i].first);
      EXPECT_EQ(Anim()->Controller(i)->LifeEnd(), r.lives[(size_t)i].second);
      const ActPrm& rec = StepAction(i)->Actions().front();
      EXPECT_EQ(rec.Type(), r.type);
      // hilightfield blinks: true, false, true, false
      if (r.fixedBool >= 0) EXPECT_EQ(rec.Bool(), i % 2 == 0 ? r.fixedBool : 1 - r.fixedBool);
      else EXPECT_FALSE(rec.Flags() & ACTF_HAS_BOOL);
    }
    EXPECT_EQ(StepAction(0)->Necessary(), r.necessary);
    if (r.type == 20101) {
      EXPECT_EQ(StepAction(0)->Actions().front().Int(), r.lives[0].second == 200 ? 100 : 50);
    }
  }
}

TEST_F(QuickTest, FadeField) {
  MakeNodes();
  ReadOutcome o = Read("script {\nquick { \"fadefield: /scene/a\" }\n}\n");
  ASSERT_EQ(o.result, 1) << Joined(o);
  ASSERT_NE(Anim(), nullptr);
  ASSERT_EQ(Anim()->ControllerCount(), 2);
  auto* fade = dynamic_cast<CTEventTransparent*>(Anim()->Controller(0)->Event(0));
  ASSERT_NE(fade, nullptr);
  EXPECT_EQ(fade->Keys(), (std::vector<SGKEY>{a}));
  EXPECT_EQ(fade->Values("transparent"), (std::vector<float>{1.0f, 0.0f}));
  EXPECT_EQ(Anim()->Controller(1)->LifeStart(), 1000);
  EXPECT_EQ(Anim()->Controller(1)->LifeEnd(), 1500);
  const auto& recs = StepAction(1)->Actions();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].Type(), 101);
  EXPECT_EQ(recs[0].Bool(), 0);
  EXPECT_EQ(recs[1].Type(), 107);
  EXPECT_FLOAT_EQ(recs[1].Float(), 1.0f);
}

}  // namespace
