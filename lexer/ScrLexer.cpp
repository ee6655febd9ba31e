// The token reader, line tracking, the call contexts of script functions and the shared state.
//
// Reading a token (ScrReadString):
//   1. With pieces of an earlier token pending, the next piece is returned.
//   2. Otherwise the rest of the current physical line from the stream position is looked at (a
//      new line raises the line id), leading blanks and commas are skipped, and the token is cut
//      off by the first rule that applies: a brace alone; a call `f(a, b)` up to its closing
//      parenthesis; the head of `if (...)` and its kin up to the parenthesis; a statement whole;
//      anything else up to a brace, a comment or a comma at nesting depth 0. A comment (') and a
//      ';' end the token too. The stream is left just after the token.
//   3. The token is rewritten into statement pieces (lexer/ScrLexRules.cpp), queued, and the first
//      piece is returned; inside a script-function expansion the call's arguments are put in for
//      its parameters.
//
// The script is in memory: a line is found once, and what the rules ask of the rest of the line
// is answered from searches remembered while the line is cut (ScrLineScan), so a line of any
// length is read in time linear in its length.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexState.h"
#include "lexer/ScrLexText.h"
#include "lexer/ScrKeywordTable.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

using namespace scrlex;

namespace {
constexpr size_t npos = std::string::npos;

// Copies `text` into a caller's buffer of `room` bytes (room >= 1), truncating.
void CopyBounded(char* out, std::string_view text, size_t room) {
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
  keyword.clear();
  curKeyword[0] = '\0';
  ClearPending();
  expansion.clear();
  pathExists.clear();
  freshLine = 1;  // the first line read afterwards is a fresh one too
  line.Forget();
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
  s.keyword.shrink_to_fit();
  s.pending.shrink_to_fit();
  s.expansion.shrink_to_fit();
  s.token.clear();
  s.token.shrink_to_fit();
  s.scratch.clear();
  s.scratch.shrink_to_fit();
  s.peek.clear();
  s.peek.shrink_to_fit();
  s.pieces.clear();
  s.pieces.shrink_to_fit();
  s.line.flags.clear();
  s.line.flags.shrink_to_fit();
  s.callStack.clear();
  s.callStack.shrink_to_fit();
  s.stream = nullptr;
  s.reader = nullptr;
  s.lineId = 1;
}

void ScrLexResetBuffers() { ScrLex().ClearBuffers(); }

void ScrSetCurrentStream(CScrStream* f) { ScrLex().stream = f; }
CScrStream* ScrGetCurrentStream() { return ScrLex().stream; }
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
// Saving and restoring the token reader's state.

ScrLexMark ScrSaveLexState(const CScrStream* f) {
  ScrLexMark m;
  ScrSaveLexState(f, m);
  return m;
}

void ScrSaveLexState(const CScrStream* f, ScrLexMark& m) {
  const ScrLexState& s = ScrLex();
  m.pos = f ? f->Tell() : 0;
  m.pending.assign(s.pending.begin() + static_cast<long>(s.pendingHead), s.pending.end());
  m.lineId = s.lineId;
  m.freshLine = s.freshLine;
  m.curKeyword.assign(s.curKeyword.data());
  m.tokenStart = s.tokenStart;
  m.braceStart = s.braceStart;
  m.tokenSource = s.tokenSource;
}

void ScrRestoreLexState(CScrStream* f, const ScrLexMark& m) {
  ScrLexState& s = ScrLex();
  if (f) f->Seek(m.pos);
  s.ClearPending();
  s.pending.assign(m.pending.begin(), m.pending.end());
  s.lineId = m.lineId;
  s.freshLine = m.freshLine;
  ScrSetCurKeyWord(m.curKeyword.c_str());
  s.tokenStart = m.tokenStart;
  s.braceStart = m.braceStart;
  s.tokenSource = m.tokenSource;
}

long ScrLastTokenStart(const CScrStream* f, int line) {
  const ScrLexState& s = ScrLex();
  if (!f || s.tokenSource != f->Source().Id()) return -1;
  // Offsets of characters: a token at the start of a line stands on that line.
  if (s.tokenStart >= 0 && f->Source().LineOfCharacter(s.tokenStart) == line) return s.tokenStart;
  if (s.braceStart >= 0 && f->Source().LineOfCharacter(s.braceStart) == line) return s.braceStart;
  return -1;
}

ScrLexMark ScrBeginNestedRead(const CScrStream* f) {
  ScrLexMark m = ScrSaveLexState(f);
  ScrLex().ClearPending();
  return m;
}

// ---------------------------------------------------------------------------------------------
// Line index.

CLineCounter::~CLineCounter() = default;

void CLineCounter::Index(const CScrStream* f) {
  if (f) m_source = f->SharedSource();
  else m_source.reset();
}

int CLineCounter::LineOfPosition(long pos) const { return m_source ? m_source->LineOfPosition(pos) : 1; }

int CLineCounter::LineOf(const CScrStream* f) const {
  if (!f || !m_source || &f->Source() != m_source.get()) return -1;
  return m_source->LineOfPosition(f->Tell());
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

using Q = ScrLineScan::Question;

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Finds the physical line that holds `pos`, from `pos` to its terminator, and starts afresh the
// searches remembered for it.
void LoadLine(ScrLineScan& L, const CScrStream& f, size_t pos) {
  const char* p = f.Text().data();
  const size_t windowEnd = static_cast<size_t>(f.End());
  const void* lf = std::memchr(p + pos, '\n', windowEnd - pos);
  size_t term = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) : windowEnd;
  if (const void* cr = std::memchr(p + pos, '\r', term - pos)) term = static_cast<size_t>(static_cast<const char*>(cr) - p);
  size_t after = term;
  if (term < windowEnd) {
    after = term + 1;  // the terminator is consumed: LF, CR, or CR LF as one
    if (p[term] == '\r' && after < windowEnd && p[after] == '\n') ++after;
  }
  size_t end = term;
  while (end > pos && p[end - 1] == '\t') --end;  // trailing tabs are not part of the line
  L.text = p;
  L.source = f.Source().Id();
  L.windowEnd = windowEnd;
  L.start = pos;
  L.end = end;
  L.after = after;
  for (auto& m : L.memo) m.from = ScrLineScan::npos;
  L.flagsBuilt = false;
  L.plain = !std::memchr(p + pos, '"', end - pos) && !std::memchr(p + pos, '(', end - pos);
}

// Quote parity and parenthesis depth before every byte of the line (ScrLineScan::flags).
void BuildFlags(ScrLineScan& L) {
  const size_t n = L.end - L.start;
  L.flags.resize(n + 1);
  const char* p = L.text + L.start;
  bool quoted = false;
  size_t depth = 0;
  for (size_t i = 0; i < n; ++i) {
    L.flags[i] = static_cast<uint8_t>((quoted ? 1 : 0) | (depth > 0 ? 2 : 0));
    char c = p[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (c == '(') ++depth;
      else if (c == ')' && depth > 0) --depth;
    }
  }
  L.flags[n] = static_cast<uint8_t>((quoted ? 1 : 0) | (depth > 0 ? 2 : 0));
  L.flagsBuilt = true;
}

uint8_t FlagsAt(ScrLineScan& L, size_t i) {
  if (L.plain) return 0;
  if (!L.flagsBuilt) BuildFlags(L);
  return L.flags[i - L.start];
}

// 1 when an odd number of quotes stands between the line's start and `i`.
int ParityAt(ScrLineScan& L, size_t i) { return FlagsAt(L, i) & 1; }

// The first position in [t, end) that answers question `k`, or `end`.
size_t Search(ScrLineScan& L, Q k, size_t t) {
  const char* p = L.text;
  const size_t e = L.end;
  auto firstChar = [&](char c) {
    const void* hit = std::memchr(p + t, c, e - t);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : e;
  };
  auto firstWhere = [&](auto pred) {
    size_t i = t;
    while (i < e && !pred(i)) ++i;
    return i;
  };
  auto word = [&](const char* w, size_t n) {
    return firstWhere([&](size_t i) { return p[i] == w[0] && i + n <= e && std::memcmp(p + i, w, n) == 0; });
  };
  static constexpr CharSet kBraces("{}"), kStops("{}'"), kApostrophes("'"), kOperators("=+-*/%<>&"),
      kTypeStops("=+-/%()[]'"), kNameStops(" =+-/%()'");
  auto outside = [&](int parity, const CharSet& set) {
    if (L.plain) return parity ? e : firstWhere([&](size_t i) { return set(p[i]); });
    if (!L.flagsBuilt) BuildFlags(L);
    const uint8_t* fl = L.flags.data() - L.start;
    return firstWhere([&](size_t i) { return set(p[i]) && (fl[i] & 1) == parity; });
  };
  switch (k) {
    case ScrLineScan::kOpenParen: return firstChar('(');
    case ScrLineScan::kCloseParen: return firstChar(')');
    case ScrLineScan::kOpenBrace: return firstChar('{');
    case ScrLineScan::kBraceOrApostrophe: return firstWhere([&](size_t i) { return p[i] == '{' || p[i] == '\''; });
    case ScrLineScan::kApostrophe: return firstChar('\'');
    case ScrLineScan::kOperatorChar: return firstWhere([&](size_t i) { return kOperators(p[i]); });
    case ScrLineScan::kEquals: return firstChar('=');
    case ScrLineScan::kBracket: return firstChar('[');
    case ScrLineScan::kPlusPlus: return word("++", 2);
    case ScrLineScan::kMinusMinus: return word("--", 2);
    case ScrLineScan::kReturnWord: return word("return ", 7);
    case ScrLineScan::kInterfaceWord: return word("interface ", 10);
    case ScrLineScan::kSpace: return firstChar(' ');
    case ScrLineScan::kNotInTypeWord: return firstWhere([&](size_t i) { return kTypeStops(p[i]); });
    case ScrLineScan::kNotInDeclaredName: return firstWhere([&](size_t i) { return kNameStops(p[i]); });
    case ScrLineScan::kBraceOutside0: return outside(0, kBraces);
    case ScrLineScan::kBraceOutside1: return outside(1, kBraces);
    case ScrLineScan::kStopOutside0: return outside(0, kStops);
    case ScrLineScan::kStopOutside1: return outside(1, kStops);
    case ScrLineScan::kApostropheOutside0: return outside(0, kApostrophes);
    case ScrLineScan::kApostropheOutside1: return outside(1, kApostrophes);
    case ScrLineScan::kTopSemicolon: {
      if (L.plain) return firstChar(';');
      if (!L.flagsBuilt) BuildFlags(L);
      const uint8_t* fl = L.flags.data() - L.start;
      return firstWhere([&](size_t i) { return p[i] == ';' && (fl[i] & 3) == 0; });
    }
    case ScrLineScan::kQuestionCount: break;
  }
  return e;
}

// The first position at or after t (t in the line) that answers question `k`, or the line's end.
// An answer is remembered; a later question from a position up to it is answered at once.
size_t Next(ScrLineScan& L, Q k, size_t t) {
  ScrLineScan::Memo& m = L.memo[k];
  if (m.from != ScrLineScan::npos && t >= m.from && t <= m.at) return m.at;
  m.from = t;
  m.at = t >= L.end ? L.end : Search(L, k, t);
  return m.at;
}

bool Has(ScrLineScan& L, Q k, size_t t) { return Next(L, k, t) < L.end; }

Q ByParity(ScrLineScan& L, size_t t, Q even, Q odd) { return ParityAt(L, t) ? odd : even; }

// Writes a fresh, non-empty line to the line trace unless the environment turned it off.
void TraceLine(ScrLexState& s, const char* text, size_t len) {
  if (!s.freshLine || len == 0) return;
  s.freshLine = 0;
  s.traceOn = 1;
  if (s.reader) {
    CSgModule* m = s.reader->CurrentModule();
    CSgEnvironment* env = m ? m->Environment() : nullptr;
    if (env && (env->Options() & SG_OPT_NO_LINE_TRACE)) s.traceOn = 0;
  }
  if (s.traceOn) SgDumpString("c:\\script_lines.txt", 1, "%.*s\n", static_cast<int>(std::min<size_t>(len, 1u << 30)), text);
}

bool CurrentKeywordIs(const char* word) { return std::strcmp(ScrGetCurKeyWord(), word) == 0; }

bool TextStartsWith(const char* p, size_t n, std::string_view w) {
  return n >= w.size() && std::memcmp(p, w.data(), w.size()) == 0;
}

// Words whose values are paths or free text: a '(' in them never makes a call.
constexpr const char* kTextKeywords[] = {"field", "bitmap", "string", "content", "bitmap_templ"};

// The heads of statements whose condition follows in parentheses.
constexpr const char* kStatementHeads[] = {"if(",      "if ",      "while(",  "while ",  "for(",    "for ",
                                           "switch(",  "switch ",  "examine(", "examine ", "Examine(",
                                           "Examine ", "branch(",  "branch ",  "Branch(",  "Branch ",
                                           "Leaf ",    "leaf "};

// The text begins with `word` once its blanks are ignored (`else if` is `elseif`). A quote can
// never match a letter of the word, so blanks after one need no special care.
bool BeginsWithWordIgnoringSpaces(const char* p, size_t n, const char* word) {
  size_t i = 0;
  for (const char* w = word; *w; ++w) {
    while (i < n && p[i] == ' ') ++i;
    if (i == n || p[i] != *w) return false;
    ++i;
  }
  return true;
}

bool IsStatementHead(const char* p, size_t n) {
  for (const char* h : kStatementHeads)
    if (TextStartsWith(p, n, h)) return true;
  return BeginsWithWordIgnoringSpaces(p, n, "elseif");
}

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The rest of the line from t, as a declaration `[... interface ] type name [= value]` (the same
// test as ScrIsDeclaration, answered without copying the rest).
bool RestIsDeclaration(ScrLineScan& L, size_t t) {
  const char* p = L.text;
  const size_t e = L.end;
  if (Has(L, ScrLineScan::kReturnWord, t)) return false;
  size_t iface = Next(L, ScrLineScan::kInterfaceWord, t);
  size_t u = iface < e ? iface + 10 : t;
  size_t sp = Next(L, ScrLineScan::kSpace, u);
  if (sp >= e) return false;
  // The type word: [u, sp) without blanks around it.
  size_t tb = u, te = sp;
  while (tb < te && IsBlank(p[tb])) ++tb;
  while (te > tb && IsBlank(p[te - 1])) --te;
  if (tb == te || IsDigitChar(p[tb])) return false;
  if (te - tb == 6 && std::memcmp(p + tb, "delete", 6) == 0) return false;
  // Both byte tests are remembered searches: a long first word is not rescanned for every token
  // cut from it.
  if (Next(L, ScrLineScan::kNotInTypeWord, tb) < te) return false;
  // The name: after the space, up to '=', without blanks around it.
  size_t a = sp + 1;
  while (a < e && IsBlank(p[a])) ++a;
  size_t b = Next(L, ScrLineScan::kEquals, a);
  size_t nb = b;
  while (nb > a && IsBlank(p[nb - 1])) --nb;
  if (a >= nb || IsDigitChar(p[a])) return false;
  return Next(L, ScrLineScan::kNotInDeclaredName, a) >= nb;
}

// The rest of the line from t, as a statement (the same test as ScrIsStatement).
bool RestIsStatement(ScrLineScan& L, size_t t) {
  const char* p = L.text + t;
  const size_t n = L.end - t;
  if (Has(L, ByParity(L, t, ScrLineScan::kBraceOutside0, ScrLineScan::kBraceOutside1), t)) return false;
  if (Has(L, ScrLineScan::kEquals, t) && p[0] != '(' && p[0] != '/') return true;
  if (TextStartsWith(p, n, "class ") || TextStartsWith(p, n, "segment ")) return false;
  if (TextStartsWith(p, n, "return ") || (n == 6 && std::memcmp(p, "return", 6) == 0)) return true;
  if (TextStartsWith(p, n, "break") || TextStartsWith(p, n, "delete ")) return true;
  if (Has(L, ScrLineScan::kPlusPlus, t) || Has(L, ScrLineScan::kMinusMinus, t) || Has(L, ScrLineScan::kBracket, t))
    return true;
  return RestIsDeclaration(L, t);
}

// Does the rest of the line from t read as a call (the rule for cutting at its closing
// parenthesis)? t is not at the line's end and the text there is no brace.
bool RestIsCall(ScrLineScan& L, size_t t) {
  const char* p = L.text;
  const size_t e = L.end;
  size_t open = Next(L, ScrLineScan::kOpenParen, t), close = Next(L, ScrLineScan::kCloseParen, t);
  if (open >= e || close >= e || open == t) return false;
  size_t braceOrQuote = Next(L, ScrLineScan::kBraceOrApostrophe, t);
  if (braceOrQuote < e && braceOrQuote <= open) return false;
  size_t apostrophe = Next(L, ScrLineScan::kApostrophe, t);
  if (apostrophe < e && apostrophe <= close) return false;
  for (const char* w : kTextKeywords)
    if (CurrentKeywordIs(w) || TextStartsWith(p + t, e - t, w)) return false;
  // Not an operator expression: no '{', an operator, and wrapped in parentheses or under `type`
  // (the rest cannot begin with '(' here).
  if (Has(L, ScrLineScan::kOpenBrace, t) || !Has(L, ScrLineScan::kOperatorChar, t)) return true;
  return !CurrentKeywordIs("type");
}

// The first ';' outside quotes and parentheses in [t, limit), or npos.
size_t TopLevelSemicolon(ScrLineScan& L, size_t t, size_t limit) {
  if ((FlagsAt(L, t) & 3) == 0) {  // the line's own quote and depth count agree with t's
    size_t at = Next(L, ScrLineScan::kTopSemicolon, t);
    return at < limit ? at : npos;
  }
  size_t at = FindTopLevel(std::string_view(L.text + t, limit - t), ';');
  return at == npos ? npos : t + at;
}

// Cuts the first token off the rest of the physical line at the stream position and leaves the
// stream just after it. False at the end of the input.
bool CutToken(CScrStream* f, ScrLexState& s, std::string& token) {
  token.clear();
  if (f->AtEnd()) return false;
  const char* p = f->Text().data();
  const size_t pos = static_cast<size_t>(f->Tell());
  if (pos > 0 && IsLineEnd(p[pos - 1])) {
    ++s.lineId;
    s.freshLine = 1;
  }
  ScrLineScan& L = s.line;
  if (!L.Holds(f->Source().Id(), static_cast<size_t>(f->End()), pos)) LoadLine(L, *f, pos);
  const size_t e = L.end;
  const size_t from = std::min(pos, e);
  TraceLine(s, p + from, e - from);

  size_t t = from;  // the token begins after leading blanks and commas
  while (t < e && (p[t] == ' ' || p[t] == '\t' || p[t] == ',')) ++t;
  size_t end = e;          // the token is [t, end) before comments and ';' are cut off
  size_t seekTo = npos;    // npos: the stream goes after the line terminator
  size_t semicolon = npos;
  bool semicolonKnown = false;

  // Only the offset is kept; a message counts the column from it when it is made.
  if (s.tokenSource != L.source) {
    s.tokenSource = L.source;
    s.tokenStart = s.braceStart = -1;
  }
  const bool brace = t < e && (p[t] == '{' || p[t] == '}');
  if (brace) s.braceStart = static_cast<long>(t);
  else if (t < e) s.tokenStart = static_cast<long>(t);
  if (brace) {
    end = t + 1;
    if (e > t + 1) seekTo = t + 1;
  } else if (t == e) {
    end = e;
  } else if (RestIsCall(L, t)) {
    size_t open = Next(L, ScrLineScan::kOpenParen, t);
    if (IsStatementHead(p + t, e - t)) {
      end = open;
      seekTo = open;
    } else if (!RestIsStatement(L, t)) {
      // f(a, (b)) x: up to the parenthesis that closes the call. A ';' outside quotes and
      // parentheses met first ends the token below whatever lies after it, so the scan stops
      // there: a line of `a;a;a;...` ending in a call is then read in linear time, not
      // rescanned to the call for every `a`.
      int depth = 0;
      bool quoted = false;
      size_t topDepth = 0;  // parentheses as the ';' search below counts them (outside quotes)
      for (size_t k = t; k < e; ++k) {
        char c = p[k];
        if (c == '"') {
          quoted = !quoted;
        } else if (!quoted) {
          if (c == ';' && topDepth == 0) break;
          if (c == '(') ++topDepth;
          else if (c == ')' && topDepth > 0) --topDepth;
        }
        if (c == '{' || c == '}') {
          end = k;
          seekTo = k;
          break;
        }
        if (c == '\'') break;
        if (c == '(') {
          ++depth;
        } else if (c == ')') {
          if (depth < 2) {
            end = k + 1;
            seekTo = k + 1;
            break;
          }
          --depth;
        }
      }
    }
  } else {
    // Up to a brace or a comment outside quotes; then, unless a ';' cuts the token, up to its
    // first comma outside quotes and brackets.
    size_t stop = Next(L, ByParity(L, t, ScrLineScan::kStopOutside0, ScrLineScan::kStopOutside1), t);
    if (stop < e) {
      end = stop;
      if (p[stop] != '\'') seekTo = stop;  // after a comment the rest of the line is skipped
    }
    semicolon = TopLevelSemicolon(L, t, end);
    semicolonKnown = true;
    if (semicolon == npos) {
      size_t comma = FindTopLevel(std::string_view(p + t, end - t), ',', true);
      if (comma != npos) {
        end = t + comma;
        seekTo = end;
      }
    }
  }

  // A comment ends the token; so does a ';' outside quotes and parentheses, after which the
  // stream goes on.
  size_t apostrophe = Next(L, ByParity(L, t, ScrLineScan::kApostropheOutside0, ScrLineScan::kApostropheOutside1), t);
  if (apostrophe < end) end = apostrophe;
  if (!semicolonKnown) {
    size_t at = FindTopLevel(std::string_view(p + t, end - t), ';');
    semicolon = at == npos ? npos : t + at;
  }
  if (semicolon != npos && semicolon < end) {
    end = semicolon;
    seekTo = semicolon + 1;
  }
  f->Seek(static_cast<long>(seekTo == npos ? L.after : seekTo));

  token.assign(p + t, end - t);
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


// Can the statement rewriting change this token? Only '+', '-', '*', '/' (compound assignments,
// increments) and ',' (declaration lists) can make it do anything, and a leading '(' keeps it.
bool MayRewrite(const std::string& token) {
  if (token.empty() || token[0] == '(') return false;
  for (char c : token)
    if (c == '+' || c == '-' || c == '*' || c == '/' || c == ',') return true;
  return false;
}

}  // namespace

int ScrInputEnded(CScrStream* f) {
  if (ScrLex().HasPending()) return 0;
  return (!f || f->AtEnd()) ? 1 : 0;
}

int ScrReadString(CScrStream* f, std::string& out) {
  ScrLexState& s = ScrLex();
  out.clear();
  if (s.HasPending()) {
    out = std::move(s.pending[s.pendingHead++]);
    if (!s.HasPending()) s.ClearPending();
  } else {
    if (!f) return 0;
    std::string& token = s.token;
    if (!CutToken(f, s, token)) return 0;
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"' &&
        (CurrentKeywordIs("name") || CurrentKeywordIs("field") || CurrentKeywordIs("content"))) {
      // Names and fields written in quotes lose the quotes and are taken as written.
      out.assign(token, 1, token.size() - 2);
    } else if (!MayRewrite(token)) {
      if (token.empty()) return 1;
      out.assign(token);
    } else {
      s.pieces.clear();
      ScrRewriteStatement(token, s.pieces);
      if (s.pieces.empty()) return 1;  // dropped by the rewriting
      out = std::move(s.pieces[0]);
      for (size_t i = 1; i < s.pieces.size(); ++i) s.pending.push_back(std::move(s.pieces[i]));
    }
  }
  int result = CountChar(out, '"') == 1 ? 0 : 1;
  if (!s.callStack.empty()) SubstituteArguments(out, *s.callStack.back());
  return result;
}

int ScrReadString(CScrStream* f, char* out) {
  std::string& token = ScrLex().scratch;
  int r = ScrReadString(f, token);
  if (out) CopyBounded(out, token, SCR_TOKEN_BUFFER);
  return r;
}

int ScrReadKeyword(CScrStream* f, std::string& out) {
  ScrLexState& s = ScrLex();
  out.clear();
  if (ScrInputEnded(f)) return 0;
  ScrReadString(f, out);
  while (out.empty() && !ScrInputEnded(f)) {
    if (!ScrReadString(f, out)) return 0;
  }
  if (out.empty()) return 0;

  // A word of the table is keyword-like at once; only other tokens need the longer tests.
  const int tableWord = ScrIsKeyword(out.c_str());
  int result = tableWord ? 1 : ScrIsKeywordLike(out.c_str());
  if (tableWord) ScrNormalizeString(out);
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

int ScrReadKeyword(CScrStream* f, char* out) {
  std::string& token = ScrLex().scratch;
  int r = ScrReadKeyword(f, token);
  if (out) CopyBounded(out, token, SCR_TOKEN_BUFFER);
  return r;
}

int ScrTakeBrace(CScrStream* f, char brace) {
  // The next keyword is the next non-empty token; a brace needs none of the keyword bookkeeping,
  // which the restore would undo anyway.
  ScrLexMark mark = ScrSaveLexState(f);
  std::string& tok = ScrLex().peek;
  int ok = ScrReadString(f, tok);
  while (ok && tok.empty() && !ScrInputEnded(f)) ok = ScrReadString(f, tok);
  if (tok.size() == 1 && tok[0] == brace) return 1;
  ScrRestoreLexState(f, mark);
  return 0;
}

void ScrSkipBlock(CScrStream* f) {
  ScrLexState& s = ScrLex();
  ScrLexMark mark = ScrSaveLexState(f);
  std::string tok;
  // The block may open on a later line: blank rests of lines give empty tokens, passed over.
  while (tok.empty() && !ScrInputEnded(f)) ScrReadString(f, tok);
  if (tok.empty() || tok[0] != '{') {
    ScrRestoreLexState(f, mark);
    return;
  }
  // A counter follows the nesting, so no recursion is needed. Only a token's first character can
  // be a brace, so outside an expansion (whose arguments may change a piece) the tokens are cut
  // and not rewritten.
  long depth = 1;
  while (depth > 0 && !ScrInputEnded(f)) {
    if (s.HasPending() || !s.callStack.empty()) ScrReadString(f, tok);
    else if (!CutToken(f, s, tok)) break;
    if (tok.empty()) continue;
    if (tok[0] == '{') ++depth;
    else if (tok[0] == '}') --depth;
  }
}
