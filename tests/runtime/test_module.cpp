// The module tree, collections, finds, temporaries and the tree-wide view.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "sg/Module.h"

namespace {

CSgVariable* Var(const char* name, int value) {
  auto* v = new CSgVariable(SGT_VARIABLE, name);
  v->SetInt(value);
  return v;
}

// main -> Pump -> Valve, main -> Tank
struct Tree {
  CSgModule root{"main"};
  CSgModule* pump = new CSgModule("Pump");
  CSgModule* valve = new CSgModule("Valve");
  CSgModule* tank = new CSgModule("Tank");
  Tree() {
    root.AddChild(pump);
    pump->AddChild(valve);
    root.AddChild(tank);
  }
};

}  // namespace

TEST(Module, TreeAndQualifiedModuleFinds) {
  Tree t;
  EXPECT_EQ(t.root.TypeCode(), SGT_MODULE);
  EXPECT_EQ(t.valve->Parent(), t.pump);
  EXPECT_EQ(t.valve->Root(), &t.root);
  EXPECT_EQ(t.valve->PathName(), "main:Pump:Valve");
  EXPECT_EQ(t.valve->FullName(), "main:Pump:Valve");
  EXPECT_EQ(t.root.ChildCount(), 2);
  EXPECT_EQ(t.root.Child(1), t.tank);
  EXPECT_EQ(t.root.Child(2), nullptr);

  EXPECT_EQ(t.root.FindModule("Pump"), t.pump);
  EXPECT_EQ(t.root.FindModule("Pump:Valve"), t.valve);
  EXPECT_EQ(t.root.FindModule("main:Pump:Valve"), t.valve);
  EXPECT_EQ(t.valve->FindModule("main:Tank"), t.tank);  // from the root
  EXPECT_EQ(t.valve->FindModule("Tank"), t.tank);       // a sibling of an ancestor
  EXPECT_EQ(t.valve->FindModule("main"), &t.root);
  EXPECT_EQ(t.root.FindModule("Valve"), nullptr);       // not a child of main
  EXPECT_EQ(t.root.FindModule("Pump:Nope"), nullptr);
  EXPECT_EQ(t.root.FindModule("Pump::Valve"), nullptr);
  EXPECT_EQ(t.root.FindModule(""), nullptr);
  EXPECT_EQ(t.root.FindModule(nullptr), nullptr);

  // A module cannot be re-parented or become its own ancestor.
  t.valve->AddChild(&t.root);
  t.pump->AddChild(t.pump);
  t.tank->AddChild(t.valve);
  EXPECT_EQ(t.tank->ChildCount(), 0);
  EXPECT_EQ(t.valve->ChildCount(), 0);
}

TEST(Module, VariableFindsAndSearchOrder) {
  Tree t;
  t.root.AddVariable(Var("level", 1));
  t.pump->AddVariable(Var("level", 2));
  t.pump->AddVariable(Var("level", 3));  // a second of the same name: the first wins
  t.tank->AddVariable(Var("volume", 4));
  t.root.AddVariable(nullptr);

  EXPECT_EQ(t.pump->FindVariable("level")->GetInt(), 2);
  EXPECT_EQ(t.valve->FindVariable("level")->GetInt(), 2);   // nearest ancestor
  EXPECT_EQ(t.valve->FindVariable("level", 1), nullptr);     // local only
  EXPECT_EQ(t.valve->FindVariableLocal("level"), nullptr);
  EXPECT_EQ(t.tank->FindVariable("level")->GetInt(), 1);
  EXPECT_EQ(t.pump->FindVariable("volume"), nullptr);        // no search into siblings
  EXPECT_EQ(t.valve->FindVariable("main:Tank:volume")->GetInt(), 4);
  EXPECT_EQ(t.valve->FindVariable("Tank:volume")->GetInt(), 4);
  EXPECT_EQ(t.valve->FindVariable("main:level")->GetInt(), 1);
  EXPECT_EQ(t.root.FindVariable("Pump:volume"), nullptr);    // qualified: that module only
  EXPECT_EQ(t.root.FindVariable("Nope:level"), nullptr);
  EXPECT_EQ(t.root.FindVariable("Pump:"), nullptr);
  EXPECT_EQ(t.root.FindVariable(nullptr), nullptr);

  CSgVariable* lv = t.pump->FindVariable("level");
  EXPECT_EQ(lv->Module(), t.pump);
  EXPECT_EQ(lv->FullName(), "main:Pump:level");
}

TEST(Module, RenameAndRemoveKeepTheIndex) {
  CSgModule m;
  CSgVariable* a = Var("a", 1);
  CSgVariable* b = Var("b", 2);
  m.AddVariable(a);
  m.AddVariable(b);
  // Renamed after being added: found under the new name only.
  a->SetName("x");
  EXPECT_EQ(m.FindVariable("a"), nullptr);
  EXPECT_EQ(m.FindVariable("x"), a);
  // b renamed to x too: a was added first and still wins.
  b->SetName("x");
  EXPECT_EQ(m.FindVariable("x"), a);

  EXPECT_EQ(m.RemoveVariable(a), a);
  EXPECT_EQ(m.FindVariable("x"), b);
  EXPECT_EQ(m.variables().Count(), 1);
  EXPECT_EQ(m.RemoveVariable(a), nullptr);  // no longer listed
  a->SetName("y");                          // no stale index entry is touched
  delete a;

  // A variable listed without ownership and deleted by its owner disappears from the list.
  auto* shared = Var("shared", 5);
  m.AddVariable(shared, 0);
  EXPECT_EQ(m.FindVariable("shared"), shared);
  delete shared;
  EXPECT_EQ(m.FindVariable("shared"), nullptr);
  EXPECT_EQ(m.variables().Count(), 1);
}

// Every collection the module declares is visited, however many there are.
#define SG_COUNT_COLLECTION(json, T) +1
constexpr int kCollectionCount = 0 SG_MODULE_COLLECTIONS(SG_COUNT_COLLECTION);
#undef SG_COUNT_COLLECTION

TEST(Module, CollectionsOwnAndFind) {
  CSgModule m;
  m.AddAnimation(new CKvoObject(SGT_ANIMATION, "spin"));
  m.AddImage(new CKvoObject(SGT_IMAGE, "logo"));
  m.AddText(new CKvoObject(SGT_TEXT, "title"));
  m.AddUserClass(new CKvoObject(SGT_PROGRAM, "Pump"));
  m.AddUserProgram(new CKvoObject(SGT_PROGRAM, "run"));
  m.AddChartObject(new CKvoObject(65, "chart"));
  m.AddTexture(new CKvoObject(0, "logo"));  // same name as the image, later in find order
  auto* button = new CKvoObject(SGT_BUTTON, "start");
  EXPECT_EQ(m.OpController()->AddCtrlPoint(button), 1);
  EXPECT_EQ(m.OpController()->AddCtrlPoint(button), 0);  // listed once only
  m.AddAnimation(nullptr);

  EXPECT_EQ(m.FindAnimation("spin")->TypeCode(), SGT_ANIMATION);
  EXPECT_EQ(m.FindCtrlpt("start"), button);
  EXPECT_EQ(m.OpController()->FindCtrlPoint("start"), button);
  EXPECT_EQ(button->Module(), &m);
  EXPECT_STREQ(m.FindClass("Pump")->Name(), "Pump");
  EXPECT_STREQ(m.FindProgram("run")->Name(), "run");
  EXPECT_EQ(m.FindProgram("Pump"), nullptr);
  EXPECT_EQ(m.FindObject("logo")->TypeCode(), SGT_IMAGE);
  EXPECT_EQ(m.FindObject("chart")->TypeCode(), 65);
  EXPECT_EQ(m.FindObject("nothing"), nullptr);

  std::map<std::string, int> counts;
  int collections = 0;
  m.ForEachCollection([&](const char* json, const std::vector<CKvoObject*>& items) {
    ++collections;
    counts[json] = (int)items.size();
  });
  EXPECT_EQ(collections, kCollectionCount);
  EXPECT_EQ(counts["ctrlPoints"], 1);
  EXPECT_EQ(counts["animations"], 1);
  EXPECT_EQ(counts["userClasses"], 1);
  EXPECT_EQ(counts["variables"], 0);
}

TEST(Module, Temporaries) {
  CSgModule m;
  m.AddVariable(Var("keep", 1));
  m.StartRecordTempVariable();
  EXPECT_EQ(m.AllocTempVariable(0), nullptr);
  CSgVariable* t = m.AllocTempVariable(3);
  ASSERT_NE(t, nullptr);
  // The three are contiguous and belong to the module, but are not module variables.
  t[2].SetInt(9);
  EXPECT_EQ(m.TempVariable(2)->GetInt(), 9);
  EXPECT_EQ(t[1].Module(), &m);
  EXPECT_STREQ(t[0].Name(), "");
  EXPECT_EQ(m.TempVariableCount(), 3);
  EXPECT_EQ(m.variables().Count(), 1);
  m.StartRecordTempVariable();
  m.AllocTempVariable(1);
  EXPECT_EQ(m.TempGroupStart(), 3);
  EXPECT_EQ(m.TempVariableCount(), 4);
}

TEST(Module, InterfaceSequencesViewEnvironment) {
  Tree t;
  CSgVariable* v = Var("flow", 0);
  t.pump->AddVariable(v);
  t.pump->AddInterfaceItem(v, SG_INTERFACE_OUT, "flow rate");
  t.pump->AddInterfaceItem(nullptr, SG_INTERFACE_IN, "ignored");
  ASSERT_EQ(t.pump->InterfaceItemCount(), 1);
  EXPECT_EQ(t.pump->InterfaceItem(0)->direction, SG_INTERFACE_OUT);
  EXPECT_EQ(t.pump->InterfaceItem(0)->description, "flow rate");
  EXPECT_EQ(t.pump->InterfaceItem(1), nullptr);
  // A removed variable stops being an interface item.
  delete t.pump->RemoveVariable(v);
  EXPECT_EQ(t.pump->InterfaceItemCount(), 0);

  EXPECT_EQ(t.root.BuildSequence(), 1);
  EXPECT_EQ(t.root.SequenceBuilt(), 1);
  EXPECT_EQ(t.valve->SequenceBuilt(), 1);

  // One view and one environment per tree, held by the root.
  EXPECT_EQ(t.valve->SgView(), t.root.SgView());
  EXPECT_EQ(t.valve->SgView()->MainModule(), &t.root);
  t.tank->Environment()->SetOptions(SG_OPT_NO_LINE_TRACE);
  EXPECT_EQ(t.valve->Environment()->Options(), 8u);
  CSgModule other;
  EXPECT_NE(other.SgView(), t.root.SgView());
}

namespace {

// A probe notes its own death; while dying it reads its module's full path (in a deep
// chain only its parent's name), so a module freed before its objects or its ancestors
// shows up under the sanitizers.
struct Deaths {
  bool fullPaths = true;
  std::vector<std::string> names;
};

class DeathProbe : public CKvoObject {
 public:
  explicit DeathProbe(Deaths* deaths) : CKvoObject(SGT_TEXT, "probe"), m_deaths(deaths) {}
  ~DeathProbe() override {
    const CSgModule* parent = Module()->Parent();
    m_deaths->names.push_back(m_deaths->fullPaths ? FullName() : parent ? parent->Name() : "");
  }

 private:
  Deaths* m_deaths;
};

}  // namespace

TEST(Module, AbsentCollectionsActEmpty) {
  static_assert(sizeof(CSgModule) <= 600, "an empty module must stay small");
  CSgModule m;
  CSgVariable stray(SGT_VARIABLE, "x");
  EXPECT_EQ(m.RemoveVariable(&stray), nullptr);
  EXPECT_EQ(m.OpController()->CtrlPoint(0), nullptr);
  EXPECT_EQ(m.Child(0), nullptr);
  EXPECT_EQ(m.FindChild("x"), nullptr);

  // Each add makes its own collection only; the others stay empty.
  struct Row {
    const char* json;
    void (CSgModule::*add)(CKvoObject*);
    CKvoObject* (CSgModule::*find)(const char*);
  };
  const Row rows[] = {
      {"animations", &CSgModule::AddAnimation, &CSgModule::FindAnimation},
      {"texts", &CSgModule::AddText, &CSgModule::FindText},
      {"userPrograms", &CSgModule::AddUserProgram, &CSgModule::FindProgram},
      {"userObjects", &CSgModule::AddUserObject, &CSgModule::FindObject},
  };
  for (const Row& r : rows) {
    CSgModule one;
    EXPECT_EQ((one.*r.find)(r.json), nullptr) << r.json;
    (one.*r.add)(nullptr);
    (one.*r.add)(new CKvoObject(0, r.json));
    EXPECT_STREQ((one.*r.find)(r.json)->Name(), r.json);
    std::string seen;
    int visited = 0;
    one.ForEachCollection([&](const char* json, const std::vector<CKvoObject*>& items) {
      ++visited;
      if (!items.empty()) seen += json;
    });
    EXPECT_EQ(visited, kCollectionCount);
    EXPECT_EQ(seen, r.json);
  }
}

TEST(Module, OpControllerWithItsOwnList) {
  CObjectList<CKvoObject> list;
  CSgModule m;
  COpController own(&m, &list);
  EXPECT_EQ(own.AddCtrlPoint(new CKvoObject(SGT_BUTTON, "b")), 1);
  EXPECT_EQ(own.FindCtrlPoint("b")->Module(), &m);
  EXPECT_EQ(m.FindCtrlpt("b"), nullptr);  // the module's collection is not touched
  EXPECT_EQ(&m.OpController()->List(), &m.ctrlPoints());
}

// Built, searched, sequenced and destroyed without one stack frame per level.
TEST(Module, DeepChainWithoutRecursion) {
  const int kDepth = 100000;
  Deaths deaths;
  deaths.fullPaths = false;
  {
    CSgModule root;
    root.AddVariable(Var("top", 7));
    CSgModule* leaf = &root;
    for (int i = 0; i < kDepth; ++i) {
      auto* next = new CSgModule("m");
      leaf->AddChild(next);
      leaf = next;
    }
    EXPECT_EQ(leaf->Depth(), kDepth);
    EXPECT_EQ(leaf->Parent()->Depth(), kDepth - 1);
    EXPECT_EQ(leaf->FindVariable("top")->GetInt(), 7);
    EXPECT_EQ(root.BuildSequence(), 1);
    EXPECT_EQ(leaf->SequenceBuilt(), 1);
    for (CSgModule* m = leaf; m; m = m->Parent()) m->AddText(new DeathProbe(&deaths));
  }
  ASSERT_EQ(deaths.names.size(), (size_t)kDepth + 1);
  EXPECT_EQ(deaths.names.front(), "");  // the root's own objects go first
  EXPECT_EQ(deaths.names.back(), "main");
}

// Every module of a branching tree dies once with its ancestors alive; a module deleted
// on its own takes its subtree with it and leaves its parent's list.
TEST(Module, TreeDestructionAndDepth) {
  Deaths deaths;
  std::vector<std::string> paths, gonePaths;
  {
    CSgModule root;
    std::vector<CSgModule*> all{&root};
    for (size_t i = 0; all.size() < 40; ++i) {
      auto* c = new CSgModule(("c" + std::to_string(all.size())).c_str());
      all[i / 3]->AddChild(c);  // three children each, breadth first
      all.push_back(c);
    }
    const std::pair<int, int> depths[] = {{0, 0}, {1, 1}, {3, 1}, {4, 2}, {12, 2}, {13, 3}, {39, 3}};
    for (auto [index, depth] : depths) EXPECT_EQ(all[index]->Depth(), depth) << index;
    for (CSgModule* m : all) {
      m->AddText(new DeathProbe(&deaths));
      paths.push_back(m->PathName() + ":probe");
      for (const CSgModule* a = m; a; a = a->Parent())
        if (a == all[1]) gonePaths.push_back(paths.back());
    }
    delete all[1];
    EXPECT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.FindChild("c1"), nullptr);
    std::vector<std::string> died = deaths.names;
    std::sort(died.begin(), died.end());
    std::sort(gonePaths.begin(), gonePaths.end());
    EXPECT_EQ(died, gonePaths);
  }
  std::sort(deaths.names.begin(), deaths.names.end());
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(deaths.names, paths);
}
