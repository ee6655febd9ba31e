// The catalogue of system texts: every entry is representable in GBK, names and severities agree.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "lexer/ScrEncoding.h"
#include "reader/ScrText.h"

namespace {

ScrTextId Id(int i) { return static_cast<ScrTextId>(i); }

bool StartsWith(const char* s, const char* prefix) { return strncmp(s, prefix, strlen(prefix)) == 0; }

}  // namespace

TEST(TextCatalogue, EveryEntryRoundTripsThroughGbk) {
  for (int i = 0; i < SCR_TEXT_COUNT; ++i) {
    const char* utf8 = ScrTextUtf8(Id(i));
    std::string gbk, back;
    EXPECT_TRUE(ScrConvert("UTF-8", "GBK", utf8, gbk)) << ScrTextName(Id(i)) << " is not GBK";
    EXPECT_EQ(ScrText(Id(i)), gbk) << ScrTextName(Id(i));
    EXPECT_TRUE(ScrConvert("GBK", "UTF-8", ScrText(Id(i)), back)) << ScrTextName(Id(i));
    EXPECT_EQ(back, utf8) << ScrTextName(Id(i));
  }
  // Converted once: the same storage every time.
  EXPECT_EQ(ScrText(ScrTextId::err_invalid_keyword), ScrText(ScrTextId::err_invalid_keyword));
  EXPECT_STREQ(ScrText(ScrTextId::word_font_default_face), "\xBA\xDA\xCC\xE5");  // 黑体
  EXPECT_STREQ(ScrText(ScrTextId::word_sky_default_bitmap), "\\resource\\sky\\\xD6\xD0\xCE\xE7.jpg");
}

TEST(TextCatalogue, HaltWordHoldsTheFullWidthSemicolonBytes) {
  // The grammar check must not take "停机" for a mistyped ';': its GBK bytes contain those of "；".
  std::string halt = ScrText(ScrTextId::word_halt);
  EXPECT_NE(halt.find(ScrText(ScrTextId::word_fullwidth_semicolon)), std::string::npos);
}

TEST(TextCatalogue, NamesAreUniqueAndFound) {
  std::set<std::string> names, texts;
  for (int i = 0; i < SCR_TEXT_COUNT; ++i) {
    EXPECT_TRUE(names.insert(ScrTextName(Id(i))).second) << ScrTextName(Id(i));
    EXPECT_TRUE(texts.insert(ScrTextUtf8(Id(i))).second) << "text twice: " << ScrTextName(Id(i));
    ScrTextId found = ScrTextId::Count_;
    ASSERT_EQ(ScrTextFind(ScrTextName(Id(i)), &found), 1);
    EXPECT_EQ(found, Id(i));
  }
  ScrTextId found = ScrTextId::err_not_keyword;
  EXPECT_EQ(ScrTextFind("err_no_such_text", &found), 0);
  EXPECT_EQ(found, ScrTextId::err_not_keyword);
  EXPECT_EQ(ScrTextFind(nullptr, &found), 0);
  EXPECT_STREQ(ScrTextName(ScrTextId::err_invalid_keyword), "err_invalid_keyword");
  EXPECT_STREQ(ScrText(ScrTextId::Count_), "");
  EXPECT_STREQ(ScrTextName(static_cast<ScrTextId>(-1)), "");
}

TEST(TextCatalogue, SeverityAgreesWithTheName) {
  // A full-width colon typed by mistake, or a text filed under the wrong prefix, shows up here.
  for (int i = 0; i < SCR_TEXT_COUNT; ++i) {
    const char* name = ScrTextName(Id(i));
    ScrSeverity sev = ScrTextSeverity(Id(i));
    if (StartsWith(name, "warn_")) {
      EXPECT_EQ(sev, ScrSeverity::Warning) << name;
      EXPECT_TRUE(StartsWith(ScrTextUtf8(Id(i)), "警告: (%s) 第%d行")) << name;
    } else if (StartsWith(name, "err_") && Id(i) != ScrTextId::err_edit_invalid_keyword) {
      EXPECT_EQ(sev, ScrSeverity::Error) << name;
    } else if (StartsWith(name, "msg_")) {
      EXPECT_EQ(sev, ScrSeverity::Other) << name;
    }
  }
  // The edit box's message is written with a full-width colon: it does not count as an error.
  EXPECT_EQ(ScrTextSeverity(ScrTextId::err_edit_invalid_keyword), ScrSeverity::Other);
  // Severity is found anywhere in the text, not only at its start.
  EXPECT_EQ(ScrTextSeverity(ScrTextId::err_function_param_definition), ScrSeverity::Error);
}

TEST(TextCatalogue, LocatedTexts) {
  EXPECT_TRUE(ScrTextIsLocated(ScrTextId::err_invalid_keyword));
  EXPECT_TRUE(ScrTextIsLocated(ScrTextId::warn_node_created_at_runtime));
  EXPECT_TRUE(ScrTextIsLocated(ScrTextId::err_function_param_definition));  // "(%s) 第%d行错误: ..."
  EXPECT_TRUE(ScrTextIsLocated(ScrTextId::err_block_too_deep));
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::err_expression_meaningless));  // file name only
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::err_class_member_not_found));
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::err_edit_invalid_keyword));
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::msg_fail_to_find_file));
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::msg_unknown_file_format));
  EXPECT_FALSE(ScrTextIsLocated(ScrTextId::word_font_default_face));
}

TEST(TextCatalogue, TextsOthersDependOn) {
  // Exact wording matters to hosts that compare messages; a few the whole reader leans on.
  EXPECT_STREQ(ScrTextUtf8(ScrTextId::err_invalid_keyword), "错误: (%s) 第%d行无效关键字 '%s', 忽略. [%s]");
  EXPECT_STREQ(ScrTextUtf8(ScrTextId::err_not_keyword), "错误: (%s) 第%d行'%s' 不是关键字. [%s]");
  EXPECT_STREQ(ScrTextUtf8(ScrTextId::warn_node_created_at_runtime),
               "警告: (%s) 第%d行没有找到节点'%s'，是否在执行期间创建该节点. [%s]");
  EXPECT_STREQ(ScrTextUtf8(ScrTextId::msg_fail_to_find_file), "fail to find file %s");
  EXPECT_STREQ(ScrTextUtf8(ScrTextId::msg_fail_to_load_file), "\n%s: fail to load file %s");
  // The font-size names stand together in the order they are tested.
  const char* sizes[] = {"初号", "小初", "一号", "小一", "二号", "小二", "三号", "小三", "四号", "小四", "五号", "小五"};
  for (int k = 0; k < 12; ++k)
    EXPECT_STREQ(ScrTextUtf8(Id(static_cast<int>(ScrTextId::word_size_chuhao) + k)), sizes[k]);
}
