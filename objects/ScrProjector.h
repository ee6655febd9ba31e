// Projectors and stencils: blocks that set the graphics library up directly and hand nothing
// to the reader's object list.
//
//     projector { name { p1 } look { 0 0 10  0 0 0  0 1 0 } repeat { 2 2 } blend { 0.5 }
//                 property { projecting } bitmap { wall.bmp } bitmap_templ { wall_mask.bmp } }
//     stencil { field { /scene/panel } position { 0 0 } size { 4 2 } }
#pragma once

#include <string>
#include <vector>

#include "reader/ScrObject.h"

// projector [{] sub-keywords }: at the closing brace the texture (when a bitmap was given) is
// defined and the projector set. Returns the block's result: 0 when a property word was
// invalid or the block ended on a token that is no keyword (the projector is then not set).
class SCR_API CScrProjector : public CScrObject {
 public:
  explicit CScrProjector(CScriptReader* reader) : CScrObject(reader) {}
  int Read(CScrStream* f) override { return ReadBlock(f); }

  // The most numbers a look or repeat list holds.
  static constexpr int kMaxValues = 255;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadLook(CScrStream* f, const char*);
  int ReadRepeat(CScrStream* f, const char*);
  int ReadBlend(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadBitmap(CScrStream* f, const char*);
  int ReadBitmapTempl(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);

  std::string m_name;
  // Position, look-at point and up vector; a projector without `look` stands at the origin
  // looking at it, with a zero up vector (the library then keeps its own up direction).
  float m_look[9] = {};
  float m_repeat[2] = {1, 1};
  float m_blend = 0.7f;
  int m_blendType = 1;
  std::string m_bitmap, m_mask;
};

// stencil { field {...} point {x y} ... | position {cx cy} size {w h} }: a stencil polygon
// inserted into the field. Every point lies at depth -10. Without points the stencil is the
// rectangle of `size` around `position` (the origin when no position is given).
class SCR_API CScrStencil : public CScrObject {
 public:
  explicit CScrStencil(CScriptReader* reader) : CScrObject(reader) {}
  // The first token after the keyword is taken as the opening brace, whatever it is.
  int Read(CScrStream* f) override;

  // The depth of every stencil point.
  static constexpr float kDepth = -10.0f;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  // Other words are passed over silently with their blocks.
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadPoint(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);

  std::string m_field;
  std::vector<float> m_points;  // x, y, z of each point
  float m_size[2] = {0, 0};
  float m_center[2] = {0, 0};
};
