// CKvoObject, the base of every runtime object, and the small string helpers of the runtime.
#pragma once

#include <string>
#include <vector>

#include "sg/Types.h"

class CSgModule;
class CDescriber;
class CKvoObject;

// Something that indexes objects by name (a module's collections). An object tells every
// index it is listed in when its name changes or when it is destroyed, so that an index
// never holds a stale name or a dangling pointer.
class CKvoNameIndex {
 public:
  virtual void ObjectRenamed(CKvoObject* obj, const std::string& oldName) = 0;
  virtual void ObjectDestroyed(CKvoObject* obj) = 0;

 protected:
  ~CKvoNameIndex() = default;
};

class CKvoObject {
 public:
  CKvoObject(int typeCode = 0, const char* name = nullptr);
  virtual ~CKvoObject();
  CKvoObject(const CKvoObject&) = delete;
  CKvoObject& operator=(const CKvoObject&) = delete;

  // The object's name; never null (an unnamed object has "").
  const char* Name() const { return m_name.c_str(); }
  void SetName(const char* name);

  // The runtime type code (see SG_RUNTIME_TYPES).
  int TypeCode() const { return m_typeCode; }
  void SetTypeCode(int code) { m_typeCode = code; }

  // The module the object lives in (for a module: its parent).
  CSgModule* Module() const { return m_module; }
  void SetModule(CSgModule* module) { m_module = module; }

  // The C++ class name, for the dumps.
  virtual const char* KindName() const { return "CKvoObject"; }

  // Lists the object's own properties. The dumper prints kind, type and name itself,
  // so the base lists nothing.
  virtual void Describe(CDescriber&) const {}

  // Module path + ':' + name ("main:Pump:level"); just the name outside any module.
  std::string FullName() const;

  // Name indexes (used by the module's collections).
  void AttachIndex(CKvoNameIndex* index);
  void DetachIndex(CKvoNameIndex* index);

 private:
  std::string m_name;
  int m_typeCode;
  CSgModule* m_module = nullptr;
  // Not owned. Nearly every object is listed in one index only, which is kept inline: an
  // allocation per object saved where compiled code makes hundreds of thousands of them.
  CKvoNameIndex* m_index = nullptr;
  std::vector<CKvoNameIndex*> m_moreIndexes;
};

// A zeroed writable buffer of `size` bytes (at least one byte); release with KVOFreeString.
char* KVOAllocString(int size);
void KVOFreeString(char* text);

// In place: removes one pair of enclosing double quotes when the text both begins and
// ends with one, and turns each doubled "" inside into one "; anything else is left as it is.
void KVOSkipDoubleQuotes(char* text);

// 1 when the strings are equal ignoring ASCII letter case (bytes >= 0x80 compare exactly);
// two null pointers are equal, a null and a non-null are not.
int straccord(const char* a, const char* b);
