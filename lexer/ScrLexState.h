// The process-wide state of the lexical layer, in one struct with one owner (ScrLex()).
//
// One thread reads one file at a time. Code that reads another file in the middle of a file (an
// included script, a script-function body) saves and restores the current stream and reader.
#pragma once

#include <array>
#include <cstdio>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "lexer/ScrFunctionRecord.h"
#include "lexer/ScrLimits.h"

class CScriptReader;

struct ScrLexState {
  // The physical line being cut into tokens (read whole, any length).
  std::string line;
  // Where ScrReadKeyword and the value readers read a token.
  std::string keyword;
  // The current keyword, in a stable C buffer for ScrGetCurKeyWord (always NUL-terminated).
  std::array<char, SCR_TOKEN_BUFFER> curKeyword{};
  // Pieces of a rewritten token waiting to be returned by ScrReadString, in order.
  std::deque<std::string> pending;
  // The same for ScrExpandString.
  std::deque<std::string> expansion;
  // The running line id; 1 after a reset.
  int lineId = 1;
  // Set when a new physical line is begun (and when the buffers are emptied, so the first line of
  // a file counts), cleared once the line has been traced.
  int freshLine = 1;
  // The stream of the file being read, and the reader that reads it.
  FILE* stream = nullptr;
  CScriptReader* reader = nullptr;
  // Script-function calls being expanded, innermost last (records owned by the reader).
  std::vector<SCRFUNCTION*> callStack;
  // The include list: "<module path>:<name as written>".
  std::unordered_set<std::string> includes;
  // The line trace: whether the last fresh line was written (the environment may switch it off).
  int traceOn = 1;
  // Live readers.
  int readers = 0;

  // 0 turns the line cache off (the tests compare both ways).
  int lineCacheEnabled = 1;
  // The last long line read, so that cutting it into many tokens does not read it again for every
  // token. Only used for a position strictly inside the line, in the same unchanged file.
  struct LineCache {
    bool valid = false;
    FILE* stream = nullptr;
    long start = 0;       // offset of raw[0]
    long contentEnd = 0;  // offset just after the last byte of raw
    long after = 0;       // offset just after the line terminator
    std::string raw;
    long long identity[5] = {};  // device, inode, size, modification time (s, ns)
    // For cutting value lists in one pass: the last quote and parentheses of the line, and the
    // next stop characters from the positions asked last.
    size_t lastQuote = std::string::npos, lastOpen = std::string::npos, lastClose = std::string::npos;
    struct NextOf {
      const char* set;
      size_t from = std::string::npos, at = std::string::npos;
      // First index >= t of a character of `set` in `s` (npos when none). Asking for positions
      // that move forward costs one pass over the line in all.
      size_t Next(const std::string& s, size_t t) {
        if (from == std::string::npos || t < from || t > at) {
          from = t;
          at = s.find_first_of(set, t);
        }
        return at;
      }
      void Reset() { from = at = std::string::npos; }
    };
    NextOf stops{"{}'"}, commas{","}, semis{";"}, opens{"(["};
  } lineCache;

  // Empties the line, token buffers, queues, the line cache and the current keyword.
  void ClearBuffers();
};

// The one instance.
ScrLexState& ScrLex();
