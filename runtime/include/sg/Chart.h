// On-screen charts and tables bound to script variables.
//
// CChartObject holds what every chart has: a title, a position list, a size, the node it is
// drawn in, the variable it shows, its colours and its enabled state. Each kind adds its own
// settings: ranges, an orientation, points, a heat map position, or (for the container) a
// background image and the charts it groups. A table is a chart object too: lines of an item
// variable beside a value variable.
//
// Ownership: a chart lives in its module's chart collection. The variables, images and
// sub-charts it points to live in their own collections; a chart never deletes them.
#pragma once

#include <string>
#include <vector>

#include "sg/Kvo.h"
#include "sg/Types.h"

class CSgVariable;
class CSgImage;

class CChartObject : public CKvoObject {
 public:
  explicit CChartObject(int typeCode) : CKvoObject(typeCode) {}

  using CKvoObject::SetName;
  // The second argument (renaming the chart's own parts too) has nothing to rename here.
  void SetName(const char* name, int) { CKvoObject::SetName(name); }
  void SetTitle(const char* title) { m_title = title ? title : ""; }
  const std::string& Title() const { return m_title; }
  // The position numbers as given (a null list or a count below 1 clears them).
  void SetPosition(const float* values, int count);
  const std::vector<float>& Position() const { return m_position; }
  void SetSize(float w, float h) { m_size[0] = w, m_size[1] = h; }
  const float* Size() const { return m_size; }
  void SetFieldKey(SGKEY key) { m_fieldKey = key; }
  SGKEY FieldKey() const { return m_fieldKey; }
  void SetValueVariable(CSgVariable* var) { m_value = var; }
  CSgVariable* ValueVariable() const { return m_value; }
  // count RGB triples from values (3 * count numbers).
  void SetColors(const float* values, int count);
  const std::vector<float>& Colors() const { return m_colors; }
  int ColorCount() const { return (int)m_colors.size() / 3; }

  void Enable() { m_enabled = 1; }
  void Disable() { m_enabled = 0; }
  int Enabled() const { return m_enabled; }
  // Makes the chart ready to draw from what it was given; counted, so that a host (and the
  // tests) can tell a configured chart from a bare one.
  virtual void Initialize() { ++m_initialized; }
  int Initialized() const { return m_initialized; }

  const char* KindName() const override { return "CChartObject"; }
  // The common properties, then the kind's own (DescribeKind).
  void Describe(CDescriber& d) const override final;

 protected:
  virtual void DescribeKind(CDescriber&) const {}

 private:
  std::string m_title;
  std::vector<float> m_position;
  float m_size[2] = {0, 0};
  SGKEY m_fieldKey = SG_NO_KEY;
  CSgVariable* m_value = nullptr;
  std::vector<float> m_colors;
  int m_enabled = 1;
  int m_initialized = 0;
};

// A bar filled to the value's share of its whole.
class CPercent : public CChartObject {
 public:
  CPercent() : CChartObject(SGT_PERCENT) {}
  const char* KindName() const override { return "CPercent"; }
};

// A dial whose needle sweeps the range.
class CDashBoard : public CChartObject {
 public:
  CDashBoard() : CChartObject(SGT_DASHBOARD) {}
  void SetRange(float low, float high) { m_range[0] = low, m_range[1] = high; }
  const float* Range() const { return m_range; }
  const char* KindName() const override { return "CDashBoard"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  float m_range[2] = {0, 100};
};

// Bars growing up (0), down (1), left (2) or right (3) over the range.
class CHistogram : public CChartObject {
 public:
  CHistogram() : CChartObject(SGT_HISTOGRAM) {}
  void SetRange(float low, float high) { m_range[0] = low, m_range[1] = high; }
  const float* Range() const { return m_range; }
  void SetOrientation(int o) { m_orientation = o; }
  int Orientation() const { return m_orientation; }
  const char* KindName() const override { return "CHistogram"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  float m_range[2] = {0, 100};
  int m_orientation = 0;
};

// The value plotted over time within an x and a y range.
class CCurve : public CChartObject {
 public:
  CCurve() : CChartObject(SGT_CURVE_CHART) {}
  void SetXRange(float low, float high) { m_x[0] = low, m_x[1] = high; }
  void SetYRange(float low, float high) { m_y[0] = low, m_y[1] = high; }
  const float* XRange() const { return m_x; }
  const float* YRange() const { return m_y; }
  const char* KindName() const override { return "CCurve"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  float m_x[2] = {0, 100};
  float m_y[2] = {0, 100};
};

// The value as digits, shown within its bounds.
class CNumber : public CChartObject {
 public:
  CNumber() : CChartObject(SGT_NUMBER) {}
  void SetBounds(float low, float high) { m_bounds[0] = low, m_bounds[1] = high; }
  const float* Bounds() const { return m_bounds; }
  const char* KindName() const override { return "CNumber"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  float m_bounds[2] = {0, 0};
};

// A heat map: sources at the positions a float array holds, each spreading over a radius.
class CThermography : public CChartObject {
 public:
  CThermography() : CChartObject(SGT_THERMOGRAPHY) {}
  // The variable is the module's; the chart only points to it.
  void SetPositionVariable(CSgVariable* var) { m_positions = var; }
  CSgVariable* PositionVariable() const { return m_positions; }
  void SetHeatRadius(float r) { m_radius = r; }
  float HeatRadius() const { return m_radius; }
  void SetAltitude(float a) { m_altitude = a; }
  float Altitude() const { return m_altitude; }
  const char* KindName() const override { return "CThermography"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  CSgVariable* m_positions = nullptr;
  float m_radius = 0;
  float m_altitude = 0;
};

// A line through points (x, y, z triples) drawn at a width.
class CGuideLine : public CChartObject {
 public:
  CGuideLine() : CChartObject(SGT_GUIDELINE) {}
  // count points from values (3 * count numbers); a null list or count below 1 clears them.
  void SetPoints(const float* values, int count);
  const std::vector<float>& Points() const { return m_points; }
  void SetWidth(float w) { m_width = w; }
  float Width() const { return m_width; }
  const char* KindName() const override { return "CGuideLine"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  std::vector<float> m_points;
  float m_width = 1;
};

// Charts grouped over a background image. The image and the charts stay in their module's
// collections: the container lists them without owning them.
class CChart : public CChartObject {
 public:
  CChart() : CChartObject(SGT_CHART) {}
  void SetImage(CSgImage* image) { m_image = image; }
  CSgImage* Image() const { return m_image; }
  // A chart listed twice is listed once; null is ignored.
  void AddObject(CChartObject* chart);
  const std::vector<CChartObject*>& Objects() const { return m_charts; }
  const char* KindName() const override { return "CChart"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  CSgImage* m_image = nullptr;
  std::vector<CChartObject*> m_charts;
};

// Lines of an item variable beside a value variable, over a background image.
class CTable : public CChartObject {
 public:
  CTable() : CChartObject(SGT_TABLE) {}
  void SetBackImage(CSgImage* image) { m_back = image; }
  CSgImage* BackImage() const { return m_back; }
  // Sets the number of lines (below 0 counts as 0); lines past it are dropped, new lines
  // have neither variable.
  void SetLineNum(int n);
  int LineNum() const { return (int)m_items.size(); }
  // The variables of a line; an index outside the lines is ignored (the getters give null).
  void SetItemVariable(int line, CSgVariable* var);
  void SetValueVariable(int line, CSgVariable* var);
  using CChartObject::SetValueVariable;
  CSgVariable* ItemVariable(int line) const;
  CSgVariable* LineValueVariable(int line) const;
  void Show(int show) { m_show = show ? 1 : 0; }
  int Shown() const { return m_show; }
  const char* KindName() const override { return "CTable"; }

 protected:
  void DescribeKind(CDescriber& d) const override;

 private:
  CSgImage* m_back = nullptr;
  std::vector<CSgVariable*> m_items;
  std::vector<CSgVariable*> m_values;
  int m_show = 1;
};
