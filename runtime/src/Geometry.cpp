// The geometric variables: what they keep and how they describe themselves.
#include "sg/Geometry.h"

#include <algorithm>

#include "sg/Describe.h"
#include "sg/Gfx.h"

namespace {

void RealList(CDescriber& d, const char* key, const float* v, int n) {
  d.BeginList(key);
  for (int i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

}  // namespace

// A node's path says more than its key; a key whose node is gone (the scene was reset) is
// printed as the number it is.
void CSgFieldVariable::DescribeField(CDescriber& d) const {
  if (m_fieldKey == SG_NO_KEY) {
    d.Null("field");
    return;
  }
  SgFieldInfo info;
  if (SgGetFieldInfo(m_fieldKey, &info)) {
    d.Text("field", info.path.c_str());
  } else {
    d.Int("field", m_fieldKey);
  }
}

void CSgCoord::SetCoord(const float* values) {
  if (values) std::copy(values, values + 3, m_coord);
}

void CSgCoord::Describe(CDescriber& d) const {
  RealList(d, "coord", m_coord, 3);
  DescribeField(d);
}

void CSgCheckCoord::Describe(CDescriber& d) const {
  CSgCoord::Describe(d);
  d.Real("extra", m_extra);
}

void CSgVector::SetVector(const float* values) {
  if (values) std::copy(values, values + 3, m_vector);
}

void CSgVector::Describe(CDescriber& d) const {
  RealList(d, "vector", m_vector, 3);
  DescribeField(d);
}

void CSgPole::SetPole(const float* values) {
  if (values) std::copy(values, values + 6, m_pole);
}

void CSgPole::Describe(CDescriber& d) const {
  RealList(d, "from", m_pole, 3);
  RealList(d, "to", m_pole + 3, 3);
  DescribeField(d);
}

void CSgScrew::SetAxisWorld(const float axis[3]) {
  if (axis) std::copy(axis, axis + 3, m_axis);
}

void CSgScrew::Initialize(float value) {
  m_value = value;
  m_initialized = 1;
}

void CSgScrew::Describe(CDescriber& d) const {
  RealList(d, "axis", m_axis, 3);
  d.Real("value", m_value);
  DescribeField(d);
}
