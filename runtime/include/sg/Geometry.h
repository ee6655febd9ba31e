// Geometric variables of a module: coordinates, check coordinates, vectors, poles and screws.
//
// Each is a variable (the module files it with its other variables) tied to a scene node by its
// field key. Only what the scene needs to place and check things is kept: the values a script
// gave, the node, and for the screw its axis and turning value.
#pragma once

#include "sg/Variable.h"

// Runtime type codes of the geometric variables; all are filed with the module's variables.
enum : int {
  SGT_COORD = SGT_VARIABLE_18,
  SGT_CHECK_COORD = SGT_VARIABLE_33,
  SGT_VECTOR = SGT_VARIABLE_22,
  SGT_POLE = SGT_VARIABLE_34,
  SGT_SCREW = SGT_VARIABLE_39,
};

// The part every geometric variable shares: the scene node it is tied to.
class CSgFieldVariable : public CSgVariable {
 public:
  CSgFieldVariable(int typeCode, const char* name) : CSgVariable(typeCode, name) {}

  SGKEY FieldKey() const { return m_fieldKey; }
  void SetFieldKey(SGKEY key) { m_fieldKey = key; }

 protected:
  // "field": the node's path while the node exists, else its key (-1 when none).
  void DescribeField(CDescriber& d) const;

 private:
  SGKEY m_fieldKey = SG_NO_KEY;
};

// A position in the frame of its node.
class CSgCoord : public CSgFieldVariable {
 public:
  explicit CSgCoord(const char* name = nullptr) : CSgFieldVariable(SGT_COORD, name) {}

  // Takes values[0..2] as x, y, z.
  void SetCoord(const float* values);
  const float* Coord() const { return m_coord; }

  const char* KindName() const override { return "CSgCoord"; }
  void Describe(CDescriber& d) const override;

 protected:
  CSgCoord(int typeCode, const char* name) : CSgFieldVariable(typeCode, name) {}

 private:
  float m_coord[3] = {0, 0, 0};
};

// A coordinate that a check compares against; it keeps one value more (the fourth the script
// gave), which the check uses as its own setting.
class CSgCheckCoord : public CSgCoord {
 public:
  explicit CSgCheckCoord(const char* name = nullptr) : CSgCoord(SGT_CHECK_COORD, name) {}

  void SetExtraValue(float v) { m_extra = v; }
  float ExtraValue() const { return m_extra; }

  const char* KindName() const override { return "CSgCheckCoord"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_extra = 0;
};

// A direction in the frame of its node.
class CSgVector : public CSgFieldVariable {
 public:
  explicit CSgVector(const char* name = nullptr) : CSgFieldVariable(SGT_VECTOR, name) {}

  // Takes values[0..2].
  void SetVector(const float* values);
  const float* Vector() const { return m_vector; }

  const char* KindName() const override { return "CSgVector"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_vector[3] = {0, 0, 0};
};

// A pole: the segment between two points.
class CSgPole : public CSgFieldVariable {
 public:
  explicit CSgPole(const char* name = nullptr) : CSgFieldVariable(SGT_POLE, name) {}

  // Takes values[0..2] as the first point and values[3..5] as the second.
  void SetPole(const float* values);
  const float* Pole() const { return m_pole; }

  const char* KindName() const override { return "CSgPole"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_pole[6] = {0, 0, 0, 0, 0, 0};
};

// A screw: a node turning about an axis given in world coordinates, with its turning value.
class CSgScrew : public CSgFieldVariable {
 public:
  explicit CSgScrew(const char* name = nullptr) : CSgFieldVariable(SGT_SCREW, name) {}

  void SetAxisWorld(const float axis[3]);
  const float* AxisWorld() const { return m_axis; }
  // Sets the turning value the screw starts from (and returns to when reset).
  void Initialize(float value);
  float Value() const { return m_value; }
  int Initialized() const { return m_initialized; }
  void SetKey(SGKEY key) { SetFieldKey(key); }

  const char* KindName() const override { return "CSgScrew"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_axis[3] = {0, 0, 0};
  float m_value = 0;
  int m_initialized = 0;
};
