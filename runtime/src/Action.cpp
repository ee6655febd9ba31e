// ActPrm records and the action-type table.
#include "sg/Action.h"

// Both lookups expand the one table of sg/Action.h.
const char* SgActionTypeName(int type) {
  switch (type) {
#define SG_ACTION_TYPE_NAME(name, code, text, vm) \
  case code:                                      \
    return text;
    SG_ACTION_TYPES(SG_ACTION_TYPE_NAME)
#undef SG_ACTION_TYPE_NAME
    default:
      return nullptr;
  }
}

int SgActionIsExecutable(int type) {
  switch (type) {
#define SG_ACTION_TYPE_VM(name, code, text, vm) \
  case code:                                    \
    return vm;
    SG_ACTION_TYPES(SG_ACTION_TYPE_VM)
#undef SG_ACTION_TYPE_VM
    default:
      return 0;
  }
}

// A negative slot is ignored; slots in between stay null.
void ActPrm::SetVariable(int index, CSgVariable* var) {
  if (index < 0) return;
  if ((size_t)index >= m_vars.size()) m_vars.resize((size_t)index + 1, nullptr);
  m_vars[(size_t)index] = var;
}

void ActPrm::SetKeyArray(const SGKEY* keys, int n) {
  if (!keys || n <= 0) m_keys.clear();
  else m_keys.assign(keys, keys + n);
}

void ActPrm::SetFloatArray(const float* values, int n) {
  if (!values || n <= 0) m_floats.clear();
  else m_floats.assign(values, values + n);
}

void SgFreeActions(std::list<ActPrm*>& actions) {
  for (ActPrm* a : actions) delete a;
  actions.clear();
}
