// The VM (first cut: the interface; the engine follows).
#include "sg/Vm.h"

#include "VmCode.h"
#include "sg/Module.h"
#include "sg/Variable.h"

const char* SgVmErrorText(int code) {
  switch (code) {
#define SG_VM_ERROR_TEXT(name, value, text) \
  case value:                               \
    return text;
    SG_VM_ERRORS(SG_VM_ERROR_TEXT)
#undef SG_VM_ERROR_TEXT
    default:
      return "unknown error";
  }
}

struct CSgVm::State {};

CSgVm::CSgVm(long long stepBudget) : m_budget(stepBudget), m_state(new State) {}
CSgVm::~CSgVm() { delete m_state; }

int CSgVm::Run(CSgProgram* program) {
  (void)program;
  return SG_RUN_OK;
}

int CSgVm::Evaluate(CSgConditions* conditions, int* holds) {
  (void)conditions;
  if (holds) *holds = 0;
  return SG_RUN_OK;
}

SgCode* CSgProgram::CompiledCode(CSgVm&) { return m_code.get(); }
