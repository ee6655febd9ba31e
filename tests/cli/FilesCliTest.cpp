// scrread on a script that loads a model file and declares a coordinate: both show in the dump.
#include <gtest/gtest.h>

#include "CliSupport.h"

namespace {

TEST(FilesCli, JsonDumpShowsLoadedFilesAndCoordinates) {
  RunResult r = RunScrread({"read", "--dump", "json", Fixture("files/scene.scr")});
  ASSERT_EQ(r.status, 0) << r.err;
  Json j;
  std::string error;
  ASSERT_TRUE(ParseJson(r.out, j, error)) << error << "\n" << r.out;
  const Json& module = j["module"];
  ASSERT_EQ(module["loadedFiles"].size(), 1u) << r.out;
  const Json& file = module["loadedFiles"][0];
  EXPECT_EQ(file["kind"].string, "CSgLoadedFile");
  EXPECT_EQ(file["name"].string, "pump.sgv");
  EXPECT_EQ(file["format"].string, "scene model");
  EXPECT_EQ(file["target"].string, "/pump.sgv");
  EXPECT_TRUE(file["loaded"].boolean);
  ASSERT_EQ(module["settings"].size(), 1u);
  EXPECT_NE(module["settings"][0]["workdir"].string.find("fixtures/files"), std::string::npos);
  ASSERT_EQ(module["variables"].size(), 1u);
  const Json& coord = module["variables"][0];
  EXPECT_EQ(coord["kind"].string, "CSgCoord");
  EXPECT_EQ(coord["name"].string, "inlet");
  ASSERT_EQ(coord["coord"].size(), 3u);
  EXPECT_EQ(coord["coord"][2].number, 3);
  EXPECT_EQ(coord["field"].string, "/pump.sgv");
}

}  // namespace
