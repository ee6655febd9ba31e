// Bodies, wrenches and nuts.
#include "sg/Mechanism.h"

#include "sg/Describe.h"
#include "sg/Variable.h"

void CSgMechanism::DescribeNumbers(CDescriber& d, const char* key, const std::vector<float>& v) {
  d.BeginList(key);
  for (float x : v) d.Real(nullptr, x);
  d.EndList();
}

void CSgMechanism::Describe(CDescriber& d) const {
  d.Text("field", m_field.path.c_str());
  d.Int("key", m_field.key);
}

void CSgBody::Describe(CDescriber& d) const {
  CSgMechanism::Describe(d);
  d.BeginList("truss");
  for (const SgFieldRef& t : m_truss) d.Text(nullptr, t.path.c_str());
  d.EndList();
  d.BeginList("trussKeys");
  for (const SgFieldRef& t : m_truss) d.Int(nullptr, t.key);
  d.EndList();
  DescribeNumbers(d, "initial", m_initial);
}

void CSgTurnable::Describe(CDescriber& d) const {
  CSgMechanism::Describe(d);
  DescribeNumbers(d, "axis", std::vector<float>(m_axis, m_axis + 3));
  d.Text("modelType", m_modelType.c_str());
}

void CSgWrench::Describe(CDescriber& d) const {
  CSgTurnable::Describe(d);
  DescribeNumbers(d, "point", std::vector<float>(m_point, m_point + 3));
  d.Real("maxDistance", m_maxDistance);
  d.Real("subForward", m_subForward);
  d.Real("subLeft", m_subLeft);
}

void CSgNut::Describe(CDescriber& d) const {
  CSgTurnable::Describe(d);
  DescribeNumbers(d, "force", m_force);
  if (m_angleVar) d.Ref("angleVar", m_angleVar);
  else d.Null("angleVar");
  DescribeNumbers(d, "dial", m_dial);
}
