// Projectors and stencils: what a block sets up in the graphics library.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Gfx.h"
#include "support/ScriptFixture.h"

namespace {

class ProjectorTest : public ScriptTest {
 protected:
  // The stencil points inserted under path (empty when there is no stencil there).
  static std::vector<float> Stencil(const char* path) {
    const SGKEY field = SgFieldExists(path);
    for (int i = 0; i < SgFieldChildCount(field); ++i) {
      SgFieldInfo info;
      if (SgGetFieldInfo(SgFieldChild(field, i), &info) && info.hasStencil) return info.stencil;
    }
    return {};
  }
  static const SgProjectorInfo* Projector(const std::string& name) {
    for (const SgProjectorInfo& p : SgProjectors())
      if (p.name == name) return &p;
    return nullptr;
  }
};

TEST_F(ProjectorTest, StencilPoints) {
  struct Row {
    std::string block;
    std::vector<float> points;
  };
  const std::vector<Row> rows = {
      // A rectangle around the centre, from the upper left corner.
      {"stencil { field { /scene/p } position { 5, 6 } size { 4, 2 } }",
       {3, 7, -10, 3, 5, -10, 7, 5, -10, 7, 7, -10}},
      // Without a position the rectangle lies around the origin.
      {"stencil { field { /scene/p } size { 2, 2 } }", {-1, 1, -10, -1, -1, -10, 1, -1, -10, 1, 1, -10}},
      // A third number is no depth: every point lies at -10; other words are passed over.
      {"stencil { field { /scene/p } point { 1, 2, 3 } color { 1 } point { 4, 5 } size { 9, 9 } }",
       {1, 2, -10, 4, 5, -10}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.block);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.block + "\n}\n");
    EXPECT_TRUE(o.messages.empty()) << Joined(o);
    EXPECT_EQ(Stencil("/scene/p"), r.points);
  }
}

TEST_F(ProjectorTest, Projectors) {
  struct Row {
    std::string block;
    int messages;
    std::function<void(const SgProjectorInfo*)> check;
  };
  const std::vector<Row> rows = {
      {"projector { name { p } look { 1, 2, 3, 4, 5, 6, 0, 1, 0 } repeat { 2, 3, 9 } blend { 0.5 } }", 0,
       [](const SgProjectorInfo* p) {
         ASSERT_NE(p, nullptr);
         EXPECT_EQ(std::vector<float>(p->pos, p->pos + 3), (std::vector<float>{1, 2, 3}));
         EXPECT_EQ(std::vector<float>(p->target, p->target + 3), (std::vector<float>{4, 5, 6}));
         EXPECT_EQ(std::vector<float>(p->up, p->up + 3), (std::vector<float>{0, 1, 0}));
         EXPECT_EQ(p->repeat[0], 2);
         EXPECT_EQ(p->repeat[1], 3);
         EXPECT_EQ(p->blend, 0.5f);
         EXPECT_EQ(p->texture, 0) << "no bitmap, no texture";
         EXPECT_EQ(p->blendType, 1);
       }},
      {"projector { name { p } property { lighting projecting } }", 0,
       [](const SgProjectorInfo* p) {
         ASSERT_NE(p, nullptr);
         EXPECT_EQ(p->blendType, 2) << "the last word counts";
         EXPECT_EQ(p->blend, 0.7f);
         EXPECT_EQ(p->repeat[0], 1);
         EXPECT_EQ(p->pos[0], 0);
       }},
      {"projector { name { p } bitmap { a.bmp } bitmap_templ { m.bmp } }", 0,
       [](const SgProjectorInfo* p) {
         ASSERT_NE(p, nullptr);
         SgTextureData t;
         ASSERT_EQ(SgShowTextureData(p->texture, &t), 1);
         EXPECT_EQ(t.id, 1);
         EXPECT_EQ(t.file, "a.bmp");
         EXPECT_EQ(t.mask, "m.bmp");
       }},
      // A word that is no blend type is reported; the projector is still set.
      {"projector { name { p } property { shining } }", 1,
       [](const SgProjectorInfo* p) { EXPECT_NE(p, nullptr); }},
      // A missing field is made, with a warning.
      {"projector { name { p } field { /scene/wall } }", 1,
       [](const SgProjectorInfo*) { EXPECT_NE(SgFieldExists("/scene/wall"), SG_NO_KEY); }},
      // A block that ends on a token that is no keyword sets nothing.
      {"projector { name { p } \"x\" }", 1, [](const SgProjectorInfo* p) { EXPECT_EQ(p, nullptr); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.block);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.block + "\n}\n");
    EXPECT_EQ((int)o.messages.size(), r.messages) << Joined(o);
    r.check(Projector("p"));
  }
}

}  // namespace
