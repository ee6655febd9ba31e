#include "compiler/ScrRun.h"

#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Variable.h"
#include "sg/Program.h"
#include "sg/Vm.h"

ScrRunResult ScrRunProgram(CSgProgram* program, CSgModule*, long long maxSteps) {
  ScrRunResult r;
  if (!program) return r;
  CSgVm vm;
  if (maxSteps > 0) vm.SetStepBudget(maxSteps);
  if (vm.Run(program) != SG_RUN_OK) {
    r.ok = false;
    r.error = vm.Error().text;
    r.program = vm.Error().program;
  }
  r.steps = vm.Steps();
  return r;
}

ScrRunResult ScrRunPrograms(CScriptReader* reader, long long maxSteps) {
  ScrRunResult total;
  if (!reader || !reader->Script()) return total;
  for (CKvoObject* o : reader->Script()->Objects()) {
    auto* p = dynamic_cast<CSgProgram*>(o);
    // Classes and functions are listed too; only `program` blocks run.
    if (!p || p->IsClass() || dynamic_cast<CSgFunction*>(p)) continue;
    ScrRunResult r = ScrRunProgram(p, reader->RootModule(), maxSteps);
    total.steps += r.steps;
    if (!r.ok) {
      r.steps = total.steps;
      return r;
    }
  }
  return total;
}
