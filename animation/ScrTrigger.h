// CScrTrigger reads `trigger`, `check_trigger`, `timer` and `anim_trigger` (by mode); CScrTick
// reads `tick`, an action run on every tick of an animation or of the module.
#pragma once

#include "reader/ScrObject.h"

class CSgTrigger;

class SCR_API CScrTrigger : public CScrObject {
 public:
  // Modes: 0 plain (and any other value), 1 check trigger, 2 timer, 3 animation trigger.
  // The trigger is created here, in the current module.
  CScrTrigger(CScriptReader* reader, int mode);
  ~CScrTrigger() override;  // frees the trigger when it was not taken

  int Read(CScrStream* f) override;

  CSgTrigger* Trigger() const { return m_trigger; }
  int Mode() const { return m_mode; }
  // The trigger (the caller owns it from then on).
  CKvoObject* TakeObject() override;

 private:
  int m_mode;
  CSgTrigger* m_trigger;
};

class SCR_API CScrTick : public CScrObject {
 public:
  explicit CScrTick(CScriptReader* reader);
  int Read(CScrStream* f) override;
};
