// Bodies, wrenches and nuts.
//
// Block formats (braces around a value are optional, as everywhere; a value list runs up to its
// closing brace, its numbers apart by commas or blanks):
//
//   body {
//     name    { N }                       the body's name
//     field   { /scene/path }             the node it moves
//     truss   { /scene/a, /scene/b ... }  the nodes it is built of, paths apart by commas
//     initial { x y z ... }               its starting state, a list of numbers
//   }
//   wrench {
//     name        { N }
//     axis        { x y z }               the turning axis, three numbers
//     point       { x y z }               a point of the axis, three numbers
//     field       { /scene/path }         the tool's node
//     modeltype   { T }                   the tool's model kind, one word
//     maxdistance { d }                   how near a nut must be for the tool to take it
//     subforward  { d }                   offset from the nut along the axis
//     subleft     { d }                   offset from the nut across the axis
//   }
//   nut {
//     name      { N }
//     axis      { x y z }
//     force     { f1 f2 ... }             the torques it takes to turn, a list of numbers
//     field     { /scene/path }
//     modeltype { T }
//     anglevar  { V }                     the variable its angle is written to
//     dial      { a1 a2 ... }             the angles it stops at, a list of numbers
//   }
//
// A node that does not exist yet is warned about and opened, so that it exists when the scene
// runs (as controls do). A variable that does not exist is reported and the nut keeps none. An
// axis or point of other than three numbers, a distance of other than one, and a list holding a
// word that is no number are reported and not taken. A word the block does not take is reported
// as an invalid keyword and passed over with its block. Every block makes a new object, filed
// with the current module (bodies with the user objects) with what was read, also when the
// block ended badly.
#include "objects/ScrMechanism.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "declarations/ScrVariable.h"
#include "elements/ScrCtrlpt.h"
#include "lexer/ScrKeywordTable.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Mechanism.h"
#include "sg/Module.h"

struct ScrMechanismSubs {
  static const ScrSubKeywords<CScrMechanism>& Table() {
    static const ScrSubKeywords<CScrMechanism> kSubs = {
        {"name", &CScrMechanism::ReadName},
        {"field", &CScrMechanism::ReadField},
        {"truss", &CScrMechanism::ReadTruss},
        {"initial", &CScrMechanism::ReadInitial},
        {"axis", &CScrMechanism::ReadAxis},
        {"point", &CScrMechanism::ReadPoint},
        {"modeltype", &CScrMechanism::ReadModelType},
        {"maxdistance", &CScrMechanism::ReadMaxDistance},
        {"subforward", &CScrMechanism::ReadSubForward},
        {"subleft", &CScrMechanism::ReadSubLeft},
        {"force", &CScrMechanism::ReadForce},
        {"anglevar", &CScrMechanism::ReadAngleVar},
        {"dial", &CScrMechanism::ReadDial},
    };
    return kSubs;
  }
};

CScrMechanism::CScrMechanism(CScriptReader* reader, const char* keyword, std::unique_ptr<CSgMechanism> object)
    : CScrObject(reader), m_keyword(keyword), m_object(std::move(object)) {}

CScrMechanism::~CScrMechanism() = default;

CKvoObject* CScrMechanism::TakeObject() { return m_object.release(); }

int CScrMechanism::Read(CScrStream* f) {
  if (!m_object) return 0;  // taken already: a reader reads one block
  return ReadBlock(f);
}

// A word the handler table has, that the keyword table lets stand in this block, and whose
// property the object has; the cast in each handler checks the last.
int CScrMechanism::ReadSubKeyword(CScrStream* f, const char* kw) {
  if (!ScrKeywordAllows(m_keyword, kw)) return SCR_SUB_UNKNOWN;
  return ScrMechanismSubs::Table().Dispatch(this, f, kw);
}

int CScrMechanism::UnknownSubKeyword(CScrStream* f, const char* kw) {
  ReportInvalidKeyword(f, kw);
  SkipBlock(f);
  return SCR_SUB_OK;
}

// --- values ---

namespace {

// One number as scripts write them: a decimal number, or a quotient or product of two (1/4,
// 2*3). False for anything else.
bool ParseNumber(const std::string& text, float& out) {
  auto plain = [](const std::string& t, double& v) {
    if (t.empty()) return false;
    char* end = nullptr;
    v = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size();
  };
  size_t p = text.find('/');
  if (p == std::string::npos) p = text.find('*');
  double a = 0, b = 0;
  if (p == std::string::npos) {
    if (!plain(text, a)) return false;
    out = (float)a;
    return true;
  }
  if (!plain(text.substr(0, p), a) || !plain(text.substr(p + 1), b)) return false;
  out = text[p] == '/' ? (b == 0 ? 0.0f : (float)(a / b)) : (float)(a * b);
  return true;
}

}  // namespace

// Numbers up to the closing brace, apart by commas or blanks. A word that is no number refuses
// the whole list (reported); numbers past kMaxNumbers are passed over.
std::vector<float> CScrMechanism::ReadNumbers(CScrStream* f, bool* refused) {
  if (refused) *refused = false;
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  std::vector<float> v;
  for (const std::string& w : words) {
    size_t i = 0;
    while (i < w.size()) {
      while (i < w.size() && std::isspace((unsigned char)w[i])) ++i;
      size_t j = i;
      while (j < w.size() && !std::isspace((unsigned char)w[j])) ++j;
      if (j == i) break;
      float x = 0;
      if (!ParseNumber(w.substr(i, j - i), x)) {
        ReportInvalidString(f, w.c_str());
        if (refused) *refused = true;
        return {};
      }
      if (v.size() < (size_t)kMaxNumbers) v.push_back(x);
      i = j;
    }
  }
  return v;
}

// Exactly `n` numbers into out; another count is reported and leaves out as it was.
bool CScrMechanism::ReadExactly(CScrStream* f, float* out, size_t n) {
  bool refused = false;
  const std::vector<float> v = ReadNumbers(f, &refused);
  if (v.size() == n) {
    for (size_t i = 0; i < n; ++i) out[i] = v[i];
    return true;
  }
  if (refused) return false;
  std::string text;
  char buf[64];
  for (float x : v) {
    std::snprintf(buf, sizeof buf, "%g", (double)x);
    text += text.empty() ? buf : std::string(" ") + buf;
  }
  ReportInvalidString(f, text.c_str());
  return false;
}

long long CScrMechanism::ResolveField(CScrStream* f, const std::string& path) {
  SGKEY key = FindFieldByRelativePathName(ScriptReader()->CurrentModule(), path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  return key;
}

// --- sub-keywords ---

// Inside a script function's expansion every call makes its own object.
int CScrMechanism::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  name += suffix;
  m_object->SetName(name.c_str());
  return SCR_SUB_OK;
}

int CScrMechanism::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  m_object->SetField(path, ResolveField(f, path));
  return SCR_SUB_OK;
}

int CScrMechanism::ReadTruss(CScrStream* f, const char*) {
  auto* body = dynamic_cast<CSgBody*>(m_object.get());
  if (!body) return SCR_SUB_UNKNOWN;
  std::vector<std::string> paths;
  ScrReadWordList(f, paths);
  for (std::string& p : paths) {
    ScrTrimString(p);
    if (!p.empty()) body->AddTruss(p, ResolveField(f, p));
  }
  return SCR_SUB_OK;
}

int CScrMechanism::ReadInitial(CScrStream* f, const char*) {
  auto* body = dynamic_cast<CSgBody*>(m_object.get());
  if (!body) return SCR_SUB_UNKNOWN;
  body->SetInitial(ReadNumbers(f));
  return SCR_SUB_OK;
}

int CScrMechanism::ReadAxis(CScrStream* f, const char*) {
  auto* t = dynamic_cast<CSgTurnable*>(m_object.get());
  if (!t) return SCR_SUB_UNKNOWN;
  float v[3];
  if (ReadExactly(f, v, 3)) t->SetAxis(v);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadModelType(CScrStream* f, const char*) {
  auto* t = dynamic_cast<CSgTurnable*>(m_object.get());
  if (!t) return SCR_SUB_UNKNOWN;
  std::string type;
  ReadValueString(f, type);
  t->SetModelType(type);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadPoint(CScrStream* f, const char*) {
  auto* w = dynamic_cast<CSgWrench*>(m_object.get());
  if (!w) return SCR_SUB_UNKNOWN;
  float v[3];
  if (ReadExactly(f, v, 3)) w->SetPoint(v);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadMaxDistance(CScrStream* f, const char*) {
  auto* w = dynamic_cast<CSgWrench*>(m_object.get());
  if (!w) return SCR_SUB_UNKNOWN;
  float v = 0;
  if (ReadExactly(f, &v, 1)) w->SetMaxDistance(v);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadSubForward(CScrStream* f, const char*) {
  auto* w = dynamic_cast<CSgWrench*>(m_object.get());
  if (!w) return SCR_SUB_UNKNOWN;
  float v = 0;
  if (ReadExactly(f, &v, 1)) w->SetSubForward(v);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadSubLeft(CScrStream* f, const char*) {
  auto* w = dynamic_cast<CSgWrench*>(m_object.get());
  if (!w) return SCR_SUB_UNKNOWN;
  float v = 0;
  if (ReadExactly(f, &v, 1)) w->SetSubLeft(v);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadForce(CScrStream* f, const char*) {
  auto* n = dynamic_cast<CSgNut*>(m_object.get());
  if (!n) return SCR_SUB_UNKNOWN;
  n->SetForce(ReadNumbers(f));
  return SCR_SUB_OK;
}

int CScrMechanism::ReadAngleVar(CScrStream* f, const char*) {
  auto* n = dynamic_cast<CSgNut*>(m_object.get());
  if (!n) return SCR_SUB_UNKNOWN;
  std::string name;
  ReadValueString(f, name);
  CSgVariable* var = ScrFindScriptVariable(ScriptReader()->CurrentModule(), name);
  if (!var) Report(ScrTextId::err_variable_not_found, f, {name, ScrGetCurKeyWord()});
  n->SetAngleVariable(var);
  return SCR_SUB_OK;
}

int CScrMechanism::ReadDial(CScrStream* f, const char*) {
  auto* n = dynamic_cast<CSgNut*>(m_object.get());
  if (!n) return SCR_SUB_UNKNOWN;
  n->SetDial(ReadNumbers(f));
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------

CScrBody::CScrBody(CScriptReader* reader)
    : CScrMechanism(reader, "body", std::make_unique<CSgBody>(reader->CurrentModule())) {}

CScrWrench::CScrWrench(CScriptReader* reader)
    : CScrMechanism(reader, "wrench", std::make_unique<CSgWrench>(reader->CurrentModule())) {}

CScrNut::CScrNut(CScriptReader* reader)
    : CScrMechanism(reader, "nut", std::make_unique<CSgNut>(reader->CurrentModule())) {}

// The dispatcher's handler: the object goes to its module collection whatever Read gave, with
// what was read (the collections these go to are not filed by type code).
int CScrScript::ReadMechanism(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  std::unique_ptr<CScrMechanism> r;
  if (token == "body") r = std::make_unique<CScrBody>(reader);
  else if (token == "wrench") r = std::make_unique<CScrWrench>(reader);
  else r = std::make_unique<CScrNut>(reader);
  const int result = ReadNested(*r, f);
  CSgModule* module = reader->CurrentModule();
  if (CKvoObject* obj = r->TakeObject()) {
    if (token == "body") module->AddUserObject(obj);
    else if (token == "wrench") module->AddWrench(obj);
    else module->AddNut(obj);
  }
  return result;
}
