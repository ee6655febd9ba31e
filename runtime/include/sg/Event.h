// Timed events: CTEventController, which gives a group of events their life on an animation's
// time axis, and the CTEvent kinds that change one thing in the scene over that life.
//
// Every event keeps what it was given in named slots (numbers, integers, texts, node keys), so
// that one Describe prints every kind and the dumps and the timeline never need a switch over
// kinds. The named setters below are what the readers call; each fills its slot.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "sg/Action.h"
#include "sg/Kvo.h"

class CTEventController;
class CSgConditions;
class CSgProgram;
class CSgVariable;
class CSgCurveComplex;
class CAnimation;

class CTEvent : public CKvoObject {
 public:
  // kind: the script word of the event ("rotate", "track", "action", ...), shown in the dumps.
  CTEvent(CSgModule* module, const char* kind);
  ~CTEvent() override;

  const char* EventKind() const { return m_kind; }

  // The node the event acts on (SG_NO_KEY when none).
  void SetKey(SGKEY key) { m_key = key; }
  SGKEY Key() const { return m_key; }
  // Further nodes, in the order added.
  void AddKey(SGKEY key) { m_keys.push_back(key); }
  const std::vector<SGKEY>& Keys() const { return m_keys; }

  // Binds the event to its controller, which owns it from then on. An event bound already is
  // moved to the new controller; null unbinds (the caller owns it again).
  void SetController(CTEventController* controller);
  CTEventController* Controller() const { return m_controller; }

  // --- named slots ---
  void SetValues(const char* slot, const float* values, int n);
  void SetValues(const char* slot, std::initializer_list<float> values);
  // The numbers of a slot; an empty list when the slot was never set.
  const std::vector<float>& Values(const char* slot) const;
  void SetInt(const char* slot, long long value);
  long long Int(const char* slot, long long otherwise = 0) const;
  bool HasInt(const char* slot) const;
  void SetText(const char* slot, const char* text);  // null sets ""
  const char* Text(const char* slot) const;          // "" when never set

  const char* KindName() const override { return "CTEvent"; }
  void Describe(CDescriber& d) const override;

 private:
  friend class CTEventController;
  template <class V>
  struct Slot {
    std::string name;
    V value;
  };
  const char* m_kind;
  SGKEY m_key = SG_NO_KEY;
  std::vector<SGKEY> m_keys;
  CTEventController* m_controller = nullptr;
  std::vector<Slot<std::vector<float>>> m_values;
  std::vector<Slot<long long>> m_ints;
  std::vector<Slot<std::string>> m_texts;
};

// A group of events with one life (start and end on the animation's time axis) and a speed.
class CTEventController : public CKvoObject {
 public:
  CTEventController();
  ~CTEventController() override;

  void SetLife(float start, float end) {
    m_lifeStart = start;
    m_lifeEnd = end;
    m_lifeSet = true;
  }
  float LifeStart() const { return m_lifeStart; }
  float LifeEnd() const { return m_lifeEnd; }
  bool LifeSet() const { return m_lifeSet; }
  void SetSpeed(float speed) { m_speed = speed; }
  float Speed() const { return m_speed; }

  // The events bound to this controller (CTEvent::SetController), in the order bound.
  int EventCount() const { return (int)m_events.size(); }
  CTEvent* Event(int i) const { return i >= 0 && i < EventCount() ? m_events[(size_t)i].get() : nullptr; }

  const char* KindName() const override { return "CTEventController"; }
  void Describe(CDescriber& d) const override;

 private:
  friend class CTEvent;
  void Adopt(CTEvent* e);
  CTEvent* Release(CTEvent* e);
  float m_lifeStart = 0, m_lifeEnd = 0;
  bool m_lifeSet = false;
  float m_speed = 1.0f;
  std::vector<std::unique_ptr<CTEvent>> m_events;
};

// ---------------------------------------------------------------- motion and appearance

class CTEventRotation : public CTEvent {
 public:
  explicit CTEventRotation(CSgModule* m) : CTEvent(m, "rotate") {}
  // A point and a direction (six numbers); the flag is kept with them.
  void SetAxis(const float* pointAndDirection, int flag) {
    SetValues("axis", pointAndDirection, 6);
    SetInt("axisFlag", flag);
  }
  void SetRotationAngle(float a) { SetValues("angle", {a}); }
  const char* KindName() const override { return "CTEventRotation"; }
};

class CTEventScale : public CTEvent {
 public:
  explicit CTEventScale(CSgModule* m) : CTEvent(m, "stretch") {}
  void SetStart(float x, float y, float z) { SetValues("start", {x, y, z}); }
  void SetEnd(float x, float y, float z) { SetValues("end", {x, y, z}); }
  void SetBasis(float x, float y, float z) { SetValues("basis", {x, y, z}); }
  const char* KindName() const override { return "CTEventScale"; }
};

class CTEventTextureMove : public CTEvent {
 public:
  explicit CTEventTextureMove(CSgModule* m) : CTEvent(m, "shift") {}
  void SetStart(float u, float v) { SetValues("start", {u, v}); }
  void SetEnd(float u, float v) { SetValues("end", {u, v}); }
  const char* KindName() const override { return "CTEventTextureMove"; }
};

class CTEventTransparent : public CTEvent {
 public:
  explicit CTEventTransparent(CSgModule* m) : CTEvent(m, "transparency") {}
  void SetTransparent(float from, float to) { SetValues("transparent", {from, to}); }
  void SetChangeTo(int v) { SetInt("changeTo", v); }
  void SetFade(int v) { SetInt("fade", v); }  // 0 none, 1 fade in, 2 fade out
  const char* KindName() const override { return "CTEventTransparent"; }
};

class CTEventMark : public CTEvent {
 public:
  explicit CTEventMark(CSgModule* m) : CTEvent(m, "mark") {}
  void SetColor(float r, float g, float b) { SetValues("color", {r, g, b}); }
  void SetSize(float s) { SetValues("size", {s}); }
  void SetImageFile(const char* bitmap, const char* templ) {
    SetText("bitmap", bitmap);
    SetText("template", templ);
  }
  void SetOption(int option) { SetInt("option", option); }  // 1: stretch
  const char* KindName() const override { return "CTEventMark"; }
};

class CTEventLine : public CTEvent {
 public:
  explicit CTEventLine(CSgModule* m) : CTEvent(m, "line") {}
  void SetLineColor(float r, float g, float b) { SetValues("color", {r, g, b}); }
  // One point per call; its numbers as given.
  void AddPoint(const float* values, int n);
  int PointCount() const { return (int)Int("points"); }
  void SetLineParam(float width, int a, int b, int c, int d, int e) { SetValues("param", {width, (float)a, (float)b, (float)c, (float)d, (float)e}); }
  const char* KindName() const override { return "CTEventLine"; }
};

class CTEventCamera : public CTEvent {
 public:
  explicit CTEventCamera(CSgModule* m) : CTEvent(m, "camera") {}
  void SetVportName(const char* name) { SetText("viewport", name); }
  void SetCameraType(int type) { SetInt("cameraType", type); }
  int CameraType() const { return (int)Int("cameraType", 2); }
  void SetBasisKey(SGKEY key) { SetInt("basisKey", key); }
  // Position, target and up vector: three points of three numbers.
  void SetNewCamera(const float* nine) { SetValues("newCamera", nine, 9); }
  void SetOldCamera(const float* nine) { SetValues("oldCamera", nine, 9); }
  void SetRotation(float a, float b, float c) { SetValues("rotation", {a, b, c}); }
  void SetRotationAround(const float* six, float angle, float extra) {
    SetValues("around", six, 6);
    SetValues("aroundAngle", {angle, extra});
  }
  void SetFov(float fov) { SetValues("fov", {fov}); }
  void SetAdvance(float distance) { SetValues("advance", {distance}); }
  void SetAdvanceVector(float x, float y, float z) { SetValues("advanceVector", {x, y, z}); }
  const char* KindName() const override { return "CTEventCamera"; }
};

class CTEventColor : public CTEvent {
 public:
  CTEventColor(CSgModule* m, int colorType) : CTEvent(m, "material") { SetInt("colorType", colorType); }
  // 0 diffuse, 1 ambient, 2 specular, 3 emission, 4 gray.
  void SetChannel(int channel) { SetInt("channel", channel); }
  void SetStartColor(float r, float g, float b) { SetValues("startColor", {r, g, b}); }
  void SetEndColor(float r, float g, float b) { SetValues("endColor", {r, g, b}); }
  // A node computed at run time: the records that compute it and the variable holding it.
  void AddAction(const ActPrm& record) { m_actions.push_back(record); }
  const std::vector<ActPrm>& Actions() const { return m_actions; }
  void SetFieldVar(CSgVariable* var) { m_fieldVar = var; }
  CSgVariable* FieldVar() const { return m_fieldVar; }
  const char* KindName() const override { return "CTEventColor"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<ActPrm> m_actions;
  CSgVariable* m_fieldVar = nullptr;
};

class CTEventTrackEx : public CTEvent {
 public:
  explicit CTEventTrackEx(CSgModule* m);
  ~CTEventTrackEx() override;
  void AddKey(SGKEY key, int flag = 1) {
    CTEvent::AddKey(key);
    m_keyFlags.push_back(flag);
  }
  const std::vector<int>& KeyFlags() const { return m_keyFlags; }
  void SetFromStart(int v) { SetInt("fromStart", v); }
  // Takes ownership of the curve; a later call replaces (and frees) an earlier one.
  void SetCurve(CSgCurveComplex* curve);
  CSgCurveComplex* Curve() const { return m_curve.get(); }
  // Notes the start position of the nodes (the number of nodes placed, for the dumps).
  void CalcInitialPos() { SetInt("initialPositions", (long long)Keys().size()); }
  const char* KindName() const override { return "CTEventTrackEx"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<int> m_keyFlags;
  std::unique_ptr<CSgCurveComplex> m_curve;
};

// ---------------------------------------------------------------- programs, media, effects

class CTEventProgram : public CTEvent {
 public:
  explicit CTEventProgram(CSgModule* m) : CTEvent(m, "program") {}
  void SetProgram(CSgProgram* p) { m_program = p; }  // not owned (the module keeps it)
  CSgProgram* Program() const { return m_program; }
  const char* KindName() const override { return "CTEventProgram"; }
  void Describe(CDescriber& d) const override;

 private:
  CSgProgram* m_program = nullptr;
};

class CTEventSound : public CTEvent {
 public:
  explicit CTEventSound(CSgModule* m) : CTEvent(m, "sound") {}
  void SetSound(const char* file) { SetText("wave", file); }
  void SetPlayOption(int option) { SetInt("playOption", option); }
  void SetVolume(float v) { SetValues("volume", {v}); }
  const char* KindName() const override { return "CTEventSound"; }
};

class CTEventBeam : public CTEvent {
 public:
  explicit CTEventBeam(CSgModule* m) : CTEvent(m, "beam") {}
  void SetLightIndex(int i) { SetInt("lightIndex", i); }
  void SetPosition(const float* from, const float* to) { SetFromTo("position", from, to); }
  void SetPositionTo(const float* to) { SetValues("positionTo", to, 3); }
  void SetDiffuse(const float* from, const float* to) { SetFromTo("diffuse", from, to); }
  void SetAmbient(const float* from, const float* to) { SetFromTo("ambient", from, to); }
  void SetSpecular(const float* from, const float* to) { SetFromTo("specular", from, to); }
  void SetDiffuseTo(const float* to) { SetValues("diffuseTo", to, 3); }
  void SetAmbientTo(const float* to) { SetValues("ambientTo", to, 3); }
  void SetSpecularTo(const float* to) { SetValues("specularTo", to, 3); }
  const char* KindName() const override { return "CTEventBeam"; }

 private:
  void SetFromTo(const char* slot, const float* from, const float* to) {
    SetValues(slot, {from[0], from[1], from[2], to[0], to[1], to[2]});
  }
};

class CTEventCutPlane : public CTEvent {
 public:
  explicit CTEventCutPlane(CSgModule* m) : CTEvent(m, "cut_plane") {}
  void SetBasis(const float* two3dPoints) { SetValues("basis", two3dPoints, 6); }
  void SetNormal(float x, float y, float z) { SetValues("normal", {x, y, z}); }
  const char* KindName() const override { return "CTEventCutPlane"; }
};

class CTEventPrinter : public CTEvent {
 public:
  explicit CTEventPrinter(CSgModule* m) : CTEvent(m, "printer") {}
  const char* KindName() const override { return "CTEventPrinter"; }
};

class CTEventPrinterEdit : public CTEvent {
 public:
  explicit CTEventPrinterEdit(CSgModule* m) : CTEvent(m, "printeredit") {}
  void SetEditName(const char* name) { SetText("edit", name); }
  const char* KindName() const override { return "CTEventPrinterEdit"; }
};

// A numbered image sequence played as a texture on a node ("3d" form).
class CTEventTextureChange : public CTEvent {
 public:
  explicit CTEventTextureChange(CSgModule* m) : CTEvent(m, "avi") {}
  void SetTransparency(float t) { SetValues("transparency", {t}); }
  void SetPath(const char* path) { SetText("path", path); }
  void SetCount(int count, int second) { SetValues("count", {(float)count, (float)second}); }
  void LoadImageData() { SetInt("loaded", 1); }
  const char* KindName() const override { return "CTEventTextureChange"; }
};

// A numbered image sequence shown as images under a node ("2d" form).
class CTEventAvi : public CTEvent {
 public:
  explicit CTEventAvi(CSgModule* m) : CTEvent(m, "avi") {}
  void SetImageFilePath(const char* path) { SetText("path", path); }
  void LoadImageFile() { SetInt("loaded", 1); }
  const char* KindName() const override { return "CTEventAvi"; }
};

// Events whose settings are kept as read: the particle system and the soft surface. Each
// property is the path of sub-keywords that led to it ("emitter/rate") and its value words.
class CTEventProperties : public CTEvent {
 public:
  CTEventProperties(CSgModule* m, const char* kind) : CTEvent(m, kind) {}
  void AddProperty(const char* path, const char* value) { m_props.push_back({path ? path : "", value ? value : ""}); }
  struct Property {
    std::string path, value;
  };
  const std::vector<Property>& Properties() const { return m_props; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<Property> m_props;
};

class CTEventParticle : public CTEventProperties {
 public:
  explicit CTEventParticle(CSgModule* m) : CTEventProperties(m, "particle") {}
  const char* KindName() const override { return "CTEventParticle"; }
};

class CTEventSoft : public CTEventProperties {
 public:
  explicit CTEventSoft(CSgModule* m) : CTEventProperties(m, "soft") {}
  const char* KindName() const override { return "CTEventSoft"; }
};

// ---------------------------------------------------------------- actions

// An action event: records (ActPrm) run in order when the controller reaches it, under its
// conditions. The records are copies owned by the event.
class CTEventActionEx : public CTEvent {
 public:
  explicit CTEventActionEx(CSgModule* m) : CTEvent(m, "action") {}
  void AddAction(const ActPrm& record) { m_actions.push_back(record); }
  // Copies every record of the list (the list keeps its own).
  void AddActions(const std::list<ActPrm*>& records);
  const std::vector<ActPrm>& Actions() const { return m_actions; }
  int ActionCount() const { return (int)m_actions.size(); }
  void SetNecessary(int v) { m_necessary = v; }
  int Necessary() const { return m_necessary; }
  // Not owned (conditions belong to their module).
  void SetConditions(CSgConditions* c) { m_conditions = c; }
  CSgConditions* Conditions() const { return m_conditions; }
  void SetInterval(unsigned ms) { SetInt("interval", ms); }
  unsigned Interval() const { return (unsigned)Int("interval"); }
  const char* KindName() const override { return "CTEventActionEx"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<ActPrm> m_actions;
  int m_necessary = 0;
  CSgConditions* m_conditions = nullptr;
};

// One action record as a line of text: its type by name and number, and the slots that are set.
std::string SgActionText(const ActPrm& a);

// Keeps a value of a runtime object in step with a variable (an action's interval, ...).
class CVariableLink : public CKvoObject {
 public:
  explicit CVariableLink(int kind) : CKvoObject(0, nullptr), m_kind(kind) {}
  int Kind() const { return m_kind; }
  void SetVariable(CSgVariable* v) { m_var = v; }  // not owned
  CSgVariable* Variable() const { return m_var; }
  void SetTarget(CKvoObject* target) { m_target = target; }  // not owned
  CKvoObject* Target() const { return m_target; }
  // What names the target, as bytes (see the action reader).
  void SetRefData(const void* data, int size);
  const std::string& RefData() const { return m_ref; }
  const char* KindName() const override { return "CVariableLink"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_kind;
  CSgVariable* m_var = nullptr;
  CKvoObject* m_target = nullptr;
  std::string m_ref;
};
