// The untyped core of CObjectList<T>: ordered storage, ownership and the name index.
#include "sg/ObjectList.h"

#include <algorithm>

CObjectListBase::~CObjectListBase() { Clear(); }

void CObjectListBase::Clear() {
  // Detach first, so deleting an owned object does not call back into this list.
  std::vector<CKvoObject*> items;
  items.swap(m_items);
  for (CKvoObject* obj : items) obj->DetachIndex(this);
  std::unordered_map<const CKvoObject*, Entry> entries;
  entries.swap(m_entries);
  m_byName.clear();
  // Delete in the order of addition, so dumps of destruction order are predictable.
  for (CKvoObject* obj : items) {
    auto it = entries.find(obj);
    if (it != entries.end() && it->second.owned) delete obj;
  }
}

// Adding the same object twice would give it two owners; the second add is refused.
int CObjectListBase::AddObject(CKvoObject* obj, bool bOwn) {
  if (!obj || m_entries.count(obj)) return 0;
  m_items.push_back(obj);
  m_entries[obj] = Entry{m_nextSeq++, bOwn};
  IndexName(obj, obj->Name());
  obj->AttachIndex(this);
  return 1;
}

// Takes obj out of the order, the name index and its list of indexes, and forgets whether
// it was owned: the callers decide what happens to it.
void CObjectListBase::Unlist(CKvoObject* obj) {
  UnindexName(obj, obj->Name());
  m_entries.erase(obj);
  auto it = std::find(m_items.begin(), m_items.end(), obj);
  if (it != m_items.end()) m_items.erase(it);
  obj->DetachIndex(this);
}

// An owned object is released, not deleted: the caller owns it from now on.
CKvoObject* CObjectListBase::RemoveObject(CKvoObject* obj) {
  if (!obj || !m_entries.count(obj)) return nullptr;
  Unlist(obj);
  return obj;
}

// One hash lookup; the front of the name's vector is the first added.
CKvoObject* CObjectListBase::FindObject(const char* name) const {
  if (!name) return nullptr;
  if (!*name) {
    // Nameless objects are not indexed (compiled code makes them by the hundred thousand
    // and never looks them up), so the rare search for one walks the list.
    for (CKvoObject* obj : m_items)
      if (!*obj->Name()) return obj;
    return nullptr;
  }
  if (m_byName.empty()) return nullptr;
  auto it = m_byName.find(name);
  if (it == m_byName.end() || it->second.empty()) return nullptr;
  return it->second.front();
}

bool CObjectListBase::Contains(const CKvoObject* obj) const { return obj && m_entries.count(obj) != 0; }

bool CObjectListBase::Owns(const CKvoObject* obj) const {
  if (!obj) return false;
  auto it = m_entries.find(obj);
  return it != m_entries.end() && it->second.owned;
}

CKvoObject* CObjectListBase::ObjectAt(int i) const {
  if (i < 0 || i >= (int)m_items.size()) return nullptr;
  return m_items[(size_t)i];
}

// The vectors are short (objects sharing one name), so an ordered insert is cheap.
void CObjectListBase::IndexName(CKvoObject* obj, const std::string& name) {
  if (name.empty()) return;  // see FindObject
  // Keep each name's objects in list order, so the first added wins even after renames.
  std::vector<CKvoObject*>& same = m_byName[name];
  std::uint64_t seq = m_entries.at(obj).seq;
  // An object added last goes last: no scan, so that many objects of one name (the nameless
  // programs and temporaries of compiled code) are listed in linear time.
  if (same.empty() || m_entries.at(same.back()).seq < seq) {
    same.push_back(obj);
    return;
  }
  auto pos = std::find_if(same.begin(), same.end(), [&](CKvoObject* o) { return m_entries.at(o).seq > seq; });
  same.insert(pos, obj);
}

void CObjectListBase::UnindexName(CKvoObject* obj, const std::string& name) {
  if (name.empty()) return;
  auto it = m_byName.find(name);
  if (it == m_byName.end()) return;
  std::vector<CKvoObject*>& same = it->second;
  same.erase(std::remove(same.begin(), same.end(), obj), same.end());
  if (same.empty()) m_byName.erase(it);
}

// Called by the object after SetName: move it from the old name to the new.
void CObjectListBase::ObjectRenamed(CKvoObject* obj, const std::string& oldName) {
  if (!m_entries.count(obj)) return;
  UnindexName(obj, oldName);
  IndexName(obj, obj->Name());
}

// Someone else deleted an object still listed here: forget it without deleting it again.
void CObjectListBase::ObjectDestroyed(CKvoObject* obj) {
  if (m_entries.count(obj)) Unlist(obj);
}
