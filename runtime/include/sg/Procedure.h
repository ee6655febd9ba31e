// Training procedures: steps (the controls a trainee operates at one stage), sequences (control
// points in serial or parallel order), and fault exercises with their trees of examination nodes.
//
// Ownership: a step only points at its controls and triggers (the module keeps them); a sequence
// owns its child sequences; a fault owns its root examination node and a node owns its children.
// Animations and conditions named by nodes and faults belong to the module.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "sg/Kvo.h"

class COpCtrlPoint;
class CSgTrigger;
class CSgConditions;

// ---------------------------------------------------------------- steps

class CSgStep : public CKvoObject {
 public:
  explicit CSgStep(CSgModule* module);

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int bNotify);

  int Id() const { return m_id; }
  void SetId(int id) { m_id = id; }
  float Mark() const { return m_mark; }
  void SetMark(float mark) { m_mark = mark; }

  // Not owned (the module files controls and triggers). Null and a second add of the same
  // object are ignored.
  void AddCtrlPoint(COpCtrlPoint* ctrl);
  void AddTrigger(CSgTrigger* trigger);
  const std::vector<COpCtrlPoint*>& CtrlPoints() const { return m_ctrlPoints; }
  const std::vector<CSgTrigger*>& Triggers() const { return m_triggers; }

  const char* KindName() const override { return "CSgStep"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_id = 0;
  float m_mark = 0;
  std::vector<COpCtrlPoint*> m_ctrlPoints;
  std::vector<CSgTrigger*> m_triggers;
  std::unordered_set<const void*> m_held;  // every control and trigger listed, for the dedup
};

// ---------------------------------------------------------------- sequences

class CSequence : public CKvoObject {
 public:
  enum : int { ORDER_SERIAL = 0, ORDER_PARALLEL = 1 };
  explicit CSequence(CSgModule* module);
  ~CSequence() override;

  int OrderType() const { return m_orderType; }
  void SetOrderType(int type) { m_orderType = type; }
  int Cycle() const { return m_cycle; }
  void SetCycle(int cycle) { m_cycle = cycle ? 1 : 0; }
  // The control point this sequence plays, by name (resolved by Build).
  void SetCtrlptName(const char* name) { m_ctrlptName = name ? name : ""; }
  const char* CtrlptName() const { return m_ctrlptName.c_str(); }

  // Takes ownership; null is ignored.
  void AddChild(CSequence* child);
  int ChildCount() const { return (int)m_children.size(); }
  CSequence* Child(int i) const { return i >= 0 && i < ChildCount() ? m_children[(size_t)i].get() : nullptr; }

  // Resolves the control point names of this sequence and of all its descendants with
  // `module` (CSgModule::FindCtrlpt: the module, then its ancestors) and records, in this
  // sequence, the playing order: the resolved controls of the tree in depth-first order (a
  // sequence's own control before its children's). The tree is walked with an explicit stack.
  // Returns how many names did not resolve. Building again starts over.
  int Build(CSgModule* module);
  bool IsBuilt() const { return m_built; }
  // After Build: the control point found for the name (null when none or no name).
  CKvoObject* CtrlPoint() const { return m_ctrlpt; }
  const std::vector<CKvoObject*>& PlayOrder() const { return m_playOrder; }
  const std::vector<std::string>& Unresolved() const { return m_unresolved; }

  const char* KindName() const override { return "CSequence"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_orderType = ORDER_SERIAL;
  int m_cycle = 0;
  std::string m_ctrlptName;
  std::vector<std::unique_ptr<CSequence>> m_children;
  bool m_built = false;
  CKvoObject* m_ctrlpt = nullptr;  // not owned
  std::vector<CKvoObject*> m_playOrder;   // the root of a build only; not owned
  std::vector<std::string> m_unresolved;  // likewise
};

// ---------------------------------------------------------------- examinations and faults

class CSgExamine : public CKvoObject {
 public:
  static constexpr int SG_MAX_EXAMINE_STEPS = 255;
  explicit CSgExamine(CSgModule* module);
  ~CSgExamine() override;  // frees the whole subtree without recursion

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int bNotify);

  int Id() const { return m_id; }
  void SetId(int id) { m_id = id; }
  float Mark() const { return m_mark; }
  void SetMark(float mark) { m_mark = mark; }
  // A leaf has no condition and no children of its own kind in scripts; kept for the dumps.
  bool IsLeaf() const { return m_leaf; }
  void SetLeaf(bool leaf) { m_leaf = leaf; }

  // The step identifiers, at most SG_MAX_EXAMINE_STEPS (more are dropped); replaces.
  void SetSteps(const int* ids, int n);
  const std::vector<int>& Steps() const { return m_steps; }

  // Not owned: animations and conditions belong to the module.
  void SetAnimation(CKvoObject* animation) { m_animation = animation; }
  CKvoObject* Animation() const { return m_animation; }
  void SetConditions(CSgConditions* conditions) { m_conditions = conditions; }
  CSgConditions* Conditions() const { return m_conditions; }

  // Children as a singly linked list. AppendChild takes ownership, puts the child after the
  // last one and makes this node its parent; null is ignored.
  void AppendChild(CSgExamine* child);
  CSgExamine* Parent() const { return m_parent; }
  CSgExamine* FirstChild() const { return m_first; }
  CSgExamine* LastChild() const { return m_last; }
  CSgExamine* Next() const { return m_next; }

  const char* KindName() const override { return "CSgExamine"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_id = 0;
  float m_mark = 0;
  bool m_leaf = false;
  std::vector<int> m_steps;
  CKvoObject* m_animation = nullptr;
  CSgConditions* m_conditions = nullptr;
  CSgExamine* m_parent = nullptr;
  CSgExamine* m_first = nullptr;  // owned, with every m_next after it
  CSgExamine* m_last = nullptr;
  CSgExamine* m_next = nullptr;
};

class CSgStep;

class CSgFault : public CKvoObject {
 public:
  static constexpr int SG_MAX_INDEPENDENT = 128;
  explicit CSgFault(CSgModule* module);
  ~CSgFault() override;

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int bNotify);

  int Id() const { return m_id; }
  void SetId(int id) { m_id = id; }
  // 1 for a fault exercise, 0 for a manipulation exercise.
  int ProcessType() const { return m_processType; }
  void SetProcessType(int type) { m_processType = type; }
  int Record() const { return m_record; }
  void SetRecord(int record) { m_record = record ? 1 : 0; }
  // Up to four numbers; the rest stay as they were (0 at first).
  void SetRect(const float* v, int n);
  const float* Rect() const { return m_rect; }
  // At most SG_MAX_INDEPENDENT (more are dropped); replaces.
  void SetIndependent(const int* ids, int n);
  const std::vector<int>& Independent() const { return m_independent; }

  // Not owned (the module's animations).
  void SetPhenomenon(CKvoObject* animation) { m_phenomenon = animation; }
  CKvoObject* Phenomenon() const { return m_phenomenon; }
  void SetError(CKvoObject* animation) { m_error = animation; }
  CKvoObject* Error() const { return m_error; }

  // The root of the examination tree (owned, always there).
  CSgExamine* Root() const { return m_root.get(); }

  // Gathers what the exercise asks the trainee to operate: the steps whose identifiers the
  // examination tree and the independent list name, looked up among the steps of the fault's
  // module (a step's first occurrence wins, each step once, tree order then independent
  // order), and the control points those steps hold (each once, in the same order).
  // Identifiers that name no step are kept apart. Returns how many steps were found. Building
  // again starts over.
  int BuildCtrlPoints();
  const std::vector<CSgStep*>& BuiltSteps() const { return m_builtSteps; }
  const std::vector<COpCtrlPoint*>& BuiltCtrlPoints() const { return m_builtCtrlPoints; }
  const std::vector<int>& MissingStepIds() const { return m_missingStepIds; }

  const char* KindName() const override { return "CSgFault"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_id = 0;
  int m_processType = 1;
  int m_record = 0;
  float m_rect[4] = {0, 0, 0, 0};
  std::vector<int> m_independent;
  CKvoObject* m_phenomenon = nullptr;
  CKvoObject* m_error = nullptr;
  std::unique_ptr<CSgExamine> m_root;
  bool m_built = false;
  std::vector<CSgStep*> m_builtSteps;
  std::vector<COpCtrlPoint*> m_builtCtrlPoints;
  std::vector<int> m_missingStepIds;
};
