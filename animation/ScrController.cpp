// Placeholder: the controller and event readers are being written.
#include "animation/ScrController.h"

#include "sg/Event.h"

CScrTEvent::CScrTEvent(CScriptReader* reader, CTEvent* event) : CScrObject(reader), m_event(event) {}

CScrTEvent::~CScrTEvent() {
  if (m_event && !m_event->Controller()) delete m_event;
}

CTEvent* CScrTEvent::TakeEvent() {
  CTEvent* e = m_event;
  m_event = nullptr;
  return e;
}

CScrController::CScrController(CScriptReader* reader) : CScrObject(reader), m_controller(new CTEventController()) {}

CScrController::~CScrController() { delete m_controller; }

int CScrController::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}

CTEventController* CScrController::TakeController() {
  CTEventController* c = m_controller;
  m_controller = nullptr;
  return c;
}
