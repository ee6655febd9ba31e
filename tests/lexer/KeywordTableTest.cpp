// The keyword table and its queries.
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "lexer/ScrKeywordTable.h"
#include "lexer/ScrLex.h"

TEST(KeywordTable, RecordsAndCounts) {
  int count = 0;
  const ScrKeywordRecord* t = ScrKeywordTable(&count);
  ASSERT_GT(count, 0);
  EXPECT_STREQ(t[count - 1].name, "*");
  int values = 0, blocks = 0, roots = 0;
  std::set<std::string> names;
  for (int i = 0; i < count - 1; ++i) {
    values += t[i].kind == SCR_KW_VALUE;
    blocks += t[i].kind == SCR_KW_BLOCK;
    roots += t[i].kind == SCR_KW_ROOT;
    EXPECT_TRUE(names.insert(t[i].name).second) << "twice: " << t[i].name;
    EXPECT_LT(std::strlen(t[i].name), 32u);
    if (t[i].kind == SCR_KW_VALUE) {
      EXPECT_STREQ(t[i].allowed, "none") << t[i].name;
    }
    // The grammar check takes a word of the table for neither a statement nor a call.
    EXPECT_EQ(ScrIsStatement(t[i].name), 0) << t[i].name;
    EXPECT_EQ(ScrIsCallShaped(t[i].name), 0) << t[i].name;
  }
  // Table order: value keywords from `version` to `factor`, then the blocks from `script` to `nut`.
  EXPECT_STREQ(t[0].name, "version");
  EXPECT_STREQ(t[values - 1].name, "factor");
  EXPECT_STREQ(t[values].name, "script");
  EXPECT_STREQ(t[count - 2].name, "nut");
  // `repeat` is a block: its body holds blocks, which a value keyword's braces may not.
  EXPECT_EQ(values, 137);
  EXPECT_EQ(blocks, 118);
  EXPECT_EQ(ScrFindKeywordRecord("repeat")->kind, SCR_KW_BLOCK);
  EXPECT_EQ(roots, 1);

  const ScrKeywordRecord* r = ScrFindKeywordRecord("script");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->kind, SCR_KW_ROOT);
  EXPECT_STREQ(r->allowed, "all");
  r = ScrFindKeywordRecord("button");
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->allowed,
               "name, field, group, enable, mode, conditions, reaction, otherwise, position, corner, mask, mask_int, "
               "size, rect, target, normal, push, hover,tip, outline, transparency, recordable, unable, visible, "
               "property");
  EXPECT_STREQ(ScrFindKeywordRecord("edit")->allowed,
               "name, field, group, content,enable, reaction, otherwise, position, size, rect, transparency, scale, "
               "font, color, property");
  EXPECT_NE(std::strstr(ScrFindKeywordRecord("chart")->allowed, "variable, image,enable"), nullptr);
  EXPECT_STREQ(ScrFindKeywordRecord("wrench")->allowed,
               "name, axis, point, field,modeltype,maxdistance,subforward,subleft");
  EXPECT_STREQ(ScrFindKeywordRecord("nut")->allowed, "name, axis, force, field,modeltype,anglevar,dial");
  EXPECT_STREQ(ScrFindKeywordRecord("tip")->allowed, ScrFindKeywordRecord("normal")->allowed);
  EXPECT_STREQ(ScrFindKeywordRecord("asyn")->allowed, "if, while, for, else, elseif, asyn, completed, switch");
  EXPECT_EQ(ScrFindKeywordRecord("factor")->kind, SCR_KW_VALUE);
  EXPECT_EQ(ScrFindKeywordRecord("{")->kind, SCR_KW_VALUE);
  EXPECT_EQ(ScrFindKeywordRecord("Button"), nullptr);  // the record search is exact
  EXPECT_EQ(ScrFindKeywordRecord("*"), nullptr);
  EXPECT_EQ(ScrFindKeywordRecord(nullptr), nullptr);
}

TEST(KeywordTable, KeywordTestIgnoresCase) {
  EXPECT_EQ(ScrIsKeyword("button"), 1);
  EXPECT_EQ(ScrIsKeyword("BuTtOn"), 1);
  EXPECT_EQ(ScrIsKeyword("}"), 1);
  EXPECT_EQ(ScrIsKeyword("factor"), 1);
  EXPECT_EQ(ScrIsKeyword("buttons"), 0);
  EXPECT_EQ(ScrIsKeyword("*"), 0);
  EXPECT_EQ(ScrIsKeyword(""), 0);
  EXPECT_EQ(ScrIsKeyword(nullptr), 0);
}

TEST(KeywordTable, AllowedChildren) {
  EXPECT_EQ(ScrKeywordAllows("controller", "action"), 1);
  EXPECT_EQ(ScrKeywordAllows("controller", "act"), 0);
  EXPECT_EQ(ScrKeywordAllows("action", "act"), 1);
  EXPECT_EQ(ScrKeywordAllows("button", "hover"), 1);
  EXPECT_EQ(ScrKeywordAllows("button", "tip"), 1);
  EXPECT_EQ(ScrKeywordAllows("button", "tip2"), 0);
  EXPECT_EQ(ScrKeywordAllows("act", "knob"), 0);
  EXPECT_EQ(ScrKeywordAllows("act", "dword"), 1);
  EXPECT_EQ(ScrKeywordAllows("act", "mask"), 0);
  EXPECT_EQ(ScrKeywordAllows("button", "mask"), 1);
  EXPECT_EQ(ScrKeywordAllows("script", "anything"), 1);
  EXPECT_EQ(ScrKeywordAllows("particle", "anything"), 1);  // "ball" holds "all"
  // Calls and code blocks take anything.
  EXPECT_EQ(ScrKeywordAllows("font", "f(1)"), 1);
  EXPECT_EQ(ScrKeywordAllows("while", "button"), 1);
  EXPECT_EQ(ScrKeywordAllows("modulePump", "button"), 1);
  EXPECT_EQ(ScrKeywordAllows("class Pump", "button"), 1);
  EXPECT_EQ(ScrKeywordAllows("unknown", "name"), 0);
  EXPECT_EQ(ScrKeywordAllows("Button", "name"), 0);
}
