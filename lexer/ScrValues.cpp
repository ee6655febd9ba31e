// Value readers, string utilities and literal tests.
#include "lexer/ScrValues.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexState.h"
#include "lexer/ScrLexText.h"
#include "reader/ScriptReader.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Variable.h"

using namespace scrlex;

namespace {

constexpr size_t npos = std::string::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// --- number conversion ------------------------------------------------------------------------

double ToDouble(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

long long ToInteger(const std::string& s) {
  return std::strtoll(s.c_str(), nullptr, 10);  // saturates on overflow
}

template <class T>
T Saturate(long long v) {
  return ScrNarrow<T>(v);
}

// A real truncated towards zero, saturated to the range of T (NaN gives 0).
template <class T>
T TruncateReal(double d) {
  return ScrNarrow<T>(d);
}

// Integer quotient and product of two values already in range of T. A zero divisor gives 0;
// results outside the range of T saturate.
template <class T>
T IntQuotient(T a, T b) {
  if (b == 0) return 0;
  if (b == -1) return Saturate<T>(-static_cast<long long>(a));
  return a / b;
}
template <class T>
T IntProduct(T a, T b) {
  T r;
  if (__builtin_mul_overflow(a, b, &r)) return ((a < 0) != (b < 0)) ? std::numeric_limits<T>::min()
                                                                      : std::numeric_limits<T>::max();
  return r;
}

// The three shapes of a value token: a/b, a*b, or a plain number.
struct ValueParts {
  char op = 0;  // '/', '*' or 0
  std::string a, b;
};
ValueParts SplitValue(const std::string& tok) {
  ValueParts v;
  size_t p = tok.find('/');
  if (p == npos) p = tok.find('*');
  if (p == npos) {
    v.a = tok;
    return v;
  }
  v.op = tok[p];
  v.a = tok.substr(0, p);
  v.b = tok.substr(p + 1);
  return v;
}

float ConvertFloat(const std::string& tok) {
  ValueParts v = SplitValue(tok);
  float a = static_cast<float>(ToDouble(v.a));
  if (v.op == '/') return a / static_cast<float>(ToDouble(v.b));
  if (v.op == '*') return a * static_cast<float>(ToDouble(v.b));
  return a;
}

double ConvertDouble(const std::string& tok) {
  ValueParts v = SplitValue(tok);
  double a = ToDouble(v.a);
  if (v.op == '/') return a / ToDouble(v.b);
  if (v.op == '*') return a * ToDouble(v.b);
  return a;
}

int ConvertInt(const std::string& tok) {
  ValueParts v = SplitValue(tok);
  int a = Saturate<int>(ToInteger(v.a));
  if (v.op == '/') return IntQuotient<int>(a, Saturate<int>(ToInteger(v.b)));
  if (v.op == '*') return IntProduct<int>(a, Saturate<int>(ToInteger(v.b)));
  return a;
}

long ConvertLong(const std::string& tok) {
  ValueParts v = SplitValue(tok);
  if (v.op == 0) return Saturate<long>(ToInteger(v.a));
  // The left side of a quotient or product is read as a real and truncated.
  long a = TruncateReal<long>(ToDouble(v.a));
  long b = Saturate<long>(ToInteger(v.b));
  return v.op == '/' ? IntQuotient<long>(a, b) : IntProduct<long>(a, b);
}

void Convert(const std::string& tok, float& out) { out = ConvertFloat(tok); }
void Convert(const std::string& tok, double& out) { out = ConvertDouble(tok); }
void Convert(const std::string& tok, int& out) { out = ConvertInt(tok); }
void Convert(const std::string& tok, long& out) { out = ConvertLong(tok); }

// --- readers ----------------------------------------------------------------------------------

template <class T>
int ReadValues(CScrStream* f, T* out, int n) {
  if (!f || ScrInputEnded(f)) return 0;
  if (n < 1) return 1;
  std::string& tok = ScrLex().keyword;
  ScrLexMark before;
  for (int i = 0; i < n; ++i) {
    ScrSaveLexState(f, before);
    if (!ScrReadString(f, tok)) return 0;
    // Fewer values than asked for: the closing brace belongs to the block. Read as a number it
    // would close the block one level too far and everything after it would be misread; the
    // values not given keep what they held.
    if (tok == "}") {
      ScrRestoreLexState(f, before);
      return 1;
    }
    if (ScrIsQuotedString(tok.c_str())) continue;
    Convert(tok, out[i]);
  }
  return 1;
}

// Finds the next '}' from the stream position, ignoring every token rule: `close` is the
// position just after it. The stream is not moved.
bool FindClosingBrace(CScrStream* f, long& close) {
  std::string_view text = f->Text();
  const size_t from = static_cast<size_t>(f->Tell()), end = static_cast<size_t>(f->End());
  const void* hit = std::memchr(text.data() + from, '}', end - from);
  if (!hit) return false;
  close = static_cast<long>(static_cast<const char*>(hit) - text.data()) + 1;
  return true;
}

// Leaves the stream so that the next token read is the '}' just before `close`.
void FinishAtBrace(CScrStream* f, long close) {
  f->Seek(close - 1);
  ScrLex().ClearPending();
}

template <class T>
int ReadAllValues(CScrStream* f, T* out, int& count, int max, bool storeEmpty) {
  if (!f || ScrInputEnded(f)) return 0;
  const ScrLexMark start = ScrSaveLexState(f);
  long close = 0;
  if (!FindClosingBrace(f, close)) {
    f->Seek(f->End());
    count = 0;
    return 1;
  }
  count = 0;
  std::string& tok = ScrLex().keyword;
  while (count < max) {
    int r = ScrReadString(f, tok);
    if (!tok.empty() && tok[0] == '}') break;
    if (!r && ScrInputEnded(f)) break;  // the '}' found was hidden in a comment or string
    if (tok.empty()) {
      if (storeEmpty) out[count++] = 0;
      continue;
    }
    if (ScrIsQuotedString(tok.c_str())) {
      ScrRestoreLexState(f, start);
      return 0;
    }
    Convert(tok, out[count++]);
  }
  FinishAtBrace(f, close);
  return 1;
}

}  // namespace

int ScrReadValues(CScrStream* f, float* out, int n) { return ReadValues(f, out, n); }
int ScrReadValues(CScrStream* f, double* out, int n) { return ReadValues(f, out, n); }
int ScrReadValues(CScrStream* f, int* out, int n) { return ReadValues(f, out, n); }
int ScrReadValues(CScrStream* f, long* out, int n) { return ReadValues(f, out, n); }

int ScrReadAllValues(CScrStream* f, float* out, int& count, int max) { return ReadAllValues(f, out, count, max, false); }
int ScrReadAllValues(CScrStream* f, int* out, int& count, int max) { return ReadAllValues(f, out, count, max, true); }

int ScrReadBool(CScrStream* f, int& out) {
  if (!f || ScrInputEnded(f)) return 0;
  std::string& tok = ScrLex().keyword;
  if (!ScrReadString(f, tok)) return 0;
  if (straccord(tok.c_str(), "TRUE")) {
    out = 1;
    return 1;
  }
  if (straccord(tok.c_str(), "FALSE")) {
    out = 0;
    return 1;
  }
  return 0;
}

int ScrReadAllVariables(CScrStream* f, std::list<CSgVariable*>& vars) {
  if (!f || ScrInputEnded(f)) return 0;
  const ScrLexMark start = ScrSaveLexState(f);
  long close = 0;
  if (!FindClosingBrace(f, close)) {
    f->Seek(f->End());
    return 1;
  }
  CScriptReader* reader = ScrGetCurrentReader();
  CSgModule* module = reader ? reader->CurrentModule() : nullptr;
  if (!module) {
    ScrRestoreLexState(f, start);
    return 0;
  }
  std::string& tok = ScrLex().keyword;
  for (;;) {
    int r = ScrReadString(f, tok);
    if (!tok.empty() && tok[0] == '}') break;
    if (!r && ScrInputEnded(f)) break;
    CSgVariable* var = nullptr;
    auto temp = [&] {
      module->StartRecordTempVariable();
      return module->AllocTempVariable(1);
    };
    if (ScrIsQuotedString(tok.c_str())) {
      // The literal is kept whole, however long.
      std::vector<char> buf(tok.begin(), tok.end());
      buf.push_back('\0');
      KVOSkipDoubleQuotes(buf.data());
      var = temp();
      if (var) var->SetString(buf.data());
    } else if (ScrIsInteger(tok.c_str())) {
      var = temp();
      if (var) var->SetInt(Saturate<int>(ToInteger(tok)));
    } else if (int real = ScrIsReal(tok.c_str())) {
      var = temp();
      if (var && real == 1) var->SetFloat(static_cast<float>(ToDouble(tok)));
      if (var && real == 2) var->SetDouble(ToDouble(tok));
    } else {
      var = module->FindVariable(tok.c_str(), 0);
      if (!var) {
        ScrRestoreLexState(f, start);
        return 0;
      }
    }
    if (var) vars.push_back(var);
  }
  FinishAtBrace(f, close);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// String utilities.

void ScrTrimString(std::string& s) {
  size_t b = s.find_first_not_of(" \t\n");
  if (b == npos) {
    s.clear();
    return;
  }
  size_t e = s.find_last_not_of(" \t\n\r");
  s = s.substr(b, e == npos || e < b ? 0 : e - b + 1);
}

void ScrTrimString(char* s) {
  if (!s) return;
  std::string t(s);
  ScrTrimString(t);
  std::memcpy(s, t.c_str(), t.size() + 1);  // never longer than the original
}

void ScrShrinkString(std::string& s) {
  std::string out;
  out.reserve(s.size());
  bool quoted = false;
  for (char c : s) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) continue;
    out.push_back(c);
  }
  s = std::move(out);
}

void ScrShrinkString(char* s) {
  if (!s) return;
  std::string t(s);
  ScrShrinkString(t);
  std::memcpy(s, t.c_str(), t.size() + 1);
}

namespace {
// Lower-cases ASCII letters outside double quotes in s[0, n). A byte of 0x81..0xFE leads a GBK
// character and its trail byte (which may be a letter) is kept as it is.
void Normalize(char* s, size_t n) {
  bool quoted = false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < n) {
      ++i;
      continue;
    }
    if (c == '"') quoted = !quoted;
    else if (!quoted && c >= 'A' && c <= 'Z') s[i] = static_cast<char>(c - 'A' + 'a');
  }
}
}  // namespace

void ScrNormalizeString(std::string& s) { Normalize(s.data(), s.size()); }
void ScrNormalizeString(char* s) {
  if (s) Normalize(s, std::strlen(s));
}

int ScrWordAlike(const char* s, const char* word) {
  if (!s || !word) return 0;
  std::string t(s);
  ScrShrinkString(t);
  return StartsWith(t, word) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Statement expansion and name qualification.

std::string ScrExpandString(const char* src) {
  ScrLexState& st = ScrLex();
  st.expansion.clear();
  std::string text = src ? src : "";
  // Statement by statement: each ';' outside quotes and parentheses ends one.
  std::string_view rest(text);
  std::vector<std::string> pieces;
  for (;;) {
    size_t semi = FindTopLevel(rest, ';');
    ScrRewriteStatement(std::string(rest.substr(0, semi)), pieces);
    if (semi == npos) break;
    rest = rest.substr(semi + 1);
  }
  for (std::string& p : pieces) st.expansion.push_back(std::move(p));
  std::string out;
  while (!st.expansion.empty()) {
    std::string piece = std::move(st.expansion.front());
    st.expansion.pop_front();
    if (CountChar(piece, '"') == 1) break;
    out += piece;
    out += ';';
  }
  st.expansion.clear();
  return out;
}

int ScrExpandString(const char* src, char*& out) {
  std::string result = ScrExpandString(src);
  size_t room = (src ? std::strlen(src) : 0) + SCR_TOKEN_BUFFER;
  if (!out) {
    room = std::max(room, result.size() + 1);
    if (room > static_cast<size_t>(INT_MAX)) room = INT_MAX;
    out = KVOAllocString(static_cast<int>(room));
    if (!out) return 1;
  }
  size_t n = std::min(result.size(), room - 1);
  std::memcpy(out, result.data(), n);
  out[n] = '\0';
  return 1;
}

void ScrQualifyVariableNames(std::string& text, CScriptReader* reader) {
  if (ScrCallContextDepth() == 0) return;
  if (!reader) reader = ScrGetCurrentReader();
  CSgModule* module = reader ? reader->CurrentModule() : nullptr;
  if (!module) return;
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  std::string out;
  size_t from = 0;
  for (size_t at; (at = text.find("var[", from)) != npos;) {
    size_t x = at + 4;
    size_t e = text.find_first_of("]%", x);
    if (e == npos) e = text.size();
    out.append(text, from, x - from);
    std::string name = text.substr(x, e - x);
    std::string qualified = name + suffix;
    out += module->FindVariableLocal(qualified.c_str()) ? qualified : name;
    from = e;
  }
  out.append(text, from, npos);
  text = std::move(out);
}

// ---------------------------------------------------------------------------------------------
// Literal tests.

int ScrIsQuotedString(const char* s) {
  if (!s) return 0;
  size_t n = std::strlen(s);
  if (n < 2 || s[0] != '"' || s[n - 1] != '"') return 0;
  const char* inner = std::strchr(s + 1, '"');
  return (inner == s + n - 1 || inner[1] == '"') ? 1 : 0;
}

int ScrIsInteger(const char* s) {
  if (!s) return 0;
  if (!*s) return 1;
  if (!IsDigit(s[0]) && s[0] != '+' && s[0] != '-') return 0;
  for (const char* p = s + 1; *p; ++p)
    if (!IsDigit(*p)) return 0;
  return 1;
}

int ScrIsReal(const char* s) {
  if (!s || !*s) return 0;
  if (!IsDigit(s[0]) && s[0] != '+' && s[0] != '-') return 0;
  int dots = 0;
  for (const char* p = s + 1; *p; ++p) {
    if (*p == '.') ++dots;
    else if (!IsDigit(*p)) return 0;
  }
  if (dots != 1) return 0;
  size_t after = std::strlen(std::strrchr(s, '.') + 1);
  return after < 6 ? 1 : 2;
}

int ScrIsConstant(const char* s) {
  if (!s) return 0;
  if (!std::strcmp(s, "true") || !std::strcmp(s, "false") || !*s) return 1;
  if (std::strlen(s) >= 3 && s[0] == '0' && s[1] == 'X') return 1;
  if (!IsDigit(s[0]) && s[0] != '+' && s[0] != '-') return 0;
  int dots = 0;
  for (const char* p = s + 1; *p; ++p) {
    if (*p == '.') ++dots;
    else if (!IsDigit(*p)) return 0;
  }
  return dots <= 1 ? 1 : 0;
}

const char* ScrFirstOf(const char* s, const char* set) {
  if (!s || !set) return nullptr;
  return std::strpbrk(s, set);
}
