// Compiling code a host hands over at run time: a program body, a function, a class, a
// value-mapping function, a condition or a piece of script, from a string or a source file; and
// the macros of a view.
//
// Strings are compiled from memory: nothing is written to disk for them. Named functions and
// classes are kept as source files in the module's folder (the host directory, then the module's
// path, one folder per module), and a source file that exists there is read in preference to the
// text passed in, so that an author's edit of the file wins over the copy a host keeps.
//
// A null reader means a temporary reader on the module. Messages about strings carry line -1.
#pragma once

#include <list>

#include "lexer/ScrApi.h"

class CKvoObject;
class CScriptReader;
class CSgConditions;
class CSgModule;
class CSgProgram;
class CSgVariable;
class CSgView;

// The compiled program; an empty new program of the module when compiling failed; null for a
// null text. The caller owns the program.
SCR_API CSgProgram* ScrReadProgramFromString(const char* text, CSgModule* module, CScriptReader* reader);
// The first program (a `program` block or a class) the script file produced; else an empty one.
SCR_API CSgProgram* ScrReadProgramFromSourceFile(const char* fileName, CSgModule* module, CScriptReader* reader);
// A function of the module's "local" program, defined by the text (`int f(int a) { ... }`).
SCR_API CSgProgram* ScrReadFunctionFromString(const char* text, const char* name, CSgModule* module,
                                              CScriptReader* reader);
SCR_API CSgProgram* ScrReadFunctionFromSourceFile(const char* fileName, const char* name, CSgModule* module,
                                                  CScriptReader* reader);
// A class of the module, defined by the text (`class Pump { ... }`).
SCR_API CSgProgram* ScrReadClassFromString(const char* text, const char* name, CSgModule* module,
                                           CScriptReader* reader);
SCR_API CSgProgram* ScrReadClassFromSourceFile(const char* fileName, const char* name, CSgModule* module,
                                               CScriptReader* reader);
// "void X_map_Y(tx x, ty& y) { text }" in the module's "local" program.
SCR_API CSgProgram* ScrReadMappingFunctionFromString(const char* text, CSgVariable* x, CSgVariable* y,
                                                     CSgModule* module, CScriptReader* reader);
// Script keywords without an enclosing `script` block. 1 after reading.
SCR_API int ScrReadScriptFromString(const char* text, CSgModule* module, CScriptReader* reader);
// A condition over the program's (or the module's) variables; null for an empty text or an error.
SCR_API CSgConditions* ScrReadConditionsFromString(const char* text, CSgModule* module, CSgProgram* program);

// Macros: a file of script functions read once per view, texts that call them, and conditions
// forced true or false by changing their variables.
SCR_API int ScrReadMacrosFromFile(const char* fileName, CSgView* view);
SCR_API int ScrExecuteMacros(const char* text, CSgModule* module, std::list<CKvoObject*>& animations);
SCR_API int ScrMakeConditionsTrueOrFalse(const char* text, CSgView* view, int bMakeTrue);
// Drops the macro reader of a view (a host calls it before destroying the view).
SCR_API void ScrReleaseMacros(CSgView* view);
