// CScrQuick: a quick command, a one-string shorthand ("showfield: /scene/valve") expanded into
// a small complete animation.
#pragma once

#include <list>

#include "reader/ScrObject.h"

class CAnimation;
class CTEvent;
class CTEventActionEx;
class CTEventController;

class SCR_API CScrQuick : public CScrObject {
 public:
  explicit CScrQuick(CScriptReader* reader);
  ~CScrQuick() override;  // frees the objects still held

  int Read(CScrStream* f) override;

  // The runtime objects built, each once; the caller takes them by moving them out.
  std::list<CKvoObject*>& Objects() { return m_objects; }

 private:
  CTEventController* AddStep(CAnimation* anim, float start, float end, CTEvent* event);
  CTEventActionEx* AddActionStep(CAnimation* anim, float start, float end);

  std::list<CKvoObject*> m_objects;
};
