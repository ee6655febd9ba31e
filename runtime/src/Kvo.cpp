// CKvoObject, the code tables and the runtime's string helpers.
#include "sg/Kvo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sg/Module.h"

// Both tables are expanded from the X-macros of sg/Types.h, so a code is listed once.
const char* SgRuntimeTypeName(int code) {
  switch (code) {
#define SG_RUNTIME_TYPE_CASE(name, value, text) \
  case value:                                   \
    return text;
    SG_RUNTIME_TYPES(SG_RUNTIME_TYPE_CASE)
#undef SG_RUNTIME_TYPE_CASE
    default:
      return nullptr;
  }
}

const char* SgVarTypeName(int code) {
  switch (code) {
#define SG_VAR_TYPE_CASE(name, value, text) \
  case value:                               \
    return text;
    SG_VAR_TYPES(SG_VAR_TYPE_CASE)
#undef SG_VAR_TYPE_CASE
    default:
      return nullptr;
  }
}

// A null name is an empty name: Name() never returns null.
CKvoObject::CKvoObject(int typeCode, const char* name) : m_name(name ? name : ""), m_typeCode(typeCode) {}

CKvoObject::~CKvoObject() {
  // Tell every index that still lists us, so none keeps a dangling pointer. The index
  // detaches itself in ObjectDestroyed, so work on a copy.
  std::vector<CKvoNameIndex*> indexes;
  indexes.swap(m_moreIndexes);
  CKvoNameIndex* first = m_index;
  m_index = nullptr;
  if (first) first->ObjectDestroyed(this);
  for (CKvoNameIndex* index : indexes) index->ObjectDestroyed(this);
}

// The indexes listing the object hear of every real change of name.
void CKvoObject::SetName(const char* name) {
  std::string old = std::move(m_name);
  m_name = name ? name : "";
  if (old == m_name) return;
  if (m_index) m_index->ObjectRenamed(this, old);
  for (CKvoNameIndex* index : m_moreIndexes) index->ObjectRenamed(this, old);
}

// The module part uses the module's path, so nested modules give "main:a:b:name".
std::string CKvoObject::FullName() const {
  if (!m_module) return m_name;
  return m_module->PathName() + ":" + m_name;
}

// An index is recorded once, however often it attaches.
void CKvoObject::AttachIndex(CKvoNameIndex* index) {
  if (!index || index == m_index) return;
  if (std::find(m_moreIndexes.begin(), m_moreIndexes.end(), index) != m_moreIndexes.end()) return;
  if (!m_index) m_index = index;
  else m_moreIndexes.push_back(index);
}

// The inline slot is refilled from the others, so it is empty only when all are.
void CKvoObject::DetachIndex(CKvoNameIndex* index) {
  if (!index) return;
  if (index == m_index) {
    m_index = nullptr;
    if (!m_moreIndexes.empty()) {
      m_index = m_moreIndexes.front();
      m_moreIndexes.erase(m_moreIndexes.begin());
    }
    return;
  }
  auto it = std::find(m_moreIndexes.begin(), m_moreIndexes.end(), index);
  if (it != m_moreIndexes.end()) m_moreIndexes.erase(it);
}

char* KVOAllocString(int size) {
  // Always at least one byte, so the result is a valid empty string.
  size_t n = size > 0 ? (size_t)size : 1;
  return static_cast<char*>(std::calloc(n, 1));
}

// Releases what KVOAllocString returned; null is fine.
void KVOFreeString(char* text) { std::free(text); }

void KVOSkipDoubleQuotes(char* text) {
  if (!text) return;
  size_t len = std::strlen(text);
  // Only a text that both begins and ends with a quote (two distinct characters) is changed.
  if (len < 2 || text[0] != '"' || text[len - 1] != '"') return;
  // Copy the inside down by one, folding each "" into ".
  size_t out = 0;
  for (size_t in = 1; in < len - 1; ++in) {
    text[out++] = text[in];
    if (text[in] == '"' && in + 1 < len - 1 && text[in + 1] == '"') ++in;
  }
  text[out] = '\0';
}

int straccord(const char* a, const char* b) {
  if (!a || !b) return a == b ? 1 : 0;
  const unsigned char* pa = (const unsigned char*)a;
  const unsigned char* pb = (const unsigned char*)b;
  for (;;) {
    unsigned char ca = *pa++, cb = *pb++;
    if (ca >= 0x81 && ca != 0xFF) {
      // A GBK lead byte: it and its trail byte must match exactly. The trail byte may lie
      // in the ASCII letter range, and folding it would equate two different characters.
      if (ca != cb) return 0;
      ca = *pa++;
      cb = *pb++;
      if (ca != cb) return 0;
      if (ca == 0) return 1;
      continue;
    }
    // Only ASCII letters fold.
    if (ca >= 'A' && ca <= 'Z') ca = (unsigned char)(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = (unsigned char)(cb - 'A' + 'a');
    if (ca != cb) return 0;
    if (ca == 0) return 1;
  }
}
