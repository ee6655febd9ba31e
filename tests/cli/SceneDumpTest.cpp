// The scene in the dumps: where the example panel's texts and images went, as JSON nodes and
// as tree lines.
#include <gtest/gtest.h>

#include "CliSupport.h"

namespace {

const Json* NodeAt(const Json& nodes, const std::string& path) {
  for (const Json& n : nodes.array)
    if (n["path"].string == path) return &n;
  return nullptr;
}

TEST(CliSceneDump, TextsAndImagesShowWhereTheyWent) {
  const std::string panel = std::string(SCR_EXAMPLES_DIR) + "/panel.scr";
  RunResult r = RunScrread({"-q", "--dump", "json", panel});
  ASSERT_EQ(r.status, 0) << r.err;
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error;
  const Json& nodes = j["scene"]["nodes"];
  ASSERT_FALSE(nodes.array.empty());

  const Json* title = NodeAt(nodes, "/scene/panel/title/remark1");
  ASSERT_NE(title, nullptr) << r.out;
  EXPECT_EQ((*title)["contents"]["remark"].string, "泵站控制面板");
  EXPECT_EQ((*title)["text"]["kind"].string, "remark");
  EXPECT_NEAR((*title)["text"]["position"][2].number, -2.1, 1e-6);
  EXPECT_EQ((*title)["text"]["font"]["face"].string, "黑体");
  EXPECT_EQ((*title)["text"]["font"]["height"].number, -21);
  EXPECT_EQ((*title)["text"]["font"]["weight"].number, 700);
  EXPECT_TRUE((*title)["visible"].boolean);

  const Json* label = NodeAt(nodes, "/scene/pump/label/text3d1");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ((*label)["contents"]["text"].string, "1号泵");
  EXPECT_EQ((*label)["text"]["scale"][1].number, 0.5);

  const Json* image = NodeAt(nodes, "/scene/panel/panel/image1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ((*image)["contents"]["image"].string, "panel.bmp");
  EXPECT_EQ((*image)["image"]["size"][0].number, 400);

  const Json* line = NodeAt(nodes, "/scene/panel/help/2/remark1");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ((*line)["contents"]["remark"].string, "流量达到上限时水泵自动停止。");
  EXPECT_EQ((*line)["text"]["line"].number, 2);
  EXPECT_EQ(NodeAt(nodes, "/scene/panel/help/4"), nullptr);

  // Every node carries its path, key and visibility; only what is set follows.
  const Json* help = NodeAt(nodes, "/scene/panel/help");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->keys, (std::vector<std::string>{"path", "key", "visible"}));

  r = RunScrread({"-q", "--dump", "tree", panel});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("node /scene/panel/title/remark1 remark at 20 280 -2.1 font 黑体 -21 remark=\"泵站控制面板\"\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("node /scene/panel/panel/image1 image at 200 150 1 size 400 300 image=\"panel.bmp\" "
                       "mask=\"panel_mask.bmp\"\n"),
            std::string::npos)
      << r.out;
}

}  // namespace
