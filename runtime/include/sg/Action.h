// ActPrm: one action record, and the table of action types.
//
// An action is a general record: a type and a handful of typed slots (variables, a key or a
// pointer-sized value, three texts, an integer, a real, a flag word, arrays of keys and reals).
// Compiled programs are lists of actions of the program types (500..516, 2300, 2900,
// 2904..2906, 3500, 3501), which the VM executes; animations and the other readers fill the
// same record with their own types, which the VM counts and passes over.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "sg/Types.h"

class CSgVariable;

// Action types: X(ENUMNAME, code, "printable name", executed by the VM).
// One list expanded into the enum, the names and the VM's dispatch (see Vm.cpp).
//
//   type  operands (variables in slot order)   meaning
//   500   a, b  |  result, a, b                a <- b (then result <- a)
//   501   result, a, b                         result <- a + b (strings: concatenation)
//   502   result, a, b                         result <- a * b
//   503   result, a, b                         result <- a % b (integers; 0 divisor: error)
//   504   result, a, b                         result <- a / b (integer division for integers)
//   505   result, a, b                         result <- a - b
//   506   result, a, i  |  destination, source result refers to a[i]  |  copy of the value
//   507   result, a, b                         result <- a && b
//   508   result, a, b                         result <- a || b
//   509..514  result, a, b                     > < == >= <= != (strings compare as text)
//   515   result, a, b                         result <- !b
//   516   result, object, memberText           member reference or method call
//   2300  dword: call stub (CSgFunction*)      call through the stub
//   2900  dword: CSgProgram*                   run that program
//   2904  object; string: class name           new instance (runs the constructor)
//   2905  object                               delete the instance
//   2906  moduleVar; string: module name       bind a module variable to that module
//   3500  result, left; int: 0 && / 1 ||       short-circuit (see Vm.h)
//   3501  -                                    return from the current function
#define SG_ACTION_TYPES(X)                          \
  X(ACT_ASSIGN, 500, "assign", 1)                   \
  X(ACT_ADD, 501, "add", 1)                         \
  X(ACT_MUL, 502, "multiply", 1)                    \
  X(ACT_MOD, 503, "modulo", 1)                      \
  X(ACT_DIV, 504, "divide", 1)                      \
  X(ACT_SUB, 505, "subtract", 1)                    \
  X(ACT_INDEX, 506, "index", 1)                     \
  X(ACT_AND, 507, "and", 1)                         \
  X(ACT_OR, 508, "or", 1)                           \
  X(ACT_GT, 509, "greater", 1)                      \
  X(ACT_LT, 510, "less", 1)                         \
  X(ACT_EQ, 511, "equal", 1)                        \
  X(ACT_GE, 512, "greater or equal", 1)             \
  X(ACT_LE, 513, "less or equal", 1)                \
  X(ACT_NE, 514, "not equal", 1)                    \
  X(ACT_NOT, 515, "not", 1)                         \
  X(ACT_MEMBER, 516, "member", 1)                   \
  X(ACT_CALL, 2300, "call", 1)                      \
  X(ACT_RUNPROGRAM, 2900, "run program", 1)         \
  X(ACT_NEWOBJECT, 2904, "new object", 1)           \
  X(ACT_DELETEOBJECT, 2905, "delete object", 1)     \
  X(ACT_NEWMODULE, 2906, "new module", 1)           \
  X(ACT_SHORTCIRCUIT, 3500, "short-circuit", 1)     \
  X(ACT_RETURN, 3501, "return", 1)

enum ESgActionType : int {
#define SG_ACTION_TYPE_ENUM(name, code, text, vm) name = code,
  SG_ACTION_TYPES(SG_ACTION_TYPE_ENUM)
#undef SG_ACTION_TYPE_ENUM
};

// The printable name of an action type; nullptr for a type not in the table.
const char* SgActionTypeName(int type);
// 1 when the VM executes actions of this type, else 0 (the VM counts and passes over them).
int SgActionIsExecutable(int type);

// Flag bits of an action. The presence bits say which parameter slots a record carries; the
// setters of those slots set them. A 3500 action of compiled code uses two of the same bits
// for its own purpose (it carries no parameters).
enum : int {
  ACTF_HAS_INT = 0x2,
  ACTF_HAS_BOOL = 0x4,
  ACTF_HAS_FLOAT = 0x8,
  ACTF_HAS_KEY = 0x10,
  ACTF_HAS_LONG = 0x2000,
  ACTF_SHORTCIRCUIT = 0x2,  // a 3500 action of && or ||
  ACTF_SKIPSET = 0x2000,    // the 3500 action's skip count has been set
};

class ActPrm {
 public:
  ActPrm() = default;
  explicit ActPrm(int type) : m_type(type) {}
  // Copies are deep for the texts and arrays; the variables and the dword are shared
  // (an action never owns them).
  ActPrm(const ActPrm& other);
  ActPrm& operator=(const ActPrm& other);
  ActPrm(ActPrm&&) noexcept = default;
  ActPrm& operator=(ActPrm&&) noexcept = default;
  ~ActPrm() = default;

  void SetType(int type) { m_type = type; }
  int Type() const { return m_type; }

  // Variables by slot; the list grows to hold index. Not owned. The first few slots live
  // in the record itself: compiled code never uses more than three.
  void SetVariable(int index, CSgVariable* var);
  void SetVariables(const std::vector<CSgVariable*>& vars);
  void SetVariables(std::initializer_list<CSgVariable*> vars);
  CSgVariable* Variable(int index) const {
    if (index < 0 || index >= m_nvars) return nullptr;
    return m_nvars <= kInlineVars ? m_vars[index] : m_extra->vars[(size_t)index];
  }
  int VariableCount() const { return m_nvars; }
  std::vector<CSgVariable*> Variables() const;

  // A scene key, or any pointer-sized value (2300: the call stub; 2900: the program).
  void SetKey(SGKEY key) {
    m_key = key;
    m_flags |= ACTF_HAS_KEY;
  }
  SGKEY Key() const { return m_key; }
  void SetDword(std::uintptr_t value) { m_dword = value; }
  void SetDword(const void* pointer) { m_dword = (std::uintptr_t)pointer; }
  std::uintptr_t Dword() const { return m_dword; }
  template <class T>
  T* DwordAs() const {
    return reinterpret_cast<T*>(m_dword);
  }

  // Texts are copied; null sets "".
  void SetString(const char* text) { SetText(&Extra::string, text); }
  void SetString2(const char* text) { SetText(&Extra::string2, text); }
  void SetString3(const char* text) { SetText(&Extra::string3, text); }
  const char* String() const { return m_extra ? m_extra->string.c_str() : ""; }
  const char* String2() const { return m_extra ? m_extra->string2.c_str() : ""; }
  const char* String3() const { return m_extra ? m_extra->string3.c_str() : ""; }

  void SetInt(int v) {
    m_int = v;
    m_flags |= ACTF_HAS_INT;
  }
  int Int() const { return m_int; }
  void SetFloat(float v) {
    m_float = v;
    m_flags |= ACTF_HAS_FLOAT;
  }
  float Float() const { return m_float; }
  void SetBool(int v) {
    m_bool = v != 0;
    m_flags |= ACTF_HAS_BOOL;
  }
  int Bool() const { return m_bool ? 1 : 0; }
  void SetLong(long long v) {
    SetDword((std::uintptr_t)v);
    m_flags |= ACTF_HAS_LONG;
  }
  long long Long() const { return (long long)m_dword; }
  // A scene path kept as text, resolved when the action runs.
  void SetPathname(const char* path) { SetText(&Extra::pathname, path); }
  const char* Pathname() const { return m_extra ? m_extra->pathname.c_str() : ""; }

  // Arrays are copied; a null array or n <= 0 clears.
  void SetKeyArray(const SGKEY* keys, int n);
  void SetFloatArray(const float* values, int n);
  const std::vector<SGKEY>& KeyArray() const { return m_extra ? m_extra->keys : NoKeys(); }
  const std::vector<float>& FloatArray() const { return m_extra ? m_extra->floats : NoFloats(); }

  // Flag bits (ACTF_*).
  void SetFlags(int flags) { m_flags = flags; }
  void AddFlags(int flags) { m_flags |= flags; }
  int Flags() const { return m_flags; }
  // 3500: how many actions follow before the 507/508 action (the right operand's actions).
  void SetSkipCount(int n) { m_skip = n; }
  int SkipCount() const { return m_skip; }

  // Where a call was written (the `pause(` calls carry it).
  void SetCaller(const char* file, int line) {
    SetText(&Extra::callerFile, file);
    m_callerLine = line;
  }
  const char* CallerFile() const { return m_extra ? m_extra->callerFile.c_str() : ""; }
  int CallerLine() const { return m_callerLine; }

 private:
  static constexpr int kInlineVars = 3;
  // What few actions carry: texts, arrays and variables beyond the inline slots. Made on
  // the first non-empty setter, so the common action is one small allocation-free record.
  struct Extra {
    std::string string, string2, string3, callerFile, pathname;
    std::vector<SGKEY> keys;
    std::vector<float> floats;
    std::vector<CSgVariable*> vars;  // every slot, once there are more than kInlineVars
  };
  Extra& Extras();
  void SetText(std::string Extra::*field, const char* text);
  static const std::vector<SGKEY>& NoKeys();
  static const std::vector<float>& NoFloats();

  int m_type = 0;
  int m_nvars = 0;
  CSgVariable* m_vars[kInlineVars] = {};
  SGKEY m_key = SG_NO_KEY;
  std::uintptr_t m_dword = 0;
  int m_int = 0;
  float m_float = 0.0f;
  int m_flags = 0;
  int m_skip = 0;
  int m_callerLine = -1;
  bool m_bool = false;
  std::unique_ptr<Extra> m_extra;
};

// Deletes every action of the list and empties it (for the owners of action lists).
void SgFreeActions(std::list<ActPrm*>& actions);
