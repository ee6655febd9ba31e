// Projectors and stencils.
#include "objects/ScrProjector.h"

#include "elements/ScrImage.h"  // ScrReadNumberList, ScrReadWordList
#include "lexer/ScrLex.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"

// ---------------------------------------------------------------------------------------------
// projector

int CScrProjector::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrProjector> kSubs = {
      {"name", &CScrProjector::ReadName},       {"look", &CScrProjector::ReadLook},
      {"repeat", &CScrProjector::ReadRepeat},   {"blend", &CScrProjector::ReadBlend},
      {"property", &CScrProjector::ReadProperty}, {"bitmap", &CScrProjector::ReadBitmap},
      {"bitmap_templ", &CScrProjector::ReadBitmapTempl}, {"enable", &CScrProjector::ReadEnable},
      {"field", &CScrProjector::ReadField},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrProjector::ReadName(CScrStream* f, const char*) {
  ReadValueString(f, m_name);
  return SCR_SUB_OK;
}

// look { px py pz  tx ty tz  ux uy uz }: numbers not given keep their zeros.
int CScrProjector::ReadLook(CScrStream* f, const char*) {
  float v[kMaxValues];
  const int n = ScrReadNumberList(f, v, kMaxValues);
  for (int i = 0; i < 9; ++i) m_look[i] = i < n ? v[i] : 0.0f;
  return SCR_SUB_OK;
}

// repeat { u v ... }: the first two numbers count.
int CScrProjector::ReadRepeat(CScrStream* f, const char*) {
  float v[kMaxValues];
  const int n = ScrReadNumberList(f, v, kMaxValues);
  for (int i = 0; i < 2 && i < n; ++i) m_repeat[i] = v[i];
  return SCR_SUB_OK;
}

int CScrProjector::ReadBlend(CScrStream* f, const char*) {
  ReadValueNumbers(f, &m_blend, 1);
  return SCR_SUB_OK;
}

// property { lighting | projecting ... }: the last word sets the blend type; the first other
// word is reported and ends the list.
int CScrProjector::ReadProperty(CScrStream* f, const char*) {
  for (const std::string& w : ScrReadWordList(f)) {
    if (straccord(w.c_str(), "lighting")) {
      m_blendType = 1;
    } else if (straccord(w.c_str(), "projecting")) {
      m_blendType = 2;
    } else {
      ReportInvalidString(f, w.c_str());
      return SCR_SUB_FAIL;
    }
  }
  return SCR_SUB_OK;
}

int CScrProjector::ReadBitmap(CScrStream* f, const char*) {
  ReadValueString(f, m_bitmap);
  return SCR_SUB_OK;
}

int CScrProjector::ReadBitmapTempl(CScrStream* f, const char*) {
  ReadValueString(f, m_mask);
  return SCR_SUB_OK;
}

// The switch is read for the grammar's sake: a projector is on once it is set.
int CScrProjector::ReadEnable(CScrStream* f, const char*) {
  std::string word;
  ReadValueString(f, word);
  return SCR_SUB_OK;
}

// field { path }: a path no node has yet is reported as a warning (the node may be made while
// the scene runs) and made now.
int CScrProjector::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  if (SgFieldExists(path.c_str()) == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    SgOpenField(path.c_str());
    SgCloseField();
  }
  return SCR_SUB_OK;
}

void CScrProjector::Finish() {
  int texture = 0;
  if (!m_bitmap.empty()) {
    const int handle = SgDefineTexture(nullptr, m_bitmap.c_str(), m_mask.c_str(), 0, 255, 0, 0, 3);
    SgTextureData data;
    if (SgShowTextureData(handle, &data)) texture = data.id;
  }
  SgSetProjector(m_name.c_str(), m_look, m_look + 3, m_look + 6, texture, m_blend, m_repeat[0], m_repeat[1]);
  SgSetProjectorBlendType(m_name.c_str(), m_blendType);
}

// ---------------------------------------------------------------------------------------------
// stencil

int CScrStencil::Read(CScrStream* f) {
  std::string tok;
  ScrReadKeyword(f, tok);  // the opening brace, or whatever stands in its place
  const int r = ScrReadKeyword(f, tok);
  return ReadBlockFrom(f, tok, r);
}

int CScrStencil::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrStencil> kSubs = {
      {"field", &CScrStencil::ReadField},
      {"point", &CScrStencil::ReadPoint},
      {"size", &CScrStencil::ReadSize},
      {"position", &CScrStencil::ReadPosition},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrStencil::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrStencil::ReadField(CScrStream* f, const char*) {
  ReadValueString(f, m_field);
  return SCR_SUB_OK;
}

// point { x y ... }: a third number is passed over; the point lies at the stencil depth.
int CScrStencil::ReadPoint(CScrStream* f, const char*) {
  float v[CScrProjector::kMaxValues];
  const int n = ScrReadNumberList(f, v, CScrProjector::kMaxValues);
  m_points.insert(m_points.end(), {n > 0 ? v[0] : 0.0f, n > 1 ? v[1] : 0.0f, kDepth});
  return SCR_SUB_OK;
}

int CScrStencil::ReadSize(CScrStream* f, const char*) {
  float v[2];
  const int n = ScrReadNumberList(f, v, 2);
  for (int i = 0; i < n; ++i) m_size[i] = v[i];
  return SCR_SUB_OK;
}

int CScrStencil::ReadPosition(CScrStream* f, const char*) {
  float v[CScrProjector::kMaxValues];
  const int n = ScrReadNumberList(f, v, CScrProjector::kMaxValues);
  for (int i = 0; i < 2 && i < n; ++i) m_center[i] = v[i];
  return SCR_SUB_OK;
}

// Without points the stencil is the rectangle around the centre, from its upper left corner
// counter-clockwise.
void CScrStencil::Finish() {
  if (m_points.empty()) {
    const float cx = m_center[0], cy = m_center[1], hw = m_size[0] / 2, hh = m_size[1] / 2;
    m_points = {cx - hw, cy + hh, kDepth, cx - hw, cy - hh, kDepth,
                cx + hw, cy - hh, kDepth, cx + hw, cy + hh, kDepth};
  }
  SgOpenField(m_field.c_str());
  SgInsertStencil((int)m_points.size() / 3, m_points.data());
  SgCloseField();
}
