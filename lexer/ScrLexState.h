// The process-wide state of the lexical layer, in one struct with one owner (ScrLex()).
//
// One thread reads one file at a time. Code that reads another file in the middle of a file (an
// included script, a script-function body) saves and restores the current stream and reader.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lexer/ScrFunctionRecord.h"
#include "lexer/ScrLimits.h"

class CScriptReader;
class CScrStream;

// What the token reader knows of the physical line it is cutting into tokens.
//
// A token's end depends on the whole rest of its line (is there a '(' further on, a brace outside
// quotes, a top-level ';'?). Asking that afresh for every token would read a long line once per
// token. Instead each question is a "first position at or after t where ..." search whose answer
// is remembered: tokens are cut from left to right, so the next question starts inside the span
// already searched and is answered at once, and every line is searched about once per question.
struct ScrLineScan {
  static constexpr size_t npos = static_cast<size_t>(-1);

  // The line is identified by the text it lies in, the window end of the stream that read it and
  // the span [start, after): start is where it was first read, end where its content ends (before
  // trailing tabs and the terminator), after is just past the terminator.
  const char* text = nullptr;
  uint64_t source = 0;  // ScrSource::Id()
  size_t windowEnd = 0;
  size_t start = 0, end = 0, after = 0;

  // A remembered search: no position in [from, at) matched, `at` did (or is `end`: none did).
  struct Memo {
    size_t from = npos, at = 0;
  };
  enum Question {
    kOpenParen, kCloseParen, kOpenBrace, kBraceOrApostrophe, kApostrophe, kOperatorChar, kEquals,
    kBracket, kPlusPlus, kMinusMinus, kReturnWord, kInterfaceWord, kSpace,
    kBraceOutside0, kBraceOutside1,            // '{' or '}' outside quotes, by the parity at t
    kStopOutside0, kStopOutside1,              // '{', '}' or an apostrophe outside quotes
    kApostropheOutside0, kApostropheOutside1,  // an apostrophe outside quotes
    kTopSemicolon,                             // ';' outside quotes and parentheses (clean t)
    kNotInTypeWord,                            // a byte a declaration's type word cannot hold
    kNotInDeclaredName,                        // a byte a declared name cannot hold
    kQuestionCount
  };
  Memo memo[kQuestionCount];

  // Per byte of [start, end]: bit 0 = odd number of quotes before it (from `start`), bit 1 =
  // parentheses open before it (outside quotes, a stray ')' never going below 0). Built when a
  // question first needs it.
  std::vector<uint8_t> flags;
  bool flagsBuilt = false;
  // A line without quotes and without '(' has every byte outside quotes and parentheses: its
  // flags are all 0 and are never built.
  bool plain = false;

  bool Holds(uint64_t src, size_t wEnd, size_t pos) const {
    return source == src && windowEnd == wEnd && pos >= start && pos < after;
  }
  void Forget() {
    source = 0;
    text = nullptr;
    flagsBuilt = false;
  }
};

struct ScrLexState {
  // Where ScrReadKeyword and the value readers read a token.
  std::string keyword;
  // The current keyword, in a stable C buffer for ScrGetCurKeyWord (always NUL-terminated).
  std::array<char, SCR_TOKEN_BUFFER> curKeyword{};
  // Pieces of a rewritten token waiting to be returned by ScrReadString: pending[pendingHead..].
  std::vector<std::string> pending;
  size_t pendingHead = 0;
  // The same for ScrExpandString.
  std::deque<std::string> expansion;
  // Where the last token and the last brace were cut, and from which source (ScrSource::Id).
  long tokenStart = -1;
  long braceStart = -1;
  uint64_t tokenSource = 0;
  // The running line id; 1 after a reset.
  int lineId = 1;
  // Set when a new physical line is begun (and when the buffers are emptied, so the first line of
  // a file counts), cleared once the line has been traced.
  int freshLine = 1;
  // The stream of the file being read, and the reader that reads it.
  CScrStream* stream = nullptr;
  CScriptReader* reader = nullptr;
  // Script-function calls being expanded, innermost last (records owned by the reader).
  std::vector<SCRFUNCTION*> callStack;
  // Whether script paths exist, as found during the read of the current file (ScrPath.cpp).
  std::unordered_map<std::string, int> pathExists;
  // The include list: "<module path>:<name as written>".
  std::unordered_set<std::string> includes;
  // The line trace: whether the last fresh line was written (the environment may switch it off).
  int traceOn = 1;
  // Live readers.
  int readers = 0;

  // The line being cut, and working buffers reused from token to token.
  ScrLineScan line;
  std::string token;
  std::string scratch;
  std::string peek;
  std::vector<std::string> pieces;

  bool HasPending() const { return pendingHead < pending.size(); }
  void ClearPending() {
    pending.clear();
    pendingHead = 0;
  }
  // Empties the token buffers, queues, the line scan and the current keyword.
  void ClearBuffers();
};

// The one instance.
ScrLexState& ScrLex();
