// The token reader, line tracking, the call contexts of script functions and the shared state.
//
// Reading a token (ScrReadString):
//   1. With pieces of an earlier token pending, the next piece is returned.
//   2. Otherwise the rest of the current physical line is read from the stream position (a new
//      line raises the line id), leading blanks and commas are skipped, and the token is cut off
//      by the first rule that applies: a brace alone; a call `f(a, b)` up to its closing
//      parenthesis; the head of `if (...)` and its kin up to the parenthesis; a statement whole;
//      anything else up to a brace, a comment or a comma at nesting depth 0. A comment (') and a
//      ';' end the token too. The stream is set just after the token, so the next call reads the
//      rest of the line again.
//   3. The token is rewritten into statement pieces (lexer/ScrLexRules.cpp), queued, and the first
//      piece is returned; inside a script-function expansion the call's arguments are put in for
//      its parameters.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexState.h"
#include "lexer/ScrLexText.h"
#include "reader/ScrKeywordTable.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

using namespace scrlex;

namespace {
constexpr size_t npos = std::string::npos;

// Copies `text` into a caller's buffer of `room` bytes (room >= 1), truncating.
void CopyBounded(char* out, const std::string& text, size_t room) {
  size_t n = std::min(text.size(), room - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared state.

ScrLexState& ScrLex() {
  static ScrLexState state;
  return state;
}

void ScrLexState::ClearBuffers() {
  line.clear();
  keyword.clear();
  curKeyword[0] = '\0';
  pending.clear();
  expansion.clear();
  freshLine = 1;  // the first line read afterwards is a fresh one too
  lineCache.valid = false;
  lineCache.raw.clear();
}

void ScrLexAcquire() {
  ScrLexState& s = ScrLex();
  if (s.readers++ == 0) {
    s.ClearBuffers();
    s.lineId = 1;
  }
}

void ScrLexRelease() {
  ScrLexState& s = ScrLex();
  if (s.readers > 0) --s.readers;
  if (s.readers > 0) return;
  // The last reader is gone: nothing it pointed at may stay behind. The include list lives on
  // until the host deletes it.
  s.ClearBuffers();
  s.line.shrink_to_fit();
  s.keyword.shrink_to_fit();
  s.pending.shrink_to_fit();
  s.expansion.shrink_to_fit();
  s.lineCache.raw.shrink_to_fit();
  s.callStack.clear();
  s.callStack.shrink_to_fit();
  s.stream = nullptr;
  s.reader = nullptr;
  s.lineId = 1;
}

void ScrLexResetBuffers() { ScrLex().ClearBuffers(); }

void ScrSetCurrentStream(FILE* f) {
  ScrLex().stream = f;
  ScrLex().lineCache.valid = false;
}
FILE* ScrGetCurrentStream() { return ScrLex().stream; }
void ScrSetCurrentReader(CScriptReader* reader) { ScrLex().reader = reader; }
CScriptReader* ScrGetCurrentReader() { return ScrLex().reader; }

// ---------------------------------------------------------------------------------------------
// Line id and current keyword.

int ScrGetLineId() { return ScrLex().lineId; }
void ScrSetLineId(int id) { ScrLex().lineId = id; }
void ScrResetLineId() {
  ScrLex().lineId = 1;
  ScrLex().curKeyword[0] = '\0';
}
char* ScrGetCurKeyWord() { return ScrLex().curKeyword.data(); }
void ScrSetCurKeyWord(const char* keyword) {
  auto& buf = ScrLex().curKeyword;
  if (!keyword) {
    buf[0] = '\0';
    return;
  }
  if (keyword == buf.data()) return;
  size_t n = strnlen(keyword, SCR_TOKEN_MAX);
  std::memmove(buf.data(), keyword, n);
  buf[n] = '\0';
}
void ScrEnableLineCounter(int) {}

// ---------------------------------------------------------------------------------------------
// Line index.

CLineCounter::~CLineCounter() = default;

void CLineCounter::Reset() {
  m_stream = nullptr;
  m_entries.clear();
}

void CLineCounter::Index(FILE* f) {
  m_stream = f;
  m_entries.assign(1, 0);
  if (!f) return;
  long keep = std::ftell(f);
  if (std::fseek(f, 0, SEEK_SET) != 0) return;
  // Starts of the lines after the first; a lone CR, LF and CR LF each end a line.
  std::vector<long> starts;
  long offset = 0;
  bool afterCr = false;
  char buf[1 << 16];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
    for (size_t i = 0; i < got; ++i, ++offset) {
      char c = buf[i];
      if (afterCr && c != '\n') starts.push_back(offset);  // the CR stood alone
      afterCr = false;
      if (c == '\n') starts.push_back(offset + 1);
      else if (c == '\r') afterCr = true;
    }
  }
  if (afterCr) starts.push_back(offset);
  std::clearerr(f);
  if (keep >= 0) std::fseek(f, keep, SEEK_SET);
  // A line is entered one byte past its start: the position just after a terminator still
  // belongs to the line it ends. A terminator at the very end begins no line.
  for (long s : starts)
    if (s < offset) m_entries.push_back(s + 1);
}

int CLineCounter::LineOfPosition(long pos) const {
  if (m_entries.empty()) return 1;
  auto it = std::upper_bound(m_entries.begin(), m_entries.end(), pos);
  return std::max(1, static_cast<int>(it - m_entries.begin()));
}

int CLineCounter::LineOf(FILE* f) const {
  if (!f || f != m_stream) return -1;
  long pos = std::ftell(f);
  if (pos < 0) return -1;
  return LineOfPosition(pos);
}

// ---------------------------------------------------------------------------------------------
// Call contexts.

void ScrPushCallContext(SCRFUNCTION* fn) {
  if (fn) ScrLex().callStack.push_back(fn);
}
SCRFUNCTION* ScrTopCallContext() {
  auto& st = ScrLex().callStack;
  return st.empty() ? nullptr : st.back();
}
void ScrPopCallContext() {
  auto& st = ScrLex().callStack;
  if (!st.empty()) st.pop_back();
}
int ScrCallContextDepth() { return static_cast<int>(ScrLex().callStack.size()); }

void ScrGetInstanceSuffix(std::string& out) {
  out.clear();
  // Outermost first, so that the innermost call ends the name.
  for (SCRFUNCTION* fn : ScrLex().callStack) {
    out += '$';
    out += fn->name;
    out += '_';
    out += std::to_string(fn->instance);
  }
}

void ScrGetInstanceSuffix(char* out) {
  if (!out) return;
  std::string s;
  ScrGetInstanceSuffix(s);
  CopyBounded(out, s, SCR_NAME_MAX + 1);
}

// ---------------------------------------------------------------------------------------------
// Token reader.

namespace {

// 1 when no byte is left at the stream's position.
bool StreamEnded(FILE* f) {
  int c = std::fgetc(f);
  if (c == EOF) {
    std::clearerr(f);
    return true;
  }
  std::ungetc(c, f);
  return false;
}

// Writes a fresh, non-empty line to the line trace unless the environment turned it off.
void TraceLine(ScrLexState& s) {
  if (!s.freshLine || s.line.empty()) return;
  s.freshLine = 0;
  s.traceOn = 1;
  if (s.reader) {
    CSgModule* m = s.reader->CurrentModule();
    CSgEnvironment* env = m ? m->Environment() : nullptr;
    if (env && (env->Options() & SG_OPT_NO_LINE_TRACE)) s.traceOn = 0;
  }
  if (s.traceOn) SgDumpString("c:\\script_lines.txt", 1, "%s\n", s.line.c_str());
}

bool CurrentKeywordIs(const char* word) { return std::strcmp(ScrGetCurKeyWord(), word) == 0; }

// Words whose values are paths or free text: a '(' in them never makes a call.
constexpr const char* kTextKeywords[] = {"field", "bitmap", "string", "content", "bitmap_templ"};

// The heads of statements whose condition follows in parentheses.
constexpr const char* kStatementHeads[] = {"if(",      "if ",      "while(",  "while ",  "for(",    "for ",
                                           "switch(",  "switch ",  "examine(", "examine ", "Examine(",
                                           "Examine ", "branch(",  "branch ",  "Branch(",  "Branch ",
                                           "Leaf ",    "leaf "};

// Does the rest of the line read as a call (rule for cutting at its closing parenthesis)?
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

// Lines at least this long are kept in the line cache.
constexpr size_t kCachedLineMin = 4096;

// What identifies the file behind a stream and its state: device, inode, size, modification time.
bool FileIdentity(FILE* f, long long (&id)[5]) {
  struct stat st;
  if (fstat(fileno(f), &st) != 0) return false;
  id[0] = static_cast<long long>(st.st_dev);
  id[1] = static_cast<long long>(st.st_ino);
  id[2] = static_cast<long long>(st.st_size);
  id[3] = static_cast<long long>(st.st_mtim.tv_sec);
  id[4] = static_cast<long long>(st.st_mtim.tv_nsec);
  return true;
}

// The rest of a long line from `pos`, when the line cache holds it; the stream is then left after
// the line terminator, as reading it would.
bool ReadFromLineCache(FILE* f, ScrLexState& s, long pos) {
  ScrLexState::LineCache& c = s.lineCache;
  if (!c.valid || c.stream != f || pos <= c.start || pos >= c.contentEnd) return false;
  long long id[5];
  if (!FileIdentity(f, id) || !std::equal(std::begin(id), std::end(id), std::begin(c.identity))) {
    c.valid = false;
    return false;
  }
  s.line.assign(c.raw, static_cast<size_t>(pos - c.start), std::string::npos);
  std::fseek(f, c.after, SEEK_SET);
  return true;
}

// The common case inside a long cached line, a value followed by a comma (`1, 2, 3, ...`), cut
// without looking at the rest of the line again: no quote and no call can follow, and neither a
// ';' nor a bracket comes before the next brace or comment. Anything else takes the full way.
bool CutValueFromLineCache(FILE* f, ScrLexState& s, long pos, std::string& token) {
  ScrLexState::LineCache& c = s.lineCache;
  if (s.freshLine || !c.valid || c.stream != f || pos <= c.start || pos >= c.contentEnd) return false;
  const std::string& raw = c.raw;
  size_t t = raw.find_first_not_of(" \t,", static_cast<size_t>(pos - c.start));
  if (t == npos || raw[t] == '{' || raw[t] == '}') return false;
  if (c.lastQuote != npos && c.lastQuote >= t) return false;
  if (c.lastOpen != npos && c.lastOpen >= t && c.lastClose != npos && c.lastClose >= t) return false;
  size_t stop = c.stops.Next(raw, t);
  size_t headEnd = stop == npos ? raw.size() : stop;
  size_t comma = c.commas.Next(raw, t);
  if (comma == npos || comma >= headEnd) return false;
  size_t semi = c.semis.Next(raw, t);
  if (semi != npos && semi < headEnd) return false;
  size_t open = c.opens.Next(raw, t);
  if (open != npos && open < comma) return false;
  long long id[5];
  if (!FileIdentity(f, id) || !std::equal(std::begin(id), std::end(id), std::begin(c.identity))) {
    c.valid = false;
    return false;
  }
  token.assign(raw, t, comma - t);
  std::replace(token.begin(), token.end(), '\t', ' ');
  while (!token.empty() && token.back() == ' ') token.pop_back();
  std::fseek(f, c.start + static_cast<long>(comma), SEEK_SET);
  return true;
}

// Reads the rest of the physical line at the stream position and cuts the first token off it,
// leaving the stream just after the token. False at the end of the file.
bool CutToken(FILE* f, ScrLexState& s, std::string& token) {
  token.clear();
  long start = std::ftell(f);
  if (start < 0 || StreamEnded(f)) return false;
  if (CutValueFromLineCache(f, s, start, token)) return true;
  // Inside a cached line the byte before `start` is part of the line: no new line begins.
  if (!ReadFromLineCache(f, s, start)) {
    if (start > 0 && std::fseek(f, start - 1, SEEK_SET) == 0) {
      int prev = std::fgetc(f);
      if (prev == '\n' || prev == '\r') {
        ++s.lineId;
        s.freshLine = 1;
      }
    }

    // The line, read whole; its terminator (LF, CR LF or CR) is consumed and not stored.
    s.line.clear();
    for (int c; (c = std::fgetc(f)) != EOF;) {
      if (c == '\n') break;
      if (c == '\r') {
        int next = std::fgetc(f);
        if (next != '\n' && next != EOF) std::ungetc(next, f);
        break;
      }
      s.line.push_back(static_cast<char>(c));
    }
    std::clearerr(f);

    ScrLexState::LineCache& c = s.lineCache;
    c.valid = false;
    if (s.lineCacheEnabled && s.line.size() >= kCachedLineMin && FileIdentity(f, c.identity)) {
      c.valid = true;
      c.stream = f;
      c.start = start;
      c.contentEnd = start + static_cast<long>(s.line.size());
      c.after = std::ftell(f);
      c.raw = s.line;
      c.lastQuote = c.raw.rfind('"');
      c.lastOpen = c.raw.rfind('(');
      c.lastClose = c.raw.rfind(')');
      for (auto* n : {&c.stops, &c.commas, &c.semis, &c.opens}) n->Reset();
    }
  }
  while (!s.line.empty() && s.line.back() == '\t') s.line.pop_back();
  TraceLine(s);

  size_t skip = s.line.find_first_not_of(" \t,");
  if (skip == npos) skip = s.line.size();
  const std::string text = s.line.substr(skip);
  const long base = start + static_cast<long>(skip);  // file offset of text[0]
  long seekTo = -1;                                    // -1: stay after the line terminator
  size_t end = text.size();                            // the token is text[0, end)

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
      seekTo = base + static_cast<long>(open);
    } else if (!ScrIsStatement(text.c_str())) {
      // f(a, (b)) x: up to the parenthesis that closes the call.
      int depth = 0;
      for (size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c == '{' || c == '}') {
          end = k;
          seekTo = base + static_cast<long>(k);
          break;
        }
        if (c == '\'') break;
        if (c == '(') {
          ++depth;
        } else if (c == ')') {
          if (depth < 2) {
            end = k + 1;
            seekTo = base + static_cast<long>(k + 1);
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
        seekTo = base + static_cast<long>(k);
        break;
      }
      if (c == '\'') {
        end = k;  // the rest of the line is a comment
        break;
      }
    }
    std::string_view head(text.data(), end);
    if (FindTopLevel(head, ';') == npos) {
      size_t comma = FindTopLevel(head, ',', "([", ")]");
      if (comma != npos) {
        end = comma;
        seekTo = base + static_cast<long>(comma);
      }
    }
  }

  // A comment ends the token; so does a ';' outside quotes and parentheses, after which the
  // stream goes on.
  std::string_view cut(text.data(), end);
  size_t apostrophe = FindUnquoted(cut, '\'');
  if (apostrophe != npos) cut = cut.substr(0, apostrophe);
  size_t semi = FindTopLevel(cut, ';');
  if (semi != npos) {
    cut = cut.substr(0, semi);
    seekTo = base + static_cast<long>(semi) + 1;
  }
  if (seekTo >= 0) std::fseek(f, seekTo, SEEK_SET);

  token.assign(cut);
  std::replace(token.begin(), token.end(), '\t', ' ');
  while (!token.empty() && token.back() == ' ') token.pop_back();
  return true;
}

// The argument of the parameter named `name` in `fn`; null when `name` is no parameter (or the
// call gave no argument for it).
const std::string* ArgumentFor(const SCRFUNCTION& fn, std::string_view name) {
  for (size_t i = 0; i < fn.params.size(); ++i)
    if (fn.params[i] == name) return i < fn.args.size() ? &fn.args[i] : nullptr;
  return nullptr;
}

// Puts the call's arguments in for its parameters in one piece of a function body.
void SubstituteArguments(std::string& piece, const SCRFUNCTION& fn) {
  const char* p = piece.c_str();
  if (ScrIsKeywordLike(p) && !ScrIsCallShaped(p) && !ScrIsStatement(p) && !ScrIsOperatorExpression(p)) return;
  if (const std::string* a = ArgumentFor(fn, piece)) {
    piece = *a;
    return;
  }
  if (Contains(piece, "var[")) {
    // var[X] and var[X%...]: X is the name.
    std::string out;
    size_t from = 0;
    for (size_t at; (at = piece.find("var[", from)) != npos;) {
      size_t x = at + 4;
      size_t e = piece.find_first_of("]%", x);
      if (e == npos) e = piece.size();
      out.append(piece, from, x - from);
      std::string_view name(piece.data() + x, e - x);
      const std::string* a = ArgumentFor(fn, name);
      out += a ? *a : std::string(name);
      from = e;
    }
    out.append(piece, from, npos);
    piece = std::move(out);
    return;
  }
  if (StartsWith(piece, "module ")) {
    std::string name = TrimBlanks(std::string_view(piece).substr(7));
    if (const std::string* a = ArgumentFor(fn, name)) piece = "module " + *a;
    return;
  }
  // Operands between operator characters; blanks around operands are dropped, except inside a
  // string literal, whose text is kept as written.
  static const char* const kOperators = "[]()<>=+-*/%,\"";
  std::string out;
  bool quoted = false;
  size_t b = 0;
  auto flush = [&](size_t e) {
    std::string_view raw(piece.data() + b, e - b);
    std::string name = TrimBlanks(raw);
    const std::string* a = name.empty() ? nullptr : ArgumentFor(fn, name);
    const std::string& value = a ? *a : name;
    if (quoted && !name.empty()) {
      size_t lead = raw.find_first_not_of(" \t");
      size_t trail = raw.find_last_not_of(" \t");
      out.append(raw.substr(0, lead));
      out += value;
      out.append(raw.substr(trail + 1));
    } else if (quoted) {
      out.append(raw);
    } else {
      out += value;
    }
  };
  for (size_t i = 0; i < piece.size(); ++i) {
    if (!InSet(piece[i], kOperators)) continue;
    flush(i);
    out += piece[i];
    if (piece[i] == '"') quoted = !quoted;
    b = i + 1;
  }
  flush(piece.size());
  piece = std::move(out);
}

}  // namespace

int ScrInputEnded(FILE* f) {
  if (!ScrLex().pending.empty()) return 0;
  return (!f || StreamEnded(f)) ? 1 : 0;
}

int ScrReadString(FILE* f, std::string& out) {
  ScrLexState& s = ScrLex();
  out.clear();
  if (s.pending.empty()) {
    if (!f) return 0;
    std::string token;
    if (!CutToken(f, s, token)) return 0;
    // Names and fields written in quotes lose the quotes and are taken as written.
    if ((CurrentKeywordIs("name") || CurrentKeywordIs("field") || CurrentKeywordIs("content")) &&
        token.size() >= 2 && token.front() == '"' && token.back() == '"') {
      s.pending.push_back(token.substr(1, token.size() - 2));
    } else {
      std::vector<std::string> pieces;
      ScrRewriteStatement(token, pieces);
      for (std::string& p : pieces) s.pending.push_back(std::move(p));
    }
    if (s.pending.empty()) return 1;  // empty, or dropped by the rewriting
  }
  out = std::move(s.pending.front());
  s.pending.pop_front();
  int result = CountChar(out, '"') == 1 ? 0 : 1;
  if (!s.callStack.empty()) SubstituteArguments(out, *s.callStack.back());
  return result;
}

int ScrReadString(FILE* f, char* out) {
  std::string token;
  int r = ScrReadString(f, token);
  if (out) CopyBounded(out, token, SCR_TOKEN_BUFFER);
  return r;
}

int ScrReadKeyword(FILE* f, std::string& out) {
  ScrLexState& s = ScrLex();
  out.clear();
  if (ScrInputEnded(f)) return 0;
  std::string token;
  ScrReadString(f, token);
  while (token.empty() && !ScrInputEnded(f)) {
    if (!ScrReadString(f, token)) {
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
  if (!result && s.reader) {
    CSgModule* m = s.reader->CurrentModule();
    if (m && m->FindClass(out.c_str())) result = 1;
  }
  return result;
}

int ScrReadKeyword(FILE* f, char* out) {
  std::string token;
  int r = ScrReadKeyword(f, token);
  if (out) CopyBounded(out, token, SCR_TOKEN_BUFFER);
  return r;
}
