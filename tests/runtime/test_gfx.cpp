// The scene of fields, the current field, appearance, contents and the trace writer.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Platform.h"

namespace {

class Gfx : public ::testing::Test {
 protected:
  void SetUp() override { SgResetScene(); }
  void TearDown() override { SgResetScene(); }
};

std::string PathOf(SGKEY key) {
  char buf[256];
  return SgShowFieldPathName(key, buf, sizeof buf) ? buf : "<none>";
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

void RemoveDir(const std::string& dir) {
  for (const std::string& n : ListDir(dir)) std::remove((dir + "/" + n).c_str());
  rmdir(dir.c_str());
}

}  // namespace

TEST_F(Gfx, OpenCreatesAndExistsFinds) {
  EXPECT_EQ(SgFieldExists("/"), 1);  // the root always exists with the first key
  EXPECT_EQ(SgFieldExists("/scene/pump"), -1);
  EXPECT_EQ(SgCurrentField(), -1);

  SGKEY pump = SgOpenField("/scene/pump");
  SgCloseField();
  EXPECT_EQ(pump, 3);  // /scene got 2
  EXPECT_EQ(SgFieldExists("/scene"), 2);
  EXPECT_EQ(SgFieldExists("/scene/pump"), pump);
  EXPECT_EQ(SgFieldExists("\\scene\\pump\\"), pump);  // either separator, trailing one ignored
  EXPECT_EQ(SgFieldExists("/Scene/pump"), -1);        // names are exact
  EXPECT_EQ(SgFieldExists(nullptr), -1);
  EXPECT_EQ(SgOpenField("scene//pump"), pump);  // opening again does not create
  SgCloseField();
  EXPECT_EQ(PathOf(pump), "/scene/pump");
  SGKEY owner = 0;
  EXPECT_EQ(SgShowOwner(pump, &owner), 1);
  EXPECT_EQ(owner, 2);
  EXPECT_EQ(SgShowOwner(1, &owner), 1);
  EXPECT_EQ(owner, -1);
  EXPECT_EQ(SgShowOwner(99, &owner), 0);
  EXPECT_EQ(SgFieldChildCount(2), 1);
  EXPECT_EQ(SgFieldChild(2, 0), pump);
  EXPECT_EQ(SgFieldChild(2, 1), -1);
  EXPECT_STREQ(SgFieldName(pump), "pump");

  // Close returns to the field open before.
  SGKEY a = SgOpenField("/a");
  SgOpenField("/b");
  SgCloseField();
  EXPECT_EQ(SgCurrentField(), a);
  SgCloseField();
  EXPECT_EQ(SgCurrentField(), -1);
  SgCloseField();  // unmatched close is harmless
  EXPECT_EQ(SgOpenFieldByKey(12345), -1);
  EXPECT_EQ(SgOpenFieldByKey(a), a);
  SgCloseField();

  // Reset leaves only the root, and keys start again.
  SgResetScene();
  EXPECT_EQ(SgFieldExists("/scene"), -1);
  EXPECT_EQ(SgOpenField("/x"), 2);
  SgCloseField();
}

TEST_F(Gfx, PathNameCopyIsBounded) {
  SGKEY k = SgOpenField("/scene/a_long_name");
  SgCloseField();
  char small[8];
  std::memset(small, 'z', sizeof small);
  EXPECT_EQ(SgShowFieldPathName(k, small, sizeof small), 0);
  EXPECT_STREQ(small, "/scene/");
  char exact[19];
  EXPECT_EQ(SgShowFieldPathName(k, exact, sizeof exact), 1);
  EXPECT_STREQ(exact, "/scene/a_long_name");
  EXPECT_EQ(SgShowFieldPathName(k, exact, 0), 0);
  EXPECT_EQ(SgShowFieldPathName(-1, exact, sizeof exact), 0);
  EXPECT_STREQ(exact, "");
}

TEST_F(Gfx, RelativeFinds) {
  CSgModule root("main");
  auto* pump = new CSgModule("Pump");
  root.AddChild(pump);
  SGKEY modLocal = SgOpenField("/scene/main/Pump/valve");
  SgCloseField();
  SGKEY sceneWide = SgOpenField("/scene/valve");
  SgCloseField();
  SGKEY rootLevel = SgOpenField("/lamp");
  SgCloseField();
  SGKEY sceneLamp = SgOpenField("/scene/other");
  SgCloseField();

  EXPECT_EQ(FindFieldByRelativePathName(pump, "valve"), modLocal);   // the module's own first
  EXPECT_EQ(FindFieldByRelativePathName(&root, "valve"), sceneWide);  // then under /scene
  EXPECT_EQ(FindFieldByRelativePathName(pump, "lamp"), rootLevel);   // then under /
  EXPECT_EQ(FindFieldByRelativePathName(pump, "/scene/valve"), sceneWide);  // absolute as is
  EXPECT_EQ(FindFieldByRelativePathName(nullptr, "other"), sceneLamp);
  EXPECT_EQ(FindFieldByRelativePathName(pump, "/valve"), -1);
  EXPECT_EQ(FindFieldByRelativePathName(pump, "missing"), -1);
  EXPECT_EQ(FindFieldByRelativePathName(pump, ""), -1);
}

TEST_F(Gfx, WildcardFinds) {
  for (const char* p : {"/scene/pipe1/seg", "/scene/pipe2/seg", "/scene/pipe10/seg", "/scene/pump/seg", "/pipe9"}) {
    SgOpenField(p);
    SgCloseField();
  }
  SGKEY* keys = nullptr;
  int count = -1;
  ASSERT_EQ(FindAllFieldsByRelativePathName(nullptr, "pipe?/seg", &keys, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(PathOf(keys[0]), "/scene/pipe1/seg");
  EXPECT_EQ(PathOf(keys[1]), "/scene/pipe2/seg");
  SgFreeArray(keys);

  ASSERT_EQ(FindAllFieldsByRelativePathName(nullptr, "/scene/p*/seg", &keys, &count), 1);
  EXPECT_EQ(count, 4);
  SgFreeArray(keys);

  // '*' stays inside one segment: "*" does not reach /scene/pipe1/seg.
  ASSERT_EQ(FindAllFieldsByRelativePathName(nullptr, "/scene/*", &keys, &count), 1);
  EXPECT_EQ(count, 4);
  SgFreeArray(keys);

  // Under /scene nothing matches "pipe9", so the root-level node is found.
  ASSERT_EQ(FindAllFieldsByRelativePathName(nullptr, "pipe9", &keys, &count), 1);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(PathOf(keys[0]), "/pipe9");
  SgFreeArray(keys);

  EXPECT_EQ(FindAllFieldsByRelativePathName(nullptr, "nothing*", &keys, &count), 0);
  EXPECT_EQ(keys, nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(FindAllFieldsByRelativePathName(nullptr, "*", nullptr, &count), 0);
}

TEST_F(Gfx, TransformsVisibilityAppearanceContents) {
  SGKEY k = SgOpenField("/scene/box");
  float m[16];
  ASSERT_EQ(SgShowTransformByKey(k, m), 1);
  EXPECT_EQ(m[0], 1.0f);
  EXPECT_EQ(m[1], 0.0f);
  EXPECT_EQ(m[15], 1.0f);
  float t[16] = {};
  t[12] = 5.0f;
  EXPECT_EQ(SgSetTransformByKey(k, t, 2), 1);
  ASSERT_EQ(SgShowTransformByKey(k, m), 1);
  EXPECT_EQ(m[12], 5.0f);
  EXPECT_EQ(m[0], 0.0f);
  EXPECT_EQ(SgSetTransformByKey(-1, t, 0), 0);

  int vis = -1;
  EXPECT_EQ(SgSetVisibilityByKey(k, 0), 1);
  EXPECT_EQ(SgShowVisibilityByKey(k, &vis), 1);
  EXPECT_EQ(vis, 0);

  const float red[4] = {1, 0, 0, 1};
  EXPECT_EQ(SgSetTexture("wood.bmp"), 1);
  EXPECT_EQ(SgSetMaterialDiffuse(red), 1);
  EXPECT_EQ(SgSetTransparency(0.5f), 1);
  SGKEY remark = SgInsertRemark("note");
  SGKEY remark2 = SgInsertRemark("second");
  const float pos[2] = {1, 2}, size[2] = {3, 4};
  SGKEY zr = SgInsertZRect(pos, size);
  SgCloseField();
  EXPECT_EQ(SgSetTexture("x"), 0);  // no current field
  EXPECT_EQ(SgInsertImage("a.bmp"), -1);

  SgFieldInfo info;
  ASSERT_EQ(SgGetFieldInfo(k, &info), 1);
  EXPECT_EQ(info.texture, "wood.bmp");
  EXPECT_TRUE(info.hasDiffuse);
  EXPECT_EQ(info.diffuse[0], 1.0f);
  EXPECT_EQ(info.transparency, 0.5f);
  EXPECT_EQ(info.transformFlag, 2);
  EXPECT_EQ(PathOf(remark), "/scene/box/remark1");
  EXPECT_EQ(PathOf(remark2), "/scene/box/remark2");
  // Inserted children take the next free name of their kind, passing over names opened by path;
  // thousands of them under one field are named without trying every earlier name again.
  SgOpenField("/scene/box/remark3");
  SgCloseField();
  SgOpenField("/scene/box");
  SGKEY remark4 = SgInsertRemark("third");
  for (int i = 0; i < 20000; ++i) SgInsertRemark("more");
  SGKEY last = SgInsertRemark("last");
  SgCloseField();
  EXPECT_EQ(PathOf(remark4), "/scene/box/remark4");
  EXPECT_EQ(PathOf(last), "/scene/box/remark20005");
  EXPECT_STREQ(SgFieldContents(remark2, "remark"), "second");
  ASSERT_EQ(SgGetFieldInfo(zr, &info), 1);
  EXPECT_TRUE(info.hasZRect);
  EXPECT_EQ(info.zrect.size[1], 4.0f);

  // Contents by name, with a bounded read.
  EXPECT_EQ(SgSetFieldContents(k, "images", "a.bmp;b.bmp"), 1);
  EXPECT_EQ(SgSetFieldContents(k, "images", "c.bmp"), 1);  // replaces
  char buf[6];
  EXPECT_EQ(SgShowFieldContentsByKey(k, "images", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "c.bmp");
  EXPECT_EQ(SgSetFieldContents(k, "remark", "longer than five"), 1);
  EXPECT_EQ(SgShowFieldContentsByKey(k, "remark", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "longe");
  EXPECT_EQ(SgShowFieldContentsByKey(k, "missing", buf, sizeof buf), 0);
  EXPECT_EQ(SgSetFieldContents(-1, "x", "y"), 0);
  ASSERT_EQ(SgGetFieldInfo(k, &info), 1);
  ASSERT_EQ(info.contents.size(), 2u);
  EXPECT_EQ(info.contents[0].first, "images");
}

TEST_F(Gfx, GlobalState) {
  SgSetErrorMessage("bad type");
  EXPECT_STREQ(SgGetErrorMessage(), "bad type");
  const float c1[3] = {0.1f, 0.2f, 0.3f};
  EXPECT_EQ(SgSetBackgroundColor(c1, nullptr), 1);
  EXPECT_EQ(SgSetBackgroundImage("sky.bmp"), 1);
  SgBackground bg;
  SgGetBackground(&bg);
  EXPECT_EQ(bg.image, "sky.bmp");
  EXPECT_EQ(bg.color2[2], 0.3f);
  SgResetScene();
  EXPECT_STREQ(SgGetErrorMessage(), "");
  SgGetBackground(&bg);
  EXPECT_FALSE(bg.hasColor);
}

TEST_F(Gfx, FullFilename) {
  std::string dir = SgCreateTempDirectory();
  ASSERT_FALSE(dir.empty());
  std::string file = dir + "/model.sgv";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);

  char out[512];
  SgSetWorkDirectory(dir.c_str());
  EXPECT_EQ(SgGetFullFilename("model.sgv", out, sizeof out), 1);
  EXPECT_EQ(std::string(out), file);
  EXPECT_EQ(SgGetFullFilename(file.c_str(), out, sizeof out), 1);
  EXPECT_EQ(SgGetFullFilename("none.sgv", out, sizeof out), 0);
  char tiny[4];
  EXPECT_EQ(SgGetFullFilename("model.sgv", tiny, sizeof tiny), 0);  // does not fit
  RemoveDir(dir);
}

TEST_F(Gfx, TraceWriterNeedsATarget) {
  std::string dir = SgCreateTempDirectory();
  ASSERT_FALSE(dir.empty());
  char* cwd = getcwd(nullptr, 0);
  ASSERT_NE(cwd, nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  // No target: nothing appears, not even in the working directory.
  SgDumpString("c:\\script_lines.txt", 1, "%s", "line one");
  SgDumpString("trace.txt", 0, "%d", 5);
  EXPECT_TRUE(ListDir(dir).empty());
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);

  // A directory target: one file per last path component, append or rewrite.
  SgSetTraceTarget(dir.c_str(), 1);
  SgDumpString("c:\\script_lines.txt", 1, "%s\n", "a");
  SgDumpString("c:/logs/script_lines.txt", 1, "%s\n", "b");
  SgDumpString("..\\..\\escape.txt", 0, "x=%d", 1);
  SgDumpString("dir/", 0, "%s", "noname");
  EXPECT_EQ(ReadFile(dir + "/script_lines.txt"), "a\nb\n");
  EXPECT_EQ(ReadFile(dir + "/escape.txt"), "x=1");
  EXPECT_EQ(ReadFile(dir + "/trace.txt"), "noname");
  SgDumpString("escape.txt", 0, "x=%d", 2);
  EXPECT_EQ(ReadFile(dir + "/escape.txt"), "x=2");

  // A file target receives every dump; a long dump is not cut.
  std::string target = dir + "/all.log";
  SgSetTraceTarget(target.c_str(), 0);
  std::string longText(10000, 'q');
  SgDumpString("one.txt", 0, "%s|", "first");
  SgDumpString("two.txt", 1, "%s", longText.c_str());
  EXPECT_EQ(ReadFile(target), "first|" + longText);
  EXPECT_EQ(ListDir(dir).size(), 4u);

  // Reset removes the target again.
  SgResetScene();
  SgDumpString("one.txt", 1, "%s", "late");
  EXPECT_EQ(ReadFile(target), "first|" + longText);
  RemoveDir(dir);
}

TEST(Platform, Basics) {
  std::string host = SgHostDirectory();
  EXPECT_FALSE(host.empty());
  EXPECT_NE(host.back(), '/');
  EXPECT_TRUE(SgPathExists(host.c_str()));
  EXPECT_FALSE(SgPathExists(nullptr));
  EXPECT_FALSE(SgPathExists(""));

  unsigned long t0 = SgTickCount();
  EXPECT_GE(SgTickCount(), t0);

  std::string p1, p2;
  FILE* f1 = SgCreateTempFile(p1);
  FILE* f2 = SgCreateTempFile(p2);
  ASSERT_NE(f1, nullptr);
  ASSERT_NE(f2, nullptr);
  EXPECT_NE(p1, p2);  // never a fixed name
  EXPECT_EQ(p1.rfind(SgTempDirectory(), 0), 0u);
  std::fputs("data", f1);
  std::fclose(f1);
  std::fclose(f2);
  EXPECT_TRUE(SgPathExists(p1.c_str()));
  std::remove(p1.c_str());
  std::remove(p2.c_str());
}
