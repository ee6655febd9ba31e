// The grammar pre-pass: a whole script checked against the keyword table before it is read.
//
// The check walks the file with the token reader and verifies that every block is opened and
// closed, that each keyword may stand inside its parent (lexer/ScrKeywordTable.h), and that
// conditional statements carry a condition. In values it warns about Chinese full-width
// punctuation typed for ASCII punctuation. It creates nothing.
//
// The first error ends the check. The construct that failed reports itself first; then every
// enclosing block, innermost first, reports that it was left without its '}', so that the author
// sees the fault and the path that leads to it. (The reader's message list keeps only the first
// error; the rest of the cascade is for tools that show everything.)
//
// The walk is one pass over the text: every token is read once, except that a keyword that
// turns out to stand without a block is read again from where it ended (the token reader's whole
// state is put back, lexer/ScrLex.h). Token buffers are kept per nesting level and reused, so
// the check allocates nothing per token once the first blocks have been seen. Nesting is bounded
// by SCR_MAX_BLOCK_DEPTH (lexer/ScrLimits.h): a deeper block fails the check with a message
// instead of running the stack out.
#include <cstring>
#include <string>
#include <vector>

#include "lexer/ScrKeywordTable.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "reader/ScriptReader.h"
#include "sg/Kvo.h"

namespace {

bool Is(const std::string& s, const char* word) { return s == word; }
bool Is(const char* s, const char* word) { return std::strcmp(s, word) == 0; }
bool BeginsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }
bool Holds(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// Keywords whose block follows a parenthesised condition. `examine` and `branch` may leave it out.
bool TakesCondition(const char* kw) {
  switch (kw[0]) {
    case 'i': return Is(kw, "if");
    case 'w': return Is(kw, "while");
    case 'f': return Is(kw, "for");
    case 's': return Is(kw, "switch");
    case 'e': return Is(kw, "elseif") || Is(kw, "examine");
    case 'b': return Is(kw, "branch");
    default: return false;
  }
}

class GrammarCheck {
 public:
  GrammarCheck(CScriptReader& reader, CScrStream* f)
      : m_reader(reader), m_f(f), m_tokens(static_cast<size_t>(SCR_MAX_BLOCK_DEPTH) + 3) {}

  int File();
  int Keyword(const char* kw, int depth);

 private:
  int Values(const char* kw);
  int Block(const char* kw, const ScrKeywordRecord* rec, int depth);
  void WarnPunctuation(const std::string& value, const char* kw);

  // Messages name the line of the token reader's running line id: the line the check is at.
  void Report(ScrTextId id, std::initializer_list<ScrArg> args) { m_reader.ReportAtLine(id, ScrGetLineId(), args); }

  CScriptReader& m_reader;
  CScrStream* m_f;
  // m_tokens[d] holds the keyword checked at depth d while its construct is checked; the check
  // at depth d reads its own next token and its block's children into m_tokens[d + 1]. Sized
  // once for the deepest nesting allowed, so no buffer moves while a keyword points into it.
  std::vector<std::string> m_tokens;
  std::string m_raw;   // strings read without keyword bookkeeping
  ScrLexMark m_mark;   // where to go back to when a keyword turns out to have no block
};

// CheckGrammar's walk: tokens before the `script` block are passed over; the block is checked;
// after it, nothing but comments and blank lines may follow. (Each token read in the loop is
// followed by one more read; that one must not be a keyword, which catches a '}' too many.)
int GrammarCheck::File() {
  std::string& tok = m_tokens[0];
  bool seen = false;
  while (!ScrInputEnded(m_f)) {
    int r = ScrReadKeyword(m_f, tok);
    if (r && Is(tok, "script")) {
      if (!Keyword(tok.c_str(), 0)) return 0;
      seen = true;
    }
    if (seen && !ScrInputEnded(m_f) && ScrReadKeyword(m_f, tok)) {
      Report(ScrTextId::err_grammar_script_ended, {tok});
      return 0;
    }
  }
  return 1;
}

// The construct that begins with keyword `kw`, whose token has just been read; the stream is left
// after it. `depth` is the number of blocks around it.
int GrammarCheck::Keyword(const char* kw, int depth) {
  // A word of the table is never a statement nor a call (its letters, digits, '_' and braces
  // make neither), so most keywords skip both tests.
  const ScrKeywordRecord* rec = ScrFindKeywordRecord(kw);
  // A statement of a program stands alone.
  if (!rec && ScrIsStatement(kw)) return 1;
  ScrSaveLexState(m_f, m_mark);
  const bool call = !rec && ScrIsCallShaped(kw);

  // A call whose arguments go on over further lines: its ')' must come before any brace.
  if (call && !std::strchr(kw, ')')) {
    for (;;) {
      // The end of the file never brings the ')': the call is left open.
      if (ScrInputEnded(m_f)) {
        Report(ScrTextId::err_grammar_missing_paren, {kw});
        return 0;
      }
      ScrReadString(m_f, m_raw);
      if (BeginsWith(m_raw, '{') || BeginsWith(m_raw, '}')) {
        Report(ScrTextId::err_grammar_missing_paren, {kw});
        return 0;
      }
      if (m_raw.find(')') != std::string::npos) break;
    }
    ScrSaveLexState(m_f, m_mark);
  }

  std::string& t = m_tokens[static_cast<size_t>(depth) + 1];
  int r = ScrReadKeyword(m_f, t);
  if (!r && !BeginsWith(t, '(') && kw[0] != '{') {
    Report(ScrTextId::err_grammar_parse_keyword, {t, kw});
    return 0;
  }

  // A call without a block: what follows it belongs to the enclosing block.
  if (call && !BeginsWith(t, '{')) {
    ScrRestoreLexState(m_f, m_mark);
    return 1;
  }

  if (TakesCondition(kw)) {
    if (BeginsWith(t, '(') && t.back() == ')') {
      ScrReadKeyword(m_f, t);
    } else if (!Is(kw, "examine") && !Is(kw, "branch")) {
      Report(ScrTextId::err_grammar_no_condition, {kw});
      return 0;
    }
  }

  if (!BeginsWith(t, '{') && !Is(kw, "{")) {
    ScrRestoreLexState(m_f, m_mark);  // the message names the keyword's line
    Report(ScrTextId::err_grammar_missing_open_brace, {kw});
    return 0;
  }

  // A word the table does not know (a call, a module, a class) opens a block.
  if (rec && rec->kind == SCR_KW_VALUE) return Values(kw);
  return Block(kw, rec, depth);
}

// The values of value keyword `kw`, up to its '}'.
int GrammarCheck::Values(const char* kw) {
  const bool enable = Is(kw, "enable");
  const bool content = Is(kw, "content");
  bool closed = false;
  while (!ScrInputEnded(m_f)) {
    ScrReadString(m_f, m_raw);
    if (Is(m_raw, "{")) break;
    if (Is(m_raw, "}")) {
      closed = true;
      break;
    }
    // An empty string is the end of a line, not a value: `enable {` may hold its TRUE on the
    // next line.
    if (m_raw.empty()) continue;
    if (enable && !straccord(m_raw.c_str(), "TRUE") && !straccord(m_raw.c_str(), "FALSE")) {
      Report(ScrTextId::err_grammar_enable_bool, {kw});
      return 0;
    }
    // Free text may hold Chinese punctuation on purpose.
    if (!content) WarnPunctuation(m_raw, kw);
  }
  if (closed) return 1;
  Report(ScrTextId::err_grammar_value_missing_brace, {kw});
  return 0;
}

// Full-width punctuation in a value is most likely ASCII punctuation typed with a Chinese input
// method on. The GBK bytes of "停机" (halt) hold those of "；", so that word raises no
// semicolon warning.
void GrammarCheck::WarnPunctuation(const std::string& value, const char* kw) {
  // ASCII text holds none of these: only a value with a byte above 0x7F needs the searches.
  bool wide = false;
  for (char c : value)
    if (static_cast<unsigned char>(c) >= 0x80) {
      wide = true;
      break;
    }
  if (!wide) return;
  if (Holds(value, ScrText(ScrTextId::word_fullwidth_comma))) Report(ScrTextId::warn_grammar_fullwidth_comma, {kw});
  if (Holds(value, ScrText(ScrTextId::word_fullwidth_minus))) Report(ScrTextId::warn_grammar_fullwidth_minus, {kw});
  if (Holds(value, ScrText(ScrTextId::word_fullwidth_semicolon)) && !Holds(value, ScrText(ScrTextId::word_halt)))
    Report(ScrTextId::warn_grammar_fullwidth_semicolon, {kw});
}

// The children of block keyword `kw` (table record `rec`, null for a word the table lacks), up to
// its '}'. `depth` blocks stand around it.
int GrammarCheck::Block(const char* kw, const ScrKeywordRecord* rec, int depth) {
  // The root block stands at depth 0; SCR_MAX_BLOCK_DEPTH blocks may nest inside it, as in the
  // reader.
  if (depth > SCR_MAX_BLOCK_DEPTH) {
    Report(ScrTextId::err_grammar_too_deep, {SCR_MAX_BLOCK_DEPTH, kw});
    return 0;
  }
  const ScrKeywordParent parent = rec ? ScrKeywordParentOfRecord(rec) : ScrKeywordParentOf(kw);
  std::string& c = m_tokens[static_cast<size_t>(depth) + 1];
  int ok = 1;
  for (;;) {
    if (ScrReadKeyword(m_f, c)) {
      if (Is(c, "}")) return ok;
      if (!ScrKeywordParentAllows(parent, c.c_str())) {
        Report(ScrTextId::err_grammar_cannot_contain, {kw, c});
        return 0;
      }
      if (!Keyword(c.c_str(), depth + 1)) {
        ok = 0;
        break;
      }
      continue;
    }
    // Not a keyword (or the end of the file): look on for the next keyword-like string. A '}'
    // closes the block and the words before it pass; a '{' means the word was meant as a
    // keyword; anything else is reported where the look began.
    const int scanLine = ScrGetLineId();
    m_raw = c;  // the last string that was no keyword
    std::string& s = m_tokens[static_cast<size_t>(depth) + 2];
    s.clear();
    while (!ScrInputEnded(m_f)) {
      ScrReadString(m_f, s);
      if (ScrIsKeywordLike(s.c_str())) break;
      if (!s.empty()) m_raw = s;
      s.clear();
    }
    if (Is(s, "}")) return ok;
    if (Is(s, "{")) Report(ScrTextId::err_grammar_not_keyword, {m_raw});
    else m_reader.ReportAtLine(ScrTextId::err_grammar_unknown, scanLine, {});
    ok = 0;
    break;
  }
  // The block is still open: say so, and let every enclosing block say the same.
  Report(ScrTextId::err_grammar_block_missing_brace, {kw});
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Entry points.

int CScriptReader::CheckGrammarStream(CScrStream* f, const char* name) {
  // The check reads with the token reader from a clean state, as the real read will.
  ScrSetCurrentReader(this);
  ScrLexResetBuffers();
  SetFileName(name, f);
  GrammarCheck check(*this, f);
  int result = check.File();
  // The stream is the caller's: nothing may keep pointing at it.
  if (ScrGetCurrentStream() == f) ScrSetCurrentStream(nullptr);
  m_lineCounter.Reset();
  return result;
}

int CScriptReader::CheckGrammar(const char* path) {
  if (!path) path = "";
  std::unique_ptr<CScrStream> f = OpenScript(path);
  if (!f) return 0;
  return CheckGrammarStream(f.get(), path);
}

int CScriptReader::CheckGrammarText(const char* name, std::string bytes) {
  ScrDetectedEncoding detected = ScrDetectedEncoding::Ascii;
  CScrStream f(ScrDecodeScript(name ? name : "", std::move(bytes), m_encoding, &detected));
  m_lastEncoding = detected;
  return CheckGrammarStream(&f, name ? name : "");
}

int CScriptReader::CheckKeyWordGrammar(CScrStream* f, const char* keyword) {
  if (!f || !keyword) return 0;
  GrammarCheck check(*this, f);
  return check.Keyword(keyword, 0);
}
