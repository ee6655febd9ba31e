// The animation views: the timeline SVG (times read back from its data attributes) and the
// animation graph, on animations built by hand, and the --anim option run as a process.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "CliSupport.h"
#include "Dump.h"
#include "lexer/ScrLimits.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "support/ScriptFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One element of the drawing that carries data attributes.
struct Item {
  std::string kind, name;
  double start, end;
  std::string title;  // the <title> that follows it, if any
};

std::string Attr(const std::string& tag, const std::string& name) {
  const std::string key = " " + name + "=\"";
  size_t at = tag.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  return tag.substr(at, tag.find('"', at) - at);
}

// Every element with a data-kind, in document order (the notes excepted).
std::vector<Item> Items(const std::string& svg) {
  std::vector<Item> out;
  for (size_t at = svg.find(" data-kind=\""); at != std::string::npos; at = svg.find(" data-kind=\"", at + 1)) {
    const size_t open = svg.rfind('<', at), close = svg.find('>', at);
    const std::string tag = svg.substr(open, close - open);
    if (Attr(tag, "data-kind") == "note") continue;
    Item it{Attr(tag, "data-kind"), Attr(tag, "data-name"), std::atof(Attr(tag, "data-start").c_str()),
            std::atof(Attr(tag, "data-end").c_str()), ""};
    if (svg.compare(close + 1, 7, "<title>") == 0) it.title = svg.substr(close + 8, svg.find("</title>", close) - close - 8);
    out.push_back(it);
  }
  return out;
}

std::vector<Item> Bars(const std::string& svg) {
  std::vector<Item> bars;
  for (const Item& i : Items(svg))
    if (i.kind == "animation" || i.kind == "controller" || i.kind == "reference" || i.kind == "cycle") bars.push_back(i);
  return bars;
}

// Well-formed XML, checked by Python's parser; skipped where there is no python3.
void ExpectWellFormed(const std::string& svg) {
  TempDir dir;
  const std::string path = dir.WriteBytes("t.svg", svg);
  const std::string cmd = "python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' '" + path + "'";
  const int status = std::system(cmd.c_str());
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return;  // no python3 here
  EXPECT_EQ(status, 0) << svg.substr(0, 2000);
}

class TimelineTest : public ::testing::Test {
 protected:
  CAnimation* Anim(const std::string& utf8, int mode = CAnimation::PLAY_SERIAL, CSgModule* m = nullptr) {
    auto* a = new CAnimation(Gbk(utf8).c_str());
    a->m_playMode = mode;
    (m ? m : root.get())->AddAnimation(a);
    return a;
  }
  static CTEventController* Ctrl(CAnimation* a, float start, float end, float speed = 1) {
    auto* c = new CTEventController;
    c->SetLife(start, end);
    c->SetSpeed(speed);
    a->AddController(c);
    return c;
  }
  std::string Svg(std::vector<const CAnimation*> anims) { return DumpTimeline({{"", std::move(anims)}}); }

  std::unique_ptr<CSgModule> root = std::make_unique<CSgModule>("main");
};

// Serial sub-animations follow one another, parallel ones start together; a controller runs
// from its life's start for its length over its speed; a reference lasts as long as what it
// refers to; an animation lasts as long as the longer of its controllers and its sub-animations.
TEST_F(TimelineTest, BarsFollowPlayModesLivesSpeedsAndReferences) {
  CAnimation* top = Anim("总装");
  Ctrl(top, 0, 4);
  CAnimation* a = Anim("A", CAnimation::PLAY_PARALLEL);
  Ctrl(a, 1, 3, 2);
  CAnimation* a1 = Anim("A1");
  Ctrl(a1, 0, 5);
  CAnimation* a2 = Anim("A2");
  Ctrl(a2, 0, 2);
  a->AddSubAnimation(a1);
  a->AddSubAnimation(a2);
  CAnimation* b = Anim("B");
  CAnimation* b1 = Anim("B1");
  Ctrl(b1, 0, 3);
  CAnimation* b2 = Anim("B2");
  Ctrl(b2, 0, 1, 0);  // a speed of 0 plays at 1
  b->AddSubAnimation(b1);
  b->AddSubAnimation(b2);
  CAnimation* r = Anim("R");
  r->ReferenceFrom(a);
  for (CAnimation* s : {a, b, r}) top->AddSubAnimation(s);

  const std::string svg = Svg({top});
  const std::vector<Item> want = {
      {"animation", "总装", 0, 14, ""}, {"controller", "", 0, 4, ""},
      {"animation", "A", 0, 5, ""},     {"controller", "", 1, 2, ""},
      {"animation", "A1", 0, 5, ""},    {"controller", "", 0, 5, ""},
      {"animation", "A2", 0, 2, ""},    {"controller", "", 0, 2, ""},
      {"animation", "B", 5, 9, ""},     {"animation", "B1", 5, 8, ""},
      {"controller", "", 5, 8, ""},     {"animation", "B2", 8, 9, ""},
      {"controller", "", 8, 9, ""},     {"reference", "R", 9, 14, ""},
  };
  const std::vector<Item> got = Bars(svg);
  ASSERT_EQ(got.size(), want.size()) << svg;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].kind, want[i].kind) << "row " << i;
    EXPECT_EQ(got[i].name, want[i].name) << "row " << i;
    EXPECT_DOUBLE_EQ(got[i].start, want[i].start) << "row " << i << " " << want[i].name;
    EXPECT_DOUBLE_EQ(got[i].end, want[i].end) << "row " << i << " " << want[i].name;
  }
  EXPECT_DOUBLE_EQ(AnimationDuration(*top), 14);
  EXPECT_TRUE(Has(svg, "font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', 'Microsoft YaHei', sans-serif\""));
  ExpectWellFormed(svg);
}

// Events are marks over their controller's life, action records ticks at its start, each with
// its type in the tooltip; names are escaped.
TEST_F(TimelineTest, EventsAndActionRecordsCarryKindsAndTooltips) {
  CAnimation* a = Anim("开门 <&\"'>");
  CTEventController* c = Ctrl(a, 2, 6, 2);
  (new CTEventRotation(root.get()))->SetController(c);
  auto* act = new CTEventActionEx(root.get());
  act->SetName(Gbk("动作").c_str());
  act->AddAction(ActPrm(ACT_ASSIGN));
  act->AddAction(ActPrm(ACT_RUNPROGRAM));
  act->AddAction(ActPrm(99999));  // a type without a name
  act->SetController(c);

  const std::string svg = Svg({a});
  std::map<std::string, std::vector<Item>> byKind;
  for (const Item& i : Items(svg)) byKind[i.kind].push_back(i);
  ASSERT_EQ(byKind["animation"].size(), 1u) << svg;
  EXPECT_EQ(byKind["animation"][0].name, "开门 &lt;&amp;&quot;&apos;&gt;");
  ASSERT_EQ(byKind["rotate"].size(), 1u);
  EXPECT_DOUBLE_EQ(byKind["rotate"][0].start, 2);
  EXPECT_DOUBLE_EQ(byKind["rotate"][0].end, 4);
  ASSERT_EQ(byKind["action"].size(), 1u);
  EXPECT_EQ(byKind["action"][0].name, "动作");
  const std::vector<Item>& acts = byKind["act"];
  ASSERT_EQ(acts.size(), 3u);
  EXPECT_EQ(acts[0].name, "assign");
  EXPECT_TRUE(Has(acts[0].title, "assign (500)")) << acts[0].title;
  EXPECT_EQ(acts[1].name, "run program");
  EXPECT_EQ(acts[2].name, "99999");
  for (const Item& t : acts) EXPECT_DOUBLE_EQ(t.start, 2);
  ExpectWellFormed(svg);
}

// What cannot be drawn whole still ends, with a note: an animation that plays itself, nesting
// past the depth limit, more rows than the cap; shared sub-animations are measured once (a
// diamond 64 levels deep would otherwise take 2^64 steps).
TEST_F(TimelineTest, CyclesDepthRowsAndSharingAreBounded) {
  CAnimation* self = Anim("self");
  Ctrl(self, 0, 3);
  self->AddSubAnimation(self);
  std::string svg = Svg({self});
  ASSERT_EQ(Bars(svg).size(), 3u) << svg;
  EXPECT_EQ(Bars(svg)[2].kind, "cycle");
  EXPECT_DOUBLE_EQ(Bars(svg)[0].end, 3);

  CAnimation* const d0 = Anim("d0");
  CAnimation* deep = d0;
  for (int i = 1, n = SCR_MAX_BLOCK_DEPTH + 50; i < n; ++i) {
    CAnimation* next = Anim("d" + std::to_string(i));
    deep->AddSubAnimation(next);
    deep = next;
  }
  Ctrl(deep, 0, 1);
  svg = Svg({d0});
  EXPECT_TRUE(Has(svg, "nested deeper than")) << svg.size();
  ExpectWellFormed(svg);

  CAnimation* wide = Anim("wide", CAnimation::PLAY_PARALLEL);
  for (int i = 0; i < SCRREAD_MAX_TIMELINE_ROWS + 10; ++i) wide->AddSubAnimation(Anim("w" + std::to_string(i)));
  svg = Svg({wide});
  EXPECT_EQ(Bars(svg).size(), static_cast<size_t>(SCRREAD_MAX_TIMELINE_ROWS));
  EXPECT_TRUE(Has(svg, "only the first"));

  CAnimation* level = Anim("leaf");
  Ctrl(level, 0, 1);
  for (int i = 0; i < 64; ++i) {
    CAnimation* up = Anim("x" + std::to_string(i));
    up->AddSubAnimation(level);
    up->AddSubAnimation(level);
    level = up;
  }
  EXPECT_DOUBLE_EQ(AnimationDuration(*level), 18446744073709551616.0);
}

// Without --anim every top-level animation is shown, those of child modules too, and no
// sub-animation twice; --anim finds plain names below the root and qualified ones from it.
TEST_F(TimelineTest, TopLevelAnimationsAndNamesForTheView) {
  auto* valve = new CSgModule(Gbk("阀门").c_str());
  root->AddChild(valve);
  CAnimation* top = Anim("top");
  CAnimation* sub = Anim("sub");
  top->AddSubAnimation(sub);
  CAnimation* open = Anim("打开", CAnimation::PLAY_SERIAL, valve);

  EXPECT_EQ(TopLevelAnimations(*root), (std::vector<const CAnimation*>{top, open}));
  EXPECT_EQ(FindAnimationForView(*root, "sub"), sub);
  EXPECT_EQ(FindAnimationForView(*root, "打开"), open);
  EXPECT_EQ(FindAnimationForView(*root, "阀门:打开"), open);
  EXPECT_EQ(FindAnimationForView(*root, "阀门:sub"), nullptr);
  EXPECT_EQ(FindAnimationForView(*root, "none"), nullptr);
}

// The graph: valid DOT, each animation once (even one that plays itself), controllers with
// their lives, events with their kinds, action records by type name, the reference dashed.
TEST_F(TimelineTest, AnimationGraphShowsTheTree) {
  CAnimation* top = Anim("总装", CAnimation::PLAY_PARALLEL);
  CTEventController* c = Ctrl(top, 0, 4, 2);
  (new CTEventScale(root.get()))->SetController(c);
  auto* act = new CTEventActionEx(root.get());
  act->AddAction(ActPrm(ACT_ASSIGN));
  act->SetController(c);
  CAnimation* sub = Anim("sub");
  top->AddSubAnimation(sub);
  sub->AddSubAnimation(top);
  CAnimation* ref = Anim("ref");
  ref->ReferenceFrom(sub);
  top->AddSubAnimation(ref);

  const std::string dot = DumpAnimationDot({{"", {top}}});
  EXPECT_EQ(CheckDot(dot), "") << dot;
  for (const char* part : {"总装\\nparallel, duration 2", "life 0 .. 4\\nspeed 2", "stretch", "1. assign (500)",
                           "label=\"reference\", style=dashed", "label=\"parallel\""})
    EXPECT_TRUE(Has(dot, part)) << part << "\n" << dot;
  EXPECT_EQ(dot.find("label=\"sub"), dot.rfind("label=\"sub")) << "sub drawn once:\n" << dot;
}

// As a process: the timeline of a script, --anim narrowing it, and the usage errors.
TEST(CliTimeline, AnimOptionAndUsageErrors) {
  const std::string script = "script {\n  animation {\n    name { 开门 }\n  }\n  animation {\n    name { 关门 }\n  }\n}\n";
  RunResult r = RunScrread({"-q", "--dump", "timeline", "-"}, script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "data-name=\"开门\"") && Has(r.out, "data-name=\"关门\"")) << r.out;
  r = RunScrread({"-q", "--dump", "timeline", "--anim", "关门", "-"}, script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Has(r.out, "开门")) << r.out;
  EXPECT_TRUE(Has(r.out, "data-name=\"关门\"")) << r.out;
  r = RunScrread({"-q", "--dump", "dot", "--anim=开门", "-"}, script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CheckDot(r.out), "") << r.out;
  EXPECT_TRUE(Has(r.out, "开门")) << r.out;

  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  for (const Case& c : std::vector<Case>{
           {{"--dump", "timeline", "--anim", "无", "-"}, "no animation named '无'"},
           {{"--dump", "json", "--anim", "开门", "-"}, "'--anim' needs '--dump dot' or '--dump timeline'"},
           {{"--anim", "开门", "-"}, "'--anim' needs"},
       }) {
    r = RunScrread(c.args, script);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_TRUE(Has(r.err, c.message)) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
  }
}

// The bundled example, read by the real readers: the controller's life, the repeat unrolled into
// body, reference and assignment rows one after another.
TEST(CliTimeline, ExampleDoorOpensWhileTheLampBlinks) {
  RunResult r = RunScrread({"-q", "--dump", "timeline", "--anim", "开门", std::string(SCR_EXAMPLES_DIR) + "/door.scr"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<Item> bars = Bars(r.out);
  ASSERT_FALSE(bars.empty()) << r.out;
  EXPECT_EQ(bars[0].name, "开门");
  EXPECT_EQ(bars[0].end, 1400);  // the repeat: 200 + 3 x (200 + 200 referenced), after 0..1000
  int controllers = 0, references = 0;
  double lastEnd = 0;
  for (const Item& b : bars) {
    if (b.kind == "controller" && b.start == 0 && b.end == 1000) ++controllers;  // the door's
    if (b.kind == "reference") {
      ++references;
      EXPECT_GE(b.start, lastEnd) << "serial: each reference after the one before";
      EXPECT_EQ(b.end - b.start, 200) << "as long as the body it plays";
      lastEnd = b.end;
    }
  }
  EXPECT_EQ(controllers, 1) << r.out;
  EXPECT_EQ(references, 3) << r.out;
}

}  // namespace
