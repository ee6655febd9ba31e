// The step reader.
#include "procedures/ScrStep.h"

#include <string>

#include "animation/ScrTrigger.h"
#include "elements/ScrButton.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrEdit.h"
#include "elements/ScrKnob.h"
#include "elements/ScrReaction.h"
#include "lexer/ScrLex.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Procedure.h"
#include "sg/Trigger.h"

CScrStep::CScrStep(CScriptReader* reader)
    : CScrObject(reader), m_step(std::make_unique<CSgStep>(reader->CurrentModule())) {}

CScrStep::~CScrStep() = default;

// step [{] sub-keyword ... }: a failed nested reader stops the block at once.
int CScrStep::Read(CScrStream* f) { return ReadBlock(f); }

int CScrStep::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrStep> kSubs = {
      {"name", &CScrStep::ReadName},         {"id", &CScrStep::ReadId},
      {"mark", &CScrStep::ReadMark},         {"ctrlpt", &CScrStep::ReadControl},
      {"knob", &CScrStep::ReadControl},      {"button", &CScrStep::ReadControl},
      {"area", &CScrStep::ReadControl},      {"key_map", &CScrStep::ReadControl},
      {"keymap", &CScrStep::ReadControl},    {"trigger", &CScrStep::ReadTrigger},
      {"field", &CScrStep::ReadField},       {"enable", &CScrStep::ReadEnable},
      {"reaction", &CScrStep::ReadReaction},
  };
  return kSubs.Dispatch(this, f, kw);
}

// A word the step does not know is dropped with its block: a `conditions { ... }` (the keyword
// table lists it for steps, but a step has no conditions of its own) is passed over whole, so
// that its braces cannot end the step early.
int CScrStep::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrStep::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_step->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

int CScrStep::ReadId(CScrStream* f, const char*) {
  int id = m_step->Id();
  ReadValueNumbers(f, &id, 1);
  m_step->SetId(id);
  return SCR_SUB_OK;
}

int CScrStep::ReadMark(CScrStream* f, const char*) {
  float mark = m_step->Mark();
  ReadValueNumbers(f, &mark, 1);
  m_step->SetMark(mark);
  return SCR_SUB_OK;
}

// ctrlpt, knob, button, area, key_map: the control is filed with the module as at the top
// level and held by the step. A control whose `name` bound it to an existing one is held as it
// is (the module has it already). A failed block drops the control it made and the step.
int CScrStep::ReadControl(CScrStream* f, const char* kw) {
  CScriptReader* reader = ScriptReader();
  const std::string word = kw;
  std::unique_ptr<CScrCtrlpt> r;
  if (word == "knob") r = std::make_unique<CScrKnob>(reader);
  else if (word == "button") r = std::make_unique<CScrButton>(reader);
  else if (word == "area") r = std::make_unique<CScrArea>(reader);
  else if (word == "key_map" || word == "keymap") r = std::make_unique<CScrKeyMap>(reader);
  else r = std::make_unique<CScrCtrlpt>(reader);
  if (!ReadNested(*r, f)) return SCR_SUB_STOP;
  COpCtrlPoint* ctrl = r->CtrlPoint();
  if (CKvoObject* own = r->TakeObject()) {
    if (!reader->AddObject(own)) {  // no module takes it: nothing may point at it
      delete own;
      return SCR_SUB_STOP;
    }
  }
  m_step->AddCtrlPoint(ctrl);
  return SCR_SUB_OK;
}

// trigger { ... }: filed with the module whatever its block gave (as far as it was read); held
// by the step, disabled, when the block was read.
int CScrStep::ReadTrigger(CScrStream* f, const char*) {
  CScrTrigger r(ScriptReader(), 0);
  const int ok = ReadNested(r, f);
  CSgTrigger* trigger = r.Trigger();
  if (CKvoObject* own = r.TakeObject()) {
    if (!ScriptReader()->AddObject(own)) {
      delete own;
      return SCR_SUB_STOP;
    }
  }
  if (!ok || !trigger) return SCR_SUB_STOP;
  trigger->Disable();
  m_step->AddTrigger(trigger);
  return SCR_SUB_OK;
}

// field { path }: the first one makes a plain control "<step>_ctrlpt", filed with the module and
// held by the step; every path becomes one more node of that control.
int CScrStep::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  CSgModule* module = ScriptReader()->CurrentModule();
  if (!m_fieldCtrl) {
    auto ctrl = std::make_unique<COpCtrlPoint>(module);
    ctrl->SetName((std::string(m_step->Name()) + "_ctrlpt").c_str(), 1);
    COpCtrlPoint* made = ctrl.get();
    if (!ScriptReader()->AddObject(ctrl.release())) {
      delete made;
      return SCR_SUB_STOP;
    }
    m_fieldCtrl = made;
    m_step->AddCtrlPoint(made);
  }
  SGKEY key = FindFieldByRelativePathName(module, path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  m_fieldCtrl->AddKey(key);
  return SCR_SUB_OK;
}

// enable { TRUE | FALSE }: read and not used (a step is enabled by the runtime in its turn).
int CScrStep::ReadEnable(CScrStream* f, const char*) {
  int v = 0;
  ReadValueBool(f, v);
  return SCR_SUB_OK;
}

// reaction { ... }: one reaction shared by every control the step holds at this point, in their
// order; before any control it is read and dropped.
int CScrStep::ReadReaction(CScrStream* f, const char*) {
  CScrReaction r(ScriptReader());
  if (!ReadNested(r, f)) return SCR_SUB_STOP;
  std::shared_ptr<CSgReaction> reaction(r.TakeReaction());
  for (COpCtrlPoint* c : m_step->CtrlPoints()) c->AddSharedReaction(reaction);
  return SCR_SUB_OK;
}

// The closing brace: every control of the step is disabled, whatever its own `enable` said, and
// the step goes to the module.
void CScrStep::Finish() {
  if (!m_step) return;
  for (COpCtrlPoint* c : m_step->CtrlPoints()) c->Disable();
  ScriptReader()->CurrentModule()->AddStep(m_step.release());
}
