// Steps, sequences, examination nodes and faults.
#include "sg/Procedure.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "sg/Control.h"
#include "sg/Describe.h"
#include "sg/Module.h"
#include "sg/Trigger.h"

namespace {

void IntList(CDescriber& d, const char* key, const std::vector<int>& v) {
  d.BeginList(key);
  for (int x : v) d.Int(nullptr, x);
  d.EndList();
}

template <class T>
void RefList(CDescriber& d, const char* key, const std::vector<T*>& v) {
  d.BeginList(key);
  for (const T* o : v) d.Ref(nullptr, o);
  d.EndList();
}

void RefOrNull(CDescriber& d, const char* key, const CKvoObject* o) {
  if (o) d.Ref(key, o);
  else d.Null(key);
}

}  // namespace

// ---------------------------------------------------------------- steps

CSgStep::CSgStep(CSgModule* module) : CKvoObject(SGT_STEP) { SetModule(module); }

void CSgStep::SetName(const char* name, int) { CKvoObject::SetName(name); }

void CSgStep::AddCtrlPoint(COpCtrlPoint* ctrl) {
  if (ctrl && m_held.insert(ctrl).second) m_ctrlPoints.push_back(ctrl);
}

void CSgStep::AddTrigger(CSgTrigger* trigger) {
  if (trigger && m_held.insert(trigger).second) m_triggers.push_back(trigger);
}

void CSgStep::Describe(CDescriber& d) const {
  d.Int("id", m_id);
  d.Real("mark", m_mark);
  RefList(d, "ctrlPoints", m_ctrlPoints);
  RefList(d, "triggers", m_triggers);
}

// ---------------------------------------------------------------- sequences

CSequence::CSequence(CSgModule* module) : CKvoObject(SGT_SEQUENCE) { SetModule(module); }

CSequence::~CSequence() {
  // Children are freed level by level, so that a deep tree does not recurse here.
  std::vector<std::unique_ptr<CSequence>> pending = std::move(m_children);
  while (!pending.empty()) {
    std::unique_ptr<CSequence> s = std::move(pending.back());
    pending.pop_back();
    for (auto& c : s->m_children) pending.push_back(std::move(c));
    s->m_children.clear();
  }
}

void CSequence::AddChild(CSequence* child) {
  if (child) m_children.emplace_back(child);
}

// The play order is a depth-first walk: a sequence's own control, then its children's trees in
// the order they were added, whatever the order type (the runtime decides what plays together).
int CSequence::Build(CSgModule* module) {
  m_playOrder.clear();
  m_unresolved.clear();
  std::vector<CSequence*> pending{this};
  while (!pending.empty()) {
    CSequence* s = pending.back();
    pending.pop_back();
    s->m_built = true;
    s->m_ctrlpt = nullptr;
    if (!s->m_ctrlptName.empty()) {
      s->m_ctrlpt = module ? module->FindCtrlpt(s->m_ctrlptName.c_str()) : nullptr;
      if (s->m_ctrlpt) m_playOrder.push_back(s->m_ctrlpt);
      else m_unresolved.push_back(s->m_ctrlptName);
    }
    for (auto it = s->m_children.rbegin(); it != s->m_children.rend(); ++it) pending.push_back(it->get());
  }
  return (int)m_unresolved.size();
}

void CSequence::Describe(CDescriber& d) const {
  d.Text("order", m_orderType == ORDER_PARALLEL ? "parallel" : "serial");
  d.Bool("cycle", m_cycle != 0);
  d.Text("ctrlpt", m_ctrlptName.c_str());
  if (m_built && !m_ctrlptName.empty()) d.Bool("ctrlptResolved", m_ctrlpt != nullptr);
  if (!m_children.empty()) {
    d.BeginList("children");
    for (const auto& c : m_children) d.Object(nullptr, c.get());
    d.EndList();
  }
  // Only the sequence Build ran on (a module's own sequence) carries the order of its tree.
  if (!m_playOrder.empty() || !m_unresolved.empty()) {
    RefList(d, "playOrder", m_playOrder);
    d.BeginList("unresolved");
    for (const std::string& n : m_unresolved) d.Text(nullptr, n.c_str());
    d.EndList();
  }
}

// ---------------------------------------------------------------- examination nodes

CSgExamine::CSgExamine(CSgModule* module) : CKvoObject(SGT_EXAMINE) { SetModule(module); }

CSgExamine::~CSgExamine() {
  // Each node taken off the stack has its children detached first, so its own destructor has
  // nothing left to free: no recursion however deep or wide the tree.
  std::vector<CSgExamine*> pending;
  for (CSgExamine* c = m_first; c; c = c->m_next) pending.push_back(c);
  while (!pending.empty()) {
    CSgExamine* n = pending.back();
    pending.pop_back();
    for (CSgExamine* c = n->m_first; c; c = c->m_next) pending.push_back(c);
    n->m_first = n->m_last = nullptr;
    delete n;
  }
}

void CSgExamine::SetName(const char* name, int) { CKvoObject::SetName(name); }

void CSgExamine::SetSteps(const int* ids, int n) {
  n = std::clamp(n, 0, SG_MAX_EXAMINE_STEPS);
  m_steps.assign(ids, ids + n);
}

void CSgExamine::AppendChild(CSgExamine* child) {
  if (!child) return;
  child->m_parent = this;
  child->m_next = nullptr;
  if (m_last) m_last->m_next = child;
  else m_first = child;
  m_last = child;
}

// Children are printed in place. The tree's depth is bounded by the reader's block nesting.
void CSgExamine::Describe(CDescriber& d) const {
  d.Int("id", m_id);
  d.Real("mark", m_mark);
  if (m_leaf) d.Bool("leaf", true);
  IntList(d, "steps", m_steps);
  RefOrNull(d, "animation", m_animation);
  if (m_conditions) d.Text("conditions", SgConditionsText(m_conditions).c_str());
  if (m_first) {
    d.BeginList("children");
    for (const CSgExamine* c = m_first; c; c = c->m_next) d.Object(nullptr, c);
    d.EndList();
  }
}

// ---------------------------------------------------------------- faults

CSgFault::CSgFault(CSgModule* module) : CKvoObject(SGT_FAULT), m_root(std::make_unique<CSgExamine>(module)) {
  SetModule(module);
}

CSgFault::~CSgFault() = default;

void CSgFault::SetName(const char* name, int) { CKvoObject::SetName(name); }

void CSgFault::SetRect(const float* v, int n) {
  for (int i = 0; i < 4 && i < n; ++i) m_rect[i] = v[i];
}

void CSgFault::SetIndependent(const int* ids, int n) {
  n = std::clamp(n, 0, SG_MAX_INDEPENDENT);
  m_independent.assign(ids, ids + n);
}

int CSgFault::BuildCtrlPoints() {
  m_builtSteps.clear();
  m_builtCtrlPoints.clear();
  m_missingStepIds.clear();
  m_built = true;

  // The module's steps by identifier, the first listed winning.
  std::unordered_map<int, CSgStep*> byId;
  if (CSgModule* m = Module())
    for (CKvoObject* o : m->steps().Objects())
      if (auto* s = dynamic_cast<CSgStep*>(o)) byId.emplace(s->Id(), s);

  // The identifiers in tree order (depth first, a node before its children), then the
  // independent ones.
  std::vector<int> ids;
  std::vector<const CSgExamine*> pending{m_root.get()};
  while (!pending.empty()) {
    const CSgExamine* n = pending.back();
    pending.pop_back();
    ids.insert(ids.end(), n->Steps().begin(), n->Steps().end());
    std::vector<const CSgExamine*> children;
    for (const CSgExamine* c = n->FirstChild(); c; c = c->Next()) children.push_back(c);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  ids.insert(ids.end(), m_independent.begin(), m_independent.end());

  std::unordered_set<int> seenIds;
  std::unordered_set<const COpCtrlPoint*> seenCtrls;
  for (int id : ids) {
    if (!seenIds.insert(id).second) continue;
    auto it = byId.find(id);
    if (it == byId.end()) {
      m_missingStepIds.push_back(id);
      continue;
    }
    m_builtSteps.push_back(it->second);
    for (COpCtrlPoint* c : it->second->CtrlPoints())
      if (seenCtrls.insert(c).second) m_builtCtrlPoints.push_back(c);
  }
  return (int)m_builtSteps.size();
}

void CSgFault::Describe(CDescriber& d) const {
  d.Int("id", m_id);
  d.Int("processType", m_processType);
  d.Bool("record", m_record != 0);
  d.BeginList("rect");
  for (float v : m_rect) d.Real(nullptr, v);
  d.EndList();
  IntList(d, "independent", m_independent);
  RefOrNull(d, "phenomenon", m_phenomenon);
  RefOrNull(d, "error", m_error);
  d.Object("examination", m_root.get());
  if (m_built) {
    RefList(d, "steps", m_builtSteps);
    RefList(d, "ctrlPoints", m_builtCtrlPoints);
    IntList(d, "missingStepIds", m_missingStepIds);
  }
}
