// Curve and route blocks read on their own: the opening token taken whatever it is, unknown
// sub-keywords passed over silently, and what a block that ends badly leaves behind.
#include <gtest/gtest.h>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "objects/ScrCurve.h"
#include "sg/Curve.h"
#include "support/ScriptFixture.h"

namespace {

class CurveTest : public ScriptTest {
 protected:
  // Reads `utf8` (the text after the keyword) with `r`.
  int ReadWith(CScrObject& r, const std::string& utf8) {
    std::string path = dir.WriteGbk("probe.scr", utf8);
    auto file = ScrOpenScriptFile(path.c_str(), ScrEncoding::Auto);
    EXPECT_NE(file, nullptr);
    reader->SetFileName(path.c_str(), file.get());
    int result = r.Read(file.get());
    ScrSetCurrentStream(nullptr);
    return result;
  }
};

TEST_F(CurveTest, Routes) {
  struct Row {
    std::string text;
    int result;
    std::vector<float> points;
    int messages;
  };
  const std::vector<Row> rows = {
      {"{ name { r } point { 1, 2 } color { 9 } point { 4, 5, 6, 7 } }", 1, {1, 2, 1, 4, 5, 6}, 0},
      // The first token is the brace, whatever it says: here the name is taken for it, and its
      // own brace is then no keyword.
      {"name { r } point { 1, 2, 3 } }", 0, {}, 1},
      {"{ point { 1, 2, 3 } \"oops\" }", 0, {}, 1},
      // The first token that is no number ends a point's list.
      {"{ point { 1, x, 3 } }", 1, {1, 0, 1}, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    TearDown();  // the message list keeps only the first error
    SetUp();
    CScrRoute route(reader.get());
    const int before = reader->MessageCount();
    EXPECT_EQ(ReadWith(route, r.text + "\n"), r.result);
    ASSERT_NE(route.Route(), nullptr);
    EXPECT_EQ(route.Route()->Points(), r.points);
    EXPECT_EQ(reader->MessageCount() - before, r.messages);
  }
}

TEST_F(CurveTest, ArcWithoutItsTwoPointsIsDropped) {
  CScrCurve curve(reader.get());
  EXPECT_EQ(ReadWith(curve, "{ arc { point { 1, 1, 1 } } polyline { point { 0, 0, 0 } } }\n"), 1);
  std::unique_ptr<CSgCurveComplex> c(curve.TakeCurve());
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->CurveCount(), 1);
  EXPECT_NE(dynamic_cast<CSgCurvePolyline*>(c->Curve(0)), nullptr);
}

}  // namespace
