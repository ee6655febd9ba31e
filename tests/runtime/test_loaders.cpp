// The loaders refuse what is not a readable regular file and make nothing for it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "sg/Display.h"
#include "sg/Gfx.h"
#include "sg/Loaders.h"
#include "sg/Module.h"
#include "sg/Platform.h"

TEST(Loaders, RefuseMissingFilesAndDirectories) {
  SgResetScene();
  const std::string dir = SgCreateTempDirectory();
  ASSERT_FALSE(dir.empty());
  CSgModule module;
  for (const std::string& path : {dir + "/absent.sgv", dir}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(VtkReadStreamFile(path.c_str(), module.Environment()), SG_NO_KEY);
    EXPECT_EQ(SgUtRead3dsFile(path.c_str()), SG_NO_KEY);
    CAnimation anim("a");
    EXPECT_EQ(ImportAnimFile(path.c_str(), &anim, 20, 0.0), 0);
    std::list<CAnimation*> list;
    EXPECT_EQ(ReadAnimationListFromFile(path.c_str(), list, 0, &module), 0);
    EXPECT_TRUE(list.empty());
    CSgStatus before;
    CSgStatus* status = &before;  // set to null on failure
    EXPECT_EQ(ReadEnviromentFile(path.c_str(), status, &module), 0);
    EXPECT_EQ(status, nullptr);
    EXPECT_EQ(module.Environment()->Solver()->LoadSlvModel(path.c_str()), 0);
    EXPECT_NE(std::string(SgGetErrorMessage()).find(path), std::string::npos);
  }
  EXPECT_EQ(SgFieldChildCount(SgFieldExists("/")), 0) << "no node was made";
  std::remove(dir.c_str());
}

TEST(Loaders, NamesAndFieldCommands) {
  SgResetScene();
  EXPECT_EQ(SgFileNameOf("D:\\scenes/pump.v2.sgv"), "pump.v2.sgv");
  EXPECT_EQ(SgFileStemOf("D:\\scenes/pump.v2.sgv"), "pump.v2");
  EXPECT_EQ(SgFileStemOf(".hidden"), ".hidden");
  SGKEY key = SgOpenField("/scene/pump");
  SgCloseField();
  EXPECT_EQ(SgFieldCommand("smoothen", key, 0), 1);
  EXPECT_EQ(SgFieldCommand("flip", key, 2), 1);
  EXPECT_STREQ(SgFieldContents(key, "commands"), "smoothen(0);flip(2)");
  EXPECT_EQ(SgFieldCommand("smoothen", 9999, 0), 0);
  EXPECT_EQ(SgFieldCommand("", key, 0), 0);
}
