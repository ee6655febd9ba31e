// The action and act readers.
//
// An `act` block builds one record (ActPrm): a type from the vocabulary of sg/Action.h and the
// parameters the type needs. Some parameters need records of their own that run first (a value
// computed from an expression, literals copied into temporaries); those stand before the main
// record in the act's list, and the action copies the whole list.
#include "animation/ScrAction.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "animation/ScrActionTypes.h"
#include "animation/ScrAnimation.h"
#include "animation/ScrRepeat.h"
#include "compiler/ScrCompile.h"
#include "compiler/ScrCompiler.h"
#include "declarations/ScrVariable.h"
#include "elements/ScrButton.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrKnob.h"
#include "elements/ScrMembers.h"
#include "elements/ScrReaction.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Control.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"

namespace {

// Records the reader adds itself, past the vocabulary.
constexpr int kTypeEvaluate = ACT_INDEX;       // 506: a computed value into a temporary
constexpr int kTypeRunProgram = ACT_RUNPROGRAM;  // 2900: the program is the record's dword
constexpr int kTypeSetVariable = ACT_ASSIGN;   // 500: a literal into a temporary

// An integer literal: true, false, 0X... (hexadecimal) or decimal. 0 when the text is none.
bool ParseIntLiteral(const std::string& t, long long& out) {
  if (straccord(t.c_str(), "true")) {
    out = 1;
    return true;
  }
  if (straccord(t.c_str(), "false")) {
    out = 0;
    return true;
  }
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'X' || t[1] == 'x')) {
    out = (long long)std::strtoull(t.c_str() + 2, nullptr, 16);
    return true;
  }
  if (t.empty() || !ScrIsInteger(t.c_str())) return false;
  out = std::strtoll(t.c_str(), nullptr, 10);
  return true;
}

// The necessary-flag rule of the records a script function yields: a narrower set than that
// of acts (a function's speed and flush records may be dropped when time runs short).
bool CallRecordIsNecessary(int type) {
  switch (type) {
    case 10: case 11: case 100: case 101: case 102: case 124: return true;
    default: return false;
  }
}

// A constant variable of the current module holding a literal (number, true, false or text).
CSgVariable* ConstantOf(CSgModule* module, const std::string& literal) {
  CSgVariable scratch;
  long long n = 0;
  if (ParseIntLiteral(literal, n)) {
    scratch.SetVarType(SGVT_INT, 0);
    scratch.SetInt(ScrNarrow<int>(n));
  } else if (ScrIsConstant(literal.c_str())) {
    scratch.SetVarType(SGVT_DOUBLE, 0);
    scratch.SetDouble(std::strtod(literal.c_str(), nullptr));
  } else {
    scratch.SetVarType(SGVT_STRING, 0);
    scratch.SetString(literal.c_str());
  }
  return module->AllocConstVariable(&scratch);
}

}  // namespace

int ScrActionTypeIsNecessary(int type) {
  switch (type) {
    case 10: case 11: case 100: case 101: case 102: case 120: case 124: case 206: case 207: case 210:
      return 1;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// action

CScrAction::CScrAction(CScriptReader* reader)
    : CScrTEvent(reader, new CTEventActionEx(reader->CurrentModule())) {}

CScrAction::~CScrAction() = default;

CTEventActionEx* CScrAction::ActionEvent() const { return static_cast<CTEventActionEx*>(m_event); }

CTEventActionEx* CScrAction::TakeActionEvent() { return static_cast<CTEventActionEx*>(TakeEvent()); }

int CScrAction::Read(CScrStream* f) {
  if (!m_event) {  // taken by an earlier read: a fresh event for this block
    m_event = new CTEventActionEx(ScriptReader()->CurrentModule());
  }
  m_intervalVar = nullptr;
  return ReadBlock(f);
}

int CScrAction::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrAction> kSubs = {
      {"name", &CScrAction::ReadName},           {"interval", &CScrAction::ReadInterval},
      {"conditions", &CScrAction::ReadConditions}, {"property", &CScrAction::ReadProperty},
      {"act", &CScrAction::ReadAct},             {"program", &CScrAction::ReadProgram},
      {"repeat", &CScrAction::ReadRepeat},
  };
  return kSubs.Dispatch(this, f, kw);
}

// A script-function call is read as one; any other word is passed over without a message (only
// the word itself: older scripts carry words of retired features here).
int CScrAction::UnknownSubKeyword(CScrStream* f, const char* kw) {
  if (ScrIsCallShaped(kw)) return ReadCall(f, kw);
  // Passed over without a word, with its block: read as keywords, the words inside (`mode
  // { once }`, which the keyword table allows here) would stop the script.
  SkipBlock(f);
  return SCR_SUB_OK;
}

int CScrAction::ReadName(CScrStream* f, const char*) {
  std::string name;
  if (!ReadValueString(f, name)) return SCR_SUB_FAIL;
  m_event->SetName(name.c_str());
  return SCR_SUB_OK;
}

// interval { 500 } or interval { delay }: a literal sets the interval; a variable's name makes
// the interval follow the variable (linked when the block ends, when the event's name is known).
int CScrAction::ReadInterval(CScrStream* f, const char*) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  ScrTrimString(v);
  long long n = 0;
  if (ParseIntLiteral(v, n)) {
    ActionEvent()->SetInterval((unsigned)n);
    return SCR_SUB_OK;
  }
  CSgVariable* var = ScriptReader()->CurrentModule()->FindVariable(v.c_str());
  if (!var) {
    // A misspelt name would otherwise leave the interval at 0 without a word.
    Report(ScrTextId::err_variable_not_found, f, {v, ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  m_intervalVar = var;
  return SCR_SUB_OK;
}

int CScrAction::ReadConditions(CScrStream* f, const char*) {
  CScrConditions c(ScriptReader());
  const int ok = ReadNested(c, f);
  if (c.Conditions()) ActionEvent()->SetConditions(c.Conditions());
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrAction::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words) {
    if (straccord(w.c_str(), "necessary")) ActionEvent()->SetNecessary(1);
    else if (straccord(w.c_str(), "unnecessary")) ActionEvent()->SetNecessary(0);
  }
  return SCR_SUB_OK;
}

// act { ... }: its records are copied when the main record has a type (a word taken without a
// type, or a failed type word, adds nothing).
int CScrAction::ReadAct(CScrStream* f, const char*) {
  CScrAct act(ScriptReader());
  const int ok = ReadNested(act, f);
  if (ActPrm* main = act.MainRecord(); main && main->Type() != 0) {
    ActionEvent()->AddActions(act.Records());
    if (ScrActionTypeIsNecessary(main->Type())) ActionEvent()->SetNecessary(1);
  }
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// program { ... }: compiled and registered in the module of the animation being read; the action
// runs it through a 2900 record.
int CScrAction::ReadProgram(CScrStream* f, const char*) {
  CSgProgram* program = nullptr;
  if (!ScrReadProgramBlock(ScriptReader(), f, &program) || !program) return SCR_SUB_STOP;
  ActPrm run(kTypeRunProgram);
  run.SetDword(program);
  ActionEvent()->AddAction(run);
  return SCR_SUB_OK;
}

int CScrAction::ReadRepeat(CScrStream* f, const char*) {
  CScrRepeat repeat(ScriptReader());
  const int ok = ReadNested(repeat, f);
  if (CTEventActionEx* unrolled = repeat.ActionEvent())
    for (const ActPrm& a : unrolled->Actions()) ActionEvent()->AddAction(a);
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// name(arguments): the function's body is expanded here; the act records it yields join the
// action.
int CScrAction::ReadCall(CScrStream* f, const char* token) {
  std::vector<CKvoObject*> objects;  // filed with the module by the expansion itself
  std::list<ActPrm*> records;
  const int ok = ScrDefineOrCallFunction(ScriptReader(), f, token, &objects, false, &records);
  for (ActPrm* a : records) {
    if (a->Type() == 0) continue;
    ActionEvent()->AddAction(*a);
    if (CallRecordIsNecessary(a->Type())) ActionEvent()->SetNecessary(1);
  }
  SgFreeActions(records);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// The interval follows its variable through a link filed with the animation's module. The link
// names its target by the animation's and the event's names: a 32-bit 0, then each name as a
// 32-bit length (terminating zero included) and its bytes.
void CScrAction::Finish() {
  if (!m_intervalVar) return;
  CScriptReader* r = ScriptReader();
  CAnimation* anim = r->CurrentAnimation();
  std::string ref;
  auto put32 = [&ref](std::uint32_t v) { ref.append(reinterpret_cast<const char*>(&v), 4); };
  auto putName = [&](const char* name) {
    const std::string s = name ? name : "";
    put32((std::uint32_t)s.size() + 1);
    ref.append(s.c_str(), s.size() + 1);
  };
  put32(0);
  putName(anim ? anim->Name() : "");
  putName(m_event->Name());
  auto* link = new CVariableLink(0x1000002);
  link->SetVariable(m_intervalVar);
  link->SetTarget(m_event);
  link->SetRefData(ref.data(), (int)ref.size());
  r->CurrentAnimationModule()->AddVariableLink(link);
  m_intervalVar = nullptr;
}

// ---------------------------------------------------------------------------------------------
// act

CScrAct::CScrAct(CScriptReader* reader) : CScrObject(reader) {}

CScrAct::~CScrAct() { SgFreeActions(m_records); }

int CScrAct::Read(CScrStream* f) {
  m_main = std::make_unique<ActPrm>();
  m_keys.clear();
  m_call = false;
  m_callName.clear();
  m_callArgs.clear();
  m_stopped = false;
  CSgModule* module = ScriptReader()->CurrentModule();
  // Temporaries made for this act (computed values, literals) are one recorded group.
  module->StartRecordTempVariable();
  int result = ReadBlock(f);
  module->ReleaseRecordedTempVariables();
  if (m_stopped) result = 0;
  // A block cut short by the end of the input still hands over what it built.
  if (m_main) m_records.push_back(m_main.release());
  return result;
}

int CScrAct::ReadSubKeyword(CScrStream* f, const char* kw) {
  // After a failure the rest of the block is passed over, so that its words are not taken for
  // the enclosing block's.
  if (m_stopped) {
    SkipBlock(f);
    return SCR_SUB_OK;
  }
  static const ScrSubKeywords<CScrAct> kSubs = {
      {"type", &CScrAct::ReadType},         {"field", &CScrAct::ReadField},
      {"fields", &CScrAct::ReadFields},     {"ctrlpt", &CScrAct::ReadControl},
      {"button", &CScrAct::ReadControl},    {"knob", &CScrAct::ReadControl},
      {"text", &CScrAct::ReadTextOrImage},  {"image", &CScrAct::ReadTextOrImage},
      {"int", &CScrAct::ReadInt},           {"long", &CScrAct::ReadLong},
      {"float", &CScrAct::ReadFloat},       {"bool", &CScrAct::ReadBool},
      {"string", &CScrAct::ReadString},     {"string2", &CScrAct::ReadString},
      {"string3", &CScrAct::ReadString},    {"bitmap", &CScrAct::ReadString},
      {"animation", &CScrAct::ReadAnimation}, {"values", &CScrAct::ReadValues},
      {"variable", &CScrAct::ReadVariable}, {"variables", &CScrAct::ReadVariables},
  };
  const int r = kSubs.Dispatch(this, f, kw);
  if (r == SCR_SUB_FAIL) m_stopped = true;
  return r;
}

int CScrAct::UnknownSubKeyword(CScrStream* f, const char* kw) {
  if (m_stopped) {
    SkipBlock(f);
    return SCR_SUB_OK;
  }
  return CScrObject::UnknownSubKeyword(f, kw);
}

// A function-call act becomes the call record the compiler makes for `name(arguments)`.
void CScrAct::Finish() {
  if (!m_call || m_stopped) return;
  if (m_callName.empty()) {
    m_main->SetType(0);
    return;
  }
  std::string text = m_callName + "(";
  for (size_t i = 0; i < m_callArgs.size(); ++i) text += (i ? "," : "") + m_callArgs[i];
  text += ")";
  CScriptReader* r = ScriptReader();
  ScrCompileContext c{r, nullptr, nullptr, r->CurrentModule(), 0};
  CSgFunction* stub = ScrCompileCall(c, text);
  m_main = std::make_unique<ActPrm>(stub ? ACT_CALL : 0);
  if (stub) m_main->SetDword(stub);
}

int CScrAct::ReadType(CScrStream* f, const char*) {
  std::string word;
  if (!ReadValueString(f, word)) return SCR_SUB_FAIL;
  ScrShrinkString(word);
  ScrNormalizeString(word);
  const SgActionWord* row = nullptr;
  if (!ScrLookupActionType(word.c_str(), &row)) {
    ReportInvalidString(f, word.c_str());
    return SCR_SUB_FAIL;
  }
  if (!row) return SCR_SUB_OK;  // a word of a group taken without a type
  if (row->special == SG_AW_CALL) {
    m_call = true;
    return SCR_SUB_OK;
  }
  m_main->SetType(row->type);
  if (row->fixedBool >= 0) m_main->SetBool(row->fixedBool);
  if (*row->fixedString) m_main->SetString(row->fixedString);
  if (row->special == SG_AW_SCENE_ROOT) m_main->SetKey(SgFieldExists("/scene"));
  if (row->special == SG_AW_LONG_513) m_main->SetLong(513);
  return SCR_SUB_OK;
}

void CScrAct::AddKey(SGKEY key) {
  m_keys.push_back(key);
  if (m_keys.size() == 1) m_main->SetKey(key);
  else m_main->SetKeyArray(m_keys.data(), (int)m_keys.size());
}

// field { value }: a node path, a path kept as text (`*path`, resolved at run time), or an
// expression whose value names the node when the action runs.
int CScrAct::ReadField(CScrStream* f, const char*) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  const bool annotation = v.find("annotations") != std::string::npos || v.find("annotions") != std::string::npos;
  // Annotation paths written with the retired folder level after them name the folder itself.
  if (size_t at = v.find("annotations/annotions"); at != std::string::npos) v.resize(at + 12);
  CSgModule* module = ScriptReader()->CurrentModule();
  if (v.empty()) return SCR_SUB_OK;  // names nothing
  if (v[0] == '*') {
    const std::string path = v.substr(1);
    m_main->SetPathname(path.c_str());
    if (SgFieldExists(path.c_str()) == SG_NO_KEY)
      Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
  } else if (v.find('/') == std::string::npos) {
    // A value computed when the action runs: its actions, then a copy into a temporary of its
    // type, which the record reads.
    ScrCompileContext c{ScriptReader(), f, nullptr, module, 0};
    auto e = ScrCompileExpression(c, v);
    if (!e) return SCR_SUB_FAIL;  // reported
    if (!e->result) return SCR_SUB_OK;
    ScrActionList acts;
    ScrMakeActions(e.get(), acts);
    for (ActPrm* a : acts) m_records.push_back(a);
    CSgVariable* temp = module->AllocTempVariable(1);
    temp->SetVarType(e->result->VarType(), 0);
    auto* copy = new ActPrm(kTypeEvaluate);
    copy->SetVariables({temp, e->result});
    m_records.push_back(copy);
    m_main->SetVariable(0, temp);
  } else {
    SGKEY key = SgFieldExists(v.c_str());
    if (key == SG_NO_KEY) {
      Report(ScrTextId::warn_node_created_at_runtime, f, {v, ScrGetCurKeyWord()});
      key = SgOpenField(v.c_str());
      SgCloseField();
    }
    AddKey(key);
  }
  if (m_main->Type() == 101 && annotation) m_main->SetType(102);
  return SCR_SUB_OK;
}

// fields { pattern }: every matching node (up to the bound every node list has).
int CScrAct::ReadFields(CScrStream* f, const char*) {
  std::string pattern;
  if (!ReadValueString(f, pattern)) return SCR_SUB_FAIL;
  SGKEY* keys = nullptr;
  int n = 0;
  if (!FindAllFieldsByRelativePathName(ScriptReader()->CurrentModule(), pattern.c_str(), &keys, &n) || n <= 0) {
    SgFreeArray(keys);
    Report(ScrTextId::err_field_not_found, f, {pattern, ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  const int take = n < SCR_MAX_FIELD_KEYS ? n : SCR_MAX_FIELD_KEYS;
  for (int i = 0; i < take; ++i) m_keys.push_back(keys[i]);
  SgFreeArray(keys);
  m_main->SetKey(m_keys.front());
  m_main->SetKeyArray(m_keys.data(), (int)m_keys.size());
  return SCR_SUB_OK;
}

// ctrlpt | button | knob { name { N } }: a control defined before; its full name and key.
int CScrAct::ReadControl(CScrStream* f, const char* kw) {
  std::unique_ptr<CScrCtrlpt> r;
  const bool knob = std::strcmp(kw, "knob") == 0;
  // A button is looked for among all controls, so that a control of another kind can be named
  // as what it is.
  if (knob) r = std::make_unique<CScrKnob>(ScriptReader());
  else r = std::make_unique<CScrCtrlpt>(ScriptReader());
  const int ok = ReadNested(*r, f);
  COpCtrlPoint* ctrl = r->CtrlPoint();
  if (r->IsCreated() || !ctrl) {
    const std::string name = ctrl ? ctrl->Name() : "";
    if (knob) Report(ScrTextId::err_knob_not_predefined, f, {kw});
    else if (std::strcmp(kw, "button") == 0) Report(ScrTextId::err_button_not_predefined, f, {name, kw});
    else Report(ScrTextId::err_ctrlpt_not_predefined, f, {name, kw});
    return SCR_SUB_FAIL;
  }
  if (std::strcmp(kw, "button") == 0 && ctrl->TypeCode() != SGT_BUTTON) {
    Report(ScrTextId::err_ctrlpt_not_button, f, {ctrl->Name(), kw});
    return SCR_SUB_FAIL;
  }
  m_main->SetString(ctrl->FullName().c_str());
  m_main->SetKey(ctrl->Key());
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// text | image { name { N } }: a text or image defined before; its node.
int CScrAct::ReadTextOrImage(CScrStream* f, const char* kw) {
  const ScrMemberKind kind = std::strcmp(kw, "image") == 0 ? ScrMemberKind::Image : ScrMemberKind::Text;
  std::unique_ptr<CScrObject> r = ScrNewMemberReader(ScriptReader(), kind);
  if (!r) return SCR_SUB_UNKNOWN;
  r->SetReference(1);
  ReadNested(*r, f);
  const ScrMemberInfo member = ScrMemberOf(*r, kind);
  if (member.key == SG_NO_KEY) {
    Report(kind == ScrMemberKind::Image ? ScrTextId::err_image_not_predefined : ScrTextId::err_text_not_predefined, f,
           {kw});
    return SCR_SUB_FAIL;
  }
  m_main->SetKey(member.key);
  return SCR_SUB_OK;
}

// int { value }: a literal or a macro of the reader's table.
int CScrAct::ReadInt(CScrStream* f, const char*) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  ScrTrimString(v);
  long long n = 0;
  if (!ParseIntLiteral(v, n)) {
    DWORD value = 0;
    BYTE flag = 0;
    if (!ScriptReader()->FindMacro(v.c_str(), value, flag)) {
      Report(ScrTextId::err_macro_not_defined, f, {v, ScrGetCurKeyWord()});
      return SCR_SUB_FAIL;
    }
    n = (long long)value;
  }
  m_main->SetInt((int)n);  // macros are 32-bit words; a literal keeps its low 32 bits
  if (m_call) AddCallArgument(std::to_string((int)n));
  return SCR_SUB_OK;
}

int CScrAct::ReadLong(CScrStream* f, const char*) {
  long v = 0;
  if (!ReadValueNumbers(f, &v, 1)) return SCR_SUB_FAIL;
  m_main->SetLong(v);
  if (m_call) AddCallArgument(std::to_string(ScrNarrow<int>(v)));
  return SCR_SUB_OK;
}

int CScrAct::ReadFloat(CScrStream* f, const char*) {
  float v = 0;
  if (!ReadValueNumbers(f, &v, 1)) return SCR_SUB_FAIL;
  m_main->SetFloat(v);
  if (m_call) {
    std::string t = std::to_string(v);
    if (t.find('.') == std::string::npos) t += ".0";  // stays a real argument
    AddCallArgument(t);
  }
  return SCR_SUB_OK;
}

int CScrAct::ReadBool(CScrStream* f, const char*) {
  int v = 0;
  if (!ReadValueBool(f, v)) {
    ReportInvalidString(f, "");
    return SCR_SUB_FAIL;
  }
  m_main->SetBool(v);
  if (m_call) AddCallArgument(v ? "true" : "false");
  return SCR_SUB_OK;
}

CSgVariable* CScrAct::FindActionVariable(const char* name) const {
  return ScrFindScriptVariable(ScriptReader()->CurrentModule(), name);
}

// string | string2 | string3 | bitmap { text }. A variable action's strings name variables, which
// must exist; a call act's first string is the function's name, the others arguments.
int CScrAct::ReadString(CScrStream* f, const char* kw) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  if (m_call && std::strcmp(kw, "bitmap") != 0) {
    if (m_callName.empty()) m_callName = v;
    else AddCallArgument("\"" + v + "\"");
    return SCR_SUB_OK;
  }
  const int type = m_main->Type();
  if (type >= 500 && type <= 504 && std::strcmp(kw, "bitmap") != 0) {
    CSgVariable* var = FindActionVariable(v.c_str());
    // var[i] in the second string: the array itself must exist.
    if (!var && std::strcmp(kw, "string2") == 0 && v.find('[') != std::string::npos)
      var = FindActionVariable(v.substr(0, v.find('[')).c_str());
    if (!var) Report(ScrTextId::err_variable_not_found, f, {v, ScrGetCurKeyWord()});
    if (std::strcmp(kw, "string2") == 0) m_main->SetString2(v.c_str());
    else if (std::strcmp(kw, "string3") == 0) m_main->SetString3(v.c_str());
    else m_main->SetString(v.c_str());
    return var ? SCR_SUB_OK : SCR_SUB_FAIL;
  }
  if (std::strcmp(kw, "string2") == 0) m_main->SetString2(v.c_str());
  else if (std::strcmp(kw, "string3") == 0) m_main->SetString3(v.c_str());
  else m_main->SetString(v.c_str());
  return SCR_SUB_OK;
}

// animation { ... }: nested; the record names it by its full name. An animation the block made
// is filed with the current module.
int CScrAct::ReadAnimation(CScrStream* f, const char* kw) {
  CScrAnimation r(ScriptReader());
  const int ok = r.ReadInner(f);
  CAnimation* anim = r.Animation();
  if (!anim) return SCR_SUB_FAIL;
  CSgModule* module = ScriptReader()->CurrentModule();
  const std::string full = anim->GetFullName(module);
  m_main->SetString(full.c_str());
  if (!module->FindAnimation(full.c_str()) && full.find(ScrText(ScrTextId::word_anim_at_reference)) == std::string::npos &&
      full.find(ScrText(ScrTextId::word_anim_at_reverse)) == std::string::npos)
    Report(ScrTextId::warn_animation_defined_elsewhere, f, {full, kw});
  if (CKvoObject* made = r.TakeObject()) module->AddAnimation(made);
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrAct::ReadValues(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  std::vector<float> values(SCR_MAX_ACT_VALUES);
  int n = 0;
  const int ok = ScrReadAllValues(f, values.data(), n, SCR_MAX_ACT_VALUES);
  if (braced) CloseBrace(f);
  if (!ok) return SCR_SUB_FAIL;
  m_main->SetFloatArray(values.data(), n);
  return SCR_SUB_OK;
}

// variable { name { N } ... }: a variable not known yet is made here and filed with the module.
int CScrAct::ReadVariable(CScrStream* f, const char* kw) {
  CScrVariable r(ScriptReader());
  const int ok = ReadNested(r, f);
  CSgVariable* var = r.Variable();
  if (!var) return SCR_SUB_FAIL;
  if (CKvoObject* made = r.TakeObject()) {
    Report(ScrTextId::warn_variable_defined_elsewhere, f, {var->Name(), kw});
    ScriptReader()->CurrentModule()->AddVariable(static_cast<CSgVariable*>(made), 1);
  }
  m_main->SetVariable(m_main->VariableCount(), var);
  return ok ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// variables { a, 3, b }: numbers alone become constants; in a list with names each literal is
// copied into a temporary first (a 500 record), so that every operand is a variable the action
// may write.
int CScrAct::ReadVariables(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  CSgModule* module = ScriptReader()->CurrentModule();
  bool allNumbers = !words.empty();
  for (const std::string& w : words)
    if (!ScrIsConstant(w.c_str())) allNumbers = false;
  std::vector<CSgVariable*> vars;
  for (const std::string& w : words) {
    if (allNumbers) {
      vars.push_back(ConstantOf(module, w));
      continue;
    }
    if (ScrIsConstant(w.c_str())) {
      CSgVariable* constant = ConstantOf(module, w);
      CSgVariable* temp = module->AllocTempVariable(1);
      temp->SetVarType(constant->VarType(), 0);
      auto* set = new ActPrm(kTypeSetVariable);
      set->SetVariables({temp, constant});
      m_records.push_back(set);
      vars.push_back(temp);
      continue;
    }
    CSgVariable* var = module->FindVariable(w.c_str());
    if (!var) {
      Report(ScrTextId::err_variable_not_defined, f, {w, ScrGetCurKeyWord()});
      return SCR_SUB_FAIL;
    }
    vars.push_back(var);
  }
  m_main->SetVariables(vars);
  return SCR_SUB_OK;
}
