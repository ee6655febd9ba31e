// Variables: the `variable` block, top-level declarations and nested arrays.
#include <gtest/gtest.h>

#include "declarations/ScrVariable.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "support/ScriptFixture.h"

namespace {

class VariableTest : public ScriptTest {
 protected:
  // Reads `body` inside a script block; the read must be clean unless `message` names the one
  // message expected (a UTF-8 fragment).
  void ReadScript(const std::string& body, const char* message = nullptr) {
    ReadOutcome o = Read("script {\n" + body + "\n}\n");
    if (!message) {
      EXPECT_TRUE(o.messages.empty()) << body << "\n" << Joined(o);
    } else {
      ASSERT_FALSE(o.messages.empty()) << body;
      EXPECT_NE(o.messages[0].find(message), std::string::npos) << body << "\n" << Joined(o);
    }
  }
  std::string Value(const char* name) {
    CSgVariable* v = root->FindVariable(name);
    return v ? v->GetString() : "<missing>";
  }
  int Type(const char* name) {
    CSgVariable* v = root->FindVariable(name);
    return v ? v->VarType() : -1;
  }
};

struct VarRow {
  const char* script;
  const char* name;
  int type;
  const char* value;  // GetString of the variable, or of an element "name/i/j"
};

TEST_F(VariableTest, BlocksAndDeclarationsMakeTypedValues) {
  const VarRow rows[] = {
      {"variable { name { n } type { int } values { 5 } }", "n", 0x2, "5"},
      {"variable { name { f } type { float } values { 2.5 } }", "f", 0x8, "2.5"},
      {"variable { name { s } type { string } values { \"hi there\" } }", "s", 0x1, "hi there"},
      {"variable { name { d } type { double } values { 0.125 } }", "d", 0x10000, "0.125"},
      {"variable { name { w } values { 7 } }", "w", 0x2, "7"},  // values before a type: an int
      {"variable { name { l } type { LONG } values { 9 } }", "l", 0x2000, "9"},
      {"int count", "count", 0x2, "0"},
      {"int a = 5", "a", 0x2, "5"},
      {"float g = 1.5", "g", 0x8, "1.5"},
      {"bool on = true", "on", 0x4, "1"},
      {"string t = \"a\\nb\"", "t", 0x1, "a\nb"},
      {"dword h = 0X10", "h", 0x2000, "16"},
      {"double e = 2.25", "e", 0x10000, "2.25"},
      {"int k = 2\nint m = k * 3 + 1", "m", 0x2, "7"},
  };
  for (const VarRow& r : rows) {
    SetUp();
    ReadScript(r.script);
    EXPECT_EQ(Type(r.name), r.type) << r.script;
    EXPECT_EQ(Value(r.name), r.value) << r.script;
    TearDown();
  }
}

TEST_F(VariableTest, ArraysNestWithTheirElementTypes) {
  ReadScript(
      "variable { name { m } type { floatarray } size { 2, 3 } }\n"
      "int v[3] = { 4, 5, 6 }\n"
      "float w[2][2] = { 1, 2, 3, 4 }\n"
      "string names[] = { \"a\", \"b\" }\n"
      "int big[2] = { 1, 2, 3 }\n");
  CSgVariable* m = root->FindVariable("m");
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->GetSize(), 2);
  ASSERT_EQ(m->Element(1)->GetSize(), 3);
  EXPECT_STREQ(m->Element(1)->Element(2)->Name(), "2");
  EXPECT_EQ(m->Element(1)->Element(2)->VarType(), 0x8);
  EXPECT_EQ(root->FindVariable("v")->Element(2)->GetInt(), 6);
  EXPECT_EQ(root->FindVariable("w")->Element(1)->Element(0)->GetFloat(), 3.0f);
  EXPECT_STREQ(root->FindVariable("names")->Element(1)->GetString(), "b");
  EXPECT_EQ(root->FindVariable("big")->GetSize(), 2);  // values beyond the size are passed over

  int dims[] = {2, 2};
  CSgVariable* a = ScrCreateMultiArray("x", dims, 2, 0x2000, root.get());
  EXPECT_EQ(a->VarType(), 0x3000);
  EXPECT_EQ(a->Element(0)->Element(1)->VarType(), 0x2000);
  delete a;
}

TEST_F(VariableTest, ExpansionsMakeVariablesOfTheirOwn) {
  ReadScript(
      "mk(n) { variable { name { v } type { int } values { n } } }\n"
      "mk(3)\n"
      "mk(4)\n");
  EXPECT_EQ(Value("v$mk_1"), "3");
  EXPECT_EQ(Value("v$mk_2"), "4");
  // An existing variable named by a block is used, not made again.
  ReadScript("int e = 2\nvariable { name { e } values { 6 } }");
  EXPECT_EQ(root->variables().Count(), 3);
  EXPECT_EQ(Value("e"), "6");
}

TEST_F(VariableTest, InterfaceItemsAndRandomRanges) {
  ReadScript(
      "interface [in, \"Level\"] float level\n"
      "interface int plain\n"
      "variable { name { r } type { random } values { 1, 6 } }\n");
  ASSERT_EQ(root->InterfaceItemCount(), 2);
  EXPECT_EQ(root->InterfaceItem(0)->direction, SG_INTERFACE_IN);
  EXPECT_EQ(root->InterfaceItem(0)->description, "Level");
  EXPECT_EQ(root->FindVariable("r")->RandHigh(), 6);
}

struct FailRow {
  const char* script;
  const char* message;
};

TEST_F(VariableTest, FaultsAreReported) {
  const FailRow rows[] = {
      {"variable { name { k } size { 4 } }", "非数组变量不能进行长度定义"},
      {"int a\nint a", "变量'a'重复定义"},
      {"interface string s", "接口变量不支持'string'类型"},
      {"interface [in float x", "缺少']'"},
      {"int a[3", "缺少']'"},
      {"string s[2] = { a, b }", "少了双引号"},
      {"class P { }\nP o\ninterface NoSuch z", "找不到预定义的类 'NoSuch'"},
      {"class P { }\nP o\nNoSuch z", "无效关键字 'NoSuch z'"},
  };
  for (const FailRow& r : rows) {
    SetUp();
    ReadScript(r.script, r.message);
    TearDown();
  }
}

}  // namespace
