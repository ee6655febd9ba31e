// The expression compiler: text -> tree of variables -> list of actions.
//
// An expression is split at its loosest operator (compiler/ScrExprSplit.h) and each side is
// compiled again, down to leaves: literals, names, calls, `new`, `null`, `this`. Every operator
// node gets a result variable of its own in the program, so the actions the tree turns into
// read and write plain variables: action 501 adds the values of its second and third variable
// into the first, and so on (the table in sg/Action.h). Conditions are expressions assigned to
// the module's judge variable; the runtime tests that variable after their actions ran.
#include <cstdlib>
#include <cstring>

#include "compiler/ScrCompile.h"
#include "compiler/ScrCompiler.h"
#include "compiler/ScrExprSplit.h"
#include "declarations/ScrVariable.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"
#include <vector>

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

using Node = std::unique_ptr<ScrExprNode>;

void Report(ScrCompileContext& c, ScrTextId id, std::initializer_list<ScrArg> args) {
  c.reader->Report(id, c.f, args);
}

// --- variables of the program or the module ---------------------------------------------------

// A nameless variable for an operator's result.
CSgVariable* NewResult(ScrCompileContext& c, int type) {
  CSgVariable* v;
  if (c.program) {
    v = new CSgVariable();
    c.program->AddVariable(v);
  } else {
    v = c.module->AllocTempVariable(1);
  }
  if (type) v->SetVarType(type, 0);
  return v;
}

// A literal: a new variable of the program holding the value, or a module constant.
// The value of a literal number, true or false into `v`.
void SetNumber(CSgVariable* v, const std::string& text, bool hex) {
  if (text == "true") v->SetInt(1);
  else if (text == "false") v->SetInt(0);
  else if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'X' || text[1] == 'x'))
    v->SetInt(static_cast<int>(std::strtoul(text.c_str() + 2, nullptr, 16)));
  else if (int real = ScrIsReal(text.c_str())) {
    if (real == 2) v->SetDouble(std::strtod(text.c_str(), nullptr));
    else v->SetFloat(std::strtof(text.c_str(), nullptr));
  } else {
    v->SetInt(std::atoi(text.c_str()));
  }
}

// A literal: a new variable of the program holding the value, or a module constant (which
// reads hexadecimal with atoi, as 0).
CSgVariable* NewConstant(ScrCompileContext& c, const std::string& text) {
  if (!c.program) {
    CSgVariable scratch;
    SetNumber(&scratch, text, false);
    return c.module->AllocConstVariable(&scratch);
  }
  CSgVariable* v = NewResult(c, 0);
  SetNumber(v, text, true);
  return v;
}

CSgVariable* NewString(ScrCompileContext& c, const std::string& text) {
  if (!c.program) {
    CSgVariable scratch;
    scratch.SetVarType(SGVT_STRING, 0);
    scratch.SetString(text.c_str());
    return c.module->AllocConstVariable(&scratch);
  }
  CSgVariable* v = NewResult(c, SGVT_STRING);
  v->SetString(text.c_str());
  return v;
}

CSgVariable* NewKind(ScrCompileContext& c, int kind) {
  CSgVariable* v = NewResult(c, 0);
  v->SetKind(kind);
  return v;
}

// The common type of two operands: text wins, then the widest number.
int CommonType(const CSgVariable* a, const CSgVariable* b) {
  return GetCommanVarType(a ? a->VarType() : 0, b ? b->VarType() : 0);
}

Node Leaf(CSgVariable* v) {
  Node n = std::make_unique<ScrExprNode>();
  n->result = v;
  return n;
}

// --- names --------------------------------------------------------------------------------

// The class program named `name`: a user class of the module, or the main module's system
// program for "system".
CSgProgram* FindClassProgram(CSgModule* module, const std::string& name) {
  if (name.empty()) return nullptr;
  if (name == "system") return module->SystemProgram();
  return dynamic_cast<CSgProgram*>(module->FindClass(name.c_str()));
}

// The class program a program belongs to (itself or the nearest father that is a class).
CSgProgram* EnclosingClass(CSgProgram* p) { return p ? p->OwnerClass() : nullptr; }

// The function a program belongs to (itself or the nearest father that is a function), else the
// outermost program. Father chains are as deep as the blocks of one function, bounded by the
// block depth; the walk is bounded as well, in case a chain ever closed on itself.
CSgProgram* EnclosingFunctionOrTop(CSgProgram* p) {
  for (int steps = 0; p && steps <= SCR_MAX_BLOCK_DEPTH; ++steps) {
    if (dynamic_cast<CSgFunction*>(p) || !p->FatherProgram()) return p;
    p = p->FatherProgram();
  }
  return p;
}

// `object.member` on an object variable of the enclosing function (or program) that no `new`
// has been assigned to: the object was never made, so the member has nothing to live in. A
// warning: the statement is compiled all the same.
void WarnUnallocatedLocal(ScrCompileContext& c, const CSgVariable* object) {
  if (!object || !object->IsObjectVar() || object->Ownership()) return;
  if (std::strcmp(object->Name(), "this") == 0) return;
  CSgProgram* home = EnclosingFunctionOrTop(c.program);
  if (home && home->FindVariableLocal(object->Name()) == object)
    Report(c, ScrTextId::warn_local_object_no_space, {object->Name(), ScrGetCurKeyWord()});
}

// Resolves a name: first the expansion's own variable (name + instance suffix), then the
// program's variables, a module object, the module's variables, a user program, a module.
CSgVariable* ResolveName(ScrCompileContext& c, const std::string& name) {
  if (CSgVariable* v = ScrFindExpansionVariable(c.module, name)) return v;
  if (c.program)
    if (CSgVariable* v = c.program->FindVariable(name.c_str(), 0, 1)) return v;
  if (CSgVariable* v = c.module->FindVariable(name.c_str())) return v;
  CSgProgram* up = c.program ? c.program->FindUserProgram(name.c_str()) : nullptr;
  if (!up) up = dynamic_cast<CSgProgram*>(c.module->FindProgram(name.c_str()));
  if (up) {
    CSgVariable* v = NewKind(c, SGVK_OBJECT);
    v->SetBoundObject(up);
    return v;
  }
  if (CKvoObject* o = c.module->FindObject(name.c_str())) return NewString(c, o->Name());
  if (CSgModule* m = c.module->FindModule(name.c_str())) {
    CSgVariable* v = NewKind(c, SGVK_MODULE);
    v->SetBoundObject(m);
    v->SetClassName(m->Name());
    return v;
  }
  return nullptr;
}

// The arguments of a call, split at the commas outside parentheses, brackets and quotes.
std::vector<std::string> SplitArguments(const std::string& s) {
  std::vector<std::string> out;
  int depth = 0;
  bool quoted = false;
  std::string cur;
  for (char ch : s) {
    if (ch == '"') quoted = !quoted;
    if (!quoted) {
      if (ch == '(' || ch == '[') ++depth;
      else if (ch == ')' || ch == ']') --depth;
      else if (ch == ',' && depth == 0) {
        ScrTrimString(cur);
        out.push_back(cur);
        cur.clear();
        continue;
      }
    }
    cur += ch;
  }
  ScrTrimString(cur);
  if (!cur.empty() || !out.empty()) out.push_back(cur);
  return out;
}

bool IsPlainName(const std::string& s) {
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
  for (char ch : s)
    if (std::strchr(" +-*/%()[]<>=!&|.\"", ch)) return false;
  return true;
}

Node Compile(ScrCompileContext& c, const std::string& text);

// --- leaves -------------------------------------------------------------------------------

Node CompileLeaf(ScrCompileContext& c, const std::string& t) {
  if (t == "null") {
    return Leaf(NewKind(c, SGVK_OBJECT));
  }
  if (t == "this") {
    CSgProgram* cls = EnclosingClass(c.program);
    if (!cls) {
      Report(c, ScrTextId::err_expression_variable_not_found, {t, ScrGetCurKeyWord()});
      return nullptr;
    }
    CSgVariable* self = cls->FindVariableLocal("this");
    if (!self) {
      self = new CSgVariable(SGT_VARIABLE, "this");
      self->SetKind(SGVK_OBJECT);
      self->SetClassName(cls->Name());
      cls->AddVariable(self);
    }
    return Leaf(self);
  }
  if (StartsWith(t, "new ")) {
    std::string name = t.substr(4);
    ScrTrimString(name);
    Node n = std::make_unique<ScrExprNode>();
    if (c.module->FindClass(name.c_str())) {
      n->kind = 'c';
      n->result = NewKind(c, SGVK_OBJECT);
    } else if (c.module->FindModule(name.c_str())) {
      n->kind = 'm';
      n->result = NewKind(c, SGVK_MODULE);
    } else {
      Report(c, ScrTextId::err_class_or_module_not_found, {name});
      return nullptr;
    }
    n->result->SetClassName(name.c_str());
    return n;
  }
  if (ScrIsCallShaped(t.c_str())) {
    CSgFunction* stub = ScrCompileCall(c, t);
    if (!stub) return nullptr;
    Node n = std::make_unique<ScrExprNode>();
    n->kind = '(';
    n->call = stub;
    n->result = stub->ReturnVariable();
    if (StartsWith(t, "pause(")) {
      n->callerFile = c.reader->FileName();
      n->callerLine = c.reader->LineOf(c.f);
    }
    return n;
  }
  if (ScrIsQuotedString(t.c_str())) return Leaf(NewString(c, ScrUnescapeLiteral(t.substr(1, t.size() - 2))));
  if (t == "true" || t == "false" || ScrIsConstant(t.c_str())) return Leaf(NewConstant(c, t));
  if (CSgVariable* v = ResolveName(c, t)) return Leaf(v);
  Report(c, ScrTextId::err_expression_variable_not_found, {t, ScrGetCurKeyWord()});
  return nullptr;
}

// The right side of `object.member`: a string leaf naming the member, checked against the
// object's class.
Node CompileMember(ScrCompileContext& c, const std::string& member, const CSgVariable* object,
                   int* memberType, std::string* memberClass) {
  const std::string className = object ? object->ClassName() : "";
  CSgProgram* cls = FindClassProgram(c.module, className);
  if (ScrIsCallShaped(member.c_str())) {
    std::string name = member.substr(0, member.rfind('('));
    ScrTrimString(name);
    // The class and then its parents, nearest first.
    CSgFunction* fn = nullptr;
    for (CSgProgram* k = cls; k && !fn && k->IsClass(); k = k->FatherProgram()) fn = k->FindFunctionLocal(name.c_str());
    if (!fn && member.find("self(") == std::string::npos && member.find("getNativeHandle(") == std::string::npos) {
      Report(c, ScrTextId::err_class_function_not_found, {className, member, ScrGetCurKeyWord()});
      return nullptr;
    }
    if (fn && fn->ReturnVariable()) *memberType = fn->ReturnVariable()->VarType();
    // The runtime finds a method's arguments by name or reads them as literals: an argument
    // expression is computed first into a variable of the program, and the call names that.
    if (c.program) {
      Node leaf = std::make_unique<ScrExprNode>();
      std::string text = name + "(";
      const size_t open = member.find('('), close = member.rfind(')');
      bool first = true;
      for (const std::string& a : SplitArguments(member.substr(open + 1, close > open ? close - open - 1 : 0))) {
        std::string arg = a;
        if (!a.empty() && !ScrIsQuotedString(a.c_str()) && !ScrIsConstant(a.c_str()) && !IsPlainName(a)) {
          Node e = Compile(c, a);
          if (!e) return nullptr;
          CSgVariable* into = NewResult(c, e->result ? e->result->VarType() : 0);
          arg = "_sysArg" + std::to_string(c.module->NextObjectIndex());
          into->SetName(arg.c_str());
          leaf->before.push_back(std::move(e));
          leaf->beforeInto.push_back(into);
        }
        text += (first ? "" : ", ") + arg;
        first = false;
      }
      leaf->result = NewString(c, text + ")");
      leaf->result->AddFlags(SGVF_MEMBERTEXT);
      return leaf;
    }
  } else {
    CSgVariable* v = nullptr;
    for (CSgProgram* k = cls; k && !v && k->IsClass(); k = k->FatherProgram()) v = k->FindVariableLocal(member.c_str());
    if (!v) {
      Report(c, ScrTextId::err_class_member_not_found, {c.reader->FileName(), className, member, ScrGetCurKeyWord()});
      return nullptr;
    }
    *memberType = v->VarType();
    *memberClass = v->ClassName();
  }
  Node leaf = Leaf(NewString(c, member));
  leaf->result->AddFlags(SGVF_MEMBERTEXT);
  return leaf;
}

// --- operators ----------------------------------------------------------------------------

// Action type of each operator kind.
int ActionOf(char kind) {
  switch (kind) {
    case '+': return ACT_ADD;
    case '*': return ACT_MUL;
    case '%': return ACT_MOD;
    case '/': return ACT_DIV;
    case '-': return ACT_SUB;
    case '[': return ACT_INDEX;
    case '&': return ACT_AND;
    case '|': return ACT_OR;
    case '>': return ACT_GT;
    case '<': return ACT_LT;
    case 'e': return ACT_EQ;
    case 'g': return ACT_GE;
    case 'l': return ACT_LE;
    case 'n': return ACT_NE;
    case '!': return ACT_NOT;
    case '.': return ACT_MEMBER;
    case '=': return ACT_ASSIGN;
    default: return 0;
  }
}

bool IsComparison(char k) { return std::strchr("&|<>eglnd!", k) != nullptr; }

Node CompileOperator(ScrCompileContext& c, const std::string& text, ScrSplit& s) {
  Node n = std::make_unique<ScrExprNode>();
  n->kind = s.kind;
  // An index names an array: a missing name is reported as such.
  if (s.kind == '[' && IsPlainName(s.left) && !ResolveName(c, s.left)) {
    Report(c, ScrTextId::err_array_variable_not_found, {s.left, ScrGetCurKeyWord()});
    return nullptr;
  }
  n->left = Compile(c, s.left);
  if (!n->left) {
    Report(c, ScrTextId::err_expression_unparsable, {s.left, ScrGetCurKeyWord()});
    return nullptr;
  }
  CSgVariable* lv = n->left->result;
  int memberType = 0;
  std::string memberClass;
  if (s.kind == '.') {
    WarnUnallocatedLocal(c, lv);
    n->right = CompileMember(c, s.right, lv, &memberType, &memberClass);
  } else {
    n->right = Compile(c, s.right);
  }
  if (!n->right) {
    if (s.kind == '=') Report(c, ScrTextId::err_assignment_right_empty, {text, ScrGetCurKeyWord()});
    else Report(c, ScrTextId::err_expression_unparsable, {s.right, ScrGetCurKeyWord()});
    return nullptr;
  }
  CSgVariable* rv = n->right->result;

  switch (s.kind) {
    case '=': {
      // Objects: a value of another class cannot be stored; an object made with `new` is owned
      // by the variable that receives it.
      const std::string lc = lv ? lv->ClassName() : "", rc = rv ? rv->ClassName() : "";
      if (!lc.empty() && !rc.empty() && lc.find(rc) == std::string::npos) {
        Report(c, ScrTextId::err_type_mismatch, {text, ScrGetCurKeyWord()});
        return nullptr;
      }
      if (lv && (lv->IsObjectVar() || lv->IsModuleVar()) &&
          (n->right->kind == 'c' || n->right->kind == 'm' || (rv && rv->Ownership())))
        lv->SetOwnership(1);
      n->result = lv;
      break;
    }
    case '.':
      n->result = NewResult(c, memberType);
      n->result->SetClassName(memberClass.c_str());
      break;
    case '[': {
      if (lv && !lv->IsArray() && lv->VarType() != SGVT_STRING && !lv->IsObjectVar() &&
          lv->VarType() != SGVT_NONE) {
        Report(c, ScrTextId::err_variable_not_array, {s.left, ScrGetCurKeyWord()});
        return nullptr;
      }
      int type = 0;
      std::string cls;
      if (lv && lv->IsArray()) {
        type = lv->VarType() & ~SGVT_ARRAY;
        if (CSgVariable* e = lv->Element(0)) {
          type = e->VarType();
          cls = e->ClassName();
        }
      } else if (lv && lv->VarType() == SGVT_STRING) {
        type = SGVT_STRING;
      }
      n->result = NewResult(c, type);
      n->result->SetClassName(cls.c_str());
      break;
    }
    default:
      n->result = NewResult(c, IsComparison(s.kind) ? SGVT_BOOL : CommonType(lv, rv));
      break;
  }
  return n;
}

// expression: delete x | "text" | operand op operand | leaf
Node Compile(ScrCompileContext& c, const std::string& text) {
  std::string t = text;
  ScrTrimString(t);
  ScrStripParens(t);
  if (t.empty()) return nullptr;
  // Sub-expressions nest by splitting; a text can only split as often as it has operators, but
  // a long chain of them would recurse once per operator.
  if (c.depth >= SCR_MAX_EXPRESSION_DEPTH) {
    Report(c, ScrTextId::err_expression_too_deep, {SCR_MAX_EXPRESSION_DEPTH, ScrGetCurKeyWord()});
    return nullptr;
  }
  struct Level {
    int& d;
    explicit Level(int& x) : d(x) { ++d; }
    ~Level() { --d; }
  } level(c.depth);

  if (StartsWith(t, "delete ")) {
    Node n = std::make_unique<ScrExprNode>();
    n->kind = 'd';
    n->right = Compile(c, t.substr(7));
    if (!n->right) return nullptr;
    return n;
  }
  if (ScrIsQuotedString(t.c_str()) && t.size() >= 2 && t.back() == '"') return CompileLeaf(c, t);
  if (t[0] == '[') {
    Report(c, ScrTextId::err_array_index_expression, {t});
    return nullptr;
  }
  ScrSplit s;
  switch (ScrSplitExpression(t, s)) {
    case ScrSplitResult::Leaf: return CompileLeaf(c, t);
    case ScrSplitResult::BadIndex:
      Report(c, ScrTextId::err_array_expression, {t, ScrGetCurKeyWord()});
      return nullptr;
    case ScrSplitResult::Split: break;
  }
  return CompileOperator(c, t, s);
}

// --- actions ------------------------------------------------------------------------------

ActPrm* Action(int type, std::initializer_list<CSgVariable*> vars) {
  ActPrm* a = new ActPrm(type);
  a->SetVariables(vars);
  return a;
}

// Post-order; the recursion follows the tree, whose depth Compile bounded.
void MakeActions(const ScrExprNode* n, ScrActionList& out) {
  if (!n) return;
  for (size_t i = 0; i < n->before.size(); ++i) {
    MakeActions(n->before[i].get(), out);
    out.push_back(Action(ACT_INDEX, {n->beforeInto[i], n->before[i]->result}));
  }
  if (!n->kind) return;
  switch (n->kind) {
    case '(': {
      ActPrm* a = Action(ACT_CALL, {});
      a->SetDword(n->call);
      if (n->callerLine >= 0) a->SetCaller(n->callerFile.c_str(), n->callerLine);
      out.push_back(a);
      return;
    }
    case 'c':
    case 'm': {
      ActPrm* a = Action(n->kind == 'c' ? ACT_NEWOBJECT : ACT_NEWMODULE, {n->result});
      a->SetString(n->result->ClassName());
      out.push_back(a);
      return;
    }
    case 'd':
      MakeActions(n->right.get(), out);
      out.push_back(Action(ACT_DELETEOBJECT, {n->right->result}));
      return;
    case '&':
    case '|': {
      // Short circuit: after the left operand, a jump over the right operand's actions when the
      // left one already decides; its count is known once they are made.
      MakeActions(n->left.get(), out);
      ActPrm* jump = Action(ACT_SHORTCIRCUIT, {n->result, n->left->result});
      jump->SetInt(n->kind == '&' ? 0 : 1);
      jump->SetFlags(ACTF_SHORTCIRCUIT);
      out.push_back(jump);
      const size_t before = out.size();
      MakeActions(n->right.get(), out);
      out.push_back(Action(ActionOf(n->kind), {n->result, n->left->result, n->right->result}));
      jump->SetSkipCount(static_cast<int>(out.size() - before) - 1);
      jump->SetFlags(ACTF_SHORTCIRCUIT | ACTF_SKIPSET);
      return;
    }
    case '=':
      MakeActions(n->left.get(), out);
      MakeActions(n->right.get(), out);
      if (n->result == n->left->result) out.push_back(Action(ACT_ASSIGN, {n->left->result, n->right->result}));
      else out.push_back(Action(ACT_ASSIGN, {n->result, n->left->result, n->right->result}));
      return;
    default:
      MakeActions(n->left.get(), out);
      MakeActions(n->right.get(), out);
      out.push_back(Action(ActionOf(n->kind), {n->result, n->left->result, n->right->result}));
      return;
  }
}


}  // namespace

// ---------------------------------------------------------------------------------------------

std::unique_ptr<ScrExprNode> ScrCompileExpression(ScrCompileContext& c, const std::string& text) {
  if (!c.module) c.module = c.program ? c.program->Module() : c.reader->CurrentModule();
  return Compile(c, text);
}

void ScrMakeActions(const ScrExprNode* node, ScrActionList& out) { MakeActions(node, out); }


void ScrFreeActions(ScrActionList& list) {
  for (ActPrm* a : list) delete a;
  list.clear();
}

std::string ScrUnescapeLiteral(const std::string& inside) {
  std::string out;
  out.reserve(inside.size());
  for (size_t i = 0; i < inside.size(); ++i) {
    if (inside[i] == '\\' && i + 1 < inside.size() && inside[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += inside[i];
    }
  }
  return out;
}

// --- conditions -------------------------------------------------------------------------------

namespace {

// A condition's first '=' that is an assignment: not part of ==, !=, <=, >= and not in quotes.
bool HasSingleEquals(const std::string& t) {
  bool quoted = false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '"') quoted = !quoted;
    if (quoted || t[i] != '=') continue;
    if (i + 1 < t.size() && t[i + 1] == '=') return false;
    if (i > 0 && std::strchr("!<>", t[i - 1])) return false;
    return true;
  }
  return false;
}

// Indexes that are module constants are read at compile time: `a[2]` in a condition becomes
// the element itself.
void FoldConstantIndexes(ScrExprNode* n) {
  // The tree's depth was bounded when it was compiled.
  if (!n) return;
  FoldConstantIndexes(n->left.get());
  FoldConstantIndexes(n->right.get());
  if (n->kind != '[' || !n->left || !n->right || n->left->kind || n->right->kind) return;
  CSgVariable* index = n->right->result;
  CSgVariable* array = n->left->result;
  if (!index || !array || std::strncmp(index->Name(), "CONSTVAR_", 9) != 0 || !array->IsArray() || array->IsBlock())
    return;
  CSgVariable* e = array->Element(index->GetInt());
  if (!e) return;
  n->kind = 0;
  n->result = e;
  n->left.reset();
  n->right.reset();
}

}  // namespace

CSgConditions* ScrCompileCondition(ScrCompileContext& c, const std::string& text, ScrActionList& out) {
  if (!c.module) c.module = c.program ? c.program->Module() : c.reader->CurrentModule();
  if (text.find(ScrText(ScrTextId::word_fullwidth_exclamation)) != std::string::npos) {
    Report(c, ScrTextId::err_fullwidth_exclamation, {});
    return nullptr;
  }
  if (text.find(ScrText(ScrTextId::word_fullwidth_equals)) != std::string::npos) {
    Report(c, ScrTextId::err_fullwidth_equals, {});
    return nullptr;
  }
  if (HasSingleEquals(text)) {
    Report(c, ScrTextId::err_single_equals, {});
    return nullptr;
  }
  // The module's judge variable; the first condition of a module makes it.
  CSgVariable* judge = c.module->FirstJudgeVariable();
  if (!judge) {
    judge = new CSgVariable();
    judge->SetName(("JUDGEVAR_" + std::to_string(c.module->NextObjectIndex())).c_str());
    c.module->AddJudgeVariable(judge);
  }
  c.module->StartRecordTempVariable();
  Node expr = Compile(c, text);
  if (!expr) {
    Report(c, ScrTextId::err_condition_parse, {text});
    c.module->ReleaseRecordedTempVariables();
    return nullptr;
  }
  FoldConstantIndexes(expr.get());
  Node root = std::make_unique<ScrExprNode>();
  root->kind = '=';
  root->result = judge;
  root->left = Leaf(judge);
  root->right = std::move(expr);
  ScrActionList mine;
  MakeActions(root.get(), mine);
  auto* cond = new CSgConditions(c.module);
  cond->SetJudgeVariable(judge);
  cond->AddActions(mine);
  out.insert(out.end(), mine.begin(), mine.end());
  c.module->ReleaseRecordedTempVariables();
  if (c.program) c.program->AddRefForVariables();
  return cond;
}

// --- calls ------------------------------------------------------------------------------------

CSgFunction* ScrCompileCall(ScrCompileContext& c, const std::string& text) {
  if (!c.module) c.module = c.program ? c.program->Module() : c.reader->CurrentModule();
  CSgProgram* program = c.program ? c.program : ScrLocalProgram(c.module);
  const size_t open = text.find('(');
  const size_t close = text.rfind(')');
  std::string name = text.substr(0, open);
  ScrTrimString(name);
  if (close == std::string::npos || close < open) {
    Report(c, ScrTextId::err_function_call_syntax, {name, ScrGetCurKeyWord()});
    return nullptr;
  }
  std::string whole = name;
  CSgFunction* callee = program->FindFunction(name.c_str());
  // Then the main module's system program; a built-in brings it (and itself) into being on
  // its first call.
  if (!callee)
    if (CSgProgram* sys = SgIsBuiltinFunction(name.c_str()) ? SgSystemProgramWithBuiltins(c.module)
                                                             : c.module->SystemProgram()) {
      callee = sys->FindFunction(name.c_str());
      if (callee) whole = "system." + name;
    }
  if (!callee) {
    Report(c, ScrTextId::err_function_not_found_or_macro, {name, name, ScrGetCurKeyWord()});
    return nullptr;
  }

  // The stub: a function of the calling program that names the callee and holds the argument
  // variables; argument expressions are computed by its first instruction.
  std::string own = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
  auto* stub = new CSgFunction(c.module);
  stub->SetName((own + "@" + std::to_string(c.module->NextObjectIndex())).c_str(), 1);
  program->AddFunction(stub);

  // A failed stub is taken out of the program again.
  auto drop = [&] {
    delete program->RemoveFunction(stub);
    return nullptr;
  };
  std::vector<CSgVariable*> args;
  ScrCompileContext ac = c;
  for (const std::string& a : SplitArguments(text.substr(open + 1, close - open - 1))) {
    CSgVariable* v = nullptr;
    if (a.empty()) continue;
    if (ScrIsQuotedString(a.c_str())) {
      v = NewString(c, ScrUnescapeLiteral(a.substr(1, a.size() - 2)));
    } else if (a == "true" || a == "false" || ScrIsConstant(a.c_str())) {
      v = NewConstant(c, a);
    } else if (ScrFirstOf(a.c_str(), ".+-*/%[(")) {
      // An argument expression: computed by the stub's own chain into a fresh variable of its
      // type, before the call.
      Node e = Compile(ac, a);
      if (!e) return drop();
      CSgVariable* copy = NewResult(c, e->result ? e->result->VarType() : 0);
      if (e->result) {
        copy->SetClassName(e->result->ClassName());
        copy->SetKind(e->result->Kind());
      }
      ScrActionList acts;
      MakeActions(e.get(), acts);
      acts.push_back(Action(ACT_INDEX, {copy, e->result}));
      if (!stub->Instruction()) stub->SetInstruction(new CSgInstruction(stub));
      stub->Instruction()->AddAction(acts);
      ScrFreeActions(acts);
      v = copy;
    } else {
      Node leaf = a == "this" ? CompileLeaf(ac, a) : nullptr;
      v = leaf ? leaf->result : ResolveName(c, a);
      if (!v) {
        Report(c, ScrTextId::err_argument_variable_not_found, {a, ScrGetCurKeyWord()});
        return drop();
      }
    }
    args.push_back(v);
  }
  // The callee that takes these arguments: exact parameter types first, then compatible ones,
  // among the callee's own program's functions and then the calling program's.
  std::vector<std::string> types;
  for (CSgVariable* v : args) types.push_back(v->GetTypeString());
  const std::string bare = callee->Name();
  CSgFunction* target = nullptr;
  CSgProgram* places[] = {callee->OwnerProgram() ? callee->OwnerProgram() : callee->FatherProgram(), program};
  for (int flags : {SG_FIND_EXACT, SG_FIND_COMPATIBLE})
    for (CSgProgram* where : places)
      if (!target && where) target = where->FindFunctionLocal(bare.c_str(), types, flags);
  if (!target) {
    Report(c, ScrTextId::err_function_params_mismatch, {name, ScrGetCurKeyWord()});
    return drop();
  }
  stub->SetReferenceProgram(target, whole.c_str());
  for (CSgVariable* v : args) stub->AddParameter(v);
  stub->AddRefForVariables();
  if (CSgVariable* rv = target->ReturnVariable()) {
    CSgVariable* mine = NewResult(c, rv->VarType());
    mine->SetClassName(rv->ClassName());
    stub->SetReturnVariable(mine);
  }
  return stub;
}
