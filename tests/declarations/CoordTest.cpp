// Coordinates, check coordinates, vectors, poles and screws: the variables they make, the value
// counts they need, their nodes, and their names inside script-function expansions.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Geometry.h"
#include "sg/Gfx.h"
#include "support/ScriptFixture.h"

namespace {

class CoordTest : public ScriptTest {
 public:
  std::string Where() { return "(" + dir.path() + "/main.scr) "; }
  template <class T>
  T* Var(const char* name, CSgModule* m = nullptr) {
    return dynamic_cast<T*>((m ? m : root.get())->FindVariableLocal(name));
  }
  static std::vector<float> Of(const float* v, int n) { return std::vector<float>(v, v + n); }
};

TEST_F(CoordTest, BlocksAndTheirValueCounts) {
  struct Row {
    std::string block;    // the line after "script {"
    int result;
    std::string message;  // the one message after "错误: (file) 第2行" or "警告: (file) 第2行"; "" for none
    std::function<void(CoordTest&)> check;
  };
  const std::vector<Row> rows = {
      {"coord { name { p } values { 1, 2, 3 } field { /scene/a } }", 1, "", [](CoordTest& t) {
         auto* p = t.Var<CSgCoord>("p");
         ASSERT_NE(p, nullptr);
         EXPECT_EQ(p->TypeCode(), SGT_COORD);
         EXPECT_EQ(Of(p->Coord(), 3), (std::vector<float>{1, 2, 3}));
         EXPECT_EQ(p->FieldKey(), SgFieldExists("/scene/a"));
       }},
      {"check_coord { values { 1, 2, 3, 0.5 } name { c } }", 1, "", [](CoordTest& t) {
         auto* c = t.Var<CSgCheckCoord>("c");  // values before the name still reach it
         ASSERT_NE(c, nullptr);
         EXPECT_EQ(c->Coord()[2], 3.0f);
         EXPECT_EQ(c->ExtraValue(), 0.5f);
       }},
      {"coord { name { p } values { 1, 2 } }", 0, "错误: @Coord位置参数少于3个. [values]", nullptr},
      {"check_coord { name { c } values { 1 } }", 0, "错误: @Coord位置参数少于3个. [values]", nullptr},
      {"vector { name { v } values { 1, 2 } }", 0, "错误: @Coord位置参数少于3个. [values]", nullptr},
      {"vector { name { v } values { 0, 0, 1 } }", 1, "", [](CoordTest& t) {
         ASSERT_NE(t.Var<CSgVector>("v"), nullptr);
         EXPECT_EQ(t.Var<CSgVector>("v")->Vector()[2], 1.0f);
       }},
      {"pole { name { q } values { 0, 0, 0, 1, 1, 1 } }", 1, "", [](CoordTest& t) {
         ASSERT_NE(t.Var<CSgPole>("q"), nullptr);
         EXPECT_EQ(Of(t.Var<CSgPole>("q")->Pole(), 6), (std::vector<float>{0, 0, 0, 1, 1, 1}));
       }},
      {"pole { name { q } values { 0, 0, 0, 1, 1 } }", 0, "错误: @Coord位置参数少于6个. [values]", nullptr},
      {"screw { name { s } axis { 0, 0, 1 } values { 90, 45 } }", 1,
       "警告: @values参数大于1个，后面的忽略. [values]", [](CoordTest& t) {
         auto* s = t.Var<CSgScrew>("s");
         ASSERT_NE(s, nullptr);
         EXPECT_EQ(s->Value(), 90.0f);
         EXPECT_EQ(Of(s->AxisWorld(), 3), (std::vector<float>{0, 0, 1}));
         EXPECT_EQ(s->Initialized(), 1);
       }},
      {"screw { name { s } axis { 0, 1 } }", 0, "错误: @axis参数少于3个. [axis]", nullptr},
      {"coord { name { p } field { valve } }", 1,
       "警告: @没有找到节点'valve'，是否在执行期间创建该节点. [field]", [](CoordTest& t) {
         EXPECT_NE(SgFieldExists("/valve"), SG_NO_KEY) << "the missing node is made";
         EXPECT_EQ(t.Var<CSgCoord>("p")->FieldKey(), SgFieldExists("/valve"));
       }},
      {"coord { name { p } color { 1 } values { 1, 2, 3 } }", 1, "错误: @无效关键字 'color', 忽略. [color]",
       [](CoordTest& t) { EXPECT_EQ(t.Var<CSgCoord>("p")->Coord()[0], 1.0f); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.block);
    TearDown();  // a fresh scene, module and reader for every row
    SetUp();
    SgOpenField("/scene/a");
    SgCloseField();
    ReadOutcome o = Read("script {\n" + r.block + "\ndefine { AFTER 1 }\n}\n");
    EXPECT_EQ(o.result, r.result);
    if (r.message.empty()) {
      EXPECT_TRUE(o.messages.empty()) << Joined(o);
    } else {
      std::string expected = r.message;
      expected.replace(expected.find('@'), 1, Where() + "第2行");
      ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
      EXPECT_EQ(o.messages[0], expected);
    }
    DWORD v;
    BYTE fl;
    EXPECT_EQ(reader->FindMacro("AFTER", v, fl), r.result) << "too few values stop the script";
    if (r.check) r.check(*this);
  }
}

TEST_F(CoordTest, NamesFindTheirOwnKindOnly) {
  ReadOutcome o = Read(
      "script {\n"
      "  coord { name { p } values { 1, 2, 3 } }\n"
      "  coord { name { p } values { 4, 5, 6 } }\n"
      "  check_coord { name { p } values { 7, 8, 9 } }\n"
      "}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0], "错误: " + Where() + "第4行变量'p'重复定义. [name]");
  ASSERT_EQ(root->variables().Count(), 1) << "the second block fills the first variable";
  EXPECT_EQ(Var<CSgCoord>("p")->Coord()[0], 4.0f) << "a coordinate is not filled as a check coordinate";
}

TEST_F(CoordTest, EveryExpansionMakesItsOwnVariable) {
  ReadOutcome o = Read(
      "script {\n"
      "  place(x) { module Rig { coord { name { p } values { x, 0, 0 } } } }\n"
      "  place(1)\n"
      "  place(2)\n"
      "}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_TRUE(o.messages.empty()) << Joined(o);
  CSgModule* rig = root->FindModule("Rig");
  ASSERT_NE(rig, nullptr);
  ASSERT_EQ(rig->variables().Count(), 2);
  auto* first = dynamic_cast<CSgCoord*>(rig->variables().At(0));
  auto* second = dynamic_cast<CSgCoord*>(rig->variables().At(1));
  ASSERT_TRUE(first && second);
  EXPECT_STRNE(first->Name(), second->Name());
  EXPECT_EQ(std::string(first->Name()).rfind("p", 0), 0u);
  EXPECT_EQ(first->Coord()[0], 1.0f);
  EXPECT_EQ(second->Coord()[0], 2.0f);
}

}  // namespace
