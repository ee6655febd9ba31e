// The top-level handler of steps, sequences, faults and manipulations.
#include "procedures/ScrFault.h"
#include "procedures/ScrSequence.h"
#include "procedures/ScrStep.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Procedure.h"

// A sequence goes to the module whatever its block gave; steps and faults file themselves at
// their closing brace (a failed one is dropped with its reader).
int CScrScript::ReadProcedure(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  if (token == "sequence") {
    CScrSequence r(reader);
    const int result = ReadNested(r, f);
    if (CKvoObject* s = r.TakeObject()) reader->CurrentModule()->AddSequence(s);
    return result;
  }
  if (token == "step") {
    CScrStep r(reader);
    return ReadNested(r, f);
  }
  CScrFault r(reader);
  r.Fault()->SetProcessType(token == "fault" ? 1 : 0);
  return ReadNested(r, f);
}
