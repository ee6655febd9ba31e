// Placeholder: the repeat reader is being written.
#include "animation/ScrRepeat.h"

#include "sg/Animation.h"
#include "sg/Event.h"

CScrRepeat::CScrRepeat(CScriptReader* reader) : CScrObject(reader) {}

CScrRepeat::~CScrRepeat() {
  delete m_animation;
  delete m_action;
}

int CScrRepeat::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}

CAnimation* CScrRepeat::TakeAnimation() {
  CAnimation* a = m_animation;
  m_animation = nullptr;
  return a;
}
