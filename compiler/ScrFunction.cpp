#include "compiler/ScrFunction.h"

#include <cstring>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "reader/ScrKeywordTable.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Variable.h"

namespace {

// Type words that make a parameter text a bare type.
bool IsBareTypeWord(const std::string& s) {
  static const char* const kWords[] = {"int", "float", "long", "dword", "bool", "handle"};
  for (const char* w : kWords)
    if (s == w) return true;
  return false;
}

// Moves the stream back to just after the '(' that opens the header whose ')' it stands after.
// The search goes back byte by byte, counting parentheses, and never past the start of the line.
bool SeekAfterOpenParen(FILE* f) {
  long pos = std::ftell(f);
  int depth = 0;
  for (long p = pos - 1; p >= 0; --p) {
    std::fseek(f, p, SEEK_SET);
    int c = std::fgetc(f);
    if (c == '\n' || c == '\r') break;
    if (c == ')') {
      ++depth;
    } else if (c == '(') {
      if (depth <= 1) {
        std::fseek(f, p + 1, SEEK_SET);
        return true;
      }
      --depth;
    }
  }
  std::fseek(f, pos, SEEK_SET);
  return false;
}

// While a body is expanded, a parameter that names a variable declared in this expansion (its
// name carries the instance suffix) is replaced by that name; an index part in [ ] is kept.
void QualifyParameter(std::string& param, CScriptReader* reader) {
  if (ScrCallContextDepth() == 0 || !reader) return;
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  size_t bracket = param.find('[');
  std::string base = param.substr(0, bracket);
  std::string rest = bracket == std::string::npos ? std::string() : param.substr(bracket);
  std::string qualified = base + suffix;
  if (reader->CurrentModule()->FindVariableLocal(qualified.c_str())) param = qualified + rest;
}

}  // namespace

bool ScrStartsWithFunctionType(const std::string& token) {
  static const char* const kTypes[] = {"void ", "int ", "long ", "dword ", "float ",
                                       "string ", "bool ", "byte ", "BOOL ", "virtual "};
  for (const char* t : kTypes)
    if (token.compare(0, std::strlen(t), t) == 0) return true;
  return false;
}

int ScrReadHeader(FILE* f, SCRFUNCTION& rec, const std::string& token, CScriptReader* reader,
                  ScrHeaderKind kind) {
  size_t paren = token.find('(');
  std::string name = token.substr(0, paren);
  ScrTrimString(name);
  rec.name = name;
  rec.params.clear();
  if (paren == std::string::npos || name.empty() || !SeekAfterOpenParen(f)) {
    if (reader) reader->Report(ScrTextId::err_function_definition, f, {token});
    return 0;
  }
  // Parameters are tokens (they end at commas) up to the one that holds ')'.
  std::string tok;
  for (int n = 0; n < SCR_MAX_PARAMS; ++n) {
    int ok = ScrReadString(f, tok);
    size_t close = tok.find(')');
    bool last = close != std::string::npos;
    if (last) tok.resize(close);
    ScrTrimString(tok);
    if (!tok.empty()) {
      if (tok.size() > static_cast<size_t>(SCR_NAME_MAX)) tok.resize(SCR_NAME_MAX);
      bool bad = ScrIsKeyword(tok.c_str()) ||
                 (IsBareTypeWord(tok) && (kind == ScrHeaderKind::ScriptFunction || last));
      if (bad) {
        if (reader) reader->Report(ScrTextId::err_function_param_keyword, f, {rec.name, tok});
        // The rest of the header goes with it, so that nothing of it is read as a keyword.
        for (int k = n + 1; !last && k < SCR_MAX_PARAMS; ++k) {
          int more = ScrReadString(f, tok);
          last = tok.find(')') != std::string::npos;
          if (!more && tok.empty() && ScrInputEnded(f)) break;
        }
        return 0;
      }
      QualifyParameter(tok, reader);
      rec.params.push_back(tok);
    }
    if (last || (!ok && tok.empty() && ScrInputEnded(f))) break;
  }
  return 1;
}

int ScrReadHeaderAndBody(FILE* f, SCRFUNCTION& rec, const std::string& token, CScriptReader* reader,
                         ScrHeaderKind kind) {
  if (!ScrReadHeader(f, rec, token, reader, kind)) return 0;
  rec.bodyStart = std::ftell(f);
  rec.bodyLine = reader ? reader->LineOf(f) : ScrGetLineId();
  rec.bodyEnd = -1;
  std::string tok;
  ScrReadKeyword(f, tok);
  if (tok != "{") {
    std::fseek(f, rec.bodyStart, SEEK_SET);
    return 2;
  }
  // Skip the body by counting braces; the token reader keeps braces in quotes and comments out.
  long depth = 1;
  while (depth > 0) {
    int ok = ScrReadString(f, tok);
    if (!ok && tok.empty() && ScrInputEnded(f)) break;
    if (!tok.empty() && tok[0] == '{') ++depth;
    else if (!tok.empty() && tok[0] == '}') --depth;
  }
  rec.bodyEnd = std::ftell(f);
  return 1;
}

int ScrReadFunctionHeader(const char* path, SCRFUNCTION* rec, CSgModule* module) {
  if (!path || !rec || !module) return 0;
  FILE* f = ScrOpenScriptFile(path, ScrEncoding::Auto, nullptr);
  if (!f) return 0;
  // The temporary reader becomes the lexer's current reader; the caller's is put back after.
  CScriptReader* savedReader = ScrGetCurrentReader();
  FILE* savedStream = ScrGetCurrentStream();
  int result = 0;
  {
    CScriptReader reader(module);
    reader.SetFileName(path, f);
    std::string tok;
    while (!ScrInputEnded(f)) {
      int r = ScrReadKeyword(f, tok);
      if (!r && tok.empty() && ScrInputEnded(f)) break;
      if (ScrStartsWithFunctionType(tok) && tok.find('(') != std::string::npos && tok[0] != '(') {
        size_t semi = tok.find(';');
        if (semi != std::string::npos) tok.resize(semi);
        result = ScrReadHeader(f, *rec, tok, &reader, ScrHeaderKind::CompiledFunction);
        break;
      }
    }
  }
  std::fclose(f);
  ScrSetCurrentReader(savedReader);
  ScrSetCurrentStream(savedStream);
  return result;
}

// ---------------------------------------------------------------------------------------------
// CScrFunction

CScrFunction::CScrFunction(CScriptReader* reader, long bodyStart, long bodyEnd)
    : CScrObject(reader), m_bodyStart(bodyStart), m_bodyEnd(bodyEnd) {}

CScrFunction::~CScrFunction() = default;

int CScrFunction::Read(FILE* f) {
  if (m_bodyStart >= 0) std::fseek(f, m_bodyStart, SEEK_SET);
  OpenBrace(f);
  std::string tok;
  std::string name;
  for (;;) {
    if (m_bodyEnd >= 0 && std::ftell(f) >= m_bodyEnd) return 1;
    int r = ScrReadKeyword(f, tok);
    if (!r && tok.empty() && ScrInputEnded(f)) {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
    if (tok == "}") {
      Finish();
      return 1;
    }
    if (ScrIsModuleToken(tok, &name)) {
      if (!ScrReadModuleBlock(ScriptReader(), f, name)) return 0;
    } else if (r && ScrIsCallShaped(tok.c_str()) && !ScrStartsWithFunctionType(tok)) {
      if (!ScrDefineOrCallFunction(ScriptReader(), f, tok, &m_objects, false)) return 0;
    } else if (r) {
      // Animations, variables and actions in a body are read by their own readers; any other
      // word is reported and its block skipped, never dropped silently.
      ReportInvalidKeyword(f, tok.c_str());
      SkipBlock(f);
    } else {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
  }
}
