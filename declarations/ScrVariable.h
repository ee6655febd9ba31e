// Script variables: the `variable` block, the typed declarations at the top level of a script
// block, and the nested arrays both build.
//
//     variable { name { n } type { intarray } size { 2, 3 } values { 5 } }
//     int count;   interface [in, "Level"] float level[4];   float g[2] = { 1.5, 2 };   Pump p;
#pragma once

#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"

class CSgModule;
class CSgVariable;

// The variable type code of a type word ("int" 2, "float" 8, "floatarray" 0x1008, ...), or -1.
// bDeclaration selects the words of the declaration form (byte, file; no array words).
SCR_API int ScrVariableTypeCode(const std::string& word, bool bDeclaration);

// Splits the declared part of a declaration, `name[d1][d2]...`, into the name and the size texts
// (trimmed; "" for `[]`). False when a '[' has no ']' after it.
SCR_API bool ScrSplitDeclaredName(const std::string& text, std::string& name, std::vector<std::string>& dims);

// Builds a variable of `ndims` nested array levels (dims[0] elements, each an array of dims[1],
// ...) whose leaves take the element type of `type`. The elements are named by their index. The
// variable is not added to `module`; it only records it. An element count below 0 counts as 0;
// sizes past SCR_MAX_ARRAY_ELEMENTS or SCR_MAX_ARRAY_DIMENSIONS give an array of no elements
// (readers check first, with CScriptReader::ChargeArray).
SCR_API CSgVariable* ScrCreateMultiArray(const char* name, const int* dims, int ndims, int type, CSgModule* module);

// variable { name {...} type {...} size {...} values {...} }
class SCR_API CScrVariable : public CScrObject {
 public:
  explicit CScrVariable(CScriptReader* reader);
  ~CScrVariable() override;

  int Read(CScrStream* f) override;
  // A variable made by this block (the dispatcher files it); null when the block named a
  // variable that already existed (it stays where it is).
  CKvoObject* TakeObject() override;
  CSgVariable* Variable() const { return m_var; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* keyword) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  CSgVariable* Var();

  CSgVariable* m_var = nullptr;
  bool m_owned = false;  // m_var was made here and not yet handed over
  int m_type = 2;        // the remembered type: int until `type` says otherwise
  int m_dims[256] = {};
  int m_ndims = 0;
  friend struct ScrVariableSubs;
};

// Reads one typed declaration at the top level of a script block (`token` has just been read:
// "int a", "interface [out] float v[3] =", "Pump p"): makes the variable in the current module,
// with the initial value or the array initialiser that follows. Returns 1 (problems are reported;
// the declaration is then dropped).
// The variable a script names from `module`: inside the expansion of a script function, the
// expansion's own variable (the name with the instance suffix) first; then the name as written,
// in the module and beyond it. Null when neither exists.
SCR_API CSgVariable* ScrFindScriptVariable(CSgModule* module, const std::string& name);
// The first half of that: the expansion's own variable, or null (also outside any expansion).
SCR_API CSgVariable* ScrFindExpansionVariable(CSgModule* module, const std::string& name);

SCR_API int ScrReadDeclaration(CScriptReader* reader, CScrStream* f, const std::string& token);

// True when the token is a top-level declaration: it begins with a type word of the declaration
// form and a blank, with "interface", or has the shape "Type name" with a Type that is no keyword
// (an object of a class, looked up when it is read).
SCR_API bool ScrIsTopLevelDeclaration(const std::string& token, CSgModule* module);
