// The runtime's string helpers and the code tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sg/Action.h"
#include "sg/Kvo.h"
#include "sg/ObjectList.h"
#include "sg/Types.h"

namespace {

std::string Skip(const char* text) {
  char* buf = KVOAllocString((int)std::strlen(text) + 1);
  std::strcpy(buf, text);
  KVOSkipDoubleQuotes(buf);
  std::string r = buf;
  KVOFreeString(buf);
  return r;
}

}  // namespace

TEST(Kvo, SkipDoubleQuotes) {
  EXPECT_EQ(Skip("\"abc\""), "abc");
  EXPECT_EQ(Skip("\"say \"\"hi\"\"\""), "say \"hi\"");
  EXPECT_EQ(Skip("\"\""), "");
  // A lone quote is not a pair.
  EXPECT_EQ(Skip("\""), "\"");
  // Unbalanced or unquoted texts stay as they are, doubled quotes included.
  EXPECT_EQ(Skip("\"abc"), "\"abc");
  EXPECT_EQ(Skip("abc\""), "abc\"");
  EXPECT_EQ(Skip("a\"\"b"), "a\"\"b");
  EXPECT_EQ(Skip(""), "");
  // Only one pair is removed.
  EXPECT_EQ(Skip("\"\"x\"\""), "\"x\"");
  KVOSkipDoubleQuotes(nullptr);
}

TEST(Kvo, AllocStringIsZeroed) {
  char* buf = KVOAllocString(16);
  ASSERT_NE(buf, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(buf[i], 0);
  KVOFreeString(buf);
  char* empty = KVOAllocString(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  KVOFreeString(empty);
}

TEST(Kvo, Straccord) {
  EXPECT_EQ(straccord("Button", "bUTTON"), 1);
  EXPECT_EQ(straccord("", ""), 1);
  EXPECT_EQ(straccord("abc", "abcd"), 0);
  EXPECT_EQ(straccord("abcd", "abc"), 0);
  EXPECT_EQ(straccord("a_1", "A_1"), 1);
  EXPECT_EQ(straccord("[", "{"), 0);  // 0x5B and 0x7B differ by 0x20 but are no letters
  EXPECT_EQ(straccord(nullptr, nullptr), 1);
  EXPECT_EQ(straccord(nullptr, ""), 0);
  EXPECT_EQ(straccord("x", nullptr), 0);
  // GBK: bytes >= 0x80 compare exactly, and so does the trail byte of a double-byte
  // character even when it falls in the ASCII letter range (0xB0 0x41 vs 0xB0 0x61).
  EXPECT_EQ(straccord("\xB0\xA1" "Ab", "\xB0\xA1" "aB"), 1);
  EXPECT_EQ(straccord("\xB0\x41", "\xB0\x61"), 0);
  EXPECT_EQ(straccord("\xC4", "\xE4"), 0);
  EXPECT_EQ(straccord("\xB0", "\xB0"), 1);  // a cut lead byte at the end
}

TEST(Kvo, CodeTables) {
  EXPECT_STREQ(SgRuntimeTypeName(SGT_ANIMATION), "animation");
  EXPECT_STREQ(SgRuntimeTypeName(68), "dynamic object");
  EXPECT_EQ(SgRuntimeTypeName(0), nullptr);
  EXPECT_EQ(SgRuntimeTypeName(94), nullptr);
  EXPECT_STREQ(SgVarTypeName(0x11000), "doublearray");
  EXPECT_STREQ(SgVarTypeName(SGVT_FLOAT | SGVT_ARRAY), "floatarray");
  EXPECT_EQ(SgVarTypeName(0x20), nullptr);
}

TEST(Kvo, ObjectNames) {
  CKvoObject obj(SGT_IMAGE);
  EXPECT_STREQ(obj.Name(), "");
  obj.SetName(nullptr);
  EXPECT_STREQ(obj.Name(), "");
  obj.SetName("logo");
  EXPECT_EQ(obj.FullName(), "logo");
  EXPECT_STREQ(obj.KindName(), "CKvoObject");
  EXPECT_EQ(obj.TypeCode(), 9);
}

// An object listed in two lists (its first index is kept apart from the others): renames,
// removal from one list and destruction must reach both; nameless objects are found by a walk.
TEST(Kvo, ObjectInTwoLists) {
  CObjectList<CKvoObject> a, b;
  auto* x = new CKvoObject(0, "x");
  CKvoObject nameless1, nameless2;
  ASSERT_EQ(a.Add(x, true), 1);
  ASSERT_EQ(b.Add(x, false), 1);
  a.Add(&nameless1, false);
  a.Add(&nameless2, false);
  EXPECT_EQ(a.Find(""), &nameless1);
  x->SetName("y");
  EXPECT_EQ(a.Find("y"), x);
  EXPECT_EQ(b.Find("y"), x);
  EXPECT_EQ(a.Find("x"), nullptr);
  nameless1.SetName("named");
  EXPECT_EQ(a.Find(""), &nameless2);
  EXPECT_EQ(a.Find("named"), &nameless1);
  // Out of the first list, the second still follows renames.
  EXPECT_EQ(a.Remove(x), x);
  x->SetName("z");
  EXPECT_EQ(b.Find("z"), x);
  a.Add(x, true);
  a.Remove(&nameless1);
  a.Remove(&nameless2);
  delete x;  // both lists forget it
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(b.Count(), 0);
}

// Variables past the inline slots, and copies that keep slots, texts and arrays.
TEST(Kvo, ActionSlotsAndCopies) {
  CKvoObject* fake[5];
  for (int i = 0; i < 5; ++i) fake[i] = reinterpret_cast<CKvoObject*>(0x100 + 0x10 * i);
  auto var = [&](int i) { return reinterpret_cast<CSgVariable*>(fake[i]); };
  ActPrm a(ACT_ADD);
  a.SetVariables({var(0), var(1), var(2)});
  a.SetVariable(4, var(4));
  EXPECT_EQ(a.VariableCount(), 5);
  SGKEY keys[2] = {7, 9};
  a.SetKeyArray(keys, 2);
  a.SetString2("two");
  ActPrm b(a);
  a.SetString2(nullptr);
  struct Row {
    int slot;
    CSgVariable* want;
  };
  for (const Row& r : std::initializer_list<Row>{{0, var(0)}, {2, var(2)}, {3, nullptr}, {4, var(4)}, {5, nullptr}, {-1, nullptr}})
    EXPECT_EQ(b.Variable(r.slot), r.want) << r.slot;
  EXPECT_STREQ(b.String2(), "two");
  EXPECT_STREQ(a.String2(), "");
  EXPECT_EQ(b.KeyArray().size(), 2u);
  EXPECT_STREQ(ActPrm().String(), "");
  EXPECT_TRUE(ActPrm().FloatArray().empty());
}
