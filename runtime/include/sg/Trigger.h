// Triggers: reactions that watch their conditions while the scene runs and, when they hold,
// play their animations and run their actions (reaction type 13), with a second action for the
// variables they are bound to (type 15).
//
//   CSgTrigger       plain trigger              type code 21
//   CSgCheckTrigger  watches measuring points   type code 53
//   CSgTimerTrigger  fires on an interval       type code 61
//   CSgAnimTrigger   follows another animation  type code 21
//
// The module files all of them among its reactions.
#pragma once

#include <string>
#include <vector>

#include "sg/Control.h"

class CAnimation;
class CSgVariable;

class CSgTrigger : public CSgReaction {
 public:
  // Option word bits.
  enum : DWORD {
    OPT_LOCAL = 0x1,
    OPT_ONCE = 0x2,
    OPT_LISTEN = 0x4,
  };
  // Reaction types of the trigger's animations and actions.
  enum : int { TYPE_FIRE = 13, TYPE_BINDING = 15 };

  explicit CSgTrigger(CSgModule* module, int typeCode = 21);

  void Enable() { m_enabled = 1; }
  void Disable() { m_enabled = 0; }
  int IsEnabled() const { return m_enabled; }
  void SetOptions(DWORD o) { m_options = o; }
  DWORD Options() const { return m_options; }
  void SetIdsString(const char* text) { m_ids = text ? text : ""; }
  const char* IdsString() const { return m_ids.c_str(); }

  const char* KindName() const override { return "CSgTrigger"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_enabled = 1;
  DWORD m_options = 0;
  std::string m_ids;
};

class CSgCheckTrigger : public CSgTrigger {
 public:
  explicit CSgCheckTrigger(CSgModule* module) : CSgTrigger(module, 53) {}
  // A measuring point (a check-coordinate variable, not owned).
  void AddCheckCoord(CSgVariable* point) { m_points.push_back(point); }
  const std::vector<CSgVariable*>& CheckCoords() const { return m_points; }
  const char* KindName() const override { return "CSgCheckTrigger"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<CSgVariable*> m_points;
};

class CSgTimerTrigger : public CSgTrigger {
 public:
  explicit CSgTimerTrigger(CSgModule* module) : CSgTrigger(module, 61) {}
  void SetInterval(int first, int second) {
    m_interval[0] = first;
    m_interval[1] = second;
  }
  int Interval(int i) const { return i == 0 || i == 1 ? m_interval[i] : 0; }
  const char* KindName() const override { return "CSgTimerTrigger"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_interval[2] = {0, 0};
};

class CSgAnimTrigger : public CSgTrigger {
 public:
  explicit CSgAnimTrigger(CSgModule* module) : CSgTrigger(module, 21) {}
  void SetPrevAnimation(CAnimation* a) { m_prev = a; }  // not owned
  CAnimation* PrevAnimation() const { return m_prev; }
  void SetWait(int w) { m_wait = w; }
  int Wait() const { return m_wait; }
  const char* KindName() const override { return "CSgAnimTrigger"; }
  void Describe(CDescriber& d) const override;

 private:
  CAnimation* m_prev = nullptr;
  int m_wait = 0;
};
