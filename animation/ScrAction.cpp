// Placeholder: the action and act readers are being written.
#include "animation/ScrAction.h"

#include "reader/ScriptReader.h"
#include "sg/Event.h"

CScrAction::CScrAction(CScriptReader* reader)
    : CScrTEvent(reader, new CTEventActionEx(reader->CurrentModule())) {}

CScrAction::~CScrAction() = default;

int CScrAction::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}

CTEventActionEx* CScrAction::ActionEvent() const { return static_cast<CTEventActionEx*>(m_event); }

CTEventActionEx* CScrAction::TakeActionEvent() { return static_cast<CTEventActionEx*>(TakeEvent()); }

CScrAct::CScrAct(CScriptReader* reader) : CScrObject(reader) {}

CScrAct::~CScrAct() { SgFreeActions(m_records); }

int CScrAct::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}

int ScrActionTypeIsNecessary(int) { return 0; }
