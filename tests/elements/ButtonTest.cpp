// Buttons: the block's own settings against the state blocks', Finish, and the ExportImage call.
#include <cstring>
#include <functional>

#include "elements/ScrButton.h"
#include "sg/Button.h"
#include "support/ScriptFixture.h"

namespace {

class ButtonTest : public ScriptTest {
 protected:
  CSgButton* Button(const char* name) { return dynamic_cast<CSgButton*>(root->FindCtrlpt(name)); }
  CSgView* View() { return root->SgView(); }
};

int Count(const ReadOutcome& o, const char* part) {
  int n = 0;
  for (const std::string& m : o.messages) n += m.find(part) != std::string::npos;
  return n;
}

TEST_F(ButtonTest, BlockSettingsStatesAndFinish) {
  // Create takes 1 when image data is loaded by default, else the enable state (FALSE here).
  int expectedArg = 0;
  struct Row {
    const char* body;
    std::function<void(CSgView*, CSgButton*, const ReadOutcome&)> check;
  };
  const std::vector<Row> rows = {
      // A button on a node is not created on the screen, but visible still hides it.
      {"field { /scene/b } visible { FALSE }",
       [](CSgView* view, CSgButton* b, const ReadOutcome&) {
         EXPECT_NE(b->Key(), SG_NO_KEY);
         EXPECT_EQ(b->CreateCount(), 0);
         EXPECT_EQ(b->Shown(), 0);
         EXPECT_EQ(view->ScriptFieldCount(), 3);
       }},
      // Without a node it is created (with the enable state), registered, then hidden.
      {"enable { FALSE } visible { FALSE }",
       [&](CSgView* view, CSgButton* b, const ReadOutcome&) {
         EXPECT_EQ(b->CreateCount(), 1);
         EXPECT_EQ(b->CreateArg(), expectedArg);
         EXPECT_EQ(b->Shown(), 0);
         EXPECT_EQ(b->IsEnabled(), 0);
         EXPECT_EQ(view->ScriptFieldCount(), 3);
         EXPECT_NE(view->ScriptField(0), SG_NO_KEY);
       }},
      // rect in the block keeps z; in a state block z is drawn at -(z+1.1).
      {"rect { 0, 0, 10, 20 } hover { rect { 0, 0, 10, 20 } } tip { position { 1, 2, 3 } corner { 4 } }",
       [](CSgView*, CSgButton* b, const ReadOutcome&) {
         const SgButtonState* s = b->State(SG_BUTTON_BLOCK);
         EXPECT_FLOAT_EQ(s->position[0], 5);
         EXPECT_FLOAT_EQ(s->position[1], 10);
         EXPECT_FLOAT_EQ(s->position[2], 1);
         EXPECT_FLOAT_EQ(s->size[0], 10);
         EXPECT_FLOAT_EQ(s->size[1], 20);
         EXPECT_NEAR(b->State(SG_BUTTON_HOVER)->position[2], -2.1, 1e-5);
         EXPECT_FLOAT_EQ(b->State(SG_BUTTON_HOVER)->size[1], 20);
         EXPECT_NEAR(b->State(SG_BUTTON_TIP)->position[2], -4.1, 1e-5);
         EXPECT_FLOAT_EQ(b->State(SG_BUTTON_TIP)->corner[0], 4);
         EXPECT_NEAR(b->State(SG_BUTTON_TIP)->corner[2], -2.1, 1e-5);
       }},
      {"property { check, nostretch }",
       [](CSgView*, CSgButton* b, const ReadOutcome&) {
         EXPECT_EQ(b->Options() & SG_BUTTON_CHECK, SG_BUTTON_CHECK);
         EXPECT_EQ(b->Stretch(), 0);
       }},
      // A word that is neither ends what the list means; the rest of the list is still read.
      {"property { local, check } visible { FALSE }",
       [](CSgView*, CSgButton* b, const ReadOutcome& o) {
         EXPECT_EQ(b->Options(), 0);
         EXPECT_EQ(b->Stretch(), 1);
         EXPECT_EQ(b->Shown(), 0);
         EXPECT_TRUE(o.messages.empty()) << Joined(o);
       }},
      // A state block without a bitmap still hands over two empty paths.
      {"unable { }",
       [](CSgView*, CSgButton* b, const ReadOutcome&) {
         const SgButtonState* s = b->State(SG_BUTTON_UNABLE);
         EXPECT_TRUE(s->hasFile);
         EXPECT_EQ(s->bitmap, "");
         EXPECT_EQ(s->templ, "");
         EXPECT_FALSE(b->State(SG_BUTTON_NORMAL)->hasFile);
       }},
      // conditions and otherwise are no button words; tip is the tip look.
      {"conditions { x > 1 } otherwise { } tip { bitmap { a.bmp } }",
       [](CSgView*, CSgButton* b, const ReadOutcome& o) {
         EXPECT_EQ(Count(o, "invalid keyword conditions, ignored"), 1) << Joined(o);
         EXPECT_EQ(Count(o, "invalid keyword otherwise, ignored"), 1) << Joined(o);
         EXPECT_EQ(b->State(SG_BUTTON_TIP)->bitmap, "a.bmp");
         EXPECT_EQ(b->ReactionCount(), 0);
       }},
      // A template after a .png bitmap of a converted state is read but not used; tip2 uses it.
      {"hover { bitmap { a.bmp } bitmap_templ { m.bmp } } normal { bitmap { a.png } bitmap_templ { m.bmp } }"
       " tip { bitmap { a.png } bitmap_templ { m.bmp } } outline { 1, 2, 3, 4, 5 }",
       [](CSgView*, CSgButton* b, const ReadOutcome& o) {
         EXPECT_EQ(b->State(SG_BUTTON_HOVER)->templ, "m.bmp");
         EXPECT_EQ(b->State(SG_BUTTON_NORMAL)->templ, "");
         EXPECT_EQ(b->State(SG_BUTTON_TIP)->templ, "m.bmp");
         EXPECT_EQ(b->State(SG_BUTTON_BLOCK)->outline.size(), 2u);
         EXPECT_TRUE(o.messages.empty()) << Joined(o);
       }},
      // Unknown words inside a state block: the invalid-keyword error, the state goes on.
      {"push { reaction { } bitmap { p.bmp } }",
       [](CSgView*, CSgButton* b, const ReadOutcome& o) {
         EXPECT_EQ(Count(o, "无效关键字 'reaction'"), 1) << Joined(o);
         EXPECT_EQ(b->State(SG_BUTTON_PUSH)->bitmap, "p.bmp");
       }},
  };
  for (const Row& row : rows) {
    TearDown();  // a fresh scene, module and reader for each row
    SetUp();
    expectedArg = reader->bLoadImageDataDefault() == 1 ? 1 : 0;
    const ReadOutcome o = Read(std::string("script {\n  button { name { b } ") + row.body + " }\n}\n");
    SCOPED_TRACE(row.body);
    CSgButton* b = Button("b");
    ASSERT_NE(b, nullptr);
    row.check(View(), b, o);
  }
}

// At most 16 outline points; more are not stored.
TEST_F(ButtonTest, OutlineKeepsSixteenPoints) {
  std::string numbers;
  for (int i = 0; i < 40; ++i) numbers += (i ? ", " : "") + std::to_string(i);
  Read("script {\n  button { name { b } hover { outline { " + numbers + " } } }\n}\n");
  ASSERT_NE(Button("b"), nullptr);
  EXPECT_EQ(Button("b")->State(SG_BUTTON_HOVER)->outline.size(), 16u);
}

// A .png bitmap under push or hover goes to ExportImage once each; under normal it does not. The
// plug-in may rewrite the bitmap and write a template, within its buffers; a path too long for
// them is not handed over.
TEST_F(ButtonTest, PngBitmapsGoToTheExportImageCommand) {
  int seen = 0;
  View()->SetPluginCommandHook([&](const char* plugin, const char* command, void* params) {
    EXPECT_STREQ(plugin, "ProjectMgr");
    EXPECT_STREQ(command, "ExportImage");
    auto* p = static_cast<SgExportImageParams*>(params);
    EXPECT_STREQ(p->source, "img\\b.png");
    std::memset(p->templ, 'x', SG_BUTTON_PATH_BYTES);  // unterminated: the reader must bound it
    std::strcpy(p->bitmap, "img\\b.bmp");
    ++seen;
    return 1;
  });
  const std::string longPath(300, 'a');
  Read("script {\n  button { name { b } normal { bitmap { img\\b.png } } push { bitmap { img\\b.png } }"
       " hover { bitmap { " + longPath + ".png } } }\n  button { name { c } hover { bitmap { img\\b.png } } }\n}\n");
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(View()->PluginCalls().size(), 2u);
  ASSERT_NE(Button("b"), nullptr);
  EXPECT_EQ(Button("b")->State(SG_BUTTON_NORMAL)->bitmap, "img\\b.png");
  EXPECT_EQ(Button("b")->State(SG_BUTTON_PUSH)->bitmap, "img\\b.bmp");
  EXPECT_EQ(Button("b")->State(SG_BUTTON_PUSH)->templ, std::string(SG_BUTTON_PATH_BYTES - 1, 'x'));
  EXPECT_EQ(Button("b")->State(SG_BUTTON_HOVER)->bitmap, longPath + ".png");
  EXPECT_EQ(Button("c")->State(SG_BUTTON_HOVER)->bitmap, "img\\b.bmp");
}

// A second block of the same name changes only what it gives: no second creation or
// registration, and the button stays hidden unless the block says visible.
TEST_F(ButtonTest, SecondBlockOfANameConfiguresTheFirst) {
  const ReadOutcome o = Read(
      "script {\n  button { name { b } visible { FALSE } }\n  button { name { b } rect { 0, 0, 2, 2 } }\n}\n");
  EXPECT_EQ(o.result, 1) << Joined(o);
  CSgButton* b = Button("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(root->ctrlPoints().Count(), 1);
  EXPECT_EQ(b->CreateCount(), 1);
  EXPECT_EQ(b->Shown(), 0);
  EXPECT_EQ(View()->ScriptFieldCount(), 3);
  EXPECT_TRUE(b->State(SG_BUTTON_BLOCK)->hasSize);
}

TEST(ButtonPath, ExtensionAsThePlatformSplitsIt) {
  EXPECT_EQ(ScrPathExtension("a\\b.png"), ".png");
  EXPECT_EQ(ScrPathExtension("a.d/b"), "");
  EXPECT_EQ(ScrPathExtension("b.PNG"), ".PNG");
  EXPECT_EQ(ScrPathExtension("x.tar.png"), ".png");
}

}  // namespace
