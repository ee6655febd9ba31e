// Control points and the controls built on them: what each block sets in its runtime control,
// and what it reports.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Control.h"
#include "sg/Gfx.h"
#include "sg/View.h"
#include "support/ScriptFixture.h"

namespace {

class ControlTest : public ScriptTest {
 public:
  using ScriptTest::Read;
  using ScriptTest::root;
  using ScriptTest::SetUp;
  using ScriptTest::TearDown;
  std::string File() { return dir.path() + "/main.scr"; }
  template <class T = COpCtrlPoint>
  T* Ctrl(const char* name) {
    return dynamic_cast<T*>(root->FindCtrlptLocal(name));
  }
  static SGKEY Node(const char* path) { return SgFieldExists(path); }
  static std::vector<float> Of(const float* v, int n) { return std::vector<float>(v, v + n); }
};

struct Row {
  std::string block;                  // stands on line 2, after "script {"
  int result;                         // of the read
  std::vector<std::string> messages;  // '@' stands for "(file) 第2行", '#' for the file name
  std::function<void(ControlTest&)> check;
};

void RunRows(ControlTest& t, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(r.block);
    t.TearDown();  // a fresh scene, module and reader for every row
    t.SetUp();
    for (const char* p : {"/scene/a", "/scene/b"}) {
      SgOpenField(p);
      SgCloseField();
    }
    ReadOutcome o = t.Read("script {\n" + r.block + "\n}\n");
    EXPECT_EQ(o.result, r.result) << Joined(o);
    std::vector<std::string> expected;
    for (std::string m : r.messages) {
      if (size_t at = m.find('@'); at != std::string::npos) m.replace(at, 1, "(" + t.File() + ") 第2行");
      if (size_t at = m.find('#'); at != std::string::npos) m.replace(at, 1, t.File());
      expected.push_back(m);
    }
    EXPECT_EQ(o.messages, expected);
    if (r.check) r.check(t);
  }
}

TEST_F(ControlTest, ControlPoints) {
  RunRows(*this, {
      {"ctrlpt { name { c } field { /scene/a } field { /scene/b } }", 1, {}, [](ControlTest& t) {
         auto* c = t.Ctrl("c");
         ASSERT_NE(c, nullptr);
         EXPECT_EQ(c->TypeCode(), SGT_CTRLPOINT);
         EXPECT_EQ(c->Keys(), (std::vector<SGKEY>{Node("/scene/a"), Node("/scene/b")})) << "one control, both nodes";
       }},
      {"knob { name { k } field { /scene/a } field { /scene/b } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("k")->Keys(), std::vector<SGKEY>{Node("/scene/b")}); }},
      {"ctrlpt { name { c } field { /scene/a } } ctrlpt { name { c } field { /scene/b } group { 3 } }", 1, {},
       [](ControlTest& t) {
         EXPECT_EQ(t.root->ctrlPoints().Count(), 1) << "the second block configures the first control";
         EXPECT_EQ(t.Ctrl("c")->Keys().size(), 2u);
         EXPECT_EQ(t.Ctrl("c")->Group(), 3);
       }},
      {"ctrlpt { name { c } } knob { name { c } field { /scene/a } }", 1, {},
       [](ControlTest& t) {
         EXPECT_EQ(t.root->ctrlPoints().Count(), 2) << "a knob never configures a control of another kind";
       }},
      {"ctrlpt { name { c } group { 0X1F } }", 1, {}, [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 31); }},
      {"ctrlpt { name { c } group { true } }", 1, {}, [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 1); }},
      {"ctrlpt { name { c } group { 7.5 } }", 1, {}, [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 7); }},
      {"ctrlpt { name { c } group { 99999999999 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 2147483647) << "saturates, no overflow"; }},
      {"define { G 12 } ctrlpt { name { c } group { G } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 12); }},
      {"ctrlpt { name { c } group { NOPE } enable { FALSE } }", 0, {"错误: @'NOPE' 宏未定义. [group]"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->IsEnabled(), 1) << "the block stopped before enable"; }},
      {"ctrlpt { name { c } enable { FALSE } }", 1, {}, [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->IsEnabled(), 0); }},
      {"ctrlpt { name { c } enable { maybe } }", 1, {}, [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->IsEnabled(), 1); }},
      {"ctrlpt { name { c } field { /scene/later } }", 1,
       {"警告: @没有找到节点'/scene/later'，是否在执行期间创建该节点. [field]"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Key(), Node("/scene/later")) << "opened by path"; }},
      {"ctrlpt { name { c } conditions { type { x } } otherwise { type { keyup } } }", 1, {}, [](ControlTest& t) {
         ASSERT_EQ(t.Ctrl("c")->ReactionCount(), 1) << "conditions skipped silently, otherwise read";
         EXPECT_TRUE(t.Ctrl("c")->Reaction(0)->Flags() & CSgReaction::FLAG_OTHERWISE);
       }},
      {"ctrlpt { name { c } otherwise { type { nope } } group { 2 } }", 1,
       {"错误: @无效字符串 'nope', 忽略. [type]"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl("c")->Group(), 2) << "reported; the control reads on after the block"; }},
  });
}

TEST_F(ControlTest, KnobsSlidersAndParts) {
  RunRows(*this, {
      {"knob { name { k } field { /scene/a } dial_interval { 0, 30, 12 } }", 1, {}, [](ControlTest& t) {
         auto& d = t.Ctrl<CSgKnob>("k")->Dial();
         ASSERT_EQ(d.size(), 12u);
         EXPECT_EQ(d[1], 30.0f);
         EXPECT_EQ(d[11], 330.0f);
       }},
      {"knob { name { k } field { /scene/a } dial_interval { 0, 7.5, 4 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgKnob>("k")->Dial(), (std::vector<float>{0, 7, 14, 21})); }},
      {"knob { name { k } field { /scene/a } dial { 1, 2 } dial_interval { 0, 5 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgKnob>("k")->Dial(), (std::vector<float>{1, 2})); }},
      {"knob { name { k } field { /scene/a } dial_interval { 0, 1, 100000 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgKnob>("k")->Dial().size(), 255u); }},
      {"knob { name { k } field { /scene/a } range { 360 } }", 1, {}, [](ControlTest& t) {
         auto* k = t.Ctrl<CSgKnob>("k");
         EXPECT_EQ(k->Range(), 360.0f);
         EXPECT_EQ(k->Speed(), 360.0f);
         EXPECT_EQ(k->Cycle(), 1);
       }},
      {"knob { name { k } field { /scene/a } range { 360 } property { nocycle } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgKnob>("k")->Cycle(), 0); }},
      {"knob { name { k } field { /scene/a } property { nocycle } range { 360 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgKnob>("k")->Cycle(), 1); }},
      {"knob { name { k } field { /scene/a } point { 1, 2, 3 } axis { 0, 0, 2 } }", 1, {}, [](ControlTest& t) {
         auto* k = t.Ctrl<CSgKnob>("k");
         EXPECT_FALSE(k->BasePointIsLocal());
         EXPECT_EQ(Of(k->BasePoint(), 3), (std::vector<float>{1, 2, 3}));
         EXPECT_EQ(Of(k->Axis(), 3), (std::vector<float>{0, 0, 1})) << "made a unit vector at the end";
       }},
      {"knob { name { k } field { /scene/a } point { 1, 2 } }", 1, {},
       [](ControlTest& t) { EXPECT_TRUE(t.Ctrl<CSgKnob>("k")->BasePointIsLocal()); }},
      {"knob { name { k } color { 3 } }", 1, {"#: invalid keyword color, ignored", "错误: @旋钮'k'没有关联节点. [color]"},
       [](ControlTest& t) { EXPECT_TRUE(t.Ctrl<CSgKnob>("k")->AxisAdjusted()) << "kept, and finished"; }},
      {"slider { name { s } axis { 1, 0, 0 } point { 1, 2 } property { 2d } }", 1, {}, [](ControlTest& t) {
         auto* s = t.Ctrl<CSgSlider>("s");
         ASSERT_NE(s, nullptr);
         EXPECT_EQ(s->TypeCode(), SGT_SLIDER);
         EXPECT_EQ(s->Is2D(), 1);
         EXPECT_FALSE(s->BasePointIsLocal()) << "a slider's point is always a world point";
       }},
      {"part { name { p } tool { wrench, driver } axis { 1, 2, 3, 4, 5, 6, 7 } distance { 4/2 } }", 1,
       {"错误: @部件'p'没有关联节点. [distance]"}, [](ControlTest& t) {
         auto* p = t.Ctrl<CSgPart>("p");
         EXPECT_STREQ(p->Tool(), "driver");
         EXPECT_EQ(Of(p->Axis(), 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));
         EXPECT_EQ(p->Distance(), 2.0f);
         EXPECT_EQ(p->InitCount(), 1);
       }},
  });
}

TEST_F(ControlTest, EditsMapsAreasAndKeys) {
  RunRows(*this, {
      {"edit { name { e } position { 10, 20 } size { 200, 24 } }", 1, {}, [](ControlTest& t) {
         auto* e = t.Ctrl<CSgEdit>("e");
         ASSERT_NE(e, nullptr);
         EXPECT_EQ(e->OnScreen(), 1);
         EXPECT_EQ(e->ScreenPosition(), (std::vector<float>{10, 20, 1}));
         EXPECT_EQ(Of(e->ScreenSize(), 2), (std::vector<float>{200, 24}));
         EXPECT_EQ(e->UpdateCount(), 1);
         EXPECT_EQ(e->Reading(), 0);
       }},
      {"edit { name { e } field { /scene/a } size { 10, 2 } position { 3, 1 } }", 1, {}, [](ControlTest& t) {
         auto* e = t.Ctrl<CSgEdit>("e");
         EXPECT_EQ(e->OnScreen(), 0);
         EXPECT_EQ(e->Columns(), 10);
         EXPECT_EQ(e->UpdateCount(), 2) << "moved, then drawn";
       }},
      {"edit { name { e } field { /scene/a } size { 10, 2 } position { 12, 0 } }", 1,
       {"错误: @编辑框文字位置超出边界. [position]"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgEdit>("e")->UpdateCount(), 1) << "not drawn"; }},
      {"edit { name { e } field { /scene/a } size { 10, 2 } position { -1, 0 } }", 1,
       {"错误: @编辑框文字位置超出边界. [position]"}, nullptr},
      {"edit { name { e } field { /scene/a } }", 1, {"错误: @编辑框文字位置超出边界. [field]"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgEdit>("e")->Columns(), 0) << "a grid box needs a size"; }},
      {"edit { name { e } field { /scene/a } size { 1, 1 } color { 0.9, 0.9, 0.9 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(Of(t.Ctrl<CSgEdit>("e")->BackColor(), 3), (std::vector<float>{0, 0, 0})); }},
      {"edit { name { e } field { /scene/a } size { 1, 1 } color { 0.1, 0.2, 0.3 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(Of(t.Ctrl<CSgEdit>("e")->BackColor(), 3), (std::vector<float>{1, 1, 1})); }},
      {"edit { name { e } field { /scene/a } size { 1, 1 } color { 0, 0, 1, 0.5, 0.5, 0.5 } }", 1, {}, [](ControlTest& t) {
         EXPECT_EQ(Of(t.Ctrl<CSgEdit>("e")->TextColor(), 3), (std::vector<float>{0, 0, 1}));
         EXPECT_EQ(Of(t.Ctrl<CSgEdit>("e")->BackColor(), 3), (std::vector<float>{0.5f, 0.5f, 0.5f}));
       }},
      {"edit { name { e } color { 0.1, 0.2, 0.3 } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgEdit>("e")->BackColor(), nullptr) << "a screen box has none"; }},
      {"edit { name { e } content { \"a,b\" } }", 1, {"错误: @文字内容中的英文',' 应写为中文'，'."},
       [](ControlTest& t) { EXPECT_STREQ(t.Ctrl<CSgEdit>("e")->Text(), "a,b"); }},
      {"edit { name { e } content { } group { 4 } }", 1, {}, [](ControlTest& t) {
         EXPECT_STREQ(t.Ctrl<CSgEdit>("e")->Text(), "");
         EXPECT_EQ(t.Ctrl<CSgEdit>("e")->Group(), 4) << "the empty value's brace is not taken twice";
       }},
      {"edit { name { e } font { size { 三号 } } }", 1, {},
       [](ControlTest& t) { EXPECT_EQ(Utf8(t.Ctrl<CSgEdit>("e")->Font()), "黑体 -21"); }},
      {"edit { name { e } font { 无此字体 } size { 1, 1 } }", 1, {"错误: @'无此字体' 不是关键字. [无此字体]"},
       [](ControlTest& t) { EXPECT_STREQ(t.Ctrl<CSgEdit>("e")->Font(), "") << "a failed font block is dropped"; }},
      {"edit { name { e } property { single, password, wrap, readonly } }", 1,
       {"错误: @无效字符串 'wrap', 忽略. [property]"}, [](ControlTest& t) {
         EXPECT_EQ(t.Ctrl<CSgEdit>("e")->Options(), SG_EDIT_SINGLE | SG_EDIT_PASSWORD);
         EXPECT_EQ(t.Ctrl<CSgEdit>("e")->ReadOnly(), 0) << "the unknown word ends the list";
       }},
      {"map { name { m } bitmap_templ { a.bmp } bitmap { b.bmp } bitmap_templ { c.bmp } scale { 4 } }", 1, {},
       [](ControlTest& t) {
         auto* m = t.Ctrl<CSgMap>("m");
         ASSERT_NE(m, nullptr);
         EXPECT_STREQ(m->Files(), "b.bmp;a.bmp;c.bmp");
         EXPECT_EQ(m->Scale(), 0.25f);
         EXPECT_EQ(m->CreateCount(), 1);
         EXPECT_EQ(m->VerticalAxisFlag(), 1);
       }},
      {"map { name { m } color { x } scale { 0 } }", 1, {"#: invalid keyword color, ignored"},
       [](ControlTest& t) { EXPECT_EQ(t.Ctrl<CSgMap>("m")->Scale(), 1.0f) << "no division by zero"; }},
      {"area { name { r } rect { 0, 0, 100, 50 } point { 1 } }", 1, {"#: invalid keyword point, ignored"},
       [](ControlTest& t) {
         auto* a = t.Ctrl<CSgArea>("r");
         ASSERT_EQ(a->Points().size(), 5u);
         EXPECT_EQ(a->Points()[2].x, 100.0f);
         EXPECT_EQ(a->Points()[2].y, 50.0f);
         EXPECT_EQ(a->Points()[4].x, a->Points()[0].x);
         EXPECT_EQ(a->Depth(), 10.0f);
       }},
      {"keymap { name { k } key { F5 } } key_map { name { j } key { Esc } }", 1, {}, [](ControlTest& t) {
         EXPECT_STREQ(t.Ctrl<CSgKeyMap>("k")->KeyCode(), "f5");
         EXPECT_STREQ(t.Ctrl<CSgKeyMap>("j")->KeyCode(), "esc");
       }},
  });
}

TEST_F(ControlTest, MapTakesTheScenesVerticalAxis) {
  const float z[3] = {0, 0, 1};
  root->SgView()->SetVerticalAxis(z);
  ReadOutcome o = Read("script {\n map { name { m } }\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_EQ(Ctrl<CSgMap>("m")->VerticalAxisFlag(), 0);
}

}  // namespace
