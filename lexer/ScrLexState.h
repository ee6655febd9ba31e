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
  // Set when a new physical line is begun, cleared once the line has been traced.
  int freshLine = 0;
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

  // Empties the line, token buffers, queues and the current keyword.
  void ClearBuffers();
};

// The one instance.
ScrLexState& ScrLex();
