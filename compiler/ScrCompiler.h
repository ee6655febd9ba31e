// Inside the program compiler: the expression tree, the compile context, and the pieces the
// block readers, the class reader and the string entry points share. Not exported.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

class ActPrm;
class CScriptReader;
class CScrStream;
class CSgConditions;
class CSgFunction;
class CSgModule;
class CSgProgram;
class CSgVariable;

using ScrActionList = std::list<ActPrm*>;

// One node of an expression tree. Operator nodes carry the operator's kind (compiler/
// ScrExprSplit.h, plus '(' for a call, 'c' / 'm' for `new` of a class / module, 'd' for
// `delete`); leaves have kind 0. The variables belong to the program (or the module).
struct ScrExprNode {
  char kind = 0;
  CSgVariable* result = nullptr;  // the node's value after its actions ran
  CSgFunction* call = nullptr;    // a call node's stub
  std::unique_ptr<ScrExprNode> left, right;
  // A method call's argument expressions, computed (and copied into named variables the call's
  // text names instead) before the call.
  std::vector<std::unique_ptr<ScrExprNode>> before;
  std::vector<CSgVariable*> beforeInto;
  std::string callerFile;         // a call of pause(): where it stands
  int callerLine = -1;
};

// What an expression is compiled against.
struct ScrCompileContext {
  CScriptReader* reader = nullptr;
  CScrStream* f = nullptr;        // the stream messages take their line from (may be null: -1)
  CSgProgram* program = nullptr;  // null: module temporaries and constants
  CSgModule* module = nullptr;
  int depth = 0;                  // nesting of sub-expressions (SCR_MAX_EXPRESSION_DEPTH)
};

// Compiles an expression into a tree; null after a reported error (or, for an empty text,
// without a message).
std::unique_ptr<ScrExprNode> ScrCompileExpression(ScrCompileContext& c, const std::string& text);
// Appends the actions that compute the tree, in post-order, to `out`.
void ScrMakeActions(const ScrExprNode* node, ScrActionList& out);
// Compiles a condition: checks the mistyped characters, compiles `judge = text` and gathers its
// actions into a new conditions object (also appended to `out`). Null after a reported error.
CSgConditions* ScrCompileCondition(ScrCompileContext& c, const std::string& text, ScrActionList& out);
// Compiles the call `name(arguments)` into a stub function of the program. Null after a
// reported error.
CSgFunction* ScrCompileCall(ScrCompileContext& c, const std::string& text);
// The declaration test of the token reader, with the sizes inside [ ] left out: `int a[n+0]`
// declares an array whose size is computed when it is compiled.
bool ScrIsLocalDeclaration(const std::string& text);
// Deletes the actions of a list the compiler made (instructions keep copies).
void ScrFreeActions(ScrActionList& list);

// The module's program named "local" (made on first need): script-level functions live there.
CSgProgram* ScrLocalProgram(CSgModule* module);
// The function a program belongs to: the first function among the program and its fathers.
CSgFunction* ScrEnclosingFunction(CSgProgram* program);
// The variable type code of a basic type word of the language ("int", "double", "file", ...),
// or -1.
int ScrBasicTypeCode(const std::string& word);
