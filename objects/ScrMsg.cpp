// The message handler reader.
#include "objects/ScrMsg.h"

#include "animation/ScrAction.h"
#include "animation/ScrAnimation.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "sg/SceneObjects.h"

CScrMsg::CScrMsg(CScriptReader* reader) : CScrObject(reader) {}

CScrMsg::~CScrMsg() = default;

int CScrMsg::Read(CScrStream* f) { return ReadBlock(f); }

int CScrMsg::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrMsg> kSubs = {
      {"id", &CScrMsg::ReadId},
      {"animation", &CScrMsg::ReadAnimation},
      {"param", &CScrMsg::ReadParam},
      {"action", &CScrMsg::ReadAction},
  };
  return kSubs.Dispatch(this, f, kw);
}

CSgMsg* CScrMsg::Msg() {
  if (!m_msg) m_msg = std::make_unique<CSgMsg>(ScriptReader()->CurrentModule());
  return m_msg.get();
}

// The module takes the handler with the closing brace.
void CScrMsg::Finish() {
  if (!m_msg) return;
  CSgMsg* msg = m_msg.release();
  if (!ScriptReader()->AddObject(msg)) delete msg;
}

// id { n }: the class keeps the largest number any handler was given.
int CScrMsg::ReadId(CScrStream* f, const char*) {
  long v = 0;
  ReadValueNumbers(f, &v, 1);
  const unsigned id = ScrNarrow<unsigned>(v);
  Msg()->SetId(id);
  CSgMsg::RaiseMaxId(id);
  return SCR_SUB_OK;
}

// animation { ... }: a new animation is filed with the module; the handler only points at it.
// A failed block stops this one.
int CScrMsg::ReadAnimation(CScrStream* f, const char*) {
  CScrAnimation a(ScriptReader());
  const int ok = ReadNested(a, f);
  CKvoObject* anim = a.Animation();
  if (a.IsNew()) {
    CKvoObject* o = a.TakeObject();
    if (!ScriptReader()->AddObject(o)) {
      delete o;
      anim = nullptr;
    }
  }
  Msg()->SetAnimation(anim);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// param { variable }: a variable of the current module; a missing one is reported and the handler
// keeps no parameter variable.
int CScrMsg::ReadParam(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  ScrTrimString(name);
  CSgVariable* v = ScriptReader()->CurrentModule()->FindVariable(name.c_str(), 0);
  Msg()->SetParamVariable(v);
  if (v) return SCR_SUB_OK;
  Report(ScrTextId::err_message_variable_not_found, f, {name, ScrGetCurKeyWord()});
  return SCR_SUB_FAIL;
}

// action { ... }: the handler owns the action, also one whose block failed as far as it was read.
// A failed block fails this one; a good one does not clear an earlier failure.
int CScrMsg::ReadAction(CScrStream* f, const char*) {
  CScrAction a(ScriptReader());
  const int ok = ReadNested(a, f);
  Msg()->SetAction(a.TakeActionEvent());
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}
