// Generators, skies, textures, lights, routes and message handlers read from whole scripts: what
// the module and the scene hold afterwards, and what was reported.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Animation.h"
#include "sg/Curve.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Platform.h"
#include "sg/SceneObjects.h"
#include "support/ScriptFixture.h"

namespace {

class SceneObjectsTest : public ScriptTest {
 public:
  void SetUp() override {
    ScriptTest::SetUp();
    CSgMsg::ResetMaxId();
  }
  CSgModule* Root() { return root.get(); }
  CGenerator* Gen() { return dynamic_cast<CGenerator*>(root->otherObjects().Find("g")); }
  CSgTexture* Tex() { return dynamic_cast<CSgTexture*>(root->textures().Find("t")); }
  CSgMsg* Msg(int i) { return dynamic_cast<CSgMsg*>(root->messages().At(i)); }
  static std::string Sky(const char* field, const char* what) {
    const char* v = SgFieldContents(SgFieldExists(field), what);
    return v ? v : "(none)";
  }

  struct Row {
    std::string blocks;  // inside "script { }", from line 2
    int result;
    std::vector<std::string> messages;  // '@' stands for "(file) 第"
    std::function<void(SceneObjectsTest&)> check;
  };
  void Run(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      SCOPED_TRACE(r.blocks);
      TearDown();
      SetUp();
      ReadOutcome o = Read("script {\n" + r.blocks + "\n}\n");
      EXPECT_EQ(o.result, r.result) << Joined(o);
      std::vector<std::string> expected = r.messages;
      for (std::string& m : expected) m.replace(m.find('@'), 1, "(" + dir.path() + "/main.scr) 第");
      EXPECT_EQ(o.messages, expected);
      if (r.check) r.check(*this);
    }
  }
};

TEST_F(SceneObjectsTest, Generators) {
  Run({
      {"int level\ngenerator { name { g } string { level } }", 1, {}, [](SceneObjectsTest& t) {
         CGenerator* g = t.Gen();
         ASSERT_NE(g, nullptr);
         EXPECT_EQ(g->Type(), CGenerator::TYPE_LINEAR);
         EXPECT_EQ(g->Continuous(), 0);
         EXPECT_EQ(g->ValueVariable(), t.Root()->FindVariable("level"));
         EXPECT_EQ(t.Root()->SgView()->DynamicObjectCount(), 1);
         EXPECT_EQ(std::vector<float>({g->Low(), g->High(), g->InitialValue(), g->Period()}),
                   std::vector<float>({0, 1, 0, 1000}));
       }},
      {"generator { name { g } type { S I N } }", 1, {},
       [](SceneObjectsTest& t) { EXPECT_EQ(t.Gen()->Type(), CGenerator::TYPE_SIN); }},
      {"generator { name { g } type { once } type { wave } }", 1, {}, [](SceneObjectsTest& t) {
         EXPECT_EQ(t.Gen()->Type(), CGenerator::TYPE_ONCE) << "an unknown type keeps the one before";
         EXPECT_EQ(Utf8(SgGetErrorMessage()), "发生器类型错误!");
       }},
      // A rejected property fails the block and so stops the script; the generator is kept.
      {"generator { name { g } property { Continuous, loop } period { 50 } }\ntexture { name { t } }", 0,
       {"错误: @2行无效字符串 'loop', 忽略. [property]"}, [](SceneObjectsTest& t) {
         EXPECT_EQ(t.Gen()->Continuous(), 1);
         EXPECT_EQ(t.Gen()->Period(), 50);
         EXPECT_EQ(t.Tex(), nullptr);
       }},
      {"generator { name { g } range { 2, 5, 9 } values { 1/4 } period { fast } }", 1, {},
       [](SceneObjectsTest& t) {
         EXPECT_EQ(std::vector<float>({t.Gen()->Low(), t.Gen()->High(), t.Gen()->InitialValue(), t.Gen()->Period()}),
                   std::vector<float>({2, 5, 0.25f, 1000}));
       }},
      {"generator { name { g } range { -1 1/2 } }", 1, {},
       [](SceneObjectsTest& t) { EXPECT_EQ(t.Gen()->High(), 0.5f); }},
      {"generator { name { g } string { nowhere } }", 0, {"错误: @2行没有找到变量nowhere. [string]"},
       [](SceneObjectsTest& t) { EXPECT_EQ(t.Gen()->ValueVariable(), nullptr); }},
      // A word in a range ends the block on the range's first number: reported, and the script
      // stops rather than read on from inside the block.
      {"generator { name { g } range { 3 x } }\ntexture { name { t } }", 0, {"错误: @2行'3 x' 不是关键字. [3 x]"},
       [](SceneObjectsTest& t) {
         EXPECT_EQ(t.Gen()->High(), 1);
         EXPECT_EQ(t.Tex(), nullptr);
       }},
  });
}

TEST_F(SceneObjectsTest, SkiesLightsAndTextures) {
  Run({
      {"sky { field { /scene/dome } }", 1, {}, [](SceneObjectsTest&) {
         EXPECT_EQ(Sky("/scene/dome", "sky"), SgHostDirectory() + Gbk("\\resource\\sky\\中午.jpg"));
         EXPECT_EQ(Sky("/scene/dome", "sky position"), "0 0 0");
         EXPECT_EQ(Sky("/scene/dome", "sky radius"), "10000");
         EXPECT_EQ(Sky("/scene/dome", "sky texture"), "1 1 0 0 0");
         EXPECT_EQ(SgCurrentField(), SG_NO_KEY) << "the current field is left as it was";
       }},
      {"sky { bitmap { 晴.jpg } radius { 1/2 } position { 1, 2, 3 } texture_param { 2, 2, 1, 0, 0 } }", 1, {},
       [](SceneObjectsTest&) {
         EXPECT_EQ(Utf8(Sky("/", "sky")), "晴.jpg");
         EXPECT_EQ(Sky("/", "sky radius"), "0.5");
         EXPECT_EQ(Sky("/", "sky position"), "1 2 3");
         EXPECT_EQ(Sky("/", "sky texture"), "2 2 1 0 0");
       }},
      // A sky never stops the script; one cut short is not made.
      {"sky { field { /scene/s } 5 }", 1, {"错误: @2行'5' 不是关键字. [5]"},
       [](SceneObjectsTest&) { EXPECT_EQ(SgFieldExists("/scene/s"), SG_NO_KEY); }},
      {"sky { bitmap { " + std::string(300, 'a') + " } }", 1, {},
       [](SceneObjectsTest&) { EXPECT_EQ(Sky("/", "sky"), std::string(300, 'a')) << "kept whole"; }},
      {"texture { name { t } bitmap { t.bmp } bitmap_templ { m.bmp } pixel { 4, 8 } mode { modulate } "
       "mask { 1, 1, 1, 1 } mask_int { 1, 2 } alpha { .5 } alpha_int { 3 } }",
       1, {}, [](SceneObjectsTest& t) {
         CSgTexture* x = t.Tex();
         ASSERT_NE(x, nullptr);
         EXPECT_EQ(x->TypeCode(), SGT_TEXTURE);
         EXPECT_EQ(x->FileName() + "|" + x->MaskFileName(), "t.bmp|m.bmp");
         EXPECT_EQ(std::vector<int>({x->Pixel(0), x->Pixel(1), x->BlendMode(), x->Disabled(), x->CreatedInModel()}),
                   std::vector<int>({4, 8, 0, 0, 1}));
       }},
      {"texture { name { t } enable { 0 } mode { Modulate } }", 1, {}, [](SceneObjectsTest& t) {
         EXPECT_EQ(t.Tex()->Disabled(), 1);
         EXPECT_EQ(t.Tex()->CreatedInModel(), 0);
         EXPECT_EQ(t.Tex()->BlendMode(), 1);
       }},
      {"texture { name { t } environment { 1 } pixel { 9 } }", 1, {"错误: @2行无效关键字 'environment', 忽略. [environment]"},
       [](SceneObjectsTest& t) { EXPECT_EQ(t.Tex()->Pixel(0), 9); }},
      // Cut short: kept in the module, not put into the model, and the script stops.
      {"texture { name { t } 5 }\nroute { name { r } }", 0, {"错误: @2行'5' 不是关键字. [5]"},
       [](SceneObjectsTest& t) {
         EXPECT_EQ(t.Tex()->CreatedInModel(), 0);
         EXPECT_EQ(t.Root()->routes().Count(), 0);
       }},
      // A light is checked and makes nothing; the script reads on after it.
      {"light { index { 1 } position { 0, 10, 0, 1 } diffuse { 1, 1, 1 } ambient { .2, .2, .2 } "
       "specular { 1, 1, 1 } type { point } }\ntexture { name { t } }",
       1, {}, [](SceneObjectsTest& t) {
         EXPECT_NE(t.Tex(), nullptr);
         EXPECT_EQ(SgFieldChildCount(SgFieldExists("/")), 0);
       }},
      {"light { index { 1 } 2 }", 0, {"错误: @2行'2' 不是关键字. [2]"}, nullptr},
  });
}

TEST_F(SceneObjectsTest, RoutesAndMessages) {
  Run({
      {"route { name { r } point { 1, 2 } point { 3, 4, 5 } }", 1, {}, [](SceneObjectsTest& t) {
         auto* r = dynamic_cast<CSgRoute*>(t.Root()->routes().Find("r"));
         ASSERT_NE(r, nullptr);
         EXPECT_EQ(r->TypeCode(), SGT_ROUTE);
         EXPECT_EQ(r->Points(), std::vector<float>({1, 2, 1, 3, 4, 5}));
       }},
      {"route { name { r } point { 1, 2 } 7 }", 0, {"错误: @2行'7' 不是关键字. [7]"}, [](SceneObjectsTest& t) {
         EXPECT_TRUE(dynamic_cast<CSgRoute*>(t.Root()->routes().Find("r"))->Points().empty());
       }},
      {"message { }", 1, {}, [](SceneObjectsTest& t) { EXPECT_EQ(t.Root()->messages().Count(), 0); }},
      {"message { id { 7 } }\nmessage { id { 3 } }", 1, {}, [](SceneObjectsTest& t) {
         ASSERT_EQ(t.Root()->messages().Count(), 2);
         EXPECT_EQ(t.Msg(1)->Id(), 3u);
         EXPECT_EQ(CSgMsg::MaxId(), 7u);
       }},
      {"message { id { 2 } param { nowhere } }", 0, {"错误: @2行找不到变量'nowhere'. param."},
       [](SceneObjectsTest& t) {
         ASSERT_EQ(t.Root()->messages().Count(), 1);
         EXPECT_EQ(t.Msg(0)->ParamVariable(), nullptr);
       }},
      {"int p\nmessage { param { p } animation { name { a } } action { name { go } } color { 1 } }", 1,
       {"错误: @3行无效关键字 'color', 忽略. [color]"}, [](SceneObjectsTest& t) {
         CSgMsg* m = t.Msg(0);
         ASSERT_NE(m, nullptr);
         EXPECT_EQ(m->ParamVariable(), t.Root()->FindVariable("p"));
         EXPECT_EQ(m->Animation(), t.Root()->animations().Find("a"));
         EXPECT_NE(dynamic_cast<CTEventActionEx*>(m->Action()), nullptr);
       }},
      // Cut short: the handler made so far is dropped (and freed), not filed.
      {"message { id { 4 } 9 }", 0, {"错误: @2行'9' 不是关键字. [9]"},
       [](SceneObjectsTest& t) { EXPECT_EQ(t.Root()->messages().Count(), 0); }},
  });
}

}  // namespace
