// CSgVm: the machine that runs compiled programs.
//
// A program's instruction chain is compiled once (lazily, on its first run after
// AddRefForVariables) into a flat array of small operations with direct pointers to the
// variables; conditions are inlined into the code that tests them, branches and loops
// become jumps, so running a loop allocates nothing and converts nothing.
//
// Short-circuit (3500): the action at position k of an action list with the flag 0x2000
// and skip count s: when the left operand decides (false for &&, mode 0; true for ||,
// mode 1) the result variable takes that boolean and the actions k+1 .. k+s+1 (the right
// operand's s actions and the 507/508 action after them) are skipped: execution goes on
// at action k+s+2. Without 0x2000, or when the left operand does not decide, nothing is
// skipped and the 507/508 action computes the result.
//
// Calls (2300): the stub's own chain runs first (it computes the arguments), then each
// argument is copied into the callee's parameter (a '&' parameter refers to the argument
// instead), the callee runs (for a virtual callee invoked on an instance: the override of
// the instance's class), and its return value is copied into the stub's return variable.
// A function entered while already running has its locals (its variables, those of its
// nested programs and call stubs) saved before the call and restored after it.
//
// Methods run on an instance: the class program's variables hold the values of the
// instance that is active for that class; entering a method on another instance writes the
// active one back into its storage and loads the new one, and leaving does the reverse.
//
// Limits: every executed operation counts one step against the budget; nested runs (calls,
// sub-programs) are bounded by SG_VM_MAX_CALL_DEPTH, and the locals saved for them by
// SG_VM_MAX_SAVED_VARIABLES. Each stops the run with an error
// record the caller can read (code, text, program).
#pragma once

#include <string>
#include <vector>

#include "sg/Program.h"

// Nested runs (function calls, sub-programs, programs run by 2900) in one VM.
#define SG_VM_MAX_CALL_DEPTH 200
// Steps (operations) one run may take unless the VM is given another budget.
#define SG_VM_DEFAULT_STEP_BUDGET 100000000LL
// Operations one program may compile into (a chain shared by many branches is copied into
// each, so this bounds the growth of malformed or adversarial chains).
#define SG_VM_MAX_CODE_OPS 4000000
// Variables (array elements each counting one) that the saved activations of re-entered
// functions may hold at once: a recursive function with a large local array would otherwise
// copy it at every level.
#define SG_VM_MAX_SAVED_VARIABLES 100000
// Nesting of branches within one program's chain while compiling it.
#define SG_VM_MAX_BRANCH_DEPTH 400

// Run-time errors: X(ENUMNAME, code, "text").
#define SG_VM_ERRORS(X)                                                        \
  X(SGE_NONE, 0, "no error")                                                   \
  X(SGE_BUDGET, 1, "step budget exhausted")                                    \
  X(SGE_CALL_DEPTH, 2, "calls nested too deeply")                              \
  X(SGE_DIVIDE_BY_ZERO, 3, "integer division by zero")                         \
  X(SGE_INDEX_RANGE, 4, "array index out of range")                            \
  X(SGE_NOT_ARRAY, 5, "indexed variable is not an array")                      \
  X(SGE_NULL_OBJECT, 6, "null object")                                         \
  X(SGE_NO_MEMBER, 7, "the object's class has no such member")                 \
  X(SGE_NO_METHOD, 8, "the object's class has no such method")                 \
  X(SGE_NO_CLASS, 9, "class not found")                                        \
  X(SGE_NO_CALLEE, 10, "call stub without a function")                         \
  X(SGE_BAD_ARGUMENT, 11, "method argument not found")                         \
  X(SGE_MALFORMED, 12, "malformed instruction chain")                          \
  X(SGE_NULL_OPERAND, 13, "action without its variables")                      \
  X(SGE_NO_MODULE, 14, "module not found")                                     \
  X(SGE_NATIVE, 15, "built-in function failed")                                \
  X(SGE_SAVED_LOCALS, 16, "recursion saves too many local variables")

enum ESgVmError : int {
#define SG_VM_ERROR_ENUM(name, code, text) name = code,
  SG_VM_ERRORS(SG_VM_ERROR_ENUM)
#undef SG_VM_ERROR_ENUM
};

// The text of an error code (English; hosts translate by code).
const char* SgVmErrorText(int code);

struct SgRunError {
  int code = SGE_NONE;
  std::string text;     // SgVmErrorText(code) and the detail, e.g. "array index out of range: 7"
  std::string program;  // the name of the program (function) that was running
};

class CSgVm {
 public:
  explicit CSgVm(long long stepBudget = SG_VM_DEFAULT_STEP_BUDGET);
  ~CSgVm();
  CSgVm(const CSgVm&) = delete;
  CSgVm& operator=(const CSgVm&) = delete;

  // The budget of each Run/Evaluate (steps counted from 0 at each top-level call).
  void SetStepBudget(long long steps) { m_budget = steps; }
  long long StepBudget() const { return m_budget; }
  long long Steps() const { return m_steps; }
  // Actions of types the VM does not execute (animation actions and the like), passed over.
  long long SkippedActions() const { return m_skipped; }

  // Runs a program once: SG_RUN_OK or SG_RUN_ERROR (then Error() tells why).
  int Run(CSgProgram* program);
  // Runs the conditions' actions; *holds (when given) receives 1 when they hold.
  int Evaluate(CSgConditions* conditions, int* holds);

  bool Failed() const { return m_error.code != SGE_NONE; }
  const SgRunError& Error() const { return m_error; }
  void ClearError() { m_error = SgRunError(); }

  // Internal: the engine (Vm.cpp) reaches the state through these.
  struct Frame;
  struct State;
  State& S() { return *m_state; }

 private:
  long long m_budget;
  long long m_steps = 0;
  long long m_skipped = 0;
  SgRunError m_error;
  State* m_state;
  friend struct SgVmEngine;
};
