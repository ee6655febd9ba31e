// The control-point reader: the loop every control shares.
#include "elements/ScrCtrlpt.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "elements/ScrReaction.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

long CScrCtrlpt::m_totalTick = 0;

namespace {

// A group value written as a literal rather than a macro name: true, false, the empty string,
// a hexadecimal number beginning 0X, or a decimal one (digits with at most one '.', after an
// optional sign).
bool IsGroupLiteral(const std::string& v) {
  if (v.empty() || v == "true" || v == "false") return true;
  if (v.size() >= 3 && v.compare(0, 2, "0X") == 0) return true;
  if (!(std::isdigit((unsigned char)v[0]) || v[0] == '+' || v[0] == '-')) return false;
  int dots = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    if (v[i] == '.') ++dots;
    else if (!std::isdigit((unsigned char)v[i])) return false;
  }
  return dots <= 1;
}

// The number of a group literal. Out-of-range numbers saturate rather than overflow.
int GroupValue(const std::string& v) {
  if (v == "true") return 1;
  if (v == "false") return 0;
  if (v.find("0X") != std::string::npos) return ScrNarrow<int>(std::strtoll(v.c_str(), nullptr, 16));
  return ScrNarrow<int>(std::strtoll(v.c_str(), nullptr, 10));  // "7.5" gives 7
}

}  // namespace

void ScrReadWordList(CScrStream* f, std::vector<std::string>& words) {
  const int braced = ScrTakeBrace(f, '{');
  std::string w;
  ScrLexMark mark;
  for (;;) {
    ScrSaveLexState(f, mark);
    const int ok = ScrReadString(f, w);
    if (!w.empty() && w[0] == '}') {
      ScrRestoreLexState(f, mark);
      break;
    }
    if (!w.empty()) words.push_back(w);
    if (!ok || ScrInputEnded(f)) break;
  }
  if (braced) ScrTakeBrace(f, '}');
}

CScrCtrlpt::CScrCtrlpt(CScriptReader* reader) : CScrObject(reader) {}

CScrCtrlpt::~CScrCtrlpt() = default;

void CScrCtrlpt::SetControl(std::unique_ptr<COpCtrlPoint> ctrl) {
  m_own = std::move(ctrl);
  m_ctrl = m_own.get();
}

CKvoObject* CScrCtrlpt::TakeObject() { return m_own.release(); }

bool CScrCtrlpt::Accepts(const COpCtrlPoint* found) const {
  // A plain control point uses only what every control has; a derived reader its own kind.
  return !m_ctrl || m_ctrl->TypeCode() == SGT_CTRLPOINT || found->TypeCode() == m_ctrl->TypeCode();
}

// ctrlpt [{] sub-keyword ... }
//
// The handlers below never give SCR_SUB_FAIL: a failure stops the block (SCR_SUB_STOP), so a 1
// from ReadBlock means that the closing brace was read and Finish has run.
int CScrCtrlpt::Read(CScrStream* f) {
  ScrTickScope ticks(&m_totalTick);
  if (!m_ctrl) SetControl(std::make_unique<COpCtrlPoint>(ScriptReader()->CurrentModule()));
  m_running = -1;
  if (!ReadBlock(f)) return 0;
  if (m_running == 1) m_ctrl->Enable();
  else if (m_running == 0) m_ctrl->Disable();
  return 1;
}

int CScrCtrlpt::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrCtrlpt> kSubs = {
      {"name", &CScrCtrlpt::ReadName},         {"field", &CScrCtrlpt::ReadField},
      {"group", &CScrCtrlpt::ReadGroup},       {"enable", &CScrCtrlpt::ReadEnable},
      {"reaction", &CScrCtrlpt::ReadReaction}, {"otherwise", &CScrCtrlpt::ReadOtherwise},
  };
  if (!TakesOtherwise() && std::strcmp(kw, "otherwise") == 0) return SCR_SUB_UNKNOWN;
  return kSubs.Dispatch(this, f, kw);
}

int CScrCtrlpt::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

void CScrCtrlpt::ReportUnknownControlKeyword(CScrStream* f, const char* keyword) {
  Report(ScrTextId::msg_invalid_keyword_ignored, f, {ScriptReader()->FileName(), keyword});
  SkipBlock(f);
}

int CScrCtrlpt::ReadNumberList(CScrStream* f, float* out, int max) {
  int count = 0;
  const int braced = OpenBrace(f);
  ScrReadAllValues(f, out, count, max);
  if (braced) CloseBrace(f);
  return count;
}

void CScrCtrlpt::ReadNumber(CScrStream* f, float& out) { ReadValueNumbers(f, &out, 1); }

const char* CScrCtrlpt::ControlName() const { return m_ctrl ? m_ctrl->Name() : ""; }

// name { N }: in reference mode N must be a control anywhere from the current module up; else a
// control of that name in the current module is configured again (a second block of the same
// name adds to the first), and a new name names the reader's own control.
int CScrCtrlpt::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  CSgModule* module = ScriptReader()->CurrentModule();
  if (IsReference()) {
    auto* found = dynamic_cast<COpCtrlPoint*>(module->FindCtrlpt(name.c_str()));
    if (!found || !Accepts(found)) {
      Report(ScrTextId::err_ctrlpt_not_found, f, {name, ScrGetCurKeyWord()});
      return SCR_SUB_STOP;
    }
    m_own.reset();
    m_ctrl = found;
    SetCreated(0);
    return SCR_SUB_OK;
  }
  // Inside a script-function expansion every call makes its own control.
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  name += suffix;
  auto* found = dynamic_cast<COpCtrlPoint*>(module->FindCtrlptLocal(name.c_str()));
  if (found && found != m_ctrl && Accepts(found)) {
    m_own.reset();
    m_ctrl = found;
    SetCreated(0);
    return SCR_SUB_OK;
  }
  // A control of another kind keeps its name; this one is made beside it (the first one made
  // stays the one found by name).
  if (!found || found != m_ctrl) m_ctrl->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

// field { path }: a plain control point covers every node named; other controls keep the last.
int CScrCtrlpt::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  SGKEY key = FindFieldByRelativePathName(ScriptReader()->CurrentModule(), path.c_str());
  if (key == SG_NO_KEY) {
    // Buttons are often given nodes their own images create later: no warning for them.
    if (m_ctrl->TypeCode() != SGT_BUTTON)
      Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  switch (m_ctrl->TypeCode()) {
    case SGT_BUTTON:
      m_ctrl->SetPathKey(key);
      break;
    case SGT_CTRLPOINT:
      m_ctrl->AddKey(key);
      break;
    default:
      m_ctrl->SetKey(key);
      break;
  }
  return SCR_SUB_OK;
}

// group { true | false | 12 | 0X1F | MACRO }
int CScrCtrlpt::ReadGroup(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  int group = 0;
  if (IsGroupLiteral(v)) {
    group = GroupValue(v);
  } else {
    DWORD value = 0;
    BYTE flag = 0;
    if (!ScriptReader()->FindMacro(v.c_str(), value, flag)) {
      Report(ScrTextId::err_macro_not_defined, f, {v, ScrGetCurKeyWord()});
      return SCR_SUB_STOP;
    }
    group = static_cast<int>(value);
  }
  m_ctrl->SetGroup(group);
  return SCR_SUB_OK;
}

// enable { TRUE | FALSE }: kept until the block closes; another word changes nothing.
int CScrCtrlpt::ReadEnable(CScrStream* f, const char*) {
  std::string v;
  if (!ScrInputEnded(f)) ReadValueString(f, v);
  if (straccord(v.c_str(), "TRUE")) m_running = 1;
  else if (straccord(v.c_str(), "FALSE")) m_running = 0;
  m_enable = m_running;
  return SCR_SUB_OK;
}

// reaction { ... }: the reaction goes to the control even when its block failed, with what
// was read of it; the failure then stops the control.
int CScrCtrlpt::ReadReaction(CScrStream* f, const char*) {
  CScrReaction r(ScriptReader());
  int ok = ReadNested(r, f);
  m_ctrl->AddReaction(r.TakeReaction());
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// otherwise { ... }: a reaction block whose reaction runs when the control is operated and no
// other reaction of it takes the event (none of that event type, or their conditions do not
// hold). Scripts written before it had a meaning carry such blocks, so a problem inside one is
// reported but does not stop the control.
int CScrCtrlpt::ReadOtherwise(CScrStream* f, const char*) {
  CScrReaction r(ScriptReader());
  // A failed block is passed over whole from its start, so that what follows it in the control
  // is read as the control's again.
  const ScrLexMark start = ScrSaveLexState(f);
  if (!ReadNested(r, f)) {
    ScrRestoreLexState(f, start);
    SkipBlock(f);
  }
  CSgReaction* reaction = r.TakeReaction();
  reaction->SetFlags(reaction->Flags() | CSgReaction::FLAG_OTHERWISE);
  m_ctrl->AddReaction(reaction);
  return SCR_SUB_OK;
}
