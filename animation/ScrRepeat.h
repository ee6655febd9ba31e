// CScrRepeat: the `repeat` block reader. A repeat plays its body while a counter runs from a
// start to an end value; the reader unrolls it into a plain sequence when the block closes.
// The body is animations (the repeat yields an animation) or acts (it yields action records).
#pragma once

#include "reader/ScrObject.h"

class CAnimation;
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

 private:
  CAnimation* m_animation = nullptr;
  CTEventActionEx* m_action = nullptr;
  int m_actionMode = 0;
};
