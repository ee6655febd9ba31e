// The lexical layer: the token reader, line tracking and the call contexts of script functions.
//
// The token reader is line-oriented. Each call looks at the rest of the current physical line from
// the stream's read position, cuts the first token off it, and leaves the stream just after that
// token. The script text is held in memory (lexer/ScrStream.h): each line is examined once, and
// what a token needs to know of the rest of its line is kept while the line is being cut. A
// reader that looks ahead saves the token reader's whole state with ScrSaveLexState and puts it
// back with ScrRestoreLexState. Tokens are separated by braces, commas, semicolons and line ends,
// not by blanks: `name { My Button }` yields `name`, `{`, `My Button`, `}`.
//
// All state of the layer is process-wide (lexer/ScrLexState.h); one thread reads one file at a
// time. The value readers and string utilities (lexer/ScrValues.h) and the path and include
// functions (lexer/ScrPath.h) are declared with it, so this header is the whole lexical API.
#pragma once

#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "lexer/ScrFunctionRecord.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrStream.h"

class CScriptReader;

// ---------------------------------------------------------------------------------------------
// Line index of the stream being read: the 1-based line of any byte position (the source's own
// index, lexer/ScrStream.h). A reader indexes the stream of its file; streams over other sources
// are not its file and report -1.
class SCR_API CLineCounter {
 public:
  CLineCounter() = default;
  virtual ~CLineCounter();

  // Remembers the source of `f` as the indexed one.
  void Index(const CScrStream* f);
  // The line of the stream's current position; -1 when `f` is null or reads another source.
  int LineOf(const CScrStream* f) const;
  // The line of a byte offset (positions before 0 report line 1).
  int LineOfPosition(long pos) const;
  const ScrSource* Source() const { return m_source.get(); }
  void Reset() { m_source.reset(); }

 private:
  std::shared_ptr<const ScrSource> m_source;
};

// ---------------------------------------------------------------------------------------------
// Lifecycle of the shared state.
void ScrLexAcquire();       // a reader was constructed
void ScrLexRelease();       // a reader was destroyed; the last one empties everything
void ScrLexResetBuffers();  // start of a ReadXScript: line, token buffers, queues emptied
void ScrSetCurrentStream(CScrStream* f);
CScrStream* ScrGetCurrentStream();
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
SCR_API int ScrReadString(CScrStream* f, char* out);
SCR_API int ScrReadKeyword(CScrStream* f, char* out);
SCR_API int ScrReadString(CScrStream* f, std::string& out);
SCR_API int ScrReadKeyword(CScrStream* f, std::string& out);

// 1 when the stream has no more bytes and no rewritten piece waits in the queue.
SCR_API int ScrInputEnded(CScrStream* f);

// The token reader's whole state at a stream position: the position, the pieces of a rewritten
// token still pending, the line id and the current keyword. A look-ahead saves it before reading
// and restores it to go back, so that nothing read ahead is lost, repeated or reordered.
struct ScrLexMark {
  long pos = 0;
  std::vector<std::string> pending;
  int lineId = 1;
  int freshLine = 0;
  std::string curKeyword;
  long tokenStart = -1;  // where the last token (other than a brace) began, and the last brace
  long braceStart = -1;
  uint64_t tokenSource = 0;
};
SCR_API ScrLexMark ScrSaveLexState(const CScrStream* f);
// The same into an existing mark, reusing its storage (a look-ahead taken for every token).
SCR_API void ScrSaveLexState(const CScrStream* f, ScrLexMark& into);
SCR_API void ScrRestoreLexState(CScrStream* f, const ScrLexMark& mark);
// Empties the pending pieces and puts the line id and the current keyword aside for a nested
// read (a script-function body); the returned mark restores them, and the stream position, after.
SCR_API ScrLexMark ScrBeginNestedRead(const CScrStream* f);

// The byte offset where the last token cut from `f`'s source on line `line` began, preferring a
// token over a brace; -1 when the last ones were cut elsewhere. Messages take their column from
// it; only offsets are kept while reading, the column is counted when a message is made.
SCR_API long ScrLastTokenStart(const CScrStream* f, int line);

// Consumes the brace `brace` ('{' or '}') when it is the next keyword; 1 when it did. Otherwise
// nothing is consumed (the token reader's whole state is put back).
SCR_API int ScrTakeBrace(CScrStream* f, char brace);
// Skips the block that follows, if the next token opens one: braces are counted by the token
// rules, so braces inside quotes or comments do not count. Nothing is consumed when no block
// follows.
SCR_API void ScrSkipBlock(CScrStream* f);

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
