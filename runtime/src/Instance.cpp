// Instances of script classes and their table.
#include "sg/Instance.h"

#include "sg/Variable.h"

CSgInstance::Storage* CSgInstance::StorageOf(const CSgProgram* cls) {
  for (Storage& s : m_storage)
    if (s.cls == cls) return &s;
  return nullptr;
}

CSgInstanceTable::CSgInstanceTable() = default;
CSgInstanceTable::~CSgInstanceTable() = default;

// Freed slots are reused; their generation moved on when they were freed, so an old handle
// to the slot never matches the new instance.
SgObjectHandle CSgInstanceTable::Add(std::unique_ptr<CSgInstance> instance) {
  if (!instance) return {};
  std::uint32_t slot;
  if (!m_free.empty()) {
    slot = m_free.back();
    m_free.pop_back();
  } else {
    slot = (std::uint32_t)m_slots.size();
    m_slots.emplace_back();
  }
  instance->m_slot = slot;
  m_slots[slot].instance = std::move(instance);
  ++m_live;
  return {slot, m_slots[slot].gen};
}

CSgInstance* CSgInstanceTable::Get(SgObjectHandle h) const {
  if (h.gen == 0 || h.slot >= m_slots.size()) return nullptr;
  const Slot& s = m_slots[h.slot];
  return s.gen == h.gen ? s.instance.get() : nullptr;
}

int CSgInstanceTable::Remove(SgObjectHandle h) {
  if (!Get(h)) return 0;
  Slot& s = m_slots[h.slot];
  // Take it out of the table before it dies, so nothing finds it half destroyed.
  std::unique_ptr<CSgInstance> dying = std::move(s.instance);
  if (++s.gen == 0) s.gen = 1;  // generation 0 is reserved for the null handle
  m_free.push_back(h.slot);
  --m_live;
  dying.reset();
  return 1;
}
