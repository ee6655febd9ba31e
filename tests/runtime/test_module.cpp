// The module tree, collections, finds, temporaries and the tree-wide view.
#include <gtest/gtest.h>

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
  EXPECT_EQ(collections, 23);
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
