// CScrStep: the reader of a training step.
//
//     step {
//       name { open_valve }  id { 3 }  mark { 10 }
//       field { /scene/valve }  field { /scene/lever }   one control "open_valve_ctrlpt" for both
//       ctrlpt { ... }  knob { ... }  button { ... }  area { ... }  key_map { ... }
//       trigger { ... }                                   watched while the step is on
//       reaction { ... }                                  goes to every control read so far
//     }
//
// A step gathers controls (filed with the module as any control is) and triggers, and files
// itself with the module at its closing brace, its controls and triggers disabled: the runtime
// enables a step when the procedure reaches it.
#pragma once

#include <memory>

#include "reader/ScrObject.h"

class CSgStep;
class COpCtrlPoint;
class CScrCtrlpt;

class CScrStep : public CScrObject {
 public:
  // Makes the runtime step for the current module.
  explicit CScrStep(CScriptReader* reader);
  ~CScrStep() override;

  // 1 when the block was read to its closing brace (the step is then the module's); 0 after a
  // failed control, trigger or reaction (the step is dropped; controls read before stay filed).
  int Read(CScrStream* f) override;
  // The step; null once the module has taken it.
  CSgStep* Step() const { return m_step.get(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  // Other words, `conditions` among them, are passed over with their blocks, silently.
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadMark(CScrStream* f, const char*);
  int ReadControl(CScrStream* f, const char* kw);
  int ReadTrigger(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadReaction(CScrStream* f, const char*);

  std::unique_ptr<CSgStep> m_step;
  COpCtrlPoint* m_fieldCtrl = nullptr;  // the control the `field`s make (the module's)
};
