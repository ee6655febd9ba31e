// Curves and routes: the `curve` block a track follows (polyline and arc pieces joined into one
// composite curve) and the `route` block, a named list of points.
//
// Unlike most blocks these need their opening brace: the first token after the keyword is taken
// as the brace whatever it is. A sub-keyword a reader does not know is passed over silently; a
// token that is no keyword ends the block with a message and the result 0.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reader/ScrObject.h"

class CSgCurve;
class CSgCurveComplex;
class CSgRoute;

// A number token as the value reader writes them: a decimal number, or a quotient or product of
// two (1/3, 2*4). False, and `out` unchanged, for anything else.
bool ScrParseNumber(std::string tok, float& out);

// curve { name n  direction {x y z}  polyline {...}  arc {...} }. The polyline and arc readers
// derive from it and share its point reading.
class SCR_API CScrCurve : public CScrObject {
 public:
  // Reads into `object` (owned from here on) when given; the curve reader itself makes a
  // composite curve when it has none.
  explicit CScrCurve(CScriptReader* reader, CSgCurve* object = nullptr);
  ~CScrCurve() override;

  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;

  // The curve read (null once taken).
  CSgCurve* Object() const { return m_object.get(); }
  // The composite curve, handed to the caller; null when this reader holds none.
  CSgCurveComplex* TakeCurve();

  // The most numbers one point or direction list holds.
  static constexpr int kMaxValues = 255;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  // Consumes the opening token, then reads sub-keywords up to the '}'.
  int ReadBody(CScrStream* f);
  // Numbers up to the '}' of the value; the first token that is no number ends the list.
  std::vector<float> ReadNumberList(CScrStream* f);
  int ReadName(CScrStream* f, const char*);
  // point {x y [z]}: one point, z = 1 when not given; numbers past the third are passed over.
  int ReadPoint(CScrStream* f, const char*);

  std::unique_ptr<CSgCurve> m_object;
  std::vector<float> m_points;  // x, y, z of every point read, in order

 private:
  int ReadDirection(CScrStream* f, const char*);
  int ReadPiece(CScrStream* f, const char* kw);
  std::vector<float> m_direction;
  int m_result = 1;
};

// polyline { name n  point {...} ... }: the points are given to the line at the closing brace.
class SCR_API CScrPolyline : public CScrCurve {
 public:
  explicit CScrPolyline(CScriptReader* reader, CSgCurve* object) : CScrCurve(reader, object) {}
  int Read(CScrStream* f) override { return ReadBody(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;
};

// arc { name n  point {start}  point {end}  center {x y z}  type clockwise }
class SCR_API CScrArc : public CScrCurve {
 public:
  explicit CScrArc(CScriptReader* reader, CSgCurve* object) : CScrCurve(reader, object) {}
  int Read(CScrStream* f) override { return ReadBody(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadCenter(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  float m_center[3] = {0, 0, 0};
  int m_clockwise = 0;
};

// route { name n  point {...} ... }: a route of the current module.
class SCR_API CScrRoute : public CScrCurve {
 public:
  explicit CScrRoute(CScriptReader* reader);
  ~CScrRoute() override;
  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;
  CSgRoute* Route() const { return m_route.get(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadRouteName(CScrStream* f, const char*);
  std::unique_ptr<CSgRoute> m_route;
};
