// The rules are applied exactly in the order the token reader documents (lexer/ScrLexer.cpp),
// each one on a fresh copy of the rest of the line: slow, and easy to check by reading.
#include "ReferenceTokenReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexText.h"
#include "lexer/ScrKeywordTable.h"

using namespace scrlex;

namespace lextest {
namespace {

constexpr size_t npos = std::string::npos;

bool CurrentKeywordIs(const char* word) { return std::strcmp(ScrGetCurKeyWord(), word) == 0; }

constexpr const char* kTextKeywords[] = {"field", "bitmap", "string", "content", "bitmap_templ"};

constexpr const char* kStatementHeads[] = {"if(",      "if ",      "while(",  "while ",  "for(",    "for ",
                                           "switch(",  "switch ",  "examine(", "examine ", "Examine(",
                                           "Examine ", "branch(",  "branch ",  "Branch(",  "Branch ",
                                           "Leaf ",    "leaf "};

bool LineIsCall(const std::string& text) {
  size_t open = text.find('('), close = text.find(')');
  if (open == npos || close == npos || open == 0) return false;
  size_t braceOrQuote = text.find_first_of("{'");
  if (braceOrQuote != npos && braceOrQuote <= open) return false;
  size_t apostrophe = text.find('\'');
  if (apostrophe != npos && apostrophe <= close) return false;
  for (const char* w : kTextKeywords)
    if (CurrentKeywordIs(w) || StartsWith(text, w)) return false;
  return !ScrIsOperatorExpression(text.c_str());
}

}  // namespace

bool ReferenceTokenReader::CutToken(std::string& token) {
  token.clear();
  const size_t size = m_text.size();
  const size_t start = m_pos;
  if (start >= size) return false;
  if (start > 0 && (m_text[start - 1] == '\n' || m_text[start - 1] == '\r')) ++m_lineId;

  // The rest of the line; the stream goes past its terminator (LF, CR LF or CR).
  size_t term = start;
  while (term < size && m_text[term] != '\n' && m_text[term] != '\r') ++term;
  std::string line = m_text.substr(start, term - start);
  m_pos = term;
  if (m_pos < size) {
    ++m_pos;
    if (m_text[term] == '\r' && m_pos < size && m_text[m_pos] == '\n') ++m_pos;
  }
  while (!line.empty() && line.back() == '\t') line.pop_back();

  size_t skip = line.find_first_not_of(" \t,");
  if (skip == npos) skip = line.size();
  const std::string text = line.substr(skip);
  const size_t base = start + skip;
  size_t seekTo = npos;  // npos: stay after the line terminator
  size_t end = text.size();

  if (!text.empty() && (text[0] == '{' || text[0] == '}')) {
    end = 1;
    if (text.size() > 1) seekTo = base + 1;
  } else if (text.empty()) {
    end = 0;
  } else if (LineIsCall(text)) {
    size_t open = text.find('(');
    bool head = ScrWordAlike(text.c_str(), "elseif");
    for (const char* h : kStatementHeads) head = head || StartsWith(text, h);
    if (head) {
      end = open;
      seekTo = base + open;
    } else if (!ScrIsStatement(text.c_str())) {
      int depth = 0;
      for (size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c == '{' || c == '}') {
          end = k;
          seekTo = base + k;
          break;
        }
        if (c == '\'') break;
        if (c == '(') {
          ++depth;
        } else if (c == ')') {
          if (depth < 2) {
            end = k + 1;
            seekTo = base + k + 1;
            break;
          }
          --depth;
        }
      }
    }
  } else {
    bool quoted = false;
    for (size_t k = 0; k < text.size(); ++k) {
      char c = text[k];
      if (c == '"') quoted = !quoted;
      if (quoted) continue;
      if (c == '{' || c == '}') {
        end = k;
        seekTo = base + k;
        break;
      }
      if (c == '\'') {
        end = k;
        break;
      }
    }
    std::string_view head(text.data(), end);
    if (FindTopLevel(head, ';') == npos) {
      size_t comma = FindTopLevel(head, ',', true);
      if (comma != npos) {
        end = comma;
        seekTo = base + comma;
      }
    }
  }

  std::string_view cut(text.data(), end);
  size_t apostrophe = FindUnquoted(cut, '\'');
  if (apostrophe != npos) cut = cut.substr(0, apostrophe);
  size_t semi = FindTopLevel(cut, ';');
  if (semi != npos) {
    cut = cut.substr(0, semi);
    seekTo = base + semi + 1;
  }
  if (seekTo != npos) m_pos = seekTo;

  token.assign(cut);
  std::replace(token.begin(), token.end(), '\t', ' ');
  while (!token.empty() && token.back() == ' ') token.pop_back();
  return true;
}

int ReferenceTokenReader::ReadString(std::string& out) {
  out.clear();
  if (m_pending.empty()) {
    std::string token;
    if (!CutToken(token)) return 0;
    if ((CurrentKeywordIs("name") || CurrentKeywordIs("field") || CurrentKeywordIs("content")) &&
        token.size() >= 2 && token.front() == '"' && token.back() == '"') {
      m_pending.push_back(token.substr(1, token.size() - 2));
    } else {
      std::vector<std::string> pieces;
      ScrRewriteStatement(token, pieces);
      for (std::string& p : pieces) m_pending.push_back(std::move(p));
    }
    if (m_pending.empty()) return 1;
  }
  out = std::move(m_pending.front());
  m_pending.pop_front();
  return CountChar(out, '"') == 1 ? 0 : 1;
}

int ReferenceTokenReader::ReadKeyword(std::string& out) {
  out.clear();
  if (InputEnded()) return 0;
  std::string token;
  ReadString(token);
  while (token.empty() && !InputEnded()) {
    if (!ReadString(token)) {
      out = token;
      return 0;
    }
  }
  if (token.empty()) return 0;
  out = std::move(token);

  int result = ScrIsKeywordLike(out.c_str());
  if (ScrIsKeyword(out.c_str())) ScrNormalizeString(out);
  if (out != "{" && out != "}") ScrSetCurKeyWord(out.c_str());
  if ((Contains(out, "else") && Contains(out, "if")) || StartsWith(out, "module") || StartsWith(out, "Module") ||
      StartsWith(out, "MODULE"))
    ScrShrinkString(out);
  return result;
}

}  // namespace lextest
