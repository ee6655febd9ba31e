// Repeat blocks: how they unroll over animations and over acts, and the counters that would
// never stop.
#include <gtest/gtest.h>

#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "support/ScriptFixture.h"

namespace {

class RepeatTest : public ScriptTest {
 public:
  CAnimation* Anim(const char* name) { return dynamic_cast<CAnimation*>(root->FindAnimationLocal(name)); }
  // The value an assignment animation gives the counter (its one record, type 500).
  static const ActPrm* Assignment(const CAnimation* a) {
    if (!a || a->ControllerCount() != 1 || a->Controller(0)->EventCount() != 1) return nullptr;
    auto* e = dynamic_cast<CTEventActionEx*>(a->Controller(0)->Event(0));
    return e && e->ActionCount() == 1 && e->Actions()[0].Type() == 500 ? &e->Actions()[0] : nullptr;
  }
};

// The unrolled sequence of `repeat` inside "animation { name { a } ... }": an assignment, then
// body and assignment per iteration, the values given as the counter takes them.
TEST_F(RepeatTest, UnrollsOverAnimations) {
  struct Row {
    std::string counter;
    std::vector<double> values;  // of the assignments, in order
    bool real;
  };
  const std::vector<Row> rows = {
      {"i, 1, 3, 1", {1, 2, 3, 4}, false},
      {"i, 1, 3", {1, 2, 3, 4}, false},  // the step is 1 when not written
      {"i 1 3", {1, 2, 3, 4}, false},    // one token, the values apart by blanks
      {"f, 0, 1, 0.5", {0, 0.5, 1, 1.5}, true},
      {"i, 5, 3, 1", {5}, false},  // start beyond the end: the first assignment only
      {"i, lo, hi, 2", {1, 3, 5}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.counter);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\nfloat f\nint lo = 1\nint hi = 4\nanimation { name { a } repeat {\n counter { " +
                         r.counter + " }\n property { parallel }\n animation { name { body } }\n} }\n}\n");
    ASSERT_EQ(o.result, 1) << Joined(o);
    ASSERT_EQ(Anim("a")->SubAnimationCount(), 1);
    const CAnimation* seq = Anim("a")->SubAnimation(0);
    EXPECT_EQ(seq->m_playMode, CAnimation::PLAY_PARALLEL);
    ASSERT_EQ(seq->SubAnimationCount(), static_cast<int>(2 * r.values.size() - 1));
    for (int i = 0; i < seq->SubAnimationCount(); ++i) {
      const CAnimation* step = seq->SubAnimation(i);
      if (i % 2) {
        // The repeat's body, filed under a name of its own, played by reference.
        const CAnimation* body = dynamic_cast<CAnimation*>(root->FindAnimationLocal(step->ReferenceName()));
        ASSERT_NE(body, nullptr) << step->ReferenceName();
        EXPECT_EQ(body->SubAnimation(0), Anim("body"));
        continue;
      }
      const ActPrm* set = Assignment(step);
      ASSERT_NE(set, nullptr) << i;
      EXPECT_STREQ(set->String(), r.counter.substr(0, 1).c_str());
      const double v = r.values[static_cast<size_t>(i / 2)];
      if (r.real) EXPECT_FLOAT_EQ(set->Float(), static_cast<float>(v));
      else EXPECT_EQ(set->Int(), static_cast<int>(v));
      EXPECT_FLOAT_EQ(step->Controller(0)->LifeEnd(), 200.0f);
    }
  }
}

// Counters that would not stop, and counters that cannot be read, are reported; nothing is
// unrolled and the body alone remains.
TEST_F(RepeatTest, RunawayAndBadCounters) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"i, 1, 3, 0", "重复的步长0不能从1到达3"},
      {"i, 1, 3, -1", "重复的步长-1不能从1到达3"},
      {"f, 0, 1, 0.0", "重复的步长0不能从0到达1"},
      {"i, 1, 100001, 1", "重复次数超过100000次"},
      {"f, 100000000000000000.0, 200000000000000000.0, 1", "重复次数超过100000次"},  // too small a step to move it
      {"3, 1, 2", "无效字符串 '3'"},
      {"i, 1, nothing", "无效字符串 'nothing'"},
      {"i, 1", "无效字符串 'i'"},
  };
  for (const auto& [counter, message] : rows) {
    SCOPED_TRACE(counter);
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\nfloat f\nanimation { name { a } repeat { counter { " + counter +
                         " } animation { } } }\n}\n");
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
    EXPECT_NE(o.messages[0].find(message), std::string::npos) << o.messages[0];
    ASSERT_NE(Anim("a"), nullptr);
    EXPECT_LE(root->animations().Count(), 3);
  }
}

// Acts: the records are copied per iteration, each copy followed by the next assignment; without
// a counter they are taken once. The copies of one read are bounded together.
TEST_F(RepeatTest, UnrollsOverActs) {
  struct Row {
    std::string repeat;
    std::vector<int> types;  // empty: the read fails with the message
    std::string message;
  };
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += "act { type { showall } } ";
  const std::vector<Row> rows = {
      {"act { type { showall } }", {100}, ""},
      {"counter { i, 1, 2 } act { type { showall } }", {500, 100, 500, 100, 500}, ""},
      {"counter { i, 1, 100000 } " + eleven, {}, "一次读入的重复展开总数超过1000000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.repeat.substr(0, 60));
    TearDown();
    SetUp();
    ReadOutcome o = Read("script {\nmk() { repeat { " + r.repeat + " } }\n"
                         "animation { name { a } controller { life { 0, 100 } action { mk() } } }\n}\n");
    const CTEventController* c = Anim("a") && Anim("a")->ControllerCount() ? Anim("a")->Controller(0) : nullptr;
    auto* e = c && c->EventCount() ? dynamic_cast<CTEventActionEx*>(c->Event(0)) : nullptr;
    if (o.messages.empty() && (!e || e->ActionCount() == 0))
      GTEST_SKIP() << "the action and act readers are not in this build";
    if (r.types.empty()) {
      EXPECT_EQ(o.result, 0);
      ASSERT_EQ(o.messages.size(), 1u) << Joined(o);
      EXPECT_NE(o.messages[0].find(r.message), std::string::npos) << o.messages[0];
      continue;
    }
    ASSERT_EQ(o.result, 1) << Joined(o);
    ASSERT_NE(e, nullptr);
    std::vector<int> types;
    for (const ActPrm& a : e->Actions()) types.push_back(a.Type());
    EXPECT_EQ(types, r.types);
  }
}

}  // namespace
