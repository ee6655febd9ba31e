// CScrController: the `controller` block reader, and CScrTEvent, the base of the readers of
// the timed events a controller holds.
#pragma once

#include "reader/ScrObject.h"

class CTEvent;
class CTEventController;

// An event reader fills one runtime event. The event is the reader's until it is bound to a
// controller (CTEvent::SetController) or taken; an event left over is freed with the reader.
class SCR_API CScrTEvent : public CScrObject {
 public:
  explicit CScrTEvent(CScriptReader* reader, CTEvent* event = nullptr);
  ~CScrTEvent() override;

  CTEvent* Event() const { return m_event; }
  void SetEvent(CTEvent* event) { m_event = event; }
  // Hands the event over (the caller owns it); null when there is none.
  CTEvent* TakeEvent();

 protected:
  CTEvent* m_event;
};

class SCR_API CScrController : public CScrObject {
 public:
  explicit CScrController(CScriptReader* reader);
  ~CScrController() override;

  int Read(CScrStream* f) override;

  // The controller; it exists from construction, also when reading fails.
  CTEventController* Controller() const { return m_controller; }
  // Hands the controller over (the caller owns it).
  CTEventController* TakeController();

 private:
  CTEventController* m_controller;
};
