// One script that uses every keyword of the keyword table, each where a block reads it: the
// table and the readers cannot drift apart without this test saying which words are left over.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "lexer/ScrKeywordTable.h"
#include "support/ScriptFixture.h"

namespace {

const std::string kFixture = std::string(SCR_TEST_SOURCE_DIR) + "/reader/fixtures/every-keyword.scr";

// Words the table lists that no block reads, written in the fixture where the table puts them;
// each is refused as an invalid keyword and passed over with its block.
const std::set<std::string> kReadNowhere = {
    "frame",      // inside track
    "dword",      // inside act
    "vehicle",    // inside controller, with all its sub-keywords
    "environment",  // inside texture
    "process",    "magicmenu", "server",  "client",  // top-level blocks without a reader
    "bitmap2",    "diffuse_map", "normal_map", "arm_map", "shader", "factor",  // in no block at all
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  std::string w;
  for (char c : text + " ") {
    if (std::isalnum((unsigned char)c) || c == '_') {
      w += c;
    } else {
      if (!w.empty()) words.insert(w);
      w.clear();
      if (c == '{' || c == '}') words.insert(std::string(1, c));
    }
  }
  return words;
}

class EveryKeywordTest : public ScriptTest {};

TEST_F(EveryKeywordTest, FixtureHoldsEveryKeywordOfTheTable) {
  const std::set<std::string> words = Words(Slurp(kFixture));
  ASSERT_FALSE(words.empty()) << kFixture;
  int count = 0;
  const ScrKeywordRecord* table = ScrKeywordTable(&count);
  std::vector<std::string> missing;
  for (int i = 0; i < count; ++i) {
    const std::string name = table[i].name;
    if (name != "*" && !words.count(name)) missing.push_back(name);
  }
  EXPECT_TRUE(missing.empty()) << "keywords missing from every-keyword.scr: " << ::testing::PrintToString(missing);
}

// With the grammar check on: the fixture passes it, every block is read, no word is refused but
// those listed above, and the read gets to the last line.
TEST_F(EveryKeywordTest, EveryKeywordIsRead) {
  reader->SetKeepSuppressed(1);
  const ReadOutcome o = Collect(reader->ReadXScript(kFixture.c_str(), 1, 1));
  std::vector<std::string> all = o.messages;
  for (const ScrMessageEntry& e : reader->Suppressed().Entries()) all.push_back(Utf8(e.text));

  // The word each refusal names, in the forms the readers use.
  static const std::regex kRefused[] = {
      std::regex("无效关键字 ?'([^']*)'"),
      std::regex("'([^']*)' 不是关键字"),
      std::regex("invalid keyword (\\S+), ignored"),
  };
  std::set<std::string> refused;
  std::string stops;
  for (const std::string& m : all) {
    for (const std::regex& re : kRefused) {
      std::smatch match;
      if (std::regex_search(m, match, re)) refused.insert(match[1].str());
    }
    if (m.find("读入停止") != std::string::npos) stops += m + "\n";
  }
  std::set<std::string> unexpected;
  for (const std::string& w : refused)
    if (!kReadNowhere.count(w)) unexpected.insert(w);
  std::string text;
  for (const std::string& m : all) text += m + "\n";
  EXPECT_TRUE(unexpected.empty()) << "refused: " << ::testing::PrintToString(unexpected) << "\n" << text;
  EXPECT_EQ(stops, "");
  EXPECT_NE(root->FindVariableLocal("every_keyword_end"), nullptr) << text;
  EXPECT_NE(root->FindVariableLocal("included_part"), nullptr);
}

}  // namespace
