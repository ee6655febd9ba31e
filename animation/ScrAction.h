// CScrAction, the `action` block reader (one CTEventActionEx), and CScrAct, the `act` block
// reader (one action record, with the auxiliary records it needs before it).
#pragma once

#include <list>

#include "animation/ScrController.h"

class ActPrm;
class CTEventActionEx;

class SCR_API CScrAction : public CScrTEvent {
 public:
  // Creates the action event for the current module.
  explicit CScrAction(CScriptReader* reader);
  ~CScrAction() override;

  int Read(CScrStream* f) override;

  CTEventActionEx* ActionEvent() const;
  // Hands the action event over (the caller owns it).
  CTEventActionEx* TakeActionEvent();
};

class SCR_API CScrAct : public CScrObject {
 public:
  explicit CScrAct(CScriptReader* reader);
  ~CScrAct() override;  // frees the records still held

  int Read(CScrStream* f) override;

  // The records built: the auxiliary ones in the order made, then the main record last.
  std::list<ActPrm*>& Records() { return m_records; }
  // The main record (the last one); null when there is none.
  ActPrm* MainRecord() const { return m_records.empty() ? nullptr : m_records.back(); }

 private:
  std::list<ActPrm*> m_records;
};

// 1 when an action holding a record of this type must run (the action's necessary flag).
SCR_API int ScrActionTypeIsNecessary(int type);
