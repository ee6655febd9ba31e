// CScrMsg: the `message` block reader, one handler of a numbered message.
//
//     message {
//       id { 7 }                       the message's number
//       animation { ... }              played when it arrives
//       action { ... }                 run when it arrives
//       param { level }                receives the message's parameter
//     }
//
// The handler is made by the first sub-keyword that needs it (a block of only `}` makes none)
// and filed with the module at the closing brace.
#pragma once

#include <memory>

#include "reader/ScrObject.h"

class CSgMsg;

class SCR_API CScrMsg : public CScrObject {
 public:
  explicit CScrMsg(CScriptReader* reader);
  ~CScrMsg() override;

  // 1 on success; 0 when a nested block failed, a parameter variable was not found, or a token
  // that is no keyword ended the block (the handler is then dropped, not filed).
  int Read(CScrStream* f) override;
  // The handler while it is being read (null before the first sub-keyword and once filed).
  CSgMsg* Message() const { return m_msg.get(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  CSgMsg* Msg();  // the handler, made on first need
  int ReadId(CScrStream* f, const char*);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadParam(CScrStream* f, const char*);
  int ReadAction(CScrStream* f, const char*);

  std::unique_ptr<CSgMsg> m_msg;
};
