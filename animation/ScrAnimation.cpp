// Placeholder: the animation reader is being written.
#include "animation/ScrAnimation.h"

#include "reader/ScriptReader.h"
#include "sg/Animation.h"

long CScrAnimation::m_totalTick = 0;

CScrAnimation::CScrAnimation(CScriptReader* reader) : CScrObject(reader) {}

CScrAnimation::~CScrAnimation() {
  if (m_new && !m_taken) delete m_animation;
}

int CScrAnimation::Read(CScrStream* f) {
  m_animation = new CAnimation();
  m_animation->SetModule(ScriptReader()->CurrentModule());
  m_new = 1;
  SkipBlock(f);
  return 1;
}

CKvoObject* CScrAnimation::TakeObject() {
  if (!m_new || m_taken) return nullptr;
  m_taken = true;
  return m_animation;
}
