// libFuzzer target: one text compiled as a program body (ScrReadProgramFromString) and, when it
// compiled, run with a small step budget; the same text is also compiled as a condition.
// Nothing is written to disk.
#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/ScrRun.h"
#include "compiler/ScrStrings.h"
#include "sg/Module.h"
#include "sg/Variable.h"
#include "sg/Program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') != std::string::npos) return 0;
  CSgModule root;
  // A few variables for the text to name.
  for (const char* n : {"a", "b", "x"}) {
    auto* v = new CSgVariable();
    v->SetName(n);
    v->SetVarType(0x2, 0);
    root.AddVariable(v);
  }
  if (CSgProgram* p = ScrReadProgramFromString(text.c_str(), &root, nullptr)) {
    ScrRunProgram(p, &root, 10000);
    delete p;
  }
  delete ScrReadConditionsFromString(text.c_str(), &root, nullptr);
  return 0;
}
