// The readers of reactions and conditions blocks.
#include "elements/ScrReaction.h"

#include <vector>

#include "animation/ScrAction.h"
#include "animation/ScrAnimation.h"
#include "animation/ScrQuick.h"
#include "compiler/ScrStrings.h"
#include "elements/ScrCtrlpt.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Animation.h"
#include "sg/Control.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Program.h"

// ---------------------------------------------------------------------------------------------
// Reactions

CScrReaction::CScrReaction(CScriptReader* reader)
    : CScrObject(reader), m_reaction(std::make_unique<CSgReaction>(reader->CurrentModule())) {
  if (reader->bReactionLocalDeafult()) m_reaction->SetLocal(true);
}

CScrReaction::~CScrReaction() = default;

int CScrReaction::EventType(const char* word) {
  // In the order the words are tried; each is compared whole, ignoring case.
  static const ESgReactType kOrder[] = {
      SG_REACT_LBUTTONDOWN, SG_REACT_LBUTTONUP,   SG_REACT_LBUTTONDBLCLK, SG_REACT_RBUTTONDOWN,
      SG_REACT_RBUTTONUP,   SG_REACT_MOUSEMOVEIN, SG_REACT_MOUSEMOVE,     SG_REACT_MOUSEMOVEOUT,
      SG_REACT_KEYDOWN,     SG_REACT_KEYUP,       SG_REACT_CHAR,
  };
  for (ESgReactType t : kOrder)
    if (straccord(word, SgReactTypeName(t))) return t;
  return -1;
}

// reaction [{] sub-keyword ... }: every error stops the block at once.
int CScrReaction::Read(CScrStream* f) {
  m_type = SG_REACT_LBUTTONUP;
  return ReadBlock(f);
}

int CScrReaction::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrReaction> kSubs = {
      {"conditions", &CScrReaction::ReadConditions},
      {"type", &CScrReaction::ReadType},
      {"property", &CScrReaction::ReadProperty},
      {"animation", &CScrReaction::ReadAnimation},
      {"quick", &CScrReaction::ReadQuick},
      {"action", &CScrReaction::ReadAction},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrReaction::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

// animation { ... }: played on the current event type; filed with the module when new.
int CScrReaction::ReadAnimation(CScrStream* f, const char*) {
  CScrAnimation a(ScriptReader());
  const int ok = a.ReadInnerAndFile(f);
  m_reaction->AddAnimation(a.Animation(), m_type);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// quick { command }: everything it made is filed; its animations play on the current type.
int CScrReaction::ReadQuick(CScrStream* f, const char*) {
  CScrQuick q(ScriptReader());
  const int ok = ReadNested(q, f);
  std::vector<CKvoObject*> animations;
  for (CKvoObject* o : q.Objects())
    if (o->TypeCode() == SGT_ANIMATION) animations.push_back(o);
  ScrFileObjects(ScriptReader(), q.Objects());  // an animation is always taken
  for (CKvoObject* a : animations) m_reaction->AddAnimation(a, m_type);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// action { ... }: one per event type; a second one for the same type fails the reaction.
int CScrReaction::ReadAction(CScrStream* f, const char*) {
  CScrAction a(ScriptReader());
  if (!ReadNested(a, f)) return SCR_SUB_STOP;
  if (m_reaction->GetAction(m_type)) {
    Report(ScrTextId::err_action_type_duplicate, f);
    return SCR_SUB_STOP;
  }
  m_reaction->SetAction(a.TakeActionEvent(), m_type);
  return SCR_SUB_OK;
}

// conditions { ... }: what was read of a failed block stays attached.
int CScrReaction::ReadConditions(CScrStream* f, const char*) {
  CScrConditions c(ScriptReader());
  int ok = ReadNested(c, f);
  if (c.Conditions()) m_reaction->SetConditions(c.Conditions());
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// type { keydown }: the event of every later animation, quick and action of the block.
int CScrReaction::ReadType(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  ScrNormalizeString(v);
  ScrShrinkString(v);
  int type = EventType(v.c_str());
  if (type < 0) {
    ReportInvalidString(f, v.c_str());
    return SCR_SUB_STOP;
  }
  m_type = type;
  return SCR_SUB_OK;
}

// property { local | global ... }: other words are passed over.
int CScrReaction::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words) {
    if (straccord(w.c_str(), "local")) m_reaction->SetLocal(true);
    else if (straccord(w.c_str(), "global")) m_reaction->SetLocal(false);
  }
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// Conditions

CScrConditions::CScrConditions(CScriptReader* reader) : CScrObject(reader) {}

CScrConditions::~CScrConditions() = default;

// conditions [{] sub-keyword ... }: any other word is reported and its block skipped; every
// error stops the block at once.
int CScrConditions::Read(CScrStream* f) {
  m_conditions = new CSgConditions(ScriptReader()->CurrentModule());  // the module owns it
  m_fieldCond = nullptr;
  return ReadBlock(f);
}

void CScrConditions::Finish() { m_conditions->AddRefForVariables(); }

int CScrConditions::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrConditions> kSubs = {
      {"conditions", &CScrConditions::ReadNestedConditions},
      {"mode", &CScrConditions::ReadMode},
      {"type", &CScrConditions::ReadType},
      {"field", &CScrConditions::ReadField},
  };
  return kSubs.Dispatch(this, f, kw);
}

// conditions { ... } inside conditions: combined by its own mode. The depth is bounded by the
// block-depth limit of ReadNested.
int CScrConditions::ReadNestedConditions(CScrStream* f, const char*) {
  CScrConditions nested(ScriptReader());
  int ok = ReadNested(nested, f);
  if (nested.Conditions()) m_conditions->AddConditions(nested.Conditions());
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// mode { and | or }: another word is reported and the mode kept.
int CScrConditions::ReadMode(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  ScrTrimString(v);
  ScrNormalizeString(v);
  if (straccord(v.c_str(), "and")) m_conditions->SetMode(SG_COND_AND);
  else if (straccord(v.c_str(), "or")) m_conditions->SetMode(SG_COND_OR);
  else ReportInvalidString(f, v.c_str());
  return SCR_SUB_OK;
}

// type { text }: fieldon / fieldoff, a comparison compiled over the script's variables, or a
// bare name or value kept as the source of the block's own test.
int CScrConditions::ReadType(CScrStream* f, const char*) {
  ReadValueString(f, m_text);
  ScrShrinkString(m_text);
  const std::string& t = m_text;
  // Full-width signs typed with a Chinese input method would compile into nonsense.
  if (t.find(ScrText(ScrTextId::word_fullwidth_exclamation)) != std::string::npos) {
    Report(ScrTextId::err_fullwidth_exclamation, f);
    return SCR_SUB_STOP;
  }
  if (t.find(ScrText(ScrTextId::word_fullwidth_equals)) != std::string::npos) {
    Report(ScrTextId::err_fullwidth_equals, f);
    return SCR_SUB_STOP;
  }
  if (t.find('=') != std::string::npos && t.find("==") == std::string::npos && t.find("!=") == std::string::npos &&
      t.find(">=") == std::string::npos && t.find("<=") == std::string::npos)
    Report(ScrTextId::warn_condition_single_equals, f, {t});

  CSgModule* module = ScriptReader()->CurrentModule();
  if (straccord(t.c_str(), "fieldon") || straccord(t.c_str(), "fieldoff")) {
    m_fieldCond = new CSgCondFieldShow(module, straccord(t.c_str(), "fieldon") ? 1 : 0);
    m_conditions->AddCondition(m_fieldCond);
    return SCR_SUB_OK;
  }
  if (t.find_first_of("<>=!") != std::string::npos) {
    CSgConditions* compiled = ScrReadConditionsFromString(t.c_str(), module, nullptr);
    if (!compiled) {
      Report(ScrTextId::err_condition_unrecognised, f);
      return SCR_SUB_STOP;
    }
    m_conditions->AddConditions(compiled);
    return SCR_SUB_OK;
  }
  m_conditions->SetSourceCode(t.c_str());
  return SCR_SUB_OK;
}

// field { path }: the node of the last fieldon/fieldoff of this block; before one it has no
// effect.
int CScrConditions::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  SGKEY key = FindFieldByRelativePathName(ScriptReader()->CurrentModule(), path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  if (m_fieldCond) m_fieldCond->SetKey(key);
  return SCR_SUB_OK;
}
