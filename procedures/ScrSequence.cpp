// The sequence reader.
#include "procedures/ScrSequence.h"

#include <string>
#include <vector>

#include "elements/ScrCtrlpt.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"
#include "sg/Procedure.h"

CScrSequence::CScrSequence(CScriptReader* reader) : CScrObject(reader) {}

CScrSequence::~CScrSequence() = default;

CKvoObject* CScrSequence::TakeObject() { return m_sequence.release(); }

// sequence [{] sub-keyword ... }
int CScrSequence::Read(CScrStream* f) {
  if (!m_sequence) m_sequence = std::make_unique<CSequence>(ScriptReader()->CurrentModule());
  return ReadBlock(f);
}

int CScrSequence::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrSequence> kSubs = {
      {"name", &CScrSequence::ReadName},         {"type", &CScrSequence::ReadType},
      {"property", &CScrSequence::ReadProperty}, {"ctrlpt", &CScrSequence::ReadCtrlpt},
      {"sequence", &CScrSequence::ReadChild},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Other words are passed over with their blocks, silently.
int CScrSequence::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrSequence::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_sequence->SetName(name.c_str());
  return SCR_SUB_OK;
}

// type { serial | parallel }: another word stops the sequence.
int CScrSequence::ReadType(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  ScrNormalizeString(v);
  ScrShrinkString(v);
  if (straccord(v.c_str(), "serial")) {
    m_sequence->SetOrderType(CSequence::ORDER_SERIAL);
  } else if (straccord(v.c_str(), "parallel")) {
    m_sequence->SetOrderType(CSequence::ORDER_PARALLEL);
  } else {
    ReportInvalidString(f, v.c_str());
    return SCR_SUB_STOP;
  }
  return SCR_SUB_OK;
}

// property { cycle }: another word is reported and ends the list; the block goes on.
int CScrSequence::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words) {
    if (!straccord(w.c_str(), "cycle")) {
      ReportInvalidString(f, w.c_str());
      break;
    }
    m_sequence->SetCycle(1);
  }
  return SCR_SUB_OK;
}

// ctrlpt { ... }: only the control's name is kept; a control the block made itself is not filed
// anywhere and goes with the reader.
int CScrSequence::ReadCtrlpt(CScrStream* f, const char*) {
  CScrCtrlpt r(ScriptReader());
  if (!ReadNested(r, f)) return SCR_SUB_STOP;
  m_sequence->SetCtrlptName(r.CtrlPoint()->Name());
  return SCR_SUB_OK;
}

// sequence { ... }: the child is kept whatever its block gave; a failed one stops this one.
int CScrSequence::ReadChild(CScrStream* f, const char*) {
  CScrSequence child(ScriptReader());
  const int ok = ReadNested(child, f);
  m_sequence->AddChild(child.TakeSequence());
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}
