// Images: defaults and paths, rectangles and flags, names met twice, reference mode, and the
// base picture of nested images.
#include <gtest/gtest.h>

#include <functional>

#include "elements/ScrImage.h"
#include "lexer/ScrLex.h"
#include "sg/Gfx.h"
#include "sg/Image.h"
#include "support/ScriptFixture.h"

namespace {

class ImageTest : public ScriptTest {
 public:
  using ScriptTest::root;
  CSgImage* Img(const char* name, CSgModule* m = nullptr) {
    return dynamic_cast<CSgImage*>((m ? m : root.get())->images().Find(name));
  }
  static std::vector<float> Of(const float* v, int n) { return std::vector<float>(v, v + n); }
  // What the scene holds for the picture placed under an image's node.
  static SgFieldInfo Placed(const CSgImage* img) {
    SgFieldInfo info;
    EXPECT_EQ(SgGetFieldInfo(img->ImageKey(), &info), 1);
    return info;
  }
};

TEST_F(ImageTest, BlocksAndWhatTheyPlace) {
  struct Row {
    std::string blocks;   // inside "script { }"
    int result;
    std::string message;  // the one message, "@" for "(file) 第"; "" for none
    std::function<void(ImageTest&)> check;
  };
  const std::vector<Row> rows = {
      {"image { name { logo } bitmap { logo.bmp } }", 1, "", [](ImageTest& t) {
         CSgImage* i = t.Img("logo");
         ASSERT_NE(i, nullptr);
         EXPECT_EQ(i->PathName(), "/scene/modules/main/images");
         EXPECT_EQ(i->FieldKey(), SgFieldExists("/scene/modules/main/images/logo"));
         EXPECT_STREQ(SgFieldContents(i->ImageKey(), "image"), "logo.bmp");
         EXPECT_EQ(t.Of(i->Position(), 3), (std::vector<float>{0, 0, 1}));
         EXPECT_EQ(i->Transparency(), 1.0f);
         EXPECT_EQ(i->DrawMode(), 1);
         EXPECT_EQ(i->Stretch(), 1);
       }},
      {"module Pump { image { name { p } } }", 1, "", [](ImageTest& t) {
         CSgImage* i = t.Img("p", t.root->FindModule("Pump"));
         ASSERT_NE(i, nullptr);
         EXPECT_EQ(i->NodePath(), "/scene/modules/main/Pump/images/p");
       }},
      {"image { field { /scene/hud } rect { 0, 0, 4, 2 } }", 1, "", [](ImageTest& t) {
         ASSERT_EQ(t.root->images().Count(), 1);
         CSgImage* i = t.Img("");
         EXPECT_EQ(i->FieldKey(), SgFieldExists("/scene/hud")) << "an unnamed image lies at its path";
         EXPECT_EQ(t.Of(Placed(i).imagePos, 3), (std::vector<float>{2, 1, 1}));
         EXPECT_EQ(t.Of(Placed(i).imageSize, 2), (std::vector<float>{4, 2}));
       }},
      {"image { name { m } bitmap_templ { m.bmp } corner { 1, 2 } }", 1, "", [](ImageTest& t) {
         EXPECT_EQ(t.Img("m")->DrawMode(), 0);
         EXPECT_EQ(t.Img("m")->Corner(), 1);
         EXPECT_EQ(t.Of(t.Img("m")->Position(), 3), (std::vector<float>{1, 2, 1}));
         EXPECT_STREQ(SgFieldContents(t.Img("m")->ImageKey(), "mask"), "m.bmp");
       }},
      {"image { name { h } enable { FALSE } transparency { 1/4 } }", 1, "", [](ImageTest& t) {
         int visible = 1;
         SgShowVisibilityByKey(t.Img("h")->FieldKey(), &visible);
         EXPECT_EQ(visible, 0) << "an image created invisible hides its node";
         EXPECT_EQ(Placed(t.Img("h")).transparency, 0.25f);
       }},
      {"image { name { f } property { nostretch, World OnMemory, ignoremask } }", 1, "", [](ImageTest& t) {
         CSgImage* i = t.Img("f");
         EXPECT_EQ(i->Stretch(), 0);
         EXPECT_EQ(i->WorldPos(), 1);
         EXPECT_EQ(i->KeepInMemory(), 1);
         EXPECT_EQ(i->Mask(), 1);
       }},
      // An unknown property stops the script, but the image is made all the same.
      {"image { name { g } property { shiny } bitmap { g.bmp } }", 0, "错误: @2行无效字符串 'shiny', 忽略. [property]",
       [](ImageTest& t) { ASSERT_NE(t.Img("g"), nullptr); }},
      {"image { name { a } bitmap { 1.bmp } }\nimage { name { a } bitmap { 2.bmp } size { 3, 4 } }", 1, "",
       [](ImageTest& t) {
         ASSERT_EQ(t.root->images().Count(), 1) << "two blocks of one name configure one image";
         EXPECT_STREQ(SgFieldContents(t.Img("a")->ImageKey(), "image"), "2.bmp");
         EXPECT_EQ(SgFieldChildCount(t.Img("a")->FieldKey()), 1) << "and place one picture";
         EXPECT_EQ(t.Of(Placed(t.Img("a")).imageSize, 2), (std::vector<float>{3, 4}));
       }},
      {"image { name { top } base { image { name { under } bitmap { u.bmp } } } }", 1, "", [](ImageTest& t) {
         ASSERT_NE(t.Img("under"), nullptr);
         EXPECT_EQ(t.Img("top")->BaseKey(), t.Img("under")->ImageKey());
       }},
      {"image { name { b } base { image { name { u } } color { 1 } } }", 1, "错误: @2行无效关键字 'color', 忽略. [color]",
       nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.blocks);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.blocks + "\n}\n");
    EXPECT_EQ(o.result, r.result);
    if (r.message.empty()) {
      EXPECT_TRUE(o.messages.empty()) << Joined(o);
    } else {
      ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
      std::string expected = r.message;
      expected.replace(expected.find('@'), 1, "(" + dir.path() + "/main.scr) 第");
      EXPECT_EQ(o.messages[0], expected);
    }
    if (r.check) r.check(*this);
  }
}

// In reference mode a block only names an image, found upwards from the current module.
TEST_F(ImageTest, ReferenceModeFindsOrYieldsNothing) {
  ReadOutcome o = Read("script {\n image { name { logo } }\n module Sub { }\n}\n");
  ASSERT_EQ(o.result, 1) << Joined(o);
  reader->PushModule(root->FindModule("Sub"));
  for (const auto& [name, found] : std::vector<std::pair<std::string, bool>>{{"logo", true}, {"none", false}}) {
    CScrImage r(reader.get());
    r.SetReference(1);
    auto s = CScrStream::FromText("{ name { " + name + " } bitmap { x.bmp } }\n");
    ScrSetCurrentStream(s.get());
    EXPECT_EQ(r.Read(s.get()), 1);
    ScrSetCurrentStream(nullptr);  // the stream goes with this iteration
    EXPECT_EQ(r.IsCreated(), 0);
    EXPECT_EQ(r.Image(), found ? Img("logo") : nullptr);
    EXPECT_EQ(r.FieldKey(), found ? Img("logo")->FieldKey() : SG_NO_KEY);
  }
  EXPECT_EQ(Img("logo")->FileName(), "") << "nothing else of a reference block applies";
}

}  // namespace
