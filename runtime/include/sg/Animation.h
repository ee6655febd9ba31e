// CAnimation: an animation of a module (runtime type code SGT_ANIMATION).
//
// A playable unit on a time axis: controllers (each a group of timed events with a life),
// sub-animations played one after another (serial) or side by side (parallel), an initial
// program, start conditions and playing options. An animation can also stand for another one,
// played as it is or reversed (its reference name). The animation readers fill it from
// scripts; an animation file fills it through ImportAnimFile (sg/Loaders.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sg/Kvo.h"

class CTEventController;
class CTEventActionEx;
class CSgConditions;
class CSgProgram;
class CSgVariable;

class CAnimation : public CKvoObject {
 public:
  // Flag word bits.
  enum : DWORD {
    FLAG_VIRTUAL = 0x40,
    FLAG_CONSTANT = 0x200,
    FLAG_EXPORT = 0x1000,
  };
  // Option bits.
  enum : DWORD {
    OPTION_SWITCH = 0x80000,
    OPTION_SIGNAL = 0x100000,
  };
  enum : int { PLAY_SERIAL = 0, PLAY_PARALLEL = 1 };

  explicit CAnimation(const char* name = nullptr);
  ~CAnimation() override;

  // The file the animation was imported from ("" when a script declared it), with the frame
  // rate and start time the import was asked for.
  void SetSourceFile(const char* path, int frameRate, double start);
  const char* SourceFile() const { return m_source.c_str(); }
  int FrameRate() const { return m_frameRate; }
  double StartTime() const { return m_start; }

  void SetIdsString(const char* text) { m_ids = text ? text : ""; }
  const char* IdsString() const { return m_ids.c_str(); }

  // Controllers are owned; sub-animations are not (they live in their module).
  void AddController(CTEventController* controller);
  int ControllerCount() const { return (int)m_controllers.size(); }
  CTEventController* Controller(int i) const;
  void AddSubAnimation(CAnimation* sub);  // null is ignored
  int SubAnimationCount() const { return (int)m_subs.size(); }
  CAnimation* SubAnimation(int i) const { return i >= 0 && i < SubAnimationCount() ? m_subs[(size_t)i] : nullptr; }

  // Not owned: conditions and programs belong to their module.
  void SetConditions(CSgConditions* c) { m_conditions = c; }
  CSgConditions* Conditions() const { return m_conditions; }
  void SetInitProgram(CSgProgram* p) { m_initProgram = p; }
  CSgProgram* InitProgram() const { return m_initProgram; }
  // The action run on every tick while the animation plays (owned by the module).
  void SetTickAction(CTEventActionEx* a) { m_tickAction = a; }
  CTEventActionEx* TickAction() const { return m_tickAction; }

  // --- standing for another animation ---
  void SetReferenceName(const char* fullName) { m_reference = fullName ? fullName : ""; }
  const char* ReferenceName() const { return m_reference.c_str(); }
  // "old,new": texts replaced in the referenced animation's names.
  void SetReplaceString(const char* text) { m_replace = text ? text : ""; }
  const char* ReplaceString() const { return m_replace.c_str(); }
  void AdjustToTime(float t) {
    m_adjustTime = t;
    m_adjusted = true;
  }
  bool Adjusted() const { return m_adjusted; }
  float AdjustTime() const { return m_adjustTime; }
  // Makes this animation play `body` (by its full name).
  void ReferenceFrom(const CAnimation* body);

  // --- playing options ---
  void SetReverse(int reverse, int) { m_reverse = reverse; }
  int Reverse() const { return m_reverse; }
  void SetSpeedFactor(float f, int) { m_speed = f; }
  float SpeedFactor() const { return m_speed; }
  void SetContinuousPlay(int v) { m_continuous = v; }
  int ContinuousPlay() const { return m_continuous; }
  int m_playMode = PLAY_SERIAL;
  int m_group = 0;
  CSgVariable* m_from = nullptr;  // not owned
  CSgVariable* m_to = nullptr;
  DWORD m_flags = 0;
  void SetOption(DWORD bits) { m_options |= bits; }
  void ResetOption(DWORD bits) { m_options &= ~bits; }
  DWORD Options() const { return m_options; }
  bool IsVirtual() const { return (m_flags & FLAG_VIRTUAL) != 0; }
  // The implementation of a virtual animation points to its declaration (not owned).
  CAnimation* m_virtualDecl = nullptr;

  // The name as written from `module`: the plain name inside the animation's own module,
  // else the module path, ':' and the name.
  std::string GetFullName(const CSgModule* module) const;

  const char* KindName() const override { return "CAnimation"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_source;
  int m_frameRate = 0;
  double m_start = 0;
  std::string m_ids;
  std::vector<std::unique_ptr<CTEventController>> m_controllers;
  std::vector<CAnimation*> m_subs;
  CSgConditions* m_conditions = nullptr;
  CSgProgram* m_initProgram = nullptr;
  CTEventActionEx* m_tickAction = nullptr;
  std::string m_reference, m_replace;
  float m_adjustTime = 0;
  bool m_adjusted = false;
  int m_reverse = 0;
  float m_speed = 1.0f;
  int m_continuous = 0;
  DWORD m_options = 0;
};
