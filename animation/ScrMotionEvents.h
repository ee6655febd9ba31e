// The readers of the events that move or change the look of scene nodes over a controller's
// life: rotate, stretch, shift, transparency, mark, line, camera, material and track. The
// controller makes the event (track makes its own) and binds it once the block is read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "animation/ScrController.h"

class CSgCurveComplex;

// rotate { field f  values {angle | point direction angle}  axis x|y|z }
class SCR_API CScrRotate : public CScrTEvent {
 public:
  explicit CScrRotate(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadAxis(CScrStream* f, const char*);
  std::vector<float> m_values;
  int m_axis = -1;  // 0 x, 1 y, 2 z; -1 when no axis word was read
};

// stretch { field f  values {start(3) end(3) [basis(3)]} }
class SCR_API CScrScale : public CScrTEvent {
 public:
  explicit CScrScale(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
};

// shift { field f  values {u0 v0 u1 v1} }: a texture offset from start to end.
class SCR_API CScrShift : public CScrTEvent {
 public:
  explicit CScrShift(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
};

// transparency { field f  fields pattern  button {name b}  values {[from] to}  type to|fadein|fadeout }
class SCR_API CScrTransparency : public CScrTEvent {
 public:
  explicit CScrTransparency(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadFields(CScrStream* f, const char*);
  int ReadButton(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
};

// mark { field f  property {stretch|nostretch}  color {r g b}  size {s}  bitmap b  bitmap_templ t }
class SCR_API CScrMark : public CScrTEvent {
 public:
  explicit CScrMark(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadBitmap(CScrStream* f, const char* kw);
  std::string m_bitmap, m_template;
  bool m_stretch = false;
};

// line { field f  color {r g b}  point {x y z} ...  values {width a b} }
class SCR_API CScrLine : public CScrTEvent {
 public:
  explicit CScrLine(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char*);
  int ReadPoint(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
};

// camera { type to|rotation|around|fov|advance  values {...}  string viewport  field basis }
class SCR_API CScrCamera : public CScrTEvent {
 public:
  explicit CScrCamera(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadType(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadString(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int m_type = 2;
  std::vector<float> m_values;
  std::string m_viewport;
};

// material { type diffuse|ambient|specular|emission|gray  values {rgb | rgb rgb}  field f|expression }
class SCR_API CScrMaterial : public CScrTEvent {
 public:
  explicit CScrMaterial(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadType(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int m_channel = 0;
  std::vector<float> m_values;
};

// track { interpolation step|linear|sline|squad  interval {a b}  field f  fields pattern  curve {...} }
class SCR_API CScrTrack : public CScrTEvent {
 public:
  explicit CScrTrack(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override;

  // What the runtime event does not take: kept here for those who ask.
  int Interpolation() const { return m_interpolation; }
  float IntervalStart() const { return m_interval[0]; }
  float IntervalEnd() const { return m_interval[1]; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadInterpolation(CScrStream* f, const char*);
  int ReadInterval(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadFields(CScrStream* f, const char*);
  int ReadCurve(CScrStream* f, const char*);
  int m_interpolation = 0;  // 0 step, 1 linear, 2 sline, 3 squad
  float m_interval[2] = {0.0f, 1.0f};
};
