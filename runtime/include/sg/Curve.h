// Curves and routes: the paths a track event follows (a composite of polylines and arcs) and
// named lists of points.
#pragma once

#include <memory>
#include <vector>

#include "sg/Kvo.h"

class CSgCurve : public CKvoObject {
 public:
  CSgCurve() : CKvoObject(0, nullptr) {}
  void SetNormal(const float* v, int n) { m_normal.assign(v, v + (n > 0 ? n : 0)); }
  const std::vector<float>& Normal() const { return m_normal; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<float> m_normal;
};

class CSgCurvePolyline : public CSgCurve {
 public:
  // n points as x, y, z triples; the last argument is kept for the runtime (-1: open line).
  void SetPoints(int n, const float* xyz, int closed);
  int PointCount() const { return (int)m_points.size() / 3; }
  const std::vector<float>& Points() const { return m_points; }
  const char* KindName() const override { return "CSgCurvePolyline"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<float> m_points;
  int m_closed = -1;
};

class CSgCurveArc : public CSgCurve {
 public:
  void SetParam(const float* center, const float* start, const float* end, int clockwise);
  const float* Center() const { return m_center; }
  const float* Start() const { return m_startPt; }
  const float* End() const { return m_endPt; }
  int Clockwise() const { return m_clockwise; }
  const char* KindName() const override { return "CSgCurveArc"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_center[3] = {0, 0, 0}, m_startPt[3] = {0, 0, 0}, m_endPt[3] = {0, 0, 0};
  int m_clockwise = 0;
};

// Pieces in the order added; owned.
class CSgCurveComplex : public CSgCurve {
 public:
  void AddCurve(CSgCurve* piece);  // null is ignored
  int CurveCount() const { return (int)m_pieces.size(); }
  CSgCurve* Curve(int i) const { return i >= 0 && i < CurveCount() ? m_pieces[(size_t)i].get() : nullptr; }
  const char* KindName() const override { return "CSgCurveComplex"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<std::unique_ptr<CSgCurve>> m_pieces;
};

class CSgRoute : public CKvoObject {
 public:
  explicit CSgRoute(CSgModule* module) : CKvoObject(SGT_ROUTE, nullptr) { SetModule(module); }
  void AddPoint(float x, float y, float z) { m_points.insert(m_points.end(), {x, y, z}); }
  int PointCount() const { return (int)m_points.size() / 3; }
  const std::vector<float>& Points() const { return m_points; }
  const char* KindName() const override { return "CSgRoute"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<float> m_points;
};
