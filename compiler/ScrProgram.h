// The block readers of code: CScrProgram compiles `{ statements }` into a runtime program;
// CScrIf, CScrFor and CScrSwitch read the head and body of one statement for it.
//
// A program is a chain of instructions. Each instruction carries actions (the compiled
// expressions), and may carry a branch (conditions, a chain to run when they hold and one when
// they do not), a sub-program to run, and marks: the loop head repeats its branch while its
// conditions hold, the loop end (the last instruction of a body) returns to the loop head, and a
// break leaves the innermost loop.
#pragma once

#include <string>

#include "compiler/ScrCompiler.h"
#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"

class CSgInstruction;

// The base of every block reader of code.
class CScrProg : public CScrObject {
 public:
  CScrProg(CScriptReader* reader, CSgProgram* owner) : CScrObject(reader), m_owner(owner) {}
  void SetDebug(int on) { m_debug = on; }

 protected:
  int m_debug = 1;
  CSgProgram* m_owner;  // the program the results go into (may be null at top level)
};

class SCR_API CScrProgram : public CScrProg {
 public:
  // Makes the program in the module of the animation being read, else in the current module;
  // `owner` becomes its father.
  CScrProgram(CScriptReader* reader, CSgProgram* owner);
  ~CScrProgram() override;

  int Read(CScrStream* f) override;

  // The compiled program (not owned by the reader object: whoever takes it owns it).
  CSgProgram* Program() const { return m_program; }
  // Compile into `program` instead (a function or class to fill); the program made by the
  // constructor is deleted.
  void SetProgram(CSgProgram* program);

 private:
  int ReadStatements(CScrStream* f);
  CSgInstruction* Append(CSgInstruction* ins);
  CSgInstruction* NewInstruction();
  int Statement(CScrStream* f, const std::string& tok);
  int LocalDeclaration(CScrStream* f, const std::string& tok, bool forClause);
  int FunctionDefinition(CScrStream* f, const std::string& tok);
  int ReadIf(CScrStream* f);
  int ReadElse(CScrStream* f, bool elseif);
  int ReadWhile(CScrStream* f);
  int ReadFor(CScrStream* f);
  int ReadSwitch(CScrStream* f);
  void AppendLoop(CSgConditions* cond, CSgInstruction* body);
  int ReadAsyn(CScrStream* f, const std::string& tok);
  int ReadCompleted(CScrStream* f);
  int ReadId(CScrStream* f);
  void Debug(CSgInstruction* ins, const std::string& text);

  CSgProgram* m_program = nullptr;
  bool m_ownsProgram = true;       // made here and not yet handed over
  CSgInstruction* m_last = nullptr;
  CSgInstruction* m_ifLast = nullptr;  // the pending if-chain's last instruction
  std::string m_ids;
  std::string m_className;
};

// Compiles one statement (also a for-clause) into a new instruction of `program`; null after a
// reported error. `forClause` rejects `return`.
CSgInstruction* ScrCompileStatement(CScriptReader* reader, CScrStream* f, CSgProgram* program,
                                    const std::string& text, bool forClause);

// Compiles a local declaration into `program`: its variables are added to the program and the
// initial values become one instruction (*ins, null when there are none). A for-clause accepts
// only the basic types. Returns 0 after a reported error (the declaration is dropped).
int ScrCompileLocalDeclaration(CScriptReader* reader, CScrStream* f, CSgProgram* program,
                               const std::string& text, bool forClause, CSgInstruction** ins);

// Compiles `type name(parameters) [{ body }]` met inside `owner` (a program or a class whose
// name is `className`) into a function of the owner. Returns 0 when the enclosing block must
// fail. A header without a return type is reported with `noType`: inside programs and classes
// the function "defines no return type", at script level it "has no return value".
int ScrCompileFunctionDefinition(CScriptReader* reader, CScrStream* f, CSgProgram* owner,
                                 const std::string& token, const std::string& className,
                                 ScrTextId noType = ScrTextId::err_function_no_return_type);

// Reads `( condition ) { body }` for if, elseif and while.
class CScrIf : public CScrProg {
 public:
  using CScrProg::CScrProg;
  ~CScrIf() override;
  int Read(CScrStream* f) override;
  CSgInstruction* m_first = nullptr;   // the body's first instruction
  CSgConditions* m_cond = nullptr;     // taken by the caller
  ScrActionList m_actions;
};

// Reads `( init ; condition ; step ) { body }`.
class CScrFor : public CScrProg {
 public:
  using CScrProg::CScrProg;
  ~CScrFor() override;
  int Read(CScrStream* f) override;
  CSgInstruction* m_init = nullptr;
  CSgInstruction* m_step = nullptr;
  CSgInstruction* m_first = nullptr;
  CSgConditions* m_cond = nullptr;
  ScrActionList m_actions;
};

// Reads `( expression ) { case v: {...} break ... default: {...} }`.
class CScrSwitch : public CScrProg {
 public:
  using CScrProg::CScrProg;
  ~CScrSwitch() override;
  int Read(CScrStream* f) override;
  CSgInstruction* m_first = nullptr;   // the case chain
  ScrActionList m_actions;
};
