// A plain token reader kept for the tests: the cutting rules of the token reader written the
// straightforward way, re-reading the rest of the line for every token, over a string and a byte
// position. The production reader must give the same tokens, return values, line ids and
// positions for every script; DifferentialTest.cpp compares the two.
//
// The current keyword is the library's own buffer (ScrGetCurKeyWord / ScrSetCurKeyWord), because
// the classification functions of the library read it. So this reader and the production reader
// must not be interleaved: run one, reset the lexical state, then run the other.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace lextest {

class ReferenceTokenReader {
 public:
  explicit ReferenceTokenReader(std::string text) : m_text(std::move(text)) {}

  // Same contracts as ScrReadString / ScrReadKeyword (no script-function expansion, no current
  // reader, so no class lookup).
  int ReadString(std::string& out);
  int ReadKeyword(std::string& out);
  // Same contract as ScrInputEnded.
  bool InputEnded() const { return m_pending.empty() && m_pos >= m_text.size(); }

  size_t Pos() const { return m_pos; }
  int LineId() const { return m_lineId; }

 private:
  bool CutToken(std::string& token);

  std::string m_text;
  size_t m_pos = 0;
  int m_lineId = 1;
  std::deque<std::string> m_pending;
};

}  // namespace lextest
