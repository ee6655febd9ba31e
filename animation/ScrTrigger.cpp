// The trigger and tick readers.
//
//     anim_trigger {
//       name { afterOpen }  property { once wait }  enable { TRUE }  id { 12 }
//       conditions { type { open } }          the animation it follows
//       animation { ... }  action { ... }  quick { showfield: valve }
//     }
//     timer { interval { 500 } action { ... } }
//     tick { animation { name { spin } } action { ... } }
#include "animation/ScrTrigger.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "animation/ScrAction.h"
#include "animation/ScrAnimation.h"
#include "animation/ScrQuick.h"
#include "compiler/ScrStrings.h"
#include "declarations/ScrCoord.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrReaction.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Geometry.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Trigger.h"
#include "sg/Variable.h"

namespace {

constexpr int kIdMax = 1023;  // bytes of an id text

CSgTrigger* NewTrigger(CSgModule* module, int mode) {
  switch (mode) {
    case 1: return new CSgCheckTrigger(module);
    case 2: return new CSgTimerTrigger(module);
    case 3: return new CSgAnimTrigger(module);
    default: return new CSgTrigger(module);
  }
}

// A literal integer: true, false, 0X... or decimal.
int IntLiteral(const std::string& t) {
  if (straccord(t.c_str(), "true")) return 1;
  if (straccord(t.c_str(), "false")) return 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'X' || t[1] == 'x'))
    return (int)std::strtoul(t.c_str() + 2, nullptr, 16);
  return ScrNarrow<int>(std::strtoll(t.c_str(), nullptr, 10));
}

}  // namespace

// The program that binds the trigger to the variables its conditions hand to a list or lock
// call: "bindTriggerToVariable("name",var); " once per argument. Empty when there is none.
std::string ScrTriggerBindingProgram(const char* triggerName, const std::string& conditions) {
  static const char* const kCalls[] = {"lockVariableInt", "listPushBack", "listPopBack", "listPushFront",
                                       "listPopFront"};
  size_t at = std::string::npos;
  for (const char* call : kCalls)
    if ((at = conditions.find(call)) != std::string::npos) break;
  if (at == std::string::npos) return "";
  const size_t open = conditions.find('(', at);
  const size_t close = conditions.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  std::string program;
  std::string args = conditions.substr(open + 1, close - open - 1);
  size_t start = 0;
  while (start <= args.size()) {
    size_t comma = args.find(',', start);
    std::string arg = args.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    ScrTrimString(arg);
    if (!arg.empty()) program += "bindTriggerToVariable(\"" + std::string(triggerName) + "\"," + arg + "); ";
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return program;
}

// ---------------------------------------------------------------------------------------------
// trigger

CScrTrigger::CScrTrigger(CScriptReader* reader, int mode)
    : CScrObject(reader), m_mode(mode), m_trigger(NewTrigger(reader->CurrentModule(), mode)) {
  if (reader->bReactionLocalDeafult()) m_trigger->SetOptions(m_trigger->Options() | CSgTrigger::OPT_LOCAL);
}

CScrTrigger::~CScrTrigger() { delete m_trigger; }

CKvoObject* CScrTrigger::TakeObject() {
  CSgTrigger* t = m_trigger;
  m_trigger = nullptr;
  return t;
}

int CScrTrigger::Read(CScrStream* f) {
  if (!m_trigger) return 0;  // taken already
  m_ids.clear();
  return ReadBlock(f);
}

void CScrTrigger::Finish() { m_trigger->SetIdsString(m_ids.c_str()); }

int CScrTrigger::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrTrigger> kSubs = {
      {"name", &CScrTrigger::ReadName},          {"id", &CScrTrigger::ReadId},
      {"property", &CScrTrigger::ReadProperty},  {"check_coord", &CScrTrigger::ReadCheckCoord},
      {"conditions", &CScrTrigger::ReadConditions}, {"enable", &CScrTrigger::ReadEnable},
      {"interval", &CScrTrigger::ReadInterval},  {"animation", &CScrTrigger::ReadAnimation},
      {"action", &CScrTrigger::ReadAction},      {"quick", &CScrTrigger::ReadQuick},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrTrigger::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrTrigger::ReadName(CScrStream* f, const char*) {
  std::string name;
  if (!ReadValueString(f, name)) return SCR_SUB_FAIL;
  m_trigger->SetName(name.c_str());
  return SCR_SUB_OK;
}

// id { text }: also the title of the notifications the reader sends while the trigger is read.
int CScrTrigger::ReadId(CScrStream* f, const char*) {
  if (!ReadValueString(f, m_ids)) return SCR_SUB_FAIL;
  if (m_ids.size() > (size_t)kIdMax) m_ids.resize(kIdMax);
  ScriptReader()->SetNotificationTitle(m_ids.c_str());
  return SCR_SUB_OK;
}

int CScrTrigger::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  DWORD o = m_trigger->Options();
  for (const std::string& w : words) {
    const char* s = w.c_str();
    if (straccord(s, "local")) o |= CSgTrigger::OPT_LOCAL;
    else if (straccord(s, "global")) o &= ~DWORD(CSgTrigger::OPT_LOCAL);
    else if (straccord(s, "once")) o |= CSgTrigger::OPT_ONCE;
    else if (straccord(s, "listen")) o |= CSgTrigger::OPT_LISTEN;
    else if (straccord(s, "wait") && m_mode == 3) static_cast<CSgAnimTrigger*>(m_trigger)->SetWait(1);
  }
  m_trigger->SetOptions(o);
  return SCR_SUB_OK;
}

// check_coord { ... }: a measuring point, which only a check trigger watches.
int CScrTrigger::ReadCheckCoord(CScrStream* f, const char* kw) {
  CScrCoord coord(ScriptReader(), 1);
  ReadNested(coord, f);
  CSgFieldVariable* point = coord.Variable();
  if (!point || m_mode != 1) {
    Report(ScrTextId::err_check_coord_not_defined, f, {kw});
    return SCR_SUB_FAIL;
  }
  if (CKvoObject* made = coord.TakeObject()) ScriptReader()->AddObject(made);
  static_cast<CSgCheckTrigger*>(m_trigger)->AddCheckCoord(point);
  return SCR_SUB_OK;
}

// conditions { ... }: for an animation trigger a bare name in the conditions names the animation
// it follows (made empty when it is not read yet, to be filled by its own block later).
int CScrTrigger::ReadConditions(CScrStream* f, const char*) {
  CScrConditions c(ScriptReader());
  const int ok = ReadNested(c, f);
  const std::string& text = c.TypeText();
  if (m_mode == 3 && !text.empty() && !ScrFirstOf(text.c_str(), "<>=!()") && !straccord(text.c_str(), "fieldon") &&
      !straccord(text.c_str(), "fieldoff")) {
    CSgModule* module = ScriptReader()->CurrentModule();
    std::string name = text;
    if (ScrTopCallContext()) {
      std::string suffix;
      ScrGetInstanceSuffix(suffix);
      name += suffix;
    }
    auto* prev = dynamic_cast<CAnimation*>(module->FindAnimation(name.c_str()));
    if (!prev) {
      prev = new CAnimation(name.c_str());
      module->AddAnimation(prev);
    }
    static_cast<CSgAnimTrigger*>(m_trigger)->SetPrevAnimation(prev);
    Bind(text);
    if (c.Conditions()) m_trigger->SetConditions(c.Conditions());
  } else {
    if (c.Conditions()) m_trigger->SetConditions(c.Conditions());
    Bind(text);
  }
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// The binding program runs when the trigger is bound (reaction type 15).
void CScrTrigger::Bind(const std::string& conditions) {
  const std::string text = ScrTriggerBindingProgram(m_trigger->Name(), conditions);
  if (text.empty()) return;
  CSgModule* module = m_trigger->Module() ? m_trigger->Module() : ScriptReader()->CurrentModule();
  CSgProgram* program = ScrReadProgramFromString(text.c_str(), module, ScriptReader());
  if (!program) return;
  module->AddUserProgram(program);
  auto* action = dynamic_cast<CTEventActionEx*>(m_trigger->GetAction(CSgTrigger::TYPE_BINDING));
  if (!action) {
    action = new CTEventActionEx(module);
    m_trigger->SetAction(action, CSgTrigger::TYPE_BINDING);
  }
  ActPrm run(ACT_RUNPROGRAM);
  run.SetDword(program);
  action->AddAction(run);
}

int CScrTrigger::ReadEnable(CScrStream* f, const char*) {
  int v = 1;
  if (!ReadValueBool(f, v)) {
    ReportInvalidString(f, "");
    return SCR_SUB_FAIL;
  }
  if (v) m_trigger->Enable();
  else m_trigger->Disable();
  return SCR_SUB_OK;
}

// interval { first [second] }: a timer's two numbers (the second 0 when not given). The two may
// stand in one token ("500 20", "500,20") or in two.
int CScrTrigger::ReadInterval(CScrStream* f, const char*) {
  int braced = OpenBrace(f);
  std::string first, second;
  ScrReadString(f, first);
  ScrTrimString(first);
  if (size_t cut = first.find_first_of(" \t,"); cut != std::string::npos) {
    second = first.substr(cut + 1);
    first.resize(cut);
    ScrTrimString(second);
  } else if (braced) {
    ScrReadString(f, second);
    ScrTrimString(second);
    if (second == "}") {
      second.clear();
      braced = 0;  // the value's brace is read
    }
  }
  if (braced) CloseBrace(f);
  const int n2 = second.empty() ? 0 : IntLiteral(second);
  if (m_mode == 2) static_cast<CSgTimerTrigger*>(m_trigger)->SetInterval(IntLiteral(first), n2);
  return SCR_SUB_OK;
}

int CScrTrigger::ReadAnimation(CScrStream* f, const char*) {
  CScrAnimation r(ScriptReader());
  if (!r.ReadInnerAndFile(f)) return SCR_SUB_STOP;
  m_trigger->AddAnimation(r.Animation(), CSgTrigger::TYPE_FIRE);
  return SCR_SUB_OK;
}

int CScrTrigger::ReadAction(CScrStream* f, const char*) {
  CScrAction r(ScriptReader());
  const int ok = ReadNested(r, f);
  m_trigger->SetAction(r.TakeActionEvent(), CSgTrigger::TYPE_FIRE);
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// quick { ... }: its objects are filed with the reader; the first animation fires.
int CScrTrigger::ReadQuick(CScrStream* f, const char*) {
  CScrQuick r(ScriptReader());
  const int ok = ReadNested(r, f);
  CKvoObject* first = nullptr;
  for (CKvoObject* o : r.Objects()) {
    if (!ScriptReader()->AddObject(o)) {
      delete o;  // no collection takes it
      continue;
    }
    if (!first && o->TypeCode() == SGT_ANIMATION) first = o;
  }
  r.Objects().clear();
  if (first) m_trigger->AddAnimation(first, CSgTrigger::TYPE_FIRE);
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// ---------------------------------------------------------------------------------------------
// tick

CScrTick::CScrTick(CScriptReader* reader) : CScrObject(reader) {}

CScrTick::~CScrTick() { delete m_action; }

int CScrTick::Read(CScrStream* f) {
  m_result = 1;
  const int r = ReadBlock(f);
  if (m_pushed) {
    ScriptReader()->AnimationStack().pop_back();
    m_pushed = false;
  }
  return r ? m_result : 0;
}

int CScrTick::ReadSubKeyword(CScrStream* f, const char* kw) {
  if (std::strcmp(kw, "animation") == 0) {
    CScrAnimation r(ScriptReader());
    if (!r.ReadInnerAndFile(f) || !r.Animation()) return SCR_SUB_STOP;
    if (m_pushed) ScriptReader()->AnimationStack().pop_back();
    m_animation = r.Animation();
    ScriptReader()->AnimationStack().push_back(m_animation);
    m_pushed = true;
    return SCR_SUB_OK;
  }
  if (std::strcmp(kw, "action") == 0) {
    CScrAction r(ScriptReader());
    m_result = ReadNested(r, f);
    if (!m_result) return SCR_SUB_STOP;
    delete m_action;  // a later action replaces an earlier one
    m_action = r.TakeActionEvent();
    return SCR_SUB_OK;
  }
  return SCR_SUB_UNKNOWN;
}

// The action runs on every tick of the animation read here, or of the module.
void CScrTick::Finish() {
  if (!m_action) return;
  CTEventActionEx* action = m_action;
  m_action = nullptr;
  if (m_animation) {
    CSgModule* module = m_animation->Module() ? m_animation->Module() : ScriptReader()->CurrentModule();
    action->SetModule(module);
    module->AddTickAction(action);
    m_animation->SetTickAction(action);
  } else {
    ScriptReader()->ModuleStackTop()->AddTickAction(action);
  }
}
