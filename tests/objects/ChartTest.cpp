// Charts and tables: the runtime objects a block makes or updates, and what it reports.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Chart.h"
#include "sg/Gfx.h"
#include "sg/Image.h"
#include "sg/Variable.h"
#include "support/ScriptFixture.h"

namespace {

class ChartTest : public ScriptTest {
 public:
  using ScriptTest::root;
  template <class T = CChartObject>
  T* Chart(const char* name) {
    return dynamic_cast<T*>(root->chartObjects().Find(name));
  }
  int Charts() const { return root->chartObjects().Count(); }
};

TEST_F(ChartTest, EachTypeMakesItsClass) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"percent", "CPercent"},   {"DashBoard", "CDashBoard"}, {"histogram", "CHistogram"},
      {"curve", "CCurve"},       {"number", "CNumber"},       {"chart", "CChart"},
      {"guide", "CGuideLine"},   {"Thermo graphy", "CThermography"},
  };
  for (const auto& [type, kind] : rows) {
    SCOPED_TRACE(type);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\nchart { name { c } type { " + type + " } }\n}\n");
    EXPECT_TRUE(o.messages.empty()) << Joined(o);
    ASSERT_NE(Chart("c"), nullptr);
    EXPECT_EQ(Chart("c")->KindName(), kind);
    EXPECT_EQ(Chart("c")->Initialized(), 1);
  }
}

TEST_F(ChartTest, Blocks) {
  struct Row {
    std::string blocks;
    int charts;          // chart objects of the module afterwards
    std::string error;   // the graphics library's error text ("" for none)
    int messages;
    std::function<void(ChartTest&)> check;
  };
  const std::vector<Row> rows = {
      {"chart { name { c } range { 1, 2 } }", 0, "图表没有创建或没有指定图表类型!", 0, nullptr},
      {"chart { name { c } type { pie } }", 0, "图表没有创建或没有指定图表类型!", 0, nullptr},
      // A second block with a type updates the chart of its name.
      {"chart { name { c } type { dashboard } range { 0, 10 } }\n"
       "chart { name { c } type { histogram } range { 5, 6 } enable { FALSE } }",
       1, "", 0,
       [](ChartTest& t) {
         auto* d = t.Chart<CDashBoard>("c");
         ASSERT_NE(d, nullptr);
         EXPECT_EQ(d->Range()[0], 5);
         EXPECT_EQ(d->Range()[1], 6);
         EXPECT_EQ(d->Enabled(), 0);
       }},
      // Without a type the block updates the chart it names.
      {"chart { name { c } type { number } }\nchart { name { c } title { \"仪表 A\" } range { 1, 9 } }", 1, "", 0,
       [](ChartTest& t) {
         auto* n = t.Chart<CNumber>("c");
         ASSERT_NE(n, nullptr);
         EXPECT_EQ(Utf8(n->Title()), "仪表 A") << "without its quotes";
         EXPECT_EQ(n->Bounds()[1], 9);
         EXPECT_EQ(n->Initialized(), 2);
       }},
      {"chart { name { h } type { histogram } property { LEFT } }", 1, "", 0,
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CHistogram>("h")->Orientation(), 2); }},
      {"chart { name { h } type { histogram } property { down sideways } }", 1, "", 1,
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CHistogram>("h")->Orientation(), 1); }},
      {"chart { name { c } type { curve } range { 1, 2, 3, 4 } color { 1, 0, 0, 0, 1, 0, 1 } }", 1, "", 0,
       [](ChartTest& t) {
         auto* c = t.Chart<CCurve>("c");
         EXPECT_EQ(c->YRange()[0], 3);
         EXPECT_EQ(c->YRange()[1], 4);
         EXPECT_EQ(c->ColorCount(), 2);
       }},
      {"chart { name { g } type { guide } position { 0, 0, 0, 1, 1, 1, 2 } size { 3 } }", 1, "", 0,
       [](ChartTest& t) {
         auto* g = t.Chart<CGuideLine>("g");
         EXPECT_EQ(g->Points(), (std::vector<float>{0, 0, 0, 1, 1, 1}));
         EXPECT_EQ(g->Width(), 3);
       }},
      {"chart { name { t } type { thermography } position { 1, 2, 3, 4, 5, 6 } size { 7, 8 } }", 1, "", 0,
       [](ChartTest& t) {
         auto* th = t.Chart<CThermography>("t");
         CSgVariable* v = th->PositionVariable();
         ASSERT_NE(v, nullptr);
         EXPECT_EQ(v->VarType(), 0x1008);
         ASSERT_EQ(v->GetSize(), 6);
         for (int i = 0; i < 6; ++i) EXPECT_EQ(v->Element(i)->GetFloat(), i + 1);
         EXPECT_EQ(t.root->variables().Find(v->Name()), v) << "the module owns it";
         EXPECT_EQ(th->HeatRadius(), 7);
         EXPECT_EQ(th->Altitude(), 8);
       }},
      {"chart { name { c } type { percent } variable { name { lv } type { float } } }", 1, "", 0,
       [](ChartTest& t) {
         CSgVariable* lv = t.root->variables().Find("lv");
         ASSERT_NE(lv, nullptr);
         EXPECT_EQ(t.Chart("c")->ValueVariable(), lv);
       }},
      // Container: the image fits and keeps its place; the nested charts are filed and listed.
      {"chart { name { box } type { chart } position { 0, 0 } size { 10, 10 }\n"
       " image { name { bg } rect { -2, 2, 2, -2 } }\n"
       " chart { name { a } type { percent } } chart { name { b } type { number } } }",
       3, "", 0,
       [](ChartTest& t) {
         auto* box = t.Chart<CChart>("box");
         ASSERT_NE(box, nullptr);
         ASSERT_EQ(box->Objects().size(), 2u);
         EXPECT_EQ(box->Objects()[0], t.Chart("a"));
         EXPECT_EQ(box->Objects()[1], t.Chart("b"));
         CSgImage* bg = box->Image();
         ASSERT_NE(bg, nullptr);
         EXPECT_EQ(bg->Stretch(), 0);
         EXPECT_EQ(bg->Size()[0], 4);
       }},
      // An image outside the container is moved and sized to it.
      {"chart { name { box } type { chart } position { 0, 0 } size { 10, 10 } image { name { bg } rect { 4, 4, 8, 0 } } }",
       1, "", 0,
       [](ChartTest& t) {
         CSgImage* bg = t.Chart<CChart>("box")->Image();
         ASSERT_NE(bg, nullptr);
         EXPECT_EQ(bg->Position()[0], 0);
         EXPECT_EQ(bg->Size()[0], 10);
         SgFieldInfo placed;
         ASSERT_EQ(SgGetFieldInfo(bg->ImageKey(), &placed), 1);
         EXPECT_EQ(placed.imageSize[0], 10) << "the scene follows";
       }},
      // A nested chart that yields nothing stops the container, which is not filed.
      {"chart { name { box } type { chart } chart { name { none } } size { 1, 1 } }", 0,
       "图表没有创建或没有指定图表类型!", 1, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.blocks);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.blocks + "\n}\n");
    EXPECT_EQ((int)o.messages.size(), r.messages) << Joined(o);
    EXPECT_EQ(Charts(), r.charts);
    EXPECT_EQ(Utf8(SgGetErrorMessage()), r.error);
    if (r.check) r.check(*this);
  }
}

TEST_F(ChartTest, Tables) {
  struct Row {
    std::string blocks;
    std::vector<std::string> messages;  // each must hold its text
    std::function<void(ChartTest&)> check;
  };
  const std::string vars = "variable { name { a } } variable { name { b } } variable { name { c } }\n";
  const std::vector<Row> rows = {
      {vars + "table { name { t } items { a, b, c } values { b, c } size { 5, 6 } enable { maybe } }", {},
       [](ChartTest& t) {
         auto* tab = t.Chart<CTable>("t");
         ASSERT_NE(tab, nullptr);
         ASSERT_EQ(tab->LineNum(), 3);
         EXPECT_EQ(tab->ItemVariable(2), t.root->variables().Find("c"));
         EXPECT_EQ(tab->LineValueVariable(1), t.root->variables().Find("c"));
         EXPECT_EQ(tab->LineValueVariable(2), nullptr);
         EXPECT_EQ(tab->Size()[1], 6);
         EXPECT_EQ(tab->Shown(), 1);
         EXPECT_EQ(tab->Initialized(), 1);
       }},
      {"table { name { t } enable { false } }", {},
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CTable>("t")->Shown(), 0); }},
      // A table block naming an existing chart object updates it; nothing new is filed.
      {"chart { name { t } type { percent } }\ntable { name { t } title { T } }", {},
       [](ChartTest& t) {
         EXPECT_EQ(t.Charts(), 1);
         EXPECT_EQ(t.Chart<CPercent>("t")->Title(), "T");
       }},
      // Each failure is reported and reading goes on (the list keeps the first error only).
      {"table { name { t } items { nosuch } values { a } }", {"items变量设置失败"},
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CTable>("t")->LineNum(), 0); }},
      {vars + "table { name { t } values { nosuch } items { a } }", {"values变量设置失败"},
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CTable>("t")->LineNum(), 1); }},
      {"table { name { t } property { Horizontal vertical } }", {"无效字符串 'vertical'"}, nullptr},
      {"table { name { t } count { 3 } title { T } }", {"无效关键字 'count'"},
       [](ChartTest& t) { EXPECT_EQ(t.Chart<CTable>("t")->Title(), "T"); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.blocks);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.blocks + "\n}\n");
    ASSERT_EQ(o.messages.size(), r.messages.size()) << Joined(o);
    for (size_t i = 0; i < r.messages.size(); ++i) EXPECT_NE(o.messages[i].find(r.messages[i]), std::string::npos) << o.messages[i];
    if (r.check) r.check(*this);
  }
}

}  // namespace
