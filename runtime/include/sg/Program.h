// Compiled code: programs, functions, instructions and conditions.
//
// A program (CSgProgram) holds a chain of instructions, its local variables, the programs
// nested in it and its functions. An instruction (CSgInstruction) runs, in this order:
//   1. its actions (ActPrm records, copied in with AddAction);
//   2. its sub-program, when it has one;
//   3. its branch: no conditions means satisfied; satisfied runs the satisfied chain,
//      otherwise the unsatisfied chain (either may be null). With the loop-head mark the
//      satisfied chain is repeated while the conditions hold;
// and then goes on with its next instruction. A break mark leaves the innermost loop (a
// loop of this program, or, from a sub-program, the loop around the instruction that runs
// it); a break outside any loop ends the program. The loop-end mark closes a loop body:
// after that instruction control returns to the loop head (its next is ignored).
//
// Ownership: instructions and conditions belong to the module of the program (or of the
// conditions) they are made with; deleting one explicitly is also allowed and removes it
// from the module. An instruction of a program without a module belongs to that program
// (and moves with TakeFrom and CopyFrom); conditions made without a module belong to
// whoever made them. Chains never own each other, so a chain may be relinked, shared or
// detached (SetInstruction(nullptr)) freely. Variables, nested programs and functions
// added to a program are owned by it.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sg/Action.h"
#include "sg/Kvo.h"
#include "sg/ObjectList.h"
#include "sg/SceneObjects.h"  // CSgMsg

class CSgModule;
class CSgVariable;
class CSgProgram;
class CSgFunction;
class CSgVm;
struct SgCode;
struct SgClassState;

// CSgMsg (sg/SceneObjects.h) keeps the highest message identifier handed out so far: the `asyn`
// completion posts it.

// ---------------------------------------------------------------- conditions

// One test of a conditions tree that is not compiled code (a scene node shown or hidden:
// CSgCondFieldShow in sg/Control.h). Owned by the conditions it is added to.
class CSgCondition {
 public:
  virtual ~CSgCondition() = default;
  virtual int Holds() const = 0;
  // A short text for the dumps ("fieldon #12").
  virtual std::string Text() const = 0;
};

// How the parts of a conditions tree combine.
enum : BYTE {
  SG_COND_AND = 1,  // every part holds (the default)
  SG_COND_OR = 2,   // at least one part holds
};

// A compiled condition: actions that compute the judge variable. The condition holds when
// the judge variable is true after the actions ran. Without actions and without a judge
// variable (the switch's always-true condition) it always holds.
class CSgConditions {
 public:
  // Registers with the module, which owns it from then on (see the header comment).
  explicit CSgConditions(CSgModule* module);
  ~CSgConditions();
  CSgConditions(const CSgConditions&) = delete;
  CSgConditions& operator=(const CSgConditions&) = delete;

  // Appends copies of the actions; the caller keeps (and frees) its own.
  void AddActions(const std::list<ActPrm*>& actions);
  const std::vector<ActPrm>& Actions() const { return m_actions; }
  void SetJudgeVariable(CSgVariable* var);
  CSgVariable* JudgeVariable() const { return m_judge; }
  void SetSourceCode(const char* text) { m_source = text ? text : ""; }
  const char* SourceCode() const { return m_source.c_str(); }
  // Called once compiled; compiled forms built from the old actions are rebuilt.
  void AddRefForVariables();
  CSgModule* Module() const { return m_module; }

  // A conditions block of a script is a tree: its own compiled test (when it has actions or
  // a judge variable), nested conditions and plain tests, combined by the mode. Nested
  // conditions belong to their module as every conditions object does; tests belong here.
  void SetMode(BYTE mode) { m_mode = mode; }
  BYTE Mode() const { return m_mode; }
  void AddConditions(CSgConditions* nested);  // null and this object itself are ignored
  void AddCondition(CSgCondition* test);      // takes ownership; null is ignored
  const std::vector<CSgConditions*>& NestedConditions() const { return m_nested; }
  int TestCount() const { return (int)m_tests.size(); }
  CSgCondition* Test(int i) const { return m_tests[(size_t)i].get(); }

  // Runs the actions in a VM of its own (default budget) and reads the judge variable, then
  // combines the nested conditions and tests by the mode. Returns 1 when the condition holds,
  // 0 when not or when running failed. A tree deeper than SG_MAX_CONDITION_DEPTH (only a host
  // linking conditions into a cycle makes one) does not hold.
  int Evaluate();
  static constexpr int SG_MAX_CONDITION_DEPTH = 256;

 private:
  friend class CSgModule;
  friend struct SgVmEngine;
  CSgModule* m_module;
  std::vector<ActPrm> m_actions;
  CSgVariable* m_judge = nullptr;
  std::string m_source;
  std::unique_ptr<SgCode> m_code;  // compiled form for Evaluate, built lazily
  BYTE m_mode = SG_COND_AND;
  std::vector<CSgConditions*> m_nested;  // not owned (their module owns them)
  std::vector<std::unique_ptr<CSgCondition>> m_tests;
  int EvaluateAt(int depth);
};

// ---------------------------------------------------------------- instructions

class CSgInstruction {
 public:
  // Registers with the program's module, which owns it from then on.
  explicit CSgInstruction(CSgProgram* program);
  ~CSgInstruction();
  CSgInstruction(const CSgInstruction&) = delete;
  CSgInstruction& operator=(const CSgInstruction&) = delete;

  CSgProgram* Program() const { return m_program; }

  void SetNext(CSgInstruction* next);
  CSgInstruction* Next() const { return m_next; }
  // The last instruction of the chain that starts here (this one when it has no next).
  // A chain that runs into a cycle ends at the instruction before the repeat.
  CSgInstruction* Last();

  // The branch: conditions (null: always satisfied), satisfied and unsatisfied targets.
  void SetBranch(CSgConditions* conditions, CSgInstruction* satisfied, CSgInstruction* unsatisfied);
  void SetBranchUnsati(CSgInstruction* unsatisfied);
  CSgConditions* Conditions() const { return m_conditions; }
  CSgInstruction* Satisfied() const { return m_satisfied; }
  CSgInstruction* Unsatisfied() const { return m_unsatisfied; }

  // The continuation an `elseif` instruction takes over from the instruction before it:
  // where control goes once the whole if-chain is done. Execution reaches it by itself
  // (a branch returns to the instruction that took it), so the VM only records it.
  void SetContinuation(CSgInstruction* instr) { m_continuation = instr; }
  CSgInstruction* Continuation() const { return m_continuation; }
  // Copies the continuation of `from` (the instruction before an `elseif`).
  void TakeContinuation(const CSgInstruction* from) { m_continuation = from ? from->m_continuation : nullptr; }

  void SetSubProgram(CSgProgram* program);
  CSgProgram* SubProgram() const { return m_subProgram; }

  // Appends copies of the actions; the caller keeps (and frees) its own list.
  void AddAction(const std::list<ActPrm*>& actions);
  const std::vector<ActPrm>& Actions() const { return m_actions; }

  // Marks, set directly by the compiler (any non-zero value sets a mark). Changing a mark
  // after a program ran takes effect after the program's next AddRefForVariables.
  int m_break = 0;     // leave the innermost loop
  int m_loopHead = 0;  // repeat the satisfied chain while the conditions hold
  int m_loopEnd = 0;   // the last instruction of a loop body

  void SetBreak(int v) { m_break = v; }
  void SetLoopHead(int v) { m_loopHead = v; }
  void SetLoopEnd(int v) { m_loopEnd = v; }

  void SetDebugCode(const char* text) { m_debug = text ? text : ""; }
  const char* DebugCode() const { return m_debug.c_str(); }
  void SetIdsString(const char* text) { m_ids = text ? text : ""; }
  const char* IdsString() const { return m_ids.c_str(); }

 private:
  friend class CSgModule;
  void Changed();
  CSgProgram* m_program;
  CSgModule* m_owner = nullptr;        // the module that owns this instruction, or
  CSgProgram* m_ownerProgram = nullptr;  // the program, when that has no module
  friend class CSgProgram;
  CSgInstruction* m_next = nullptr;
  CSgConditions* m_conditions = nullptr;
  CSgInstruction* m_satisfied = nullptr;
  CSgInstruction* m_unsatisfied = nullptr;
  CSgInstruction* m_continuation = nullptr;
  CSgProgram* m_subProgram = nullptr;
  std::vector<ActPrm> m_actions;
  std::string m_debug;
  std::string m_ids;
};

// ---------------------------------------------------------------- programs

// Kinds of a run's outcome (Execute's result).
enum ESgRunStatus : int {
  SG_RUN_OK = 0,     // ran to its end (or returned)
  SG_RUN_ERROR = 1,  // stopped by a run-time error (the VM holds it, see Vm.h)
};

// Flags of FindFunctionLocal.
enum : int {
  SG_FIND_EXACT = 0,       // parameter types equal (blanks and a trailing '&' ignored)
  SG_FIND_COMPATIBLE = 1,  // numbers match numbers; untyped matches anything
  SG_FIND_NAME_ONLY = 2,   // the parameter list is not compared
};

class CSgProgram : public CKvoObject {
 public:
  // A program made in a module is not listed in it: register it (AddUserProgram,
  // AddUserClass) or give it to a program that owns it.
  explicit CSgProgram(CSgModule* module = nullptr, const char* name = nullptr);
  ~CSgProgram() override;

  // The two-argument form (bIndex) is the compiler's; both rename the program.
  void SetName(const char* name, int bIndex = 1);

  // --- the instruction chain ---
  void SetInstruction(CSgInstruction* head);
  CSgInstruction* Instruction() const { return m_head; }

  // --- variables (owned) ---
  // Takes ownership; null or an already listed variable is ignored. Returns 1 when added.
  int AddVariable(CSgVariable* var);
  // Unlists and hands back (caller owns it); nullptr when not listed.
  CSgVariable* RemoveVariable(CSgVariable* var);
  const CObjectList<CSgVariable>& Variables() const { return m_variables; }
  int VariableCount() const { return m_variables.Count(); }
  CSgVariable* Variable(int i) const { return m_variables.At(i); }
  CSgVariable* FindVariableLocal(const char* name) const;
  // This program, then (unless bLocal) its father programs, then (unless bProgramOnly) the
  // module's variables (FindVariable of the module: this module, then its ancestors).
  CSgVariable* FindVariable(const char* name, int bLocal = 0, int bProgramOnly = 0) const;
  // Takes over every variable of `from` (a merged block body); `from` keeps none. Nested
  // programs and functions of `from` move along, so nothing the moved code uses is lost.
  void TakeFrom(CSgProgram* from);

  // --- nested programs (owned) ---
  // Takes ownership and makes this program the nested one's father. Returns 1 when added.
  int AddUserProgram(CSgProgram* program);
  CSgProgram* RemoveUserProgram(CSgProgram* program);
  CSgProgram* FindUserProgram(const char* name) const;  // this program, then the fathers
  const CObjectList<CSgProgram>& UserPrograms() const { return m_programs; }

  // --- functions (owned) ---
  // Takes ownership; the function's owner program becomes this one when it has none.
  int AddFunction(CSgFunction* function);
  CSgFunction* RemoveFunction(CSgFunction* function);
  const CObjectList<CSgFunction>& Functions() const { return m_functions; }
  // By name: this program, its fathers, then the program "local" of the module and of its
  // ancestors. Call stubs are never found.
  CSgFunction* FindFunction(const char* name) const;
  // This program only. paramTypes are type texts ("int", "float&", a class name). With
  // SG_FIND_NAME_ONLY the list is ignored. `sameName` (when given) receives the first
  // function of that name whatever its parameters.
  CSgFunction* FindFunctionLocal(const char* name, const std::vector<std::string>& paramTypes = {},
                                 int flags = SG_FIND_NAME_ONLY, CSgFunction** sameName = nullptr) const;
  // The same with the parameter list of another function (a call stub's arguments).
  CSgFunction* FindFunctionLocal(const char* name, const CSgFunction* like, int flags,
                                 CSgFunction** sameName = nullptr) const;

  // --- relations ---
  void SetFatherProgram(CSgProgram* father) { m_father = father; }
  CSgProgram* FatherProgram() const { return m_father; }
  // The name of the class this program belongs to: a class's own name, the class's name for
  // programs and functions nested in it, "" outside classes.
  const char* GetClassNameA() const;
  // Set by CSgModule::AddUserClass.
  void SetClass(int bClass) { m_isClass = bClass != 0; }
  bool IsClass() const { return m_isClass; }
  // The first class found by following father programs from this one (itself included).
  CSgProgram* OwnerClass() const;
  // The first function found by following father programs (itself included).
  CSgFunction* OwnerFunction() const;

  // An `asyn` program (the VM runs it in line: there is no second thread of scripts).
  int m_asynchronous = 0;
  void SetAsynchronous(int v) { m_asynchronous = v; }

  void SetIdsString(const char* text) { m_ids = text ? text : ""; }
  const char* IdsString() const { return m_ids.c_str(); }

  // Called once compiled: the compiled form is rebuilt on the next run.
  void AddRefForVariables();

  // Runs the program once in a VM with the default budget. SG_RUN_OK or SG_RUN_ERROR.
  int Execute();
  // Runs in the given VM (its budget, its error record).
  int Execute(CSgVm& vm);

  // Takes over another program's content (a class or function read again): its chain, and
  // with it the variables, nested programs and functions that chain uses, move here;
  // `from` is left empty. Variables and functions of this program that the incoming ones
  // replace by name stay alive for code that still uses them but are no longer found.
  void CopyFrom(CSgProgram* from);
  // Forgets the chain and deletes variables, nested programs and functions.
  void Clear();

  const char* KindName() const override { return "CSgProgram"; }
  void Describe(CDescriber& d) const override;

  // The VM's view of the program (compiled code, activation count). Not for readers.
  int m_running = 0;  // activations in progress (the VM saves locals on re-entry)

 protected:
  CSgProgram(int typeCode, CSgModule* module, const char* name);

 private:
  CSgInstruction* m_head = nullptr;
  CObjectList<CSgVariable> m_variables;
  CObjectList<CSgProgram> m_programs;
  CObjectList<CSgFunction> m_functions;
  CSgProgram* m_father = nullptr;
  bool m_isClass = false;
  std::string m_ids;
  std::unique_ptr<SgCode> m_code;
  std::unique_ptr<SgClassState> m_classState;  // a class's active instance and defaults
  std::vector<std::unique_ptr<CKvoObject>> m_retired;  // replaced by CopyFrom
  // Instructions made for this program while it has no module.
  std::vector<std::unique_ptr<CSgInstruction>> m_loose;
  void TakeLoose(CSgProgram* from);
  friend class CSgInstruction;
  friend struct SgVmEngine;
};

// ---------------------------------------------------------------- functions

class CSgFunction : public CSgProgram {
 public:
  explicit CSgFunction(CSgModule* module = nullptr, const char* name = nullptr);
  ~CSgFunction() override;

  // The program that holds the function (a class for a method, "local" at script level).
  // It also becomes the father program when the function has none.
  void SetOwnerProgram(CSgProgram* owner);
  CSgProgram* OwnerProgram() const { return m_owner; }

  int m_virtual = 0;
  void SetVirtual(int v) { m_virtual = v; }
  int IsVirtual() const { return m_virtual; }

  // A new parameter variable of the function (owned). A type ending in '&' (blanks before it
  // allowed) is passed by reference. A class name as type makes an object parameter.
  // Returns the variable.
  CSgVariable* AddParameter(const char* name, const char* typeText);
  // A call stub's argument: an existing variable (not owned).
  void AddParameter(CSgVariable* argument);
  int ParameterCount() const { return (int)m_params.size(); }
  CSgVariable* Parameter(int i) const;
  const std::vector<CSgVariable*>& Parameters() const { return m_params; }
  // The type texts of the parameters ("int", "float&", ...).
  std::vector<std::string> ParameterTypes() const;
  // Detaches the parameters (the variables stay with the function as ordinary variables
  // when owned) and returns them; used when one function takes over another's parameters.
  std::vector<CSgVariable*> DetachParameters();

  // The return variable (not owned: it lives in the owner program, or the caller's program
  // for a call stub). Null for a void function.
  void SetReturnVariable(CSgVariable* var) { m_return = var; }
  CSgVariable* ReturnVariable() const { return m_return; }

  // Call stubs: the function a stub calls and the whole name written at the call.
  void SetReferenceProgram(CSgFunction* callee, const char* wholeName);
  CSgFunction* ReferenceProgram() const { return m_callee; }
  const char* WholeName() const { return m_wholeName.c_str(); }
  bool IsStub() const { return m_callee != nullptr; }

  // A built-in: C++ code the VM runs in place of the chain, once the arguments are bound
  // to the parameters. It reads the parameters, may set the return variable, and returns
  // SG_RUN_OK, or SG_RUN_ERROR to stop the run.
  using Native = std::function<int(CSgFunction& self)>;
  void SetNative(Native fn) { m_native = std::move(fn); }
  const Native& GetNative() const { return m_native; }
  bool IsNative() const { return static_cast<bool>(m_native); }

  const char* KindName() const override { return "CSgFunction"; }
  void Describe(CDescriber& d) const override;

 private:
  Native m_native;
  CSgProgram* m_owner = nullptr;
  std::vector<CSgVariable*> m_params;
  CSgVariable* m_return = nullptr;
  CSgFunction* m_callee = nullptr;
  std::string m_wholeName;
};

// The runtime's built-in functions live in the main module's "system" program, next to the
// functions a script's `class system` defines. Returns that program with every built-in in
// it: the program is made when missing, a built-in added when the program lacks it.
CSgProgram* SgSystemProgramWithBuiltins(CSgModule* module);
// Whether `name` is a built-in function (postCommand, ...).
bool SgIsBuiltinFunction(const char* name);

// The variable type code of a type text ("int", "float", "long", "dword", "handle", "bool",
// "BOOL", "byte", "double", "string", "file"); a trailing '&' is ignored. -1 for anything
// else (a class or module name).
int SgVarTypeFromText(const char* typeText);
