// The printers and dumpers in-process, on modules built by hand: every kind of property an
// object can describe, links between objects, texts that need escaping, and warnings.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "CliSupport.h"
#include "Diagnostics.h"
#include "Dump.h"
#include "sg/Describe.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "support/ScriptFixture.h"

namespace {

// An object of a kind the dumpers have never heard of: it lists one of everything.
class CTestGadget : public CKvoObject {
 public:
  CTestGadget(const char* name, const CKvoObject* target, const CKvoObject* part)
      : CKvoObject(68, name), m_target(target), m_part(part) {}
  const char* KindName() const override { return "CTestGadget"; }
  void Describe(CDescriber& d) const override {
    d.Real("speed", 2.5);
    d.Bool("enabled", true);
    d.Text("caption", m_caption.c_str());
    d.Text("none", nullptr);
    d.Ref("target", m_target);
    d.Object("part", m_part);
    d.BeginList("points");
    d.Int(nullptr, 1);
    d.BeginList(nullptr);
    d.Real(nullptr, 0.5);
    d.EndList();
    d.Ref(nullptr, m_target);
    d.EndList();
  }
  std::string m_caption;

 private:
  const CKvoObject* m_target;
  const CKvoObject* m_part;
};

class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::make_unique<CSgModule>("main");
    auto* pump = new CSgModule(Gbk("泵").c_str());
    root->AddChild(pump);
    level = new CSgVariable(SGT_VARIABLE, "level");
    level->SetVarType(SGVT_INT, 0);
    level->SetInt(42);
    pump->AddVariable(level);
    auto* label = new CSgVariable(SGT_VARIABLE, "label");
    label->SetVarType(SGVT_STRING, 0);
    label->SetString(Gbk("say \"水\"\\\n\x01").c_str());
    pump->AddVariable(label);
    auto* arr = new CSgVariable(SGT_VARIABLE, "grid");
    arr->SetVarType(SGVT_INTARRAY, 2);
    arr->Element(0)->SetInt(7);
    pump->AddVariable(arr);
    // The part is listed in the module too, after the gadget that holds it in place.
    part = new CKvoObject(68, "part");
    gadget = new CTestGadget("gadget", level, part);
    gadget->m_caption = Gbk("标题 \"q\"");
    pump->AddOtherObject(gadget);
    pump->AddOtherObject(part);
  }

  std::unique_ptr<CSgModule> root;
  CSgVariable* level = nullptr;
  CKvoObject* part = nullptr;
  CTestGadget* gadget = nullptr;
};

TEST_F(DumpTest, JsonCarriesEveryPropertyAndLinksByReference) {
  std::vector<FileReport> files(1);
  files[0].given = files[0].shown = "a \"b\".scr";
  files[0].result = 1;
  files[0].encoding = "utf-8";
  Json j;
  std::string error;
  std::string text = DumpJson(files, *root);
  ASSERT_TRUE(ParseJson(text, j, error)) << error << "\n" << text;
  EXPECT_EQ(j["files"][0]["file"].string, "a \"b\".scr");

  const Json& pump = j["module"]["modules"][0];
  EXPECT_EQ(pump["name"].string, "泵");
  EXPECT_FALSE(pump.Has("animations")) << "empty collections are left out";
  ASSERT_EQ(pump["variables"].size(), 3u);
  const Json& lv = pump["variables"][0];
  EXPECT_EQ(lv["kind"].string, "CSgVariable");
  EXPECT_EQ(lv["type"].number, SGT_VARIABLE);
  EXPECT_EQ(lv["varType"].number, SGVT_INT);
  EXPECT_EQ(lv["value"].number, 42);
  EXPECT_EQ(pump["variables"][1]["value"].string, "say \"水\"\\\n\x01");
  const Json& grid = pump["variables"][2]["value"];
  ASSERT_EQ(grid.type, Json::Type::Array);
  EXPECT_EQ(grid[0].number, 7);

  ASSERT_EQ(pump["otherObjects"].size(), 2u);
  const Json& g = pump["otherObjects"][0];
  EXPECT_EQ(g["kind"].string, "CTestGadget");
  EXPECT_EQ(g["type"].number, 68);
  EXPECT_EQ(g["speed"].number, 2.5);
  EXPECT_FALSE(g["speed"].integral);
  EXPECT_TRUE(g["enabled"].boolean);
  EXPECT_EQ(g["caption"].string, "标题 \"q\"");
  EXPECT_TRUE(g.Has("none") && g["none"].IsNull());
  EXPECT_EQ(g["target"]["ref"].string, "main:泵:level");
  // Held in place the first time it is met, by reference after that.
  EXPECT_EQ(g["part"]["kind"].string, "CKvoObject");
  EXPECT_EQ(pump["otherObjects"][1]["ref"].string, "main:泵:part");
  const Json& pts = g["points"];
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1][0].number, 0.5);
  EXPECT_EQ(pts[2]["ref"].string, "main:泵:level");
}

TEST_F(DumpTest, DotIsValidWithEdgesForLinks) {
  std::string dot = DumpDot(*root);
  EXPECT_EQ(CheckDot(dot), "") << dot;
  EXPECT_NE(dot.find("[label=\"target\", style=dashed]"), std::string::npos) << dot;
  EXPECT_NE(dot.find("[label=\"part\", style=solid]"), std::string::npos) << dot;
  EXPECT_NE(dot.find("[label=\"points[2]\", style=dashed]"), std::string::npos) << dot;
  // Quotes and backslashes in texts are escaped inside labels.
  EXPECT_NE(dot.find("\\\"say \\\\\\\"水"), std::string::npos) << dot;

  // An object that is only referred to still gets a node, so the graph stays valid.
  CSgModule other("elsewhere");
  auto* stray = new CKvoObject(68, "stray");
  other.AddOtherObject(stray);
  root->Child(0)->AddOtherObject(new CTestGadget("g2", stray, nullptr));
  dot = DumpDot(*root);
  EXPECT_EQ(CheckDot(dot), "") << dot;
  EXPECT_NE(dot.find("label=\"elsewhere:stray\", style=dotted"), std::string::npos) << dot;
}

TEST_F(DumpTest, TreeShowsKindsPropertiesAndHeldObjects) {
  std::string tree = DumpTree(*root);
  EXPECT_NE(tree.find("\n  module 泵 [CSgModule module]"), std::string::npos) << tree;
  EXPECT_NE(tree.find("\n    variables:\n      level [CSgVariable variable] varType=int (2) value=42\n"),
            std::string::npos)
      << tree;
  EXPECT_NE(tree.find("label [CSgVariable variable] varType=string (1) value=\"say \\\"水\\\"\\\\\\n?\""),
            std::string::npos)
      << tree;
  EXPECT_NE(tree.find("grid [CSgVariable variable] varType=intarray (4098) value=[7, null]"), std::string::npos)
      << tree;
  EXPECT_NE(tree.find("target=-> main:泵:level"), std::string::npos) << tree;
  EXPECT_NE(tree.find("\n        part: part [CKvoObject dynamic object]\n"), std::string::npos) << tree;
  EXPECT_NE(tree.find("\n      -> main:泵:part\n"), std::string::npos) << tree;
}

TEST(DumpDepth, DeepModuleTreesAreCutNotOverflowed) {
  CSgModule root("main");
  CSgModule* m = &root;
  for (int i = 0; i < SCRREAD_MAX_DUMP_DEPTH + 20; ++i) {
    auto* c = new CSgModule("m");
    m->AddChild(c);
    m = c;
  }
  Json j;
  std::string error;
  EXPECT_TRUE(ParseJson(DumpJson({}, root), j, error)) << error;
  EXPECT_EQ(CheckDot(DumpDot(root)), "");
  EXPECT_NE(DumpTree(root).find("deeper levels left out"), std::string::npos);
}

ScrMessageEntry Entry(std::string text, ScrSeverity sev, std::string file, int line, bool continuation, int statementAt) {
  ScrMessageEntry e;
  e.text = std::move(text);
  e.severity = sev;
  e.file = std::move(file);
  e.line = line;
  e.continuation = continuation;
  e.statementAt = statementAt;
  return e;
}

// Diagnostics from entries as the reader records them.
std::vector<ScrMessageEntry> Entries() {
  std::string head = Gbk("警告: (a.scr) 第3行");
  std::string body = Gbk("变量x没有定义.");
  std::vector<ScrMessageEntry> e;
  e.push_back(Entry(head + body, ScrSeverity::Warning, "a.scr", 3, false, static_cast<int>(head.size())));
  // A message cut inside a character: the first entry ends with half of "阀".
  std::string full = Gbk("错误: (b.scr) 第9行阀");
  e.push_back(Entry(full.substr(0, full.size() - 1), ScrSeverity::Error, "b.scr", 9, false,
                    static_cast<int>(Gbk("错误: (b.scr) 第9行").size())));
  e.push_back(Entry(full.substr(full.size() - 1), ScrSeverity::Error, "b.scr", 9, true, 0));
  e.push_back(Entry("fail to find file c.scr", ScrSeverity::Other, "c.scr", -1, false, 0));
  return e;
}

TEST(Diagnostics, GccLinesFromEntryData) {
  FileReport r;
  r.given = r.shown = "a.scr";
  r.diagnostics = CollectDiagnostics(Entries(), {});
  ASSERT_EQ(r.diagnostics.size(), 3u) << "the continuation joins the entry before it";
  EXPECT_EQ(r.diagnostics[1].text, "错误: (b.scr) 第9行阀");

  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  DiagnosticPrinter p(out, DiagFormat::Gcc, false, false, nullptr);
  p.PrintFile(r);
  p.Finish({r}, false);
  std::fclose(out);
  std::string text(buf, len);
  std::free(buf);
  EXPECT_EQ(text,
            "a.scr:3: warning: 变量x没有定义.\n"
            "b.scr:9: error: 阀\n"
            "c.scr: note: fail to find file c.scr\n"
            "1 error, 1 warning in 1 file\n");
}

TEST(JsonWriterText, EscapesAndRepairsWhatItIsGiven) {
  EXPECT_EQ(JsonWriter::Quote("a\"b\\c\n\t\x01\x7f"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f\"");
  EXPECT_EQ(JsonWriter::Quote("\xff\xe6\xb0"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"")
      << "bytes that are not UTF-8 become U+FFFD";
  EXPECT_EQ(JsonWriter::Quote("\xed\xa0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"") << "no surrogates";
  std::string out;
  JsonWriter w(out, false);
  w.BeginArray();
  w.Real(1.0);
  w.Real(0.1);
  w.Real(1e300 * 1e300);
  w.BeginObject();
  w.EndObject();
  w.EndArray();
  EXPECT_EQ(out, "[1.0,0.1,null,{}]");
}

}  // namespace
