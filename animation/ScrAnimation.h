// CScrAnimation: the `animation` block reader.
#pragma once

#include "reader/ScrObject.h"

class CAnimation;

class SCR_API CScrAnimation : public CScrObject {
 public:
  explicit CScrAnimation(CScriptReader* reader);
  ~CScrAnimation() override;

  // Reads one block, its opening brace still unread; non-zero on success. Afterwards the
  // animation exists (created or re-opened) except after the aborting failures.
  int Read(CScrStream* f) override;

  // The animation built or re-opened; null before Read.
  CAnimation* Animation() const { return m_animation; }
  // 1 when Read created the animation (the parent files it), 0 when the block re-opened an
  // existing one or stood for a virtual declaration.
  int IsNew() const { return m_new; }
  // 1 when the block was `declare`d: the parent does not take it as a sub-animation.
  int IsDeclaredOnly() const { return m_declaredOnly; }
  // The animation when it is new (the caller owns it from then on), else null.
  CKvoObject* TakeObject() override;

  // Milliseconds spent reading animations (an outer read counts its nested ones once).
  static long m_totalTick;

 private:
  CAnimation* m_animation = nullptr;
  int m_new = 0;
  int m_declaredOnly = 0;
  bool m_taken = false;
};
