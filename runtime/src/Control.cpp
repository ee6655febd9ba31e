// Control points, the controls built on them, reactions and the scene-node condition test.
#include "sg/Control.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <cstdio>

#include "sg/Describe.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

const char* SgReactTypeName(int code) {
  switch (code) {
#define SG_REACT_TYPE_CASE(name, c, word) \
  case c:                                 \
    return word;
    SG_REACT_TYPES(SG_REACT_TYPE_CASE)
#undef SG_REACT_TYPE_CASE
    default:
      return nullptr;
  }
}

namespace {

// "lbuttonup", or the number for a code without a word.
std::string ReactTypeText(int type) {
  const char* w = SgReactTypeName(type);
  return w ? w : std::to_string(type);
}

void RealList(CDescriber& d, const char* key, const float* v, int n) {
  d.BeginList(key);
  for (int i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

// Bounded recursion: a tree is printed no deeper than evaluation goes.
std::string ConditionsText(const CSgConditions* c, int depth) {
  if (!c) return "";
  if (depth > CSgConditions::SG_MAX_CONDITION_DEPTH) return "...";
  std::vector<std::string> parts;
  if (!c->Actions().empty() || c->JudgeVariable() || *c->SourceCode()) parts.push_back(c->SourceCode());
  for (const CSgConditions* n : c->NestedConditions()) parts.push_back(ConditionsText(n, depth + 1));
  for (int i = 0; i < c->TestCount(); ++i) parts.push_back(c->Test(i)->Text());
  std::string out = c->Mode() == SG_COND_OR ? "or(" : "and(";
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
  return out + ")";
}

}  // namespace

std::string SgConditionsText(const CSgConditions* conditions) { return ConditionsText(conditions, 0); }

// ---------------------------------------------------------------- reactions

CSgReaction::CSgReaction(CSgModule* module) : CKvoObject(SGT_REACTION) { SetModule(module); }

CSgReaction::~CSgReaction() = default;

void CSgReaction::AddAnimation(CKvoObject* animation, int type) {
  if (animation) m_animations.push_back({animation, type});
}

void CSgReaction::SetAction(CKvoObject* action, int type) {
  if (!action) {
    m_actions.erase(type);
    return;
  }
  m_actions[type].reset(action);
}

CKvoObject* CSgReaction::GetAction(int type) const {
  auto it = m_actions.find(type);
  return it == m_actions.end() ? nullptr : it->second.get();
}

void CSgReaction::Describe(CDescriber& d) const {
  d.Bool("local", IsLocal());
  if (m_flags & FLAG_OTHERWISE) d.Bool("otherwise", true);
  if (m_conditions) d.Text("conditions", SgConditionsText(m_conditions).c_str());
  if (!m_animations.empty()) {
    // Each entry as "event: animation"; the animation itself is printed with its module.
    d.BeginList("animations");
    for (const BoundAnimation& b : m_animations)
      d.Text(nullptr, (ReactTypeText(b.type) + ": " + b.animation->Name()).c_str());
    d.EndList();
  }
  if (!m_actions.empty()) {
    d.BeginList("actions");
    for (const auto& [type, action] : m_actions) d.Object(nullptr, action.get());
    d.EndList();
    d.BeginList("actionTypes");
    for (const auto& entry : m_actions) d.Text(nullptr, ReactTypeText(entry.first).c_str());
    d.EndList();
  }
}

// ---------------------------------------------------------------- the scene-node test

int CSgCondFieldShow::Holds() const {
  int visible = 0;
  if (m_key == SG_NO_KEY || !SgShowVisibilityByKey(m_key, &visible)) return 0;
  return (visible != 0) == (m_expected != 0) ? 1 : 0;
}

std::string CSgCondFieldShow::Text() const {
  return std::string(m_expected ? "fieldon #" : "fieldoff #") + std::to_string(m_key);
}

// ---------------------------------------------------------------- control points

COpCtrlPoint::COpCtrlPoint(CSgModule* module, int typeCode) : CKvoObject(typeCode) { SetModule(module); }

COpCtrlPoint::~COpCtrlPoint() = default;

void COpCtrlPoint::SetName(const char* name, int) { CKvoObject::SetName(name); }

void COpCtrlPoint::SetKey(SGKEY key) { m_keys.assign(1, key); }

void COpCtrlPoint::AddKey(SGKEY key) {
  // The same node twice would be hit-tested twice.
  if (std::find(m_keys.begin(), m_keys.end(), key) == m_keys.end()) m_keys.push_back(key);
}

void COpCtrlPoint::AddReaction(CSgReaction* reaction) {
  if (reaction) m_reactions.emplace_back(reaction);
}

void COpCtrlPoint::AddSharedReaction(std::shared_ptr<CSgReaction> reaction) {
  if (reaction) m_reactions.push_back(std::move(reaction));
}

CSgReaction* COpCtrlPoint::Reaction(int i) const {
  return i >= 0 && i < (int)m_reactions.size() ? m_reactions[(size_t)i].get() : nullptr;
}

void COpCtrlPoint::Describe(CDescriber& d) const {
  d.BeginList("keys");
  for (SGKEY k : m_keys) d.Int(nullptr, k);
  d.EndList();
  d.Int("group", m_group);
  d.Bool("enabled", m_enabled != 0);
  if (!m_reactions.empty()) {
    d.BeginList("reactions");
    for (const auto& r : m_reactions) d.Object(nullptr, r.get());
    d.EndList();
  }
}

// ---------------------------------------------------------------- knobs, sliders, parts

void CSgPadObject::SetAxis(const float* v, int n) {
  for (int i = 0; i < 3; ++i) m_axis[i] = i < n ? v[i] : 0.0f;
}

void CSgPadObject::SetBasePoint(const float p[3]) {
  std::copy(p, p + 3, m_base);
  m_hasBase = true;
  m_baseLocal = false;
}

void CSgPadObject::SetBasePointLocal(const float* p, int n) {
  for (int i = 0; i < 3; ++i) m_base[i] = i < n ? p[i] : 0.0f;
  m_hasBase = true;
  m_baseLocal = true;
}

void CSgPadObject::DescribePad(CDescriber& d) const {
  RealList(d, "axis", m_axis, 3);
  if (m_hasBase) {
    RealList(d, "basePoint", m_base, 3);
    d.Bool("basePointLocal", m_baseLocal);
  }
}

// The scale of each axis is the length of the matching column of the node's transform.
void CSgKnob::ConvertToNoStretchCoord(float* v, int n) {
  ++m_conversions;
  float m[16];
  if (Key() == SG_NO_KEY || !SgShowTransformByKey(Key(), m)) return;
  for (int i = 0; i < n; ++i) {
    const int c = i % 3;
    const float s = std::sqrt(m[c * 4] * m[c * 4] + m[c * 4 + 1] * m[c * 4 + 1] + m[c * 4 + 2] * m[c * 4 + 2]);
    if (s > 1e-6f) v[i] *= s;
  }
}

void CSgKnob::AdjustAxisToBasePoint() {
  m_adjusted = true;
  const float* a = Axis();
  const float len = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  if (len > 1e-6f) {
    const float unit[3] = {a[0] / len, a[1] / len, a[2] / len};
    SetAxis(unit, 3);
  }
}

void CSgKnob::SetDial(const float* v, int n) {
  m_dial.assign(v, v + std::clamp(n, 0, SG_MAX_DIAL));
}

void CSgKnob::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  DescribePad(d);
  RealList(d, "dial", m_dial.data(), (int)m_dial.size());
  d.Real("initial", m_initial);
  d.Real("range", m_range);
  d.Real("speed", m_speed);
  d.Bool("cycle", m_cycle != 0);
  d.Bool("axisAdjusted", m_adjusted);
}

void CSgSlider::Describe(CDescriber& d) const {
  CSgKnob::Describe(d);
  d.Bool("twoD", m_2d != 0);
}

void CSgPart::SetAxis(const float* v, int n) {
  for (int i = 0; i < 6; ++i) m_axis[i] = i < n ? v[i] : 0.0f;
}

void CSgPart::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  RealList(d, "axis", m_axis, 6);
  d.Real("distance", m_distance);
  d.Real("angle", m_angle);
  d.Text("tool", m_tool.c_str());
  d.Text("instrument", m_instrument.c_str());
  d.Int("inits", m_inits);
}

// ---------------------------------------------------------------- edit boxes, maps, areas, keys

void CSgEdit::SetScreenPosition(const float* v, int n) { m_screenPos.assign(v, v + std::clamp(n, 0, 3)); }

void CSgEdit::SetBackColor(const float c[3]) {
  std::copy(c, c + 3, m_backColor);
  m_hasBack = true;
}

void CSgEdit::Update(int, int) { ++m_updates; }

void CSgEdit::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.Bool("onScreen", m_onScreen != 0);
  if (m_onScreen) {
    RealList(d, "screenPosition", m_screenPos.data(), (int)m_screenPos.size());
    RealList(d, "screenSize", m_screenSize, 2);
  } else {
    d.BeginList("grid");
    d.Int(nullptr, m_cols);
    d.Int(nullptr, m_rows);
    d.EndList();
    d.BeginList("textPosition");
    d.Int(nullptr, m_textPos[0]);
    d.Int(nullptr, m_textPos[1]);
    d.EndList();
  }
  RealList(d, "textColor", m_textColor, 3);
  if (m_hasBack) RealList(d, "backColor", m_backColor, 3);
  RealList(d, "scale", m_scale, 3);
  d.Text("text", m_text.c_str());
  if (!m_font.empty()) d.Text("font", m_font.c_str());
  d.Bool("readOnly", m_readOnly != 0);
  d.Int("options", m_options);
  d.Int("blankOpen", m_blankOpen);
  d.Int("blankClose", m_blankClose);
  d.Int("updates", m_updates);
  d.Bool("reading", m_reading != 0);
}

void CSgMap::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.Text("files", m_files.c_str());
  RealList(d, "center", m_center, 3);
  d.Real("scale", m_scale);
  d.Real("angle", m_angle);
  d.Bool("verticalAxis", m_vertical != 0);
  d.Int("created", m_created);
}

void CSgArea::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.BeginList("outline");
  for (const Point& p : m_points) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g %g", p.x, p.y);
    d.Text(nullptr, buf);
  }
  d.EndList();
  d.Real("depth", m_depth);
}

void CSgKeyMap::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.Text("key", m_key.c_str());
}
