// CScrScript: reads the body of a `script` block (and of every `module` block inside it).
//
// Each top-level keyword is handed to the reader class of that keyword, or handled here where the
// keyword is a directive: version, module, define, include, background, zrect and the script
// functions. The keyword table lives in ScrScript.cpp as one ordered list; later readers take
// their place in it.
#pragma once


#include <list>
#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"

class CKvoObject;
class ActPrm;
class CSgModule;
struct SCRFUNCTION;

class SCR_API CScrScript : public CScrObject {
 public:
  explicit CScrScript(CScriptReader* reader);
  ~CScrScript() override;

  int Read(CScrStream* f) override;

  // The `version` value x 100, truncated.
  void GetVersion(int& v) const { v = m_version; }
  // Programs built by `program` blocks and the objects created by script-function expansions in
  // this block, in creation order. Not owned: the module (or the program's owner) holds them.
  std::vector<CKvoObject*>& Objects() { return m_objects; }

  // Milliseconds spent in Read, over all calls.
  static long m_totalTick;

  // Handler of one top-level keyword: returns 0 to stop the script block.
  using Handler = int (CScrScript::*)(CScrStream* f, const std::string& token);

 private:
  friend struct ScrScriptTable;
  int Dispatch(CScrStream* f, const std::string& token);
  int Unreadable(CScrStream* f, const std::string& token);

  // Directives.
  int ReadModule(CScrStream* f, const std::string& token);
  int ReadVersion(CScrStream* f, const std::string& token);
  int ReadDefine(CScrStream* f, const std::string& token);
  int ReadBackground(CScrStream* f, const std::string& token);
  int ReadZRect(CScrStream* f, const std::string& token);
  int ReadInclude(CScrStream* f, const std::string& token);
  int ReadScriptFunction(CScrStream* f, const std::string& token);
  int ReadVariable(CScrStream* f, const std::string& token);
  int ReadProgram(CScrStream* f, const std::string& token);
  int ReadClass(CScrStream* f, const std::string& token);
  int ReadTypedFunction(CScrStream* f, const std::string& token);

  // Model and data files and settings (reader/ScrFile.h).
  int ReadFile(CScrStream* f, const std::string& token);
  int ReadImport(CScrStream* f, const std::string& token);
  int ReadSettings(CScrStream* f, const std::string& token);
  // Coordinates, vectors, poles and screws (declarations/ScrCoord.h), filed with AddObject.
  int ReadGeometry(CScrStream* f, const std::string& token);
  // Images (elements/ScrImage.h); texts, 3D texts and multi-texts (elements/ScrText.h).
  int ReadAnimation(CScrStream* f, const std::string& token);
  int ReadImage(CScrStream* f, const std::string& token);
  int ReadText(CScrStream* f, const std::string& token);
  // ctrlpt and the controls built on it (elements/).
  int ReadControl(CScrStream* f, const std::string& token);
  // button, menu, page, window and viewport (elements/ScrButton.h, elements/ScrMenu.h).
  int ReadInterface(CScrStream* f, const std::string& token);
  // Steps, sequences, faults and manipulations (procedures/).
  int ReadProcedure(CScrStream* f, const std::string& token);
  // generator, sky, texture, light, route and message (objects/ScrSceneObjects.cpp).
  int ReadSceneObject(CScrStream* f, const std::string& token);
  // projector, stencil, chart and table (objects/ScrChart.cpp, objects/ScrProjector.cpp).
  int ReadDisplayObject(CScrStream* f, const std::string& token);
  // body, wrench and nut (objects/ScrMechanism.cpp).
  int ReadMechanism(CScrStream* f, const std::string& token);
  // Reads a block with `nested` and files the object it built (AddObject); the object is filed
  // even when the block failed, as far as it was read.
  int ReadAndAdd(CScrObject& nested, CScrStream* f);

  int m_version = 0;
  std::vector<CKvoObject*> m_objects;
};

// Reads the block of `module NAME` (NAME as it follows the word, blanks removed): finds or makes
// the module under the current one (a qualified `parent:child` names the parent from the current
// module), pushes it, reads the block with a fresh CScrScript and pops it. Returns 0 when the
// block's reading stopped; a missing parent is reported and the block skipped (result 1).
SCR_API int ScrReadModuleBlock(CScriptReader* reader, CScrStream* f, const std::string& name);

// True when `token` begins with `module`, `Module` or `MODULE`; *name gets the rest, trimmed.
SCR_API bool ScrIsModuleToken(const std::string& token, std::string* name);

// Defines or calls the script function whose header `token` has just been read (see
// compiler/ScrFunction.h). At the top level of a script block a function not yet known is defined
// (bMayDefine); inside a body it must be known. A call expands the body; objects it creates are
// filed with AddObject and appended to `objects`; action records the body's `act` blocks build
// are appended to `records` when given (the caller owns them). Returns 0 when the reading of the
// enclosing block must stop.
SCR_API int ScrDefineOrCallFunction(CScriptReader* reader, CScrStream* f, const std::string& token,
                                    std::vector<CKvoObject*>* objects, bool bMayDefine,
                                    std::list<ActPrm*>* records = nullptr);
