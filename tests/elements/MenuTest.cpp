// Menus, pages, windows and viewports.
#include "sg/Button.h"
#include "sg/Gfx.h"
#include "sg/Ui.h"
#include "sg/Viewport.h"
#include "support/ScriptFixture.h"

namespace {

using MenuTest = ScriptTest;

int Count(const ReadOutcome& o, const char* part) {
  int n = 0;
  for (const std::string& m : o.messages) n += m.find(part) != std::string::npos;
  return n;
}

// A menu lists the buttons made before it and nests menus; a name used twice in one module is
// reported and the second menu stays unnamed; a button block naming nothing is reported, and the
// button it would make is neither kept nor placed.
TEST_F(MenuTest, MenusListButtonsAndRefuseDuplicateNames) {
  const ReadOutcome o = Read(
      "script {\n"
      "  button { name { open } visible { FALSE } }\n"
      "  menu { name { 文件 } id { 7 } property { nostretch }\n"
      "    button { name { open } }\n"
      "    button { name { nope } }\n"
      "    menu { name { 最近 } }\n"
      "  }\n"
      "  menu { name { 文件 } }\n"
      "}\n");
  ASSERT_EQ(root->menus().Count(), 2);
  auto* menu = dynamic_cast<CSgMenu*>(root->menus().At(0));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Id(), 7);
  ASSERT_EQ(menu->Buttons().size(), 1u);
  EXPECT_EQ(menu->Buttons()[0], root->FindCtrlpt("open"));
  ASSERT_EQ(menu->SubMenuCount(), 1);
  EXPECT_EQ(Utf8(menu->SubMenu(0)->Name()), "最近");
  EXPECT_STREQ(root->menus().At(1)->Name(), "");
  EXPECT_EQ(Count(o, "按钮'nope'没有定义"), 1) << Joined(o);
  EXPECT_EQ(root->ctrlPoints().Count(), 1);
  EXPECT_EQ(root->SgView()->ScriptFieldCount(), 3);  // open's nodes, once
  EXPECT_EQ(dynamic_cast<CSgButton*>(root->FindCtrlpt("open"))->Shown(), 0);
}

TEST_F(MenuTest, SecondMenuOfANameIsReported) {
  const ReadOutcome o = Read("script {\n  menu { name { M } }\n  menu { name { M } }\n}\n");
  EXPECT_EQ(Count(o, "菜单'M'重复定义"), 1) << Joined(o);
  EXPECT_EQ(o.result, 1);
}

// A page takes controls defined before it; a block that makes a new one is reported and stops
// the page (and the script), keeping what the page had.
TEST_F(MenuTest, PagesTakeOnlyWhatWasDefinedBefore) {
  struct Row {
    const char* page;
    int result;
    size_t members;
    const char* message;
  };
  const std::vector<Row> rows = {
      {"page { name { P } time { 5 } button { name { b } } ctrlpt { name { c } } }", 1, 2, nullptr},
      {"page { name { P } button { name { b } } button { name { fresh } } ctrlpt { name { c } } }", 0, 1,
       "按钮没有被预先定义"},
      {"page { name { P } ctrlpt { name { fresh } } }", 0, 0, "按钮没有被预先定义"},
      {"page { name { P } group { 1 } button { name { b } } }", 1, 1, "无效关键字 'group'"},
  };
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    SCOPED_TRACE(row.page);
    const ReadOutcome o = Read(std::string("script {\n  button { name { b } }\n  ctrlpt { name { c } }\n  ") +
                               row.page + "\n}\n");
    EXPECT_EQ(o.result, row.result) << Joined(o);
    ASSERT_EQ(root->pages().Count(), 1);
    auto* page = dynamic_cast<CSgPage*>(root->pages().At(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Objects().size(), row.members);
    if (row.members) {
      EXPECT_EQ(page->Objects()[0], root->FindCtrlpt("b"));
    }
    EXPECT_EQ(page->CreateCount(), row.result);
    EXPECT_EQ(root->ctrlPoints().Count(), 2);  // nothing new filed
    if (row.message) EXPECT_EQ(Count(o, row.message), 1) << Joined(o);
    else EXPECT_TRUE(o.messages.empty()) << Joined(o);
  }
}

// Images and texts on a page, and a button state's base picture, are read by the image and text
// readers: a page takes those defined before it and stops at a new one.
TEST_F(MenuTest, PagesAndBaseImagesTakeImagesAndTexts) {
  const std::string before =
      "script {\n  image { name { pic } bitmap { p.bmp } }\n  text { name { t } content { hi } }\n  ";
  struct Row {
    const char* block;
    int result;
    size_t members;
    const char* message;
  };
  const std::vector<Row> rows = {
      {"page { name { P } image { name { pic } } text { name { t } } }", 1, 2, nullptr},
      {"page { name { P } image { name { pic } } image { name { fresh } bitmap { f.bmp } } }", 0, 1, "没有被预先定义"},
  };
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    SCOPED_TRACE(row.block);
    const ReadOutcome o = Read(before + row.block + "\n}\n");
    EXPECT_EQ(o.result, row.result) << Joined(o);
    ASSERT_EQ(root->pages().Count(), 1);
    auto* page = dynamic_cast<CSgPage*>(root->pages().At(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Objects().size(), row.members);
    if (row.message) EXPECT_EQ(Count(o, row.message), 1) << Joined(o);
    else EXPECT_TRUE(o.messages.empty()) << Joined(o);
  }

  TearDown();
  SetUp();
  const ReadOutcome o = Read(before + "button { name { b } push { base { image { name { pic } } } } }\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  auto* button = dynamic_cast<CSgButton*>(root->FindCtrlpt("b"));
  ASSERT_NE(button, nullptr);
  ASSERT_NE(button->State(1), nullptr);
  EXPECT_NE(button->State(1)->baseImage, SG_NO_KEY) << Joined(o);
}

TEST_F(MenuTest, WindowIsAControlOnANode) {
  const ReadOutcome o =
      Read("script {\n  window { name { calc } path { calc.exe } field { /scene/screen } group { 3 } }\n}\n");
  auto* w = dynamic_cast<CSgWindow*>(root->FindCtrlpt("calc"));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->TypeCode(), 59);
  EXPECT_STREQ(w->ExeFile(), "calc.exe");
  EXPECT_EQ(w->Key(), SgFieldExists("/scene/screen"));
  EXPECT_EQ(w->Group(), 0);  // not a window word: skipped without a message
  EXPECT_EQ(Count(o, "没有找到节点'/scene/screen'"), 1) << Joined(o);
}

// The viewport's settings go to the graphics library at its closing brace, in a fixed order and
// only for what was given.
TEST_F(MenuTest, ViewportCallsInOrder) {
  struct Row {
    const char* body;
    std::vector<std::string> calls;
  };
  const std::vector<Row> rows = {
      {"rect { 0, 0, 100, 50 }", {"SgSetViewport(v)", "SgSetViewportDepth(v)"}},
      {"follow { /scene/rotor } deflection { 2 } field { /scene/b } field { /scene/a } draw_background { TRUE }"
       " look { 1, 2, 3, 4, 5, 6, 0, 0, 1 } enable { FALSE } rect { 1, 2, 3, 4, 5 }",
       {"SgSetViewport(v)", "SgSetViewportDepth(v)", "SgEnableViewport(v)", "SgSetCameraPos(v)",
        "SgSetCameraTarget(v)", "SgSetCameraVector(v)", "SgEnableViewportBackground(v)", "SgSetViewportOnField(v)",
        "SgSetViewportOnField(v)", "SgSetViewportFollow(v)"}},
      {"enable { maybe } deflection { 1, 2 }", {}},
  };
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    SCOPED_TRACE(row.body);
    const ReadOutcome o = Read(std::string("script {\n  viewport { name { v } ") + row.body + " }\n}\n");
    EXPECT_EQ(SgViewportCalls(), row.calls);
    ASSERT_EQ(root->viewports().Count(), 1);
    EXPECT_STREQ(root->viewports().At(0)->Name(), "v");
  }
  SgViewportInfo v;
  ASSERT_EQ(SgGetViewportInfo("v", &v), 0);  // the last row gave nothing to apply
  Read("script {\n  viewport { name { v } rect { 1, 2, 3, 4, 5 } follow { /scene/r } deflection { 2 } }\n}\n");
  ASSERT_EQ(SgGetViewportInfo("v", &v), 1);
  EXPECT_FLOAT_EQ(v.rect[3], 4);
  EXPECT_FLOAT_EQ(v.depth, 50);
  EXPECT_FLOAT_EQ(v.deflection[0], 2);
  EXPECT_FLOAT_EQ(v.deflection[1], -1);
  EXPECT_EQ(v.enabled, -1);
  EXPECT_FALSE(v.hasPos);
}

}  // namespace
