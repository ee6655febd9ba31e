// Running what a script compiled: the top-level `program` blocks of a read, once each, in order.
// Hosts run programs themselves; this is what the command-line tool and the tests use.
#pragma once

#include <string>

#include "lexer/ScrApi.h"

class CScriptReader;
class CSgModule;
class CSgProgram;

struct ScrRunResult {
  bool ok = true;
  std::string error;    // the run-time error, in English, with the program's name
  std::string program;  // the program (or function) that was running
  long long steps = 0;  // operations executed
};

// Runs every program of the reader's last `script` block, in the order they were read; stops
// at the first run-time error. maxSteps bounds each program's run (0: the VM's default).
SCR_API ScrRunResult ScrRunPrograms(CScriptReader* reader, long long maxSteps);
// Runs one program.
SCR_API ScrRunResult ScrRunProgram(CSgProgram* program, CSgModule* module, long long maxSteps);
