// Mechanisms: bodies moved by the physics of the scene, wrenches and nuts a learner turns.
//
// Each keeps what its script block gave: scene paths with the node keys they resolved to
// (SG_NO_KEY when the node did not exist when the block was read), number lists, and for a nut
// the variable its turning angle is written to (not owned).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sg/Kvo.h"

class CSgVariable;

// A scene path and the node key it resolved to.
struct SgFieldRef {
  std::string path;
  SGKEY key = SG_NO_KEY;
};

// What bodies, wrenches and nuts share: the field they move and the model kind of a tool.
class CSgMechanism : public CKvoObject {
 public:
  CSgMechanism(int typeCode, CSgModule* module) : CKvoObject(typeCode, nullptr) { SetModule(module); }

  void SetField(const std::string& path, SGKEY key) { m_field = {path, key}; }
  const SgFieldRef& Field() const { return m_field; }
  void Describe(CDescriber& d) const override;

 protected:
  static void DescribeNumbers(CDescriber& d, const char* key, const std::vector<float>& v);

 private:
  SgFieldRef m_field;
};

// body { name field truss initial }: a rigid body, its truss the fields it is built of and its
// initial state a list of numbers (position, then velocity, as the physics takes them).
class CSgBody : public CSgMechanism {
 public:
  explicit CSgBody(CSgModule* module = nullptr) : CSgMechanism(SGT_BODY, module) {}
  void AddTruss(const std::string& path, SGKEY key) { m_truss.push_back({path, key}); }
  const std::vector<SgFieldRef>& Truss() const { return m_truss; }
  void SetInitial(std::vector<float> v) { m_initial = std::move(v); }
  const std::vector<float>& Initial() const { return m_initial; }
  const char* KindName() const override { return "CSgBody"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<SgFieldRef> m_truss;
  std::vector<float> m_initial;
};

// What wrenches and nuts share: the turning axis and the tool's model type.
class CSgTurnable : public CSgMechanism {
 public:
  using CSgMechanism::CSgMechanism;
  void SetAxis(const float v[3]) { for (int i = 0; i < 3; ++i) m_axis[i] = v[i]; }
  const float* Axis() const { return m_axis; }
  void SetModelType(const std::string& t) { m_modelType = t; }
  const std::string& ModelType() const { return m_modelType; }
  void Describe(CDescriber& d) const override;

 private:
  float m_axis[3] = {0, 0, 1};
  std::string m_modelType;
};

// wrench { name axis point field modeltype maxdistance subforward subleft }: a tool turned about
// its axis through its point; it takes hold of a nut within maxdistance, set off from the nut by
// subforward along the axis and subleft across it.
class CSgWrench : public CSgTurnable {
 public:
  explicit CSgWrench(CSgModule* module = nullptr) : CSgTurnable(SGT_WRENCH, module) {}
  void SetPoint(const float v[3]) { for (int i = 0; i < 3; ++i) m_point[i] = v[i]; }
  const float* Point() const { return m_point; }
  void SetMaxDistance(float v) { m_maxDistance = v; }
  float MaxDistance() const { return m_maxDistance; }
  void SetSubForward(float v) { m_subForward = v; }
  float SubForward() const { return m_subForward; }
  void SetSubLeft(float v) { m_subLeft = v; }
  float SubLeft() const { return m_subLeft; }
  const char* KindName() const override { return "CSgWrench"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_point[3] = {0, 0, 0};
  float m_maxDistance = 0;
  float m_subForward = 0;
  float m_subLeft = 0;
};

// nut { name axis force field modeltype anglevar dial }: a nut turned about its axis against
// the force list (the torques it takes to turn); its angle goes to anglevar, and dial holds the
// angles it stops at.
class CSgNut : public CSgTurnable {
 public:
  explicit CSgNut(CSgModule* module = nullptr) : CSgTurnable(SGT_NUT, module) {}
  void SetForce(std::vector<float> v) { m_force = std::move(v); }
  const std::vector<float>& Force() const { return m_force; }
  void SetAngleVariable(CSgVariable* v) { m_angleVar = v; }
  CSgVariable* AngleVariable() const { return m_angleVar; }
  void SetDial(std::vector<float> v) { m_dial = std::move(v); }
  const std::vector<float>& Dial() const { return m_dial; }
  const char* KindName() const override { return "CSgNut"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<float> m_force;
  CSgVariable* m_angleVar = nullptr;  // not owned: a variable of the module or beyond it
  std::vector<float> m_dial;
};
