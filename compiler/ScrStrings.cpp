// Compiling strings and source files at run time, and the macros of a view.
#include "compiler/ScrStrings.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "compiler/ScrCompile.h"
#include "compiler/ScrCompiler.h"
#include "compiler/ScrProgram.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrPath.h"
#include "lexer/ScrValues.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Platform.h"
#include "sg/Program.h"
#include "sg/Variable.h"
#include "sg/View.h"

namespace {

// A read of text that is not the current file, in the middle of whatever is being read: the
// token reader's state, the current stream and the current reader are put aside and restored.
class NestedRead {
 public:
  NestedRead(std::string text, CSgModule* module, CScriptReader* reader)
      : m_outer(ScrGetCurrentStream()), m_outerReader(ScrGetCurrentReader()) {
    if (m_outer) m_mark = ScrBeginNestedRead(m_outer);
    if (!reader) {
      m_temp = std::make_unique<CScriptReader>(module);
      reader = m_temp.get();
    }
    m_reader = reader;
    if (!m_outer) reader->ResetArrayAllowance();  // a compile of its own, not part of a read
    m_pushed = reader->CurrentModule() != module;
    if (m_pushed) reader->PushModule(module);
    m_stream = CScrStream::FromText(std::move(text), "<string>");
    ScrSetCurrentReader(reader);
    ScrSetCurrentStream(m_stream.get());
  }
  ~NestedRead() {
    if (m_pushed) m_reader->PopModule();
    m_temp.reset();
    ScrSetCurrentStream(m_outer);
    ScrSetCurrentReader(m_outerReader);
    if (m_outer) ScrRestoreLexState(m_outer, m_mark);
  }
  NestedRead(const NestedRead&) = delete;
  NestedRead& operator=(const NestedRead&) = delete;
  CScriptReader* Reader() const { return m_reader; }
  CScrStream* Stream() const { return m_stream.get(); }

 private:
  CScrStream* m_outer;
  CScriptReader* m_outerReader;
  ScrLexMark m_mark;
  std::unique_ptr<CScriptReader> m_temp;
  CScriptReader* m_reader = nullptr;
  bool m_pushed = false;
  std::unique_ptr<CScrStream> m_stream;
};

// Reads script keywords (no enclosing `script`) from the text; the objects they made.
int ReadScriptText(const std::string& text, CSgModule* module, CScriptReader* reader,
                   std::vector<CKvoObject*>* objects) {
  NestedRead nr(text, module, reader);
  CScrScript block(nr.Reader());
  int r = block.Read(nr.Stream());
  if (objects) *objects = block.Objects();
  return r;
}

// The folder of a module's source files: the host directory, then one folder per module of its
// path ("main/Pump"). Made when missing.
std::string ModuleFolder(CSgModule* module) {
  std::string dir = SgHostDirectory();
  std::string path = module->PathName();
  for (char& c : path)
    if (c == ':') c = '/';
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    dir += "/" + path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    ::mkdir(dir.c_str(), 0777);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return dir;
}

// The text of a named source file; when there is none, `text` is written there first.
bool SourceText(CSgModule* module, const char* name, const char* text, std::string& out) {
  std::string path = ModuleFolder(module) + "/" + name + ".script";
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    out.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
  } else {
    out = text ? text : "";
    FILE* w = std::fopen(path.c_str(), "wb");
    if (!w) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), w) == out.size();
    ok = std::fclose(w) == 0 && ok;
    if (!ok) return false;
  }
  module->SgView()->SendHostMessage(3298, path.c_str());
  return true;
}

bool ReadFile(const char* fileName, std::string& out) {
  FILE* f = fileName ? std::fopen(ScrToFsPath(fileName).c_str(), "rb") : nullptr;
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

// --- recompiling: the class or function that others refer to stays the same object ---------

// Points every call stub under `root` (its functions and nested programs, to any depth) that
// calls `from` at `to`. A recursive function read again calls itself through such a stub.
// Walked with a work list: nesting is as deep as the code read, which is not bounded here.
void RetargetCalls(CSgProgram* root, CSgFunction* from, CSgFunction* to) {
  std::vector<CSgProgram*> work{root};
  while (!work.empty()) {
    CSgProgram* p = work.back();
    work.pop_back();
    for (CKvoObject* o : p->Functions().Objects()) {
      auto* fn = static_cast<CSgFunction*>(o);
      if (fn->ReferenceProgram() == from) fn->SetReferenceProgram(to, fn->WholeName());
      work.push_back(fn);
    }
    for (CKvoObject* o : p->UserPrograms().Objects()) work.push_back(static_cast<CSgProgram*>(o));
  }
}

// The old function takes over the fresh one's code: its chain and everything the chain uses
// (CopyFrom), its parameters and its return variable. Stubs compiled earlier call the old
// object, so they run the new code. The fresh function is unlisted and deleted.
void AdoptFunction(CSgProgram* local, CSgFunction* old, CSgFunction* fresh) {
  std::unique_ptr<CSgFunction> gone(local->RemoveFunction(fresh));
  std::vector<CSgVariable*> params = fresh->DetachParameters();
  old->DetachParameters();  // the old ones are retired by CopyFrom when the names recur
  old->CopyFrom(fresh);     // the parameters are variables of `fresh` and move with it
  for (CSgVariable* p : params) old->AddParameter(p);
  old->SetReturnVariable(fresh->ReturnVariable());
  old->SetVirtual(fresh->IsVirtual());
  RetargetCalls(old, fresh, old);
  old->AddRefForVariables();
}

// Reads a function text with the function of that name (in "local") put aside meanwhile;
// the function read is merged into the old one. With nothing read, the old one is put back,
// or a named empty function made.
CSgProgram* ReadFunction(const std::string& src, const char* name, CSgModule* module, CScriptReader* reader) {
  CSgProgram* local = ScrLocalProgram(module);
  CSgFunction* old = name && *name ? local->FindFunctionLocal(name) : nullptr;
  if (old) local->RemoveFunction(old);
  std::vector<CKvoObject*> objects;
  ReadScriptText(src, module, reader, &objects);
  // A function of "local": a method body defined outside its class belongs to the class.
  CSgFunction* fresh = nullptr;
  for (CKvoObject* o : objects)
    if (auto* fn = dynamic_cast<CSgFunction*>(o); fn && local->Functions().Contains(fn)) {
      fresh = fn;
      break;
    }
  if (old) {
    if (fresh && fresh != old) AdoptFunction(local, old, fresh);
    local->AddFunction(old);
    return old;
  }
  if (!fresh && name && *name) {
    fresh = new CSgFunction(module, name);
    local->AddFunction(fresh);
  }
  return fresh;
}

// Reads a class text with the module's class of that name put aside meanwhile; the class
// read is merged into the old one (CopyFrom), which takes its name and parent and is listed
// again. Instances, object variables and derived classes keep pointing at the old class and
// see the new code. With nothing read, the old class is put back, or a named empty one made.
CSgProgram* ReadClass(const std::string& src, const char* name, CSgModule* module, CScriptReader* reader) {
  CSgProgram* old = name && *name ? module->FindClassLocal(name) : nullptr;
  if (old) module->RemoveUserClass(old);
  std::vector<CKvoObject*> objects;
  ReadScriptText(src, module, reader, &objects);
  CSgProgram* fresh = nullptr;
  for (CKvoObject* o : objects)
    if (auto* p = dynamic_cast<CSgProgram*>(o); p && p->IsClass()) {
      fresh = p;
      break;
    }
  if (old) {
    if (fresh && fresh != old) {
      // Every class read is listed in the module; ours from here on, deleted at the end.
      std::unique_ptr<CSgProgram> gone(module->RemoveUserClass(fresh));
      old->CopyFrom(fresh);
      old->SetFatherProgram(fresh->FatherProgram());
      old->SetName(fresh->Name(), 1);
      // Classes read along with it that derive from the fresh one derive from the old one.
      for (CKvoObject* o : module->userClasses().Objects())
        if (auto* k = dynamic_cast<CSgProgram*>(o); k && k->FatherProgram() == fresh) k->SetFatherProgram(old);
    }
    module->AddUserClass(old);
    module->ReplaceSystemProgram(old);
    return old;
  }
  if (!fresh && name && *name) {
    fresh = new CSgProgram(module, name);
    module->AddUserClass(fresh);
  }
  return fresh;
}

// The macro readers of the views, one each; the view keeps a pointer to its own.
std::map<CSgView*, std::unique_ptr<CScriptReader>>& MacroReaders() {
  static std::map<CSgView*, std::unique_ptr<CScriptReader>> readers;
  return readers;
}

}  // namespace

CSgProgram* ScrReadProgramFromString(const char* text, CSgModule* module, CScriptReader* reader) {
  if (!text || !module) return nullptr;
  CSgProgram* p = nullptr;
  {
    NestedRead nr(std::string("{") + text + "\r\n}", module, reader);
    CScrProgram block(nr.Reader(), nullptr);
    p = block.Program();
    if (!block.Read(nr.Stream())) {
      delete p;
      p = nullptr;
    }
  }
  return p ? p : new CSgProgram(module);
}

CSgProgram* ScrReadProgramFromSourceFile(const char* fileName, CSgModule* module, CScriptReader* reader) {
  if (!module) return nullptr;
  std::string text;
  module->SgView()->SendHostMessage(3298, fileName ? fileName : "");
  std::vector<CKvoObject*> objects;
  if (ReadFile(fileName, text)) {
    // A whole script: its `script` block is read.
    size_t at = text.find("script");
    ReadScriptText(at == std::string::npos ? text : text.substr(at + 6), module, reader, &objects);
  }
  for (CKvoObject* o : objects)
    if (o->TypeCode() == SGT_PROGRAM) {
      // The module holds it; a copy of the pointer is what hosts expect.
      return static_cast<CSgProgram*>(o);
    }
  return new CSgProgram(module);
}

CSgProgram* ScrReadFunctionFromString(const char* text, const char* name, CSgModule* module, CScriptReader* reader) {
  if (!module) return nullptr;
  std::string src = text ? text : "";
  if (name && *name && !SourceText(module, name, text, src)) return nullptr;
  return ReadFunction(src, name, module, reader);
}

CSgProgram* ScrReadFunctionFromSourceFile(const char* fileName, const char* name, CSgModule* module,
                                          CScriptReader* reader) {
  std::string text;
  if (!module || !ReadFile(fileName, text)) return nullptr;
  module->SgView()->SendHostMessage(3298, fileName);
  return ReadFunction(text, name, module, reader);
}

CSgProgram* ScrReadClassFromString(const char* text, const char* name, CSgModule* module, CScriptReader* reader) {
  if (!module) return nullptr;
  std::string src = text ? text : "";
  if (name && *name && !SourceText(module, name, text, src)) return nullptr;
  return ReadClass(src, name, module, reader);
}

CSgProgram* ScrReadClassFromSourceFile(const char* fileName, const char* name, CSgModule* module,
                                       CScriptReader* reader) {
  std::string text;
  if (!module || !ReadFile(fileName, text)) return nullptr;
  module->SgView()->SendHostMessage(3298, fileName);
  return ReadClass(text, name, module, reader);
}

CSgProgram* ScrReadMappingFunctionFromString(const char* text, CSgVariable* x, CSgVariable* y, CSgModule* module,
                                             CScriptReader* reader) {
  if (!text || !x || !y || !module) return nullptr;
  const std::string name = std::string(x->Name()) + "_map_" + y->Name();
  auto typeName = [](const CSgVariable* v) {
    const char* t = SgVarTypeName(v->VarType());
    return std::string(t && v->VarType() ? t : "float");
  };
  std::string src = "void " + name + "(" + typeName(x) + " x, " + typeName(y) + "& y)\n{\n" + text + "\n}\n";
  return ReadFunction(src, name.c_str(), module, reader);
}

int ScrReadScriptFromString(const char* text, CSgModule* module, CScriptReader* reader) {
  if (!text || !module) return 0;
  ReadScriptText(text, module, reader, nullptr);
  return 1;
}

CSgConditions* ScrReadConditionsFromString(const char* text, CSgModule* module, CSgProgram* program) {
  if (!text || !*text || !module) return nullptr;
  NestedRead nr("", module, nullptr);
  ScrCompileContext c{nr.Reader(), nullptr, program, program ? program->Module() : module, 0};
  ScrActionList acts;
  CSgConditions* cond = ScrCompileCondition(c, text, acts);
  if (cond) cond->SetSourceCode(text);
  ScrFreeActions(acts);
  return cond;
}

// ---------------------------------------------------------------------------------------------
// Macros

int ScrReadMacrosFromFile(const char* fileName, CSgView* view) {
  if (!view) return 0;
  auto& readers = MacroReaders();
  auto& r = readers[view];
  if (!r) {
    r = std::make_unique<CScriptReader>(view->MainModule());
    view->SetMacroReader(r.get());
  }
  CScrStream* outer = ScrGetCurrentStream();
  CScriptReader* outerReader = ScrGetCurrentReader();
  r->ReadXScript(fileName, 1, 1);
  ScrSetCurrentStream(outer);
  ScrSetCurrentReader(outerReader);
  return 1;
}

void ScrReleaseMacros(CSgView* view) {
  if (!view) return;
  MacroReaders().erase(view);
  view->SetMacroReader(nullptr);
}

int ScrExecuteMacros(const char* text, CSgModule* module, std::list<CKvoObject*>& animations) {
  if (!text || !module) return 0;
  auto& readers = MacroReaders();
  auto it = readers.find(module->SgView());
  if (it == readers.end() || !it->second) return 0;
  CScrStream* outer = ScrGetCurrentStream();
  CScriptReader* outerReader = ScrGetCurrentReader();
  int r;
  {
    CScriptReader reader(module);
    reader.Functions() = it->second->Functions();
    r = reader.ReadXScriptText("<macros>", std::string("script{") + text + " }", 1, 0);
    if (r && reader.Script())
      for (CKvoObject* o : reader.Script()->Objects())
        if (o->TypeCode() == SGT_ANIMATION) animations.push_back(o);
  }
  ScrSetCurrentStream(outer);
  ScrSetCurrentReader(outerReader);
  return r;
}

namespace {

void CopyValue(CSgVariable* to, const CSgVariable* from) {
  if (to->VarType() == SGVT_STRING) to->SetString(from->GetString());
  else to->SetDouble(from->GetDouble());
}

double Step(const CSgVariable* v) {
  int t = v->VarType();
  return (t == SGVT_INT || t == SGVT_LONG || t == SGVT_BYTE || t == SGVT_BOOL) ? 1.0 : 0.001;
}

// Changes the variables of a condition tree so that it holds (or fails). The tree's depth was
// bounded when it was compiled.
void Force(ScrExprNode* n, bool makeTrue, std::mt19937& rng) {
  if (!n || !n->left || !n->right) return;
  CSgVariable* l = n->left->result;
  CSgVariable* r = n->right->result;
  bool pickLeft = (rng() & 1) != 0;
  switch (n->kind) {
    case '&':
      if (makeTrue) {
        Force(n->left.get(), true, rng);
        Force(n->right.get(), true, rng);
      } else {
        Force(pickLeft ? n->left.get() : n->right.get(), false, rng);
      }
      return;
    case '|':
      if (makeTrue) {
        Force(pickLeft ? n->left.get() : n->right.get(), true, rng);
      } else {
        Force(n->left.get(), false, rng);
        Force(n->right.get(), false, rng);
      }
      return;
    default: break;
  }
  if (!l || !r) return;
  switch (n->kind) {
    case 'e':
      if (makeTrue) CopyValue(l, r);
      else if (l->GetDouble() == r->GetDouble()) l->SetDouble(l->GetDouble() - Step(l));
      break;
    case '<':
    case 'l':
      CopyValue(l, r);
      l->SetDouble(l->GetDouble() + (makeTrue ? -Step(l) : Step(l)));
      break;
    case '>':
    case 'g':
      CopyValue(l, r);
      l->SetDouble(l->GetDouble() + (makeTrue ? Step(l) : -Step(l)));
      break;
    default: break;
  }
}

}  // namespace

int ScrMakeConditionsTrueOrFalse(const char* text, CSgView* view, int bMakeTrue) {
  if (!text || !view || !view->MainModule()) return 1;
  CSgModule* module = view->MainModule();
  NestedRead nr("", module, nullptr);
  ScrCompileContext c{nr.Reader(), nullptr, nullptr, module, 0};
  module->StartRecordTempVariable();
  auto tree = ScrCompileExpression(c, text);
  std::mt19937 rng(static_cast<unsigned>(SgTickCount()));
  if (tree) Force(tree.get(), bMakeTrue != 0, rng);
  module->ReleaseRecordedTempVariables();
  return 1;
}
