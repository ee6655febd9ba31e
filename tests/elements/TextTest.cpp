// Texts, 3D texts, fonts and multi-texts: node paths, depth, the one change made to a text that
// exists, content commas, font sizes and faces, and multi-text documents.
#include <gtest/gtest.h>

#include <functional>

#include "sg/Gfx.h"
#include "sg/Text.h"
#include "support/ScriptFixture.h"

namespace {

class TextTest : public ScriptTest {
 public:
  using ScriptTest::root;
  // The text node inserted under the node at `path` (its first child); false when none.
  static bool TextAt(const std::string& path, SgFieldInfo& info) {
    SGKEY node = SgFieldExists(path.c_str());
    return node != SG_NO_KEY && SgGetFieldInfo(SgFieldChild(node, 0), &info) && !info.textKind.empty();
  }
  static std::string Contents(const SgFieldInfo& info) {
    for (const auto& [name, value] : info.contents)
      if (name == "remark" || name == "text") return Utf8(value);
    return "<none>";
  }
  static std::vector<float> Of(const float* v, int n) { return std::vector<float>(v, v + n); }
  std::string Where(int line) { return "(" + dir.path() + "/main.scr) 第" + std::to_string(line) + "行"; }
};

const char* const kTexts = "/scene/modules/main/texts";

TEST_F(TextTest, TextsAndWhereTheyGo) {
  struct Row {
    std::string blocks;  // inside "script { }"
    std::string path;    // the node the text is expected at
    std::function<void(TextTest&, const SgFieldInfo&)> check;
  };
  const std::vector<Row> rows = {
      {"text { name { title } content { 泵站 } position { 10, 20, 1 } }", std::string(kTexts) + "/title",
       [](TextTest& t, const SgFieldInfo& n) {
         EXPECT_EQ(n.textKind, "remark");
         EXPECT_EQ(t.Contents(n), "泵站");
         EXPECT_EQ(t.Of(n.text.position, 3), (std::vector<float>{10, 20, -2.1f})) << "flat depth z -> -(z + 1.1)";
         EXPECT_EQ(t.Of(n.text.size, 2), (std::vector<float>{2, 2}));
         auto* text = dynamic_cast<CSgText*>(t.root->texts().Find("title"));
         ASSERT_NE(text, nullptr);
         EXPECT_EQ(text->Values().position[2], 1.0f) << "the runtime text keeps the depth as written";
         EXPECT_EQ(t.root->SgView()->ScriptFields().back(), SgFieldExists((std::string(kTexts) + "/title").c_str()));
       }},
      {"text { name { /scene/hud/t } field { /ignored } position { 0, 0, 4, 2, 3 } }", "/scene/hud/t",
       [](TextTest& t, const SgFieldInfo& n) {
         EXPECT_EQ(t.Of(n.text.size, 2), (std::vector<float>{4, 2}));
         EXPECT_EQ(n.text.position[2], -4.1f);
       }},
      {"text3d { name { label } content { 1号泵 } position { 1, 2, 1 } scale { 2 } }", std::string(kTexts) + "/label",
       [](TextTest& t, const SgFieldInfo& n) {
         EXPECT_EQ(n.textKind, "text3d");
         EXPECT_EQ(t.Of(n.text.position, 3), (std::vector<float>{1, 2, 1})) << "3D texts keep their depth";
         EXPECT_EQ(t.Of(n.text.scale, 3), (std::vector<float>{2, 2, 2}));
       }},
      {"text { name { c } content { 甲 } color { 1, 0, 0, 0, 1, 0, 1 } rotation { 0, 0, 90 } enable { FALSE } }",
       std::string(kTexts) + "/c", [](TextTest&, const SgFieldInfo& n) {
         EXPECT_EQ(n.text.colors, (std::vector<float>{1, 0, 0, 0, 1, 0}));
         EXPECT_EQ(n.text.rotation[2], 90.0f);
         SgFieldInfo node;
         SgGetFieldInfo(n.owner, &node);
         EXPECT_EQ(node.visible, 0);
       }},
      // A node that exists gets one change only: the content, not the colour.
      {"text { name { s } content { 旧 } color { 1, 0, 0 } }\ntext { name { s } content { 新 } color { 0, 1, 0 } }",
       std::string(kTexts) + "/s", [](TextTest& t, const SgFieldInfo& n) {
         EXPECT_EQ(t.Contents(n), "新");
         EXPECT_EQ(n.text.colors, (std::vector<float>{1, 0, 0}));
         EXPECT_EQ(t.root->texts().Count(), 1) << "the second block configures the same text";
         EXPECT_EQ(SgFieldChildCount(n.owner), 1);
       }},
      {"text { name { s } content { 旧 } }\ntext { name { s } position { 5, 6 } content { 新 } }",
       std::string(kTexts) + "/s", [](TextTest& t, const SgFieldInfo& n) {
         EXPECT_EQ(t.Contents(n), "旧") << "position comes first";
         EXPECT_EQ(n.text.position[0], 5.0f);
       }},
      // Fonts: Chinese size names, numbers, a face alone, an unknown face, properties.
      {"text { name { f } font { size { 三号 } } }", std::string(kTexts) + "/f",
       [](TextTest&, const SgFieldInfo& n) {
         ASSERT_TRUE(n.text.hasFont);
         EXPECT_EQ(Utf8(n.text.font.faceName), "黑体");
         EXPECT_EQ(n.text.font.height, -21);
         EXPECT_EQ(n.text.font.width, 0);
       }},
      {"text { name { f } font { size { 12 } } }", std::string(kTexts) + "/f", [](TextTest&, const SgFieldInfo& n) {
         EXPECT_EQ(n.text.font.height, 12);
         EXPECT_EQ(n.text.font.width, 0);
       }},
      {"text { name { f } font { size { 8 16 } } }", std::string(kTexts) + "/f", [](TextTest&, const SgFieldInfo& n) {
         EXPECT_EQ(n.text.font.width, 8);
         EXPECT_EQ(n.text.font.height, 16);
       }},
      {"text { name { f } font { 宋体 } }", std::string(kTexts) + "/f", [](TextTest&, const SgFieldInfo& n) {
         EXPECT_EQ(Utf8(n.text.font.faceName), "宋体");
         EXPECT_EQ(n.text.font.height, -50);
         EXPECT_EQ(n.text.font.width, 0);
       }},
      {"text { name { f } font { name { 无此字体 } property { Bold italic } } }", std::string(kTexts) + "/f",
       [](TextTest&, const SgFieldInfo& n) {
         EXPECT_EQ(Utf8(n.text.font.faceName), "黑体");
         EXPECT_EQ(n.text.font.height, 50);
         EXPECT_EQ(n.text.font.width, 50);
         EXPECT_EQ(n.text.font.weight, 700);
         EXPECT_EQ(n.text.font.italic, 1);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.blocks);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.blocks + "\n}\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_TRUE(o.messages.empty()) << Joined(o);
    SgFieldInfo info;
    ASSERT_TRUE(TextAt(r.path, info)) << r.path;
    r.check(*this, info);
  }
}

TEST_F(TextTest, ProblemsAreReportedAndReadingGoesOn) {
  struct Row {
    std::string block;
    std::string message;  // after "错误: (file) 第2行"
    std::string content;  // of the text made
  };
  const std::vector<Row> rows = {
      {"text { name { t } content { 进水, 出水 } }", "文字内容中的英文',' 应写为中文'，'.", ""},
      {"text { name { t } content { \"进水, 出水\" } }", "文字内容中的英文',' 应写为中文'，'.", ""},
      {"text { name { t } content { 甲 } font { property { shiny } } }", "无效字符串 'shiny', 忽略. [property]", "甲"},
      {"text { name { t } content { 甲 } font { 无此字体 } }", "'无此字体' 不是关键字. [无此字体]", "甲"},
      {"text { name { t } content { 甲 } enable { maybe } }", "无效字符串 'maybe', 忽略. [enable]", "甲"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.block);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\n" + r.block + "\ndefine { AFTER 1 }\n}\n");
    EXPECT_EQ(o.result, 1);
    ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
    EXPECT_EQ(o.messages[0], "错误: " + Where(2) + r.message);
    SgFieldInfo info;
    ASSERT_TRUE(TextAt(std::string(kTexts) + "/t", info));
    EXPECT_EQ(Contents(info), r.content);
    EXPECT_FALSE(info.text.hasFont) << "a font that failed is not used";
    DWORD v;
    BYTE fl;
    EXPECT_EQ(reader->FindMacro("AFTER", v, fl), 1);
  }
}

TEST_F(TextTest, MultiTextLaysOutAParagraph) {
  dir.WriteGbk("help.txt", "notes before the first paragraph\n[/scene/help]\n第一行\n\n第三行\n\n[other]\nx\n");
  ReadOutcome o = Read(
      "script {\n"
      "  multitext { name { /scene/help } filename { help.txt } position { 0, 100 } font { size { 20 } } "
      "color { 0, 0, 1 } rect { 0, 100, 50, 80 } }\n"
      "  multitext { name { /scene/none } filename { help.txt } }\n"
      "}\n");
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
  EXPECT_EQ(o.messages[0], "警告: " + Where(3) + "多行文本文件'help.txt'中找不到文字'/scene/none'.");
  EXPECT_EQ(SgFieldExists("/scene/none"), SG_NO_KEY) << "a missing paragraph makes nothing";
  const std::vector<std::string> lines = {"第一行", "", "第三行"};
  ASSERT_EQ(SgFieldChildCount(SgFieldExists("/scene/help")), 3);
  float lastY = 1e9f;
  for (size_t i = 0; i < lines.size(); ++i) {
    SgFieldInfo info;
    const std::string sub = "/scene/help/" + std::to_string(i + 1);
    ASSERT_TRUE(TextAt(sub, info)) << sub;
    EXPECT_EQ(Contents(info), lines[i]);
    EXPECT_EQ(info.text.line, static_cast<int>(i + 1));
    EXPECT_EQ(info.text.colors, (std::vector<float>{0, 0, 1}));
    EXPECT_LT(info.text.position[1], lastY) << "each line below the one before";
    lastY = info.text.position[1];
    ASSERT_TRUE(info.text.hasRect);
    EXPECT_EQ(info.text.rect[1], 100.0f - 20.0f * static_cast<float>(i)) << "each box below the one before";
    EXPECT_NE(root->texts().Find(sub.c_str()), nullptr);
  }
  // Line height: 20 (the font) x 1.5 apart, the first half a line below the position.
  SgFieldInfo first;
  ASSERT_TRUE(TextAt("/scene/help/1", first));
  EXPECT_EQ(first.text.position[1], 100.0f - 30.0f + 10.0f);
  EXPECT_EQ(lastY, 100.0f - 90.0f + 10.0f);
  EXPECT_EQ(reader->FindMultiTextDoc("help.txt")->ParagraphCount(), 2) << "the document is read once";
}

}  // namespace
