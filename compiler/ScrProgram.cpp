// Program blocks and statements: `{ statements }` compiled into a chain of instructions.
//
// Each statement is one token of the token reader. Plain statements (assignments, calls,
// return) become one instruction carrying their actions; if/elseif/else, while, for and switch
// become branches and loops built from instructions with marks (compiler/ScrProgram.h). Bodies
// are read by nested CScrProgram readers and either merged into the enclosing program or kept as
// sub-programs when a local name would clash.
#include "compiler/ScrProgram.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "compiler/ScrCompile.h"
#include "compiler/ScrFunction.h"
#include "compiler/ScrStrings.h"
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

// The last instruction of the chain that starts at `i`.
CSgInstruction* LastOf(CSgInstruction* i) { return i ? i->Last() : nullptr; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// CScrProgram

CScrProgram::CScrProgram(CScriptReader* reader, CSgProgram* owner) : CScrProg(reader, owner) {
  CSgModule* module = reader->CurrentModule();
  m_program = new CSgProgram(module);
  m_program->SetFatherProgram(owner);
}

CScrProgram::~CScrProgram() = default;

void CScrProgram::SetProgram(CSgProgram* program) {
  if (m_ownsProgram) delete m_program;
  m_program = program;
  m_ownsProgram = false;
}

CSgInstruction* CScrProgram::NewInstruction() { return new CSgInstruction(m_program); }

CSgInstruction* CScrProgram::Append(CSgInstruction* ins) {
  m_last->SetNext(ins);
  m_last = LastOf(ins);
  return ins;
}

void CScrProgram::Debug(CSgInstruction* ins, const std::string& text) {
  if (m_debug && ins) ins->SetDebugCode((ScriptReader()->StepIndent() + text).c_str());
}

// block: [{] statement* }
int CScrProgram::Read(CScrStream* f) {
  CScriptReader* reader = ScriptReader();
  if (!reader->EnterBlock(f)) {
    SkipBlock(f);
    return 0;
  }
  reader->StepInto();
  int r = ReadStatements(f);
  reader->StepOut();
  reader->LeaveBlock();
  return r;
}

int CScrProgram::ReadStatements(CScrStream* f) {
  OpenBrace(f);
  m_last = NewInstruction();
  m_program->SetInstruction(m_last);
  m_ifLast = nullptr;
  m_ids.clear();
  m_className = m_program->GetClassNameA();

  std::string tok;
  for (;;) {
    int kw = ScrReadKeyword(f, tok);
    if (!kw && tok.empty() && ScrInputEnded(f)) {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
    if (tok == "}") break;
    if (tok == "break") {
      CSgInstruction* b = Append(NewInstruction());
      b->SetBreak(1);
      Debug(b, "break");
      m_ifLast = nullptr;
      continue;
    }
    if ((ScrIsStatement(tok.c_str()) || ScrIsCallShaped(tok.c_str())) && tok != "if") {
      if (!Statement(f, tok)) return 0;
      continue;
    }
    int ok = 1;
    if (tok == "if") ok = ReadIf(f);
    else if (tok == "else") ok = ReadElse(f, false);
    else if (tok == "elseif") ok = ReadElse(f, true);
    else if (tok == "while") ok = ReadWhile(f);
    else if (tok == "for") ok = ReadFor(f);
    else if (tok == "switch") ok = ReadSwitch(f);
    else if (tok == "asyn" || StartsWith(tok, "asyn(")) ok = ReadAsyn(f, tok);
    else if (tok == "completed") ok = ReadCompleted(f);
    else if (tok == "id") ok = ReadId(f);
    else {
      ReportInvalidKeyword(f, tok.c_str());
      SkipBlock(f);
    }
    if (!ok) return 0;
  }
  m_program->SetIdsString(m_ids.c_str());
  Append(NewInstruction());
  m_program->AddRefForVariables();
  return 1;
}

// A statement, a local declaration or a nested function definition.
int CScrProgram::Statement(CScrStream* f, const std::string& tok) {
  if (ScrIsLocalDeclaration(tok)) {
    m_ifLast = nullptr;
    LocalDeclaration(f, tok, false);  // a failed declaration is reported and dropped
    return 1;
  }
  const size_t paren = tok.find('(');
  std::string before = tok.substr(0, paren == std::string::npos ? 0 : paren);
  ScrTrimString(before);
  const bool ctor = !m_className.empty() && paren != std::string::npos && before == m_className;
  if (ctor || (paren != std::string::npos && tok[0] != '(' && ScrStartsWithFunctionType(tok)))
    return FunctionDefinition(f, tok);

  CSgInstruction* ins = ScrCompileStatement(ScriptReader(), f, m_program, tok, false);
  if (!ins) {
    Report(ScrTextId::err_program_instruction, f, {tok});
    return 0;
  }
  Append(ins);
  Debug(ins, tok);
  m_ifLast = nullptr;
  return 1;
}

// if ( condition ) { body }
int CScrProgram::ReadIf(CScrStream* f) {
  CScrIf head(ScriptReader(), m_program);
  head.SetDebug(m_debug);
  if (!head.Read(f)) return 0;
  CSgInstruction* i = Append(NewInstruction());
  i->SetBranch(head.m_cond, head.m_first, nullptr);
  head.m_cond = nullptr;
  m_ifLast = i;
  return 1;
}

// else { body }  |  elseif ( condition ) { body }
int CScrProgram::ReadElse(CScrStream* f, bool elseif) {
  if (!m_ifLast) {
    Report(ScrTextId::err_if_else_mismatch, f, {ScrGetCurKeyWord()});
    return 0;
  }
  if (!elseif) {
    CScrProgram body(ScriptReader(), m_program);
    body.SetDebug(m_debug);
    if (!body.Read(f)) {
      delete body.m_program;
      return 0;
    }
    CSgInstruction* e = NewInstruction();
    e->SetSubProgram(body.m_program);
    m_ifLast->SetBranchUnsati(e);
    m_program->AddUserProgram(body.m_program);
    m_ifLast = nullptr;
    return 1;
  }
  CScrIf head(ScriptReader(), m_program);
  head.SetDebug(m_debug);
  if (!head.Read(f)) return 0;
  CSgInstruction* ei = NewInstruction();
  m_ifLast->SetBranchUnsati(ei);
  ei->TakeContinuation(m_ifLast);
  ei->SetBranch(head.m_cond, head.m_first, nullptr);
  head.m_cond = nullptr;
  m_ifLast = ei;
  return 1;
}

// while ( condition ) { body }: W -> L, L repeats the body while the condition holds.
int CScrProgram::ReadWhile(CScrStream* f) {
  CScrIf head(ScriptReader(), m_program);
  head.SetDebug(m_debug);
  if (!head.Read(f)) return 0;
  AppendLoop(head.m_cond, head.m_first);
  head.m_cond = nullptr;
  return 1;
}

// for ( init ; condition ; step ) { body }
int CScrProgram::ReadFor(CScrStream* f) {
  CScrFor head(ScriptReader(), m_program);
  head.SetDebug(m_debug);
  if (!head.Read(f)) return 0;
  // The whole initialisation runs before the loop is entered: the branch into the loop is taken
  // by an instruction after the last piece.
  Append(head.m_init);
  AppendLoop(head.m_cond, head.m_first);
  head.m_cond = nullptr;
  return 1;
}

// switch ( expression ) { cases }: a loop of one pass that the closing break leaves.
int CScrProgram::ReadSwitch(CScrStream* f) {
  CScrSwitch head(ScriptReader(), m_program);
  head.SetDebug(m_debug);
  if (!head.Read(f)) return 0;
  // The loop's conditions are empty, so always hold: only the break leaves it.
  AppendLoop(new CSgConditions(m_program->Module()), head.m_first);
  return 1;
}

// The shape every loop compiles to: an instruction W on the chain branches to a loop head L that
// repeats `body` while `cond` holds (taking `cond`); the body's last instruction carries the
// loop-end mark and no next, so control goes back to L.
void CScrProgram::AppendLoop(CSgConditions* cond, CSgInstruction* body) {
  CSgInstruction* w = Append(NewInstruction());
  CSgInstruction* loop = NewInstruction();
  loop->SetLoopHead(1);
  loop->SetBranch(cond, body, nullptr);
  w->SetBranch(nullptr, loop, nullptr);
  CSgInstruction* end = LastOf(body);
  end->SetLoopEnd(1);
  end->SetNext(nullptr);
  m_ifLast = nullptr;
}

// asyn { body }  |  asyn(a, b) { body }: the body runs on its own; the names are its locals.
int CScrProgram::ReadAsyn(CScrStream* f, const std::string& tok) {
  CScrProgram body(ScriptReader(), m_program);
  body.SetDebug(m_debug);
  if (!body.Read(f)) {
    delete body.m_program;
    return 0;
  }
  CSgProgram* p = body.m_program;
  if (StartsWith(tok, "asyn(")) {
    std::string names = tok.substr(5, tok.rfind(')') == std::string::npos ? std::string::npos : tok.rfind(')') - 5);
    size_t start = 0;
    while (start <= names.size()) {
      size_t comma = names.find(',', start);
      std::string n = names.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      ScrTrimString(n);
      if (!n.empty()) {
        CSgVariable* v = new CSgVariable();
        v->SetName(n.c_str());
        p->AddVariable(v);
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  m_program->AddUserProgram(p);
  // The body ends by posting the newest message identifier: that is how the host learns
  // that the block it started has finished.
  const std::string done = "postCommand(" + std::to_string(CSgMsg::m_maxID) + ", 0)";
  if (CSgProgram* post = ScrReadProgramFromString(done.c_str(), p->Module(), ScriptReader())) {
    p->AddUserProgram(post);
    CSgInstruction* call = new CSgInstruction(p);
    call->SetSubProgram(post);
    if (CSgInstruction* last = LastOf(p->Instruction())) last->SetNext(call);
    else p->SetInstruction(call);
    p->AddRefForVariables();
  }
  p->SetAsynchronous(1);
  CSgInstruction* ins = Append(NewInstruction());
  ins->SetSubProgram(p);
  Debug(ins, "asyn");
  m_ifLast = nullptr;
  return 1;
}

// completed { body }: the program run when this one has finished.
int CScrProgram::ReadCompleted(CScrStream* f) {
  CScrProgram body(ScriptReader(), m_program);
  body.SetDebug(m_debug);
  if (!body.Read(f)) {
    delete body.m_program;
    return 0;
  }
  body.m_program->SetName("completed", 1);
  m_program->AddUserProgram(body.m_program);
  return 1;
}

// id [{] text [}]
int CScrProgram::ReadId(CScrStream* f) {
  ReadValueString(f, m_ids);
  if (m_ids.size() > static_cast<size_t>(SCR_NAME_MAX)) m_ids.resize(SCR_NAME_MAX);
  ScriptReader()->SetNotificationTitle(m_ids.c_str());
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Local declarations: [interface] type name[dims] [= value | = { values }]

int CScrProgram::LocalDeclaration(CScrStream* f, const std::string& tok, bool forClause) {
  (void)forClause;
  CSgInstruction* ins = nullptr;
  int r = ScrCompileLocalDeclaration(ScriptReader(), f, m_program, tok, false, &ins);
  if (ins) {
    Append(ins);
    Debug(ins, tok);
  }
  return r;
}

// ---------------------------------------------------------------------------------------------
// Nested function definitions

int CScrProgram::FunctionDefinition(CScrStream* f, const std::string& tok) {
  return ScrCompileFunctionDefinition(ScriptReader(), f, m_program, tok, m_className);
}
