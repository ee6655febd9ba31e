// The lexical layer: the token reader, line tracking and the call contexts of script functions.
//
// The token reader is line-oriented. Each call reads the rest of the current physical line from
// the stream's read position, cuts the first token off it, and seeks the stream back to the byte
// just after that token, so the next call reads the remainder of the same line again. Any reader
// may therefore remember a position with ftell, read ahead and fseek back. Tokens are separated
// by braces, commas, semicolons and line ends, not by blanks: `name { My Button }` yields
// `name`, `{`, `My Button`, `}`.
//
// All state of the layer is process-wide (lexer/ScrLexState.h); one thread reads one file at a
// time. The value readers and string utilities (lexer/ScrValues.h) and the path and include
// functions (lexer/ScrPath.h) are declared with it, so this header is the whole lexical API.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "lexer/ScrFunctionRecord.h"
#include "lexer/ScrLimits.h"

class CScriptReader;

// ---------------------------------------------------------------------------------------------
// Line index of a stream: the 1-based line of any byte position, by binary search.
//
// A position just after a line's terminator still reports the line the terminator ends, and the
// position just after a token reports the token's own line: every line but the first is entered
// at its first byte plus one. LF, CR LF and a lone CR each end a line, as they do for the token
// reader's line id.
class SCR_API CLineCounter {
 public:
  CLineCounter() = default;
  virtual ~CLineCounter();

  // Builds the index of the whole stream; the read position is left where it was.
  void Index(FILE* f);
  // The line of the stream's current position; -1 when `f` is null or not the indexed stream.
  int LineOf(FILE* f) const;
  // The line of a byte offset (positions before 0 report line 1).
  int LineOfPosition(long pos) const;
  FILE* Stream() const { return m_stream; }
  void Reset();

 private:
  FILE* m_stream = nullptr;
  std::vector<long> m_entries;  // ascending; entry 0 is 0
};

// ---------------------------------------------------------------------------------------------
// Lifecycle of the shared state.
void ScrLexAcquire();       // a reader was constructed
void ScrLexRelease();       // a reader was destroyed; the last one empties everything
void ScrLexResetBuffers();  // start of a ReadXScript: line, token buffers, queues emptied
void ScrSetCurrentStream(FILE* f);
FILE* ScrGetCurrentStream();
void ScrSetCurrentReader(CScriptReader* reader);
CScriptReader* ScrGetCurrentReader();

// ---------------------------------------------------------------------------------------------
// Token reader.
//
// ScrReadString: the next token (possibly empty). Returns 0 at the end of the input (the file has
// ended and no rewritten piece is pending) and for a piece holding exactly one double quote (the
// piece is still stored); 1 otherwise.
// ScrReadKeyword: the next non-empty token. Non-zero when the token is keyword-like or names a
// class of the current module; 0 otherwise and at the end of the input.
//
// The char* forms: `out` must hold SCR_TOKEN_BUFFER bytes; a longer token is truncated to
// SCR_TOKEN_MAX bytes there (the line itself is always read whole). The std::string forms never
// truncate.
SCR_API int ScrReadString(FILE* f, char* out);
SCR_API int ScrReadKeyword(FILE* f, char* out);
SCR_API int ScrReadString(FILE* f, std::string& out);
SCR_API int ScrReadKeyword(FILE* f, std::string& out);

// 1 when the stream has no more bytes and no rewritten piece waits in the queue.
int ScrInputEnded(FILE* f);

// The running line id: incremented whenever the reader begins a new physical line.
SCR_API int ScrGetLineId();
SCR_API void ScrSetLineId(int id);
SCR_API void ScrResetLineId();  // line id := 1, current keyword := empty
// The current keyword: the last token ScrReadKeyword returned that was not a brace. The buffer is
// shared and stable, SCR_TOKEN_BUFFER bytes; longer keywords are truncated to SCR_TOKEN_MAX.
SCR_API char* ScrGetCurKeyWord();
SCR_API void ScrSetCurKeyWord(const char* keyword);
SCR_API void ScrEnableLineCounter(int enable);  // kept for hosts; has no effect

// ---------------------------------------------------------------------------------------------
// Call contexts: the script-function calls being expanded, innermost on top. The records are
// owned by the reader's function list; the stack only points at them. The code that expands a
// function bounds the depth (SCR_MAX_EXPANSION_DEPTH).
void ScrPushCallContext(SCRFUNCTION* fn);
SCRFUNCTION* ScrTopCallContext();  // null when empty
void ScrPopCallContext();
int ScrCallContextDepth();
// "$outer_1$inner_3" for two nested calls (name and instance number of each, outermost first);
// empty without a call context. The char* form writes at most SCR_NAME_MAX bytes plus the NUL.
void ScrGetInstanceSuffix(std::string& out);
void ScrGetInstanceSuffix(char* out);

// ---------------------------------------------------------------------------------------------
// Classification of one token or statement piece.
int ScrIsCallShaped(const char* s);          // f(a, b), obj.m(x); not if(...), not a+f(x)
int ScrIsStatement(const char* s);           // assignments, return, break, ++/--, [], declarations
int ScrIsDeclaration(const char* s);         // "type name" or "type name = value"
int ScrIsOperatorExpression(const char* s);  // (a>b) or, under `type`, any operator text
int ScrIsKeywordLike(const char* s);         // any of the above, a block head, or a table keyword

// The statement rewriting of the token reader, for one token: compound assignments, increments
// and declaration lists become separate pieces, appended to `pieces` in reading order.
void ScrRewriteStatement(const std::string& token, std::vector<std::string>& pieces);

#include "lexer/ScrPath.h"
#include "lexer/ScrValues.h"
