// Charts and tables: their settings and what they show in the dumps.
#include "sg/Chart.h"

#include <algorithm>

#include "sg/Describe.h"
#include "sg/Image.h"
#include "sg/Variable.h"

namespace {

void Floats(CDescriber& d, const char* key, const float* v, size_t n) {
  d.BeginList(key);
  for (size_t i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

}  // namespace

void CChartObject::SetPosition(const float* values, int count) {
  if (!values || count < 1) m_position.clear();
  else m_position.assign(values, values + count);
}

void CChartObject::SetColors(const float* values, int count) {
  if (!values || count < 1) m_colors.clear();
  else m_colors.assign(values, values + 3 * (size_t)count);
}

void CChartObject::Describe(CDescriber& d) const {
  d.Text("title", m_title.c_str());
  Floats(d, "position", m_position.data(), m_position.size());
  Floats(d, "size", m_size, 2);
  d.Int("fieldKey", m_fieldKey);
  d.Ref("valueVariable", m_value);
  Floats(d, "colors", m_colors.data(), m_colors.size());
  d.Bool("enabled", m_enabled != 0);
  d.Int("initialized", m_initialized);
  DescribeKind(d);
}

void CDashBoard::DescribeKind(CDescriber& d) const { Floats(d, "range", m_range, 2); }

void CHistogram::DescribeKind(CDescriber& d) const {
  Floats(d, "range", m_range, 2);
  d.Int("orientation", m_orientation);
}

void CCurve::DescribeKind(CDescriber& d) const {
  Floats(d, "xRange", m_x, 2);
  Floats(d, "yRange", m_y, 2);
}

void CNumber::DescribeKind(CDescriber& d) const { Floats(d, "bounds", m_bounds, 2); }

void CThermography::DescribeKind(CDescriber& d) const {
  d.Ref("positionVariable", m_positions);
  d.Real("heatRadius", m_radius);
  d.Real("altitude", m_altitude);
}

void CGuideLine::SetPoints(const float* values, int count) {
  if (!values || count < 1) m_points.clear();
  else m_points.assign(values, values + 3 * (size_t)count);
}

void CGuideLine::DescribeKind(CDescriber& d) const {
  Floats(d, "points", m_points.data(), m_points.size());
  d.Real("width", m_width);
}

void CChart::AddObject(CChartObject* chart) {
  if (!chart || std::find(m_charts.begin(), m_charts.end(), chart) != m_charts.end()) return;
  m_charts.push_back(chart);
}

void CChart::DescribeKind(CDescriber& d) const {
  d.Ref("image", m_image);
  d.BeginList("charts");
  for (const CChartObject* c : m_charts) d.Ref(nullptr, c);
  d.EndList();
}

void CTable::SetLineNum(int n) {
  n = std::max(n, 0);
  m_items.resize((size_t)n, nullptr);
  m_values.resize((size_t)n, nullptr);
}

void CTable::SetItemVariable(int line, CSgVariable* var) {
  if (line >= 0 && line < LineNum()) m_items[(size_t)line] = var;
}

void CTable::SetValueVariable(int line, CSgVariable* var) {
  if (line >= 0 && line < LineNum()) m_values[(size_t)line] = var;
}

CSgVariable* CTable::ItemVariable(int line) const {
  return line >= 0 && line < LineNum() ? m_items[(size_t)line] : nullptr;
}

CSgVariable* CTable::LineValueVariable(int line) const {
  return line >= 0 && line < LineNum() ? m_values[(size_t)line] : nullptr;
}

// Each line as its item and value variable (null where the line has none).
void CTable::DescribeKind(CDescriber& d) const {
  d.Ref("backImage", m_back);
  d.Bool("shown", m_show != 0);
  d.BeginList("lines");
  for (int i = 0; i < LineNum(); ++i) {
    d.BeginList(nullptr);
    d.Ref(nullptr, m_items[(size_t)i]);
    d.Ref(nullptr, m_values[(size_t)i]);
    d.EndList();
  }
  d.EndList();
}
