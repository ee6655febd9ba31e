// Whole paths of script files and the include list.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "LexTestUtil.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Platform.h"

using namespace lextest;

namespace {

// A temporary work directory with a few files, removed afterwards.
class WorkDir {
 public:
  WorkDir() {
    m_dir = SgCreateTempDirectory();
    EXPECT_FALSE(m_dir.empty());
  }
  ~WorkDir() {
    for (const std::string& f : m_files) ::unlink(f.c_str());
    ::rmdir(m_dir.c_str());
  }
  void Add(const std::string& fsName) {
    std::string p = m_dir + "/" + fsName;
    FILE* f = std::fopen(p.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    m_files.push_back(p);
  }
  const std::string& dir() const { return m_dir; }

 private:
  std::string m_dir;
  std::vector<std::string> m_files;
};

}  // namespace

TEST(WholePath, JoinsWithTheWorkDirectory) {
  WorkDir w;
  w.Add("a.sgv");
  const std::string dir = w.dir();
  EXPECT_EQ(ScrGetWholePathname(dir.c_str(), "a.sgv"), dir + "\\a.sgv");
  EXPECT_EQ(ScrGetWholePathname((dir + "\\").c_str(), "\\a.sgv"), dir + "\\a.sgv");
  EXPECT_EQ(ScrGetWholePathname((dir + "/").c_str(), "a.sgv"), dir + "/a.sgv");
  // A whole name is taken as it is.
  EXPECT_EQ(ScrGetWholePathname("", (dir + "\\a.sgv").c_str()), dir + "\\a.sgv");
  EXPECT_EQ(ScrGetWholePathname("D:\\elsewhere", (dir + "/a.sgv").c_str()), dir + "/a.sgv");
  EXPECT_EQ(ScrToFsPath("C:\\x\\a.sgv"), "C:/x/a.sgv");
}

TEST(WholePath, MissingFilesFallBackToTheResourceFolder) {
  WorkDir w;
  const std::string host = SgHostDirectory();
  EXPECT_EQ(ScrGetWholePathname(w.dir().c_str(), "missing.sgv"), host + "\\Resource\\Script\\missing.sgv");
  EXPECT_EQ(ScrGetWholePathname("", "C:\\x\\a.sgv"), host + "\\Resource\\Script\\C:\\x\\a.sgv");
  // A relative work directory is made whole against the host directory.
  EXPECT_EQ(ScrGetWholePathname("", "\\nowhere.sgv"), host + "\\Resource\\Script\\\\nowhere.sgv");
}

TEST(WholePath, GbkNamesAreFoundThroughTheirUtf8Spelling) {
  WorkDir w;
  const std::string utf8 = "\xE6\x95\xB0\xE6\x8D\xAE.sgv";  // 数据.sgv
  w.Add(utf8);
  const std::string gbk = ScrUtf8ToGbk(utf8);
  ASSERT_NE(gbk, utf8);
  // The path keeps the name as the script wrote it.
  EXPECT_EQ(ScrGetWholePathname(w.dir().c_str(), gbk.c_str()), w.dir() + "\\" + gbk);
}

TEST(WholePath, CharBufferIsBounded) {
  std::string longName(600, 'n');
  std::vector<char> out(SCR_PATH_BUFFER + 8, '#');
  ScrGetWholePathname("", longName.c_str(), out.data());
  EXPECT_EQ(std::string(out.data()).size(), static_cast<size_t>(SCR_PATH_MAX));
  EXPECT_EQ(out[SCR_PATH_BUFFER], '#');
}

TEST(IncludeList, OncePerModule) {
  ResetLexer();
  ScrDeleteIncludeFilenames();
  CSgModule root("main");
  auto* x = new CSgModule("x");
  auto* y = new CSgModule("y");
  root.AddChild(x);
  root.AddChild(y);
  auto* xm = new CSgModule("m");
  auto* ym = new CSgModule("m");
  x->AddChild(xm);
  y->AddChild(ym);

  CScriptReader reader(&root);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 0);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 1);
  EXPECT_EQ(ScrFindIncludeFilename(nullptr, "a.sgv"), 1);  // the current reader
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "A.sgv"), 0);  // names are compared as written

  // Two modules of one name under different parents do not share includes.
  reader.PushModule(xm);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 0);
  reader.PopModule();
  reader.PushModule(ym);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 0);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 1);
  reader.PopModule();

  // A key is matched whole: "xmain:b.sgv" does not make "main:b.sgv" included.
  CSgModule other("xmain");
  CScriptReader otherReader(&other);
  EXPECT_EQ(ScrFindIncludeFilename(&otherReader, "b.sgv"), 0);
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "b.sgv"), 0);

  // The list outlives readers until the host deletes it.
  ScrDeleteIncludeFilenames();
  EXPECT_EQ(ScrFindIncludeFilename(&reader, "a.sgv"), 0);
  ScrDeleteIncludeFilenames();
}
