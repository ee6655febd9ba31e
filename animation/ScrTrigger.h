// CScrTrigger reads `trigger`, `check_trigger`, `timer` and `anim_trigger` (by mode); CScrTick
// reads `tick`, an action run on every tick of an animation or of the module.
#pragma once

#include <string>

#include "reader/ScrObject.h"

class CAnimation;
class CSgTrigger;
class CTEventActionEx;

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

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadCheckCoord(CScrStream* f, const char*);
  int ReadConditions(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadInterval(CScrStream* f, const char*);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadAction(CScrStream* f, const char*);
  int ReadQuick(CScrStream* f, const char*);
  void Bind(const std::string& conditions);

  int m_mode;
  CSgTrigger* m_trigger;
  std::string m_ids;
};

class SCR_API CScrTick : public CScrObject {
 public:
  explicit CScrTick(CScriptReader* reader);
  ~CScrTick() override;  // frees an action not handed on
  int Read(CScrStream* f) override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  CAnimation* m_animation = nullptr;  // not owned
  CTEventActionEx* m_action = nullptr;
  bool m_pushed = false;
  int m_result = 1;
};

// The program text that binds a trigger to the variables its conditions hand to a list or lock
// call; "" when the conditions make none.
SCR_API std::string ScrTriggerBindingProgram(const char* triggerName, const std::string& conditions);
