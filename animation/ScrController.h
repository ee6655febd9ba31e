// CScrController: the `controller` block reader, and CScrTEvent, the base of the readers of
// the timed events a controller holds.
#pragma once

#include <string>
#include <vector>

#include "reader/ScrObject.h"
#include "sg/Types.h"

class CTEvent;
class CTEventController;
class CSgModule;

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

  // The most numbers one value list of an event holds; later ones are passed over.
  static constexpr int kMaxValues = 255;

 protected:
  // The shape every event block shares: whatever stands before the opening '{' is passed over,
  // then sub-keywords up to the '}' (Finish runs there). 0 when the input ran out first.
  int ReadEventBlock(CScrStream* f);
  // Numbers up to the closing '}' of the value (optionally braced), at most kMaxValues.
  std::vector<float> ReadNumbers(CScrStream* f);
  // One word, lower-cased outside quotes and with its blanks removed.
  std::string ReadWord(CScrStream* f);
  // The key of the node named by the next value. A node that does not exist (yet) is warned
  // about and then made, so that the event has a key the runtime can bind when it appears.
  // bAbsolute: the path is looked up as it stands instead of relative to the module.
  SGKEY ReadFieldKey(CScrStream* f, bool bAbsolute, std::string* pathOut = nullptr);
  CSgModule* Module() const;

  CTEvent* m_event;
  // Cleared by a check at the closing brace that rejects the event (ReadEventBlock gives 0).
  int m_ok = 1;
  // The stream being read, for the messages Finish gives at the closing brace.
  CScrStream* m_stream = nullptr;
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

 protected:
  int ReadSubKeyword(CScrStream* f, const char* keyword) override;

 private:
  int ReadLife(CScrStream* f, const char*);
  int ReadSpeed(CScrStream* f, const char*);
  int ReadEvent(CScrStream* f, const char* keyword);
  int ReadAction(CScrStream* f, const char*);
  int ReadProgram(CScrStream* f, const char*);

  CTEventController* m_controller;
  int m_result = 1;  // the result of the last event reader
};
