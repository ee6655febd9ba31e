// Generators, textures, message handlers and the sky.
#include "sg/SceneObjects.h"

#include <cstdio>

#include "sg/Describe.h"
#include "sg/Gfx.h"
#include "sg/Variable.h"

namespace {

const char* GeneratorTypeName(int type) {
  switch (type) {
    case CGenerator::TYPE_LINEAR: return "linear";
    case CGenerator::TYPE_SIN: return "sin";
    case CGenerator::TYPE_ONCE: return "once";
    default: return "unknown";
  }
}

// Numbers as the scene's contents hold them: "%g" each, one blank between.
std::string NumberText(const float* v, int n) {
  std::string s;
  char buf[32];
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%g", (double)v[i]);
    if (i) s += ' ';
    s += buf;
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------- generators

CGenerator::CGenerator(CSgModule* module) : CKvoObject(SGT_DYNAMIC) { SetModule(module); }

void CGenerator::Describe(CDescriber& d) const {
  d.Text("generatorType", GeneratorTypeName(m_type));
  d.Int("generatorTypeCode", m_type);
  d.Bool("continuous", m_continuous != 0);
  d.BeginList("range");
  d.Real(nullptr, m_range[0]);
  d.Real(nullptr, m_range[1]);
  d.EndList();
  d.Real("initialValue", m_initial);
  d.Real("period", m_period);
  if (m_variable) d.Ref("variable", m_variable);
  else d.Null("variable");
}

// ---------------------------------------------------------------- textures

CSgTexture::CSgTexture(CSgModule* module) : CKvoObject(SGT_TEXTURE) { SetModule(module); }

int CSgTexture::CreateTextureInModel() {
  if (!m_disabled) m_created = 1;
  return m_created;
}

void CSgTexture::Describe(CDescriber& d) const {
  d.Text("file", m_file.c_str());
  d.Text("maskFile", m_mask.c_str());
  d.BeginList("pixel");
  d.Int(nullptr, m_pixel[0]);
  d.Int(nullptr, m_pixel[1]);
  d.EndList();
  d.Text("blendMode", m_blend == BLEND_MODULATE ? "modulate" : "other");
  d.Bool("disabled", m_disabled != 0);
  d.Bool("inModel", m_created != 0);
}

// ---------------------------------------------------------------- message handlers

unsigned CSgMsg::m_maxID = 0;

CSgMsg::CSgMsg(CSgModule* module) : CKvoObject(SGT_MESSAGE) { SetModule(module); }

CSgMsg::~CSgMsg() = default;

void CSgMsg::Describe(CDescriber& d) const {
  d.Int("id", m_id);
  d.Int("maxId", static_cast<long long>(m_maxID));  // class-wide: the largest id of every handler so far
  if (m_animation) d.Ref("animation", m_animation);
  else d.Null("animation");
  if (m_param) d.Ref("paramVariable", m_param);
  else d.Null("paramVariable");
  if (m_action) d.Object("action", m_action.get());
  else d.Null("action");
}

// ---------------------------------------------------------------- the sky

SGKEY KVOCreateSky(const char* field, const char* bitmap, const float pos[3], float radius,
                   const float texParams[5]) {
  const std::string path = field && *field ? field : "/";
  const SGKEY previous = SgCurrentField();
  const SGKEY key = SgOpenField(path.c_str());
  if (previous != SG_NO_KEY) SgOpenFieldByKey(previous);
  else SgCloseField();
  if (key == SG_NO_KEY) return key;
  SgSetFieldContents(key, "sky", bitmap ? bitmap : "");
  SgSetFieldContents(key, "sky position", NumberText(pos, 3).c_str());
  SgSetFieldContents(key, "sky radius", NumberText(&radius, 1).c_str());
  SgSetFieldContents(key, "sky texture", NumberText(texParams, 5).c_str());
  return key;
}
