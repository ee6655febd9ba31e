// The reader object, its message list and the reading loop every keyword reader shares.
#include <gtest/gtest.h>

#include <cstring>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "reader/ScrObject.h"
#include "sg/Kvo.h"
#include "sg/Notify.h"
#include "sg/Variable.h"
#include "sg/View.h"
#include "support/ScriptFixture.h"

namespace {

// A reader with two sub-keywords, to drive the shared loop.
class CScrProbe : public CScrObject {
 public:
  using CScrObject::CScrObject;
  int Read(CScrStream* f) override { return ReadBlock(f); }

  std::vector<std::string> names;
  std::vector<float> values;
  int finishes = 0;

 protected:
  void Finish() override { ++finishes; }
  int ReadSubKeyword(CScrStream* f, const char* kw) override { return kSubs.Dispatch(this, f, kw); }

 private:
  int ReadName(CScrStream* f, const char*) {
    std::string s;
    ReadValueString(f, s);
    names.push_back(s);
    return SCR_SUB_OK;
  }
  int ReadValues(CScrStream* f, const char*) {
    float v[3] = {};
    if (!ReadValueNumbers(f, v, 3)) return SCR_SUB_FAIL;
    values.insert(values.end(), v, v + 3);
    return SCR_SUB_OK;
  }
  static const ScrSubKeywords<CScrProbe> kSubs;
};

const ScrSubKeywords<CScrProbe> CScrProbe::kSubs = {
    {"name", &CScrProbe::ReadName},
    {"values", &CScrProbe::ReadValues},
};

class ProtocolTest : public ScriptTest {
 protected:
  // Reads `utf8` (the text after the block's keyword) with a CScrProbe.
  int Probe(const std::string& utf8) {
    std::string path = dir.WriteGbk("probe.scr", utf8);
    auto file = ScrOpenScriptFile(path.c_str(), ScrEncoding::Auto);
    EXPECT_NE(file, nullptr);
    CScrStream* f = file.get();
    reader->SetFileName(path.c_str(), f);
    probe = std::make_unique<CScrProbe>(reader.get());
    int r = probe->Read(f);
    ScrSetCurrentStream(nullptr);
    return r;
  }
  std::unique_ptr<CScrProbe> probe;
};

TEST_F(ProtocolTest, EmptyBlockFinishesOnce) {
  EXPECT_EQ(Probe("{ }\n"), 1);
  EXPECT_EQ(probe->finishes, 1);
  EXPECT_EQ(reader->MessageCount(), 0);
}

TEST_F(ProtocolTest, BracesAroundBlockAndValuesAreOptional) {
  // Tokens end at braces, commas and line ends, not at blanks: a value without braces stands on
  // the lines after its sub-keyword.
  EXPECT_EQ(Probe("{\n  name { \"Door, left\" }\n  values\n 1, 2, 3\n  name\n Lid\n}\n"), 1);
  EXPECT_EQ(probe->names, (std::vector<std::string>{"Door, left", "Lid"}));
  EXPECT_EQ(probe->values, (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(probe->finishes, 1);
  // Without braces around the block the loop still ends at the closing one.
  EXPECT_EQ(Probe("name { A }\nvalues { 4, 5, 6 }\n}\n"), 1);
  EXPECT_EQ(probe->names, (std::vector<std::string>{"A"}));
}

TEST_F(ProtocolTest, UnknownSubKeywordIsReportedAndItsBlockSkipped) {
  EXPECT_EQ(Probe("{\n  color { 1 { 2 } \"}\" 3 }\n  name { B }\n}\n"), 1);
  ASSERT_EQ(reader->MessageCount(), 1);
  EXPECT_EQ(Utf8(reader->Messages().Back().text),
            "错误: (" + dir.path() + "/probe.scr) 第2行无效关键字 'color', 忽略. [color]");
  EXPECT_EQ(probe->names, (std::vector<std::string>{"B"}));
}

TEST_F(ProtocolTest, UnknownSubKeywordWithoutBlockSkipsOnlyTheWord) {
  EXPECT_EQ(Probe("{\n  color\n  name { C }\n}\n"), 1);
  EXPECT_EQ(reader->MessageCount(), 1);
  EXPECT_EQ(probe->names, (std::vector<std::string>{"C"}));
}

TEST_F(ProtocolTest, BlockOfUnknownWordOnTheNextLineIsSkipped) {
  EXPECT_EQ(Probe("{\n  color\n\n  {\n name { X }\n }\n  name { C }\n}\n"), 1);
  EXPECT_EQ(probe->names, (std::vector<std::string>{"C"}));
}

TEST_F(ProtocolTest, TokenThatIsNoKeywordEndsTheBlockWithZero) {
  EXPECT_EQ(Probe("{\n  name { A }\n  bogus { 1 }\n  name { B }\n}\n"), 0);
  ASSERT_EQ(reader->MessageCount(), 1);
  EXPECT_NE(Utf8(reader->Messages().Back().text).find("第3行'bogus' 不是关键字."), std::string::npos);
  EXPECT_EQ(probe->finishes, 0);
}

// ---------------------------------------------------------------------------------------------
// Messages

class MessageTest : public ScriptTest {};

TEST_F(MessageTest, FirstErrorIsNotifiedAndLaterMessagesDropped) {
  reader->SetNotificationTitle("title");
  reader->PushMessage(Gbk("警告: (a) 第1行 first").c_str());
  reader->PushMessage(Gbk("错误: (a) 第2行 second").c_str());
  reader->PushMessage(Gbk("错误: (a) 第3行 third").c_str());
  reader->PushMessage(Gbk("警告: (a) 第4行 fourth").c_str());
  ASSERT_EQ(reader->MessageCount(), 2);
  EXPECT_EQ(reader->Messages().Entries()[0].severity, ScrSeverity::Warning);
  EXPECT_EQ(reader->Messages().Entries()[1].severity, ScrSeverity::Error);

  const auto& calls = root->SgView()->Notifier()->Records();
  ASSERT_EQ(calls.size(), 2u);
}

TEST_F(MessageTest, FullWidthColonIsNoError) {
  reader->PushMessage(Gbk("错误： full-width colon").c_str());
  reader->PushMessage(Gbk("错误: real").c_str());
  EXPECT_EQ(reader->MessageCount(), 2);
  EXPECT_EQ(reader->Messages().Entries()[0].severity, ScrSeverity::Other);
}

TEST_F(MessageTest, LongTextIsSplitIntoTwoEntries) {
  std::string text(300, 'x');
  reader->PushMessage(text.c_str());
  ASSERT_EQ(reader->MessageCount(), 2);
  EXPECT_EQ(reader->Messages().Entries()[0].text.size(), 254u);
  EXPECT_EQ(reader->Messages().Entries()[1].text.size(), 46u);
  EXPECT_TRUE(reader->Messages().Entries()[1].continuation);

  // Beyond two entries the rest is dropped.
  reader->PushMessage(std::string(600, 'y').c_str());
  EXPECT_EQ(reader->MessageCount(), 4);
  char out[SCR_MESSAGE_ENTRY_MAX + 1];
  reader->GetMessageA(out);
  EXPECT_EQ(std::strlen(out), 254u);
  reader->PopMessage();
  EXPECT_EQ(reader->MessageCount(), 3);
}

TEST_F(MessageTest, AddMessagesMovesEntriesInOrder) {
  CScriptReader other(root.get());
  other.PushMessage("a");
  other.PushMessage("b");
  reader->PushMessage("z");
  reader->AddMessages(other.Messages());
  EXPECT_EQ(other.MessageCount(), 0);
  ASSERT_EQ(reader->MessageCount(), 3);
  EXPECT_EQ(reader->Messages().Entries()[2].text, "b");
}

TEST_F(MessageTest, ReportRecordsFileAndLineBesideTheText) {
  reader->Report(ScrTextId::msg_fail_to_find_file, nullptr, {"x.scr"});
  ASSERT_EQ(reader->MessageCount(), 1);
  EXPECT_EQ(reader->Messages().Back().text, "fail to find file x.scr");
  EXPECT_EQ(reader->Messages().Back().line, -1);
  EXPECT_EQ(reader->Messages().Back().severity, ScrSeverity::Other);
}

// ---------------------------------------------------------------------------------------------
// The reader object

class ReaderObjectTest : public ScriptTest {};

TEST_F(ReaderObjectTest, AddObjectFilesByTypeCode) {
  auto* anim = new CKvoObject(1, "spin");
  auto* var = new CSgVariable();
  var->SetName("level");
  auto* other = new CKvoObject(68, "dyn");
  EXPECT_EQ(reader->AddObject(anim), 1);
  EXPECT_EQ(reader->AddObject(var), 1);
  EXPECT_EQ(reader->AddObject(other), 1);
  EXPECT_EQ(root->FindAnimation("spin"), anim);
  EXPECT_EQ(root->FindVariable("level"), var);
  EXPECT_EQ(root->SgView()->DynamicObjectCount(), 1);

  CKvoObject zero(0, "zero"), beyond(94, "beyond"), unlisted(12, "prog");
  EXPECT_EQ(reader->AddObject(&zero), 0);
  EXPECT_EQ(reader->AddObject(&beyond), 0);
  EXPECT_EQ(reader->AddObject(&unlisted), 0);
  EXPECT_EQ(reader->AddObject(nullptr), 0);
}

TEST_F(ReaderObjectTest, MacrosFunctionsAndStepLevel) {
  reader->AddMacro("N", 3, 2);
  reader->AddMacro("N", 9, 1);  // a later entry of the same name is never found
  DWORD v = 0;
  BYTE flag = 0;
  EXPECT_EQ(reader->FindMacro("N", v, flag), 1);
  EXPECT_EQ(v, 3u);
  EXPECT_EQ(flag, 2);
  EXPECT_EQ(reader->FindMacro("n", v, flag), 0);

  auto fn = std::make_shared<SCRFUNCTION>();
  fn->name = "Pump";
  reader->AddFunction(fn);
  EXPECT_EQ(reader->FindFunction("Pump"), fn.get());
  EXPECT_EQ(reader->FindFunction("pump"), nullptr);
  reader->DeleteAllFunctions();
  EXPECT_EQ(reader->FindFunction("Pump"), nullptr);

  EXPECT_EQ(reader->StepIndent(), std::string(4, ' '));
  reader->StepInto();
  reader->StepInto();
  char buf[32];
  reader->GetStepLevel(buf);
  EXPECT_EQ(std::string(buf), std::string(8, ' '));
}

TEST_F(ReaderObjectTest, InstanceCountFollowsLiveReaders) {
  int before = CScriptReader::m_instanceNum;
  {
    CScriptReader a(root.get());
    EXPECT_EQ(CScriptReader::m_instanceNum, before + 1);
    EXPECT_EQ(ScrGetCurrentReader(), &a);
  }
  EXPECT_EQ(CScriptReader::m_instanceNum, before);
  EXPECT_EQ(ScrGetCurrentReader(), nullptr) << "a destroyed reader must not stay current";
}

}  // namespace
