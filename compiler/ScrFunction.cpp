#include "compiler/ScrFunction.h"

#include "declarations/ScrVariable.h"

#include "animation/ScrAction.h"
#include "animation/ScrAnimation.h"
#include "animation/ScrRepeat.h"
#include "animation/ScrTrigger.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"

#include <cstring>
#include <memory>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "lexer/ScrKeywordTable.h"
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

// The index of the ')' that closes the first '(' of `text` (quotes respected), or npos.
size_t HeaderClose(const std::string& text) {
  size_t open = text.find('(');
  if (open == std::string::npos) return std::string::npos;
  bool quoted = false;
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i;
    }
  }
  return std::string::npos;
}

// The whole header text `name(...)`: the token that began it and, when its ')' stands after a
// cut comma or on a later line, the tokens that follow, joined by commas. A brace, or the end of
// the input, before the ')' leaves the header open (false); the brace is not consumed.
bool CollectHeader(CScrStream* f, const std::string& token, std::string& header) {
  header = token;
  std::string tok;
  for (int pieces = 0; HeaderClose(header) == std::string::npos; ++pieces) {
    if (pieces > 4 * SCR_MAX_PARAMS || header.size() > static_cast<size_t>(SCR_TOKEN_MAX)) return false;
    ScrLexMark mark = ScrSaveLexState(f);
    int ok = ScrReadString(f, tok);
    if (!ok && tok.empty() && ScrInputEnded(f)) return false;
    if (tok == "{" || tok == "}") {
      ScrRestoreLexState(f, mark);
      return false;
    }
    if (tok.empty()) continue;  // a line ends inside the header
    header += ',';
    header += tok;
  }
  return true;
}

// The parameter texts between the header's parentheses: split at commas outside quotes and
// brackets, trimmed; empty ones are left out.
std::vector<std::string> HeaderParams(const std::string& header) {
  std::vector<std::string> params;
  size_t open = header.find('('), close = HeaderClose(header);
  std::string inner = header.substr(open + 1, close - open - 1);
  bool quoted = false;
  int depth = 0;
  size_t from = 0;
  for (size_t i = 0; i <= inner.size(); ++i) {
    char c = i < inner.size() ? inner[i] : ',';
    if (c == '"') quoted = !quoted;
    if (quoted && i < inner.size()) continue;
    if (c == '(' || c == '[') ++depth;
    else if ((c == ')' || c == ']') && depth > 0) --depth;
    else if (c == ',' && (depth == 0 || i == inner.size())) {
      std::string p = inner.substr(from, i - from);
      ScrTrimString(p);
      if (!p.empty()) params.push_back(std::move(p));
      from = i + 1;
    }
  }
  return params;
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

int ScrReadHeader(CScrStream* f, SCRFUNCTION& rec, const std::string& token, CScriptReader* reader,
                  ScrHeaderKind kind) {
  size_t paren = token.find('(');
  std::string name = token.substr(0, paren);
  ScrTrimString(name);
  rec.name = name;
  rec.params.clear();
  std::string header;
  if (paren == std::string::npos || name.empty() || !CollectHeader(f, token, header)) {
    if (reader) reader->Report(ScrTextId::err_function_definition, f, {token});
    return 0;
  }
  std::vector<std::string> params = HeaderParams(header);
  for (size_t n = 0; n < params.size() && n < static_cast<size_t>(SCR_MAX_PARAMS); ++n) {
    std::string& p = params[n];
    if (p.size() > static_cast<size_t>(SCR_NAME_MAX)) p.resize(SCR_NAME_MAX);
    bool last = n + 1 == params.size();
    if (ScrIsKeyword(p.c_str()) || (IsBareTypeWord(p) && (kind == ScrHeaderKind::ScriptFunction || last))) {
      if (reader) reader->Report(ScrTextId::err_function_param_keyword, f, {rec.name, p});
      return 0;
    }
    QualifyParameter(p, reader);
    rec.params.push_back(std::move(p));
  }
  return 1;
}

int ScrReadHeaderAndBody(CScrStream* f, SCRFUNCTION& rec, const std::string& token, CScriptReader* reader,
                         ScrHeaderKind kind) {
  if (!ScrReadHeader(f, rec, token, reader, kind)) return 0;
  rec.source = f->SharedSource();
  rec.bodyStart = f->Tell();
  rec.bodyLine = f->LineOfPosition(rec.bodyStart);
  rec.bodyEnd = -1;
  ScrLexMark mark = ScrSaveLexState(f);
  std::string tok;
  ScrReadKeyword(f, tok);
  ScrRestoreLexState(f, mark);
  if (tok != "{") return 2;
  // Skip the body by counting braces; the token reader keeps braces in quotes and comments out.
  ScrSkipBlock(f);
  rec.bodyEnd = f->Tell();
  return 1;
}

int ScrReadFunctionHeader(const char* path, SCRFUNCTION* rec, CSgModule* module) {
  if (!path || !rec || !module) return 0;
  std::unique_ptr<CScrStream> file = ScrOpenScriptFile(path, ScrEncoding::Auto, nullptr);
  if (!file) return 0;
  CScrStream* f = file.get();
  // The temporary reader becomes the lexer's current reader; the caller's is put back after.
  CScriptReader* savedReader = ScrGetCurrentReader();
  CScrStream* savedStream = ScrGetCurrentStream();
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
  ScrSetCurrentReader(savedReader);
  ScrSetCurrentStream(savedStream);
  return result;
}

// ---------------------------------------------------------------------------------------------
// CScrFunction

CScrFunction::CScrFunction(CScriptReader* reader) : CScrObject(reader) {}

CScrFunction::~CScrFunction() = default;

int CScrFunction::Read(CScrStream* f) {
  const int braced = OpenBrace(f);
  std::string tok;
  std::string name;
  for (;;) {
    int r = ScrReadKeyword(f, tok);
    if (!r && tok.empty() && ScrInputEnded(f)) {
      // A braced body is a window that ends after its '}'; one without braces runs to the end of
      // the text, where the enclosing block's '}' should have ended it.
      if (braced) return 1;
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
    if (tok == "}") {
      Finish();
      return 1;
    }
    if (ScrIsModuleToken(tok, &name)) {
      if (!ScrReadModuleBlock(ScriptReader(), f, name)) return 0;
    } else if (tok == "variable") {
      // A variable of the body: named with the expansion's instance suffix, filed by the caller.
      CScrVariable v(ScriptReader());
      if (!ReadNested(v, f)) return 0;
      if (CKvoObject* o = v.TakeObject()) m_objects.push_back(o);
    } else if (tok == "animation") {
      if (!ReadAnimation(f)) return 0;
    } else if (tok == "act") {
      if (!ReadAct(f, tok)) return 0;
    } else if (tok == "repeat") {
      if (!ReadRepeat(f)) return 0;
    } else if (tok == "trigger") {
      if (!ReadTrigger(f)) return 0;
    } else if (r && ScrIsCallShaped(tok.c_str()) && !ScrStartsWithFunctionType(tok)) {
      if (!ScrDefineOrCallFunction(ScriptReader(), f, ScrCallToken(tok.c_str()), &m_filed, false, m_records))
        return 0;
    } else if (r) {
      // Any other word is reported and its block skipped, never dropped silently.
      ReportInvalidKeyword(f, tok.c_str());
      SkipBlock(f);
    } else {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
  }
}

// animation { ... }: a new animation is handed to the caller (which files it and, inside an
// animation, plays it as a sub-animation); one re-opened by name is already where it belongs.
int CScrFunction::ReadAnimation(CScrStream* f) {
  CScrAnimation a(ScriptReader());
  const int ok = a.ReadInner(f);
  if (CKvoObject* o = a.TakeObject()) m_objects.push_back(o);
  return ok;
}

// act { ... }: its records go to the action that called the function.
int CScrFunction::ReadAct(CScrStream* f, const std::string& tok) {
  if (!m_records) {
    ReportInvalidKeyword(f, tok.c_str());
    SkipBlock(f);
    return 1;
  }
  CScrAct act(ScriptReader());
  const int ok = ReadNested(act, f);
  m_records->splice(m_records->end(), act.Records());
  return ok;
}

// repeat { ... }: an animation for the caller, or, unrolled acts, records for the action.
int CScrFunction::ReadRepeat(CScrStream* f) {
  CScrRepeat rep(ScriptReader());
  const int ok = ReadNested(rep, f);
  if (CAnimation* a = rep.TakeAnimation()) m_objects.push_back(a);
  if (rep.IsActionMode() && m_records && rep.ActionEvent())
    for (const ActPrm& rec : rep.ActionEvent()->Actions()) m_records->push_back(new ActPrm(rec));
  return ok;
}

// trigger { ... }: filed by the caller with the module.
int CScrFunction::ReadTrigger(CScrStream* f) {
  CScrTrigger t(ScriptReader(), 0);
  const int ok = ReadNested(t, f);
  if (CKvoObject* o = t.TakeObject()) m_objects.push_back(o);
  return ok;
}
