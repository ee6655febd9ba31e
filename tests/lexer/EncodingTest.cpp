// The encodings layer: detection, the iconv loop, and opening script files as GBK.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "lexer/ScrEncoding.h"

namespace {

// A fresh directory under the system temporary directory, removed with its files at the end.
class TempDir {
 public:
  TempDir() {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/screnc_XXXXXX";
    path_ = mkdtemp(tmpl.data()) ? tmpl : "";
  }
  ~TempDir() {
    for (const std::string& f : Files()) unlink((path_ + "/" + f).c_str());
    rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string full = path_ + "/" + name;
    std::ofstream(full, std::ios::binary) << bytes;
    return full;
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(path_.c_str())) {
      while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
      closedir(d);
    }
    return names;
  }

 private:
  std::string path_;
};

std::string ReadRest(CScrStream* f) {
  return std::string(f->Text().substr(static_cast<size_t>(f->Tell()), static_cast<size_t>(f->End() - f->Tell())));
}

bool IsTwoByteUtf8Only(const std::string& s) {
  for (size_t i = 0; i < s.size(); i += 2) {
    auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    if (a < 0xC2 || a > 0xDF || b < 0x80 || b > 0xBF) return false;
  }
  return s.size() % 2 == 0;
}

}  // namespace

TEST(Encoding, NamesAndParsing) {
  EXPECT_STREQ(ScrEncodingName(ScrDetectedEncoding::Ascii), "ascii");
  EXPECT_STREQ(ScrEncodingName(ScrDetectedEncoding::Gbk), "gbk");
  EXPECT_STREQ(ScrEncodingName(ScrDetectedEncoding::Utf8), "utf-8");

  ScrEncoding e = ScrEncoding::Gbk;
  EXPECT_EQ(ScrParseEncoding("auto", &e), 1);
  EXPECT_EQ(e, ScrEncoding::Auto);
  EXPECT_EQ(ScrParseEncoding("UTF8", &e), 1);
  EXPECT_EQ(e, ScrEncoding::Utf8);
  EXPECT_EQ(ScrParseEncoding("utf-8", &e), 1);
  EXPECT_EQ(ScrParseEncoding("GBK", &e), 1);
  EXPECT_EQ(e, ScrEncoding::Gbk);
  EXPECT_EQ(ScrParseEncoding("latin1", &e), 0);
  EXPECT_EQ(e, ScrEncoding::Gbk);  // untouched
  EXPECT_EQ(ScrParseEncoding(nullptr, &e), 0);
}

TEST(Encoding, Detection) {
  EXPECT_EQ(ScrDetectEncoding(""), ScrDetectedEncoding::Ascii);
  EXPECT_EQ(ScrDetectEncoding("script { button b1 }\r\n"), ScrDetectedEncoding::Ascii);
  EXPECT_EQ(ScrDetectEncoding("\xEF\xBB\xBFscript"), ScrDetectedEncoding::Utf8);
  EXPECT_EQ(ScrDetectEncoding("name \"按钮\""), ScrDetectedEncoding::Utf8);
  EXPECT_EQ(ScrDetectEncoding(ScrUtf8ToGbk("name \"按钮一\"")), ScrDetectedEncoding::Gbk);

  // GBK text of one and of two hanzi whose bytes happen to be valid two-byte UTF-8: still GBK.
  const std::string one = ScrUtf8ToGbk("陆");
  const std::string two = ScrUtf8ToGbk("路陆");
  ASSERT_TRUE(IsTwoByteUtf8Only(one));
  ASSERT_TRUE(IsTwoByteUtf8Only(two));
  EXPECT_EQ(ScrDetectEncoding("text " + one), ScrDetectedEncoding::Gbk);
  EXPECT_EQ(ScrDetectEncoding(two + " }"), ScrDetectedEncoding::Gbk);

  // Three-byte sequences that strict UTF-8 refuses are not evidence either.
  EXPECT_EQ(ScrDetectEncoding("a \xE0\x80\xAF b"), ScrDetectedEncoding::Gbk);  // overlong
  EXPECT_EQ(ScrDetectEncoding("a \xED\xA0\x80 b"), ScrDetectedEncoding::Gbk);  // surrogate
  EXPECT_EQ(ScrDetectEncoding("中\xE4\xB8"), ScrDetectedEncoding::Gbk);         // cut short
}

TEST(Encoding, RoundTripsAndReplacement) {
  const std::string text = "错误: (a.scr) 第3行无效关键字 'x', 忽略. [script]，；！＝€";
  const std::string gbk = ScrUtf8ToGbk(text);
  EXPECT_EQ(gbk.substr(0, 4), "\xB4\xED\xCE\xF3");  // 错误
  EXPECT_EQ(ScrGbkToUtf8(gbk), text);
  EXPECT_EQ(ScrGbkToUtf8("\x80"), "€");  // glibc's GBK maps 0x80 to the euro sign

  // An incomplete trailing GBK byte: stops there strictly, becomes U+FFFD when replacing.
  std::string out;
  EXPECT_FALSE(ScrConvert("GBK", "UTF-8", ScrUtf8ToGbk("中") + "\xD6", out));
  EXPECT_EQ(out, "中");
  EXPECT_EQ(ScrGbkToUtf8(ScrUtf8ToGbk("中") + "\xD6"), "中\xEF\xBF\xBD");
  // A bad byte in the middle is replaced and conversion goes on; nothing is dropped.
  EXPECT_EQ(ScrGbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_FALSE(ScrConvert("GBK", "UTF-8", "a\xFF" "b", out, "#"));
  EXPECT_EQ(out, "a#b");

  // Characters GBK lacks become one '?' each; invalid UTF-8 bytes one '?' per byte.
  EXPECT_EQ(ScrUtf8ToGbk("a😀b"), "a?b");
  EXPECT_EQ(ScrUtf8ToGbk("a\xC3(b"), "a?(b");
  EXPECT_EQ(ScrUtf8ToGbk("x\xE4\xB8"), "x??");

  EXPECT_TRUE(ScrConvert("UTF-8", "GBK", "", out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ScrConvert("UTF-8", "NO-SUCH-CODE", "abc", out));
  EXPECT_TRUE(out.empty());
}

TEST(Encoding, GrowsOutputForLargeInput) {
  // UTF-32 needs four bytes per ASCII byte: the output must grow several times.
  const std::string ascii(1 << 20, 'k');
  std::string out;
  ASSERT_TRUE(ScrConvert("UTF-8", "UTF-32LE", ascii, out));
  ASSERT_EQ(out.size(), ascii.size() * 4);
  EXPECT_EQ(out.substr(out.size() - 4), std::string("k\0\0\0", 4));

  std::string hanzi;
  for (int i = 0; i < 100000; ++i) hanzi += "中文";
  const std::string gbk = ScrUtf8ToGbk(hanzi);
  EXPECT_EQ(gbk.size(), 400000u);
  EXPECT_EQ(ScrGbkToUtf8(gbk), hanzi);

  // Many replacements, each longer than the byte it stands for.
  const std::string bad(50000, '\xFF');
  EXPECT_EQ(ScrGbkToUtf8(bad).size(), bad.size() * 3);
}

TEST(Encoding, OpenUtf8ScriptGivesSeekableGbk) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  TempDir tmp;  // the transcoded copy must not stay behind in the temporary directory
  const char* oldTmp = getenv("TMPDIR");
  std::string saved = oldTmp ? oldTmp : "";
  setenv("TMPDIR", tmp.path().c_str(), 1);

  const std::string body = "script {\n  text { name \"标题\" content \"你好\" }\n}\n";
  const std::string file = dir.Write("a.scr", "\xEF\xBB\xBF" + body);
  ScrDetectedEncoding det = ScrDetectedEncoding::Ascii;
  auto f = ScrOpenScriptFile(file.c_str(), ScrEncoding::Auto, &det);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(det, ScrDetectedEncoding::Utf8);
  EXPECT_TRUE(tmp.Files().empty());
  const std::string gbk = ScrUtf8ToGbk(body);
  EXPECT_EQ(ReadRest(f.get()), gbk);
  f->Seek(9);
  EXPECT_EQ(f->Tell(), 9);
  EXPECT_EQ(ReadRest(f.get()), gbk.substr(9));

  // Forced GBK: the bytes as they are, BOM included.
  f = ScrOpenScriptFile(file.c_str(), ScrEncoding::Gbk, &det);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(det, ScrDetectedEncoding::Gbk);
  EXPECT_EQ(ReadRest(f.get()), "\xEF\xBB\xBF" + body);

  if (oldTmp) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  EXPECT_TRUE(tmp.Files().empty());
}

TEST(Encoding, OpenGbkAndAsciiScriptsAsTheyAre) {
  TempDir dir;
  const std::string gbk = ScrUtf8ToGbk("script { text { content \"路陆\" } }");
  const std::string gbkFile = dir.Write("g.scr", gbk);
  ScrDetectedEncoding det = ScrDetectedEncoding::Utf8;
  auto f = ScrOpenScriptFile(gbkFile.c_str(), ScrEncoding::Auto, &det);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(det, ScrDetectedEncoding::Gbk);
  EXPECT_EQ(ReadRest(f.get()), gbk);

  const std::string asciiFile = dir.Write("b.scr", "script { }\r\n");
  f = ScrOpenScriptFile(asciiFile.c_str(), ScrEncoding::Auto, &det);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(det, ScrDetectedEncoding::Ascii);
  EXPECT_EQ(ReadRest(f.get()), "script { }\r\n");  // binary mode: CR kept

  // Forced UTF-8 on bytes that are not: nothing is read, and the first bad byte is located (no
  // row of '?' stands in for the text). A character GBK lacks is '?' and noted where it stands.
  const std::string utf8File = dir.Write("u.scr", "中\n中 \xC3(");
  f = ScrOpenScriptFile(utf8File.c_str(), ScrEncoding::Utf8, &det);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(det, ScrDetectedEncoding::Utf8);
  EXPECT_EQ(ReadRest(f.get()), "");
  EXPECT_EQ(f->Source().BadByte().line, 2);
  EXPECT_EQ(f->Source().BadByte().column, 3);
  EXPECT_EQ(f->Source().BadByte().value, 0xC3);
  f = ScrOpenScriptFile(dir.Write("e.scr", "中\xF0\x9F\x98\x80").c_str(), ScrEncoding::Auto, &det);
  ASSERT_EQ(f->Source().LostChars().size(), 1u);
  EXPECT_EQ(f->Source().LostChars()[0].offset, 2u);
  EXPECT_EQ(f->Source().LostChars()[0].codepoint, 0x1F600u);

  ScrOpenError error = ScrOpenError::None;
  EXPECT_EQ(ScrOpenScriptFile((dir.path() + "/missing.scr").c_str(), ScrEncoding::Auto, nullptr, &error), nullptr);
  EXPECT_EQ(error, ScrOpenError::NotFound);
  EXPECT_EQ(ScrOpenScriptFile(nullptr, ScrEncoding::Auto), nullptr);
  // Only regular files are read: a directory or a device that never ends is refused at once.
  for (const char* path : {"/dev/zero", "/dev/null", "/tmp"}) {
    error = ScrOpenError::None;
    EXPECT_EQ(ScrOpenScriptFile(path, ScrEncoding::Gbk, nullptr, &error), nullptr) << path;
    EXPECT_EQ(error, ScrOpenError::NotRegular) << path;
  }
}

TEST(Encoding, OpenScriptPathForms) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir.path() + "/sub").c_str(), 0700), 0);
  dir.Write("sub/x.scr", "script { }");
  // Backslashes separate directories.
  std::string winPath = dir.path() + "\\sub\\x.scr";
  auto f = ScrOpenScriptFile(winPath.c_str(), ScrEncoding::Auto);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(ReadRest(f.get()), "script { }");
  unlink((dir.path() + "/sub/x.scr").c_str());
  rmdir((dir.path() + "/sub").c_str());

  // A name written in GBK finds the file whose name on disk is UTF-8.
  dir.Write("模型.scr", "script { }");
  std::string gbkPath = dir.path() + "/" + ScrUtf8ToGbk("模型.scr");
  f = ScrOpenScriptFile(gbkPath.c_str(), ScrEncoding::Auto);
  ASSERT_NE(f, nullptr);
}
