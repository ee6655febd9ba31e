// The program compiler's entry points: program blocks, classes and typed functions met by the
// script dispatcher, and the compile-time helpers the declarations use.
//
// Code of the embedded language (`program { ... }`, `class Pump { ... }`, `int add(int a, int
// b) { ... }`) is compiled into runtime programs: chains of instructions carrying actions,
// branches and loop marks, which the runtime's VM executes.
#pragma once

#include <string>
#include <vector>

#include "lexer/ScrApi.h"

class CScriptReader;
class CScrStream;
class CKvoObject;
class CSgModule;
class CSgProgram;
class CSgVariable;

// program [{] statements }: compiles the block into a new program of the current module (or of
// the animation being read). *out receives the program when the block compiled (the module owns
// it); a failed block's program is deleted. Returns 0 when the block failed.
SCR_API int ScrReadProgramBlock(CScriptReader* reader, CScrStream* f, CSgProgram** out);

// class Name [: Parent] [{ members and methods }] (also `segment`). The class is appended to
// `objects`. Returns 1 (problems are reported and the definition passed over).
SCR_API int ScrReadClassDefinition(CScriptReader* reader, CScrStream* f, const std::string& token,
                                   std::vector<CKvoObject*>* objects);

// type name(parameters) [{ body }], also type Class::name(...): a function of the module's
// "local" program (or the body of a method the class declared). Appended to `objects`.
SCR_API int ScrReadFunctionDefinition(CScriptReader* reader, CScrStream* f, const std::string& token,
                                      std::vector<CKvoObject*>* objects);

// The value of an array size text at compile time: a text without any of "+-*/%" is read with
// atoi (so a bare name gives 0); otherwise it is compiled and run once over what `module` holds.
SCR_API int ScrEvaluateSize(CScriptReader* reader, const std::string& text, CSgModule* module);

// Compiles `expression` over what `module` holds, runs it once and stores its value in `into`.
// 0 when it did not compile (reported).
SCR_API int ScrEvaluateInto(CScriptReader* reader, const std::string& expression, CSgModule* module,
                            CSgVariable* into);

// Makes `var` an object variable of class `className`.
SCR_API void ScrMakeObjectVariable(CSgVariable* var, const char* className);

// The text of a string literal's inside: each backslash-n becomes a newline.
SCR_API std::string ScrUnescapeLiteral(const std::string& inside);
