// CObjectList<T>: an ordered list of runtime objects with a hash index by name.
//
// The list owns the objects added with ownership and deletes them when it is destroyed. Finds by name are hash lookups; when several objects share a name
// the one listed first wins. The index follows renames and forgets objects that are
// destroyed elsewhere, through the CKvoNameIndex notifications of CKvoObject.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sg/Kvo.h"

// The untyped core shared by every CObjectList<T>.
class CObjectListBase : public CKvoNameIndex {
 public:
  CObjectListBase() = default;
  ~CObjectListBase();
  CObjectListBase(const CObjectListBase&) = delete;
  CObjectListBase& operator=(const CObjectListBase&) = delete;

  // Appends obj, owned when bOwn. Returns 0 for null or an object already listed here.
  int AddObject(CKvoObject* obj, bool bOwn);
  // Unlists obj and hands it back (ownership to the caller); nullptr when not listed.
  CKvoObject* RemoveObject(CKvoObject* obj);
  // The first listed object of that name; nullptr when none (or name is null).
  CKvoObject* FindObject(const char* name) const;
  bool Contains(const CKvoObject* obj) const;
  bool Owns(const CKvoObject* obj) const;
  int Count() const { return (int)m_items.size(); }
  CKvoObject* ObjectAt(int i) const;
  const std::vector<CKvoObject*>& Objects() const { return m_items; }
  // Deletes the owned objects and forgets the rest.
  void Clear();

  void ObjectRenamed(CKvoObject* obj, const std::string& oldName) override;
  void ObjectDestroyed(CKvoObject* obj) override;

 private:
  void IndexName(CKvoObject* obj, const std::string& name);
  void UnindexName(CKvoObject* obj, const std::string& name);
  void Unlist(CKvoObject* obj);

  // What the list knows of one listed object: its order number and whether it owns it.
  struct Entry {
    std::uint64_t seq;
    bool owned;
  };

  std::vector<CKvoObject*> m_items;                                    // in order of addition
  std::unordered_map<const CKvoObject*, Entry> m_entries;              // every listed object
  std::unordered_map<std::string, std::vector<CKvoObject*>> m_byName;  // each vector in list order
  std::uint64_t m_nextSeq = 0;
};

template <class T>
class CObjectList final : public CObjectListBase {
 public:
  int Add(T* obj, bool bOwn = true) { return AddObject(obj, bOwn); }
  T* Remove(T* obj) { return static_cast<T*>(RemoveObject(obj)); }
  T* Find(const char* name) const { return static_cast<T*>(FindObject(name)); }
  T* At(int i) const { return static_cast<T*>(ObjectAt(i)); }
};
