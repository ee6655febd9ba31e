// Placeholder: the trigger and tick readers are being written.
#include "animation/ScrTrigger.h"

#include "reader/ScriptReader.h"
#include "sg/Trigger.h"

CScrTrigger::CScrTrigger(CScriptReader* reader, int mode)
    : CScrObject(reader), m_mode(mode), m_trigger(new CSgTrigger(reader->CurrentModule())) {}

CScrTrigger::~CScrTrigger() { delete m_trigger; }

int CScrTrigger::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}

CKvoObject* CScrTrigger::TakeObject() {
  CSgTrigger* t = m_trigger;
  m_trigger = nullptr;
  return t;
}

CScrTick::CScrTick(CScriptReader* reader) : CScrObject(reader) {}

int CScrTick::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}
