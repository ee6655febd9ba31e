// Curve pieces, composite curves and routes.
#include "objects/ScrCurve.h"

#include <cstdlib>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Curve.h"

bool ScrParseNumber(std::string tok, float& out) {
  ScrTrimString(tok);
  auto plain = [](std::string s, double& v) {
    ScrTrimString(s);
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end != s.c_str() && *end == '\0';
  };
  size_t p = tok.find('/');
  if (p == std::string::npos) p = tok.find('*');
  double a = 0, b = 0;
  if (p == std::string::npos) {
    if (!plain(tok, a)) return false;
    out = (float)a;
    return true;
  }
  if (!plain(tok.substr(0, p), a) || !plain(tok.substr(p + 1), b)) return false;
  out = tok[p] == '/' ? (float)(a / b) : (float)(a * b);
  return true;
}

CScrCurve::CScrCurve(CScriptReader* reader, CSgCurve* object) : CScrObject(reader), m_object(object) {}

CScrCurve::~CScrCurve() = default;

CKvoObject* CScrCurve::TakeObject() { return m_object.release(); }

CSgCurveComplex* CScrCurve::TakeCurve() {
  if (!dynamic_cast<CSgCurveComplex*>(m_object.get())) return nullptr;
  return static_cast<CSgCurveComplex*>(m_object.release());
}

int CScrCurve::Read(CScrStream* f) {
  if (!m_object) m_object = std::make_unique<CSgCurveComplex>();
  m_result = 1;
  const int r = ReadBody(f);
  return r ? m_result : 0;
}

int CScrCurve::ReadBody(CScrStream* f) {
  std::string tok;
  ScrReadKeyword(f, tok);  // the opening brace, or whatever stands in its place
  const int r = ScrReadKeyword(f, tok);
  return ReadBlockFrom(f, tok, r);
}

int CScrCurve::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrCurve> kSubs = {{"name", &CScrCurve::ReadName},
                                                  {"direction", &CScrCurve::ReadDirection},
                                                  {"polyline", &CScrCurve::ReadPiece},
                                                  {"arc", &CScrCurve::ReadPiece}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrCurve::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

std::vector<float> CScrCurve::ReadNumberList(CScrStream* f) {
  const int braced = OpenBrace(f);
  std::vector<std::string> words;
  ScrLexMark mark;
  std::string w;
  // Up to the '}' that ends the list (left for CloseBrace or the enclosing block).
  for (int i = 0; i < kMaxValues; ++i) {
    ScrSaveLexState(f, mark);
    const int ok = ScrReadString(f, w);
    if (!w.empty() && w[0] == '}') {
      ScrRestoreLexState(f, mark);
      break;
    }
    if (!w.empty()) words.push_back(w);
    else --i;  // blanks are not tokens
    if (!ok && ScrInputEnded(f)) break;
  }
  // Tokens past the bound are passed over up to the '}'.
  int count = 0;
  float sink[1];
  ScrReadAllValues(f, sink, count, 0);
  if (braced) CloseBrace(f);
  std::vector<float> v;
  float x = 0;
  for (const std::string& t : words) {
    if (!ScrParseNumber(t, x)) break;
    v.push_back(x);
  }
  return v;
}

int CScrCurve::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  return SCR_SUB_OK;
}

int CScrCurve::ReadPoint(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumberList(f);
  float p[3] = {0, 0, 1};
  for (size_t i = 0; i < 3 && i < v.size(); ++i) p[i] = v[i];
  m_points.insert(m_points.end(), p, p + 3);
  return SCR_SUB_OK;
}

// The direction is the composite's normal and the normal of every piece read after it.
int CScrCurve::ReadDirection(CScrStream* f, const char*) {
  m_direction = ReadNumberList(f);
  m_object->SetNormal(m_direction.data(), (int)m_direction.size());
  return SCR_SUB_OK;
}

int CScrCurve::ReadPiece(CScrStream* f, const char* kw) {
  std::unique_ptr<CScrCurve> piece;
  if (std::string(kw) == "polyline") piece = std::make_unique<CScrPolyline>(ScriptReader(), new CSgCurvePolyline());
  else piece = std::make_unique<CScrArc>(ScriptReader(), new CSgCurveArc());
  piece->Object()->SetNormal(m_direction.data(), (int)m_direction.size());
  m_result = ReadNested(*piece, f);
  if (auto* whole = dynamic_cast<CSgCurveComplex*>(m_object.get()))
    if (CKvoObject* c = piece->TakeObject()) whole->AddCurve(static_cast<CSgCurve*>(c));
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------

int CScrPolyline::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrPolyline> kSubs = {{"name", &CScrPolyline::ReadName},
                                                     {"point", &CScrPolyline::ReadPoint}};
  return kSubs.Dispatch(this, f, kw);
}

void CScrPolyline::Finish() {
  static_cast<CSgCurvePolyline*>(m_object.get())->SetPoints((int)m_points.size() / 3, m_points.data(), -1);
}

int CScrArc::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrArc> kSubs = {{"name", &CScrArc::ReadName},
                                                {"point", &CScrArc::ReadPoint},
                                                {"center", &CScrArc::ReadCenter},
                                                {"type", &CScrArc::ReadType}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrArc::ReadCenter(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumberList(f);
  for (size_t i = 0; i < 3 && i < v.size(); ++i) m_center[i] = v[i];
  return SCR_SUB_OK;
}

// Any text holding "clockwise" sets the flag, "anticlockwise" included: the runtime takes the
// turning sense from the arc's normal.
int CScrArc::ReadType(CScrStream* f, const char*) {
  std::string t;
  ReadValueString(f, t);
  if (t.find("clockwise") != std::string::npos) m_clockwise = 1;
  return SCR_SUB_OK;
}

// An arc needs its start and end point; one given fewer is dropped rather than drawn from
// points the script never named.
void CScrArc::Finish() {
  if (m_points.size() < 6) {
    m_object.reset();
    return;
  }
  static_cast<CSgCurveArc*>(m_object.get())->SetParam(m_center, m_points.data(), m_points.data() + 3, m_clockwise);
}

// ---------------------------------------------------------------------------------------------

CScrRoute::CScrRoute(CScriptReader* reader) : CScrCurve(reader) {}

CScrRoute::~CScrRoute() = default;

CKvoObject* CScrRoute::TakeObject() { return m_route.release(); }

int CScrRoute::Read(CScrStream* f) {
  if (!m_route) m_route = std::make_unique<CSgRoute>(ScriptReader()->CurrentModule());
  return ReadBody(f);
}

int CScrRoute::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrRoute> kSubs = {{"name", &CScrRoute::ReadRouteName},
                                                  {"point", &CScrRoute::ReadPoint}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrRoute::ReadRouteName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_route->SetName(name.c_str());
  return SCR_SUB_OK;
}

void CScrRoute::Finish() {
  for (size_t i = 0; i + 2 < m_points.size(); i += 3) m_route->AddPoint(m_points[i], m_points[i + 1], m_points[i + 2]);
}
