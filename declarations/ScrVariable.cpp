#include "declarations/ScrVariable.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "compiler/ScrCompile.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "lexer/ScrKeywordTable.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Variable.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// The words of the `variable` block's `type` and of the declaration form. The block knows the
// array words and `random`; the declaration form knows `byte` and `file` (a file handle, kept as
// a long like `handle`). Both know the scalar words.
struct TypeWord {
  const char* word;
  int code;
  bool block, declaration;
};
constexpr TypeWord kTypeWords[] = {
    {"string", SGVT_STRING, true, true},       {"int", SGVT_INT, true, true},
    {"bool", SGVT_BOOL, true, true},           {"float", SGVT_FLOAT, true, true},
    {"random", SGVT_RANDOM, true, false},      {"long", SGVT_LONG, true, true},
    {"dword", SGVT_LONG, true, true},          {"handle", SGVT_LONG, true, true},
    {"byte", SGVT_BYTE, false, true},          {"file", SGVT_LONG, false, true},
    {"double", SGVT_DOUBLE, true, true},       {"stringarray", SGVT_STRINGARRAY, true, false},
    {"intarray", SGVT_INTARRAY, true, false},  {"floatarray", SGVT_FLOATARRAY, true, false},
    {"longarray", SGVT_LONGARRAY, true, false}, {"doublearray", SGVT_DOUBLEARRAY, true, false},
};

// The leaf type of an array of `type`: the first element bit present, in the order the
// runtime's kinds rank them.
int LeafType(int type) {
  static const int kOrder[] = {SGVT_INT, SGVT_TYPE_16, SGVT_BYTE, SGVT_LONG, SGVT_FLOAT, SGVT_DOUBLE,
                               SGVT_STRING, SGVT_TYPE_100};
  for (int bit : kOrder)
    if (type & bit) return bit;
  return SGVT_NONE;
}

// Stores a literal initial value in a scalar of the declared type. Returns 0 when `text` is not
// a literal (the caller then evaluates it as an expression).
int SetLiteral(CSgVariable* v, const std::string& text) {
  if (ScrIsQuotedString(text.c_str())) {
    std::string s = text.substr(1, text.size() - 2);
    v->SetString(ScrUnescapeLiteral(s).c_str());
    return 1;
  }
  if (text == "true" || text == "TRUE") {
    v->SetInt(1);
    return 1;
  }
  if (text == "false" || text == "FALSE") {
    v->SetInt(0);
    return 1;
  }
  if (text.empty() || !ScrIsConstant(text.c_str())) return 0;
  if (text.find('.') != std::string::npos) v->SetDouble(std::strtod(text.c_str(), nullptr));
  else v->SetLong(std::strtoll(text.c_str(), nullptr, 0));
  return 1;
}

// The leaves of a (nested) array in row-major order.
void CollectLeaves(CSgVariable* v, std::vector<CSgVariable*>& out) {
  if (!v->IsArray()) {
    out.push_back(v);
    return;
  }
  // Arrays nest no deeper than their declared dimensions, which a declaration bounds.
  for (int i = 0; i < v->GetSize(); ++i) CollectLeaves(v->Element(i), out);
}

}  // namespace

int ScrVariableTypeCode(const std::string& word, bool bDeclaration) {
  for (const TypeWord& t : kTypeWords)
    if (word == t.word && (bDeclaration ? t.declaration : t.block)) return t.code;
  return -1;
}

bool ScrSplitDeclaredName(const std::string& text, std::string& name, std::vector<std::string>& dims) {
  size_t open = text.find('[');
  name = text.substr(0, open);
  ScrTrimString(name);
  dims.clear();
  while (open != std::string::npos) {
    size_t close = text.find(']', open);
    if (close == std::string::npos) return false;
    std::string size = text.substr(open + 1, close - open - 1);
    ScrTrimString(size);
    dims.push_back(std::move(size));
    open = text.find('[', close);
  }
  return true;
}

namespace {

bool ArrayFits(const int* dims, int ndims) {
  if (ndims > SCR_MAX_ARRAY_DIMENSIONS) return false;
  long long elements = 1;
  for (int i = 0; i < ndims; ++i) {
    elements *= dims[i] < 0 ? 0 : dims[i];
    if (elements > SCR_MAX_ARRAY_ELEMENTS) return false;
  }
  return true;
}

}  // namespace

CSgVariable* ScrCreateMultiArray(const char* name, const int* dims, int ndims, int type, CSgModule* module) {
  static const int kNone[1] = {0};
  if (!ArrayFits(dims, ndims)) {  // callers check first; this keeps the host's calls bounded too
    dims = kNone;
    ndims = 1;
  }
  auto v = std::make_unique<CSgVariable>();
  if (name) v->SetName(name);
  v->SetModule(module);
  if (ndims <= 0) {
    int leaf = LeafType(type);
    if (leaf) v->SetVarType(leaf, 0);
    return v.release();
  }
  const int n = dims[0] < 0 ? 0 : dims[0];
  v->SetVarType(type | SGVT_ARRAY, n);
  for (int i = 0; i < n; ++i)
    v->Set(i, ScrCreateMultiArray(std::to_string(i).c_str(), dims + 1, ndims - 1, type, module));
  return v.release();
}

// ---------------------------------------------------------------------------------------------
// variable { ... }

struct ScrVariableSubs {
  static const ScrSubKeywords<CScrVariable>& Table() {
    static const ScrSubKeywords<CScrVariable> subs = {
        {"name", &CScrVariable::ReadName},
        {"type", &CScrVariable::ReadType},
        {"size", &CScrVariable::ReadSize},
        {"values", &CScrVariable::ReadValues},
    };
    return subs;
  }
};

CScrVariable::CScrVariable(CScriptReader* reader) : CScrObject(reader) {}

CScrVariable::~CScrVariable() {
  if (m_owned) delete m_var;
}

CKvoObject* CScrVariable::TakeObject() {
  if (!m_owned) return nullptr;
  m_owned = false;
  return m_var;
}

// The variable the sub-keywords work on: a nameless one until `name` comes.
CSgVariable* CScrVariable::Var() {
  if (!m_var) {
    m_var = new CSgVariable();
    m_owned = true;
  }
  return m_var;
}

int CScrVariable::ReadSubKeyword(CScrStream* f, const char* keyword) {
  return ScrVariableSubs::Table().Dispatch(this, f, keyword);
}

int CScrVariable::Read(CScrStream* f) {
  // A token that is not a recognised word ends the block silently with the result so far.
  int result = ReadBlock(f, nullptr, true);
  Var();
  if (m_ndims > 0) {
    if (!(m_var->VarType() & SGVT_ARRAY)) {
      ScriptReader()->ReportAtLine(ScrTextId::err_array_size_on_scalar, ScrGetLineId(), {m_var->Name()});
      result = 0;
    } else if (!ScriptReader()->ChargeArray(m_var->Name(), m_dims, m_ndims, f)) {
      result = 0;  // the variable stays as it was
    } else {
      // The array is built afresh in the shape the sizes give; a variable that already existed
      // is taken out of its module and replaced.
      std::string name = m_var->Name();
      CSgModule* module = ScriptReader()->CurrentModule();
      if (!m_owned) {
        CSgModule* home = m_var->Module() ? m_var->Module() : module;
        if (CSgVariable* taken = home->RemoveVariable(m_var)) delete taken;
      } else {
        delete m_var;
      }
      m_var = ScrCreateMultiArray(name.c_str(), m_dims, m_ndims, m_type, module);
      m_owned = true;
    }
  }
  return result;
}

int CScrVariable::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  name += suffix;
  if (CSgVariable* existing = ScriptReader()->CurrentModule()->FindVariable(name.c_str(), 0)) {
    if (m_owned) delete m_var;
    m_var = existing;
    m_owned = false;
  } else {
    Var()->SetName(name.c_str());
  }
  return SCR_SUB_OK;
}

int CScrVariable::ReadType(CScrStream* f, const char*) {
  std::string word;
  ReadValueString(f, word);
  ScrNormalizeString(word);
  ScrShrinkString(word);
  int code = ScrVariableTypeCode(word, false);
  if (code < 0) {
    SgSetErrorMessage(ScrText(ScrTextId::msg_variable_type_error));
    return SCR_SUB_OK;
  }
  m_type = code;
  Var()->SetVarType(code, 0);
  return SCR_SUB_OK;
}

// size { d0, d1, ... }: without braces one size is read.
int CScrVariable::ReadSize(CScrStream* f, const char*) {
  if (OpenBrace(f)) {
    int count = 0;
    // A quoted token ends the list; the sizes before it stay.
    if (!ScrReadAllValues(f, m_dims, count, 255)) {
      std::string tok;
      while (ScrReadString(f, tok) && tok != "}") {
        if (ScrIsQuotedString(tok.c_str()) || m_ndims >= 255) break;
        m_dims[m_ndims++] = std::atoi(tok.c_str());
      }
      if (tok != "}") CloseBrace(f);
      return SCR_SUB_OK;
    }
    m_ndims = count;
    CloseBrace(f);
  } else {
    m_ndims = ScrReadValues(f, m_dims, 1) ? 1 : 0;
  }
  return SCR_SUB_OK;
}

int CScrVariable::ReadValues(CScrStream* f, const char*) {
  CSgVariable* v = Var();
  switch (m_type) {
    case SGVT_INT:
    case SGVT_BOOL: {
      int x = 0;
      ReadValueNumbers(f, &x, 1);
      v->Set(x);
      break;
    }
    case SGVT_LONG: {
      long x = 0;
      ReadValueNumbers(f, &x, 1);
      v->Set(static_cast<long long>(x));
      break;
    }
    case SGVT_FLOAT: {
      float x = 0;
      ReadValueNumbers(f, &x, 1);
      v->Set(x);
      break;
    }
    case SGVT_DOUBLE: {
      double x = 0;
      ReadValueNumbers(f, &x, 1);
      v->Set(x);
      break;
    }
    case SGVT_RANDOM: {
      int r[2] = {0, 0};
      ReadValueNumbers(f, r, 2);
      v->SetRandRange(r[0], r[1]);
      break;
    }
    case SGVT_STRING: {
      std::string s;
      ReadValueString(f, s);
      if (ScrIsQuotedString(s.c_str())) s = s.substr(1, s.size() - 2);
      v->SetString(s.c_str());
      break;
    }
    default:  // other types take no value here: the values' block is passed over
      SkipBlock(f);
      break;
  }
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// Declarations at the top level of a script block

namespace {

const char* const kDeclarationWords[] = {"float ", "int ", "long ", "bool ", "dword ", "handle ",
                                         "string ", "byte ", "file ", "double "};

// The parts of one declaration: [interface [list]] type name[dims] [= value].
struct Declaration {
  bool iface = false;
  int direction = SG_INTERFACE_NONE;
  std::string description;
  std::string type, name, init;
  bool hasInit = false;
  std::vector<std::string> dims;  // size texts, outermost first
};

// Splits `text` into a declaration; 0 after a reported error (missing ']').
int ParseDeclaration(CScriptReader* reader, CScrStream* f, std::string text, Declaration& d) {
  ScrTrimString(text);
  if (StartsWith(text, "interface") && (text.size() == 9 || text[9] == ' ' || text[9] == '[')) {
    d.iface = true;
    text.erase(0, 9);
    ScrTrimString(text);
    if (!text.empty() && text[0] == '[') {
      size_t close = text.find(']');
      if (close == std::string::npos) {
        reader->Report(ScrTextId::err_missing_bracket, f, {ScrGetCurKeyWord()});
        return 0;
      }
      std::string list = text.substr(1, close - 1);
      text.erase(0, close + 1);
      ScrTrimString(text);
      size_t start = 0;
      while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        ScrTrimString(item);
        if (item == "in") d.direction = SG_INTERFACE_IN;
        else if (item == "out") d.direction = SG_INTERFACE_OUT;
        else if (ScrIsQuotedString(item.c_str())) d.description = item.substr(1, item.size() - 2);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    }
  }
  size_t blank = text.find(' ');
  if (blank == std::string::npos) return 0;
  d.type = text.substr(0, blank);
  std::string rest = text.substr(blank + 1);
  size_t eq = rest.find('=');
  if (eq != std::string::npos) {
    d.hasInit = true;
    d.init = rest.substr(eq + 1);
    ScrTrimString(d.init);
    rest.resize(eq);
  }
  ScrTrimString(rest);
  if (!ScrSplitDeclaredName(rest, d.name, d.dims)) {
    reader->Report(ScrTextId::err_missing_bracket, f, {ScrGetCurKeyWord()});
    return 0;
  }
  return !d.name.empty();
}

// The values of an array initialiser `{ v, v, ... }` whose '{' is next in the stream.
std::vector<std::string> ReadInitialiserValues(CScrStream* f) {
  std::vector<std::string> values;
  if (!ScrTakeBrace(f, '{')) return values;
  std::string tok;
  while (ScrReadString(f, tok) || !tok.empty()) {
    ScrTrimString(tok);
    if (tok == "}") break;
    if (!tok.empty()) values.push_back(tok);
  }
  return values;
}

}  // namespace

bool ScrIsTopLevelDeclaration(const std::string& token, CSgModule* module) {
  for (const char* w : kDeclarationWords)
    if (StartsWith(token, w)) return true;
  if (StartsWith(token, "interface ") || StartsWith(token, "interface[")) return true;
  // Any other "Type name" declares an object when its type names a class the module knows. A word
  // that names none stays what the dispatcher calls any unknown word with a blank: an invalid
  // keyword, reported and skipped (a misspelt keyword must not turn into a declaration).
  size_t blank = token.find(' ');
  if (!module || blank == std::string::npos || !ScrIsDeclaration(token.c_str())) return false;
  const std::string type = token.substr(0, blank);
  return !ScrIsKeyword(type.c_str()) && module->FindClass(type.c_str()) != nullptr;
}

int ScrReadDeclaration(CScriptReader* reader, CScrStream* f, const std::string& token) {
  CSgModule* module = reader->CurrentModule();
  Declaration d;
  if (!ParseDeclaration(reader, f, token, d)) {
    if (d.hasInit && d.init.empty()) ReadInitialiserValues(f);
    return 1;
  }
  // An array initialiser follows the token: read it now, so that a dropped declaration takes it.
  std::vector<std::string> list;
  const bool braced = d.hasInit && d.init.empty();
  if (braced) list = ReadInitialiserValues(f);

  int code = ScrVariableTypeCode(d.type, true);
  CKvoObject* cls = nullptr;
  if (code < 0) {
    cls = module->FindClass(d.type.c_str());
    if (!cls) {
      reader->Report(ScrTextId::err_class_not_found, f, {d.type});
      return 1;
    }
  }
  if (d.iface && code == SGVT_STRING) {
    reader->Report(ScrTextId::err_interface_string, f, {ScrGetCurKeyWord()});
    return 1;
  }
  if (d.iface && cls) {  // an interface carries a value, not an object
    reader->Report(ScrTextId::err_variable_unsupported, f, {d.name, ScrGetCurKeyWord()});
    return 1;
  }
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  const std::string name = d.name + suffix;
  if (module->FindVariableLocal(name.c_str())) {
    reader->Report(ScrTextId::err_variable_defined_twice, f, {name, ScrGetCurKeyWord()});
    return 1;
  }

  std::unique_ptr<CSgVariable> var;
  if (!d.dims.empty()) {
    std::vector<int> dims;
    for (const std::string& s : d.dims) dims.push_back(ScrEvaluateSize(reader, s, module));
    // An array of unstated size takes as many elements as its initialiser gives.
    if (dims.size() == 1 && dims[0] == 0 && braced) dims[0] = static_cast<int>(list.size());
    if (!reader->ChargeArray(name, dims.data(), static_cast<int>(dims.size()), f)) return 1;
    var.reset(ScrCreateMultiArray(name.c_str(), dims.data(), static_cast<int>(dims.size()),
                                  cls ? SGVT_NONE : code, module));
  } else {
    var = std::make_unique<CSgVariable>();
    var->SetName(name.c_str());
    if (!cls) var->SetVarType(code, 0);
  }
  if (cls) ScrMakeObjectVariable(var.get(), cls->Name());

  if (braced) {
    std::vector<CSgVariable*> leaves;
    CollectLeaves(var.get(), leaves);
    for (size_t i = 0; i < list.size() && i < leaves.size(); ++i) {
      if (code == SGVT_STRING && !ScrIsQuotedString(list[i].c_str())) {
        reader->Report(ScrTextId::err_string_array_quotes, f, {ScrGetCurKeyWord()});
        return 1;
      }
      SetLiteral(leaves[i], list[i]);
    }
  } else if (d.hasInit && !cls) {
    if (!SetLiteral(var.get(), d.init)) {
      // Not a literal: the value of an expression over what the module holds so far.
      if (!ScrEvaluateInto(reader, d.init, module, var.get())) return 1;
    }
  }
  CSgVariable* v = var.release();
  module->AddVariable(v);
  if (d.iface) module->AddInterfaceItem(v, d.direction, d.description.c_str());
  return 1;
}

CSgVariable* ScrFindScriptVariable(CSgModule* module, const std::string& name) {
  if (!module) return nullptr;
  if (CSgVariable* own = ScrFindExpansionVariable(module, name)) return own;
  return module->FindVariable(name.c_str(), 0);
}

CSgVariable* ScrFindExpansionVariable(CSgModule* module, const std::string& name) {
  if (!module || ScrCallContextDepth() == 0) return nullptr;
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  return module->FindVariableLocal((name + suffix).c_str());
}
