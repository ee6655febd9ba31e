// The VM: compiles instruction chains into flat code and runs it.
//
// Layout of this file: the variable fast paths (SgVarAccess), the chain compiler, the
// class-instance machinery, calls, and the interpreter loop (SgVmEngine::Exec).
#include "sg/Vm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "VmCode.h"
#include "sg/Module.h"
#include "sg/Variable.h"

const char* SgVmErrorText(int code) {
  switch (code) {
#define SG_VM_ERROR_TEXT(name, value, text) \
  case value:                               \
    return text;
    SG_VM_ERRORS(SG_VM_ERROR_TEXT)
#undef SG_VM_ERROR_TEXT
    default:
      return "unknown error";
  }
}

// ---------------------------------------------------------------- variable access

// The hot helpers of the interpreter loop must be inlined into it.
#if defined(__GNUC__)
#define SG_HOT inline __attribute__((always_inline))
#define SG_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define SG_HOT inline
#define SG_LIKELY(x) (x)
#endif


// The interpreter reads and writes integer variables directly; everything else goes
// through CSgVariable's own conversions.
struct SgVarAccess {
  static SG_HOT int Type(const CSgVariable* v) { return v->m_varType; }
  static SG_HOT long long& Int(CSgVariable* v) { return v->m_int; }
  // References are nearly always one level deep (SetRefVar stores the end of a chain).
  static SG_HOT CSgVariable* Resolve(CSgVariable* v) {
    CSgVariable* t = v->m_ref;
    if (SG_LIKELY(t == nullptr)) return v;
    while (t->m_ref) t = t->m_ref;
    return t;
  }
  static void SetRef(CSgVariable* v, CSgVariable* target) { v->m_ref = target; }
  static CSgVariable* Ref(const CSgVariable* v) { return v->m_ref; }
  static size_t Count(const CSgVariable* v) { return v->m_elements.size(); }
  static CSgVariable* Elem(const CSgVariable* v, size_t i) { return v->m_elements[i].get(); }
  // dst <- src exactly as src is, its reference included (for saving and restoring).
  static void CopyRaw(CSgVariable& dst, CSgVariable& src) {
    if (&dst == &src) return;
    CSgVariable* ref = src.m_ref;
    src.m_ref = nullptr;
    dst.m_ref = nullptr;
    dst.CopyValueFrom(src);
    dst.m_ref = ref;
    src.m_ref = ref;
  }
};

namespace {

using VA = SgVarAccess;

// Outcomes of running a piece of code, finer than what Run reports.
enum ExecStatus { ST_OK, ST_BREAK, ST_RETURN, ST_ERROR };

// Integer kinds whose value sits in the 64-bit store and reads back unchanged.
// int, bool, long and byte (any combination of their bits is an integer kind as well).
constexpr int kPlainIntBits = SGVT_INT | SGVT_BOOL | SGVT_LONG | SGVT_BYTE;
SG_HOT bool PlainInt(int t) { return t != 0 && (t & ~kPlainIntBits) == 0; }

// An int result saturates like CSgVariable does; long wraps (two's complement).
SG_HOT long long NarrowInt(long long v) {
  if (SG_LIKELY(v == (long long)(int)v)) return v;
  return v > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
}

inline long long WrapAdd(long long a, long long b) { return (long long)((unsigned long long)a + (unsigned long long)b); }
inline long long WrapSub(long long a, long long b) { return (long long)((unsigned long long)a - (unsigned long long)b); }
inline long long WrapMul(long long a, long long b) { return (long long)((unsigned long long)a * (unsigned long long)b); }

// Stores an integer result into an int variable without a call (the common case).
SG_HOT bool StoreIntFast(CSgVariable* r, long long v) {
  int t = VA::Type(r);
  if (t == SGVT_INT) {
    VA::Int(r) = NarrowInt(v);
    return true;
  }
  if (t == SGVT_LONG) {
    VA::Int(r) = v;
    return true;
  }
  return false;
}

SG_HOT void StoreBool(CSgVariable* r, bool v) {
  if (VA::Type(r) == SGVT_BOOL) VA::Int(r) = v;
  else r->SetBool(v);
}

}  // namespace

// ---------------------------------------------------------------- the VM's state

struct CSgVm::State {
  int depth = 0;  // nested runs in progress
  // Per call depth: where a re-entered function's locals are saved, and the return value.
  std::vector<std::vector<std::unique_ptr<CSgVariable>>> saved;
  long long savedWeight = 0;  // variables held in `saved` by the activations in progress
  std::vector<std::unique_ptr<CSgVariable>> returns;
  // Code replaced while it was running stays alive until the VM ends.
  std::vector<std::unique_ptr<SgCode>> retired;
  // The instance each method activation runs on (innermost last).
  struct Self {
    CSgInstanceTable* table;
    SgObjectHandle handle;
  };
  std::vector<Self> self;
};

CSgVm::CSgVm(long long stepBudget) : m_budget(stepBudget), m_state(new State) {}
CSgVm::~CSgVm() { delete m_state; }

// ---------------------------------------------------------------- the engine

struct SgVmEngine {
  // --- errors ---
  static int Fail(CSgVm& vm, int code, const std::string& detail, const CSgProgram* prog) {
    if (vm.m_error.code == SGE_NONE) {
      vm.m_error.code = code;
      vm.m_error.text = SgVmErrorText(code);
      if (!detail.empty()) vm.m_error.text += ": " + detail;
      vm.m_error.program = prog ? prog->Name() : "";
    }
    return ST_ERROR;
  }

  // ---------------------------------------------------------------- compiling
  struct Compiler {
    SgCode& code;
    std::unordered_set<const CSgInstruction*> onPath;  // instructions of the chains being compiled
    struct Loop {
      std::vector<int> continues;  // jumps to patch with the loop's condition
      std::vector<int> exits;      // jumps (and sub-program runs) to patch with the loop's end
    };
    std::vector<Loop> loops;
    int depth = 0;
    bool failed = false;

    explicit Compiler(SgCode& c) : code(c) {}

    void Malformed(const char* why) {
      if (failed) return;
      failed = true;
      code.error = why;
    }

    int Here() const { return (int)code.ops.size(); }

    int Emit(const SgOp& op) {
      if (code.ops.size() >= (size_t)SG_VM_MAX_CODE_OPS) {
        Malformed("the compiled code grows beyond its limit");
        return -1;
      }
      code.ops.push_back(op);
      return Here() - 1;
    }

    void Patch(int at, int target) {
      if (at >= 0 && at < Here()) code.ops[(size_t)at].target = target;
    }

    const char* Keep(const char* text) {
      code.texts.emplace_back(text ? text : "");
      return code.texts.back().c_str();
    }

    // One operation per action, in order, so short-circuit counts translate one to one.
    void Actions(const std::vector<ActPrm>& acts) {
      const int start = Here();
      const int n = (int)acts.size();
      for (int k = 0; k < n && !failed; ++k) {
        const ActPrm& act = acts[(size_t)k];
        SgOp op{OP_SKIPPED};
        CSgVariable* v0 = act.Variable(0);
        CSgVariable* v1 = act.Variable(1);
        CSgVariable* v2 = act.Variable(2);
        auto need = [&](bool ok, SgOpCode code) { op.code = ok ? code : OP_BADACTION; };
        op.a = v0;
        op.b = v1;
        op.c = v2;
        op.aux = act.Type();
        switch (act.Type()) {
          case ACT_ASSIGN:
            if (v2) need(v0 && v1, OP_ASSIGN3);
            else need(v0 && v1, OP_ASSIGN);
            break;
          case ACT_ADD: need(v0 && v1 && v2, OP_ADD); break;
          case ACT_MUL: need(v0 && v1 && v2, OP_MUL); break;
          case ACT_MOD: need(v0 && v1 && v2, OP_MOD); break;
          case ACT_DIV: need(v0 && v1 && v2, OP_DIV); break;
          case ACT_SUB: need(v0 && v1 && v2, OP_SUB); break;
          case ACT_INDEX:
            if (v2) need(v0 && v1, OP_INDEX);
            else need(v0 && v1, OP_COPY);
            break;
          case ACT_AND: need(v0 && v1 && v2, OP_AND); break;
          case ACT_OR: need(v0 && v1 && v2, OP_OR); break;
          case ACT_GT: need(v0 && v1 && v2, OP_GT); break;
          case ACT_LT: need(v0 && v1 && v2, OP_LT); break;
          case ACT_EQ: need(v0 && v1 && v2, OP_EQ); break;
          case ACT_GE: need(v0 && v1 && v2, OP_GE); break;
          case ACT_LE: need(v0 && v1 && v2, OP_LE); break;
          case ACT_NE: need(v0 && v1 && v2, OP_NE); break;
          case ACT_NOT: need(v0 && v2, OP_NOT); break;
          case ACT_MEMBER: {
            need(v0 && v1 && v2, OP_MEMBER);
            code.methods.push_back(std::make_unique<SgMethodCache>());
            op.p = code.methods.back().get();
            break;
          }
          case ACT_CALL:
            op.p = act.DwordAs<void>();
            need(op.p != nullptr, OP_CALL);
            break;
          case ACT_RUNPROGRAM:
            op.p = act.DwordAs<void>();
            need(op.p != nullptr, OP_RUNPROG);
            break;
          case ACT_NEWOBJECT:
            op.text = Keep(act.String());
            need(v0 != nullptr, OP_NEW);
            break;
          case ACT_DELETEOBJECT: need(v0 != nullptr, OP_DELETE); break;
          case ACT_NEWMODULE:
            op.text = Keep(act.String());
            need(v0 != nullptr, OP_NEWMODULE);
            break;
          case ACT_SHORTCIRCUIT:
            need(v0 && v1, OP_SHORT);
            op.aux = act.Int();
            // Skip the right operand's actions and the 507/508 after them; an unset count
            // skips nothing (the 507/508 action then decides).
            if (act.Flags() & ACTF_SKIPSET) {
              long long to = (long long)k + act.SkipCount() + 2;
              if (act.SkipCount() < 0) to = k + 1;
              op.target = start + (int)std::min<long long>(to, n);
            } else {
              op.target = -1;
            }
            break;
          case ACT_RETURN: op.code = OP_RETURN; break;
          default: op.code = OP_SKIPPED; break;
        }
        Emit(op);
      }
    }

    // The condition's actions, then a jump (returned, to be patched to the "not holding"
    // place) on its judge; -1 when the condition always holds.
    int Condition(const CSgConditions* c) {
      if (!c) return -1;
      Actions(c->Actions());
      if (!c->JudgeVariable()) return -1;
      SgOp op{OP_JUMPIFNOT};
      op.a = c->JudgeVariable();
      return Emit(op);
    }

    void Break() {
      if (loops.empty()) {
        Emit(SgOp{OP_BREAKOUT});
        return;
      }
      int j = Emit(SgOp{OP_JUMP});
      loops.back().exits.push_back(j);
    }

    // One instruction's branch (its third step).
    void Branch(const CSgInstruction* i) {
      const CSgConditions* c = i->Conditions();
      if (i->m_loopHead) {
        // The condition goes after the body (one jump per pass instead of two):
        //   JUMP cond; body: ...; cond: actions; JUMPIF body; [unsatisfied chain]; exit:
        int enter = Emit(SgOp{OP_JUMP});
        int body = Here();
        loops.push_back({});
        Chain(i->Satisfied());
        Loop loop = std::move(loops.back());
        loops.pop_back();
        // The loop-end mark's jump right before the condition is not needed.
        if (!loop.continues.empty() && loop.continues.back() == Here() - 1) {
          code.ops.pop_back();
          loop.continues.pop_back();
        }
        int cond = Here();
        Patch(enter, cond);
        for (int j : loop.continues) Patch(j, cond);
        if (c) Actions(c->Actions());
        SgOp back{c && c->JudgeVariable() ? OP_JUMPIF : OP_JUMP};
        back.a = c ? c->JudgeVariable() : nullptr;
        back.target = body;
        Emit(back);
        // A loop whose condition fails goes on with its unsatisfied chain; a break leaves
        // past it.
        if (back.code == OP_JUMPIF && i->Unsatisfied()) Chain(i->Unsatisfied());
        for (int e : loop.exits) Patch(e, Here());
        return;
      }
      if (!c && !i->Satisfied()) return;  // no condition: the unsatisfied chain never runs
      int notHolding = Condition(c);
      Chain(i->Satisfied());
      if (notHolding >= 0 && i->Unsatisfied()) {
        int over = Emit(SgOp{OP_JUMP});
        Patch(notHolding, Here());
        Chain(i->Unsatisfied());
        Patch(over, Here());
      } else {
        Patch(notHolding, Here());
      }
    }

    // A chain: each instruction's actions, sub-program and branch, then its marks.
    void Chain(const CSgInstruction* first) {
      if (!first || failed) return;
      if (++depth > SG_VM_MAX_BRANCH_DEPTH) {
        Malformed("branches nested too deeply");
        --depth;
        return;
      }
      std::vector<const CSgInstruction*> mine;
      for (const CSgInstruction* i = first; i && !failed; i = i->Next()) {
        if (!onPath.insert(i).second) {
          Malformed("an instruction chain runs into itself");
          break;
        }
        mine.push_back(i);
        Actions(i->Actions());
        if (i->SubProgram()) {
          SgOp op{OP_SUBPROG};
          op.p = i->SubProgram();
          int at = Emit(op);
          // A break inside the sub-program leaves this code's innermost loop.
          if (!loops.empty()) loops.back().exits.push_back(at);
        }
        Branch(i);
        if (i->m_break) {
          Break();
          break;
        }
        if (i->m_loopEnd) {
          if (!loops.empty()) loops.back().continues.push_back(Emit(SgOp{OP_JUMP}));
          break;
        }
      }
      for (const CSgInstruction* i : mine) onPath.erase(i);
      --depth;
    }
  };

  // The variables a local holds: itself and, for an array, every element at every level.
  static long long Weight(const CSgVariable* v) {
    long long n = 0;
    std::vector<const CSgVariable*> todo{v};
    while (!todo.empty()) {
      const CSgVariable* x = todo.back();
      todo.pop_back();
      ++n;
      for (int i = 0, size = x->GetSize(); i < size; ++i)
        if (const CSgVariable* e = x->Element(i)) todo.push_back(e);
    }
    return n;
  }

  // The variables a function must save when it is entered again while running: its own,
  // those of the blocks nested in it and of its call stubs (not nested functions, which
  // save their own, nor classes).
  static void CollectLocals(CSgProgram* fn, std::vector<CSgVariable*>& out) {
    std::vector<CSgProgram*> todo{fn};
    std::unordered_set<CSgProgram*> seen{fn};
    while (!todo.empty()) {
      CSgProgram* p = todo.back();
      todo.pop_back();
      for (CKvoObject* o : p->Variables().Objects()) out.push_back(static_cast<CSgVariable*>(o));
      for (CKvoObject* o : p->UserPrograms().Objects()) {
        auto* sub = static_cast<CSgProgram*>(o);
        if (!sub->IsClass() && seen.insert(sub).second) todo.push_back(sub);
      }
      for (CKvoObject* o : p->Functions().Objects()) {
        auto* f = static_cast<CSgFunction*>(o);
        if (f->IsStub() && seen.insert(f).second) todo.push_back(f);
      }
    }
  }

  static void Compile(SgCode& code, const CSgInstruction* head, const std::vector<ActPrm>* condActions) {
    Compiler c(code);
    if (condActions) c.Actions(*condActions);
    else c.Chain(head);
    if (c.failed) {
      code.ops.clear();
      code.ops.push_back(SgOp{OP_MALFORMED});
    }
    code.ops.push_back(SgOp{OP_END});
    Fuse(code.ops);
  }

  // Straight-line operations that produce a value fuse with the assignment after them
  // (the compiler stores every operator's result into a temporary and assigns that), and
  // a comparison feeding a condition's judge fuses with the jump on it as well.
  static void Fuse(std::vector<SgOp>& ops) {
    for (size_t k = 0; k + 1 < ops.size(); ++k) {
      switch (ops[k].code) {
        case OP_ADD: case OP_SUB: case OP_MUL: case OP_MOD: case OP_DIV: case OP_INDEX:
        case OP_GT: case OP_LT: case OP_EQ: case OP_GE: case OP_LE: case OP_NE:
        case OP_AND: case OP_OR: case OP_NOT:
          break;
        default:
          continue;
      }
      if (ops[k + 1].code != OP_ASSIGN) continue;
      ops[k].fuse = 1;
      if (k + 2 < ops.size() && ops[k + 2].code == OP_JUMPIFNOT) ops[k].fuse = 2;
      if (k + 2 < ops.size() && ops[k + 2].code == OP_JUMPIF) ops[k].fuse = 3;
    }
  }

  static unsigned EpochOf(const CSgModule* m) { return m ? m->CodeEpoch() : 0; }

  // The program's compiled code, rebuilt when the program or any code of its tree changed.
  static SgCode* CodeFor(CSgVm& vm, CSgProgram* p) {
    // The epoch is the tree's: a change to any instruction may change what this program's
    // chain reaches (chains are shared and relinked freely), so any change recompiles.
    unsigned epoch = EpochOf(p->Module());
    if (p->m_code && !p->m_code->stale && p->m_code->epoch == epoch) return p->m_code.get();
    auto code = std::make_unique<SgCode>();
    code->epoch = epoch;
    Compile(*code, p->Instruction(), nullptr);
    if (p->TypeCode() == SGT_FUNCTION) {
      CollectLocals(p, code->locals);
      for (CSgVariable* v : code->locals) code->localWeight += Weight(v);
    }
    if (p->m_code && p->m_running > 0) vm.S().retired.push_back(std::move(p->m_code));
    p->m_code = std::move(code);
    return p->m_code.get();
  }

  static SgCode* CodeFor(CSgVm& vm, CSgConditions* c) {
    unsigned epoch = EpochOf(c->Module());
    if (c->m_code && !c->m_code->stale && c->m_code->epoch == epoch) return c->m_code.get();
    auto code = std::make_unique<SgCode>();
    code->epoch = epoch;
    Compile(*code, nullptr, &c->m_actions);
    if (c->m_code) vm.S().retired.push_back(std::move(c->m_code));  // it may be running
    c->m_code = std::move(code);
    return c->m_code.get();
  }

  // ---------------------------------------------------------------- classes and instances

  // The class and its parents, most derived first.
  static void ClassChain(CSgProgram* cls, std::vector<CSgProgram*>& out) {
    for (CSgProgram* k = cls; k && k->IsClass() && out.size() < 64; k = k->FatherProgram())
      if (std::find(out.begin(), out.end(), k) == out.end()) out.push_back(k);
  }

  // A class's state; its defaults are taken the first time, before any instance is loaded.
  static SgClassState& StateOf(CSgProgram* k) {
    if (!k->m_classState) {
      auto st = std::make_unique<SgClassState>();
      for (CKvoObject* o : k->Variables().Objects()) {
        auto* v = static_cast<CSgVariable*>(o);
        st->index.emplace(v->Name(), (int)st->vars.size());
        st->vars.push_back(v);
        auto d = std::make_unique<CSgVariable>(v->TypeCode(), v->Name());
        VA::CopyRaw(*d, *v);
        st->defaults.push_back(std::move(d));
      }
      k->m_classState = std::move(st);
    }
    return *k->m_classState;
  }

  static void Move(std::vector<CSgVariable*>& to, std::vector<std::unique_ptr<CSgVariable>>& from) {
    size_t n = std::min(to.size(), from.size());
    for (size_t i = 0; i < n; ++i) VA::CopyRaw(*to[i], *from[i]);
  }
  static void Move(std::vector<std::unique_ptr<CSgVariable>>& to, std::vector<CSgVariable*>& from) {
    size_t n = std::min(to.size(), from.size());
    for (size_t i = 0; i < n; ++i) VA::CopyRaw(*to[i], *from[i]);
  }

  static CSgInstance* Active(SgClassState& st) { return st.activeTable ? st.activeTable->Get(st.active) : nullptr; }

  struct Activation {
    CSgProgram* cls;
    CSgInstanceTable* prevTable;
    SgObjectHandle prev;
    bool switched;
  };

  // Loads the instance into the variables of each class of its chain, writing back the
  // instance that was active there.
  static void Enter(CSgInstanceTable* table, SgObjectHandle h, std::vector<Activation>& acts) {
    CSgInstance* x = table->Get(h);
    if (!x) return;
    std::vector<CSgProgram*> chain;
    ClassChain(x->Class(), chain);
    for (CSgProgram* k : chain) {
      SgClassState& st = StateOf(k);
      Activation a{k, st.activeTable, st.active, false};
      // Already active (a method calling another method of its own instance): nothing
      // moves. Otherwise the active instance's current values go back to its storage
      // first, so that storage is always up to date for whoever reads it next.
      if (!(st.activeTable == table && st.active == h)) {
        if (CSgInstance* prev = Active(st))
          if (auto* s = prev->StorageOf(k)) Move(s->values, st.vars);
        if (auto* s = x->StorageOf(k)) Move(st.vars, s->values);
        st.activeTable = table;
        st.active = h;
        a.switched = true;
      }
      acts.push_back(a);
    }
  }

  // The reverse of Enter: the instance is written back (when it still lives) and the one
  // before it (or the defaults) loaded again.
  static void Leave(std::vector<Activation>& acts) {
    for (auto it = acts.rbegin(); it != acts.rend(); ++it) {
      if (!it->switched) continue;
      SgClassState& st = StateOf(it->cls);
      if (CSgInstance* cur = Active(st))
        if (auto* s = cur->StorageOf(it->cls)) Move(s->values, st.vars);
      CSgInstance* prev = it->prevTable ? it->prevTable->Get(it->prev) : nullptr;
      CSgInstance::Storage* ps = prev ? prev->StorageOf(it->cls) : nullptr;
      if (ps) Move(st.vars, ps->values);
      else Move(st.vars, st.defaults);
      st.activeTable = ps ? it->prevTable : nullptr;
      st.active = ps ? it->prev : SgObjectHandle();
    }
    acts.clear();
  }

  // A new instance: the defaults of every class of the chain; its "this" variables point
  // at it.
  static SgObjectHandle NewInstance(CSgInstanceTable& table, CSgProgram* cls) {
    // The storage copies the defaults, not the class's variables: those may hold the
    // values of whichever instance is active at the moment.
    auto inst = std::make_unique<CSgInstance>(cls);
    std::vector<CSgProgram*> chain;
    ClassChain(cls, chain);
    for (CSgProgram* k : chain) {
      SgClassState& st = StateOf(k);
      CSgInstance::Storage s{k, {}};
      for (auto& d : st.defaults) {
        auto v = std::make_unique<CSgVariable>(d->TypeCode(), d->Name());
        VA::CopyRaw(*v, *d);
        s.values.push_back(std::move(v));
      }
      inst->m_storage.push_back(std::move(s));
    }
    CSgInstance* raw = inst.get();
    SgObjectHandle h = table.Add(std::move(inst));
    for (auto& s : raw->m_storage)
      for (auto& v : s.values)
        if (std::strcmp(v->Name(), "this") == 0) {
          VA::SetRef(v.get(), nullptr);
          v->SetInstance(&table, h);
          v->SetClassName(cls->Name());
        }
    return h;
  }

  // The function that runs for a call of f on an instance: for a virtual f, the most
  // derived class's function of the same name and parameters.
  static CSgFunction* Override(CSgFunction* f, CSgInstance* on) {
    if (!f->IsVirtual() || !on) return f;
    std::vector<CSgProgram*> chain;
    ClassChain(on->Class(), chain);
    std::vector<std::string> types = f->ParameterTypes();
    for (CSgProgram* k : chain)
      if (CSgFunction* g = k->FindFunctionLocal(f->Name(), types, SG_FIND_EXACT)) return g;
    return f;
  }

  // ---------------------------------------------------------------- calls

  // Runs a program's code as a nested run (sub-programs, 2900, a stub's argument chain,
  // a class's member initialisers). Break and return come back to the caller, which
  // decides how far they reach.
  static int RunCode(CSgVm& vm, CSgProgram* p) {
    CSgVm::State& S = vm.S();
    // Bounded here rather than by the C++ stack: every nested run passes through this
    // function or Call, each of which counts one level.
    if (S.depth >= SG_VM_MAX_CALL_DEPTH) return Fail(vm, SGE_CALL_DEPTH, std::to_string(SG_VM_MAX_CALL_DEPTH), p);
    SgCode* code = CodeFor(vm, p);
    ++S.depth;
    ++p->m_running;
    int st = Exec(vm, code, p, p->Module());
    --p->m_running;
    --S.depth;
    return st;
  }

  // Runs f with the arguments, on an instance when `on` is live, and copies its return
  // value into retOut. Only errors come back; return and break end at the function.
  static int Call(CSgVm& vm, CSgFunction* f, const std::vector<CSgVariable*>& args, CSgVariable* retOut,
                  CSgInstanceTable* table, SgObjectHandle on) {
    CSgVm::State& S = vm.S();
    CSgInstance* inst = table ? table->Get(on) : nullptr;
    f = Override(f, inst);
    if (S.depth >= SG_VM_MAX_CALL_DEPTH) return Fail(vm, SGE_CALL_DEPTH, std::to_string(SG_VM_MAX_CALL_DEPTH), f);
    SgCode* code = CodeFor(vm, f);
    const size_t level = (size_t)S.depth;
    if (S.saved.size() <= level) S.saved.resize(level + 1);
    if (S.returns.size() <= level) S.returns.resize(level + 1);

    // Re-entered: keep the running activation's locals aside (before the arguments, which
    // may be among them, are bound).
    const bool save = f->m_running > 0;
    if (save) {
      if (S.savedWeight + code->localWeight > SG_VM_MAX_SAVED_VARIABLES)
        return Fail(vm, SGE_SAVED_LOCALS, std::to_string(SG_VM_MAX_SAVED_VARIABLES), f);
      S.savedWeight += code->localWeight;
      auto& pool = S.saved[level];
      while (pool.size() < code->locals.size()) pool.push_back(std::make_unique<CSgVariable>());
      for (size_t i = 0; i < code->locals.size(); ++i) VA::CopyRaw(*pool[i], *code->locals[i]);
    }
    // Arguments into parameters: by value an assignment in the parameter's type, by
    // reference the parameter reads and writes the argument itself. Missing arguments
    // leave their parameters as they are; surplus ones are not used.
    const auto& params = f->Parameters();
    for (size_t i = 0; i < params.size() && i < args.size(); ++i) {
      CSgVariable* p = params[i];
      CSgVariable* a = args[i];
      if (!a || !p) continue;
      if (p->Flags() & SGVF_BYREF) {
        CSgVariable* t = VA::Resolve(a);
        VA::SetRef(p, t == p ? nullptr : t);
      } else {
        VA::SetRef(p, nullptr);
        p->Assign(*a);
      }
    }
    // A method on an instance: the class's variables take the instance's values for the
    // call, and `self` tells calls inside whose class to look in for overrides.
    std::vector<Activation> acts;
    if (inst) {
      Enter(table, on, acts);
      S.self.push_back({table, on});
    }
    ++S.depth;
    ++f->m_running;
    int st = f->IsNative() ? RunNative(vm, f) : Exec(vm, code, f, f->Module());
    --f->m_running;
    --S.depth;
    // Take the return value before the instance and the locals are put back: the return
    // variable may be one of them.
    CSgVariable* value = nullptr;
    if (st != ST_ERROR && retOut && f->ReturnVariable()) {
      auto& slot = S.returns[level];
      if (!slot) slot = std::make_unique<CSgVariable>();
      VA::SetRef(slot.get(), nullptr);
      slot->CopyValueFrom(*f->ReturnVariable());
      value = slot.get();
    }
    if (inst) {
      Leave(acts);
      S.self.pop_back();
    }
    // The outer activation gets its locals back; only then the return value is written,
    // because the stub's return variable may itself be one of those locals.
    if (save) {
      auto& pool = S.saved[level];  // taken again: deeper calls may have grown `saved`
      for (size_t i = 0; i < code->locals.size(); ++i) VA::CopyRaw(*code->locals[i], *pool[i]);
      S.savedWeight -= code->localWeight;
    }
    if (value) retOut->Assign(*value);
    return st == ST_ERROR ? ST_ERROR : ST_OK;
  }

  // A built-in's C++ code, on the parameters Call has bound. A failure stops the run like
  // any run-time error, naming the function.
  static int RunNative(CSgVm& vm, CSgFunction* f) {
    if (f->GetNative()(*f) == SG_RUN_OK) return ST_OK;
    return Fail(vm, SGE_NATIVE, f->Name(), f);
  }

  // 2300: the stub computes its arguments, then the callee runs (on the current instance
  // when the callee is a method of its class).
  static int CallStub(CSgVm& vm, CSgFunction* stub) {
    CSgFunction* callee = stub->ReferenceProgram();
    if (!callee) return Fail(vm, SGE_NO_CALLEE, stub->Name(), stub);
    if (stub->Instruction()) {
      int st = RunCode(vm, stub);
      if (st == ST_ERROR) return st;
    }
    // Inside a method, a call of a method of the same class (or a parent) runs on the
    // current instance: its variables are already loaded, and a virtual callee dispatches
    // on that instance's class.
    CSgVm::State& S = vm.S();
    CSgInstanceTable* table = nullptr;
    SgObjectHandle on;
    if (!S.self.empty()) {
      CSgInstance* cur = S.self.back().table->Get(S.self.back().handle);
      CSgProgram* cls = callee->OwnerClass();
      if (cur && cls) {
        std::vector<CSgProgram*> chain;
        ClassChain(cur->Class(), chain);
        if (std::find(chain.begin(), chain.end(), cls) != chain.end()) {
          table = S.self.back().table;
          on = S.self.back().handle;
        }
      }
    }
    return Call(vm, callee, stub->Parameters(), stub->ReturnVariable(), table, on);
  }

  // "name(a, 2, "x")": the method name and the argument texts at top-level commas.
  static bool ParseMemberCall(const std::string& text, std::string& name, std::vector<std::string>& args) {
    size_t open = text.find('(');
    size_t close = text.rfind(')');
    if (open == std::string::npos) return false;
    auto trim = [](std::string s) {
      size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
      return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    name = trim(text.substr(0, open));
    std::string inner = close != std::string::npos && close > open ? text.substr(open + 1, close - open - 1) : text.substr(open + 1);
    int depth = 0;
    bool quoted = false;
    std::string cur;
    for (char ch : inner) {
      if (ch == '"') quoted = !quoted;
      if (!quoted && (ch == '(' || ch == '[')) ++depth;
      if (!quoted && (ch == ')' || ch == ']')) --depth;
      if (ch == ',' && !quoted && depth == 0) {
        args.push_back(trim(cur));
        cur.clear();
      } else {
        cur += ch;
      }
    }
    if (!trim(cur).empty() || !args.empty()) args.push_back(trim(cur));
    return true;
  }

  // Resolves a method call's arguments once: literals become constants of the cache,
  // names the variables visible from the calling program.
  static int ResolveMethod(CSgVm& vm, SgMethodCache& mc, const std::string& text, CSgProgram* prog, CSgModule* module) {
    mc = SgMethodCache();
    mc.text = text;
    std::vector<std::string> args;
    ParseMemberCall(text, mc.name, args);
    mc.special = mc.name == "self" || mc.name == "getNativeHandle";
    for (const std::string& a : args) {
      CSgVariable* v = nullptr;
      char* end = nullptr;
      if (a.size() >= 2 && a.front() == '"' && a.back() == '"') {
        mc.consts.push_back(std::make_unique<CSgVariable>());
        mc.consts.back()->SetString(a.substr(1, a.size() - 2).c_str());
        v = mc.consts.back().get();
      } else if (a == "true" || a == "false") {
        mc.consts.push_back(std::make_unique<CSgVariable>());
        mc.consts.back()->SetInt(a == "true");
        v = mc.consts.back().get();
      } else if (!a.empty() && (std::strtod(a.c_str(), &end), end && *end == '\0')) {
        mc.consts.push_back(std::make_unique<CSgVariable>());
        if (a.find('.') != std::string::npos) mc.consts.back()->SetDouble(std::strtod(a.c_str(), nullptr));
        else mc.consts.back()->SetLong(std::strtoll(a.c_str(), nullptr, 0));
        v = mc.consts.back().get();
      } else {
        v = prog ? prog->FindVariable(a.c_str()) : module ? module->FindVariable(a.c_str()) : nullptr;
        if (!v) {
          mc.text.clear();  // resolve again next time
          return Fail(vm, SGE_BAD_ARGUMENT, a, prog);
        }
      }
      mc.args.push_back(v);
    }
    return ST_OK;
  }

  // 516: a member reference, or a method call on the object's instance.
  static int Member(CSgVm& vm, const SgOp& op, CSgProgram* prog, CSgModule* module) {
    CSgVariable* result = op.a;
    CSgVariable* object = VA::Resolve(op.b);
    std::string text = op.c->GetString();
    CSgInstanceTable* table = object->InstanceTable();
    CSgInstance* inst = object->Instance();
    if (text.find('(') == std::string::npos) {
      if (!inst) return Fail(vm, SGE_NULL_OBJECT, std::string(object->Name()) + "." + text, prog);
      std::string name = text;
      size_t b = name.find_first_not_of(" \t"), e = name.find_last_not_of(" \t");
      name = b == std::string::npos ? std::string() : name.substr(b, e - b + 1);
      std::vector<CSgProgram*> chain;
      ClassChain(inst->Class(), chain);
      for (CSgProgram* k : chain) {
        SgClassState& st = StateOf(k);
        auto it = st.index.find(name);
        if (it == st.index.end()) continue;
        // The active instance's values are in the class's variables, the others' in storage.
        CSgVariable* target = nullptr;
        if (st.activeTable == table && st.active == object->InstanceHandle()) target = st.vars[(size_t)it->second];
        else if (auto* s = inst->StorageOf(k); s && (size_t)it->second < s->values.size()) target = s->values[(size_t)it->second].get();
        if (!target) break;
        CSgVariable* end = VA::Resolve(target);
        VA::SetRef(result, end == result ? nullptr : end);
        return ST_OK;
      }
      return Fail(vm, SGE_NO_MEMBER, text, prog);
    }
    auto& mc = *static_cast<SgMethodCache*>(op.p);
    if (mc.text != text && ResolveMethod(vm, mc, text, prog, module) == ST_ERROR) return ST_ERROR;
    if (mc.name == "self") {
      result->Assign(*object);
      return ST_OK;
    }
    if (!inst) return Fail(vm, SGE_NULL_OBJECT, std::string(object->Name()) + "." + text, prog);
    if (mc.name == "getNativeHandle") {
      SgObjectHandle h = object->InstanceHandle();
      result->SetLong(((long long)h.gen << 32) | h.slot);
      return ST_OK;
    }
    std::vector<CSgProgram*> chain;
    ClassChain(inst->Class(), chain);
    CSgFunction* method = nullptr;
    for (CSgProgram* k : chain) {
      // Prefer the method whose parameter count matches the call.
      CSgFunction* any = nullptr;
      for (CKvoObject* o : k->Functions().Objects()) {
        auto* f = static_cast<CSgFunction*>(o);
        if (f->IsStub() || mc.name != f->Name()) continue;
        if (!any) any = f;
        if ((size_t)f->ParameterCount() == mc.args.size()) {
          method = f;
          break;
        }
      }
      if (!method) method = any;
      if (method) break;
    }
    if (!method) return Fail(vm, SGE_NO_METHOD, mc.name, prog);
    return Call(vm, method, mc.args, result, table, object->InstanceHandle());
  }

  // 2904: a new instance of the named class; its member initialisers (the class's own
  // chain) and its constructor (the method named like the class) run on it.
  static int New(CSgVm& vm, const SgOp& op, CSgProgram* prog, CSgModule* module) {
    CSgVariable* var = VA::Resolve(op.a);
    CSgProgram* cls = nullptr;
    if (module) {
      cls = dynamic_cast<CSgProgram*>(module->FindClass(op.text));
      if (!cls && std::strcmp(op.text, "system") == 0) cls = module->SystemProgram();
    }
    if (!cls) return Fail(vm, SGE_NO_CLASS, op.text, prog);
    CSgInstanceTable& table = module->Instances();
    SgObjectHandle h = NewInstance(table, cls);
    var->SetInstance(&table, h);
    var->SetClassName(cls->Name());
    CSgVm::State& S = vm.S();
    if (S.depth >= SG_VM_MAX_CALL_DEPTH) return Fail(vm, SGE_CALL_DEPTH, std::to_string(SG_VM_MAX_CALL_DEPTH), prog);
    std::vector<Activation> acts;
    Enter(&table, h, acts);
    S.self.push_back({&table, h});
    int st = ST_OK;
    if (cls->Instruction()) st = RunCode(vm, cls);
    if (st != ST_ERROR) {
      CSgFunction* ctor = nullptr;
      for (CKvoObject* o : cls->Functions().Objects()) {
        auto* f = static_cast<CSgFunction*>(o);
        if (f->IsStub() || std::strcmp(f->Name(), cls->Name()) != 0) continue;
        if (!ctor || f->ParameterCount() == 0) ctor = f;
      }
      if (ctor) st = Call(vm, ctor, {}, nullptr, &table, h);
    }
    Leave(acts);
    S.self.pop_back();
    return st == ST_ERROR ? ST_ERROR : ST_OK;
  }

  // ---------------------------------------------------------------- arithmetic (general)

  // The operation in the common type of the operands; the result converts into r's type
  // (an untyped r takes the common type).
  static int Arith(CSgVm& vm, int code, CSgVariable* r, CSgVariable* x, CSgVariable* y, CSgProgram* prog) {
    x = VA::Resolve(x);
    y = VA::Resolve(y);
    int t = GetCommanVarType(x->VarType(), y->VarType());
    if (r->VarType() == SGVT_NONE && !VA::Ref(r)) r->SetVarType(t, 0);
    if (t == SGVT_STRING && code == OP_ADD) {
      std::string s = x->GetString();
      s += y->GetString();
      r->SetString(s.c_str());
      return ST_OK;
    }
    if (t == SGVT_DOUBLE || t == SGVT_FLOAT || t == SGVT_STRING) {
      double a = x->GetDouble(), b = y->GetDouble(), v = 0;
      switch (code) {
        case OP_ADD: v = a + b; break;
        case OP_SUB: v = a - b; break;
        case OP_MUL: v = a * b; break;
        case OP_DIV: v = a / b; break;  // reals divide as IEEE does (inf, nan)
        case OP_MOD: v = std::fmod(a, b); break;
      }
      if (t == SGVT_FLOAT) v = (double)(float)v;
      r->SetDouble(v);
      return ST_OK;
    }
    long long a = x->GetLong(), b = y->GetLong(), v = 0;
    switch (code) {
      case OP_ADD: v = WrapAdd(a, b); break;
      case OP_SUB: v = WrapSub(a, b); break;
      case OP_MUL: v = WrapMul(a, b); break;
      case OP_DIV:
      case OP_MOD:
        if (b == 0) return Fail(vm, SGE_DIVIDE_BY_ZERO, std::string(x->Name()) + (code == OP_DIV ? " / " : " % ") + y->Name(), prog);
        if (b == -1) v = code == OP_DIV ? WrapSub(0, a) : 0;  // the one quotient that overflows
        else v = code == OP_DIV ? a / b : a % b;
        break;
    }
    if (t == SGVT_INT) v = NarrowInt(v);
    r->SetLong(v);
    return ST_OK;
  }

  // -1, 0 or 1: strings compare as text, reals as reals, the rest as integers.
  static int Compare(CSgVariable* x, CSgVariable* y) {
    x = VA::Resolve(x);
    y = VA::Resolve(y);
    int t = GetCommanVarType(x->VarType(), y->VarType());
    if (t == SGVT_STRING) {
      int c = std::strcmp(std::string(x->GetString()).c_str(), y->GetString());
      return (c > 0) - (c < 0);
    }
    if (t == SGVT_DOUBLE || t == SGVT_FLOAT) {
      double a = x->GetDouble(), b = y->GetDouble();
      if (a != a || b != b) return 2;  // unordered: every comparison but != is false
      return (a > b) - (a < b);
    }
    long long a = x->GetLong(), b = y->GetLong();
    return (a > b) - (a < b);
  }

  static bool Holds(int code, int c) {
    switch (code) {
      case OP_GT: return c == 1;
      case OP_LT: return c == -1;
      case OP_EQ: return c == 0;
      case OP_GE: return c == 1 || c == 0;
      case OP_LE: return c == -1 || c == 0;
      default: return c != 0;  // OP_NE
    }
  }

  // ---------------------------------------------------------------- the interpreter

  // a <- b for the fused assignments and OP_ASSIGN: integers of one kind copy directly.
  static SG_HOT void AssignFast(const SgOp& op) {
    CSgVariable* d = VA::Resolve(op.a);
    CSgVariable* s = VA::Resolve(op.b);
    int t = VA::Type(d);
    if (t == VA::Type(s) && PlainInt(t)) VA::Int(d) = VA::Int(s);
    else d->Assign(*s);
  }

  static SG_HOT bool JudgeHolds(const SgOp& op) {
    CSgVariable* j = VA::Resolve(op.a);
    return PlainInt(VA::Type(j)) ? VA::Int(j) != 0 : j->GetBool();
  }

  // Integer +, - and * when both operands are int or long and the result is int or long:
  // int with int is exact in 64 bits and saturates into an int; a long operand makes it
  // long arithmetic, which wraps. False leaves the general path to do it.
  template <int Code>
  static SG_HOT bool IntArith(const SgOp* op) {
    CSgVariable* x = VA::Resolve(op->b);
    CSgVariable* y = VA::Resolve(op->c);
    int tx = VA::Type(x), ty = VA::Type(y);
    if (!((tx == SGVT_INT || tx == SGVT_LONG) && (ty == SGVT_INT || ty == SGVT_LONG))) return false;
    long long a = VA::Int(x), b = VA::Int(y);
    long long v = Code == OP_ADD ? WrapAdd(a, b) : Code == OP_SUB ? WrapSub(a, b) : WrapMul(a, b);
    CSgVariable* r = VA::Resolve(op->a);
    if (tx == SGVT_INT && ty == SGVT_INT) {
      v = NarrowInt(v);
      if (SG_LIKELY(VA::Type(r) == SGVT_INT)) {
        VA::Int(r) = v;  // already in range
        return true;
      }
    }
    return StoreIntFast(r, v);
  }

  template <int Code>
  static SG_HOT bool IntDivide(const SgOp* op) {
    CSgVariable* x = VA::Resolve(op->b);
    CSgVariable* y = VA::Resolve(op->c);
    if (!(VA::Type(x) == SGVT_INT && VA::Type(y) == SGVT_INT && VA::Int(y) > 0)) return false;
    long long a = VA::Int(x), b = VA::Int(y);
    return StoreIntFast(VA::Resolve(op->a), Code == OP_MOD ? a % b : a / b);
  }

  static SG_HOT void Comparison(const SgOp* op, int code) {
    CSgVariable* x = VA::Resolve(op->b);
    CSgVariable* y = VA::Resolve(op->c);
    int c;
    if (PlainInt(VA::Type(x)) && PlainInt(VA::Type(y))) {
      long long a = VA::Int(x), b = VA::Int(y);
      c = (a > b) - (a < b);
    } else {
      c = Compare(x, y);
    }
    StoreBool(VA::Resolve(op->a), Holds(code, c));
  }

  // 506 with an index: the result refers to the element, so a following assignment writes
  // into it (a character of a text is read as a one-character string).
  static int Index(CSgVm& vm, const SgOp* op, CSgProgram* prog) {
    CSgVariable* arr = VA::Resolve(op->b);
    CSgVariable* idx = VA::Resolve(op->c);
    long long i = PlainInt(VA::Type(idx)) ? VA::Int(idx) : idx->GetLong();
    if (arr->IsArray()) {
      if (i < 0 || (size_t)i >= VA::Count(arr))
        return Fail(vm, SGE_INDEX_RANGE, std::string(arr->Name()) + "[" + std::to_string(i) + "]", prog);
      CSgVariable* e = VA::Resolve(VA::Elem(arr, (size_t)i));
      VA::SetRef(op->a, e == op->a ? nullptr : e);
      return ST_OK;
    }
    if (arr->VarType() == SGVT_STRING) {
      std::string s = arr->GetString();
      if (i < 0 || (size_t)i >= s.size())
        return Fail(vm, SGE_INDEX_RANGE, std::string(arr->Name()) + "[" + std::to_string(i) + "]", prog);
      VA::SetRef(op->a, nullptr);
      op->a->SetString(std::string(1, s[(size_t)i]).c_str());
      return ST_OK;
    }
    return Fail(vm, SGE_NOT_ARRAY, arr->Name(), prog);
  }

  // The interpreter loop: threaded dispatch (each handler jumps to the next one itself)
  // where the compiler has computed goto, a switch elsewhere. The step count lives in a
  // local while the loop runs and is written back around everything that may run code of
  // its own (calls, sub-programs) and on leaving.
  static int Exec(CSgVm& vm, SgCode* code, CSgProgram* prog, CSgModule* module) {
    const SgOp* const base = code->ops.data();
    const SgOp* ip = base;
    const SgOp* op = nullptr;
    const long long budget = vm.m_budget;
    long long steps = vm.m_steps;
    int st = ST_OK;
#define SG_LEAVE(x)     \
  do {                  \
    vm.m_steps = steps; \
    return (x);         \
  } while (0)
#define SG_OUTCALL(call) \
  do {                   \
    vm.m_steps = steps;  \
    st = (call);         \
    steps = vm.m_steps;  \
  } while (0)
#define SG_FETCH() \
  op = ip++;       \
  ++steps;
    // The budget is checked where control can come back: at backward jumps (every loop has
    // one) and on entering code (every call does); straight code in between is finite.
#define SG_CHECK_BUDGET()                                        \
  if (steps > budget) {                                          \
    vm.m_steps = steps;                                          \
    return Fail(vm, SGE_BUDGET, std::to_string(budget), prog);   \
  }
    SG_CHECK_BUDGET();
#if defined(__GNUC__)
    static const void* const kHandlers[] = {
#define SG_VM_OP_LABEL(name) &&L_##name,
        SG_VM_OPS(SG_VM_OP_LABEL)
#undef SG_VM_OP_LABEL
    };
#define SG_OP(name) L_##name:
#define SG_NEXT()                \
  do {                           \
    SG_FETCH();                  \
    goto* kHandlers[op->code];   \
  } while (0)
    SG_NEXT();
    {
#else
#define SG_OP(name) case name:
#define SG_NEXT() goto dispatch
  dispatch:
    SG_FETCH();
    switch (op->code) {
#endif
    // After an operation fused with its assignment (and, for 2, the jump on the judge).
#define SG_FUSED_NEXT()                              \
  do {                                               \
    if (op->fuse) {                                  \
      AssignFast(*ip++);                             \
      ++steps;                                       \
      if (op->fuse == 2) {                           \
        const SgOp* j = ip++;                        \
        ++steps;                                     \
        if (!JudgeHolds(*j)) ip = base + j->target;  \
      } else if (op->fuse == 3) {                    \
        const SgOp* j = ip++;                        \
        ++steps;                                     \
        if (JudgeHolds(*j)) {                        \
          ip = base + j->target;                     \
          SG_CHECK_BUDGET();                         \
        }                                            \
      }                                              \
    }                                                \
    SG_NEXT();                                       \
  } while (0)

      SG_OP(OP_ASSIGN) {
        AssignFast(*op);
        SG_NEXT();
      }
      // (result, a, b): a <- b, then result <- a, each converting into its own type.
      SG_OP(OP_ASSIGN3) {
        op->b->Assign(*op->c);
        op->a->Assign(*op->b);
        SG_NEXT();
      }
      // Arithmetic: the integer fast path in line, everything else (reals, strings, mixed
      // kinds, division by zero) through Arith.
      SG_OP(OP_ADD) {
        if (!IntArith<OP_ADD>(op) && Arith(vm, OP_ADD, op->a, op->b, op->c, prog) == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_SUB) {
        if (!IntArith<OP_SUB>(op) && Arith(vm, OP_SUB, op->a, op->b, op->c, prog) == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_MUL) {
        if (!IntArith<OP_MUL>(op) && Arith(vm, OP_MUL, op->a, op->b, op->c, prog) == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_MOD) {
        if (!IntDivide<OP_MOD>(op) && Arith(vm, OP_MOD, op->a, op->b, op->c, prog) == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_DIV) {
        if (!IntDivide<OP_DIV>(op) && Arith(vm, OP_DIV, op->a, op->b, op->c, prog) == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_FUSED_NEXT();
      }
      // Comparisons give a boolean; integers compare in line, the rest through Compare.
      SG_OP(OP_GT) {
        Comparison(op, OP_GT);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_LT) {
        Comparison(op, OP_LT);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_EQ) {
        Comparison(op, OP_EQ);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_GE) {
        Comparison(op, OP_GE);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_LE) {
        Comparison(op, OP_LE);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_NE) {
        Comparison(op, OP_NE);
        SG_FUSED_NEXT();
      }
      SG_OP(OP_AND) {
        StoreBool(VA::Resolve(op->a), op->b->GetBool() && op->c->GetBool());
        SG_FUSED_NEXT();
      }
      SG_OP(OP_OR) {
        StoreBool(VA::Resolve(op->a), op->b->GetBool() || op->c->GetBool());
        SG_FUSED_NEXT();
      }
      SG_OP(OP_NOT) {
        StoreBool(VA::Resolve(op->a), !op->c->GetBool());
        SG_FUSED_NEXT();
      }
      SG_OP(OP_INDEX) {
        // In line: an array indexed by an integer within range; the rest out of line.
        CSgVariable* arr = VA::Resolve(op->b);
        CSgVariable* idx = VA::Resolve(op->c);
        if (arr->IsArray() && PlainInt(VA::Type(idx)) && (unsigned long long)VA::Int(idx) < VA::Count(arr)) {
          CSgVariable* e = VA::Resolve(VA::Elem(arr, (size_t)VA::Int(idx)));
          VA::SetRef(op->a, e == op->a ? nullptr : e);
        } else if (Index(vm, op, prog) == ST_ERROR) {
          SG_LEAVE(ST_ERROR);
        }
        SG_FUSED_NEXT();
      }
      SG_OP(OP_COPY) {
        op->a->Assign(*op->b);
        SG_NEXT();
      }
      SG_OP(OP_SHORT) {
        // The left operand decides: the result is that operand's truth, and the right
        // operand's operations and the 507/508 are jumped over (target precomputed).
        bool left = op->b->GetBool();
        bool decides = op->aux == 0 ? !left : left;
        if (decides && op->target >= 0) {
          StoreBool(VA::Resolve(op->a), left);
          ip = base + op->target;
        }
        SG_NEXT();
      }
      SG_OP(OP_MEMBER) {
        SG_OUTCALL(Member(vm, *op, prog, module));
        if (st == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_NEXT();
      }
      SG_OP(OP_CALL) {
        SG_OUTCALL(CallStub(vm, static_cast<CSgFunction*>(op->p)));
        if (st == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_NEXT();
      }
      SG_OP(OP_RUNPROG) {
        // A program run by an action is a run of its own: its return and break end there.
        SG_OUTCALL(RunCode(vm, static_cast<CSgProgram*>(op->p)));
        if (st == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_NEXT();
      }
      SG_OP(OP_NEW) {
        SG_OUTCALL(New(vm, *op, prog, module));
        if (st == ST_ERROR) SG_LEAVE(ST_ERROR);
        SG_NEXT();
      }
      SG_OP(OP_DELETE) {
        // The table forgets the instance; every variable holding it then reads as null,
        // including an activation running a method on it (which is not written back).
        CSgVariable* var = VA::Resolve(op->a);
        if (CSgInstanceTable* t = var->InstanceTable()) t->Remove(var->InstanceHandle());
        var->SetInstance(nullptr, SgObjectHandle());
        SG_NEXT();
      }
      SG_OP(OP_NEWMODULE) {
        CSgModule* m = module ? module->FindModule(op->text) : nullptr;
        if (!m) {
          vm.m_steps = steps;
          return Fail(vm, SGE_NO_MODULE, op->text, prog);
        }
        CSgVariable* var = VA::Resolve(op->a);
        var->SetKind(SGVK_MODULE);
        var->SetBoundObject(m);
        var->SetClassName(op->text);
        SG_NEXT();
      }
      SG_OP(OP_RETURN) { SG_LEAVE(ST_RETURN); }
      SG_OP(OP_SKIPPED) {
        ++vm.m_skipped;
        SG_NEXT();
      }
      SG_OP(OP_BADACTION) {
        vm.m_steps = steps;
        const char* name = SgActionTypeName(op->aux);
        return Fail(vm, SGE_NULL_OPERAND, name ? name : std::to_string(op->aux), prog);
      }
      // Control. Backward jumps are where a loop comes round again: the budget is checked.
      SG_OP(OP_JUMP) {
        const SgOp* to = base + op->target;
        if (to < ip) SG_CHECK_BUDGET();
        ip = to;
        SG_NEXT();
      }
      SG_OP(OP_JUMPIF) {
        if (JudgeHolds(*op)) {
          ip = base + op->target;
          SG_CHECK_BUDGET();
        }
        SG_NEXT();
      }
      SG_OP(OP_JUMPIFNOT) {
        if (!JudgeHolds(*op)) ip = base + op->target;
        SG_NEXT();
      }
      SG_OP(OP_SUBPROG) {
        // A sub-program is part of this code's flow: its return returns from here too, and
        // its break leaves this code's innermost loop (or this code, outside any loop).
        SG_OUTCALL(RunCode(vm, static_cast<CSgProgram*>(op->p)));
        if (st == ST_ERROR || st == ST_RETURN) SG_LEAVE(st);
        if (st == ST_BREAK) {
          if (op->target < 0) SG_LEAVE(ST_BREAK);
          ip = base + op->target;
        }
        SG_NEXT();
      }
      SG_OP(OP_BREAKOUT) { SG_LEAVE(ST_BREAK); }
      SG_OP(OP_MALFORMED) {
        vm.m_steps = steps;
        return Fail(vm, SGE_MALFORMED, code->error, prog);
      }
      SG_OP(OP_END) { SG_LEAVE(ST_OK); }
    }
#undef SG_FUSED_NEXT
#undef SG_NEXT
#undef SG_OP
#undef SG_FETCH
#undef SG_CHECK_BUDGET
#undef SG_OUTCALL
#undef SG_LEAVE
    return ST_OK;  // not reached: every handler leaves or goes on
  }
};

// ---------------------------------------------------------------- the public face

int CSgVm::Run(CSgProgram* program) {
  if (!program) return SG_RUN_OK;
  if (m_state->depth == 0) {
    m_steps = 0;
    ClearError();
  }
  // A function run directly is a call without arguments (its parameters keep their values).
  int st = program->TypeCode() == SGT_FUNCTION
               ? SgVmEngine::Call(*this, static_cast<CSgFunction*>(program), {}, nullptr, nullptr, SgObjectHandle())
               : SgVmEngine::RunCode(*this, program);
  return st == ST_ERROR ? SG_RUN_ERROR : SG_RUN_OK;
}

int CSgVm::Evaluate(CSgConditions* conditions, int* holds) {
  if (holds) *holds = 0;
  if (!conditions) return SG_RUN_OK;
  if (m_state->depth == 0) {
    m_steps = 0;
    ClearError();
  }
  SgCode* code = SgVmEngine::CodeFor(*this, conditions);
  ++m_state->depth;
  int st = SgVmEngine::Exec(*this, code, nullptr, conditions->Module());
  --m_state->depth;
  if (st == ST_ERROR) return SG_RUN_ERROR;
  CSgVariable* judge = conditions->JudgeVariable();
  if (holds) *holds = judge ? (judge->GetBool() ? 1 : 0) : 1;
  return SG_RUN_OK;
}
