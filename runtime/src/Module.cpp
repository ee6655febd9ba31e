// CSgModule: the module tree, its collections, finds, temporaries and the shared view.
#include "sg/Module.h"

#include "sg/Describe.h"
#include "sg/Program.h"
#include "sg/Procedure.h"

namespace {

// Splits "a:b:c" at ':'; empty parts are kept so callers can reject them.
std::vector<std::string> SplitQualified(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t colon = name.find(':', start);
    parts.push_back(name.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return parts;
}

}  // namespace

// A controller without a list of its own files control points in the module's
// ctrlPoints collection, made on the first add.
int COpController::AddCtrlPoint(CKvoObject* ctrlPoint) {
  if (!m_list) return m_module ? m_module->AddTo(m_module->m_ctrlPoints, ctrlPoint) : 0;
  if (!ctrlPoint || !m_list->Add(ctrlPoint)) return 0;
  ctrlPoint->SetModule(m_module);
  return 1;
}

const CObjectList<CKvoObject>& COpController::List() const {
  if (m_list) return *m_list;
  return m_module ? m_module->ctrlPoints() : CSgModule::EmptyList<CKvoObject>();
}

// A module named nothing is called "main", like the root a host makes.
CSgModule::CSgModule(const char* name)
    : CKvoObject(SGT_MODULE, name ? name : "main"), m_opController(this, nullptr) {}

// The module's own objects go in reverse order of declaration: the view and environment,
// the interface items and temporaries, then the collections (the last declared first).
void CSgModule::ReleaseOwnObjects() {
  m_environment.reset();
  m_view.reset();
  m_interface.clear();
  m_temps.clear();
  m_tempBlocks.clear();
#define SG_MODULE_COLLECTION_COUNT(json, T) +1
  constexpr int kCollections = 0 SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_COUNT);
#undef SG_MODULE_COLLECTION_COUNT
  CObjectListBase* lists[kCollections] = {
#define SG_MODULE_COLLECTION_LIST(json, T) m_##json.get(),
      SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_LIST)
#undef SG_MODULE_COLLECTION_LIST
  };
  for (int i = kCollections - 1; i >= 0; --i)
    if (lists[i]) lists[i]->Clear();
}

// The child modules go last. A module deleted by its parent's list would delete its own
// children in turn, one stack frame per level, which a deep tree cannot afford. So the
// whole subtree's child lists are taken out first, level by level, and deleted from the
// deepest level up: every module then dies with no children left, and while it dies its
// parent and every other ancestor are still alive.
CSgModule::~CSgModule() {
  ReleaseOwnObjects();
  ReleaseCode();
  if (!m_children) return;
  std::vector<ListPtr<CSgModule>> levels;
  levels.push_back(std::move(m_children));
  for (size_t i = 0; i < levels.size(); ++i) {
    CObjectList<CSgModule>& list = *levels[i];
    for (int c = 0; c < list.Count(); ++c) {
      CSgModule* child = list.At(c);
      if (child->m_children) levels.push_back(std::move(child->m_children));
    }
  }
  while (!levels.empty()) levels.pop_back();
}

// ---------------------------------------------------------------- the tree

// A module that already has a parent stays where it is: it has one owner.
void CSgModule::AddChild(CSgModule* child) {
  if (!child || child == this || child->m_parent) return;
  // Refuse to make a module a child of its own descendant: the tree would become a cycle.
  // Every ancestor has children, so a module without any (a new one) needs no walk up,
  // and a tree built from the top down costs nothing per level here.
  if (child->ChildCount() > 0)
    for (CSgModule* m = this; m; m = m->m_parent)
      if (m == child) return;
  if (!Made(m_children).Add(child)) return;
  child->m_parent = this;
  child->SetModule(this);
}

// The top of the tree: the module whose view and environment the tree shares.
CSgModule* CSgModule::Root() {
  CSgModule* m = this;
  while (m->m_parent) m = m->m_parent;
  return m;
}

const CSgModule* CSgModule::Root() const {
  const CSgModule* m = this;
  while (m->m_parent) m = m->m_parent;
  return m;
}

int CSgModule::Depth() const {
  int depth = 0;
  for (const CSgModule* m = m_parent; m; m = m->m_parent) ++depth;
  return depth;
}

// Built from the root down: "main:Pump:Valve".
std::string CSgModule::PathName() const {
  std::string path = Name();
  for (const CSgModule* m = m_parent; m; m = m->m_parent) path = std::string(m->Name()) + ":" + path;
  return path;
}

// The first step of a relative module name: a child of this module, else of its ancestors.
CSgModule* CSgModule::FindChildUp(const std::string& name) {
  for (CSgModule* m = this; m; m = m->m_parent)
    if (CSgModule* c = m->FindChild(name.c_str())) return c;
  return nullptr;
}

// Resolves "a", "a:b" or "main:a:b"; an empty step ("a::b") matches nothing.
CSgModule* CSgModule::FindModule(const char* name) {
  if (!name || !*name) return nullptr;
  std::vector<std::string> parts = SplitQualified(name);
  for (const std::string& p : parts)
    if (p.empty()) return nullptr;
  CSgModule* root = Root();
  CSgModule* cur = nullptr;
  if (parts.size() > 1 && parts[0] == root->Name()) {
    cur = root;  // "main:a:b" is taken from the root
  } else {
    cur = FindChildUp(parts[0]);
    if (!cur && parts[0] == root->Name()) cur = root;
  }
  for (size_t i = 1; cur && i < parts.size(); ++i) cur = cur->FindChild(parts[i].c_str());
  return cur;
}

// Splits a find's name into its module and last part. A plain name gives this module.
CSgModule* CSgModule::ResolveQualified(const char* name, std::string& last) {
  std::string n = name;
  size_t colon = n.rfind(':');
  if (colon == std::string::npos) {
    last = n;
    return this;
  }
  last = n.substr(colon + 1);
  std::string modulePart = n.substr(0, colon);
  return modulePart.empty() ? Root() : FindModule(modulePart.c_str());
}

// The shared find: resolve a qualified name, then look in one collection of the
// module and, for a plain name, of each ancestor.
template <class T>
T* CSgModule::FindUp(const char* name, ListPtr<T> CSgModule::*list, bool localOnly) {
  if (!name) return nullptr;
  std::string last;
  CSgModule* m = ResolveQualified(name, last);
  if (!m || last.empty()) return nullptr;
  // A qualified name names its module: look nowhere else.
  bool qualified = last.size() != std::char_traits<char>::length(name);
  for (; m; m = m->m_parent) {
    const ListPtr<T>& l = m->*list;
    if (l)
      if (T* obj = l->Find(last.c_str())) return obj;
    if (localOnly || qualified) break;
  }
  return nullptr;
}

// ---------------------------------------------------------------- collections

// Every plain add: list with ownership, then mark the object as this module's.
// A null object makes no collection.
int CSgModule::AddTo(ListPtr<CKvoObject>& list, CKvoObject* obj) {
  if (!obj || !Made(list).Add(obj)) return 0;
  obj->SetModule(this);
  return 1;
}

// A variable listed without ownership keeps the module it already has.
void CSgModule::AddVariable(CSgVariable* var, int bOwn) {
  if (!var || !Made(m_variables).Add(var, bOwn != 0)) return;
  if (bOwn || !var->Module()) var->SetModule(this);
}

CSgVariable* CSgModule::RemoveVariable(CSgVariable* var) {
  if (!var) return nullptr;
  // A variable that leaves the module stops being one of its interface items.
  std::erase_if(m_interface, [var](const SgInterfaceItem& it) { return it.variable == var; });
  return m_variables ? m_variables->Remove(var) : nullptr;
}

// The dumps walk the collections through this, in SG_MODULE_COLLECTIONS order; an absent
// collection is visited as an empty one.
void CSgModule::ForEachCollection(
    const std::function<void(const char* jsonName, const std::vector<CKvoObject*>& items)>& visit) const {
#define SG_MODULE_COLLECTION_VISIT(json, T) visit(#json, json().Objects());
  SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_VISIT)
#undef SG_MODULE_COLLECTION_VISIT
}

// ---------------------------------------------------------------- finds

CSgVariable* CSgModule::FindVariableLocal(const char* name) { return FindUp(name, &CSgModule::m_variables, true); }

CSgVariable* CSgModule::FindVariable(const char* name, int bLocalOnly) {
  return FindUp(name, &CSgModule::m_variables, bLocalOnly != 0);
}

CKvoObject* CSgModule::FindAnimation(const char* name) { return FindUp(name, &CSgModule::m_animations, false); }
CKvoObject* CSgModule::FindAnimationLocal(const char* name) { return FindUp(name, &CSgModule::m_animations, true); }
CKvoObject* CSgModule::FindImage(const char* name) { return FindUp(name, &CSgModule::m_images, false); }
CKvoObject* CSgModule::FindText(const char* name) { return FindUp(name, &CSgModule::m_texts, false); }
CKvoObject* CSgModule::FindMenuLocal(const char* name) { return FindUp(name, &CSgModule::m_menus, true); }
// A chart block names a chart of its own module: one of the same name elsewhere is another chart.
CKvoObject* CSgModule::FindChartObject(const char* name) { return FindUp(name, &CSgModule::m_chartObjects, true); }
CKvoObject* CSgModule::FindCtrlpt(const char* name) { return FindUp(name, &CSgModule::m_ctrlPoints, false); }
CKvoObject* CSgModule::FindCtrlptLocal(const char* name) { return FindUp(name, &CSgModule::m_ctrlPoints, true); }
CKvoObject* CSgModule::FindClass(const char* name) { return FindUp(name, &CSgModule::m_userClasses, false); }
CKvoObject* CSgModule::FindProgram(const char* name) { return FindUp(name, &CSgModule::m_userPrograms, false); }

// Any collection, nearest module first; a qualified name looks in its module only.
CKvoObject* CSgModule::FindObject(const char* name) {
  if (!name) return nullptr;
  std::string last;
  CSgModule* m = ResolveQualified(name, last);
  if (!m || last.empty()) return nullptr;
  bool qualified = last.size() != std::char_traits<char>::length(name);
  const char* key = last.c_str();
  for (; m; m = m->m_parent) {
    // One hash lookup per collection, in the order of SG_MODULE_COLLECTIONS.
#define SG_MODULE_COLLECTION_FIND(json, T) \
  if (m->m_##json)                         \
    if (CKvoObject* obj = m->m_##json->Find(key)) return obj;
    SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_FIND)
#undef SG_MODULE_COLLECTION_FIND
    if (qualified) break;
  }
  return nullptr;
}

// ---------------------------------------------------------------- temporaries, interface

CSgVariable* CSgModule::AllocTempVariable(int n) {
  if (n < 1) return nullptr;
  // One block per call, so the caller may index the n variables from the first.
  std::unique_ptr<CSgVariable[]> block(new CSgVariable[(size_t)n]);
  for (int i = 0; i < n; ++i) {
    block[(size_t)i].SetModule(this);
    m_temps.push_back(&block[(size_t)i]);
  }
  CSgVariable* first = block.get();
  m_tempBlocks.push_back(std::move(block));
  return first;
}

CSgVariable* CSgModule::TempVariable(int i) const {
  if (i < 0 || i >= (int)m_temps.size()) return nullptr;
  return m_temps[(size_t)i];
}

// The item refers to the variable; the variable itself is added with AddVariable.
void CSgModule::AddInterfaceItem(CSgVariable* var, int direction, const char* description) {
  if (!var) return;
  m_interface.push_back({var, direction, description ? description : ""});
}

const SgInterfaceItem* CSgModule::InterfaceItem(int i) const {
  if (i < 0 || i >= (int)m_interface.size()) return nullptr;
  return &m_interface[(size_t)i];
}

// ---------------------------------------------------------------- sequences, view

// Sequences are built once the whole script is read, so that a sequence may name a control
// declared after it. Each module builds its own sequences with its own finds (a name resolves
// in the module, then in its ancestors); a module's children are built after it.
int CSgModule::BuildSequence() {
  // Walk the tree with an explicit stack: no recursion however deep modules nest.
  std::vector<CSgModule*> pending{this};
  while (!pending.empty()) {
    CSgModule* m = pending.back();
    pending.pop_back();
    ++m->m_sequenceBuilt;
    for (CKvoObject* o : m->sequences().Objects())
      if (auto* s = dynamic_cast<CSequence*>(o)) s->Build(m);
    for (int i = m->ChildCount() - 1; i >= 0; --i) pending.push_back(m->Child(i));
  }
  return 1;
}

// Made by the root on first need and shared by every module of the tree.
CSgView* CSgModule::SgView() {
  CSgModule* root = Root();
  if (!root->m_view) root->m_view = std::make_unique<CSgView>(root);
  return root->m_view.get();
}

CSgEnvironment* CSgModule::Environment() {
  CSgModule* root = Root();
  if (!root->m_environment) root->m_environment = std::make_unique<CSgEnvironment>();
  return root->m_environment.get();
}

// The module's own properties; its collections and children are walked by the dumper.
void CSgModule::Describe(CDescriber& d) const {
  d.Text("path", PathName().c_str());
  if (!m_interface.empty()) {
    d.BeginList("interface");
    for (const SgInterfaceItem& it : m_interface) {
      d.Ref(nullptr, it.variable);
    }
    d.EndList();
  }
  if (!m_posted.empty()) {
    d.BeginList("posted");
    for (const PostedCommand& c : m_posted) d.Text(nullptr, (std::to_string(c.id) + ", " + std::to_string(c.param)).c_str());
    d.EndList();
  }
  d.Int("tempVariables", (long long)m_temps.size());
  d.Int("sequenceBuilt", m_sequenceBuilt);
}

// ---------------------------------------------------------------- programs, constants, code

struct CSgModule::CodeParts {
  std::vector<std::unique_ptr<CSgVariable>> consts;
  std::unordered_map<std::string, CSgVariable*> constIndex;  // "type:value" -> constant
  std::vector<std::unique_ptr<CSgVariable>> judges;
  std::unordered_map<CSgInstruction*, std::unique_ptr<CSgInstruction>> instructions;
  std::unordered_map<CSgConditions*, std::unique_ptr<CSgConditions>> conditions;
  std::unique_ptr<CSgInstanceTable> instances;
};

CSgModule::CodeParts& CSgModule::Code() {
  if (!m_code) m_code = std::make_unique<CodeParts>();
  return *m_code;
}

int CSgModule::ConstVariableCount() const { return m_code ? (int)m_code->consts.size() : 0; }
CSgVariable* CSgModule::FirstJudgeVariable() const {
  return m_code && !m_code->judges.empty() ? m_code->judges.front().get() : nullptr;
}
int CSgModule::JudgeVariableCount() const { return m_code ? (int)m_code->judges.size() : 0; }

void CSgModule::AddUserClass(CKvoObject* obj) {
  if (auto* prog = dynamic_cast<CSgProgram*>(obj)) prog->SetClass(1);
  AddTo(m_userClasses, obj);
}

// Constants are shared by type and value; the key spells both.
CSgVariable* CSgModule::AllocConstVariable(const CSgVariable* scratch) {
  if (!scratch) return nullptr;
  std::string key = std::to_string(scratch->VarType()) + ":" + scratch->GetString();
  CodeParts& code = Code();
  auto it = code.constIndex.find(key);
  if (it != code.constIndex.end()) return it->second;
  std::string name = "CONSTVAR_" + std::to_string(code.consts.size());
  auto c = std::make_unique<CSgVariable>(SGT_VARIABLE, name.c_str());
  c->SetModule(this);
  c->CopyValueFrom(*scratch);
  CSgVariable* raw = c.get();
  code.consts.push_back(std::move(c));
  code.constIndex.emplace(std::move(key), raw);
  return raw;
}

void CSgModule::AddJudgeVariable(CSgVariable* var) {
  if (!var) return;
  var->SetModule(this);
  Code().judges.emplace_back(var);
}

CSgProgram* CSgModule::SystemProgram() { return Root()->FindClassLocal("system"); }

// The system program is the root's class named "system"; a class of that name registered
// anywhere else is not taken.
int CSgModule::ReplaceSystemProgram(CSgProgram* program) {
  if (!program || std::string(program->Name()) != "system") return 0;
  CSgModule* root = Root();
  if (program->Module() != root) return 0;
  if (!root->m_userClasses || !root->m_userClasses->Contains(program)) root->AddUserClass(program);
  return 1;
}

CSgProgram* CSgModule::FindClassLocal(const char* name) const {
  return m_userClasses ? dynamic_cast<CSgProgram*>(m_userClasses->Find(name)) : nullptr;
}

CSgProgram* CSgModule::RemoveUserClass(CSgProgram* cls) {
  if (!cls || !m_userClasses) return nullptr;
  return static_cast<CSgProgram*>(m_userClasses->Remove(cls));
}

CSgProgram* CSgModule::RemoveUserProgram(CSgProgram* program) {
  if (!program || !m_userPrograms) return nullptr;
  return static_cast<CSgProgram*>(m_userPrograms->Remove(program));
}

int CSgModule::NextObjectIndex() { return ++Root()->m_nextObjectIndex; }

std::string CSgModule::GetPath(const char* separator) const {
  std::string sep = separator ? separator : "\\";
  std::string path = Name();
  for (const CSgModule* m = m_parent; m; m = m->m_parent) path = std::string(m->Name()) + sep + path;
  return path;
}

void CSgModule::AdoptInstruction(CSgInstruction* instr) {
  if (!instr) return;
  instr->m_owner = this;
  Code().instructions.emplace(instr, std::unique_ptr<CSgInstruction>(instr));
  CodeChanged();
}

// Hands the instruction back without deleting it (its destructor is running).
void CSgModule::ReleaseInstruction(CSgInstruction* instr) {
  if (!m_code) return;
  auto it = m_code->instructions.find(instr);
  if (it == m_code->instructions.end()) return;
  (void)it->second.release();
  m_code->instructions.erase(it);
  CodeChanged();
}

void CSgModule::AdoptConditions(CSgConditions* cond) {
  if (!cond) return;
  Code().conditions.emplace(cond, std::unique_ptr<CSgConditions>(cond));
  CodeChanged();
}

void CSgModule::ReleaseConditions(CSgConditions* cond) {
  if (!m_code) return;
  auto it = m_code->conditions.find(cond);
  if (it == m_code->conditions.end()) return;
  (void)it->second.release();
  m_code->conditions.erase(it);
  CodeChanged();
}

// The code dies after the programs: nothing runs any more. Each is told first that the
// module no longer keeps it, so its destructor does not come back here.
void CSgModule::ReleaseCode() {
  if (!m_code) return;
  std::unique_ptr<CodeParts> code = std::move(m_code);
  for (auto& [raw, owned] : code->instructions) raw->m_owner = nullptr;
  for (auto& [raw, owned] : code->conditions) raw->m_module = nullptr;
  code.reset();
}

CSgInstanceTable& CSgModule::Instances() {
  CodeParts& code = Root()->Code();
  if (!code.instances) code.instances = std::make_unique<CSgInstanceTable>();
  return *code.instances;
}
