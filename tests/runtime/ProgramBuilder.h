// Builds programs by hand in the shapes the program compiler produces, for the VM's tests
// and benchmark.
#pragma once

#include <initializer_list>
#include <list>
#include <memory>

#include "sg/Action.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"
#include "sg/Vm.h"

struct ProgramBuilder {
  CSgModule module;
  CSgProgram* prog;  // registered with the module

  ProgramBuilder() : prog(new CSgProgram(&module, "main")) { module.AddUserProgram(prog); }

  // A variable of program p (default: the main program) with a type and an integer value.
  CSgVariable* Var(const char* name, int type, long long value = 0, CSgProgram* p = nullptr) {
    auto* v = new CSgVariable(SGT_VARIABLE, name);
    v->SetVarType(type, 0);
    if (type != SGVT_NONE && !(type & SGVT_ARRAY)) v->SetLong(value);
    (p ? p : prog)->AddVariable(v);
    return v;
  }
  CSgVariable* Int(const char* name, long long value = 0, CSgProgram* p = nullptr) { return Var(name, SGVT_INT, value, p); }
  CSgVariable* Array(const char* name, int elemType, int n, CSgProgram* p = nullptr) {
    CSgVariable* a = Var(name, elemType | SGVT_ARRAY, 0, p);
    a->SetVarType(elemType | SGVT_ARRAY, n);
    for (int i = 0; i < n; ++i) a->Element(i)->SetVarType(elemType, 0);
    return a;
  }

  static ActPrm* Act(int type, std::initializer_list<CSgVariable*> vars) {
    auto* a = new ActPrm(type);
    int i = 0;
    for (CSgVariable* v : vars) a->SetVariable(i++, v);
    return a;
  }

  // An instruction of p holding the actions (the list is freed here, as the compiler does).
  CSgInstruction* Instr(std::list<ActPrm*> acts = {}, CSgProgram* p = nullptr) {
    auto* in = new CSgInstruction(p ? p : prog);
    in->AddAction(acts);
    SgFreeActions(acts);
    return in;
  }

  // A condition whose actions end by assigning `value` to the module's judge variable.
  CSgConditions* Cond(std::list<ActPrm*> acts, CSgVariable* value) {
    auto* c = new CSgConditions(&module);
    CSgVariable* judge = module.FirstJudgeVariable();
    if (!judge) {
      judge = new CSgVariable(SGT_VARIABLE, "JUDGEVAR_0");
      module.AddJudgeVariable(judge);
    }
    acts.push_back(Act(ACT_ASSIGN, {judge, value}));
    c->AddActions(acts);
    c->SetJudgeVariable(judge);
    SgFreeActions(acts);
    return c;
  }
  // a <op> b into a fresh bool temporary, as a condition.
  CSgConditions* Compare(int op, CSgVariable* a, CSgVariable* b, CSgProgram* p = nullptr) {
    CSgVariable* t = Var("", SGVT_BOOL, 0, p);
    return Cond({Act(op, {t, a, b})}, t);
  }

  // Links instructions into a chain and returns its head.
  static CSgInstruction* Chain(std::initializer_list<CSgInstruction*> in) {
    CSgInstruction* head = nullptr;
    CSgInstruction* last = nullptr;
    for (CSgInstruction* i : in) {
      if (last) last->SetNext(i);
      else head = i;
      last = i;
    }
    return head;
  }

  // while (cond) body: W -> L (loop head), the body's last instruction closes the loop.
  CSgInstruction* While(CSgConditions* cond, CSgInstruction* body, CSgProgram* p = nullptr) {
    CSgInstruction* w = Instr({}, p);
    CSgInstruction* l = Instr({}, p);
    l->m_loopHead = 1;
    l->SetBranch(cond, body, nullptr);
    CSgInstruction* end = body->Last();
    end->m_loopEnd = 1;
    end->SetNext(nullptr);
    w->SetBranch(nullptr, l, nullptr);
    return w;
  }

  // A program's chain: a head, the statements and a final empty instruction.
  void Body(CSgProgram* p, std::initializer_list<CSgInstruction*> statements) {
    CSgInstruction* head = Instr({}, p);
    CSgInstruction* last = head;
    for (CSgInstruction* s : statements) {
      last->SetNext(s);
      last = s->Last();
    }
    last->SetNext(Instr({}, p));
    p->SetInstruction(head);
    p->AddRefForVariables();
  }
};
