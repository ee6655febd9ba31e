// Scene objects that set up how a scene behaves and looks: value generators that drive a
// variable over time, textures the model can use, message handlers, and the sky dome.
#pragma once

#include <memory>
#include <string>

#include "sg/Kvo.h"

class CSgVariable;

// A dynamic object that drives a variable with values produced over time: a linear ramp, a sine
// wave or a single run, between two bounds and over a period. Until a script says otherwise a
// generator is linear, runs once per start (not continuous), moves between 0 and 1, starts at 0
// and takes 1000 ms for one cycle.
class CGenerator : public CKvoObject {
 public:
  enum : int { TYPE_LINEAR = 1, TYPE_SIN = 2, TYPE_ONCE = 3 };

  explicit CGenerator(CSgModule* module);

  int Type() const { return m_type; }
  void SetType(int type) { m_type = type; }
  int Continuous() const { return m_continuous; }
  void SetContinuous(int v) { m_continuous = v; }
  float Low() const { return m_range[0]; }
  float High() const { return m_range[1]; }
  void SetRange(float lo, float hi) {
    m_range[0] = lo;
    m_range[1] = hi;
  }
  float InitialValue() const { return m_initial; }
  void SetInitialValue(float v) { m_initial = v; }
  float Period() const { return m_period; }
  void SetPeriod(float ms) { m_period = ms; }
  // The variable that receives the values (not owned: it belongs to its module).
  CSgVariable* ValueVariable() const { return m_variable; }
  void SetValueVariable(CSgVariable* v) { m_variable = v; }

  const char* KindName() const override { return "CGenerator"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_type = TYPE_LINEAR;
  int m_continuous = 0;
  float m_range[2] = {0, 1};
  float m_initial = 0;
  float m_period = 1000;
  CSgVariable* m_variable = nullptr;
};

// A texture: an image file (and a mask file) with two pixel values and a blend mode. It exists in
// the module from the start; CreateTextureInModel puts it into the model, which a disabled
// texture never is.
class CSgTexture : public CKvoObject {
 public:
  enum : int { BLEND_MODULATE = 0, BLEND_OTHER = 1 };

  explicit CSgTexture(CSgModule* module);

  const std::string& FileName() const { return m_file; }
  void SetFileName(const char* file) { m_file = file ? file : ""; }
  const std::string& MaskFileName() const { return m_mask; }
  void SetMaskFileName(const char* file) { m_mask = file ? file : ""; }
  int Pixel(int i) const { return i >= 0 && i < 2 ? m_pixel[i] : 0; }
  void SetPixel(int i, int v) {
    if (i >= 0 && i < 2) m_pixel[i] = v;
  }
  int BlendMode() const { return m_blend; }
  void SetBlendMode(int mode) { m_blend = mode; }
  int Disabled() const { return m_disabled; }
  void SetDisabled(int v) { m_disabled = v; }

  // Puts the texture into the model (once; a disabled texture stays out). 1 when it is there.
  int CreateTextureInModel();
  int CreatedInModel() const { return m_created; }

  const char* KindName() const override { return "CSgTexture"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_file, m_mask;
  int m_pixel[2] = {0, 0};
  int m_blend = BLEND_MODULATE;
  int m_disabled = 0;
  int m_created = 0;
};

// What the scene does when a numbered message arrives: play an animation, run an action, and
// store the message's parameter in a variable. The class keeps the largest identifier any handler
// was given, so that a host can size its tables.
class CSgMsg : public CKvoObject {
 public:
  explicit CSgMsg(CSgModule* module);
  ~CSgMsg() override;

  unsigned Id() const { return m_id; }
  void SetId(unsigned id) { m_id = id; }
  // The animation to play (not owned: the module files it).
  CKvoObject* Animation() const { return m_animation; }
  void SetAnimation(CKvoObject* a) { m_animation = a; }
  // The variable that receives the parameter (not owned); null when none.
  CSgVariable* ParamVariable() const { return m_param; }
  void SetParamVariable(CSgVariable* v) { m_param = v; }
  // The action to run: owned, an earlier one is freed.
  CKvoObject* Action() const { return m_action.get(); }
  void SetAction(CKvoObject* action) { m_action.reset(action); }

  // The largest identifier seen so far, over all handlers.
  static unsigned MaxId() { return m_maxID; }
  static void RaiseMaxId(unsigned id) {
    if (id > m_maxID) m_maxID = id;
  }
  static void ResetMaxId() { m_maxID = 0; }  // a fresh start (a new scene, a test)

  const char* KindName() const override { return "CSgMsg"; }
  void Describe(CDescriber& d) const override;

  // The largest identifier (compiled code posts it when an `asyn` call completes).
  static unsigned m_maxID;

 private:
  unsigned m_id = 0;
  CKvoObject* m_animation = nullptr;
  CSgVariable* m_param = nullptr;
  std::unique_ptr<CKvoObject> m_action;
};

// A sky dome around the scene node of `field` ("" or "/" for the whole scene): its image, its
// center, its radius and five texture parameters. The scene keeps it as contents of that node,
// created when missing: "sky" (the image), "sky position" ("x y z"), "sky radius" and
// "sky texture" (the five parameters), so every dump of the scene shows it. A second sky on the
// same node replaces the first. The current field is left as it was. Returns the node's key.
SGKEY KVOCreateSky(const char* field, const char* bitmap, const float pos[3], float radius,
                   const float texParams[5]);
