// Statements, local declarations, the heads of if/while/for/switch, and function definitions
// inside program and class blocks.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "compiler/ScrCompile.h"
#include "compiler/ScrFunction.h"
#include "compiler/ScrProgram.h"
#include "declarations/ScrVariable.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// Reads a parenthesised head "( ... )"; its inside (the blanks outside quotes removed when
// `shrink`: conditions are shrunk, a for head is not, its declarations need their blanks).
bool ReadHead(CScrStream* f, std::string& inside, bool shrink = true) {
  std::string s;
  while (ScrReadString(f, s) && s.empty() && !ScrInputEnded(f)) {
  }
  if (shrink) ScrShrinkString(s);
  else ScrTrimString(s);
  if (s.size() < 2) return false;
  inside = s.substr(1, s.size() - 2);
  return true;
}

// Keeps a body as a program of its own when one of its local names is already a local name of
// the owner; otherwise merges it into the owner. Returns the body's first instruction.
CSgInstruction* AttachBody(CSgProgram* owner, CSgProgram* body) {
  for (int i = 0; i < body->VariableCount(); ++i) {
    CSgVariable* v = body->Variable(i);
    if (*v->Name() && owner->FindVariableLocal(v->Name())) {
      CSgInstruction* sub = new CSgInstruction(owner);
      sub->SetSubProgram(body);
      owner->AddUserProgram(body);
      return sub;
    }
  }
  CSgInstruction* first = body->Instruction();
  if (first && *body->IdsString()) first->SetIdsString(body->IdsString());
  owner->TakeFrom(body);  // its variables, functions, sub-programs and instructions
  body->SetInstruction(nullptr);
  delete body;
  return first;
}

// Reads a body with a nested block reader on `owner`; null (reported) when it failed.
CSgProgram* ReadBody(CScriptReader* reader, CScrStream* f, CSgProgram* owner, int debug,
                     CSgProgram* into = nullptr) {
  CScrProgram body(reader, owner);
  body.SetDebug(debug);
  if (into) body.SetProgram(into);
  CSgProgram* p = body.Program();
  if (!body.Read(f)) {
    if (!into) delete p;
    return nullptr;
  }
  return p;
}

// The actions and the instruction of compiled text `name = value` lines.
bool CompileInto(CScriptReader* reader, CScrStream* f, CSgProgram* program, const std::string& text,
                 ScrActionList& acts) {
  CSgModule* module = program->Module();
  ScrCompileContext c{reader, f, program, module, 0};
  module->StartRecordTempVariable();
  auto e = ScrCompileExpression(c, text);
  if (e) ScrMakeActions(e.get(), acts);
  module->ReleaseRecordedTempVariables();
  return e != nullptr;
}

}  // namespace

bool ScrIsLocalDeclaration(const std::string& text) {
  std::string t;
  t.reserve(text.size());
  int depth = 0;
  for (char ch : text) {
    if (ch == '[') ++depth;
    else if (ch == ']' && depth > 0) --depth;
    else if (depth > 0) continue;
    t += ch;
  }
  return ScrIsDeclaration(t.c_str()) != 0;
}

int ScrBasicTypeCode(const std::string& w) {
  static const struct {
    const char* word;
    int code;
  } kBasic[] = {{"int", SGVT_INT},     {"byte", SGVT_BYTE},     {"float", SGVT_FLOAT},   {"double", SGVT_DOUBLE},
                {"long", SGVT_LONG},   {"bool", SGVT_BOOL},     {"BOOL", SGVT_BOOL},     {"dword", SGVT_LONG},
                {"handle", SGVT_LONG}, {"string", SGVT_STRING}, {"file", SGVT_LONG}};
  for (const auto& b : kBasic)
    if (w == b.word) return b.code;
  return -1;
}

CSgFunction* ScrEnclosingFunction(CSgProgram* p) { return p ? p->OwnerFunction() : nullptr; }

// ---------------------------------------------------------------------------------------------
// One statement

CSgInstruction* ScrCompileStatement(CScriptReader* reader, CScrStream* f, CSgProgram* program,
                                    const std::string& text, bool forClause) {
  std::string expr = text;
  CSgFunction* fn = nullptr;
  const bool ret = StartsWith(text, "return ") || text == "return";
  if (ret) {
    if (forClause) {
      reader->Report(ScrTextId::err_for_return, f, {ScrGetCurKeyWord()});
      return nullptr;
    }
    fn = ScrEnclosingFunction(program);
    if (!fn) {
      reader->Report(ScrTextId::err_no_function_body, f, {ScrGetCurKeyWord()});
      return nullptr;
    }
    expr = text == "return" ? std::string() : text.substr(7);
    ScrTrimString(expr);
    if (expr.empty() != (fn->ReturnVariable() == nullptr)) {
      reader->Report(ScrTextId::err_function_no_return_value, f, {fn->Name(), ScrGetCurKeyWord()});
      return nullptr;
    }
  }

  ScrActionList acts;
  if (!expr.empty()) {
    CSgModule* module = program->Module();
    ScrCompileContext c{reader, f, program, module, 0};
    module->StartRecordTempVariable();
    auto e = ScrCompileExpression(c, expr);
    module->ReleaseRecordedTempVariables();
    if (!e) return nullptr;
    // A statement must do something: an expression whose value nobody keeps is a mistake
    // (`x = a == b` compares and drops the result).
    if (!ret && !std::strchr("=(cmd", e->kind ? e->kind : 'x') &&
        !(e->kind == '.' && ScrIsCallShaped(e->right->result->GetString()))) {
      reader->Report(ScrTextId::err_expression_meaningless, f, {reader->FileName(), text, ScrGetCurKeyWord()});
      return nullptr;
    }
    ScrMakeActions(e.get(), acts);
    if (ret) {
      ActPrm* a = new ActPrm(ACT_ASSIGN);
      a->SetVariables({fn->ReturnVariable(), e->result});
      acts.push_back(a);
    }
  }
  if (ret) {
    acts.push_back(new ActPrm(ACT_RETURN));
  }
  CSgInstruction* ins = new CSgInstruction(program);
  ins->AddAction(acts);
  ScrFreeActions(acts);
  return ins;
}

// ---------------------------------------------------------------------------------------------
// Local declarations

int ScrCompileLocalDeclaration(CScriptReader* reader, CScrStream* f, CSgProgram* program,
                               const std::string& text, bool forClause, CSgInstruction** ins) {
  *ins = nullptr;
  CSgModule* module = program->Module();
  std::string t = text;
  size_t iface = t.find("interface ");
  if (iface != std::string::npos) t = t.substr(iface + 10);
  ScrTrimString(t);
  size_t blank = t.find(' ');
  std::string type = t.substr(0, blank);
  std::string rest = blank == std::string::npos ? std::string() : t.substr(blank + 1);
  std::string init;
  bool hasInit = false;
  size_t eq = rest.find('=');
  if (eq != std::string::npos) {
    hasInit = true;
    init = rest.substr(eq + 1);
    ScrTrimString(init);
    rest.resize(eq);
  }
  ScrTrimString(rest);
  // An array initialiser follows the token; read it now so that a dropped declaration takes it.
  std::vector<std::string> list;
  const bool braced = hasInit && init.empty();
  if (braced && ScrTakeBrace(f, '{')) {
    std::string tok;
    while (ScrReadString(f, tok) || !tok.empty()) {
      ScrTrimString(tok);
      if (tok == "}") break;
      if (!tok.empty()) list.push_back(tok);
    }
  }

  int code = ScrBasicTypeCode(type);
  CKvoObject* cls = nullptr;
  bool isModule = false;
  if (code < 0) {
    if (forClause) {
      reader->Report(ScrTextId::err_for_declaration_type, f, {type});
      return 0;
    }
    cls = module->FindClass(type.c_str());
    if (!cls && module->FindModule(type.c_str())) isModule = true;
    if (!cls && !isModule) {
      reader->Report(ScrTextId::err_class_or_module_not_found, f, {type});
      return 0;
    }
  }
  std::string name;
  std::vector<std::string> sizes;
  const bool closed = ScrSplitDeclaredName(rest, name, sizes);
  if (program->FindVariableLocal(name.c_str())) {
    reader->Report(ScrTextId::err_variable_defined_twice, f, {name, ScrGetCurKeyWord()});
    return 0;
  }
  if (!closed) {
    reader->Report(ScrTextId::err_missing_bracket, f, {ScrGetCurKeyWord()});
    return 0;
  }
  std::vector<int> dims;
  for (const std::string& size : sizes) dims.push_back(ScrEvaluateSize(reader, size, module));
  if (dims.size() == 1 && dims[0] == 0 && braced) dims[0] = static_cast<int>(list.size());
  if (!reader->ChargeArray(name, dims.data(), static_cast<int>(dims.size()), f)) return 0;

  CSgVariable* v;
  if (!dims.empty()) {
    v = ScrCreateMultiArray(name.c_str(), dims.data(), static_cast<int>(dims.size()), code < 0 ? 0 : code, module);
  } else {
    v = new CSgVariable();
    v->SetName(name.c_str());
    if (code >= 0) v->SetVarType(code, 0);
  }
  if (cls) ScrMakeObjectVariable(v, type.c_str());
  if (isModule) {
    v->SetKind(SGVK_MODULE);
    v->SetClassName(type.c_str());
  }
  program->AddVariable(v);

  // Initial values: `name = value`, or element by element `name[i] = value` (row by row for
  // arrays of several dimensions).
  std::vector<std::string> assignments;
  if (braced) {
    std::vector<std::string> cells;
    std::vector<int> idx(dims.size(), 0);
    size_t total = 1;
    for (int d : dims) total *= static_cast<size_t>(d > 0 ? d : 0);
    for (size_t k = 0; k < list.size() && k < total; ++k) {
      std::string lhs = name;
      size_t rem = k;
      std::vector<size_t> at(dims.size());
      for (size_t d = dims.size(); d-- > 0;) {
        at[d] = rem % static_cast<size_t>(dims[d]);
        rem /= static_cast<size_t>(dims[d]);
      }
      for (size_t a : at) lhs += "[" + std::to_string(a) + "]";
      if (code == SGVT_STRING && !ScrIsQuotedString(list[k].c_str())) {
        reader->Report(ScrTextId::err_string_array_quotes, f, {ScrGetCurKeyWord()});
        return 0;
      }
      assignments.push_back(lhs + "=" + list[k]);
    }
  } else if (hasInit) {
    assignments.push_back(name + "=" + init);
  }
  if (assignments.empty()) return 1;
  ScrActionList acts;
  for (const std::string& a : assignments) {
    if (!CompileInto(reader, f, program, a, acts)) {
      ScrFreeActions(acts);
      return 0;
    }
  }
  *ins = new CSgInstruction(program);
  (*ins)->AddAction(acts);
  ScrFreeActions(acts);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Heads and bodies of if, while, for and switch

CScrIf::~CScrIf() {
  delete m_cond;
  ScrFreeActions(m_actions);
}

// ( condition ) { body }
int CScrIf::Read(CScrStream* f) {
  CScriptReader* reader = ScriptReader();
  std::string cond;
  if (!ReadHead(f, cond)) {
    reader->Report(ScrTextId::err_condition_parse, f, {cond});
    return 0;
  }
  ScrCompileContext c{reader, f, m_owner, m_owner->Module(), 0};
  m_cond = ScrCompileCondition(c, cond, m_actions);
  if (!m_cond) return 0;
  CSgProgram* body = ReadBody(reader, f, m_owner, m_debug);
  if (!body) return 0;
  m_first = AttachBody(m_owner, body);
  return 1;
}

CScrFor::~CScrFor() {
  delete m_cond;
  ScrFreeActions(m_actions);
}

namespace {

// The clauses of an init or step text, compiled in order into a chain; null when none compiled.
CSgInstruction* CompileClauses(CScriptReader* reader, CScrStream* f, CSgProgram* body, const std::string& text,
                               bool* failed) {
  CSgInstruction* first = nullptr;
  CSgInstruction* last = nullptr;
  std::string expanded = ScrExpandString(text.c_str());
  size_t start = 0;
  while (start < expanded.size()) {
    size_t semi = expanded.find(';', start);
    std::string piece = expanded.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    start = semi == std::string::npos ? expanded.size() : semi + 1;
    ScrTrimString(piece);
    if (piece.empty()) continue;
    CSgInstruction* ins = nullptr;
    if (ScrIsLocalDeclaration(piece)) {
      if (!ScrCompileLocalDeclaration(reader, f, body, piece, true, &ins)) {
        *failed = true;
        return nullptr;
      }
      if (!ins) ins = new CSgInstruction(body);
    } else {
      ins = ScrCompileStatement(reader, f, body, piece, true);
      if (!ins) {
        *failed = true;
        return nullptr;
      }
    }
    if (last) last->SetNext(ins);
    else first = ins;
    last = ins;
  }
  return first;
}

}  // namespace

// ( init ; condition ; step ) { body }
int CScrFor::Read(CScrStream* f) {
  CScriptReader* reader = ScriptReader();
  std::string head;
  if (!ReadHead(f, head, false)) return 0;
  size_t s1 = head.find(';');
  if (s1 == std::string::npos) return 0;
  size_t s2 = head.find(';', s1 + 1);
  if (s2 == std::string::npos) return 0;
  const std::string init = head.substr(0, s1);
  const std::string cond = head.substr(s1 + 1, s2 - s1 - 1);
  const std::string step = head.substr(s2 + 1);

  // The loop variable is declared in the body's program.
  auto bodyReader = std::make_unique<CScrProgram>(reader, m_owner);
  CSgProgram* body = bodyReader->Program();
  bool failed = false;
  m_init = CompileClauses(reader, f, body, init, &failed);
  if (!failed && m_init) m_step = CompileClauses(reader, f, body, step, &failed);
  if (failed || !m_init || !m_step) {
    delete body;
    return 0;
  }
  ScrCompileContext c{reader, f, body, body->Module(), 0};
  m_cond = ScrCompileCondition(c, cond, m_actions);
  if (!m_cond) {
    delete body;
    return 0;
  }
  bodyReader->SetDebug(m_debug);
  if (!bodyReader->Read(f)) {
    delete body;
    return 0;
  }
  m_first = AttachBody(m_owner, body);
  m_first->Last()->SetNext(m_step);
  return 1;
}

CScrSwitch::~CScrSwitch() { ScrFreeActions(m_actions); }

// ( expression ) { case value: { body } break ... default: { body } }
int CScrSwitch::Read(CScrStream* f) {
  CScriptReader* reader = ScriptReader();
  std::string expr;
  if (!ReadHead(f, expr)) return 0;
  OpenBrace(f);
  CSgInstruction* last = nullptr;
  CSgInstruction* open = nullptr;  // the open case
  int status = 1;
  auto append = [&](CSgInstruction* ins) {
    if (last) last->SetNext(ins);
    else m_first = ins;
    last = ins;
  };
  std::string tok;
  for (;;) {
    int kw = ScrReadKeyword(f, tok);
    if (!kw && tok.empty() && ScrInputEnded(f)) {
      reader->Report(ScrTextId::err_not_keyword, f, {tok, ScrGetCurKeyWord()});
      return 0;
    }
    if (tok == "}") break;
    if (tok.find("case ") != std::string::npos) {
      std::string value = tok.substr(tok.find("case ") + 5);
      value = value.substr(0, value.find(':'));
      ScrTrimString(value);
      CSgProgram* body = ReadBody(reader, f, m_owner, m_debug);
      if (!body) return 0;
      if (value.empty()) {
        reader->Report(ScrTextId::err_case_no_value, f, {ScrGetCurKeyWord()});
        delete body;
        return 0;
      }
      const std::string text = expr + "==" + value;
      ScrCompileContext c{reader, f, m_owner, m_owner->Module(), 0};
      CSgConditions* cond = ScrCompileCondition(c, text, m_actions);
      if (!cond) {
        reader->Report(ScrTextId::err_case_condition, f, {text, ScrGetCurKeyWord()});
        delete body;
        return 0;
      }
      CSgInstruction* k = new CSgInstruction(m_owner);
      CSgInstruction* s = new CSgInstruction(m_owner);
      s->SetSubProgram(body);
      m_owner->AddUserProgram(body);
      k->SetBranch(cond, s, nullptr);
      append(k);
      open = k;
    } else if (tok.find("default") != std::string::npos) {
      CSgProgram* body = ReadBody(reader, f, m_owner, m_debug);
      if (!body) return 0;
      CSgInstruction* d = new CSgInstruction(m_owner);
      d->SetSubProgram(body);
      m_owner->AddUserProgram(body);
      append(d);
    } else if (tok == "break") {
      if (!open) {
        reader->Report(ScrTextId::err_break_without_case, f, {tok, ScrGetCurKeyWord()});
        status = 0;
        continue;
      }
      CSgInstruction* b = new CSgInstruction(m_owner);
      b->SetBreak(1);
      if (m_debug) b->SetDebugCode("break");
      open->Satisfied()->Last()->SetNext(b);
      open = nullptr;
    }
  }
  CSgInstruction* close = new CSgInstruction(m_owner);
  close->SetBreak(1);
  append(close);
  m_owner->AddRefForVariables();
  return status;
}

// ---------------------------------------------------------------------------------------------
// Function definitions inside a program or class block

namespace {

// Splits "type name" parameters; reports a parameter without a blank (using it whole as both).
void AddParameters(CScriptReader* reader, CScrStream* f, CSgFunction* fn, const SCRFUNCTION& rec,
                   const std::string& token) {
  for (std::string p : rec.params) {
    ScrTrimString(p);
    size_t blank = p.find_last_of(' ');
    std::string type = p, name = p;
    if (blank == std::string::npos) {
      reader->Report(ScrTextId::err_function_param_definition, f, {fn->Name(), p, token});
    } else {
      type = p.substr(0, blank);
      name = p.substr(blank + 1);
      ScrTrimString(type);
      ScrTrimString(name);
      // "int &" closes up to "int&"
      if (!type.empty() && type.back() == '&') {
        std::string base = type.substr(0, type.size() - 1);
        ScrTrimString(base);
        type = base + "&";
      }
      if (!name.empty() && name[0] == '&') {
        type += "&";
        name.erase(0, 1);
      }
    }
    fn->AddParameter(name.c_str(), type.c_str());
  }
}

// The position of a body whose header was read: the token reader is put there.
void SeekBody(CScrStream* f, const SCRFUNCTION& rec) {
  ScrLexMark m = ScrSaveLexState(f);
  m.pos = rec.bodyStart;
  m.pending.clear();
  m.lineId = rec.bodyLine;
  ScrRestoreLexState(f, m);
}

}  // namespace

int ScrCompileFunctionDefinition(CScriptReader* reader, CScrStream* f, CSgProgram* owner, const std::string& token,
                                 const std::string& className, ScrTextId noType) {
  SCRFUNCTION rec;
  int hb = ScrReadHeaderAndBody(f, rec, token, reader, ScrHeaderKind::CompiledFunction);
  if (!hb) {
    reader->Report(ScrTextId::err_function_definition, f, {token});
    return 0;
  }
  const ScrLexMark after = ScrSaveLexState(f);
  std::string head = rec.name;
  bool isVirtual = false;
  if (StartsWith(head, "virtual ")) {
    isVirtual = true;
    head = head.substr(8);
    ScrTrimString(head);
  }
  std::string retType, name;
  size_t blank = head.find(' ');
  if (blank == std::string::npos) {
    if (!className.empty() && head == className) {
      retType = "void";
      name = head;
    } else {
      reader->Report(noType, f, {head, token});
      return 0;
    }
  } else {
    retType = head.substr(0, blank);
    name = head.substr(blank + 1);
    ScrTrimString(name);
  }

  auto fn = std::make_unique<CSgFunction>(owner->Module());
  fn->SetFatherProgram(owner);
  fn->SetOwnerProgram(owner);
  fn->SetVirtual(isVirtual ? 1 : 0);
  fn->SetName(name.c_str(), 1);
  AddParameters(reader, f, fn.get(), rec, token);
  if (retType != "void") {
    CSgVariable* rv = new CSgVariable();
    int code = ScrBasicTypeCode(retType);
    if (code >= 0) rv->SetVarType(code, 0);
    else ScrMakeObjectVariable(rv, retType.c_str());
    rv->SetName(name.c_str());
    owner->AddVariable(rv);
    fn->SetReturnVariable(rv);
  }
  if (owner->FindFunctionLocal(name.c_str(), fn.get(), SG_FIND_EXACT)) {
    reader->Report(ScrTextId::err_function_redefined, f, {name, token});
    return 1;
  }
  if (std::strcmp(owner->Name(), "system") == 0) fn->SetVirtual(1);
  // Known before its body is compiled, so that the body may call the function itself.
  CSgFunction* added = fn.get();
  owner->AddFunction(fn.release());
  if (hb == 1) {
    SeekBody(f, rec);
    if (!ReadBody(reader, f, owner, 1, added)) {
      reader->Report(ScrTextId::err_function_definition, f, {token});
      delete owner->RemoveFunction(added);
      ScrRestoreLexState(f, after);
      return 0;
    }
  }
  added->AddRefForVariables();
  return 1;
}
