// Script functions: reading a function header, and CScrFunction, which expands a body.
//
// A script function is a reader-level macro:
//
//     pump(name, level) { module name { ... } }
//
// Its header is kept in a SCRFUNCTION record with the text of its file and the offsets of its
// body; every call reads the body again from that text, in memory, with the call's arguments put
// in place of the parameters (the token reader does that while the record is on the call-context
// stack).
#pragma once

#include <list>
#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "lexer/ScrFunctionRecord.h"
#include "reader/ScrObject.h"

class ActPrm;
class CSgModule;
class CKvoObject;

// How a header's parameters are checked.
enum class ScrHeaderKind {
  ScriptFunction,    // no parameter may be a keyword or a bare type word
  CompiledFunction,  // no parameter may be a keyword; the last may not be a bare type word
};

// Reads the header `name(p1, p2, ...)` whose token has just been read from f: the name and the
// parameter texts go into rec. The parameters are taken from the header's own text; when its ')'
// is not in the token (the header goes on after a comma or on the next line), the tokens up to it
// are read too. Returns 1 when the header was read; 0 when it was not (reported).
SCR_API int ScrReadHeader(CScrStream* f, SCRFUNCTION& rec, const std::string& token, CScriptReader* reader,
                          ScrHeaderKind kind);

// Reads a header and, when one follows, its body in braces. Returns 0 on failure, 1 when a body
// followed (rec holds body start, line and end; the stream is after the body), 2 when none did
// (the stream is put back just after the header).
SCR_API int ScrReadHeaderAndBody(CScrStream* f, SCRFUNCTION& rec, const std::string& token,
                                 CScriptReader* reader, ScrHeaderKind kind);

// Reads the first typed function header (`int f(a, b)`, `void g()`, ...) of the file at `path`
// into rec, using a temporary reader on `module`. 0 when the file cannot be opened or holds none.
SCR_API int ScrReadFunctionHeader(const char* path, SCRFUNCTION* rec, CSgModule* module);

// True when the token begins with a type word of a typed function ("void ", "int ", ...).
SCR_API bool ScrStartsWithFunctionType(const std::string& token);

// Expands one script-function body: reads the stream it is given, a window on the body's text.
class SCR_API CScrFunction : public CScrObject {
 public:
  explicit CScrFunction(CScriptReader* reader);
  ~CScrFunction() override;

  int Read(CScrStream* f) override;

  // Objects the body's readers created, in creation order; handed to the caller, which files them.
  std::vector<CKvoObject*>& Objects() { return m_objects; }
  // Objects that calls inside the body created and already filed (not owned; for the caller's list).
  const std::vector<CKvoObject*>& Filed() const { return m_filed; }
  // Where the records of the body's `act` blocks (and of repeats of acts) go; the caller owns
  // them. Without it (a call outside any action) an `act` is reported and skipped.
  void SetRecords(std::list<ActPrm*>* records) { m_records = records; }

 private:
  int ReadAnimation(CScrStream* f);
  int ReadAct(CScrStream* f, const std::string& tok);
  int ReadRepeat(CScrStream* f);
  int ReadTrigger(CScrStream* f);

  std::list<ActPrm*>* m_records = nullptr;
  std::vector<CKvoObject*> m_objects;
  std::vector<CKvoObject*> m_filed;
};
