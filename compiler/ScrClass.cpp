// What the script dispatcher hands to the compiler: program blocks, classes (and segments) and
// typed functions at script level; and the compile-time evaluations the declarations use.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "compiler/ScrCompile.h"
#include "compiler/ScrCompiler.h"
#include "compiler/ScrFunction.h"
#include "compiler/ScrProgram.h"
#include "compiler/ScrStrings.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"
#include "sg/Vm.h"

namespace {

// The next token, without consuming it.
std::string Peek(CScrStream* f) {
  ScrLexMark m = ScrSaveLexState(f);
  std::string tok;
  ScrReadKeyword(f, tok);
  ScrRestoreLexState(f, m);
  return tok;
}

// The types of "type name" parameter texts.
std::vector<std::string> ParamTypes(const std::vector<std::string>& params) {
  std::vector<std::string> out;
  for (std::string p : params) {
    ScrTrimString(p);
    size_t blank = p.find_last_of(' ');
    std::string t = blank == std::string::npos ? p : p.substr(0, blank);
    ScrTrimString(t);
    if (blank != std::string::npos && p[blank + 1] == '&') t += "&";
    out.push_back(t);
  }
  return out;
}

}  // namespace

CSgProgram* ScrLocalProgram(CSgModule* module) {
  if (CSgProgram* p = dynamic_cast<CSgProgram*>(module->userPrograms().Find("local"))) return p;
  auto* p = new CSgProgram(module);
  p->SetName("local", 1);
  module->AddUserProgram(p);
  return p;
}

void ScrMakeObjectVariable(CSgVariable* var, const char* className) {
  var->SetKind(SGVK_OBJECT);
  var->SetClassName(className);
}

// program [{] statements }
int ScrReadProgramBlock(CScriptReader* reader, CScrStream* f, CSgProgram** out) {
  *out = nullptr;
  CScrProgram block(reader, nullptr);
  CSgProgram* p = block.Program();
  if (!block.Read(f)) {
    delete p;
    return 0;
  }
  p->Module()->AddUserProgram(p);
  *out = p;
  return 1;
}

// class Name [: Parent] [{ members }]
int ScrReadClassDefinition(CScriptReader* reader, CScrStream* f, const std::string& token,
                           std::vector<CKvoObject*>* objects) {
  CSgModule* module = reader->CurrentModule();
  std::string name = token.substr(token.find(' ') + 1), parent;
  size_t colon = name.find(':');
  if (colon != std::string::npos) {
    parent = name.substr(colon + 1);
    name.resize(colon);
    ScrTrimString(parent);
  }
  ScrTrimString(name);
  if (name == "system" && module->Parent()) {
    reader->Report(ScrTextId::err_system_main_only, f, {token});
    reader->SkipBlock(f);
    return 1;
  }
  CSgProgram* cls = name == "system" ? module->SystemProgram() : nullptr;
  if (!cls) cls = dynamic_cast<CSgProgram*>(module->FindClass(name.c_str()));
  if (!cls) {
    cls = new CSgProgram(module);
    cls->SetName(name.c_str(), 1);
    cls->SetClass(1);
    module->AddUserClass(cls);
    if (!parent.empty()) {
      CSgProgram* base = dynamic_cast<CSgProgram*>(module->FindClass(parent.c_str()));
      if (!base) {
        reader->Report(ScrTextId::err_parent_class_not_defined, f, {parent, token});
        reader->SkipBlock(f);
        return 1;
      }
      cls->SetFatherProgram(base);
    }
  }
  // A class named "system" in the main module becomes its system program.
  module->ReplaceSystemProgram(cls);
  if (Peek(f) == "{") {
    CScrProgram body(reader, nullptr);
    body.SetProgram(cls);
    if (!body.Read(f)) return 1;
  }
  if (objects) objects->push_back(cls);
  return 1;
}

// type name(parameters) [{ body }]  |  type Class::name(parameters) { body }
int ScrReadFunctionDefinition(CScriptReader* reader, CScrStream* f, const std::string& token,
                              std::vector<CKvoObject*>* objects) {
  CSgModule* module = reader->CurrentModule();
  std::string tok = token;
  CSgProgram* cls = nullptr;
  std::string className;
  size_t dc = tok.find("::");
  if (dc != std::string::npos && dc < tok.find('(')) {
    size_t start = tok.find_last_of(' ', dc);
    start = start == std::string::npos ? 0 : start + 1;
    className = tok.substr(start, dc - start);
    cls = dynamic_cast<CSgProgram*>(module->FindClass(className.c_str()));
    tok.erase(start, dc + 2 - start);
  }
  CSgProgram* local = ScrLocalProgram(module);
  CSgProgram* owner = local;
  if (cls) {
    // The class must have declared the method with these parameters: the declared one gets the body.
    SCRFUNCTION rec;
    ScrLexMark before = ScrSaveLexState(f);
    int hb = ScrReadHeaderAndBody(f, rec, tok, nullptr, ScrHeaderKind::CompiledFunction);
    ScrRestoreLexState(f, before);
    std::string head = rec.name;
    size_t blank = head.find(' ');
    std::string name = blank == std::string::npos ? head : head.substr(blank + 1);
    ScrTrimString(name);
    CSgFunction* declared = hb ? cls->FindFunctionLocal(name.c_str(), ParamTypes(rec.params), SG_FIND_EXACT) : nullptr;
    if (declared) {
      ScrReadHeaderAndBody(f, rec, tok, reader, ScrHeaderKind::CompiledFunction);
      if (hb == 1) {
        ScrLexMark m = ScrSaveLexState(f);
        const ScrLexMark after = m;
        m.pos = rec.bodyStart;
        m.pending.clear();
        m.lineId = rec.bodyLine;
        ScrRestoreLexState(f, m);
        CScrProgram body(reader, cls);
        body.SetProgram(declared);
        if (!body.Read(f)) {
          reader->Report(ScrTextId::err_function_definition, f, {token});
          ScrRestoreLexState(f, after);
          return 1;
        }
        declared->AddRefForVariables();
      }
      if (objects) objects->push_back(declared);
      return 1;
    }
    reader->Report(ScrTextId::err_function_not_declared_in_class, f, {name, className, token});
  }
  const int before = local->Functions().Count();
  if (!ScrCompileFunctionDefinition(reader, f, owner, tok, std::string(), ScrTextId::err_function_no_return)) {
    reader->SkipBlock(f);
    return 1;
  }
  if (objects && local->Functions().Count() > before) objects->push_back(local->Functions().At(local->Functions().Count() - 1));
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Compile-time evaluation

int ScrEvaluateSize(CScriptReader* reader, const std::string& text, CSgModule* module) {
  if (!ScrFirstOf(text.c_str(), "+-*/%")) return std::atoi(text.c_str());
  CSgProgram* p = ScrReadProgramFromString(("int _sysTempiVal = " + text).c_str(), module, reader);
  int value = 0;
  if (p) {
    CSgVm vm;
    vm.Run(p);
    if (CSgVariable* v = p->FindVariableLocal("_sysTempiVal")) value = v->GetInt();
    delete p;
  }
  ScrSetCurrentReader(reader);
  return value;
}

int ScrEvaluateInto(CScriptReader* reader, const std::string& expression, CSgModule* module, CSgVariable* into) {
  // Declared as the variable is, so that the value converts as an assignment would.
  std::string type = into->GetTypeString();
  if (type.empty() || ScrBasicTypeCode(type) < 0) type = "double";
  const int before = reader->MessageCount();
  CSgProgram* p = ScrReadProgramFromString((type + " _sysTempVal = " + expression).c_str(), module, reader);
  int ok = 0;
  if (p && reader->MessageCount() == before) {
    CSgVm vm;
    if (vm.Run(p) == SG_RUN_OK)
      if (CSgVariable* v = p->FindVariableLocal("_sysTempVal")) {
        into->Assign(*v);
        ok = 1;
      }
  }
  delete p;
  ScrSetCurrentReader(reader);
  return ok;
}
