// The readers of coordinates, check coordinates, vectors, poles and screws.
#include "declarations/ScrCoord.h"

#include <algorithm>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Geometry.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

CScrGeometry::CScrGeometry(CScriptReader* reader) : CScrObject(reader) {}

CScrGeometry::~CScrGeometry() = default;

// The values and the node are kept as they are read and given to the variable once the block
// has been read, so that they reach it wherever `name` stands in the block. A block without a
// name makes a nameless variable, as a `variable` block does.
int CScrGeometry::Read(CScrStream* f) {
  int result = ReadBlock(f, nullptr, true);
  if (!m_var && !m_named) {
    m_made = Make("");
    m_var = m_made.get();
  }
  if (m_var) {
    if (m_hasValues) ApplyValues(m_var, m_values, m_count);
    if (m_hasKey) m_var->SetFieldKey(m_key);
    if (m_closed) ApplyEnd(m_var);
  }
  return result;
}

// A variable that was found rather than made is in its module already: nothing to hand over.
CKvoObject* CScrGeometry::TakeObject() { return m_made.release(); }

int CScrGeometry::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrGeometry> kSubs = {
      {"name", &CScrGeometry::ReadName},
      {"values", &CScrGeometry::ReadValues},
      {"field", &CScrGeometry::ReadField},
  };
  return kSubs.Dispatch(this, f, kw);
}

void CScrGeometry::ReportHere(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args) {
  if (ReportsStreamLine()) Report(id, f, args);
  else ScriptReader()->ReportAtLine(id, ScrGetLineId(), args);
}

int CScrGeometry::ReadFloats(CScrStream* f, float* out) {
  std::fill(out, out + 8, 0.0f);
  int count = 0;
  const int braced = OpenBrace(f);
  ScrReadAllValues(f, out, count, 8);
  if (braced) CloseBrace(f);
  return count;
}

// name { N }: found among the current module's own variables (any module upwards for a
// reference), else made. A name that belongs to a variable of another kind is refused: filling
// it as this kind would write values it does not have.
int CScrGeometry::ReadName(CScrStream* f, const char*) {
  std::string name;
  if (!ReadValueString(f, name)) return SCR_SUB_FAIL;
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  name += suffix;
  m_named = true;
  m_made.reset();  // a second name in one block replaces the first
  m_var = nullptr;
  CSgModule* module = ScriptReader()->CurrentModule();
  CSgVariable* found = IsReference() ? module->FindVariable(name.c_str(), 0) : module->FindVariableLocal(name.c_str());
  if (found) {
    if (!IsOwnKind(found)) {
      Report(ScrTextId::err_variable_defined_twice, f, {name, ScrGetCurKeyWord()});
      return SCR_SUB_OK;
    }
    m_var = static_cast<CSgFieldVariable*>(found);
    SetCreated(0);
    return SCR_SUB_OK;
  }
  if (IsReference()) {
    Report(ScrTextId::err_variable_not_found, f, {name, ScrGetCurKeyWord()});
    return SCR_SUB_OK;
  }
  m_made = Make(name.c_str());
  m_var = m_made.get();
  SetCreated(1);
  return SCR_SUB_OK;
}

// values { ... }: too few values stop the block and the script.
int CScrGeometry::ReadValues(CScrStream* f, const char*) {
  m_count = ReadFloats(f, m_values);
  m_hasValues = true;
  if (m_count < MinValues()) {
    ReportHere(MinValues() >= 6 ? ScrTextId::err_coord_values_6 : ScrTextId::err_coord_values_3, f,
               {ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  return SCR_SUB_OK;
}

// field { path }: a node that does not exist yet is made (it may be meant to be filled at run
// time), with a warning.
int CScrGeometry::ReadField(CScrStream* f, const char*) {
  std::string path;
  if (!ReadValueString(f, path)) return SCR_SUB_FAIL;
  SGKEY key = FindFieldByRelativePathName(ScriptReader()->CurrentModule(), path.c_str());
  if (key == SG_NO_KEY) {
    ReportHere(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  m_key = key;
  m_hasKey = true;
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// The kinds

std::unique_ptr<CSgFieldVariable> CScrCoord::Make(const char* name) const {
  if (m_mode == 1) return std::make_unique<CSgCheckCoord>(name);
  return std::make_unique<CSgCoord>(name);
}

bool CScrCoord::IsOwnKind(CSgVariable* var) const {
  return m_mode == 1 ? dynamic_cast<CSgCheckCoord*>(var) != nullptr : dynamic_cast<CSgCoord*>(var) != nullptr;
}

void CScrCoord::ApplyValues(CSgFieldVariable* var, const float* values, int) {
  static_cast<CSgCoord*>(var)->SetCoord(values);
  if (auto* check = dynamic_cast<CSgCheckCoord*>(var); check && m_mode == 1) check->SetExtraValue(values[3]);
}

std::unique_ptr<CSgFieldVariable> CScrVector::Make(const char* name) const { return std::make_unique<CSgVector>(name); }

bool CScrVector::IsOwnKind(CSgVariable* var) const { return dynamic_cast<CSgVector*>(var) != nullptr; }

void CScrVector::ApplyValues(CSgFieldVariable* var, const float* values, int) {
  static_cast<CSgVector*>(var)->SetVector(values);
}

std::unique_ptr<CSgFieldVariable> CScrPole::Make(const char* name) const { return std::make_unique<CSgPole>(name); }

bool CScrPole::IsOwnKind(CSgVariable* var) const { return dynamic_cast<CSgPole*>(var) != nullptr; }

void CScrPole::ApplyValues(CSgFieldVariable* var, const float* values, int) {
  static_cast<CSgPole*>(var)->SetPole(values);
}

std::unique_ptr<CSgFieldVariable> CScrScrew::Make(const char* name) const { return std::make_unique<CSgScrew>(name); }

bool CScrScrew::IsOwnKind(CSgVariable* var) const { return dynamic_cast<CSgScrew*>(var) != nullptr; }

// The screw's turning value is kept until the block ends (ApplyEnd).
void CScrScrew::ApplyValues(CSgFieldVariable*, const float*, int) {}

// At the closing brace the screw gets its axis and starts from its value (zeros when absent).
void CScrScrew::ApplyEnd(CSgFieldVariable* var) {
  auto* screw = static_cast<CSgScrew*>(var);
  screw->SetAxisWorld(m_axis);
  screw->Initialize(m_value);
}

int CScrScrew::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrScrew> kSubs = {
      {"values", &CScrScrew::ReadScrewValues},
      {"axis", &CScrScrew::ReadAxis},
  };
  int r = kSubs.Dispatch(this, f, kw);
  return r == SCR_SUB_UNKNOWN ? CScrGeometry::ReadSubKeyword(f, kw) : r;
}

// values { v }: the first value is the turning value; more are reported and passed over.
int CScrScrew::ReadScrewValues(CScrStream* f, const char*) {
  float v[8];
  int count = ReadFloats(f, v);
  m_value = v[0];
  if (count > 1) ReportHere(ScrTextId::warn_screw_values_extra, f, {ScrGetCurKeyWord()});
  return SCR_SUB_OK;
}

int CScrScrew::ReadAxis(CScrStream* f, const char*) {
  if (ReadFloats(f, m_axis) < 3) {
    ReportHere(ScrTextId::err_axis_values_3, f, {ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  return SCR_SUB_OK;
}
