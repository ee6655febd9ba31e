// Instances of script classes and the table that owns them.
//
// `new Class` makes an instance: a copy of the member variables of the class and of each of
// its parent classes. Object variables hold a handle (slot and generation) into the table of
// the module tree's root, so a handle to a deleted instance reads as null instead of
// dangling.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CSgProgram;
class CSgVariable;

class CSgInstance {
 public:
  explicit CSgInstance(CSgProgram* cls) : m_class(cls) {}
  CSgProgram* Class() const { return m_class; }
  // One storage per class of the chain (the class first, then its parents); each holds a
  // copy of every variable of that class program, in the program's order.
  struct Storage {
    CSgProgram* cls;
    std::vector<std::unique_ptr<CSgVariable>> values;
  };
  std::vector<Storage> m_storage;
  std::uint32_t m_slot = 0;  // where the table keeps it
  // The instance's storage of one class of its chain; nullptr when cls is not in it.
  Storage* StorageOf(const CSgProgram* cls);

 private:
  CSgProgram* m_class;
};

// A handle to an instance: a generation of 0 is the null object.
struct SgObjectHandle {
  std::uint32_t slot = 0;
  std::uint32_t gen = 0;
  bool operator==(const SgObjectHandle&) const = default;
};

class CSgInstanceTable {
 public:
  CSgInstanceTable();
  ~CSgInstanceTable();
  // Takes ownership and gives the handle.
  SgObjectHandle Add(std::unique_ptr<CSgInstance> instance);
  // The live instance of a handle; nullptr for null or deleted ones.
  CSgInstance* Get(SgObjectHandle h) const;
  // Deletes the instance; every handle to it reads as null afterwards. 0 when not live.
  int Remove(SgObjectHandle h);
  int LiveCount() const { return m_live; }

 private:
  struct Slot {
    std::unique_ptr<CSgInstance> instance;
    std::uint32_t gen = 1;
  };
  std::vector<Slot> m_slots;
  std::vector<std::uint32_t> m_free;
  int m_live = 0;
};
