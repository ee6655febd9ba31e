// The readers of reactions and of conditions blocks.
//
//     reaction {
//       property { local }               local or global (the reader's default otherwise)
//       conditions {                     when the reaction may run
//         mode { or }                    and (the default) or or
//         type { level >= 3 }            a condition over script variables ...
//         type { fieldon } field { /scene/lamp }   ... or a scene node shown (fieldoff: hidden)
//         conditions { ... }             nested, combined by its own mode
//       }
//       type { keydown }                 the event of the animations and actions that follow
//       animation { ... }  quick { ... }  action { ... }
//     }
//
// The conditions reader is shared by every block that gates something on conditions
// (animations, actions, triggers).
#pragma once

#include <memory>
#include <string>

#include "reader/ScrObject.h"

class CSgReaction;
class CSgConditions;
class CSgCondFieldShow;

class CScrReaction : public CScrObject {
 public:
  // Makes the runtime reaction, local when the reader's default says so.
  explicit CScrReaction(CScriptReader* reader);
  ~CScrReaction() override;

  int Read(CScrStream* f) override;
  CSgReaction* Reaction() const { return m_reaction.get(); }
  // Hands the runtime reaction to the caller (a control or a step), who then owns it.
  CSgReaction* TakeReaction() { return m_reaction.release(); }

  // The event type named by a `type` word (ignoring case); -1 for a word that names none.
  static int EventType(const char* word);

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  // Other words (the keyword table also lists `mode`) are skipped without a message.
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadConditions(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadQuick(CScrStream* f, const char*);
  int ReadAction(CScrStream* f, const char*);

  std::unique_ptr<CSgReaction> m_reaction;
  int m_type = 1;  // lbuttonup until a `type` says otherwise
};

class CScrConditions : public CScrObject {
 public:
  explicit CScrConditions(CScriptReader* reader);
  ~CScrConditions() override;

  // Reads one conditions block; afterwards Conditions() is the runtime tree (owned by the
  // current module, as all conditions are), to be attached by the caller.
  int Read(CScrStream* f) override;
  CSgConditions* Conditions() const { return m_conditions; }
  // The last `type` text read.
  const std::string& TypeText() const { return m_text; }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadNestedConditions(CScrStream* f, const char*);
  int ReadMode(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);

  CSgConditions* m_conditions = nullptr;
  CSgCondFieldShow* m_fieldCond = nullptr;  // the last fieldon/fieldoff of this block
  std::string m_text;
};
