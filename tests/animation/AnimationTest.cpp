// Animation blocks: default names, re-opening, references, virtual animations, options, sub-
// animations from nested blocks and script-function calls, and what each failure reports.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Animation.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "support/ScriptFixture.h"

namespace {

class AnimationTest : public ScriptTest {
 public:
  // By the name as written here (names are GBK in the module).
  CAnimation* Anim(const char* name, CSgModule* m = nullptr) {
    return dynamic_cast<CAnimation*>((m ? m : root.get())->FindAnimationLocal(Gbk(name).c_str()));
  }
  CSgModule* Module(const char* name) { return root->FindChild(name); }
  CSgModule* Root() { return root.get(); }
  int AnimCount(CSgModule* m = nullptr) { return (m ? m : root.get())->animations().Count(); }
};

// Every row is read into a fresh module; `messages` are fragments each message must hold, in order.
TEST_F(AnimationTest, Blocks) {
  struct Row {
    std::string script;  // inside "script { ... }"
    int result;
    std::vector<std::string> messages;
    std::function<void(AnimationTest&)> check;
  };
  const std::vector<Row> rows = {
      {"animation { } animation { }", 1, {}, [](AnimationTest& t) {
         EXPECT_NE(t.Anim("animation"), nullptr);
         EXPECT_NE(t.Anim("animation_1"), nullptr) << "the second default name is made unique";
       }},
      // A nested unnamed animation does not take the name its unfiled parent has.
      {"animation { animation { } }", 1, {}, [](AnimationTest& t) {
         ASSERT_EQ(t.AnimCount(), 2);
         ASSERT_NE(t.Anim("animation"), nullptr);
         ASSERT_EQ(t.Anim("animation")->SubAnimationCount(), 1);
         EXPECT_EQ(t.Anim("animation")->SubAnimation(0), t.Anim("animation_1"));
       }},
      {"animation { name { a } id { first } } animation { name { a } property { parallel } }", 1, {},
       [](AnimationTest& t) {
         EXPECT_EQ(t.AnimCount(), 1) << "re-opened, not filed twice";
         EXPECT_EQ(t.Anim("a")->m_playMode, CAnimation::PLAY_PARALLEL);
         EXPECT_STREQ(t.Anim("a")->IdsString(), "first") << "a block without id keeps the id";
       }},
      {"animation { name { module boot } } module M { animation { name { module boot } } }", 1, {},
       [](AnimationTest& t) {
         ASSERT_NE(t.Anim("module boot", t.Module("M")), nullptr) << "each module has its own";
         EXPECT_NE(t.Anim("module boot", t.Module("M")), t.Anim("module boot"));
       }},
      {"animation { name { a } } animation { name { a@引用 } } animation { name { a@反向$2 } }", 1, {},
       [](AnimationTest& t) {
         ASSERT_NE(t.Anim("a@引用"), nullptr);
         EXPECT_STREQ(t.Anim("a@引用")->ReferenceName(), "a");
         EXPECT_EQ(t.Anim("a@引用")->Reverse(), 0);
         ASSERT_NE(t.Anim("a@反向$2"), nullptr);
         EXPECT_STREQ(t.Anim("a@反向$2")->ReferenceName(), "a");
         EXPECT_EQ(t.Anim("a@反向$2")->Reverse(), 1);
       }},
      {"animation { name { a } property { serial, reverse, CONSTANT, export, switch, signal, parallel } speedup { 2 } }",
       1, {}, [](AnimationTest& t) {
         CAnimation* a = t.Anim("a");
         EXPECT_EQ(a->m_playMode, CAnimation::PLAY_PARALLEL) << "the last word wins";
         EXPECT_EQ(a->Reverse(), 1);
         EXPECT_EQ(a->m_flags, DWORD(CAnimation::FLAG_CONSTANT | CAnimation::FLAG_EXPORT));
         EXPECT_EQ(a->Options(), DWORD(CAnimation::OPTION_SIGNAL)) << "signal is applied after switch";
         EXPECT_FLOAT_EQ(a->SpeedFactor(), 2.0f);
       }},
      {"animation { name { a } property { reverse, loud, parallel } }", 0, {"无效字符串 'loud'"},
       [](AnimationTest& t) {
         EXPECT_EQ(t.Anim("a")->Reverse(), 1);
         EXPECT_EQ(t.Anim("a")->m_playMode, CAnimation::PLAY_SERIAL) << "the list ends at the bad word";
       }},
      {"animation { name { a } life { 0, 100, 5 } }", 0, {"life 参数个数错误，应为2个"},
       [](AnimationTest& t) { EXPECT_NE(t.Anim("a"), nullptr) << "built all the same"; }},
      {"animation { name { a } life { 0, 100 } }", 1, {}, nullptr},
      {"animation { name { b } } animation { name { a } controller { life { 0, 100 } } reference { animation { name { b } } } }",
       0, {"动画'a'有自己的定义时不能引用其他动画"}, nullptr},
      {"animation { name { b } } animation { name { a } reference { animation { name { b } } replace { old, new } time { 2, 5 } } }",
       0, {"time 参数个数错误，应为1个"}, [](AnimationTest& t) {
         CAnimation* a = t.Anim("a");
         EXPECT_STREQ(a->ReferenceName(), "b");
         EXPECT_STREQ(a->ReplaceString(), "old,new");
         EXPECT_FLOAT_EQ(a->AdjustTime(), 2.0f) << "the first value is taken all the same";
       }},
      {"animation { name { Other:a } }", 0, {"被调用的外部动画'Other:a'没有定义"}, nullptr},
      // A virtual animation implemented in another module; a block there without content is the
      // declaration itself; in the same module the implementation is "#real".
      {"animation { name { v } property { virtual } }\n"
       "module M { animation { name { v } controller { life { 0, 1 } } } }\n"
       "module N { animation { name { v } property { parallel } } }\n"
       "animation { name { v } animation { } }",
       1, {}, [](AnimationTest& t) {
         CAnimation* decl = t.Anim("v");
         ASSERT_TRUE(decl && decl->IsVirtual());
         ASSERT_NE(t.Anim("v", t.Module("M")), nullptr);
         EXPECT_EQ(t.Anim("v", t.Module("M"))->m_virtualDecl, decl);
         EXPECT_EQ(t.AnimCount(t.Module("N")), 0) << "stands for the declaration";
         EXPECT_EQ(decl->m_playMode, CAnimation::PLAY_PARALLEL);
         ASSERT_NE(t.Anim("v#real"), nullptr);
         EXPECT_EQ(t.Anim("v#real")->m_virtualDecl, decl);
       }},
      {"define { G 7 }\nint lo\nanimation { name { a } group { G } from { lo } to { 0X10 } }", 1, {},
       [](AnimationTest& t) {
         CAnimation* a = t.Anim("a");
         EXPECT_EQ(a->m_group, 7);
         EXPECT_EQ(a->m_from, t.Root()->FindVariable("lo"));
         ASSERT_NE(a->m_to, nullptr);
         EXPECT_EQ(a->m_to->GetInt(), 16) << "a literal becomes a new variable";
       }},
      {"animation { name { a } group { NOPE } }", 0, {"'NOPE' 宏未定义. [group]"}, nullptr},
      {"animation { name { a } from { nope } }", 0, {"'nope' 宏未定义. [from]"}, nullptr},
      {"animation { name { a } animation { name { s1 } } animation { name { s2 } property { declare } } "
       "animation { name { s1 } } }",
       1, {}, [](AnimationTest& t) {
         CAnimation* a = t.Anim("a");
         ASSERT_EQ(a->SubAnimationCount(), 2) << "declared only: filed, not played";
         EXPECT_EQ(a->SubAnimation(1), t.Anim("s1")) << "re-opened: played again, filed once";
         EXPECT_NE(t.Anim("s2"), nullptr);
       }},
      {"int x\nanimation { name { a } id { 阀门 } program { x = 3 } }", 1, {}, [](AnimationTest& t) {
         EXPECT_STREQ(t.Anim("a")->IdsString(), "\xb7\xa7\xc3\xc5");  // GBK, as read
         EXPECT_NE(t.Anim("a")->InitProgram(), nullptr);
       }},
      {"animation { name { a } bitmap { x.bmp } }", 1, {"无效关键字 'bitmap'"}, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.script);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.script + "\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    ASSERT_EQ(o.messages.size(), r.messages.size()) << Joined(o);
    for (size_t i = 0; i < r.messages.size(); ++i)
      EXPECT_NE(o.messages[i].find(r.messages[i]), std::string::npos) << o.messages[i];
    if (r.check) r.check(*this);
  }
}

// A call inside an animation expands the body here: each animation it makes is played, and
// each call makes its own (the instance suffix keeps the names apart).
TEST_F(AnimationTest, FunctionCallsMakeSubAnimations) {
  ReadOutcome o = Read(
      "script {\n"
      "mk(n) { animation { name { n } } }\n"
      "animation { name { top } mk(a) mk(a) }\n"
      "}\n");
  ASSERT_EQ(o.result, 1) << Joined(o);
  CAnimation* top = Anim("top");
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(top->SubAnimationCount(), 2);
  EXPECT_NE(top->SubAnimation(0), top->SubAnimation(1));
  EXPECT_EQ(AnimCount(), 3);
}

}  // namespace
