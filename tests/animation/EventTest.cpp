// Controllers and the events read inside them: life and speed, the stopping rule, and what each
// event reader hands its runtime event.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "sg/Animation.h"
#include "sg/Curve.h"
#include "sg/Event.h"
#include "lexer/ScrKeywordTable.h"
#include "sg/Gfx.h"
#include "support/ScriptFixture.h"

namespace {

using Floats = std::vector<float>;

class EventTest : public ScriptTest {
 public:
  std::string Where() { return "(" + dir.path() + "/main.scr) 第4行"; }  // where the events stand
  CTEventController* Controller() {
    auto* a = dynamic_cast<CAnimation*>(root->FindAnimationLocal("a"));
    return a && a->ControllerCount() ? a->Controller(0) : nullptr;
  }
  CTEvent* Event(int i = 0) { return Controller() ? Controller()->Event(i) : nullptr; }
  template <class T>
  T* As(int i = 0) {
    return dynamic_cast<T*>(Event(i));
  }

  struct Row {
    std::string body;                   // inside "controller { ... }", on line 4
    int result;
    std::vector<std::string> messages;  // '@' stands for "(file) 第4行"
    std::function<void(EventTest&)> check;
  };
  void Run(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      SCOPED_TRACE(r.body);
      TearDown();
      SetUp();
      SgOpenField("/scene/a");
      const float rgba[4] = {0.25f, 0.5f, 0.75f, 1};
      SgSetMaterialDiffuse(rgba);
      SgCloseField();
      ReadOutcome o = Read("script {\nint x\nanimation { name { a } controller {\n" + r.body + "\n} }\n}\n");
      EXPECT_EQ(o.result, r.result) << Joined(o);
      std::vector<std::string> expected;
      for (std::string m : r.messages) expected.push_back(m.replace(m.find('@'), 1, Where()));
      EXPECT_EQ(o.messages, expected);
      ASSERT_NE(Controller(), nullptr);
      if (r.check) r.check(*this);
    }
  }
};

TEST_F(EventTest, Controllers) {
  Run({
      {"", 1, {}, [](EventTest& t) { EXPECT_EQ(t.Controller()->EventCount(), 0); }},
      {"life { 5 }", 1, {"错误: @life 参数个数错误，应为2个. "},
       [](EventTest& t) {
         EXPECT_EQ(t.Controller()->LifeStart(), 5.0f);
         EXPECT_EQ(t.Controller()->LifeEnd(), 0.0f);
       }},
      // Numbers apart by blanks stand in one token; each counts.
      {"life { 0 1000 }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Controller()->LifeStart(), 0.0f);
         EXPECT_EQ(t.Controller()->LifeEnd(), 1000.0f);
       }},
      {"life { 0 10 20 }", 1, {"错误: @life 参数个数错误，应为2个. "},
       [](EventTest& t) { EXPECT_EQ(t.Controller()->LifeEnd(), 10.0f); }},
      {"life { 1/2, 100 } speed { 2 }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Controller()->LifeStart(), 0.5f);
         EXPECT_EQ(t.Controller()->LifeEnd(), 100.0f);
         EXPECT_EQ(t.Controller()->Speed(), 2.0f);
       }},
      // Names make a variable list, which a controller has no use for; nor has it for unknown ones.
      {"life { x, 10 } life { nosuch, 1 } speed { 3 }", 1, {},
       [](EventTest& t) {
         EXPECT_FALSE(t.Controller()->LifeSet());
         EXPECT_EQ(t.Controller()->Speed(), 3.0f) << "the list was passed over whole";
       }},
      {"vehicle { v } stretch { values { 1, 1, 1, 2, 2, 2, 3, 3, 3 } }", 1, {"错误: @无效关键字 'vehicle', 忽略. [vehicle]"},
       [](EventTest& t) {
         ASSERT_EQ(t.Controller()->EventCount(), 1);
         EXPECT_EQ(t.As<CTEventScale>()->Values("basis"), Floats({3, 3, 3}));
       }},
      // A failed event stops the controller; what was read stays bound.
      {"shift { values { 0, 0, 1, 1 } } transparency { field { /scene/a } type { blink } } rotate { }", 0,
       {"错误: @无效设置选项'blink'. [type]"},
       [](EventTest& t) {
         ASSERT_EQ(t.Controller()->EventCount(), 2);
         EXPECT_EQ(t.As<CTEventTextureMove>(0)->Values("end"), Floats({1, 1}));
       }},
      {"program { x = 1; } life { 0, 1 }", 1, {},
       [](EventTest& t) {
         auto* p = t.As<CTEventProgram>();
         ASSERT_NE(p, nullptr);
         EXPECT_NE(p->Program(), nullptr);
         EXPECT_TRUE(t.Controller()->LifeSet());
       }},
  });
}

TEST_F(EventTest, MotionAndAppearance) {
  Run({
      {"rotate { field { /scene/a } axis { y } values { 90 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("axis"), Floats({0, 0, 0, 0, 1, 0}));
         EXPECT_EQ(t.Event()->Values("angle"), Floats({90}));
       }},
      {"rotate { field { /scene/a } axis { x } values { 1, 2, 3, 0, 0, 1, 45 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Values("axis"), Floats({1, 2, 3, 0, 0, 1})); }},
      {"rotate { axis { x } values { 1, 2, 3, 0, 0, 1, 45 } }", 0, {"错误: @找不到field ''. [values]"}, nullptr},
      {"transparency { field { /scene/a } values { 0.5 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("transparent"), Floats({0, 0.5f}));
         EXPECT_EQ(t.Event()->Int("changeTo"), 1);
       }},
      {"transparency { field { /scene/a } values { 0.2, 0.8 } type { fadeout } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("transparent"), Floats({0.2f, 0.8f}));
         EXPECT_EQ(t.Event()->Int("changeTo", -1), 0);
         EXPECT_EQ(t.Event()->Int("fade"), 2);
       }},
      {"transparency { values { 1 } }", 1, {"警告: @没有指定透明变换的节点. [values]"}, nullptr},
      {"transparency { field { /scene/new } }", 1,
       {"警告: @没有找到节点'/scene/new'，是否在执行期间创建该节点. [field]"},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Keys(), std::vector<SGKEY>{SgFieldExists("/scene/new")}); }},
      // camera: each kind with its count; a wrong count keeps only the kind
      {"camera { type { to } values { 1, 2, 3, 4, 5, 6, 7, 8 } }", 1, {"错误: @camera 参数个数错误，应为9个. "},
       [](EventTest& t) {
         EXPECT_EQ(t.As<CTEventCamera>()->CameraType(), 1);
         EXPECT_TRUE(t.Event()->Values("newCamera").empty());
       }},
      {"camera { type { to } values { 1, 2, 3, 4, 5, 6, 7, 8, 9 } string { v1 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("newCamera").size(), 9u);
         EXPECT_STREQ(t.Event()->Text("viewport"), "v1");
       }},
      {"camera { type { rotation } values { 1, 2 } }", 1, {"错误: @camera 参数个数错误，应为3个. "}, nullptr},
      {"camera { type { rotation } values { 1, 2, 3 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Values("rotation"), Floats({1, 2, 3})); }},
      {"camera { type { around } values { 1 } }", 1, {"错误: @camera 参数个数错误，应为7或8个. "}, nullptr},
      {"camera { type { around } values { 1, 2, 3, 4, 5, 6, 7 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Values("aroundAngle"), Floats({7, 0})); }},
      {"camera { values { 1 } }", 1, {"错误: @camera 参数个数错误，应为18个. "}, nullptr},
      {"camera { values { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Values("newCamera")[0], 10.0f); }},
      {"camera { type { fov } values { 1, 2 } }", 1, {"错误: @camera 参数个数错误，应为1个. "}, nullptr},
      {"camera { type { advance } values { 5 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Values("advance"), Floats({5})); }},
      {"camera { type { advance } values { 1, 2, 3 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.As<CTEventCamera>()->CameraType(), 6);
         EXPECT_EQ(t.Event()->Values("advanceVector"), Floats({1, 2, 3}));
       }},
      {"mark { field { /scene/a } property { nostretch } }", 1, {},
       [](EventTest& t) { EXPECT_FALSE(t.Event()->HasInt("option")); }},
      {"mark { field { /scene/a } property { stretch } color { 1, 0, 0 } size { 3, 4 } bitmap { m.bmp } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Int("option"), 1);
         EXPECT_EQ(t.Event()->Values("size"), Floats({3}));
         EXPECT_STREQ(t.Event()->Text("bitmap"), "m.bmp");
       }},
      // material: three values start from the node's colour; six give both ends
      {"material { field { /scene/a } values { 1, 0, 0 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("startColor"), Floats({0.25f, 0.5f, 0.75f}));
         EXPECT_EQ(t.Event()->Values("endColor"), Floats({1, 0, 0}));
       }},
      {"material { type { ambient } values { 0, 0, 0, 1, 1, 1 } field { x } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Int("channel"), 1);
         EXPECT_EQ(t.Event()->Values("startColor"), Floats({0, 0, 0}));
         EXPECT_NE(t.As<CTEventColor>()->FieldVar(), nullptr) << "the node is computed at run time";
       }},
      {"material { type { shiny } }", 0, {"错误: @无效字符串 'shiny', 忽略. [type]"}, nullptr},
      {"line { color { 1, 0, 0 } point { 0, 0, 0 } point { 1, 1, 1 } values { 2, 3, 4 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.As<CTEventLine>()->PointCount(), 2);
         EXPECT_EQ(t.Event()->Values("param"), Floats({2, 3, 4, -1, -1, -1}));
       }},
      // track: a direction, then two polylines that both take it, then an arc
      {"track { interpolation { linear } field { /scene/a } curve { direction { 0, 0, 1 }"
       " polyline { point { 1, 2 } point { 1, 2, 3, 4 } } polyline { point { 5, 5, 5 } }"
       " arc { type { anticlockwise } center { 1, 1, 1 } point { 0, 0, 0 } point { 2, 2, 2 } } } }",
       1, {},
       [](EventTest& t) {
         auto* e = t.As<CTEventTrackEx>();
         ASSERT_NE(e, nullptr);
         ASSERT_NE(e->Curve(), nullptr);
         ASSERT_EQ(e->Curve()->CurveCount(), 3);
         auto* first = dynamic_cast<CSgCurvePolyline*>(e->Curve()->Curve(0));
         ASSERT_NE(first, nullptr);
         EXPECT_EQ(first->Points(), Floats({1, 2, 1, 1, 2, 3})) << "z = 1 by default; a fourth number is passed over";
         EXPECT_EQ(first->Normal(), Floats({0, 0, 1}));
         EXPECT_EQ(e->Curve()->Curve(1)->Normal(), Floats({0, 0, 1}));
         auto* arc = dynamic_cast<CSgCurveArc*>(e->Curve()->Curve(2));
         ASSERT_NE(arc, nullptr);
         EXPECT_EQ(arc->Clockwise(), 1) << "anticlockwise holds the word";
         EXPECT_EQ(arc->End()[0], 2.0f);
         EXPECT_EQ(e->Int("initialPositions"), 1);
       }},
      {"track { fields { nothing* } }", 0, {"错误: @找不到field 'nothing*'. [fields]"}, nullptr},
  });
}

TEST_F(EventTest, MediaAndEffects) {
  Run({
      {"sound { wave { a.wav } option { loop } volume { 0.5 } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(t.Event()->Int("playOption"), 1); }},
      {"sound { option { twice } }", 1, {"错误: @无效字符串 'twice', 忽略. [option]"},
       [](EventTest& t) { EXPECT_FALSE(t.Event()->HasInt("playOption")); }},
      {"beam { diffuse_int { 255, 0, 0, 0, 0, 255 } position { 1, 2, 3, 4 } }", 1, {},
       [](EventTest& t) {
         EXPECT_EQ(t.Event()->Values("diffuse"), Floats({1, 0, 0, 0, 0, 1}));
         EXPECT_TRUE(t.Event()->Values("position").empty());
         EXPECT_TRUE(t.Event()->Values("positionTo").empty());
       }},
      {"avi { field { /scene/a } path { img/f.bmp } property { 3d, onmemory } count { 4, 2 } mask_int { 255, 0, 0 } }",
       1, {},
       [](EventTest& t) {
         ASSERT_NE(t.As<CTEventTextureChange>(), nullptr);
         EXPECT_EQ(t.Event()->Values("count"), Floats({4, 2}));
         EXPECT_EQ(t.Event()->Int("loaded"), 1);
         EXPECT_EQ(t.Event()->Values("mask"), Floats({1, 0, 0}));
       }},
      // the particle system and the soft surface keep every setting
      {"particle { name { p } count { 100 } painter { size { 2 } color { 1, 0, 0 } } free { field { /scene/a } } }", 1, {},
       [](EventTest& t) {
         auto* e = dynamic_cast<CTEventProperties*>(t.Event());
         ASSERT_NE(e, nullptr);
         std::vector<std::string> got;
         for (const auto& p : e->Properties()) got.push_back(p.path + "=" + p.value);
         EXPECT_EQ(got, (std::vector<std::string>{"name=p", "count=100", "painter/size=2", "painter/color=1 0 0",
                                                   "free/field=/scene/a"}));
       }},
      {"soft { life { 0, 10 } sea { amplitude { 3 } } }", 1, {},
       [](EventTest& t) { EXPECT_EQ(dynamic_cast<CTEventProperties*>(t.Event())->Properties().size(), 2u); }},
  });
}

// A "2d" sequence places the numbered images there are, with their templates, hidden under the
// node; it ends at the first missing number whatever the count says.
TEST_F(EventTest, ImageSequences) {
  dir.WriteBytes("img/f0.bmp", "BM");
  dir.WriteBytes("img/f_templ0.bmp", "BM");
  dir.WriteBytes("img/f1.bmp", "BM");
  const std::string stem = dir.path() + "/img/f";
  Run({
      {"avi { field { /scene/a } path { " + stem + ".bmp } property { 2d } count { 1000000000 } }", 1, {},
       [](EventTest& t) {
         auto* e = t.As<CTEventAvi>();
         ASSERT_NE(e, nullptr);
         ASSERT_EQ(e->Keys().size(), 2u);
         int visible = 1;
         SgShowVisibilityByKey(e->Keys()[0], &visible);
         EXPECT_EQ(visible, 0);
         EXPECT_NE(SgFieldContents(e->Keys()[0], "mask"), nullptr);
         EXPECT_EQ(SgFieldContents(e->Keys()[1], "mask"), nullptr);
       }},
      {"avi { path { " + stem + " } property { 2d } count { 3 } }", 1, {},
       [](EventTest& t) {
         EXPECT_TRUE(t.Event()->Keys().empty());
         EXPECT_EQ(Utf8(SgGetErrorMessage()), "文件名错误!");
       }},
  });
}

// Every word the keyword table lets stand in a particle system or a soft surface, and in their
// inner blocks, is kept as a setting without a message, also a word that is a block elsewhere
// (a painter's transparency is a number, not the transparency event's block).
TEST_F(EventTest, ParticleAndSoftTakeEveryWordOfTheTable) {
  const std::set<std::string> inner = {"pipeling", "ship", "painter", "free", "ball", "sea", "lake"};
  auto children = [](const char* parent) {
    std::vector<std::string> out;
    std::string list = ScrFindKeywordRecord(parent)->allowed, w;
    for (char c : list + ",") {
      if (c == ',') {
        if (!w.empty()) out.push_back(w);
        w.clear();
      } else if (c != ' ') {
        w += c;
      }
    }
    return out;
  };
  std::vector<std::pair<std::string, std::string>> cases;  // the body, the setting it leaves
  for (const char* event : {"particle", "soft"}) {
    for (const std::string& c : children(event)) {
      if (!inner.count(c)) {
        cases.push_back({std::string(event) + " { " + c + " { 7 } }", c + "=7"});
        continue;
      }
      for (const std::string& g : children(c.c_str()))
        cases.push_back({std::string(event) + " { " + c + " { " + g + " { 7 } } }", c + "/" + g + "=7"});
    }
  }
  ASSERT_GT(cases.size(), 50u);
  std::vector<Row> rows;
  for (const auto& [body, setting] : cases)
    rows.push_back({body, 1, {}, [setting = setting](EventTest& t) {
                      auto* e = dynamic_cast<CTEventProperties*>(t.Event());
                      ASSERT_NE(e, nullptr);
                      ASSERT_EQ(e->Properties().size(), 1u);
                      EXPECT_EQ(e->Properties()[0].path + "=" + e->Properties()[0].value, setting);
                    }});
  Run(rows);
}

}  // namespace
