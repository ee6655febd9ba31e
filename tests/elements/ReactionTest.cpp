// Reactions and conditions blocks: event types, the local flag, condition trees and what their
// texts report.
#include <gtest/gtest.h>

#include <functional>

#include "elements/ScrReaction.h"
#include "sg/Control.h"
#include "sg/Module.h"
#include "sg/Gfx.h"
#include "support/ScriptFixture.h"

namespace {

class ReactionTest : public ScriptTest {
 public:
  std::string Where() { return "(" + dir.path() + "/main.scr) 第3行"; }  // where the ctrlpt stands
  CSgReaction* Reaction() {
    auto* c = dynamic_cast<COpCtrlPoint*>(root->FindCtrlptLocal("c"));
    return c ? c->Reaction(0) : nullptr;
  }
  CSgConditions* Conditions() { return Reaction() ? Reaction()->Conditions() : nullptr; }
  CSgModule* Root() { return root.get(); }
};

TEST_F(ReactionTest, EventTypeWords) {
  const std::vector<std::pair<const char*, int>> rows = {
      {"lbuttondown", 0}, {"LButtonUp", 1}, {"rbuttondown", 2}, {"rbuttonup", 3},      {"mousemovein", 4},
      {"keydown", 5},     {"keyup", 6},     {"char", 7},        {"lbuttondblclk", 8}, {"mousemoveout", 11},
      {"mousemove", 12},  {"click", -1},    {"", -1},
  };
  for (const auto& [word, code] : rows) EXPECT_EQ(CScrReaction::EventType(word), code) << word;
}

TEST_F(ReactionTest, Blocks) {
  struct Row {
    std::string reaction;               // inside "ctrlpt { name { c } reaction { ... } }"
    int localDefault;
    int result;
    std::vector<std::string> messages;  // '@' stands for "(file) 第3行"
    std::function<void(ReactionTest&)> check;
  };
  const std::vector<Row> rows = {
      {"type { KeyDown }", 0, 1, {}, [](ReactionTest& t) { EXPECT_FALSE(t.Reaction()->IsLocal()); }},
      {"type { press } property { local }", 0, 0, {"错误: @无效字符串 'press', 忽略. [type]"},
       [](ReactionTest& t) { EXPECT_FALSE(t.Reaction()->IsLocal()) << "the control still holds what was read"; }},
      {"property { local }", 0, 1, {}, [](ReactionTest& t) { EXPECT_TRUE(t.Reaction()->IsLocal()); }},
      {"", 1, 1, {}, [](ReactionTest& t) { EXPECT_TRUE(t.Reaction()->IsLocal()) << "the reader's default"; }},
      {"property { global, loud }", 1, 1, {}, [](ReactionTest& t) { EXPECT_FALSE(t.Reaction()->IsLocal()); }},
      // Animations and actions bind to the type in force; one action per type.
      {"mode { or } type { keydown } animation { name { a } } type { keyup } animation { name { b } } "
       "animation { name { a } } action { }",
       0, 1, {}, [](ReactionTest& t) {
         const auto& bound = t.Reaction()->Animations();
         ASSERT_EQ(bound.size(), 3u);
         EXPECT_EQ(bound[0].animation, t.Root()->FindAnimationLocal("a"));
         EXPECT_EQ(bound[0].type, SG_REACT_KEYDOWN);
         EXPECT_EQ(bound[1].type, SG_REACT_KEYUP);
         EXPECT_EQ(bound[2].animation, bound[0].animation) << "re-opened, bound again";
         EXPECT_EQ(t.Root()->animations().Count(), 2);
         EXPECT_NE(t.Reaction()->GetAction(SG_REACT_KEYUP), nullptr);
         EXPECT_EQ(t.Reaction()->GetAction(SG_REACT_LBUTTONUP), nullptr);
       }},
      {"action { } type { keyup } action { } action { }", 0, 0, {"错误: @动作事件类型重复."}, [](ReactionTest& t) {
         EXPECT_NE(t.Reaction()->GetAction(SG_REACT_LBUTTONUP), nullptr);
       }},
      // Compiled all the same: the compiler takes no assignment for a condition.
      {"conditions { type { x = 1 } }", 0, 0, {"警告: @'x=1'中'==' 可能被错写为'='.", "错误: @不可识别的条件."}, nullptr},
      {"conditions { type { x >= 1 } type { x == 2 } }", 0, 1, {},
       [](ReactionTest& t) { EXPECT_EQ(t.Conditions()->NestedConditions().size(), 2u); }},
      {"conditions { type { x ！= 1 } }", 0, 0, {"错误: @英文'!' 被错写为中文'！'."}, nullptr},
      {"conditions { type { x ＝＝ 1 } }", 0, 0, {"错误: @英文'=' 被错写为中文'＝'."}, nullptr},
      {"conditions { type { x >> } }", 0, 0, {"错误: @不可识别的条件."}, nullptr},
      {"conditions { type { ready } mode { maybe } }", 0, 1, {"错误: @无效字符串 'maybe', 忽略. [mode]"},
       [](ReactionTest& t) {
         EXPECT_STREQ(t.Conditions()->SourceCode(), "ready");
         EXPECT_EQ(t.Conditions()->Mode(), SG_COND_AND);
       }},
      {"conditions { color { 1 } type { ready } }", 0, 1, {"错误: @无效关键字 'color', 忽略. [color]"},
       [](ReactionTest& t) { EXPECT_STREQ(t.Conditions()->SourceCode(), "ready"); }},
      {"conditions { field { /scene/a } type { fieldon } }", 0, 1, {}, [](ReactionTest& t) {
         ASSERT_EQ(t.Conditions()->TestCount(), 1);
         EXPECT_EQ(static_cast<CSgCondFieldShow*>(t.Conditions()->Test(0))->Key(), SG_NO_KEY)
             << "a field before fieldon has no effect";
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.reaction);
    TearDown();
    SetUp();
    SgOpenField("/scene/a");
    SgCloseField();
    reader->SetReactionLocalDeafult(r.localDefault);
    ReadOutcome o = Read("script {\nint x\nctrlpt { name { c } reaction { " + r.reaction + " } }\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    std::vector<std::string> expected;
    for (std::string m : r.messages) expected.push_back(m.replace(m.find('@'), 1, Where()));
    EXPECT_EQ(o.messages, expected);
    ASSERT_NE(Reaction(), nullptr);
    if (r.check) r.check(*this);
  }
}

// Nested blocks combine by their own mode; the tree decides on the nodes' visibility.
TEST_F(ReactionTest, NestedConditionsCombineByTheirOwnMode) {
  ReadOutcome o = Read(
      "script {\n"
      "ctrlpt { name { c } reaction { conditions {\n"
      "  mode { or }\n"
      "  type { fieldon } field { /scene/a }\n"
      "  conditions { type { fieldoff } field { /scene/b } type { fieldon } field { /scene/c } }\n"
      "} } }\n"
      "}\n");
  ASSERT_EQ(o.result, 1) << Joined(o);
  CSgConditions* c = Conditions();
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->NestedConditions().size(), 1u);
  EXPECT_EQ(c->Mode(), SG_COND_OR);
  EXPECT_EQ(c->NestedConditions()[0]->Mode(), SG_COND_AND);
  EXPECT_EQ(c->NestedConditions()[0]->TestCount(), 2);
  const SGKEY a = SgFieldExists("/scene/a"), b = SgFieldExists("/scene/b"), cc = SgFieldExists("/scene/c");
  struct Vis {
    int a, b, c, holds;
  };
  for (const Vis& v : {Vis{1, 1, 1, 1}, Vis{0, 1, 1, 0}, Vis{0, 0, 1, 1}, Vis{0, 0, 0, 0}}) {
    SgSetVisibilityByKey(a, v.a);
    SgSetVisibilityByKey(b, v.b);
    SgSetVisibilityByKey(cc, v.c);
    EXPECT_EQ(c->Evaluate(), v.holds) << v.a << v.b << v.c;
  }
  EXPECT_EQ(SgConditionsText(c), "or(and(fieldoff #" + std::to_string(b) + ", fieldon #" + std::to_string(cc) +
                                      "), fieldon #" + std::to_string(a) + ")");
}

}  // namespace
