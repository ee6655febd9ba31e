// Typed values, conversions and nested arrays.
#include <gtest/gtest.h>

#include <memory>

#include "RecordingDescriber.h"
#include "sg/Variable.h"

TEST(Variable, TypedValuesConvert) {
  CSgVariable v;
  EXPECT_EQ(v.TypeCode(), SGT_VARIABLE);
  v.SetVarType(SGVT_INT, 0);
  v.SetFloat(2.75f);
  EXPECT_EQ(v.GetInt(), 2);  // an int variable keeps an int
  EXPECT_FLOAT_EQ(v.GetFloat(), 2.0f);
  EXPECT_STREQ(v.GetString(), "2");

  v.SetVarType(SGVT_FLOAT, 0);  // the held value converts with the type
  EXPECT_FLOAT_EQ(v.GetFloat(), 2.0f);
  v.Set(0.1);
  EXPECT_EQ(v.GetDouble(), (double)0.1f);  // float precision is kept

  CSgVariable d;
  d.SetVarType(SGVT_DOUBLE, 0);
  d.Set(0.1);
  EXPECT_EQ(d.GetDouble(), 0.1);

  CSgVariable b;
  b.SetVarType(SGVT_BOOL, 0);
  b.Set(7);
  EXPECT_EQ(b.GetInt(), 1);
  EXPECT_TRUE(b.GetBool());

  CSgVariable byte;
  byte.SetVarType(SGVT_BYTE, 0);
  byte.Set(300);
  EXPECT_EQ(byte.GetInt(), 300 & 0xFF);

  CSgVariable l;
  l.SetVarType(SGVT_LONG, 0);
  l.Set(1LL << 40);
  EXPECT_EQ(l.GetLong(), 1LL << 40);
  EXPECT_EQ(l.GetInt(), 2147483647);  // narrowing saturates

  CSgVariable s;
  s.SetVarType(SGVT_STRING, 0);
  s.SetString("12.5");
  EXPECT_STREQ(s.GetString(), "12.5");
  EXPECT_DOUBLE_EQ(s.GetDouble(), 12.5);
  EXPECT_EQ(s.GetInt(), 12);
  s.Set(3);
  EXPECT_STREQ(s.GetString(), "3");
  s.SetString(nullptr);
  EXPECT_STREQ(s.GetString(), "");

  // Huge or invalid reals do not overflow into undefined behaviour.
  CSgVariable big;
  big.SetVarType(SGVT_LONG, 0);
  big.SetDouble(1e300);
  EXPECT_EQ(big.GetLong(), 9223372036854775807LL);
}

TEST(Variable, UntypedTakesFirstValueType) {
  CSgVariable v;
  EXPECT_EQ(v.VarType(), SGVT_NONE);
  int i = 5;
  EXPECT_EQ(v.Get(i), 0);
  EXPECT_EQ(i, 0);
  v.Set(1.5f);
  EXPECT_EQ(v.VarType(), SGVT_FLOAT);
  float f = 0;
  EXPECT_EQ(v.Get(f), 1);
  EXPECT_FLOAT_EQ(f, 1.5f);
  CSgVariable s;
  s.SetString("x");
  EXPECT_EQ(s.VarType(), SGVT_STRING);
}

TEST(Variable, RandomDrawsInRange) {
  CSgVariable r;
  r.SetVarType(SGVT_RANDOM, 0);
  r.SetRandRange(6, 1);  // swapped into 1..6
  EXPECT_EQ(r.RandLow(), 1);
  EXPECT_EQ(r.RandHigh(), 6);
  for (int k = 0; k < 200; ++k) {
    int v = r.GetInt();
    EXPECT_GE(v, 1);
    EXPECT_LE(v, 6);
  }
}

TEST(Variable, NestedArrays) {
  // A 2 x 3 float array built the way the declaration readers build one.
  CSgVariable m(SGT_VARIABLE, "m");
  m.SetVarType(SGVT_FLOATARRAY, 2);
  EXPECT_TRUE(m.IsArray());
  EXPECT_EQ(m.GetSize(), 2);
  ASSERT_NE(m.Element(0), nullptr);
  EXPECT_EQ(m.Element(0)->VarType(), SGVT_NONE);  // slots start untyped
  EXPECT_STREQ(m.Element(1)->Name(), "1");
  EXPECT_EQ(m.Element(2), nullptr);
  EXPECT_EQ(m.Element(-1), nullptr);
  for (int i = 0; i < 2; ++i) {
    auto row = std::make_unique<CSgVariable>(SGT_VARIABLE, std::to_string(i).c_str());
    row->SetVarType(SGVT_FLOATARRAY, 3);
    for (int j = 0; j < 3; ++j) row->Element(j)->Set((float)(i * 10 + j));
    EXPECT_EQ(m.Set(i, row.release()), 1);
  }
  EXPECT_FLOAT_EQ(m.Element(1)->Element(2)->GetFloat(), 12.0f);

  CRecordingDescriber d;
  m.Describe(d);
  EXPECT_EQ(d.out, "varType=4104,value=[[0,1,2],[10,11,12]]");

  // Set grows the array; a negative index is refused and the element freed (LSan checks).
  EXPECT_EQ(m.Set(4, new CSgVariable), 1);
  EXPECT_EQ(m.GetSize(), 5);
  EXPECT_NE(m.Element(3), nullptr);
  EXPECT_EQ(m.Set(-1, new CSgVariable), 0);
  EXPECT_EQ(m.Set(0, nullptr), 0);

  // Shrinking drops surplus slots; numeric reads of an array give 0.
  m.SetVarType(SGVT_FLOATARRAY, 1);
  EXPECT_EQ(m.GetSize(), 1);
  EXPECT_EQ(m.GetInt(), 0);
  EXPECT_STREQ(m.GetString(), "");
}

TEST(Variable, DeepArrayIsSafe) {
  // Far deeper than any script makes: destruction and description must not recurse.
  auto top = std::make_unique<CSgVariable>();
  CSgVariable* cur = top.get();
  for (int i = 0; i < 100000; ++i) {
    auto* next = new CSgVariable;
    cur->Set(0, next);
    cur = next;
  }
  cur->Set(1);
  CRecordingDescriber d;
  top->Describe(d);
  EXPECT_EQ(d.out.size(), std::string("varType=4096,value=").size() + 100000 * 2 + 1);
  top.reset();
}

TEST(Variable, DescribeScalars) {
  CSgVariable s(SGT_VARIABLE, "s");
  s.SetVarType(SGVT_STRING, 0);
  s.SetString("hi");
  s.SetClassName("Pump");
  CRecordingDescriber d1;
  s.Describe(d1);
  EXPECT_EQ(d1.out, "varType=1,value=\"hi\",className=\"Pump\"");

  CSgVariable b;
  b.SetBool(1);
  CRecordingDescriber d2;
  b.Describe(d2);
  EXPECT_EQ(d2.out, "varType=4,value=true");

  CSgVariable u;
  CRecordingDescriber d3;
  u.Describe(d3);
  EXPECT_EQ(d3.out, "varType=0,value=null");
}
