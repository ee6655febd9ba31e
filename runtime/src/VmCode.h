// The compiled form of programs and conditions, private to the runtime.
//
// A chain of instructions compiles into one flat array of operations. Every action becomes
// exactly one operation (so a short-circuit's skip count, which counts actions, is also a
// count of operations); branches, loops and breaks become jumps.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sg/Instance.h"

class CSgVariable;
class CSgProgram;
class CSgFunction;

// X(name): one list expanded into the enum and the interpreter's dispatch table.
#define SG_VM_OPS(X)                                                              \
  /* one per executable action type */                                            \
  X(OP_ASSIGN)    /* a <- b */                                                    \
  X(OP_ASSIGN3)   /* b <- c, then a <- b */                                       \
  X(OP_ADD)                                                                       \
  X(OP_SUB)                                                                       \
  X(OP_MUL)                                                                       \
  X(OP_MOD)                                                                       \
  X(OP_DIV)                                                                       \
  X(OP_INDEX)     /* a refers to b[c] */                                          \
  X(OP_COPY)      /* a <- b (the two-variable form of 506) */                     \
  X(OP_AND)                                                                       \
  X(OP_OR)                                                                        \
  X(OP_GT)                                                                        \
  X(OP_LT)                                                                        \
  X(OP_EQ)                                                                        \
  X(OP_GE)                                                                        \
  X(OP_LE)                                                                        \
  X(OP_NE)                                                                        \
  X(OP_NOT)                                                                       \
  X(OP_MEMBER)                                                                    \
  X(OP_CALL)      /* p: the call stub */                                          \
  X(OP_RUNPROG)   /* p: the program */                                            \
  X(OP_NEW)       /* a: object variable; text: class name */                      \
  X(OP_DELETE)                                                                    \
  X(OP_NEWMODULE)                                                                 \
  X(OP_SHORT)     /* a <- b when b decides (aux: 0 &&, 1 ||), jump to target */   \
  X(OP_RETURN)                                                                    \
  X(OP_SKIPPED)   /* an action type the VM does not execute */                    \
  X(OP_BADACTION) /* an action without the variables its type needs */            \
  /* control */                                                                   \
  X(OP_JUMP)      /* to target */                                                 \
  X(OP_JUMPIFNOT) /* to target when the judge a is false */                       \
  X(OP_JUMPIF)    /* to target when the judge a is true (a loop's condition) */    \
  X(OP_SUBPROG)   /* run p; its break jumps to target, or leaves when < 0 */      \
  X(OP_BREAKOUT)  /* a break outside any loop of this code */                     \
  X(OP_MALFORMED) /* the chain could not be compiled */                           \
  X(OP_END)

enum SgOpCode : std::uint8_t {
#define SG_VM_OP_ENUM(name) name,
  SG_VM_OPS(SG_VM_OP_ENUM)
#undef SG_VM_OP_ENUM
};

// Methods called through a member text ("name(args)"), resolved on first run.
struct SgMethodCache {
  std::string text;   // the member text it was resolved from
  std::string name;   // the method name
  bool special = false;  // self( or getNativeHandle(
  std::vector<CSgVariable*> args;                   // not owned, or owned below
  std::vector<std::unique_ptr<CSgVariable>> consts;  // literal arguments
};

struct SgOp {
  SgOpCode code;
  // Fused with what follows: 1 the next operation is an assignment the VM does in the
  // same step, 2 the assignment and then the OP_JUMPIFNOT on the judge, 3 the assignment
  // and then the OP_JUMPIF that closes a loop. The operations fused over
  // stay in place, so a jump to them still finds them.
  std::uint8_t fuse = 0;
  int aux = 0;
  int target = -1;
  CSgVariable* a = nullptr;
  CSgVariable* b = nullptr;
  CSgVariable* c = nullptr;
  void* p = nullptr;
  const char* text = nullptr;  // points into the instruction's action (stable while compiled)
};

struct SgCode {
  unsigned epoch = 0;
  bool stale = false;
  std::vector<SgOp> ops;
  // Saved and restored when a function is entered while it is running.
  std::vector<CSgVariable*> locals;
  long long localWeight = 0;  // the locals' variables, array elements included
  std::vector<std::unique_ptr<SgMethodCache>> methods;
  std::deque<std::string> texts;  // class and module names the operations point into
  std::string error;  // why compiling failed (OP_MALFORMED)
};

// What the VM keeps about a class program: the instance whose values its variables hold
// and the values they held before any instance was loaded (the defaults for new ones).
struct SgClassState {
  CSgInstanceTable* activeTable = nullptr;
  SgObjectHandle active;
  std::vector<std::unique_ptr<CSgVariable>> defaults;
  std::vector<CSgVariable*> vars;  // the class program's variables when the defaults were taken
  std::unordered_map<std::string, int> index;  // variable name -> position in vars
};
