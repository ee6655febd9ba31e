// Programs, functions, instructions and conditions: the compiled-code model.
#include "sg/Program.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "sg/Describe.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "sg/Vm.h"
#include "VmCode.h"


namespace {

// Type texts compare without blanks and without a trailing '&'. A whole parameter text
// ("int a", "float &b", "Counter o") counts as its type: the last word is the name.
std::string NormalType(const std::string& text) {
  std::string t = text;
  size_t end = t.find_last_not_of(" \t");
  t = end == std::string::npos ? std::string() : t.substr(0, end + 1);
  size_t blank = t.find_last_of(" \t");
  if (blank != std::string::npos) {
    std::string last = t.substr(blank + 1);
    std::string type = t.substr(0, blank);
    if (!last.empty() && last != "&" && (std::isalpha((unsigned char)last.back()) || last.back() == '_' ||
                                         std::isdigit((unsigned char)last.back()))) {
      // "float &b": the '&' belongs to the type
      t = type + (last[0] == '&' ? "&" : "");
    }
  }
  std::string out;
  for (char c : t)
    if (!std::isspace((unsigned char)c)) out += c;
  if (!out.empty() && out.back() == '&') out.pop_back();
  return out;
}

bool IsNumericType(const std::string& t) {
  int code = SgVarTypeFromText(t.c_str());
  return code > 0 && code != SGVT_STRING;
}

// Two parameter lists match exactly (same normalised texts) or compatibly (numbers for
// numbers, an untyped argument for anything).
bool ParamsMatch(const std::vector<std::string>& a, const std::vector<std::string>& b, int flags) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    std::string x = NormalType(a[i]), y = NormalType(b[i]);
    if (x == y) continue;
    if (!(flags & SG_FIND_COMPATIBLE)) return false;
    if (x.empty() || y.empty()) continue;
    if (IsNumericType(x) && IsNumericType(y)) continue;
    return false;
  }
  return true;
}

}  // namespace

int SgVarTypeFromText(const char* typeText) {
  if (!typeText) return -1;
  std::string t = NormalType(typeText);
  static const struct {
    const char* text;
    int code;
  } kTypes[] = {
      {"int", SGVT_INT},       {"float", SGVT_FLOAT},   {"long", SGVT_LONG},     {"dword", SGVT_LONG},
      {"handle", SGVT_LONG},   {"file", SGVT_LONG},     {"bool", SGVT_BOOL},     {"BOOL", SGVT_BOOL},
      {"byte", SGVT_BYTE},     {"double", SGVT_DOUBLE}, {"string", SGVT_STRING}, {"random", SGVT_RANDOM},
      {"intarray", SGVT_INTARRAY}, {"floatarray", SGVT_FLOATARRAY}, {"stringarray", SGVT_STRINGARRAY},
      {"longarray", SGVT_LONGARRAY}, {"doublearray", SGVT_DOUBLEARRAY}, {"boolarray", SGVT_BOOLARRAY},
  };
  for (const auto& e : kTypes)
    if (t == e.text) return e.code;
  return -1;
}

// ---------------------------------------------------------------- conditions

CSgConditions::CSgConditions(CSgModule* module) : m_module(module) {
  if (m_module) m_module->AdoptConditions(this);
}

CSgConditions::~CSgConditions() {
  if (m_module) m_module->ReleaseConditions(this);
}

// Room for `more` actions: one allocation for a whole list, not one per doubling, and still
// geometric growth when one record is appended to many times.
static void ReserveFor(std::vector<ActPrm>& actions, size_t more) {
  size_t need = actions.size() + more;
  if (need > actions.capacity()) actions.reserve(std::max(need, 2 * actions.capacity()));
}

void CSgConditions::AddActions(const std::list<ActPrm*>& actions) {
  ReserveFor(m_actions, actions.size());
  for (const ActPrm* a : actions)
    if (a) m_actions.push_back(*a);
  AddRefForVariables();
}

void CSgConditions::SetJudgeVariable(CSgVariable* var) {
  m_judge = var;
  AddRefForVariables();
}

// The compiled form is marked stale rather than dropped: it may be running.
void CSgConditions::AddRefForVariables() {
  if (m_code) m_code->stale = true;
  if (m_module) m_module->CodeChanged();
}

void CSgConditions::AddConditions(CSgConditions* nested) {
  if (nested && nested != this) m_nested.push_back(nested);
}

void CSgConditions::AddCondition(CSgCondition* test) {
  if (test) m_tests.emplace_back(test);
}

int CSgConditions::Evaluate() { return EvaluateAt(0); }

// The own compiled test counts as one part only when there is one: a tree block without code
// is decided by its parts alone, and an empty one holds (as the switch's always-true one).
int CSgConditions::EvaluateAt(int depth) {
  if (depth > SG_MAX_CONDITION_DEPTH) return 0;
  std::vector<bool> parts;
  if (!m_actions.empty() || m_judge || (m_nested.empty() && m_tests.empty())) {
    CSgVm vm;
    int holds = 0;
    if (vm.Evaluate(this, &holds) != SG_RUN_OK) holds = 0;
    parts.push_back(holds != 0);
  }
  for (CSgConditions* c : m_nested) parts.push_back(c->EvaluateAt(depth + 1) != 0);
  for (const auto& t : m_tests) parts.push_back(t->Holds() != 0);
  if (m_mode == SG_COND_OR) return std::find(parts.begin(), parts.end(), true) != parts.end() ? 1 : 0;
  return std::find(parts.begin(), parts.end(), false) == parts.end() ? 1 : 0;
}

// ---------------------------------------------------------------- instructions

CSgInstruction::CSgInstruction(CSgProgram* program) : m_program(program) {
  if (!program) return;
  if (program->Module()) {
    program->Module()->AdoptInstruction(this);
  } else {
    m_ownerProgram = program;
    program->m_loose.emplace_back(this);
  }
}

CSgInstruction::~CSgInstruction() {
  if (m_owner) m_owner->ReleaseInstruction(this);
  if (m_ownerProgram) {
    auto& loose = m_ownerProgram->m_loose;
    for (auto& p : loose)
      if (p.get() == this) {
        (void)p.release();
        std::swap(p, loose.back());
        loose.pop_back();
        break;
      }
  }
}

// Any change to an instruction makes every compiled program of the tree out of date.
void CSgInstruction::Changed() {
  if (m_owner) m_owner->CodeChanged();
}

void CSgInstruction::SetNext(CSgInstruction* next) {
  m_next = next;
  Changed();
}

// Floyd-free and cheap: a chain is walked once, remembering what it has seen only when it
// grows long, so a cycle cannot hang the caller.
CSgInstruction* CSgInstruction::Last() {
  CSgInstruction* cur = this;
  std::vector<const CSgInstruction*> seen;
  int steps = 0;
  while (cur->m_next) {
    if (++steps > 64) {
      if (std::find(seen.begin(), seen.end(), cur->m_next) != seen.end()) break;
      seen.push_back(cur);
    }
    cur = cur->m_next;
  }
  return cur;
}

void CSgInstruction::SetBranch(CSgConditions* conditions, CSgInstruction* satisfied, CSgInstruction* unsatisfied) {
  m_conditions = conditions;
  m_satisfied = satisfied;
  m_unsatisfied = unsatisfied;
  Changed();
}

void CSgInstruction::SetBranchUnsati(CSgInstruction* unsatisfied) {
  m_unsatisfied = unsatisfied;
  Changed();
}

void CSgInstruction::SetSubProgram(CSgProgram* program) {
  m_subProgram = program;
  Changed();
}

void CSgInstruction::AddAction(const std::list<ActPrm*>& actions) {
  ReserveFor(m_actions, actions.size());
  for (const ActPrm* a : actions)
    if (a) m_actions.push_back(*a);
  Changed();
}

// ---------------------------------------------------------------- programs

CSgProgram::CSgProgram(CSgModule* module, const char* name) : CSgProgram(SGT_PROGRAM, module, name) {}

CSgProgram::CSgProgram(int typeCode, CSgModule* module, const char* name) : CKvoObject(typeCode, name) {
  SetModule(module);
}

// Loose instructions die with the program; they are told first, so they do not come back.
CSgProgram::~CSgProgram() {
  for (auto& i : m_loose) i->m_ownerProgram = nullptr;
}

void CSgProgram::TakeLoose(CSgProgram* from) {
  for (auto& i : from->m_loose) {
    i->m_ownerProgram = this;
    m_loose.push_back(std::move(i));
  }
  from->m_loose.clear();
}

void CSgProgram::SetName(const char* name, int bIndex) {
  (void)bIndex;  // the collections follow renames by themselves
  CKvoObject::SetName(name);
}

void CSgProgram::SetInstruction(CSgInstruction* head) {
  m_head = head;
  AddRefForVariables();
}

int CSgProgram::AddVariable(CSgVariable* var) {
  if (!var || !m_variables.Add(var)) return 0;
  if (!var->Module()) var->SetModule(Module());
  AddRefForVariables();
  return 1;
}

CSgVariable* CSgProgram::RemoveVariable(CSgVariable* var) {
  AddRefForVariables();
  return var ? m_variables.Remove(var) : nullptr;
}

CSgVariable* CSgProgram::FindVariableLocal(const char* name) const { return name ? m_variables.Find(name) : nullptr; }

// Father chains are short, but a chain that loops is cut after a generous number of steps.
CSgVariable* CSgProgram::FindVariable(const char* name, int bLocal, int bProgramOnly) const {
  if (!name) return nullptr;
  int steps = 0;
  for (const CSgProgram* p = this; p && steps < 1000; p = bLocal ? nullptr : p->m_father, ++steps)
    if (CSgVariable* v = p->FindVariableLocal(name)) return v;
  if (bProgramOnly || !Module()) return nullptr;
  return Module()->FindVariable(name);
}

// Variables keep their order; nested programs and functions move along with them because
// the instructions taken over may run or call them.
void CSgProgram::TakeFrom(CSgProgram* from) {
  if (!from || from == this) return;
  while (from->m_variables.Count() > 0) {
    CSgVariable* v = from->m_variables.Remove(from->m_variables.At(0));
    m_variables.Add(v);
  }
  while (from->m_programs.Count() > 0) {
    CSgProgram* p = from->m_programs.Remove(from->m_programs.At(0));
    m_programs.Add(p);
    if (p->m_father == from) p->m_father = this;
  }
  while (from->m_functions.Count() > 0) {
    CSgFunction* f = from->m_functions.Remove(from->m_functions.At(0));
    m_functions.Add(f);
    if (f->m_father == from) f->m_father = this;
  }
  // Instructions made for `from` now run as part of this program.
  TakeLoose(from);
  AddRefForVariables();
  from->AddRefForVariables();
}

int CSgProgram::AddUserProgram(CSgProgram* program) {
  if (!program || program == this || !m_programs.Add(program)) return 0;
  program->m_father = this;
  if (!program->Module()) program->SetModule(Module());
  AddRefForVariables();
  return 1;
}

CSgProgram* CSgProgram::RemoveUserProgram(CSgProgram* program) {
  AddRefForVariables();
  return program ? m_programs.Remove(program) : nullptr;
}

CSgProgram* CSgProgram::FindUserProgram(const char* name) const {
  if (!name) return nullptr;
  int steps = 0;
  for (const CSgProgram* p = this; p && steps < 1000; p = p->m_father, ++steps)
    if (CSgProgram* found = p->m_programs.Find(name)) return found;
  return nullptr;
}

int CSgProgram::AddFunction(CSgFunction* function) {
  if (!function || function == this || !m_functions.Add(function)) return 0;
  if (!function->OwnerProgram()) function->SetOwnerProgram(this);
  if (!function->Module()) function->SetModule(Module());
  AddRefForVariables();
  return 1;
}

CSgFunction* CSgProgram::RemoveFunction(CSgFunction* function) {
  AddRefForVariables();
  return function ? m_functions.Remove(function) : nullptr;
}

// Stubs share the list of functions but are never the answer to a find.
CSgFunction* CSgProgram::FindFunction(const char* name) const {
  if (!name) return nullptr;
  int steps = 0;
  for (const CSgProgram* p = this; p && steps < 1000; p = p->m_father, ++steps)
    if (CSgFunction* f = p->FindFunctionLocal(name)) return f;
  for (CSgModule* m = Module(); m; m = m->Parent()) {
    auto* local = dynamic_cast<CSgProgram*>(m->userPrograms().Find("local"));
    if (local && local != this)
      if (CSgFunction* f = local->FindFunctionLocal(name)) return f;
  }
  return nullptr;
}

CSgFunction* CSgProgram::FindFunctionLocal(const char* name, const std::vector<std::string>& paramTypes, int flags,
                                           CSgFunction** sameName) const {
  if (sameName) *sameName = nullptr;
  if (!name) return nullptr;
  for (CKvoObject* o : m_functions.Objects()) {
    auto* f = static_cast<CSgFunction*>(o);
    if (f->IsStub() || std::strcmp(f->Name(), name) != 0) continue;
    if (sameName && !*sameName) *sameName = f;
    if ((flags & SG_FIND_NAME_ONLY) || ParamsMatch(f->ParameterTypes(), paramTypes, flags)) return f;
  }
  return nullptr;
}

CSgFunction* CSgProgram::FindFunctionLocal(const char* name, const CSgFunction* like, int flags,
                                           CSgFunction** sameName) const {
  return FindFunctionLocal(name, like ? like->ParameterTypes() : std::vector<std::string>(), flags, sameName);
}

const char* CSgProgram::GetClassNameA() const {
  const CSgProgram* cls = OwnerClass();
  return cls ? cls->Name() : "";
}

CSgProgram* CSgProgram::OwnerClass() const {
  int steps = 0;
  for (const CSgProgram* p = this; p && steps < 1000; p = p->m_father, ++steps)
    if (p->m_isClass) return const_cast<CSgProgram*>(p);
  return nullptr;
}

CSgFunction* CSgProgram::OwnerFunction() const {
  int steps = 0;
  for (const CSgProgram* p = this; p && steps < 1000; p = p->m_father, ++steps)
    if (p->TypeCode() == SGT_FUNCTION) return static_cast<CSgFunction*>(const_cast<CSgProgram*>(p));
  return nullptr;
}

void CSgProgram::AddRefForVariables() {
  if (m_code) m_code->stale = true;
  if (Module()) Module()->CodeChanged();
}

int CSgProgram::Execute() {
  CSgVm vm;
  return vm.Run(this);
}

int CSgProgram::Execute(CSgVm& vm) { return vm.Run(this); }

// The chain of `from` refers to the variables, programs and functions of `from`, so they
// move here with it (`from` is left empty, as callers delete it next). Those of this
// program that the incoming ones replace (same name) are retired: kept alive for code
// that still refers to them, but no longer found.
void CSgProgram::CopyFrom(CSgProgram* from) {
  if (!from || from == this) return;
  while (from->m_variables.Count() > 0) {
    CSgVariable* v = from->m_variables.Remove(from->m_variables.At(0));
    if (CSgVariable* old = m_variables.Find(v->Name()); old && *v->Name()) m_retired.emplace_back(m_variables.Remove(old));
    m_variables.Add(v);
  }
  while (from->m_programs.Count() > 0) {
    CSgProgram* p = from->m_programs.Remove(from->m_programs.At(0));
    m_programs.Add(p);
    if (p->m_father == from) p->m_father = this;
  }
  while (from->m_functions.Count() > 0) {
    CSgFunction* f = from->m_functions.Remove(from->m_functions.At(0));
    if (CSgFunction* old = m_functions.Find(f->Name()); old && !f->IsStub()) m_retired.emplace_back(m_functions.Remove(old));
    if (f->OwnerProgram() == from) f->SetOwnerProgram(this);
    if (f->FatherProgram() == from) f->SetFatherProgram(this);
    m_functions.Add(f);
  }
  m_head = from->m_head;
  from->m_head = nullptr;
  TakeLoose(from);
  m_ids = from->m_ids;
  m_asynchronous = from->m_asynchronous;
  m_classState.reset();  // the members changed: new instances take the new defaults
  AddRefForVariables();
  from->AddRefForVariables();
}

void CSgProgram::Clear() {
  m_head = nullptr;
  m_functions.Clear();
  m_programs.Clear();
  m_variables.Clear();
  AddRefForVariables();
}

void CSgProgram::Describe(CDescriber& d) const {
  if (m_isClass) d.Bool("class", true);
  if (m_father) d.Text("father", m_father->Name());
  if (!m_ids.empty()) d.Text("ids", m_ids.c_str());
  if (m_asynchronous) d.Bool("asynchronous", true);
  d.Int("variables", m_variables.Count());
  d.Int("functions", m_functions.Count());
  d.Int("programs", m_programs.Count());
}

// ---------------------------------------------------------------- functions

CSgFunction::CSgFunction(CSgModule* module, const char* name) : CSgProgram(SGT_FUNCTION, module, name) {}

CSgFunction::~CSgFunction() = default;

void CSgFunction::SetOwnerProgram(CSgProgram* owner) {
  m_owner = owner;
  if (!FatherProgram()) SetFatherProgram(owner);
}

CSgVariable* CSgFunction::AddParameter(const char* name, const char* typeText) {
  std::string type = typeText ? typeText : "";
  bool byRef = false;
  size_t end = type.find_last_not_of(" \t");
  if (end != std::string::npos && type[end] == '&') {
    byRef = true;
    type = type.substr(0, end);
  }
  type = NormalType(type);
  auto* var = new CSgVariable(SGT_VARIABLE, name);
  int code = SgVarTypeFromText(type.c_str());
  if (code >= 0) {
    var->SetVarType(code, 0);
  } else if (!type.empty()) {
    var->SetKind(SGVK_OBJECT);  // a class (or module) name
    var->SetClassName(type.c_str());
  }
  if (byRef) var->AddFlags(SGVF_BYREF);
  AddVariable(var);
  m_params.push_back(var);
  AddRefForVariables();
  return var;
}

void CSgFunction::AddParameter(CSgVariable* argument) {
  if (!argument) return;
  m_params.push_back(argument);
  AddRefForVariables();
}

CSgVariable* CSgFunction::Parameter(int i) const {
  return i >= 0 && i < (int)m_params.size() ? m_params[(size_t)i] : nullptr;
}

std::vector<std::string> CSgFunction::ParameterTypes() const {
  std::vector<std::string> types;
  types.reserve(m_params.size());
  for (const CSgVariable* p : m_params) types.push_back(p->GetTypeString());
  return types;
}

std::vector<CSgVariable*> CSgFunction::DetachParameters() {
  std::vector<CSgVariable*> out;
  out.swap(m_params);
  AddRefForVariables();
  return out;
}

void CSgFunction::SetReferenceProgram(CSgFunction* callee, const char* wholeName) {
  m_callee = callee;
  m_wholeName = wholeName ? wholeName : "";
  AddRefForVariables();
}

void CSgFunction::Describe(CDescriber& d) const {
  CSgProgram::Describe(d);
  if (m_virtual) d.Bool("virtual", true);
  if (m_native) d.Bool("native", true);
  if (m_callee) d.Text("calls", m_wholeName.c_str());
  std::string params;
  for (const CSgVariable* p : m_params) {
    if (!params.empty()) params += ", ";
    params += p->GetTypeString() + " " + p->Name();
  }
  d.Text("parameters", params.c_str());
  if (m_return) d.Text("returns", m_return->GetTypeString().c_str());
}

// ---------------------------------------------------------------- built-in functions

namespace {

// One built-in: its name, return type ("void" for none), parameters and the C++ code.
struct SgBuiltin {
  const char* name;
  const char* returnType;
  std::vector<std::pair<const char*, const char*>> params;  // name, type
  int (*run)(CSgFunction& self);
};

// postCommand(id, param): a host posts the command to its message loop; the module records
// it, which is all a host without a message loop can do with it.
int PostCommand(CSgFunction& self) {
  CSgVariable* id = self.Parameter(0);
  CSgVariable* param = self.Parameter(1);
  if (!id || !param || !self.Module()) return SG_RUN_ERROR;
  self.Module()->Root()->PostCommand(id->GetInt(), param->GetInt());
  return SG_RUN_OK;
}

// bindTriggerToVariable(trigger, variable): the programs a trigger's conditions make so that the
// trigger is looked at again when a variable its conditions read through a list or lock call
// changes. The variable is untyped here (any variable binds); a host with a trigger scheduler
// watches it; this runtime re-tests every trigger on each tick, so the call only checks its
// arguments.
int BindTriggerToVariable(CSgFunction& self) {
  return self.Parameter(0) && self.Parameter(1) ? SG_RUN_OK : SG_RUN_ERROR;
}

const std::vector<SgBuiltin>& Builtins() {
  static const std::vector<SgBuiltin> all = {
      {"postCommand", "void", {{"id", "int"}, {"param", "int"}}, PostCommand},
      {"bindTriggerToVariable", "void", {{"trigger", "string"}, {"variable", ""}}, BindTriggerToVariable},
  };
  return all;
}

}  // namespace

bool SgIsBuiltinFunction(const char* name) {
  if (!name) return false;
  for (const SgBuiltin& b : Builtins())
    if (std::strcmp(b.name, name) == 0) return true;
  return false;
}

CSgProgram* SgSystemProgramWithBuiltins(CSgModule* module) {
  if (!module) return nullptr;
  CSgModule* root = module->Root();
  CSgProgram* sys = root->SystemProgram();
  if (!sys) {
    sys = new CSgProgram(root, "system");
    root->AddUserClass(sys);
  }
  for (const SgBuiltin& b : Builtins()) {
    // A script's own function of that name (in its `class system`) takes precedence.
    if (sys->FindFunctionLocal(b.name)) continue;
    auto* fn = new CSgFunction(root, b.name);
    for (const auto& [pname, ptype] : b.params) fn->AddParameter(pname, ptype);
    if (std::strcmp(b.returnType, "void") != 0) {
      // Like a compiled function's, the return variable lives in the owner program.
      auto* rv = new CSgVariable(SGT_VARIABLE, b.name);
      rv->SetVarType(SgVarTypeFromText(b.returnType), 0);
      sys->AddVariable(rv);
      fn->SetReturnVariable(rv);
    }
    fn->SetNative(b.run);
    sys->AddFunction(fn);
  }
  return sys;
}
