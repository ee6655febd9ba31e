// CScrAction, the `action` block reader (one CTEventActionEx), and CScrAct, the `act` block
// reader (one action record, with the auxiliary records it needs before it).
//
//     action {
//       name { open }  interval { 500 }          (or a variable the interval follows)
//       property { necessary }                   conditions { ... }
//       act { type { showfield } field { /scene/valve } field { /scene/pipe } }
//       program { ... }  repeat { ... }  blink(valve)
//     }
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "animation/ScrController.h"
#include "sg/Types.h"

class ActPrm;
class CSgVariable;
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

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadInterval(CScrStream* f, const char*);
  int ReadConditions(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadAct(CScrStream* f, const char*);
  int ReadProgram(CScrStream* f, const char*);
  int ReadRepeat(CScrStream* f, const char*);
  int ReadCall(CScrStream* f, const char* token);

  CSgVariable* m_intervalVar = nullptr;  // the variable the interval follows, linked at the end
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

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadType(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadFields(CScrStream* f, const char*);
  int ReadControl(CScrStream* f, const char* kw);
  int ReadTextOrImage(CScrStream* f, const char* kw);
  int ReadInt(CScrStream* f, const char*);
  int ReadLong(CScrStream* f, const char*);
  int ReadFloat(CScrStream* f, const char*);
  int ReadBool(CScrStream* f, const char*);
  int ReadString(CScrStream* f, const char* kw);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadVariable(CScrStream* f, const char*);
  int ReadVariables(CScrStream* f, const char*);

  // Adds a node to the record: the key slot first, then a key array of all of them.
  void AddKey(SGKEY key);
  // A variable action's variable by name (the call's own instance first); null when none.
  CSgVariable* FindActionVariable(const char* name) const;
  // A function-call act takes a literal argument (its text as the call would write it).
  void AddCallArgument(std::string literal) { m_callArgs.push_back(std::move(literal)); }

  std::list<ActPrm*> m_records;
  std::unique_ptr<ActPrm> m_main;  // appended to m_records when the block ends
  std::vector<SGKEY> m_keys;       // every node named, in order
  bool m_call = false;             // type callfunction: the act is a script-function call
  std::string m_callName;
  std::vector<std::string> m_callArgs;
  bool m_stopped = false;  // a sub-keyword failed: the rest of the block is passed over
};

// 1 when an action holding a record of this type must run (the action's necessary flag).
SCR_API int ScrActionTypeIsNecessary(int type);
