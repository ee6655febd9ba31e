// CSgVariable: a typed runtime value, or an array of nested variables.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sg/Instance.h"
#include "sg/Kvo.h"

class CSgInstanceTable;

// What a variable stands for: a value, an instance of a script class, or a module.
enum ESgVarKind : int {
  SGVK_VALUE = 0,
  SGVK_OBJECT = 1,
  SGVK_MODULE = 2,
};

// Flag bits of a variable (Flags()).
enum : int {
  SGVF_MEMBERTEXT = 0x11,  // a string holding the member text of a '.' (set by the compiler)
  SGVF_BYREF = 0x100,      // a parameter passed by reference (its type text ends in '&')
};

// A variable carries one of the variable type codes (SG_VAR_TYPES). Values are kept in
// the storage of their kind (integer, real or text) and convert on the way in and out:
// a setter converts the value to the variable's type; a getter converts to the asked kind.
// An untyped variable (code 0) takes the type of the first value given to it, so element
// slots created by SetVarType can be filled with Set.
class CSgVariable : public CKvoObject {
 public:
  explicit CSgVariable(int typeCode = SGT_VARIABLE, const char* name = nullptr);
  ~CSgVariable() override;

  // Sets the type. A scalar keeps its value, converted. An array type (bit 0x1000) with
  // size n holds exactly n element slots afterwards: new slots are untyped variables
  // named by their index, surplus slots are deleted. For a scalar, size is only recorded.
  void SetVarType(int code, int size);
  int VarType() const { return m_varType; }
  // Arrays: the element count; scalars: the size given to SetVarType.
  int GetSize() const;
  bool IsArray() const { return (m_varType & SGVT_ARRAY) != 0; }

  void SetInt(int v);
  void SetLong(long long v);
  void SetFloat(float v);
  void SetDouble(double v);
  void SetBool(int v);
  void SetString(const char* text);  // nullptr sets ""
  void Set(int v) { SetInt(v); }
  void Set(long long v) { SetLong(v); }
  void Set(float v) { SetFloat(v); }
  void Set(double v) { SetDouble(v); }
  // Stores `element` (ownership taken) at `index`, replacing and deleting what was there;
  // grows the array when index >= size. On a scalar the variable becomes an untyped
  // array. A negative index deletes the element and returns 0; a null element returns 0.
  int Set(int index, CSgVariable* element);
  // A random variable (type 0x80) with a range gives a fresh draw from [low, high] on
  // every numeric read (the bounds are swapped when low > high).
  void SetRandRange(int low, int high);
  int RandLow() const { return m_ext ? m_ext->randLow : 0; }
  int RandHigh() const { return m_ext ? m_ext->randHigh : 0; }

  int GetInt() const;
  long long GetLong() const;
  float GetFloat() const;
  double GetDouble() const;
  bool GetBool() const;
  // The text of a string variable, or the value formatted as text; never null.
  // The pointer stays valid until the variable is next changed or read as text.
  const char* GetString() const;
  CSgVariable* Element(int i) const;  // nullptr outside 0..size-1 or on a scalar

  // Conveniences: 1 when the variable holds a typed scalar, else 0 (out gets 0).
  int Get(int& out) const;
  int Get(long long& out) const;
  int Get(float& out) const;
  int Get(double& out) const;

  // The class an object variable is declared of ("" when none).
  void SetClassName(const char* name) {
    if ((name && *name) || m_ext) Ext().className = name ? name : "";
  }
  const char* ClassName() const { return m_ext ? m_ext->className.c_str() : ""; }

  // --- kinds, references and objects ---
  // The two-argument form is the compiler's; both rename the variable.
  void SetName(const char* name, int bIndex = 1) {
    (void)bIndex;
    CKvoObject::SetName(name);
  }
  void SetKind(int kind) { m_kind = kind; }
  int Kind() const { return m_kind; }
  bool IsObjectVar() const { return m_kind == SGVK_OBJECT; }
  bool IsModuleVar() const { return m_kind == SGVK_MODULE; }
  // Makes this a reference: reads and writes go to the target (the end of the target's own
  // reference chain); null, or a target that leads back here, makes it a plain variable.
  void SetRefVar(CSgVariable* target);
  CSgVariable* RefVar() const { return m_ref; }
  // The variable reads and writes land in (this one when it is no reference).
  CSgVariable* Target() {
    CSgVariable* v = this;
    while (v->m_ref) v = v->m_ref;  // SetRefVar never lets a chain close into a cycle
    return v;
  }
  const CSgVariable* Target() const { return const_cast<CSgVariable*>(this)->Target(); }
  // The object it points to was made by `new` (set by the compiler on assignments of new).
  void SetOwnership(int v) { m_owns = v != 0; }
  int Ownership() const { return m_owns ? 1 : 0; }
  void SetFlags(int flags) { m_flags = flags; }
  void AddFlags(int flags) { m_flags |= flags; }
  int Flags() const { return m_flags; }
  // A block variable: a coordinate, vector or other kind whose elements the runtime computes
  // (runtime type codes other than SGT_VARIABLE); constant indexes are not folded into it.
  bool IsBlock() const { return TypeCode() != SGT_VARIABLE; }
  // "int", "float&", "intarray", a class name for an object, "module", "" when untyped.
  std::string GetTypeString() const;
  // Object variables: the instance (handle into the root module's table).
  void SetInstance(CSgInstanceTable* table, SgObjectHandle handle);
  CSgInstance* Instance() const;
  SgObjectHandle InstanceHandle() const { return m_ext ? m_ext->handle : SgObjectHandle(); }
  CSgInstanceTable* InstanceTable() const { return m_ext ? m_ext->table : nullptr; }
  // A program or module the variable is bound to (not owned): a user program named as a
  // value, or the module of a module variable.
  void SetBoundObject(CKvoObject* obj) {
    if (obj || m_ext) Ext().bound = obj;
  }
  CKvoObject* BoundObject() const { return m_ext ? m_ext->bound : nullptr; }
  // Copies value, type, size, class name, kind, binding and instance handle (arrays deep),
  // but not the name, the reference or the flags.
  void CopyValueFrom(const CSgVariable& src);
  // a <- b: numbers convert into this variable's type, an untyped variable takes the
  // source's type; arrays copy deeply; objects and modules copy the handle or binding.
  // Both sides are followed through their references.
  void Assign(const CSgVariable& src);

  const char* KindName() const override { return "CSgVariable"; }
  // Prints "varType", "value" (arrays: a list of element values, nested arrays nested),
  // "className" when set and the random range for random variables.
  void Describe(CDescriber& d) const override;

 private:
  enum class Store { None, Integer, Real, Text };
  static Store StoreOf(int varType);
  Store CurrentStore() const { return StoreOf(m_varType); }
  void AdoptTypeIfUntyped(int code);
  void StoreInteger(long long v);
  void StoreReal(double v);
  void DescribeValue(CDescriber& d, const char* key) const;
  void ResizeElements(int n);

  // The fields the VM reads on every operation come first, on one cache line.
  int m_varType = SGVT_NONE;
  int m_size = 0;
  long long m_int = 0;
  CSgVariable* m_ref = nullptr;
  double m_real = 0.0;
  std::string m_text;
  std::vector<std::unique_ptr<CSgVariable>> m_elements;
  int m_kind = SGVK_VALUE;
  bool m_owns = false;
  bool m_copying = false;  // CopyValueFrom is copying from a snapshot into this variable
  int m_flags = 0;
  // What few variables need: most are plain values (every literal and operator result of
  // compiled code is one), so these live apart and are made on first use.
  struct Extension {
    std::string textCache;  // formatted text handed out by GetString
    std::string className;
    int randLow = 0;
    int randHigh = 0;
    bool hasRange = false;
    CSgInstanceTable* table = nullptr;
    SgObjectHandle handle;
    CKvoObject* bound = nullptr;
  };
  Extension& Ext() const {
    if (!m_ext) m_ext = std::make_unique<Extension>();
    return *m_ext;
  }
  mutable std::unique_ptr<Extension> m_ext;
  friend struct SgVarAccess;  // the VM's fast paths (Vm.cpp)
};

// The common type of two operands of an arithmetic operator: string with anything gives
// string; otherwise the wider of double > float > long > int > bool (byte, random and the
// other integer kinds count as int; untyped gives the other's type, int when both are).
int GetCommanVarType(int typeA, int typeB);
