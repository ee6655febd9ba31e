// Model and data files, `import` and `settings`: what reaches the scene, the module and the
// runtime's options, and what is reported.
#include <gtest/gtest.h>

#include <filesystem>

#include "reader/ScrFile.h"
#include "sg/Display.h"
#include "sg/Gfx.h"
#include "sg/Loaders.h"
#include "sg/Platform.h"
#include "sg/View.h"
#include "support/ScriptFixture.h"

namespace {

class FileTest : public ScriptTest {
 protected:
  std::string Script(const std::string& body) { return "script {\n" + body + "\n}\n"; }
  const CSgLoadedFile* Loaded(int i) const {
    return i < root->loadedFiles().Count() ? dynamic_cast<CSgLoadedFile*>(root->loadedFiles().At(i)) : nullptr;
  }
};

TEST_F(FileTest, WorkDirectoryForms) {
  const std::string host = SgHostDirectory();
  struct Row {
    std::string value, expected;
  };
  const Row rows[] = {
      {dir.path() + "/data", dir.path() + "/data"},  // whole: kept
      {"data", host + "\\data"},                     // relative: below the host directory
      {"\\data", host + "\\data"},                   // no second separator
      {"CURDIR\\data", dir.path() + "\\data"},       // the script's own directory
      {"CURDIR", dir.path()},
      {"D:\\proj", "D:\\proj"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    ReadOutcome o = Read(Script("settings { workdir { " + r.value + " } }"));
    EXPECT_EQ(o.result, 1) << Joined(o);
    EXPECT_EQ(reader->WorkDirectory(), r.expected);
    EXPECT_STREQ(SgGetWorkDirectory(), r.expected.c_str());
  }
  EXPECT_EQ(ScrScriptDirectory("D:\\proj\\main.txt"), "D:\\proj");
  EXPECT_EQ(ScrScriptDirectory("scenes/main.scr"), SgCurrentDirectory() + "/scenes");
}

TEST_F(FileTest, EachKindIsLoadedWhereItBelongs) {
  struct Row {
    const char* file;
    const char* format;
    std::string target;
  };
  const Row rows[] = {
      {"pump.sgv", "scene model", "/pump.sgv"},
      {"walk.ANM", "animation", "main:walk"},  // the extension is lowercased
      {"moves.anb", "animation list", "main:moves"},
      {"cold.sta", "state", "main:cold"},
      {"plant.env", "state", "main:plant"},
      {"valve.3ds", "3ds model", "/scene/3ds/valve.3ds"},
      {"frame.sgam", "assembly model", "solver"},
  };
  std::string body;
  for (const Row& r : rows) {
    dir.WriteBytes(r.file, "data");
    body += std::string("file { ") + r.file + " }\n";
  }
  ReadOutcome o = Read(Script(body));
  EXPECT_EQ(o.result, 1) << Joined(o);
  EXPECT_TRUE(o.messages.empty()) << Joined(o);
  ASSERT_EQ(root->loadedFiles().Count(), 7);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(rows[i].file);
    const CSgLoadedFile* rec = Loaded(i);
    ASSERT_NE(rec, nullptr);
    EXPECT_STREQ(rec->Name(), rows[i].file);
    EXPECT_EQ(rec->Path(), dir.path() + "\\" + rows[i].file);
    EXPECT_STREQ(rec->Format(), rows[i].format);
    EXPECT_EQ(rec->Target(), rows[i].target);
    EXPECT_EQ(rec->Loaded(), 1);
  }
  EXPECT_NE(SgFieldExists("/pump.sgv"), SG_NO_KEY);
  EXPECT_NE(SgFieldExists("/scene/3ds/valve.3ds"), SG_NO_KEY);
  ASSERT_NE(root->FindAnimation("walk"), nullptr);
  EXPECT_EQ(root->FindAnimation("walk")->TypeCode(), SGT_ANIMATION);
  EXPECT_NE(root->FindAnimation("moves"), nullptr);
  ASSERT_EQ(root->statuses().Count(), 2);
  EXPECT_STREQ(root->statuses().At(1)->Name(), "plant");
  EXPECT_EQ(root->Environment()->Solver()->Models().size(), 1u);
}

TEST_F(FileTest, FilesThatCannotBeLoaded) {
  dir.WriteBytes("readme", "x");
  dir.WriteBytes("notes.txt", "x");
  std::filesystem::create_directories(dir.path() + "/folder.sgv");
  const std::string script = dir.path() + "/main.scr";
  struct Row {
    std::string file;
    int result;
    std::string message;  // "" for none
  };
  const Row rows[] = {
      // A name found nowhere is looked for in the host's resource folder last.
      {"absent.sgv", 0, "\n" + script + ": fail to load file " + SgHostDirectory() + "\\Resource\\Script\\absent.sgv"},
      {"folder.sgv", 0, "\n" + script + ": fail to load file " + dir.path() + "\\folder.sgv"},
      {"readme", 1, "\n" + script + ": 无法识别的文件格式 " + dir.path() + "\\readme"},
      {"notes.txt", 1, "\n" + script + ": 无法识别的文件格式 " + dir.path() + "\\notes.txt"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    reader->Messages().Clear();
    ReadOutcome o = Read(Script("file { " + r.file + " }\ndefine { AFTER 1 }"));
    EXPECT_EQ(o.result, r.result);
    ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
    EXPECT_EQ(o.messages[0], r.message);
    EXPECT_NE(o.entries[0].severity, ScrSeverity::Error);
    DWORD v;
    BYTE fl;
    EXPECT_EQ(reader->FindMacro("AFTER", v, fl), r.result) << "a file that cannot be read stops the script";
  }
  EXPECT_EQ(root->loadedFiles().Count(), 0);
}

TEST_F(FileTest, WithoutModelsASceneIsOnlyChecked) {
  dir.WriteBytes("pump.sgv", "data");
  dir.WriteBytes("walk.anm", "data");
  // Without braces the name alone is the block: the keyword after it is read as one.
  std::string path = dir.WriteGbk("main.scr", Script("file\npump.sgv\nfile { walk.anm }"));
  EXPECT_EQ(reader->ReadXScript(path.c_str(), 0, 0), 1);
  EXPECT_EQ(reader->MessageCount(), 0);
  EXPECT_EQ(SgFieldExists("/pump.sgv"), SG_NO_KEY);
  ASSERT_EQ(root->loadedFiles().Count(), 2);
  EXPECT_EQ(Loaded(0)->Loaded(), 0);
  EXPECT_NE(root->FindAnimation("walk"), nullptr) << "only scene models depend on the option";
}

TEST_F(FileTest, ImportLoadsUnderItsField) {
  dir.WriteBytes("valve.3ds", "data");
  dir.WriteBytes("pump.sgv", "data");
  dir.WriteBytes("walk.anm", "data");
  const std::string script = dir.path() + "/main.scr";
  ReadOutcome o = Read(Script(
      "import { filename { valve.3ds } field { /scene/pump } }\n"
      "import { filename { pump.sgv } field { /scene/plant } }\n"
      "import { filename { walk.anm } field { /scene/x } }\n"
      "import { filename { gone.3ds } field { /scene/x } }\n"
      "import { color { 1 } }"));
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 3u) << Joined(o);
  EXPECT_EQ(o.messages[0], "\n" + script + ": 无法识别的文件格式 " + dir.path() + "\\walk.anm");
  EXPECT_EQ(o.messages[1], "\n" + script + ": fail to load file " + SgHostDirectory() + "\\Resource\\Script\\gone.3ds");
  EXPECT_NE(o.messages[2].find("无效关键字 'color'"), std::string::npos);
  EXPECT_NE(SgFieldExists("/scene/pump/valve.3ds"), SG_NO_KEY);
  EXPECT_NE(SgFieldExists("/scene/plant/pump.sgv"), SG_NO_KEY);
  EXPECT_STREQ(SgFieldContents(SgFieldExists("/scene/pump"), "commands"), "smoothen(0)");
  ASSERT_EQ(root->loadedFiles().Count(), 2);
  EXPECT_STREQ(Loaded(1)->Target(), "/scene/plant/pump.sgv");
}

TEST_F(FileTest, SettingsReachTheRuntime) {
  ReadOutcome o = Read(Script(
      "settings {\n"
      "  vertical { 0, 0, 1 }\n"
      "  resolution { 1024, 768 }\n"
      "  font_scale { 1.5, 2 }\n"
      "  stereo { true }\n"
      "  default { imageonmemory, reaction local, shiny }\n"
      "}\n"
      "settings { stereo { maybe } }"));
  EXPECT_EQ(o.result, 1);
  ASSERT_EQ(o.messages.size(), 1u) << Joined(o);  // the first error silences the second
  EXPECT_NE(o.messages[0].find("第7行无效字符串 'shiny', 忽略. [default]"), std::string::npos) << o.messages[0];
  float up[3];
  root->SgView()->GetVerticalAxis(up);
  EXPECT_EQ(up[2], 1.0f);
  int w = 0, h = 0, stereo = 0, n = 0;
  EXPECT_EQ(SgGetResolution(&w, &h), 1);
  EXPECT_EQ(w * 10000 + h, 1024 * 10000 + 768);
  float scale[2] = {};
  EXPECT_EQ(SgGetOptionValuefv("fontscale", scale, 2, &n), 1);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(scale[0], 1.5f);
  EXPECT_EQ(SgGetOptionValuei("stereo", &stereo), 1);
  EXPECT_EQ(stereo, 1) << "a value that is not TRUE or FALSE changes nothing";
  EXPECT_EQ(reader->bLoadImageDataDefault(), 1);
  EXPECT_EQ(reader->bReactionLocalDeafult(), 1);
  ASSERT_EQ(root->settings().Count(), 2);
  SgResetScene();
  EXPECT_EQ(SgGetResolution(&w, &h), 0) << "the options go with the scene";
}

}  // namespace
