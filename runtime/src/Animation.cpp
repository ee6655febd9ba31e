// CAnimation, the timed events and their controllers, triggers, curves and routes.
#include "sg/Animation.h"

#include <cstring>

#include "sg/Control.h"
#include "sg/Curve.h"
#include "sg/Describe.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Trigger.h"
#include "sg/Variable.h"

namespace {

void RealList(CDescriber& d, const char* key, const float* v, size_t n) {
  d.BeginList(key);
  for (size_t i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

void KeyList(CDescriber& d, const char* key, const std::vector<SGKEY>& keys) {
  d.BeginList(key);
  for (SGKEY k : keys) d.Int(nullptr, k);
  d.EndList();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CAnimation

CAnimation::CAnimation(const char* name) : CKvoObject(SGT_ANIMATION, name) {}
CAnimation::~CAnimation() = default;

void CAnimation::SetSourceFile(const char* path, int frameRate, double start) {
  m_source = path ? path : "";
  m_frameRate = frameRate;
  m_start = start;
}

void CAnimation::AddController(CTEventController* controller) {
  if (controller) m_controllers.emplace_back(controller);
}

CTEventController* CAnimation::Controller(int i) const {
  return i >= 0 && i < ControllerCount() ? m_controllers[(size_t)i].get() : nullptr;
}

void CAnimation::AddSubAnimation(CAnimation* sub) {
  if (sub) m_subs.push_back(sub);
}

void CAnimation::ReferenceFrom(const CAnimation* body) {
  if (body) m_reference = body->GetFullName(Module());
}

std::string CAnimation::GetFullName(const CSgModule* module) const {
  if (!Module() || Module() == module) return Name();
  return FullName();
}

void CAnimation::Describe(CDescriber& d) const {
  if (!m_source.empty()) {
    d.Text("file", m_source.c_str());
    d.Int("frameRate", m_frameRate);
    d.Real("start", m_start);
  }
  if (!m_ids.empty()) d.Text("id", m_ids.c_str());
  d.Text("play", m_playMode == PLAY_PARALLEL ? "parallel" : "serial");
  if (m_reverse) d.Bool("reverse", true);
  if (m_speed != 1.0f) d.Real("speedFactor", m_speed);
  if (m_continuous) d.Bool("continuous", true);
  if (m_group) d.Int("group", m_group);
  if (m_flags) d.Int("flags", m_flags);
  if (m_options) d.Int("options", m_options);
  if (m_from) d.Ref("from", m_from);
  if (m_to) d.Ref("to", m_to);
  if (!m_reference.empty()) d.Text("reference", m_reference.c_str());
  if (!m_replace.empty()) d.Text("replace", m_replace.c_str());
  if (m_adjusted) d.Real("adjustToTime", m_adjustTime);
  if (m_virtualDecl) d.Ref("declaration", m_virtualDecl);
  if (m_conditions) d.Text("conditions", SgConditionsText(m_conditions).c_str());
  if (m_initProgram) d.Ref("program", m_initProgram);
  if (m_tickAction) d.Ref("tickAction", m_tickAction);
  if (!m_subs.empty()) {
    d.BeginList("subAnimations");
    for (const CAnimation* a : m_subs) d.Ref(nullptr, a);
    d.EndList();
  }
  if (!m_controllers.empty()) {
    d.BeginList("controllers");
    for (const auto& c : m_controllers) d.Object(nullptr, c.get());
    d.EndList();
  }
}

// ---------------------------------------------------------------------------------------------
// Events and controllers

CTEvent::CTEvent(CSgModule* module, const char* kind) : CKvoObject(0, nullptr), m_kind(kind) { SetModule(module); }
CTEvent::~CTEvent() = default;

void CTEvent::SetController(CTEventController* controller) {
  if (controller == m_controller) return;
  if (m_controller) m_controller->Release(this);
  m_controller = controller;
  if (controller) controller->Adopt(this);
}

void CTEvent::SetValues(const char* slot, const float* values, int n) {
  std::vector<float> v;
  if (values && n > 0) v.assign(values, values + n);
  for (auto& s : m_values)
    if (s.name == slot) {
      s.value = std::move(v);
      return;
    }
  m_values.push_back({slot, std::move(v)});
}

void CTEvent::SetValues(const char* slot, std::initializer_list<float> values) {
  SetValues(slot, values.begin(), (int)values.size());
}

const std::vector<float>& CTEvent::Values(const char* slot) const {
  static const std::vector<float> none;
  for (const auto& s : m_values)
    if (s.name == slot) return s.value;
  return none;
}

void CTEvent::SetInt(const char* slot, long long value) {
  for (auto& s : m_ints)
    if (s.name == slot) {
      s.value = value;
      return;
    }
  m_ints.push_back({slot, value});
}

long long CTEvent::Int(const char* slot, long long otherwise) const {
  for (const auto& s : m_ints)
    if (s.name == slot) return s.value;
  return otherwise;
}

bool CTEvent::HasInt(const char* slot) const {
  for (const auto& s : m_ints)
    if (s.name == slot) return true;
  return false;
}

void CTEvent::SetText(const char* slot, const char* text) {
  for (auto& s : m_texts)
    if (s.name == slot) {
      s.value = text ? text : "";
      return;
    }
  m_texts.push_back({slot, text ? text : ""});
}

const char* CTEvent::Text(const char* slot) const {
  for (const auto& s : m_texts)
    if (s.name == slot) return s.value.c_str();
  return "";
}

void CTEvent::Describe(CDescriber& d) const {
  d.Text("event", m_kind);
  if (m_key != SG_NO_KEY) d.Int("key", m_key);
  if (!m_keys.empty()) KeyList(d, "keys", m_keys);
  for (const auto& s : m_ints) d.Int(s.name.c_str(), s.value);
  for (const auto& s : m_values) RealList(d, s.name.c_str(), s.value.data(), s.value.size());
  for (const auto& s : m_texts) d.Text(s.name.c_str(), s.value.c_str());
}

CTEventController::CTEventController() : CKvoObject(0, nullptr) {}
CTEventController::~CTEventController() {
  for (auto& e : m_events) e->m_controller = nullptr;
}

void CTEventController::Adopt(CTEvent* e) { m_events.emplace_back(e); }

CTEvent* CTEventController::Release(CTEvent* e) {
  for (auto it = m_events.begin(); it != m_events.end(); ++it)
    if (it->get() == e) {
      it->release();
      m_events.erase(it);
      return e;
    }
  return nullptr;
}

void CTEventController::Describe(CDescriber& d) const {
  RealList(d, "life", std::vector<float>{m_lifeStart, m_lifeEnd}.data(), 2);
  if (m_speed != 1.0f) d.Real("speed", m_speed);
  d.BeginList("events");
  for (const auto& e : m_events) d.Object(nullptr, e.get());
  d.EndList();
}

void CTEventLine::AddPoint(const float* values, int n) {
  const std::string slot = "point" + std::to_string(PointCount() + 1);
  SetValues(slot.c_str(), values, n);
  SetInt("points", PointCount() + 1);
}

void CTEventColor::Describe(CDescriber& d) const {
  CTEvent::Describe(d);
  if (m_fieldVar) d.Ref("fieldVariable", m_fieldVar);
  if (!m_actions.empty()) {
    d.BeginList("actions");
    for (const ActPrm& a : m_actions) d.Text(nullptr, SgActionText(a).c_str());
    d.EndList();
  }
}

CTEventTrackEx::CTEventTrackEx(CSgModule* m) : CTEvent(m, "track") {}
CTEventTrackEx::~CTEventTrackEx() = default;

void CTEventTrackEx::SetCurve(CSgCurveComplex* curve) { m_curve.reset(curve); }

void CTEventTrackEx::Describe(CDescriber& d) const {
  CTEvent::Describe(d);
  if (m_curve) d.Object("curve", m_curve.get());
}

void CTEventProgram::Describe(CDescriber& d) const {
  CTEvent::Describe(d);
  if (m_program) d.Ref("program", m_program);
}

void CTEventProperties::Describe(CDescriber& d) const {
  CTEvent::Describe(d);
  d.BeginList("properties");
  for (const Property& p : m_props) d.Text(nullptr, (p.path + " = " + p.value).c_str());
  d.EndList();
}

void CTEventActionEx::AddActions(const std::list<ActPrm*>& records) {
  for (const ActPrm* a : records)
    if (a) m_actions.push_back(*a);
}

void CTEventActionEx::Describe(CDescriber& d) const {
  CTEvent::Describe(d);
  if (m_necessary) d.Bool("necessary", true);
  if (m_conditions) d.Text("conditions", SgConditionsText(m_conditions).c_str());
  d.BeginList("actions");
  for (const ActPrm& a : m_actions) d.Text(nullptr, SgActionText(a).c_str());
  d.EndList();
}

std::string SgActionText(const ActPrm& a) {
  const char* name = SgActionTypeName(a.Type());
  std::string t = (name ? std::string(name) + " " : std::string()) + "(" + std::to_string(a.Type()) + ")";
  if (a.Key() != SG_NO_KEY) t += " key " + std::to_string(a.Key());
  if (!a.KeyArray().empty()) {
    t += " keys";
    for (SGKEY k : a.KeyArray()) t += " " + std::to_string(k);
  }
  if (a.Flags() & ACTF_HAS_BOOL) t += a.Bool() ? " bool true" : " bool false";
  if (a.Flags() & ACTF_HAS_INT) t += " int " + std::to_string(a.Int());
  if (a.Flags() & ACTF_HAS_FLOAT) t += " float " + std::to_string(a.Float());
  if (a.Flags() & ACTF_HAS_LONG) t += " long " + std::to_string(a.Long());
  if (*a.String()) t += std::string(" string \"") + a.String() + "\"";
  if (*a.String2()) t += std::string(" string2 \"") + a.String2() + "\"";
  if (*a.String3()) t += std::string(" string3 \"") + a.String3() + "\"";
  if (!a.FloatArray().empty()) {
    t += " values";
    for (float v : a.FloatArray()) t += " " + std::to_string(v);
  }
  for (int i = 0; i < a.VariableCount(); ++i)
    if (const CSgVariable* v = a.Variable(i)) t += std::string(" var ") + (*v->Name() ? v->Name() : "(temporary)");
  if (a.Dword() && !(a.Flags() & ACTF_HAS_LONG)) t += " program";
  return t;
}

void CVariableLink::SetRefData(const void* data, int size) {
  m_ref.assign(static_cast<const char*>(data), size > 0 ? (size_t)size : 0);
}

void CVariableLink::Describe(CDescriber& d) const {
  d.Int("kind", m_kind);
  if (m_var) d.Ref("variable", m_var);
  if (m_target) d.Ref("target", m_target);
}

// ---------------------------------------------------------------------------------------------
// Triggers

CSgTrigger::CSgTrigger(CSgModule* module, int typeCode) : CSgReaction(module) { SetTypeCode(typeCode); }

void CSgTrigger::Describe(CDescriber& d) const {
  CSgReaction::Describe(d);
  d.Bool("enabled", m_enabled != 0);
  if (m_options) d.Int("options", m_options);
  if (!m_ids.empty()) d.Text("id", m_ids.c_str());
}

void CSgCheckTrigger::Describe(CDescriber& d) const {
  CSgTrigger::Describe(d);
  d.BeginList("checkCoords");
  for (const CSgVariable* v : m_points) d.Ref(nullptr, v);
  d.EndList();
}

void CSgTimerTrigger::Describe(CDescriber& d) const {
  CSgTrigger::Describe(d);
  d.BeginList("interval");
  d.Int(nullptr, m_interval[0]);
  d.Int(nullptr, m_interval[1]);
  d.EndList();
}

void CSgAnimTrigger::Describe(CDescriber& d) const {
  CSgTrigger::Describe(d);
  if (m_prev) d.Ref("previous", m_prev);
  if (m_wait) d.Bool("wait", true);
}

// ---------------------------------------------------------------------------------------------
// Curves and routes

void CSgCurve::Describe(CDescriber& d) const {
  if (!m_normal.empty()) RealList(d, "normal", m_normal.data(), m_normal.size());
}

void CSgCurvePolyline::SetPoints(int n, const float* xyz, int closed) {
  m_points.clear();
  if (xyz && n > 0) m_points.assign(xyz, xyz + (size_t)n * 3);
  m_closed = closed;
}

void CSgCurvePolyline::Describe(CDescriber& d) const {
  CSgCurve::Describe(d);
  RealList(d, "points", m_points.data(), m_points.size());
  d.Int("closed", m_closed);
}

void CSgCurveArc::SetParam(const float* center, const float* start, const float* end, int clockwise) {
  std::memcpy(m_center, center, sizeof m_center);
  std::memcpy(m_startPt, start, sizeof m_startPt);
  std::memcpy(m_endPt, end, sizeof m_endPt);
  m_clockwise = clockwise;
}

void CSgCurveArc::Describe(CDescriber& d) const {
  CSgCurve::Describe(d);
  RealList(d, "center", m_center, 3);
  RealList(d, "start", m_startPt, 3);
  RealList(d, "end", m_endPt, 3);
  d.Bool("clockwise", m_clockwise != 0);
}

void CSgCurveComplex::AddCurve(CSgCurve* piece) {
  if (piece) m_pieces.emplace_back(piece);
}

void CSgCurveComplex::Describe(CDescriber& d) const {
  CSgCurve::Describe(d);
  d.BeginList("pieces");
  for (const auto& p : m_pieces) d.Object(nullptr, p.get());
  d.EndList();
}

void CSgRoute::Describe(CDescriber& d) const {
  RealList(d, "points", m_points.data(), m_points.size());
}
