// CScrRepeat: the `repeat` block reader. A repeat plays its body while a counter runs from a
// start to an end value; the reader unrolls it into a plain sequence when the block closes.
// The body is animations (the repeat yields an animation) or acts (it yields action records).
//
//     repeat {
//       counter { i 1 10 1 }          variable, start, end, step (names or literals)
//       property { parallel }          as an animation's
//       animation { ... }              the body: animations, quick commands, calls ...
//       act { ... }                    ... or acts (the repeat then yields records)
//     }
//
// Unrolled in animation mode, i from 1 to 3 gives: i=1, body, i=2, body, i=3, body, i=4.
#pragma once

#include <string>

#include "animation/ScrAnimation.h"
#include "reader/ScrObject.h"

class ActPrm;
class CAnimation;
class CSgVariable;
class CTEventActionEx;

class SCR_API CScrRepeat : public CScrObject {
 public:
  explicit CScrRepeat(CScriptReader* reader);
  ~CScrRepeat() override;  // frees what was not taken

  int Read(CScrStream* f) override;

  // 1 after an `act`: the repeat yields records, not an animation.
  int IsActionMode() const { return m_actionMode; }
  // The repeat's animation (animation mode), handed over; null in action mode.
  CAnimation* TakeAnimation();
  // The repeat's action event, whose records are the unrolled acts (action mode); the repeat
  // keeps it.
  CTEventActionEx* ActionEvent() const { return m_action; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadProperty(CScrStream* f, const char*);
  int ReadCounter(CScrStream* f, const char*);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadAct(CScrStream* f, const char*);
  int ReadQuick(CScrStream* f, const char*);
  int ReadCall(CScrStream* f, const char* kw);

  // Switches to action mode: the body animation is given up (what it held stays filed).
  void EnterActionMode();
  // Start, end or step: a literal becomes a new variable, a name must be a variable.
  CSgVariable* CounterValue(const std::string& text);
  // How many times the body runs; -1 when the counter never reaches past the end (reported).
  long long Iterations(CScrStream* f);
  // An action record setting the counter to `value`.
  void AssignmentRecord(ActPrm& rec, double value) const;
  // A filed animation with one controller (life 0 to 200) whose action sets the counter.
  CAnimation* AssignmentAnimation(double value);
  void UnrollAnimations(long long n);
  void UnrollActions(long long n);

  CAnimation* m_animation = nullptr;
  CTEventActionEx* m_action = nullptr;
  int m_actionMode = 0;
  CScrAnimation::Options m_options;
  // The counter: variable, start, end, step (variables of the module; not owned).
  CSgVariable* m_counter = nullptr;
  CSgVariable* m_start = nullptr;
  CSgVariable* m_end = nullptr;
  CSgVariable* m_step = nullptr;
  bool m_float = false;  // the loop runs in floating point (a float counter)
  long long m_iterations = 0;  // how often the body runs (checked with the counter)
  int m_result = 1;      // 0 once the close found the counter unusable
};
