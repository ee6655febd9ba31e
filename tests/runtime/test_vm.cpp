// The VM on programs built by hand in the shapes the program compiler builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramBuilder.h"

namespace {

using P = ProgramBuilder;

// A function of `owner` with typed parameters and, unless retType is "void", a return
// variable living in the owner (as the compiler does).
CSgFunction* Fn(P& b, CSgProgram* owner, const char* name, const char* retType,
                std::vector<std::pair<const char*, const char*>> params = {}) {
  auto* f = new CSgFunction(&b.module, name);
  f->SetOwnerProgram(owner);
  for (auto& [pname, ptype] : params) f->AddParameter(pname, ptype);
  if (std::string(retType) != "void") {
    auto* r = new CSgVariable(SGT_VARIABLE, name);
    r->SetVarType(SgVarTypeFromText(retType), 0);
    owner->AddVariable(r);
    f->SetReturnVariable(r);
  }
  owner->AddFunction(f);
  return f;
}

// A call stub of `in` calling callee with the argument variables (and the argument
// actions, which the stub's own first instruction runs).
CSgFunction* Stub(P& b, CSgProgram* in, CSgFunction* callee, std::vector<CSgVariable*> args,
                  std::list<ActPrm*> argActions = {}) {
  auto* s = new CSgFunction(&b.module, (std::string(callee->Name()) + "@" + std::to_string(b.module.NextObjectIndex())).c_str());
  in->AddFunction(s);
  s->SetReferenceProgram(callee, callee->Name());
  for (CSgVariable* a : args) s->AddParameter(a);
  if (!argActions.empty()) s->SetInstruction(b.Instr(argActions, s));
  if (callee->ReturnVariable()) {
    auto* r = new CSgVariable(SGT_VARIABLE, "");
    r->SetVarType(callee->ReturnVariable()->VarType(), 0);
    in->AddVariable(r);
    s->SetReturnVariable(r);
  }
  return s;
}

ActPrm* Call(CSgFunction* stub) {
  auto* a = new ActPrm(ACT_CALL);
  a->SetDword(stub);
  return a;
}

ActPrm* Text(int type, CSgVariable* v0, const char* text) {
  auto* a = new ActPrm(type);
  a->SetVariable(0, v0);
  a->SetString(text);
  return a;
}

ActPrm* Short(CSgVariable* result, CSgVariable* left, int mode, int skip) {
  ActPrm* a = P::Act(ACT_SHORTCIRCUIT, {result, left});
  a->SetInt(mode);
  a->AddFlags(ACTF_SHORTCIRCUIT | ACTF_SKIPSET);
  a->SetSkipCount(skip);
  return a;
}

CSgVariable* Str(P& b, const char* name, const char* text, CSgProgram* p = nullptr) {
  CSgVariable* v = b.Var(name, SGVT_STRING, 0, p);
  v->SetString(text);
  return v;
}

}  // namespace

TEST(Vm, OperatorsComputeInTheCommonType) {
  struct Row {
    int op;
    int ta;
    const char* a;
    int tb;
    const char* b;
    const char* expect;  // the result's text, or "" when the run must fail with `error`
    int error;
  };
  const int I = SGVT_INT, L = SGVT_LONG, F = SGVT_FLOAT, D = SGVT_DOUBLE, S = SGVT_STRING;
  const std::vector<Row> rows = {
      {ACT_ADD, I, "2", I, "3", "5", 0},
      {ACT_ADD, I, "2147483647", I, "1", "2147483647", 0},  // int saturates
      {ACT_ADD, L, "2147483647", I, "1", "2147483648", 0},  // long is wider
      {ACT_SUB, I, "2", I, "5", "-3", 0},
      {ACT_MUL, I, "-4", I, "6", "-24", 0},
      {ACT_DIV, I, "7", I, "2", "3", 0},  // integer division
      {ACT_DIV, I, "-7", I, "2", "-3", 0},
      {ACT_MOD, I, "-7", I, "3", "-1", 0},
      {ACT_DIV, L, "-9223372036854775808", L, "-1", "-9223372036854775808", 0},  // no trap
      {ACT_DIV, F, "7", I, "2", "3.5", 0},
      {ACT_MUL, D, "0.5", I, "3", "1.5", 0},
      {ACT_ADD, S, "ab", I, "12", "ab12", 0},  // strings concatenate
      {ACT_DIV, I, "1", I, "0", "", SGE_DIVIDE_BY_ZERO},
      {ACT_MOD, L, "1", I, "0", "", SGE_DIVIDE_BY_ZERO},
      {ACT_LT, S, "abc", S, "abd", "1", 0},  // strings compare as text
      {ACT_GT, S, "10", S, "9", "0", 0},
      {ACT_GE, I, "2", I, "2", "1", 0},
      {ACT_LE, F, "1.5", I, "1", "0", 0},
      {ACT_EQ, D, "0.25", F, "0.25", "1", 0},
      {ACT_NE, I, "3", I, "3", "0", 0},
      {ACT_AND, I, "1", S, "x", "1", 0},
      {ACT_OR, I, "0", S, "", "0", 0},
      {ACT_NOT, I, "0", I, "0", "1", 0},  // !b
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(SgActionTypeName(r.op)) + " " + r.a + " " + r.b);
    P b;
    CSgVariable* x = b.Var("x", r.ta);
    x->SetString(r.a);
    CSgVariable* y = b.Var("y", r.tb);
    y->SetString(r.b);
    CSgVariable* res = b.Var("r", SGVT_NONE);
    b.Body(b.prog, {b.Instr({P::Act(r.op, {res, x, y})})});
    CSgVm vm;
    int st = vm.Run(b.prog);
    if (r.error) {
      EXPECT_EQ(st, SG_RUN_ERROR);
      EXPECT_EQ(vm.Error().code, r.error);
      EXPECT_EQ(vm.Error().program, "main");
    } else {
      ASSERT_EQ(st, SG_RUN_OK) << vm.Error().text;
      EXPECT_STREQ(res->GetString(), r.expect);
    }
  }
}

TEST(Vm, AssignmentsIndexesAndReferences) {
  P b;
  CSgVariable* arr = b.Array("a", SGVT_INT, 3);
  CSgVariable* i = b.Int("i", 2);
  CSgVariable* e = b.Var("e", SGVT_INT);
  CSgVariable* seven = b.Int("", 7);
  CSgVariable* f = b.Var("f", SGVT_FLOAT);
  CSgVariable* g = b.Var("g", SGVT_NONE);
  CSgVariable* res = b.Var("res", SGVT_INT);
  CSgVariable* copy = b.Var("copy", SGVT_NONE);
  // a[i] = 7; f = a[i] (the int converts); res = (g = f); copy = a (a deep copy)
  b.Body(b.prog, {b.Instr({P::Act(ACT_INDEX, {e, arr, i}), P::Act(ACT_ASSIGN, {e, seven}),
                           P::Act(ACT_ASSIGN, {f, e}), P::Act(ACT_ASSIGN, {res, g, f}),
                           P::Act(ACT_INDEX, {copy, arr})})});
  CSgVm vm;
  ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
  EXPECT_EQ(arr->Element(2)->GetInt(), 7);
  EXPECT_FLOAT_EQ(f->GetFloat(), 7.0f);
  EXPECT_EQ(g->VarType(), SGVT_FLOAT);  // an untyped variable takes the source's type
  EXPECT_EQ(res->GetInt(), 7);
  ASSERT_TRUE(copy->IsArray());
  arr->Element(2)->SetInt(1);
  EXPECT_EQ(copy->Element(2)->GetInt(), 7);

  // Indexes out of range, of a scalar, and of a text.
  struct Row {
    CSgVariable* target;
    long long index;
    int error;
  } rows[] = {{arr, 3, SGE_INDEX_RANGE}, {arr, -1, SGE_INDEX_RANGE}, {seven, 0, SGE_NOT_ARRAY}};
  for (const Row& r : rows) {
    P c;
    CSgVariable* idx = c.Int("i", r.index);
    CSgVariable* out = c.Var("o", SGVT_INT);
    c.Body(c.prog, {c.Instr({P::Act(ACT_INDEX, {out, r.target, idx})})});
    CSgVm v2;
    EXPECT_EQ(v2.Run(c.prog), SG_RUN_ERROR);
    EXPECT_EQ(v2.Error().code, r.error) << r.index;
  }
  P c;
  CSgVariable* text = Str(c, "t", "hey");
  CSgVariable* one = c.Int("", 1);
  CSgVariable* ch = c.Var("ch", SGVT_STRING);
  c.Body(c.prog, {c.Instr({P::Act(ACT_INDEX, {ch, text, one})})});
  EXPECT_EQ(c.prog->Execute(), SG_RUN_OK);
  EXPECT_STREQ(ch->GetString(), "e");
}

// if (x == 1) y = 10; elseif (x == 2) y = 20; else { y = 30 } (the else body a program of
// its own), then z = y + 1 after the whole chain.
TEST(Vm, IfElseifElseChain) {
  for (int x : {1, 2, 3}) {
    P b;
    CSgVariable* vx = b.Int("x", x);
    CSgVariable* y = b.Int("y");
    CSgVariable* z = b.Int("z");
    CSgVariable* one = b.Int("", 1);
    CSgVariable* two = b.Int("", 2);
    CSgVariable* elseBody = nullptr;
    auto* elseProg = new CSgProgram(&b.module, "else");
    b.prog->AddUserProgram(elseProg);
    elseBody = b.Int("", 30, elseProg);
    b.Body(elseProg, {b.Instr({P::Act(ACT_ASSIGN, {y, elseBody})}, elseProg)});
    CSgInstruction* e = b.Instr();
    e->SetSubProgram(elseProg);
    CSgInstruction* ei = b.Instr();
    ei->SetBranch(b.Compare(ACT_EQ, vx, two), b.Instr({P::Act(ACT_ASSIGN, {y, b.Int("", 20)})}), e);
    CSgInstruction* in = b.Instr();
    in->SetBranch(b.Compare(ACT_EQ, vx, one), b.Instr({P::Act(ACT_ASSIGN, {y, b.Int("", 10)})}), ei);
    ei->TakeContinuation(in);
    CSgVariable* t = b.Int("");
    b.Body(b.prog, {in, b.Instr({P::Act(ACT_ADD, {t, y, one}), P::Act(ACT_ASSIGN, {z, t})})});
    ASSERT_EQ(b.prog->Execute(), SG_RUN_OK);
    EXPECT_EQ(y->GetInt(), 10 * x) << x;
    EXPECT_EQ(z->GetInt(), 10 * x + 1) << x;
  }
}

// while (i < n) { s = s + i; i = i + 1; } and for (i = 0; i < n; i = i + 1) s = s + i;
TEST(Vm, WhileAndForLoops) {
  for (int n : {0, 1, 10}) {
    for (bool isFor : {false, true}) {
      P b;
      CSgVariable* i = b.Int("i", isFor ? 99 : 0);
      CSgVariable* s = b.Int("s");
      CSgVariable* vn = b.Int("n", n);
      CSgVariable* one = b.Int("", 1);
      CSgVariable* t1 = b.Int("");
      CSgVariable* t2 = b.Int("");
      CSgInstruction* body = b.Instr({P::Act(ACT_ADD, {t1, s, i}), P::Act(ACT_ASSIGN, {s, t1})});
      CSgInstruction* step = b.Instr({P::Act(ACT_ADD, {t2, i, one}), P::Act(ACT_ASSIGN, {i, t2})});
      body->SetNext(step);
      CSgInstruction* loop;
      if (isFor) {
        loop = b.Instr({P::Act(ACT_ASSIGN, {i, b.Int("", 0)})});  // the initialisation
        CSgInstruction* head = b.Instr();
        head->m_loopHead = 1;
        head->SetBranch(b.Compare(ACT_LT, i, vn), body, nullptr);
        step->m_loopEnd = 1;
        loop->SetBranch(nullptr, head, nullptr);
      } else {
        loop = b.While(b.Compare(ACT_LT, i, vn), body);
      }
      b.Body(b.prog, {loop});
      ASSERT_EQ(b.prog->Execute(), SG_RUN_OK);
      EXPECT_EQ(s->GetInt(), n * (n - 1) / 2) << n << (isFor ? " for" : " while");
      EXPECT_EQ(i->GetInt(), n);
    }
  }
}

// switch (x) { case 1: y = 1; break; case 2: y = 2; default: y = 99; }: a case without
// break goes on testing the cases after it, and the default runs whenever it is reached.
TEST(Vm, SwitchWithCasesDefaultAndBreak) {
  struct Row {
    int x, y;
  } rows[] = {{1, 1}, {2, 99}, {5, 99}};
  for (const Row& r : rows) {
    P b;
    CSgVariable* x = b.Int("x", r.x);
    CSgVariable* y = b.Int("y");
    auto caseBody = [&](int value) {
      auto* p = new CSgProgram(&b.module, "case");
      b.prog->AddUserProgram(p);
      b.Body(p, {b.Instr({P::Act(ACT_ASSIGN, {y, b.Int("", value, p)})}, p)});
      CSgInstruction* s = b.Instr();
      s->SetSubProgram(p);
      return s;
    };
    CSgInstruction* s1 = caseBody(1);
    CSgInstruction* brk = b.Instr();
    brk->m_break = 1;
    s1->SetNext(brk);
    CSgInstruction* k1 = b.Instr();
    k1->SetBranch(b.Compare(ACT_EQ, x, b.Int("", 1)), s1, nullptr);
    CSgInstruction* k2 = b.Instr();
    k2->SetBranch(b.Compare(ACT_EQ, x, b.Int("", 2)), caseBody(2), nullptr);
    CSgInstruction* def = caseBody(99);
    CSgInstruction* closing = b.Instr();
    closing->m_break = 1;
    closing->m_loopEnd = 1;
    P::Chain({k1, k2, def, closing});
    CSgInstruction* w = b.Instr();
    CSgInstruction* l = b.Instr();
    l->m_loopHead = 1;
    l->SetBranch(new CSgConditions(&b.module), k1, nullptr);
    w->SetBranch(nullptr, l, nullptr);
    b.Body(b.prog, {w});
    CSgVm vm;
    ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
    EXPECT_EQ(y->GetInt(), r.y) << r.x;
  }
}

// for i < 3 { j = 0; while (j < 10) { if (j == 2) break; n = n + 1; j = j + 1 } } counts 6;
// the break also leaves the loop from a body that is a program of its own.
TEST(Vm, BreakLeavesTheInnermostLoop) {
  for (bool ownProgram : {false, true}) {
    P b;
    CSgVariable* i = b.Int("i");
    CSgVariable* j = b.Int("j");
    CSgVariable* n = b.Int("n");
    CSgVariable* one = b.Int("", 1);
    CSgVariable* t = b.Int("");
    CSgInstruction* brk;
    if (ownProgram) {
      auto* p = new CSgProgram(&b.module, "ifbody");
      b.prog->AddUserProgram(p);
      CSgInstruction* inner = b.Instr({}, p);
      inner->m_break = 1;
      b.Body(p, {inner});
      brk = b.Instr();
      brk->SetSubProgram(p);
    } else {
      brk = b.Instr();
      brk->m_break = 1;
    }
    CSgInstruction* test = b.Instr();
    test->SetBranch(b.Compare(ACT_EQ, j, b.Int("", 2)), brk, nullptr);
    CSgInstruction* innerBody = P::Chain({test, b.Instr({P::Act(ACT_ADD, {t, n, one}), P::Act(ACT_ASSIGN, {n, t})}),
                                          b.Instr({P::Act(ACT_ADD, {t, j, one}), P::Act(ACT_ASSIGN, {j, t})})});
    CSgInstruction* outerBody =
        P::Chain({b.Instr({P::Act(ACT_ASSIGN, {j, b.Int("", 0)})}), b.While(b.Compare(ACT_LT, j, b.Int("", 10)), innerBody),
                  b.Instr({P::Act(ACT_ADD, {t, i, one}), P::Act(ACT_ASSIGN, {i, t})})});
    b.Body(b.prog, {b.While(b.Compare(ACT_LT, i, b.Int("", 3)), outerBody)});
    CSgVm vm;
    ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
    EXPECT_EQ(n->GetInt(), 6) << ownProgram;
    EXPECT_EQ(i->GetInt(), 3);
  }
}

// r = a && f() and r = a || f(): the 3500 action skips the right operand's actions (its
// skip count) and the 507/508 action after them when the left operand decides.
TEST(Vm, ShortCircuitSkipsTheRightOperand) {
  struct Row {
    int mode, left, calls, result;
  } rows[] = {{0, 0, 0, 0}, {0, 1, 1, 1}, {1, 1, 0, 1}, {1, 0, 1, 1}};
  for (const Row& r : rows) {
    P b;
    CSgVariable* calls = b.Int("calls");
    CSgFunction* f = Fn(b, b.prog, "f", "int");
    CSgVariable* one = b.Int("", 1, f);
    CSgVariable* t = b.Int("", 0, f);
    b.Body(f, {b.Instr({P::Act(ACT_ADD, {t, calls, one}), P::Act(ACT_ASSIGN, {calls, t}),
                        P::Act(ACT_ASSIGN, {f->ReturnVariable(), one}), new ActPrm(ACT_RETURN)},
                       f)});
    CSgFunction* stub = Stub(b, b.prog, f, {});
    CSgVariable* a = b.Int("a", r.left);
    CSgVariable* res = b.Var("", SGVT_BOOL);
    CSgVariable* out = b.Int("out", -1);
    b.Body(b.prog, {b.Instr({Short(res, a, r.mode, 1), Call(stub),
                             P::Act(r.mode ? ACT_OR : ACT_AND, {res, a, stub->ReturnVariable()}),
                             P::Act(ACT_ASSIGN, {out, res})})});
    CSgVm vm;
    ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
    EXPECT_EQ(calls->GetInt(), r.calls) << r.mode << r.left;
    EXPECT_EQ(out->GetInt(), r.result) << r.mode << r.left;  // the action after 507/508 runs
  }
}

// int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }: both calls of
// one expression re-enter the running function, whose locals must survive each.
TEST(Vm, RecursionKeepsEachActivationsLocals) {
  struct Row {
    int n, fib;
  } rows[] = {{0, 0}, {1, 1}, {2, 1}, {10, 55}, {15, 610}};
  for (const Row& r : rows) {
    P b;
    CSgFunction* fib = Fn(b, b.prog, "fib", "int", {{"n", "int"}});
    CSgVariable* n = fib->Parameter(0);
    CSgVariable* one = b.Int("", 1, fib);
    CSgVariable* two = b.Int("", 2, fib);
    CSgVariable* sum = b.Int("", 0, fib);
    CSgVariable* ret = fib->ReturnVariable();
    auto argStub = [&](CSgVariable* k) {
      CSgFunction* s = nullptr;
      auto* diff = new CSgVariable(SGT_VARIABLE, "");
      diff->SetVarType(SGVT_INT, 0);
      auto* arg = new CSgVariable(SGT_VARIABLE, "");
      arg->SetVarType(SGVT_INT, 0);
      s = Stub(b, fib, fib, {arg});
      s->AddVariable(diff);
      s->AddVariable(arg);
      s->SetInstruction(b.Instr({P::Act(ACT_SUB, {diff, n, k}), P::Act(ACT_INDEX, {arg, diff})}, s));
      return s;
    };
    CSgFunction* s1 = argStub(one);
    CSgFunction* s2 = argStub(two);
    CSgInstruction* base = b.Instr();
    base->SetBranch(b.Compare(ACT_LT, n, two, fib), b.Instr({P::Act(ACT_ASSIGN, {ret, n}), new ActPrm(ACT_RETURN)}, fib),
                    nullptr);
    b.Body(fib, {base, b.Instr({Call(s1), Call(s2), P::Act(ACT_ADD, {sum, s1->ReturnVariable(), s2->ReturnVariable()}),
                                P::Act(ACT_ASSIGN, {ret, sum}), new ActPrm(ACT_RETURN)},
                               fib)});
    CSgVariable* k = b.Int("k", r.n);
    CSgFunction* top = Stub(b, b.prog, fib, {k});
    CSgVariable* out = b.Int("out");
    b.Body(b.prog, {b.Instr({Call(top), P::Act(ACT_ASSIGN, {out, top->ReturnVariable()})})});
    CSgVm vm;
    ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
    EXPECT_EQ(out->GetInt(), r.fib) << r.n;
    EXPECT_EQ(k->GetInt(), r.n);
  }
}

// Reference parameters write through; runaway recursion, endless loops, broken chains and
// actions without their variables stop with an error the caller can read.
TEST(Vm, ReferenceParametersAndRunTimeLimits) {
  {
    P b;
    CSgFunction* inc = Fn(b, b.prog, "inc", "void", {{"v", "int &"}});
    CSgVariable* one = b.Int("", 1, inc);
    CSgVariable* t = b.Int("", 0, inc);
    b.Body(inc, {b.Instr({P::Act(ACT_ADD, {t, inc->Parameter(0), one}), P::Act(ACT_ASSIGN, {inc->Parameter(0), t})}, inc)});
    EXPECT_EQ(inc->Parameter(0)->GetTypeString(), "int&");
    CSgVariable* x = b.Int("x", 41);
    CSgFunction* s = Stub(b, b.prog, inc, {x});
    b.Body(b.prog, {b.Instr({Call(s), Call(s)})});
    ASSERT_EQ(b.prog->Execute(), SG_RUN_OK);
    EXPECT_EQ(x->GetInt(), 43);
  }
  enum Kind { Runaway, Endless, Cycle, Missing, Unknown };
  struct Row {
    Kind kind;
    int status, error;
  } rows[] = {{Runaway, SG_RUN_ERROR, SGE_CALL_DEPTH},
              {Endless, SG_RUN_ERROR, SGE_BUDGET},
              {Cycle, SG_RUN_ERROR, SGE_MALFORMED},
              {Missing, SG_RUN_ERROR, SGE_NULL_OPERAND},
              {Unknown, SG_RUN_OK, SGE_NONE}};
  for (const Row& r : rows) {
    P b;
    CSgVm vm(10000);
    if (r.kind == Runaway) {
      CSgFunction* f = Fn(b, b.prog, "f", "void");
      b.Body(f, {b.Instr({Call(Stub(b, f, f, {}))}, f)});
      b.Body(b.prog, {b.Instr({Call(Stub(b, b.prog, f, {}))})});
    } else if (r.kind == Endless) {
      b.Body(b.prog, {b.While(new CSgConditions(&b.module), b.Instr())});
    } else if (r.kind == Cycle) {
      CSgInstruction* x = b.Instr();
      CSgInstruction* y = b.Instr();
      x->SetNext(y);
      y->SetNext(x);
      b.prog->SetInstruction(x);
      EXPECT_EQ(x->Last(), y);  // a cycle does not hang Last either
    } else if (r.kind == Missing) {
      b.Body(b.prog, {b.Instr({P::Act(ACT_ADD, {b.Int("r"), nullptr, b.Int("y")})})});
    } else {
      b.Body(b.prog, {b.Instr({new ActPrm(4711), new ActPrm(4711)})});
    }
    EXPECT_EQ(vm.Run(b.prog), r.status) << r.kind;
    EXPECT_EQ(vm.Error().code, r.error) << vm.Error().text;
    if (r.kind == Endless) {
      EXPECT_LE(vm.Steps(), 10000 + 4);
    }
    if (r.kind == Unknown) {
      EXPECT_EQ(vm.SkippedActions(), 2);
    }
  }
}

namespace {

// class Counter { int v; Counter() { v = 100; } void add(int k) { v = v + k; }
//                 int get() { return this.v; } void give(Counter o) { o.add(v); } }
struct CounterClass {
  CSgProgram* cls;
  CounterClass(P& b) : cls(new CSgProgram(&b.module, "Counter")) {
    b.module.AddUserClass(cls);
    CSgVariable* v = b.Int("v", 0, cls);
    auto* self = new CSgVariable(SGT_VARIABLE, "this");
    self->SetKind(SGVK_OBJECT);
    self->SetClassName("Counter");
    cls->AddVariable(self);
    CSgFunction* ctor = Fn(b, cls, "Counter", "void");
    b.Body(ctor, {b.Instr({P::Act(ACT_ASSIGN, {v, b.Int("", 100, ctor)})}, ctor)});
    CSgFunction* add = Fn(b, cls, "add", "void", {{"k", "int"}});
    CSgVariable* t = b.Int("", 0, add);
    b.Body(add, {b.Instr({P::Act(ACT_ADD, {t, v, add->Parameter(0)}), P::Act(ACT_ASSIGN, {v, t})}, add)});
    CSgFunction* get = Fn(b, cls, "get", "int");
    CSgVariable* m = b.Var("", SGVT_INT, 0, get);
    b.Body(get, {b.Instr({P::Act(ACT_MEMBER, {m, self, Str(b, "", "v", get)}), P::Act(ACT_ASSIGN, {get->ReturnVariable(), m}),
                          new ActPrm(ACT_RETURN)},
                         get)});
    CSgFunction* give = Fn(b, cls, "give", "void", {{"o", "Counter"}});
    b.Body(give, {b.Instr({P::Act(ACT_MEMBER, {b.Var("", SGVT_NONE, 0, give), give->Parameter(0), Str(b, "", "add(v)", give)})}, give)});
  }
};

CSgVariable* Object(P& b, const char* name, const char* cls) {
  CSgVariable* o = b.Var(name, SGVT_NONE);
  o->SetKind(SGVK_OBJECT);
  o->SetClassName(cls);
  return o;
}

ActPrm* Member(P& b, CSgVariable* result, CSgVariable* object, const char* text) {
  return P::Act(ACT_MEMBER, {result, object, Str(b, "", text)});
}

}  // namespace

// Two instances of one class keep their own members through constructors, method calls,
// member writes from outside, `this`, and a method that calls a method of another instance.
TEST(Vm, InstancesKeepTheirOwnMembers) {
  P b;
  CounterClass counter(b);
  CSgVariable* a = Object(b, "a", "Counter");
  CSgVariable* c = Object(b, "c", "Counter");
  std::vector<CSgVariable*> got;
  for (int k = 0; k < 4; ++k) got.push_back(b.Int(("got" + std::to_string(k)).c_str(), -1));
  CSgVariable* m = b.Var("m", SGVT_NONE);
  CSgVariable* r = b.Var("r", SGVT_NONE);
  b.Body(b.prog, {b.Instr({Text(ACT_NEWOBJECT, a, "Counter"), Text(ACT_NEWOBJECT, c, "Counter"),
                           Member(b, r, a, "add(5)"), Member(b, r, c, "add(1)"),
                           Member(b, got[0], a, "get()"), Member(b, got[1], c, "get()"),
                           Member(b, m, a, "v"), P::Act(ACT_ASSIGN, {m, b.Int("", 7)}),  // a.v = 7
                           Member(b, got[2], a, "get()"),
                           Member(b, r, a, "give(c)"),  // c.add(a.v)
                           Member(b, got[3], c, "get()")})});
  CSgVm vm;
  ASSERT_EQ(vm.Run(b.prog), SG_RUN_OK) << vm.Error().text;
  EXPECT_EQ(got[0]->GetInt(), 105);
  EXPECT_EQ(got[1]->GetInt(), 101);
  EXPECT_EQ(got[2]->GetInt(), 7);
  EXPECT_EQ(got[3]->GetInt(), 108);
  EXPECT_EQ(b.module.Instances().LiveCount(), 2);

  // After delete, the object and every copy of it read as null.
  CSgVariable* copy = Object(b, "copy", "Counter");
  auto* after = new CSgProgram(&b.module, "after");
  b.module.AddUserProgram(after);
  b.Body(after, {b.Instr({P::Act(ACT_ASSIGN, {copy, a}), P::Act(ACT_DELETEOBJECT, {a}), Member(b, r, copy, "get()")}, after)});
  EXPECT_EQ(vm.Run(after), SG_RUN_ERROR);
  EXPECT_EQ(vm.Error().code, SGE_NULL_OBJECT);
  EXPECT_EQ(b.module.Instances().LiveCount(), 1);
}

// class Base { virtual int kind() { return 1; } int ask() { return kind(); } }
// class Derived : Base { int kind() { return 2; } }: ask on a Derived runs Derived's kind.
TEST(Vm, VirtualMethodsRunTheInstancesOverride) {
  P b;
  auto* base = new CSgProgram(&b.module, "Base");
  b.module.AddUserClass(base);
  auto* derived = new CSgProgram(&b.module, "Derived");
  b.module.AddUserClass(derived);
  derived->SetFatherProgram(base);
  auto returns = [&](CSgFunction* f, int value) {
    b.Body(f, {b.Instr({P::Act(ACT_ASSIGN, {f->ReturnVariable(), b.Int("", value, f)}), new ActPrm(ACT_RETURN)}, f)});
  };
  CSgFunction* kind = Fn(b, base, "kind", "int");
  kind->SetVirtual(1);
  returns(kind, 1);
  returns(Fn(b, derived, "kind", "int"), 2);
  CSgFunction* ask = Fn(b, base, "ask", "int");
  CSgFunction* s = Stub(b, ask, kind, {});
  b.Body(ask, {b.Instr({Call(s), P::Act(ACT_ASSIGN, {ask->ReturnVariable(), s->ReturnVariable()}), new ActPrm(ACT_RETURN)}, ask)});
  struct Row {
    const char* cls;
    int kind;
  } rows[] = {{"Base", 1}, {"Derived", 2}};
  for (const Row& r : rows) {
    CSgVariable* o = Object(b, "o", r.cls);
    CSgVariable* out = b.Int("out", -1);
    auto* p = new CSgProgram(&b.module, "use");
    b.module.AddUserProgram(p);
    b.Body(p, {b.Instr({Text(ACT_NEWOBJECT, o, r.cls), Member(b, out, o, "ask()")}, p)});
    CSgVm vm;
    ASSERT_EQ(vm.Run(p), SG_RUN_OK) << vm.Error().text;
    EXPECT_EQ(out->GetInt(), r.kind) << r.cls;
  }
  // Unknown classes, methods and members are run-time errors.
  struct Bad {
    const char* cls;
    const char* member;
    int error;
  } bad[] = {{"Nope", "ask()", SGE_NO_CLASS}, {"Base", "nope()", SGE_NO_METHOD}, {"Base", "nope", SGE_NO_MEMBER},
             {"Base", "ask(missing)", SGE_BAD_ARGUMENT}};
  for (const Bad& r : bad) {
    CSgVariable* o = Object(b, "o", r.cls);
    auto* p = new CSgProgram(&b.module, "bad");
    b.module.AddUserProgram(p);
    b.Body(p, {b.Instr({Text(ACT_NEWOBJECT, o, r.cls), Member(b, b.Var("", SGVT_NONE), o, r.member)}, p)});
    CSgVm vm;
    EXPECT_EQ(vm.Run(p), SG_RUN_ERROR);
    EXPECT_EQ(vm.Error().code, r.error) << r.member;
  }
}

TEST(Vm, ConditionsConstantsAndFinds) {
  P b;
  CSgVariable* x = b.Int("x", 3);
  CSgConditions* c = b.Compare(ACT_GT, x, b.Int("", 2));
  EXPECT_EQ(c->Evaluate(), 1);
  x->SetInt(2);
  EXPECT_EQ(c->Evaluate(), 0);
  EXPECT_EQ(CSgConditions(&b.module).Evaluate(), 1);  // no judge: always holds

  CSgVariable scratch;
  scratch.SetInt(5);
  CSgVariable* k1 = b.module.AllocConstVariable(&scratch);
  CSgVariable* k2 = b.module.AllocConstVariable(&scratch);
  scratch.SetVarType(SGVT_FLOAT, 0);
  CSgVariable* k3 = b.module.AllocConstVariable(&scratch);
  EXPECT_EQ(k1, k2);
  EXPECT_NE(k1, k3);
  EXPECT_EQ(std::string(k1->Name()).rfind("CONSTVAR_", 0), 0u);
  // Parameter lists compare by type, written alone or with the parameter's name.
  P pc;
  CounterClass counter(pc);
  struct Row {
    std::vector<std::string> params;
    int flags;
    bool found;
  } rows[] = {{{"int"}, SG_FIND_EXACT, true},   {{"int k"}, SG_FIND_EXACT, true},
              {{"int &k"}, SG_FIND_EXACT, true}, {{"float"}, SG_FIND_EXACT, false},
              {{"float"}, SG_FIND_COMPATIBLE, true}, {{"string"}, SG_FIND_COMPATIBLE, false},
              {{"int", "int"}, SG_FIND_COMPATIBLE, false}, {{}, SG_FIND_NAME_ONLY, true}};
  for (const Row& r : rows) {
    CSgFunction* same = nullptr;
    EXPECT_EQ(counter.cls->FindFunctionLocal("add", r.params, r.flags, &same) != nullptr, r.found) << r.params.size();
    EXPECT_NE(same, nullptr);
  }
  EXPECT_STREQ(counter.cls->FindFunction("get")->GetClassNameA(), "Counter");

  // A class read again takes over the new one's members and code; the old members stay
  // alive for code that still refers to them.
  CSgVariable* oldV = counter.cls->FindVariableLocal("v");
  CounterClass again(pc);
  CSgVariable* newV = again.cls->FindVariableLocal("v");
  counter.cls->CopyFrom(again.cls);
  EXPECT_EQ(counter.cls->FindVariableLocal("v"), newV);
  EXPECT_EQ(again.cls->VariableCount(), 0);
  EXPECT_STREQ(oldV->Name(), "v");
  EXPECT_EQ(counter.cls->FindFunction("add")->OwnerProgram(), counter.cls);

  // Instructions of a program without a module belong to it and move with a merge.
  {
    CSgProgram loose, into;
    auto* x = new CSgVariable(SGT_VARIABLE, "x");
    loose.AddVariable(x);
    auto* in = new CSgInstruction(&loose);
    std::list<ActPrm*> acts{P::Act(ACT_ASSIGN, {x, pc.Int("", 9)})};
    in->AddAction(acts);
    SgFreeActions(acts);
    loose.SetInstruction(in);
    into.TakeFrom(&loose);
    into.SetInstruction(in);
    delete new CSgInstruction(&into);  // an explicit delete is allowed too
    EXPECT_EQ(into.Execute(), SG_RUN_OK);
    EXPECT_EQ(x->GetInt(), 9);
  }
  EXPECT_EQ(GetCommanVarType(SGVT_INT, SGVT_FLOAT), SGVT_FLOAT);
  EXPECT_EQ(GetCommanVarType(SGVT_LONG, SGVT_BOOL), SGVT_LONG);
  EXPECT_EQ(GetCommanVarType(SGVT_DOUBLE, SGVT_STRING), SGVT_STRING);
}
