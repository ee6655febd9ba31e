// CSgButton: per-state looks, the screen or node it is drawn on, and its display nodes.
#include "sg/Button.h"

#include <algorithm>
#include <cstdio>

#include "sg/Describe.h"
#include "sg/Gfx.h"

namespace {

void RealList(CDescriber& d, const char* key, const float* v, int n) {
  d.BeginList(key);
  for (int i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

const char* const kStateNames[SG_BUTTON_STATES] = {"normal", "push", "hover", "block", "tip", "unable"};

}  // namespace

SgButtonState* CSgButton::At(int state) {
  return state >= 0 && state < SG_BUTTON_STATES ? &m_states[state] : nullptr;
}

const SgButtonState* CSgButton::State(int state) const {
  return state >= 0 && state < SG_BUTTON_STATES ? &m_states[state] : nullptr;
}

void CSgButton::SetPosition(float x, float y, float z, int state) {
  if (SgButtonState* s = At(state)) {
    s->position[0] = x, s->position[1] = y, s->position[2] = z;
    s->hasPosition = true;
  }
}

void CSgButton::SetSize(float w, float h, int state) {
  if (SgButtonState* s = At(state)) {
    s->size[0] = w, s->size[1] = h;
    s->hasSize = true;
  }
}

void CSgButton::SetCorner(float x, float y, float z, int state) {
  if (SgButtonState* s = At(state)) {
    s->corner[0] = x, s->corner[1] = y, s->corner[2] = z;
    s->hasCorner = true;
  }
}

void CSgButton::SetTransparency(float t, int state) {
  if (SgButtonState* s = At(state)) {
    s->transparency = t;
    s->hasTransparency = true;
  }
}

// Points past SG_MAX_OUTLINE are dropped: the outline is a hit polygon, and the drawing side
// keeps a fixed number of corners.
void CSgButton::AddOutline(const float* xy, int points, int state) {
  SgButtonState* s = At(state);
  if (!s || !xy) return;
  for (int i = 0; i < points && (int)s->outline.size() < SG_MAX_OUTLINE; ++i)
    s->outline.push_back({xy[2 * i], xy[2 * i + 1]});
}

void CSgButton::SetFile(const char* bitmap, const char* templ, int state, int flag) {
  if (SgButtonState* s = At(state)) {
    s->bitmap = bitmap ? bitmap : "";
    s->templ = templ ? templ : "";
    s->fileFlag = flag;
    s->hasFile = true;
  }
}

void CSgButton::SetBaseImage(SGKEY key, int state) {
  if (SgButtonState* s = At(state)) s->baseImage = key;
}

void CSgButton::SetPathKey(SGKEY key) {
  m_pathKey = key;
  SetKey(key);
}

void CSgButton::SetTarget(const float rect[4]) {
  std::copy(rect, rect + 4, m_target);
  m_hasTarget = true;
}

void CSgButton::Create(int arg) {
  ++m_createCount;
  m_createArg = arg;
  MakeDisplayNodes();
}

void CSgButton::Show(int show) {
  m_shown = show ? 1 : 0;
  for (int i = 0; i < 3; ++i) SgSetVisibilityByKey(DisplayKey(i), m_shown);
}

SGKEY CSgButton::DisplayKey(int i) {
  if (i < 0 || i > 2) return SG_NO_KEY;
  MakeDisplayNodes();
  return m_display[i];
}

// The picture shows the normal state's bitmap; the hit area covers the block's position and
// size; the tip starts empty. A scene reset drops the nodes, so keys are made again only when
// none was made before (a key that no longer names a node stays as it was).
void CSgButton::MakeDisplayNodes() {
  if (m_display[0] != SG_NO_KEY) return;
  SGKEY parent = m_pathKey != SG_NO_KEY ? SgOpenFieldByKey(m_pathKey) : SG_NO_KEY;
  if (parent == SG_NO_KEY) parent = SgOpenField("/screen/buttons");
  if (parent == SG_NO_KEY) return;
  const SgButtonState& block = m_states[SG_BUTTON_BLOCK];
  m_display[0] = SgInsertImage(m_states[SG_BUTTON_NORMAL].bitmap.c_str());
  m_display[1] = SgInsertZRect(block.position, block.size);
  m_display[2] = SgInsertRemark("");
  SgCloseField();
}

void CSgButton::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.Int("pathKey", m_pathKey);
  d.Bool("stretch", m_stretch != 0);
  d.Int("options", m_options);
  if (m_hasTarget) RealList(d, "target", m_target, 4);
  d.Bool("recordable", m_recordable != 0);
  d.Int("created", m_createCount);
  if (m_createCount) d.Int("createArg", m_createArg);
  if (m_shown >= 0) d.Bool("shown", m_shown != 0);
  if (m_display[0] != SG_NO_KEY) {
    d.BeginList("displayKeys");
    for (SGKEY k : m_display) d.Int(nullptr, k);
    d.EndList();
  }
  d.BeginList("states");
  for (int i = 0; i < SG_BUTTON_STATES; ++i) {
    const SgButtonState& s = m_states[i];
    if (!s.hasPosition && !s.hasSize && !s.hasCorner && !s.hasTransparency && !s.hasFile && s.outline.empty() &&
        s.baseImage == SG_NO_KEY)
      continue;
    // One text line per state keeps the dumps readable; the figures are printed with %g.
    std::string line = kStateNames[i];
    char buf[96];
    if (s.hasPosition) {
      std::snprintf(buf, sizeof buf, " position(%g %g %g)", s.position[0], s.position[1], s.position[2]);
      line += buf;
    }
    if (s.hasSize) {
      std::snprintf(buf, sizeof buf, " size(%g %g)", s.size[0], s.size[1]);
      line += buf;
    }
    if (s.hasCorner) {
      std::snprintf(buf, sizeof buf, " corner(%g %g %g)", s.corner[0], s.corner[1], s.corner[2]);
      line += buf;
    }
    if (s.hasTransparency) {
      std::snprintf(buf, sizeof buf, " transparency(%g)", s.transparency);
      line += buf;
    }
    if (!s.outline.empty()) {
      line += " outline(";
      for (size_t p = 0; p < s.outline.size(); ++p) {
        std::snprintf(buf, sizeof buf, "%s%g %g", p ? ", " : "", s.outline[p].x, s.outline[p].y);
        line += buf;
      }
      line += ")";
    }
    if (s.hasFile) line += " bitmap(" + s.bitmap + ") template(" + s.templ + ")";
    if (s.baseImage != SG_NO_KEY) line += " base(#" + std::to_string(s.baseImage) + ")";
    d.Text(nullptr, line.c_str());
  }
  d.EndList();
}
